#include "cli/TexturePack.h"

#include "cli/ChainPlan.h"
#include "cli/CliOutput.h"
#include "cli/TextureOptions.h"
#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"
#include "texture/chain/ImageChainWrite.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/io/FileWrite.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <memory>
#include <ostream>
#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>

namespace fs = std::filesystem;

// One texture's chain in the folder.
struct TexturePack::Chain {
    int index = 0;
    std::string name;   // the texture's, as the manifest has it
    std::string first;  // the first file's path
    unsigned width = 0, height = 0;
    std::vector<uint32_t> known;  // the CRC-32s last known; empty: none, always read
};

namespace {

// A texture problem as one line: warnings go out at once; the first error is
// kept for the texture's line.
class RowReport : public TextureReport {
public:
    explicit RowReport(std::ostream& err) : err_(err) {}

    void report(const TextureProblem& problem) override
    {
        if (problem.severity == Severity::Warning)
            PrintProblem(err_, problem.file, problem.detail, true);
        else if (firstError_.empty())
            firstError_ = Escaped(NameInFolder(problem.file)) + " " + problem.detail;
    }

    const std::string& firstError() const { return firstError_; }

private:
    std::ostream& err_;
    std::string firstError_;
};

int64_t Nanoseconds(const timespec& time)
{
    return int64_t(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// Whether two records are the same texture, pixels included.
bool SameTexture(const T3D_TEXTURE& a, const T3D_TEXTURE& b)
{
    if (a.width != b.width || a.height != b.height || a.depth != b.depth || a.redMask != b.redMask ||
        a.greenMask != b.greenMask || a.blueMask != b.blueMask || a.alphaMask != b.alphaMask || a.flags != b.flags ||
        a.levelCount != b.levelCount || std::strncmp(a.name, b.name, kTextureNameSize) != 0)
        return false;
    if (a.depth == 8 && std::memcmp(a.palette, b.palette, sizeof a.palette) != 0)
        return false;
    for (int level = 0; level < std::min<int>(a.levelCount, kMaxTextureLevels); ++level) {
        const uint64_t bytes = LevelByteCount(a, level);
        if (bytes != 0 &&
            (!a.levels[level] || !b.levels[level] || std::memcmp(a.levels[level], b.levels[level], bytes)))
            return false;
    }
    return true;
}

// What a replacement changes besides its pixels: "64 x 64 -> 128 x 128, 5 ->
// 8 levels, flags 0x03 -> 0x0B (+ Force 32 bit)"; "new pixels" when nothing else.
std::string WhatChanged(const T3D_TEXTURE& before, const T3D_TEXTURE& after)
{
    std::vector<std::string> parts;
    if (before.width != after.width || before.height != after.height)
        parts.push_back(std::to_string(before.width) + " x " + std::to_string(before.height) + " -> " +
                        std::to_string(after.width) + " x " + std::to_string(after.height));
    if (before.depth != after.depth)
        parts.push_back(std::to_string(before.depth) + " -> " + std::to_string(after.depth) + " bits");
    if (before.levelCount != after.levelCount)
        parts.push_back(std::to_string(before.levelCount) + " -> " + std::to_string(after.levelCount) + " levels");
    if (before.flags != after.flags)
        parts.push_back("flags " + Hex(before.flags, 2) + " -> " + Hex(after.flags, 2) + " (" +
                        FlagChangeText(before.flags, after.flags) + ")");
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text.empty() ? "new pixels" : text;
}

void SetName(T3D_TEXTURE& record, const char* name)
{
    std::memset(record.name, 0, sizeof record.name);
    std::strncpy(record.name, name, sizeof record.name - 1);
}

// The names of the texture files in a folder; false when it cannot be listed.
bool TextureFilesIn(const std::string& dir, std::vector<std::string>& names)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(dir.c_str()), ::closedir);
    if (!folder)
        return false;
    while (const dirent* entry = ::readdir(folder.get()))
        if (IsTextureFileName(entry->d_name))
            names.push_back(entry->d_name);
    std::sort(names.begin(), names.end());
    return true;
}

}  // namespace

