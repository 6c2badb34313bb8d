#include "texture/chain/TgaTextureReader.h"

#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "support/TgaTestBytes.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/convert/PixelExpansion.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <array>
#include <cstdlib>
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
        ASSERT_TRUE(WriteFileBytes(path, TgaHeaderBytes(TgaFields::Image(d.depth == 8 ? 3 : 2, 2, 2, d.fileDepth)) +
                                             bottom + top));
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
    const std::string pot = C + A + A, mottob = F + E + D;  // the rows right to left
    TgaFields withId = TgaFields::Image(2, 3, 2, 24);
    withId.idLength = 5;
    const TgaFields unusedMap = TgaFields::Image(2, 3, 2, 24).withMap(2, 16);
    const char* noWarning = nullptr;
    const std::pair<std::string, const char*> files[] = {
        {TgaHeaderBytes(TgaFields::Image(2, 3, 2, 24)) + bottom + top, noWarning},
        {TgaHeaderBytes(TgaFields::Image(2, 3, 2, 24, 0x20)) + top + bottom, noWarning},
        {TgaHeaderBytes(TgaFields::Image(2, 3, 2, 24, 0x10)) + mottob + pot, noWarning},
        {TgaHeaderBytes(TgaFields::Image(2, 3, 2, 24, 0x30)) + pot + mottob, noWarning},
        {TgaHeaderBytes(withId) + "12345" + bottom + top, noWarning},
        {TgaHeaderBytes(unusedMap) + Bytes({0xEE, 0xEE, 0xEE, 0xEE}) + bottom + top, noWarning},
        // Run-length: raw 3, a run of 2 across the row end, raw 1.
        {TgaHeaderBytes(TgaFields::Image(10, 3, 2, 24)) + Bytes({0x02}) + bottom + Bytes({0x81}) + A + Bytes({0x00}) +
             C,
         noWarning},
        {TgaHeaderBytes(TgaFields::Image(10, 3, 2, 24, 0x30)) + Bytes({0x00}) + C + Bytes({0x81}) + A + Bytes({0x02}) +
             mottob,
         noWarning},
        // Top-down run-length, whose last run is longer than the pixels left.
        {TgaHeaderBytes(TgaFields::Image(10, 3, 2, 24, 0x20)) + Bytes({0x81}) + A + Bytes({0x00}) + C + Bytes({0x01}) +
             D + E + Bytes({0xFF}) + F,
         "TGA file %s has run-length packets running past the image (cut at its end)"},
    };
    TempDir dir;
    const std::string path = dir.file("pic.tga");
    for (const auto& [file, warning] : files) {
        ASSERT_TRUE(WriteFileBytes(path, file));
        const Read read(path);
        ASSERT_TRUE(read.ok);
        EXPECT_EQ(read.report.texts(),
                  warning ? std::vector<std::string>({Filled(warning, path)}) : std::vector<std::string>());
        EXPECT_EQ(read.level(0), top + bottom) << int(uint8_t(file[17]));
    }
}

