// Helpers for tests that lay out DDS files byte by byte: the header's fields
// in file order (written here field by field, not through the codec's own
// header writer, so that a wrong offset there shows), the extended header
// when asked for, and whole files of given level data.
#pragma once

#include <cstdint>
#include <string>

struct DdsFields {
    uint32_t headerSize = 124;
    uint32_t flags = 0x1 | 0x2 | 0x4 | 0x1000;  // caps, height, width, pixel format
    uint32_t height = 0;
    uint32_t width = 0;
    uint32_t pitchOrLinearSize = 0;
    uint32_t depth = 0;
    uint32_t mipMapCount = 0;
    uint32_t pixelFormatSize = 32;
    uint32_t pixelFlags = 0;
    uint32_t fourCC = 0;
    uint32_t bitCount = 0;
    uint32_t redMask = 0, greenMask = 0, blueMask = 0, alphaMask = 0;
    uint32_t caps = 0x1000;  // a texture
    uint32_t caps2 = 0;
    // The extended header, written when `dx10` is set (the FourCC then "DX10").
    bool dx10 = false;
    uint32_t dxgiFormat = 0;
    uint32_t dimension = 3;  // a 2D texture
    uint32_t miscFlag = 0;
    uint32_t arraySize = 1;
    uint32_t miscFlags2 = 0;

    // Pixels through masks: `pixelFlags` such as RGB (0x40), with alpha
    // pixels (0x1), luminance (0x20000), alpha (0x2), palette (0x20).
    static DdsFields Masked(unsigned width, unsigned height, uint32_t pixelFlags, unsigned bits, uint32_t red,
                            uint32_t green, uint32_t blue, uint32_t alpha);
    // Block-compressed or otherwise named by a FourCC, such as "DXT1".
    static DdsFields FourCC(unsigned width, unsigned height, const char* fourCC);
    // The extended header with a DXGI format number.
    static DdsFields Dxgi(unsigned width, unsigned height, uint32_t format);
    // Says that the file holds `count` levels.
    DdsFields& withMips(unsigned count);
};

// The magic, the 124 header bytes and, when asked for, the 20 of the
// extended header.
std::string DdsHeaderBytes(const DdsFields& fields);

// A whole file: its headers, then `data` (palette and levels, in file order).
std::string DdsFile(const DdsFields& fields, const std::string& data);
