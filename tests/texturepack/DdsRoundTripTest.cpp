// A texture written as a DDS and put back by the replacement rule comes back
// as it was: byte for byte in its own layout (an 8-bit texture through a
// palette DDS too), pixel for pixel when an 8-bit texture went out as 32-bit
// colours.
#include "scene/CVK7QScene.h"
#include "texture/chain/DdsTextureWriter.h"
#include "texture/convert/DepthConversion.h"
#include "texturepack/ReplacementRule.h"

#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "support/TextureBuilder.h"
#include "support/TextureCompare.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// Expanded through masks or palette, as the previews show it.
TextureRecord Expanded(const T3D_TEXTURE& texture)
{
    TextureRecord copy;
    EXPECT_TRUE(CopyTexture(texture, copy) && ExpandToRgbaChain(copy));
    return copy;
}

// Writes `texture` as a DDS and replaces it with that file; the result is
// the texture itself, or, `expanded`, its pixels as shown.
void ExpectRoundTrip(const T3D_TEXTURE& texture, DdsPaletteLayout layout, bool expanded)
{
    TempDir dir;
    const std::string file = dir.file(std::string(texture.name) + ".dds");
    RecordingReport report;
    ASSERT_TRUE(DdsTextureWriter(file.c_str(), texture, report, ImageWriteOptions(), layout));
    TextureRecord back;
    ReplacementOutcome outcome;
    ASSERT_TRUE(ReadReplacement(file, texture, ReplaceChoices(), back, report, outcome));
    EXPECT_TRUE(report.texts().empty()) << report.texts()[0];
    if (expanded)
        ExpectSameTexture(Expanded(texture).record(), Expanded(back.record()).record(), TextureParts::pixels);
    else
        ExpectSameTexture(texture, back.record());
}

TEST(DdsRoundTrip, EveryLayoutComesBackAsItWas)
{
    const LevelBytes pattern = [](int level, uint64_t i) { return uint8_t(i * 37 + level * 11 + (i >> 5)); };
    const auto grey = [](int i) { return Rgb{uint8_t(i), uint8_t(255 - i), uint8_t(i * 3)}; };
    // Layouts beyond the samples' and quorrel-cli's table of layouts (whose
    // pixels have no bits outside their masks).
    const struct {
        const char* name;
        unsigned depth;
        uint32_t red, green, blue, alpha;
    } built[] = {
        {"bgr565", 16, 0x001F, 0x07E0, 0xF800, 0},
        {"x555", 16, 0x7C00, 0x03E0, 0x001F, 0},  // bit 15 set in some pixels: kept
        {"bgr888", 24, 0x0000FF, 0x00FF00, 0xFF0000, 0},
    };
    std::vector<TextureRecord> textures;
    for (const auto& row : built)
        textures.push_back(TextureBuilder(64, 32, row.depth)
                               .levels(4)
                               .masks(row.red, row.green, row.blue, row.alpha)
                               .bytes(pattern)
                               .flags(kFlagMipmapLevels)
                               .name(row.name)
                               .build());
    textures.push_back(
        TextureBuilder(32, 32, 8).levels(4).bytes(pattern).palette(grey).flags(kFlagMipmapLevels).name("p8").build());
    CVK7QScene scenes[2];
    const std::filesystem::path samples = QUORREL_SAMPLES_DIR;
    ASSERT_TRUE(scenes[0].Load((samples / "scene_new.T3D").c_str(), 0));
    ASSERT_TRUE(scenes[1].Load((samples / "scene_old.T3D").c_str(), 0));
    for (CVK7QScene& scene : scenes) {
        for (int i = 0; i < scene.GetSceneHeader()->textureCount; ++i) {
            textures.emplace_back();
            ASSERT_TRUE(CopyTexture(scene.GetSceneHeader()->textures[i], textures.back()));
        }
    }

    for (const TextureRecord& texture : textures) {
        const T3D_TEXTURE& record = texture.record();
        SCOPED_TRACE(std::string(record.name) + " depth " + std::to_string(record.depth));
        ExpectRoundTrip(record, DdsPaletteLayout::expanded, record.depth == 8);
        if (record.depth == 8)
            ExpectRoundTrip(record, DdsPaletteLayout::indexed, false);
    }
}

}  // namespace
