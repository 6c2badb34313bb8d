// A bounds-checked cursor over bytes in memory, for everything that decodes a
// file's bytes (TGA headers and run-length data, scene files). Every read says
// whether the bytes were there: asking for more than remains means the input
// is truncated, and nothing is read or skipped. Multi-byte values are
// little-endian. ByteCursor reads bytes it may not change; MutableByteCursor
// hands out views into bytes their owner keeps and may point into (a loaded
// scene's records point into its file's bytes).
#pragma once

#include "texture/io/LittleEndian.h"

#include <cstddef>
#include <cstdint>

template <typename Byte>
class BasicByteCursor {
public:
    BasicByteCursor(Byte* data, size_t size) : begin_(data), at_(data), end_(data + size) {}

    size_t offset() const { return size_t(at_ - begin_); }
    size_t remaining() const { return size_t(end_ - at_); }

    // The next n bytes, in place, or nullptr (and no move) when fewer remain.
    [[nodiscard]] Byte* take(uint64_t n)
    {
        if (remaining() < n)
            return nullptr;
        Byte* bytes = at_;
        at_ += n;
        return bytes;
    }

    [[nodiscard]] bool skip(uint64_t n) { return take(n) != nullptr; }

    // Steps past n bytes that must all be zero.
    [[nodiscard]] bool zeros(uint64_t n)
    {
        const Byte* bytes = take(n);
        if (!bytes)
            return false;
        for (uint64_t i = 0; i < n; ++i) {
            if (bytes[i] != 0)
                return false;
        }
        return true;
    }

    [[nodiscard]] bool readU8(uint8_t& value)
    {
        return read(1, value, [](const uint8_t* b) { return b[0]; });
    }
    [[nodiscard]] bool readU16(uint16_t& value) { return read(2, value, GetU16); }
    [[nodiscard]] bool readU32(uint32_t& value) { return read(4, value, GetU32); }
    [[nodiscard]] bool readU64(uint64_t& value) { return read(8, value, GetU64); }

private:
    template <typename T, typename Get>
    bool read(size_t n, T& value, Get get)
    {
        const Byte* bytes = take(n);
        if (bytes)
            value = get(bytes);
        return bytes != nullptr;
    }

    Byte* begin_;
    Byte* at_;
    Byte* end_;
};

using ByteCursor = BasicByteCursor<const uint8_t>;
using MutableByteCursor = BasicByteCursor<uint8_t>;
