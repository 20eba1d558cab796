// The month-calendar control headless: selection and bounds, the months shown and scrolling,
// hit tests that agree with the painted layout, bold days, the user's mouse and keys and the
// notices they send, and painting through a recording canvas.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/rtl/DateTime.h"
#include "platform/ui/MonthCalendar.h"

namespace {

using namespace ui;
using rtl::EncodeDate;

TPoint Centre(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

class MonthCalendarTest : public ::testing::Test {
protected:
    MonthCalendarTest() : cal(nullptr)
    {
        cal.SetToday(EncodeDate(2000, 1, 15));
        cal.SetFirstDayOfWeek(6);  // Sunday
        EXPECT_TRUE(cal.SetCurSel(EncodeDate(2000, 1, 15)));
        cal.OnSelChange = [this](classes::TObject*) { notices.push_back("selchange"); };
        cal.OnSelect = [this](classes::TObject*) { notices.push_back("select"); };
    }
    void Click(TPoint p)
    {
        cal.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(p.X, p.Y));
        cal.Perform(WM_LBUTTONUP, 0, MakeLParam(p.X, p.Y));
    }
    TMonthCalendar cal;
    std::vector<std::string> notices;
};

TEST_F(MonthCalendarTest, SelectionStaysInsideTheBounds)
{
    EXPECT_EQ(cal.GetCurSel(), EncodeDate(2000, 1, 15));
    EXPECT_TRUE(cal.SetCurSel(EncodeDate(2000, 3, 4) + 0.75));  // the time of day is dropped
    EXPECT_EQ(cal.GetCurSel(), EncodeDate(2000, 3, 4));
    EXPECT_EQ(cal.FirstYear() * 100 + cal.FirstMonth(), 200003);  // brought into view

    EXPECT_FALSE(cal.SetRange(GDTR_MIN | GDTR_MAX, EncodeDate(2000, 2, 1), EncodeDate(2000, 1, 1)));
    EXPECT_TRUE(cal.SetRange(GDTR_MIN | GDTR_MAX, EncodeDate(2000, 1, 1), EncodeDate(2000, 2, 20)));
    EXPECT_EQ(cal.GetCurSel(), EncodeDate(2000, 2, 20));  // moved to the nearest bound
    EXPECT_FALSE(cal.SetCurSel(EncodeDate(2000, 2, 21)));
    EXPECT_FALSE(cal.SetCurSel(EncodeDate(1999, 12, 31)));
    EXPECT_EQ(cal.GetCurSel(), EncodeDate(2000, 2, 20));
    rtl::TDateTime lo = 0, hi = 0;
    EXPECT_EQ(cal.GetRange(lo, hi), GDTR_MIN | GDTR_MAX);
    EXPECT_EQ(lo, EncodeDate(2000, 1, 1));
    EXPECT_TRUE(cal.SetRange(GDTR_MAX, 0, EncodeDate(2001, 1, 1)));  // the minimum goes
    EXPECT_EQ(cal.GetRange(lo, hi), GDTR_MAX);
    EXPECT_EQ(lo, 0);
    EXPECT_TRUE(cal.SetCurSel(EncodeDate(1990, 1, 1)));

    // A range only with multi-select, and never longer than MaxSelCount days.
    rtl::TDateTime a = 0, b = 0;
    EXPECT_FALSE(cal.GetSelRange(a, b));
    EXPECT_FALSE(cal.SetSelRange(EncodeDate(2000, 1, 1), EncodeDate(2000, 1, 3)));
    cal.SetCalStyle(MCS_MULTISELECT);
    EXPECT_FALSE(cal.SetCurSel(EncodeDate(2000, 1, 1)));
    EXPECT_TRUE(cal.SetSelRange(EncodeDate(2000, 1, 7), EncodeDate(2000, 1, 1)));
    EXPECT_TRUE(cal.GetSelRange(a, b));
    EXPECT_EQ(a, EncodeDate(2000, 1, 1));
    EXPECT_EQ(b, EncodeDate(2000, 1, 7));
    EXPECT_FALSE(cal.SetSelRange(EncodeDate(2000, 1, 1), EncodeDate(2000, 1, 8)));  // 8 days > 7
    EXPECT_FALSE(cal.SetMaxSelCount(0));
    EXPECT_TRUE(cal.SetMaxSelCount(31));
    EXPECT_TRUE(cal.SetSelRange(EncodeDate(2000, 1, 1), EncodeDate(2000, 1, 31)));
    EXPECT_TRUE(notices.empty());  // changes by program send no notice
}

TEST_F(MonthCalendarTest, ColoursFirstDayAndMinimumSize)
{
    EXPECT_EQ(cal.SetCalColor(MCSC_TITLEBK, rtl::clRed), rtl::clActiveCaption);
    EXPECT_EQ(cal.GetCalColor(MCSC_TITLEBK), rtl::clRed);
    EXPECT_EQ(cal.SetCalColor(6, rtl::clRed), rtl::clNone);
    EXPECT_EQ(cal.GetCalColor(-1), rtl::clNone);
    EXPECT_EQ(cal.SetFirstDayOfWeek(0), 6);
    EXPECT_EQ(cal.SetFirstDayOfWeek(7), 0);  // refused
    EXPECT_EQ(cal.GetFirstDayOfWeek(), 0);

    const TRect min = cal.GetMinReqRect();
    EXPECT_LE(min.Width(), 155);  // one month fits the calendar's usual width
    EXPECT_EQ(cal.Width(), min.Width());
    EXPECT_EQ(cal.VisibleMonthCount(), 1);
    cal.SetCalStyle(MCS_WEEKNUMBERS);
    EXPECT_GT(cal.GetMinReqRect().Width(), min.Width());
    cal.SetCalStyle(MCS_NOTODAY);
    EXPECT_LT(cal.GetMinReqRect().Height(), min.Height());
    cal.SetBorderStyle(bsSingle);
    EXPECT_EQ(cal.GetMinReqRect().Width(), min.Width() + 2 * TCustomControl::kBorderWidth);
}

TEST_F(MonthCalendarTest, MonthsShownFollowTheSizeAndScroll)
{
    const TRect min = cal.GetMinReqRect();
    cal.SetBounds(0, 0, min.Width() * 3, min.Height());
    EXPECT_EQ(cal.VisibleMonthCount(), 3);
    EXPECT_EQ(cal.GetMonthDelta(), 3);
    EXPECT_EQ(cal.SetMonthDelta(1), 0);
    EXPECT_EQ(cal.GetMonthDelta(), 1);
    rtl::TDateTime first = 0, last = 0;
    EXPECT_EQ(cal.GetMonthRange(gmrVisible, first, last), 3);
    EXPECT_EQ(first, EncodeDate(2000, 1, 1));
    EXPECT_EQ(last, EncodeDate(2000, 3, 31));
    EXPECT_EQ(cal.GetMonthRange(gmrDayState, first, last), 5);
    EXPECT_EQ(first, EncodeDate(1999, 12, 1));

    // A selection past the months shown scrolls it in as the last month.
    EXPECT_TRUE(cal.SetCurSel(EncodeDate(2000, 6, 1)));
    EXPECT_EQ(cal.FirstMonth(), 4);
    // Never past December 9999 nor before January of year 1.
    cal.SetFirstVisible(9999, 12);
    EXPECT_EQ(cal.FirstYear() * 100 + cal.FirstMonth(), 999910);
    cal.SetFirstVisible(0, 5);
    EXPECT_EQ(cal.FirstYear() * 100 + cal.FirstMonth(), 101);
}

TEST_F(MonthCalendarTest, HitTestsAgreeWithTheLayout)
{
    cal.SetCalStyle(MCS_WEEKNUMBERS);
    const TRect min = cal.GetMinReqRect();
    cal.SetBounds(0, 0, min.Width(), min.Height());
    // January 2000 begins on a Saturday: with Sunday first, six days of December lead.
    const TRect jan15 = cal.DayRect(EncodeDate(2000, 1, 15));
    ASSERT_GT(jan15.Width(), 0);
    TMCHitTestInfo hit = cal.HitTest(Centre(jan15));
    EXPECT_EQ(hit.Hit, MCHT_CALENDARDATE);
    EXPECT_EQ(hit.Year * 10000 + hit.Month * 100 + hit.Day, 20000115);
    hit = cal.HitTest(Centre(cal.DayRect(EncodeDate(1999, 12, 31))));
    EXPECT_EQ(hit.Hit, MCHT_CALENDARDATEPREV);
    EXPECT_EQ(hit.Year * 10000 + hit.Month * 100 + hit.Day, 19991231);
    hit = cal.HitTest(Centre(cal.DayRect(EncodeDate(2000, 2, 1))));
    EXPECT_EQ(hit.Hit, MCHT_CALENDARDATENEXT);
    EXPECT_EQ(cal.DayRect(EncodeDate(2000, 3, 1)).Width(), 0);  // not shown

    const TRect title = cal.TitleRect(0);
    EXPECT_EQ(cal.HitTest({title.Left + 3, Centre(title).Y}).Hit, MCHT_TITLEBTNPREV);
    EXPECT_EQ(cal.HitTest({title.Right - 4, Centre(title).Y}).Hit, MCHT_TITLEBTNNEXT);
    // "January 2000": the month's name left of the middle, the year right of it.
    hit = cal.HitTest({Centre(title).X - 20, Centre(title).Y});
    EXPECT_EQ(hit.Hit, MCHT_TITLEMONTH);
    EXPECT_EQ(hit.Year * 100 + hit.Month, 200001);
    EXPECT_EQ(hit.Day, 0);
    EXPECT_EQ(cal.HitTest({Centre(title).X + 40, Centre(title).Y}).Hit, MCHT_TITLEYEAR);
    EXPECT_EQ(cal.HitTest({jan15.Left, title.Bottom + 4}).Hit, MCHT_CALENDARDAY);
    EXPECT_EQ(cal.HitTest({cal.MonthRect(0).Left + 6, jan15.Top + 2}).Hit, MCHT_CALENDARWEEKNUM);
    hit = cal.HitTest(Centre(cal.TodayRect()));
    EXPECT_EQ(hit.Hit, MCHT_TODAYLINK);
    EXPECT_EQ(hit.Day, 15);
    EXPECT_EQ(cal.HitTest({cal.Width() + 5, 5}).Hit, MCHT_NOWHERE);

    // The day after December 9999 (a Friday) belongs to year 10000.
    cal.SetFirstVisible(9999, 12);
    const TRect dec31 = cal.DayRect(EncodeDate(9999, 12, 31));
    hit = cal.HitTest({Centre(dec31).X + dec31.Width(), Centre(dec31).Y});
    EXPECT_EQ(hit.Hit, MCHT_CALENDARDATENEXT);
    EXPECT_EQ(hit.Year * 10000 + hit.Month * 100 + hit.Day, 100000101);
}

TEST_F(MonthCalendarTest, BoldDaysComeFromTheDayStateNotice)
{
    std::vector<std::string> asked;
    cal.OnGetDayState = [&](classes::TObject*, int year, int month, std::vector<std::uint32_t>& states) {
        asked.push_back(std::to_string(year) + "/" + std::to_string(month) + " x" + std::to_string(states.size()));
        for (auto& s : states) s = 1u << 9;  // the 10th of every month
    };
    EXPECT_FALSE(cal.IsBoldDay(2000, 1, 10));  // without MCS_DAYSTATE nobody is asked
    EXPECT_TRUE(asked.empty());
    cal.SetCalStyle(MCS_DAYSTATE);
    EXPECT_TRUE(cal.IsBoldDay(2000, 1, 10));
    EXPECT_TRUE(cal.IsBoldDay(1999, 12, 10));
    EXPECT_FALSE(cal.IsBoldDay(2000, 1, 11));
    EXPECT_FALSE(cal.IsBoldDay(2000, 3, 10));  // outside the months covered
    EXPECT_EQ(asked, (std::vector<std::string>{"1999/12 x3"}));
    cal.IsBoldDay(2000, 1, 10);
    EXPECT_EQ(asked.size(), 1u);  // asked again only when the months shown change
    EXPECT_TRUE(cal.SetCurSel(EncodeDate(2000, 5, 1)));
    EXPECT_TRUE(cal.IsBoldDay(2000, 6, 10));
    EXPECT_EQ(asked.back(), "2000/4 x3");
    cal.SetDayState({0, 1u << 2, 0});
    EXPECT_TRUE(cal.IsBoldDay(2000, 5, 3));
    EXPECT_FALSE(cal.IsBoldDay(2000, 5, 10));
}

TEST_F(MonthCalendarTest, TheUsersMouseAndKeysSelectAndNotify)
{
    Click(Centre(cal.DayRect(EncodeDate(2000, 1, 20))));
    EXPECT_EQ(cal.GetCurSel(), EncodeDate(2000, 1, 20));
    EXPECT_EQ(notices, (std::vector<std::string>{"selchange", "select"}));
    notices.clear();

    // A leading day of December selects it and scrolls there.
    Click(Centre(cal.DayRect(EncodeDate(1999, 12, 30))));
    EXPECT_EQ(cal.GetCurSel(), EncodeDate(1999, 12, 30));
    EXPECT_EQ(cal.FirstMonth(), 12);
    notices.clear();

    // The scroll buttons move the months shown, not the selection.
    const TRect title = cal.TitleRect(0);
    Click({title.Right - 4, Centre(title).Y});
    EXPECT_EQ(cal.FirstYear() * 100 + cal.FirstMonth(), 200001);
    EXPECT_EQ(cal.GetCurSel(), EncodeDate(1999, 12, 30));
    EXPECT_TRUE(notices.empty());

    // Days outside the bounds cannot be picked.
    cal.SetRange(GDTR_MAX, 0, EncodeDate(2000, 1, 20));
    Click(Centre(cal.DayRect(EncodeDate(2000, 1, 25))));
    EXPECT_EQ(cal.GetCurSel(), EncodeDate(1999, 12, 30));
    Click(Centre(cal.TodayRect()));
    EXPECT_EQ(cal.GetCurSel(), EncodeDate(2000, 1, 15));
    notices.clear();

    struct Case {
        TKey key;
        rtl::TDateTime from, to;
    };
    const Case cases[] = {
        {VK_LEFT, EncodeDate(2000, 1, 15), EncodeDate(2000, 1, 14)},
        {VK_RIGHT, EncodeDate(2000, 1, 15), EncodeDate(2000, 1, 16)},
        {VK_UP, EncodeDate(2000, 1, 15), EncodeDate(2000, 1, 8)},
        {VK_DOWN, EncodeDate(2000, 1, 15), EncodeDate(2000, 1, 20)},   // held at the maximum
        {VK_PRIOR, EncodeDate(2000, 1, 15), EncodeDate(1999, 12, 15)},
        {VK_PRIOR, EncodeDate(2000, 3, 31), EncodeDate(2000, 2, 29)},  // clipped to the month
    };
    cal.SetRange(0, 0, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        cal.SetRange(GDTR_MAX, 0, c.key == VK_DOWN ? EncodeDate(2000, 1, 20) : EncodeDate(2100, 1, 1));
        ASSERT_TRUE(cal.SetCurSel(c.from));
        EXPECT_EQ(cal.Perform(WM_KEYDOWN, c.key), 1);
        EXPECT_EQ(cal.GetCurSel(), c.to);
    }
    EXPECT_EQ(std::count(notices.begin(), notices.end(), "selchange"), 6);
}

TEST_F(MonthCalendarTest, DraggingExtendsAMultiSelectRange)
{
    cal.SetCalStyle(MCS_MULTISELECT);
    const TPoint from = Centre(cal.DayRect(EncodeDate(2000, 1, 10)));
    cal.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(from.X, from.Y));
    const TPoint to = Centre(cal.DayRect(EncodeDate(2000, 1, 28)));
    cal.Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(to.X, to.Y));
    cal.Perform(WM_LBUTTONUP, 0, MakeLParam(to.X, to.Y));
    rtl::TDateTime a = 0, b = 0;
    ASSERT_TRUE(cal.GetSelRange(a, b));
    EXPECT_EQ(a, EncodeDate(2000, 1, 10));
    EXPECT_EQ(b, EncodeDate(2000, 1, 16));  // seven days at most
    EXPECT_EQ(notices.back(), "select");
}

