#include "foldertree/FolderTree.h"
#include "foldertree/NaturalOrder.h"

#include "support/EventWait.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QSet>
#include <QSettings>
#include <QStyledItemDelegate>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

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

protected:
    QString DesktopFolder() const override { return desktop; }
    QStringList DriveRoots() const override { return drives; }
};

QString Q(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

// Names ending in '/' become folders, the others files.
void Make(const fs::path& root, std::initializer_list<const char*> names)
{
    for (std::string name : names) {
        std::error_code error;
        fs::create_directories((root / name).parent_path(), error);
        if (name.back() != '/') {
            EXPECT_TRUE(WriteFileBytes((root / name).string(), "TGA")) << name;
        }
    }
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
    const int at = ChildTexts(item).indexOf(text);
    EXPECT_GE(at, 0) << text.toStdString() << " under " << item->text(0).toStdString();
    return item->child(at);
}

// Runs the event loop until `done` holds (kEventWaitMilliseconds at most).
bool WaitUntil(const std::function<bool()>& done)
{
    const QDeadlineTimer deadline(kEventWaitMilliseconds);
    while (!done() && !deadline.hasExpired()) {
        QThread::msleep(10);
        QCoreApplication::processEvents();
    }
    return done();
}

// The full paths of the open items, in the tree's order ("" for Drives).
QStringList OpenPaths(FolderTree& tree)
{
    QStringList paths;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
        if ((*it)->isExpanded())
            paths.append(tree.GetItemFullPath(*it));
    }
    return paths;
}

bool IsLonePlaceholder(const QTreeWidgetItem* item)
{
    return item->childCount() == 1 && item->child(0)->text(0).isEmpty() && item->child(0)->childCount() == 0;
}

int BlankCount(const FolderTree& tree)
{
    return 32 / tree.imageList().imageSize().width();
}

// Every drive, folder and file item owns its two images, n and n + 1, keyed
// with its own path; placeholders hold 0; the list holds nothing else beyond
// the blanks and the two root icons.
void ExpectImagesOwnedByTheirItems(FolderTree& tree)
{
    const int blanks = BlankCount(tree);
    int owners = 0;
    QSet<int> taken;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
        int image = -1;
        int selected = -1;
        ASSERT_TRUE(tree.GetItemImage(*it, image, selected));
        const QString path = tree.GetItemFullPath(*it);
        if (!(*it)->parent()) {
            EXPECT_EQ(image, (*it)->text(0) == "Drives" ? blanks + 1 : blanks);
            EXPECT_EQ(selected, image);
        } else if ((*it)->text(0).isEmpty()) {
            EXPECT_EQ(image + selected, 0);
        } else {
            ++owners;
            EXPECT_EQ(selected, image + 1) << path.toStdString();
            EXPECT_GE(image, blanks + 2) << path.toStdString();
            EXPECT_FALSE(taken.contains(image)) << path.toStdString();
            taken.insert(image);
            for (int index : {image, selected}) {
                const QString key = tree.imageList().key(index);
                EXPECT_TRUE(path == key || path == key + '/') << path.toStdString() << " shows " << key.toStdString();
            }
        }
        EXPECT_EQ((*it)->data(0, Qt::DecorationRole).value<QIcon>().cacheKey(),
                  tree.imageList().icon(image).cacheKey());
    }
    EXPECT_EQ(tree.imageList().count(), blanks + 2 + 2 * owners);
}

}  // namespace

