#include "designer/ExpHtml.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

namespace designer {

namespace {

void CheckColorIndex(int n)
{
    if (n < 1 || n > TExpHtml::ColorCount)
        throw rtl::EListError("List index out of bounds (" + rtl::IntToStr(n) + ")");
}

}  // namespace

rtl::TColor TExpHtml::Color(int n) const
{
    CheckColorIndex(n);
    return colors_[static_cast<std::size_t>(n - 1)];
}

void TExpHtml::SetColor(int n, rtl::TColor color)
{
    CheckColorIndex(n);
    colors_[static_cast<std::size_t>(n - 1)] = color;
}

rtl::TColor TExpHtml::StringToColor(std::string_view text)
{
    rtl::TColor color = rtl::clDefault;
    if (!rtl::TryStringToColor(rtl::Trim(text), color)) return rtl::clDefault;
    return color;
}

void TExpHtml::SaveToFile(const std::string& fileName) const
{
    rtl::TStringList lines;
    SaveToStrings(lines);
    lines.SaveToFile(fileName);
}

void TExpHtml::LoadFromFile(const std::string& fileName)
{
    rtl::TStringList lines;
    lines.LoadFromFile(fileName);  // raises before any colour changes
    LoadFromStrings(lines);
}

void TExpHtml::SaveToStrings(rtl::TStrings& strings) const
{
    for (rtl::TColor c : colors_) strings.Add(rtl::ColorToString(c));
}

void TExpHtml::LoadFromStrings(rtl::TStrings& strings)
{
    const std::string padding = rtl::ColorToString(rtl::clDefault);
    while (strings.Count() < ColorCount + 1) strings.Add(padding);
    for (int k = 1; k <= ColorCount; ++k) SetColor(k, StringToColor(strings.Strings(k - 1)));
}

}  // namespace designer
