#include "platform/ui/MonthCalendar.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Formatting.h"

namespace ui {

namespace {

// Month numbers counted from January of year 0, so that months add and compare as integers.
int MonthIndex(int year, int month) { return year * 12 + (month - 1); }
void FromMonthIndex(int index, int& year, int& month)
{
    year = index / 12;
    month = index % 12 + 1;
}

constexpr int kFirstMonthIndex = 1 * 12;        // January of year 1
constexpr int kLastMonthIndex = 9999 * 12 + 11;  // December 9999

bool ValidDay(rtl::TDateTime day) { return day >= rtl::MinDateTime && day <= rtl::DateOf(rtl::MaxDateTime); }

void Decode(rtl::TDateTime day, int& y, int& m, int& d) { rtl::DecodeDate(day, y, m, d); }

// The first `count` characters of a UTF-8 text.
std::string FirstChars(const std::string& s, int count)
{
    std::size_t i = 0;
    for (int n = 0; i < s.size() && n < count; ++n) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
    }
    return s.substr(0, i);
}

// The short name of a weekday counted from Monday = 0.
std::string DayName(int mondayBased)
{
    return FirstChars(rtl::FormatSettings().ShortDayNames[static_cast<std::size_t>((mondayBased + 1) % 7)], 2);
}

}  // namespace

int WeekdayColumn(rtl::TDateTime date, int firstDay)
{
    const int mondayBased = (rtl::DayOfWeek(date) + 5) % 7;  // DayOfWeek: 1 = Sunday
    return (mondayBased - firstDay + 7) % 7;
}

int IsoWeekNumber(rtl::TDateTime date)
{
    // The Thursday of the date's week decides the year; the week number counts Thursdays.
    const rtl::TDateTime thursday = rtl::DateOf(date) - WeekdayColumn(date, 0) + 3;
    int y = 0, m = 0, d = 0;
    Decode(thursday, y, m, d);
    return static_cast<int>((thursday - rtl::EncodeDate(y, 1, 1)) / 7) + 1;
}

GW_IMPLEMENT_CLASS(TMonthCalendar, TCustomControl) {}

TMonthCalendar::TMonthCalendar(classes::TComponent* owner) : TCustomControl(owner)
{
    colors_ = {rtl::clWindow, rtl::clWindowText, rtl::clActiveCaption, rtl::clCaptionText, rtl::clWindow, rtl::clGrayText};
    firstDay_ = std::clamp(rtl::FormatSettings().FirstDayOfWeek, 0, 6);
    SetTabStop(true);
    SetColor(rtl::clWindow);
    selStart_ = selEnd_ = anchor_ = GetToday();
    int y = 0, m = 0, d = 0;
    Decode(selStart_, y, m, d);
    firstYear_ = y;
    firstMonth_ = m;
    const TRect r = GetMinReqRect();
    TCustomControl::SetBounds(0, 0, r.Width(), r.Height());
}

// ---- Style, selection, bounds ------------------------------------------------------------------

void TMonthCalendar::SetCalStyle(unsigned style)
{
    if (style == style_) return;
    const bool wasMulti = (style_ & MCS_MULTISELECT) != 0;
    style_ = style;
    if (wasMulti && !(style_ & MCS_MULTISELECT)) selEnd_ = selStart_;
    InvalidateLayout();
    DisplayChanged();
}

bool TMonthCalendar::SetCurSel(rtl::TDateTime date)
{
    const rtl::TDateTime day = rtl::DateOf(date);
    if ((style_ & MCS_MULTISELECT) || !ValidDay(day) || !InRange(day)) return false;
    selStart_ = selEnd_ = anchor_ = day;
    ShowDate(day);
    Invalidate();
    return true;
}

bool TMonthCalendar::GetSelRange(rtl::TDateTime& first, rtl::TDateTime& last) const
{
    if (!(style_ & MCS_MULTISELECT)) return false;
    first = selStart_;
    last = selEnd_;
    return true;
}

