#pragma once
// TgkMonthCalendar: the library's month calendar, on the windowing layer's month-calendar
// control. It keeps its own copy of the value (date and time of day), enforces MinDate and
// MaxDate itself, colours the control through a TgkDateTimeColors set, marks bold days through
// OnCalcBoldDay, and replaces the title's own navigation: the scroll buttons step the value by
// the month delta (beeping at the bounds and past year 9999), the title's month and year open
// popup menus of the twelve months and of a block of years (optionally with an entry that asks
// for a year). Arrows and Page Up/Down are handled here, not by the control. The date-time
// picker's drop-down calendar derives from it.
//
// Promises:
//   - Date and Time setters raise EDateTimeError "Date exceeds maximum of %s" / "Date is
//     less than minimum of %s" for a value outside the bounds; navigation clamps to them.
//   - MinDate/MaxDate 0 means no bound; MinDate above MaxDate is refused with the same texts.
//   - OnChange fires for every change made through the user (mouse, keys, menus).
//   - Width and Height never fall below the control's minimum size.
//   - The state lives in the control; nothing is lost when options change.
//
// TgkDateTimeColors (the six colours) and TgkPopupYearOptions (the year menu's layout) are
// shared with the date-time picker's calendar options.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/classes/Persistent.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/Menus.h"
#include "platform/ui/MonthCalendar.h"

namespace editctrls {

// A date outside a calendar's or picker's bounds.
class EDateTimeError : public rtl::Exception {
    using rtl::Exception::Exception;
};

enum TgkMonthOption { mdoDayState, mdoWeekNumbers, mdoNoToday, mdoNoTodayCircle, mdoMultiSelect };
using TgkMonthOptions = classes::TSet<TgkMonthOption>;
const classes::TEnumInfo& MonthOptionInfo();

// Monday .. Sunday, or the user locale's first day.
enum TgkCalDayOfWeek {
    gkdowMonday,
    gkdowTuesday,
    gkdowWednesday,
    gkdowThursday,
    gkdowFriday,
    gkdowSaturday,
    gkdowSunday,
    gkdowLocaleDefault
};
const classes::TEnumInfo& CalDayOfWeekInfo();
// The day a calendar starts its weeks with: 0 = Monday ... 6 = Sunday (the locale's for
// gkdowLocaleDefault).
int gkFirstDayIndex(TgkCalDayOfWeek day);

// The platform's month calendar always honours every option here.
bool gkIsNewComCtl32();

class TgkMonthCalendar;

class TgkDateTimeColors : public classes::TPersistent {
    GW_CLASS(TgkDateTimeColors)

public:
    // `owner`: the control the colours belong to (nullptr: none); a TgkMonthCalendar owner
    // shows each colour as it is set.
    explicit TgkDateTimeColors(classes::TPersistent* owner = nullptr);

    // From another colour set: TextColor through TrailingTextColor (not the background);
    // anything else raises EConvertError "Cannot assign a <class> to a TgkDateTimeColors"
    // ("nil" for no source).
    void Assign(const classes::TPersistent& source) override;
    void Assign(const classes::TPersistent* source);

    // Index 0 background (MCSC_BACKGROUND) .. 5 trailing text.
    rtl::TColor Color(int index) const { return colors_[static_cast<std::size_t>(index)]; }
    void SetColor(int index, rtl::TColor value);

    rtl::TColor BackColor() const { return Color(0); }
    void SetBackColor(rtl::TColor v) { SetColor(0, v); }
    rtl::TColor TextColor() const { return Color(1); }
    void SetTextColor(rtl::TColor v) { SetColor(1, v); }
    rtl::TColor TitleBackColor() const { return Color(2); }
    void SetTitleBackColor(rtl::TColor v) { SetColor(2, v); }
    rtl::TColor TitleTextColor() const { return Color(3); }
    void SetTitleTextColor(rtl::TColor v) { SetColor(3, v); }
    rtl::TColor MonthBackColor() const { return Color(4); }
    void SetMonthBackColor(rtl::TColor v) { SetColor(4, v); }
    rtl::TColor TrailingTextColor() const { return Color(5); }
    void SetTrailingTextColor(rtl::TColor v) { SetColor(5, v); }

protected:
    classes::TPersistent* GetOwner() const override { return owner_; }

private:
    classes::TPersistent* owner_;
    std::array<rtl::TColor, 6> colors_;
};

class TgkPopupYearOptions : public classes::TPersistent {
    GW_CLASS(TgkPopupYearOptions)

public:
    TgkPopupYearOptions() = default;
    void Assign(const classes::TPersistent& source) override;

