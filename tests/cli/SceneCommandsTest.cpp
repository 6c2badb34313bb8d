#include "cli/SceneCommands.h"
#include "cli/TextureCommands.h"

#include "CommandCall.h"
#include "scene/CVK7QScene.h"
#include "scene/SceneFormat.h"
#include "support/PngTestBytes.h"
#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "support/TextureBuilder.h"
#include "support/TextureCompare.h"
#include "support/TgaTestBytes.h"
#include "texture/TextureRecord.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/convert/ConversionCost.h"
#include "texture/convert/PixelExpansion.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <unistd.h>

namespace {

// 32 x 32 colour-mapped, four map entries in 8 x 8 squares.
std::string WallFile()
{
    std::string indices;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            indices += char((x / 8 + y / 8) % 4);
    return MappedTga(32, 32, Bytes({0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF}), indices);
}

std::string FloorFile()
{
    std::vector<uint16_t> pixels;
    for (int i = 0; i < 16 * 8; ++i)
        pixels.push_back(uint16_t(i * 0x0421));
    return Tga555(16, 8, pixels);
}

TextureRecord ReadBack(const std::string& path, const TextureReadOptions& options = {})
{
    TextureRecord texture;
    RecordingReport report;
    EXPECT_TRUE(ReadTextureChain(path, texture, report, options)) << path;
    return texture;
}

// A scene of a pack of wall_A.tga and floor.tga, in `dir`.
class PackedScene : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteFileBytes(dir.file("wall_A.tga"), WallFile()));
        ASSERT_TRUE(WriteFileBytes(dir.file("floor.tga"), FloorFile()));
        scene = dir.file("scene.T3D");
        const Outcome pack = Call(RunPack, {scene, dir.file("wall_A.tga"), dir.file("floor.tga")});
        ASSERT_EQ(0, pack.status) << pack.err;
        EXPECT_EQ("wrote " + scene + ": new format, 2 textures\n", pack.out);
        packed = ReadFileBytes(scene);
    }

    TempDir dir;
    std::string scene;
    std::string packed;
};

// The files pack reads are known as the read finds them: a chain's later
// level, or a link to its first file, is never written over.
TEST_F(PackedScene, PackNeverWritesOverAFileOfItsChains)
{
    const std::string level1 = dir.file("wall_A1.tga");
    ASSERT_TRUE(WriteFileBytes(level1, MappedTga(16, 16, Bytes({0, 0, 0, 0xFF, 0, 0}), std::string(256, '\1'))));
    std::filesystem::create_symlink(dir.file("wall_A.tga"), dir.file("link.T3D"));
    for (const std::string& target : {level1, dir.file("link.T3D")}) {
        const std::string before = ReadFileBytes(target);
        const Outcome pack = Call(RunPack, {target, dir.file("wall_A.tga")});
        EXPECT_EQ(1, pack.status) << target;
        EXPECT_EQ("quorrel-cli: " + target + ": could not be written: it is a file the output is made from\n",
                  pack.err);
        EXPECT_EQ(before, ReadFileBytes(target));
    }
}

TEST_F(PackedScene, ListShowsFormatAndEveryTexture)
{
    const std::string rows = "0\twall_A\t32\t32\t8\t4\t0x03\n"
                             "1\tfloor\t16\t8\t16\t2\t0x01\n";
    const Outcome list = Call(RunList, {scene});
    EXPECT_EQ(0, list.status);
    EXPECT_EQ(scene + ": new format version 1, 2 textures, 0 other sections\n" + rows, list.out);

    const std::string old = dir.file("old.T3D");
    ASSERT_EQ(0, Call(RunPack, {old, dir.file("wall_A.tga"), dir.file("floor.tga")}, {{"--old-format", ""}}).status);
    EXPECT_EQ(old + ": old format version 1, 2 textures, 0 other sections\n" + rows, Call(RunList, {old}).out);

    const Outcome missing = Call(RunList, {dir.file("absent.T3D")});
    EXPECT_EQ(1, missing.status);
    EXPECT_EQ("quorrel-cli: " + dir.file("absent.T3D") + ": does not exist\n", missing.err);
    const Outcome notAScene = Call(RunList, {dir.file("floor.tga")});
    EXPECT_EQ(1, notAScene.status);
    EXPECT_EQ("quorrel-cli: " + dir.file("floor.tga") + ": is not a scene file\n", notAScene.err);
    const Outcome nowhere = Call(RunPack, {dir.file("missing/new.T3D"), dir.file("floor.tga")});
    EXPECT_EQ(1, nowhere.status);
    EXPECT_EQ("quorrel-cli: " + dir.file("missing/new.T3D") + ": its folder does not exist\n", nowhere.err);
}

