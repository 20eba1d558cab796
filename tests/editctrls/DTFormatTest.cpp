// The picker's view of a display format, headless with fixed US settings: tokens, part
// counts, named-format expansion, located parts, the calendar arithmetic and where the
// drop-down goes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editctrls/gkDBDateTimePicker.h"
#include "editctrls/gkDTFormat.h"
#include "platform/rtl/DateTime.h"

namespace {

using namespace editctrls;

const rtl::TFormatSettings kUs = rtl::TFormatSettings::UsEnglish();

TDTKind DateTimeKind() { return {}; }
TDTKind TimeKind()
{
    TDTKind k;
    k.DateTime = false;
    k.TimeOnly = true;
    return k;
}
TDTKind DateKind()
{
    TDTKind k;
    k.DateTime = false;
    k.Date = true;
    k.DateOnly = true;
    return k;
}

TEST(DTFormat, TokensReadCaseInsensitivelyWithMinutesAfterHours)
{
    struct Case {
        std::string format;
        int pos;
        std::string token;
        int endPos;
    } cases[] = {
        {"dd/mm/yyyy", 0, "dd", 1},
        {"dd/MM/yyyy", 3, "mm", 4},
        {"h:mm", 2, "nn", 3},      // after h and a separator: minutes
        {"mm/h", 0, "mm", 1},      // the month
        {"hh:m", 3, "n", 3},
        {"h:mmm", 2, "mmm", 4},    // a month name stays a month name
        {"am/pm", 0, "am/pm", 4},
        {"AM/PM", 0, "AM/PM", 4},  // the format's own case
        {"a/p", 0, "a/p", 2},
        {"ampm", 0, "ampm", 3},
        {"ax", 0, "", 0},          // an a that begins no marker
    };
    for (const Case& c : cases) {
        int pos = c.pos;
        const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(c.format[c.pos])));
        EXPECT_EQ(NextFormatToken(letter, c.format, pos), c.token) << c.format;
        EXPECT_EQ(pos, c.endPos) << c.format;
    }
}

