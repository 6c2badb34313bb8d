// Writes one level of a texture record as a PNG, row by row, to a sink given
// by the caller (the caller owns the file and its atomic replacement).
// Depth 8 goes out as a palette PNG of all 256 entries, so it reads back with
// the same palette and indices; 16 expanded as the preview shows it (RGB);
// 24 as RGB; 32 as RGBA. Only one row is converted at a time: no second
// full-size copy of the level.
#pragma once

#include "texture/T3DTexture.h"

#include <cstddef>
#include <functional>
#include <string>

// Takes the next bytes of the file; false when they could not be written.
using PngSink = std::function<bool(const void* bytes, size_t size)>;

// How the level's pixels go into the PNG.
enum class PngLayout {
    ofDepth,  // by the record's depth, as above
    rgba,     // every depth as 8-bit RGBA, expanded as the preview shows it
};

// Returns true when the whole PNG went to the sink. On failure `error`, when
// given, holds what went wrong (the caller names the file).
bool EncodePngLevel(const T3D_TEXTURE& record, int level, const PngSink& sink, std::string* error = nullptr,
                    PngLayout layout = PngLayout::ofDepth);
