#include "support/PngTestBytes.h"
#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "support/TextureBuilder.h"

#include "texture/TextureRecord.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/convert/PixelExpansion.h"
#include "texture/png/PngDecoder.h"
#include "texture/png/PngEncoder.h"

#include <gtest/gtest.h>

#include <stb_image.h>

#include <cstring>
#include <string>

namespace {

constexpr uint32_t kWidth = 13, kHeight = 7;  // odd, so packed rows end mid-byte

// Pseudo-random rows for the picture's layout; palette images get 2^depth entries.
PngPicture Picture(uint8_t colourType, uint8_t bitDepth, bool interlaced = false)
{
    PngPicture picture;
    picture.width = kWidth;
    picture.height = kHeight;
    picture.colourType = colourType;
    picture.bitDepth = bitDepth;
    picture.interlaced = interlaced;
    uint32_t state = 77u * colourType + bitDepth;
    picture.rows.resize(PngRowBytes(picture) * kHeight);
    for (uint8_t& b : picture.rows) {
        state = state * 1664525u + 1013904223u;
        b = uint8_t(state >> 24);
    }
    if (colourType == 3) {
        for (unsigned i = 0; i < (1u << bitDepth); ++i)
            picture.palette.push_back({uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 3)});
    }
    return picture;
}

// Decodes with our decoder; pixels as 0xAARRGGBB.
std::vector<uint32_t> Decode(const std::vector<uint8_t>& png, PngStatus expected = PngStatus::ok)
{
    PngDecoder decoder(png.data(), png.size());
    std::vector<uint32_t> pixels(size_t(decoder.width()) * decoder.height());
    EXPECT_EQ(decoder.decode(reinterpret_cast<uint8_t*>(pixels.data())), expected);
    return pixels;
}

// stb_image's RGBA as 0xAARRGGBB, the independent answer.
std::vector<uint32_t> StbDecode(const std::vector<uint8_t>& png)
{
    int w = 0, h = 0, n = 0;
    stbi_uc* rgba = stbi_load_from_memory(png.data(), int(png.size()), &w, &h, &n, 4);
    std::vector<uint32_t> pixels(size_t(w) * h);
    for (size_t i = 0; rgba && i < pixels.size(); ++i) {
        const stbi_uc* p = rgba + 4 * i;
        pixels[i] = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    stbi_image_free(rgba);
    return pixels;
}

}  // namespace

TEST(PngDecoder, EveryColourTypeAndDepthMatchesAnIndependentDecoder)
{
    std::vector<PngPicture> pictures;
    for (uint8_t depth : {1, 2, 4, 8, 16})
        pictures.push_back(Picture(0, depth));
    for (uint8_t depth : {1, 2, 4, 8})
        pictures.push_back(Picture(3, depth));
    for (uint8_t type : {2, 4, 6})
        for (uint8_t depth : {8, 16})
            pictures.push_back(Picture(type, depth));
    pictures.push_back(Picture(6, 8, true));
    pictures.push_back(Picture(3, 4, true));
    PngPicture greyKey = Picture(0, 8);
    greyKey.colourKey = true;
    greyKey.keyGrey = greyKey.rows[3];
    pictures.push_back(greyKey);
    PngPicture rgbKey = Picture(2, 8);
    rgbKey.colourKey = true;
    rgbKey.keyRed = rgbKey.rows[0], rgbKey.keyGreen = rgbKey.rows[1], rgbKey.keyBlue = rgbKey.rows[2];
    pictures.push_back(rgbKey);
    PngPicture paletteAlpha = Picture(3, 8);
    paletteAlpha.palette.resize(256);
    paletteAlpha.paletteAlpha = {0, 100, 200};
    pictures.push_back(paletteAlpha);

    for (const PngPicture& picture : pictures) {
        const std::vector<uint8_t> png = MakePng(picture);
        ASSERT_FALSE(png.empty()) << int(picture.colourType) << "/" << int(picture.bitDepth);
        ASSERT_TRUE(IsPngSignature(png.data(), png.size()));
        EXPECT_EQ(Decode(png), StbDecode(png)) << "type " << int(picture.colourType) << " depth "
                                               << int(picture.bitDepth) << " interlaced " << picture.interlaced;
    }
    // Keyed pixels did turn transparent, so tRNS was really applied.
    EXPECT_EQ(Decode(MakePng(greyKey))[3] >> 24, 0u);
    EXPECT_EQ(Decode(MakePng(paletteAlpha))[0] >> 24, paletteAlpha.rows[0] < 3 ? 100u * paletteAlpha.rows[0] : 255u);
}

