#include "texture/dds/DdsFormat.h"

namespace {

void ReadPixelFormat(const uint8_t* in, DdsPixelFormat& pf)
{
    pf.size = GetU32(in + kDdsPfOffsetSize);
    pf.flags = GetU32(in + kDdsPfOffsetFlags);
    pf.fourCC = GetU32(in + kDdsPfOffsetFourCC);
    pf.rgbBitCount = GetU32(in + kDdsPfOffsetRgbBitCount);
    pf.redMask = GetU32(in + kDdsPfOffsetRedMask);
    pf.greenMask = GetU32(in + kDdsPfOffsetGreenMask);
    pf.blueMask = GetU32(in + kDdsPfOffsetBlueMask);
    pf.alphaMask = GetU32(in + kDdsPfOffsetAlphaMask);
}

void WritePixelFormat(const DdsPixelFormat& pf, uint8_t* out)
{
    PutU32(out + kDdsPfOffsetSize, pf.size);
    PutU32(out + kDdsPfOffsetFlags, pf.flags);
    PutU32(out + kDdsPfOffsetFourCC, pf.fourCC);
    PutU32(out + kDdsPfOffsetRgbBitCount, pf.rgbBitCount);
    PutU32(out + kDdsPfOffsetRedMask, pf.redMask);
    PutU32(out + kDdsPfOffsetGreenMask, pf.greenMask);
    PutU32(out + kDdsPfOffsetBlueMask, pf.blueMask);
    PutU32(out + kDdsPfOffsetAlphaMask, pf.alphaMask);
}

}  // namespace

bool ReadDdsHeader(ByteCursor& in, DdsHeader& header)
{
    const uint8_t* b = in.take(kDdsHeaderSize);
    if (!b)
        return false;
    header.size = GetU32(b + kDdsOffsetSize);
    header.flags = GetU32(b + kDdsOffsetFlags);
    header.height = GetU32(b + kDdsOffsetHeight);
    header.width = GetU32(b + kDdsOffsetWidth);
    header.pitchOrLinearSize = GetU32(b + kDdsOffsetPitchOrLinearSize);
    header.depth = GetU32(b + kDdsOffsetDepth);
    header.mipMapCount = GetU32(b + kDdsOffsetMipMapCount);
    ReadPixelFormat(b + kDdsOffsetPixelFormat, header.pixelFormat);
    header.caps = GetU32(b + kDdsOffsetCaps);
    header.caps2 = GetU32(b + kDdsOffsetCaps2);
    header.caps3 = GetU32(b + kDdsOffsetCaps3);
    header.caps4 = GetU32(b + kDdsOffsetCaps4);
    return true;
}

bool ReadDdsHeaderDx10(ByteCursor& in, DdsHeaderDx10& header)
{
    const uint8_t* b = in.take(kDdsHeaderDx10Size);
    if (!b)
        return false;
    header.dxgiFormat = GetU32(b + kDdsDx10OffsetFormat);
    header.resourceDimension = GetU32(b + kDdsDx10OffsetDimension);
    header.miscFlag = GetU32(b + kDdsDx10OffsetMiscFlag);
    header.arraySize = GetU32(b + kDdsDx10OffsetArraySize);
    header.miscFlags2 = GetU32(b + kDdsDx10OffsetMiscFlags2);
    return true;
}

void WriteDdsHeader(const DdsHeader& header, uint8_t* out)
{
    for (size_t i = 0; i < kDdsHeaderSize; ++i)
        out[i] = 0;
    PutU32(out + kDdsOffsetSize, header.size);
    PutU32(out + kDdsOffsetFlags, header.flags);
    PutU32(out + kDdsOffsetHeight, header.height);
    PutU32(out + kDdsOffsetWidth, header.width);
    PutU32(out + kDdsOffsetPitchOrLinearSize, header.pitchOrLinearSize);
    PutU32(out + kDdsOffsetDepth, header.depth);
    PutU32(out + kDdsOffsetMipMapCount, header.mipMapCount);
    WritePixelFormat(header.pixelFormat, out + kDdsOffsetPixelFormat);
    PutU32(out + kDdsOffsetCaps, header.caps);
    PutU32(out + kDdsOffsetCaps2, header.caps2);
    PutU32(out + kDdsOffsetCaps3, header.caps3);
    PutU32(out + kDdsOffsetCaps4, header.caps4);
}

void WriteDdsHeaderDx10(const DdsHeaderDx10& header, uint8_t* out)
{
    PutU32(out + kDdsDx10OffsetFormat, header.dxgiFormat);
    PutU32(out + kDdsDx10OffsetDimension, header.resourceDimension);
    PutU32(out + kDdsDx10OffsetMiscFlag, header.miscFlag);
    PutU32(out + kDdsDx10OffsetArraySize, header.arraySize);
    PutU32(out + kDdsDx10OffsetMiscFlags2, header.miscFlags2);
}
