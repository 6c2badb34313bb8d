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

// A file refused as TGA (which has no signature) is named by its first bytes
// when it is another kind of file; one that reads as TGA never is.
TEST(TextureCauses, AFileOfAnotherKindIsNamed)
{
    const std::string tail = Repeat(0, 40);
    const std::string advice = ", not a PNG, TGA or DDS file: save it as PNG";
    const std::string longText = Repeat('a', 511) + "\xC3\xA9 and on";  // cut inside the e-acute at byte 512
    const struct {
        std::string bytes, detail;
    } kinds[] = {
        {"\xFF\xD8\xFF\xE0" + tail, "is a JPEG image" + advice},
        {"GIF89a" + tail, "is a GIF image" + advice},
        {"BM" + Repeat(0, 12) + U32(40) + tail, "is a BMP image" + advice},
        {"RIFF" + U32(100) + "WEBPVP8 " + tail, "is a WebP image" + advice},
        {std::string("II*\0", 4) + tail, "is a TIFF image" + advice},
        {std::string("MM\0*", 4) + tail, "is a TIFF image" + advice},
        {"\xABKTX 20\xBB\r\n\x1A\n" + tail, "is a KTX texture" + advice},
        {"8BPS" + tail, "is a Photoshop (PSD) image" + advice},
        {"qoif" + tail, "is a QOI image" + advice},
        {"VK7N" + tail, "is a scene file, not a PNG, TGA or DDS file: open it with File, Load"},
        {"VK7O" + tail, "is a scene file, not a PNG, TGA or DDS file: open it with File, Load"},
        {"width 64\nheight 64\n", "is a text file, not a PNG, TGA or DDS file"},
        {longText, "is a text file, not a PNG, TGA or DDS file"},
        {"", "is empty"},
        {"BM" + Repeat(0, 12) + U32(7) + tail, "has a reserved colour map type"},  // not a BMP header
        {"text\xFF" + tail, "has a reserved colour map type"},                     // not UTF-8
        {"te\0xt" + tail, "has a reserved colour map type"},
    };
    TempDir dir;
    const std::string photo = dir.file("photo.png");
    for (const auto& kind : kinds) {
        ASSERT_TRUE(WriteFileBytes(photo, kind.bytes));
        TextureRecord holder;
        RecordingReport report;
        EXPECT_FALSE(ReadTextureChain(photo, holder, report));
        ASSERT_EQ(report.problems.size(), 1u) << kind.detail;
        EXPECT_EQ(report.problems[0].detail, kind.detail);
        EXPECT_EQ(report.problems[0].sentence,
                  (kind.detail[0] == 'i' ? photo + " " : "TGA file " + photo + " ") + kind.detail);
    }

    // A TGA whose first 512 bytes read as text is read as TGA; a later level
    // that is a JPEG ends the chain with a warning that says so. Every header
    // field is kept clear of zero: 257 x 257 pixels, an unused colour map.
    TgaFields fields = TgaFields::Image(2, 257, 257, 24, 0x20).withMap(257, 24, 0x4141);
    fields.idLength = 'A';
    std::string textLike = TgaHeaderBytes(fields) + Repeat('B', 'A' + 257 * 3 + 257 * 257 * 3);
    textLike.replace(8, 4, "AAAA");  // the origin
    ASSERT_EQ(textLike.find('\0'), std::string::npos);
    ASSERT_TRUE(WriteFileBytes(dir.file("wall_A.tga"), textLike));
    ASSERT_TRUE(WriteFileBytes(dir.file("wall_A1.tga"), "\xFF\xD8\xFF\xE0" + tail));
    TextureRecord holder;
    RecordingReport report;
    ASSERT_TRUE(ReadTextureChain(dir.file("wall_A.tga"), holder, report));
    EXPECT_EQ(holder.record().depth, 24);
    EXPECT_EQ(report.messages, (std::vector<ReportedMessage>{
                                   {Severity::Warning, dir.file("wall_A1.tga") + " is a JPEG image" + advice}}));
}
