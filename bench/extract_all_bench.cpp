// quorrel-cli extract-all of a scene of 8,000 small textures that all share
// one name (each gets its own "-n" name, four level files each: 32,000
// files), beside its floor: the same files' bytes written with open, write and
// close under plain names, in the same folder kind. Must stay under 30 s.
// ExtractAllBigScene: extract-all of a 1 GiB scene (48 textures of
// 2048 x 2048 x 32, eight levels) of noise (/0/) or photograph-like pixels
// (/1/), to TGA (/0), with --png (/1), and with --png --png-level 7 (/2: the
// default's level for these RGBA textures, with no trial for noise). CPU
// time is the process's: PNG files are written on several threads.
//
// Files go to $QUORREL_BENCH_DIR, or the system's temporary folder. Run with
// --benchmark_filter=ExtractAll.
#include "cli/SceneCommands.h"
#include "scene/CVK7QScene.h"
#include "texture/TextureRecord.h"
#include "texture/png/PngEncoder.h"
#include "texture_bench_support.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kTextures = 8000;
constexpr int kLevels = 4;
constexpr uint16_t kSide = 32;
constexpr int kBigTextures = 48;
constexpr uint16_t kBigSide = 2048;
constexpr int kBigLevels = 8;

fs::path BenchFolder(const char* name)
{
    const char* base = std::getenv("QUORREL_BENCH_DIR");
    std::error_code ec;
    std::string pattern = ((base ? fs::path(base) : fs::temp_directory_path(ec)) / name).string() + "-XXXXXX";
    return mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
}

std::string SceneOfSameNamedTextures(const fs::path& folder)
{
    TextureRecord texture;
    T3D_TEXTURE& r = texture.record();
    r.width = r.height = kSide;
    r.depth = 8;
    r.levelCount = kLevels;
    std::strcpy(r.name, "wall_A");
    for (int level = 0; level < kLevels; ++level)
        std::memset(texture.allocateLevel(level, LevelByteCount(r, level)), level, LevelByteCount(r, level));
    CVK7QScene scene;
    for (int i = 0; i < kTextures; ++i)
        scene.AppendT3DTexture(&r);
    const std::string path = (folder / "same.T3D").string();
    scene.Write(path.c_str());
    return path;
}

void ExtractAllSameNamed(benchmark::State& state)
{
    const fs::path folder = BenchFolder("quorrel-extract-all");
    const std::string scene = SceneOfSameNamedTextures(folder);
    for (auto _ : state) {
        state.PauseTiming();
        std::error_code ec;
        fs::remove_all(folder / "out", ec);
        state.ResumeTiming();
        CommandArguments args;
        args.files = {scene, (folder / "out").string()};
        std::ostringstream out, err;
        if (RunExtractAll(args, out, err) != 0)
            state.SkipWithError(err.str().c_str());
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
}

// The floor: as many files of the same sizes, each opened, written whole and
// closed, then one flush of the file system, as extract-all ends with.
void ExtractAllFloor(benchmark::State& state)
{
    const fs::path folder = BenchFolder("quorrel-extract-floor");
    const std::string bytes(18 + 768 + kSide * kSide, 'x');
    for (auto _ : state) {
        state.PauseTiming();
        std::error_code ec;
        fs::remove_all(folder / "out", ec);
        fs::create_directory(folder / "out", ec);
        state.ResumeTiming();
        for (int i = 0; i < kTextures * kLevels; ++i) {
            const std::string path = (folder / "out" / ("f" + std::to_string(i) + ".tga")).string();
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const size_t size = 18 + 768 + (size_t(kSide * kSide) >> (2 * (i % kLevels)));
            if (fd < 0 || ::write(fd, bytes.data(), size) != ssize_t(size))
                state.SkipWithError("write failed");
            ::close(fd);
        }
        ::sync();
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
}

// A 1 GiB scene whose textures all hold the same pixels: noise, or
// photograph-like at every level.
std::string BigScene(const fs::path& folder, bool photographs)
{
    TextureRecord texture, level;
    T3D_TEXTURE& r = texture.record();
    r.width = r.height = kBigSide;
    r.depth = 32;
    SetStandardMasks(r, 32);
    r.levelCount = kBigLevels;
    for (int i = 0; i < kBigLevels; ++i) {
        if (photographs)
            MakePhotoRecord(level, kBigSide >> i);
        else
            MakeBenchRecord(level, kBigSide >> i, 32);
        std::memcpy(texture.allocateLevel(i, LevelByteCount(r, i)), level.record().levels[0], LevelByteCount(r, i));
    }
    CVK7QScene scene;
    for (int i = 0; i < kBigTextures; ++i) {
        std::snprintf(r.name, sizeof r.name, "texture_%02d", i);
        scene.AppendT3DTexture(&r);
    }
    const std::string path = (folder / "big.T3D").string();
    scene.Write(path.c_str());
    return path;
}

void ExtractAllBigScene(benchmark::State& state)
{
    const fs::path folder = BenchFolder("quorrel-extract-big");
    const std::string scene = BigScene(folder, state.range(0) != 0);
    for (auto _ : state) {
        CommandArguments args;
        args.files = {scene, (folder / "out").string()};
        if (state.range(1))
            args.options["--png"] = "";
        if (state.range(1) == 2)
            args.options["--png-level"] = std::to_string(kDefaultAlphaPngLevel);
        std::ostringstream out, err;
        if (RunExtractAll(args, out, err) != 0)
            state.SkipWithError(err.str().c_str());
        state.PauseTiming();
        std::error_code ec;
        fs::remove_all(folder / "out", ec);
        state.ResumeTiming();
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
}

}  // namespace

BENCHMARK(ExtractAllSameNamed)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(ExtractAllFloor)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(ExtractAllBigScene)->ArgsProduct({{0, 1}, {0, 1, 2}})->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
