// The query data set against SQLite and the PostgreSQL test server (skipped without it): the
// same cases on both, each database with its own expected field types.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "OdbcTestSupport.h"
#include "odbc/Query.h"
#include "odbc/SqlError.h"
#include "platform/db/Fields.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Bitmap.h"

namespace {

using namespace odbc;
using db::TVariant;

class QueryTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (Pg()) {
            const auto port = odbctest::PostgresPort();
            if (!port) GTEST_SKIP() << "no PostgreSQL test server (GW_PG_PORT unset or not listening)";
            odbctest::UsePostgres(database_, *port);
            // Booleans as booleans, not as "1"/"0" texts.
            database_.Params()->Add("BoolsAsChar=0");
        } else {
            odbctest::UseSqlite(database_, dir_.File("query.db"));
        }
        database_.Connect();
    }
    void TearDown() override
    {
        for (const std::string& table : tables_) odbctest::ExecRaw(database_, "DROP TABLE " + table);
    }

    bool Pg() const { return GetParam() == "pg"; }
    // A table name of this process (the server is shared by concurrent test runs).
    std::string Table(const std::string& base)
    {
        const std::string name = Pg() ? base + "_" + std::to_string(getpid()) : base;
        if (Pg()) odbctest::ExecRaw(database_, "DROP TABLE IF EXISTS " + name);
        tables_.push_back(name);
        return name;
    }
    void Exec(const std::string& sql)
    {
        const SQLRETURN r = odbctest::ExecRaw(database_, sql);
        ASSERT_TRUE(r == SQL_SUCCESS || r == SQL_SUCCESS_WITH_INFO) << sql.substr(0, 200) << " gave " << r;
    }
    void SetSql(TdbCustomQuery& query, const std::string& sql)
    {
        query.SQL()->Clear();
        query.SQL()->Add(sql);
    }
    // A table of ids and names holding 1 "one" and 2 "two"; `constraint` follows the name column.
    std::string IdsAndNamesTable(const std::string& base, const std::string& constraint = {})
    {
        const std::string t = Table(base);
        Exec("CREATE TABLE " + t + " (id INTEGER PRIMARY KEY, name VARCHAR(20)" + constraint + ")");
        Exec("INSERT INTO " + t + " VALUES (1, 'one')");
        Exec("INSERT INTO " + t + " VALUES (2, 'two')");
        return t;
    }
    // Opens `query` on the rows of such a table in id order.
    void OpenIdsAndNames(TdbCustomQuery& query, const std::string& table)
    {
        query.SetDatabase(&database_);
        SetSql(query, "SELECT id, name FROM " + table + " ORDER BY id");
        query.Open();
    }
    // The rows of such a table as a fresh statement reads them: "1=one,2=two,".
    std::string IdsAndNames(const std::string& table)
    {
        TdbCustomQuery check(nullptr);
        OpenIdsAndNames(check, table);
        std::string all;
        for (; !check.Eof(); check.Next()) all += check.Fields()[0]->AsString() + "=" + check.Fields()[1]->AsString() + ",";
        return all;
    }

    odbctest::TTempDir dir_;
    TdbDataBase database_{nullptr};
    std::vector<std::string> tables_;
};

INSTANTIATE_TEST_SUITE_P(Databases, QueryTest, ::testing::Values("sqlite", "pg"),
                         [](const auto& info) { return info.param; });

// Ten characters of two bytes each.
const std::string kTenChars = "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F\xC3\xA9\xC3\xA8\xC3\xAA";

std::string LongText()
{
    std::string text;
    while (text.size() < 100000) text += "0123456789abcdefghij";
    text.resize(99990);
    return text + "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC" + "x";  // ends past any 64 KiB piece, whole characters
}

TEST_P(QueryTest, ReadsEveryColumnTypeExactlyWithEachCursorType)
{
    const std::string t = Table("gw_q_types");
    const std::string blobType = Pg() ? "BYTEA" : "BLOB";
    Exec("CREATE TABLE " + t + " (id INTEGER, big BIGINT, num NUMERIC(38,10), r REAL, d DATE, tm TIME, ts TIMESTAMP, "
         "v VARCHAR(10), txt TEXT, bin " + blobType + ", b BOOLEAN)");
    const std::string bin1 = Pg() ? "'\\x00ff10'" : "X'00FF10'";
    const std::string longText = LongText();
    Exec("INSERT INTO " + t + " VALUES (1, 9223372036854775807, 1234567890123456789012345678.1234567890, 1.5, "
         "'2024-02-29', '13:45:30', '2024-02-29 13:45:30.123', '" + kTenChars + "', '" + longText + "', " + bin1 +
         ", " + (Pg() ? "true" : "1") + ")");
    Exec("INSERT INTO " + t + " VALUES (2, -9223372036854775808, -0.0000000001, -2.25, '1900-01-01', '00:00:00', "
         "'1899-12-30 00:00:00.005', 'abc', '', " + (Pg() ? "''" : "X''") + ", " + (Pg() ? "false" : "0") + ")");
    Exec("INSERT INTO " + t + " VALUES (3, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");

    // The SQLite driver describes NUMERIC columns as doubles (and SQLite keeps such a value as
    // one); PostgreSQL keeps them exact.
    const std::vector<std::pair<std::string, db::TFieldType>> expectedTypes{
        {"id", db::ftInteger}, {"big", db::ftLargeint}, {"num", Pg() ? db::ftBCD : db::ftFloat}, {"r", db::ftFloat},
        {"d", db::ftDate}, {"tm", db::ftTime}, {"ts", db::ftDateTime}, {"v", db::ftString},
        {"txt", db::ftMemo}, {"bin", db::ftBlob}, {"b", db::ftBoolean}};

    for (int cursorType : {0, 3}) {
        SCOPED_TRACE("cursor type " + std::to_string(cursorType));
        TdbCustomQuery query(nullptr);
        query.SetDatabase(&database_);
        query.SetCursorType(cursorType);
        SetSql(query, "SELECT * FROM " + t + " ORDER BY id");
        query.Open();
        ASSERT_EQ(query.FieldCount(), static_cast<int>(expectedTypes.size()));
        for (const auto& [name, type] : expectedTypes) {
            ASSERT_NE(query.FindField(name), nullptr) << name;
            EXPECT_EQ(query.FieldByName(name)->DataType(), type) << name;
        }
        EXPECT_EQ(query.FieldByName("big")->AsLargeInt(), INT64_MAX);
        if (Pg()) {
            EXPECT_EQ(query.FieldByName("num")->Value().AsDecimalText(), "1234567890123456789012345678.1234567890");
        } else {
            EXPECT_NEAR(query.FieldByName("num")->AsFloat() / 1.2345678901234568e27, 1.0, 1e-13);
        }
        EXPECT_EQ(query.FieldByName("r")->AsFloat(), 1.5);
        EXPECT_EQ(query.FieldByName("d")->AsDateTime(), rtl::EncodeDate(2024, 2, 29));
        EXPECT_EQ(query.FieldByName("tm")->AsDateTime(), rtl::EncodeTime(13, 45, 30, 0));
        EXPECT_EQ(query.FieldByName("ts")->AsDateTime(), rtl::EncodeDateTime(2024, 2, 29, 13, 45, 30, 123));
        EXPECT_EQ(query.FieldByName("v")->AsString(), kTenChars);
        EXPECT_EQ(query.FieldByName("txt")->AsString(), longText);
        EXPECT_EQ(query.FieldByName("bin")->Value().Text(), std::string("\0\xFF\x10", 3));
        EXPECT_TRUE(query.FieldByName("b")->AsBoolean());
        query.Next();
        EXPECT_EQ(query.FieldByName("big")->AsLargeInt(), INT64_MIN);
        if (Pg()) {
            EXPECT_EQ(query.FieldByName("num")->Value().AsDecimalText(), "-0.0000000001");
        }
        EXPECT_EQ(query.FieldByName("ts")->AsDateTime(), rtl::EncodeDateTime(1899, 12, 30, 0, 0, 0, 5));
        EXPECT_EQ(query.FieldByName("d")->AsDateTime(), rtl::EncodeDate(1900, 1, 1));
        EXPECT_FALSE(query.FieldByName("b")->AsBoolean());
        EXPECT_FALSE(query.FieldByName("b")->IsNull());
        query.Next();
        for (const auto& [name, type] : expectedTypes) {
            EXPECT_TRUE(name == "id" || query.FieldByName(name)->IsNull()) << name;
        }
        query.Next();
        EXPECT_TRUE(query.Eof());
        query.CheckConsistency();
    }
}

