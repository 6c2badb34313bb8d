// Commands that put a folder of texture chains into a scene in one step
// (cli/TexturePack.h says how the chains are found and read).
#pragma once

#include "cli/CommandLine.h"

// import SCENE.T3D DIR [-o OUT.T3D] [--old-format] [--dry-run] [--all]
// [--skip-failed] [--levels files|rebuild] [--flags-from-name]
// [--mip-filter point|box] [--no-dither]: every changed chain of DIR (every
// chain with --all) into its texture's place, and the scene written once, to
// OUT.T3D or over SCENE.T3D. One line per texture on stdout: index, name and
// "replaced: what changed", "unchanged", "missing: FILE", "failed: why" (and,
// without a manifest, "ambiguous: ..." or, for a file, "unmatched: ..."),
// then one line that says what was written. When a texture fails nothing is
// written and the status is 1, unless --skip-failed; --dry-run writes
// nothing.
int RunImport(const CommandArguments& args, std::ostream& out, std::ostream& err);

// watch SCENE.T3D DIR [-o OUT.T3D] and the import options: imports once, then
// waits for changes to DIR's chain files (inotify; 300 ms without one before
// a round, so a paint program can finish writing) and imports the chains
// changed since the last round, one line per round with the time it took.
// A scene file changed by another program is loaded again first. SIGINT and
// SIGTERM end it between rounds with status 0.
int RunWatch(const CommandArguments& args, std::ostream& out, std::ostream& err);
