// The scene the window edits: the scene object, the file it was loaded from,
// the format that file is in, and the replacements made since (for Undo, Redo
// and the unsaved mark).
//
// The file is decided once, at Load: the name as chosen, or with ".T3D" added
// when the name has no extension and no regular file has it (FileFor). Save,
// the title, the recent scenes and every check use that file from then on,
// whatever appears on disk meanwhile.
//
// Loading and saving run off the window's thread; loaded() and saved() come
// back on it when they end. A load reads into a scene object of its own and
// takes its place only when it worked, so a failed Load keeps the scene
// loaded before, with its file and history. While a save runs the scene is
// read by it, and likewise while other work reads it off the window's thread
// (readScene: an export, an import comparing files with it): nothing may
// change the scene (replace, undo, redo, load, close) until that work ends;
// isBusy() says so, and those calls are refused meanwhile. The window's
// thread may still read the textures. A load can be stopped (cancelLoad): it
// ends as one that failed, and wasCancelled() says why.
#pragma once

#include "editor/ReplacementHistory.h"
#include "scene/CVK7QScene.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

class SceneDocument : public QObject {
    Q_OBJECT
public:
    enum class Work { None, Loading, Saving, Reading };

    explicit SceneDocument(QObject* parent);
    // Waits for a save or a read under way: its thread reads this scene.
    ~SceneDocument() override;

    // The file a scene named `chosen` is loaded from or written to.
    static std::string FileFor(const std::string& chosen);

    // Starts loading the scene that `chosen` names; loaded() follows. False,
    // starting nothing, while other work runs.
    bool load(const std::string& chosen);
    // Starts writing the scene to its own file in that format; saved()
    // follows, and the unsaved mark goes when it worked.
    bool save(bool oldFormat);
    // Starts writing the scene to `target` (a FileFor result); when that is
    // the loaded scene's own file, as save() does.
    bool saveAs(const std::string& target, bool oldFormat);
    // Frees the scene and forgets its history; false while work runs.
    bool close();
    // Runs `job` off the window's thread with the loaded scene to read;
    // `done` follows on the window's thread when it ends. `about` is the file
    // or folder the work is about (workFile()). False, starting nothing,
    // while other work runs or no scene is loaded.
    bool readScene(const std::string& about, std::function<void(const VK7Q_HEADER& scene)> job,
                   std::function<void()> done);
    // Stops a load under way at its next chunk of the file; loaded(false)
    // follows.
    void cancelLoad();
    // The last load ended because it was stopped.
    bool wasCancelled() const { return cancelled_; }

    Work work() const { return work_; }
    bool isBusy() const { return work_ != Work::None; }
    // The file the work under way, or the last failed one, is about, and the
    // scene code's words for why it failed.
    const std::string& workFile() const { return workFile_; }
    const QString& failure() const { return failure_; }
    // The last save wrote nothing because another program wrote the file
    // since it was loaded (or last saved here).
    bool changedOnDisk() const { return changedOnDisk_; }
    // The format the work under way, or the last one, writes in.
    bool workOldFormat() const { return workOldFormat_; }
    // The next save writes over the file whatever another program did to it.
    void ignoreChangesOnDisk();
    // The last save wrote another file than the loaded one: a copy, after
    // which Save still writes the loaded file.
    bool wroteCopy() const { return !isOwnFile(workFile_); }
    // What the status line says after a save that worked: the file written
    // and, for a copy, the file that Save still writes.
    QString savedText() const;

    bool isLoaded() const { return loaded_; }
    // The loaded scene's file and its name without folder.
    const std::string& file() const { return file_; }
    QString fileName() const;
    // The loaded file is in the old format (as last loaded or saved).
    bool isOldFormat() const { return oldFormat_; }

    // Scene texture [index], or nullptr when the scene holds no such texture.
    const T3D_TEXTURE* texture(unsigned index);
    // The scene's header: its textures, none when no scene is loaded.
    const VK7Q_HEADER& header() { return *scene_->GetSceneHeader(); }

    // Replacing textures, and stepping through the replacements made; each
    // refused while work runs. undo() and redo() give the index of the
    // texture that changed, or -1.
    bool replace(int index, const T3D_TEXTURE& replacement);
    // Replaces several textures as one step, which Undo and Redo take whole.
    bool replaceAll(const std::vector<ReplacementHistory::Replacing>& replacements);
    // Gives texture [index] these flags and this name, as one step.
    bool setTextureInfo(int index, uint32_t flags, const std::string& name);
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    int undo();
    int redo();
    // True while the scene holds replaced textures not yet saved to its file.
    bool hasUnsavedChanges() const { return !history_.matchesSavedFile(); }
    // The indices of those textures.
    std::set<int> unsavedIndices() const { return history_.unsavedIndices(); }

    // Runs first in every load and save, on the thread that does it: tests
    // hold the work there, or note the thread.
    void setWorkerGate(std::function<void()> gate) { gate_ = std::move(gate); }

signals:
    void loaded(bool ok);
    void saved(bool ok);

private:
    // What a load or save off the window's thread gives back.
    struct Outcome {
        std::unique_ptr<CVK7QScene> scene;  // a load's scene, when it worked
        bool ok = false;
        bool cancelled = false;
        bool changedOnDisk = false;
        QString failure;
    };
    void finished();
    bool isOwnFile(const std::string& target) const;

    std::unique_ptr<CVK7QScene> scene_;
    bool loaded_ = false;
    std::string file_;
    bool oldFormat_ = false;
    ReplacementHistory history_;

    Work work_ = Work::None;
    std::string workFile_;
    bool workOldFormat_ = false;
    QString failure_;
    bool cancelled_ = false;
    bool changedOnDisk_ = false;
    std::shared_ptr<std::atomic<bool>> loadCancel_;
    QFutureWatcher<std::shared_ptr<Outcome>> watcher_;
    std::function<void()> readDone_;  // what follows the read under way
    std::function<void()> gate_;
};
