// How a file stands on disk, to tell later whether it is still the file that
// was read: whether it is there, its device and inode, its size, and its
// modification and change times to the nanosecond.
//
// A rewrite in place with the same size within one tick of the file system's
// clock leaves all of these as they were. So where a file was modified within
// a second of the moment it was read (kSameTickNanoseconds: no file system
// ticks slower), its stamp also carries the CRC-32 of its bytes, and a later
// look at it reads the file again for its CRC.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/stat.h>

// The widest tick of a file system's clock: a file modified this close to the
// moment it was read may change again without its times showing it.
constexpr int64_t kSameTickNanoseconds = 1'000'000'000;

struct FileStamp {
    bool exists = false;
    uint64_t device = 0, inode = 0, size = 0;
    int64_t modified = 0, changed = 0;  // nanoseconds since the epoch
    bool hasCrc = false;                // the file's bytes were read for `crc`
    uint32_t crc = 0;

    // Equal stamps; the CRCs count where both have one.
    bool operator==(const FileStamp& other) const;
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
    // The same file by device and inode, whatever became of its contents.
    bool sameFile(const FileStamp& other) const
    {
        return exists && other.exists && device == other.device && inode == other.inode;
    }
};

// The stamp of what `info` describes.
FileStamp StampOfStat(const struct stat& info);
// How `path` stands now (links followed), without its CRC; `exists` false when
// nothing is there or it cannot be asked.
FileStamp StampOf(const std::string& path);

// The current time, in nanoseconds since the epoch, as file times count it.
int64_t NowNanoseconds();
// Whether the file was modified so close to `readAt` (or after it) that a
// rewrite in the same tick could leave its stamp as it is.
bool ModifiedWithinTickOf(const FileStamp& stamp, int64_t readAt);

// The CRC-32 of the bytes, continuing `crc` (0 to start).
uint32_t Crc32Of(const void* data, size_t size, uint32_t crc = 0);
