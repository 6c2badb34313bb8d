// The picture a preview frame shows for a texture record: one level, laid
// over the frame by its FrameView (by default "fit": scaled by nearest
// neighbour into the FitRect rectangle and centred), on a black ground. Depth
// 8 goes through the palette, depths 16, 24 and 32 through the record's
// masks, with the command-line export's colours. Only the texels the frame
// shows are expanded, whatever the zoom. Where the texture has alpha, its
// pixels are blended over a grey checkerboard that moves with the texture; a
// texture whose alpha is 0 in every pixel of every level (as in many 32-bit
// TGA files that carry no alpha) is drawn opaque, and its alpha channel shows
// white. The other channel choices show the colours without alpha, or one
// channel as grey. From kGridZoomStep a grid marks every texel. A missing
// level, a record of width or height 0, or one whose pixels cannot be
// expanded gives an all-black picture.
#pragma once

#include "editor/FrameView.h"
#include "editor/ViewChoices.h"
#include "texture/T3DTexture.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

struct PreviewLook {
    FrameView view;
    Channels channels = Channels::RgbAlpha;
    std::optional<bool> alpha;  // ShowsAlpha of the record, when the caller knows it already
};

QImage PreviewImage(const T3D_TEXTURE& record, QSize frameSize, int level = 0, const PreviewLook& look = {});

// True when the record has an alpha mask and some pixel of some level has a
// non-zero alpha value: only then does alpha show in a preview.
bool ShowsAlpha(const T3D_TEXTURE& record);

// False for a missing level or one without pixels.
bool LevelHasPixels(const T3D_TEXTURE& record, int level);
QSize LevelSize(const T3D_TEXTURE& record, int level);

// The expanded pixels (0xAARRGGBB) the frame shows, row by row over the part
// of the frame the level covers (`area`); empty when the level has no pixels.
std::vector<uint32_t> VisibleArgb(const T3D_TEXTURE& record, int level, const AxisMap& columns, const AxisMap& rows,
                                  QRect area);
// The part of a frame of `frame` pixels that the two axes cover.
QRect CoveredArea(QSize frame, const AxisMap& columns, const AxisMap& rows);
// Marks the left and top edge of every texel in `area` of the picture.
void DrawTexelGrid(QImage& picture, QRect area, const AxisMap& columns, const AxisMap& rows);

// A texel as the pointer reads it, in the texture's own terms and the
// export's colours: "x 3 y 1 · index 17 · RGB 255 128 0" (depth 8),
// "x 3 y 1 · 0x7C1F · RGB 255 0 255" (depth 16, RGBA with an alpha mask),
// "x 3 y 1 · RGBA 255 128 0 64" (depths 24 and 32).
QString TexelText(const T3D_TEXTURE& record, int level, QPoint texel);

// The checkerboard's colour at a pixel of the texture's picture, counted from
// its top left: squares of kCheckerSquare pixels, light in the top-left corner.
constexpr int kCheckerSquare = 8;
constexpr QRgb kCheckerLight = 0xFFC8C8C8;
constexpr QRgb kCheckerDark = 0xFF8C8C8C;
constexpr QRgb CheckerColour(int x, int y)
{
    return ((x / kCheckerSquare + y / kCheckerSquare) % 2) == 0 ? kCheckerLight : kCheckerDark;
}
