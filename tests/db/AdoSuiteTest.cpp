// The ADO-like connection and query against real databases: SQLite through its ODBC driver
// (DSN-less, a fresh file per test) and PostgreSQL through its ODBC driver (the loopback
// server the test command starts; skipped when GW_PG_PORT is unset or the server does not
// answer). Both run the same suite.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

#include <unistd.h>

#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/DataLinks.h"
#include "platform/db/OdbcHandles.h"
#include "platform/db/ForwardQuery.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Formatting.h"
#include "platform/rtl/SysUtils.h"
#include "tests/db/FrozenServer.h"

using namespace db;

namespace {

// A memo longer than any buffer and declared size: lines of accented and four-byte characters.
std::string LongMemo()
{
    std::string text;
    for (int i = 0; text.size() < 20000; ++i) text += "Zeile " + std::to_string(i) + " äöü 😀\r\n";
    return text;
}

std::string Table() { return "gwdb_items_" + std::to_string(getpid()); }
std::string BigTable() { return "gwdb_many_" + std::to_string(getpid()); }

const std::string kTwentyChars = "ЖЖЖЖЖЖЖЖЖЖ😀😀😀😀😀😀😀😀😀😀";

struct SQLite {
    static constexpr const char* kName = "SQLite";
    static constexpr bool kHasLogins = false;
    static constexpr bool kEnforcesLengths = false;
    static constexpr TFieldType kDecimalField = ftFloat;  // SQLite keeps decimals as binary floats
    static constexpr const char* kDecimalType = "NUMERIC(18,4)";
    static constexpr const char* kDecimalValue = "1234.5678";
    static constexpr const char* kDbmsName = "SQLite";
    static constexpr const char* kBinaryType = "BLOB";
    static constexpr bool kBoundFetch = true;
    // The driver cannot read one row of a block with SQLGetData: a bound row per fetch.
    static constexpr TFetchPath kTextFetchPath = TFetchPath::BoundRows;
    // A value the database fails to compute only when the row is stepped to (for ids past
    // 2000): an error that comes with a fetch after the open.
    static constexpr const char* kFailsPast2000 = "CASE WHEN id > 2000 THEN abs(-9223372036854775807 - 1 + (id - id)) "
                                                  "ELSE id END";
    // A statement with rows that cannot stand inside another statement.
    static std::string Unwrappable() { return "PRAGMA table_info(" + Table() + ")"; }

    std::optional<std::string> Available() { return dir.isValid() ? std::nullopt : std::optional<std::string>("no temp dir"); }
    std::string InitString(const std::string& password = {}) const
    {
        (void)password;
        const std::string file = dir.path().toStdString() + "/test.db";
        if (!rtl::FileExists(file)) rtl::WriteStringToFile(file, "");  // an empty file is an empty database
        return MakeOdbcInitString("DRIVER=SQLite3;Database=" + file);
    }
    std::string WithoutPassword() const { return InitString(); }
    std::string MissingDatabase() const
    {
        return MakeOdbcInitString("DRIVER=SQLite3;Database=" + dir.path().toStdString() + "/absent.db");
    }
    std::string MissingDatabaseFile() const { return dir.path().toStdString() + "/absent.db"; }

    QTemporaryDir dir;
};

struct Postgres {
    static constexpr const char* kName = "PostgreSQL";
    static constexpr bool kHasLogins = true;
    static constexpr bool kEnforcesLengths = true;
    static constexpr TFieldType kDecimalField = ftBCD;
    static constexpr const char* kDecimalType = "NUMERIC(30,10)";
    static constexpr const char* kDecimalValue = "12345678901234567890.0123456789";
    static constexpr const char* kDbmsName = "PostgreSQL";
    static constexpr const char* kBinaryType = "BYTEA";
    static constexpr bool kBoundFetch = true;
    static constexpr TFetchPath kTextFetchPath = TFetchPath::Block;
    // None: the driver reads the whole result when the statement runs, so an error in any row
    // comes with the open.
    static constexpr const char* kFailsPast2000 = nullptr;
    static std::string Unwrappable() { return "SHOW ALL"; }

    static std::string Odbc(const std::string& database)
    {
        const char* port = std::getenv("GW_PG_PORT");
        return "DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::string(port ? port : "") +
               ";Database=" + database + ";BoolsAsChar=0";
    }
    static std::string Init(const std::string& database, const std::optional<std::string>& password)
    {
        TConnectionParams p{{"Provider", "MSDASQL.1"}, {"Persist Security Info", "False"}, {"User ID", "gridweaver"}};
        if (password) p.push_back({"Password", *password});
        p.push_back({"Extended Properties", Odbc(database)});
        return FormatInitString(p);
    }
    std::optional<std::string> Available()
    {
        const char* port = std::getenv("GW_PG_PORT");
        if (port == nullptr || *port == '\0')
            return "GW_PG_PORT is not set: the PostgreSQL test server is not running (scripts/gw test starts it)";
        TADOConnection probe(nullptr);
        probe.SetLoginPrompt(false);
        probe.SetConnectionString(InitString());
        try {
            probe.Open();
        } catch (const rtl::Exception& e) {
            return "the PostgreSQL test server on 127.0.0.1:" + std::string(port) + " does not answer: " + e.Message();
        }
        return std::nullopt;
    }
    std::string InitString(const std::string& password = "gridweaver") const { return Init("gridweaver_test", password); }
    std::string WithoutPassword() const { return Init("gridweaver_test", std::nullopt); }
    std::string MissingDatabase() const { return Init("gwdb_no_such_database", "gridweaver"); }
    std::string MissingDatabaseFile() const { return {}; }
};

// The same backend read a value at a time with SQLGetData, as for a driver that refuses bound
// columns and row arrays.
template <class Base, const char* Name>
struct PerValue : Base {
    static constexpr const char* kName = Name;
    static constexpr bool kBoundFetch = false;
};
constexpr char kSQLitePerValue[] = "SQLitePerValue";
constexpr char kPostgresPerValue[] = "PostgreSQLPerValue";

template <class Backend>
class AdoSuite : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetBoundFetchAllowed(Backend::kBoundFetch);
        if (const auto reason = backend_.Available()) GTEST_SKIP() << Backend::kName << " tests skipped: " << *reason;
        conn_ = std::make_unique<TADOConnection>(nullptr);
        conn_->SetName("conn");
        conn_->SetLoginPrompt(false);
        conn_->SetConnectionString(backend_.InitString());
        conn_->Open();
        Exec("DROP TABLE IF EXISTS " + Table());
        Exec("CREATE TABLE " + Table() +
             " (id INTEGER NOT NULL PRIMARY KEY, name VARCHAR(20), price " + Backend::kDecimalType +
             ", qty BIGINT, born DATE, ordered TIMESTAMP, at TIME, memo TEXT, flag BOOLEAN)");
        Exec("INSERT INTO " + Table() + " VALUES (1, 'Zoë Ægir', " + Backend::kDecimalValue +
             ", 9223372036854775807, '2024-02-29', '2024-02-29 13:45:10.250', '13:45:10', '" + LongMemo() + "', true)");
        Exec("INSERT INTO " + Table() + " VALUES (2, '" + kTwentyChars +
             "', -0.0001, -9223372036854775807 - 1, '1899-12-30', '1970-01-01 00:00:00', '00:00:00', "
             "'Zeile 1\r\nZeile 2', false)");
        Exec("INSERT INTO " + Table() + " (id) VALUES (3)");
    }
    void TearDown() override
    {
        SetBoundFetchAllowed(true);
        if (!conn_) return;
        try {
            if (!conn_->Connected()) conn_->Open();
            Exec("DROP TABLE IF EXISTS " + BigTable());
            Exec("DROP TABLE IF EXISTS " + Table());
        } catch (const rtl::Exception&) {
        }
    }
    void Exec(const std::string& sql) { conn_->Execute(sql); }
    // `rows` rows (id 1.., name "n<id>"): more than the open reads.
    void MakeBigTable(int rows)
    {
        Exec("DROP TABLE IF EXISTS " + BigTable());
        Exec("CREATE TABLE " + BigTable() + " (id INTEGER NOT NULL PRIMARY KEY, name VARCHAR(20))");
        // INSERT first: the SQLite driver takes a statement that starts with WITH for a query.
        Exec("INSERT INTO " + BigTable() + " (id, name) WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c " +
             "WHERE x < " + std::to_string(rows) + ") SELECT x, 'n' || x FROM c");
    }
    std::unique_ptr<TADOQuery> Query(const std::string& sql)
    {
        auto q = std::make_unique<TADOQuery>(nullptr);
        q->SetName("query");
        q->SetConnection(conn_.get());
        q->SQL()->SetText(sql);
        return q;
    }
    std::unique_ptr<TADOConnection> Connect(const std::string& init)
    {
        auto c = std::make_unique<TADOConnection>(nullptr);
        c->SetLoginPrompt(false);
        c->SetConnectionString(init);
        return c;
    }

    Backend backend_;
    std::unique_ptr<TADOConnection> conn_;
};

