#include "cli/CliOutput.h"

#include "texture/io/FileWrite.h"

#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

void PrintProblem(std::ostream& err, const std::string& file, const std::string& message, bool warning)
{
    err << kProgram << ": ";
    if (!file.empty())
        err << Escaped(file) << ": ";
    err << (warning ? "warning: " : "") << message << '\n';
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
