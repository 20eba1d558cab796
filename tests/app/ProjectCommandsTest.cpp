// Save and Open of a project through the design window, headless, on the SQLite sample link:
// a design saved, opened and saved again byte for byte; the Save and Save As commands; damaged
// projects (warning, no design window, nothing written); an open whose query does not open;
// the question every command asks before a changed design goes.

#include "tests/app/ShellTestSupport.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <ostream>

#include <unistd.h>

#include "app/DMain.h"
#include "app/DataLinkFiles.h"
#include "app/FMain.h"
#include "app/ProjectCommands.h"
#include "designer/FDesign.h"
#include "editor/TextMemo.h"
#include "editor/TextMemoStrings.h"
#include "grid/PublishedDBGrid.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "vquery/VQuery.h"

namespace {

namespace fs = std::filesystem;
using K = ui::TScriptedDialogs::TKind;

class ProjectCommandsTest : public apptest::ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        app::CreateProgramWindows();
        app::CreateSampleDataLinks();
        fs::create_directories(Path("projects"));
    }
    void TearDown() override
    {
        GiveUpOpenDesign();
        if (designer::FrmDesign != nullptr) designer::FrmDesign->Close();
        ui::Application().DoPostedCalls();
        app::MainWindowHooks() = {};
        ShellTest::TearDown();
    }
    // The open design window's changes are not asked about when it closes (a window with
    // nothing to compare with is one still being made).
    static void GiveUpOpenDesign()
    {
        if (designer::FrmDesign != nullptr) designer::FrmDesign->SavedProjectText.clear();
    }
    // A new project on the first sample with a design touching every kind of content; the
    // design open before is given up.
    designer::TFrmDesign& NewDesign(const std::string& sql = "SELECT * FROM orders",
                                    const std::string& link = "GridweaverSample1")
    {
        GiveUpOpenDesign();
        EXPECT_TRUE(app::ReadUDLFile(app::DataLinkFileName(link), app::FrmMain->ConnectionString));
        app::dmMain->ConnectDatabase("FILE NAME=" + app::DataLinkFileName(link));
        designer::TFrmDesign* d = app::OpenDesignWindow(link);
        d->C<editor::TTextMemo>("mm_sql")->Lines()->SetText(sql);
        EXPECT_TRUE(d->SyncAndOpenQuery());
        d->RebuildColumnList("Reset");
        auto& columns = d->Columns();
        EXPECT_GT(columns.FieldList.Count(), 2);
        columns.PrefixList.Put(0, "end");
        columns.SuffixList.Put(1, "the end");
        columns.UrlList.Put(1, "http://example.org/?a='1'&b=\"2\"");
        columns.FieldList.Put(2, columns.FieldList.Strings(2) + "=Straße Ünits");
        d->StoreColumnComponents();
        d->LoadColumnComponents();
        d->C<editor::TTextMemo>("mmHTMLHeader")->Lines()->SetText("<h1 class=\"t\">Orders 'all'</h1>\nend\n  end");
        d->C<editor::TTextMemo>("mmHTMLFooter")->Lines()->SetText("Größe end");
        d->C<ui::TEdit>("edHTMLTitle")->SetText("");
        d->C<ui::TSpinEdit>("seHTMLTableCellPadding")->SetValue(0);
        d->C<ui::TSpinEdit>("seHTMLTableCellSpacing")->SetValue(0);
        d->C<ui::TComboBox>("cb_header")->SetItemIndex(2);
        d->C<ui::TCheckBox>("cbHTMLMaxRecords")->SetChecked(true);
        d->C<ui::TSpinEdit>("seHTMLMaxRecords")->SetValue(7);
        d->C<ui::TCheckBox>("cb_frame")->SetChecked(true);
        return *d;
    }
    std::vector<std::string> Warnings(std::size_t from = 0) const
    {
        std::vector<std::string> texts;
        for (std::size_t i = from; i < dialogs_.Asked().size(); ++i)
            if (dialogs_.Asked()[i].kind == K::Message && dialogs_.Asked()[i].message.type == ui::mtWarning)
                texts.push_back(dialogs_.Asked()[i].message.text);
        return texts;
    }
    std::string History() const
    {
        return rtl::FileExists(app::FrmMain->HistoryFile) ? rtl::ReadFileToString(app::FrmMain->HistoryFile) : "";
    }
    // Every file under the test's folder with its content.
    std::map<std::string, std::string> Files() const
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(root_))
            if (entry.is_regular_file() && entry.path().extension() != ".db")
                files[entry.path().string()] = rtl::ReadFileToString(entry.path().string());
        return files;
    }
};

TEST_F(ProjectCommandsTest, SavedOpenedAndSavedAgainByteForByte)
{
    designer::TFrmDesign& first = NewDesign();
    const std::string saved = Path("projects/Orders.gwp");
    ASSERT_TRUE(app::SaveProject(first, saved));
    EXPECT_EQ(History(), saved + "\r\n");

    ASSERT_TRUE(app::OpenProject(saved));
    designer::TFrmDesign* opened = designer::FrmDesign;
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(opened->HasProjectFile);
    EXPECT_EQ(opened->ProjectName, "Orders");
    EXPECT_EQ(opened->ProjectPath, saved);
    EXPECT_EQ(app::FrmMain->Caption(), "Gridweaver - [Orders]");
    EXPECT_TRUE(app::FrmMain->Get<ui::TAction>("cmd_save")->Enabled());
    EXPECT_EQ(opened->C<editor::TTextMemo>("mmHTMLHeader")->Lines()->Text(),
              "<h1 class=\"t\">Orders 'all'</h1>\r\nend\r\n  end\r\n");
    EXPECT_EQ(opened->C<ui::TEdit>("edHTMLTitle")->Text(), "");
    EXPECT_EQ(opened->C<ui::TSpinEdit>("seHTMLTableCellPadding")->Value(), 0);
    EXPECT_EQ(opened->C<ui::TComboBox>("cb_header")->ItemIndex(), 2);
    EXPECT_TRUE(opened->C<ui::TCheckBox>("cb_frame")->Checked());
    EXPECT_EQ(opened->Columns().PrefixList.Strings(0), "end");
    EXPECT_TRUE(opened->Query()->Active());
    EXPECT_EQ(opened->C<grid::TgkDBGrid>("data_grid")->Selected()->Count(), opened->Columns().FieldList.Count());
    EXPECT_EQ(opened->C<ui::TListView>("lv_column")->Items()->Count(), opened->Columns().FieldList.Count());

    const std::string again = Path("projects/Again.gwp");
    ASSERT_TRUE(app::SaveProject(*opened, again));
    EXPECT_EQ(rtl::ReadFileToString(again), rtl::ReadFileToString(saved));
    EXPECT_TRUE(Warnings().empty());
}