using Backends = ::testing::Types<SQLite, Postgres, PerValue<SQLite, kSQLitePerValue>,
                                  PerValue<Postgres, kPostgresPerValue>>;
struct BackendNames {
    template <class T>
    static std::string GetName(int) { return T::kName; }
};
TYPED_TEST_SUITE(AdoSuite, Backends, BackendNames);

TYPED_TEST(AdoSuite, OpensAndWalksWithAnExactRecordCount)
{
    auto q = this->Query("SELECT id, name FROM " + Table() + " ORDER BY id");
    q->Open();
    EXPECT_EQ(q->RecordCount(), 3);  // known at once: every row has been read
    std::vector<int> ids;
    for (q->First(); !q->Eof(); q->Next()) ids.push_back(q->FieldByName("ID")->AsInteger());
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3}));
    q->Last();
    EXPECT_EQ(q->RecNo(), 3);
    q->Prior();
    EXPECT_EQ(q->FieldByName("name")->AsString(), kTwentyChars);
    EXPECT_FALSE(q->CanModify());
    EXPECT_THROW(q->Edit(), EDatabaseError);
    q->Close();
    EXPECT_EQ(q->FieldCount(), 0);
    q->SQL()->SetText("SELECT id FROM " + Table() + " WHERE id > 99");
    q->Open();
    EXPECT_TRUE(q->IsEmpty());
    EXPECT_EQ(q->RecordCount(), 0);
}

// A statement led by WITH that changes data runs, or says why it did not: the SQLite driver,
// stepping statements, would otherwise skip it and report success.
TYPED_TEST(AdoSuite, AStatementLedByWithRunsOrSaysWhyNot)
{
    const auto count = [this] {
        auto q = this->Query("SELECT COUNT(*) FROM " + Table() + " WHERE id = 10");
        q->Open();
        return q->Fields().Fields(0)->AsInteger();
    };
    const std::string insert = "  -- the new row\n WITH c(x) AS (SELECT 10) INSERT INTO " + Table() + " (id) SELECT x FROM c";
    if (std::string(TypeParam::kDbmsName) == "SQLite") {
        EXPECT_THROW(this->Exec(insert), EDatabaseError);
        EXPECT_EQ(count(), 0);
        this->Exec("INSERT INTO " + Table() + " (id) WITH c(x) AS (SELECT 10) SELECT x FROM c");
    } else {
        this->Exec(insert);
    }
    EXPECT_EQ(count(), 1);
    // Rows asked for with WITH are a query: nothing refused.
    EXPECT_NO_THROW(this->Exec("WITH c(x) AS (SELECT 1) SELECT x FROM c"));
    EXPECT_NO_THROW(this->Exec("/* WITH */ SELECT 1"));
}

TYPED_TEST(AdoSuite, FieldTypesAndValues)
{
    auto q = this->Query("SELECT * FROM " + Table() + " ORDER BY id");
    q->Open();
    const std::pair<const char*, TFieldType> types[] = {
        {"id", ftInteger},         {"name", ftString},  {"price", TypeParam::kDecimalField},
        {"qty", ftLargeint},       {"born", ftDate},    {"ordered", ftDateTime},
        {"at", ftTime},            {"memo", ftMemo},    {"flag", ftBoolean}};
    ASSERT_EQ(q->FieldCount(), 9);
    for (const auto& [name, type] : types) {
        SCOPED_TRACE(name);
        EXPECT_EQ(q->FieldByName(name)->DataType(), type) << FieldTypeDisplayName(q->FieldByName(name)->DataType());
    }
    EXPECT_EQ(q->FieldByName("name")->Size(), 20);

    // Row 1.
    EXPECT_EQ(q->FieldByName("name")->AsString(), "Zoë Ægir");
    EXPECT_EQ(q->FieldByName("qty")->AsLargeInt(), 9223372036854775807LL);
    EXPECT_EQ(q->FieldByName("qty")->AsString(), "9223372036854775807");
    if (TypeParam::kDecimalField == ftBCD) {
        EXPECT_EQ(q->FieldByName("price")->AsString(), TypeParam::kDecimalValue);
    } else {
        EXPECT_DOUBLE_EQ(q->FieldByName("price")->AsFloat(), 1234.5678);
    }
    EXPECT_EQ(q->FieldByName("born")->AsDateTime(), rtl::EncodeDate(2024, 2, 29));
    EXPECT_NEAR(q->FieldByName("ordered")->AsDateTime(), rtl::EncodeDateTime(2024, 2, 29, 13, 45, 10, 250), 1e-9);
    EXPECT_NEAR(q->FieldByName("at")->AsDateTime(), rtl::EncodeTime(13, 45, 10, 0), 1e-9);
    EXPECT_EQ(q->FieldByName("memo")->AsString(), LongMemo());
    EXPECT_EQ(q->FieldByName("memo")->DisplayText(), "(MEMO)");
    EXPECT_TRUE(q->FieldByName("flag")->AsBoolean());

    // Row 2: extremes and texts of multi-byte characters filling the declared length.
    q->Next();
    EXPECT_EQ(q->FieldByName("name")->AsString(), kTwentyChars);
    EXPECT_EQ(q->FieldByName("qty")->AsLargeInt(), -9223372036854775807LL - 1);
    EXPECT_DOUBLE_EQ(q->FieldByName("price")->AsFloat(), -0.0001);
    EXPECT_EQ(q->FieldByName("born")->AsDateTime(), 0.0);
    EXPECT_EQ(q->FieldByName("memo")->AsString(), "Zeile 1\r\nZeile 2");
    EXPECT_FALSE(q->FieldByName("flag")->AsBoolean());
    EXPECT_FALSE(q->FieldByName("flag")->IsNull());

    // Row 3: every column but the key is null.
    q->Next();
    for (int i = 1; i < q->FieldCount(); ++i) {
        TField* f = q->Fields()[i];
        SCOPED_TRACE(f->FieldName());
        EXPECT_TRUE(f->IsNull());
        EXPECT_EQ(f->AsString(), "");
        EXPECT_EQ(f->AsLargeInt(), 0);
    }
    EXPECT_EQ(q->FieldByName("memo")->DisplayText(), "(Memo)");
    EXPECT_EQ(q->FieldByName("qty")->DisplayText(), "");
}

