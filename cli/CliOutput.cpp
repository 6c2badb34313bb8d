#include "cli/CliOutput.h"

#include "texture/io/FileWrite.h"

#include <cstdio>
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

std::string Hex(uint32_t value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, unsigned(value));
    return text;
}

std::string Escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte == '\\')
            out += "\\\\";
        else if (byte == '\n')
            out += "\\n";
        else if (byte == '\t')
            out += "\\t";
        else if (byte == '\r')
            out += "\\r";
        else if (byte < 0x20 || byte == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            out += hex;
        } else
            out += char(byte);
    }
    return out;
}
