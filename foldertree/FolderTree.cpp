#include "foldertree/FolderTree.h"

#include "foldertree/NaturalOrder.h"
#include "texture/chain/TextureFileReader.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPalette>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

const QString kDrivesText = QStringLiteral("Drives");
const QString kShowHiddenText = QStringLiteral("Show hidden files and folders");

// Where saveState keeps what it keeps, inside the settings given to it.
const QString kStateGroup = QStringLiteral("folderTree");
const QString kShowHiddenKey = QStringLiteral("showHidden");
const QString kOpenKey = QStringLiteral("open");
const QString kChainKey = QStringLiteral("chain");
const QString kSelectedKey = QStringLiteral("selected");

// The blank bitmap is this wide; the image list cuts it into as many blank
// images as it holds, so the count of blanks follows the small-icon size.
constexpr int kBlankStripWidth = 32;

// The role under which an item hands out its selected image.
constexpr int kSelectedIconRole = Qt::UserRole + 1;

// Every item this tree makes: a text and two indices into the tree's image
// list, nothing else. The indices change without notifying the model; the
// tree repaints once after lowering them.
class FolderTreeItem : public QTreeWidgetItem {
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 1;

    FolderTreeItem(const ImageList& images, const QString& text, int image, int selectedImage)
        : QTreeWidgetItem(Type), image(image), selectedImage(selectedImage), images_(images)
    {
        setText(0, text);
        setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    }

    QVariant data(int column, int role) const override
    {
        if (column == 0 && role == Qt::DecorationRole)
            return images_.icon(image);
        if (column == 0 && role == kSelectedIconRole)
            return images_.icon(selectedImage);
        return QTreeWidgetItem::data(column, role);
    }

    int image;
    int selectedImage;

private:
    const ImageList& images_;
};

FolderTreeItem* AsFolderTreeItem(QTreeWidgetItem* item)
{
    return item && item->type() == FolderTreeItem::Type ? static_cast<FolderTreeItem*>(item) : nullptr;
}

// The images the item itself owns. Index 0 (and anything below) means it
// owns none.
void AppendOwnImages(QTreeWidgetItem* item, std::vector<int>& images)
{
    const FolderTreeItem* ours = AsFolderTreeItem(item);
    if (!ours)
        return;
    if (ours->selectedImage > 0 && ours->selectedImage != ours->image)
        images.push_back(ours->selectedImage);
    if (ours->image > 0)
        images.push_back(ours->image);
}

// Draws a selected item with its selected image instead of its normal one.
class SelectedImageDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_Selected) {
            const QVariant selected = index.data(kSelectedIconRole);
            if (selected.isValid())
                option->icon = qvariant_cast<QIcon>(selected);
        }
    }
};

QString WithoutTrailingSlash(QString path)
{
    while (path.endsWith('/'))
        path.chop(1);
    return path;
}

// An entry's own name, exactly, so that paths rebuilt from item texts name
// the entries. A volume root has no name of its own and shows its path.
QString DisplayName(const QString& path)
{
    const QString trimmed = WithoutTrailingSlash(path);
    const QString name = trimmed.mid(trimmed.lastIndexOf('/') + 1);
    if (!name.isEmpty())
        return name;
    return path.isEmpty() ? QStringLiteral("/") : path;
}

std::filesystem::path ToFsPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// A drive shows where it is mounted: "/", "/media/usb".
QString DriveText(const QString& root)
{
    const QString trimmed = WithoutTrailingSlash(root);
    return trimmed.isEmpty() ? QStringLiteral("/") : trimmed;
}

struct FolderEntries {
    QStringList folders;
    QStringList files;
};

