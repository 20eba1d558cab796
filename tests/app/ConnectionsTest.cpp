// Data links in a temporary program folder: the storage calls and their messages, listing,
// the sync and the purge (as a table of listings), the samples, refused names; the data
// module's login loop on real databases; the connection, new-link, administrator, welcome and
// data-link dialogs driven through the scripted dialog service.

#include "tests/app/ShellTestSupport.h"

#include <fstream>

#include "app/DMain.h"
#include "app/DataLinkDlg.h"
#include "app/DataLinkFiles.h"
#include "app/FConnect.h"
#include "app/FMain.h"
#include "app/FStartup.h"
#include "platform/db/ConnectionString.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Paths.h"
#include "platform/rtl/Registry.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

namespace {

using apptest::ShellTest;

std::string SampleInit(const std::string& file)
{
    return db::MakeOdbcInitString(db::FormatOdbcString({{"DRIVER", "SQLite3"}, {"Database", file}}));
}

class ConnectionsTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        rtl::AppDir();  // seeded: Data/DBSamples holds the sample databases
        links_ = app::DataLinksDir();
    }
    std::string Link(const std::string& name) const { return app::DataLinkFileName(name, links_); }
    void MakeLink(const std::string& name, const std::string& init)
    {
        ASSERT_TRUE(rtl::ForceDirectories(links_));
        ASSERT_EQ(db::WriteStringToStorage(Link(name), init, db::CREATE_NEW), db::S_OK);
    }
    std::string Read(const std::string& name) const
    {
        std::string init;
        EXPECT_EQ(db::LoadStringFromStorage(Link(name), init), db::S_OK) << name;
        return init;
    }
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> texts;
        for (const auto& q : dialogs_.Asked())
            if (q.kind == ui::TScriptedDialogs::TKind::Message) texts.push_back(q.message.text);
        return texts;
    }
    std::string links_;
};

// ---- Files ---------------------------------------------------------------------------------

TEST_F(ConnectionsTest, TheFolderIsUnderTheProgramsCommonFiles)
{
    EXPECT_EQ(links_, Home() + "/common/System/OLE DB/Data Links");
    EXPECT_EQ(app::DataLinkFileName("Sales"), links_ + "/Sales.udl");
}

TEST_F(ConnectionsTest, StorageCallsAndTheirMessages)
{
    ASSERT_TRUE(rtl::ForceDirectories(links_));
    const std::string sales = Link("Sales");
    EXPECT_TRUE(app::CreateUDLFile(sales, "Provider=MSDASQL.1;Data Source=Sales"));
    // Creating it again fails without a word (the code has no message) and changes nothing.
    EXPECT_FALSE(app::CreateUDLFile(sales, "Provider=MSDASQL.1;Data Source=Other"));
    EXPECT_EQ(Read("Sales"), "Provider=MSDASQL.1;Data Source=Sales");
    EXPECT_TRUE(app::WriteUDLFile(sales, "Provider=MSDASQL.1;Data Source=Rewritten"));
    std::string init = "kept";
    EXPECT_TRUE(app::ReadUDLFile(sales, init));
    EXPECT_EQ(init, "Provider=MSDASQL.1;Data Source=Rewritten");
    EXPECT_TRUE(Messages().empty());

    // Failures: each shows its message as an error and leaves the variable alone.
    rtl::WriteStringToFile(Link("Damaged"), "not a data link");
    std::filesystem::create_directories(Link("Folder"));
    struct Row {
        std::function<bool()> call;
        const char* message;
    } rows[] = {
        {[&] { return app::WriteUDLFile(Link("Missing"), "Provider=MSDASQL.1"); }, "The file was not found."},
        {[&] { return app::ReadUDLFile(Link("Missing"), init); }, "The file was not found."},
        {[&] { return app::ReadUDLFile(Link("Damaged"), init); }, "File is not a UDL format file."},
        {[&] { return app::ReadUDLFile(Link("Folder"), init); },
         "Insufficient permission to open the file.\r or The file is already open and locked for writing."},
        {[&] { return app::ReadUDLFile("", init); }, "FileName Error or InitializationString Error"},
        {[&] { return app::WriteUDLFile(sales, "two\r\nlines"); }, "FileName Error or InitializationString Error"},
    };
    for (const Row& r : rows) {
        dialogs_.AnswerMessage(ui::mrOk);
        EXPECT_FALSE(r.call());
        ASSERT_FALSE(dialogs_.Asked().empty());
        EXPECT_EQ(dialogs_.Asked().back().message.text, r.message);
        EXPECT_EQ(dialogs_.Asked().back().message.type, ui::mtError);
    }
    EXPECT_EQ(init, "Provider=MSDASQL.1;Data Source=Rewritten");
    EXPECT_EQ(rtl::ReadFileToString(Link("Damaged")), "not a data link");  // never rewritten
    EXPECT_EQ(app::UDLResultMessage(db::E_FAIL), "A provider-specific error occurred.");
    EXPECT_EQ(app::UDLResultMessage(db::STG_E_INVALIDNAME), "Invalid file name.");
    EXPECT_EQ(app::UDLResultMessage(db::STG_E_FILEALREADYEXISTS), "");
    EXPECT_TRUE(dialogs_.Unexpected().empty());
}

