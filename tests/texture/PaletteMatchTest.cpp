#include "texture/convert/PaletteMatch.h"

#include "support/TextureBuilder.h"
#include "texture/TextureRecord.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// An 8-bit record of `pixels` at level 0 whose palette holds `colours` first.
TextureRecord EightBit(const std::vector<Rgb>& colours, std::vector<uint8_t> pixels)
{
    TextureBuilder builder(unsigned(pixels.size()), 1, 8);
    for (size_t i = 0; i < colours.size(); ++i)
        builder.paletteColour(int(i), colours[i]);
    return builder.level0(std::move(pixels)).build();
}

PaletteColours Colours(const std::vector<Rgb>& first)
{
    PaletteColours colours{};
    for (size_t i = 0; i < first.size(); ++i)
        colours[i] = first[i];
    return colours;
}

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kGrey{128, 128, 128};

}  // namespace

TEST(PaletteMatch, NearestEntryTakesLowestIndexOnTies)
{
    TextureRecord t = EightBit({{0, 0, 100}, {10, 0, 0}, {0, 10, 0}, {20, 20, 20}}, {0});
    const T3D_TEXTURE& r = t.record();
    PaletteUse four;
    for (int i = 0; i < 4; ++i)
        four[i] = true;
    EXPECT_EQ(NearestPaletteEntry(r, {5, 5, 0}, four), 1);  // 1 and 2 both at 50
    EXPECT_EQ(NearestPaletteEntry(r, {0, 9, 0}, four), 2);
    EXPECT_EQ(NearestPaletteEntry(r, {16, 16, 16}, four), 3);
    EXPECT_EQ(NearestPaletteEntry(r, {0, 0, 60}, four), 0);
}

TEST(PaletteMatch, SharedMapKeepsIndicesEvenWithDuplicateColours)
{
    // Entries 0 and 2 are both red: a level using entry 2 of the same map
    // must keep index 2, not move to the first red.
    TextureRecord t = EightBit({kRed, kGreen, kRed}, {0, 1});
    ColourMapMerge merge(t.record(), 3);
    std::vector<uint8_t> level = {2, 1, 2};
    EXPECT_TRUE(merge.mergeLevel(Colours({kRed, kGreen, kRed}), level.data(), level.size()));
    EXPECT_EQ(level, (std::vector<uint8_t>{2, 1, 2}));
}

TEST(PaletteMatch, OwnMapsFindColoursThenTakeFreeEntries)
{
    // Level 0: map of 4 entries, pixels use 0 and 2; entry 1 (blue, in the
    // map but unused) and 3 are free, as is everything past 4.
    TextureRecord t = EightBit({kRed, kBlue, kGreen, {1, 2, 3}}, {0, 2, 0});
    T3D_TEXTURE& r = t.record();
    ColourMapMerge merge(r, 4);

    // Level 1's map: 0 green, 1 grey (new), 2 blue (found at unused 1), 3 red.
    std::vector<uint8_t> one = {0, 1, 2, 3, 1};
    EXPECT_TRUE(merge.mergeLevel(Colours({kGreen, kGrey, kBlue, kRed}), one.data(), one.size()));
    EXPECT_EQ(one, (std::vector<uint8_t>{2, 3, 1, 0, 3}));  // grey took free entry 3, not 1
    EXPECT_EQ(PaletteColour(r, 3), kGrey);

    // Level 2: grey again is found; a new colour takes entry 4, past the map.
    const Rgb kNew{7, 8, 9};
    std::vector<uint8_t> two = {5, 9};
    PaletteColours own{};
    own[5] = kGrey;
    own[9] = kNew;
    EXPECT_TRUE(merge.mergeLevel(own, two.data(), two.size()));
    EXPECT_EQ(two, (std::vector<uint8_t>{3, 4}));
    EXPECT_EQ(PaletteColour(r, 4), kNew);
    EXPECT_EQ(PaletteColour(r, 1), kBlue);  // level 1 uses it: not overwritten
}

TEST(PaletteMatch, FullMapSendsRestToNearestAndSaysSo)
{
    std::vector<uint8_t> all(256);
    std::vector<Rgb> ramp(256);
    for (int i = 0; i < 256; ++i) {
        all[size_t(i)] = uint8_t(i);
        ramp[size_t(i)] = {uint8_t(i), uint8_t(i), uint8_t(i)};
    }
    TextureRecord t = EightBit(ramp, all);  // a grey level 0 using every entry
    ColourMapMerge merge(t.record(), 256);
    std::vector<uint8_t> level = {0, 1};
    PaletteColours own = Colours({{100, 100, 100}, {10, 250, 10}});
    const ColourMapMerge::LevelMapping m = merge.mapLevel(own, UsedEntries(level.data(), 2));
    EXPECT_TRUE(m.mapRanFull);
    EXPECT_EQ(m.index[0], 100);  // found
    EXPECT_EQ(m.index[1], 90);   // nearest grey to (10, 250, 10)
}
