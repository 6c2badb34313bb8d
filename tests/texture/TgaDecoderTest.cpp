// The TGA decoder on bytes laid out here; and the two ways pixels reach their
// level, decoded from memory or read from a file straight into place, giving
// the same levels over every TGA file the project keeps.
#include "texture/tga/TgaDecoder.h"

#include "support/LargestAllocation.h"
#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "support/TextureCompare.h"
#include "support/TgaTestBytes.h"
#include "texture/chain/TgaTextureReader.h"
#include "texture/convert/PixelExpansion.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <cstring>
#include <filesystem>

namespace {

struct Decoded {
    TextureRecord holder;
    TgaWarnings warnings;
    std::optional<TextureCause> problem;
    explicit Decoded(const std::string& bytes)
        : problem(DecodeTga(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), holder, warnings))
    {
    }
    const T3D_TEXTURE& r() const { return holder.record(); }
    std::string level(int l) const
    {
        return std::string(reinterpret_cast<const char*>(r().levels[l]), size_t(LevelByteCount(r(), l)));
    }
    bool quiet() const { return !problem && !warnings.ranPast && !warnings.beyondMap; }
};

// An 8-bit grey file whose every pixel is `value`.
std::string GreyFile(unsigned width, unsigned height, int value)
{
    return TgaHeaderBytes(TgaFields::Image(3, width, height, 8)) + Repeat(value, width * height);
}

}  // namespace

TEST(TgaDecoder, ReadsEachPixelDepthBottomRowFirst)
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
    for (const Depth& d : depths) {
        const size_t rowBytes = 2 * size_t(d.depth / 8);
        const std::string bottom = Repeat(1, rowBytes - 1) + "B", top = Repeat(2, rowBytes - 1) + "T";
        const Decoded read(TgaHeaderBytes(TgaFields::Image(d.depth == 8 ? 3 : 2, 2, 2, d.fileDepth)) + bottom + top);
        ASSERT_TRUE(read.quiet()) << d.fileDepth;
        const T3D_TEXTURE& t = read.r();
        EXPECT_EQ(std::vector<uint32_t>({t.width, t.height, t.depth, t.levelCount, t.flags}),
                  std::vector<uint32_t>({2, 2, uint32_t(d.depth), 1, 0}));
        EXPECT_EQ(std::vector<uint32_t>({t.redMask, t.greenMask, t.blueMask, t.alphaMask}),
                  std::vector<uint32_t>({d.red, d.green, d.blue, d.alpha}));
        EXPECT_EQ(t.levels[1], nullptr);
        EXPECT_EQ(read.level(0), top + bottom) << d.fileDepth;
    }
}

TEST(TgaDecoder, EveryStorageOfTheSamePictureReadsTheSame)
{
    // 3 x 2 at 24 bits: top row A A C, bottom row D E F.
    const std::string A = Bytes({1, 2, 3}), C = Bytes({4, 5, 6}), D = Bytes({7, 8, 9}), E = Bytes({10, 11, 12}),
                      F = Bytes({13, 14, 15});
    const std::string top = A + A + C, bottom = D + E + F;
    const std::string pot = C + A + A, mottob = F + E + D;  // the rows right to left
    TgaFields withId = TgaFields::Image(2, 3, 2, 24);
    withId.idLength = 5;
    const TgaFields unusedMap = TgaFields::Image(2, 3, 2, 24).withMap(2, 16);
    const std::pair<std::string, bool> files[] = {
        {TgaHeaderBytes(TgaFields::Image(2, 3, 2, 24)) + bottom + top, false},
        {TgaHeaderBytes(TgaFields::Image(2, 3, 2, 24, 0x20)) + top + bottom, false},
        {TgaHeaderBytes(TgaFields::Image(2, 3, 2, 24, 0x10)) + mottob + pot, false},
        {TgaHeaderBytes(TgaFields::Image(2, 3, 2, 24, 0x30)) + pot + mottob, false},
        {TgaHeaderBytes(withId) + "12345" + bottom + top, false},
        {TgaHeaderBytes(unusedMap) + Bytes({0xEE, 0xEE, 0xEE, 0xEE}) + bottom + top, false},
        // Run-length: raw 3, a run of 2 across the row end, raw 1.
        {TgaHeaderBytes(TgaFields::Image(10, 3, 2, 24)) + Bytes({0x02}) + bottom + Bytes({0x81}) + A + Bytes({0x00}) +
             C,
         false},
        {TgaHeaderBytes(TgaFields::Image(10, 3, 2, 24, 0x30)) + Bytes({0x00}) + C + Bytes({0x81}) + A + Bytes({0x02}) +
             mottob,
         false},
        // Top-down run-length, whose last run is longer than the pixels left:
        // a warning that the packets run past the image.
        {TgaHeaderBytes(TgaFields::Image(10, 3, 2, 24, 0x20)) + Bytes({0x81}) + A + Bytes({0x00}) + C + Bytes({0x01}) +
             D + E + Bytes({0xFF}) + F,
         true},
    };
    for (const auto& [file, ranPast] : files) {
        const Decoded read(file);
        ASSERT_EQ(read.problem, std::nullopt);
        EXPECT_EQ(read.warnings.ranPast, ranPast);
        EXPECT_EQ(read.level(0), top + bottom) << int(uint8_t(file[17]));
    }
}

