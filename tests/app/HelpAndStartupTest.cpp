// Help addresses, the help hook and its three modes, the debug log, the help viewer, the
// data-access version check and the ODBC Administrator's three ways, with stand-in programs
// in PATH and the scripted dialog service.

#include "tests/app/ShellTestSupport.h"

#include "app/FMain.h"
#include "app/HelpSystem.h"
#include "app/HelpViewer.h"
#include "app/OdbcAdmin.h"
#include "app/Program.h"
#include "platform/db/Version.h"
#include "platform/rtl/Paths.h"
#include "platform/ui/StdCtrls.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace {

using apptest::ShellTest;

TEST(HelpUrl, MakeHelpUrlCases)
{
    struct Row {
        const char* file;
        const char* topic;
        const char* window;
        int kind;
        const char* url;
    };
    const Row rows[] = {
        {"/h/Gridweaver.map", "", "", 0, "/h/Gridweaver.map"},
        {"/h/My%20Help.map", "", "", 0, "/h/My Help.map"},
        {"  /h/a.map  ", "", "", 0, "/h/a.map"},
        {"/h/a.map", "welcome.html", "", 0, "/h/a.map::/welcome.html"},
        {"/h/a.map", "sub\\page%20one.html", "", 0, "/h/a.map::/sub/page one.html"},
        {"/h/a.map", "/x.html", "main", 0, "/h/a.map::/x.html>main"},
        {"", "x.html", "", 0, "/x.html"},
        {"/h/a.map", "", " main ", 1, "mk:@MSITStore:/h/a.map>main"},
        {"/h/a.map", "x.html", "", 2, "ms-its:/h/a.map::/x.html"},
    };
    for (const Row& r : rows) EXPECT_EQ(app::MakeHelpUrl(r.file, r.topic, r.window, r.kind), r.url) << r.file;
}

TEST(HelpUrl, ErrorTexts)
{
    EXPECT_EQ(app::HelpErrorText(0), "");
    EXPECT_EQ(app::HelpErrorText(1), "The help viewer is not available on this computer.");
    EXPECT_EQ(app::HelpErrorText(2), "No web browser was found to show the help page.");
    EXPECT_EQ(app::HelpErrorText(3), "No web browser was found to show the help page.");
    EXPECT_EQ(app::HelpErrorText(4, "150"), "There is no help topic for context 150.");
    EXPECT_EQ(app::HelpErrorText(5, "/h/x.html"), "The help page /h/x.html was not found.");
    EXPECT_EQ(app::HelpErrorText(99), "Unknown error returned by HHHelpContext");
}

TEST(VersionGate, ComparesNumberByNumber)
{
    struct Row {
        const char* version;
        bool passes;
    };
    const Row rows[] = {{"2.0", true},  {"2.5", true},  {"2.8", true}, {"10.0", true}, {"2", true},
                        {"2.0.1", true}, {"1.5", false}, {"0.0", false}, {"1.99", false}, {"", false}};
    for (const Row& r : rows)
        EXPECT_EQ(app::CompareVersions(r.version, app::kMinimumDataAccessVersion) >= 0, r.passes) << r.version;
    EXPECT_EQ(app::CompareVersions("2.10", "2.9"), 1);
    EXPECT_EQ(app::CompareVersions("2.0", "2"), 0);
    EXPECT_GE(app::CompareVersions(db::kDataAccessVersion, app::kMinimumDataAccessVersion), 0);
    EXPECT_EQ(db::DataAccessVersion(), db::kDataAccessVersion);  // unixODBC answers here
}

// ---- The shipped help against the program --------------------------------------------------

const std::string kSource = GW_SOURCE_DIR;

std::string ReadText(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The files of a folder of the source tree ending in one of `extensions`, sub-folders included.
std::vector<std::filesystem::path> FilesUnder(const std::string& folder, std::initializer_list<const char*> extensions)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kSource + "/" + folder))
        for (const char* ext : extensions)
            if (entry.is_regular_file() && entry.path().extension() == ext) files.push_back(entry.path());
    return files;
}

