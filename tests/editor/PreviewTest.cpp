#include "EditorTestSupport.h"

#include "editor/FitRect.h"
#include "editor/PreviewFrame.h"
#include "editor/PreviewImage.h"
#include "resources/ResourceIds.h"
#include "scene/CVK7QScene.h"
#include "support/TempDir.h"
#include "support/TextureBuilder.h"
#include "texture/TextureRecord.h"
#include "texture/convert/PixelExpansion.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QListWidget>
#include <QTest>
#include <QWheelEvent>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A one-level texture whose level-0 bytes the test spells out.
TextureRecord MakeTexture(int width, int height, int depth, uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha,
                          const std::vector<uint8_t>& pixels)
{
    return TextureBuilder(unsigned(width), unsigned(height), unsigned(depth))
        .masks(red, green, blue, alpha)
        .level0(pixels)
        .build();
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

// Pixels 0xAARRGGBB as the little-endian bytes of a 32-bit level.
std::vector<uint8_t> Bgra(const std::vector<uint32_t>& values)
{
    std::vector<uint8_t> bytes;
    for (uint32_t v : values)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(uint8_t(v >> shift));
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

}  // namespace

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
        editor.previews()->DrawTexture(t.record(), kSceneFrameId);
        ExpectQuadrants(editor.framePicture(kSceneFrameId), {0x302010, 0x0000FF, 0x00FF00, 0x030201});
    }
    {
        SCOPED_TRACE("depth 16, 5-5-5");
        TextureRecord t = MakeTexture(4, 2, 16, 0x7C00, 0x3E0, 0x1F, 0,
                                      Pixels16({0x7C00, 0x7C00, 0x03E0, 0x03E0, 0x001F, 0x001F, 0x7FFF, 0x7FFF}));
        editor.previews()->DrawTexture(t.record(), kReplacementFrameId);
        ExpectQuadrants(editor.framePicture(kReplacementFrameId), {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
    }
    {
        SCOPED_TRACE("depth 16, 5-6-5");
        TextureRecord t = MakeTexture(4, 2, 16, 0xF800, 0x7E0, 0x1F, 0,
                                      Pixels16({0xF800, 0xF800, 0x07E0, 0x07E0, 0x001F, 0x001F, 0xFFFF, 0xFFFF}));
        editor.previews()->DrawTexture(t.record(), kSceneFrameId);
        ExpectQuadrants(editor.framePicture(kSceneFrameId), {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
    }
    {
        SCOPED_TRACE("depth 24, blue green red bytes");
        const std::vector<uint8_t> bgr = {0x56, 0x34, 0x12, 0x56, 0x34, 0x12, 0xFF, 0,    0,    0xFF, 0,    0,
                                          0,    0xFF, 0,    0,    0xFF, 0,    0x01, 0x80, 0xFE, 0x01, 0x80, 0xFE};
        TextureRecord t = MakeTexture(4, 2, 24, 0xFF0000, 0xFF00, 0xFF, 0, bgr);
        editor.previews()->DrawTexture(t.record(), kSceneFrameId);
        ExpectQuadrants(editor.framePicture(kSceneFrameId), {0x123456, 0x0000FF, 0x00FF00, 0xFE8001});
    }
    {
        SCOPED_TRACE("depth 32 whose alpha is 0 everywhere: drawn opaque");
        TextureRecord t =
            MakeTexture(4, 2, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000,
                        Bgra({0xFF0000, 0xFF0000, 0x00FF00, 0x00FF00, 0x0000FF, 0x0000FF, 0xABCDEF, 0xABCDEF}));
        editor.previews()->DrawTexture(t.record(), kReplacementFrameId);
        ExpectQuadrants(editor.framePicture(kReplacementFrameId), {0xFF0000, 0x00FF00, 0x0000FF, 0xABCDEF});
    }
}

TEST(TexturePreview, AlphaIsDrawnOverACheckerboard)
{
    struct Case {
        const char* what;
        TextureRecord texture;  // 4 x 1: clear red, white (half or opaque), opaque blue, clear
    };
    Case cases[] = {
        {"32 bit, 8-bit alpha", MakeTexture(4, 1, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000,
                                            Bgra({0x00FF0000, 0x80FFFFFF, 0xFF0000FF, 0x00123456}))},
        {"16 bit, 1-5-5-5",
         MakeTexture(4, 1, 16, 0x7C00, 0x3E0, 0x1F, 0x8000, Pixels16({0x7C00, 0xFFFF, 0x801F, 0x0000}))},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(ShowsAlpha(c.texture.record()));
        // 4 x 1 in 272 x 368: 272 x 68 from row 150, each texel 68 pixels wide.
        const QImage shown = PreviewImage(c.texture.record(), QSize(272, 368));
        for (int y : {150, 157, 158, 217}) {
            for (int x : {0, 7, 8, 67, 204, 271}) {
                const QRgb ground = CheckerColour(x, y - 150) & 0xFFFFFF;
                EXPECT_EQ(At(shown, x, y), ground) << x << "," << y << ": clear texels show the checkerboard";
            }
        }
        EXPECT_EQ(At(shown, 0, 150), kCheckerLight & 0xFFFFFF);
        EXPECT_EQ(At(shown, 8, 150), kCheckerDark & 0xFFFFFF);
        EXPECT_EQ(At(shown, 140, 160), 0x0000FFu) << "an opaque texel hides it";
        EXPECT_EQ(At(shown, 0, 149), 0u) << "black around the texture";
        if (c.texture.record().depth == 32) {
            // White at alpha 0x80 over light 0xC8 and dark 0x8C squares.
            EXPECT_EQ(At(shown, 68, 150), 0xE4E4E4u);
            EXPECT_EQ(At(shown, 76, 150), 0xC6C6C6u);
        } else {
            EXPECT_EQ(At(shown, 68, 150), 0xFFFFFFu) << "the alpha bit is set: opaque";
        }
    }

    TextureRecord clear = MakeTexture(1, 1, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, Bgra({0x00FF0000}));
    EXPECT_FALSE(ShowsAlpha(clear.record()));
    EXPECT_EQ(At(PreviewImage(clear.record(), QSize(272, 368)), 100, 100), 0xFF0000u);
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
        editor.previews()->DrawTexture(t.record(), kSceneFrameId);
    }
    // The record and its pixels are gone; an exposed frame still shows them.
    editor.dialog->repaint();
    EXPECT_EQ(At(editor.framePicture(kSceneFrameId), 136, 184), 0xFF0000u);
    EXPECT_EQ(editor.framePicture(kReplacementFrameId), black);

    TextureRecord empty;  // width and height 0
    editor.previews()->DrawTexture(empty.record(), kSceneFrameId);
    EXPECT_EQ(editor.framePicture(kSceneFrameId), black);

    TextureRecord red = MakeTexture(2, 2, 16, 0x7C00, 0x3E0, 0x1F, 0, Pixels16({0x7C00, 0x7C00, 0x7C00, 0x7C00}));
    editor.previews()->DrawTexture(red.record(), kReplacementFrameId);
    editor.previews()->ClearFrame(kReplacementFrameId);
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
                    // Opaque pixels show the export's colour, clear ones the checkerboard.
                    const uint32_t pixel = exported[sy * size.width() + sx];
                    if (pixel >> 24 == 0xFF) {
                        ASSERT_EQ(At(shown, fit.x + dx, fit.y + dy), pixel & 0xFFFFFF) << dx << "," << dy;
                    } else if (pixel >> 24 == 0) {
                        ASSERT_EQ(At(shown, fit.x + dx, fit.y + dy), CheckerColour(dx, dy) & 0xFFFFFF)
                            << dx << "," << dy;
                    }
                }
            }
        }
    }
}

