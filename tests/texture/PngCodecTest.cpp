#include "support/PngTestBytes.h"
#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "support/TextureBuilder.h"

#include "texture/TextureRecord.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/convert/PixelExpansion.h"
#include "texture/png/PngDecoder.h"
#include "texture/png/PngEncoder.h"
#include "texture/png/PngFilters.h"

#include <gtest/gtest.h>

#include <spng.h>
#include <stb_image.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr uint32_t kWidth = 13, kHeight = 7;  // odd, so packed rows end mid-byte

// Pseudo-random rows for the picture's layout; palette images get 2^depth entries.
PngPicture Picture(uint8_t colourType, uint8_t bitDepth, bool interlaced = false, uint32_t width = kWidth)
{
    PngPicture picture;
    picture.width = width;
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

// libspng's own decode of the whole file to RGBA8, tRNS applied, as
// 0xAARRGGBB; its words when it refuses the file.
struct LibspngDecode {
    explicit LibspngDecode(const std::vector<uint8_t>& png)
    {
        spng_ctx* ctx = spng_ctx_new(0);
        spng_set_png_buffer(ctx, png.data(), png.size());
        size_t size = 0;
        int error = spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size);
        std::vector<uint8_t> rgba(size);
        if (!error)
            error = spng_decode_image(ctx, rgba.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS);
        spng_ctx_free(ctx);
        if (error)
            refusal = spng_strerror(error);
        for (size_t i = 0; !error && i < size; i += 4)
            pixels.push_back(uint32_t(rgba[i + 3]) << 24 | uint32_t(rgba[i]) << 16 | uint32_t(rgba[i + 1]) << 8 |
                             rgba[i + 2]);
    }

    std::vector<uint32_t> pixels;
    std::string refusal;
};

// A PNG the project keeps: a file of its own, or the first file of a fuzz
// seed, after the option byte and the two lengths that lead it
// (fuzz/PngChainFuzz.cpp).
std::vector<uint8_t> KeptPng(const std::filesystem::path& path)
{
    const std::string bytes = ReadFileBytes(path.string());
    if (IsPngSignature(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) || bytes.size() < 5)
        return {bytes.begin(), bytes.end()};
    const size_t first = std::min(size_t(uint8_t(bytes[1]) | uint8_t(bytes[2]) << 8), bytes.size() - 5);
    return {bytes.begin() + 5, bytes.begin() + 5 + long(first)};
}

// The data of the PNG's zlib stream (one IDAT chunk) when it is made only of
// stored blocks; empty when it holds any other block.
std::vector<uint8_t> StoredData(const std::vector<uint8_t>& png)
{
    const auto idat = std::search(png.begin(), png.end(), std::begin("IDAT"), std::end("IDAT") - 1);
    std::vector<uint8_t> data;
    for (auto at = idat + 6; png.end() - at >= 5;) {  // past the type and zlib's two bytes
        const size_t size = at[1] | at[2] << 8;
        if (((at[0] >> 1) & 3) != 0 || size_t(png.end() - at) < 5 + size)
            return {};
        data.insert(data.end(), at + 5, at + 5 + long(size));
        if (at[0] & 1)
            break;
        at += 5 + long(size);
    }
    return data;
}

uint8_t NoiseByte(uint64_t i)
{
    uint32_t x = uint32_t(i) * 2654435761u;
    x ^= x >> 15;
    x *= 2246822519u;
    return uint8_t((x ^ (x >> 13)) >> 24);
}

}  // namespace