// The same round trip once on a PostgreSQL link (a table of this process on the test server).
TEST_F(ProjectCommandsTest, SavedOpenedAndSavedAgainOnPostgres)
{
    const char* port = std::getenv("GW_PG_PORT");
    if (port == nullptr || *port == '\0') GTEST_SKIP() << "GW_PG_PORT is not set: no PostgreSQL test server";
    const std::string init = db::FormatInitString(
        {{"Provider", "MSDASQL.1"},
         {"User ID", "gridweaver"},
         {"Password", "gridweaver"},
         {"Extended Properties",
          "DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::string(port) + ";Database=gridweaver_test"}});
    const std::string table = "gw_project_" + std::to_string(::getpid());
    db::TADOConnection setup(nullptr);
    setup.SetLoginPrompt(false);
    setup.SetConnectionString(init);
    try {
        setup.Open();
    } catch (const rtl::Exception& e) {
        GTEST_SKIP() << "PostgreSQL does not answer: " << e.Message();
    }
    setup.Execute("DROP TABLE IF EXISTS " + table);
    setup.Execute("CREATE TABLE " + table + " (id INTEGER PRIMARY KEY, customer VARCHAR(40), placed DATE, total NUMERIC(10,2))");
    setup.Execute("INSERT INTO " + table + " VALUES (1, 'O''Brien & Söhne', '2024-03-07', 12.50), (2, NULL, NULL, 0)");
    const rtl::TScopeExit drop([&] {
        try {
            setup.Execute("DROP TABLE IF EXISTS " + table);
        } catch (const rtl::Exception&) {
        }
    });
    ASSERT_TRUE(app::CreateUDLFile(app::DataLinkFileName("GwPgProject"), init));
    designer::TFrmDesign& first = NewDesign("SELECT * FROM " + table + " ORDER BY id", "GwPgProject");
    ASSERT_TRUE(first.Query()->Active());
    const std::string saved = Path("projects/OnPostgres.gwp");
    ASSERT_TRUE(app::SaveProject(first, saved));
    ASSERT_TRUE(app::OpenProject(saved));
    designer::TFrmDesign* opened = designer::FrmDesign;
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(opened->Query()->Active());
    EXPECT_EQ(opened->Columns().PrefixList.Strings(0), "end");
    const std::string again = Path("projects/OnPostgresAgain.gwp");
    ASSERT_TRUE(app::SaveProject(*opened, again));
    EXPECT_EQ(rtl::ReadFileToString(again), rtl::ReadFileToString(saved));
    EXPECT_TRUE(Warnings().empty());
    opened->Close();
    ui::Application().DoPostedCalls();
}

TEST_F(ProjectCommandsTest, NewAndOpenedProjectsBothLoadTheKeywordLists)
{
    designer::TFrmDesign& fresh = NewDesign();
    EXPECT_GT(fresh.C<vquery::TmfVQuery>("VisualQuery")->AnsiKeywords().Count(), 0);
    const std::string path = Path("projects/Keywords.gwp");
    ASSERT_TRUE(app::SaveProject(fresh, path));
    ASSERT_TRUE(app::OpenProject(path));
    EXPECT_GT(designer::FrmDesign->C<vquery::TmfVQuery>("VisualQuery")->AnsiKeywords().Count(), 0);
}

TEST_F(ProjectCommandsTest, SaveAndSaveAsCommands)
{
    designer::TFrmDesign& design = NewDesign();
    // Never saved: Save is Save As, proposing Untitled.gwp in the projects folder.
    const std::string chosen = Path("projects/Sales.gwp");
    dialogs_.AnswerFile(chosen);
    app::FrmMain->Get<ui::TAction>("cmd_save")->Execute();
    ASSERT_FALSE(dialogs_.Asked().empty());
    EXPECT_EQ(dialogs_.Asked().back().kind, K::File);
    EXPECT_EQ(dialogs_.Asked().back().file.fileName, "Untitled.gwp");
    ASSERT_TRUE(rtl::FileExists(chosen));
    EXPECT_TRUE(design.HasProjectFile);
    EXPECT_EQ(design.ProjectName, "Sales");
    EXPECT_EQ(app::FrmMain->Caption(), "Gridweaver - [Sales]");
    EXPECT_EQ(app::FrmMain->Get<ui::TStatusBar>("sbar_main")->Panels()->Items(1)->Text(), "Save Sales.gwp complete.");

    // With a file: Save writes it without asking.
    const std::size_t asked = dialogs_.Asked().size();
    design.C<ui::TEdit>("edHTMLTitle")->SetText("Sales 2");
    app::FrmMain->Get<ui::TAction>("cmd_save")->Execute();
    EXPECT_EQ(dialogs_.Asked().size(), asked);
    EXPECT_NE(rtl::ReadFileToString(chosen).find("Sales 2"), std::string::npos);

    // A save that cannot be written: the warning, the old file and history.dat as they were.
    const std::string before = rtl::ReadFileToString(chosen);
    const std::string history = History();
    dialogs_.AnswerFile(Path("projects/missing/dir/Other.gwp"));
    dialogs_.AnswerMessage(ui::mrOk);
    app::FrmMain->Get<ui::TAction>("cmd_saveas")->Execute();
    const auto warnings = Warnings(asked);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].starts_with("Cannot save Other.gwp. ")) << warnings[0];
    EXPECT_EQ(design.ProjectPath, chosen);
    EXPECT_EQ(rtl::ReadFileToString(chosen), before);
    EXPECT_EQ(History(), history);
}

// A save that fails says which file and why; a project that was written is reported saved
// (and renamed by Save As) even when only the recent-projects list could not be written.
TEST_F(ProjectCommandsTest, SaveFailuresNameTheFileAndTheReason)
{
    struct Case {
        const char* what;
        std::string chosen;
        bool historyBroken;  // history.dat is a folder: it cannot be replaced
        bool projectSaved;
        std::string warning;  // the start of the one warning
        std::string names;    // a path the warning names
    };
    const std::string history = Path("home/Data/history.dat");
    const Case cases[] = {
        {"no such folder", Path("projects/missing/Other.gwp"), false, false, "Cannot save Other.gwp. ",
         Path("projects/missing/Other.gwp")},
        {"a folder in the way", Path("projects/Taken.gwp"), false, false, "Cannot save Taken.gwp. ",
         Path("projects/Taken.gwp")},
        {"history.dat only", Path("projects/Kept.gwp"), true, true, "Cannot save history.dat. ", history},
    };
    fs::create_directories(Path("projects/Taken.gwp"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        designer::TFrmDesign& design = NewDesign();
        fs::remove_all(history);
        if (c.historyBroken) fs::create_directories(history);
        auto* status = app::FrmMain->Get<ui::TStatusBar>("sbar_main")->Panels()->Items(1);
        status->SetText("");
        const std::size_t asked = dialogs_.Asked().size();
        dialogs_.AnswerFile(c.chosen);
        dialogs_.AnswerMessage(ui::mrOk);
        app::FrmMain->Get<ui::TAction>("cmd_saveas")->Execute();
        const auto warnings = Warnings(asked);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_TRUE(warnings[0].starts_with(c.warning)) << warnings[0];
        EXPECT_NE(warnings[0].find(c.names), std::string::npos) << warnings[0];
        // The system's reason follows the file it could not write.
        EXPECT_GT(warnings[0].size(), warnings[0].find(c.names) + c.names.size() + 4) << warnings[0];
        EXPECT_EQ(rtl::FileExists(c.chosen), c.projectSaved);
        EXPECT_EQ(design.HasProjectFile, c.projectSaved);
        EXPECT_EQ(design.ProjectPath == c.chosen, c.projectSaved);
        EXPECT_EQ(status->Text(), c.projectSaved ? "Save " + rtl::ExtractFileName(c.chosen) + " complete." : "");
    }
}

TEST_F(ProjectCommandsTest, DamagedProjectsWarnAndLeaveNoDesignWindow)
{
    const std::string good = Path("projects/Good.gwp");
    ASSERT_TRUE(app::SaveProject(NewDesign(), good));
    designer::FrmDesign->Close();
    ui::Application().DoPostedCalls();
    const std::string text = rtl::ReadFileToString(good);
    const auto replaced = [&text](const std::string& from, const std::string& to) {
        std::string t = text;
        const std::size_t at = t.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) t.replace(at, from.size(), to);
        return t;
    };
    const auto chunk = [&text](const std::string& name) {
        const std::size_t begin = text.find("object " + name + ":");
        const std::size_t end = text.find("\r\nend\r\n", begin) + 7;
        return text.substr(begin, end - begin);
    };
    struct Case {
        const char* name;
        std::string content;  // nothing: no file at all
        std::string warning;  // a text the warning holds
    };
    const std::string path = Path("projects/Damaged.gwp");
    const Case cases[] = {
        {"truncated", text.substr(0, text.size() / 2), "on line"},
        {"a component missing", replaced(chunk("cb_footer"), ""), "Component cb_footer expected on line"},
        {"non-numeric option line", replaced("    '2'\r\n", "    'two'\r\n"), "'two' is not a valid integer value on line 9"},
        {"option lines missing", replaced(chunk("optionlist"), "object optionlist: TListBox\r\nend\r\n"), "Option lines missing"},
        {"empty", "", "on line 1"},
        {"link deleted", replaced("'GridweaverSample1'", "'NoSuchLink'"), app::kConnectionMissing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rtl::WriteStringToFile(path, c.content);
        // Another design window is open before: it is closed in any case.
        NewDesign();
        GiveUpOpenDesign();
        const auto before = Files();
        const std::size_t asked = dialogs_.Asked().size();
        dialogs_.AnswerMessage(ui::mrOk);
        EXPECT_FALSE(app::OpenProject(path));
        EXPECT_EQ(designer::FrmDesign, nullptr);
        const auto warnings = Warnings(asked);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].find(c.warning), std::string::npos) << warnings[0];
        if (c.warning != app::kConnectionMissing) {
            EXPECT_NE(warnings[0].find(path), std::string::npos) << warnings[0];
        }
        EXPECT_FALSE(app::FrmMain->Get<ui::TAction>("cmd_save")->Enabled());
        // Save now has nothing to write over the file with.
        app::FrmMain->Get<ui::TAction>("cmd_save")->Execute();
        app::SaveProjectCommand();
        EXPECT_EQ(Files(), before);
        ui::Application().DoPostedCalls();
    }
    // A file that does not exist.
    const std::size_t asked = dialogs_.Asked().size();
    dialogs_.AnswerMessage(ui::mrOk);
    EXPECT_FALSE(app::OpenProject(Path("projects/None.gwp")));
    EXPECT_EQ(Warnings(asked), std::vector<std::string>{"Cannot open " + Path("projects/None.gwp") + ". File does not exist."});
}

