// What a listing shows of a scene file: its header and texture records,
// without their pixels. The file is read a chunk at a time, every checksum and
// rule checked as it passes, so a file is accepted or refused as
// CVK7QScene::Load would, with the same words, while memory stays a few
// megabytes whatever the file's size (and about 3 KiB for each texture).
// Plain C++, no Qt.
#pragma once

#include "scene/CVK7QScene.h"
#include "scene/SceneStatus.h"

#include <memory>

class SceneData;

class SceneOutline {
public:
    SceneOutline();
    ~SceneOutline();
    SceneOutline(const SceneOutline&) = delete;
    SceneOutline& operator=(const SceneOutline&) = delete;

    // Reads path, its name completed as Load completes it (WithSceneExtension).
    // Non-zero when it worked; on failure the outline read before stays.
    int Load(const char* path);
    // The header read; its records' level slots are null. 0 textures before
    // any outline is read.
    const VK7Q_HEADER& Header() const;
    // Why the last Load failed (cause None when it worked).
    const SceneStatus& LastStatus() const { return status_; }

private:
    SceneStatus LoadFile(const std::string& path);

    std::unique_ptr<SceneData> data_;
    SceneStatus status_;
};
