// Test helpers for scene files: textures with recognisable pixels, and scene
// files laid out byte by byte as docs/scene-format.md describes them, so tests
// state their input directly.
#pragma once

#include "scene/CVK7QScene.h"
#include "support/TextureBuilder.h"
#include "support/TextureCompare.h"
#include "support/TgaTestBytes.h"
#include "texture/T3DTexture.h"
#include "texture/TextureRecord.h"

#include <cstdint>
#include <string>
#include <vector>

// A texture whose every pixel byte follows from (seed, level, position).
TextureRecord MakeTexture(uint16_t width, uint16_t height, uint16_t depth, int levels, uint32_t flags,
                          const std::string& name, uint8_t seed);

std::string U64(uint64_t v);
std::string Crc(const std::string& bytes);

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

// The outline of the file at `path` shows what `loaded`, its whole load,
// shows: the same header and records, with every level slot null.
void ExpectOutlineShows(const std::string& path, const VK7Q_HEADER& loaded);

// Old format: one chunk, and a whole file.
std::string OldChunk(const std::string& tag, const std::string& content);
std::string OldFile(const std::vector<LaidSection>& sections);
