// The difference view: per channel, |left - right| of two records at one
// level, both expanded as the previews show them (alpha 255 in a texture that
// shows none). The channel choice says which channels count: all four, the
// colours, or one. The picture lays the differences over the frame as the
// right record's picture would lie, scaled so that the largest difference of
// the level is bright (255); with alpha counted, a pixel's alpha difference
// brightens all three of its colours. Two levels of different sizes, or a
// level missing on either side, have no difference: Compare says so.
#pragma once

#include "editor/PreviewImage.h"

#include <QImage>
#include <QSize>

#include <array>
#include <optional>

struct DifferenceFigures {
    bool comparable = false;  // both levels there, of one size
    unsigned largest = 0;     // over every pixel and counted channel
    double mean = 0;          // over every pixel and counted channel
    bool leftAlpha = false;   // ShowsAlpha of each record
    bool rightAlpha = false;
};

// `alpha`: ShowsAlpha of the left and the right record where the caller
// knows it already (it looks at every pixel of a record without alpha).
DifferenceFigures Compare(const T3D_TEXTURE& left, const T3D_TEXTURE& right, int level, Channels channels,
                          const std::array<std::optional<bool>, 2>& alpha = {});

// Black where the figures are not comparable.
QImage DifferenceImage(const T3D_TEXTURE& left, const T3D_TEXTURE& right, QSize frameSize, int level,
                       const PreviewLook& look, const DifferenceFigures& figures);
