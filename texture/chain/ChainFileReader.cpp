#include "texture/chain/ChainFileReader.h"

#include "texture/chain/ChainFormats.h"
#include "texture/chain/FileKind.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/chain/StaleLevels.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/convert/DepthConversion.h"

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

// Walks a chain: opens each file once, has the reader of its format decode
// it, and keeps its stamp.
class ChainWalk {
public:
    ChainWalk(TextureRecord& holder, TextureReport& report, PngChainPalette* palette, std::vector<FileStamp>* stamps,
              const ChainFormat* format)
        : holder_(holder), report_(report), palette_(palette), stamps_(stamps), format_(format)
    {
    }

    const ChainFormat* read(const std::string& first, int fileLevels);

private:
    ChainFileReader* chainReader(const ChainFormat& format, const std::string& path);
    LevelResult readLevel(const std::string& path, int level);
    LevelResult readLevelOnce(const std::string& path, int level);
    LevelResult readOtherKind(const ChainFormat& format, const InputFile& file, const std::string& path, int level);
    LevelResult refuseOpen(FileReadStatus status, const std::string& path, int level);

    TextureRecord& holder_;
    TextureReport& report_;
    PngChainPalette* palette_;
    std::vector<FileStamp>* stamps_;
    const ChainFormat* format_;  // level 0's, when asked for
    int fileLevels_ = kMaxTextureLevels;
    // The chain's format, level 0's, and its reader.
    const ChainFormat* chainFormat_ = nullptr;
    std::unique_ptr<ChainFileReader> chain_;
    // A file of another format is read as its own reader's level 0, its
    // refusals coming as warnings.
    TextureRecord otherLevel_;
    ChainFileReader::AsWarnings laterLevelReport_{report_};
};

const ChainFormat* ChainWalk::read(const std::string& first, int fileLevels)
{
    fileLevels_ = std::max(fileLevels, 1);
    holder_.clear();
    if (stamps_)
        stamps_->clear();
    T3D_TEXTURE& record = holder_.record();
    int levelsRead = 0;
    std::string current = first;
    while (!current.empty() && levelsRead < fileLevels_ && ReadsLevelFile(record.width, record.height, levelsRead)) {
        std::string next;
        const uint32_t flags = NextMipLevelName(current, next);
        if (readLevel(current, levelsRead) != LevelResult::Read)
            break;
        levelsRead += chain_->levelsHeld();
        record.flags = flags | (levelsRead > 1 ? uint32_t(kFlagMipmapLevels) : 0u);
        record.levelCount = uint16_t(levelsRead);
        current = chainFormat_->oneFile || IsOneFileChain(first) ? std::string() : next;
    }
    if (levelsRead == 0)
        holder_.clear();  // a failed level 0 may have set the size, depth or palette
    CopyName(first, record.name);
    return levelsRead > 0 ? chainFormat_ : nullptr;
}

// The reader of level 0's format, made once; nullptr (said) without memory.
ChainFileReader* ChainWalk::chainReader(const ChainFormat& format, const std::string& path)
{
    if (chainFormat_ != &format) {
        chain_ = format.make(holder_, report_, palette_);
        chainFormat_ = &format;
    }
    if (!chain_)
        Report(report_, Severity::Error, TextureCause::OutOfMemory, path, {format.kind});
    return chain_.get();
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

LevelResult ChainWalk::readLevel(const std::string& path, int level)
{
    const LevelResult result = readLevelOnce(path, level);
    if (result != LevelResult::Changed)
        return result;
    if (const LevelResult again = readLevelOnce(path, level); again != LevelResult::Changed)
        return again;
    return chain_->fail(TextureCause::ChangedWhileRead, path);
}

LevelResult ChainWalk::readLevelOnce(const std::string& path, int level)
{
    InputFile file;
    const FileReadStatus status = file.open(path);
    file.sumCrc();
    const ChainFormat* format = level == 0 ? format_ : nullptr;
    if (!format)
        format = status == FileReadStatus::Ok ? &FormatOfFile(file) : &FormatByName(path);
    if (level == 0 && !chainReader(*format, path))
        return LevelResult::Failed;
    chain_->level_ = level;
    chain_->fileLevels_ = fileLevels_;
    if (status != FileReadStatus::Ok)
        return refuseOpen(status, path, level);
    const LevelResult result = level > 0 && format != chainFormat_ ? readOtherKind(*format, file, path, level)
                                                                   : chain_->readFile(file, path, level);
    if (result == LevelResult::Read && stamps_)
        stamps_->push_back(file.stampWithCrc());
    return result;
}

// The other format's reader reads the file as its level 0, its refusals
// coming as warnings; the level it makes, expanded to RGBA, goes into the
// chain's format.
LevelResult ChainWalk::readOtherKind(const ChainFormat& format, const InputFile& file, const std::string& path,
                                     int level)
{
    otherLevel_.clear();
    const std::unique_ptr<ChainFileReader> other = format.make(otherLevel_, laterLevelReport_, nullptr);
    if (!other)
        return chain_->fail(TextureCause::OutOfMemory, path);
    other->fileLevels_ = 1;
    const LevelResult result = other->readFile(file, path, 0);
    if (result != LevelResult::Read)
        return result == LevelResult::Changed ? result : LevelResult::Missing;
    T3D_TEXTURE& read = otherLevel_.record();
    read.levelCount = 1;
    const T3D_TEXTURE& chain = holder_.record();
    if (read.width != LevelWidth(chain, level) || read.height != LevelHeight(chain, level)) {
        other->fail(TextureCause::LevelMismatch, path);  // as a warning, in the file's own kind
        return LevelResult::Missing;
    }
    Report(report_, Severity::Warning, TextureCause::OtherKindLevel, path, {format.kind, 0, 0, chainFormat_->kind});
    if (!ExpandToRgbaChain(otherLevel_))
        return chain_->fail(TextureCause::OutOfMemory, path);
    return chain_->takeOtherKind(otherLevel_, path, level);
}

// A file that cannot be opened: level 0 fails; a later level that is missing
// ends the chain quietly, one that is there but cannot be read ends it with a
// warning, and generation fills the rest either way.
LevelResult ChainWalk::refuseOpen(FileReadStatus status, const std::string& path, int level)
{
    if (status == FileReadStatus::NotFound && level > 0)
        return LevelResult::Missing;
    return chain_->fail(CauseOf(status), path);
}

const ChainFormat* WalkChain(const std::string& first, TextureRecord& holder, TextureReport& report, int fileLevels,
                             PngChainPalette* palette, std::vector<FileStamp>* stamps, const ChainFormat* format)
{
    ChainWalk walk(holder, report, palette, stamps, format);
    return walk.read(first, fileLevels);
}
