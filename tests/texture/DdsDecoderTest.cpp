// The DDS decoder over bytes the tests lay out: every pixel format it reads
// and refuses as one table, block-compressed levels against libsquish's own
// decode (files ImageMagick wrote, BC2 blocks squish made, BC4 and BC5 blocks
// made by hand), and a DDS file as a whole chain.
#include "texture/dds/DdsDecoder.h"
#include "support/DdsTestBytes.h"
#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "support/TgaTestBytes.h"
#include "texture/chain/StaleLevels.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/convert/MipGeneration.h"
#include "texture/convert/PixelExpansion.h"
#include "texture/io/LittleEndian.h"

#include <gtest/gtest.h>
#include <squish.h>

#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr uint32_t kRgb = 0x40, kAlphaPixels = 0x1, kAlphaOnly = 0x2, kLuminance = 0x20000, kPalette8 = 0x20;

std::string Times(const std::string& pixel, size_t n)
{
    std::string out;
    for (size_t i = 0; i < n; ++i)
        out += pixel;
    return out;
}

DdsFields With(DdsFields f, uint32_t DdsFields::*field, uint32_t value)
{
    f.*field = value;
    return f;
}

// A 256-entry palette (red, green, blue, alpha) whose entry 5 is the colour.
std::string PaletteWithEntry5(int red, int green, int blue)
{
    return Repeat(0, 5 * 4) + Bytes({red, green, blue, 0}) + Repeat(0, 250 * 4);
}

// One row: a 4 x 4 file of one stored pixel repeated (or the bytes given),
// and either the cause that refuses it or what every pixel becomes.
struct FormatRow {
    const char* what;
    DdsFields fields;
    std::string pixel;  // one stored pixel, or one block
    bool block = false;
    std::optional<TextureCause> refused;
    unsigned depth = 0;
    uint32_t argb = 0;
    bool kept = false;   // the level is the stored bytes as they are
    std::string before;  // bytes between the headers and the pixels (a palette)
};

std::string FileOf(const FormatRow& row)
{
    return DdsFile(row.fields, row.before + Times(row.pixel, row.block ? 1 : 16));
}

FormatRow Reads(const char* what, DdsFields fields, std::string pixel, unsigned depth, uint32_t argb, bool kept)
{
    return {what, fields, std::move(pixel), false, std::nullopt, depth, argb, kept, {}};
}

FormatRow ReadsBlock(const char* what, DdsFields fields, std::string block, uint32_t argb)
{
    return {what, fields, std::move(block), true, std::nullopt, 32, argb, false, {}};
}

FormatRow Refuses(const char* what, DdsFields fields, TextureCause cause)
{
    return {what, fields, Repeat(0, 4), false, cause, 0, 0, false, {}};
}

DdsFields Rgb(unsigned bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a = 0, uint32_t flags = kRgb)
{
    return DdsFields::Masked(4, 4, flags, bits, r, g, b, a);
}

DdsFields Dx10(uint32_t format)
{
    return DdsFields::Dxgi(4, 4, format);
}

DdsFields Fourcc(const char* code)
{
    return DdsFields::FourCC(4, 4, code);
}

// A BC1 block of one colour (565), all indices 0; BC3's adds an alpha block
// of one value, BC2's explicit 4-bit alphas.
std::string Bc1Block(uint16_t colour)
{
    return U16(colour) + U16(0) + U32(0);
}

std::string WhiteBc7Mode6Block()
{
    // Mode 6, every endpoint bit and both p-bits set: every pixel white.
    return Bytes({0xC0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}) + Repeat(0, 7);
}

