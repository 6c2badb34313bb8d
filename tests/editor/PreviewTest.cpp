#include "EditorTestSupport.h"

#include "editor/FitRect.h"
#include "editor/PreviewImage.h"
#include "resources/ResourceIds.h"
#include "support/TempDir.h"
#include "texture/PixelExpansion.h"
#include "texture/TextureRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// A one-level texture whose level-0 bytes the test spells out.
TextureRecord MakeTexture(int width, int height, int depth, uint32_t red, uint32_t green, uint32_t blue,
                          uint32_t alpha, const std::vector<uint8_t>& pixels)
{
    TextureRecord holder;
    T3D_TEXTURE& r = holder.record();
    r.width = uint16_t(width);
    r.height = uint16_t(height);
    r.depth = uint16_t(depth);
    r.redMask = red;
    r.greenMask = green;
    r.blueMask = blue;
    r.alphaMask = alpha;
    r.levelCount = 1;
    uint8_t* level = holder.allocateLevel(0, pixels.size());
    std::memcpy(level, pixels.data(), pixels.size());
    return holder;
}

std::vector<uint8_t> Pixels16(const std::vector<uint16_t>& values)
{
    std::vector<uint8_t> bytes;
    for (uint16_t v : values) {
        bytes.push_back(uint8_t(v));
        bytes.push_back(uint8_t(v >> 8));
    }
    return bytes;
}

QRgb At(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

// A 4 x 2 texture of four colours, one per quadrant, fills 272 x 136 of the
// 272 x 368 frame from row 116; each texel is a 68 x 68 block.
void ExpectQuadrants(const QImage& shown, const QRgb (&colours)[4])
{
    ASSERT_EQ(shown.size(), QSize(272, 368));
    EXPECT_EQ(At(shown, 136, 0), 0u);
    EXPECT_EQ(At(shown, 136, 115), 0u);
    EXPECT_EQ(At(shown, 136, 252), 0u);
    EXPECT_EQ(At(shown, 271, 367), 0u);
    EXPECT_EQ(At(shown, 0, 116), colours[0]);
    EXPECT_EQ(At(shown, 135, 183), colours[0]);
    EXPECT_EQ(At(shown, 136, 116), colours[1]);
    EXPECT_EQ(At(shown, 271, 183), colours[1]);
    EXPECT_EQ(At(shown, 0, 184), colours[2]);
    EXPECT_EQ(At(shown, 135, 251), colours[2]);
    EXPECT_EQ(At(shown, 136, 184), colours[3]);
    EXPECT_EQ(At(shown, 271, 251), colours[3]);
}

} // namespace

