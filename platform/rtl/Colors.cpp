#include "platform/rtl/Colors.h"

#include "platform/rtl/SysUtils.h"

#include <array>

namespace rtl {

namespace {

struct ColorName {
    TColor value;
    const char* name;
};

// The names written for colours, in the class library's order. clLtGray and clDkGray are
// missing on purpose: they share their values with clSilver and clGray.
constexpr std::array<ColorName, 52> kColorNames{{
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
}};

constexpr std::array<ColorName, 2> kReadOnlyAliases{{
    {clLtGray, "clLtGray"},
    {clDkGray, "clDkGray"},
}};

// The classic desktop scheme, indexed by system colour index.
constexpr std::array<TColor, 31> kSystemColors{{
    RGB(192, 192, 192),  //  0 scroll bar
    RGB(0, 128, 128),    //  1 desktop background
    RGB(0, 0, 128),      //  2 active caption
    RGB(128, 128, 128),  //  3 inactive caption
    RGB(192, 192, 192),  //  4 menu
    RGB(255, 255, 255),  //  5 window
    RGB(0, 0, 0),        //  6 window frame
    RGB(0, 0, 0),        //  7 menu text
    RGB(0, 0, 0),        //  8 window text
    RGB(255, 255, 255),  //  9 caption text
    RGB(192, 192, 192),  // 10 active border
    RGB(192, 192, 192),  // 11 inactive border
    RGB(128, 128, 128),  // 12 application work space
    RGB(0, 0, 128),      // 13 highlight
    RGB(255, 255, 255),  // 14 highlight text
    RGB(192, 192, 192),  // 15 button face
    RGB(128, 128, 128),  // 16 button shadow
    RGB(128, 128, 128),  // 17 gray text
    RGB(0, 0, 0),        // 18 button text
    RGB(192, 192, 192),  // 19 inactive caption text
    RGB(255, 255, 255),  // 20 button highlight
    RGB(0, 0, 0),        // 21 3D dark shadow
    RGB(223, 223, 223),  // 22 3D light
    RGB(0, 0, 0),        // 23 tooltip text
    RGB(255, 255, 225),  // 24 tooltip background
    RGB(0, 0, 0),        // 25 (unused index)
    RGB(0, 0, 128),      // 26 hot-tracked item
    RGB(166, 202, 240),  // 27 active caption gradient
    RGB(192, 192, 192),  // 28 inactive caption gradient
    RGB(0, 0, 128),      // 29 highlighted menu item
    RGB(192, 192, 192),  // 30 menu bar
}};

}  // namespace

TColor ColorToRGB(TColor c)
{
    if (IsSystemColor(c)) {
        const auto index = static_cast<std::size_t>(c & 0xFF);
        return index < kSystemColors.size() ? kSystemColors[index] : clBlack;
    }
    if (c == clDefault) return kSystemColors[5];
    if (c == clNone) return clBlack;
    return c & 0x00FFFFFF;
}

bool ColorToIdent(TColor c, std::string& ident)
{
    for (const auto& entry : kColorNames) {
        if (entry.value == c) {
            ident = entry.name;
            return true;
        }
    }
    return false;
}

bool IdentToColor(std::string_view ident, TColor& c)
{
    auto find = [&](const auto& table) {
        for (const auto& entry : table) {
            if (SameText(ident, entry.name)) {
                c = entry.value;
                return true;
            }
        }
        return false;
    };
    return find(kColorNames) || find(kReadOnlyAliases);
}

std::string ColorToString(TColor c)
{
    std::string name;
    if (ColorToIdent(c, name)) return name;
    return "$" + IntToHex(c, 8);
}

bool TryStringToColor(std::string_view text, TColor& c)
{
    TColor value = clBlack;
    if (!IdentToColor(text, value) && !TryStrToInt(text, value)) return false;
    c = value;
    return true;
}

TColor StringToColor(std::string_view text)
{
    TColor c = clBlack;
    if (IdentToColor(text, c)) return c;
    return StrToInt(text);
}

std::string ColorToHtml(TColor c)
{
    const TColor rgb = ColorToRGB(c);
    return "#" + IntToHex(GetRValue(rgb), 2) + IntToHex(GetGValue(rgb), 2) + IntToHex(GetBValue(rgb), 2);
}

}  // namespace rtl