// A project whose link name reaches a data link outside the links folder (or one in it by a
// name no typed name could have), each naming a driver library that records being loaded:
// the name is refused with a warning naming the project, and nothing is read or connected.
TEST_F(ProjectCommandsTest, LinkNamesFromAProjectPassTheTypedNameCheck)
{
    const std::string good = Path("projects/Good.gwp");
    ASSERT_TRUE(app::SaveProject(NewDesign(), good));
    const std::string text = rtl::ReadFileToString(good);
    const std::string links = app::DataLinksDir();
    struct Case {
        const char* what;
        std::string item;  // option line 0 as the project text writes it
        std::string udl;   // where the name leads
    };
    const Case cases[] = {
        {"up and out", "'../../somewhere/evil'", links + "/../../somewhere/evil.udl"},
        {"a folder inside", "'sub/evil'", links + "/sub/evil.udl"},
        {"a backslash", "'back\\evil'", links + "/back\\evil.udl"},
        {"a control character", "'ev'#9'il'", links + "/ev\til.udl"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A driver file of the case's own: a library already loaded would not record again.
        const std::string driver = Path("driver" + std::to_string(++n) + ".so");
        fs::copy_file(GW_RECORDING_DRIVER, driver, fs::copy_options::overwrite_existing);
        const std::string mark = Path("driver-loaded-" + std::to_string(n));
        setenv("GW_RECORDING_DRIVER_MARK", mark.c_str(), 1);
        fs::create_directories(fs::path(c.udl).parent_path());
        ASSERT_TRUE(app::CreateUDLFile(c.udl, db::MakeOdbcInitString(db::FormatOdbcString({{"DRIVER", driver}}))));
        std::string hostile = text;
        hostile.replace(hostile.find("'GridweaverSample1'"), 19, c.item);
        const std::string path = Path("projects/Hostile.gwp");
        rtl::WriteStringToFile(path, hostile);

        NewDesign();
        GiveUpOpenDesign();
        const std::string connectionString = app::FrmMain->ConnectionString;
        const std::size_t asked = dialogs_.Asked().size();
        dialogs_.AnswerMessage(ui::mrOk);
        bool opened = true;
        try {
            opened = app::OpenProject(path);
        } catch (const rtl::EAbort&) {
            ADD_FAILURE() << "a connection was tried and its login cancelled";
        }
        unsetenv("GW_RECORDING_DRIVER_MARK");
        EXPECT_FALSE(opened);
        EXPECT_FALSE(rtl::FileExists(mark)) << "the driver was loaded";
        EXPECT_EQ(Warnings(asked), std::vector<std::string>{"Cannot open " + path + ". " + app::kInvalidLinkName});
        EXPECT_EQ(designer::FrmDesign, nullptr);
        EXPECT_EQ(app::FrmMain->ConnectionString, connectionString);
        EXPECT_NE(app::dmMain->Connection()->ConnectionString(), "FILE NAME=" + c.udl);
        ui::Application().DoPostedCalls();
    }
}

TEST_F(ProjectCommandsTest, AnOpenWhoseQueryFailsSkipsTheGridList)
{
    designer::TFrmDesign& design = NewDesign();
    design.C<editor::TTextMemo>("mm_sql")->Lines()->SetText("SELECT * FROM no_such_table");
    const std::string path = Path("projects/Broken.gwp");
    ASSERT_TRUE(app::SaveProject(design, path));
    dialogs_.AnswerMessage(ui::mrOk);
    ASSERT_TRUE(app::OpenProject(path));
    designer::TFrmDesign* opened = designer::FrmDesign;
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(Warnings().size(), 1u);
    EXPECT_FALSE(opened->Query()->Active());
    EXPECT_EQ(opened->C<grid::TgkDBGrid>("data_grid")->Selected()->Count(), 0);
    // The steps after the grid still ran: the columns and options are there, and Save works.
    EXPECT_GT(opened->C<ui::TListView>("lv_column")->Items()->Count(), 0);
    EXPECT_TRUE(opened->C<ui::TCheckBox>("cb_frame")->Checked());
    const std::string again = Path("projects/Again.gwp");
    ASSERT_TRUE(app::SaveProject(*opened, again));
    EXPECT_EQ(rtl::ReadFileToString(again), rtl::ReadFileToString(path));
}

// The split options of an opened project are enabled as its split and frame checks say, as
// the checks themselves would set them.
TEST_F(ProjectCommandsTest, AnOpenedProjectEnablesTheSplitOptionsByItsChecks)
{
    const struct {
        bool split, frames;
        bool perPage, frame, border;  // enabled after the open
    } cases[] = {
        {false, false, false, false, false},
        {false, true, false, false, false},
        {true, false, true, true, false},
        {true, true, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.split) + std::to_string(c.frames));
        designer::TFrmDesign& design = NewDesign();
        design.C<ui::TCheckBox>("cb_frame")->SetChecked(c.frames);
        design.C<ui::TCheckBox>("cbHTMLMaxRecords")->SetChecked(c.split);
        const std::string path = Path("projects/Split.gwp");
        ASSERT_TRUE(app::SaveProject(design, path));
        ASSERT_TRUE(app::OpenProject(path));
        designer::TFrmDesign* opened = designer::FrmDesign;
        ASSERT_NE(opened, nullptr);
        EXPECT_EQ(opened->C<ui::TCheckBox>("cbHTMLMaxRecords")->Checked(), c.split);
        EXPECT_EQ(opened->C<ui::TControl>("seHTMLMaxRecords")->Enabled(), c.perPage);
        EXPECT_EQ(opened->C<ui::TControl>("cb_frame")->Enabled(), c.frame);
        EXPECT_EQ(opened->C<ui::TControl>("cb_frameborder")->Enabled(), c.border);
        opened->Close();
        ui::Application().DoPostedCalls();
    }
}

