// An owned, uninitialised block of bytes: a file's bytes as read, or a scene's
// replaced texture pixels. Large blocks are asked for in huge pages,
// which makes filling a block of a gigabyte several times faster than with
// ordinary pages. Blocks move but do not copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Uninitialised memory for `size` bytes (at least one), freed with free(); a
// block of 2 MiB and more is aligned to a huge page and marked for huge pages,
// so that filling it costs a few dozen page faults instead of thousands.
// nullptr when the memory cannot be had.
uint8_t* AllocateBytes(size_t size);

class ByteBlock {
public:
    // False, and an empty block, when the memory cannot be had.
    bool allocate(size_t size);

    uint8_t* data() { return bytes_.get(); }
    const uint8_t* data() const { return bytes_.get(); }
    size_t size() const { return size_; }

private:
    struct Release {
        void operator()(uint8_t* bytes) const;
    };
    std::unique_ptr<uint8_t, Release> bytes_;
    size_t size_ = 0;
};