TEST_F(PackedScene, ExtractWritesTheChainThatReadsBackTheSame)
{
    CVK7QScene loaded;
    ASSERT_EQ(1, loaded.Load(scene.c_str(), 0));
    const T3D_TEXTURE* textures = loaded.GetSceneHeader()->textures;

    const Outcome byName = Call(RunExtract, {scene, "wall_A", dir.file("out_A.tga")});
    ASSERT_EQ(0, byName.status) << byName.err;
    for (const char* level : {"out_A1.tga", "out_A2.tga", "out_A3.tga"})
        EXPECT_TRUE(std::filesystem::exists(dir.file(level))) << level;
    ExpectSameTexture(textures[0], ReadBack(dir.file("out_A.tga")).record(), TextureParts::pixels);

    ASSERT_EQ(0, Call(RunExtract, {scene, "1", dir.file("floor_out.tga")}).status);
    ExpectSameTexture(textures[1], ReadBack(dir.file("floor_out.tga")).record(), TextureParts::pixels);

    for (const char* which : {"2", "99999", "nope", ""}) {
        const Outcome bad = Call(RunExtract, {scene, which, dir.file("bad.tga")});
        EXPECT_EQ(1, bad.status) << which;
        EXPECT_NE(std::string::npos, bad.err.find("no texture")) << bad.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("bad.tga")));

    // A PNG chain reads back as the same 8-bit texture: palette and indices.
    ASSERT_EQ(0, Call(RunExtract, {scene, "wall_A", dir.file("png_A.PNG")}).status);
    EXPECT_TRUE(std::filesystem::exists(dir.file("png_A3.PNG")));
    TextureReadOptions to8;
    to8.convertTo = DepthOptions{8};
    ExpectSameTexture(textures[0], ReadBack(dir.file("png_A.PNG"), to8).record(), TextureParts::pixels);

    // Only .tga and .png names; never the scene file itself.
    for (const char* name : {"out.bmp", "out", "out.png.x"})
        EXPECT_EQ(2, Call(RunExtract, {scene, "0", dir.file(name)}).status) << name;
    const std::string tgaScene = dir.file("scene.tga");
    ASSERT_EQ(0, Call(RunConvert, {scene, tgaScene}, {{"--new-format", ""}}).status);
    const Outcome ontoScene = Call(RunExtract, {tgaScene, "0", tgaScene});
    EXPECT_EQ(1, ontoScene.status);
    EXPECT_EQ("quorrel-cli: " + tgaScene + ": could not be written: it is a file the output is made from\n",
              ontoScene.err);
    EXPECT_EQ(packed, ReadFileBytes(tgaScene));
}

TEST_F(PackedScene, ReplaceWritesWhereAskedAndRefusesBadInput)
{
    // The texture keeps its flags (the mipmap bit follows the levels) and
    // says what the file's name would have given; --flags-from-name takes those.
    const std::string out = dir.file("out.T3D");
    const Outcome kept = Call(RunReplace, {scene, "1", dir.file("wall_A.tga")}, {{"-o", out}});
    ASSERT_EQ(0, kept.status);
    // It takes its file's name, which texture 0 has too: said, and warned.
    EXPECT_EQ("texture 1 (floor) keeps its flags; its file's name would give + Alpha level (--flags-from-name takes "
              "them)\ntexture 1: wall_A, was floor\nwrote " +
                  out + ": new format, 2 textures\n",
              kept.out);
    EXPECT_EQ("quorrel-cli: " + out +
                  ": warning: textures 0 and 1 are both named wall_A; give the index to pick either\n",
              kept.err);
    EXPECT_EQ(packed, ReadFileBytes(scene));
    EXPECT_EQ(out + ": new format version 1, 2 textures, 0 other sections\n"
                    "0\twall_A\t32\t32\t8\t4\t0x03\n"
                    "1\twall_A\t32\t32\t8\t4\t0x01\n",
              Call(RunList, {out}).out);
    const Outcome taken =
        Call(RunReplace, {scene, "1", dir.file("wall_A.tga")}, {{"-o", out}, {"--flags-from-name", ""}});
    EXPECT_EQ(0u, taken.out.find("texture 1 (floor) takes the flags of its file's name: + Alpha level\n"));
    EXPECT_NE(std::string::npos, Call(RunList, {out}).out.find("1\twall_A\t32\t32\t8\t4\t0x03\n"));
    const std::string keptName = dir.file("kept.T3D");
    ASSERT_EQ(0,
              Call(RunReplace, {scene, "1", dir.file("wall_A.tga")}, {{"-o", keptName}, {"--keep-name", ""}}).status);
    EXPECT_NE(std::string::npos, Call(RunList, {keptName}).out.find("1\tfloor\t32\t32\t8\t4\t0x01\n"));

    // Two textures are now named wall_A: the name no longer picks one.
    const Outcome ambiguous = Call(RunReplace, {out, "wall_A", dir.file("floor.tga")});
    EXPECT_EQ(1, ambiguous.status);
    EXPECT_EQ("quorrel-cli: " + out + ": textures 0 and 1 are both named wall_A; give the index\n", ambiguous.err);

    for (const std::string& which : {std::string("2"), std::string("ceiling")})
        EXPECT_EQ(1, Call(RunReplace, {scene, which, dir.file("wall_A.tga")}).status) << which;
    // The scene never goes over a file of the chain it takes.
    const Outcome ontoInput = Call(RunReplace, {scene, "0", dir.file("floor.tga")}, {{"-o", dir.file("floor.tga")}});
    EXPECT_EQ(1, ontoInput.status);
    EXPECT_EQ("quorrel-cli: " + dir.file("floor.tga") +
                  ": warning: textures 0 and 1 are both named floor; give the index to pick either\nquorrel-cli: " +
                  dir.file("floor.tga") + ": could not be written: it is a file the output is made from\n",
              ontoInput.err);
    EXPECT_EQ(1, Call(RunPack, {dir.file("floor.tga"), dir.file("wall_A.tga"), dir.file("floor.tga")}).status);
    EXPECT_EQ(FloorFile(), ReadFileBytes(dir.file("floor.tga")));
    const Outcome noTga = Call(RunReplace, {scene, "0", dir.file("absent.tga")});
    EXPECT_EQ(1, noTga.status);
    EXPECT_EQ("quorrel-cli: " + dir.file("absent.tga") + ": does not exist\n", noTga.err);
    EXPECT_EQ(packed, ReadFileBytes(scene));

    // In place, by name, and into the old format.
    ASSERT_EQ(0, Call(RunReplace, {scene, "floor", dir.file("wall_A.tga")}, {{"--old-format", ""}}).status);
    CVK7QScene loaded;
    ASSERT_EQ(1, loaded.Load(scene.c_str(), 0));
    EXPECT_EQ(kOldSceneMagic, loaded.GetSceneHeader()->magic);
    ExpectSameTexture(loaded.GetSceneHeader()->textures[0], loaded.GetSceneHeader()->textures[1], TextureParts::pixels);
}

