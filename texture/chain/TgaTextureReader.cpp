#include "texture/chain/TgaTextureReader.h"

#include "texture/TextureLimits.h"
#include "texture/TextureMessages.h"
#include "texture/chain/ChainFileReader.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/convert/MipGeneration.h"
#include "texture/convert/PaletteMatch.h"
#include "texture/tga/TgaColourMap.h"
#include "texture/tga/TgaFormat.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <sys/uio.h>
#include <vector>

namespace {

// The record's depth for a pixel depth the reader takes.
unsigned RecordDepth(uint8_t pixelDepth)
{
    return pixelDepth == 15 ? 16 : pixelDepth;
}

// Why the reader does not take a file of this kind; nullptr when it does.
const TextureMessage* RefusedKind(const TgaHeader& header)
{
    if (header.colourMapType > kTgaColourMapPresent)
        return &kTgaReservedColourMapType;
    switch (header.imageType) {
    case kTgaColourMapped:
    case kTgaRunLengthColourMapped:
        if (header.pixelDepth != 8)
            return &kTgaIndexDepth;
        if (header.colourMapLength == 0)
            return &kTgaEmptyColourMap;
        return IsReadableColourMapEntrySize(header.colourMapEntryBits) ? nullptr : &kTgaPaletteError;
    case kTgaTrueColour:
    case kTgaRunLengthTrueColour:  // 8 bits are read as grey
        switch (header.pixelDepth) {
        case 8:
        case 15:
        case 16:
        case 24:
        case 32:
            return nullptr;
        default:
            return &kTgaUnsupportedPixelDepth;
        }
    case kTgaGrey:
    case kTgaRunLengthGrey:
        return header.pixelDepth == 8 ? nullptr : &kTgaGreyDepth;
    default:
        return &kTgaUnsupportedImageType;
    }
}

// Bytes of the colour map that follows the ID field: present when the file
// says it has one or its image type uses one.
size_t ColourMapBytes(const TgaHeader& header)
{
    if (header.colourMapType != kTgaColourMapPresent && !IsColourMapped(header.imageType))
        return 0;
    return ColourMapByteCount(header);
}

// Where row `row` of the file goes in a level buffer that runs top to bottom.
struct RowPlacer {
    uint8_t* level;
    size_t rowBytes;
    unsigned height;
    bool rowsTopDown;

