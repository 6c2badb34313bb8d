#include "texture/io/FileStamp.h"

#include <ctime>
#include <libdeflate.h>

namespace {

int64_t Nanoseconds(const timespec& time)
{
    return int64_t(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

}  // namespace

bool FileStamp::operator==(const FileStamp& other) const
{
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
           modified == other.modified && changed == other.changed && (!hasCrc || !other.hasCrc || crc == other.crc);
}

FileStamp StampOfStat(const struct stat& info)
{
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = uint64_t(info.st_size);
    stamp.modified = Nanoseconds(info.st_mtim);
    stamp.changed = Nanoseconds(info.st_ctim);
    return stamp;
}

FileStamp StampOf(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? StampOfStat(info) : FileStamp();
}

int64_t NowNanoseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
}

bool ModifiedWithinTickOf(const FileStamp& stamp, int64_t readAt)
{
    return stamp.modified > readAt - kSameTickNanoseconds;
}

uint32_t Crc32Of(const void* data, size_t size, uint32_t crc)
{
    return libdeflate_crc32(crc, data, size);
}
