#include "texture/io/FileWrite.h"
#include "texture/io/FileRead.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Largest single transfer handed to the kernel; Linux moves at most this much
// per call anyway.
constexpr size_t kMaxTransfer = 0x7FFFF000;
// Writes smaller than this are gathered first, so an encoder may hand over a
// few bytes at a time without a system call each.
constexpr size_t kGatherBytes = 64 * 1024;
constexpr int kTemporaryNameAttempts = 100;
// Temporaries are hidden files: ".quorrel.<pid>.<counter>.<stamp>.tmp".
constexpr const char* kTemporaryPrefix = ".quorrel.";
// Links followed in one path at most, as the system does.
constexpr int kMaxLinkHops = 40;

FileWriteStatus StatusOfError(int error, FileWriteStatus otherwise)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return FileWriteStatus::PermissionDenied;
    case ENAMETOOLONG:
        return FileWriteStatus::NameTooLong;
    case ENOENT:
    case ENOTDIR:
        return FileWriteStatus::NoFolder;
    case ENOSPC:
    case EDQUOT:
        return FileWriteStatus::DiskFull;
    default:
        return otherwise;
    }
}

bool WriteAll(int fd, const uint8_t* bytes, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, std::min(size, kMaxTransfer));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= size_t(n);
    }
    return true;
}

// A fresh temporary name; the same process never gives one twice.
std::string TemporaryName()
{
    static std::atomic<unsigned> counter{0};
    static const unsigned long long stamp =
        (unsigned long long)std::chrono::steady_clock::now().time_since_epoch().count();
    char text[80];
    std::snprintf(text, sizeof text, "%s%ld.%u.%llx.tmp", kTemporaryPrefix, long(getpid()), counter++, stamp);
    return text;
}

// A file in the folder that did not exist before, under a fresh temporary name.
int CreateTemporary(int folder, std::string& name)
{
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        name = TemporaryName();
        const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// A file in the folder that has no name yet, so that nothing can see it
// before it is whole and a killed writer leaves nothing behind; -1 where the
// file system cannot make one or the name cannot be given later.
int CreateUnnamed(int folder)
{
    if (::access("/proc/self/fd", X_OK) != 0)
        return -1;
    return ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
}

// Gives the unnamed file `fd` the name in the folder; false with errno EEXIST
// when a file has that name.
bool GiveName(int fd, int folder, const std::string& name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// The number a name in an open-files folder stands for ("1"); -1 for another name.
int DescriptorNumber(const std::string& name)
{
    if (name.empty() || name.size() > 9 || name.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    return int(std::strtol(name.c_str(), nullptr, 10));
}

// Whether `folder` is the folder of this process's open files, by whatever
// path (/proc/self/fd, /dev/fd, /proc/<pid>/fd).
bool IsOwnDescriptorFolder(const std::string& folder)
{
    if (folder == "/proc/self/fd" || folder == "/dev/fd")
        return true;
    struct stat own {};
    struct stat info {};
    return ::stat("/proc/self/fd", &own) == 0 && ::stat(folder.c_str(), &info) == 0 && own.st_dev == info.st_dev &&
           own.st_ino == info.st_ino;
}

// The open file of this process that `path` stands for by its name
// (/dev/stdout, /dev/fd/N, /proc/self/fd/N) or leads to through its links; -1
// when it is none.
int DescriptorOf(std::string path)
{
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        if (path == "/dev/stdin" || path == "/dev/stdout" || path == "/dev/stderr")
            return path == "/dev/stdin" ? 0 : path == "/dev/stdout" ? 1 : 2;
        if (IsOwnDescriptorFolder(FolderOfPath(path)))
            return DescriptorNumber(NameInFolder(path));
        char link[PATH_MAX];
        const ssize_t size = ::readlink(path.c_str(), link, sizeof link);
        if (size <= 0 || size_t(size) >= sizeof link)
            return -1;
        const std::string to(link, size_t(size));
        path = to[0] == '/' ? to : FolderOfPath(path) + "/" + to;
    }
    return -1;
}

bool IsStreamNode(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 &&
           (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) || S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode));
}

