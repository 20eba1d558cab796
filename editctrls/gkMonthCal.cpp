#include "editctrls/gkMonthCal.h"

#include <algorithm>
#include <optional>

#include "grid/GridRoutines.h"
#include "grid/Intl.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/Formatting.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Screen.h"

namespace editctrls {

namespace {

void Decode(rtl::TDateTime v, int& y, int& m, int& d) { rtl::DecodeDate(v, y, m, d); }

int ClipDay(int year, int month, int day) { return std::min(day, rtl::DaysInAMonth(year, month)); }

std::string ShortDate(rtl::TDateTime v) { return rtl::DateToStr(v); }

[[noreturn]] void ExceedsMaximum(rtl::TDateTime max) { throw EDateTimeError("Date exceeds maximum of " + ShortDate(max)); }
[[noreturn]] void BelowMinimum(rtl::TDateTime min) { throw EDateTimeError("Date is less than minimum of " + ShortDate(min)); }

// Month and day as one number, for "comes before" within a year.
int MonthDay(rtl::TDateTime v)
{
    int y = 0, m = 0, d = 0;
    Decode(v, y, m, d);
    return m * 100 + d;
}

bool IsNavigationKey(ui::TKey key)
{
    using namespace ui;
    return key == VK_PRIOR || key == VK_NEXT || key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN;
}

bool IsDayHit(const ui::TMCHitTestInfo& hit)
{
    return (hit.Hit & ui::MCHT_CALENDARDATE) == ui::MCHT_CALENDARDATE && (hit.Hit & 0xFFFF) == 1 && hit.Day >= 1 &&
           hit.Day <= 31;
}

}  // namespace

// ---- Enumerations and unit routines ----------------------------------------------------------

const classes::TEnumInfo& MonthOptionInfo()
{
    static const classes::TEnumInfo info{
        "TgkMonthOption", {"mdoDayState", "mdoWeekNumbers", "mdoNoToday", "mdoNoTodayCircle", "mdoMultiSelect"}};
    return info;
}

const classes::TEnumInfo& CalDayOfWeekInfo()
{
    static const classes::TEnumInfo info{"TgkCalDayOfWeek",
                                         {"gkdowMonday", "gkdowTuesday", "gkdowWednesday", "gkdowThursday",
                                          "gkdowFriday", "gkdowSaturday", "gkdowSunday", "gkdowLocaleDefault"}};
    return info;
}

int gkFirstDayIndex(TgkCalDayOfWeek day)
{
    if (day == gkdowLocaleDefault) return std::clamp(rtl::FormatSettings().FirstDayOfWeek, 0, 6);
    return static_cast<int>(day);
}

bool gkIsNewComCtl32() { return true; }

// ---- TgkDateTimeColors -----------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkDateTimeColors, classes::TPersistent)
{
    using C = TgkDateTimeColors;
    p.Color("TextColor", &C::TextColor, &C::SetTextColor, rtl::clWindowText);
    p.Color("TitleBackColor", &C::TitleBackColor, &C::SetTitleBackColor, rtl::clActiveCaption);
    p.Color("TitleTextColor", &C::TitleTextColor, &C::SetTitleTextColor, rtl::clWhite);
    p.Color("MonthBackColor", &C::MonthBackColor, &C::SetMonthBackColor, rtl::clWhite);
    p.Color("TrailingTextColor", &C::TrailingTextColor, &C::SetTrailingTextColor, rtl::clInactiveCaptionText);
}

TgkDateTimeColors::TgkDateTimeColors(classes::TPersistent* owner)
    : owner_(owner),
      colors_{rtl::clWindow, rtl::clWindowText, rtl::clActiveCaption, rtl::clWhite, rtl::clWhite, rtl::clInactiveCaptionText}
{
}

void TgkDateTimeColors::Assign(const classes::TPersistent& source)
{
    if (const auto* other = dynamic_cast<const TgkDateTimeColors*>(&source)) {
        for (int i = 1; i < 6; ++i) SetColor(i, other->Color(i));
        return;
    }
    throw rtl::EConvertError("Cannot assign a " + source.ClassName() + " to a " + ClassName());
}

void TgkDateTimeColors::Assign(const classes::TPersistent* source)
{
    if (source == nullptr) throw rtl::EConvertError("Cannot assign a nil to a " + ClassName());
    Assign(*source);
}

void TgkDateTimeColors::SetColor(int index, rtl::TColor value)
{
    if (index < 0 || index > 5) return;
    if (auto* cal = dynamic_cast<TgkMonthCalendar*>(owner_)) cal->SetCalColor(index, value);
    colors_[static_cast<std::size_t>(index)] = value;
}

// ---- TgkPopupYearOptions ---------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkPopupYearOptions, classes::TPersistent)
{
    using C = TgkPopupYearOptions;
    p.Integer("YearsPerColumn", &C::YearsPerColumn, &C::SetYearsPerColumn, 10);
    p.Integer("NumberColumns", &C::NumberColumns, &C::SetNumberColumns, 2);
    p.Integer("StartYear", &C::StartYear, &C::SetStartYear, 1990);
    p.Boolean("ShowEditYear", &C::ShowEditYear, &C::SetShowEditYear, false);
}

void TgkPopupYearOptions::Assign(const classes::TPersistent& source)
{
    if (const auto* other = dynamic_cast<const TgkPopupYearOptions*>(&source)) {
        yearsPerColumn_ = other->yearsPerColumn_;
        numberColumns_ = other->numberColumns_;
        startYear_ = other->startYear_;
        showEditYear_ = other->showEditYear_;
        return;
    }
    TPersistent::Assign(source);
}

// ---- TCalendarPopupMenu ----------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TCalendarPopupMenu, ui::TPopupMenu) {}

void TCalendarPopupMenu::Popup(int x, int y)
{
    inPopup_ = true;
    rtl::TScopeExit done([this] { inPopup_ = false; });
    ui::TPopupMenu::Popup(x, y);
}

// ---- TgkMonthCalendar ------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkMonthCalendar, ui::TMonthCalendar)
{
    using C = TgkMonthCalendar;
    p.Enumeration("BorderStyle", ui::BorderStyleInfo(), &C::CalBorderStyle, &C::SetCalBorderStyle, ui::bsNone);
    p.Object("CalColors", [](const C& c) { return c.CalColors(); });
    p.Float("Date", &C::Date, &C::SetDate).NoDefault();
    p.Float("Time", &C::Time, &C::SetTime).NoDefault();
    p.Color("Color", &C::Color, &C::SetColor, rtl::clWindow);
    p.Set("Options", MonthOptionInfo(), &C::Options, &C::SetOptions, TgkMonthOptions{mdoDayState});
    p.Object("PopupYearOptions", [](const C& c) { return c.PopupYearOptions(); });
    p.Enumeration("FirstDayOfWeek", CalDayOfWeekInfo(), &C::FirstDayOfWeek, &C::SetCalFirstDayOfWeek,
                  gkdowLocaleDefault);
    p.Integer("Width", &C::Width, &C::SetWidth, 155);
    p.Integer("MaxSelectCount", &C::MaxSelectCount, &C::SetMaxSelectCount, 31);
    p.Float("MaxDate", &C::MaxDate, &C::SetMaxDate, 0.0);
    p.Float("MinDate", &C::MinDate, &C::SetMinDate, 0.0);
    p.Boolean("TabStop", &C::TabStop, &C::SetTabStop, true);
    p.Event("OnCalcBoldDay", &C::OnCalcBoldDay);
    p.Event("OnChange", &C::OnChange);
    p.Event("OnMouseDown", &C::OnCalMouseDown);
    p.Event("OnMouseUp", &C::OnCalMouseUp);
    p.Event("OnMouseMove", &C::OnCalMouseMove);
}

TgkMonthCalendar::TgkMonthCalendar(classes::TComponent* owner)
    : ui::TMonthCalendar(owner),
      calColors_(std::make_unique<TgkDateTimeColors>(this)),
      yearOptions_(std::make_unique<TgkPopupYearOptions>())
{
    value_ = rtl::Now();
    SetColor(rtl::clWindow);
    SetParentColor(false);
    SetTabStop(true);
    monthMenu_ = new TCalendarPopupMenu(this);
    for (int m = 0; m < 12; ++m) {
        auto* item = new ui::TMenuItem(monthMenu_);
        item->SetCaption(rtl::FormatSettings().LongMonthNames[static_cast<std::size_t>(m)]);
        item->OnClick = [this](classes::TObject* sender) { MonthItemClick(sender); };
        monthMenu_->Items()->Add(item);
    }
    ApplyState();
    SetWidth(155);
}

TgkMonthCalendar::~TgkMonthCalendar() = default;

void TgkMonthCalendar::ApplyState()
{
    SetControlRange(maxDate_, minDate_);
    unsigned style = 0;
    if (options_.Contains(mdoDayState)) style |= ui::MCS_DAYSTATE;
    if (options_.Contains(mdoMultiSelect)) style |= ui::MCS_MULTISELECT;
    if (options_.Contains(mdoWeekNumbers)) style |= ui::MCS_WEEKNUMBERS;
    if (options_.Contains(mdoNoTodayCircle)) style |= ui::MCS_NOTODAYCIRCLE;
    if (options_.Contains(mdoNoToday) && gkIsNewComCtl32()) style |= ui::MCS_NOTODAY;
    SetCalStyle(style);
    if (options_.Contains(mdoMultiSelect)) {
        SetMaxSelCount(maxSelectCount_);
        if (rangeStart_ != 0 && rangeEnd_ != 0)
            SetSelectionRange(rangeStart_, rangeEnd_);
        else
            SetCalendarDate(value_);
    } else {
        SetCalendarDate(value_);
    }
    for (int i = 0; i < 6; ++i) SetCalColor(i, calColors_->Color(i));
    ui::TMonthCalendar::SetFirstDayOfWeek(gkFirstDayIndex(firstDayOfWeek_));
    FitToMinimumSize();
}

void TgkMonthCalendar::Loaded()
{
    ui::TMonthCalendar::Loaded();
    ApplyState();
}

// ---- Value and bounds ------------------------------------------------------------------------

void TgkMonthCalendar::SetDate(rtl::TDateTime value)
{
    if (rtl::DateOf(value) == rtl::DateOf(value_)) return;
    const rtl::TDateTime candidate = rtl::ComposeDateTime(rtl::DateOf(value), rtl::TimeOf(value_));
    if (candidate == 0) {
        Invalidate();
        return;
    }
    if (maxDate_ != 0 && rtl::DateOf(candidate) > maxDate_) ExceedsMaximum(maxDate_);
    if (minDate_ != 0 && candidate < minDate_) BelowMinimum(minDate_);
    SetCalendarDate(candidate);
}

void TgkMonthCalendar::SetTime(rtl::TDateTime value)
{
    const rtl::TDateTime candidate = rtl::ComposeDateTime(rtl::DateOf(value_), rtl::TimeOf(value));
    if (candidate == 0) {
        Invalidate();
        return;
    }
    SetCalendarDate(candidate);
}

void TgkMonthCalendar::SetCalendarDate(rtl::TDateTime value)
{
    if (maxDate_ != 0 && rtl::DateOf(value) > maxDate_)
        value = maxDate_;
    else if (minDate_ != 0 && value < minDate_)
        value = minDate_;
    else if (minDate_ == 0 && value < 0)
        value = rtl::EncodeDate(1899, 12, 31);
    bool accepted = false;
    if (options_.Contains(mdoMultiSelect)) {
        rangeStart_ = rangeEnd_ = rtl::DateOf(value);
        accepted = SetSelRange(rangeStart_, rangeEnd_);
    } else {
        accepted = SetCurSel(value);
    }
    if (accepted) value_ = value;
}

void TgkMonthCalendar::SetMaxDate(rtl::TDateTime value)
{
    value = rtl::DateOf(value);
    if (value != 0 && minDate_ != 0 && value < minDate_) BelowMinimum(minDate_);
    if (value == maxDate_) return;
    SetControlRange(value, minDate_);
    maxDate_ = value;
}

void TgkMonthCalendar::SetMinDate(rtl::TDateTime value)
{
    value = rtl::DateOf(value);
    if (value != 0 && maxDate_ != 0 && value > maxDate_) ExceedsMaximum(maxDate_);
    if (value == minDate_) return;
    SetControlRange(maxDate_, value);
    minDate_ = value;
}

void TgkMonthCalendar::SetControlRange(rtl::TDateTime max, rtl::TDateTime min)
{
    unsigned flags = 0;
    if (min != 0) flags |= ui::GDTR_MIN;
    if (max != 0) flags |= ui::GDTR_MAX;
    // Without bounds nothing is sent, unless bounds set before must be taken back: a bound
    // once given to the control would otherwise stay there after it was cleared here.
    rtl::TDateTime oldMin = 0, oldMax = 0;
    if (flags == 0 && GetRange(oldMin, oldMax) == 0) return;
    SetRange(flags, min, max);
}

void TgkMonthCalendar::SetSelectionRange(rtl::TDateTime a, rtl::TDateTime b)
{
    if (!options_.Contains(mdoMultiSelect)) return;
    const rtl::TDateTime first = rtl::DateOf(std::min(a, b)), last = rtl::DateOf(std::max(a, b));
    // A range the control refuses (longer than MaxSelectCount, past a bound) is not shown, so
    // it is not kept either: the stored range is always the one on screen.
    if (!SetSelRange(first, last)) return;
    rangeStart_ = first;
    rangeEnd_ = last;
}

void TgkMonthCalendar::SetMaxSelectCount(int count)
{
    if (count == maxSelectCount_) return;
    maxSelectCount_ = count;
    SetMaxSelCount(count);
}

void TgkMonthCalendar::SetCalFirstDayOfWeek(TgkCalDayOfWeek day)
{
    firstDayOfWeek_ = day;
    ui::TMonthCalendar::SetFirstDayOfWeek(gkFirstDayIndex(day));
}

void TgkMonthCalendar::SetOptions(TgkMonthOptions options)
{
    if (options == options_) return;
    options_ = options;
    ApplyState();
}

void TgkMonthCalendar::SetCalBorderStyle(ui::TFormBorderStyle style)
{
    if (style == BorderStyle()) return;
    SetBorderStyle(style);
    FitToMinimumSize();
}

void TgkMonthCalendar::SetBounds(int left, int top, int width, int height)
{
    const ui::TRect min = GetMinReqRect();
    if (width != Width()) width = std::max(width, min.Width());
    if (height != Height()) height = std::max(height, min.Height());
    ui::TMonthCalendar::SetBounds(left, top, width, height);
}

void TgkMonthCalendar::FitToMinimumSize()
{
    const ui::TRect min = GetMinReqRect();
    ui::TMonthCalendar::SetBounds(Left(), Top(), std::max(Width(), min.Width()), std::max(Height(), min.Height()));
}

bool TgkMonthCalendar::OutsideBounds(int year, int month, int day) const
{
    if (year < 1 || year > 9999) return true;
    const rtl::TDateTime date = rtl::EncodeDate(year, month, ClipDay(year, month, day));
    return (minDate_ != 0 && date < minDate_) || (maxDate_ != 0 && date > maxDate_);
}

// ---- Notices from the control ----------------------------------------------------------------

void TgkMonthCalendar::Change() { OnChange(this); }

void TgkMonthCalendar::GetDayState(int year, int month, std::vector<std::uint32_t>& states)
{
    if (Loading() || !OnCalcBoldDay) return;
    const int count = std::min(static_cast<int>(states.size()), kMaxDayStateMonths);
    for (int i = 0; i < count; ++i) {
        const int index = year * 12 + (month - 1) + i;
        const int y = index / 12, m = index % 12 + 1;
        if (y < 1 || y > 9999) continue;
        for (int d = 1; d <= rtl::DaysInAMonth(y, m); ++d) {
            bool accept = false;
            OnCalcBoldDay(this, rtl::EncodeDate(y, m, d), m, d, y, accept);
            if (accept) states[static_cast<std::size_t>(i)] |= 1u << (d - 1);
        }
    }
}

void TgkMonthCalendar::SelChange(rtl::TDateTime first, rtl::TDateTime last)
{
    ui::TMonthCalendar::SelChange(first, last);
    if (first != rangeStart_ || last != rangeEnd_) {
        for (const rtl::TDateTime end : {first, last}) {
            if (maxDate_ != 0 && end > maxDate_) ExceedsMaximum(maxDate_);
            if (minDate_ != 0 && end < minDate_) BelowMinimum(minDate_);
        }
        if (options_.Contains(mdoMultiSelect)) changed_ = true;
        rangeStart_ = first;
        rangeEnd_ = last;
    }
    if (rangeStart_ == rangeEnd_ && rangeStart_ != rtl::DateOf(value_)) {
        SetDate(rangeStart_);
        Change();
    }
}

void TgkMonthCalendar::VisibleChanged()
{
    yearOpen_ = monthOpen_ = false;
    ui::TMonthCalendar::VisibleChanged();
}

bool TgkMonthCalendar::IsPopupMenuShowing() const
{
    return (yearMenu_ != nullptr && yearMenu_->InPopup()) || monthMenu_->InPopup();
}

void TgkMonthCalendar::FocusIfVisible()
{
    if (Visible() && CanFocus()) SetFocus();
}

// ---- Mouse -----------------------------------------------------------------------------------

void TgkMonthCalendar::Dispatch(ui::TMessage& m)
{
    using namespace ui;
    using ui::WM_LBUTTONUP;
    if (!grid::gkIsDesigning(this) && Visible()) {
        const int x = SignedLoWord(m.LParam), y = SignedHiWord(m.LParam);
        const TShiftState shift = ShiftOfMouseFlags(m.WParam);
        switch (m.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            yearWasShowing_ = yearOpen_;
            monthWasShowing_ = monthOpen_;
            const TMCHitTestInfo hit = HitTest({x, y});
            // The title's own navigation is replaced by ours.
            if (hit.Hit == MCHT_TITLEMONTH || hit.Hit == MCHT_TITLEYEAR || hit.Hit == MCHT_TITLEBTNNEXT ||
                hit.Hit == MCHT_TITLEBTNPREV) {
                MouseDown(mbLeft, shift, x, y);
                return;
            }
            if (hit.Year >= 10000) return;
            if (IsDayHit(hit) && OutsideBounds(hit.Year, hit.Month, hit.Day)) {
                MouseDown(mbLeft, shift, x, y);
                return;
            }
            break;
        }
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP: {
            const TMCHitTestInfo hit = HitTest({x, y});
            if (IsDayHit(hit) && OutsideBounds(hit.Year, hit.Month, hit.Day)) {
                if (m.Msg == WM_LBUTTONUP) MouseUp(mbLeft, shift, x, y);
                return;
            }
            break;
        }
        default: break;
        }
    }
    ui::TMonthCalendar::Dispatch(m);
    if (m.Msg == WM_LBUTTONUP && OnDatePick) {
        // A date (of this month or a neighbour's), neither the day names nor the week numbers.
        if (IsDayHit(HitTest({SignedLoWord(m.LParam), SignedHiWord(m.LParam)}))) OnDatePick(this);
    }
}