TEST_P(QueryTest, DuplicateNamesGetNumbersAndAnUnnamedColumnIsCOLUMN)
{
    TdbCustomQuery query(nullptr);
    query.SetDatabase(&database_);
    SetSql(query, Pg() ? "SELECT 1 AS \"ID\", 2 AS \"ID\", 3 AS \"id\"" : "SELECT 1 AS ID, 2 AS ID, 3 AS id, 4 AS \"\"");
    query.Open();
    std::vector<std::string> names;
    for (int i = 0; i < query.FieldCount(); ++i) names.push_back(query.Fields()[i]->FieldName());
    // PostgreSQL has no empty column names.
    std::vector<std::string> expected{"ID", "ID_1", "id_2"};
    if (!Pg()) expected.push_back("COLUMN");
    EXPECT_EQ(names, expected);
    EXPECT_EQ(query.Fields()[1]->AsInteger(), 2);
}

TEST_P(QueryTest, StringFieldsLoseTrailingBlanksAndMemosKeepThem)
{
    // PostgreSQL pads a CHAR(5) value to five characters; SQLite keeps what was stored.
    const std::string t = Table("gw_q_padded");
    Exec("CREATE TABLE " + t + " (id INTEGER, c CHAR(5), v VARCHAR(10), m TEXT)");
    struct Case {
        std::string column;
        std::string stored;
        std::string read;
    };
    const std::vector<Case> cases{
        {"c", "ab", "ab"},        {"c", " ab  ", " ab"},      {"c", "     ", ""},
        {"v", "ab   ", "ab"},     {"v", "a\tb\t ", "a\tb\t"}, {"v", "   ", ""},
        {"m", "ab   ", "ab   "},  {"m", "  ", "  "},
    };
    for (std::size_t i = 0; i < cases.size(); ++i)
        Exec("INSERT INTO " + t + " (id, " + cases[i].column + ") VALUES (" + std::to_string(i) + ", '" +
             cases[i].stored + "')");

    for (int cursorType : {0, 3}) {
        SCOPED_TRACE("cursor type " + std::to_string(cursorType));
        TdbCustomQuery query(nullptr);
        query.SetDatabase(&database_);
        query.SetCursorType(cursorType);
        SetSql(query, "SELECT c, v, m FROM " + t + " ORDER BY id");
        query.Open();
        EXPECT_EQ(query.FieldByName("c")->DataType(), db::ftString);
        EXPECT_EQ(query.FieldByName("v")->DataType(), db::ftString);
        EXPECT_EQ(query.FieldByName("m")->DataType(), db::ftMemo);
        for (const Case& c : cases) {
            EXPECT_EQ(query.FieldByName(c.column)->AsString(), c.read) << c.column << " '" << c.stored << "'";
            query.Next();
        }
        EXPECT_TRUE(query.Eof());
        // Read again from the row store or the driver's cursor.
        query.First();
        EXPECT_EQ(query.FieldByName("c")->AsString(), "ab");
    }
}

TEST_P(QueryTest, APersistentFieldWithoutItsColumnFailsTheOpen)
{
    const std::string t = IdsAndNamesTable("gw_q_persistent");
    TdbCustomQuery query(nullptr);
    query.SetDatabase(&database_);
    SetSql(query, "SELECT id, name FROM " + t + " ORDER BY id");
    auto* name = new db::TStringField(&query);
    name->SetFieldName("name");
    name->SetDataSet(&query);
    auto* missing = new db::TStringField(&query);
    missing->SetFieldName("missing");
    missing->SetDataSet(&query);
    try {
        query.Open();
        FAIL() << "opened without a column for the field";
    } catch (const rtl::Exception& e) {
        EXPECT_EQ(e.Message(), "fielddef not found");
    }
    EXPECT_FALSE(query.Active());
    // With the column there, the same fields open.
    SetSql(query, "SELECT id, name, name AS missing FROM " + t + " ORDER BY id");
    query.Open();
    EXPECT_EQ(name->AsString(), "one");
    EXPECT_EQ(missing->AsString(), "one");
}

TEST_P(QueryTest, OpensWithTheCursorTypeTheDriverReallyUses)
{
    TdbCustomQuery query(nullptr);
    query.SetDatabase(&database_);
    EXPECT_EQ(query.CursorType(), 3);
    SetSql(query, "SELECT 1");
    query.Open();
    // Neither driver offers dynamic cursors; SQLite has static ones only.
    if (Pg())
        EXPECT_TRUE(query.CursorType() == 1 || query.CursorType() == 2) << query.CursorType();
    else
        EXPECT_EQ(query.CursorType(), 1);
    query.Close();
    query.SetCursorType(0);
    query.Open();
    EXPECT_EQ(query.CursorType(), 0);
}

