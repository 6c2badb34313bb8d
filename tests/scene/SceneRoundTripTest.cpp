// Scenes through load and write: files laid out by hand load to the textures
// they hold and write back to the same bytes; built scenes survive both
// formats; sections this tool does not read survive every conversion.
#include "SceneTestBytes.h"

#include "scene/CVK7QScene.h"
#include "scene/SceneFormat.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Eight textures over every depth, square and oblong, one to eight levels.
std::vector<TextureRecord> VarietyOfTextures()
{
    std::vector<TextureRecord> textures;
    textures.push_back(MakeTexture(16, 16, 8, 3, 0x03, "crate", 1));
    textures.push_back(MakeTexture(8, 4, 8, 1, 0x80, "grey_strip", 2));
    TextureRecord t565 = MakeTexture(32, 16, 16, 4, 0x21, "floor565", 3);
    t565.record().redMask = 0xF800;
    t565.record().greenMask = kMask565Green;
    t565.record().blueMask = 0x1F;
    textures.push_back(std::move(t565));
    textures.push_back(MakeTexture(4, 8, 16, 2, 0x41, "pipe555", 4));
    textures.push_back(MakeTexture(5, 3, 24, 1, 0x10, "odd_sides", 5));
    textures.push_back(MakeTexture(256, 256, 32, 8, 0xFF, "sky", 6));
    textures.push_back(MakeTexture(64, 2, 32, 3, 0x05, "thin", 7));  // level 2 is 16 x 0
    textures.push_back(MakeTexture(1, 1, 24, 1, 0, "dot", 8));
    return textures;
}

void AppendAll(CVK7QScene& scene, const std::vector<TextureRecord>& textures)
{
    for (const TextureRecord& t : textures)
        ASSERT_EQ(1, scene.AppendT3DTexture(&t.record()));
}

void ExpectSceneHolds(CVK7QScene& scene, const std::vector<TextureRecord>& textures)
{
    VK7Q_HEADER* header = scene.GetSceneHeader();
    ASSERT_EQ(textures.size(), header->textureCount);
    for (size_t i = 0; i < textures.size(); ++i) {
        SCOPED_TRACE(textures[i].record().name);
        ExpectSameTexture(textures[i].record(), header->textures[i]);
    }
}

TEST(SceneRoundTrip, HandLaidNewFileLoadsAndWritesBackTheSameBytes)
{
    TextureRecord paletted = MakeTexture(4, 4, 8, 2, 0x03, "wall_A", 9);
    TextureRecord oblong = MakeTexture(3, 2, 16, 1, 0x80, "glass", 10);
    const std::string file = NewFile({{"TXTR", TextureContent(paletted.record())},
                                      {"MESH", "vertices and faces"},
                                      {"TXTR", TextureContent(oblong.record())},
                                      {"LITE", ""}});
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.file("laid.T3D"), file));

    CVK7QScene scene;
    ASSERT_EQ(1, scene.Load(dir.file("laid.T3D").c_str(), 0));
    VK7Q_HEADER* header = scene.GetSceneHeader();
    EXPECT_EQ(kNewSceneMagic, header->magic);
    EXPECT_EQ(kNewSceneVersion, header->version);
    EXPECT_EQ(2u, header->sectionCount);
    ASSERT_EQ(2, header->textureCount);
    ExpectSameTexture(paletted.record(), header->textures[0]);
    ExpectSameTexture(oblong.record(), header->textures[1]);

    ASSERT_EQ(1, scene.Write(dir.file("again.T3D").c_str()));
    EXPECT_EQ(file, ReadFileBytes(dir.file("again.T3D")));
    // Generating afresh from unchanged textures gives the same directory.
    ASSERT_EQ(1, scene.GenerateC3D());
    ASSERT_EQ(1, scene.Write(dir.file("generated.T3D").c_str()));
    EXPECT_EQ(file, ReadFileBytes(dir.file("generated.T3D")));
}

TEST(SceneRoundTrip, BuiltSceneSurvivesBothFormats)
{
    const std::vector<TextureRecord> textures = VarietyOfTextures();
    CVK7QScene built;
    AppendAll(built, textures);
    EXPECT_EQ(kNewSceneMagic, built.GetSceneHeader()->magic);
    ExpectSceneHolds(built, textures);

    TempDir dir;
    ASSERT_EQ(1, built.GenerateC3D());
    ASSERT_EQ(1, built.Write(dir.file("new.T3D").c_str()));
    ASSERT_EQ(1, built.WriteOld(dir.file("old.T3D").c_str()));

    for (const char* name : {"new.T3D", "old.T3D"}) {
        SCOPED_TRACE(name);
        CVK7QScene loaded;
        ASSERT_EQ(1, loaded.Load(dir.file(name).c_str(), 0));
        ExpectSceneHolds(loaded, textures);
        ExpectOutlineShows(dir.file(name), *loaded.GetSceneHeader());
        // Loaded pixels of 16 and 32 bits lie aligned for reading them whole.
        VK7Q_HEADER* header = loaded.GetSceneHeader();
        for (int i = 0; i < header->textureCount; ++i) {
            const T3D_TEXTURE& t = header->textures[i];
            const unsigned alignment = t.depth == 24 ? 1 : BytesPerPixel(t.depth);
            for (int level = 0; level < t.levelCount; ++level)
                EXPECT_EQ(0u, uintptr_t(t.levels[level]) % alignment) << t.name << " level " << level;
        }
    }
}

