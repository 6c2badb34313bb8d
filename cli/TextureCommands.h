// Commands on texture files: TGA, PNG and DDS chains.
#pragma once

#include "cli/CommandLine.h"

// info FILE [--mip-filter point|box] [--levels files|rebuild] [--as
// SCENE:(INDEX|NAME) [--keep-format] [--no-dither]]: reads the chain that
// starts at FILE (a PNG by its signature, else TGA) and prints its record,
// one "key: value" line each; with --as, the record as replace would put it
// into that scene texture, then "cost: " and what the conversion costs each
// level (texturepack/ReplacementRule.h, ReplacementCost). 0 when a record was
// read, 1 when not. Level files older than
// FILE by more than 2 s are used with a warning, or as --levels says
// (cli/ChainRead.h); export reads the same way.
int RunInfo(const CommandArguments& args, std::ostream& out, std::ostream& err);

// export FILE OUT.png [--level N] [--mip-filter point|box] [--levels
// files|rebuild] [--png-level 1-12]: writes level N
// (default 0) of the chain's record as an 8-bit RGBA PNG, colours as the
// preview shows them, compressed with --png-level's effort (1 fastest, 12
// smallest; texture/png/PngEncoder.h). OUT may be a stream (- for
// standard output), but not a terminal.
int RunExport(const CommandArguments& args, std::ostream& out, std::ostream& err);
