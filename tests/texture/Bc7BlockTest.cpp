// The BC7 block decoder against Pillow's decoding of the same blocks:
// tests/texture/data holds a DDS file of BC7 blocks of every mode, partition,
// rotation and index selection, and the pixels Pillow made of it
// (scripts/make-bc7-references.py makes both).
#include "texture/dds/Bc7Block.h"
#include "support/TempDir.h"
#include "texture/io/LittleEndian.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

TEST(Bc7Block, DecodesEveryBlockAsPillowDoes)
{
    const std::filesystem::path data = std::filesystem::path(QUORREL_SOURCE_DIR) / "tests/texture/data";
    const std::string dds = ReadFileBytes((data / "bc7-blocks.dds").string());
    const std::string expected = ReadFileBytes((data / "bc7-blocks.rgba").string());
    constexpr size_t kHeadersBytes = 4 + 124 + 20;  // magic, header, DX10 header
    ASSERT_GT(dds.size(), kHeadersBytes);
    const auto* bytes = reinterpret_cast<const uint8_t*>(dds.data());
    const unsigned width = GetU32(bytes + 16), height = GetU32(bytes + 12);
    const size_t blocks = size_t(width / 4) * (height / 4);
    ASSERT_EQ(dds.size(), kHeadersBytes + blocks * 16);
    ASSERT_EQ(expected.size(), blocks * 64);

    for (size_t n = 0; n < blocks; ++n) {
        const uint8_t* block = bytes + kHeadersBytes + n * 16;
        uint8_t rgba[64];
        DecodeBc7Block(block, rgba);
        const size_t x = n % (width / 4) * 4, y = n / (width / 4) * 4;
        for (size_t row = 0; row < 4; ++row) {
            const std::string theirs = expected.substr(((y + row) * width + x) * 4, 16);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(rgba + row * 16), 16), theirs)
                << "block " << n << " (first byte " << unsigned(block[0]) << "), row " << row;
        }
    }
}
