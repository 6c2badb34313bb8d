#include "scene/SceneStatus.h"

#include "texture/TextureReport.h"

#include <cstdio>

namespace {

std::string WithDetail(const char* text, const std::string& detail)
{
    return detail.empty() ? text : std::string(text) + ": " + detail;
}

}  // namespace

std::string SceneStatusText(const SceneStatus& status)
{
    switch (status.cause) {
    case SceneCause::None:
        return "done";
    case SceneCause::FileUnreadable:
        return FileReadProblem(status.fileRead);
    case SceneCause::NotSceneFile:
        return "is not a scene file";
    case SceneCause::UnsupportedVersion:
        return WithDetail("is a scene of an unsupported version", status.detail);
    case SceneCause::Truncated:
        return WithDetail("is truncated", status.detail);
    case SceneCause::Damaged:
        return WithDetail("is damaged", status.detail);
    case SceneCause::NothingLoaded:
        return "no scene is loaded";
    case SceneCause::PermissionDenied:
        return "permission denied";
    case SceneCause::FolderMissing:
        return "its folder does not exist";
    case SceneCause::NotRegularFile:
        return "is not a regular file";
    case SceneCause::DiskFull:
        return "disk full";
    case SceneCause::ChangedOnDisk:
        return "changed since it was loaded: another program wrote it; nothing was written";
    case SceneCause::WriteFailed:
        return WithDetail("could not be written", status.detail);
    }
    return "failed";
}

std::string SectionName(const char* kind, uint32_t index, uint32_t tag)
{
    char name[4];
    bool printable = true;
    for (int i = 0; i < 4; ++i) {
        name[i] = char(tag >> (8 * i));
        printable = printable && name[i] >= 0x20 && name[i] < 0x7F;
    }
    char text[64];
    if (printable)
        std::snprintf(text, sizeof text, "%s %u (%.4s)", kind, unsigned(index + 1), name);
    else
        std::snprintf(text, sizeof text, "%s %u (tag 0x%08X)", kind, unsigned(index + 1), unsigned(tag));
    return text;
}
