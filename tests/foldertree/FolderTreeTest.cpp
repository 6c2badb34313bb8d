#include "foldertree/FolderTree.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QSet>
#include <QStyledItemDelegate>
#include <QStyle>

#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

// Readable failure messages.
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

// A folder tree over a desktop folder and a drive list of the test's choosing.
class TestTree : public FolderTree {
public:
    QString desktop;
    QStringList drives;

    using FolderTree::indexFromItem;
    QStringList MachineDriveRoots() const { return FolderTree::DriveRoots(); }
    QString MachineDesktopFolder() const { return FolderTree::DesktopFolder(); }

protected:
    QString DesktopFolder() const override { return desktop; }
    QStringList DriveRoots() const override { return drives; }
};

QString Q(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

void MakeFolder(const fs::path& path)
{
    std::error_code error;
    ASSERT_TRUE(fs::create_directories(path, error)) << path << ": " << error.message();
}

void MakeFile(const fs::path& path)
{
    ASSERT_TRUE(WriteFileBytes(path.string(), "TGA")) << path;
}

QStringList ChildTexts(const QTreeWidgetItem* item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts.append(item->child(i)->text(0));
    return texts;
}

QTreeWidgetItem* Child(QTreeWidgetItem* item, const QString& text)
{
    for (int i = 0; i < item->childCount(); ++i) {
        if (item->child(i)->text(0) == text)
            return item->child(i);
    }
    ADD_FAILURE() << "no child " << text.toStdString() << " under " << item->text(0).toStdString();
    return nullptr;
}

bool IsLonePlaceholder(const QTreeWidgetItem* item)
{
    return item->childCount() == 1 && item->child(0)->text(0).isEmpty() && item->child(0)->childCount() == 0;
}

// Names in the order the directory delivers them, folders and files apart.
void Enumerate(const fs::path& folder, QStringList& folders, QStringList& files)
{
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        (it->is_directory(typeError) ? folders : files).append(Q(it->path().filename()));
    }
}

int BlankCount(const FolderTree& tree)
{
    return std::max(1, 32 / tree.imageList().imageSize().width());
}

// Checks that every drive, folder and file item owns exactly its two images,
// that they name that item, and that the list holds nothing else beyond the
// blanks and the two root icons.
void ExpectImagesOwnedByTheirItems(FolderTree& tree)
{
    const int blanks = BlankCount(tree);
    const ImageList& images = tree.imageList();
    int owners = 0;
    QSet<int> taken;
    std::vector<QTreeWidgetItem*> pending;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        QTreeWidgetItem* root = tree.topLevelItem(i);
        int image = -1;
        int selected = -1;
        ASSERT_TRUE(tree.GetItemImage(root, image, selected));
        EXPECT_EQ(image, i == 0 ? blanks + 1 : blanks);
        EXPECT_EQ(selected, image);
        for (int c = 0; c < root->childCount(); ++c)
            pending.push_back(root->child(c));
    }
    while (!pending.empty()) {
        QTreeWidgetItem* item = pending.back();
        pending.pop_back();
        for (int c = 0; c < item->childCount(); ++c)
            pending.push_back(item->child(c));

        int image = -1;
        int selected = -1;
        ASSERT_TRUE(tree.GetItemImage(item, image, selected));
        if (item->text(0).isEmpty()) {
            EXPECT_EQ(image, 0);
            EXPECT_EQ(selected, 0);
            continue;
        }
        ++owners;
        const QString path = tree.GetItemFullPath(item);
        EXPECT_EQ(selected, image + 1) << path.toStdString();
        EXPECT_GE(image, blanks + 2) << path.toStdString();
        EXPECT_FALSE(taken.contains(image)) << path.toStdString();
        taken.insert(image);
        for (int index : {image, selected}) {
            const QString key = images.key(index);
            EXPECT_TRUE(path == key || path == key + '/')
                << path.toStdString() << " shows the image of " << key.toStdString();
            EXPECT_FALSE(images.icon(index).isNull()) << path.toStdString();
        }
        EXPECT_EQ(item->data(0, Qt::DecorationRole).value<QIcon>().cacheKey(), images.icon(image).cacheKey());
    }
    EXPECT_EQ(images.count(), blanks + 2 + 2 * owners);
}

