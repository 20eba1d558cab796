// The schema helpers and the generated SELECT against real databases: one fixture schema on
// SQLite (a fresh file) and on the PostgreSQL test server (skipped when GW_PG_PORT is unset
// or the server does not answer). The schema has names with blanks, reserved words (order,
// user, group), mixed case, a double quote and, on PostgreSQL, a schema other than public;
// its rows hold NULLs, apostrophes, non-ASCII text and dates.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <optional>

#include <gtest/gtest.h>
#include <unistd.h>

#include "VQueryTestSupport.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/SysUtils.h"

using namespace vquery;
using vqtest::QueryFixture;

namespace {

using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

const std::string kKeywordDir = std::string(GW_SOURCE_DIR) + "/share/Data/SqlData";

// Where the fixture lives on one database.
struct Backend {
    std::string name;
    std::string init;          // connection string
    std::string schema;        // schema of "order" and "user" ("" on SQLite)
    std::string customers;     // name of the customer table (public on PostgreSQL)
    std::string skip;          // why the backend is not there
    std::string KeyC() const { return rtl::UpperCase(customers); }
    std::string KeyO() const { return schema.empty() ? "ORDER" : rtl::UpperCase(schema) + ".ORDER"; }
    std::string KeyU() const { return schema.empty() ? "USER" : rtl::UpperCase(schema) + ".USER"; }
    std::string Q(const std::string& name) const
    {
        return schema.empty() ? name : "\"" + schema + "\"." + name;
    }
};

std::string TempDbFile()
{
    static const std::string file = vqtest::HomeDir() + "/live.db";
    return file;
}

Backend MakeBackend(const std::string& which)
{
    Backend b;
    b.name = which;
    if (which == "SQLite") {
        std::error_code ec;
        std::filesystem::remove(TempDbFile(), ec);
        rtl::WriteStringToFile(TempDbFile(), "");
        b.init = db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + TempDbFile());
        b.customers = "customer list";
        return b;
    }
    const char* port = std::getenv("GW_PG_PORT");
    if (port == nullptr || *port == '\0') {
        b.skip = "GW_PG_PORT is not set";
        return b;
    }
    b.init = db::FormatInitString({{"Provider", "MSDASQL.1"},
                                   {"User ID", "gridweaver"},
                                   {"Password", "gridweaver"},
                                   {"Extended Properties", "DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=" +
                                                               std::string(port) +
                                                               ";Database=gridweaver_test;BoolsAsChar=0"}});
    const std::string pid = std::to_string(getpid());
    b.schema = "Gwvq" + pid;
    b.customers = "customer list " + pid;
    return b;
}

