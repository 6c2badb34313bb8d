#include "texture/tga/TgaColourMap.h"

#include "texture/convert/PixelExpansion.h"

#include <algorithm>

namespace {

Rgb EntryColour(const uint8_t* entry, unsigned entryBits)
{
    if (entryBits >= 24)
        return {entry[2], entry[1], entry[0]};
    const unsigned word = entry[0] | entry[1] << 8;
    return {WidenChannel((word >> 10) & 0x1F, 5), WidenChannel((word >> 5) & 0x1F, 5), WidenChannel(word & 0x1F, 5)};
}

}  // namespace

bool IsReadableColourMapEntrySize(uint8_t entryBits)
{
    return entryBits == 15 || entryBits == 16 || entryBits == 24 || entryBits == 32;
}

size_t ColourMapByteCount(const TgaHeader& header)
{
    return size_t(header.colourMapLength) * ((header.colourMapEntryBits + 7u) / 8u);
}

PixelColours ColourMapColours(const TgaHeader& header, const uint8_t* map)
{
    PixelColours out;
    const unsigned entryBytes = (header.colourMapEntryBits + 7u) / 8u;
    const unsigned end = std::min<unsigned>(header.colourMapFirst + header.colourMapLength, kPaletteEntries);
    for (unsigned value = header.colourMapFirst; value < end; ++value) {
        out.colours[value] = EntryColour(map + (value - header.colourMapFirst) * entryBytes, header.colourMapEntryBits);
        out.inMap[value] = true;
    }
    return out;
}

PixelColours GreyRampColours()
{
    PixelColours out;
    for (int i = 0; i < kPaletteEntries; ++i)
        out.colours[i] = {uint8_t(i), uint8_t(i), uint8_t(i)};
    out.inMap.set();
    return out;
}

bool UsesValuesOutsideMap(const PixelColours& colours, const PaletteUse& used)
{
    return (used & ~colours.inMap).any();
}