// The folder's entries without "." and "..", and without the other names
// that start with a dot unless `withHidden`; each group in natural order. A
// folder that cannot be read, or stops being readable part way, yields what
// was read before the failure.
FolderEntries ListFolder(const QString& path, bool withHidden)
{
    FolderEntries entries;
    std::error_code error;
    std::filesystem::directory_iterator it(ToFsPath(path), error);
    const std::filesystem::directory_iterator end;
    for (; !error && it != end; it.increment(error)) {
        const QString name = QFile::decodeName(QByteArray::fromStdString(it->path().filename().native()));
        if (!withHidden && name.startsWith(u'.'))
            continue;
        std::error_code typeError;
        if (it->is_directory(typeError))
            entries.folders.append(name);
        else
            entries.files.append(name);
    }
    for (QStringList* group : {&entries.folders, &entries.files})
        std::sort(group->begin(), group->end(), [](const QString& a, const QString& b) { return NaturalLess(a, b); });
    return entries;
}

// An entry as the tree lists it: folders first, each group in natural order.
struct ListedEntry {
    QString name;
    bool folder = false;

    bool operator<(const ListedEntry& other) const
    {
        return folder != other.folder ? folder : NaturalLess(name, other.name);
    }
    bool operator==(const ListedEntry& other) const { return folder == other.folder && name == other.name; }
};

// A folder's item always has a child (its content or a placeholder); a
// file's never has one.
ListedEntry EntryOf(const QTreeWidgetItem* item)
{
    return {item->text(0), item->childCount() > 0};
}

bool IsPlaceholder(const QTreeWidgetItem* item)
{
    return item->text(0).isEmpty();
}

// The child of `ancestor` on the way up from `item`, or null when `item`
// does not lie below it.
QTreeWidgetItem* ChildLeadingTo(QTreeWidgetItem* ancestor, QTreeWidgetItem* item)
{
    for (; item; item = item->parent()) {
        if (item->parent() == ancestor)
            return item;
    }
    return nullptr;
}

QTreeWidgetItem* ChildWithText(QTreeWidgetItem* parent, const QString& text)
{
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    }
    return nullptr;
}

}  // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setItemDelegate(new SelectedImageDelegate(this));
    showHiddenAction_ = new QAction(kShowHiddenText, this);
    showHiddenAction_->setCheckable(true);
    settleTimer_.setSingleShot(true);
    settleTimer_.setInterval(kSettleMilliseconds);
    latestTimer_.setSingleShot(true);
    latestTimer_.setInterval(kLatestMilliseconds);
    connectSignals();
}

FolderTree::~FolderTree()
{
    // Items refer to the image list, so they go first, quietly: whoever
    // listens to the selection may be half destroyed already.
    blockSignals(true);
    clear();
}

// The tree's own notifications and their handlers, in one place.
void FolderTree::connectSignals()
{
    connect(this, &QTreeWidget::itemExpanded, this, &FolderTree::OnItemExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &FolderTree::OnItemExpanded);
    connect(showHiddenAction_, &QAction::toggled, this, &FolderTree::setShowHiddenEntries);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &FolderTree::folderChanged);
    connect(&settleTimer_, &QTimer::timeout, this, &FolderTree::refreshChangedFolders);
    connect(&latestTimer_, &QTimer::timeout, this, &FolderTree::refreshChangedFolders);
    connect(this, &QTreeWidget::currentItemChanged, this, [this] { missingSelectedPath_.clear(); });
}

void FolderTree::InitTree(bool reset)
{
    if (reset || topLevelItemCount() > 0) {
        clear();
        drivesRoot_ = nullptr;
        desktopRoot_ = nullptr;
    }
    driveStrings_.clear();
    desktopPath_ = WithoutTrailingSlash(DesktopFolder());

    const int small = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    images_.create(QSize(small, small));
    setIconSize(images_.imageSize());
    addBlankImages();
    const int desktop = images_.addIcon(iconProvider_.icon(QAbstractFileIconProvider::Desktop), desktopPath_);
    const int computer = images_.addIcon(iconProvider_.icon(QAbstractFileIconProvider::Computer), kDrivesText);

    drivesRoot_ = InsertTreeItem(kDrivesText, nullptr, true, computer, computer);
    desktopRoot_ = InsertShellItem(desktopPath_, nullptr, true, desktop, desktop);
    syncWatches();
}

