#include "cli/SceneCommands.h"

#include "cli/CliOutput.h"
#include "cli/StderrReport.h"
#include "cli/TextureOptions.h"
#include "scene/CVK7QScene.h"
#include "scene/SceneFormat.h"
#include "scene/SceneOutline.h"
#include "texture/TextureFlags.h"
#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"
#include "texture/chain/ImageChainWrite.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/chain/TextureFileWriter.h"
#include "texture/convert/DepthConversion.h"
#include "texture/io/FileWrite.h"
#include "texturepack/ChainPlan.h"
#include "texturepack/ChainRead.h"
#include "texturepack/FolderExport.h"
#include "texturepack/ReplacementRule.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <ostream>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* FormatName(uint32_t magic)
{
    return magic == kOldSceneMagic ? "old" : "new";
}

bool LoadScene(CVK7QScene& scene, const std::string& path, std::ostream& err)
{
    if (scene.Load(path.c_str(), 0))
        return true;
    PrintProblem(err, WithSceneExtension(path), SceneStatusText(scene.LastStatus()));
    return false;
}

// Writes the scene in the chosen format and says where (unless it went to
// standard output); refuses, before writing, a path that is one of the image
// files the scene was made from.
int WriteScene(CVK7QScene& scene, const std::string& path, bool oldFormat, const InputFiles& images, std::ostream& out,
               std::ostream& err)
{
    const std::string file = WithSceneExtension(path);
    if (images.includes(file)) {
        PrintWriteProblem(err, file, FileWriteStatus::SameAsInput);
        return kExitFailed;
    }
    const int written = oldFormat ? scene.WriteOld(path.c_str()) : scene.Write(path.c_str());
    if (!written) {
        PrintProblem(err, file, SceneStatusText(scene.LastStatus()));
        return kExitFailed;
    }
    ReportStream(file, out, err) << "wrote " << file << ": " << (oldFormat ? "old" : "new") << " format, "
                                 << scene.GetSceneHeader()->textureCount << " textures\n";
    return kExitOk;
}

// The texture that `which` names: an index when it is digits within the
// scene, otherwise the one texture of that name.
bool PickTexture(const VK7Q_HEADER& header, const std::string& scenePath, const std::string& which, int& index,
                 std::ostream& err)
{
    const bool digits =
        !which.empty() && which.size() < 6 && which.find_first_not_of("0123456789") == std::string::npos;
    if (digits && std::strtol(which.c_str(), nullptr, 10) < header.textureCount) {
        index = int(std::strtol(which.c_str(), nullptr, 10));
        return true;
    }
    std::vector<int> named;
    for (int i = 0; i < header.textureCount; ++i)
        if (which == header.textures[i].name)
            named.push_back(i);
    if (named.size() == 1) {
        index = named[0];
        return true;
    }
    std::string why;
    if (named.empty())
        why = "has no texture " + which + " (" + std::to_string(header.textureCount) + " textures, indices 0 to " +
              std::to_string(header.textureCount - 1) + ")";
    else
        why = "textures " + std::to_string(named[0]) + " and " + std::to_string(named[1]) + " are both named " + which +
              "; give the index";
    PrintProblem(err, WithSceneExtension(scenePath), why);
    return false;
}

// Loads the scene that the first file names and picks the texture the
// second names; false, having said why.
bool LoadAndPick(const CommandArguments& args, CVK7QScene& scene, int& index, std::ostream& err)
{
    return LoadAndPickTexture(scene, args.files[0], args.files[1], index, err);
}

// How a command reads the chains it puts into a scene.
struct SceneReadOptions {
    TextureReadOptions read;
    StaleLevelChoice levels = StaleLevelChoice::warn;
    bool as565 = false;  // a 5-5-5 chain not converted is stored as 5-6-5
};

// Reads a chain for a scene: named after its first file, converted or 5-6-5
// as asked; `levels`, when given, gets the chain's files as found. False when
// it is not read or an error was reported on the way.
bool ReadChainForScene(const std::string& path, const SceneReadOptions& options, TextureRecord& texture,
                       std::ostream& err, ChainLevels* levels = nullptr)
{
    StderrReport report(err);
    if (!ReadChainLevels(path, options.read, options.levels, texture, report, levels) || report.errorReported())
        return false;
    T3D_TEXTURE& record = texture.record();
    std::memset(record.name, 0, sizeof record.name);
    const std::string name = TextureNameOfFile(path);
    std::memcpy(record.name, name.data(), name.size());
    if (options.as565 && !options.read.convertTo)
        Store555As565(record);
    return true;
}

