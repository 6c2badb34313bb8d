#include "texture/TgaTextureReader.h"

#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "texture/MipChainNaming.h"
#include "texture/PixelExpansion.h"
#include "texture/TgaTestBytes.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <cstring>

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

TgaFields Fields(int imageType, unsigned width, unsigned height, int depth, int descriptor = 0)
{
    TgaFields f;
    f.imageType = uint8_t(imageType);
    f.width = uint16_t(width);
    f.height = uint16_t(height);
    f.pixelDepth = uint8_t(depth);
    f.descriptor = uint8_t(descriptor);
    return f;
}

// An 8-bit grey file whose every pixel is `value`.
std::string GreyFile(unsigned width, unsigned height, int value)
{
    return TgaHeaderBytes(Fields(3, width, height, 8)) + Repeat(value, width * height);
}

std::string Filled(const char* text, const std::string& path)
{
    std::string s = text;
    return s.replace(s.find("%s"), 2, path);
}

} // namespace

TEST(TgaTextureReader, ReadsEachPixelDepthBottomRowFirst)
{
    struct Depth {
        int fileDepth, depth;
        uint32_t red, green, blue, alpha;
    };
    const Depth depths[] = {{8, 8, 0, 0, 0, 0},
                            {15, 16, 0x7C00, 0x3E0, 0x1F, 0},
                            {16, 16, 0x7C00, 0x3E0, 0x1F, 0},
                            {24, 24, 0xFF0000, 0xFF00, 0xFF, 0},
                            {32, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000}};
    TempDir dir;
    const std::string path = dir.file("plain.tga");
    for (const Depth& d : depths) {
        const size_t rowBytes = 2 * size_t(d.depth / 8);
        const std::string bottom = Repeat(1, rowBytes - 1) + "B", top = Repeat(2, rowBytes - 1) + "T";
        ASSERT_TRUE(WriteFileBytes(path, TgaHeaderBytes(Fields(d.depth == 8 ? 3 : 2, 2, 2, d.fileDepth)) + bottom + top));
        const Read read(path);
        ASSERT_TRUE(read.ok) << d.fileDepth;
        const T3D_TEXTURE& t = read.r();
        EXPECT_TRUE(read.report.messages.empty());
        EXPECT_EQ(std::vector<uint32_t>({t.width, t.height, t.depth, t.levelCount, t.flags}),
                  std::vector<uint32_t>({2, 2, uint32_t(d.depth), 1, 0}));
        EXPECT_EQ(std::vector<uint32_t>({t.redMask, t.greenMask, t.blueMask, t.alphaMask}),
                  std::vector<uint32_t>({d.red, d.green, d.blue, d.alpha}));
        EXPECT_EQ(t.levels[1], nullptr);
        EXPECT_STREQ(t.name, path.c_str());
        EXPECT_EQ(read.level(0), top + bottom) << d.fileDepth;
    }
}

TEST(TgaTextureReader, EveryStorageOfTheSamePictureReadsTheSame)
{
    // 3 x 2 at 24 bits: top row A A C, bottom row D E F.
    const std::string A = Bytes({1, 2, 3}), C = Bytes({4, 5, 6}), D = Bytes({7, 8, 9}), E = Bytes({10, 11, 12}),
                      F = Bytes({13, 14, 15});
    const std::string top = A + A + C, bottom = D + E + F;
    TgaFields withId = Fields(2, 3, 2, 24), unusedMap = Fields(2, 3, 2, 24);
    withId.idLength = 5;
    unusedMap.colourMapType = 1;
    unusedMap.colourMapLength = 2;
    unusedMap.colourMapEntryBits = 16;
    const std::string files[] = {
        TgaHeaderBytes(Fields(2, 3, 2, 24)) + bottom + top,
        TgaHeaderBytes(Fields(2, 3, 2, 24, 0x20)) + top + bottom,
        TgaHeaderBytes(withId) + "12345" + bottom + top,
        TgaHeaderBytes(unusedMap) + Bytes({0xEE, 0xEE, 0xEE, 0xEE}) + bottom + top,
        // Run-length: raw 3, a run of 2 across the row end, raw 1.
        TgaHeaderBytes(Fields(10, 3, 2, 24)) + Bytes({0x02}) + bottom + Bytes({0x81}) + A + Bytes({0x00}) + C,
        // Top-down run-length, whose last run is longer than the pixels left.
        TgaHeaderBytes(Fields(10, 3, 2, 24, 0x20)) + Bytes({0x81}) + A + Bytes({0x00}) + C + Bytes({0x01}) + D + E +
            Bytes({0xFF}) + F,
    };
    TempDir dir;
    for (const std::string& file : files) {
        ASSERT_TRUE(WriteFileBytes(dir.file("pic.tga"), file));
        const Read read(dir.file("pic.tga"));
        ASSERT_TRUE(read.ok);
        EXPECT_TRUE(read.report.messages.empty());
        EXPECT_EQ(read.level(0), top + bottom);
    }
}

