// quorrel-cli import and watch of a texture pack: twelve changed 4096 x 4096
// PNG chains going into a scene of twelve 4096 x 4096 textures at 32 bits
// with eight levels each (about 1 GiB).
//
// ImportTwelve runs beside its limit, each part measured alone in the same
// run: loading the scene (ImportLimitLoad), reading the twelve PNGs as import
// reads them, in the scene texture's format (ImportLimitReadPngs), and
// writing the scene, flushed (ImportLimitWrite). import must stay at 1.3
// times their sum or under. Median of 5 repetitions, since writes flush.
//
// WatchLatency starts the real quorrel-cli watch on the same scene and
// folder and saves one chain's first file 20 times, alternating two
// pictures: from the end of each save (its close) to the rename of the scene
// it causes, less the round's own time as watch prints it, must stay at
// 0.3 s or under (the median of the 20). That includes the 300 ms of quiet
// watch waits for.
//
// Files go to $QUORREL_BENCH_DIR, or the system's temporary folder, and are
// removed at exit; about 3 GiB of memory and 2 GiB of disk. Run with
// --benchmark_filter='Import|Watch'.
#include "cli/ImportCommands.h"
#include "scene/CVK7QScene.h"
#include "texture/T3DTexture.h"
#include "texture/TextureRecord.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/png/PngEncoder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

extern char** environ;

namespace {

constexpr int kTextures = 12;
constexpr uint16_t kSide = 4096;
constexpr int kLevels = 8;
constexpr int kWatchRounds = 20;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// A picture that compresses like a painted one: smooth gradients with some
// grain. `seed` makes each one different.
void Paint(TextureRecord& holder, int seed, int levels)
{
    T3D_TEXTURE& r = holder.record();
    r.width = r.height = kSide;
    r.depth = 32;
    SetStandardMasks(r, 32);
    r.flags = levels > 1 ? 0x01 : 0;
    r.levelCount = uint16_t(levels);
    uint32_t grain = 0x9E3779B9u * uint32_t(seed + 1);
    for (int level = 0; level < levels; ++level) {
        const unsigned side = kSide >> level;
        auto* pixels = reinterpret_cast<uint32_t*>(holder.allocateLevel(level, LevelByteCount(r, level)));
        for (unsigned y = 0; y < side; ++y)
            for (unsigned x = 0; x < side; ++x) {
                grain = grain * 1664525u + 1013904223u;
                const uint32_t red = (x * 256 / side + seed * 20) & 0xFF, green = (y * 256 / side) & 0xFF;
                pixels[size_t(y) * side + x] =
                    0xFF000000u | red << 16 | green << 8 | ((x + y) / 64 + (grain >> 29)) % 256;
            }
    }
}

bool WriteWhole(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool written = fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    return ::close(fd) == 0 && written;
}

std::string PngOf(const T3D_TEXTURE& record)
{
    std::string png;
    EncodePngLevel(record, 0, [&png](const void* bytes, size_t size) {
        png.append(static_cast<const char*>(bytes), size);
        return true;
    });
    return png;
}

// The scene, and pack/ with twelve first files that differ from the scene's
// textures and a manifest whose CRC-32s none of them match.
class Pack {
public:
    Pack()
    {
        const char* base = std::getenv("QUORREL_BENCH_DIR");
        std::error_code ec;
        std::string pattern =
            ((base ? fs::path(base) : fs::temp_directory_path(ec)) / "quorrel-import-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            folder_ = pattern;
        scene = (folder_ / "big.T3D").string();
        dir = (folder_ / "pack").string();
        fs::create_directory(dir, ec);
        CVK7QScene built;
        std::string manifest = "# quorrel textures 1\nindex\tname\tfile\twidth\theight\tdepth\tlevels\tflags\tcrc32\n";
        for (int i = 0; i < kTextures; ++i) {
            TextureRecord texture;
            Paint(texture, i, kLevels);
            std::snprintf(texture.record().name, kTextureNameSize, "pack%02d", i);
            built.AppendT3DTexture(&texture.record());
            TextureRecord picture;
            Paint(picture, i + 100, 1);
            const std::string name = std::string(texture.record().name) + ".png";
            WriteWhole((fs::path(dir) / name).string(), PngOf(picture.record()));
            manifest += std::to_string(i) + "\t" + texture.record().name + "\t" + name +
                        "\t4096\t4096\t32\t8\t0x01\t"
                        "00000000\n";
            if (i == 0)
                changedPng = PngOf(picture.record());
            if (i == 1)
                otherPng = PngOf(picture.record());
        }
        built.Write(scene.c_str());
        // The manifest as extract-all left it, before the pictures were
        // painted over: an hour older than they are.
        const std::string manifestFile = (fs::path(dir) / "textures.tsv").string();
        WriteWhole(manifestFile, manifest);
        timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 3600, 0}};
        ::utimensat(AT_FDCWD, manifestFile.c_str(), times, 0);
    }

    ~Pack()
    {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }

    std::string file(const std::string& name) const { return (folder_ / name).string(); }
    std::string png(int i) const
    {
        char name[32];
        std::snprintf(name, sizeof name, "pack%02d.png", i);
        return (fs::path(dir) / name).string();
    }

