#include "editor/DifferenceImage.h"

#include "texture/convert/PixelExpansion.h"

#include <QRect>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace {

constexpr uint32_t kOpaque = 0xFF000000;
// Pixels compared at a time.
constexpr size_t kChunkPixels = 1024;

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

// A run of 0xAARRGGBB pixels made ready to compare: alpha made opaque where
// it does not show (`opaque`), the channels not counted cleared (`kept`).
void PrepareRun(uint32_t* __restrict run, size_t count, uint32_t opaque, uint32_t kept)
{
    for (size_t x = 0; x < count; ++x)
        run[x] = (run[x] | opaque) & kept;
}

// The sum of |p - q| over `count` bytes, in a form the compiler turns into
// sums of absolute differences, 16 bytes at a time.
uint32_t SumOfDifferences(const uint8_t* __restrict p, const uint8_t* __restrict q, size_t count)
{
    uint32_t sum = 0;  // at most 4 x 255 x kChunkPixels
    for (size_t j = 0; j < count; ++j)
        sum += unsigned(std::abs(int(p[j]) - int(q[j])));
    return sum;
}

// The largest |p - q| over `count` bytes; written so that the compiler takes
// 16 bytes at a time (a separate loop from the sum, which would stop it).
uint8_t LargestDifference(const uint8_t* __restrict p, const uint8_t* __restrict q, size_t count)
{
    uint8_t largest = 0;
    for (size_t j = 0; j < count; ++j) {
        const uint8_t a = p[j], b = q[j];
        const auto d = uint8_t(a > b ? a - b : b - a);
        largest = d > largest ? d : largest;
    }
    return largest;
}

// The channels counted, as a mask of an 0xAARRGGBB pixel.
uint32_t KeptChannels(const std::array<bool, 4>& counted)
{
    uint32_t kept = 0;
    for (int c = 0; c < 4; ++c)
        kept |= counted[size_t(c)] ? uint32_t(0xFF) << (24 - 8 * c) : 0;
    return kept;
}

// What makes a pixel of a texture whose alpha does not show opaque.
uint32_t OpaqueUnless(bool alpha)
{
    return alpha ? 0 : kOpaque;
}

}  // namespace

DifferenceFigures Compare(const T3D_TEXTURE& left, const T3D_TEXTURE& right, int level, Channels channels,
                          const std::array<std::optional<bool>, 2>& alpha)
{
    DifferenceFigures figures;
    if (!LevelHasPixels(left, level) || !LevelHasPixels(right, level) ||
        LevelSize(left, level) != LevelSize(right, level))
        return figures;
    figures.comparable = true;
    figures.leftAlpha = alpha[0] ? *alpha[0] : ShowsAlpha(left);
    figures.rightAlpha = alpha[1] ? *alpha[1] : ShowsAlpha(right);
    const std::array<bool, 4> counted = Counted(channels);
    const uint32_t kept = KeptChannels(counted);
    const uint32_t leftOpaque = OpaqueUnless(figures.leftAlpha);
    const uint32_t rightOpaque = OpaqueUnless(figures.rightAlpha);
    const PixelExpander leftPixels(left);
    const PixelExpander rightPixels(right);
    const size_t pixels = size_t(LevelWidth(left, level)) * LevelHeight(left, level);
    const unsigned leftBytes = BytesPerPixel(left.depth), rightBytes = BytesPerPixel(right.depth);
    // A run of pixels of each level at a time, in buffers that stay in the
    // nearest cache beside the levels streaming through it.
    uint32_t a[kChunkPixels], b[kChunkPixels];
    const auto* p = reinterpret_cast<const uint8_t*>(a);
    const auto* q = reinterpret_cast<const uint8_t*>(b);
    uint64_t sum = 0;
    uint8_t largest = 0;
    for (size_t at = 0; at < pixels; at += kChunkPixels) {
        const size_t count = std::min(kChunkPixels, pixels - at);
        leftPixels.expand(left.levels[level] + at * leftBytes, a, count);
        rightPixels.expand(right.levels[level] + at * rightBytes, b, count);
        PrepareRun(a, count, leftOpaque, kept);
        PrepareRun(b, count, rightOpaque, kept);
        sum += SumOfDifferences(p, q, 4 * count);
        largest = std::max(largest, LargestDifference(p, q, 4 * count));
    }
    figures.largest = largest;
    const auto channelCount = size_t(std::count(counted.begin(), counted.end(), true));
    figures.mean = double(sum) / double(pixels * channelCount);
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
