// Writing the files the program makes: TGA, PNG and DDS files and scenes.
//
// A file is never written in place. Its bytes go to a fresh temporary file in
// the target's folder, through checked writes; the temporary is flushed to
// disk when asked and put in the target's place only once it is whole. Until
// then a file the user already had is untouched, and a write that fails
// removes its temporary. Where the file system allows, the temporary has no
// name at all until it is whole (O_TMPFILE): a new file then simply gets its
// name, and a killed writer leaves nothing. Otherwise, and to replace an
// existing file, the temporary has a short name of our own, whatever the
// target's length, and is renamed over the target.
//
// A stream is the exception: a target that is a device, FIFO, socket or
// terminal, or a link that leads to one or through the process's own open
// files (/proc/self/fd, /dev/fd, hence /dev/stdout), is opened and written
// through in order, since nothing can be put in its place. A terminal is
// refused: it takes no file's bytes. Otherwise the target itself is never
// opened: a symbolic link in its place is replaced by the new file, never
// followed; a folder in its place is refused, and so is a target that is one
// of the files the output is made from. Nothing is made or replaced in /dev
// (a file system mounted inside it, such as /dev/shm, holds files like any
// other). A replaced file's owner, group and permission bits go to the new
// file where the process may set them.
//
// A target may be given the stamp it had when it was read (expect()): it is
// then replaced only while it still stands as that stamp says, checked right
// before the rename, and otherwise left to whoever changed it
// (ChangedSinceRead). A target that is gone by then is simply made.
//
// A writer killed midway cannot remove its temporary: RemoveStaleTemporaries
// clears what such writers left in a folder.
#pragma once

#include "texture/io/FileStamp.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

enum class FileWriteStatus {
    Ok,
    NoFolder,          // the target's folder does not exist or cannot be opened
    PermissionDenied,  // the folder or an existing target may not be written
    NotRegularFile,    // a folder in the target's place (or a FIFO, device or socket where streams are not taken)
    SameAsInput,       // the target is one of the files the output is made from
    TerminalOutput,    // the target is a terminal, which takes no file's bytes
    StreamNotOpen,     // the target names a file number of the process (/dev/fd/N) not open for writing
    InDeviceFolder,    // the target would be made or replaced in /dev
    NameTooLong,
    DiskFull,     // the file system or the user's quota has no room left
    WriteFailed,  // a write, flush or close failed otherwise: size limit, I/O error
    RenameFailed,
    ChangedSinceRead,  // the target is no longer the file that was read: another program wrote it
};

// What "-" stands for as an output on a command line.
constexpr const char* kStandardOutput = "/dev/stdout";

// What a target that is a stream gets.
enum class StreamTargets {
    writtenThrough,  // it is opened and written through
    // Kept for names a program made up itself (a batch into a folder): a link
    // is replaced like any other, a FIFO, device or socket refused.
    replaced,
};

// Whether `path` is a stream that a write goes through rather than replaces:
// /dev/stdout, /dev/stderr, /dev/fd/N and /proc/self/fd/N by their names
// alone, then a device, FIFO, socket or terminal, or a link that leads to one
// or through /proc/self/fd.
bool IsStreamTarget(const std::string& path);

// Where an encoder puts its bytes, in order.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Appends the bytes. False once any write has failed; later bytes go nowhere.
    virtual bool write(const void* data, size_t size) = 0;
};

// The files an output is made from, known by device and inode (a link both as
// itself and as the file it leads to), so that no output replaces one.
class InputFiles {
public:
    // A path that does not exist adds nothing.
    void add(const std::string& path);
    // A file already looked up, links followed (includes() follows them too).
    void add(dev_t device, ino_t inode) { files_.emplace_back(device, inode); }
    // Whether the path, as itself or followed, is one of the files.
    bool includes(const std::string& path) const;

private:
    bool holds(dev_t device, ino_t inode) const;

    std::vector<std::pair<dev_t, ino_t>> files_;
};

// One file being written: a temporary beside its target until commit() renames
// it, or a stream written through. Moves but does not copy; a temporary not
// renamed is removed when the object goes.
class OutputFile final : public ByteSink {
public:
    OutputFile() = default;
    ~OutputFile() override;
    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Checks the target and makes the temporary, or opens the stream; nothing
    // is made on failure. `unnamedTemporary`: the temporary has no name where
    // the file system allows; otherwise it is always a named file beside the
    // target.
    [[nodiscard]] FileWriteStatus create(const std::string& target, const InputFiles& inputs,
                                         bool unnamedTemporary = true,
                                         StreamTargets streams = StreamTargets::writtenThrough);

    // Small writes are gathered and handed on in blocks; large ones go straight.
    bool write(const void* data, size_t size) override;

    // The target is replaced only while it stands as `stamp` says (with its
    // CRC, when the stamp has one); a stream is not checked.
    void expect(const FileStamp& stamp) { expected_ = stamp; }

    // Writes out what is gathered, flushes the file to disk when asked (a
    // stream as far as it can be), closes it.
    [[nodiscard]] FileWriteStatus finish(bool flushToDisk);

    // Why the first write, flush or close that failed did (DiskFull,
    // PermissionDenied, ...); WriteFailed when none did, for a caller whose
    // own encoding stopped.
    FileWriteStatus writeFailure() const;

    // Renames the finished temporary over the target (and flushes the folder
    // when the file was flushed); a stream has nothing left to do.
    [[nodiscard]] FileWriteStatus commit();

    const std::string& target() const { return target_; }

private:
    FileWriteStatus openStream(int descriptor, const std::string& node);
    bool targetAsExpected() const;
    bool writeOut(const uint8_t* data, size_t size);
    void failWith(int error);
    void committed();
    void discard();

    std::string target_;
    std::string name_;       // the target's name in its folder
    std::string temporary_;  // the temporary's name in the same folder
    int folder_ = -1;
    int fd_ = -1;
    FileWriteStatus failure_ = FileWriteStatus::Ok;  // of the first write, flush or close that failed
    bool flushed_ = false;
    bool unnamed_ = false;   // made without a name (O_TMPFILE), named at commit
    bool finished_ = false;  // written out, ready to commit
    bool stream_ = false;    // written through, never renamed
    std::unique_ptr<uint8_t[]> gathered_;
    size_t used_ = 0;
    FileStamp expected_;  // exists: the stamp the target must still have
};

// Removes the temporaries that writers killed midway left in the folder: files
// named as OutputFile names them, by processes that no longer run.
void RemoveStaleTemporaries(const std::string& folder);

// Flushes to disk everything written to the file system that holds the folder:
// one flush at the end of a batch instead of one per file.
bool FlushFileSystemOf(const std::string& folder);

// The folder part of a path ("." when it has none) and its last component.
std::string FolderOfPath(const std::string& path);
std::string NameInFolder(const std::string& path);
