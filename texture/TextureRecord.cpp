#include "texture/TextureRecord.h"

#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <utility>

namespace {

// Large levels get memory aligned to a huge page and marked for huge pages:
// a 4096 x 4096 level then costs a few dozen page faults instead of
// thousands. The buffer is still freed with free().
constexpr size_t kHugePage = size_t(2) << 20;

void* AllocatePixels(size_t bytes)
{
    if (bytes < kHugePage)
        return std::malloc(bytes ? bytes : 1);  // malloc(0) may give null
    void* pixels = nullptr;
    if (posix_memalign(&pixels, kHugePage, bytes) != 0)
        return nullptr;
    ::madvise(pixels, bytes, MADV_HUGEPAGE);  // a hint: refused, it changes nothing
    return pixels;
}

} // namespace

TextureRecord::TextureRecord()
{
    ClearTextureRecord(record_);
}

TextureRecord::~TextureRecord()
{
    freeLevels();
}

TextureRecord::TextureRecord(TextureRecord&& other) noexcept
    : record_(other.record_)
{
    ClearTextureRecord(other.record_);
}

TextureRecord& TextureRecord::operator=(TextureRecord&& other) noexcept
{
    if (this != &other) {
        freeLevels();
        record_ = other.record_;
        ClearTextureRecord(other.record_);
    }
    return *this;
}

void TextureRecord::clear()
{
    freeLevels();
    ClearTextureRecord(record_);
}

uint8_t* TextureRecord::allocateLevel(int level, uint64_t bytes)
{
    std::free(record_.levels[level]);
    record_.levels[level] = nullptr;
    if (bytes > SIZE_MAX)
        return nullptr;
    // A level of no pixels still gets a distinct buffer.
    record_.levels[level] = static_cast<uint8_t*>(AllocatePixels(size_t(bytes)));
    return record_.levels[level];
}

void TextureRecord::freeLevels()
{
    for (uint8_t*& level : record_.levels) {
        std::free(level);
        level = nullptr;
    }
}