// A typed query in a project whose builder holds other SQL: reopening is no change of the
// builder, so View SQL and Preview keep the text without a question; the user's own change
// in the builder asks.
TEST_F(ProjectCommandsTest, AReopenedProjectKeepsTypedSqlUntilTheBuilderChanges)
{
    EXPECT_TRUE(app::ReadUDLFile(app::DataLinkFileName("GridweaverSample1"), app::FrmMain->ConnectionString));
    app::dmMain->ConnectDatabase("FILE NAME=" + app::DataLinkFileName("GridweaverSample1"));
    designer::TFrmDesign* d = app::OpenDesignWindow("GridweaverSample1");
    auto* tables = d->C<ui::TListBox>("lb_tables");
    tables->SetItemIndex(tables->Items()->IndexOf("ORDERS"));
    ASSERT_GE(tables->ItemIndex(), 0);
    d->lb_tablesDblClick(tables);
    auto* fields = d->C<vquery::TmfVQuery>("VisualQuery")->GetTable(0)->ListBox();
    fields->SetChecked(1, false);
    const std::string typed = "SELECT order_id, status FROM orders WHERE status <> 'open'";
    d->C<editor::TTextMemo>("mm_sql")->Lines()->SetText(typed);
    const std::string path = Path("projects/Typed.gwp");
    ASSERT_TRUE(app::SaveProject(*d, path));
    ASSERT_TRUE(app::OpenProject(path));
    designer::TFrmDesign* opened = designer::FrmDesign;
    ASSERT_NE(opened, nullptr);
    const auto sql = [opened] { return opened->EditorSql(); };
    const auto questions = [this] {
        int n = 0;
        for (const auto& q : dialogs_.Asked()) n += q.message.text == designer::kReplaceSqlQuestion ? 1 : 0;
        return n;
    };
    auto* getData = opened->C<ui::TPageControl>("pc_getdata");
    auto* main = opened->C<ui::TPageControl>("pc_main");

    struct Step {
        const char* what;
        std::function<void()> act;
        int questions;  // asked so far
        bool typedKept;
    };
    const Step steps[] = {
        {"View SQL", [&] { getData->SelectTabByUser(designer::TFrmDesign::pgViewSql); }, 0, true},
        {"View Data", [&] { getData->SelectTabByUser(designer::TFrmDesign::pgViewData); }, 0, true},
        {"Preview", [&] { main->SelectTabByUser(1); }, 0, true},
        {"back to the builder and View SQL",
         [&] {
             main->SelectTabByUser(0);
             getData->SelectTabByUser(designer::TFrmDesign::pgSqlBuilder);
             getData->SelectTabByUser(designer::TFrmDesign::pgViewSql);
         },
         0, true},
        {"a field added in the builder, No",
         [&] {
             getData->SelectTabByUser(designer::TFrmDesign::pgSqlBuilder);
             opened->C<vquery::TmfVQuery>("VisualQuery")->GetTable(0)->ListBox()->ToggleByUser(1);
             dialogs_.AnswerMessage(ui::mrNo);
             getData->SelectTabByUser(designer::TFrmDesign::pgViewSql);
         },
         1, true},
        {"asked once for that change", [&] { getData->SelectTabByUser(designer::TFrmDesign::pgViewData); }, 1, true},
        {"another field removed, Yes",
         [&] {
             getData->SelectTabByUser(designer::TFrmDesign::pgSqlBuilder);
             opened->C<vquery::TmfVQuery>("VisualQuery")->GetTable(0)->ListBox()->ToggleByUser(2);
             dialogs_.AnswerMessage(ui::mrYes);
             main->SelectTabByUser(1);
         },
         2, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(questions(), step.questions);
        EXPECT_EQ(sql().find("'open'") != std::string::npos, step.typedKept) << sql();
        EXPECT_TRUE(dialogs_.Unexpected().empty());
    }
    EXPECT_NE(sql().find("Select"), std::string::npos) << sql();
}

// ---- The shipped sample project ------------------------------------------------------------

// The first sample as New Project makes it on the first sample link: the orders table taken
// from the builder, a title and a header. Run on purpose to remake the shipped file:
//   GW_SAMPLE_PROJECT=share/Projects/GridweaverSample1.gwp test_app --gtest_also_run_disabled_tests
//     --gtest_filter='*MakeSampleProject'
// The project text without the query design's link item (with its continuation lines).
std::string WithoutQueryLink(const std::string& text)
{
    std::string out;
    bool skipping = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t next = std::min(text.find('\n', pos), text.size() - 1) + 1;
        const std::string_view line(text.data() + pos, next - pos);
        if (line.starts_with("    'ADOConnectionString="))
            skipping = true;
        else if (!line.starts_with("      '"))
            skipping = false;
        if (!skipping) out += line;
        pos = next;
    }
    return out;
}

