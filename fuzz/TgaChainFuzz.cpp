// The TGA reader on a mip chain of up to three files (see ChainSplit.h).
#include "fuzz/ChainSplit.h"
#include "fuzz/FuzzSupport.h"
#include "texture/chain/TgaTextureReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const ChainParts parts = SplitChainInput(data, size);
    const std::string path = PutChainFiles(parts);
    TextureRecord holder;
    SilentReport report;
    const bool read = TgaTextureReader(path.c_str(), holder, report);
    Require(!read || parts.data[0] != nullptr, "a chain with no first file was read");
    if (read) {
        Require((holder.record().flags & kFlagAlphaLevel) != 0, "the name's flag letter was lost");
        TouchLevels(holder.record());
    }
    return 0;
}
