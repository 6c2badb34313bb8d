#include "texture/chain/TgaTextureReader.h"

#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "support/TgaTestBytes.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/convert/PixelExpansion.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Read {
    TextureRecord holder;
    RecordingReport report;
    bool ok;
    explicit Read(const std::string& path) : ok(TgaTextureReader(path.c_str(), holder, report)) {}
    const T3D_TEXTURE& r() const { return holder.record(); }
    std::string level(int l) const
    {
        return std::string(reinterpret_cast<const char*>(r().levels[l]), size_t(LevelByteCount(r(), l)));
    }
};

// An 8-bit grey file whose every pixel is `value`.
std::string GreyFile(unsigned width, unsigned height, int value)
{
    return TgaHeaderBytes(TgaFields::Image(3, width, height, 8)) + Repeat(value, width * height);
}

std::string Filled(const char* text, const std::string& path)
{
    std::string s = text;
    const size_t at = s.find("%s");
    return at == std::string::npos ? s : s.replace(at, 2, path);
}

}  // namespace

TEST(TgaTextureReader, WalksTheChainAndGeneratesTheSmallLevels)
{
    struct Chain {
        const char* name;  // level 0's file; the others follow the naming rule
        unsigned width, height;
        int files, levels, lastFileLevel;
        uint32_t flags;
    };
    const Chain chains[] = {
        {"wall_A", 64, 64, 4, 5, 2, 0x03},  // 64, 32, 16 read; the 8 x 8 file is not
        {"door_A", 32, 32, 1, 4, 0, 0x03},  // 16, 8, 4 generated
        {"dot_Z", 4, 4, 1, 1, 0, 0x80},     // nothing to generate
        {"tiny", 2, 2, 1, 1, 0, 0x00},      {"floor", 256, 256, 8, 7, 4, 0x01},  // 256 .. 16 read, 8 and 4 generated
        {"floor", 256, 256, 2, 7, 1, 0x01},                                      // some files: the rest generated
        {"floor", 256, 64, 5, 5, 4, 0x01},                                       // the wide side keeps the chain going
    };
    for (const Chain& c : chains) {
        TempDir dir;
        std::string name = dir.file(std::string(c.name) + ".tga"), first = name;
        for (int level = 0; level < c.files; ++level) {
            ASSERT_TRUE(WriteFileBytes(name, GreyFile(c.width >> level, c.height >> level, 100 + level)));
            std::string next;
            NextMipLevelName(name, next);
            name = next;
        }
        const Read read(first);
        ASSERT_TRUE(read.ok);
        EXPECT_TRUE(read.report.messages.empty());
        EXPECT_EQ(read.r().levelCount, c.levels) << c.name << " " << c.width << "x" << c.height;
        EXPECT_EQ(read.r().flags, c.flags) << c.name;
        EXPECT_EQ(read.r().levels[c.levels], nullptr);
        for (int level = 0; level < c.levels; ++level)
            EXPECT_EQ(read.level(level),
                      Repeat(100 + std::min(level, c.lastFileLevel), LevelByteCount(read.r(), level)))
                << c.name << " level " << level;
    }
}

// What the chain reader refuses at level 0, a file it cannot open or one the
// decoder refuses, fails the read and leaves nothing but the name.
TEST(TgaTextureReader, RefusesWhatItCannotReadLeavingOnlyTheName)
{
    TempDir dir;
    const std::string cut = dir.file("cut_A.tga");
    ASSERT_TRUE(WriteFileBytes(cut, TgaHeaderBytes(TgaFields::Image(3, 4, 4, 8)) + Repeat(1, 15)));
    const std::pair<std::string, const char*> cases[] = {
        {cut, "TGA file %s holds fewer pixels than its size"},
        {dir.file("none.tga"), "Can't find TGA file %s"},
        {dir.path().string(), "TGA file %s is not a regular file"},
    };
    for (const auto& [path, message] : cases) {
        TextureRecord holder;
        holder.allocateLevel(0, 64);  // an old buffer, freed by the reader
        RecordingReport report;
        EXPECT_FALSE(TgaTextureReader(path.c_str(), holder, report));
        EXPECT_EQ(report.messages, std::vector<ReportedMessage>({{Severity::Error, Filled(message, path)}}));
        T3D_TEXTURE rest = holder.record();
        EXPECT_STREQ(rest.name, path.c_str());
        std::memset(rest.name, 0, sizeof rest.name);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&rest), sizeof rest), std::string(sizeof rest, '\0'));
    }
}