class LiveDb : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        be = MakeBackend(GetParam());
        if (!be.skip.empty()) GTEST_SKIP() << be.skip;
        conn = std::make_unique<db::TADOConnection>(nullptr);
        conn->SetLoginPrompt(false);
        conn->SetConnectionString(be.init);
        try {
            conn->Open();
        } catch (const rtl::Exception& e) {
            GTEST_SKIP() << be.name << " does not answer: " << e.Message();
        }
        Drop();
        const std::string c = "\"" + be.customers + "\"", o = be.Q("\"order\""), u = be.Q("\"user\"");
        if (!be.schema.empty()) Exec("CREATE SCHEMA \"" + be.schema + "\"");
        Exec("CREATE TABLE " + c + " (\"cust id\" INTEGER PRIMARY KEY, \"Name\" VARCHAR(40), city VARCHAR(40), born DATE)");
        Exec("CREATE TABLE " + o +
             " (id INTEGER PRIMARY KEY, \"cust id\" INTEGER, amount INTEGER, ordered DATE, \"group\" VARCHAR(10))");
        Exec("CREATE TABLE " + u + " (id INTEGER PRIMARY KEY, \"order id\" INTEGER, \"quote\"\"d\" VARCHAR(10), qty INTEGER)");
        Exec("INSERT INTO " + c + " VALUES (1, 'O''Brien', 'Dublin', '1970-01-01')");
        Exec("INSERT INTO " + c + " VALUES (2, 'Zoë Ægir', 'Köln', '1985-06-15')");
        Exec("INSERT INTO " + c + " VALUES (3, 'Smith', NULL, NULL)");
        Exec("INSERT INTO " + c + " VALUES (4, 'Unordered', 'Oslo', '1999-12-31')");
        Exec("INSERT INTO " + o + " VALUES (10, 1, 100, '2024-01-05', 'a')");
        Exec("INSERT INTO " + o + " VALUES (11, 1, 250, '2024-02-29', 'b')");
        Exec("INSERT INTO " + o + " VALUES (12, 2, 75, '2023-12-31', NULL)");
        Exec("INSERT INTO " + o + " VALUES (13, 3, NULL, NULL, 'a')");
        Exec("INSERT INTO " + u + " VALUES (100, 10, 'x\"y', 2)");
        Exec("INSERT INTO " + u + " VALUES (101, 10, NULL, 5)");
        Exec("INSERT INTO " + u + " VALUES (102, 12, 'ü', 1)");
        Exec("INSERT INTO " + u + " VALUES (103, 99, 'orphan', 7)");
    }
    void TearDown() override
    {
        if (conn && conn->Connected()) Drop();
    }
    void Drop()
    {
        try {
            if (!be.schema.empty()) Exec("DROP SCHEMA IF EXISTS \"" + be.schema + "\" CASCADE");
            Exec("DROP TABLE IF EXISTS \"" + be.customers + "\"");
            if (be.schema.empty()) {
                Exec("DROP TABLE IF EXISTS \"order\"");
                Exec("DROP TABLE IF EXISTS \"user\"");
            }
        } catch (const rtl::Exception&) {
        }
    }
    void Exec(const std::string& sql) { conn->Execute(sql); }

    // A query bound to the connection, with the shipped keyword lists.
    std::unique_ptr<QueryFixture> MakeQuery()
    {
        auto f = std::make_unique<QueryFixture>();
        f->Q().SetADOConnection(conn.get());
        EXPECT_TRUE(f->Q().LoadKeywordFiles(kKeywordDir));
        return f;
    }

    Rows Run(const std::vector<std::string>& sql)
    {
        db::TADOQuery q(nullptr);
        q.SetConnection(conn.get());
        for (const std::string& line : sql) q.SQL()->Add(line);
        q.Open();
        Rows rows;
        for (q.First(); !q.Eof(); q.Next()) {
            Row row;
            for (int i = 0; i < q.FieldCount(); ++i) {
                const db::TField* f = q.Fields().Fields(i);
                row.push_back(f->IsNull() ? "<null>" : f->AsString());
            }
            rows.push_back(row);
        }
        return rows;
    }

    Backend be;
    std::unique_ptr<db::TADOConnection> conn;
};

// ---- Schema helpers ----------------------------------------------------------------------

