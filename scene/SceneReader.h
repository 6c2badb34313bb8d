// Reads a scene held in memory in either format, told apart by the magic
// number. Fails for a file of neither format or one that breaks its rules,
// saying why. CRCs worked out while the bytes were read (ReadSceneFile) spare
// passing over them again; without them every CRC is worked out here.
#pragma once

#include "scene/BlockCrcs.h"
#include "scene/SceneData.h"
#include "scene/SceneStatus.h"
#include "texture/io/ByteBlock.h"

SceneStatus ReadScene(ByteBlock bytes, SceneData& scene, const BlockCrcs& crcs = BlockCrcs());