void TgkMonthCalendar::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    using namespace ui;
    if (button == mbRight) {
        const TMCHitTestInfo hit = HitTest({x, y});
        OnCalMouseDown(this, button, shift, x, y, hit.Month, IsDayHit(hit) ? hit.Day : 0, hit.Year);
        TMonthCalendar::MouseDown(button, shift, x, y);
        return;
    }
    if (!grid::gkIsClass(Owner(), "TgkDBCustomDateTimePicker")) FocusIfVisible();
    const TMCHitTestInfo hit = HitTest({x, y});
    OnCalMouseDown(this, button, shift, x, y, hit.Month, IsDayHit(hit) ? hit.Day : 0, hit.Year);

    if (IsDayHit(hit)) {
        yearOpen_ = monthOpen_ = false;
        if (hit.Year < 1 || hit.Year > 9999) return;
        const rtl::TDateTime day = rtl::EncodeDate(hit.Year, hit.Month, ClipDay(hit.Year, hit.Month, hit.Day));
        if (maxDate_ != 0 && day > maxDate_)
            SetDate(maxDate_);
        else if (minDate_ != 0 && day < minDate_)
            SetDate(minDate_);
        return;
    }
    if (hit.Hit == MCHT_TITLEBTNNEXT || hit.Hit == MCHT_TITLEBTNPREV) {
        yearOpen_ = monthOpen_ = false;
        StepByButton(hit.Hit == MCHT_TITLEBTNNEXT);
        return;
    }
    if (hit.Hit == MCHT_TITLEYEAR) {
        ShowYearPopup(hit);
        return;
    }
    if (hit.Hit == MCHT_TITLEMONTH) ShowMonthPopup(hit);
}

