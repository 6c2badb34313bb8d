// Makes the seed corpora of the fuzz targets, under the folder given (the
// repository's fuzz/corpus): small valid inputs written by the project's own
// TGA writer and scene code, plus files laid out here with the TGA header code
// of kinds the writer does not make: run-length, grey, right-to-left, colour
// maps of 15/16-bit entries or with a first-entry index, and chains whose
// files each carry their own colour map. PNG seeds: chains written by the
// project's PNG writer, and single files of every colour type and bit depth
// (palette with tRNS, Adam7) laid out with libspng's encoder. Layouts: a PNG
// chain converted to, and TGA files relabelled with, each FuzzLayoutFor.
// Mixed chains: a PNG chain with a TGA file as a later level, and TGA chains
// with a PNG one. DDS seeds: a file of each pixel format the decoder reads,
// laid out with the tests' DDS bytes, some with their mip levels.
//   quorrel-fuzz-seeds fuzz/corpus
#include "fuzz/FuzzSupport.h"
#include "scene/CVK7QScene.h"
#include "support/DdsTestBytes.h"
#include "support/PngTestBytes.h"
#include "support/PrintingReport.h"
#include "support/TextureBuilder.h"
#include "texture/TextureRecord.h"
#include "texture/chain/PngTextureWriter.h"
#include "texture/chain/TgaTextureWriter.h"
#include "texture/tga/TgaFormat.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Save(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

