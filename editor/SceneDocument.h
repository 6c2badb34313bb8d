// The scene the window edits: the scene object, the file it was loaded from,
// the format that file is in, and the replacements made since (for Undo, Redo
// and the unsaved mark).
//
// The file is decided once, at Load: the name as chosen, or with ".T3D" added
// when the name has no extension and no regular file has it (FileFor). Save,
// the title, the recent scenes and every check use that file from then on,
// whatever appears on disk meanwhile. A failed Load keeps the scene loaded
// before, with its file and its history.
#pragma once

#include "editor/ReplacementHistory.h"
#include "scene/CVK7QScene.h"

#include <QString>

#include <set>
#include <string>

class SceneDocument {
public:
    // The file a scene named `chosen` is loaded from or written to.
    static std::string FileFor(const std::string& chosen);

    // Loads the scene that `chosen` names. False, changing nothing, when it
    // cannot be loaded; failedFile() and failure() then say which and why.
    bool load(const std::string& chosen);
    // Frees the scene and forgets its history.
    void close();
    bool isLoaded() const { return loaded_; }

    // The loaded scene's file (FileFor of the name chosen at Load) and its name
    // without folder.
    const std::string& file() const { return file_; }
    QString fileName() const;
    // The loaded file is in the old format (as last loaded or saved).
    bool isOldFormat() const { return oldFormat_; }

    // Scene texture [index], or nullptr when the scene holds no such texture.
    const T3D_TEXTURE* texture(unsigned index);

    // Writes the scene to its own file in that format; the unsaved mark goes.
    bool save(bool oldFormat);
    // Writes the scene to `target` (a FileFor result). When that is the loaded
    // scene's own file, as save() does.
    bool saveAs(const std::string& target, bool oldFormat);
    // The file the last failed load or write was about, and the scene code's
    // words for why.
    const std::string& failedFile() const { return failedFile_; }
    QString failure() const;

    // Replacing textures, and stepping through the replacements made.
    bool replace(int index, const T3D_TEXTURE& replacement) { return history_.replace(scene_, index, replacement); }
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    // The index of the texture that changed, or -1.
    int undo() { return history_.undo(scene_); }
    int redo() { return history_.redo(scene_); }
    // True while the scene holds replaced textures not yet saved to its file.
    bool hasUnsavedChanges() const { return !history_.matchesSavedFile(); }
    // The indices of those textures.
    std::set<int> unsavedIndices() const { return history_.unsavedIndices(); }

private:
    bool write(const std::string& target, bool oldFormat);
    bool isOwnFile(const std::string& target) const;

    CVK7QScene scene_;
    bool loaded_ = false;
    std::string file_;
    bool oldFormat_ = false;
    ReplacementHistory history_;
    std::string failedFile_;
};