TEST_P(LiveDb, TablesColumnsQuotesAndProperties)
{
    rtl::TStringList list;
    app::ado::GetTableNames(conn.get(), false, false, false, false, false, list);
    for (const std::string& key : {be.KeyC(), be.KeyO(), be.KeyU()}) EXPECT_GE(list.IndexOf(key), 0) << key;
    app::ado::TQADOTable* order = app::ado::TableOf(list, list.IndexOf(be.KeyO()));
    ASSERT_NE(order, nullptr);
    EXPECT_EQ(order->TableName(), "order");
    EXPECT_EQ(order->TableType(), "TABLE");
    EXPECT_FALSE(order->ColumnsLoaded());
    ASSERT_EQ(order->GetFieldCount(), 5);
    EXPECT_TRUE(order->ColumnsLoaded());
    std::vector<std::string> names;
    for (int i = 0; i < order->GetFieldCount(); ++i) names.push_back(order->GetField(i)->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"id", "cust id", "amount", "ordered", "group"}));
    EXPECT_EQ(order->GetField(0)->GetOrdinal(), 1);
    EXPECT_EQ(order->GetField(2)->GetDataType(), db::adInteger);
    EXPECT_EQ(order->GetField(3)->GetDataType(), db::adDBDate);
    for (int i = 0; i < order->GetFieldCount(); ++i) {
        const std::string type = order->GetField(i)->GetTypeName();
        EXPECT_FALSE(type.empty());
        EXPECT_EQ(type, rtl::LowerCase(type));
        EXPECT_NE(type, "unknown") << order->GetField(i)->GetName();
    }
    EXPECT_EQ(order->GetField(4)->maximumLength, 10);
    const std::vector<std::string> types = be.schema.empty()
                                               ? std::vector<std::string>{"integer", "integer", "integer", "date", "varchar"}
                                               : std::vector<std::string>{"int4", "int4", "int4", "date", "varchar"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(order->GetField(i)->GetTypeName(), types[static_cast<std::size_t>(i)]);
    EXPECT_EQ(app::ado::GetSpecialCharacters(conn.get()), be.schema.empty() ? "" : "_");
    EXPECT_EQ(order->GetField(0)->GetParent(), order);

    if (!be.schema.empty()) {
        EXPECT_EQ(order->Schema(), be.schema);
        // A table of schema public is listed without a prefix.
        app::ado::TQADOTable* customers = app::ado::TableOf(list, list.IndexOf(be.KeyC()));
        EXPECT_EQ(rtl::LowerCase(customers->Schema()), "public");
    }

    EXPECT_EQ(app::ado::GetQuoteChars(conn.get()), "\"");
    EXPECT_EQ(app::ado::GetConnectionProperty(conn.get(), "dbms name"), be.name);
    EXPECT_EQ(app::ado::GetConnectionProperty(conn.get(), "No Such Property"), "");
    EXPECT_EQ(app::ado::GetIdentifierCase(conn.get()),
              be.schema.empty() ? app::ado::TIdentifierCase::Sensitive : app::ado::TIdentifierCase::Lower);

    // Views come only when asked for.
    Exec("CREATE VIEW " + be.Q("\"big orders\"") + " AS SELECT id FROM " + be.Q("\"order\"") + " WHERE amount > 90");
    const std::string viewKey = (be.schema.empty() ? "" : rtl::UpperCase(be.schema) + ".") + "BIG ORDERS";
    app::ado::GetTableNames(conn.get(), false, false, false, false, false, list);
    EXPECT_LT(list.IndexOf(viewKey), 0);
    app::ado::GetTableNames(conn.get(), false, false, true, false, false, list);
    EXPECT_GE(list.IndexOf(viewKey), 0);
    if (be.schema.empty()) Exec("DROP VIEW \"big orders\"");

    // A closed connection answers empty.
    conn->Close();
    EXPECT_EQ(app::ado::GetQuoteChars(conn.get()), "");
    EXPECT_EQ(app::ado::GetSpecialCharacters(conn.get()), "");
    EXPECT_EQ(app::ado::GetConnectionProperty(conn.get(), "DBMS Name"), "");
    app::ado::GetTableNames(conn.get(), true, true, true, true, true, list);
    EXPECT_EQ(list.Count(), 0);
    conn->Open();
}

TEST_P(LiveDb, QuoteNameQuotesWhatTheDatabaseWouldMisread)
{
    auto f = MakeQuery();
    TmfVQuery& q = f->Q();
    EXPECT_EQ(q.QuoteChars(), "\"");
    EXPECT_EQ(q.DriverName(), rtl::LowerCase(be.name));
    EXPECT_GT(q.DriverKeywords().Count(), 100);
    EXPECT_EQ(q.QuoteName("city"), "city");
    EXPECT_EQ(q.QuoteName("cust id"), "\"cust id\"");
    EXPECT_EQ(q.QuoteName("order"), "\"order\"");
    EXPECT_EQ(q.QuoteName("Group"), "\"Group\"");
    EXPECT_EQ(q.QuoteName("quote\"d"), "\"quote\"\"d\"");
    EXPECT_EQ(q.QuoteName("Name"), be.schema.empty() ? "Name" : "\"Name\"");
    TmfVQueryTable* box = q.AddTable(be.KeyO(), {0, 0}, false);
    EXPECT_EQ(box->DBTableName(), be.schema.empty() ? "\"order\"" : "\"" + be.schema + "\".\"order\"");
    EXPECT_EQ(box->Caption(), be.KeyO());
}

