#include "app/String_Utils.h"
#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <string>

using namespace app;

namespace {

TEST(StringUtils, ReadNumberAt)
{
    struct Case {
        const char* text;
        int position;
        int expected;
    };
    const Case cases[] = {
        {"T12=abc", 2, 12},
        {"T12=abc", 3, 2},
        {"T12=abc", 1, 0},
        {"T12=abc", 4, 0},
        {"T12=abc", 8, 0},  // beyond the text
        {"T12=abc", 0, 0},
        {"T12=abc", -3, 0},
        {"", 1, 0},
        {"x-5", 2, 0},  // no sign
        {"x 5", 2, 0},  // no blanks
        {"<#2147483647>", 3, 2147483647},
        {"00000000000042", 1, 42},
        {"7", 1, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " at " + std::to_string(c.position));
        EXPECT_EQ(ReadNumberAt(c.position, c.text), c.expected);
    }
}

TEST(StringUtils, ReadNumberAtRaisesForRunsBeyond32Bits)
{
    EXPECT_THROW(ReadNumberAt(1, "2147483648"), rtl::EConvertError);
    EXPECT_THROW(ReadNumberAt(2, "T123456789012=x"), rtl::EConvertError);
}

TEST(StringUtils, BoolTexts)
{
    EXPECT_EQ(BoolToText(true), "TRUE");
    EXPECT_EQ(BoolToText(false), "FALSE");
    for (const char* text : {"TRUE", "true", "True", "tRUE"}) EXPECT_TRUE(IsTrueText(text)) << text;
    for (const char* text : {"1", " TRUE", "TRUE ", "", "FALSE", "T", "yes", "TRUEX"}) {
        EXPECT_FALSE(IsTrueText(text)) << text;
    }
}

TEST(StringUtils, ShellOpenFileReportsWhatCannotBeOpened)
{
    EXPECT_FALSE(ShellOpenFile(""));
    EXPECT_FALSE(ShellOpenFile("/nonexistent/folder/Temp.html"));
}

}  // namespace
