#include "texture/chain/DdsTextureWriter.h"

#include <algorithm>

namespace {

constexpr ImageFileKind kDdsFile{"DDS", ".dds", true};

}  // namespace

bool DdsTextureWriter(const char* path, const T3D_TEXTURE& record, TextureReport& report,
                      const ImageWriteOptions& options, DdsPaletteLayout palette)
{
    const int levels =
        LevelsWithPixels(record.width, record.height, std::min<int>(record.levelCount, kMaxTextureLevels));
    const LevelEncoder encode = [&record, levels, palette](int, ByteSink& out) {
        return EncodeDds(record, levels, out, palette);
    };
    return WriteTextureChain(path, record, kDdsFile, options, report, encode);
}
