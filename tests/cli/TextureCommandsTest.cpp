#include "cli/TextureCommands.h"

#include "support/TempDir.h"
#include "texture/TgaTestBytes.h"

#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

Outcome Call(CommandFunction run, std::vector<std::string> files, std::map<std::string, std::string> options = {})
{
    CommandArguments args;
    args.files = std::move(files);
    args.options = std::move(options);
    std::ostringstream out, err;
    const int status = run(args, out, err);
    return {status, out.str(), err.str()};
}

// A 2 x 2 colour-mapped file: top row entries 1, 2; bottom row 3, 0.
std::string PaletteFile()
{
    TgaFields f;
    f.colourMapType = 1;
    f.imageType = 1;
    f.colourMapLength = 4;
    f.colourMapEntryBits = 24;
    f.width = f.height = 2;
    f.pixelDepth = 8;
    return TgaHeaderBytes(f) + Bytes({0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF}) + Bytes({3, 0, 1, 2});
}

// A 16 x 16 5-5-5 file: pixel (x, y) from the top is red x, blue y (of 31).
std::string File555()
{
    TgaFields f;
    f.width = f.height = 16;
    f.pixelDepth = 16;
    std::string bytes = TgaHeaderBytes(f);
    for (unsigned y = 16; y-- > 0;)
        for (unsigned x = 0; x < 16; ++x)
            bytes += U16(x << 10 | y);
    return bytes;
}

int Widen5(int v)
{
    return (v << 3) | (v >> 2);
}

} // namespace

TEST(TextureCommands, InfoPrintsTheRecordAndSendsMessagesToStderr)
{
    TempDir dir;
    const std::string path = dir.file("sky_EZ.tga");
    ASSERT_TRUE(WriteFileBytes(path, File555()));
    const Outcome info = Call(RunInfo, {path});
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(info.out, "name: " + path + "\n"
                        "width: 16\n"
                        "height: 16\n"
                        "depth: 16\n"
                        "levels: 3\n"
                        "flags: 0x91\n"
                        "red mask: 0x00007C00\n"
                        "green mask: 0x000003E0\n"
                        "blue mask: 0x0000001F\n"
                        "alpha mask: 0x00000000\n");
    EXPECT_EQ(info.err, "");

    // A warning goes to stderr; the record is still read.
    TgaFields odd;
    odd.colourMapType = 1;
    odd.imageType = 1;
    odd.colourMapLength = 1;
    odd.colourMapEntryBits = 16;
    odd.width = odd.height = 1;
    odd.pixelDepth = 8;
    ASSERT_TRUE(WriteFileBytes(dir.file("odd.tga"), TgaHeaderBytes(odd) + Bytes({1, 2, 0})));
    const Outcome warned = Call(RunInfo, {dir.file("odd.tga")});
    EXPECT_EQ(warned.status, 0);
    EXPECT_EQ(warned.err, "Error: Error with TGA palette!\n");
    EXPECT_NE(warned.out.find("depth: 8\n"), std::string::npos);

    const Outcome missing = Call(RunInfo, {dir.file("none.tga")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "Error: Can't find TGA file " + dir.file("none.tga") + "\n");
}

TEST(TextureCommands, ExportWritesTheLevelAsAnRgbaPng)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.file("pal.tga"), PaletteFile()));
    const std::string png = dir.file("pal.png");
    const Outcome exported = Call(RunExport, {dir.file("pal.tga"), png});
    ASSERT_EQ(exported.status, 0) << exported.err;

    // 8-bit RGBA: IHDR's bit depth 8 and colour type 6.
    const std::string bytes = ReadFileBytes(png);
    ASSERT_GT(bytes.size(), 26u);
    EXPECT_EQ(bytes.substr(12, 4), "IHDR");
    EXPECT_EQ(bytes[24], 8);
    EXPECT_EQ(bytes[25], 6);
    QImage image(QString::fromStdString(png));
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(image.pixel(0, 0), 0xFF0000FFu);  // entry 1: blue
    EXPECT_EQ(image.pixel(1, 0), 0xFF00FF00u);  // entry 2: green
    EXPECT_EQ(image.pixel(0, 1), 0xFFFF0000u);  // entry 3: red
    EXPECT_EQ(image.pixel(1, 1), 0xFF000000u);

    // Level 2 of a 16 x 16 file: 4 x 4, pixel (x, y) from level 0's (4x, 4y).
    ASSERT_TRUE(WriteFileBytes(dir.file("ramp.tga"), File555()));
    const std::string small = dir.file("ramp2.png");
    ASSERT_EQ(Call(RunExport, {dir.file("ramp.tga"), small}, {{"--level", "2"}}).status, 0);
    QImage level2(QString::fromStdString(small));
    ASSERT_EQ(level2.size(), QSize(4, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(level2.pixel(x, y), qRgba(Widen5(4 * x), 0, Widen5(4 * y), 255)) << x << "," << y;
}

TEST(TextureCommands, ExportFailsCleanly)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.file("pal.tga"), PaletteFile()));
    const Outcome noLevel = Call(RunExport, {dir.file("pal.tga"), dir.file("x.png")}, {{"--level", "1"}});
    EXPECT_EQ(noLevel.status, 1);
    EXPECT_NE(noLevel.err.find("no level 1"), std::string::npos);

    const Outcome notANumber = Call(RunExport, {dir.file("pal.tga"), dir.file("x.png")}, {{"--level", "one"}});
    EXPECT_EQ(notANumber.status, 2);
    EXPECT_EQ(notANumber.err, "quorrel-cli: --level wants a whole number from 0 to 7, not 'one'\n");

    const Outcome missing = Call(RunExport, {dir.file("none.tga"), dir.file("x.png")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Error: Can't find TGA file " + dir.file("none.tga") + "\n");

    const std::string nowhere = dir.file("none/x.png");
    const Outcome unwritable = Call(RunExport, {dir.file("pal.tga"), nowhere});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err, "Can't write PNG file " + nowhere + "\n");
    EXPECT_TRUE(ReadFileBytes(dir.file("x.png")).empty());
}

TEST(TextureCommands, TheProgramRunsItsCommandTable)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.file("pal.tga"), PaletteFile()));
    struct Invocation {
        QStringList arguments;
        int status;
        const char* stdoutHas;
        const char* stderrHas;
    };
    const QString tga = QString::fromStdString(dir.file("pal.tga"));
    const QString png = QString::fromStdString(dir.file("p.png"));
    const Invocation runs[] = {
        {{}, 2, "", "usage: quorrel-cli COMMAND"},
        {{"--help"}, 0, "export FILE.tga OUT.png [--level N]", ""},
        {{"info", tga}, 0, "levels: 1\n", ""},
        {{"info"}, 2, "", "wrong number of files for info"},
        {{"export", "--level", "0", tga, png}, 0, "", ""},
        {{"export", tga, png, "--level"}, 2, "", "option --level needs a value"},
        {{"info", QString::fromStdString(dir.file("no.tga"))}, 1, "", "Can't find TGA file"},
    };
    for (const Invocation& run : runs) {
        QProcess process;
        process.start(QUORREL_CLI, run.arguments);
        ASSERT_TRUE(process.waitForFinished(30000)) << run.arguments.join(' ').toStdString();
        const std::string out = process.readAllStandardOutput().toStdString();
        const std::string err = process.readAllStandardError().toStdString();
        EXPECT_EQ(process.exitCode(), run.status) << run.arguments.join(' ').toStdString() << "\n" << err;
        EXPECT_NE(out.find(run.stdoutHas), std::string::npos) << out;
        EXPECT_NE(err.find(run.stderrHas), std::string::npos) << err;
    }
}
