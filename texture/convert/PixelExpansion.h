// Expands a record's level into 8-bit ARGB pixels, as the previews show it and
// the command-line program exports it: depth 8 through the palette; depths 16,
// 24 and 32 through the masks, each channel widened to 8 bits by repeating its
// bits (a 5-bit v becomes (v << 3) | (v >> 2)); alpha 255 where the record has
// no alpha mask. And the other way, 8-bit ARGB packed into any masks a pixel
// can hold.
#pragma once

#include "texture/T3DTexture.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// Widens a channel value of `bits` bits (1 to 8) to 8 bits by repeating its
// bits from the top.
uint8_t WidenChannel(uint32_t value, unsigned bits);

// The other way: an 8-bit channel value to `bits` bits, rounded:
// round(c * (2^bits - 1) / 255). Widening the result gives back what the
// preview shows for it.
inline unsigned NarrowChannel(unsigned value, unsigned bits)
{
    const unsigned top = (1u << bits) - 1;
    return (value * top + 127) / 255;
}

// Why pixels cannot be packed into a set of masks at a depth. Packing takes
// any masks that lie within the depth, each one run of 1 to 8 bits, none
// sharing a bit with another, in any order, with or without alpha.
enum class MaskFault {
    none,
    pastDepth,    // a mask has bits beyond the pixel's depth
    notOneRun,    // a mask's bits are not one run
    widerThan8,   // a mask of more than 8 bits
    overlapping,  // two masks share a bit
    noColour,     // red, green or blue has no mask
};

MaskFault CheckMasks(const PixelMasks& masks, unsigned depth);

// Packs 0xAARRGGBB pixels into masks that CheckMasks takes: each channel
// narrowed to its mask's width and shifted into place, every bit outside the
// masks zero (without an alpha mask, alpha is left out).
class PixelPacker {
public:
    explicit PixelPacker(const PixelMasks& masks);

    uint32_t operator()(uint32_t argb) const
    {
        return red_[argb >> 16 & 0xFF] | green_[argb >> 8 & 0xFF] | blue_[argb & 0xFF] | alpha_[argb >> 24];
    }

private:
    std::array<uint32_t, 256> red_{}, green_{}, blue_{}, alpha_{};
};

// An 0xAARRGGBB pixel as 5-5-5 (bit 15 zero) or 5-6-5, each channel narrowed.
uint16_t PackPixel16(uint32_t argb, bool green565);

// A 5-5-5 pixel as 5-6-5, green widened by repeating its top bit (bit 15
// ignored), and back, green's low bit dropped (bit 15 zero).
constexpr uint16_t Pixel555To565(uint16_t p)
{
    const unsigned green = (p >> 5) & 0x1F;
    return uint16_t(((p >> 10) & 0x1F) << 11 | (green << 1 | green >> 4) << 5 | (p & 0x1F));
}

constexpr uint16_t Pixel565To555(uint16_t p)
{
    return uint16_t((p >> 11) << 10 | ((p >> 6) & 0x1F) << 5 | (p & 0x1F));
}

// Expands runs of a record's pixels; tables are built once, at construction.
class PixelExpander {
public:
    explicit PixelExpander(const T3D_TEXTURE& record);
    // `count` pixels of the record's depth from `in` to `out`. The record must
    // outlive the expander.
    void expand(const uint8_t* in, uint32_t* out, size_t count) const;

private:
    const T3D_TEXTURE& record_;
    std::vector<uint32_t> table_;  // depth 8: the palette; depth 16: all 65536 values
};

// (width >> L) x (height >> L) pixels 0xAARRGGBB, rows top to bottom; empty
// when the level does not exist or holds no pixels.
std::vector<uint32_t> ExpandLevelToArgb(const T3D_TEXTURE& record, int level);
