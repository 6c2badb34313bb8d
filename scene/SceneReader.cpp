#include "scene/SceneReader.h"

#include "scene/NewSceneFormat.h"
#include "scene/OldSceneFormat.h"
#include "scene/SceneFormat.h"
#include "scene/SceneInput.h"

#include <utility>

namespace {

SceneStatus ReadSceneFrom(SceneInput& input, SceneData& scene)
{
    uint32_t magic;
    if (!input.peekU32(magic))
        return SceneFailure(SceneCause::NotSceneFile);
    if (magic == kNewSceneMagic)
        return ReadNewScene(input, scene);
    if (magic == kOldSceneMagic)
        return ReadOldScene(input, scene);
    return SceneFailure(SceneCause::NotSceneFile);
}

}  // namespace

SceneStatus ReadScene(ByteBlock bytes, SceneData& scene, const BlockCrcs& crcs)
{
    scene.fileBytes = std::move(bytes);
    HeldSceneInput input(scene.fileBytes, crcs);
    return ReadSceneFrom(input, scene);
}

SceneStatus ReadSceneOutline(const std::string& path, SceneData& scene)
{
    StreamedSceneInput input;
    if (const FileReadStatus opened = input.open(path); opened != FileReadStatus::Ok)
        return {SceneCause::FileUnreadable, opened, std::string()};
    SceneStatus status = ReadSceneFrom(input, scene);
    // A read that failed, or a file changed meanwhile, is why, whatever the
    // bytes read so far seemed to say.
    if (const FileReadStatus read = input.readFailure(); read != FileReadStatus::Ok)
        return {SceneCause::FileUnreadable, read, std::string()};
    return status;
}
