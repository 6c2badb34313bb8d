// Files dropped on the main window: a scene anywhere loads it, a texture file
// on the right frame becomes the replacement. A drag carrying anything but
// one local file of those kinds is refused.
#pragma once

#include <QString>

class QDropEvent;
class QMimeData;
class QWidget;

enum class DroppedFile { None, Scene, Texture };

// What a drag carries, and the file's path when it is one of the kinds.
DroppedFile KindOfDrop(const QMimeData* data, QString* path = nullptr);
// What dropping here on `window` would do: a texture file counts only over
// `frame`.
DroppedFile DropAt(const QDropEvent& event, const QWidget* window, const QWidget* frame, QString* path = nullptr);
