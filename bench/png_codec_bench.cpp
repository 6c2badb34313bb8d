// PNG decoding and encoding beside their peers in the same run, on 4096 x
// 4096 images, photograph-like (soft shading with grain) and noise, RGB and
// RGBA (the arguments: 0 photograph or 1 noise, then 3 or 4 channels).
// Decoding: files as libspng writes them at zlib's default level with
// adaptive filters (as libpng-based writers do), read by ours into a texture
// record, and by libspng, stb_image and QImage, each to 8-bit RGBA in a fresh
// buffer. Encoding: ours at its default level from a texture record, beside
// libspng's encoder at zlib's default from the same pixels in PNG's byte
// order, and Pillow's save at its defaults in another process; each case
// counts the size of the file it makes.
#include "texture/png/PngDecoder.h"
#include "texture/png/PngEncoder.h"
#include "texture_bench_support.h"

#include "support/PngTestBytes.h"
#include <QImage>

#include <benchmark/benchmark.h>
#include <spng.h>
#include <stb_image.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr unsigned kSide = 4096;
constexpr size_t kPixels = size_t(kSide) * kSide;

// The image as a 32-bit record: alpha kept for 4 channels, no alpha mask for 3.
const TextureRecord& Record(int kind, int channels)
{
    static std::map<int, TextureRecord> records;
    TextureRecord& holder = records[kind * 8 + channels];
    if (holder.record().levelCount == 0) {
        if (kind == 0)
            MakePhotoRecord(holder, kSide);
        else
            MakeBenchRecord(holder, kSide, 32);
        SetStandardMasks(holder.record(), 32);
        if (channels == 3)
            holder.record().alphaMask = 0;
    }
    return holder;
}

// The same pixels in PNG's byte order: R, G, B (and A).
std::vector<uint8_t> PngOrderPixels(int kind, int channels)
{
    const uint8_t* in = Record(kind, channels).record().levels[0];
    std::vector<uint8_t> out;
    out.reserve(kPixels * unsigned(channels));
    for (size_t i = 0; i < kPixels; ++i, in += 4) {
        out.insert(out.end(), {in[2], in[1], in[0]});
        if (channels == 4)
            out.push_back(in[3]);
    }
    return out;
}

// The pixels as a picture libspng encodes at its defaults (zlib's default
// level, adaptive filters).
PngPicture PictureOf(const std::vector<uint8_t>& pixels, int channels)
{
    PngPicture picture;
    picture.width = picture.height = kSide;
    picture.colourType = channels == 4 ? 6 : 2;
    picture.rows = pixels;
    return picture;
}

const std::vector<uint8_t>& SourcePng(int kind, int channels)
{
    static std::map<int, std::vector<uint8_t>> files;
    std::vector<uint8_t>& png = files[kind * 8 + channels];
    if (png.empty())
        png = MakePng(PictureOf(PngOrderPixels(kind, channels), channels));
    return png;
}

void Finish(benchmark::State& state, size_t fileBytes)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPixels) * 4);
    state.counters["file_MiB"] = double(fileBytes) / (1 << 20);
}

void PngDecodeOurs(benchmark::State& state)
{
    const std::vector<uint8_t>& png = SourcePng(int(state.range(0)), int(state.range(1)));
    bool whole = true;
    for (auto _ : state) {
        TextureRecord holder;
        PngDecoder decoder(png.data(), png.size());
        T3D_TEXTURE& r = holder.record();
        r.width = r.height = uint16_t(kSide);
        r.depth = 32;
        r.levelCount = 1;
        uint8_t* level = holder.allocateLevel(0, LevelByteCount(r, 0));
        if (!level || decoder.decode(level) != PngStatus::ok)
            state.SkipWithError("decode failed");
        whole = whole && decoder.decodedWhole();
    }
    if (!whole)
        state.SkipWithError("decoded by libspng, not whole");
    Finish(state, png.size());
}

void PngDecodeLibspng(benchmark::State& state)
{
    const std::vector<uint8_t>& png = SourcePng(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        spng_ctx* ctx = spng_ctx_new(0);
        spng_set_png_buffer(ctx, png.data(), png.size());
        size_t size = 0;
        spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size);
        void* out = std::malloc(size);
        if (spng_decode_image(ctx, out, size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) != 0)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(out);
        std::free(out);
        spng_ctx_free(ctx);
    }
    Finish(state, png.size());
}

