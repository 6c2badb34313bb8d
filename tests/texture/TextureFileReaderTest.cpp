#include "texture/chain/TextureFileReader.h"

#include "support/PngTestBytes.h"
#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "support/TextureBuilder.h"
#include "support/TextureCompare.h"
#include "support/TgaTestBytes.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/chain/PngTextureWriter.h"
#include "texture/chain/TgaTextureReader.h"
#include "texture/convert/PaletteMatch.h"
#include "texture/convert/PixelExpansion.h"
#include "texture/io/FileRead.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

using PixelAt = std::function<uint32_t(unsigned x, unsigned y)>;  // 0xAARRGGBB

std::string AsString(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

std::string RgbaPng(unsigned width, unsigned height, const PixelAt& pixel)
{
    PngPicture picture;
    picture.width = width;
    picture.height = height;
    picture.colourType = 6;
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            const uint32_t p = pixel(x, y);
            picture.rows.insert(picture.rows.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(p >> 24)});
        }
    }
    return AsString(MakePng(picture));
}

PixelAt Flat(uint32_t argb)
{
    return [argb](unsigned, unsigned) { return argb; };
}

// A palette PNG whose pixel (x, y) is index (x + 2y + 1) % colours: not the
// order in which the colours first appear.
std::string PalettePng(unsigned side, const std::vector<Rgb>& palette)
{
    PngPicture picture;
    picture.width = picture.height = side;
    picture.colourType = 3;
    picture.palette = palette;
    for (unsigned y = 0; y < side; ++y)
        for (unsigned x = 0; x < side; ++x)
            picture.rows.push_back(uint8_t((x + 2 * y + 1) % palette.size()));
    return AsString(MakePng(picture));
}

// Writes the chain's files, level 0 first, under the names the rule gives.
std::string WriteChain(const TempDir& dir, const std::string& first, const std::vector<std::string>& files)
{
    std::string name = dir.file(first);
    for (const std::string& bytes : files) {
        EXPECT_TRUE(WriteFileBytes(name, bytes));
        std::string next;
        NextMipLevelName(name, next);
        name = next;
    }
    return dir.file(first);
}

uint32_t Pixel32(const T3D_TEXTURE& r, int level, unsigned x, unsigned y)
{
    uint32_t p;
    std::memcpy(&p, r.levels[level] + 4 * (size_t(y) * LevelWidth(r, level) + x), 4);
    return p;
}

struct Read {
    TextureRecord holder;
    RecordingReport report;
    bool ok;
    Read(const std::string& path, const TextureReadOptions& options = {})
        : ok(ReadTextureChain(path, holder, report, options))
    {
    }
    const T3D_TEXTURE& r() const { return holder.record(); }
};

}  // namespace

// PNG chains walk as TGA chains do: names by the rule, files read while the
// level is 16 or more on a side, a file not fitting its level ends the chain
// with a warning; the signature, not the name, says PNG; a PNG is 32-bit.
TEST(TextureFileReader, PngChainsFollowTheNamingAndLevelRules)
{
    struct Chain {
        const char* first;
        unsigned width, height;
        int files;  // files of the right size, then one of the wrong size when misfit
        bool misfit;
        int levels, lastFileLevel;
        uint32_t flags;
        size_t warnings;
    };
    const Chain chains[] = {
        {"wall_A.png", 64, 64, 4, false, 5, 2, 0x03, 0},   // 64, 32, 16 read; the 8 x 8 file is not
        {"door_A.png", 32, 32, 1, false, 4, 0, 0x03, 0},   // 16, 8, 4 generated
        {"floor.png", 256, 64, 5, false, 5, 4, 0x01, 0},   // the wide side keeps the chain going
        {"sky_EZ.png", 64, 64, 1, true, 5, 0, 0x91, 1},    // level 1 does not fit: warned, generated
        {"named_A.tga", 32, 32, 2, false, 4, 1, 0x03, 0},  // PNG bytes under a TGA name
    };
    for (const Chain& c : chains) {
        TempDir dir;
        std::vector<std::string> files;
        for (int level = 0; level < c.files; ++level)
            files.push_back(RgbaPng(c.width >> level, c.height >> level, Flat(0xFF000000u | uint32_t(100 + level))));
        if (c.misfit)
            files.push_back(RgbaPng(c.width, c.height, Flat(0xFF0000FFu)));
        const Read read(WriteChain(dir, c.first, files));
        ASSERT_TRUE(read.ok) << c.first;
        EXPECT_EQ(read.report.messages.size(), c.warnings) << c.first;
        EXPECT_EQ(read.r().depth, 32);
        EXPECT_EQ(read.r().alphaMask, kMask8888Alpha);
        EXPECT_EQ(read.r().levelCount, c.levels) << c.first;
        EXPECT_EQ(read.r().flags, c.flags) << c.first;
        for (int level = 0; level < c.levels; ++level)
            EXPECT_EQ(Pixel32(read.r(), level, 0, 0), 0xFF000000u | uint32_t(100 + std::min(level, c.lastFileLevel)))
                << c.first << " level " << level;
    }
}

