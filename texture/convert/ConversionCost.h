// What a conversion costs, level by level: the converted texture and the
// texture as read, each expanded to 8-bit ARGB as the previews show and the
// export writes them (texture/convert/PixelExpansion.h), compared pixel by
// pixel. A level's cost is its PSNR in dB (10 log10(255^2 / MSE)) over the
// channels compared, and the largest difference of any channel in any pixel.
//
// Red, green and blue are always compared. Alpha is compared when either side
// has an alpha channel: a side without one counts as opaque (255), which is
// what the game sees, so a conversion that drops a real alpha channel costs
// what it drops, and one that adds an opaque channel costs nothing. A level
// that one side lacks or holds at another size is not compared.
#pragma once

#include "texture/T3DTexture.h"

#include <string>
#include <vector>

enum class CostChannel { red, green, blue, alpha };

struct LevelCost {
    bool compared = false;  // both sides hold the level, at one size
    double psnr = 0;        // in dB; meaningless when exact
    unsigned largestError = 0;
    CostChannel channel = CostChannel::red;  // the first channel in which largestError occurs

    bool exact() const { return compared && largestError == 0; }
};

// The cost of each level of `converted` against `asRead`, level 0 first, as
// many as either has.
std::vector<LevelCost> ConversionCost(const T3D_TEXTURE& asRead, const T3D_TEXTURE& converted);

// The costs in words, levels in order, runs of exact levels folded, each part
// after the one before with `separator` between: "level 0: 38.2 dB, largest
// error 12 (green); levels 1-7 exact". A separator "\n" puts a level a line.
std::string ConversionCostText(const std::vector<LevelCost>& costs, const std::string& separator = "; ");
