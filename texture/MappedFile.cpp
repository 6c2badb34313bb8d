#include "texture/MappedFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes a descriptor when it goes out of scope.
struct FileDescriptor {
    int fd;
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

MappedFile::~MappedFile()
{
    release();
}

MappedFile::Status MappedFile::open(const char* path)
{
    release();
    const FileDescriptor file{::open(path, O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0)
        return Status::CannotOpen;
    struct stat info {};
    if (::fstat(file.fd, &info) != 0)
        return Status::CannotRead;
    if (S_ISDIR(info.st_mode))
        return Status::CannotOpen;

    const bool regular = S_ISREG(info.st_mode);
    if (regular && info.st_size > 0 && uint64_t(info.st_size) <= SIZE_MAX) {
        const size_t size = size_t(info.st_size);
        void* mapping = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, file.fd, 0);
        if (mapping != MAP_FAILED) {
            mapping_ = mapping;
            data_ = static_cast<const uint8_t*>(mapping);
            size_ = size;
            return Status::Ok;
        }
    }
    return readAll(file.fd, regular ? size_t(info.st_size) : 0) ? Status::Ok : Status::CannotRead;
}

bool MappedFile::readAll(int fd, size_t sizeHint)
{
    constexpr size_t kChunk = 1 << 16;
    size_t capacity = 0;
    size_t filled = 0;
    for (;;) {
        if (capacity - filled < kChunk) {
            const size_t grown = capacity ? capacity * 2 : sizeHint + kChunk;
            if (grown <= capacity)
                return false;
            auto* bigger = static_cast<uint8_t*>(std::realloc(copy_, grown));
            if (!bigger)
                return false;
            copy_ = bigger;
            capacity = grown;
        }
        const ssize_t n = ::read(fd, copy_ + filled, capacity - filled);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        filled += size_t(n);
    }
    data_ = copy_;
    size_ = filled;
    return true;
}

void MappedFile::release()
{
    if (mapping_)
        ::munmap(mapping_, size_);
    mapping_ = nullptr;
    data_ = nullptr;
    size_ = 0;
    std::free(copy_);
    copy_ = nullptr;
}
