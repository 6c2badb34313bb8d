// Reading the files the program is given: TGA, PNG and DDS files and scenes.
//
// A file is opened non-blocking (a FIFO or device cannot hang the open) and
// read only when it is a regular file; anything else - a folder, FIFO, device,
// socket, or a link that loops - is refused before a byte is read. Bytes come
// with checked read calls into memory the program owns; nothing is mapped, so
// a file that another program shrinks meanwhile gives a short read, never a
// signal. Size and modification time are taken when the file is opened and
// compared again after the read: a file that changed under the reader is read
// once more, then refused.
//
// A file asked to sum its CRC-32 (sumCrc) sums the bytes of each read that
// goes on from where the last one ended, as they arrive: a reader that reads
// its file front to back gets the CRC of the very bytes it decoded, and only
// the bytes it skipped are read again for it.
#pragma once

#include "texture/io/ByteBlock.h"
#include "texture/io/FileStamp.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/uio.h>
#include <vector>

enum class FileReadStatus {
    Ok,
    NotFound,  // no such file (or a folder on its path is missing)
    PermissionDenied,
    NotRegularFile,  // a folder, FIFO, device, socket or looping link
    TooLarge,        // larger than the caller's limit
    ReadFailed,      // the system refused the read, or the file ended early
    Changed,         // size or modification time moved while it was read
    OutOfMemory,
    Cancelled,  // the caller stopped the read
};

// A regular file open for reading. Moves but does not copy; closes itself.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    [[nodiscard]] FileReadStatus open(const std::string& path);

    // The size fstat gave when the file was opened.
    uint64_t size() const { return size_; }

    // Reads exactly n bytes from offset into out; ReadFailed when the file
    // ends first.
    [[nodiscard]] FileReadStatus readAt(uint64_t offset, uint8_t* out, size_t n) const;

    // Reads the file's bytes from offset on into the pieces, in order, each
    // filled whole (preadv in batches); ReadFailed when the file ends first.
    [[nodiscard]] FileReadStatus readScattered(uint64_t offset, const std::vector<iovec>& pieces) const;

    // Whether the file still has the size and modification time it had when
    // opened. False when it cannot be asked.
    bool unchanged() const;
    // How the open file stands now (without its CRC).
    FileStamp stamp() const;

    // From here on, reads sum the CRC-32 of the file's bytes from its start.
    // Not for a file read from several threads at once.
    void sumCrc();
    // The CRC-32 of the whole file: the bytes reads went over, then the rest,
    // read for it in pieces. False when the rest cannot be read, the file
    // changed since it was opened, or sumCrc() was not asked for.
    [[nodiscard]] bool wholeCrc(uint32_t& crc) const;
    // stamp() with the CRC of wholeCrc() (hasCrc false when there is none).
    FileStamp stampWithCrc() const;

    // How many files open() has opened in this process, for tests that hold
    // how often a file is read.
    static uint64_t FilesOpened();

private:
    void close();
    void sumRead(uint64_t offset, const std::vector<iovec>& pieces) const;

    int fd_ = -1;
    uint64_t size_ = 0;
    int64_t modifiedSeconds_ = 0;
    int64_t modifiedNanoseconds_ = 0;
    // The CRC-32 of bytes [0, summedTo_), kept up by reads; const reads add
    // to it.
    bool summing_ = false;
    mutable uint64_t summedTo_ = 0;
    mutable uint32_t crc_ = 0;
};

// Reads a whole file into `out`, at most maxBytes (TooLarge beyond, before
// anything is allocated). A file that changes during the read is read once
// more; Changed when it changes again.
[[nodiscard]] FileReadStatus ReadWholeFile(const std::string& path, ByteBlock& out, uint64_t maxBytes);

// StampOf, with the CRC-32 of the file's bytes (hasCrc false when they cannot
// be read whole).
FileStamp StampWithCrc(const std::string& path);

// The CRC-32 of the whole file at `path`, read in pieces; false when it cannot
// be read whole or is larger than `maxBytes` (its size is checked first, so a
// huge sparse file is refused before a byte of it is read).
bool FileCrc32(const std::string& path, uint32_t& crc, uint64_t maxBytes = UINT64_MAX);