bool TMonthCalendar::SetSelRange(rtl::TDateTime first, rtl::TDateTime last)
{
    rtl::TDateTime a = rtl::DateOf(first), b = rtl::DateOf(last);
    if (a > b) std::swap(a, b);
    if (!(style_ & MCS_MULTISELECT) || !ValidDay(a) || !ValidDay(b) || !InRange(a) || !InRange(b)) return false;
    if (b - a + 1 > maxSelCount_) return false;
    selStart_ = anchor_ = a;
    selEnd_ = b;
    ShowDate(a);
    Invalidate();
    return true;
}

bool TMonthCalendar::SetMaxSelCount(int count)
{
    if (count < 1) return false;
    maxSelCount_ = count;
    return true;
}

unsigned TMonthCalendar::GetRange(rtl::TDateTime& min, rtl::TDateTime& max) const
{
    min = (rangeFlags_ & GDTR_MIN) ? min_ : 0;
    max = (rangeFlags_ & GDTR_MAX) ? max_ : 0;
    return rangeFlags_;
}

bool TMonthCalendar::SetRange(unsigned flags, rtl::TDateTime min, rtl::TDateTime max)
{
    flags &= GDTR_MIN | GDTR_MAX;
    const rtl::TDateTime lo = rtl::DateOf(min), hi = rtl::DateOf(max);
    if ((flags & GDTR_MIN) && !ValidDay(lo)) return false;
    if ((flags & GDTR_MAX) && !ValidDay(hi)) return false;
    if ((flags & GDTR_MIN) && (flags & GDTR_MAX) && lo > hi) return false;
    rangeFlags_ = flags;
    min_ = (flags & GDTR_MIN) ? lo : 0;
    max_ = (flags & GDTR_MAX) ? hi : 0;
    // The selection never lies outside the bounds.
    const rtl::TDateTime start = ClampToRange(selStart_), end = ClampToRange(selEnd_);
    if (start != selStart_ || end != selEnd_) {
        selStart_ = anchor_ = start;
        selEnd_ = end;
        ShowDate(selStart_);
    }
    Invalidate();
    return true;
}

bool TMonthCalendar::InRange(rtl::TDateTime date) const
{
    const rtl::TDateTime day = rtl::DateOf(date);
    if ((rangeFlags_ & GDTR_MIN) && day < min_) return false;
    if ((rangeFlags_ & GDTR_MAX) && day > max_) return false;
    return true;
}

rtl::TDateTime TMonthCalendar::ClampToRange(rtl::TDateTime date) const
{
    if ((rangeFlags_ & GDTR_MIN) && date < min_) return min_;
    if ((rangeFlags_ & GDTR_MAX) && date > max_) return max_;
    return date;
}

// ---- Colours, week, today -------------------------------------------------------------------

rtl::TColor TMonthCalendar::GetCalColor(int index) const
{
    if (index < 0 || index >= static_cast<int>(colors_.size())) return rtl::clNone;
    return colors_[static_cast<std::size_t>(index)];
}

rtl::TColor TMonthCalendar::SetCalColor(int index, rtl::TColor color)
{
    if (index < 0 || index >= static_cast<int>(colors_.size())) return rtl::clNone;
    const rtl::TColor old = colors_[static_cast<std::size_t>(index)];
    colors_[static_cast<std::size_t>(index)] = color;
    if (old != color) Invalidate();
    return old;
}

int TMonthCalendar::SetFirstDayOfWeek(int day)
{
    const int old = firstDay_;
    if (day < 0 || day > 6 || day == firstDay_) return old;
    firstDay_ = day;
    Invalidate();
    return old;
}

rtl::TDateTime TMonthCalendar::GetToday() const { return today_ != 0 ? today_ : rtl::DateOf(rtl::Date()); }

void TMonthCalendar::SetToday(rtl::TDateTime date)
{
    today_ = rtl::DateOf(date);
    Invalidate();
}

// ---- Layout ----------------------------------------------------------------------------------

