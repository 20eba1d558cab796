// The static pages written from a forward-only reading of the statement are byte for byte the
// pages written from the design window's scrollable query, on SQLite and on the PostgreSQL test
// server (skipped when GW_PG_PORT is unset or nothing answers there), for 0, 1, 100 and
// 1,000,001 rows; split and single pages, each layout. The rows are made by the server from a
// recursive statement, so the large case needs no inserts from here.
// Besides: the page set fails as a whole when the rows change between the count and the
// reading, and a sorted or filtered query is not read again.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "designer/ColumnModel.h"
#include "designer/ExpStatic.h"
#include "designer/LayoutTemplate.h"
#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/Fields.h"
#include "platform/db/ForwardQuery.h"
#include "platform/rtl/Files.h"

using namespace designer;
namespace fs = std::filesystem;

namespace {

const std::string kStyles = std::string(GW_SOURCE_DIR) + "/share/LayoutStyles";

struct Backend {
    const char* name;
    // A date `days` after 2024-01-01 and a time stamp `seconds` after its midnight, in SQL.
    const char* date;
    const char* stamp;
};
const Backend kSQLite{"SQLite", "date('2024-01-01', '+' || (i % 400) || ' days')",
                      "datetime('2024-01-01', '+' || (i * 7) || ' seconds')"};
const Backend kPostgres{"PostgreSQL", "DATE '2024-01-01' + (i % 400)",
                        "TIMESTAMP '2024-01-01' + (i * 7) * INTERVAL '1 second'"};

struct Layout {
    int style;
    const char* styleName;
};

struct PagesCase {
    int rows;
    bool split;
    int perPage;
    std::vector<Layout> layouts;
};

class StreamingExport : public ::testing::TestWithParam<const Backend*> {
protected:
    void SetUp() override
    {
        std::string init;
        if (GetParam() == &kSQLite) {
            const std::string file = home.path().toStdString() + "/rows.db";
            rtl::WriteStringToFile(file, "");
            init = db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + file);
        } else {
            const char* port = std::getenv("GW_PG_PORT");
            if (port == nullptr || *port == '\0') GTEST_SKIP() << "GW_PG_PORT is not set";
            init = db::FormatInitString({{"Provider", "MSDASQL.1"},
                                         {"User ID", "gridweaver"},
                                         {"Password", "gridweaver"},
                                         {"Extended Properties", "DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=" +
                                                                     std::string(port) + ";Database=gridweaver_test"}});
        }
        conn = std::make_unique<db::TADOConnection>(nullptr);
        conn->SetLoginPrompt(false);
        conn->SetConnectionString(init);
        try {
            conn->Open();
        } catch (const rtl::Exception& e) {
            GTEST_SKIP() << GetParam()->name << " does not answer: " << e.Message();
        }
        table = "gw_stream_" + std::to_string(::getpid());
        conn->Execute("DROP TABLE IF EXISTS " + table);
        conn->Execute("CREATE TABLE " + table +
                      " (id INTEGER NOT NULL, name VARCHAR(40), price NUMERIC(10,2), qty BIGINT, born DATE,"
                      " stamp TIMESTAMP, site VARCHAR(60))");
    }
    void TearDown() override
    {
        if (conn && conn->Connected()) conn->Execute("DROP TABLE IF EXISTS " + table);
    }

    // `rows` rows: markup and quotes in the text, a null now and then in every column.
    void Fill(int rows)
    {
        conn->Execute("DELETE FROM " + table);
        if (rows == 0) return;
        const Backend& b = *GetParam();
        // The SQLite driver takes a statement that begins with WITH for a query: the INSERT goes first.
        conn->Execute("INSERT INTO " + table + " WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                      std::to_string(rows) +
                      ") SELECT i,"
                      " CASE WHEN i % 11 = 0 THEN NULL ELSE 'Tom & \"Jerry\" <' || i || '>' END,"
                      " CASE WHEN i % 13 = 0 THEN NULL ELSE (i * 37 % 100000) / 100.0 END,"
                      " CASE WHEN i % 17 = 0 THEN NULL ELSE CAST(i AS BIGINT) * 1000003 END,"
                      " CASE WHEN i % 19 = 0 THEN NULL ELSE " + std::string(b.date) + " END,"
                      " CASE WHEN i % 23 = 0 THEN NULL ELSE " + std::string(b.stamp) + " END,"
                      " CASE WHEN i % 29 = 0 THEN 'javascript:x()' ELSE 'http://example.com/?id=' || i END"
                      " FROM n");
    }
    std::string Select() const { return "SELECT id, name, price, qty, born, stamp, site FROM " + table + " ORDER BY id"; }
    void ExpectSamePages(const PagesCase& c);

