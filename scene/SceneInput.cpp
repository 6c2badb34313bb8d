#include "scene/SceneInput.h"

#include "scene/Checksum.h"
#include "texture/io/LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace {

// The file is read in steps of this many bytes: few system calls, and each
// step's CRC is worked out while it is still in the cache.
constexpr uint64_t kBufferSize = uint64_t(4) << 20;
static_assert(StreamedSceneInput::kMaxHeld <= kBufferSize);

}  // namespace

bool SceneInput::zeros(uint64_t n)
{
    const uint8_t* bytes = take(n);
    return bytes && std::all_of(bytes, bytes + n, [](uint8_t b) { return b == 0; });
}

bool SceneInput::readU32(uint32_t& value)
{
    const uint8_t* bytes = take(4);
    if (bytes)
        value = GetU32(bytes);
    return bytes != nullptr;
}

uint8_t* HeldSceneInput::takeContents(uint64_t size, uint64_t, uint64_t& held, uint32_t* crc)
{
    uint8_t* contents = cursor_.take(size);
    if (contents && crc)
        *crc = crcs_.crcOf(contents, size);
    held = size;
    return contents;
}

FileReadStatus StreamedSceneInput::open(const std::string& path)
{
    if (const FileReadStatus status = file_.open(path); status != FileReadStatus::Ok)
        return status;
    const bool allocated = buffer_.allocate(size_t(kBufferSize)) && held_.allocate(size_t(kMaxHeld));
    return allocated ? FileReadStatus::Ok : FileReadStatus::OutOfMemory;
}

bool StreamedSceneInput::peekU32(uint32_t& value)
{
    if (remaining() < 4 || !fill(4))
        return false;
    value = GetU32(buffer_.data() + begin_);
    return true;
}

uint8_t* StreamedSceneInput::take(uint64_t n)
{
    if (n > remaining() || n > kBufferSize || !fill(n))
        return nullptr;
    uint8_t* bytes = buffer_.data() + begin_;
    begin_ += n;
    consumed_ += n;
    return bytes;
}

uint8_t* StreamedSceneInput::takeContents(uint64_t size, uint64_t keep, uint64_t& held, uint32_t* crc)
{
    if (size > remaining())
        return nullptr;
    held = std::min({size, keep, kMaxHeld});
    const uint8_t* first = take(held);
    if (!first)
        return nullptr;
    // Copied out of the buffer, which passing the rest overwrites.
    std::memcpy(held_.data(), first, size_t(held));
    if (crc)
        *crc = Crc32(held_.data(), held);
    if (!pass(size - held, crc))
        return nullptr;
    return held_.data();
}

bool StreamedSceneInput::fill(uint64_t n)
{
    if (end_ - begin_ >= n)
        return true;
    std::memmove(buffer_.data(), buffer_.data() + begin_, size_t(end_ - begin_));
    end_ -= begin_;
    begin_ = 0;
    const uint64_t fileAt = consumed_ + end_;
    const uint64_t more = std::min(kBufferSize - end_, file_.size() - fileAt);
    if (failure_ == FileReadStatus::Ok)
        failure_ = file_.readAt(fileAt, buffer_.data() + end_, size_t(more));
    if (failure_ != FileReadStatus::Ok)
        return false;
    end_ += more;
    return end_ - begin_ >= n;
}

bool StreamedSceneInput::pass(uint64_t n, uint32_t* crc)
{
    while (n > 0) {
        if (begin_ == end_ && !fill(std::min(n, kBufferSize)))
            return false;
        const uint64_t step = std::min(n, end_ - begin_);
        if (crc)
            *crc = Crc32(buffer_.data() + begin_, step, *crc);
        begin_ += step;
        consumed_ += step;
        n -= step;
    }
    return true;
}

FileReadStatus StreamedSceneInput::readFailure() const
{
    // A file that shrank ends a read early; one that grew or was rewritten in
    // place shows in its size or modification time.
    return file_.unchanged() ? failure_ : FileReadStatus::Changed;
}
