// What Extract writes: the file dialog it opens for a scene texture, the
// files the chain takes under the name chosen, and writing them, PNG or TGA
// by the name's extension.
#pragma once

#include "editor/EditorPrompts.h"
#include "texture/T3DTexture.h"

#include <QString>

#include <string>
#include <vector>

class TextureReport;

// Extract's file dialog for `texture`, offering PNG first when `png`.
FileDialogRequest ExtractRequest(const T3D_TEXTURE& texture, bool png);
// Whether the name chosen asks for PNG files.
bool IsPngName(const QString& chosen);
// The files of `texture`'s chain under the name chosen, level 0 first.
std::vector<std::string> ExtractedFiles(const T3D_TEXTURE& texture, const QString& chosen);
// Writes the chain; never over `sceneFile`, the scene it comes from.
bool WriteExtractedChain(const T3D_TEXTURE& texture, const QString& chosen, const std::string& sceneFile,
                         TextureReport& report);