// Every help context the program asks for, with where it is asked: the stored forms'
// HelpContext lines, and in the code the help-context constants ("kHelpContext = 270",
// "kConnectHelpContext = 40") and the calls with a number ("ShowHelpContext(10)").
std::map<int, std::string> HelpContextsInUse()
{
    std::map<int, std::string> used;
    const std::regex stored(R"(\bHelpContext = (\d+))");
    const std::regex code(R"((?:HelpContext\w*\s*=\s*|HelpContext\()(\d+))");
    auto scan = [&](const std::filesystem::path& file, const std::regex& re) {
        const std::string text = ReadText(file);
        for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
            if (const int n = std::stoi((*it)[1]); n != 0) used.emplace(n, file.filename().string());
    };
    for (const auto& file : FilesUnder("forms", {".gwf"})) scan(file, stored);
    for (const char* folder : {"app", "designer", "vquery", "odbc", "grid", "editor", "framedctrls", "editctrls"})
        for (const auto& file : FilesUnder(folder, {".cpp", ".h"})) scan(file, code);
    return used;
}

TEST(ShippedHelp, EveryHelpContextInUseHasAPageAndEveryPageItLinksToIsThere)
{
    const std::string help = kSource + "/share/Help/";
    const auto map = app::ReadContextMap(help + "Gridweaver.map");
    const auto used = HelpContextsInUse();
    // The scan finds what the program is known to ask for: the main help command, the
    // welcome and connection dialogs, the design window, the column dialog.
    for (const int known : {10, 20, 40, 100, 270}) EXPECT_TRUE(used.count(known)) << known;
    for (const auto& [context, where] : used) {
        const std::string page = app::ContextPage(help + "Gridweaver.map", context);
        EXPECT_FALSE(page.empty()) << "help context " << context << " of " << where << " has no map entry";
        if (!page.empty()) {
            EXPECT_TRUE(rtl::FileExists(help + page)) << page << " for help context " << context;
        }
    }
    for (const auto& [context, page] : map) EXPECT_TRUE(rtl::FileExists(help + page)) << context << "=" << page;
    for (const auto& file : FilesUnder("share/Help", {".html"}))
        for (const std::string& link : app::PageLinks(file.string()))
            EXPECT_TRUE(rtl::FileExists(help + link)) << file.filename() << " links to " << link;
}

// The captions and list items of the stored forms, as a user reads them: the accelerator's
// "&" taken out ("&&" is a plain "&"), blanks around trimmed.
std::set<std::string> CaptionsOfTheStoredForms()
{
    std::set<std::string> names;
    auto add = [&](std::string text) {
        text = std::regex_replace(text, std::regex("''"), "'");
        std::string plain;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '&') {
                plain += '&';
                ++i;
            } else if (text[i] != '&') {
                plain += text[i];
            }
        }
        names.insert(rtl::Trim(plain));
        names.insert(rtl::Trim(std::regex_replace(text, std::regex("&&"), "&")));  // a tab's "Preview & Save"
    };
    const std::regex caption(R"(\bCaption = '((?:[^']|'')*)')");
    const std::regex items(R"(Items\.Strings = \(([^)]*)\))");
    const std::regex item(R"('((?:[^']|'')*)')");
    for (const auto& file : FilesUnder("forms", {".gwf"})) {
        const std::string text = ReadText(file);
        for (auto it = std::sregex_iterator(text.begin(), text.end(), caption); it != std::sregex_iterator(); ++it)
            add((*it)[1]);
        for (auto it = std::sregex_iterator(text.begin(), text.end(), items); it != std::sregex_iterator(); ++it) {
            const std::string block = (*it)[1];
            for (auto jt = std::sregex_iterator(block.begin(), block.end(), item); jt != std::sregex_iterator(); ++jt)
                add((*jt)[1]);
        }
    }
    return names;
}