void FolderTree::addBlankImages()
{
    // Never fewer than one blank: index 0 is the placeholders' image.
    const QSize size = images_.imageSize();
    QPixmap strip(std::max(kBlankStripWidth, size.width()), std::max(kBlankStripWidth, size.height()));
    strip.fill(palette().color(QPalette::Base));
    images_.addStrip(strip);
}

QTreeWidgetItem* FolderTree::InsertTreeItem(const QString& text, QTreeWidgetItem* parent, bool addPlaceholder,
                                            int image, int selectedImage, int at)
{
    auto* item = new FolderTreeItem(images_, text, image, selectedImage);
    if (at < 0)
        at = parent ? parent->childCount() : topLevelItemCount();
    if (parent)
        parent->insertChild(at, item);
    else
        insertTopLevelItem(at, item);
    if (addPlaceholder)
        this->addPlaceholder(item);
    return item;
}

void FolderTree::addPlaceholder(QTreeWidgetItem* parent)
{
    parent->addChild(new FolderTreeItem(images_, QString(), 0, 0));
}

QTreeWidgetItem* FolderTree::InsertShellItem(const QString& path, QTreeWidgetItem* parent, bool addPlaceholder,
                                             int image, int selectedImage, int at)
{
    if (image == -1 || selectedImage == -1) {
        const ShellIcons icons = iconsFor(path);
        if (image == -1)
            image = images_.addIcon(icons.normal, path);
        if (selectedImage == -1)
            selectedImage = images_.addIcon(icons.open, path);
    }
    return InsertTreeItem(DisplayName(path), parent, addPlaceholder, image, selectedImage, at);
}

// Icons are looked up once per kind (volume, folder, file type) and shared.
FolderTree::ShellIcons FolderTree::iconsFor(const QString& path)
{
    std::error_code error;
    QString kind;
    if (path.endsWith('/'))
        kind = QStringLiteral("volume");
    else if (std::filesystem::is_directory(ToFsPath(path), error))
        kind = QStringLiteral("folder");
    else
        kind = QStringLiteral("file.") + QFileInfo(path).suffix();

    auto cached = iconCache_.constFind(kind);
    if (cached != iconCache_.constEnd())
        return *cached;

    ShellIcons icons;
    if (kind == QLatin1String("volume")) {
        icons.normal = iconProvider_.icon(QAbstractFileIconProvider::Drive);
        icons.open = icons.normal;
    } else if (kind == QLatin1String("folder")) {
        icons.normal = iconProvider_.icon(QAbstractFileIconProvider::Folder);
        icons.open = QIcon::fromTheme(QStringLiteral("folder-open"), style()->standardIcon(QStyle::SP_DirOpenIcon));
    } else {
        icons.normal = iconProvider_.icon(QFileInfo(path));
        icons.open = icons.normal;
    }
    iconCache_.insert(kind, icons);
    return icons;
}

void FolderTree::OnItemExpanded(QTreeWidgetItem* item)
{
    // Only items with content or a placeholder stand for something that can
    // be listed; a file or a placeholder expanded from code is left alone.
    if (item->childCount() == 0)
        return;
    if (item->isExpanded())
        PopulateItem(item);
    else
        RemoveChildItems(item, true);
    syncWatches();
}