void TgkMonthCalendar::StepByButton(bool forward)
{
    const int step = forward ? GetMonthDelta() : -GetMonthDelta();
    int vy = 0, vm = 0, vd = 0;
    Decode(value_, vy, vm, vd);
    const int index = vy * 12 + (vm - 1) + step;
    const int ty = index / 12, tm = index % 12 + 1;
    if (forward) {
        if (ty > 9999) {
            if (maxDate_ != 0) SetDate(maxDate_);
            ui::Beep();
        } else {
            const rtl::TDateTime target = rtl::EncodeDate(ty, tm, ClipDay(ty, tm, vd));
            if (maxDate_ != 0 && target > maxDate_) {
                SetDate(maxDate_);
                ui::Beep();
            } else {
                SetDate(target);
            }
        }
    } else {
        const rtl::TDateTime target = ty >= 1 ? rtl::EncodeDate(ty, tm, ClipDay(ty, tm, vd)) : 0;
        if (ty < 1 || (minDate_ != 0 && target < minDate_)) {
            if (minDate_ != 0) SetDate(minDate_);
            ui::Beep();
        } else {
            SetDate(target);
        }
    }
    Change();
}

void TgkMonthCalendar::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    const ui::TMCHitTestInfo hit = HitTest({x, y});
    OnCalMouseUp(this, button, shift, x, y, hit.Month, IsDayHit(hit) ? hit.Day : 0, hit.Year);
    if (options_.Contains(mdoMultiSelect) && changed_) Change();
    changed_ = false;
}

