// Where quorrel-cli's output goes: streams and devices, and links to them,
// are written through, never replaced, and nothing is made in /dev; output
// that cannot be written is an error, a reader that went away is no error.
#include "ChildProcess.h"
#include "CommandCall.h"
#include "cli/ImportCommands.h"
#include "cli/SceneCommands.h"
#include "cli/TextureCommands.h"
#include "support/TempDir.h"
#include "support/TgaTestBytes.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Ran {
    int status;  // -1 when the program did not exit by itself
    std::string out, err;
};

// Runs a program; its stdout is a pipe the test reads, or the file
// `stdoutFile` names.
Ran RunProgram(const char* program, const std::vector<std::string>& arguments, const std::string& stdoutFile = "")
{
    QStringList list;
    for (const std::string& argument : arguments)
        list << QString::fromStdString(argument);
    QProcess process;
    if (!stdoutFile.empty())
        process.setStandardOutputFile(QString::fromStdString(stdoutFile));
    process.start(program, list);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

Ran RunCli(const std::vector<std::string>& arguments, const std::string& stdoutFile = "")
{
    return RunProgram(QUORREL_CLI, arguments, stdoutFile);
}

ChildSetup OutputTo(int fd, bool brokenPipeIgnored = false)
{
    ChildSetup setup;
    setup.standardOutput = fd;
    setup.brokenPipeIgnored = brokenPipeIgnored;
    return setup;
}

bool IsLink(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// A folder with a texture of two levels (wall_A.tga), one of a single level
// (line.tga) and a scene of both (s.T3D).
class Outputs : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteFileBytes(wall, MappedTga(8, 8, Bytes({0, 0, 0xFF, 0, 0xFF, 0}), Repeat(1, 64))));
        ASSERT_TRUE(
            WriteFileBytes(line, MappedTga(4, 1, Bytes({0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0}), Bytes({0, 1, 2, 0}))));
        ASSERT_EQ(0, Call(RunPack, {scene, wall, line}).status);
    }

    // What the command, run in the test's process, writes to `output`.
    static std::string Written(CommandFunction run, const std::vector<std::string>& files, const std::string& output,
                               const std::map<std::string, std::string>& options = {})
    {
        const Outcome outcome = Call(run, files, options);
        EXPECT_EQ(0, outcome.status) << outcome.err;
        return ReadFileBytes(output);
    }

    TempDir dir;
    const std::string wall = dir.file("wall_A.tga"), line = dir.file("line.tga"), scene = dir.file("s.T3D");
};

}  // namespace

