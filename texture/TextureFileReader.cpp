#include "texture/TextureFileReader.h"

#include "texture/TgaTextureReader.h"

#include <strings.h>

bool IsTextureFileName(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() <= 4)
        return false;
    const char* extension = name.c_str() + name.size() - 4;
    return strcasecmp(extension, ".tga") == 0 || strcasecmp(extension, ".png") == 0;
}

DepthOptions FormatOf(const T3D_TEXTURE& model, bool dither)
{
    DepthOptions format;
    format.depth = model.depth;
    format.green565 = model.depth == 16 && model.greenMask == kMask565Green;
    format.dither = dither;
    return format;
}

bool ReadTextureChain(const std::string& path, TextureRecord& holder, TextureReport& report,
                      const TextureReadOptions&)
{
    // For now TGA chains at their own depth; PNG, filters and conversion follow.
    return TgaTextureReader(path.c_str(), holder, report);
}