TEST_F(MonthCalendarTest, PaintsColoursSelectionBoldDaysAndToday)
{
    cal.SetCalColor(MCSC_TITLEBK, rtl::clNavy);
    cal.SetCalColor(MCSC_MONTHBK, rtl::clYellow);
    cal.SetCalStyle(MCS_DAYSTATE);
    cal.OnGetDayState = [](classes::TObject*, int, int, std::vector<std::uint32_t>& states) { states[1] = 1u << 19; };
    TRecordingCanvas canvas;
    cal.PaintTo(canvas);
    const auto& log = canvas.Log();
    auto has = [&](const std::string& part) {
        return std::any_of(log.begin(), log.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; });
    };
    auto line = [&](const std::string& part) {
        const auto it = std::find_if(log.begin(), log.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; });
        return it == log.end() ? std::string() : *it;
    };
    EXPECT_TRUE(has("FillRect(" + FormatRect(cal.MonthRect(0)) + " brush=" + FormatColor(rtl::clYellow)));
    EXPECT_TRUE(has("FillRect(" + FormatRect(cal.TitleRect(0)) + " brush=" + FormatColor(rtl::clNavy)));
    EXPECT_TRUE(has("\"January 2000\""));
    EXPECT_TRUE(has("\"Su\""));
    // The selected day on the title colour, the bold day in bold, today framed, the today line.
    EXPECT_TRUE(has("FillRect(" + FormatRect(cal.DayRect(EncodeDate(2000, 1, 15))) + " brush=" + FormatColor(rtl::clNavy)));
    EXPECT_NE(line("\"20\"").find("/bold"), std::string::npos) << line("\"20\"");
    EXPECT_EQ(line("\"21\"").find("/bold"), std::string::npos) << line("\"21\"");
    EXPECT_TRUE(has("\"Today: 1/15/2000\""));
    const TRect today = cal.DayRect(EncodeDate(2000, 1, 15));
    EXPECT_TRUE(has("FillRect(" + FormatRect({today.Left, today.Top, today.Right, today.Top + 1}) +
                    " brush=" + FormatColor(rtl::clRed)));
}

TEST(IsoWeekNumber, YearBoundaries)
{
    EXPECT_EQ(IsoWeekNumber(EncodeDate(2000, 1, 1)), 52);  // a Saturday of 1999's last week
    EXPECT_EQ(IsoWeekNumber(EncodeDate(2000, 1, 3)), 1);
    EXPECT_EQ(IsoWeekNumber(EncodeDate(2004, 12, 31)), 53);
    EXPECT_EQ(IsoWeekNumber(EncodeDate(2008, 12, 29)), 1);
    EXPECT_EQ(WeekdayColumn(EncodeDate(2000, 1, 1), 6), 6);  // Saturday, weeks from Sunday
    EXPECT_EQ(WeekdayColumn(EncodeDate(2000, 1, 1), 0), 5);  // weeks from Monday
}

}  // namespace