// A dry run and info --as give the cost of exactly what replace puts in: the
// scene's texture after a real replace against the file as read.
TEST_F(PackedScene, DryRunAndInfoAsSayWhatTheConversionCosts)
{
    PngPicture picture;
    picture.width = picture.height = 32;  // 1024 colours: more than a palette holds
    picture.colourType = 2;
    for (uint32_t i = 0; i < 32 * 32; ++i)
        picture.rows.insert(picture.rows.end(), {uint8_t(i * 37), uint8_t(i * 11 + 3), uint8_t(i / 4)});
    const std::string png = dir.file("paint.png");
    const std::vector<uint8_t> bytes = MakePng(picture);
    ASSERT_TRUE(WriteFileBytes(png, std::string(bytes.begin(), bytes.end())));
    const TextureRecord asRead = ReadBack(png);
    const std::string out = dir.file("out.T3D");
    // Texture 0 is 8-bit (quantised), texture 1 5-5-5 (low bits lost).
    for (const char* index : {"0", "1"}) {
        ASSERT_EQ(0, Call(RunReplace, {scene, index, png}, {{"-o", out}}).status) << index;
        CVK7QScene replaced;
        ASSERT_EQ(1, replaced.Load(out.c_str(), 0));
        const T3D_TEXTURE& goesIn = replaced.GetSceneHeader()->textures[std::atoi(index)];
        const std::string cost = ConversionCostText(ConversionCost(asRead.record(), goesIn));
        ASSERT_FALSE(cost.empty());
        ASSERT_EQ(0, ::unlink(out.c_str()));

        const Outcome dry = Call(RunReplace, {scene, index, png}, {{"-o", out}, {"--dry-run", ""}});
        EXPECT_EQ(0, dry.status) << index;
        EXPECT_NE(std::string::npos, dry.out.find(") would take " + png + ": ")) << dry.out;
        EXPECT_NE(std::string::npos, dry.out.find("; " + cost + "; nothing written (--dry-run)\n")) << dry.out;
        EXPECT_FALSE(std::filesystem::exists(out)) << index;
        EXPECT_EQ(packed, ReadFileBytes(scene));

        const Outcome info = Call(RunInfo, {png}, {{"--as", scene + ":" + index}});
        EXPECT_EQ(0, info.status) << info.err;
        EXPECT_NE(std::string::npos, info.out.find("\ndepth: " + std::to_string(goesIn.depth) + "\n")) << info.out;
        EXPECT_NE(std::string::npos, info.out.find("\ncost: " + cost + "\n")) << info.out;
    }
    for (const char* as : {"scene", ":1", "scene.T3D:"})
        EXPECT_EQ(2, Call(RunInfo, {png}, {{"--as", as}}).status) << as;
    EXPECT_EQ(1, Call(RunInfo, {png}, {{"--as", scene + ":7"}}).status);
    EXPECT_EQ(2, Call(RunInfo, {png}, {{"--no-dither", ""}}).status);
}