void FolderTree::keyPressEvent(QKeyEvent* event)
{
    // The view would expand everything below the item, which here means
    // reading every folder beneath it, through links without end; '*' opens
    // the one item instead.
    if (event->key() == Qt::Key_Asterisk) {
        if (QTreeWidgetItem* item = currentItem())
            item->setExpanded(true);
        event->accept();
        return;
    }
    // The Menu key comes as a context menu event of its own; Shift+F10 is
    // its other name.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(), QCursor::pos());
        contextMenuEvent(&menuEvent);
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void FolderTree::contextMenuEvent(QContextMenuEvent* event)
{
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        // From the keyboard the menu opens at the current item, where the
        // user is looking, or at the top of the list.
        const QRect shown = viewport()->rect();
        const QRect row = visualItemRect(currentItem()).intersected(shown);
        at = viewport()->mapToGlobal(row.isEmpty() ? shown.topLeft() : QPoint(row.left(), row.bottom()));
    }
    // What the tree's owner offers for the selected entry (its actions, added
    // with addAction), then the tree's own check item.
    QMenu menu(this);
    menu.addActions(actions());
    if (!actions().isEmpty())
        menu.addSeparator();
    menu.addAction(showHiddenAction_);
    menu.exec(at);
}

void FolderTree::setShowHiddenEntries(bool show)
{
    if (show == showHidden_)
        return;
    showHidden_ = show;
    const QSignalBlocker syncAction(showHiddenAction_);
    showHiddenAction_->setChecked(show);

    const QString selected = GetItemFullPath(currentItem());
    {
        // Items come and go below; whoever listens hears only of the end,
        // and only when the selection now names another entry or none.
        const QSignalBlocker quiet(this);
        for (QTreeWidgetItem* root : {drivesRoot_, desktopRoot_}) {
            if (root)
                refreshOpenFolders(root, nullptr, false);
        }
    }
    syncWatches();
    if (GetItemFullPath(currentItem()) != selected)
        emit currentItemChanged(currentItem(), nullptr);
}

void FolderTree::refreshOpenFolders(QTreeWidgetItem* item, const QSet<QString>* paths, bool secondLook)
{
    if (!item->isExpanded() || item->childCount() == 0)
        return;
    if (item != drivesRoot_ && (!paths || paths->contains(GetItemFullPath(item))))
        refreshFolder(item, secondLook);
    for (int i = 0; i < item->childCount(); ++i)
        refreshOpenFolders(item->child(i), paths, secondLook);
}

void FolderTree::refreshFolder(QTreeWidgetItem* item, bool secondLook)
{
    const QString path = GetItemFullPath(item);
    const FolderEntries listed = ListFolder(path, showHidden_);
    std::vector<ListedEntry> wanted;
    for (const QString& name : listed.folders)
        wanted.push_back({name, true});
    for (const QString& name : listed.files) {
        if (AcceptFile(name))
            wanted.push_back({name, false});
    }

    // Both lists are in the same order: one walk adds the entries that are
    // new in their places and gathers the items whose entries went.
    QTreeWidgetItem* const selectedChild = ChildLeadingTo(item, currentItem());
    std::vector<QTreeWidgetItem*> gone;
    size_t next = 0;
    for (int at = 0; at < item->childCount() || next < wanted.size(); ++at) {
        QTreeWidgetItem* child = at < item->childCount() ? item->child(at) : nullptr;
        if (child && IsPlaceholder(child)) {
            if (!wanted.empty())
                gone.push_back(child);
            continue;
        }
        if (child && (next == wanted.size() || EntryOf(child) < wanted[next])) {
            const QString childPath = GetItemFullPath(child);
            if (child == selectedChild && secondLook && childPath != missingSelectedPath_) {
                // Perhaps a new file is being renamed over it: look again
                // once things have settled.
                missingSelectedPath_ = childPath;
                changedFolders_.insert(path);
                settleTimer_.start();
            } else {
                gone.push_back(child);
            }
            continue;
        }
        if (child && EntryOf(child) == wanted[next]) {
            if (child == selectedChild)
                missingSelectedPath_.clear();
        } else {
            InsertShellItem(path + wanted[next].name, item, wanted[next].folder, -1, -1, at);
        }
        ++next;
    }

    // A selection that goes is dropped first, or the view would hand it to
    // a neighbour.
    if (selectedChild && std::find(gone.begin(), gone.end(), selectedChild) != gone.end()) {
        clearSelection();
        setCurrentItem(nullptr);
        missingSelectedPath_.clear();
    }
    deleteItems(gone);
    if (item->childCount() == 0)
        addPlaceholder(item);
}