void TMonthCalendar::InvalidateLayout() { layoutValid_ = false; }

const TMonthCalendar::TLayout& TMonthCalendar::Layout()
{
    if (layoutValid_) return layout_;
    IFontMeasure& measure = MeasureFont(*Font());
    const int h = std::max(measure.Metrics().Height, 8);
    int widest = measure.TextWidth("00");
    for (int d = 0; d < 7; ++d) widest = std::max(widest, measure.TextWidth(DayName(d)));
    TLayout& L = layout_;
    L.margin = 4;
    L.cellW = widest + 4;
    L.cellH = h + 2;
    L.titleH = h + 8;
    L.dayNamesH = L.cellH + 2;
    L.weekW = (style_ & MCS_WEEKNUMBERS) ? L.cellW : 0;
    L.monthW = 2 * L.margin + L.weekW + 7 * L.cellW;
    L.monthH = L.titleH + L.dayNamesH + 6 * L.cellH + L.margin;
    L.todayH = (style_ & MCS_NOTODAY) ? 0 : L.cellH + 4;
    const TRect client = ClientRect();
    L.cols = std::clamp(client.Width() / L.monthW, 1, kMaxMonths);
    L.rows = std::clamp((client.Height() - L.todayH) / L.monthH, 1, kMaxMonths);
    while (L.cols * L.rows > kMaxMonths) --L.rows;
    L.originX = std::max(0, (client.Width() - L.cols * L.monthW) / 2);
    L.originY = std::max(0, (client.Height() - L.todayH - L.rows * L.monthH) / 2);
    layoutValid_ = true;
    return layout_;
}

TRect TMonthCalendar::GetMinReqRect()
{
    const TLayout& L = Layout();
    const int border = BorderStyle() == bsSingle ? 2 * kBorderWidth : 0;
    return {0, 0, L.monthW + border, L.monthH + L.todayH + border};
}

void TMonthCalendar::SetBounds(int left, int top, int width, int height)
{
    const bool sized = width != Width() || height != Height();
    TCustomControl::SetBounds(left, top, width, height);
    if (!sized) return;
    const int before = layoutValid_ ? layout_.cols * layout_.rows : -1;
    InvalidateLayout();
    if (VisibleMonthCount() != before) DisplayChanged();
}

void TMonthCalendar::FontChanged()
{
    TCustomControl::FontChanged();
    InvalidateLayout();
    DisplayChanged();
}

int TMonthCalendar::VisibleMonthCount()
{
    const TLayout& L = Layout();
    return L.cols * L.rows;
}

int TMonthCalendar::GetMonthDelta() { return monthDelta_ > 0 ? monthDelta_ : VisibleMonthCount(); }

int TMonthCalendar::SetMonthDelta(int delta)
{
    const int old = monthDelta_;
    monthDelta_ = std::max(0, delta);
    return old;
}

void TMonthCalendar::MonthAt(int index, int& year, int& month) const
{
    FromMonthIndex(MonthIndex(firstYear_, firstMonth_) + index, year, month);
}

int TMonthCalendar::GridOffset(int year, int month) const
{
    return WeekdayColumn(rtl::EncodeDate(year, month, 1), firstDay_);
}

void TMonthCalendar::SetFirstVisible(int year, int month)
{
    const int n = VisibleMonthCount();
    const int index = std::clamp(MonthIndex(year, month), kFirstMonthIndex, kLastMonthIndex - (n - 1));
    int y = 0, m = 0;
    FromMonthIndex(index, y, m);
    if (y == firstYear_ && m == firstMonth_) return;
    firstYear_ = y;
    firstMonth_ = m;
    DisplayChanged();
}

void TMonthCalendar::ScrollMonths(int delta)
{
    int y = 0, m = 0;
    FromMonthIndex(MonthIndex(firstYear_, firstMonth_) + delta, y, m);
    SetFirstVisible(y, m);
}

