// The drop-down host of the month calendar headless: placement, how it tells of a date
// picked, Enter, Esc and a press outside, and the filters each host owns alone.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "editctrls/gkCalendarPopup.h"
#include "platform/rtl/DateTime.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

namespace {

using namespace editctrls;
using ui::TPoint;
using ui::TRect;

TPoint Centre(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

class CalendarPopupTest : public ::testing::Test {
protected:
    CalendarPopupTest() : host(nullptr), anchor(nullptr)
    {
        anchor.SetBounds(100, 100, 120, 22);
        host.OnClose = [this](TgkCalendarCloseReason r) { reasons.push_back(r); };
        host.Calendar()->SetDate(rtl::EncodeDate(2000, 1, 15));
    }
    void Open() { host.Open(ui::Bounds(100, 121, 0, 0), &anchor); }

    TgkCalendarPopupHost host;
    ui::TPanel anchor;
    std::vector<TgkCalendarCloseReason> reasons;
};

TEST_F(CalendarPopupTest, OpensAtLeastAtTheMinimumSizeWithinTheWorkArea)
{
    host.Open(ui::Bounds(1000, 700, 10, 10), &anchor);
    EXPECT_TRUE(host.IsOpen());
    const TRect min = host.Calendar()->GetMinReqRect();
    const TRect r = host.Window()->BoundsRect();
    EXPECT_EQ(r.Width(), min.Width());
    EXPECT_EQ(r.Height(), min.Height());
    EXPECT_EQ(r.Right, 1024);  // the headless work area
    EXPECT_EQ(r.Bottom, 768);
    host.Close();
    EXPECT_FALSE(host.IsOpen());
    host.Close();  // once only
    EXPECT_EQ(reasons, (std::vector<TgkCalendarCloseReason>{ccrProgram}));
}

TEST_F(CalendarPopupTest, TellsHowTheDropDownEnded)
{
    ui::TApplication& app = ui::Application();
    // A date released on picks; the day names do not.
    Open();
    TgkMonthCalendar* cal = host.Calendar();
    const TPoint names{Centre(cal->DayRect(rtl::EncodeDate(2000, 1, 20))).X, cal->TitleRect(0).Bottom + 4};
    cal->Perform(ui::WM_LBUTTONUP, 0, ui::MakeLParam(names.X, names.Y));
    EXPECT_TRUE(host.IsOpen());
    // Nor do the week numbers.
    cal->SetOptions(cal->Options() | TgkMonthOptions{mdoWeekNumbers});
    const rtl::TDateTime thursday = rtl::EncodeDate(2000, 1, 20);
    const TRect firstDay = cal->DayRect(thursday - ui::WeekdayColumn(thursday, cal->GetFirstDayOfWeek()));
    const TPoint week{firstDay.Left - 3, Centre(firstDay).Y};
    ASSERT_EQ(cal->HitTest(week).Hit, ui::MCHT_CALENDARWEEKNUM);
    cal->Perform(ui::WM_LBUTTONUP, 0, ui::MakeLParam(week.X, week.Y));
    EXPECT_TRUE(host.IsOpen());
    cal->SetOptions(cal->Options() - TgkMonthOptions{mdoWeekNumbers});
    const TPoint day = Centre(cal->DayRect(rtl::EncodeDate(2000, 1, 20)));
    cal->Perform(ui::WM_LBUTTONDOWN, ui::MK_LBUTTON, ui::MakeLParam(day.X, day.Y));
    cal->Perform(ui::WM_LBUTTONUP, 0, ui::MakeLParam(day.X, day.Y));
    EXPECT_FALSE(host.IsOpen());
    EXPECT_EQ(std::trunc(cal->Date()), rtl::EncodeDate(2000, 1, 20));

    // Keys typed in the anchor: arrows move the calendar, Enter and Esc close.
    Open();
    EXPECT_TRUE(app.FilterKey(nullptr, ui::VK_RIGHT, {}, true));
    EXPECT_EQ(std::trunc(cal->Date()), rtl::EncodeDate(2000, 1, 21));
    EXPECT_FALSE(app.FilterKey(nullptr, ui::VK_F2, {}, true));
    EXPECT_TRUE(app.FilterKey(nullptr, ui::VK_RETURN, {}, true));
    Open();
    EXPECT_TRUE(app.FilterKey(nullptr, ui::VK_ESCAPE, {}, true));
    EXPECT_FALSE(app.FilterKey(nullptr, ui::VK_ESCAPE, {}, true));  // closed: Esc is the anchor's again

    // Presses inside the popup or on the anchor keep it open; one elsewhere closes it and
    // still goes where it was aimed.
    Open();
    const TRect r = host.Window()->BoundsRect();
    EXPECT_FALSE(app.FilterMouse(nullptr, ui::WM_LBUTTONDOWN, Centre(r)));
    const TPoint onAnchor = anchor.ClientToScreen({10, 5});
    EXPECT_FALSE(app.FilterMouse(&anchor, ui::WM_LBUTTONDOWN, onAnchor));
    EXPECT_TRUE(host.IsOpen());
    EXPECT_FALSE(app.FilterMouse(nullptr, ui::WM_LBUTTONDOWN, {600, 20}));
    EXPECT_FALSE(host.IsOpen());
    EXPECT_EQ(reasons, (std::vector<TgkCalendarCloseReason>{ccrPicked, ccrEnter, ccrEscape, ccrOutsideClick}));
}

TEST_F(CalendarPopupTest, FreeingAnotherHostLeavesTheOpenOnesFilter)
{
    Open();
    {
        TgkCalendarPopupHost other(nullptr);
        other.Open(ui::Bounds(400, 400, 0, 0), nullptr);
    }  // freed while open
    ui::Application().FilterMouse(nullptr, ui::WM_LBUTTONDOWN, {900, 20});
    EXPECT_FALSE(host.IsOpen());  // its own filter was still there
    EXPECT_EQ(reasons, (std::vector<TgkCalendarCloseReason>{ccrOutsideClick}));
}

TEST_F(CalendarPopupTest, TakesACalendarOfTheCallersOwn)
{
    ui::TPanel owner(nullptr);
    auto* mine = new TgkMonthCalendar(&owner);
    host.SetCalendar(mine);
    EXPECT_EQ(host.Calendar(), mine);
    Open();
    EXPECT_EQ(mine->Parent(), host.Window());
    delete mine;  // freed by its owner while open: the host closes and forgets it
    EXPECT_FALSE(host.IsOpen());
    EXPECT_NE(host.Calendar(), nullptr);  // a new one of the host's own
}

}  // namespace
