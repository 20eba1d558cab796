#include "app/HelpSystem.h"

#include "app/HelpViewer.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Paths.h"
#include "platform/rtl/Process.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"

#include <chrono>
#include <ctime>
#include <exception>
#include <filesystem>
#include <fstream>

namespace app {

namespace {

constexpr std::string_view kPrefixMk = "mk:@MSITStore:";
constexpr std::string_view kPrefixIts = "ms-its:";

struct THelpDebugState {
    bool on = false;
    std::string logFile;
};

THelpDebugState& DebugState()
{
    static THelpDebugState state;
    return state;
}

std::string Clean(std::string_view text) { return rtl::Trim(rtl::StringReplace(text, "%20", " ", {rtl::rfReplaceAll})); }

// The map file and the topic of a help address (prefix, ">window" taken off).
void SplitAddress(std::string_view address, std::string& file, std::string& topic)
{
    std::string a(address);
    for (std::string_view prefix : {kPrefixMk, kPrefixIts})
        if (a.rfind(prefix, 0) == 0) a.erase(0, prefix.size());
    if (const auto gt = a.find('>'); gt != std::string::npos) a.erase(gt);
    const auto sep = a.find("::");
    if (sep == std::string::npos) {
        file = a;
        topic.clear();
    } else {
        file = a.substr(0, sep);
        topic = a.substr(sep + 2);
    }
}

std::string TimeStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%H:%M:%S", &tm);
    return buf;
}

void AppendLog(const std::string& text)
{
    std::ofstream out(DebugState().logFile, std::ios::app | std::ios::binary);
    out << text << "\r\n";
}

// True when a file can be made and removed again in `folder`.
bool CanWriteIn(const std::string& folder)
{
    const std::string probe = rtl::IncludeTrailingPathDelimiter(folder) + "$_Temp_$.$$$";
    {
        std::ofstream out(probe, std::ios::binary);
        if (!out) return false;
        out << ' ';
        if (!out.flush()) return false;
    }
    return rtl::DeleteFile(probe);
}

}  // namespace

std::string HelpFileOf(const std::string& appDir) { return rtl::IncludeTrailingPathDelimiter(appDir) + "Help/Gridweaver.map"; }

std::string HtmlHelpLocation(const std::string& helpFile)
{
    return rtl::FileExists(helpFile) ? rtl::ExtractFilePath(helpFile) : std::string();
}

std::vector<std::pair<int, std::string>> ReadContextMap(const std::string& helpFile)
{
    std::vector<std::pair<int, std::string>> map;
    std::string text;
    try {
        text = rtl::ReadFileToString(helpFile);
    } catch (const std::exception&) {
        return map;
    }
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = rtl::Trim(std::string_view(text).substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == ';') continue;
        const auto eq = line.find('=');
        int number = 0;
        if (eq == std::string::npos || !rtl::TryStrToInt(rtl::Trim(line.substr(0, eq)), number)) continue;
        const std::string page = rtl::Trim(line.substr(eq + 1));
        if (page.empty()) continue;
        bool replaced = false;
        for (auto& entry : map)
            if (entry.first == number) {
                entry.second = page;
                replaced = true;
            }
        if (!replaced) map.emplace_back(number, page);
    }
    return map;
}

std::string ContextPage(const std::string& helpFile, int context)
{
    for (const auto& [number, page] : ReadContextMap(helpFile))
        if (number == context) return page;
    return {};
}

std::string MakeHelpUrl(std::string_view file, std::string_view topic, std::string_view window, int prefixKind)
{
    const std::string f = Clean(file);
    std::string t = Clean(topic);
    const std::string w = Clean(window);
    std::string address;
    if (!t.empty()) {
        t = rtl::StringReplace(t, "\\", "/", {rtl::rfReplaceAll});
        if (t[0] != '/') t.insert(0, "/");
        address = f.empty() ? t : f + "::" + t;
    } else {
        address = f;
    }
    if (!w.empty()) address += ">" + w;
    if (prefixKind == 1) address.insert(0, kPrefixMk);
    if (prefixKind == 2) address.insert(0, kPrefixIts);
    return address;
}