TEST(TgaTextureReader, TakesThePaletteFromTheColourMapOrTheGreyRamp)
{
    struct Map {
        int entryBits, length;
        std::string entries;
        int entry, blue, green, red;  // one palette entry expected
        bool warned;
    };
    std::string map300;
    for (int i = 0; i < 300; ++i)
        map300 += Bytes({i & 0xFF, 7, 9});
    const Map maps[] = {
        {24, 2, Bytes({10, 20, 30, 40, 50, 60}), 1, 40, 50, 60, false},
        {24, 2, Bytes({10, 20, 30, 40, 50, 60}), 2, 0, 0, 0, false},  // beyond the map
        {32, 2, Bytes({1, 2, 3, 99, 4, 5, 6, 99}), 1, 4, 5, 6, false},
        {24, 300, map300, 255, 255, 7, 9, false},                     // first 256 used
        {16, 2, Bytes({0xFF, 0x7F, 0xFF, 0x7F}), 0, 0, 0, 0, true},   // refused, read past
        {15, 2, Bytes({0xFF, 0x7F, 0xFF, 0x7F}), 1, 0, 0, 0, true},
    };
    TempDir dir;
    const std::string path = dir.file("pal.tga");
    for (const Map& m : maps) {
        TgaFields f = Fields(1, 2, 1, 8);
        f.colourMapType = 1;
        f.colourMapLength = uint16_t(m.length);
        f.colourMapEntryBits = uint8_t(m.entryBits);
        ASSERT_TRUE(WriteFileBytes(path, TgaHeaderBytes(f) + m.entries + Bytes({0, 1})));
        const Read read(path);
        ASSERT_TRUE(read.ok);
        const uint8_t* e = read.r().palette[m.entry];
        EXPECT_EQ(std::vector<int>({e[0], e[1], e[2], e[3]}), std::vector<int>({m.blue, m.green, m.red, 0}));
        EXPECT_EQ(read.level(0), Bytes({0, 1})) << m.entryBits << " " << m.length;
        EXPECT_EQ(read.report.texts(), m.warned ? std::vector<std::string>({"Error with TGA palette!"})
                                                : std::vector<std::string>());
    }
    ASSERT_TRUE(WriteFileBytes(path, GreyFile(2, 2, 5)));
    const Read grey(path);
    for (int i : {0, 1, 200, 255})
        EXPECT_EQ(std::memcmp(grey.r().palette[i], Bytes({i, i, i, 0}).data(), 4), 0) << i;
}

TEST(TgaTextureReader, WalksTheChainAndGeneratesTheSmallLevels)
{
    struct Chain {
        const char* name;  // level 0's file; the others follow the naming rule
        unsigned width, height;
        int files, levels, lastFileLevel;
        uint32_t flags;
    };
    const Chain chains[] = {
        {"wall_A", 64, 64, 4, 5, 2, 0x03},    // 64, 32, 16 read; the 8 x 8 file is not
        {"door_A", 32, 32, 1, 4, 0, 0x03},    // 16, 8, 4 generated
        {"dot_Z", 4, 4, 1, 1, 0, 0x80},       // nothing to generate
        {"tiny", 2, 2, 1, 1, 0, 0x00},
        {"floor", 256, 256, 8, 7, 4, 0x01},   // 256 .. 16 read, 8 and 4 generated
        {"floor", 256, 256, 2, 7, 1, 0x01},   // some files: the rest generated
        {"floor", 256, 64, 5, 5, 4, 0x01},    // the wide side keeps the chain going
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
            EXPECT_EQ(read.level(level), Repeat(100 + std::min(level, c.lastFileLevel), LevelByteCount(read.r(), level)))
                << c.name << " level " << level;
    }
}

