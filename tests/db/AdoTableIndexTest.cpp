// A table's indexes, key searches, ranges and master-detail link, in memory over the rows read
// from a SQLite file with a composite unique index, a single-field index and a composite
// primary key.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "tests/db/PeopleTables.h"
#include "platform/rtl/Files.h"

using namespace db;

namespace {

class AdoTableIndex : public ::testing::Test {
protected:
    void SetUp() override
    {
        rtl::WriteStringToFile(path_.string(), "");
        conn_.SetLoginPrompt(false);
        conn_.SetConnectionString(MakeOdbcInitString("DRIVER=SQLite3;Database=" + path_.string()));
        conn_.Open();
        for (const char* sql : dbtest::PeopleTablesSql()) conn_.Execute(sql);
        people_.SetConnection(&conn_);
        people_.SetTableName("people");
        visits_.SetConnection(&conn_);
        visits_.SetTableName("visits");
    }
    void TearDown() override
    {
        visits_.Close();
        people_.Close();
        conn_.Close();
        std::filesystem::remove(path_);
    }
    static std::vector<int> Ids(TDataSet& ds, const std::string& field = "id")
    {
        std::vector<int> ids;
        for (ds.First(); !ds.Eof(); ds.Next()) ids.push_back(ds.FieldByName(field)->AsInteger());
        return ids;
    }

