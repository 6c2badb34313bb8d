#include "scene/SceneReader.h"

#include "scene/NewSceneFormat.h"
#include "scene/OldSceneFormat.h"
#include "scene/SceneFormat.h"
#include "texture/io/LittleEndian.h"

#include <utility>

SceneStatus ReadScene(ByteBlock bytes, SceneData& scene, const BlockCrcs& crcs)
{
    if (bytes.size() < 4)
        return SceneFailure(SceneCause::NotSceneFile);
    const uint32_t magic = GetU32(bytes.data());
    if (magic == kNewSceneMagic)
        return ReadNewScene(std::move(bytes), crcs, scene);
    if (magic == kOldSceneMagic)
        return ReadOldScene(std::move(bytes), scene);
    return SceneFailure(SceneCause::NotSceneFile);
}