    uint8_t* row(unsigned fileRow) const { return level + rowBytes * (rowsTopDown ? fileRow : height - 1 - fileRow); }
};

// The pieces that take a raw pixel block, in file order, straight into their
// rows of the level: a bottom-up file fills the level from its last row up.
std::vector<iovec> RowPieces(const RowPlacer& place)
{
    if (place.rowsTopDown)
        return {iovec{place.level, place.rowBytes * place.height}};
    std::vector<iovec> pieces(place.height);
    for (unsigned y = 0; y < place.height; ++y)
        pieces[y] = iovec{place.row(y), place.rowBytes};
    return pieces;
}

// Reverses the pixel order of every row (files stored right to left).
void MirrorRows(uint8_t* level, unsigned width, unsigned height, unsigned bytesPerPixel)
{
    const size_t rowBytes = size_t(width) * bytesPerPixel;
    for (unsigned y = 0; y < height; ++y) {
        uint8_t* left = level + y * rowBytes;
        uint8_t* right = left + rowBytes - bytesPerPixel;
        for (; left < right; left += bytesPerPixel, right -= bytesPerPixel)
            std::swap_ranges(left, left + bytesPerPixel, right);
    }
}

enum class PacketWalk {
    Exact,    // the packets end at the last pixel
    RanPast,  // the last packet was cut at the last pixel
    Short,    // the data ends first
};

// Walks the run-length packets that cover `pixels` pixels, handing each to
// `emit(count, bytes, repeated)`. A packet that runs past the last pixel is
// cut there; a raw packet's pixels past it need not be in the data.
template <typename Emit>
PacketWalk WalkPackets(ByteCursor& in, uint64_t pixels, unsigned bytesPerPixel, Emit&& emit)
{
    bool ranPast = false;
    while (pixels > 0) {
        uint8_t packet = 0;
        if (!in.readU8(packet))
            return PacketWalk::Short;
        const bool repeated = (packet & kTgaRunPacket) != 0;
        const uint64_t claimed = (packet & kTgaPacketCount) + 1u;
        const unsigned count = unsigned(std::min(claimed, pixels));
        ranPast = claimed > pixels;
        const uint8_t* bytes = in.take(repeated ? bytesPerPixel : size_t(count) * bytesPerPixel);
        if (!bytes)
            return PacketWalk::Short;
        emit(count, bytes, repeated);
        pixels -= count;
    }
    return ranPast ? PacketWalk::RanPast : PacketWalk::Exact;
}

PacketWalk WalkRunLengthData(ByteCursor in, uint64_t pixels, unsigned bytesPerPixel)
{
    return WalkPackets(in, pixels, bytesPerPixel, [](unsigned, const uint8_t*, bool) {});
}

// Decodes run-length data already known to cover the level. Packets may run
// across row ends.
void DecodeRunLength(ByteCursor in, const RowPlacer& place, unsigned width, unsigned bytesPerPixel)
{
    unsigned fileRow = 0;
    unsigned column = 0;
    uint8_t* out = place.row(0);
    auto emit = [&](unsigned count, const uint8_t* bytes, bool repeated) {
        while (count > 0) {
            const unsigned n = std::min(count, width - column);
            if (!repeated) {
                std::memcpy(out, bytes, size_t(n) * bytesPerPixel);
                bytes += size_t(n) * bytesPerPixel;
            } else if (bytesPerPixel == 1) {
                std::memset(out, bytes[0], n);
            } else {
                for (unsigned i = 0; i < n; ++i)
                    std::memcpy(out + size_t(i) * bytesPerPixel, bytes, bytesPerPixel);
            }
            out += size_t(n) * bytesPerPixel;
            column += n;
            count -= n;
            if (column == width && ++fileRow < place.height) {
                column = 0;
                out = place.row(fileRow);
            }
        }
    };
    // The data was walked once already; it covers every pixel.
    WalkPackets(in, uint64_t(width) * place.height, bytesPerPixel, emit);
}

constexpr ChainFileMessages kTgaMessages{kCantFindTga, kTgaPermissionDenied, kTgaNotRegularFile, kCantReadTga,
                                         kTgaChanged,  kTgaDoesNotFitLevel,  kNoMemoryForTga};

// Decodes each TGA file of a chain into its level.
class ChainReader : public ChainFileReader {
public:
    ChainReader(TextureRecord& holder, TextureReport& report) : ChainFileReader(holder, report, kTgaMessages) {}

private:
    LevelResult readFile(const InputFile& file, const std::string& path, int level) override;
    void describeLevelZero(const TgaHeader& header, unsigned depth);
    void takeColours(const TgaHeader& header, const uint8_t* colourMap, const std::string& path);

