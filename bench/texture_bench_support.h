// Files and records shared by the texture benchmarks. Files live in temporary
// folders made on first use and removed at exit.
#pragma once

#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"

#include <cstdint>
#include <string>

// The path of `name` in the folder for files that are read (under /tmp).
std::string BenchFile(const std::string& name);

// The path of `name` in the folder for files that are written: in memory
// (/dev/shm) where there is one, so that disk writeback does not throttle
// the cases and their limits by turns.
std::string BenchOutputFile(const std::string& name);

// A one-level record of side x side pixels of `depth` bits, filled with
// pseudo-random bytes (depth 16 with the 5-5-5 masks unless `green565`).
void MakeBenchRecord(TextureRecord& holder, unsigned side, int depth, bool green565 = false);

// A one-level record of side x side 32-bit pixels that compress as a
// photograph does: soft gradients and waves, plus a little grain.
void MakePhotoRecord(TextureRecord& holder, unsigned side);

// Writes a side x side TGA file of `depth` bits (its level 0 only) under
// `name` in the temporary folder, once, and returns its path.
std::string BenchTgaFile(const std::string& name, unsigned side, int depth);

// The limit for reading: the whole file read() from the page cache into a
// freshly allocated buffer, from malloc as the reader's levels are, or
// page-aligned (the kernel copies into a page-aligned buffer fastest).
// Returns the bytes read.
size_t ReadIntoFreshBuffer(const std::string& path, bool pageAligned = false);

// The limit for writing: a file's bytes, read once (empty when it cannot be
// read), then written whole over it with one write() (false when that
// failed).
std::string FileBytes(const std::string& path);
bool WriteWhole(const std::string& path, const std::string& bytes);
