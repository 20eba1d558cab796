#include "app/Welcome.h"

#include "platform/rtl/Files.h"
#include "platform/rtl/SysUtils.h"

#include <exception>

namespace app {

std::vector<std::string> WelcomeList(const std::string& historyFile, const std::string& projectsDir)
{
    std::vector<std::string> list{kMoreFiles};
    if (rtl::FileExists(historyFile) || rtl::DirectoryExists(historyFile)) {
        std::string text;
        try {
            text = rtl::ReadFileToString(historyFile);
        } catch (const std::exception&) {
            return list;  // unreadable: keep the file as it is, offer only "More Files..."
        }
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(pos, end - pos);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!rtl::Trim(line).empty()) list.push_back(line);
            pos = end + 1;
        }
        return list;
    }
    const std::string dir = rtl::ExcludeTrailingPathDelimiter(projectsDir);
    std::string text;
    for (int i = 1; i <= 3; ++i) {
        const std::string path = dir + "/GridweaverSample" + std::to_string(i) + ".gwp";
        list.push_back(path);
        text += path + "\r\n";
    }
    try {
        rtl::SaveFileAtomically(historyFile, text);
    } catch (const std::exception&) {
        // The list is shown all the same; the next start tries again.
    }
    return list;
}

TWelcomeAction WelcomeDispatch(const TWelcomeAnswer& answer, const std::vector<std::string>& list, std::string& path)
{
    path.clear();
    if (!answer.ok) return TWelcomeAction::Nothing;
    if (answer.newProject) return TWelcomeAction::NewProject;
    if (answer.itemIndex < 0 || answer.itemIndex >= static_cast<int>(list.size())) return TWelcomeAction::Nothing;
    if (answer.itemIndex == 0) return TWelcomeAction::MoreFiles;
    path = list[static_cast<std::size_t>(answer.itemIndex)];
    return TWelcomeAction::OpenProject;
}

}  // namespace app
