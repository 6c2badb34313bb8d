// The scene in memory: its textures, the sections this tool keeps without
// reading them, their order in the file, and the derived texture directory.
//
// A loaded scene keeps the file's bytes in one block; texture pixels and
// opaque sections are read in place from it, so loading copies each byte once.
// A replaced or added texture gets a block of its own, or keeps the level
// buffers of a record taken over. The scene works from its own copy of each
// record; the records handed out through the header are a mirror of it, so
// whatever a caller does to them cannot make a write read outside the scene's
// buffers.
#pragma once

#include "scene/CVK7QScene.h"
#include "texture/T3DTexture.h"
#include "texture/TextureRecord.h"
#include "texture/io/ByteBlock.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct SceneTexture {
    T3D_TEXTURE record;       // levels point into the file's bytes, ownPixels or ownLevels
    uint64_t pixelBytes = 0;  // all levels together
    ByteBlock ownPixels;      // a copy, levels one after another; empty when the pixels lie elsewhere
    TextureRecord ownLevels;  // a record's levels taken over, each in its buffer; else empty
    uint32_t contentCrc = 0;  // of the stored record followed by the pixels
    bool contentCrcKnown = false;
};

// A run of a texture's pixel bytes.
struct PixelRun {
    const uint8_t* bytes;
    uint64_t size;
};

// The texture's pixels in the file's order: one run where they lie in one
// block (from levels[0]), one a level where a record's levels were taken over.
std::vector<PixelRun> PixelRuns(const SceneTexture& texture);

struct OpaqueSection {
    uint32_t tag;
    const uint8_t* bytes;
    uint64_t size;
    uint32_t contentCrc = 0;
    bool contentCrcKnown = false;
};

// One place in the file's section order: a texture or an opaque section.
struct SectionRef {
    bool isTexture;
    size_t index;
};

// One texture's entry in the new format's directory.
struct DirectoryEntry {
    uint64_t sectionOffset;
    uint64_t contentSize;
    uint32_t contentCrc;
    uint16_t width;
    uint16_t height;
    uint16_t depth;
    uint16_t levelCount;
    uint32_t flags;

    bool operator==(const DirectoryEntry& other) const;
};

class SceneData {
public:
    SceneData();
    SceneData(const SceneData&) = delete;
    SceneData& operator=(const SceneData&) = delete;

    // Starts an empty scene in the new format.
    void startEmpty();
    // Marks the scene loaded, in the format of this magic and version.
    void setLoadedFormat(uint32_t magic, uint16_t version);
    // Appends a texture or an opaque section at the end of the section order.
    void appendTexture(SceneTexture texture);
    void appendOpaque(const OpaqueSection& section);
    // Swaps in a new texture at index (in range).
    void replaceTexture(size_t index, SceneTexture texture);
    // Gives the texture at index (in range) these flags and this name (255
    // characters at most); its pixels stay where they are.
    void setTextureInfo(size_t index, uint32_t flags, const char* name);

    // Works out every checksum not yet known; with `all`, every one again.
    void computeChecksums(bool all);

    bool loaded() const { return loaded_; }
    VK7Q_HEADER& header() { return header_; }
    const std::vector<SceneTexture>& textures() const { return textures_; }
    const std::vector<OpaqueSection>& opaques() const { return opaques_; }
    const std::vector<SectionRef>& order() const { return order_; }

    ByteBlock fileBytes;
    std::vector<DirectoryEntry> directory;
    bool directoryCurrent = false;

private:
    // Makes the header show the textures and sections.
    void updateHeader();

    bool loaded_ = false;
    VK7Q_HEADER header_;
    std::vector<SceneTexture> textures_;
    std::vector<T3D_TEXTURE> published_;  // handed out; kept in step with textures_
    std::vector<OpaqueSection> opaques_;
    std::vector<SectionRef> order_;
};

// Copies a caller's record and all its level pixels into a texture with a
// block of its own. Fails when the record is not a scene texture, a counted
// level has no buffer, or the memory cannot be had. The name is cut to 255
// characters, and the bytes after its terminator are zero.
bool CopySceneTexture(const T3D_TEXTURE& source, SceneTexture& out);
// The same without a copy: the record's level buffers are taken over, and
// the record is left empty. Fails, leaving the record as it was, where
// CopySceneTexture would.
bool TakeSceneTexture(TextureRecord& source, SceneTexture& out);
