// The main window's construction, menus, message map, enable rules, layout,
// painting and keys, and the handlers of its commands, each a few steps over
// the collaborators that hold the scene, the list, the previews and the
// replacement.
#include "editor/EditorDialog.h"

#include "editor/AboutDialog.h"
#include "editor/DialogControls.h"
#include "editor/DroppedFile.h"
#include "editor/ExtractedChain.h"
#include "editor/GrowingLayout.h"
#include "editor/MainMenu.h"
#include "editor/PreviewFrame.h"
#include "editor/Previews.h"
#include "editor/ReplaceCommand.h"
#include "editor/Replacement.h"
#include "editor/ReplacementView.h"
#include "editor/SceneTextureList.h"
#include "editor/SelectionListBox.h"
#include "editor/TexturePackCommands.h"
#include "foldertree/FolderTree.h"
#include "resources/MenuTemplate.h"
#include "resources/Resources.h"
#include "resources/Strings.h"
#include "texture/chain/TextureFileReader.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

FileDialogRequest SceneFileRequest(bool opening)
{
    FileDialogRequest request;
    request.title = kSceneDialogTitle;
    if (opening) {
        request.filter = kSceneFileFilter;
        request.defaultSuffix = kSceneDefaultSuffix;
        request.fileMustExist = true;
    }
    return request;
}

}  // namespace

EditorDialog::EditorDialog(EditorPrompts prompts, FolderTree* folderTree, QWidget* parent)
    : QDialog(parent), prompts_(std::move(prompts)), report_(prompts_), folderTree_(folderTree)
{
    LoadQuorrelResources();
    setWindowTitle(kMainDialogCaption);
    // An ordinary top-level window, in the task bar: never modal, never
    // transient for another.
    setWindowFlags(Qt::Window);
    setObjectName(QString::number(kMainDialogId));
    setAcceptDrops(true);
    // One font for the window, its menus, tooltips and every dialog it opens.
    // The window itself already took the font there was.
    QApplication::setFont(DialogControls::Font());
    setFont(DialogControls::Font());

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

    menu_ = new MainMenu(menuBar_, settings_, this);
    document_ = new SceneDocument(this);
    replacement_ = new Replacement(report_, this);
    packCommands_ = new TexturePackCommands(*document_, prompts_, settings_, this);
    replaceCommand_ = new ReplaceCommand(*document_, *replacement_, prompts_, report_, this);
    replacement_->readWith({mipFilter(), keepSceneFormat(), staleLevelsChoice() == StaleLevelChoice::rebuild});
    buildControls(client_);

    // Dialog initialisation: the icon, then the folder tree's first filling.
    setWindowIcon(QIcon(kMainIconPath));
    folderTree_->InitTree(true);
    folderTree_->restoreState(settings_.store());
    folderTree_->viewport()->installEventFilter(this);
    wireMessageMap();
    fillRecentScenes();
    updateActions();
    // The file selected in the restored tree is read as a change on disk
    // is: whatever the read meets is said in the frame, not in a box.
    const QString restored = folderTree_->GetItemFullPath(folderTree_->currentItem());
    if (IsTextureFileName(QFile::encodeName(restored).toStdString()))
        replacement_->pick(restored, false);
    restoreGeometry(settings_.windowGeometry());
}

EditorDialog::~EditorDialog()
{
    folderTree_->saveState(settings_.store());
}

