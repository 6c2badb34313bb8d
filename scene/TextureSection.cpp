#include "scene/TextureSection.h"

#include "texture/io/LittleEndian.h"

#include <cstring>

namespace {

// Stored offsets of the fields after the masks (those follow the record).
constexpr size_t kFlagsOffset = 24;
constexpr size_t kLevelCountOffset = 28;
constexpr size_t kPaletteOffset = 30;
constexpr size_t kPaletteBytes = kPaletteEntries * 4;
constexpr size_t kAlignment1Offset = 1054;
constexpr size_t kStoredLevelSlotsBytes = kStoredNameOffset - kStoredLevelsOffset;

static_assert(kPaletteOffset + kPaletteBytes == kAlignment1Offset);
static_assert(kStoredNameOffset + kTextureNameSize == kStoredTextureRecordSize);

bool AllZero(const uint8_t* bytes, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (bytes[i] != 0)
            return false;
    return true;
}

}  // namespace

bool IsSceneTexture(const T3D_TEXTURE& record)
{
    return BytesPerPixel(record.depth) != 0 && record.levelCount >= 1 && record.levelCount <= kMaxTextureLevels &&
           record.width >= 1 && record.height >= 1;
}

uint64_t TexturePixelBytes(const T3D_TEXTURE& record)
{
    uint64_t total = 0;
    for (int level = 0; level < record.levelCount && level < kMaxTextureLevels; ++level)
        total += LevelByteCount(record, level);
    return total;
}

void EncodeStoredRecord(const T3D_TEXTURE& record, uint8_t* out)
{
    PutU16(out + 0, record.width);
    PutU16(out + 2, record.height);
    PutU16(out + 4, record.depth);
    PutU16(out + 6, record.alignment0);
    PutU32(out + 8, record.redMask);
    PutU32(out + 12, record.greenMask);
    PutU32(out + 16, record.blueMask);
    PutU32(out + 20, record.alphaMask);
    PutU32(out + kFlagsOffset, record.flags);
    PutU16(out + kLevelCountOffset, record.levelCount);
    std::memcpy(out + kPaletteOffset, record.palette, kPaletteBytes);
    PutU16(out + kAlignment1Offset, record.alignment1);
    std::memset(out + kStoredLevelsOffset, 0, kStoredLevelSlotsBytes);
    std::memcpy(out + kStoredNameOffset, record.name, kTextureNameSize);
}

bool DecodeTextureSection(uint8_t* content, uint64_t held, uint64_t size, T3D_TEXTURE& record)
{
    if (held < kStoredTextureRecordSize)
        return false;
    ClearTextureRecord(record);
    record.width = GetU16(content + 0);
    record.height = GetU16(content + 2);
    record.depth = GetU16(content + 4);
    record.alignment0 = GetU16(content + 6);
    record.redMask = GetU32(content + 8);
    record.greenMask = GetU32(content + 12);
    record.blueMask = GetU32(content + 16);
    record.alphaMask = GetU32(content + 20);
    record.flags = GetU32(content + kFlagsOffset);
    record.levelCount = GetU16(content + kLevelCountOffset);
    std::memcpy(record.palette, content + kPaletteOffset, kPaletteBytes);
    record.alignment1 = GetU16(content + kAlignment1Offset);
    std::memcpy(record.name, content + kStoredNameOffset, kTextureNameSize);

    if (!IsSceneTexture(record) || !AllZero(content + kStoredLevelsOffset, kStoredLevelSlotsBytes) ||
        std::memchr(record.name, '\0', kTextureNameSize) == nullptr)
        return false;
    if (TexturePixelBytes(record) != size - kStoredTextureRecordSize)
        return false;
    if (held < size)
        return true;

    uint8_t* pixels = content + kStoredTextureRecordSize;
    for (int level = 0; level < record.levelCount; ++level) {
        record.levels[level] = pixels;
        pixels += LevelByteCount(record, level);
    }
    return true;
}
