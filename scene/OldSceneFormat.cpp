#include "scene/OldSceneFormat.h"

#include "scene/SceneFormat.h"
#include "scene/TextureSection.h"
#include "texture/io/LittleEndian.h"

#include <cstdint>
#include <string>
#include <utility>

namespace {

SceneStatus ReadHeader(SceneInput& reader, uint16_t& textureCount, uint32_t& chunkCount)
{
    const uint8_t* header = reader.take(kSceneFileHeaderSize);
    if (!header)
        return SceneFailure(SceneCause::Truncated, "in the file header");
    const uint16_t version = GetU16(header + 4);
    textureCount = GetU16(header + 6);
    chunkCount = GetU32(header + 8);
    if (GetU32(header) != kOldSceneMagic)
        return SceneFailure(SceneCause::NotSceneFile);
    if (version != kOldSceneVersion)
        return SceneFailure(SceneCause::UnsupportedVersion, "old format, version " + std::to_string(version));
    if (GetU32(header + 12) != 0)
        return SceneFailure(SceneCause::Damaged, "file header");
    if (chunkCount > reader.remaining() / kOldChunkHeaderSize)
        return SceneFailure(SceneCause::Truncated,
                            "the header counts " + std::to_string(chunkCount) + " chunks, more than the file holds");
    return {};
}

SceneStatus ReadChunk(SceneInput& reader, uint32_t index, SceneData& scene)
{
    uint32_t tag, size;
    uint8_t* content;
    uint64_t held;
    if (!reader.readU32(tag) || !reader.readU32(size))
        return SceneFailure(SceneCause::Truncated, "in the header of chunk " + std::to_string(index + 1));
    const std::string name = SectionName("chunk", index, tag);
    const uint64_t padding = SectionPadding(size);
    // Only a texture's record is looked into: this format has no checksums.
    const uint64_t keep = tag == kTextureTag ? kStoredTextureRecordSize : 0;
    if (!(content = reader.takeContents(size, keep, held, nullptr)) || reader.remaining() < padding)
        return SceneFailure(SceneCause::Truncated, name + " ends past the end of the file");
    if (!reader.zeros(padding))
        return SceneFailure(SceneCause::Damaged, name + ": padding is not zero");
    if (tag == kDirectoryTag)
        return SceneFailure(SceneCause::Damaged, name + ": a texture directory, which this format has not");
    if (tag != kTextureTag) {
        scene.appendOpaque({tag, held == size ? content : nullptr, size});
        return {};
    }
    SceneTexture texture;
    if (scene.textures().size() >= kMaxSceneTextures)
        return SceneFailure(SceneCause::Damaged, "more textures than a scene can hold");
    if (!DecodeTextureSection(content, held, size, texture.record))
        return SceneFailure(SceneCause::Damaged, name + ": not a valid texture");
    texture.pixelBytes = size - kStoredTextureRecordSize;
    scene.appendTexture(std::move(texture));
    return {};
}

void AddChunkHeader(uint32_t tag, uint64_t size, ScenePieces& out)
{
    std::vector<uint8_t> header;
    AppendU32(header, tag);
    AppendU32(header, uint32_t(size));
    out.addOwned(std::move(header));
}

}  // namespace

SceneStatus ReadOldScene(SceneInput& reader, SceneData& scene)
{
    uint16_t textureCount;
    uint32_t chunkCount;
    if (SceneStatus header = ReadHeader(reader, textureCount, chunkCount); !header.ok())
        return header;
    scene.setLoadedFormat(kOldSceneMagic, kOldSceneVersion);
    for (uint32_t i = 0; i < chunkCount; ++i) {
        if (SceneStatus chunk = ReadChunk(reader, i, scene); !chunk.ok())
            return chunk;
    }
    if (reader.remaining() != 0)
        return SceneFailure(SceneCause::Damaged, "bytes after the last chunk");
    if (scene.textures().size() != textureCount)
        return SceneFailure(SceneCause::Damaged, "the header counts " + std::to_string(textureCount) +
                                                     " textures, the file holds " +
                                                     std::to_string(scene.textures().size()));
    return {};
}

bool LayOutOldScene(const SceneData& scene, ScenePieces& out)
{
    if (scene.order().size() > UINT32_MAX)
        return false;
    std::vector<uint8_t> header;
    AppendU32(header, kOldSceneMagic);
    AppendU16(header, kOldSceneVersion);
    AppendU16(header, uint16_t(scene.textures().size()));
    AppendU32(header, uint32_t(scene.order().size()));
    AppendU32(header, 0);
    out.addOwned(std::move(header));

    for (const SectionRef& ref : scene.order()) {
        if (ref.isTexture) {
            const SceneTexture& texture = scene.textures()[ref.index];
            const uint64_t size = kStoredTextureRecordSize + texture.pixelBytes;
            if (size > UINT32_MAX)
                return false;
            std::vector<uint8_t> record(kStoredTextureRecordSize);
            EncodeStoredRecord(texture.record, record.data());
            AddChunkHeader(kTextureTag, size, out);
            out.addOwned(std::move(record));
            for (const PixelRun& run : PixelRuns(texture))
                out.addView(run.bytes, run.size);
            out.addPadding(size);
        } else {
            const OpaqueSection& section = scene.opaques()[ref.index];
            if (section.size > UINT32_MAX)
                return false;
            AddChunkHeader(section.tag, section.size, out);
            out.addView(section.bytes, section.size);
            out.addPadding(section.size);
        }
    }
    return true;
}