bool FileStamp::operator==(const FileStamp& other) const
{
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
           modified == other.modified && changed == other.changed;
}

FileStamp StampOf(const std::string& path)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return {};
    return {info.st_dev, info.st_ino, info.st_size, Nanoseconds(info.st_mtim), Nanoseconds(info.st_ctim), true};
}

bool ParseImportOptions(const CommandArguments& args, ImportOptions& options, std::string& error)
{
    const auto target = args.options.find("-o");
    options.output = target != args.options.end() ? target->second : args.files[0];
    options.oldFormat = args.has("--old-format");
    options.dryRun = args.has("--dry-run");
    options.all = args.has("--all");
    options.skipFailed = args.has("--skip-failed");
    options.flagsFromName = args.has("--flags-from-name");
    options.dither = !args.has("--no-dither");
    return MipFilterOption(args, options.filter, error) && LevelsOption(args, options.levels, error);
}

std::string KindWords(const TextureLine& line)
{
    static const char* const kKinds[] = {"replaced", "unchanged", "missing", "failed", "ambiguous", "unmatched"};
    const std::string kind = kKinds[line.kind];
    return line.words.empty() ? kind : kind + ": " + line.words;
}

TexturePack::TexturePack(std::string scene, std::string dir, ImportOptions options)
    : scene_(std::move(scene)), dir_(std::move(dir)), options_(std::move(options))
{
    sceneFile_ = WithSceneExtension(scene_);
    outputFile_ = WithSceneExtension(options_.output);
}

bool TexturePack::load(std::ostream& err)
{
    const FileStamp stamp = StampOf(sceneFile_);
    if (!loaded_.Load(scene_.c_str(), 0)) {
        PrintProblem(err, sceneFile_, SceneStatusText(loaded_.LastStatus()));
        return false;
    }
    sceneStamp_ = stamp;
    imported_.clear();
    unwritten_.clear();
    return true;
}

bool TexturePack::sceneChangedOnDisk() const
{
    return StampOf(sceneFile_) != sceneStamp_;
}

bool TexturePack::chainCrcs(const std::string& first, std::vector<uint32_t>& crcs, std::map<std::string, CrcMemo>& seen,
                            std::string& unreadable)
{
    crcs.clear();
    std::string current = first;
    while (!current.empty() && crcs.size() < size_t(kMaxTextureLevels)) {
        const FileStamp stamp = StampOf(current);
        if (!stamp.exists)
            break;
        const auto memo = crcMemo_.find(current);
        uint32_t crc = 0;
        if (memo != crcMemo_.end() && memo->second.stamp == stamp) {
            crc = memo->second.crc;
        } else if (!FileCrc32(current, crc)) {
            unreadable = current;
            return false;
        }
        seen[current] = {stamp, crc};
        crcs.push_back(crc);
        std::string next;
        NextMipLevelName(current, next);
        current = next;
    }
    return true;
}

bool TexturePack::findChains(std::vector<Chain>& chains, RoundOutcome& outcome)
{
    const std::string manifest = (fs::path(dir_) / kManifestName).string();
    std::vector<ManifestRow> rows;
    std::string problem;
    const ManifestStatus status = ReadManifest(manifest, rows, problem);
    usesManifest_ = status != ManifestStatus::Missing;
    if (status == ManifestStatus::Missing) {
        findChainsByName(chains, outcome);
        return !outcome.sceneFailed;
    }
    if (status != ManifestStatus::Ok) {
        outcome.sceneFailed = true;
        outcome.problemFile = manifest;
        outcome.problem = problem;
        return false;
    }
    for (const ManifestRow& row : rows) {
        Chain chain{row.index, row.name, (fs::path(dir_) / row.file).string(), row.width, row.height, row.crcs};
        const auto imported = imported_.find({row.index, chain.first});
        if (imported != imported_.end())
            chain.known = imported->second;
        chains.push_back(std::move(chain));
    }
    return true;
}

