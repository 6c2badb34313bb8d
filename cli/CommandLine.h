// The command line of quorrel-cli: `quorrel-cli COMMAND [ARGUMENTS] [OPTIONS]`.
// Each command is one row of a table: its name, its usage, the number of file
// arguments it takes, its options, and the function that runs it. Options may
// come before, between or after the files, as `--name value` or
// `--name=value`; `--` ends the options; `--help` anywhere shows the usage.
#pragma once

#include <iosfwd>
#include <map>
#include <string>
#include <vector>

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // the work could not be done (a file could not be read or written)
constexpr int kExitUsage = 2;   // the command line was wrong

struct CommandArguments {
    std::vector<std::string> files;
    std::map<std::string, std::string> options;  // "--level" -> "2"; "" for a flag

    bool has(const std::string& option) const { return options.count(option) != 0; }
};

// Runs a command; writes its results to `out` and its messages to `err`, and
// returns the exit status.
using CommandFunction = int (*)(const CommandArguments& args, std::ostream& out, std::ostream& err);

struct OptionSpec {
    const char* name;  // "--level"
    bool takesValue;
};

struct Command {
    const char* name;
    const char* usage;    // what follows the name, e.g. "FILE.tga OUT.png [--level N]"
    const char* summary;  // one line for the command list
    int minFiles;
    int maxFiles;  // -1: no upper bound
    std::vector<OptionSpec> options;
    CommandFunction run;
};

// Parses the words after the command name. False, with `error` set, for an
// unknown or repeated option, an option without its value, or a wrong number
// of files. `help` is set when --help (or -h) is among the words.
bool ParseCommandArguments(const Command& command, const std::vector<std::string>& words, CommandArguments& parsed,
                           bool& help, std::string& error);

// Parses an option's value as a whole number in [min, max]. False, with
// `error` set, for anything else; `value` is untouched when the option is absent.
bool OptionAsNumber(const CommandArguments& args, const std::string& option, long min, long max, long& value,
                    std::string& error);

// Prints "quorrel-cli: <message>" to `err` and returns kExitUsage.
int UsageError(std::ostream& err, const std::string& message);

// The whole program: picks the command named by argv[1] from `table`, parses
// the rest and runs it. Returns the exit status: the command's, or
// kExitFailed with a message when `out` could not be written.
int RunCommandLine(const std::vector<Command>& table, int argc, const char* const* argv, std::ostream& out,
                   std::ostream& err);