void TgkMonthCalendar::MouseMove(ui::TShiftState shift, int x, int y)
{
    const ui::TMCHitTestInfo hit = HitTest({x, y});
    OnCalMouseMove(this, shift, x, y, hit.Month, IsDayHit(hit) ? hit.Day : 0, hit.Year);
}

ui::TPoint TgkMonthCalendar::ProbeTitle(ui::TPoint p, int dx)
{
    // Down to the title text's last row, then sideways to its last column; bounded by the
    // control's size so that a layout without an end cannot hold us.
    const ui::TMCHitTestInfo start = HitTest(p);
    for (int i = 0; i < Height() && HitTest({p.X, p.Y + 1}).Hit == start.Hit; ++i) ++p.Y;
    for (int i = 0; i < Width() && HitTest({p.X + dx, p.Y}).Hit == start.Hit; ++i) p.X += dx;
    return p;
}

void TgkMonthCalendar::ShowYearPopup(const ui::TMCHitTestInfo& hit)
{
    monthOpen_ = false;
    if ((yearWasShowing_ || yearOpen_) && hit.Month == titleMonth_) {
        yearOpen_ = false;  // the click closes the menu
        return;
    }
    titleMonth_ = hit.Month;
    const ui::TPoint corner = ProbeTitle(hit.Pt, -1);
    if (yearMenu_ == nullptr) yearMenu_ = new TCalendarPopupMenu(this);
    yearMenu_->Items()->Clear();
    const TgkPopupYearOptions& o = *yearOptions_;
    const std::string& editLabel = grid::gkIntlDefault().MonthCalendar.PopupYearLabel;
    const bool editEntry = o.ShowEditYear();
    if (editEntry) {
        auto* item = new ui::TMenuItem(yearMenu_);
        item->SetCaption(editLabel);
        item->SetName("EditYear");
        item->OnClick = [this](classes::TObject* sender) { YearItemClick(sender); };
        yearMenu_->Items()->Add(item);
        auto* line = new ui::TMenuItem(yearMenu_);
        line->SetCaption("-");
        yearMenu_->Items()->Add(line);
    }
    int vy = 0, vm = 0, vd = 0;
    Decode(value_, vy, vm, vd);
    const int count = std::max(0, o.YearsPerColumn() * o.NumberColumns());
    for (int i = 0; i < count; ++i) {
        const int year = o.StartYear() + i;
        auto* item = new ui::TMenuItem(yearMenu_);
        item->SetCaption(std::to_string(year));
        item->OnClick = [this](classes::TObject* sender) { YearItemClick(sender); };
        item->SetChecked(year == hit.Year);
        item->SetEnabled(!OutsideBounds(year, hit.Month, vd));
        const bool columnStart = o.YearsPerColumn() > 0 && i != 0 && i % o.YearsPerColumn() == 0;
        if (columnStart || (i == 0 && editEntry && o.YearsPerColumn() != 1)) item->SetBreak(ui::mbBarBreak);
        yearMenu_->Items()->Add(item);
    }
    int x = corner.X;
    if (editEntry && o.YearsPerColumn() != 1) {
        ui::TCanvas measure;
        if (ui::TCustomForm* form = ui::GetParentForm(this)) measure.SetFont(*form->Font());
        x -= measure.TextWidth(editLabel) + 45 * ui::ScreenPixelsPerInch() / 96;
    }
    const ui::TPoint at = ClientToScreen({x, corner.Y + 1});
    hitYear_ = hit.Year;
    hitMonth_ = hit.Month;
    hitDay_ = vd;
    titleIndex_ = (hit.Year * 12 + hit.Month - 1) - (FirstYear() * 12 + FirstMonth() - 1);
    yearOpen_ = false;
    chosen_ = false;
    yearMenu_->Popup(at.X, at.Y);
    // Open until the next click, unless an item was chosen while the menu was up.
    yearOpen_ = !chosen_;
}