TEST_F(PackedScene, SetChangesFlagsAndNameAndRefusesWhatItCannotDo)
{
    // wall_A is 0x03 and floor 0x01. U spells "Clamped for V", V "Clamped for U".
    struct Row {
        const char* which;
        std::map<std::string, std::string> options;
        int status;
        std::string said;    // on standard output, or within standard error
        std::string listed;  // list's rows of the scene written
    };
    const std::string out = dir.file("set.T3D");
    const std::string floor = "1\tfloor\t16\t8\t16\t2\t0x01\n";
    const std::string wall = "0\twall_A\t32\t32\t8\t4\t0x03\n";
    const Row rows[] = {
        {"wall_A",
         {{"--flags", "+EU-A"}},
         0,
         "texture 0 (wall_A): - Alpha level, + Envmap, + Clamped for V\n",
         "0\twall_A\t32\t32\t8\t4\t0x51\n" + floor},
        {"1", {{"--flags", "+v"}}, 0, "texture 1 (floor): + Clamped for U\n", wall + "1\tfloor\t16\t8\t16\t2\t0x21\n"},
        {"0",
         {{"--flags", "0x30"}},
         0,
         "texture 0 (wall_A): - Alpha level, + Envmap, + Clamped for U\n",
         "0\twall_A\t32\t32\t8\t4\t0x31\n" + floor},
        {"floor",
         {{"--flags", "+Z"}, {"--name", "crate_A"}},
         0,
         "texture 1 (floor): + No Z-Buffer; name floor -> crate_A\n",
         wall + "1\tcrate_A\t16\t8\t16\t2\t0x81\n"},
        {"1", {{"--flags", "+E-E"}, {"--name", "floor"}}, 0, "texture 1 (floor): no change\n", wall + floor},
        {"1", {{"--name", "wall_A"}}, 1, ": texture 0 is already named wall_A\n", ""},
        {"1", {{"--flags", "+Q"}}, 2, "--flags wants + or - before the letters", ""},
        {"1", {{"--flags", "E"}}, 2, "--flags wants + or - before the letters", ""},
        {"1", {{"--flags", "0x01"}}, 2, "not '0x01'", ""},
        {"1", {{"--flags", "0x100"}}, 2, "not '0x100'", ""},
        {"1", {{"--name", std::string(256, 'n')}}, 2, "1 to 255 bytes, not 256", ""},
        {"1", {}, 2, "set wants --flags, --name or both", ""},
        {"2", {{"--flags", "+E"}}, 1, "has no texture 2", ""},
    };
    for (const Row& row : rows) {
        std::filesystem::remove(out);
        std::map<std::string, std::string> options = row.options;
        options["-o"] = out;
        const Outcome set = Call(RunSet, {scene, row.which}, options);
        EXPECT_EQ(row.status, set.status) << row.which << ' ' << set.err;
        if (row.status != 0) {
            EXPECT_NE(std::string::npos, set.err.find(row.said)) << set.err;
            EXPECT_FALSE(std::filesystem::exists(out)) << row.said;
            continue;
        }
        EXPECT_EQ(row.said + "wrote " + out + ": new format, 2 textures\n", set.out);
        EXPECT_EQ(out + ": new format version 1, 2 textures, 0 other sections\n" + row.listed,
                  Call(RunList, {out}).out);
    }
    EXPECT_EQ(packed, ReadFileBytes(scene));

    // In place, a scene of the old format stays old.
    ASSERT_EQ(0, Call(RunConvert, {scene, scene}, {{"--old-format", ""}}).status);
    ASSERT_EQ(0, Call(RunSet, {scene, "1"}, {{"--flags", "+E"}}).status);
    EXPECT_EQ(scene + ": old format version 1, 2 textures, 0 other sections\n" + wall +
                  "1\tfloor\t16\t8\t16\t2\t0x11\n",
              Call(RunList, {scene}).out);
}

TEST_F(PackedScene, ConvertWantsOneFormatAndRoundTrips)
{
    const std::string old = dir.file("old.T3D");
    EXPECT_EQ(2, Call(RunConvert, {scene, old}).status);
    EXPECT_EQ(2, Call(RunConvert, {scene, old}, {{"--old-format", ""}, {"--new-format", ""}}).status);
    EXPECT_FALSE(std::filesystem::exists(old));

    ASSERT_EQ(0, Call(RunConvert, {scene, old}, {{"--old-format", ""}}).status);
    EXPECT_NE(packed, ReadFileBytes(old));
    ASSERT_EQ(0, Call(RunConvert, {old, dir.file("again.T3D")}, {{"--new-format", ""}}).status);
    EXPECT_EQ(packed, ReadFileBytes(dir.file("again.T3D")));
    EXPECT_EQ(1, Call(RunConvert, {dir.file("absent.T3D"), old}, {{"--new-format", ""}}).status);
}

TEST(SceneCommands, PackStoresSixteenBitsAs565WhenAsked)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.file("tile.tga"), Tga555(2, 2, {0x7FFF, 0x03E0, 0x0021, 0x7C00})));
    const std::string scene = dir.file("tile.T3D");
    ASSERT_EQ(0, Call(RunPack, {scene, dir.file("tile.tga")}, {{"--rgb565", ""}}).status);
    CVK7QScene loaded;
    ASSERT_EQ(1, loaded.Load(scene.c_str(), 0));
    const T3D_TEXTURE& t = loaded.GetSceneHeader()->textures[0];
    EXPECT_EQ(0xF800u, t.redMask);
    EXPECT_EQ(0x07E0u, t.greenMask);
    EXPECT_EQ(0x001Fu, t.blueMask);
    EXPECT_EQ(std::string("\xFF\xFF\xE0\x07\x41\x00\x00\xF8", 8), std::string(reinterpret_cast<char*>(t.levels[0]), 8));

    const Outcome badInput = Call(RunPack, {dir.file("none.T3D"), dir.file("tile.tga"), dir.file("absent.tga")});
    EXPECT_EQ(1, badInput.status);
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.T3D")));
}