TEST(PngDecoder, WholeDecodeGivesLibspngsPixels)
{
    struct File {
        std::string what;
        std::vector<uint8_t> png;
        bool whole;  // decoded whole, not by libspng
    };
    std::vector<File> files;
    const int filters[] = {SPNG_FILTER_CHOICE_NONE, SPNG_FILTER_CHOICE_SUB, SPNG_FILTER_CHOICE_UP,
                           SPNG_FILTER_CHOICE_AVG, SPNG_FILTER_CHOICE_PAETH};
    for (uint8_t type : {0, 3, 4, 2, 6}) {  // 1, 1, 2, 3 and 4 bytes a pixel
        for (int filter : filters) {
            for (uint32_t width : {1u, 5u, 22u}) {  // rows within, at and past 16-byte blocks, with tails
                PngPicture picture = Picture(type, 8, false, width);
                picture.filterChoice = filter;
                files.push_back({"type " + std::to_string(type) + " filter " + std::to_string(filter) + " width " +
                                     std::to_string(width),
                                 MakePng(picture), true});
            }
        }
    }
    PngPicture greyKey = Picture(0, 8), rgbKey = Picture(2, 8), paletteAlpha = Picture(3, 8);
    greyKey.colourKey = rgbKey.colourKey = true;
    greyKey.keyGrey = greyKey.rows[3];
    rgbKey.keyRed = rgbKey.rows[0], rgbKey.keyGreen = rgbKey.rows[1], rgbKey.keyBlue = rgbKey.rows[2];
    paletteAlpha.paletteAlpha = {0, 100, 200};
    std::vector<uint8_t> split = MakePng(Picture(6, 8, false, 22));
    SplitPngData(split, 7);
    files.push_back({"grey key", MakePng(greyKey), true});
    files.push_back({"RGB key", MakePng(rgbKey), true});
    files.push_back({"palette alpha", MakePng(paletteAlpha), true});
    files.push_back({"IDAT in 7-byte chunks", split, true});
    files.push_back({"16-bit", MakePng(Picture(6, 16)), false});
    files.push_back({"interlaced", MakePng(Picture(2, 8, true)), false});
    files.push_back({"2-bit palette", MakePng(Picture(3, 2)), false});

    for (const File& file : files) {
        PngDecoder decoder(file.png.data(), file.png.size());
        std::vector<uint32_t> argb(size_t(decoder.width()) * decoder.height());
        ASSERT_EQ(decoder.decode(reinterpret_cast<uint8_t*>(argb.data())), PngStatus::ok) << file.what;
        EXPECT_EQ(decoder.decodedWhole(), file.whole) << file.what;
        EXPECT_EQ(argb, LibspngDecode(file.png).pixels) << file.what;
    }
    // Every PNG the project keeps, whatever path takes it.
    const std::filesystem::path source = QUORREL_SOURCE_DIR;
    for (const char* folder : {"fuzz/corpus/png_chain", "packaging/icons/hicolor"}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(source / folder)) {
            if (entry.path().extension() != ".png")
                continue;
            const std::vector<uint8_t> png = KeptPng(entry.path());
            EXPECT_EQ(Decode(png), LibspngDecode(png).pixels) << entry.path();
        }
    }
}

