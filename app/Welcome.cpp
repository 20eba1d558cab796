#include "app/Welcome.h"

#include "platform/rtl/Files.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

#include <exception>

namespace app {

std::vector<std::string> WelcomeList(const std::string& historyFile, const std::string& projectsDir)
{
    std::vector<std::string> list{kMoreFiles};
    if (rtl::FileExists(historyFile) || rtl::DirectoryExists(historyFile)) {
        // Read as a save of the list reads it (AddRecentProject), so that both see the same
        // lines in any file.
        rtl::TStringList lines;
        try {
            lines.LoadFromFile(historyFile);
        } catch (const std::exception&) {
            return list;  // unreadable: keep the file as it is, offer only "More Files..."
        }
        for (int i = 0; i < lines.Count(); ++i)
            if (!rtl::Trim(lines.Strings(i)).empty()) list.push_back(lines.Strings(i));
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
