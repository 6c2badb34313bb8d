#include "texture/TextureRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

TEST(TextureRecord, StartsClearedAndClearFreesEveryLevel)
{
    TextureRecord holder;
    EXPECT_EQ(holder.record().width, 0);
    EXPECT_EQ(holder.record().levelCount, 0);
    for (uint8_t* level : holder.record().levels)
        EXPECT_EQ(level, nullptr);

    holder.record().width = 4;
    holder.record().levelCount = 2;
    ASSERT_NE(holder.allocateLevel(0, 16), nullptr);
    ASSERT_NE(holder.allocateLevel(1, 4), nullptr);
    std::strcpy(holder.record().name, "wall");
    holder.clear();

    const T3D_TEXTURE& r = holder.record();
    const auto* bytes = reinterpret_cast<const unsigned char*>(&r);
    for (size_t i = 0; i < sizeof r; ++i)
        ASSERT_EQ(bytes[i], 0) << "byte " << i;
}

TEST(TextureRecord, MoveHandsOverBuffersOnce)
{
    TextureRecord a;
    uint8_t* level = a.allocateLevel(0, 64);
    ASSERT_NE(level, nullptr);

    TextureRecord b(std::move(a));
    EXPECT_EQ(b.record().levels[0], level);
    EXPECT_EQ(a.record().levels[0], nullptr);

    TextureRecord c;
    c.allocateLevel(0, 8);
    c = std::move(b);  // frees c's own buffer, takes b's
    EXPECT_EQ(c.record().levels[0], level);
    EXPECT_EQ(b.record().levels[0], nullptr);
    // The sanitizer run checks that each buffer is freed exactly once.
}

TEST(TextureRecord, RefusesAnImpossibleAllocation)
{
    TextureRecord holder;
    EXPECT_EQ(holder.allocateLevel(0, UINT64_MAX), nullptr);
    EXPECT_EQ(holder.record().levels[0], nullptr);
}
