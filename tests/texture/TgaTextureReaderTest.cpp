#include "texture/TgaTextureReader.h"

#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "texture/PixelExpansion.h"
#include "texture/TgaTestBytes.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string LevelBytes(const TextureRecord& holder, int level)
{
    const T3D_TEXTURE& r = holder.record();
    return std::string(reinterpret_cast<const char*>(r.levels[level]), size_t(LevelByteCount(r, level)));
}

// A square 8-bit grey file whose every pixel is `value`.
std::string GreyFile(unsigned side, int value)
{
    TgaFields f;
    f.imageType = 3;
    f.width = f.height = uint16_t(side);
    f.pixelDepth = 8;
    return TgaHeaderBytes(f) + Repeat(value, side * side);
}

// A square 8-bit grey file whose pixel (x, y), counted from the top, is
// (x + side * y) & 0xFF, stored bottom row first.
std::string GreyRampFile(unsigned side)
{
    TgaFields f;
    f.imageType = 3;
    f.width = f.height = uint16_t(side);
    f.pixelDepth = 8;
    std::string bytes = TgaHeaderBytes(f);
    for (unsigned y = side; y-- > 0;)
        for (unsigned x = 0; x < side; ++x)
            bytes.push_back(char((x + side * y) & 0xFF));
    return bytes;
}

struct ReadResult {
    TextureRecord holder;
    RecordingReport report;
    bool ok = false;
};

void Read(const std::string& path, ReadResult& result)
{
    result.ok = TgaTextureReader(path.c_str(), result.holder, result.report);
}

} // namespace

TEST(TgaTextureReader, ReadsEachPixelDepthBottomRowFirst)
{
    TempDir dir;
    struct DepthCase {
        int pixelDepth;
        int imageType;
        std::string bottomRow, topRow;
        int depth;
        uint32_t red, green, blue, alpha;
    };
    const DepthCase cases[] = {
        {8, 3, Bytes({1, 2}), Bytes({3, 4}), 8, 0, 0, 0, 0},
        {15, 2, Bytes({1, 2, 3, 4}), Bytes({5, 6, 7, 8}), 16, 0x7C00, 0x3E0, 0x1F, 0},
        {16, 2, Bytes({1, 2, 3, 4}), Bytes({5, 6, 7, 8}), 16, 0x7C00, 0x3E0, 0x1F, 0},
        {24, 2, Bytes({1, 2, 3, 4, 5, 6}), Bytes({7, 8, 9, 10, 11, 12}), 24, 0xFF0000, 0xFF00, 0xFF, 0},
        {32, 2, Bytes({1, 2, 3, 4, 5, 6, 7, 8}), Bytes({9, 10, 11, 12, 13, 14, 15, 16}), 32, 0xFF0000,
         0xFF00, 0xFF, 0xFF000000},
    };
    for (const DepthCase& c : cases) {
        TgaFields f;
        f.imageType = uint8_t(c.imageType);
        f.width = 2;
        f.height = 2;
        f.pixelDepth = uint8_t(c.pixelDepth);
        const std::string path = dir.file("plain.tga");
        ASSERT_TRUE(WriteFileBytes(path, TgaHeaderBytes(f) + c.bottomRow + c.topRow));

        ReadResult r;
        Read(path, r);
        ASSERT_TRUE(r.ok) << c.pixelDepth;
        const T3D_TEXTURE& t = r.holder.record();
        EXPECT_TRUE(r.report.messages.empty()) << c.pixelDepth;
        EXPECT_EQ(t.width, 2);
        EXPECT_EQ(t.height, 2);
        EXPECT_EQ(t.depth, c.depth);
        EXPECT_EQ(t.redMask, c.red);
        EXPECT_EQ(t.greenMask, c.green);
        EXPECT_EQ(t.blueMask, c.blue);
        EXPECT_EQ(t.alphaMask, c.alpha);
        EXPECT_EQ(t.levelCount, 1);  // a 2 x 2 texture gets no smaller levels
        EXPECT_EQ(t.flags, 0u);
        EXPECT_EQ(t.levels[1], nullptr);
        EXPECT_STREQ(t.name, path.c_str());
        EXPECT_EQ(LevelBytes(r.holder, 0), c.topRow + c.bottomRow) << c.pixelDepth;
    }
}

