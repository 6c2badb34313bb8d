#include "texture/png/PngEncoder.h"

#include "texture/convert/PixelExpansion.h"
#include "texture/io/ByteBlock.h"
#include "texture/png/PngDecoder.h"
#include "texture/png/PngFilters.h"
#include "texture/png/PngImageData.h"

#include <libdeflate.h>
#include <spng.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr uint8_t kSignature[kPngSignatureSize] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// The compressed stream goes out in chunks of this much data.
constexpr size_t kIdatChunkBytes = size_t(1) << 20;
// The trial compression of a sample of the filtered rows (see
// BarelyCompresses): at most kMaxTrialBytes and a kTrialFraction of the
// image, in bands of about kTrialSliceBytes spread through it; images smaller
// than kMinTrialImageBytes go without it. A sample that shrinks by less than
// 1 / kStoredBelowSaving of its size (0.4 %) has the image stored.
constexpr size_t kTrialSliceBytes = size_t(32) << 10;
constexpr size_t kMaxTrialBytes = size_t(128) << 10;
constexpr size_t kTrialFraction = 16;
constexpr size_t kMinTrialImageBytes = size_t(64) << 10;
constexpr size_t kStoredBelowSaving = 256;
// libdeflate's level that writes stored blocks only.
constexpr int kStoredLevel = 0;

struct SpngFree {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

struct CompressorFree {
    void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
};

int WriteToSink(spng_ctx*, void* user, void* bytes, size_t size)
{
    return (*static_cast<const PngSink*>(user))(bytes, size) ? 0 : SPNG_IO_ERROR;
}

// 0xAARRGGBB pixels to PNG's byte order: R, G, B (and A).
void ToPngBytes(const uint32_t* in, uint8_t* out, size_t count, bool alpha)
{
    for (size_t i = 0; i < count; ++i) {
        const uint32_t p = in[i];
        *out++ = uint8_t(p >> 16);
        *out++ = uint8_t(p >> 8);
        *out++ = uint8_t(p);
        if (alpha)
            *out++ = uint8_t(p >> 24);
    }
}

bool Fail(std::string* error, const char* text)
{
    if (error)
        *error = text;
    return false;
}

// The PNG a level becomes, and its rows in PNG's bytes, one at a time.
class PngRows {
public:
    PngRows(const T3D_TEXTURE& record, int level, PngLayout layout)
        : record_(record), width_(LevelWidth(record, level)), height_(LevelHeight(record, level)),
          indexed_(record.depth == 8 && layout == PngLayout::ofDepth),
          alpha_((!indexed_ && record.alphaMask != 0) || layout == PngLayout::rgba), pixels_(record.levels[level]),
          expander_(record)
    {
    }

    unsigned width() const { return width_; }
    unsigned height() const { return height_; }
    bool indexed() const { return indexed_; }
    bool alpha() const { return alpha_; }
    unsigned bytesPerPixel() const { return indexed_ ? 1 : alpha_ ? 4 : 3; }
    size_t rowBytes() const { return size_t(width_) * bytesPerPixel(); }
    uint8_t colourType() const
    {
        return alpha_     ? SPNG_COLOR_TYPE_TRUECOLOR_ALPHA
               : indexed_ ? SPNG_COLOR_TYPE_INDEXED
                          : SPNG_COLOR_TYPE_TRUECOLOR;
    }

