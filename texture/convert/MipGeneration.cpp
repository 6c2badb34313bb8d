#include "texture/convert/MipGeneration.h"

#include "texture/convert/BoxFilter.h"
#include "texture/convert/PaletteMatch.h"
#include "texture/convert/PixelExpansion.h"
#include "texture/io/ByteBlock.h"

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
void ShrinkRows(const uint8_t* source, size_t sourceRowBytes, uint8_t* dest, unsigned width, unsigned height)
{
    const size_t rowBytes = size_t(width) * sizeof(Pixel);
    for (size_t y = 0; y < height; ++y)
        ShrinkRow<Pixel>(source + 2 * y * sourceRowBytes, dest + y * rowBytes, width);
}

struct Pixel24 {
    uint8_t bytes[3];
};

// The nearest palette entry of each filtered colour, remembered for the
// colours seen last at the same hash slot.
class NearestEntryCache {
public:
    explicit NearestEntryCache(const T3D_TEXTURE& record) : record_(record) { std::memset(keys_, 0xFF, sizeof keys_); }

    uint8_t operator()(uint32_t argb)
    {
        const uint32_t rgb = argb & 0xFFFFFF;
        const unsigned slot = (rgb * 2654435761u) >> (32 - kSlotBits);
        if (keys_[slot] != rgb) {
            keys_[slot] = rgb;
            entries_[slot] = NearestPaletteEntry(record_, {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)});
        }
        return entries_[slot];
    }

private:
    static constexpr unsigned kSlotBits = 12;
    const T3D_TEXTURE& record_;
    uint32_t keys_[1u << kSlotBits];  // 0xFFFFFFFF: empty (no RGB key has a top byte)
    uint8_t entries_[1u << kSlotBits];
};

// Level `level` from level - 1 for depths 8, 16 and 24: expanded to 8-bit
// channels, filtered, and packed back. False when the memory for the
// expanded pixels cannot be had.
bool BoxFilterExpanded(const T3D_TEXTURE& record, int level, uint8_t* dest)
{
    const size_t sourceCount = size_t(LevelWidth(record, level - 1)) * LevelHeight(record, level - 1);
    const unsigned width = LevelWidth(record, level), height = LevelHeight(record, level);
    const size_t count = size_t(width) * height;
    ByteBlock source, filtered;
    if (!source.allocate(sourceCount * 4) || !filtered.allocate(count * 4))
        return false;
    PixelExpander(record).expand(record.levels[level - 1], reinterpret_cast<uint32_t*>(source.data()), sourceCount);
    BoxFilterLevel(source.data(), LevelWidth(record, level - 1), filtered.data(), width, height, false);
    const bool green565 = record.greenMask == kMask565Green;
    NearestEntryCache nearest(record);
    for (size_t i = 0; i < count; ++i) {
        uint32_t p;
        std::memcpy(&p, filtered.data() + 4 * i, 4);
        switch (record.depth) {
        case 8:
            dest[i] = nearest(p);
            break;
        case 16: {
            const uint16_t packed = PackPixel16(p, green565);
            dest[2 * i] = uint8_t(packed);
            dest[2 * i + 1] = uint8_t(packed >> 8);
            break;
        }
        default:
            std::memcpy(dest + 3 * i, &p, 3);
            break;
        }
    }
    return true;
}

}  // namespace

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

void ShrinkLevel(const uint8_t* source, unsigned sourceWidth, uint8_t* dest, unsigned width, unsigned height,
                 unsigned bytesPerPixel)
{
    const size_t sourceRowBytes = size_t(sourceWidth) * bytesPerPixel;
    switch (bytesPerPixel) {
    case 1:
        ShrinkRows<uint8_t>(source, sourceRowBytes, dest, width, height);
        break;
    case 2:
        ShrinkRows<uint16_t>(source, sourceRowBytes, dest, width, height);
        break;
    case 3:
        ShrinkRows<Pixel24>(source, sourceRowBytes, dest, width, height);
        break;
    case 4:
        ShrinkRows<uint32_t>(source, sourceRowBytes, dest, width, height);
        break;
    default:
        break;
    }
}

bool GenerateMipLevels(TextureRecord& holder, MipFilter filter)
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
        if (filter == MipFilter::point)
            ShrinkLevel(record.levels[level - 1], LevelWidth(record, level - 1), dest, LevelWidth(record, level),
                        LevelHeight(record, level), bytesPerPixel);
        else if (record.depth == 32)
            BoxFilterLevel(record.levels[level - 1], LevelWidth(record, level - 1), dest, LevelWidth(record, level),
                           LevelHeight(record, level), record.alphaMask != 0);
        else if (!BoxFilterExpanded(record, level, dest))
            return false;
        record.levelCount = uint16_t(level + 1);
        record.flags |= kFlagMipmapLevels;
    }
    return true;
}
