// The main window's controls, made from the dialog template
// (resources/DialogTemplate.h): each control at the place its template entry
// gives, tagged with its id and its text for accessibility, and placed again
// when the client area grows (GrowingLayout). The texture list's rectangle
// also holds, at its top, the field that finds textures and their count.
#pragma once

#include "editor/SceneTextureList.h"

#include <QFont>
#include <QSize>
#include <QString>

#include <utility>
#include <vector>

class FolderTree;
class PreviewFrame;
class QLabel;
class QLineEdit;
class QRect;
class QListWidget;
class QWidget;
class SelectionListBox;
struct ControlTemplate;

class DialogControls {
public:
    // Makes every control in `client`; the folder tree is `folderTree` when
    // given, else a new one.
    DialogControls(QWidget* client, FolderTree* folderTree);

    // The font of the window, its menus, tooltips and every dialog it opens.
    static QFont Font();

    // Places every control for a client area of `size` (never below the
    // template's).
    void place(QSize size) const;
    // Puts `text` on the status line, wrapped over up to three lines, and
    // makes it the line's tooltip and what assistive tools read, whole.
    void say(const QString& text) const;

    SelectionListBox* textures = nullptr;
    QLineEdit* textureFilter = nullptr;
    QLabel* textureCount = nullptr;
    QListWidget* details = nullptr;
    SceneTextureList::FlagBoxes flagBoxes = {};
    PreviewFrame* frames[2] = {};  // the scene texture's, the replacement's
    QLabel* statusLine = nullptr;
    FolderTree* folderTree = nullptr;

private:
    void makeTextureFilter(QWidget* client);
    // The field and the count at the top of the list's rectangle, the list below.
    void placeTextureList(const QRect& place) const;

    std::vector<std::pair<QWidget*, const ControlTemplate*>> placed_;  // each control and its template entry
};
