#include "cli/CliOutput.h"

#include <cstdio>
#include <ostream>

void PrintProblem(std::ostream& err, const std::string& file, const std::string& message, bool warning)
{
    err << kProgram << ": ";
    if (!file.empty())
        err << file << ": ";
    err << (warning ? "warning: " : "") << message << '\n';
}

std::string Hex(uint32_t value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, unsigned(value));
    return text;
}
