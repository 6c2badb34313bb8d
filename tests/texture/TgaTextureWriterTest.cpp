#include "texture/chain/TgaTextureWriter.h"

#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "support/TextureBuilder.h"
#include "support/TgaTestBytes.h"
#include "texture/chain/TgaTextureReader.h"
#include "texture/convert/MipGeneration.h"
#include "texture/convert/PixelExpansion.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

// A record whose level-0 byte i is i * 7 + 1, its other levels generated,
// palette entry i (i, 255 - i, i / 2), masks by depth (16: 5-5-5).
TextureRecord MakeRecord(unsigned width, unsigned height, int depth, int levels)
{
    return TextureBuilder(width, height, unsigned(depth))
        .standardMasks()
        .generatedLevels(levels)
        .bytes([](int, uint64_t i) { return uint8_t(i * 7 + 1); })
        .palette([](int i) {
            return Rgb{uint8_t(i / 2), uint8_t(255 - i), uint8_t(i)};
        })
        .build();
}

std::string Level(const T3D_TEXTURE& r, int level)
{
    return std::string(reinterpret_cast<const char*>(r.levels[level]), size_t(LevelByteCount(r, level)));
}

std::string RowsBottomUp(const T3D_TEXTURE& r, int level)
{
    const std::string top = Level(r, level);
    const size_t rowBytes = size_t(LevelWidth(r, level)) * BytesPerPixel(r.depth);
    std::string out;
    for (size_t y = LevelHeight(r, level); y-- > 0;)
        out += top.substr(y * rowBytes, rowBytes);
    return out;
}

// 5-6-5 pixels as the writer puts them out: 5-5-5 with the attribute bit.
std::string As555(std::string pixels)
{
    for (size_t i = 0; i + 1 < pixels.size(); i += 2) {
        const unsigned p = uint8_t(pixels[i]) | uint8_t(pixels[i + 1]) << 8;
        pixels.replace(i, 2, U16(0x8000 | (p >> 11) << 10 | ((p >> 6) & 0x1F) << 5 | (p & 0x1F)));
    }
    return pixels;
}

bool Exists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

// Runs the writer with the file size limited to `limit` bytes.
bool WriteUnderSizeLimit(const std::string& path, const T3D_TEXTURE& record, rlim_t limit, TextureReport& report)
{
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit lowered = old;
    lowered.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &lowered);
    const bool written = TgaTextureWriter(path.c_str(), record, report);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    return written;
}

}  // namespace

TEST(TgaTextureWriter, LaysOutEachDepthsFile)
{
    TempDir dir;
    RecordingReport report;
    TextureRecord pal = MakeRecord(4, 2, 8, 1);
    ASSERT_TRUE(TgaTextureWriter(dir.file("p.tga").c_str(), pal.record(), report));
    std::string map;
    for (int i = 0; i < 256; ++i)
        map += Bytes({i, 255 - i, i / 2});
    EXPECT_EQ(ReadFileBytes(dir.file("p.tga")),
              Bytes({0, 1, 1, 0, 0, 0, 1, 24, 0, 0, 0, 0, 4, 0, 2, 0, 8, 0}) + map + RowsBottomUp(pal.record(), 0));

    // 1000 x 1500 at 24 bits also checks a level of more rows than one call takes.
    const int trueColour[][5] = {{16, 16, 0, 3, 2}, {24, 0, 0, 1000, 1500}, {32, 0, 8, 3, 2}};
    for (const auto& [depth, entryBits, descriptor, width, height] : trueColour) {
        TextureRecord holder = MakeRecord(width, height, depth, 1);
        ASSERT_TRUE(TgaTextureWriter(dir.file("t.tga").c_str(), holder.record(), report));
        EXPECT_EQ(ReadFileBytes(dir.file("t.tga")), Bytes({0, 0, 2, 0, 0, 0, 0, entryBits, 0, 0, 0, 0}) + U16(width) +
                                                        U16(height) + Bytes({depth, descriptor}) +
                                                        RowsBottomUp(holder.record(), 0))
            << depth;
    }

    // 5-6-5 pixels go out as 5-5-5 with the attribute bit; 5-5-5 as they are.
    TextureRecord c = MakeRecord(6, 1, 16, 1);
    const std::string in = U16(0xFFFF) + U16(0xF800) + U16(0x07E0) + U16(0x001F) + U16(0x0000) + U16(0x0840);
    std::memcpy(c.record().levels[0], in.data(), in.size());
    ASSERT_TRUE(TgaTextureWriter(dir.file("c.tga").c_str(), c.record(), report));
    EXPECT_EQ(ReadFileBytes(dir.file("c.tga")).substr(18), in);
    c.record().redMask = 0xF800;
    c.record().greenMask = 0x7E0;
    ASSERT_TRUE(TgaTextureWriter(dir.file("c.tga").c_str(), c.record(), report));
    EXPECT_EQ(ReadFileBytes(dir.file("c.tga")).substr(18),
              U16(0xFFFF) + U16(0xFC00) + U16(0x83E0) + U16(0x801F) + U16(0x8000) + U16(0x8420));
    // 1.2 MB: converted rows go out in more than one block; rows of eight-pixel
    // runs and a shorter tail
    TextureRecord big565 = MakeRecord(1021, 600, 16, 1);
    big565.record().greenMask = 0x7E0;
    ASSERT_TRUE(TgaTextureWriter(dir.file("c.tga").c_str(), big565.record(), report));
    EXPECT_EQ(ReadFileBytes(dir.file("c.tga")).substr(18), As555(RowsBottomUp(big565.record(), 0)));
    EXPECT_TRUE(report.messages.empty());
}

