// Reads a scene in either format, told apart by the magic number. Fails for a
// file of neither format or one that breaks its rules, saying why. A scene
// held in memory keeps its bytes; CRCs worked out while the bytes were read
// (ReadSceneFile) spare passing over them again; without them every CRC is
// worked out here. An outline reads the file in passing instead.
#pragma once

#include "scene/BlockCrcs.h"
#include "scene/SceneData.h"
#include "scene/SceneStatus.h"
#include "texture/io/ByteBlock.h"

#include <string>

SceneStatus ReadScene(ByteBlock bytes, SceneData& scene, const BlockCrcs& crcs = BlockCrcs());

// Reads the scene file at `path` a chunk at a time into an empty `scene`,
// checking all that ReadScene checks and refusing with the same words, but
// keeping only records (their level slots null) and section sizes: memory
// stays a few megabytes whatever the file's size, besides the records.
SceneStatus ReadSceneOutline(const std::string& path, SceneData& scene);
