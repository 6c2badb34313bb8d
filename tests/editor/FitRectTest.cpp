#include "editor/FitRect.h"
#include "editor/DialogUnits.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct FitCase {
    unsigned imageWidth, imageHeight;
    uint16_t x, y, width, height;
};

}  // namespace

TEST(FitRect, PlacesTexturesInTheFrameAsWorkedOut)
{
    // A frame of 181 x 230 dialog units is 272 x 368 pixels.
    ASSERT_EQ(DialogUnitsToPixels(103, 7, 181, 230), QRect(155, 11, 272, 368));

    const FitCase cases[] = {
        {256, 256, 0, 48, 272, 272},    // scale 1.0625
        {64, 16, 0, 150, 272, 68},      // scale 4.25
        {64, 256, 90, 0, 92, 368},      // taller than wide: height decides, 1.4375
        {1, 1, 0, 48, 272, 272},        // enlarged 272 times
        {4096, 4096, 0, 48, 272, 272},  // reduced
        {3, 7, 57, 0, 157, 368},        // 368 / 7 truncated products
    };
    for (const FitCase& c : cases) {
        FitRect fit(10, 20, 10 + 272, 20 + 368);  // only the size counts
        fit.Fit(c.imageWidth, c.imageHeight);
        SCOPED_TRACE(testing::Message() << c.imageWidth << " x " << c.imageHeight);
        EXPECT_EQ(fit.x, c.x);
        EXPECT_EQ(fit.y, c.y);
        EXPECT_EQ(fit.width, c.width);
        EXPECT_EQ(fit.height, c.height);
    }
}

TEST(FitRect, NeverLeavesTheFrameAndTouchesOneSide)
{
    for (unsigned w = 1; w <= 600; w += 7) {
        for (unsigned h = 1; h <= 600; h += 11) {
            FitRect fit(0, 0, 272, 368);
            fit.Fit(w, h);
            ASSERT_LE(fit.x + fit.width, 272) << w << " x " << h;
            ASSERT_LE(fit.y + fit.height, 368) << w << " x " << h;
            // Truncation may lose a pixel, never more.
            ASSERT_GE(std::max(fit.width + 1 - 272, fit.height + 1 - 368), 0) << w << " x " << h;
        }
    }
}
