// The sample databases built from share/SQL, and what the ADO data sets do with a result in
// memory: filter and sort texts, locate and bookmarks across a re-sort, field links.

#include <gtest/gtest.h>

#include <random>

#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Files.h"

using namespace db;

namespace {

std::string Sample(const std::string& name) { return std::string(GW_BINARY_DIR) + "/share/Data/DBSamples/" + name; }

class SampleDatabase : public ::testing::Test {
protected:
    void Open(const std::string& file)
    {
        ASSERT_TRUE(rtl::FileExists(Sample(file))) << "the build makes " << Sample(file);
        conn_.SetLoginPrompt(false);
        conn_.SetConnectionString(MakeOdbcInitString("DRIVER=SQLite3;Database=" + Sample(file)));
        conn_.Open();
        q_.SetConnection(&conn_);
    }
    TADOQuery& Run(const std::string& sql)
    {
        q_.Close();
        q_.SQL()->SetText(sql);
        q_.Open();
        return q_;
    }
    TADOConnection conn_{nullptr};
    TADOQuery q_{nullptr};
};

}  // namespace

TEST_F(SampleDatabase, Sample1IsASmallBusiness)
{
    Open("Sample1.db");
    EXPECT_EQ(Run("SELECT count(*) AS n FROM customers").FieldByName("n")->AsInteger(), 30);
    EXPECT_EQ(Run("SELECT count(*) AS n FROM products").FieldByName("n")->AsInteger(), 25);
    EXPECT_EQ(Run("SELECT count(*) AS n FROM orders").FieldByName("n")->AsInteger(), 200);
    EXPECT_GT(Run("SELECT count(*) AS n FROM order_items").FieldByName("n")->AsInteger(), 300);

    TADOQuery& customers = Run("SELECT * FROM customers ORDER BY customer_id");
    EXPECT_EQ(customers.RecordCount(), 30);
    EXPECT_TRUE(customers.Locate("company", TVariant("東京商事")));
    EXPECT_EQ(customers.FieldByName("city")->AsString(), "東京");
    EXPECT_TRUE(customers.Locate("company", TVariant("café müller"), {loCaseInsensitive}));
    EXPECT_EQ(customers.FieldByName("since")->DataType(), ftDate);

    TADOQuery& products = Run("SELECT name, unit_price, image_file, description FROM products ORDER BY product_id");
    EXPECT_EQ(products.FieldByName("unit_price")->DataType(), ftFloat);
    EXPECT_EQ(products.FieldByName("description")->DataType(), ftMemo);
    EXPECT_EQ(products.FieldByName("image_file")->AsString(), "chai.jpg");
    EXPECT_DOUBLE_EQ(products.FieldByName("unit_price")->AsFloat(), 18.0);

    TADOQuery& orders = Run("SELECT * FROM orders ORDER BY order_id");
    EXPECT_EQ(orders.FieldByName("order_date")->DataType(), ftDate);
    EXPECT_EQ(orders.FieldByName("order_time")->DataType(), ftTime);
    EXPECT_EQ(orders.FieldByName("shipped_at")->DataType(), ftDateTime);
    EXPECT_EQ(orders.FieldByName("order_date")->AsDateTime(), rtl::EncodeDate(2023, 1, 5));
    EXPECT_TRUE(orders.Locate("order_id", TVariant(10009)));
    EXPECT_TRUE(orders.FieldByName("shipped_at")->IsNull());
    EXPECT_EQ(orders.FieldByName("status")->AsString(), "Open");
    EXPECT_TRUE(orders.Locate("order_id", TVariant(10005)));
    EXPECT_NE(orders.FieldByName("notes")->AsString().find("\r\n"), std::string::npos);

    EXPECT_EQ(Run("SELECT * FROM order_totals").RecordCount(), 200);

    TADODataSet schema(nullptr);
    conn_.OpenSchema(siTables, {TVariant(), TVariant(), TVariant(), TVariant("VIEW")}, &schema);
    ASSERT_EQ(schema.RecordCount(), 1);
    EXPECT_EQ(schema.FieldByName("TABLE_NAME")->AsString(), "order_totals");
    conn_.OpenSchema(siTables, {TVariant(), TVariant(), TVariant(), TVariant("TABLE")}, &schema);
    EXPECT_EQ(schema.RecordCount(), 4);
}

