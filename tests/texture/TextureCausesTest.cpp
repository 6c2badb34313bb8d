// Each kind of failure comes out with its cause, the file it is about, and a
// detail that can follow the file's name.
#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "support/TextureBuilder.h"
#include "support/TgaTestBytes.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/chain/TgaTextureWriter.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void ExpectOneProblem(const RecordingReport& report, TextureCause cause, const std::string& file,
                      const std::string& what)
{
    ASSERT_EQ(report.problems.size(), 1u) << what;
    const TextureProblem& problem = report.problems[0];
    EXPECT_EQ(problem.severity, Severity::Error) << what;
    EXPECT_EQ(problem.cause, cause) << what;
    EXPECT_EQ(problem.file, file) << what;
    ASSERT_FALSE(problem.detail.empty()) << what;
    EXPECT_TRUE(std::islower(static_cast<unsigned char>(problem.detail[0]))) << what << ": " << problem.detail;
}

}  // namespace

TEST(TextureCauses, EachFailureSaysWhy)
{
    TempDir dir;
    const std::string locked = dir.file("locked.tga"), cut = dir.file("cut.tga"), odd = dir.file("odd.tga"),
                      broken = dir.file("broken.png");
    ASSERT_TRUE(WriteFileBytes(locked, TgaHeaderBytes(TgaFields::Image(3, 1, 1, 8)) + Bytes({7})));
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    ASSERT_TRUE(WriteFileBytes(cut, TgaHeaderBytes(TgaFields::Image(3, 4, 4, 8)).substr(0, 10)));
    ASSERT_TRUE(WriteFileBytes(odd, TgaHeaderBytes(TgaFields::Image(4, 4, 4, 24)) + Repeat(1, 48)));
    ASSERT_TRUE(WriteFileBytes(broken, "\x89PNG\r\n\x1a\n and then no chunk at all"));
    const struct {
        std::string path;
        TextureCause cause;
    } reads[] = {
        {dir.file("none.tga"), TextureCause::NotFound},
        {locked, TextureCause::PermissionDenied},
        {dir.path().string(), TextureCause::NotRegularFile},
        {cut, TextureCause::Truncated},
        {odd, TextureCause::TgaImageType},
        {broken, TextureCause::Damaged},
    };
    for (const auto& read : reads) {
        if (read.cause == TextureCause::PermissionDenied && geteuid() == 0)
            continue;  // root may read any file
        TextureRecord holder;
        RecordingReport report;
        EXPECT_FALSE(ReadTextureChain(read.path, holder, report)) << read.path;
        ExpectOneProblem(report, read.cause, read.path, read.path);
    }

    const TextureRecord texture = TextureBuilder(16, 16, 8).levels(2).build();
    const struct {
        std::string path;
        TextureCause cause;
    } writes[] = {
        {dir.file("missing/out.tga"), TextureCause::WriteNoFolder},
        {dir.file("plain"), TextureCause::NamingNoDot},
    };
    for (const auto& write : writes) {
        RecordingReport report;
        EXPECT_FALSE(TgaTextureWriter(write.path.c_str(), texture.record(), report)) << write.path;
        ExpectOneProblem(report, write.cause, write.path, write.path);
    }
}