TEST(TgaTextureReader, EveryStorageOfTheSamePictureReadsTheSame)
{
    // A 3 x 2 24-bit picture, top row A B C, bottom row D E F, with A = B.
    const std::string A = Bytes({1, 2, 3}), C = Bytes({4, 5, 6});
    const std::string D = Bytes({7, 8, 9}), E = Bytes({10, 11, 12}), F = Bytes({13, 14, 15});
    const std::string top = A + A + C, bottom = D + E + F;

    TgaFields raw;
    raw.width = 3;
    raw.height = 2;
    raw.pixelDepth = 24;
    TgaFields rawTopDown = raw;
    rawTopDown.descriptor = 0x20;
    TgaFields withId = raw;
    withId.idLength = 5;
    TgaFields rle = raw;
    rle.imageType = 10;
    TgaFields rleTopDown = rle;
    rleTopDown.descriptor = 0x20;
    TgaFields unusedMap = raw;  // a colour map that a true-colour file does not use
    unusedMap.colourMapType = 1;
    unusedMap.colourMapLength = 2;
    unusedMap.colourMapEntryBits = 16;

    const std::string files[] = {
        TgaHeaderBytes(raw) + bottom + top,
        TgaHeaderBytes(rawTopDown) + top + bottom,
        TgaHeaderBytes(withId) + "12345" + bottom + top,
        TgaHeaderBytes(unusedMap) + Bytes({0xEE, 0xEE, 0xEE, 0xEE}) + bottom + top,
        // Raw packet of 3, then a run of 2 crossing into the next row, then raw 1.
        TgaHeaderBytes(rle) + Bytes({0x02}) + bottom + Bytes({0x81}) + A + Bytes({0x00}) + C,
        TgaHeaderBytes(rleTopDown) + Bytes({0x81}) + A + Bytes({0x03}) + C + bottom,
        // A final run longer than the pixels left is cut at the last pixel.
        TgaHeaderBytes(rleTopDown) + Bytes({0x81}) + A + Bytes({0x00}) + C + Bytes({0x01}) + D + E +
            Bytes({0xFF}) + F,
    };
    TempDir dir;
    const std::string path = dir.file("pic.tga");
    for (const std::string& file : files) {
        ASSERT_TRUE(WriteFileBytes(path, file));
        ReadResult r;
        Read(path, r);
        ASSERT_TRUE(r.ok);
        EXPECT_TRUE(r.report.messages.empty());
        EXPECT_EQ(LevelBytes(r.holder, 0), top + bottom);
    }
}