// What the driver offers is read when the statement is allocated: a forward-only cursor has no
// bookmarks and posts nothing itself; a filled statement list takes its operation from the
// driver; keyset-driven and dynamic cursors run with a concurrency the driver names.
TEST_P(QueryTest, StatementOptionsFollowTheDriverAndTheStatementLists)
{
    for (int cursorType : {0, 1, 2, 3}) {
        for (bool lists : {false, true}) {
            SCOPED_TRACE("cursor type " + std::to_string(cursorType) + (lists ? " with lists" : ""));
            TdbCustomQuery query(nullptr);
            query.SetDatabase(&database_);
            query.SetCursorType(cursorType);
            SetSql(query, "SELECT 1");
            if (lists) {
                query.ModifySQL()->Add("UPDATE x SET a = 1");
                query.InsertSQL()->Add("INSERT INTO x VALUES (1)");
                query.DeleteSQL()->Add("DELETE FROM x");
            }
            query.AllocStatement();
            const int used = query.CursorType();
            EXPECT_LE(used, cursorType);
            if (used == 0 || lists) {
                EXPECT_FALSE(query.CanInsert());
                EXPECT_FALSE(query.CanUpdate());
                EXPECT_FALSE(query.CanDelete());
            }
            if (used == 0) {
                EXPECT_FALSE(query.UsesBookmarks());
            }
            if (!query.CanUpdate()) {
                EXPECT_EQ(query.Sensitivity() & SQL_SS_UPDATES, 0u);
            }
            if (!query.CanDelete()) {
                EXPECT_EQ(query.Sensitivity() & SQL_SS_DELETIONS, 0u);
            }
            if (used >= 2) {
                EXPECT_NE(query.Concurrency(), 0u);
            }
            // The set still opens and reads with these options.
            query.Open();
            EXPECT_EQ(query.Fields()[0]->AsInteger(), 1);
        }
    }
}

TEST_P(QueryTest, WalksBackAndGoesToRecordNumbersWithEachCursorType)
{
    const std::string t = Table("gw_q_walk");
    Exec("CREATE TABLE " + t + " (n INTEGER)");
    for (int i = 1; i <= 30; ++i) Exec("INSERT INTO " + t + " VALUES (" + std::to_string(i * 10) + ")");
    for (int cursorType : {0, 1, 3}) {
        SCOPED_TRACE("cursor type " + std::to_string(cursorType));
        TdbCustomQuery query(nullptr);
        query.SetDatabase(&database_);
        query.SetCursorType(cursorType);
        SetSql(query, "SELECT n FROM " + t + " ORDER BY n");
        query.Open();
        db::TField* n = query.FieldByName("n");
        EXPECT_EQ(n->AsInteger(), 10);
        EXPECT_EQ(query.MoveBy(5), 5);
        EXPECT_EQ(n->AsInteger(), 60);
        EXPECT_EQ(query.RecNo(), 6);
        query.Prior();
        query.Prior();
        EXPECT_EQ(n->AsInteger(), 40);
        query.SetRecNo(17);
        EXPECT_EQ(n->AsInteger(), 170);
        EXPECT_EQ(query.RecNo(), 17);
        const db::TBookmark mark = query.GetBookmark();
        // PostgreSQL keeps bookmarks on scrollable cursors: the bookmark carries the driver's
        // own after the record number; SQLite has none, so its bookmarks are record numbers.
        EXPECT_EQ(query.UsesBookmarks(), Pg() && cursorType != 0);
        EXPECT_EQ(mark.size() > sizeof(std::int64_t), query.UsesBookmarks());
        query.Last();
        EXPECT_EQ(n->AsInteger(), 300);
        EXPECT_EQ(query.RecordCount(), 30);
        query.GotoBookmark(mark);
        EXPECT_EQ(n->AsInteger(), 170);
        query.First();
        EXPECT_EQ(n->AsInteger(), 10);
        EXPECT_TRUE(query.Bof());
        query.Prior();
        EXPECT_TRUE(query.Bof());
        int seen = 0;
        for (query.First(); !query.Eof(); query.Next()) ++seen;
        EXPECT_EQ(seen, 30);
        EXPECT_TRUE(query.Locate("n", TVariant(250)));
        EXPECT_EQ(query.RecNo(), 25);
        query.CheckConsistency();
    }
}

// Rejected rows are skipped in the direction of travel, whichever way the rows are read;
// the filter sees each row's own values while it is being fetched.
TEST_P(QueryTest, OnFilterRecordSkipsRejectedRowsWhileFetching)
{
    const std::string t = Table("gw_q_filter");
    Exec("CREATE TABLE " + t + " (n INTEGER)");
    for (int i = 1; i <= 12; ++i) Exec("INSERT INTO " + t + " VALUES (" + std::to_string(i) + ")");
    struct TCase {
        int cursorType;
        bool uniDirectional;
    };
    for (const TCase c : {TCase{0, false}, TCase{0, true}, TCase{1, false}, TCase{3, false}}) {
        SCOPED_TRACE("cursor type " + std::to_string(c.cursorType) + (c.uniDirectional ? " unidirectional" : ""));
        TdbCustomQuery query(nullptr);
        query.SetDatabase(&database_);
        query.SetCursorType(c.cursorType);
        query.SetUniDirectional(c.uniDirectional);
        SetSql(query, "SELECT n FROM " + t + " ORDER BY n");
        std::vector<int> asked;
        query.OnFilterRecord = [&](db::TDataSet* d, bool& accept) {
            EXPECT_EQ(d->State(), db::dsFilter);
            const int n = d->FieldByName("n")->AsInteger();
            asked.push_back(n);
            accept = n % 3 == 0;
        };
        query.SetFiltered(true);
        query.Open();
        std::vector<int> forward;
        for (; !query.Eof(); query.Next()) forward.push_back(query.FieldByName("n")->AsInteger());
        EXPECT_EQ(forward, (std::vector<int>{3, 6, 9, 12}));
        // Every row was put to the filter on the way.
        for (int i = 1; i <= 12; ++i) EXPECT_NE(std::find(asked.begin(), asked.end(), i), asked.end()) << i;
        if (c.uniDirectional) continue;
        std::vector<int> backward;
        for (query.Last(); !query.Bof(); query.Prior()) backward.push_back(query.FieldByName("n")->AsInteger());
        EXPECT_EQ(backward, (std::vector<int>{12, 9, 6, 3}));
        // Switching the filter off shows every row again.
        query.SetFiltered(false);
        int all = 0;
        for (query.First(); !query.Eof(); query.Next()) ++all;
        EXPECT_EQ(all, 12);
    }
}

TEST_P(QueryTest, UniDirectionalReadsForwardOnly)
{
    const std::string t = Table("gw_q_uni");
    Exec("CREATE TABLE " + t + " (n INTEGER)");
    for (int i = 1; i <= 5; ++i) Exec("INSERT INTO " + t + " VALUES (" + std::to_string(i) + ")");
    TdbCustomQuery query(nullptr);
    query.SetDatabase(&database_);
    query.SetCursorType(0);
    query.SetUniDirectional(true);
    SetSql(query, "SELECT n FROM " + t + " ORDER BY n");
    query.Open();
    int sum = 0;
    for (; !query.Eof(); query.Next()) sum += query.Fields()[0]->AsInteger();
    EXPECT_EQ(sum, 15);
    query.First();
    EXPECT_EQ(query.Fields()[0]->AsInteger(), 1);
}

