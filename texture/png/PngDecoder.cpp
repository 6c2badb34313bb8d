#include "texture/png/PngDecoder.h"

#include "texture/TextureLimits.h"
#include "texture/io/ByteBlock.h"
#include "texture/png/PngImageData.h"

#include <spng.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr uint8_t kSignature[kPngSignatureSize] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

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

// RGBA bytes to the record's blue, green, red, alpha (in place when in == out).
void RgbaToArgb(const uint8_t* in, uint8_t* out, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        uint32_t p;
        std::memcpy(&p, in + 4 * i, 4);
        p = (p & 0xFF00FF00u) | (p >> 16 & 0xFFu) | (p & 0xFFu) << 16;
        std::memcpy(out + 4 * i, &p, 4);
    }
}

void SwapRedAndBlue(uint8_t* pixels, size_t count)
{
    RgbaToArgb(pixels, pixels, count);
}

void StorePixel(uint8_t* at, uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha)
{
    const uint32_t p = alpha << 24 | red << 16 | green << 8 | blue;
    std::memcpy(at, &p, 4);
}

// One row of 8-bit indices through the palette's table; returns the highest index.
uint8_t IndicesToArgb(const uint8_t* indices, const uint32_t* table, uint8_t* argb, unsigned width)
{
    uint8_t highest = 0;
    for (unsigned x = 0; x < width; ++x) {
        std::memcpy(argb + 4 * x, &table[indices[x]], 4);
        highest = std::max(highest, indices[x]);
    }
    return highest;
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

// Ancillary chunks are known by a lower-case first letter; tRNS is the one
// the pixels need.
bool LeftOut(const uint8_t* type)
{
    return (type[0] & 0x20) != 0 && std::memcmp(type, "tRNS", 4) != 0;
}

}  // namespace

// Hands libspng the PNG's bytes with its ancillary chunks left out (all but
// tRNS), walking the chunks as it goes: however many there are, they cost
// libspng neither memory nor a place in its chunk count. The chunk after the
// signature (the header) is always handed over, and so is anything that does
// not hold a whole chunk, for libspng to find damaged.
class PngDecoder::ChunkFilter {
public:
    ChunkFilter(const uint8_t* data, size_t size)
        : data_(data), size_(size), chunkEnd_(std::min(size, kPngSignatureSize))
    {
    }

    // libspng's read callback: exactly `length` more bytes, or an error.
    static int read(spng_ctx*, void* user, void* out, size_t length)
    {
        return static_cast<ChunkFilter*>(user)->fill(static_cast<uint8_t*>(out), length);
    }

    bool overLimit() const { return overLimit_; }

private:
    int fill(uint8_t* out, size_t length)
    {
        while (length > 0) {
            if (pos_ == chunkEnd_ && !nextChunk())
                return overLimit_ ? SPNG_IO_ERROR : SPNG_IO_EOF;
            const size_t n = std::min(length, chunkEnd_ - pos_);
            std::memcpy(out, data_ + pos_, n);
            out += n;
            pos_ += n;
            length -= n;
        }
        return 0;
    }

    // Moves on to the next chunk handed over, past those left out; false at
    // the end of the bytes, or when those left out pass kMaxAncillaryBytes.
    bool nextChunk()
    {
        while (pos_ < size_) {
            const size_t left = size_ - pos_;
            const uint64_t chunk =
                left < kPngChunkFraming ? left : ReadBigEndian32(data_ + pos_) + uint64_t(kPngChunkFraming);
            if (pos_ > kPngSignatureSize && chunk <= left && left >= kPngChunkFraming && LeftOut(data_ + pos_ + 4)) {
                skipped_ += chunk;
                if (skipped_ > kMaxAncillaryBytes) {
                    overLimit_ = true;
                    return false;
                }
                pos_ += size_t(chunk);
                continue;
            }
            chunkEnd_ = pos_ + size_t(std::min<uint64_t>(chunk, left));
            return true;
        }
        return false;
    }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    size_t chunkEnd_;  // the end of the chunk being handed over
    uint64_t skipped_ = 0;
    bool overLimit_ = false;
};

struct PngDecoder::Context {
    Context(const uint8_t* data, size_t size) : input(data, size) {}
    ~Context() { spng_ctx_free(ctx); }

    spng_ctx* ctx = spng_ctx_new(0);
    ChunkFilter input;
};

bool IsPngSignature(const uint8_t* data, size_t size)
{
    return size >= kPngSignatureSize && std::memcmp(data, kSignature, kPngSignatureSize) == 0;
}

