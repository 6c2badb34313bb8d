// Where a texture goes in a preview frame: scaled with its proportions kept
// (small textures are enlarged) until it meets the frame's width or height,
// and centred. The frame's width and height are taken as unsigned 16-bit
// values; the scale is single precision and the sizes are truncated.
#pragma once

#include <cstdint>

class FitRect {
public:
    // The frame's client rectangle.
    FitRect(int32_t left, int32_t top, int32_t right, int32_t bottom);

    // Fills x, y, width and height for an image of the given size. An image
    // with no pixels leaves them all 0.
    void Fit(unsigned imageWidth, unsigned imageHeight);

    uint16_t x = 0;
    uint16_t y = 0;
    uint16_t width = 0;
    uint16_t height = 0;

private:
    uint16_t frameWidth_;
    uint16_t frameHeight_;
};
