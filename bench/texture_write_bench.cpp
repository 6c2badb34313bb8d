// Writing a 4096 x 4096 record with its eight levels, beside its limit: write()
// of the same files' bytes, already laid out, under the same names.
#include "texture_bench_support.h"

#include "texture/chain/TgaTextureWriter.h"
#include "texture/convert/MipGeneration.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr unsigned kSide = 4096;

// Depth 8, 16 as 5-5-5 and 16 as 5-6-5.
void MakeRecord(TextureRecord& holder, const benchmark::State& state)
{
    MakeBenchRecord(holder, kSide, int(state.range(0)), state.range(1) != 0);
    GenerateMipLevels(holder);
}

const char* const kNames[] = {"out.tga",   "out_1.tga", "out_2.tga", "out_3.tga",
                              "out_4.tga", "out_5.tga", "out_6.tga", "out_7.tga"};

void TgaWrite(benchmark::State& state)
{
    TextureRecord holder;
    MakeRecord(holder, state);
    const std::string path = BenchOutputFile(kNames[0]);
    SilentReport report;
    for (auto _ : state) {
        if (!TgaTextureWriter(path.c_str(), holder.record(), report))
            state.SkipWithError("write failed");
    }
}

void TgaWriteLimit(benchmark::State& state)
{
    // The writer's own files, read back, are the bytes the limit writes.
    TextureRecord holder;
    MakeRecord(holder, state);
    SilentReport report;
    if (!TgaTextureWriter(BenchOutputFile(kNames[0]).c_str(), holder.record(), report))
        state.SkipWithError("setup failed");
    std::vector<std::string> files;
    for (const char* name : kNames) {
        std::string bytes(ReadIntoFreshBuffer(BenchOutputFile(name)), '\0');
        const int fd = ::open(BenchOutputFile(name).c_str(), O_RDONLY);
        if (fd < 0 || ::read(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
            state.SkipWithError("setup failed");
        ::close(fd);
        files.push_back(std::move(bytes));
    }
    for (auto _ : state) {
        for (size_t i = 0; i < files.size(); ++i) {
            const int fd = ::open(BenchOutputFile(kNames[i]).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            if (::write(fd, files[i].data(), files[i].size()) != ssize_t(files[i].size()))
                state.SkipWithError("write failed");
            ::close(fd);
        }
    }
}

void Formats(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"depth", "565"})->UseRealTime()->Unit(benchmark::kMillisecond);
    b->Args({8, 0})->Args({16, 0})->Args({16, 1});
}

}  // namespace

BENCHMARK(TgaWrite)->Apply(Formats);
BENCHMARK(TgaWriteLimit)->Apply(Formats);
