#include "texture/chain/MipChainNaming.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct NamingCase {
    const char* path;
    const char* next;
    uint32_t flags;
};

std::string Next(const std::string& path, uint32_t* flags = nullptr)
{
    char next[kPathBufferSize];
    const uint32_t f = MipChainNaming(path.c_str(), next);
    if (flags)
        *flags = f;
    return next;
}

}  // namespace

TEST(MipChainNaming, FollowsTheRuleForEveryKindOfName)
{
    const NamingCase cases[] = {
        // No suffix: _1 goes in before the last dot.
        {"C:\\tex\\wall.tga", "C:\\tex\\wall_1.tga", 0},
        {"C:\\my_tex\\wall.tga", "C:\\my_tex\\wall_1.tga", 0},
        {"/home/my_tex/wall.tga", "/home/my_tex/wall_1.tga", 0},
        {"C:\\tex\\wall", "C:\\tex\\wall", 0},
        // Only the file name counts: a dot, underscore or digit in a folder
        // name is never used, and a file name without a dot has no next name.
        {"C:\\my.dir\\wall", "C:\\my.dir\\wall", 0},
        {"/my.d/wall_A1", "/my.d/wall_A1", 0x02},
        {"/a_1.d/wall.tga", "/a_1.d/wall_1.tga", 0},
        {"/a_1.d/b_2/wall_A.tga", "/a_1.d/b_2/wall_A1.tga", 0x02},
        {"", "", 0},
        // A leading underscore or dot is never a separator.
        {"_A.tga", "_A_1.tga", 0},
        {"C:\\tex\\_A.tga", "C:\\tex\\_A_1.tga", 0},
        {".tga", ".tga", 0},
        // A digit is bumped, every occurrence after the underscore.
        {"C:\\tex\\wall_1.tga", "C:\\tex\\wall_2.tga", 0},
        {"C:\\tex\\tree_a2f.tga", "C:\\tex\\tree_a3f.tga", 0x0A},
        {"wall_1A1.tga", "wall_2A2.tga", 0x02},
        {"/data/wall_A1.tga", "/data/wall_A2.tga", 0x02},
        {"wall_8.tga", "wall_9.tga", 0},
        // No digit: 1 goes in before the dot.
        {"C:\\tex\\sky_EZ.tga", "C:\\tex\\sky_EZ1.tga", 0x90},
        {"C:\\tex\\sky_ez.tga", "C:\\tex\\sky_ez1.tga", 0x90},
        {"/data/wall_A.tga", "/data/wall_A1.tga", 0x02},
        {"C:\\tex\\wall_.tga", "C:\\tex\\wall_1.tga", 0x02},
        // Each letter, including U -> 0x40 and V -> 0x20; others add nothing.
        {"t_A.tga", "t_A1.tga", 0x02},
        {"t_F.tga", "t_F1.tga", 0x08},
        {"t_D.tga", "t_D1.tga", 0x04},
        {"t_E.tga", "t_E1.tga", 0x10},
        {"t_U.tga", "t_U1.tga", 0x40},
        {"t_V.tga", "t_V1.tga", 0x20},
        {"t_Z.tga", "t_Z1.tga", 0x80},
        {"t_bcghq.tga", "t_bcghq1.tga", 0},
        // Names the rule cannot bump come back unchanged, flags still given.
        {"C:\\tex\\wall_A9.tga", "C:\\tex\\wall_A9.tga", 0x02},
        {"wall_9.tga", "wall_9.tga", 0},
        {"wall_AZ", "wall_AZ", 0x82},
    };
    for (const NamingCase& c : cases) {
        uint32_t flags = 0xDEAD;
        EXPECT_EQ(Next(c.path, &flags), c.next) << c.path;
        EXPECT_EQ(flags, c.flags) << c.path;
    }
}

