#include "cli/TextureCommands.h"

#include "cli/CliOutput.h"
#include "cli/SceneCommands.h"
#include "cli/StderrReport.h"
#include "cli/TextureOptions.h"
#include "scene/CVK7QScene.h"
#include "texture/TextureReport.h"
#include "texture/chain/ImageChainWrite.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/io/FileWrite.h"
#include "texture/png/PngEncoder.h"
#include "texturepack/ChainRead.h"
#include "texturepack/ReplacementRule.h"

#include <ostream>

namespace {

// False when the chain is not read or an error was reported on the way;
// warnings alone let the command go on.
bool ReadChain(const std::string& path, MipFilter filter, StaleLevelChoice levels, TextureRecord& holder,
               std::ostream& err)
{
    StderrReport report(err);
    TextureReadOptions options;
    options.filter = filter;
    return ReadChainLevels(path, options, levels, holder, report) && !report.errorReported();
}

// Writes the level as an 8-bit RGBA PNG named `target`, row by row, which
// may not be one of the files of the chain read from `source`.
int WriteLevelPng(const std::string& target, const T3D_TEXTURE& record, int level, int pngLevel,
                  const std::string& source, std::ostream& err)
{
    InputFiles inputs;
    AddChainFiles(inputs, source);
    OutputFile file;
    FileWriteStatus status = file.create(target, inputs);
    const PngSink sink = [&file](const void* bytes, size_t size) { return file.write(bytes, size); };
    if (status == FileWriteStatus::Ok && !EncodePngLevel(record, level, sink, nullptr, {PngLayout::rgba, pngLevel}))
        status = file.writeFailure();
    if (status == FileWriteStatus::Ok)
        status = file.finish(true);
    if (status == FileWriteStatus::Ok)
        status = file.commit();
    if (status == FileWriteStatus::Ok)
        return kExitOk;
    PrintWriteProblem(err, target, status);
    return kExitFailed;
}

void PrintRecord(const T3D_TEXTURE& r, std::ostream& out)
{
    out << "name: " << r.name << '\n'
        << "width: " << r.width << '\n'
        << "height: " << r.height << '\n'
        << "depth: " << r.depth << '\n'
        << "levels: " << r.levelCount << '\n'
        << "flags: " << Hex(r.flags, 2) << '\n'
        << "red mask: " << Hex(r.redMask, 8) << '\n'
        << "green mask: " << Hex(r.greenMask, 8) << '\n'
        << "blue mask: " << Hex(r.blueMask, 8) << '\n'
        << "alpha mask: " << Hex(r.alphaMask, 8) << '\n';
}

// info FILE --as SCENE:TEXTURE: the record as it would go into that scene
// texture, then a line with what that costs each level.
int InfoAs(const CommandArguments& args, const ReplaceChoices& choices, std::ostream& out, std::ostream& err)
{
    const std::string& as = args.options.at("--as");
    const size_t colon = as.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == as.size())
        return UsageError(err, "--as wants SCENE.T3D:INDEX or SCENE.T3D:NAME, not " + Escaped(as));
    CVK7QScene scene;
    int index = 0;
    if (!LoadAndPickTexture(scene, as.substr(0, colon), as.substr(colon + 1), index, err))
        return kExitFailed;
    const std::string& source = args.files[0];
    const T3D_TEXTURE& target = scene.GetSceneHeader()->textures[index];
    TextureRecord holder;
    ReplacementOutcome outcome;
    StderrReport report(err);
    if (!ReadReplacement(source, target, choices, holder, report, outcome))
        return kExitFailed;
    PrintRecord(holder.record(), out);
    const std::vector<LevelCost> cost = ReplacementCost(source, target, holder.record(), choices);
    out << "cost: " << (cost.empty() ? std::string("unknown: the chain did not read again") : ConversionCostText(cost))
        << '\n';
    return kExitOk;
}

}  // namespace

int RunInfo(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    ReplaceChoices choices;
    choices.keepFormat = args.has("--keep-format");
    choices.dither = !args.has("--no-dither");
    std::string error;
    if (!MipFilterOption(args, choices.filter, error) || !LevelsOption(args, choices.levels, error))
        return UsageError(err, error);
    if (args.has("--as"))
        return InfoAs(args, choices, out, err);
    if (choices.keepFormat || !choices.dither)
        return UsageError(err, "--keep-format and --no-dither go with --as");
    TextureRecord holder;
    if (!ReadChain(args.files[0], choices.filter, choices.levels, holder, err))
        return kExitFailed;
    PrintRecord(holder.record(), out);
    return kExitOk;
}

int RunExport(const CommandArguments& args, std::ostream&, std::ostream& err)
{
    long level = 0;
    MipFilter filter = MipFilter::point;
    StaleLevelChoice levels = StaleLevelChoice::warn;
    int pngLevel = kDefaultPngLevel;
    std::string error;
    if (!OptionAsNumber(args, "--level", 0, kMaxTextureLevels - 1, level, error) ||
        !MipFilterOption(args, filter, error) || !LevelsOption(args, levels, error) ||
        !PngLevelOption(args, pngLevel, error))
        return UsageError(err, error);

    const std::string& source = args.files[0];
    TextureRecord holder;
    if (!ReadChain(source, filter, levels, holder, err))
        return kExitFailed;
    const T3D_TEXTURE& r = holder.record();
    if (level >= r.levelCount || LevelWidth(r, int(level)) == 0 || LevelHeight(r, int(level)) == 0) {
        PrintProblem(err, source,
                     "has " + std::to_string(r.levelCount) + " mip level(s) of depth " + std::to_string(r.depth) +
                         ": no level " + std::to_string(level) + " to export");
        return kExitFailed;
    }
    return WriteLevelPng(OutputPath(args.files[1]), r, int(level), pngLevel, source, err);
}
