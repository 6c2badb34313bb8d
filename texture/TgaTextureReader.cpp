#include "texture/TgaTextureReader.h"

#include "texture/MappedFile.h"
#include "texture/MipChainNaming.h"
#include "texture/MipGeneration.h"
#include "texture/TextureMessages.h"
#include "texture/TgaFormat.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// Chain files are read while a level's larger side is at least this long;
// smaller levels are always generated.
constexpr unsigned kSmallestReadSide = 16;

// The record's depth for a file's pixel depth.
unsigned RecordDepth(uint8_t pixelDepth)
{
    switch (pixelDepth) {
    case 8: return 8;
    case 15:
    case 16: return 16;
    case 24: return 24;
    default: return 32;
    }
}

void CopyName(const char* path, char* name)
{
    const size_t n = std::min(std::strlen(path), size_t(kTextureNameSize - 1));
    std::memcpy(name, path, n);
    name[n] = '\0';
}

// Bytes of the colour map that follows the ID field: present when the file
// says it has one or its image type uses one.
size_t ColourMapBytes(const TgaHeader& header)
{
    if (header.colourMapType != kTgaColourMapPresent && !IsColourMapped(header.imageType))
        return 0;
    return size_t(header.colourMapLength) * ((header.colourMapEntryBits + 7u) / 8u);
}

// Level 0's palette: the colour map's first 256 entries (blue, green, red) for
// a colour-mapped file, the grey ramp otherwise. False for an entry size
// other than 24 or 32 bits; the palette then stays zero.
bool SetPalette(T3D_TEXTURE& record, const TgaHeader& header, const uint8_t* colourMap)
{
    if (!IsColourMapped(header.imageType)) {
        for (int i = 0; i < kPaletteEntries; ++i)
            record.palette[i][0] = record.palette[i][1] = record.palette[i][2] = uint8_t(i);
        return true;
    }
    if (header.colourMapEntryBits != 24 && header.colourMapEntryBits != 32)
        return false;
    const unsigned entryBytes = header.colourMapEntryBits / 8u;
    const int entries = std::min<int>(header.colourMapLength, kPaletteEntries);
    for (int i = 0; i < entries; ++i)
        std::memcpy(record.palette[i], colourMap + i * entryBytes, 3);
    return true;
}

// Where row `row` of the file goes in a level buffer that runs top to bottom.
struct RowPlacer {
    uint8_t* level;
    size_t rowBytes;
    unsigned height;
    bool rowsTopDown;

    uint8_t* row(unsigned fileRow) const
    {
        return level + rowBytes * (rowsTopDown ? fileRow : height - 1 - fileRow);
    }
};

void CopyRows(const uint8_t* pixels, const RowPlacer& place)
{
    if (place.rowsTopDown) {
        std::memcpy(place.level, pixels, place.rowBytes * place.height);
        return;
    }
    for (unsigned y = 0; y < place.height; ++y)
        std::memcpy(place.row(y), pixels + place.rowBytes * y, place.rowBytes);
}

// Walks the run-length packets that cover `pixels` pixels, handing each to
// `emit(count, bytes, repeated)`. A packet that runs past the last pixel is
// cut there. False when the data ends first.
template <typename Emit>
bool WalkPackets(ByteCursor& in, uint64_t pixels, unsigned bytesPerPixel, Emit&& emit)
{
    while (pixels > 0) {
        uint8_t packet = 0;
        if (!in.readU8(packet))
            return false;
        const bool repeated = (packet & kTgaRunPacket) != 0;
        const unsigned count = unsigned(std::min<uint64_t>((packet & kTgaPacketCount) + 1u, pixels));
        const uint8_t* bytes = in.take(repeated ? bytesPerPixel : size_t(count) * bytesPerPixel);
        if (!bytes)
            return false;
        emit(count, bytes, repeated);
        pixels -= count;
    }
    return true;
}

bool RunLengthDataCovers(ByteCursor in, uint64_t pixels, unsigned bytesPerPixel)
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

enum class LevelResult { Read, Missing, Failed };

class ChainReader {
public:
    ChainReader(TextureRecord& holder, TextureReport& report) : holder_(holder), report_(report) {}

    LevelResult readLevel(const std::string& path, int level);

private:
    LevelResult fail(const char* text, const std::string& path)
    {
        ReportTgaError(report_, text, path);
        return LevelResult::Failed;
    }

