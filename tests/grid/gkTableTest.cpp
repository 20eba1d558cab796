// The library's table data set over a SQLite file: index choice, key searches for lookups,
// the index step of the find routine, the filter lines, query lines, data-link names and
// lookup fields (orders to customers of the sample database).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "grid/FindMatch.h"
#include "grid/GridRoutines.h"
#include "grid/gkLookups.h"
#include "grid/gkTable.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/db/ConnectionString.h"
#include "tests/db/PeopleTables.h"
#include "platform/db/DataLinks.h"
#include "platform/rtl/Files.h"
#include "platform/ui/testing/TestDialogs.h"

using grid::TgkTable;

namespace {

// A SQLite file of people (a composite unique index, a single-field index) and visits (a
// composite primary key), reached through a data link of its own in a temporary program folder.
class GkTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(home_);
        const char* old = std::getenv("GRIDWEAVER_HOME");
        hadHome_ = old != nullptr;
        if (hadHome_) oldHome_ = old;
        setenv("GRIDWEAVER_HOME", home_.c_str(), 1);
        db_ = home_.string() + "/people.db";
        rtl::WriteStringToFile(db_, "");
        const std::string init = db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + db_);
        ASSERT_TRUE(rtl::ForceDirectories(db::DataLinksDir()));
        ASSERT_EQ(db::WriteStringToStorage(db::DataLinkFileName(link_), init, db::CREATE_ALWAYS), db::S_OK);
        const std::string sample = std::string(GW_BINARY_DIR) + "/share/Data/DBSamples/Sample1.db";
        ASSERT_EQ(db::WriteStringToStorage(db::DataLinkFileName(sampleLink_),
                                           db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + sample),
                                           db::CREATE_ALWAYS),
                  db::S_OK);
        conn_.SetLoginPrompt(false);
        conn_.SetConnectionString(init);
        conn_.Open();
        for (const char* sql : dbtest::PeopleTablesSql()) conn_.Execute(sql);
        people_.SetName("People");
        people_.SetConnection(&conn_);
        people_.SetTableName("people");
    }
    void TearDown() override
    {
        people_.Close();
        conn_.Close();
        if (hadHome_)
            setenv("GRIDWEAVER_HOME", oldHome_.c_str(), 1);
        else
            unsetenv("GRIDWEAVER_HOME");
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
    }
    static std::vector<int> Ids(db::TDataSet& ds, const std::string& field = "id")
    {
        std::vector<int> ids;
        for (ds.First(); !ds.Eof(); ds.Next()) ids.push_back(ds.FieldByName(field)->AsInteger());
        return ids;
    }
    int CurrentId() const { return people_.FieldByName("id")->AsInteger(); }

    std::filesystem::path home_ = std::filesystem::temp_directory_path() /
                                  ("gw_gktable_" + std::to_string(::getpid()) + "_" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
    bool hadHome_ = false;
    std::string oldHome_;
    std::string db_;
    // Connections are shared per link name for the whole run: each test names its own.
    std::string link_ = "People_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::string sampleLink_ = "Sample_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name());
    db::TADOConnection conn_{nullptr};
    TgkTable people_{nullptr};
    ui::TScriptedDialogs dialogs_;
    ui::TDialogServiceScope scope_{dialogs_};
};

TEST_F(GkTable, PublishedPropertiesInOrderWithTheirDefaults)
{
    std::vector<std::string> names;
    const auto& props = TgkTable::StaticClassInfo().Properties();
    for (const classes::TPropInfo* p : props) names.push_back(p->Name());
    const std::vector<std::string> own = {"LookupFields", "LookupLinks", "ControlType", "PictureMasks", "gkFilter",
                                          "SyncSQLByRange", "NarrowSearch", "NarrowSearchUpperChar", "Query",
                                          "ValidateWithMask", "OnInvalidValue", "OnFilter", "OnFilterEscape",
                                          "OnFilterOptions"};
    const auto first = std::find(names.begin(), names.end(), "LookupFields");
    ASSERT_NE(first, names.end());
    EXPECT_TRUE(std::equal(own.begin(), own.end(), first));
    TgkTable fresh(nullptr);
    EXPECT_TRUE(fresh.ValidateWithMask());
    EXPECT_EQ(fresh.NarrowSearchUpperChar(), 255);
    EXPECT_FALSE(fresh.SyncSQLByRange());
    EXPECT_FALSE(fresh.IsParadoxTable());
    EXPECT_EQ(fresh.GetParadoxPicture("id"), "");
    EXPECT_EQ(fresh.OnFilterOptions(), (grid::TgkFilterOptions{grid::ofoEnabled, grid::ofoShowHourGlass}));
    grid::RegisterDataSetClasses();
    std::unique_ptr<classes::TComponent> made(classes::CreateComponent("TgkTable", nullptr));
    EXPECT_NE(dynamic_cast<TgkTable*>(made.get()), nullptr);
}

