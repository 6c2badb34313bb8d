#include "scene/SceneFile.h"

#include "scene/SceneFormat.h"
#include "texture/TextureReport.h"
#include "texture/io/FileWrite.h"
#include "texture/io/LittleEndian.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// Bytes asked for in one read: whole CRC blocks, few enough that they are
// still in the reading core's cache when their CRCs are worked out.
constexpr uint64_t kReadChunk = uint64_t(1) << 20;
static_assert(kReadChunk % BlockCrcs::kBlockSize == 0);
// Below this many chunks for each reader a helper thread costs more than it
// saves.
constexpr uint64_t kMinChunksPerReader = 8;
constexpr unsigned kMaxReaders = 8;
// A write looks whether it was cancelled after each step of this many bytes.
constexpr uint64_t kWriteStep = uint64_t(64) << 20;
constexpr const char* kCancelledWrite = "cancelled before it was put in place";

// One file's chunks, handed out in order to whichever reader asks next.
struct ChunkedRead {
    const InputFile& file;
    uint8_t* bytes;
    uint64_t size;
    BlockCrcs* crcs;                  // nullptr when no CRCs are wanted
    const std::atomic<bool>* cancel;  // nullptr: never
    std::atomic<uint64_t> nextChunk{0};
    std::atomic<bool> failed{false};
    std::atomic<bool> cancelled{false};
};

void* ReadChunks(void* argument)
{
    ChunkedRead& read = *static_cast<ChunkedRead*>(argument);
    const uint64_t chunks = (read.size + kReadChunk - 1) / kReadChunk;
    for (uint64_t chunk = read.nextChunk++; chunk < chunks && !read.failed; chunk = read.nextChunk++) {
        if (read.cancel && read.cancel->load()) {
            read.cancelled = true;
            read.failed = true;
            break;
        }
        const uint64_t offset = chunk * kReadChunk;
        const uint64_t n = std::min(kReadChunk, read.size - offset);
        if (read.file.readAt(offset, read.bytes + offset, size_t(n)) != FileReadStatus::Ok) {
            read.failed = true;
            break;
        }
        if (read.crcs)
            read.crcs->add(offset, n);
    }
    return nullptr;
}

unsigned ReaderCount(uint64_t size)
{
    const uint64_t readers = size / (kMinChunksPerReader * kReadChunk);
    if (readers < 2)
        return 1;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return unsigned(std::min<uint64_t>({readers, cores, kMaxReaders}));
}

// Reads the file's bytes on this thread and helpers, each reader taking the
// next chunk and working out its CRCs at once. A helper that cannot be started
// only leaves more chunks to the others.
FileReadStatus ReadChunked(const InputFile& file, ByteBlock& out, BlockCrcs* crcs, const std::atomic<bool>* cancel)
{
    ChunkedRead read{file, out.data(), out.size(), crcs, cancel};
    pthread_t helpers[kMaxReaders];
    bool started[kMaxReaders] = {};
    const unsigned readers = ReaderCount(out.size());
    for (unsigned i = 1; i < readers; ++i)
        started[i] = pthread_create(&helpers[i], nullptr, ReadChunks, &read) == 0;
    ReadChunks(&read);
    for (unsigned i = 1; i < readers; ++i) {
        if (started[i])
            pthread_join(helpers[i], nullptr);
    }
    if (read.cancelled)
        return FileReadStatus::Cancelled;
    return read.failed ? FileReadStatus::ReadFailed : FileReadStatus::Ok;
}

FileReadStatus ReadSceneFileOnce(const std::string& path, ByteBlock& out, BlockCrcs& crcs,
                                 const std::atomic<bool>* cancel, FileStamp* stamp)
{
    const int64_t readAt = NowNanoseconds();
    InputFile file;
    if (const FileReadStatus status = file.open(path); status != FileReadStatus::Ok)
        return status;
    if (file.size() > SIZE_MAX)
        return FileReadStatus::TooLarge;
    if (!out.allocate(size_t(file.size())))
        return FileReadStatus::OutOfMemory;
    // Only the new format carries CRCs: the magic decides, read on its own.
    uint8_t magic[4];
    const bool newFormat = file.size() >= sizeof magic && file.readAt(0, magic, sizeof magic) == FileReadStatus::Ok &&
                           GetU32(magic) == kNewSceneMagic;
    const bool withCrcs = newFormat && crcs.start(out.data(), out.size());
    const FileReadStatus status = ReadChunked(file, out, withCrcs ? &crcs : nullptr, cancel);
    if (status == FileReadStatus::Cancelled)
        return status;
    // A file that shrank ends the read early; one that grew or was rewritten
    // in place shows in its size or modification time.
    if (!file.unchanged())
        return FileReadStatus::Changed;
    if (status == FileReadStatus::Ok && withCrcs)
        crcs.finish();
    if (status == FileReadStatus::Ok && stamp) {
        *stamp = file.stamp();
        stamp->hasCrc = ModifiedWithinTickOf(*stamp, readAt);
        stamp->crc = stamp->hasCrc ? Crc32Of(out.data(), out.size()) : 0;
    }
    return status;
}