void FolderTree::folderChanged(const QString& path)
{
    changedFolders_.insert(path);
    settleTimer_.start();
    if (!latestTimer_.isActive())
        latestTimer_.start();
}

void FolderTree::refreshChangedFolders()
{
    settleTimer_.stop();
    latestTimer_.stop();
    const QSet<QString> changed = std::exchange(changedFolders_, {});
    // The row at the top of the view stays there, unless it went.
    const QPersistentModelIndex top = indexAt(QPoint(0, 0));
    const int topY = visualRect(top).top();
    const int horizontal = horizontalScrollBar()->value();
    {
        // Whoever listens to the selection hears nothing: the selected item
        // stays, or goes with its entry.
        const QSignalBlocker quiet(this);
        for (QTreeWidgetItem* root : {drivesRoot_, desktopRoot_}) {
            if (root)
                refreshOpenFolders(root, &changed, true);
        }
    }
    syncWatches();

    if (top.isValid()) {
        if (verticalScrollMode() == ScrollPerItem)
            scrollTo(top, PositionAtTop);
        else
            verticalScrollBar()->setValue(verticalScrollBar()->value() + visualRect(top).top() - topY);
        horizontalScrollBar()->setValue(horizontal);
    }
}

void FolderTree::syncWatches()
{
    QStringList open;
    QSet<QString> seen;
    for (QTreeWidgetItemIterator it(this); *it && open.size() < kMaxWatchedFolders; ++it) {
        if (*it == drivesRoot_ || !(*it)->isExpanded() || (*it)->childCount() == 0)
            continue;
        const QString path = GetItemFullPath(*it);
        if (!path.isEmpty() && !seen.contains(path)) {
            seen.insert(path);
            open.append(path);
        }
    }
    QStringList stale;
    for (const QString& path : watcher_.directories()) {
        if (!seen.contains(path))
            stale.append(path);
    }
    if (!stale.isEmpty())
        watcher_.removePaths(stale);
    const QStringList watchedList = watcher_.directories();
    const QSet<QString> watched(watchedList.begin(), watchedList.end());
    QStringList fresh;
    for (const QString& path : open) {
        // A folder that went or became a file stays open until its parent
        // is read again; there is nothing to watch.
        if (!watched.contains(path) && QFileInfo(path).isDir())
            fresh.append(path);
    }
    if (!fresh.isEmpty())
        watcher_.addPaths(fresh);
}

bool FolderTree::selectPath(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    QTreeWidgetItem* item = nullptr;
    QString rest;
    if (desktopRoot_ && (clean + '/').startsWith(desktopPath_ + '/')) {
        item = desktopRoot_;
        rest = clean.mid(desktopPath_.size());
    } else if (drivesRoot_) {
        drivesRoot_->setExpanded(true);
        int longest = -1;
        for (int i = 0; i < driveStrings_.size() && i < drivesRoot_->childCount(); ++i) {
            const QString& root = driveStrings_[i];
            if ((clean + '/').startsWith(root) && root.size() > longest) {
                longest = root.size();
                item = drivesRoot_->child(i);
                rest = clean.mid(std::min(root.size(), clean.size()));
            }
        }
    }
    if (!item)
        return false;
    for (const QString& name : rest.split('/', Qt::SkipEmptyParts)) {
        item->setExpanded(true);
        QTreeWidgetItem* child = ChildWithText(item, name);
        if (!child) {
            // Written a moment ago, before the folder's watch has spoken.
            {
                const QSignalBlocker quiet(this);
                refreshFolder(item, false);
            }
            syncWatches();
            child = ChildWithText(item, name);
        }
        if (!child)
            return false;
        item = child;
    }
    setCurrentItem(item);
    scrollToItem(item);
    return true;
}

