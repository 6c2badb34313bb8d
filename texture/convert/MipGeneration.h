// Generation of the small mip levels that a chain of files does not hold.
// Point sampling (the default): pixel (x, y) of level K is pixel (2x, 2y) of
// level K - 1, rows of level K - 1 being its own width, width >> (K - 1), long.
// Whole pixels of the record's depth are copied.
// Box filtering (texture/convert/BoxFilter.h) works on 8-bit channels: 32-bit pixels
// as they are (weighted by alpha when the record has an alpha mask); 24-bit
// ones widened; 16-bit ones expanded as the preview shows them and packed back
// to their masks rounded; 8-bit ones through the palette, each result then
// taking the nearest palette entry.
#pragma once

#include "texture/TextureRecord.h"

#include <cstdint>

// The number of levels a texture of this size gets: halve the smaller side
// while it is above 2, counting the halvings; at most kMaxTextureLevels.
int GeneratedLevelCount(unsigned width, unsigned height);

// Point-samples one level into the next smaller one of width x height pixels.
void ShrinkLevel(const uint8_t* source, unsigned sourceWidth, uint8_t* dest, unsigned width, unsigned height,
                 unsigned bytesPerPixel);

enum class MipFilter { point, box };

// Makes levels levelCount .. GeneratedLevelCount - 1 from the ones before,
// raising the level count and setting the mipmap flag. Returns false when
// memory runs out; the record then keeps the levels made so far.
bool GenerateMipLevels(TextureRecord& holder, MipFilter filter = MipFilter::point);
