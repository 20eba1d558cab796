// The main window from its stored description, without a display: its actions, caption,
// status bar hint, exit order, the start-up sequence with the tip of the day in a temporary
// program folder, and the welcome list.

#include "tests/app/ShellTestSupport.h"

#include "app/FMain.h"
#include "app/HelpSystem.h"
#include "app/Tips.h"
#include "app/Welcome.h"
#include "platform/rtl/Registry.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

namespace {

using apptest::ShellTest;
using app::TFrmMain;

class MainWindowTest : public ShellTest {
protected:
    void TearDown() override
    {
        app::MainWindowHooks() = {};
        ShellTest::TearDown();
    }
    TFrmMain* MakeMain()
    {
        app::CreateProgramWindows();
        return app::FrmMain;
    }
};

TEST_F(MainWindowTest, ActionsFromTheFormHaveTheirCaptionsHintsAndStates)
{
    TFrmMain* main = MakeMain();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ui::Application().MainForm(), main);
    EXPECT_EQ(main->FormStyle(), ui::fsMDIForm);
    EXPECT_EQ(main->WindowState(), ui::wsMaximized);
    EXPECT_EQ(main->HelpContext(), 20);
    struct Row {
        const char* name;
        const char* caption;
        const char* hint;
        bool enabled;
    };
    const Row rows[] = {
        {"cmd_new", "&New Project...", "Create New Project", true},
        {"cmd_open", "&Open Project...", "Open Project", true},
        {"cmd_save", "&Save Project", "Save Project", false},
        {"cmd_saveas", "Save Project &As...", "Save Project As", false},
        {"cmd_close", "&Close Project", "Close Project", false},
        {"cmd_savehtml", "Save &Pages...", "Save Html Pages", false},
        {"cmd_exit", "&Exit", "Exit Program", true},
        {"cmd_adoadmin", "&ADO Administrator...", "Show ADO Administrator", true},
        {"cmd_odbc", "OD&BC Administrator...", "Show ODBC Administrator", true},
        {"cmd_showhelp", "G&ridweaver Help", "Show Help", true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        auto* action = main->Get<ui::TAction>(r.name);
        EXPECT_EQ(action->Caption(), r.caption);
        EXPECT_EQ(action->Hint(), r.hint);
        EXPECT_EQ(action->Enabled(), r.enabled);
        EXPECT_TRUE(static_cast<bool>(action->OnExecute));
    }
    // Menu items and tool buttons follow their actions.
    EXPECT_EQ(main->Get<ui::TMenuItem>("mnu_save")->Caption(), "&Save Project");
    EXPECT_FALSE(main->Get<ui::TMenuItem>("mnu_save")->Enabled());
    EXPECT_FALSE(main->Get<ui::TToolButton>("tb_savepages")->Enabled());
    main->SetProjectOpen(true);
    for (const char* name : {"cmd_save", "cmd_saveas", "cmd_close", "cmd_savehtml"})
        EXPECT_TRUE(main->Get<ui::TAction>(name)->Enabled()) << name;
    EXPECT_TRUE(main->Get<ui::TToolButton>("tb_savepages")->Enabled());

    // Menus, status panels, timer and dialogs as the form places them.
    EXPECT_EQ(main->Get<ui::TMenuItem>("mnu_help")->Count(), 11);
    EXPECT_EQ(main->Get<ui::TMenuItem>("mnu_tutorials")->Count(), 4);
    auto* bar = main->Get<ui::TStatusBar>("sbar_main");
    ASSERT_EQ(bar->Panels()->Count(), 3);
    EXPECT_EQ(bar->Panels()->Items(0)->Width(), 300);
    EXPECT_EQ(bar->Panels()->Items(1)->Width(), 200);
    EXPECT_EQ(bar->Panels()->Items(2)->Width(), 50);
    auto* timer = main->Get<ui::TTimer>("startup_timer");
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 500);
    EXPECT_EQ(main->Get<ui::TSaveDialog>("savedlg")->DefaultExt(), "gwp");
    EXPECT_TRUE(main->Get<ui::TSaveDialog>("savedlg")->Options().Contains(ui::ofOverwritePrompt));
    EXPECT_EQ(main->Get<ui::TOpenDialog>("opendlg")->Filter(), "Gridweaver file (*.gwp)|*.gwp");
    EXPECT_EQ(main->TipDlg()->TipsCount(), 25);
    EXPECT_EQ(main->TipDlg()->SaveKey(), "Software\\GWTips");

