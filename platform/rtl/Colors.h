#pragma once
// Colours as the class library keeps them: a 32-bit value that is either a plain colour
// 00BBGGRR (red in the low byte), a system colour (0x80000000 | the system colour index),
// or one of the special values clNone and clDefault.
//
// Colour texts: ColorToString writes a constant name ("clRed", "clWindow", "clDefault")
// when the value has one, else "$" followed by eight upper-case hexadecimal digits;
// StringToColor reads names (any letter case), "$" hexadecimal and decimal numbers;
// ColorToHtml writes the "#RRGGBB" form of web pages.

#include <cstdint>
#include <string>
#include <string_view>

namespace rtl {

using TColor = std::int32_t;

namespace detail {
constexpr TColor SystemColor(std::uint32_t index) { return static_cast<TColor>(0x80000000u | index); }
}  // namespace detail

// ---- Plain colours (00BBGGRR) ------------------------------------------------------------
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;  // same value as clSilver; written as "clSilver"
constexpr TColor clDkGray = 0x808080;  // same value as clGray; written as "clGray"
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;

// ---- System colours (0x80000000 | system colour index) -----------------------------------
constexpr TColor clScrollBar = detail::SystemColor(0);
constexpr TColor clBackground = detail::SystemColor(1);
constexpr TColor clActiveCaption = detail::SystemColor(2);
constexpr TColor clInactiveCaption = detail::SystemColor(3);
constexpr TColor clMenu = detail::SystemColor(4);
constexpr TColor clWindow = detail::SystemColor(5);
constexpr TColor clWindowFrame = detail::SystemColor(6);
constexpr TColor clMenuText = detail::SystemColor(7);
constexpr TColor clWindowText = detail::SystemColor(8);
constexpr TColor clCaptionText = detail::SystemColor(9);
constexpr TColor clActiveBorder = detail::SystemColor(10);
constexpr TColor clInactiveBorder = detail::SystemColor(11);
constexpr TColor clAppWorkSpace = detail::SystemColor(12);
constexpr TColor clHighlight = detail::SystemColor(13);
constexpr TColor clHighlightText = detail::SystemColor(14);
constexpr TColor clBtnFace = detail::SystemColor(15);
constexpr TColor clBtnShadow = detail::SystemColor(16);
constexpr TColor clGrayText = detail::SystemColor(17);
constexpr TColor clBtnText = detail::SystemColor(18);
constexpr TColor clInactiveCaptionText = detail::SystemColor(19);
constexpr TColor clBtnHighlight = detail::SystemColor(20);
constexpr TColor cl3DDkShadow = detail::SystemColor(21);
constexpr TColor cl3DLight = detail::SystemColor(22);
constexpr TColor clInfoText = detail::SystemColor(23);
constexpr TColor clInfoBk = detail::SystemColor(24);
// index 25 has no constant
constexpr TColor clHotLight = detail::SystemColor(26);
constexpr TColor clGradientActiveCaption = detail::SystemColor(27);
constexpr TColor clGradientInactiveCaption = detail::SystemColor(28);
constexpr TColor clMenuHighlight = detail::SystemColor(29);
constexpr TColor clMenuBar = detail::SystemColor(30);

// ---- Special values ----------------------------------------------------------------------
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// ---- Parts of a plain colour -------------------------------------------------------------
constexpr TColor RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return static_cast<TColor>(r | (g << 8) | (b << 16));
}
constexpr std::uint8_t GetRValue(TColor c) { return static_cast<std::uint8_t>(c & 0xFF); }
constexpr std::uint8_t GetGValue(TColor c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
constexpr std::uint8_t GetBValue(TColor c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }

// True for 0x80000000 | index (any value with the top bit set).
constexpr bool IsSystemColor(TColor c) { return c < 0; }

// The plain 00BBGGRR colour that `c` is drawn with. System colours resolve to fixed values of
// the classic desktop scheme (clWindow white, clWindowText black, clBtnFace $00C0C0C0,
// clHighlight navy, clInfoBk pale yellow...), an unknown system index to black; clDefault
// resolves to the window colour (white) and clNone to black; any other value keeps its low
// 24 bits.
TColor ColorToRGB(TColor c);

// The constant name of `c` ("clRed", "clBtnFace", "clNone", "clDefault"). False when the
// value has none. clLtGray and clDkGray are never answered: their values are clSilver's and
// clGray's.
bool ColorToIdent(TColor c, std::string& ident);
// The value of a constant name, letters compared without regard to case ("CLRED" is clRed).
// clLtGray and clDkGray are read as their values. False for any other text.
bool IdentToColor(std::string_view ident, TColor& c);

// The constant name of `c`, else "$" + eight upper-case hexadecimal digits ("$00123456").
std::string ColorToString(TColor c);
// A constant name, else an integer text as StrToInt reads it (decimal with an optional
// sign within 32 bits, or hexadecimal after "$": "$000000FF" is clRed, "$FFFFFFFF" is -1).
// Raises EConvertError "'<text>' is not a valid integer value" for anything else.
TColor StringToColor(std::string_view text);
// As StringToColor, answering false (and leaving `c` unchanged) instead of raising.
bool TryStringToColor(std::string_view text, TColor& c);

// The colour as web pages write it: "#RRGGBB" (upper-case hexadecimal) of the colour it is
// drawn with. System colours, clDefault and clNone are resolved through ColorToRGB first, so
// every colour gives a real page colour ("#FF0000" for clRed, "#FFFFFF" for clWindow).
std::string ColorToHtml(TColor c);

}  // namespace rtl