TEST(ShippedHelp, TutorialsNameOnlyButtonsMenusAndTabsThatExist)
{
    // A tutorial puts what the user clicks in bold; "File | Save Project" is a menu path.
    const auto names = CaptionsOfTheStoredForms();
    ASSERT_TRUE(names.count("Gen SQL") && names.count("Preview & Save") && names.count("Goto webpage"));
    const std::regex bold("<b>(.*?)</b>");
    for (const auto& file : FilesUnder("share/Tutorials", {".html"})) {
        const std::string text = ReadText(file);
        for (auto it = std::sregex_iterator(text.begin(), text.end(), bold); it != std::sregex_iterator(); ++it) {
            const std::string named = std::regex_replace(std::string((*it)[1]), std::regex("&amp;"), "&");
            std::size_t from = 0;
            while (true) {
                const std::size_t bar = named.find(" | ", from);
                const std::string part = named.substr(from, bar == std::string::npos ? std::string::npos : bar - from);
                EXPECT_TRUE(names.count(part)) << file.filename() << " names \"" << part << "\"";
                if (bar == std::string::npos) break;
                from = bar + 3;
            }
        }
    }
}

class HelpTest : public ShellTest {};

TEST_F(HelpTest, VersionGateAsksAndOpensTheInstallPageOnYes)
{
    const std::string appDir = rtl::AppDir();
    FakeProgram("xdg-open");
    UsePath(true);
    // Enough: no question, no window touched.
    EXPECT_TRUE(app::CheckDataAccessVersion("2.0", appDir));
    EXPECT_TRUE(dialogs_.Asked().empty());
    // No: the program ends without opening anything or making any window.
    dialogs_.AnswerMessage(ui::mrNo);
    EXPECT_FALSE(app::CheckDataAccessVersion("1.5", appDir));
    ASSERT_EQ(dialogs_.Asked().size(), 1u);
    EXPECT_EQ(dialogs_.Asked()[0].message.text,
              "Cannot run Gridweaver without the unixODBC driver manager.\r\nDo you want to see how to install it?");
    EXPECT_EQ(dialogs_.Asked()[0].message.type, ui::mtConfirmation);
    EXPECT_EQ(dialogs_.Asked()[0].message.buttons, (ui::TMsgDlgButtons{ui::mbYes, ui::mbNo}));
    EXPECT_EQ(Called("xdg-open", 300), "");
    // Yes: the install page with the desktop's browser.
    dialogs_.AnswerMessage(ui::mrYes);
    EXPECT_FALSE(app::CheckDataAccessVersion("0.0", appDir));
    EXPECT_EQ(Called("xdg-open"), appDir + "Help/install.html|\n");
    EXPECT_EQ(ui::Screen().FormCount(), 0);
    EXPECT_TRUE(dialogs_.Unexpected().empty());
}

TEST_F(HelpTest, ThreeModesWithAFakeOpener)
{
    const std::string helpFile = app::HelpFileOf(rtl::AppDir());
    const std::string help = rtl::ExtractFilePath(helpFile);
    EXPECT_EQ(app::HtmlHelpLocation(helpFile), help);
    EXPECT_EQ(app::ContextPage(helpFile, 10), "mainwindow.html");
    EXPECT_EQ(app::ContextPage(helpFile, 20), "welcome.html");

    // Mode 0: the help viewer, brought up at the page.
    EXPECT_EQ(app::HHHelpContext(helpFile, 20, "", 0), app::kHelpOk);
    ASSERT_NE(app::FrmHelpViewer, nullptr);
    EXPECT_TRUE(app::FrmHelpViewer->Visible());
    EXPECT_EQ(app::FrmHelpViewer->TopicFile(), help + "welcome.html");

    // Modes 1 and 2: the desktop's browser.
    FakeProgram("xdg-open");
    UsePath(false);
    EXPECT_EQ(app::HHHelpContext(helpFile, 10, "", 1), app::kHelpOk);
    EXPECT_EQ(Called("xdg-open"), help + "mainwindow.html|\n");
    std::filesystem::remove(Path("xdg-open.called"));
    EXPECT_EQ(app::HHHelpContext(helpFile, 20, "", 2), app::kHelpOk);
    EXPECT_EQ(Called("xdg-open"), help + "welcome.html|\n");

    // An opener that cannot be started: said, naming it and the page.
    rtl::WriteStringToFile(Path("bin/xdg-open"), "#!/nonexistent/interpreter\n");
    dialogs_.AnswerMessage(ui::mrOk);
    EXPECT_EQ(app::HHHelpContext(helpFile, 10, "", 1), app::kHelpOk);
    ASSERT_EQ(dialogs_.Asked().size(), 1u);
    EXPECT_EQ(dialogs_.Asked()[0].message.text, "Could not start " + Path("bin/xdg-open") + ", " + help +
                                                     "mainwindow.html\rReason: the desktop's opener did not start");

    // No opener: 2 and 3; the help missing: 1; an unknown context and a missing page: named.
    std::filesystem::remove(Path("bin/xdg-open"));
    EXPECT_EQ(app::HHHelpContext(helpFile, 10, "", 1), app::kHelpNoBrowserMode1);
    EXPECT_EQ(app::HHHelpContext(helpFile, 10, "", 2), app::kHelpNoBrowserMode2);
    EXPECT_EQ(app::HHHelpContext(Path("nowhere/Gridweaver.map"), 10, "", 0), app::kHelpNotInstalled);
    std::string detail;
    EXPECT_EQ(app::HHHelpContext(helpFile, 150, "", 0, &detail), app::kHelpUnknownContext);
    EXPECT_EQ(detail, "150");
    // An address naming a topic of its own shows that page; an empty topic name is no page.
    EXPECT_EQ(app::ShowContext(app::MakeHelpUrl(helpFile, "install.html", "", 0), 999, 0), app::kHelpOk);
    EXPECT_EQ(app::FrmHelpViewer->TopicFile(), help + "install.html");
    EXPECT_EQ(app::ShowContext(helpFile + "::/", 10, 0), app::kHelpUnknownContext);
    std::filesystem::remove(help + "mainwindow.html");
    EXPECT_EQ(app::HHHelpContext(helpFile, 10, "", 0, &detail), app::kHelpPageMissing);
    EXPECT_EQ(detail, help + "mainwindow.html");
    EXPECT_EQ(dialogs_.Asked().size(), 1u);  // results only; HHShowError says them
}