TEST(FolderTree, InitTreeShowsDrivesAboveTheDesktop)
{
    TempDir temp;
    Make(temp.path(), {"Desk top/"});
    TestTree tree;
    tree.desktop = Q(temp.path() / "Desk top") + '/';
    tree.InitTree(true);

    ASSERT_EQ(tree.topLevelItemCount(), 2);
    QTreeWidgetItem* drives = tree.topLevelItem(0);
    QTreeWidgetItem* desk = tree.topLevelItem(1);
    EXPECT_EQ(drives->text(0), "Drives");
    EXPECT_EQ(desk->text(0), "Desk top");
    EXPECT_TRUE(IsLonePlaceholder(drives) && IsLonePlaceholder(desk));
    EXPECT_FALSE(drives->isExpanded() || desk->isExpanded());
    EXPECT_EQ(tree.iconSize(), tree.imageList().imageSize());
    EXPECT_EQ(tree.imageList().count(), BlankCount(tree) + 2);
    EXPECT_EQ(tree.GetItemFullPath(drives), "");
    EXPECT_EQ(tree.GetItemFullPath(desk), Q(temp.path() / "Desk top") + '/');
    EXPECT_EQ(tree.GetItemFullPath(desk->child(0)), "");
    ExpectImagesOwnedByTheirItems(tree);

    // Rebuilding a used tree, with or without reset, keeps no stale items.
    desk->setExpanded(true);
    tree.InitTree(false);
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_TRUE(IsLonePlaceholder(tree.topLevelItem(1)));
    ExpectImagesOwnedByTheirItems(tree);
}

TEST(FolderTree, NamesSortNaturallyIgnoringCase)
{
    const QStringList sorted = {".b",           "1",      "2",       "10",          "a",
                                "A1",           "a01",    "a1",      "a2",          "a10",
                                "b_9",          "B_10",   "b_10x",   "crate_A.tga", "crate_A1.tga",
                                "crate_A2.tga", "wall_9", "wall_10", "wall_010x"};
    std::mt19937 random(3);
    for (int round = 0; round < 5; ++round) {
        QStringList shuffled = sorted;
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        std::sort(shuffled.begin(), shuffled.end(),
                  [](const QString& a, const QString& b) { return NaturalLess(a, b); });
        EXPECT_EQ(shuffled, sorted);
    }
    EXPECT_EQ(NaturalCompare(u"Wall_07", u"wall_7"), 0);
    EXPECT_LT(NaturalCompare(u"x99999999999999999999", u"x100000000000000000000"), 0);
}

TEST(FolderTree, ExpansionListsFoldersThenTextureFilesSortedWithoutDotEntriesUntilAsked)
{
    TempDir temp;
    Make(temp.path(), {"zeta/",   ".hidden/",     "Alpha/inner.tga", "Alpha/.dot.tga", "pics.tga/",   "wall_10/",
                       "wall_9/", "crate_A2.tga", "crate_A.tga",     "crate_A1.tga",   "wall_10.tga", "wall_9.tga",
                       "B.TGA",   "c.Tga",        "paint.png",       "Shot.PNG",       "d.bmp",       ".tga",
                       "tga",     ".secret.tga",  "x.tga.bak",       "y.png.txt"});
    TestTree tree;
    tree.desktop = Q(temp.path());
    tree.InitTree(true);
    QTreeWidgetItem* desk = tree.topLevelItem(1);
    desk->setExpanded(true);
    const QStringList folders = {"Alpha", "pics.tga", "wall_9", "wall_10", "zeta"};
    const QStringList files = {"B.TGA",     "c.Tga",    "crate_A.tga", "crate_A1.tga", "crate_A2.tga",
                               "paint.png", "Shot.PNG", "wall_9.tga",  "wall_10.tga"};
    EXPECT_EQ(ChildTexts(desk), folders + files);
    for (const QString& folder : folders)
        EXPECT_TRUE(IsLonePlaceholder(Child(desk, folder))) << folder.toStdString();
    for (const QString& file : files)
        EXPECT_EQ(Child(desk, file)->childCount(), 0) << file.toStdString();

    // The context menu's toggle reads the open folders again, keeps them
    // open, and keeps the selection quietly while its entry stays listed.
    Child(desk, "Alpha")->setExpanded(true);
    tree.setCurrentItem(Child(desk, "crate_A1.tga"));
    int selectionChanges = 0;
    QObject::connect(&tree, &QTreeWidget::currentItemChanged, [&selectionChanges] { ++selectionChanges; });
    QAction* toggle = tree.showHiddenAction();
    ASSERT_TRUE(toggle->isCheckable());
    toggle->trigger();
    EXPECT_TRUE(tree.showsHiddenEntries());
    desk = tree.topLevelItem(1);
    EXPECT_EQ(ChildTexts(desk), QStringList({".hidden"}) + folders + QStringList({".secret.tga", ".tga"}) + files);
    EXPECT_EQ(ChildTexts(Child(desk, "Alpha")), QStringList({".dot.tga", "inner.tga"}));
    EXPECT_EQ(tree.GetItemFullPath(tree.currentItem()), Q(temp.path() / "crate_A1.tga"));
    EXPECT_EQ(selectionChanges, 0);

    tree.setCurrentItem(Child(desk, ".secret.tga"));
    selectionChanges = 0;
    toggle->trigger();
    EXPECT_FALSE(tree.showsHiddenEntries());
    EXPECT_EQ(ChildTexts(tree.topLevelItem(1)), folders + files);
    EXPECT_EQ(tree.currentItem(), nullptr);
    EXPECT_EQ(selectionChanges, 1);
    ExpectImagesOwnedByTheirItems(tree);
}

