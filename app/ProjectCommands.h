#pragma once
// The project commands that open the design window: New Project asks for a data link
// (the connection dialog), connects the data module's one connection to it with the login
// retry, then creates the design window bound to that connection; Save Pages runs the open
// design window's save. CreateProgramWindows plugs them into the main window's hooks.

#include <string>

namespace designer {
class TFrmDesign;
struct TDesignHost;
}  // namespace designer

namespace app {

// The main window's folders and status bar as the design window needs them.
designer::TDesignHost DesignHost();

// Closes an open design window and creates a new one on the data module's connection for
// the data link `linkName` (whose content is in the main window's ConnectionString): the
// option list's twelve lines, a new project's state, the visual query's settings and tables.
designer::TFrmDesign* OpenDesignWindow(const std::string& linkName);

// New Project: the connection dialog, ConnectDatabase, then OpenDesignWindow. A cancelled
// dialog does nothing; a cancelled login ends silently (rtl::EAbort passes out).
void NewProject();

// Save Pages of the open design window (nothing without one).
void SavePages();

}  // namespace app
