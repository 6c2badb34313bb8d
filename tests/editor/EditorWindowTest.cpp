#include "EditorTestSupport.h"

#include "editor/AboutDialog.h"
#include "editor/ExportTexturesDialog.h"
#include "editor/ExtractedChain.h"
#include "editor/GrowingLayout.h"
#include "editor/ImportSummaryDialog.h"
#include "editor/PreviewFrame.h"
#include "resources/ResourceIds.h"
#include "support/EventWait.h"
#include "support/TempDir.h"
#include "support/TextureBuilder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>
#include <QTreeWidget>

#include <functional>
#include <set>
#include <string>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

// No main window: a box or file dialog opens on its own.
QWidget* NoWindow()
{
    return nullptr;
}

struct ExpectedItem {
    const char* text;  // nullptr: separator
    int id;
    bool enabled;
};

void ExpectMenu(QMenu* menu, const std::vector<ExpectedItem>& expected)
{
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), qsizetype(expected.size())) << menu->title().toStdString();
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(testing::Message() << menu->title().toStdString() << " item " << i);
        if (!expected[i].text) {
            EXPECT_TRUE(actions[i]->isSeparator());
            continue;
        }
        EXPECT_EQ(QString(actions[i]->text()).remove('&'), QString(expected[i].text));
        EXPECT_EQ(actions[i]->data().toInt(), expected[i].id);
        EXPECT_EQ(actions[i]->isEnabled(), expected[i].enabled);
    }
}

QMenu* MenuTitled(const QWidget* bar, const QString& title)
{
    for (QAction* action : bar->actions()) {
        if (QString(action->text()).remove('&') == title)
            return action->menu();
    }
    return nullptr;
}

// Each text marks one letter with '&', and no two entries of a menu mark the
// same letter; the same for every submenu.
void ExpectMnemonicsUnique(const QWidget* menu)
{
    std::set<QChar> letters;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || (action->data().toInt() >= kFirstRecentSceneCommand &&
                                      action->data().toInt() < kFirstRecentSceneCommand + kRecentSceneCount))
            continue;
        const QString text = action->text();
        const qsizetype marker = text.indexOf('&');
        SCOPED_TRACE(text.toStdString());
        ASSERT_GE(marker, 0);
        EXPECT_EQ(text.indexOf('&', marker + 1), -1);
        EXPECT_TRUE(letters.insert(text[marker + 1].toLower()).second);
        if (action->menu())
            ExpectMnemonicsUnique(action->menu());
    }
}

}  // namespace

