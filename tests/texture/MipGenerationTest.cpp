#include "support/TextureBuilder.h"

#include "texture/convert/BoxFilter.h"
#include "texture/convert/MipGeneration.h"
#include "texture/convert/PaletteMatch.h"
#include "texture/convert/PixelExpansion.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

TEST(MipGeneration, CountsLevelsBySmallerSide)
{
    struct Size {
        unsigned width, height;
        int levels;
    };
    const Size sizes[] = {
        {256, 256, 7}, {16, 16, 3}, {32, 32, 4},     {64, 64, 5},     {256, 64, 5},
        {64, 256, 5},  {4, 4, 1},   {5, 5, 1},       {6, 6, 2},       {2, 2, 0},
        {1, 1, 0},     {0, 512, 0}, {1024, 1024, 8}, {4096, 4096, 8}, {65535, 65535, 8},
    };
    for (const Size& s : sizes)
        EXPECT_EQ(GeneratedLevelCount(s.width, s.height), s.levels) << s.width << "x" << s.height;
}

TEST(MipGeneration, TakesWholePixelsWithEachLevelsOwnRowLength)
{
    // 14 x 28: levels of 7 x 14 and 3 x 7. Level 1's rows are 7 pixels long,
    // so level 2's pixel (x, y) is level 1's (2x, 2y) at 2y * 7 + 2x.
    for (int depth : {8, 16, 24, 32}) {
        const unsigned bpp = BytesPerPixel(depth);
        // Byte b of pixel i is (i * 3 + b) & 0xFF, so a shifted or split pixel
        // shows.
        TextureRecord holder = TextureBuilder(14, 28, unsigned(depth))
                                   .flags(0x80)
                                   .bytes([bpp](int, uint64_t i) { return uint8_t(i / bpp * 3 + i % bpp); })
                                   .build();
        T3D_TEXTURE& r = holder.record();
        const uint8_t* top = r.levels[0];

        ASSERT_TRUE(GenerateMipLevels(holder));
        EXPECT_EQ(r.levelCount, 3) << depth;
        EXPECT_EQ(r.flags, 0x81u);
        EXPECT_EQ(r.levels[3], nullptr);

        for (unsigned y = 0; y < 7; ++y) {
            for (unsigned x = 0; x < 3; ++x) {
                // Level 2 (x, y) <- level 1 (2x, 2y) <- level 0 (4x, 4y).
                const unsigned source = 4 * y * 14 + 4 * x;
                for (unsigned b = 0; b < bpp; ++b)
                    ASSERT_EQ(r.levels[2][(y * 3 + x) * bpp + b], uint8_t(source * 3 + b))
                        << depth << " at " << x << "," << y;
            }
        }
        for (unsigned i = 0; i < 7 * 14; ++i) {
            const unsigned source = (i / 7) * 2 * 14 + (i % 7) * 2;
            ASSERT_EQ(std::memcmp(r.levels[1] + i * bpp, top + source * bpp, bpp), 0) << depth << " " << i;
        }
    }
}

TEST(MipGeneration, LeavesEnoughLevelsAlone)
{
    TextureRecord holder = TextureBuilder(16, 16, 8).levels(3).build();
    T3D_TEXTURE& r = holder.record();
    uint8_t* const kept = r.levels[2];
    ASSERT_TRUE(GenerateMipLevels(holder));
    EXPECT_EQ(r.levelCount, 3);
    EXPECT_EQ(r.levels[2], kept);
    EXPECT_EQ(r.flags, 0u);

    TextureRecord empty;  // no level 0: nothing to make levels from
    empty.record().width = empty.record().height = 64;
    empty.record().depth = 8;
    ASSERT_TRUE(GenerateMipLevels(empty));
    EXPECT_EQ(empty.record().levelCount, 0);
    EXPECT_EQ(empty.record().levels[1], nullptr);
}

