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

// Another program that reads DDS: the command that succeeds when it is
// installed, and the one that prints level 0 of a file (its name between
// `before` and `after`) as 8-bit RGBA rows, or nothing when it refuses it.
struct OtherReader {
    const char* installed;
    const char* before;
    const char* after;
};

const OtherReader kImageMagick{"/usr/bin/convert -version", "/usr/bin/convert '", "[0]' rgba:-"};
const OtherReader kPillow{"/usr/bin/python3 -c 'import PIL'",
                          "/usr/bin/python3 -c 'import sys; from PIL import Image; sys.stdout.buffer.write("
                          "Image.open(sys.argv[1]).convert(\"RGBA\").tobytes())' '",
                          "'"};

std::string Output(const std::string& command)
{
    std::string bytes;
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen((command + " 2>/dev/null").c_str(), "r"), ::pclose);
    char chunk[4096];
    for (size_t n; pipe && (n = std::fread(chunk, 1, sizeof chunk, pipe.get())) > 0;)
        bytes.append(chunk, n);
    return bytes;
}

// The level as our PNG export writes it, in RGBA bytes.
std::string ExportedRgba(const T3D_TEXTURE& record)
{
    std::string bytes;
    for (const uint32_t argb : ExpandLevelToArgb(record, 0))
        bytes += {char(argb >> 16), char(argb >> 8), char(argb), char(argb >> 24)};
    return bytes;
}

TEST(DdsOtherReaders, ReadTheLayoutsTheyKnowAsWeShowThem)
{
    // ImageMagick widens a 5- or 6-bit channel v to floor(v * 255 / 31 or 63),
    // one below our repeated bits for some values; otherwise the pixels agree.
    const struct {
        const char* layout;
        unsigned depth;
        uint32_t red, green, blue, alpha;
        const OtherReader& reader;
        int tolerance;
    } rows[] = {
        {"5-6-5", 16, 0xF800, 0x07E0, 0x001F, 0, kImageMagick, 1},
        {"1-5-5-5", 16, 0x7C00, 0x03E0, 0x001F, 0x8000, kImageMagick, 1},
        {"4-4-4-4", 16, 0x0F00, 0x00F0, 0x000F, 0xF000, kImageMagick, 0},
        {"8-8-8", 24, 0xFF0000, 0x00FF00, 0x0000FF, 0, kImageMagick, 0},
        {"8-8-8-8", 32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000, kImageMagick, 0},
        {"X8-8-8-8", 32, 0xFF0000, 0x00FF00, 0x0000FF, 0, kImageMagick, 0},
        {"8-bit", 8, 0, 0, 0, 0, kImageMagick, 0},
        {"8-8-8", 24, 0xFF0000, 0x00FF00, 0x0000FF, 0, kPillow, 0},
        {"blue-first 8-8-8", 24, 0x0000FF, 0x00FF00, 0xFF0000, 0, kPillow, 0},
        {"8-8-8-8", 32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000, kPillow, 0},
        {"blue-first 8-8-8-8", 32, 0x0000FF, 0x00FF00, 0xFF0000, 0xFF000000, kPillow, 0},
        {"8-bit", 8, 0, 0, 0, 0, kPillow, 0},
    };
    TempDir dir;
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.layout) + " by " + row.reader.installed);
        if (std::system((std::string(row.reader.installed) + " >/dev/null 2>&1").c_str()) != 0)
            continue;  // not installed
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
        const std::string read = Output(row.reader.before + file + row.reader.after);
        const std::string exported = ExportedRgba(texture.record());
        ASSERT_EQ(exported.size(), read.size());
        size_t agree = 0;  // bytes within the tolerance, from the first
        while (agree < read.size() &&
               std::abs(int(uint8_t(read[agree])) - int(uint8_t(exported[agree]))) <= row.tolerance)
            ++agree;
        EXPECT_EQ(agree, read.size());
    }
}

}  // namespace
