// Reads a TGA file and the smaller mip levels beside it (named by the mip-chain
// rule) into one texture record, and generates the small levels that no file
// holds.
//
// Accepted: colour-mapped (24- or 32-bit map entries) and grey 8-bit files,
// 15/16-bit (read as 5-5-5), 24- and 32-bit true colour; uncompressed or
// run-length encoded; rows stored bottom-up or top-down. An ID field is
// skipped, and so is a colour map in a file that does not use it. Any pixel
// depth other than 8, 15, 16 and 24 is read as 32 bits.
//
// Refused, with a message: a truncated file; a width or height of 0 or a level
// larger than kMaxTgaLevelBytes; pixel data shorter than the size calls for
// (checked before anything is allocated). A chain file whose size or depth
// does not fit its level ends the chain there, with a message; generation
// fills the rest. The palette is level 0's: later files' colour maps are
// passed over.
#pragma once

#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"

#include <cstdint>

// Far above any texture a scene holds (16384 x 16384 at 32 bits); a larger
// claim comes from a damaged header and would only exhaust memory.
constexpr uint64_t kMaxTgaLevelBytes = uint64_t(1) << 30;

// Clears the holder (freeing its buffers), then fills it from the chain that
// starts at `path`. Returns true when level 0 was read; otherwise the record
// is cleared except for its name field, which holds the path (cut to 255
// characters). Every problem is told to `report`.
bool TgaTextureReader(const char* path, TextureRecord& record, TextureReport& report);
