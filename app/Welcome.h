#pragma once
// The welcome list shown after the tip of the day: the recent projects of history.dat with
// "More Files..." at the top, and what the welcome dialog's answer asks the main window to do.
// The welcome dialog (FStartup.h) shows the list.

#include <string>
#include <vector>

namespace app {

inline constexpr const char* kMoreFiles = "More Files...";

// The list of the welcome dialog. A history file that exists is read as a save of the list
// reads it (one path per line, lines ending in CR LF, LF or CR, a UTF-8 byte-order mark
// dropped), blank lines skipped; a missing one gets the three sample projects of `projectsDir`
// ("GridweaverSample1.gwp" to "...3.gwp"), which are saved as the history file. A history
// file that exists but cannot be read gives no paths and is left as it is. "More Files..."
// comes first in every case.
std::vector<std::string> WelcomeList(const std::string& historyFile, const std::string& projectsDir);

// What the main window does with the welcome dialog's answer.
enum class TWelcomeAction { Nothing, NewProject, OpenProject, MoreFiles };

struct TWelcomeAnswer {
    bool ok = false;          // the dialog closed with OK
    bool newProject = false;  // its "new project" choice was checked
    int itemIndex = 0;        // the line chosen in the list
};

// OK with "new project": NewProject; else a line other than the first: OpenProject of that
// line (`path` set); else the "More Files..." line: MoreFiles. Not OK, or a line outside the
// list: Nothing.
TWelcomeAction WelcomeDispatch(const TWelcomeAnswer& answer, const std::vector<std::string>& list, std::string& path);

}  // namespace app
