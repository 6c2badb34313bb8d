// Reads a TGA file and the smaller mip levels beside it (named by the mip-chain
// rule) into one texture record, and generates the small levels that no file
// holds.
//
// Accepted (image type: pixel depth): colour-mapped (1, 9): 8-bit indices into
// a map of 15-, 16-, 24- or 32-bit entries, the map's first-entry index
// honoured; true colour (2, 10): 15 and 16 bits (read as 5-5-5), 24, 32, and
// 8 bits read as grey; grey (3, 11): 8 bits. Uncompressed or run-length
// encoded; rows bottom-up or top-down, left to right or right to left. An ID
// field is skipped, and so is a colour map in a file that does not use it.
// Read with a warning: indices beyond the colour map (shown black) and
// run-length packets running past the image (cut at its end).
//
// Refused, with a message naming the file and the reason: any other image
// type or pixel depth (grey above 8 bits, indices of other than 8 bits, ...),
// a reserved colour map type, an empty colour map, map entries of another
// size ("Error with TGA palette!"); a truncated file; a width or height of 0
// or a level larger than kMaxTgaLevelBytes; pixel data shorter than the size
// calls for (checked before anything is allocated). Refused at level 0 the read
// fails with an error; refused later, or not fitting its level, a chain file
// ends the chain with a warning and generation fills the rest.
//
// 8-bit chains: level 0's colour map becomes the palette and its indices stay
// as stored; each later file's colours are merged into that palette (see
// ColourMapMerge), so files that carry their own maps keep their colours, and
// files sharing one map are read as stored. A palette that runs full takes
// the nearest colours, with a warning.
#pragma once

#include "texture/MipGeneration.h"
#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"

#include <cstdint>
#include <string>

// Far above any texture a scene holds (16384 x 16384 at 32 bits); a larger
// claim comes from a damaged header and would only exhaust memory.
constexpr uint64_t kMaxTgaLevelBytes = uint64_t(1) << 30;

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
// most `fileLevels` of them.
[[nodiscard]] bool ReadTgaChainFiles(const std::string& path, TextureRecord& holder, TextureReport& report,
                                     int fileLevels = kMaxTextureLevels);
