// The texture record shared by the TGA reader and writer, the previews and the
// scene library. Its layout is fixed to the byte (scene files store it as is,
// with 32-bit level slots): the offsets are pinned below for 32- and 64-bit
// pointers. Level L holds (width >> L) x (height >> L) pixels, rows top to
// bottom, no padding; a pixel is depth / 8 bytes, little-endian, read through
// the masks (depth 8: an index into the palette).
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kMaxTextureLevels = 8;
constexpr int kPaletteEntries = 256;
constexpr int kTextureNameSize = 256;  // 255 characters and the terminator

// Texture flags: eight one-bit drawing options.
enum TextureFlag : uint32_t {
    kFlagMipmapLevels = 0x01,
    kFlagAlphaLevel = 0x02,
    kFlagDetailSecondPass = 0x04,
    kFlagForce32Bit = 0x08,
    kFlagEnvmap = 0x10,
    kFlagClampedU = 0x20,
    kFlagClampedV = 0x40,
    kFlagNoZBuffer = 0x80,
};

// Masks by pixel format.
constexpr uint32_t kMask555Red = 0x7C00, kMask555Green = 0x3E0, kMask555Blue = 0x1F;
constexpr uint32_t kMask565Red = 0xF800, kMask565Green = 0x7E0;
constexpr uint32_t kMask8888Red = 0xFF0000, kMask8888Green = 0xFF00, kMask8888Blue = 0xFF;
constexpr uint32_t kMask8888Alpha = 0xFF000000;

struct T3D_TEXTURE {
    uint16_t width;
    uint16_t height;
    uint16_t depth;
    uint16_t alignment0;
    uint32_t redMask;
    uint32_t greenMask;
    uint32_t blueMask;
    uint32_t alphaMask;
    uint32_t flags;
    uint16_t levelCount;
    uint8_t palette[kPaletteEntries][4];  // byte 0 blue, 1 green, 2 red, 3 unused
    uint16_t alignment1;
    uint8_t* levels[kMaxTextureLevels];
    char name[kTextureNameSize];
};

static_assert(offsetof(T3D_TEXTURE, width) == 0);
static_assert(offsetof(T3D_TEXTURE, height) == 2);
static_assert(offsetof(T3D_TEXTURE, depth) == 4);
static_assert(offsetof(T3D_TEXTURE, redMask) == 8);
static_assert(offsetof(T3D_TEXTURE, greenMask) == 12);
static_assert(offsetof(T3D_TEXTURE, blueMask) == 16);
static_assert(offsetof(T3D_TEXTURE, alphaMask) == 20);
static_assert(offsetof(T3D_TEXTURE, flags) == 24);
static_assert(offsetof(T3D_TEXTURE, levelCount) == 28);
static_assert(offsetof(T3D_TEXTURE, palette) == 30);
static_assert(offsetof(T3D_TEXTURE, alignment1) == 1054);
static_assert(offsetof(T3D_TEXTURE, levels) == 1056);
static_assert(offsetof(T3D_TEXTURE, name) == 1056 + kMaxTextureLevels * sizeof(void*));
static_assert(sizeof(void*) != 4 || sizeof(T3D_TEXTURE) == 1344);
static_assert(sizeof(void*) != 8 || sizeof(T3D_TEXTURE) == 1376);

// The record as scene files store it: the level slots are always 32 bits there.
constexpr size_t kStoredTextureRecordSize = 1344;
constexpr size_t kStoredLevelsOffset = 1056;
constexpr size_t kStoredNameOffset = 1088;

// All bytes zero: no texture, no buffers.
void ClearTextureRecord(T3D_TEXTURE& record);

// Bytes per pixel of a record's depth (1, 2, 3 or 4); 0 for a depth that no
// record holds.
unsigned BytesPerPixel(unsigned depth);

// Sets the four masks of a depth's usual pixel format: none for 8 bits,
// 5-5-5 for 16, 8-8-8 for 24 and 8-8-8-8 for 32 bits.
void SetStandardMasks(T3D_TEXTURE& record, unsigned depth);

// A record's four masks as one value: which bits of a pixel hold each channel.
struct PixelMasks {
    uint32_t red = 0, green = 0, blue = 0, alpha = 0;

    bool operator==(const PixelMasks& other) const
    {
        return red == other.red && green == other.green && blue == other.blue && alpha == other.alpha;
    }
    bool operator!=(const PixelMasks& other) const { return !(*this == other); }
};

PixelMasks MasksOf(const T3D_TEXTURE& record);
void SetMasks(T3D_TEXTURE& record, const PixelMasks& masks);

// Width and height of level L: the level-0 side shifted right by L.
inline unsigned LevelWidth(const T3D_TEXTURE& record, int level)
{
    return record.width >> level;
}
inline unsigned LevelHeight(const T3D_TEXTURE& record, int level)
{
    return record.height >> level;
}

// Bytes of level L's pixel buffer, computed in 64 bits.
uint64_t LevelByteCount(const T3D_TEXTURE& record, int level);
