// Files that must not load: truncated, damaged, foreign, or laid out against
// the rules. Each failed load leaves the scene loaded before as it was.
#include "SceneTestBytes.h"

#include "scene/CVK7QScene.h"
#include "scene/SceneFormat.h"
#include "scene/SceneOutline.h"
#include "scene/SceneStatus.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

// A scene loaded from a file of its own, with what it showed after loading,
// to check that failed loads leave it alone.
class LoadedScene {
public:
    explicit LoadedScene(const TempDir& dir)
    {
        texture_ = MakeTexture(8, 4, 16, 2, 0x41, "kept", 77);
        const std::string path = dir.file("kept.T3D");
        EXPECT_TRUE(WriteFileBytes(path, OldFile({{"TXTR", TextureContent(texture_.record())}})));
        EXPECT_EQ(1, scene.Load(path.c_str(), 0));
        header_ = *scene.GetSceneHeader();
    }

    void expectUnchanged()
    {
        const VK7Q_HEADER* header = scene.GetSceneHeader();
        ASSERT_EQ(0, std::memcmp(&header_, header, sizeof header_));
        ExpectSameTexture(texture_.record(), header->textures[0]);
    }

    CVK7QScene scene;

private:
    TextureRecord texture_;
    VK7Q_HEADER header_;
};

std::vector<LaidSection> SmallScene()
{
    static TextureRecord a = MakeTexture(4, 2, 8, 2, 0x03, "a", 1);
    static TextureRecord b = MakeTexture(2, 2, 32, 1, 0x00, "b", 2);
    return {{"TXTR", TextureContent(a.record())}, {"NOTE", "kept as it is"}, {"TXTR", TextureContent(b.record())}};
}

// Loads `bytes` from a file into a loaded scene and expects the load to fail
// with the scene as it was; the outline, read in passing, refuses the file
// with the same words.
void ExpectRefused(const TempDir& dir, LoadedScene& loaded, const std::string& bytes, const std::string& what)
{
    const std::string path = dir.file("bad.T3D");
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    EXPECT_EQ(0, loaded.scene.Load(path.c_str(), 0)) << what;
    loaded.expectUnchanged();
    SceneOutline outline;
    EXPECT_EQ(0, outline.Load(path.c_str())) << what;
    EXPECT_EQ(SceneStatusText(loaded.scene.LastStatus()), SceneStatusText(outline.LastStatus())) << what;
}

// As ExpectRefused, and the scene says why: the cause, and where when given.
void ExpectRefusedFor(const TempDir& dir, LoadedScene& loaded, const std::string& bytes, const std::string& what,
                      SceneCause cause, const std::string& text = std::string())
{
    ExpectRefused(dir, loaded, bytes, what);
    const SceneStatus& status = loaded.scene.LastStatus();
    EXPECT_EQ(int(cause), int(status.cause)) << what << ": " << SceneStatusText(status);
    EXPECT_NE(std::string::npos, SceneStatusText(status).find(text)) << what << ": " << SceneStatusText(status);
}

TEST(SceneDamage, EveryTruncationFails)
{
    TempDir dir;
    LoadedScene loaded(dir);
    for (const std::string& file : {NewFile(SmallScene()), OldFile(SmallScene())}) {
        ASSERT_TRUE(WriteFileBytes(dir.file("whole.T3D"), file));
        CVK7QScene check;
        ASSERT_EQ(1, check.Load(dir.file("whole.T3D").c_str(), 0));
        EXPECT_TRUE(check.LastStatus().ok());
        for (size_t length = 0; length < file.size(); ++length)
            ExpectRefusedFor(dir, loaded, file.substr(0, length), "length " + std::to_string(length),
                             length < 4 ? SceneCause::NotSceneFile : SceneCause::Truncated);
    }
}

TEST(SceneDamage, EveryFlippedByteOfANewFileIsCaught)
{
    TempDir dir;
    LoadedScene loaded(dir);
    const std::string file = NewFile(SmallScene());
    for (size_t at = 0; at < file.size(); ++at) {
        for (char flip : {char(0x01), char(0x80)}) {
            std::string damaged = file;
            damaged[at] ^= flip;
            ExpectRefused(dir, loaded, damaged, "byte " + std::to_string(at));
        }
    }
    std::string flipped = file;
    flipped[16 + 16 + 40] ^= 1;  // inside the first texture's record
    ExpectRefusedFor(dir, loaded, flipped, "a record byte", SceneCause::Damaged,
                     "section 1 (TXTR): checksum does not match");
}

