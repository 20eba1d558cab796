// The program block: the browser control's set-up before the Qt application exists, the
// window system, the component classes, the data-access version check before any window,
// the ODBC components, the data module and the main window, the message loop, and the ODBC
// shutdown once the windows are gone.
//
// GRIDWEAVER_QUIT_WHEN_SHOWN=1 makes the program end as soon as the main window has first
// been painted on the screen, after printing "gridweaver-shown <steady clock nanoseconds>"
// (the start-up benchmark measures the time to that line).

#include "app/HelpSystem.h"
#include "app/Program.h"
#include "odbc/Startup.h"
#include "platform/db/Version.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Paths.h"
#include "platform/rtl/Process.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/FirstPaint.h"
#include "platform/ui/qt/QtUi.h"
#include "platform/ui/qt/web/QtWeb.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

namespace {

// Shows the main window now (the message loop would show it first thing) and ends the
// program once it has been painted; at once, saying nothing, when there is no window to paint.
void QuitOncePainted()
{
    ui::TCustomForm* main = ui::Application().MainForm();
    if (main != nullptr) main->Show();
    QWidget* window = main != nullptr ? ui::qt::WidgetOf(*main) : nullptr;
    if (window == nullptr) {
        ui::Application().Terminate();
        return;
    }
    new ui::qt::TFirstPaintWatch(*window, [] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("gridweaver-shown %lld\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        std::fflush(stdout);
        ui::Application().Terminate();
    });
}

}  // namespace

int main(int argc, char** argv)
{
    // Before anything is written: a file-size limit must give the write its error, not end
    // the program with an unsaved design.
    rtl::IgnoreFileSizeSignal();
    try {
        rtl::FormatSettings() = rtl::TFormatSettings::FromLocale();
        ui::qt::PrepareWebBrowser();
        ui::qt::Install();
        app::RegisterAppClasses();

        const std::string appDir = rtl::AppDir();
        app::InitHelpDebug(rtl::ExecutableDir(), std::vector<std::string>(argv + 1, argv + argc));
        if (!app::CheckDataAccessVersion(db::DataAccessVersion(), appDir)) return 0;

        odbc::StartUpOdbc();
        app::CreateProgramWindows();
        if (const char* quit = std::getenv("GRIDWEAVER_QUIT_WHEN_SHOWN"); quit != nullptr && *quit != '\0')
            QuitOncePainted();
        ui::Application().Run();
        // The windows go first: they use the ODBC components.
        ui::Application().DestroyComponents();
        odbc::ShutDownOdbc();
        return 0;
    } catch (const std::exception& e) {
        rtl::LogLine("start-up", e.what());
        return 1;
    }
}