TEST(PngDecoder, DamagedImageDataIsRefusedInLibspngsWords)
{
    const std::vector<uint8_t> good = MakePng(Picture(6, 8, false, 22));
    const size_t idat = FindPngChunk(good, "IDAT");
    const size_t length = size_t(good[idat + 2]) << 8 | good[idat + 3];
    auto changed = [&](auto change) {
        std::vector<uint8_t> png = good;
        change(png);
        return png;
    };
    PngPicture taller = Picture(6, 8, false, 22);
    taller.height += 1;
    taller.rows.resize(taller.rows.size() + PngRowBytes(taller), 9);
    struct Case {
        const char* what;
        std::vector<uint8_t> png;
    };
    const std::vector<Case> cases = {
        {"bad Adler-32", changed([&](std::vector<uint8_t>& png) {
             png[idat + 8 + length - 1] ^= 1;
             MendPngChunkCrc(png, idat);
         })},
        {"bad IDAT CRC", changed([&](std::vector<uint8_t>& png) { png[idat + 8 + length] ^= 1; })},
        {"bad IEND CRC", changed([&](std::vector<uint8_t>& png) { png.back() ^= 1; })},
        {"short IDAT", changed([&](std::vector<uint8_t>& png) {
             png.erase(png.begin() + long(idat + 8 + length - 12), png.begin() + long(idat + 8 + length));
             png[idat + 3] = uint8_t(length - 12);
             MendPngChunkCrc(png, idat);
         })},
        {"too much data", changed([&](std::vector<uint8_t>& png) {
             png = MakePng(taller);
             PatchPngSize(png, taller.width, taller.height - 1);
         })},
        {"cut in IDAT", {good.begin(), good.begin() + long(idat + 20)}},
        {"unknown critical chunk", changed([](std::vector<uint8_t>& png) { AddPngChunks(png, "QURL", {1}, 1); })},
    };
    for (const Case& c : cases) {
        PngDecoder decoder(c.png.data(), c.png.size());
        std::vector<uint32_t> argb(size_t(decoder.width()) * decoder.height());
        const PngStatus status = decoder.decode(reinterpret_cast<uint8_t*>(argb.data()));
        const LibspngDecode libspng(c.png);
        EXPECT_EQ(status, libspng.refusal.empty() ? PngStatus::ok : PngStatus::damaged) << c.what;
        EXPECT_EQ(decoder.detail(), libspng.refusal) << c.what;
        EXPECT_FALSE(decoder.decodedWhole()) << c.what;
        if (status == PngStatus::ok) {
            EXPECT_EQ(argb, libspng.pixels) << c.what;
        }
    }
}

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

TEST(PngFilters, EveryFilterIsUndoneAndTheSmallestSumIsChosen)
{
    const auto magnitudes = [](const std::vector<uint8_t>& bytes) {
        uint64_t sum = 0;
        for (uint8_t b : bytes)
            sum += b < 128 ? b : 256 - b;
        return sum;
    };
    uint32_t seed = 7;
    for (unsigned bpp : {1u, 2u, 3u, 4u, 8u}) {
        for (size_t pixels : {1u, 5u, 6u, 11u, 16u, 23u, 40u}) {  // rows inside, at and past 16-byte steps
            const size_t bytes = pixels * bpp;
            std::vector<uint8_t> above(bytes), row(bytes), out(bytes), scratch(bytes), chosen(bytes);
            for (size_t i = 0; i < bytes; ++i) {
                seed = seed * 1664525u + 1013904223u;
                above[i] = uint8_t(seed >> 24);
                // Smooth rows in part, so that every filter wins somewhere.
                row[i] = uint8_t(i % 3 ? above[i] + (seed >> 29) : seed >> 16);
            }
            const std::string what = std::to_string(bpp) + " bytes a pixel, " + std::to_string(pixels) + " pixels";
            uint64_t smallest = UINT64_MAX;
            for (unsigned f = 0; f < kPngFilterCount; ++f) {
                FilterRow(PngFilter(f), row.data(), above.data(), out.data(), bytes, bpp);
                smallest = std::min(smallest, magnitudes(out));
                ASSERT_TRUE(UnfilterRow(uint8_t(f), out.data(), above.data(), bytes, bpp));
                EXPECT_EQ(out, row) << what << ", filter " << f;
            }
            const PngFilter best =
                FilterRowByMinimumSum(row.data(), above.data(), chosen.data(), scratch.data(), bytes, bpp);
            EXPECT_EQ(smallest, magnitudes(chosen)) << what;
            ASSERT_TRUE(UnfilterRow(uint8_t(best), chosen.data(), above.data(), bytes, bpp));
            EXPECT_EQ(chosen, row) << what;
        }
    }
}

