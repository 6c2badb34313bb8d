#include "SceneTestBytes.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

TextureRecord MakeTexture(uint16_t width, uint16_t height, uint16_t depth, int levels, uint32_t flags,
                          const std::string& name, uint8_t seed)
{
    TextureRecord texture;
    T3D_TEXTURE& r = texture.record();
    r.width = width;
    r.height = height;
    r.depth = depth;
    r.redMask = depth == 8 ? 0 : 0xFF0000 + seed;
    r.greenMask = depth == 8 ? 0 : 0xFF00;
    r.blueMask = depth == 8 ? 0 : 0xFF;
    r.alphaMask = depth == 32 ? 0xFF000000 : 0;
    r.flags = flags;
    r.levelCount = uint16_t(levels);
    for (int i = 0; i < kPaletteEntries; ++i)
        for (int c = 0; c < 3; ++c)
            r.palette[i][c] = uint8_t(i * (c + 1) + seed);
    std::strncpy(r.name, name.c_str(), kTextureNameSize - 1);
    for (int level = 0; level < levels; ++level) {
        const uint64_t bytes = LevelByteCount(r, level);
        uint8_t* pixels = texture.allocateLevel(level, bytes);
        for (uint64_t i = 0; i < bytes; ++i)
            pixels[i] = uint8_t(seed * 31 + level * 7 + i * 13 + (i >> 8));
    }
    return texture;
}

void ExpectSameTexture(const T3D_TEXTURE& expected, const T3D_TEXTURE& actual)
{
    EXPECT_EQ(expected.width, actual.width);
    EXPECT_EQ(expected.height, actual.height);
    EXPECT_EQ(expected.depth, actual.depth);
    EXPECT_EQ(expected.redMask, actual.redMask);
    EXPECT_EQ(expected.greenMask, actual.greenMask);
    EXPECT_EQ(expected.blueMask, actual.blueMask);
    EXPECT_EQ(expected.alphaMask, actual.alphaMask);
    EXPECT_EQ(expected.flags, actual.flags);
    ASSERT_EQ(expected.levelCount, actual.levelCount);
    EXPECT_EQ(0, std::memcmp(expected.palette, actual.palette, sizeof expected.palette));
    EXPECT_STREQ(expected.name, actual.name);
    for (int level = 0; level < kMaxTextureLevels; ++level) {
        if (level >= expected.levelCount) {
            EXPECT_EQ(nullptr, actual.levels[level]) << "level " << level;
            continue;
        }
        ASSERT_NE(nullptr, actual.levels[level]) << "level " << level;
        EXPECT_EQ(0, std::memcmp(expected.levels[level], actual.levels[level],
                                 size_t(LevelByteCount(expected, level))))
            << "pixels of level " << level;
    }
}

std::string U16(uint16_t v)
{
    return std::string{char(v), char(v >> 8)};
}

std::string U32(uint32_t v)
{
    return U16(uint16_t(v)) + U16(uint16_t(v >> 16));
}

std::string U64(uint64_t v)
{
    return U32(uint32_t(v)) + U32(uint32_t(v >> 32));
}

std::string Crc(const std::string& bytes)
{
    return U32(uint32_t(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size()))));
}

std::string Zeros(size_t n)
{
    return std::string(n, '\0');
}

std::string StoredRecord(const T3D_TEXTURE& r)
{
    std::string out = U16(r.width) + U16(r.height) + U16(r.depth) + U16(0) + U32(r.redMask) +
                      U32(r.greenMask) + U32(r.blueMask) + U32(r.alphaMask) + U32(r.flags) +
                      U16(r.levelCount);
    out.append(reinterpret_cast<const char*>(r.palette), sizeof r.palette);
    out += U16(0) + Zeros(32);
    out.append(r.name, sizeof r.name);
    return out;
}

std::string TextureContent(const T3D_TEXTURE& r)
{
    std::string out = StoredRecord(r);
    for (int level = 0; level < r.levelCount; ++level)
        out.append(reinterpret_cast<const char*>(r.levels[level]), size_t(LevelByteCount(r, level)));
    return out;
}

static std::string Padding(size_t contentSize)
{
    return Zeros((8 - contentSize % 8) % 8);
}

std::string NewSection(const std::string& tag, const std::string& content)
{
    const std::string head = tag + U64(content.size());
    return head + Crc(head + content) + content + Padding(content.size());
}

std::string NewFileHeader(uint32_t sectionCount)
{
    const std::string head = "VK7N" + U16(1) + U16(0) + U32(sectionCount);
    return head + Crc(head);
}

std::string DirectoryFor(const std::vector<LaidSection>& sections)
{
    std::string entries;
    uint32_t count = 0;
    uint64_t offset = 16;
    for (const LaidSection& s : sections) {
        if (s.tag == "TXTR") {
            const std::string& c = s.content;
            // width, height, depth, level count and flags straight from the stored record
            entries += U64(offset) + U64(c.size()) + Crc(c) + c.substr(0, 6) + c.substr(28, 2) + c.substr(24, 4);
            ++count;
        }
        offset += NewSection(s.tag, s.content).size();
    }
    return U32(count) + U32(0) + entries;
}

std::string NewFile(const std::vector<LaidSection>& sections)
{
    std::string out = NewFileHeader(uint32_t(sections.size() + 1));
    for (const LaidSection& s : sections)
        out += NewSection(s.tag, s.content);
    return out + NewSection("TDIR", DirectoryFor(sections));
}

std::string OldChunk(const std::string& tag, const std::string& content)
{
    return tag + U32(uint32_t(content.size())) + content + Padding(content.size());
}

std::string OldFile(const std::vector<LaidSection>& sections)
{
    uint16_t textures = 0;
    std::string chunks;
    for (const LaidSection& s : sections) {
        textures += s.tag == "TXTR";
        chunks += OldChunk(s.tag, s.content);
    }
    return "VK7O" + U16(1) + U16(textures) + U32(uint32_t(sections.size())) + U32(0) + chunks;
}
