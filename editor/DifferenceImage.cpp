#include "editor/DifferenceImage.h"

#include "texture/convert/PixelExpansion.h"

#include <QRect>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

constexpr uint32_t kOpaque = 0xFF000000;

// Per channel |a - b|, in 0xAARRGGBB order.
std::array<unsigned, 4> ChannelDifferences(uint32_t a, uint32_t b)
{
    std::array<unsigned, 4> d{};
    for (int c = 0; c < 4; ++c)
        d[size_t(c)] = unsigned(std::abs(int(a >> (24 - 8 * c) & 0xFF) - int(b >> (24 - 8 * c) & 0xFF)));
    return d;
}

// Which of alpha, red, green and blue the channel choice counts.
std::array<bool, 4> Counted(Channels channels)
{
    switch (channels) {
    case Channels::RgbAlpha:
        return {true, true, true, true};
    case Channels::Rgb:
        return {false, true, true, true};
    case Channels::Red:
        return {false, true, false, false};
    case Channels::Green:
        return {false, false, true, false};
    case Channels::Blue:
        return {false, false, false, true};
    case Channels::Alpha:
        return {true, false, false, false};
    }
    return {};
}

// The shown differences as a picture's pixel, before scaling: one channel
// shows as grey.
std::array<unsigned, 3> ShownDifference(const std::array<unsigned, 4>& d, Channels channels)
{
    switch (channels) {
    case Channels::RgbAlpha:
        return {std::max(d[1], d[0]), std::max(d[2], d[0]), std::max(d[3], d[0])};
    case Channels::Rgb:
        return {d[1], d[2], d[3]};
    case Channels::Red:
        return {d[1], d[1], d[1]};
    case Channels::Green:
        return {d[2], d[2], d[2]};
    case Channels::Blue:
        return {d[3], d[3], d[3]};
    case Channels::Alpha:
        return {d[0], d[0], d[0]};
    }
    return {};
}

// The sum and the largest of |p - q| & kept over `count` bytes; byte by byte
// over arrays that do not overlap, so that the compiler takes many at once.
std::pair<uint32_t, uint8_t> RowDifferences(const uint8_t* __restrict p, const uint8_t* __restrict q,
                                            const uint8_t* __restrict kept, size_t count)
{
    uint32_t sum = 0;  // at most 4 x 255 x 65535: no overflow
    uint8_t largest = 0;
    for (size_t j = 0; j < count; ++j) {
        const auto d = uint8_t(uint8_t(std::max(p[j], q[j]) - std::min(p[j], q[j])) & kept[j]);
        sum += d;
        largest = std::max(largest, d);
    }
    return {sum, largest};
}

// What makes a pixel of a texture whose alpha does not show opaque.
uint32_t OpaqueUnless(bool alpha)
{
    return alpha ? 0 : kOpaque;
}

}  // namespace

DifferenceFigures Compare(const T3D_TEXTURE& left, const T3D_TEXTURE& right, int level, Channels channels)
{
    DifferenceFigures figures;
    if (!LevelHasPixels(left, level) || !LevelHasPixels(right, level) ||
        LevelSize(left, level) != LevelSize(right, level))
        return figures;
    figures.comparable = true;
    figures.leftAlpha = ShowsAlpha(left);
    figures.rightAlpha = ShowsAlpha(right);
    const std::array<bool, 4> counted = Counted(channels);
    // The bytes of a little-endian 0xAARRGGBB pixel are blue, green, red,
    // alpha; a byte of `kept` is 0xFF where its channel counts.
    const uint8_t keep[4] = {uint8_t(counted[3] ? 0xFF : 0), uint8_t(counted[2] ? 0xFF : 0),
                             uint8_t(counted[1] ? 0xFF : 0), uint8_t(counted[0] ? 0xFF : 0)};
    const uint32_t leftOpaque = OpaqueUnless(figures.leftAlpha);
    const uint32_t rightOpaque = OpaqueUnless(figures.rightAlpha);
    const PixelExpander leftPixels(left);
    const PixelExpander rightPixels(right);
    const size_t width = LevelWidth(left, level);
    const size_t height = LevelHeight(left, level);
    std::vector<uint32_t> a(width);
    std::vector<uint32_t> b(width);
    std::vector<uint8_t> kept(4 * width);
    for (size_t j = 0; j < kept.size(); ++j)
        kept[j] = keep[j & 3];
    uint64_t sum = 0;
    uint8_t largest = 0;
    for (size_t y = 0; y < height; ++y) {
        leftPixels.expand(left.levels[level] + y * width * BytesPerPixel(left.depth), a.data(), width);
        rightPixels.expand(right.levels[level] + y * width * BytesPerPixel(right.depth), b.data(), width);
        for (size_t x = 0; x < width; ++x) {
            a[x] |= leftOpaque;
            b[x] |= rightOpaque;
        }
        const auto rowFigures = RowDifferences(reinterpret_cast<const uint8_t*>(a.data()),
                                               reinterpret_cast<const uint8_t*>(b.data()), kept.data(), kept.size());
        sum += rowFigures.first;
        largest = std::max(largest, rowFigures.second);
    }
    figures.largest = largest;
    const auto channelCount = size_t(std::count(counted.begin(), counted.end(), true));
    figures.mean = double(sum) / double(width * height * channelCount);
    return figures;
}

QImage DifferenceImage(const T3D_TEXTURE& left, const T3D_TEXTURE& right, QSize frameSize, int level,
                       const PreviewLook& look, const DifferenceFigures& figures)
{
    QImage picture(frameSize, QImage::Format_RGB32);
    picture.fill(Qt::black);
    if (picture.isNull() || !figures.comparable)
        return picture;

    const QSize size = LevelSize(right, level);
    const AxisMap columns = look.view.columns(frameSize, size);
    const AxisMap rows = look.view.rows(frameSize, size);
    const QRect area = CoveredArea(frameSize, columns, rows);
    const std::vector<uint32_t> a = VisibleArgb(left, level, columns, rows, area);
    const std::vector<uint32_t> b = VisibleArgb(right, level, columns, rows, area);
    if (a.empty() || a.size() != b.size())
        return picture;

    const uint32_t leftOpaque = OpaqueUnless(figures.leftAlpha);
    const uint32_t rightOpaque = OpaqueUnless(figures.rightAlpha);
    const unsigned largest = std::max(figures.largest, 1u);
    for (int dy = 0; dy < area.height(); ++dy) {
        auto* row = reinterpret_cast<uint32_t*>(picture.scanLine(area.y() + dy)) + area.x();
        for (int dx = 0; dx < area.width(); ++dx) {
            const size_t i = size_t(dy) * size_t(area.width()) + size_t(dx);
            const std::array<unsigned, 3> shown =
                ShownDifference(ChannelDifferences(a[i] | leftOpaque, b[i] | rightOpaque), look.channels);
            row[dx] = kOpaque | (shown[0] * 255 / largest) << 16 | (shown[1] * 255 / largest) << 8 |
                      (shown[2] * 255 / largest);
        }
    }
    if (look.view.showsGrid())
        DrawTexelGrid(picture, area, columns, rows);
    return picture;
}
