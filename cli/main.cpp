// quorrel-cli: texture work on TGA files and scene files from the command line.
#include "cli/CommandLine.h"
#include "cli/SceneCommands.h"
#include "cli/TextureCommands.h"

#include <csignal>
#include <iostream>

namespace {

// Every command, in the order the usage lists them.
const std::vector<Command> kCommands = {
    {"info", "FILE.tga", "print the texture record read from a TGA file and its mip chain", 1, 1, {}, RunInfo},
    {"export", "FILE.tga OUT.png [--level N]", "write mip level N (default 0) as an 8-bit RGBA PNG", 2, 2,
     {{"--level", true}}, RunExport},
    {"list", "SCENE.T3D", "list the scene's textures: index, name, width, height, depth, levels, flags", 1, 1, {},
     RunList},
    {"extract", "SCENE.T3D (INDEX|NAME) OUT.tga", "write a texture's whole mip chain as TGA files", 3, 3, {},
     RunExtract},
    {"extract-all", "SCENE.T3D DIR [--force]", "write every texture's mip chain into DIR, named after the texture",
     2, 2, {{"--force", false}}, RunExtractAll},
    {"replace", "SCENE.T3D (INDEX|NAME) IN.tga [-o OUT.T3D] [--old-format] [--rgb565]",
     "put a TGA chain in a texture's place and write the scene (in place without -o)", 3, 3,
     {{"-o", true}, {"--old-format", false}, {"--rgb565", false}}, RunReplace},
    {"pack", "OUT.T3D IN.tga... [--old-format] [--rgb565]", "make a new scene of TGA chains, in order", 2, -1,
     {{"--old-format", false}, {"--rgb565", false}}, RunPack},
    {"convert", "IN.T3D OUT.T3D (--old-format|--new-format)", "write a scene in the other format", 2, 2,
     {{"--old-format", false}, {"--new-format", false}}, RunConvert},
};

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGXFSZ, SIG_IGN);  // a file size limit fails the write, which is reported, instead of killing
    return RunCommandLine(kCommands, argc, argv, std::cout, std::cerr);
}
