#include "scene/SceneOutline.h"

#include "scene/SceneData.h"
#include "scene/SceneReader.h"

#include <utility>

SceneOutline::SceneOutline() : data_(std::make_unique<SceneData>())
{
}

SceneOutline::~SceneOutline() = default;

int SceneOutline::Load(const char* path)
{
    status_ = LoadFile(path ? path : "");
    return status_.ok();
}

SceneStatus SceneOutline::LoadFile(const std::string& path)
{
    if (path.empty())
        return {SceneCause::FileUnreadable, FileReadStatus::NotFound, std::string()};
    const std::string file = WithSceneExtension(path);
    auto scene = std::make_unique<SceneData>();
    SceneStatus status = ReadSceneOutline(file, *scene);
    // A file rewritten while it was read is read once more, as Load does.
    if (status.fileRead == FileReadStatus::Changed) {
        scene = std::make_unique<SceneData>();
        status = ReadSceneOutline(file, *scene);
    }
    if (status.ok())
        data_ = std::move(scene);
    return status;
}

const VK7Q_HEADER& SceneOutline::Header() const
{
    return data_->header();
}
