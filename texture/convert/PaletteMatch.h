// Colour-map matching for 8-bit textures.
//
// NearestPaletteEntry finds the entry closest to a colour (Euclidean distance
// on the RGB bytes, the lowest index on ties).
//
// ColourMapMerge brings the levels of an 8-bit chain whose files each carry
// their own colour map onto level 0's map. Level 0 keeps its map and indices.
// For each later level, every colour its pixels use is looked up in the map
// (first matching index); a colour not there takes the lowest entry that no
// pixel uses yet (entries past the map's length count as free) and is written
// into the palette. When the map runs full, the rest go to the nearest entry
// and the level says so. A level whose colours sit at the same indices as in
// level 0's map keeps its indices unchanged, so chains whose files share one
// map come out byte for byte as their files hold them.
#pragma once

#include "texture/T3DTexture.h"

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>

struct Rgb {
    uint8_t red, green, blue;
    bool operator==(const Rgb& other) const { return red == other.red && green == other.green && blue == other.blue; }
};

using PaletteColours = std::array<Rgb, kPaletteEntries>;
using PaletteUse = std::bitset<kPaletteEntries>;
using IndexMap = std::array<uint8_t, kPaletteEntries>;

// An image's own palette of `count` colours, whatever its format.
struct Palette {
    PaletteColours colours{};  // entries past `count` are black
    unsigned count = 0;

    // Chain files share one palette when their palettes compare equal.
    bool operator==(const Palette& other) const { return count == other.count && colours == other.colours; }
};

// The record's palette entry (stored blue, green, red) as a colour.
Rgb PaletteColour(const T3D_TEXTURE& record, int index);
void SetPaletteColour(T3D_TEXTURE& record, int index, Rgb colour);

// The entries that `count` indices use.
PaletteUse UsedEntries(const uint8_t* indices, size_t count);

// The entry among `candidates` nearest to `colour`; 0 when there is none.
uint8_t NearestPaletteEntry(const T3D_TEXTURE& record, Rgb colour, const PaletteUse& candidates = PaletteUse().set());

class ColourMapMerge {
public:
    // `record` holds level 0's palette and level 0's pixels (levels[0]);
    // `mapLength` is how many entries level 0's colour map has (256 for grey).
    // The merge writes new colours into the record's palette.
    ColourMapMerge(T3D_TEXTURE& record, unsigned mapLength);

    struct LevelMapping {
        IndexMap index;   // a level entry -> its entry in level 0's map
        bool mapRanFull;  // some colours went to the nearest entry
    };

    // `colours`: the level's own map (grey levels: (i, i, i)); `used`: the
    // entries its pixels use. Entries not used map to 0.
    LevelMapping mapLevel(const PaletteColours& colours, const PaletteUse& used);

    // mapLevel for a level's `count` indices, rewritten in place. Returns
    // false when the map ran full (the caller warns, naming the file).
    bool mergeLevel(const PaletteColours& colours, uint8_t* indices, size_t count);

private:
    int findColour(Rgb colour) const;
    int takeFreeEntry();

    T3D_TEXTURE& record_;
    PaletteUse inMap_;  // entries that hold a colour of the map
    PaletteUse taken_;  // entries some level's pixels use
};

// Rewrites `count` indices through `map`.
void RemapIndices(uint8_t* indices, size_t count, const IndexMap& map);