// ---- The generated SELECT runs --------------------------------------------------------------

struct RunCase {
    const char* name;
    std::function<void(QueryFixture&, const Backend&)> build;
    Rows expected;
    bool ordered = true;
    int warnings = 0;
};

TmfVQueryTable* Box(QueryFixture& f, const std::string& key, std::initializer_list<const char*> checked)
{
    TmfVQueryTable* box = f.Q().AddTable(key, {10, 10}, false);
    EXPECT_GT(box->Fields().Count(), 0) << key;
    for (const char* name : checked) {
        const int i = box->ListBox()->Items()->IndexOf(name);
        EXPECT_GE(i, 0) << name;
        if (i >= 0) box->ListBox()->SetChecked(i, true);
    }
    return box;
}

TmfVQueryField* Fd(TmfVQueryTable* box, const char* name) { return QueryFixture::F(box, name); }

void JoinOn(QueryFixture& f, TmfVQueryTable* s, const char* sf, TmfVQueryTable* d, const char* df, int type = 0)
{
    TmfVQueryJoin* j = f.Q().AddJoin(Fd(s, sf), Fd(d, df), "");
    ASSERT_NE(j, nullptr);
    j->JoinType = type;
}

void Where(QueryFixture& f, TmfVQueryTable* box, const char* field, const char* op, const std::string& literal)
{
    TmfVQueryCriteria* c = f.Q().Criterias().Add(Fd(box, field));
    ASSERT_NE(c, nullptr);
    c->Operator = op;
    c->SetLiteral(literal);
}

TmfVQueryField* Calculated(QueryFixture& f, TmfVQueryTable* box, int n, const std::string& shown, const std::string& fn,
                           TmfVQueryTable* of, const char* field)
{
    TmfVQueryField* calc = box->AddField("Calculate" + std::to_string(n), shown, db::ftString, true);
    calc->Calculated = true;
    calc->CalColExpression = fn + "(" + f.Q().QuoteName(of->Alias()) + "." + f.Q().QuoteName(field) + ")";
    return calc;
}