TEST(TgaTextureReader, TakesThePaletteFromTheColourMapOrTheGreyRamp)
{
    TempDir dir;
    const std::string path = dir.file("pal.tga");
    TgaFields f;
    f.colourMapType = 1;
    f.imageType = 1;
    f.width = 2;
    f.height = 1;
    f.pixelDepth = 8;
    const std::string pixels = Bytes({0, 1});

    // 24-bit entries: blue, green, red as stored.
    f.colourMapLength = 2;
    f.colourMapEntryBits = 24;
    ASSERT_TRUE(WriteFileBytes(path, TgaHeaderBytes(f) + Bytes({10, 20, 30, 40, 50, 60}) + pixels));
    ReadResult r24;
    Read(path, r24);
    ASSERT_TRUE(r24.ok);
    const auto& p24 = r24.holder.record().palette;
    EXPECT_EQ(std::vector<int>({p24[0][0], p24[0][1], p24[0][2], p24[0][3]}), std::vector<int>({10, 20, 30, 0}));
    EXPECT_EQ(std::vector<int>({p24[1][0], p24[1][1], p24[1][2]}), std::vector<int>({40, 50, 60}));
    EXPECT_EQ(p24[2][0] | p24[2][1] | p24[2][2], 0);  // beyond the map's length
    EXPECT_EQ(LevelBytes(r24.holder, 0), pixels);

    // 32-bit entries: the fourth byte of each is dropped.
    f.colourMapEntryBits = 32;
    ASSERT_TRUE(WriteFileBytes(path, TgaHeaderBytes(f) + Bytes({1, 2, 3, 99, 4, 5, 6, 99}) + pixels));
    ReadResult r32;
    Read(path, r32);
    const auto& p32 = r32.holder.record().palette;
    EXPECT_EQ(std::vector<int>({p32[1][0], p32[1][1], p32[1][2], p32[1][3]}), std::vector<int>({4, 5, 6, 0}));
    EXPECT_EQ(LevelBytes(r32.holder, 0), pixels);

    // 300 entries: the first 256 are used, the rest read past.
    f.colourMapEntryBits = 24;
    f.colourMapLength = 300;
    std::string map;
    for (int i = 0; i < 300; ++i)
        map += Bytes({i & 0xFF, 7, 9});
    ASSERT_TRUE(WriteFileBytes(path, TgaHeaderBytes(f) + map + Bytes({255, 3})));
    ReadResult big;
    Read(path, big);
    EXPECT_EQ(big.holder.record().palette[255][0], 255);
    EXPECT_EQ(LevelBytes(big.holder, 0), Bytes({255, 3}));

    // 15- and 16-bit entries are refused with a message; their two bytes per
    // entry are read past and the pixels still read.
    for (int bits : {15, 16}) {
        f.colourMapEntryBits = uint8_t(bits);
        f.colourMapLength = 2;
        ASSERT_TRUE(WriteFileBytes(path, TgaHeaderBytes(f) + Bytes({0xFF, 0x7F, 0xFF, 0x7F}) + pixels));
        ReadResult odd;
        Read(path, odd);
        ASSERT_TRUE(odd.ok);
        ASSERT_EQ(odd.report.messages.size(), 1u);
        EXPECT_EQ(odd.report.messages[0].caption, "Error");
        EXPECT_EQ(odd.report.messages[0].text, "Error with TGA palette!");
        EXPECT_EQ(odd.holder.record().palette[0][0] | odd.holder.record().palette[1][2], 0);
        EXPECT_EQ(LevelBytes(odd.holder, 0), pixels) << bits;
    }

    // Grey (image type 3): the grey ramp.
    ASSERT_TRUE(WriteFileBytes(path, GreyFile(2, 5)));
    ReadResult grey;
    Read(path, grey);
    for (int i : {0, 1, 128, 255}) {
        const uint8_t* entry = grey.holder.record().palette[i];
        EXPECT_EQ(std::vector<int>({entry[0], entry[1], entry[2], entry[3]}), std::vector<int>({i, i, i, 0}));
    }
}

TEST(TgaTextureReader, WalksTheChainAndGeneratesTheSmallLevels)
{
    TempDir dir;
    // 64 x 64 with its 32 and 16 files: three read, 8 and 4 generated. The
    // 8 x 8 file beside them is never read (it would show as value 99).
    ASSERT_TRUE(WriteFileBytes(dir.file("wall_A.tga"), GreyFile(64, 10)));
    ASSERT_TRUE(WriteFileBytes(dir.file("wall_A1.tga"), GreyFile(32, 11)));
    ASSERT_TRUE(WriteFileBytes(dir.file("wall_A2.tga"), GreyFile(16, 12)));
    ASSERT_TRUE(WriteFileBytes(dir.file("wall_A3.tga"), GreyFile(8, 99)));
    ReadResult chain;
    Read(dir.file("wall_A.tga"), chain);
    ASSERT_TRUE(chain.ok);
    const T3D_TEXTURE& t = chain.holder.record();
    EXPECT_EQ(t.levelCount, 5);
    EXPECT_EQ(t.flags, 0x03u);
    EXPECT_EQ(LevelBytes(chain.holder, 1), Repeat(11, 32 * 32));
    EXPECT_EQ(LevelBytes(chain.holder, 2), Repeat(12, 16 * 16));
    EXPECT_EQ(LevelBytes(chain.holder, 3), Repeat(12, 8 * 8));
    EXPECT_EQ(LevelBytes(chain.holder, 4), Repeat(12, 4 * 4));
    EXPECT_EQ(t.levels[5], nullptr);

    // No chain files: 32 x 32 gets 16, 8 and 4 generated, flags A + mipmap.
    ASSERT_TRUE(WriteFileBytes(dir.file("door_A.tga"), GreyRampFile(32)));
    ReadResult alone;
    Read(dir.file("door_A.tga"), alone);
    EXPECT_EQ(alone.holder.record().levelCount, 4);
    EXPECT_EQ(alone.holder.record().flags, 0x03u);
    EXPECT_TRUE(alone.report.messages.empty());

    // A 4 x 4 file alone: one level, flags only from the name.
    ASSERT_TRUE(WriteFileBytes(dir.file("dot_Z.tga"), GreyFile(4, 1)));
    ReadResult small;
    Read(dir.file("dot_Z.tga"), small);
    EXPECT_EQ(small.holder.record().levelCount, 1);
    EXPECT_EQ(small.holder.record().flags, 0x80u);
    EXPECT_EQ(small.holder.record().levels[1], nullptr);
}

