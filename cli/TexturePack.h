// A folder of texture chains going into a scene: what import does once and
// watch does every round.
//
// The folder's chains are found through its manifest (cli/Manifest.h), or,
// without one, by the names extract-all gives the scene's textures (a
// texture with both a .tga and a .png chain, and a texture file that names
// no texture, are listed and left alone). A chain has changed when a file the
// reader would read differs from the CRC-32 last known for it (the
// manifest's at first, then the one last imported), a level file gone or
// come included. A changed chain is read in the scene texture's format and
// takes its name and, unless asked otherwise, its flags. Where the first file
// changed and a level file still matches its known CRC, that level is stale
// and it and the levels below are made from the one above (unless --levels
// files). A texture that then reads exactly as the scene holds it is
// unchanged. The scene is written once at the end of a round, atomically,
// and only when every chain read (or --skip-failed).
#pragma once

#include "cli/ChainRead.h"
#include "cli/CommandLine.h"
#include "cli/Manifest.h"
#include "scene/CVK7QScene.h"

#include <cstdint>
#include <iosfwd>
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
};

// The options import and watch share. False, with `error` set, for a value
// that is not one of the option's.
bool ParseImportOptions(const CommandArguments& args, ImportOptions& options, std::string& error);

// What became of one texture (or one file that names none) in a round.
struct TextureLine {
    enum Kind { replaced, unchanged, missing, failed, ambiguous, unmatched };
    Kind kind = unchanged;
    int index = -1;     // -1 for a file that names no texture
    std::string name;   // the texture's name, or the unmatched file's
    std::string words;  // what follows the kind: what changed, why it failed, ...
};

// "replaced: 64 x 64 -> 128 x 128", "failed: a.png is truncated", ...
std::string KindWords(const TextureLine& line);

struct RoundOutcome {
    std::vector<TextureLine> lines;
    int replaced = 0;
    int failed = 0;
    bool wrote = false;
    bool sceneFailed = false;  // the folder or the scene could not be read, or the scene not written
    std::string problemFile;   // then the file it is about
    std::string problem;       // and what is wrong with it
};

// A file as the system last described it: a change to any of these is a
// change to the file.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t modified = 0, changed = 0;  // nanoseconds
    bool exists = false;

    bool operator==(const FileStamp& other) const;
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};
FileStamp StampOf(const std::string& path);

class TexturePack {
public:
    TexturePack(std::string scene, std::string dir, ImportOptions options);

    // Loads the scene and forgets what was imported before: the next round
    // compares the chains with the manifest again. False, with a stderr line,
    // when it cannot be loaded.
    bool load(std::ostream& err);
    // Whether another program changed the scene file since it was loaded or
    // written here.
    bool sceneChangedOnDisk() const;

    // One round: finds the chains, imports the changed ones, and writes the
    // scene when something changed and nothing failed (or --skip-failed).
    // Warnings go to `err` as they come.
    RoundOutcome round(std::ostream& err);

    const std::string& sceneFile() const { return sceneFile_; }
    const std::string& outputFile() const { return outputFile_; }
    const std::string& dir() const { return dir_; }
    const ImportOptions& options() const { return options_; }
    bool usesManifest() const { return usesManifest_; }

private:
    struct Chain;
    struct CrcMemo {
        FileStamp stamp;
        uint32_t crc = 0;
    };

    bool findChains(std::vector<Chain>& chains, RoundOutcome& outcome);
    void findChainsByName(std::vector<Chain>& chains, RoundOutcome& outcome);
    TextureLine importChain(const Chain& chain, std::ostream& err, std::vector<uint32_t>& crcs,
                            std::map<std::string, CrcMemo>& seen);
    bool chainCrcs(const std::string& first, std::vector<uint32_t>& crcs, std::map<std::string, CrcMemo>& seen,
                   std::string& unreadable);
    bool writeScene(const std::vector<Chain>& chains, RoundOutcome& outcome);

    std::string scene_;
    std::string sceneFile_;   // scene_ with the extension the scene object adds
    std::string outputFile_;  // likewise for options_.output
    std::string dir_;
    ImportOptions options_;
    CVK7QScene loaded_;
    FileStamp sceneStamp_;
    bool usesManifest_ = false;
    // The CRC-32s last imported, by texture index and first file.
    std::map<std::pair<int, std::string>, std::vector<uint32_t>> imported_;
    // Textures replaced in memory that no write has put on disk yet.
    std::set<int> unwritten_;
    // Each file's CRC-32 with the stamp it had, so that an untouched file is
    // not read again the next round.
    std::map<std::string, CrcMemo> crcMemo_;
};
