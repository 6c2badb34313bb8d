// Writing a 4096 x 4096 record with all its levels as one DDS file, beside its
// limit: write() of the same file's bytes, already laid out, under the same
// name.
#include "texture_bench_support.h"

#include "texture/chain/DdsTextureWriter.h"
#include "texture/convert/MipGeneration.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr unsigned kSide = 4096;

// Depth 32, and 16 as 5-6-5.
void MakeRecord(TextureRecord& holder, const benchmark::State& state)
{
    MakeBenchRecord(holder, kSide, int(state.range(0)), state.range(1) != 0);
    GenerateMipLevels(holder);
}

std::string OutputPath()
{
    return BenchOutputFile("out.dds");
}

void DdsWrite(benchmark::State& state)
{
    TextureRecord holder;
    MakeRecord(holder, state);
    const std::string path = OutputPath();
    SilentReport report;
    for (auto _ : state) {
        if (!DdsTextureWriter(path.c_str(), holder.record(), report))
            state.SkipWithError("write failed");
    }
    state.counters["levels"] = holder.record().levelCount;
}

void DdsWriteLimit(benchmark::State& state)
{
    // The writer's own file, read back, is the bytes the limit writes.
    TextureRecord holder;
    MakeRecord(holder, state);
    const std::string path = OutputPath();
    SilentReport report;
    if (!DdsTextureWriter(path.c_str(), holder.record(), report))
        state.SkipWithError("setup failed");
    const std::string bytes = FileBytes(path);
    if (bytes.empty())
        state.SkipWithError("setup failed");
    for (auto _ : state)
        if (!WriteWhole(path, bytes))
            state.SkipWithError("write failed");
}

void Formats(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"depth", "565"})->UseRealTime()->Unit(benchmark::kMillisecond);
    b->Args({32, 0})->Args({16, 1});
}

}  // namespace

BENCHMARK(DdsWrite)->Apply(Formats);
BENCHMARK(DdsWriteLimit)->Apply(Formats);
