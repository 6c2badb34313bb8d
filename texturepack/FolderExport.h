// Every texture of a scene written into a folder, as quorrel-cli's
// extract-all and the editor's "Export all textures..." write them: each
// texture's chain under the names PlanChains gives (texturepack/ChainPlan.h),
// TGA, PNG or DDS, and then the manifest (texturepack/Manifest.h) with the CRC-32
// of each file as it is on disk.
//
// Files and links already there under those names are replaced (never the
// files, devices or streams the links lead to, and never the scene file the
// textures come from); whether they may be is the caller's question, asked
// beforehand (ExistingFiles). Each file is written whole or not at all; the
// folder is flushed to disk once, at the end.
#pragma once

#include "scene/CVK7QScene.h"
#include "texture/TextureReport.h"
#include "texture/chain/TextureFileWriter.h"
#include "texture/io/FileWrite.h"
#include "texturepack/ChainPlan.h"

#include <string>
#include <vector>

// What became of one texture's chain.
struct ExportedChain {
    bool written = false;
    std::vector<TextureProblem> problems;  // what its writer reported, in order
    // A file of the chain written that could not be read back for the
    // manifest, which then leaves the chain out; empty when none.
    std::string unreadable;
};

struct FolderExport {
    std::vector<ExportedChain> chains;  // in the plan's order
    FileWriteStatus manifest = FileWriteStatus::Ok;
    bool flushed = true;  // the folder's files reached the disk

    // How many chains were written.
    int writtenChains() const;
    // Every chain, its manifest row and the manifest written, and flushed.
    bool ok() const;
};

// The manifest's path in `dir`.
std::string ManifestPath(const std::string& dir);

// The manifest and the planned files that exist already (as anything, a
// link included), in that order.
std::vector<std::string> ExistingFiles(const std::vector<PlannedChain>& plan, const std::string& dir);

// Writes the planned chains of `scene`'s textures into `dir`, a folder that
// exists, as files of `format` (the kind the plan was made for), then the
// manifest of those written. The files of `sceneFile` are never replaced.
FolderExport ExportTextures(const VK7Q_HEADER& scene, const std::vector<PlannedChain>& plan,
                            const std::string& sceneFile, const std::string& dir, const TextureFileFormat& format);