namespace {

void Turn(QWidget* widget, int angle)
{
    QWheelEvent wheel(QPointF(10, 10), widget->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, angle), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget, &wheel);
}

}  // namespace

TEST(TexturePreview, EachFrameStepsThroughTheLevelsOfItsTextureAndSaysWhichItShows)
{
    TempDir desktop;
    const fs::path samples = QUORREL_SAMPLES_DIR;
    std::error_code error;
    fs::copy(samples / "tga", desktop.path(), error);
    ASSERT_FALSE(error) << error.message();
    EditorUnderTest editor(desktop.path().string());
    editor.script.openAnswers.push_back(QString::fromStdString((samples / "scene_new.T3D").string()));
    editor.dialog->OnLoad();
    editor.settle();
    auto* list = editor.control<QListWidget>(kTextureListId);
    auto* scene = editor.control<PreviewFrame>(kSceneFrameId);
    auto* replacement = editor.control<PreviewFrame>(kReplacementFrameId);
    ASSERT_TRUE(list && scene && replacement);

    list->setCurrentRow(4);  // sky_EZ, 128 x 64, five levels
    EXPECT_EQ(scene->caption(), QString("level 0 \u00B7 128 x 64"));
    Turn(scene, -120);
    EXPECT_EQ(scene->caption(), QString("level 1 \u00B7 64 x 32"));
    Turn(scene, -60);
    EXPECT_EQ(scene->level(), 1) << "half a notch is no step yet";
    Turn(scene, -60);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(scene, Qt::Key_PageDown);
    EXPECT_EQ(scene->caption(), QString("level 4 \u00B7 8 x 4")) << "the last level is as far as it goes";
    // Home and End: the largest and the smallest level.
    QTest::keyClick(scene, Qt::Key_Home);
    EXPECT_EQ(scene->level(), 0);
    QTest::keyClick(scene, Qt::Key_End);
    EXPECT_EQ(scene->level(), 4);
    QTest::keyClick(scene, Qt::Key_PageUp);
    Turn(scene, 120);
    CVK7QScene read;
    ASSERT_TRUE(read.Load((samples / "scene_new.T3D").c_str(), 0));
    const QImage expected = PreviewImage(read.GetSceneHeader()->textures[4], scene->clientSize(), 2);
    editor.dialog->repaint();
    EXPECT_EQ(scene->level(), 2) << "painting keeps the level";
    EXPECT_EQ(editor.framePicture(kSceneFrameId).copy(0, 0, 272, 300), expected.copy(0, 0, 272, 300));
    list->setCurrentRow(2);  // bricks_E, 64 x 32
    EXPECT_EQ(scene->caption(), QString("level 0 \u00B7 64 x 32"));

    // The replacement: its own levels, and a tooltip that sums it up.
    editor.tree->setCurrentItem(editor.tree->desktopEntry("crate_A.tga"));
    editor.settle();
    // Under the level, the frame says it shows the replacement as it will go in.
    EXPECT_EQ(replacement->caption(), QString("level 0 \u00B7 64 x 64\nAs it will go in: 8 bit"));
    QTest::keyClick(replacement, Qt::Key_PageDown);
    EXPECT_EQ(replacement->caption().section('\n', 0, 0), QString("level 1 \u00B7 32 x 32"));
    EXPECT_EQ(scene->level(), 1) << "linked frames show the same level";
    const QString tip = replacement->toolTip();
    EXPECT_TRUE(tip.startsWith("64 x 64 \u00B7 ") && tip.contains(" bit \u00B7 5 levels\nFlags: "))
        << tip.toStdString();
    editor.tree->setCurrentItem(editor.tree->desktopEntry("crate_A1.tga"));
    editor.settle();
    EXPECT_EQ(replacement->caption().section('\n', 0, 0), QString("level 0 \u00B7 32 x 32"));
    editor.tree->setCurrentItem(editor.tree->topLevelItem(0));
    editor.settle();
    EXPECT_TRUE(replacement->caption().isEmpty() && replacement->toolTip().isEmpty());
    Turn(replacement, -120);
    EXPECT_TRUE(replacement->caption().isEmpty()) << "nothing to step through";
}