TEST_P(QueryTest, BlobStreamsReadAndSeek)
{
    const std::string t = Table("gw_q_blob");
    Exec("CREATE TABLE " + t + " (bin " + std::string(Pg() ? "BYTEA" : "BLOB") + ", txt TEXT)");
    Exec("INSERT INTO " + t + " VALUES (" + (Pg() ? "'\\x0001020304'" : "X'0001020304'") + ", 'hello world')");
    TdbCustomQuery query(nullptr);
    query.SetDatabase(&database_);
    SetSql(query, "SELECT * FROM " + t);
    query.Open();
    auto stream = query.CreateBlobStream(query.FieldByName("bin"), db::bmRead);
    EXPECT_EQ(stream->Size(), 5);
    EXPECT_EQ(stream->Seek(-2, db::soEnd), 3);
    EXPECT_EQ(stream->ReadAll(), std::string("\3\4", 2));
    EXPECT_EQ(stream->Seek(1, db::soBeginning), 1);
    char two[2] = {};
    EXPECT_EQ(stream->Read(two, 2), 2u);
    EXPECT_EQ(std::string(two, 2), std::string("\1\2", 2));
    EXPECT_EQ(stream->Seek(1, db::soCurrent), 4);
    EXPECT_ANY_THROW(stream->Seek(-1, db::soBeginning));
    auto text = query.CreateBlobStream(query.FieldByName("txt"), db::bmRead);
    text->Seek(6, db::soBeginning);
    EXPECT_EQ(text->ReadAll(), "world");
    EXPECT_ANY_THROW(query.CreateBlobStream(query.FieldByName("txt"), db::bmWrite));
}

TEST_P(QueryTest, ADetailQueryReopensAsItsMasterScrolls)
{
    const std::string parents = Table("gw_q_parent");
    const std::string children = Table("gw_q_child");
    Exec("CREATE TABLE " + parents + " (pid INTEGER)");
    Exec("CREATE TABLE " + children + " (pid INTEGER, name VARCHAR(20))");
    for (int p = 1; p <= 3; ++p) {
        Exec("INSERT INTO " + parents + " VALUES (" + std::to_string(p) + ")");
        for (int c = 0; c < p; ++c)
            Exec("INSERT INTO " + children + " VALUES (" + std::to_string(p) + ", 'c" + std::to_string(p) + std::to_string(c) + "')");
    }
    TdbCustomQuery master(nullptr);
    master.SetDatabase(&database_);
    SetSql(master, "SELECT pid FROM " + parents + " ORDER BY pid");
    db::TDataSource source(nullptr);
    source.SetDataSet(&master);
    TdbCustomQuery detail(nullptr);
    detail.SetDatabase(&database_);
    SetSql(detail, "SELECT name FROM " + children + " WHERE pid = :pid ORDER BY name");
    detail.SetDataSource(&source);
    master.Open();
    detail.Open();
    const auto count = [&] {
        int n = 0;
        for (detail.First(); !detail.Eof(); detail.Next()) ++n;
        return n;
    };
    EXPECT_EQ(count(), 1);
    master.Next();
    EXPECT_EQ(count(), 2);
    detail.First();
    EXPECT_EQ(detail.Fields()[0]->AsString(), "c20");
    master.Last();
    EXPECT_EQ(count(), 3);
    // A value of its own wins over the master's.
    detail.ParamByName("pid").SetAsInteger(1);
    detail.Close();
    detail.Open();
    EXPECT_EQ(count(), 1);
}

TEST_P(QueryTest, BadStatementsRaiseTheDriversMessageAndLeaveTheSetClosed)
{
    TdbCustomQuery query(nullptr);
    query.SetDatabase(&database_);
    for (const std::string sql : {"SELEKT 1", "SELECT * FROM gw_q_no_such_table"}) {
        SetSql(query, sql);
        const ESQLerror e = odbctest::SqlErrorOf([&] { query.Open(); });
        EXPECT_FALSE(e.Message().empty());
        EXPECT_FALSE(query.Active());
        EXPECT_EQ(query.StmtHandle(), nullptr);
    }
    const std::string needle = Pg() ? "gw_q_no_such_table" : "no such table";
    EXPECT_NE(odbctest::SqlErrorOf([&] { query.Open(); }).Message().find(needle), std::string::npos);
    SetSql(query, "SELECT 7");
    query.Open();
    EXPECT_EQ(query.Fields()[0]->AsInteger(), 7);
    // Without a database.
    TdbCustomQuery lone(nullptr);
    SetSql(lone, "SELECT 1");
    EXPECT_EQ(odbctest::SqlErrorOf([&] { lone.Open(); }).Message(), "ODBC datasource not defined");
}

TEST_P(QueryTest, DisconnectingClosesTheSetAndTheNextOpenStartsAgain)
{
    TdbCustomQuery query(nullptr);
    query.SetDatabase(&database_);
    SetSql(query, "SELECT 3");
    query.Open();
    database_.Disconnect();
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(query.StmtHandle(), nullptr);
    query.Open();
    EXPECT_EQ(query.Fields()[0]->AsInteger(), 3);
}

// The server ends the connection under an open set: the next open raises the driver's own
// message and leaves the set closed with its statement freed; once the database connects
// again, the same set opens as if new.
TEST_P(QueryTest, ADroppedConnectionRaisesTheDriversMessageAndTheNextOpenStartsAgain)
{
    if (!Pg()) GTEST_SKIP() << "an SQLite connection is a file and cannot be dropped from outside";
    TdbCustomQuery query(nullptr);
    query.SetDatabase(&database_);
    SetSql(query, "SELECT pg_backend_pid()");
    query.Open();
    const int pid = query.Fields()[0]->AsInteger();
    ASSERT_GT(pid, 0);

    TdbDataBase killer(nullptr);
    odbctest::UsePostgres(killer, *odbctest::PostgresPort());
    killer.Connect();
    ASSERT_EQ(odbctest::ExecRaw(killer, "SELECT pg_terminate_backend(" + std::to_string(pid) + ")"), SQL_SUCCESS);
    // Wait until the server has really let the backend go.
    for (int i = 0; i < 100; ++i) {
        TdbCustomQuery alive(nullptr);
        alive.SetDatabase(&killer);
        SetSql(alive, "SELECT count(*) FROM pg_stat_activity WHERE pid = " + std::to_string(pid));
        alive.Open();
        if (alive.Fields()[0]->AsInteger() == 0) break;
        usleep(20000);
    }

    query.Close();
    const ESQLerror e = odbctest::SqlErrorOf([&] { query.Open(); });
    EXPECT_FALSE(e.Message().empty());
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(query.StmtHandle(), nullptr);
    // Still closed when asked again: nothing half-open is left behind.
    odbctest::SqlErrorOf([&] { query.Open(); });
    EXPECT_FALSE(query.Active());

    database_.Disconnect();
    database_.Connect();
    query.Open();
    EXPECT_GT(query.Fields()[0]->AsInteger(), 0);
    EXPECT_NE(query.Fields()[0]->AsInteger(), pid);
}

// ---- Posting through statement lists -------------------------------------------------------

