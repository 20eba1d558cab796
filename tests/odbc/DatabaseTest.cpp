#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "OdbcTestSupport.h"
#include "odbc/Database.h"
#include "odbc/Messages.h"
#include "odbc/SqlError.h"
#include "platform/classes/Streaming.h"
#include "platform/ui/Forms.h"

namespace {

using namespace odbc;
using odbctest::SqlErrorOf;
using odbctest::TTempDir;
using odbctest::UseSqlite;

std::string InfoText(TdbDataBase& database, SQLUSMALLINT info)
{
    char buffer[256] = {};
    SQLSMALLINT length = 0;
    database.GetInfo(info, buffer, sizeof buffer, &length);
    return std::string(buffer, static_cast<std::size_t>(length));
}

TEST(ParamsToConnectString, JoinsTheLinesAndBracesValuesThatWouldBreakTheString)
{
    struct Case {
        std::vector<std::string> lines;
        std::string expected;
    };
    const std::vector<Case> cases{
        {{}, ""},
        {{"DSN=Sales", "UID=ann"}, "DSN=Sales;UID=ann"},
        {{"DRIVER={SQLite3}", "Database=/tmp/a.db"}, "DRIVER={SQLite3};Database=/tmp/a.db"},
        {{"PWD=a;b"}, "PWD={a;b}"},
        {{"PWD=p;w}{d"}, "PWD={p;w}}{d}"},
        {{"PWD={a}b}"}, "PWD={{a}}b}}}"},      // not a well-formed braced value: braced again
        {{"PWD={a}}b}"}, "PWD={a}}b}"},        // already braced, "}" doubled: kept
        {{"PWD=x=y", "Standalone"}, "PWD=x=y;Standalone"},
        {{"Empty="}, "Empty="},
    };
    for (const Case& c : cases) {
        rtl::TStringList params;
        for (const std::string& line : c.lines) params.Add(line);
        EXPECT_EQ(ParamsToConnectString(params), c.expected) << params.Text();
    }
}

TEST(FieldTypeToSQLType, BindsEachParameterTypeAsItsSqlType)
{
    // Dates and times with the ODBC 3 codes; 64-bit integers and decimals exactly.
    const std::vector<std::pair<db::TFieldType, int>> cases{
        {db::ftString, 1},  {db::ftSmallint, 5}, {db::ftWord, 5},    {db::ftBoolean, 5}, {db::ftInteger, 4},
        {db::ftAutoInc, 4}, {db::ftFloat, 8},    {db::ftCurrency, 8}, {db::ftBCD, 3},    {db::ftDate, 91},
        {db::ftDateTime, 93}, {db::ftBlob, -4},  {db::ftMemo, -1},   {db::ftTime, 92},   {db::ftUnknown, 0},
        {db::ftGraphic, 0}, {db::ftLargeint, -5}};
    for (const auto& [type, sqlType] : cases) EXPECT_EQ(FieldTypeToSQLType(type), sqlType) << type;
}

TEST(TdbDataBase, DataBaseNameIsTheDsnParameter)
{
    TdbDataBase database(nullptr);
    EXPECT_EQ(database.DataBaseName(), "");
    database.SetDataBaseName("Sales");
    EXPECT_EQ(database.Params()->Text(), "DSN=Sales\r\n");
    EXPECT_EQ(database.DataBaseName(), "Sales");
    database.Params()->SetText("UID=ann\r\nDSN=Other\r\n");
    EXPECT_EQ(database.DataBaseName(), "Other");
}

TEST(TdbDataBase, DefaultsAndStoredProperties)
{
    TdbDataBase database(nullptr);
    EXPECT_EQ(database.DriverCompletion(), sdCompleteReq);
    EXPECT_EQ(database.OdbcCursors(), ocUSE_DRIVER);
    EXPECT_EQ(database.TransIsolation(), TxnDefault);
    EXPECT_EQ(database.WaitCursor(), crSQLWait);
    EXPECT_FALSE(database.ShowWaitCursor());
    EXPECT_FALSE(database.Connected());
    // The wait cursor settings are written even at their defaults.
    const std::string text = classes::WriteComponentText(database);
    EXPECT_NE(text.find("WaitCursor = -17"), std::string::npos) << text;
    EXPECT_NE(text.find("ShowWaitCursor = False"), std::string::npos) << text;
}

TEST(TdbDataBase, ConnectsToSqliteAndAnswersGetInfo)
{
    TTempDir dir;
    TdbDataBase database(nullptr);
    UseSqlite(database, dir.File("main.db"));
    database.Connect();
    ASSERT_TRUE(database.Connected());
    EXPECT_NE(database.ConnectString().find("Database=" + dir.File("main.db")), std::string::npos)
        << database.ConnectString();
    EXPECT_EQ(InfoText(database, SQL_DBMS_NAME), "SQLite");
    SQLUSMALLINT maxConnections = 1;
    database.GetInfo(SQL_MAX_DRIVER_CONNECTIONS, &maxConnections, 0, nullptr);
    EXPECT_EQ(maxConnections, 0);

    const SQLHDBC handle = database.Handle();
    database.Connect();  // already connected: nothing happens
    EXPECT_EQ(database.Handle(), handle);

    database.Disconnect();
    EXPECT_FALSE(database.Connected());
    EXPECT_EQ(database.Handle(), nullptr);
    database.Disconnect();  // not connected: nothing happens
}

TEST(TdbDataBase, GetInfoFailures)
{
    TdbDataBase database(nullptr);
    const ESQLerror unconnected = SqlErrorOf([&] { InfoText(database, SQL_DBMS_NAME); });
    EXPECT_EQ(unconnected.Message(), "SQL_INVALID_HANDLE");
    EXPECT_EQ(unconnected.Errors(), nullptr);

    TTempDir dir;
    UseSqlite(database, dir.File("info.db"));
    database.Connect();
    char small[3] = {};
    SQLSMALLINT length = 0;
    // A truncated answer comes with information, which counts as a failure here (the driver
    // manager truncates its own version text without a record).
    const ESQLerror truncated = SqlErrorOf([&] { database.GetInfo(SQL_DM_VER, small, sizeof small, &length); });
    EXPECT_EQ(truncated.Message(), "SQL_SUCCESS_WITH_INFO");
    EXPECT_EQ(truncated.ReturnCode(), SQL_SUCCESS_WITH_INFO);
    const ESQLerror unsupported = SqlErrorOf([&] { database.GetInfo(9999, small, sizeof small, &length); });
    EXPECT_EQ(unsupported.Message(), "HYC00:[SQLite]unsupported info option 9999");
    EXPECT_EQ(unsupported.ReturnCode(), SQL_ERROR);
    EXPECT_TRUE(database.Connected());
}

TEST(TdbDataBase, AFailedConnectLeavesNoHandle)
{
    TTempDir dir;
    TdbSession session(nullptr);
    TdbDataBase database(nullptr);
    database.SetSession(&session);
    struct Case {
        std::vector<std::string> params;
        std::string state;
    };
    const std::vector<Case> cases{
        {{"DRIVER=SQLite3", "Database=" + dir.File("missing/folder/x.db")}, "HY000"},
        {{"DRIVER=GridweaverNoSuchDriver"}, "01000"},
        {{"DSN=GridweaverNoSuchSource"}, "IM002"},
    };
    for (const Case& c : cases) {
        database.Params()->Clear();
        for (const std::string& line : c.params) database.Params()->Add(line);
        const ESQLerror e = SqlErrorOf([&] { database.Connect(); });
        EXPECT_EQ(e.SQLState(), c.state) << e.Message();
        EXPECT_EQ(e.Message().substr(0, 6), c.state + ":");
        EXPECT_FALSE(database.Connected());
        EXPECT_EQ(database.Handle(), nullptr);
    }
    // The driver manager refuses to free an environment that still has a connection handle.
    EXPECT_TRUE(session.FreeEnvironment());
}

TEST(TdbDataBase, AskingTheDriverToPromptFailsForWantOfAWindow)
{
    TTempDir dir;
    TdbDataBase database(nullptr);
    UseSqlite(database, dir.File("prompt.db"));
    database.SetDriverCompletion(sdPrompt);
    EXPECT_THROW(database.Connect(), ESQLerror);
    EXPECT_FALSE(database.Connected());
    database.SetDriverCompletion(sdNoPrompt);
    database.Connect();
    EXPECT_TRUE(database.Connected());
}

TEST(TdbDataBase, AConnectionRefusedAfterConnectingIsClosedBeforeItIsFreed)
{
    // The SQLite driver accepts only serializable transactions and answers a request for
    // another level "option value changed", which fails the connect after the driver has
    // connected. The live connection must be closed before its handle is freed, or the
    // handle stays behind and the environment cannot be freed.
    TTempDir dir;
    TdbSession session(nullptr);
    TdbDataBase database(nullptr);
    database.SetSession(&session);
    UseSqlite(database, dir.File("iso.db"));
    database.SetTransIsolation(TxnReadCommitted);
    const ESQLerror e = SqlErrorOf([&] { database.Connect(); });
    EXPECT_EQ(e.SQLState(), "01S02");
    EXPECT_EQ(e.Message(), "01S02:[SQLite]option value changed");
    EXPECT_FALSE(database.Connected());
    EXPECT_TRUE(session.FreeEnvironment());

    database.SetTransIsolation(TxnDefault);
    database.Connect();
    EXPECT_TRUE(database.Connected());
}

TEST(TdbDataBase, OnConnectMayCompleteTheParams)
{
    TTempDir dir;
    TdbDataBase database(nullptr);
    database.Params()->Add("DRIVER=SQLite3");
    std::vector<TdbDataBase*> calls;
    database.OnConnect = [&](TdbDataBase* db) {
        calls.push_back(db);
        db->Params()->Add("Database=" + dir.File("late.db"));
    };
    database.Connect();
    ASSERT_EQ(calls, std::vector<TdbDataBase*>{&database});
    EXPECT_NE(database.ConnectString().find("late.db"), std::string::npos);

    // An exception from the handler ends the connect with no handle left.
    database.Disconnect();
    database.OnConnect = [](TdbDataBase*) { throw rtl::EAbort(); };
    EXPECT_THROW(database.Connect(), rtl::EAbort);
    EXPECT_FALSE(database.Connected());
}

// A stand-in for the query data set: records what the database asks of it.
class TFakeQuery : public classes::TComponent, public TdbAttachedDataSet {
public:
    explicit TFakeQuery(classes::TComponent* owner, std::vector<std::string>* log = nullptr)
        : TComponent(owner), log_(log)
    {
    }
    ~TFakeQuery() override { SetDatabase(nullptr); }
    void ReleaseStatement() noexcept override
    {
        if (log_ != nullptr) log_->push_back(Name());
    }
    TdbDataBase* Database() const override { return database_; }
    void SetDatabase(TdbDataBase* database) override
    {
        if (database_ != nullptr) database_->RemoveDataSet(this);
        database_ = database;
        if (database_ != nullptr) database_->AddDataSet(this);
    }

private:
    std::vector<std::string>* log_;
    TdbDataBase* database_ = nullptr;
};

TEST(TdbDataBase, DisconnectReleasesTheAttachedDataSetsAndKeepsThem)
{
    TTempDir dir;
    std::vector<std::string> released;
    classes::TComponent form(nullptr);
    auto* database = new TdbDataBase(&form);
    // Queries inserted into the database's owner attach themselves to it.
    auto* first = new TFakeQuery(nullptr, &released);
    first->SetName("First");
    form.InsertComponent(first);
    auto* second = new TFakeQuery(nullptr, &released);
    second->SetName("Second");
    form.InsertComponent(second);
    EXPECT_EQ(first->Database(), database);
    EXPECT_EQ(database->DataSetCount(), 2);
    EXPECT_EQ(database->AddDataSet(second), 1);
    EXPECT_EQ(database->DataSetCount(), 2);

    database->Disconnect();  // not connected: nothing is released
    EXPECT_TRUE(released.empty());
    UseSqlite(*database, dir.File("sets.db"));
    database->Connect();
    database->Disconnect();
    EXPECT_EQ(released, (std::vector<std::string>{"First", "Second"}));
    EXPECT_EQ(database->DataSetCount(), 2);

    delete first;
    EXPECT_EQ(database->DataSetCount(), 1);
    EXPECT_EQ(database->AddDataSet(second), 0);  // the one left is the second, now first
    EXPECT_EQ(database->DataSetCount(), 1);
}

TEST(TdbDataBase, AFreedSessionIsDroppedAndItsConnectionClosed)
{
    TTempDir dir;
    auto* session = new TdbSession(nullptr);
    TdbDataBase database(nullptr);
    database.SetSession(session);
    UseSqlite(database, dir.File("session.db"));
    database.Connect();
    EXPECT_EQ(database.SessionHandle(), session->Handle());

    delete session;
    EXPECT_EQ(database.Session(), nullptr);
    EXPECT_FALSE(database.Connected());
    // The database goes on with the default session.
    database.Connect();
    EXPECT_TRUE(database.Connected());
    EXPECT_EQ(database.SessionHandle(), DefaultSession().Handle());
}

TEST(TdbDataBase, ChangingTheSessionDisconnects)
{
    TTempDir dir;
    TdbSession session(nullptr);
    TdbDataBase database(nullptr);
    UseSqlite(database, dir.File("switch.db"));
    database.Connect();
    database.SetSession(&session);
    EXPECT_FALSE(database.Connected());
    database.Connect();
    EXPECT_TRUE(database.Connected());
    // Freeing the session's environment closes the connections made on it first.
    EXPECT_TRUE(session.FreeEnvironment());
    EXPECT_FALSE(database.Connected());
}

TEST(TdbDataBase, TheWaitCursorShowsWhileConnectingAndDisconnectingOnlyWhenAskedFor)
{
    TTempDir dir;
    ui::Screen().SetCursor(ui::crHandPoint);
    std::vector<ui::TCursor> seen;
    TdbDataBase database(nullptr);
    TFakeQuery query(nullptr);
    query.SetDatabase(&database);
    database.OnConnect = [&](TdbDataBase*) { seen.push_back(ui::Screen().Cursor()); };

    UseSqlite(database, dir.File("cursor.db"));
    database.Connect();
    database.Disconnect();
    EXPECT_EQ(seen, std::vector<ui::TCursor>{ui::crHandPoint});

    database.SetShowWaitCursor(true);
    database.Connect();
    EXPECT_EQ(ui::Screen().Cursor(), ui::crHandPoint);
    database.Disconnect();
    EXPECT_EQ(ui::Screen().Cursor(), ui::crHandPoint);
    // Restored after a failed connect as well.
    UseSqlite(database, dir.File("missing/x.db"));
    EXPECT_THROW(database.Connect(), ESQLerror);
    EXPECT_EQ(ui::Screen().Cursor(), ui::crHandPoint);
    EXPECT_EQ(seen, (std::vector<ui::TCursor>{ui::crHandPoint, crSQLWait, crSQLWait}));
    ui::Screen().SetCursor(ui::crDefault);
}

TEST(TdbSession, AllocatesItsEnvironmentOnceOnFirstUse)
{
    TdbSession session(nullptr);
    EXPECT_FALSE(session.HandleAllocated());
    const SQLHENV env = session.Handle();
    EXPECT_NE(env, nullptr);
    EXPECT_EQ(session.Handle(), env);
    EXPECT_TRUE(session.FreeEnvironment());
    EXPECT_FALSE(session.HandleAllocated());
    EXPECT_TRUE(session.FreeEnvironment());
}

}  // namespace
