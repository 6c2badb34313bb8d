#include "scene/SceneFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

namespace {

// Largest single transfer handed to the kernel; Linux moves at most this much
// per call anyway.
constexpr uint64_t kMaxTransfer = 0x7FFFF000;
constexpr int kTemporaryNameAttempts = 100;

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A file beside `path` that did not exist before; -1 when none can be made.
int CreateTemporaryBeside(const std::string& path, std::string& temporaryPath)
{
    static std::atomic<unsigned> counter{0};
    const unsigned long long stamp =
        (unsigned long long)std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".%ld.%u.%llx.tmp", long(getpid()), counter++, stamp);
        temporaryPath = path + suffix;
        const int fd = open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

std::string NameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether `entry` is a temporary file that a writer of `name` made and left
// behind when it was killed: named as CreateTemporaryBeside names them, by a
// process that no longer runs.
bool IsStaleTemporary(const char* entry, const std::string& name)
{
    if (std::strncmp(entry, name.c_str(), name.size()) != 0 || entry[name.size()] != '.')
        return false;
    long pid = 0;
    unsigned counter = 0;
    unsigned long long stamp = 0;
    int end = 0;
    if (std::sscanf(entry + name.size(), ".%ld.%u.%llx.tmp%n", &pid, &counter, &stamp, &end) != 3 ||
        entry[name.size() + size_t(end)] != '\0' || end == 0)
        return false;
    return pid > 0 && pid != long(getpid()) && kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

// Removes what killed writers of `path` left beside it. A writer that still
// runs keeps its file; one that ended normally left nothing.
void RemoveStaleTemporaries(const std::string& path)
{
    DIR* folder = opendir(FolderOf(path).c_str());
    if (!folder)
        return;
    const std::string name = NameOf(path);
    while (const dirent* entry = readdir(folder)) {
        if (IsStaleTemporary(entry->d_name, name))
            unlinkat(dirfd(folder), entry->d_name, 0);
    }
    closedir(folder);
}

// Writes every span, however the kernel splits the transfers.
bool WriteSpans(int fd, const std::vector<ByteSpan>& spans)
{
    size_t next = 0;        // first span not wholly written
    uint64_t doneInNext = 0;  // bytes of it already written
    std::vector<iovec> batch;
    while (next < spans.size()) {
        batch.clear();
        uint64_t batchBytes = 0;
        for (size_t i = next; i < spans.size() && batch.size() < IOV_MAX && batchBytes < kMaxTransfer; ++i) {
            const uint64_t skip = i == next ? doneInNext : 0;
            uint64_t n = spans[i].size - skip;
            if (n > kMaxTransfer - batchBytes)
                n = kMaxTransfer - batchBytes;
            batch.push_back({const_cast<uint8_t*>(spans[i].data + skip), size_t(n)});
            batchBytes += n;
        }
        const ssize_t written = writev(fd, batch.data(), int(batch.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        uint64_t left = uint64_t(written);
        while (left > 0) {
            const uint64_t rest = spans[next].size - doneInNext;
            if (left < rest) {
                doneInNext += left;
                left = 0;
            } else {
                left -= rest;
                ++next;
                doneInNext = 0;
            }
        }
    }
    return true;
}

// The cause of a failed write from the system's error number.
SceneStatus WriteFailure(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: return SceneFailure(SceneCause::PermissionDenied);
    case ENOENT:
    case ENOTDIR: return SceneFailure(SceneCause::FolderMissing);
    case ENOSPC:
    case EDQUOT: return SceneFailure(SceneCause::DiskFull);
    default: return SceneFailure(SceneCause::WriteFailed, error != 0 ? std::strerror(error) : "");
    }
}

void SyncFolder(const std::string& folder)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    // The rename is done; a folder that cannot be flushed leaves it to the system.
    fsync(fd);
    close(fd);
}

}  // namespace

std::string WithSceneExtension(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > nameStart;
    struct stat info;
    const bool existingFile = stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    return hasExtension || existingFile ? path : path + ".T3D";
}

FileReadStatus ReadSceneFile(const std::string& path, ByteBlock& out)
{
    return ReadWholeFile(path, out, SIZE_MAX);
}

SceneStatus WriteFileAtomically(const std::string& path, const ScenePieces& pieces)
{
    struct stat existing;
    const bool replacing = stat(path.c_str(), &existing) == 0;
    if (path.empty() || path.back() == '/' || (replacing && !S_ISREG(existing.st_mode)))
        return SceneFailure(SceneCause::NotRegularFile);
    if (replacing && access(path.c_str(), W_OK) != 0)
        return WriteFailure(errno);

    RemoveStaleTemporaries(path);
    std::string temporaryPath;
    const int fd = CreateTemporaryBeside(path, temporaryPath);
    if (fd < 0)
        return WriteFailure(errno);
    int error = 0;
    const auto step = [&error](bool done) {
        if (!done && error == 0)
            error = errno;
        return done;
    };
    bool ok = step(!replacing || fchmod(fd, existing.st_mode & 07777) == 0) && step(WriteSpans(fd, pieces.spans())) &&
              step(fsync(fd) == 0);
    ok = step(close(fd) == 0) && ok;
    ok = ok && step(rename(temporaryPath.c_str(), path.c_str()) == 0);
    if (!ok) {
        unlink(temporaryPath.c_str());
        return WriteFailure(error);
    }
    SyncFolder(FolderOf(path));
    return {};
}
