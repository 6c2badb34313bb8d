// EditorDialog's drag and drop handlers: dragEnterEvent, dragMoveEvent, dropEvent.
// Files dropped on the main window: a scene anywhere loads it, a texture file
// on the right frame becomes the replacement. A drag carrying anything but
// one local file of those kinds is refused.
#include "editor/EditorDialog.h"

#include "editor/PreviewFrame.h"
#include "texture/chain/TextureFileReader.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

enum class DroppedFile { None, Scene, Texture };

DroppedFile KindOfDrop(const QMimeData* data, QString* path = nullptr)
{
    if (!data || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return DroppedFile::None;
    const QString file = data->urls().first().toLocalFile();
    if (path)
        *path = file;
    if (QFileInfo(file).suffix().toLower() == QLatin1String("t3d"))
        return DroppedFile::Scene;
    if (IsTextureFileName(QFile::encodeName(file).toStdString()))
        return DroppedFile::Texture;
    return DroppedFile::None;
}

// What dropping here would do: a texture file counts only over `frame`.
DroppedFile DropAt(const QDropEvent& event, const QWidget* window, const QWidget* frame, QString* path = nullptr)
{
    const DroppedFile kind = KindOfDrop(event.mimeData(), path);
    const bool overFrame = frame->rect().contains(frame->mapFrom(window, event.position().toPoint()));
    return kind == DroppedFile::Texture && !overFrame ? DroppedFile::None : kind;
}

}  // namespace

void EditorDialog::dragEnterEvent(QDragEnterEvent* event)
{
    if (KindOfDrop(event->mimeData()) != DroppedFile::None)
        event->acceptProposedAction();
}

void EditorDialog::dragMoveEvent(QDragMoveEvent* event)
{
    if (DropAt(*event, this, replacementFrame_) != DroppedFile::None)
        event->acceptProposedAction();
    else
        event->ignore();
}

void EditorDialog::dropEvent(QDropEvent* event)
{
    QString path;
    switch (DropAt(*event, this, replacementFrame_, &path)) {
    case DroppedFile::None:
        event->ignore();
        return;
    case DroppedFile::Scene:
        event->acceptProposedAction();
        openSceneFile(path);
        return;
    case DroppedFile::Texture:
        event->acceptProposedAction();
        pickReplacement(path, true);
        return;
    }
}