    std::string scene, dir;
    std::string changedPng, otherPng;  // two pictures for pack00.png

private:
    fs::path folder_;
};

Pack& ThePack()
{
    static Pack pack;
    return pack;
}

void ImportTwelve(benchmark::State& state)
{
    Pack& pack = ThePack();
    for (auto _ : state) {
        CommandArguments args{{pack.scene, pack.dir}, {{"-o", pack.file("out.T3D")}}};
        std::ostringstream out, err;
        if (RunImport(args, out, err) != 0 || out.str().find("12 textures replaced") == std::string::npos)
            state.SkipWithError((out.str() + err.str()).c_str());
    }
}

void ImportLimitLoad(benchmark::State& state)
{
    Pack& pack = ThePack();
    for (auto _ : state) {
        CVK7QScene scene;
        if (!scene.Load(pack.scene.c_str(), 0))
            state.SkipWithError("load failed");
    }
}

void ImportLimitReadPngs(benchmark::State& state)
{
    Pack& pack = ThePack();
    TextureReadOptions options;
    T3D_TEXTURE model{};
    model.depth = 32;
    options.convertTo = FormatOf(model);
    for (auto _ : state) {
        for (int i = 0; i < kTextures; ++i) {
            TextureRecord holder;
            SilentReport report;
            if (!ReadTextureChain(pack.png(i), holder, report, options))
                state.SkipWithError("read failed");
        }
    }
}

void ImportLimitWrite(benchmark::State& state)
{
    Pack& pack = ThePack();
    CVK7QScene scene;
    scene.Load(pack.scene.c_str(), 0);
    const std::string out = pack.file("limit.T3D");
    for (auto _ : state) {
        if (!scene.Write(out.c_str()))
            state.SkipWithError("write failed");
    }
}

// Reads what the child printed until a whole line holds `wanted`; that line.
std::string LineWith(int fd, std::string& pending, const std::string& wanted)
{
    for (;;) {
        const size_t at = pending.find(wanted);
        const size_t end = at == std::string::npos ? at : pending.find('\n', at);
        if (end != std::string::npos) {
            const size_t start = pending.rfind('\n', at);
            const std::string line = pending.substr(start == std::string::npos ? 0 : start + 1, end - start);
            pending.erase(0, end + 1);
            return line;
        }
        char buffer[4096];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return {};
        pending.append(buffer, size_t(got));
    }
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void WatchLatency(benchmark::State& state)
{
    Pack& pack = ThePack();
    const std::string out = pack.file("watched.T3D");
    for (auto _ : state) {
        int output[2];
        if (::pipe(output) != 0)
            return state.SkipWithError("no pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, output[1], 1);
        posix_spawn_file_actions_addclose(&actions, output[0]);
        const std::string program = QUORREL_CLI;
        std::vector<std::string> words = {program, "watch", pack.scene, pack.dir, "-o", out};
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        pid_t child = 0;
        const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(output[1]);
        if (spawned != 0)
            return state.SkipWithError("quorrel-cli could not be started");
        std::string pending;
        LineWith(output[0], pending, "for changes (Ctrl+C ends)");

        const int notify = ::inotify_init1(IN_CLOEXEC);
        ::inotify_add_watch(notify, fs::path(out).parent_path().c_str(), IN_MOVED_TO | IN_CREATE);
        std::vector<double> latencies, rounds, overheads;
        for (int round = 0; round < kWatchRounds; ++round) {
            WriteWhole(pack.png(0), round % 2 ? pack.changedPng : pack.otherPng);  // the first import took changedPng
            const Clock::time_point saved = Clock::now();
            // The rename of the scene: an entry of its name moved or linked in.
            bool renamed = false;
            while (!renamed) {
                pollfd ready = {notify, POLLIN, 0};
                if (::poll(&ready, 1, 300'000) != 1)
                    break;
                alignas(inotify_event) char events[4096];
                const ssize_t got = ::read(notify, events, sizeof events);
                for (ssize_t at = 0; at < got;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                    renamed = renamed || (event->len > 0 && fs::path(out).filename() == event->name);
                    at += ssize_t(sizeof(inotify_event) + event->len);
                }
                if (got <= 0)
                    break;
            }
            if (!renamed) {
                state.SkipWithError("no scene was written after a save");
                break;
            }
            const double latency = Seconds(Clock::now() - saved);
            const std::string line = LineWith(output[0], pending, " s)");
            const size_t open = line.rfind('(');
            const double roundSeconds = open == std::string::npos ? 0 : std::atof(line.c_str() + open + 1);
            latencies.push_back(latency);
            rounds.push_back(roundSeconds);
            overheads.push_back(latency - roundSeconds);
        }
        ::close(notify);
        ::kill(child, SIGTERM);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(output[0]);
        state.counters["latency_s"] = Median(latencies);
        state.counters["round_s"] = Median(rounds);
        state.counters["latency_less_round_s"] = Median(overheads);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("watch did not end with status 0");
    }
}

}  // namespace

BENCHMARK(ImportLimitLoad)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->UseRealTime();
BENCHMARK(ImportLimitReadPngs)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->UseRealTime();
BENCHMARK(ImportLimitWrite)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->UseRealTime();
BENCHMARK(ImportTwelve)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->UseRealTime();
BENCHMARK(WatchLatency)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
