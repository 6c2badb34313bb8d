// Commands on scene files (.T3D). A texture is picked by its index in the
// scene or by its name; a word of digits that is a valid index is an index.
#pragma once

#include "cli/CommandLine.h"

// list SCENE.T3D: a line with the format and counts, then one line per
// texture: index, name, width, height, depth, levels and flags, tab-separated.
// Names are printed with control characters escaped (\n, \t, \x1b) and the
// backslash doubled.
int RunList(const CommandArguments& args, std::ostream& out, std::ostream& err);

// extract SCENE.T3D (INDEX|NAME) OUT.tga: the texture's whole mip chain,
// level 0 as OUT.tga and the further levels named by the mip-chain rule.
// Nothing is written when the rule cannot name every level (the message names
// one that works) or OUT.tga is the scene file; an OUT that does not end in
// .tga or .png is a usage error.
int RunExtract(const CommandArguments& args, std::ostream& out, std::ostream& err);

// extract-all SCENE.T3D DIR [--force]: every texture's chain into DIR (made
// when missing), named after the texture: shortened where too long, changed
// where the rule cannot chain it, flag letters kept. Names that clash get
// "-2", "-3", ... before their suffix. One line per texture written: index,
// name, first file, levels and why it was renamed. Nothing is written when a
// file already exists, unless --force, which replaces files and links in DIR
// (never the files the links lead to).
int RunExtractAll(const CommandArguments& args, std::ostream& out, std::ostream& err);

// replace SCENE.T3D (INDEX|NAME) IN.tga [-o OUT.T3D] [--old-format] [--rgb565]:
// reads the chain, puts it in the texture's place (named after IN.tga), and
// writes the scene to OUT.T3D, or over SCENE.T3D without -o. OUT.T3D may not
// be one of the chain's files (nor, for pack, of any chain's).
int RunReplace(const CommandArguments& args, std::ostream& out, std::ostream& err);

// pack OUT.T3D IN.tga... [--old-format] [--rgb565]: a new scene of the chains,
// in order, each named after its first file.
int RunPack(const CommandArguments& args, std::ostream& out, std::ostream& err);

// convert IN.T3D OUT.T3D (--old-format|--new-format): the scene rewritten in
// the other (or the same) format.
int RunConvert(const CommandArguments& args, std::ostream& out, std::ostream& err);