void TexturePack::findChainsByName(std::vector<Chain>& chains, RoundOutcome& outcome)
{
    std::vector<std::string> files;
    if (!TextureFilesIn(dir_, files)) {
        outcome.sceneFailed = true;
        outcome.problemFile = dir_;
        outcome.problem = "is not a folder that can be read";
        return;
    }
    const std::unordered_set<std::string> present(files.begin(), files.end());
    const VK7Q_HEADER& header = *loaded_.GetSceneHeader();
    std::unordered_set<std::string> named;  // every file some texture's chain would have
    std::vector<PlannedChain> plans[2] = {PlanChains(header, dir_, ".tga"), PlanChains(header, dir_, ".png")};
    for (int i = 0; i < header.textureCount; ++i) {
        std::vector<std::string> found;
        for (const std::vector<PlannedChain>& plan : plans) {
            for (const std::string& file : plan[size_t(i)].files)
                named.insert(NameInFolder(file));
            if (present.count(NameInFolder(plan[size_t(i)].files[0])))
                found.push_back(plan[size_t(i)].files[0]);
        }
        if (found.size() == 2) {
            outcome.lines.push_back({TextureLine::ambiguous, i, header.textures[i].name,
                                     Escaped(NameInFolder(found[0])) + " and " + Escaped(NameInFolder(found[1])) +
                                         " both name it; neither is taken"});
        } else if (found.size() == 1) {
            Chain chain;
            chain.index = i;
            chain.name = header.textures[i].name;
            chain.first = found[0];
            const auto imported = imported_.find({i, chain.first});
            if (imported != imported_.end())
                chain.known = imported->second;
            chains.push_back(std::move(chain));
        }
    }
    for (const std::string& file : files)
        if (!named.count(file))
            outcome.lines.push_back({TextureLine::unmatched, -1, file, "names no texture of the scene"});
}

TextureLine TexturePack::importChain(const Chain& chain, std::ostream& err, std::vector<uint32_t>& crcs,
                                     std::map<std::string, CrcMemo>& seen)
{
    const VK7Q_HEADER& header = *loaded_.GetSceneHeader();
    TextureLine line{TextureLine::unchanged, chain.index, chain.name, {}};
    const std::string file = Escaped(NameInFolder(chain.first));
    if (chain.index >= header.textureCount || chain.name != header.textures[chain.index].name) {
        line.kind = TextureLine::failed;
        line.words =
            "index " + std::to_string(chain.index) + " and name " + Escaped(chain.name) + " no longer match the scene";
        return line;
    }
    if (!StampOf(chain.first).exists) {
        line.kind = TextureLine::missing;
        line.words = file;
        return line;
    }
    std::string unreadable;
    if (!chainCrcs(chain.first, crcs, seen, unreadable)) {
        line.kind = TextureLine::failed;
        line.words = Escaped(NameInFolder(unreadable)) + " could not be read";
        return line;
    }

    // Changed: a file the reader reads differs from its known CRC, or is gone
    // or has come. Stale: the first file changed, a later one did not.
    const std::vector<uint32_t>& known = chain.known;
    const bool firstChanged = known.empty() || crcs[0] != known[0];
    bool changed = firstChanged || unwritten_.count(chain.index) != 0;
    int staleFrom = 0;
    for (size_t level = 1; level < std::max(crcs.size(), known.size()); ++level) {
        const bool same = level < crcs.size() && level < known.size() && crcs[level] == known[level];
        if (!same && ReadsLevelFile(chain.width, chain.height, int(level)))
            changed = true;
        if (same && firstChanged && staleFrom == 0)
            staleFrom = int(level);
    }
    if (!changed && !options_.all)
        return line;

    const T3D_TEXTURE& current = header.textures[chain.index];
    TextureReadOptions read;
    read.filter = options_.filter;
    read.convertTo = FormatOf(current, options_.dither);
    RowReport report(err);
    TextureRecord replacement;
    ChainLevels levels;
    if (!ReadChainLevels(chain.first, read, options_.levels, replacement, report, &levels, staleFrom) ||
        !report.firstError().empty()) {
        line.kind = TextureLine::failed;
        line.words = report.firstError().empty() ? file + " could not be read" : report.firstError();
        return line;
    }
    T3D_TEXTURE& record = replacement.record();
    SetName(record, current.name);
    const std::string nameFlags = ChooseFlags(current, record, options_.flagsFromName);
    if (SameTexture(current, record)) {
        if (unwritten_.count(chain.index)) {
            line.kind = TextureLine::replaced;
            line.words = "as in the round before";
        } else {
            line.words = "reads as the scene holds it";
        }
        return line;
    }
    line.kind = TextureLine::replaced;
    line.words = WhatChanged(current, record);
    if (const std::string rebuilt = RebuiltLevelsText(levels); !rebuilt.empty())
        line.words += "; " + rebuilt;
    if (!nameFlags.empty() && !options_.flagsFromName)
        line.words += "; keeps its flags, the file's name would give " + nameFlags + " (--flags-from-name)";
    if (options_.dryRun)
        return line;
    if (!loaded_.ReplaceT3DTexture(chain.index, &record)) {
        line.kind = TextureLine::failed;
        line.words = file + " can't be put into the scene";
        return line;
    }
    unwritten_.insert(chain.index);
    return line;
}

