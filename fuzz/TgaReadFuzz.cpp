// The TGA decoder on one file's bytes, then every smaller level generated
// from what it made.
#include "fuzz/FuzzSupport.h"
#include "texture/convert/MipGeneration.h"
#include "texture/tga/TgaDecoder.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TextureRecord holder;
    TgaWarnings warnings;
    if (DecodeTga(data, size, holder, warnings)) {
        Require(holder.record().levels[0] == nullptr, "a refused file left pixels");
        return 0;
    }
    const T3D_TEXTURE& record = holder.record();
    Require(record.width > 0 && record.height > 0, "a texture read has no size");
    Require(record.levelCount == 1, "a file decoded to other than one level");
    if (GenerateMipLevels(holder))
        Require(record.levelCount == std::max(1, GeneratedLevelCount(record.width, record.height)),
                "a level was not generated");
    TouchLevels(record);
    return 0;
}
