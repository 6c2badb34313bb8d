#include "texture/convert/PaletteMatch.h"

#include <limits>

Rgb PaletteColour(const T3D_TEXTURE& record, int index)
{
    const uint8_t* entry = record.palette[index];
    return {entry[2], entry[1], entry[0]};
}

void SetPaletteColour(T3D_TEXTURE& record, int index, Rgb colour)
{
    uint8_t* entry = record.palette[index];
    entry[0] = colour.blue;
    entry[1] = colour.green;
    entry[2] = colour.red;
}

PaletteUse UsedEntries(const uint8_t* indices, size_t count)
{
    bool seen[kPaletteEntries] = {};
    for (size_t i = 0; i < count; ++i)
        seen[indices[i]] = true;
    PaletteUse used;
    for (int i = 0; i < kPaletteEntries; ++i)
        used[i] = seen[i];
    return used;
}

uint8_t NearestPaletteEntry(const T3D_TEXTURE& record, Rgb colour, const PaletteUse& candidates)
{
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < kPaletteEntries; ++i) {
        if (!candidates[i])
            continue;
        const Rgb entry = PaletteColour(record, i);
        const int r = entry.red - colour.red, g = entry.green - colour.green, b = entry.blue - colour.blue;
        const int distance = r * r + g * g + b * b;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return uint8_t(best);
}

ColourMapMerge::ColourMapMerge(T3D_TEXTURE& record, unsigned mapLength) : record_(record)
{
    for (unsigned i = 0; i < mapLength && i < unsigned(kPaletteEntries); ++i)
        inMap_[i] = true;
    if (record.levels[0])
        taken_ = UsedEntries(record.levels[0], size_t(record.width) * record.height);
}

int ColourMapMerge::findColour(Rgb colour) const
{
    for (int i = 0; i < kPaletteEntries; ++i) {
        if (inMap_[i] && PaletteColour(record_, i) == colour)
            return i;
    }
    return -1;
}

int ColourMapMerge::takeFreeEntry()
{
    for (int i = 0; i < kPaletteEntries; ++i) {
        if (!taken_[i])
            return i;
    }
    return -1;
}

ColourMapMerge::LevelMapping ColourMapMerge::mapLevel(const PaletteColours& colours, const PaletteUse& used)
{
    LevelMapping mapping{};
    bool sameIndices = true;
    for (int i = 0; i < kPaletteEntries && sameIndices; ++i)
        sameIndices = !used[i] || (inMap_[i] && PaletteColour(record_, i) == colours[i]);
    if (sameIndices) {
        for (int i = 0; i < kPaletteEntries; ++i)
            mapping.index[i] = uint8_t(used[i] ? i : 0);
        taken_ |= used;
        return mapping;
    }

    // Colours already in the map first, so that a new colour cannot take an
    // unused entry that holds a colour this level needs.
    PaletteUse found;
    for (int i = 0; i < kPaletteEntries; ++i) {
        const int entry = used[i] ? findColour(colours[i]) : -1;
        if (entry >= 0) {
            found[i] = true;
            taken_[entry] = true;
            mapping.index[i] = uint8_t(entry);
        }
    }
    for (int i = 0; i < kPaletteEntries; ++i) {
        if (!used[i] || found[i])
            continue;
        int entry = findColour(colours[i]);  // an earlier new colour of this level
        if (entry < 0 && (entry = takeFreeEntry()) >= 0) {
            SetPaletteColour(record_, entry, colours[i]);
            inMap_[entry] = true;
        }
        if (entry < 0) {
            mapping.mapRanFull = true;
            entry = NearestPaletteEntry(record_, colours[i], inMap_);
        }
        taken_[entry] = true;
        mapping.index[i] = uint8_t(entry);
    }
    return mapping;
}

bool ColourMapMerge::mergeLevel(const PaletteColours& colours, uint8_t* indices, size_t count)
{
    const LevelMapping mapping = mapLevel(colours, UsedEntries(indices, count));
    RemapIndices(indices, count, mapping.index);
    return !mapping.mapRanFull;
}

void RemapIndices(uint8_t* indices, size_t count, const IndexMap& map)
{
    for (size_t i = 0; i < count; ++i)
        indices[i] = map[indices[i]];
}
