#include "cli/TextureCommands.h"

#include "cli/SceneCommands.h"

#include "CommandCall.h"
#include "scene/CVK7QScene.h"
#include "support/TempDir.h"
#include "support/TgaTestBytes.h"

#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <tuple>

namespace fs = std::filesystem;

namespace {

// 2 x 2 colour-mapped: top row entries 1 (blue), 2 (green); bottom 3 (red), 0.
std::string PaletteFile()
{
    return MappedTga(2, 2, Bytes({0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF}), Bytes({3, 0, 1, 2}));
}

// 16 x 16 at 5-5-5: pixel (x, y) from the top has red x and blue y.
std::string File555()
{
    std::vector<uint16_t> pixels;
    for (unsigned y = 0; y < 16; ++y)
        for (unsigned x = 0; x < 16; ++x)
            pixels.push_back(uint16_t(x << 10 | y));
    return Tga555(16, 16, pixels);
}

// Sets a file's modification time `seconds` before that of `than` (after it,
// when negative): from the other file's time, not the clock's, so that a test
// held up between the two writes sees the same ages.
void MakeOlder(const std::string& path, const std::string& than, double seconds)
{
    const auto age = std::chrono::duration_cast<fs::file_time_type::duration>(std::chrono::duration<double>(seconds));
    fs::last_write_time(path, fs::last_write_time(than) - age);
}

}  // namespace

TEST(TextureCommands, InfoPrintsTheRecordAndSendsMessagesToStderr)
{
    TempDir dir;
    const std::string path = dir.file("sky_EZ.tga");
    ASSERT_TRUE(WriteFileBytes(path, File555()));
    const Outcome info = Call(RunInfo, {path});
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(info.out,
              "name: " + path +
                  "\nwidth: 16\nheight: 16\ndepth: 16\nlevels: 3\nflags: 0x91\n"
                  "red mask: 0x00007C00\ngreen mask: 0x000003E0\nblue mask: 0x0000001F\nalpha mask: 0x00000000\n");
    EXPECT_EQ(info.err, "");

    // Warnings: exit 0, the record printed. Errors: exit 1, nothing printed.
    const TgaFields mapped = TgaFields::Image(1, 1, 1, 8).withMap(1, 24);
    TgaFields type4 = mapped, map8 = mapped;
    type4.imageType = 4;
    map8.colourMapEntryBits = 8;
    const std::string odd = dir.file("odd.tga");
    const std::tuple<std::string, int, std::string> cases[] = {
        {TgaHeaderBytes(mapped) + Bytes({1, 2, 3, 5}), 0,
         "quorrel-cli: " + odd + ": warning: has colour indices beyond its colour map (shown black)\n"},
        {TgaHeaderBytes(type4) + Bytes({1, 2, 3, 0}), 1,
         "quorrel-cli: " + odd + ": has an image type that is not read\n"},
        {TgaHeaderBytes(map8) + Bytes({1, 0}), 1,
         "quorrel-cli: " + odd + ": has a colour map entry size that is not read\n"},
        {"\xFF\xD8\xFF\xE0" + TgaHeaderBytes(mapped), 1,
         "quorrel-cli: " + odd + ": is a JPEG image, not a PNG, TGA or DDS file: save it as PNG\n"},
    };
    for (const auto& [bytes, status, err] : cases) {
        ASSERT_TRUE(WriteFileBytes(odd, bytes));
        const Outcome outcome = Call(RunInfo, {odd});
        EXPECT_EQ(outcome.status, status);
        EXPECT_EQ(outcome.out.empty(), status != 0);
        EXPECT_EQ(outcome.err, err);
    }

    const Outcome missing = Call(RunInfo, {dir.file("none.tga")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "quorrel-cli: " + dir.file("none.tga") + ": does not exist\n");
    // A path's control characters cannot break the line or reach the terminal.
    const Outcome forged = Call(RunInfo, {dir.file("a\nquorrel-cli: b\x1b[2J.tga")});
    EXPECT_EQ(forged.err, "quorrel-cli: " + dir.file("a\\nquorrel-cli: b\\x1b[2J.tga") + ": does not exist\n");
}

TEST(TextureCommands, ExportWritesTheLevelAsAnRgbaPng)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.file("pal.tga"), PaletteFile()));
    const std::string png = dir.file("pal.png");
    ASSERT_EQ(Call(RunExport, {dir.file("pal.tga"), png}).status, 0);
    const std::string bytes = ReadFileBytes(png);  // IHDR: bit depth 8, colour type 6 (RGBA)
    ASSERT_GT(bytes.size(), 26u);
    EXPECT_EQ(bytes.substr(12, 4) + char(bytes[24]) + char(bytes[25]), std::string("IHDR\x08\x06"));
    const QImage image(QString::fromStdString(png));
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(std::vector<QRgb>({image.pixel(0, 0), image.pixel(1, 0), image.pixel(0, 1), image.pixel(1, 1)}),
              std::vector<QRgb>({0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFF000000}));

    // Level 2 of a 16 x 16 file: pixel (x, y) is level 0's (4x, 4y).
    ASSERT_TRUE(WriteFileBytes(dir.file("ramp.tga"), File555()));
    ASSERT_EQ(Call(RunExport, {dir.file("ramp.tga"), dir.file("r.png")}, {{"--level", "2"}}).status, 0);
    const QImage level2(QString::fromStdString(dir.file("r.png")));
    ASSERT_EQ(level2.size(), QSize(4, 4));
    auto widen = [](int v) { return (v << 3) | (v >> 2); };
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(level2.pixel(x, y), qRgba(widen(4 * x), 0, widen(4 * y), 255)) << x << "," << y;

    // Failures: no such level (1), a wrong level (2), no file or no place to write (1).
    const std::string tga = dir.file("pal.tga"), out = dir.file("x.png"), nowhere = dir.file("none/x.png");
    EXPECT_EQ(Call(RunExport, {tga, out}, {{"--level", "1"}}).err,
              "quorrel-cli: " + tga + ": has 1 mip level(s) of depth 8: no level 1 to export\n");
    const Outcome wrong = Call(RunExport, {tga, out}, {{"--level", "one"}});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.err, "quorrel-cli: --level wants a whole number from 0 to 7, not 'one'\n");
    EXPECT_EQ(Call(RunExport, {dir.file("none.tga"), out}).status, 1);
    const Outcome unwritable = Call(RunExport, {tga, nowhere});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err, "quorrel-cli: " + nowhere + ": could not be written: the folder does not exist\n");
    EXPECT_TRUE(ReadFileBytes(out).empty());
    const Outcome ontoItself = Call(RunExport, {tga, tga});
    EXPECT_EQ(ontoItself.status, 1);
    EXPECT_EQ(ontoItself.err, "quorrel-cli: " + tga + ": could not be written: it is a file the output is made from\n");
    EXPECT_EQ(ReadFileBytes(tga), PaletteFile());
}