void EditorDialog::buildControls(QWidget* client)
{
    controls_ = std::make_unique<DialogControls>(client, folderTree_);
    folderTree_ = controls_->folderTree;
    statusLine_ = controls_->statusLine;
    PreviewFrame* const* frames = controls_->frames;
    textureList_ = new SceneTextureList(*document_, controls_->textures, controls_->textureFilter,
                                        controls_->textureCount, controls_->details, controls_->flagBoxes, this);
    previews_ = new Previews(
        frames[0], frames[1], [this](int frameId) { return shownTexture(frameId); }, menu_->viewChoices(), this);
    view_ = new ReplacementView(*replacement_, *previews_, *textureList_, *menu_, this);
    // Tab goes as the eye does: the list, the two frames, then the tree.
    setTabOrder(controls_->textures, frames[0]);
    setTabOrder(frames[0], frames[1]);
    setTabOrder(frames[1], folderTree_);

    // The context menus of the tree's file and the right frame's.
    openTreeFileAction_ = new QAction(QString::fromLatin1(kOpenInImageEditorText), folderTree_);
    folderTree_->addAction(openTreeFileAction_);
    openReplacementAction_ = new QAction(QString::fromLatin1(kOpenInImageEditorText), frames[1]);
    frames[1]->addAction(openReplacementAction_);
    previews_->offerInFrames(
        {action(kZoomInCommand), action(kZoomOutCommand), action(kActualSizeCommand), action(kFitCommand)});
    layoutControls();
}

void EditorDialog::layoutControls()
{
    controls_->place(client_->size());
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

// The message map: one connection per command or notification, the menus
// entry by entry in the order they stand, then the controls and what the
// collaborators tell.
void EditorDialog::wireMessageMap()
{
    connect(action(kLoadCommand), &QAction::triggered, this, &EditorDialog::OnLoad);
    connect(action(kSaveNewCommand), &QAction::triggered, this, &EditorDialog::OnSave);
    connect(action(kSaveOldCommand), &QAction::triggered, this, &EditorDialog::OnSaveOld);
    connect(action(kSaveAsNewCommand), &QAction::triggered, this, &EditorDialog::OnSaveAs);
    connect(action(kSaveAsOldCommand), &QAction::triggered, this, &EditorDialog::OnSaveAsOld);
    connect(action(kCloseCommand), &QAction::triggered, this, &EditorDialog::OnClose);
    connect(action(kExportTexturesCommand), &QAction::triggered, this, &EditorDialog::OnExportTextures);
    connect(action(kImportTexturesCommand), &QAction::triggered, this, &EditorDialog::OnImportTextures);
    connect(menu_->recentScenes(), &QMenu::aboutToShow, this, &EditorDialog::fillRecentScenes);
    connect(action(kQuitCommand), &QAction::triggered, this, &EditorDialog::reject);
    connect(action(kUndoCommand), &QAction::triggered, this, [this] { OnUndoOrRedo(true); });
    connect(action(kRedoCommand), &QAction::triggered, this, [this] { OnUndoOrRedo(false); });
    connect(action(kRenameCommand), &QAction::triggered, textureList_, &SceneTextureList::startRename);
    for (int command : MainMenu::ViewCommands())
        connect(action(command), &QAction::triggered, this, [this, command] {
            previews_->viewCommand(command, menu_->viewChoices());
            menu_->rememberOptions(settings_);
        });
    connect(action(kExtractCommand), &QAction::triggered, this, &EditorDialog::OnExtract);
    connect(action(kReplaceCommand), &QAction::triggered, this, &EditorDialog::OnReplace);
    for (int command : MainMenu::OptionCommands())
        connect(action(command), &QAction::triggered, this, &EditorDialog::replacementOptionsChanged);
    connect(action(kAboutCommand), &QAction::triggered, this, &EditorDialog::OnAbout);
    connect(openTreeFileAction_, &QAction::triggered, this,
            [this] { OnOpenInImageEditor(folderTree_->GetItemFullPath(folderTree_->currentItem())); });
    connect(openReplacementAction_, &QAction::triggered, this, [this] { OnOpenInImageEditor(replacement_->file()); });
    connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this, &EditorDialog::openMenuBar);

    connect(textureList_, &SceneTextureList::entrySelected, this, &EditorDialog::OnTextureSelected);
    connect(folderTree_, &QTreeWidget::currentItemChanged, this, &EditorDialog::OnTreeSelectionChanged);
    connect(previews_, &Previews::channelsShown, menu_, &MainMenu::showChannels);
    connect(replacement_, &Replacement::changed, this, &EditorDialog::replacementChanged);
    connect(replaceCommand_, &ReplaceCommand::waiting, this, &EditorDialog::showStatus);
    connect(replaceCommand_, &ReplaceCommand::ended, this, &EditorDialog::replaceEnded);
    connect(replaceCommand_, &ReplaceCommand::replaced, this, &EditorDialog::textureReplaced);
    connect(textureList_, &SceneTextureList::textureEdited, this, &EditorDialog::textureReplaced);
    connect(textureList_, &SceneTextureList::refused, this, &EditorDialog::showStatus);
    connect(textureList_, &SceneTextureList::selectionHidden, this, &EditorDialog::selectNoTexture);
    connect(replaceCommand_, &ReplaceCommand::said, this, &EditorDialog::showStatus);
    connect(document_, &SceneDocument::loaded, this, &EditorDialog::sceneLoaded);
    connect(document_, &SceneDocument::saved, this, &EditorDialog::sceneSaved);
    connect(packCommands_, &TexturePackCommands::ended, this, &EditorDialog::packWorkEnded);
}

