// Writes that cannot be done return 0, leave the old file whole and leave no
// temporary file behind.
#include "SceneTestBytes.h"

#include "scene/CVK7QScene.h"
#include "scene/SceneStatus.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

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
        {underAFile, SceneCause::FolderMissing},
        {missingFolder, SceneCause::FolderMissing},
        {folder, SceneCause::NotRegularFile},
        {dir_.file("folder"), SceneCause::NotRegularFile},
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
