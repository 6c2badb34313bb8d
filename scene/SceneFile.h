// Scene files on disk: the name completion rule, reading a whole file into
// one block, and replacing a file only once its new contents are safely down.
#pragma once

#include "scene/BlockCrcs.h"
#include "scene/ScenePieces.h"
#include "scene/SceneStatus.h"
#include "texture/io/ByteBlock.h"
#include "texture/io/FileRead.h"

#include <atomic>
#include <string>

// Reads a whole regular file into `out`, as ReadWholeFile does with no limit
// (texture/io/FileRead.h says how and what it refuses), in chunks on every core
// for a large file. For a file of the new format, `crcs` gets the CRC-32 of
// each block, worked out as soon as the block is read; on failure it is
// cleared. An empty file reads as an empty block, which no format accepts.
// `cancel`, set to true by another thread, stops the read at its next chunk:
// Cancelled.
[[nodiscard]] FileReadStatus ReadSceneFile(const std::string& path, ByteBlock& out, BlockCrcs& crcs,
                                           const std::atomic<bool>* cancel = nullptr);

// Writes the pieces to a fresh file beside `path`, flushes it to disk and
// renames it over `path` (texture/io/FileWrite.h says how, and what it refuses).
// On any failure the fresh file is removed and an existing file at `path` is
// left as it was, and the status says why. A replaced file keeps its owner,
// group and permission bits; its cached pages are dropped before the write,
// since the rename lets it go anyway.
// A writer killed midway cannot remove its fresh file; each write first
// removes such leftovers, in the same folder, of processes that no longer run.
SceneStatus WriteFileAtomically(const std::string& path, const ScenePieces& pieces);
