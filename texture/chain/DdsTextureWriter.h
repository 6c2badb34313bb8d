// Writes a texture record as one DDS file holding every mip level with pixels
// (texture/dds/DdsEncoder.h: uncompressed, in the record's own layout; an
// 8-bit texture as 32-bit colours or, when asked, as a palette DDS). The file
// is written as a temporary and renamed when whole, or written through a
// stream (standard output), the whole chain in one file either way
// (texture/chain/ImageChainWrite.h).
#pragma once

#include "texture/T3DTexture.h"
#include "texture/TextureReport.h"
#include "texture/chain/ImageChainWrite.h"
#include "texture/dds/DdsEncoder.h"

// Returns true when the file was written; a record with no levels writes
// nothing and succeeds. Every problem is told to `report`.
[[nodiscard]] bool DdsTextureWriter(const char* path, const T3D_TEXTURE& record, TextureReport& report,
                                    const ImageWriteOptions& options = ImageWriteOptions(),
                                    DdsPaletteLayout palette = DdsPaletteLayout::expanded);