TEST(TgaTextureReader, RefusesDamagedFilesWithAMessageAndNoPixels)
{
    TgaFields withId = Fields(3, 4, 4, 8), mapped = Fields(1, 4, 4, 8);
    withId.idLength = 200;
    mapped.colourMapType = 1;
    mapped.colourMapLength = 256;
    mapped.colourMapEntryBits = 24;
    const char* truncated = "TGA file %s is truncated";
    const char* badSize = "TGA file %s has an unsupported size";
    const char* short_ = "TGA file %s holds fewer pixels than its size";
    const std::pair<std::string, const char*> cases[] = {
        {"", truncated},
        {TgaHeaderBytes(Fields(3, 4, 4, 8)).substr(0, 17), truncated},
        {TgaHeaderBytes(withId) + Repeat(1, 100), truncated},
        {TgaHeaderBytes(mapped) + Repeat(1, 767), truncated},
        {TgaHeaderBytes(Fields(3, 0, 4, 8)) + Repeat(1, 16), badSize},
        {TgaHeaderBytes(Fields(3, 4, 0, 8)) + Repeat(1, 16), badSize},
        // Claims of gigabytes in 100 bytes are refused before any allocation.
        {TgaHeaderBytes(Fields(2, 65535, 65535, 32)) + Repeat(1, 82), badSize},
        {TgaHeaderBytes(Fields(10, 65535, 65535, 32)) + Repeat(0xFF, 82), badSize},
        {TgaHeaderBytes(Fields(2, 1000, 1000, 32)) + Repeat(1, 82), short_},
        {TgaHeaderBytes(Fields(10, 1000, 1000, 32)) + Repeat(0xFF, 82), short_},
        {TgaHeaderBytes(Fields(3, 4, 4, 8)) + Repeat(1, 15), short_},
        {TgaHeaderBytes(mapped) + Repeat(1, 768 + 15), short_},
    };
    TempDir dir;
    const std::string path = dir.file("bad_A.tga");
    for (const auto& [bytes, message] : cases) {
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        TextureRecord holder;
        holder.allocateLevel(0, 64);  // an old buffer, freed by the reader
        RecordingReport report;
        EXPECT_FALSE(TgaTextureReader(path.c_str(), holder, report));
        ASSERT_EQ(report.messages.size(), 1u) << message;
        EXPECT_EQ(report.messages[0].caption, "Error");
        EXPECT_EQ(report.messages[0].text, Filled(message, path));
        // Nothing but the name is left.
        T3D_TEXTURE rest = holder.record();
        EXPECT_STREQ(rest.name, path.c_str());
        std::memset(rest.name, 0, sizeof rest.name);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&rest), sizeof rest), std::string(sizeof rest, '\0'));
    }
    const std::pair<std::string, const char*> unopenable[] = {
        {dir.file("none.tga"), "Can't find TGA file %s"},
        {dir.path().string(), "TGA file %s is not a regular file"},
    };
    for (const auto& [missing, message] : unopenable) {
        const Read read(missing);
        EXPECT_FALSE(read.ok);
        EXPECT_EQ(read.report.texts(), std::vector<std::string>({Filled(message, missing)}));
        EXPECT_STREQ(read.r().name, missing.c_str());
    }
}