void EditorDialog::updateActions()
{
    // While a scene loads or saves, nothing may change it or load another;
    // while a Replace waits, Undo and Redo wait too.
    const bool idle = !document_->isBusy();
    action(kLoadCommand)->setEnabled(idle);
    menu_->recentScenes()->setEnabled(idle && !menu_->recentScenes()->isEmpty());
    for (int command : kSceneCommands)
        action(command)->setEnabled(sceneCommandsOn_ && idle);
    action(kReplaceCommand)->setEnabled(idle);
    action(kImportTexturesCommand)->setEnabled(sceneCommandsOn_ && idle && !replaceCommand_->isActive());
    action(kUndoCommand)->setEnabled(idle && !replaceCommand_->isActive() && document_->canUndo());
    action(kRedoCommand)->setEnabled(idle && !replaceCommand_->isActive() && document_->canRedo());
    const bool old = document_->isOldFormat();
    action(kSaveNewCommand)->setShortcut(old ? QKeySequence() : QKeySequence::Save);
    action(kSaveOldCommand)->setShortcut(old ? QKeySequence::Save : QKeySequence());

    openTreeFileAction_->setEnabled(
        IsTextureFileName(LocalPath(folderTree_->GetItemFullPath(folderTree_->currentItem()))));
    openReplacementAction_->setEnabled(replacement_->isChosen());
    textureList_->markUnsaved(document_->unsavedIndices());

    QString title = QString::fromLatin1(kMainDialogCaption);
    if (document_->isLoaded()) {
        title = QString::fromLatin1(kSceneTitleFormat).arg(title, document_->fileName());
        if (document_->hasUnsavedChanges())
            title += QLatin1String(kUnsavedTitleMark);
    }
    setWindowTitle(title);
}

void EditorDialog::EnableSceneCommands()
{
    sceneCommandsOn_ = true;
    updateActions();
}

void EditorDialog::DisableSceneCommands()
{
    sceneCommandsOn_ = false;
    updateActions();
    textureList_->clear();
}

void EditorDialog::fillRecentScenes()
{
    menu_->fillRecentScenes(settings_.recentScenes(), [this](const QString& scene) { openSceneFile(scene); });
}

void EditorDialog::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    RedrawPreviews();
}

void EditorDialog::openMenuBar()
{
    if (!menuBar_->actions().isEmpty())
        menuBar_->setActiveAction(menuBar_->actions().first());
}

bool EditorDialog::isWorking() const
{
    return document_->isBusy() || replacement_->isBusy() || replacement_->isConverting() || replaceCommand_->isActive();
}

void EditorDialog::reject()
{
    // A save's thread reads the scene, as an export's or an import's does:
    // the window goes once it has ended.
    const SceneDocument::Work work = document_->work();
    if (work == SceneDocument::Work::Saving || work == SceneDocument::Work::Reading) {
        quitWhenSaved_ = true;
        return;
    }
    if (mayDiscardChanges())
        QDialog::reject();
}