PngDecoder::PngDecoder(const uint8_t* data, size_t size)
    : context_(new (std::nothrow) Context(data, size)), bytes_(data), size_(size)
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
    spng_set_chunk_limits(ctx, size, kMaxAncillaryBytes);
    spng_ihdr ihdr;
    int error = spng_set_png_stream(ctx, ChunkFilter::read, &context_->input);
    if (!error)
        error = spng_get_ihdr(ctx, &ihdr);
    if (error) {
        fail(PngStatus::damaged, error);
        return;
    }
    width_ = ihdr.width;
    height_ = ihdr.height;
    bitDepth_ = ihdr.bit_depth;
    channels_ = ChannelCount(ihdr.color_type);
    interlaced_ = ihdr.interlace_method != SPNG_INTERLACE_NONE;
    hasPalette_ = ihdr.color_type == SPNG_COLOR_TYPE_INDEXED;

    const uint64_t rowBytes = (uint64_t(width_) * channels_ * bitDepth_ + 7) / 8;
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
    if (context_->input.overLimit())
        status = PngStatus::tooMuchAncillary;
    status_ = status;
    detail_ = spng_strerror(spngError);
    return status;
}

PngStatus PngDecoder::decode(uint8_t* argb, uint8_t* indices)
{
    if (status_ != PngStatus::ok || decoded_)
        return decoded_ ? PngStatus::damaged : status_;  // the data is used up after one decode
    decoded_ = true;
    if (bitDepth_ == 8 && !interlaced_) {
        if (!hasPalette_ && !readColourKey())
            return status_;
        decodedWhole_ = decodeWhole(argb, indices);
        if (decodedWhole_)
            return PngStatus::ok;
    }
    return hasPalette_ ? decodePalette(argb, indices) : decodeTrueColour(argb);
}

// The tRNS of a grey or RGB image, read (and judged) by libspng. False, with
// libspng's words, when the chunks before the image data are damaged: what
// its decode would say of them.
bool PngDecoder::readColourKey()
{
    spng_trns trns;
    const int error = spng_get_trns(context_->ctx, &trns);
    if (error == SPNG_ECHUNKAVAIL)
        return true;
    if (error) {
        fail(PngStatus::damaged, error);
        return false;
    }
    key_.present = true;
    // Of a key out of an 8-bit sample's range, libspng compares the low byte.
    const bool grey = channels_ < 3;
    key_.red = uint8_t(grey ? trns.gray : trns.red);
    key_.green = uint8_t(grey ? trns.gray : trns.green);
    key_.blue = uint8_t(grey ? trns.gray : trns.blue);
    return true;
}

bool PngDecoder::decodeWhole(uint8_t* argb, uint8_t* indices)
{
    PngImageData data;
    if (!FindImageData(bytes_, size_, data))
        return false;
    const size_t argbRow = size_t(width_) * 4;
    if (hasPalette_) {
        uint32_t table[kPaletteEntries];
        paletteTable(table);
        uint8_t highest = 0;
        const bool whole = InflateRows(data, height_, width_, 1, [&](unsigned y, const uint8_t* row) {
            if (indices)
                std::memcpy(indices + size_t(y) * width_, row, width_);
            highest = std::max(highest, IndicesToArgb(row, table, argb + y * argbRow, width_));
        });
        indicesBeyondPalette_ = whole && highest >= palette_.count;
        return whole;
    }
    const ColourKey key = key_;
    const unsigned width = width_, channels = channels_;
    return InflateRows(data, height_, size_t(width) * channels, channels, [&](unsigned y, const uint8_t* row) {
        uint8_t* out = argb + y * argbRow;
        if (channels == 4) {
            RgbaToArgb(row, out, width);
            return;
        }
        for (unsigned x = 0; x < width; ++x, row += channels) {
            const uint8_t red = row[0], green = row[channels / 3], blue = row[2 * (channels / 3)];
            const bool keyed = key.present && red == key.red && green == key.green && blue == key.blue;
            const uint8_t alpha = channels == 2 ? row[1] : keyed ? 0 : 0xFF;
            StorePixel(out + 4 * x, red, green, blue, alpha);
        }
    });
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
    paletteTable(table);
    uint8_t highest = 0;  // the highest index met
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
        highest = std::max(highest, IndicesToArgb(rowOut, table, argb + size_t(y) * width_ * 4, width_));
    }
    indicesBeyondPalette_ = highest >= palette_.count;
    return error ? fail(PngStatus::damaged, error) : PngStatus::ok;
}

// Each index's pixel: its colour and its tRNS alpha (opaque black past the palette).
void PngDecoder::paletteTable(uint32_t (&table)[kPaletteEntries]) const
{
    for (int i = 0; i < kPaletteEntries; ++i) {
        const Rgb& c = palette_.colours[i];
        table[i] = uint32_t(paletteAlpha_[i]) << 24 | uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue;
    }
}
