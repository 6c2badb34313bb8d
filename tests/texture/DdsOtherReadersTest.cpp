// Other programs read the DDS files we write with the pixels our PNG export
// shows: Debian's ImageMagick (convert) and Pillow, each for the layouts it
// reads. A reader that is not installed skips its rows.
#include "texture/chain/DdsTextureWriter.h"
#include "texture/convert/PixelExpansion.h"

#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "support/TextureBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// Level 0 as another program reads it: 8-bit RGBA rows, or nothing when it
// refuses the file.
using Reader = std::string (*)(const std::string& file);

std::string Output(const std::string& command)
{
    std::string bytes;
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    char chunk[4096];
    for (size_t n; pipe && (n = std::fread(chunk, 1, sizeof chunk, pipe.get())) > 0;)
        bytes.append(chunk, n);
    return bytes;
}

const char* const kConvert = "/usr/bin/convert";
const char* const kPython = "/usr/bin/python3";

std::string ReadWithConvert(const std::string& file)
{
    return Output(std::string(kConvert) + " '" + file + "[0]' rgba:- 2>/dev/null");
}

std::string ReadWithPillow(const std::string& file)
{
    return Output(std::string(kPython) +
                  " -c 'import sys; from PIL import Image; "
                  "sys.stdout.buffer.write(Image.open(sys.argv[1]).convert(\"RGBA\").tobytes())' '" +
                  file + "' 2>/dev/null");
}

bool HasPillow()
{
    return std::system((std::string(kPython) + " -c 'import PIL' 2>/dev/null").c_str()) == 0;
}

// The level as our PNG export writes it, in RGBA bytes.
std::string ExportedRgba(const T3D_TEXTURE& record)
{
    std::string bytes;
    for (const uint32_t argb : ExpandLevelToArgb(record, 0))
        bytes += {char(argb >> 16), char(argb >> 8), char(argb), char(argb >> 24)};
    return bytes;
}

// The largest difference of one channel between two images of one size.
int LargestDifference(const std::string& a, const std::string& b)
{
    int largest = 0;
    for (size_t i = 0; i < a.size(); ++i)
        largest = std::max(largest, std::abs(int(uint8_t(a[i])) - int(uint8_t(b[i]))));
    return largest;
}

TEST(DdsOtherReaders, ReadTheLayoutsTheyKnowAsWeShowThem)
{
    // ImageMagick widens a 5- or 6-bit channel v to floor(v * 255 / 31 or 63),
    // one below our repeated bits for some values; otherwise the pixels agree.
    const struct {
        const char* layout;
        unsigned depth;
        uint32_t red, green, blue, alpha;
        Reader reader;
        int tolerance;
    } rows[] = {
        {"5-6-5", 16, 0xF800, 0x07E0, 0x001F, 0, ReadWithConvert, 1},
        {"1-5-5-5", 16, 0x7C00, 0x03E0, 0x001F, 0x8000, ReadWithConvert, 1},
        {"4-4-4-4", 16, 0x0F00, 0x00F0, 0x000F, 0xF000, ReadWithConvert, 0},
        {"8-8-8", 24, 0xFF0000, 0x00FF00, 0x0000FF, 0, ReadWithConvert, 0},
        {"8-8-8-8", 32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000, ReadWithConvert, 0},
        {"X8-8-8-8", 32, 0xFF0000, 0x00FF00, 0x0000FF, 0, ReadWithConvert, 0},
        {"8-bit", 8, 0, 0, 0, 0, ReadWithConvert, 0},
        {"8-8-8", 24, 0xFF0000, 0x00FF00, 0x0000FF, 0, ReadWithPillow, 0},
        {"blue-first 8-8-8", 24, 0x0000FF, 0x00FF00, 0xFF0000, 0, ReadWithPillow, 0},
        {"8-8-8-8", 32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000, ReadWithPillow, 0},
        {"blue-first 8-8-8-8", 32, 0x0000FF, 0x00FF00, 0xFF0000, 0xFF000000, ReadWithPillow, 0},
        {"8-bit", 8, 0, 0, 0, 0, ReadWithPillow, 0},
    };
    const bool hasConvert = std::system((std::string(kConvert) + " -version >/dev/null 2>&1").c_str()) == 0;
    const bool hasPillow = HasPillow();
    if (!hasConvert && !hasPillow)
        GTEST_SKIP() << "neither ImageMagick nor Pillow is installed";
    TempDir dir;
    for (const auto& row : rows) {
        const bool pillow = row.reader == ReadWithPillow;
        if (!(pillow ? hasPillow : hasConvert))
            continue;
        SCOPED_TRACE(std::string(row.layout) + (pillow ? " by Pillow" : " by ImageMagick"));
        const TextureRecord texture =
            TextureBuilder(64, 32, row.depth)
                .levels(2)
                .masks(row.red, row.green, row.blue, row.alpha)
                .bytes([](int level, uint64_t i) { return uint8_t(i * 29 + (i >> 7) * 3 + level); })
                .palette([](int i) {
                    return Rgb{uint8_t(i * 5), uint8_t(255 - i), uint8_t(i / 3)};
                })
                .build();
        const std::string file = dir.file("t.dds");
        RecordingReport report;
        ASSERT_TRUE(DdsTextureWriter(file.c_str(), texture.record(), report));
        const std::string read = row.reader(file), exported = ExportedRgba(texture.record());
        ASSERT_EQ(exported.size(), read.size());
        EXPECT_LE(LargestDifference(exported, read), row.tolerance);
    }
}

}  // namespace