TEST(PngDecoder, PaletteImagesGiveTheirPaletteAndIndices)
{
    for (uint8_t depth : {2, 8}) {
        const PngPicture picture = Picture(3, depth);
        const std::vector<uint8_t> png = MakePng(picture);
        PngDecoder decoder(png.data(), png.size());
        ASSERT_TRUE(decoder.hasPalette());
        EXPECT_EQ(decoder.palette().count, picture.palette.size());
        EXPECT_EQ(decoder.palette().colours[1], picture.palette[1]);
        std::vector<uint8_t> argb(kWidth * kHeight * 4), indices(kWidth * kHeight);
        ASSERT_EQ(decoder.decode(argb.data(), indices.data()), PngStatus::ok);
        for (uint32_t y = 0; y < kHeight; ++y) {
            for (uint32_t x = 0; x < kWidth; ++x) {
                const unsigned bit = x * depth;
                const unsigned raw =
                    picture.rows[y * PngRowBytes(picture) + bit / 8] >> (8 - depth - bit % 8) & ((1u << depth) - 1);
                ASSERT_EQ(indices[y * kWidth + x], raw) << int(depth) << " at " << x << "," << y;
            }
        }
    }
}

TEST(PngDecoder, SaysWhenIndicesPassThePaletteAndPassesOverAncillaryChunks)
{
    // A 2-bit image whose indices run to 3 over a palette of two entries: the
    // others are opaque black, and said to be there.
    PngPicture twoColours = Picture(3, 2);
    twoColours.palette.resize(2);
    for (const PngPicture& picture : {twoColours, Picture(3, 2)}) {
        const std::vector<uint8_t> png = MakePng(picture);
        PngDecoder decoder(png.data(), png.size());
        std::vector<uint32_t> argb(kWidth * kHeight);
        std::vector<uint8_t> indices(kWidth * kHeight);
        ASSERT_EQ(decoder.decode(reinterpret_cast<uint8_t*>(argb.data()), indices.data()), PngStatus::ok);
        EXPECT_EQ(decoder.indicesBeyondPalette(), picture.palette.size() == 2);
        for (size_t i = 0; i < argb.size(); ++i) {
            if (indices[i] >= picture.palette.size()) {
                ASSERT_EQ(argb[i], 0xFF000000u) << i;
            }
        }
    }
    TempDir dir;
    const std::vector<uint8_t> beyond = MakePng(twoColours);
    ASSERT_TRUE(WriteFileBytes(dir.file("a.png"), std::string(beyond.begin(), beyond.end())));
    TextureRecord holder;
    RecordingReport report;
    ASSERT_TRUE(ReadTextureChain(dir.file("a.png"), holder, report));
    EXPECT_EQ(report.messages, (std::vector<ReportedMessage>{
                                   {Severity::Warning, "PNG file " + dir.file("a.png") +
                                                           " has colour indices beyond its palette (shown black)"}}));

    // 1,500 text chunks and a few that would not decode change nothing;
    // more than kMaxAncillaryBytes of ancillary chunks is refused.
    const std::vector<uint8_t> plain = MakePng(Picture(6, 8));
    std::vector<uint8_t> withText = plain, tooMuch = plain;
    AddPngChunks(withText, "tEXt", {'k', 0, 'v'}, 1500);
    AddPngChunks(withText, "zTXt", {'k', 0, 0, 1, 2, 3}, 3);
    EXPECT_EQ(Decode(withText), Decode(plain));
    AddPngChunks(tooMuch, "eXIf", std::vector<uint8_t>(kMaxAncillaryBytes), 1);
    Decode(tooMuch, PngStatus::tooMuchAncillary);
}

