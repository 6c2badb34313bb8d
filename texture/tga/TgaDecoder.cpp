#include "texture/tga/TgaDecoder.h"

#include "texture/TextureLimits.h"
#include "texture/convert/PaletteMatch.h"

#include <algorithm>
#include <cstring>

namespace {

// The record's depth for a pixel depth the decoder takes.
unsigned RecordDepth(uint8_t pixelDepth)
{
    return pixelDepth == 15 ? 16 : pixelDepth;
}

// Why the decoder does not take a file of this kind; nothing when it does.
std::optional<TextureCause> RefusedKind(const TgaHeader& header)
{
    if (header.colourMapType > kTgaColourMapPresent)
        return TextureCause::TgaReservedColourMapType;
    switch (header.imageType) {
    case kTgaColourMapped:
    case kTgaRunLengthColourMapped:
        if (header.pixelDepth != 8)
            return TextureCause::TgaIndexDepth;
        if (header.colourMapLength == 0)
            return TextureCause::TgaEmptyColourMap;
        if (!IsReadableColourMapEntrySize(header.colourMapEntryBits))
            return TextureCause::TgaColourMapEntrySize;
        return std::nullopt;
    case kTgaTrueColour:
    case kTgaRunLengthTrueColour:  // 8 bits are read as grey
        switch (header.pixelDepth) {
        case 8:
        case 15:
        case 16:
        case 24:
        case 32:
            return std::nullopt;
        default:
            return TextureCause::TgaPixelDepth;
        }
    case kTgaGrey:
    case kTgaRunLengthGrey:
        if (header.pixelDepth != 8)
            return TextureCause::TgaGreyDepth;
        return std::nullopt;
    default:
        return TextureCause::TgaImageType;
    }
}

// Bytes of the colour map that follows the ID field: present when the file
// says it has one or its image type uses one.
uint64_t ColourMapBytes(const TgaHeader& header)
{
    if (header.colourMapType != kTgaColourMapPresent && !IsColourMapped(header.imageType))
        return 0;
    return ColourMapByteCount(header);
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

// Decodes run-length data already known to cover the level. Packets may run
// across row ends.
void DecodeRunLength(ByteCursor in, const TgaPlacement& place, uint8_t* level)
{
    const unsigned width = place.width, bytesPerPixel = place.bytesPerPixel;
    unsigned fileRow = 0;
    unsigned column = 0;
    uint8_t* out = place.row(level, 0);
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
                out = place.row(level, fileRow);
            }
        }
    };
    // The data was walked once already; it covers every pixel.
    WalkPackets(in, uint64_t(width) * place.height, bytesPerPixel, emit);
}

// The cursor at the pixel data of a file whose bytes before it are there.
ByteCursor PixelData(const TgaLayout& layout, const uint8_t* file, size_t size)
{
    ByteCursor in(file, size);
    const bool atPixels = in.skip(layout.pixels.offset);
    (void)atPixels;  // the file's size was checked against the layout
    return in;
}

}  // namespace

std::vector<iovec> TgaPlacement::rowPieces(uint8_t* level) const
{
    if (rowsTopDown)
        return {iovec{level, size_t(levelBytes())}};
    std::vector<iovec> pieces(height);
    for (unsigned y = 0; y < height; ++y)
        pieces[y] = iovec{row(level, y), rowBytes()};
    return pieces;
}

void TgaPlacement::finish(uint8_t* level) const
{
    if (!rightToLeft)
        return;
    for (unsigned y = 0; y < height; ++y) {
        uint8_t* left = level + y * rowBytes();
        uint8_t* right = left + rowBytes() - bytesPerPixel;
        for (; left < right; left += bytesPerPixel, right -= bytesPerPixel)
            std::swap_ranges(left, left + bytesPerPixel, right);
    }
}

std::optional<TextureCause> DecodeTgaHeader(const uint8_t* bytes, size_t size, TgaLayout& layout)
{
    ByteCursor in(bytes, size);
    TgaHeader header;
    if (!ReadTgaHeader(in, header))
        return TextureCause::Truncated;
    if (const std::optional<TextureCause> refusal = RefusedKind(header))
        return refusal;
    layout.header = header;
    layout.depth = RecordDepth(header.pixelDepth);
    layout.runLength = IsRunLengthEncoded(header.imageType);
    layout.colourMapOffset = kTgaHeaderSize + header.idLength;
    layout.colourMapBytes = ColourMapBytes(header);
    TgaPlacement& place = layout.pixels;
    place.offset = layout.colourMapOffset + layout.colourMapBytes;
    place.width = header.width;
    place.height = header.height;
    place.bytesPerPixel = BytesPerPixel(layout.depth);
    place.rowsTopDown = (header.descriptor & kTgaDescriptorTopDown) != 0;
    place.rightToLeft = (header.descriptor & kTgaDescriptorRightToLeft) != 0;
    if (place.levelBytes() == 0 || place.levelBytes() > kMaxLevelBytes)
        return TextureCause::UnsupportedSize;
    return std::nullopt;
}

