// Output files: written beside the target and renamed over it, so what
// stands in the target's place decides only whether it may be replaced; a
// stream in its place is written through.
#include "texture/io/FileWrite.h"

#include "support/TempDir.h"
#include "texture/io/FileRead.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileWriteStatus WriteOutput(const std::string& target, const InputFiles& inputs, const std::string& bytes,
                            bool unnamedTemporary, StreamTargets streams = StreamTargets::writtenThrough)
{
    OutputFile file;
    FileWriteStatus status = file.create(target, inputs, unnamedTemporary, streams);
    if (status == FileWriteStatus::Ok && !file.write(bytes.data(), bytes.size()))
        status = file.writeFailure();
    if (status == FileWriteStatus::Ok)
        status = file.finish(true);
    return status == FileWriteStatus::Ok ? file.commit() : status;
}

// What the pipe holds, without waiting.
std::string Drain(int fd)
{
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    std::string bytes;
    char block[256];
    for (ssize_t n; (n = ::read(fd, block, sizeof block)) > 0;)
        bytes.append(block, size_t(n));
    return bytes;
}

bool IsLink(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

}  // namespace

TEST(FileWrite, WhatStandsInTheTargetsPlaceDecides)
{
    TempDir dir, elsewhere;
    const auto at = [&](const std::string& name) { return dir.file(name); };
    ASSERT_TRUE(WriteFileBytes(elsewhere.file("theirs"), "theirs"));
    ASSERT_TRUE(WriteFileBytes(at("input"), "input"));
    ASSERT_EQ(::symlink(elsewhere.file("theirs").c_str(), at("link").c_str()), 0);
    ASSERT_TRUE(std::filesystem::create_directory(at("folder")));
    ASSERT_EQ(::link(at("input").c_str(), at("hard").c_str()), 0);
    ASSERT_EQ(::symlink(at("input").c_str(), at("to-input").c_str()), 0);
    InputFiles inputs;
    inputs.add(at("input"));

    const std::pair<std::string, FileWriteStatus> cases[] = {
        {at("new"), FileWriteStatus::Ok},
        {at("link"), FileWriteStatus::Ok},                 // the link goes; the file it led to stays
        {at(std::string(255, 'n')), FileWriteStatus::Ok},  // the temporary's name stays short
        {at(std::string(256, 'n')), FileWriteStatus::NameTooLong},
        {at("folder"), FileWriteStatus::NotRegularFile},
        {at("folder") + "/", FileWriteStatus::NotRegularFile},
        {at("input"), FileWriteStatus::SameAsInput},
        {at("hard"), FileWriteStatus::SameAsInput},
        {at("to-input"), FileWriteStatus::SameAsInput},
        {at("missing/new"), FileWriteStatus::NoFolder},
        {at("input") + "/new", FileWriteStatus::NoFolder},
    };
    for (bool unnamed : {true, false}) {  // the second round replaces what the first made
        for (const auto& [target, expected] : cases) {
            const std::string bytes = unnamed ? "new bytes" : "newer bytes";
            EXPECT_EQ(WriteOutput(target, inputs, bytes, unnamed), expected) << target;
            if (expected == FileWriteStatus::Ok) {
                EXPECT_EQ(ReadFileBytes(target), bytes) << target;
            }
        }
    }
    EXPECT_EQ(ReadFileBytes(elsewhere.file("theirs")), "theirs");
    EXPECT_EQ(ReadFileBytes(at("input")), "input");
    struct stat info {};
    ASSERT_EQ(::lstat(at("link").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(FolderEntries(dir.path()),
              std::vector<std::string>({"folder", "hard", "input", "link", "new", std::string(255, 'n'), "to-input"}));
}

TEST(FileWrite, StreamsAreWrittenThroughNeverReplaced)
{
    TempDir dir;
    const auto at = [&](const std::string& name) { return dir.file(name); };
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string reading = std::to_string(ends[0]), writing = std::to_string(ends[1]);
    const int closed = ::dup(0);
    ::close(closed);
    ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0644), 0);
    const int fifoReader = ::open(at("fifo").c_str(), O_RDONLY | O_NONBLOCK);  // so that opening it to write won't wait
    ASSERT_GE(fifoReader, 0);
    ASSERT_EQ(::symlink("/dev/null", at("null").c_str()), 0);
    ASSERT_EQ(::symlink(("/dev/fd/" + writing).c_str(), at("pipe").c_str()), 0);
    ASSERT_EQ(::symlink("pipe", at("to-pipe").c_str()), 0);
    ASSERT_EQ(::symlink(("/proc/self/fd/" + reading).c_str(), at("read-end").c_str()), 0);

    const std::pair<std::string, FileWriteStatus> cases[] = {
        {"/dev/null", FileWriteStatus::Ok},
        {at("null"), FileWriteStatus::Ok},
        {"/proc/self/fd/" + writing, FileWriteStatus::Ok},
        {at("pipe"), FileWriteStatus::Ok},
        {at("to-pipe"), FileWriteStatus::Ok},
        {at("fifo"), FileWriteStatus::Ok},
        {at("read-end"), FileWriteStatus::StreamNotOpen},
        {"/dev/fd/" + std::to_string(closed), FileWriteStatus::StreamNotOpen},
        {"/dev/full", FileWriteStatus::DiskFull},  // every write: no room left on the device
    };
    for (const auto& [target, expected] : cases) {
        EXPECT_TRUE(IsStreamTarget(target)) << target;
        EXPECT_EQ(WriteOutput(target, InputFiles(), "<bytes>", true), expected) << target;
    }
    EXPECT_FALSE(IsStreamTarget(at("new")));
    EXPECT_EQ(Drain(ends[0]), "<bytes><bytes><bytes>");
    EXPECT_EQ(Drain(fifoReader), "<bytes>");
    for (const char* link : {"null", "pipe", "to-pipe", "read-end"})
        EXPECT_TRUE(IsLink(at(link))) << link;

    // Names a batch made up itself: the link is replaced, the FIFO refused.
    EXPECT_EQ(WriteOutput(at("null"), InputFiles(), "file", true, StreamTargets::replaced), FileWriteStatus::Ok);
    EXPECT_EQ(ReadFileBytes(at("null")), "file");
    EXPECT_EQ(WriteOutput(at("fifo"), InputFiles(), "file", true, StreamTargets::replaced),
              FileWriteStatus::NotRegularFile);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>({"fifo", "null", "pipe", "read-end", "to-pipe"}));
    for (const int fd : {ends[0], ends[1], fifoReader})
        ::close(fd);
}

