#include "texture/chain/PngTextureWriter.h"

#include "texture/png/PngEncoder.h"

namespace {

constexpr ImageFileKind kPngFiles{"PNG", ".png"};

}  // namespace

bool PngTextureWriter(const char* path, const T3D_TEXTURE& record, TextureReport& report,
                      const ImageWriteOptions& options)
{
    const LevelEncoder encode = [&record](int level, ByteSink& out) {
        return EncodePngLevel(record, level, [&out](const void* bytes, size_t size) { return out.write(bytes, size); });
    };
    return WriteTextureChain(path, record, kPngFiles, options, report, encode);
}
