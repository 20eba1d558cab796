#include "designer/ColorSchemes.h"

#include <algorithm>
#include <filesystem>

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"

namespace designer {

namespace fs = std::filesystem;

std::vector<std::string> ColorSchemeNames(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        if (it->is_regular_file(ec) && rtl::SameText(p.extension().string(), ".htf")) names.push_back(p.stem().string());
    }
    if (names.empty()) return names;
    names.push_back(kCustomScheme);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return rtl::CompareText(a, b) < 0;
    });
    return names;
}

bool LoadColorScheme(const std::string& folder, const std::string& name, TExpHtml& colors)
{
    const std::string file = (fs::path(folder) / (name + ".htf")).string();
    try {
        colors.LoadFromFile(file);
        return true;
    } catch (const std::exception&) {
        // The page keeps the colours it has; the query and the preview go on.
        ui::MessageDlg("Can not load colour scheme " + file + ".", ui::mtWarning, {ui::mbOK});
        return false;
    }
}

}  // namespace designer