TEST(FolderTree, FullPathOfEveryKindOfItem)
{
    TempDir temp;
    const fs::path desktop = temp.path() / "desk";
    const fs::path volume = temp.path() / "volume";
    Make(desktop, {"sub/deeper/", "sub/wall_A.tga", "top.tga"});
    Make(volume, {"empty/", "on_drive.tga"});
    TestTree tree;
    tree.desktop = Q(desktop);
    tree.InitTree(true);
    QTreeWidgetItem* drives = tree.topLevelItem(0);
    QTreeWidgetItem* desk = tree.topLevelItem(1);

    drives->setExpanded(true);
    EXPECT_TRUE(IsLonePlaceholder(drives)) << "no volumes";
    drives->setExpanded(false);
    tree.drives = {Q(volume), Q(desktop / "sub") + '/'};
    drives->setExpanded(true);
    ASSERT_EQ(ChildTexts(drives), QStringList({Q(volume), Q(desktop / "sub")})) << "drives show their mount points";
    QTreeWidgetItem* drive = drives->child(0);
    EXPECT_EQ(tree.GetItemFullPath(drive), Q(volume) + '/');
    drive->setExpanded(true);
    EXPECT_EQ(tree.GetItemFullPath(Child(drive, "on_drive.tga")), Q(volume / "on_drive.tga"));
    EXPECT_EQ(tree.GetItemFullPath(Child(drive, "empty")), Q(volume / "empty") + '/');

    desk->setExpanded(true);
    QTreeWidgetItem* sub = Child(desk, "sub");
    EXPECT_EQ(tree.GetItemFullPath(sub), Q(desktop / "sub") + '/');
    EXPECT_EQ(tree.GetItemFullPath(Child(desk, "top.tga")), Q(desktop / "top.tga"));
    sub->setExpanded(true);
    EXPECT_EQ(tree.GetItemFullPath(Child(sub, "wall_A.tga")), Q(desktop / "sub" / "wall_A.tga"));
    QTreeWidgetItem* deeper = Child(sub, "deeper");
    deeper->setExpanded(true);
    ASSERT_TRUE(IsLonePlaceholder(deeper)) << "an empty folder shows one blank row";
    EXPECT_EQ(tree.GetItemFullPath(deeper), Q(desktop / "sub" / "deeper") + '/');
    EXPECT_EQ(tree.GetItemFullPath(deeper->child(0)), "");
    ExpectImagesOwnedByTheirItems(tree);

    // The machine's own volumes: "/" first, each once, each ending in '/'.
    QStringList machine = tree.MachineDriveRoots();
    ASSERT_FALSE(machine.isEmpty());
    EXPECT_EQ(machine.first(), "/");
    EXPECT_EQ(machine.removeDuplicates(), 0);
    EXPECT_TRUE(std::all_of(machine.begin(), machine.end(), [](const QString& r) { return r.endsWith('/'); }));
}