// Paints a row with a given icon, whatever the item holds.
class FixedIconDelegate : public QStyledItemDelegate {
public:
    explicit FixedIconDelegate(QIcon icon) : icon_(std::move(icon)) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->icon = icon_;
    }

private:
    QIcon icon_;
};

QImage PaintRow(const QAbstractItemDelegate& delegate, const TestTree& tree, QTreeWidgetItem* item, bool selected)
{
    QStyleOptionViewItem option;
    option.initFrom(&tree);
    option.rect = QRect(0, 0, 200, 24);
    option.decorationSize = tree.iconSize();
    option.state = QStyle::State_Enabled | (selected ? QStyle::State_Selected : QStyle::State_None);
    QImage image(option.rect.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    delegate.paint(&painter, option, tree.indexFromItem(item));
    return image;
}

} // namespace

TEST(FolderTree, SelectedItemsShowTheirSelectedImage)
{
    TempDir temp;
    MakeFolder(temp.path() / "folder");
    TestTree tree;
    tree.desktop = Q(temp.path());
    tree.InitTree(true);
    QTreeWidgetItem* desk = tree.topLevelItem(1);
    desk->setExpanded(true);
    QTreeWidgetItem* folder = Child(desk, "folder");
    int image = 0;
    int selected = 0;
    ASSERT_TRUE(tree.GetItemImage(folder, image, selected));
    const QIcon closedIcon = tree.imageList().icon(image);
    const QIcon openIcon = tree.imageList().icon(selected);
    ASSERT_NE(closedIcon.cacheKey(), openIcon.cacheKey());

    const QAbstractItemDelegate& ours = *tree.itemDelegate();
    const QImage shownSelected = PaintRow(ours, tree, folder, true);
    const QImage shownNormal = PaintRow(ours, tree, folder, false);
    EXPECT_EQ(shownSelected, PaintRow(FixedIconDelegate(openIcon), tree, folder, true));
    EXPECT_NE(shownSelected, PaintRow(FixedIconDelegate(closedIcon), tree, folder, true));
    EXPECT_EQ(shownNormal, PaintRow(FixedIconDelegate(closedIcon), tree, folder, false));
    EXPECT_NE(shownNormal, PaintRow(FixedIconDelegate(openIcon), tree, folder, false));
}

TEST(FolderTree, InitTreeShowsDrivesAboveTheDesktop)
{
    TempDir temp;
    const fs::path desktop = temp.path() / "Desk top";
    MakeFolder(desktop);
    TestTree tree;
    tree.desktop = Q(desktop) + '/';
    tree.InitTree(true);

    const int small = tree.style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &tree);
    EXPECT_EQ(tree.imageList().imageSize(), QSize(small, small));
    EXPECT_EQ(tree.iconSize(), QSize(small, small));
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    QTreeWidgetItem* drives = tree.topLevelItem(0);
    QTreeWidgetItem* desk = tree.topLevelItem(1);
    EXPECT_EQ(drives->text(0), "Drives");
    EXPECT_EQ(desk->text(0), "Desk top");
    for (QTreeWidgetItem* root : {drives, desk}) {
        EXPECT_FALSE(root->isExpanded());
        EXPECT_TRUE(IsLonePlaceholder(root));
    }
    // With 16-pixel icons: blanks 0 and 1, desktop 2, computer 3.
    EXPECT_EQ(tree.imageList().count(), BlankCount(tree) + 2);
    ExpectImagesOwnedByTheirItems(tree);

    EXPECT_EQ(tree.GetItemFullPath(drives), "");
    EXPECT_EQ(tree.GetItemFullPath(desk), Q(desktop) + '/');
    EXPECT_EQ(tree.GetItemFullPath(drives->child(0)), "");
    EXPECT_EQ(tree.GetItemFullPath(nullptr), "");

    // Rebuilding a used tree, with or without reset, leaves no stale items
    // or images behind.
    desk->setExpanded(true);
    drives->setExpanded(true);
    tree.InitTree(false);
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_TRUE(IsLonePlaceholder(tree.topLevelItem(0)));
    EXPECT_TRUE(IsLonePlaceholder(tree.topLevelItem(1)));
    EXPECT_EQ(tree.imageList().count(), BlankCount(tree) + 2);
    ExpectImagesOwnedByTheirItems(tree);
}