TYPED_TEST(AdoSuite, DecimalsThatAreNoNumbersSortAndConvertSafely)
{
    if (TypeParam::kDecimalField != ftBCD) GTEST_SKIP() << "no exact decimal type";
    auto q = this->Query("SELECT v FROM (VALUES ('NaN'::numeric), ('Infinity'), (2.5), ('-Infinity'), (-3)) AS t(v)");
    q->Open();
    ASSERT_EQ(q->FieldByName("v")->DataType(), ftBCD);
    q->SetSort("v DESC");
    std::vector<std::string> texts;
    for (q->First(); !q->Eof(); q->Next()) texts.push_back(q->FieldByName("v")->AsString());
    EXPECT_EQ(texts, (std::vector<std::string>{"NaN", "Infinity", "2.5", "-3", "-Infinity"}));
    q->First();
    EXPECT_THROW(q->FieldByName("v")->AsLargeInt(), rtl::EConvertError);
    EXPECT_TRUE(std::isnan(q->FieldByName("v")->AsFloat()));
}

TYPED_TEST(AdoSuite, TextLongerThanItsDeclaredLengthIsKeptWhole)
{
    const std::string longName = "Ein Name mit Ümlauten, der viel länger ist als zwanzig Zeichen";
    if (TypeParam::kEnforcesLengths) {
        EXPECT_THROW(this->Exec("INSERT INTO " + Table() + " (id, name) VALUES (4, '" + longName + "')"), EADOError);
        return;
    }
    this->Exec("INSERT INTO " + Table() + " (id, name) VALUES (4, '" + longName + "')");
    auto q = this->Query("SELECT name FROM " + Table() + " WHERE id = 4");
    q->Open();
    EXPECT_EQ(q->FieldByName("name")->Size(), 20);
    EXPECT_EQ(q->FieldByName("name")->AsString(), longName);
}

// Every backend names a table's indexes, their key fields in order and the primary one; a
// table orders and searches its rows by one of them.
TYPED_TEST(AdoSuite, IndexRowsetAndATableOrderedByAnIndex)
{
    this->Exec("CREATE INDEX " + Table() + "_by_qty ON " + Table() + " (qty, name)");
    TADOTable table(nullptr);
    table.SetConnection(this->conn_.get());
    table.SetTableName(Table());
    table.IndexDefs().Update();
    const int byQty = table.IndexDefs().IndexOf(Table() + "_by_qty");
    ASSERT_GE(byQty, 0);
    EXPECT_EQ(rtl::LowerCase(table.IndexDefs().Items(byQty).fields), "qty;name");
    EXPECT_FALSE(table.IndexDefs().Items(byQty).options.Contains(ixUnique));
    const auto primary = std::find_if(table.IndexDefs().begin(), table.IndexDefs().end(),
                                      [](const TIndexDef& d) { return d.options.Contains(ixPrimary); });
    ASSERT_NE(primary, table.IndexDefs().end());
    EXPECT_EQ(rtl::LowerCase(primary->fields), "id");
    EXPECT_TRUE(primary->options.Contains(ixUnique));

    table.SetIndexName(Table() + "_by_qty");
    table.Open();
    std::vector<int> ids;
    for (table.First(); !table.Eof(); table.Next()) ids.push_back(table.FieldByName("id")->AsInteger());
    EXPECT_EQ(ids, (std::vector<int>{3, 2, 1}));  // a null quantity first, then by value
    EXPECT_TRUE(table.FindKey({TVariant(9223372036854775807LL)}));
    EXPECT_EQ(table.FieldByName("id")->AsInteger(), 1);
}

TYPED_TEST(AdoSuite, SchemaRowsetsAndProviderProperties)
{
    TADODataSet schema(nullptr);
    this->conn_->OpenSchema(siTables, {TVariant(), TVariant(), TVariant(), TVariant("TABLE")}, &schema);
    EXPECT_GT(schema.RecordCount(), 0);
    ASSERT_TRUE(schema.Locate("TABLE_NAME", TVariant(Table()), {loCaseInsensitive}));
    EXPECT_EQ(schema.FieldByName("TABLE_TYPE")->AsString(), "TABLE");
    for (schema.First(); !schema.Eof(); schema.Next()) EXPECT_EQ(schema.FieldByName("TABLE_TYPE")->AsString(), "TABLE");

    this->conn_->OpenSchema(siColumns, {TVariant(), TVariant(), TVariant(Table())}, &schema);
    schema.SetSort("ORDINAL_POSITION ASC");
    std::vector<std::string> names;
    for (schema.First(); !schema.Eof(); schema.Next()) names.push_back(rtl::LowerCase(schema.FieldByName("COLUMN_NAME")->AsString()));
    EXPECT_EQ(names, (std::vector<std::string>{"id", "name", "price", "qty", "born", "ordered", "at", "memo", "flag"}));
    ASSERT_TRUE(schema.Locate("COLUMN_NAME", TVariant("id"), {loCaseInsensitive}));
    EXPECT_EQ(schema.FieldByName("DATA_TYPE")->AsInteger(), adInteger);
    EXPECT_FALSE(schema.FieldByName("IS_NULLABLE")->AsBoolean());
    EXPECT_EQ(schema.FieldByName("ORDINAL_POSITION")->AsInteger(), 1);
    ASSERT_TRUE(schema.Locate("COLUMN_NAME", TVariant("name"), {loCaseInsensitive}));
    EXPECT_EQ(schema.FieldByName("DATA_TYPE")->AsInteger(), adVarChar);
    EXPECT_EQ(schema.FieldByName("CHARACTER_MAXIMUM_LENGTH")->AsInteger(), 20);
    EXPECT_TRUE(schema.FieldByName("IS_NULLABLE")->AsBoolean());
    ASSERT_TRUE(schema.Locate("COLUMN_NAME", TVariant("qty"), {loCaseInsensitive}));
    EXPECT_EQ(schema.FieldByName("DATA_TYPE")->AsInteger(), adBigInt);
    ASSERT_TRUE(schema.Locate("COLUMN_NAME", TVariant("born"), {loCaseInsensitive}));
    EXPECT_EQ(schema.FieldByName("DATA_TYPE")->AsInteger(), adDBDate);

    EXPECT_THROW(this->conn_->OpenSchema(siProviderTypes, {}, &schema), EDatabaseError);
    schema.SetSort("");
    this->conn_->OpenSchema(siProviderTypes, {}, &schema);
    EXPECT_GT(schema.RecordCount(), 3);
    schema.SetFilterText("DATA_TYPE = 3 OR DATA_TYPE = 20");
    schema.SetFiltered(true);
    EXPECT_GT(schema.RecordCount(), 0);
    for (schema.First(); !schema.Eof(); schema.Next()) {
        const int type = schema.FieldByName("DATA_TYPE")->AsInteger();
        EXPECT_TRUE(type == 3 || type == 20) << type;
        EXPECT_FALSE(schema.FieldByName("TYPE_NAME")->AsString().empty());
    }
    schema.SetFiltered(false);

    this->conn_->OpenSchema(siDBInfoLiterals, {}, &schema);
    ASSERT_TRUE(schema.Locate("LiteralName", TVariant("QUOTE")));
    EXPECT_EQ(schema.FieldByName("LiteralValue")->AsString(), "\"");

    EXPECT_EQ(this->conn_->PropertyValue("dbms name").AsString(), TypeParam::kDbmsName);
    EXPECT_FALSE(this->conn_->PropertyValue("Special Characters").IsNull());
    EXPECT_EQ(this->conn_->PropertyValue("Provider Name").AsString(), "MSDASQL.1");
    EXPECT_EQ(this->conn_->Provider(), "MSDASQL.1");
    EXPECT_TRUE(this->conn_->PropertyValue("No Such Property").IsNull());
}