TEST(SceneDamage, MissingEmptyForeignAndFolderPathsFail)
{
    TempDir dir;
    LoadedScene loaded(dir);
    std::filesystem::create_directory(dir.path() / "folder.T3D");
    ASSERT_EQ(0, mkfifo(dir.file("pipe.T3D").c_str(), 0600));
    const std::pair<std::string, FileReadStatus> unreadable[] = {
        {dir.file("absent.T3D"), FileReadStatus::NotFound},
        {dir.path().string(), FileReadStatus::NotRegularFile},  // never the folder's name with ".T3D" added
        {dir.file("folder.T3D"), FileReadStatus::NotRegularFile},
        {dir.file("pipe.T3D"), FileReadStatus::NotRegularFile},  // and does not wait for a writer
        {"", FileReadStatus::NotFound},
    };
    for (const auto& [path, why] : unreadable) {
        SceneOutline outline;
        EXPECT_EQ(0, loaded.scene.Load(path.c_str(), 0)) << path;
        EXPECT_EQ(0, outline.Load(path.c_str())) << path;
        for (const SceneStatus& status : {loaded.scene.LastStatus(), outline.LastStatus()}) {
            EXPECT_EQ(int(SceneCause::FileUnreadable), int(status.cause)) << path;
            EXPECT_EQ(int(why), int(status.fileRead)) << path;
        }
    }
    EXPECT_EQ(0, loaded.scene.Load(nullptr, 0));
    EXPECT_EQ("does not exist", SceneStatusText(loaded.scene.LastStatus()));
    // A good file whose load is cancelled before its first chunk.
    ASSERT_TRUE(WriteFileBytes(dir.file("good.T3D"), NewFile(SmallScene())));
    const std::atomic<bool> cancel{true};
    loaded.scene.SetLoadCancel(&cancel);
    EXPECT_EQ(0, loaded.scene.Load(dir.file("good.T3D").c_str(), 0));
    EXPECT_EQ(int(FileReadStatus::Cancelled), int(loaded.scene.LastStatus().fileRead));
    loaded.scene.SetLoadCancel(nullptr);
    loaded.expectUnchanged();

    ExpectRefusedFor(dir, loaded, "", "empty", SceneCause::NotSceneFile, "is not a scene file");
    ExpectRefusedFor(dir, loaded, "VK7", "three bytes", SceneCause::NotSceneFile);
    ExpectRefusedFor(dir, loaded, std::string(18, '\0') + "TRUEVISION-XFILE.", "a picture", SceneCause::NotSceneFile);
    ExpectRefusedFor(dir, loaded, "VK7Q" + NewFile(SmallScene()).substr(4), "neither magic", SceneCause::NotSceneFile);
    // A version this tool does not know, with its header CRC right.
    std::string laterNew = NewFile(SmallScene());
    const std::string head = "VK7N" + U16(2) + U16(0) + laterNew.substr(8, 4);
    laterNew.replace(0, 16, head + Crc(head));
    ExpectRefusedFor(dir, loaded, laterNew, "new format version 2", SceneCause::UnsupportedVersion,
                     "unsupported version: new format, version 2");
    std::string laterOld = OldFile(SmallScene());
    laterOld[4] = 2;
    ExpectRefusedFor(dir, loaded, laterOld, "old format version 2", SceneCause::UnsupportedVersion,
                     "old format, version 2");
}

