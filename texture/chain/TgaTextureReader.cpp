#include "texture/chain/TgaTextureReader.h"

#include "texture/chain/ChainFileReader.h"
#include "texture/chain/ChainFormats.h"
#include "texture/convert/DepthConversion.h"
#include "texture/convert/MipGeneration.h"
#include "texture/convert/PaletteMatch.h"
#include "texture/tga/TgaDecoder.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <string>

namespace {

// Reads each TGA file of a chain and has it decoded into its level.
class ChainReader : public ChainFileReader {
public:
    ChainReader(TextureRecord& holder, TextureReport& report) : ChainFileReader(holder, report, "TGA") {}

private:
    LevelResult readFile(const InputFile& file, const std::string& path, int level) override;
    LevelResult takeOtherKind(TextureRecord& rgba, const std::string& path, int level) override;
    ColourMapMerge& merge();
    std::optional<TextureCause> readBytes(const InputFile& file, int level, TgaLayout& layout, ByteBlock& front,
                                          uint8_t*& pixels, bool& ranPast);
    void takeColours(const TgaLayout& layout, const PixelColours& colours, const std::string& path);

    // Level 0's colour map ends before this entry; the later levels' colours
    // are merged into it.
    unsigned mapEnd_ = 0;
    std::optional<ColourMapMerge> merge_;
};

// Reads the file, checks once that it did not change meanwhile, then decodes.
LevelResult ChainReader::readFile(const InputFile& file, const std::string& path, int level)
{
    TgaLayout layout;
    ByteBlock front;
    uint8_t* pixels = nullptr;
    bool ranPast = false;
    std::optional<TextureCause> problem = readBytes(file, level, layout, front, pixels, ranPast);
    if (!file.unchanged())
        return LevelResult::Changed;
    if (problem)
        return refuseContent(file, *problem, path);

    DecodeTgaPixels(layout, front.data(), front.size(), pixels, !layout.runLength);
    if (ranPast)
        warn(TextureCause::TgaRunPastImage, path);
    if (layout.depth == 8)
        takeColours(layout, TgaLevelColours(layout, front.data()), path);
    return LevelResult::Read;
}

// Reads the header, then the bytes before the pixels (all of a run-length
// file) into `front`, and raw pixels straight into their rows of the level,
// each size checked before anything is allocated for it. The first problem
// found ends the reading and is returned.
std::optional<TextureCause> ChainReader::readBytes(const InputFile& file, int level, TgaLayout& layout,
                                                   ByteBlock& front, uint8_t*& pixels, bool& ranPast)
{
    uint8_t header[kTgaHeaderSize] = {};
    if (file.size() < kTgaHeaderSize || file.readAt(0, header, kTgaHeaderSize) != FileReadStatus::Ok)
        return TextureCause::Truncated;
    if (std::optional<TextureCause> refusal = DecodeTgaHeader(header, sizeof header, layout))
        return refusal;
    if (level > 0 && !fitsLevel(layout.pixels.width, layout.pixels.height, layout.depth, level))
        return TextureCause::LevelMismatch;
    if (std::optional<TextureCause> refusal = CheckTgaFileSize(layout, file.size()))
        return refusal;
    if (!front.allocate(size_t(TgaBytesInMemory(layout, file.size()))))
        return TextureCause::OutOfMemory;
    if (file.readAt(0, front.data(), front.size()) != FileReadStatus::Ok)
        return TextureCause::ReadFailed;
    if (std::optional<TextureCause> refusal = CheckTgaPixelData(layout, front.data(), front.size(), ranPast))
        return refusal;

    if (level == 0)
        SetTgaRecordFormat(holder_.record(), layout);
    pixels = holder_.allocateLevel(level, layout.pixels.levelBytes());
    if (!pixels)
        return TextureCause::OutOfMemory;
    if (!layout.runLength &&
        file.readScattered(layout.pixels.offset, layout.pixels.rowPieces(pixels)) != FileReadStatus::Ok)
        return TextureCause::ReadFailed;
    return std::nullopt;
}

// Level 0's colours become the palette, its pixels staying as they are. A
// later level's colours are merged into that palette and its pixels rewritten
// to match; a chain whose files share one map keeps its pixels.
void ChainReader::takeColours(const TgaLayout& layout, const PixelColours& colours, const std::string& path)
{
    T3D_TEXTURE& record = holder_.record();
    const TgaHeader& header = layout.header;
    uint8_t* pixels = record.levels[level_];
    const size_t count = size_t(header.width) * header.height;
    const bool wholeMap = colours.inMap.all();
    const PaletteUse used = level_ > 0 || !wholeMap ? UsedEntries(pixels, count) : PaletteUse();
    if (!wholeMap && UsesValuesOutsideMap(colours, used))
        warn(TextureCause::TgaIndexBeyondMap, path);

    if (level_ == 0) {
        for (int i = 0; i < kPaletteEntries; ++i)
            SetPaletteColour(record, i, colours.colours[i]);
        mapEnd_ = wholeMap ? unsigned(kPaletteEntries)
                           : std::min<unsigned>(header.colourMapFirst + header.colourMapLength, kPaletteEntries);
        return;
    }
    const ColourMapMerge::LevelMapping mapping = merge().mapLevel(colours.colours, used);
    RemapIndices(pixels, count, mapping.index);
    if (mapping.mapRanFull)
        warn(TextureCause::TgaColourMapFull, path);
}

ColourMapMerge& ChainReader::merge()
{
    if (!merge_)
        merge_.emplace(holder_.record(), mapEnd_);
    return *merge_;
}

// A level from a file of another format: converted to the chain's depth and masks as a
// scene texture's format is taken (texture/convert/DepthConversion.h); at 8
// bits its colours are then merged into the chain's palette like a TGA
// file's.
LevelResult ChainReader::takeOtherKind(TextureRecord& rgba, const std::string& path, int level)
{
    T3D_TEXTURE& record = holder_.record();
    DepthOptions format(record.depth);
    if (record.depth != 8)
        format.masks = MasksOf(record);
    if (!ConvertRgbaChain(rgba, format, path, laterLevelReport_))
        return LevelResult::Missing;
    const T3D_TEXTURE& converted = rgba.record();
    const uint64_t bytes = LevelByteCount(record, level);
    uint8_t* pixels = holder_.allocateLevel(level, bytes);
    if (!pixels)
        return fail(TextureCause::OutOfMemory, path);
    std::memcpy(pixels, converted.levels[0], size_t(bytes));
    if (record.depth == 8) {
        PaletteColours colours;
        for (int i = 0; i < kPaletteEntries; ++i)
            colours[i] = PaletteColour(converted, i);
        if (!merge().mergeLevel(colours, pixels, size_t(bytes)))
            warn(TextureCause::TgaColourMapFull, path);
    }
    return LevelResult::Read;
}

}  // namespace

std::unique_ptr<ChainFileReader> MakeTgaFileReader(TextureRecord& holder, TextureReport& report, PngChainPalette*)
{
    return std::unique_ptr<ChainFileReader>(new (std::nothrow) ChainReader(holder, report));
}

bool ReadTgaChainFiles(const std::string& path, TextureRecord& holder, TextureReport& report, int fileLevels)
{
    return WalkChain(path, holder, report, fileLevels, nullptr, nullptr, &TgaChainFormat()) != nullptr;
}

bool TgaTextureReader(const char* path, TextureRecord& holder, TextureReport& report, MipFilter filter)
{
    if (!ReadTgaChainFiles(path, holder, report))
        return false;
    if (GenerateMipLevels(holder, filter))
        return true;
    Report(report, Severity::Error, TextureCause::OutOfMemory, path, {"TGA"});
    return false;
}
