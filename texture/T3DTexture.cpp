#include "texture/T3DTexture.h"

#include <cstring>

void ClearTextureRecord(T3D_TEXTURE& record)
{
    std::memset(&record, 0, sizeof record);
}

unsigned BytesPerPixel(unsigned depth)
{
    switch (depth) {
    case 8:
        return 1;
    case 16:
        return 2;
    case 24:
        return 3;
    case 32:
        return 4;
    default:
        return 0;
    }
}

uint64_t LevelByteCount(const T3D_TEXTURE& record, int level)
{
    return uint64_t(LevelWidth(record, level)) * LevelHeight(record, level) * BytesPerPixel(record.depth);
}

void SetStandardMasks(T3D_TEXTURE& record, unsigned depth)
{
    record.redMask = record.greenMask = record.blueMask = record.alphaMask = 0;
    if (depth == 16) {
        record.redMask = kMask555Red;
        record.greenMask = kMask555Green;
        record.blueMask = kMask555Blue;
    } else if (depth >= 24) {
        record.redMask = kMask8888Red;
        record.greenMask = kMask8888Green;
        record.blueMask = kMask8888Blue;
        record.alphaMask = depth == 32 ? kMask8888Alpha : 0;
    }
}

PixelMasks MasksOf(const T3D_TEXTURE& record)
{
    return {record.redMask, record.greenMask, record.blueMask, record.alphaMask};
}

void SetMasks(T3D_TEXTURE& record, const PixelMasks& masks)
{
    record.redMask = masks.red;
    record.greenMask = masks.green;
    record.blueMask = masks.blue;
    record.alphaMask = masks.alpha;
}
