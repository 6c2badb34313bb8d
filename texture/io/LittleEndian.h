// Little-endian integers in byte buffers, read and written a byte at a time so
// that neither the host's byte order nor alignment matters.
#pragma once

#include <cstdint>
#include <vector>

inline uint16_t GetU16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

inline uint32_t GetU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline uint64_t GetU64(const uint8_t* p)
{
    return uint64_t(GetU32(p)) | uint64_t(GetU32(p + 4)) << 32;
}

inline void PutU16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

inline void PutU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

inline void PutU64(uint8_t* p, uint64_t v)
{
    PutU32(p, uint32_t(v));
    PutU32(p + 4, uint32_t(v >> 32));
}

inline void AppendU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.resize(out.size() + 2);
    PutU16(out.data() + out.size() - 2, v);
}

inline void AppendU32(std::vector<uint8_t>& out, uint32_t v)
{
    out.resize(out.size() + 4);
    PutU32(out.data() + out.size() - 4, v);
}

inline void AppendU64(std::vector<uint8_t>& out, uint64_t v)
{
    out.resize(out.size() + 8);
    PutU64(out.data() + out.size() - 8, v);
}
