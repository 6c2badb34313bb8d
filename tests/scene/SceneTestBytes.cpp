#include "SceneTestBytes.h"

#include "scene/SceneOutline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <zlib.h>

TextureRecord MakeTexture(uint16_t width, uint16_t height, uint16_t depth, int levels, uint32_t flags,
                          const std::string& name, uint8_t seed)
{
    const bool rgb = depth != 8;
    return TextureBuilder(width, height, depth)
        .levels(levels)
        .flags(flags)
        .name(name)
        .masks(rgb ? 0xFF0000 + seed : 0, rgb ? 0xFF00 : 0, rgb ? 0xFF : 0, depth == 32 ? 0xFF000000 : 0)
        .palette([seed](int i) {
            return Rgb{uint8_t(i * 3 + seed), uint8_t(i * 2 + seed), uint8_t(i + seed)};
        })
        .bytes([seed](int level, uint64_t i) { return uint8_t(seed * 31 + level * 7 + i * 13 + (i >> 8)); })
        .build();
}

std::string U64(uint64_t v)
{
    return U32(uint32_t(v)) + U32(uint32_t(v >> 32));
}

std::string Crc(const std::string& bytes)
{
    return U32(uint32_t(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size()))));
}

std::string StoredRecord(const T3D_TEXTURE& r)
{
    std::string out = U16(r.width) + U16(r.height) + U16(r.depth) + U16(0) + U32(r.redMask) + U32(r.greenMask) +
                      U32(r.blueMask) + U32(r.alphaMask) + U32(r.flags) + U16(r.levelCount);
    out.append(reinterpret_cast<const char*>(r.palette), sizeof r.palette);
    out += U16(0) + Repeat(0, 32);
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
    return Repeat(0, (8 - contentSize % 8) % 8);
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

void ExpectOutlineShows(const std::string& path, const VK7Q_HEADER& loaded)
{
    SceneOutline outline;
    ASSERT_EQ(1, outline.Load(path.c_str())) << SceneStatusText(outline.LastStatus());
    const VK7Q_HEADER& shown = outline.Header();
    EXPECT_EQ(loaded.magic, shown.magic);
    EXPECT_EQ(loaded.version, shown.version);
    EXPECT_EQ(loaded.sectionCount, shown.sectionCount);
    ASSERT_EQ(loaded.textureCount, shown.textureCount);
    for (int i = 0; i < loaded.textureCount; ++i) {
        T3D_TEXTURE expected = loaded.textures[i];
        std::memset(expected.levels, 0, sizeof expected.levels);
        EXPECT_EQ(0, std::memcmp(&expected, &shown.textures[i], sizeof expected)) << "texture " << i;
    }
}