TEST(TgaTextureWriter, WritesTheChainTheReaderWalksBack)
{
    for (const auto& [depth, green] : {std::pair{8, 0u}, {16, 0x3E0u}, {16, 0x7E0u}, {24, 0xFF00u}, {32, 0xFF00u}}) {
        TempDir dir;
        TextureRecord holder = MakeRecord(64, 64, depth, 4);
        T3D_TEXTURE& r = holder.record();
        r.greenMask = green;
        r.flags = 0x04;
        RecordingReport report;
        ASSERT_TRUE(TgaTextureWriter(dir.file("wall_AZ.tga").c_str(), r, report));
        for (const char* name : {"wall_AZ.tga", "wall_AZ1.tga", "wall_AZ2.tga", "wall_AZ3.tga"})
            EXPECT_TRUE(Exists(dir.file(name))) << name;
        EXPECT_FALSE(Exists(dir.file("wall_AZ4.tga")));

        TextureRecord back;
        ASSERT_TRUE(TgaTextureReader(dir.file("wall_AZ.tga").c_str(), back, report));
        const T3D_TEXTURE& b = back.record();
        EXPECT_TRUE(report.messages.empty());
        EXPECT_EQ(b.flags, 0x83u);  // from the names, whatever the record had
        EXPECT_EQ(b.depth, depth);
        EXPECT_EQ(b.levelCount, 5);  // files for 64, 32, 16 read; 8 and 4 generated
        EXPECT_TRUE(depth != 8 || std::memcmp(b.palette, r.palette, sizeof b.palette) == 0);
        for (int level = 0; level < 3; ++level)
            EXPECT_EQ(Level(b, level), green == 0x7E0 ? As555(Level(r, level)) : Level(r, level))
                << depth << " level " << level;
    }
}

TEST(TgaTextureWriter, NamesTheWholeChainBeforeWritingAByte)
{
    TempDir dir;
    TextureRecord holder = MakeRecord(32, 32, 8, 4);
    const std::string nines = "its level numbers would run past 9",
                      noDot = "its file name has no dot to number the levels before";
    const std::pair<const char*, std::string> cases[] = {
        {"wall_8.tga", nines + ". A name that works: wall_0.tga"},
        {"wall_A7.tga", nines + ". A name that works: wall_A.tga"},
        {"plain", noDot + ". A name that works: plain.tga"},
        {"sky_EZ", noDot + ". A name that works: sky_EZ.tga"},
    };
    for (const auto& [name, why] : cases) {
        RecordingReport report;
        EXPECT_FALSE(TgaTextureWriter(dir.file(name).c_str(), holder.record(), report));
        EXPECT_EQ(report.texts(), std::vector<std::string>(
                                      {"Can't name all 4 mip levels after TGA file " + dir.file(name) + ": " + why}));
        EXPECT_EQ(report.messages[0].severity, Severity::Error);
        EXPECT_TRUE(FolderEntries(dir.path()).empty()) << name;
    }
}