TEST(SceneDamage, NewFilesAgainstTheRulesFailWithRightCrcs)
{
    TempDir dir;
    LoadedScene loaded(dir);
    const std::vector<LaidSection> sections = SmallScene();
    const std::string textureA = sections[0].content;
    auto withTexture = [&](const std::string& content) {
        return NewFile({{"TXTR", content}, sections[1], sections[2]});
    };
    auto patched = [&](size_t at, const std::string& bytes) {
        std::string c = textureA;
        c.replace(at, bytes.size(), bytes);
        return withTexture(c);
    };

    ASSERT_TRUE(WriteFileBytes(dir.file("good.T3D"), withTexture(textureA)));
    CVK7QScene good;
    ASSERT_EQ(1, good.Load(dir.file("good.T3D").c_str(), 0));

    ExpectRefusedFor(dir, loaded, patched(4, U16(12)), "depth 12", SceneCause::Damaged,
                     "is damaged: section 1 (TXTR): not a valid texture");
    ExpectRefused(dir, loaded, patched(28, U16(0)), "no levels");
    ExpectRefused(dir, loaded, patched(28, U16(9)), "nine levels");
    ExpectRefused(dir, loaded, patched(0, U16(0)), "width 0");
    ExpectRefused(dir, loaded, patched(2, U16(0)), "height 0");
    ExpectRefused(dir, loaded, patched(1056 + 4, "\x01"), "a level slot set");
    ExpectRefused(dir, loaded, patched(1088, std::string(256, 'n')), "name without terminator");
    ExpectRefused(dir, loaded, withTexture(textureA + "x"), "a pixel byte too many");
    ExpectRefused(dir, loaded, withTexture(textureA.substr(0, textureA.size() - 1)), "a pixel byte short");
    ExpectRefused(dir, loaded, withTexture(textureA.substr(0, 1343)), "record cut short");

    const std::string header = NewFileHeader(4);
    std::string body;
    for (const LaidSection& s : sections)
        body += NewSection(s.tag, s.content);
    const std::string directory = NewSection("TDIR", DirectoryFor(sections));
    ExpectRefusedFor(dir, loaded, NewFileHeader(3) + body, "no directory", SceneCause::Damaged, "no texture directory");
    ExpectRefused(dir, loaded, NewFileHeader(5) + body + directory + directory, "two directories");
    ExpectRefused(dir, loaded, NewFileHeader(4) + directory + body, "directory first");
    ExpectRefused(dir, loaded, header + body + directory + Repeat(0, 8), "bytes after the last section");
    ExpectRefusedFor(dir, loaded, NewFileHeader(0xFFFFFFFF) + body + directory, "more sections than bytes",
                     SceneCause::Truncated, "more than the file holds");
    // A directory that disagrees with the textures: checksum, offset, count.
    std::string wrong = DirectoryFor(sections);
    wrong[8 + 16] ^= 1;
    ExpectRefusedFor(dir, loaded, header + body + NewSection("TDIR", wrong), "directory checksum", SceneCause::Damaged,
                     "does not match the textures");
    wrong = DirectoryFor(sections);
    wrong[8] ^= 8;
    ExpectRefused(dir, loaded, header + body + NewSection("TDIR", wrong), "directory offset");
    wrong = DirectoryFor(sections);
    ExpectRefused(dir, loaded, header + body + NewSection("TDIR", U32(1) + wrong.substr(4, 4 + 32)), "directory count");
    // Padding that is not zero, under a right CRC.
    std::string noteSection = NewSection("NOTE", "odd");
    noteSection.back() = 1;
    ExpectRefused(dir, loaded,
                  header + NewSection("TXTR", textureA) + noteSection + NewSection("TXTR", sections[2].content) +
                      directory,
                  "padding");
    EXPECT_EQ("is damaged: section 2 (NOTE): padding is not zero", SceneStatusText(loaded.scene.LastStatus()));
}

TEST(SceneDamage, OldFilesAgainstTheRulesFail)
{
    TempDir dir;
    LoadedScene loaded(dir);
    const std::vector<LaidSection> sections = SmallScene();
    std::string chunks;
    for (const LaidSection& s : sections)
        chunks += OldChunk(s.tag, s.content);
    auto head = [](uint16_t textures, uint32_t chunkCount, uint32_t reserved) {
        return "VK7O" + U16(1) + U16(textures) + U32(chunkCount) + U32(reserved);
    };
    ASSERT_TRUE(WriteFileBytes(dir.file("good.T3D"), head(2, 3, 0) + chunks));
    CVK7QScene good;
    ASSERT_EQ(1, good.Load(dir.file("good.T3D").c_str(), 0));

    ExpectRefusedFor(dir, loaded, head(3, 3, 0) + chunks, "texture count too high", SceneCause::Damaged,
                     "the header counts 3 textures, the file holds 2");
    ExpectRefused(dir, loaded, head(1, 3, 0) + chunks, "texture count too low");
    ExpectRefused(dir, loaded, head(2, 4, 0) + chunks, "chunk count too high");
    ExpectRefused(dir, loaded, head(2, 2, 0) + chunks, "chunk count too low");
    ExpectRefused(dir, loaded, head(2, 3, 1) + chunks, "reserved field set");
    ExpectRefused(dir, loaded, head(2, 4, 0) + chunks + OldChunk("TDIR", DirectoryFor(sections)), "a directory chunk");
    std::string bigLength = head(2, 3, 0) + chunks;
    bigLength.replace(16 + 4, 4, U32(0xFFFFFFF0));
    ExpectRefusedFor(dir, loaded, bigLength, "length beyond the file", SceneCause::Truncated,
                     "chunk 1 (TXTR) ends past the end of the file");
    std::string badPadding = head(2, 3, 0) + OldChunk("TXTR", sections[0].content) + OldChunk("NOTE", "odd") +
                             OldChunk("TXTR", sections[2].content);
    const size_t noteEnd = 16 + OldChunk("TXTR", sections[0].content).size() + OldChunk("NOTE", "odd").size();
    badPadding[noteEnd - 1] = 1;
    ExpectRefused(dir, loaded, badPadding, "padding");
}

}  // namespace