std::vector<FormatRow> FormatTable()
{
    const std::string argbBytes = Bytes({0x30, 0x20, 0x10, 0x80}), abgrBytes = Bytes({0x10, 0x20, 0x30, 0x80});
    const std::string xrgbBytes = Bytes({0x30, 0x20, 0x10, 0x99});
    const DdsFields bc1 = Fourcc("DXT1");
    FormatRow palette = Reads("palette", Rgb(8, 0, 0, 0, 0, kPalette8), Bytes({5}), 8, 0xFF102030, true);
    palette.before = PaletteWithEntry5(0x10, 0x20, 0x30);
    return {
        Reads("5-6-5", Rgb(16, 0xF800, 0x7E0, 0x1F), U16(0xF81F), 16, 0xFFFF00FF, true),
        Reads("1-5-5-5", Rgb(16, 0x7C00, 0x3E0, 0x1F, 0x8000, kRgb | kAlphaPixels), U16(0x801F), 16, 0xFF0000FF, true),
        Reads("4-4-4-4", Rgb(16, 0xF00, 0xF0, 0xF, 0xF000, kRgb | kAlphaPixels), U16(0x8F0F), 16, 0x88FF00FF, true),
        Reads("X1-5-5-5", Rgb(16, 0x7C00, 0x3E0, 0x1F, 0x8000), U16(0xFC00), 16, 0xFFFF0000, true),
        Reads("X4-4-4-4", Rgb(16, 0xF00, 0xF0, 0xF, 0xF000), U16(0xF0F0), 16, 0xFF00FF00, true),
        Reads("8-8-8", Rgb(24, 0xFF0000, 0xFF00, 0xFF), Bytes({0x30, 0x20, 0x10}), 24, 0xFF102030, true),
        Reads("8-8-8 red first", Rgb(24, 0xFF, 0xFF00, 0xFF0000), Bytes({0x10, 0x20, 0x30}), 24, 0xFF102030, true),
        Reads("8-8-8-8", Rgb(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, kRgb | kAlphaPixels), argbBytes, 32, 0x80102030,
              true),
        Reads("8-8-8-8 red first", Rgb(32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, kRgb | kAlphaPixels), abgrBytes, 32,
              0x80102030, true),
        Reads("X8-8-8-8", Rgb(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000), xrgbBytes, 32, 0xFF102030, true),
        Reads("3-3-2", Rgb(8, 0xE0, 0x1C, 0x3), Bytes({0xE3}), 32, 0xFFFF00FF, false),
        Reads("grey", Rgb(8, 0xFF, 0, 0, 0, kLuminance), Bytes({0x40}), 8, 0xFF404040, true),
        Reads("grey and alpha", Rgb(16, 0xFF, 0, 0, 0xFF00, kLuminance | kAlphaPixels), Bytes({0x40, 0x80}), 32,
              0x80404040, false),
        Reads("alpha", Rgb(8, 0, 0, 0, 0xFF, kAlphaOnly), Bytes({0x80}), 32, 0x80000000, false),
        palette,
        Reads("R8G8B8A8", Dx10(28), abgrBytes, 32, 0x80102030, true),
        Reads("R8G8B8A8_SRGB", Dx10(29), abgrBytes, 32, 0x80102030, true),
        Reads("B8G8R8A8", Dx10(87), argbBytes, 32, 0x80102030, true),
        Reads("B8G8R8A8_SRGB", Dx10(91), argbBytes, 32, 0x80102030, true),
        Reads("B8G8R8X8", Dx10(88), xrgbBytes, 32, 0xFF102030, true),
        Reads("B8G8R8X8_SRGB", Dx10(93), xrgbBytes, 32, 0xFF102030, true),
        Reads("B5G6R5", Dx10(85), U16(0xF81F), 16, 0xFFFF00FF, true),
        Reads("B5G5R5A1", Dx10(86), U16(0x801F), 16, 0xFF0000FF, true),
        Reads("B4G4R4A4", Dx10(115), U16(0x8F0F), 16, 0x88FF00FF, true),
        Reads("R8", Dx10(61), Bytes({0x40}), 8, 0xFF404040, true),
        Reads("A8", Dx10(65), Bytes({0x80}), 32, 0x80000000, false),
        ReadsBlock("DXT1", bc1, Bc1Block(0xF800), 0xFFFF0000),
        ReadsBlock("DXT3", Fourcc("DXT3"), Repeat(0x88, 8) + Bc1Block(0x07E0), 0x8800FF00),
        ReadsBlock("DXT5", Fourcc("DXT5"), Bytes({0x80, 0x80}) + Repeat(0, 6) + Bc1Block(0x001F), 0x800000FF),
        ReadsBlock("BC1_SRGB", Dx10(72), Bc1Block(0xF800), 0xFFFF0000),
        ReadsBlock("BC2", Dx10(74), Repeat(0x88, 8) + Bc1Block(0x07E0), 0x8800FF00),
        ReadsBlock("BC3_SRGB", Dx10(78), Bytes({0x80, 0x80}) + Repeat(0, 6) + Bc1Block(0x001F), 0x800000FF),
        ReadsBlock("BC7", Dx10(98), WhiteBc7Mode6Block(), 0xFFFFFFFF),
        ReadsBlock("BC7_SRGB", Dx10(99), WhiteBc7Mode6Block(), 0xFFFFFFFF),

        Refuses("DXT2", Fourcc("DXT2"), TextureCause::DdsPremultiplied),
        Refuses("DXT4", Fourcc("DXT4"), TextureCause::DdsPremultiplied),
        Refuses("premultiplied mode", With(Dx10(28), &DdsFields::miscFlags2, 2), TextureCause::DdsPremultiplied),
        Refuses("BC4S", Fourcc("BC4S"), TextureCause::DdsSigned),
        Refuses("BC5_SNORM", Dx10(84), TextureCause::DdsSigned),
        Refuses("R8G8B8A8_SNORM", Dx10(31), TextureCause::DdsSigned),
        Refuses("bump map", Rgb(16, 0xFF, 0xFF00, 0, 0, 0x80000), TextureCause::DdsSigned),
        Refuses("BC6H", Dx10(95), TextureCause::DdsHighDynamicRange),
        Refuses("cube map", With(bc1, &DdsFields::caps2, 0xFE00), TextureCause::DdsCubeMap),
        Refuses("cube in the extended header", With(Dx10(28), &DdsFields::miscFlag, 4), TextureCause::DdsCubeMap),
        Refuses("volume", With(bc1, &DdsFields::caps2, 0x200000), TextureCause::DdsVolume),
        Refuses("volume in the extended header", With(Dx10(28), &DdsFields::dimension, 4), TextureCause::DdsVolume),
        Refuses("array", With(Dx10(28), &DdsFields::arraySize, 2), TextureCause::DdsArray),
        Refuses("unknown FourCC", Fourcc("YUY2"), TextureCause::DdsPixelFormat),
        Refuses("float format", Dx10(2), TextureCause::DdsPixelFormat),
        Refuses("YUV", Rgb(16, 0xFF, 0xFF00, 0, 0, 0x200), TextureCause::DdsPixelFormat),
        Refuses("12 bits", Rgb(12, 0xF00, 0xF0, 0xF), TextureCause::DdsPixelFormat),
        Refuses("palette of 16 bits", Rgb(16, 0, 0, 0, 0, kPalette8), TextureCause::DdsPixelFormat),
        Refuses("mask past the pixel", Rgb(16, 0xFF0000, 0xFF00, 0xFF), TextureCause::DdsPixelFormat),
        Refuses("mask of two runs", Rgb(16, 0xF00F, 0xF0, 0xF00), TextureCause::DdsPixelFormat),
        Refuses("header size", With(bc1, &DdsFields::headerSize, 0), TextureCause::Damaged),
        Refuses("pixel format size", With(bc1, &DdsFields::pixelFormatSize, 0), TextureCause::Damaged),
        Refuses("array of none", With(Dx10(28), &DdsFields::arraySize, 0), TextureCause::Damaged),
        Refuses("buffer", With(Dx10(28), &DdsFields::dimension, 1), TextureCause::Damaged),
        Refuses("more levels than the size", DdsFields(bc1).withMips(4), TextureCause::Damaged),
        Refuses("no width", With(bc1, &DdsFields::width, 0), TextureCause::UnsupportedSize),
        Refuses("too wide", With(bc1, &DdsFields::width, 70000), TextureCause::UnsupportedSize),
        Refuses("more levels than stored", DdsFields(Rgb(32, 0xFF0000, 0xFF00, 0xFF)).withMips(2),
                TextureCause::Truncated),
    };
}

