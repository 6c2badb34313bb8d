#include "editor/PreviewImage.h"

#include "editor/FitRect.h"
#include "texture/PixelExpansion.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kOpaque = 0xFF000000;

// Picks level 0's raw pixels by nearest neighbour into a record of the fit
// rectangle's size (destination pixel (dx, dy) takes source pixel
// (dx * w / width', dy * h / height')). The record keeps the depth, masks and
// palette, so expanding it gives exactly the colours the whole level would
// have, without expanding the pixels no one sees. `pixels` holds its level.
T3D_TEXTURE SampleLevel0(const T3D_TEXTURE& record, const FitRect& fit, std::vector<uint8_t>& pixels)
{
    const size_t pixelBytes = BytesPerPixel(record.depth);
    std::vector<size_t> sourceOffset(fit.width);
    for (unsigned dx = 0; dx < fit.width; ++dx)
        sourceOffset[dx] = size_t(uint64_t(dx) * record.width / fit.width) * pixelBytes;

    pixels.resize(size_t(fit.width) * fit.height * pixelBytes);
    uint8_t* out = pixels.data();
    for (unsigned dy = 0; dy < fit.height; ++dy) {
        const size_t sy = size_t(uint64_t(dy) * record.height / fit.height);
        const uint8_t* row = record.levels[0] + sy * record.width * pixelBytes;
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

} // namespace

QImage PreviewImage(const T3D_TEXTURE& record, QSize frameSize)
{
    QImage picture(frameSize, QImage::Format_RGB32);
    picture.fill(Qt::black);
    if (picture.isNull() || record.width == 0 || record.height == 0 || record.levelCount == 0
        || !record.levels[0] || BytesPerPixel(record.depth) == 0)
        return picture;

    FitRect fit(0, 0, frameSize.width(), frameSize.height());
    fit.Fit(record.width, record.height);
    std::vector<uint8_t> pixels;
    const std::vector<uint32_t> argb = ExpandLevelToArgb(SampleLevel0(record, fit, pixels), 0);
    if (argb.size() != size_t(fit.width) * fit.height)
        return picture;

    for (unsigned dy = 0; dy < fit.height; ++dy) {
        const uint32_t* source = argb.data() + size_t(dy) * fit.width;
        auto* row = reinterpret_cast<uint32_t*>(picture.scanLine(fit.y + dy)) + fit.x;
        for (unsigned dx = 0; dx < fit.width; ++dx)
            row[dx] = kOpaque | source[dx];
    }
    return picture;
}