void TMonthCalendar::ShowDate(rtl::TDateTime date)
{
    int y = 0, m = 0, d = 0;
    Decode(date, y, m, d);
    const int index = MonthIndex(y, m);
    const int first = MonthIndex(firstYear_, firstMonth_);
    const int n = VisibleMonthCount();
    if (index < first)
        SetFirstVisible(y, m);
    else if (index >= first + n)
        ScrollMonths(index - (first + n - 1));
}

void TMonthCalendar::DisplayChanged()
{
    dayStateDirty_ = true;
    Invalidate();
}

int TMonthCalendar::GetMonthRange(TMonthRangeKind kind, rtl::TDateTime& first, rtl::TDateTime& last)
{
    const int n = VisibleMonthCount();
    int firstIndex = MonthIndex(firstYear_, firstMonth_);
    int lastIndex = firstIndex + n - 1;
    if (kind == gmrDayState) {
        firstIndex = std::max(firstIndex - 1, kFirstMonthIndex);
        lastIndex = std::min(lastIndex + 1, kLastMonthIndex);
    }
    int y = 0, m = 0;
    FromMonthIndex(firstIndex, y, m);
    first = rtl::EncodeDate(y, m, 1);
    FromMonthIndex(lastIndex, y, m);
    last = rtl::EncodeDate(y, m, rtl::DaysInAMonth(y, m));
    return lastIndex - firstIndex + 1;
}

// ---- Bold days -------------------------------------------------------------------------------

void TMonthCalendar::EnsureDayState()
{
    if (!dayStateDirty_) return;
    dayStateDirty_ = false;
    rtl::TDateTime first = 0, last = 0;
    const int count = GetMonthRange(gmrDayState, first, last);
    int y = 0, m = 0, d = 0;
    Decode(first, y, m, d);
    dayStateYear_ = y;
    dayStateMonth_ = m;
    dayStates_.assign(static_cast<std::size_t>(count), 0);
    if (style_ & MCS_DAYSTATE) GetDayState(y, m, dayStates_);
    dayStates_.resize(static_cast<std::size_t>(count), 0);
}

void TMonthCalendar::SetDayState(const std::vector<std::uint32_t>& states)
{
    EnsureDayState();
    const std::size_t n = dayStates_.size();
    dayStates_ = states;
    dayStates_.resize(n, 0);
    Invalidate();
}

bool TMonthCalendar::IsBoldDay(int year, int month, int day)
{
    EnsureDayState();
    if (day < 1 || day > 31) return false;
    const int i = MonthIndex(year, month) - MonthIndex(dayStateYear_, dayStateMonth_);
    if (i < 0 || i >= static_cast<int>(dayStates_.size())) return false;
    return (dayStates_[static_cast<std::size_t>(i)] >> (day - 1)) & 1u;
}

void TMonthCalendar::GetDayState(int year, int month, std::vector<std::uint32_t>& states)
{
    OnGetDayState(this, year, month, states);
}

void TMonthCalendar::SelChange(rtl::TDateTime, rtl::TDateTime) { OnSelChange(this); }

void TMonthCalendar::Select(rtl::TDateTime, rtl::TDateTime) { OnSelect(this); }

// ---- Geometry --------------------------------------------------------------------------------

TRect TMonthCalendar::MonthRect(int index)
{
    const TLayout& L = Layout();
    const int col = index % L.cols, row = index / L.cols;
    return Bounds(L.originX + col * L.monthW, L.originY + row * L.monthH, L.monthW, L.monthH);
}

TRect TMonthCalendar::TitleRect(int index)
{
    const TLayout& L = Layout();
    const TRect r = MonthRect(index);
    return {r.Left + L.margin / 2, r.Top + 2, r.Right - L.margin / 2, r.Top + L.titleH};
}

TRect TMonthCalendar::PrevButtonRect()
{
    const TRect t = TitleRect(0);
    const int side = t.Height() - 4;
    return Bounds(t.Left + 2, t.Top + 2, side, side);
}

