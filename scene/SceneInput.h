// Where the format readers take a scene file's bytes from, in order: the whole
// file held in memory (a load, whose records point into it), or the file read
// in passing a chunk at a time (an outline: headers and records, no pixels).
// Either way every byte is looked at and every checksum worked out, so both
// accept and refuse the same files with the same words.
#pragma once

#include "scene/BlockCrcs.h"
#include "texture/io/ByteBlock.h"
#include "texture/io/ByteCursor.h"
#include "texture/io/FileRead.h"

#include <cstdint>
#include <string>

class SceneInput {
public:
    virtual ~SceneInput() = default;

    virtual uint64_t remaining() const = 0;
    // The next four bytes as a little-endian number, without moving past
    // them; false when fewer remain.
    virtual bool peekU32(uint32_t& value) = 0;
    // The next n bytes, valid until the next call, or nullptr (and no move)
    // when fewer remain. Only for headers: n is small.
    virtual uint8_t* take(uint64_t n) = 0;
    // Passes over a section's `size` bytes of contents, or returns nullptr
    // (and no move) when fewer remain. Hands back at least the first
    // min(size, keep) of them (`held` says how many), valid until the next
    // call, and with `crc`, the CRC-32 of all of them.
    virtual uint8_t* takeContents(uint64_t size, uint64_t keep, uint64_t& held, uint32_t* crc) = 0;

    // Steps past n bytes that must all be zero.
    bool zeros(uint64_t n);
    bool readU32(uint32_t& value);
};

// The file's bytes in memory: everything is handed out in place.
class HeldSceneInput : public SceneInput {
public:
    HeldSceneInput(ByteBlock& bytes, const BlockCrcs& crcs) : cursor_(bytes.data(), bytes.size()), crcs_(crcs) {}

    uint64_t remaining() const override { return cursor_.remaining(); }
    bool peekU32(uint32_t& value) override { return MutableByteCursor(cursor_).readU32(value); }
    uint8_t* take(uint64_t n) override { return cursor_.take(n); }
    uint8_t* takeContents(uint64_t size, uint64_t keep, uint64_t& held, uint32_t* crc) override;

private:
    MutableByteCursor cursor_;
    const BlockCrcs& crcs_;
};

// The file read through a buffer of fixed size: memory does not grow with the
// file. A read that fails midway shows as the file ending there; readFailure()
// then says so, and whether the file changed while it was read.
class StreamedSceneInput : public SceneInput {
public:
    // Contents held at most, more than any scene's texture directory.
    static constexpr uint64_t kMaxHeld = uint64_t(4) << 20;

    [[nodiscard]] FileReadStatus open(const std::string& path);

    uint64_t remaining() const override { return file_.size() - consumed_; }
    bool peekU32(uint32_t& value) override;
    uint8_t* take(uint64_t n) override;
    uint8_t* takeContents(uint64_t size, uint64_t keep, uint64_t& held, uint32_t* crc) override;
    // Changed when the file no longer stands as it was opened, else how the
    // reads went.
    FileReadStatus readFailure() const;

private:
    // Makes the next n bytes (at most the buffer's size) lie in the buffer.
    bool fill(uint64_t n);
    // Steps past n bytes, adding them to *crc when given.
    bool pass(uint64_t n, uint32_t* crc);

    InputFile file_;
    ByteBlock buffer_;
    ByteBlock held_;         // contents handed out, kept apart from the buffer
    uint64_t consumed_ = 0;  // bytes of the file handed out or passed
    uint64_t begin_ = 0;     // the buffer's bytes not yet handed out
    uint64_t end_ = 0;
    FileReadStatus failure_ = FileReadStatus::Ok;
};