    // The tool bar's menu buttons drop mirrors of the three menus.
    auto* drop = main->Get<ui::TToolButton>("tb_help")->DropdownMenu();
    ASSERT_NE(drop, nullptr);
    EXPECT_EQ(drop->Items()->Count(), 11);
    EXPECT_EQ(drop->Items()->Items(0)->Caption(), "G&ridweaver Help");
}

TEST_F(MainWindowTest, PathsCaptionAndExtensions)
{
    TFrmMain* main = MakeMain();
    const std::string home = Home() + "/";
    EXPECT_EQ(main->AppDir, home);
    EXPECT_EQ(main->DataDir, home + "Data");
    EXPECT_EQ(main->TutorialsDir, home + "Tutorials");
    EXPECT_EQ(main->TempHtmlFile, home + "Temp/Temp.html");
    EXPECT_EQ(main->HistoryFile, home + "Data/history.dat");
    EXPECT_EQ(main->HelpFile, home + "Help/Gridweaver.map");

    main->Show();
    EXPECT_EQ(main->Caption(), "Gridweaver");
    EXPECT_TRUE(main->Get<ui::TTimer>("startup_timer")->Enabled());
    main->SetMainCaption("Orders");
    EXPECT_EQ(main->Caption(), "Gridweaver - [Orders]");
    main->SetMainCaption("");
    EXPECT_EQ(main->Caption(), "Gridweaver");

    const std::pair<const char*, const char*> names[] = {
        {"Orders.gwp", "Orders"},       {"Orders.html", "Orders"},         {"Orders", "Orders"},
        {"a.tar.gz", "a.tar"},          {"/p/v1.2/Orders", "/p/v1.2/Orders"}, {"/p/Orders.x", "/p/Orders"},
        {"", ""},
    };
    for (const auto& [in, out] : names) EXPECT_EQ(TFrmMain::StripExtension(in), out) << in;
}

// A save of the recent-projects list killed before its rename leaves its temporary file
// beside it; the next start removes those, and only those.
TEST_F(MainWindowTest, StartRemovesStaleTemporariesOfTheHistory)
{
    const std::string data = Home() + "/Data/";
    std::filesystem::create_directories(data + "history.dat.Folder");
    struct Row {
        const char* name;
        bool removed;
    };
    const Row rows[] = {
        {"history.dat.a1B2c3", true},   {"history.dat.ZZZZZZ", true},  {"history.dat", false},
        {"history.dat.bak", false},     {"history.dat.a1B2c3d", false}, {"history.dat.a1-2c3", false},
        {"HISTORY.DAT.a1B2c3", false},  {"other.dat.a1B2c3", false},   {"history.dat.Folder/x", false},
    };
    for (const Row& r : rows) rtl::WriteStringToFile(data + r.name, "kept\r\n");
    MakeMain();
    for (const Row& r : rows) EXPECT_EQ(rtl::FileExists(data + r.name), !r.removed) << r.name;
    EXPECT_TRUE(rtl::DirectoryExists(data + "history.dat.Folder"));
}

TEST_F(MainWindowTest, HintGoesToPanelZero)
{
    TFrmMain* main = MakeMain();
    ui::Application().HintControl(main->Get<ui::TToolButton>("tb_open"));
    EXPECT_EQ(main->Get<ui::TStatusBar>("sbar_main")->Panels()->Items(0)->Text(), "Open Project");
    ui::Application().SetHint("Something else");
    EXPECT_EQ(main->Get<ui::TStatusBar>("sbar_main")->Panels()->Items(0)->Text(), "Something else");
}

TEST_F(MainWindowTest, ExitClosesTheChildrenFirstThenTheMainWindow)
{
    TFrmMain* main = MakeMain();
    main->Show();
    std::vector<std::string> closed;
    for (const char* name : {"Child1", "Child2"}) {
        auto* child = new ui::TForm(&ui::Application());
        child->SetName(name);
        child->SetFormStyle(ui::fsMDIChild);
        child->OnClose = [&closed, child](classes::TObject*, ui::TCloseAction& action) {
            closed.push_back(child->Name());
            action = ui::caFree;
        };
        child->Show();
    }
    main->OnClose = [&closed](classes::TObject*, ui::TCloseAction&) { closed.push_back("FrmMain"); };
    ASSERT_EQ(main->MDIChildCount(), 2);
    std::vector<std::string> expected;
    for (int i = 0; i < main->MDIChildCount(); ++i) expected.push_back(main->MDIChildren(i)->Name());
    expected.push_back("FrmMain");
    main->Get<ui::TAction>("cmd_exit")->Execute();
    EXPECT_EQ(closed, expected);
    EXPECT_TRUE(ui::Application().Terminated());
}

