#include "platform/rtl/Colors.h"
#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <string>

using namespace rtl;

namespace {

struct ColorText {
    TColor color;
    const char* text;
};

// Colours whose text is written and read back unchanged.
const ColorText kRoundTrips[] = {
    {clBlack, "clBlack"},
    {clRed, "clRed"},
    {clBlue, "clBlue"},
    {clWhite, "clWhite"},
    {clSilver, "clSilver"},
    {clMoneyGreen, "clMoneyGreen"},
    {clMedGray, "clMedGray"},
    {clScrollBar, "clScrollBar"},
    {clWindow, "clWindow"},
    {clBtnFace, "clBtnFace"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {clInfoBk, "clInfoBk"},
    {clMenuBar, "clMenuBar"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
    {0x00123456, "$00123456"},
    {0x00000001, "$00000001"},
    {0x00FFFFFE, "$00FFFFFE"},
    {0x02FF0000, "$02FF0000"},
    {static_cast<TColor>(0x80000019), "$80000019"},  // a system index without a name
    {-1, "$FFFFFFFF"},
};

TEST(Colors, TextsBothWays)
{
    for (const auto& c : kRoundTrips) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ColorToString(c.color), c.text);
        EXPECT_EQ(StringToColor(c.text), c.color);
    }
}

TEST(Colors, AliasesAreReadButWrittenUnderTheirCanonicalNames)
{
    EXPECT_EQ(ColorToString(clLtGray), "clSilver");
    EXPECT_EQ(ColorToString(clDkGray), "clGray");
    EXPECT_EQ(StringToColor("clLtGray"), clSilver);
    EXPECT_EQ(StringToColor("clDkGray"), clGray);
}

TEST(Colors, ReadingAcceptsAnyCaseHexAndDecimal)
{
    const ColorText cases[] = {
        {clRed, "CLRED"},
        {clWindowText, "clwindowtext"},
        {clRed, "$000000FF"},
        {clRed, "$ff"},
        {clRed, "255"},
        {clBlue, "16711680"},
        {clDefault, "536870912"},
        {clScrollBar, "-2147483648"},
        {-1, "-1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StringToColor(c.text), c.color);
    }
}

TEST(Colors, BadTextRaisesConvertErrorOrAnswersFalse)
{
    for (const char* text : {"", "red", "clRedd", "$", "$123456789", "12abc", "2147483648", "#FF0000"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(StringToColor(text), EConvertError);
        TColor c = clLime;
        EXPECT_FALSE(TryStringToColor(text, c));
        EXPECT_EQ(c, clLime);
    }
    try {
        StringToColor("red");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'red' is not a valid integer value");
    }
}

TEST(Colors, IdentsOnlyForNamedValues)
{
    std::string ident;
    EXPECT_TRUE(ColorToIdent(clHotLight, ident));
    EXPECT_EQ(ident, "clHotLight");
    EXPECT_FALSE(ColorToIdent(0x00123456, ident));
    TColor c = 0;
    EXPECT_TRUE(IdentToColor("clGradientInactiveCaption", c));
    EXPECT_EQ(c, clGradientInactiveCaption);
    EXPECT_FALSE(IdentToColor("$000000FF", c));
    EXPECT_FALSE(IdentToColor("clRed ", c));
}

TEST(Colors, SystemColorValuesFollowTheSystemIndex)
{
    EXPECT_EQ(static_cast<std::uint32_t>(clScrollBar), 0x80000000u);
    EXPECT_EQ(static_cast<std::uint32_t>(clBtnFace), 0x8000000Fu);
    EXPECT_EQ(static_cast<std::uint32_t>(clInfoBk), 0x80000018u);
    EXPECT_EQ(static_cast<std::uint32_t>(clHotLight), 0x8000001Au);
    EXPECT_EQ(static_cast<std::uint32_t>(clMenuBar), 0x8000001Eu);
}

TEST(Colors, ToRgbResolvesSystemAndSpecialColours)
{
    const ColorText cases[] = {
        {clWhite, "clWindow"},
        {clBlack, "clWindowText"},
        {RGB(192, 192, 192), "clBtnFace"},
        {RGB(128, 128, 128), "clBtnShadow"},
        {RGB(0, 0, 128), "clHighlight"},
        {RGB(255, 255, 225), "clInfoBk"},
        {clWhite, "clDefault"},
        {clBlack, "clNone"},
        {clRed, "clRed"},
        {0x00123456, "$00123456"},
        {0x00FF0000, "$02FF0000"},  // palette-relative: only the colour part counts
        {clBlack, "$80000019"},     // system index without a colour
        {clBlack, "$800000FF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ColorToRGB(StringToColor(c.text)), c.color);
    }
}

TEST(Colors, RgbParts)
{
    constexpr TColor c = RGB(0x12, 0x34, 0x56);
    EXPECT_EQ(c, 0x00563412);
    EXPECT_EQ(GetRValue(c), 0x12);
    EXPECT_EQ(GetGValue(c), 0x34);
    EXPECT_EQ(GetBValue(c), 0x56);
}

TEST(Colors, HtmlTextIsTheDrawnColourAsRedGreenBlue)
{
    struct Case {
        TColor color;
        const char* html;
    };
    const Case cases[] = {
        {255, "#FF0000"},
        {16711680, "#0000FF"},
        {clBlack, "#000000"},
        {clWhite, "#FFFFFF"},
        {0x00563412, "#123456"},
        {clMoneyGreen, "#C0DCC0"},
        // system and special colours give the colour they are drawn with
        {clWindow, "#FFFFFF"},
        {clWindowText, "#000000"},
        {clBtnFace, "#C0C0C0"},
        {clHighlight, "#000080"},
        {clDefault, "#FFFFFF"},
        {clNone, "#000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.html);
        EXPECT_EQ(ColorToHtml(c.color), c.html);
    }
}

}  // namespace
