// The library's month calendar: its value and bounds, the colour set and year options, the
// scroll buttons, the month and year menus (with the year asked for), keys at the bounds,
// bold days, the mouse events with the date under the pointer, and its stored-form class.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "editctrls/gkMonthCal.h"
#include "grid/Intl.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Formatting.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Screen.h"
#include "platform/ui/testing/TestDialogs.h"

namespace {

using namespace editctrls;
using rtl::EncodeDate;
using ui::TPoint;
using ui::TRect;

TPoint Centre(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

class GkMonthCalendarTest : public ::testing::Test {
protected:
    // The calendar is measured and driven without windows here; a suite run before in the
    // same process may have left a window system in use, which is put back afterwards.
    static void SetUpTestSuite() { before = ui::SetWindowSystem(nullptr); }
    static void TearDownTestSuite() { ui::SetWindowSystem(before); }
    static inline ui::IWindowSystem* before = nullptr;

    GkMonthCalendarTest() : cal(nullptr)
    {
        rtl::FormatSettings().FirstDayOfWeek = 6;
        beepHandler = ui::SetBeepHandler([this] { ++beeps; });
        cal.SetToday(EncodeDate(2000, 1, 15));
        cal.SetCalFirstDayOfWeek(gkdowSunday);
        cal.SetDate(EncodeDate(2000, 1, 15));
        cal.OnChange = [this](classes::TObject*) { ++changes; };
    }
    ~GkMonthCalendarTest() override { ui::SetBeepHandler(beepHandler); }

    void Press(TPoint p)
    {
        cal.Perform(ui::WM_LBUTTONDOWN, ui::MK_LBUTTON, ui::MakeLParam(p.X, p.Y));
        cal.Perform(ui::WM_LBUTTONUP, 0, ui::MakeLParam(p.X, p.Y));
    }
    TPoint NextButton() { return {cal.TitleRect(0).Right - 4, Centre(cal.TitleRect(0)).Y}; }
    TPoint PrevButton() { return {cal.TitleRect(0).Left + 4, Centre(cal.TitleRect(0)).Y}; }
    // The first point of the title that hits `code`.
    TPoint TitlePart(unsigned code)
    {
        const TRect t = cal.TitleRect(0);
        for (int x = t.Left; x < t.Right; ++x)
            if (cal.HitTest({x, Centre(t).Y}).Hit == code) return {x + 2, Centre(t).Y};
        ADD_FAILURE() << "no title part " << code;
        return {};
    }
    TPoint TitleMonth() { return TitlePart(ui::MCHT_TITLEMONTH); }
    TPoint TitleYear() { return TitlePart(ui::MCHT_TITLEYEAR); }
    std::vector<std::string> Captions(ui::TPopupMenu* menu)
    {
        std::vector<std::string> out;
        for (int i = 0; i < menu->Items()->Count(); ++i) out.push_back(menu->Items()->Items(i)->Caption());
        return out;
    }

    TgkMonthCalendar cal;
    int beeps = 0;
    int changes = 0;
    std::function<void()> beepHandler;
};

TEST_F(GkMonthCalendarTest, DefaultsAndOptionsReachTheControl)
{
    TgkMonthCalendar fresh(nullptr);
    EXPECT_EQ(fresh.Width(), 155);
    EXPECT_GE(fresh.Height(), fresh.GetMinReqRect().Height());
    EXPECT_EQ(fresh.Options(), TgkMonthOptions{mdoDayState});
    EXPECT_EQ(fresh.CalStyle(), ui::MCS_DAYSTATE);
    EXPECT_EQ(fresh.MaxSelectCount(), 31);
    EXPECT_EQ(fresh.FirstDayOfWeek(), gkdowLocaleDefault);
    EXPECT_EQ(fresh.GetFirstDayOfWeek(), 6);  // the locale's (fixed to Sunday here)
    EXPECT_EQ(fresh.GetCalColor(ui::MCSC_TITLEBK), rtl::clActiveCaption);
    EXPECT_EQ(fresh.GetCalColor(ui::MCSC_TRAILINGTEXT), rtl::clInactiveCaptionText);
    EXPECT_EQ(std::trunc(fresh.Date()), std::trunc(rtl::Now()));

    cal.SetOptions({mdoWeekNumbers, mdoNoToday, mdoNoTodayCircle});
    EXPECT_EQ(cal.CalStyle(), ui::MCS_WEEKNUMBERS | ui::MCS_NOTODAY | ui::MCS_NOTODAYCIRCLE);
    EXPECT_GE(cal.Width(), cal.GetMinReqRect().Width());  // grew for the week numbers
    cal.SetCalFirstDayOfWeek(gkdowMonday);
    EXPECT_EQ(cal.GetFirstDayOfWeek(), 0);
    cal.SetWidth(20);  // never below the minimum
    EXPECT_EQ(cal.Width(), cal.GetMinReqRect().Width());
    EXPECT_TRUE(gkIsNewComCtl32());

    // The multi-select range survives the options being applied again.
    cal.SetOptions({mdoMultiSelect});
    cal.SetSelectionRange(EncodeDate(2000, 1, 20), EncodeDate(2000, 1, 18));
    EXPECT_EQ(cal.RangeStart(), EncodeDate(2000, 1, 18));
    cal.SetOptions({mdoMultiSelect, mdoDayState});
    rtl::TDateTime a = 0, b = 0;
    ASSERT_TRUE(cal.GetSelRange(a, b));
    EXPECT_EQ(a, EncodeDate(2000, 1, 18));
    EXPECT_EQ(b, EncodeDate(2000, 1, 20));
}

TEST_F(GkMonthCalendarTest, ValueSettersKeepTheOtherPartAndRespectTheBounds)
{
    cal.SetTime(rtl::EncodeTime(13, 30, 0, 0));
    cal.SetDate(EncodeDate(2000, 2, 3) + 0.9);  // the day only: the time stays
    EXPECT_DOUBLE_EQ(cal.Date(), EncodeDate(2000, 2, 3) + rtl::EncodeTime(13, 30, 0, 0));
    EXPECT_EQ(cal.GetCurSel(), EncodeDate(2000, 2, 3));

    cal.SetMinDate(EncodeDate(2000, 1, 10));
    cal.SetMaxDate(EncodeDate(2000, 3, 10));
    EXPECT_EQ(ErrorOf([&] { cal.SetDate(EncodeDate(2000, 3, 11)); }), "Date exceeds maximum of 3/10/2000");
    EXPECT_EQ(ErrorOf([&] { cal.SetDate(EncodeDate(2000, 1, 9)); }), "Date is less than minimum of 1/10/2000");
    EXPECT_EQ(ErrorOf([&] { cal.SetMaxDate(EncodeDate(2000, 1, 1)); }), "Date is less than minimum of 1/10/2000");
    EXPECT_EQ(ErrorOf([&] { cal.SetMinDate(EncodeDate(2000, 4, 1)); }), "Date exceeds maximum of 3/10/2000");
    EXPECT_EQ(cal.GetCurSel(), EncodeDate(2000, 2, 3));
    rtl::TDateTime lo = 0, hi = 0;
    EXPECT_EQ(cal.GetRange(lo, hi), ui::GDTR_MIN | ui::GDTR_MAX);

    // Bounds taken back leave the control free again.
    cal.SetMinDate(0);
    cal.SetMaxDate(0);
    EXPECT_EQ(cal.GetRange(lo, hi), 0u);
    cal.SetDate(EncodeDate(1950, 6, 1));
    EXPECT_EQ(cal.GetCurSel(), EncodeDate(1950, 6, 1));
}

TEST_F(GkMonthCalendarTest, ColourSetsAndYearOptionsCopy)
{
    TgkDateTimeColors other;
    other.SetBackColor(rtl::clRed);
    other.SetTextColor(rtl::clBlue);
    other.SetTrailingTextColor(rtl::clLime);
    cal.SetCalColors(other);
    EXPECT_EQ(cal.CalColors()->TextColor(), rtl::clBlue);
    EXPECT_EQ(cal.CalColors()->BackColor(), rtl::clWindow);  // the background is not copied
    EXPECT_EQ(cal.GetCalColor(ui::MCSC_TEXT), rtl::clBlue);    // shown at once
    EXPECT_EQ(cal.GetCalColor(ui::MCSC_TRAILINGTEXT), rtl::clLime);
    cal.CalColors()->SetMonthBackColor(rtl::clYellow);
    EXPECT_EQ(cal.GetCalColor(ui::MCSC_MONTHBK), rtl::clYellow);

    TgkPopupYearOptions years;
    EXPECT_EQ(ErrorOf([&] { cal.CalColors()->Assign(years); }), "Cannot assign a TgkPopupYearOptions to a TgkDateTimeColors");
    EXPECT_EQ(ErrorOf([&] { cal.CalColors()->Assign(static_cast<const classes::TPersistent*>(nullptr)); }),
              "Cannot assign a nil to a TgkDateTimeColors");
    EXPECT_EQ(ErrorOf([&] { years.Assign(other); }), "Cannot assign a TgkDateTimeColors to a TgkPopupYearOptions");
    years.SetStartYear(1950);
    years.SetShowEditYear(true);
    cal.SetPopupYearOptions(years);
    EXPECT_EQ(cal.PopupYearOptions()->StartYear(), 1950);
    EXPECT_TRUE(cal.PopupYearOptions()->ShowEditYear());
    EXPECT_EQ(cal.PopupYearOptions()->YearsPerColumn(), 10);
}

TEST_F(GkMonthCalendarTest, ScrollButtonsStepTheValueAndBeepAtTheEnds)
{
    struct Case {
        const char* name;
        rtl::TDateTime from, min, max;
        bool next;
        rtl::TDateTime to;
        int beeps;
    };
    const Case cases[] = {
        {"next", EncodeDate(2000, 1, 31), 0, 0, true, EncodeDate(2000, 2, 29), 0},
        {"previous", EncodeDate(2000, 3, 31), 0, 0, false, EncodeDate(2000, 2, 29), 0},
        {"next past the maximum", EncodeDate(2000, 1, 20), 0, EncodeDate(2000, 2, 10), true, EncodeDate(2000, 2, 10), 1},
        {"previous past the minimum", EncodeDate(2000, 2, 5), EncodeDate(2000, 1, 10), 0, false, EncodeDate(2000, 1, 10), 1},
        {"next in December 9999", EncodeDate(9999, 12, 15), 0, 0, true, EncodeDate(9999, 12, 15), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cal.SetMinDate(0);
        cal.SetMaxDate(0);
        cal.SetDate(c.from);
        cal.SetMinDate(c.min);
        cal.SetMaxDate(c.max);
        beeps = changes = 0;
        Press(c.next ? NextButton() : PrevButton());
        EXPECT_EQ(std::trunc(cal.Date()), c.to);
        EXPECT_EQ(beeps, c.beeps);
        EXPECT_EQ(changes, 1);  // in every case
    }
}

TEST_F(GkMonthCalendarTest, YearMenuListsTheYearBlockInColumns)
{
    Press(TitleYear());
    ui::TPopupMenu* menu = cal.YearMenu();
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> expected;
    for (int y = 1990; y <= 2009; ++y) expected.push_back(std::to_string(y));
    EXPECT_EQ(Captions(menu), expected);
    for (int i = 0; i < 20; ++i) {
        const ui::TMenuItem* item = menu->Items()->Items(i);
        EXPECT_EQ(item->Break(), i == 10 ? ui::mbBarBreak : ui::mbNone) << item->Caption();
        EXPECT_EQ(item->Checked(), item->Caption() == "2000");
        EXPECT_TRUE(item->Enabled());
    }
    EXPECT_FALSE(cal.IsPopupMenuShowing());  // only inside the menu's Popup call

    // Choosing a year moves the value there, keeping month and day.
    menu->Items()->Items(5)->Click();
    EXPECT_EQ(std::trunc(cal.Date()), EncodeDate(1995, 1, 15));
    EXPECT_EQ(cal.FirstYear(), 1995);
    EXPECT_EQ(changes, 1);

    // With the edit entry the first year starts a column too.
    cal.PopupYearOptions()->SetShowEditYear(true);
    Press(TitleYear());
    EXPECT_EQ(menu->Items()->Items(0)->Caption(), "Edit Year");
    EXPECT_EQ(menu->Items()->Items(1)->Caption(), "-");
    EXPECT_EQ(menu->Items()->Items(2)->Caption(), "1990");
    EXPECT_EQ(menu->Items()->Items(2)->Break(), ui::mbBarBreak);
    EXPECT_EQ(menu->Items()->Items(12)->Break(), ui::mbBarBreak);
}

TEST_F(GkMonthCalendarTest, ATitleClickedAgainClosesItsMenuInsteadOfReopening)
{
    Press(TitleYear());
    ui::TPopupMenu* menu = cal.YearMenu();
    menu->Items()->Clear();
    Press(TitleYear());  // the menu was up: this click only closes it
    EXPECT_EQ(menu->Items()->Count(), 0);
    Press(TitleYear());
    EXPECT_EQ(menu->Items()->Count(), 20);
}

TEST_F(GkMonthCalendarTest, MonthsAndYearsOutsideTheBoundsAreDisabled)
{
    cal.SetMinDate(EncodeDate(1995, 3, 20));
    cal.SetMaxDate(EncodeDate(2000, 5, 1));
    Press(TitleMonth());
    ui::TPopupMenu* months = cal.MonthMenu();
    EXPECT_EQ(Captions(months).front(), "January");
    std::string enabled;
    for (int i = 0; i < 12; ++i) enabled += months->Items()->Items(i)->Enabled() ? 'E' : '-';
    EXPECT_EQ(enabled, "EEEE--------");  // the 15th of May 2000 lies past the maximum
    EXPECT_TRUE(months->Items()->Items(0)->Checked());
    months->Items()->Items(3)->Click();  // April
    EXPECT_EQ(std::trunc(cal.Date()), EncodeDate(2000, 4, 15));
    EXPECT_EQ(changes, 1);

    Press(TitleYear());
    ASSERT_NE(cal.YearMenu(), nullptr);
    std::string years;
    for (int i = 0; i < 20; ++i) years += cal.YearMenu()->Items()->Items(i)->Enabled() ? 'E' : '-';
    EXPECT_EQ(years, "-----EEEEEE---------");  // 1995 to 2000
}

TEST_F(GkMonthCalendarTest, TheEditEntryAsksForAYearWithinTheBounds)
{
    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope(dialogs);
    cal.SetMinDate(EncodeDate(1990, 6, 1));  // 15 January 1990 lies before: 1991 is the first year
    cal.PopupYearOptions()->SetShowEditYear(true);
    Press(TitleYear());
    dialogs.AnswerInput("abc");
    dialogs.AnswerInput("1200");
    dialogs.AnswerInput("1996");
    cal.YearMenu()->Items()->Items(0)->Click();
    ASSERT_EQ(dialogs.Asked().size(), 3u);
    EXPECT_EQ(dialogs.Asked()[0].caption, "Enter Valid Year (>=1991)");
    EXPECT_EQ(dialogs.Asked()[0].prompt, "Enter New Year:");
    EXPECT_EQ(dialogs.Asked()[0].value, "2000");
    EXPECT_EQ(dialogs.Asked()[1].value, "2000");  // not a number: the title's year again
    EXPECT_EQ(dialogs.Asked()[2].value, "1991");  // clamped into the bounds
    EXPECT_EQ(std::trunc(cal.Date()), EncodeDate(1996, 1, 15));
    EXPECT_TRUE(dialogs.Unexpected().empty());

    // Cancel keeps everything; without bounds the prompt is a blank.
    cal.SetMinDate(0);
    Press(TitleYear());
    dialogs.AnswerInput(std::nullopt);
    cal.YearMenu()->Items()->Items(0)->Click();
    EXPECT_EQ(dialogs.Asked().back().caption, "Enter Valid Year");
    EXPECT_EQ(dialogs.Asked().back().prompt, " ");
    EXPECT_EQ(std::trunc(cal.Date()), EncodeDate(1996, 1, 15));
}

TEST_F(GkMonthCalendarTest, KeysMoveTheValueAndStopAtTheBounds)
{
    struct Case {
        ui::TKey key;
        rtl::TDateTime from, min, max, to;
    };
    const auto d = [](int y, int m, int dd) { return EncodeDate(y, m, dd); };
    const Case cases[] = {
        {ui::VK_LEFT, d(2000, 1, 15), 0, 0, d(2000, 1, 14)},
        {ui::VK_LEFT, d(2000, 1, 15), d(2000, 1, 15), 0, d(2000, 1, 15)},
        {ui::VK_RIGHT, d(2000, 1, 15), 0, d(2000, 1, 15), d(2000, 1, 15)},
        {ui::VK_UP, d(2000, 1, 15), d(2000, 1, 10), 0, d(2000, 1, 15)},
        {ui::VK_UP, d(2000, 1, 15), d(2000, 1, 8), 0, d(2000, 1, 8)},
        {ui::VK_DOWN, d(2000, 1, 15), 0, d(2000, 1, 21), d(2000, 1, 15)},
        {ui::VK_DOWN, d(2000, 1, 15), 0, 0, d(2000, 1, 22)},
        {ui::VK_PRIOR, d(2000, 3, 31), 0, 0, d(2000, 2, 29)},
        {ui::VK_PRIOR, d(2000, 1, 15), d(1999, 12, 20), 0, d(1999, 12, 20)},
        {ui::VK_NEXT, d(1999, 12, 15), 0, 0, d(2000, 1, 15)},
        {ui::VK_NEXT, d(2000, 1, 15), 0, d(2000, 2, 10), d(2000, 2, 10)},
        {ui::VK_NEXT, d(9999, 12, 15), 0, 0, d(9999, 12, 15)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.key) + " " + rtl::DateToStr(c.from));
        cal.SetMinDate(0);
        cal.SetMaxDate(0);
        cal.SetDate(c.from);
        cal.SetMinDate(c.min);
        cal.SetMaxDate(c.max);
        changes = 0;
        EXPECT_TRUE(cal.WantsKey(c.key));
        EXPECT_EQ(cal.Perform(ui::WM_KEYDOWN, c.key), 1);  // consumed
        EXPECT_EQ(std::trunc(cal.Date()), c.to);
        EXPECT_EQ(changes, 1);
    }

    // Shift with multi-select moves the range's far end; the value stays its anchor.
    cal.SetMinDate(0);
    cal.SetMaxDate(0);
    cal.SetOptions({mdoMultiSelect});
    cal.SetDate(d(2000, 1, 15));
    cal.Perform(ui::WM_KEYDOWN, ui::VK_RIGHT, static_cast<std::intptr_t>(ui::TShiftState{ui::ssShift}.Bits()));
    cal.Perform(ui::WM_KEYDOWN, ui::VK_DOWN, static_cast<std::intptr_t>(ui::TShiftState{ui::ssShift}.Bits()));
    EXPECT_EQ(cal.RangeStart(), d(2000, 1, 15));
    EXPECT_EQ(cal.RangeEnd(), d(2000, 1, 23));

    // A step the control refuses (too many days, past MaxDate) leaves the range as shown.
    const auto shiftKey = [&](ui::TKey key) {
        cal.Perform(ui::WM_KEYDOWN, key, static_cast<std::intptr_t>(ui::TShiftState{ui::ssShift}.Bits()));
    };
    const auto expectShown = [&](rtl::TDateTime first, rtl::TDateTime last) {
        rtl::TDateTime a = 0, b = 0;
        ASSERT_TRUE(cal.GetSelRange(a, b));
        EXPECT_EQ(a, first);
        EXPECT_EQ(b, last);
        EXPECT_EQ(cal.RangeStart(), first);
        EXPECT_EQ(cal.RangeEnd(), last);
    };
    cal.SetMaxSelectCount(10);
    shiftKey(ui::VK_DOWN);  // 16 days
    expectShown(d(2000, 1, 15), d(2000, 1, 23));
    cal.SetMaxSelectCount(31);
    cal.SetMaxDate(d(2000, 1, 24));
    shiftKey(ui::VK_RIGHT);
    shiftKey(ui::VK_RIGHT);  // the 25th is past the bound
    expectShown(d(2000, 1, 15), d(2000, 1, 24));
    shiftKey(ui::VK_LEFT);  // and the range still moves from where it is shown
    expectShown(d(2000, 1, 15), d(2000, 1, 23));
}

TEST_F(GkMonthCalendarTest, BoldDaysAreAskedPerDayOfTheMonthsShown)
{
    int asked = 0;
    cal.OnCalcBoldDay = [&](classes::TObject*, rtl::TDateTime date, int month, int day, int year, bool& accept) {
        ++asked;
        EXPECT_EQ(date, EncodeDate(year, month, day));
        accept = day == 1 || (month == 1 && day == 31);
    };
    EXPECT_TRUE(cal.IsBoldDay(2000, 1, 1));
    EXPECT_TRUE(cal.IsBoldDay(2000, 1, 31));
    EXPECT_TRUE(cal.IsBoldDay(1999, 12, 1));
    EXPECT_FALSE(cal.IsBoldDay(2000, 1, 2));
    EXPECT_EQ(asked, 31 + 31 + 29);  // December, January, February
    cal.SetOptions({});  // without mdoDayState nothing is bold
    EXPECT_FALSE(cal.IsBoldDay(2000, 1, 1));
}

TEST_F(GkMonthCalendarTest, MouseEventsCarryTheDateAndDaysPastTheBoundsClamp)
{
    std::vector<std::string> events;
    cal.OnCalMouseDown = [&](classes::TObject*, ui::TMouseButton, ui::TShiftState, int, int, int m, int d, int y) {
        events.push_back("down " + std::to_string(y) + "/" + std::to_string(m) + "/" + std::to_string(d));
    };
    cal.OnCalMouseUp = [&](classes::TObject*, ui::TMouseButton, ui::TShiftState, int, int, int m, int d, int y) {
        events.push_back("up " + std::to_string(y) + "/" + std::to_string(m) + "/" + std::to_string(d));
    };
    Press(Centre(cal.DayRect(EncodeDate(2000, 1, 20))));
    EXPECT_EQ(std::trunc(cal.Date()), EncodeDate(2000, 1, 20));
    EXPECT_EQ(changes, 1);
    Press(TitleMonth());
    cal.MonthMenu()->Items()->Clear();  // (the menu itself is not under test here)
    EXPECT_EQ(events, (std::vector<std::string>{"down 2000/1/20", "up 2000/1/20", "down 2000/1/0", "up 2000/1/0"}));

    // A day after MaxDate selects MaxDate and still tells the day clicked.
    events.clear();
    cal.SetMaxDate(EncodeDate(2000, 1, 25));
    Press(Centre(cal.DayRect(EncodeDate(2000, 1, 28))));
    EXPECT_EQ(std::trunc(cal.Date()), EncodeDate(2000, 1, 25));
    EXPECT_EQ(events.front(), "down 2000/1/28");
}

// Every button reaches the calendar's own mouse events, with the date under the pointer: the
// control's events of the same names must not take a button away from them.
TEST_F(GkMonthCalendarTest, EveryButtonFiresTheMouseEventsWithTheDate)
{
    struct Row {
        const char* name;
        ui::TMouseButton button;
        unsigned down, up;
        int held;
    };
    const Row rows[] = {
        {"left", ui::mbLeft, ui::WM_LBUTTONDOWN, ui::WM_LBUTTONUP, ui::MK_LBUTTON},
        {"right", ui::mbRight, ui::WM_RBUTTONDOWN, ui::WM_RBUTTONUP, ui::MK_RBUTTON},
        {"middle", ui::mbMiddle, ui::WM_MBUTTONDOWN, ui::WM_MBUTTONUP, ui::MK_MBUTTON},
    };
    std::vector<std::string> events;
    const auto date = [](int m, int d, int y) {
        return std::to_string(y) + "/" + std::to_string(m) + "/" + std::to_string(d);
    };
    const auto button = [](ui::TMouseButton b) { return std::to_string(static_cast<int>(b)); };
    cal.OnCalMouseDown = [&](classes::TObject*, ui::TMouseButton b, ui::TShiftState, int, int, int m, int d, int y) {
        events.push_back("down " + button(b) + " " + date(m, d, y));
    };
    cal.OnCalMouseUp = [&](classes::TObject*, ui::TMouseButton b, ui::TShiftState, int, int, int m, int d, int y) {
        events.push_back("up " + button(b) + " " + date(m, d, y));
    };
    cal.OnCalMouseMove = [&](classes::TObject*, ui::TShiftState, int, int, int m, int d, int y) {
        events.push_back("move " + date(m, d, y));
    };
    const TPoint p = Centre(cal.DayRect(EncodeDate(2000, 1, 20)));
    const TPoint q = Centre(cal.DayRect(EncodeDate(2000, 1, 21)));
    for (const Row& row : rows) {
        events.clear();
        cal.Perform(row.down, row.held, ui::MakeLParam(p.X, p.Y));
        cal.Perform(ui::WM_MOUSEMOVE, row.held, ui::MakeLParam(q.X, q.Y));
        cal.Perform(row.up, 0, ui::MakeLParam(q.X, q.Y));
        const std::string b = button(row.button);
        EXPECT_EQ(events, (std::vector<std::string>{"down " + b + " 2000/1/20", "move 2000/1/21", "up " + b + " 2000/1/21"}))
            << row.name;
    }
}

TEST_F(GkMonthCalendarTest, IsAStoredFormClass)
{
    RegisterMonthCalendarClasses();
    const classes::TClassInfo* info = classes::FindClassInfo("TgkMonthCalendar");
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->CanCreateComponent());
    std::vector<std::string> names;
    for (const classes::TPropInfo* p : info->Properties()) names.push_back(p->Name());
    for (const char* name : {"CalColors", "Date", "MaxDate", "MinDate", "Options", "PopupYearOptions",
                             "FirstDayOfWeek", "OnCalcBoldDay", "OnChange", "OnMouseDown", "OnMouseUp", "OnMouseMove"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

}  // namespace
