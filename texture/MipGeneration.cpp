#include "texture/MipGeneration.h"

#include <algorithm>
#include <cstring>

namespace {

// One row, one pixel size at a time, so the compiler sees a fixed stride.
template <typename Pixel>
void ShrinkRows(const uint8_t* source, size_t sourceRowBytes, uint8_t* dest, unsigned width,
                unsigned height)
{
    for (unsigned y = 0; y < height; ++y) {
        const uint8_t* from = source + 2 * y * sourceRowBytes;
        uint8_t* to = dest + size_t(y) * width * sizeof(Pixel);
        for (unsigned x = 0; x < width; ++x) {
            Pixel p;
            std::memcpy(&p, from + 2 * x * sizeof(Pixel), sizeof(Pixel));
            std::memcpy(to + x * sizeof(Pixel), &p, sizeof(Pixel));
        }
    }
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
