// The main window: a modal dialog with the scene's texture list, the selected
// texture's details and flags, two previews (the selected scene texture, the
// replacement read from a TGA file), the folder tree, and the File and Action
// menus. It owns the scene object, the replacement record and the editing
// state for its whole life.
//
// Handlers run on the one UI thread and block until they return. Every
// question and message goes through the EditorPrompts given to the dialog.
// The selected index is kept across Close and Load, but an index at or beyond
// the scene's texture count is never used: painting skips it, Extract and
// Replace decline with a message. Quit, the close box, Escape, Close and
// Load ask before they throw away replaced textures that were never saved;
// Enter never ends the dialog.
#pragma once

#include "editor/EditorPrompts.h"
#include "resources/DialogTemplate.h"
#include "resources/ResourceIds.h"
#include "scene/CVK7QScene.h"
#include "texture/TextureRecord.h"

#include <QDialog>
#include <QIcon>

#include <cstdint>
#include <map>
#include <string>

class FolderTree;
class PreviewFrame;
class QAction;
class QCheckBox;
class QListWidget;
class QMenuBar;
class SelectionListBox;

class EditorDialog : public QDialog {
    Q_OBJECT
public:
    // folderTree: control 1025, taken over by the dialog; nullptr makes one
    // over the machine's own folders.
    explicit EditorDialog(EditorPrompts prompts, FolderTree* folderTree = nullptr,
                          QWidget* parent = nullptr);
    ~EditorDialog() override;

    // The scene commands of the File menu: enabled while a scene is loaded.
    void EnableSceneCommands();
    // Greys them, empties both lists and forgets that a texture was chosen.
    void DisableSceneCommands();

    // File menu.
    void OnLoad();
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

    void OnAbout();

    // The menu action that carries a command id; nullptr when there is none.
    QAction* action(int command) const;
    // True while the loaded scene holds replaced textures not yet saved to
    // its own file.
    bool hasUnsavedChanges() const { return sceneModified_; }

public slots:
    // Quit, the close box and Escape.
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls(QWidget* client);
    void buildMenu(QMenuBar* menuBar);
    void wireMessageMap();
    void setSceneCommandsEnabled(bool enabled);

    // Scene texture [index], or nullptr when the scene holds no such texture.
    const T3D_TEXTURE* sceneTexture(unsigned index);
    static QString textureName(const T3D_TEXTURE& texture);
    PreviewFrame* frame(int frameId) const;
    // The record a frame stands for now, or nullptr when it shows none.
    const T3D_TEXTURE* shownTexture(int frameId);
    // DrawTexture at a level, kept within the record's levels.
    void drawLevel(const T3D_TEXTURE& record, int frameId, int level);
    void tellUser(const char* text);
    // The scene's last failure: the text, then the file and why.
    void tellUserWhy(const char* text, const std::string& file);
    bool writeScene(const std::string& path, bool oldFormat);
    void save(bool oldFormat);
    void saveAs(bool oldFormat);
    bool isLoadedSceneFile(const QString& path) const;
    // True when nothing is unsaved or the user agrees to throw it away.
    bool mayDiscardChanges();

    EditorPrompts prompts_;
    PromptReport report_;

    // The editing state.
    QIcon icon_;
    TextureRecord replacement_;
    uint16_t selectedIndex_ = 0;
    bool textureSelected_ = false;
    bool replacementLoaded_ = false;
    FolderTree* folderTree_ = nullptr;
    std::string scenePath_;  // base path of the loaded scene, without extension
    std::string sceneFile_;  // the loaded scene's whole file name, as chosen
    CVK7QScene scene_;
    bool sceneModified_ = false;

    // Controls and menu.
    SelectionListBox* textureList_ = nullptr;
    QListWidget* detailsList_ = nullptr;
    QCheckBox* flagBoxes_[kFlagBoxCount] = {};
    PreviewFrame* sceneFrame_ = nullptr;
    PreviewFrame* replacementFrame_ = nullptr;
    std::map<int, QAction*> actions_;
};