// Posting is the data layer's to refuse (its tables are read-only); the check before it runs
// the picture masks.
class TPostCheckedTable : public TgkTable {
public:
    using TgkTable::TgkTable;
    using TgkTable::DoBeforePost;
};

TEST_F(GkTable, ValidateWithMaskChecksPictureMasksBeforePosting)
{
    TPostCheckedTable t(nullptr);
    t.SetConnection(&conn_);
    t.SetTableName("people");
    t.PictureMasks()->Add("last\t###");
    std::vector<std::string> invalid;
    t.OnInvalidValue = [&](db::TDataSet*, db::TField* field) { invalid.push_back(field->FieldName()); };
    t.Open();
    EXPECT_THROW(t.DoBeforePost(), db::EDatabaseError);
    EXPECT_EQ(invalid, (std::vector<std::string>{"last"}));
    t.SetValidateWithMask(false);
    EXPECT_NO_THROW(t.DoBeforePost());
    EXPECT_EQ(invalid.size(), 1u);
}

// The four passes: case-sensitive exact, case-insensitive exact, case-sensitive prefix,
// case-insensitive prefix; field lists compared upper-cased.
TEST_F(GkTable, FindIndexForFieldsTriesItsFourPassesInOrder)
{
    TgkTable t(nullptr);
    t.SetName("T");
    const db::TIndexOptions ci{db::ixCaseInsensitive};
    t.IndexDefs().Add({"CsLong", "last;first;city", {}});
    t.IndexDefs().Add({"CiExact", "LAST;FIRST", ci});
    t.IndexDefs().Add({"CiCity", "city;id", ci});
    t.IndexDefs().Add({"CsCityId", "city;ID", {}});
    t.IndexDefs().Add({"CsLastname", "lastname", {}});
    struct Case {
        const char* fields;
        const char* index;
    };
    for (const Case& c : std::vector<Case>{
             {"last;first", "CiExact"},         // no case-sensitive exact one: the insensitive exact one
             {"Last;First;City", "CsLong"},     // case-sensitive exact
             {"city;id", "CsCityId"},           // both exact: the case-sensitive pass first
             {"last", "CsLong"},                // prefix pass, followed by ";"; "lastname" does not count
             {"city", "CsCityId"},              // case-sensitive prefix before case-insensitive
             {"first", "?"},
             {"las", "?"},                      // a prefix must end at a ";"
         }) {
        SCOPED_TRACE(c.fields);
        EXPECT_EQ(t.FindIndexForFields(c.fields), c.index);
    }
    // Without definitions (or with the placeholder only) they are read from the database.
    EXPECT_EQ(people_.FindIndexForFields("LAST"), "people_name");
    EXPECT_EQ(people_.FindIndexForFields("city"), "people_city");
    EXPECT_EQ(people_.FindIndexForFields("first"), "?");
    TgkTable visits(nullptr);
    visits.SetName("Visits");
    visits.SetConnection(&conn_);
    visits.SetTableName("visits");
    visits.IndexDefs().Add({"VisitsIndex0", "note", {}});
    EXPECT_NE(visits.FindIndexForFields("person_id"), "?");
    EXPECT_EQ(visits.FindIndexForFields("person_id"), visits.FindIndexForFields("person_id;day"));
}