TRect TMonthCalendar::NextButtonRect()
{
    const TRect t = TitleRect(Layout().cols - 1);
    const int side = t.Height() - 4;
    return Bounds(t.Right - 2 - side, t.Top + 2, side, side);
}

TRect TMonthCalendar::TodayRect()
{
    const TLayout& L = Layout();
    if (L.todayH == 0) return {};
    const int top = L.originY + L.rows * L.monthH;
    return {L.originX + L.margin, top, L.originX + L.cols * L.monthW - L.margin, top + L.todayH};
}

TRect TMonthCalendar::DayRect(rtl::TDateTime date)
{
    const rtl::TDateTime day = rtl::DateOf(date);
    const int n = VisibleMonthCount();
    const TLayout& L = Layout();
    for (int i = 0; i < n; ++i) {
        int y = 0, m = 0;
        MonthAt(i, y, m);
        const rtl::TDateTime firstCell = rtl::EncodeDate(y, m, 1) - GridOffset(y, m);
        const int k = static_cast<int>(day - firstCell);
        if (k < 0 || k >= 42) continue;
        int dy = 0, dm = 0, dd = 0;
        Decode(day, dy, dm, dd);
        const bool own = dy == y && dm == m;
        const bool before = MonthIndex(dy, dm) < MonthIndex(y, m);
        if (!own && !((before && i == 0) || (!before && i == n - 1))) continue;
        const TRect r = MonthRect(i);
        const int x0 = r.Left + L.margin + L.weekW, y0 = r.Top + L.titleH + L.dayNamesH;
        return Bounds(x0 + (k % 7) * L.cellW, y0 + (k / 7) * L.cellH, L.cellW, L.cellH);
    }
    return {};
}

TMCHitTestInfo TMonthCalendar::HitTest(TPoint p)
{
    TMCHitTestInfo info;
    info.Pt = p;
    if (!ClientRect().Contains(p)) return info;
    const TLayout& L = Layout();
    const int n = VisibleMonthCount();
    for (int i = 0; i < n; ++i) {
        const TRect r = MonthRect(i);
        if (!r.Contains(p)) continue;
        int y = 0, m = 0;
        MonthAt(i, y, m);
        info.Year = y;
        info.Month = m;
        const TRect title = TitleRect(i);
        if (p.Y < title.Bottom) {
            if (i == 0 && PrevButtonRect().Contains(p)) {
                info.Hit = MCHT_TITLEBTNPREV;
                return info;
            }
            if (i == L.cols - 1 && NextButtonRect().Contains(p)) {
                info.Hit = MCHT_TITLEBTNNEXT;
                return info;
            }
            IFontMeasure& measure = MeasureFont(*Font());
            const std::string monthText = rtl::FormatSettings().LongMonthNames[static_cast<std::size_t>(m - 1)];
            const int mw = measure.TextWidth(monthText), sw = measure.TextWidth(" "),
                      yw = measure.TextWidth(std::to_string(y));
            const int x = (title.Left + title.Right - (mw + sw + yw)) / 2;
            info.Hit = MCHT_TITLEBK;
            if (p.Y >= title.Top + 2 && p.Y < title.Bottom - 2) {
                if (p.X >= x && p.X < x + mw)
                    info.Hit = MCHT_TITLEMONTH;
                else if (p.X >= x + mw + sw && p.X < x + mw + sw + yw)
                    info.Hit = MCHT_TITLEYEAR;
            }
            return info;
        }
        const int namesTop = r.Top + L.titleH, gridTop = namesTop + L.dayNamesH;
        const int x0 = r.Left + L.margin + L.weekW;
        if (p.Y < gridTop) {
            info.Hit = p.X >= x0 && p.X < x0 + 7 * L.cellW ? MCHT_CALENDARDAY : MCHT_CALENDARBK;
            return info;
        }
        const int row = (p.Y - gridTop) / L.cellH;
        if (row >= 6) {
            info.Hit = MCHT_CALENDARBK;
            return info;
        }
        if (L.weekW > 0 && p.X >= r.Left + L.margin && p.X < x0) {
            info.Hit = MCHT_CALENDARWEEKNUM;
            return info;
        }
        if (p.X < x0 || p.X >= x0 + 7 * L.cellW) {
            info.Hit = MCHT_CALENDARBK;
            return info;
        }
        const int day = row * 7 + (p.X - x0) / L.cellW - GridOffset(y, m) + 1;
        const int dim = rtl::DaysInAMonth(y, m);
        if (day >= 1 && day <= dim) {
            info.Hit = MCHT_CALENDARDATE;
            info.Day = day;
        } else if (day < 1 && i == 0) {
            info.Hit = MCHT_CALENDARDATEPREV;
            FromMonthIndex(MonthIndex(y, m) - 1, info.Year, info.Month);
            info.Day = (info.Year >= 1 ? rtl::DaysInAMonth(info.Year, info.Month) : 31) + day;
        } else if (day > dim && i == n - 1) {
            info.Hit = MCHT_CALENDARDATENEXT;
            FromMonthIndex(MonthIndex(y, m) + 1, info.Year, info.Month);
            info.Day = day - dim;
        } else {
            info.Hit = MCHT_CALENDARBK;
        }
        return info;
    }
    if (TodayRect().Contains(p)) {
        info.Hit = MCHT_TODAYLINK;
        Decode(GetToday(), info.Year, info.Month, info.Day);
    }
    return info;
}

