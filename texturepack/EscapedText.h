// How names and numbers are written into lines of text that a person reads
// and a script parses: quorrel-cli's output and the manifest of a texture
// folder (texturepack/Manifest.h) write texture names and file names through
// Escaped, and the manifest reads them back through its exact inverse.
#pragma once

#include <cstdint>
#include <string>

// `text` with the backslash doubled and, as escapes, what a terminal would act
// on or cannot show: C0 controls and DEL (\n, \t, \r, \x1b), C1 controls
// (U+0080 to U+009F, each of their two UTF-8 bytes as \xNN: U+009B is
// \xc2\x9b) and every byte that is not part of valid UTF-8 (\xNN). So no
// name or path can break a line, forge a field or reach the terminal as a
// command. Valid UTF-8 otherwise stays as it is.
std::string Escaped(const std::string& text);

// The exact inverse of Escaped: Unescaped(Escaped(s)) gives s for every s.
// False, with `out` unspecified, for a lone backslash at the end, an escape
// Escaped does not make, or \x without two hex digits.
bool Unescaped(const std::string& text, std::string& out);

// "0x0F" for Hex(15, 2): at least `digits` upper-case hex digits.
std::string Hex(uint32_t value, int digits);
