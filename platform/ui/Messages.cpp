#include "platform/ui/Messages.h"

#include <string>
#include <vector>

#include "platform/rtl/SysUtils.h"

namespace ui {

unsigned RegisterWindowMessage(std::string_view name)
{
    if (name.empty()) return 0;
    // Numbers are handed out in order of first registration and never taken back.
    static std::vector<std::string> names;
    const std::string key = rtl::AnsiUpperCase(std::string(name));
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == key) return WM_FIRST_REGISTERED + static_cast<unsigned>(i);
    names.push_back(key);
    return WM_FIRST_REGISTERED + static_cast<unsigned>(names.size() - 1);
}

}  // namespace ui
