#include "fuzz/ChainSplit.h"

#include "fuzz/FuzzSupport.h"

#include <algorithm>

ChainParts SplitChainInput(const uint8_t* data, size_t size)
{
    ChainParts parts;
    if (size < 4)
        return parts;
    size_t lengths[2] = {size_t(data[0] | data[1] << 8), size_t(data[2] | data[3] << 8)};
    const uint8_t* next = data + 4;
    size_t left = size - 4;
    for (int i = 0; i < 2; ++i) {
        const size_t n = std::min(lengths[i], left);
        parts.data[i] = n > 0 ? next : nullptr;
        parts.size[i] = n;
        next += n;
        left -= n;
    }
    parts.data[2] = left > 0 ? next : nullptr;
    parts.size[2] = left;
    return parts;
}

std::string PutChainFiles(const ChainParts& parts, const std::string& extension)
{
    const char* names[3] = {"wall_A", "wall_A1", "wall_A2"};
    for (int i = 0; i < 3; ++i)
        PutScratchFile(names[i] + extension, parts.data[i], parts.size[i]);
    return ScratchFolder() + "/" + names[0] + extension;
}
