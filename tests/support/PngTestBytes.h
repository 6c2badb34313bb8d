// PNG files built in memory with libspng's encoder, so a test shows what it
// feeds in.
#pragma once

#include "texture/convert/PaletteMatch.h"

#include <cstdint>
#include <vector>

struct PngPicture {
    uint32_t width = 0, height = 0;
    uint8_t colourType = 0;  // 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    uint8_t bitDepth = 8;
    bool interlaced = false;
    int filterChoice = 0;  // libspng's SPNG_FILTER_CHOICE_* to use only those; 0 for its own choice
    // Rows in PNG's own layout: packed below 8 bits, 16-bit samples in host order.
    std::vector<uint8_t> rows;
    std::vector<Rgb> palette;
    std::vector<uint8_t> paletteAlpha;  // tRNS of a palette image
    bool colourKey = false;             // tRNS of grey or RGB: the colour below is transparent
    uint16_t keyRed = 0, keyGreen = 0, keyBlue = 0, keyGrey = 0;
};

std::vector<uint8_t> MakePng(const PngPicture& picture);

// Bytes of one PNG row of `picture` (packed to the bit depth).
size_t PngRowBytes(const PngPicture& picture);

// Inserts `count` copies of a chunk of the given type and data right after
// the IHDR, each with its CRC.
void AddPngChunks(std::vector<uint8_t>& png, const char (&type)[5], const std::vector<uint8_t>& data, size_t count);

// Splits the PNG's image data into IDAT chunks of at most `size` bytes.
void SplitPngData(std::vector<uint8_t>& png, size_t size);

// The offset of the first chunk of the given type (its length field); the
// size of the PNG when there is none.
size_t FindPngChunk(const std::vector<uint8_t>& png, const char (&type)[5]);

// Mends the CRC of the chunk whose length field is at `offset`.
void MendPngChunkCrc(std::vector<uint8_t>& png, size_t offset);

// Sets the IHDR's width and height and mends its CRC.
void PatchPngSize(std::vector<uint8_t>& png, uint32_t width, uint32_t height);