TEST(DTFormat, PartCountsByKind)
{
    struct Case {
        std::string format;
        TDTKind kind;
        int parts;
    } cases[] = {
        {"dd/mm/yyyy h:m", DateTimeKind(), 5},
        {"dd/mm/yyyy h:m", TimeKind(), 2},
        {"dd/mm/yyyy h:m", DateKind(), 3},
        {"hh:nn", TimeKind(), 2},
        {"dddd, mmmm d, yyyy", DateKind(), 4},
        {"h:nn:ss AMPM", TimeKind(), 4},
        {"'day' dd 'at' hh", DateTimeKind(), 2},  // quoted letters are text
        {"yyyy-mm-dd", TimeKind(), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(CountFormatParts(c.format, c.kind), c.parts) << c.format;
    EXPECT_TRUE(FormatHasDatePart("dd/mm/yyyy"));
    EXPECT_FALSE(FormatHasDatePart("hh:nn"));
    EXPECT_FALSE(FormatHasTimePart("mm/dd"));
    EXPECT_TRUE(FormatHasTimePart("mm/h"));
}

TEST(DTFormat, NamedFormatsExpandOutsideQuotesOnly)
{
    struct Case {
        std::string format, expanded;
    } cases[] = {
        {"c", "m/d/yyyy h:nn:ss AMPM"},
        {"ddddd", "m/d/yyyy"},
        {"dddddd", "dddd, mmmm d, yyyy"},
        {"t", "h:nn"},
        {"tt", "h:nn:ss AMPM"},
        {"ddddd t", "m/d/yyyy h:nn"},
        {"'at' t", "'at' h:nn"},          // the quoted t stays text
        {"\"c\" dd", "\"c\" dd"},
    };
    for (const Case& c : cases) EXPECT_EQ(ExpandNamedFormats(c.format, kUs), c.expanded) << c.format;
}

TEST(DTFormat, LocatedPartsSelectExactlyTheShownPart)
{
    const rtl::TDateTime v = rtl::EncodeDateTime(2024, 3, 7, 14, 5, 9, 0);
    struct Case {
        std::string format;
        int n;
        int start, length;
        std::string token, text;
    } cases[] = {
        {"dd/mm/yyyy", 1, 0, 2, "dd", "07"},
        {"dd/mm/yyyy", 3, 6, 4, "yyyy", "07/03/2024"},
        {"d/m/yy", 3, 4, 2, "yy", "7/3/24"},
        {"mmmm d, yyyy", 2, 6, 1, "d", "March 7"},
        {"dddd dd", 1, 0, 8, "dddd", "Thursday"},
        {"h:nn AMPM", 1, 0, 1, "h", "2"},               // twelve-hour with a marker
        {"h:nn AMPM", 3, 5, 2, "ampm", "2:05 PM"},
        {"hh:mm am/pm", 3, 6, 2, "am/pm", "02:05 pm"},
        {"'on' dd", 1, 3, 2, "dd", "on 07"},
    };
    for (const Case& c : cases) {
        TDTPart part;
        ASSERT_TRUE(LocatePart(c.n, c.format, v, DateTimeKind(), kUs, part)) << c.format;
        EXPECT_EQ(part.Start, c.start) << c.format;
        EXPECT_EQ(part.Length, c.length) << c.format;
        EXPECT_EQ(part.Token, c.token) << c.format;
        EXPECT_EQ(part.Text, c.text) << c.format;
    }
    TDTPart none;
    EXPECT_FALSE(LocatePart(4, "dd/mm/yyyy", v, DateTimeKind(), kUs, none));
    EXPECT_TRUE(none.Text.empty());
}

TEST(DTFormat, CalendarArithmetic)
{
    EXPECT_EQ(ExpandTwoDigitYear(49, 1950), 2049);
    EXPECT_EQ(ExpandTwoDigitYear(50, 1950), 1950);
    EXPECT_EQ(ExpandTwoDigitYear(0, 2000), 2000);
    EXPECT_EQ(ExpandTwoDigitYear(99, 2000), 2099);
    EXPECT_EQ(ExpandTwoDigitYear(2, 1950), 2002);

    struct Case {
        int y, m, d, months, ey, em, ed;
    } cases[] = {
        {2023, 1, 31, 1, 2023, 2, 28},  {2024, 1, 31, 1, 2024, 2, 29}, {2024, 1, 15, -1, 2023, 12, 15},
        {2024, 11, 30, 3, 2025, 2, 28}, {2024, 5, 10, -17, 2022, 12, 10}, {2024, 5, 10, 24, 2026, 5, 10},
        {9999, 12, 1, 1, 9999, 12, 1},  // past 9999: unchanged
        {1899, 10, 15, 1, 1899, 11, 15}, {1899, 12, 29, -1, 1899, 11, 29},  // before the zero day: the time stays too
    };
    for (const Case& c : cases) {
        const rtl::TDateTime start = rtl::EncodeDateTime(c.y, c.m, c.d, 10, 30, 0, 0);
        const rtl::TDateTime got = AddMonths(start, c.months);
        int y, m, d, h, n, s, ms;
        rtl::DecodeDateTime(got, y, m, d, h, n, s, ms);
        EXPECT_EQ(y, c.ey) << c.y << "-" << c.m << "-" << c.d << " + " << c.months;
        EXPECT_EQ(m, c.em);
        EXPECT_EQ(d, c.ed);
        EXPECT_EQ(h, 10);  // the time stays
        EXPECT_EQ(n, 30);
    }
    EXPECT_TRUE(DateNotBefore(45000.4, 45000.0));
    EXPECT_FALSE(DateNotBefore(44999.2, 45000.0));
}

TEST(DTFormat, DropDownPlacement)
{
    const ui::TRect work{0, 0, 1280, 1000};
    struct Case {
        const char* name;
        ui::TRect picker;
        TgkDTCalAlignment alignment;
        int left, top;
    } cases[] = {
        {"left, below", {100, 100, 300, 121}, gkdtaLeft, 101, 120},
        {"right", {100, 100, 300, 121}, gkdtaRight, 100 + 200 - 15 - 180 - 1 + 1, 120},
        {"centre", {100, 100, 300, 121}, gkdtaCenter, 100 + (200 - 180 - 15 - 1) / 2 + 1, 120},
        {"flipped above at the bottom", {100, 900, 300, 921}, gkdtaLeft, 101, 900 - 160},
        {"at the screen's right edge", {1150, 100, 1270, 121}, gkdtaLeft, 1150 + 120 - 1 - 180 + 1, 120},
        {"right alignment kept on the screen", {0, 100, 100, 121}, gkdtaRight, 1, 120},
    };
    for (const Case& c : cases) {
        const ui::TPoint p = PlaceDropDown(c.picker, 180, 160, work, 1280, c.alignment, 15);
        EXPECT_EQ(p.X, c.left) << c.name;
        EXPECT_EQ(p.Y, c.top) << c.name;
    }
}

}  // namespace