const RunCase kRuns[] = {
    {"inner join of two tables",
     [](QueryFixture& f, const Backend& b) {
         auto* c = Box(f, b.KeyC(), {"Name"});
         auto* o = Box(f, b.KeyO(), {"amount"});
         JoinOn(f, c, "cust id", o, "cust id");
         f.Q().AddSortField(Fd(o, "id"), true);
     },
     {{"O'Brien", "100"}, {"O'Brien", "250"}, {"Zoë Ægir", "75"}, {"Smith", "<null>"}}},
    {"inner joins of three tables",
     [](QueryFixture& f, const Backend& b) {
         auto* c = Box(f, b.KeyC(), {"Name"});
         auto* o = Box(f, b.KeyO(), {});
         auto* u = Box(f, b.KeyU(), {"qty", "quote\"d"});
         JoinOn(f, c, "cust id", o, "cust id");
         JoinOn(f, o, "id", u, "order id");
         f.Q().AddSortField(Fd(u, "id"), true);
     },
     {{"O'Brien", "x\"y", "2"}, {"O'Brien", "<null>", "5"}, {"Zoë Ægir", "ü", "1"}}},
    {"left outer join",
     [](QueryFixture& f, const Backend& b) {
         auto* c = Box(f, b.KeyC(), {"Name"});
         auto* o = Box(f, b.KeyO(), {"id"});
         JoinOn(f, c, "cust id", o, "cust id", 1);
         f.Q().AddSortField(Fd(c, "cust id"), true);
         f.Q().AddSortField(Fd(o, "id"), true);
     },
     {{"O'Brien", "10"}, {"O'Brien", "11"}, {"Zoë Ægir", "12"}, {"Smith", "13"}, {"Unordered", "<null>"}}},
    {"right outer join",
     [](QueryFixture& f, const Backend& b) {
         auto* u = Box(f, b.KeyU(), {"id"});
         auto* o = Box(f, b.KeyO(), {"id"});
         JoinOn(f, u, "order id", o, "id", 2);
     },
     {{"100", "10"}, {"101", "10"}, {"102", "12"}, {"<null>", "11"}, {"<null>", "13"}},
     false},
    {"nested mixed joins",
     [](QueryFixture& f, const Backend& b) {
         auto* c = Box(f, b.KeyC(), {"Name"});
         auto* o = Box(f, b.KeyO(), {});
         auto* u = Box(f, b.KeyU(), {"id"});
         JoinOn(f, c, "cust id", o, "cust id", 1);
         JoinOn(f, u, "order id", o, "id", 1);
         f.Q().AddSortField(Fd(u, "id"), true);
     },
     {{"O'Brien", "100"}, {"O'Brien", "101"}, {"Zoë Ægir", "102"}, {"<null>", "103"}}},
    {"an unjoined box beside a joined group",
     [](QueryFixture& f, const Backend& b) {
         auto* c = Box(f, b.KeyC(), {"Name"});
         auto* o = Box(f, b.KeyO(), {"id"});
         auto* u = Box(f, b.KeyU(), {"id"});
         JoinOn(f, c, "cust id", o, "cust id", 1);
         Where(f, u, "id", "=", "100");
     },
     {{"O'Brien", "10", "100"}, {"O'Brien", "11", "100"}, {"Zoë Ægir", "12", "100"}, {"Smith", "13", "100"},
      {"Unordered", "<null>", "100"}},
     false},
    {"no join at all: warned, still runs",
     [](QueryFixture& f, const Backend& b) {
         auto* c = Box(f, b.KeyC(), {"Name"});
         auto* u = Box(f, b.KeyU(), {"qty"});
         Where(f, u, "id", "=", "103");
         Where(f, c, "city", "=", "Köln");
     },
     {{"Zoë Ægir", "7"}},
     true,
     1},
    {"Count and Sum with Group by",
     [](QueryFixture& f, const Backend& b) {
         auto* c = Box(f, b.KeyC(), {"Name"});
         auto* o = Box(f, b.KeyO(), {});
         Calculated(f, c, 0, "Orders", "Count", o, "id");
         Calculated(f, c, 1, "Total amount", "Sum", o, "amount");
         JoinOn(f, c, "cust id", o, "cust id");
         f.Q().AddSortField(Fd(c, "Name"), true);
     },
     {{"O'Brien", "2", "350"}, {"Smith", "1", "<null>"}, {"Zoë Ægir", "1", "75"}}},
    {"criteria on text with an apostrophe, date and number",
     [](QueryFixture& f, const Backend& b) {
         auto* c = Box(f, b.KeyC(), {"Name"});
         auto* o = Box(f, b.KeyO(), {"id", "group"});
         JoinOn(f, c, "cust id", o, "cust id");
         Where(f, c, "Name", "=", "O'Brien");
         Where(f, o, "ordered", ">=", "2024-02-01");
         Where(f, o, "amount", ">", "80");
     },
     {{"O'Brien", "11", "b"}}},
    {"Distinct",
     [](QueryFixture& f, const Backend& b) {
         auto* c = Box(f, b.KeyC(), {"city"});
         auto* o = Box(f, b.KeyO(), {});
         JoinOn(f, c, "cust id", o, "cust id");
         f.Q().SelectDistinct = true;
     },
     {{"<null>"}, {"Dublin"}, {"Köln"}},
     false},
};

