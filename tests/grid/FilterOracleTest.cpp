// Filter texts against the database as the oracle: a text installed on a table or a query, or
// given as the library table's gkFilter lines, shows the records that a WHERE clause of the
// same condition selects.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "grid/gkFilter.h"
#include "grid/gkTable.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/grid/PgTestServer.h"

namespace {

struct OracleCase {
    std::string table;
    std::string key;
    std::string filter;
    std::string where;
};

std::vector<long long> Keys(db::TDataSet& ds, const std::string& key)
{
    std::vector<long long> keys;
    for (ds.First(); !ds.Eof(); ds.Next()) keys.push_back(ds.FieldByName(key)->AsVariant().AsInt64());
    std::sort(keys.begin(), keys.end());
    return keys;
}

// Every case on a table and on a query over the same table; the oracle must select some
// records and leave some out, so that a filter showing all or none cannot pass.
void CheckAgainstWhere(db::TADOConnection& conn, const std::vector<OracleCase>& cases)
{
    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope(dialogs);
    for (const OracleCase& c : cases) {
        SCOPED_TRACE(c.filter);
        db::TADOQuery oracle(nullptr);
        oracle.SetConnection(&conn);
        oracle.SQL()->SetText("SELECT " + c.key + " FROM " + c.table);
        oracle.Open();
        const std::size_t all = Keys(oracle, c.key).size();
        oracle.Close();
        oracle.SQL()->SetText("SELECT " + c.key + " FROM " + c.table + " WHERE " + c.where);
        oracle.Open();
        const std::vector<long long> expected = Keys(oracle, c.key);
        EXPECT_GT(expected.size(), 0u);
        EXPECT_LT(expected.size(), all);

        db::TADOTable table(nullptr);
        table.SetConnection(&conn);
        table.SetTableName(c.table);
        db::TADOQuery query(nullptr);
        query.SetConnection(&conn);
        query.SQL()->SetText("SELECT * FROM " + c.table);
        for (db::TCustomADODataSet* ds : {static_cast<db::TCustomADODataSet*>(&table),
                                          static_cast<db::TCustomADODataSet*>(&query)}) {
            ds->Open();
            db::TRecordFilterHandle handle = 0;
            ASSERT_TRUE(grid::gkApplyFilterText(c.filter, *ds, handle, false));
            EXPECT_EQ(Keys(*ds, c.key), expected) << ds->ClassName();
            grid::gkDropFilter(*ds, handle);
            EXPECT_EQ(Keys(*ds, c.key).size(), all);
        }
        // The same condition as the second of two gkFilter lines (the first keeps every key;
        // an unquoted text literal would take a following " AND" into itself).
        grid::TgkTable gk(nullptr);
        gk.SetConnection(&conn);
        gk.SetTableName(c.table);
        gk.gkFilter()->Add(c.key + " > -1");
        gk.gkFilter()->Add(c.filter);
        gk.Open();
        EXPECT_EQ(Keys(gk, c.key), expected) << "TgkTable";
    }
    EXPECT_TRUE(dialogs.Asked().empty());
}

}  // namespace

TEST(FilterOracle, SQLiteSampleOrdersAndProducts)
{
    const std::string file = std::string(GW_BINARY_DIR) + "/share/Data/DBSamples/Sample1.db";
    ASSERT_TRUE(rtl::FileExists(file)) << "the build makes " << file;
    db::TADOConnection conn(nullptr);
    conn.SetLoginPrompt(false);
    conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + file));
    conn.Open();
    const std::vector<OracleCase> cases = {
        // Texts, by code point.
        {"orders", "order_id", "status = \"Open\"", "status = 'Open'"},
        {"orders", "order_id", "order_id > 10150 AND status = Open", "order_id > 10150 AND status = 'Open'"},
        {"products", "product_id", "name >= \"Ch\" AND name < \"Q\"", "name >= 'Ch' AND name < 'Q'"},
        {"products", "product_id", "category <> \"Beverages\"", "category <> 'Beverages'"},
        // Integers.
        {"orders", "order_id", "customer_id = 7", "customer_id = 7"},
        {"products", "product_id", "units_in_stock <= 20", "units_in_stock <= 20"},
        {"orders", "order_id", "order_id >= 10190", "order_id >= 10190"},
        // Numbers with a fraction.
        {"products", "product_id", "unit_price >= 19.5 AND unit_price < 40", "unit_price >= 19.5 AND unit_price < 40"},
        // Dates, times and time stamps in the locale's formats.
        {"orders", "order_id", "order_date < \"2/1/2023\"", "order_date < '2023-02-01'"},
        {"orders", "order_id", "order_date = \"1/5/2023\"", "order_date = '2023-01-05'"},
        {"orders", "order_id", "order_time >= \"2:00 PM\"", "order_time >= '14:00:00'"},
        {"orders", "order_id", "shipped_at > \"6/1/2023 12:00\"", "shipped_at > '2023-06-01 12:00:00'"},
        // Booleans.
        {"products", "product_id", "discontinued = True", "discontinued = 1"},
        {"products", "product_id", "unit_price > 30 AND discontinued <> T", "unit_price > 30 AND discontinued <> 1"},
        // Nulls fail every comparison.
        {"orders", "order_id", "shipped_at < \"1/1/2030\"", "shipped_at < '2030-01-01'"},
        {"customers", "customer_id", "email <> \"maria@futterkiste.example\"", "email <> 'maria@futterkiste.example'"},
        // AND and OR from the left.
        {"orders", "order_id", "status = \"Open\" OR customer_id = 3 AND order_id > 10100",
         "(status = 'Open' OR customer_id = 3) AND order_id > 10100"},
        {"orders", "order_id", "order_id < 10010 AND customer_id > 20 OR customer_id = 5",
         "(order_id < 10010 AND customer_id > 20) OR customer_id = 5"},
        {"orders", "order_id", "customer_id = 5 OR (order_id < 10010 AND customer_id > 20)",
         "customer_id = 5 OR (order_id < 10010 AND customer_id > 20)"},
    };
    CheckAgainstWhere(conn, cases);
}

