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
    if (step.info)
        return swapInfo(scene, step);
    const T3D_TEXTURE* current = SceneTexture(scene, step.index);
    TextureRecord held;
    if (!current || !CopyTexture(*current, held) || !scene.ReplaceT3DTexture(step.index, &step.other.record()))
        return false;
    step.other = std::move(held);
    return true;
}

bool ReplacementHistory::swapInfo(CVK7QScene& scene, Step& step)
{
    const T3D_TEXTURE* current = SceneTexture(scene, step.index);
    if (!current)
        return false;
    TextureInfo held{current->flags, current->name};
    if (!scene.SetT3DTextureInfo(step.index, step.info->flags, step.info->name.c_str()))
        return false;
    step.info = std::move(held);
    return true;
}

bool ReplacementHistory::setInfo(CVK7QScene& scene, int index, uint32_t flags, const std::string& name)
{
    Step step{index, TextureRecord(), false, TextureInfo{flags, name}};
    if (!swapInfo(scene, step))
        return false;
    std::vector<Step> made;
    made.push_back(std::move(step));
    push(std::move(made));
    return true;
}

bool ReplacementHistory::replace(CVK7QScene& scene, int index, const T3D_TEXTURE& replacement)
{
    return replaceAll(scene, {{index, &replacement}});
}

bool ReplacementHistory::replaceAll(CVK7QScene& scene, const std::vector<Replacing>& replacements)
{
    std::vector<Step> made;
    for (const Replacing& replacing : replacements) {
        const T3D_TEXTURE* current = SceneTexture(scene, replacing.index);
        Step step{replacing.index, TextureRecord(), !made.empty(), std::nullopt};
        if (!current || !CopyTexture(*current, step.other) ||
            !scene.ReplaceT3DTexture(replacing.index, replacing.texture)) {
            for (auto put = made.rbegin(); put != made.rend(); ++put)
                scene.ReplaceT3DTexture(put->index, &put->other.record());
            return false;
        }
        made.push_back(std::move(step));
    }
    if (made.empty())
        return false;
    push(std::move(made));
    return true;
}

void ReplacementHistory::push(std::vector<Step> made)
{
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
    for (Step& step : made)
        steps_.push_back(std::move(step));
    done_ = steps_.size();
}

bool ReplacementHistory::swapRange(CVK7QScene& scene, size_t from, size_t to, bool undoing)
{
    for (size_t n = 0; n < to - from; ++n) {
        if (swap(scene, steps_[undoing ? to - 1 - n : from + n]))
            continue;
        // What memory allows is put back as it was, in the other order.
        while (n-- > 0)
            swap(scene, steps_[undoing ? to - 1 - n : from + n]);
        return false;
    }
    return true;
}

int ReplacementHistory::undo(CVK7QScene& scene)
{
    if (!canUndo())
        return -1;
    size_t first = done_ - 1;
    while (first > 0 && steps_[first].withPrevious)
        --first;
    if (!swapRange(scene, first, done_, true))
        return -1;
    done_ = first;
    return steps_[first].index;
}

int ReplacementHistory::redo(CVK7QScene& scene)
{
    if (!canRedo())
        return -1;
    size_t end = done_ + 1;
    while (end < steps_.size() && steps_[end].withPrevious)
        ++end;
    if (!swapRange(scene, done_, end, false))
        return -1;
    const int index = steps_[done_].index;
    done_ = end;
    return index;
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