TEST(FolderTree, CollapseLeavesOnePlaceholderExpansionRereadsAndKeysActOnTheCurrentItem)
{
    TempDir temp;
    Make(temp.path(), {"folder/inner/", "folder/notes.txt"});
    TestTree tree;
    tree.desktop = Q(temp.path());
    tree.InitTree(true);
    tree.show();
    QTreeWidgetItem* desk = tree.topLevelItem(1);
    desk->setExpanded(true);
    QTreeWidgetItem* folder = Child(desk, "folder");
    folder->setExpanded(true);
    EXPECT_EQ(ChildTexts(folder), QStringList({"inner"}));

    folder->setExpanded(false);
    EXPECT_TRUE(IsLonePlaceholder(folder));
    Make(temp.path(), {"folder/added.tga"});
    folder->setExpanded(true);
    EXPECT_EQ(ChildTexts(folder), QStringList({"inner", "added.tga"}));

    // What cannot hold content stays empty when expanded from code.
    QTreeWidgetItem* placeholder = Child(folder, "inner")->child(0);
    placeholder->setExpanded(true);
    Child(folder, "added.tga")->setExpanded(true);
    EXPECT_EQ(placeholder->childCount() + Child(folder, "added.tga")->childCount(), 0);

    // '*' opens the current item only, never everything below it.
    desk->setExpanded(false);
    EXPECT_TRUE(IsLonePlaceholder(desk));
    tree.setCurrentItem(desk);
    QKeyEvent asterisk(QEvent::KeyPress, Qt::Key_Asterisk, Qt::NoModifier, "*");
    QCoreApplication::sendEvent(&tree, &asterisk);
    ASSERT_TRUE(desk->isExpanded());
    EXPECT_TRUE(IsLonePlaceholder(Child(desk, "folder")));
    ExpectImagesOwnedByTheirItems(tree);

    // Shift+F10 opens the context menu under the current item.
    tree.setCurrentItem(Child(desk, "folder"));
    QList<QAction*> offered;
    QPoint shownAt;
    QTimer::singleShot(0, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            offered = menu->actions();
            shownAt = menu->pos();
            menu->close();
        }
    });
    QKeyEvent shiftF10(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier);
    QCoreApplication::sendEvent(&tree, &shiftF10);
    EXPECT_EQ(offered, QList<QAction*>({tree.showHiddenAction()}));
    EXPECT_EQ(shownAt, tree.viewport()->mapToGlobal(tree.visualItemRect(tree.currentItem()).bottomLeft()));
}

TEST(FolderTree, UnreadableFolderExpandsToOnePlaceholder)
{
    TempDir temp;
    const fs::path root = temp.path();
    Make(root, {"gone/", "now_a_file/", "target/t.tga"});
    std::error_code error;
    fs::create_directory_symlink(root / "target", root / "link", error);
    fs::create_symlink(root / "loop.tga", root / "loop.tga", error);
    fs::create_symlink(root / "nowhere", root / "dangling.tga", error);
    TestTree tree;
    tree.desktop = Q(root);
    tree.InitTree(true);
    QTreeWidgetItem* desk = tree.topLevelItem(1);
    EXPECT_NO_THROW(desk->setExpanded(true));

    // A link to a folder is a folder; links that lead nowhere are files.
    EXPECT_EQ(desk->childCount(), 6);
    EXPECT_EQ(Child(desk, "loop.tga")->childCount() + Child(desk, "dangling.tga")->childCount(), 0);
    Child(desk, "link")->setExpanded(true);
    EXPECT_EQ(tree.GetItemFullPath(Child(desk, "link")->child(0)), Q(root / "link" / "t.tga"));

    fs::remove(root / "gone", error);
    fs::remove(root / "now_a_file", error);
    Make(root, {"now_a_file"});
    fs::remove_all(root / "target", error);
    for (const char* name : {"gone", "now_a_file", "link"}) {
        QTreeWidgetItem* item = Child(desk, name);
        item->setExpanded(false);
        EXPECT_NO_THROW(item->setExpanded(true));
        EXPECT_TRUE(item->isExpanded() && IsLonePlaceholder(item)) << name;
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
    for (const char* top : {"desk", "vol"})
        Make(temp.path() / top, {"a/b/c/4.tga", "a/d/", "e/", "f/g/5.tga", "1.tga", "a/2.tga", "a/b/3.tga", "f/6.tga"});
    TestTree tree;
    tree.desktop = Q(temp.path() / "desk");
    tree.drives = {Q(temp.path() / "vol"), Q(temp.path() / "desk" / "a")};
    tree.InitTree(true);

    // Toggle random expandable items, so that the tree grows and shrinks at
    // every level and each release moves images that others still show.
    std::mt19937 random(12345);
    for (int step = 0; step < 300 && !testing::Test::HasFailure(); ++step) {
        std::vector<QTreeWidgetItem*> expandable;
        for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
            if ((*it)->childCount() > 0)
                expandable.push_back(*it);
        }
        QTreeWidgetItem* item = expandable[random() % expandable.size()];
        item->setExpanded(!item->isExpanded());
        if (step % 10 == 0)
            ExpectImagesOwnedByTheirItems(tree);
    }
    tree.topLevelItem(0)->setExpanded(false);
    tree.topLevelItem(1)->setExpanded(false);
    EXPECT_EQ(tree.imageList().count(), BlankCount(tree) + 2);
}

