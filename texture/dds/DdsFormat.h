// The numbers of the DDS file format that the reader and writer share: the
// magic, the 124-byte header and its 32-byte pixel format, the 20-byte
// extended header that follows when the FourCC says "DX10", their flags, the
// FourCCs and the DXGI format numbers the reader knows. Every field is a
// little-endian 32-bit value.
#pragma once

#include "texture/io/ByteCursor.h"

#include <cstddef>
#include <cstdint>

// "DDS " as the file's first four bytes.
constexpr uint32_t kDdsMagic = 0x20534444;
constexpr size_t kDdsMagicSize = 4;
constexpr size_t kDdsHeaderSize = 124;
constexpr size_t kDdsPixelFormatSize = 32;
constexpr size_t kDdsHeaderDx10Size = 20;
constexpr size_t kDdsReservedWords = 11;  // between the mip count and the pixel format
// A palette file's 256 entries of red, green, blue and alpha follow the header.
constexpr size_t kDdsPaletteEntries = 256;
constexpr size_t kDdsPaletteSize = kDdsPaletteEntries * 4;

// Offsets in the 124-byte header, counted from its first byte (the file's
// byte kDdsMagicSize).
constexpr size_t kDdsOffsetSize = 0;
constexpr size_t kDdsOffsetFlags = 4;
constexpr size_t kDdsOffsetHeight = 8;
constexpr size_t kDdsOffsetWidth = 12;
constexpr size_t kDdsOffsetPitchOrLinearSize = 16;
constexpr size_t kDdsOffsetDepth = 20;
constexpr size_t kDdsOffsetMipMapCount = 24;
constexpr size_t kDdsOffsetReserved1 = 28;
constexpr size_t kDdsOffsetPixelFormat = 72;
constexpr size_t kDdsOffsetCaps = 104;
constexpr size_t kDdsOffsetCaps2 = 108;
constexpr size_t kDdsOffsetCaps3 = 112;
constexpr size_t kDdsOffsetCaps4 = 116;
constexpr size_t kDdsOffsetReserved2 = 120;

// Offsets in the 32-byte pixel format, counted from its first byte.
constexpr size_t kDdsPfOffsetSize = 0;
constexpr size_t kDdsPfOffsetFlags = 4;
constexpr size_t kDdsPfOffsetFourCC = 8;
constexpr size_t kDdsPfOffsetRgbBitCount = 12;
constexpr size_t kDdsPfOffsetRedMask = 16;
constexpr size_t kDdsPfOffsetGreenMask = 20;
constexpr size_t kDdsPfOffsetBlueMask = 24;
constexpr size_t kDdsPfOffsetAlphaMask = 28;

// Offsets in the 20-byte extended header, counted from its first byte.
constexpr size_t kDdsDx10OffsetFormat = 0;
constexpr size_t kDdsDx10OffsetDimension = 4;
constexpr size_t kDdsDx10OffsetMiscFlag = 8;
constexpr size_t kDdsDx10OffsetArraySize = 12;
constexpr size_t kDdsDx10OffsetMiscFlags2 = 16;

// The header's flags: which fields hold something.
constexpr uint32_t DDSD_CAPS = 0x1;
constexpr uint32_t DDSD_HEIGHT = 0x2;
constexpr uint32_t DDSD_WIDTH = 0x4;
constexpr uint32_t DDSD_PITCH = 0x8;
constexpr uint32_t DDSD_PIXELFORMAT = 0x1000;
constexpr uint32_t DDSD_MIPMAPCOUNT = 0x20000;
constexpr uint32_t DDSD_LINEARSIZE = 0x80000;
constexpr uint32_t DDSD_DEPTH = 0x800000;

// The pixel format's flags.
constexpr uint32_t DDPF_ALPHAPIXELS = 0x1;
constexpr uint32_t DDPF_ALPHA = 0x2;
constexpr uint32_t DDPF_FOURCC = 0x4;
constexpr uint32_t DDPF_PALETTEINDEXED4 = 0x8;
constexpr uint32_t DDPF_PALETTEINDEXED8 = 0x20;
constexpr uint32_t DDPF_RGB = 0x40;
constexpr uint32_t DDPF_YUV = 0x200;
constexpr uint32_t DDPF_LUMINANCE = 0x20000;
constexpr uint32_t DDPF_BUMPDUDV = 0x80000;

