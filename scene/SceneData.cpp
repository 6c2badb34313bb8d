#include "scene/SceneData.h"

#include "scene/Checksum.h"
#include "scene/SceneFormat.h"
#include "scene/TextureSection.h"

#include <cstring>
#include <utility>

namespace {

uint32_t TextureContentCrc(const SceneTexture& texture)
{
    uint8_t stored[kStoredTextureRecordSize];
    EncodeStoredRecord(texture.record, stored);
    uint32_t crc = Crc32(stored, sizeof stored);
    for (const PixelRun& run : PixelRuns(texture))
        crc = Crc32(run.bytes, run.size, crc);
    return crc;
}

// Whether the record can be a scene texture: its kind, and a buffer for every
// counted level.
bool WholeSceneTexture(const T3D_TEXTURE& source)
{
    if (!IsSceneTexture(source))
        return false;
    for (int level = 0; level < source.levelCount; ++level)
        if (!source.levels[level])
            return false;
    return true;
}

// The record as the scene keeps it: no alignment bytes, zeros after the
// name's terminator, no levels past the counted ones.
T3D_TEXTURE SceneRecordOf(const T3D_TEXTURE& source)
{
    T3D_TEXTURE record = source;
    record.alignment0 = 0;
    record.alignment1 = 0;
    std::memset(record.name, 0, kTextureNameSize);
    std::memcpy(record.name, source.name, strnlen(source.name, kTextureNameSize - 1));
    for (int level = source.levelCount; level < kMaxTextureLevels; ++level)
        record.levels[level] = nullptr;
    return record;
}

}  // namespace

bool DirectoryEntry::operator==(const DirectoryEntry& other) const
{
    return sectionOffset == other.sectionOffset && contentSize == other.contentSize && contentCrc == other.contentCrc &&
           width == other.width && height == other.height && depth == other.depth && levelCount == other.levelCount &&
           flags == other.flags;
}

SceneData::SceneData()
{
    std::memset(&header_, 0, sizeof header_);
}

void SceneData::startEmpty()
{
    setLoadedFormat(kNewSceneMagic, kNewSceneVersion);
    updateHeader();
}

void SceneData::setLoadedFormat(uint32_t magic, uint16_t version)
{
    loaded_ = true;
    header_.magic = magic;
    header_.version = version;
}

void SceneData::appendTexture(SceneTexture texture)
{
    order_.push_back({true, textures_.size()});
    published_.push_back(texture.record);
    textures_.push_back(std::move(texture));
    directoryCurrent = false;
    updateHeader();
}

void SceneData::appendOpaque(const OpaqueSection& section)
{
    order_.push_back({false, opaques_.size()});
    opaques_.push_back(section);
    updateHeader();
}

void SceneData::replaceTexture(size_t index, SceneTexture texture)
{
    published_[index] = texture.record;
    textures_[index] = std::move(texture);
    directoryCurrent = false;
}

void SceneData::setTextureInfo(size_t index, uint32_t flags, const char* name)
{
    T3D_TEXTURE& record = textures_[index].record;
    record.flags = flags;
    std::memset(record.name, 0, kTextureNameSize);
    std::memcpy(record.name, name, strnlen(name, kTextureNameSize - 1));
    published_[index] = record;
    textures_[index].contentCrcKnown = false;
    directoryCurrent = false;
}

void SceneData::computeChecksums(bool all)
{
    for (SceneTexture& texture : textures_) {
        if (all || !texture.contentCrcKnown) {
            texture.contentCrc = TextureContentCrc(texture);
            texture.contentCrcKnown = true;
        }
    }
    for (OpaqueSection& section : opaques_) {
        if (all || !section.contentCrcKnown) {
            section.contentCrc = Crc32(section.bytes, section.size);
            section.contentCrcKnown = true;
        }
    }
}

void SceneData::updateHeader()
{
    header_.textureCount = uint16_t(textures_.size());
    header_.sectionCount = uint32_t(opaques_.size());
    header_.textures = published_.empty() ? nullptr : published_.data();
}

std::vector<PixelRun> PixelRuns(const SceneTexture& texture)
{
    if (!texture.ownLevels.record().levels[0])
        return {{texture.record.levels[0], texture.pixelBytes}};
    std::vector<PixelRun> runs;
    for (int level = 0; level < texture.record.levelCount; ++level)
        runs.push_back({texture.record.levels[level], LevelByteCount(texture.record, level)});
    return runs;
}

bool CopySceneTexture(const T3D_TEXTURE& source, SceneTexture& out)
{
    if (!WholeSceneTexture(source))
        return false;
    SceneTexture copy;
    copy.record = SceneRecordOf(source);
    copy.pixelBytes = TexturePixelBytes(source);
    if (copy.pixelBytes > SIZE_MAX || !copy.ownPixels.allocate(size_t(copy.pixelBytes)))
        return false;

    uint8_t* at = copy.ownPixels.data();
    for (int level = 0; level < source.levelCount; ++level) {
        const uint64_t bytes = LevelByteCount(source, level);
        std::memcpy(at, source.levels[level], size_t(bytes));
        copy.record.levels[level] = at;
        at += bytes;
    }
    out = std::move(copy);
    return true;
}

bool TakeSceneTexture(TextureRecord& source, SceneTexture& out)
{
    if (!WholeSceneTexture(source.record()))
        return false;
    SceneTexture taken;
    taken.record = SceneRecordOf(source.record());
    taken.pixelBytes = TexturePixelBytes(source.record());
    taken.ownLevels = std::move(source);
    out = std::move(taken);
    return true;
}
