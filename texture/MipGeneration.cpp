#include "texture/MipGeneration.h"

#include <algorithm>
#include <cstring>

namespace {

// One pixel size at a time, so the compiler sees a fixed stride and can copy
// several pixels per step.
template <typename Pixel>
void ShrinkRow(const uint8_t* __restrict from, uint8_t* __restrict to, size_t width)
{
    for (size_t x = 0; x < width; ++x)
        std::memcpy(to + x * sizeof(Pixel), from + 2 * x * sizeof(Pixel), sizeof(Pixel));
}

template <typename Pixel>
void ShrinkRows(const uint8_t* source, size_t sourceRowBytes, uint8_t* dest, unsigned width,
                unsigned height)
{
    const size_t rowBytes = size_t(width) * sizeof(Pixel);
    for (size_t y = 0; y < height; ++y)
        ShrinkRow<Pixel>(source + 2 * y * sourceRowBytes, dest + y * rowBytes, width);
}

struct Pixel24 {
    uint8_t bytes[3];
};

} // namespace

int GeneratedLevelCount(unsigned width, unsigned height)
{
    unsigned n = std::min(width, height);
    int levels = 0;
    while (n > 2) {
        n /= 2;
        ++levels;
    }
    return std::min(levels, kMaxTextureLevels);
}

void ShrinkLevel(const uint8_t* source, unsigned sourceWidth, uint8_t* dest, unsigned width,
                 unsigned height, unsigned bytesPerPixel)
{
    const size_t sourceRowBytes = size_t(sourceWidth) * bytesPerPixel;
    switch (bytesPerPixel) {
    case 1: ShrinkRows<uint8_t>(source, sourceRowBytes, dest, width, height); break;
    case 2: ShrinkRows<uint16_t>(source, sourceRowBytes, dest, width, height); break;
    case 3: ShrinkRows<Pixel24>(source, sourceRowBytes, dest, width, height); break;
    case 4: ShrinkRows<uint32_t>(source, sourceRowBytes, dest, width, height); break;
    default: break;
    }
}

bool GenerateMipLevels(TextureRecord& holder)
{
    T3D_TEXTURE& record = holder.record();
    const int wanted = GeneratedLevelCount(record.width, record.height);
    const unsigned bytesPerPixel = BytesPerPixel(record.depth);
    if (record.levelCount == 0 || wanted <= record.levelCount || bytesPerPixel == 0)
        return true;

    for (int level = record.levelCount; level < wanted; ++level) {
        uint8_t* dest = holder.allocateLevel(level, LevelByteCount(record, level));
        if (!dest)
            return false;
        ShrinkLevel(record.levels[level - 1], LevelWidth(record, level - 1), dest,
                    LevelWidth(record, level), LevelHeight(record, level), bytesPerPixel);
        record.levelCount = uint16_t(level + 1);
        record.flags |= kFlagMipmapLevels;
    }
    return true;
}
