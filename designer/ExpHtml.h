#pragma once
// The twelve colours of the generated pages, and their colour-scheme files (".htf").
//
// Every textual form holds one colour text per line (a colour constant name such as
// "clBlack", else "$" + eight hexadecimal digits 00BBGGRR), in the fixed order of
// TPageColor. A scheme file is exactly those 12 lines, each ended by CR LF.

#include "platform/rtl/Colors.h"

#include <array>
#include <string>
#include <string_view>

namespace rtl {
class TStrings;
}

namespace designer {

// The colours in their fixed order; the values are the 1-based line numbers.
enum TPageColor {
    pcPageBackground = 1,
    pcTableBackground,
    pcTableBorder,
    pcText,
    pcLink,
    pcVisitedLink,
    pcActiveLink,
    pcHeaderBackground,
    pcHeaderText,
    pcRowBackground,
    pcOddRowBackground,
    pcDataText,
};

class TExpHtml {
public:
    static constexpr int ColorCount = 12;

    // Every colour starts at 0 (black).
    TExpHtml() = default;

    // Colour n, 1-based in the order of TPageColor. n outside 1..12 raises rtl::EListError.
    rtl::TColor Color(int n) const;
    void SetColor(int n, rtl::TColor color);

    // The colour of a colour text (a constant name in any letter case, "$" hexadecimal or a
    // decimal number; blanks around it are ignored); clDefault for anything else, never an
    // error.
    static rtl::TColor StringToColor(std::string_view text);

    // Replaces the file with the 12 colour lines, atomically (the stream errors of
    // rtl::SaveFileAtomically on failure, the old file then intact).
    void SaveToFile(const std::string& fileName) const;
    // Reads a scheme file as LoadFromStrings reads a list. A missing or unreadable file
    // raises rtl::EFOpenError or rtl::EInOutError and leaves every colour as it was.
    void LoadFromFile(const std::string& fileName);

    // Appends the 12 colour lines.
    void SaveToStrings(rtl::TStrings& strings) const;
    // Pads the list itself with "clDefault" lines until it holds at least 13, then sets colour
    // k from line k-1; lines after the twelfth are ignored.
    void LoadFromStrings(rtl::TStrings& strings);

private:
    std::array<rtl::TColor, ColorCount> colors_{};
};

}  // namespace designer