TEST(TgaTextureReader, TakesThePaletteFromTheColourMapOrTheGreyRamp)
{
    struct Map {
        int entryBits, first, length;
        std::string entries, pixels;  // two pixels
        int entry, blue, green, red;  // one palette entry expected
        bool beyondMap;
    };
    std::string map300;
    for (int i = 0; i < 300; ++i)
        map300 += Bytes({i & 0xFF, 7, 9});
    const std::string two24 = Bytes({10, 20, 30, 40, 50, 60});
    // 5-5-5 words, the top (alpha) bit ignored: white, and red 1 green 2 blue 3.
    const std::string two16 = U16(0x7FFF) + U16(0x8000 | 1 << 10 | 2 << 5 | 3);
    const Map maps[] = {
        {24, 0, 2, two24, Bytes({0, 1}), 1, 40, 50, 60, false},
        {24, 0, 2, two24, Bytes({0, 1}), 2, 0, 0, 0, false},  // beyond the map
        {32, 0, 2, Bytes({1, 2, 3, 99, 4, 5, 6, 99}), Bytes({0, 1}), 1, 4, 5, 6, false},
        {24, 0, 300, map300, Bytes({0, 1}), 255, 255, 7, 9, false},  // first 256 used
        {16, 0, 2, two16, Bytes({0, 1}), 0, 255, 255, 255, false},
        {15, 0, 2, two16, Bytes({0, 1}), 1, 24, 16, 8, false},   // 5-bit v widens to v << 3 | v >> 2
        {24, 3, 2, two24, Bytes({3, 4}), 3, 10, 20, 30, false},  // value 3 is the map's first entry
        {24, 3, 2, two24, Bytes({3, 4}), 0, 0, 0, 0, false},
        {24, 3, 2, two24, Bytes({2, 4}), 4, 40, 50, 60, true},
        {24, 3, 2, two24, Bytes({5, 4}), 4, 40, 50, 60, true},
    };
    TempDir dir;
    const std::string path = dir.file("pal.tga");
    for (const Map& m : maps) {
        const TgaFields f = TgaFields::Image(1, 2, 1, 8).withMap(unsigned(m.length), m.entryBits, unsigned(m.first));
        ASSERT_TRUE(WriteFileBytes(path, TgaHeaderBytes(f) + m.entries + m.pixels));
        const Read read(path);
        ASSERT_TRUE(read.ok);
        const uint8_t* e = read.r().palette[m.entry];
        EXPECT_EQ(std::vector<int>({e[0], e[1], e[2], e[3]}), std::vector<int>({m.blue, m.green, m.red, 0}))
            << m.entryBits << " " << m.first << " " << m.length << " entry " << m.entry;
        EXPECT_EQ(read.level(0), m.pixels);
        std::vector<ReportedMessage> expected;
        if (m.beyondMap)
            expected.push_back({Severity::Warning,
                                Filled("TGA file %s has colour indices beyond its colour map (shown black)", path)});
        EXPECT_EQ(read.report.messages, expected);
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

TEST(TgaTextureReader, RefusesDamagedFilesWithAMessageAndNoPixels)
{
    TgaFields withId = TgaFields::Image(3, 4, 4, 8);
    withId.idLength = 200;
    const TgaFields mapped = TgaFields::Image(1, 4, 4, 8).withMap(256, 24);
    const char* truncated = "TGA file %s is truncated";
    const char* badSize = "TGA file %s has an unsupported size";
    const char* short_ = "TGA file %s holds fewer pixels than its size";
    std::vector<std::pair<std::string, const char*>> cases = {
        {"", "%s is empty"},
        {TgaHeaderBytes(TgaFields::Image(3, 4, 4, 8)).substr(0, 17), truncated},
        {TgaHeaderBytes(withId) + Repeat(1, 100), truncated},
        {TgaHeaderBytes(mapped) + Repeat(1, 767), truncated},
        {TgaHeaderBytes(TgaFields::Image(3, 0, 4, 8)) + Repeat(1, 16), badSize},
        {TgaHeaderBytes(TgaFields::Image(3, 4, 0, 8)) + Repeat(1, 16), badSize},
        // Claims of gigabytes in 100 bytes are refused before any allocation.
        {TgaHeaderBytes(TgaFields::Image(2, 65535, 65535, 32)) + Repeat(1, 82), badSize},
        {TgaHeaderBytes(TgaFields::Image(10, 65535, 65535, 32)) + Repeat(0xFF, 82), badSize},
        {TgaHeaderBytes(TgaFields::Image(2, 1000, 1000, 32)) + Repeat(1, 82), short_},
        {TgaHeaderBytes(TgaFields::Image(10, 1000, 1000, 32)) + Repeat(0xFF, 82), short_},
        {TgaHeaderBytes(TgaFields::Image(3, 4, 4, 8)) + Repeat(1, 15), short_},
        {TgaHeaderBytes(mapped) + Repeat(1, 768 + 15), short_},
    };
    // Kinds of file that are not read, whatever follows the header.
    auto kind = [&](TgaFields f, const char* message) {
        cases.push_back({TgaHeaderBytes(f) + Repeat(1, 1024), message});
    };
    for (int type : {0, 4, 8, 32, 33, 255})
        kind(TgaFields::Image(type, 4, 4, 24), "TGA file %s has an image type that is not read");
    for (int depth : {0, 1, 7, 33, 255})
        kind(TgaFields::Image(2, 4, 4, depth), "TGA file %s has an unsupported pixel depth");
    for (auto [type, depth] : {std::pair{3, 16}, {3, 24}, {11, 16}})
        kind(TgaFields::Image(type, 4, 4, depth), "TGA file %s holds grey pixels of more than 8 bits");
    TgaFields indices16 = mapped, emptyMap = mapped, reservedMap = TgaFields::Image(2, 4, 4, 24), map8 = mapped;
    indices16.pixelDepth = 16;
    emptyMap.colourMapLength = 0;
    reservedMap.colourMapType = 2;
    map8.colourMapEntryBits = 8;
    kind(indices16, "TGA file %s holds colour indices of other than 8 bits");
    kind(emptyMap, "TGA file %s has an empty colour map");
    kind(reservedMap, "TGA file %s has a reserved colour map type");
    kind(map8, "Error with TGA palette!");
    TempDir dir;
    const std::string path = dir.file("bad_A.tga");
    for (const auto& [bytes, message] : cases) {
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        TextureRecord holder;
        holder.allocateLevel(0, 64);  // an old buffer, freed by the reader
        RecordingReport report;
        EXPECT_FALSE(TgaTextureReader(path.c_str(), holder, report));
        ASSERT_EQ(report.messages.size(), 1u) << message;
        EXPECT_EQ(report.messages[0].severity, Severity::Error);
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

TEST(TgaTextureReader, AgreesWithAnIndependentDecoder)
{
    // 5 x 3: pixel (x, y) from the top is blue 40x, green 90y, red 200 - x - y,
    // alpha 17x; colour-mapped files hold it as entry x + 5y. At 15 and 16
    // bits the channels keep their top five bits, which decoders may widen
    // to 8 bits a step apart.
    auto colour = [](unsigned x, unsigned y, int bits) {
        const int blue = int(x * 40), green = int(y * 90), red = int(200 - x - y);
        if (bits <= 16)
            return U16(unsigned(red >> 3 << 10 | green >> 3 << 5 | blue >> 3));
        return Bytes({blue, green, red, int(17 * x)}).substr(0, size_t(bits / 8));
    };
    struct Variant {
        int imageType, depth, descriptor, entryBits;
    };
    const Variant variants[] = {{2, 24, 0, 0}, {2, 32, 8, 0},     {10, 24, 0x20, 0}, {10, 32, 8, 0},
                                {2, 16, 0, 0}, {10, 15, 0x20, 0}, {1, 8, 0, 24},     {9, 8, 0x20, 24},
                                {1, 8, 0, 32}, {1, 8, 0, 16},     {9, 8, 0, 15}};
    TempDir dir;
    const std::string path = dir.file("oracle.tga");
    for (const Variant& v : variants) {
        TgaFields f = TgaFields::Image(v.imageType, 5, 3, v.depth, v.descriptor);
        const bool topDown = v.descriptor & 0x20, mapped = v.depth == 8;
        std::string map, pixels;
        if (mapped) {
            f.withMap(15, int(v.entryBits));
            for (unsigned i = 0; i < 15; ++i)
                map += colour(i % 5, i / 5, v.entryBits);
        }
        for (unsigned row = 0; row < 3; ++row) {
            const unsigned y = topDown ? row : 2 - row;
            pixels += v.imageType >= 9 ? Bytes({0x04}) : "";  // each row one raw packet
            for (unsigned x = 0; x < 5; ++x)
                pixels += mapped ? Bytes({int(x + 5 * y)}) : colour(x, y, v.depth);
        }
        ASSERT_TRUE(WriteFileBytes(path, TgaHeaderBytes(f) + map + pixels));
        const Read read(path);
        ASSERT_TRUE(read.ok);
        EXPECT_TRUE(read.report.messages.empty());
        const std::vector<uint32_t> ours = ExpandLevelToArgb(read.r(), 0);
        int w = 0, h = 0, channels = 0;
        unsigned char* theirs = stbi_load(path.c_str(), &w, &h, &channels, 4);
        ASSERT_NE(theirs, nullptr) << stbi_failure_reason();
        ASSERT_EQ(ours.size(), size_t(w) * h);
        const int step = (mapped ? v.entryBits : v.depth) <= 16 ? 1 : 0;
        for (size_t i = 0; i < ours.size(); ++i) {
            const unsigned char* p = theirs + 4 * i;
            const int expected[4] = {v.depth == 32 ? p[3] : 255, p[0], p[1], p[2]};  // alpha, red, green, blue
            for (int c = 0; c < 4; ++c)
                EXPECT_NEAR(int(ours[i] >> (24 - 8 * c) & 0xFF), expected[c], step)
                    << v.imageType << "/" << v.depth << "/" << v.entryBits << " pixel " << i << " channel " << c;
        }
        stbi_image_free(theirs);
    }
}

// ImageMagick reads the colour map's first-entry index (stb_image does not).
TEST(TgaTextureReader, ReadsTheMapsFirstEntryIndexAsImageMagickDoes)
{
    TempDir dir;
    const std::string path = dir.file("first.tga"), theirs = dir.file("first.rgb");
    const TgaFields f = TgaFields::Image(9, 4, 2, 8, 0x20).withMap(5, 24, 200);
    const std::string map = Bytes({1, 2, 3, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120});
    // Values 200 .. 204 name entries 0 .. 4: a run of three, then five raw.
    ASSERT_TRUE(WriteFileBytes(path, TgaHeaderBytes(f) + map + Bytes({0x82, 204, 0x04, 200, 201, 202, 203, 204})));
    const std::string command = "convert '" + path + "' 'rgb:" + theirs + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "ImageMagick's convert is not there";
    const Read read(path);
    ASSERT_TRUE(read.ok);
    EXPECT_TRUE(read.report.messages.empty());
    std::string ours;
    for (uint32_t argb : ExpandLevelToArgb(read.r(), 0))
        ours += Bytes({int(argb >> 16 & 0xFF), int(argb >> 8 & 0xFF), int(argb & 0xFF)});
    EXPECT_EQ(ours, ReadFileBytes(theirs));
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