TEST_F(HelpTest, HookCommandsAndTheApplicationsHelpEvent)
{
    const std::string helpFile = app::HelpFileOf(rtl::AppDir());
    {
        app::THookHelpSystem hook(helpFile, "", 0);
        bool callHelp = true;
        EXPECT_TRUE(hook.HelpHook(app::HELP_SETPOPUP_POS, (40L << 16) | 30, callHelp));
        EXPECT_FALSE(callHelp);
        EXPECT_EQ(hook.PopupPos().X, 30);
        EXPECT_EQ(hook.PopupPos().Y, 40);
        hook.HelpHook(app::HELP_QUIT, 0, callHelp);
        EXPECT_TRUE(callHelp);
        hook.HelpHook(app::HELP_CONTEXTPOPUP, 10, callHelp);
        EXPECT_FALSE(callHelp);
        EXPECT_EQ(app::FrmHelpViewer->TopicFile(), rtl::ExtractFilePath(helpFile) + "mainwindow.html");
        // F1 on a control with help context 20 reaches the hook through the application.
        EXPECT_TRUE(ui::Application().HelpContext(20));
        EXPECT_EQ(app::FrmHelpViewer->TopicFile(), rtl::ExtractFilePath(helpFile) + "welcome.html");
        // An unknown context: a warning naming it, no exception.
        dialogs_.AnswerMessage(ui::mrOk);
        EXPECT_TRUE(ui::Application().HelpContext(150));
        ASSERT_EQ(dialogs_.Asked().size(), 1u);
        EXPECT_EQ(dialogs_.Asked()[0].message.text, "There is no help topic for context 150.");
    }
    // Gone: the viewer closed, the application's help event as it was.
    EXPECT_EQ(app::FrmHelpViewer, nullptr);
    EXPECT_FALSE(static_cast<bool>(ui::Application().OnHelp));
}

TEST_F(HelpTest, HelpCommandWithoutHelpPagesSaysSo)
{
    app::CreateProgramWindows();
    app::TFrmMain* main = app::FrmMain;
    std::filesystem::remove(main->HelpFile);
    dialogs_.AnswerMessage(ui::mrOk);
    main->Get<ui::TAction>("cmd_showhelp")->Execute();
    ASSERT_EQ(dialogs_.Asked().size(), 1u);
    EXPECT_EQ(dialogs_.Asked()[0].message.text, "Can not open help, the help viewer is not available.");
    EXPECT_EQ(app::FrmHelpViewer, nullptr);
}

