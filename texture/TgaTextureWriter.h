// Writes every mip level of a texture record as its own uncompressed TGA file:
// level 0 under the given path, each further level under the name the
// mip-chain rule derives from the one before, so the reader walks the same
// chain back. Depth 8 is written colour-mapped (256 entries of 24 bits),
// depth 16 as 16-bit true colour (5-6-5 pixels converted to 5-5-5 with the
// attribute bit set, 5-5-5 pixels as they are), depths 24 and 32 as true
// colour (32 bits with 8 alpha bits). Rows go bottom row first.
//
// Each level's bytes (header, colour map, rows converted where need be) are
// laid out in a block of whole rows, one write call per block of up to 1 MiB.
// Every write and the close are checked; a file that could not be written
// whole is removed, and the writing ends. When the rule gives no new name for
// a further level (a version digit of 9, or no dot to bump before), the
// writing ends there too, so no level is ever written under a name the reader
// would not walk to.
#pragma once

#include "texture/T3DTexture.h"
#include "texture/TextureReport.h"

// Returns true when every level was written; a record with no levels writes
// nothing and succeeds. Every problem is told to `report`.
bool TgaTextureWriter(const char* path, const T3D_TEXTURE& record, TextureReport& report);