TEST_F(MainWindowTest, CloseProjectClosesTheDesignWindowAndDisablesTheProjectCommands)
{
    TFrmMain* main = MakeMain();
    main->Show();
    main->Get<ui::TAction>("cmd_close")->SetEnabled(true);
    main->Get<ui::TAction>("cmd_close")->Execute();  // no design window: nothing changes
    EXPECT_TRUE(main->Get<ui::TAction>("cmd_close")->Enabled());

    auto* design = new ui::TForm(&ui::Application());
    design->SetFormStyle(ui::fsMDIChild);
    design->OnClose = [](classes::TObject*, ui::TCloseAction& action) { action = ui::caFree; };
    design->Show();
    main->SetProjectOpen(true);
    main->SetMainCaption("Orders");
    main->Get<ui::TStatusBar>("sbar_main")->Panels()->Items(1)->SetText("42 records");
    main->Get<ui::TAction>("cmd_close")->Execute();
    ui::Application().DoPostedCalls();
    EXPECT_EQ(main->MDIChildCount(), 0);
    EXPECT_EQ(main->Caption(), "Gridweaver");
    EXPECT_EQ(main->Get<ui::TStatusBar>("sbar_main")->Panels()->Items(1)->Text(), "");
    for (const char* name : {"cmd_save", "cmd_saveas", "cmd_close", "cmd_savehtml"})
        EXPECT_FALSE(main->Get<ui::TAction>(name)->Enabled()) << name;
}

// The tip of the day at start: shown on the first run, unchecking its box stores False, and
// later runs skip it.
TEST_F(MainWindowTest, TipOnFirstRunOnlyUntilUnchecked)
{
    std::vector<std::string> tipsShown;
    dialogs_.AnswerModal([&](ui::TCustomForm& form) {
        EXPECT_EQ(form.Caption(), "Tip of the Day");
        EXPECT_TRUE(form.Get<ui::TCheckBox>("ShowAtStart")->Checked());
        EXPECT_EQ(form.Get<ui::TLabel>("TipHelp")->Caption(), "Did you know...");
        tipsShown.push_back(form.Get<ui::TLabel>("TipText")->Caption());
        form.Get<ui::TCheckBox>("ShowAtStart")->SetChecked(false);
        form.Get<ui::TButton>("CloseBtn")->Click();
        return ui::mrNone;
    });
    // The welcome dialog ends the sequence.
    const auto welcomeCancelled = [](ui::TCustomForm& form) {
        EXPECT_EQ(form.Name(), "FrmStartup");
        return ui::mrCancel;
    };
    dialogs_.AnswerModal(welcomeCancelled);
    TFrmMain* main = MakeMain();
    main->Show();
    auto* timer = main->Get<ui::TTimer>("startup_timer");
    ASSERT_TRUE(timer->Enabled());
    timer->Timer();  // the one tick, 500 ms after the window shows
    EXPECT_FALSE(timer->Enabled());
    EXPECT_TRUE(dialogs_.Unexpected().empty());
    ASSERT_EQ(tipsShown.size(), 1u);
    EXPECT_FALSE(tipsShown[0].empty());
    EXPECT_TRUE(rtl::FileExists(main->HistoryFile));  // the welcome list was made after the tip

    rtl::TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("Software\\GWTips", false));
    EXPECT_FALSE(registry.ReadBool("ShowAtStart"));

    // A later run: no tip, straight to the welcome list.
    ui::Application().DestroyComponents();
    ui::Application().Reset();
    main = MakeMain();
    dialogs_.AnswerModal(welcomeCancelled);
    EXPECT_EQ(main->RunStartupSequence().size(), 4u);
    ASSERT_EQ(dialogs_.Asked().size(), 3u);
    EXPECT_EQ(dialogs_.Asked()[2].formName, "FrmStartup");
    EXPECT_TRUE(dialogs_.Unexpected().empty());
    EXPECT_FALSE(main->Get<ui::TTimer>("startup_timer")->Enabled());
}

