// BC7 blocks: 16 bytes each coding a 4 x 4 tile of RGBA in one of eight modes,
// which differ in how many subsets (endpoint pairs) a tile has, how its pixels
// are shared among them (a partition), and how many bits the endpoints and the
// indices that blend between them keep.
#pragma once

#include <cstdint>

// One 4 x 4 block of BC7 data, 16 bytes, decoded to 8-bit RGBA: rgba[(y * 4 + x) * 4 + c], c = 0 red ... 3 alpha.
// A block of no mode (its first byte 0) decodes to transparent black, as the format defines.
void DecodeBc7Block(const uint8_t block[16], uint8_t rgba[64]);
