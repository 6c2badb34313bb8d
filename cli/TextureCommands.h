// Commands on TGA texture files.
#pragma once

#include "cli/CommandLine.h"

// info FILE.tga: reads the chain that starts at FILE.tga and prints its
// record, one "key: value" line each. 0 when a record was read, 1 when not.
int RunInfo(const CommandArguments& args, std::ostream& out, std::ostream& err);

// export FILE.tga OUT.png [--level N]: writes level N (default 0) of the
// chain's record as an 8-bit RGBA PNG, colours as the preview shows them.
int RunExport(const CommandArguments& args, std::ostream& out, std::ostream& err);
