// One comparison of texture records for every test program.
#pragma once

#include "texture/T3DTexture.h"

// What ExpectSameTexture compares: `everything` is every field and every
// pixel of the counted levels, levels past the count empty, names as strings;
// `pixels` is what a file chain carries: size, depth, level count, palette and
// the counted levels' pixels.
enum class TextureParts { everything, pixels };

// Adds a failure naming each difference; stops at a size, depth or level
// count that differs, before comparing pixels.
void ExpectSameTexture(const T3D_TEXTURE& expected, const T3D_TEXTURE& actual,
                       TextureParts parts = TextureParts::everything);