TEST(TexturePreview, DrawsEveryDepthScaledAndCentredOnBlack)
{
    TempDir desktop;
    EditorUnderTest editor(desktop.path().string());

    {
        SCOPED_TRACE("depth 8 through the palette");
        TextureRecord t = MakeTexture(4, 2, 8, 0, 0, 0, 0, {1, 1, 2, 2, 3, 3, 4, 4});
        const uint8_t entries[5][3] = {{0, 0, 0}, {0x10, 0x20, 0x30}, {0xFF, 0, 0}, {0, 0xFF, 0}, {1, 2, 3}};
        for (int i = 0; i < 5; ++i)
            std::memcpy(t.record().palette[i], entries[i], 3);
        editor.dialog->DrawTexture(t.record(), kSceneFrameId);
        ExpectQuadrants(editor.framePicture(kSceneFrameId), {0x302010, 0x0000FF, 0x00FF00, 0x030201});
    }
    {
        SCOPED_TRACE("depth 16, 5-5-5");
        TextureRecord t = MakeTexture(4, 2, 16, 0x7C00, 0x3E0, 0x1F, 0,
                                      Pixels16({0x7C00, 0x7C00, 0x03E0, 0x03E0, 0x001F, 0x001F, 0x7FFF, 0x7FFF}));
        editor.dialog->DrawTexture(t.record(), kReplacementFrameId);
        ExpectQuadrants(editor.framePicture(kReplacementFrameId), {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
    }
    {
        SCOPED_TRACE("depth 16, 5-6-5");
        TextureRecord t = MakeTexture(4, 2, 16, 0xF800, 0x7E0, 0x1F, 0,
                                      Pixels16({0xF800, 0xF800, 0x07E0, 0x07E0, 0x001F, 0x001F, 0xFFFF, 0xFFFF}));
        editor.dialog->DrawTexture(t.record(), kSceneFrameId);
        ExpectQuadrants(editor.framePicture(kSceneFrameId), {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
    }
    {
        SCOPED_TRACE("depth 24, blue green red bytes");
        const std::vector<uint8_t> bgr = {0x56, 0x34, 0x12, 0x56, 0x34, 0x12, 0xFF, 0, 0, 0xFF, 0, 0,
                                          0, 0xFF, 0, 0, 0xFF, 0, 0x01, 0x80, 0xFE, 0x01, 0x80, 0xFE};
        TextureRecord t = MakeTexture(4, 2, 24, 0xFF0000, 0xFF00, 0xFF, 0, bgr);
        editor.dialog->DrawTexture(t.record(), kSceneFrameId);
        ExpectQuadrants(editor.framePicture(kSceneFrameId), {0x123456, 0x0000FF, 0x00FF00, 0xFE8001});
    }
    {
        SCOPED_TRACE("depth 32: alpha is not shown");
        std::vector<uint8_t> bgra;
        for (uint32_t argb : {0x00FF0000u, 0x00FF0000u, 0x8000FF00u, 0x8000FF00u,
                              0xFF0000FFu, 0xFF0000FFu, 0x00ABCDEFu, 0x00ABCDEFu})
            for (int shift = 0; shift < 32; shift += 8)
                bgra.push_back(uint8_t(argb >> shift));
        TextureRecord t = MakeTexture(4, 2, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, bgra);
        editor.dialog->DrawTexture(t.record(), kReplacementFrameId);
        ExpectQuadrants(editor.framePicture(kReplacementFrameId), {0xFF0000, 0x00FF00, 0x0000FF, 0xABCDEF});
    }
}

TEST(TexturePreview, FramesKeepTheirPictureUntilClearedAndShowBlackForNoPixels)
{
    TempDir desktop;
    EditorUnderTest editor(desktop.path().string());
    const QImage black = editor.framePicture(kSceneFrameId);
    ASSERT_EQ(black.size(), QSize(272, 368));
    for (int y = 0; y < black.height(); y += 23)
        for (int x = 0; x < black.width(); x += 17)
            ASSERT_EQ(At(black, x, y), 0u) << x << "," << y;

    {
        TextureRecord t = MakeTexture(2, 2, 16, 0x7C00, 0x3E0, 0x1F, 0, Pixels16({0x7C00, 0x7C00, 0x7C00, 0x7C00}));
        editor.dialog->DrawTexture(t.record(), kSceneFrameId);
    }
    // The record and its pixels are gone; an exposed frame still shows them.
    editor.dialog->repaint();
    EXPECT_EQ(At(editor.framePicture(kSceneFrameId), 136, 184), 0xFF0000u);
    EXPECT_EQ(editor.framePicture(kReplacementFrameId), black);

    TextureRecord empty;  // width and height 0
    editor.dialog->DrawTexture(empty.record(), kSceneFrameId);
    EXPECT_EQ(editor.framePicture(kSceneFrameId), black);

    TextureRecord red = MakeTexture(2, 2, 16, 0x7C00, 0x3E0, 0x1F, 0, Pixels16({0x7C00, 0x7C00, 0x7C00, 0x7C00}));
    editor.dialog->DrawTexture(red.record(), kReplacementFrameId);
    editor.dialog->ClearFrame(kReplacementFrameId);
    EXPECT_EQ(editor.framePicture(kReplacementFrameId), black);
}

TEST(TexturePreview, ShowsTheColoursOfTheExportAtEveryNearestPixel)
{
    struct Format {
        int depth;
        uint32_t red, green, blue, alpha;
    };
    const Format formats[] = {
        {8, 0, 0, 0, 0},
        {16, 0xF800, 0x7E0, 0x1F, 0},
        {16, 0x7C00, 0x3E0, 0x1F, 0x8000},
        {24, 0xFF0000, 0xFF00, 0xFF, 0},
        {32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000},  // 10-bit channels
    };
    std::mt19937 random(7);
    for (const Format& f : formats) {
        for (const QSize size : {QSize(37, 23), QSize(5, 300), QSize(700, 3)}) {
            SCOPED_TRACE(testing::Message() << "depth " << f.depth << ", " << size.width() << " x " << size.height());
            std::vector<uint8_t> bytes(size_t(size.width()) * size.height() * (f.depth / 8));
            for (uint8_t& b : bytes)
                b = uint8_t(random());
            TextureRecord t = MakeTexture(size.width(), size.height(), f.depth, f.red, f.green, f.blue, f.alpha, bytes);
            for (int i = 0; i < kPaletteEntries; ++i)
                for (int c = 0; c < 3; ++c)
                    t.record().palette[i][c] = uint8_t(random());

            const std::vector<uint32_t> exported = ExpandLevelToArgb(t.record(), 0);
            const QImage shown = PreviewImage(t.record(), QSize(272, 368));
            FitRect fit(0, 0, 272, 368);
            fit.Fit(size.width(), size.height());
            for (int dy = 0; dy < fit.height; ++dy) {
                for (int dx = 0; dx < fit.width; ++dx) {
                    const size_t sx = size_t(dx) * size.width() / fit.width;
                    const size_t sy = size_t(dy) * size.height() / fit.height;
                    ASSERT_EQ(At(shown, fit.x + dx, fit.y + dy), exported[sy * size.width() + sx] & 0xFFFFFF)
                        << dx << "," << dy;
                }
            }
        }
    }
}
