#include "texturepack/EscapedText.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(EscapedText, EscapesWhatATerminalWouldActOnAndUndoesItExactly)
{
    // clang-format off
    const std::pair<std::string, std::string> rows[] = {
        {"crate_A", "crate_A"},
        {"a\\b", "a\\\\b"},
        {"line\nbreak\ttab\rret", "line\\nbreak\\ttab\\rret"},
        {std::string("nul\0esc\x1b del\x7f", 13), "nul\\x00esc\\x1b del\\x7f"},
        {"csi\xc2\x9b" "2J", "csi\\xc2\\x9b2J"},              // U+009B, a one-character CSI
        {"\xc2\x80\xc2\x9f", "\\xc2\\x80\\xc2\\x9f"},          // the ends of C1
        {"\xc2\xa0\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", "\xc2\xa0\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"},  // valid
        {"\xe9t\xe9", "\\xe9t\\xe9"},                          // Latin-1, not UTF-8
        {"\xc0\xaf\xed\xa0\x80\xf4\x90\x80\x80", "\\xc0\\xaf\\xed\\xa0\\x80\\xf4\\x90\\x80\\x80"},  // overlong, surrogate, too high
        {"cut\xe2\x82", "cut\\xe2\\x82"},                       // a sequence the end cuts short
    };
    // clang-format on
    for (const auto& [text, escaped] : rows) {
        EXPECT_EQ(escaped, Escaped(text));
        std::string back;
        ASSERT_TRUE(Unescaped(escaped, back)) << escaped;
        EXPECT_EQ(text, back);
    }

    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 12, '\0');
        for (char& c : text)
            c = char(random());
        std::string back;
        ASSERT_TRUE(Unescaped(Escaped(text), back));
        EXPECT_EQ(text, back);
    }

    std::string out;
    for (const char* bad : {"end\\", "\\q", "\\x", "\\x4", "\\xg0"})
        EXPECT_FALSE(Unescaped(bad, out)) << bad;
    EXPECT_TRUE(Unescaped("\\X", out) == false && Unescaped("\\x4A", out) && out == "J");
}

}  // namespace
