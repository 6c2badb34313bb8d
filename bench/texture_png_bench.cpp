// 8-bit conversion beside its limit in the same run: a 2048 x 2048 chain
// (level 0 and its generated levels) to 8 bits, beside libimagequant
// quantising and remapping level 0 alone. (PNG decoding and encoding beside
// their peers: png_codec_bench.cpp.)
#include "texture/convert/DepthConversion.h"
#include "texture/convert/MipGeneration.h"
#include "texture/png/PngDecoder.h"
#include "texture/png/PngEncoder.h"
#include "texture_bench_support.h"

#include <benchmark/benchmark.h>
#include <libimagequant.h>
#include <spng.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// A 2048 x 2048 photograph-like PNG.
const std::vector<uint8_t>& PhotoPng2048()
{
    static std::vector<uint8_t> bytes;
    if (bytes.empty()) {
        TextureRecord holder;
        MakePhotoRecord(holder, 2048);
        EncodePngLevel(holder.record(), 0, [&](const void* data, size_t size) {
            bytes.insert(bytes.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
            return true;
        });
    }
    return bytes;
}

// The 2048 x 2048 PNG read into a record with its generated levels.
void ReadChain2048(TextureRecord& holder)
{
    const std::vector<uint8_t>& png = PhotoPng2048();
    PngDecoder decoder(png.data(), png.size());
    holder.clear();
    T3D_TEXTURE& r = holder.record();
    r.width = r.height = 2048;
    r.depth = 32;
    r.levelCount = 1;
    SetStandardMasks(r, 32);
    decoder.decode(holder.allocateLevel(0, LevelByteCount(r, 0)));
    GenerateMipLevels(holder);
}

void ConvertTo8Bit(benchmark::State& state)
{
    SilentReport report;
    for (auto _ : state) {
        state.PauseTiming();
        TextureRecord holder;
        ReadChain2048(holder);
        state.ResumeTiming();
        if (!ConvertRgbaChain(holder, {8, false, true}, "bench.png", report))
            state.SkipWithError("conversion failed");
    }
}

// The limit: libimagequant on level 0 alone (made opaque), quantised and
// remapped, dithered.
void ConvertTo8BitLimit(benchmark::State& state)
{
    const std::vector<uint8_t>& png = PhotoPng2048();
    spng_ctx* ctx = spng_ctx_new(0);
    spng_set_png_buffer(ctx, png.data(), png.size());
    std::vector<uint8_t> rgba(2048 * 2048 * 4), indices(2048 * 2048);
    spng_decode_image(ctx, rgba.data(), rgba.size(), SPNG_FMT_RGBA8, 0);
    spng_ctx_free(ctx);
    for (size_t i = 3; i < rgba.size(); i += 4)
        rgba[i] = 255;  // an 8-bit texture keeps no alpha: ours quantises opaque pixels too
    for (auto _ : state) {
        liq_attr* attr = liq_attr_create();
        liq_image* image = liq_image_create_rgba(attr, rgba.data(), 2048, 2048, 0);
        liq_result* result = nullptr;
        if (liq_image_quantize(image, attr, &result) != LIQ_OK)
            state.SkipWithError("quantise failed");
        liq_set_dithering_level(result, 1.0f);
        liq_write_remapped_image(result, image, indices.data(), indices.size());
        liq_result_destroy(result);
        liq_image_destroy(image);
        liq_attr_destroy(attr);
    }
}

}  // namespace

BENCHMARK(ConvertTo8Bit)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertTo8BitLimit)->UseRealTime()->Unit(benchmark::kMillisecond);
