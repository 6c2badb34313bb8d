// quorrel-cli under exhausted resources, in a child process with its limits
// (alone under its user, where other work cannot share them): threads that
// cannot be started mean fewer threads, memory that runs out a reported
// failure, never an abort.
#include "ChildProcess.h"
#include "CommandCall.h"
#include "cli/SceneCommands.h"
#include "support/PngTestBytes.h"
#include "support/TempDir.h"
#include "support/TgaTestBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the child said, without the address checker's warnings of the
// allocations it refused (the program's own lines remain).
std::string ProgramLines(const std::string& err)
{
    std::string lines;
    for (size_t at = 0, end; at < err.size(); at = end + 1) {
        end = std::min(err.find('\n', at), err.size());
        const std::string line = err.substr(at, end - at);
        if (line.find("WARNING: AddressSanitizer failed to allocate") == std::string::npos)
            lines += line + '\n';
    }
    return lines;
}

// A folder every user may use, with an opaque 32-bit TGA of 512 x 512 in more
// colours than a palette holds (1 MiB, large enough for the box filter to
// share a level between two threads), a 5-5-5 TGA of 1024 x 1024 (2 MiB), an
// interlaced RGBA PNG of 1024 x 1024 (decoded whole: 4 MiB), and scenes of
// each TGA.
class Limits : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() == 0 && !CanRunAsNobody())
            GTEST_SKIP() << "no user nobody to run as";
        whyNotAlone = WhyNoOwnUserNamespace(Limited({}));
        ASSERT_EQ(0, ::chmod(dir.path().c_str(), 0777));
        std::string pixels32;
        for (unsigned y = 0; y < 512; ++y)
            for (unsigned x = 0; x < 512; ++x)
                pixels32 += std::string{char(x), char(y), char(x ^ y), char(255)};
        ASSERT_TRUE(WriteFileBytes(tga32, TgaHeaderBytes(TgaFields::Image(2, 512, 512, 32, 8)) + pixels32));
        std::vector<uint16_t> pixels16(1024 * 1024);
        for (size_t i = 0; i < pixels16.size(); ++i)
            pixels16[i] = uint16_t(i * 7 & 0x7FFF);
        ASSERT_TRUE(WriteFileBytes(tga16, Tga555(1024, 1024, pixels16)));
        PngPicture png;
        png.width = png.height = 1024;
        png.colourType = 6;
        png.interlaced = true;
        for (unsigned y = 0; y < 1024; ++y)
            for (unsigned x = 0; x < 1024; ++x)
                png.rows.insert(png.rows.end(), {uint8_t(x), uint8_t(y), uint8_t(x ^ y), 255});
        const std::vector<uint8_t> pngBytes = MakePng(png);
        ASSERT_TRUE(WriteFileBytes(interlaced, std::string(pngBytes.begin(), pngBytes.end())));
        ASSERT_EQ(0, Call(RunPack, {scene32, tga32}).status);
        ASSERT_EQ(0, Call(RunPack, {scene16, tga16}).status);
        for (const std::string& file : {tga16, tga32, interlaced, scene32, scene16})
            ASSERT_EQ(0, ::chmod(file.c_str(), 0644));
    }

    // The child as the user nobody when the test runs as root, whom the
    // process limit does not bind; alone under that user where it can be, so
    // that what the user runs beside the test never counts against the
    // child's limits; without its leak check, which needs a thread of its
    // own at the end.
    ChildSetup Limited(std::vector<std::pair<int, rlim_t>> limits, const std::string& sanitizerOptions = "") const
    {
        ChildSetup setup;
        setup.limits = std::move(limits);
        setup.asNobody = ::geteuid() == 0;
        setup.ownUserNamespace = whyNotAlone.empty();
        setup.environment = {"ASAN_OPTIONS=detect_leaks=0" + sanitizerOptions};
        return setup;
    }

    std::string whyNotAlone;  // why the child cannot run alone under its user; "" when it can

    TempDir dir;
    const std::string tga32 = dir.file("wide32.tga"), tga16 = dir.file("wide16.tga"), interlaced = dir.file("i.png");
    const std::string scene32 = dir.file("s32.T3D"), scene16 = dir.file("s16.T3D");
};

}  // namespace