TEST(TgaTextureReader, ReadsTheWorkedChainSizes)
{
    struct Worked {
        unsigned width, height;
        int filesPresent;   // level files on disk, level 0 included
        int levels;         // levels in the record
        int lastFileLevel;  // the last level whose bytes come from a file
    };
    const Worked cases[] = {
        {256, 256, 5, 7, 4},  // 256 .. 16 read, 8 and 4 generated
        {256, 256, 8, 7, 4},  // files for 8 and 4 are not read
        {256, 256, 2, 7, 1},  // only some files: the rest generated
        {256, 64, 5, 5, 4},   // the wide side keeps the chain going; nothing generated
        {16, 16, 1, 3, 0},    // levels 1 and 2 generated
    };
    for (const Worked& c : cases) {
        TempDir dir;
        const std::string names[] = {"floor.tga", "floor_1.tga", "floor_2.tga", "floor_3.tga",
                                     "floor_4.tga", "floor_5.tga", "floor_6.tga", "floor_7.tga"};
        for (int level = 0; level < c.filesPresent; ++level) {
            TgaFields f;
            f.imageType = 3;
            f.width = uint16_t(c.width >> level);
            f.height = uint16_t(c.height >> level);
            f.pixelDepth = 8;
            ASSERT_TRUE(WriteFileBytes(dir.file(names[level]),
                                       TgaHeaderBytes(f) + Repeat(100 + level, size_t(f.width) * f.height)));
        }
        ReadResult r;
        Read(dir.file(names[0]), r);
        ASSERT_TRUE(r.ok);
        const T3D_TEXTURE& t = r.holder.record();
        EXPECT_EQ(t.levelCount, c.levels) << c.width << "x" << c.height << " " << c.filesPresent;
        EXPECT_EQ(t.flags, 0x01u);
        for (int level = 0; level < t.levelCount; ++level) {
            const int source = std::min(level, c.lastFileLevel);
            EXPECT_EQ(LevelBytes(r.holder, level), Repeat(100 + source, LevelByteCount(t, level)))
                << c.width << "x" << c.height << " level " << level;
        }
    }
}

