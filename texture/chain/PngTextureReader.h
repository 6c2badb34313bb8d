// Reads a PNG file and the smaller mip levels beside it, named by the
// mip-chain rule (crate_A.png, crate_A1.png, ...), into a 32-bit texture
// record (8-8-8-8 masks), by the chain rules every format shares
// (texture/chain/ChainFileReader.h). Each file is read whole into memory and
// decoded there (texture/png/PngDecoder.h, with its limits); a damaged file is
// refused with a message naming it. A later level of another format is read
// by that format's reader and expanded to RGBA (texture/chain/ChainFileReader.h).
#pragma once

#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"
#include "texture/chain/ChainFileReader.h"
#include "texture/io/ByteBlock.h"
#include "texture/png/PngDecoder.h"

#include <memory>
#include <string>

// A palette PNG chain's palette and its files' indices, so that an 8-bit
// texture can keep them.
struct PngChainPalette {
    Palette palette;
    // Every file read is a palette PNG, all with the same palette.
    bool shared = true;
    // One byte a pixel for each level a file holds.
    ByteBlock levels[kMaxTextureLevels];
};

// The reader of a chain's PNG files (texture/chain/ChainFormats.h): with
// `palette`, a palette chain's indices are kept there as well. nullptr when
// the memory cannot be had.
std::unique_ptr<ChainFileReader> MakePngFileReader(TextureRecord& holder, TextureReport& report,
                                                   PngChainPalette* palette);
