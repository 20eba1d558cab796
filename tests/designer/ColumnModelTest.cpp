#include "designer/ColumnModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace designer;

namespace {

using Fields = std::vector<TColumnField>;

// Every setting of column i as one line, flags included, to compare whole columns.
std::string ColumnText(const TColumnModel& m, int i)
{
    auto flag = [](bool b) { return b ? "+" : "-"; };
    return m.FieldList.Strings(i) + flag(m.FieldList.Checked(i)) + "|" + m.ShowModeList.Strings(i) + "|" +
           m.AlignmentList.Strings(i) + "|" + m.ShowDataList.Strings(i) + flag(m.ShowDataList.Checked(i)) + "|" +
           m.PrefixList.Strings(i) + flag(m.PrefixList.Checked(i)) + "|" + m.SuffixList.Strings(i) +
           flag(m.SuffixList.Checked(i)) + "|" + m.FormatList.Strings(i) + "|" + m.HyperlinkTypeList.Strings(i) +
           "|" + m.UrlList.Strings(i) + "|" + m.ParamList.Strings(i) + "|" + m.TargetList.Strings(i);
}

std::vector<std::string> Columns(const TColumnModel& m)
{
    std::vector<std::string> out;
    for (int i = 0; i < m.ColumnCount(); ++i) out.push_back(ColumnText(m, i));
    return out;
}

// Every list holds one entry per column, and the list view one row per column, built from them.
void ExpectInStep(const TColumnModel& m, int count)
{
    const int counts[] = {m.FieldList.Count(),  m.ShowModeList.Count(),      m.AlignmentList.Count(),
                          m.ShowDataList.Count(), m.PrefixList.Count(),      m.SuffixList.Count(),
                          m.FormatList.Count(),   m.HyperlinkTypeList.Count(), m.UrlList.Count(),
                          m.ParamList.Count(),    m.TargetList.Count()};
    for (int c : counts) EXPECT_EQ(c, count);
    ASSERT_EQ(m.ListView().Count(), count);
    for (int i = 0; i < count; ++i) EXPECT_EQ(m.ListView().Item(i), m.ListItem(i)) << "row " << i;
}

// Gives column i settings that differ from every default.
void Customise(TColumnModel& m, int i, const std::string& tag)
{
    m.FieldList.Put(i, m.Key(i) + "=Heading " + tag);
    m.FieldList.SetChecked(i, true);
    m.ShowModeList.Put(i, "Hide");
    m.AlignmentList.Put(i, "Center");
    m.ShowDataList.Put(i, "img/[" + m.Key(i) + "].gif");
    m.ShowDataList.SetChecked(i, false);
    m.PrefixList.Put(i, "40");
    m.PrefixList.SetChecked(i, true);
    m.SuffixList.Put(i, "30");
    m.SuffixList.SetChecked(i, true);
    m.FormatList.Put(i, "1,3,0,1,0");
    m.HyperlinkTypeList.Put(i, "3");
    m.UrlList.Put(i, "show.asp");
    m.ParamList.Put(i, "id=[" + m.Key(i) + "]");
    m.TargetList.Put(i, "_blank");
}

TEST(ColumnModel, DefaultsByFieldType)
{
    struct Case {
        db::TFieldType type;
        const char* format;
        const char* formatText;
        const char* alignment;
    };
    const Case cases[] = {
        {db::ftSmallint, "1,0,1,0,1", "#,###,##0", "Right"},
        {db::ftInteger, "1,0,1,0,1", "#,###,##0", "Right"},
        {db::ftWord, "1,0,1,0,1", "#,###,##0", "Right"},
        {db::ftCurrency, "1,0,1,0,1", "#,###,##0", "Right"},
        {db::ftAutoInc, "1,0,1,0,1", "#,###,##0", "Right"},
        {db::ftLargeint, "1,0,1,0,1", "#,###,##0", "Right"},
        {db::ftFloat, "1,2,1,0,1", "#,###,##0.00", "Right"},
        {db::ftDate, "2,2,0,0,0", "6/19/1994", "Default"},
        {db::ftTime, "2,4,0,0,0", "17:34", "Default"},
        {db::ftDateTime, "2,0,0,0,0", "6/19/1994 5:34:23 PM", "Default"},
        {db::ftBCD, "0,0,0,0,0", "", "Default"},
        {db::ftString, "0,0,0,0,0", "", "Default"},
        {db::ftWideString, "0,0,0,0,0", "", "Default"},
        {db::ftMemo, "0,0,0,0,0", "", "Default"},
        {db::ftBoolean, "0,0,0,0,0", "", "Default"},
        {db::ftBlob, "0,0,0,0,0", "", "Default"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        TColumnModel m;
        m.RebuildColumnList("Reset", {{"Price", c.type}});
        ExpectInStep(m, 1);
        EXPECT_EQ(ColumnText(m, 0), std::string("PRICE=Price-|Show|") + c.alignment + "|+|-|-|" + c.format + "|0|||");
        TColumnListItem expected;
        expected.Caption = "PRICE";
        expected.Checked = true;
        expected.SubItems = {"Price", c.formatText, c.alignment, "Text", "[Cell Value]", ""};
        EXPECT_EQ(m.ListView().Item(0), expected);
    }
}

TEST(ColumnModel, ColumnKeyUpperCasesEveryLetter)
{
    EXPECT_EQ(ColumnKey("Größe"), "GRÖSSE");
    EXPECT_EQ(ColumnKey("order date"), "ORDER DATE");
    EXPECT_EQ(ColumnKey("Цена"), "ЦЕНА");
}

TEST(ColumnModel, UpdateKeepsDropsAndReorders)
{
    TColumnModel m;
    m.RebuildColumnList("Update", {{"Id", db::ftInteger}, {"Name", db::ftString}, {"Price", db::ftFloat}, {"Note", db::ftMemo}});
    ExpectInStep(m, 4);
    Customise(m, 1, "N");
    Customise(m, 2, "P");
    const std::string name = ColumnText(m, 1);
    const std::string price = ColumnText(m, 2);

    TColumnModel fresh;
    fresh.RebuildColumnList("Reset", {{"Id", db::ftInteger}, {"Added", db::ftDate}, {"name", db::ftString}});
    const std::string idDefault = ColumnText(fresh, 0);
    const std::string addedDefault = ColumnText(fresh, 1);

    // Price first, Id kept, Note dropped, a new Added field between them, Name found
    // whatever the case of its display name.
    m.RebuildColumnList("Update", {{"PRICE", db::ftFloat}, {"Id", db::ftInteger}, {"Added", db::ftDate}, {"name", db::ftString}});
    ExpectInStep(m, 4);
    EXPECT_EQ(Columns(m), (std::vector<std::string>{price, idDefault, addedDefault, name}));
    // The row of a kept column shows its kept settings.
    TColumnListItem row;
    row.Caption = "PRICE";
    row.Checked = false;
    row.SubItems = {"Heading P", "#######.000;(#######.000)", "Center", "Image", "img/[PRICE].gif", "show.asp"};
    EXPECT_EQ(m.ListView().Item(0), row);

    // A renamed display label is a new column: its old settings are gone.
    m.RebuildColumnList("Update", {{"Cost", db::ftFloat}, {"Id", db::ftInteger}});
    EXPECT_EQ(ColumnText(m, 0), "COST=Cost-|Show|Right|+|-|-|1,2,1,0,1|0|||");

    // An empty field list leaves every list empty.
    m.RebuildColumnList("Update", Fields{});
    ExpectInStep(m, 0);
}

TEST(ColumnModel, ListsOfUnequalLengthGiveDefaultsWhereEntriesAreMissing)
{
    TColumnModel m;
    m.RebuildColumnList("Update", {{"A", db::ftInteger}, {"B", db::ftString}});
    Customise(m, 0, "a");
    Customise(m, 1, "b");
    const std::string a = ColumnText(m, 0);
    m.TargetList.Delete(1);  // as a hand-edited project might leave it
    m.RebuildColumnList("Update", {{"A", db::ftInteger}, {"B", db::ftString}});
    ExpectInStep(m, 2);
    EXPECT_EQ(ColumnText(m, 0), a);
    EXPECT_EQ(ColumnText(m, 1), "B=B-|Show|Default|+|-|-|0,0,0,0,0|0|||");
}

// As a hand-edited project may leave them: one list short by its last entry, for each list in
// turn. The columns every list holds come back whole, the list view is built, and the update
// gives the cut column its defaults as before.
TEST(ColumnModel, ListsOfUnequalLengthReadFromAProjectKeepTheColumnsEveryListHolds)
{
    const Fields fields{{"A", db::ftInteger}, {"B", db::ftString}};
    TColumnModel saved;
    saved.RebuildColumnList("Update", fields);
    Customise(saved, 0, "a");
    Customise(saved, 1, "b");
    saved.StoreCheckLists();
    for (int shortList = 0; shortList < 11; ++shortList) {
        SCOPED_TRACE(shortList);
        TColumnModel loaded;
        TColumnLists::ForEachPair(loaded, saved, [](rtl::TStrings& to, const rtl::TStrings& from) { to.Assign(from); });
        loaded.CheckFieldList.Assign(saved.CheckFieldList);
        loaded.CheckShowDataList.Assign(saved.CheckShowDataList);
        loaded.CheckPrefixList.Assign(saved.CheckPrefixList);
        loaded.CheckSuffixList.Assign(saved.CheckSuffixList);
        int k = 0;
        loaded.ForEachList([&](rtl::TStrings& list) {
            if (k++ == shortList) list.Delete(1);
        });
        loaded.LoadCheckFlags();
        EXPECT_NO_THROW(loaded.RebuildListView());
        ExpectInStep(loaded, 1);
        EXPECT_EQ(ColumnText(loaded, 0), ColumnText(saved, 0));
        loaded.RebuildColumnList("Update", fields);
        ExpectInStep(loaded, 2);
        EXPECT_EQ(ColumnText(loaded, 0), ColumnText(saved, 0));
        EXPECT_EQ(ColumnText(loaded, 1), "B=B-|Show|Default|+|-|-|0,0,0,0,0|0|||");
    }
}

// A column name holding "=" keeps key and heading whole in the name/value entry, through
// headings set, rebuilds and lookups; entries of other names read as they always did.
TEST(ColumnModel, NamesHoldingEqualsSignsStayWhole)
{
    TColumnModel m;
    m.RebuildColumnList("Reset", {{"a=b", db::ftString}, {"A", db::ftInteger}, {"x = y = z", db::ftFloat}, {"%3d", db::ftString}});
    ExpectInStep(m, 4);
    const struct {
        const char* key;
        const char* heading;
    } columns[] = {{"A=B", "a=b"}, {"A", "A"}, {"X = Y = Z", "x = y = z"}, {"%3D", "%3d"}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(m.Key(i), columns[i].key);
        EXPECT_EQ(m.Heading(i), columns[i].heading);
        EXPECT_EQ(m.ListItem(i).Caption, columns[i].key);
        EXPECT_EQ(m.ListItem(i).SubItems[0], columns[i].heading);
        EXPECT_EQ(m.IndexOfKey(columns[i].key), i);
        EXPECT_TRUE(m.HeadingIsColumnName(i));
    }
    EXPECT_EQ(m.IndexOfKey("a=B"), 0);
    EXPECT_EQ(m.IndexOfKey("a"), 1);
    EXPECT_EQ(m.IndexOfKey("B"), -1);

    m.FieldList.SetChecked(0, true);
    m.SetHeading(0, "Sum = total");
    m.AlignmentList.Put(0, "Center");
    EXPECT_EQ(m.Key(0), "A=B");
    EXPECT_EQ(m.Heading(0), "Sum = total");
    EXPECT_TRUE(m.IsImage(0));
    EXPECT_FALSE(m.HeadingIsColumnName(0));
    // The stored form: the key's "=" written so that the first "=" ends the key.
    EXPECT_EQ(m.FieldList.Text(), "A%3dB=Sum = total\r\nA=A\r\nX %3d Y %3d Z=x = y = z\r\n%3D=%3d\r\n");

    // An "Update" finds each column by its whole key, wherever its field now stands.
    m.RebuildColumnList("Update", {{"A", db::ftInteger}, {"a=b", db::ftString}});
    ExpectInStep(m, 2);
    EXPECT_EQ(m.Key(1), "A=B");
    EXPECT_EQ(m.Heading(1), "Sum = total");
    EXPECT_EQ(m.AlignmentList.Strings(1), "Center");
    EXPECT_EQ(m.AlignmentList.Strings(0), "Right");

    // An entry of an older project: the first "=" ends the key, the heading may hold more.
    m.FieldList.Put(0, "A=Count = items");
    EXPECT_EQ(m.Key(0), "A");
    EXPECT_EQ(m.Heading(0), "Count = items");
}

TEST(ColumnModel, CaseCollidingKeysShareTheFirstEntry)
{
    TColumnModel m;
    m.RebuildColumnList("Update", {{"Code", db::ftString}, {"CODE", db::ftInteger}});
    ExpectInStep(m, 2);
    EXPECT_EQ(m.Key(0), "CODE");
    EXPECT_EQ(m.Key(1), "CODE");
    Customise(m, 0, "first");
    const std::string first = ColumnText(m, 0);
    m.RebuildColumnList("Update", {{"Code", db::ftString}, {"code", db::ftInteger}});
    ExpectInStep(m, 2);
    EXPECT_EQ(ColumnText(m, 0), first);
    EXPECT_EQ(ColumnText(m, 1), first);
    EXPECT_EQ(m.IndexOfKey("code"), 0);
}

TEST(ColumnModel, ResetRestoresEveryDefaultAndFlag)
{
    const Fields fields = {{"Id", db::ftAutoInc}, {"Photo", db::ftString}};
    TColumnModel m;
    m.RebuildColumnList("Update", fields);
    const auto defaults = Columns(m);
    Customise(m, 0, "a");
    Customise(m, 1, "b");
    m.RebuildColumnList("Reset", fields);
    ExpectInStep(m, 2);
    EXPECT_EQ(Columns(m), defaults);
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(m.FieldList.Checked(i));
        EXPECT_TRUE(m.ShowDataList.Checked(i));
        EXPECT_FALSE(m.PrefixList.Checked(i));
        EXPECT_FALSE(m.SuffixList.Checked(i));
    }
    // Any mode but "Update" resets.
    Customise(m, 0, "a");
    m.RebuildColumnList("update", fields);
    EXPECT_EQ(Columns(m), defaults);
}

TEST(ColumnModel, ExchangeKeepsEveryListInStep)
{
    TColumnModel m;
    m.RebuildColumnList("Update", {{"A", db::ftInteger}, {"B", db::ftString}, {"C", db::ftDate}, {"D", db::ftFloat}});
    Customise(m, 0, "a");
    m.RebuildListView();
    const auto before = Columns(m);
    const TColumnListItem rowA = m.ListView().Item(0);
    const TColumnListItem rowD = m.ListView().Item(3);

    struct Case {
        int i, j;
        std::vector<int> order;  // old positions, in their new order
    };
    const Case cases[] = {
        {0, 3, {3, 1, 2, 0}},  // an exchange, not a move: B and C stay
        {3, 0, {3, 1, 2, 0}},
        {2, 2, {0, 1, 2, 3}},
        {1, 2, {0, 2, 1, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.i) + " on " + std::to_string(c.j));
        TColumnModel x;
        x.RebuildColumnList("Update", {{"A", db::ftInteger}, {"B", db::ftString}, {"C", db::ftDate}, {"D", db::ftFloat}});
        Customise(x, 0, "a");
        x.RebuildListView();
        x.ExchangeColumns(c.i, c.j);
        ExpectInStep(x, 4);
        std::vector<std::string> expected;
        for (int k : c.order) expected.push_back(before[static_cast<std::size_t>(k)]);
        EXPECT_EQ(Columns(x), expected);
        EXPECT_EQ(x.ListView().Selected(), c.j);
    }
    m.ExchangeColumns(0, 3);
    EXPECT_EQ(m.ListView().Item(0), rowD);
    EXPECT_EQ(m.ListView().Item(3), rowA);
    EXPECT_THROW(m.ExchangeColumns(0, 4), rtl::EListError);
    EXPECT_EQ(Columns(m)[0], before[3]);  // nothing changed by the refused exchange
}

TEST(ColumnModel, CheckListsCarryTheFlags)
{
    TColumnModel m;
    m.RebuildColumnList("Update", {{"A", db::ftInteger}, {"B", db::ftString}});
    Customise(m, 1, "b");
    m.StoreCheckLists();
    EXPECT_EQ(m.CheckFieldList.CommaText(), "0,1");
    EXPECT_EQ(m.CheckShowDataList.CommaText(), "1,0");
    EXPECT_EQ(m.CheckPrefixList.CommaText(), "0,1");
    EXPECT_EQ(m.CheckSuffixList.CommaText(), "0,1");

    // As after a project load: the lists' texts come back without flags, then the check
    // lists set them; a short check list leaves the missing flags off.
    TColumnModel loaded;
    TColumnLists::ForEachPair(loaded, m, [](rtl::TStrings& to, const rtl::TStrings& from) { to.Assign(from); });
    loaded.CheckFieldList.Assign(m.CheckFieldList);
    loaded.CheckShowDataList.Assign(m.CheckShowDataList);
    loaded.CheckPrefixList.Assign(m.CheckPrefixList);
    loaded.CheckSuffixList.SetCommaText("0");
    loaded.LoadCheckFlags();
    EXPECT_FALSE(loaded.FieldList.Checked(0));
    EXPECT_TRUE(loaded.FieldList.Checked(1));
    EXPECT_TRUE(loaded.ShowDataList.Checked(0));
    EXPECT_FALSE(loaded.ShowDataList.Checked(1));
    EXPECT_TRUE(loaded.PrefixList.Checked(1));
    EXPECT_FALSE(loaded.SuffixList.Checked(1));
    loaded.RebuildListView();
    EXPECT_EQ(loaded.ListView().Item(1).SubItems[3], "Image");
    EXPECT_EQ(loaded.ListView().Item(0).SubItems[4], "[Cell Value]");
}

TEST(ColumnModel, ListRowOfTextColumns)
{
    TColumnModel m;
    m.RebuildColumnList("Update", {{"Price", db::ftFloat}});
    m.PrefixList.Put(0, "$ ");
    m.SuffixList.Put(0, " net");
    EXPECT_EQ(m.ListItem(0).SubItems[4], "$ [Cell Value] net");
    m.ShowDataList.Put(0, "n/a");
    m.ShowDataList.SetChecked(0, false);
    EXPECT_EQ(m.ListItem(0).SubItems[4], "n/a");
    m.FormatList.Put(0, "1,2");  // a hand-edited entry: no format shown, no error
    EXPECT_EQ(m.ListItem(0).SubItems[1], "");
}

}  // namespace
