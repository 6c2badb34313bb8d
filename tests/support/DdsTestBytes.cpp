#include "support/DdsTestBytes.h"

#include "support/TgaTestBytes.h"

DdsFields DdsFields::Masked(unsigned width, unsigned height, uint32_t pixelFlags, unsigned bits, uint32_t red,
                            uint32_t green, uint32_t blue, uint32_t alpha)
{
    DdsFields f;
    f.width = width;
    f.height = height;
    f.pixelFlags = pixelFlags;
    f.bitCount = bits;
    f.redMask = red;
    f.greenMask = green;
    f.blueMask = blue;
    f.alphaMask = alpha;
    return f;
}

DdsFields DdsFields::FourCC(unsigned width, unsigned height, const char* fourCC)
{
    DdsFields f;
    f.width = width;
    f.height = height;
    f.pixelFlags = 0x4;
    f.fourCC = uint32_t(uint8_t(fourCC[0])) | uint32_t(uint8_t(fourCC[1])) << 8 | uint32_t(uint8_t(fourCC[2])) << 16 |
               uint32_t(uint8_t(fourCC[3])) << 24;
    return f;
}

DdsFields DdsFields::Dxgi(unsigned width, unsigned height, uint32_t format)
{
    DdsFields f = FourCC(width, height, "DX10");
    f.dx10 = true;
    f.dxgiFormat = format;
    return f;
}

DdsFields& DdsFields::withMips(unsigned count)
{
    mipMapCount = count;
    flags |= 0x20000;
    caps |= 0x8 | 0x400000;  // complex, mipmap
    return *this;
}

std::string DdsHeaderBytes(const DdsFields& f)
{
    std::string bytes = "DDS " + U32(f.headerSize) + U32(f.flags) + U32(f.height) + U32(f.width) +
                        U32(f.pitchOrLinearSize) + U32(f.depth) + U32(f.mipMapCount) + Repeat(0, 44) +
                        U32(f.pixelFormatSize) + U32(f.pixelFlags) + U32(f.fourCC) + U32(f.bitCount) + U32(f.redMask) +
                        U32(f.greenMask) + U32(f.blueMask) + U32(f.alphaMask) + U32(f.caps) + U32(f.caps2) +
                        Repeat(0, 12);
    if (f.dx10)
        bytes += U32(f.dxgiFormat) + U32(f.dimension) + U32(f.miscFlag) + U32(f.arraySize) + U32(f.miscFlags2);
    return bytes;
}

std::string DdsFile(const DdsFields& fields, const std::string& data)
{
    return DdsHeaderBytes(fields) + data;
}
