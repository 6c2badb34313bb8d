#include "scene/NewSceneFormat.h"

#include "scene/Checksum.h"
#include "scene/SceneFormat.h"
#include "scene/TextureSection.h"
#include "texture/io/ByteCursor.h"
#include "texture/io/LittleEndian.h"

#include <cstdint>
#include <string>
#include <utility>

namespace {

// The header's and each section header's CRC covers the bytes before it.
constexpr size_t kHeaderCrcOffset = 12;
constexpr size_t kSectionCrcOffset = 12;

struct Section {
    uint32_t tag = 0;
    uint8_t* content = nullptr;  // the first `held` of its `size` bytes
    uint64_t held = 0;
    uint64_t size = 0;
    uint32_t contentCrc = 0;
};

uint64_t SectionContentSize(const SceneData& scene, const SectionRef& ref)
{
    if (ref.isTexture)
        return kStoredTextureRecordSize + scene.textures()[ref.index].pixelBytes;
    return scene.opaques()[ref.index].size;
}

uint64_t SectionFileSize(uint64_t contentSize)
{
    return kNewSectionHeaderSize + contentSize + SectionPadding(contentSize);
}

std::vector<uint8_t> SectionHeader(uint32_t tag, uint64_t contentSize, uint32_t contentCrc)
{
    std::vector<uint8_t> header;
    AppendU32(header, tag);
    AppendU64(header, contentSize);
    AppendU32(header, CombineCrc32(Crc32(header.data(), header.size()), contentCrc, contentSize));
    return header;
}

std::vector<uint8_t> EncodeDirectory(const std::vector<DirectoryEntry>& entries)
{
    std::vector<uint8_t> out;
    out.reserve(kDirectoryHeaderSize + entries.size() * kDirectoryEntrySize);
    AppendU32(out, uint32_t(entries.size()));
    AppendU32(out, 0);
    for (const DirectoryEntry& e : entries) {
        AppendU64(out, e.sectionOffset);
        AppendU64(out, e.contentSize);
        AppendU32(out, e.contentCrc);
        AppendU16(out, e.width);
        AppendU16(out, e.height);
        AppendU16(out, e.depth);
        AppendU16(out, e.levelCount);
        AppendU32(out, e.flags);
    }
    return out;
}

bool DecodeDirectory(uint8_t* content, uint64_t size, std::vector<DirectoryEntry>& out)
{
    MutableByteCursor reader(content, size_t(size));
    uint32_t count;
    // No scene has more textures than its count can say.
    if (!reader.readU32(count) || !reader.zeros(4) || count > kMaxSceneTextures ||
        reader.remaining() != uint64_t(count) * kDirectoryEntrySize)
        return false;
    out.resize(count);
    for (DirectoryEntry& e : out) {
        if (!reader.readU64(e.sectionOffset) || !reader.readU64(e.contentSize) || !reader.readU32(e.contentCrc) ||
            !reader.readU16(e.width) || !reader.readU16(e.height) || !reader.readU16(e.depth) ||
            !reader.readU16(e.levelCount) || !reader.readU32(e.flags))
            return false;  // the count was checked against the size: never taken
    }
    return true;
}

// The contents of a section the reader looks into: a texture's record, the
// directory whole; the rest is only checksummed.
uint64_t ContentsToKeep(uint32_t tag, uint64_t size)
{
    if (tag == kTextureTag)
        return kStoredTextureRecordSize;
    return tag == kDirectoryTag ? size : 0;
}

// Reads section `index` and checks its padding and CRC.
SceneStatus ReadSection(SceneInput& reader, uint32_t index, Section& section)
{
    const uint8_t* header = reader.take(kNewSectionHeaderSize);
    if (!header)
        return SceneFailure(SceneCause::Truncated, "in the header of section " + std::to_string(index + 1));
    section.tag = GetU32(header);
    section.size = GetU64(header + 4);
    const uint32_t storedCrc = GetU32(header + kSectionCrcOffset);
    const uint32_t headerCrc = Crc32(header, kSectionCrcOffset);
    const std::string name = SectionName("section", index, section.tag);
    const uint64_t padding = SectionPadding(section.size);
    const uint64_t keep = ContentsToKeep(section.tag, section.size);
    if (!(section.content = reader.takeContents(section.size, keep, section.held, &section.contentCrc)) ||
        reader.remaining() < padding)
        return SceneFailure(SceneCause::Truncated, name + " ends past the end of the file");
    if (!reader.zeros(padding))
        return SceneFailure(SceneCause::Damaged, name + ": padding is not zero");
    if (CombineCrc32(headerCrc, section.contentCrc, section.size) != storedCrc)
        return SceneFailure(SceneCause::Damaged, name + ": checksum does not match");
    return {};
}

SceneStatus AddTexture(const Section& section, uint32_t index, SceneData& scene)
{
    SceneTexture texture;
    if (scene.textures().size() >= kMaxSceneTextures)
        return SceneFailure(SceneCause::Damaged, "more textures than a scene can hold");
    if (!DecodeTextureSection(section.content, section.held, section.size, texture.record))
        return SceneFailure(SceneCause::Damaged, SectionName("section", index, section.tag) + ": not a valid texture");
    texture.pixelBytes = section.size - kStoredTextureRecordSize;
    texture.contentCrc = section.contentCrc;
    texture.contentCrcKnown = true;
    scene.appendTexture(std::move(texture));
    return {};
}

SceneStatus ReadHeader(SceneInput& reader, uint32_t& sectionCount)
{
    const uint8_t* header = reader.take(kSceneFileHeaderSize);
    if (!header)
        return SceneFailure(SceneCause::Truncated, "in the file header");
    sectionCount = GetU32(header + 8);
    const uint16_t version = GetU16(header + 4);
    if (GetU32(header) != kNewSceneMagic)
        return SceneFailure(SceneCause::NotSceneFile);
    if (Crc32(header, kHeaderCrcOffset) != GetU32(header + kHeaderCrcOffset))
        return SceneFailure(SceneCause::Damaged, "file header checksum does not match");
    if (version != kNewSceneVersion)
        return SceneFailure(SceneCause::UnsupportedVersion, "new format, version " + std::to_string(version));
    if (GetU16(header + 6) != 0 || sectionCount < 1)
        return SceneFailure(SceneCause::Damaged, "file header");
    if (sectionCount > reader.remaining() / kNewSectionHeaderSize)
        return SceneFailure(SceneCause::Truncated, "the header counts " + std::to_string(sectionCount) +
                                                       " sections, more than the file holds");
    return {};
}

}  // namespace

