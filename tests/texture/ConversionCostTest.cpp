#include "texture/convert/ConversionCost.h"

#include "support/TextureBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

// Two small images and their conversions, each cost worked out by hand: the
// squared differences over the pixels and channels compared, 10 log10(255^2 /
// mean), and the largest difference.
TEST(ConversionCost, MeasuresPsnrAndLargestErrorPerLevel)
{
    // 2 x 2, 8-8-8-8 as read: half-transparent, black, white, grey.
    const TextureRecord argb =
        TextureBuilder(2, 2, 32)
            .standardMasks()
            .level0({0x30, 0x20, 0x10, 0x80, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x40, 0x40, 0x40, 0xFF})
            .build();
    // As 8-8-8 without alpha (opaque in the game): alpha off by 127, the
    // black pixel's red by 4.
    const TextureRecord rgb = TextureBuilder(2, 2, 24)
                                  .standardMasks()
                                  .level0({0x30, 0x20, 0x10, 0, 0, 4, 0xFF, 0xFF, 0xFF, 0x40, 0x40, 0x40})
                                  .build();
    // 2 x 1, 8-8-8 as read, and in two palette colours: green off by 3 in
    // one pixel, alpha compared on neither side.
    const TextureRecord wide = TextureBuilder(2, 1, 24).standardMasks().level0({0, 0, 0, 0x10, 0x20, 0x30}).build();
    const TextureRecord indexed =
        TextureBuilder(2, 1, 8).level0({0, 1}).paletteColour(0, {0, 0, 0}).paletteColour(1, {0x30, 0x23, 0x10}).build();
    struct Case {
        const char* what;
        const TextureRecord& asRead;
        const TextureRecord& converted;
        double psnr;
        unsigned largest;
        CostChannel channel;
    };
    const Case cases[] = {
        {"alpha dropped", argb, rgb, 10 * std::log10(65025.0 / ((127.0 * 127 + 4 * 4) / (4 * 4))), 127,
         CostChannel::alpha},
        {"alpha added, opaque", rgb, argb, 10 * std::log10(65025.0 / ((127.0 * 127 + 4 * 4) / (4 * 4))), 127,
         CostChannel::alpha},
        {"quantised", wide, indexed, 10 * std::log10(65025.0 / (3.0 * 3 / (2 * 3))), 3, CostChannel::green},
        {"same pixels", wide, wide, 0, 0, CostChannel::red},
    };
    for (const Case& c : cases) {
        const std::vector<LevelCost> costs = ConversionCost(c.asRead.record(), c.converted.record());
        ASSERT_EQ(costs.size(), 1u) << c.what;
        EXPECT_TRUE(costs[0].compared) << c.what;
        EXPECT_EQ(costs[0].exact(), c.largest == 0) << c.what;
        EXPECT_NEAR(costs[0].psnr, c.psnr, 1e-9) << c.what;
        EXPECT_EQ(costs[0].largestError, c.largest) << c.what;
        EXPECT_EQ(costs[0].channel, c.channel) << c.what;
    }
    // A level of another size is not compared.
    EXPECT_FALSE(ConversionCost(argb.record(), wide.record())[0].compared);
}

TEST(ConversionCost, SaysLevelsInOrderWithExactRunsFolded)
{
    const LevelCost exact{true, 0, 0, CostChannel::red};
    const LevelCost lossy{true, 38.24, 12, CostChannel::green};
    const LevelCost other{false, 0, 0, CostChannel::red};
    struct Case {
        std::vector<LevelCost> costs;
        const char* text;
    };
    const Case cases[] = {
        {{lossy, exact, exact, exact}, "level 0: 38.2 dB, largest error 12 (green); levels 1-3 exact"},
        {{exact}, "level 0 exact"},
        {{exact, lossy, exact, other},
         "level 0 exact; level 1: 38.2 dB, largest error 12 (green); level 2 exact; "
         "level 3 not compared"},
        {{}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConversionCostText(c.costs), c.text);
    // A level a line, as the replacement frame's tooltip gives them.
    EXPECT_EQ(ConversionCostText(cases[2].costs, "\n"),
              "level 0 exact\nlevel 1: 38.2 dB, largest error 12 (green)\nlevel 2 exact\nlevel 3 not compared");
}
