#include "texture/chain/DdsTextureReader.h"

#include "texture/dds/DdsDecoder.h"
#include "texture/io/ByteBlock.h"

#include <algorithm>
#include <new>
#include <optional>

namespace {

class DdsChainReader : public ChainFileReader {
public:
    DdsChainReader(TextureRecord& holder, TextureReport& report) : ChainFileReader(holder, report, "DDS") {}

private:
    LevelResult readFile(const InputFile& file, const std::string& path, int level) override;
    // A DDS chain is one file: the walk reads no later level for it.
    LevelResult takeOtherKind(TextureRecord&, const std::string&, int) override { return LevelResult::Missing; }
    int levelsHeld() const override { return levels_; }
    std::optional<DdsRefusal> readLayout(const InputFile& file, DdsLayout& layout) const;
    std::optional<DdsRefusal> readLevels(const InputFile& file, const DdsLayout& layout);

    int levels_ = 1;
};

// Reads the header and the levels, checks once that the file did not change
// meanwhile, then says what came of it. The file is always its chain's
// first: read as a later level of another format's chain, it is that
// reader's level 0 too.
LevelResult DdsChainReader::readFile(const InputFile& file, const std::string& path, int)
{
    DdsLayout layout;
    std::optional<DdsRefusal> refusal = readLayout(file, layout);
    if (!refusal)
        refusal = readLevels(file, layout);
    if (!file.unchanged())
        return LevelResult::Changed;
    if (refusal)
        return fail(refusal->cause, path, refusal->words);
    levels_ = layout.levels;
    return LevelResult::Read;
}

// The header's layout, checked against the file's size.
std::optional<DdsRefusal> DdsChainReader::readLayout(const InputFile& file, DdsLayout& layout) const
{
    uint8_t head[kDdsHeadBytes];
    const size_t size = size_t(std::min<uint64_t>(file.size(), sizeof head));
    if (file.readAt(0, head, size) != FileReadStatus::Ok)
        return DdsRefusal{TextureCause::ReadFailed};
    if (std::optional<DdsRefusal> refusal = DecodeDdsHeader(head, size, fileLevels_, layout))
        return refusal;
    return CheckDdsFileSize(layout, file.size());
}

// The palette and every level read; a level kept as stored straight into
// its place, any other through one buffer as large as level 0's data.
std::optional<DdsRefusal> DdsChainReader::readLevels(const InputFile& file, const DdsLayout& layout)
{
    T3D_TEXTURE& record = holder_.record();
    ByteBlock palette, stored;
    const bool hasPalette = layout.pixels == DdsPixels::palette;
    if (hasPalette && (!palette.allocate(kDdsPaletteSize) ||
                       file.readAt(layout.paletteOffset, palette.data(), palette.size()) != FileReadStatus::Ok))
        return DdsRefusal{palette.data() ? TextureCause::ReadFailed : TextureCause::OutOfMemory};
    SetDdsRecordFormat(record, layout, hasPalette ? palette.data() : nullptr);
    const bool inPlace = layout.pixels == DdsPixels::raw || hasPalette;
    if (!inPlace && !stored.allocate(size_t(layout.storedBytes(0))))
        return DdsRefusal{TextureCause::OutOfMemory};
    for (int level = 0; level < layout.levels; ++level) {
        uint8_t* pixels = holder_.allocateLevel(level, layout.levelBytes(level));
        if (!pixels)
            return DdsRefusal{TextureCause::OutOfMemory};
        uint8_t* into = inPlace ? pixels : stored.data();
        if (file.readAt(layout.levelOffset[level], into, size_t(layout.storedBytes(level))) != FileReadStatus::Ok)
            return DdsRefusal{TextureCause::ReadFailed};
        DecodeDdsLevel(layout, level, into, pixels);
    }
    return std::nullopt;
}

}  // namespace

std::unique_ptr<ChainFileReader> MakeDdsFileReader(TextureRecord& holder, TextureReport& report, PngChainPalette*)
{
    return std::unique_ptr<ChainFileReader>(new (std::nothrow) DdsChainReader(holder, report));
}