TEST(TgaTextureReader, RefusesDamagedFilesWithAMessageAndNoPixels)
{
    TgaFields grey;
    grey.imageType = 3;
    grey.width = 4;
    grey.height = 4;
    grey.pixelDepth = 8;
    TgaFields zeroWide = grey;
    zeroWide.width = 0;
    TgaFields zeroHigh = grey;
    zeroHigh.height = 0;
    TgaFields huge;
    huge.width = huge.height = 65535;
    huge.pixelDepth = 32;
    TgaFields hugeRle = huge;
    hugeRle.imageType = 10;
    TgaFields large;  // under the size limit, but the file holds 82 bytes of its 4 MB
    large.width = large.height = 1000;
    large.pixelDepth = 32;
    TgaFields largeRle = large;
    largeRle.imageType = 10;
    TgaFields withId = grey;
    withId.idLength = 200;
    TgaFields mapped = grey;
    mapped.imageType = 1;
    mapped.colourMapType = 1;
    mapped.colourMapLength = 256;
    mapped.colourMapEntryBits = 24;

    struct Damaged {
        std::string bytes;
        const char* message;
    };
    const Damaged cases[] = {
        {"", "TGA file %s is truncated"},
        {TgaHeaderBytes(grey).substr(0, 17), "TGA file %s is truncated"},
        {TgaHeaderBytes(withId) + Repeat(1, 100), "TGA file %s is truncated"},
        {TgaHeaderBytes(mapped) + Repeat(1, 767), "TGA file %s is truncated"},
        {TgaHeaderBytes(zeroWide) + Repeat(1, 16), "TGA file %s has an unsupported size"},
        {TgaHeaderBytes(zeroHigh) + Repeat(1, 16), "TGA file %s has an unsupported size"},
        {TgaHeaderBytes(huge) + Repeat(1, 82), "TGA file %s has an unsupported size"},
        {TgaHeaderBytes(hugeRle) + Repeat(0xFF, 82), "TGA file %s has an unsupported size"},
        {TgaHeaderBytes(large) + Repeat(1, 82), "TGA file %s holds fewer pixels than its size"},
        {TgaHeaderBytes(largeRle) + Repeat(0xFF, 82), "TGA file %s holds fewer pixels than its size"},
        {TgaHeaderBytes(grey) + Repeat(1, 15), "TGA file %s holds fewer pixels than its size"},
        {TgaHeaderBytes(mapped) + Repeat(1, 768 + 15), "TGA file %s holds fewer pixels than its size"},
    };
    TempDir dir;
    const std::string path = dir.file("bad_A.tga");
    for (const Damaged& c : cases) {
        ASSERT_TRUE(WriteFileBytes(path, c.bytes));
        ReadResult r;
        r.holder.allocateLevel(0, 64);  // an old buffer, freed by the reader
        Read(path, r);
        EXPECT_FALSE(r.ok);
        ASSERT_EQ(r.report.messages.size(), 1u) << c.message;
        EXPECT_EQ(r.report.messages[0].caption, "Error");
        std::string expected = c.message;
        expected.replace(expected.find("%s"), 2, path);
        EXPECT_EQ(r.report.messages[0].text, expected);

        // Nothing but the name is left.
        T3D_TEXTURE cleared = r.holder.record();
        EXPECT_STREQ(cleared.name, path.c_str());
        std::memset(cleared.name, 0, sizeof cleared.name);
        const auto* bytes = reinterpret_cast<const unsigned char*>(&cleared);
        for (size_t i = 0; i < sizeof cleared; ++i)
            ASSERT_EQ(bytes[i], 0) << c.message << " byte " << i;
    }

    // A missing file and a folder are not found.
    for (const std::string& missing : {dir.file("none.tga"), dir.path().string()}) {
        ReadResult r;
        Read(missing, r);
        EXPECT_FALSE(r.ok);
        ASSERT_EQ(r.report.texts(), std::vector<std::string>({"Can't find TGA file " + missing}));
        EXPECT_EQ(r.holder.record().levelCount, 0);
        EXPECT_STREQ(r.holder.record().name, missing.c_str());
    }
}

TEST(TgaTextureReader, EndsTheChainAtAFileThatDoesNotFitItsLevel)
{
    TempDir dir;
    TgaFields f24;
    f24.width = f24.height = 16;
    f24.pixelDepth = 24;
    TgaFields f32 = f24;
    f32.pixelDepth = 32;
    const std::string level1[] = {
        GreyFile(16, 7),                                   // right size, wrong depth
        GreyFile(8, 7),                                    // wrong size
        TgaHeaderBytes(f32) + Repeat(7, 16 * 16 * 4),      // another depth
        TgaHeaderBytes(f24) + Repeat(7, 16 * 16 * 3 - 1),  // truncated
    };
    const char* messages[] = {
        "TGA file %s does not fit its mip level",
        "TGA file %s does not fit its mip level",
        "TGA file %s does not fit its mip level",
        "TGA file %s holds fewer pixels than its size",
    };
    TgaFields base = f24;
    base.width = base.height = 32;
    std::string top;
    for (int i = 0; i < 32 * 32; ++i)
        top += Bytes({i & 0xFF, 1, 2});
    ASSERT_TRUE(WriteFileBytes(dir.file("tile_E.tga"), TgaHeaderBytes(base) + top));

    for (size_t i = 0; i < std::size(level1); ++i) {
        ASSERT_TRUE(WriteFileBytes(dir.file("tile_E1.tga"), level1[i]));
        ReadResult r;
        Read(dir.file("tile_E.tga"), r);
        ASSERT_TRUE(r.ok);
        std::string expected = messages[i];
        expected.replace(expected.find("%s"), 2, dir.file("tile_E1.tga"));
        EXPECT_EQ(r.report.texts(), std::vector<std::string>({expected}));

        // Level 1 is generated from level 0 instead, at the record's depth.
        const T3D_TEXTURE& t = r.holder.record();
        EXPECT_EQ(t.depth, 24);
        EXPECT_EQ(t.levelCount, 4);
        EXPECT_EQ(t.flags, 0x11u);
        const std::string level = LevelBytes(r.holder, 1);
        ASSERT_EQ(level.size(), 16u * 16u * 3u);
        // Pixel (1, 0) of level 1 is pixel (2, 0) of level 0; the file stores
        // level 0's top row last.
        const size_t topRowInFile = 31 * 32;
        EXPECT_EQ(uint8_t(level[3]), uint8_t((topRowInFile + 2) & 0xFF));
    }
}