TEST(EditorWindow, MenusHoldTheirItemsIdsAndGreyedStatesAtStart)
{
    TempDir desktop;
    EditorUnderTest editor(desktop.path().string());
    auto* bar = editor.dialog->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);

    QStringList titles;
    for (QAction* action : bar->actions())
        titles.append(action->text());
    EXPECT_EQ(titles, QStringList({"&File", "&Edit", "&View", "&Action", "&Help"}));
    ExpectMnemonicsUnique(bar);

    ExpectMenu(MenuTitled(bar, "File"), {
                                            {"Load", 57601, true},
                                            {"Save (new format)", 57603, false},
                                            {"Save (old format)", 32778, false},
                                            {"Save as... (new format)", 32777, false},
                                            {"Save as... (old format)", 32779, false},
                                            {"Close", 57602, false},
                                            {nullptr, 0, false},
                                            {"Export all textures...", 32789, false},
                                            {"Import textures from folder...", 32790, false},
                                            {nullptr, 0, false},
                                            {"Recent scenes", 0, false},
                                            {nullptr, 0, false},
                                            {"Quit", 2, true},
                                        });
    ExpectMenu(MenuTitled(bar, "Edit"), {{"Undo", 57643, false}, {"Redo", 57644, false}, {"Rename", 32791, false}});
    QMenu* viewMenu = MenuTitled(bar, "View");
    ExpectMenu(viewMenu, {{"Zoom in", 32800, true},
                          {"Zoom out", 32801, true},
                          {"1:1", 32802, true},
                          {"fit", 32803, true},
                          {"Channels", 0, true},
                          {nullptr, 0, false},
                          {"Link the frames", 32810, true},
                          {"Difference", 32811, true},
                          {"Replacement as it will go in", 32820, true}});
    ExpectMenu(MenuTitled(viewMenu, "Channels"), {{"RGB with alpha", 32804, true},
                                                  {"RGB without alpha", 32805, true},
                                                  {"Red", 32806, true},
                                                  {"Green", 32807, true},
                                                  {"Blue", 32808, true},
                                                  {"Alpha", 32809, true}});
    QMenu* actionMenu = MenuTitled(bar, "Action");
    ExpectMenu(actionMenu, {
                               {"Extract", 1002, true},
                               {"Replace", 1003, true},
                               {nullptr, 0, false},
                               {"Keep the scene texture's format", 32780, true},
                               {"Dither 8-bit conversions", 32821, true},
                               {"Generated levels", 0, true},
                               {"Smaller levels", 0, true},
                               {"Flags on Replace", 0, true},
                               {"Names on Replace", 0, true},
                           });
    ExpectMenu(MenuTitled(actionMenu, "Generated levels"), {{"Point", 32781, true}, {"Box", 32782, true}});
    ExpectMenu(MenuTitled(actionMenu, "Smaller levels"), {{"Ask when older", 32783, true},
                                                          {"Always rebuild from the first file", 32784, true},
                                                          {"Always use the files", 32785, true}});
    ExpectMenu(MenuTitled(actionMenu, "Flags on Replace"), {{"Ask when they differ", 32786, true},
                                                            {"Always keep the scene texture's", 32787, true},
                                                            {"Always take the file name's", 32788, true}});
    ExpectMenu(MenuTitled(actionMenu, "Names on Replace"),
               {{"Take the file's name", 32792, true}, {"Keep the scene texture's name", 32793, true}});
    ExpectMenu(MenuTitled(bar, "Help"), {{"About quorrel...", 16, true}});

    bool aboutShown = false;
    QTimer::singleShot(0, [&aboutShown] {
        if (auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget())) {
            aboutShown = true;
            about->accept();
        }
    });
    editor.action(16)->trigger();
    EXPECT_TRUE(aboutShown);

    EXPECT_EQ(editor.dialog->windowTitle(), "Quorrel");
    EXPECT_FALSE(editor.dialog->windowIcon().isNull());
}

TEST(EditorWindow, SceneCommandsAreEnabledAndDisabledTogether)
{
    TempDir desktop;
    EditorUnderTest editor(desktop.path().string());
    const int sceneCommands[] = {57602, 57603, 32777, 32778, 32779, 32789, 32790};
    const int alwaysOn[] = {57601, 2, 1002, 1003};

    editor.dialog->EnableSceneCommands();
    for (int id : sceneCommands)
        EXPECT_TRUE(editor.action(id)->isEnabled()) << id;

    auto* textures = editor.control<QListWidget>(1000);
    auto* details = editor.control<QListWidget>(1006);
    textures->addItems({"a", "b"});
    details->addItems({"1", "2"});
    editor.dialog->DisableSceneCommands();
    for (int id : sceneCommands)
        EXPECT_FALSE(editor.action(id)->isEnabled()) << id;
    for (int id : alwaysOn)
        EXPECT_TRUE(editor.action(id)->isEnabled()) << id;
    EXPECT_EQ(textures->count(), 0);
    EXPECT_EQ(details->count(), 0);
}