TEST(FileWrite, BytesArriveInOrderOrTheOldFileStays)
{
    TempDir dir;
    const std::string target = dir.file("out");
    std::string expected;
    {
        OutputFile file;
        ASSERT_EQ(file.create(target, InputFiles()), FileWriteStatus::Ok);
        for (int i = 0; i < 70000; ++i) {  // more than one gathering's worth, a byte at a time
            const char c = char('a' + i % 26);
            ASSERT_TRUE(file.write(&c, 1));
            expected += c;
        }
        const std::string large(300000, 'L');  // past the gathering, straight out
        ASSERT_TRUE(file.write(large.data(), large.size()));
        ASSERT_TRUE(file.write("end", 3));
        expected += large + "end";
        ASSERT_EQ(file.finish(false), FileWriteStatus::Ok);
        EXPECT_FALSE(std::filesystem::exists(target));  // not before the rename
        ASSERT_EQ(file.commit(), FileWriteStatus::Ok);
    }
    EXPECT_EQ(ReadFileBytes(target), expected);

    // A size limit met part-way: the write and the finish fail, the object's
    // end removes the temporary, the old file is whole.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit lowered = old;
    lowered.rlim_cur = 100000;
    ::setrlimit(RLIMIT_FSIZE, &lowered);
    {
        OutputFile file;
        ASSERT_EQ(file.create(target, InputFiles()), FileWriteStatus::Ok);
        EXPECT_FALSE(file.write(expected.data(), expected.size()));
        EXPECT_FALSE(file.write("x", 1));
        EXPECT_EQ(file.finish(true), FileWriteStatus::WriteFailed);
        EXPECT_EQ(file.commit(), FileWriteStatus::WriteFailed);
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadFileBytes(target), expected);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>({"out"}));
}

TEST(FileWrite, AnExpectedTargetIsReplacedOnlyWhileItStandsAsItsStamp)
{
    TempDir dir;
    const std::string target = dir.file("scene.T3D");
    ASSERT_TRUE(WriteFileBytes(target, "as read"));
    FileStamp read = StampWithCrc(target);
    ASSERT_TRUE(read.hasCrc);
    FileStamp otherBytes = read;  // the same times and size, other bytes: a rewrite in the same tick
    otherBytes.crc ^= 1;
    FileStamp otherSize = read;
    otherSize.size += 1;
    FileStamp noCrc = read;
    noCrc.hasCrc = false;
    const struct {
        const char* what;
        FileStamp expected;
        FileWriteStatus status;
    } cases[] = {
        {"as read", read, FileWriteStatus::Ok},
        {"as read, no CRC taken", noCrc, FileWriteStatus::Ok},
        {"nothing expected", FileStamp(), FileWriteStatus::Ok},
        {"other bytes", otherBytes, FileWriteStatus::ChangedSinceRead},
        {"another size", otherSize, FileWriteStatus::ChangedSinceRead},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        for (const bool unnamed : {false, true}) {
            ASSERT_TRUE(WriteFileBytes(target, "as read"));
            FileStamp expected = test.expected;
            if (expected.exists) {  // the rewrite above made a new stamp with the same bytes
                const FileStamp now = StampOf(target);
                expected.modified = now.modified, expected.changed = now.changed, expected.inode = now.inode;
            }
            OutputFile file;
            ASSERT_EQ(FileWriteStatus::Ok, file.create(target, InputFiles(), unnamed));
            file.expect(expected);
            ASSERT_TRUE(file.write("new", 3));
            ASSERT_EQ(FileWriteStatus::Ok, file.finish(false));
            EXPECT_EQ(test.status, file.commit());
            EXPECT_EQ(test.status == FileWriteStatus::Ok ? "new" : "as read", ReadFileBytes(target));
        }
    }
    // A target gone since it was read is simply made.
    ::unlink(target.c_str());
    OutputFile file;
    ASSERT_EQ(FileWriteStatus::Ok, file.create(target, InputFiles()));
    file.expect(read);
    ASSERT_TRUE(file.write("made", 4));
    ASSERT_EQ(FileWriteStatus::Ok, file.finish(false));
    EXPECT_EQ(FileWriteStatus::Ok, file.commit());
    EXPECT_EQ("made", ReadFileBytes(target));
    EXPECT_EQ(std::vector<std::string>{"scene.T3D"}, FolderEntries(dir.path()));
}
