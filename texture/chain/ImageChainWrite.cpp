#include "texture/chain/ImageChainWrite.h"

#include "texture/T3DTexture.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/chain/TextureFileReader.h"

#include <algorithm>
#include <vector>

namespace {

bool IsWritable(const T3D_TEXTURE& record, int levels)
{
    if (BytesPerPixel(record.depth) == 0)
        return false;
    for (int level = 0; level < levels; ++level) {
        if (!record.levels[level])
            return false;
    }
    return true;
}

// Tells where the chain stops when levels past it have no pixels.
void ReportShortChain(TextureReport& report, const ImageFileKind& kind, const std::string& path, int written,
                      int levels)
{
    if (kind.oneFile) {
        Report(report, Severity::Warning, TextureCause::ShortOneFileChain, path,
               {kind.name, unsigned(written), unsigned(levels - 1)});
        return;
    }
    std::vector<std::string> files;
    PlanChainNames(path, written, files);  // named once already
    Report(report, Severity::Warning, TextureCause::ShortChain, files.back(),
           {kind.name, unsigned(written), unsigned(levels - 1)});
}

}  // namespace

bool WriteTextureChain(const std::string& path, const T3D_TEXTURE& record, const ImageFileKind& kind,
                       const ImageWriteOptions& options, TextureReport& report, const LevelEncoder& encode)
{
    const int levels = std::min<int>(record.levelCount, kMaxTextureLevels);
    if (levels == 0)
        return true;
    const int withPixels = LevelsWithPixels(record.width, record.height, levels);
    if (withPixels == 0 || !IsWritable(record, withPixels)) {
        Report(report, Severity::Error, TextureCause::NotWritable, path, {kind.name});
        return false;
    }
    if (!WriteImageChain(path, kind.oneFile ? 1 : withPixels, kind, options, report, encode))
        return false;
    if (withPixels < levels)
        ReportShortChain(report, kind, path, withPixels, levels);
    return true;
}

int LevelsWithPixels(unsigned width, unsigned height, int levels)
{
    int withPixels = 0;
    while (withPixels < levels && (width >> withPixels) > 0 && (height >> withPixels) > 0)
        ++withPixels;
    return withPixels;
}

bool WriteImageChain(const std::string& path, int levels, const ImageFileKind& kind, const ImageWriteOptions& options,
                     TextureReport& report, const LevelEncoder& encode)
{
    const bool streams = options.streams == StreamTargets::writtenThrough;
    if (streams && levels > 1 && IsStreamTarget(path)) {
        Report(report, Severity::Error, TextureCause::ChainToStream, path, {kind.name, unsigned(levels)});
        return false;
    }
    std::vector<std::string> names;
    const ChainNaming naming = PlanChainNames(path, levels, names);
    if (naming != ChainNaming::Ok) {
        Report(report, Severity::Error, NamingCause(naming), path,
               {kind.name, unsigned(levels), 0, NameInFolder(WorkingChainName(path, levels, kind.extension))});
        return false;
    }

    for (size_t level = 1; streams && level < names.size(); ++level) {
        if (IsStreamTarget(names[level])) {
            Report(report, Severity::Error, TextureCause::ChainToStream, names[level], {kind.name, unsigned(levels)});
            return false;
        }
    }

    if (options.clearStaleTemporaries && !(streams && IsStreamTarget(path)))
        RemoveStaleTemporaries(FolderOfPath(path));
    std::vector<OutputFile> files(names.size());
    for (size_t level = 0; level < names.size(); ++level) {
        FileWriteStatus status = files[level].create(names[level], options.inputs, true, options.streams);
        if (status == FileWriteStatus::Ok && !encode(int(level), files[level]))
            status = files[level].writeFailure();
        if (status == FileWriteStatus::Ok)
            status = files[level].finish(options.flushEachFile);
        if (status != FileWriteStatus::Ok) {
            Report(report, Severity::Error, CauseOf(status), names[level], {kind.name});
            return false;
        }
    }
    for (OutputFile& file : files) {
        const FileWriteStatus status = file.commit();
        if (status != FileWriteStatus::Ok) {
            Report(report, Severity::Error, CauseOf(status), file.target(), {kind.name});
            return false;
        }
    }
    return true;
}

void AddChainFiles(InputFiles& inputs, const std::string& first)
{
    std::vector<std::string> files;
    PlanChainNames(first, IsOneFileChain(first) ? 1 : kMaxTextureLevels, files);
    for (const std::string& file : files)
        inputs.add(file);
}
