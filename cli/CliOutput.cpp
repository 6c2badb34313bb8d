#include "cli/CliOutput.h"

#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The options that choose otherwise about a cause, to follow its detail: one
// row per cause that has any.
struct OptionsRow {
    TextureCause cause;
    const char* options;
};

constexpr OptionsRow kOptionsRows[] = {
    {TextureCause::StaleLevels, "(--levels rebuild makes them from it, --levels files uses them without this warning)"},
};

}  // namespace

void PrintProblem(std::ostream& err, const std::string& file, const std::string& message, bool warning)
{
    err << kProgram << ": ";
    if (!file.empty())
        err << Escaped(file) << ": ";
    err << (warning ? "warning: " : "") << message << '\n';
}

void PrintProblem(std::ostream& err, const TextureProblem& problem)
{
    std::string message = problem.detail;
    for (const OptionsRow& row : kOptionsRows) {
        if (row.cause == problem.cause)
            message += std::string(" ") + row.options;
    }
    PrintProblem(err, problem.file, message, problem.severity == Severity::Warning);
}

void PrintWriteProblem(std::ostream& err, const std::string& file, FileWriteStatus status)
{
    PrintProblem(err, file, MakeProblem(Severity::Error, CauseOf(status), file).detail);
}

std::string OutputPath(const std::string& word)
{
    return word == "-" ? kStandardOutput : word;
}

bool IsStandardOutput(const std::string& path)
{
    struct stat output {};
    struct stat target {};
    if (::fstat(STDOUT_FILENO, &output) != 0)
        return false;
    return path == kStandardOutput ||
           (::stat(path.c_str(), &target) == 0 && target.st_dev == output.st_dev && target.st_ino == output.st_ino);
}

std::ostream& ReportStream(const std::string& dataPath, std::ostream& out, std::ostream& err)
{
    return IsStandardOutput(dataPath) ? err : out;
}
