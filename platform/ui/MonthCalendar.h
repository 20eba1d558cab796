#pragma once
// TMonthCalendar: the month-calendar control. It shows one or more whole months side by side
// (as many as its size holds, at most 12), each with a title ("Month Year"), a row of day
// names and six rows of days, an optional column of week numbers and, below the months, a
// "Today:" line. It keeps the selected date (or, with MCS_MULTISELECT, a range of at most
// MaxSelCount days), optional lower and upper bounds, six colours, the first day of the week,
// the months shown and the bold days, and tells of changes through notification hooks.
//
// Its interface is that of the old desktop's month-calendar common control: style bits
// MCS_*, colour indexes MCSC_*, range flags GDTR_*, hit-test codes MCHT_* (with the same
// values), and one method per control message (SetCurSel for MCM_SETCURSEL and so on).
// Notifications are virtual hooks that fire events: GetDayState (MCN_GETDAYSTATE) asks for
// the bold days of the months shown, SelChange (MCN_SELCHANGE) and Select (MCN_SELECT) tell
// of a selection made by the user (mouse, keys, scrolling).
//
// Promises:
//   - Dates are whole days (rtl::TDateTime; the time of day is dropped). The selection is
//     never outside the bounds; a request that would put it there is refused (false).
//   - Setting the selection by program brings its month into view and sends no notice.
//   - The layout is computed from the font alone: HitTest, the month and day rectangles and
//     painting agree, with or without a window, so all of it can be tested headless.
//   - Input: a left press on a day selects it (a day of the neighbouring month shown in the
//     first or last month also scrolls there); on the scroll buttons it scrolls by
//     MonthDelta months; on the today line it selects today. With MCS_MULTISELECT dragging
//     extends the range. Arrows move the selection by a day or a week, Page Up and Page Down
//     by a month. Subclasses that handle these themselves intercept the messages first
//     (Dispatch) or swallow the keys in KeyDown.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/rtl/DateTime.h"
#include "platform/ui/CustomControl.h"

namespace ui {

// Style bits (CalStyle).
constexpr unsigned MCS_DAYSTATE = 0x0001;
constexpr unsigned MCS_MULTISELECT = 0x0002;
constexpr unsigned MCS_WEEKNUMBERS = 0x0004;
constexpr unsigned MCS_NOTODAYCIRCLE = 0x0008;
constexpr unsigned MCS_NOTODAY = 0x0010;

// Colour indexes (GetCalColor, SetCalColor).
constexpr int MCSC_BACKGROUND = 0;    // around the months
constexpr int MCSC_TEXT = 1;          // the days of the month
constexpr int MCSC_TITLEBK = 2;       // title, day names, selection
constexpr int MCSC_TITLETEXT = 3;     // title text, selected day
constexpr int MCSC_MONTHBK = 4;       // inside a month
constexpr int MCSC_TRAILINGTEXT = 5;  // the days of the neighbouring months

// Bounds flags (GetRange, SetRange).
constexpr unsigned GDTR_MIN = 0x0001;
constexpr unsigned GDTR_MAX = 0x0002;

// Hit-test codes.
constexpr unsigned MCHT_NOWHERE = 0x00000000;
constexpr unsigned MCHT_TITLE = 0x00010000;
constexpr unsigned MCHT_CALENDAR = 0x00020000;
constexpr unsigned MCHT_TODAYLINK = 0x00030000;
constexpr unsigned MCHT_NEXT = 0x01000000;
constexpr unsigned MCHT_PREV = 0x02000000;
constexpr unsigned MCHT_TITLEBK = MCHT_TITLE;
constexpr unsigned MCHT_TITLEMONTH = MCHT_TITLE | 0x0001;
constexpr unsigned MCHT_TITLEYEAR = MCHT_TITLE | 0x0002;
constexpr unsigned MCHT_TITLEBTNNEXT = MCHT_TITLE | MCHT_NEXT | 0x0003;
constexpr unsigned MCHT_TITLEBTNPREV = MCHT_TITLE | MCHT_PREV | 0x0003;
constexpr unsigned MCHT_CALENDARBK = MCHT_CALENDAR;
constexpr unsigned MCHT_CALENDARDATE = MCHT_CALENDAR | 0x0001;
constexpr unsigned MCHT_CALENDARDATENEXT = MCHT_CALENDARDATE | MCHT_NEXT;
constexpr unsigned MCHT_CALENDARDATEPREV = MCHT_CALENDARDATE | MCHT_PREV;
constexpr unsigned MCHT_CALENDARDAY = MCHT_CALENDAR | 0x0002;
constexpr unsigned MCHT_CALENDARWEEKNUM = MCHT_CALENDAR | 0x0003;

// What lies at a point: the code and the date there. Year and Month are those of the month
// the point lies in (of the day for day cells, which may belong to a neighbouring month and,
// past December 9999, to year 10000); Day is the day for day cells, else 0.
struct TMCHitTestInfo {
    TPoint Pt;
    unsigned Hit = MCHT_NOWHERE;
    int Year = 0;
    int Month = 0;
    int Day = 0;
};

// Which months GetMonthRange counts: the months shown whole, or every month with a day shown
// (the months the bold-day states cover).
enum TMonthRangeKind { gmrVisible, gmrDayState };

using TMCDayStateEvent = classes::TEvent<classes::TObject*, int /*year*/, int /*month*/, std::vector<std::uint32_t>&>;

class TMonthCalendar : public TCustomControl {
    GW_CLASS(TMonthCalendar)

public:
    static constexpr int kMaxMonths = 12;
    // Months the bold-day states cover at most (the months shown and one on either side).
    static constexpr int kMaxDayStateMonths = kMaxMonths + 2;

