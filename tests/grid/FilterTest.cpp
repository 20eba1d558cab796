// Filter texts: the typed tree the compiler builds, and the records an installed filter shows
// on a data set in memory.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "grid/gkFilter.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/db/MemDataSet.h"

using grid::TgkFilterNode;
using grid::TgkFilterNodeKind;
using grid::TgkFilterOperandType;

namespace {

// A tree as text: operators as kind letter (c comparison, l logical, a arithmetic), ":", the
// operator, then their two sides in brackets; operands as their text, ":" and a type letter
// (F field, S string, R float, T date-time, D date, M time, B Boolean, I integer, C BCD with
// its decimals, H 16-bit integer).
std::string Describe(const TgkFilterNode& node)
{
    if (node.kind == TgkFilterNodeKind::Operand) {
        static const char* const kTypes[] = {"F", "S", "R", "T", "D", "M", "B", "I", "C", "H"};
        std::string type = kTypes[static_cast<int>(node.operandType)];
        if (node.operandType == TgkFilterOperandType::BCD) type += std::to_string(node.decimals);
        return node.text + ":" + type;
    }
    static const char kKinds[] = {'c', 'l', 'a'};
    return std::string(1, kKinds[static_cast<int>(node.kind)]) + ":" + node.text + "(" + Describe(*node.left) + "," +
           Describe(*node.right) + ")";
}

int CountNodes(const TgkFilterNode& node)
{
    return 1 + (node.left ? CountNodes(*node.left) : 0) + (node.right ? CountNodes(*node.right) : 0);
}

// A data set with a field of each type the compiler types, and a few records.
class FilterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        using namespace db;
        mem.columns = {{"ID", ftInteger},       {"Name", ftString},    {"City", ftString},    {"Qty", ftInteger},
                       {"Small", ftSmallint},   {"Big", ftLargeint},   {"Price", ftFloat},    {"Amount", ftBCD, 2},
                       {"Born", ftDate},        {"At", ftTime},        {"Stamp", ftDateTime}, {"Active", ftBoolean},
                       {"Code", ftFixedChar, 4}, {"Wide", ftWideString}, {"Notes", ftMemo},   {"First Name", ftString},
                       {"Größe", ftInteger}};
        const auto date = [](int y, int m, int d) { return TVariant::FromDateTime(rtl::EncodeDate(y, m, d)); };
        const auto time = [](int h, int n) { return TVariant::FromDateTime(rtl::EncodeTime(h, n, 0, 0)); };
        const auto stamp = [](int y, int m, int d, int h) {
            return TVariant::FromDateTime(rtl::EncodeDate(y, m, d) + rtl::EncodeTime(h, 0, 0, 0));
        };
        const TVariant null;
        // ID Name City Qty Small Big Price Amount Born At Stamp Active Code Wide Notes First Größe
        mem.AddRow({1, "Smith", "Oslo", 1, 4464, 70000LL, 1.5, TVariant::FromDecimal("10.25"), date(2023, 1, 5),
                    time(9, 30), stamp(2023, 1, 5, 10), true, "AB", "Ünïcode", "long text", "Ann", 3});
        mem.AddRow({2, "smith", "Bergen", 70000, 2, 9000000000LL, 20.0, TVariant::FromDecimal("0.10"),
                    date(2023, 2, 1), time(14, 0), stamp(2023, 2, 1, 0), false, "CD", "plain", null, "Bob", 4});
        mem.AddRow({3, "Jones", null, 5, null, null, null, null, null, null, null, null, null, null, null, null, null});
        mem.AddRow({4, "Smith OR City", "X", -3, -5, -1LL, -2.5, TVariant::FromDecimal("-1.50"), date(2022, 12, 31),
                    time(0, 0), stamp(2022, 12, 31, 23), true, "AB", "zz", "x", "Ann", 5});
        mem.Open();
    }

    std::string Tree(const std::string& text)
    {
        const auto tree = grid::gkFilterCompile(text, mem);
        return tree ? Describe(*tree) : "nil";
    }

    // The IDs the data set shows with `text` installed (or "error: ..." / "refused").
    std::string Shown(const std::string& text)
    {
        db::TRecordFilterHandle handle = 0;
        std::string out;
        try {
            if (!grid::gkApplyFilterText(text, mem, handle, false)) return "refused";
        } catch (const rtl::Exception& e) {
            return std::string("error: ") + e.what();
        }
        for (mem.First(); !mem.Eof(); mem.Next()) out += (out.empty() ? "" : " ") + mem.FieldByName("ID")->AsString();
        grid::gkDropFilter(mem, handle);
        return out;
    }

    dbtest::TMemDataSet mem;
};

}  // namespace

