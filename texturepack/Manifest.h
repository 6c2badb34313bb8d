// textures.tsv: what extract-all wrote into a folder, and the contract between
// export and import. A person can read it, a script can parse it:
//
//   # quorrel textures 1
//   index<TAB>name<TAB>file<TAB>width<TAB>height<TAB>depth<TAB>levels<TAB>flags<TAB>crc32
//   0<TAB>crate_A<TAB>crate_A.png<TAB>64<TAB>64<TAB>32<TAB>7<TAB>0x03<TAB>1c291ca3,5d2b9f00,...
//
// One row per texture written: its index in the scene, its name and its
// chain's first file (relative to the folder, both Escaped as list prints
// them), its size, depth, level count and flags as list prints them, and the
// CRC-32 of each level file as written, level 0 first. The file is written
// atomically, like every file this program writes.
#pragma once

#include "texture/io/FileStamp.h"
#include "texture/io/FileWrite.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr const char* kManifestName = "textures.tsv";

struct ManifestRow {
    int index = 0;
    std::string name;
    std::string file;  // the first file's name in the folder
    unsigned width = 0, height = 0, depth = 0, levels = 0;
    uint32_t flags = 0;
    std::vector<uint32_t> crcs;  // of the level files, level 0 first
};

// Writes the rows to `path` through a temporary renamed over it (flushed to
// disk with the folder's other files, FlushFileSystemOf); `inputs` are the
// files it may not replace.
FileWriteStatus WriteManifest(const std::string& path, const std::vector<ManifestRow>& rows, const InputFiles& inputs);

enum class ManifestStatus { Ok, Missing, Unreadable, Damaged };

// Reads the manifest at `path`. Missing when there is none; Unreadable and
// Damaged with `problem` set ("line 4: wants 9 tab-separated fields, not
// 7"), to follow
// the file's name.
ManifestStatus ReadManifest(const std::string& path, std::vector<ManifestRow>& rows, std::string& problem);
