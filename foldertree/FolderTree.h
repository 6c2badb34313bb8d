// The folder browser: a tree of two top-level items, "Drives" (the mounted
// volumes) above the desktop folder, that fills itself from the file system
// when an item is expanded and drops the content again when it is collapsed.
// Expanding lists the item's sub-folders, then its files that AcceptFile()
// takes (by default the texture files: .tga and .png, any case), each
// group in natural, case-insensitive order (NaturalOrder.h). Entries whose
// names start with a dot are left out unless the user asks for them in the
// tree's context menu. Drives show their mount points. A folder that cannot be
// read, or holds nothing to show, expands to one empty placeholder row; the
// tree never throws and never shows a message.
//
// Items carry only their text and two image indices (normal and selected)
// into the tree's image list. The path of an item is rebuilt from its place in
// the tree whenever it is asked for, so an item's text is exactly the name of
// the entry it stands for. Every drive, folder and file item owns two images
// of its own, appended when it is inserted and released when it goes; the
// blank images (index 0 is the placeholders' image) and the two root icons
// lie below them and are never released.
//
// Tests and other callers that must not touch the real home folder or the
// machine's volumes override DesktopFolder() and DriveRoots().
#pragma once

#include "foldertree/ImageList.h"

#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

#include <vector>

class QAction;

class FolderTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit FolderTree(QWidget* parent = nullptr);
    ~FolderTree() override;

    // Rebuilds the tree: the image list with its blank images and root icons,
    // then "Drives" and the desktop item, both collapsed with a placeholder.
    // Any items already present are deleted whatever `reset` says, because
    // their image indices belong to the image list being rebuilt.
    void InitTree(bool reset);

    // Empty for the Drives root and placeholders; ends with '/' for a drive,
    // the desktop root and a folder; the file's path for a file.
    QString GetItemFullPath(QTreeWidgetItem* item) const;

    // The file filter: true for a texture file's name (IsTextureFileName).
    virtual bool AcceptFile(QString name) const;

    // Reads an item's image and selected image; false for an item this tree
    // did not make.
    bool GetItemImage(QTreeWidgetItem* item, int& image, int& selectedImage) const;

    const ImageList& imageList() const { return images_; }

    // Whether entries whose names start with a dot are listed. Changing it
    // reads every open folder again and keeps open what was open, and the
    // selection where its entry is still listed.
    bool showsHiddenEntries() const { return showHidden_; }
    void setShowHiddenEntries(bool show);
    // The context menu's check item that toggles the above. The menu lists
    // the actions added to the tree (QWidget::addAction) above it.
    QAction* showHiddenAction() const { return showHiddenAction_; }

protected:
    // The desktop folder: the user's desktop, or the home folder where there
    // is no desktop folder. Called by InitTree.
    virtual QString DesktopFolder() const;
    // Root paths of the mounted volumes that are valid and ready, "/" first.
    // Called at each expansion of "Drives".
    virtual QStringList DriveRoots() const;

    QTreeWidgetItem* InsertTreeItem(const QString& text, QTreeWidgetItem* parent, bool addPlaceholder, int image,
                                    int selectedImage);
    // image or selectedImage -1: append the entry's own icon (or open icon).
    QTreeWidgetItem* InsertShellItem(const QString& path, QTreeWidgetItem* parent, bool addPlaceholder, int image,
                                     int selectedImage);
    void PopulateItem(QTreeWidgetItem* item);
    // Deletes everything below the item and releases the images it owned.
    void RemoveChildItems(QTreeWidgetItem* item, bool addPlaceholder);
    // Lowers every image index below `start` past the released ones.
    void ShiftImageIndices(QTreeWidgetItem* start, const std::vector<int>& sortedReleased);
    QString BuildItemPath(QString suffix, QTreeWidgetItem* item) const;

    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct ShellIcons {
        QIcon normal;
        QIcon open;
    };

    void connectSignals();
    void OnItemExpanded(QTreeWidgetItem* item);

    void addPlaceholder(QTreeWidgetItem* parent);
    void addBlankImages();
    void populateDrives();
    void populateFolder(QTreeWidgetItem* item);
    void collectOwnedImages(QTreeWidgetItem* item, std::vector<int>& images) const;
    // Reads the open folders below `item` (already read) again, opening those
    // whose paths are in `openPaths`.
    void reopen(QTreeWidgetItem* item, const QSet<QString>& openPaths);
    QTreeWidgetItem* findItem(const QString& path) const;
    ShellIcons iconsFor(const QString& path);

    QTreeWidgetItem* desktopRoot_ = nullptr;
    QString desktopPath_;
    QTreeWidgetItem* drivesRoot_ = nullptr;
    QStringList driveStrings_;
    ImageList images_;

    bool showHidden_ = false;
    QAction* showHiddenAction_ = nullptr;

    QFileIconProvider iconProvider_;
    QHash<QString, ShellIcons> iconCache_;
};
