#include "texture/chain/StaleLevels.h"

#include <gtest/gtest.h>

namespace {

TEST(StaleLevels, AreTheFilesOlderThanTheFirstByMoreThanTheMargin)
{
    constexpr int64_t kFirst = 100'000'000'000;
    const std::vector<LevelFileTime> files = {
        {"dir/c_A.png", kFirst},
        {"dir/c_A1.png", kFirst - kStaleLevelMargin},      // exactly the margin: saved together
        {"dir/c_A2.png", kFirst - kStaleLevelMargin - 1},  // one nanosecond more: stale
        {"dir/c_A3.png", kFirst + 5},
        {"dir/c_A4.png", 0},
    };
    EXPECT_EQ(std::vector<int>({2, 4}), StaleLevels(files));
    EXPECT_EQ(std::vector<int>(), StaleLevels({files[0]}));

    const std::pair<std::vector<int>, std::string> lists[] = {
        {{2}, "c_A2.png"},
        {{2, 4}, "c_A2.png and c_A4.png"},
        {{1, 2, 3}, "c_A1.png ... c_A3.png"},
        {{1, 2, 4}, "c_A1.png, c_A2.png and c_A4.png"},
        {{}, ""},
    };
    for (const auto& [levels, words] : lists)
        EXPECT_EQ(words, LevelFileList(files, levels));

    // The files the reader reads: down to 16 on the larger side, never an empty side.
    EXPECT_TRUE(ReadsLevelFile(64, 64, 2));
    EXPECT_FALSE(ReadsLevelFile(64, 64, 3));
    EXPECT_TRUE(ReadsLevelFile(256, 1, 0));
    EXPECT_FALSE(ReadsLevelFile(256, 1, 1));
    EXPECT_FALSE(ReadsLevelFile(4096, 4096, 8));
    // Of the stale ones, those read: c_A4.png is too small at 64 x 64.
    EXPECT_EQ(std::vector<int>({2}), StaleLevelsRead(files, 64, 64));
    EXPECT_EQ(std::vector<int>({2, 4}), StaleLevelsRead(files, 256, 256));
}

}  // namespace