TEST(PngEncoder, EveryDepthAndLevelReadsBackAsThePreviewShowsIt)
{
    for (int depth : {8, 16, 24, 32}) {
        TextureBuilder builder(38, 6, unsigned(depth));
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

        for (PngLayout layout : {PngLayout::ofDepth, PngLayout::rgba}) {
            for (int level : {kMinPngLevel, kDefaultPngLevel, kMaxPngLevel}) {
                std::vector<uint8_t> png;
                const PngSink sink = [&](const void* bytes, size_t size) {
                    png.insert(png.end(), static_cast<const uint8_t*>(bytes),
                               static_cast<const uint8_t*>(bytes) + size);
                    return true;
                };
                ASSERT_TRUE(EncodePngLevel(r, 1, sink, nullptr, {layout, level})) << depth << " " << level;
                const std::vector<uint32_t> expected = ExpandLevelToArgb(r, 1);
                EXPECT_EQ(LibspngDecode(png).pixels, expected) << depth << " " << level;
                PngDecoder decoder(png.data(), png.size());
                std::vector<uint32_t> argb(19 * 3);
                std::vector<uint8_t> indices(19 * 3);
                EXPECT_EQ(decoder.decode(reinterpret_cast<uint8_t*>(argb.data()), indices.data()), PngStatus::ok);
                EXPECT_EQ(argb, expected) << depth << " " << level;
                EXPECT_TRUE(decoder.decodedWhole()) << depth << " " << level;  // every chunk checks
                const bool indexed = depth == 8 && layout == PngLayout::ofDepth;
                EXPECT_EQ(decoder.hasPalette(), indexed);
                if (indexed) {
                    EXPECT_EQ(std::memcmp(indices.data(), r.levels[1], indices.size()), 0);
                }
            }
        }

        int calls = 0;
        const PngSink failing = [&](const void*, size_t) { return ++calls < 2; };
        std::string error;
        EXPECT_FALSE(EncodePngLevel(r, 0, failing, &error)) << depth;
        EXPECT_FALSE(error.empty());
    }
}

TEST(PngEncoder, PicturesThatBarelyCompressAreStoredAtTheDefaultLevel)
{
    struct Case {
        const char* what;
        unsigned depth;
        int level;  // the default's level for the kind
        bool noise;
    };
    const Case cases[] = {{"noise RGB", 24, kDefaultOpaquePngLevel, true},
                          {"noise RGBA", 32, kDefaultAlphaPngLevel, true},
                          {"gradient RGB", 24, kDefaultOpaquePngLevel, false},
                          {"gradient RGBA", 32, kDefaultAlphaPngLevel, false}};
    for (const Case& c : cases) {
        const unsigned bytesPerPixel = c.depth / 8;
        TextureRecord holder =
            TextureBuilder(256, 256, c.depth)
                .standardMasks()
                .bytes([&](int, uint64_t i) {
                    const uint64_t pixel = i / bytesPerPixel;
                    return c.noise ? NoiseByte(i) : uint8_t(pixel % 256 + pixel / 256 * (i % bytesPerPixel));
                })
                .build();
        std::vector<uint8_t> png, atLevel;
        auto into = [](std::vector<uint8_t>& file) {
            return [&file](const void* bytes, size_t size) {
                file.insert(file.end(), static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + size);
                return true;
            };
        };
        ASSERT_TRUE(EncodePngLevel(holder.record(), 0, into(png))) << c.what;
        ASSERT_TRUE(EncodePngLevel(holder.record(), 0, into(atLevel), nullptr, {PngLayout::ofDepth, c.level}));
        EXPECT_EQ(Decode(png), ExpandLevelToArgb(holder.record(), 0)) << c.what;
        if (c.noise) {
            const std::vector<uint8_t> data = StoredData(png);
            ASSERT_EQ(data.size(), 256 * (256 * (c.depth / 8) + 1)) << c.what;
            for (size_t row = 0; row < data.size(); row += data.size() / 256)
                EXPECT_EQ(data[row], 0) << c.what << " row " << row;  // no filter: stored blocks need none
            EXPECT_LE(png.size(), atLevel.size() + atLevel.size() / 256) << c.what;
        } else {
            EXPECT_EQ(png, atLevel) << c.what;
        }
    }
}
