// Decodes a PNG held in memory into pixels of the texture record's 32-bit
// layout (0xAARRGGBB, little-endian: bytes blue, green, red, alpha).
//
// An 8-bit, non-interlaced image (grey, grey with alpha, RGB, RGBA, palette:
// what artists save) is decoded whole without libspng (texture/png/
// PngImageData.h): its data inflated in one call and unfiltered in place.
// Whatever that path refuses, and every other image, libspng decodes row by
// row, and so decides every refusal.
//
// Accepted: every colour type and bit depth (grey 1/2/4/8/16, grey with alpha,
// palette with or without tRNS, RGB and RGBA at 8 and 16 bits), interlaced or
// not. tRNS is applied; 16-bit channels give their high byte; gAMA, iCCP and
// sBIT are ignored. A palette image also gives its palette and its 8-bit
// indices, so that an 8-bit texture can keep them; indices past the palette
// read as opaque black, and the decoder says that it met some. Ancillary
// chunks other than tRNS (text, profiles, Exif) are passed over unread,
// however many there are, up to kMaxAncillaryBytes of them.
//
// Refused before anything is allocated: a side above 65535; a level larger
// than kMaxLevelBytes (texture/TextureLimits.h); image data claiming more than
// 1032 times the PNG's size (deflate cannot expand further). Damaged data gives a
// status, never a crash. The decoder knows nothing of files: the caller names
// the file in its message.
#pragma once

#include "texture/convert/PaletteMatch.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

constexpr size_t kPngSignatureSize = 8;
constexpr unsigned kMaxPngSide = 65535;
// Deflate's greatest expansion: no valid stream inflates to more.
constexpr uint64_t kMaxDeflateRatio = 1032;
// The most bytes of ancillary chunks (text, profiles, Exif: data beside the
// pixels) a PNG may hold; they are passed over, and only this bounds them.
constexpr uint64_t kMaxAncillaryBytes = uint64_t(64) << 20;

// True when the bytes begin with the 8-byte PNG signature.
bool IsPngSignature(const uint8_t* data, size_t size);

enum class PngStatus {
    ok,
    damaged,           // not a PNG, truncated, or data that does not decode
    unsupportedSize,   // a side of 0 or above kMaxPngSide, or a level above the cap
    claimsTooMuch,     // more pixel data than the file can hold
    tooMuchAncillary,  // more than kMaxAncillaryBytes of ancillary chunks
    noMemory,
};

class PngDecoder {
public:
    // Reads the header (and palette) of the PNG in data[0, size). The bytes
    // must outlive the decoder.
    PngDecoder(const uint8_t* data, size_t size);
    ~PngDecoder();
    PngDecoder(const PngDecoder&) = delete;
    PngDecoder& operator=(const PngDecoder&) = delete;

    // ok when the header was read and is within the limits.
    PngStatus status() const { return status_; }
    // libspng's words for a damaged file, for a longer message.
    const std::string& detail() const { return detail_; }
    unsigned width() const { return width_; }
    unsigned height() const { return height_; }
    bool hasPalette() const { return hasPalette_; }
    const Palette& palette() const { return palette_; }
    // After decode(): some pixel's index names no entry of the palette.
    bool indicesBeyondPalette() const { return indicesBeyondPalette_; }
    // After decode(): the image was decoded whole, without libspng.
    bool decodedWhole() const { return decodedWhole_; }

    // Decodes width() x height() pixels into `argb` (4 bytes a pixel, rows
    // top to bottom, no padding). For a palette image, `indices` (when not
    // null) receives one byte a pixel as well. Call once.
    PngStatus decode(uint8_t* argb, uint8_t* indices = nullptr);

private:
    class ChunkFilter;
    PngStatus fail(PngStatus status, int spngError);
    PngStatus decodeTrueColour(uint8_t* argb);
    PngStatus decodePalette(uint8_t* argb, uint8_t* indices);
    bool readColourKey();
    bool decodeWhole(uint8_t* argb, uint8_t* indices);
    void paletteTable(uint32_t (&table)[kPaletteEntries]) const;

    struct Context;
    std::unique_ptr<Context> context_;
    PngStatus status_ = PngStatus::ok;
    std::string detail_;
    unsigned width_ = 0, height_ = 0;
    unsigned bitDepth_ = 0;
    unsigned channels_ = 0;
    bool interlaced_ = false;
    bool hasPalette_ = false;
    bool decoded_ = false;
    bool indicesBeyondPalette_ = false;
    Palette palette_;
    uint8_t paletteAlpha_[kPaletteEntries];
    // tRNS of an 8-bit grey or RGB image: the samples (grey in all three)
    // that are transparent.
    struct ColourKey {
        bool present = false;
        uint8_t red = 0, green = 0, blue = 0;
    };
    ColourKey key_;
    bool decodedWhole_ = false;
    const uint8_t* bytes_;
    size_t size_;
};
