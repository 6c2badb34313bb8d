// Writes a texture record as one DDS file: every level given, level 0 first,
// uncompressed, with the legacy header only (which more programs read than
// the extended one), into a sink given by the caller (who owns the file and
// its atomic replacement).
//
// The pixels keep the record's own layout, bit for bit: 16-bit textures with
// their masks (5-6-5, 1-5-5-5, 4-4-4-4, in any order), 24-bit as 8-8-8 and
// 32-bit as 8-8-8-8, with alpha where the record has an alpha mask; a record
// without masks in its depth's usual layout. An 8-bit texture goes out as
// 32-bit colours with opaque alpha (few programs read a palette DDS), or,
// when asked, as a palette DDS that keeps its indices and its palette (the
// palette's entries red, green, blue and alpha, opaque).
#pragma once

#include "texture/T3DTexture.h"
#include "texture/io/FileWrite.h"

// How an 8-bit texture is written.
enum class DdsPaletteLayout {
    expanded,  // its colours as 32-bit pixels
    indexed,   // its indices and palette
};

// The bytes of levels 0 to levels - 1 as one DDS. True when the whole file
// went to the sink; false when the sink refused it or the record's depth is
// none a DDS of ours holds. Every level up to `levels` must hold pixels.
bool EncodeDds(const T3D_TEXTURE& record, int levels, ByteSink& sink,
               DdsPaletteLayout palette = DdsPaletteLayout::expanded);
