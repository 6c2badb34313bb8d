// The formats a chain's files are read in, one row each, told apart by their
// first bytes: a new format adds its row, with its signature, its extension
// and the maker of its reader (texture/chain/ChainFileReader.h). TGA has no
// signature: its row comes last and takes any file the rows above do not.
#pragma once

#include "texture/chain/ChainFileReader.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct ChainFormat {
    const char* kind;       // names the files in messages: "PNG"
    const char* extension;  // ".png": a texture file's name ends so, any case
    // Its levels are 8-bit RGBA, whatever the file held (else the file's own
    // depth and layout).
    bool rgba;
    // One file holds the whole chain: no level files are looked for beside it.
    bool oneFile;
    // Its chains go into a scene texture in that texture's format, whatever
    // the choices (they come from other programs); else in their own unless
    // asked.
    bool takesTextureFormat;
    // Whether a file that starts with head[0, size) is of this format; nullptr
    // takes any file.
    bool (*startsAs)(const uint8_t* head, size_t size);
    ChainFileReader::Maker make;
};

// How many of a file's first bytes tell its format.
constexpr size_t kFormatHeadBytes = 8;

// The row of a file that starts with head[0, size).
const ChainFormat& FormatOfHead(const uint8_t* head, size_t size);
// The row of an open file, by its first bytes.
const ChainFormat& FormatOfFile(const InputFile& file);
// The row whose extension ends the file's name (without its folder), any
// case; nullptr when none does.
const ChainFormat* FormatOfName(const std::string& path);
// The row of a file that cannot be opened: by its name, TGA when that says
// nothing.
const ChainFormat& FormatByName(const std::string& path);
// The row of the file at `path`: by its first bytes, or by its name when it
// cannot be opened (TGA when that says nothing either).
const ChainFormat& FormatOfPath(const std::string& path);

const ChainFormat& TgaChainFormat();