TEST(TextureCommands, TheProgramRunsItsCommandTable)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.file("pal.tga"), PaletteFile()));
    const QString tga = QString::fromStdString(dir.file("pal.tga")), png = QString::fromStdString(dir.file("p.png"));
    struct Invocation {
        QStringList arguments;
        int status;
        const char *stdoutHas, *stderrHas;
    };
    const Invocation runs[] = {
        {{}, 2, "", "usage: quorrel-cli COMMAND"},
        {{"--help"}, 0, "export FILE.(tga|png|dds) OUT.png [--level N] [--mip-filter point|box]", ""},
        {{"export", "--help"},
         0,
         "usage: quorrel-cli export FILE.(tga|png|dds) OUT.png [--level N] [--mip-filter point|box] [--levels "
         "files|rebuild] [--png-level 1-12]\n",
         ""},
        {{"frob"}, 2, "", "quorrel-cli: unknown command 'frob'"},
        {{"info", tga}, 0, "levels: 1\n", ""},
        {{"info"}, 2, "", "wrong number of files for info\nusage: quorrel-cli info FILE.(tga|png|dds) [--mip-filter"},
        {{"info", tga, "--mip-filter", "smooth"}, 2, "", "--mip-filter wants point or box, not 'smooth'"},
        {{"export", "--level", "0", tga, png}, 0, "", ""},
        {{"info", png, "--mip-filter=box"}, 0, "depth: 32\n", ""},
        {{"export", tga, png, "--level"}, 2, "", "option --level needs a value"},
        {{"export", tga, png, "--png-level", "12"}, 0, "", ""},
        {{"export", tga, png, "--png-level", "0"}, 2, "", "--png-level wants a whole number from 1 to 12"},
        {{"info", QString::fromStdString(dir.file("no.tga"))}, 1, "", "no.tga: does not exist\n"},
    };
    for (const Invocation& run : runs) {
        QProcess process;
        process.start(QUORREL_CLI, run.arguments);
        ASSERT_TRUE(process.waitForFinished(30000));
        const std::string out = process.readAllStandardOutput().toStdString();
        const std::string err = process.readAllStandardError().toStdString();
        EXPECT_EQ(process.exitCode(), run.status) << run.arguments.join(' ').toStdString() << "\n" << err;
        EXPECT_NE(out.find(run.stdoutHas), std::string::npos) << out;
        EXPECT_NE(err.find(run.stderrHas), std::string::npos) << err;
    }

    // The program needs no Qt.
    QProcess ldd;
    ldd.start("ldd", {QUORREL_CLI});
    ASSERT_TRUE(ldd.waitForFinished(30000));
    const QString libraries = QString::fromLocal8Bit(ldd.readAllStandardOutput());
    EXPECT_TRUE(libraries.contains("libc.so"));
    EXPECT_FALSE(libraries.contains("qt", Qt::CaseInsensitive)) << libraries.toStdString();
}

