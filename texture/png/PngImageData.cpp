#include "texture/png/PngImageData.h"

#include "texture/png/PngDecoder.h"
#include "texture/png/PngFilters.h"

#include <libdeflate.h>

#include <cstring>
#include <memory>

namespace {

constexpr uint32_t kMaxChunkLength = 0x7FFFFFFF;

bool IsType(const uint8_t* type, const char (&name)[5])
{
    return std::memcmp(type, name, 4) == 0;
}

// Ancillary chunks are known by a lower-case first letter.
bool IsAncillary(const uint8_t* type)
{
    return (type[0] & 0x20) != 0;
}

// Where the chunks stand in the file; each is told in turn.
class ChunkOrder {
public:
    // False when the chunk may not come here.
    bool take(const uint8_t* type)
    {
        if (ended_)
            return false;
        if (IsType(type, "IDAT")) {
            if (afterData_)
                return false;  // image data split by another chunk
            inData_ = true;
            return true;
        }
        afterData_ = afterData_ || inData_;
        inData_ = false;
        if (IsType(type, "IEND")) {
            ended_ = true;
            return afterData_;
        }
        // What comes before the image data libspng has read and judged already;
        // after it, only chunks that are passed over.
        return afterData_ ? IsAncillary(type) && !IsType(type, "tRNS") : IsAncillary(type) || IsType(type, "PLTE");
    }

    bool ended() const { return ended_; }

private:
    bool inData_ = false, afterData_ = false, ended_ = false;
};

}  // namespace

uint32_t ReadBigEndian32(const uint8_t* at)
{
    return uint32_t(at[0]) << 24 | uint32_t(at[1]) << 16 | uint32_t(at[2]) << 8 | at[3];
}

void WriteBigEndian32(uint8_t* at, uint32_t value)
{
    at[0] = uint8_t(value >> 24);
    at[1] = uint8_t(value >> 16);
    at[2] = uint8_t(value >> 8);
    at[3] = uint8_t(value);
}

uint32_t PngChunkCrc(const uint8_t* typeAndData, size_t size)
{
    return libdeflate_crc32(0, typeAndData, size);
}

bool FindImageData(const uint8_t* png, size_t size, PngImageData& data)
{
    ChunkOrder order;
    uint64_t passedOver = 0, dataBytes = 0;
    size_t first = 0, chunks = 0;  // where the first IDAT chunk starts; how many there are
    for (size_t pos = kPngSignatureSize + kPngChunkFraming + 13; !order.ended();) {
        if (size - pos < kPngChunkFraming)
            return false;
        const uint32_t length = ReadBigEndian32(png + pos);
        const uint8_t* type = png + pos + 4;
        if (length > kMaxChunkLength || size - pos - kPngChunkFraming < length || !order.take(type))
            return false;
        const bool passOver = IsAncillary(type) && !IsType(type, "tRNS");
        if (passOver && (passedOver += kPngChunkFraming + length) > kMaxAncillaryBytes)
            return false;
        if (!passOver && PngChunkCrc(type, 4 + size_t(length)) != ReadBigEndian32(type + 4 + length))
            return false;
        if (IsType(type, "IDAT")) {
            first = chunks++ == 0 ? pos : first;
            dataBytes += length;
        }
        pos += kPngChunkFraming + length;
    }
    if (chunks == 1) {
        data.bytes = png + first + 8;
        data.size = size_t(dataBytes);
        return true;
    }
    if (!data.joined.allocate(size_t(dataBytes)))
        return false;
    uint8_t* out = data.joined.data();
    for (size_t pos = first, left = chunks; left > 0; --left) {
        const uint32_t length = ReadBigEndian32(png + pos);
        std::memcpy(out, png + pos + 8, length);
        out += length;
        pos += kPngChunkFraming + length;
    }
    data.bytes = data.joined.data();
    data.size = size_t(dataBytes);
    return true;
}

bool InflateRows(const PngImageData& data, unsigned height, size_t rowBytes, unsigned bytesPerPixel,
                 const PngRowTaker& takeRow)
{
    const size_t stride = rowBytes + 1;
    ByteBlock rows, zeroRow;
    if (!rows.allocate(stride * height) || !zeroRow.allocate(rowBytes))
        return false;
    std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> inflater(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    size_t used = 0, made = 0;
    if (!inflater ||
        libdeflate_zlib_decompress_ex(inflater.get(), data.bytes, data.size, rows.data(), rows.size(), &used, &made) !=
            LIBDEFLATE_SUCCESS ||
        used != data.size || made != rows.size())
        return false;
    std::memset(zeroRow.data(), 0, rowBytes);
    const uint8_t* above = zeroRow.data();
    for (unsigned y = 0; y < height; ++y) {
        uint8_t* row = rows.data() + size_t(y) * stride;
        if (!UnfilterRow(row[0], row + 1, above, rowBytes, bytesPerPixel))
            return false;
        takeRow(y, row + 1);
        above = row + 1;
    }
    return true;
}
