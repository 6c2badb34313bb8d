#include "scene/SceneFile.h"

#include "texture/TextureReport.h"
#include "texture/io/FileWrite.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>

namespace {

// The cause of a failed write, from the writer's status and the system's
// error number where a write or flush failed on its way.
SceneStatus WriteFailure(FileWriteStatus status, int error)
{
    switch (status) {
    case FileWriteStatus::NoFolder:
        return SceneFailure(SceneCause::FolderMissing);
    case FileWriteStatus::PermissionDenied:
        return SceneFailure(SceneCause::PermissionDenied);
    case FileWriteStatus::NotRegularFile:
        return SceneFailure(SceneCause::NotRegularFile);
    default:
        break;
    }
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return SceneFailure(SceneCause::PermissionDenied);
    case ENOSPC:
    case EDQUOT:
        return SceneFailure(SceneCause::DiskFull);
    default:
        return SceneFailure(SceneCause::WriteFailed, error != 0 ? std::strerror(error) : FileWriteProblem(status));
    }
}

}  // namespace

std::string WithSceneExtension(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > nameStart;
    struct stat info;
    const bool existingFile = stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    return hasExtension || existingFile ? path : path + ".T3D";
}

FileReadStatus ReadSceneFile(const std::string& path, ByteBlock& out)
{
    return ReadWholeFile(path, out, SIZE_MAX);
}

SceneStatus WriteFileAtomically(const std::string& path, const ScenePieces& pieces)
{
    RemoveStaleTemporaries(FolderOfPath(path));
    // A named temporary: a save's progress can be seen, and a killed save's
    // leftover is cleared by the next one.
    OutputFile file;
    if (const FileWriteStatus status = file.create(path, InputFiles(), false); status != FileWriteStatus::Ok)
        return WriteFailure(status, errno);
    for (const ByteSpan& span : pieces.spans()) {
        if (!file.write(span.data, size_t(span.size)))
            return WriteFailure(FileWriteStatus::WriteFailed, errno);
    }
    if (const FileWriteStatus status = file.finish(true); status != FileWriteStatus::Ok)
        return WriteFailure(status, errno);
    if (const FileWriteStatus status = file.commit(); status != FileWriteStatus::Ok)
        return WriteFailure(status, errno);
    return {};
}
