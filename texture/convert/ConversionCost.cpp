#include "texture/convert/ConversionCost.h"

#include "texture/convert/PixelExpansion.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

// Pixels expanded at a time: small enough to stay in the cache, so that no
// level is ever expanded whole.
constexpr size_t kChunkPixels = 1024;

constexpr const char* kChannelNames[] = {"red", "green", "blue", "alpha"};

bool HasAlpha(const T3D_TEXTURE& record)
{
    return record.depth != 8 && record.alphaMask != 0;
}

bool HoldsLevel(const T3D_TEXTURE& record, int level)
{
    return level < record.levelCount && record.levels[level] && LevelByteCount(record, level) != 0;
}

// Sums the squared differences of one level's channels and finds the largest.
struct LevelSums {
    uint64_t squares = 0;
    unsigned largest = 0;
    CostChannel channel = CostChannel::red;

    void add(uint32_t a, uint32_t b, int channels)
    {
        // Channels in the order they are named: red, green, blue, alpha.
        for (int c = 0; c < channels; ++c) {
            const int shift = c == 3 ? 24 : 16 - 8 * c;
            const int difference = int(a >> shift & 0xFF) - int(b >> shift & 0xFF);
            const unsigned size = unsigned(std::abs(difference));
            squares += uint64_t(size) * size;
            if (size > largest) {
                largest = size;
                channel = CostChannel(c);
            }
        }
    }
};

LevelCost CostOfLevel(const T3D_TEXTURE& asRead, const T3D_TEXTURE& converted, int level)
{
    LevelCost cost;
    const unsigned width = LevelWidth(asRead, level), height = LevelHeight(asRead, level);
    if (!HoldsLevel(asRead, level) || !HoldsLevel(converted, level) || width != LevelWidth(converted, level) ||
        height != LevelHeight(converted, level))
        return cost;
    cost.compared = true;
    const int channels = HasAlpha(asRead) || HasAlpha(converted) ? 4 : 3;
    const PixelExpander expandRead(asRead), expandConverted(converted);
    const unsigned readBytes = BytesPerPixel(asRead.depth), convertedBytes = BytesPerPixel(converted.depth);
    const uint64_t pixels = uint64_t(width) * height;
    uint32_t a[kChunkPixels], b[kChunkPixels];
    LevelSums sums;
    for (uint64_t at = 0; at < pixels; at += kChunkPixels) {
        const size_t count = size_t(std::min<uint64_t>(kChunkPixels, pixels - at));
        expandRead.expand(asRead.levels[level] + at * readBytes, a, count);
        expandConverted.expand(converted.levels[level] + at * convertedBytes, b, count);
        for (size_t i = 0; i < count; ++i)
            sums.add(a[i], b[i], channels);
    }
    cost.largestError = sums.largest;
    cost.channel = sums.channel;
    const double meanSquare = double(sums.squares) / (double(pixels) * channels);
    cost.psnr = sums.squares == 0 ? 0 : 10 * std::log10(255.0 * 255.0 / meanSquare);
    return cost;
}

std::string LevelWords(int level, const LevelCost& cost)
{
    const std::string name = "level " + std::to_string(level);
    if (!cost.compared)
        return name + " not compared";
    char psnr[32];
    std::snprintf(psnr, sizeof psnr, "%.1f", cost.psnr);
    return name + ": " + psnr + " dB, largest error " + std::to_string(cost.largestError) + " (" +
           kChannelNames[int(cost.channel)] + ")";
}

std::string ExactRunWords(int first, int last)
{
    return first == last ? "level " + std::to_string(first) + " exact"
                         : "levels " + std::to_string(first) + "-" + std::to_string(last) + " exact";
}

}  // namespace

std::vector<LevelCost> ConversionCost(const T3D_TEXTURE& asRead, const T3D_TEXTURE& converted)
{
    const int levels = std::min<int>(std::max(asRead.levelCount, converted.levelCount), kMaxTextureLevels);
    std::vector<LevelCost> costs;
    for (int level = 0; level < levels; ++level)
        costs.push_back(CostOfLevel(asRead, converted, level));
    return costs;
}

std::string ConversionCostText(const std::vector<LevelCost>& costs, const std::string& separator)
{
    std::vector<std::string> parts;
    for (size_t level = 0; level < costs.size();) {
        size_t end = level;
        while (end < costs.size() && costs[end].exact())
            ++end;
        if (end > level) {
            parts.push_back(ExactRunWords(int(level), int(end - 1)));
            level = end;
        } else {
            parts.push_back(LevelWords(int(level), costs[level]));
            ++level;
        }
    }
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : separator) + part;
    return text;
}