TEST(SceneCommands, ExtractAllNamesEveryTextureAndNeverOverwritesUnlessForced)
{
    TempDir dir;
    CVK7QScene built;
    const std::string longName = std::string(252, 'L') + "_DZ";  // 255 characters
    const std::string names[] = {"wall_A", "wall_A", "C:\\textures\\sign_Z.tga", "bad:na*me", "",
                                 "wall_9", longName, "line\nbreak\x1b"};
    const int count = int(std::size(names));
    for (int i = 0; i < count; ++i) {
        // As many levels as the reader makes of a 32 x 32 chain; it reads the first two.
        TextureRecord t = TextureBuilder(32, 32, 8)
                              .levels(4)
                              .name(names[i])
                              .bytes([i](int level, uint64_t) { return uint8_t(10 * i + level); })
                              .build();
        ASSERT_EQ(1, built.AppendT3DTexture(&t.record()));
    }
    const std::string scene = dir.file("s.T3D");
    ASSERT_EQ(1, built.Write(scene.c_str()));
    const std::string out = dir.file("out");
    std::filesystem::create_directory(out);
    ASSERT_TRUE(WriteFileBytes(out + "/sign_Z1.tga", "mine"));
    ASSERT_TRUE(WriteFileBytes(dir.file("precious"), "precious"));
    ASSERT_EQ(0, ::symlink(dir.file("precious").c_str(), (out + "/wall_A2.tga").c_str()));

    const Outcome refused = Call(RunExtractAll, {scene, out});
    EXPECT_EQ(1, refused.status);
    EXPECT_EQ("quorrel-cli: " + out + "/wall_A2.tga: already exists; give --force to overwrite it\n",
              refused.err);                                                     // a link counts
    EXPECT_EQ(2, std::distance(std::filesystem::directory_iterator(out), {}));  // nothing written

    // Control characters in names are escaped wherever a name is printed.
    EXPECT_NE(std::string::npos, Call(RunList, {scene}).out.find("\n7\tline\\nbreak\\x1b\t32\t"));

    const Outcome forced = Call(RunExtractAll, {scene, out}, {{"--force", ""}});
    ASSERT_EQ(0, forced.status) << forced.err;
    const std::string shortened = std::string(247, 'L') + "_DZ.tga";
    const std::string expected[] = {"wall_A.tga",    "wall-2_A.tga", "sign_Z.tga", "bad-na-me.tga",
                                    "texture-4.tga", "wall_0.tga",   shortened,    "line-break-.tga"};
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(expected[i].substr(0, 20));
        TextureRecord back = ReadBack(out + "/" + expected[i]);
        ASSERT_EQ(4, back.record().levelCount);
        EXPECT_EQ(10 * i, back.record().levels[0][0]);
        EXPECT_EQ(10 * i + 1, back.record().levels[1][0]);
    }
    EXPECT_NE(std::string::npos, forced.out.find("1\twall_A\t" + out +
                                                 "/wall-2_A.tga\t4 levels, renamed: another "
                                                 "texture's files have that name\n"));
    EXPECT_NE(std::string::npos, forced.out.find("5\twall_9\t" + out +
                                                 "/wall_0.tga\t4 levels, renamed: its level "
                                                 "numbers would run past 9\n"));
    EXPECT_NE(std::string::npos, forced.out.find("7\tline\\nbreak\\x1b\t" + out + "/line-break-.tga\t4 levels\n"));
    EXPECT_NE("mine", ReadFileBytes(out + "/sign_Z1.tga"));
    EXPECT_EQ("precious", ReadFileBytes(dir.file("precious")));  // the link in DIR was replaced, not followed
    EXPECT_FALSE(std::filesystem::is_symlink(out + "/wall_A2.tga"));
    EXPECT_TRUE(std::filesystem::exists(out + "/wall-2_A3.tga"));
    for (const std::string& name : FolderEntries(out))
        EXPECT_NE(0u, name.find(".quorrel.")) << "temporary left: " << name;

    // A texture whose file cannot be written is named after the writer's reason.
    std::filesystem::remove(out + "/wall_A1.tga");
    std::filesystem::create_directory(out + "/wall_A1.tga");
    const Outcome blocked = Call(RunExtractAll, {scene, out}, {{"--force", ""}});
    EXPECT_EQ(1, blocked.status);
    EXPECT_EQ("quorrel-cli: " + out + "/wall_A1.tga: could not be written: not a regular file\nquorrel-cli: " + scene +
                  ": texture 0 (wall_A) was not written\n",
              blocked.err);

    const Outcome intoNewFolder = Call(RunExtractAll, {scene, dir.file("made/here")});
    EXPECT_EQ(0, intoNewFolder.status);
    EXPECT_TRUE(std::filesystem::exists(dir.file("made/here/wall-2_A1.tga")));

    // As PNG chains: the same names with .png, reading back the same indices.
    const Outcome asPng = Call(RunExtractAll, {scene, dir.file("png")}, {{"--png", ""}});
    ASSERT_EQ(0, asPng.status) << asPng.err;
    EXPECT_NE(std::string::npos, asPng.out.find(dir.file("png") + "/wall-2_A.png\t4 levels"));
    TextureReadOptions to8;
    to8.convertTo = DepthOptions{8};
    const TextureRecord back = ReadBack(dir.file("png/wall-2_A.png"), to8);
    EXPECT_EQ(10, back.record().levels[0][0]);
    EXPECT_EQ(11, back.record().levels[1][0]);

    // As DDS files: one a texture, whose name needs no level numbers; with
    // --dds-palette each reads back as its 8-bit texture.
    const Outcome asDds = Call(RunExtractAll, {scene, dir.file("dds")}, {{"--dds", ""}, {"--dds-palette", ""}});
    ASSERT_EQ(0, asDds.status) << asDds.err;
    EXPECT_NE(std::string::npos, asDds.out.find("5\twall_9\t" + dir.file("dds") + "/wall_9.dds\t4 levels\n"));
    EXPECT_EQ(count + 1, std::distance(std::filesystem::directory_iterator(dir.file("dds")), {}));  // and textures.tsv
    ExpectSameTexture(built.GetSceneHeader()->textures[1], ReadBack(dir.file("dds/wall-2_A.dds")).record(),
                      TextureParts::pixels);
}

