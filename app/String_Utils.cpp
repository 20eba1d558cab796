#include "app/String_Utils.h"

#include "platform/rtl/Process.h"
#include "platform/rtl/SysUtils.h"

namespace app {

int ReadNumberAt(int position, std::string_view text)
{
    if (position < 1 || static_cast<std::size_t>(position) > text.size()) return 0;
    const std::size_t start = static_cast<std::size_t>(position) - 1;
    std::size_t end = start;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    if (end == start) return 0;
    return rtl::StrToInt(text.substr(start, end - start));
}

std::string BoolToText(bool flag) { return flag ? "TRUE" : "FALSE"; }

bool IsTrueText(std::string_view text) { return rtl::UpperCase(text) == "TRUE"; }

bool ShellOpenFile(const std::string& file) { return rtl::OpenWithDesktop(file); }

}  // namespace app
