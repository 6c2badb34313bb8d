// The scene checksum must equal zlib's plain CRC-32 however a range is split
// across threads or put together from the CRCs of blocks worked out while a
// file was read, continued from any starting CRC.
#include "scene/Checksum.h"
#include "scene/BlockCrcs.h"
#include "scene/SceneFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

uint32_t PlainCrc(const uint8_t* data, size_t size, uint32_t start)
{
    return uint32_t(crc32_z(start, data, size));
}

// Bytes from a fixed generator, so a failure can be run again.
std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (uint8_t& b : bytes) {
        seed = seed * 1103515245 + 12345;
        b = uint8_t(seed >> 16);
    }
    return bytes;
}

TEST(Checksum, MatchesPlainCrcForSmallSplitAndUnalignedRanges)
{
    const std::vector<uint8_t> bytes = RandomBytes((size_t(40) << 20) + 7, 12345);
    // Sizes below, at and above where the range is split into parts.
    for (size_t size : {size_t(0), size_t(1), size_t(1344), size_t(16) << 20, (size_t(16) << 20) + 1,
                        (size_t(24) << 20) + 3, bytes.size()}) {
        for (uint32_t start : {0u, 0xDEADBEEFu}) {
            EXPECT_EQ(PlainCrc(bytes.data(), size, start), Crc32(bytes.data(), size, start))
                << "size " << size << " start " << start;
        }
    }
    // Odd lengths from odd addresses, short and long.
    for (size_t size = 1, at = 3; size < 300000; size = size * 3 + 1, at = (at * 7 + 1) % 61)
        EXPECT_EQ(PlainCrc(bytes.data() + at, size, 7), Crc32(bytes.data() + at, size, 7)) << "size " << size;
    EXPECT_EQ(
        PlainCrc(bytes.data(), bytes.size(), 0),
        CombineCrc32(Crc32(bytes.data(), 1000), Crc32(bytes.data() + 1000, bytes.size() - 1000), bytes.size() - 1000));
}

// Reads the file as a load does and checks the CRC of ranges at every kind of
// place: within a block, across blocks, to the file's cut-short last block,
// whole, empty, and outside the file's bytes.
void ExpectBlockCrcsMatch(const std::string& path, bool newFormat)
{
    ByteBlock bytes;
    BlockCrcs crcs;
    ASSERT_EQ(FileReadStatus::Ok, ReadSceneFile(path, bytes, crcs)) << path;
    EXPECT_EQ(newFormat, crcs.complete()) << path;
    const uint8_t* data = bytes.data();
    const size_t size = bytes.size();
    EXPECT_EQ(PlainCrc(data, size, 0), crcs.crcOf(data, size)) << path;
    constexpr size_t kBlock = BlockCrcs::kBlockSize;
    for (size_t begin : {size_t(0), size_t(1), kBlock - 1, kBlock, 3 * kBlock + 5, size / 2 + 1, size - 1, size}) {
        for (size_t length :
             {size_t(0), size_t(1), kBlock - 1, kBlock, kBlock + 1, 2 * kBlock + 7, 5 * kBlock - 3, size / 3, size}) {
            if (begin > size || length > size - begin)
                continue;
            EXPECT_EQ(PlainCrc(data + begin, length, 0xDEADBEEF), crcs.crcOf(data + begin, length, 0xDEADBEEF))
                << path << ": " << length << " bytes from " << begin;
        }
    }
    const std::vector<uint8_t> elsewhere = RandomBytes(3 * kBlock + 1, 5);
    EXPECT_EQ(PlainCrc(elsewhere.data(), elsewhere.size(), 0), crcs.crcOf(elsewhere.data(), elsewhere.size()));
}

TEST(Checksum, CrcsWorkedOutWhileReadingMatchPlainCrc)
{
    // The sample scenes, and a file of the new format's magic and odd length
    // large enough to be read on every core.
    const std::filesystem::path samples = QUORREL_SAMPLES_DIR;
    ExpectBlockCrcsMatch((samples / "scene_new.T3D").string(), true);
    ExpectBlockCrcsMatch((samples / "scene_old.T3D").string(), false);
    for (const auto& entry : std::filesystem::directory_iterator(samples / "tga")) {
        const std::string bytes = ReadFileBytes(entry.path().string());
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        EXPECT_EQ(PlainCrc(data, bytes.size(), 0), Crc32(data, bytes.size())) << entry.path();
    }

    TempDir dir;
    std::vector<uint8_t> large = RandomBytes((size_t(17) << 20) + 13, 99);
    std::copy_n("VK7N", 4, large.begin());
    ASSERT_TRUE(WriteFileBytes(dir.file("large.T3D"), std::string(large.begin(), large.end())));
    ExpectBlockCrcsMatch(dir.file("large.T3D"), true);
}

}  // namespace
