#include "editor/FitRect.h"

FitRect::FitRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
    : frameWidth_(uint16_t(right - left)), frameHeight_(uint16_t(bottom - top))
{
}

void FitRect::Fit(unsigned imageWidth, unsigned imageHeight)
{
    if (imageWidth == 0 || imageHeight == 0)
        return;
    const float sx = float(frameWidth_) / float(imageWidth);
    const float sy = float(frameHeight_) / float(imageHeight);
    const float s = sx < sy ? sx : sy;
    width = uint16_t(float(imageWidth) * s);
    height = uint16_t(float(imageHeight) * s);
    x = uint16_t((frameWidth_ - width) / 2);
    y = uint16_t((frameHeight_ - height) / 2);
}
