#include "texture/chain/TextureFileReader.h"

#include "texture/chain/ChainFormats.h"
#include "texture/chain/PngTextureReader.h"
#include "texture/convert/PixelExpansion.h"

namespace {

bool Cancelled(const TextureReadOptions& options)
{
    return options.cancel && options.cancel->load();
}

// The levels no file holds made, unless the read is cancelled before or after.
bool Generate(TextureRecord& holder, const TextureReadOptions& options, const std::string& path, TextureReport& report)
{
    if (Cancelled(options))
        return false;
    if (!GenerateMipLevels(holder, options.filter)) {
        Report(report, Severity::Error, TextureCause::NoMemoryForTexture, path);
        return false;
    }
    return !Cancelled(options);
}

// The depth to convert to, stopped with the read.
DepthOptions ConversionOf(const TextureReadOptions& options)
{
    DepthOptions format = *options.convertTo;
    if (!format.cancel)
        format.cancel = options.cancel;
    return format;
}

// The indices of a shared-palette chain for the levels generated after its
// files, point-sampled like their pixels, into `generated`. False when none
// can be had (box filtered levels have colours of their own).
bool IndicesForGeneratedLevels(const T3D_TEXTURE& record, int fileLevels, MipFilter filter,
                               const PngChainPalette& palette, ByteBlock (&generated)[kMaxTextureLevels])
{
    if (!palette.shared || (filter != MipFilter::point && fileLevels < record.levelCount))
        return false;
    for (int level = fileLevels; level < record.levelCount; ++level) {
        const unsigned width = LevelWidth(record, level), height = LevelHeight(record, level);
        if (!generated[level].allocate(size_t(width) * height))
            return false;
        const ByteBlock& above = level - 1 < fileLevels ? palette.levels[level - 1] : generated[level - 1];
        ShrinkLevel(above.data(), LevelWidth(record, level - 1), generated[level].data(), width, height, 1);
    }
    return true;
}

// A PNG chain's files made into its texture. `palette`: the chain's palette
// and indices, when kept.
bool CompletePngChain(TextureRecord& holder, const PngChainPalette* palette, TextureReport& report,
                      const TextureReadOptions& options, const std::string& path)
{
    const int fileLevels = holder.record().levelCount;
    if (!Generate(holder, options, path, report))
        return false;
    if (!options.convertTo)
        return true;
    KeptPalette kept;
    ByteBlock generated[kMaxTextureLevels];
    if (palette && options.convertTo->depth == 8 &&
        IndicesForGeneratedLevels(holder.record(), fileLevels, options.filter, *palette, generated)) {
        kept.palette = &palette->palette;
        for (int level = 0; level < holder.record().levelCount; ++level)
            kept.levels[level] = level < fileLevels ? palette->levels[level].data() : generated[level].data();
    }
    return ConvertRgbaChain(holder, ConversionOf(options), path, report, &kept);
}

// Whether a record already has the depth and pixel layout asked for.
bool HasFormat(const T3D_TEXTURE& record, const DepthOptions& format)
{
    return record.depth == format.depth && (format.depth == 8 || MasksOf(record) == MasksFor(format));
}

// A TGA chain's files made into its texture.
bool CompleteTgaChain(TextureRecord& holder, TextureReport& report, const TextureReadOptions& options,
                      const std::string& path)
{
    if (!options.convertTo || HasFormat(holder.record(), *options.convertTo))
        return Generate(holder, options, path, report);
    if (!ExpandToRgbaChain(holder)) {
        Report(report, Severity::Error, TextureCause::NoMemoryForTexture, path);
        return false;
    }
    return Generate(holder, options, path, report) && ConvertRgbaChain(holder, ConversionOf(options), path, report);
}

}  // namespace

bool TakesTextureFormat(const std::string& path)
{
    return FormatOfPath(path).takesTextureFormat;
}

const char* ChainKindOf(const std::string& path)
{
    return FormatOfPath(path).kind;
}

bool IsOneFileChain(const std::string& first)
{
    const ChainFormat* named = FormatOfName(first);
    return named && named->oneFile;
}

bool IsTextureFileName(const std::string& path)
{
    return FormatOfName(path) != nullptr;
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
                      const TextureReadOptions& options, std::vector<FileStamp>* stamps)
{
    // Indices are kept only where they can serve.
    const bool keepIndices = options.convertTo && options.convertTo->depth == 8;
    PngChainPalette palette;
    PngChainPalette* kept = keepIndices ? &palette : nullptr;
    const ChainFormat* format = WalkChain(path, holder, report, options.fileLevels, kept, stamps);
    if (!format)
        return false;
    return format->rgba ? CompletePngChain(holder, kept, report, options, path)
                        : CompleteTgaChain(holder, report, options, path);
}

ChainFiles::ChainFiles() = default;
ChainFiles::~ChainFiles() = default;
ChainFiles::ChainFiles(ChainFiles&&) noexcept = default;
ChainFiles& ChainFiles::operator=(ChainFiles&&) noexcept = default;

bool ReadChainFiles(const std::string& path, ChainFiles& files, TextureReport& report,
                    const TextureReadOptions& options)
{
    files.palette = std::make_unique<PngChainPalette>();
    const ChainFormat* format =
        WalkChain(path, files.texture, report, options.fileLevels, files.palette.get(), &files.stamps);
    files.png = format && format->rgba;
    files.takesTextureFormat = format && format->takesTextureFormat;
    if (!files.png)
        files.palette.reset();
    return format != nullptr;
}

bool CompleteChain(const ChainFiles& files, TextureRecord& holder, TextureReport& report,
                   const TextureReadOptions& options, const std::string& path)
{
    if (!CopyTexture(files.texture.record(), holder)) {
        Report(report, Severity::Error, TextureCause::NoMemoryForTexture, path);
        return false;
    }
    return files.png ? CompletePngChain(holder, files.palette.get(), report, options, path)
                     : CompleteTgaChain(holder, report, options, path);
}