TEST(TgaTextureReader, EndsTheChainAtAFileThatDoesNotFitItsLevel)
{
    TempDir dir;
    std::string top;  // 32 x 32 at 24 bits; file pixel i has blue i & 0xFF
    for (int i = 0; i < 32 * 32; ++i)
        top += Bytes({i & 0xFF, 1, 2});
    ASSERT_TRUE(WriteFileBytes(dir.file("tile_E.tga"), TgaHeaderBytes(Fields(2, 32, 32, 24)) + top));
    const std::pair<std::string, const char*> level1[] = {
        {GreyFile(16, 16, 7), "TGA file %s does not fit its mip level"},
        {TgaHeaderBytes(Fields(2, 8, 8, 24)) + Repeat(7, 8 * 8 * 3), "TGA file %s does not fit its mip level"},
        {TgaHeaderBytes(Fields(2, 16, 16, 32)) + Repeat(7, 16 * 16 * 4), "TGA file %s does not fit its mip level"},
        {TgaHeaderBytes(Fields(2, 16, 16, 24)) + Repeat(7, 16 * 16 * 3 - 1), "TGA file %s holds fewer pixels than its size"},
    };
    for (const auto& [file, message] : level1) {
        ASSERT_TRUE(WriteFileBytes(dir.file("tile_E1.tga"), file));
        const Read read(dir.file("tile_E.tga"));
        ASSERT_TRUE(read.ok);
        EXPECT_EQ(read.report.texts(), std::vector<std::string>({Filled(message, dir.file("tile_E1.tga"))}));
        // Level 1 is generated instead, at the record's depth: its pixel
        // (1, 0) is level 0's (2, 0), which the file stores in its last row.
        EXPECT_EQ(std::vector<int>({read.r().depth, read.r().levelCount, int(read.r().flags)}),
                  std::vector<int>({24, 4, 0x11}));
        EXPECT_EQ(uint8_t(read.level(1)[3]), uint8_t(31 * 32 + 2));
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
        ASSERT_TRUE(WriteFileBytes(path, GreyFile(2, 2, 0)));
        EXPECT_EQ(std::string(Read(path).r().name), path.substr(0, 255)) << length;
    }
}

TEST(TgaTextureReader, AgreesWithAnIndependentDecoder)
{
    // 5 x 3: pixel (x, y) from the top is blue 40x, green 90y, red 200 - x - y,
    // alpha 17x; colour-mapped files hold it as entry x + 5y.
    auto bgra = [](unsigned x, unsigned y) { return Bytes({int(x * 40), int(y * 90), int(200 - x - y), int(17 * x)}); };
    const TgaFields variants[] = {Fields(2, 5, 3, 24), Fields(2, 5, 3, 32, 8), Fields(10, 5, 3, 24, 0x20),
                                  Fields(10, 5, 3, 32, 8), Fields(1, 5, 3, 8), Fields(9, 5, 3, 8, 0x20)};
    TempDir dir;
    const std::string path = dir.file("oracle.tga");
    for (TgaFields f : variants) {
        const bool topDown = f.descriptor & 0x20, mapped = f.pixelDepth == 8;
        std::string map, pixels;
        if (mapped) {
            f.colourMapType = 1;
            f.colourMapLength = 15;
            f.colourMapEntryBits = 24;
            for (unsigned i = 0; i < 15; ++i)
                map += bgra(i % 5, i / 5).substr(0, 3);
        }
        for (unsigned row = 0; row < 3; ++row) {
            const unsigned y = topDown ? row : 2 - row;
            pixels += f.imageType >= 9 ? Bytes({0x04}) : "";  // each row one raw packet
            for (unsigned x = 0; x < 5; ++x)
                pixels += mapped ? Bytes({int(x + 5 * y)}) : bgra(x, y).substr(0, f.pixelDepth / 8);
        }
        ASSERT_TRUE(WriteFileBytes(path, TgaHeaderBytes(f) + map + pixels));
        const Read read(path);
        ASSERT_TRUE(read.ok);
        const std::vector<uint32_t> ours = ExpandLevelToArgb(read.r(), 0);
        int w = 0, h = 0, channels = 0;
        unsigned char* theirs = stbi_load(path.c_str(), &w, &h, &channels, 4);
        ASSERT_NE(theirs, nullptr) << stbi_failure_reason();
        ASSERT_EQ(ours.size(), size_t(w) * h);
        for (size_t i = 0; i < ours.size(); ++i) {
            const unsigned char* p = theirs + 4 * i;
            const uint32_t alpha = f.pixelDepth == 32 ? p[3] : 255;
            EXPECT_EQ(ours[i], alpha << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2])
                << int(f.imageType) << "/" << int(f.pixelDepth) << " pixel " << i;
        }
        stbi_image_free(theirs);
    }
}