void PngDecodeStb(benchmark::State& state)
{
    const std::vector<uint8_t>& png = SourcePng(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        int w = 0, h = 0, n = 0;
        stbi_uc* out = stbi_load_from_memory(png.data(), int(png.size()), &w, &h, &n, 4);
        if (!out)
            state.SkipWithError("decode failed");
        stbi_image_free(out);
    }
    Finish(state, png.size());
}

void PngDecodeQImage(benchmark::State& state)
{
    const std::vector<uint8_t>& png = SourcePng(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        const QImage image = QImage::fromData(png.data(), int(png.size()), "PNG");
        if (image.isNull())
            state.SkipWithError("decode failed");
    }
    Finish(state, png.size());
}

void PngEncodeOurs(benchmark::State& state)
{
    const T3D_TEXTURE& record = Record(int(state.range(0)), int(state.range(1))).record();
    std::vector<uint8_t> png;
    png.reserve(kPixels * 4 + (1 << 20));
    for (auto _ : state) {
        png.clear();
        const bool written = EncodePngLevel(record, 0, [&png](const void* bytes, size_t size) {
            png.insert(png.end(), static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + size);
            return true;
        });
        if (!written)
            state.SkipWithError("encode failed");
    }
    Finish(state, png.size());
}

void PngEncodeLibspng(benchmark::State& state)
{
    const int channels = int(state.range(1));
    const PngPicture picture = PictureOf(PngOrderPixels(int(state.range(0)), channels), channels);
    size_t size = 0;
    for (auto _ : state) {
        size = MakePng(picture).size();
        if (size == 0)
            state.SkipWithError("encode failed");
    }
    Finish(state, size);
}

// Pillow's save of the same pixels at its defaults (zlib's default level,
// adaptive filters), in a child process: Debian's python3 with python3-pil
// reads the raw pixels from a file and times its own save (the CPU time it
// took, Pillow's save being one-threaded, so that other work on the machine
// does not count) to a file in memory: the iteration's time. Interpreter
// start-up and the raw read are not counted. Compare with the CPU time of
// the other encode cases.
void PngEncodePillow(benchmark::State& state)
{
    const int channels = int(state.range(1));
    const std::vector<uint8_t> pixels = PngOrderPixels(int(state.range(0)), channels);
    const std::string raw = "/dev/shm/quorrel-bench-pillow.raw", png = "/dev/shm/quorrel-bench-pillow.png";
    FILE* file = std::fopen(raw.c_str(), "wb");
    const bool written = file && std::fwrite(pixels.data(), 1, pixels.size(), file) == pixels.size();
    if (!file || std::fclose(file) != 0 || !written)
        return state.SkipWithError("the raw pixels could not be written");
    const std::string command =
        "/usr/bin/python3 -c 'import sys, time, os\n"
        "from PIL import Image\n"
        "image = Image.frombytes(sys.argv[1], (int(sys.argv[2]),) * 2, open(sys.argv[3], \"rb\").read())\n"
        "start = time.process_time()\n"
        "image.save(sys.argv[4], \"PNG\")\n"
        "print(time.process_time() - start, os.path.getsize(sys.argv[4]))' " +
        std::string(channels == 4 ? "RGBA " : "RGB ") + std::to_string(kSide) + " " + raw + " " + png;
    size_t size = 0;
    for (auto _ : state) {
        FILE* child = ::popen(command.c_str(), "r");
        double seconds = 0;
        const bool timed = child && std::fscanf(child, "%lf %zu", &seconds, &size) == 2;
        if (!child || ::pclose(child) != 0 || !timed) {
            state.SkipWithError("Pillow's save failed (make bench installs python3-pil)");
            break;
        }
        state.SetIterationTime(seconds);
    }
    std::remove(raw.c_str());
    std::remove(png.c_str());
    Finish(state, size);
}

void ImageArgs(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"noise", "channels"});
    for (int kind : {0, 1})
        for (int channels : {3, 4})
            b->Args({kind, channels});
    b->Unit(benchmark::kMillisecond);
}

void Images(benchmark::internal::Benchmark* b)
{
    ImageArgs(b);
    b->UseRealTime();
}

}  // namespace

BENCHMARK(PngDecodeOurs)->Apply(Images);
BENCHMARK(PngDecodeLibspng)->Apply(Images);
BENCHMARK(PngDecodeStb)->Apply(Images);
BENCHMARK(PngDecodeQImage)->Apply(Images);
BENCHMARK(PngEncodeOurs)->Apply(Images);
BENCHMARK(PngEncodeLibspng)->Apply(Images);
BENCHMARK(PngEncodePillow)->Apply(ImageArgs)->UseManualTime();
