#include "scene/SceneReader.h"

#include "scene/LittleEndian.h"
#include "scene/NewSceneFormat.h"
#include "scene/OldSceneFormat.h"
#include "scene/SceneFormat.h"

#include <utility>

bool ReadScene(ByteBlock bytes, SceneData& scene)
{
    if (bytes.size() < 4)
        return false;
    const uint32_t magic = GetU32(bytes.data());
    if (magic == kNewSceneMagic)
        return ReadNewScene(std::move(bytes), scene);
    if (magic == kOldSceneMagic)
        return ReadOldScene(std::move(bytes), scene);
    return false;
}
