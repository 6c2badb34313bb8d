// The scene readers on arbitrary bytes, either format by the magic. The first
// input byte holds options: bit 0 makes every checksum of a new-format file
// right before reading, so that damage past the checksums is reached; the
// rest is the file. The outline, reading the same bytes from a file in
// passing, must accept or refuse them as the load does, in the same words, and
// show the same records. A scene that loads is laid out in both formats, and
// each layout must read back to the same scene.
#include "fuzz/FuzzSupport.h"
#include "scene/Checksum.h"
#include "scene/NewSceneFormat.h"
#include "scene/OldSceneFormat.h"
#include "scene/SceneData.h"
#include "scene/SceneFormat.h"
#include "scene/ScenePieces.h"
#include "scene/SceneReader.h"
#include "scene/SceneStatus.h"
#include "texture/io/ByteBlock.h"
#include "texture/io/LittleEndian.h"

#include <cstring>
#include <string>

namespace {

// Stores the right CRC in the file header and in every section header the
// bytes hold whole, walking sections by their stored lengths.
void RepairNewChecksums(uint8_t* bytes, size_t size)
{
    if (size < kSceneFileHeaderSize || GetU32(bytes) != kNewSceneMagic)
        return;
    PutU32(bytes + 12, Crc32(bytes, 12));
    size_t at = kSceneFileHeaderSize;
    while (size - at >= kNewSectionHeaderSize) {
        const uint64_t length = GetU64(bytes + at + 4);
        if (length > size - at - kNewSectionHeaderSize)
            return;
        const uint32_t headerCrc = Crc32(bytes + at, 12);
        PutU32(bytes + at + 12, Crc32(bytes + at + kNewSectionHeaderSize, length, headerCrc));
        const uint64_t padded = length + SectionPadding(length);
        if (padded > size - at - kNewSectionHeaderSize)
            return;
        at += kNewSectionHeaderSize + size_t(padded);
    }
}

ByteBlock Concatenate(const ScenePieces& pieces)
{
    ByteBlock out;
    Require(out.allocate(size_t(pieces.totalSize())), "no memory for a small scene's layout");
    size_t at = 0;
    for (const ByteSpan& span : pieces.spans()) {
        if (span.size > 0)
            std::memcpy(out.data() + at, span.data, size_t(span.size));
        at += size_t(span.size);
    }
    return out;
}

bool SameScene(const SceneData& a, const SceneData& b)
{
    if (a.textures().size() != b.textures().size() || a.opaques().size() != b.opaques().size())
        return false;
    for (size_t i = 0; i < a.order().size(); ++i) {
        if (a.order()[i].isTexture != b.order()[i].isTexture || a.order()[i].index != b.order()[i].index)
            return false;
    }
    for (size_t i = 0; i < a.textures().size(); ++i) {
        const SceneTexture& x = a.textures()[i];
        const SceneTexture& y = b.textures()[i];
        if (x.pixelBytes != y.pixelBytes || !SameTexture(x.record, y.record) || x.record.flags != y.record.flags ||
            std::memcmp(x.record.name, y.record.name, kTextureNameSize) != 0)
            return false;
    }
    for (size_t i = 0; i < a.opaques().size(); ++i) {
        const OpaqueSection& x = a.opaques()[i];
        const OpaqueSection& y = b.opaques()[i];
        if (x.tag != y.tag || x.size != y.size || (x.size > 0 && std::memcmp(x.bytes, y.bytes, size_t(x.size)) != 0))
            return false;
    }
    return true;
}

// The outline of the file holding the bytes that gave `loaded` and `status`.
void CheckOutlineAgrees(const std::string& file, const SceneData& loaded, const SceneStatus& status)
{
    SceneData outline;
    const SceneStatus outlined = ReadSceneOutline(file, outline);
    Require(SceneStatusText(outlined) == SceneStatusText(status), "the outline and the load disagree");
    if (!status.ok())
        return;
    Require(outline.textures().size() == loaded.textures().size() && outline.order().size() == loaded.order().size(),
            "the outline counts other sections");
    for (size_t i = 0; i < loaded.textures().size(); ++i) {
        T3D_TEXTURE record = loaded.textures()[i].record;
        std::memset(record.levels, 0, sizeof record.levels);
        Require(std::memcmp(&record, &outline.textures()[i].record, sizeof record) == 0,
                "the outline shows another record");
    }
}

void CheckLayoutReadsBack(const SceneData& scene, bool newFormat)
{
    ScenePieces pieces;
    Require(newFormat ? LayOutNewScene(scene, pieces) : LayOutOldScene(scene, pieces),
            "a loaded scene cannot be laid out");
    SceneData again;
    Require(ReadScene(Concatenate(pieces), again).ok(), "a laid-out scene does not read back");
    Require(SameScene(scene, again), "a laid-out scene reads back different");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    ByteBlock bytes;
    if (!bytes.allocate(size - 1))
        return 0;
    if (size > 1)
        std::memcpy(bytes.data(), data + 1, size - 1);
    if (data[0] & 1)
        RepairNewChecksums(bytes.data(), bytes.size());

    // An empty block has no bytes to point at; the file is still made, empty.
    const std::string file = PutScratchFile("scene.T3D", size > 1 ? bytes.data() : data, bytes.size());
    SceneData scene;
    const SceneStatus status = ReadScene(std::move(bytes), scene);
    CheckOutlineAgrees(file, scene, status);
    if (!status.ok())
        return 0;
    VK7Q_HEADER& header = scene.header();
    Require(header.textureCount == scene.textures().size(), "the header miscounts the textures");
    for (size_t i = 0; i < scene.textures().size(); ++i)
        TouchLevels(header.textures[i]);

    if (!scene.directoryCurrent) {
        scene.computeChecksums(false);
        scene.directory = BuildDirectory(scene);
        scene.directoryCurrent = true;
    }
    CheckLayoutReadsBack(scene, true);
    CheckLayoutReadsBack(scene, false);
    return 0;
}
