// The main window: a top-level window with the scene's texture list, the chosen
// texture's details and flags, two previews (the chosen scene texture, the
// replacement read from a TGA, PNG or DDS file, or as it will go into the chosen
// scene texture), the folder tree, and the File, Edit, View and Action menus.
//
// The dialog holds the controls, the menus and their layout, wires every
// signal in one place and keeps every enable and grey rule of the menus in
// one function. What it shows lives in collaborators, each with its own
// state: the scene document (SceneDocument: the scene, its file, format and
// replacement history), the list and details (SceneTextureList), the
// previews (Previews), the replacement (Replacement) and what its frame shows
// (ReplacementView). Its handlers are the
// steps of each command, asking those collaborators.
//
// Handlers run on the window's thread and return at once; reading a chain,
// converting it, loading and saving a scene run off it, and their results and
// messages come back to it. Meanwhile the window paints and its menus open:
// the frame being filled says what it reads; a load or save shows a progress
// window after half a second and greys Load, Save, Save as, Close, Replace,
// Undo and Redo; Quit waits for a save to end. A Replace asked during a read
// waits for it (the status line says so), and Undo and Redo wait for the
// Replace. Every question and message goes through the EditorPrompts given to
// the dialog.
//
// Extract and Replace decline with a message when no entry is chosen or no
// replacement is read; Replace reads the replacement again first whenever a
// file of its chain changed. Before it goes on, Replace asks (unless the
// Action menu says what to do) whether level files older than the chain's
// first file are used or made anew, then whether the flags of the file's name
// are taken where they differ from the scene texture's; Cancel ends it. A
// conversion still running after half a second shows a progress window that
// can stop it; so does a load. The replacement frame's tooltip says what
// Replace would do to the chosen scene texture, and the status line what it
// did. Save as refuses a target that is one of the replacement's files;
// Extract asks once more before it writes over them. Export all textures and
// Import textures from folder (TexturePackCommands) read the scene off the
// window's thread as a save does, with the same progress window and greyed
// commands; an import's textures go in as one step of Undo. Quit, the close
// box, Escape, Close, Load and a dropped scene ask before they throw away
// replaced textures that were never saved, offering to save it first; Escape
// with a menu open only leaves the menu; Enter never ends the dialog. The
// window grows from its template size (its smallest) as GrowingLayout says,
// and comes back at the size and place it had when it last ended.
#pragma once

#include "editor/EditorPrompts.h"
#include "editor/EditorSettings.h"
#include "editor/GatheringReport.h"
#include "editor/MainMenu.h"
#include "editor/SceneDocument.h"
#include "resources/DialogTemplate.h"
#include "texture/T3DTexture.h"

#include <QDialog>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class FolderTree;
class Previews;
class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QProgressDialog;
class QTreeWidgetItem;
class DialogControls;
class ReplaceCommand;
class Replacement;
class ReplacementView;
class SceneTextureList;
class TexturePackCommands;

class EditorDialog : public QDialog {
    Q_OBJECT
public:
    // folderTree: control 1025, taken over by the dialog; nullptr makes one
    // over the machine's own folders.
    explicit EditorDialog(EditorPrompts prompts, FolderTree* folderTree = nullptr, QWidget* parent = nullptr);
    ~EditorDialog() override;

    // The scene commands of the File menu: enabled while a scene is loaded.
    void EnableSceneCommands();
    // Greys them, empties both lists and forgets that a texture was chosen.
    void DisableSceneCommands();

    // File menu. openSceneFile loads the scene at `path` as Load does once
    // its dialog has chosen it, asking first about unsaved replacements.
    void OnLoad();
    void openSceneFile(const QString& path);
    void OnClose();
    void OnSave();
    void OnSaveOld();
    void OnSaveAs();
    void OnSaveAsOld();
    void OnExportTextures();
    void OnImportTextures();
    // The user chose an entry of the texture list.
    void OnTextureSelected();
    // Redraws both previews from what they stand for now.
    void RedrawPreviews();
    // The mouse wheel or Page Up / Page Down over a frame (kSceneFrameId or
    // kReplacementFrameId): shows the next smaller (+1) or larger (-1) level
    // of the frame's texture, if it has one.
    void OnPreviewLevelStep(int frameId, int step);

    // Folder tree, Action menu.
    void OnTreeSelectionChanged();
    // "Open in image editor" of the tree's and the right frame's context
    // menus: the file in the desktop's own program for its type.
    void OnOpenInImageEditor(const QString& file);
    void OnExtract();
    void OnReplace();

    // Edit menu: Undo and Redo of the changes made since the scene was loaded
    // (Rename goes to the texture list).
    void OnUndoOrRedo(bool undo);

    void OnAbout();