TEST_F(SampleDatabase, Sample2IsAStaffDirectory)
{
    Open("Sample2.db");
    TADOQuery& staff = Run("SELECT e.*, d.name AS department FROM employees e "
                           "JOIN departments d ON d.department_id = e.department_id ORDER BY e.employee_id");
    EXPECT_EQ(staff.RecordCount(), 120);
    EXPECT_EQ(staff.FieldByName("photo")->AsString(), "photos/emp001.jpg");
    EXPECT_EQ(staff.FieldByName("hire_date")->DataType(), ftDate);
    EXPECT_EQ(staff.FieldByName("biography")->DataType(), ftMemo);
    EXPECT_TRUE(staff.Locate("first_name;last_name", {TVariant("Søren"), TVariant("Øster")}) ||
                staff.Locate("first_name", TVariant("Søren")));
    EXPECT_EQ(Run("SELECT count(*) AS n FROM timesheets").FieldByName("n")->AsInteger(), 240);
    EXPECT_EQ(Run("SELECT * FROM projects").FieldByName("code")->DataType(), ftString);
}

TEST_F(SampleDatabase, FilterAndSortTextsSelectAndOrderTheRows)
{
    Open("Sample1.db");
    TADOQuery& p = Run("SELECT product_id, name, category, unit_price FROM products");
    p.SetSort("category ASC, unit_price DESC");
    p.First();
    EXPECT_EQ(p.FieldByName("category")->AsString(), "Beverages");
    EXPECT_EQ(p.FieldByName("name")->AsString(), "Côte de Blaye");
    const TBookmark blaye = p.GetBookmark();

    p.SetFilterText("unit_price >= 20 AND (category = 'dairy' OR name LIKE 'c*')");
    EXPECT_EQ(p.RecordCount(), 25);  // a filter text applies only once Filtered is set
    p.SetFiltered(true);
    std::vector<std::string> names;
    for (p.First(); !p.Eof(); p.Next()) names.push_back(p.FieldByName("name")->AsString());
    EXPECT_EQ(names, (std::vector<std::string>{"Côte de Blaye", "Chef Anton's Cajun Seasoning", "Queso Manchego La Pastora",
                                               "Queso Cabrales"}));
    EXPECT_EQ(p.RecordCount(), 4);

    p.SetSort("unit_price");
    p.GotoBookmark(blaye);  // bookmarks outlive a re-sort
    EXPECT_EQ(p.FieldByName("name")->AsString(), "Côte de Blaye");
    EXPECT_EQ(p.RecNo(), 4);

    EXPECT_THROW(p.SetFilterText("unit_price >"), EDatabaseError);
    EXPECT_THROW(p.SetSort("no_such_column"), EDatabaseError);
    EXPECT_EQ(p.Sort(), "unit_price");  // a failed change keeps the old view
    EXPECT_EQ(p.RecordCount(), 4);
    p.SetFiltered(false);
    EXPECT_EQ(p.RecordCount(), 25);
    p.SetFilterText("name = NULL");
    p.SetFiltered(true);
    EXPECT_EQ(p.RecordCount(), 0);
    EXPECT_TRUE(p.IsEmpty());
}

TEST_F(SampleDatabase, RecordFiltersJoinTheFilterTextOnAQuery)
{
    Open("Sample1.db");
    TADOQuery& p = Run("SELECT product_id, name, category, unit_price FROM products ORDER BY product_id");
    const TRecordFilterHandle dear =
        p.AddRecordFilter([](TDataSet& d) { return d.FieldByName("unit_price")->AsFloat() >= 30; });
    const int dearCount = p.RecordCount();
    EXPECT_GT(dearCount, 0);
    EXPECT_LT(dearCount, 25);
    for (p.First(); !p.Eof(); p.Next()) EXPECT_GE(p.FieldByName("unit_price")->AsFloat(), 30);

    p.SetFilterText("category = 'Dairy'");
    p.SetFiltered(true);
    const int dearDairy = p.RecordCount();
    p.SetFiltered(false);
    EXPECT_EQ(p.RecordCount(), dearCount);
    EXPECT_TRUE(p.RemoveRecordFilter(dear));
    EXPECT_EQ(p.RecordCount(), 25);
    p.SetFiltered(true);
    EXPECT_LT(dearDairy, p.RecordCount());
    for (p.First(); !p.Eof(); p.Next()) EXPECT_EQ(p.FieldByName("category")->AsString(), "Dairy");
}

