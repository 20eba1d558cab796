#pragma once
// The project commands that open the design window: New Project asks for a data link
// (the connection dialog), connects the data module's one connection to it with the login
// retry, then creates the design window bound to that connection; Open Project reads a
// project file into a new design window and connects it to the project's data link; Save and
// Save As write the open design window to its project file; Save Pages runs the open design
// window's save. CreateProgramWindows plugs them into the main window's hooks.
//
// A design window whose design changed since it was made, loaded or saved asks "Save changes
// to NAME?" (Yes, No, Cancel) before anything closes it: its own close, Close Project, Exit,
// the main window's close, New Project and Open Project. Yes saves (a cancelled or failed save
// keeps the window); Cancel keeps it as it was.
//
// An open reads the file twice: once before connecting (to learn the data link) and once after
// the query's settings are read (so every control gets its saved value). A failed read on
// either pass warns, naming the file and the line, and closes the design window: no half-read
// window is left that Save could write over the good file.

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
// nullptr when the user kept the open window.
designer::TFrmDesign* OpenDesignWindow(const std::string& linkName);

// New Project: the connection dialog, then the open project closed, ConnectDatabase and
// OpenDesignWindow. A cancelled dialog, or the open project kept, leaves everything as it was;
// a cancelled login ends silently (rtl::EAbort passes out) with no project open.
void NewProject();

// Save Pages of the open design window (nothing without one).
void SavePages();

inline constexpr const char* kConnectionMissing = "Can not open Project, ADO Connection does not exists.";

// What a save did. `error`: why the project file was not written (empty when it was);
// `historyError`: why the recent-projects list was not updated after it was.
struct TProjectSave {
    std::string error;
    std::string historyError;
    explicit operator bool() const noexcept { return error.empty(); }
};
// Writes `design` to `path` (atomically), then puts `path` at the top of the recent projects.
// Nothing is shown; a failed project write leaves history.dat as it was.
TProjectSave SaveProject(designer::TFrmDesign& design, const std::string& path);
// Reads `path` into `design`'s components and applies the option lines. False on any
// failure, `error` then holding the reader's message (with its line where it has one).
bool LoadProjectComponents(designer::TFrmDesign& design, const std::string& path, std::string* error = nullptr);
// Open Project: false when the project was not opened: the file, its data link or its text
// could not be read (each warned; no design window is left open), or the user kept the open
// design window (as it was). A cancelled login passes rtl::EAbort out, the first-read window
// left in place.
bool OpenProject(const std::string& path);
// Save and Save As of the open design window (nothing without one). Save of a project that
// has no file yet is Save As. A failure is a warning naming the file and the system's reason;
// a project that was written is reported saved, a recent-projects list that was not on its
// own. True when the project file was written.
bool SaveProjectCommand();
bool SaveProjectAsCommand();

}  // namespace app
