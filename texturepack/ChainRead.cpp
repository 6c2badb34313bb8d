#include "texturepack/ChainRead.h"

#include "texture/T3DTexture.h"

#include <algorithm>

bool ReadChainLevels(const std::string& path, TextureReadOptions options, StaleLevelChoice choice,
                     TextureRecord& holder, TextureReport& report, ChainLevels* levels, int rebuildFrom,
                     const std::vector<int>* painted)
{
    ChainLevels found;
    found.files = LevelFileTimes(path);
    const std::vector<int> stale = StaleLevels(found.files);
    int firstUnused = choice == StaleLevelChoice::files ? 0 : rebuildFrom;
    if (choice == StaleLevelChoice::rebuild && !stale.empty())
        firstUnused = firstUnused > 0 ? std::min(firstUnused, stale.front()) : stale.front();
    if (firstUnused > 0)
        options.fileLevels = std::min(options.fileLevels, firstUnused);
    // The files past the first one missing were just looked for: the reader
    // need not look again. Level 0 is always asked for, to say why it is not
    // there. A one-file chain's levels are all in its one file.
    if (!IsOneFileChain(path))
        options.fileLevels = std::min(options.fileLevels, std::max(1, int(found.files.size())));

    if (!ReadTextureChain(path, holder, report, options, &found.read))
        return false;
    const T3D_TEXTURE& record = holder.record();
    for (int level = options.fileLevels; level < int(found.files.size()); ++level)
        if (ReadsLevelFile(record.width, record.height, level))
            found.rebuilt.push_back(level);
    if (choice == StaleLevelChoice::warn) {
        std::vector<int> used;
        for (const int level : StaleLevelsRead(found.files, record.width, record.height))
            if (level < options.fileLevels)
                used.push_back(level);
        if (!used.empty()) {
            Report(report, Severity::Warning, TextureCause::StaleLevels, path,
                   {"", 0, 0, LevelFileList(found.files, used)});
        }
    }
    ReportUnreadLevels(report, path, found.files,
                       painted ? *painted : NewerLevelsNotRead(found.files, record.width, record.height));
    if (levels)
        *levels = std::move(found);
    return true;
}

std::string RebuiltLevelsText(const ChainLevels& levels)
{
    const std::vector<int>& rebuilt = levels.rebuilt;
    if (rebuilt.empty())
        return {};
    if (rebuilt.size() == 1)
        return "level " + std::to_string(rebuilt[0]) + " made from the one above";
    return "levels " + std::to_string(rebuilt.front()) + (rebuilt.size() == 2 ? " and " : " to ") +
           std::to_string(rebuilt.back()) + " made from the ones above";
}