TEST(TgaTextureReader, CutsTheNameFieldTo255Characters)
{
    TempDir dir;
    const std::string folder = dir.file(std::string(120, 'd')) + "/";
    std::error_code error;
    ASSERT_TRUE(std::filesystem::create_directory(folder, error));
    for (size_t length : {255u, 256u, 300u}) {
        const std::string path = folder + std::string(length - folder.size() - 4, 'n') + ".tga";
        ASSERT_TRUE(WriteFileBytes(path, GreyFile(2, 0)));
        ReadResult r;
        Read(path, r);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(std::string(r.holder.record().name), path.substr(0, 255)) << length;
    }
}

TEST(TgaTextureReader, AgreesWithAnIndependentDecoder)
{
    // 5 x 3 pictures, odd sizes on purpose: pixel (x, y) of the picture (top
    // row first) has blue x * 40, green y * 90, red 200 - x - y, alpha 17 * x.
    auto bgra = [](unsigned x, unsigned y) {
        return Bytes({int(x * 40), int(y * 90), int(200 - x - y), int(17 * x)});
    };
    struct Variant {
        int depth;
        int imageType;
        bool topDown;
    };
    const Variant variants[] = {{24, 2, false}, {32, 2, false}, {24, 10, true}, {32, 10, false},
                                {8, 1, false}, {8, 9, true}};
    TempDir dir;
    const std::string path = dir.file("oracle.tga");
    for (const Variant& v : variants) {
        TgaFields f;
        f.imageType = uint8_t(v.imageType);
        f.width = 5;
        f.height = 3;
        f.pixelDepth = uint8_t(v.depth);
        f.descriptor = uint8_t((v.topDown ? 0x20 : 0) | (v.depth == 32 ? 8 : 0));
        std::string map;
        if (v.depth == 8) {
            f.colourMapType = 1;
            f.colourMapLength = 15;
            f.colourMapEntryBits = 24;
            for (unsigned i = 0; i < 15; ++i)
                map += bgra(i % 5, i / 5).substr(0, 3);
        }
        std::string pixels;
        for (unsigned row = 0; row < 3; ++row) {
            const unsigned y = v.topDown ? row : 2 - row;
            std::string line;
            for (unsigned x = 0; x < 5; ++x)
                line += v.depth == 8 ? Bytes({int(x + 5 * y)}) : bgra(x, y).substr(0, v.depth / 8);
            // Run-length files: each row as one raw packet of five pixels.
            pixels += (v.imageType >= 9 ? Bytes({0x04}) : "") + line;
        }
        ASSERT_TRUE(WriteFileBytes(path, TgaHeaderBytes(f) + map + pixels));

        ReadResult r;
        Read(path, r);
        ASSERT_TRUE(r.ok) << v.depth << " " << v.imageType;
        const std::vector<uint32_t> ours = ExpandLevelToArgb(r.holder.record(), 0);

        int w = 0, h = 0, channels = 0;
        unsigned char* theirs = stbi_load(path.c_str(), &w, &h, &channels, 4);
        ASSERT_NE(theirs, nullptr) << stbi_failure_reason();
        ASSERT_EQ(w, 5);
        ASSERT_EQ(h, 3);
        ASSERT_EQ(ours.size(), 15u);
        for (size_t i = 0; i < ours.size(); ++i) {
            const unsigned char* p = theirs + 4 * i;
            const uint32_t argb = uint32_t(v.depth == 32 ? p[3] : 255) << 24 | uint32_t(p[0]) << 16 |
                                  uint32_t(p[1]) << 8 | p[2];
            EXPECT_EQ(ours[i], argb) << v.depth << " " << v.imageType << " pixel " << i;
        }
        stbi_image_free(theirs);
    }
}