    explicit TMonthCalendar(classes::TComponent* owner);

    // ---- Style ---------------------------------------------------------------------------
    unsigned CalStyle() const noexcept { return style_; }
    void SetCalStyle(unsigned style);

    // ---- Selection -------------------------------------------------------------------------
    // The selected day (the range's start with MCS_MULTISELECT).
    rtl::TDateTime GetCurSel() const noexcept { return selStart_; }
    // False (nothing changes) with MCS_MULTISELECT or for a day outside the bounds.
    bool SetCurSel(rtl::TDateTime date);
    // The selected range; false without MCS_MULTISELECT.
    bool GetSelRange(rtl::TDateTime& first, rtl::TDateTime& last) const;
    // Either order; false without MCS_MULTISELECT, for an end outside the bounds, or for a
    // range longer than MaxSelCount days.
    bool SetSelRange(rtl::TDateTime first, rtl::TDateTime last);
    int GetMaxSelCount() const noexcept { return maxSelCount_; }
    // False for a count below 1.
    bool SetMaxSelCount(int count);

    // ---- Bounds ----------------------------------------------------------------------------
    // GDTR_MIN and GDTR_MAX for the bounds that apply; min and max are 0 when not set.
    unsigned GetRange(rtl::TDateTime& min, rtl::TDateTime& max) const;
    // The flags say which bounds apply (the other is cleared). A selection outside the new
    // bounds moves to the nearest bound. False when min lies after max.
    bool SetRange(unsigned flags, rtl::TDateTime min, rtl::TDateTime max);
    // Inside the bounds that apply.
    bool InRange(rtl::TDateTime date) const;

    // ---- Colours, week, today ----------------------------------------------------------------
    rtl::TColor GetCalColor(int index) const;
    // Answers the previous colour; clNone for an index outside 0..5 (nothing changes).
    rtl::TColor SetCalColor(int index, rtl::TColor color);
    // 0 = Monday ... 6 = Sunday.
    int GetFirstDayOfWeek() const noexcept { return firstDay_; }
    // Answers the previous day; values outside 0..6 are refused (nothing changes).
    int SetFirstDayOfWeek(int day);
    // The day the control takes for today: the clock's unless set (0 returns to the clock).
    rtl::TDateTime GetToday() const;
    void SetToday(rtl::TDateTime date);

    // ---- Months shown ----------------------------------------------------------------------
    // The size that shows one month (and the today line), border included.
    TRect GetMinReqRect();
    // Months a scroll button moves; the number of months shown unless set.
    int GetMonthDelta();
    // Answers the previous delta; 0 returns to the default.
    int SetMonthDelta(int delta);
    // Months shown: as many whole months as the client area holds (columns x rows), 1 to 12.
    int VisibleMonthCount();
    // The first month shown.
    int FirstYear() const noexcept { return firstYear_; }
    int FirstMonth() const noexcept { return firstMonth_; }
    // Shows `year`/`month` as the first month (kept within years 1 to 9999).
    void SetFirstVisible(int year, int month);
    // The first and last day of the range and the number of months in it.
    int GetMonthRange(TMonthRangeKind kind, rtl::TDateTime& first, rtl::TDateTime& last);

