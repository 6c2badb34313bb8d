#include "editor/ReplacementHistory.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

const T3D_TEXTURE* SceneTexture(CVK7QScene& scene, int index)
{
    const VK7Q_HEADER* header = scene.GetSceneHeader();
    if (!header || !header->textures || index < 0 || index >= header->textureCount)
        return nullptr;
    return &header->textures[index];
}

}  // namespace

bool ReplacementHistory::swap(CVK7QScene& scene, Step& step)
{
    const T3D_TEXTURE* current = SceneTexture(scene, step.index);
    TextureRecord held;
    if (!current || !CopyTexture(*current, held) || !scene.ReplaceT3DTexture(step.index, &step.other.record()))
        return false;
    step.other = std::move(held);
    return true;
}

bool ReplacementHistory::replace(CVK7QScene& scene, int index, const T3D_TEXTURE& replacement)
{
    const T3D_TEXTURE* current = SceneTexture(scene, index);
    Step step{index, TextureRecord()};
    if (!current || !CopyTexture(*current, step.other) || !scene.ReplaceT3DTexture(index, &replacement))
        return false;
    // The steps undone go; when the file holds some of them, its state can
    // no longer be reached, and the textures they replaced differ from it.
    const size_t fileSteps = saved_ == kNeverSaved ? branch_ : saved_;
    if (fileSteps > done_) {
        const std::set<int> gone = indicesBetween(done_, fileSteps);
        dropped_.insert(gone.begin(), gone.end());
        branch_ = done_;
        saved_ = kNeverSaved;
    }
    steps_.resize(done_);
    steps_.push_back(std::move(step));
    ++done_;
    return true;
}

int ReplacementHistory::undo(CVK7QScene& scene)
{
    if (!canUndo() || !swap(scene, steps_[done_ - 1]))
        return -1;
    --done_;
    return steps_[done_].index;
}

int ReplacementHistory::redo(CVK7QScene& scene)
{
    if (!canRedo() || !swap(scene, steps_[done_]))
        return -1;
    ++done_;
    return steps_[done_ - 1].index;
}

void ReplacementHistory::clear()
{
    steps_.clear();
    done_ = 0;
    markSaved();
}

void ReplacementHistory::markSaved()
{
    saved_ = done_;
    branch_ = 0;
    dropped_.clear();
}

std::set<int> ReplacementHistory::indicesBetween(size_t from, size_t to) const
{
    std::set<int> indices;
    for (size_t i = std::min(from, to); i < std::max(from, to); ++i)
        indices.insert(steps_[i].index);
    return indices;
}

std::set<int> ReplacementHistory::unsavedIndices() const
{
    if (saved_ != kNeverSaved)
        return indicesBetween(saved_, done_);
    std::set<int> indices = indicesBetween(branch_, done_);
    indices.insert(dropped_.begin(), dropped_.end());
    return indices;
}
