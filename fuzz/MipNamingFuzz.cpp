// The mip-chain naming rule on arbitrary byte strings. The output buffer is
// exactly kPathBufferSize bytes on the heap, so a write past it is caught.
#include "fuzz/FuzzSupport.h"
#include "texture/chain/MipChainNaming.h"

#include <cstring>
#include <memory>
#include <string>

namespace {

uint32_t AllFlagLetters()
{
    uint32_t flags = 0;
    for (const FlagLetter& row : FlagLetterTable)
        flags |= row.flag;
    return flags;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The rule sees a C string: the bytes up to the first zero.
    const std::string path(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
    const std::unique_ptr<char[]> next(new char[kPathBufferSize]);
    const uint32_t flags = MipChainNaming(path.c_str(), next.get());
    const size_t nextLength = strnlen(next.get(), kPathBufferSize);
    Require(nextLength < size_t(kPathBufferSize), "the next name is not terminated inside its buffer");
    Require((flags & ~AllFlagLetters()) == 0, "flags beyond the letters' bits");
    if (path.size() < size_t(kPathBufferSize) && path != next.get())
        Require(nextLength >= path.size(), "a bumped name got shorter");

    std::string following;
    Require(NextMipLevelName(path, following) == flags, "the two forms of the rule disagree on flags");
    Require(following.empty() || following != path, "the rule names a level after itself");
    // The fixed buffer holds a next name only when it fits; otherwise it holds
    // the path itself, cut to fit, as for a name the rule cannot bump.
    if (following.size() < size_t(kPathBufferSize))
        Require(following.empty() || following == next.get(), "the two forms of the rule disagree on the name");
    else
        Require(path.compare(0, nextLength, next.get()) == 0, "a name too long for the buffer is not the path cut");
    return 0;
}