// Random moves through the query under changing sorts, filters and window sizes: the record
// window holds together, each buffered record points at its row and the grid's rows are
// consecutive records.
TEST_F(SampleDatabase, RandomWalksOverChangingViewsKeepTheRecordWindowConsistent)
{
    Open("Sample1.db");
    TADOQuery& q = Run("SELECT order_id, customer_id, order_date, status FROM orders");
    TDataSource source(nullptr);
    source.SetDataSet(&q);
    TDataLink grid;
    grid.SetDataSource(&source);
    std::mt19937 random(1210);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const std::vector<std::string> sorts{"", "status DESC", "customer_id, order_date DESC", "order_date"};
    const std::vector<std::string> filters{"", "status = 'Open'", "customer_id < 5 OR status <> 'Shipped'", "order_id = -1"};
    for (int step = 0; step < 2000; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        switch (pick(8)) {
        case 0: q.SetSort(sorts[static_cast<std::size_t>(pick(4))]); break;
        case 1:
            q.SetFilterText(filters[static_cast<std::size_t>(pick(4))]);
            q.SetFiltered(pick(2) == 0);
            break;
        case 2: grid.SetBufferCount(1 + pick(12)); break;
        case 3: q.First(); break;
        case 4: q.Last(); break;
        case 5: {
            const TBookmark mark = q.GetBookmark();
            q.MoveBy(pick(41) - 20);
            if (!mark.empty() && q.BookmarkValid(mark)) q.GotoBookmark(mark);
            break;
        }
        default: q.MoveBy(pick(11) - 5); break;
        }
        ASSERT_NO_THROW(q.CheckConsistency());
        if (q.IsEmpty()) continue;
        ASSERT_GE(q.RecNo(), 1);
        ASSERT_LE(q.RecNo(), q.RecordCount());
        const int active = grid.ActiveRecord();
        const int activeRecNo = q.RecNo();
        for (int i = 0; i < grid.RecordCount(); ++i) {
            grid.SetActiveRecord(i);
            ASSERT_EQ(q.RecNo(), activeRecNo - active + i);
        }
        grid.SetActiveRecord(active);
    }
}

TEST(AdoFilter, ParsesAndEvaluatesTheFilterLanguage)
{
    const auto lookup = [](std::string_view name) {
        if (name == "A" || name == "a") return 0;
        if (name == "Name With Blank") return 1;
        return -1;
    };
    const std::vector<TVariant> row{TVariant(5), TVariant("Ärger")};
    const auto value = [&](int c) { return row[static_cast<std::size_t>(c)]; };
    struct Case {
        const char* text;
        bool match;
    } cases[] = {
        {"A = 5", true},          {"A <> 5", false},
        {"A > 4.5 AND A < 5.5", true},                 {"A >= 6 OR A <= 4", false},
        {"NOT (A = 5)", false},   {"[Name With Blank] = 'ärger'", true},
        {"[Name With Blank] LIKE 'ä*'", true},         {"[Name With Blank] LIKE '%RGE_'", true},
        {"[Name With Blank] LIKE 'a*'", false},        {"A = NULL", false},
        {"A <> NULL", true},      {"a = 5 OR a = 6 AND a = 7", true},
        {"(a = 5 OR a = 6) AND a = 7", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TFilterExpression::Parse(c.text, lookup)->Matches(value), c.match);
    }
    for (const char* bad : {"A", "A =", "A = 'open", "B = 1", "(A = 1", "A = 1 AND", "A LIKE 5", "A < NULL"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(TFilterExpression::Parse(bad, lookup), EDatabaseError);
    }
    const auto keys = ParseSortText("A DESC, [Name With Blank]", lookup);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_TRUE(keys[0].descending);
    EXPECT_EQ(keys[1].column, 1);
    EXPECT_THROW(ParseSortText("A,", lookup), EDatabaseError);
}