TEST(TgaTextureReader, EndsTheChainAtAFileThatDoesNotFitItsLevel)
{
    TempDir dir;
    std::string top;  // 32 x 32 at 24 bits; file pixel i has blue i & 0xFF
    for (int i = 0; i < 32 * 32; ++i)
        top += Bytes({i & 0xFF, 1, 2});
    ASSERT_TRUE(WriteFileBytes(dir.file("tile_E.tga"), TgaHeaderBytes(TgaFields::Image(2, 32, 32, 24)) + top));
    const std::pair<std::string, const char*> level1[] = {
        {GreyFile(16, 16, 7), "TGA file %s does not fit its mip level"},
        {TgaHeaderBytes(TgaFields::Image(2, 8, 8, 24)) + Repeat(7, 8 * 8 * 3),
         "TGA file %s does not fit its mip level"},
        {TgaHeaderBytes(TgaFields::Image(2, 16, 16, 32)) + Repeat(7, 16 * 16 * 4),
         "TGA file %s does not fit its mip level"},
        {TgaHeaderBytes(TgaFields::Image(2, 16, 16, 24)) + Repeat(7, 16 * 16 * 3 - 1),
         "TGA file %s holds fewer pixels than its size"},
        {TgaHeaderBytes(TgaFields::Image(4, 16, 16, 24)) + Repeat(7, 16 * 16 * 3),
         "TGA file %s has an image type that is not read"},
    };
    for (const auto& [file, message] : level1) {
        ASSERT_TRUE(WriteFileBytes(dir.file("tile_E1.tga"), file));
        const Read read(dir.file("tile_E.tga"));
        ASSERT_TRUE(read.ok);
        EXPECT_EQ(read.report.messages,
                  std::vector<ReportedMessage>({{Severity::Warning, Filled(message, dir.file("tile_E1.tga"))}}));
        // Level 1 is generated instead, at the record's depth: its pixel
        // (1, 0) is level 0's (2, 0), which the file stores in its last row.
        EXPECT_EQ(std::vector<int>({read.r().depth, read.r().levelCount, int(read.r().flags)}),
                  std::vector<int>({24, 4, 0x11}));
        EXPECT_EQ(uint8_t(read.level(1)[3]), uint8_t(31 * 32 + 2));
    }
}

TEST(TgaTextureReader, SaysWhenAFileMayNotBeRead)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root may read any file";
    TempDir dir;
    const std::string first = dir.file("rock_A.tga"), second = dir.file("rock_A1.tga");
    ASSERT_TRUE(WriteFileBytes(first, GreyFile(32, 32, 9)));
    ASSERT_TRUE(WriteFileBytes(second, GreyFile(16, 16, 4)));
    ASSERT_EQ(chmod(second.c_str(), 0), 0);
    const Read chain(first);  // level 1 is generated instead
    ASSERT_TRUE(chain.ok);
    EXPECT_EQ(chain.report.messages,
              std::vector<ReportedMessage>(
                  {{Severity::Warning, Filled("Can't read TGA file %s: permission denied", second)}}));
    EXPECT_EQ(chain.r().levelCount, 4);
    EXPECT_EQ(chain.level(1), Repeat(9, 16 * 16));

    ASSERT_EQ(chmod(first.c_str(), 0), 0);
    const Read none(first);
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(
        none.report.messages,
        std::vector<ReportedMessage>({{Severity::Error, Filled("Can't read TGA file %s: permission denied", first)}}));
}

TEST(TgaTextureReader, CutsTheNameFieldTo255Characters)
{
    TempDir dir;
    const std::string folder = dir.file(std::string(120, 'd')) + "/";
    std::error_code error;
    ASSERT_TRUE(std::filesystem::create_directory(folder, error));
    for (size_t length : {255u, 256u, 300u}) {
        const std::string path = folder + std::string(length - folder.size() - 4, 'n') + ".tga";
        ASSERT_TRUE(WriteFileBytes(path, GreyFile(2, 2, 0)));
        EXPECT_EQ(std::string(Read(path).r().name), path.substr(0, 255)) << length;
    }
}

