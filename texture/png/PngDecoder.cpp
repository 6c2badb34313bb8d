#include "texture/png/PngDecoder.h"

#include "texture/TextureLimits.h"
#include "texture/io/ByteBlock.h"

#include <spng.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr uint8_t kSignature[kPngSignatureSize] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Ancillary chunks (text, profiles) kept in memory at most; the pixels do not count.
constexpr size_t kMaxChunkCache = size_t(64) << 20;

unsigned ChannelCount(uint8_t colourType)
{
    switch (colourType) {
    case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
        return 2;
    case SPNG_COLOR_TYPE_TRUECOLOR:
        return 3;
    case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA:
        return 4;
    default:
        return 1;
    }
}

// RGBA bytes to the record's blue, green, red, alpha, in place.
void SwapRedAndBlue(uint8_t* pixels, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        uint32_t p;
        std::memcpy(&p, pixels + 4 * i, 4);
        p = (p & 0xFF00FF00u) | (p >> 16 & 0xFFu) | (p & 0xFFu) << 16;
        std::memcpy(pixels + 4 * i, &p, 4);
    }
}

// One row of 1-, 2-, 4- or 8-bit indices, packed high bits first, to a byte each.
void UnpackIndices(const uint8_t* packed, unsigned bitDepth, uint8_t* indices, unsigned width)
{
    if (bitDepth == 8) {
        std::memcpy(indices, packed, width);
        return;
    }
    const unsigned mask = (1u << bitDepth) - 1;
    for (unsigned x = 0; x < width; ++x) {
        const unsigned bit = x * bitDepth;
        indices[x] = uint8_t(packed[bit / 8] >> (8 - bitDepth - bit % 8) & mask);
    }
}

}  // namespace

struct PngDecoder::Context {
    spng_ctx* ctx = spng_ctx_new(0);
    ~Context() { spng_ctx_free(ctx); }
};

bool IsPngSignature(const uint8_t* data, size_t size)
{
    return size >= kPngSignatureSize && std::memcmp(data, kSignature, kPngSignatureSize) == 0;
}

PngDecoder::PngDecoder(const uint8_t* data, size_t size) : context_(new (std::nothrow) Context)
{
    std::fill(std::begin(paletteAlpha_), std::end(paletteAlpha_), uint8_t(0xFF));
    if (!context_ || !context_->ctx) {
        status_ = PngStatus::noMemory;
        return;
    }
    if (!IsPngSignature(data, size)) {
        status_ = PngStatus::damaged;
        return;
    }
    spng_ctx* ctx = context_->ctx;
    spng_set_chunk_limits(ctx, size, kMaxChunkCache);
    spng_ihdr ihdr;
    int error = spng_set_png_buffer(ctx, data, size);
    if (!error)
        error = spng_get_ihdr(ctx, &ihdr);
    if (error) {
        fail(PngStatus::damaged, error);
        return;
    }
    width_ = ihdr.width;
    height_ = ihdr.height;
    bitDepth_ = ihdr.bit_depth;
    interlaced_ = ihdr.interlace_method != SPNG_INTERLACE_NONE;
    hasPalette_ = ihdr.color_type == SPNG_COLOR_TYPE_INDEXED;

    const uint64_t rowBytes = (uint64_t(width_) * ChannelCount(ihdr.color_type) * bitDepth_ + 7) / 8;
    if (width_ == 0 || height_ == 0 || width_ > kMaxPngSide || height_ > kMaxPngSide ||
        uint64_t(width_) * height_ * 4 > kMaxLevelBytes) {
        status_ = PngStatus::unsupportedSize;
        return;
    }
    if (height_ * (rowBytes + 1) > kMaxDeflateRatio * size) {
        status_ = PngStatus::claimsTooMuch;
        return;
    }
    if (!hasPalette_)
        return;

    spng_plte plte;
    if ((error = spng_get_plte(ctx, &plte))) {
        fail(PngStatus::damaged, error);
        return;
    }
    palette_.count = std::min<unsigned>(plte.n_entries, kPaletteEntries);
    for (unsigned i = 0; i < palette_.count; ++i)
        palette_.colours[i] = {plte.entries[i].red, plte.entries[i].green, plte.entries[i].blue};
    spng_trns trns;
    error = spng_get_trns(ctx, &trns);
    if (error == 0) {
        for (unsigned i = 0; i < trns.n_type3_entries && i < unsigned(kPaletteEntries); ++i)
            paletteAlpha_[i] = trns.type3_alpha[i];
    } else if (error != SPNG_ECHUNKAVAIL) {
        fail(PngStatus::damaged, error);
    }
}