// Whether the folder is /dev or one of its folders on the same file system.
// The path is resolved only for a folder on that file system.
bool IsDeviceFolder(int folder, const std::string& path)
{
    struct stat devices {};
    struct stat info {};
    if (::stat("/dev", &devices) != 0 || ::fstat(folder, &info) != 0 || devices.st_dev != info.st_dev)
        return false;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return false;
    const std::string resolved = real;
    std::free(real);
    return resolved == "/dev" || resolved.rfind("/dev/", 0) == 0;
}

// Gives the new file the replaced file's owner, group and permission bits, as
// far as the process may: a process that may not give the owner may still give
// the group it belongs to.
void KeepOwnerAndMode(int fd, const struct stat& old)
{
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)!::fchown(fd, uid_t(-1), old.st_gid);
    (void)!::fchmod(fd, old.st_mode & 07777);  // after fchown, which may clear set-id bits
}

// Whether `entry` is a temporary that a process no longer running left.
bool IsStaleTemporary(const char* entry)
{
    const size_t prefix = std::strlen(kTemporaryPrefix);
    if (std::strncmp(entry, kTemporaryPrefix, prefix) != 0)
        return false;
    long pid = 0;
    unsigned counter = 0;
    unsigned long long stamp = 0;
    int end = 0;
    if (std::sscanf(entry + prefix, "%ld.%u.%llx.tmp%n", &pid, &counter, &stamp, &end) != 3 || end == 0 ||
        entry[prefix + size_t(end)] != '\0')
        return false;
    return pid > 0 && pid != long(getpid()) && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

bool IsStreamTarget(const std::string& path)
{
    return DescriptorOf(path) >= 0 || IsStreamNode(path);
}

std::string FolderOfPath(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameInFolder(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void InputFiles::add(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0)
        files_.emplace_back(info.st_dev, info.st_ino);
    if (S_ISLNK(info.st_mode) && ::stat(path.c_str(), &info) == 0)
        files_.emplace_back(info.st_dev, info.st_ino);
}

bool InputFiles::includes(const std::string& path) const
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return false;
    if (holds(info.st_dev, info.st_ino))
        return true;
    return S_ISLNK(info.st_mode) && ::stat(path.c_str(), &info) == 0 && holds(info.st_dev, info.st_ino);
}

bool InputFiles::holds(dev_t device, ino_t inode) const
{
    return std::find(files_.begin(), files_.end(), std::pair{device, inode}) != files_.end();
}

OutputFile::~OutputFile()
{
    discard();
}

OutputFile::OutputFile(OutputFile&& other) noexcept
{
    *this = std::move(other);
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept
{
    if (this != &other) {
        discard();
        target_ = std::move(other.target_);
        name_ = std::move(other.name_);
        temporary_ = std::move(other.temporary_);
        folder_ = std::exchange(other.folder_, -1);
        fd_ = std::exchange(other.fd_, -1);
        failure_ = other.failure_;
        flushed_ = other.flushed_;
        unnamed_ = other.unnamed_;
        finished_ = other.finished_;
        stream_ = other.stream_;
        gathered_ = std::move(other.gathered_);
        used_ = std::exchange(other.used_, 0);
        expected_ = other.expected_;
        other.temporary_.clear();
    }
    return *this;
}

void OutputFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (folder_ >= 0 && !temporary_.empty())
        ::unlinkat(folder_, temporary_.c_str(), 0);
    if (folder_ >= 0)
        ::close(folder_);
    fd_ = folder_ = -1;
    temporary_.clear();
}

FileWriteStatus OutputFile::create(const std::string& target, const InputFiles& inputs, bool unnamedTemporary,
                                   StreamTargets streams)
{
    discard();
    target_ = target;
    name_ = NameInFolder(target);
    flushed_ = unnamed_ = finished_ = stream_ = false;
    failure_ = FileWriteStatus::Ok;
    used_ = 0;
    expected_ = FileStamp();
    if (name_.empty() || name_ == "." || name_ == "..")
        return FileWriteStatus::NotRegularFile;
    if (name_.size() > NAME_MAX)
        return FileWriteStatus::NameTooLong;
    if (inputs.includes(target))
        return FileWriteStatus::SameAsInput;
    if (streams == StreamTargets::writtenThrough) {
        const int descriptor = DescriptorOf(target);
        if (descriptor >= 0 || IsStreamNode(target))
            return openStream(descriptor, target);
    }

    const std::string folder = FolderOfPath(target);
    folder_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0)
        return StatusOfError(errno, FileWriteStatus::NoFolder);
    if (IsDeviceFolder(folder_, folder))
        return FileWriteStatus::InDeviceFolder;
    struct stat old {};
    const bool replacing = ::fstatat(folder_, name_.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (replacing && !S_ISREG(old.st_mode) && !S_ISLNK(old.st_mode))
        return FileWriteStatus::NotRegularFile;
    const bool replacingFile = replacing && S_ISREG(old.st_mode);
    if (replacingFile && ::faccessat(folder_, name_.c_str(), W_OK, AT_EACCESS) != 0)
        return FileWriteStatus::PermissionDenied;

    fd_ = unnamedTemporary ? CreateUnnamed(folder_) : -1;
    unnamed_ = fd_ >= 0;
    if (!unnamed_)
        fd_ = CreateTemporary(folder_, temporary_);
    if (fd_ < 0) {
        temporary_.clear();
        return StatusOfError(errno, FileWriteStatus::WriteFailed);
    }
    if (replacingFile)
        KeepOwnerAndMode(fd_, old);
    gathered_.reset(new (std::nothrow) uint8_t[kGatherBytes]);
    failure_ = gathered_ ? FileWriteStatus::Ok : FileWriteStatus::WriteFailed;
    return failure_;
}

// Opens the open file `descriptor` of the process again, or the device, FIFO
// or socket `node` when it is -1.
FileWriteStatus OutputFile::openStream(int descriptor, const std::string& node)
{
    if (descriptor >= 0) {
        const int mode = ::fcntl(descriptor, F_GETFL);
        if (mode < 0 || (mode & O_ACCMODE) == O_RDONLY)
            return FileWriteStatus::StreamNotOpen;
        fd_ = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 3);
    } else {
        fd_ = ::open(node.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    }
    if (fd_ < 0)
        return StatusOfError(errno, FileWriteStatus::WriteFailed);
    if (::isatty(fd_)) {
        ::close(std::exchange(fd_, -1));
        return FileWriteStatus::TerminalOutput;
    }
    stream_ = true;
    gathered_.reset(new (std::nothrow) uint8_t[kGatherBytes]);
    failure_ = gathered_ ? FileWriteStatus::Ok : FileWriteStatus::WriteFailed;
    return failure_;
}

// Keeps the first failure, by the system's error number.
void OutputFile::failWith(int error)
{
    if (failure_ == FileWriteStatus::Ok)
        failure_ = StatusOfError(error, FileWriteStatus::WriteFailed);
}

bool OutputFile::writeOut(const uint8_t* data, size_t size)
{
    if (failure_ == FileWriteStatus::Ok && (fd_ < 0 || !WriteAll(fd_, data, size)))
        failWith(fd_ < 0 ? EBADF : errno);
    return failure_ == FileWriteStatus::Ok;
}

bool OutputFile::write(const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (failure_ != FileWriteStatus::Ok || fd_ < 0)
        return false;
    if (used_ + size <= kGatherBytes) {
        std::memcpy(gathered_.get() + used_, bytes, size);
        used_ += size;
        return true;
    }
    const bool gatheredOut = writeOut(gathered_.get(), std::exchange(used_, 0));
    if (size >= kGatherBytes)
        return gatheredOut && writeOut(bytes, size);
    std::memcpy(gathered_.get(), bytes, size);
    used_ = size;
    return gatheredOut;
}

FileWriteStatus OutputFile::finish(bool flushToDisk)
{
    if (fd_ < 0 || finished_)
        return FileWriteStatus::WriteFailed;
    // A pipe, socket or terminal cannot be flushed to disk, and needs not be.
    if (writeOut(gathered_.get(), std::exchange(used_, 0)) && flushToDisk && ::fsync(fd_) != 0 &&
        !(stream_ && (errno == EINVAL || errno == EROFS)))
        failWith(errno);
    // An unnamed file stays open until it is given its name.
    if (!unnamed_ && ::close(std::exchange(fd_, -1)) != 0)
        failWith(errno);
    finished_ = true;
    flushed_ = flushToDisk;
    return failure_;
}

FileWriteStatus OutputFile::writeFailure() const
{
    return failure_ == FileWriteStatus::Ok ? FileWriteStatus::WriteFailed : failure_;
}

FileWriteStatus OutputFile::commit()
{
    if (!finished_ || failure_ != FileWriteStatus::Ok)
        return writeFailure();
    if (stream_) {
        finished_ = false;
        return FileWriteStatus::Ok;
    }
    // What is left between this look and the rename is the one moment in
    // which another program's write can still be lost.
    if (!targetAsExpected())
        return FileWriteStatus::ChangedSinceRead;
    if (unnamed_) {
        // A new file takes its name at once; one that replaces a file gets a
        // temporary name first, and is renamed over the target as below.
        const bool named = GiveName(fd_, folder_, name_);
        for (int attempt = 0; !named && errno == EEXIST && temporary_.empty() && attempt < kTemporaryNameAttempts;
             ++attempt) {
            const std::string name = TemporaryName();
            if (GiveName(fd_, folder_, name))
                temporary_ = name;
        }
        const int error = errno;
        const bool closed = ::close(std::exchange(fd_, -1)) == 0;
        if (!closed || (!named && temporary_.empty()))
            return StatusOfError(closed ? error : EIO, FileWriteStatus::RenameFailed);
        if (named) {
            committed();
            return FileWriteStatus::Ok;
        }
    }
    if (::renameat(folder_, temporary_.c_str(), folder_, name_.c_str()) != 0)
        return StatusOfError(errno, FileWriteStatus::RenameFailed);
    temporary_.clear();
    committed();
    return FileWriteStatus::Ok;
}

// Whether the target still stands as the stamp it was read with says, or is
// gone; its bytes are read again for their CRC only when the stamp has one.
bool OutputFile::targetAsExpected() const
{
    if (!expected_.exists)
        return true;
    struct stat info {};
    if (::fstatat(folder_, name_.c_str(), &info, 0) != 0)
        return errno == ENOENT;
    FileStamp now = StampOfStat(info);
    if (now != expected_)
        return false;
    if (!expected_.hasCrc)
        return true;
    now.hasCrc = FileCrc32(target_, now.crc);
    return now.hasCrc && now.crc == expected_.crc;
}

void OutputFile::committed()
{
    if (flushed_)
        (void)::fsync(folder_);  // the file is in place; a folder that cannot be flushed leaves it to the system
    finished_ = false;
}

void RemoveStaleTemporaries(const std::string& folder)
{
    DIR* entries = ::opendir(folder.c_str());
    if (!entries)
        return;
    while (const dirent* entry = ::readdir(entries)) {
        if (IsStaleTemporary(entry->d_name))
            ::unlinkat(::dirfd(entries), entry->d_name, 0);
    }
    ::closedir(entries);
}

bool FlushFileSystemOf(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = ::syncfs(fd) == 0;
    ::close(fd);
    return flushed;
}
