#include "texture/chain/TextureFileWriter.h"

#include "texture/chain/DdsTextureWriter.h"
#include "texture/chain/PngTextureWriter.h"
#include "texture/chain/TgaTextureWriter.h"

#include <cstring>
#include <strings.h>

const char* ExtensionOf(TextureFileKind kind)
{
    switch (kind) {
    case TextureFileKind::tga:
        return ".tga";
    case TextureFileKind::png:
        return ".png";
    default:
        return ".dds";
    }
}

std::optional<TextureFileKind> KindOfFileName(const std::string& path)
{
    for (TextureFileKind kind : {TextureFileKind::tga, TextureFileKind::png, TextureFileKind::dds}) {
        const size_t length = std::strlen(ExtensionOf(kind));
        if (path.size() > length && strcasecmp(path.c_str() + path.size() - length, ExtensionOf(kind)) == 0)
            return kind;
    }
    return std::nullopt;
}

bool HoldsOneFile(TextureFileKind kind)
{
    return kind == TextureFileKind::dds || kind == TextureFileKind::ddsPalette;
}

bool WriteTextureFiles(const std::string& path, const T3D_TEXTURE& record, const TextureFileFormat& format,
                       TextureReport& report, const ImageWriteOptions& options)
{
    switch (format.kind) {
    case TextureFileKind::tga:
        return TgaTextureWriter(path.c_str(), record, report, options);
    case TextureFileKind::png:
        return PngTextureWriter(path.c_str(), record, report, options, format.pngLevel);
    case TextureFileKind::dds:
        return DdsTextureWriter(path.c_str(), record, report, options, DdsPaletteLayout::expanded);
    case TextureFileKind::ddsPalette:
        return DdsTextureWriter(path.c_str(), record, report, options, DdsPaletteLayout::indexed);
    }
    return false;
}