void EditorDialog::done(int result)
{
    settings_.setWindowGeometry(saveGeometry());
    QDialog::done(result);
}

bool EditorDialog::mayDiscardChanges()
{
    if (!hasUnsavedChanges())
        return true;
    switch (prompts_.askUnsaved(QCoreApplication::applicationName(), kUnsavedChangesText)) {
    case UnsavedAnswer::Save:
        return saveAndWait(document_->isOldFormat());
    case UnsavedAnswer::Discard:
        return true;
    case UnsavedAnswer::Cancel:
        break;
    }
    return false;
}

void EditorDialog::OnAbout()
{
    AboutDialog about(this);
    about.exec();
}

// File menu.

QString EditorDialog::chooseFile(FileDialogKind kind, FileDialogRequest request)
{
    request.folder = settings_.lastFolder(kind);
    const QString chosen = kind == FileDialogKind::LoadScene ? prompts_.openFile(request) : prompts_.saveFile(request);
    if (!chosen.isEmpty())
        settings_.setLastFolder(kind, chosen);
    return chosen;
}

void EditorDialog::OnLoad()
{
    const QString chosen = chooseFile(FileDialogKind::LoadScene, SceneFileRequest(true));
    if (!chosen.isEmpty())
        openSceneFile(chosen);
}

void EditorDialog::openSceneFile(const QString& path)
{
    if (!document_->isBusy() && mayDiscardChanges())
        loadScene(path);
}

void EditorDialog::loadScene(const QString& path)
{
    // The scene loaded before stays until this one has loaded.
    if (document_->load(LocalPath(path)))
        sceneWorkStarted(kLoadingProgress);
}

void EditorDialog::sceneWorkStarted(const char* progressText)
{
    delete progress_;
    const QString file = QFileInfo(QFile::decodeName(document_->workFile().c_str())).fileName();
    // A load can be stopped; a save, once begun, goes to its end.
    const bool loading = document_->work() == SceneDocument::Work::Loading;
    progress_ = new QProgressDialog(QString::fromLatin1(progressText).arg(file),
                                    loading ? QString::fromLatin1(kCancelButton) : QString(), 0, 0, this);
    if (loading)
        connect(progress_, &QProgressDialog::canceled, document_, &SceneDocument::cancelLoad);
    progress_->setWindowTitle(QCoreApplication::applicationName());
    progress_->setWindowModality(Qt::NonModal);
    progress_->setMinimumDuration(kProgressDelayMilliseconds);
    QTimer::singleShot(kProgressDelayMilliseconds, progress_, &QWidget::show);
    updateActions();
}

void EditorDialog::sceneLoaded(bool ok)
{
    delete progress_;
    progress_ = nullptr;
    updateActions();
    if (!ok) {
        if (document_->wasCancelled())
            showStatus(QString::fromLatin1(kLoadCancelledStatus)
                           .arg(QFileInfo(QFile::decodeName(document_->workFile().c_str())).fileName()));
        else
            tellUserWhy(kLoadFailedText, document_->workFile(), document_->failure());
        replaceCommand_->resume();
        return;
    }
    replaceCommand_->drop();
    settings_.addRecentScene(QFile::decodeName(document_->file().c_str()));
    fillRecentScenes();
    EnableSceneCommands();
    textureList_->FillTextureList();
    selectNoTexture();
}

void EditorDialog::OnClose()
{
    if (document_->isBusy() || !mayDiscardChanges())
        return;
    document_->close();
    replaceCommand_->drop();
    DisableSceneCommands();
    textureList_->ClearFlags();
    previews_->ClearFrame(kSceneFrameId);
    view_->show();
}

bool EditorDialog::save(bool oldFormat)
{
    if (!document_->save(oldFormat))
        return false;
    sceneWorkStarted(kSavingProgress);
    return true;
}

