#include "support/PngTestBytes.h"

#include <spng.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>

namespace {

unsigned Channels(uint8_t colourType)
{
    switch (colourType) {
    case 2:
        return 3;
    case 4:
        return 2;
    case 6:
        return 4;
    default:
        return 1;
    }
}

void PutBigEndian(uint8_t* at, uint32_t value)
{
    at[0] = uint8_t(value >> 24);
    at[1] = uint8_t(value >> 16);
    at[2] = uint8_t(value >> 8);
    at[3] = uint8_t(value);
}

}  // namespace

size_t PngRowBytes(const PngPicture& picture)
{
    return (size_t(picture.width) * Channels(picture.colourType) * picture.bitDepth + 7) / 8;
}

std::vector<uint8_t> MakePng(const PngPicture& picture)
{
    spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
    spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
    spng_ihdr ihdr = {};
    ihdr.width = picture.width;
    ihdr.height = picture.height;
    ihdr.bit_depth = picture.bitDepth;
    ihdr.color_type = picture.colourType;
    ihdr.interlace_method = picture.interlaced ? SPNG_INTERLACE_ADAM7 : SPNG_INTERLACE_NONE;
    spng_set_ihdr(ctx, &ihdr);
    if (picture.filterChoice)
        spng_set_option(ctx, SPNG_FILTER_CHOICE, picture.filterChoice);
    if (!picture.palette.empty()) {
        spng_plte plte = {};
        plte.n_entries = uint32_t(picture.palette.size());
        for (size_t i = 0; i < picture.palette.size(); ++i)
            plte.entries[i] = {picture.palette[i].red, picture.palette[i].green, picture.palette[i].blue, 0};
        spng_set_plte(ctx, &plte);
    }
    if (!picture.paletteAlpha.empty() || picture.colourKey) {
        spng_trns trns = {};
        trns.gray = picture.keyGrey;
        trns.red = picture.keyRed;
        trns.green = picture.keyGreen;
        trns.blue = picture.keyBlue;
        trns.n_type3_entries = uint32_t(picture.paletteAlpha.size());
        for (size_t i = 0; i < picture.paletteAlpha.size(); ++i)
            trns.type3_alpha[i] = picture.paletteAlpha[i];
        spng_set_trns(ctx, &trns);
    }
    std::vector<uint8_t> png;
    if (spng_encode_image(ctx, picture.rows.data(), picture.rows.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) == 0) {
        size_t size = 0;
        int error = 0;
        uint8_t* bytes = static_cast<uint8_t*>(spng_get_png_buffer(ctx, &size, &error));
        if (bytes)
            png.assign(bytes, bytes + size);
        std::free(bytes);
    }
    spng_ctx_free(ctx);
    return png;
}

void AddPngChunks(std::vector<uint8_t>& png, const char (&type)[5], const std::vector<uint8_t>& data, size_t count)
{
    std::vector<uint8_t> chunk(12 + data.size());
    PutBigEndian(chunk.data(), uint32_t(data.size()));
    std::copy(type, type + 4, chunk.begin() + 4);
    std::copy(data.begin(), data.end(), chunk.begin() + 8);
    PutBigEndian(chunk.data() + 8 + data.size(), uint32_t(crc32(0, chunk.data() + 4, uInt(4 + data.size()))));
    constexpr size_t kAfterHeader = 33;  // signature (8) and IHDR (25)
    std::vector<uint8_t> chunks;
    chunks.reserve(chunk.size() * count);
    for (size_t i = 0; i < count; ++i)
        chunks.insert(chunks.end(), chunk.begin(), chunk.end());
    png.insert(png.begin() + kAfterHeader, chunks.begin(), chunks.end());
}

size_t FindPngChunk(const std::vector<uint8_t>& png, const char (&type)[5])
{
    size_t at = 8;
    while (at + 12 <= png.size() && !std::equal(type, type + 4, png.begin() + long(at) + 4))
        at += 12 + (size_t(png[at]) << 24 | size_t(png[at + 1]) << 16 | size_t(png[at + 2]) << 8 | png[at + 3]);
    return std::min(at, png.size());
}

void MendPngChunkCrc(std::vector<uint8_t>& png, size_t offset)
{
    const size_t length =
        size_t(png[offset]) << 24 | size_t(png[offset + 1]) << 16 | size_t(png[offset + 2]) << 8 | png[offset + 3];
    PutBigEndian(png.data() + offset + 8 + length, uint32_t(crc32(0, png.data() + offset + 4, uInt(4 + length))));
}

void SplitPngData(std::vector<uint8_t>& png, size_t size)
{
    std::vector<uint8_t> data;
    size_t at = FindPngChunk(png, "IDAT");
    const size_t first = at;
    while (at < png.size() && std::equal(png.begin() + long(at) + 4, png.begin() + long(at) + 8, "IDAT")) {
        const size_t length =
            size_t(png[at]) << 24 | size_t(png[at + 1]) << 16 | size_t(png[at + 2]) << 8 | png[at + 3];
        data.insert(data.end(), png.begin() + long(at) + 8, png.begin() + long(at + 8 + length));
        at += 12 + length;
    }
    std::vector<uint8_t> chunks;
    for (size_t from = 0; from < data.size(); from += size) {
        const size_t n = std::min(size, data.size() - from);
        const size_t start = chunks.size();
        chunks.resize(start + 12 + n);
        PutBigEndian(chunks.data() + start, uint32_t(n));
        std::copy_n("IDAT", 4, chunks.begin() + long(start) + 4);
        std::copy_n(data.begin() + long(from), n, chunks.begin() + long(start) + 8);
        MendPngChunkCrc(chunks, start);
    }
    png.erase(png.begin() + long(first), png.begin() + long(at));
    png.insert(png.begin() + long(first), chunks.begin(), chunks.end());
}

void PatchPngSize(std::vector<uint8_t>& png, uint32_t width, uint32_t height)
{
    // Signature (8), IHDR length and type (8), then width and height; the CRC
    // covers type and data (17 bytes) and follows them.
    PutBigEndian(png.data() + 16, width);
    PutBigEndian(png.data() + 20, height);
    PutBigEndian(png.data() + 29, uint32_t(crc32(0, png.data() + 12, 17)));
}