TYPED_TEST(AdoSuite, TableListsItsFieldDefinitionsWithoutOpening)
{
    TADOTable table(nullptr);
    table.SetConnection(this->conn_.get());
    table.SetTableName(Table());
    table.FieldDefs().Update();
    EXPECT_FALSE(table.Active());
    ASSERT_EQ(table.FieldDefs().Count(), 9);
    EXPECT_EQ(table.FieldDefs().Items(3).DataType(), ftLargeint);
    EXPECT_EQ(table.FieldDefs().Find("name").Size(), 20);
    table.Open();
    EXPECT_EQ(table.RecordCount(), 3);
}

TYPED_TEST(AdoSuite, BadSqlFailsWithTheDriversMessage)
{
    auto q = this->Query("SELECT * FROM gwdb_no_such_table");
    try {
        q->Open();
        FAIL() << "opened";
    } catch (const EADOError& e) {
        EXPECT_NE(e.Message().find("gwdb_no_such_table"), std::string::npos) << e.Message();
        EXPECT_FALSE(e.Records().empty());
        EXPECT_FALSE(e.ConnectionLost());
    }
    EXPECT_FALSE(q->Active());
    q->SQL()->SetText("SELEKT 1");
    EXPECT_THROW(q->Open(), EADOError);
    // The connection goes on serving.
    q->SQL()->SetText("SELECT count(*) AS n FROM " + Table());
    q->Open();
    EXPECT_EQ(q->FieldByName("n")->AsInteger(), 3);
}

TYPED_TEST(AdoSuite, AnOpenThatFailsAfterTheStatementRanRunsItAgainNextTime)
{
    // A persistent field that the result lacks fails the open after the rows were read.
    auto q = this->Query("SELECT id FROM " + Table() + " WHERE id = 1");
    auto* total = new TLargeintField(q.get());
    total->SetFieldName("total");
    total->SetDataSet(q.get());
    EXPECT_THROW(q->Open(), EDatabaseError);
    EXPECT_FALSE(q->Active());

    q->SQL()->SetText("SELECT qty AS total FROM " + Table() + " WHERE id = 1");
    q->Open();
    EXPECT_EQ(q->RecordCount(), 1);
    EXPECT_EQ(total->AsLargeInt(), 9223372036854775807LL);
}

TYPED_TEST(AdoSuite, AMissingDatabaseDoesNotOpen)
{
    auto c = this->Connect(this->backend_.MissingDatabase());
    try {
        c->Open();
        FAIL() << "opened";
    } catch (const EADOError& e) {
        EXPECT_FALSE(e.Message().empty());
    }
    EXPECT_FALSE(c->Connected());
    if (!this->backend_.MissingDatabaseFile().empty()) {
        EXPECT_FALSE(rtl::FileExists(this->backend_.MissingDatabaseFile()));  // and none is made
    }
}

TYPED_TEST(AdoSuite, ARefusedLoginSaysWhy)
{
    if (!TypeParam::kHasLogins) GTEST_SKIP() << "SQLite has no user accounts: its driver ignores user and password";
    auto c = this->Connect(this->backend_.InitString("wrong password"));
    try {
        c->Open();
        FAIL() << "opened";
    } catch (const EADOError& e) {
        EXPECT_NE(e.Message().find("password authentication failed"), std::string::npos) << e.Message();
    }
    EXPECT_FALSE(c->Connected());
    // The same string opens with the right password supplied to Open.
    c->Open("gridweaver", "gridweaver");
    EXPECT_TRUE(c->Connected());
}

TYPED_TEST(AdoSuite, BeforeConnectEventCancelsOrSuppliesTheLogin)
{
    auto c = this->Connect(this->backend_.WithoutPassword());
    int calls = 0;
    c->OnWillConnect = [&](TADOConnection*, std::string& init, std::string& user, std::string& password,
                           TConnectOption&, TEventStatus& status) {
        ++calls;
        EXPECT_NE(init.find("MSDASQL"), std::string::npos);
        if (calls == 1) {
            status = esCancel;
        } else {
            user = "gridweaver";
            password = "gridweaver";
        }
    };
    try {
        c->Open();
        FAIL() << "opened";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(rtl::UpperCase(e.Message()).find("CANCELLED BY THE USER"), std::string::npos) << e.Message();
    }
    EXPECT_FALSE(c->Connected());
    c->Open();
    EXPECT_TRUE(c->Connected());
    EXPECT_EQ(calls, 2);
}

TYPED_TEST(AdoSuite, LoginPromptAsksTheInstalledDialog)
{
    auto c = this->Connect(this->backend_.WithoutPassword());
    c->SetLoginPrompt(true);
    bool answer = false;
    TADOConnection::SetLoginDialogProc([&](const std::string&, std::string& user, std::string& password) {
        EXPECT_EQ(user, TypeParam::kHasLogins ? "gridweaver" : "");  // prefilled from the string
        password = "gridweaver";
        return answer;
    });
    try {
        EXPECT_THROW(c->Open(), EDatabaseError);
        EXPECT_FALSE(c->Connected());
        answer = true;
        c->Open();
        EXPECT_TRUE(c->Connected());
    } catch (...) {
        TADOConnection::SetLoginDialogProc(nullptr);
        throw;
    }
    TADOConnection::SetLoginDialogProc(nullptr);
}

TYPED_TEST(AdoSuite, OpensThroughADataLinkFile)
{
    QTemporaryDir dir;
    const std::string udl = dir.path().toStdString() + "/Test Link.udl";
    ASSERT_EQ(WriteStringToStorage(udl, this->backend_.InitString(), CREATE_NEW), S_OK);
    auto c = this->Connect("FILE NAME=" + udl);
    c->Open();
    EXPECT_TRUE(c->Connected());
    EXPECT_EQ(c->Provider(), "MSDASQL.1");
    auto missing = this->Connect("FILE NAME=" + dir.path().toStdString() + "/absent.udl");
    try {
        missing->Open();
        FAIL() << "opened";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(e.Message().find("absent.udl"), std::string::npos) << e.Message();
    }
}