TEST(FolderTree, OpenFoldersFollowTheDiskKeepingOpenItemsSelectionAndScroll)
{
    TempDir temp;
    const fs::path root = temp.path();
    Make(root, {"sub/inner/", "sub/a.tga", "gone/deep/x.tga", "keep.tga"});
    for (int i = 10; i < 40; ++i)
        Make(root, {("f" + std::to_string(i) + ".tga").c_str()});
    TestTree tree;
    tree.desktop = Q(root);
    tree.InitTree(true);
    tree.resize(200, 160);
    tree.show();
    QTreeWidgetItem* desk = tree.topLevelItem(1);
    desk->setExpanded(true);
    QTreeWidgetItem* sub = Child(desk, "sub");
    sub->setExpanded(true);
    Child(desk, "gone")->setExpanded(true);
    Child(Child(desk, "gone"), "deep")->setExpanded(true);
    QTreeWidgetItem* const keep = Child(desk, "keep.tga");
    tree.setCurrentItem(keep);
    QTreeWidgetItem* const top = Child(desk, "f30.tga");
    tree.scrollToItem(top, QAbstractItemView::PositionAtTop);
    int selectionChanges = 0;
    QObject::connect(&tree, &QTreeWidget::currentItemChanged, [&selectionChanges] { ++selectionChanges; });

    // Entries that appear take their places; what was open stays open, the
    // selection stays, and so does the row at the top.
    Make(root, {"sub/b.tga", "aa/", "c.tga", "notes.txt"});
    ASSERT_TRUE(WaitUntil([&] { return ChildTexts(sub).contains("b.tga") && ChildTexts(desk).contains("c.tga"); }));
    EXPECT_EQ(ChildTexts(sub), QStringList({"inner", "a.tga", "b.tga"}));
    EXPECT_EQ(ChildTexts(desk).mid(0, 5), QStringList({"aa", "gone", "sub", "c.tga", "f10.tga"}));
    EXPECT_TRUE(IsLonePlaceholder(Child(desk, "aa")));
    EXPECT_TRUE(sub->isExpanded() && Child(desk, "gone")->isExpanded());
    EXPECT_EQ(tree.itemAt(QPoint(0, 0)), top);

    // A save that writes a new file and renames it over the old one, or that
    // removes the old one first, keeps the selected item itself.
    Make(root, {"keep.new"});
    fs::rename(root / "keep.new", root / "keep.tga");
    fs::remove(root / "keep.tga");
    Make(root, {"keep.tga", "d.tga"});
    ASSERT_TRUE(WaitUntil([&] { return ChildTexts(desk).contains("d.tga"); }));
    // Even a gap that a look at the folder falls into.
    fs::remove(root / "keep.tga");
    Make(root, {"e.tga"});
    ASSERT_TRUE(WaitUntil([&] { return ChildTexts(desk).contains("e.tga"); }));
    Make(root, {"keep.tga", "f.tga"});
    ASSERT_TRUE(WaitUntil([&] { return ChildTexts(desk).contains("f.tga"); }));
    EXPECT_EQ(tree.currentItem(), keep);
    EXPECT_EQ(Child(desk, "keep.tga"), keep);

    // Gone for good: the selection goes without a word, a folder takes its
    // subtree with it.
    fs::remove(root / "keep.tga");
    std::error_code error;
    fs::remove_all(root / "gone", error);
    fs::remove(root / "sub" / "a.tga");
    ASSERT_TRUE(
        WaitUntil([&] { return !ChildTexts(desk).contains("keep.tga") && !ChildTexts(desk).contains("gone"); }));
    ASSERT_TRUE(WaitUntil([&] { return ChildTexts(sub) == QStringList({"inner", "b.tga"}); }));
    EXPECT_EQ(tree.currentItem(), nullptr);
    EXPECT_EQ(selectionChanges, 0);
    ExpectImagesOwnedByTheirItems(tree);

    // A folder emptied keeps its placeholder row.
    fs::remove_all(root / "sub" / "inner", error);
    fs::remove(root / "sub" / "b.tga");
    ASSERT_TRUE(WaitUntil([&] { return IsLonePlaceholder(sub); }));
    EXPECT_TRUE(sub->isExpanded());
}