SceneStatus ReadNewScene(SceneInput& reader, SceneData& scene)
{
    uint32_t sectionCount;
    if (SceneStatus header = ReadHeader(reader, sectionCount); !header.ok())
        return header;
    scene.setLoadedFormat(kNewSceneMagic, kNewSceneVersion);

    std::vector<DirectoryEntry> storedDirectory;
    for (uint32_t i = 0; i < sectionCount; ++i) {
        Section section;
        if (SceneStatus read = ReadSection(reader, i, section); !read.ok())
            return read;
        const bool last = i + 1 == sectionCount;
        if (section.tag == kDirectoryTag) {
            // Exactly one directory, and it closes the file.
            if (!last)
                return SceneFailure(SceneCause::Damaged, SectionName("section", i, section.tag) +
                                                             ": a texture directory before the last section");
            if (section.held < section.size || !DecodeDirectory(section.content, section.size, storedDirectory))
                return SceneFailure(SceneCause::Damaged,
                                    SectionName("section", i, section.tag) + ": texture directory");
        } else if (last) {
            return SceneFailure(SceneCause::Damaged, "no texture directory at the end");
        } else if (section.tag == kTextureTag) {
            if (SceneStatus added = AddTexture(section, i, scene); !added.ok())
                return added;
        } else {
            const uint8_t* bytes = section.held == section.size ? section.content : nullptr;
            scene.appendOpaque({section.tag, bytes, section.size, section.contentCrc, true});
        }
    }
    if (reader.remaining() != 0)
        return SceneFailure(SceneCause::Damaged, "bytes after the texture directory");
    if (!(BuildDirectory(scene) == storedDirectory))
        return SceneFailure(SceneCause::Damaged, "the texture directory does not match the textures");
    scene.directory = std::move(storedDirectory);
    scene.directoryCurrent = true;
    return {};
}

std::vector<DirectoryEntry> BuildDirectory(const SceneData& scene)
{
    std::vector<DirectoryEntry> entries;
    entries.reserve(scene.textures().size());
    uint64_t offset = kSceneFileHeaderSize;
    for (const SectionRef& ref : scene.order()) {
        const uint64_t contentSize = SectionContentSize(scene, ref);
        if (ref.isTexture) {
            const SceneTexture& texture = scene.textures()[ref.index];
            const T3D_TEXTURE& r = texture.record;
            entries.push_back(
                {offset, contentSize, texture.contentCrc, r.width, r.height, r.depth, r.levelCount, r.flags});
        }
        offset += SectionFileSize(contentSize);
    }
    return entries;
}

bool LayOutNewScene(const SceneData& scene, ScenePieces& out)
{
    const uint64_t sectionCount = uint64_t(scene.order().size()) + 1;
    if (sectionCount > UINT32_MAX)
        return false;
    std::vector<uint8_t> header;
    AppendU32(header, kNewSceneMagic);
    AppendU16(header, kNewSceneVersion);
    AppendU16(header, 0);
    AppendU32(header, uint32_t(sectionCount));
    AppendU32(header, Crc32(header.data(), header.size()));
    out.addOwned(std::move(header));

    for (const SectionRef& ref : scene.order()) {
        const uint64_t contentSize = SectionContentSize(scene, ref);
        if (ref.isTexture) {
            const SceneTexture& texture = scene.textures()[ref.index];
            std::vector<uint8_t> record(kStoredTextureRecordSize);
            EncodeStoredRecord(texture.record, record.data());
            out.addOwned(SectionHeader(kTextureTag, contentSize, texture.contentCrc));
            out.addOwned(std::move(record));
            for (const PixelRun& run : PixelRuns(texture))
                out.addView(run.bytes, run.size);
        } else {
            const OpaqueSection& section = scene.opaques()[ref.index];
            out.addOwned(SectionHeader(section.tag, contentSize, section.contentCrc));
            out.addView(section.bytes, section.size);
        }
        out.addPadding(contentSize);
    }

    std::vector<uint8_t> directory = EncodeDirectory(scene.directory);
    const uint64_t directorySize = directory.size();
    out.addOwned(SectionHeader(kDirectoryTag, directorySize, Crc32(directory.data(), directorySize)));
    out.addOwned(std::move(directory));
    out.addPadding(directorySize);
    return true;
}
