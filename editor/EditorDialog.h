// The main window: a modal dialog with the scene's texture list, the selected
// texture's details and flags, two previews (the selected scene texture, the
// replacement read from a TGA or PNG file), the folder tree, and the File,
// Edit and Action menus. It owns the scene object, the replacement record,
// the history of replacements and the editing state for its whole life.
//
// Handlers run on the one UI thread and block until they return. Every
// question and message goes through the EditorPrompts given to the dialog.
// The details, flags and left frame describe the list entry the user chose,
// or nothing: Load and Close choose none. Extract and Replace decline with a
// message when no entry is chosen or no replacement is read. The replacement
// is the texture file (TGA or PNG) chosen in the folder tree or the last one
// dropped on the right frame. It follows its files on disk: a change to any
// file of its chain is read again in the background (what that read meets is
// said across the right frame, never in a box), a failed read keeps the last
// good one, and Replace reads again first whenever a file changed. Save as
// and Extract refuse a target that is one of its files. Quit, the close box,
// Escape, Close, Load and a dropped scene ask before they throw away replaced
// textures that were never saved; Escape with a menu open only leaves the
// menu; Enter never ends the dialog. The window grows from its template size
// (its smallest) as GrowingLayout says.
#pragma once

#include "editor/EditorPrompts.h"
#include "editor/EditorSettings.h"
#include "editor/GatheringReport.h"
#include "editor/ReplacementHistory.h"
#include "resources/DialogTemplate.h"
#include "resources/ResourceIds.h"
#include "scene/CVK7QScene.h"
#include "texture/TextureRecord.h"
#include "texture/chain/TextureFileReader.h"

#include <QDialog>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class ChainWatch;
class FolderTree;
class PreviewFrame;
class QAction;
class QCheckBox;
class QLabel;
class QListWidget;
class QMenu;
class QMenuBar;
class QTreeWidgetItem;
class SelectionListBox;

class EditorDialog : public QDialog {
    Q_OBJECT
public:
    // folderTree: control 1025, taken over by the dialog; nullptr makes one
    // over the machine's own folders.
    explicit EditorDialog(EditorPrompts prompts, FolderTree* folderTree = nullptr, QWidget* parent = nullptr);
    ~EditorDialog() override;

    // The scene commands of the File menu: enabled while a scene is loaded.
    // Enabling them also marks the scene loaded for Extract, Replace and the title.
    void EnableSceneCommands();
    // Greys them, marks no scene loaded, empties both lists and forgets that a
    // texture was chosen.
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
    // Texture list and details.
    void FillTextureList();
    void OnTextureSelected();
    void ShowDetails();
    void ShowFlags();
    void ClearFlags();
    void RefreshTextureEntry();

    // Previews: frameId is kSceneFrameId or kReplacementFrameId.
    void DrawTexture(const T3D_TEXTURE& record, int frameId);
    void ClearFrame(int frameId);
    void RedrawPreviews();
    // The mouse wheel or Page Up / Page Down over a frame: shows the next
    // smaller (+1) or larger (-1) level of the frame's texture, if it has one.
    void OnPreviewLevelStep(int frameId, int step);

    // Folder tree, Action menu.
    void OnTreeSelectionChanged();
    void OnExtract();
    void OnReplace();

    // Edit menu: the replacements made since the scene was loaded.
    void OnUndo();
    void OnRedo();

    void OnAbout();

    // Action menu options for reading replacements (remembered between runs).
    bool keepSceneFormat() const;
    MipFilterChoice mipFilter() const;

    // The menu action that carries a command id; nullptr when there is none.
    QAction* action(int command) const;
    // True while the loaded scene holds replaced textures not yet saved to
    // its own file.
    bool hasUnsavedChanges() const { return !history_.matchesSavedFile(); }

public slots:
    // Quit, the close box and Escape.
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls(QWidget* client);
    void buildMenu();
    void wireMessageMap();
    // Every enable and grey rule of the menus, the Ctrl+S target and the title.
    void updateActions();
    void layoutControls();
    void openMenuBar();

