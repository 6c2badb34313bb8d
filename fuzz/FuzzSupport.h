// Shared pieces of the fuzz targets: a scratch folder made once per process,
// files written into it (SilentReport, in texture/TextureReport.h, keeps nothing).
#pragma once

#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The process's scratch folder (made on first use, removed at exit); ends the
// process when no folder can be made, since no input could be tried.
const std::string& ScratchFolder();

// Writes bytes to a file in the scratch folder and returns its path; an
// absent part (nullptr) removes any file of that name instead.
std::string PutScratchFile(const std::string& name, const uint8_t* data, size_t size);

// Touches every byte of every counted level, so that a buffer shorter than
// its level is caught by the address checker; returns a sum to keep the reads.
uint64_t TouchLevels(const T3D_TEXTURE& record);

// Whether two records hold the same size, depth, masks, level count, palette
// and pixels.
bool SameTexture(const T3D_TEXTURE& a, const T3D_TEXTURE& b);

// Texture layouts an option picks, 1 to 7 (0 and above pick none): 4-4-4-4,
// 1-5-5-5, 6-6-6-6 at 24 bits, blue-first ABGR, 8-8-8 at 32 bits without
// alpha, and two that pixels cannot be packed into (overlapping masks, masks
// of 10 bits).
struct FuzzLayout {
    unsigned depth;
    PixelMasks masks;
};
const FuzzLayout* FuzzLayoutFor(unsigned option);

// Whether two records' counted levels show the same 8-bit ARGB pixels, as the
// preview expands them, whatever their depth and masks.
bool SamePixels(const T3D_TEXTURE& a, const T3D_TEXTURE& b);

// Aborts with a message when a property of the code under test does not hold;
// the fuzzer records the input that broke it.
void Require(bool condition, const char* what);
