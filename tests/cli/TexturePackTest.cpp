// extract-all's manifest, import and watch: a folder of chains back into a
// scene.
#include "texturepack/TexturePack.h"
#include "cli/ImportCommands.h"
#include "cli/SceneCommands.h"

#include "CommandCall.h"
#include "scene/CVK7QScene.h"
#include "support/EventWait.h"
#include "support/PngTestBytes.h"
#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "support/TextureBuilder.h"
#include "support/TextureCompare.h"
#include "texture/TextureFlags.h"
#include "texture/convert/MipGeneration.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kOddName = "odd\tname\n\xc2\x9b\xff";  // a tab, a newline, a C1 CSI, a byte that is not UTF-8

// A 32 x 32 RGBA PNG, every pixel `argb`-like from (x, y) and a seed.
std::string PaintedPng(unsigned side, uint8_t seed)
{
    PngPicture picture;
    picture.width = picture.height = side;
    picture.colourType = 6;
    for (unsigned y = 0; y < side; ++y)
        for (unsigned x = 0; x < side; ++x)
            picture.rows.insert(picture.rows.end(), {uint8_t(x * 8 + seed), uint8_t(y * 8), seed, 255});
    const std::vector<uint8_t> bytes = MakePng(picture);
    return std::string(bytes.begin(), bytes.end());
}

// A scene of four textures, extracted as PNG chains into pack/ with its manifest.
class PackFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Levels below 0 made as the reader makes them, so each chain reads back
        // as its texture.
        const int levels32 = GeneratedLevelCount(32, 32), levels16 = GeneratedLevelCount(16, 16);
        CVK7QScene built;
        TextureRecord textures[] = {
            TextureBuilder(32, 32, 32)
                .standardMasks()
                .generatedLevels(levels32)
                .flags(0x03)
                .name("crate_A")
                .bytes([](int, uint64_t i) { return uint8_t(i * 7); })
                .build(),
            TextureBuilder(32, 32, 16)
                .standardMasks()
                .generatedLevels(levels32)
                .flags(0x01)
                .name("wall")
                .bytes([](int, uint64_t i) { return uint8_t(i % 2 ? 0x7F & (i * 3) : i * 5); })
                .build(),
            TextureBuilder(16, 16, 32)
                .standardMasks()
                .generatedLevels(levels16)
                .name(kOddName)
                .bytes([](int, uint64_t i) { return uint8_t(i); })
                .build(),
            TextureBuilder(32, 32, 8)
                .generatedLevels(levels32)
                .flags(0x91)
                .name("sky_E")
                .palette([](int i) {
                    return Rgb{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)};
                })
                .bytes([](int, uint64_t i) { return uint8_t(i / 4); })
                .build(),
        };
        for (TextureRecord& texture : textures)
            ASSERT_EQ(1, built.AppendT3DTexture(&texture.record()));
        ASSERT_EQ(1, built.Write(scene.c_str()));
        const Outcome extracted = Call(RunExtractAll, {scene, pack}, {{"--png", ""}});
        ASSERT_EQ(0, extracted.status) << extracted.err;
        original = ReadFileBytes(scene);
    }

    std::string in(const std::string& name) const { return pack + "/" + name; }

    Outcome Import(std::map<std::string, std::string> options = {})
    {
        return Call(RunImport, {scene, pack}, std::move(options));
    }

    TempDir dir;
    const std::string scene = dir.file("scene.T3D");
    const std::string pack = dir.file("pack");
    std::string original;
};

