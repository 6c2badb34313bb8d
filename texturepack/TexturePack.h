// A folder of texture chains going into a scene: what quorrel-cli's import
// does once and its watch every round, and what the editor's import reads
// before it asks.
//
// The folder's chains are found through its manifest (texturepack/Manifest.h),
// or, without one, by the names extract-all gives the scene's textures (a
// texture with both a .tga and a .png chain, and a texture file that names
// no texture, are listed and left alone). A chain has changed when a file the
// reader would read differs from the CRC-32 last known for it (the
// manifest's at first, then the one last imported), a level file gone or
// come included. A changed chain is read in the scene texture's format and
// takes its name and, unless asked otherwise, its flags. Where the first file
// changed and a level file still matches its known CRC, that level is stale
// and it and the levels below are made from the one above (unless the stale
// level choice is files). A texture that then reads exactly as the scene
// holds it is unchanged. The scene is written once at the end of a round,
// atomically, and only when every chain read (or skipFailed).
#pragma once

#include "scene/CVK7QScene.h"
#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"
#include "texture/convert/ConversionCost.h"
#include "texture/io/FileStamp.h"
#include "texturepack/ChainRead.h"
#include "texturepack/Manifest.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <sys/types.h>
#include <vector>

struct ImportOptions {
    std::string output;  // the scene written: -o, or the scene itself
    bool oldFormat = false;
    bool dryRun = false;
    bool all = false;
    bool skipFailed = false;
    bool flagsFromName = false;
    StaleLevelChoice levels = StaleLevelChoice::warn;
    MipFilter filter = MipFilter::point;
    bool dither = true;
    // Set to true by another thread, stops a round: the chain being read, the
    // chains after it and the scene's write before its rename (nothing
    // written). nullptr: never.
    const std::atomic<bool>* cancel = nullptr;
};

// What became of one texture (or one file that names none) in a round.
struct TextureLine {
    enum Kind { replaced, unchanged, missing, failed, ambiguous, unmatched };
    Kind kind = unchanged;
    int index = -1;     // -1 for a file that names no texture
    std::string name;   // the texture's name, or the unmatched file's
    std::string words;  // what follows the kind: what changed, why it failed, ...
    // Replaced keeping the scene texture's flags: how those its file's name
    // spells differ from them ("+ Envmap"); empty when they agree.
    std::string keptFlags;
    std::vector<TextureProblem> warnings;  // what reading its chain warned of
    // Replaced in a dry run: what going in costs each level
    // (ReplacementCost, texturepack/ReplacementRule.h).
    std::vector<LevelCost> cost;
};

struct RoundOutcome {
    std::vector<TextureLine> lines;
    int replaced = 0;
    int failed = 0;
    bool wrote = false;
    bool sceneFailed = false;   // the folder or the scene could not be read, or the scene not written
    bool sceneChanged = false;  // not written: another program wrote the scene since it was loaded
    bool cancelled = false;     // stopped through ImportOptions::cancel; nothing written
    std::string problemFile;    // then the file it is about
    std::string problem;        // and what is wrong with it
};

class TexturePack {
public:
    // Puts a replacement read for texture [index] into a scene, or keeps it
    // (it may be moved from); false when it cannot go in.
    using Take = std::function<bool(int index, TextureRecord& replacement)>;

    TexturePack(std::string scene, std::string dir, ImportOptions options);

    // Loads the scene and forgets what was imported before: the next round
    // compares the chains with the manifest again. False, with `problem` set
    // to the scene code's words (to follow sceneFile()), when it cannot be
    // loaded.
    bool load(std::string& problem);
    // Whether another program changed the scene file since it was loaded or
    // written here.
    bool sceneChangedOnDisk() const;

    // One round: finds the chains, imports the changed ones, and writes the
    // scene when something changed and nothing failed (or skipFailed).
    // Warnings go to `warnings` as they come, and into their texture's line.
    RoundOutcome round(TextureReport& warnings);

