// Commands on scene files (.T3D). A texture is picked by its index in the
// scene or by its name; a word of digits that is a valid index is an index.
#pragma once

#include "cli/CommandLine.h"

class CVK7QScene;

// Loads the scene at `path` and picks the texture `which` names, as the
// commands below do; false, having said why on `err`.
bool LoadAndPickTexture(CVK7QScene& scene, const std::string& path, const std::string& which, int& index,
                        std::ostream& err);

// list SCENE.T3D: a line with the format and counts, then one line per
// texture: index, name, width, height, depth, levels and flags, tab-separated.
// Names are printed Escaped (cli/CliOutput.h): control characters, C1
// controls and bytes that are not UTF-8 as escapes, the backslash doubled.
int RunList(const CommandArguments& args, std::ostream& out, std::ostream& err);

// extract SCENE.T3D (INDEX|NAME) OUT.tga|OUT.png|OUT.dds [--format tga|png|dds]
// [--png-level 1-12] [--dds-palette]: the texture's whole mip chain as TGA or
// PNG files, or as one DDS file holding every level (by --format, else by
// OUT's extension, any case), level 0 as OUT and the further levels named by
// the mip-chain rule. Nothing is written when the rule cannot name every level
// (the message names one that works) or OUT is the scene file. OUT may be a
// stream (- for standard output) when the texture has one level or goes as a
// DDS; a chain of several files to a stream, an OUT that does not end in .tga,
// .png or .dds without --format, or one whose extension disagrees with it, is
// a usage error. --png-level is deflate's effort for PNG files (1 fastest, 12
// smallest); --dds-palette writes an 8-bit texture's DDS with its palette and
// indices instead of 32-bit colours.
int RunExtract(const CommandArguments& args, std::ostream& out, std::ostream& err);

// extract-all SCENE.T3D DIR [--force] [--png|--dds] [--png-level 1-12]
// [--dds-palette]: every texture's chain, as TGA files, with --png as PNG
// files (compressed with --png-level's effort) or with --dds as one DDS file
// each (--dds-palette as for extract), into DIR (made
// when missing), named after the texture: shortened where too long, changed
// where the rule cannot chain it, flag letters kept. Names that clash get
// "-2", "-3", ... before their suffix. One line per texture written: index,
// name, first file, levels and why it was renamed. Nothing is written when a
// file already exists, unless --force, which replaces files and links in DIR
// (never the files, devices or streams the links lead to).
int RunExtractAll(const CommandArguments& args, std::ostream& out, std::ostream& err);

// replace SCENE.T3D (INDEX|NAME) IN [-o OUT.T3D] [--old-format] [--rgb565]
// [--keep-format] [--mip-filter point|box] [--no-dither] [--keep-name]
// [--dry-run]: reads
// the chain (a PNG by its signature, else TGA), puts it in the texture's place
// (named after IN, or keeping its name with --keep-name), and writes the scene to OUT.T3D (- for standard output), or
// over SCENE.T3D without -o. A PNG chain always takes the scene texture's depth and layout; a TGA chain keeps its own
// unless --keep-format. --rgb565 (a 5-5-5 chain stored as 5-6-5) is a usage error with a chain that takes the texture's
// format. OUT.T3D may not be one of the chain's files (nor, for pack, of any chain's). --dry-run writes nothing
// and says in one line what would go in and what the conversion costs each level (ReplacementCost).
int RunReplace(const CommandArguments& args, std::ostream& out, std::ostream& err);

// set SCENE.T3D (INDEX|NAME) [--flags +E-Z|0xNN] [--name NEW] [-o OUT.T3D]:
// gives the texture the flags --flags asks for (cli/TextureOptions.h) and the
// name NEW, says what changed in the flag boxes' words, and writes the scene
// in the format it was read in, to OUT.T3D (- for standard output) or over
// SCENE.T3D without -o, once. A name of no or more than 255 bytes is a usage
// error; a name another texture has is refused with that texture's index.
int RunSet(const CommandArguments& args, std::ostream& out, std::ostream& err);

// pack OUT.T3D IN... [--depth 8|16|24|32] [--rgb565] [--no-dither]
// [--old-format] [--mip-filter point|box]: a new scene of the chains, in
// order, each named after its first file, written to OUT.T3D (- for standard
// output). With --depth every chain is converted to it (--rgb565 then only
// with 16); without, a PNG is 32-bit, a TGA keeps its depth, and --rgb565
// stores 5-5-5 chains as 5-6-5. More chains than a scene holds (65,535) are a
// usage error.
int RunPack(const CommandArguments& args, std::ostream& out, std::ostream& err);

// convert IN.T3D OUT.T3D (--old-format|--new-format): the scene rewritten in
// the other (or the same) format (OUT - for standard output).
int RunConvert(const CommandArguments& args, std::ostream& out, std::ostream& err);
