// The design text: the writer's exact lines, save-load-save, tables with quoted names, and
// damaged texts (bad numbers, corrupt counts, clashing sort slots).

#include <gtest/gtest.h>

#include <functional>

#include "VQueryTestSupport.h"
#include "platform/rtl/Exceptions.h"

using namespace vquery;
using vqtest::QueryFixture;

namespace {

using Lines = std::vector<std::string>;

void Schema(QueryFixture& f)
{
    f.Table("", "T", {{"a", db::adInteger}, {"b"}});
    f.Table("", "order details", {{"id", db::adInteger}, {"order", db::adInteger}, {"note"}});
    f.Table("Sales", "group", {{"id", db::adInteger}, {"name"}, {"born", db::adDBDate}});
}

bool Load(TmfVQuery& q, const Lines& lines)
{
    rtl::TStringList list;
    for (const auto& l : lines) list.Add(l);
    return q.LoadFromStrings(list);
}

Lines Save(TmfVQuery& q)
{
    rtl::TStringList list;
    list.Add("old content");
    q.SaveToStrings(list);
    return vqtest::Lines(list);
}

TEST(DesignText, WriterLinesInOrder)
{
    QueryFixture f;
    Schema(f);
    TmfVQueryTable* t = f.Box("T");
    t->ListBox()->SetChecked(1, false);
    QueryFixture::F(t, "b")->DisplayName = "B name";
    t->ListBox()->Items()->Put(1, "B name");
    f.Q().AddSortField(QueryFixture::F(t, "a"), false);
    TmfVQueryCriteria* first = f.Q().Criterias().Add(QueryFixture::F(t, "a"));
    first->Operator = ">";
    first->SetLiteral("5");
    TmfVQueryCriteria* second = f.Q().Criterias().Add(QueryFixture::F(t, "a"));  // only the first is kept
    second->SetLiteral("7");
    TmfVQueryCriteria* raw = f.Q().Criterias().Add();  // a raw expression is not kept
    raw->SetSourceExpression("1");
    raw->SetLiteral("1");
    EXPECT_EQ(Save(f.Q()),
              (Lines{"VJoinCount=0", "VTableCount=1", "VSortCount=1", "VCalCount=0", "AllowDuplicateJoins=FALSE",
                     "AutoSizeTable=TRUE", "TabOrder=" + std::to_string(f.Q().TabOrder()), "LogicalSQLNames=FALSE",
                     "SelectDistinct=FALSE", "ShowJoinCaptions=TRUE", "ShowSystemTables=FALSE", "ShowJoinComment=FALSE",
                     "SQLCommentEndChars=*/", "SQLCommentStartChars=/*", "SQLQuoteChars=\"", "Table0.DBTableName=T",
                     "Table0.TableCaption=T", "Table0.TableName=T", "Table0.OwnerName=", "Table0.TableAlias=T",
                     "Table0.Top=10", "Table0.Left=10", "Table0.Height=200", "Table0.Width=120", "Table0.FieldCount=2",
                     "Table0.a=a", "Table0.a.CHECKED=TRUE", "Table0.a.Sort=stDescending", "Table0.a.Index=1",
                     "Table0.a.CompareOperator=>", "Table0.a.DestLiteral=5", "Table0.b=B name", "Table0.b.Sort=stNoSort",
                     "JoinCount=0"}));

    QueryFixture g;
    Schema(g);
    Load(g.Q(), Save(f.Q()));
    EXPECT_EQ(g.Q().Criterias().Count(), 1);
    EXPECT_EQ(g.Q().Criterias().Items(0)->Literal(), "5");
}

// A design with every kind of content: save, load into a fresh query, save again.
TEST(DesignText, SaveLoadSaveGivesTheSameLines)
{
    QueryFixture f;
    Schema(f);
    f.Q().SelectDistinct = true;
    f.Q().ShowJoinComment = true;
    TmfVQueryTable* t = f.Box("T");
    TmfVQueryTable* od = f.Q().AddTable("ORDER DETAILS", {200, 30}, true);
    TmfVQueryTable* g = f.Q().AddTable("sales.group", {400, 60}, false);
    g->SetBounds(400, 60, 150, 90);
    g->ListBox()->SetChecked(1, true);
    od->ListBox()->Items()->Move(2, 0);  // the user reordered the fields
    QueryFixture::F(od, "note")->DisplayName = "Remark";
    od->ListBox()->Items()->Put(0, "Remark");
    TmfVQueryField* calc = g->AddField("Calculate0", "How many", db::ftString, true);
    calc->Calculated = true;
    calc->CalColExpression = "Count(\"group\".id)";
    calc->CalOperator = "Count";
    calc->CalColumnsource = "id";
    f.Q().AddJoin(QueryFixture::F(t, "a"), QueryFixture::F(od, "order"), "a = order")->JoinType = 1;
    TmfVQueryJoin* j2 = f.Q().AddJoin(QueryFixture::F(od, "id"), QueryFixture::F(g, "id"), "id = id");
    j2->CompareOperator = ">=";
    f.Q().AddSortField(QueryFixture::F(g, "name"), true);
    f.Q().AddSortField(QueryFixture::F(t, "b"), false);
    TmfVQueryCriteria* c = f.Q().Criterias().Add(QueryFixture::F(g, "name"));
    c->Operator = "<>";
    c->SetLiteral("O'Brien");
    const Lines saved = Save(f.Q());
    const std::vector<std::string> sql = f.Sql();

    QueryFixture h;
    Schema(h);
    EXPECT_TRUE(Load(h.Q(), saved));
    EXPECT_EQ(Save(h.Q()), saved);
    EXPECT_EQ(h.Sql(), sql);
    EXPECT_TRUE(h.dialogs.Asked().empty());
    ASSERT_EQ(h.Q().GetTableCount(), 3);
    EXPECT_EQ(h.Q().GetTable(1)->ListBox()->Items()->Strings(0), "Remark");
    EXPECT_EQ(h.Q().GetTable(2)->Width(), 150);
    EXPECT_EQ(h.Q().GetCalculatedCount(), 1);
    EXPECT_EQ(h.Q().GetJoin(0)->JoinType, 1);
    EXPECT_EQ(h.Q().GetJoin(1)->CompareOperator, ">=");
}

// Column names from the database that spell another column's setting ("x.CompareOperator"),
// with or without an "=", must not come back as that column's filter or expression.
TEST(DesignText, ColumnNamesNeverBecomeAnotherColumnsSettings)
{
    const std::string x = "); DROP TABLE victim; --";
    struct Case {
        const char* name;
        std::vector<vqtest::Column> columns;
        bool calculated;  // a calculated column Calculate0 with its expression beside them
    };
    const Case cases[] = {
        {"filter", {{x, db::adInteger}, {x + ".CompareOperator"}, {x + ".DestLiteral"}}, false},
        {"filter through an equals sign",
         {{"a", db::adInteger}, {"a.CompareOperator=1); DROP TABLE victim; --"}, {"a.DestLiteral=1"}},
         false},
        {"expression", {{"a", db::adInteger}, {"Calculate0.CalColExpression=1); DROP TABLE victim; --"}}, true},
        {"expression, no equals sign", {{"a", db::adInteger}, {"Calculate0.CalColExpression"}, {"b"}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QueryFixture f;
        f.Table("", "T", c.columns);
        TmfVQueryTable* t = f.Box("T");
        // A name holding "=" cannot carry its own settings through key=value lines.
        for (int i = 0; i < t->ListBox()->Items()->Count(); ++i)
            if (t->ListBox()->Items()->Strings(i).find('=') != std::string::npos) t->ListBox()->SetChecked(i, false);
        if (c.calculated) {
            TmfVQueryField* calc = t->AddField("Calculate0", "How many", db::ftString, true);
            calc->Calculated = true;
            calc->CalColExpression = "Count(T.a)";
        }
        const Lines saved = Save(f.Q());
        QueryFixture g;
        g.Table("", "T", c.columns);
        EXPECT_TRUE(Load(g.Q(), saved));
        EXPECT_EQ(g.Q().Criterias().Count(), 0);
        EXPECT_EQ(g.Sql(), f.Sql());
        EXPECT_EQ(Save(g.Q()), saved);
    }
}

// A restored design is no change of the user's; a change of its statement is, until marked.
// Moving a box changes no statement. Asking never warns, not even over unjoined boxes.
TEST(DesignText, ARestoredDesignIsUnchangedUntilItsStatementChanges)
{
    QueryFixture f;
    Schema(f);
    f.Box("T");
    f.Q().AddTable("ORDER DETAILS", {200, 30}, true);
    const Lines saved = Save(f.Q());
    QueryFixture h;
    Schema(h);
    h.Box("T");  // something before the restore, which it replaces
    ASSERT_TRUE(Load(h.Q(), saved));
    TmfVQuery& q = h.Q();
    const struct {
        const char* what;
        std::function<void()> act;
        bool changed;
    } steps[] = {
        {"restored", [] {}, false},
        {"a box moved", [&] { q.GetTable(0)->SetBounds(300, 200, 120, 150); }, false},
        {"a field unchecked", [&] { q.GetTable(1)->ListBox()->ToggleByUser(0); }, true},
        {"marked", [&] { q.MarkDesignUnchanged(); }, false},
        {"checked again", [&] { q.GetTable(1)->ListBox()->ToggleByUser(0); }, true},
        {"restored again", [&] { Load(q, saved); }, false},
        {"a box removed", [&] { q.RemoveTable(q.GetTable(1)); }, true},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(q.DesignChanged(), step.changed) << step.what;
    }
    EXPECT_TRUE(h.dialogs.Asked().empty());
}

// Tables whose names need quotes come back with their fields, criteria, sorts and joins.
TEST(DesignText, QuotedTableNamesReturnWhole)
{
    QueryFixture f;
    Schema(f);
    f.Q().AnsiKeywords().Add("GROUP");
    f.Q().AnsiKeywords().Add("ORDER");
    TmfVQueryTable* od = f.Box("order details");
    TmfVQueryTable* g = f.Box("SALES.GROUP");
    EXPECT_EQ(od->DBTableName(), "\"order details\"");
    EXPECT_EQ(g->DBTableName(), "Sales.\"group\"");
    f.Q().AddJoin(QueryFixture::F(od, "id"), QueryFixture::F(g, "id"), "j");
    f.Q().AddSortField(QueryFixture::F(od, "order"), true);
    f.Q().Criterias().Add(QueryFixture::F(g, "name"))->SetLiteral("x");
    const Lines saved = Save(f.Q());

    QueryFixture h;
    Schema(h);
    h.Q().AnsiKeywords().Add("GROUP");
    h.Q().AnsiKeywords().Add("ORDER");
    Load(h.Q(), saved);
    ASSERT_EQ(h.Q().GetTableCount(), 2);
    EXPECT_EQ(h.Q().GetTable(0)->Fields().Count(), 3);
    EXPECT_EQ(h.Q().GetTable(1)->Fields().Count(), 3);
    EXPECT_EQ(h.Q().GetJoinCount(), 1);
    EXPECT_EQ(h.Q().SortCount(), 1);
    EXPECT_EQ(h.Q().Criterias().Count(), 1);
    EXPECT_EQ(Save(h.Q()), saved);

    // A design of an older writer without the caption still finds a bare name by DBTableName.
    QueryFixture k;
    Schema(k);
    Load(k.Q(), Lines{"VTableCount=1", "Table0.DBTableName=T", "Table0.Top=1", "Table0.Left=2",
                                  "Table0.Height=30", "Table0.Width=40", "Table0.TableAlias=X"});
    ASSERT_EQ(k.Q().GetTableCount(), 1);
    EXPECT_EQ(k.Q().GetTable(0)->Fields().Count(), 2);
    EXPECT_EQ(k.Q().GetTable(0)->Alias(), "X");

    // Through a table list box of descriptors.
    ui::TListBox tables(nullptr);
    vqtest::AddFakeTable(*tables.Items(), "", "order details", {{"id", db::adInteger}, {"order"}, {"note"}});
    vqtest::AddFakeTable(*tables.Items(), "Sales", "group", {{"id", db::adInteger}, {"name"}, {"born"}});
    QueryFixture m;
    m.Q().SetLoadTableListBox(&tables);
    Load(m.Q(), saved);
    ASSERT_EQ(m.Q().GetTableCount(), 2);
    EXPECT_EQ(m.Q().GetJoinCount(), 1);
}

TEST(DesignText, EmptyTextClearsTheCanvas)
{
    QueryFixture f;
    Schema(f);
    f.Box("T");
    f.Q().SelectDistinct = true;
    f.Q().AutoSizeTable = true;
    EXPECT_TRUE(f.Q().LoadFromStrings(rtl::TStringList()));
    EXPECT_EQ(f.Q().GetTableCount(), 0);
    EXPECT_FALSE(f.Q().SelectDistinct);
    EXPECT_FALSE(f.Q().AutoSizeTable);
    EXPECT_FALSE(f.Q().ShowJoinCaptions);
    EXPECT_TRUE(f.Sql().empty());
}

TEST(DesignText, FieldOrderFollowsTheLinesAndFieldsWithoutALineGoLast)
{
    QueryFixture f;
    Schema(f);
    Load(f.Q(), Lines{"VTableCount=1", "Table0.TableCaption=ORDER DETAILS", "Table0.Top=0", "Table0.Left=0",
                                  "Table0.Height=100", "Table0.Width=100", "Table0.TableAlias=od", "Table0.note=Note",
                                  "Table0.id=Id", "Table0.id.CHECKED=TRUE"});
    ASSERT_EQ(f.Q().GetTableCount(), 1);
    TmfVQueryListBox* lb = f.Q().GetTable(0)->ListBox();
    EXPECT_EQ(vqtest::Lines(*lb->Items()), (Lines{"Note", "Id", "order"}));
    EXPECT_FALSE(lb->Checked(0));
    EXPECT_TRUE(lb->Checked(1));
    EXPECT_EQ(lb->Field(1)->FieldName, "id");

    // Fields sharing a display name keep their saved order.
    QueryFixture g;
    Schema(g);
    TmfVQueryTable* od = g.Box("ORDER DETAILS");
    for (int i = 0; i < 3; ++i) {
        od->ListBox()->Field(i)->DisplayName = "Same";
        od->ListBox()->Items()->Put(i, "Same");
    }
    od->ListBox()->Items()->Move(2, 0);
    const Lines saved = Save(g.Q());
    QueryFixture h;
    Schema(h);
    Load(h.Q(), saved);
    EXPECT_EQ(Save(h.Q()), saved);
    EXPECT_EQ(h.Q().GetTable(0)->ListBox()->Field(0)->FieldName, "note");
}

TEST(DesignText, BadNumbersRaiseTheConversionErrorNamingKeyAndValue)
{
    const Lines base = {"VTableCount=1", "Table0.TableCaption=T", "Table0.Top=1", "Table0.Left=2", "Table0.Height=3",
                        "Table0.Width=4", "JoinCount=1", "Join0.Color=0", "Join0.JoinType=0"};
    struct Case {
        std::string key, value;
    };
    const Case cases[] = {{"Table0.Top", "x"},    {"Table0.Left", ""},       {"Table0.Height", "1.5"},
                          {"Table0.Width", "9e9"}, {"Join0.Color", "red"},    {"Join0.JoinType", ""},
                          {"VTableCount", "one"},  {"Table0.Top", "99999999999"}};
    for (const Case& c : cases) {
        Lines lines;
        for (const std::string& l : base)
            if (l.rfind(c.key + "=", 0) != 0) lines.push_back(l);
        if (!c.value.empty()) lines.insert(lines.begin(), c.key + "=" + c.value);
        QueryFixture f;
        Schema(f);
        try {
            Load(f.Q(), lines);
            ADD_FAILURE() << c.key << "=" << c.value << " was accepted";
        } catch (const rtl::EConvertError& e) {
            EXPECT_NE(e.Message().find(c.key), std::string::npos) << e.Message();
            EXPECT_NE(e.Message().find("'" + c.value + "'"), std::string::npos) << e.Message();
        }
    }
}

TEST(DesignText, CorruptCountsAndSortSlotsAreBounded)
{
    QueryFixture f;
    Schema(f);
    Load(f.Q(), Lines{"VTableCount=1", "VSortCount=2147483647", "VCalCount=2000000000",
                                  "Table0.TableCaption=T", "Table0.Top=0", "Table0.Left=0",
                                  "Table0.Height=1", "Table0.Width=1", "Table0.a.Sort=stAscending", "Table0.a.Index=2",
                                  "Table0.b.Sort=stDescending", "Table0.b.Index=2", "Table0.Calculate5=X"});
    // Counts are bounded by the lines present: no slot table of two thousand million entries.
    ASSERT_EQ(f.Q().GetTableCount(), 1);
    ASSERT_EQ(f.Q().SortCount(), 1);  // slot 2 taken twice: the first wins
    EXPECT_EQ(f.Q().SortField(0)->FieldName, "a");
    EXPECT_EQ(f.Q().GetCalculatedCount(), 1);

    // A huge table count reads the boxes present, then misses the next box's place.
    QueryFixture big;
    Schema(big);
    EXPECT_THROW(Load(big.Q(), Lines{"VTableCount=2147483647", "Table0.TableCaption=T", "Table0.Top=0", "Table0.Left=0",
                                     "Table0.Height=1", "Table0.Width=1"}),
                 rtl::EConvertError);
    EXPECT_EQ(big.Q().GetTableCount(), 1);

    QueryFixture g;
    Schema(g);
    Load(g.Q(), Lines{"VTableCount=-3", "VSortCount=-1", "Table0.TableCaption=T", "Table0.Top=x"});
    EXPECT_EQ(g.Q().GetTableCount(), 0);

    QueryFixture h;  // Index 0, missing, or beyond VSortCount: skipped
    Schema(h);
    Load(h.Q(), Lines{"VTableCount=1", "VSortCount=1", "Table0.TableCaption=T", "Table0.Top=0",
                                  "Table0.Left=0", "Table0.Height=1", "Table0.Width=1", "Table0.a.Sort=stAscending",
                                  "Table0.a.Index=0", "Table0.b.Sort=stAscending", "Table0.b.Index=2"});
    EXPECT_EQ(h.Q().SortCount(), 0);
}

}  // namespace
