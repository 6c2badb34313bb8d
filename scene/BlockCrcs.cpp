#include "scene/BlockCrcs.h"

#include "scene/Checksum.h"

#include <new>
#include <zlib.h>

bool BlockCrcs::start(const uint8_t* base, uint64_t size)
{
    clear();
    const uint64_t blocks = size / kBlockSize;
    crcs_.reset(new (std::nothrow) uint32_t[blocks > 0 ? blocks : 1]);
    if (!crcs_)
        return false;
    base_ = base;
    size_ = size;
    return true;
}

void BlockCrcs::clear()
{
    base_ = nullptr;
    size_ = 0;
    crcs_.reset();
    complete_ = false;
}

void BlockCrcs::add(uint64_t offset, uint64_t size)
{
    const uint64_t end = offset + size;
    for (uint64_t at = offset; at + kBlockSize <= end; at += kBlockSize)
        crcs_[at / kBlockSize] = Crc32(base_ + at, kBlockSize);
}

uint32_t BlockCrcs::crcOf(const uint8_t* data, uint64_t size, uint32_t crc) const
{
    // Compared as addresses only once `data` is known to lie in the bytes.
    const uintptr_t at = reinterpret_cast<uintptr_t>(data), base = reinterpret_cast<uintptr_t>(base_);
    if (!complete_ || at < base || at - base > size_ || size > size_ - (at - base))
        return Crc32(data, size, crc);
    const uint64_t offset = at - base;
    const uint64_t firstBlock = (offset + kBlockSize - 1) / kBlockSize;
    const uint64_t endBlock = (offset + size) / kBlockSize;
    if (firstBlock >= endBlock)
        return Crc32(data, size, crc);

    static const uLong appendBlock = crc32_combine_gen(z_off_t(kBlockSize));
    crc = Crc32(data, firstBlock * kBlockSize - offset, crc);
    for (uint64_t block = firstBlock; block < endBlock; ++block)
        crc = uint32_t(crc32_combine_op(crc, crcs_[block], appendBlock));
    const uint64_t tail = endBlock * kBlockSize;
    return Crc32(base_ + tail, offset + size - tail, crc);
}
