// CRC-32 (zlib's polynomial and conventions) over byte ranges of any size,
// with libdeflate's routine (carry-less multiply where the processor has it);
// zlib combines the CRCs of parts. A range of many megabytes is checksummed on
// every core: helper threads that live only for the call, which returns when
// all are done.
#pragma once

#include <cstddef>
#include <cstdint>

// The CRC of `size` bytes, continuing from `crc` (0 to start).
uint32_t Crc32(const uint8_t* data, uint64_t size, uint32_t crc = 0);
// The CRC of A followed by B, from the CRCs of A and B and B's length.
uint32_t CombineCrc32(uint32_t crcA, uint32_t crcB, uint64_t sizeB);
