#include "support/TextureCompare.h"

#include <gtest/gtest.h>

#include <cstring>

void ExpectSameTexture(const T3D_TEXTURE& expected, const T3D_TEXTURE& actual, TextureParts parts)
{
    ASSERT_EQ(expected.width, actual.width);
    ASSERT_EQ(expected.height, actual.height);
    ASSERT_EQ(expected.depth, actual.depth);
    ASSERT_EQ(expected.levelCount, actual.levelCount);
    EXPECT_EQ(0, std::memcmp(expected.palette, actual.palette, sizeof expected.palette));
    if (parts == TextureParts::everything) {
        EXPECT_EQ(expected.redMask, actual.redMask);
        EXPECT_EQ(expected.greenMask, actual.greenMask);
        EXPECT_EQ(expected.blueMask, actual.blueMask);
        EXPECT_EQ(expected.alphaMask, actual.alphaMask);
        EXPECT_EQ(expected.flags, actual.flags);
        EXPECT_STREQ(expected.name, actual.name);
        for (int level = expected.levelCount; level < kMaxTextureLevels; ++level)
            EXPECT_EQ(nullptr, actual.levels[level]) << "level " << level;
    }
    for (int level = 0; level < expected.levelCount; ++level) {
        ASSERT_NE(nullptr, actual.levels[level]) << "level " << level;
        EXPECT_EQ(0, std::memcmp(expected.levels[level], actual.levels[level], size_t(LevelByteCount(expected, level))))
            << "pixels of level " << level;
    }
}