    const std::string& sceneFile() const { return sceneFile_; }
    const std::string& outputFile() const { return outputFile_; }
    const std::string& dir() const { return dir_; }
    const ImportOptions& options() const { return options_; }
    bool usesManifest() const { return usesManifest_; }

private:
    friend RoundOutcome ReadChangedChains(const VK7Q_HEADER& scene, const std::string& dir,
                                          const ImportOptions& options, TextureReport& warnings, const Take& take);
    struct Chain;
    struct CrcMemo {
        FileStamp stamp;
        uint32_t crc = 0;
        // Modified within a tick of the read: a rewrite could keep the stamp.
        bool sameTick = false;
    };
    struct ChainLook;
    using Imported = std::map<std::pair<int, std::string>, std::vector<uint32_t>>;

    // A round without the write: the chains found, the changed ones read and
    // handed to `take`; `imported` gets the CRC-32s of those that went in or
    // read as they are.
    RoundOutcome readChains(const VK7Q_HEADER& header, TextureReport& warnings, const Take& take,
                            std::vector<Chain>& chains, Imported& imported);
    bool findChains(const VK7Q_HEADER& header, std::vector<Chain>& chains, RoundOutcome& outcome);
    void findChainsByName(const VK7Q_HEADER& header, std::vector<Chain>& chains, RoundOutcome& outcome);
    TextureLine importChain(const VK7Q_HEADER& header, const Chain& chain, TextureReport& warnings, const Take& take,
                            std::vector<uint32_t>& crcs, std::map<std::string, CrcMemo>& seen);
    bool chainCrcs(const std::string& first, bool firstFromRead, std::vector<uint32_t>& crcs,
                   std::map<std::string, CrcMemo>& seen, std::string& unreadable);
    bool firstCrcFromRead(const Chain& chain, const FileStamp& first) const;
    // What a read of a changed chain came to: where the first file's CRC-32
    // was left to it, the chain may read as it was known after all (the read
    // is dropped, its warnings unsaid), or read again with its stale levels.
    enum class ReadVerdict { read, unchanged, failed };
    ReadVerdict readChain(const VK7Q_HEADER& header, const Chain& chain, ChainLook& read, TextureReport& warnings,
                          TextureLine& line);
    // The first file's CRC-32 from the bytes the read decoded (read for it
    // where the read gave none), remembered with its stamp.
    bool takeFirstCrc(const Chain& chain, ChainLook& read, int64_t readAt);
    TextureLine takeChain(const VK7Q_HEADER& header, const Chain& chain, ChainLook& read, TextureLine line,
                          const Take& take);
    bool writeScene(const std::vector<Chain>& chains, RoundOutcome& outcome);

    std::string scene_;
    std::string sceneFile_;   // scene_ with the extension the scene object adds
    std::string outputFile_;  // likewise for options_.output
    std::string dir_;
    ImportOptions options_;
    CVK7QScene loaded_;
    bool usesManifest_ = false;
    // The CRC-32s last imported, by texture index and first file.
    Imported imported_;
    // Textures replaced in memory that no write has put on disk yet.
    std::set<int> unwritten_;
    // Each file's CRC-32 with the stamp it had, so that an untouched file is
    // not read again the next round.
    std::map<std::string, CrcMemo> crcMemo_;
    // When the manifest was last modified; 0 without one.
    int64_t manifestModified_ = 0;
};

// One look at the chains of `dir` against `scene`, which is held elsewhere
// and not changed here: the chains found as a round finds them, the changed
// ones (every one with options.all) read in their texture's format, and each
// replacement handed to `take` as it is read; nothing is written. The
// editor's import, which puts them in as one step the user can take back.
RoundOutcome ReadChangedChains(const VK7Q_HEADER& scene, const std::string& dir, const ImportOptions& options,
                               TextureReport& warnings, const TexturePack::Take& take);