TEST_F(ConnectionsTest, SplitConnectionStringAndListing)
{
    struct Row {
        const char* text;
        std::vector<std::string> parts;
    } rows[] = {
        {"", {}},
        {"a=1", {"a=1"}},
        {"a=1;b=2", {"a=1", "b=2"}},
        {"a=1;b=2;", {"a=1", "b=2"}},
        {";;x", {"", "", "x"}},
    };
    for (const Row& r : rows) {
        rtl::TStringList list;
        list.Add("stale");
        app::SplitConnectionString(r.text, list);
        std::vector<std::string> got;
        for (int i = 0; i < list.Count(); ++i) got.push_back(list.Strings(i));
        EXPECT_EQ(got, r.parts) << r.text;
    }

    bool ok = true;
    EXPECT_TRUE(app::DataLinkNames(links_, &ok).empty());
    EXPECT_FALSE(ok);  // no folder yet
    MakeLink("beta", "Provider=MSDASQL.1");
    MakeLink("Alpha", "Provider=MSDASQL.1");
    MakeLink("gamma", "Provider=MSDASQL.1");
    rtl::WriteStringToFile(links_ + "/notes.txt", "");
    std::filesystem::create_directories(links_ + "/Folder.udl");
    EXPECT_EQ(app::DataLinkNames(links_, &ok), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    EXPECT_TRUE(ok);
}

TEST_F(ConnectionsTest, UnusableLinkNamesAreRefused)
{
    for (const char* bad : {"", ".", "..", "a/b", "../x", "a\\b", "tab\there", "nl\n", "del\x7f"})
        EXPECT_FALSE(app::IsValidLinkName(bad)) << bad;
    for (const char* good : {"Sales", "Verkäufe 2024", "a.b", "...", "name with; semicolon"})
        EXPECT_TRUE(app::IsValidLinkName(good)) << good;
}

// ---- Sync and purge ------------------------------------------------------------------------

TEST_F(ConnectionsTest, SyncMakesOneLinkPerDataSourceOnceAndSkipsUnusableNames)
{
    app::SyncOdbcDataLinks({true, {"Sales", "..", "a/b", "", "Stock"}}, links_);  // makes the folder
    EXPECT_EQ(app::DataLinkNames(links_), (std::vector<std::string>{"Sales", "Stock"}));
    EXPECT_EQ(Read("Sales"), "Provider=MSDASQL.1;Persist Security Info=False;Data Source=Sales");
    EXPECT_FALSE(rtl::FileExists(Home() + "/common/System/OLE DB/b.udl"));

    // An edited link is never rewritten.
    ASSERT_EQ(db::WriteStringToStorage(Link("Sales"), "Provider=MSDASQL.1;Data Source=Sales;User ID=ann",
                                       db::OPEN_EXISTING),
              db::S_OK);
    const std::string bytes = rtl::ReadFileToString(Link("Sales"));
    app::SyncOdbcDataLinks({true, {"Sales", "Stock"}}, links_);
    EXPECT_EQ(rtl::ReadFileToString(Link("Sales")), bytes);
    EXPECT_TRUE(Messages().empty());

    // A folder that cannot be made: the warning, nothing else.
    rtl::WriteStringToFile(Path("blocker"), "");
    dialogs_.AnswerMessage(ui::mrOk);
    app::SyncOdbcDataLinks({true, {"Sales"}}, Path("blocker") + "/Data Links");
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Can not create data links directory."}));
    EXPECT_TRUE(dialogs_.Unexpected().empty());
}

TEST_F(ConnectionsTest, PurgeDeletesOnlyDsnLinksOfDataSourcesThatAreGone)
{
    struct Row {
        const char* name;
        std::string init;
    };
    const std::vector<Row> links = {
        {"Sales", "Provider=MSDASQL.1;Persist Security Info=False;Data Source=Sales"},
        {"Gone", "Provider=MSDASQL.1;Persist Security Info=False;Data Source=Gone"},
        {"NoProviderGone", "Data Source=NoProviderGone"},
        {"CaseGone", "provider=msdasql;data source=SALESX"},
        {"ListedOtherCase", "Provider=MSDASQL.1;Data Source=stock"},
        {"DsnInExtended", "Provider=MSDASQL.1;Extended Properties=\"DSN=Gone2;UID=x\";Data Source=Gone2"},
        {"Sample", SampleInit("/data/Sample1.db")},
        {"DsnLessWithSource", "Provider=MSDASQL.1;Data Source=Gone;Extended Properties=\"DRIVER=SQLite3;Database=/x;y.db\""},
        {"FileDsn", "Provider=MSDASQL.1;Data Source=Gone;Extended Properties=\"FILEDSN=/etc/x.dsn\""},
        {"Jet", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=Gone"},
        {"Server", "Provider=SQLOLEDB.1;Data Source=Gone"},
    };
    struct Case {
        const char* what;
        app::TDataSourceListing listing;
        std::vector<std::string> deleted;
    } cases[] = {
        {"listing failed", {false, {"Sales"}}, {}},
        {"listing empty", {true, {}}, {}},
        {"Sales and Stock listed", {true, {"Sales", "STOCK"}}, {"CaseGone", "DsnInExtended", "Gone", "NoProviderGone"}},
        {"everything listed", {true, {"Sales", "Gone", "NoProviderGone", "salesx", "Stock", "Gone2"}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(links_);
        for (const Row& r : links) MakeLink(r.name, r.init);
        rtl::WriteStringToFile(Link("Damaged"), "junk");
        dialogs_.AnswerMessage(ui::mrOk);  // the damaged link is named once, when the purge runs
        app::PurgeOdbcDataLinks(c.listing, links_);
        std::vector<std::string> deleted;
        for (const Row& r : links)
            if (!rtl::FileExists(Link(r.name))) deleted.push_back(r.name);
        std::sort(deleted.begin(), deleted.end());
        EXPECT_EQ(deleted, c.deleted);
        EXPECT_EQ(rtl::ReadFileToString(Link("Damaged")), "junk");
        const bool ran = c.listing.ok && !c.listing.names.empty();
        EXPECT_EQ(dialogs_.PendingAnswers(), ran ? 0u : 1u);
        if (!ran) {
            dialogs_ = ui::TScriptedDialogs();
        }
    }
    EXPECT_TRUE(dialogs_.Unexpected().empty());
}

TEST_F(ConnectionsTest, DsnOfLinkReadsQuotedExtendedProperties)
{
    EXPECT_EQ(app::DsnOfLink("Provider=MSDASQL.1;Data Source=Sales"), "Sales");
    EXPECT_EQ(app::DsnOfLink("Provider=MSDASQL.1;Data Source=Sales;Extended Properties=\"DSN=Other\""), "Other");
    EXPECT_EQ(app::DsnOfLink(SampleInit("/x;DRIVER=evil/Sample.db")), "");
    EXPECT_EQ(app::DsnOfLink("Provider=SQLOLEDB.1;Data Source=Sales"), "");
    EXPECT_EQ(app::DsnOfLink("Provider=MSDASQL.1"), "");
}

// ---- Samples -------------------------------------------------------------------------------

TEST_F(ConnectionsTest, SamplesAreMadeWhenMissingAndNeverOverwritten)
{
    const std::string data = Home() + "/Data";
    app::CreateSampleDataLinks(data, links_);  // makes the folder too
    EXPECT_EQ(Read("GridweaverSample1"), SampleInit(data + "/DBSamples/Sample1.db"));
    EXPECT_EQ(Read("GridweaverSample2"), SampleInit(data + "/DBSamples/Sample2.db"));
    EXPECT_EQ(app::DsnOfLink(Read("GridweaverSample1")), "");  // DSN-less: the purge keeps it

    ASSERT_EQ(db::WriteStringToStorage(Link("GridweaverSample1"), "Provider=MSDASQL.1;User ID=me", db::OPEN_EXISTING),
              db::S_OK);
    std::filesystem::remove(Link("GridweaverSample2"));
    app::CreateSampleDataLinks(data, links_);
    EXPECT_EQ(Read("GridweaverSample1"), "Provider=MSDASQL.1;User ID=me");
    EXPECT_EQ(Read("GridweaverSample2"), SampleInit(data + "/DBSamples/Sample2.db"));
    EXPECT_TRUE(Messages().empty());
}

// ---- The login loop ------------------------------------------------------------------------

class LoginLoopTest : public ConnectionsTest {
protected:
    void SetUp() override
    {
        ConnectionsTest::SetUp();
        app::CreateProgramWindows();
        ASSERT_NE(app::dmMain, nullptr);
    }
    // A login answer: types the user and password and presses OK, or Cancel.
    void AnswerLogin(std::optional<std::pair<std::string, std::string>> login)
    {
        dialogs_.AnswerModal([login](ui::TCustomForm& form) {
            EXPECT_EQ(form.Caption(), "Login to database");
            if (!login) return ui::mrCancel;
            form.Get<ui::TControl>("ed_UserName")->SetText(login->first);
            form.Get<ui::TControl>("ed_Password")->SetText(login->second);
            form.Get<ui::TButton>("okbtn")->Click();
            return ui::mrNone;
        });
    }
};

TEST_F(LoginLoopTest, TheSampleOpensWithoutADialog)
{
    app::CreateSampleDataLinks();
    app::dmMain->ConnectDatabase("FILE NAME=" + Link("GridweaverSample1"));
    EXPECT_TRUE(app::dmMain->Connection()->Connected());
    EXPECT_FALSE(app::dmMain->AskLogin);
    EXPECT_TRUE(dialogs_.Asked().empty());
    // The next connect closes the connection first and opens the other sample.
    app::dmMain->ConnectDatabase("FILE NAME=" + Link("GridweaverSample2"));
    EXPECT_TRUE(app::dmMain->Connection()->Connected());
    EXPECT_TRUE(dialogs_.Asked().empty());
}

// The connection's timeouts come from the user's settings; what is missing or unusable
// there gives the defaults.
TEST_F(LoginLoopTest, TheConnectionTakesItsTimeoutsFromTheSettings)
{
    app::CreateSampleDataLinks();
    struct Case {
        const char* login;  // the stored texts; nullptr: none
        const char* query;
        int loginAfter, queryAfter;
    } cases[] = {
        {nullptr, nullptr, 15, 30},
        {"4", "0", 4, 0},
        {"abc", "-5", 15, 30},
        {nullptr, "90", 15, 90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.login ? c.login : "-") + " / " + (c.query ? c.query : "-"));
        rtl::TRegistry registry;
        registry.DeleteKey(std::string("\\") + app::kConnectionSettingsKey);
        ASSERT_TRUE(registry.OpenKey(std::string("\\") + app::kConnectionSettingsKey, true));
        if (c.login) registry.WriteString("LoginTimeout", c.login);
        if (c.query) registry.WriteString("QueryTimeout", c.query);
        app::dmMain->ConnectDatabase("FILE NAME=" + Link("GridweaverSample1"));
        db::TADOConnection* connection = app::dmMain->Connection();
        EXPECT_TRUE(connection->Connected());
        EXPECT_EQ(connection->ConnectionTimeout(), c.loginAfter);
        EXPECT_EQ(connection->CommandTimeout(), c.queryAfter);
    }
}

TEST_F(LoginLoopTest, FirstFailureSilentThenEachErrorShownBeforeTheLoginUntilCancel)
{
    // A DSN-less link to a database that does not exist fails every time.
    MakeLink("Broken", SampleInit(Home() + "/Data/DBSamples/Absent.db"));
    AnswerLogin(std::make_pair("ann", "one"));
    dialogs_.AnswerMessage(ui::mrOk);
    AnswerLogin(std::make_pair("ann", "two"));
    dialogs_.AnswerMessage(ui::mrOk);
    AnswerLogin(std::nullopt);
    EXPECT_THROW(app::dmMain->ConnectDatabase("FILE NAME=" + Link("Broken")), rtl::EAbort);
    EXPECT_FALSE(app::dmMain->Connection()->Connected());
    using K = ui::TScriptedDialogs::TKind;
    const auto& asked = dialogs_.Asked();
    ASSERT_EQ(asked.size(), 5u);
    const K kinds[] = {K::Modal, K::Message, K::Modal, K::Message, K::Modal};
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(asked[i].kind, kinds[i]) << i;
    EXPECT_EQ(asked[1].message.type, ui::mtWarning);
    EXPECT_FALSE(asked[1].message.text.empty());
    EXPECT_EQ(dialogs_.PendingAnswers(), 0u);
    EXPECT_TRUE(dialogs_.Unexpected().empty());

    // A later connect starts without the login again.
    app::CreateSampleDataLinks();
    app::dmMain->ConnectDatabase("FILE NAME=" + Link("GridweaverSample1"));
    EXPECT_TRUE(app::dmMain->Connection()->Connected());
    EXPECT_EQ(dialogs_.Asked().size(), 5u);
}

TEST_F(LoginLoopTest, EachRetryOffersTheUserNameGivenBefore)
{
    MakeLink("Broken", SampleInit(Home() + "/Data/DBSamples/Absent.db") + ";User ID=linkuser");
    const struct {
        const char* offered;  // the user name the dialog shows
        const char* typed;    // what the user leaves there (nullptr: Cancel)
    } logins[] = {{"linkuser", "ann"}, {"ann", "ann"}, {"ann", "bob"}, {"bob", nullptr}};
    std::vector<std::string> offered, offeredPasswords;
    for (const auto& l : logins) {
        dialogs_.AnswerModal([&, typed = l.typed](ui::TCustomForm& form) {
            offered.push_back(form.Get<ui::TControl>("ed_UserName")->Text());
            offeredPasswords.push_back(form.Get<ui::TControl>("ed_Password")->Text());
            if (typed == nullptr) return ui::mrCancel;
            form.Get<ui::TControl>("ed_UserName")->SetText(typed);
            form.Get<ui::TControl>("ed_Password")->SetText("secret");
            form.Get<ui::TButton>("okbtn")->Click();
            return ui::mrNone;
        });
        if (l.typed != nullptr) dialogs_.AnswerMessage(ui::mrOk);
    }
    EXPECT_THROW(app::dmMain->ConnectDatabase("FILE NAME=" + Link("Broken")), rtl::EAbort);
    ASSERT_EQ(offered.size(), std::size(logins));
    for (std::size_t i = 0; i < offered.size(); ++i) {
        EXPECT_EQ(offered[i], logins[i].offered) << i;
        EXPECT_EQ(offeredPasswords[i], "") << i;
    }
    // A later connect starts from the link's name again.
    dialogs_.AnswerModal([&](ui::TCustomForm& form) {
        offered.push_back(form.Get<ui::TControl>("ed_UserName")->Text());
        return ui::mrCancel;
    });
    EXPECT_THROW(app::dmMain->ConnectDatabase("FILE NAME=" + Link("Broken")), rtl::EAbort);
    EXPECT_EQ(offered.back(), "linkuser");
    EXPECT_TRUE(dialogs_.Unexpected().empty());
}

TEST_F(LoginLoopTest, AnErrorSayingCancelledByTheUserEndsTheLoopSilently)
{
    // The data layer refuses this provider with a message naming it, which holds the words.
    MakeLink("Odd", "Provider=Cancelled By The User;Data Source=x");
    EXPECT_THROW(app::dmMain->ConnectDatabase("FILE NAME=" + Link("Odd")), rtl::EAbort);
    EXPECT_TRUE(dialogs_.Asked().empty());
}

// ---- Real data-source listings, each in a child process ------------------------------------
// unixODBC reads ODBCINI and ODBCSYSINI once per process, so each configuration runs in a
// fresh child ("threadsafe" death-test style re-runs the test alone), which reports what went
// wrong on its standard error and in its exit code.

class ChildCheck {
public:
    void operator()(bool ok, const std::string& what)
    {
        if (ok) return;
        std::fprintf(stderr, "FAILED: %s\n", what.c_str());
        ++failures_;
    }
    [[noreturn]] void Exit(const std::filesystem::path& cleanUp)
    {
        std::error_code ec;
        std::filesystem::remove_all(cleanUp, ec);
        std::fflush(stderr);
        std::_Exit(failures_ == 0 ? 0 : 1);
    }

private:
    int failures_ = 0;
};

// An ODBC configuration of the test's own: `userIni` as the user's data sources, the
// system's drivers.
void UseOdbcConfiguration(const std::string& dir, const std::string& userIni)
{
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file("/etc/odbcinst.ini", dir + "/odbcinst.ini",
                               std::filesystem::copy_options::overwrite_existing);
    rtl::WriteStringToFile(dir + "/odbc.ini", "");
    setenv("ODBCINI", userIni.c_str(), 1);
    setenv("ODBCSYSINI", dir.c_str(), 1);
}

std::optional<std::string> PostgresPort()
{
    const char* port = std::getenv("GW_PG_PORT");
    if (port == nullptr || *port == '\0') return std::nullopt;
    return std::string(port);
}

TEST_F(LoginLoopTest, PostgresThroughADsnLinkWithoutPasswordAsksTheLogin)
{
    const auto port = PostgresPort();
    if (!port) GTEST_SKIP() << "GW_PG_PORT is not set: no PostgreSQL test server";
    if (!rtl::FileExists("/etc/odbcinst.ini")) GTEST_SKIP() << "no ODBC driver configuration";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ChildCheck check;
            const std::string odbc = Path("odbc");
            UseOdbcConfiguration(odbc, odbc + "/user.ini");
            rtl::WriteStringToFile(odbc + "/user.ini", "[GwPgTest]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=" +
                                                          *port + "\nDatabase=gridweaver_test\n");
            // The listing names the DSN; the sync makes its link, the purge keeps it and drops a
            // stale one.
            MakeLink("OldDsn", app::OdbcLinkContent("OldDsn"));
            const app::TDataSourceListing listing = app::ListOdbcDataSources();
            check(listing.ok && listing.names == std::vector<std::string>{"GwPgTest"}, "listing");
            app::PurgeOdbcDataLinks(listing);
            app::SyncOdbcDataLinks(listing);
            check(app::DataLinkNames() == std::vector<std::string>{"GwPgTest"}, "links after purge and sync");

            // No password stored: the first failure is silent, then the login; a wrong password
            // is a warning and the login again; the right one opens.
            AnswerLogin(std::make_pair("gridweaver", "wrong"));
            dialogs_.AnswerMessage(ui::mrOk);
            AnswerLogin(std::make_pair("gridweaver", "gridweaver"));
            try {
                app::dmMain->ConnectDatabase("FILE NAME=" + Link("GwPgTest"));
            } catch (const std::exception& e) {
                check(false, std::string("connect raised ") + e.what());
            }
            check(app::dmMain->Connection()->Connected(), "connected");
            const auto& asked = dialogs_.Asked();
            using K = ui::TScriptedDialogs::TKind;
            check(asked.size() == 3 && asked[0].kind == K::Modal && asked[1].kind == K::Message &&
                      asked[2].kind == K::Modal,
                  "login, warning, login");
            if (asked.size() == 3) {
                check(asked[1].message.type == ui::mtWarning, "a warning");
                check(asked[1].message.text.find("password authentication failed") != std::string::npos,
                      "the driver's message: " + asked[1].message.text);
            }
            // Cancel at the login: a silent abort.
            AnswerLogin(std::nullopt);
            bool aborted = false;
            try {
                app::dmMain->ConnectDatabase("FILE NAME=" + Link("GwPgTest"));
            } catch (const rtl::EAbort&) {
                aborted = true;
            }
            check(aborted, "cancel aborts");
            check(dialogs_.Asked().size() == 4, "only the login asked");
            check(!app::dmMain->Connection()->Connected(), "closed after cancel");
            check(dialogs_.Unexpected().empty(), "no unexpected question");
            app::dmMain->Connection()->Close();
            check.Exit(root_);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(ConnectionsTest, NoDataSourcesOrAnUnreadableConfigurationDeleteNothing)
{
    if (!rtl::FileExists("/etc/odbcinst.ini")) GTEST_SKIP() << "no ODBC driver configuration";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const bool unreadable : {false, true}) {
        EXPECT_EXIT(
            {
                ChildCheck check;
                const std::string odbc = Path("odbc");
                // A folder where the data-source file should be cannot be read.
                UseOdbcConfiguration(odbc, odbc + "/user.ini");
                if (unreadable)
                    std::filesystem::create_directories(odbc + "/user.ini");
                else
                    rtl::WriteStringToFile(odbc + "/user.ini", "");
                MakeLink("Sales", app::OdbcLinkContent("Sales"));
                app::CreateProgramWindows();
                dialogs_.AnswerModal([&](ui::TCustomForm& form) {
                    auto* view = form.Get<ui::TListView>("lv_Database");
                    std::vector<std::string> shown;
                    for (int i = 0; i < view->Items()->Count(); ++i) shown.push_back(view->Items()->Item(i)->Caption());
                    check(shown == std::vector<std::string>{"GridweaverSample1", "GridweaverSample2", "Sales"},
                          "samples and the DSN link listed");
                    return ui::mrCancel;
                });
                app::TFrmConnect dialog(&ui::Application());
                dialog.ShowModal();
                check(rtl::FileExists(Link("Sales")), "the DSN link kept");
                check(dialogs_.Unexpected().empty(), "no unexpected question");
                check.Exit(root_);
            },
            ::testing::ExitedWithCode(0), "")
            << (unreadable ? "unreadable" : "empty");
    }
}

}  // namespace
