// Helpers for tests that lay out TGA files byte by byte: the 18 header fields
// in file order, and little-endian values.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

struct TgaFields {
    uint8_t idLength = 0;
    uint8_t colourMapType = 0;
    uint8_t imageType = 2;
    uint16_t colourMapFirst = 0;
    uint16_t colourMapLength = 0;
    uint8_t colourMapEntryBits = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t pixelDepth = 0;
    uint8_t descriptor = 0;
};

// The 18 header bytes of `fields` (origin 0).
std::string TgaHeaderBytes(const TgaFields& fields);

// The given byte values as a string.
std::string Bytes(std::initializer_list<int> values);

// n copies of the byte value.
std::string Repeat(int value, size_t n);

// Little-endian 16- and 32-bit values.
std::string U16(unsigned value);
std::string U32(uint32_t value);
