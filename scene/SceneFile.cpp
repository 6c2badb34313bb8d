#include "scene/SceneFile.h"

#include "texture/FileWrite.h"

#include <cstdint>

std::string WithSceneExtension(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > nameStart;
    return hasExtension ? path : path + ".T3D";
}

FileReadStatus ReadSceneFile(const std::string& path, ByteBlock& out)
{
    return ReadWholeFile(path, out, SIZE_MAX);
}

bool WriteFileAtomically(const std::string& path, const ScenePieces& pieces)
{
    RemoveStaleTemporaries(FolderOfPath(path));
    // A named temporary: a save's progress can be seen, and a killed save's
    // leftover is cleared by the next one.
    OutputFile file;
    if (file.create(path, InputFiles(), false) != FileWriteStatus::Ok)
        return false;
    for (const ByteSpan& span : pieces.spans()) {
        if (!file.write(span.data, size_t(span.size)))
            return false;
    }
    return file.finish(true) == FileWriteStatus::Ok && file.commit() == FileWriteStatus::Ok;
}
