// Writing the files the program makes: TGA and PNG levels and scenes.
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
// The target itself is never opened. A symbolic link in its place is replaced
// by the new file, never followed; a folder, FIFO, device or socket in its
// place is refused, and so is a target that is one of the files the output is
// made from. A replaced file's owner, group and permission bits go to the new
// file where the process may set them.
//
// A writer killed midway cannot remove its temporary: RemoveStaleTemporaries
// clears what such writers left in a folder.
#pragma once

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
    NotRegularFile,    // a folder, FIFO, device or socket in the target's place
    SameAsInput,       // the target is one of the files the output is made from
    NameTooLong,
    WriteFailed,  // a write, flush or close failed: disk full, size limit, I/O error
    RenameFailed,
};

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
    // Whether the path, as itself or followed, is one of the files.
    bool includes(const std::string& path) const;

private:
    bool holds(dev_t device, ino_t inode) const;

    std::vector<std::pair<dev_t, ino_t>> files_;
};

// One file being written: a temporary beside its target until commit() renames
// it. Moves but does not copy; a temporary not renamed is removed when the
// object goes.
class OutputFile final : public ByteSink {
public:
    OutputFile() = default;
    ~OutputFile() override;
    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Checks the target and makes the temporary; nothing is made on failure.
    // `unnamedTemporary`: the temporary has no name where the file system
    // allows; otherwise it is always a named file beside the target.
    [[nodiscard]] FileWriteStatus create(const std::string& target, const InputFiles& inputs,
                                         bool unnamedTemporary = true);

    // Small writes are gathered and handed on in blocks; large ones go straight.
    bool write(const void* data, size_t size) override;

    // Writes out what is gathered, flushes the file to disk when asked, closes it.
    [[nodiscard]] FileWriteStatus finish(bool flushToDisk);

    // Renames the finished temporary over the target (and flushes the folder
    // when the file was flushed).
    [[nodiscard]] FileWriteStatus commit();

    const std::string& target() const { return target_; }

private:
    bool writeOut(const uint8_t* data, size_t size);
    void committed();
    void discard();

    std::string target_;
    std::string name_;       // the target's name in its folder
    std::string temporary_;  // the temporary's name in the same folder
    int folder_ = -1;
    int fd_ = -1;
    bool failed_ = false;
    bool flushed_ = false;
    bool unnamed_ = false;   // made without a name (O_TMPFILE), named at commit
    bool finished_ = false;  // written out, ready to commit
    std::unique_ptr<uint8_t[]> gathered_;
    size_t used_ = 0;
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