TEST(FolderTree, ExpansionListsFoldersThenTgaFilesInDirectoryOrder)
{
    TempDir temp;
    const fs::path root = temp.path();
    for (const char* folder : {"zeta", ".hidden", "alpha", "pics.tga"})
        MakeFolder(root / folder);
    for (const char* file : {"a.tga", "B.TGA", "c.Tga", "d.bmp", ".tga", "tga", ".secret.tga", "x.tga.bak", "y.tgax"})
        MakeFile(root / file);
    TestTree tree;
    tree.desktop = Q(root);
    tree.InitTree(true);

    QTreeWidgetItem* desk = tree.topLevelItem(1);
    EXPECT_NO_THROW(desk->setExpanded(true));

    QStringList folders;
    QStringList files;
    Enumerate(root, folders, files);
    QStringList expected = folders;
    for (const QString& file : files) {
        if (file == "a.tga" || file == ".tga" || file == ".secret.tga")
            expected.append(file);
    }
    EXPECT_EQ(folders.size(), 4);
    EXPECT_EQ(ChildTexts(desk), expected);

    for (const QString& folder : folders)
        EXPECT_TRUE(IsLonePlaceholder(Child(desk, folder))) << folder.toStdString();
    for (const char* file : {"a.tga", ".tga", ".secret.tga"})
        EXPECT_EQ(Child(desk, file)->childCount(), 0) << file;

    // The filter is the tree's own and ignores the folder's state.
    EXPECT_TRUE(tree.AcceptFile("a.tga"));
    EXPECT_TRUE(tree.AcceptFile(".tga"));
    EXPECT_FALSE(tree.AcceptFile("tga"));
    EXPECT_FALSE(tree.AcceptFile("ga"));
    EXPECT_FALSE(tree.AcceptFile(""));
    EXPECT_FALSE(tree.AcceptFile("a.TGA"));
}

TEST(FolderTree, FullPathOfEveryKindOfItem)
{
    TempDir temp;
    const fs::path desktop = temp.path() / "desk";
    const fs::path volume = temp.path() / "volume";
    MakeFolder(desktop / "sub" / "deeper");
    MakeFile(desktop / "sub" / "wall_A.tga");
    MakeFile(desktop / "top.tga");
    MakeFolder(volume / "empty");
    MakeFile(volume / "on_drive.tga");

    TestTree tree;
    tree.desktop = Q(desktop);
    tree.drives = {Q(volume), Q(desktop / "sub") + '/'};
    tree.InitTree(true);
    QTreeWidgetItem* drives = tree.topLevelItem(0);
    QTreeWidgetItem* desk = tree.topLevelItem(1);

    drives->setExpanded(true);
    ASSERT_EQ(ChildTexts(drives), QStringList({"volume", "sub"}));
    QTreeWidgetItem* drive = drives->child(0);
    EXPECT_EQ(tree.GetItemFullPath(drive), Q(volume) + '/');
    EXPECT_EQ(tree.GetItemFullPath(drives->child(1)), Q(desktop / "sub") + '/');
    drive->setExpanded(true);
    EXPECT_EQ(tree.GetItemFullPath(Child(drive, "on_drive.tga")), Q(volume / "on_drive.tga"));
    EXPECT_EQ(tree.GetItemFullPath(Child(drive, "empty")), Q(volume / "empty") + '/');

    desk->setExpanded(true);
    QTreeWidgetItem* sub = Child(desk, "sub");
    EXPECT_EQ(tree.GetItemFullPath(sub), Q(desktop / "sub") + '/');
    EXPECT_EQ(tree.GetItemFullPath(Child(desk, "top.tga")), Q(desktop / "top.tga"));
    EXPECT_EQ(tree.GetItemFullPath(sub->child(0)), "");
    sub->setExpanded(true);
    EXPECT_EQ(tree.GetItemFullPath(Child(sub, "deeper")), Q(desktop / "sub" / "deeper") + '/');
    EXPECT_EQ(tree.GetItemFullPath(Child(sub, "wall_A.tga")), Q(desktop / "sub" / "wall_A.tga"));

    QTreeWidgetItem* deeper = Child(sub, "deeper");
    deeper->setExpanded(true);
    ASSERT_TRUE(IsLonePlaceholder(deeper));
    EXPECT_EQ(tree.GetItemFullPath(deeper), Q(desktop / "sub" / "deeper") + '/');
    EXPECT_EQ(tree.GetItemFullPath(deeper->child(0)), "");
    EXPECT_EQ(tree.GetItemFullPath(drives), "");
    ExpectImagesOwnedByTheirItems(tree);
}

