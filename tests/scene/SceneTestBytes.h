// Test helpers for scene files: textures with recognisable pixels, a field by
// field comparison of records, and scene files laid out byte by byte as
// docs/scene-format.md describes them, so tests state their input directly.
#pragma once

#include "texture/T3DTexture.h"
#include "texture/TextureRecord.h"

#include <cstdint>
#include <string>
#include <vector>

// A texture whose every pixel byte follows from (seed, level, position).
TextureRecord MakeTexture(uint16_t width, uint16_t height, uint16_t depth, int levels, uint32_t flags,
                          const std::string& name, uint8_t seed);

// Every field and every pixel of the counted levels the same; names compared
// as strings. Adds a failure naming the first difference.
void ExpectSameTexture(const T3D_TEXTURE& expected, const T3D_TEXTURE& actual);

std::string U16(uint16_t v);
std::string U32(uint32_t v);
std::string U64(uint64_t v);
std::string Crc(const std::string& bytes);
std::string Zeros(size_t n);

// The 1344 stored bytes of a record (level slots zero).
std::string StoredRecord(const T3D_TEXTURE& record);
// A texture section's contents: the stored record and the level pixels.
std::string TextureContent(const T3D_TEXTURE& record);

struct LaidSection {
    std::string tag;  // four characters
    std::string content;
};

// New format: one section (header, contents, padding).
std::string NewSection(const std::string& tag, const std::string& content);
// New format: the file header for `sectionCount` sections.
std::string NewFileHeader(uint32_t sectionCount);
// The directory contents for the given sections as a new file would hold them.
std::string DirectoryFor(const std::vector<LaidSection>& sections);
// A whole new-format file: the sections, then their directory.
std::string NewFile(const std::vector<LaidSection>& sections);

// Old format: one chunk, and a whole file.
std::string OldChunk(const std::string& tag, const std::string& content);
std::string OldFile(const std::vector<LaidSection>& sections);
