// Fuzz target of the colour-scheme (".htf") reader: the bytes are the file. Any file reads
// (lines that are no colour give clDefault), and the twelve colours read are written and
// read back unchanged; each colour text reads as rtl::TryStringToColor reads it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "designer/ExpHtml.h"
#include "fuzz/FuzzSupport.h"
#include "platform/rtl/Colors.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static fuzz::InputFile file;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    designer::TExpHtml scheme;
    scheme.LoadFromFile(file.Hold(bytes));

    // Each colour is the colour of its line, as the colour routines read it.
    rtl::TStringList lines;
    lines.LoadFromFile(file.Path());
    for (int k = 1; k <= designer::TExpHtml::ColorCount; ++k) {
        rtl::TColor expected = rtl::clDefault;
        if (k - 1 < lines.Count()) {
            rtl::TColor c = rtl::clBlack;
            if (rtl::TryStringToColor(rtl::Trim(lines.Strings(k - 1)), c)) expected = c;
        }
        fuzz::Check(scheme.Color(k) == expected, "a colour is the colour of its line");
    }

    // Written and read again: the same colours, and the same lines.
    rtl::TStringList written;
    scheme.SaveToStrings(written);
    fuzz::Check(written.Count() == designer::TExpHtml::ColorCount, "a scheme is twelve lines");
    designer::TExpHtml again;
    again.LoadFromFile(file.Hold(written.Text()));
    for (int k = 1; k <= designer::TExpHtml::ColorCount; ++k) {
        fuzz::Check(again.Color(k) == scheme.Color(k), "a scheme written reads back");
        fuzz::Check(rtl::StringToColor(rtl::ColorToString(scheme.Color(k))) == scheme.Color(k),
                    "a colour text reads back");
    }
    return 0;
}
