#include "texture/convert/PixelExpansion.h"

#include "support/TextureBuilder.h"
#include "texture/TextureRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

TEST(PixelExpansion, WidensChannelsByRepeatingTheirBits)
{
    struct Widen {
        uint32_t value;
        unsigned bits;
        int wide;
    };
    const Widen cases[] = {
        {0, 5, 0},    {31, 5, 255}, {16, 5, 132}, {1, 5, 8},       {0x15, 5, (0x15 << 3) | (0x15 >> 2)},
        {63, 6, 255}, {32, 6, 130}, {1, 6, 4},    {0xAB, 8, 0xAB}, {1, 1, 255},
        {0, 1, 0},    {2, 2, 0xAA}, {5, 3, 0xB6},
    };
    for (const Widen& c : cases)
        EXPECT_EQ(WidenChannel(c.value, c.bits), c.wide) << c.value << "/" << c.bits;

    // 5-5-5 to 5-6-5 widens green the same way, and back loses nothing.
    for (unsigned p = 0; p < 0x8000; ++p) {
        const uint16_t wide = Pixel555To565(uint16_t(p));
        ASSERT_EQ((wide >> 5) & 0x3F, WidenChannel((p >> 5) & 0x1F, 5) >> 2) << p;
        ASSERT_EQ(Pixel565To555(wide), p) << p;
    }
}

TEST(PixelExpansion, ExpandsEveryDepthThroughPaletteOrMasks)
{
    TextureRecord pal = TextureBuilder(2, 1, 8).level0({0, 255}).build();
    pal.record().palette[0][0] = 1;   // blue
    pal.record().palette[0][1] = 2;   // green
    pal.record().palette[0][2] = 3;   // red
    pal.record().palette[0][3] = 77;  // unused
    pal.record().palette[255][2] = 0xFF;
    EXPECT_EQ(ExpandLevelToArgb(pal.record(), 0), std::vector<uint32_t>({0xFF030201, 0xFFFF0000}));

    // 0x7C00 red, 0x03E0 green, 0x0010 half blue
    TextureRecord r555 =
        TextureBuilder(3, 1, 16).level0({0x00, 0x7C, 0xE0, 0x03, 0x10, 0x00}).masks(0x7C00, 0x3E0, 0x1F, 0).build();
    EXPECT_EQ(ExpandLevelToArgb(r555.record(), 0), std::vector<uint32_t>({0xFFFF0000, 0xFF00FF00, 0xFF000084}));

    // 0xF800 red, 0x0400 half green (32 of 63)
    TextureRecord r565 =
        TextureBuilder(2, 1, 16).level0({0x00, 0xF8, 0x00, 0x04}).masks(0xF800, 0x7E0, 0x1F, 0).build();
    EXPECT_EQ(ExpandLevelToArgb(r565.record(), 0), std::vector<uint32_t>({0xFFFF0000, 0xFF008200}));

    TextureRecord r24 = TextureBuilder(2, 1, 24).level0({1, 2, 3, 4, 5, 6}).masks(0xFF0000, 0xFF00, 0xFF, 0).build();
    EXPECT_EQ(ExpandLevelToArgb(r24.record(), 0), std::vector<uint32_t>({0xFF030201, 0xFF060504}));

    TextureRecord r32 =
        TextureBuilder(2, 1, 32).level0({1, 2, 3, 0x40, 4, 5, 6, 0}).masks(0xFF0000, 0xFF00, 0xFF, 0xFF000000).build();
    T3D_TEXTURE& t32 = r32.record();
    EXPECT_EQ(ExpandLevelToArgb(t32, 0), std::vector<uint32_t>({0x40030201, 0x00060504}));
    t32.alphaMask = 0;  // no alpha: opaque
    EXPECT_EQ(ExpandLevelToArgb(t32, 0), std::vector<uint32_t>({0xFF030201, 0xFF060504}));
    // Other masks: red in the low byte, alpha in the second (a 4-bit mask).
    t32.redMask = 0xFF;
    t32.blueMask = 0xFF0000;
    t32.alphaMask = 0xF00;
    EXPECT_EQ(ExpandLevelToArgb(t32, 0), std::vector<uint32_t>({0x22010203, 0x55040506}));
}

TEST(PixelExpansion, GivesNothingForALevelWithoutPixels)
{
    TextureRecord holder = TextureBuilder(4, 1, 8).level0({1, 2, 3, 4}).build();
    T3D_TEXTURE& r = holder.record();
    EXPECT_EQ(ExpandLevelToArgb(r, 0).size(), 4u);
    EXPECT_TRUE(ExpandLevelToArgb(r, 1).empty());  // beyond the level count
    EXPECT_TRUE(ExpandLevelToArgb(r, -1).empty());
    r.depth = 12;
    EXPECT_TRUE(ExpandLevelToArgb(r, 0).empty());  // no such pixel size
    r.depth = 8;
    r.height = 0;
    EXPECT_TRUE(ExpandLevelToArgb(r, 0).empty());  // a size of 0
    r.height = 1;
    r.levelCount = 2;
    EXPECT_TRUE(ExpandLevelToArgb(r, 1).empty());  // counted but no buffer
    TextureRecord cleared;
    EXPECT_TRUE(ExpandLevelToArgb(cleared.record(), 0).empty());
}