TEST_F(PackFolder, ImportPutsBackExactlyTheChainsThatChanged)
{
    // The manifest: names and files escaped as list prints them, a CRC-32 per file.
    const std::string manifest = ReadFileBytes(in("textures.tsv"));
    EXPECT_EQ(0u, manifest.find("# quorrel textures 1\nindex\tname\tfile\twidth\theight\tdepth\tlevels\tflags\tcrc32\n"
                                "0\tcrate_A\tcrate_A.png\t32\t32\t32\t4\t0x03\t"));
    EXPECT_NE(std::string::npos,
              manifest.find("\n2\todd\\tname\\n\\xc2\\x9b\\xff\todd-name-\\xc2\\x9b\\xff.png\t16\t16\t32\t3\t0x01\t"));
    const std::string wallRow = manifest.substr(manifest.find("\n1\twall") + 1);
    const std::string crcs = wallRow.substr(0, wallRow.find('\n')).substr(wallRow.find("0x01\t") + 5);
    EXPECT_EQ(4 * 9 - 1, crcs.size()) << crcs;  // four files: eight hex digits each, commas between

    // Nothing changed: nothing read, nothing written, and it says so.
    const Outcome same = Import();
    EXPECT_EQ(0, same.status) << same.err;
    EXPECT_EQ(
        "0\tcrate_A\tunchanged\n1\twall\tunchanged\n2\todd\\tname\\n\\xc2\\x9b\\xff\tunchanged\n3\tsky_E\tunchanged\n"
        "no texture changed: " +
            scene + " not written\n",
        same.out);
    // Every chain read back gives the scene's texture exactly, the escaped name included.
    const Outcome all = Import({{"--all", ""}});
    EXPECT_EQ(0, all.status) << all.err;
    EXPECT_EQ("0\tcrate_A\tunchanged: reads as the scene holds it\n"
              "1\twall\tunchanged: reads as the scene holds it\n"
              "2\todd\\tname\\n\\xc2\\x9b\\xff\tunchanged: reads as the scene holds it\n"
              "3\tsky_E\tunchanged: reads as the scene holds it\n"
              "no texture changed: " +
                  scene + " not written\n",
              all.out);
    EXPECT_EQ(original, ReadFileBytes(scene));

    // Two first files painted again: those two textures change, in the scene's
    // format, names and flags; crate_A's level file, still as exported, is
    // stale and made from level 0 instead.
    ASSERT_TRUE(WriteFileBytes(in("crate_A.png"), PaintedPng(32, 40)));
    ASSERT_TRUE(WriteFileBytes(in("odd-name-\xc2\x9b\xff.png"), PaintedPng(32, 90)));
    const Outcome dry = Import({{"--dry-run", ""}});
    EXPECT_EQ(0, dry.status);
    EXPECT_NE(std::string::npos, dry.out.find("dry run: 2 textures would be replaced, nothing written\n"));
    // Each line ends with what going in costs: nothing, 32-bit into 32-bit.
    EXPECT_NE(std::string::npos,
              dry.out.find("0\tcrate_A\treplaced: new pixels; level 1 made from the one above; levels 0-3 exact\n"));
    EXPECT_EQ(original, ReadFileBytes(scene));
    const Outcome two = Import();
    ASSERT_EQ(0, two.status) << two.err;
    EXPECT_NE(std::string::npos, two.out.find("0\tcrate_A\treplaced: new pixels; level 1 made from the one above\n"));
    EXPECT_NE(std::string::npos,
              two.out.find("\treplaced: 16 x 16 -> 32 x 32, 3 -> 4 levels; level 1 made from the one above\n"));
    EXPECT_NE(std::string::npos, two.out.find("wrote " + scene + ": new format, 2 textures replaced\n"));

    CVK7QScene before, after;
    ASSERT_TRUE(WriteFileBytes(dir.file("before.T3D"), original));
    ASSERT_EQ(1, before.Load(dir.file("before.T3D").c_str(), 0));
    ASSERT_EQ(1, after.Load(scene.c_str(), 0));
    const T3D_TEXTURE* was = before.GetSceneHeader()->textures;
    const T3D_TEXTURE* now = after.GetSceneHeader()->textures;
    ExpectSameTexture(was[1], now[1]);
    ExpectSameTexture(was[3], now[3]);
    EXPECT_STREQ(kOddName.c_str(), now[2].name);
    EXPECT_EQ(0xFF300028u, reinterpret_cast<const uint32_t*>(now[0].levels[0])[1]);  // x 1, y 0 of seed 40
    EXPECT_EQ(0x03u, now[0].flags);
    std::vector<uint8_t> shrunk(16 * 16 * 4);
    ShrinkLevel(now[0].levels[0], 32, shrunk.data(), 16, 16, 4);
    EXPECT_EQ(0, std::memcmp(shrunk.data(), now[0].levels[1], shrunk.size()));

    // With --levels files the level file as exported goes in as it is.
    const Outcome files =
        Call(RunImport, {dir.file("before.T3D"), pack}, {{"--levels", "files"}, {"-o", dir.file("f.T3D")}});
    ASSERT_EQ(0, files.status) << files.err;
    EXPECT_NE(std::string::npos, files.out.find("0\tcrate_A\treplaced: new pixels\n"));
    CVK7QScene usingFiles;
    ASSERT_EQ(1, usingFiles.Load(dir.file("f.T3D").c_str(), 0));
    EXPECT_EQ(0, std::memcmp(was[0].levels[1], usingFiles.GetSceneHeader()->textures[0].levels[1], 16 * 16 * 4));
}

