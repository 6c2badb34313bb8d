#include "editor/PreviewImage.h"

#include "editor/FitRect.h"
#include "texture/PixelExpansion.h"

#include <cstdint>
#include <vector>

namespace {

constexpr uint32_t kOpaque = 0xFF000000;

// Copies the source picture into dest's fit rectangle: destination pixel
// (dx, dy) takes source pixel (dx * w / width', dy * h / height').
void ScaleNearest(const std::vector<uint32_t>& argb, unsigned sourceWidth, unsigned sourceHeight,
                  const FitRect& fit, QImage& dest)
{
    std::vector<unsigned> sourceColumn(fit.width);
    for (unsigned dx = 0; dx < fit.width; ++dx)
        sourceColumn[dx] = unsigned(uint64_t(dx) * sourceWidth / fit.width);

    for (unsigned dy = 0; dy < fit.height; ++dy) {
        const unsigned sy = unsigned(uint64_t(dy) * sourceHeight / fit.height);
        const uint32_t* source = argb.data() + size_t(sy) * sourceWidth;
        auto* row = reinterpret_cast<uint32_t*>(dest.scanLine(fit.y + dy)) + fit.x;
        for (unsigned dx = 0; dx < fit.width; ++dx)
            row[dx] = kOpaque | source[sourceColumn[dx]];
    }
}

} // namespace

QImage PreviewImage(const T3D_TEXTURE& record, QSize frameSize)
{
    QImage picture(frameSize, QImage::Format_RGB32);
    picture.fill(Qt::black);
    if (picture.isNull() || record.width == 0 || record.height == 0)
        return picture;

    const std::vector<uint32_t> argb = ExpandLevelToArgb(record, 0);
    if (argb.size() != size_t(record.width) * record.height)
        return picture;

    FitRect fit(0, 0, frameSize.width(), frameSize.height());
    fit.Fit(record.width, record.height);
    ScaleNearest(argb, record.width, record.height, fit, picture);
    return picture;
}
