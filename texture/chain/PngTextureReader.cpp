#include "texture/chain/PngTextureReader.h"

#include "texture/TextureLimits.h"
#include "texture/chain/ChainFileReader.h"

#include <cstring>
#include <new>

namespace {

// The cause of a decoder's refusal.
TextureCause CauseOf(PngStatus status, const PngDecoder& png)
{
    switch (status) {
    case PngStatus::unsupportedSize:
        return TextureCause::UnsupportedSize;
    case PngStatus::claimsTooMuch:
        return TextureCause::ShortOfPixels;
    case PngStatus::noMemory:
        return TextureCause::OutOfMemory;
    case PngStatus::tooMuchAncillary:
        return TextureCause::PngTooMuchAncillary;
    default:
        return png.detail().empty() ? TextureCause::NotPng : TextureCause::Damaged;
    }
}

class PngChainReader : public ChainFileReader {
public:
    PngChainReader(TextureRecord& holder, TextureReport& report, PngChainPalette* palette)
        : ChainFileReader(holder, report, "PNG"), palette_(palette)
    {
        if (palette_)
            *palette_ = PngChainPalette();
    }

private:
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
        return fail(TextureCause::UnsupportedSize, path);
    ByteBlock bytes;
    if (!bytes.allocate(size_t(file.size())))
        return fail(TextureCause::OutOfMemory, path);
    if (file.readAt(0, bytes.data(), bytes.size()) != FileReadStatus::Ok)
        return failUnlessChanged(file, TextureCause::ReadFailed, path);
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
        return fail(TextureCause::LevelMismatch, path);
    T3D_TEXTURE& record = holder_.record();
    if (level == 0) {
        record.width = png.width();
        record.height = png.height();
        record.depth = 32;
        SetStandardMasks(record, 32);
    }
    uint8_t* pixels = holder_.allocateLevel(level, uint64_t(png.width()) * png.height() * 4);
    if (!pixels)
        return fail(TextureCause::OutOfMemory, path);
    const PngStatus status = png.decode(pixels, indicesFor(png, png.width(), png.height(), level));
    if (status != PngStatus::ok)
        return refuse(png, status, path);
    if (png.indicesBeyondPalette())
        warn(TextureCause::PngIndexBeyondPalette, path);
    return LevelResult::Read;
}

// A level from a file of another format, already in this chain's 8-bit RGBA; it has no
// palette, so the chain's palette is no longer shared.
LevelResult PngChainReader::takeOtherKind(TextureRecord& rgba, const std::string& path, int level)
{
    if (palette_)
        palette_->shared = false;
    const uint64_t bytes = LevelByteCount(holder_.record(), level);
    uint8_t* pixels = holder_.allocateLevel(level, bytes);
    if (!pixels)
        return fail(TextureCause::OutOfMemory, path);
    std::memcpy(pixels, rgba.record().levels[0], size_t(bytes));
    return LevelResult::Read;
}

// The status's cause, with libspng's words for what is damaged.
LevelResult PngChainReader::refuse(const PngDecoder& png, PngStatus status, const std::string& path)
{
    return fail(CauseOf(status, png), path, png.detail(), unsigned(kMaxAncillaryBytes >> 20));
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

std::unique_ptr<ChainFileReader> MakePngFileReader(TextureRecord& holder, TextureReport& report,
                                                   PngChainPalette* palette)
{
    return std::unique_ptr<ChainFileReader>(new (std::nothrow) PngChainReader(holder, report, palette));
}
