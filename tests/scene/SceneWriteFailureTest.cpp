// Writes that cannot be done return 0, leave the old file whole and leave no
// temporary file behind.
#include "SceneTestBytes.h"

#include "scene/CVK7QScene.h"
#include "scene/SceneStatus.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

namespace fs = std::filesystem;

class SceneWriteFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        texture_ = MakeTexture(64, 64, 32, 4, 0x01, "big_enough", 5);
        ASSERT_EQ(1, scene_.AppendT3DTexture(&texture_.record()));
        oldBytes_ = "the old file, to be kept whole";
        target_ = dir_.file("target.T3D");
        ASSERT_TRUE(WriteFileBytes(target_, oldBytes_));
    }

    void expectOldFileWholeAndNoLeftovers()
    {
        EXPECT_EQ(oldBytes_, ReadFileBytes(target_));
        EXPECT_EQ(std::vector<std::string>{"target.T3D"}, FolderEntries(dir_.path()));
    }

    TempDir dir_;
    TextureRecord texture_;
    CVK7QScene scene_;
    std::string oldBytes_;
    std::string target_;
};

TEST_F(SceneWriteFailure, PathsThatCannotBeWrittenFail)
{
    const std::string underAFile = target_ + "/inside.T3D";
    const std::string missingFolder = dir_.file("missing/scene.T3D");
    std::filesystem::create_directory(dir_.path() / "folder.T3D");
    const std::string folder = dir_.file("folder.T3D");
    const std::pair<std::string, SceneCause> paths[] = {
        {underAFile, SceneCause::FolderMissing}, {missingFolder, SceneCause::FolderMissing},
        {folder, SceneCause::NotRegularFile},    {dir_.file("folder"), SceneCause::NotRegularFile},
        {"/dev/full", SceneCause::DiskFull},  // a stream whose every write finds no room
    };
    for (const auto& [path, why] : paths) {
        EXPECT_EQ(0, scene_.Write(path.c_str())) << path;
        EXPECT_EQ(int(why), int(scene_.LastStatus().cause)) << path;
        EXPECT_EQ(0, scene_.WriteOld(path.c_str())) << path;
        EXPECT_EQ(int(why), int(scene_.LastStatus().cause)) << path;
    }
    CVK7QScene empty;
    EXPECT_EQ(0, empty.Write(target_.c_str()));
    EXPECT_EQ("no scene is loaded", SceneStatusText(empty.LastStatus()));
    EXPECT_TRUE(std::filesystem::is_directory(dir_.path() / "folder.T3D"));
    std::filesystem::remove(dir_.path() / "folder.T3D");
    expectOldFileWholeAndNoLeftovers();
}

TEST_F(SceneWriteFailure, DiskFullLeavesTheOldFile)
{
    for (bool oldFormat : {false, true}) {
        const pid_t child = fork();
        ASSERT_NE(-1, child);
        if (child == 0) {
            // The file size limit stands in for a full disk: writes past it fail.
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{4096, 4096};
            setrlimit(RLIMIT_FSIZE, &limit);
            const int written = oldFormat ? scene_.WriteOld(target_.c_str()) : scene_.Write(target_.c_str());
            _exit(written == 0 && !scene_.LastStatus().ok() ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(0, WEXITSTATUS(status)) << "write reported success, old format " << oldFormat;
        expectOldFileWholeAndNoLeftovers();
    }
}

TEST_F(SceneWriteFailure, ReadOnlyTargetIsNotReplaced)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write any file";
    chmod(target_.c_str(), 0444);
    EXPECT_EQ(0, scene_.Write(target_.c_str()));
    EXPECT_EQ("permission denied", SceneStatusText(scene_.LastStatus()));
    expectOldFileWholeAndNoLeftovers();
}

TEST_F(SceneWriteFailure, ReplacedFileKeepsItsOwnerAndPermissions)
{
    chmod(target_.c_str(), 0600);
    // Root replacing another user's scene gives it back to that user.
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(0, chown(target_.c_str(), 4321, 8765));
    }
    ASSERT_EQ(1, scene_.Write(target_.c_str()));
    struct stat info;
    ASSERT_EQ(0, stat(target_.c_str(), &info));
    EXPECT_EQ(0600u, info.st_mode & 07777);
    if (root) {
        EXPECT_EQ(4321u, info.st_uid);
        EXPECT_EQ(8765u, info.st_gid);
    }
    EXPECT_NE(oldBytes_, ReadFileBytes(target_));
    EXPECT_EQ(std::vector<std::string>{"target.T3D"}, FolderEntries(dir_.path()));
}

}  // namespace

namespace {

// What another program does to the loaded scene's file before the write.
struct OtherWrite {
    const char* what;
    void (*change)(const std::string& file, const std::string& bytes);
    bool refused;  // the write leaves the other program's file as it is
};

void RenameOver(const std::string& file, const std::string& bytes)
{
    ASSERT_TRUE(WriteFileBytes(file + ".new", bytes));
    ASSERT_EQ(0, ::rename((file + ".new").c_str(), file.c_str()));
}

void RewriteInPlace(const std::string& file, const std::string& bytes)
{
    FILE* out = std::fopen(file.c_str(), "r+");
    ASSERT_NE(out, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
}

void Remove(const std::string& file, const std::string&)
{
    ASSERT_EQ(0, ::unlink(file.c_str()));
}

}  // namespace

TEST_F(SceneWriteFailure, TheLoadedFileIsReplacedOnlyWhileItIsAsRead)
{
    const OtherWrite cases[] = {
        {"nothing", [](const std::string&, const std::string&) {}, false},
        {"a new file renamed over it", RenameOver, true},
        {"its bytes rewritten in place, same size", RewriteInPlace, true},
        {"removed", Remove, false},
    };
    ASSERT_EQ(1, scene_.Write(target_.c_str()));
    const std::string ours = ReadFileBytes(target_);
    for (const OtherWrite& other : cases) {
        SCOPED_TRACE(other.what);
        ASSERT_TRUE(WriteFileBytes(target_, ours));
        CVK7QScene loaded;
        ASSERT_EQ(1, loaded.Load(target_.c_str(), 0));
        std::string theirs = ours;
        theirs[theirs.size() / 2] ^= 0x5A;
        other.change(target_, theirs);
        // The same file under another name counts as the file loaded.
        const std::string sameFile = dir_.path().string() + "/./target.T3D";
        EXPECT_EQ(!other.refused, loaded.Write(sameFile.c_str()) == 1);
        if (other.refused) {
            EXPECT_EQ(SceneCause::ChangedOnDisk, loaded.LastStatus().cause);
            EXPECT_EQ(theirs, ReadFileBytes(target_));
            EXPECT_EQ(std::vector<std::string>{"target.T3D"}, FolderEntries(dir_.path()));
            EXPECT_TRUE(loaded.FileChangedOnDisk());
            // Another file is written whatever became of the scene's own.
            EXPECT_EQ(1, loaded.Write(dir_.file("copy.T3D").c_str()));
            fs::remove(dir_.file("copy.T3D"));
            // The user's choice to write over it.
            loaded.IgnoreChangesOnDisk();
        }
        EXPECT_EQ(1, loaded.Write(target_.c_str()));
        EXPECT_EQ(ours, ReadFileBytes(target_));
        // Written here, it is the file as loaded again: a second write goes through.
        EXPECT_FALSE(loaded.FileChangedOnDisk());
        EXPECT_EQ(1, loaded.WriteOld(target_.c_str()));
    }
}