TEST_F(Outputs, StreamsAndDevicesAreWrittenThroughNeverReplaced)
{
    const std::string png = Written(RunExport, {line, dir.file("ref.png")}, dir.file("ref.png"));
    const std::string tga = Written(RunExtract, {scene, "1", dir.file("ref.tga")}, dir.file("ref.tga"));
    const std::string dds = Written(RunExtract, {scene, "0", dir.file("ref.dds")}, dir.file("ref.dds"));
    const std::string old =
        Written(RunConvert, {scene, dir.file("ref.T3D")}, dir.file("ref.T3D"), {{"--old-format", ""}});
    const std::string replaced =
        Written(RunReplace, {scene, "1", line}, dir.file("r.T3D"), {{"-o", dir.file("r.T3D")}});
    const std::string packed = ReadFileBytes(scene);
    ASSERT_EQ(0, ::symlink("/dev/null", dir.file("null").c_str()));
    ASSERT_EQ(0, ::symlink("/proc/self/fd/1", dir.file("out").c_str()));

    // Standard output, as "-" or through a link, takes one file's bytes and
    // nothing else: a DDS holds a chain of several levels.
    struct Case {
        std::vector<std::string> arguments;
        std::string out;
    };
    const Case streams[] = {
        {{"export", line, "-"}, png},
        {{"export", line, dir.file("out")}, png},
        {{"extract", scene, "1", "-", "--format", "tga"}, tga},
        {{"extract", scene, "0", "-", "--format", "dds"}, dds},
        {{"pack", "-", wall, line}, packed},
        {{"convert", scene, "/dev/stdout", "--old-format"}, old},
        {{"replace", scene, "1", line, "-o", "-"}, replaced},
        {{"convert", scene, dir.file("null"), "--new-format"},
         "wrote " + dir.file("null") + ": new format, 2 textures\n"},
    };
    for (const Case& c : streams) {
        const Ran run = RunCli(c.arguments);
        EXPECT_EQ(0, run.status) << c.arguments[0] << ' ' << c.arguments[2] << '\n' << run.err;
        EXPECT_TRUE(run.out == c.out) << c.arguments[0] << ' ' << c.arguments[2];
    }
    EXPECT_TRUE(IsLink(dir.file("null")) && IsLink(dir.file("out")));
    EXPECT_EQ(packed, ReadFileBytes(scene));

    // Standard output that is a file: written through at its place.
    const Ran toFile = RunCli({"export", line, "/dev/stdout"}, dir.file("stdout.png"));
    EXPECT_EQ(0, toFile.status) << toFile.err;
    EXPECT_TRUE(ReadFileBytes(dir.file("stdout.png")) == png);

    // A chain of several files takes no stream; a stream has no extension to
    // tell the format by.
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"extract", scene, "0", "-", "--format", "png"},
          {"extract", scene, "1", "-"},
          {"extract", scene, "1", "x.tga", "--format", "png"}}) {
        const Ran run = RunCli(wrong);
        EXPECT_EQ(2, run.status) << wrong[3] << '\n' << run.err;
        EXPECT_EQ("", run.out);
    }
    EXPECT_EQ(RunCli({"extract", scene, "0", dir.file("null"), "--format", "png"}).err,
              "quorrel-cli: " + dir.file("null") +
                  ": is a stream, which takes a single file: texture 0 has 2 mip levels, one file each\n");

    // A terminal gets no binary output.
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0) {
        const Ran run = RunCli({"export", line, "-"}, ::ptsname(terminal));
        EXPECT_EQ(1, run.status);
        EXPECT_EQ("quorrel-cli: /dev/stdout: could not be written: it is a terminal, which takes no binary output\n",
                  run.err);
    }
    if (terminal >= 0)
        ::close(terminal);

    // extract-all makes its names itself: a link in the folder is replaced.
    ASSERT_TRUE(std::filesystem::create_directory(dir.file("all")));
    ASSERT_EQ(0, ::symlink("/dev/null", dir.file("all/line.tga").c_str()));
    EXPECT_EQ(0, Call(RunExtractAll, {scene, dir.file("all")}, {{"--force", ""}}).status);
    EXPECT_EQ(tga, ReadFileBytes(dir.file("all/line.tga")));
}

TEST_F(Outputs, StandardOutputHoldsTheDataAloneAndTheWordsGoToStandardError)
{
    ASSERT_EQ(0, Call(RunExtractAll, {scene, dir.file("pack")}, {{"--png", ""}}).status);
    ASSERT_EQ(0, Call(RunExport, {wall, dir.file("pack/line.png")}).status);  // a new picture for texture 1
    // The same commands writing to files: their data, with notes the commands add.
    const std::string noted = Written(RunReplace, {scene, "1", wall}, dir.file("r.T3D"), {{"-o", dir.file("r.T3D")}});
    const std::string imported =
        Written(RunImport, {scene, dir.file("pack")}, dir.file("i.T3D"), {{"-o", dir.file("i.T3D")}});
    const struct {
        std::vector<std::string> arguments;
        const std::string& data;
        const char* words;  // a line of report that goes to standard error instead
    } cases[] = {
        {{"replace", scene, "1", wall, "-o", "-"}, noted, "keeps its flags; its file's name would give"},
        {{"replace", scene, "1", wall, "-o", "/dev/stdout"}, noted, "wrote /dev/stdout: new format, 2 textures"},
        {{"import", scene, dir.file("pack"), "-o", "-"}, imported, "1\tline\treplaced: "},
        {{"import", scene, dir.file("pack"), "-o", "/dev/stdout"}, imported, "wrote /dev/stdout: new format"},
    };
    for (const auto& c : cases) {
        const Ran run = RunCli(c.arguments);
        EXPECT_EQ(0, run.status) << c.arguments[0] << ' ' << c.arguments[4] << '\n' << run.err;
        EXPECT_TRUE(run.out == c.data) << c.arguments[0] << ' ' << c.arguments[4];
        EXPECT_NE(std::string::npos, run.err.find(c.words)) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("-.T3D")));
    // A stream cannot take a scene each round.
    const Ran watch = RunCli({"watch", scene, dir.file("pack"), "-o", "-"});
    EXPECT_EQ(2, watch.status);
    EXPECT_EQ("", watch.out);
}