TEST(FolderTree, SelectPathOpensTheWayAndFindsAFileJustWritten)
{
    TempDir temp;
    const fs::path desktop = temp.path() / "desk";
    const fs::path volume = temp.path() / "vol";
    Make(desktop, {"sub/deeper/old.tga", "top.tga"});
    Make(volume, {"v/on_drive.png"});
    TestTree tree;
    tree.desktop = Q(desktop);
    tree.drives = {Q(volume)};
    tree.InitTree(true);
    QTreeWidgetItem* desk = tree.topLevelItem(1);
    desk->setExpanded(true);
    tree.setCurrentItem(Child(desk, "top.tga"));
    int selectionChanges = 0;
    QObject::connect(&tree, &QTreeWidget::currentItemChanged, [&selectionChanges] { ++selectionChanges; });

    Make(desktop, {"sub/deeper/new_A.tga"});
    ASSERT_TRUE(tree.selectPath(Q(desktop / "sub" / "deeper" / "new_A.tga")));
    EXPECT_EQ(tree.GetItemFullPath(tree.currentItem()), Q(desktop / "sub" / "deeper" / "new_A.tga"));
    EXPECT_EQ(selectionChanges, 1);
    EXPECT_TRUE(Child(desk, "sub")->isExpanded());

    ASSERT_TRUE(tree.selectPath(Q(volume / "v" / "on_drive.png")));
    EXPECT_EQ(tree.GetItemFullPath(tree.currentItem()), Q(volume / "v" / "on_drive.png"));
    EXPECT_FALSE(tree.selectPath(Q(volume / "v" / "absent.png")));
    EXPECT_FALSE(tree.selectPath(Q(temp.path() / "elsewhere.tga")));
    EXPECT_FALSE(tree.selectPath(Q(desktop / ".hidden.tga")));
    EXPECT_EQ(tree.GetItemFullPath(tree.currentItem()), Q(volume / "v" / "on_drive.png"));
    EXPECT_EQ(selectionChanges, 2);
    ExpectImagesOwnedByTheirItems(tree);
}