QStringList FolderTree::textChain(QTreeWidgetItem* item)
{
    QStringList chain;
    for (; item; item = item->parent())
        chain.prepend(item->text(0));
    return chain;
}

QTreeWidgetItem* FolderTree::openChain(const QStringList& chain, bool openLast)
{
    QTreeWidgetItem* item = nullptr;
    for (int i = 0; i < topLevelItemCount() && !chain.isEmpty(); ++i) {
        if (topLevelItem(i)->text(0) == chain.first())
            item = topLevelItem(i);
    }
    for (int i = 1; item && i < chain.size(); ++i) {
        item->setExpanded(true);
        item = chain[i].isEmpty() ? nullptr : ChildWithText(item, chain[i]);
    }
    if (item && openLast)
        item->setExpanded(true);
    return item;
}

void FolderTree::saveState(QSettings& settings) const
{
    settings.beginGroup(kStateGroup);
    settings.setValue(kShowHiddenKey, showHidden_);
    settings.remove(kOpenKey);
    settings.beginWriteArray(kOpenKey);
    int index = 0;
    for (QTreeWidgetItemIterator it(const_cast<FolderTree*>(this)); *it; ++it) {
        if ((*it)->isExpanded() && (*it)->childCount() > 0) {
            settings.setArrayIndex(index++);
            settings.setValue(kChainKey, textChain(*it));
        }
    }
    settings.endArray();
    if (QTreeWidgetItem* selected = currentItem(); selected && !IsPlaceholder(selected))
        settings.setValue(kSelectedKey, textChain(selected));
    else
        settings.remove(kSelectedKey);
    settings.endGroup();
}

void FolderTree::restoreState(QSettings& settings)
{
    settings.beginGroup(kStateGroup);
    setShowHiddenEntries(settings.value(kShowHiddenKey, false).toBool());
    // Parents were saved before their children, so each chain finds its
    // way open up to its last item.
    const int count = settings.beginReadArray(kOpenKey);
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        openChain(settings.value(kChainKey).toStringList(), true);
    }
    settings.endArray();
    const QStringList selectedChain = settings.value(kSelectedKey).toStringList();
    settings.endGroup();

    if (QTreeWidgetItem* selected = selectedChain.isEmpty() ? nullptr : openChain(selectedChain, false)) {
        const QSignalBlocker quiet(this);
        setCurrentItem(selected);
        scrollToItem(selected);
    }
}

void FolderTree::PopulateItem(QTreeWidgetItem* item)
{
    if (item == drivesRoot_)
        populateDrives();
    else
        populateFolder(item);
}

void FolderTree::populateDrives()
{
    RemoveChildItems(drivesRoot_, false);
    driveStrings_.clear();
    for (const QString& root : DriveRoots()) {
        if (!root.isEmpty())
            driveStrings_.append(root.endsWith('/') ? root : root + '/');
    }
    if (driveStrings_.isEmpty()) {
        addPlaceholder(drivesRoot_);
        return;
    }
    for (const QString& root : driveStrings_)
        InsertShellItem(root, drivesRoot_, true, -1, -1)->setText(0, DriveText(root));
}

void FolderTree::populateFolder(QTreeWidgetItem* item)
{
    // The path is built while the item still has a child, so a folder's
    // path keeps its closing '/'.
    const QString path = BuildItemPath(QString(), item);
    RemoveChildItems(item, false);

    const FolderEntries entries = ListFolder(path, showHidden_);
    bool inserted = false;
    for (const QString& name : entries.folders) {
        InsertShellItem(path + name, item, true, -1, -1);
        inserted = true;
    }
    for (const QString& name : entries.files) {
        if (AcceptFile(name)) {
            InsertShellItem(path + name, item, false, -1, -1);
            inserted = true;
        }
    }
    if (!inserted)
        addPlaceholder(item);
}

