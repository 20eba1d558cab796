// The picture-mask validator: match results, stored forms and auto-fill, as tables.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/PictureValidator.h"

namespace {

using namespace grid;

struct Case {
    const char* picture;
    const char* input;
    bool autoFill;
    TPicResult result;
    const char* stored;  // the input afterwards
};

TEST(PictureValidator, MatchResultsAndStoredText)
{
    const std::vector<Case> cases = {
        {"###-####", "555", true, prIncomplete, "555-"},
        {"###-####", "555", false, prIncomplete, "555"},
        {"###-####", "555-1234", true, prComplete, "555-1234"},
        {"###-####", "555-12345", true, prError, "555-1234" "5"},
        {"###-####", "555 ", false, prIncomplete, "555-"},   // a blank typed last takes the literal
        {"###-####", "55 5", false, prError, "55 5"},        // a blank elsewhere is an error
        {"&&", "ab", false, prComplete, "AB"},
        {"~", "Q", false, prComplete, "q"},
        {"!", "7", false, prComplete, "7"},
        {"!!", "éa", false, prComplete, "ÉA"},                 // case by Unicode
        {"??", "éx", false, prComplete, "éx"},                 // above ASCII counts as a letter
        {"?", "5", false, prError, "5"},
        {"*#", "12345", false, prComplete, "12345"},
        {"*#", "12a", false, prError, "12a"},
        {"{Yes,No}", "y", false, prIncomplete, "Y"},
        {"{Yes,No}", "y", true, prComplete, "Yes"},
        {"{Yes,No}", "n", true, prComplete, "No"},
        {"{Yes,No}", "x", true, prError, "x"},
        {"#[#]", "5", false, prComplete, "5"},
        {"#[#]", "55", false, prComplete, "55"},
        {"#[#]", "555", false, prError, "555"},
        {"*3#", "12", false, prIncomplete, "12"},
        {"*3#", "123", false, prComplete, "123"},
        {"abc", "ABC", false, prComplete, "abc"},               // literals stored as written
        {";*#", "*5", false, prComplete, "*5"},                  // an escaped "*" is a literal
        {"#;##", "1#2", false, prComplete, "1#2"},
        {"##", "", false, prEmpty, ""},
    };
    for (const Case& c : cases) {
        TgkPictureValidator v(c.picture, c.autoFill);
        EXPECT_EQ(v.Status(), 0) << c.picture;
        std::string input = c.input;
        EXPECT_EQ(v.Picture(input, c.autoFill), c.result) << c.picture << " / " << c.input;
        EXPECT_EQ(input, c.stored) << c.picture << " / " << c.input;
    }
}

TEST(PictureValidator, BadPicturesAreSyntaxErrors)
{
    for (const char* picture : {"", "##;", "#*", "[#", "#]", "{#", "{#}}", "*99999999999#", "*4294967296#"}) {
        TgkPictureValidator v(picture, true);
        EXPECT_EQ(v.Status(), 1) << picture;
        std::string input = "1";
        EXPECT_EQ(v.Picture(input, true), prSyntax) << picture;
        if (*picture != '\0') {
            EXPECT_FALSE(v.IsValid("1")) << picture;
        }
    }
    TgkPictureValidator escaped("#;*", true);
    EXPECT_EQ(escaped.Status(), 0);  // "*" after ";" ends the picture as a literal
}

TEST(PictureValidator, IsValidAndIsValidInput)
{
    TgkPictureValidator v("###-####", true);
    EXPECT_TRUE(v.IsValid(""));
    EXPECT_TRUE(v.IsValid("555-1234"));
    EXPECT_FALSE(v.IsValid("555"));
    std::string typed = "555";
    EXPECT_TRUE(v.IsValidInput(typed, false));
    EXPECT_EQ(typed, "555-");
    typed = "555";
    EXPECT_TRUE(v.IsValidInput(typed, true));
    EXPECT_EQ(typed, "555");
    typed = "55a";
    EXPECT_FALSE(v.IsValidInput(typed, false));
}

}  // namespace
