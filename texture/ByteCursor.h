// A bounds-checked reader over bytes in memory. Every read says whether the
// bytes were there: fewer remaining than asked for means the input is
// truncated, and nothing is read.
#pragma once

#include <cstddef>
#include <cstdint>

class ByteCursor {
public:
    ByteCursor(const uint8_t* data, size_t size) : at_(data), end_(data + size) {}

    size_t remaining() const { return size_t(end_ - at_); }

    // The next n bytes, or nullptr (and no move) when fewer remain.
    const uint8_t* take(size_t n)
    {
        if (remaining() < n)
            return nullptr;
        const uint8_t* bytes = at_;
        at_ += n;
        return bytes;
    }

    bool skip(size_t n) { return take(n) != nullptr; }

    bool readU8(uint8_t& value)
    {
        const uint8_t* b = take(1);
        if (b)
            value = b[0];
        return b != nullptr;
    }

    bool readU16(uint16_t& value)
    {
        const uint8_t* b = take(2);
        if (b)
            value = uint16_t(b[0] | b[1] << 8);
        return b != nullptr;
    }

private:
    const uint8_t* at_;
    const uint8_t* end_;
};