TEST_F(GkTable, FindKeyByValuesSearchesThroughARangeOrFindKey)
{
    people_.SetIndexName("people_name");
    people_.Open();
    // Without SyncSQLByRange: FindKey, the current record answering at once.
    EXPECT_TRUE(people_.FindKeyByValues({"Jones"}));
    EXPECT_EQ(CurrentId(), 3);
    EXPECT_TRUE(people_.FindKeyByValues({"JONES"}));  // the current record holds it, letter case aside
    EXPECT_EQ(CurrentId(), 3);
    EXPECT_FALSE(people_.FindKeyByValues({"Nobody"}));
    EXPECT_TRUE(people_.FindKeyByValues({"Smith", "Zoe"}));
    EXPECT_EQ(CurrentId(), 4);

    // With it: the current record answers at once while no range is set; otherwise a range on
    // the values, kept for the next search.
    people_.SetSyncSQLByRange(true);
    EXPECT_TRUE(people_.FindKeyByValues({"Smith"}));
    EXPECT_FALSE(people_.RangeActive());
    people_.First();
    EXPECT_TRUE(people_.FindKeyByValues({"Smith"}));
    EXPECT_TRUE(people_.RangeActive());
    EXPECT_EQ(Ids(people_), (std::vector<int>{1, 4}));
    EXPECT_TRUE(people_.FindKeyByValues({"Jones"}));
    EXPECT_EQ(Ids(people_), (std::vector<int>{3}));
    EXPECT_FALSE(people_.FindKeyByValues({"Nobody"}));
    EXPECT_TRUE(people_.IsEmpty());
    EXPECT_FALSE(people_.FindKeyByValues({""}));  // an empty first value ends the range
    EXPECT_FALSE(people_.RangeActive());
    EXPECT_EQ(Ids(people_).size(), 5u);

    // NarrowSearch cancels any range before searching.
    people_.SetSyncSQLByRange(false);
    people_.SetRange({"Brown"}, {"Brown"});
    EXPECT_FALSE(people_.FindKeyByValues({"Jones"}));
    people_.SetNarrowSearch(true);
    EXPECT_TRUE(people_.FindKeyByValues({"Jones"}));
    EXPECT_FALSE(people_.RangeActive());
    EXPECT_TRUE(dialogs_.Asked().empty());

    // Too many values for the index: a warning and False.
    EXPECT_FALSE(people_.FindKeyByValues({"Smith", "Anna", "Berlin"}));
    ASSERT_EQ(dialogs_.Asked().size(), 1u);
    EXPECT_EQ(dialogs_.Asked()[0].message.text,
              "Table People: FindKey has too many lookup values for index people_name");
    people_.SetIndexName("");
    EXPECT_FALSE(people_.FindKeyByValues({"Smith"}));  // no index fields
}

// The table's own order, searches, ranges and master link, as lookups and forms use them.
TEST_F(GkTable, OrdersSearchesRangesAndFollowsAMaster)
{
    TgkTable visits(nullptr);
    visits.SetConnection(&conn_);
    visits.SetTableName("visits");
    visits.SetIndexName(visits.FindIndexForFields("person_id;day"));
    db::TDataSource master(nullptr);
    master.SetDataSet(&people_);
    visits.SetMasterSource(&master);
    visits.SetMasterFields("id");
    people_.SetIndexName("people_city");
    people_.Open();
    visits.Open();
    EXPECT_EQ(Ids(people_), (std::vector<int>{5, 1, 3, 2, 4}));
    struct Case {
        std::vector<db::TVariant> key;
        bool nearest;
        int id;
        std::vector<int> days;  // the detail's records then
    };
    for (const Case& c : std::vector<Case>{
             {{"Rome"}, false, 4, {5, 6, 7}},
             {{"Berlin"}, false, 1, {1, 2}},
             {{"C"}, true, 2, {}},  // nearest: Paris
             {{"Berlin"}, false, 1, {1, 2}},
         }) {
        SCOPED_TRACE(c.key[0].AsString());
        if (c.nearest)
            people_.FindNearest(c.key);
        else
            EXPECT_TRUE(people_.FindKey(c.key));
        EXPECT_EQ(CurrentId(), c.id);
        EXPECT_EQ(Ids(visits, "day"), c.days);
    }
    people_.SetRange({"Berlin"}, {"Paris"});
    EXPECT_EQ(Ids(people_), (std::vector<int>{1, 3, 2}));
    EXPECT_EQ(Ids(visits, "day"), std::vector<int>{});  // follows the master's last record, id 2
    people_.CancelRange();
    visits.Close();
}

