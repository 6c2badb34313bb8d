// Decoding a DDS file from its bytes in memory. Nothing here opens or reads a
// file: the chain reader (texture/chain/DdsTextureReader.h) does, and hands
// the bytes over. A DDS file holds a whole chain: every level it stores is
// read, small ones included, up to the count the texture's size gives
// (GeneratedLevelCount); the record makes the rest.
//
// Accepted, in the legacy header: DDPF_RGB at 8, 16, 24 or 32 bits a pixel,
// any masks of one run of bits each within the pixel (with alpha when
// DDPF_ALPHAPIXELS says so); DDPF_LUMINANCE, 8-bit
// grey or grey with alpha; DDPF_ALPHA; DDPF_PALETTEINDEXED8 with its palette
// of 256 red, green, blue, alpha entries (alpha unused); FourCC DXT1, DXT3,
// DXT5, ATI1 or BC4U, ATI2 or BC5U. In the extended header: R8G8B8A8,
// B8G8R8A8, B8G8R8X8, B5G6R5, B5G5R5A1, B4G4R4A4, R8, A8, BC1 to BC5 and
// BC7, each _SRGB twin read as the same bytes. Rows are stored top row first
// with no padding; block-compressed levels a row of 4 x 4 blocks at a time.
//
// What the levels become: 16-, 24- and 32-bit pixels whose masks a record
// holds (each one run of at most 8 bits, none shared, red, green and blue
// present) keep their bytes and masks, bit for bit; a palette file and 8-bit
// grey become 8-bit levels (grey through a ramp), indices kept; every other
// layout, and every block-compressed one, becomes 8-8-8-8 (alpha 255 where
// the file has none; BC4 as grey, BC5 as red and green with blue 0; A8 as
// black with its alpha).
//
// Refused, with the message that says why, before anything is allocated: a
// truncated header or file, a header or pixel format of the wrong size, a
// size of 0 or beyond the record's 65535 or kMaxLevelBytes, a mip count past
// the levels the size has; a cube map, a volume texture, an array of more
// than one picture (never the first face or slice alone); premultiplied
// alpha (DXT2, DXT4, the extended header's premultiplied mode), signed
// values (BC4S, BC5S, SNORM, bump maps) and BC6H's high dynamic range, which
// a record cannot hold as they are; any other pixel format (YUV, 4-bit
// palettes, masks past the pixel or of broken runs, float formats).
#pragma once

#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"
#include "texture/dds/DdsFormat.h"

#include <cstddef>
#include <cstdint>
#include <optional>

// How the stored pixels become a level's.
enum class DdsPixels { raw, palette, masks, bc1, bc2, bc3, bc4, bc5, bc7 };

// The bytes the decoder looks at before the pixels: the magic, the header and
// the extended header.
constexpr size_t kDdsHeadBytes = kDdsMagicSize + kDdsHeaderSize + kDdsHeaderDx10Size;

// What a file's header says about its pixels.
struct DdsLayout {
    unsigned width = 0, height = 0;
    DdsPixels pixels = DdsPixels::raw;
    unsigned depth = 0;       // the record's: 8, 16, 24 or 32
    PixelMasks masks;         // the record's
    PixelMasks fileMasks;     // the stored pixels' (masks): luminance in red
    bool grey = false;        // luminance: red's mask gives all three colours
    unsigned storedBits = 0;  // bits of a stored pixel (raw, palette, masks)
    uint64_t paletteOffset = 0;
    int fileLevels = 0;  // levels the file stores
    int levels = 0;      // levels read: the file's, up to the size's count
    uint64_t levelOffset[kMaxTextureLevels] = {};
    uint64_t dataEnd = 0;  // where the last level the file stores ends

    unsigned levelWidth(int level) const { return width >> level; }
    unsigned levelHeight(int level) const { return height >> level; }
    bool blocks() const { return pixels >= DdsPixels::bc1; }
    // The bytes level `level` takes in the file, and in the record.
    uint64_t storedBytes(int level) const;
    uint64_t levelBytes(int level) const;
};

// Why a file is refused: a cause, and for Damaged the words that say how.
struct DdsRefusal {
    TextureCause cause;
    const char* words = "";
};

// Makes a layout of the header at the start of `bytes` (up to kDdsHeadBytes
// of the file); at most `maxLevels` levels are read. Nothing, or why the file
// is refused.
[[nodiscard]] std::optional<DdsRefusal> DecodeDdsHeader(const uint8_t* bytes, size_t size, int maxLevels,
                                                        DdsLayout& layout);

// Whether a file of `fileSize` bytes holds every level its header claims.
[[nodiscard]] std::optional<DdsRefusal> CheckDdsFileSize(const DdsLayout& layout, uint64_t fileSize);

// Gives the record the size, depth and masks of the layout's levels, and for
// 8-bit levels their palette: a palette file's from its kDdsPaletteSize
// bytes in `palette`, a grey file's ramp.
void SetDdsRecordFormat(T3D_TEXTURE& record, const DdsLayout& layout, const uint8_t* palette);

// Fills a level (levelBytes of it) from its storedBytes in the file. A raw
// level's bytes are the level's: the caller may read them straight there.
void DecodeDdsLevel(const DdsLayout& layout, int level, const uint8_t* stored, uint8_t* out);

// Bytes in, levels out: clears the holder and decodes the whole file in
// data[0, size), at most `maxLevels` levels. Nothing, or why the file is
// refused, the holder then cleared.
[[nodiscard]] std::optional<DdsRefusal> DecodeDds(const uint8_t* data, size_t size, TextureRecord& holder,
                                                  int maxLevels = kMaxTextureLevels);