// Makes the shipped sample projects with the program: GW_SAMPLE_PROJECT names the file,
// GW_SAMPLE_VARIANT picks 1 (a plain report of the first sample's orders), 2 (the second
// sample's employees in the "Catalog" layout style, with its images) or 3 (the second
// sample's timesheets split ten a page with frames).
TEST_F(ProjectCommandsTest, DISABLED_MakeSampleProject)
{
    const char* out = std::getenv("GW_SAMPLE_PROJECT");
    if (out == nullptr) GTEST_SKIP() << "GW_SAMPLE_PROJECT names the file to write";
    const char* variantText = std::getenv("GW_SAMPLE_VARIANT");
    const int variant = variantText != nullptr ? std::atoi(variantText) : 1;
    const std::string sample = variant == 1 ? "GridweaverSample1" : "GridweaverSample2";
    const std::string table = variant == 1 ? "ORDERS" : variant == 2 ? "EMPLOYEES" : "TIMESHEETS";
    const std::string link = app::DataLinkFileName(sample);
    ASSERT_TRUE(app::ReadUDLFile(link, app::FrmMain->ConnectionString));
    app::dmMain->ConnectDatabase("FILE NAME=" + link);
    designer::TFrmDesign* d = app::OpenDesignWindow(sample);
    auto* tables = d->C<ui::TListBox>("lb_tables");
    tables->SetItemIndex(tables->Items()->IndexOf(table));
    ASSERT_GE(tables->ItemIndex(), 0) << table;
    d->lb_tablesDblClick(tables);
    d->TakeOverBuilderSql();
    ASSERT_TRUE(d->SyncAndOpenQuery());
    d->RebuildColumnList("Reset");
    if (variant == 1) {
        d->C<ui::TEdit>("edHTMLTitle")->SetText("Orders");
        d->C<editor::TTextMemo>("mmHTMLHeader")->Lines()->SetText("<h1>Orders</h1>");
    } else if (variant == 2) {
        d->C<ui::TEdit>("edHTMLTitle")->SetText("Employees");
        d->C<editor::TTextMemo>("mmHTMLHeader")->Lines()->SetText("<h1>Our people</h1>");
        auto* styles = d->C<ui::TComboBox>("cb_style");
        styles->SetItemIndex(styles->Items()->IndexOf("Catalog"));
        ASSERT_GE(styles->ItemIndex(), 2);
        d->cb_styleChange(styles);
        d->C<ui::TCheckBox>("cbHTMLMaxRecords")->SetChecked(false);
    } else {
        d->C<ui::TEdit>("edHTMLTitle")->SetText("Timesheets");
        d->C<editor::TTextMemo>("mmHTMLHeader")->Lines()->SetText("<h1>Timesheets</h1>");
        d->C<ui::TCheckBox>("cbHTMLMaxRecords")->SetChecked(true);
        d->C<ui::TSpinEdit>("seHTMLMaxRecords")->SetValue(10);
        d->C<ui::TCheckBox>("cb_frame")->SetChecked(true);
    }
    // A shipped file names its link only: the link's string and the query design's link file are
    // this machine's, resolved again wherever the sample is opened.
    d->C<ui::TListBox>("optionlist")->Items()->Put(1, "");
    ASSERT_TRUE(app::SaveProject(*d, out));
    rtl::WriteStringToFile(out, WithoutQueryLink(rtl::ReadFileToString(out)));
}