    // Level 0's colour map ends before this entry; the later levels' colours
    // are merged into it.
    unsigned mapEnd_ = 0;
    std::optional<ColourMapMerge> merge_;
};

LevelResult ChainReader::readFile(const InputFile& file, const std::string& path, int level)
{
    uint8_t headerBytes[kTgaHeaderSize] = {};
    ByteCursor headerCursor(headerBytes, sizeof headerBytes);
    TgaHeader header;
    if (file.size() < kTgaHeaderSize || file.readAt(0, headerBytes, kTgaHeaderSize) != FileReadStatus::Ok ||
        !ReadTgaHeader(headerCursor, header))
        return refuseContent(file, kTgaTruncated, path);
    if (const TextureMessage* refusal = RefusedKind(header))
        return refuseContent(file, *refusal, path);
    const unsigned depth = RecordDepth(header.pixelDepth);
    const unsigned bytesPerPixel = BytesPerPixel(depth);
    const uint64_t pixelCount = uint64_t(header.width) * header.height;
    const uint64_t levelBytes = pixelCount * bytesPerPixel;
    if (pixelCount == 0 || levelBytes > kMaxLevelBytes)
        return refuseContent(file, kTgaUnsupportedSize, path);
    if (level > 0 && !fitsLevel(header.width, header.height, depth, level))
        return fail(kTgaDoesNotFitLevel, path);

    // The ID field and colour map, or for run-length data the whole file:
    // sizes the file's length must hold before anything is allocated.
    const bool runLength = IsRunLengthEncoded(header.imageType);
    const uint64_t pixelOffset = kTgaHeaderSize + header.idLength + ColourMapBytes(header);
    if (file.size() < pixelOffset)
        return refuseContent(file, kTgaTruncated, path);
    if (!runLength && file.size() - pixelOffset < levelBytes)
        return refuseContent(file, kTgaShortOfPixels, path);
    if (runLength && file.size() > kMaxWholeFileBytes)
        return refuseContent(file, kTgaUnsupportedSize, path);
    ByteBlock front;
    const uint64_t frontBytes = runLength ? file.size() : pixelOffset;
    if (!front.allocate(size_t(frontBytes)))
        return fail(kNoMemoryForTga, path);
    if (file.readAt(0, front.data(), front.size()) != FileReadStatus::Ok)
        return failUnlessChanged(file, kCantReadTga, path);

    ByteCursor in(front.data(), front.size());
    // The front holds the header, ID field and colour map: neither step can fail.
    const uint8_t* colourMap = in.skip(kTgaHeaderSize + header.idLength) ? in.take(ColourMapBytes(header)) : nullptr;
    const PacketWalk walk = runLength ? WalkRunLengthData(in, pixelCount, bytesPerPixel) : PacketWalk::Exact;
    if (walk == PacketWalk::Short)
        return refuseContent(file, kTgaShortOfPixels, path);

    if (level == 0)
        describeLevelZero(header, depth);
    uint8_t* pixels = holder_.allocateLevel(level, levelBytes);
    if (!pixels)
        return fail(kNoMemoryForTga, path);
    const RowPlacer place{pixels, size_t(header.width) * bytesPerPixel, header.height,
                          (header.descriptor & kTgaDescriptorTopDown) != 0};
    if (runLength)
        DecodeRunLength(in, place, header.width, bytesPerPixel);
    else if (file.readScattered(pixelOffset, RowPieces(place)) != FileReadStatus::Ok)
        return failUnlessChanged(file, kCantReadTga, path);
    if (!file.unchanged())
        return LevelResult::Changed;

    if (header.descriptor & kTgaDescriptorRightToLeft)
        MirrorRows(pixels, header.width, header.height, bytesPerPixel);
    if (walk == PacketWalk::RanPast)
        ReportWarning(report_, kTgaRunPastImage, path);
    if (depth == 8)
        takeColours(header, colourMap, path);
    return LevelResult::Read;
}

void ChainReader::describeLevelZero(const TgaHeader& header, unsigned depth)
{
    T3D_TEXTURE& record = holder_.record();
    record.width = header.width;
    record.height = header.height;
    record.depth = uint16_t(depth);
    SetStandardMasks(record, depth);
}

// Level 0's colours become the palette, its pixels staying as they are. A
// later level's colours are merged into that palette and its pixels rewritten
// to match; a chain whose files share one map keeps its pixels.
void ChainReader::takeColours(const TgaHeader& header, const uint8_t* colourMap, const std::string& path)
{
    T3D_TEXTURE& record = holder_.record();
    const PixelColours colours =
        IsColourMapped(header.imageType) ? ColourMapColours(header, colourMap) : GreyRampColours();
    uint8_t* pixels = record.levels[level_];
    const size_t count = size_t(header.width) * header.height;
    const bool wholeMap = colours.inMap.all();
    const PaletteUse used = level_ > 0 || !wholeMap ? UsedEntries(pixels, count) : PaletteUse();
    if (!wholeMap && UsesValuesOutsideMap(colours, used))
        ReportWarning(report_, kTgaIndexBeyondMap, path);

    if (level_ == 0) {
        for (int i = 0; i < kPaletteEntries; ++i)
            SetPaletteColour(record, i, colours.colours[i]);
        mapEnd_ = wholeMap ? unsigned(kPaletteEntries)
                           : std::min<unsigned>(header.colourMapFirst + header.colourMapLength, kPaletteEntries);
        return;
    }
    if (!merge_)
        merge_.emplace(record, mapEnd_);
    const ColourMapMerge::LevelMapping mapping = merge_->mapLevel(colours.colours, used);
    RemapIndices(pixels, count, mapping.index);
    if (mapping.mapRanFull)
        ReportWarning(report_, kTgaColourMapFull, path);
}

}  // namespace

bool ReadTgaChainFiles(const std::string& path, TextureRecord& holder, TextureReport& report)
{
    ChainReader chain(holder, report);
    return chain.readChain(path) > 0;
}

bool TgaTextureReader(const char* path, TextureRecord& holder, TextureReport& report, MipFilter filter)
{
    if (!ReadTgaChainFiles(path, holder, report))
        return false;
    if (GenerateMipLevels(holder, filter))
        return true;
    ReportError(report, kNoMemoryForTga, path);
    return false;
}