// Says in one line how the flags of the file's name differ from the scene
// texture's, when they do, and which went in.
void SayNameFlags(const T3D_TEXTURE& current, int index, const ReplacementOutcome& outcome, bool fromName,
                  std::ostream& out)
{
    if (outcome.nameFlags.empty())
        return;
    const std::string texture = "texture " + std::to_string(index) + " (" + Escaped(current.name) + ")";
    if (fromName)
        out << texture << " takes the flags of its file's name: " << outcome.nameFlags << '\n';
    else
        out << texture << " keeps its flags; its file's name would give " << outcome.nameFlags
            << " (--flags-from-name takes them)\n";
}

// Says in one line that texture [index] took its file's name, when it did,
// and warns when another texture of the scene has that name too.
void SayRename(const VK7Q_HEADER& scene, int index, const ReplacementOutcome& outcome, const std::string& scenePath,
               std::ostream& out, std::ostream& err)
{
    if (outcome.renamedFrom.empty())
        return;
    const std::string name = Escaped(scene.textures[index].name);
    out << "texture " << index << ": " << name << ", was " << Escaped(outcome.renamedFrom) << '\n';
    const int other = OtherTextureNamed(scene, index);
    if (other >= 0)
        PrintProblem(err, scenePath,
                     "textures " + std::to_string(std::min(index, other)) + " and " +
                         std::to_string(std::max(index, other)) + " are both named " + name +
                         "; give the index to pick either",
                     true);
}

// What a dry run of replace would do, in one line: "texture 5 (stone)
// would take crate_A.png: 64 x 64 -> 128 x 128, named crate_A; level 0:
// 38.2 dB, largest error 12 (green); levels 1-7 exact".
void SayDryRun(const T3D_TEXTURE& current, int index, const std::string& source, const T3D_TEXTURE& goesIn,
               const ReplaceChoices& choices, const ReplacementOutcome& outcome, std::ostream& out)
{
    out << "texture " << index << " (" << Escaped(current.name) << ") would take " << Escaped(source) << ": "
        << outcome.changes;
    if (!outcome.renamedFrom.empty())
        out << ", named " << Escaped(goesIn.name);
    const std::vector<LevelCost> cost = ReplacementCost(source, current, goesIn, choices);
    out << "; " << (cost.empty() ? std::string("cost unknown: the chain did not read again") : ConversionCostText(cost))
        << "; nothing written (--dry-run)\n";
}

// The kind a --format word names: "tga", "png" or "dds".
std::optional<TextureFileKind> KindNamed(const std::string& word)
{
    for (TextureFileKind kind : {TextureFileKind::tga, TextureFileKind::png, TextureFileKind::dds})
        if (word == ExtensionOf(kind) + 1)
            return kind;
    return std::nullopt;
}

// --dds-palette: a DDS of an 8-bit texture keeps its indices and palette. A
// usage error (printed) when the files are not DDS; `wants` says what gives them.
bool DdsPaletteOption(const CommandArguments& args, TextureFileFormat& format, const char* wants, std::ostream& err)
{
    if (!args.has("--dds-palette"))
        return true;
    if (format.kind != TextureFileKind::dds) {
        UsageError(err, std::string("--dds-palette wants DDS files: ") + wants);
        return false;
    }
    format.kind = TextureFileKind::ddsPalette;
    return true;
}

// The kind of files extract-all writes: TGA, or PNG with --png, or DDS with
// --dds (and --dds-palette).
bool ExtractAllFormat(const CommandArguments& args, TextureFileFormat& format, std::ostream& err)
{
    if (args.has("--png") && args.has("--dds")) {
        UsageError(err, "extract-all writes one kind of files: --png or --dds, not both");
        return false;
    }
    format.kind = args.has("--png")   ? TextureFileKind::png
                  : args.has("--dds") ? TextureFileKind::dds
                                      : TextureFileKind::tga;
    return DdsPaletteOption(args, format, "--dds", err);
}

