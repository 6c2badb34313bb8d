// How a chain is read to go into a scene: the reader's options, what to do
// with level files older than the chain's first file (quorrel-cli's
// --levels), and whose flags a replacement keeps (--flags-from-name).
#pragma once

#include "texture/TextureFlags.h"
#include "texture/chain/StaleLevels.h"
#include "texture/chain/TextureFileReader.h"

#include <cstdint>
#include <string>
#include <vector>

// What a read did with the chain's level files.
struct ChainLevels {
    std::vector<LevelFileTime> files;  // the chain's files, as found before the read
    std::vector<int> rebuilt;          // levels whose file was not used: made from the one above
    std::vector<FileStamp> read;       // each file whose level was read, with the CRC-32 of the bytes decoded
};

// Reads the chain that starts at `path` into `holder`, through `report`
// (errors and warnings alike), with the stale level files as `choice` says.
// `rebuildFrom`, when above 0, is a level from which files are not used
// whatever the choice (unless it is files): levels a caller knows to be
// stale. Without a choice the files are used, and one warning names the
// stale ones and the option. Level files never read are named in warnings
// (ReportUnreadLevels): those under 16 pixels in `painted` (levels a caller
// knows were painted), or without it those newer than the first file, and
// those past a gap. True when the chain was read without an error.
bool ReadChainLevels(const std::string& path, TextureReadOptions options, StaleLevelChoice choice,
                     TextureRecord& holder, TextureReport& report, ChainLevels* levels = nullptr, int rebuildFrom = 0,
                     const std::vector<int>* painted = nullptr);

// ChainLevels::rebuilt in words: "level 3 made from the one above", "levels
// 1 and 2 ...", "levels 2 to 7 made from the ones above"; empty when none
// was.
std::string RebuiltLevelsText(const ChainLevels& levels);
