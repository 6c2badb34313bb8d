#include "texture/TgaTextureWriter.h"

#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "texture/MipGeneration.h"
#include "texture/TextureRecord.h"
#include "texture/TgaTestBytes.h"
#include "texture/TgaTextureReader.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// A record of the given size and depth whose level-0 byte i is i * 7 + 1, with
// every level down to `levels` made by generation.
void MakeRecord(TextureRecord& holder, unsigned width, unsigned height, int depth, int levels)
{
    T3D_TEXTURE& r = holder.record();
    r.width = uint16_t(width);
    r.height = uint16_t(height);
    r.depth = uint16_t(depth);
    r.levelCount = 1;
    uint8_t* top = holder.allocateLevel(0, LevelByteCount(r, 0));
    for (uint64_t i = 0; i < LevelByteCount(r, 0); ++i)
        top[i] = uint8_t(i * 7 + 1);
    GenerateMipLevels(holder);
    r.levelCount = uint16_t(levels);
    for (int i = 0; i < kPaletteEntries; ++i) {
        r.palette[i][0] = uint8_t(i);
        r.palette[i][1] = uint8_t(255 - i);
        r.palette[i][2] = uint8_t(i / 2);
    }
    if (depth == 16) {
        r.redMask = 0x7C00;
        r.greenMask = 0x3E0;
        r.blueMask = 0x1F;
    } else if (depth >= 24) {
        r.redMask = 0xFF0000;
        r.greenMask = 0xFF00;
        r.blueMask = 0xFF;
        r.alphaMask = depth == 32 ? 0xFF000000 : 0;
    }
}

std::string Level(const T3D_TEXTURE& r, int level)
{
    return std::string(reinterpret_cast<const char*>(r.levels[level]), size_t(LevelByteCount(r, level)));
}

// The rows of a level, bottom row first, as the file holds them.
std::string RowsBottomUp(const T3D_TEXTURE& r, int level)
{
    const std::string top = Level(r, level);
    const size_t rowBytes = size_t(LevelWidth(r, level)) * BytesPerPixel(r.depth);
    std::string out;
    for (size_t y = LevelHeight(r, level); y-- > 0;)
        out += top.substr(y * rowBytes, rowBytes);
    return out;
}

bool Exists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

} // namespace

TEST(TgaTextureWriter, LaysOutEachDepthsFile)
{
    TempDir dir;
    TextureRecord pal;
    MakeRecord(pal, 4, 2, 8, 1);
    RecordingReport report;
    ASSERT_TRUE(TgaTextureWriter(dir.file("p.tga").c_str(), pal.record(), report));
    std::string map;
    for (int i = 0; i < 256; ++i)
        map += Bytes({i, 255 - i, i / 2});
    EXPECT_EQ(ReadFileBytes(dir.file("p.tga")),
              Bytes({0, 1, 1, 0, 0, 0, 1, 24, 0, 0, 0, 0, 4, 0, 2, 0, 8, 0}) + map + RowsBottomUp(pal.record(), 0));

    struct TrueColour {
        int depth;
        int entryBits;
        int descriptor;
    };
    for (const TrueColour& c : {TrueColour{16, 16, 0}, TrueColour{24, 0, 0}, TrueColour{32, 0, 8}}) {
        TextureRecord holder;
        MakeRecord(holder, 3, 2, c.depth, 1);
        ASSERT_TRUE(TgaTextureWriter(dir.file("t.tga").c_str(), holder.record(), report));
        EXPECT_EQ(ReadFileBytes(dir.file("t.tga")),
                  Bytes({0, 0, 2, 0, 0, 0, 0, c.entryBits, 0, 0, 0, 0, 3, 0, 2, 0, c.depth, c.descriptor}) +
                      RowsBottomUp(holder.record(), 0))
            << c.depth;
    }
    EXPECT_TRUE(report.messages.empty());
}

TEST(TgaTextureWriter, WritesLargeLevelsWhole)
{
    // 1500 x 1000 at 24 bits is 4.5 MB: more than one block of rows goes out.
    TempDir dir;
    TextureRecord holder;
    MakeRecord(holder, 1500, 1000, 24, 2);
    RecordingReport report;
    ASSERT_TRUE(TgaTextureWriter(dir.file("big.tga").c_str(), holder.record(), report));
    EXPECT_EQ(ReadFileBytes(dir.file("big.tga")),
              Bytes({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}) + U16(1500) + U16(1000) + Bytes({24, 0}) +
                  RowsBottomUp(holder.record(), 0));
    EXPECT_EQ(ReadFileBytes(dir.file("big_1.tga")).substr(18), RowsBottomUp(holder.record(), 1));

    // A file size limit met after the first block: the part is removed.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = old;
    limit.rlim_cur = 4200000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const bool written = TgaTextureWriter(dir.file("cut.tga").c_str(), holder.record(), report);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(report.texts(), std::vector<std::string>({"Can't write TGA file " + dir.file("cut.tga")}));
    EXPECT_FALSE(Exists(dir.file("cut.tga")));
}