TEST_F(PackFolder, AFailedChainWritesNothingUnlessSkipped)
{
    ASSERT_TRUE(WriteFileBytes(in("crate_A.png"), PaintedPng(32, 40)));
    const std::string wall = ReadFileBytes(in("wall.png"));
    ASSERT_TRUE(WriteFileBytes(in("wall.png"), wall.substr(0, wall.size() / 2)));
    fs::remove(in("sky_E.png"));

    const Outcome failed = Import();
    EXPECT_EQ(1, failed.status);
    EXPECT_NE(std::string::npos, failed.out.find("1\twall\tfailed: wall.png "));
    EXPECT_NE(std::string::npos, failed.out.find("3\tsky_E\tmissing: sky_E.png\n"));
    EXPECT_EQ("quorrel-cli: " + scene + ": not written: 1 texture failed (--skip-failed writes the others)\n",
              failed.err);
    EXPECT_EQ(original, ReadFileBytes(scene));

    const Outcome skipped = Import({{"--skip-failed", ""}, {"-o", dir.file("out.T3D")}});
    EXPECT_EQ(0, skipped.status);
    EXPECT_NE(std::string::npos, skipped.out.find("wrote " + dir.file("out.T3D") + ": new format, 1 texture replaced"));
    EXPECT_EQ(original, ReadFileBytes(scene));

    // A row whose texture is no longer where the manifest says fails too.
    ASSERT_EQ(0, Call(RunReplace, {scene, "1", in("crate_A.png")}).status);
    const Outcome moved = Import({{"--skip-failed", ""}, {"--dry-run", ""}});
    EXPECT_NE(std::string::npos, moved.out.find("1\twall\tfailed: index 1 and name wall no longer match the scene\n"));

    // A damaged manifest is refused, and names where.
    ASSERT_TRUE(WriteFileBytes(in("textures.tsv"), "# quorrel textures 1\n0\tcrate_A\tcrate_A.png\n"));
    EXPECT_EQ("quorrel-cli: " + in("textures.tsv") + ": line 2: wants 9 tab-separated fields, not 3\n", Import().err);
}

TEST_F(PackFolder, WithoutAManifestChainsAreFoundByTheirNamesAndNeverGuessed)
{
    fs::remove(in("textures.tsv"));
    ASSERT_TRUE(WriteFileBytes(in("sky_E.tga"), "a second chain for sky_E"));
    ASSERT_TRUE(WriteFileBytes(in("sky_E.dds"), "a third"));
    ASSERT_TRUE(WriteFileBytes(in("stray.png"), PaintedPng(16, 1)));
    ASSERT_TRUE(WriteFileBytes(in("wall.png"), PaintedPng(32, 7)));
    const Outcome named = Import();
    ASSERT_EQ(0, named.status) << named.err;
    EXPECT_EQ("0\tcrate_A\tunchanged: reads as the scene holds it\n"
              "1\twall\treplaced: new pixels\n"
              "2\todd\\tname\\n\\xc2\\x9b\\xff\tunchanged: reads as the scene holds it\n"
              "3\tsky_E\tambiguous: sky_E.tga, sky_E.png and sky_E.dds all name it; none is taken\n"
              "-\tstray.png\tunmatched: names no texture of the scene\n"
              "wrote " +
                  scene + ": new format, 1 texture replaced\n",
              named.out);
}