TYPED_TEST(AdoSuite, ClosingTheConnectionClosesItsQueries)
{
    auto q = this->Query("SELECT id FROM " + Table());
    q->Open();
    EXPECT_EQ(this->conn_->DataSetCount(), 1);
    this->conn_->Close();
    EXPECT_FALSE(q->Active());
    q->Open();  // reconnects
    EXPECT_TRUE(this->conn_->Connected());
    EXPECT_EQ(q->RecordCount(), 3);
}

// ---- Reading a large result as it is wanted ------------------------------------------------

constexpr int kManyRows = 3000;

// The open reads the first rows only; whatever needs more reads on, and every answer is what
// it would be had the open read every row.
TYPED_TEST(AdoSuite, RowsPastTheFirstReadAreReadWhenWanted)
{
    this->MakeBigTable(kManyRows);
    struct Case {
        const char* what;
        std::function<void(TADOQuery&)> act;
        int recNo;  // of the current record afterwards; its id is the same but for the sort
        int id;
        int count;
    } cases[] = {
        {"RecordCount", [](TADOQuery& q) { EXPECT_EQ(q.RecordCount(), kManyRows); }, 1, 1, kManyRows},
        {"Last", [](TADOQuery& q) { q.Last(); }, kManyRows, kManyRows, kManyRows},
        {"Locate past the first rows", [](TADOQuery& q) { EXPECT_TRUE(q.Locate("id", TVariant(2500))); }, 2500,
         2500, kManyRows},
        {"Locate of a key no row holds", [](TADOQuery& q) { EXPECT_FALSE(q.Locate("id", TVariant(kManyRows + 1))); },
         1, 1, kManyRows},
        {"RecNo past the first rows", [](TADOQuery& q) { q.SetRecNo(2222); }, 2222, 2222, kManyRows},
        {"MoveBy to the last row", [](TADOQuery& q) { EXPECT_EQ(q.MoveBy(kManyRows + 5), kManyRows - 1); },
         kManyRows, kManyRows, kManyRows},
        {"Next to the end",
         [](TADOQuery& q) {
             int walked = 1;
             for (q.Next(); !q.Eof(); q.Next()) ++walked;
             EXPECT_EQ(walked, kManyRows);
         },
         kManyRows, kManyRows, kManyRows},
        {"a filter",
         [](TADOQuery& q) {
             q.SetFilterText("id > 2990");
             q.SetFiltered(true);
         },
         1, 2991, 10},
        {"a sort", [](TADOQuery& q) { q.SetSort("id DESC"); }, 1, kManyRows, kManyRows},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto q = this->Query("SELECT id, name FROM " + BigTable() + " ORDER BY id");
        q->Open();
        EXPECT_FALSE(q->AllRowsRead());
        EXPECT_GT(q->RecordsRead(), 0);
        EXPECT_LT(q->RecordsRead(), kManyRows);
        c.act(*q);
        EXPECT_EQ(q->RecNo(), c.recNo);
        EXPECT_EQ(q->FieldByName("id")->AsInteger(), c.id);
        EXPECT_EQ(q->FieldByName("name")->AsString(), "n" + std::to_string(c.id));
        EXPECT_EQ(q->RecordCount(), c.count);
        EXPECT_TRUE(q->AllRowsRead());
        q->CheckConsistency();
    }
}

// Reading on in the background: the rows come a part at a time, the data-aware controls hear
// of each part, and the current record stays where it was.
TYPED_TEST(AdoSuite, ReadingMoreRowsTellsTheControlsAndKeepsTheCurrentRecord)
{
    struct TCountLink : TDataLink {
        int notices = 0;
        void RecordCountChanged() override { ++notices; }
    };
    this->MakeBigTable(kManyRows);
    auto q = this->Query("SELECT id, name FROM " + BigTable() + " ORDER BY id");
    TDataSource source(nullptr);
    source.SetDataSet(q.get());
    TCountLink link;
    link.SetBufferCount(20);
    link.SetDataSource(&source);
    q->Open();
    q->MoveBy(5);
    const int before = q->RecordsRead();
    q->ReadMoreRows(500);
    EXPECT_GE(q->RecordsRead(), before + 500);
    EXPECT_LT(q->RecordsRead(), kManyRows);
    EXPECT_FALSE(q->AllRowsRead());
    EXPECT_EQ(link.notices, 1);
    EXPECT_EQ(q->RecNo(), 6);
    EXPECT_EQ(q->FieldByName("id")->AsInteger(), 6);
    q->CheckConsistency();

    q->ReadMoreRows(kManyRows);
    EXPECT_TRUE(q->AllRowsRead());
    EXPECT_EQ(q->RecordsRead(), kManyRows);
    EXPECT_EQ(link.notices, 2);
    q->ReadMoreRows(1);  // nothing left: no notice
    EXPECT_EQ(link.notices, 2);
    EXPECT_EQ(q->RecNo(), 6);
    q->CheckConsistency();
}

// Two queries walked in turn on one connection, while each reads its next rows ahead, and the
// connection asked about itself between their steps: every row of both, in order, once.
TYPED_TEST(AdoSuite, QueriesReadingAheadShareTheirConnection)
{
    this->MakeBigTable(kManyRows);
    auto a = this->Query("SELECT id FROM " + BigTable() + " ORDER BY id");
    auto b = this->Query("SELECT id FROM " + BigTable() + " ORDER BY id DESC");
    a->Open();
    b->Open();
    int steps = 0;
    for (a->First(), b->First(); !a->Eof() || !b->Eof(); ++steps) {
        if (!a->Eof()) {
            ASSERT_EQ(a->FieldByName("id")->AsInteger(), steps + 1);
            a->Next();
        }
        if (!b->Eof()) {
            ASSERT_EQ(b->FieldByName("id")->AsInteger(), kManyRows - steps);
            b->Next();
        }
        if (steps % 700 == 0) {
            EXPECT_FALSE(this->conn_->OdbcConnection().InfoText(SQL_DBMS_NAME).empty());
        }
    }
    EXPECT_EQ(steps, kManyRows);
    EXPECT_EQ(a->RecordCount(), kManyRows);
    EXPECT_EQ(b->RecordCount(), kManyRows);
    a->CheckConsistency();
    b->CheckConsistency();
}

