// Expands a record's level into 8-bit ARGB pixels, as the previews show it and
// the command-line program exports it: depth 8 through the palette; depths 16,
// 24 and 32 through the masks, each channel widened to 8 bits by repeating its
// bits (a 5-bit v becomes (v << 3) | (v >> 2)); alpha 255 where the record has
// no alpha mask.
#pragma once

#include "texture/T3DTexture.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Widens a channel value of `bits` bits (1 to 8) to 8 bits by repeating its
// bits from the top.
uint8_t WidenChannel(uint32_t value, unsigned bits);

// (width >> L) x (height >> L) pixels 0xAARRGGBB, rows top to bottom; empty
// when the level does not exist or holds no pixels.
std::vector<uint32_t> ExpandLevelToArgb(const T3D_TEXTURE& record, int level);

// The same expansion a row at a time, for writers that convert as they go.
// The record must outlive the expander.
class ArgbRowExpander {
public:
    explicit ArgbRowExpander(const T3D_TEXTURE& record);
    ~ArgbRowExpander();

    // Expands `count` pixels; false for a depth that no record holds.
    bool expand(const uint8_t* in, uint32_t* out, size_t count) const;

private:
    struct Masks;

    const T3D_TEXTURE& record_;
    std::unique_ptr<Masks> masks_;
    std::vector<uint32_t> table_;  // depth 8: the palette; depth 16: every pixel value
};
