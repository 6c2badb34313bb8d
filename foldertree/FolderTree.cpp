#include "foldertree/FolderTree.h"

#include "foldertree/NaturalOrder.h"
#include "texture/chain/TextureFileReader.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPalette>
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
                                            int image, int selectedImage)
{
    auto* item = new FolderTreeItem(images_, text, image, selectedImage);
    if (parent)
        parent->addChild(item);
    else
        addTopLevelItem(item);
    if (addPlaceholder)
        this->addPlaceholder(item);
    return item;
}

void FolderTree::addPlaceholder(QTreeWidgetItem* parent)
{
    parent->addChild(new FolderTreeItem(images_, QString(), 0, 0));
}

QTreeWidgetItem* FolderTree::InsertShellItem(const QString& path, QTreeWidgetItem* parent, bool addPlaceholder,
                                             int image, int selectedImage)
{
    if (image == -1 || selectedImage == -1) {
        const ShellIcons icons = iconsFor(path);
        if (image == -1)
            image = images_.addIcon(icons.normal, path);
        if (selectedImage == -1)
            selectedImage = images_.addIcon(icons.open, path);
    }
    return InsertTreeItem(DisplayName(path), parent, addPlaceholder, image, selectedImage);
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
    QTreeWidget::keyPressEvent(event);
}

void FolderTree::contextMenuEvent(QContextMenuEvent* event)
{
    // What the tree's owner offers for the selected entry (its actions, added
    // with addAction), then the tree's own check item.
    QMenu menu(this);
    menu.addActions(actions());
    if (!actions().isEmpty())
        menu.addSeparator();
    menu.addAction(showHiddenAction_);
    menu.exec(event->globalPos());
}

void FolderTree::setShowHiddenEntries(bool show)
{
    if (show == showHidden_)
        return;
    showHidden_ = show;
    const QSignalBlocker syncAction(showHiddenAction_);
    showHiddenAction_->setChecked(show);

    const QString selected = GetItemFullPath(currentItem());
    QSet<QString> openPaths;
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        if ((*it)->isExpanded())
            openPaths.insert(GetItemFullPath(*it));
    }
    {
        // Items come and go below; whoever listens hears only of the end,
        // and only when the selection now names another entry or none.
        const QSignalBlocker quiet(this);
        for (QTreeWidgetItem* root : {drivesRoot_, desktopRoot_}) {
            if (root && root->isExpanded()) {
                PopulateItem(root);
                reopen(root, openPaths);
            }
        }
        setCurrentItem(selected.isEmpty() ? nullptr : findItem(selected));
    }
    if (GetItemFullPath(currentItem()) != selected)
        emit currentItemChanged(currentItem(), nullptr);
}

void FolderTree::reopen(QTreeWidgetItem* item, const QSet<QString>& openPaths)
{
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* child = item->child(i);
        if (child->childCount() > 0 && openPaths.contains(GetItemFullPath(child))) {
            PopulateItem(child);
            child->setExpanded(true);
            reopen(child, openPaths);
        }
    }
}

QTreeWidgetItem* FolderTree::findItem(const QString& path) const
{
    for (QTreeWidgetItemIterator it(const_cast<FolderTree*>(this)); *it; ++it) {
        if (GetItemFullPath(*it) == path)
            return *it;
    }
    return nullptr;
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
    // The subtree's images are collected first and released together: one
    // pass to close the gaps in the image list, one walk over the remaining
    // items to lower their indices.
    std::vector<int> released;
    collectOwnedImages(item, released);
    qDeleteAll(item->takeChildren());
    if (!released.empty()) {
        std::sort(released.begin(), released.end());
        images_.removeIndices(released);
        ShiftImageIndices(drivesRoot_, released);
        ShiftImageIndices(desktopRoot_, released);
        viewport()->update();
    }
    if (addPlaceholder)
        this->addPlaceholder(item);
}

void FolderTree::collectOwnedImages(QTreeWidgetItem* item, std::vector<int>& images) const
{
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* child = item->child(i);
        collectOwnedImages(child, images);
        int image = 0;
        int selectedImage = 0;
        if (!GetItemImage(child, image, selectedImage))
            continue;
        // Index 0 (and anything below) means the item owns no image.
        if (selectedImage > 0 && selectedImage != image)
            images.push_back(selectedImage);
        if (image > 0)
            images.push_back(image);
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