// Missing levels come from the filter asked for: point takes the top-left
// pixel of each block, box averages it in linear light (black and white give
// sRGB 188) weighted by alpha (a transparent pixel adds no colour).
TEST(TextureFileReader, MissingLevelsAreGeneratedWithTheChosenFilter)
{
    const PixelAt checker = [](unsigned x, unsigned y) { return (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u; };
    const PixelAt halfClear = [](unsigned x, unsigned) { return x % 2 ? 0x00FFFFFFu : 0xFF102030u; };
    struct Case {
        PixelAt picture;
        MipFilter filter;
        uint32_t level1;
    };
    const Case cases[] = {
        {checker, MipFilter::point, 0xFF000000u},
        {checker, MipFilter::box, 0xFFBCBCBCu},
        {halfClear, MipFilter::box, 0x80102030u},
    };
    for (const Case& c : cases) {
        TempDir dir;
        TextureReadOptions options;
        options.filter = c.filter;
        const Read read(WriteChain(dir, "c.png", {RgbaPng(16, 16, c.picture)}), options);
        ASSERT_TRUE(read.ok);
        ASSERT_EQ(read.r().levelCount, 3);
        for (int level = 1; level < 3; ++level) {
            const uint32_t p = Pixel32(read.r(), level, 1, 1);
            for (int shift = 0; shift < 32; shift += 8)
                EXPECT_NEAR(int(p >> shift & 0xFF), int(c.level1 >> shift & 0xFF), 1) << std::hex << p;
        }
    }
}

// Into depth 8, a palette PNG chain whose files share one palette keeps it and
// its indices, generated levels point-sampled alike; files with palettes of
// their own give the same colours through a map of their own.
TEST(TextureFileReader, APalettePngChainKeepsItsPaletteAndIndices)
{
    const std::vector<Rgb> shared = {{200, 0, 0}, {0, 150, 0}, {0, 0, 100}, {9, 9, 9}};
    const std::vector<Rgb> other = {{9, 9, 9}, {0, 0, 100}, {0, 150, 0}, {200, 0, 0}};
    TextureReadOptions to8;
    to8.convertTo = DepthOptions{8};
    for (const bool same : {true, false}) {
        TempDir dir;
        const Read read(WriteChain(dir, "p_A.png", {PalettePng(32, shared), PalettePng(16, same ? shared : other)}),
                        to8);
        ASSERT_TRUE(read.ok);
        EXPECT_TRUE(read.report.messages.empty());
        const T3D_TEXTURE& r = read.r();
        ASSERT_EQ(r.depth, 8);
        ASSERT_EQ(r.levelCount, 4);
        for (int level = 0; level < 4; ++level) {
            const unsigned side = 32u >> level;
            const std::vector<Rgb>& file = level >= 1 && !same ? other : shared;  // generated from level 1
            for (unsigned y = 0; y < side; ++y) {
                for (unsigned x = 0; x < side; ++x) {
                    const uint8_t stored = r.levels[level][y * side + x];
                    const unsigned index = (x + 2 * y + 1) % 4;
                    const unsigned sampled = (((x + 2 * y) << std::max(level - 1, 0)) + 1) % 4;
                    const Rgb want = file[level < 2 ? index : sampled];
                    ASSERT_EQ(PaletteColour(r, stored), want) << "level " << level;
                    if (same) {
                        ASSERT_EQ(stored, level < 2 ? index : sampled);
                    }
                }
            }
        }
    }
}

// Asked for a depth, a TGA chain of another depth or layout is expanded,
// completed and converted; one already in it is read as it is.
TEST(TextureFileReader, TgaChainsConvertOnlyWhenTheirFormatDiffers)
{
    TgaFields f;
    f.width = f.height = 16;
    f.pixelDepth = 24;
    std::string pixels24;
    for (int i = 0; i < 256; ++i)
        pixels24 += Bytes({i, 255 - i, i / 2});  // blue, green, red
    f.pixelDepth = 16;
    const std::string tga16 = TgaHeaderBytes(f) + Repeat(0x5A, 512);
    f.pixelDepth = 24;
    const std::string tga24 = TgaHeaderBytes(f) + pixels24;

    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.file("t24.tga"), tga24));
    ASSERT_TRUE(WriteFileBytes(dir.file("t16.tga"), tga16));
    TextureReadOptions to565, to555;
    to565.convertTo = DepthOptions{16, true};
    to555.convertTo = DepthOptions{16, false};

    const Read converted(dir.file("t24.tga"), to565);
    ASSERT_TRUE(converted.ok);
    EXPECT_EQ(converted.r().greenMask, kMask565Green);
    EXPECT_EQ(converted.r().levelCount, 3);
    for (int i = 0; i < 256; ++i) {  // bottom row first in the file
        const int row = 15 - i / 16, column = i % 16;
        uint16_t p;
        std::memcpy(&p, converted.r().levels[0] + 2 * (row * 16 + column), 2);
        ASSERT_EQ(p, PackPixel16(0xFF000000u | uint32_t(i / 2) << 16 | uint32_t(255 - i) << 8 | uint32_t(i), true));
    }

    const Read kept(dir.file("t16.tga"), to555);
    ASSERT_TRUE(kept.ok);
    EXPECT_EQ(kept.r().greenMask, kMask555Green);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(kept.r().levels[0]), 512), Repeat(0x5A, 512));
    const Read to565From555(dir.file("t16.tga"), to565);
    EXPECT_EQ(to565From555.r().greenMask, kMask565Green);

    // A depth no texture has is refused, never written past its buffers.
    TextureReadOptions to12;
    to12.convertTo = DepthOptions{12};
    const Read odd(dir.file("t24.tga"), to12);
    EXPECT_FALSE(odd.ok);
    EXPECT_EQ(odd.report.texts(),
              std::vector<std::string>({"Can't convert " + dir.file("t24.tga") + " to a texture of 12 bits"}));
}

