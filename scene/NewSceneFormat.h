// The new scene format: a checked header, then tagged sections, each with its
// length and a CRC-32 over its tag, length and contents, closed by the texture
// directory that GenerateC3D derives from the textures.
#pragma once

#include "scene/SceneData.h"
#include "scene/SceneInput.h"
#include "scene/ScenePieces.h"
#include "scene/SceneStatus.h"

#include <vector>

// Reads a new-format file into an empty `scene`, whose records and sections
// point into the bytes where the input holds them (null where it does not).
// Fails, saying why and where, on anything that does not check out: magic,
// version, a CRC, a length or count beyond the file, a texture record,
// padding, the directory, or bytes left over.
SceneStatus ReadNewScene(SceneInput& reader, SceneData& scene);

// The directory of the scene's textures as the new format lays them out.
// Every checksum must be known.
std::vector<DirectoryEntry> BuildDirectory(const SceneData& scene);

// Lays the scene out in the new format. Every checksum must be known and the
// directory current. Fails when there are more sections than the format counts.
bool LayOutNewScene(const SceneData& scene, ScenePieces& out);