TEST(TgaDecoder, TakesThePaletteFromTheColourMapOrTheGreyRamp)
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
    for (const Map& m : maps) {
        const TgaFields f = TgaFields::Image(1, 2, 1, 8).withMap(unsigned(m.length), m.entryBits, unsigned(m.first));
        const Decoded read(TgaHeaderBytes(f) + m.entries + m.pixels);
        ASSERT_EQ(read.problem, std::nullopt);
        const uint8_t* e = read.r().palette[m.entry];
        EXPECT_EQ(std::vector<int>({e[0], e[1], e[2], e[3]}), std::vector<int>({m.blue, m.green, m.red, 0}))
            << m.entryBits << " " << m.first << " " << m.length << " entry " << m.entry;
        EXPECT_EQ(read.level(0), m.pixels);
        EXPECT_EQ(read.warnings.beyondMap, m.beyondMap);
        EXPECT_FALSE(read.warnings.ranPast);
    }
    const Decoded grey(GreyFile(2, 2, 5));
    for (int i : {0, 1, 200, 255})
        EXPECT_EQ(std::memcmp(grey.r().palette[i], Bytes({i, i, i, 0}).data(), 4), 0) << i;
}

TEST(TgaDecoder, RefusesDamagedFilesWithAMessageAndNoPixels)
{
    TgaFields withId = TgaFields::Image(3, 4, 4, 8);
    withId.idLength = 200;
    const TgaFields mapped = TgaFields::Image(1, 4, 4, 8).withMap(256, 24);
    std::vector<std::pair<std::string, TextureCause>> cases = {
        {"", TextureCause::Truncated},
        {TgaHeaderBytes(TgaFields::Image(3, 4, 4, 8)).substr(0, 17), TextureCause::Truncated},
        {TgaHeaderBytes(withId) + Repeat(1, 100), TextureCause::Truncated},
        {TgaHeaderBytes(mapped) + Repeat(1, 767), TextureCause::Truncated},
        {TgaHeaderBytes(TgaFields::Image(3, 0, 4, 8)) + Repeat(1, 16), TextureCause::UnsupportedSize},
        {TgaHeaderBytes(TgaFields::Image(3, 4, 0, 8)) + Repeat(1, 16), TextureCause::UnsupportedSize},
        // Claims of gigabytes in 100 bytes are refused before any allocation.
        {TgaHeaderBytes(TgaFields::Image(2, 65535, 65535, 32)) + Repeat(1, 82), TextureCause::UnsupportedSize},
        {TgaHeaderBytes(TgaFields::Image(10, 65535, 65535, 32)) + Repeat(0xFF, 82), TextureCause::UnsupportedSize},
        {TgaHeaderBytes(TgaFields::Image(2, 1000, 1000, 32)) + Repeat(1, 82), TextureCause::ShortOfPixels},
        {TgaHeaderBytes(TgaFields::Image(10, 1000, 1000, 32)) + Repeat(0xFF, 82), TextureCause::ShortOfPixels},
        {TgaHeaderBytes(TgaFields::Image(3, 4, 4, 8)) + Repeat(1, 15), TextureCause::ShortOfPixels},
        {TgaHeaderBytes(mapped) + Repeat(1, 768 + 15), TextureCause::ShortOfPixels},
    };
    // Kinds of file that are not read, whatever follows the header.
    auto kind = [&](TgaFields f, TextureCause cause) { cases.push_back({TgaHeaderBytes(f) + Repeat(1, 1024), cause}); };
    for (int type : {0, 4, 8, 32, 33, 255})
        kind(TgaFields::Image(type, 4, 4, 24), TextureCause::TgaImageType);
    for (int depth : {0, 1, 7, 33, 255})
        kind(TgaFields::Image(2, 4, 4, depth), TextureCause::TgaPixelDepth);
    for (auto [type, depth] : {std::pair{3, 16}, {3, 24}, {11, 16}})
        kind(TgaFields::Image(type, 4, 4, depth), TextureCause::TgaGreyDepth);
    TgaFields indices16 = mapped, emptyMap = mapped, reservedMap = TgaFields::Image(2, 4, 4, 24), map8 = mapped;
    indices16.pixelDepth = 16;
    emptyMap.colourMapLength = 0;
    reservedMap.colourMapType = 2;
    map8.colourMapEntryBits = 8;
    kind(indices16, TextureCause::TgaIndexDepth);
    kind(emptyMap, TextureCause::TgaEmptyColourMap);
    kind(reservedMap, TextureCause::TgaReservedColourMapType);
    kind(map8, TextureCause::TgaColourMapEntrySize);
    for (const auto& [bytes, cause] : cases) {
        TextureRecord holder;
        holder.allocateLevel(0, 64);  // an old buffer, freed by the decoder
        TgaWarnings warnings;
        EXPECT_EQ(DecodeTga(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), holder, warnings), cause);
        const T3D_TEXTURE& rest = holder.record();
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&rest), sizeof rest), std::string(sizeof rest, '\0'));
    }
}