TEST(SceneRoundTrip, OpaqueSectionsKeepTheirPlaceThroughEveryConversion)
{
    TextureRecord a = MakeTexture(4, 4, 32, 2, 0x01, "a", 13);
    TextureRecord b = MakeTexture(2, 2, 16, 1, 0x00, "b", 14);
    const std::vector<LaidSection> sections = {{"HEAD", "scene settings"},
                                               {"TXTR", TextureContent(a.record())},
                                               {"MESH", std::string("\0\1\2\3\4\5\6", 7)},
                                               {"TXTR", TextureContent(b.record())},
                                               {"TAIL", "x"}};
    const std::string newFile = NewFile(sections);
    const std::string oldFile = OldFile(sections);
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.file("start.T3D"), newFile));

    CVK7QScene scene;
    ASSERT_EQ(1, scene.Load(dir.file("start.T3D").c_str(), 0));
    ASSERT_EQ(1, scene.WriteOld(dir.file("as_old.T3D").c_str()));
    EXPECT_EQ(oldFile, ReadFileBytes(dir.file("as_old.T3D")));

    ASSERT_EQ(1, scene.Load(dir.file("as_old.T3D").c_str(), 0));
    ExpectOutlineShows(dir.file("as_old.T3D"), *scene.GetSceneHeader());
    EXPECT_EQ(kOldSceneMagic, scene.GetSceneHeader()->magic);
    EXPECT_EQ(3u, scene.GetSceneHeader()->sectionCount);
    ASSERT_EQ(2, scene.GetSceneHeader()->textureCount);
    ExpectSameTexture(a.record(), scene.GetSceneHeader()->textures[0]);
    ExpectSameTexture(b.record(), scene.GetSceneHeader()->textures[1]);
    ASSERT_EQ(1, scene.WriteOld(dir.file("old_again.T3D").c_str()));
    EXPECT_EQ(oldFile, ReadFileBytes(dir.file("old_again.T3D")));
    // Old to new without GenerateC3D: the write derives the directory itself.
    ASSERT_EQ(1, scene.Write(dir.file("as_new.T3D").c_str()));
    EXPECT_EQ(newFile, ReadFileBytes(dir.file("as_new.T3D")));
}

TEST(SceneRoundTrip, ReplaceCopiesOrTakesTheTextureAndWritesIt)
{
    for (const bool take : {false, true}) {
        SCOPED_TRACE(take ? "taken" : "copied");
        CVK7QScene scene;
        AppendAll(scene, VarietyOfTextures());
        const T3D_TEXTURE* before = scene.GetSceneHeader()->textures;
        TextureRecord expected = MakeTexture(32, 32, 8, 4, 0x03, "wall_A", 40);
        {
            TextureRecord replacement = MakeTexture(32, 32, 8, 4, 0x03, "wall_A", 40);
            ASSERT_EQ(1,
                      take ? scene.TakeT3DTexture(2, replacement) : scene.ReplaceT3DTexture(2, &replacement.record()));
            EXPECT_EQ(take, replacement.record().levels[0] == nullptr);
            // The caller's buffers go away here; the scene has its own.
        }
        VK7Q_HEADER* header = scene.GetSceneHeader();
        EXPECT_EQ(before, header->textures);
        ExpectSameTexture(expected.record(), header->textures[2]);

        // Written in both formats without GenerateC3D: the stale directory is
        // brought up to date, and the levels go out one after another.
        TempDir dir;
        for (const bool old : {false, true}) {
            ASSERT_EQ(1,
                      old ? scene.WriteOld(dir.file("replaced").c_str()) : scene.Write(dir.file("replaced").c_str()));
            CVK7QScene loaded;
            ASSERT_EQ(1, loaded.Load(dir.file("replaced").c_str(), 0));
            ExpectSameTexture(expected.record(), loaded.GetSceneHeader()->textures[2]);
            ExpectSameTexture(header->textures[5], loaded.GetSceneHeader()->textures[5]);
        }
    }
}