// What the PNG writer writes the reader reads back: a depth-8 texture with the
// same palette and indices, other depths as the preview shows them.
TEST(TextureFileReader, PngChainsWrittenReadBackTheSame)
{
    for (const unsigned depth : {8u, 16u, 24u, 32u}) {
        const TextureRecord original = TextureBuilder(64, 64, depth)
                                           .standardMasks()
                                           .generatedLevels(5)
                                           .bytes([](int, uint64_t i) { return uint8_t(i * 37 + i / 64); })
                                           .palette([](int i) {
                                               return Rgb{uint8_t(i), uint8_t(255 - i), uint8_t(i * 3)};
                                           })
                                           .build();
        const T3D_TEXTURE& o = original.record();
        ASSERT_EQ(o.levelCount, 5);

        TempDir dir;
        RecordingReport writeReport;
        ASSERT_TRUE(PngTextureWriter(dir.file("crate_A.png").c_str(), o, writeReport));
        EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>({"crate_A.png", "crate_A1.png", "crate_A2.png",
                                                                       "crate_A3.png", "crate_A4.png"}));
        TextureReadOptions options;
        if (depth == 8)
            options.convertTo = DepthOptions{8};
        const Read back(dir.file("crate_A.png"), options);
        ASSERT_TRUE(back.ok);
        ASSERT_EQ(back.r().levelCount, 5);
        for (int level = 0; level < 5; ++level) {
            if (depth == 8) {
                ASSERT_EQ(std::memcmp(back.r().levels[level], o.levels[level], LevelByteCount(o, level)), 0);
                ASSERT_EQ(std::memcmp(back.r().palette, o.palette, sizeof o.palette), 0);
            } else {
                const std::vector<uint32_t> want = ExpandLevelToArgb(o, level);
                ASSERT_EQ(std::memcmp(back.r().levels[level], want.data(), want.size() * 4), 0) << depth;
            }
        }
    }
}

