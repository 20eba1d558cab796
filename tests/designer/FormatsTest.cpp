#include "designer/AspScript.h"
#include "designer/Formats_Utils.h"
#include "designer/HtmlRows.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/db/MemDataSet.h"
#include "tests/support/ChildProcess.h"

using namespace designer;

namespace {

TEST(Formats, DigitsMask)
{
    EXPECT_EQ(DigitsMask(-1), "");
    EXPECT_EQ(DigitsMask(0), "");
    EXPECT_EQ(DigitsMask(1), ".0");
    EXPECT_EQ(DigitsMask(3), ".000");
}

TEST(Formats, BoolToTristate)
{
    EXPECT_EQ(BoolToTristate(0), 0);
    EXPECT_EQ(BoolToTristate(1), -1);
    EXPECT_EQ(BoolToTristate(-1), -1);
    EXPECT_EQ(BoolToTristate(7), -1);
}

TEST(Formats, NumberMask)
{
    struct Case {
        int digits, leading, parentheses, grouping;
        const char* mask;
    };
    const Case cases[] = {
        {0, -1, 0, -1, "#,###,##0"},
        {2, -1, 0, -1, "#,###,##0.00"},
        {2, 0, -1, 0, "#######.00;(#######.00)"},
        {-1, -1, 0, 0, "######0.####################"},
        {0, -1, -1, 0, "######0;(######0)"},
        {3, 1, 1, 1, "#######.000"},  // only -1 means on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        EXPECT_EQ(FormatNumberMask(c.digits, c.leading, c.parentheses, c.grouping), c.mask);
    }
}

TEST(Formats, NumberText)
{
    const auto us = rtl::TFormatSettings::UsEnglish();
    struct Case {
        double value;
        int digits, leading, parentheses, grouping;
        const char* text;
    };
    const Case cases[] = {
        {1234.5, 0, -1, 0, -1, "1,235"},  // no decimal point, rounded
        {2.5, -1, -1, 0, 0, "2.5"},       // up to 20 decimals, trailing zeros dropped
        {2.0, -1, -1, 0, 0, "2"},
        {0.75, 2, 0, 0, 0, ".75"},        // leading digit off
        {0.75, 2, -1, 0, 0, "0.75"},
        {-3, 0, -1, -1, 0, "(3)"},        // parentheses on
        {-3, 0, -1, 0, 0, "-3"},
        {1234567890123.25, 2, -1, 0, -1, "1,234,567,890,123.25"},  // grouping across every digit
        {-1234.5, 2, -1, -1, -1, "(1,234.50)"},
        {0, 2, 0, 0, 0, ".00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FormatNumberText(c.value, c.digits, c.leading, c.parentheses, c.grouping, us), c.text);
    }

    rtl::TFormatSettings german = us;
    german.DecimalSeparator = ",";
    german.ThousandSeparator = ".";
    EXPECT_EQ(FormatNumberText(1234.5, 2, -1, 0, -1, german), "1.234,50");
}

TEST(Formats, DateTimeMaskAndText)
{
    const auto us = rtl::TFormatSettings::UsEnglish();
    const rtl::TDateTime when = rtl::EncodeDate(1994, 6, 19) + rtl::EncodeTime(17, 34, 23, 0);
    struct Case {
        int style;
        const char* mask;
        const char* text;
    };
    const Case cases[] = {
        {0, "c", "6/19/1994 5:34:23 PM"},
        {1, "dddddd", "Sunday, June 19, 1994"},
        {2, "ddddd", "6/19/1994"},
        {3, "tt", "5:34:23 PM"},
        {4, "t", "17:34"},
        {7, "c", "6/19/1994 5:34:23 PM"},
        {-1, "c", "6/19/1994 5:34:23 PM"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        EXPECT_EQ(FormatDateTimeMask(c.style), c.mask);
        EXPECT_EQ(FormatDateTimeText(c.style, when, us), c.text);
    }
}

TEST(Formats, EncodeAndParseEntry)
{
    EXPECT_EQ(EncodeFormatEntry(1, 2, 1, 0, 1), "1,2,1,0,1");
    EXPECT_EQ(EncodeFormatEntry(1, -1, 0, 0, 0), "1,-1,0,0,0");
    const TFormatEntry e = ParseFormatEntry("2,4,0,1,0");
    EXPECT_EQ(e.Kind, 2);
    EXPECT_EQ(e.Digits, 4);
    EXPECT_EQ(e.Leading, 0);
    EXPECT_EQ(e.Parentheses, 1);
    EXPECT_EQ(e.Grouping, 0);
    EXPECT_EQ(EncodeFormatEntry(e), "2,4,0,1,0");
}

TEST(Formats, SampleAndDescription)
{
    struct Case {
        const char* entry;
        const char* description;
    };
    const Case cases[] = {
        {"1,0,1,0,1", "#,###,##0"},
        {"1,2,1,0,1", "#,###,##0.00"},
        {"1,2,0,1,0", "#######.00;(#######.00)"},
        {"1,-1,1,0,0", "######0.####################"},
        {"2,0,0,0,0", "6/19/1994 5:34:23 PM"},
        {"2,1,0,0,0", "Sunday, June 19, 1994"},
        {"2,2,0,0,0", "6/19/1994"},
        {"2,3,0,0,0", "5:34:24 PM"},
        {"2,4,0,0,0", "17:34"},
        {"2,7,0,0,0", "6/19/1994 5:34:23 PM"},
        {"0,0,0,0,0", ""},
        {"5,2,1,0,1", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(DescribeFormatText(c.entry), c.description);
    }
    // The samples are fixed texts, whatever the regional settings say.
    rtl::TFormatSettings saved = rtl::FormatSettings();
    rtl::FormatSettings().ShortDateFormat = "dd.mm.yyyy";
    EXPECT_EQ(FormatSampleText(2, 2, 0, 0, 0), "6/19/1994");
    rtl::FormatSettings() = saved;
}

TEST(Formats, MalformedEntriesRaise)
{
    EXPECT_THROW(DescribeFormatText("1,2,1,0"), rtl::EListError);
    EXPECT_THROW(DescribeFormatText(""), rtl::EListError);
    EXPECT_THROW(DescribeFormatText("1,2,x,0,1"), rtl::EConvertError);
    EXPECT_THROW(ParseFormatEntry("1,2.5,1,0,1"), rtl::EConvertError);
}

TEST(Formats, StoredDigitsAreBoundedBeforeAnythingIsBuilt)
{
    // A format entry of a hand-edited project reaches the column list, the static pages' cells
    // and the server pages' script. Each runs in a child under a memory limit, so an entry
    // that asks for gigabytes fails here instead of swapping the machine.
    dbtest::TMemDataSet query;
    query.columns = {{"PRICE", db::ftFloat}};
    query.AddRow({db::TVariant(1234.5)});
    query.Open();
    const db::TField& price = *query.Fields().Fields(0);
    const std::string over = "' digits after the point: more than a number can show (at most 16383)";
    struct Case {
        const char* entry;
        std::string report;  // of the list, the cell and the script: the text's length or the error
    };
    const Case cases[] = {
        {"1,2000000000,1,0,1", "'2000000000" + over + " | '2000000000" + over + " | '2000000000" + over},
        {"1,16384,0,0,0", "'16384" + over + " | '16384" + over + " | '16384" + over},
        // A number column under a date-time entry takes the digits as decimals.
        {"2,16384,0,0,0", "'16384" + over + " | '16384" + over + " | '16384" + over},
        // At the bound: the mask holds the decimals twice (its negative section), the cell
        // "1,234." and every decimal; the lengths are the report.
        {"1,16383,1,1,1", "32789 | 16389 | 40"},
        // Digits below zero ask for nothing: "0", "1235" and the script.
        {"1,-2000000000,1,0,0", "7 | 4 | 44"},
    };
    for (const Case& c : cases) {
        const std::string report = gwtest::WithMemoryLimit(std::size_t{256} << 20, [&] {
            std::string r;
            const auto run = [&](const std::function<std::string()>& f) {
                if (!r.empty()) r += " | ";
                try {
                    r += std::to_string(f().size());
                } catch (const rtl::ERangeError& e) {
                    r += e.Message();
                }
            };
            run([&] { return DescribeFormatText(c.entry); });
            run([&] { return FormatFieldText(price, c.entry); });
            run([&] { return ScriptFormatExpression("Rs(\"PRICE\")", c.entry); });
            return r;
        });
        EXPECT_EQ(report, c.report) << c.entry;
    }
}

}  // namespace