TEST_F(MainWindowTest, TipsDialogKeepsTheRegistryAloneWhenNotSaving)
{
    TFrmMain* main = MakeMain();
    app::TTips* tips = main->TipDlg();
    tips->SetSaveShowAtStart(false);
    dialogs_.AnswerModal([](ui::TCustomForm& form) {
        form.Get<ui::TCheckBox>("ShowAtStart")->SetChecked(false);
        return ui::mrOk;
    });
    EXPECT_TRUE(tips->Execute());
    EXPECT_FALSE(tips->ShowAtStart());
    EXPECT_FALSE(rtl::TRegistry().KeyExists("Software\\GWTips"));

    // No tips, or one: the dialog says so, or cannot go to a next one.
    tips->Tips()->Clear();
    dialogs_.AnswerModal([](ui::TCustomForm& form) {
        EXPECT_EQ(form.Get<ui::TLabel>("TipText")->Caption(), "No tips available !");
        EXPECT_FALSE(form.Get<ui::TButton>("Next")->Enabled());
        return ui::mrOk;
    });
    tips->Execute();
    tips->Tips()->Add("Only one.");
    dialogs_.AnswerModal([](ui::TCustomForm& form) {
        EXPECT_EQ(form.Get<ui::TLabel>("TipText")->Caption(), "Only one.");
        EXPECT_FALSE(form.Get<ui::TButton>("Next")->Enabled());
        return ui::mrOk;
    });
    tips->Execute();
    // Two: Next draws again, always one of them.
    tips->Tips()->Add("Second.");
    dialogs_.AnswerModal([](ui::TCustomForm& form) {
        auto* next = form.Get<ui::TButton>("Next");
        EXPECT_TRUE(next->Enabled());
        for (int i = 0; i < 20; ++i) {
            next->Click();
            const std::string tip = form.Get<ui::TLabel>("TipText")->Caption();
            EXPECT_TRUE(tip == "Only one." || tip == "Second.") << tip;
        }
        return ui::mrOk;
    });
    tips->Execute();
    EXPECT_TRUE(dialogs_.Unexpected().empty());
}

TEST_F(MainWindowTest, WelcomeListCases)
{
    const std::string history = Path("history.dat");
    const std::string projects = Path("Projects");
    // No history: the three samples, saved as the history.
    EXPECT_EQ(app::WelcomeList(history, projects),
              (std::vector<std::string>{"More Files...", projects + "/GridweaverSample1.gwp",
                                        projects + "/GridweaverSample2.gwp", projects + "/GridweaverSample3.gwp"}));
    EXPECT_EQ(rtl::ReadFileToString(history), projects + "/GridweaverSample1.gwp\r\n" + projects +
                                                  "/GridweaverSample2.gwp\r\n" + projects + "/GridweaverSample3.gwp\r\n");
    // A history of ours.
    rtl::WriteStringToFile(history, "/p/Orders.gwp\r\n\r\n/p/Stock.gwp\n");
    EXPECT_EQ(app::WelcomeList(history, projects),
              (std::vector<std::string>{"More Files...", "/p/Orders.gwp", "/p/Stock.gwp"}));
    // Lines as a save of the list reads them: a byte-order mark, a CR alone ending a line.
    rtl::WriteStringToFile(history, "\xEF\xBB\xBF/p/Orders.gwp\r/p/Stock.gwp\r\n");
    EXPECT_EQ(app::WelcomeList(history, projects),
              (std::vector<std::string>{"More Files...", "/p/Orders.gwp", "/p/Stock.gwp"}));
    // An empty one.
    rtl::WriteStringToFile(history, "");
    EXPECT_EQ(app::WelcomeList(history, projects), (std::vector<std::string>{"More Files..."}));
    EXPECT_EQ(rtl::ReadFileToString(history), "");
    // One that exists but cannot be read (a folder of that name): left alone.
    const std::string unreadable = Path("Unreadable/history.dat");
    std::filesystem::create_directories(unreadable);
    EXPECT_EQ(app::WelcomeList(unreadable, projects), (std::vector<std::string>{"More Files..."}));
    EXPECT_TRUE(rtl::DirectoryExists(unreadable));
}