Bytes Prefixed(uint8_t first, const Bytes& rest)
{
    Bytes out{first};
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

// A texture with `levels` levels of patterned pixels.
TextureRecord PatternedTexture(unsigned width, unsigned height, unsigned depth, int levels)
{
    char name[64];
    std::snprintf(name, sizeof name, "seed_%ux%u_%u.tga", width, height, depth);
    return TextureBuilder(width, height, depth)
        .levels(levels)
        .flags(levels > 1 ? kFlagMipmapLevels : 0)
        .standardMasks()
        .palette([](int i) {
            return Rgb{uint8_t(i * 7), uint8_t(255 - i), uint8_t(i)};
        })
        .bytes([](int level, uint64_t i) { return uint8_t(i * 31 + level); })
        .name(name)
        .build();
}

// One TGA file of a single level, written by the project's writer.
Bytes WrittenTga(const std::string& scratch, unsigned width, unsigned height, unsigned depth)
{
    const TextureRecord holder = PatternedTexture(width, height, depth, 1);
    PrintingReport report;
    const std::string path = scratch + "/one.tga";
    if (!TgaTextureWriter(path.c_str(), holder.record(), report))
        return {};
    Bytes bytes = ReadAll(path);
    unlink(path.c_str());
    return bytes;
}

// A 4 x 4 file laid out here, rows stored as the descriptor says. A
// colour-mapped one has a map of 32 15-bit entries from index 16, which some
// of its pixel values miss.
Bytes HandMadeTga(uint8_t imageType, uint8_t pixelDepth, uint8_t descriptor)
{
    TgaHeader header;
    header.imageType = imageType;
    header.width = 4;
    header.height = 4;
    header.pixelDepth = pixelDepth;
    header.descriptor = descriptor;
    if (IsColourMapped(imageType)) {
        header.colourMapType = kTgaColourMapPresent;
        header.colourMapFirst = 16;
        header.colourMapLength = 32;
        header.colourMapEntryBits = 15;
    }
    const unsigned bytesPerPixel = (pixelDepth + 7u) / 8u;
    Bytes out(kTgaHeaderSize);
    WriteTgaHeader(header, out.data());
    for (unsigned i = 0; i < header.colourMapLength * 2u; ++i)
        out.push_back(uint8_t(i * 41));
    if (!IsRunLengthEncoded(imageType)) {
        for (unsigned i = 0; i < 16 * bytesPerPixel; ++i)
            out.push_back(uint8_t(i * 13));
        return out;
    }
    // A run of five, then eleven single pixels: packets cross row ends.
    out.push_back(uint8_t(kTgaRunPacket | 4));
    for (unsigned b = 0; b < bytesPerPixel; ++b)
        out.push_back(uint8_t(0x40 + b));
    out.push_back(10);
    for (unsigned i = 0; i < 11 * bytesPerPixel; ++i)
        out.push_back(uint8_t(i * 29));
    return out;
}

// An 8-bit colour-mapped file with its own map: `length` entries of
// `entryBits` from index `first`, its pixels running through the map's values.
Bytes OwnMapTga(unsigned width, unsigned height, uint8_t entryBits, uint16_t first, uint16_t length, unsigned shift)
{
    TgaHeader header;
    header.colourMapType = kTgaColourMapPresent;
    header.imageType = kTgaColourMapped;
    header.colourMapFirst = first;
    header.colourMapLength = length;
    header.colourMapEntryBits = entryBits;
    header.width = uint16_t(width);
    header.height = uint16_t(height);
    header.pixelDepth = 8;
    Bytes out(kTgaHeaderSize);
    WriteTgaHeader(header, out.data());
    for (unsigned i = 0; i < length * ((entryBits + 7u) / 8u); ++i)
        out.push_back(uint8_t(i * 37 + shift));
    for (unsigned i = 0; i < width * height; ++i)
        out.push_back(uint8_t(first + (i + shift) % length));
    return out;
}

// The chain input: two 16-bit lengths, then the three files.
Bytes ChainBytes(const Bytes (&files)[3])
{
    Bytes out{uint8_t(files[0].size()), uint8_t(files[0].size() >> 8), uint8_t(files[1].size()),
              uint8_t(files[1].size() >> 8)};
    for (const Bytes& file : files)
        out.insert(out.end(), file.begin(), file.end());
    return out;
}

// The chain input with file `index` (0 to 2) put in place of its own.
Bytes WithFile(const Bytes& input, int index, const Bytes& file)
{
    const size_t first = size_t(input[0] | input[1] << 8), second = size_t(input[2] | input[3] << 8);
    Bytes files[3] = {Bytes(input.begin() + 4, input.begin() + 4 + first),
                      Bytes(input.begin() + 4 + first, input.begin() + 4 + first + second),
                      Bytes(input.begin() + 4 + first + second, input.end())};
    files[index] = file;
    return ChainBytes(files);
}

// The chain input made of the three files `write` makes of `holder` under
// scratch/wall_A<extension>; the files are removed again.
template <typename Writer>
Bytes WrittenChainInput(const std::string& scratch, const TextureRecord& holder, const char* extension, Writer write)
{
    PrintingReport report;
    const std::string base = scratch + "/wall_A";
    const std::string names[3] = {base + extension, base + "1" + extension, base + "2" + extension};
    if (!write(names[0].c_str(), holder.record(), report))
        return {};
    Bytes files[3];
    for (int i = 0; i < 3; ++i) {
        files[i] = ReadAll(names[i]);
        unlink(names[i].c_str());
    }
    return ChainBytes(files);
}

// The three files of a 64 x 16 texture written by the TGA writer.
Bytes ChainInput(const std::string& scratch, unsigned depth)
{
    return WrittenChainInput(scratch, PatternedTexture(64, 16, depth, 3), ".tga",
                             [](const char* path, const T3D_TEXTURE& record, TextureReport& report) {
                                 return TgaTextureWriter(path, record, report);
                             });
}

// The files of a 32 x 32 texture written by the PNG writer: levels 32 and 16
// as the first two files, 8 as the third.
Bytes PngChainInput(const std::string& scratch, unsigned depth)
{
    return WrittenChainInput(scratch, PatternedTexture(32, 32, depth, 3), ".png",
                             [](const char* path, const T3D_TEXTURE& record, TextureReport& report) {
                                 return PngTextureWriter(path, record, report);
                             });
}

// One PNG file of a single level, written by the project's writer.
Bytes WrittenPng(const std::string& scratch, unsigned width, unsigned height, unsigned depth)
{
    const TextureRecord holder = PatternedTexture(width, height, depth, 1);
    PrintingReport report;
    const std::string path = scratch + "/one.png";
    if (!PngTextureWriter(path.c_str(), holder.record(), report))
        return {};
    Bytes bytes = ReadAll(path);
    unlink(path.c_str());
    return bytes;
}

// A 9 x 7 PNG (odd sides: packed rows end mid-byte) of patterned samples.
Bytes PngFile(uint8_t colourType, uint8_t bitDepth, bool interlaced = false)
{
    PngPicture picture;
    picture.width = 9;
    picture.height = 7;
    picture.colourType = colourType;
    picture.bitDepth = bitDepth;
    picture.interlaced = interlaced;
    picture.rows.resize(PngRowBytes(picture) * picture.height);
    for (size_t i = 0; i < picture.rows.size(); ++i)
        picture.rows[i] = uint8_t(i * 37 + 11);
    if (colourType == 3) {
        for (unsigned i = 0; i < (1u << bitDepth); ++i)
            picture.palette.push_back({uint8_t(i * 5), uint8_t(255 - i), uint8_t(i * 3)});
    }
    return MakePng(picture);
}

Bytes WithTransparency(uint8_t colourType, uint8_t bitDepth)
{
    PngPicture picture;
    picture.width = picture.height = 4;
    picture.colourType = colourType;
    picture.bitDepth = bitDepth;
    picture.rows.assign(PngRowBytes(picture) * picture.height, 1);
    if (colourType == 3) {
        picture.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
        picture.paletteAlpha = {0, 128};
    } else {
        picture.colourKey = true;
        picture.keyGrey = picture.keyRed = picture.keyGreen = picture.keyBlue = 0x0101;
    }
    return MakePng(picture);
}

Bytes SceneBytes(const std::string& scratch, bool oldFormat)
{
    CVK7QScene scene;
    TextureRecord a = PatternedTexture(4, 4, 32, 3), b = PatternedTexture(8, 2, 8, 2);
    const std::string path = scratch + "/seed.T3D";
    if (!scene.AppendT3DTexture(&a.record()) || !scene.AppendT3DTexture(&b.record()) ||
        !(oldFormat ? scene.WriteOld(path.c_str()) : scene.Write(path.c_str())))
        return {};
    Bytes bytes = ReadAll(path);
    unlink(path.c_str());
    return bytes;
}

struct Seed {
    std::string file;
    Bytes bytes;
};

bool SaveAll(const std::string& folder, const std::vector<Seed>& seeds)
{
    mkdir(folder.c_str(), 0755);
    for (const Seed& seed : seeds) {
        if (seed.bytes.empty() || !Save(folder + "/" + seed.file, seed.bytes)) {
            std::fprintf(stderr, "cannot make %s/%s\n", folder.c_str(), seed.file.c_str());
            return false;
        }
    }
    return true;
}

std::vector<Seed> TgaSeeds(const std::string& scratch)
{
    return {
        {"palette8_16x16.tga", WrittenTga(scratch, 16, 16, 8)},
        {"rgb555_8x4.tga", WrittenTga(scratch, 8, 4, 16)},
        {"rgb24_4x4.tga", WrittenTga(scratch, 4, 4, 24)},
        {"rgba32_4x2.tga", WrittenTga(scratch, 4, 2, 32)},
        {"grey8_4x4_topdown.tga", HandMadeTga(kTgaGrey, 8, kTgaDescriptorTopDown)},
        {"rle24_4x4.tga", HandMadeTga(kTgaRunLengthTrueColour, 24, 0)},
        {"rle16_4x4.tga", HandMadeTga(kTgaRunLengthTrueColour, 16, kTgaDescriptorTopDown)},
        {"rle_grey8_4x4.tga", HandMadeTga(kTgaRunLengthGrey, 8, 0)},
        {"rgb24_4x4_right_to_left.tga", HandMadeTga(kTgaTrueColour, 24, kTgaDescriptorRightToLeft)},
        {"rle32_4x4_right_to_left_topdown.tga",
         HandMadeTga(kTgaRunLengthTrueColour, 32, kTgaDescriptorRightToLeft | kTgaDescriptorTopDown)},
        {"palette8_map15_first16_4x4.tga", HandMadeTga(kTgaColourMapped, 8, 0)},
        {"rle_palette8_map15_first16_4x4.tga", HandMadeTga(kTgaRunLengthColourMapped, 8, kTgaDescriptorTopDown)},
        {"palette8_map16_first200_8x4.tga", OwnMapTga(8, 4, 16, 200, 40, 0)},
    };
}

// Each PNG file alone as a chain's first file, and PNG writer chains; the
// option byte in front picks the filter and the depth (PngChainFuzz.cpp).
std::vector<Seed> PngSeeds(const std::string& scratch)
{
    struct Kind {
        const char* name;
        uint8_t colourType, bitDepth;
    };
    const Kind kinds[] = {{"grey1", 0, 1},    {"grey2", 0, 2},       {"grey4", 0, 4},         {"grey8", 0, 8},
                          {"grey16", 0, 16},  {"grey_alpha8", 4, 8}, {"grey_alpha16", 4, 16}, {"rgb8", 2, 8},
                          {"rgb16", 2, 16},   {"rgba8", 6, 8},       {"rgba16", 6, 16},       {"palette1", 3, 1},
                          {"palette2", 3, 2}, {"palette4", 3, 4},    {"palette8", 3, 8}};
    std::vector<Seed> seeds;
    uint8_t option = 0;
    for (const Kind& kind : kinds) {
        const Bytes file = PngFile(kind.colourType, kind.bitDepth);
        seeds.push_back({std::string(kind.name) + ".png", Prefixed(option++ & 0x0F, ChainBytes({file, {}, {}}))});
    }
    seeds.push_back({"rgba8_adam7.png", Prefixed(1, ChainBytes({PngFile(6, 8, true), {}, {}}))});
    seeds.push_back({"palette4_adam7.png", Prefixed(2, ChainBytes({PngFile(3, 4, true), {}, {}}))});
    seeds.push_back({"palette8_trns.png", Prefixed(2, ChainBytes({WithTransparency(3, 8), {}, {}}))});
    seeds.push_back({"grey16_trns.png", Prefixed(0, ChainBytes({WithTransparency(0, 16), {}, {}}))});
    seeds.push_back({"rgb8_trns.png", Prefixed(4, ChainBytes({WithTransparency(2, 8), {}, {}}))});
    seeds.push_back({"chain_palette8_to8", Prefixed(2, PngChainInput(scratch, 8))});
    seeds.push_back({"chain_rgba32_box", Prefixed(1, PngChainInput(scratch, 32))});
    seeds.push_back({"chain_rgb24_to16", Prefixed(4, PngChainInput(scratch, 24))});
    // The RGBA chain into every layout (option bits 4-6).
    const Bytes rgba = PngChainInput(scratch, 32);
    for (unsigned layout = 1; layout <= 7; ++layout)
        seeds.push_back({"chain_rgba32_layout" + std::to_string(layout), Prefixed(uint8_t(layout << 4), rgba)});
    // Level 1 a TGA file named wall_A1.png: read as TGA, expanded to RGBA.
    seeds.push_back({"mixed_tga_level1", Prefixed(0, WithFile(rgba, 1, WrittenTga(scratch, 16, 16, 16)))});
    seeds.push_back({"mixed_tga_level1_to8", Prefixed(2, WithFile(rgba, 1, WrittenTga(scratch, 16, 16, 8)))});
    return seeds;
}

}  // namespace