bool FolderTree::AcceptFile(QString name) const
{
    return IsTextureFileName(QFile::encodeName(name).toStdString());
}

void FolderTree::RemoveChildItems(QTreeWidgetItem* item, bool addPlaceholder)
{
    std::vector<int> released;
    collectOwnedImages(item, released);
    qDeleteAll(item->takeChildren());
    releaseImages(released);
    if (addPlaceholder)
        this->addPlaceholder(item);
}

void FolderTree::deleteItems(const std::vector<QTreeWidgetItem*>& items)
{
    std::vector<int> released;
    for (QTreeWidgetItem* item : items) {
        collectOwnedImages(item, released);
        AppendOwnImages(item, released);
    }
    qDeleteAll(items);
    releaseImages(released);
}

void FolderTree::releaseImages(std::vector<int>& released)
{
    // The images of the items that went are released together: one pass to
    // close the gaps in the image list, one walk over the remaining items to
    // lower their indices.
    if (released.empty())
        return;
    std::sort(released.begin(), released.end());
    images_.removeIndices(released);
    ShiftImageIndices(drivesRoot_, released);
    ShiftImageIndices(desktopRoot_, released);
    viewport()->update();
}

void FolderTree::collectOwnedImages(QTreeWidgetItem* item, std::vector<int>& images) const
{
    for (int i = 0; i < item->childCount(); ++i) {
        collectOwnedImages(item->child(i), images);
        AppendOwnImages(item->child(i), images);
    }
}

void FolderTree::ShiftImageIndices(QTreeWidgetItem* start, const std::vector<int>& sortedReleased)
{
    if (!start)
        return;
    for (int i = 0; i < start->childCount(); ++i) {
        QTreeWidgetItem* child = start->child(i);
        if (FolderTreeItem* ours = AsFolderTreeItem(child)) {
            ours->image = ImageList::indexAfterRemoval(ours->image, sortedReleased);
            ours->selectedImage = ImageList::indexAfterRemoval(ours->selectedImage, sortedReleased);
        }
        ShiftImageIndices(child, sortedReleased);
    }
}

bool FolderTree::GetItemImage(QTreeWidgetItem* item, int& image, int& selectedImage) const
{
    const FolderTreeItem* ours = AsFolderTreeItem(item);
    if (!ours)
        return false;
    image = ours->image;
    selectedImage = ours->selectedImage;
    return true;
}

QString FolderTree::BuildItemPath(QString suffix, QTreeWidgetItem* item) const
{
    if (!item || item == drivesRoot_)
        return QString();
    QTreeWidgetItem* parent = item->parent();
    if (parent && parent == drivesRoot_)
        return driveStrings_.value(parent->indexOfChild(item)) + suffix;
    if (item == desktopRoot_)
        return desktopPath_ + '/' + suffix;

    if (!item->text(0).isEmpty())
        suffix = item->text(0) + '/' + suffix;
    QString result = BuildItemPath(suffix, parent);
    // Only a file has no child: it drops the '/' behind its own name.
    if (item->childCount() == 0 && !result.isEmpty())
        result.chop(1);
    return result;
}

QString FolderTree::GetItemFullPath(QTreeWidgetItem* item) const
{
    if (!item || item->text(0).isEmpty())
        return QString();
    return BuildItemPath(QString(), item);
}

QString FolderTree::DesktopFolder() const
{
    // Qt names a desktop folder even where there is none.
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir())
        return desktop;
    return QDir::homePath();
}

QStringList FolderTree::DriveRoots() const
{
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        QString root = volume.rootPath();
        if (!root.endsWith('/'))
            root += '/';
        if (!roots.contains(root))
            roots.append(root);
    }
    const int slash = roots.indexOf(QStringLiteral("/"));
    if (slash > 0)
        roots.move(slash, 0);
    return roots;
}