TEST(TgaTextureWriter, ConvertsFiveSixFivePixels)
{
    const uint16_t in[] = {0xFFFF, 0xF800, 0x07E0, 0x001F, 0x0000, 0x0840};
    const uint16_t out[] = {0xFFFF, 0xFC00, 0x83E0, 0x801F, 0x8000, 0x8420};
    TextureRecord holder;
    T3D_TEXTURE& r = holder.record();
    r.width = 6;
    r.height = 1;
    r.depth = 16;
    r.redMask = 0xF800;
    r.greenMask = 0x7E0;
    r.blueMask = 0x1F;
    r.levelCount = 1;
    std::memcpy(holder.allocateLevel(0, sizeof in), in, sizeof in);

    TempDir dir;
    RecordingReport report;
    ASSERT_TRUE(TgaTextureWriter(dir.file("c.tga").c_str(), r, report));
    std::string expected;
    for (uint16_t p : out)
        expected += U16(p);
    EXPECT_EQ(ReadFileBytes(dir.file("c.tga")).substr(18), expected);

    // The same pixels as 5-5-5 go out byte for byte.
    r.greenMask = 0x3E0;
    r.redMask = 0x7C00;
    ASSERT_TRUE(TgaTextureWriter(dir.file("c.tga").c_str(), r, report));
    EXPECT_EQ(ReadFileBytes(dir.file("c.tga")).substr(18), Level(r, 0));
}

TEST(TgaTextureWriter, WritesTheChainTheReaderWalksBack)
{
    struct RoundTrip {
        int depth;
        uint32_t greenMask;
    };
    const RoundTrip trips[] = {{8, 0}, {16, 0x3E0}, {16, 0x7E0}, {24, 0xFF00}, {32, 0xFF00}};
    for (const RoundTrip& trip : trips) {
        TempDir dir;
        TextureRecord holder;
        MakeRecord(holder, 64, 64, trip.depth, 4);
        T3D_TEXTURE& r = holder.record();
        r.greenMask = trip.greenMask;
        if (trip.greenMask == 0x7E0)
            r.redMask = 0xF800;
        r.flags = 0x04;
        RecordingReport report;
        ASSERT_TRUE(TgaTextureWriter(dir.file("wall_AZ.tga").c_str(), r, report));
        EXPECT_TRUE(report.messages.empty());
        for (const char* name : {"wall_AZ.tga", "wall_AZ1.tga", "wall_AZ2.tga", "wall_AZ3.tga"})
            EXPECT_TRUE(Exists(dir.file(name))) << name;
        EXPECT_FALSE(Exists(dir.file("wall_AZ4.tga")));

        TextureRecord back;
        ASSERT_TRUE(TgaTextureReader(dir.file("wall_AZ.tga").c_str(), back, report));
        EXPECT_TRUE(report.messages.empty());
        const T3D_TEXTURE& b = back.record();
        EXPECT_EQ(b.flags, 0x83u);  // from the names, whatever the record had
        EXPECT_EQ(b.width, 64);
        EXPECT_EQ(b.depth, trip.depth);
        EXPECT_EQ(b.levelCount, 5);  // files for 64, 32, 16 read; 8 and 4 generated
        if (trip.depth == 8) {
            EXPECT_EQ(std::memcmp(b.palette, r.palette, sizeof b.palette), 0);
        }
        for (int level = 0; level < 3; ++level) {
            if (trip.greenMask != 0x7E0) {
                EXPECT_EQ(Level(b, level), Level(r, level)) << trip.depth << " level " << level;
                continue;
            }
            // 5-6-5 reads back as 5-5-5: red and blue kept, green's top five bits.
            const std::string in = Level(r, level), out = Level(b, level);
            ASSERT_EQ(in.size(), out.size());
            for (size_t i = 0; i < in.size(); i += 2) {
                const unsigned p = uint8_t(in[i]) | uint8_t(in[i + 1]) << 8;
                const unsigned q = uint8_t(out[i]) | uint8_t(out[i + 1]) << 8;
                ASSERT_EQ(q & 0x1F, p & 0x1F);
                ASSERT_EQ((q >> 10) & 0x1F, p >> 11);
                ASSERT_EQ((q >> 5) & 0x1F, (p >> 6) & 0x1F);
                ASSERT_EQ(q & 0x8000, 0x8000u);
            }
        }
    }

    // A name without a suffix: wall.tga, wall_1.tga, wall_2.tga, wall_3.tga.
    TempDir dir;
    TextureRecord holder;
    MakeRecord(holder, 64, 64, 8, 4);
    RecordingReport report;
    ASSERT_TRUE(TgaTextureWriter(dir.file("wall.tga").c_str(), holder.record(), report));
    for (const char* name : {"wall.tga", "wall_1.tga", "wall_2.tga", "wall_3.tga"})
        EXPECT_TRUE(Exists(dir.file(name))) << name;
}

