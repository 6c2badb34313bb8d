#include "texturepack/TexturePack.h"

#include "texture/TextureLimits.h"
#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"
#include "texture/chain/ImageChainWrite.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/chain/StaleLevels.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/io/FileRead.h"
#include "texture/io/FileWrite.h"
#include "texturepack/ChainPlan.h"
#include "texturepack/EscapedText.h"
#include "texturepack/ReplacementRule.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>

namespace fs = std::filesystem;

namespace {

// What reading one chain met: warnings go out at once and into the
// texture's line; the first error is kept for the line's words.
// Held, warnings wait for release(): a read that may yet be dropped says
// nothing.
class RowReport : public TextureReport {
public:
    RowReport(TextureReport& warnings, TextureLine& line, bool held) : warnings_(warnings), line_(line), held_(held) {}

    void report(const TextureProblem& problem) override
    {
        if (problem.severity == Severity::Warning) {
            if (!held_)
                warnings_.report(problem);
            line_.warnings.push_back(problem);
        } else if (firstError_.empty()) {
            firstError_ = Escaped(NameInFolder(problem.file)) + " " + problem.detail;
        }
    }

    void release()
    {
        if (held_)
            for (const TextureProblem& problem : line_.warnings)
                warnings_.report(problem);
        held_ = false;
    }