TEST(SceneRoundTrip, RefusedReplaceChangesNothing)
{
    CVK7QScene scene;
    TextureRecord good = MakeTexture(4, 4, 8, 1, 0, "good", 1);
    ASSERT_EQ(0, scene.ReplaceT3DTexture(0, &good.record()));  // no scene yet
    AppendAll(scene, VarietyOfTextures());
    TempDir dir;
    ASSERT_EQ(1, scene.Write(dir.file("before.T3D").c_str()));

    for (int index : {-1, 8, 9, 65535})
        EXPECT_EQ(0, scene.ReplaceT3DTexture(index, &good.record())) << index;
    EXPECT_EQ(0, scene.ReplaceT3DTexture(0, nullptr));

    std::vector<TextureRecord> bad;
    bad.push_back(MakeTexture(4, 4, 12, 1, 0, "depth 12", 1));
    bad.push_back(MakeTexture(4, 4, 8, 0, 0, "no levels", 1));
    bad.push_back(MakeTexture(0, 4, 8, 1, 0, "no width", 1));
    bad.push_back(MakeTexture(4, 0, 8, 1, 0, "no height", 1));
    TextureRecord nine = MakeTexture(4, 4, 8, 1, 0, "nine levels", 1);
    nine.record().levelCount = 9;
    bad.push_back(std::move(nine));
    TextureRecord missing = MakeTexture(8, 8, 8, 2, 0, "level 1 missing", 1);
    std::free(missing.record().levels[1]);
    missing.record().levels[1] = nullptr;
    bad.push_back(std::move(missing));
    for (TextureRecord& t : bad) {
        EXPECT_EQ(0, scene.ReplaceT3DTexture(0, &t.record())) << t.record().name;
        const T3D_TEXTURE was = t.record();
        EXPECT_EQ(0, scene.TakeT3DTexture(0, t)) << t.record().name;
        EXPECT_EQ(0, std::memcmp(&was, &t.record(), sizeof was)) << t.record().name;
    }

    ASSERT_EQ(1, scene.Write(dir.file("after.T3D").c_str()));
    EXPECT_EQ(ReadFileBytes(dir.file("before.T3D")), ReadFileBytes(dir.file("after.T3D")));
}

TEST(SceneRoundTrip, HandedOutRecordsCannotMisleadTheWriter)
{
    const std::vector<TextureRecord> textures = VarietyOfTextures();
    CVK7QScene scene;
    AppendAll(scene, textures);
    T3D_TEXTURE& shown = scene.GetSceneHeader()->textures[0];
    shown.width = 65535;
    shown.levelCount = 8;
    shown.name[0] = 'X';

    TempDir dir;
    ASSERT_EQ(1, scene.GenerateC3D());
    ASSERT_EQ(1, scene.Write(dir.file("s.T3D").c_str()));
    CVK7QScene loaded;
    ASSERT_EQ(1, loaded.Load(dir.file("s.T3D").c_str(), 0));
    ExpectSceneHolds(loaded, textures);
}

TEST(SceneRoundTrip, FreeEmptiesTheSceneAndNamesAreCompleted)
{
    TempDir dir;
    CVK7QScene scene;
    EXPECT_EQ(0, scene.GetSceneHeader()->textureCount);
    EXPECT_EQ(0, scene.Write(dir.file("nothing").c_str()));  // no scene to write
    EXPECT_EQ(0, scene.GenerateC3D());

    AppendAll(scene, VarietyOfTextures());
    // A path without an extension gains ".T3D"; one with an extension is kept.
    ASSERT_EQ(1, scene.Write(dir.file("base").c_str()));
    ASSERT_EQ(1, scene.WriteOld(dir.file("named.old").c_str()));
    EXPECT_FALSE(ReadFileBytes(dir.file("base.T3D")).empty());
    EXPECT_FALSE(ReadFileBytes(dir.file("named.old")).empty());
    EXPECT_TRUE(ReadFileBytes(dir.file("base")).empty());

    scene.Free();
    EXPECT_EQ(0, scene.GetSceneHeader()->textureCount);
    EXPECT_EQ(nullptr, scene.GetSceneHeader()->textures);
    EXPECT_EQ(0, scene.WriteOld(dir.file("after_free").c_str()));

    ASSERT_EQ(1, scene.Load(dir.file("base").c_str(), 0));
    EXPECT_EQ(8, scene.GetSceneHeader()->textureCount);
    ASSERT_EQ(1, scene.Load(dir.file("named.old").c_str(), 0));
    EXPECT_EQ(kOldSceneMagic, scene.GetSceneHeader()->magic);

    // A scene file whose own name has no extension (one a file manager knows
    // by its content) is read and written under that name.
    ASSERT_EQ(0, std::rename(dir.file("named.old").c_str(), dir.file("plain").c_str()));
    ASSERT_EQ(1, scene.Load(dir.file("plain").c_str(), 0));
    ASSERT_EQ(1, scene.Write(dir.file("plain").c_str()));
    EXPECT_TRUE(ReadFileBytes(dir.file("plain.T3D")).empty());
    ASSERT_EQ(1, scene.Load(dir.file("plain").c_str(), 0));
    EXPECT_EQ(kNewSceneMagic, scene.GetSceneHeader()->magic);
}

}  // namespace
