// The CRC-32s of a file's bytes block by block, worked out while the file is
// read, each block on the core that has just read it and while it is still in
// that core's cache. The CRC of a range of the file is then put together from
// the blocks it covers (zlib combines them); only its ragged ends, less than a
// block each, are checksummed again. A range outside the bytes, or a block not
// worked out, is checksummed afresh, so the answer is always Crc32's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class BlockCrcs {
public:
    // Small enough that a section's ragged ends cost little, large enough that
    // combining the blocks of a gigabyte takes a few milliseconds.
    static constexpr uint64_t kBlockSize = uint64_t(32) << 10;

    // Makes room for the CRCs of the `size` bytes from `base`, none worked out
    // yet. False when the memory cannot be had: ranges are then checksummed
    // afresh.
    bool start(const uint8_t* base, uint64_t size);
    // Forgets the bytes and their CRCs.
    void clear();

    // Works out the CRCs of the blocks in the `size` bytes from `offset`, a
    // multiple of kBlockSize; a block cut short by the end of the bytes is
    // left out. Calls for ranges that share no block may run at once.
    void add(uint64_t offset, uint64_t size);
    // Says that every block has been added: from now on crcOf uses them.
    void finish() { complete_ = crcs_ != nullptr; }
    // Whether crcOf uses the blocks.
    bool complete() const { return complete_; }

    // The CRC of `size` bytes at `data`, continuing from `crc`: the same value
    // as Crc32(data, size, crc).
    uint32_t crcOf(const uint8_t* data, uint64_t size, uint32_t crc = 0) const;

private:
    const uint8_t* base_ = nullptr;
    uint64_t size_ = 0;
    std::unique_ptr<uint32_t[]> crcs_;  // one for each whole block
    bool complete_ = false;
};