TEST(FolderTree, DrivesFollowTheDriveListOfEachExpansion)
{
    TempDir temp;
    MakeFolder(temp.path() / "one");
    MakeFolder(temp.path() / "two");
    TestTree tree;
    tree.desktop = Q(temp.path());
    tree.InitTree(true);
    QTreeWidgetItem* drives = tree.topLevelItem(0);

    drives->setExpanded(true);
    EXPECT_TRUE(IsLonePlaceholder(drives)) << "no volumes";
    drives->setExpanded(false);

    tree.drives = {Q(temp.path() / "one") + '/', Q(temp.path() / "two")};
    drives->setExpanded(true);
    EXPECT_EQ(ChildTexts(drives), QStringList({"one", "two"}));
    drives->setExpanded(false);

    tree.drives = {Q(temp.path() / "two") + '/'};
    drives->setExpanded(true);
    ASSERT_EQ(drives->childCount(), 1);
    EXPECT_EQ(tree.GetItemFullPath(drives->child(0)), Q(temp.path() / "two") + '/');
    ExpectImagesOwnedByTheirItems(tree);

    // The machine's own list: "/" first, each root once, each ending in '/'.
    QStringList machine = tree.MachineDriveRoots();
    ASSERT_FALSE(machine.isEmpty());
    EXPECT_EQ(machine.first(), "/");
    EXPECT_EQ(machine.removeDuplicates(), 0);
    for (const QString& root : machine)
        EXPECT_TRUE(root.endsWith('/')) << root.toStdString();
    EXPECT_TRUE(fs::is_directory(tree.MachineDesktopFolder().toStdString()));
}

TEST(FolderTree, CollapseLeavesOnePlaceholderAndExpansionRereads)
{
    TempDir temp;
    const fs::path root = temp.path();
    MakeFolder(root / "folder" / "inner");
    MakeFile(root / "folder" / "notes.txt");
    TestTree tree;
    tree.desktop = Q(root);
    tree.InitTree(true);
    QTreeWidgetItem* desk = tree.topLevelItem(1);
    desk->setExpanded(true);
    QTreeWidgetItem* folder = Child(desk, "folder");

    folder->setExpanded(true);
    EXPECT_EQ(ChildTexts(folder), QStringList({"inner"}));
    Child(folder, "inner")->setExpanded(true);
    EXPECT_TRUE(IsLonePlaceholder(Child(folder, "inner"))) << "an empty folder shows one blank row";

    folder->setExpanded(false);
    EXPECT_TRUE(IsLonePlaceholder(folder));
    MakeFile(root / "folder" / "added.tga");
    folder->setExpanded(true);
    EXPECT_EQ(ChildTexts(folder), QStringList({"inner", "added.tga"}));

    desk->setExpanded(false);
    EXPECT_TRUE(IsLonePlaceholder(desk));
    EXPECT_EQ(tree.imageList().count(), BlankCount(tree) + 2);

    // Expanding from code what cannot hold content changes nothing.
    desk->setExpanded(true);
    folder = Child(desk, "folder");
    folder->setExpanded(true);
    QTreeWidgetItem* tga = Child(folder, "added.tga");
    tga->setExpanded(true);
    EXPECT_EQ(tga->childCount(), 0);
    QTreeWidgetItem* placeholder = Child(folder, "inner")->child(0);
    placeholder->setExpanded(true);
    EXPECT_EQ(placeholder->childCount(), 0);
    ExpectImagesOwnedByTheirItems(tree);
}

TEST(FolderTree, AsteriskOpensOnlyTheCurrentItem)
{
    TempDir temp;
    MakeFolder(temp.path() / "a" / "b" / "c");
    TestTree tree;
    tree.desktop = Q(temp.path());
    tree.InitTree(true);
    tree.show();
    QTreeWidgetItem* desk = tree.topLevelItem(1);
    tree.setCurrentItem(desk);

    QKeyEvent asterisk(QEvent::KeyPress, Qt::Key_Asterisk, Qt::NoModifier, "*");
    QCoreApplication::sendEvent(&tree, &asterisk);
    EXPECT_TRUE(desk->isExpanded());
    QTreeWidgetItem* a = Child(desk, "a");
    EXPECT_FALSE(a->isExpanded());
    EXPECT_TRUE(IsLonePlaceholder(a));
}