// Level files older than the first file: every reading command warns once, or
// does what --levels says.
TEST(StaleLevels, AreUsedWithOneWarningOrRebuiltAsAsked)
{
    TempDir dir;
    const std::string first = dir.file("c_A.tga"), level1 = dir.file("c_A1.tga"), level2 = dir.file("c_A2.tga");
    std::vector<uint16_t> big(64 * 64, 0x7C00), middle(32 * 32, 0x03E0), small(16 * 16, 0x001F);
    ASSERT_TRUE(WriteFileBytes(first, Tga555(64, 64, big)) && WriteFileBytes(level1, Tga555(32, 32, middle)) &&
                WriteFileBytes(level2, Tga555(16, 16, small)));
    MakeOlder(level1, first, 1.5);  // within the margin: not stale
    MakeOlder(level2, first, 1.5);
    EXPECT_EQ("", Call(RunInfo, {first}).err);

    MakeOlder(level1, first, 3);
    MakeOlder(level2, first, 3);
    const std::string warning = "quorrel-cli: " + first +
                                ": warning: has smaller levels older than itself: c_A1.tga and c_A2.tga; used as they "
                                "are (--levels rebuild makes them from it, --levels files uses them without this "
                                "warning)\n";
    EXPECT_EQ(warning, Call(RunInfo, {first}).err);
    EXPECT_EQ("", Call(RunInfo, {first}, {{"--levels", "files"}}).err);
    EXPECT_EQ(2, Call(RunInfo, {first}, {{"--levels", "newest"}}).status);

    // Rebuilt: level 1 is level 0 point-sampled (red), not the file (green).
    const std::string scene = dir.file("s.T3D");
    ASSERT_EQ(0, Call(RunPack, {scene, first}, {{"--levels", "rebuild"}}).status);
    ASSERT_EQ(0, Call(RunPack, {dir.file("f.T3D"), first}).status);
    CVK7QScene rebuilt, used;
    ASSERT_EQ(1, rebuilt.Load(scene.c_str(), 0));
    ASSERT_EQ(1, used.Load(dir.file("f.T3D").c_str(), 0));
    EXPECT_EQ(0x7C00, reinterpret_cast<const uint16_t*>(rebuilt.GetSceneHeader()->textures[0].levels[1])[0]);
    EXPECT_EQ(0x03E0, reinterpret_cast<const uint16_t*>(used.GetSceneHeader()->textures[0].levels[1])[0]);

    // A newer file below a stale one is not used either.
    MakeOlder(level2, first, -1);
    const Outcome replaced = Call(RunReplace, {scene, "0", first}, {{"--levels", "rebuild"}});
    ASSERT_EQ(0, replaced.status) << replaced.err;
    ASSERT_EQ(1, rebuilt.Load(scene.c_str(), 0));
    EXPECT_EQ(0x7C00, reinterpret_cast<const uint16_t*>(rebuilt.GetSceneHeader()->textures[0].levels[2])[0]);
    EXPECT_EQ("quorrel-cli: " + first +
                  ": warning: has smaller levels older than itself: c_A1.tga; used as they are (--levels rebuild "
                  "makes them from it, --levels files uses them without this warning)\n",
              Call(RunExport, {first, dir.file("x.png")}).err);
}