TEST_F(Limits, NoThreadToBeHadMeansTheWorkIsDoneOnFewer)
{
    // A process limit counts every process of the child's user: outside a
    // namespace of its own, whatever else that user runs would decide how
    // many threads the child gets.
    if (!whyNotAlone.empty())
        GTEST_SKIP() << "the child cannot run alone under its user: " << whyNotAlone;
    const ChildSetup oneProcess = Limited({{RLIMIT_NPROC, 1}});
    struct Case {
        std::vector<std::string> arguments;
        std::string out;
    };
    const Case cases[] = {
        {{"info", tga32, "--mip-filter", "box"}, "levels: 8\n"},               // the box filter's second thread
        {{"extract-all", scene32, dir.file("all")}, "0\twide32\t"},            // the writer threads
        {{"pack", dir.file("p.T3D"), tga32, "--depth", "8"}, "1 textures\n"},  // libimagequant's OpenMP team
    };
    for (const Case& c : cases) {
        const ChildResult run = RunChild(QUORREL_CLI, c.arguments, oneProcess);
        EXPECT_EQ(0, run.status) << c.arguments[0] << " ended by signal " << run.signal << '\n' << run.err;
        EXPECT_EQ("", run.err);
        EXPECT_NE(std::string::npos, run.out.find(c.out)) << run.out;
    }
}

TEST_F(Limits, MemoryThatRunsOutIsAReportedFailure)
{
    // Under the address checker, which reserves more address space than any
    // limit leaves, the largest allocation is limited instead: every larger
    // one fails, and one that would throw ends the program with the
    // checker's report. Otherwise the address space is limited, from the
    // least in which the program starts at all.
#if defined(__SANITIZE_ADDRESS__)
    const auto limited = [this](rlim_t mib) {
        return Limited({}, ":allocator_may_return_null=1:max_allocation_size_mb=" + std::to_string(mib));
    };
    const std::vector<rlim_t> sizes = {1, 3, 6};
#else
    const auto limited = [this](rlim_t mib) { return Limited({{RLIMIT_AS, mib << 20}}); };
    rlim_t least = 4;
    while (least < 256 && RunChild(QUORREL_CLI, {"--help"}, limited(least)).status != 0)
        least += 4;
    std::vector<rlim_t> sizes;
    for (const rlim_t more : {0, 2, 4, 6, 8, 12, 16, 24, 40})
        sizes.push_back(least + more);
#endif
    const std::vector<std::string> commands[] = {
        {"info", tga16, "--mip-filter", "box"},                          // reading, generating
        {"pack", dir.file("p.T3D"), tga32, "--depth", "8"},              // converting, writing a scene
        {"replace", scene16, "0", interlaced, "-o", dir.file("r.T3D")},  // reading a PNG, converting
        {"export", tga16, dir.file("out.png")},                          // reading, writing a PNG
    };
    for (const std::vector<std::string>& command : commands) {
        int outOfMemory = 0;
        for (const rlim_t size : sizes) {
            const ChildResult run = RunChild(QUORREL_CLI, command, limited(size));
            const std::string err = ProgramLines(run.err);
            const bool done = run.status == 0 && err.empty();
            const bool told = run.status == 1 && err.rfind("quorrel-cli: ", 0) == 0 &&
                              err.find('\n') + 1 == err.size() &&
                              err.find("does not fit in memory") != std::string::npos;
            EXPECT_TRUE(done || told) << command[0] << " at " << size << " MiB: status " << run.status << ", signal "
                                      << run.signal << '\n'
                                      << run.err.substr(0, 2000);
            outOfMemory += told;
        }
        EXPECT_GT(outOfMemory, 0) << command[0] << " never ran out of memory";
    }
}
