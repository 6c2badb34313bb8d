// The whole contents of a file, read-only, in memory. A regular file is mapped
// (its pages come straight from the page cache, so decoding copies each byte
// once); where mapping fails the file is read in one go instead.
#pragma once

#include <cstddef>
#include <cstdint>

class MappedFile {
public:
    enum class Status { Ok, CannotOpen, CannotRead };

    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // CannotOpen: no such file, no access, or a folder. CannotRead: opened,
    // but its bytes could not be had.
    Status open(const char* path);

    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    void release();
    bool readAll(int fd, size_t sizeHint);

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    void* mapping_ = nullptr;
    uint8_t* copy_ = nullptr;  // malloc-owned, when read rather than mapped
};