TEST_P(QueryTest, StatementListsPostExactlyOneRowOrRollBack)
{
    const std::string t = Table("gw_q_post");
    Exec("CREATE TABLE " + t + " (id INTEGER, grp INTEGER, name VARCHAR(20))");
    Exec("INSERT INTO " + t + " VALUES (1, 1, 'one')");
    Exec("INSERT INTO " + t + " VALUES (2, 2, 'two')");
    Exec("INSERT INTO " + t + " VALUES (3, 2, 'three')");
    const auto names = [&] {
        TdbCustomQuery check(nullptr);
        check.SetDatabase(&database_);
        SetSql(check, "SELECT name FROM " + t + " ORDER BY id");
        check.Open();
        std::string all;
        for (; !check.Eof(); check.Next()) all += check.Fields()[0]->AsString() + ",";
        return all;
    };
    for (int cursorType : {0, 3}) {
        SCOPED_TRACE("cursor type " + std::to_string(cursorType));
        TdbCustomQuery query(nullptr);
        query.SetDatabase(&database_);
        query.SetCursorType(cursorType);
        SetSql(query, "SELECT id, grp, name FROM " + t + " ORDER BY id");
        query.ModifySQL()->SetText("UPDATE " + t + " SET name = :name WHERE id = :OLD_id");
        query.InsertSQL()->SetText("INSERT INTO " + t + " (id, grp, name) VALUES (:id, :grp, :name)");
        query.DeleteSQL()->SetText("DELETE FROM " + t + " WHERE grp = :OLD_grp");
        query.Open();
        const std::string before = names();

        // One row: kept, and the set shows it.
        query.Edit();
        query.FieldByName("name")->SetAsString("uno");
        query.Post();
        EXPECT_EQ(query.FieldByName("name")->AsString(), "uno");
        EXPECT_EQ(query.RecNo(), 1);

        // Two rows (the delete matches a whole group): rolled back, the record still deleting
        // nothing and the set as it was.
        query.Next();
        EXPECT_EQ(odbctest::SqlErrorOf([&] { query.Delete(); }).Message(), "More then one rows affected");
        EXPECT_EQ(query.RecordCount(), 3);

        // No row: the update of a record changed meanwhile is rolled back and the edit stays.
        query.Edit();
        query.FieldByName("id")->SetAsInteger(99);
        query.FieldByName("name")->SetAsString("gone");
        Exec("UPDATE " + t + " SET id = 20 WHERE id = 2");
        const ESQLerror none = odbctest::SqlErrorOf([&] { query.Post(); });
        EXPECT_EQ(none.Message(), "No rows affected") << none.Message();
        EXPECT_EQ(query.State(), db::dsEdit);
        query.Cancel();
        Exec("UPDATE " + t + " SET id = 2 WHERE id = 20");

        // An insert through its list.
        query.Append();
        query.FieldByName("id")->SetAsInteger(4);
        query.FieldByName("grp")->SetAsInteger(4);
        query.FieldByName("name")->SetAsString("four");
        query.Post();
        EXPECT_EQ(query.RecordCount(), 4);
        query.Last();
        EXPECT_EQ(query.FieldByName("name")->AsString(), "four");
        query.Delete();
        EXPECT_EQ(query.RecordCount(), 3);
        query.CheckConsistency();

        // A list cannot be emptied or filled while open; changed, it can.
        EXPECT_EQ(odbctest::SqlErrorOf([&] { query.DeleteSQL()->Clear(); }).Message(),
                  "You can't change Post metod while query is active");
        EXPECT_FALSE(query.DeleteSQL()->Text().empty());
        EXPECT_NO_THROW(query.DeleteSQL()->SetText("DELETE FROM " + t + " WHERE id = :OLD_id"));
        query.Close();
        Exec("UPDATE " + t + " SET name = 'one' WHERE id = 1");
        EXPECT_EQ(names(), before);
    }
}

TEST_P(QueryTest, WithoutAStatementListThePostIsRefusedAndTheRecordKept)
{
    const std::string t = Table("gw_q_nolist");
    Exec("CREATE TABLE " + t + " (id INTEGER, name VARCHAR(20))");
    Exec("INSERT INTO " + t + " VALUES (1, 'one')");
    TdbCustomQuery query(nullptr);
    query.SetDatabase(&database_);
    // A forward-only cursor: the driver posts nothing itself on it.
    query.SetCursorType(0);
    SetSql(query, "SELECT * FROM " + t);
    query.Open();
    EXPECT_FALSE(query.CanModify());
    query.Close();
    query.ModifySQL()->SetText("UPDATE " + t + " SET name = :name WHERE id = :OLD_id");
    query.Open();
    ASSERT_TRUE(query.CanModify());
    query.Edit();
    query.FieldByName("name")->SetAsString(kTenChars);
    query.Post();
    EXPECT_EQ(query.FieldByName("name")->AsString(), kTenChars);
    EXPECT_EQ(odbctest::SqlErrorOf([&] { query.Delete(); }).Message(), "Internal delete is not supported by the driver");
    query.Append();
    query.FieldByName("id")->SetAsInteger(2);
    EXPECT_EQ(odbctest::SqlErrorOf([&] { query.Post(); }).Message(), "Internal insert is not supported by the driver");
    EXPECT_EQ(query.State(), db::dsInsert);
    query.Cancel();
    EXPECT_EQ(query.RecordCount(), 1);
}

// ---- Posting through the driver ----------------------------------------------------------

// The value a field holds equals `expected` in the field's own kind.
void ExpectFieldEquals(db::TField* field, const TVariant& expected, bool sqliteDoubles)
{
    SCOPED_TRACE(field->FieldName());
    if (expected.IsNull()) {
        EXPECT_TRUE(field->IsNull());
        return;
    }
    ASSERT_FALSE(field->IsNull());
    switch (field->DataType()) {
    case db::ftBCD: EXPECT_EQ(field->Value().AsDecimalText(), expected.AsDecimalText()); break;
    case db::ftFloat:
        // The SQLite driver reads a double through its 15-digit text; the stored value itself
        // is compared exactly in SQL by the tests that write one.
        if (sqliteDoubles)
            EXPECT_NEAR(field->AsFloat(), expected.AsFloat(), std::abs(expected.AsFloat()) * 1e-14);
        else
            EXPECT_EQ(field->AsFloat(), expected.AsFloat());
        break;
    case db::ftDate:
    case db::ftTime:
    case db::ftDateTime: EXPECT_EQ(field->AsDateTime(), expected.AsDateTime()); break;
    case db::ftBlob: EXPECT_EQ(field->Value().Text(), expected.Text()); break;
    case db::ftBoolean: EXPECT_EQ(field->AsBoolean(), expected.AsBoolean()); break;
    case db::ftSmallint:
    case db::ftInteger:
    case db::ftLargeint: EXPECT_EQ(field->AsLargeInt(), expected.AsInt64()); break;
    default: EXPECT_EQ(field->AsString(), expected.AsString()); break;
    }
}