// The first caps word.
constexpr uint32_t DDSCAPS_COMPLEX = 0x8;
constexpr uint32_t DDSCAPS_TEXTURE = 0x1000;
constexpr uint32_t DDSCAPS_MIPMAP = 0x400000;

// The second caps word: cube faces and volumes.
constexpr uint32_t DDSCAPS2_CUBEMAP = 0x200;
constexpr uint32_t DDSCAPS2_CUBEMAP_POSITIVEX = 0x400;
constexpr uint32_t DDSCAPS2_CUBEMAP_NEGATIVEX = 0x800;
constexpr uint32_t DDSCAPS2_CUBEMAP_POSITIVEY = 0x1000;
constexpr uint32_t DDSCAPS2_CUBEMAP_NEGATIVEY = 0x2000;
constexpr uint32_t DDSCAPS2_CUBEMAP_POSITIVEZ = 0x4000;
constexpr uint32_t DDSCAPS2_CUBEMAP_NEGATIVEZ = 0x8000;
constexpr uint32_t DDSCAPS2_CUBEMAP_ALLFACES = 0xFC00;
constexpr uint32_t DDSCAPS2_VOLUME = 0x200000;

// A FourCC as the little-endian value of its four characters.
constexpr uint32_t DdsFourCC(char a, char b, char c, char d)
{
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 | uint32_t(uint8_t(d)) << 24;
}

constexpr uint32_t kFourCCDxt1 = DdsFourCC('D', 'X', 'T', '1');
constexpr uint32_t kFourCCDxt2 = DdsFourCC('D', 'X', 'T', '2');
constexpr uint32_t kFourCCDxt3 = DdsFourCC('D', 'X', 'T', '3');
constexpr uint32_t kFourCCDxt4 = DdsFourCC('D', 'X', 'T', '4');
constexpr uint32_t kFourCCDxt5 = DdsFourCC('D', 'X', 'T', '5');
constexpr uint32_t kFourCCAti1 = DdsFourCC('A', 'T', 'I', '1');
constexpr uint32_t kFourCCBc4u = DdsFourCC('B', 'C', '4', 'U');
constexpr uint32_t kFourCCBc4s = DdsFourCC('B', 'C', '4', 'S');
constexpr uint32_t kFourCCAti2 = DdsFourCC('A', 'T', 'I', '2');
constexpr uint32_t kFourCCBc5u = DdsFourCC('B', 'C', '5', 'U');
constexpr uint32_t kFourCCBc5s = DdsFourCC('B', 'C', '5', 'S');
constexpr uint32_t kFourCCDx10 = DdsFourCC('D', 'X', '1', '0');