TEST_F(MainWindowTest, WelcomeAnswersAreDispatched)
{
    const std::vector<std::string> list{"More Files...", "/p/Orders.gwp"};
    struct Row {
        app::TWelcomeAnswer answer;
        app::TWelcomeAction action;
        const char* path;
    };
    const Row rows[] = {
        {{false, true, 1}, app::TWelcomeAction::Nothing, ""},
        {{true, true, 1}, app::TWelcomeAction::NewProject, ""},
        {{true, false, 1}, app::TWelcomeAction::OpenProject, "/p/Orders.gwp"},
        {{true, false, 0}, app::TWelcomeAction::MoreFiles, ""},
        {{true, false, 5}, app::TWelcomeAction::Nothing, ""},
        {{true, false, -1}, app::TWelcomeAction::Nothing, ""},
    };
    for (const Row& r : rows) {
        std::string path = "x";
        EXPECT_EQ(app::WelcomeDispatch(r.answer, list, path), r.action);
        EXPECT_EQ(path, r.path);
    }

    // Through the main window: "More Files..." runs Open in the projects folder; a line opens it.
    TFrmMain* main = MakeMain();
    std::vector<std::string> opened;
    app::MainWindowHooks().openProject = [&](const std::string& f) { opened.push_back(f); };
    dialogs_.AnswerFile(std::string("/p/Picked.gwp"));
    main->DispatchWelcome({true, false, 0}, list);
    main->DispatchWelcome({true, false, 1}, list);

    // The start-up sequence hands its list to the welcome dialog once one is plugged in.
    {
        rtl::TRegistry registry;
        ASSERT_TRUE(registry.OpenKey("Software\\GWTips", true));
        registry.WriteBool("ShowAtStart", false);
    }
    std::vector<std::string> offered;
    int newProjects = 0;
    app::MainWindowHooks().newProject = [&] { ++newProjects; };
    app::MainWindowHooks().welcomeDialog = [&](const std::vector<std::string>& l) {
        offered = l;
        return app::TWelcomeAnswer{true, true, 0};
    };
    main->RunStartupSequence();
    app::MainWindowHooks() = {};
    EXPECT_EQ(offered.size(), 4u);
    EXPECT_EQ(newProjects, 1);
    ASSERT_EQ(dialogs_.Asked().size(), 1u);
    EXPECT_EQ(dialogs_.Asked()[0].file.initialDir, main->ProjectsDir);
    EXPECT_EQ(opened, (std::vector<std::string>{"/p/Picked.gwp", "/p/Orders.gwp"}));
}

TEST_F(MainWindowTest, MissingTutorialAndUnknownContextAreNamed)
{
    TFrmMain* main = MakeMain();
    std::filesystem::remove(main->TutorialsDir + "/tutorial2.html");
    dialogs_.AnswerMessage(ui::mrOk);
    main->Get<ui::TMenuItem>("mnu_tutorial2")->Click();
    dialogs_.AnswerMessage(ui::mrOk);
    main->ShowHelpContext(150);
    ASSERT_EQ(dialogs_.Asked().size(), 2u);
    EXPECT_EQ(dialogs_.Asked()[0].message.text, "The page " + main->TutorialsDir + "/tutorial2.html was not found.");
    EXPECT_EQ(dialogs_.Asked()[1].message.text, "There is no help topic for context 150.");
    EXPECT_EQ(dialogs_.Asked()[1].message.type, ui::mtWarning);

    // Tutorial 1 with the desktop's opener.
    FakeProgram("xdg-open");
    UsePath(true);
    main->Get<ui::TMenuItem>("mnu_tutorial1")->Click();
    EXPECT_EQ(Called("xdg-open"), main->TutorialsDir + "/tutorial1.html|\n");
    EXPECT_TRUE(dialogs_.Unexpected().empty());
}

TEST_F(MainWindowTest, WebItemsOpenLocalHelpPages)
{
    TFrmMain* main = MakeMain();
    for (const auto& [name, page] : TFrmMain::WebPages()) {
        EXPECT_NE(main->FindComponent(name), nullptr) << name;
        EXPECT_TRUE(rtl::FileExists(main->AppDir + page)) << page;
    }
    FakeProgram("xdg-open");
    UsePath(true);
    main->Get<ui::TMenuItem>("mnu_support")->Click();
    EXPECT_EQ(Called("xdg-open"), main->AppDir + "Help/support.html|\n");
}

}  // namespace
