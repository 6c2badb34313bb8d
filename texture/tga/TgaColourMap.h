// What the pixel values of an 8-bit TGA file stand for.
//
// A colour-mapped file's value i means map entry i - first (the header's
// first-entry index); values below the first entry or past the map's end name
// no entry and stand for black. Entries of 24 and 32 bits are stored blue,
// green, red (the fourth byte, alpha, is dropped); entries of 15 and 16 bits
// are 5-5-5 words, each channel widened to 8 bits as the previews widen them
// (the top bit, alpha, is dropped). Any other entry size cannot be read.
// Grey files' value i is the grey (i, i, i).
#pragma once

#include "texture/convert/PaletteMatch.h"
#include "texture/tga/TgaFormat.h"

#include <cstddef>

struct PixelColours {
    PaletteColours colours{};  // black where the value names no entry
    PaletteUse inMap;          // the values that name an entry
};

bool IsReadableColourMapEntrySize(uint8_t entryBits);

// Bytes the header's colour map takes in the file.
size_t ColourMapByteCount(const TgaHeader& header);

// The colours of a colour-mapped file, from its map's bytes (of
// ColourMapByteCount, with a readable entry size).
PixelColours ColourMapColours(const TgaHeader& header, const uint8_t* map);

PixelColours GreyRampColours();

// Whether some of `used` name no entry.
bool UsesValuesOutsideMap(const PixelColours& colours, const PaletteUse& used);