// Inserts, modifies and deletes through the driver's positioned operations (no statement
// list): every kind of value, read back with a fresh statement, and where the cursor stands
// after each post.
TEST_P(QueryTest, PostsThroughTheDriverAndEveryValueReadsBackEqual)
{
    const std::string t = Table("gw_q_driver");
    const bool pg = Pg();
    Exec("CREATE TABLE " + t + " (id INTEGER PRIMARY KEY, s16 SMALLINT, big BIGINT, num " +
         (pg ? "NUMERIC(38,10)" : "DOUBLE") + ", r " + (pg ? "DOUBLE PRECISION" : "REAL") +
         ", d DATE, tm TIME, ts TIMESTAMP, v VARCHAR(10), txt TEXT, bin " + (pg ? "BYTEA" : "BLOB") + ", b BOOLEAN)");
    const std::vector<std::string> columns{"s16", "big", "num", "r", "d", "tm", "ts", "v", "txt", "bin", "b"};
    const auto date = [](int y, int m, int d) { return TVariant::FromDateTime(rtl::EncodeDate(y, m, d)); };
    // The SQLite driver describes NUMERIC columns as doubles; PostgreSQL keeps them exact.
    const std::vector<std::vector<TVariant>> rows{
        {TVariant(32767), TVariant(static_cast<long long>(INT64_MAX)),
         pg ? TVariant::FromDecimal("1234567890123456789012345678.1234567890") : TVariant(1.25e300),
         TVariant(0.30000000000000004), date(2024, 2, 29), TVariant::FromDateTime(rtl::EncodeTime(13, 45, 30, 0)),
         TVariant::FromDateTime(rtl::EncodeDateTime(2024, 2, 29, 13, 45, 30, 123)), TVariant(kTenChars),
         TVariant(LongText()), TVariant::FromBytes(std::string("\0\xFF\x10", 3)), TVariant(true)},
        {TVariant(-32768), TVariant(static_cast<long long>(INT64_MIN)),
         pg ? TVariant::FromDecimal("-0.0000000001") : TVariant(-2.5), TVariant(-4503599627370497.0),
         date(1900, 1, 1), TVariant::FromDateTime(rtl::EncodeTime(0, 0, 0, 0)),
         TVariant::FromDateTime(rtl::EncodeDateTime(1899, 12, 30, 0, 0, 0, 5)), TVariant(std::string()),
         TVariant(std::string()), TVariant::FromBytes(std::string("\0", 1)), TVariant(false)},
        std::vector<TVariant>(columns.size())};

    TdbCustomQuery query(nullptr);
    query.SetDatabase(&database_);
    SetSql(query, "SELECT id, s16, big, num, r, d, tm, ts, v, txt, bin, b FROM " + t + " ORDER BY id");
    query.Open();
    ASSERT_TRUE(query.CanInsert() && query.CanUpdate() && query.CanDelete()) << "cursor type " << query.CursorType();
    ASSERT_TRUE(query.CanModify());

    const auto set = [&](const std::vector<TVariant>& values) {
        for (std::size_t c = 0; c < columns.size(); ++c) query.FieldByName(columns[c])->SetValue(values[c]);
    };
    const auto expectRow = [&](db::TDataSet& set, const std::vector<TVariant>& values) {
        for (std::size_t c = 0; c < columns.size(); ++c) ExpectFieldEquals(set.FieldByName(columns[c]), values[c], !pg);
    };
    // The row as a fresh statement reads it.
    const auto expectStored = [&](int id, const std::vector<TVariant>& values) {
        TdbCustomQuery check(nullptr);
        check.SetDatabase(&database_);
        check.SetCursorType(0);
        SetSql(check, "SELECT * FROM " + t + " WHERE id = " + std::to_string(id));
        check.Open();
        ASSERT_FALSE(check.Eof()) << "row " << id << " is missing";
        expectRow(check, values);
        // The double as stored, to the last bit.
        if (values[3].IsNull()) return;
        char literal[40];
        std::snprintf(literal, sizeof literal, "%.17g", values[3].AsFloat());
        TdbCustomQuery exact(nullptr);
        exact.SetDatabase(&database_);
        SetSql(exact, "SELECT id FROM " + t + " WHERE id = " + std::to_string(id) + " AND r = " + literal);
        exact.Open();
        EXPECT_FALSE(exact.Eof()) << "r is not " << literal;
    };

    for (std::size_t k = 0; k < rows.size(); ++k) {
        SCOPED_TRACE("insert " + std::to_string(k));
        query.Append();
        query.FieldByName("id")->SetAsInteger(static_cast<int>(k) + 1);
        set(rows[k]);
        query.Post();
        // Appended: the set shows the row as stored, on the last record.
        EXPECT_EQ(query.State(), db::dsBrowse);
        EXPECT_EQ(query.RecordCount(), static_cast<int>(k) + 1);
        EXPECT_EQ(query.RecNo(), static_cast<int>(k) + 1);
        EXPECT_EQ(query.FieldByName("id")->AsInteger(), static_cast<int>(k) + 1);
        expectRow(query, rows[k]);
        expectStored(static_cast<int>(k) + 1, rows[k]);
    }
    for (std::size_t k = 0; k < rows.size(); ++k) {
        SCOPED_TRACE("modify " + std::to_string(k));
        const std::vector<TVariant>& next = rows[(k + 1) % rows.size()];
        query.First();
        query.MoveBy(static_cast<int>(k));
        query.Edit();
        set(next);
        query.Post();
        // The cursor stays on the record, which shows the row as stored.
        EXPECT_EQ(query.State(), db::dsBrowse);
        EXPECT_EQ(query.RecNo(), static_cast<int>(k) + 1);
        EXPECT_EQ(query.FieldByName("id")->AsInteger(), static_cast<int>(k) + 1);
        expectRow(query, next);
        expectStored(static_cast<int>(k) + 1, next);
    }
    // Deleted: the record that followed takes its number.
    query.First();
    query.Next();
    query.Delete();
    EXPECT_EQ(query.State(), db::dsBrowse);
    EXPECT_EQ(query.RecordCount(), 2);
    EXPECT_EQ(query.RecNo(), 2);
    EXPECT_EQ(query.FieldByName("id")->AsInteger(), 3);
    query.Last();
    query.Delete();
    EXPECT_EQ(query.RecordCount(), 1);
    EXPECT_EQ(query.FieldByName("id")->AsInteger(), 1);
    query.CheckConsistency();
    TdbCustomQuery count(nullptr);
    count.SetDatabase(&database_);
    SetSql(count, "SELECT id FROM " + t);
    count.Open();
    EXPECT_EQ(count.RecordCount(), 1);
    EXPECT_EQ(count.Fields()[0]->AsInteger(), 1);
}