void TgkMonthCalendar::ShowMonthPopup(const ui::TMCHitTestInfo& hit)
{
    yearOpen_ = false;
    if ((monthWasShowing_ || monthOpen_) && hit.Month == titleMonth_) {
        monthOpen_ = false;
        return;
    }
    titleMonth_ = hit.Month;
    const ui::TPoint corner = ProbeTitle(hit.Pt, 1);
    int vy = 0, vm = 0, vd = 0;
    Decode(value_, vy, vm, vd);
    for (int i = 0; i < monthMenu_->Items()->Count(); ++i) {
        ui::TMenuItem* item = monthMenu_->Items()->Items(i);
        item->SetChecked(i + 1 == hit.Month);
        item->SetEnabled(true);
        if (OutsideBounds(hit.Year, i + 1, vd)) item->SetEnabled(false);
    }
    const ui::TPoint at = ClientToScreen({corner.X - 1, corner.Y + 1});
    hitYear_ = hit.Year;
    hitMonth_ = hit.Month;
    hitDay_ = vd;
    titleIndex_ = (hit.Year * 12 + hit.Month - 1) - (FirstYear() * 12 + FirstMonth() - 1);
    monthOpen_ = false;
    chosen_ = false;
    monthMenu_->Popup(at.X, at.Y);
    monthOpen_ = !chosen_;
}

