#include "editor/PreviewImage.h"

#include "editor/FitRect.h"
#include "texture/convert/PixelExpansion.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kOpaque = 0xFF000000;

// Picks a level's raw pixels by nearest neighbour into a one-level record of
// the fit rectangle's size (destination pixel (dx, dy) takes source pixel
// (dx * w / width', dy * h / height') of the level's w x h). The record keeps
// the depth, masks and palette, so expanding it gives exactly the colours the
// whole level would have, without expanding the pixels no one sees. `pixels`
// holds its level.
T3D_TEXTURE SampleLevel(const T3D_TEXTURE& record, int level, const FitRect& fit, std::vector<uint8_t>& pixels)
{
    const unsigned width = LevelWidth(record, level);
    const unsigned height = LevelHeight(record, level);
    const size_t pixelBytes = BytesPerPixel(record.depth);
    std::vector<size_t> sourceOffset(fit.width);
    for (unsigned dx = 0; dx < fit.width; ++dx)
        sourceOffset[dx] = size_t(uint64_t(dx) * width / fit.width) * pixelBytes;

    pixels.resize(size_t(fit.width) * fit.height * pixelBytes);
    uint8_t* out = pixels.data();
    for (unsigned dy = 0; dy < fit.height; ++dy) {
        const size_t sy = size_t(uint64_t(dy) * height / fit.height);
        const uint8_t* row = record.levels[level] + sy * width * pixelBytes;
        for (unsigned dx = 0; dx < fit.width; ++dx, out += pixelBytes)
            std::memcpy(out, row + sourceOffset[dx], pixelBytes);
    }

    T3D_TEXTURE sampled = record;
    sampled.width = fit.width;
    sampled.height = fit.height;
    sampled.levelCount = 1;
    std::memset(sampled.levels, 0, sizeof sampled.levels);
    sampled.levels[0] = pixels.data();
    return sampled;
}

bool LevelHasPixels(const T3D_TEXTURE& record, int level)
{
    return level >= 0 && level < record.levelCount && level < kMaxTextureLevels && record.levels[level] &&
           LevelWidth(record, level) > 0 && LevelHeight(record, level) > 0 && BytesPerPixel(record.depth) > 0;
}

uint32_t Blend(uint32_t over, uint32_t under, uint32_t alpha, int shift)
{
    const uint32_t top = (over >> shift) & 0xFF;
    const uint32_t bottom = (under >> shift) & 0xFF;
    return ((top * alpha + bottom * (255 - alpha) + 127) / 255) << shift;
}

// A pixel with its alpha drawn over the checkerboard square beneath it.
uint32_t OverChecker(uint32_t argb, int x, int y)
{
    const uint32_t alpha = argb >> 24;
    const uint32_t ground = CheckerColour(x, y);
    return kOpaque | Blend(argb, ground, alpha, 16) | Blend(argb, ground, alpha, 8) | Blend(argb, ground, alpha, 0);
}

// Whether any of `count` pixels of N bytes has a bit of the mask set.
template <size_t N>
bool AnyMaskedBit(const uint8_t* in, size_t count, uint32_t mask)
{
    for (size_t i = 0; i < count; ++i, in += N) {
        uint32_t pixel = 0;
        std::memcpy(&pixel, in, N);  // little-endian, as the record stores it
        if (pixel & mask)
            return true;
    }
    return false;
}

}  // namespace

bool ShowsAlpha(const T3D_TEXTURE& record)
{
    if (record.alphaMask == 0)
        return false;
    for (int level = 0; level < record.levelCount && level < kMaxTextureLevels; ++level) {
        if (!LevelHasPixels(record, level))
            continue;
        const uint8_t* in = record.levels[level];
        const size_t count = size_t(LevelWidth(record, level)) * LevelHeight(record, level);
        const bool found = record.depth == 16   ? AnyMaskedBit<2>(in, count, record.alphaMask)
                           : record.depth == 24 ? AnyMaskedBit<3>(in, count, record.alphaMask)
                           : record.depth == 32 ? AnyMaskedBit<4>(in, count, record.alphaMask)
                                                : false;  // depth 8: the palette carries no alpha
        if (found)
            return true;
    }
    return false;
}

QImage PreviewImage(const T3D_TEXTURE& record, QSize frameSize, int level)
{
    QImage picture(frameSize, QImage::Format_RGB32);
    picture.fill(Qt::black);
    if (picture.isNull() || !LevelHasPixels(record, level))
        return picture;

    FitRect fit(0, 0, frameSize.width(), frameSize.height());
    fit.Fit(LevelWidth(record, level), LevelHeight(record, level));
    std::vector<uint8_t> pixels;
    const std::vector<uint32_t> argb = ExpandLevelToArgb(SampleLevel(record, level, fit, pixels), 0);
    if (argb.size() != size_t(fit.width) * fit.height)
        return picture;

    const bool alpha = ShowsAlpha(record);
    for (unsigned dy = 0; dy < fit.height; ++dy) {
        const uint32_t* source = argb.data() + size_t(dy) * fit.width;
        auto* row = reinterpret_cast<uint32_t*>(picture.scanLine(fit.y + dy)) + fit.x;
        for (unsigned dx = 0; dx < fit.width; ++dx)
            row[dx] = alpha ? OverChecker(source[dx], int(dx), int(dy)) : kOpaque | source[dx];
    }
    return picture;
}