// Files whose headers claim far more than they hold are refused having asked
// for no memory near the claimed size.
TEST(TgaDecoder, HugeClaimsFailWithoutLargeAllocations)
{
    if (!LargestAllocation::available())
        GTEST_SKIP() << "allocations can be watched only with the address checker";
    TgaFields truecolour;
    truecolour.width = 16000;
    truecolour.height = 16000;
    truecolour.pixelDepth = 32;  // 977 MiB of pixels: under the level limit
    TgaFields widest = truecolour;
    widest.width = widest.height = 65535;  // 16 GiB: over it
    TgaFields runLength = truecolour;
    runLength.imageType = 10;
    const TgaFields colourMap = TgaFields::Image(1, 4, 4, 8).withMap(65535, 32);
    TgaFields idField = truecolour;
    idField.idLength = 255;
    const std::pair<const char*, std::string> claims[] = {
        {"true colour, a few pixels", TgaHeaderBytes(truecolour) + Repeat(7, 4000)},
        {"65535 x 65535", TgaHeaderBytes(widest) + Repeat(7, 4000)},
        // Each packet repeats one pixel 128 times: 2.5 MB of pixels in 100 KB.
        {"run-length runs that end early", TgaHeaderBytes(runLength) + Repeat(0xFF, 100000)},
        {"a 256 KiB colour map", TgaHeaderBytes(colourMap) + Repeat(1, 3000)},
        {"an ID field past the end", TgaHeaderBytes(idField) + Repeat(1, 100)},
    };
    for (const auto& [what, bytes] : claims) {
        SCOPED_TRACE(what);
        LargestAllocation watch;
        const Decoded read(bytes);
        EXPECT_LT(watch.bytes(), size_t(1) << 20);
        EXPECT_NE(read.problem, std::nullopt);
        EXPECT_EQ(nullptr, read.r().levels[0]);
    }
}

TEST(TgaDecoder, AgreesWithAnIndependentDecoder)
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
        const std::string file = TgaHeaderBytes(f) + map + pixels;
        const Decoded read(file);
        ASSERT_TRUE(read.quiet());
        const std::vector<uint32_t> ours = ExpandLevelToArgb(read.r(), 0);
        int w = 0, h = 0, channels = 0;
        unsigned char* theirs = stbi_load_from_memory(reinterpret_cast<const unsigned char*>(file.data()),
                                                      int(file.size()), &w, &h, &channels, 4);
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

// Every TGA file the project keeps (the fuzz seeds, the samples), whole and
// cut short: decoded from memory, and read by the chain reader, whose raw
// rows go straight from the file into place, they give the same level or the
// same refusal.
TEST(TgaDecoder, BytesAndFilesGiveTheSameLevels)
{
    namespace fs = std::filesystem;
    const fs::path source = QUORREL_SOURCE_DIR;
    std::vector<std::string> files;
    for (const char* folder : {"fuzz/corpus/tga_read", "fuzz/corpus/tga_write", "samples/tga"}) {
        for (const auto& entry : fs::directory_iterator(source / folder)) {
            const std::string bytes = ReadFileBytes(entry.path().string());
            files.push_back(entry.path().parent_path().filename() == "tga_write" ? bytes.substr(1) : bytes);
        }
    }
    ASSERT_GE(files.size(), 20u);
    TempDir dir;
    const std::string path = dir.file("level.tga");
    for (const std::string& whole : files) {
        for (const size_t size : {whole.size(), whole.size() - 1, whole.size() / 2, size_t(18), size_t(17)}) {
            const std::string bytes = whole.substr(0, size);
            ASSERT_TRUE(WriteFileBytes(path, bytes));
            TextureRecord fromFile;
            RecordingReport report;
            const bool read = ReadTgaChainFiles(path, fromFile, report);
            const Decoded fromBytes(bytes);
            SCOPED_TRACE(std::to_string(size) + " of " + std::to_string(whole.size()) + " bytes");
            ASSERT_EQ(read, !fromBytes.problem);
            if (!read) {
                EXPECT_EQ(report.texts(),
                          std::vector<std::string>(
                              {MakeProblem(Severity::Error, *fromBytes.problem, path, {"TGA"}).sentence}));
                continue;
            }
            ExpectSameTexture(fromBytes.r(), fromFile.record(), TextureParts::pixels);
            EXPECT_EQ(report.problems.size(), size_t(fromBytes.warnings.ranPast) + fromBytes.warnings.beyondMap);
        }
    }
}
