// Reading 4096 x 4096 DDS files that hold their whole chain (eight levels,
// 4096 to 32, so that nothing is generated), each case beside its limit on
// the same file: read() of the file's bytes into a fresh buffer. Three files:
// uncompressed 8-8-8-8 (its levels read straight into place), BC1 and BC7
// (decoded a block at a time). The BC1 file is also decoded by libsquish's
// own DecompressImage, level by level from bytes in memory, as a peer.
#include "texture_bench_support.h"

#include "texture/chain/TextureFileReader.h"
#include "texture/dds/DdsFormat.h"

#include <benchmark/benchmark.h>
#include <squish.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr unsigned kSide = 4096;
constexpr int kLevels = 8;

enum Kind { kUncompressed, kBc1, kBc7 };

uint64_t LevelDataBytes(Kind kind, unsigned side)
{
    const uint64_t blocks = uint64_t((side + 3) / 4) * ((side + 3) / 4);
    return kind == kUncompressed ? uint64_t(side) * side * 4 : blocks * (kind == kBc1 ? 8 : 16);
}

DdsHeader HeaderFor(Kind kind)
{
    DdsHeader header;
    header.flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT | DDSD_MIPMAPCOUNT;
    header.width = header.height = kSide;
    header.mipMapCount = kLevels;
    header.caps = DDSCAPS_TEXTURE | DDSCAPS_COMPLEX | DDSCAPS_MIPMAP;
    DdsPixelFormat& pf = header.pixelFormat;
    if (kind == kUncompressed) {
        pf.flags = DDPF_RGB | DDPF_ALPHAPIXELS;
        pf.rgbBitCount = 32;
        pf.redMask = 0xFF0000;
        pf.greenMask = 0xFF00;
        pf.blueMask = 0xFF;
        pf.alphaMask = 0xFF000000;
    } else {
        pf.flags = DDPF_FOURCC;
        pf.fourCC = kind == kBc1 ? kFourCCDxt1 : kFourCCDx10;
    }
    return header;
}

// The file's bytes: its headers, then every level of random bytes (BC7
// blocks of every mode in turn).
std::vector<uint8_t> FileBytes(Kind kind)
{
    std::vector<uint8_t> bytes(kDdsMagicSize + kDdsHeaderSize + (kind == kBc7 ? kDdsHeaderDx10Size : 0));
    PutU32(bytes.data(), kDdsMagic);
    WriteDdsHeader(HeaderFor(kind), bytes.data() + kDdsMagicSize);
    if (kind == kBc7) {
        DdsHeaderDx10 dx10;
        dx10.dxgiFormat = DXGI_FORMAT_BC7_UNORM;
        WriteDdsHeaderDx10(dx10, bytes.data() + kDdsMagicSize + kDdsHeaderSize);
    }
    std::mt19937 random(11);
    const size_t start = bytes.size();
    for (int level = 0; level < kLevels; ++level)
        bytes.resize(bytes.size() + LevelDataBytes(kind, kSide >> level));
    for (size_t i = start; i < bytes.size(); ++i)
        bytes[i] = uint8_t(random());
    if (kind == kBc7) {
        for (size_t at = start, n = 0; at < bytes.size(); at += 16, ++n) {
            const unsigned mode = n % 8;
            bytes[at] = uint8_t((bytes[at] >> (mode + 1) << (mode + 1)) | 1u << mode);
        }
    }
    return bytes;
}

std::string FileFor(const benchmark::State& state)
{
    static const char* const names[] = {"read8888.dds", "readbc1.dds", "readbc7.dds"};
    const Kind kind = Kind(state.range(0));
    const std::string path = BenchFile(names[kind]);
    if (!std::ifstream(path)) {
        const std::vector<uint8_t> bytes = FileBytes(kind);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    return path;
}

void DdsRead(benchmark::State& state)
{
    const std::string path = FileFor(state);
    TextureRecord holder;
    SilentReport report;
    for (auto _ : state) {
        if (!ReadTextureChain(path, holder, report) || holder.record().levelCount != kLevels)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(holder.record().levels[0]);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(ReadIntoFreshBuffer(path)));
}

void DdsReadLimit(benchmark::State& state)
{
    const std::string path = FileFor(state);
    size_t bytes = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(bytes = ReadIntoFreshBuffer(path));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

// libsquish's decode of the BC1 file's levels, from its bytes in memory.
void DdsBc1Squish(benchmark::State& state)
{
    const std::vector<uint8_t> file = FileBytes(kBc1);
    std::vector<uint8_t> rgba(size_t(kSide) * kSide * 4);
    for (auto _ : state) {
        size_t at = kDdsMagicSize + kDdsHeaderSize;
        for (int level = 0; level < kLevels; ++level) {
            const int side = int(kSide >> level);
            squish::DecompressImage(rgba.data(), side, side, file.data() + at, squish::kDxt1);
            at += LevelDataBytes(kBc1, unsigned(side));
        }
        benchmark::DoNotOptimize(rgba.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

}  // namespace

BENCHMARK(DdsRead)->Arg(kUncompressed)->Arg(kBc1)->Arg(kBc7)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DdsReadLimit)->Arg(kUncompressed)->Arg(kBc1)->Arg(kBc7)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DdsBc1Squish)->Unit(benchmark::kMillisecond)->UseRealTime();