TEST(TgaTextureWriter, StopsWhereTheRuleGivesNoNextName)
{
    TempDir dir;
    TextureRecord holder;
    MakeRecord(holder, 64, 64, 8, 4);
    RecordingReport report;
    // wall_8, wall_9, and then no name: never "wall_" or a second wall_9.
    EXPECT_FALSE(TgaTextureWriter(dir.file("wall_8.tga").c_str(), holder.record(), report));
    EXPECT_EQ(report.texts(),
              std::vector<std::string>({"Can't name the mip level after TGA file " + dir.file("wall_9.tga")}));
    EXPECT_TRUE(Exists(dir.file("wall_8.tga")));
    EXPECT_EQ(ReadFileBytes(dir.file("wall_9.tga")).size(), 18u + 768u + 32u * 32u);
    EXPECT_FALSE(Exists(dir.file("wall_")));

    // A name with no dot cannot be bumped at all.
    RecordingReport plain;
    EXPECT_FALSE(TgaTextureWriter(dir.file("plain").c_str(), holder.record(), plain));
    EXPECT_EQ(plain.texts(), std::vector<std::string>({"Can't name the mip level after TGA file " + dir.file("plain")}));
    EXPECT_EQ(ReadFileBytes(dir.file("plain")).size(), 18u + 768u + 64u * 64u);

    // One level needs no further name.
    holder.record().levelCount = 1;
    RecordingReport single;
    EXPECT_TRUE(TgaTextureWriter(dir.file("one_9.tga").c_str(), holder.record(), single));
    EXPECT_TRUE(single.messages.empty());
}

TEST(TgaTextureWriter, ReportsEveryWriteThatFails)
{
    TempDir dir;
    TextureRecord holder;
    MakeRecord(holder, 16, 16, 16, 3);

    // A folder that does not exist: nothing is written.
    RecordingReport missing;
    const std::string nowhere = dir.file("none/wall.tga");
    EXPECT_FALSE(TgaTextureWriter(nowhere.c_str(), holder.record(), missing));
    EXPECT_EQ(missing.texts(), std::vector<std::string>({"Can't write TGA file " + nowhere}));

    // A full disk.
    const std::string full = dir.file("full.tga");
    ASSERT_EQ(::symlink("/dev/full", full.c_str()), 0);
    RecordingReport diskFull;
    EXPECT_FALSE(TgaTextureWriter(full.c_str(), holder.record(), diskFull));
    EXPECT_EQ(diskFull.texts(), std::vector<std::string>({"Can't write TGA file " + full}));
    EXPECT_FALSE(Exists(dir.file("full_1.tga")));

    // A file size limit that level 0 runs into part-way: its part is removed
    // and no further level is written. A record whose files just fit is whole.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = old;
    limit.rlim_cur = 18 + 16 * 16 * 2;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    TextureRecord big;
    MakeRecord(big, 16, 32, 16, 3);  // level 0 is 1042 bytes, over the limit
    RecordingReport tooLarge;
    const bool bigWritten = TgaTextureWriter(dir.file("big.tga").c_str(), big.record(), tooLarge);
    RecordingReport fits;
    const bool fitsWritten = TgaTextureWriter(dir.file("fit.tga").c_str(), holder.record(), fits);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(bigWritten);
    EXPECT_EQ(tooLarge.texts(), std::vector<std::string>({"Can't write TGA file " + dir.file("big.tga")}));
    EXPECT_FALSE(Exists(dir.file("big.tga")));
    EXPECT_FALSE(Exists(dir.file("big_1.tga")));
    EXPECT_TRUE(fitsWritten);  // exactly at the limit is whole
    EXPECT_TRUE(fits.messages.empty());

    // A depth no TGA file of ours holds: nothing is written.
    holder.record().depth = 12;
    RecordingReport depth;
    EXPECT_FALSE(TgaTextureWriter(dir.file("odd.tga").c_str(), holder.record(), depth));
    EXPECT_EQ(depth.texts(), std::vector<std::string>({"Can't write this texture to TGA file " + dir.file("odd.tga")}));
    EXPECT_FALSE(Exists(dir.file("odd.tga")));

    // No levels: nothing to write, nothing wrong.
    TextureRecord cleared;
    RecordingReport none;
    EXPECT_TRUE(TgaTextureWriter(dir.file("none.tga").c_str(), cleared.record(), none));
    EXPECT_FALSE(Exists(dir.file("none.tga")));
    EXPECT_TRUE(none.messages.empty());
}