// As root, in a mount namespace of its own with a /dev of its own: the
// system's /dev/stdout link stays, and nothing is made or replaced in /dev.
TEST_F(Outputs, NothingInDevIsMadeOrReplaced)
{
    if (::geteuid() != 0 || std::system("unshare -m true 2>/dev/null") != 0)
        GTEST_SKIP() << "needs root and a mount namespace of its own";
    const std::string png = Written(RunExport, {line, dir.file("ref.png")}, dir.file("ref.png"));
    const std::string replaced =
        Written(RunReplace, {scene, "1", line}, dir.file("r.T3D"), {{"-o", dir.file("r.T3D")}});
    const char* script = R"(
        mount -t tmpfs quorrel /dev || exit 1
        ln -s /proc/self/fd /dev/fd && ln -s /proc/self/fd/1 /dev/stdout && mknod -m 666 /dev/null c 1 3
        echo old > /dev/regular
        cli=$1 line=$2 scene=$3 out=$4
        "$cli" export "$line" /dev/stdout > "$out/1.png"; echo "export $?"
        "$cli" replace "$scene" 1 "$line" -o /dev/stdout > "$out/2.T3D"; echo "replace $?"
        "$cli" export "$line" /dev/stdout >&- 2>/dev/null; echo "closed $?"
        "$cli" export "$line" /dev/new 2>/dev/null; echo "new $?"
        "$cli" export "$line" /dev/regular 2>/dev/null; echo "regular $?"
        "$cli" convert "$scene" /dev/scene --new-format 2>/dev/null; echo "scene $?"
        "$cli" pack /dev/null "$line" > /dev/null; echo "null $?"
        ls -A /dev; cat /dev/regular)";
    const Ran run =
        RunProgram("unshare", {"-m", "sh", "-c", script, "sh", QUORREL_CLI, line, scene, dir.path().string()});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ("export 0\nreplace 0\nclosed 1\nnew 1\nregular 1\nscene 1\nnull 0\nfd\nnull\nregular\nstdout\nold\n",
              run.out);
    EXPECT_TRUE(ReadFileBytes(dir.file("1.png")) == png);
    EXPECT_TRUE(ReadFileBytes(dir.file("2.T3D")) == replaced);
}

TEST_F(Outputs, OutputThatCannotBeWrittenFailsAndABrokenPipeIsQuiet)
{
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"list", scene}, {"info", line}, {"--help"}}) {
        const ChildResult run = RunChild(QUORREL_CLI, arguments, OutputTo(full));
        EXPECT_EQ(1, run.status) << arguments[0];
        EXPECT_EQ("quorrel-cli: standard output could not be written\n", run.err);
    }
    const ChildResult image = RunChild(QUORREL_CLI, {"export", line, "-"}, OutputTo(full));
    EXPECT_EQ(1, image.status);
    EXPECT_EQ("quorrel-cli: /dev/stdout: could not be written: the disk is full\n", image.err);
    ::close(full);

    // A pipe whose reader has gone, with SIGPIPE as the default leaves it and
    // as a parent may have left it (ignored).
    int ends[2];
    ASSERT_EQ(0, ::pipe2(ends, O_CLOEXEC));
    ::close(ends[0]);
    for (const bool ignored : {false, true}) {
        for (const std::vector<std::string>& arguments :
             {std::vector<std::string>{"list", scene}, {"export", line, "-"}}) {
            const ChildResult run = RunChild(QUORREL_CLI, arguments, OutputTo(ends[1], ignored));
            EXPECT_EQ(SIGPIPE, run.signal) << arguments[0] << ' ' << ignored;
            EXPECT_EQ("", run.err);
        }
    }
    ::close(ends[1]);
}
