// The numbers of the TGA file format that the reader and writer share: the
// 18-byte header, its image types and descriptor bits. Multi-byte fields are
// little-endian.
#pragma once

#include "texture/io/ByteCursor.h"

#include <cstdint>

constexpr size_t kTgaHeaderSize = 18;

enum TgaImageType : uint8_t {
    kTgaColourMapped = 1,
    kTgaTrueColour = 2,
    kTgaGrey = 3,
    kTgaRunLengthColourMapped = 9,
    kTgaRunLengthTrueColour = 10,
    kTgaRunLengthGrey = 11,
};

constexpr uint8_t kTgaColourMapPresent = 1;          // colour map type byte; above it, reserved
constexpr uint8_t kTgaDescriptorRightToLeft = 0x10;  // each row stored right pixel first
constexpr uint8_t kTgaDescriptorTopDown = 0x20;      // rows stored top row first

// A run-length packet: the top bit says "repeat one pixel", the low seven bits
// hold the pixel count less one.
constexpr uint8_t kTgaRunPacket = 0x80;
constexpr uint8_t kTgaPacketCount = 0x7F;

struct TgaHeader {
    uint8_t idLength = 0;
    uint8_t colourMapType = 0;
    uint8_t imageType = 0;
    uint16_t colourMapFirst = 0;
    uint16_t colourMapLength = 0;
    uint8_t colourMapEntryBits = 0;
    uint16_t xOrigin = 0;
    uint16_t yOrigin = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t pixelDepth = 0;
    uint8_t descriptor = 0;
};

// Reads the 18 header bytes; false when fewer remain.
bool ReadTgaHeader(ByteCursor& in, TgaHeader& header);

// Lays the header out as its 18 file bytes.
void WriteTgaHeader(const TgaHeader& header, uint8_t* out);

bool IsRunLengthEncoded(uint8_t imageType);
bool IsColourMapped(uint8_t imageType);
