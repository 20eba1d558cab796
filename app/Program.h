#pragma once
// The program block's own decisions, kept apart from main() so that they can be tested: the
// data-access version check and the creation of the program's windows.

#include <string>
#include <string_view>

#include "platform/ui/Forms.h"

namespace app {

inline constexpr const char* kMinimumDataAccessVersion = "2.0";
inline constexpr const char* kMissingDriverManagerQuestion =
    "Cannot run Gridweaver without the unixODBC driver manager.\r\nDo you want to see how to install it?";

// Compares two version texts number by number ("10.0" after "2.0"; a missing part counts
// as 0, so "2" equals "2.0"; a part that is no number counts as 0): <0, 0 or >0.
int CompareVersions(std::string_view a, std::string_view b);

// The check made once before any window: true when `version` is at least "2.0". Otherwise
// asks kMissingDriverManagerQuestion (Yes, No); Yes opens the help page on installing the
// driver manager (Help/install.html of `appDir`) with the desktop's browser; answers false
// (the program then ends with exit code 0).
bool CheckDataAccessVersion(const std::string& version, const std::string& appDir);

// Application title "Gridweaver" and the program's icon, the data module, then the main
// window (the main form).
void CreateProgramWindows();

// The program's icon, drawn here rather than shipped: a table on a page, 32 by 32 pixels.
ui::TPixelImage ProgramIcon();

// The program's component classes for form descriptions (the layer's, the data layer's,
// the grid library's texts, the ODBC database and the tip of the day).
void RegisterAppClasses();

}  // namespace app
