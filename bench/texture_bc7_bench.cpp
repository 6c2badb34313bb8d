// Decoding BC7 blocks: the 1,048,576 blocks of a 4096 x 4096 level, of every
// mode in equal numbers (random bits after the mode), each decoded and its
// four rows copied into their place in the level, as a DDS reader does.
// Beside it runs its floor: the level's 64 MB written by memcpy alone.
#include "texture/dds/Bc7Block.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr unsigned kSide = 4096;
constexpr size_t kBlocks = size_t(kSide / 4) * (kSide / 4);

std::vector<uint8_t> RandomBlocks()
{
    std::mt19937 random(7);
    std::vector<uint8_t> blocks(kBlocks * 16);
    for (size_t n = 0; n < kBlocks; ++n) {
        uint8_t* block = blocks.data() + n * 16;
        for (unsigned i = 0; i < 16; ++i)
            block[i] = uint8_t(random());
        const unsigned mode = n % 8;
        block[0] = uint8_t((block[0] >> (mode + 1) << (mode + 1)) | 1u << mode);
    }
    return blocks;
}

void Bc7DecodeLevel(benchmark::State& state)
{
    const std::vector<uint8_t> blocks = RandomBlocks();
    std::vector<uint8_t> level(size_t(kSide) * kSide * 4);
    const size_t rowBytes = size_t(kSide) * 4;
    for (auto _ : state) {
        for (size_t n = 0; n < kBlocks; ++n) {
            uint8_t rgba[64];
            DecodeBc7Block(blocks.data() + n * 16, rgba);
            uint8_t* place = level.data() + n / (kSide / 4) * 4 * rowBytes + n % (kSide / 4) * 16;
            for (unsigned row = 0; row < 4; ++row)
                std::memcpy(place + row * rowBytes, rgba + row * 16, 16);
        }
        benchmark::DoNotOptimize(level.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kBlocks));
}

void Bc7DecodeLevelFloor(benchmark::State& state)
{
    const std::vector<uint8_t> source(size_t(kSide) * kSide * 4, 1);
    std::vector<uint8_t> level(source.size());
    for (auto _ : state) {
        std::memcpy(level.data(), source.data(), source.size());
        benchmark::DoNotOptimize(level.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kBlocks));
}

}  // namespace

BENCHMARK(Bc7DecodeLevel)->Unit(benchmark::kMillisecond);
BENCHMARK(Bc7DecodeLevelFloor)->Unit(benchmark::kMillisecond);
