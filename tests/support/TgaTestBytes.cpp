#include "support/TgaTestBytes.h"

std::string TgaHeaderBytes(const TgaFields& f)
{
    return Bytes({f.idLength, f.colourMapType, f.imageType}) + U16(f.colourMapFirst) +
           U16(f.colourMapLength) + Bytes({f.colourMapEntryBits}) + U16(0) + U16(0) + U16(f.width) +
           U16(f.height) + Bytes({f.pixelDepth, f.descriptor});
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(char(uint8_t(v)));
    return out;
}

std::string Repeat(int value, size_t n)
{
    return std::string(n, char(uint8_t(value)));
}

std::string U16(unsigned value)
{
    return Bytes({int(value & 0xFF), int((value >> 8) & 0xFF)});
}

std::string U32(uint32_t value)
{
    return U16(value & 0xFFFF) + U16(value >> 16);
}
