#include "texture/io/FileRead.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// Largest single transfer handed to the kernel; Linux moves at most this much
// per call anyway.
constexpr uint64_t kMaxTransfer = 0x7FFFF000;

// Bytes read at a time for a file's CRC: large enough for few system calls,
// small enough to stay in the cache while it is summed.
constexpr uint64_t kCrcPieceBytes = uint64_t(1) << 20;

std::atomic<uint64_t> filesOpened{0};

FileReadStatus StatusOfOpenError(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
        return FileReadStatus::NotFound;
    case EACCES:
    case EPERM:
        return FileReadStatus::PermissionDenied;
    case ELOOP:
    case ENXIO:  // a socket, or a FIFO with no writer opened for writing
    case EISDIR:
        return FileReadStatus::NotRegularFile;
    case ENOMEM:
        return FileReadStatus::OutOfMemory;
    default:
        return FileReadStatus::ReadFailed;
    }
}

}  // namespace

InputFile::~InputFile()
{
    close();
}

InputFile::InputFile(InputFile&& other) noexcept
{
    *this = std::move(other);
}

InputFile& InputFile::operator=(InputFile&& other) noexcept
{
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
        modifiedSeconds_ = other.modifiedSeconds_;
        modifiedNanoseconds_ = other.modifiedNanoseconds_;
        summing_ = other.summing_;
        summedTo_ = other.summedTo_;
        crc_ = other.crc_;
    }
    return *this;
}

void InputFile::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

FileReadStatus InputFile::open(const std::string& path)
{
    close();
    // Non-blocking, so that opening a FIFO or device cannot hang; for a
    // regular file the flag changes nothing.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return StatusOfOpenError(errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return FileReadStatus::ReadFailed;
    }
    if (!S_ISREG(info.st_mode) || info.st_size < 0) {
        ::close(fd);
        return FileReadStatus::NotRegularFile;
    }
    fd_ = fd;
    size_ = uint64_t(info.st_size);
    modifiedSeconds_ = int64_t(info.st_mtim.tv_sec);
    modifiedNanoseconds_ = int64_t(info.st_mtim.tv_nsec);
    summing_ = false;
    summedTo_ = 0;
    crc_ = 0;
    ++filesOpened;
    return FileReadStatus::Ok;
}

uint64_t InputFile::FilesOpened()
{
    return filesOpened;
}

FileReadStatus InputFile::readAt(uint64_t offset, uint8_t* out, size_t n) const
{
    return readScattered(offset, {iovec{out, n}});
}