// The naming rule alone says which files belong to a chain; each is read by
// its own signature and a level of the other kind is converted into the
// first level's format, with a warning naming both kinds.
TEST(TextureFileReader, MixedChainsReadEachFileByItsSignature)
{
    TempDir dir;
    // A PNG chain whose level 1, a_A1.png, is a TGA file: read as it is, RGBA.
    std::vector<uint16_t> tga555;
    for (unsigned i = 0; i < 32 * 32; ++i)  // 16 x 16 uses the first quarter
        tga555.push_back(uint16_t(i * 37 % 0x8000));
    const std::string png = WriteChain(dir, "a_A.png", {RgbaPng(32, 32, Flat(0x80102030)), Tga555(16, 16, tga555)});
    const Read pngChain(png);
    ASSERT_TRUE(pngChain.ok);
    EXPECT_EQ(pngChain.r().depth, 32);
    TextureRecord expected = TextureBuilder(16, 16, 16).masks(kMask555Red, kMask555Green, kMask555Blue, 0).build();
    std::memcpy(expected.record().levels[0], ReadFileBytes(dir.file("a_A1.png")).data() + 18, 16 * 16 * 2);
    const std::vector<uint32_t> tgaPixels = ExpandLevelToArgb(expected.record(), 0);
    for (unsigned y = 0; y < 16; ++y)  // the file's rows go bottom first
        for (unsigned x = 0; x < 16; ++x)
            ASSERT_EQ(Pixel32(pngChain.r(), 1, x, 15 - y), tgaPixels[y * 16 + x]) << x << "," << y;
    EXPECT_EQ(pngChain.report.messages,
              (std::vector<ReportedMessage>{
                  {Severity::Warning, dir.file("a_A1.png") +
                                          " is a TGA file in a chain of PNG files: it is read as TGA, in the chain's "
                                          "format"}}));

    // A 16-bit TGA chain whose level 1, b_A1.tga, is a PNG: packed into 5-5-5,
    // its alpha dropped, as a scene texture's format takes a PNG.
    const uint32_t colour = 0x80F08040;
    const std::string tga = WriteChain(dir, "b_A.tga", {Tga555(32, 32, tga555), RgbaPng(16, 16, Flat(colour))});
    const Read tgaChain(tga);
    ASSERT_TRUE(tgaChain.ok);
    EXPECT_EQ(tgaChain.r().depth, 16);
    const uint16_t packed = PackPixel16(colour, false);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(tgaChain.r().levels[1]), 4),
              std::string({char(packed), char(packed >> 8), char(packed), char(packed >> 8)}));
    const std::string b1 = dir.file("b_A1.tga");
    EXPECT_EQ(tgaChain.report.messages,
              (std::vector<ReportedMessage>{
                  {Severity::Warning,
                   b1 + " is a PNG file in a chain of TGA files: it is read as PNG, in the chain's format"},
                  {Severity::Warning,
                   b1 + " is not opaque: the texture it goes into has no alpha, so its alpha is dropped"}}));

    // An 8-bit chain takes a PNG level's colours into its palette; a damaged
    // PNG level ends the chain with the PNG reader's own warning.
    std::string indices;
    for (int i = 0; i < 64 * 64; ++i)
        indices += char(i % 2);
    const std::string map = Bytes({0, 0, 0xFF, 0, 0xFF, 0});  // red, green
    const std::string mapped =
        WriteChain(dir, "c_A.tga", {MappedTga(64, 64, map, indices), RgbaPng(32, 32, Flat(0xFF0000FF))});
    ASSERT_TRUE(WriteFileBytes(dir.file("c_A2.tga"), "\x89PNG\r\n\x1a\n and no chunk"));
    const Read eightBit(mapped);
    ASSERT_TRUE(eightBit.ok);
    EXPECT_EQ(ExpandLevelToArgb(eightBit.r(), 1), std::vector<uint32_t>(32 * 32, 0xFF0000FF));
    EXPECT_EQ(PaletteColour(eightBit.r(), 0), (Rgb{0xFF, 0, 0}));  // level 0's colours kept
    ASSERT_EQ(eightBit.report.messages.size(), 2u);
    EXPECT_EQ(eightBit.report.messages[1].severity, Severity::Warning);
    EXPECT_EQ(eightBit.report.messages[1].text.rfind("PNG file " + dir.file("c_A2.tga") + " is damaged", 0), 0u)
        << eightBit.report.messages[1].text;
}