    // Row y in PNG's bytes: the record's own indices, or `scratch` (rowBytes()) filled.
    const uint8_t* row(unsigned y, uint8_t* scratch)
    {
        const uint8_t* in = pixels_ + size_t(y) * width_ * BytesPerPixel(record_.depth);
        if (indexed_)
            return in;
        argb_.resize(width_);
        expander_.expand(in, argb_.data(), width_);
        ToPngBytes(argb_.data(), scratch, width_, alpha_);
        return scratch;
    }

private:
    const T3D_TEXTURE& record_;
    unsigned width_, height_;
    bool indexed_, alpha_;
    const uint8_t* pixels_;
    const PixelExpander expander_;
    std::vector<uint32_t> argb_;
};

bool WriteChunk(const PngSink& sink, const char (&type)[5], const uint8_t* data, size_t size)
{
    uint8_t head[8], crc[4];
    WriteBigEndian32(head, uint32_t(size));
    std::memcpy(head + 4, type, 4);
    // libdeflate's CRC-32 of no buffer is its start value, whatever came before.
    const uint32_t typeCrc = libdeflate_crc32(0, type, 4);
    WriteBigEndian32(crc, size == 0 ? typeCrc : libdeflate_crc32(typeCrc, data, size));
    return sink(head, 8) && (size == 0 || sink(data, size)) && sink(crc, 4);
}

bool WriteHeaderChunks(const PngSink& sink, const PngRows& rows, const T3D_TEXTURE& record)
{
    uint8_t ihdr[13] = {};
    WriteBigEndian32(ihdr, rows.width());
    WriteBigEndian32(ihdr + 4, rows.height());
    ihdr[8] = 8;  // bits a sample; compression, filtering and interlace all 0
    ihdr[9] = rows.colourType();
    if (!sink(kSignature, sizeof kSignature) || !WriteChunk(sink, "IHDR", ihdr, sizeof ihdr))
        return false;
    if (!rows.indexed())
        return true;
    uint8_t plte[3 * kPaletteEntries];
    for (int i = 0; i < kPaletteEntries; ++i) {
        plte[3 * i] = record.palette[i][2];
        plte[3 * i + 1] = record.palette[i][1];
        plte[3 * i + 2] = record.palette[i][0];
    }
    return WriteChunk(sink, "PLTE", plte, sizeof plte);
}

// Rows first to first + count - 1 with their filter bytes into `out`, each
// filtered by the smallest sum against the row above (none for a palette).
void FilterRows(PngRows& rows, unsigned first, unsigned count, uint8_t* out)
{
    const size_t rowBytes = rows.rowBytes();
    std::vector<uint8_t> above(rowBytes, 0), current(rowBytes), scratch(rowBytes);
    if (first > 0)
        std::memcpy(above.data(), rows.row(first - 1, current.data()), rowBytes);
    for (unsigned y = first; y < first + count; ++y, out += rowBytes + 1) {
        const uint8_t* row = rows.row(y, current.data());
        if (rows.indexed()) {
            out[0] = uint8_t(PngFilter::none);
            std::memcpy(out + 1, row, rowBytes);
        } else {
            out[0] = uint8_t(
                FilterRowByMinimumSum(row, above.data(), out + 1, scratch.data(), rowBytes, rows.bytesPerPixel()));
        }
        std::memcpy(above.data(), row, rowBytes);
    }
}

// Every row with the filter none, for stored blocks: they are as large
// whatever the filters, and these cost no choosing.
void UnfilteredRows(PngRows& rows, uint8_t* out)
{
    const size_t rowBytes = rows.rowBytes();
    for (unsigned y = 0; y < rows.height(); ++y, out += rowBytes + 1) {
        out[0] = uint8_t(PngFilter::none);
        const uint8_t* row = rows.row(y, out + 1);
        if (row != out + 1)
            std::memcpy(out + 1, row, rowBytes);
    }
}

using Compressor = std::unique_ptr<libdeflate_compressor, CompressorFree>;

// Bands of rows spread evenly through the image, filtered as the whole image
// would be, joined.
std::vector<uint8_t> TrialSample(PngRows& rows)
{
    const size_t stride = rows.rowBytes() + 1;
    const size_t total = std::min(kMaxTrialBytes, stride * rows.height() / kTrialFraction);
    const unsigned bandRows = unsigned(std::clamp<size_t>(kTrialSliceBytes / stride, 1, rows.height()));
    const unsigned bands = unsigned(std::clamp<size_t>(total / (bandRows * stride), 1, rows.height() / bandRows));
    std::vector<uint8_t> sample(size_t(bands) * bandRows * stride);
    for (unsigned i = 0; i < bands; ++i)
        FilterRows(rows, i * (rows.height() / bands), bandRows, sample.data() + size_t(i) * bandRows * stride);
    return sample;
}

// Whether deflate at the compressor's level saves almost nothing on the image
// (noise, full-strength grain), judged on a sample: its search over the whole
// image would then cost many times a copy for a few bytes.
bool BarelyCompresses(PngRows& rows, libdeflate_compressor* compressor)
{
    if ((rows.rowBytes() + 1) * rows.height() < kMinTrialImageBytes)
        return false;
    const std::vector<uint8_t> sample = TrialSample(rows);
    const size_t enough = sample.size() - sample.size() / kStoredBelowSaving;
    std::vector<uint8_t> out(enough);
    return libdeflate_zlib_compress(compressor, sample.data(), sample.size(), out.data(), out.size()) == 0;
}

enum class WholeEncode { written, sinkFailed, tooLarge };

// The image filtered and compressed in one call; tooLarge when either copy
// cannot be had. With `mayStore`, an image that barely compresses goes out in
// stored blocks.
WholeEncode EncodeWhole(PngRows& rows, const T3D_TEXTURE& record, const PngSink& sink, int level, bool mayStore)
{
    ByteBlock filtered, compressed;
    Compressor compressor(libdeflate_alloc_compressor(level));
    if (!compressor || !filtered.allocate((rows.rowBytes() + 1) * rows.height()))
        return WholeEncode::tooLarge;
    if (mayStore && BarelyCompresses(rows, compressor.get())) {
        compressor.reset(libdeflate_alloc_compressor(kStoredLevel));
        UnfilteredRows(rows, filtered.data());
    } else {
        FilterRows(rows, 0, rows.height(), filtered.data());
    }
    if (!compressor || !compressed.allocate(libdeflate_zlib_compress_bound(compressor.get(), filtered.size())))
        return WholeEncode::tooLarge;
    const size_t size = libdeflate_zlib_compress(compressor.get(), filtered.data(), filtered.size(), compressed.data(),
                                                 compressed.size());
    if (size == 0 || !WriteHeaderChunks(sink, rows, record))
        return size == 0 ? WholeEncode::tooLarge : WholeEncode::sinkFailed;
    for (size_t at = 0; at < size; at += kIdatChunkBytes) {
        if (!WriteChunk(sink, "IDAT", compressed.data() + at, std::min(kIdatChunkBytes, size - at)))
            return WholeEncode::sinkFailed;
    }
    return WriteChunk(sink, "IEND", nullptr, 0) ? WholeEncode::written : WholeEncode::sinkFailed;
}

// The image row by row through libspng: no copy of the whole image.
bool EncodeStreamed(PngRows& rows, const T3D_TEXTURE& record, const PngSink& sink, int level, std::string* error)
{
    std::unique_ptr<spng_ctx, SpngFree> owner(spng_ctx_new(SPNG_CTX_ENCODER));
    spng_ctx* ctx = owner.get();
    if (!ctx)
        return Fail(error, "out of memory");
    spng_ihdr ihdr = {};
    ihdr.width = rows.width();
    ihdr.height = rows.height();
    ihdr.bit_depth = 8;
    ihdr.color_type = rows.colourType();
    int result = spng_set_png_stream(ctx, WriteToSink, const_cast<PngSink*>(&sink));
    if (!result)
        result = spng_set_option(ctx, SPNG_IMG_COMPRESSION_LEVEL, std::min(level, 9));
    if (!result)
        result = spng_set_ihdr(ctx, &ihdr);
    if (!result && rows.indexed()) {
        spng_plte plte = {};
        plte.n_entries = kPaletteEntries;
        for (int i = 0; i < kPaletteEntries; ++i)
            plte.entries[i] = {record.palette[i][2], record.palette[i][1], record.palette[i][0], 0};
        result = spng_set_plte(ctx, &plte);
    }
    if (!result)
        result = spng_encode_image(ctx, nullptr, 0, SPNG_FMT_PNG, SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
    std::vector<uint8_t> scratch(rows.rowBytes());
    for (unsigned y = 0; !result && y < rows.height(); ++y) {
        result = spng_encode_row(ctx, rows.row(y, scratch.data()), rows.rowBytes());
        if (result == SPNG_EOI && y + 1 == rows.height())
            result = 0;
    }
    return result ? Fail(error, spng_strerror(result)) : true;
}

// The level asked for, or the default for the kind of PNG the rows make.
int DeflateLevel(const PngRows& rows, int asked)
{
    if (asked != kDefaultPngLevel)
        return std::clamp(asked, kMinPngLevel, kMaxPngLevel);
    return rows.alpha() || rows.indexed() ? kDefaultAlphaPngLevel : kDefaultOpaquePngLevel;
}

}  // namespace

bool EncodePngLevel(const T3D_TEXTURE& record, int level, const PngSink& sink, std::string* error,
                    const PngEncodeOptions& options)
{
    if (level < 0 || level >= record.levelCount || level >= kMaxTextureLevels || !record.levels[level] ||
        LevelWidth(record, level) == 0 || LevelHeight(record, level) == 0 || BytesPerPixel(record.depth) == 0)
        return Fail(error, "no such level");
    PngRows rows(record, level, options.layout);
    const int effort = DeflateLevel(rows, options.level);
    if ((rows.rowBytes() + 1) * rows.height() <= kMaxWholePngEncodeBytes) {
        const bool mayStore = options.level == kDefaultPngLevel;
        const WholeEncode whole = EncodeWhole(rows, record, sink, effort, mayStore);
        if (whole != WholeEncode::tooLarge)
            return whole == WholeEncode::written || Fail(error, "the file could not be written");
    }
    return EncodeStreamed(rows, record, sink, effort, error);
}
