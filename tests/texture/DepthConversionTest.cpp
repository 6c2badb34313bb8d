#include "support/RecordingReport.h"
#include "support/TextureBuilder.h"

#include "texture/convert/DepthConversion.h"
#include "texture/convert/MipGeneration.h"
#include "texture/convert/PixelExpansion.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

std::vector<uint32_t> Opaque(std::vector<uint32_t> pixels)
{
    for (uint32_t& p : pixels)
        p |= 0xFF000000u;
    return pixels;
}

}  // namespace

TEST(DepthConversion, EachDepthKeepsTheColoursItCanHold)
{
    // 0xAARRGGBB with partial alpha in a few pixels.
    auto colour = [](int level, size_t i) {
        const uint32_t v = uint32_t(i * 2654435761u + level * 97u);
        return (i % 5 == 0 ? 0x80000000u : 0xFF000000u) | (v & 0xFFFFFF);
    };
    for (unsigned depth : {32u, 24u, 16u}) {
        for (bool green565 : {false, true}) {
            TextureRecord holder = TextureBuilder(16, 16, 32).standardMasks().levels(3).argb(colour).build();
            const std::vector<uint32_t> before = ExpandLevelToArgb(holder.record(), 2);
            RecordingReport report;
            ASSERT_TRUE(ConvertRgbaChain(holder, {depth, green565, true}, "a.png", report));
            const T3D_TEXTURE& r = holder.record();
            EXPECT_EQ(r.depth, depth);
            EXPECT_EQ(r.levelCount, 3);
            const std::vector<uint32_t> after = ExpandLevelToArgb(r, 2);
            if (depth == 16) {
                EXPECT_EQ(r.greenMask, green565 ? kMask565Green : kMask555Green);
                for (size_t i = 0; i < after.size(); ++i) {
                    // Packing what the preview shows gives the same pixel back.
                    ASSERT_EQ(PackPixel16(after[i], green565), PackPixel16(before[i], green565)) << i;
                    const long red = std::lround((before[i] >> 16 & 0xFF) * 31 / 255.0);
                    const long green = std::lround((before[i] >> 8 & 0xFF) * (green565 ? 63 : 31) / 255.0);
                    ASSERT_EQ(after[i] >> 16 & 0xFF, WidenChannel(uint32_t(red), 5)) << i;
                    ASSERT_EQ(after[i] >> 8 & 0xFF, WidenChannel(uint32_t(green), green565 ? 6 : 5)) << i;
                }
            } else {
                EXPECT_EQ(after, depth == 32 ? before : Opaque(before)) << depth;
            }
            ASSERT_EQ(report.messages.size(), depth == 32 ? 0u : 1u) << depth;
            if (depth != 32) {
                EXPECT_EQ(report.messages[0].severity, Severity::Warning);
            }
        }
    }
}

TEST(DepthConversion, FewColoursMapExactlyInOrderOfFirstAppearance)
{
    // Level 0 uses (from its top row) C, A, B; level 1 brings D.
    const uint32_t A = 0xFF102030, B = 0xFF405060, C = 0xFF708090, D = 0xFFA0B0C0;
    TextureRecord holder = TextureBuilder(4, 4, 32)
                               .standardMasks()
                               .levels(2)
                               .argb([&](int level, size_t i) {
                                   if (level == 1)
                                       return i == 3 ? D : A;
                                   return i == 0 ? C : i < 8 ? A : B;
                               })
                               .build();
    RecordingReport report;
    ASSERT_TRUE(ConvertRgbaChain(holder, {8, false, true}, "a.png", report));
    const T3D_TEXTURE& r = holder.record();
    EXPECT_EQ(r.depth, 8);
    EXPECT_EQ(r.redMask | r.greenMask | r.blueMask | r.alphaMask, 0u);
    const Rgb order[] = {{0x70, 0x80, 0x90}, {0x10, 0x20, 0x30}, {0x40, 0x50, 0x60}, {0xA0, 0xB0, 0xC0}};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(PaletteColour(r, i), order[i]) << i;
    EXPECT_EQ(r.levels[0][0], 0);
    EXPECT_EQ(r.levels[0][5], 1);
    EXPECT_EQ(r.levels[0][15], 2);
    EXPECT_EQ(std::vector<uint8_t>(r.levels[1], r.levels[1] + 4), (std::vector<uint8_t>{1, 1, 1, 3}));
    EXPECT_TRUE(report.messages.empty());
}

TEST(DepthConversion, PaletteChainKeepsItsPaletteAndIndices)
{
    Palette palette;
    palette.count = 3;
    palette.colours[0] = palette.colours[2] = {9, 9, 9};  // a duplicate: indices still kept
    palette.colours[1] = {1, 2, 3};
    const std::vector<uint8_t> level0 = {2, 1, 0, 2}, level1 = {1};
    TextureRecord holder = TextureBuilder(2, 2, 32)
                               .standardMasks()
                               .levels(2)
                               .argb([&](int level, size_t i) {
                                   const Rgb c = palette.colours[level == 0 ? level0[i] : level1[i]];
                                   return 0xFF000000u | uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue;
                               })
                               .build();
    KeptPalette kept;
    kept.palette = &palette;
    kept.levels[0] = level0.data();
    kept.levels[1] = level1.data();
    RecordingReport report;
    ASSERT_TRUE(ConvertRgbaChain(holder, {8, false, true}, "p.png", report, &kept));
    const T3D_TEXTURE& r = holder.record();
    EXPECT_EQ(std::vector<uint8_t>(r.levels[0], r.levels[0] + 4), level0);
    EXPECT_EQ(r.levels[1][0], 1);
    EXPECT_EQ(PaletteColour(r, 2), (Rgb{9, 9, 9}));
}

TEST(DepthConversion, ManyColoursAreQuantisedToOnePaletteForAllLevels)
{
    auto colour = [](int level, size_t i) {
        return 0xFF000000u | uint32_t(i * 4 % 256) << 16 | uint32_t(i / 16 % 256) << 8 | uint32_t(level * 40);
    };
    for (bool dither : {true, false}) {
        TextureRecord copy = TextureBuilder(64, 64, 32).standardMasks().levels(5).argb(colour).build();
        const std::vector<uint32_t> before = ExpandLevelToArgb(copy.record(), 1);
        RecordingReport report;
        ASSERT_TRUE(ConvertRgbaChain(copy, {8, false, dither}, "q.png", report));
        const std::vector<uint32_t> after = ExpandLevelToArgb(copy.record(), 1);
        ASSERT_EQ(after.size(), before.size());
        // Close to the original on average: level 1 was remapped to the palette.
        double error = 0;
        for (size_t i = 0; i < after.size(); ++i)
            for (int shift : {0, 8, 16})
                error += std::abs(int(after[i] >> shift & 0xFF) - int(before[i] >> shift & 0xFF));
        EXPECT_LT(error / (after.size() * 3), 12.0) << dither;
    }

    // Cancelled, it fails without a word and leaves the record as it was.
    TextureRecord held = TextureBuilder(64, 64, 32).standardMasks().levels(5).argb(colour).build();
    const std::atomic<bool> cancel{true};
    DepthOptions cancelled{8};
    cancelled.cancel = &cancel;
    RecordingReport report;
    EXPECT_FALSE(ConvertRgbaChain(held, cancelled, "q.png", report));
    EXPECT_TRUE(report.messages.empty());
    EXPECT_EQ(held.record().depth, 32);
}