// The DXGI formats the reader knows: those it reads, and those it names to
// refuse (signed, half-float).
enum DxgiFormat : uint32_t {
    DXGI_FORMAT_UNKNOWN = 0,
    DXGI_FORMAT_R8G8B8A8_TYPELESS = 27,
    DXGI_FORMAT_R8G8B8A8_UNORM = 28,
    DXGI_FORMAT_R8G8B8A8_UNORM_SRGB = 29,
    DXGI_FORMAT_R8G8B8A8_SNORM = 31,
    DXGI_FORMAT_R8G8_SNORM = 51,
    DXGI_FORMAT_R8_UNORM = 61,
    DXGI_FORMAT_R8_SNORM = 63,
    DXGI_FORMAT_A8_UNORM = 65,
    DXGI_FORMAT_BC1_TYPELESS = 70,
    DXGI_FORMAT_BC1_UNORM = 71,
    DXGI_FORMAT_BC1_UNORM_SRGB = 72,
    DXGI_FORMAT_BC2_TYPELESS = 73,
    DXGI_FORMAT_BC2_UNORM = 74,
    DXGI_FORMAT_BC2_UNORM_SRGB = 75,
    DXGI_FORMAT_BC3_TYPELESS = 76,
    DXGI_FORMAT_BC3_UNORM = 77,
    DXGI_FORMAT_BC3_UNORM_SRGB = 78,
    DXGI_FORMAT_BC4_TYPELESS = 79,
    DXGI_FORMAT_BC4_UNORM = 80,
    DXGI_FORMAT_BC4_SNORM = 81,
    DXGI_FORMAT_BC5_TYPELESS = 82,
    DXGI_FORMAT_BC5_UNORM = 83,
    DXGI_FORMAT_BC5_SNORM = 84,
    DXGI_FORMAT_B5G6R5_UNORM = 85,
    DXGI_FORMAT_B5G5R5A1_UNORM = 86,
    DXGI_FORMAT_B8G8R8A8_UNORM = 87,
    DXGI_FORMAT_B8G8R8X8_UNORM = 88,
    DXGI_FORMAT_B8G8R8A8_TYPELESS = 90,
    DXGI_FORMAT_B8G8R8A8_UNORM_SRGB = 91,
    DXGI_FORMAT_B8G8R8X8_TYPELESS = 92,
    DXGI_FORMAT_B8G8R8X8_UNORM_SRGB = 93,
    DXGI_FORMAT_BC6H_TYPELESS = 94,
    DXGI_FORMAT_BC6H_UF16 = 95,
    DXGI_FORMAT_BC6H_SF16 = 96,
    DXGI_FORMAT_BC7_TYPELESS = 97,
    DXGI_FORMAT_BC7_UNORM = 98,
    DXGI_FORMAT_BC7_UNORM_SRGB = 99,
    DXGI_FORMAT_B4G4R4A4_UNORM = 115,
};

// The extended header's resource dimension and flags.
constexpr uint32_t DDS_DIMENSION_TEXTURE1D = 2;
constexpr uint32_t DDS_DIMENSION_TEXTURE2D = 3;
constexpr uint32_t DDS_DIMENSION_TEXTURE3D = 4;
constexpr uint32_t DDS_RESOURCE_MISC_TEXTURECUBE = 0x4;
constexpr uint32_t DDS_ALPHA_MODE_MASK = 0x7;  // low bits of the second misc word
constexpr uint32_t DDS_ALPHA_MODE_UNKNOWN = 0;
constexpr uint32_t DDS_ALPHA_MODE_STRAIGHT = 1;
constexpr uint32_t DDS_ALPHA_MODE_PREMULTIPLIED = 2;
constexpr uint32_t DDS_ALPHA_MODE_OPAQUE = 3;
constexpr uint32_t DDS_ALPHA_MODE_CUSTOM = 4;

struct DdsPixelFormat {
    uint32_t size = kDdsPixelFormatSize;
    uint32_t flags = 0;
    uint32_t fourCC = 0;
    uint32_t rgbBitCount = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint32_t alphaMask = 0;
};

struct DdsHeader {
    uint32_t size = kDdsHeaderSize;
    uint32_t flags = 0;
    uint32_t height = 0;
    uint32_t width = 0;
    uint32_t pitchOrLinearSize = 0;
    uint32_t depth = 0;
    uint32_t mipMapCount = 0;
    DdsPixelFormat pixelFormat;
    uint32_t caps = 0;
    uint32_t caps2 = 0;
    uint32_t caps3 = 0;
    uint32_t caps4 = 0;
};

struct DdsHeaderDx10 {
    uint32_t dxgiFormat = DXGI_FORMAT_UNKNOWN;
    uint32_t resourceDimension = DDS_DIMENSION_TEXTURE2D;
    uint32_t miscFlag = 0;
    uint32_t arraySize = 1;
    uint32_t miscFlags2 = 0;
};

// Reads the 124 header bytes that follow the magic (the reserved words
// skipped); false when fewer remain.
bool ReadDdsHeader(ByteCursor& in, DdsHeader& header);
// Reads the 20 bytes of the extended header; false when fewer remain.
bool ReadDdsHeaderDx10(ByteCursor& in, DdsHeaderDx10& header);

// Lays the header out as its 124 file bytes, the reserved words zero.
void WriteDdsHeader(const DdsHeader& header, uint8_t* out);
// Lays the extended header out as its 20 file bytes.
void WriteDdsHeaderDx10(const DdsHeaderDx10& header, uint8_t* out);