// What a written chain's line says after the file: the levels, and why the
// name is not the texture's own.
std::string WhatWasWritten(const PlannedChain& chain)
{
    std::string text = std::to_string(chain.levels) + (chain.levels == 1 ? " level" : " levels");
    if (!chain.change.empty())
        text += ", renamed: " + chain.change;
    return text;
}

// The kind of files extract writes: --format tga|png|dds, else OUT's
// extension; --dds-palette makes a DDS of an 8-bit texture a palette DDS. A
// usage error (printed) when neither says, they disagree, or --dds-palette
// comes without DDS.
bool ExtractFormat(const CommandArguments& args, const std::string& target, TextureFileFormat& format,
                   std::ostream& err)
{
    const std::optional<TextureFileKind> named = KindOfFileName(target);
    const auto option = args.options.find("--format");
    if (option == args.options.end() && !named) {
        UsageError(err, "extract writes OUT.tga, OUT.png or OUT.dds (or any OUT with --format tga|png|dds), not " +
                            args.files[2]);
        return false;
    }
    std::optional<TextureFileKind> kind = named;
    if (option != args.options.end()) {
        kind = KindNamed(option->second);
        if (!kind) {
            UsageError(err, "--format wants tga, png or dds, not '" + option->second + "'");
            return false;
        }
        if (named && named != kind) {
            UsageError(err, "--format " + option->second + " and the extension of " + args.files[2] + " disagree");
            return false;
        }
    }
    format.kind = *kind;
    return DdsPaletteOption(args, format, "--format dds or OUT.dds", err);
}

bool WantsOneFormat(const CommandArguments& args, bool& oldFormat, std::ostream& err)
{
    if (args.has("--old-format") == args.has("--new-format")) {
        UsageError(err, "convert wants one of --old-format and --new-format");
        return false;
    }
    oldFormat = args.has("--old-format");
    return true;
}

// Whether --name, when given, fits a record's name field; `error` says why not.
bool NameOptionFits(const CommandArguments& args, std::string& error)
{
    const auto found = args.options.find("--name");
    if (found == args.options.end() || (!found->second.empty() && found->second.size() < size_t(kTextureNameSize)))
        return true;
    error = "--name wants a name of 1 to " + std::to_string(kTextureNameSize - 1) + " bytes, not " +
            std::to_string(found->second.size());
    return false;
}

// "+ Envmap, - No Z-Buffer; name crate_A -> crate_B", or "no change".
std::string WhatSetChanges(const T3D_TEXTURE& current, uint32_t flags, const std::string& name)
{
    std::string text = FlagChangeText(current.flags, flags);
    if (name != current.name)
        text += (text.empty() ? "name " : "; name ") + Escaped(current.name) + " -> " + Escaped(name);
    return text.empty() ? "no change" : text;
}

}  // namespace

// Lists the scene from its outline: every checksum is checked as the file
// passes, and no pixels are held.
bool LoadAndPickTexture(CVK7QScene& scene, const std::string& path, const std::string& which, int& index,
                        std::ostream& err)
{
    return LoadScene(scene, path, err) && PickTexture(*scene.GetSceneHeader(), path, which, index, err);
}

int RunList(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    SceneOutline scene;
    if (!scene.Load(args.files[0].c_str())) {
        PrintProblem(err, WithSceneExtension(args.files[0]), SceneStatusText(scene.LastStatus()));
        return kExitFailed;
    }
    const VK7Q_HEADER& header = scene.Header();
    out << args.files[0] << ": " << FormatName(header.magic) << " format version " << header.version << ", "
        << header.textureCount << " textures, " << header.sectionCount << " other sections\n";
    for (int i = 0; i < header.textureCount; ++i) {
        const T3D_TEXTURE& r = header.textures[i];
        out << i << '\t' << Escaped(r.name) << '\t' << r.width << '\t' << r.height << '\t' << r.depth << '\t'
            << r.levelCount << '\t' << Hex(r.flags, 2) << '\n';
    }
    return kExitOk;
}

