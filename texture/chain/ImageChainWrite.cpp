#include "texture/chain/ImageChainWrite.h"

#include "texture/T3DTexture.h"
#include "texture/TextureMessages.h"
#include "texture/chain/MipChainNaming.h"

#include <algorithm>
#include <vector>

namespace {

std::string FileText(const ImageFileKind& kind, const std::string& path)
{
    return std::string(kind.name) + " file " + path;
}

TextureCause CauseOf(FileWriteStatus status)
{
    switch (status) {
    case FileWriteStatus::PermissionDenied:
        return TextureCause::PermissionDenied;
    case FileWriteStatus::NotRegularFile:
    case FileWriteStatus::TerminalOutput:
        return TextureCause::NotRegularFile;
    case FileWriteStatus::InDeviceFolder:
        return TextureCause::PermissionDenied;
    default:
        return TextureCause::WriteFailed;
    }
}

void ReportCantWrite(TextureReport& report, const ImageFileKind& kind, const std::string& path, FileWriteStatus status)
{
    const std::string why = status == FileWriteStatus::WriteFailed ? "" : std::string(": ") + FileWriteProblem(status);
    report.report({Severity::Error, CauseOf(status), path, "could not be written" + why,
                   "Can't write " + FileText(kind, path) + why});
}

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
    std::vector<std::string> files;
    PlanChainNames(path, written, files);  // named once already
    const std::string detail = "is the last mip level written: levels " + std::to_string(written) + " to " +
                               std::to_string(levels - 1) + " have no pixels";
    report.report({Severity::Warning, TextureCause::ShortChain, files.back(), detail,
                   FileText(kind, files.back()) + " " + detail});
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
        report.report({Severity::Error, TextureCause::UnsupportedKind, path,
                       "could not be written: the texture has no pixels or a depth that is not written",
                       "Can't write this texture to " + FileText(kind, path)});
        return false;
    }
    if (!WriteImageChain(path, withPixels, kind, options, report, encode))
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
        report.report(MakeProblem(Severity::Error, kChainToStream, path, unsigned(levels)));
        return false;
    }
    std::vector<std::string> names;
    const ChainNaming naming = PlanChainNames(path, levels, names);
    if (naming != ChainNaming::Ok) {
        const std::string why = ChainNamingProblem(naming);
        const std::string working = NameInFolder(WorkingChainName(path, levels, kind.extension));
        report.report({Severity::Error, TextureCause::Naming, path,
                       "its " + std::to_string(levels) + " mip levels can't all be named: " + why +
                           "; a name that works: " + working,
                       "Can't name all " + std::to_string(levels) + " mip levels after " + FileText(kind, path) + ": " +
                           why + ". A name that works: " + working});
        return false;
    }

    for (size_t level = 1; streams && level < names.size(); ++level) {
        if (IsStreamTarget(names[level])) {
            report.report(MakeProblem(Severity::Error, kChainToStream, names[level], unsigned(levels)));
            return false;
        }
    }

    if (options.clearStaleTemporaries && !(streams && IsStreamTarget(path)))
        RemoveStaleTemporaries(FolderOfPath(path));
    std::vector<OutputFile> files(names.size());
    for (size_t level = 0; level < names.size(); ++level) {
        FileWriteStatus status = files[level].create(names[level], options.inputs, true, options.streams);
        if (status == FileWriteStatus::Ok && !encode(int(level), files[level]))
            status = FileWriteStatus::WriteFailed;
        if (status == FileWriteStatus::Ok)
            status = files[level].finish(options.flushEachFile);
        if (status != FileWriteStatus::Ok) {
            ReportCantWrite(report, kind, names[level], status);
            return false;
        }
    }
    for (OutputFile& file : files) {
        const FileWriteStatus status = file.commit();
        if (status != FileWriteStatus::Ok) {
            ReportCantWrite(report, kind, file.target(), status);
            return false;
        }
    }
    return true;
}

void AddChainFiles(InputFiles& inputs, const std::string& first)
{
    std::vector<std::string> files;
    PlanChainNames(first, kMaxTextureLevels, files);
    for (const std::string& file : files)
        inputs.add(file);
}
