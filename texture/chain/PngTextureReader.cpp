#include "texture/chain/PngTextureReader.h"

#include "texture/TextureLimits.h"
#include "texture/chain/ChainFileReader.h"
#include "texture/chain/TgaTextureReader.h"

#include <cstring>
#include <new>

namespace {

constexpr TextureMessage kCantReadPng{TextureCause::ReadFailed, "Can't read PNG file %s", "could not be read"};
constexpr TextureMessage kNoMemoryForPng{TextureCause::OutOfMemory, "Not enough memory for PNG file %s",
                                         "does not fit in memory"};
constexpr TextureMessage kPngUnsupportedSize{TextureCause::UnsupportedSize, "PNG file %s has an unsupported size",
                                             "has an unsupported size"};
constexpr ChainFileMessages kPngMessages{
    {TextureCause::NotFound, "Can't find PNG file %s", "does not exist"},
    {TextureCause::PermissionDenied, "Can't read PNG file %s: permission denied", "permission denied"},
    {TextureCause::NotRegularFile, "PNG file %s is not a regular file", "is not a regular file"},
    kCantReadPng,
    {TextureCause::ChangedWhileRead, "PNG file %s changed while it was read", "changed while it was read"},
    {TextureCause::LevelMismatch, "PNG file %s does not fit its mip level", "does not fit its mip level"},
    kNoMemoryForPng};

static_assert(kMaxAncillaryBytes == uint64_t(64) << 20, "the message below names the limit");
constexpr TextureMessage kPngTooMuchAncillary{
    TextureCause::UnsupportedSize, "PNG file %s holds more than 64 MiB of text and other data beside its pixels",
    "holds more than 64 MiB of text and other data beside its pixels"};
// A warning: the pixels are still read.
constexpr TextureMessage kPngIndexBeyondPalette{TextureCause::Damaged,
                                                "PNG file %s has colour indices beyond its palette (shown black)",
                                                "has colour indices beyond its palette (shown black)"};

// The message for a decoder's refusal.
const TextureMessage& PngMessage(PngStatus status)
{
    static constexpr TextureMessage kDamaged{TextureCause::Damaged, "PNG file %s is damaged", "is damaged"};
    static constexpr TextureMessage kClaimsTooMuch{
        TextureCause::Truncated, "PNG file %s holds fewer pixels than its size", "holds fewer pixels than its size"};
    switch (status) {
    case PngStatus::unsupportedSize:
        return kPngUnsupportedSize;
    case PngStatus::claimsTooMuch:
        return kClaimsTooMuch;
    case PngStatus::noMemory:
        return kNoMemoryForPng;
    case PngStatus::tooMuchAncillary:
        return kPngTooMuchAncillary;
    default:
        return kDamaged;
    }
}

class PngChainReader : public ChainFileReader {
public:
    PngChainReader(TextureRecord& holder, TextureReport& report, PngChainPalette* palette)
        : ChainFileReader(holder, report, kPngMessages), palette_(palette)
    {
    }

private:
    bool readsPng() const override { return true; }
    LevelResult readFile(const InputFile& file, const std::string& path, int level) override;
    LevelResult takeOtherKind(TextureRecord& rgba, const std::string& path, int level) override;
    LevelResult decode(PngDecoder& png, const std::string& path, int level);
    LevelResult refuse(const PngDecoder& png, PngStatus status, const std::string& path);
    uint8_t* indicesFor(const PngDecoder& png, unsigned width, unsigned height, int level);

    PngChainPalette* palette_;
};

LevelResult PngChainReader::readFile(const InputFile& file, const std::string& path, int level)
{
    if (file.size() > kMaxWholeFileBytes)
        return fail(kPngUnsupportedSize, path);
    ByteBlock bytes;
    if (!bytes.allocate(size_t(file.size())))
        return fail(messages_.noMemory, path);
    if (file.readAt(0, bytes.data(), bytes.size()) != FileReadStatus::Ok)
        return failUnlessChanged(file, kCantReadPng, path);
    if (!file.unchanged())
        return LevelResult::Changed;
    PngDecoder png(bytes.data(), bytes.size());
    return decode(png, path, level);
}

LevelResult PngChainReader::decode(PngDecoder& png, const std::string& path, int level)
{
    if (png.status() != PngStatus::ok)
        return refuse(png, png.status(), path);
    if (level > 0 && !fitsLevel(png.width(), png.height(), 32, level))
        return fail(messages_.doesNotFitLevel, path);
    T3D_TEXTURE& record = holder_.record();
    if (level == 0) {
        record.width = png.width();
        record.height = png.height();
        record.depth = 32;
        SetStandardMasks(record, 32);
    }
    uint8_t* pixels = holder_.allocateLevel(level, uint64_t(png.width()) * png.height() * 4);
    if (!pixels)
        return fail(messages_.noMemory, path);
    const PngStatus status = png.decode(pixels, indicesFor(png, png.width(), png.height(), level));
    if (status != PngStatus::ok)
        return refuse(png, status, path);
    if (png.indicesBeyondPalette())
        ReportWarning(report_, kPngIndexBeyondPalette, path);
    return LevelResult::Read;
}

// A level from a TGA file, already in this chain's 8-bit RGBA; it has no
// palette, so the chain's palette is no longer shared.
LevelResult PngChainReader::takeOtherKind(TextureRecord& rgba, const std::string& path, int level)
{
    if (palette_)
        palette_->shared = false;
    const uint64_t bytes = LevelByteCount(holder_.record(), level);
    uint8_t* pixels = holder_.allocateLevel(level, bytes);
    if (!pixels)
        return fail(messages_.noMemory, path);
    std::memcpy(pixels, rgba.record().levels[0], size_t(bytes));
    return LevelResult::Read;
}

// The status's message, with libspng's words for what is damaged.
LevelResult PngChainReader::refuse(const PngDecoder& png, PngStatus status, const std::string& path)
{
    return fail(PngMessage(status), path, status == PngStatus::damaged ? png.detail() : std::string());
}

// Where the level's indices go when the chain still shares one palette;
// nullptr when they are not kept.
uint8_t* PngChainReader::indicesFor(const PngDecoder& png, unsigned width, unsigned height, int level)
{
    if (!palette_ || !palette_->shared)
        return nullptr;
    if (level == 0)
        palette_->palette = png.palette();
    palette_->shared = png.hasPalette() && png.palette() == palette_->palette &&
                       palette_->levels[level].allocate(size_t(width) * height);
    return palette_->shared ? palette_->levels[level].data() : nullptr;
}

}  // namespace

std::unique_ptr<ChainFileReader> MakePngFileReader(TextureRecord& holder, TextureReport& report)
{
    return std::unique_ptr<ChainFileReader>(new (std::nothrow) PngChainReader(holder, report, nullptr));
}

bool ReadPngChainFiles(const std::string& path, TextureRecord& holder, TextureReport& report, PngChainPalette* palette,
                       int fileLevels)
{
    if (palette)
        *palette = PngChainPalette();
    PngChainReader chain(holder, report, palette);
    chain.readOtherKindWith(MakeTgaFileReader);
    return chain.readChain(path, fileLevels) > 0;
}