TEST(FolderTree, StateComesBackAfterARestart)
{
    TempDir temp;
    const fs::path desktop = temp.path() / "desk";
    const fs::path volume = temp.path() / "vol";
    Make(desktop, {"a, b/c=d/", "@x/", ".hid/in.tga", "sub/deeper/", "sub/pick \"q\".tga"});
    Make(volume, {"v/w/"});
    const QString file = Q(temp.path() / "state.conf");
    auto tree = std::make_unique<TestTree>();
    tree->desktop = Q(desktop);
    tree->drives = {Q(volume)};
    tree->InitTree(true);
    tree->showHiddenAction()->trigger();
    QTreeWidgetItem* drives = tree->topLevelItem(0);
    QTreeWidgetItem* desk = tree->topLevelItem(1);
    drives->setExpanded(true);
    drives->child(0)->setExpanded(true);
    Child(drives->child(0), "v")->setExpanded(true);
    desk->setExpanded(true);
    Child(desk, "a, b")->setExpanded(true);
    Child(Child(desk, "a, b"), "c=d")->setExpanded(true);
    Child(desk, ".hid")->setExpanded(true);
    Child(desk, "@x")->setExpanded(true);
    QTreeWidgetItem* sub = Child(desk, "sub");
    sub->setExpanded(true);
    Child(sub, "deeper")->setExpanded(true);
    tree->setCurrentItem(Child(sub, "pick \"q\".tga"));
    const QStringList open = OpenPaths(*tree);
    {
        QSettings settings(file, QSettings::IniFormat);
        tree->saveState(settings);
    }
    tree.reset();

    // A folder gone meanwhile is left out; nothing is said.
    std::error_code error;
    fs::remove_all(desktop / "sub" / "deeper", error);
    TestTree restored;
    restored.desktop = Q(desktop);
    restored.drives = {Q(volume)};
    restored.InitTree(true);
    int selectionChanges = 0;
    QObject::connect(&restored, &QTreeWidget::currentItemChanged, [&selectionChanges] { ++selectionChanges; });
    QSettings settings(file, QSettings::IniFormat);
    restored.restoreState(settings);
    EXPECT_TRUE(restored.showsHiddenEntries() && restored.showHiddenAction()->isChecked());
    QStringList expected = open;
    expected.removeAll(Q(desktop / "sub" / "deeper") + '/');
    EXPECT_EQ(OpenPaths(restored), expected);
    EXPECT_EQ(restored.GetItemFullPath(restored.currentItem()), Q(desktop / "sub" / "pick \"q\".tga"));
    EXPECT_EQ(selectionChanges, 0);

    // Nothing saved: the tree as InitTree leaves it.
    QSettings empty(Q(temp.path() / "empty.conf"), QSettings::IniFormat);
    TestTree fresh;
    fresh.desktop = Q(desktop);
    fresh.InitTree(true);
    fresh.restoreState(empty);
    EXPECT_TRUE(OpenPaths(fresh).isEmpty());
    EXPECT_FALSE(fresh.showsHiddenEntries());
    EXPECT_EQ(fresh.currentItem(), nullptr);
}

namespace {

// Paints a row with the given icon, whatever the item holds.
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

}  // namespace

TEST(FolderTree, SelectedRowShowsTheSelectedImage)
{
    TempDir temp;
    Make(temp.path(), {"folder/"});
    TestTree tree;
    tree.desktop = Q(temp.path());
    tree.InitTree(true);
    tree.topLevelItem(1)->setExpanded(true);
    QTreeWidgetItem* folder = Child(tree.topLevelItem(1), "folder");
    int image = 0;
    int selected = 0;
    ASSERT_TRUE(tree.GetItemImage(folder, image, selected));
    const QIcon closedIcon = tree.imageList().icon(image);
    const QIcon openIcon = tree.imageList().icon(selected);

    for (bool isSelected : {true, false}) {
        const QImage shown = PaintRow(*tree.itemDelegate(), tree, folder, isSelected);
        EXPECT_EQ(shown, PaintRow(FixedIconDelegate(isSelected ? openIcon : closedIcon), tree, folder, isSelected));
        EXPECT_NE(shown, PaintRow(FixedIconDelegate(isSelected ? closedIcon : openIcon), tree, folder, isSelected));
    }
}
