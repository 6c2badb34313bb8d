// Smaller levels older than the picture. An artist who paints only a chain's
// first file (crate_A.png) leaves its level files (crate_A1.png ...) as they
// were; read as they are, they put the old picture back at a distance. A
// level file that the reader would read is stale when it was last modified
// more than kStaleLevelMargin before the chain's first file: the margin is
// wider than the coarsest time step of a common file system (FAT's 2 s), so
// files saved together are never taken for stale.
//
// This only finds them; what to do is the caller's choice: use the files, or
// read the chain with TextureReadOptions::fileLevels set to the first stale
// level, so that it and every level below are made from the one above.
#pragma once

#include "texture/TextureReport.h"

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

// What a read does with stale level files: uses them with a warning, uses
// them as they are (files), or makes them from the level above (rebuild).
enum class StaleLevelChoice { warn, files, rebuild };

constexpr int64_t kStaleLevelMargin = 2'000'000'000;  // nanoseconds

struct LevelFileTime {
    std::string path;
    int64_t modified = 0;  // modification time, nanoseconds since the epoch
    dev_t device = 0;      // the file itself, links followed
    ino_t inode = 0;
};

// Whether the reader reads the file of `level` for a chain whose level 0 is
// width x height: level 0 always; a later one while the levels array has room
// and the level is at least 16 on its larger side and not empty on either.
bool ReadsLevelFile(unsigned width, unsigned height, int level);

// The size of level 0 as the chain's first file gives it in its header (PNG,
// DDS or TGA, told by the signature), without reading its pixels; false when the
// file can't be read or is too short to say.
bool LevelZeroSize(const std::string& first, unsigned& width, unsigned& height);

// The chain's files from `first` on by the naming rule, with their
// modification times, up to the first one missing (the reader stops there
// too) and at most kMaxTextureLevels; a one-file chain's file alone. Empty
// when `first` is missing.
std::vector<LevelFileTime> LevelFileTimes(const std::string& first);

// The levels (indices into `files`, level 0 at files[0]) whose file is stale
// against files[0], in order; empty when none is.
std::vector<int> StaleLevels(const std::vector<LevelFileTime>& files);

// The stale levels whose files the reader reads for a chain whose level 0 is
// width x height (ReadsLevelFile), in order.
std::vector<int> StaleLevelsRead(const std::vector<LevelFileTime>& files, unsigned width, unsigned height);

// Level files that are never read though someone may have painted them. The
// reader reads no level under 16 pixels (it makes them from the one above)
// and stops at the first level file missing; a person who paints
// crate_A3.png, or tiles_F2.png past a missing tiles_F1.png, is told.

// The levels among `files` (level 0 at files[0]) whose file the reader does
// not read for a chain whose level 0 is width x height, newer than files[0]
// by more than kStaleLevelMargin.
std::vector<int> NewerLevelsNotRead(const std::vector<LevelFileTime>& files, unsigned width, unsigned height);

// Every level's file name of the chain at `first` by the naming rule, up to
// kMaxTextureLevels, and the levels past the first missing file whose file
// is there.
struct LevelsPastGap {
    std::vector<LevelFileTime> names;
    std::vector<int> levels;
};
LevelsPastGap LevelFilesPastGap(const std::string& first);

// Warns about `first`'s chain: the level files of `unread` (levels under 16
// pixels of `files` that were painted, as the caller judges), then those
// past a gap (LevelFilesPastGap), one warning each, naming them.
void ReportUnreadLevels(TextureReport& report, const std::string& first, const std::vector<LevelFileTime>& files,
                        const std::vector<int>& unread);

// The names of the files (folders left out) as a person reads them: "a",
// "a and b", or a run of three or more consecutive levels as its ends,
// "crate_A1.png ... crate_A4.png"; others as "a, b and c".
std::string LevelFileList(const std::vector<LevelFileTime>& files, const std::vector<int>& levels);