TEST_P(LiveDb, GeneratedSelectGivesTheExpectedRows)
{
    for (const RunCase& run : kRuns) {
        SCOPED_TRACE(run.name);
        auto f = MakeQuery();
        run.build(*f, be);
        for (int i = 0; i < run.warnings; ++i) f->dialogs.AnswerMessage(ui::mrOk);
        const std::vector<std::string> sql = f->Sql();
        EXPECT_EQ(static_cast<int>(f->dialogs.Asked().size()), run.warnings);
        Rows rows;
        try {
            rows = Run(sql);
        } catch (const rtl::Exception& e) {
            ADD_FAILURE() << e.Message() << "\n" << rtl::TStringList().Text();
            for (const auto& line : sql) ADD_FAILURE() << line;
            continue;
        }
        Rows expected = run.expected;
        if (!run.ordered) {
            std::sort(rows.begin(), rows.end());
            std::sort(expected.begin(), expected.end());
        }
        EXPECT_EQ(rows, expected);
        if (rows != expected)
            for (const auto& line : sql) ADD_FAILURE() << line;
    }
}

TEST_P(LiveDb, ADistinctTheDatabaseRefusesFailsOnOpeningWithTheDriversMessage)
{
    auto f = MakeQuery();
    auto* c = Box(*f, be.KeyC(), {"city"});
    f->Q().SelectDistinct = true;
    f->Q().AddSortField(Fd(c, "Name"), true);
    const std::vector<std::string> sql = f->Sql();
    if (be.schema.empty()) {
        EXPECT_EQ(Run(sql).size(), 4u);  // SQLite accepts it
        return;
    }
    try {
        Run(sql);
        ADD_FAILURE() << "PostgreSQL accepted ORDER BY outside a DISTINCT select list";
    } catch (const rtl::Exception& e) {
        EXPECT_NE(rtl::UpperCase(e.Message()).find("DISTINCT"), std::string::npos) << e.Message();
    }
}

// ---- Names the database holds are data, never SQL ------------------------------------------