    int YearsPerColumn() const noexcept { return yearsPerColumn_; }
    void SetYearsPerColumn(int v) { yearsPerColumn_ = v; }
    int NumberColumns() const noexcept { return numberColumns_; }
    void SetNumberColumns(int v) { numberColumns_ = v; }
    int StartYear() const noexcept { return startYear_; }
    void SetStartYear(int v) { startYear_ = v; }
    bool ShowEditYear() const noexcept { return showEditYear_; }
    void SetShowEditYear(bool v) { showEditYear_ = v; }

private:
    int yearsPerColumn_ = 10;
    int numberColumns_ = 2;
    int startYear_ = 1990;
    bool showEditYear_ = false;
};

// A popup menu that knows when it is open (for the length of its Popup call).
class TCalendarPopupMenu : public ui::TPopupMenu {
    GW_CLASS(TCalendarPopupMenu)

public:
    explicit TCalendarPopupMenu(classes::TComponent* owner) : ui::TPopupMenu(owner) {}
    void Popup(int x, int y) override;
    bool InPopup() const noexcept { return inPopup_; }

private:
    bool inPopup_ = false;
};

using TCalcBoldDayEvent =
    classes::TEvent<classes::TObject*, rtl::TDateTime /*date*/, int /*month*/, int /*day*/, int /*year*/, bool& /*accept*/>;
using TmcMouseUPDownEvent = classes::TEvent<classes::TObject*, ui::TMouseButton, ui::TShiftState, int, int,
                                            int /*month*/, int /*day*/, int /*year*/>;
using TmcMouseMoveEvent =
    classes::TEvent<classes::TObject*, ui::TShiftState, int, int, int /*month*/, int /*day*/, int /*year*/>;

class TgkMonthCalendar : public ui::TMonthCalendar {
    GW_CLASS(TgkMonthCalendar)

public:
    explicit TgkMonthCalendar(classes::TComponent* owner);
    ~TgkMonthCalendar() override;

    ui::TFormBorderStyle CalBorderStyle() const { return BorderStyle(); }
    void SetCalBorderStyle(ui::TFormBorderStyle style);
    TgkDateTimeColors* CalColors() const noexcept { return calColors_.get(); }
    void SetCalColors(const TgkDateTimeColors& colors) { calColors_->Assign(colors); }

    // The value: date and time of day.
    rtl::TDateTime DateTime() const noexcept { return value_; }
    rtl::TDateTime Date() const noexcept { return value_; }
    void SetDate(rtl::TDateTime value);
    rtl::TDateTime Time() const noexcept { return value_; }
    void SetTime(rtl::TDateTime value);

    TgkMonthOptions Options() const noexcept { return options_; }
    virtual void SetOptions(TgkMonthOptions options);
    TgkPopupYearOptions* PopupYearOptions() const noexcept { return yearOptions_.get(); }
    void SetPopupYearOptions(const TgkPopupYearOptions& options) { yearOptions_->Assign(options); }
    TgkCalDayOfWeek FirstDayOfWeek() const noexcept { return firstDayOfWeek_; }
    // Named apart from the control's SetFirstDayOfWeek(int), which it would hide.
    void SetCalFirstDayOfWeek(TgkCalDayOfWeek day);
    int MaxSelectCount() const noexcept { return maxSelectCount_; }
    void SetMaxSelectCount(int count);
    rtl::TDateTime MaxDate() const noexcept { return maxDate_; }
    void SetMaxDate(rtl::TDateTime value);
    rtl::TDateTime MinDate() const noexcept { return minDate_; }
    void SetMinDate(rtl::TDateTime value);
    // The stored multi-select range.
    rtl::TDateTime RangeStart() const noexcept { return rangeStart_; }
    rtl::TDateTime RangeEnd() const noexcept { return rangeEnd_; }
    // Orders the two ends and shows them (multi-select only); a range the control refuses
    // (longer than MaxSelectCount or past a bound) changes nothing.
    void SetSelectionRange(rtl::TDateTime a, rtl::TDateTime b);

    void SetBounds(int left, int top, int width, int height) override;
    // Grows Width and Height to the control's minimum size.
    void FitToMinimumSize();