// A PNG painted elsewhere goes into a scene at every depth and comes back out.
TEST_F(PackedScene, PngChainsGoInAtTheDepthAskedOrTheTexturesOwn)
{
    PngPicture picture;  // 32 x 32 RGBA, 16 colours in 8 x 8 squares
    picture.width = picture.height = 32;
    picture.colourType = 6;
    for (unsigned y = 0; y < 32; ++y)
        for (unsigned x = 0; x < 32; ++x)
            picture.rows.insert(picture.rows.end(), {uint8_t(x / 8 * 80), uint8_t(y / 8 * 80), 40, 255});
    const std::vector<uint8_t> pngBytes = MakePng(picture);
    const std::string png = dir.file("paint_A.png");
    ASSERT_TRUE(WriteFileBytes(png, std::string(pngBytes.begin(), pngBytes.end())));
    const uint32_t corner = 0xFF000000u | 240u << 16 | 240u << 8 | 40u;  // pixel (31, 31)
    // The corner as the preview shows it at 16 bits.
    auto at16 = [](unsigned greenBits) {
        auto channel = [](unsigned c, unsigned bits) { return uint32_t(WidenChannel(NarrowChannel(c, bits), bits)); };
        return 0xFF000000u | channel(240, 5) << 16 | channel(240, greenBits) << 8 | channel(40, 5);
    };

    struct Pack {
        std::map<std::string, std::string> options;
        unsigned depth;
        uint32_t greenMask;
    };
    const Pack packs[] = {
        {{}, 32, kMask8888Green},
        {{{"--depth", "24"}, {"--mip-filter", "box"}}, 24, kMask8888Green},
        {{{"--depth", "16"}, {"--rgb565", ""}}, 16, kMask565Green},
        {{{"--depth", "8"}, {"--no-dither", ""}}, 8, 0},
    };
    for (const Pack& p : packs) {
        const std::string out = dir.file("p" + std::to_string(p.depth) + ".T3D");
        const Outcome pack = Call(RunPack, {out, png}, p.options);
        ASSERT_EQ(0, pack.status) << pack.err;
        CVK7QScene loaded;
        ASSERT_EQ(1, loaded.Load(out.c_str(), 0));
        const T3D_TEXTURE& t = loaded.GetSceneHeader()->textures[0];
        EXPECT_EQ(p.depth, t.depth);
        EXPECT_EQ(p.greenMask, t.greenMask);
        EXPECT_EQ(4, t.levelCount);
        EXPECT_STREQ("paint_A", t.name);
        const std::vector<uint32_t> level0 = ExpandLevelToArgb(t, 0);
        const uint32_t want = p.depth == 16 ? at16(6) : corner;
        EXPECT_EQ(want, level0.back()) << std::hex << level0.back();
    }

    // A PNG takes the scene texture's format; a TGA its own unless --keep-format.
    const std::string out = dir.file("r.T3D");
    ASSERT_EQ(0, Call(RunReplace, {scene, "1", png}, {{"-o", out}}).status);
    ASSERT_EQ(0, Call(RunReplace, {out, "0", dir.file("floor.tga")}, {{"--keep-format", ""}}).status);
    CVK7QScene replaced;
    ASSERT_EQ(1, replaced.Load(out.c_str(), 0));
    const T3D_TEXTURE* textures = replaced.GetSceneHeader()->textures;
    EXPECT_EQ(16, textures[1].depth);
    EXPECT_EQ(kMask555Green, textures[1].greenMask);
    EXPECT_EQ(at16(5), ExpandLevelToArgb(textures[1], 0).back());
    EXPECT_EQ(8, textures[0].depth);
    EXPECT_EQ(ExpandLevelToArgb(ReadBack(dir.file("floor.tga")).record(), 0), ExpandLevelToArgb(textures[0], 0));
    ASSERT_EQ(0, Call(RunReplace, {out, "0", dir.file("floor.tga")}).status);
    ASSERT_EQ(1, replaced.Load(out.c_str(), 0));
    EXPECT_EQ(16, replaced.GetSceneHeader()->textures[0].depth);

    // Options that do not go together are usage errors, and nothing is written.
    const std::map<std::string, std::string> wrongPacks[] = {
        {{"--depth", "12"}}, {{"--depth", "8"}, {"--rgb565", ""}}, {{"--mip-filter", "linear"}}};
    for (const auto& options : wrongPacks)
        EXPECT_EQ(2, Call(RunPack, {dir.file("no.T3D"), png}, options).status);
    std::vector<std::string> tooMany(65537, png);  // the scene and 65,536 chains: refused before any is read
    tooMany[0] = dir.file("no.T3D");
    const Outcome overLimit = Call(RunPack, tooMany);
    EXPECT_EQ(2, overLimit.status);
    EXPECT_EQ("quorrel-cli: pack takes at most 65535 chains, the most a scene holds, not 65536\n", overLimit.err);
    // --rgb565 with a chain that takes the texture's format, whatever its kind.
    const std::string before = ReadFileBytes(out);
    for (const std::string& source : {png, dir.file("floor.tga")}) {
        const Outcome both = Call(RunReplace, {out, "1", source}, {{"--keep-format", ""}, {"--rgb565", ""}});
        EXPECT_EQ(2, both.status);
        EXPECT_EQ("quorrel-cli: --rgb565 does not go with --keep-format: the scene's texture gives the format\n",
                  both.err);
    }
    const struct {
        std::string source, kind;
    } takingFormat[] = {{png, "PNG"}, {dir.file("absent.dds"), "DDS"}};
    for (const auto& chain : takingFormat) {
        const Outcome as565 = Call(RunReplace, {out, "1", chain.source}, {{"--rgb565", ""}});
        EXPECT_EQ(2, as565.status);
        EXPECT_EQ("quorrel-cli: --rgb565 does not go with a " + chain.kind +
                      " chain: the scene's texture gives the format\n",
                  as565.err);
    }
    EXPECT_EQ(before, ReadFileBytes(out));
    EXPECT_FALSE(std::filesystem::exists(dir.file("no.T3D")));
}