TEST(EditorWindow, ControlsSitAtTheirPlacesWithTheirTextsUnclipped)
{
    TempDir desktop;
    EditorUnderTest editor(desktop.path().string());

    const std::pair<int, const char*> boxes[] = {
        {1007, "Mipmap levels"}, {1008, "Alpha level"},   {1009, "Detail second pass"}, {1010, "Force 32 bit"},
        {1011, "Envmap"},        {1012, "Clamped for U"}, {1013, "Clamped for V"},      {1014, "No Z-Buffer"},
    };
    for (const auto& [id, text] : boxes) {
        auto* box = editor.control<QCheckBox>(id);
        ASSERT_NE(box, nullptr) << id;
        EXPECT_EQ(box->text(), QString(text));
        EXPECT_FALSE(box->isChecked()) << text;
        // Read-only at full contrast: enabled, yet a click or a key changes nothing.
        EXPECT_TRUE(box->isEnabled()) << text;
        EXPECT_EQ(box->focusPolicy(), Qt::NoFocus) << text;
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(5, box->height() / 2));
        QTest::keyClick(box, Qt::Key_Space);
        EXPECT_FALSE(box->isChecked()) << text;
        // The text is drawn right of the indicator, in the contents rectangle.
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        const QRect textArea = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
        EXPECT_LE(box->fontMetrics().horizontalAdvance(box->text()), textArea.width()) << text;
        EXPECT_LE(box->fontMetrics().height(), box->height()) << text;
    }

    QStringList labels;
    for (QLabel* label : editor.dialog->findChildren<QLabel*>()) {
        if (label->property("controlId").toInt() != kNoControlId)
            continue;
        labels.append(label->text());
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
            << label->text().toStdString();
        EXPECT_LE(label->fontMetrics().height(), label->height()) << label->text().toStdString();
    }
    labels.sort();
    EXPECT_EQ(labels, QStringList({"Bit Depth", "Height", "Mipmap level", "Width"}));

    // Dialog units: x * 3 / 2 and y * 8 / 5, rounded half up.
    // The texture list's rectangle: the field finding textures, their count, the list.
    EXPECT_EQ(editor.control<QWidget>(kTextureFilterId)->geometry(), QRect(9, 11, 140, 19));
    EXPECT_EQ(editor.control<QWidget>(kTextureCountId)->geometry(), QRect(9, 30, 140, 13));
    EXPECT_EQ(editor.control<QWidget>(1000)->geometry(), QRect(9, 43, 140, 501));
    EXPECT_EQ(editor.control<QWidget>(1006)->geometry(), QRect(225, 389, 143, 56));
    EXPECT_EQ(editor.control<QWidget>(1025)->geometry(), QRect(443, 389, 272, 155));
    for (const auto& [id, left] : {std::pair{1017, 155}, std::pair{1018, 443}}) {
        auto* frame = editor.control<PreviewFrame>(id);
        ASSERT_NE(frame, nullptr) << id;
        EXPECT_EQ(frame->clientSize(), QSize(272, 368)) << id;
        EXPECT_EQ(frame->mapToParent(frame->contentsRect().topLeft()), QPoint(left, 11)) << id;
    }
    EXPECT_EQ(editor.control<QWidget>(1025), editor.tree);
}

