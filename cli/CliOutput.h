// How quorrel-cli writes: every stderr line in one form, and numbers in hex.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

constexpr const char* kProgram = "quorrel-cli";

// "quorrel-cli: FILE: message", "quorrel-cli: FILE: warning: message" for a
// warning, or "quorrel-cli: message" when it is about no file (an empty
// `file`; the file is Escaped). The message starts lower-case: it follows the
// file's name.
void PrintProblem(std::ostream& err, const std::string& file, const std::string& message, bool warning = false);

// `text` with control characters written as escapes (\n, \t, \x1b) and the
// backslash doubled, so that no name or path can break a line or forge a
// field.
std::string Escaped(const std::string& text);

// The path a command writes for the output word on its command line: "-"
// stands for standard output.
std::string OutputPath(const std::string& word);

// Whether `path` leads to what standard output is (its file, pipe or
// terminal), where a command's own lines would land among the bytes it writes.
bool IsStandardOutput(const std::string& path);

// "0x0F" for Hex(15, 2): at least `digits` upper-case hex digits.
std::string Hex(uint32_t value, int digits);