// An identifier written as SQL source (double quotes, inner ones doubled).
std::string Ident(const std::string& name)
{
    std::string out = "\"";
    for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// Column names that end a comment, open a nested one (PostgreSQL nests them), close a quote of
// either kind, end the statement or the line, or hold backslashes and parameter marks. Each is
// a column of both tables below; table names are hostile too.
const char* const kHostileColumns[] = {
    "y*/ 1=1); DROP TABLE victim; COMMIT; SELECT 1 WHERE (1=1 AND /*",
    "n/* nested",
    "a*/b/*c",
    "*/",
    "dq\"; DROP TABLE victim; --",
    "sq'; DROP TABLE victim; --",
    "semi; DROP TABLE victim",
    "lf\n); DROP TABLE victim; --",
    "cr\r\n); DROP TABLE victim; --",
    "bs\\",
    "b\\*/ c",
    "--dash",
    "q?mark :x",
};
// Table names of the same kind (a table name is written in the join comment as well).
const char* const kHostileTables[] = {"hA*/ ; DROP TABLE victim; /*", "hB\"'; --\n/*"};

TEST_P(LiveDb, HostileNamesStayInsideTheirQuotesAndComments)
{
    const auto table = [&](const std::string& name) { return be.schema.empty() ? Ident(name) : be.Q(Ident(name)); };
    const auto key = [&](const std::string& name) {
        return (be.schema.empty() ? "" : rtl::UpperCase(be.schema) + ".") + rtl::UpperCase(name);
    };
    // Each table: ids 1 and 2 (the first of a pair) or 1 and 3 (the second), every other column
    // the id; a join on any column pairs the rows of id 1.
    const char* const tables[] = {"ha", "hb", kHostileTables[0], kHostileTables[1]};
    for (std::size_t t = 0; t < std::size(tables); ++t) {
        std::string columns = "id INTEGER, plain INTEGER";
        for (const char* c : kHostileColumns) columns += ", " + Ident(c) + " INTEGER";
        Exec("CREATE TABLE " + table(tables[t]) + " (" + columns + ")");
        for (int id : {1, t % 2 == 0 ? 2 : 3}) {
            std::string values = std::to_string(id) + ", " + std::to_string(id);
            for (std::size_t i = 0; i < std::size(kHostileColumns); ++i) values += ", " + std::to_string(id);
            Exec("INSERT INTO " + table(tables[t]) + " VALUES (" + values + ")");
        }
    }
    struct Case {
        std::string a, b, column;
    };
    std::vector<Case> cases;
    for (const char* column : kHostileColumns) cases.push_back({"ha", "hb", column});
    cases.push_back({kHostileTables[0], kHostileTables[1], "plain"});
    cases.push_back({kHostileTables[0], kHostileTables[1], kHostileColumns[0]});

    const auto victimStands = [&] {
        try {
            return Run({"SELECT id FROM victim"}) == Rows{{"7"}};
        } catch (const rtl::Exception&) {
            return false;
        }
    };
    const std::pair<const char*, const char*> commentStyles[] = {{"/*", "*/"}, {"--", ""}};
    for (const auto& [start, end] : commentStyles) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(start) + " comment, tables " + c.a + " and " + c.b + ", column " + c.column);
            Exec("DROP TABLE IF EXISTS victim");
            Exec("CREATE TABLE victim (id INTEGER)");
            Exec("INSERT INTO victim VALUES (7)");
            auto f = MakeQuery();
            f->Q().ShowJoinComment = true;
            f->Q().SQLCommentStartChars = start;
            f->Q().SQLCommentEndChars = end;
            TmfVQueryTable* a = Box(*f, key(c.a), {"id", c.column.c_str()});
            TmfVQueryTable* b = Box(*f, key(c.b), {"id"});
            JoinOn(*f, a, c.column.c_str(), b, c.column.c_str());
            Where(*f, a, c.column.c_str(), "<", "3");
            f->Q().AddSortField(Fd(a, c.column.c_str()), false);
            std::string text;
            for (const std::string& line : f->Sql()) text += line + "\n";
            Rows rows;
            try {
                rows = Run(f->Sql());
            } catch (const rtl::Exception& e) {
                ADD_FAILURE() << e.Message() << "\n" << text;
            }
            EXPECT_EQ(rows, (Rows{{"1", "1", "1"}})) << text;
            EXPECT_TRUE(victimStands()) << "the table victim was dropped by\n" << text;
        }
    }
    Exec("DROP TABLE IF EXISTS victim");
}

TEST_P(LiveDb, TableNamesWithPatternCharactersShowExactlyTheirOwnColumns)
{
    // Catalogue lookups take search patterns: "_" and "%" match others, and drivers disagree
    // on what their escape character does to itself.
    const char* const names[] = {"p\\q", "p_q", "paq", "p%q", "pxyq", "p\\_q", "tail\\", "p\\\\q"};
    for (std::size_t i = 0; i < std::size(names); ++i) {
        const std::string t = be.schema.empty() ? Ident(names[i]) : be.Q(Ident(names[i]));
        Exec("CREATE TABLE " + t + " (" + Ident("col " + std::to_string(i)) + " INTEGER, " +
             Ident(std::string(names[i]) + " own") + " INTEGER)");
    }
    auto f = MakeQuery();
    for (std::size_t i = 0; i < std::size(names); ++i) {
        SCOPED_TRACE(names[i]);
        const std::string key = (be.schema.empty() ? "" : rtl::UpperCase(be.schema) + ".") + rtl::UpperCase(names[i]);
        ASSERT_GE(f->Q().TableNames().IndexOf(key), 0);
        TmfVQueryTable* box = f->Q().AddTable(key, {10, 10}, false);
        std::vector<std::string> shown;
        for (int k = 0; k < box->ListBox()->Items()->Count(); ++k) shown.push_back(box->ListBox()->Items()->Strings(k));
        EXPECT_EQ(shown, (std::vector<std::string>{"col " + std::to_string(i), std::string(names[i]) + " own"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, LiveDb, ::testing::Values("SQLite", "PostgreSQL"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