TEST(MipChainNaming, NeverWritesPastItsBuffer)
{
    constexpr char kCanary = '#';
    const std::string suffix = "_AZ.tga";
    for (size_t length : {509u, 510u, 511u, 512u, 2000u}) {
        const std::string path = std::string(length - suffix.size(), 'x') + suffix;
        std::vector<char> buffer(kPathBufferSize + 64, kCanary);
        const uint32_t flags = MipChainNaming(path.c_str(), buffer.data());

        EXPECT_EQ(flags, 0x82u) << length;
        for (size_t i = kPathBufferSize; i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], kCanary) << length;
        const std::string next = buffer.data();
        if (length + 1 + 1 <= size_t(kPathBufferSize)) {
            EXPECT_EQ(next, path.substr(0, path.size() - 4) + "1.tga") << length;
        } else {
            // Too long for the rule: a copy, cut to the buffer.
            EXPECT_EQ(next, path.substr(0, kPathBufferSize - 1)) << length;
        }
    }
}

TEST(MipChainNaming, NextLevelNameServesPathsOfAnyLength)
{
    std::string next;
    EXPECT_EQ(NextMipLevelName("/t/wall_A.tga", next), 0x02u);
    EXPECT_EQ(next, "/t/wall_A1.tga");
    const std::string longPath = "/t/" + std::string(600, 'x') + "_Z.tga";
    EXPECT_EQ(NextMipLevelName(longPath, next), 0x80u);
    EXPECT_EQ(next, "/t/" + std::string(600, 'x') + "_Z1.tga");
    for (const std::string& path : {std::string("/t/wall_A9.tga"), std::string("/t/wall")}) {
        next = "stale";
        NextMipLevelName(path, next);
        EXPECT_EQ(next, "") << path;
    }
}

TEST(MipChainNaming, PlansChainsAndSuggestsNamesThatWork)
{
    const std::string x249(249, 'x'), w250(250, 'w');
    struct PlanCase {
        std::string first;
        int levels;
        ChainNaming naming;
        std::string working;  // in the same folder
    };
    const PlanCase cases[] = {
        {"/o/wall_A.tga", 4, ChainNaming::Ok, "/o/wall_A.tga"},
        {"/o/wall", 1, ChainNaming::Ok, "/o/wall"},  // a chain of one needs no next name
        {"/o/wall_7.tga", 3, ChainNaming::Ok, "/o/wall_7.tga"},
        {"/o/wall_8.tga", 3, ChainNaming::PastDigitNine, "/o/wall_0.tga"},
        {"/o/tree_a9f.tga", 2, ChainNaming::PastDigitNine, "/o/tree_af.tga"},
        {"/o/wall", 2, ChainNaming::NoDot, "/o/wall.tga"},
        {"/o/sky_EZ", 4, ChainNaming::NoDot, "/o/sky_EZ.tga"},
        {"/my.d/wall_A", 2, ChainNaming::NoDot, "/my.d/wall_A.tga"},
        // Too long: the part before the suffix gives way, so the longest
        // level's name is 255 characters.
        {"/o/" + x249 + "xxxxx.tga", 2, ChainNaming::NameTooLong, "/o/" + x249 + ".tga"},
        {"/o/" + w250 + "_DZ.tga", 3, ChainNaming::NameTooLong, "/o/" + w250.substr(3) + "_DZ.tga"},
        // Nothing before the suffix to shorten: only the flag letters stay.
        {"/o/x_" + std::string(260, 'A') + ".tga", 2, ChainNaming::NameTooLong, "/o/texture_A.tga"},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.first.substr(0, 40));
        std::vector<std::string> files;
        EXPECT_EQ(PlanChainNames(c.first, c.levels, files), c.naming);
        if (c.naming == ChainNaming::Ok) {
            EXPECT_EQ(int(files.size()), c.levels);
        }
        const std::string working = WorkingChainName(c.first, c.levels, ".tga");
        EXPECT_EQ(working, c.working);
        ASSERT_EQ(PlanChainNames(working, c.levels, files), ChainNaming::Ok);
        std::string unused;
        EXPECT_EQ(NextMipLevelName(working, unused), NextMipLevelName(c.first, unused));  // the same flags
    }
    // A tag goes in before the suffix.
    EXPECT_EQ(WorkingChainName("/o/wall_A.tga", 3, ".tga", "-2"), "/o/wall-2_A.tga");
    EXPECT_EQ(WorkingChainName("/o/wall_9.tga", 3, ".tga", "-2"), "/o/wall-2_0.tga");
}
