// Loading and writing a scene of about 1 GiB (48 textures of 2048 x 2048 at
// 32 bits, eight levels each) beside their floors, five times each by turns:
// read() of the file into a freshly allocated buffer, and write() + fsync of
// the same number of bytes (both write sides flush to disk, as Write always
// does). Each case's time is its median; "of_floor" is the floor's median over
// ours, and must stay at 0.8 or more for the load and the write.
//
// Files go to $QUORREL_BENCH_DIR, or the system's temporary folder, and are
// removed at exit. Run with --benchmark_filter=Scene; each case moves
// gigabytes.
#include "scene/CVK7QScene.h"
#include "scene/Checksum.h"
#include "scene/SceneOutline.h"
#include "texture/T3DTexture.h"
#include "texture/TextureRecord.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kTextures = 48;
constexpr uint16_t kSide = 2048;
constexpr int kLevels = 8;
// Each case and its floor run this many times; medians are reported.
constexpr int kRounds = 5;

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
        SetStandardMasks(r, 32);
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

// Seconds one call took, or a negative number when it failed.
using TimedCall = std::function<double()>;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the floor and ours by turns, kRounds times each after one round not
// counted, so that both meet the same state of the disk and the machine. (On a
// virtual machine, memory the system has not used before costs the host's
// page faults on first touch: the first round pays for that.) The case's time
// is ours' median; "floor_ms" is the floor's median and "of_floor" floor /
// ours. Returns ours' median in seconds.
double Alternate(benchmark::State& state, size_t bytes, const TimedCall& floor, const TimedCall& ours)
{
    double ourMedian = 0;
    for (auto _ : state) {
        std::vector<double> floorSeconds, ourSeconds;
        for (int round = -1; round < kRounds; ++round) {
            floorSeconds.push_back(floor());
            ourSeconds.push_back(ours());
            if (floorSeconds.back() < 0 || ourSeconds.back() < 0) {
                state.SkipWithError("a read or write failed");
                return 0;
            }
            if (round < 0) {
                floorSeconds.clear();
                ourSeconds.clear();
            }
        }
        const double floorMedian = Median(floorSeconds);
        ourMedian = Median(ourSeconds);
        state.SetIterationTime(ourMedian);
        state.counters["floor_ms"] = floorMedian * 1000;
        state.counters["of_floor"] = floorMedian / ourMedian;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
    return ourMedian;
}

double Timed(const std::function<bool()>& call)
{
    const double start = Now();
    const bool done = call();
    return done ? Now() - start : -1;
}

// read() into a buffer freshly allocated for it, as a load must fill one.
double FloorReadFresh(const BigScene& big)
{
    uint8_t* fresh = nullptr;
    const double seconds = Timed([&] {
        fresh = static_cast<uint8_t*>(std::malloc(big.bytes));
        return fresh && ReadAll(big.sceneFile, fresh, big.bytes);
    });
    std::free(fresh);
    return seconds;
}

double TimedLoad(const BigScene& big)
{
    CVK7QScene scene;
    return Timed([&] { return scene.Load(big.sceneFile.c_str(), 0) != 0; });
}

// Loading, beside read() into a fresh buffer, then into a warm one (the
// second ratio, "of_warm", for the cost of filling fresh memory).
void BM_SceneLoad(benchmark::State& state)
{
    BigScene& big = Big();
    const double loadSeconds = Alternate(
        state, big.bytes, [&] { return FloorReadFresh(big); }, [&] { return TimedLoad(big); });
    std::vector<double> warm;
    for (int round = 0; round < kRounds; ++round)
        warm.push_back(Timed([&] { return ReadAll(big.sceneFile, big.buffer, big.bytes); }));
    if (loadSeconds > 0)
        state.counters["of_warm"] = Median(warm) / loadSeconds;
}

// The outline that `list` reads (every checksum checked, no pixels held)
// beside the whole load of the same file: here "of_floor" is the load's
// median over the outline's.
void BM_SceneOutline(benchmark::State& state)
{
    BigScene& big = Big();
    Alternate(
        state, big.bytes, [&] { return TimedLoad(big); },
        [&] {
            SceneOutline outline;
            return Timed([&] { return outline.Load(big.sceneFile.c_str()) != 0; });
        });
}

// Writing (every checksum already known, as after a load), beside write() +
// fsync of the same bytes; both flush to disk.
void BM_SceneWrite(benchmark::State& state)
{
    BigScene& big = Big();
    CVK7QScene scene;
    scene.Load(big.sceneFile.c_str(), 0);
    const std::string floorPath = big.file("floor.bin"), path = big.file("written.T3D");
    Alternate(
        state, big.bytes, [&] { return Timed([&] { return WriteAllAndFlush(floorPath, big.buffer, big.bytes); }); },
        [&] { return Timed([&] { return scene.Write(path.c_str()) != 0; }); });
    unlink(floorPath.c_str());
    unlink(path.c_str());
}

// The editor's save: derived data generated afresh (every pixel checksummed),
// then written.
void BM_SceneGenerateAndWrite(benchmark::State& state)
{
    BigScene& big = Big();
    CVK7QScene scene;
    scene.Load(big.sceneFile.c_str(), 0);
    const std::string floorPath = big.file("floor.bin"), path = big.file("generated.T3D");
    Alternate(
        state, big.bytes, [&] { return Timed([&] { return WriteAllAndFlush(floorPath, big.buffer, big.bytes); }); },
        [&] { return Timed([&] { return scene.GenerateC3D() && scene.Write(path.c_str()); }); });
    unlink(floorPath.c_str());
    unlink(path.c_str());
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
BENCHMARK(BM_SceneLoad)->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_SceneOutline)->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_SceneWrite)->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_SceneGenerateAndWrite)->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();