void TgkMonthCalendar::MoveTitleTo(int year, int month)
{
    const int first = year * 12 + (month - 1) - titleIndex_;
    SetFirstVisible(first / 12, first % 12 + 1);
}

void TgkMonthCalendar::MonthItemClick(classes::TObject* sender)
{
    yearOpen_ = monthOpen_ = false;
    chosen_ = true;
    const auto* item = dynamic_cast<ui::TMenuItem*>(sender);
    if (item == nullptr) return;
    const auto& names = rtl::FormatSettings().LongMonthNames;
    const auto it = std::find(names.begin(), names.end(), item->Caption());
    if (it == names.end()) return;
    const int chosen = static_cast<int>(it - names.begin()) + 1;
    if (chosen == hitMonth_ || hitYear_ < 1 || hitYear_ > 9999) return;
    MoveTitleTo(hitYear_, chosen);
    SetCalendarDate(rtl::ComposeDateTime(rtl::EncodeDate(hitYear_, chosen, ClipDay(hitYear_, chosen, hitDay_)),
                                         rtl::TimeOf(value_)));
    Change();
}

void TgkMonthCalendar::YearItemClick(classes::TObject* sender)
{
    yearOpen_ = monthOpen_ = false;
    chosen_ = true;
    const auto* item = dynamic_cast<ui::TMenuItem*>(sender);
    if (item == nullptr) return;
    int year = 0;
    if (item->Name() == "EditYear") {
        int minYear = 0, maxYear = 0;
        YearBounds(minYear, maxYear);
        if (!AskYear(minYear, maxYear, year)) return;
    } else if (!rtl::TryStrToInt(item->Caption(), year)) {
        return;
    }
    if (year == hitYear_ || year < 1 || year > 9999) return;
    MoveTitleTo(year, hitMonth_);
    SetCalendarDate(
        rtl::ComposeDateTime(rtl::EncodeDate(year, hitMonth_, ClipDay(year, hitMonth_, hitDay_)), rtl::TimeOf(value_)));
    Change();
}