int RunExtract(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    const std::string target = OutputPath(args.files[2]);
    TextureFileFormat format;
    std::string error;
    if (!ExtractFormat(args, target, format, err))
        return kExitUsage;
    if (!PngLevelOption(args, format.pngLevel, error))
        return UsageError(err, error);
    CVK7QScene scene;
    int index = 0;
    if (!LoadAndPick(args, scene, index, err))
        return kExitFailed;
    const T3D_TEXTURE& record = scene.GetSceneHeader()->textures[index];
    const int levels =
        LevelsWithPixels(record.width, record.height, std::min<int>(record.levelCount, kMaxTextureLevels));
    if (levels > 1 && !HoldsOneFile(format.kind) && IsStreamTarget(target)) {
        PrintProblem(err, target,
                     "is a stream, which takes a single file: texture " + std::to_string(index) + " has " +
                         std::to_string(levels) + " mip levels, one file each");
        return kExitUsage;
    }
    StderrReport report(err);
    ImageWriteOptions options;
    options.inputs.add(args.files[0]);
    if (!WriteTextureFiles(target, record, format, report, options))
        return kExitFailed;
    ReportStream(target, out, err) << index << '\t' << Escaped(record.name) << '\t' << target << '\n';
    return kExitOk;
}

int RunExtractAll(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    CVK7QScene scene;
    if (!LoadScene(scene, args.files[0], err))
        return kExitFailed;
    const std::string& dir = args.files[1];
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) {
        PrintProblem(err, dir, "is not a folder and can't be made one");
        return kExitFailed;
    }
    const VK7Q_HEADER& header = *scene.GetSceneHeader();
    TextureFileFormat format;
    std::string error;
    if (!ExtractAllFormat(args, format, err))
        return kExitUsage;
    if (!PngLevelOption(args, format.pngLevel, error))
        return UsageError(err, error);
    const std::vector<PlannedChain> plan = PlanChains(header, dir, format.kind);
    if (!args.has("--force")) {
        if (const std::vector<std::string> existing = ExistingFiles(plan, dir); !existing.empty()) {
            PrintProblem(err, existing[0], "already exists; give --force to overwrite it");
            return kExitFailed;
        }
    }

    const FolderExport written = ExportTextures(header, plan, args.files[0], dir, format);
    for (size_t i = 0; i < plan.size(); ++i) {
        const PlannedChain& chain = plan[i];
        const ExportedChain& outcome = written.chains[i];
        const T3D_TEXTURE& record = header.textures[chain.index];
        for (const TextureProblem& problem : outcome.problems)
            PrintProblem(err, problem);
        if (outcome.written) {
            out << chain.index << '\t' << Escaped(record.name) << '\t' << Escaped(chain.files[0]) << '\t'
                << WhatWasWritten(chain) << '\n';
            if (!outcome.unreadable.empty())
                PrintProblem(err, outcome.unreadable, "could not be read back for the manifest");
        } else {
            PrintProblem(err, WithSceneExtension(args.files[0]),
                         "texture " + std::to_string(chain.index) + " (" + Escaped(record.name) + ") was not written");
        }
    }
    if (written.manifest != FileWriteStatus::Ok)
        PrintWriteProblem(err, ManifestPath(dir), written.manifest);
    if (!written.flushed)
        PrintProblem(err, dir, "its files could not be flushed to disk");
    return written.ok() ? kExitOk : kExitFailed;
}

