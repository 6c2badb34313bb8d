// Texture records for tests and seed inputs: the size, depth and fields a test
// names, the pixel bytes from a pattern it gives, so every test states its
// input in one place and the bytes stay exactly the ones its assertions
// expect. No GoogleTest here, so the fuzz seed maker can use it too.
#pragma once

#include "texture/T3DTexture.h"
#include "texture/TextureRecord.h"
#include "texture/convert/PaletteMatch.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Byte i of level L's pixels.
using LevelBytes = std::function<uint8_t(int level, uint64_t i)>;
// Pixel i of level L of a depth-32 record, as 0xAARRGGBB.
using LevelArgb = std::function<uint32_t(int level, uint64_t i)>;

class TextureBuilder {
public:
    TextureBuilder(unsigned width, unsigned height, unsigned depth);

    // Levels 0 to count - 1 get buffers filled from the pattern (default 1).
    TextureBuilder& levels(int count);
    // Level 0 from the pattern, the levels below it made by GenerateMipLevels,
    // then the level count set to `count` whatever that made. When making
    // them fails, build() gives a cleared record.
    TextureBuilder& generatedLevels(int count);
    TextureBuilder& flags(uint32_t flags);
    TextureBuilder& standardMasks();
    TextureBuilder& masks(uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha);
    TextureBuilder& name(const std::string& name);
    // Pixel bytes; without one, every byte is 0. A level that cannot be
    // allocated leaves build() a cleared record.
    TextureBuilder& bytes(LevelBytes pattern);
    TextureBuilder& argb(LevelArgb pattern);
    // Level 0's bytes exactly (the other levels zero).
    TextureBuilder& level0(std::vector<uint8_t> bytes);
    TextureBuilder& palette(std::function<Rgb(int index)> colour);
    TextureBuilder& paletteColour(int index, Rgb colour);

    TextureRecord build() const;

private:
    T3D_TEXTURE fields_{};
    int levels_ = 1;
    bool generate_ = false;
    LevelBytes pattern_;
};