std::optional<TextureCause> CheckTgaFileSize(const TgaLayout& layout, uint64_t fileSize)
{
    if (fileSize < layout.pixels.offset)
        return TextureCause::Truncated;
    if (!layout.runLength && fileSize - layout.pixels.offset < layout.pixels.levelBytes())
        return TextureCause::ShortOfPixels;
    if (layout.runLength && fileSize > kMaxWholeFileBytes)
        return TextureCause::UnsupportedSize;
    return std::nullopt;
}

uint64_t TgaBytesInMemory(const TgaLayout& layout, uint64_t fileSize)
{
    return layout.runLength ? fileSize : layout.pixels.offset;
}

std::optional<TextureCause> CheckTgaPixelData(const TgaLayout& layout, const uint8_t* file, size_t size, bool& ranPast)
{
    ranPast = false;
    if (!layout.runLength)
        return std::nullopt;
    ByteCursor in = PixelData(layout, file, size);
    const TgaPlacement& place = layout.pixels;
    const PacketWalk walk = WalkPackets(in, uint64_t(place.width) * place.height, place.bytesPerPixel,
                                        [](unsigned, const uint8_t*, bool) {});
    ranPast = walk == PacketWalk::RanPast;
    if (walk == PacketWalk::Short)
        return TextureCause::ShortOfPixels;
    return std::nullopt;
}

void DecodeTgaPixels(const TgaLayout& layout, const uint8_t* file, size_t size, uint8_t* level, bool rowsInPlace)
{
    const TgaPlacement& place = layout.pixels;
    if (layout.runLength) {
        DecodeRunLength(PixelData(layout, file, size), place, level);
    } else if (!rowsInPlace) {
        const uint8_t* in = file + place.offset;
        for (const iovec& piece : place.rowPieces(level)) {
            std::memcpy(piece.iov_base, in, piece.iov_len);
            in += piece.iov_len;
        }
    }
    place.finish(level);
}

PixelColours TgaLevelColours(const TgaLayout& layout, const uint8_t* file)
{
    return IsColourMapped(layout.header.imageType) ? ColourMapColours(layout.header, file + layout.colourMapOffset)
                                                   : GreyRampColours();
}

void SetTgaRecordFormat(T3D_TEXTURE& record, const TgaLayout& layout)
{
    record.width = uint16_t(layout.pixels.width);
    record.height = uint16_t(layout.pixels.height);
    record.depth = uint16_t(layout.depth);
    SetStandardMasks(record, layout.depth);
}

std::optional<TextureCause> DecodeTga(const uint8_t* data, size_t size, TextureRecord& holder, TgaWarnings& warnings)
{
    holder.clear();
    warnings = TgaWarnings();
    TgaLayout layout;
    std::optional<TextureCause> problem = DecodeTgaHeader(data, size, layout);
    if (!problem)
        problem = CheckTgaFileSize(layout, size);
    if (!problem)
        problem = CheckTgaPixelData(layout, data, size, warnings.ranPast);
    T3D_TEXTURE& record = holder.record();
    uint8_t* level = problem ? nullptr : holder.allocateLevel(0, layout.pixels.levelBytes());
    if (!problem && !level)
        problem = TextureCause::OutOfMemory;
    if (problem) {
        holder.clear();
        return problem;
    }
    SetTgaRecordFormat(record, layout);
    record.levelCount = 1;
    DecodeTgaPixels(layout, data, size, level);
    if (layout.depth == 8) {
        const PixelColours colours = TgaLevelColours(layout, data);
        for (int i = 0; i < kPaletteEntries; ++i)
            SetPaletteColour(record, i, colours.colours[i]);
        warnings.beyondMap = !colours.inMap.all() &&
                             UsesValuesOutsideMap(colours, UsedEntries(level, size_t(layout.pixels.levelBytes())));
    }
    return std::nullopt;
}