FileReadStatus InputFile::readScattered(uint64_t offset, const std::vector<iovec>& pieces) const
{
    const uint64_t start = offset;
    size_t next = 0;        // first piece not wholly filled
    size_t doneInNext = 0;  // bytes of it already filled
    std::vector<iovec> batch;
    while (next < pieces.size()) {
        batch.clear();
        uint64_t batchBytes = 0;
        for (size_t i = next; i < pieces.size() && batch.size() < IOV_MAX && batchBytes < kMaxTransfer; ++i) {
            const size_t skip = i == next ? doneInNext : 0;
            const uint64_t n = std::min<uint64_t>(pieces[i].iov_len - skip, kMaxTransfer - batchBytes);
            batch.push_back({static_cast<uint8_t*>(pieces[i].iov_base) + skip, size_t(n)});
            batchBytes += n;
        }
        if (batchBytes == 0) {  // only empty pieces left
            ++next;
            doneInNext = 0;
            continue;
        }
        const ssize_t got = ::preadv(fd_, batch.data(), int(batch.size()), off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return FileReadStatus::ReadFailed;  // 0: the file is shorter than it was
        offset += uint64_t(got);
        size_t left = size_t(got);
        while (left > 0) {
            const size_t rest = pieces[next].iov_len - doneInNext;
            if (left < rest) {
                doneInNext += left;
                left = 0;
            } else {
                left -= rest;
                ++next;
                doneInNext = 0;
            }
        }
        while (next < pieces.size() && pieces[next].iov_len == doneInNext) {
            ++next;
            doneInNext = 0;
        }
    }
    if (summing_)
        sumRead(start, pieces);
    return FileReadStatus::Ok;
}

// Adds the pieces, read from `offset` on, to the CRC where they go on from
// the bytes summed so far.
void InputFile::sumRead(uint64_t offset, const std::vector<iovec>& pieces) const
{
    for (const iovec& piece : pieces) {
        const uint64_t end = offset + piece.iov_len;
        if (offset <= summedTo_ && summedTo_ < end) {
            const uint8_t* bytes = static_cast<const uint8_t*>(piece.iov_base) + (summedTo_ - offset);
            crc_ = Crc32Of(bytes, size_t(end - summedTo_), crc_);
            summedTo_ = end;
        }
        offset = end;
    }
}

bool InputFile::unchanged() const
{
    struct stat info {};
    return fd_ >= 0 && ::fstat(fd_, &info) == 0 && uint64_t(info.st_size) == size_ &&
           int64_t(info.st_mtim.tv_sec) == modifiedSeconds_ && int64_t(info.st_mtim.tv_nsec) == modifiedNanoseconds_;
}

FileStamp InputFile::stamp() const
{
    struct stat info {};
    return fd_ >= 0 && ::fstat(fd_, &info) == 0 ? StampOfStat(info) : FileStamp();
}

void InputFile::sumCrc()
{
    summing_ = true;
}

bool InputFile::wholeCrc(uint32_t& crc) const
{
    if (!summing_)
        return false;
    const size_t pieceBytes = size_t(std::clamp<uint64_t>(size_ - std::min(summedTo_, size_), 1, kCrcPieceBytes));
    const std::unique_ptr<uint8_t[]> piece(new (std::nothrow) uint8_t[pieceBytes]);
    if (!piece)
        return false;
    while (summedTo_ < size_) {
        if (readAt(summedTo_, piece.get(), size_t(std::min<uint64_t>(pieceBytes, size_ - summedTo_))) !=
            FileReadStatus::Ok)
            return false;
    }
    crc = crc_;
    return unchanged();
}

FileStamp InputFile::stampWithCrc() const
{
    FileStamp stamp = this->stamp();
    stamp.hasCrc = stamp.exists && wholeCrc(stamp.crc);
    return stamp;
}

namespace {

FileReadStatus ReadWholeFileOnce(const std::string& path, ByteBlock& out, uint64_t maxBytes)
{
    InputFile file;
    if (const FileReadStatus status = file.open(path); status != FileReadStatus::Ok)
        return status;
    if (file.size() > maxBytes || file.size() > SIZE_MAX)
        return FileReadStatus::TooLarge;
    if (!out.allocate(size_t(file.size())))
        return FileReadStatus::OutOfMemory;
    const FileReadStatus status = file.readAt(0, out.data(), out.size());
    // A file that shrank ends the read early; one that grew or was rewritten
    // in place shows in its size or modification time.
    if (!file.unchanged())
        return FileReadStatus::Changed;
    return status;
}

}  // namespace

FileReadStatus ReadWholeFile(const std::string& path, ByteBlock& out, uint64_t maxBytes)
{
    FileReadStatus status = ReadWholeFileOnce(path, out, maxBytes);
    if (status == FileReadStatus::Changed)
        status = ReadWholeFileOnce(path, out, maxBytes);
    if (status != FileReadStatus::Ok)
        out = ByteBlock();
    return status;
}

FileStamp StampWithCrc(const std::string& path)
{
    FileStamp stamp = StampOf(path);
    stamp.hasCrc = stamp.exists && FileCrc32(path, stamp.crc);
    return stamp;
}

bool FileCrc32(const std::string& path, uint32_t& crc, uint64_t maxBytes)
{
    InputFile file;
    if (file.open(path) != FileReadStatus::Ok || file.size() > maxBytes)
        return false;
    file.sumCrc();
    return file.wholeCrc(crc);
}
