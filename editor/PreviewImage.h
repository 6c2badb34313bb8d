// The picture a preview frame shows for a texture record: one level, scaled
// by nearest neighbour into the FitRect rectangle of the frame and centred,
// on a black ground. Depth 8 goes through the palette, depths 16, 24 and 32
// through the record's masks, with the command-line export's colours. Where
// the texture has alpha, its pixels are blended over a grey checkerboard; a
// texture whose alpha is 0 in every pixel of every level (as in many 32-bit
// TGA files that carry no alpha) is drawn opaque. A missing level, a record
// of width or height 0, or one whose pixels cannot be expanded gives an
// all-black picture.
#pragma once

#include "texture/T3DTexture.h"

#include <QImage>
#include <QSize>

QImage PreviewImage(const T3D_TEXTURE& record, QSize frameSize, int level = 0);

// True when the record has an alpha mask and some pixel of some level has a
// non-zero alpha value: only then does alpha show in a preview.
bool ShowsAlpha(const T3D_TEXTURE& record);

// The checkerboard's colour at a pixel of the fit rectangle, counted from its
// top left: squares of kCheckerSquare pixels, light in the top-left corner.
constexpr int kCheckerSquare = 8;
constexpr QRgb kCheckerLight = 0xFFC8C8C8;
constexpr QRgb kCheckerDark = 0xFF8C8C8C;
constexpr QRgb CheckerColour(int x, int y)
{
    return ((x / kCheckerSquare + y / kCheckerSquare) % 2) == 0 ? kCheckerLight : kCheckerDark;
}
