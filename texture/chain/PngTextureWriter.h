// Writes every mip level of a texture record that holds pixels as its own PNG
// file: level 0 under the given path, each further level under the name the
// mip-chain rule derives from the one before (crate_A.png, crate_A1.png, ...),
// so the texture reader walks the same chain back. Depth 8 goes out as a
// palette PNG (it reads back with the same palette and indices), the other
// depths expanded through their masks, as RGBA when they have alpha and RGB
// when not (texture/png/PngEncoder.h).
//
// The names are planned and checked first, the files written as temporaries
// and renamed only when every level is written (texture/chain/ImageChainWrite.h): a
// chain the rule cannot name, or a write that fails, changes no file.
#pragma once

#include "texture/T3DTexture.h"
#include "texture/TextureReport.h"
#include "texture/chain/ImageChainWrite.h"
#include "texture/png/PngEncoder.h"

// Returns true when every level with pixels was written; a record with no
// levels writes nothing and succeeds. Every problem is told to `report`.
// `pngLevel` is deflate's effort, kMinPngLevel to kMaxPngLevel.
[[nodiscard]] bool PngTextureWriter(const char* path, const T3D_TEXTURE& record, TextureReport& report,
                                    const ImageWriteOptions& options = ImageWriteOptions(),
                                    int pngLevel = kDefaultPngLevel);