TEST(PngDecoder, DamagedOrOversizedFilesAreRefused)
{
    const std::vector<uint8_t> good = MakePng(Picture(6, 8));
    struct Case {
        const char* what;
        std::vector<uint8_t> png;
        PngStatus status;
    };
    std::vector<Case> cases = {
        {"signature only", {good.begin(), good.begin() + 8}, PngStatus::damaged},
        {"cut in IHDR", {good.begin(), good.begin() + 20}, PngStatus::damaged},
        {"not a PNG", std::vector<uint8_t>(64, 'x'), PngStatus::damaged},
    };
    auto patched = [&](uint32_t w, uint32_t h) {
        std::vector<uint8_t> png = good;
        PatchPngSize(png, w, h);
        return png;
    };
    cases.push_back({"zero width", patched(0, 7), PngStatus::damaged});  // libspng refuses it itself
    cases.push_back({"side above 65535", patched(65536, 1), PngStatus::unsupportedSize});
    cases.push_back({"level above the cap", patched(65535, 65535), PngStatus::unsupportedSize});
    cases.push_back({"more pixels than deflate allows", patched(16000, 16000), PngStatus::claimsTooMuch});
    for (const Case& c : cases) {
        PngDecoder decoder(c.png.data(), c.png.size());
        EXPECT_EQ(decoder.status(), c.status) << c.what;
    }

    // Image data cut short or garbled: the header reads, the pixels do not.
    std::vector<std::vector<uint8_t>> damaged;
    for (size_t cut : {good.size() - 20, good.size() - 40, size_t(60)})
        damaged.emplace_back(good.begin(), good.begin() + long(cut));
    damaged.push_back(good);
    damaged.back()[29] ^= 1;  // IHDR's CRC
    damaged.push_back(good);
    damaged.back()[good.size() - 30] ^= 0x55;  // inside the deflate stream
    for (const std::vector<uint8_t>& png : damaged) {
        PngDecoder decoder(png.data(), png.size());
        std::vector<uint8_t> argb(kWidth * kHeight * 4);
        EXPECT_NE(decoder.decode(argb.data()), PngStatus::ok) << "case " << &png - damaged.data();
    }
    PngDecoder once(good.data(), good.size());
    std::vector<uint8_t> argb(kWidth * kHeight * 4);
    EXPECT_EQ(once.decode(argb.data()), PngStatus::ok);
    EXPECT_NE(once.decode(argb.data()), PngStatus::ok);
}

TEST(PngEncoder, EveryDepthReadsBackAsThePreviewShowsIt)
{
    for (int depth : {8, 16, 24, 32}) {
        TextureBuilder builder(10, 6, unsigned(depth));
        builder.levels(2)
            .standardMasks()
            .bytes([](int level, uint64_t i) { return uint8_t(i * 37 + level); })
            .palette([](int i) {
                return Rgb{uint8_t(i), uint8_t(i * 5), uint8_t(255 - i)};
            });
        if (depth == 16)
            builder.masks(kMask565Red, kMask565Green, kMask555Blue, 0);
        TextureRecord holder = builder.build();
        T3D_TEXTURE& r = holder.record();

        std::vector<uint8_t> png;
        const PngSink sink = [&](const void* bytes, size_t size) {
            png.insert(png.end(), static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + size);
            return true;
        };
        ASSERT_TRUE(EncodePngLevel(r, 1, sink)) << depth;
        const std::vector<uint32_t> expected = ExpandLevelToArgb(r, 1);
        EXPECT_EQ(Decode(png), expected) << depth;
        PngDecoder decoder(png.data(), png.size());
        EXPECT_EQ(decoder.hasPalette(), depth == 8);
        if (depth == 8) {
            std::vector<uint8_t> argb(5 * 3 * 4), indices(5 * 3);
            decoder.decode(argb.data(), indices.data());
            EXPECT_EQ(std::memcmp(indices.data(), r.levels[1], indices.size()), 0);
        }

        int calls = 0;
        const PngSink failing = [&](const void*, size_t) { return ++calls < 2; };
        std::string error;
        EXPECT_FALSE(EncodePngLevel(r, 0, failing, &error)) << depth;
        EXPECT_FALSE(error.empty());
    }
}