// A shipped sample opened in a fresh program folder: its server pages open the database of the
// link the design window is connected through, a file of this program folder.
TEST_F(ProjectCommandsTest, ASamplesServerPagesOpenTheDatabaseOfItsLink)
{
    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        ASSERT_TRUE(app::OpenProject(app::FrmMain->ProjectsDir + "/GridweaverSample" + std::to_string(n) + ".gwp"));
        const std::string folder = Path("pages" + std::to_string(n));
        fs::create_directories(folder);
        ASSERT_TRUE(designer::FrmDesign->ExportAspPages(folder + "/Sample.asp"));
        const std::string database = "Database=" + Home() + "/Data/DBSamples/Sample" + (n == 1 ? "1" : "2") + ".db";
        int connects = 0;
        for (const auto& page : fs::directory_iterator(folder)) {
            if (page.path().extension() != ".asp") continue;
            const std::string text = rtl::ReadFileToString(page.path().string());
            for (std::size_t at = text.find("Connect_String=\""); at != std::string::npos;
                 at = text.find("Connect_String=\"", at + 1), ++connects)
                EXPECT_NE(text.substr(at, text.find('\r', at) - at).find(database), std::string::npos)
                    << page.path().filename() << ": " << text.substr(at, text.find('\r', at) - at);
        }
        EXPECT_GE(connects, 1);
        EXPECT_TRUE(Warnings().empty());
        designer::FrmDesign->Close();
        ui::Application().DoPostedCalls();
    }
}

TEST_F(ProjectCommandsTest, SampleProjectsOpenAndSaveBackByteForByte)
{
    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        const std::string sample = app::FrmMain->ProjectsDir + "/GridweaverSample" + std::to_string(n) + ".gwp";
        ASSERT_TRUE(rtl::FileExists(sample));
        ASSERT_TRUE(app::OpenProject(sample));
        designer::TFrmDesign* opened = designer::FrmDesign;
        ASSERT_NE(opened, nullptr);
        EXPECT_TRUE(Warnings().empty());
        EXPECT_TRUE(opened->Query()->Active());
        EXPECT_GT(opened->C<grid::TgkDBGrid>("data_grid")->Selected()->Count(), 0);
        // The link's own string is used, not the file's fallback line.
        const std::string linkName = n == 1 ? "GridweaverSample1" : "GridweaverSample2";
        std::string content;
        ASSERT_TRUE(app::ReadUDLFile(app::DataLinkFileName(linkName), content));
        EXPECT_EQ(app::FrmMain->ConnectionString, content);
        if (n == 2) {
            EXPECT_EQ(opened->C<ui::TComboBox>("cb_style")->Text(), "Catalog");
        }
        if (n == 3) {
            EXPECT_TRUE(opened->C<ui::TCheckBox>("cb_frame")->Checked());
        }
        // The query's design names the link it is connected to, a file of this machine: that
        // one item differs, every other byte comes back as shipped.
        const std::string again = Path("projects/Again" + std::to_string(n) + ".gwp");
        ASSERT_TRUE(app::SaveProject(*opened, again));
        const std::string text = rtl::ReadFileToString(again);
        EXPECT_NE(text.find("'ADOConnectionString=FILE NAME="), std::string::npos);
        EXPECT_EQ(WithoutQueryLink(text), WithoutQueryLink(rtl::ReadFileToString(sample)));
        opened->Close();
        ui::Application().DoPostedCalls();
    }
}

// ---- Changes asked about before they are lost ------------------------------------------------

