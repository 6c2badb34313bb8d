// Replace after the preview read a chain: a 2048 x 2048 photograph-like PNG
// (one file, its levels generated) made into a scene texture of each depth
// from its files as read (ReplaceFromFilesRead), beside reading it again
// converted (ReplaceReadAgain, what Replace did before). Before converting,
// Replace checks the chain's files against the stamps and CRC-32s taken at
// the read (ReplaceStampCheck), beside a read() of the file (its limit). How
// soon a conversion to 8 bits stops once cancelled (ReplaceCancel, the
// counter "stopped_ms": from the cancel to the conversion's end). What a
// conversion costs each level against the chain as read (ReplaceCost: PSNR
// and largest error over every level), which the window works out with the
// conversion, beside the conversion itself (ReplaceFromFilesRead).
#include "editor/ChainWatch.h"
#include "texture/chain/PngTextureWriter.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/convert/ConversionCost.h"
#include "texture_bench_support.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr unsigned kSide = 2048;

const std::string& PhotoChain()
{
    static const std::string path = [] {
        const std::string file = BenchFile("replace_A.png");
        TextureRecord holder;
        MakePhotoRecord(holder, kSide);
        SilentReport report;
        if (!PngTextureWriter(file.c_str(), holder.record(), report))
            std::fprintf(stderr, "can't write the benchmark file %s\n", file.c_str());
        return file;
    }();
    return path;
}

TextureReadOptions ToDepth(int depth)
{
    TextureReadOptions options;
    if (depth != 32)
        options.convertTo = DepthOptions{unsigned(depth)};
    return options;
}

void ReplaceFromFilesRead(benchmark::State& state)
{
    SilentReport report;
    ChainFiles files;
    if (!ReadChainFiles(PhotoChain(), files, report))
        state.SkipWithError("read failed");
    const TextureReadOptions options = ToDepth(int(state.range(0)));
    for (auto _ : state) {
        TextureRecord holder;
        if (!CompleteChain(files, holder, report, options, PhotoChain()))
            state.SkipWithError("conversion failed");
    }
}

void ReplaceReadAgain(benchmark::State& state)
{
    SilentReport report;
    const TextureReadOptions options = ToDepth(int(state.range(0)));
    for (auto _ : state) {
        TextureRecord holder;
        if (!ReadTextureChain(PhotoChain(), holder, report, options))
            state.SkipWithError("read failed");
    }
}

void ReplaceStampCheck(benchmark::State& state)
{
    const std::vector<std::string> names = ChainWatch::ChainNames(QString::fromStdString(PhotoChain()));
    for (auto _ : state)
        benchmark::DoNotOptimize(ChainWatch::StampsOf(names, true));
}

void ReplaceStampCheckLimit(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadIntoFreshBuffer(PhotoChain()));
}

void ReplaceCancel(benchmark::State& state)
{
    SilentReport report;
    ChainFiles files;
    if (!ReadChainFiles(PhotoChain(), files, report))
        state.SkipWithError("read failed");
    double stopped = 0;
    for (auto _ : state) {
        std::atomic<bool> cancel{false};
        TextureReadOptions options = ToDepth(8);
        options.cancel = &cancel;
        std::thread conversion([&] {
            TextureRecord holder;
            benchmark::DoNotOptimize(CompleteChain(files, holder, report, options, PhotoChain()));
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const auto cancelled = std::chrono::steady_clock::now();
        cancel = true;
        conversion.join();
        stopped += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - cancelled).count();
    }
    state.counters["stopped_ms"] = benchmark::Counter(stopped, benchmark::Counter::kAvgIterations);
}

void ReplaceCost(benchmark::State& state)
{
    SilentReport report;
    ChainFiles files;
    TextureRecord asRead, converted;
    if (!ReadChainFiles(PhotoChain(), files, report) || !CompleteChain(files, asRead, report, {}, PhotoChain()) ||
        !CompleteChain(files, converted, report, ToDepth(int(state.range(0))), PhotoChain()))
        state.SkipWithError("read failed");
    for (auto _ : state)
        benchmark::DoNotOptimize(ConversionCost(asRead.record(), converted.record()));
}

}  // namespace

BENCHMARK(ReplaceCost)->ArgName("depth")->Arg(8)->Arg(16)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ReplaceFromFilesRead)
    ->ArgName("depth")
    ->Arg(8)
    ->Arg(16)
    ->Arg(32)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ReplaceReadAgain)->ArgName("depth")->Arg(8)->Arg(16)->Arg(32)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ReplaceStampCheck)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ReplaceStampCheckLimit)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ReplaceCancel)->UseRealTime()->Iterations(5)->Unit(benchmark::kMillisecond);
