#include "texture/chain/TextureFileReader.h"

#include "texture/chain/PngTextureReader.h"
#include "texture/chain/TgaTextureReader.h"
#include "texture/convert/PixelExpansion.h"
#include "texture/io/FileRead.h"

#include <cstring>
#include <strings.h>

namespace {

bool HasExtension(const std::string& name, const char* extension)
{
    const size_t n = std::strlen(extension);
    return name.size() >= n && strcasecmp(name.c_str() + name.size() - n, extension) == 0;
}

std::string FileName(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Generate(TextureRecord& holder, MipFilter filter, const std::string& path, TextureReport& report)
{
    if (GenerateMipLevels(holder, filter))
        return true;
    Report(report, Severity::Error, TextureCause::NoMemoryForTexture, path);
    return false;
}

// The indices of a shared-palette chain for the levels generated after its
// files, point-sampled like their pixels. False when none can be had (box
// filtered levels have colours of their own).
bool IndicesForGeneratedLevels(const T3D_TEXTURE& record, int fileLevels, MipFilter filter, PngChainPalette& palette)
{
    if (!palette.shared || (filter != MipFilter::point && fileLevels < record.levelCount))
        return false;
    for (int level = fileLevels; level < record.levelCount; ++level) {
        const unsigned width = LevelWidth(record, level), height = LevelHeight(record, level);
        if (!palette.levels[level].allocate(size_t(width) * height))
            return false;
        ShrinkLevel(palette.levels[level - 1].data(), LevelWidth(record, level - 1), palette.levels[level].data(),
                    width, height, 1);
    }
    return true;
}

bool ReadPngChain(const std::string& path, TextureRecord& holder, TextureReport& report,
                  const TextureReadOptions& options)
{
    const bool keepIndices = options.convertTo && options.convertTo->depth == 8;
    PngChainPalette palette;
    if (!ReadPngChainFiles(path, holder, report, keepIndices ? &palette : nullptr, options.fileLevels))
        return false;
    const int fileLevels = holder.record().levelCount;
    if (!Generate(holder, options.filter, path, report))
        return false;
    if (!options.convertTo)
        return true;
    KeptPalette kept;
    if (keepIndices && IndicesForGeneratedLevels(holder.record(), fileLevels, options.filter, palette)) {
        kept.palette = &palette.palette;
        for (int level = 0; level < holder.record().levelCount; ++level)
            kept.levels[level] = palette.levels[level].data();
    }
    return ConvertRgbaChain(holder, *options.convertTo, path, report, &kept);
}

// Whether a record already has the depth and pixel layout asked for.
bool HasFormat(const T3D_TEXTURE& record, const DepthOptions& format)
{
    return record.depth == format.depth && (format.depth == 8 || MasksOf(record) == MasksFor(format));
}

bool ReadTgaChain(const std::string& path, TextureRecord& holder, TextureReport& report,
                  const TextureReadOptions& options)
{
    if (!ReadTgaChainFiles(path, holder, report, options.fileLevels))
        return false;
    if (!options.convertTo || HasFormat(holder.record(), *options.convertTo))
        return Generate(holder, options.filter, path, report);
    if (!ExpandToRgbaChain(holder)) {
        Report(report, Severity::Error, TextureCause::NoMemoryForTexture, path);
        return false;
    }
    return Generate(holder, options.filter, path, report) && ConvertRgbaChain(holder, *options.convertTo, path, report);
}

}  // namespace

bool IsPngFile(const std::string& path)
{
    InputFile file;
    if (file.open(path) != FileReadStatus::Ok)
        return HasExtension(FileName(path), ".png");
    uint8_t signature[kPngSignatureSize];
    return file.size() >= kPngSignatureSize && file.readAt(0, signature, sizeof signature) == FileReadStatus::Ok &&
           IsPngSignature(signature, sizeof signature);
}

bool IsTextureFileName(const std::string& path)
{
    const std::string name = FileName(path);
    return HasExtension(name, ".tga") || HasExtension(name, ".png");
}

DepthOptions FormatOf(const T3D_TEXTURE& model, bool dither)
{
    DepthOptions format;
    format.depth = model.depth;
    format.green565 = model.depth == 16 && model.greenMask == kMask565Green;
    format.dither = dither;
    // A texture with no masks at all has its depth's usual layout.
    if (model.depth != 8 && MasksOf(model) != PixelMasks())
        format.masks = MasksOf(model);
    return format;
}

bool ReadTextureChain(const std::string& path, TextureRecord& holder, TextureReport& report,
                      const TextureReadOptions& options)
{
    return IsPngFile(path) ? ReadPngChain(path, holder, report, options) : ReadTgaChain(path, holder, report, options);
}
