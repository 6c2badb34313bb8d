#include "texturepack/ChainRead.h"

#include "texture/T3DTexture.h"

#include <algorithm>

namespace {

// Each flag bit under the words of its box in the window.
struct FlagWords {
    uint32_t flag;
    const char* words;
};
constexpr FlagWords kFlagWords[] = {
    {kFlagMipmapLevels, "Mipmap levels"},
    {kFlagAlphaLevel, "Alpha level"},
    {kFlagDetailSecondPass, "Detail second pass"},
    {kFlagForce32Bit, "Force 32 bit"},
    {kFlagEnvmap, "Envmap"},
    {kFlagClampedU, "Clamped for U"},
    {kFlagClampedV, "Clamped for V"},
    {kFlagNoZBuffer, "No Z-Buffer"},
};

// The stale levels whose files the reader reads for level 0 of the record's
// size.
std::vector<int> StaleLevelsRead(const std::vector<LevelFileTime>& files, const T3D_TEXTURE& record)
{
    std::vector<int> read;
    for (const int level : StaleLevels(files))
        if (ReadsLevelFile(record.width, record.height, level))
            read.push_back(level);
    return read;
}

}  // namespace

bool ReadChainLevels(const std::string& path, TextureReadOptions options, StaleLevelChoice choice,
                     TextureRecord& holder, TextureReport& report, ChainLevels* levels, int rebuildFrom)
{
    ChainLevels found;
    found.files = LevelFileTimes(path);
    const std::vector<int> stale = StaleLevels(found.files);
    int firstUnused = choice == StaleLevelChoice::files ? 0 : rebuildFrom;
    if (choice == StaleLevelChoice::rebuild && !stale.empty())
        firstUnused = firstUnused > 0 ? std::min(firstUnused, stale.front()) : stale.front();
    if (firstUnused > 0)
        options.fileLevels = std::min(options.fileLevels, firstUnused);

    if (!ReadTextureChain(path, holder, report, options))
        return false;
    const T3D_TEXTURE& record = holder.record();
    for (int level = options.fileLevels; level < int(found.files.size()); ++level)
        if (ReadsLevelFile(record.width, record.height, level))
            found.rebuilt.push_back(level);
    if (choice == StaleLevelChoice::warn) {
        std::vector<int> used;
        for (const int level : StaleLevelsRead(found.files, record))
            if (level < options.fileLevels)
                used.push_back(level);
        if (!used.empty()) {
            Report(report, Severity::Warning, TextureCause::StaleLevels, path,
                   {"", 0, 0, LevelFileList(found.files, used)});
        }
    }
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

std::string ChooseFlags(const T3D_TEXTURE& current, T3D_TEXTURE& replacement, bool fromName)
{
    const std::string change = FlagChangeText(current.flags & kChosenFlags, replacement.flags & kChosenFlags);
    if (!fromName)
        replacement.flags = (current.flags & kChosenFlags) | (replacement.flags & ~kChosenFlags);
    return change;
}

std::string FlagChangeText(uint32_t from, uint32_t to)
{
    std::string text;
    for (const FlagWords& flag : kFlagWords) {
        if ((from & flag.flag) == (to & flag.flag))
            continue;
        text += text.empty() ? "" : ", ";
        text += (to & flag.flag) ? "+ " : "- ";
        text += flag.words;
    }
    return text;
}
