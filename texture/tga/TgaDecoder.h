// Decoding a TGA file from its bytes in memory. Nothing here opens or reads a
// file: the chain reader (texture/chain/TgaTextureReader.h) does, and hands
// the bytes over.
//
// Accepted (image type: pixel depth): colour-mapped (1, 9): 8-bit indices into
// a map of 15-, 16-, 24- or 32-bit entries, the map's first-entry index
// honoured; true colour (2, 10): 15 and 16 bits (read as 5-5-5), 24, 32, and
// 8 bits read as grey; grey (3, 11): 8 bits. Uncompressed or run-length
// encoded; rows bottom-up or top-down, left to right or right to left. An ID
// field is skipped, and so is a colour map in a file that does not use it.
// Read with a warning: indices beyond the colour map (shown black) and
// run-length packets running past the image (cut at its end).
//
// Refused, with the message that says why: any other image type or pixel
// depth (grey above 8 bits, indices of other than 8 bits, ...), a reserved
// colour map type, an empty colour map, map entries of another size ("Error
// with TGA palette!"); a truncated file; a width or height of 0 or a level
// larger than kMaxLevelBytes; pixel data shorter than the size calls for. All
// of it is checked before anything is allocated.
//
// The steps stand alone, so that a reader can fetch a file's bytes as it
// likes: DecodeTgaHeader makes a layout of the header; CheckTgaFileSize says
// whether a file of a given size can hold it; CheckTgaPixelData whether
// run-length data covers the level. The layout's placement says where each
// stored row goes in the level, which runs top to bottom and left to right;
// raw rows can be read straight there (rowPieces), or DecodeTgaPixels puts
// them there from memory. DecodeTga does every step for a whole file.
#pragma once

#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"
#include "texture/tga/TgaColourMap.h"
#include "texture/tga/TgaFormat.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <sys/uio.h>
#include <vector>

// Where a file's pixels go in a level.
struct TgaPlacement {
    uint64_t offset = 0;  // where the pixel data starts in the file
    unsigned width = 0, height = 0;
    unsigned bytesPerPixel = 0;
    bool rowsTopDown = false;  // rows stored top row first
    bool rightToLeft = false;  // each row stored right pixel first

    size_t rowBytes() const { return size_t(width) * bytesPerPixel; }
    uint64_t levelBytes() const { return uint64_t(rowBytes()) * height; }
    // The row of the level that the file's row `fileRow` fills.
    uint8_t* row(uint8_t* level, unsigned fileRow) const
    {
        return level + rowBytes() * (rowsTopDown ? fileRow : height - 1 - fileRow);
    }
    // The level as pieces in file order, for raw pixel data read straight into
    // place: a bottom-up file fills the level from its last row up.
    std::vector<iovec> rowPieces(uint8_t* level) const;
    // Turns every row of a right-to-left file around, once all are in place.
    void finish(uint8_t* level) const;
};

// What a file's header says about its pixels.
struct TgaLayout {
    TgaHeader header;
    unsigned depth = 0;  // the record's: 8 (indices or grey), 16 (5-5-5), 24 or 32
    bool runLength = false;
    uint64_t colourMapOffset = 0;  // the colour map follows the header and ID field
    uint64_t colourMapBytes = 0;   // 0 when the file has none that is read
    TgaPlacement pixels;
};

// Makes a layout of the header at the start of `bytes`. Nothing, or why the
// file is refused: truncated, a kind not read, no pixels or too many.
[[nodiscard]] std::optional<TextureCause> DecodeTgaHeader(const uint8_t* bytes, size_t size, TgaLayout& layout);

// Whether a file of `fileSize` bytes can hold what its header claims: the ID
// field and colour map, and all of its raw pixels; run-length data in a file
// no larger than kMaxWholeFileBytes. Nothing, or why not.
[[nodiscard]] std::optional<TextureCause> CheckTgaFileSize(const TgaLayout& layout, uint64_t fileSize);

// How many of the file's first bytes decoding needs in memory: those before
// the pixels, or all of a run-length file.
uint64_t TgaBytesInMemory(const TgaLayout& layout, uint64_t fileSize);

// Whether the pixel data in `file` (TgaBytesInMemory of them) covers the
// level, as raw data of a file whose size was checked always does. Nothing,
// or why not; `ranPast` says whether a run-length packet ran past the image.
[[nodiscard]] std::optional<TextureCause> CheckTgaPixelData(const TgaLayout& layout, const uint8_t* file, size_t size,
                                                            bool& ranPast);

// Fills `level` (levelBytes() of the placement) from the file's bytes, checked
// as above: decodes run-length data, or copies raw rows unless `rowsInPlace`
// says they were read into their places already; then finishes the placement.
void DecodeTgaPixels(const TgaLayout& layout, const uint8_t* file, size_t size, uint8_t* level,
                     bool rowsInPlace = false);

// What the values of an 8-bit level stand for: the colours of the colour map
// in `file` (TgaBytesInMemory of its bytes), or the grey ramp.
PixelColours TgaLevelColours(const TgaLayout& layout, const uint8_t* file);

// Gives the record the size, depth and masks of the layout's level.
void SetTgaRecordFormat(T3D_TEXTURE& record, const TgaLayout& layout);

// The warnings a decoded file gives: the pixels are read all the same.
struct TgaWarnings {
    bool ranPast = false;    // run-length packets ran past the image (cut at its end)
    bool beyondMap = false;  // indices name no colour map entry (shown black)
};

// Bytes in, level out: clears the holder and decodes the whole file in
// data[0, size) as its level 0 (size, depth, masks, palette, pixels; a level
// count of 1). Nothing, or why the file is refused, the holder then cleared.
[[nodiscard]] std::optional<TextureCause> DecodeTga(const uint8_t* data, size_t size, TextureRecord& holder,
                                                    TgaWarnings& warnings);
