// Loading and writing a scene of about 1 GiB (48 textures of 2048 x 2048 at
// 32 bits, eight levels each) beside their floors: read() and write() of the
// same number of bytes, in the same run. Both write sides flush to disk, as
// Write always does. The "of_floor" counter is the scene's throughput as a
// share of its floor's; load and write must each stay at 0.5 or more.
//
// Files go to $QUORREL_BENCH_DIR, or the system's temporary folder, and are
// removed at exit. Run with --benchmark_filter=Scene; each case moves
// gigabytes.
#include "scene/CVK7QScene.h"
#include "scene/Checksum.h"
#include "texture/TextureRecord.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kTextures = 48;
constexpr uint16_t kSide = 2048;
constexpr int kLevels = 8;

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The scene file, written once, and a warm buffer of its size for the floors.
class BigScene {
public:
    BigScene()
    {
        const char* base = std::getenv("QUORREL_BENCH_DIR");
        std::error_code ec;
        std::string pattern = ((base ? fs::path(base) : fs::temp_directory_path(ec)) / "quorrel-scene-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            folder_ = pattern;
        sceneFile = (folder_ / "big.T3D").string();

        TextureRecord texture;
        T3D_TEXTURE& r = texture.record();
        r.width = r.height = kSide;
        r.depth = 32;
        r.redMask = 0xFF0000;
        r.greenMask = 0xFF00;
        r.blueMask = 0xFF;
        r.alphaMask = 0xFF000000;
        r.flags = 0x01;
        r.levelCount = kLevels;
        CVK7QScene scene;
        for (int i = 0; i < kTextures; ++i) {
            for (int level = 0; level < kLevels; ++level) {
                const uint64_t bytes = LevelByteCount(r, level);
                uint8_t* pixels = texture.allocateLevel(level, bytes);
                for (uint64_t p = 0; p < bytes; ++p)
                    pixels[p] = uint8_t(p * 7 + i + level);
            }
            std::snprintf(r.name, sizeof r.name, "texture_%02d", i);
            scene.AppendT3DTexture(&r);
        }
        scene.GenerateC3D();
        scene.Write(sceneFile.c_str());
        struct stat info;
        stat(sceneFile.c_str(), &info);
        bytes = size_t(info.st_size);
        buffer = static_cast<uint8_t*>(std::malloc(bytes));
        std::memset(buffer, 1, bytes);
    }

    ~BigScene()
    {
        std::free(buffer);
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }

    std::string file(const char* name) const { return (folder_ / name).string(); }

    std::string sceneFile;
    size_t bytes = 0;
    uint8_t* buffer = nullptr;
    // Seconds per iteration of each floor, for the scene cases that follow it.
    double readSeconds = 0;
    double writeSeconds = 0;

private:
    fs::path folder_;
};

BigScene& Big()
{
    static BigScene big;
    return big;
}

bool ReadAll(const std::string& path, uint8_t* into, size_t bytes)
{
    const int fd = open(path.c_str(), O_RDONLY);
    size_t done = 0;
    while (fd >= 0 && done < bytes) {
        const ssize_t got = read(fd, into + done, bytes - done);
        if (got <= 0)
            break;
        done += size_t(got);
    }
    close(fd);
    return done == bytes;
}

bool WriteAllAndFlush(const std::string& path, const uint8_t* from, size_t bytes)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    size_t done = 0;
    while (fd >= 0 && done < bytes) {
        const ssize_t put = write(fd, from + done, bytes - done);
        if (put <= 0)
            break;
        done += size_t(put);
    }
    const bool flushed = fd >= 0 && fsync(fd) == 0;
    close(fd);
    return flushed && done == bytes;
}

void Finish(benchmark::State& state, size_t bytes, double seconds, double* store, double floorSeconds)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
    const double perIteration = seconds / double(state.iterations());
    if (store)
        *store = perIteration;
    if (floorSeconds > 0)
        state.counters["of_floor"] = floorSeconds / perIteration;
}

void BM_SceneFloorRead(benchmark::State& state)
{
    BigScene& big = Big();
    double seconds = 0;
    for (auto _ : state) {
        const double start = Now();
        if (!ReadAll(big.sceneFile, big.buffer, big.bytes))
            state.SkipWithError("read failed");
        seconds += Now() - start;
    }
    Finish(state, big.bytes, seconds, &big.readSeconds, 0);
}

void BM_SceneLoad(benchmark::State& state)
{
    BigScene& big = Big();
    double seconds = 0;
    for (auto _ : state) {
        CVK7QScene scene;
        const double start = Now();
        if (!scene.Load(big.sceneFile.c_str(), 0))
            state.SkipWithError("load failed");
        seconds += Now() - start;
        state.PauseTiming();  // freeing the scene is not part of loading it
        scene.Free();
        state.ResumeTiming();
    }
    Finish(state, big.bytes, seconds, nullptr, big.readSeconds);
}

void BM_SceneFloorWrite(benchmark::State& state)
{
    BigScene& big = Big();
    const std::string path = big.file("floor.bin");
    double seconds = 0;
    for (auto _ : state) {
        const double start = Now();
        if (!WriteAllAndFlush(path, big.buffer, big.bytes))
            state.SkipWithError("write failed");
        seconds += Now() - start;
    }
    unlink(path.c_str());
    Finish(state, big.bytes, seconds, &big.writeSeconds, 0);
}

void BM_SceneWrite(benchmark::State& state)
{
    BigScene& big = Big();
    CVK7QScene scene;
    scene.Load(big.sceneFile.c_str(), 0);
    const std::string path = big.file("written.T3D");
    double seconds = 0;
    for (auto _ : state) {
        const double start = Now();
        if (!scene.Write(path.c_str()))
            state.SkipWithError("write failed");
        seconds += Now() - start;
    }
    unlink(path.c_str());
    Finish(state, big.bytes, seconds, nullptr, big.writeSeconds);
}

// The editor's save: derived data generated afresh (every pixel checksummed),
// then written.
void BM_SceneGenerateAndWrite(benchmark::State& state)
{
    BigScene& big = Big();
    CVK7QScene scene;
    scene.Load(big.sceneFile.c_str(), 0);
    const std::string path = big.file("generated.T3D");
    double seconds = 0;
    for (auto _ : state) {
        const double start = Now();
        if (!scene.GenerateC3D() || !scene.Write(path.c_str()))
            state.SkipWithError("write failed");
        seconds += Now() - start;
    }
    unlink(path.c_str());
    Finish(state, big.bytes, seconds, nullptr, big.writeSeconds);
}

// A scene of many small sections: one checksum each, all on this thread.
void BM_ChecksumsOfSmallSections(benchmark::State& state)
{
    constexpr size_t kSections = 400000, kSectionBytes = 64;
    std::vector<uint8_t> bytes(kSections * kSectionBytes, 0x5A);
    for (auto _ : state) {
        uint32_t crc = 0;
        for (size_t i = 0; i < kSections; ++i)
            crc ^= Crc32(bytes.data() + i * kSectionBytes, kSectionBytes);
        benchmark::DoNotOptimize(crc);
    }
}

}  // namespace

BENCHMARK(BM_ChecksumsOfSmallSections)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SceneFloorRead)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SceneLoad)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SceneFloorWrite)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SceneWrite)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SceneGenerateAndWrite)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
