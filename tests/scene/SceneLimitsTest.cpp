// The limits of scene files: counts and lengths that claim far more than the
// file holds fail without large allocations, and a scene with as many
// textures as the format counts loads and writes in both formats.
#include "SceneTestBytes.h"

#include "scene/CVK7QScene.h"
#include "scene/SceneOutline.h"
#include "support/LargestAllocation.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

std::string WithCorrectCrc(const std::string& tag, uint64_t claimedLength, const std::string& content)
{
    const std::string head = tag + U64(claimedLength);
    return head + Crc(head + content) + content;
}

TEST(SceneLimits, ClaimsBeyondTheFileFailWithoutLargeAllocations)
{
    if (!LargestAllocation::available())
        GTEST_SKIP() << "allocations can be watched only with the address checker";
    const TextureRecord texture = MakeTexture(4, 4, 32, 1, 0, "t", 1);
    const std::string content = TextureContent(texture.record());
    const std::string oldHeader = "VK7O" + U16(1);
    const struct {
        const char* what;
        std::string bytes;
    } claims[] = {
        {"new: four billion sections", NewFileHeader(0xFFFFFFFF) + Repeat(0, 4096)},
        {"new: a section of 2^62 bytes", NewFileHeader(2) + WithCorrectCrc("TXTR", uint64_t(1) << 62, content)},
        {"new: a directory of four billion entries",
         NewFileHeader(1) + NewSection("TDIR", U32(0xFFFFFFFF) + U32(0) + Repeat(0, 64))},
        {"old: four billion chunks", oldHeader + U16(1) + U32(0xFFFFFFFF) + U32(0) + Repeat(0, 4096)},
        {"old: a chunk of 4 GiB", oldHeader + U16(1) + U32(1) + U32(0) + "TXTR" + U32(0xFFFFFFFF) + content},
        {"old: 65535 textures, one chunk",
         oldHeader + U16(0xFFFF) + U32(1) + U32(0) + "TXTR" + U32(uint32_t(content.size())) + content},
        {"a texture of 65535 x 65535 x 32 in 4 KiB", oldHeader + U16(1) + U32(1) + U32(0) + "TXTR" +
                                                         U32(uint32_t(content.size())) + U16(0xFFFF) + U16(0xFFFF) +
                                                         content.substr(4)},
    };
    TempDir dir;
    const std::string path = dir.file("claims.T3D");
    for (const auto& claim : claims) {
        SCOPED_TRACE(claim.what);
        ASSERT_TRUE(WriteFileBytes(path, claim.bytes));
        CVK7QScene scene;
        LargestAllocation watch;
        EXPECT_EQ(0, scene.Load(path.c_str(), 0));
        EXPECT_LT(watch.bytes(), size_t(1) << 20);
        EXPECT_EQ(0, scene.GetSceneHeader()->textureCount);
        // The outline's one allocation of note is its buffer.
        SceneOutline outline;
        LargestAllocation outlineWatch;
        EXPECT_EQ(0, outline.Load(path.c_str()));
        EXPECT_LE(outlineWatch.bytes(), size_t(4) << 20);
    }
}

TEST(SceneLimits, AsManyTexturesAsTheCountHoldsLoadAndWrite)
{
    CVK7QScene scene;
    for (size_t i = 0; i < 0xFFFF; ++i) {
        const TextureRecord texture = MakeTexture(1, 1, 32, 1, 0, "t" + std::to_string(i), uint8_t(i % 251));
        ASSERT_EQ(1, scene.AppendT3DTexture(&texture.record())) << i;
    }
    const TextureRecord oneMore = MakeTexture(1, 1, 32, 1, 0, "one too many", 0);
    EXPECT_EQ(0, scene.AppendT3DTexture(&oneMore.record()));

    TempDir dir;
    const std::string newPath = dir.file("many.T3D");
    const std::string oldPath = dir.file("many_old.T3D");
    ASSERT_EQ(1, scene.Write(newPath.c_str()));
    ASSERT_EQ(1, scene.WriteOld(oldPath.c_str()));
    for (const std::string& path : {newPath, oldPath}) {
        SCOPED_TRACE(path);
        CVK7QScene loaded;
        ASSERT_EQ(1, loaded.Load(path.c_str(), 0));
        const VK7Q_HEADER* header = loaded.GetSceneHeader();
        ASSERT_EQ(0xFFFF, header->textureCount);
        for (size_t i : {size_t(0), size_t(12345), size_t(0xFFFE)})
            ExpectSameTexture(scene.GetSceneHeader()->textures[i], header->textures[i]);
        // Headers and records that straddle the outline's reads, and a
        // directory of 2 MiB.
        ExpectOutlineShows(path, *header);
    }
}

}  // namespace
