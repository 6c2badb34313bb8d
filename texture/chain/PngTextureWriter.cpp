#include "texture/chain/PngTextureWriter.h"

#include "texture/png/PngEncoder.h"

namespace {

constexpr ImageFileKind kPngFiles{"PNG", ".png"};

}  // namespace

bool PngTextureWriter(const char* path, const T3D_TEXTURE& record, TextureReport& report,
                      const ImageWriteOptions& options, int pngLevel)
{
    const LevelEncoder encode = [&record, pngLevel](int level, ByteSink& out) {
        const PngSink sink = [&out](const void* bytes, size_t size) { return out.write(bytes, size); };
        return EncodePngLevel(record, level, sink, nullptr, {PngLayout::ofDepth, pngLevel});
    };
    return WriteTextureChain(path, record, kPngFiles, options, report, encode);
}