// A chain's files read once and made into textures as often as wanted give
// what a read gives, byte for byte, for every filter and depth: a TGA chain
// of 24 bits, an RGBA PNG chain and a palette PNG chain (its own palette and
// indices kept at 8 bits).
TEST(TextureFileReader, FilesReadOnceCompleteAsAReadDoes)
{
    TgaFields f;
    f.width = f.height = 32;
    f.pixelDepth = 24;
    std::string pixels24;
    for (int i = 0; i < 32 * 32; ++i)
        pixels24 += Bytes({i & 0xFF, (i * 7) & 0xFF, i / 4});
    const std::vector<Rgb> palette = {{200, 0, 0}, {0, 150, 0}, {0, 0, 100}, {9, 9, 9}};
    TempDir dir;
    const std::string chains[] = {
        WriteChain(dir, "t_A.tga", {TgaHeaderBytes(f) + pixels24}),
        WriteChain(
            dir, "r_A.png",
            {RgbaPng(32, 32, [](unsigned x, unsigned y) { return 0xFF000000u | ((x * 0x10203u) ^ (y * 0x30507u)); }),
             RgbaPng(16, 16, Flat(0x80FF0000))}),
        WriteChain(dir, "p_A.png", {PalettePng(32, palette), PalettePng(16, palette)}),
    };
    std::vector<TextureReadOptions> options(6);
    options[1].filter = MipFilter::box;
    options[2].convertTo = DepthOptions{8};
    options[3].convertTo = DepthOptions{16, true};
    options[4].convertTo = DepthOptions{24};
    options[5].filter = MipFilter::box;
    options[5].convertTo = DepthOptions{8};
    for (const std::string& chain : chains) {
        ChainFiles files;
        RecordingReport filesReport;
        ASSERT_TRUE(ReadChainFiles(chain, files, filesReport));
        for (size_t i = 0; i < options.size(); ++i) {
            SCOPED_TRACE(chain + ", options " + std::to_string(i));
            const Read read(chain, options[i]);
            ASSERT_TRUE(read.ok);
            TextureRecord completed;
            RecordingReport report;
            ASSERT_TRUE(CompleteChain(files, completed, report, options[i], chain));
            ExpectSameTexture(read.r(), completed.record());
            EXPECT_EQ(report.texts(), read.report.texts());
        }
    }
}

// A chain read opens each file once and stamps it with the CRC-32 of all its
// bytes, those after the pixels included, whichever format reads it. Read as
// a TGA chain, only level 0 is taken as TGA whatever it holds.
TEST(TextureFileReader, AChainReadOpensEachFileOnceAndStampsItWithItsCrc)
{
    const std::string after = "TRUEVISION-XFILE.";  // read for the CRC alone
    const std::vector<uint16_t> pixels(32 * 32, 0x1234);
    const struct {
        const char* first;
        std::vector<std::string> files;
        int tgaChainLevels;
    } chains[] = {
        {"s_A.tga", {Tga555(32, 32, pixels) + after, Tga555(16, 16, pixels) + after}, 2},
        {"m_A.png", {RgbaPng(32, 32, Flat(0xFF102030)), Tga555(16, 16, pixels) + after}, 0},
        {"t_A.tga", {Tga555(32, 32, pixels) + after, RgbaPng(16, 16, Flat(0xFF102030))}, 2},
    };
    TempDir dir;
    for (const auto& chain : chains) {
        SCOPED_TRACE(chain.first);
        const std::string path = WriteChain(dir, chain.first, chain.files);
        ChainFiles files;
        RecordingReport report;
        const uint64_t opened = InputFile::FilesOpened();
        ASSERT_TRUE(ReadChainFiles(path, files, report));
        EXPECT_EQ(InputFile::FilesOpened() - opened, chain.files.size());
        ASSERT_EQ(files.stamps.size(), chain.files.size());
        for (size_t i = 0; i < chain.files.size(); ++i) {
            EXPECT_TRUE(files.stamps[i].hasCrc);
            EXPECT_EQ(files.stamps[i].crc, Crc32Of(chain.files[i].data(), chain.files[i].size())) << i;
        }
        TextureRecord asTga;
        EXPECT_EQ(ReadTgaChainFiles(path, asTga, report) ? asTga.record().levelCount : 0, chain.tgaChainLevels);
    }
}
