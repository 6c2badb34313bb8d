#include "texture/png/PngEncoder.h"

#include "texture/convert/PixelExpansion.h"

#include <spng.h>

#include <memory>
#include <vector>

namespace {

struct SpngFree {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
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

}  // namespace

bool EncodePngLevel(const T3D_TEXTURE& record, int level, const PngSink& sink, std::string* error, PngLayout layout)
{
    const unsigned width = LevelWidth(record, level), height = LevelHeight(record, level);
    const unsigned bytesPerPixel = BytesPerPixel(record.depth);
    if (level < 0 || level >= record.levelCount || level >= kMaxTextureLevels || !record.levels[level] || width == 0 ||
        height == 0 || bytesPerPixel == 0)
        return Fail(error, "no such level");

    std::unique_ptr<spng_ctx, SpngFree> owner(spng_ctx_new(SPNG_CTX_ENCODER));
    spng_ctx* ctx = owner.get();
    if (!ctx)
        return Fail(error, "out of memory");
    spng_ihdr ihdr = {};
    ihdr.width = width;
    ihdr.height = height;
    ihdr.bit_depth = 8;
    const bool indexed = record.depth == 8 && layout == PngLayout::ofDepth;
    const bool alpha = (!indexed && record.alphaMask != 0) || layout == PngLayout::rgba;
    ihdr.color_type = alpha     ? SPNG_COLOR_TYPE_TRUECOLOR_ALPHA
                      : indexed ? SPNG_COLOR_TYPE_INDEXED
                                : SPNG_COLOR_TYPE_TRUECOLOR;
    int result = spng_set_png_stream(ctx, WriteToSink, const_cast<PngSink*>(&sink));
    if (!result)
        result = spng_set_ihdr(ctx, &ihdr);
    if (!result && indexed) {
        spng_plte plte = {};
        plte.n_entries = kPaletteEntries;
        for (int i = 0; i < kPaletteEntries; ++i)
            plte.entries[i] = {record.palette[i][2], record.palette[i][1], record.palette[i][0], 0};
        result = spng_set_plte(ctx, &plte);
    }
    if (!result)
        result = spng_encode_image(ctx, nullptr, 0, SPNG_FMT_PNG, SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);

    const size_t rowPixels = width;
    const size_t pngRowBytes = indexed ? rowPixels : rowPixels * (alpha ? 4 : 3);
    std::vector<uint32_t> argb(indexed ? 0 : rowPixels);
    std::vector<uint8_t> row(indexed ? 0 : pngRowBytes);
    const PixelExpander expander(record);
    const uint8_t* in = record.levels[level];
    for (unsigned y = 0; !result && y < height; ++y, in += rowPixels * bytesPerPixel) {
        const void* out = in;
        if (!indexed) {
            expander.expand(in, argb.data(), rowPixels);
            ToPngBytes(argb.data(), row.data(), rowPixels, alpha);
            out = row.data();
        }
        result = spng_encode_row(ctx, out, pngRowBytes);
        if (result == SPNG_EOI && y + 1 == height)
            result = 0;
    }
    return result ? Fail(error, spng_strerror(result)) : true;
}
