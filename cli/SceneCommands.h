// Commands on scene files (.T3D). A texture is picked by its index in the
// scene or by its name; a word of digits that is a valid index is an index.
#pragma once

#include "cli/CommandLine.h"

// list SCENE.T3D: a line with the format and counts, then one line per
// texture: index, name, width, height, depth, levels and flags, tab-separated.
int RunList(const CommandArguments& args, std::ostream& out, std::ostream& err);

// extract SCENE.T3D (INDEX|NAME) OUT.tga: the texture's whole mip chain,
// level 0 as OUT.tga and the further levels named by the mip-chain rule.
int RunExtract(const CommandArguments& args, std::ostream& out, std::ostream& err);

// extract-all SCENE.T3D DIR [--force]: every texture's chain into DIR (made
// when missing), named after the texture. Names that clash get "-2", "-3", ...
// before their suffix; nothing is written when a file already exists, unless
// --force.
int RunExtractAll(const CommandArguments& args, std::ostream& out, std::ostream& err);

// replace SCENE.T3D (INDEX|NAME) IN.tga [-o OUT.T3D] [--old-format] [--rgb565]:
// reads the chain, puts it in the texture's place (named after IN.tga), and
// writes the scene to OUT.T3D, or over SCENE.T3D without -o.
int RunReplace(const CommandArguments& args, std::ostream& out, std::ostream& err);

// pack OUT.T3D IN.tga... [--old-format] [--rgb565]: a new scene of the chains,
// in order, each named after its first file.
int RunPack(const CommandArguments& args, std::ostream& out, std::ostream& err);

// convert IN.T3D OUT.T3D (--old-format|--new-format): the scene rewritten in
// the other (or the same) format.
int RunConvert(const CommandArguments& args, std::ostream& out, std::ostream& err);