// A read after the open that fails says why, every time the failure is met; the rows read
// before it stay and can be browsed, the result ends with them, and the query opens again.
TYPED_TEST(AdoSuite, AFailedLaterReadIsReportedAndTheQueryStaysUsable)
{
    this->MakeBigTable(kManyRows);
    const std::string plain = "SELECT id, name FROM " + BigTable() + " ORDER BY id";
    struct Case {
        const char* what;
        std::string sql;  // empty: the backend cannot fail this way
        std::function<void(TADOConnection&)> between;
        const char* message;
    } cases[] = {
        {"a value the database cannot compute",
         TypeParam::kFailsPast2000 == nullptr
             ? std::string()
             : "SELECT id, " + std::string(TypeParam::kFailsPast2000) + " AS v FROM " + BigTable() + " ORDER BY id",
         [](TADOConnection&) {}, "integer overflow"},
        {"the connection closed under the query", plain, [](TADOConnection& c) { c.OdbcConnection().Disconnect(); },
         "connection is closed"},
        {"the connection opened anew under the query", plain,
         [](TADOConnection& c) {
             c.OdbcConnection().Disconnect();
             c.Open();
         },
         "connection was lost"},
    };
    for (const Case& c : cases) {
        if (c.sql.empty()) continue;
        SCOPED_TRACE(c.what);
        auto q = this->Query(c.sql);
        q->Open();
        ASSERT_FALSE(q->AllRowsRead());
        const int read = q->RecordsRead();
        c.between(*this->conn_);
        try {
            q->Last();
            ADD_FAILURE() << "the rest was read";
        } catch (const EDatabaseError& e) {
            EXPECT_NE(e.Message().find(c.message), std::string::npos) << e.Message();
        }
        EXPECT_TRUE(q->Active());
        EXPECT_TRUE(q->AllRowsRead());
        // The rows held: those read at the open, and the next part when it was read ahead
        // before the failure.
        const int held = q->RecordCount();
        EXPECT_TRUE(held == read || held == 2 * read) << held;
        q->First();
        EXPECT_EQ(q->FieldByName("id")->AsInteger(), 1);
        q->Last();
        EXPECT_EQ(q->RecNo(), held);
        EXPECT_EQ(q->FieldByName("id")->AsInteger(), held);
        q->CheckConsistency();
        q->Close();
        if (!this->conn_->Connected()) this->conn_->Open();
        q->SQL()->SetText(plain);
        q->Open();
        EXPECT_EQ(q->RecordCount(), kManyRows);
    }
}

// ---- Fetching: both paths give the same values, whole ----------------------------------------

// The path a result of texts takes: blocks where the driver reads a row of a block with
// SQLGetData, bound rows where it cannot, SQLGetData alone when bound fetches are refused.
TYPED_TEST(AdoSuite, ResultsAreReadOnTheExpectedPath)
{
    auto q = this->Query("SELECT id, name, qty, born FROM " + Table() + " ORDER BY id");
    q->Open();
    EXPECT_EQ(LastFetchPath(), TypeParam::kBoundFetch ? TypeParam::kTextFetchPath : TFetchPath::PerValue);
    auto numbers = this->Query("SELECT id, qty, born FROM " + Table() + " ORDER BY id");
    numbers->Open();  // nothing can come back truncated: blocks on every driver
    EXPECT_EQ(LastFetchPath(), TypeParam::kBoundFetch ? TFetchPath::Block : TFetchPath::PerValue);
    EXPECT_EQ(numbers->RecordCount(), 3);
}

TYPED_TEST(AdoSuite, ValuesLongerThanTheirBoundBufferAreReadWhole)
{
    // Longer than any buffer sized from a declared length: SQLite does not enforce VARCHAR(20);
    // PostgreSQL's unconstrained VARCHAR and NUMERIC are described with a size of their own.
    std::string longText;
    for (int i = 0; longText.size() < 3000; ++i) longText += "äöü😀 " + std::to_string(i) + " ";
    std::string digits;
    for (int i = 0; i < 60; ++i) digits += static_cast<char>('1' + i % 9);
    const std::string bigDecimal = digits + "." + digits.substr(0, 20);
    std::string sql;
    if (TypeParam::kEnforcesLengths) {
        sql = "SELECT CAST('" + longText + "' AS VARCHAR) AS v, CAST('" + bigDecimal + "' AS NUMERIC) AS d";
    } else {
        this->Exec("INSERT INTO " + Table() + " (id, name) VALUES (4, '" + longText + "')");
        sql = "SELECT name AS v FROM " + Table() + " WHERE id = 4";
    }
    auto q = this->Query(sql);
    q->Open();
    EXPECT_EQ(q->FieldByName("v")->AsString(), longText);
    if (TypeParam::kEnforcesLengths) {
        EXPECT_EQ(q->FieldByName("d")->DataType(), ftBCD);
        EXPECT_EQ(q->FieldByName("d")->AsString(), bigDecimal);
    }
}

TYPED_TEST(AdoSuite, DecimalsOfThirtyEightDigitsStayExact)
{
    if (TypeParam::kDecimalField != ftBCD) GTEST_SKIP() << "no exact decimal type";
    const std::vector<std::string> values{"99999999999999999999999999999999999999", "-12345678901234567890123456789.012345678",
                                          "0.00000000000000000000000000000000000001", "0.00"};
    auto q = this->Query("SELECT CAST('" + values[0] + "' AS NUMERIC(38,0)) AS a, CAST('" + values[1] +
                         "' AS NUMERIC(38,9)) AS b, CAST('" + values[2] + "' AS NUMERIC(38,38)) AS c, CAST(0 AS "
                         "NUMERIC(38,2)) AS z, CAST(NULL AS NUMERIC(38,10)) AS n");
    q->Open();
    EXPECT_EQ(q->FieldByName("a")->AsString(), values[0]);
    EXPECT_EQ(q->FieldByName("b")->AsString(), values[1]);
    EXPECT_EQ(q->FieldByName("c")->AsString(), values[2]);
    EXPECT_EQ(q->FieldByName("z")->AsString(), values[3]);
    EXPECT_TRUE(q->FieldByName("n")->IsNull());
    for (const char* name : {"a", "b", "c", "z", "n"}) EXPECT_EQ(q->FieldByName(name)->DataType(), ftBCD) << name;
}

// A null in a column of every type, between rows that hold values, on both paths.
TYPED_TEST(AdoSuite, NullsInEveryColumnType)
{
    const std::string t = Table() + "_n";
    this->Exec("DROP TABLE IF EXISTS " + t);
    this->Exec("CREATE TABLE " + t + " (id INTEGER NOT NULL, i INTEGER, s SMALLINT, l BIGINT, v VARCHAR(10), " +
               "m TEXT, d " + TypeParam::kDecimalType + ", f DOUBLE PRECISION, dt DATE, tm TIME, ts TIMESTAMP, " +
               "b BOOLEAN, bin " + TypeParam::kBinaryType + ")");
    const std::string bytes = TypeParam::kEnforcesLengths ? "'\\x00ff41'::bytea" : "X'00FF41'";
    const std::string full = "7, -5, 9223372036854775807, 'x', 'memo', 1.5, 2.25, '2024-01-31', '23:59:59', "
                             "'2024-01-31 23:59:59', true, " + bytes;
    for (int id = 1; id <= 5; ++id) {
        if (id % 2 == 0)
            this->Exec("INSERT INTO " + t + " (id) VALUES (" + std::to_string(id) + ")");
        else
            this->Exec("INSERT INTO " + t + " VALUES (" + std::to_string(id) + ", " + full + ")");
    }
    auto q = this->Query("SELECT * FROM " + t + " ORDER BY id");
    q->Open();
    ASSERT_EQ(q->RecordCount(), 5);
    for (q->First(); !q->Eof(); q->Next()) {
        const bool nulls = q->FieldByName("id")->AsInteger() % 2 == 0;
        for (int i = 1; i < q->FieldCount(); ++i) {
            TField* f = q->Fields()[i];
            SCOPED_TRACE(f->FieldName() + " in row " + q->FieldByName("id")->AsString());
            EXPECT_EQ(f->IsNull(), nulls);
        }
        if (nulls) continue;
        EXPECT_EQ(q->FieldByName("l")->AsLargeInt(), 9223372036854775807LL);
        EXPECT_EQ(q->FieldByName("s")->AsInteger(), -5);
        EXPECT_EQ(q->FieldByName("m")->AsString(), "memo");
        EXPECT_EQ(q->FieldByName("tm")->AsDateTime(), rtl::EncodeTime(23, 59, 59, 0));
        EXPECT_EQ(q->FieldByName("bin")->AsString(), std::string("\0\xff" "A", 3));
        EXPECT_TRUE(q->FieldByName("b")->AsBoolean());
    }
    this->Exec("DROP TABLE " + t);
}

