// Reads a scene held in memory in either format, told apart by the magic
// number. False for a file of neither format or one that breaks its rules.
#pragma once

#include "texture/ByteBlock.h"
#include "scene/SceneData.h"

bool ReadScene(ByteBlock bytes, SceneData& scene);
