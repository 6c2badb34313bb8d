// Reading TGA files, each case beside its limits on the same file: read() of
// the file's bytes into a fresh buffer (malloc'd, and page-aligned), and
// stb_image's stbi_load for 24 and 32 bits. The reader's figure includes generating the levels the file does
// not hold, as every read does.
#include "texture_bench_support.h"

#include "texture/chain/TgaTextureReader.h"

#include <benchmark/benchmark.h>
#include <stb_image.h>

#include <string>

namespace {

std::string FileFor(const benchmark::State& state)
{
    const int depth = int(state.range(0));
    const unsigned side = unsigned(state.range(1));
    return BenchTgaFile("read" + std::to_string(depth) + "x" + std::to_string(side) + ".tga", side, depth);
}

void TgaRead(benchmark::State& state)
{
    const std::string path = FileFor(state);
    TextureRecord holder;
    SilentReport report;
    for (auto _ : state) {
        if (!TgaTextureReader(path.c_str(), holder, report))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(holder.record().levels[0]);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(ReadIntoFreshBuffer(path)));
}

void TgaReadLimit(benchmark::State& state)
{
    const std::string path = FileFor(state);
    size_t bytes = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(bytes = ReadIntoFreshBuffer(path));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void TgaReadLimitAligned(benchmark::State& state)
{
    const std::string path = FileFor(state);
    size_t bytes = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(bytes = ReadIntoFreshBuffer(path, true));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void TgaReadStb(benchmark::State& state)
{
    const std::string path = FileFor(state);
    for (auto _ : state) {
        int w = 0, h = 0, channels = 0;
        unsigned char* pixels = stbi_load(path.c_str(), &w, &h, &channels, 0);
        if (!pixels)
            state.SkipWithError("stbi_load failed");
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(ReadIntoFreshBuffer(path)));
}

// A 1024 x 1024 32-bit chain with its files for levels 0 to 6 (1024 to 16).
const char* const kChainNames[] = {"chain.tga",   "chain_1.tga", "chain_2.tga", "chain_3.tga",
                                   "chain_4.tga", "chain_5.tga", "chain_6.tga"};

std::string MakeChain()
{
    for (int level = 0; level < 7; ++level)
        BenchTgaFile(kChainNames[level], 1024u >> level, 32);
    return BenchFile(kChainNames[0]);
}

void TgaReadChain(benchmark::State& state)
{
    const std::string path = MakeChain();
    TextureRecord holder;
    SilentReport report;
    for (auto _ : state) {
        if (!TgaTextureReader(path.c_str(), holder, report) || holder.record().levelCount != 8)
            state.SkipWithError("chain not read");
    }
}

void TgaReadChainLimit(benchmark::State& state)
{
    MakeChain();
    for (auto _ : state) {
        for (const char* name : kChainNames)
            benchmark::DoNotOptimize(ReadIntoFreshBuffer(BenchFile(name)));
    }
}

void Sizes(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"depth", "side"})->UseRealTime()->Unit(benchmark::kMillisecond);
    for (int side : {1024, 4096})
        for (int depth : {8, 16, 24, 32})
            b->Args({depth, side});
}

}  // namespace

BENCHMARK(TgaRead)->Apply(Sizes);
BENCHMARK(TgaReadLimit)->Apply(Sizes);
BENCHMARK(TgaReadLimitAligned)->Apply(Sizes);
BENCHMARK(TgaReadStb)->Apply(Sizes);
BENCHMARK(TgaReadChain)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(TgaReadChainLimit)->UseRealTime()->Unit(benchmark::kMillisecond);