namespace unsaved {

enum class TCommand { DesignClose, CloseProject, Exit, MainClose, New, Open };

struct TCase {
    const char* name;
    TCommand command;
    bool hasFile;             // saved as Orders.gwp before the change
    ui::TModalResult answer;  // to "Save changes to NAME?"
    bool saveAsGiven;         // a never-saved project's Yes: the Save As dialog gives a name
    bool saveFails;           // the project file cannot be replaced
    bool kept;                // the window, caption and commands stay as they were
    bool saved;               // the change is in the project file
};

const TCase kCases[] = {
    {"CloseProjectYes", TCommand::CloseProject, true, ui::mrYes, false, false, false, true},
    {"CloseProjectNo", TCommand::CloseProject, true, ui::mrNo, false, false, false, false},
    {"CloseProjectCancel", TCommand::CloseProject, true, ui::mrCancel, false, false, true, false},
    {"DesignCloseNo", TCommand::DesignClose, true, ui::mrNo, false, false, false, false},
    {"DesignCloseCancel", TCommand::DesignClose, true, ui::mrCancel, false, false, true, false},
    {"ExitYes", TCommand::Exit, true, ui::mrYes, false, false, false, true},
    {"ExitNo", TCommand::Exit, true, ui::mrNo, false, false, false, false},
    {"ExitCancel", TCommand::Exit, true, ui::mrCancel, false, false, true, false},
    {"MainCloseYes", TCommand::MainClose, true, ui::mrYes, false, false, false, true},
    {"MainCloseNo", TCommand::MainClose, true, ui::mrNo, false, false, false, false},
    {"MainCloseCancel", TCommand::MainClose, true, ui::mrCancel, false, false, true, false},
    {"NewYes", TCommand::New, true, ui::mrYes, false, false, false, true},
    {"NewNo", TCommand::New, true, ui::mrNo, false, false, false, false},
    {"NewCancel", TCommand::New, true, ui::mrCancel, false, false, true, false},
    {"OpenYes", TCommand::Open, true, ui::mrYes, false, false, false, true},
    {"OpenNo", TCommand::Open, true, ui::mrNo, false, false, false, false},
    {"OpenCancel", TCommand::Open, true, ui::mrCancel, false, false, true, false},
    {"NeverSavedYesSavesAs", TCommand::CloseProject, false, ui::mrYes, true, false, false, true},
    {"NeverSavedYesSaveAsCancelled", TCommand::CloseProject, false, ui::mrYes, false, false, true, false},
    {"NeverSavedExitNo", TCommand::Exit, false, ui::mrNo, false, false, false, false},
    {"SaveFailsKeeps", TCommand::Exit, true, ui::mrYes, false, true, true, false},
};

// Cases are named by their name in failure messages.
void PrintTo(const TCase& c, std::ostream* os) { *os << c.name; }

class UnsavedChangesTest : public ProjectCommandsTest, public ::testing::WithParamInterface<TCase> {
protected:
    ui::TAction* Action(const char* name) const { return app::FrmMain->Get<ui::TAction>(name); }
    // The connection dialog answered with `link` chosen and OK.
    void ChooseLink(const std::string& link)
    {
        dialogs_.AnswerModal([link](ui::TCustomForm& form) {
            auto* view = form.Get<ui::TListView>("lv_Database");
            for (int i = 0; i < view->Items()->Count(); ++i)
                if (view->Items()->Item(i)->Caption() == link) view->SelectByUser({i}, i);
            form.Get<ui::TButton>("okbtn")->Click();
            return ui::mrNone;
        });
    }
};

TEST_P(UnsavedChangesTest, CommandsAskBeforeTheChangedDesignGoes)
{
    const TCase& c = GetParam();
    const std::string orders = Path("projects/Orders.gwp");
    const std::string other = Path("projects/Other.gwp");
    const std::string chosen = Path("projects/Chosen.gwp");
    designer::TFrmDesign* design = &NewDesign();
    if (c.hasFile) {
        dialogs_.AnswerFile(orders);
        Action("cmd_saveas")->Execute();
        ASSERT_TRUE(rtl::FileExists(orders));
        fs::copy_file(orders, other);
    }
    if (c.saveFails) {
        fs::remove(orders);
        fs::create_directories(orders);
    }
    design->C<ui::TEdit>("edHTMLTitle")->SetText("Changed title");
    const std::string caption = app::FrmMain->Caption();
    const std::string connectionString = app::FrmMain->ConnectionString;
    const std::size_t asked = dialogs_.Asked().size();

    // The answers in the order the command asks for them.
    if (c.command == TCommand::New) ChooseLink("GridweaverSample2");
    if (c.command == TCommand::Open) dialogs_.AnswerFile(other);
    dialogs_.AnswerMessage(c.answer);
    if (c.answer == ui::mrYes && !c.hasFile) dialogs_.AnswerFile(c.saveAsGiven ? std::optional(chosen) : std::nullopt);
    if (c.saveFails) dialogs_.AnswerMessage(ui::mrOk);
    switch (c.command) {
    case TCommand::DesignClose: design->Close(); break;
    case TCommand::CloseProject: Action("cmd_close")->Execute(); break;
    case TCommand::Exit: Action("cmd_exit")->Execute(); break;
    case TCommand::MainClose: app::FrmMain->Close(); break;
    case TCommand::New: Action("cmd_new")->Execute(); break;
    case TCommand::Open: Action("cmd_open")->Execute(); break;
    }

    EXPECT_TRUE(dialogs_.Unexpected().empty()) << dialogs_.Unexpected().front();
    EXPECT_EQ(dialogs_.PendingAnswers(), 0u);
    const auto question = std::find_if(dialogs_.Asked().begin() + static_cast<std::ptrdiff_t>(asked),
                                       dialogs_.Asked().end(), [](const auto& q) {
                                           return q.kind == K::Message && q.message.type == ui::mtConfirmation;
                                       });
    ASSERT_NE(question, dialogs_.Asked().end());
    EXPECT_EQ(question->message.text, c.hasFile ? "Save changes to Orders.gwp?" : "Save changes to Untitled?");
    EXPECT_EQ(question->message.buttons, ui::mbYesNoCancel);

    const std::string savedAt = c.hasFile ? orders : chosen;
    const bool saved = rtl::FileExists(savedAt) && !fs::is_directory(savedAt) &&
                       rtl::ReadFileToString(savedAt).find("Changed title") != std::string::npos;
    EXPECT_EQ(saved, c.saved);
    const bool ended = c.command == TCommand::Exit || c.command == TCommand::MainClose;
    EXPECT_EQ(ui::Application().Terminated(), ended && !c.kept);
    if (c.kept) {
        ASSERT_EQ(designer::FrmDesign, design);
        EXPECT_EQ(design->C<ui::TEdit>("edHTMLTitle")->Text(), "Changed title");
        EXPECT_EQ(app::FrmMain->Caption(), caption);
        EXPECT_EQ(app::FrmMain->ConnectionString, connectionString);
        EXPECT_TRUE(app::dmMain->Connection()->Connected());
        for (const char* name : {"cmd_save", "cmd_saveas", "cmd_close", "cmd_savehtml"})
            EXPECT_TRUE(Action(name)->Enabled()) << name;
        return;
    }
    // The main window's close ends the program with the design window still there.
    if (c.command != TCommand::MainClose) {
        EXPECT_NE(designer::FrmDesign, design);
    }
    switch (c.command) {
    case TCommand::CloseProject:
        EXPECT_EQ(app::FrmMain->Caption(), "Gridweaver");
        EXPECT_FALSE(Action("cmd_save")->Enabled());
        break;
    case TCommand::New:
        ASSERT_NE(designer::FrmDesign, nullptr);
        EXPECT_EQ(app::FrmMain->Caption(), "Gridweaver - [Untitled]");
        EXPECT_EQ(designer::FrmDesign->C<ui::TListBox>("optionlist")->Items()->Strings(0), "GridweaverSample2");
        EXPECT_TRUE(Action("cmd_save")->Enabled());
        break;
    case TCommand::Open:
        ASSERT_NE(designer::FrmDesign, nullptr);
        EXPECT_EQ(app::FrmMain->Caption(), "Gridweaver - [Other]");
        EXPECT_EQ(designer::FrmDesign->C<ui::TEdit>("edHTMLTitle")->Text(), "");
        break;
    default:
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, UnsavedChangesTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TCase>& info) { return std::string(info.param.name); });

}  // namespace unsaved