    const std::string& firstError() const { return firstError_; }

private:
    TextureReport& warnings_;
    TextureLine& line_;
    bool held_;
    std::string firstError_;
};

// "a.tga and a.png both name it; neither is taken", "a.tga, a.png and a.dds
// all name it; none is taken": the first files of a texture's chains found.
std::string FilesThatNameIt(const std::vector<std::string>& found)
{
    std::string words;
    for (size_t i = 0; i < found.size(); ++i)
        words += (i == 0 ? "" : i + 1 == found.size() ? " and " : ", ") + Escaped(NameInFolder(found[i]));
    return words + (found.size() == 2 ? " both name it; neither is taken" : " all name it; none is taken");
}

// How a chain's files compare with the CRC-32s last known. Changed: a file
// the reader reads differs, or is gone or has come. Stale from: the first
// level file that still matches where the first file changed. Painted: level
// files under 16 pixels, never read, that differ.
struct ChainChange {
    bool changed = false;
    int staleFrom = 0;
    std::vector<int> painted;
};

ChainChange CompareChain(const std::vector<uint32_t>& crcs, const std::vector<uint32_t>& known, bool firstChanged,
                         unsigned width, unsigned height)
{
    ChainChange change;
    change.changed = firstChanged;
    for (size_t level = 1; level < std::max(crcs.size(), known.size()); ++level) {
        const bool same = level < crcs.size() && level < known.size() && crcs[level] == known[level];
        if (!same && ReadsLevelFile(width, height, int(level)))
            change.changed = true;
        if (same && firstChanged && change.staleFrom == 0)
            change.staleFrom = int(level);
    }
    for (size_t level = 1; level < crcs.size(); ++level)
        if (!ReadsLevelFile(width, height, int(level)) && (level >= known.size() || crcs[level] != known[level]))
            change.painted.push_back(int(level));
    return change;
}

// "wall_A1.tga is too large": a file of the folder by its name, then the
// detail of the cause's row.
std::string FileWords(const std::string& path, TextureCause cause)
{
    return Escaped(NameInFolder(path)) + " " + MakeProblem(Severity::Error, cause, path).detail;
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

// Import's choices for the rule: every chain in its texture's format, under
// its texture's name.
ReplaceChoices ChoicesOf(const ImportOptions& options)
{
    ReplaceChoices choices;
    choices.keepFormat = true;
    choices.flagsFromName = options.flagsFromName;
    choices.nameFromFile = false;
    choices.levels = options.levels;
    choices.filter = options.filter;
    choices.dither = options.dither;
    return choices;
}

bool Cancelled(const ImportOptions& options)
{
    return options.cancel && options.cancel->load();
}

TextureLine Line(TextureLine::Kind kind, int index, std::string name, std::string words)
{
    TextureLine line;
    line.kind = kind;
    line.index = index;
    line.name = std::move(name);
    line.words = std::move(words);
    return line;
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

// One texture's chain in the folder.
struct TexturePack::Chain {
    int index = 0;
    std::string name;             // the texture's, as the manifest has it
    std::string first;            // the first file's path
    std::vector<uint32_t> known;  // the CRC-32s last known; empty: none, always read
};

// One chain as importChain looks at it: its files' CRC-32s and how they
// compare, then the replacement read.
struct TexturePack::ChainLook {
    ChainLook(std::vector<uint32_t>& crcsOut, std::map<std::string, CrcMemo>& seenOut) : crcs(crcsOut), seen(seenOut) {}

    std::vector<uint32_t>& crcs;
    std::map<std::string, CrcMemo>& seen;
    // crcs[0] is left to the read, which sums the bytes it decodes.
    bool firstFromRead = false;
    unsigned width = 0xFFFF, height = 0xFFFF;
    ChainChange change;
    TextureRecord replacement;
    ChainLevels levels;
    ReplacementOutcome outcome;
};

TexturePack::TexturePack(std::string scene, std::string dir, ImportOptions options)
    : scene_(std::move(scene)), dir_(std::move(dir)), options_(std::move(options))
{
    sceneFile_ = WithSceneExtension(scene_);
    outputFile_ = WithSceneExtension(options_.output);
}

bool TexturePack::load(std::string& problem)
{
    if (!loaded_.Load(scene_.c_str(), 0)) {
        problem = SceneStatusText(loaded_.LastStatus());
        return false;
    }
    imported_.clear();
    unwritten_.clear();
    return true;
}

bool TexturePack::sceneChangedOnDisk() const
{
    return loaded_.FileChangedOnDisk();
}

bool TexturePack::chainCrcs(const std::string& first, bool firstFromRead, std::vector<uint32_t>& crcs,
                            std::map<std::string, CrcMemo>& seen, std::string& problem)
{
    crcs.clear();
    const bool oneFile = IsOneFileChain(first);
    std::string current = first;
    while (!current.empty() && crcs.size() < size_t(kMaxTextureLevels)) {
        const FileStamp stamp = StampOf(current);
        if (!stamp.exists)
            break;
        const auto memo = crcMemo_.find(current);
        uint32_t crc = 0;
        // No reader takes a file this large: refused by its size before a
        // byte of it is read for its CRC.
        if (stamp.size > kMaxWholeFileBytes) {
            problem = FileWords(current, TextureCause::TooLarge);
            return false;
        }
        const int64_t readAt = NowNanoseconds();
        if (crcs.empty() && firstFromRead) {
            crc = 0;  // the read's
        } else if (memo != crcMemo_.end() && !memo->second.sameTick && memo->second.stamp == stamp) {
            crc = memo->second.crc;
            seen[current] = memo->second;
        } else if (!FileCrc32(current, crc, kMaxWholeFileBytes)) {
            problem = FileWords(current, TextureCause::ReadFailed);
            return false;
        } else {
            seen[current] = {stamp, crc, ModifiedWithinTickOf(stamp, readAt)};
        }
        crcs.push_back(crc);
        std::string next;
        NextMipLevelName(current, next);
        current = oneFile ? std::string() : next;
    }
    return true;
}

// Whether the first file's CRC-32 is better taken from the read of its chain
// than read for it before: where the chain is read whatever the file holds,
// or its stamp says it was written since its CRC was last known (another
// stamp than the one remembered, or newer than the manifest). A guess only:
// the CRC the read sums decides.
bool TexturePack::firstCrcFromRead(const Chain& chain, const FileStamp& first) const
{
    if (options_.all || chain.known.empty() || unwritten_.count(chain.index))
        return true;
    const auto memo = crcMemo_.find(chain.first);
    if (memo != crcMemo_.end())
        return memo->second.stamp != first;
    return manifestModified_ != 0 && first.modified > manifestModified_;
}

bool TexturePack::findChains(const VK7Q_HEADER& header, std::vector<Chain>& chains, RoundOutcome& outcome)
{
    const std::string manifest = (fs::path(dir_) / kManifestName).string();
    std::vector<ManifestRow> rows;
    std::string problem;
    const ManifestStatus status = ReadManifest(manifest, rows, problem);
    usesManifest_ = status != ManifestStatus::Missing;
    manifestModified_ = usesManifest_ ? StampOf(manifest).modified : 0;
    if (status == ManifestStatus::Missing) {
        findChainsByName(header, chains, outcome);
        return !outcome.sceneFailed;
    }
    if (status != ManifestStatus::Ok) {
        outcome.sceneFailed = true;
        outcome.problemFile = manifest;
        outcome.problem = problem;
        return false;
    }
    for (const ManifestRow& row : rows) {
        Chain chain{row.index, row.name, (fs::path(dir_) / row.file).string(), row.crcs};
        const auto imported = imported_.find({row.index, chain.first});
        if (imported != imported_.end())
            chain.known = imported->second;
        chains.push_back(std::move(chain));
    }
    return true;
}

void TexturePack::findChainsByName(const VK7Q_HEADER& header, std::vector<Chain>& chains, RoundOutcome& outcome)
{
    std::vector<std::string> files;
    if (!TextureFilesIn(dir_, files)) {
        outcome.sceneFailed = true;
        outcome.problemFile = dir_;
        outcome.problem = "is not a folder that can be read";
        return;
    }
    const std::unordered_set<std::string> present(files.begin(), files.end());
    std::unordered_set<std::string> named;  // every file some texture's chain would have
    const std::vector<PlannedChain> plans[] = {PlanChains(header, dir_, TextureFileKind::tga),
                                               PlanChains(header, dir_, TextureFileKind::png),
                                               PlanChains(header, dir_, TextureFileKind::dds)};
    for (int i = 0; i < header.textureCount; ++i) {
        std::vector<std::string> found;
        for (const std::vector<PlannedChain>& plan : plans) {
            for (const std::string& file : plan[size_t(i)].files)
                named.insert(NameInFolder(file));
            if (present.count(NameInFolder(plan[size_t(i)].files[0])))
                found.push_back(plan[size_t(i)].files[0]);
        }
        if (found.size() > 1) {
            outcome.lines.push_back(Line(TextureLine::ambiguous, i, header.textures[i].name, FilesThatNameIt(found)));
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
            outcome.lines.push_back(Line(TextureLine::unmatched, -1, file, "names no texture of the scene"));
}

TextureLine TexturePack::importChain(const VK7Q_HEADER& header, const Chain& chain, TextureReport& warnings,
                                     const Take& take, std::vector<uint32_t>& crcs,
                                     std::map<std::string, CrcMemo>& seen)
{
    TextureLine line = Line(TextureLine::unchanged, chain.index, chain.name, {});
    if (chain.index >= header.textureCount || chain.name != header.textures[chain.index].name) {
        line.kind = TextureLine::failed;
        line.words =
            "index " + std::to_string(chain.index) + " and name " + Escaped(chain.name) + " no longer match the scene";
        return line;
    }
    const FileStamp first = StampOf(chain.first);
    if (!first.exists) {
        line.kind = TextureLine::missing;
        line.words = Escaped(NameInFolder(chain.first));
        return line;
    }
    ChainLook read(crcs, seen);
    read.firstFromRead = firstCrcFromRead(chain, first);
    if (!chainCrcs(chain.first, read.firstFromRead, crcs, seen, line.words)) {
        line.kind = TextureLine::failed;
        return line;
    }
    // Which level files count follows the first file's own size, whatever
    // the manifest's row says: a pack may be upscaled. A header that can't be
    // read leaves every level file counted.
    LevelZeroSize(chain.first, read.width, read.height);
    const std::vector<uint32_t>& known = chain.known;
    read.change =
        CompareChain(crcs, known, read.firstFromRead || known.empty() || crcs[0] != known[0], read.width, read.height);
    read.change.changed = read.change.changed || unwritten_.count(chain.index) != 0;
    if (read.change.changed || options_.all) {
        const ReadVerdict verdict = readChain(header, chain, read, warnings, line);
        if (verdict == ReadVerdict::failed)
            return line;
        if (verdict == ReadVerdict::read)
            return takeChain(header, chain, read, std::move(line), take);
    }
    ReportUnreadLevels(warnings, chain.first, LevelFileTimes(chain.first), read.change.painted);
    return line;
}

bool TexturePack::takeFirstCrc(const Chain& chain, ChainLook& read, int64_t readAt)
{
    FileStamp stamp = read.levels.read.empty() ? FileStamp() : read.levels.read.front();
    if (!stamp.hasCrc) {
        stamp = StampOf(chain.first);
        readAt = NowNanoseconds();
        if (!stamp.exists || !FileCrc32(chain.first, stamp.crc, kMaxWholeFileBytes))
            return false;
    }
    read.crcs[0] = stamp.crc;
    read.seen[chain.first] = {stamp, stamp.crc, ModifiedWithinTickOf(stamp, readAt)};
    read.firstFromRead = false;
    return true;
}

TexturePack::ReadVerdict TexturePack::readChain(const VK7Q_HEADER& header, const Chain& chain, ChainLook& read,
                                                TextureReport& warnings, TextureLine& line)
{
    line.warnings.clear();
    RowReport report(warnings, line, read.firstFromRead);
    const int64_t readAt = NowNanoseconds();
    const bool ok = ReadReplacement(
        chain.first, header.textures[chain.index], ChoicesOf(options_), read.replacement, report, read.outcome,
        {&read.levels, read.change.staleFrom, options_.cancel, chain.known.empty() ? nullptr : &read.change.painted});
    if (read.firstFromRead) {
        if (!takeFirstCrc(chain, read, readAt)) {
            line.kind = TextureLine::failed;
            line.words = FileWords(chain.first, TextureCause::ReadFailed);
            return ReadVerdict::failed;
        }
        const std::vector<uint32_t>& known = chain.known;
        ChainChange change =
            CompareChain(read.crcs, known, known.empty() || read.crcs[0] != known[0], read.width, read.height);
        change.changed = change.changed || unwritten_.count(chain.index) != 0;
        const bool sameStale = change.staleFrom == read.change.staleFrom;
        read.change = std::move(change);
        if (!read.change.changed && !options_.all) {
            line.warnings.clear();
            return ReadVerdict::unchanged;
        }
        if (!sameStale)
            return readChain(header, chain, read, warnings, line);
        report.release();
    }
    if (!ok) {
        line.kind = TextureLine::failed;
        line.words =
            report.firstError().empty() ? FileWords(chain.first, TextureCause::ReadFailed) : report.firstError();
        return ReadVerdict::failed;
    }
    return ReadVerdict::read;
}

TextureLine TexturePack::takeChain(const VK7Q_HEADER& header, const Chain& chain, ChainLook& read, TextureLine line,
                                   const Take& take)
{
    const T3D_TEXTURE& current = header.textures[chain.index];
    if (SameTexture(current, read.replacement.record())) {
        if (unwritten_.count(chain.index)) {
            line.kind = TextureLine::replaced;
            line.words = "as in the round before";
        } else {
            line.words = "reads as the scene holds it";
        }
        return line;
    }
    line.kind = TextureLine::replaced;
    line.words = read.outcome.changes;
    if (const std::string rebuilt = RebuiltLevelsText(read.levels); !rebuilt.empty())
        line.words += "; " + rebuilt;
    if (!options_.flagsFromName)
        line.keptFlags = read.outcome.nameFlags;
    if (options_.dryRun) {
        line.cost = ReplacementCost(
            chain.first, current, read.replacement.record(), ChoicesOf(options_),
            {nullptr, read.change.staleFrom, options_.cancel, chain.known.empty() ? nullptr : &read.change.painted});
        return line;
    }
    if (!take(chain.index, read.replacement)) {
        line.kind = TextureLine::failed;
        line.words = Escaped(NameInFolder(chain.first)) + " can't be put into the scene";
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
        outcome.problem = MakeProblem(Severity::Error, TextureCause::WriteSameAsInput, outputFile_).detail;
        return false;
    }
    const char* path = options_.output.c_str();
    loaded_.SetWriteCancel(options_.cancel);
    if (!(options_.oldFormat ? loaded_.WriteOld(path) : loaded_.Write(path))) {
        outcome.sceneFailed = true;
        outcome.problemFile = outputFile_;
        outcome.problem = SceneStatusText(loaded_.LastStatus());
        outcome.sceneChanged = loaded_.LastStatus().cause == SceneCause::ChangedOnDisk;
        outcome.cancelled = Cancelled(options_);
        return false;
    }
    unwritten_.clear();
    outcome.wrote = true;
    return true;
}

RoundOutcome TexturePack::readChains(const VK7Q_HEADER& header, TextureReport& warnings, const Take& take,
                                     std::vector<Chain>& chains, Imported& imported)
{
    RoundOutcome outcome;
    if (!findChains(header, chains, outcome))
        return outcome;
    std::map<std::string, CrcMemo> seen;  // only the files seen this round are remembered
    for (const Chain& chain : chains) {
        if (Cancelled(options_)) {
            outcome.cancelled = true;
            return outcome;
        }
        std::vector<uint32_t> crcs;
        TextureLine line = importChain(header, chain, warnings, take, crcs, seen);
        if (line.kind == TextureLine::replaced || line.kind == TextureLine::unchanged)
            imported[{chain.index, chain.first}] = crcs;
        outcome.replaced += line.kind == TextureLine::replaced;
        outcome.failed += line.kind == TextureLine::failed;
        outcome.lines.push_back(std::move(line));
    }
    outcome.cancelled = Cancelled(options_);
    // By texture index; files that name no texture last.
    std::stable_sort(outcome.lines.begin(), outcome.lines.end(),
                     [](const TextureLine& a, const TextureLine& b) { return unsigned(a.index) < unsigned(b.index); });
    crcMemo_ = std::move(seen);
    return outcome;
}

RoundOutcome TexturePack::round(TextureReport& warnings)
{
    std::vector<Chain> chains;
    Imported imported;
    const Take take = [this](int index, TextureRecord& replacement) {
        return loaded_.TakeT3DTexture(index, replacement) != 0;
    };
    RoundOutcome outcome = readChains(*loaded_.GetSceneHeader(), warnings, take, chains, imported);
    if (outcome.sceneFailed || outcome.cancelled)
        return outcome;
    if (outcome.failed > 0 && !options_.skipFailed)
        return outcome;
    if (outcome.replaced > 0 && !options_.dryRun && !writeScene(chains, outcome))
        return outcome;
    for (auto& [key, crcs] : imported)
        imported_[key] = std::move(crcs);
    return outcome;
}

RoundOutcome ReadChangedChains(const VK7Q_HEADER& scene, const std::string& dir, const ImportOptions& options,
                               TextureReport& warnings, const TexturePack::Take& take)
{
    ImportOptions reading = options;
    reading.dryRun = false;  // every replacement read goes to `take`
    TexturePack pack({}, dir, reading);
    std::vector<TexturePack::Chain> chains;
    TexturePack::Imported imported;
    return pack.readChains(scene, warnings, take, chains, imported);
}