    // Action menu options for reading replacements (remembered between runs).
    bool keepSceneFormat() const { return menu_->keepSceneFormat(); }
    MipFilter mipFilter() const { return menu_->mipFilter(); }
    StaleLevelsChoice staleLevelsChoice() const { return menu_->staleLevelsChoice(); }
    FlagsChoice flagsChoice() const { return menu_->flagsChoice(); }

    // The menu action that carries a command id; nullptr when there is none.
    QAction* action(int command) const { return menu_->action(command); }
    // True while the loaded scene holds replaced textures not yet saved to
    // its own file.
    bool hasUnsavedChanges() const { return document_->hasUnsavedChanges(); }
    // True while work runs off the window's thread, or a Replace waits.
    bool isWorking() const;

public slots:
    // Quit, the close box and Escape.
    void reject() override;
    // The window ends: its size and place are kept for the next run.
    void done(int result) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls(QWidget* client);
    void wireMessageMap();
    // Every enable and grey rule of the menus, the Ctrl+S target and the title.
    void updateActions();
    void layoutControls();
    void openMenuBar();
    void fillRecentScenes();

    void loadScene(const QString& path);
    // Starts writing the scene to its own file; false when it cannot start
    // (other work under way).
    bool save(bool oldFormat);
    // Saves and waits for the save to end: whether the scene was written.
    bool saveAndWait(bool oldFormat);
    void saveAs(bool oldFormat);
    // A load or save began; shows its progress window after a while.
    void sceneWorkStarted(const char* progressText);
    void sceneLoaded(bool ok);
    void sceneSaved(bool ok);
    void askAboutChangedScene();
    // An export or an import's read ended: its outcome is shown (and the
    // import applied) unless the window is going.
    void packWorkEnded();
    // Chooses no list entry: empty details, no flags, a black left frame.
    void selectNoTexture();
    // Makes entry [index] the chosen one and shows what it holds now.
    void showChangedTexture(int index);
    // The record a frame stands for now, or nullptr when it shows none.
    const T3D_TEXTURE* shownTexture(int frameId) const;
    // Shows the replacement as it stands (its picture and notice, or
    // nothing) and takes the next step of a Replace that waits for it.
    void replacementChanged();
    // What the Replace under way tells: it ended, the texture went in.
    void replaceEnded();
    void textureReplaced(int index, const QString& said);
    // Makes the chain at `path` the replacement, read and shown.
    void pickReplacement(const QString& path, bool dropped);
    // A mouse press in the tree, before the tree acts on it.
    void treeItemPressed(QTreeWidgetItem* item);
    // Hands the Action menu's options to the replacement, which reads again
    // when they changed, and remembers them.
    void replacementOptionsChanged();
    // True, having said so, when a target is one of the files of the chosen
    // replacement's chain: no scene the editor writes replaces them.
    bool refuseReplacementFile(const std::vector<std::string>& targets);
    // True when no target is a file of the chosen replacement, or the user
    // agrees to write over those that are.
    bool mayWriteOverReplacement(const std::vector<std::string>& targets);

    // The status line's text until the next one replaces it.
    void showStatus(const QString& text);
    void tellUser(const char* text, MessageKind kind = MessageKind::Information);
    // The text, then on a second line the file and why (when there is a why).
    void tellUserWhy(const char* text, const std::string& file, const QString& why,
                     MessageKind kind = MessageKind::Error);
    QString chooseFile(FileDialogKind kind, FileDialogRequest request);
    // True when nothing is unsaved, or the user has it saved (and the save
    // worked) or agrees to throw it away.
    bool mayDiscardChanges();

    EditorPrompts prompts_;
    GatheringReport report_;
    EditorSettings settings_;

    // The collaborators.
    SceneDocument* document_ = nullptr;
    SceneTextureList* textureList_ = nullptr;
    Previews* previews_ = nullptr;
    Replacement* replacement_ = nullptr;
    ReplacementView* view_ = nullptr;  // what the replacement frame shows
    TexturePackCommands* packCommands_ = nullptr;
    // Set and cleared with the scene commands (EnableSceneCommands,
    // DisableSceneCommands); a failed Load keeps them as they were.
    bool sceneCommandsOn_ = false;
    ReplaceCommand* replaceCommand_ = nullptr;
    bool quitWhenSaved_ = false;

    // Controls and menu.
    FolderTree* folderTree_ = nullptr;
    QLabel* statusLine_ = nullptr;
    QProgressDialog* progress_ = nullptr;  // a load's or save's
    QWidget* client_ = nullptr;
    std::unique_ptr<DialogControls> controls_;
    QMenuBar* menuBar_ = nullptr;
    MainMenu* menu_ = nullptr;
    // "Open in image editor" in the tree's and the right frame's context menus.
    QAction* openTreeFileAction_ = nullptr;
    QAction* openReplacementAction_ = nullptr;
};
