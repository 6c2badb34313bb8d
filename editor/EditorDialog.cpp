// Construction, menu, message map, painting and ending of the main window.
#include "editor/EditorDialog.h"

#include "editor/AboutDialog.h"
#include "editor/DialogUnits.h"
#include "editor/FlagBox.h"
#include "editor/PreviewFrame.h"
#include "editor/SelectionListBox.h"
#include "foldertree/FolderTree.h"
#include "resources/MenuTemplate.h"
#include "resources/Resources.h"
#include "resources/Strings.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMenuBar>
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

} // namespace

EditorDialog::EditorDialog(EditorPrompts prompts, FolderTree* folderTree, QWidget* parent)
    : QDialog(parent)
    , prompts_(std::move(prompts))
    , report_(prompts_)
    , folderTree_(folderTree)
{
    LoadQuorrelResources();
    icon_ = QIcon(kMainIconPath);
    setWindowTitle(kMainDialogCaption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setObjectName(QString::number(kMainDialogId));
    // One font for the window, its menus, tooltips and every dialog it opens.
    // The window itself already took the font there was.
    QFont font(kDialogFontFamily);
    font.setPixelSize(kDialogFontPixelSize);
    QApplication::setFont(font);
    setFont(font);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* menuBar = new QMenuBar;
    layout->setMenuBar(menuBar);
    auto* client = new QWidget;
    client->setFixedSize(DialogUnitsToPixelsX(kMainDialogWidth), DialogUnitsToPixelsY(kMainDialogHeight));
    layout->addWidget(client, 0, Qt::AlignLeft | Qt::AlignTop);

    buildMenu(menuBar);
    buildControls(client);

    // Dialog initialisation: the icon, then the folder tree's first filling.
    setWindowIcon(icon_);
    folderTree_->InitTree(true);
    wireMessageMap();
}

EditorDialog::~EditorDialog() = default;

void EditorDialog::buildMenu(QMenuBar* menuBar)
{
    QMenu* menu = nullptr;
    for (const MenuItemTemplate& item : kMainMenu) {
        if (!menu || menu->title() != QLatin1String(item.menu))
            menu = menuBar->addMenu(QString::fromLatin1(item.menu));
        if (!item.text) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromLatin1(item.text));
        action->setData(item.command);
        action->setEnabled(!item.greyedAtStart);
        actions_[item.command] = action;
    }
    QAction* about = menuBar->addMenu(kHelpMenuTitle)->addAction(kAboutMenuText);
    about->setData(kAboutCommand);
    actions_[kAboutCommand] = about;
}

void EditorDialog::buildControls(QWidget* client)
{
    int flagBox = 0;
    for (const ControlTemplate& control : kMainDialogControls) {
        const QRect place = DialogUnitsToPixels(control.x, control.y, control.width, control.height);
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
            auto* preview = new PreviewFrame(place.size(), client);
            (control.id == kSceneFrameId ? sceneFrame_ : replacementFrame_) = preview;
            TagControl(preview, control.id, control.text);
            // The drawing area takes the template's place; the edge lies around it.
            preview->move(place.topLeft() - preview->contentsRect().topLeft());
            continue;
        }
        }
        TagControl(widget, control.id, control.text);
        widget->setGeometry(place);
    }
}

// The message map: one connection per command or notification, in the order
// of the original table, and Quit.
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
}

QAction* EditorDialog::action(int command) const
{
    const auto found = actions_.find(command);
    return found == actions_.end() ? nullptr : found->second;
}

void EditorDialog::setSceneCommandsEnabled(bool enabled)
{
    for (int command : kSceneCommands)
        action(command)->setEnabled(enabled);
}

void EditorDialog::EnableSceneCommands()
{
    setSceneCommandsEnabled(true);
}

void EditorDialog::DisableSceneCommands()
{
    setSceneCommandsEnabled(false);
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

void EditorDialog::reject()
{
    if (mayDiscardChanges())
        QDialog::reject();
}

bool EditorDialog::mayDiscardChanges()
{
    return !sceneModified_ || prompts_.askDiscard(QCoreApplication::applicationName(), kDiscardChangesText);
}

void EditorDialog::tellUser(const char* text)
{
    prompts_.message(QCoreApplication::applicationName(), QString::fromLatin1(text));
}