    std::filesystem::path path_ =
        std::filesystem::temp_directory_path() / ("gw_table_index_" + std::to_string(::getpid()) + ".db");
    TADOConnection conn_{nullptr};
    TADOTable people_{nullptr};
    TADOTable visits_{nullptr};
};

TEST_F(AdoTableIndex, IndexDefsListEveryIndexWithItsFieldsInKeyOrder)
{
    people_.IndexDefs().Update();
    ASSERT_EQ(people_.IndexDefs().Count(), 3);
    // The row-id key: the driver names it as an index of its own.
    const auto primary = std::find_if(people_.IndexDefs().begin(), people_.IndexDefs().end(),
                                      [](const TIndexDef& d) { return d.options.Contains(ixPrimary); });
    ASSERT_NE(primary, people_.IndexDefs().end());
    EXPECT_EQ(primary->fields, "id");
    EXPECT_TRUE(primary->options.Contains(ixUnique));
    const TIndexDef& name = people_.IndexDefs().Items(people_.IndexDefs().IndexOf("PEOPLE_NAME"));
    EXPECT_EQ(name.fields, "last;first");
    EXPECT_TRUE(name.options.Contains(ixUnique));
    EXPECT_FALSE(name.options.Contains(ixPrimary));
    EXPECT_FALSE(name.options.Contains(ixCaseInsensitive));  // ODBC reports no collation
    const TIndexDef& city = people_.IndexDefs().Items(people_.IndexDefs().IndexOf("people_city"));
    EXPECT_EQ(city.fields, "city");
    EXPECT_FALSE(city.options.Contains(ixUnique));

    visits_.IndexDefs().Update();
    ASSERT_EQ(visits_.IndexDefs().Count(), 1);
    EXPECT_EQ(visits_.IndexDefs().Items(0).fields, "person_id;day");
    EXPECT_TRUE(visits_.IndexDefs().Items(0).options.Contains(ixPrimary));

    TADODataSet rowset(nullptr);
    EXPECT_THROW(conn_.OpenSchema(siIndexes, {}, &rowset), EDatabaseError);  // a table name is required
}

TEST_F(AdoTableIndex, AnIndexOrdersTheRowsLetterCaseCountingAndAnUnknownOneIsRefused)
{
    people_.SetIndexName("people_name");
    people_.Open();
    EXPECT_EQ(Ids(people_), (std::vector<int>{5, 3, 1, 4, 2}));  // "smith" after "Smith"
    EXPECT_EQ(people_.IndexFieldCount(), 2);
    people_.SetIndexFieldNames("city;id");
    EXPECT_EQ(people_.IndexName(), "");
    EXPECT_EQ(Ids(people_), (std::vector<int>{5, 1, 3, 2, 4}));  // null first
    EXPECT_THROW(people_.SetIndexName("nowhere"), EDatabaseError);
    people_.SetIndexFieldNames("");
    EXPECT_EQ(Ids(people_), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(AdoTableIndex, FindKeyAndFindNearest)
{
    people_.SetIndexName("people_name");
    people_.Open();
    struct Case {
        std::vector<TVariant> key;
        bool nearest;
        bool found;
        int id;  // the record current afterwards
    };
    const std::vector<Case> cases = {
        {{"Smith"}, false, true, 1},           // first of two on a partial key
        {{"Smith", "Zoe"}, false, true, 4},    // composite key
        {{"smith", "bob"}, false, true, 2},    // letter case counts
        {{"SMITH"}, false, false, 2},          // not found: nothing moves
        {{"Jones", "Anna"}, false, false, 2},
        {{"Sm"}, true, true, 1},               // nearest: the first at or after
        {{"Smith", "B"}, true, true, 4},
        {{"Jz"}, true, true, 1},
        {{"zz"}, true, true, 2},               // past every key: the last record
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key[0].AsString() + (c.key.size() > 1 ? "," + c.key[1].AsString() : ""));
        if (c.nearest)
            people_.FindNearest(c.key);
        else
            EXPECT_EQ(people_.FindKey(c.key), c.found);
        EXPECT_EQ(people_.FieldByName("id")->AsInteger(), c.id);
    }
    EXPECT_THROW(people_.FindKey({"a", "b", "c"}), EDatabaseError);  // more values than key fields
    people_.SetIndexName("");
    EXPECT_THROW(people_.FindKey({"Smith"}), EDatabaseError);  // no index order
}

TEST_F(AdoTableIndex, RangesKeepTheRowsBetweenTheirBounds)
{
    people_.SetIndexName("people_name");
    people_.Open();
    people_.SetRange({"Smith"}, {"Smith"});
    EXPECT_TRUE(people_.RangeActive());
    EXPECT_EQ(Ids(people_), (std::vector<int>{1, 4}));
    people_.SetRangeStart({"J"});
    people_.SetRangeEnd({"Smith", "B"});
    EXPECT_EQ(Ids(people_), (std::vector<int>{1, 4}));  // noted, not applied yet
    people_.ApplyRange();
    EXPECT_EQ(Ids(people_), (std::vector<int>{3, 1}));
    people_.SetRange({}, {"Jones"});  // open start
    EXPECT_EQ(Ids(people_), (std::vector<int>{5, 3}));
    EXPECT_FALSE(people_.FindKey({"Smith"}));  // searches stay inside the range
    people_.CancelRange();
    EXPECT_FALSE(people_.RangeActive());
    EXPECT_EQ(Ids(people_).size(), 5u);
}

TEST_F(AdoTableIndex, ADetailFollowsItsMasterRecord)
{
    TDataSource masterSource(nullptr);
    masterSource.SetDataSet(&people_);
    visits_.SetIndexFieldNames("person_id;day");
    visits_.SetMasterSource(&masterSource);
    visits_.SetMasterFields("id");
    visits_.Open();
    EXPECT_EQ(Ids(visits_, "day").size(), 6u);  // a closed master restricts nothing
    people_.Open();
    struct Case {
        int person;
        std::vector<int> days;
    };
    for (const Case& c : std::vector<Case>{{1, {1, 2}}, {2, {}}, {4, {5, 6, 7}}, {3, {1}}}) {
        SCOPED_TRACE(c.person);
        ASSERT_TRUE(people_.Locate("id", TVariant(c.person)));
        EXPECT_EQ(Ids(visits_, "day"), c.days);
    }
    ASSERT_TRUE(people_.Locate("id", TVariant(4)));
    EXPECT_TRUE(visits_.FindKey({4, 6}));
    EXPECT_EQ(visits_.FieldByName("note")->AsString(), "e");

    visits_.Close();
    visits_.SetIndexFieldNames("");
    EXPECT_THROW(visits_.Open(), EDatabaseError);  // a link needs key fields
    EXPECT_FALSE(visits_.Active());
}

}  // namespace
