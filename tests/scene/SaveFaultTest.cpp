// Faults while a scene is being saved over the only copy: the disk filling up
// at any point of the write, and the writing process killed outright. The
// file on disk is always one whole scene, the old or the new.
#include "SceneTestBytes.h"

#include "scene/CVK7QScene.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Leftovers(const fs::path& folder, const std::string& keep)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.path().filename() != keep)
            names.push_back(entry.path().filename().string());
    }
    return names;
}

// Size of the first file in the folder other than `keep`; -1 when there is none.
long long TemporarySize(const fs::path& folder, const std::string& keep)
{
    for (const std::string& name : Leftovers(folder, keep)) {
        struct stat info;
        if (stat((folder / name).c_str(), &info) == 0)
            return info.st_size;
    }
    return -1;
}

// Runs the write in a child whose files may not grow past `limit` bytes (a
// full disk, as the writer sees it); the child's result.
int WriteUnderFileSizeLimit(CVK7QScene& scene, const std::string& path, bool oldFormat, rlim_t limit)
{
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
        const rlimit cap{limit, limit};
        setrlimit(RLIMIT_FSIZE, &cap);
        _exit(oldFormat ? scene.WriteOld(path.c_str()) : scene.Write(path.c_str()));
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

class SaveFault : public ::testing::Test {
protected:
    // The scene on disk before the save: a small one, written by the code.
    void writeOldScene()
    {
        CVK7QScene old;
        TextureRecord texture = MakeTexture(16, 8, 16, 2, 0, "old_scene", 3);
        ASSERT_EQ(1, old.AppendT3DTexture(&texture.record()));
        target_ = dir_.file("level.T3D");
        ASSERT_EQ(1, old.Write(target_.c_str()));
        oldBytes_ = ReadFileBytes(target_);
        ASSERT_FALSE(oldBytes_.empty());
    }

    // The scene being saved, and the bytes it makes in the given format.
    void buildNewScene(uint16_t side, int textures, bool oldFormat)
    {
        for (int i = 0; i < textures; ++i) {
            TextureRecord texture = MakeTexture(side, side, 32, 1, 0, "new_" + std::to_string(i), uint8_t(i));
            ASSERT_EQ(1, scene_.AppendT3DTexture(&texture.record()));
        }
        const std::string reference = dir_.file("reference.T3D");
        ASSERT_EQ(1, oldFormat ? scene_.WriteOld(reference.c_str()) : scene_.Write(reference.c_str()));
        newBytes_ = ReadFileBytes(reference);
        fs::remove(reference);
    }

    void restoreOldScene() { ASSERT_TRUE(WriteFileBytes(target_, oldBytes_)); }

    TempDir dir_;
    CVK7QScene scene_;
    std::string target_;
    std::string oldBytes_;
    std::string newBytes_;
};

TEST_F(SaveFault, DiskFullAtAnyPointKeepsTheOldScene)
{
    writeOldScene();
    for (bool oldFormat : {false, true}) {
        SCOPED_TRACE(oldFormat ? "old format" : "new format");
        scene_.Free();
        newBytes_.clear();
        buildNewScene(64, 3, oldFormat);
        const rlim_t total = newBytes_.size();
        // Inside the file header, inside a section header, amid the pixels,
        // one byte short of the end.
        for (rlim_t limit : {rlim_t(5), rlim_t(20), total / 2, total - 1}) {
            restoreOldScene();
            EXPECT_EQ(0, WriteUnderFileSizeLimit(scene_, target_, oldFormat, limit)) << "limit " << limit;
            EXPECT_EQ(oldBytes_, ReadFileBytes(target_)) << "limit " << limit;
            EXPECT_TRUE(Leftovers(dir_.path(), "level.T3D").empty()) << "limit " << limit;
        }
        // Room for exactly the new file: the save goes through.
        EXPECT_EQ(1, WriteUnderFileSizeLimit(scene_, target_, oldFormat, total));
        EXPECT_EQ(newBytes_, ReadFileBytes(target_));
        EXPECT_TRUE(Leftovers(dir_.path(), "level.T3D").empty());
    }
}

// How far a killed save had got: by the size its temporary file had reached
// when the kill was sent, or by time since it started.
struct KillPoint {
    long long temporaryBytes;  // -1: kill after `delay` instead
    std::chrono::milliseconds delay;
};

TEST_F(SaveFault, KilledSaveLeavesTheOldOrTheNewSceneWhole)
{
    writeOldScene();
    buildNewScene(2048, 2, false);  // 32 MiB of pixels
    ASSERT_GT(newBytes_.size(), size_t(30) << 20);
    const long long total = (long long)newBytes_.size();
    const KillPoint points[] = {
        {0, {}},
        {1, {}},
        {total / 8, {}},
        {total / 2, {}},
        {total - 1, {}},
        {total, {}},
        {-1, std::chrono::milliseconds(0)},
        {-1, std::chrono::milliseconds(20)},
        {-1, std::chrono::milliseconds(400)},
    };
    int keptOld = 0;
    int tornTemporaries = 0;
    for (const KillPoint& point : points) {
        SCOPED_TRACE("kill at " + std::to_string(point.temporaryBytes) + " bytes / " +
                     std::to_string(point.delay.count()) + " ms");
        restoreOldScene();
        const pid_t child = fork();
        ASSERT_NE(-1, child);
        if (child == 0) {
            for (;;)
                scene_.Write(target_.c_str());
        }
        const auto start = std::chrono::steady_clock::now();
        long long seen = -1;
        if (point.temporaryBytes < 0) {
            std::this_thread::sleep_for(point.delay);
        } else {
            while (seen < point.temporaryBytes && std::chrono::steady_clock::now() - start < std::chrono::seconds(30)) {
                std::this_thread::sleep_for(std::chrono::microseconds(50));
                seen = TemporarySize(dir_.path(), "level.T3D");
            }
        }
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        ASSERT_TRUE(WIFSIGNALED(status));
        if (seen >= 0 && seen < total)
            ++tornTemporaries;

        const std::string onDisk = ReadFileBytes(target_);
        const bool isOld = onDisk == oldBytes_;
        EXPECT_TRUE(isOld || onDisk == newBytes_) << "the file is neither scene, " << onDisk.size() << " bytes";
        keptOld += isOld;
        CVK7QScene loaded;
        EXPECT_EQ(1, loaded.Load(target_.c_str(), 0));
        EXPECT_EQ(isOld ? 1 : 2, loaded.GetSceneHeader()->textureCount);
        // Only the killed process's own temporary file may be left: each
        // write clears what earlier killed ones left.
        EXPECT_LE(Leftovers(dir_.path(), "level.T3D").size(), 1u);
    }
    EXPECT_GT(tornTemporaries, 0) << "no kill landed while the new file was part written";
    EXPECT_GT(keptOld, 0);

    // A stale temporary file does not get in the way of the next save, which
    // clears it.
    ASSERT_EQ(1, scene_.Write(target_.c_str()));
    EXPECT_EQ(newBytes_, ReadFileBytes(target_));
    EXPECT_TRUE(Leftovers(dir_.path(), "level.T3D").empty());
}

TEST_F(SaveFault, OnlyLeftoversOfEndedWritersAreCleared)
{
    writeOldScene();
    const pid_t ended = fork();
    if (ended == 0)
        _exit(0);
    ASSERT_EQ(ended, waitpid(ended, nullptr, 0));
    // Temporaries are named for their writer, not their target: whichever
    // file a killed writer was making, its leftover goes.
    const std::string stale = ".quorrel." + std::to_string(ended) + ".0.1f.tmp";
    const std::string staleToo = ".quorrel." + std::to_string(ended) + ".7.2e.tmp";
    const std::string running = ".quorrel.1.0.1f.tmp";  // process 1 outlives the test
    const std::string notOurs = ".quorrel." + std::to_string(ended) + ".notes.tmp";
    const std::string oldStyle = "level.T3D." + std::to_string(ended) + ".0.1f.tmp";
    for (const std::string& name : {stale, staleToo, running, notOurs, oldStyle})
        ASSERT_TRUE(WriteFileBytes(dir_.file(name), "part"));

    buildNewScene(8, 1, false);
    ASSERT_EQ(1, scene_.Write(target_.c_str()));
    std::vector<std::string> left = Leftovers(dir_.path(), "level.T3D");
    std::sort(left.begin(), left.end());
    EXPECT_EQ((std::vector<std::string>{running, notOurs, oldStyle}), left);
}

}  // namespace
