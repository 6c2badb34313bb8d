// Construction, menu, message map, enable rules, layout, painting, keys and
// ending of the main window.
#include "editor/EditorDialog.h"

#include "editor/AboutDialog.h"
#include "editor/ChainWatch.h"
#include "editor/FlagBox.h"
#include "editor/GrowingLayout.h"
#include "editor/PreviewFrame.h"
#include "editor/SelectionListBox.h"
#include "foldertree/FolderTree.h"
#include "resources/MenuTemplate.h"
#include "resources/Resources.h"
#include "resources/Strings.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Narrow and small enough that every label and check box text fits the size
// its template gives it (DejaVu Sans at this size would clip "Mipmap level");
// the condensed face comes with Debian's fonts-dejavu-extra.
constexpr int kDialogFontPixelSize = 10;
constexpr const char* kDialogFontFamily = "DejaVu Sans Condensed";

void TagControl(QWidget* widget, int id, const char* text)
{
    if (id != kNoControlId)
        widget->setObjectName(QString::number(id));
    widget->setProperty("controlId", id);
    widget->setAccessibleName(QString::fromLatin1(text));
}

}  // namespace

EditorDialog::EditorDialog(EditorPrompts prompts, FolderTree* folderTree, QWidget* parent)
    : QDialog(parent), prompts_(std::move(prompts)), report_(prompts_), folderTree_(folderTree)
{
    LoadQuorrelResources();
    setWindowTitle(kMainDialogCaption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setObjectName(QString::number(kMainDialogId));
    setAcceptDrops(true);
    // One font for the window, its menus, tooltips and every dialog it opens.
    // The window itself already took the font there was.
    QFont font(kDialogFontFamily);
    font.setPixelSize(kDialogFontPixelSize);
    QApplication::setFont(font);
    setFont(font);

    // The client area starts at the template's size, its smallest, and takes
    // whatever the window grows by.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    menuBar_ = new QMenuBar;
    layout->setMenuBar(menuBar_);
    client_ = new QWidget;
    client_->setMinimumSize(TemplateClientSize());
    client_->installEventFilter(this);
    layout->addWidget(client_);

    buildMenu();
    buildControls(client_);

    // Dialog initialisation: the icon, then the folder tree's first filling.
    setWindowIcon(QIcon(kMainIconPath));
    folderTree_->InitTree(true);
    folderTree_->restoreState(settings_.store());
    folderTree_->viewport()->installEventFilter(this);
    chainWatch_ = new ChainWatch(this);
    wireMessageMap();
    fillRecentScenes();
    updateActions();
    // The file selected in the restored tree is read as a change on disk
    // is: whatever the read meets is said in the frame, not in a box.
    const QString restored = folderTree_->GetItemFullPath(folderTree_->currentItem());
    if (IsTextureFileName(QFile::encodeName(restored).toStdString())) {
        replacementChosen_ = true;
        replacementFile_ = restored;
        rereadReplacement(true);
    }
}

EditorDialog::~EditorDialog()
{
    folderTree_->saveState(settings_.store());
}

void EditorDialog::buildMenu()
{
    QMenu* menu = nullptr;
    QMenu* submenu = nullptr;
    QActionGroup* choices = nullptr;
    for (const MenuItemTemplate& item : kMainMenu) {
        if (!menu || menu->title() != QLatin1String(item.menu)) {
            menu = menuBar_->addMenu(QString::fromLatin1(item.menu));
            submenu = nullptr;
        }
        if (item.submenu && (!submenu || submenu->title() != QLatin1String(item.submenu))) {
            submenu = menu->addMenu(QString::fromLatin1(item.submenu));
            choices = nullptr;
        }
        QMenu* target = item.submenu ? submenu : menu;
        switch (item.kind) {
        case MenuItemKind::Separator:
            target->addSeparator();
            continue;
        case MenuItemKind::RecentScenes:
            recentScenesMenu_ = submenu;
            continue;
        case MenuItemKind::Command:
        case MenuItemKind::Toggle:
        case MenuItemKind::Choice:
            break;
        }
        QAction* action = target->addAction(QString::fromLatin1(item.text));
        action->setData(item.command);
        action->setEnabled(!item.greyedAtStart);
        if (item.shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
        if (item.kind != MenuItemKind::Command)
            action->setCheckable(true);
        if (item.kind == MenuItemKind::Choice) {
            if (!choices)
                choices = new QActionGroup(submenu);
            choices->addAction(action);
        }
        actions_[item.command] = action;
    }
    QAction* about = menuBar_->addMenu(kHelpMenuTitle)->addAction(kAboutMenuText);
    about->setData(kAboutCommand);
    actions_[kAboutCommand] = about;

    action(kKeepSceneFormatCommand)->setChecked(settings_.keepSceneFormat());
    const bool box = settings_.mipFilter() == MipFilterChoice::Box;
    action(box ? kBoxLevelsCommand : kPointLevelsCommand)->setChecked(true);
}

void EditorDialog::buildControls(QWidget* client)
{
    int flagBox = 0;
    for (const ControlTemplate& control : kMainDialogControls) {
        QWidget* widget = nullptr;
        switch (control.kind) {
        case ControlKind::TextureList:
            widget = textureList_ = new SelectionListBox(client);
            break;
        case ControlKind::DetailsList:
            detailsList_ = new QListWidget(client);
            detailsList_->setSelectionMode(QAbstractItemView::NoSelection);
            widget = detailsList_;
            break;
        case ControlKind::Label:
            widget = new QLabel(QString::fromLatin1(control.text), client);
            break;
        case ControlKind::StatusLine:
            widget = statusLine_ = new QLabel(client);
            break;
        case ControlKind::FlagBox:
            widget = flagBoxes_[flagBox++] = new FlagBox(QString::fromLatin1(control.text), client);
            break;
        case ControlKind::FolderTree:
            if (!folderTree_)
                folderTree_ = new FolderTree;
            folderTree_->setParent(client);
            widget = folderTree_;
            break;
        case ControlKind::Frame: {
            auto* preview = new PreviewFrame(TemplatePlace(control).size(), client);
            (control.id == kSceneFrameId ? sceneFrame_ : replacementFrame_) = preview;
            widget = preview;
            break;
        }
        }
        TagControl(widget, control.id, control.text);
        placed_.emplace_back(widget, &control);
    }
    layoutControls();
}

void EditorDialog::layoutControls()
{
    for (const auto& [widget, control] : placed_) {
        const QRect place = GrownPlace(*control, client_->size().expandedTo(TemplateClientSize()));
        if (auto* preview = qobject_cast<PreviewFrame*>(widget)) {
            // The drawing area takes the place; the edge lies around it.
            const int edge = preview->frameWidth();
            preview->setGeometry(place.adjusted(-edge, -edge, edge, edge));
        } else {
            widget->setGeometry(place);
        }
    }
    RedrawPreviews();
}

bool EditorDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == client_ && event->type() == QEvent::Resize)
        layoutControls();
    if (folderTree_ && watched == folderTree_->viewport() && event->type() == QEvent::MouseButtonPress)
        treeItemPressed(folderTree_->itemAt(static_cast<QMouseEvent*>(event)->position().toPoint()));
    return QDialog::eventFilter(watched, event);
}

