// Files whose headers claim far more than they hold: the reader refuses them
// with a message, having asked for no memory near the claimed size.
#include "support/TgaTestBytes.h"

#include "support/LargestAllocation.h"
#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "texture/chain/TgaTextureReader.h"

#include <gtest/gtest.h>

namespace {

struct Claim {
    const char* what;
    std::string bytes;
};

TEST(TgaSizeClaim, HugeClaimsFailWithoutLargeAllocations)
{
    if (!LargestAllocation::available())
        GTEST_SKIP() << "allocations can be watched only with the address checker";
    TgaFields truecolour;
    truecolour.width = 16000;
    truecolour.height = 16000;
    truecolour.pixelDepth = 32;  // 977 MiB of pixels: under the level limit
    TgaFields widest = truecolour;
    widest.width = widest.height = 65535;  // 16 GiB: over it
    TgaFields runLength = truecolour;
    runLength.imageType = 10;
    const TgaFields colourMap = TgaFields::Image(1, 4, 4, 8).withMap(65535, 32);
    TgaFields idField = truecolour;
    idField.idLength = 255;

    const Claim claims[] = {
        {"true colour, a few pixels", TgaHeaderBytes(truecolour) + Repeat(7, 4000)},
        {"65535 x 65535", TgaHeaderBytes(widest) + Repeat(7, 4000)},
        // Each packet repeats one pixel 128 times: 2.5 MB of pixels in 100 KB.
        {"run-length runs that end early", TgaHeaderBytes(runLength) + Repeat(0xFF, 100000)},
        {"a 256 KiB colour map", TgaHeaderBytes(colourMap) + Repeat(1, 3000)},
        {"an ID field past the end", TgaHeaderBytes(idField) + Repeat(1, 100)},
    };
    TempDir dir;
    for (const Claim& claim : claims) {
        SCOPED_TRACE(claim.what);
        const std::string path = dir.file("claim.tga");
        ASSERT_TRUE(WriteFileBytes(path, claim.bytes));
        TextureRecord holder;
        RecordingReport report;
        LargestAllocation watch;
        EXPECT_FALSE(TgaTextureReader(path.c_str(), holder, report));
        EXPECT_LT(watch.bytes(), size_t(1) << 20);
        EXPECT_EQ(1u, report.messages.size());
        EXPECT_EQ(nullptr, holder.record().levels[0]);
    }
}

}  // namespace
