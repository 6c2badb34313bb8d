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
// Cancelled. `stamp`, when given, gets how the file stood as it was read,
// with the CRC-32 of its bytes where a rewrite in the same tick could leave
// its stamp as it is (texture/io/FileStamp.h).
[[nodiscard]] FileReadStatus ReadSceneFile(const std::string& path, ByteBlock& out, BlockCrcs& crcs,
                                           const std::atomic<bool>* cancel = nullptr, FileStamp* stamp = nullptr);

// Writes the pieces to a fresh file beside `path`, flushes it to disk and
// renames it over `path` (texture/io/FileWrite.h says how, and what it refuses).
// On any failure the fresh file is removed and an existing file at `path` is
// left as it was, and the status says why. A replaced file keeps its owner,
// group and permission bits; its cached pages are dropped before the write,
// since the rename lets it go anyway.
// A writer killed midway cannot remove its fresh file; each write first
// removes such leftovers, in the same folder, of processes that no longer run.
struct AtomicWriteOptions {
    // `path` is replaced only while it still stands as this stamp says
    // (ChangedOnDisk otherwise); nullptr: whatever it is.
    const FileStamp* expected = nullptr;
    // Gets the stamp of the file written, with the CRC-32 of its bytes.
    FileStamp* written = nullptr;
    // Set to true by another thread, stops the write before the rename.
    const std::atomic<bool>* cancel = nullptr;
};
SceneStatus WriteFileAtomically(const std::string& path, const ScenePieces& pieces,
                                const AtomicWriteOptions& options = {});

// The path with its folder resolved ("/work/a/../b/s.T3D" -> "/work/b/s.T3D"),
// the last component as it is; the path itself when its folder is gone.
std::string ResolvedPath(const std::string& path);