// The message map: one connection per command or notification, in the order
// of the original table, then the commands added since.
void EditorDialog::wireMessageMap()
{
    connect(action(kAboutCommand), &QAction::triggered, this, &EditorDialog::OnAbout);
    connect(action(kLoadCommand), &QAction::triggered, this, &EditorDialog::OnLoad);
    connect(action(kCloseCommand), &QAction::triggered, this, &EditorDialog::OnClose);
    connect(textureList_, &SelectionListBox::selectionNotified, this, &EditorDialog::OnTextureSelected);
    connect(action(kExtractCommand), &QAction::triggered, this, &EditorDialog::OnExtract);
    connect(action(kReplaceCommand), &QAction::triggered, this, &EditorDialog::OnReplace);
    connect(action(kSaveNewCommand), &QAction::triggered, this, &EditorDialog::OnSave);
    connect(action(kSaveAsNewCommand), &QAction::triggered, this, &EditorDialog::OnSaveAs);
    connect(folderTree_, &QTreeWidget::currentItemChanged, this, &EditorDialog::OnTreeSelectionChanged);
    connect(action(kSaveOldCommand), &QAction::triggered, this, &EditorDialog::OnSaveOld);
    connect(action(kSaveAsOldCommand), &QAction::triggered, this, &EditorDialog::OnSaveAsOld);
    connect(action(kQuitCommand), &QAction::triggered, this, &EditorDialog::reject);
    connect(sceneFrame_, &PreviewFrame::levelStepRequested, this,
            [this](int step) { OnPreviewLevelStep(kSceneFrameId, step); });
    connect(replacementFrame_, &PreviewFrame::levelStepRequested, this,
            [this](int step) { OnPreviewLevelStep(kReplacementFrameId, step); });

    connect(action(kUndoCommand), &QAction::triggered, this, &EditorDialog::OnUndo);
    connect(action(kRedoCommand), &QAction::triggered, this, &EditorDialog::OnRedo);
    connect(recentScenesMenu_, &QMenu::aboutToShow, this, &EditorDialog::fillRecentScenes);
    for (int command : {kKeepSceneFormatCommand, kPointLevelsCommand, kBoxLevelsCommand})
        connect(action(command), &QAction::triggered, this, &EditorDialog::replacementOptionsChanged);
    connect(chainWatch_, &ChainWatch::chainChanged, this, [this] { rereadReplacement(true); });
    connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this, &EditorDialog::openMenuBar);
}

