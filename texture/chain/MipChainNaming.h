// The mip-chain file naming rule. The file of the next smaller level is named by
// bumping a version digit in the part of the base name after its last
// underscore (the suffix); the letters of that suffix spell the texture's
// flags. wall_A.tga -> wall_A1.tga -> wall_A2.tga; wall.tga -> wall_1.tga.
// Both `\` and `/` separate folders. Only the file name (what follows the last
// separator) is looked at and changed, and it must hold a dot (not as its first
// character) for a next name: a file name without one starts and ends a chain
// of one, and no level's file ever lands in another folder.
#pragma once

#include "texture/TextureReport.h"

#include <cstdint>
#include <string>
#include <vector>

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
// bump (no dot in the file name, a version digit 9, or a result too long for
// `next`) comes back as a copy of `path`, cut to fit; the flags are returned
// all the same.
uint32_t MipChainNaming(const char* path, char* next);

// The rule for a path of any length: sets `next` to the next level's path, or
// to an empty string when the rule gives no new name (the chain cannot go on
// past `path`), and returns the flags spelled by `path`.
uint32_t NextMipLevelName(const std::string& path, std::string& next);

enum class ChainNaming {
    Ok,
    NoDot,          // the file name has no dot to number the levels before
    PastDigitNine,  // a level would need the digit after 9
    NameTooLong,    // a level's file name would pass the system's limit
};

// The cause that says why a chain cannot be named.
TextureCause NamingCause(ChainNaming naming);

// Why a chain cannot be named, in a few words (empty when it can).
const char* ChainNamingProblem(ChainNaming naming);

// The files of a chain of `levels` levels whose first file is `first`, by the
// rule. Ok when the rule names every level with a file name the system can
// hold; `files` then holds them all (otherwise as many as the rule named).
ChainNaming PlanChainNames(const std::string& first, int levels, std::vector<std::string>& files);

// A first file, in the same folder, whose chain of `levels` levels can be
// named: `first` itself when it can and `tag` is empty. Otherwise `tag` goes
// in before the suffix, `extension` (".tga") after a file name without a dot,
// the suffix's digits are dropped when the numbers would pass 9, and the part
// before the suffix is shortened when a name would be too long; the suffix's
// flag letters are always kept.
std::string WorkingChainName(const std::string& first, int levels, const std::string& extension,
                             const std::string& tag = "");
