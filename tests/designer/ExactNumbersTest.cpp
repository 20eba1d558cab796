// Numbers no SQLite column delivers: exact decimals (BCD) and 64-bit integers, from a data set
// held in memory.

#include "designer/ColumnModel.h"
#include "designer/HtmlRows.h"
#include "tests/db/MemDataSet.h"
#include "tests/designer/RowTexts.h"

#include <gtest/gtest.h>

using namespace designer;

namespace {

TEST(ExactNumbers, NoFormatKeepsEveryDigit)
{
    dbtest::TMemDataSet ds;
    ds.columns = {{"amount", db::ftBCD, 4}, {"big", db::ftLargeint}};
    ds.AddRow({db::TVariant::FromDecimal("12345678901234567890.1234"), db::TVariant(9007199254740993LL)});
    ds.AddRow({db::TVariant::FromDecimal("0.5"), db::TVariant(-42LL)});
    ds.Open();

    TColumnModel columns;
    columns.RebuildColumnList("Reset", ds);
    // A BCD column gets no format and keeps the default alignment; a Largeint one is a number.
    EXPECT_EQ(columns.FormatList.Strings(0), "0,0,0,0,0");
    EXPECT_EQ(columns.AlignmentList.Strings(0), "Default");
    EXPECT_EQ(columns.FormatList.Strings(1), "1,0,1,0,1");
    EXPECT_EQ(columns.AlignmentList.Strings(1), "Right");

    designertest::TRowTexts rows(columns, ds);
    ds.First();
    EXPECT_EQ(rows.BuildCell(0, "TrOdd"), "<td class=\"TrOdd\" align=Default>12345678901234567890.1234</td>");
    EXPECT_EQ(FormatFieldText(*ds.FieldByName("big"), "0,0,0,0,0"), "9007199254740993");
    // A number format keeps every digit too: a double would give ...992.
    EXPECT_EQ(FormatFieldText(*ds.FieldByName("big"), "1,0,1,0,1"), "9,007,199,254,740,993");
    EXPECT_EQ(FormatFieldText(*ds.FieldByName("amount"), "1,2,1,0,1"), "12,345,678,901,234,567,890.12");
    ds.Next();
    // Not rounded to a whole number.
    EXPECT_EQ(rows.BuildCell(0, "TrRows"), "<td class=\"TrRows\" align=Default>0.5</td>");
    EXPECT_EQ(rows.BuildCell(1, "TrRows"), "<td class=\"TrRows\" align=Right>-42</td>");
    // Chosen by hand, a number format applies to a BCD value too.
    EXPECT_EQ(FormatFieldText(*ds.FieldByName("amount"), "1,2,1,0,1"), "0.50");
}

}  // namespace
