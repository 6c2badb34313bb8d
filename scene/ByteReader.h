// A bounds-checked cursor over a loaded scene file's bytes. A read that asks
// for more than remains fails and moves nothing: a truncated file is an error,
// never silent zeros. Sizes come in as 64-bit values straight from the file.
// Views are mutable because the scene owns the bytes and its records point
// into them.
#pragma once

#include "scene/LittleEndian.h"

#include <cstddef>
#include <cstdint>

class ByteReader {
public:
    ByteReader(uint8_t* data, size_t size) : begin_(data), at_(data), end_(data + size) {}

    size_t offset() const { return size_t(at_ - begin_); }
    size_t remaining() const { return size_t(end_ - at_); }

    // Views the next n bytes in place and steps past them.
    bool view(uint64_t n, uint8_t*& out)
    {
        if (remaining() < n)
            return false;
        out = at_;
        at_ += n;
        return true;
    }

    bool u16(uint16_t& v) { return read(2, v, GetU16); }
    bool u32(uint32_t& v) { return read(4, v, GetU32); }
    bool u64(uint64_t& v) { return read(8, v, GetU64); }

    // Steps past n bytes that must all be zero.
    bool zeros(uint64_t n)
    {
        uint8_t* bytes;
        if (!view(n, bytes))
            return false;
        for (uint64_t i = 0; i < n; ++i)
            if (bytes[i] != 0)
                return false;
        return true;
    }

private:
    template <typename T, typename Get>
    bool read(size_t n, T& v, Get get)
    {
        uint8_t* bytes;
        if (!view(n, bytes))
            return false;
        v = get(bytes);
        return true;
    }

    uint8_t* begin_;
    uint8_t* at_;
    uint8_t* end_;
};