// ---- Input -----------------------------------------------------------------------------------

void TMonthCalendar::UserSelect(rtl::TDateTime first, rtl::TDateTime last, bool selectNotice)
{
    selStart_ = first;
    selEnd_ = last;
    ShowDate(first);
    Invalidate();
    SelChange(first, last);
    if (selectNotice) Select(selStart_, selEnd_);
}

void TMonthCalendar::PressAt(TPoint p)
{
    const TMCHitTestInfo hit = HitTest(p);
    switch (hit.Hit) {
    case MCHT_TITLEBTNPREV: ScrollMonths(-GetMonthDelta()); return;
    case MCHT_TITLEBTNNEXT: ScrollMonths(GetMonthDelta()); return;
    case MCHT_TODAYLINK: {
        const rtl::TDateTime today = GetToday();
        if (InRange(today)) {
            anchor_ = today;
            UserSelect(today, today, true);
        }
        return;
    }
    case MCHT_CALENDARDATE:
    case MCHT_CALENDARDATEPREV:
    case MCHT_CALENDARDATENEXT: {
        rtl::TDateTime day = 0;
        if (!rtl::TryEncodeDate(hit.Year, hit.Month, hit.Day, day) || !InRange(day)) return;
        anchor_ = day;
        tracking_ = true;
        UserSelect(day, day, false);
        return;
    }
    default: return;
    }
}

void TMonthCalendar::DragTo(TPoint p)
{
    if (!(style_ & MCS_MULTISELECT)) return;
    const TMCHitTestInfo hit = HitTest(p);
    rtl::TDateTime day = 0;
    if ((hit.Hit & MCHT_CALENDARDATE) != MCHT_CALENDARDATE || (hit.Hit & 0xFFFF) != 1 ||
        !rtl::TryEncodeDate(hit.Year, hit.Month, hit.Day, day) || !InRange(day))
        return;
    // The range runs from where the drag began, at most MaxSelCount days long.
    const int limit = maxSelCount_ - 1;
    day = std::clamp(day, anchor_ - limit, anchor_ + limit);
    const rtl::TDateTime first = std::min(anchor_, day), last = std::max(anchor_, day);
    if (first == selStart_ && last == selEnd_) return;
    selStart_ = first;
    selEnd_ = last;
    Invalidate();
    SelChange(first, last);
}

