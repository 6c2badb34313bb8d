#include "texture/ByteBlock.h"

#include <cstdlib>
#include <sys/mman.h>

namespace {

constexpr size_t kHugePageSize = size_t(2) << 20;
constexpr size_t kOrdinaryAlignment = 64;

void AdviseHugePages(uint8_t* bytes, size_t size)
{
    const uintptr_t begin = (uintptr_t(bytes) + kHugePageSize - 1) & ~uintptr_t(kHugePageSize - 1);
    const uintptr_t end = (uintptr_t(bytes) + size) & ~uintptr_t(kHugePageSize - 1);
    // Only advice: where huge pages are not to be had the block still works.
    if (begin < end)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace

void ByteBlock::Release::operator()(uint8_t* bytes) const
{
    std::free(bytes);
}

bool ByteBlock::allocate(size_t size)
{
    bytes_.reset();
    size_ = 0;
    const bool huge = size >= kHugePageSize;
    void* memory = nullptr;
    if (posix_memalign(&memory, huge ? kHugePageSize : kOrdinaryAlignment, size ? size : 1) != 0 || !memory)
        return false;
    bytes_.reset(static_cast<uint8_t*>(memory));
    size_ = size;
    if (huge)
        AdviseHugePages(bytes_.get(), size);
    return true;
}
