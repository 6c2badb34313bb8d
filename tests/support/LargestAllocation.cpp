#include "support/LargestAllocation.h"

#include <atomic>

#if defined(__SANITIZE_ADDRESS__)
#define QUORREL_WATCH_ALLOCATIONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORREL_WATCH_ALLOCATIONS 1
#endif
#endif

namespace {

std::atomic<bool> watching{false};
std::atomic<size_t> largest{0};

}  // namespace

#ifdef QUORREL_WATCH_ALLOCATIONS
// The address checker's runtime interface (declared here: not every
// compiler ships its header).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onAllocation)(const volatile void*, size_t),
                                                         void (*onFree)(const volatile void*));

namespace {

void OnAllocation(const volatile void*, size_t size)
{
    if (!watching.load(std::memory_order_relaxed))
        return;
    size_t seen = largest.load(std::memory_order_relaxed);
    while (size > seen && !largest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
    }
}

void OnFree(const volatile void*)
{
}

bool InstallHooks()
{
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnAllocation, OnFree) != 0;
    return installed;
}

}  // namespace

bool LargestAllocation::available()
{
    return InstallHooks();
}
#else
bool LargestAllocation::available()
{
    return false;
}
#endif

LargestAllocation::LargestAllocation()
{
    largest = 0;
    watching = available();
}

LargestAllocation::~LargestAllocation()
{
    watching = false;
}

size_t LargestAllocation::bytes() const
{
    return largest.load();
}
