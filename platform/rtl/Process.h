#pragma once
// Starting other programs and handing files and addresses to the desktop.
// Neither call waits for the started program, and neither raises: failure is a false result.

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

}  // namespace rtl
