#include "editor/PreviewImage.h"

#include "texture/convert/PixelExpansion.h"

#include <QRect>

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kOpaque = 0xFF000000;
// The grid's pixels are the picture's halfway to this grey, seen on dark and
// light texels alike.
constexpr uint32_t kGridGrey = 0x808080;

// Picks the shown texels' raw pixels by nearest neighbour into a one-level
// record of the area's size. The record keeps the depth, masks and palette,
// so expanding it gives exactly the colours the whole level would have,
// without expanding the pixels no one sees. `pixels` holds its level.
T3D_TEXTURE SampleLevel(const T3D_TEXTURE& record, int level, const AxisMap& columns, const AxisMap& rows, QRect area,
                        std::vector<uint8_t>& pixels)
{
    const size_t width = LevelWidth(record, level);
    const size_t pixelBytes = BytesPerPixel(record.depth);
    std::vector<size_t> sourceOffset(size_t(area.width()));
    for (int dx = 0; dx < area.width(); ++dx)
        sourceOffset[size_t(dx)] = size_t(columns.texel(area.x() + dx)) * pixelBytes;

    pixels.resize(size_t(area.width()) * size_t(area.height()) * pixelBytes);
    uint8_t* out = pixels.data();
    for (int dy = 0; dy < area.height(); ++dy) {
        const uint8_t* row = record.levels[level] + size_t(rows.texel(area.y() + dy)) * width * pixelBytes;
        for (int dx = 0; dx < area.width(); ++dx, out += pixelBytes)
            std::memcpy(out, row + sourceOffset[size_t(dx)], pixelBytes);
    }

    T3D_TEXTURE sampled = record;
    sampled.width = uint16_t(area.width());
    sampled.height = uint16_t(area.height());
    sampled.levelCount = 1;
    std::memset(sampled.levels, 0, sizeof sampled.levels);
    sampled.levels[0] = pixels.data();
    return sampled;
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

uint32_t Grey(uint32_t value)
{
    return kOpaque | value << 16 | value << 8 | value;
}

// A pixel as the channel choice shows it; (x, y) counts from the texture's
// top left, for the checkerboard.
uint32_t Shade(uint32_t argb, Channels channels, bool alpha, int x, int y)
{
    switch (channels) {
    case Channels::RgbAlpha:
        return alpha ? OverChecker(argb, x, y) : kOpaque | argb;
    case Channels::Rgb:
        return kOpaque | argb;
    case Channels::Red:
        return Grey(argb >> 16 & 0xFF);
    case Channels::Green:
        return Grey(argb >> 8 & 0xFF);
    case Channels::Blue:
        return Grey(argb & 0xFF);
    case Channels::Alpha:
        return Grey(alpha ? argb >> 24 : 0xFF);
    }
    return kOpaque;
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

bool LevelHasPixels(const T3D_TEXTURE& record, int level)
{
    return level >= 0 && level < record.levelCount && level < kMaxTextureLevels && record.levels[level] &&
           LevelWidth(record, level) > 0 && LevelHeight(record, level) > 0 && BytesPerPixel(record.depth) > 0;
}

QSize LevelSize(const T3D_TEXTURE& record, int level)
{
    return QSize(int(LevelWidth(record, level)), int(LevelHeight(record, level)));
}

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

QRect CoveredArea(QSize frame, const AxisMap& columns, const AxisMap& rows)
{
    const QRect covered(columns.start, rows.start, columns.pixels, rows.pixels);
    return covered.intersected(QRect(QPoint(0, 0), frame));
}

std::vector<uint32_t> VisibleArgb(const T3D_TEXTURE& record, int level, const AxisMap& columns, const AxisMap& rows,
                                  QRect area)
{
    if (!LevelHasPixels(record, level) || area.isEmpty())
        return {};
    std::vector<uint8_t> pixels;
    std::vector<uint32_t> argb = ExpandLevelToArgb(SampleLevel(record, level, columns, rows, area, pixels), 0);
    if (argb.size() != size_t(area.width()) * size_t(area.height()))
        return {};
    return argb;
}

void DrawTexelGrid(QImage& picture, QRect area, const AxisMap& columns, const AxisMap& rows)
{
    const auto onGrid = [](const AxisMap& axis, int d) { return (d - axis.start) % axis.den == 0; };
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(picture.scanLine(y));
        const bool wholeRow = onGrid(rows, y);
        for (int x = area.left(); x <= area.right(); ++x)
            if (wholeRow || onGrid(columns, x))
                row[x] = kOpaque | (((row[x] & 0xFEFEFE) >> 1) + (kGridGrey >> 1 & 0x7F7F7F));
    }
}

QImage PreviewImage(const T3D_TEXTURE& record, QSize frameSize, int level, const PreviewLook& look)
{
    QImage picture(frameSize, QImage::Format_RGB32);
    picture.fill(Qt::black);
    if (picture.isNull() || !LevelHasPixels(record, level))
        return picture;

    const QSize size = LevelSize(record, level);
    const AxisMap columns = look.view.columns(frameSize, size);
    const AxisMap rows = look.view.rows(frameSize, size);
    const QRect area = CoveredArea(frameSize, columns, rows);
    const std::vector<uint32_t> argb = VisibleArgb(record, level, columns, rows, area);
    if (argb.empty())
        return picture;

    const bool alpha = look.alpha ? *look.alpha : ShowsAlpha(record);
    for (int dy = 0; dy < area.height(); ++dy) {
        const uint32_t* source = argb.data() + size_t(dy) * size_t(area.width());
        auto* row = reinterpret_cast<uint32_t*>(picture.scanLine(area.y() + dy)) + area.x();
        const int y = area.y() + dy - rows.start;
        for (int dx = 0; dx < area.width(); ++dx)
            row[dx] = Shade(source[dx], look.channels, alpha, area.x() + dx - columns.start, y);
    }
    if (look.view.showsGrid())
        DrawTexelGrid(picture, area, columns, rows);
    return picture;
}

QString TexelText(const T3D_TEXTURE& record, int level, QPoint texel)
{
    if (!LevelHasPixels(record, level))
        return QString();
    const size_t pixelBytes = BytesPerPixel(record.depth);
    const uint8_t* in =
        record.levels[level] + (size_t(texel.y()) * LevelWidth(record, level) + size_t(texel.x())) * pixelBytes;
    uint32_t argb = 0;
    PixelExpander(record).expand(in, &argb, 1);

    QString text = QStringLiteral("x %1 y %2").arg(texel.x()).arg(texel.y());
    if (record.depth == 8)
        text += QStringLiteral(" \u00B7 index %1").arg(in[0]);
    else if (record.depth == 16)
        text += QStringLiteral(" \u00B7 0x%1")
                    .arg(QString::number(in[0] | in[1] << 8, 16).toUpper().rightJustified(4, '0'));
    const QString colours = QStringLiteral("%1 %2 %3").arg(argb >> 16 & 0xFF).arg(argb >> 8 & 0xFF).arg(argb & 0xFF);
    if (record.alphaMask != 0 && record.depth != 8)
        return text + QStringLiteral(" \u00B7 RGBA %1 %2").arg(colours).arg(argb >> 24);
    return text + QStringLiteral(" \u00B7 RGB %1").arg(colours);
}