// The index step of the find routine: FindKey for an exact search, FindNearest for a start
// search, on a table ordered by the searched field.
TEST_F(GkTable, FindMatchSearchesThroughTheCurrentIndex)
{
    people_.SetIndexName("people_name");
    people_.Open();
    struct Case {
        const char* text;
        std::uint8_t match;
        bool caseSensitive;
        bool found;
        int id;
    };
    for (const Case& c : std::vector<Case>{
             {"Smith", grid::mtExactMatch, true, true, 1},
             {"smith", grid::mtExactMatch, true, true, 2},
             {"Jo", grid::mtPartialMatchStart, true, true, 3},
             {"Sm", grid::mtPartialMatchStart, true, true, 1},
             {"sm", grid::mtPartialMatchStart, true, true, 2},
             {"SMITH", grid::mtExactMatch, false, true, 1},  // the index counts case: scanned instead
         }) {
        SCOPED_TRACE(c.text);
        people_.Last();
        EXPECT_EQ(grid::gkFindMatch(true, people_, "last", c.text, c.match, c.caseSensitive, false), c.found);
        EXPECT_EQ(CurrentId(), c.id);
    }
}

// A start search whose nearest record does not match leaves the table where it was.
TEST_F(GkTable, AFailedIndexStartSearchReturnsToTheCurrentRecord)
{
    people_.SetIndexName("people_name");
    people_.Open();
    ASSERT_TRUE(people_.FindKey({"Jones"}));
    for (const char* text : {"Jx", "Sz", "zz", "A"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(grid::gkFindMatch(true, people_, "last", text, grid::mtPartialMatchStart, true, false));
        EXPECT_EQ(CurrentId(), 3);
    }
    EXPECT_FALSE(grid::gkFindMatch(true, people_, "last", "Nobody", grid::mtExactMatch, true, false));
    EXPECT_EQ(CurrentId(), 3);
}

TEST_F(GkTable, FilterLinesCombineAndFilterTheTable)
{
    struct Case {
        std::vector<std::string> lines;
        std::string combined;
        std::vector<int> ids;
    };
    for (const Case& c : std::vector<Case>{
             {{"city = Berlin"}, "city = Berlin", {1, 3}},
             {{"  city = \"Berlin\"  ", "", "id > 1"}, "city = \"Berlin\" AND (id > 1)", {3}},
             {{"id > 1", "id < 5", "last = Smith"}, "id > 1 AND (id < 5) AND (last = Smith)", {4}},
             {{"", "  "}, "", {1, 2, 3, 4, 5}},
         }) {
        SCOPED_TRACE(c.combined);
        people_.Close();
        people_.gkFilter()->Clear();
        for (const std::string& line : c.lines) people_.gkFilter()->Add(line);
        EXPECT_EQ(people_.CombinedFilterText(), c.combined);
        EXPECT_EQ(people_.IsSequenced(), c.combined.empty());
        people_.Open();
        EXPECT_EQ(Ids(people_), c.ids);
    }
    // Written while open, the lines apply at once; a text that does not compile warns and
    // leaves the table open and unfiltered by it.
    people_.gkFilter()->SetText("last = Jones");
    EXPECT_EQ(Ids(people_), (std::vector<int>{3}));
    for (const auto& q : dialogs_.Asked()) ADD_FAILURE() << q.message.text;
    people_.gkFilter()->SetText("nosuchfield = 1");
    EXPECT_TRUE(people_.Active());
    EXPECT_EQ(Ids(people_).size(), 5u);
    ASSERT_FALSE(dialogs_.Asked().empty());
    EXPECT_EQ(dialogs_.Asked().back().message.text, "Fail to set filter");
}

// OnFilter runs through the library's shared filter event, beside the gkFilter lines.
TEST_F(GkTable, OnFilterJoinsTheFilterLines)
{
    std::vector<TgkTable*> senders;
    people_.SetOnFilter([&](TgkTable* table, bool& accept) {
        senders.push_back(table);
        accept = table->FieldByName("city")->AsString() == "Berlin";
    });
    EXPECT_FALSE(people_.IsSequenced());
    people_.Open();
    EXPECT_EQ(Ids(people_), (std::vector<int>{1, 3}));
    ASSERT_FALSE(senders.empty());
    EXPECT_EQ(senders.front(), &people_);
    people_.gkFilter()->SetText("id > 1");
    EXPECT_EQ(Ids(people_), (std::vector<int>{3}));
    people_.SetOnFilterOptions({grid::ofoShowHourGlass});  // switched off: the lines alone
    EXPECT_EQ(Ids(people_), (std::vector<int>{2, 3, 4, 5}));
    people_.gkFilter()->Clear();
    people_.SetOnFilter(nullptr);
    EXPECT_TRUE(people_.IsSequenced());
    EXPECT_EQ(Ids(people_).size(), 5u);
    EXPECT_TRUE(dialogs_.Asked().empty());
}

TEST_F(GkTable, QueryLinesAreSqlAndQueryByExampleIsRefused)
{
    people_.SetIndexFieldNames("id");
    people_.Query()->SetText("SELECT id, last FROM people WHERE city = 'Berlin'");
    EXPECT_EQ(people_.TableName(), "");
    EXPECT_EQ(people_.IndexFieldNames(), "");
    EXPECT_TRUE(grid::gkTableHasQuery(&people_));
    people_.FieldDefs().Update();  // described while closed
    EXPECT_EQ(people_.FieldDefs().Count(), 2);
    people_.Open();
    EXPECT_EQ(Ids(people_), (std::vector<int>{1, 3}));
    EXPECT_EQ(people_.FindField("city"), nullptr);

    for (const char* text : {"query people", "QUERY", "Query\tpeople", "  qUeRy x"}) {
        SCOPED_TRACE(text);
        people_.Query()->SetText(text);
        EXPECT_FALSE(people_.Active());  // writing the lines closed it
        try {
            people_.Open();
            ADD_FAILURE() << "opened";
        } catch (const db::EDatabaseError& e) {
            EXPECT_NE(std::string(e.what()).find("QBE queries are not supported"), std::string::npos);
        }
        EXPECT_FALSE(people_.Active());
    }
    people_.Query()->SetText("SELECT 'query' AS id");  // only the first word counts
    EXPECT_NO_THROW(people_.Open());
    people_.Close();
    people_.SetTableName("people");
    EXPECT_EQ(people_.Query()->Count(), 0);
    people_.Open();
    EXPECT_EQ(people_.RecordCount(), 5);
}

TEST_F(GkTable, DatabaseNameNamesADataLinkSharedByItsTables)
{
    TgkTable a(nullptr), b(nullptr);
    for (TgkTable* t : {&a, &b}) {
        t->SetDatabaseName(link_);
        t->SetTableName("people");
        t->Open();
        EXPECT_EQ(t->RecordCount(), 5);
    }
    EXPECT_NE(a.Connection(), nullptr);
    EXPECT_EQ(a.Connection(), b.Connection());
    a.Close();
    b.Close();

    for (const std::string name : {std::string("NoSuchLink"), std::string("../escape"), std::string()}) {
        SCOPED_TRACE(name);
        TgkTable t(nullptr);
        t.SetDatabaseName(name.empty() ? "." : name);
        t.SetTableName("people");
        try {
            t.Open();
            ADD_FAILURE() << "opened";
        } catch (const db::EDatabaseError& e) {
            EXPECT_NE(std::string(e.what()).find(name.empty() ? "." : name), std::string::npos);
        }
        EXPECT_FALSE(t.Active());
    }
}

// Orders looked up in customers by customer_id: the lookup field holds what a join gives.
TEST_F(GkTable, ALookupFieldReadsTheLinkedRecord)
{
    TgkTable orders(nullptr);
    orders.SetDatabaseName(sampleLink_);
    orders.SetTableName("orders");
    orders.SetIndexFieldNames("order_id");
    orders.LookupFields()->Add("Company;" + sampleLink_ + ";customers;company;x");
    orders.LookupLinks()->Add("customer_id;customer_id");
    orders.LookupFields()->Add("Stale;" + sampleLink_ + ";customers;city;x");
    orders.LookupLinks()->Add("no_such_field;customer_id");
    orders.Open();
    db::TField* company = orders.FieldByName("Company");
    EXPECT_EQ(company->FieldKind(), db::fkLookup);

    db::TADOQuery join(nullptr);
    join.SetConnection(orders.Connection());
    join.SQL()->SetText("SELECT o.order_id, c.company FROM orders o JOIN customers c ON c.customer_id = o.customer_id "
                        "ORDER BY o.order_id");
    join.Open();
    int compared = 0;
    for (orders.First(); !orders.Eof(); orders.Next(), join.Next()) {
        ASSERT_FALSE(join.Eof());
        ASSERT_EQ(orders.FieldByName("order_id")->AsInteger(), join.FieldByName("order_id")->AsInteger());
        EXPECT_EQ(company->AsString(), join.FieldByName("company")->AsString());
        ++compared;
    }
    EXPECT_EQ(compared, 200);
    EXPECT_EQ(orders.LookupTables().Count(), 1);  // one table for both entries
    EXPECT_FALSE(orders.LookupTables().Items(0).CanModify());
    // The entry whose key field the orders lack is hidden and holds nothing.
    EXPECT_FALSE(orders.FieldByName("Stale")->Visible());
    EXPECT_TRUE(orders.FieldByName("Stale")->IsNull());

    // gkGetLookupInfo reads the entry; a field without one gives the database only.
    std::string database, table, display, links;
    grid::gkGetLookupInfo(*company, database, table, display, links);
    EXPECT_EQ(database, sampleLink_);
    EXPECT_EQ(table, "customers");
    EXPECT_EQ(display, "company");
    EXPECT_EQ(links, "customer_id;customer_id");
    grid::gkGetLookupInfo(*orders.FieldByName("status"), database, table, display, links);
    EXPECT_EQ(database, sampleLink_);
    EXPECT_EQ(table + display + links, "");

    // gkLocateLookupRecord wants whole pairs.
    TgkTable& customers = orders.LookupTables().Items(0);
    EXPECT_FALSE(grid::gkLocateLookupRecord(customers, orders, "customer_id"));
    EXPECT_FALSE(grid::gkLocateLookupRecord(customers, orders, "nope;customer_id"));
    orders.First();
    EXPECT_TRUE(grid::gkLocateLookupRecord(customers, orders, "customer_id;customer_id"));
    EXPECT_EQ(customers.FieldByName("customer_id")->AsInteger(), orders.FieldByName("customer_id")->AsInteger());
    orders.Close();
    EXPECT_EQ(orders.LookupTables().Count(), 0);
}

// The library's query fills its lookup fields the same way when it opens.
TEST_F(GkTable, AQueryFillsItsLookupFieldsToo)
{
    db::TADOConnection sample(nullptr);
    sample.SetLoginPrompt(false);
    sample.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + std::string(GW_BINARY_DIR) +
                                                      "/share/Data/DBSamples/Sample1.db"));
    grid::TgkQuery orders(nullptr);
    orders.SetConnection(&sample);
    orders.SQL()->SetText("SELECT o.order_id, o.customer_id, c.city AS joined FROM orders o "
                          "JOIN customers c ON c.customer_id = o.customer_id WHERE o.order_id % 7 = 0");
    orders.LookupFields()->Add("City;" + sampleLink_ + ";customers;city;x");
    orders.LookupLinks()->Add("customer_id;customer_id");
    orders.Open();
    int compared = 0;
    for (orders.First(); !orders.Eof(); orders.Next(), ++compared)
        EXPECT_EQ(orders.FieldByName("City")->AsString(), orders.FieldByName("joined")->AsString());
    EXPECT_GT(compared, 10);
    EXPECT_EQ(orders.LookupFields()->Count(), 1);  // its field exists: the entry stays
    orders.Close();
}

}  // namespace
