// The TGA writer beside stb_image_write's TGA writer on the same pixels, in
// the same run: one 4096 x 4096 level of 24 and 32 bits, beside write() of the
// bytes our writer makes. (stb_image's loader sits with the reading cases.)
#include "texture_bench_support.h"

#include "texture/chain/TgaTextureWriter.h"

#include <benchmark/benchmark.h>
#include <stb_image_write.h>

#include <string>

namespace {

constexpr unsigned kWriteSide = 4096;

// One level of 24 or 32 bits: our writer's case.
void TgaWriteOneLevel(benchmark::State& state)
{
    TextureRecord holder;
    MakeBenchRecord(holder, kWriteSide, int(state.range(0)));
    const std::string path = BenchOutputFile("compare_ours.tga");
    SilentReport report;
    for (auto _ : state) {
        if (!TgaTextureWriter(path.c_str(), holder.record(), report))
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(ReadIntoFreshBuffer(path)));
}

// The limit: write() of the file our writer made, whole, in one call.
void TgaWriteOneLevelLimit(benchmark::State& state)
{
    TextureRecord holder;
    MakeBenchRecord(holder, kWriteSide, int(state.range(0)));
    const std::string path = BenchOutputFile("compare_limit.tga");
    SilentReport report;
    if (!TgaTextureWriter(path.c_str(), holder.record(), report))
        state.SkipWithError("setup failed");
    const std::string bytes = FileBytes(path);
    if (bytes.empty())
        state.SkipWithError("setup failed");
    for (auto _ : state)
        if (!WriteWhole(path, bytes))
            state.SkipWithError("write failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

// stb_image_write, uncompressed, from the same pixels.
void StbWriteTga(benchmark::State& state)
{
    const int depth = int(state.range(0));
    TextureRecord holder;
    MakeBenchRecord(holder, kWriteSide, depth);
    const std::string path = BenchOutputFile("compare_stb.tga");
    stbi_write_tga_with_rle = 0;
    for (auto _ : state) {
        if (!stbi_write_tga(path.c_str(), int(kWriteSide), int(kWriteSide), depth / 8, holder.record().levels[0]))
            state.SkipWithError("stbi_write_tga failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(ReadIntoFreshBuffer(path)));
}

void WriteDepths(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"depth"})->UseRealTime()->Unit(benchmark::kMillisecond)->Arg(24)->Arg(32);
}

}  // namespace

BENCHMARK(TgaWriteOneLevel)->Apply(WriteDepths);
BENCHMARK(TgaWriteOneLevelLimit)->Apply(WriteDepths);
BENCHMARK(StbWriteTga)->Apply(WriteDepths);
