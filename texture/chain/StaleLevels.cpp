#include "texture/chain/StaleLevels.h"

#include "texture/T3DTexture.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/dds/DdsFormat.h"
#include "texture/io/FileRead.h"
#include "texture/io/LittleEndian.h"
#include "texture/png/PngDecoder.h"

#include <sys/stat.h>

namespace {

// Chain files are read while a level's larger side is at least this long;
// smaller levels are always generated.
constexpr unsigned kSmallestReadSide = 16;

// A PNG's width and height stand big-endian after its signature and the
// IHDR chunk's length and type; a TGA's little-endian at 12 and 14; a DDS's
// height then width in its header after the magic.
constexpr size_t kPngSizeAt = 16;
constexpr size_t kTgaSizeAt = 12;
constexpr size_t kDdsSizeAt = kDdsMagicSize + kDdsOffsetHeight;
constexpr size_t kHeadBytes = 24;

uint32_t BigEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

std::string FileName(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Calls `visit` with each level's file name of the chain at `first` by the
// naming rule, up to kMaxTextureLevels, and its status (nullptr when it is no
// regular file there), until `visit` returns false. A one-file chain's file
// is its only one.
template <typename Visit>
void ForEachLevelFile(const std::string& first, Visit visit)
{
    const bool oneFile = IsOneFileChain(first);
    std::string current = first;
    for (int level = 0; !current.empty() && level < kMaxTextureLevels; ++level) {
        struct stat info;
        const bool there = ::stat(current.c_str(), &info) == 0 && S_ISREG(info.st_mode);
        if (!visit(current, there ? &info : nullptr))
            return;
        std::string next;
        NextMipLevelName(current, next);
        current = oneFile ? std::string() : next;
    }
}

}  // namespace

bool ReadsLevelFile(unsigned width, unsigned height, int level)
{
    if (level == 0)
        return true;
    if (level >= kMaxTextureLevels)
        return false;
    const unsigned levelWidth = width >> level, levelHeight = height >> level;
    return (levelWidth >= kSmallestReadSide || levelHeight >= kSmallestReadSide) && levelWidth > 0 && levelHeight > 0;
}

bool LevelZeroSize(const std::string& first, unsigned& width, unsigned& height)
{
    InputFile file;
    uint8_t head[kHeadBytes];
    if (file.open(first) != FileReadStatus::Ok || file.size() < kHeadBytes ||
        file.readAt(0, head, kHeadBytes) != FileReadStatus::Ok)
        return false;
    if (IsPngSignature(head, kHeadBytes)) {
        width = BigEndian32(head + kPngSizeAt);
        height = BigEndian32(head + kPngSizeAt + 4);
    } else if (GetU32(head) == kDdsMagic) {
        height = GetU32(head + kDdsSizeAt);
        width = GetU32(head + kDdsSizeAt + 4);
    } else {
        width = GetU16(head + kTgaSizeAt);
        height = GetU16(head + kTgaSizeAt + 2);
    }
    return true;
}

std::vector<LevelFileTime> LevelFileTimes(const std::string& first)
{
    std::vector<LevelFileTime> files;
    ForEachLevelFile(first, [&files](const std::string& name, const struct stat* info) {
        if (info)
            files.push_back({name, int64_t(info->st_mtim.tv_sec) * 1'000'000'000 + info->st_mtim.tv_nsec, info->st_dev,
                             info->st_ino});
        return info != nullptr;
    });
    return files;
}

std::vector<int> StaleLevels(const std::vector<LevelFileTime>& files)
{
    std::vector<int> stale;
    for (size_t level = 1; level < files.size(); ++level)
        if (files[0].modified - files[level].modified > kStaleLevelMargin)
            stale.push_back(int(level));
    return stale;
}

std::vector<int> StaleLevelsRead(const std::vector<LevelFileTime>& files, unsigned width, unsigned height)
{
    std::vector<int> read;
    for (const int level : StaleLevels(files))
        if (ReadsLevelFile(width, height, level))
            read.push_back(level);
    return read;
}

std::vector<int> NewerLevelsNotRead(const std::vector<LevelFileTime>& files, unsigned width, unsigned height)
{
    std::vector<int> newer;
    for (size_t level = 1; level < files.size(); ++level)
        if (!ReadsLevelFile(width, height, int(level)) && files[level].modified - files[0].modified > kStaleLevelMargin)
            newer.push_back(int(level));
    return newer;
}

LevelsPastGap LevelFilesPastGap(const std::string& first)
{
    LevelsPastGap past;
    bool gap = false;
    ForEachLevelFile(first, [&past, &gap](const std::string& name, const struct stat* info) {
        if (info && gap)
            past.levels.push_back(int(past.names.size()));
        gap = gap || !info;
        past.names.push_back({name, 0});
        return true;
    });
    return past;
}

void ReportUnreadLevels(TextureReport& report, const std::string& first, const std::vector<LevelFileTime>& files,
                        const std::vector<int>& unread)
{
    if (!unread.empty())
        Report(report, Severity::Warning,
               unread.size() == 1 ? TextureCause::SmallLevelUnread : TextureCause::SmallLevelsUnread, first,
               {"", 0, 0, LevelFileList(files, unread)});
    const LevelsPastGap past = LevelFilesPastGap(first);
    if (!past.levels.empty())
        Report(report, Severity::Warning,
               past.levels.size() == 1 ? TextureCause::LevelPastGapUnread : TextureCause::LevelsPastGapUnread, first,
               {"", 0, 0, LevelFileList(past.names, past.levels)});
}

std::string LevelFileList(const std::vector<LevelFileTime>& files, const std::vector<int>& levels)
{
    const auto name = [&](size_t i) { return FileName(files[size_t(levels[i])].path); };
    const size_t n = levels.size();
    if (n == 0)
        return {};
    if (n >= 3 && levels.back() - levels.front() == int(n) - 1)
        return name(0) + " ... " + name(n - 1);
    std::string list = name(0);
    for (size_t i = 1; i < n; ++i)
        list += (i + 1 == n ? " and " : ", ") + name(i);
    return list;
}
