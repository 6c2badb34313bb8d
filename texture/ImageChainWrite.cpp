#include "texture/ImageChainWrite.h"

#include "texture/MipChainNaming.h"
#include "texture/T3DTexture.h"

#include <vector>

namespace {

std::string FileText(const ImageFileKind& kind, const std::string& path)
{
    return std::string(kind.name) + " file " + path;
}

void ReportCantWrite(TextureReport& report, const ImageFileKind& kind, const std::string& path,
                     FileWriteStatus status)
{
    std::string text = "Can't write " + FileText(kind, path);
    if (status != FileWriteStatus::WriteFailed)
        text += std::string(": ") + FileWriteProblem(status);
    report.report(kErrorCaption, text);
}

} // namespace

int LevelsWithPixels(unsigned width, unsigned height, int levels)
{
    int withPixels = 0;
    while (withPixels < levels && (width >> withPixels) > 0 && (height >> withPixels) > 0)
        ++withPixels;
    return withPixels;
}

bool WriteImageChain(const std::string& path, int levels, const ImageFileKind& kind,
                     const ImageWriteOptions& options, TextureReport& report, const LevelEncoder& encode)
{
    std::vector<std::string> names;
    const ChainNaming naming = PlanChainNames(path, levels, names);
    if (naming != ChainNaming::Ok) {
        const std::string working = WorkingChainName(path, levels, kind.extension);
        report.report(kErrorCaption, "Can't name all " + std::to_string(levels) + " mip levels after " +
                                         FileText(kind, path) + ": " + ChainNamingProblem(naming) +
                                         ". A name that works: " + NameInFolder(working));
        return false;
    }

    if (options.clearStaleTemporaries)
        RemoveStaleTemporaries(FolderOfPath(path));
    std::vector<OutputFile> files(names.size());
    for (size_t level = 0; level < names.size(); ++level) {
        FileWriteStatus status = files[level].create(names[level], options.inputs);
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
