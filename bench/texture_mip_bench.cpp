// Generating levels 1 to 7 of a 4096 x 4096 record, beside its limit: memcpy
// of the same output bytes into buffers allocated the same way. Point
// sampling (box 0) and the box filter (box 1).
#include "texture_bench_support.h"

#include "texture/convert/MipGeneration.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr unsigned kSide = 4096;

void MipGenerate(benchmark::State& state)
{
    TextureRecord holder;
    MakeBenchRecord(holder, kSide, int(state.range(0)));
    if (state.range(0) == 32)
        SetStandardMasks(holder.record(), 32);  // alpha weights for the box filter
    const MipFilter filter = state.range(1) ? MipFilter::box : MipFilter::point;
    for (auto _ : state) {
        holder.record().levelCount = 1;  // the next call replaces levels 1 to 7
        if (!GenerateMipLevels(holder, filter) || holder.record().levelCount != 8)
            state.SkipWithError("generation failed");
    }
}

void MipGenerateLimit(benchmark::State& state)
{
    TextureRecord holder;
    MakeBenchRecord(holder, kSide, int(state.range(0)));
    T3D_TEXTURE& r = holder.record();
    for (auto _ : state) {
        for (int level = 1; level < kMaxTextureLevels; ++level) {
            const uint64_t bytes = LevelByteCount(r, level);
            uint8_t* dest = holder.allocateLevel(level, bytes);
            std::memcpy(dest, r.levels[0], size_t(bytes));
        }
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK(MipGenerate)
    ->ArgNames({"depth", "box"})
    ->Args({8, 0})
    ->Args({32, 0})
    ->Args({32, 1})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(MipGenerateLimit)->ArgName("depth")->Arg(8)->Arg(32)->UseRealTime()->Unit(benchmark::kMillisecond);