// An 8 x 8 DDS file with `levels` levels of patterned data: `bits` a pixel,
// or `blockBytes` a 4 x 4 block; a palette first when `palette` says so.
Bytes DdsSeed(const DdsFields& fields, unsigned bits, unsigned blockBytes, unsigned levels, bool palette = false)
{
    DdsFields f = fields;
    f.width = f.height = 8;
    if (levels > 1)
        f.withMips(levels);
    std::string data(palette ? 1024 : 0, char(0x5A));
    for (unsigned level = 0, side = 8; level < levels; ++level, side = std::max(side / 2, 1u)) {
        const unsigned blocks = (side + 3) / 4;
        const size_t bytes = blockBytes ? size_t(blocks) * blocks * blockBytes : size_t(side) * side * bits / 8;
        for (size_t i = 0; i < bytes; ++i)
            data += char(i * 37 + level * 11 + 5);
    }
    const std::string file = DdsFile(f, data);
    return Bytes(file.begin(), file.end());
}

std::vector<Seed> DdsSeeds()
{
    constexpr uint32_t rgb = 0x40, alpha = 0x1;
    auto masked = [](uint32_t flags, unsigned bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
        return DdsFields::Masked(0, 0, flags, bits, r, g, b, a);
    };
    auto fourCC = [](const char* code) { return DdsFields::FourCC(0, 0, code); };
    auto dxgi = [](uint32_t format) { return DdsFields::Dxgi(0, 0, format); };
    return {
        {"rgb565_8x8_mips4.dds", DdsSeed(masked(rgb, 16, 0xF800, 0x7E0, 0x1F, 0), 16, 0, 4)},
        {"argb1555_8x8.dds", DdsSeed(masked(rgb | alpha, 16, 0x7C00, 0x3E0, 0x1F, 0x8000), 16, 0, 1)},
        {"argb4444_8x8_mips2.dds", DdsSeed(masked(rgb | alpha, 16, 0xF00, 0xF0, 0xF, 0xF000), 16, 0, 2)},
        {"xrgb4444_8x8.dds", DdsSeed(masked(rgb, 16, 0xF00, 0xF0, 0xF, 0xF000), 16, 0, 1)},
        {"rgb888_8x8.dds", DdsSeed(masked(rgb, 24, 0xFF0000, 0xFF00, 0xFF, 0), 24, 0, 1)},
        {"bgr888_8x8.dds", DdsSeed(masked(rgb, 24, 0xFF, 0xFF00, 0xFF0000, 0), 24, 0, 1)},
        {"argb8888_8x8_mips4.dds", DdsSeed(masked(rgb | alpha, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000), 32, 0, 4)},
        {"xbgr8888_8x8.dds", DdsSeed(masked(rgb, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000), 32, 0, 1)},
        {"rgb332_8x8.dds", DdsSeed(masked(rgb, 8, 0xE0, 0x1C, 0x3, 0), 8, 0, 1)},
        {"a2rgb10_8x8.dds", DdsSeed(masked(rgb | alpha, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000), 32, 0, 1)},
        {"grey8_8x8_mips2.dds", DdsSeed(masked(0x20000, 8, 0xFF, 0, 0, 0), 8, 0, 2)},
        {"grey8_alpha8_8x8.dds", DdsSeed(masked(0x20000 | alpha, 16, 0xFF, 0, 0, 0xFF00), 16, 0, 1)},
        {"alpha8_8x8.dds", DdsSeed(masked(0x2, 8, 0, 0, 0, 0xFF), 8, 0, 1)},
        {"palette8_8x8_mips2.dds", DdsSeed(masked(0x20, 8, 0, 0, 0, 0), 8, 0, 2, true)},
        {"dxt1_8x8_mips4.dds", DdsSeed(fourCC("DXT1"), 0, 8, 4)},
        {"dxt3_8x8.dds", DdsSeed(fourCC("DXT3"), 0, 16, 1)},
        {"dxt5_8x8_mips2.dds", DdsSeed(fourCC("DXT5"), 0, 16, 2)},
        {"ati1_8x8.dds", DdsSeed(fourCC("ATI1"), 0, 8, 1)},
        {"ati2_8x8.dds", DdsSeed(fourCC("ATI2"), 0, 16, 1)},
        {"dx10_rgba8_8x8.dds", DdsSeed(dxgi(28), 32, 0, 1)},
        {"dx10_bgrx8_srgb_8x8.dds", DdsSeed(dxgi(93), 32, 0, 1)},
        {"dx10_b5g6r5_8x8.dds", DdsSeed(dxgi(85), 16, 0, 1)},
        {"dx10_b4g4r4a4_8x8.dds", DdsSeed(dxgi(115), 16, 0, 1)},
        {"dx10_r8_8x8.dds", DdsSeed(dxgi(61), 8, 0, 1)},
        {"dx10_a8_8x8.dds", DdsSeed(dxgi(65), 8, 0, 1)},
        {"dx10_bc4_8x8.dds", DdsSeed(dxgi(80), 0, 8, 1)},
        {"dx10_bc5_8x8.dds", DdsSeed(dxgi(83), 0, 16, 1)},
        {"dx10_bc7_8x8_mips4.dds", DdsSeed(dxgi(98), 0, 16, 4)},
        {"dx10_bc7_srgb_8x8.dds", DdsSeed(dxgi(99), 0, 16, 1)},
    };
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    mkdir(root.c_str(), 0755);
    char scratchPattern[] = "/tmp/quorrel-seeds-XXXXXX";
    if (!mkdtemp(scratchPattern))
        return 1;
    const std::string scratch = scratchPattern;

    const std::vector<Seed> tga = TgaSeeds(scratch);
    std::vector<Seed> write;
    for (const Seed& seed : tga)
        write.push_back({seed.file, Prefixed(0, seed.bytes)});
    write.push_back({"as565_rgb16_8x4.tga", Prefixed(1, WrittenTga(scratch, 8, 4, 16))});
    // Relabelled with each layout of the file's depth (option bits 1-3).
    for (unsigned layout = 1; layout <= 7; ++layout) {
        const unsigned depth = FuzzLayoutFor(layout)->depth;
        write.push_back({"layout" + std::to_string(layout) + "_rgb" + std::to_string(depth) + "_16x8.tga",
                         Prefixed(uint8_t(layout << 1), WrittenTga(scratch, 16, 8, depth))});
    }

    // Each DDS seed written as it is, and with the other option bits: an 8-bit
    // one as a palette DDS, one of several levels cut to two.
    const std::vector<Seed> dds = DdsSeeds();
    std::vector<Seed> ddsWrite;
    for (const Seed& seed : dds) {
        ddsWrite.push_back({seed.file, Prefixed(0, seed.bytes)});
        ddsWrite.push_back({"palette_levels2_" + seed.file, Prefixed(1 | 2 << 1, seed.bytes)});
    }

    const std::vector<Seed> chain = {
        {"wall_palette8_64x16", ChainInput(scratch, 8)},
        {"wall_rgb555_64x16", ChainInput(scratch, 16)},
        {"wall_palette8_own_maps_64x16",
         ChainBytes({OwnMapTga(64, 16, 24, 0, 16, 0), OwnMapTga(32, 8, 16, 0, 8, 3), OwnMapTga(16, 4, 32, 2, 4, 5)})},
        // Level 1 a PNG file named wall_A1.tga: read as PNG, in the chain's format.
        {"mixed_png_level1_rgb555", WithFile(ChainInput(scratch, 16), 1, WrittenPng(scratch, 32, 8, 32))},
        {"mixed_png_level1_palette8", WithFile(ChainInput(scratch, 8), 1, WrittenPng(scratch, 32, 8, 24))}};
    auto text = [](const char* s) { return Bytes(s, s + std::char_traits<char>::length(s)); };
    const std::vector<Seed> naming = {
        {"plain", text("textures/wall.tga")}, {"flags", text("C:\\maps\\rock_ADV.tga")},
        {"version", text("sky_FZ3.tga")},     {"last", text("door_E9.tga")},
        {"no_dot", text("folder.d/name_A")},  {"leading", text("_.tga")},
    };
    const std::vector<Seed> png = PngSeeds(scratch);
    const Bytes newScene = SceneBytes(scratch, false);
    const Bytes oldScene = SceneBytes(scratch, true);
    const std::vector<Seed> scene = {{"new_two_textures", Prefixed(0, newScene)},
                                     {"new_two_textures_repair", Prefixed(1, newScene)},
                                     {"old_two_textures", Prefixed(0, oldScene)}};
    rmdir(scratch.c_str());

    const bool ok = SaveAll(root + "/tga_read", tga) && SaveAll(root + "/tga_write", write) &&
                    SaveAll(root + "/tga_chain", chain) && SaveAll(root + "/mip_naming", naming) &&
                    SaveAll(root + "/scene_load", scene) && SaveAll(root + "/png_chain", png) &&
                    SaveAll(root + "/dds_read", dds) && SaveAll(root + "/dds_write", ddsWrite);
    return ok ? 0 : 1;
}