    QTemporaryDir home;
    std::unique_ptr<db::TADOConnection> conn;
    std::string table;
};

TPageSettings SettingsOf(bool split, int perPage, const Layout& layout)
{
    TPageSettings s;
    s.split = split;
    s.frames = true;
    s.recordsPerPage = perPage;
    s.title = "Rows";
    s.headerNavigation = 1;
    s.footerNavigation = 2;
    s.style = layout.style;
    if (layout.style > 1) {
        s.styleName = layout.styleName;
        if (const auto style = LoadLayoutStyle(kStyles, s.styleName)) s.templateText = style->templateText;
    }
    return s;
}

// The column model as the window builds it, with the address column linked and a number format.
void BuildColumns(TColumnModel& model, db::TDataSet& query)
{
    model.RebuildColumnList("Reset", query);
    model.HyperlinkTypeList.Put(6, "1");
    model.UrlList.Put(6, "[SITE]");
}

// Every file of `a` is in `b` with the same bytes, and `b` has no other; compared a file at a
// time, since the large case writes more than fits comfortably twice in memory.
void ExpectSameTree(const fs::path& a, const fs::path& b)
{
    std::size_t files = 0;
    for (const auto& f : fs::recursive_directory_iterator(a)) {
        if (!f.is_regular_file()) continue;
        ++files;
        const fs::path other = b / fs::relative(f.path(), a);
        ASSERT_TRUE(fs::exists(other)) << other;
        ASSERT_TRUE(rtl::ReadFileToString(f.path().string()) == rtl::ReadFileToString(other.string())) << other;
    }
    std::size_t others = 0;
    for (const auto& f : fs::recursive_directory_iterator(b)) others += f.is_regular_file() ? 1 : 0;
    EXPECT_EQ(others, files);
    EXPECT_GT(files, 0u);
}

// Exports the rows through the scrollable query and through the forward-only reading, into two
// folders, and compares them.
void StreamingExport::ExpectSamePages(const PagesCase& c)
{
    Fill(c.rows);
    db::TADOQuery query(nullptr);
    query.SetConnection(conn.get());
    query.SQL()->SetText(Select());
    query.Open();
    // The grid may have moved and relabelled the columns; the reading follows.
    query.FieldByName("site")->SetIndex(1);
    query.FieldByName("name")->SetDisplayLabel("Customer");
    TColumnModel model;
    BuildColumns(model, query);
    for (const Layout& layout : c.layouts) {
        SCOPED_TRACE(std::to_string(c.rows) + " rows, " + (c.split ? "split by " + std::to_string(c.perPage) : "one page") +
                     ", style " + std::to_string(layout.style));
        const TPageSettings settings = SettingsOf(c.split, c.perPage, layout);
        QTemporaryDir dir;
        const fs::path scrolled = fs::path(dir.path().toStdString()) / "scrolled";
        const fs::path streamed = fs::path(dir.path().toStdString()) / "streamed";
        fs::create_directories(scrolled);
        fs::create_directories(streamed);
        EXPECT_EQ(ExportHtmlPages({settings, model, query, {}, kStyles}, (scrolled / "Rows.html").string()).records,
                  c.rows);
        const std::unique_ptr<db::TForwardQuery> reading = OpenForwardReading(query);
        ASSERT_TRUE(reading);
        int counted = 0;
        const THtmlExport e{settings, model, *reading, {}, kStyles, [&] {
                                ++counted;
                                return reading->CountRecords();
                            }};
        EXPECT_EQ(ExportHtmlPages(e, (streamed / "Rows.html").string()).records, c.rows);
        EXPECT_EQ(counted, c.split ? 1 : 0) << "a single page counts as it writes";
        EXPECT_LE(reading->RowsHeld(), db::TForwardQuery::RowsPerRead);
        ExpectSameTree(scrolled, streamed);
    }
}

TEST_P(StreamingExport, PagesAreThoseOfTheScrollableQuery)
{
    const std::vector<Layout> all{{0, ""}, {1, ""}, {2, "Catalog"}};
    for (const PagesCase& c : std::vector<PagesCase>{{0, true, 100, all},
                                                     {0, false, 100, all},
                                                     {1, true, 100, all},
                                                     {1, false, 100, all},
                                                     {100, true, 100, all},
                                                     {100, true, 7, all},
                                                     {100, false, 100, all}})
        ExpectSamePages(c);
}

