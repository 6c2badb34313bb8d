// The scene checksum must equal zlib's plain CRC-32 however a range is split
// across threads, continued from any starting CRC.
#include "scene/Checksum.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <vector>

namespace {

uint32_t PlainCrc(const std::vector<uint8_t>& bytes, size_t size, uint32_t start)
{
    return uint32_t(crc32_z(start, bytes.data(), size));
}

TEST(Checksum, MatchesPlainCrcForSmallAndSplitRanges)
{
    std::vector<uint8_t> bytes((size_t(40) << 20) + 7);
    uint32_t x = 12345;
    for (uint8_t& b : bytes) {
        x = x * 1103515245 + 12345;
        b = uint8_t(x >> 16);
    }
    // Sizes below, at and above where the range is split into parts.
    for (size_t size : {size_t(0), size_t(1), size_t(1344), size_t(16) << 20, (size_t(16) << 20) + 1,
                        (size_t(24) << 20) + 3, bytes.size()}) {
        for (uint32_t start : {0u, 0xDEADBEEFu}) {
            EXPECT_EQ(PlainCrc(bytes, size, start), Crc32(bytes.data(), size, start))
                << "size " << size << " start " << start;
        }
    }
    EXPECT_EQ(
        PlainCrc(bytes, bytes.size(), 0),
        CombineCrc32(Crc32(bytes.data(), 1000), Crc32(bytes.data() + 1000, bytes.size() - 1000), bytes.size() - 1000));
}

}  // namespace