QAction* EditorDialog::action(int command) const
{
    const auto found = actions_.find(command);
    return found == actions_.end() ? nullptr : found->second;
}

void EditorDialog::updateActions()
{
    for (int command : kSceneCommands)
        action(command)->setEnabled(sceneLoaded_);
    action(kUndoCommand)->setEnabled(history_.canUndo());
    action(kRedoCommand)->setEnabled(history_.canRedo());
    action(kSaveNewCommand)->setShortcut(sceneFileOld_ ? QKeySequence() : QKeySequence::Save);
    action(kSaveOldCommand)->setShortcut(sceneFileOld_ ? QKeySequence::Save : QKeySequence());

    QString title = QString::fromLatin1(kMainDialogCaption);
    if (sceneLoaded_) {
        const QString file = QFileInfo(QFile::decodeName(sceneFile_.c_str())).fileName();
        title = QString::fromLatin1(kSceneTitleFormat).arg(title, file);
        if (hasUnsavedChanges())
            title += QLatin1String(kUnsavedTitleMark);
    }
    setWindowTitle(title);
}

void EditorDialog::EnableSceneCommands()
{
    sceneLoaded_ = true;
    updateActions();
}

void EditorDialog::DisableSceneCommands()
{
    sceneLoaded_ = false;
    updateActions();
    {
        const QSignalBlocker quiet(textureList_);
        textureList_->clear();
    }
    detailsList_->clear();
    textureSelected_ = false;
}

void EditorDialog::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    RedrawPreviews();
}

void EditorDialog::OnAbout()
{
    AboutDialog about(this);
    about.exec();
}

void EditorDialog::openMenuBar()
{
    if (!menuBar_->actions().isEmpty())
        menuBar_->setActiveAction(menuBar_->actions().first());
}

void EditorDialog::reject()
{
    if (mayDiscardChanges())
        QDialog::reject();
}

bool EditorDialog::mayDiscardChanges()
{
    return !hasUnsavedChanges() || prompts_.askDiscard(QCoreApplication::applicationName(), kDiscardChangesText);
}

void EditorDialog::tellUser(const char* text)
{
    prompts_.message(QCoreApplication::applicationName(), QString::fromLatin1(text));
}

void EditorDialog::showStatus(const QString& text)
{
    statusLine_->setText(text);
    QTimer::singleShot(kStatusShownMilliseconds, statusLine_, [label = statusLine_, text] {
        if (label->text() == text)
            label->clear();
    });
}