// 8-bit chains whose files carry their own colour maps: level 0 keeps its map
// and indices; every level shows its file's colours through the one palette.
TEST(TgaTextureReader, MergesTheColourMapsOfAChain)
{
    struct Level {
        std::vector<std::array<int, 3>> map;  // blue, green, red; none: a grey file
        int values;                           // pixel i holds i % values
    };
    struct Chain {
        std::vector<Level> levels;  // 64 x 64, 32 x 32, 16 x 16
        bool sameBytes;             // every level read as stored
        int fullAt;                 // the level warned of a full map, or -1
    };
    const std::array<int, 3> red{0, 0, 255}, green{0, 255, 0}, blue{255, 0, 0}, white{255, 255, 255};
    std::vector<std::array<int, 3>> shades(256);
    for (int i = 0; i < 256; ++i)
        shades[i] = {i, 255 - i, 7};
    const Chain chains[] = {
        // Level 1's black takes entry 3 (unused at level 0), green and blue are found.
        {{{{red, green, blue, white}, 2}, {{blue, {0, 0, 0}, green}, 3}, {{}, 4}}, false, -1},
        // One map shared, a colour twice in it: indices stay as stored.
        {{{{red, green, red}, 2}, {{red, green, red}, 3}, {{red, green, red}, 3}}, true, -1},
        // Level 0 uses all 256 entries: level 1's new colours go to the nearest.
        {{{shades, 256}, {{red, {201, 50, 7}}, 2}, {shades, 2}}, false, 1},
    };
    for (const Chain& c : chains) {
        TempDir dir;
        const std::string names[] = {dir.file("wall_A.tga"), dir.file("wall_A1.tga"), dir.file("wall_A2.tga")};
        std::vector<std::vector<uint32_t>> expected;
        for (int l = 0; l < 3; ++l) {
            const Level& level = c.levels[size_t(l)];
            const unsigned side = 64u >> l;
            TgaFields f = TgaFields::Image(level.map.empty() ? 3 : 1, side, side, 8, 0x20);  // top-down, as the record
            std::string map, pixels;
            for (const auto& [b, g, r] : level.map)
                map += Bytes({b, g, r});
            f.colourMapType = level.map.empty() ? 0 : 1;
            f.colourMapLength = uint16_t(level.map.size());
            f.colourMapEntryBits = level.map.empty() ? 0 : 24;
            expected.emplace_back();
            for (unsigned i = 0; i < side * side; ++i) {
                const int value = int(i % unsigned(level.values));
                pixels += Bytes({value});
                const auto [b, g, r] =
                    level.map.empty() ? std::array<int, 3>{value, value, value} : level.map[size_t(value)];
                expected.back().push_back(0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b));
            }
            ASSERT_TRUE(WriteFileBytes(names[l], TgaHeaderBytes(f) + map + pixels));
        }
        const Read read(names[0]);
        ASSERT_TRUE(read.ok);
        std::vector<ReportedMessage> warnings;
        if (c.fullAt >= 0)
            warnings.push_back({Severity::Warning, Filled("TGA file %s has more colours than the colour map holds (the "
                                                          "nearest ones are used)",
                                                          names[c.fullAt])});
        EXPECT_EQ(read.report.messages, warnings);
        for (int l = 0; l < 3; ++l) {
            const std::string stored = ReadFileBytes(names[l]);
            const std::string file = stored.substr(stored.size() - LevelByteCount(read.r(), l));
            if (l == 0 || c.sameBytes) {
                EXPECT_EQ(read.level(l), file) << "level " << l;
            }
            if (l != c.fullAt) {
                EXPECT_EQ(ExpandLevelToArgb(read.r(), l), expected[size_t(l)]) << "level " << l;
            }
        }
        if (c.fullAt == 1) {
            // Shade i is (blue i, green 255 - i, red 7). Nearest to red: i² +
            // (255 - i)² least at 127 and 128 alike, the lower taken; nearest
            // to (201, 50, 7): (i - 201)² + (205 - i)² least at 203.
            const uint8_t* level1 = read.r().levels[1];
            EXPECT_EQ(std::vector<int>({level1[0], level1[1]}), std::vector<int>({127, 203}));
        }
    }
}