TEST(SceneCommands, TheProgramKnowsTheSceneCommands)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.file("wall_A.tga"), WallFile()));
    struct Run {
        QStringList arguments;
        int status;
    };
    const QString scene = QString::fromStdString(dir.file("p.T3D"));
    const QString tga = QString::fromStdString(dir.file("wall_A.tga"));
    for (const Run& run :
         {Run{{"pack", scene, tga}, 0},
          Run{{"list", scene}, 0},
          Run{{"extract", scene, "0", QString::fromStdString(dir.file("x.tga"))}, 0},
          Run{{"extract-all", scene, QString::fromStdString(dir.file("all"))}, 0},
          Run{{"replace", scene, "0", tga}, 0},
          Run{{"convert", scene, scene, "--old-format"}, 0},
          Run{{"convert", scene, scene}, 2},
          Run{{"list"}, 2},
          Run{{"extract", scene, "0", QString::fromStdString(dir.file("x.bmp"))}, 2},
          Run{{"extract", scene, "0", QString::fromStdString(dir.file("x.png"))}, 0},
          Run{{"extract-all", scene, QString::fromStdString(dir.file("png")), "--png"}, 0},
          Run{{"extract", scene, "0", QString::fromStdString(dir.file("x.dds")), "--dds-palette"}, 0},
          Run{{"extract", scene, "0", QString::fromStdString(dir.file("x.tga")), "--dds-palette"}, 2},
          Run{{"extract", scene, "0", QString::fromStdString(dir.file("x.dds")), "--format", "png"}, 2},
          Run{{"replace", scene, "0", QString::fromStdString(dir.file("x.dds"))}, 0},
          Run{{"extract-all", scene, QString::fromStdString(dir.file("dds")), "--dds", "--dds-palette"}, 0},
          Run{{"extract-all", scene, QString::fromStdString(dir.file("dds")), "--dds", "--png"}, 2},
          Run{{"extract-all", scene, QString::fromStdString(dir.file("dds")), "--dds-palette"}, 2},
          Run{{"pack", scene, QString::fromStdString(dir.file("x.png")), "--depth", "8"}, 0},
          Run{{"pack", scene, tga, "--depth", "9"}, 2},
          Run{{"set", scene, "0", "--flags", "+E"}, 0},
          Run{{"set", scene, "0", "--flags", "+Q"}, 2}}) {
        QProcess process;
        process.start(QUORREL_CLI, run.arguments);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(run.status, process.exitCode()) << run.arguments.join(' ').toStdString() << '\n'
                                                  << process.readAllStandardError().toStdString();
    }
}

TEST(SceneCommands, AFileSizeLimitIsAReportedFailure)
{
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.file("wall_A.tga"), WallFile()));
    ASSERT_EQ(0, Call(RunPack, {dir.file("p.T3D"), dir.file("wall_A.tga")}).status);
    ASSERT_TRUE(WriteFileBytes(dir.file("x.tga"), "old"));
    QProcess process;  // a limit of 1024 bytes: level 0 takes 1810
    process.start("sh", {"-c", "ulimit -f 2 && exec \"$0\" \"$@\"", QUORREL_CLI, "extract",
                         QString::fromStdString(dir.file("p.T3D")), "0", QString::fromStdString(dir.file("x.tga"))});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(QProcess::NormalExit, process.exitStatus());
    EXPECT_EQ(1, process.exitCode());
    EXPECT_EQ("quorrel-cli: " + dir.file("x.tga") + ": could not be written\n",
              process.readAllStandardError().toStdString());
    EXPECT_EQ("old", ReadFileBytes(dir.file("x.tga")));
    EXPECT_EQ(std::vector<std::string>({"p.T3D", "wall_A.tga", "x.tga"}), FolderEntries(dir.path()));
}

}  // namespace

