// A texture record together with the level buffers it points to. The record
// keeps its fixed layout (it is a plain T3D_TEXTURE inside); this holder is the
// only thing that frees buffers it allocated, so a buffer is freed exactly once:
// when the holder is cleared, a level is re-allocated, or the holder is
// destroyed. Holders move but do not copy.
#pragma once

#include "texture/T3DTexture.h"

#include <cstdint>

class TextureRecord {
public:
    TextureRecord();
    ~TextureRecord();
    TextureRecord(TextureRecord&& other) noexcept;
    TextureRecord& operator=(TextureRecord&& other) noexcept;
    TextureRecord(const TextureRecord&) = delete;
    TextureRecord& operator=(const TextureRecord&) = delete;

    T3D_TEXTURE& record() { return record_; }
    const T3D_TEXTURE& record() const { return record_; }

    // Frees every level buffer and sets all bytes of the record to zero.
    void clear();

    // Gives level L a fresh, uninitialised buffer of the given size (freeing
    // the one it had). Returns nullptr, and leaves the slot empty, when the
    // memory cannot be had.
    uint8_t* allocateLevel(int level, uint64_t bytes);

private:
    void freeLevels();

    T3D_TEXTURE record_;
};

// A copy of a texture record with buffers of its own; false, and `copy`
// cleared, when memory for a level could not be had.
bool CopyTexture(const T3D_TEXTURE& source, TextureRecord& copy);