TEST(TgaTextureWriter, AFailedWriteChangesNoFile)
{
    TempDir dir, elsewhere;
    TextureRecord holder = MakeRecord(32, 32, 8, 4);
    const T3D_TEXTURE& r = holder.record();
    const std::vector<std::string> chain = {"old.tga", "old_1.tga", "old_2.tga", "old_3.tga"};
    auto writeOldChain = [&] {
        for (const std::string& name : chain)
            ASSERT_TRUE(WriteFileBytes(dir.file(name), "old " + name));
    };
    auto expectOldChainAlone = [&](const std::string& what) {
        EXPECT_EQ(FolderEntries(dir.path()), chain) << what;  // no temporary left
        for (const std::string& name : chain)
            EXPECT_EQ(ReadFileBytes(dir.file(name)), "old " + name) << what;
    };
    const std::string cantWrite = "Can't write TGA file " + dir.file("old");

    // Level 0 is met by a size limit (the disk full, as the writer sees it).
    writeOldChain();
    RecordingReport limited;
    EXPECT_FALSE(WriteUnderSizeLimit(dir.file("old.tga"), r, 18 + 768 + 512, limited));
    EXPECT_EQ(limited.texts(), std::vector<std::string>({cantWrite + ".tga"}));
    expectOldChainAlone("size limit");

    // A FIFO in level 2's place: a stream takes no chain, and a batch that
    // made the names takes no stream.
    std::filesystem::remove(dir.file("old_2.tga"));
    ASSERT_EQ(::mkfifo(dir.file("old_2.tga").c_str(), 0644), 0);
    RecordingReport fifo;
    EXPECT_FALSE(TgaTextureWriter(dir.file("old.tga").c_str(), r, fifo));
    EXPECT_EQ(fifo.texts(), std::vector<std::string>({"Can't write a chain of 4 mip levels: " + dir.file("old_2.tga") +
                                                      " is a stream, which takes a single file"}));
    ImageWriteOptions options;
    options.streams = StreamTargets::replaced;
    RecordingReport batch;
    EXPECT_FALSE(TgaTextureWriter(dir.file("old.tga").c_str(), r, batch, options));
    EXPECT_EQ(batch.texts(), std::vector<std::string>({cantWrite + "_2.tga: not a regular file"}));
    std::filesystem::remove(dir.file("old_2.tga"));
    writeOldChain();
    options = ImageWriteOptions();
    options.inputs.add(dir.file("old_2.tga"));
    RecordingReport same;
    EXPECT_FALSE(TgaTextureWriter(dir.file("old.tga").c_str(), r, same, options));
    EXPECT_EQ(same.texts(), std::vector<std::string>({cantWrite + "_2.tga: it is a file the output is made from"}));
    expectOldChainAlone("level 2 refused");

    // A link in a level's place is replaced, never followed out of the folder.
    ASSERT_TRUE(WriteFileBytes(elsewhere.file("theirs.tga"), "theirs"));
    std::filesystem::remove(dir.file("old_1.tga"));
    ASSERT_EQ(::symlink(elsewhere.file("theirs.tga").c_str(), dir.file("old_1.tga").c_str()), 0);
    RecordingReport linked;
    ASSERT_TRUE(TgaTextureWriter(dir.file("old.tga").c_str(), r, linked));
    EXPECT_EQ(ReadFileBytes(elsewhere.file("theirs.tga")), "theirs");
    EXPECT_EQ(ReadFileBytes(dir.file("old_1.tga")).size(), 18u + 768 + 256);
    EXPECT_EQ(FolderEntries(dir.path()), chain);

    // A depth no TGA file holds writes nothing; no levels write nothing and succeed.
    holder.record().depth = 12;
    RecordingReport depth;
    EXPECT_FALSE(TgaTextureWriter(dir.file("odd.tga").c_str(), r, depth));
    EXPECT_EQ(depth.texts(), std::vector<std::string>({"Can't write this texture to TGA file " + dir.file("odd.tga")}));
    holder.record().levelCount = 0;
    EXPECT_TRUE(TgaTextureWriter(dir.file("odd.tga").c_str(), r, depth));
    EXPECT_FALSE(Exists(dir.file("odd.tga")));
}

TEST(TgaTextureWriter, StopsBeforeEmptyLevelsAndWritesOtherMasksAs32Bits)
{
    TempDir dir;
    // 8 x 2: level 1 is 4 x 1, level 2 would be 2 x 0
    TextureRecord flat = MakeRecord(8, 2, 32, 4);
    std::memset(flat.allocateLevel(1, 16), 7, 16);
    RecordingReport report;
    ASSERT_TRUE(TgaTextureWriter(dir.file("flat.tga").c_str(), flat.record(), report));
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>({"flat.tga", "flat_1.tga"}));
    ASSERT_EQ(report.messages.size(), 1u);
    EXPECT_EQ(report.messages[0].severity, Severity::Warning);
    EXPECT_EQ(report.messages[0].text,
              "TGA file " + dir.file("flat_1.tga") + " is the last mip level written: levels 2 to 3 have no pixels");

    struct Masks {
        int depth;
        uint32_t red, green, blue, alpha;
    };
    const Masks others[] = {
        {16, 0x0F00, 0x00F0, 0x000F, 0xF000},   // 4-4-4-4
        {24, 0x0000FF, 0x00FF00, 0xFF0000, 0},  // red and blue swapped
        {32, 0xFF0000, 0x00FF00, 0x0000FF, 0},  // no alpha: opaque
    };
    for (const Masks& m : others) {
        TextureRecord holder = MakeRecord(4, 2, m.depth, 1);
        T3D_TEXTURE& r = holder.record();
        std::tie(r.redMask, r.greenMask, r.blueMask, r.alphaMask) = std::tie(m.red, m.green, m.blue, m.alpha);
        ASSERT_TRUE(TgaTextureWriter(dir.file("m.tga").c_str(), r, report));
        EXPECT_EQ(ReadFileBytes(dir.file("m.tga")).substr(16, 2), Bytes({32, 8})) << m.depth;
        TextureRecord back;
        ASSERT_TRUE(TgaTextureReader(dir.file("m.tga").c_str(), back, report));
        EXPECT_EQ(ExpandLevelToArgb(back.record(), 0), ExpandLevelToArgb(r, 0)) << m.depth;
    }
}