int ShowContext(const std::string& address, int context, int mode, std::string* detail)
{
    HelpDebugLine(rtl::Format("ShowContext(\"%s\", %d)", address, context));
    const int result = [&] {
        std::string file, topic;
        SplitAddress(address, file, topic);
        const std::string folder = HtmlHelpLocation(file);
        if (folder.empty()) return kHelpNotInstalled;
        const auto nameStart = topic.find_first_not_of('/');
        std::string page = topic.empty() ? ContextPage(file, context)
                           : nameStart == std::string::npos ? std::string()
                                                            : topic.substr(nameStart);
        if (page.empty()) {
            if (detail) *detail = rtl::IntToStr(context);
            return kHelpUnknownContext;
        }
        const std::string pageFile = folder + page;
        if (!rtl::FileExists(pageFile)) {
            if (detail) *detail = pageFile;
            return kHelpPageMissing;
        }
        if (mode == 0) {
            ShowHelpViewerTopic(folder, pageFile);
            return kHelpOk;
        }
        const std::string opener = rtl::DesktopOpener();
        if (opener.empty()) return mode == 1 ? kHelpNoBrowserMode1 : kHelpNoBrowserMode2;
        if (!rtl::OpenWithDesktop(pageFile)) {
            ui::MessageDlg(rtl::Format("Could not start %s\rReason: %s", opener + ", " + pageFile,
                                       "the desktop's opener did not start"),
                           ui::mtWarning, {ui::mbOK});
        }
        return kHelpOk;
    }();
    HelpDebugLine(rtl::Format("  returned - %d", result));
    return result;
}

int HHHelpContext(const std::string& helpFile, int context, const std::string& window, int mode, std::string* detail)
{
    HelpDebugLine(rtl::Format("HHHelpContext(\"%s\", %d, \"%s\", %d)", helpFile, context, window, mode));
    return ShowContext(MakeHelpUrl(helpFile, "", window, mode == 2 ? 1 : 0), context, mode, detail);
}

std::string HelpErrorText(int code, const std::string& detail)
{
    switch (code) {
    case kHelpOk:
        return {};
    case kHelpNotInstalled:
        return "The help viewer is not available on this computer.";
    case kHelpNoBrowserMode1:
    case kHelpNoBrowserMode2:
        return "No web browser was found to show the help page.";
    case kHelpUnknownContext:
        return "There is no help topic for context " + detail + ".";
    case kHelpPageMissing:
        return "The help page " + detail + " was not found.";
    default:
        return "Unknown error returned by HHHelpContext";
    }
}

void HHShowError(int code, const std::string& detail)
{
    const std::string text = HelpErrorText(code, detail);
    HelpDebugLine(rtl::Format("HHShowError(%d), \"%s\"", code, text));
    if (code != kHelpOk) ui::MessageDlg(text, ui::mtWarning, {ui::mbOK});
}

void HHCloseAll()
{
    if (FrmHelpViewer != nullptr) delete FrmHelpViewer;
}

bool OpenPageInBrowser(const std::string& file)
{
    if (!rtl::FileExists(file)) {
        ui::MessageDlg("The page " + file + " was not found.", ui::mtWarning, {ui::mbOK});
        return false;
    }
    const std::string opener = rtl::DesktopOpener();
    if (opener.empty()) {
        ui::MessageDlg("No web browser was found to show " + file + ".", ui::mtWarning, {ui::mbOK});
        return false;
    }
    if (!rtl::OpenWithDesktop(file)) {
        ui::MessageDlg(rtl::Format("Could not start %s\rReason: %s", opener + ", " + file,
                                   "the desktop's opener did not start"),
                       ui::mtWarning, {ui::mbOK});
        return false;
    }
    return true;
}

// ---- THookHelpSystem -----------------------------------------------------------------------

THookHelpSystem::THookHelpSystem(std::string helpFile, std::string windowName, int mode)
    : helpFile_(std::move(helpFile)), windowName_(std::move(windowName)), mode_(mode)
{
    HelpDebugLine(rtl::Format("THookHelpSystem.Create(\"%s\",\"%s\", %d)", helpFile_, windowName_, mode_));
    ui::TApplication& application = ui::Application();
    previous_ = application.OnHelp;
    application.OnHelp = [this](int context, bool& handled) {
        bool callHelp = false;
        HelpHook(HELP_CONTEXT, context, callHelp);
        handled = !callHelp;
    };
}

