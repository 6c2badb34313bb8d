// quorrel-cli: texture work on TGA files and scene files from the command line.
#include "cli/CommandLine.h"
#include "cli/TextureCommands.h"

#include <iostream>

namespace {

// Every command, in the order the usage lists them.
const std::vector<Command> kCommands = {
    {"info", "FILE.tga", "print the texture record read from a TGA file and its mip chain", 1, 1, {}, RunInfo},
    {"export", "FILE.tga OUT.png [--level N]", "write mip level N (default 0) as an 8-bit RGBA PNG", 2, 2,
     {{"--level", true}}, RunExport},
};

} // namespace

int main(int argc, char** argv)
{
    return RunCommandLine(kCommands, argc, argv, std::cout, std::cerr);
}
