#include "texture/PngTextureWriter.h"

#include "texture/PngEncoder.h"

#include <algorithm>
#include <string>

namespace {

constexpr ImageFileKind kPngFiles{"PNG", ".png"};

bool HasLevels(const T3D_TEXTURE& record, int levels)
{
    for (int level = 0; level < levels; ++level) {
        if (!record.levels[level])
            return false;
    }
    return true;
}

} // namespace

bool PngTextureWriter(const char* path, const T3D_TEXTURE& record, TextureReport& report,
                      const ImageWriteOptions& options)
{
    const int levels = std::min<int>(record.levelCount, kMaxTextureLevels);
    if (levels == 0)
        return true;
    const int withPixels = LevelsWithPixels(record.width, record.height, levels);
    if (withPixels == 0 || BytesPerPixel(record.depth) == 0 || !HasLevels(record, withPixels)) {
        report.report(kErrorCaption, std::string("Can't write this texture to PNG file ") + path);
        return false;
    }
    return WriteImageChain(path, withPixels, kPngFiles, options, report, [&record](int level, ByteSink& out) {
        return EncodePngLevel(record, level, [&out](const void* bytes, size_t size) { return out.write(bytes, size); });
    });
}
