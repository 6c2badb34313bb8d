// Writes one level of a texture record as a PNG, row by row, to a sink given
// by the caller (the caller owns the file and its atomic replacement).
// Depth 8 goes out as a palette PNG of all 256 entries, so it reads back with
// the same palette and indices; 16, 24 and 32 expanded through their masks as
// the preview shows them: RGBA when the record has an alpha mask (of any
// width: a 4-4-4-4 texture keeps its alpha), RGB when it has none. Only one
// row is converted at a time: no second full-size copy of the level.
#pragma once

#include "texture/T3DTexture.h"

#include <cstddef>
#include <functional>
#include <string>

// Takes the next bytes of the file; false when they could not be written.
using PngSink = std::function<bool(const void* bytes, size_t size)>;

// How the level's pixels go into the PNG.
enum class PngLayout {
    ofDepth,  // by the record's depth and masks, as above
    rgba,     // every depth as 8-bit RGBA, expanded as the preview shows it
};

// Returns true when the whole PNG went to the sink. On failure `error`, when
// given, holds what went wrong (the caller names the file).
bool EncodePngLevel(const T3D_TEXTURE& record, int level, const PngSink& sink, std::string* error = nullptr,
                    PngLayout layout = PngLayout::ofDepth);
