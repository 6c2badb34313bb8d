#include "cli/CommandLine.h"

#include "cli/CliOutput.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ostream>

namespace {

const OptionSpec* FindOption(const Command& command, const std::string& name)
{
    for (const OptionSpec& option : command.options) {
        if (name == option.name)
            return &option;
    }
    return nullptr;
}

bool IsOptionWord(const std::string& word)
{
    return word.size() > 1 && word[0] == '-';
}

void PrintCommandUsage(std::ostream& to, const Command& command)
{
    to << "usage: " << kProgram << ' ' << command.name << ' ' << command.usage << '\n'
       << "  " << command.summary << '\n';
}

void PrintProgramUsage(std::ostream& to, const std::vector<Command>& table)
{
    to << "usage: " << kProgram << " COMMAND [ARGUMENTS]\n\ncommands:\n";
    for (const Command& command : table)
        to << "  " << command.name << ' ' << command.usage << "\n      " << command.summary << '\n';
    to << "\n" << kProgram << " COMMAND --help shows one command's usage.\n";
}

// Takes one option word (and its value) starting at words[i]; advances i.
bool TakeOption(const Command& command, const std::vector<std::string>& words, size_t& i, CommandArguments& parsed,
                std::string& error)
{
    const std::string& word = words[i];
    const size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const OptionSpec* option = FindOption(command, name);
    if (!option) {
        error = "unknown option " + name + " for " + command.name;
        return false;
    }
    if (parsed.has(name)) {
        error = "option " + name + " given twice";
        return false;
    }
    std::string value;
    if (option->takesValue && equals != std::string::npos) {
        value = word.substr(equals + 1);
    } else if (option->takesValue) {
        if (i + 1 >= words.size()) {
            error = "option " + name + " needs a value";
            return false;
        }
        value = words[++i];
    } else if (equals != std::string::npos) {
        error = "option " + name + " takes no value";
        return false;
    }
    parsed.options[name] = value;
    return true;
}

}  // namespace

bool ParseCommandArguments(const Command& command, const std::vector<std::string>& words, CommandArguments& parsed,
                           bool& help, std::string& error)
{
    parsed = {};
    help = false;
    bool optionsEnded = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (optionsEnded || !IsOptionWord(word)) {
            parsed.files.push_back(word);
        } else if (word == "--") {
            optionsEnded = true;
        } else if (word == "--help" || word == "-h") {
            help = true;
        } else if (!TakeOption(command, words, i, parsed, error)) {
            return false;
        }
    }
    if (help)
        return true;
    const int count = int(parsed.files.size());
    if (count < command.minFiles || (command.maxFiles >= 0 && count > command.maxFiles)) {
        error = std::string("wrong number of files for ") + command.name;
        return false;
    }
    return true;
}

bool OptionAsNumber(const CommandArguments& args, const std::string& option, long min, long max, long& value,
                    std::string& error)
{
    const auto found = args.options.find(option);
    if (found == args.options.end())
        return true;
    const std::string& text = found->second;
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text.c_str(), &end, 10);
    const bool whole =
        !text.empty() && text.find_first_not_of("0123456789") == std::string::npos && *end == '\0' && errno == 0;
    if (!whole || number < min || number > max) {
        error = option + " wants a whole number from " + std::to_string(min) + " to " + std::to_string(max) +
                ", not '" + text + "'";
        return false;
    }
    value = number;
    return true;
}

int UsageError(std::ostream& err, const std::string& message)
{
    PrintProblem(err, "", message);
    return kExitUsage;
}

namespace {

int RunWords(const std::vector<Command>& table, int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    const std::vector<std::string> words(argv + std::min(argc, 1), argv + argc);
    if (words.empty()) {
        PrintProgramUsage(err, table);
        return kExitUsage;
    }
    const std::string& name = words[0];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintProgramUsage(out, table);
        return kExitOk;
    }
    for (const Command& command : table) {
        if (name != command.name)
            continue;
        CommandArguments args;
        bool help = false;
        std::string error;
        if (!ParseCommandArguments(command, {words.begin() + 1, words.end()}, args, help, error)) {
            UsageError(err, error);
            PrintCommandUsage(err, command);
            return kExitUsage;
        }
        if (help) {
            PrintCommandUsage(out, command);
            return kExitOk;
        }
        return command.run(args, out, err);
    }
    UsageError(err, "unknown command '" + name + "'");
    PrintProgramUsage(err, table);
    return kExitUsage;
}

}  // namespace

int RunCommandLine(const std::vector<Command>& table, int argc, const char* const* argv, std::ostream& out,
                   std::ostream& err)
{
    const int status = RunWords(table, argc, argv, out, err);
    if (out.flush())
        return status;
    PrintProblem(err, "", "standard output could not be written");
    return status == kExitOk ? kExitFailed : status;
}
