#include "texture/io/ByteBlock.h"

#include <cstdlib>
#include <sys/mman.h>

namespace {

constexpr size_t kHugePageSize = size_t(2) << 20;
constexpr size_t kOrdinaryAlignment = 64;

}  // namespace

uint8_t* AllocateBytes(size_t size)
{
    const bool huge = size >= kHugePageSize;
    void* memory = nullptr;
    if (posix_memalign(&memory, huge ? kHugePageSize : kOrdinaryAlignment, size ? size : 1) != 0)
        return nullptr;
    // Only advice: where huge pages are not to be had the memory still works.
    if (huge)
        madvise(memory, size & ~(kHugePageSize - 1), MADV_HUGEPAGE);
    return static_cast<uint8_t*>(memory);
}

void ByteBlock::Release::operator()(uint8_t* bytes) const
{
    std::free(bytes);
}

bool ByteBlock::allocate(size_t size)
{
    bytes_.reset(AllocateBytes(size));
    size_ = bytes_ ? size : 0;
    return bytes_ != nullptr;
}
