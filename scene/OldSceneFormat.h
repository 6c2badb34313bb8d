// The old scene format: a header with the texture and chunk counts, then
// tagged chunks with 32-bit lengths. No checksums and no derived data.
#pragma once

#include "scene/SceneData.h"
#include "scene/SceneInput.h"
#include "scene/ScenePieces.h"
#include "scene/SceneStatus.h"

// Reads an old-format file into an empty `scene`, whose records and sections
// point into the bytes where the input holds them (null where it does not).
// Fails, saying why and where, on a wrong magic or version, a length or count beyond the file, a bad
// texture record or padding, a directory chunk, a texture count that does not
// match the texture chunks, or bytes left over.
SceneStatus ReadOldScene(SceneInput& reader, SceneData& scene);

// Lays the scene out in the old format. Fails when a section is larger than a
// 32-bit length can say or there are more sections than the format counts.
bool LayOutOldScene(const SceneData& scene, ScenePieces& out);
