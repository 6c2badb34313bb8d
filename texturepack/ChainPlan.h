// The files extract-all gives each texture of a scene: named after the
// texture, shortened or changed where the mip-chain rule cannot chain the
// name, and never sharing a file with another texture's chain. import finds a
// folder's chains by the same names when it has no manifest.
#pragma once

#include "scene/CVK7QScene.h"
#include "texture/chain/TextureFileWriter.h"

#include <string>
#include <vector>

struct PlannedChain {
    int index;
    int levels;  // of the texture, with pixels: one a file, or all in one DDS
    std::vector<std::string> files;
    std::string change;  // why the name is not the texture's own; empty when it is
};

// Chain names in `dir` for every texture of the scene, files of `kind` (a
// file a level, or one DDS of every level): the texture's own name where its
// chain can be named, else a name that works; names that clash get "-2",
// "-3", ... before their suffix.
std::vector<PlannedChain> PlanChains(const VK7Q_HEADER& header, const std::string& dir, TextureFileKind kind);
