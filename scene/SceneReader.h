// Reads a scene held in memory in either format, told apart by the magic
// number. Fails for a file of neither format or one that breaks its rules,
// saying why.
#pragma once

#include "scene/SceneData.h"
#include "scene/SceneStatus.h"
#include "texture/io/ByteBlock.h"

SceneStatus ReadScene(ByteBlock bytes, SceneData& scene);