bool EditorDialog::saveAndWait(bool oldFormat)
{
    if (!save(oldFormat))
        return false;
    // The window keeps painting while the save runs; what was asked goes on
    // only once the scene is safely written.
    QEventLoop wait;
    connect(document_, &SceneDocument::saved, &wait, [&wait](bool ok) { wait.exit(ok ? 1 : 0); });
    return wait.exec() == 1;
}

void EditorDialog::saveAs(bool oldFormat)
{
    if (document_->isBusy())
        return;
    const QString chosen = chooseFile(FileDialogKind::SaveScene, SceneFileRequest(false));
    if (chosen.isEmpty())
        return;
    const std::string target = SceneDocument::FileFor(LocalPath(chosen));
    if (refuseReplacementFile({target}))
        return;
    if (document_->saveAs(target, oldFormat))
        sceneWorkStarted(kSavingProgress);
}

void EditorDialog::sceneSaved(bool ok)
{
    delete progress_;
    progress_ = nullptr;
    const std::string& file = document_->workFile();
    if (ok) {
        showStatus(document_->savedText());
        if (document_->wroteCopy()) {
            settings_.addRecentScene(QFile::decodeName(file.c_str()));
            fillRecentScenes();
        }
    } else if (document_->changedOnDisk()) {
        askAboutChangedScene();
    } else {
        tellUserWhy(kWriteFailedText, file, document_->failure());
    }
    updateActions();
    replaceCommand_->resume();
    if (quitWhenSaved_) {
        quitWhenSaved_ = false;
        reject();
    }
}

// Another program wrote the scene file since it was loaded: nothing was
// written, and the user decides whether its changes go.
void EditorDialog::askAboutChangedScene()
{
    const bool oldFormat = document_->workOldFormat();
    const int answer =
        prompts_.choose(QCoreApplication::applicationName(), QString::fromLatin1(kSceneChangedOnDiskText),
                        {QString::fromLatin1(kSaveOverItButton), QString::fromLatin1(kSaveAsButton),
                         QString::fromLatin1(kCancelButton)},
                        1);
    if (answer == 0) {
        document_->ignoreChangesOnDisk();
        save(oldFormat);
    } else if (answer == 1) {
        saveAs(oldFormat);
    }
}

void EditorDialog::OnExportTextures()
{
    if (packCommands_->startExport())
        sceneWorkStarted(packCommands_->progressText());
}

void EditorDialog::OnImportTextures()
{
    // A Replace that waits goes first; the import is greyed meanwhile.
    if (!replaceCommand_->isActive() && packCommands_->startImport(mipFilter(), staleLevelsChoice(), menu_->dither()))
        sceneWorkStarted(packCommands_->progressText());
}

void EditorDialog::packWorkEnded()
{
    delete progress_;
    progress_ = nullptr;
    updateActions();
    if (quitWhenSaved_) {
        quitWhenSaved_ = false;
        reject();
        if (!isVisible())
            return;  // going: nothing is shown, nothing imported
    }
    const TexturePackCommands::Finished finished = packCommands_->finish();
    if (!finished.status.isEmpty())
        showStatus(finished.status);
    const int chosen = textureList_->chosenTexture() ? textureList_->chosenIndex() : -1;
    if (std::find(finished.changed.begin(), finished.changed.end(), chosen) != finished.changed.end())
        showChangedTexture(chosen);
    updateActions();
    replaceCommand_->resume();
}

void EditorDialog::OnSave()
{
    save(false);
}

void EditorDialog::OnSaveOld()
{
    save(true);
}

void EditorDialog::OnSaveAs()
{
    saveAs(false);
}

void EditorDialog::OnSaveAsOld()
{
    saveAs(true);
}

// The texture list and the previews.

void EditorDialog::OnTextureSelected()
{
    if (const T3D_TEXTURE* texture = textureList_->takeSelection())
        previews_->DrawTexture(*texture, kSceneFrameId);
    view_->show();
}

void EditorDialog::selectNoTexture()
{
    textureList_->chooseNone();
    previews_->ClearFrame(kSceneFrameId);
    view_->show();
}

