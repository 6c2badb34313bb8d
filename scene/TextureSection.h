// A texture as scene files store it: the 1344-byte record layout, every field
// little-endian and the eight level slots zero, followed by the pixels of its
// levels, level 0 first, each (width >> L) x (height >> L) pixels, no gaps.
// Both formats keep textures this way.
#pragma once

#include "texture/T3DTexture.h"

#include <cstdint>

// Whether a record describes a texture a scene can hold: depth 8, 16, 24 or
// 32, one to eight levels, width and height at least 1. Buffers are not
// looked at.
bool IsSceneTexture(const T3D_TEXTURE& record);

// Bytes of all counted levels together.
uint64_t TexturePixelBytes(const T3D_TEXTURE& record);

// Writes the stored form of the record's fields (kStoredTextureRecordSize bytes).
void EncodeStoredRecord(const T3D_TEXTURE& record, uint8_t* out);

// Reads a texture section's `size` bytes of contents, of which `content` holds
// the first `held`, into `record`, whose level slots then point into `content`
// when it holds every pixel, and are null otherwise. Fails when the record is
// not a scene texture, a level slot is not zero, the name has no terminator,
// or the pixels do not fill the rest of the contents exactly.
bool DecodeTextureSection(uint8_t* content, uint64_t held, uint64_t size, T3D_TEXTURE& record);