// A post the driver refuses raises its message; the record stays in its edit and the row as
// it was.
TEST_P(QueryTest, APostTheDriverRefusesKeepsTheRecordAndTheRow)
{
    const std::string t = IdsAndNamesTable("gw_q_refused", " CHECK (name <> 'bad')");
    TdbCustomQuery query(nullptr);
    OpenIdsAndNames(query, t);
    ASSERT_TRUE(query.CanInsert() && query.CanUpdate());
    const auto stored = [&] { return IdsAndNames(t); };
    const std::string before = stored();
    const std::string duplicate = Pg() ? "duplicate key" : "UNIQUE constraint failed";

    struct Case {
        std::string name;
        std::function<void()> change;
        db::TDataSetState state;
        std::string message;
    };
    const std::vector<Case> cases{
        {"insert of a key that exists", [&] {
             query.Append();
             query.FieldByName("id")->SetAsInteger(2);
             query.FieldByName("name")->SetAsString("again");
         }, db::dsInsert, duplicate},
        {"update to a key that exists", [&] {
             query.First();
             query.Edit();
             query.FieldByName("id")->SetAsInteger(2);
         }, db::dsEdit, duplicate},
        {"update that breaks a check", [&] {
             query.Last();
             query.Edit();
             query.FieldByName("name")->SetAsString("bad");
         }, db::dsEdit, Pg() ? "violates check constraint" : "CHECK constraint failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.change();
        const ESQLerror e = odbctest::SqlErrorOf([&] { query.Post(); });
        EXPECT_NE(e.Message().find(c.message), std::string::npos) << e.Message();
        EXPECT_EQ(query.State(), c.state);
        query.Cancel();
        EXPECT_EQ(stored(), before);
    }
    // A result with an expression column: the SQLite driver cannot write it and refuses the
    // same way; the PostgreSQL driver writes the table's columns and leaves the expression.
    {
        TdbCustomQuery computed(nullptr);
        computed.SetDatabase(&database_);
        SetSql(computed, "SELECT id, name, id * 2 AS twice FROM " + t + " ORDER BY id");
        computed.Open();
        computed.Edit();
        computed.FieldByName("name")->SetAsString("changed");
        if (Pg()) {
            computed.Post();
            EXPECT_EQ(computed.FieldByName("twice")->AsInteger(), 2);
            EXPECT_EQ(stored(), "1=changed,2=two,");
            Exec("UPDATE " + t + " SET name = 'one' WHERE id = 1");
        } else {
            const ESQLerror e = odbctest::SqlErrorOf([&] { computed.Post(); });
            EXPECT_NE(e.Message().find("incompatible rowset"), std::string::npos) << e.Message();
            EXPECT_EQ(computed.State(), db::dsEdit);
            computed.Cancel();
        }
        EXPECT_EQ(stored(), before);
    }
    // The connection is as it was: the next post is kept. (Read again first: PostgreSQL's
    // keyset cursor refuses to write a row changed since it was read, 01001.)
    query.Close();
    query.Open();
    query.First();
    query.Edit();
    query.FieldByName("name")->SetAsString(kTenChars);
    query.Post();
    EXPECT_EQ(stored(), "1=" + kTenChars + ",2=two,");
}

// A row removed by someone else after it was read: an update or delete through the driver
// writes nothing, and the post says so instead of passing for done.
TEST_P(QueryTest, ARowGoneSinceItWasReadIsNotPostedAsWritten)
{
    const std::string t = IdsAndNamesTable("gw_q_gone");
    TdbCustomQuery query(nullptr);
    OpenIdsAndNames(query, t);
    ASSERT_TRUE(query.CanUpdate() && query.CanDelete());
    query.First();
    Exec("DELETE FROM " + t + " WHERE id = 1");
    const auto stored = [&] { return IdsAndNames(t); };

    query.Edit();
    query.FieldByName("name")->SetAsString("changed");
    ESQLerror e = odbctest::SqlErrorOf([&] { query.Post(); });
    EXPECT_FALSE(e.Message().empty());
    if (!Pg()) {
        EXPECT_EQ(e.Message(), "No rows affected");
    }
    EXPECT_EQ(query.State(), db::dsEdit);
    query.Cancel();
    EXPECT_EQ(stored(), "2=two,");

    if (query.FieldByName("id")->AsInteger() == 1) {  // a driver may already show the row as gone
        e = odbctest::SqlErrorOf([&] { query.Delete(); });
        EXPECT_FALSE(e.Message().empty());
        if (!Pg()) {
            EXPECT_EQ(e.Message(), "No rows affected");
        }
        EXPECT_EQ(stored(), "2=two,");
    }
}

// ---- Parameters ---------------------------------------------------------------------------

TEST_P(QueryTest, ParametersOfEveryTypeAreWrittenAndReadBackEqual)
{
    const std::string t = Table("gw_q_params");
    const bool pg = Pg();
    Exec("CREATE TABLE " + t + " (k INTEGER, s TEXT, i16 SMALLINT, i32 INTEGER, i64 BIGINT, f DOUBLE PRECISION, " +
         "dec " + (pg ? "NUMERIC(38,8)" : "TEXT") + ", d DATE, t TIME, ts TIMESTAMP, b BOOLEAN, bin " + (pg ? "BYTEA" : "BLOB") + ")");
    const std::string mega(1 << 20, 'm');
    rtl::TStringList lines;
    lines.Add("line one  ");
    lines.Add("line two");
    ui::TBitmap bitmap(2, 2);
    bitmap.SetPixel(1, 0, 0x123456);
    TdbParam bitmapFile(nullptr);
    bitmapFile.Assign(bitmap);
    struct Case {
        std::string column;
        std::function<void(TdbParam&)> set;
        TVariant expected;
    };
    const std::vector<Case> cases{
        {"s", [](TdbParam& p) { p.SetDataType(db::ftString); }, TVariant()},
        {"s", [](TdbParam& p) { p.SetAsString("x"); }, TVariant("x")},
        {"s", [&](TdbParam& p) { p.SetAsMemo(mega); }, TVariant(mega)},
        {"s", [](TdbParam& p) { p.SetAsString(kTenChars); }, TVariant(kTenChars)},
        {"i16", [](TdbParam& p) { p.SetAsSmallInt(-32768); }, TVariant(-32768)},
        {"i16", [](TdbParam& p) { p.SetAsSmallInt(32767); }, TVariant(32767)},
        {"i32", [](TdbParam& p) { p.SetAsInteger(INT32_MIN); }, TVariant(INT32_MIN)},
        {"i32", [](TdbParam& p) { p.SetAsInteger(INT32_MAX); }, TVariant(INT32_MAX)},
        {"i64", [](TdbParam& p) { p.SetAsLargeInt(INT64_MIN); }, TVariant(static_cast<long long>(INT64_MIN))},
        {"i64", [](TdbParam& p) { p.SetAsLargeInt(INT64_MAX); }, TVariant(static_cast<long long>(INT64_MAX))},
        {"f", [](TdbParam& p) { p.SetAsFloat(-1234.5625); }, TVariant(-1234.5625)},
        {"f", [](TdbParam& p) { p.SetAsFloat(1.5e300); }, TVariant(1.5e300)},
        {"dec", [](TdbParam& p) { p.SetAsBCD("1234567890123456789012.12345678"); },
         TVariant::FromDecimal("1234567890123456789012.12345678")},
        {"d", [](TdbParam& p) { p.SetAsDate(rtl::EncodeDate(2000, 2, 29)); }, TVariant::FromDateTime(rtl::EncodeDate(2000, 2, 29))},
        {"t", [](TdbParam& p) { p.SetAsTime(rtl::EncodeTime(23, 59, 58, 0)); }, TVariant::FromDateTime(rtl::EncodeTime(23, 59, 58, 0))},
        {"ts", [](TdbParam& p) { p.SetAsDateTime(rtl::EncodeDateTime(2024, 2, 29, 13, 45, 30, 5)); },
         TVariant::FromDateTime(rtl::EncodeDateTime(2024, 2, 29, 13, 45, 30, 5))},
        {"ts", [](TdbParam& p) { p.SetAsDateTime(rtl::EncodeDateTime(1999, 12, 31, 23, 59, 59, 0)); },
         TVariant::FromDateTime(rtl::EncodeDateTime(1999, 12, 31, 23, 59, 59, 0))},
        {"b", [](TdbParam& p) { p.SetAsBoolean(true); }, TVariant(true)},
        {"b", [](TdbParam& p) { p.SetAsBoolean(false); }, TVariant(false)},
        {"bin", [](TdbParam& p) { p.SetAsBlob(std::string("\0\1\xFF", 3)); }, TVariant::FromBytes(std::string("\0\1\xFF", 3))},
        {"i64", [](TdbParam& p) { p.SetDataType(db::ftLargeint); }, TVariant()},
        {"d", [](TdbParam& p) { p.SetDataType(db::ftDate); }, TVariant()},
        {"s", [&](TdbParam& p) { p.Assign(lines); }, TVariant(lines.Text())},
        {"bin", [&](TdbParam& p) { p.Assign(bitmap); }, bitmapFile.Value()},
    };
    int k = 0;
    for (const Case& c : cases) {
        ++k;
        SCOPED_TRACE(c.column + " case " + std::to_string(k));
        TdbCustomQuery insert(nullptr);
        insert.SetDatabase(&database_);
        SetSql(insert, "INSERT INTO " + t + " (k, " + c.column + ") VALUES (:k, :v)");
        insert.ParamByName("k").SetAsInteger(k);
        c.set(insert.ParamByName("v"));
        insert.ExecSQL();
        EXPECT_EQ(insert.RowsAffected(), 1);

        TdbCustomQuery select(nullptr);
        select.SetDatabase(&database_);
        SetSql(select, "SELECT " + c.column + " FROM " + t + " WHERE k = :k");
        select.ParamByName("k").SetAsInteger(k);
        select.Open();
        ASSERT_FALSE(select.Eof());
        const TVariant value = select.Fields()[0]->Value();
        if (c.expected.IsNull())
            EXPECT_TRUE(value.IsNull());
        else if (c.expected.Type() == db::TVarType::Decimal && !pg)
            EXPECT_EQ(value.AsString(), c.expected.AsDecimalText());
        else if (c.expected.Type() == db::TVarType::Decimal)
            EXPECT_EQ(value.AsDecimalText(), c.expected.AsDecimalText());
        else if (c.expected.Type() == db::TVarType::Bytes)
            EXPECT_EQ(value.Text(), c.expected.Text());
        else
            EXPECT_EQ(db::CompareVariants(value, c.expected), 0) << value.AsString() << " / " << c.expected.AsString();
    }
}

TEST_P(QueryTest, FieldsAndParametersAssignEachOtherAndACursorIsNotBound)
{
    const std::string t = IdsAndNamesTable("gw_q_assign");
    TdbCustomQuery query(nullptr);
    query.ModifySQL()->SetText("UPDATE " + t + " SET name = :name WHERE id = :OLD_id");
    OpenIdsAndNames(query, t);
    db::TField* name = query.FieldByName("name");

    TdbParam param(nullptr);
    param.Assign(*name);
    EXPECT_EQ(param.Name(), "name");
    EXPECT_EQ(param.DataType(), db::ftString);
    EXPECT_EQ(param.AsString(), "one");

    // A field given a parameter takes its value, or null.
    query.Edit();
    param.SetAsString("uno");
    name->Assign(param);
    EXPECT_EQ(name->AsString(), "uno");
    param.Clear();
    name->Assign(param);
    EXPECT_TRUE(name->IsNull());
    param.SetAsString("eins");
    name->Assign(param);
    query.Post();
    EXPECT_EQ(IdsAndNames(t), "1=eins,2=two,");

    // A cursor parameter has nothing to bind.
    TdbCustomQuery select(nullptr);
    select.SetDatabase(&database_);
    SetSql(select, "SELECT id FROM " + t + " WHERE id = :cur");
    select.ParamByName("cur").SetDataType(db::ftCursor);
    EXPECT_EQ(odbctest::SqlErrorOf([&] { select.Open(); }).Message(), "Field 'cur' is of an unsupported type");
    EXPECT_FALSE(select.Active());
}

TEST_P(QueryTest, ThirtyDigitDecimalsTravelExactly)
{
    const std::string t = Table("gw_q_dec");
    // SQLite would make a NUMERIC value a double; its text column keeps every digit.
    Exec("CREATE TABLE " + t + " (dec " + std::string(Pg() ? "NUMERIC(30,0)" : "TEXT") + ")");
    TdbCustomQuery insert(nullptr);
    insert.SetDatabase(&database_);
    SetSql(insert, "INSERT INTO " + t + " VALUES (:v)");
    insert.ParamByName("v").SetAsBCD("-123456789012345678901234567890");
    insert.ExecSQL();
    TdbCustomQuery select(nullptr);
    select.SetDatabase(&database_);
    SetSql(select, "SELECT dec FROM " + t);
    select.Open();
    EXPECT_EQ(select.Fields()[0]->Value().AsString(), "-123456789012345678901234567890");
}

TEST_P(QueryTest, DoubleColonsReachTheDriverAsOne)
{
    TdbCustomQuery query(nullptr);
    query.SetDatabase(&database_);
    SetSql(query, Pg() ? "SELECT '12'::::int + :n AS v, ':x' AS q" : "SELECT CAST('12' AS int) + :n AS v, ':x' AS q");
    ASSERT_EQ(query.Params().Count(), 1);
    query.ParamByName("n").SetAsInteger(30);
    query.Open();
    EXPECT_EQ(query.FieldByName("v")->AsInteger(), 42);
    EXPECT_EQ(query.FieldByName("q")->AsString(), ":x");
}

// The statement's own check names the results that carry no records; what it does not know
// is "unknown SQL result", without the code (the code stays in ReturnCode).
TEST(TdbCustomQuery, CheckStmtResultNamesWhatItRaisesFor)
{
    struct Case {
        TSqlReturn code;
        std::string message;
    };
    const std::vector<Case> cases{
        {SQL_INVALID_HANDLE, ": SQL_INVALID_HANDLE"}, {SQL_STILL_EXECUTING, "SQL_STILL_EXECUTING"},
        {SQL_NEED_DATA, "SQL_NEED_DATA"},             {SQL_NO_DATA, "SQL_NO_DATA"},
        {7, "unknown SQL result"},                    {-3, "unknown SQL result"},
    };
    TdbCustomQuery query(nullptr);
    EXPECT_NO_THROW(query.CheckStmtResult(SQL_SUCCESS));
    for (const Case& c : cases) {
        const ESQLerror e = odbctest::SqlErrorOf([&] { query.CheckStmtResult(c.code); });
        EXPECT_EQ(e.Message(), c.message) << c.code;
        EXPECT_EQ(e.ReturnCode(), c.code);
        EXPECT_EQ(e.Errors(), nullptr) << c.code;
    }
}

}  // namespace
