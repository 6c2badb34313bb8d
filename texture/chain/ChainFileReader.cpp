#include "texture/chain/ChainFileReader.h"

#include "texture/chain/FileKind.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/chain/StaleLevels.h"
#include "texture/convert/DepthConversion.h"
#include "texture/png/PngDecoder.h"

#include <algorithm>
#include <cstring>

namespace {

void CopyName(const std::string& path, char* name)
{
    const size_t n = std::min(path.size(), size_t(kTextureNameSize - 1));
    std::memcpy(name, path.data(), n);
    name[n] = '\0';
}

bool StartsAsPng(const InputFile& file)
{
    uint8_t signature[kPngSignatureSize];
    return file.size() >= kPngSignatureSize && file.readAt(0, signature, sizeof signature) == FileReadStatus::Ok &&
           IsPngSignature(signature, sizeof signature);
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

void ChainFileReader::readOtherKindWith(ReaderMaker make)
{
    other_ = make(otherLevel_, laterLevelReport_);
}

void ChainFileReader::AsWarnings::report(const TextureProblem& problem)
{
    TextureProblem warning = problem;
    warning.severity = Severity::Warning;
    report_.report(warning);
}

LevelResult ChainFileReader::fail(TextureCause cause, const std::string& path, const std::string& words,
                                  unsigned number)
{
    Report(report_, level_ == 0 ? Severity::Error : Severity::Warning, cause, path, {kind_, number, 0, words});
    return level_ == 0 ? LevelResult::Failed : LevelResult::Missing;
}

LevelResult ChainFileReader::refuseContent(const InputFile& file, TextureCause cause, const std::string& path)
{
    switch (cause) {
    case TextureCause::UnsupportedSize:
    case TextureCause::ShortOfPixels:
    case TextureCause::Truncated:
    case TextureCause::Damaged:
    case TextureCause::TgaImageType:
    case TextureCause::TgaReservedColourMapType:
    case TextureCause::TgaPixelDepth:
    case TextureCause::TgaGreyDepth:
    case TextureCause::TgaIndexDepth:
    case TextureCause::TgaEmptyColourMap:
    case TextureCause::TgaColourMapEntrySize:
        break;
    default:  // not about what the file holds
        return failUnlessChanged(file, cause, path);
    }
    uint8_t head[kFileKindBytes];
    const size_t size = size_t(std::min<uint64_t>(file.size(), sizeof head));
    const bool headRead = file.readAt(0, head, size) == FileReadStatus::Ok;
    if (!file.unchanged())
        return LevelResult::Changed;
    TextureCause kindCause;
    const char* words = "";
    if (headRead && CauseOfKind(KindOfFile(head, size, file.size()), kindCause, words))
        return fail(kindCause, path, words);
    return fail(cause, path);
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
    if (level > 0 && other_ && StartsAsPng(file) != readsPng())
        return readOtherKind(file, path, level);
    return readFile(file, path, level);
}

// The other kind's reader reads the file as its level 0, its refusals coming
// as warnings; the level it makes, expanded to RGBA, goes into this chain's
// format.
LevelResult ChainFileReader::readOtherKind(const InputFile& file, const std::string& path, int level)
{
    otherLevel_.clear();
    const LevelResult result = other_->readFile(file, path, 0);
    if (result != LevelResult::Read)
        return result == LevelResult::Changed ? result : LevelResult::Missing;
    T3D_TEXTURE& read = otherLevel_.record();
    read.levelCount = 1;
    if (read.width != LevelWidth(holder_.record(), level) || read.height != LevelHeight(holder_.record(), level)) {
        other_->fail(TextureCause::LevelMismatch, path);  // as a warning, in the file's own kind
        return LevelResult::Missing;
    }
    Report(report_, Severity::Warning, TextureCause::OtherKindLevel, path, {other_->kind_, 0, 0, kind_});
    if (!ExpandToRgbaChain(otherLevel_))
        return fail(TextureCause::OutOfMemory, path);
    return takeOtherKind(otherLevel_, path, level);
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
