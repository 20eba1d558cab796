// The generated statement, whole text, over a table of designs on a fake schema.

#include <functional>

#include <gtest/gtest.h>

#include "VQueryTestSupport.h"

using namespace vquery;
using vqtest::QueryFixture;

namespace {

using Lines = std::vector<std::string>;

struct Design {
    const char* name;
    std::function<void(QueryFixture&)> build;
    Lines expected;
    int warnings = 0;
};

void Uncheck(TmfVQueryTable* box)
{
    for (int i = 0; i < box->ListBox()->Items()->Count(); ++i) box->ListBox()->SetChecked(i, false);
}

void Check(TmfVQueryTable* box, const std::string& displayName)
{
    const int i = box->ListBox()->Items()->IndexOf(displayName);
    ASSERT_GE(i, 0) << displayName;
    box->ListBox()->SetChecked(i, true);
}

// Three boxes C (customers), O (orders) and I (items), nothing checked.
struct Boxes {
    TmfVQueryTable *c, *o, *i;
};
Boxes Three(QueryFixture& f)
{
    Boxes b{f.Box("Customers"), f.Box("Orders"), f.Box("Items")};
    Uncheck(b.c);
    Uncheck(b.o);
    Uncheck(b.i);
    return b;
}

TmfVQueryJoin* Join(QueryFixture& f, TmfVQueryTable* s, const char* sf, TmfVQueryTable* d, const char* df, int type = 0)
{
    TmfVQueryJoin* j = f.Q().AddJoin(QueryFixture::F(s, sf), QueryFixture::F(d, df), "");
    j->JoinType = type;
    return j;
}

TmfVQueryCriteria* Criterion(QueryFixture& f, TmfVQueryTable* box, const char* field, const char* op,
                             const std::string& literal)
{
    TmfVQueryCriteria* c = f.Q().Criterias().Add(QueryFixture::F(box, field));
    c->Operator = op;
    c->SetLiteral(literal);
    return c;
}

const Design kDesigns[] = {
    {"no box", [](QueryFixture&) {}, {}},
    {"one box, nothing checked",
     [](QueryFixture& f) { Uncheck(f.Box("Customers")); },
     {"Select", "From", "    Customers   Customers"}},
    {"two boxes without a join warn once",
     [](QueryFixture& f) {
         Uncheck(f.Box("Customers"));
         TmfVQueryTable* o = f.Box("Orders");
         Uncheck(o);
         Check(o, "id");
     },
     {"Select", "    Orders.id", "From", "    Customers   Customers,", "    Orders   Orders"},
     1},
    {"three boxes without a join warn twice",
     [](QueryFixture& f) { Three(f); },
     {"Select", "From", "    Customers   Customers,", "    Orders   Orders,", "    Items   Items"},
     2},
    {"display names, also differing only in case",
     [](QueryFixture& f) {
         TmfVQueryTable* c = f.Box("Customers");
         QueryFixture::F(c, "id")->DisplayName = "ID";
         QueryFixture::F(c, "name")->DisplayName = "Full name";
         c->ListBox()->SetChecked(3, false);
     },
     {"Select", "    Customers.id As ID,", "    Customers.name As \"Full name\",", "    Customers.city", "From",
      "    Customers   Customers"}},
    {"list form: join comment, text criterion with an apostrophe, number criterion",
     [](QueryFixture& f) {
         Boxes b = Three(f);
         f.Q().RemoveTable(b.i);
         Check(b.c, "name");
         Check(b.o, "amount");
         f.Q().ShowJoinComment = true;
         f.Q().SQLCommentStartChars = "/*";
         f.Q().SQLCommentEndChars = "*/";
         Join(f, b.c, "id", b.o, "cust_id");
         Criterion(f, b.c, "name", "=", "O'Brien");
         Criterion(f, b.o, "amount", ">", "100");
     },
     {"Select", "    Customers.name,", "    Orders.amount", "From", "    Customers   Customers,", "    Orders   Orders",
      "Where (", "        /*    Customers    id = cust_id    Orders    */", "            Customers.id = Orders.cust_id",
      ")", " ", "And (", "     ( Customers.name = 'O''Brien' ) ", "    And ( Orders.amount > 100 ) ", "    )"}},
    {"list form: two joins, criteria in both forms",
     [](QueryFixture& f) {
         Boxes b = Three(f);
         Check(b.i, "qty");
         Join(f, b.c, "id", b.o, "cust_id");
         Join(f, b.o, "id", b.i, "order_id");
         TmfVQueryCriteria* fields = f.Q().Criterias().Add(QueryFixture::F(b.c, "born"));
         fields->Operator = "<";
         fields->SetDestField(QueryFixture::F(b.o, "ordered"));
         TmfVQueryCriteria* raw = f.Q().Criterias().Add();
         raw->SetSourceExpression("Upper(Customers.name)");
         raw->SetLiteral("'X'");
     },
     {"Select", "    Items.qty", "From", "    Customers   Customers,", "    Orders   Orders,", "    Items   Items",
      "Where (", "            Customers.id = Orders.cust_id", "    And    Orders.id = Items.order_id", ")", " ", "And (",
      "     ( Customers.born < Orders.ordered ) ", "    And ( Upper(Customers.name) = 'X' ) ", "    )"}},
    {"ANSI form: nested group with a mirrored type, inner join keyword, criteria without block",
     [](QueryFixture& f) {
         Boxes b = Three(f);
         Check(b.c, "name");
         Join(f, b.c, "id", b.o, "cust_id", 1);
         Join(f, b.i, "order_id", b.o, "id", 1);  // its destination is placed: mirrored
         Criterion(f, b.o, "ordered", ">=", "2024-01-01");
     },
     {"Select", "    Customers.name", "From",
      "(Customers Customers LEFT OUTER JOIN Orders Orders ON (Customers.id = Orders.cust_id)) RIGHT OUTER JOIN "
      "Items Items ON (Items.order_id = Orders.id)",
      "Where ", "     ( Orders.ordered >= '2024-01-01' ) "}},
    {"ANSI form: two joins between two boxes, inner keyword, an unjoined box",
     [](QueryFixture& f) {
         Boxes b = Three(f);
         Check(b.o, "id");
         Join(f, b.c, "id", b.o, "cust_id", 2);
         Join(f, b.c, "name", b.o, "note", 0);
     },
     {"Select", "    Orders.id", "From",
      "Customers Customers RIGHT OUTER JOIN Orders Orders ON (Customers.id = Orders.cust_id) AND (Customers.name = "
      "Orders.note) , Items   Items"}},
    {"ANSI form: separate groups",
     [](QueryFixture& f) {
         Boxes b = Three(f);
         TmfVQueryTable* c2 = f.Box("Customers");
         Uncheck(c2);
         Join(f, b.c, "id", b.o, "cust_id", 1);
         Join(f, b.i, "order_id", c2, "id", 0);
     },
     {"Select", "From",
      "Customers Customers LEFT OUTER JOIN Orders Orders ON (Customers.id = Orders.cust_id) , Items Items INNER "
      "JOIN Customers Customers1 ON (Items.order_id = Customers1.id)"}},
    {"Distinct, calculated column with Group by, Desc and Asc",
     [](QueryFixture& f) {
         TmfVQueryTable* c = f.Box("Customers");
         Uncheck(c);
         Check(c, "city");
         TmfVQueryField* calc = c->AddField("Calculate0", "Total", db::ftString, true);
         calc->Calculated = true;
         calc->CalColExpression = "Count(Customers.id)";
         f.Q().SelectDistinct = true;
         f.Q().AddSortField(QueryFixture::F(c, "city"), false);
         f.Q().AddSortField(QueryFixture::F(c, "name"), true);
     },
     {"Select Distinct", "    Customers.city,", "    Count(Customers.id)   As Total", "From", "    Customers   Customers",
      "Group by", "Customers.city", "Order by", "    Customers.city Desc,", "    Customers.name Asc"}},
    {"Group by lists every checked plain field, with a leading comma",
     [](QueryFixture& f) {
         Boxes b = Three(f);
         f.Q().RemoveTable(b.i);
         Check(b.c, "city");
         Check(b.o, "ordered");
         TmfVQueryField* calc = b.o->AddField("Calculate0", "Sum of amount", db::ftString, true);
         calc->Calculated = true;
         calc->CalColExpression = "Sum(Orders.amount)";
         Join(f, b.c, "id", b.o, "cust_id");
     },
     {"Select", "    Customers.city,", "    Orders.ordered,", "    Sum(Orders.amount)   As \"Sum of amount\"", "From",
      "    Customers   Customers,", "    Orders   Orders", "Where (", "            Customers.id = Orders.cust_id", ")",
      "Group by", "Customers.city", ",Orders.ordered"}},
    {"a lone calculated column gives no Group by",
     [](QueryFixture& f) {
         TmfVQueryTable* c = f.Box("Customers");
         Uncheck(c);
         TmfVQueryField* calc = c->AddField("Calculate0", "N", db::ftString, true);
         calc->Calculated = true;
         calc->CalColExpression = "Count(*)";
     },
     {"Select", "    Count(*)   As N", "From", "    Customers   Customers"}},
};

void PrintTo(const Design& d, std::ostream* os) { *os << d.name; }

class SqlText : public ::testing::TestWithParam<Design> {};

TEST_P(SqlText, WholeText)
{
    QueryFixture f;
    f.Table("", "Customers", {{"id", db::adInteger}, {"name"}, {"city"}, {"born", db::adDBDate}});
    f.Table("", "Orders",
            {{"id", db::adInteger}, {"cust_id", db::adInteger}, {"amount", db::adInteger}, {"ordered", db::adDBDate},
             {"note"}});
    f.Table("", "Items", {{"id", db::adInteger}, {"order_id", db::adInteger}, {"qty", db::adInteger}});
    GetParam().build(f);
    for (int i = 0; i < GetParam().warnings; ++i) f.dialogs.AnswerMessage(ui::mrOk);
    EXPECT_EQ(f.Sql(), GetParam().expected);
    int warnings = 0;
    for (const auto& q : f.dialogs.Asked()) {
        EXPECT_EQ(q.message.text, "You have an unjoined query.");
        EXPECT_EQ(q.message.type, ui::mtWarning);
        ++warnings;
    }
    EXPECT_EQ(warnings, GetParam().warnings);
    EXPECT_TRUE(f.dialogs.Unexpected().empty());
}

INSTANTIATE_TEST_SUITE_P(Designs, SqlText, ::testing::ValuesIn(kDesigns), [](const auto& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
});

TEST(CommentText, NothingInItEndsTheCommentOrOpensANestedOne)
{
    struct Case {
        std::string text, start, end, expected;
    };
    const Case cases[] = {
        {"\"Orders\"    id = cust_id    Items", "/*", "*/", "\"Orders\"    id = cust_id    Items"},
        {"y*/ 1=1); DROP TABLE victim; /*", "/*", "*/", "y* / 1=1); DROP TABLE victim; / *"},
        {"*/*/", "/*", "*/", "* / * /"},
        {"a*/b", "--", "", "a* /b"},  // the database's block comments, whatever marks are chosen
        {"a\r\nb\nc", "--", "", "a  b c"},
        {"x--y", "--", "", "x- -y"},
        {"a}b{c", "{", "}", "a b c"},  // a mark of one character cannot be broken up
        {"a\u00ab\u00bbb", "\u00ab\u00bb", "", "a\u00ab \u00bbb"},  // broken between characters, not bytes
        {"a\u00bbb", "\u00ab", "\u00bb", "a b"},
        {"", "/*", "*/", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(CommentText(c.text, c.start, c.end), c.expected) << c.text;
}

TEST(QuoteLiteral, TextAndDateTypesInApostrophesOthersAsTyped)
{
    EXPECT_EQ(TmfVQueryCriteria::QuoteLiteral("O'Brien", db::ftWideString), "'O''Brien'");
    EXPECT_EQ(TmfVQueryCriteria::QuoteLiteral("''", db::ftString), "''''''");
    EXPECT_EQ(TmfVQueryCriteria::QuoteLiteral("", db::ftMemo), "''");
    EXPECT_EQ(TmfVQueryCriteria::QuoteLiteral("2024-02-29", db::ftDate), "'2024-02-29'");
    EXPECT_EQ(TmfVQueryCriteria::QuoteLiteral("12:00", db::ftTime), "'12:00'");
    EXPECT_EQ(TmfVQueryCriteria::QuoteLiteral("x", db::ftFixedChar), "'x'");
    EXPECT_EQ(TmfVQueryCriteria::QuoteLiteral("2024-02-29 10:00", db::ftDateTime), "'2024-02-29 10:00'");
    EXPECT_EQ(TmfVQueryCriteria::QuoteLiteral("1'5", db::ftInteger), "1'5");
    EXPECT_EQ(TmfVQueryCriteria::QuoteLiteral("-2.5", db::ftFloat), "-2.5");
}

}  // namespace
