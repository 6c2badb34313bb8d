// Writes one level of a texture record as a PNG to a sink given by the caller
// (the caller owns the file and its atomic replacement).
// Depth 8 goes out as a palette PNG of all 256 entries, so it reads back with
// the same palette and indices; 16, 24 and 32 expanded through their masks as
// the preview shows them: RGBA when the record has an alpha mask (of any
// width: a 4-4-4-4 texture keeps its alpha), RGB when it has none.
//
// Each row's filter is the one whose bytes have the smallest sum of
// magnitudes (none for a palette image), and the rows are compressed in one
// call by libdeflate, the image's filtered rows and its compressed stream
// both held in memory. At the default level, an image that deflate barely
// shrinks (noise: a sample of its filtered rows, compressed first, saves less
// than 0.4 %) goes out unfiltered in stored blocks, a copy, instead of a long
// search for nothing; the file is no more than that larger. A level whose rows
// pass kMaxWholePngEncodeBytes, or whose two copies cannot be had, is
// written row by row through libspng (zlib's deflate, its level capped at 9)
// with no second full-size copy.
#pragma once

#include "texture/T3DTexture.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Takes the next bytes of the file; false when they could not be written.
using PngSink = std::function<bool(const void* bytes, size_t size)>;

// How the level's pixels go into the PNG.
enum class PngLayout {
    ofDepth,  // by the record's depth and masks, as above
    rgba,     // every depth as 8-bit RGBA, expanded as the preview shows it
};

// Deflate's effort, from the fastest to the smallest files. The default
// (kDefaultPngLevel) is, for the kind of PNG written, the lowest that makes
// photographs no larger than zlib's default level with the same filters
// (docs/performance.md): 5 without alpha, 7 with alpha or a palette (at 6 an
// RGBA photograph comes out 0.7% larger, at 5 4% larger).
constexpr int kMinPngLevel = 1;
constexpr int kMaxPngLevel = 12;
constexpr int kDefaultPngLevel = 0;
constexpr int kDefaultOpaquePngLevel = 5;
constexpr int kDefaultAlphaPngLevel = 7;

// The largest filtered image (rows and filter bytes) compressed in one call:
// an 8192 x 8192 RGBA level. Larger ones would hold three times their size.
constexpr uint64_t kMaxWholePngEncodeBytes = uint64_t(256) << 20;

struct PngEncodeOptions {
    PngLayout layout = PngLayout::ofDepth;
    int level = kDefaultPngLevel;  // kMinPngLevel to kMaxPngLevel, or the default
};

// Returns true when the whole PNG went to the sink. On failure `error`, when
// given, holds what went wrong (the caller names the file).
bool EncodePngLevel(const T3D_TEXTURE& record, int level, const PngSink& sink, std::string* error = nullptr,
                    const PngEncodeOptions& options = PngEncodeOptions());
