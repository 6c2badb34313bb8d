#include "scene/OldSceneFormat.h"

#include "scene/ByteReader.h"
#include "scene/LittleEndian.h"
#include "scene/SceneFormat.h"
#include "scene/TextureSection.h"

#include <cstdint>
#include <utility>

namespace {

bool ReadHeader(ByteReader& reader, uint16_t& textureCount, uint32_t& chunkCount)
{
    uint32_t magic;
    uint16_t version;
    return reader.u32(magic) && magic == kOldSceneMagic && reader.u16(version) &&
           version == kOldSceneVersion && reader.u16(textureCount) && reader.u32(chunkCount) &&
           reader.zeros(4) && chunkCount <= reader.remaining() / kOldChunkHeaderSize;
}

bool ReadChunk(ByteReader& reader, SceneData& scene)
{
    uint32_t tag, size;
    uint8_t* content;
    if (!reader.u32(tag) || !reader.u32(size) || !reader.view(size, content) ||
        !reader.zeros(SectionPadding(size)))
        return false;
    if (tag == kDirectoryTag)
        return false;
    if (tag != kTextureTag) {
        scene.appendOpaque({tag, content, size});
        return true;
    }
    SceneTexture texture;
    if (scene.textures().size() >= kMaxSceneTextures ||
        !DecodeTextureSection(content, size, texture.record))
        return false;
    texture.pixelBytes = size - kStoredTextureRecordSize;
    scene.appendTexture(std::move(texture));
    return true;
}

void AddChunkHeader(uint32_t tag, uint64_t size, ScenePieces& out)
{
    std::vector<uint8_t> header;
    AppendU32(header, tag);
    AppendU32(header, uint32_t(size));
    out.addOwned(std::move(header));
}

}  // namespace

bool ReadOldScene(ByteBlock bytes, SceneData& scene)
{
    scene.fileBytes = std::move(bytes);
    ByteReader reader(scene.fileBytes.data(), scene.fileBytes.size());
    uint16_t textureCount;
    uint32_t chunkCount;
    if (!ReadHeader(reader, textureCount, chunkCount))
        return false;
    scene.setFormat(kOldSceneMagic, kOldSceneVersion);
    for (uint32_t i = 0; i < chunkCount; ++i)
        if (!ReadChunk(reader, scene))
            return false;
    return reader.remaining() == 0 && scene.textures().size() == textureCount;
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
            out.addView(texture.record.levels[0], texture.pixelBytes);
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