PngDecoder::~PngDecoder() = default;

PngStatus PngDecoder::fail(PngStatus status, int spngError)
{
    status_ = status;
    detail_ = spng_strerror(spngError);
    return status;
}

PngStatus PngDecoder::decode(uint8_t* argb, uint8_t* indices)
{
    if (status_ != PngStatus::ok || decoded_)
        return decoded_ ? PngStatus::damaged : status_;  // the data is used up after one decode
    decoded_ = true;
    return hasPalette_ ? decodePalette(argb, indices) : decodeTrueColour(argb);
}

PngStatus PngDecoder::decodeTrueColour(uint8_t* argb)
{
    spng_ctx* ctx = context_->ctx;
    const size_t rowBytes = size_t(width_) * 4;
    if (interlaced_) {
        const int error = spng_decode_image(ctx, argb, rowBytes * height_, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS);
        if (error)
            return fail(PngStatus::damaged, error);
        SwapRedAndBlue(argb, size_t(width_) * height_);
        return PngStatus::ok;
    }
    // Row by row, each swapped while it is still in the cache.
    int error = spng_decode_image(ctx, nullptr, 0, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE);
    for (unsigned y = 0; !error && y < height_; ++y) {
        uint8_t* row = argb + y * rowBytes;
        error = spng_decode_row(ctx, row, rowBytes);
        if (!error || error == SPNG_EOI)
            SwapRedAndBlue(row, width_);
        if (error == SPNG_EOI && y + 1 == height_)
            error = 0;
    }
    return error ? fail(PngStatus::damaged, error) : PngStatus::ok;
}

PngStatus PngDecoder::decodePalette(uint8_t* argb, uint8_t* indices)
{
    spng_ctx* ctx = context_->ctx;
    size_t imageBytes = 0;
    int error = spng_decoded_image_size(ctx, SPNG_FMT_PNG, &imageBytes);
    if (error)
        return fail(PngStatus::damaged, error);
    const size_t packedRowBytes = imageBytes / height_;

    uint32_t table[kPaletteEntries];
    for (int i = 0; i < kPaletteEntries; ++i) {
        const Rgb& c = palette_.colours[i];
        table[i] = uint32_t(paletteAlpha_[i]) << 24 | uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue;
    }
    ByteBlock rowIndices, packed;
    if (!rowIndices.allocate(width_) || !packed.allocate(interlaced_ ? imageBytes : packedRowBytes))
        return PngStatus::noMemory;
    if (interlaced_) {
        std::memset(packed.data(), 0, imageBytes);  // the passes' packed pixels are merged into it
        error = spng_decode_image(ctx, packed.data(), imageBytes, SPNG_FMT_PNG, 0);
    } else {
        error = spng_decode_image(ctx, nullptr, 0, SPNG_FMT_PNG, SPNG_DECODE_PROGRESSIVE);
    }

    for (unsigned y = 0; !error && y < height_; ++y) {
        const uint8_t* row = packed.data();
        if (interlaced_) {
            row += y * packedRowBytes;
        } else {
            error = spng_decode_row(ctx, packed.data(), packedRowBytes);
            if (error == SPNG_EOI && y + 1 == height_)
                error = 0;
            if (error)
                break;
        }
        uint8_t* rowOut = indices ? indices + size_t(y) * width_ : rowIndices.data();
        UnpackIndices(row, bitDepth_, rowOut, width_);
        uint32_t* pixels = reinterpret_cast<uint32_t*>(argb + size_t(y) * width_ * 4);
        for (unsigned x = 0; x < width_; ++x) {
            const uint32_t p = table[rowOut[x]];
            std::memcpy(pixels + x, &p, 4);
        }
    }
    return error ? fail(PngStatus::damaged, error) : PngStatus::ok;
}
