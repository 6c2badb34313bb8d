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
// The tree follows the disk: every open folder (the first kMaxWatchedFolders
// of them in the tree's order; the others are read again when opened) is
// watched, and entries that appear or go are shown a moment later, when the
// folder has been quiet for kSettleMilliseconds (at the latest
// kLatestMilliseconds after the first change). Items that stay are left as
// they are, open or closed, selected or not, and the row at the top of the
// view stays there. A folder that goes takes its items with it. An entry that
// goes while selected is looked for once more after the next pause, so a file
// saved by renaming a new one over it keeps its selection; one gone for good
// takes the selection with it without a currentItemChanged(), so that whoever
// listens keeps what it read. Watching lists folders and never opens a file.
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
#include <QFileSystemWatcher>
#include <QHash>
#include <QIcon>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QTreeWidget>

#include <vector>

class QAction;
class QSettings;

class FolderTree : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kMaxWatchedFolders = 256;
    static constexpr int kSettleMilliseconds = 200;
    static constexpr int kLatestMilliseconds = 800;

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

    // Opens the folders down to `path` (a file or a folder, reached through
    // the desktop item when it lies there, otherwise through the drive whose
    // mount point holds it), reading a folder again where the entry is not
    // listed yet, then selects and shows its item. False, leaving the
    // selection as it was, when there is no such entry to show.
    bool selectPath(const QString& path);

    // What a restart should bring back, kept in the settings' "folderTree"
    // group: whether hidden entries are shown, the open items and the selected
    // one, each by the texts of the items that lead to it.
    void saveState(QSettings& settings) const;
    // Brings a saved state back quietly, without a currentItemChanged():
    // items that are no longer there are left out, with what lies below them.
    void restoreState(QSettings& settings);

protected:
    // The desktop folder: the user's desktop, or the home folder where there
    // is no desktop folder. Called by InitTree.
    virtual QString DesktopFolder() const;
    // Root paths of the mounted volumes that are valid and ready, "/" first.
    // Called at each expansion of "Drives".
    virtual QStringList DriveRoots() const;

    // `at` is the new item's place among the parent's children; -1 appends.
    QTreeWidgetItem* InsertTreeItem(const QString& text, QTreeWidgetItem* parent, bool addPlaceholder, int image,
                                    int selectedImage, int at = -1);
    // image or selectedImage -1: append the entry's own icon (or open icon).
    QTreeWidgetItem* InsertShellItem(const QString& path, QTreeWidgetItem* parent, bool addPlaceholder, int image,
                                     int selectedImage, int at = -1);
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
    // Deletes the items with everything below them and releases their images.
    void deleteItems(const std::vector<QTreeWidgetItem*>& items);
    // Releases images no item holds any more (sorted here).
    void releaseImages(std::vector<int>& released);
    ShellIcons iconsFor(const QString& path);

    // Brings the children of an open folder in line with what the folder
    // holds now, adding and deleting items and leaving the others alone. A
    // selected entry that went is kept for one more look when `secondLook`.
    void refreshFolder(QTreeWidgetItem* item, bool secondLook);
    // Refreshes the open folders at and below `item` whose paths are in
    // `paths` (every one when null), parents before their children.
    void refreshOpenFolders(QTreeWidgetItem* item, const QSet<QString>* paths, bool secondLook);
    void folderChanged(const QString& path);
    void refreshChangedFolders();
    // Watches the open folders, as many as may be.
    void syncWatches();
    // The texts of the items from the top level down to `item`.
    static QStringList textChain(QTreeWidgetItem* item);
    // Opens the items along a chain of texts (the last one too when
    // `openLast`) and returns the last one, or null where one is missing.
    QTreeWidgetItem* openChain(const QStringList& chain, bool openLast);

    QTreeWidgetItem* desktopRoot_ = nullptr;
    QString desktopPath_;
    QTreeWidgetItem* drivesRoot_ = nullptr;
    QStringList driveStrings_;
    ImageList images_;

    bool showHidden_ = false;
    QAction* showHiddenAction_ = nullptr;

    QFileIconProvider iconProvider_;
    QHash<QString, ShellIcons> iconCache_;

    QFileSystemWatcher watcher_;
    QTimer settleTimer_;            // restarted by every change
    QTimer latestTimer_;            // started by the first change after a refresh
    QSet<QString> changedFolders_;  // paths of open folders to read again
    QString missingSelectedPath_;   // the selected entry found gone once
};
