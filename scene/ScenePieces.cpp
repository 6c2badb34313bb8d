#include "scene/ScenePieces.h"

#include "scene/SceneFormat.h"

#include <utility>

void ScenePieces::addView(const uint8_t* data, uint64_t size)
{
    if (size == 0)
        return;
    spans_.push_back({data, size});
    totalSize_ += size;
}

void ScenePieces::addOwned(std::vector<uint8_t> bytes)
{
    owned_.push_back(std::move(bytes));
    addView(owned_.back().data(), owned_.back().size());
}

void ScenePieces::addPadding(uint64_t contentSize)
{
    static const uint8_t kZeros[kSectionAlignment] = {};
    addView(kZeros, SectionPadding(contentSize));
}
