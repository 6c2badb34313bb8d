#include "support/TextureBuilder.h"

#include "texture/convert/MipGeneration.h"

#include <cstring>
#include <utility>

TextureBuilder::TextureBuilder(unsigned width, unsigned height, unsigned depth)
{
    fields_.width = uint16_t(width);
    fields_.height = uint16_t(height);
    fields_.depth = uint16_t(depth);
}

TextureBuilder& TextureBuilder::levels(int count)
{
    levels_ = count;
    generate_ = false;
    return *this;
}

TextureBuilder& TextureBuilder::generatedLevels(int count)
{
    levels_ = count;
    generate_ = true;
    return *this;
}

TextureBuilder& TextureBuilder::flags(uint32_t flags)
{
    fields_.flags = flags;
    return *this;
}

TextureBuilder& TextureBuilder::standardMasks()
{
    SetStandardMasks(fields_, fields_.depth);
    return *this;
}

TextureBuilder& TextureBuilder::masks(uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha)
{
    fields_.redMask = red;
    fields_.greenMask = green;
    fields_.blueMask = blue;
    fields_.alphaMask = alpha;
    return *this;
}

TextureBuilder& TextureBuilder::name(const std::string& name)
{
    std::strncpy(fields_.name, name.c_str(), kTextureNameSize - 1);
    return *this;
}

TextureBuilder& TextureBuilder::bytes(LevelBytes pattern)
{
    pattern_ = std::move(pattern);
    return *this;
}

TextureBuilder& TextureBuilder::argb(LevelArgb pattern)
{
    return bytes([pattern = std::move(pattern)](int level, uint64_t i) {
        return uint8_t(pattern(level, i / 4) >> (8 * (i % 4)));
    });
}

TextureBuilder& TextureBuilder::level0(std::vector<uint8_t> bytes)
{
    return this->bytes([bytes = std::move(bytes)](int level, uint64_t i) {
        return level == 0 && i < bytes.size() ? bytes[i] : uint8_t(0);
    });
}

TextureBuilder& TextureBuilder::palette(std::function<Rgb(int index)> colour)
{
    for (int i = 0; i < kPaletteEntries; ++i)
        SetPaletteColour(fields_, i, colour(i));
    return *this;
}

TextureBuilder& TextureBuilder::paletteColour(int index, Rgb colour)
{
    SetPaletteColour(fields_, index, colour);
    return *this;
}

TextureRecord TextureBuilder::build() const
{
    TextureRecord texture;
    T3D_TEXTURE& r = texture.record();
    r = fields_;
    const int filled = generate_ ? 1 : levels_;
    r.levelCount = uint16_t(filled);
    for (int level = 0; level < filled; ++level) {
        const uint64_t count = LevelByteCount(r, level);
        uint8_t* pixels = texture.allocateLevel(level, count);
        if (!pixels) {
            texture.clear();
            return texture;
        }
        for (uint64_t i = 0; i < count; ++i)
            pixels[i] = pattern_ ? pattern_(level, i) : 0;
    }
    if (generate_) {
        if (!GenerateMipLevels(texture)) {
            texture.clear();
            return texture;
        }
        r.levelCount = uint16_t(levels_);
    }
    return texture;
}
