// Writing a 4096 x 4096 record with all its levels as one DDS file, beside its
// limit: write() of the same file's bytes, already laid out, under the same
// name.
#include "texture_bench_support.h"

#include "texture/chain/DdsTextureWriter.h"
#include "texture/convert/MipGeneration.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <string>
#include <unistd.h>

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
    std::string bytes(ReadIntoFreshBuffer(path), '\0');
    const int in = ::open(path.c_str(), O_RDONLY);
    if (in < 0 || ::read(in, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
        state.SkipWithError("setup failed");
    ::close(in);
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
            state.SkipWithError("write failed");
        ::close(fd);
    }
}

void Formats(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"depth", "565"})->UseRealTime()->Unit(benchmark::kMillisecond);
    b->Args({32, 0})->Args({16, 1});
}

}  // namespace

BENCHMARK(DdsWrite)->Apply(Formats);
BENCHMARK(DdsWriteLimit)->Apply(Formats);
