// The TGA reader on one file: the input is the file. No chain file exists
// beside it, so every smaller level is generated.
#include "fuzz/FuzzSupport.h"
#include "texture/chain/TgaTextureReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = PutScratchFile("level.tga", data, size);
    TextureRecord holder;
    SilentReport report;
    if (TgaTextureReader(path.c_str(), holder, report)) {
        const T3D_TEXTURE& record = holder.record();
        Require(record.width > 0 && record.height > 0, "a texture read has no size");
        Require(record.levelCount >= 1 && record.levelCount <= kMaxTextureLevels, "level count out of range");
        TouchLevels(record);
    }
    return 0;
}
