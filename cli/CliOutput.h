// How quorrel-cli writes: every stderr line in one form; names escaped and
// numbers in hex as texturepack/EscapedText.h writes them.
#pragma once

#include "texture/TextureReport.h"
#include "texturepack/EscapedText.h"

#include <iosfwd>
#include <string>

constexpr const char* kProgram = "quorrel-cli";

// "quorrel-cli: FILE: message", "quorrel-cli: FILE: warning: message" for a
// warning, or "quorrel-cli: message" when it is about no file (an empty
// `file`; the file is Escaped). The message starts lower-case: it follows the
// file's name.
void PrintProblem(std::ostream& err, const std::string& file, const std::string& message, bool warning = false);

// A problem the texture code reported, as its line: its detail, then, for a
// cause that command-line options choose about, those options.
void PrintProblem(std::ostream& err, const TextureProblem& problem);

// The line for a file that could not be written, as the message table words it.
void PrintWriteProblem(std::ostream& err, const std::string& file, FileWriteStatus status);

// The path a command writes for the output word on its command line: "-"
// stands for standard output.
std::string OutputPath(const std::string& word);

// Whether `path` leads to what standard output is (its file, pipe or
// terminal), where a command's own lines would land among the bytes it writes.
bool IsStandardOutput(const std::string& path);

// Where a command's lines of report go when its data goes to `dataPath`:
// standard error when that is standard output, so that standard output holds
// data or words, never both.
std::ostream& ReportStream(const std::string& dataPath, std::ostream& out, std::ostream& err);