TEST(EditorWindow, OneFontEverywhereAndRoomForEveryText)
{
    TempDir desktop;
    EditorUnderTest editor(desktop.path().string());
    const QFont font = editor.dialog->font();
    // The face itself, not a stand-in of other widths that would clip the labels.
    EXPECT_EQ(QFontInfo(font).family(), "DejaVu Sans Condensed");
    for (QMenu* menu : editor.dialog->findChildren<QMenu*>())
        EXPECT_EQ(menu->font(), font) << menu->title().toStdString();
    EXPECT_EQ(editor.dialog->findChild<QMenuBar*>()->font(), font);
    EXPECT_EQ(QToolTip::font(), font);

    // List rows leave room below the baseline for the underscores in names,
    // and a pixel to spare, so the next row's highlight never touches them.
    auto* textures = editor.control<QListWidget>(kTextureListId);
    textures->addItems({"crate_A_gj", "wall_9"});
    const QFontMetrics metrics = textures->fontMetrics();
    const QRect row = textures->visualItemRect(textures->item(0));
    const int baseline = row.top() + (row.height() - metrics.height()) / 2 + metrics.ascent();
    EXPECT_LT(baseline + metrics.boundingRect(QChar('_')).bottom(), row.bottom());
    EXPECT_LE(row.bottom(), textures->visualItemRect(textures->item(1)).top() - 1);

    // A message box on the screen: the same font, wide enough that its title
    // bar shows the caption beside the window's buttons, the icon of its
    // kind, and the keyboard focus on its button.
    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        checked = true;
        EXPECT_EQ(box->font(), font);
        EXPECT_GE(box->width(), box->fontMetrics().horizontalAdvance(box->windowTitle()) + 150);
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        box->accept();
    });
    DesktopPrompts(NoWindow).message("quorrel", "File not loaded", MessageKind::Error);
    EXPECT_TRUE(checked);

    // The question about unsaved work, over the main window it is given:
    // Save (the default, holding the focus), Discard or Cancel, each with
    // its access key; Alt+D discards.
    checked = false;
    QWidget window;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        checked = true;
        EXPECT_EQ(box->parentWidget(), &window);
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        EXPECT_EQ(box->button(QMessageBox::Save)->text(), "&Save");
        EXPECT_EQ(box->button(QMessageBox::Discard)->text(), "&Discard");
        EXPECT_EQ(box->button(QMessageBox::Cancel)->text(), "&Cancel");
        EXPECT_TRUE(QTest::qWaitForWindowActive(box, kEventWaitMilliseconds));
        EXPECT_EQ(QApplication::focusWidget(), box->button(QMessageBox::Save));
        QTest::keyClick(box, Qt::Key_D, Qt::AltModifier);
    });
    EXPECT_EQ(DesktopPrompts([&window] { return &window; }).askUnsaved("quorrel", "Unsaved"), UnsavedAnswer::Discard);
    EXPECT_TRUE(checked);
}

namespace {

// Whether `action` opens the file: an inotify watch sees every open, which a
// look at the file's kind and name (stat) never is.
bool Opens(const std::string& path, const std::function<void()>& action)
{
    const int watch = inotify_init1(IN_NONBLOCK);
    EXPECT_GE(watch, 0);
    EXPECT_GE(inotify_add_watch(watch, path.c_str(), IN_OPEN), 0);
    action();
    char events[4096];
    const bool opened = read(watch, events, sizeof events) > 0;
    close(watch);
    return opened;
}

}  // namespace

TEST(EditorWindow, FileDialogsJudgeEntriesByTheirNamesAlone)
{
    // Qt's own provider reads a file of unknown name to guess its type; on a
    // special file such as /proc/kmsg that read never returns.
    TempDir folder;
    const std::string path = (folder.path() / "unknown").string();
    ASSERT_TRUE(WriteFileBytes(path, "VK7N and more"));
    const QFileInfo info(QString::fromStdString(path));
    ASSERT_TRUE(Opens(path, [&] { QFileIconProvider().type(info); })) << "the watch sees Qt's provider read";

    bool checked = false;
    const bool opened = Opens(path, [&] {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            checked = true;
            auto* view = dialog->findChild<QTreeView*>("treeView");
            ASSERT_NE(view, nullptr);
            // The dialog lists the folder off its thread, asking its icon
            // provider of each entry: listed once the file's row shows the
            // type the provider gave.
            const auto listed = [view] {
                const QModelIndex folder = view->rootIndex();
                for (int row = 0; row < view->model()->rowCount(folder); ++row) {
                    if (view->model()->index(row, 0, folder).data() == "unknown")
                        return view->model()->index(row, 2, folder).data() == "File";
                }
                return false;
            };
            EXPECT_TRUE(QTest::qWaitFor(listed, kEventWaitMilliseconds));
            // Every column of the detail view shows whole.
            EXPECT_LE(view->header()->length(), view->viewport()->width());
            const QAbstractFileIconProvider* icons = dialog->iconProvider();
            EXPECT_EQ(icons->type(info), "File");
            EXPECT_EQ(icons->type(QFileInfo(info.path())), "Folder");
            EXPECT_FALSE(icons->icon(info).isNull());
            dialog->reject();
        });
        FileDialogRequest request;
        request.startName = info.filePath();
        EXPECT_TRUE(DesktopPrompts(NoWindow).openFile(request).isEmpty());
    });
    EXPECT_TRUE(checked);
    EXPECT_FALSE(opened);
}

