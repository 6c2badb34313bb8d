// The mip-chain file naming rule. The file of the next smaller level is named by
// bumping a version digit in the part of the base name after its last
// underscore (the suffix); the letters of that suffix spell the texture's
// flags. wall_A.tga -> wall_A1.tga -> wall_A2.tga; wall.tga -> wall_1.tga.
// Both `\` and `/` separate folders.
#pragma once

#include <cstdint>
#include <string>

// Size of a path buffer, terminator included.
constexpr int kPathBufferSize = 512;

struct FlagLetter {
    char letter;
    uint32_t flag;
};

// The letters a suffix may spell, in the order they are compared (upper case).
extern const FlagLetter FlagLetterTable[7];

// Writes the next level's path into `next` (kPathBufferSize characters) and
// returns the flag bits spelled by the suffix of `path`. A name the rule cannot
// bump (no dot to insert before, a version digit 9, or a result too long for
// `next`) comes back as a copy of `path`, cut to fit; the flags are returned
// all the same.
uint32_t MipChainNaming(const char* path, char* next);

// The rule for a path of any length: sets `next` to the next level's path, or
// to an empty string when the rule gives no new name (the chain cannot go on
// past `path`), and returns the flags spelled by `path`.
uint32_t NextMipLevelName(const std::string& path, std::string& next);
