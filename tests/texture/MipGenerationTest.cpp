#include "texture/MipGeneration.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(MipGeneration, CountsLevelsBySmallerSide)
{
    struct Size {
        unsigned width, height;
        int levels;
    };
    const Size sizes[] = {
        {256, 256, 7}, {16, 16, 3}, {32, 32, 4}, {64, 64, 5}, {256, 64, 5}, {64, 256, 5},
        {4, 4, 1},     {5, 5, 1},   {6, 6, 2},   {2, 2, 0},   {1, 1, 0},    {0, 512, 0},
        {1024, 1024, 8}, {4096, 4096, 8}, {65535, 65535, 8},
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
        TextureRecord holder;
        T3D_TEXTURE& r = holder.record();
        r.width = 14;
        r.height = 28;
        r.depth = uint16_t(depth);
        r.levelCount = 1;
        r.flags = 0x80;
        uint8_t* top = holder.allocateLevel(0, 14 * 28 * bpp);
        // Pixel i holds i in every byte's position-dependent way: byte b of
        // pixel i is (i * 3 + b) & 0xFF, so a shifted or split pixel shows.
        for (unsigned i = 0; i < 14 * 28; ++i)
            for (unsigned b = 0; b < bpp; ++b)
                top[i * bpp + b] = uint8_t(i * 3 + b);

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
    TextureRecord holder;
    T3D_TEXTURE& r = holder.record();
    r.width = r.height = 16;
    r.depth = 8;
    r.levelCount = 3;
    for (int level = 0; level < 3; ++level)
        holder.allocateLevel(level, LevelByteCount(r, level));
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