TEST(EditorWindow, TheExtractDialogsTitleFollowsItsFilter)
{
    const TextureRecord texture = TextureBuilder(8, 8, 16).name("crate_A").build();
    EXPECT_EQ(ExtractRequest(texture.record(), TextureFileKind::png).title, "Choose png save name");
    QStringList titles;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        titles.append(dialog->windowTitle());
        auto* kinds = dialog->findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(kinds, nullptr);
        QTest::keyClick(kinds, Qt::Key_Down);
        titles.append(dialog->windowTitle());
        dialog->reject();
    });
    EXPECT_TRUE(DesktopPrompts(NoWindow).saveFile(ExtractRequest(texture.record(), TextureFileKind::tga)).isEmpty());
    EXPECT_EQ(titles, QStringList({"Choose tga save name", "Choose png save name"}));
}

namespace {

// The button of a dialog's button box that shows `text` (its mnemonic left
// out), or nullptr.
QPushButton* ButtonShowing(const QDialog& dialog, const QString& text)
{
    for (QAbstractButton* button : dialog.findChild<QDialogButtonBox*>()->buttons())
        if (QString(button->text()).remove('&') == text)
            return qobject_cast<QPushButton*>(button);
    return nullptr;
}

}  // namespace

TEST(EditorWindow, PackDialogsOfferTheirCommandOnlyWhenItCanAct)
{
    // Export: offered once a folder is named, by hand or by Browse, which
    // starts from the one named; the choice comes back as set.
    QString browsedFrom = "not asked";
    ExportTexturesDialog exporting(
        {"", TextureFileKind::tga},
        [&browsedFrom](const QString& from) {
            browsedFrom = from;
            return QStringLiteral("/tmp/pack");
        },
        nullptr);
    QPushButton* exportButton = ButtonShowing(exporting, "Export");
    ASSERT_NE(exportButton, nullptr);
    EXPECT_FALSE(exportButton->isEnabled());
    EXPECT_TRUE(exporting.findChild<QRadioButton*>("tga")->isChecked());
    for (QPushButton* button : exporting.findChildren<QPushButton*>())
        if (button->text() == "&Browse...")
            button->click();
    EXPECT_TRUE(browsedFrom.isEmpty());
    EXPECT_EQ(exporting.findChild<QLineEdit*>("folder")->text(), "/tmp/pack");
    EXPECT_TRUE(exportButton->isEnabled());
    exporting.findChild<QRadioButton*>("png")->click();
    EXPECT_EQ(exporting.choice().folder, "/tmp/pack");
    EXPECT_EQ(exporting.choice().kind, TextureFileKind::png);
    // Return in the folder field exports, even after Browse had the focus.
    exporting.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&exporting, kEventWaitMilliseconds));
    browsedFrom = "not asked";
    for (QPushButton* button : exporting.findChildren<QPushButton*>())
        if (button->text() == "&Browse...")
            button->setFocus();
    exporting.findChild<QLineEdit*>("folder")->setFocus();
    QTest::keyClick(exporting.findChild<QLineEdit*>("folder"), Qt::Key_Return);
    EXPECT_EQ(exporting.result(), QDialog::Accepted);
    EXPECT_EQ(browsedFrom, "not asked");

    // The summary: a row per texture; Import only when something changes.
    ImportSummary summary{"pack", "Would change: 1. Unchanged: 0. Cannot be imported: 1.", {}, true};
    summary.rows.push_back({ImportSummaryRow::Kind::Changes, "grass", "8 x 8, 16 bit, 1 level",
                            "16 x 16, 16 bit, 2 levels", "8 x 8 -> 16 x 16, 1 -> 2 levels"});
    summary.rows.push_back(
        {ImportSummaryRow::Kind::Fails, "stone", "16 x 8, 8 bit, 2 levels", "not imported", "stone.png is truncated"});
    ImportSummaryDialog shown(summary, nullptr);
    EXPECT_EQ(shown.windowTitle(), "Import textures from pack");
    auto* rows = shown.findChild<QTreeWidget*>("rows");
    ASSERT_EQ(rows->topLevelItemCount(), 2);
    EXPECT_EQ(rows->topLevelItem(0)->text(2), "16 x 16, 16 bit, 2 levels");
    EXPECT_EQ(rows->topLevelItem(1)->text(3), "stone.png is truncated");
    EXPECT_TRUE(ButtonShowing(shown, "Import")->isEnabled());
    summary.changesSomething = false;
    EXPECT_FALSE(ButtonShowing(ImportSummaryDialog(summary, nullptr), "Import")->isEnabled());
}

