#include "texture/T3DTexture.h"

#include <cstring>

void ClearTextureRecord(T3D_TEXTURE& record)
{
    std::memset(&record, 0, sizeof record);
}

unsigned BytesPerPixel(unsigned depth)
{
    switch (depth) {
    case 8: return 1;
    case 16: return 2;
    case 24: return 3;
    case 32: return 4;
    default: return 0;
    }
}

uint64_t LevelByteCount(const T3D_TEXTURE& record, int level)
{
    return uint64_t(LevelWidth(record, level)) * LevelHeight(record, level) * BytesPerPixel(record.depth);
}
