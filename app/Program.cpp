#include "app/Program.h"

#include "app/DMain.h"
#include "app/FConnect.h"
#include "app/FStartup.h"
#include "app/ProjectCommands.h"
#include "app/FMain.h"
#include "app/HelpSystem.h"
#include "app/Tips.h"
#include "designer/FDesign.h"
#include "editctrls/gkDBComb.h"
#include "editctrls/gkCheckBox.h"
#include "editctrls/gkDBDateTimePicker.h"
#include "editctrls/gkDBRichEdit.h"
#include "framedctrls/FcClasses.h"
#include "grid/Intl.h"
#include "grid/gkDataSets.h"
#include "grid/PublishedDBGrid.h"
#include "odbc/Database.h"
#include "odbc/Session.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/db/DbClasses.h"
#include "platform/rtl/Files.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace app {

namespace {
std::vector<long long> VersionParts(std::string_view text)
{
    std::vector<long long> parts;
    std::size_t pos = 0;
    while (true) {
        const std::size_t dot = text.find('.', pos);
        const std::string_view part = text.substr(pos, dot == std::string_view::npos ? std::string_view::npos : dot - pos);
        long long value = 0;
        for (char c : part) {
            if (c < '0' || c > '9') {
                value = 0;
                break;
            }
            value = value * 10 + (c - '0');
            if (value > 1000000000) break;
        }
        parts.push_back(value);
        if (dot == std::string_view::npos) break;
        pos = dot + 1;
    }
    return parts;
}
}  // namespace

int CompareVersions(std::string_view a, std::string_view b)
{
    const auto pa = VersionParts(a), pb = VersionParts(b);
    for (std::size_t i = 0; i < std::max(pa.size(), pb.size()); ++i) {
        const long long x = i < pa.size() ? pa[i] : 0, y = i < pb.size() ? pb[i] : 0;
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

bool CheckDataAccessVersion(const std::string& version, const std::string& appDir)
{
    if (CompareVersions(version, kMinimumDataAccessVersion) >= 0) return true;
    if (ui::MessageDlg(kMissingDriverManagerQuestion, ui::mtConfirmation, {ui::mbYes, ui::mbNo}) == ui::mrYes)
        OpenPageInBrowser(rtl::IncludeTrailingPathDelimiter(appDir) + "Help/install.html");
    return false;
}

void RegisterAppClasses()
{
    ui::RegisterUiClasses();
    db::RegisterDbClasses();
    grid::RegisterIntlClasses();
    grid::RegisterPublishedGridClasses();
    grid::RegisterDataSetClasses();
    editctrls::RegisterDateTimePickerClasses();
    editctrls::RegisterCheckBoxClasses();
    editctrls::RegisterMonthCalendarClasses();
    editctrls::RegisterComboClasses();
    editctrls::RegisterRichEditClasses();
    classes::RegisterClasses<odbc::TdbDataBase, odbc::TdbSession>();
    framedctrls::RegisterFramedClasses();
    RegisterTipsClasses();
    designer::RegisterDesignClasses();
}

ui::TPixelImage ProgramIcon()
{
    constexpr int kSize = 32;
    constexpr std::uint32_t kFrame = 0xFF1F4E79, kHeader = 0xFF9DC3E6, kCell = 0xFFFFFFFF, kClear = 0;
    ui::TPixelImage icon;
    icon.Width = icon.Height = kSize;
    icon.Pixels.assign(kSize * kSize, kFrame);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            std::uint32_t& p = icon.Pixels[static_cast<std::size_t>(y * kSize + x)];
            // Rounded corners: the two pixels nearest each corner are left out.
            const int dx = std::min(x, kSize - 1 - x), dy = std::min(y, kSize - 1 - y);
            if (dx + dy < 2) p = kClear;
            // The table: a header row and three rows of cells, ruled in the frame's colour.
            const bool inside = x >= 5 && x <= 26 && y >= 6 && y <= 26;
            const bool line = (x - 5) % 7 == 0 || y == 6 || y == 11 || y == 26 || (y > 11 && (y - 11) % 5 == 0);
            if (inside && !line) p = y < 11 ? kHeader : kCell;
        }
    return icon;
}

void CreateProgramWindows()
{
    ui::TApplication& application = ui::Application();
    application.SetHelpFile("");
    application.SetTitle("Gridweaver");
    application.SetIcon(ProgramIcon());
    RegisterAppClasses();
    new TdmMain(&application);
    // The welcome dialog ends the start-up; the Tools menu opens the data-link administrator.
    MainWindowHooks().welcomeDialog = RunWelcomeDialog;
    MainWindowHooks().adoAdministrator = ShowADOAdministrator;
    MainWindowHooks().newProject = NewProject;
    MainWindowHooks().savePages = SavePages;
    MainWindowHooks().openProject = [](const std::string& fileName) { OpenProject(fileName); };
    MainWindowHooks().saveProject = SaveProjectCommand;
    MainWindowHooks().saveProjectAs = SaveProjectAsCommand;
    application.CreateForm<TFrmMain>();
}

}  // namespace app