bool TexturePack::writeScene(const std::vector<Chain>& chains, RoundOutcome& outcome)
{
    InputFiles inputs;
    inputs.add((fs::path(dir_) / kManifestName).string());
    for (const Chain& chain : chains)
        AddChainFiles(inputs, chain.first);
    if (inputs.includes(outputFile_)) {
        outcome.sceneFailed = true;
        outcome.problemFile = outputFile_;
        outcome.problem = std::string("could not be written: ") + FileWriteProblem(FileWriteStatus::SameAsInput);
        return false;
    }
    const char* path = options_.output.c_str();
    if (!(options_.oldFormat ? loaded_.WriteOld(path) : loaded_.Write(path))) {
        outcome.sceneFailed = true;
        outcome.problemFile = outputFile_;
        outcome.problem = SceneStatusText(loaded_.LastStatus());
        return false;
    }
    // Written over the scene itself (under whatever name): this is now the
    // scene as loaded here, not a change by another program.
    const FileStamp written = StampOf(outputFile_), scene = StampOf(sceneFile_);
    if (written.exists && written.device == scene.device && written.inode == scene.inode)
        sceneStamp_ = scene;
    unwritten_.clear();
    outcome.wrote = true;
    return true;
}

RoundOutcome TexturePack::round(std::ostream& err)
{
    RoundOutcome outcome;
    std::vector<Chain> chains;
    if (!findChains(chains, outcome))
        return outcome;
    std::map<std::pair<int, std::string>, std::vector<uint32_t>> imported;
    std::map<std::string, CrcMemo> seen;  // only the files seen this round are remembered
    for (const Chain& chain : chains) {
        std::vector<uint32_t> crcs;
        TextureLine line = importChain(chain, err, crcs, seen);
        if (line.kind == TextureLine::replaced || line.kind == TextureLine::unchanged)
            imported[{chain.index, chain.first}] = crcs;
        outcome.replaced += line.kind == TextureLine::replaced;
        outcome.failed += line.kind == TextureLine::failed;
        outcome.lines.push_back(std::move(line));
    }
    // By texture index; files that name no texture last.
    std::stable_sort(outcome.lines.begin(), outcome.lines.end(),
                     [](const TextureLine& a, const TextureLine& b) { return unsigned(a.index) < unsigned(b.index); });
    crcMemo_ = std::move(seen);
    if (outcome.failed > 0 && !options_.skipFailed)
        return outcome;
    if (outcome.replaced > 0 && !options_.dryRun && !writeScene(chains, outcome))
        return outcome;
    for (auto& [key, crcs] : imported)
        imported_[key] = std::move(crcs);
    return outcome;
}