    // A year or month popup menu is open (inside its Popup call).
    bool IsPopupMenuShowing() const;
    // The menus, for the date-time picker and tests.
    TCalendarPopupMenu* YearMenu() const noexcept { return yearMenu_; }
    TCalendarPopupMenu* MonthMenu() const noexcept { return monthMenu_; }

    // Takes the focus when visible; the drop-down calendar does nothing here.
    virtual void FocusIfVisible();

    void Dispatch(ui::TMessage& message) override;
    bool WantsKey(ui::TKey key) const override;
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void Loaded() override;

    TCalcBoldDayEvent OnCalcBoldDay;
    classes::TNotifyEvent OnChange;
    // Not published: the left button was released over a date of the calendar (not over the
    // day names or the week numbers); a drop-down closes on it.
    classes::TNotifyEvent OnDatePick;
    // Published as OnMouseDown, OnMouseUp and OnMouseMove; named apart from the control's own
    // events (which carry no date) so that every button, left, right or middle, reaches them.
    TmcMouseUPDownEvent OnCalMouseDown;
    TmcMouseUPDownEvent OnCalMouseUp;
    TmcMouseMoveEvent OnCalMouseMove;

protected:
    // The value or the range changed through the user: fires OnChange.
    virtual void Change();
    void GetDayState(int year, int month, std::vector<std::uint32_t>& states) override;
    void SelChange(rtl::TDateTime first, rtl::TDateTime last) override;
    void VisibleChanged() override;

private:
    friend class TgkDateTimeColors;
    // Pushes the whole state into the control (what a new window gets).
    void ApplyState();
    void SetCalendarDate(rtl::TDateTime value);
    void SetControlRange(rtl::TDateTime max, rtl::TDateTime min);
    bool OutsideBounds(int year, int month, int day) const;
    void ShowYearPopup(const ui::TMCHitTestInfo& hit);
    void ShowMonthPopup(const ui::TMCHitTestInfo& hit);
    void MonthItemClick(classes::TObject* sender);
    void YearItemClick(classes::TObject* sender);
    // The title's scroll buttons: steps the value by the month delta, beeping at the bounds.
    void StepByButton(bool forward);
    // The years the value's month and day may move to inside the bounds (0: no bound).
    void YearBounds(int& minYear, int& maxYear) const;
    // Asks for a year inside the bounds; false when cancelled.
    bool AskYear(int minYear, int maxYear, int& year) const;
    // The date an arrow or Page key moves `current` to (none: it stays); Page keys clamp to
    // the bounds.
    std::optional<rtl::TDateTime> KeyTarget(ui::TKey key, rtl::TDateTime current) const;
    // Shift+arrow with multi-select moves the range's free end; false for another key.
    bool MoveRangeEnd(ui::TKey key, ui::TShiftState shift);
    // Moves the months shown so that the title month that opened the menu shows year/month.
    void MoveTitleTo(int year, int month);
    // The title's extent, probed by hit tests from point p along one axis, then the other.
    ui::TPoint ProbeTitle(ui::TPoint p, int dx);

    rtl::TDateTime value_ = 0;
    rtl::TDateTime rangeStart_ = 0;
    rtl::TDateTime rangeEnd_ = 0;
    bool changed_ = false;
    TCalendarPopupMenu* yearMenu_ = nullptr;
    TCalendarPopupMenu* monthMenu_ = nullptr;
    bool yearWasShowing_ = false;
    bool monthWasShowing_ = false;
    bool yearOpen_ = false;
    bool monthOpen_ = false;
    bool chosen_ = false;  // an item was chosen while a menu was up
    int hitYear_ = 0, hitMonth_ = 0, hitDay_ = 0;
    int titleMonth_ = 0;
    int titleIndex_ = 0;  // which month shown the title belongs to

    std::unique_ptr<TgkDateTimeColors> calColors_;
    std::unique_ptr<TgkPopupYearOptions> yearOptions_;
    TgkMonthOptions options_{mdoDayState};
    TgkCalDayOfWeek firstDayOfWeek_ = gkdowLocaleDefault;
    int maxSelectCount_ = 31;
    rtl::TDateTime minDate_ = 0;
    rtl::TDateTime maxDate_ = 0;
};

// Registers the calendar's classes for stored forms.
void RegisterMonthCalendarClasses();

}  // namespace editctrls
