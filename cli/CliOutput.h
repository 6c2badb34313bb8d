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

// `text` with the backslash doubled and, as escapes, what a terminal would act
// on or cannot show: C0 controls and DEL (\n, \t, \r, \x1b), C1 controls
// (U+0080 to U+009F, each of their two UTF-8 bytes as \xNN: U+009B is
// \xc2\x9b) and every byte that is not part of valid UTF-8 (\xNN). So no
// name or path can break a line, forge a field or reach the terminal as a
// command. Valid UTF-8 otherwise stays as it is.
std::string Escaped(const std::string& text);

// The path a command writes for the output word on its command line: "-"
// stands for standard output.
std::string OutputPath(const std::string& word);

// Whether `path` leads to what standard output is (its file, pipe or
// terminal), where a command's own lines would land among the bytes it writes.
bool IsStandardOutput(const std::string& path);

// The exact inverse of Escaped: Unescaped(Escaped(s)) gives s for every s.
// False, with `out` unspecified, for a lone backslash at the end, an escape
// Escaped does not make, or \x without two hex digits.
bool Unescaped(const std::string& text, std::string& out);

// "0x0F" for Hex(15, 2): at least `digits` upper-case hex digits.
std::string Hex(uint32_t value, int digits);