// A file about to be replaced goes with the rename; its cached pages are let
// go first, so that the new contents can take that memory instead of needing
// as much again beside it. Only advice: a write that fails leaves the old file
// whole, merely no longer cached.
void ReleaseCachedPages(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW);
    if (fd < 0)
        return;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

// The cause of a failed write, from the writer's status; the system's words
// for its error number say why a write or rename failed otherwise.
SceneStatus WriteFailure(FileWriteStatus status, int error)
{
    switch (status) {
    case FileWriteStatus::NoFolder:
        return SceneFailure(SceneCause::FolderMissing);
    case FileWriteStatus::PermissionDenied:
        return SceneFailure(SceneCause::PermissionDenied);
    case FileWriteStatus::NotRegularFile:
        return SceneFailure(SceneCause::NotRegularFile);
    case FileWriteStatus::DiskFull:
        return SceneFailure(SceneCause::DiskFull);
    case FileWriteStatus::ChangedSinceRead:
        return SceneFailure(SceneCause::ChangedOnDisk);
    case FileWriteStatus::WriteFailed:
    case FileWriteStatus::RenameFailed:
        return SceneFailure(SceneCause::WriteFailed, error != 0 ? std::strerror(error) : FileWriteProblem(status));
    default:
        return SceneFailure(SceneCause::WriteFailed, FileWriteProblem(status));
    }
}

}  // namespace

std::string WithSceneExtension(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > nameStart;
    // Whatever stands under the name as given (a file, a link, a device) is
    // what is meant; so is a stream such as /dev/stdout.
    struct stat info;
    const bool exists = lstat(path.c_str(), &info) == 0;
    return hasExtension || exists || IsStreamTarget(path) ? path : path + ".T3D";
}

FileReadStatus ReadSceneFile(const std::string& path, ByteBlock& out, BlockCrcs& crcs, const std::atomic<bool>* cancel,
                             FileStamp* stamp)
{
    FileReadStatus status = ReadSceneFileOnce(path, out, crcs, cancel, stamp);
    if (status == FileReadStatus::Changed)
        status = ReadSceneFileOnce(path, out, crcs, cancel, stamp);
    if (status != FileReadStatus::Ok) {
        out = ByteBlock();
        crcs.clear();
    }
    return status;
}

SceneStatus WriteFileAtomically(const std::string& path, const ScenePieces& pieces, const AtomicWriteOptions& options)
{
    if (!IsStreamTarget(path))
        RemoveStaleTemporaries(FolderOfPath(path));
    // A named temporary: a save's progress can be seen, and a killed save's
    // leftover is cleared by the next one.
    OutputFile file;
    if (const FileWriteStatus status = file.create(path, InputFiles(), false); status != FileWriteStatus::Ok)
        return WriteFailure(status, errno);
    if (options.expected)
        file.expect(*options.expected);
    ReleaseCachedPages(path);
    uint32_t crc = 0;
    for (const ByteSpan& span : pieces.spans()) {
        for (uint64_t done = 0; done < span.size; done += kWriteStep) {
            if (options.cancel && options.cancel->load())
                return SceneFailure(SceneCause::WriteFailed, kCancelledWrite);
            const size_t n = size_t(std::min<uint64_t>(kWriteStep, span.size - done));
            if (!file.write(span.data + done, n))
                return WriteFailure(file.writeFailure(), errno);
            if (options.written)
                crc = Crc32Of(span.data + done, n, crc);
        }
    }
    if (const FileWriteStatus status = file.finish(true); status != FileWriteStatus::Ok)
        return WriteFailure(status, errno);
    if (options.cancel && options.cancel->load())
        return SceneFailure(SceneCause::WriteFailed, kCancelledWrite);
    if (const FileWriteStatus status = file.commit(); status != FileWriteStatus::Ok)
        return WriteFailure(status, errno);
    if (options.written) {
        *options.written = StampOf(path);
        options.written->hasCrc = options.written->exists;
        options.written->crc = crc;
    }
    return {};
}

std::string ResolvedPath(const std::string& path)
{
    char* folder = ::realpath(FolderOfPath(path).c_str(), nullptr);
    if (!folder)
        return path;
    const std::string resolved = std::string(folder) + (folder[1] ? "/" : "") + NameInFolder(path);
    std::free(folder);
    return resolved;
}
