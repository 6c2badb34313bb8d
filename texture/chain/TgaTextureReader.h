// Reads a TGA file and the smaller mip levels beside it (named by the mip-chain
// rule) into one texture record, and generates the small levels that no file
// holds.
//
// Each file is opened and read here, and checked once for a change during
// its read; the TGA decoder (texture/tga/TgaDecoder.h, which says what is
// accepted and what is refused) makes its level of the bytes. Raw pixels are
// read straight into their rows of the level, as the decoder places them.
// Refused at level 0 the read fails with an error; refused later, or not
// fitting its level, a chain file ends the chain with a warning and
// generation fills the rest.
//
// 8-bit chains: level 0's colour map becomes the palette and its indices stay
// as stored; each later file's colours are merged into that palette (see
// ColourMapMerge), so files that carry their own maps keep their colours, and
// files sharing one map are read as stored. A palette that runs full takes
// the nearest colours, with a warning.
#pragma once

#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"
#include "texture/chain/ChainFileReader.h"
#include "texture/convert/MipGeneration.h"

#include <cstdint>
#include <memory>
#include <string>

// Clears the holder (freeing its buffers), then fills it from the chain that
// starts at `path`. Returns true when level 0 was read and every missing
// level could be made (when memory runs out for them it says so and returns
// false, keeping the levels made so far); when level 0 is not read the record
// is cleared except for its name field, which holds the path (cut to 255
// characters). Every problem is told to `report`. The levels no file holds
// are made with `filter`.
[[nodiscard]] bool TgaTextureReader(const char* path, TextureRecord& record, TextureReport& report,
                                    MipFilter filter = MipFilter::point);

// The same without generating: only the levels the chain's files hold, at
// most `fileLevels` of them. Level 0 is read as TGA whatever its first bytes;
// a later level of another format is read as that format and converted
// (texture/chain/ChainFileReader.h).
[[nodiscard]] bool ReadTgaChainFiles(const std::string& path, TextureRecord& holder, TextureReport& report,
                                     int fileLevels = kMaxTextureLevels);

// The reader of a chain's TGA files (texture/chain/ChainFormats.h); a TGA
// chain keeps its palette in the record, so `palette` is not used. nullptr
// when the memory cannot be had.
std::unique_ptr<ChainFileReader> MakeTgaFileReader(TextureRecord& holder, TextureReport& report,
                                                   PngChainPalette* palette);
