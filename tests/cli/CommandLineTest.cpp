#include "cli/CommandLine.h"

#include <gtest/gtest.h>

namespace {

int Nothing(const CommandArguments&, std::ostream&, std::ostream&)
{
    return 0;
}

const Command kConvert = {"convert", "IN OUT [--level N] [--old]",          "test command", 2,
                          2,         {{"--level", true}, {"--old", false}}, Nothing};
const Command kPack = {"pack", "OUT FILE...", "test command", 2, -1, {}, Nothing};

bool Parse(const Command& command, const std::vector<std::string>& words, CommandArguments& args, std::string& error)
{
    bool help = false;
    return ParseCommandArguments(command, words, args, help, error) && !help;
}

}  // namespace

TEST(CommandLine, TakesOptionsAnywhereAndRefusesAWrongLineWithAReason)
{
    for (const auto& words : std::vector<std::vector<std::string>>{{"--level", "3", "--old", "a", "b"},
                                                                   {"a", "--level=3", "b", "--old"},
                                                                   {"a", "b", "--old", "--level", "3"}}) {
        CommandArguments args;
        std::string error;
        ASSERT_TRUE(Parse(kConvert, words, args, error)) << error;
        EXPECT_EQ(args.files, std::vector<std::string>({"a", "b"}));
        EXPECT_EQ(args.options, (std::map<std::string, std::string>{{"--level", "3"}, {"--old", ""}}));
    }
    CommandArguments args;
    std::string error;
    ASSERT_TRUE(Parse(kConvert, {"--", "--old", "-"}, args, error));  // after "--", files only
    EXPECT_EQ(args.files, std::vector<std::string>({"--old", "-"}));
    EXPECT_TRUE(args.options.empty());

    const std::pair<std::vector<std::string>, const char*> wrong[] = {
        {{"a", "b", "--size", "3"}, "unknown option --size for convert"},
        {{"a", "b", "--level"}, "option --level needs a value"},
        {{"a", "b", "--level=1", "--level", "2"}, "option --level given twice"},
        {{"a", "b", "--old=yes"}, "option --old takes no value"},
        {{"a"}, "wrong number of files for convert"},
        {{"a", "b", "c"}, "wrong number of files for convert"},
    };
    for (const auto& [words, message] : wrong) {
        EXPECT_FALSE(Parse(kConvert, words, args, error)) << message;
        EXPECT_EQ(error, message);
    }
    EXPECT_TRUE(Parse(kPack, {"out", "1", "2", "3"}, args, error));
    EXPECT_FALSE(Parse(kPack, {"out"}, args, error));
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
        EXPECT_TRUE(OptionAsNumber(args, "--level", 0, 7, value, error) && value == std::stol(good)) << good;
    }
    for (const char* bad : {"", "8", "-1", "+1", "2x", " 2", "99999999999999999999999"}) {
        args.options["--level"] = bad;
        EXPECT_FALSE(OptionAsNumber(args, "--level", 0, 7, value, error)) << bad;
        EXPECT_EQ(error, std::string("--level wants a whole number from 0 to 7, not '") + bad + "'");
    }
}
