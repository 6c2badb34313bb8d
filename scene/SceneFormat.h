// The numbers that name the two scene file formats and their section tags.
// docs/scene-format.md lays both formats out byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>

// A four-character code as the little-endian 32-bit value it is stored as.
constexpr uint32_t FourCharCode(const char (&text)[5])
{
    return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 | uint32_t(uint8_t(text[2])) << 16 |
           uint32_t(uint8_t(text[3])) << 24;
}

constexpr uint32_t kNewSceneMagic = FourCharCode("VK7N");
constexpr uint32_t kOldSceneMagic = FourCharCode("VK7O");
constexpr uint16_t kNewSceneVersion = 1;
constexpr uint16_t kOldSceneVersion = 1;

// Section tags shared by both formats; any other tag is data this tool keeps
// without reading it.
constexpr uint32_t kTextureTag = FourCharCode("TXTR");
constexpr uint32_t kDirectoryTag = FourCharCode("TDIR");  // new format only

constexpr size_t kSceneFileHeaderSize = 16;  // both formats
constexpr size_t kNewSectionHeaderSize = 16;
constexpr size_t kOldChunkHeaderSize = 8;
constexpr size_t kDirectoryHeaderSize = 8;
constexpr size_t kDirectoryEntrySize = 32;
// Every section's contents are followed by zeros up to this multiple, so that
// pixel levels read into memory start aligned for their pixel size.
constexpr size_t kSectionAlignment = 8;

// A scene's textures are counted in 16 bits.
constexpr size_t kMaxSceneTextures = 0xFFFF;

constexpr uint64_t SectionPadding(uint64_t contentSize)
{
    return (kSectionAlignment - contentSize % kSectionAlignment) % kSectionAlignment;
}