TEST(FolderTree, UnreadableFolderExpandsToOnePlaceholder)
{
    TempDir temp;
    const fs::path root = temp.path();
    for (const char* folder : {"gone", "now_a_file", "target"})
        MakeFolder(root / folder);
    MakeFile(root / "target" / "t.tga");
    std::error_code error;
    fs::create_directory_symlink(root / "target", root / "link", error);
    ASSERT_FALSE(error) << error.message();
    fs::create_symlink(root / "loop.tga", root / "loop.tga", error);
    ASSERT_FALSE(error) << error.message();
    fs::create_symlink(root / "nowhere", root / "dangling.tga", error);
    ASSERT_FALSE(error) << error.message();

    TestTree tree;
    tree.desktop = Q(root);
    tree.InitTree(true);
    QTreeWidgetItem* desk = tree.topLevelItem(1);
    EXPECT_NO_THROW(desk->setExpanded(true));
    // A link to a folder is a folder; links that lead nowhere are entries
    // that are not folders, kept or dropped by their names.
    for (const char* name : {"gone", "now_a_file", "target", "link", "loop.tga", "dangling.tga"})
        EXPECT_NE(Child(desk, name), nullptr);
    EXPECT_TRUE(IsLonePlaceholder(Child(desk, "link")));
    EXPECT_EQ(Child(desk, "loop.tga")->childCount(), 0);

    QTreeWidgetItem* link = Child(desk, "link");
    link->setExpanded(true);
    EXPECT_EQ(ChildTexts(link), QStringList({"t.tga"}));
    EXPECT_EQ(tree.GetItemFullPath(link->child(0)), Q(root / "link" / "t.tga"));

    fs::remove(root / "gone", error);
    fs::remove(root / "now_a_file", error);
    MakeFile(root / "now_a_file");
    fs::remove_all(root / "target", error);
    for (const char* name : {"gone", "now_a_file", "link"}) {
        QTreeWidgetItem* item = Child(desk, name);
        item->setExpanded(false);
        EXPECT_NO_THROW(item->setExpanded(true));
        EXPECT_TRUE(item->isExpanded()) << name;
        EXPECT_TRUE(IsLonePlaceholder(item)) << name;
    }

    fs::remove_all(root, error);
    desk->setExpanded(false);
    EXPECT_NO_THROW(desk->setExpanded(true));
    EXPECT_TRUE(IsLonePlaceholder(desk));
    ExpectImagesOwnedByTheirItems(tree);
}

TEST(FolderTree, ImagesStayWithTheirItemsThroughManyExpandsAndCollapses)
{
    TempDir temp;
    const fs::path desktop = temp.path() / "desk";
    const fs::path volume = temp.path() / "vol";
    for (const char* folder : {"a/b/c", "a/d", "e", "f/g"}) {
        MakeFolder(desktop / folder);
        MakeFolder(volume / folder);
    }
    for (const char* file : {"1.tga", "a/2.tga", "a/b/3.tga", "a/b/c/4.tga", "f/g/5.tga", "f/6.tga"}) {
        MakeFile(desktop / file);
        MakeFile(volume / file);
    }
    TestTree tree;
    tree.desktop = Q(desktop);
    tree.drives = {Q(volume) + '/', Q(desktop / "a") + '/'};
    tree.InitTree(true);

    // Toggle random expandable items; the tree grows and shrinks at every
    // level, and each release must leave the others' images in place.
    std::mt19937 random(12345);
    for (int step = 0; step < 300; ++step) {
        std::vector<QTreeWidgetItem*> expandable;
        for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
            if ((*it)->childCount() > 0)
                expandable.push_back(*it);
        }
        ASSERT_FALSE(expandable.empty());
        QTreeWidgetItem* item = expandable[random() % expandable.size()];
        item->setExpanded(!item->isExpanded());
        if (step % 10 == 0) {
            ExpectImagesOwnedByTheirItems(tree);
            if (testing::Test::HasFailure())
                FAIL() << "at step " << step;
        }
    }
    ExpectImagesOwnedByTheirItems(tree);

    tree.topLevelItem(0)->setExpanded(false);
    tree.topLevelItem(1)->setExpanded(false);
    EXPECT_EQ(tree.imageList().count(), BlankCount(tree) + 2);
}