void EditorDialog::showChangedTexture(int index)
{
    if (const T3D_TEXTURE* texture = textureList_->showChanged(index))
        previews_->DrawTexture(*texture, kSceneFrameId);
    view_->show();
}

const T3D_TEXTURE* EditorDialog::shownTexture(int frameId) const
{
    if (frameId == kSceneFrameId)
        return textureList_->chosenTexture();
    if (frameId == kReplacementFrameId)
        return view_->shown();
    return nullptr;
}

void EditorDialog::RedrawPreviews()
{
    for (int frameId : {kSceneFrameId, kReplacementFrameId})
        previews_->redraw(shownTexture(frameId), frameId);
}

void EditorDialog::OnPreviewLevelStep(int frameId, int step)
{
    previews_->stepLevel(shownTexture(frameId), frameId, step);
}

// The replacement.

void EditorDialog::replacementChanged()
{
    view_->show();
    replaceCommand_->resume();
}

void EditorDialog::pickReplacement(const QString& path, bool dropped)
{
    previews_->frame(kReplacementFrameId)->clear();
    replacement_->pick(path, dropped);
}

void EditorDialog::OnTreeSelectionChanged()
{
    QTreeWidgetItem* item = folderTree_->currentItem();
    // The tree losing its selection (its folder collapsed) takes its file
    // away; a dropped file stays until another pick.
    updateActions();
    if (!item) {
        if (!replacement_->isDropped())
            replacement_->forget();
        return;
    }
    const QString path = folderTree_->GetItemFullPath(item);
    if (IsTextureFileName(LocalPath(path)))
        pickReplacement(path, false);
    else
        replacement_->forget();
}

void EditorDialog::OnOpenInImageEditor(const QString& file)
{
    // The desktop's own program for the file's type; its edits come back
    // through the replacement's watch.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
        tellUserWhy(kNoImageEditorText, LocalPath(file), QString(), MessageKind::Error);
}

void EditorDialog::treeItemPressed(QTreeWidgetItem* item)
{
    // A press on the item already selected changes no selection; it still
    // reads the file again.
    if (item && item == folderTree_->currentItem())
        OnTreeSelectionChanged();
}

void EditorDialog::replacementOptionsChanged()
{
    menu_->rememberOptions(settings_);
    const Replacement::Options options{mipFilter(), keepSceneFormat(),
                                       staleLevelsChoice() == StaleLevelChoice::rebuild};
    const Replacement::Options& now = replacement_->options();
    if (options.filter != now.filter || options.keepSceneFormat != now.keepSceneFormat ||
        options.rebuildStale != now.rebuildStale)
        replacement_->readWith(options);
    view_->show();
}

bool EditorDialog::refuseReplacementFile(const std::vector<std::string>& targets)
{
    for (const std::string& target : targets) {
        if (replacement_->isOneOfItsFiles(target)) {
            tellUserWhy(kWriteFailedText, target, QString::fromLatin1(kReplacementFileProblem));
            return true;
        }
    }
    return false;
}

bool EditorDialog::mayWriteOverReplacement(const std::vector<std::string>& targets)
{
    QStringList files;
    for (const std::string& target : targets)
        if (replacement_->isOneOfItsFiles(target))
            files.append(QFile::decodeName(target.c_str()));
    if (files.isEmpty())
        return true;
    const char* question = files.size() == 1 ? kExtractOverReplacementFileText : kExtractOverReplacementFilesText;
    const QStringList buttons = {QString::fromLatin1(kExtractButton), QString::fromLatin1(kCancelButton)};
    return prompts_.choose(QCoreApplication::applicationName(), QString::fromLatin1(question).arg(files.join('\n')),
                           buttons, 1) == 0;
}

// Action and Edit menus.

