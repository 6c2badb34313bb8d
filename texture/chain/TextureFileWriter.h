// The kinds of files a texture is written as, and the one call that writes
// a texture as any of them: quorrel-cli's extract and extract-all, the
// window's Extract and its export of every texture choose a kind and call it.
#pragma once

#include "texture/T3DTexture.h"
#include "texture/TextureReport.h"
#include "texture/chain/ImageChainWrite.h"
#include "texture/png/PngEncoder.h"

#include <optional>
#include <string>

enum class TextureFileKind {
    tga,         // a TGA file per level
    png,         // a PNG file per level
    dds,         // one DDS of every level, an 8-bit texture as 32-bit colours
    ddsPalette,  // the same, an 8-bit texture as a palette DDS
};

struct TextureFileFormat {
    TextureFileKind kind = TextureFileKind::tga;
    int pngLevel = kDefaultPngLevel;  // deflate's effort for PNG files
};

// The extension a kind's files take: ".tga", ".png", ".dds".
const char* ExtensionOf(TextureFileKind kind);

// The kind a file's name asks for by its extension (any case): tga, png or
// dds; none for another name.
std::optional<TextureFileKind> KindOfFileName(const std::string& path);

// Whether one file holds every level of the kind's chains.
bool HoldsOneFile(TextureFileKind kind);

// Writes `record` at `path` as the format says (texture/chain/TgaTextureWriter.h,
// PngTextureWriter.h, DdsTextureWriter.h). True when it was written; every
// problem is told to `report`.
[[nodiscard]] bool WriteTextureFiles(const std::string& path, const T3D_TEXTURE& record,
                                     const TextureFileFormat& format, TextureReport& report,
                                     const ImageWriteOptions& options = ImageWriteOptions());