    // ---- Bold days -------------------------------------------------------------------------
    // One word per month of the day-state range (bit d-1 set: day d bold), first month
    // first. GetDayState fills them when the months shown change (with MCS_DAYSTATE);
    // SetDayState replaces them.
    void SetDayState(const std::vector<std::uint32_t>& states);
    bool IsBoldDay(int year, int month, int day);

    // ---- Geometry ----------------------------------------------------------------------------
    TMCHitTestInfo HitTest(TPoint p);
    // Client rectangles: of the i-th month shown (title and days), of its title, of a day
    // (empty when the day is not shown), of the today line (empty with MCS_NOTODAY).
    TRect MonthRect(int index);
    TRect TitleRect(int index);
    TRect DayRect(rtl::TDateTime date);
    TRect TodayRect();

    void SetBounds(int left, int top, int width, int height) override;

    TNotifyEvent OnSelChange;
    TNotifyEvent OnSelect;
    TMCDayStateEvent OnGetDayState;

protected:
    // MCN_GETDAYSTATE: fill `states` (one word per month, from year/month on); the default
    // fires OnGetDayState and leaves them clear when it is not assigned.
    virtual void GetDayState(int year, int month, std::vector<std::uint32_t>& states);
    // MCN_SELCHANGE: the user changed the selection (or scrolled it along).
    virtual void SelChange(rtl::TDateTime first, rtl::TDateTime last);
    // MCN_SELECT: the user made a selection (a click, a drag ended, the today line).
    virtual void Select(rtl::TDateTime first, rtl::TDateTime last);

    void Paint() override;
    void DefaultHandler(TMessage& message) override;
    void FontChanged() override;

private:
    struct TLayout {
        int cellW = 0, cellH = 0;
        int titleH = 0, dayNamesH = 0;
        int monthW = 0, monthH = 0;
        int todayH = 0;
        int cols = 1, rows = 1;
        int originX = 0, originY = 0;  // top-left of the first month
        int weekW = 0;                 // week-number column
        int margin = 0;
    };
    const TLayout& Layout();
    void InvalidateLayout();
    // Month i shown: year and month.
    void MonthAt(int index, int& year, int& month) const;
    // The first day shown in the grid of month i (may lie in the month before).
    int GridOffset(int year, int month) const;
    TRect PrevButtonRect();
    TRect NextButtonRect();
    // Scrolls so that `date` is among the months shown.
    void ShowDate(rtl::TDateTime date);
    void ScrollMonths(int delta);
    void DisplayChanged();
    void EnsureDayState();
    // The selection set by the user: stored, shown, told.
    void UserSelect(rtl::TDateTime first, rtl::TDateTime last, bool selectNotice);
    void PressAt(TPoint p);
    void DragTo(TPoint p);
    void KeyMove(TKey key);
    rtl::TDateTime ClampToRange(rtl::TDateTime date) const;

    unsigned style_ = 0;
    rtl::TDateTime selStart_ = 0;
    rtl::TDateTime selEnd_ = 0;
    rtl::TDateTime anchor_ = 0;
    int maxSelCount_ = 7;
    unsigned rangeFlags_ = 0;
    rtl::TDateTime min_ = 0;
    rtl::TDateTime max_ = 0;
    std::array<rtl::TColor, 6> colors_;
    int firstDay_ = 6;
    rtl::TDateTime today_ = 0;
    int monthDelta_ = 0;
    int firstYear_ = 2000;
    int firstMonth_ = 1;
    std::vector<std::uint32_t> dayStates_;
    int dayStateYear_ = 0;
    int dayStateMonth_ = 0;
    bool dayStateDirty_ = true;
    TLayout layout_;
    bool layoutValid_ = false;
    bool tracking_ = false;
};

// Days from the first day of the week (0 = Monday ... 6 = Sunday) to the weekday of `date`.
int WeekdayColumn(rtl::TDateTime date, int firstDay);
// The week of the year as ISO 8601 counts it (the week holding the year's first Thursday is 1).
int IsoWeekNumber(rtl::TDateTime date);

}  // namespace ui
