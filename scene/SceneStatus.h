// Why the scene object's last Load, Write or WriteOld failed, for messages
// that say why: the file could not be read, its bytes are not a scene of a
// format and version this tool reads, or they break the format's rules (with
// where), or the new file could not be put down. Plain data, no Qt.
#pragma once

#include "texture/io/FileRead.h"

#include <cstdint>
#include <string>
#include <utility>

enum class SceneCause {
    None,  // it worked
    // Loading
    FileUnreadable,      // fileRead says how (texture/io/FileRead.h)
    NotSceneFile,        // neither format's magic number
    UnsupportedVersion,  // a known format in a version this tool does not read
    Truncated,           // the file ends inside a header or section
    Damaged,             // a checksum does not match or a rule is broken
    // Writing
    NothingLoaded,
    PermissionDenied,
    FolderMissing,
    NotRegularFile,  // the target is a folder, device, ...
    DiskFull,
    ChangedOnDisk,  // another program wrote the scene file since it was loaded
    WriteFailed,    // any other refusal; detail gives the system's words
};

struct SceneStatus {
    SceneCause cause = SceneCause::None;
    FileReadStatus fileRead = FileReadStatus::Ok;
    // Where in the file (Truncated, Damaged: "section 3 (TXTR): checksum does
    // not match"), or the version found, or the system's words.
    std::string detail;

    bool ok() const { return cause == SceneCause::None; }
};

inline SceneStatus SceneFailure(SceneCause cause, std::string detail = std::string())
{
    return {cause, FileReadStatus::Ok, std::move(detail)};
}

// The reason in a few words, to follow the file's name in a message: "does
// not exist", "is not a scene file", "is damaged: section 3 (TXTR): checksum
// does not match", "disk full".
std::string SceneStatusText(const SceneStatus& status);

// "section 3 (TXTR)": the place of a section in messages, counted from 1,
// its tag as text where it is printable.
std::string SectionName(const char* kind, uint32_t index, uint32_t tag);