TEST_F(PackFolder, ManifestsHideNoEdit)
{
    const std::string manifest = ReadFileBytes(in("textures.tsv"));
    const std::string crateRow = manifest.substr(manifest.find("0\tcrate_A\t"));
    const std::string firstRow = crateRow.substr(0, crateRow.find('\n') + 1);
    const std::string head = manifest.substr(0, manifest.find("0\tcrate_A\t"));
    const struct {
        std::string manifest;
        std::string problem;  // empty: read
    } rows[] = {
        {manifest + firstRow, "line 7: lists texture 0 again (line 3 lists it first)"},
        {head + "0\tcrate_A\tcrate_A.png\\x00zz" + firstRow.substr(firstRow.find(".png") + 4),
         "line 3: has a name holding a NUL byte, which no name can hold"},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(WriteFileBytes(in("textures.tsv"), row.manifest));
        EXPECT_EQ("quorrel-cli: " + in("textures.tsv") + ": " + row.problem + "\n", Import().err);
    }

    // A row whose size lies, and chains found by name alone: an edit of a
    // level file alone is seen in the next round.
    std::string lying = manifest;
    lying.replace(lying.find("\t32\t32\t32\t4\t0x03"), 14, "\t4\t4\t32\t4\t0x03");
    const std::string levelFile = ReadFileBytes(in("crate_A1.png"));
    for (const bool withManifest : {true, false}) {
        SCOPED_TRACE(withManifest);
        ASSERT_TRUE(WriteFileBytes(scene, original));
        ASSERT_TRUE(WriteFileBytes(in("crate_A1.png"), levelFile));
        if (withManifest)
            ASSERT_TRUE(WriteFileBytes(in("textures.tsv"), lying));
        else
            fs::remove(in("textures.tsv"));
        ImportOptions options;
        options.output = scene;
        TexturePack round(scene, pack, options);
        std::string problem;
        ASSERT_TRUE(round.load(problem)) << problem;
        RecordingReport warnings;
        ASSERT_EQ(0, round.round(warnings).replaced);
        ASSERT_TRUE(WriteFileBytes(in("crate_A1.png"), PaintedPng(16, uint8_t(withManifest ? 70 : 80))));
        const RoundOutcome edited = round.round(warnings);
        EXPECT_EQ(1, edited.replaced);
        EXPECT_TRUE(edited.wrote);
    }

    // A level file larger than any reader takes is refused by its size, not
    // read for its CRC.
    ASSERT_TRUE(WriteFileBytes(in("textures.tsv"), manifest));
    ASSERT_EQ(0, ::truncate(in("crate_A1.png").c_str(), off_t(2) << 30)) << std::strerror(errno);
    const Outcome huge = Import();
    EXPECT_EQ(1, huge.status);
    EXPECT_NE(std::string::npos, huge.out.find("0\tcrate_A\tfailed: crate_A1.png is too large\n")) << huge.out;
}