    bool fitsLevel(const TgaHeader& header, unsigned depth, int level) const
    {
        const T3D_TEXTURE& record = holder_.record();
        return header.width == LevelWidth(record, level) &&
               header.height == LevelHeight(record, level) && depth == record.depth;
    }

    void describeLevelZero(const TgaHeader& header, unsigned depth, const uint8_t* colourMap);

    TextureRecord& holder_;
    TextureReport& report_;
};

LevelResult ChainReader::readLevel(const std::string& path, int level)
{
    MappedFile file;
    switch (file.open(path.c_str())) {
    case MappedFile::Status::Ok: break;
    case MappedFile::Status::CannotOpen:
        if (level == 0)
            ReportTgaError(report_, kCantFindTga, path);
        return LevelResult::Missing;
    case MappedFile::Status::CannotRead: return fail(kCantReadTga, path);
    }

    ByteCursor in(file.data(), file.size());
    TgaHeader header;
    if (!ReadTgaHeader(in, header) || !in.skip(header.idLength))
        return fail(kTgaTruncated, path);
    const unsigned depth = RecordDepth(header.pixelDepth);
    const unsigned bytesPerPixel = BytesPerPixel(depth);
    const uint64_t pixelCount = uint64_t(header.width) * header.height;
    const uint64_t levelBytes = pixelCount * bytesPerPixel;
    if (pixelCount == 0 || levelBytes > kMaxTgaLevelBytes)
        return fail(kTgaUnsupportedSize, path);
    if (level > 0 && !fitsLevel(header, depth, level))
        return fail(kTgaDoesNotFitLevel, path);
    const uint8_t* colourMap = in.take(ColourMapBytes(header));
    if (!colourMap)
        return fail(kTgaTruncated, path);

    const bool runLength = IsRunLengthEncoded(header.imageType);
    const bool covered = runLength ? RunLengthDataCovers(in, pixelCount, bytesPerPixel)
                                   : in.remaining() >= levelBytes;
    if (!covered)
        return fail(kTgaShortOfPixels, path);

    if (level == 0)
        describeLevelZero(header, depth, colourMap);
    uint8_t* pixels = holder_.allocateLevel(level, levelBytes);
    if (!pixels)
        return fail(kNoMemoryForTga, path);

    const RowPlacer place{pixels, size_t(header.width) * bytesPerPixel, header.height,
                          (header.descriptor & kTgaDescriptorTopDown) != 0};
    if (runLength)
        DecodeRunLength(in, place, header.width, bytesPerPixel);
    else
        CopyRows(in.take(levelBytes), place);
    return LevelResult::Read;
}

void ChainReader::describeLevelZero(const TgaHeader& header, unsigned depth, const uint8_t* colourMap)
{
    T3D_TEXTURE& record = holder_.record();
    record.width = header.width;
    record.height = header.height;
    record.depth = uint16_t(depth);
    SetStandardMasks(record, depth);
    if (depth == 8 && !SetPalette(record, header, colourMap))
        report_.report(kErrorCaption, kTgaPaletteError);
}

// Whether the chain goes on to level L: level 0 always; later ones while the
// levels array has room and the level is at least kSmallestReadSide on a side
// (and not empty on the other).
bool ChainGoesOn(const T3D_TEXTURE& record, int level)
{
    if (level == 0)
        return true;
    const unsigned width = LevelWidth(record, level);
    const unsigned height = LevelHeight(record, level);
    return level < kMaxTextureLevels && (width >= kSmallestReadSide || height >= kSmallestReadSide) &&
           width > 0 && height > 0;
}

} // namespace

bool TgaTextureReader(const char* path, TextureRecord& holder, TextureReport& report)
{
    holder.clear();
    T3D_TEXTURE& record = holder.record();
    ChainReader chain(holder, report);

    int levelsRead = 0;
    std::string current = path;
    while (!current.empty() && ChainGoesOn(record, levelsRead)) {
        std::string next;
        const uint32_t flags = NextMipLevelName(current, next);
        if (chain.readLevel(current, levelsRead) != LevelResult::Read)
            break;
        record.flags = flags | (levelsRead > 0 ? uint32_t(kFlagMipmapLevels) : 0u);
        record.levelCount = uint16_t(++levelsRead);
        current = next;
    }

    if (levelsRead == 0)
        holder.clear();  // a failed level 0 may have set the size, depth or palette
    CopyName(path, record.name);
    if (levelsRead == 0)
        return false;
    if (!GenerateMipLevels(holder))
        ReportTgaError(report, kNoMemoryForTga, path);
    return true;
}