std::vector<uint32_t> AllPixels(const T3D_TEXTURE& record)
{
    return ExpandLevelToArgb(record, 0);
}

}  // namespace

TEST(DdsDecoder, ReadsAndRefusesEachPixelFormat)
{
    for (const FormatRow& row : FormatTable()) {
        const std::string file = FileOf(row);
        TextureRecord holder;
        const std::optional<DdsRefusal> refusal =
            DecodeDds(reinterpret_cast<const uint8_t*>(file.data()), file.size(), holder);
        if (row.refused) {
            ASSERT_TRUE(refusal) << row.what;
            EXPECT_EQ(refusal->cause, *row.refused) << row.what;
            EXPECT_EQ(holder.record().levels[0], nullptr) << row.what;
            continue;
        }
        ASSERT_FALSE(refusal) << row.what << ": cause " << int(refusal->cause);
        const T3D_TEXTURE& record = holder.record();
        EXPECT_EQ(record.depth, row.depth) << row.what;
        EXPECT_EQ(AllPixels(record), std::vector<uint32_t>(16, row.argb)) << row.what;
        if (row.kept) {
            EXPECT_EQ(0, std::memcmp(record.levels[0], Times(row.pixel, 16).data(), 16 * row.pixel.size())) << row.what;
        }
    }
}