// The large case on its own, so that it runs beside the others.
TEST_P(StreamingExport, AMillionRowsArePagedAlike) { ExpectSamePages({1000001, true, 50000, {{0, ""}}}); }

// Rows that change between the count and the reading would leave pages that disagree with the
// page count and the index: the set is not written, and what was there stays.
TEST_P(StreamingExport, RowsChangedAfterTheCountLeaveTheEarlierPages)
{
    Fill(30);
    db::TADOQuery query(nullptr);
    query.SetConnection(conn.get());
    query.SQL()->SetText(Select());
    query.Open();
    TColumnModel model;
    BuildColumns(model, query);
    const TPageSettings settings = SettingsOf(true, 10, {0, ""});
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/Rows.html";
    ExportHtmlPages({settings, model, query, {}, kStyles}, file);
    const std::string index = rtl::ReadFileToString(dir.path().toStdString() + "/Rows_index.html");
    const std::string first = rtl::ReadFileToString(dir.path().toStdString() + "/Rows01.html");
    for (const long long counted : {25LL, 35LL}) {
        SCOPED_TRACE(counted);
        const std::unique_ptr<db::TForwardQuery> reading = OpenForwardReading(query);
        ASSERT_TRUE(reading);
        EXPECT_THROW(ExportHtmlPages({settings, model, *reading, {}, kStyles, [&] { return counted; }}, file), EPageExport);
        EXPECT_EQ(rtl::ReadFileToString(dir.path().toStdString() + "/Rows_index.html"), index);
        EXPECT_EQ(rtl::ReadFileToString(dir.path().toStdString() + "/Rows01.html"), first);
    }
}

// While the browsing query has rows still to read, its statement stays open: the export reads
// on a connection of its own (a driver stepping one statement per connection would otherwise
// read the query's whole rest into memory), leaves the query as it was, and writes the same
// pages.
TEST_P(StreamingExport, AQueryStillBeingReadKeepsItsStatementAndItsConnection)
{
    Fill(5000);
    db::TADOQuery query(nullptr);
    query.SetConnection(conn.get());
    query.SQL()->SetText(Select());
    query.Open();
    if (query.AllRowsRead()) GTEST_SKIP() << GetParam()->name << " reads the whole result when the statement runs";
    TColumnModel model;
    BuildColumns(model, query);
    const TPageSettings settings = SettingsOf(true, 1000, {0, ""});
    QTemporaryDir dir;
    const fs::path streamed = fs::path(dir.path().toStdString()) / "streamed";
    const fs::path scrolled = fs::path(dir.path().toStdString()) / "scrolled";
    fs::create_directories(streamed);
    fs::create_directories(scrolled);
    {
        const std::unique_ptr<db::TForwardQuery> reading = OpenForwardReading(query);
        ASSERT_TRUE(reading);
        EXPECT_NE(reading->Connection(), query.Connection());
        const THtmlExport e{settings, model, *reading, {}, kStyles, [&] { return reading->CountRecords(); }};
        EXPECT_EQ(ExportHtmlPages(e, (streamed / "Rows.html").string()).records, 5000);
    }
    EXPECT_FALSE(query.AllRowsRead());
    EXPECT_EQ(ExportHtmlPages({settings, model, query, {}, kStyles}, (scrolled / "Rows.html").string()).records, 5000);
    ExpectSameTree(scrolled, streamed);
    // Read whole, the query shares its connection again.
    EXPECT_EQ(OpenForwardReading(query)->Connection(), query.Connection());
}

// A query that shows its rows sorted or filtered shows other rows than the statement answers.
TEST_P(StreamingExport, ASortedOrFilteredQueryIsNotReadAgain)
{
    Fill(5);
    db::TADOQuery query(nullptr);
    query.SetConnection(conn.get());
    query.SQL()->SetText(Select());
    query.Open();
    EXPECT_TRUE(OpenForwardReading(query));
    query.SetSort("id DESC");
    EXPECT_FALSE(OpenForwardReading(query));
    query.SetSort("");
    query.SetFilterText("id > 2");
    query.SetFiltered(true);
    EXPECT_FALSE(OpenForwardReading(query));
}

INSTANTIATE_TEST_SUITE_P(Backends, StreamingExport, ::testing::Values(&kSQLite, &kPostgres),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
