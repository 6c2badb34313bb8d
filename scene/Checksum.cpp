#include "scene/Checksum.h"

#include <zlib.h>

uint32_t Crc32(const uint8_t* data, uint64_t size, uint32_t crc)
{
    // crc32_z takes a size_t; feed larger ranges in pieces on narrow machines.
    constexpr uint64_t kPiece = uint64_t(1) << 30;
    while (size > 0) {
        const uint64_t n = size < kPiece ? size : kPiece;
        crc = uint32_t(crc32_z(crc, data, size_t(n)));
        data += n;
        size -= n;
    }
    return crc;
}

uint32_t CombineCrc32(uint32_t crcA, uint32_t crcB, uint64_t sizeB)
{
    return uint32_t(crc32_combine(crcA, crcB, z_off_t(sizeB)));
}