void EditorDialog::OnExtract()
{
    if (!document_->isLoaded()) {
        tellUser(kNothingToExtractText);
        return;
    }
    const T3D_TEXTURE* texture = textureList_->chosenTexture();
    if (!texture) {
        tellUser(kSelectTextureText);
        return;
    }
    QString filter;  // the kind of files the dialog's filter chose
    const QString chosen =
        chooseFile(FileDialogKind::Extract, ExtractRequest(*texture, settings_.extractKind(), &filter));
    // The writer checks the chain's names before writing and never replaces
    // the scene's own file; writing over the replacement's files is asked
    // here.
    if (chosen.isEmpty() || !mayWriteOverReplacement(ExtractedFiles(*texture, chosen)))
        return;
    const TextureFileKind kind = ExtractedKind(chosen, filter);
    settings_.setExtractKind(kind);
    const bool written = WriteExtractedChain(*texture, chosen, kind, document_->file(), report_);
    report_.showWarnings();
    if (written) {
        showStatus(QString::fromLatin1(kExtractedStatus)
                       .arg(SceneTextureList::TextureName(*texture), QFileInfo(chosen).fileName()));
        folderTree_->selectPath(chosen);  // the right frame shows what was written, ready to paint
    }
}

void EditorDialog::OnReplace()
{
    if (!document_->isLoaded()) {
        tellUser(kNothingToReplaceText);
        return;
    }
    if (!textureList_->chosenTexture()) {
        tellUser(kSelectTextureText);
        return;
    }
    replaceCommand_->start(textureList_->chosenIndex(),
                           {staleLevelsChoice(), flagsChoice(), mipFilter(), menu_->keepSceneName(), menu_->dither()});
    updateActions();
}

void EditorDialog::replaceEnded()
{
    if (statusLine_->text().startsWith(QString::fromLatin1(kReplaceWaitsStatus).arg(QString())))
        showStatus(QString());
    updateActions();
}

void EditorDialog::textureReplaced(int index, const QString& said)
{
    showChangedTexture(index);
    updateActions();
    showStatus(said);
}

void EditorDialog::OnUndoOrRedo(bool undo)
{
    const int index = replaceCommand_->isActive() ? -1 : undo ? document_->undo() : document_->redo();
    if (index >= 0)
        showChangedTexture(index);
    updateActions();
}

// Drag and drop.

void EditorDialog::dragEnterEvent(QDragEnterEvent* event)
{
    if (KindOfDrop(event->mimeData()) != DroppedFile::None)
        event->acceptProposedAction();
}

void EditorDialog::dragMoveEvent(QDragMoveEvent* event)
{
    if (DropAt(*event, this, previews_->frame(kReplacementFrameId)) != DroppedFile::None)
        event->acceptProposedAction();
    else
        event->ignore();
}

void EditorDialog::dropEvent(QDropEvent* event)
{
    QString path;
    switch (DropAt(*event, this, previews_->frame(kReplacementFrameId), &path)) {
    case DroppedFile::None:
        event->ignore();
        return;
    case DroppedFile::Scene:
        event->acceptProposedAction();
        // Once the drop is over: the program the file came from is not kept
        // waiting while a question or message is open.
        QMetaObject::invokeMethod(
            this, [this, path] { openSceneFile(path); }, Qt::QueuedConnection);
        return;
    case DroppedFile::Texture:
        event->acceptProposedAction();
        QMetaObject::invokeMethod(
            this, [this, path] { pickReplacement(path, true); }, Qt::QueuedConnection);
        return;
    }
}

// Messages.

void EditorDialog::tellUser(const char* text, MessageKind kind)
{
    prompts_.message(QCoreApplication::applicationName(), QString::fromLatin1(text), kind);
}

void EditorDialog::tellUserWhy(const char* text, const std::string& file, const QString& why, MessageKind kind)
{
    QString lines = QString::fromLatin1(text) + '\n' + QFile::decodeName(file.c_str());
    if (!why.isEmpty())
        lines += QStringLiteral(": ") + why;
    prompts_.message(QCoreApplication::applicationName(), lines, kind);
}

void EditorDialog::showStatus(const QString& text)
{
    controls_->say(text);
}