TEST_F(PackFolder, LevelFilesThatAreNeverReadAreNamed)
{
    // crate_A's levels 2 and 3 (8 x 8 and 4 x 4) are made from the level
    // above. One painted is named: by its time for replace, by its CRC-32
    // against the manifest for import. So are the files past a gap.
    const std::string made = " not read: levels under 16 pixels are made from the one above\n";
    const std::string kept = dir.file("kept");
    fs::copy(pack, kept);
    const auto age = [this](const char* name, int seconds) {
        fs::last_write_time(in(name), fs::last_write_time(in("crate_A.png")) + std::chrono::seconds(seconds));
    };
    const struct {
        const char* what;
        std::function<void()> change;
        bool import;
        std::string warning;  // after "warning: "; empty: none
    } rows[] = {
        {"newer", [&] { age("crate_A2.png", 10), age("crate_A3.png", 10); }, false,
         "crate_A2.png and crate_A3.png are" + made},
        {"not newer", [&] { age("crate_A2.png", -10); }, false, ""},
        {"a gap", [&] { fs::remove(in("crate_A1.png")); }, false,
         "crate_A2.png and crate_A3.png are not read: the chain ends at the level file missing before them\n"},
        {"another CRC than the manifest's",
         [&] { WriteFileBytes(in("crate_A3.png"), PaintedPng(4, 9)), age("crate_A3.png", -10); }, true,
         "crate_A3.png is" + made},
        {"the manifest's CRC", [&] { age("crate_A3.png", 10); }, true, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        fs::remove_all(pack);
        fs::copy(kept, pack);
        row.change();
        const Outcome run =
            row.import ? Import() : Call(RunReplace, {scene, "0", in("crate_A.png")}, {{"-o", dir.file("out.T3D")}});
        EXPECT_EQ(0, run.status) << run.err;
        const size_t warned = run.err.find("crate_A.png: warning: ");
        const std::string warning = warned == std::string::npos ? "" : run.err.substr(warned + 22);
        EXPECT_EQ(row.warning, warning) << run.err;
    }
}

TEST_F(PackFolder, AFileNewerThanTheManifestIsJudgedByItsBytes)
{
    // A first file saved after the manifest is read for its pixels and its
    // CRC-32 at once; whether it changed is still the CRC's to say, and a read
    // dropped as unchanged says nothing of what it met.
    const std::string kept = dir.file("kept");
    fs::copy(pack, kept);
    const auto newer = [this](const char* name, int seconds) {
        fs::last_write_time(in(name), fs::last_write_time(in("textures.tsv")) + std::chrono::seconds(seconds));
    };
    const std::string painted = "crate_A3.png is not read: levels under 16 pixels are made from the one above\n";
    const struct {
        const char* what;
        std::function<void()> change;
        std::string line;     // crate_A's
        std::string warning;  // after "warning: "; empty: none
    } rows[] = {
        {"the same bytes", [&] { WriteFileBytes(in("crate_A3.png"), PaintedPng(4, 9)), newer("crate_A.png", 10); },
         "0\tcrate_A\tunchanged\n", painted},
        {"the same bytes, a level file painted",
         [&] {
             WriteFileBytes(in("crate_A1.png"), PaintedPng(16, 3)), newer("crate_A.png", 10), newer("crate_A1.png", 20);
         },
         "0\tcrate_A\treplaced: new pixels\n", ""},
        {"new bytes", [&] { WriteFileBytes(in("crate_A.png"), PaintedPng(32, 40)), newer("crate_A.png", 10); },
         "0\tcrate_A\treplaced: new pixels; level 1 made from the one above\n", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        fs::remove_all(pack);
        fs::copy(kept, pack);
        ASSERT_TRUE(WriteFileBytes(scene, original));
        row.change();
        const Outcome run = Import();
        EXPECT_EQ(0, run.status) << run.err;
        EXPECT_NE(std::string::npos, run.out.find(row.line)) << run.out;
        const size_t warned = run.err.find("crate_A.png: warning: ");
        EXPECT_EQ(row.warning, warned == std::string::npos ? "" : run.err.substr(warned + 22));
    }
}

TEST_F(PackFolder, AnotherProgramsSaveIsNeverWrittenOver)
{
    ImportOptions options;
    options.output = scene;
    TexturePack round(scene, pack, options);
    std::string problem;
    ASSERT_TRUE(round.load(problem)) << problem;
    ASSERT_TRUE(WriteFileBytes(in("crate_A.png"), PaintedPng(32, 40)));
    CVK7QScene other;  // another program writes the scene after the pack loaded it
    ASSERT_EQ(1, other.Load(scene.c_str(), 0));
    TextureRecord sky = TextureBuilder(32, 32, 8).name("sky_E").flags(0x91).build();
    ASSERT_EQ(1, other.ReplaceT3DTexture(3, &sky.record()));
    ASSERT_EQ(1, other.Write(scene.c_str()));
    const std::string theirs = ReadFileBytes(scene);
    RecordingReport warnings;
    const RoundOutcome refused = round.round(warnings);
    EXPECT_TRUE(refused.sceneChanged && refused.sceneFailed && !refused.wrote);
    EXPECT_EQ(theirs, ReadFileBytes(scene));
    EXPECT_TRUE(round.sceneChangedOnDisk());
}

// Reads what a running watch prints until a line holds `wanted`.
bool WaitForLine(QProcess& process, std::string& seen, const std::string& wanted)
{
    const QDeadlineTimer deadline(kEventWaitMilliseconds);
    for (;;) {
        const bool ended = process.state() == QProcess::NotRunning;
        seen += process.readAllStandardOutput().toStdString();
        const size_t at = seen.find(wanted);
        if (at != std::string::npos && seen.find('\n', at) != std::string::npos) {
            seen.erase(0, seen.find('\n', at) + 1);
            return true;
        }
        if (ended || deadline.hasExpired())
            return false;
        process.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
    }
}

TEST_F(PackFolder, WatchImportsEachSaveAndKeepsTheSceneWhole)
{
    QProcess watch;
    watch.start(QUORREL_CLI, {"watch", QString::fromStdString(scene), QString::fromStdString(pack)});
    std::string seen;
    ASSERT_TRUE(WaitForLine(watch, seen, "for changes (Ctrl+C ends)")) << seen;

    // A save is picked up.
    ASSERT_TRUE(WriteFileBytes(in("crate_A.png"), PaintedPng(32, 40)));
    ASSERT_TRUE(WaitForLine(watch, seen, " wrote " + scene + ": replaced crate_A (")) << seen;
    const std::string first = ReadFileBytes(scene);
    EXPECT_NE(original, first);

    // A damaged save keeps the scene as it was; the next save goes in.
    ASSERT_TRUE(WriteFileBytes(in("wall.png"), "\x89PNG\r\n\x1a\n"));
    ASSERT_TRUE(WaitForLine(watch, seen, " not written, kept as it was: wall failed: wall.png ")) << seen;
    EXPECT_EQ(first, ReadFileBytes(scene));
    ASSERT_TRUE(WriteFileBytes(in("wall.png"), PaintedPng(32, 9)));
    ASSERT_TRUE(WaitForLine(watch, seen, ": replaced wall (")) << seen;

    // Another program changes the scene: it is loaded again, its change kept.
    CVK7QScene other;
    ASSERT_EQ(1, other.Load(scene.c_str(), 0));
    TextureRecord sky = TextureBuilder(32, 32, 8).name("sky_E").flags(0x91).build();
    ASSERT_EQ(1, other.ReplaceT3DTexture(3, &sky.record()));
    ASSERT_EQ(1, other.Write(scene.c_str()));
    ASSERT_TRUE(WriteFileBytes(in("crate_A.png"), PaintedPng(32, 50)));
    ASSERT_TRUE(WaitForLine(watch, seen, " changed on disk and was loaded again; wrote ")) << seen;
    ASSERT_EQ(1, other.Load(scene.c_str(), 0));
    EXPECT_EQ(1, other.GetSceneHeader()->textures[3].levelCount);
    EXPECT_EQ(0xFF3A0032u, reinterpret_cast<const uint32_t*>(other.GetSceneHeader()->textures[0].levels[0])[1]);

    // SIGTERM while a round may be running: it ends with 0 and the scene whole.
    ASSERT_TRUE(WriteFileBytes(in("crate_A.png"), PaintedPng(32, 60)));
    QThread::msleep(310);
    watch.terminate();
    ASSERT_TRUE(watch.waitForFinished(30000));
    EXPECT_EQ(QProcess::NormalExit, watch.exitStatus());
    EXPECT_EQ(0, watch.exitCode()) << watch.readAllStandardError().toStdString();
    EXPECT_EQ(1, other.Load(scene.c_str(), 0));
    for (const std::string& name : FolderEntries(dir.path()))
        EXPECT_EQ(std::string::npos, name.find(".quorrel.")) << "temporary left: " << name;
}

TEST_F(PackFolder, WatchTakesNoStreamAndEndsWithZeroOnTwoSignals)
{
    ASSERT_EQ(0, ::mkfifo(dir.file("fifo").c_str(), 0600));
    EXPECT_EQ(2, Call(RunWatch, {scene, pack}, {{"-o", dir.file("fifo")}}).status);

    for (const bool duringARound : {false, true}) {
        QProcess watch;
        watch.start(QUORREL_CLI, {"watch", QString::fromStdString(scene), QString::fromStdString(pack)});
        std::string seen;
        ASSERT_TRUE(WaitForLine(watch, seen, "for changes (Ctrl+C ends)")) << seen;
        if (duringARound) {
            ASSERT_TRUE(WriteFileBytes(in("crate_A.png"), PaintedPng(32, 40)));
            QThread::msleep(300);
        }
        ::kill(pid_t(watch.processId()), SIGINT);
        ::kill(pid_t(watch.processId()), SIGTERM);
        ASSERT_TRUE(watch.waitForFinished(30000));
        EXPECT_EQ(QProcess::NormalExit, watch.exitStatus()) << duringARound;
        EXPECT_EQ(0, watch.exitCode()) << watch.readAllStandardError().toStdString();
        CVK7QScene whole;
        EXPECT_EQ(1, whole.Load(scene.c_str(), 0));
    }
}

TEST(FlagBits, EveryBitTheSceneHoldsIsKeptThroughReplaceAndImport)
{
    const struct {
        uint32_t scene, file;
        bool fromName;
        uint32_t replaced;
    } rules[] = {
        {0x80010003, 0x00, false, 0x80010002},  // the mipmap bit follows the chain's levels
        {0x80010003, 0x01, false, 0x80010003},
        {0x80010003, 0x19, true, 0x80010019},  // the name's bits 0x02-0x80, the rest kept
        {0xFFFFFFFF, 0x00, true, 0xFFFFFF00},
        {0x000000FE, 0x01, false, 0x000000FF},
    };
    for (const auto& rule : rules)
        EXPECT_EQ(rule.replaced, ReplacedFlags(rule.scene, rule.file, rule.fromName)) << std::hex << rule.scene;

    TempDir dir;
    const std::string scene = dir.file("s.T3D"), pack = dir.file("pack");
    CVK7QScene built;
    TextureRecord crate = TextureBuilder(32, 32, 32)
                              .standardMasks()
                              .generatedLevels(GeneratedLevelCount(32, 32))
                              .flags(0x80010003)
                              .name("crate_A")
                              .bytes([](int, uint64_t i) { return uint8_t(i * 3); })
                              .build();
    ASSERT_EQ(1, built.AppendT3DTexture(&crate.record()));
    ASSERT_EQ(1, built.Write(scene.c_str()));
    ASSERT_EQ(0, Call(RunExtractAll, {scene, pack}, {{"--png", ""}}).status);
    const std::string original = ReadFileBytes(scene);

    // An untouched pack reads as the scene holds it, high bits and all.
    const Outcome all = Call(RunImport, {scene, pack}, {{"--all", ""}});
    EXPECT_EQ("0\tcrate_A\tunchanged: reads as the scene holds it\nno texture changed: " + scene + " not written\n",
              all.out);
    EXPECT_EQ(original, ReadFileBytes(scene));

    const std::string file = pack + "/crate_A.png";
    for (const bool fromName : {false, true}) {
        std::map<std::string, std::string> options = {{"-o", dir.file("out.T3D")}};
        if (fromName)
            options["--flags-from-name"] = "";
        ASSERT_EQ(0, Call(RunReplace, {scene, "0", file}, options).status);
        EXPECT_NE(std::string::npos, Call(RunList, {dir.file("out.T3D")}).out.find("\t0x80010003\n")) << fromName;
    }
}

}  // namespace
