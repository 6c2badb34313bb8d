// The picture a preview frame shows for a texture record: level 0, scaled by
// nearest neighbour into the FitRect rectangle of the frame and centred, on a
// black ground. Depth 8 goes through the palette, depths 16, 24 and 32 through
// the record's masks; alpha is not shown. A record of width or height 0, or
// whose pixels cannot be expanded, gives an all-black picture.
#pragma once

#include "texture/T3DTexture.h"

#include <QImage>
#include <QSize>

QImage PreviewImage(const T3D_TEXTURE& record, QSize frameSize);