TEST_F(FilterTest, CompilesTextsToTypedTrees)
{
    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope(dialogs);
    const std::string longText(100, 'q');
    struct Case {
        std::string text;
        std::string tree;
    } cases[] = {
        // The seven-node example: AND over two comparisons, a quoted text and an integer.
        {"Name = \"Smith\" AND Qty > 5", "l:AND(c:=(Name:F,\"Smith\":S),c:>(Qty:F,5:I))"},
        {"Qty > 5 AND Name = Smith", "l:AND(c:>(Qty:F,5:I),c:=(Name:F,Smith:S))"},  // the unquoted word
        {"name = \"Smith\" and qty > 5 oR City <> \"Oslo\"",
         "l:oR(l:and(c:=(name:F,\"Smith\":S),c:>(qty:F,5:I)),c:<>(City:F,\"Oslo\":S))"},
        {"Qty = 1 OR Qty = 2 AND Qty = 3", "l:AND(l:OR(c:=(Qty:F,1:I),c:=(Qty:F,2:I)),c:=(Qty:F,3:I))"},
        {"Qty = 1 OR (Qty = 2 AND Qty = 3)", "l:OR(c:=(Qty:F,1:I),l:AND(c:=(Qty:F,2:I),c:=(Qty:F,3:I)))"},
        {"\tQty>=-3", "c:>=(Qty:F,-3:I)"},
        {"Price < -2.5", "c:<(Price:F,-2.5:R)"},
        {"Qty > (Small) + (1)", "c:>(Qty:F,a:+(Small:F,1:H))"},
        // Typing by the field on the left.
        {"Code = AB", "c:=(Code:F,AB:S)"},
        {"Wide = \"zz\"", "c:=(Wide:F,\"zz\":S)"},
        {"Big <= 70000", "c:<=(Big:F,70000:I)"},
        {"Small = 70000", "c:=(Small:F,70000:H)"},
        {"Amount = 10.25", "c:=(Amount:F,10.25:C2)"},
        {"Born = \"1/5/2023\"", "c:=(Born:F,\"1/5/2023\":D)"},
        {"At < \"10:00\"", "c:<(At:F,\"10:00\":M)"},
        {"Stamp > \"1/5/2023 9:00\"", "c:>(Stamp:F,\"1/5/2023 9:00\":T)"},
        {"Active = True", "c:=(Active:F,True:B)"},
        {"Notes = x", "c:=(Notes:F,x:F)"},
        {"First Name = Ann", "c:=(First Name:F,Ann:S)"},
        {"Größe = 3", "c:=(Größe:F,3:I)"},
        {"Name", "Name:F"},
        // A literal longer than 64 characters stays whole.
        {"Name = \"" + longText + "\"", "c:=(Name:F,\"" + longText + "\":S)"},
        // No tree.
        {"", "nil"},
        {"   ", "nil"},
        {"= 1", "nil"},
        {")", "nil"},
        {"(Qty = 1", "nil"},
        {"Qty =", "nil"},
        {"Name = \"unclosed", "nil"},
        {"Qty = 1 AND", "nil"},
        // Text after a whole filter fails it.
        {"Qty = 1 AN Name = \"x\"", "nil"},
        {"Name = Smith OR City = X", "nil"},
        {"Qty = 1 Name", "nil"},
        {"Qty = 1)", "nil"},
        {"Qty = 1 =< 2", "nil"},
    };
    for (const Case& c : cases) EXPECT_EQ(Tree(c.text), c.tree) << c.text;
    EXPECT_TRUE(dialogs.Asked().empty());

    const auto seven = grid::gkFilterCompile(cases[0].text, mem);
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(CountNodes(*seven), 7);
    EXPECT_EQ(seven->kind, TgkFilterNodeKind::Logical);
}

TEST_F(FilterTest, ALeftSideNamingNoFieldWarnsAndGivesNoTree)
{
    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope(dialogs);
    const struct {
        const char* text;
        const char* named;
    } cases[] = {
        {"Nope = 1", "Nope"},
        {"Qty = 1 AND \"Qty\" = 2", "\"Qty\""},
        {"Smith OR City = X", "Smith OR City"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Tree(c.text), "nil") << c.text;
        ASSERT_FALSE(dialogs.Asked().empty()) << c.text;
        EXPECT_EQ(dialogs.Asked().back().message.text, std::string(c.named) + "\rField not found in Table. ");
    }
    EXPECT_EQ(dialogs.Asked().size(), 3u);
}

TEST_F(FilterTest, NestingIsBoundedAndLongChainsRun)
{
    const auto nested = [](int depth) { return std::string(depth, '(') + "Qty = 5" + std::string(depth, ')'); };
    EXPECT_EQ(Tree(nested(256)), "c:=(Qty:F,5:I)");
    EXPECT_EQ(Tree(nested(257)), "nil");
    EXPECT_EQ(Tree(nested(100000)), "nil");

    std::string chain = "Qty = 0";
    for (int i = 0; i < 50000; ++i) chain += i % 2 == 0 ? " OR Qty = 5" : " AND Qty <> 1";
    EXPECT_EQ(Shown(chain), "3");
}

