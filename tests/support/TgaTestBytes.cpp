#include "support/TgaTestBytes.h"

std::string TgaHeaderBytes(const TgaFields& f)
{
    return Bytes({f.idLength, f.colourMapType, f.imageType}) + U16(f.colourMapFirst) + U16(f.colourMapLength) +
           Bytes({f.colourMapEntryBits}) + U16(0) + U16(0) + U16(f.width) + U16(f.height) +
           Bytes({f.pixelDepth, f.descriptor});
}

TgaFields TgaFields::Image(int imageType, unsigned width, unsigned height, int depth, int descriptor)
{
    TgaFields f;
    f.imageType = uint8_t(imageType);
    f.width = uint16_t(width);
    f.height = uint16_t(height);
    f.pixelDepth = uint8_t(depth);
    f.descriptor = uint8_t(descriptor);
    return f;
}

TgaFields& TgaFields::withMap(unsigned length, int entryBits, unsigned first)
{
    colourMapType = 1;
    colourMapFirst = uint16_t(first);
    colourMapLength = uint16_t(length);
    colourMapEntryBits = uint8_t(entryBits);
    return *this;
}

std::string MappedTga(unsigned width, unsigned height, const std::string& map, const std::string& indices)
{
    return TgaHeaderBytes(TgaFields::Image(1, width, height, 8).withMap(unsigned(map.size() / 3), 24)) + map + indices;
}

std::string Tga555(unsigned width, unsigned height, const std::vector<uint16_t>& topFirst)
{
    std::string bytes = TgaHeaderBytes(TgaFields::Image(2, width, height, 16));
    for (size_t y = height; y-- > 0;)
        for (size_t x = 0; x < width; ++x)
            bytes += U16(topFirst[y * width + x]);
    return bytes;
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