TEST_F(HelpTest, HelpViewerAtContext20)
{
    app::CreateProgramWindows();
    app::TFrmMain* main = app::FrmMain;
    main->ShowHelpContext(20);
    ASSERT_NE(app::FrmHelpViewer, nullptr);
    app::TFrmHelpViewer* viewer = app::FrmHelpViewer;
    const std::string help = main->AppDir + "Help/";
    EXPECT_EQ(viewer->Caption(), "Gridweaver Help");
    EXPECT_EQ(viewer->TopicFile(), help + "welcome.html");
    auto* list = viewer->Get<ui::TListBox>("lb_contents");
    ASSERT_GT(list->Items()->Count(), 3);
    EXPECT_EQ(list->Items()->Strings(0), "Gridweaver Help");  // the index, then in the order it links
    EXPECT_EQ(list->Items()->Strings(1), "The main window");
    EXPECT_EQ(list->Items()->Strings(2), "The welcome dialog");
    EXPECT_EQ(viewer->ContentsFiles().at(static_cast<std::size_t>(list->ItemIndex())), help + "welcome.html");
    EXPECT_EQ(list->Items()->Strings(list->ItemIndex()), "The welcome dialog");
    // Entries read as the pages' titles do in a browser.
    const auto& files = viewer->ContentsFiles();
    const auto tab = std::find(files.begin(), files.end(), help + "headerfooter.html");
    ASSERT_NE(tab, files.end());
    EXPECT_EQ(list->Items()->Strings(static_cast<int>(tab - files.begin())), "The Header&Footer tab");
    // Choosing another entry shows it; the viewer stays one window.
    list->SetItemIndex(0);
    list->Click();
    EXPECT_EQ(viewer->TopicFile(), help + "index.html");
    main->Get<ui::TAction>("cmd_showhelp")->Execute();
    EXPECT_EQ(app::FrmHelpViewer, viewer);
    EXPECT_EQ(viewer->TopicFile(), help + "mainwindow.html");
    EXPECT_TRUE(dialogs_.Asked().empty());
}

