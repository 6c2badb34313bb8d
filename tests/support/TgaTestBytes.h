// Helpers for tests that lay out files byte by byte: the 18 TGA header fields
// in file order, whole colour-mapped and 5-5-5 TGA files, and little-endian
// values (the scene tests use these too).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

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

    // An image of the given type, size and pixel depth, no colour map.
    static TgaFields Image(int imageType, unsigned width, unsigned height, int depth, int descriptor = 0);
    // Gives these fields a colour map (type 1) of `length` entries of
    // `entryBits`, the first numbered `first`.
    TgaFields& withMap(unsigned length, int entryBits, unsigned first = 0);
};

// The 18 header bytes of `fields` (origin 0).
std::string TgaHeaderBytes(const TgaFields& fields);

// A whole colour-mapped file: `map` holds 24-bit entries (blue, green, red),
// `indices` the pixels in file order (bottom row first).
std::string MappedTga(unsigned width, unsigned height, const std::string& map, const std::string& indices);

// A whole 16-bit 5-5-5 file of the given pixels, rows given top first.
std::string Tga555(unsigned width, unsigned height, const std::vector<uint16_t>& topFirst);

// The given byte values as a string.
std::string Bytes(std::initializer_list<int> values);

// n copies of the byte value.
std::string Repeat(int value, size_t n);

// Little-endian 16- and 32-bit values.
std::string U16(unsigned value);
std::string U32(uint32_t value);
