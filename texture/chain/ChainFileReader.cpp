#include "texture/chain/ChainFileReader.h"

#include "texture/chain/MipChainNaming.h"
#include "texture/chain/StaleLevels.h"

#include <algorithm>
#include <cstring>

namespace {

void CopyName(const std::string& path, char* name)
{
    const size_t n = std::min(path.size(), size_t(kTextureNameSize - 1));
    std::memcpy(name, path.data(), n);
    name[n] = '\0';
}

}  // namespace

int ChainFileReader::readChain(const std::string& first, int fileLevels)
{
    holder_.clear();
    T3D_TEXTURE& record = holder_.record();
    int levelsRead = 0;
    std::string current = first;
    while (!current.empty() && levelsRead < std::max(fileLevels, 1) &&
           ReadsLevelFile(record.width, record.height, levelsRead)) {
        std::string next;
        const uint32_t flags = NextMipLevelName(current, next);
        if (readLevel(current, levelsRead) != LevelResult::Read)
            break;
        record.flags = flags | (levelsRead > 0 ? uint32_t(kFlagMipmapLevels) : 0u);
        record.levelCount = uint16_t(++levelsRead);
        current = next;
    }
    if (levelsRead == 0)
        holder_.clear();  // a failed level 0 may have set the size, depth or palette
    CopyName(first, record.name);
    return levelsRead;
}

LevelResult ChainFileReader::fail(TextureCause cause, const std::string& path, const std::string& words)
{
    Report(report_, level_ == 0 ? Severity::Error : Severity::Warning, cause, path, {kind_, 0, 0, words});
    return level_ == 0 ? LevelResult::Failed : LevelResult::Missing;
}

bool ChainFileReader::fitsLevel(unsigned width, unsigned height, unsigned depth, int level) const
{
    const T3D_TEXTURE& record = holder_.record();
    return width == LevelWidth(record, level) && height == LevelHeight(record, level) && depth == record.depth;
}

LevelResult ChainFileReader::readLevel(const std::string& path, int level)
{
    level_ = level;
    const LevelResult result = readLevelOnce(path, level);
    if (result != LevelResult::Changed)
        return result;
    if (const LevelResult again = readLevelOnce(path, level); again != LevelResult::Changed)
        return again;
    return fail(TextureCause::ChangedWhileRead, path);
}

LevelResult ChainFileReader::readLevelOnce(const std::string& path, int level)
{
    InputFile file;
    if (const FileReadStatus status = file.open(path); status != FileReadStatus::Ok)
        return refuseOpen(status, path, level);
    return readFile(file, path, level);
}

// A file that cannot be opened: level 0 fails; a later level that is missing
// ends the chain quietly, one that is there but cannot be read ends it with a
// warning, and generation fills the rest either way.
LevelResult ChainFileReader::refuseOpen(FileReadStatus status, const std::string& path, int level)
{
    if (status == FileReadStatus::NotFound && level > 0)
        return LevelResult::Missing;
    return fail(CauseOf(status), path);
}
