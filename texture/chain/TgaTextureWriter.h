// Writes every mip level of a texture record that holds pixels as its own
// uncompressed TGA file: level 0 under the given path, each further level
// under the name the mip-chain rule derives from the one before, so the reader
// walks the same chain back. The writing stops before the first level of zero
// width or height, and says so.
//
// Pixels go out in a TGA layout that holds their colours, read through the
// record's masks: depth 8 colour-mapped (256 entries of 24 bits); depth 16
// with 5-5-5 masks and no alpha as 16-bit true colour as it is, with 5-6-5
// masks converted to 5-5-5 with the attribute bit set; depth 24 with 8-8-8
// masks and depth 32 with 8-8-8-8 masks as they are, and so is a record with
// no masks at all. Any other masks (alpha of any width in 16 or 24 bits, a
// 32-bit texture without alpha, channels in another order) are expanded to
// 32-bit true colour with 8 alpha bits (alpha 255 where the record has no
// alpha mask). Rows go bottom row first.
//
// The names are planned and checked first, the files written as temporaries
// and renamed only when every level is written (texture/chain/ImageChainWrite.h): a
// chain the rule cannot name, or a write that fails, changes no file.
#pragma once

#include "texture/T3DTexture.h"
#include "texture/TextureReport.h"
#include "texture/chain/ImageChainWrite.h"

// Returns true when every level with pixels was written; a record with no
// levels writes nothing and succeeds. Every problem is told to `report`.
[[nodiscard]] bool TgaTextureWriter(const char* path, const T3D_TEXTURE& record, TextureReport& report,
                                    const ImageWriteOptions& options = ImageWriteOptions());
