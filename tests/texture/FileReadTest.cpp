#include "texture/io/FileRead.h"

#include "support/EventWait.h"
#include "support/PngTestBytes.h"
#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "support/TgaTestBytes.h"
#include "texture/chain/TextureFileReader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string GreyTga(unsigned side, int value)
{
    TgaFields f;
    f.imageType = 3;
    f.width = f.height = uint16_t(side);
    f.pixelDepth = 8;
    return TgaHeaderBytes(f) + Repeat(value, size_t(side) * side);
}

std::string GreyPng(unsigned side, int value)
{
    PngPicture picture;
    picture.width = picture.height = side;
    picture.rows.assign(size_t(side) * side, uint8_t(value));
    const std::vector<uint8_t> png = MakePng(picture);
    return std::string(png.begin(), png.end());
}

// Each format read through the one reader entry: what a grey picture of a
// side and a value is as a file, and as the record's pixel.
struct Format {
    const char* extension;
    const char* kind;  // as messages name it
    std::string (*grey)(unsigned side, int value);
    unsigned bytesPerPixel;
    uint32_t pixel(int value) const
    {
        return bytesPerPixel == 1 ? uint32_t(value) : 0xFF000000u | uint32_t(value) * 0x010101u;
    }
};
const Format kFormats[] = {{".tga", "TGA", GreyTga, 1}, {".png", "PNG", GreyPng, 4}};

bool AllPixels(const T3D_TEXTURE& t, const Format& format, int value)
{
    const uint64_t count = uint64_t(t.width) * t.height;
    const uint32_t want = format.pixel(value);
    for (uint64_t i = 0; i < count; ++i) {
        uint32_t p = 0;
        std::memcpy(&p, t.levels[0] + i * format.bytesPerPixel, format.bytesPerPixel);
        if (p != want)
            return false;
    }
    return true;
}

enum class Special { Fifo, Device, LinkLoop, Folder };
constexpr Special kSpecials[] = {Special::Fifo, Special::Device, Special::LinkLoop, Special::Folder};

// Makes a special file of the kind at `path` (which must not exist).
void MakeSpecial(Special kind, const std::string& path)
{
    switch (kind) {
    case Special::Fifo:
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        break;
    case Special::Device:
        ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0);
        break;
    case Special::LinkLoop:
        ASSERT_EQ(symlink(path.c_str(), path.c_str()), 0);
        break;
    case Special::Folder:
        ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
        break;
    }
}

}  // namespace

// A FIFO, a device, a link to itself and a folder are refused at once, without blocking or reading a byte; in a chain's
// later level they end the chain with a warning and the rest is generated.
TEST(FileRead, SpecialFilesAreRefusedAtEveryEntryPoint)
{
    for (const Format& format : kFormats) {
        TempDir dir;
        for (const Special kind : kSpecials) {
            const std::string path = dir.file("any" + std::to_string(int(kind)) + format.extension);
            MakeSpecial(kind, path);
            ByteBlock bytes;
            EXPECT_EQ(ReadWholeFile(path, bytes, 1 << 20), FileReadStatus::NotRegularFile) << path;
            TextureRecord holder;
            RecordingReport report;
            EXPECT_FALSE(ReadTextureChain(path, holder, report));
            EXPECT_EQ(report.texts(), std::vector<std::string>(
                                          {std::string(format.kind) + " file " + path + " is not a regular file"}));
        }
        const std::string first = dir.file(std::string("wall_A") + format.extension);
        const std::string level1 = dir.file(std::string("wall_A1") + format.extension);
        ASSERT_TRUE(WriteFileBytes(first, format.grey(64, 9)));
        for (const Special kind : kSpecials) {
            MakeSpecial(kind, level1);
            TextureRecord holder;
            RecordingReport report;
            ASSERT_TRUE(ReadTextureChain(first, holder, report));
            EXPECT_EQ(holder.record().levelCount, 5);  // level 0 read, the rest generated
            ASSERT_EQ(report.messages.size(), 1u);
            EXPECT_EQ(report.messages[0].severity, Severity::Warning);
            EXPECT_EQ(report.messages[0].text, std::string(format.kind) + " file " + level1 + " is not a regular file");
            ASSERT_EQ(std::system(("rm -rf '" + level1 + "'").c_str()), 0);
        }
    }
}

// A file that another process keeps rewriting at other sizes is either read
// whole, as one of its versions, or refused with a message: never a crash,
// never a mix of versions.
TEST(FileRead, AFileRewrittenDuringReadsIsReadWholeOrRefused)
{
    for (const Format& format : kFormats) {
        TempDir dir;
        const std::string path = dir.file(std::string("moving") + format.extension);
        const std::string small = format.grey(16, 1), large = format.grey(1024, 2);
        ASSERT_TRUE(WriteFileBytes(path, large));
        const pid_t writer = fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            for (;;) {
                // Rewritten in place, truncated then filled; the pauses put each
                // version in a clock tick of its own, as the file system stamps it,
                // and leave the large one in place long enough for whole reads
                // even on a loaded machine.
                WriteFileBytes(path, small);
                usleep(5000);
                WriteFileBytes(path, large);
                usleep(30000);
            }
        }
        // 200 reads at least; on a loaded machine, more until one was whole.
        int wholeReads = 0;
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(kEventWaitMilliseconds);
        for (int i = 0; i < 200 || (wholeReads == 0 && std::chrono::steady_clock::now() < giveUp); ++i) {
            TextureRecord holder;
            RecordingReport report;
            if (ReadTextureChain(path, holder, report) && report.messages.empty()) {
                const T3D_TEXTURE& t = holder.record();
                ASSERT_TRUE(t.width == 16 || t.width == 1024);
                ASSERT_TRUE(AllPixels(t, format, t.width == 1024 ? 2 : 1)) << path;
                ++wholeReads;
            } else {
                ASSERT_FALSE(report.messages.empty());
            }
        }
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);
        EXPECT_GT(wholeReads, 0) << format.kind;
    }
}