void TgkMonthCalendar::YearBounds(int& minYear, int& maxYear) const
{
    minYear = maxYear = 0;
    int y = 0, m = 0, d = 0;
    if (maxDate_ != 0) {
        Decode(maxDate_, y, m, d);
        maxYear = MonthDay(maxDate_) < MonthDay(value_) ? y - 1 : y;
    }
    if (minDate_ != 0) {
        Decode(minDate_, y, m, d);
        minYear = MonthDay(value_) < MonthDay(minDate_) ? y + 1 : y;
    }
}

bool TgkMonthCalendar::AskYear(int minYear, int maxYear, int& year) const
{
    std::string caption = grid::gkIntlDefault().MonthCalendar.EnterYearPrompt;
    if (maxYear != 0 && minYear == 0) caption += " (<=" + std::to_string(maxYear) + ")";
    if (minYear != 0 && maxYear == 0) caption += " (>=" + std::to_string(minYear) + ")";
    if (minYear != 0 && maxYear != 0) caption += " (" + std::to_string(minYear) + "-" + std::to_string(maxYear) + ")";
    const std::string prompt = minYear == 0 && maxYear == 0 ? " " : "Enter New Year:";
    // Years the calendar can show at all (1 to 9999) bound the answer as well.
    const int lo = std::max(minYear, 1), hi = maxYear != 0 ? std::min(maxYear, 9999) : 9999;
    std::string text = std::to_string(hitYear_);
    for (;;) {
        if (!ui::InputQuery(caption, prompt, text)) return false;
        int entered = 0;
        if (rtl::TryStrToInt(rtl::Trim(text), entered) && entered >= lo && entered <= hi) {
            year = entered;
            return true;
        }
        text = rtl::TryStrToInt(rtl::Trim(text), entered) ? std::to_string(std::clamp(entered, lo, hi))
                                                            : std::to_string(hitYear_);
    }
}