TEST_F(FilterTest, InstalledFiltersShowTheRecordsOfTheirCondition)
{
    struct Case {
        std::string text;
        std::string ids;
    } cases[] = {
        {"Name = \"Smith\"", "1"},  // texts by code point: "smith" differs
        {"Name = Smith", "1"},
        {"Name > \"Smith\"", "2 4"},
        {"Name <> \"Smith\"", "2 3 4"},
        {"City <> \"Oslo\"", "2 4"},  // a null fails every comparison
        {"City = \"\"", ""},
        {"Qty > 4", "2 3"},
        {"Qty >= -3 AND Qty < 5", "1 4"},
        {"Small = 70000", ""},  // integers compare whole
        {"Small = 4464", "1"},
        {"Big > 70000", "2"},
        {"Big = 70000", "1"},
        {"Price >= 1.5", "1 2"},
        {"Price < -2", "4"},
        {"Amount = 10.25", "1"},
        {"Amount = 10.245", "1"},  // read to the field's two decimals
        {"Amount < 0.1", "4"},
        {"Amount = 0.1", "2"},
        {"Born = \"1/5/2023\"", "1"},
        {"Born < \"1/1/2023\"", "4"},
        {"At >= \"9:30\"", "1 2"},
        {"Stamp > \"1/5/2023\"", "1 2"},
        {"Stamp > \"1/5/2023 11:00\"", "2"},
        {"Active = True", "1 4"},
        {"Active = false", "2"},
        {"Active <> t", "2"},
        {"Code = AB", "1 4"},
        {"Wide = \"Ünïcode\"", "1"},
        {"First Name = Ann AND Qty < 0", "refused"},  // "Ann AND Qty" is the word; "< 0" is left
        {"Qty < 0 AND First Name = Ann", "4"},
        {"Qty = 1 OR Qty = 5 AND Name = \"Jones\"", "3"},  // from the left
        {"Qty = 1 OR (Qty = 5 AND Name = \"Jones\")", "1 3"},
        {"Qty > (Small) + (1)", "2 4"},
        {"Größe >= 4", "2 4"},
        {"", "1 2 3 4"},
        // What installs nothing.
        {"Name = Smith OR City = X", "refused"},
        {"Qty = \"5\"", "error: '\"5\"' is not a valid integer value"},
        {"Qty = 5x", "refused"},
        {"Born = \"31/31/2023\"", "error: '31/31/2023' is not a valid date"},
        {"Price = 1x", "refused"},
        {"Notes = x", "error: Field 'x' not found"},
    };
    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope(dialogs);
    for (const Case& c : cases) EXPECT_EQ(Shown(c.text), c.ids) << c.text;
    EXPECT_FALSE(mem.HasRecordFilters());
}

TEST_F(FilterTest, HandlesReplaceAndDropTheirFilters)
{
    db::TRecordFilterHandle handle = 0;
    const auto ids = [&] {
        std::string out;
        for (mem.First(); !mem.Eof(); mem.Next()) out += mem.FieldByName("ID")->AsString();
        return out;
    };
    ASSERT_TRUE(grid::gkApplyFilterText("Qty > 0", mem, handle, false));
    EXPECT_NE(handle, 0u);
    EXPECT_EQ(ids(), "123");
    ASSERT_TRUE(grid::gkApplyFilterText("Qty > 1", mem, handle, false));  // replaces, not adds
    EXPECT_EQ(ids(), "23");

    // A failed installation leaves no filter, the old one included.
    EXPECT_FALSE(grid::gkApplyFilterText("Qty >", mem, handle, false));
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(ids(), "1234");
    ASSERT_TRUE(grid::gkApplyFilterText("Qty > 1", mem, handle, false));
    EXPECT_THROW(grid::gkApplyFilterText("Qty > \"1\"", mem, handle, false), rtl::EConvertError);
    EXPECT_EQ(handle, 0u);
    EXPECT_FALSE(mem.HasRecordFilters());

    // A callback beside a filter text; both are asked.
    db::TRecordFilterHandle callback = 0;
    ASSERT_TRUE(grid::gkApplyFilterText("Qty > 0", mem, handle, false));
    int asked = 0;
    ASSERT_TRUE(grid::gkSetFilterCallback(
        [&](db::TDataSet& d) {
            ++asked;
            EXPECT_EQ(d.State(), db::dsFilter);
            return d.FieldByName("ID")->AsInteger() != 2;
        },
        mem, callback));
    EXPECT_GT(asked, 0);
    EXPECT_EQ(ids(), "13");
    ASSERT_TRUE(grid::gkSetFilterCallback(nullptr, mem, callback));
    EXPECT_EQ(callback, 0u);
    EXPECT_EQ(ids(), "123");
    grid::gkDropFilter(mem, handle);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(ids(), "1234");
    grid::gkDropFilter(mem, handle);  // a second drop does nothing

    // A closed data set: nothing is installed and no earlier filter outlives the call.
    ASSERT_TRUE(grid::gkApplyFilterText("Qty > 0", mem, handle, false));
    mem.Close();
    EXPECT_TRUE(grid::gkApplyFilterText("Qty > 1", mem, handle, false));
    EXPECT_EQ(handle, 0u);
    EXPECT_FALSE(grid::gkSetFilterCallback([](db::TDataSet&) { return false; }, mem, callback));
    EXPECT_EQ(callback, 0u);
    mem.Open();
    EXPECT_EQ(ids(), "1234");
}