THookHelpSystem::~THookHelpSystem()
{
    HelpDebugLine("THookHelpSystem.Destroy");
    if (mode_ == 0) HHCloseAll();
    ui::Application().OnHelp = previous_;
}

bool THookHelpSystem::HelpHook(int command, long data, bool& callHelp)
{
    HelpDebugLine(rtl::Format("THookHelpSystem.HelpHook(%s, %d)", HelpCommandName(command), static_cast<int>(data)));
    callHelp = false;
    switch (command) {
    case HELP_CONTEXT:
    case HELP_CONTEXTPOPUP: {
        std::string detail;
        const int result = HHHelpContext(helpFile_, static_cast<int>(data), windowName_, mode_, &detail);
        HHShowError(result, detail);
        break;
    }
    case HELP_SETPOPUP_POS:
        popupPos_ = ui::TPoint{static_cast<int>(data & 0xFFFF), static_cast<int>((data >> 16) & 0xFFFF)};
        break;
    default:
        callHelp = true;
        break;
    }
    return true;
}

// ---- Debug mode ----------------------------------------------------------------------------

void InitHelpDebug(const std::string& moduleDir, const std::vector<std::string>& args)
{
    THelpDebugState& state = DebugState();
    state = {};
    const std::string dir = rtl::IncludeTrailingPathDelimiter(moduleDir);
    bool on = rtl::FileExists(dir + "debug.debug");
    for (const std::string& arg : args)
        if (rtl::SameText(arg, "/debug") || rtl::SameText(arg, "-debug")) on = true;
    if (!on) return;
    std::string logDir = dir;
    if (!CanWriteIn(logDir)) {
        std::error_code ec;
        logDir = rtl::IncludeTrailingPathDelimiter(std::filesystem::temp_directory_path(ec).string());
        if (ec || !rtl::DirectoryExists(logDir)) logDir = "/tmp/";
    }
    state.on = true;
    state.logFile = logDir + "HHDebug.txt";

    const std::string helpFile = HelpFileOf(rtl::AppDirPath());
    const std::string opener = rtl::DesktopOpener();
    const std::string exe = rtl::ExecutablePath();
    std::error_code ec;
    const std::string runDir = std::filesystem::current_path(ec).string();
    const std::string yes = "YES", no = "NO";
    AppendLog("!Filename: " + state.logFile);
    {
        const std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        char date[32];
        std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", &tm);
        AppendLog(std::string("!Date: ") + date);
    }
    AppendLog(std::string("!Locale: ") + (std::getenv("LANG") ? std::getenv("LANG") : "C") + ", decimal separator \"" +
              rtl::FormatSettings().DecimalSeparator + "\"");
    AppendLog("!EXE Path = " + exe);
    AppendLog("!_RunDir = " + runDir);
    AppendLog("!_ModuleName = " + rtl::ExtractFileName(exe));
    AppendLog("!_ModuleDir = " + dir);
    AppendLog("!_hhInstalled = " + (HtmlHelpLocation(helpFile).empty() ? no : yes));
    AppendLog("!_hhVerStr = 1.0");
    AppendLog("!_hhFriendlyVerStr = Gridweaver help viewer 1.0");
    AppendLog("!_ieInstalled = " + (opener.empty() ? no : yes));
    AppendLog("!_ieVerStr = " + opener);
    AppendLog("!_ieFriendlyVerStr = the desktop's browser through " + (opener.empty() ? std::string("(none)") : opener));
}

void ResetHelpDebug() { DebugState() = {}; }

bool HelpDebugOn() { return DebugState().on; }

const std::string& HelpDebugLogFile() { return DebugState().logFile; }

void HelpDebugLine(const std::string& line)
{
    if (!DebugState().on) return;
    AppendLog(TimeStamp() + "   " + line);
}

std::string HelpCommandName(int command)
{
    switch (command) {
    case HELP_CONTEXT:
        return "HELP_CONTEXT";
    case HELP_QUIT:
        return "HELP_QUIT";
    case HELP_CONTENTS:
        return "HELP_CONTENTS";
    case HELP_CONTEXTPOPUP:
        return "HELP_CONTEXTPOPUP";
    case HELP_FINDER:
        return "HELP_FINDER";
    case HELP_SETPOPUP_POS:
        return "HELP_SETPOPUP_POS";
    default:
        return rtl::IntToStr(command);
    }
}

}  // namespace app
