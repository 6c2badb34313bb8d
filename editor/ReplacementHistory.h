// The replacements made in a scene since it was loaded, for Undo and Redo.
// Each step keeps the one texture of its index that the scene does not hold
// now: before Undo the texture that was replaced, before Redo the one that
// replaced it; taking a step swaps it with the scene's. A new replacement
// drops the steps undone before it. The history also knows where the scene
// last matched its file, so the unsaved mark follows Undo and Redo.
#pragma once

#include "scene/CVK7QScene.h"
#include "texture/TextureRecord.h"

#include <cstddef>
#include <vector>

class ReplacementHistory {
public:
    // Replaces texture [index] of the scene with `replacement` and records
    // the step. False, changing nothing, when the scene refuses it or the
    // texture replaced cannot be copied.
    bool replace(CVK7QScene& scene, int index, const T3D_TEXTURE& replacement);
    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    // Take back or make again the last step; the index of the texture that
    // changed, or -1 when there was nothing to do or it failed.
    int undo(CVK7QScene& scene);
    int redo(CVK7QScene& scene);

    // Forgets every step; the scene as it is matches its file.
    void clear();
    // The scene as it is now has been written to its file.
    void markSaved() { saved_ = done_; }
    bool matchesSavedFile() const { return saved_ == done_; }

private:
    struct Step {
        int index;
        TextureRecord other;  // the texture of `index` the scene does not hold now
    };
    static bool swap(CVK7QScene& scene, Step& step);

    static constexpr size_t kNeverSaved = size_t(-1);
    std::vector<Step> steps_;
    size_t done_ = 0;   // steps_[0, done_) are in the scene
    size_t saved_ = 0;  // done_ when the file was last written; kNeverSaved once unreachable
};