TEST(EditorWindow, AboutBoxShowsTheVersion)
{
    AboutDialog about;
    auto* version = about.findChild<QLabel*>("version");
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(version->text().contains("1.0.0.1")) << version->text().toStdString();
    EXPECT_EQ(about.windowTitle(), "About quorrel");
    auto* licence = about.findChild<QLabel*>("licence");
    ASSERT_NE(licence, nullptr);
    EXPECT_TRUE(licence->text().contains("GPL, version 3 or later")) << licence->text().toStdString();
}

TEST(EditorWindow, KeyboardReachesTheControlsMenusAndTheirCommands)
{
    TempDir desktop;
    EditorUnderTest editor(desktop.path().string());
    editor.dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor.dialog.get(), kEventWaitMilliseconds));

    // Tab goes round the list, both frames and the tree, never the details;
    // a frame with the focus and a list with the focus but no entry show it.
    auto* list = editor.control<QListWidget>(kTextureListId);
    list->addItems({"a", "b"});
    auto* sceneFrame = editor.control<PreviewFrame>(kSceneFrameId);
    const QImage listUnfocused = list->grab().toImage();
    const QImage frameUnfocused = sceneFrame->grab().toImage();
    editor.tree->setFocus();
    std::vector<QWidget*> visited;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
        if (i == 0) {
            EXPECT_TRUE(list->selectedItems().isEmpty());
            EXPECT_NE(list->grab().toImage(), listUnfocused);
        }
        if (i == 1) {
            EXPECT_NE(sceneFrame->grab().toImage(), frameUnfocused);
        }
    }
    EXPECT_EQ(visited,
              (std::vector<QWidget*>{list, sceneFrame, editor.control<QWidget>(kReplacementFrameId), editor.tree}));
    EXPECT_EQ(editor.control<QWidget>(kDetailsListId)->focusPolicy(), Qt::NoFocus);
    editor.dialog->EnableSceneCommands();

    // Each shortcut reaches its command (the dialogs it opens are cancelled);
    // Ctrl+S saves in the new format until an old-format scene is loaded.
    const std::pair<QKeySequence, int> shortcuts[] = {
        {QKeySequence("Ctrl+O"), kLoadCommand},
        {QKeySequence("Ctrl+S"), kSaveNewCommand},
        {QKeySequence("Ctrl+Shift+S"), kSaveAsNewCommand},
        {QKeySequence("Ctrl+E"), kExtractCommand},
        {QKeySequence("Ctrl+R"), kReplaceCommand},
        {QKeySequence("Ctrl+Z"), kUndoCommand},
        {QKeySequence("Ctrl+Shift+Z"), kRedoCommand},
        {QKeySequence("Ctrl+W"), kCloseCommand},
        {QKeySequence("Ctrl+Q"), kQuitCommand},
    };
    editor.script.openAnswers = {QString()};
    editor.script.saveAnswers = {QString()};
    for (const auto& [keys, command] : shortcuts) {
        SCOPED_TRACE(keys.toString().toStdString());
        editor.action(command)->setEnabled(true);
        QSignalSpy triggered(editor.action(command), &QAction::triggered);
        QTest::keySequence(editor.dialog.get(), keys);
        editor.settle();
        EXPECT_EQ(triggered.count(), 1);
    }
    EXPECT_FALSE(editor.dialog->isVisible());

    // F10 opens the first menu; Escape leaves the menu and then the menu bar,
    // and only a third Escape reaches the window.
    editor.dialog->show();
    editor.dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor.dialog.get(), kEventWaitMilliseconds));
    auto* bar = editor.dialog->findChild<QMenuBar*>();
    QTest::keyClick(editor.dialog.get(), Qt::Key_F10);
    auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open, MenuTitled(bar, "File"));
    QTest::keyClick(open, Qt::Key_Escape);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(editor.dialog->isVisible());
    EXPECT_EQ(bar->activeAction(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(editor.dialog->isVisible());
}

TEST(EditorWindow, GrowsFromItsTemplateSizeScalingFramesAndCarryingLabels)
{
    // At the template's size every control keeps its place.
    const QSize start = TemplateClientSize();
    EXPECT_EQ(start, QSize(725, 595));
    for (const ControlTemplate& control : kMainDialogControls)
        EXPECT_EQ(GrownPlace(control, start), TemplatePlace(control)) << control.id;

    // Larger: frames and the tree scale; the label, details list and boxes
    // keep their size and their distance from the left frame's bottom left.
    auto place = [](int id, const char* text, QSize size) {
        for (const ControlTemplate& control : kMainDialogControls)
            if (control.id == id && QLatin1String(control.text) == QLatin1String(text))
                return GrownPlace(control, size);
        return QRect();
    };
    struct Row {
        QSize size;
        QRect frame, tree, widthLabel, details, envmapBox;
    };
    const Row rows[] = {
        {{1450, 1190},
         {310, 22, 544, 736},
         {886, 778, 544, 310},
         {314, 768, 30, 13},
         {380, 768, 143, 56},
         {436, 849, 63, 16}},
        {{1000, 595},
         {214, 11, 375, 368},
         {611, 389, 375, 155},
         {218, 389, 30, 13},
         {284, 389, 143, 56},
         {340, 470, 63, 16}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.size.width());
        EXPECT_EQ(place(kSceneFrameId, "", row.size), row.frame);
        EXPECT_EQ(place(kFolderTreeId, "Tree3", row.size), row.tree);
        EXPECT_EQ(place(kNoControlId, "Width", row.size), row.widthLabel);
        EXPECT_EQ(place(kDetailsListId, "", row.size), row.details);
        EXPECT_EQ(place(kEnvmapBoxId, "Envmap", row.size), row.envmapBox);
    }

    // The window starts at the template's size, its smallest; grown, the
    // frames' drawing areas follow.
    TempDir desktop;
    EditorUnderTest editor(desktop.path().string());
    QWidget* client = editor.control<QWidget>(kTextureListId)->parentWidget();
    EXPECT_EQ(client->size(), start);
    EXPECT_EQ(editor.dialog->minimumSize(), editor.dialog->size());
    editor.dialog->resize(editor.dialog->size() + start);
    EXPECT_EQ(client->size(), start * 2);
    for (int id : {kSceneFrameId, kReplacementFrameId})
        EXPECT_EQ(editor.control<PreviewFrame>(id)->clientSize(), QSize(544, 736)) << id;
    EXPECT_EQ(editor.control<QWidget>(kEnvmapBoxId)->geometry(), QRect(436, 849, 63, 16));
}
