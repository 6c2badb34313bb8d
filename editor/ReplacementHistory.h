// The replacements made in a scene since it was loaded, for Undo and Redo.
// Each step keeps the one texture of its index that the scene does not hold
// now: before Undo the texture that was replaced, before Redo the one that
// replaced it; taking a step swaps it with the scene's. A step that changed
// only a texture's flags or name keeps only those: its pixels stay in the
// scene. Steps made together (an import of many textures) are undone and
// redone together. A new step drops the steps undone before it. The history also knows where
// the scene last matched its file, so the unsaved mark follows Undo and Redo,
// and which textures differ from the file.
#pragma once

#include "scene/CVK7QScene.h"
#include "texture/TextureRecord.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

class ReplacementHistory {
public:
    struct Replacing {
        int index;
        const T3D_TEXTURE* texture;
    };

    // Replaces texture [index] of the scene with `replacement` and records
    // the step. False, changing nothing, when the scene refuses it or the
    // texture replaced cannot be copied.
    bool replace(CVK7QScene& scene, int index, const T3D_TEXTURE& replacement);
    // Replaces each texture as replace() does, all as one step. False when
    // one is refused; those put in before it are taken out again.
    bool replaceAll(CVK7QScene& scene, const std::vector<Replacing>& replacements);
    // Gives texture [index] these flags and this name in place and records
    // the step. False, changing nothing, when the scene refuses it.
    bool setInfo(CVK7QScene& scene, int index, uint32_t flags, const std::string& name);
    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    // Take back or make again the last step; the index of the texture that
    // changed (the first of a step of several), or -1 when there was nothing
    // to do or it failed.
    int undo(CVK7QScene& scene);
    int redo(CVK7QScene& scene);

    // Forgets every step; the scene as it is matches its file.
    void clear();
    // The scene as it is now has been written to its file.
    void markSaved();
    bool matchesSavedFile() const { return saved_ == done_; }
    // The indices of the textures replaced since the file was written (or
    // loaded), Undo and Redo counted.
    std::set<int> unsavedIndices() const;

private:
    // A texture's flags and name, without its pixels.
    struct TextureInfo {
        uint32_t flags;
        std::string name;
    };
    struct Step {
        int index;
        TextureRecord other;              // the texture of `index` the scene does not hold now
        bool withPrevious = false;        // made together with the step before it
        std::optional<TextureInfo> info;  // instead of `other`: the flags and name the scene does not hold now
    };
    static bool swap(CVK7QScene& scene, Step& step);
    static bool swapInfo(CVK7QScene& scene, Step& step);
    // Records the steps just made in the scene, dropping those undone.
    void push(std::vector<Step> made);
    // Swaps steps_[from, to) with the scene's, the last first when undoing;
    // on a failure swaps back those done. False when one failed.
    bool swapRange(CVK7QScene& scene, size_t from, size_t to, bool undoing);

    // The indices of steps_[from, to) or steps_[to, from).
    std::set<int> indicesBetween(size_t from, size_t to) const;

    static constexpr size_t kNeverSaved = size_t(-1);
    std::vector<Step> steps_;
    size_t done_ = 0;   // steps_[0, done_) are in the scene
    size_t saved_ = 0;  // done_ when the file was last written; kNeverSaved once unreachable
    // Once the file's state is unreachable: it is steps_[0, branch_) and
    // then steps since dropped, which replaced the textures of `dropped_`.
    size_t branch_ = 0;
    std::set<int> dropped_;
};
