// What Extract writes: the file dialog it opens for a scene texture, the
// files the chain takes under the name chosen, and writing them, TGA, PNG or
// DDS by the name's extension (a DDS of an 8-bit texture with its palette
// when the dialog's filter chose so).
#pragma once

#include "editor/EditorPrompts.h"
#include "texture/T3DTexture.h"
#include "texture/chain/TextureFileWriter.h"

#include <QString>

#include <string>
#include <vector>

class TextureReport;

// Extract's file dialog for `texture`, offering the filter of `kind` first;
// the filter chosen goes to `filterChosen`.
FileDialogRequest ExtractRequest(const T3D_TEXTURE& texture, TextureFileKind kind, QString* filterChosen = nullptr);
// The kind of files the name chosen and the dialog's filter ask for.
TextureFileKind ExtractedKind(const QString& chosen, const QString& filterChosen);
// The files of `texture`'s chain under the name chosen, level 0 first.
std::vector<std::string> ExtractedFiles(const T3D_TEXTURE& texture, const QString& chosen);
// Writes the chain; never over `sceneFile`, the scene it comes from.
bool WriteExtractedChain(const T3D_TEXTURE& texture, const QString& chosen, TextureFileKind kind,
                         const std::string& sceneFile, TextureReport& report);