// Whatever part of the design changes (the query, the columns, the layout, the colours, the
// texts), Close Project asks; a project opened or made and left as it is asks nothing.
TEST_F(ProjectCommandsTest, EveryKindOfChangeIsAskedAboutAndNoneIsInvented)
{
    const std::string sample = app::FrmMain->ProjectsDir + "/GridweaverSample1.gwp";
    struct Case {
        const char* what;
        std::function<void(designer::TFrmDesign&)> change;  // empty: none
    };
    const Case cases[] = {
        {"nothing", {}},
        {"the SQL text", [](auto& d) { d.template C<editor::TTextMemo>("mm_sql")->Lines()->SetText("SELECT 1"); }},
        {"a table added in the builder",
         [](auto& d) {
             auto* tables = d.template C<ui::TListBox>("lb_tables");
             tables->SetItemIndex(tables->Items()->IndexOf("CUSTOMERS"));
             d.lb_tablesDblClick(tables);
         }},
        {"two columns exchanged", [](auto& d) { d.ExchangeColumns(0, 1); }},
        {"a column hidden",
         [](auto& d) {
             // As a click on its check box reports it.
             auto* view = d.template C<ui::TListView>("lv_column");
             view->Items()->Item(0)->SetChecked(false);
             d.lv_columnItemChecked(view, view->Items()->Item(0));
         }},
        {"the page colour",
         [this](auto& d) {
             dialogs_.AnswerColor(rtl::clRed);
             d.BackPanelClick(nullptr);
         }},
        {"the records per page", [](auto& d) { d.template C<ui::TSpinEdit>("seHTMLMaxRecords")->SetValue(3); }},
        {"the navigation", [](auto& d) { d.template C<ui::TComboBox>("cb_footer")->SetItemIndex(0); }},
        {"the footer", [](auto& d) { d.template C<editor::TTextMemo>("mmHTMLFooter")->Lines()->SetText("(c)"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(app::OpenProject(sample));
        designer::TFrmDesign* design = designer::FrmDesign;
        if (c.change) c.change(*design);
        const std::size_t asked = dialogs_.Asked().size();
        if (c.change) dialogs_.AnswerMessage(ui::mrNo);
        app::FrmMain->Get<ui::TAction>("cmd_close")->Execute();
        EXPECT_EQ(designer::FrmDesign, nullptr);
        EXPECT_EQ(dialogs_.Asked().size() - asked, c.change ? 1u : 0u);
        EXPECT_TRUE(dialogs_.Unexpected().empty()) << dialogs_.Unexpected().front();
        ui::Application().DoPostedCalls();
    }
    // A new project left as it was made.
    ASSERT_TRUE(app::ReadUDLFile(app::DataLinkFileName("GridweaverSample1"), app::FrmMain->ConnectionString));
    app::dmMain->ConnectDatabase("FILE NAME=" + app::DataLinkFileName("GridweaverSample1"));
    ASSERT_NE(app::OpenDesignWindow("GridweaverSample1"), nullptr);
    const std::size_t asked = dialogs_.Asked().size();
    app::FrmMain->Get<ui::TAction>("cmd_close")->Execute();
    EXPECT_EQ(designer::FrmDesign, nullptr);
    EXPECT_EQ(dialogs_.Asked().size(), asked);
}

// A New Project whose connection dialog is cancelled asks nothing and leaves the changed
// project open with its caption, commands and connection.
TEST_F(ProjectCommandsTest, ACancelledNewProjectLeavesTheOpenProject)
{
    designer::TFrmDesign* design = &NewDesign();
    dialogs_.AnswerFile(Path("projects/Kept.gwp"));
    app::FrmMain->Get<ui::TAction>("cmd_saveas")->Execute();
    design->C<ui::TEdit>("edHTMLTitle")->SetText("Changed title");
    const std::string connectionString = app::FrmMain->ConnectionString;
    const std::string connection = app::dmMain->Connection()->ConnectionString();
    const std::size_t asked = dialogs_.Asked().size();
    dialogs_.AnswerModal([](ui::TCustomForm&) { return ui::mrCancel; });
    app::FrmMain->Get<ui::TAction>("cmd_new")->Execute();
    EXPECT_EQ(dialogs_.Asked().size(), asked + 1);
    EXPECT_TRUE(dialogs_.Unexpected().empty());
    ASSERT_EQ(designer::FrmDesign, design);
    EXPECT_EQ(app::FrmMain->Caption(), "Gridweaver - [Kept]");
    EXPECT_TRUE(app::FrmMain->Get<ui::TAction>("cmd_save")->Enabled());
    EXPECT_EQ(app::FrmMain->ConnectionString, connectionString);
    EXPECT_TRUE(app::dmMain->Connection()->Connected());
    EXPECT_EQ(app::dmMain->Connection()->ConnectionString(), connection);
    EXPECT_TRUE(design->Query()->Active());
}

}  // namespace