    void loadScene(const QString& path);
    void fillRecentScenes();
    // Chooses no list entry: empty details, no flags, a black left frame.
    void selectNoTexture();
    // Makes entry [index] the chosen one and shows what it holds now.
    void showChangedTexture(int index);
    // Makes the chain at `path` the replacement, read and shown; a file that
    // cannot be read leaves none.
    void pickReplacement(const QString& path, bool dropped);
    // Reads the replacement's chain again; a failure keeps the last good read.
    // In the background what the read meets goes to the frame, not to boxes.
    void rereadReplacement(bool background);
    // Reads the chain at `path` as the replacement would be, converted when
    // asked, named after its file.
    bool readReplacementChain(const QString& path, TextureRecord& into, TextureReport& report,
                              const std::optional<DepthOptions>& convertTo);
    void forgetReplacement();
    // True, having said so, when a target is one of the files of the chosen
    // replacement's chain: nothing the editor writes replaces them.
    bool refuseReplacementFile(const std::vector<std::string>& targets);
    // A mouse press in the tree, before the tree acts on it.
    void treeItemPressed(QTreeWidgetItem* item);
    // Reads the replacement again after an Action menu option changed.
    void replacementOptionsChanged();
    // The replacement read as it goes into scene texture `target`: a PNG, or
    // any file when the scene texture's format is kept, read again converted
    // to the texture's format. Null when that read fails.
    const T3D_TEXTURE* replacementFor(const T3D_TEXTURE& target, TextureRecord& converted);
    void showStatus(const QString& text);

    // Scene texture [index], or nullptr when the scene holds no such texture.
    const T3D_TEXTURE* sceneTexture(unsigned index);
    static QString textureName(const T3D_TEXTURE& texture);
    // False for a record without pixels (a file that could not be read).
    static bool HasPicture(const T3D_TEXTURE& record);
    PreviewFrame* frame(int frameId) const;
    // The record a frame stands for now, or nullptr when it shows none.
    const T3D_TEXTURE* shownTexture(int frameId);
    // DrawTexture at a level, kept within the record's levels.
    void drawLevel(const T3D_TEXTURE& record, int frameId, int level);
    void tellUser(const char* text);
    // The text, then on a second line the file and why.
    void tellUserWhy(const char* text, const std::string& file, const QString& why);
    // The scene's last failure: the text, then the file and why.
    void tellUserWhy(const char* text, const std::string& file);
    QString chooseFile(FileDialogKind kind, FileDialogRequest request);
    bool writeScene(const std::string& path, bool oldFormat);
    void save(bool oldFormat);
    // The loaded scene's own file now holds the scene, in that format.
    void savedToOwnFile(bool oldFormat);
    void saveAs(bool oldFormat);
    bool isLoadedSceneFile(const QString& path) const;
    // True when nothing is unsaved or the user agrees to throw it away.
    bool mayDiscardChanges();

    EditorPrompts prompts_;
    GatheringReport report_;
    EditorSettings settings_;

    // The editing state.
    // The chosen list entry; 16 bits, as the scene counts its textures.
    uint16_t selectedIndex_ = 0;
    bool textureSelected_ = false;
    // The replacement: a texture file chosen in the tree or dropped. Chosen, it
    // stays chosen until another pick, whether or not its reads work;
    // replacement_ holds its last good read (empty when none worked yet).
    bool replacementChosen_ = false;
    TextureRecord replacement_;
    QString replacementFile_;           // the chosen file, level 0 of its chain
    bool replacementDropped_ = false;   // it came from a drop, not from the tree
    bool replacementRead_ = false;      // the latest read of its chain worked
    bool replacementPng_ = false;       // replacement_ was read from a PNG
    ChainWatch* chainWatch_ = nullptr;  // the replacement's files on disk
    FolderTree* folderTree_ = nullptr;
    std::string sceneFile_;  // the loaded scene's whole file name, as chosen
    CVK7QScene scene_;
    // Set and cleared with the scene commands (EnableSceneCommands,
    // DisableSceneCommands); a failed Load keeps the scene loaded before.
    bool sceneLoaded_ = false;
    bool sceneFileOld_ = false;  // the loaded scene's file is in the old format
    ReplacementHistory history_;

    // Controls and menu.
    SelectionListBox* textureList_ = nullptr;
    QListWidget* detailsList_ = nullptr;
    QCheckBox* flagBoxes_[kFlagBoxCount] = {};
    PreviewFrame* sceneFrame_ = nullptr;
    PreviewFrame* replacementFrame_ = nullptr;
    QLabel* statusLine_ = nullptr;
    QWidget* client_ = nullptr;
    std::vector<std::pair<QWidget*, const ControlTemplate*>> placed_;  // each control and its template entry
    QMenuBar* menuBar_ = nullptr;
    QMenu* recentScenesMenu_ = nullptr;
    std::map<int, QAction*> actions_;
};