// ---- Keys ------------------------------------------------------------------------------------

bool TgkMonthCalendar::WantsKey(ui::TKey key) const
{
    return IsNavigationKey(key) || TMonthCalendar::WantsKey(key);
}

void TgkMonthCalendar::KeyDown(ui::TKey& key, ui::TShiftState shift)
{
    using namespace ui;
    TMonthCalendar::KeyDown(key, shift);
    if (grid::gkIsDesigning(this) || !IsNavigationKey(key)) return;
    if (shift.Contains(ssAlt) && !(grid::gkIsInGrid(this) && key != VK_PRIOR && key != VK_NEXT)) return;
    rtl::TDateTime current = GetCurSel();
    if (options_.Contains(mdoMultiSelect)) {
        rtl::TDateTime first = 0, last = 0;
        GetSelRange(first, last);
        current = first;
        if (((key == VK_PRIOR || key == VK_NEXT) && last - first > 0) || MoveRangeEnd(key, shift)) {
            key = 0;
            return;
        }
    }
    if (const std::optional<rtl::TDateTime> target = KeyTarget(key, current)) SetDate(*target);
    Change();
    key = 0;
}

bool TgkMonthCalendar::MoveRangeEnd(ui::TKey key, ui::TShiftState shift)
{
    using namespace ui;
    if (!shift.Contains(ssShift) || key == VK_PRIOR || key == VK_NEXT) return false;
    // The value stays the anchor; the other end of the range moves.
    const int step = key == VK_LEFT ? -1 : key == VK_RIGHT ? 1 : key == VK_UP ? -7 : 7;
    const rtl::TDateTime anchor = rtl::DateOf(value_);
    if (rangeEnd_ > anchor)
        SetSelectionRange(anchor, rangeEnd_ + step);
    else
        SetSelectionRange(rangeStart_ + step, anchor);
    Change();
    return true;
}

std::optional<rtl::TDateTime> TgkMonthCalendar::KeyTarget(ui::TKey key, rtl::TDateTime current) const
{
    using namespace ui;
    const auto bound = [](rtl::TDateTime b) { return b != 0 ? std::optional<rtl::TDateTime>(b) : std::nullopt; };
    int y = 0, m = 0, d = 0;
    Decode(current, y, m, d);
    switch (key) {
    case VK_PRIOR: {
        const int ny = m == 1 ? y - 1 : y, nm = m == 1 ? 12 : m - 1;
        if (ny < 1) return bound(minDate_);
        const rtl::TDateTime target = rtl::EncodeDate(ny, nm, ClipDay(ny, nm, d));
        return minDate_ != 0 && target <= minDate_ ? bound(minDate_) : target;
    }
    case VK_NEXT: {
        const int ny = m == 12 ? y + 1 : y, nm = m == 12 ? 1 : m + 1;
        if (ny > 9999) return bound(maxDate_);
        const rtl::TDateTime target = rtl::EncodeDate(ny, nm, ClipDay(ny, nm, d));
        return maxDate_ != 0 && target >= maxDate_ ? maxDate_ : target;
    }
    case VK_LEFT: return current != minDate_ ? std::optional(current - 1) : std::nullopt;
    case VK_RIGHT: return current != maxDate_ ? std::optional(current + 1) : std::nullopt;
    case VK_UP: return minDate_ == 0 || minDate_ <= current - 7 ? std::optional(current - 7) : std::nullopt;
    default: return maxDate_ == 0 || maxDate_ >= current + 7 ? std::optional(current + 7) : std::nullopt;
    }
}

void RegisterMonthCalendarClasses()
{
    static const bool done = [] {
        classes::RegisterClasses<TgkMonthCalendar>();
        return true;
    }();
    (void)done;
}

}  // namespace editctrls
