// quorrel-cli: texture work on TGA, PNG and DDS files and scene files from the command line.
#include "cli/CommandLine.h"
#include "cli/ImportCommands.h"
#include "cli/SceneCommands.h"
#include "cli/TextureCommands.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>
#include <signal.h>
#include <unistd.h>

namespace {

const std::vector<OptionSpec> kImportOptions = {
    {"-o", true},
    {"--old-format", false},
    {"--dry-run", false},
    {"--all", false},
    {"--skip-failed", false},
    {"--levels", true},
    {"--flags-from-name", false},
    {"--mip-filter", true},
    {"--no-dither", false},
};

// Every command, in the order the usage lists them. Laid out by hand: one
// command's fields together, its usage and help text unbroken.
// clang-format off
const std::vector<Command> kCommands = {
    {"info", "FILE.(tga|png|dds) [--mip-filter point|box] [--levels files|rebuild] [--as SCENE.T3D:(INDEX|NAME)] "
     "[--keep-format] [--no-dither]",
     "print the texture record read from a TGA, PNG or DDS file and its mip chain; with --as, as replace would put it "
     "into that texture, and what the conversion costs each level (PSNR against the file as read, largest error)", 1, 1,
     {{"--mip-filter", true}, {"--levels", true}, {"--as", true}, {"--keep-format", false}, {"--no-dither", false}},
     RunInfo},
    {"export", "FILE.(tga|png|dds) OUT.png [--level N] [--mip-filter point|box] [--levels files|rebuild] [--png-level 1-12]",
     "write mip level N (default 0) as an 8-bit RGBA PNG (OUT - is standard output); --png-level: 1 fastest, 12 "
     "smallest", 2, 2,
     {{"--level", true}, {"--mip-filter", true}, {"--levels", true}, {"--png-level", true}}, RunExport},
    {"list", "SCENE.T3D", "list the scene's textures: index, name, width, height, depth, levels, flags", 1, 1, {},
     RunList},
    {"extract", "SCENE.T3D (INDEX|NAME) OUT.(tga|png|dds) [--format tga|png|dds] [--png-level 1-12] [--dds-palette]",
     "write a texture's whole mip chain as TGA or PNG files, or as one DDS file, by OUT's extension or --format (a "
     "stream such as - takes a texture of one level, or a DDS); an 8-bit texture's DDS holds 32-bit colours, or its "
     "palette and indices with --dds-palette", 3, 3,
     {{"--format", true}, {"--png-level", true}, {"--dds-palette", false}}, RunExtract},
    {"extract-all", "SCENE.T3D DIR [--force] [--png|--dds] [--png-level 1-12] [--dds-palette]",
     "write every texture's mip chain into DIR, named after the texture (PNG files with --png, a DDS file each with "
     "--dds)", 2, 2,
     {{"--force", false}, {"--png", false}, {"--dds", false}, {"--png-level", true}, {"--dds-palette", false}},
     RunExtractAll},
    {"replace",
     "SCENE.T3D (INDEX|NAME) IN.(tga|png|dds) [-o OUT.T3D] [--old-format] [--rgb565] [--keep-format] [--mip-filter point|box] "
     "[--no-dither] [--levels files|rebuild] [--flags-from-name] [--keep-name] [--dry-run]",
     "put a TGA, PNG or DDS chain in a texture's place and write the scene (in place without -o; -o - is standard "
     "output); a PNG or DDS, or any chain with --keep-format, takes the texture's format; the texture keeps its flags "
     "unless --flags-from-name, and takes IN's name unless --keep-name; --dry-run writes nothing and says what would "
     "go in and what the conversion costs each level",
     3, 3,
     {{"-o", true}, {"--old-format", false}, {"--rgb565", false}, {"--keep-format", false}, {"--mip-filter", true},
      {"--no-dither", false}, {"--levels", true}, {"--flags-from-name", false}, {"--keep-name", false},
      {"--dry-run", false}},
     RunReplace},
    {"set", "SCENE.T3D (INDEX|NAME) [--flags +E-Z|0xNN] [--name NEW] [-o OUT.T3D]",
     "change a texture's flags (+ sets and - clears the letters of file names' suffixes; 0xNN gives the bits "
     "0x02-0x80) or name, and write the scene (in place without -o; -o - is standard output)",
     2, 2, {{"--flags", true}, {"--name", true}, {"-o", true}}, RunSet},
    {"pack", "OUT.T3D IN.(tga|png|dds)... [--depth 8|16|24|32] [--rgb565] [--no-dither] [--old-format] [--mip-filter point|box] "
     "[--levels files|rebuild]",
     "make a new scene of TGA, PNG and DDS chains, in order, converted to --depth when given (a PNG is 32-bit without it; "
     "OUT - is standard output)",
     2, -1,
     {{"--depth", true}, {"--rgb565", false}, {"--no-dither", false}, {"--old-format", false},
      {"--mip-filter", true}, {"--levels", true}},
     RunPack},
    {"import",
     "SCENE.T3D DIR [-o OUT.T3D] [--old-format] [--dry-run] [--all] [--skip-failed] [--levels files|rebuild] "
     "[--flags-from-name] [--mip-filter point|box] [--no-dither]",
     "put every chain of DIR that changed since extract-all (every one with --all) in its texture's place and write "
     "the scene once; without DIR/textures.tsv, the chains named as extract-all names the textures",
     2, 2, kImportOptions, RunImport},
    {"watch",
     "SCENE.T3D DIR [-o OUT.T3D] [--old-format] [--dry-run] [--all] [--skip-failed] [--levels files|rebuild] "
     "[--flags-from-name] [--mip-filter point|box] [--no-dither]",
     "import once, then again each time a chain file of DIR is saved, until Ctrl+C", 2, 2, kImportOptions,
     RunWatch},
    {"convert", "IN.T3D OUT.T3D (--old-format|--new-format)", "write a scene in the other format (OUT - is standard output)", 2, 2,
     {{"--old-format", false}, {"--new-format", false}}, RunConvert},
};
// clang-format on

// What no check of our own caught: an allocation that would throw (a
// library's container, a message) when memory runs out ends the program with
// the same words as the checked ones, instead of an abort.
void OutOfMemory()
{
    static const char message[] = "quorrel-cli: the work does not fit in memory\n";
    std::fflush(stdout);
    (void)!::write(STDERR_FILENO, message, sizeof message - 1);
    std::_Exit(kExitFailed);
}

}  // namespace

int main(int argc, char** argv)
{
    std::set_new_handler(OutOfMemory);
    std::signal(SIGXFSZ, SIG_IGN);  // a file size limit fails the write, which is reported, instead of killing
    // A reader that goes away (list | head) ends the program quietly, as the
    // signal does by default, whatever the parent left.
    std::signal(SIGPIPE, SIG_DFL);
    sigset_t brokenPipe;
    sigemptyset(&brokenPipe);
    sigaddset(&brokenPipe, SIGPIPE);
    sigprocmask(SIG_UNBLOCK, &brokenPipe, nullptr);
    return RunCommandLine(kCommands, argc, argv, std::cout, std::cerr);
}
