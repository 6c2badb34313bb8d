// The one rule for a chain replacing a scene texture: its name, its flags,
// its format and what it says changed, whoever applies it.
#include "texturepack/ReplacementRule.h"

#include "support/TextureBuilder.h"

#include <gtest/gtest.h>

namespace {

TEST(ReplacementRule, NameFlagsFormatAndWordsFollowTheChoices)
{
    const TextureRecord scene = TextureBuilder(64, 64, 16).standardMasks().flags(0x80010013).name("marble_Z").build();
    const struct {
        const char* file;
        unsigned side;
        uint32_t fileFlags;  // as the file's name spelled them, the mipmap bit as its levels give it
        bool fromName, nameFromFile, keepFormat;
        const char* name;
        const char* renamedFrom;
        uint32_t flags;
        bool sceneFormat;
        const char* nameFlags;
        const char* changes;
    } rows[] = {
        {"/p/crate_A.png", 64, 0x03, false, true, false, "crate_A", "marble_Z", 0x80010013, true, "- Envmap",
         "new pixels"},
        {"/p/crate_A.png", 64, 0x03, true, true, false, "crate_A", "marble_Z", 0x80010003, true, "- Envmap",
         "flags 0x80010013 -> 0x80010003 (- Envmap)"},
        {"/p/crate_E.tga", 128, 0x10, false, false, false, "marble_Z", "", 0x80010012, false, "- Alpha level",
         "64 x 64 -> 128 x 128, flags 0x80010013 -> 0x80010012 (- Mipmap levels)"},
        {"/p/crate_E.tga", 64, 0x11, false, true, true, "crate_E", "marble_Z", 0x80010013, true, "- Alpha level",
         "new pixels"},
        {"/p/a.b.png", 64, 0x01, false, true, false, "a.b", "marble_Z", 0x80010013, true, "- Alpha level, - Envmap",
         "new pixels"},
        {"/p/marble_Z.png", 64, 0x13, false, true, false, "marble_Z", "", 0x80010013, true, "", "new pixels"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.file) + (row.fromName ? " from name" : "") + (row.keepFormat ? " keep" : ""));
        ReplaceChoices choices;
        choices.flagsFromName = row.fromName;
        choices.nameFromFile = row.nameFromFile;
        choices.keepFormat = row.keepFormat;
        TextureRecord chain = TextureBuilder(row.side, row.side, 16).standardMasks().flags(row.fileFlags).build();
        const ReplacementOutcome outcome = ApplyReplacementRule(scene.record(), chain.record(), row.file, choices);
        EXPECT_STREQ(row.name, chain.record().name);
        EXPECT_EQ(row.flags, chain.record().flags) << std::hex << chain.record().flags;
        EXPECT_EQ(row.sceneFormat, TakesSceneFormat(row.file, choices));
        EXPECT_EQ(row.nameFlags, outcome.nameFlags);
        EXPECT_EQ(row.changes, outcome.changes);
        EXPECT_EQ(row.renamedFrom, outcome.renamedFrom);
    }
}

}  // namespace
