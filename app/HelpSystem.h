#pragma once
// The program's help: a folder of HTML pages (Help/ in the program folder) with a context map,
// the "help file" (Gridweaver.map: "number=page" lines, ";" starts a comment). Help requests
// of the application (F1, help buttons) reach THookHelpSystem, which shows the page of a
// context in one of three ways:
//   mode 0  the program's own help viewer (TFrmHelpViewer), brought to the front;
//   mode 1  the desktop's browser, with a plain file address;
//   mode 2  the desktop's browser too (its address is built with the "mk:@MSITStore:" prefix,
//           which is taken off again before the page is opened).
// The help is "installed" when the viewer finds its pages: the map file exists.
//
// A debug mode ("debug.debug" beside the executable, or "/debug" or "-debug" on the command
// line) writes every help call to HHDebug.txt beside the executable (in the temporary
// folder when that one cannot be written), each line opening and closing the file again.
//
// Every failure is said in a warning box through the dialog service; nothing here raises.

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/Forms.h"
#include "platform/ui/Types.h"

namespace app {

// Help commands of the application's help requests.
inline constexpr int HELP_CONTEXT = 1;
inline constexpr int HELP_QUIT = 2;
inline constexpr int HELP_CONTENTS = 3;
inline constexpr int HELP_CONTEXTPOPUP = 8;
inline constexpr int HELP_FINDER = 11;
inline constexpr int HELP_SETPOPUP_POS = 13;

// Results of ShowContext, told to the user by HHShowError.
inline constexpr int kHelpOk = 0;
inline constexpr int kHelpNotInstalled = 1;
inline constexpr int kHelpNoBrowserMode1 = 2;
inline constexpr int kHelpNoBrowserMode2 = 3;
inline constexpr int kHelpUnknownContext = 4;
inline constexpr int kHelpPageMissing = 5;

// The help file of a program folder (AppDir + "Help/Gridweaver.map").
std::string HelpFileOf(const std::string& appDir);
// The folder holding the pages when the map file exists; "" when the help is not installed.
std::string HtmlHelpLocation(const std::string& helpFile);

// The map file's "number=page" lines (blank and ";" lines skipped, later numbers win);
// empty when the file cannot be read.
std::vector<std::pair<int, std::string>> ReadContextMap(const std::string& helpFile);
// The page of a context ("" when the map has none).
std::string ContextPage(const std::string& helpFile, int context);

// The help address of a topic: every "%20" becomes a blank and the three texts are trimmed;
// a topic gets "/" in front (its "\" become "/") and follows the file after "::" (alone when
// the file is empty); a window name follows after ">"; kind 1 puts "mk:@MSITStore:" in
// front, kind 2 "ms-its:".
std::string MakeHelpUrl(std::string_view file, std::string_view topic, std::string_view window, int prefixKind);

// Shows the page of `context` (or the address's own topic) as `mode` says; one of the results
// above. `detail` names what was missing for kHelpUnknownContext and kHelpPageMissing.
int ShowContext(const std::string& address, int context, int mode, std::string* detail = nullptr);
// ShowContext of MakeHelpUrl(help file, no topic, window, "mk:@MSITStore:" in mode 2).
int HHHelpContext(const std::string& helpFile, int context, const std::string& window, int mode,
                  std::string* detail = nullptr);
// The warning of a result (nothing for kHelpOk).
void HHShowError(int code, const std::string& detail = {});
// The text HHShowError shows ("" for kHelpOk).
std::string HelpErrorText(int code, const std::string& detail = {});
// Closes the help viewer.
void HHCloseAll();

// Opens a local page with the desktop's browser. A missing file, or no opener, or an opener
// that does not start: a warning naming what is missing, and false.
bool OpenPageInBrowser(const std::string& file);

// The hook on the application's help event; created by the main window with its help file,
// an empty window name and mode 0. While it exists, Application().HelpContext(n) shows the
// page of context n.
class THookHelpSystem {
public:
    THookHelpSystem(std::string helpFile, std::string windowName, int mode);
    ~THookHelpSystem();
    THookHelpSystem(const THookHelpSystem&) = delete;
    THookHelpSystem& operator=(const THookHelpSystem&) = delete;

    // A help request: HELP_CONTEXT shows the context; HELP_CONTEXTPOPUP too; HELP_SETPOPUP_POS
    // keeps the point packed in `data` (x low 16 bits, y high 16 bits). Any other command
    // sets `callHelp` (the default handling goes on). Always true.
    bool HelpHook(int command, long data, bool& callHelp);

    const std::string& HelpFile() const noexcept { return helpFile_; }
    int Mode() const noexcept { return mode_; }
    ui::TPoint PopupPos() const noexcept { return popupPos_; }

private:
    ui::THelpEvent previous_;
    ui::TPoint popupPos_;
    std::string helpFile_;
    std::string windowName_;
    int mode_;
};

// ---- Debug mode --------------------------------------------------------------------------

// Decides the debug mode once for the process: on when "debug.debug" exists in `moduleDir`
// or an argument equals "/debug" or "-debug" (letter case ignored). When on, picks the log
// file and writes its header block. Called by the program with its own folder and arguments.
void InitHelpDebug(const std::string& moduleDir, const std::vector<std::string>& args);
// Back to no debug mode (tests).
void ResetHelpDebug();
bool HelpDebugOn();
// The log file ("" when debug mode is off).
const std::string& HelpDebugLogFile();
// Appends "hh:nn:ss" + three blanks + `line` to the log when debug mode is on.
void HelpDebugLine(const std::string& line);
// The name of a help command for the log ("HELP_CONTEXT"), or its number.
std::string HelpCommandName(int command);

}  // namespace app