// Several blocks of rows with nulls, extremes, long values and multi-byte text scattered over
// them: the bound path and the SQLGetData path read the very same values.
TYPED_TEST(AdoSuite, BoundAndPerValueFetchesGiveTheSameRows)
{
    if (!TypeParam::kBoundFetch) GTEST_SKIP() << "compares against the bound path";
    const std::string t = Table() + "_many";
    this->Exec("DROP TABLE IF EXISTS " + t);
    this->Exec("CREATE TABLE " + t + " (id INTEGER NOT NULL, name VARCHAR(12), qty BIGINT, price " +
               TypeParam::kDecimalType + ", at TIMESTAMP, memo TEXT)");
    std::string insert;
    const auto flush = [&] {
        if (insert.empty()) return;
        this->Exec("INSERT INTO " + t + " VALUES " + insert);
        insert.clear();
    };
    for (int i = 1; i <= 2600; ++i) {
        std::string name = i % 97 == 0 ? "NULL" : "'Zoë " + std::to_string(i) + "'";
        if (i % 501 == 0 && !TypeParam::kEnforcesLengths) name = "'" + std::string(700, 'w') + "😀'";
        const std::string qty = i % 89 == 0   ? "NULL"
                                : i % 2 == 0 ? std::to_string(9223372036854775807LL - i)
                                             : "-9223372036854775807 - 1 + " + std::to_string(i);
        // Memos around and past a bound first piece too, a two-byte character across its end.
        const std::size_t memoLength = i % 37 == 0 ? 508 + i % 6 : i % 41 == 0 ? 3000 : static_cast<std::size_t>(i % 300);
        const std::string memo = i % 13 == 0 ? "NULL" : "'" + std::string(memoLength, 'm') + "ä'";
        if (!insert.empty()) insert += ", ";
        insert += "(" + std::to_string(i) + ", " + name + ", " + qty + ", " + (i % 7 == 0 ? "NULL" : "1.25") +
                  ", '2024-03-" + std::to_string(1 + i % 28) + " 10:11:12', " + memo + ")";
        if (i % 200 == 0) flush();
    }
    flush();
    const auto read = [&](bool bound) {
        SetBoundFetchAllowed(bound);
        auto q = this->Query("SELECT * FROM " + t + " ORDER BY id");
        q->Open();
        const TFetchPath path = LastFetchPath();
        std::vector<std::string> values;
        for (q->First(); !q->Eof(); q->Next())
            for (TField* f : q->Fields()) values.push_back(f->IsNull() ? "<null>" : f->AsString());
        SetBoundFetchAllowed(true);
        return std::make_pair(path, values);
    };
    const auto [boundPath, bound] = read(true);
    const auto [perValuePath, perValue] = read(false);
    EXPECT_EQ(boundPath, TypeParam::kTextFetchPath);
    EXPECT_EQ(perValuePath, TFetchPath::PerValue);
    ASSERT_EQ(bound.size(), 2600u * 6);
    EXPECT_TRUE(bound == perValue);
    EXPECT_EQ(bound[6 * 1 + 2], std::to_string(9223372036854775807LL - 2));
    EXPECT_EQ(bound[6 * 0 + 2], std::to_string(-9223372036854775807LL));
    this->Exec("DROP TABLE " + t);
}