void TMonthCalendar::KeyMove(TKey key)
{
    rtl::TDateTime next = selStart_;
    int y = 0, m = 0, d = 0;
    Decode(selStart_, y, m, d);
    switch (key) {
    case VK_LEFT: next -= 1; break;
    case VK_RIGHT: next += 1; break;
    case VK_UP: next -= 7; break;
    case VK_DOWN: next += 7; break;
    case VK_PRIOR:
    case VK_NEXT: {
        int ny = 0, nm = 0;
        FromMonthIndex(MonthIndex(y, m) + (key == VK_PRIOR ? -1 : 1), ny, nm);
        if (ny < 1 || ny > 9999) return;
        next = rtl::EncodeDate(ny, nm, std::min(d, rtl::DaysInAMonth(ny, nm)));
        break;
    }
    default: return;
    }
    if (!ValidDay(next)) return;
    next = ClampToRange(next);
    anchor_ = next;
    if (next != selStart_ || selEnd_ != selStart_) UserSelect(next, next, false);
}

void TMonthCalendar::DefaultHandler(TMessage& m)
{
    const TPoint p{SignedLoWord(m.LParam), SignedHiWord(m.LParam)};
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        PressAt(p);
        TCustomControl::DefaultHandler(m);
        break;
    case WM_MOUSEMOVE:
        if (tracking_ && (m.WParam & MK_LBUTTON)) DragTo(p);
        TCustomControl::DefaultHandler(m);
        break;
    case WM_LBUTTONUP: {
        const bool ended = tracking_;
        tracking_ = false;
        TCustomControl::DefaultHandler(m);
        if (ended) Select(selStart_, selEnd_);
        break;
    }
    case WM_KEYDOWN: {
        TCustomControl::DefaultHandler(m);
        const TKey key = static_cast<TKey>(m.WParam);
        if (m.Result == 0 && (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN || key == VK_PRIOR ||
                              key == VK_NEXT)) {
            KeyMove(key);
            m.Result = 1;
        }
        break;
    }
    default: TCustomControl::DefaultHandler(m); break;
    }
}

// ---- Painting --------------------------------------------------------------------------------