// A scene texture of any layout goes out through extract, as PNG and as TGA,
// with every channel it has, and comes back through replace in the masks it
// had, pixel for pixel; masks that pixels cannot be packed into are refused
// with the reason.
TEST(SceneCommands, EveryLayoutSurvivesExtractAndReplace)
{
    struct Layout {
        unsigned depth;
        PixelMasks masks;
        std::string refusal;
    };
    const Layout layouts[] = {
        {16, {0x0F00, 0x00F0, 0x000F, 0xF000}, ""},                  // 4-4-4-4
        {16, {0x7C00, 0x03E0, 0x001F, 0x8000}, ""},                  // 1-5-5-5
        {16, {0xF800, 0x07E0, 0x001F, 0}, ""},                       // 5-6-5
        {16, {0x001F, 0x03E0, 0x7C00, 0}, ""},                       // blue first
        {24, {0xFC0000, 0x03F000, 0x000FC0, 0x00003F}, ""},          // 6-6-6-6
        {32, {0xFF0000, 0x00FF00, 0x0000FF, 0}, ""},                 // no alpha
        {32, {0x0000FF, 0x00FF00, 0xFF0000, 0xFF000000}, ""},        // ABGR
        {32, {0x00FF0000, 0x0000FF00, 0x000000FF, 0x03000000}, ""},  // 2 alpha bits
        {32, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}, "has a mask of more than 8 bits"},
        {16, {0xF800, 0x0FE0, 0x001F, 0}, "has masks that share bits"},
        {16, {0xF0F0, 0x0F00, 0x000F, 0}, "has a mask that is not one run of bits"},
        {16, {0x1F0000, 0x03E0, 0x001F, 0}, "has masks past its 16 bits"},
        {16, {0x7C00, 0x03E0, 0, 0}, "lacks a red, green or blue mask"},
    };
    TempDir dir;
    const std::string scene = dir.file("s.T3D"), replaced = dir.file("r.T3D");
    std::string withAlpha;  // an extracted PNG that is not opaque
    for (const Layout& layout : layouts) {
        const PixelMasks& m = layout.masks;
        SCOPED_TRACE(std::to_string(layout.depth) + " bits, alpha " + std::to_string(m.alpha));
        const unsigned bytesPerPixel = layout.depth / 8;
        const uint32_t used = m.red | m.green | m.blue | m.alpha;
        TextureRecord texture = TextureBuilder(16, 16, layout.depth)
                                    .masks(m.red, m.green, m.blue, m.alpha)
                                    .bytes([&](int, uint64_t i) {
                                        const uint32_t pixel = uint32_t(i / bytesPerPixel * 2654435761u) & used;
                                        return uint8_t(pixel >> 8 * (i % bytesPerPixel));
                                    })
                                    .build();
        CVK7QScene built;
        ASSERT_EQ(1, built.AppendT3DTexture(&texture.record()));
        ASSERT_EQ(1, built.Write(scene.c_str()));
        const T3D_TEXTURE& original = texture.record();

        if (!layout.refusal.empty()) {
            const Outcome refused = Call(RunReplace, {scene, "0", withAlpha}, {{"-o", replaced}});
            EXPECT_EQ(1, refused.status);
            EXPECT_EQ("quorrel-cli: " + withAlpha + ": can't be converted: the texture it goes into " + layout.refusal +
                          "\n",
                      refused.err);
            continue;
        }
        for (const char* name : {"x.png", "x.tga", "x.dds"}) {
            if (m.green == 0x07E0 && name[2] == 't')
                continue;  // a TGA file holds 5-6-5 as 5-5-5, by the TGA writer's fixed rule
            const std::string extracted = dir.file(name);
            ASSERT_EQ(0, Call(RunExtract, {scene, "0", extracted}).status) << name;
            EXPECT_EQ(ExpandLevelToArgb(original, 0), ExpandLevelToArgb(ReadBack(extracted).record(), 0)) << name;

            const Outcome replace =
                Call(RunReplace, {scene, "0", extracted}, {{"-o", replaced}, {"--keep-format", ""}});
            ASSERT_EQ(0, replace.status) << replace.err;
            EXPECT_EQ("", replace.err) << name;
            CVK7QScene back;
            ASSERT_EQ(1, back.Load(replaced.c_str(), 0));
            const T3D_TEXTURE& t = back.GetSceneHeader()->textures[0];
            EXPECT_EQ(layout.depth, t.depth) << name;
            EXPECT_EQ(m, MasksOf(t)) << name;
            EXPECT_EQ(0, std::memcmp(original.levels[0], t.levels[0], LevelByteCount(original, 0))) << name;
        }
        if (withAlpha.empty()) {  // the first, 4-4-4-4
            withAlpha = dir.file("alpha.png");
            std::filesystem::copy_file(dir.file("x.png"), withAlpha);
        }
        if (m.alpha == 0) {
            // Only a texture without alpha drops the replacement's, and says so.
            const Outcome dropped = Call(RunReplace, {scene, "0", withAlpha}, {{"-o", replaced}});
            EXPECT_EQ(0, dropped.status);
            EXPECT_EQ("quorrel-cli: " + withAlpha +
                          ": warning: is not opaque: the texture it goes into has no alpha, so its alpha is dropped\n",
                      dropped.err);
        }
    }
}