int RunReplace(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    ReplaceChoices choices;
    choices.keepFormat = args.has("--keep-format");
    choices.flagsFromName = args.has("--flags-from-name");
    choices.nameFromFile = !args.has("--keep-name");
    choices.dither = !args.has("--no-dither");
    const bool as565 = args.has("--rgb565");
    std::string error;
    if (!MipFilterOption(args, choices.filter, error) || !LevelsOption(args, choices.levels, error))
        return UsageError(err, error);
    const std::string& source = args.files[2];
    if (as565 && TakesSceneFormat(source, choices)) {
        const std::string taking =
            choices.keepFormat ? "--keep-format" : std::string("a ") + ChainKindOf(source) + " chain";
        return UsageError(err, "--rgb565 does not go with " + taking + ": the scene's texture gives the format");
    }
    CVK7QScene scene;
    int index = 0;
    if (!LoadAndPick(args, scene, index, err))
        return kExitFailed;
    const T3D_TEXTURE& current = scene.GetSceneHeader()->textures[index];
    TextureRecord replacement;
    ReplacementOutcome outcome;
    StderrReport report(err);
    if (!ReadReplacement(source, current, choices, replacement, report, outcome))
        return kExitFailed;
    if (as565)
        Store555As565(replacement.record());
    const auto target = args.options.find("-o");
    const std::string path = target != args.options.end() ? OutputPath(target->second) : args.files[0];
    std::ostream& words = ReportStream(WithSceneExtension(path), out, err);
    SayNameFlags(current, index, outcome, choices.flagsFromName, words);
    if (args.has("--dry-run")) {
        SayDryRun(current, index, source, replacement.record(), choices, outcome, words);
        return kExitOk;
    }
    if (!scene.ReplaceT3DTexture(index, &replacement.record())) {
        PrintProblem(err, source, "can't be put into the scene");
        return kExitFailed;
    }
    SayRename(*scene.GetSceneHeader(), index, outcome, WithSceneExtension(path), words, err);
    scene.GenerateC3D();
    InputFiles images;
    AddChainFiles(images, source);
    return WriteScene(scene, path, args.has("--old-format"), images, words, err);
}

int RunSet(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    FlagEdit edit;
    std::string error;
    if (!args.has("--flags") && !args.has("--name"))
        return UsageError(err, "set wants --flags, --name or both");
    if (!FlagsOption(args, edit, error) || !NameOptionFits(args, error))
        return UsageError(err, error);
    CVK7QScene scene;
    int index = 0;
    if (!LoadAndPick(args, scene, index, err))
        return kExitFailed;
    const VK7Q_HEADER& header = *scene.GetSceneHeader();
    const T3D_TEXTURE& current = header.textures[index];
    const std::string name = args.has("--name") ? args.options.at("--name") : std::string(current.name);
    if (const int other = OtherTextureNamed(header, index, &name); other >= 0) {
        PrintProblem(err, WithSceneExtension(args.files[0]),
                     "texture " + std::to_string(other) + " is already named " + Escaped(name));
        return kExitFailed;
    }
    const uint32_t flags = edit.appliedTo(current.flags);
    const auto target = args.options.find("-o");
    const std::string path = target != args.options.end() ? OutputPath(target->second) : args.files[0];
    std::ostream& words = ReportStream(WithSceneExtension(path), out, err);
    words << "texture " << index << " (" << Escaped(current.name) << "): " << WhatSetChanges(current, flags, name)
          << '\n';
    scene.SetT3DTextureInfo(index, flags, name.c_str());
    return WriteScene(scene, path, header.magic == kOldSceneMagic, InputFiles(), words, err);
}

int RunPack(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    if (args.files.size() - 1 > kMaxSceneTextures)
        return UsageError(err, "pack takes at most " + std::to_string(kMaxSceneTextures) +
                                   " chains, the most a scene holds, not " + std::to_string(args.files.size() - 1));
    SceneReadOptions options;
    options.as565 = args.has("--rgb565");
    std::string error;
    if (!MipFilterOption(args, options.read.filter, error) || !DepthOption(args, options.read.convertTo, error) ||
        !LevelsOption(args, options.levels, error))
        return UsageError(err, error);
    CVK7QScene scene;
    InputFiles images;
    for (size_t i = 1; i < args.files.size(); ++i) {
        TextureRecord texture;
        ChainLevels levels;
        if (!ReadChainForScene(args.files[i], options, texture, err, &levels))
            return kExitFailed;
        // The files as the read found them: each is looked up once.
        for (const LevelFileTime& file : levels.files)
            images.add(file.device, file.inode);
        if (!scene.AppendT3DTexture(&texture.record())) {
            PrintProblem(err, args.files[i], "can't be put into the scene");
            return kExitFailed;
        }
    }
    scene.GenerateC3D();
    return WriteScene(scene, OutputPath(args.files[0]), args.has("--old-format"), images, out, err);
}

int RunConvert(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    bool oldFormat = false;
    if (!WantsOneFormat(args, oldFormat, err))
        return kExitUsage;
    CVK7QScene scene;
    if (!LoadScene(scene, args.files[0], err))
        return kExitFailed;
    return WriteScene(scene, OutputPath(args.files[1]), oldFormat, InputFiles(), out, err);
}
