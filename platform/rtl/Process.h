#pragma once
// Starting other programs and handing files and addresses to the desktop.
// StartDetached and OpenWithDesktop do not wait for the started program; RunAndCapture waits
// for a short-lived one. None of them raises: failure is a false result.

#include <string>
#include <vector>

namespace rtl {

// Starts `program` (a path, or a name looked up in PATH) with `args`, detached from this
// process. False when it cannot be started (missing, not executable).
bool StartDetached(const std::string& program, const std::vector<std::string>& args = {});

// Opens a web address ("https://...", "mailto:...") or a file with the desktop's handler
// (xdg-open). A file path is made absolute first. False when the text is empty or no
// handler could be started; whether the handler then manages to show it is not known here.
bool OpenWithDesktop(const std::string& addressOrFile);

// The full path of the executable `name` found in PATH (or `name` itself when it is a path
// to an executable file); "" when there is none.
std::string FindExecutable(const std::string& name);
// The program the desktop opens files and addresses with (xdg-open in PATH); "" when none.
std::string DesktopOpener();

// Runs `program` with `args`, waits at most `timeoutMs` for it to end, and hands back what it
// wrote on its standard output. False when it could not be started, did not end in time
// (it is then killed) or ended with a non-zero exit code.
bool RunAndCapture(const std::string& program, const std::vector<std::string>& args, std::string& output,
                   int timeoutMs = 5000);

// Makes a write past the process's file-size limit fail with an error (EFBIG) instead of
// ending the process with SIGXFSZ, so a save under such a limit takes its error path and
// nothing the user has not saved is lost with the process. Called once at program start.
void IgnoreFileSizeSignal();

}  // namespace rtl