TEST_F(HelpTest, DebugSwitchesAndLogLines)
{
    const std::string module = Path("module");
    std::filesystem::create_directories(module);
    // Off unless switched on.
    app::InitHelpDebug(module, {"/other"});
    EXPECT_FALSE(app::HelpDebugOn());
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"/DEBUG"}, std::vector<std::string>{"-Debug"}}) {
        app::InitHelpDebug(module, args);
        EXPECT_TRUE(app::HelpDebugOn());
    }
    app::ResetHelpDebug();
    rtl::WriteStringToFile(module + "/debug.debug", "");
    app::InitHelpDebug(module, {});
    ASSERT_TRUE(app::HelpDebugOn());
    EXPECT_EQ(app::HelpDebugLogFile(), module + "/HHDebug.txt");

    const std::string helpFile = app::HelpFileOf(rtl::AppDir());
    {
        app::THookHelpSystem hook(helpFile, "", 0);
        bool callHelp = false;
        hook.HelpHook(app::HELP_CONTEXT, 20, callHelp);
    }
    app::ResetHelpDebug();
    const std::string log = rtl::ReadFileToString(module + "/HHDebug.txt");
    EXPECT_EQ(log.rfind("!Filename: " + module + "/HHDebug.txt\r\n", 0), 0u);
    for (const char* header : {"!Date: ", "!EXE Path = ", "!_RunDir = ", "!_ModuleName = ",
                               "!_ModuleDir = ", "!_hhInstalled = ", "!_hhVerStr = ", "!_hhFriendlyVerStr = ",
                               "!_ieInstalled = ", "!_ieVerStr = ", "!_ieFriendlyVerStr = "})
        EXPECT_NE(log.find(std::string("\n") + header), std::string::npos) << header;
    for (const std::string& line : std::vector<std::string>{"   THookHelpSystem.Create(\"" + helpFile + "\",\"\", 0)\r\n",
          "   THookHelpSystem.HelpHook(HELP_CONTEXT, 20)\r\n",
          "   HHHelpContext(\"" + helpFile + "\", 20, \"\", 0)\r\n", "   ShowContext(\"" + helpFile + "\", 20)\r\n",
          "   returned - 0\r\n", "   HHShowError(0), \"\"\r\n", "   THookHelpSystem.Destroy\r\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    EXPECT_FALSE(rtl::FileExists(module + "/$_Temp_$.$$$"));

    // A module folder that cannot be written: the log goes to the temporary folder.
    app::InitHelpDebug(Path("missing-folder"), {"-debug"});
    EXPECT_NE(app::HelpDebugLogFile().find("HHDebug.txt"), std::string::npos);
    EXPECT_EQ(app::HelpDebugLogFile().find(Path("missing-folder")), std::string::npos);
    app::ResetHelpDebug();
}

// ---- ODBC Administrator ------------------------------------------------------------------------

class OdbcAdminTest : public ShellTest {};

TEST_F(OdbcAdminTest, StartsUnixOdbcsAdministratorWhenInPath)
{
    FakeProgram("ODBCManageDataSourcesQ4");
    FakeProgram("xdg-open");
    UsePath(false);
    EXPECT_EQ(app::ShowOdbcAdministrator(), app::TOdbcAdminResult::Administrator);
    EXPECT_EQ(Called("ODBCManageDataSourcesQ4"), "|\n");
    FakeProgram("ODBCManageDataSourcesQ5");
    EXPECT_EQ(app::ShowOdbcAdministrator(), app::TOdbcAdminResult::Administrator);
    EXPECT_EQ(Called("ODBCManageDataSourcesQ5"), "|\n");
    EXPECT_EQ(Called("xdg-open", 200), "");
    EXPECT_TRUE(dialogs_.Asked().empty());
}

TEST_F(OdbcAdminTest, ElseOpensTheUsersDataSourceFileMadeWithAnExample)
{
    const std::string file = Path("odbc/user.ini");
    FakeProgram("odbcinst", "echo 'unixODBC 2.3.11'\necho 'DRIVERS............: /etc/odbcinst.ini'\n"
                            "echo 'USER DATA SOURCES..: " + file + "'\n");
    FakeProgram("xdg-open");
    UsePath(false);
    EXPECT_EQ(app::UserDataSourceFile(), file);
    EXPECT_EQ(app::ShowOdbcAdministrator(), app::TOdbcAdminResult::DataSourceFile);
    EXPECT_EQ(Called("xdg-open"), file + "|\n");
    EXPECT_EQ(rtl::ReadFileToString(file), app::DataSourceFileTemplate());
    // An existing file is opened as it is.
    rtl::WriteStringToFile(file, "[Mine]\nDriver = SQLite3\n");
    std::filesystem::remove(Path("xdg-open.called"));
    EXPECT_EQ(app::ShowOdbcAdministrator(), app::TOdbcAdminResult::DataSourceFile);
    EXPECT_EQ(Called("xdg-open"), file + "|\n");
    EXPECT_EQ(rtl::ReadFileToString(file), "[Mine]\nDriver = SQLite3\n");
    EXPECT_TRUE(dialogs_.Asked().empty());
}

TEST_F(OdbcAdminTest, NothingToStartIsSaid)
{
    const std::string file = Path("odbc/user.ini");
    FakeProgram("odbcinst", "echo 'USER DATA SOURCES..: " + file + "'\n");
    UsePath(false);
    dialogs_.AnswerMessage(ui::mrOk);
    EXPECT_EQ(app::ShowOdbcAdministrator(), app::TOdbcAdminResult::Nothing);
    ASSERT_EQ(dialogs_.Asked().size(), 1u);
    const std::string text = dialogs_.Asked()[0].message.text;
    EXPECT_NE(text.find("ODBCManageDataSourcesQ5"), std::string::npos) << text;
    EXPECT_NE(text.find("xdg-open"), std::string::npos) << text;
    EXPECT_NE(text.find(file), std::string::npos) << text;
    EXPECT_EQ(dialogs_.Asked()[0].message.type, ui::mtWarning);

    EXPECT_EQ(app::UserDataSourceFileOf("unixODBC 2.3.11\nUSER DATA SOURCES..: /home/u/.odbc.ini\n"),
              "/home/u/.odbc.ini");
    EXPECT_EQ(app::UserDataSourceFileOf("nothing here\n"), "");
}

}  // namespace