TEST(DdsDecoder, RefusesFilesCutShort)
{
    const std::string whole = FileOf(Reads("dx10", Dx10(28), Repeat(1, 4), 32, 0, true));
    for (const size_t size : {size_t(0), size_t(3), size_t(100), size_t(130), whole.size() - 1}) {
        TextureRecord holder;
        const std::optional<DdsRefusal> refusal =
            DecodeDds(reinterpret_cast<const uint8_t*>(whole.data()), size, holder);
        ASSERT_TRUE(refusal) << size;
        EXPECT_EQ(refusal->cause, size < 4 ? TextureCause::Damaged : TextureCause::Truncated) << size;
    }
}

namespace {

// A picture's level as squish decodes it (8-bit RGBA rows), as 0xAARRGGBB.
std::vector<uint32_t> SquishLevel(const uint8_t* blocks, unsigned width, unsigned height, int flags)
{
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    squish::DecompressImage(rgba.data(), int(width), int(height), blocks, flags);
    std::vector<uint32_t> argb(size_t(width) * height);
    for (size_t i = 0; i < argb.size(); ++i)
        argb[i] = uint32_t(rgba[4 * i + 3]) << 24 | uint32_t(rgba[4 * i]) << 16 | uint32_t(rgba[4 * i + 1]) << 8 |
                  rgba[4 * i + 2];
    return argb;
}

unsigned BlocksOf(unsigned side)
{
    return (side + 3) / 4;
}

// A 14 x 10 picture's BC2 blocks, as squish makes them.
std::string SquishBc2File()
{
    constexpr unsigned width = 14, height = 10;
    std::vector<uint8_t> rgba(width * height * 4);
    for (size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = uint8_t(i * 37 % 251);
    std::string blocks(size_t(squish::GetStorageRequirements(width, height, squish::kDxt3)), '\0');
    squish::CompressImage(rgba.data(), width, height, blocks.data(), squish::kDxt3);
    return DdsFile(DdsFields::FourCC(width, height, "DXT3"), blocks);
}

// Every level the file holds that the texture takes, against squish's
// decode of the same blocks.
void ExpectSquishLevels(const std::string& file, int flags, unsigned blockBytes, const std::string& what)
{
    TextureRecord holder;
    ASSERT_FALSE(DecodeDds(reinterpret_cast<const uint8_t*>(file.data()), file.size(), holder)) << what;
    const T3D_TEXTURE& record = holder.record();
    const int stored = std::max<int>(GetU32(reinterpret_cast<const uint8_t*>(file.data()) + 28), 1);
    EXPECT_EQ(record.levelCount, std::min(stored, std::max(GeneratedLevelCount(record.width, record.height), 1)))
        << what;
    size_t offset = DdsHeaderBytes(DdsFields()).size();
    for (int level = 0; level < record.levelCount; ++level) {
        const unsigned width = LevelWidth(record, level), height = LevelHeight(record, level);
        const auto* blocks = reinterpret_cast<const uint8_t*>(file.data() + offset);
        EXPECT_EQ(ExpandLevelToArgb(record, level), SquishLevel(blocks, width, height, flags))
            << what << " level " << level;
        offset += size_t(BlocksOf(width)) * BlocksOf(height) * blockBytes;
    }
}

// BC4 and BC5 blocks made by hand: two endpoints, each pixel's index 0 or 1
// (the endpoints themselves), so that the values are the endpoints.
struct ChannelBlock {
    uint8_t first, second;
    bool (*takesSecond)(int pixel);

    std::string bytes() const
    {
        uint64_t indices = 0;
        for (int i = 0; i < 16; ++i)
            indices |= uint64_t(takesSecond(i) ? 1 : 0) << (3 * i);
        std::string out = Bytes({first, second});
        for (int b = 0; b < 6; ++b)
            out += char(indices >> (8 * b) & 0xFF);
        return out;
    }
    uint8_t value(int pixel) const { return takesSecond(pixel) ? second : first; }
};

}  // namespace

TEST(DdsDecoder, BlocksDecodeAsReferencesDo)
{
    const std::string data = std::string(QUORREL_SOURCE_DIR) + "/tests/texture/data/";
    ExpectSquishLevels(ReadFileBytes(data + "dxt1_16x8.dds"), squish::kDxt1, 8, "ImageMagick's DXT1 with mips");
    ExpectSquishLevels(ReadFileBytes(data + "dxt5_14x10.dds"), squish::kDxt5, 16, "ImageMagick's DXT5");
    ExpectSquishLevels(SquishBc2File(), squish::kDxt3, 16, "squish's DXT3");

    const ChannelBlock red{200, 100, [](int i) { return i % 2 == 1; }};
    const ChannelBlock green{50, 250, [](int i) { return i / 4 % 2 == 1; }};
    struct Row {
        const char* what;
        DdsFields fields;
        bool twoChannels;
    };
    const Row rows[] = {
        {"ATI1", DdsFields::FourCC(4, 4, "ATI1"), false}, {"BC4U", DdsFields::FourCC(4, 4, "BC4U"), false},
        {"BC4_UNORM", DdsFields::Dxgi(4, 4, 80), false},  {"ATI2", DdsFields::FourCC(4, 4, "ATI2"), true},
        {"BC5U", DdsFields::FourCC(4, 4, "BC5U"), true},  {"BC5_UNORM", DdsFields::Dxgi(4, 4, 83), true},
    };
    for (const Row& row : rows) {
        const std::string file = DdsFile(row.fields, red.bytes() + (row.twoChannels ? green.bytes() : ""));
        TextureRecord holder;
        ASSERT_FALSE(DecodeDds(reinterpret_cast<const uint8_t*>(file.data()), file.size(), holder)) << row.what;
        std::vector<uint32_t> expected;
        for (int i = 0; i < 16; ++i) {
            const uint32_t r = red.value(i), g = row.twoChannels ? green.value(i) : r, b = row.twoChannels ? 0 : r;
            expected.push_back(0xFF000000 | r << 16 | g << 8 | b);
        }
        EXPECT_EQ(ExpandLevelToArgb(holder.record(), 0), expected) << row.what;
    }
}

// A 16 x 16 5-6-5 file of five levels, each of one value: the texture takes
// the levels its size gives (three) from the file, or as many as asked for
// and makes the rest, and never looks for level files beside it.
TEST(DdsDecoder, OneFileIsTheWholeChain)
{
    TempDir dir;
    const std::string first = dir.file("crate_A.dds");
    std::string levels;
    for (unsigned level = 0, side = 16; level < 5; ++level, side /= 2)
        levels += Times(U16(0x1000 + level), size_t(side) * side);
    ASSERT_TRUE(WriteFileBytes(
        first, DdsFile(DdsFields::Masked(16, 16, kRgb, 16, 0xF800, 0x7E0, 0x1F, 0).withMips(5), levels)));
    ASSERT_TRUE(WriteFileBytes(dir.file("crate_A1.dds"), "not a level"));
    EXPECT_TRUE(IsOneFileChain(first));
    EXPECT_TRUE(IsTextureFileName(dir.file("b.DDS")));
    EXPECT_EQ(LevelFileTimes(first).size(), 1u);

    for (const int fileLevels : {kMaxTextureLevels, 2}) {
        TextureReadOptions options;
        options.fileLevels = fileLevels;
        TextureRecord holder;
        RecordingReport report;
        ASSERT_TRUE(ReadTextureChain(first, holder, report, options));
        EXPECT_TRUE(report.problems.empty()) << report.texts().front();
        const T3D_TEXTURE& record = holder.record();
        ASSERT_EQ(record.levelCount, GeneratedLevelCount(16, 16));
        EXPECT_EQ(record.depth, 16);
        EXPECT_EQ(record.greenMask, kMask565Green);
        EXPECT_TRUE(record.flags & kFlagMipmapLevels);
        for (int level = 0; level < record.levelCount; ++level) {
            const uint16_t value = uint16_t(0x1000 + std::min(level, fileLevels - 1));
            uint16_t first16 = 0, last16 = 0;
            std::memcpy(&first16, record.levels[level], 2);
            std::memcpy(&last16, record.levels[level] + LevelByteCount(record, level) - 2, 2);
            EXPECT_EQ(first16, value) << fileLevels << " level " << level;
            EXPECT_EQ(last16, value) << fileLevels << " level " << level;
        }
    }
}