void TMonthCalendar::Paint()
{
    TCanvas& c = *Canvas();
    const TLayout& L = Layout();
    EnsureDayState();
    const rtl::TFormatSettings& fs = rtl::FormatSettings();
    const TRect client = ClientRect();
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(colors_[MCSC_BACKGROUND]);
    c.FillRect(client);
    classes::TFont plain;
    plain.Assign(*c.Font());
    classes::TFont bold;
    bold.Assign(plain);
    bold.SetStyle(plain.Style() | classes::TFontStyles{classes::fsBold});
    const rtl::TDateTime today = GetToday();
    const bool circle = !(style_ & MCS_NOTODAYCIRCLE);
    const int n = VisibleMonthCount();
    const unsigned centred = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;

    auto text = [&](const std::string& s, TRect r, rtl::TColor color, unsigned flags) {
        c.Brush()->SetStyle(bsClear);
        c.Font()->SetColor(color);
        c.DrawText(s, r, flags);
        c.Brush()->SetStyle(bsSolid);
    };

    for (int i = 0; i < n; ++i) {
        int y = 0, m = 0;
        MonthAt(i, y, m);
        const TRect r = MonthRect(i);
        c.Brush()->SetColor(colors_[MCSC_MONTHBK]);
        c.FillRect(r);

        // Title with the scroll buttons of the outer months.
        const TRect title = TitleRect(i);
        c.Brush()->SetColor(colors_[MCSC_TITLEBK]);
        c.FillRect(title);
        c.SetFont(plain);
        text(fs.LongMonthNames[static_cast<std::size_t>(m - 1)] + " " + std::to_string(y), TRect(title),
             colors_[MCSC_TITLETEXT], centred);
        c.Pen()->SetColor(colors_[MCSC_TITLETEXT]);
        c.Brush()->SetColor(colors_[MCSC_TITLETEXT]);
        if (i == 0) {
            const TRect b = PrevButtonRect();
            const int my = (b.Top + b.Bottom) / 2, w = b.Width() / 3;
            c.Polygon({{b.Left + w, my}, {b.Right - w, my - w}, {b.Right - w, my + w}});
        }
        if (i == L.cols - 1) {
            const TRect b = NextButtonRect();
            const int my = (b.Top + b.Bottom) / 2, w = b.Width() / 3;
            c.Polygon({{b.Right - w, my}, {b.Left + w, my - w}, {b.Left + w, my + w}});
        }

        // Day names, with a rule below them.
        const int x0 = r.Left + L.margin + L.weekW, namesTop = r.Top + L.titleH, gridTop = namesTop + L.dayNamesH;
        for (int col = 0; col < 7; ++col)
            text(DayName((firstDay_ + col) % 7), TRect(Bounds(x0 + col * L.cellW, namesTop, L.cellW, L.cellH)),
                 colors_[MCSC_TITLEBK], centred);
        c.Pen()->SetColor(colors_[MCSC_TITLEBK]);
        c.MoveTo(x0, gridTop - 2);
        c.LineTo(x0 + 7 * L.cellW, gridTop - 2);

        const rtl::TDateTime monthStart = rtl::EncodeDate(y, m, 1);
        const rtl::TDateTime monthEnd = monthStart + rtl::DaysInAMonth(y, m) - 1;
        const rtl::TDateTime firstCell = monthStart - GridOffset(y, m);
        for (int row = 0; row < 6; ++row) {
            const rtl::TDateTime rowStart = firstCell + row * 7;
            if (L.weekW > 0 && ValidDay(rowStart) && ValidDay(rowStart + 6)) {
                // The week's number is the one of its Thursday.
                const rtl::TDateTime thursday = rowStart + (3 - firstDay_ + 7) % 7;
                text(std::to_string(IsoWeekNumber(thursday)),
                     TRect(Bounds(r.Left + L.margin, gridTop + row * L.cellH, L.weekW, L.cellH)),
                     colors_[MCSC_TITLEBK], centred);
            }
            for (int col = 0; col < 7; ++col) {
                const rtl::TDateTime day = rowStart + col;
                const bool own = day >= monthStart && day <= monthEnd;
                const bool shown = own || (day < monthStart && i == 0) || (day > monthEnd && i == n - 1);
                if (!shown || !ValidDay(day)) continue;
                int dy = 0, dm = 0, dd = 0;
                Decode(day, dy, dm, dd);
                const TRect cell = Bounds(x0 + col * L.cellW, gridTop + row * L.cellH, L.cellW, L.cellH);
                rtl::TColor color = own ? colors_[MCSC_TEXT] : colors_[MCSC_TRAILINGTEXT];
                if (day >= selStart_ && day <= selEnd_) {
                    c.Brush()->SetColor(colors_[MCSC_TITLEBK]);
                    c.FillRect(cell);
                    color = colors_[MCSC_TITLETEXT];
                }
                if (!InRange(day)) color = rtl::clGrayText;
                c.SetFont(IsBoldDay(dy, dm, dd) ? bold : plain);
                text(std::to_string(dd), TRect(cell), color, centred);
                if (circle && day == today && own) {
                    c.Brush()->SetColor(rtl::clRed);
                    c.FrameRect(cell);
                }
            }
        }
        c.SetFont(plain);
    }

    if (!(style_ & MCS_NOTODAY)) {
        TRect line = TodayRect();
        if (circle) {
            const int side = L.cellH - 4;
            c.Brush()->SetColor(rtl::clRed);
            c.FrameRect(Bounds(line.Left, line.Top + (line.Height() - side) / 2, side + 6, side));
            line.Left += side + 10;
        }
        c.SetFont(bold);
        text("Today: " + rtl::DateToStr(today), line, colors_[MCSC_TEXT], DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        c.SetFont(plain);
    }
    if (Focused()) {
        const TRect sel = DayRect(selStart_);
        if (sel.Width() > 0) c.DrawFocusRect(sel);
    }
}

}  // namespace ui