namespace {

// One 2 x 2 block of 0xAARRGGBB pixels (top left, top right, bottom left,
// bottom right) through the box filter.
uint32_t BoxOf(std::array<uint32_t, 4> block, bool alphaWeights = true)
{
    uint32_t out = 0;
    BoxFilterLevel(reinterpret_cast<const uint8_t*>(block.data()), 2, reinterpret_cast<uint8_t*>(&out), 1, 1,
                   alphaWeights);
    return out;
}

double Decode(unsigned c)
{
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double Encode255(double linear)
{
    return 255 * (linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055);
}

}  // namespace

TEST(BoxFilter, MatchesHandWorkedBlocks)
{
    struct Case {
        const char* what;
        std::array<uint32_t, 4> block;
        bool alphaWeights;
        uint32_t red, alpha;  // worked out by hand
    };
    const Case cases[] = {
        // Half the light of full red: 255 * enc(0.5) = 187.5, so 187 or 188.
        {"opaque mix", {0xFF000000, 0xFFFF0000, 0xFF000000, 0xFFFF0000}, true, 188, 255},
        // Only the opaque red pixel has weight; alpha (255 + 2) >> 2.
        {"alpha weights", {0x00000000, 0xFFFF0000, 0x00000000, 0x00000000}, true, 255, 64},
        {"alpha sum 0", {0x00000000, 0x00000000, 0x00FF0000, 0x00FF0000}, true, 188, 0},
        {"no alpha mask", {0x00000000, 0xFFFF0000, 0x00000000, 0x00000000}, false, 137, 64},
        {"weights 255 and 85", {0xFFFF0000, 0x55000000, 0x00000000, 0x00000000}, true, 225, 85},
    };
    // no alpha mask: 255 * enc(0.25) = 137.0; weights: enc(255 / 340) = 225.4.
    for (const Case& c : cases) {
        const uint32_t out = BoxOf(c.block, c.alphaWeights);
        EXPECT_NEAR(double(out >> 16 & 0xFF), double(c.red), 1.0) << c.what;
        EXPECT_EQ(out >> 24, c.alpha) << c.what;
        EXPECT_EQ(out & 0xFFFF, 0u) << c.what;
    }

    // Random blocks against the exact formula: never more than 1 apart.
    uint32_t state = 99;
    for (int n = 0; n < 20000; ++n) {
        std::array<uint32_t, 4> block;
        for (uint32_t& p : block) {
            state = state * 1664525u + 1013904223u;
            p = state;
        }
        const uint32_t out = BoxOf(block);
        double weight = 0;
        for (uint32_t p : block)
            weight += p >> 24;
        for (int shift : {0, 8, 16}) {
            double sum = 0;
            for (uint32_t p : block)
                sum += Decode(p >> shift & 0xFF) * (weight == 0 ? 1 : p >> 24);
            const double exact = std::round(Encode255(sum / (weight == 0 ? 4 : weight)));
            ASSERT_LE(std::abs(double(out >> shift & 0xFF) - exact), 1.0) << n << " " << shift;
        }
    }
}

TEST(BoxFilter, EveryDepthFiltersWhatThePreviewShowsAndOddEdgesAreUnused)
{
    // 11 x 8 (a generated level of 5 x 4): black and white in a
    // checkerboard, and a last column of white that the filter must not reach.
    for (int depth : {8, 16, 24, 32}) {
        const unsigned bpp = BytesPerPixel(unsigned(depth));
        const auto byte = [depth, bpp](int, uint64_t i) {
            const uint64_t x = i / bpp % 11, y = i / bpp / 11, b = i % bpp;
            const bool white = x == 10 || (x + y) % 2 == 1;
            if (depth == 8)
                return uint8_t(white ? 1 : 0);
            if (depth == 16 && b == 1)
                return uint8_t(white ? 0x7F : 0);  // bit 15 stays zero
            if (depth == 32 && b == 3)
                return uint8_t(0xFF);  // opaque black
            return uint8_t(white ? 0xFF : 0);
        };
        TextureRecord holder = TextureBuilder(11, 8, unsigned(depth))
                                   .standardMasks()
                                   .paletteColour(1, {255, 255, 255})
                                   .paletteColour(2, {190, 190, 190})
                                   .bytes(byte)
                                   .build();
        T3D_TEXTURE& r = holder.record();
        ASSERT_TRUE(GenerateMipLevels(holder, MipFilter::box));
        ASSERT_EQ(r.levelCount, 2);
        const std::vector<uint32_t> out = ExpandLevelToArgb(r, 1);
        // Half light: 188, or 23 of 31 at 16 bits (widened 189), or the
        // palette's nearest grey (190).
        const uint32_t grey = depth == 8 ? 190 : depth == 16 ? 189 : 188;
        for (uint32_t p : out) {
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(double(p >> shift & 0xFF), double(grey), depth == 16 ? 8.0 : 1.0) << depth;
        }
        if (depth == 8) {
            EXPECT_EQ(r.levels[1][0], 2);
        } else if (depth == 16) {
            EXPECT_EQ(r.levels[1][0] | r.levels[1][1] << 8, 23 << 10 | 23 << 5 | 23);
        }
    }
}
