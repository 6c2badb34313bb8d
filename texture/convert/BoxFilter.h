// The box filter for generated mip levels, on pixels of the record's 32-bit
// layout (0xAARRGGBB, little-endian).
//
// Pixel (x, y) of the smaller level comes from the 2 x 2 block at (2x, 2y) of
// the larger one (an odd last row or column is unused). Colour: the sRGB
// values are decoded to linear light, averaged weighted by alpha (plain
// weights when the block's alpha sums to 0, and all weights equal when the
// texture has no alpha), and encoded back to the nearest 8-bit value. Alpha:
// (sum + 2) >> 2. The curve is tabled in 16-bit fixed point: a result may
// differ by 1 from the exact one.
#pragma once

#include <cstdint>

// Makes width x height pixels from the source level, whose rows are
// sourceWidth pixels long. `alphaWeights` false: every pixel weighs the same
// (a texture without alpha). Large levels are shared between two threads.
void BoxFilterLevel(const uint8_t* source, unsigned sourceWidth, uint8_t* dest, unsigned width, unsigned height,
                    bool alphaWeights);