// Bound numbers and dates may come as text and be converted here; whatever the text, the value
// must be the one the driver's own conversion gives (the per-value path asks the driver for
// the typed value). SQLite keeps any text it is given, so it also gets forms that are left to
// the driver: signs, blanks, short fields, a "T", more than nine digits of a second.
TYPED_TEST(AdoSuite, NumbersAndDatesReadAsTextMatchTheDriversConversion)
{
    if (!TypeParam::kBoundFetch) GTEST_SKIP() << "compares against the bound path";
    const std::string t = Table() + "_texts";
    this->Exec("DROP TABLE IF EXISTS " + t);
    this->Exec("CREATE TABLE " + t +
               " (id INTEGER NOT NULL, n BIGINT, f DOUBLE PRECISION, d DATE, tm TIME, ts TIMESTAMP, label VARCHAR(8))");
    // n, f, d, tm, ts, label
    std::vector<std::string> rows = {
        "0, 0, '2024-02-29', '00:00:00', '2024-02-29 13:45:10', 'a'",
        "9223372036854775807, -0.5, '0001-01-01', '23:59:59', '2024-03-01 10:11:12.5', 'b'",
        "-9223372036854775807 - 1, 1e300, '9999-12-31', '12:00:00', '2024-03-01 23:59:59.9996', 'c'",
        "42, 2.2250738585072014e-308, '1899-12-30', '01:02:03', '0001-01-01 00:00:00', 'd'",
        "-7, 0.1, '1970-01-01', '13:14:15', '9999-12-31 23:59:59', NULL",
        "NULL, NULL, NULL, NULL, NULL, 'f'",
        "1, 123456.789, '2000-01-01', '00:00:01', '2024-03-01 10:11:12.123456', 'g'",
        "-1, -1.5e-10, '2024-12-31', '12:34:56', '1850-07-14 18:45:00.001', 'h'",
    };
    if (!TypeParam::kEnforcesLengths) {
        rows.push_back("'007', '+1.5', '2024-3-1', '1:02:03', '2024-03-01', 'i'");
        rows.push_back("' 12', ' 2.5', '2024-03-01 10:11:12', '01:02:03.5', '2024-03-01T10:11:12', 'j'");
        rows.push_back("'+5', '1e5', '20240301', '010203', '2024-03-01 10:11:12.1234567891', 'k'");
        rows.push_back("'1.5', '1E-3', '2024-03-01', '23:59:59', '2024-03-01 10:11', 'l'");
        rows.push_back("'-0', '-0', '2024-03-01', '12:00:00', '2024-3-01 1:02:03', 'm'");
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        this->Exec("INSERT INTO " + t + " VALUES (" + std::to_string(i + 1) + ", " + rows[i] + ")");
    const auto read = [&](bool bound) {
        SetBoundFetchAllowed(bound);
        auto q = this->Query("SELECT id, n, f, d, tm, ts, label FROM " + t + " ORDER BY id");
        q->Open();
        std::vector<TVariant> values;
        for (q->First(); !q->Eof(); q->Next())
            for (TField* f : q->Fields()) values.push_back(f->Value());
        SetBoundFetchAllowed(true);
        return std::make_pair(LastFetchPath(), values);
    };
    const auto [boundPath, bound] = read(true);
    const auto [perValuePath, perValue] = read(false);
    EXPECT_EQ(boundPath, TypeParam::kTextFetchPath);
    EXPECT_EQ(perValuePath, TFetchPath::PerValue);
    ASSERT_EQ(bound.size(), rows.size() * 7);
    ASSERT_EQ(perValue.size(), bound.size());
    for (std::size_t i = 0; i < bound.size(); ++i)
        EXPECT_TRUE(bound[i] == perValue[i]) << "row " << i / 7 + 1 << " column " << i % 7 << ": "
                                             << bound[i].AsString() << " against " << perValue[i].AsString();
    if (TypeParam::kEnforcesLengths) {
        // The server writes these in forms left to the driver: a zone, a fraction of a time.
        const auto readZoned = [&](bool bound) {
            SetBoundFetchAllowed(bound);
            auto q = this->Query("SELECT id, CAST('2024-03-01 10:11:12.5+02' AS TIMESTAMPTZ) AS tz, "
                                 "CAST('10:11:12.5' AS TIME) AS tf, label FROM " + t + " ORDER BY id");
            q->Open();
            std::vector<TVariant> values;
            for (q->First(); !q->Eof(); q->Next())
                for (TField* f : q->Fields()) values.push_back(f->Value());
            SetBoundFetchAllowed(true);
            return values;
        };
        const std::vector<TVariant> zonedBound = readZoned(true);
        EXPECT_EQ(LastFetchPath(), TypeParam::kTextFetchPath);
        const std::vector<TVariant> zonedPerValue = readZoned(false);
        ASSERT_EQ(zonedBound.size(), rows.size() * 4);
        for (std::size_t i = 0; i < zonedBound.size(); ++i)
            EXPECT_TRUE(zonedBound[i] == zonedPerValue[i]) << i << ": " << zonedBound[i].AsString() << " against "
                                                           << zonedPerValue[i].AsString();
    }
    EXPECT_EQ(bound[7 * 2 + 1].AsInt64(), -9223372036854775807LL - 1);
    EXPECT_EQ(bound[7 * 2 + 2].AsFloat(), 1e300);
    EXPECT_EQ(rtl::FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", bound[7 * 2 + 5].AsDateTime()), "2024-03-02 00:00:00.000");
    EXPECT_EQ(rtl::FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", bound[7 * 6 + 5].AsDateTime()), "2024-03-01 10:11:12.123");
    this->Exec("DROP TABLE " + t);
}

// ---- Reading forward only ---------------------------------------------------------------------

// The forward reading of a statement shows the fields and values the query shows, every type,
// null and long value included.
TYPED_TEST(AdoSuite, AForwardReadingShowsWhatTheQueryShows)
{
    const std::string sql = "SELECT * FROM " + Table() + " ORDER BY id";
    auto q = this->Query(sql);
    q->Open();
    TForwardQuery forward(nullptr);
    forward.SetConnection(this->conn_.get());
    forward.SQL()->SetText(sql);
    forward.Open();
    ASSERT_EQ(forward.FieldCount(), q->FieldCount());
    for (int i = 0; i < q->FieldCount(); ++i) {
        EXPECT_EQ(forward.Fields()[i]->FieldName(), q->Fields()[i]->FieldName());
        EXPECT_EQ(forward.Fields()[i]->DataType(), q->Fields()[i]->DataType()) << q->Fields()[i]->FieldName();
        EXPECT_EQ(forward.Fields()[i]->Size(), q->Fields()[i]->Size()) << q->Fields()[i]->FieldName();
    }
    EXPECT_EQ(forward.RecordCount(), -1);  // not before the end
    int rows = 0;
    for (q->First(), forward.First(); !q->Eof(); q->Next(), forward.Next(), ++rows) {
        ASSERT_FALSE(forward.Eof());
        for (int i = 0; i < q->FieldCount(); ++i)
            EXPECT_TRUE(forward.Fields()[i]->Value() == q->Fields()[i]->Value())
                << "row " << rows + 1 << " " << q->Fields()[i]->FieldName() << ": " << forward.Fields()[i]->AsString();
    }
    EXPECT_TRUE(forward.Eof());
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(forward.CountRecords(), 3);
}

// However long the result, the reading holds one step of rows; First after the first step has
// gone runs the statement again; the count comes from the server, or where the statement cannot
// stand inside another, from a second reading.
TYPED_TEST(AdoSuite, AForwardReadingHoldsOneStepOfRows)
{
    const int total = static_cast<int>(TForwardQuery::RowsPerRead) * 2 + 452;
    TForwardQuery forward(nullptr);
    forward.SetConnection(this->conn_.get());
    // A trailing comment and semicolon: the count's statement must end the comment's line.
    forward.SQL()->SetText("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                           std::to_string(total) + ")\r\nSELECT i AS id FROM n ORDER BY i -- every row\r\n;");
    forward.Open();
    for (int pass = 1; pass <= 2; ++pass) {
        SCOPED_TRACE(pass);
        int expected = 1;
        std::size_t mostHeld = 0;
        for (forward.First(); !forward.Eof(); forward.Next(), ++expected) {
            ASSERT_EQ(forward.FieldByName("id")->AsInteger(), expected);
            mostHeld = std::max(mostHeld, forward.RowsHeld());
        }
        EXPECT_EQ(expected - 1, total);
        EXPECT_LE(mostHeld, TForwardQuery::RowsPerRead);
        EXPECT_GT(mostHeld, 0u);
    }
    EXPECT_EQ(forward.CountRecords(), total);
    EXPECT_THROW(forward.Prior(), EDatabaseError) << "a forward reading cannot go back";
    EXPECT_THROW(forward.Last(), EDatabaseError);

    TForwardQuery listing(nullptr);
    listing.SetConnection(this->conn_.get());
    listing.SQL()->SetText(TypeParam::Unwrappable());
    listing.Open();
    int walked = 0;
    for (; !listing.Eof(); listing.Next()) ++walked;
    EXPECT_GT(walked, 0);
    EXPECT_EQ(listing.CountRecords(), walked);
}

// ---- PostgreSQL only: a connection that the server drops -----------------------------------

TEST(AdoPostgres, ALostConnectionSaysSoAndReconnects)
{
    Postgres pg;
    if (const auto reason = pg.Available()) GTEST_SKIP() << "PostgreSQL tests skipped: " << *reason;
    TADOConnection conn(nullptr);
    conn.SetLoginPrompt(false);
    conn.SetConnectionString(pg.InitString());
    conn.Open();
    const std::string pid = std::to_string(dbtest::BackendPid(conn));

    TADOConnection killer(nullptr);
    killer.SetLoginPrompt(false);
    killer.SetConnectionString(pg.InitString());
    TADOQuery kill(nullptr);
    kill.SetConnection(&killer);
    kill.SQL()->SetText("SELECT pg_terminate_backend(" + pid + ") AS done");
    kill.Open();
    ASSERT_TRUE(kill.FieldByName("done")->AsBoolean());

    TADOQuery q(nullptr);
    q.SetConnection(&conn);
    q.SQL()->SetText("SELECT 1 AS one");
    try {
        q.Open();
        FAIL() << "opened on a dropped connection";
    } catch (const EADOError& e) {
        EXPECT_TRUE(e.ConnectionLost()) << e.Message() << " [" << e.SqlState() << "]";
        EXPECT_EQ(e.Message().rfind("The connection to the database was lost.", 0), 0u) << e.Message();
    }
    EXPECT_FALSE(conn.Connected());
    q.Open();  // the next open connects again
    EXPECT_EQ(q.FieldByName("one")->AsInteger(), 1);
}

}  // namespace
