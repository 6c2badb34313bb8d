#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

CommandArguments gLastArguments;

int Record(const CommandArguments& args, std::ostream& out, std::ostream&)
{
    gLastArguments = args;
    out << "ran\n";
    return 7;
}

const Command kConvert = {"convert", "IN OUT [--level N] [--old]", "test command", 2, 2,
                          {{"--level", true}, {"--old", false}}, Record};
const Command kPack = {"pack", "OUT FILE...", "test command", 2, -1, {}, Record};

struct Parsed {
    bool ok;
    bool help;
    CommandArguments args;
    std::string error;
};

Parsed Parse(const Command& command, const std::vector<std::string>& words)
{
    Parsed p{};
    p.ok = ParseCommandArguments(command, words, p.args, p.help, p.error);
    return p;
}

int RunProgram(const std::vector<std::string>& words, std::string& out, std::string& err)
{
    std::vector<const char*> argv = {"quorrel-cli"};
    for (const std::string& w : words)
        argv.push_back(w.c_str());
    std::ostringstream o, e;
    const int status = RunCommandLine({kConvert, kPack}, int(argv.size()), argv.data(), o, e);
    out = o.str();
    err = e.str();
    return status;
}

} // namespace

TEST(CommandLine, TakesOptionsBeforeBetweenAndAfterTheFiles)
{
    const std::vector<std::vector<std::string>> orders = {
        {"--level", "3", "--old", "a.tga", "b.png"},
        {"a.tga", "--level=3", "b.png", "--old"},
        {"a.tga", "b.png", "--old", "--level", "3"},
    };
    for (const auto& words : orders) {
        const Parsed p = Parse(kConvert, words);
        ASSERT_TRUE(p.ok) << p.error;
        EXPECT_FALSE(p.help);
        EXPECT_EQ(p.args.files, std::vector<std::string>({"a.tga", "b.png"}));
        EXPECT_EQ(p.args.options.at("--level"), "3");
        EXPECT_TRUE(p.args.has("--old"));
    }
    // After "--" every word is a file, and "-" alone always is one.
    const Parsed dashed = Parse(kConvert, {"--", "--old", "-"});
    ASSERT_TRUE(dashed.ok) << dashed.error;
    EXPECT_EQ(dashed.args.files, std::vector<std::string>({"--old", "-"}));
    EXPECT_FALSE(dashed.args.has("--old"));

    EXPECT_TRUE(Parse(kPack, {"out", "1", "2", "3", "4"}).ok);
    // Asking for help needs no files.
    const Parsed help = Parse(kConvert, {"a", "-h"});
    EXPECT_TRUE(help.ok);
    EXPECT_TRUE(help.help);
}

TEST(CommandLine, RefusesAWrongCommandLineWithAReason)
{
    struct Wrong {
        const Command* command;
        std::vector<std::string> words;
        const char* error;
    };
    const Wrong cases[] = {
        {&kConvert, {"a", "b", "--size", "3"}, "unknown option --size for convert"},
        {&kConvert, {"a", "b", "--level"}, "option --level needs a value"},
        {&kConvert, {"a", "b", "--level=1", "--level", "2"}, "option --level given twice"},
        {&kConvert, {"a", "b", "--old=yes"}, "option --old takes no value"},
        {&kConvert, {"a"}, "wrong number of files for convert"},
        {&kConvert, {"a", "b", "c"}, "wrong number of files for convert"},
        {&kPack, {"out"}, "wrong number of files for pack"},
    };
    for (const Wrong& c : cases) {
        const Parsed p = Parse(*c.command, c.words);
        EXPECT_FALSE(p.ok) << c.error;
        EXPECT_EQ(p.error, c.error);
    }
}

TEST(CommandLine, ReadsNumbersOnlyWhenWholeAndInRange)
{
    CommandArguments args;
    long value = -5;
    std::string error;
    EXPECT_TRUE(OptionAsNumber(args, "--level", 0, 7, value, error));
    EXPECT_EQ(value, -5);  // absent: untouched

    for (const char* good : {"0", "7", "03"}) {
        args.options["--level"] = good;
        EXPECT_TRUE(OptionAsNumber(args, "--level", 0, 7, value, error)) << good;
        EXPECT_EQ(value, std::stol(good));
    }
    for (const char* bad : {"", "8", "-1", "+1", "2x", " 2", "1.0", "99999999999999999999999"}) {
        args.options["--level"] = bad;
        value = 42;
        EXPECT_FALSE(OptionAsNumber(args, "--level", 0, 7, value, error)) << bad;
        EXPECT_EQ(value, 42);
        EXPECT_EQ(error, std::string("--level wants a whole number from 0 to 7, not '") + bad + "'");
    }
}

TEST(CommandLine, DispatchesAndExitsWithTheRightStatus)
{
    std::string out, err;
    EXPECT_EQ(RunProgram({}, out, err), kExitUsage);
    EXPECT_NE(err.find("usage: quorrel-cli COMMAND"), std::string::npos);
    EXPECT_EQ(out, "");

    EXPECT_EQ(RunProgram({"--help"}, out, err), kExitOk);
    EXPECT_NE(out.find("convert IN OUT [--level N] [--old]"), std::string::npos);
    EXPECT_NE(out.find("pack OUT FILE..."), std::string::npos);
    EXPECT_EQ(err, "");

    EXPECT_EQ(RunProgram({"convert", "--help"}, out, err), kExitOk);
    EXPECT_EQ(out, "usage: quorrel-cli convert IN OUT [--level N] [--old]\n  test command\n");

    EXPECT_EQ(RunProgram({"frob", "x"}, out, err), kExitUsage);
    EXPECT_EQ(err.rfind("quorrel-cli: unknown command 'frob'\n", 0), 0u);

    EXPECT_EQ(RunProgram({"convert", "a"}, out, err), kExitUsage);
    EXPECT_EQ(err, "quorrel-cli: wrong number of files for convert\n"
                   "usage: quorrel-cli convert IN OUT [--level N] [--old]\n  test command\n");
    EXPECT_EQ(out, "");

    // The command's own status comes back, with what it was given.
    EXPECT_EQ(RunProgram({"convert", "--level", "2", "in", "out"}, out, err), 7);
    EXPECT_EQ(out, "ran\n");
    EXPECT_EQ(gLastArguments.files, std::vector<std::string>({"in", "out"}));
    EXPECT_EQ(gLastArguments.options.at("--level"), "2");
}