TEST(FilterOracle, PostgreSQLDecimals)
{
    const std::optional<std::string> init = gridtest::PgTestInitString();
    if (!init)
        GTEST_SKIP() << "GW_PG_PORT is not set: the PostgreSQL test server is not running (scripts/gw test starts it)";
    db::TADOConnection conn(nullptr);
    conn.SetLoginPrompt(false);
    conn.SetConnectionString(*init);
    conn.Open();
    db::TADOQuery setup(nullptr);
    setup.SetConnection(&conn);
    setup.SQL()->SetText("CREATE TEMPORARY TABLE filter_amounts (id INTEGER PRIMARY KEY, amount NUMERIC(12,2), "
                         "big BIGINT, label VARCHAR(20), paid BOOLEAN, due DATE)");
    setup.ExecSQL();
    setup.SQL()->SetText(
        "INSERT INTO filter_amounts VALUES "
        "(1, 10.25, 70000, 'Ärger', true, '2024-01-05'), (2, 10.24, 4464, 'apple', false, '2024-02-29'), "
        "(3, -0.05, 9000000000, 'Zebra', NULL, NULL), (4, 1234567890.99, -1, NULL, true, '2023-12-31'), "
        "(5, NULL, NULL, 'apple', false, '2024-01-05'), (6, 0.00, 0, 'b', true, '2024-06-01')");
    setup.ExecSQL();
    setup.SQL()->SetText("SELECT * FROM filter_amounts");
    setup.Open();
    ASSERT_EQ(setup.FieldByName("amount")->DataType(), db::ftBCD);  // decimals read exactly
    EXPECT_EQ(setup.FieldByName("amount")->Size(), 2);
    EXPECT_EQ(setup.FieldByName("big")->DataType(), db::ftLargeint);
    setup.Close();
    const std::vector<OracleCase> cases = {
        {"filter_amounts", "id", "amount = 10.25", "amount = 10.25"},
        {"filter_amounts", "id", "amount > 10.24", "amount > 10.24"},
        {"filter_amounts", "id", "amount < 0", "amount < 0"},
        {"filter_amounts", "id", "amount >= 1234567890.99", "amount >= 1234567890.99"},
        {"filter_amounts", "id", "amount <> 0 AND amount < 100", "amount <> 0 AND amount < 100"},
        {"filter_amounts", "id", "big = 70000", "big = 70000"},
        {"filter_amounts", "id", "big > 4294967296", "big > 4294967296"},
        {"filter_amounts", "id", "label = apple", "label = 'apple'"},
        {"filter_amounts", "id", "label > \"Zebra\"", "label COLLATE \"C\" > 'Zebra'"},
        {"filter_amounts", "id", "amount < 0 OR paid = False", "amount < 0 OR paid = false"},
        {"filter_amounts", "id", "due >= \"1/5/2024\"", "due >= '2024-01-05'"},
    };
    CheckAgainstWhere(conn, cases);
}

// An installed filter stays with the data set across closing; it finds its fields again in
// the next result, wherever they stand, and says so when one is gone.
TEST(FilterOracle, AFilterFindsItsFieldsAgainAfterReopening)
{
    const std::string file = std::string(GW_BINARY_DIR) + "/share/Data/DBSamples/Sample1.db";
    db::TADOConnection conn(nullptr);
    conn.SetLoginPrompt(false);
    conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + file));
    conn.Open();
    db::TADOQuery q(nullptr);
    q.SetConnection(&conn);
    q.SQL()->SetText("SELECT product_id, unit_price FROM products");
    q.Open();
    db::TRecordFilterHandle handle = 0;
    ASSERT_TRUE(grid::gkApplyFilterText("unit_price > 30 AND product_id < 20", q, handle, false));
    const std::vector<long long> dear = Keys(q, "product_id");
    ASSERT_FALSE(dear.empty());
    q.Close();
    q.SQL()->SetText("SELECT name, unit_price, category, product_id FROM products");
    q.Open();
    EXPECT_EQ(Keys(q, "product_id"), dear);
    q.Close();
    q.SQL()->SetText("SELECT product_id, name FROM products");
    EXPECT_THROW(q.Open(), db::EDatabaseError);
    grid::gkDropFilter(q, handle);
    q.Open();
    EXPECT_EQ(q.RecordCount(), 25);
}
