#include "editctrls/gkDTTyping.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "editctrls/gkDBDateTimePicker.h"
#include "grid/Scanning.h"
#include "platform/db/Fields.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Input.h"
#include "platform/ui/Screen.h"

namespace editctrls {

namespace {

// The first leap year after `year` (29 February typed into a year without one).
int NextLeapYear(int year)
{
    int next = (year / 4 + 1) * 4;
    if (!rtl::IsLeapYear(next)) next += 4;  // a century that is no leap year
    return next;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWith(const std::string& name, char letter) { return !name.empty() && Upper(name[0]) == Upper(letter); }

// A typed value that fails its check: a beep, nothing changes.
bool Fail()
{
    ui::Beep();
    return false;
}

struct TKeyRow {
    ui::TKey Key;
    TDTKeyAction Plain;
    TDTKeyAction Shifted;
};

constexpr std::array<TKeyRow, 9> kEditKeys{{
    {ui::VK_LEFT, TDTKeyAction::PartLeft, TDTKeyAction::None},
    {ui::VK_RIGHT, TDTKeyAction::PartRight, TDTKeyAction::ShiftRight},
    {ui::VK_UP, TDTKeyAction::StepUp, TDTKeyAction::StepUp},
    {ui::VK_DOWN, TDTKeyAction::StepDown, TDTKeyAction::StepDown},
    {ui::VK_HOME, TDTKeyAction::Home, TDTKeyAction::SelectWhole},
    {ui::VK_END, TDTKeyAction::End, TDTKeyAction::SelectWhole},
    {ui::VK_DELETE, TDTKeyAction::Clear, TDTKeyAction::Clear},
    {ui::VK_BACK, TDTKeyAction::Back, TDTKeyAction::Back},
    {ui::VK_SPACE, TDTKeyAction::SpaceRight, TDTKeyAction::SpaceRight},
}};

// Keys that give an empty picker a value before they act.
bool GivesValueWhenEmpty(ui::TKey key)
{
    return key == ui::VK_BACK || key == ui::VK_SPACE || key == ui::VK_DELETE || key == ui::VK_RIGHT ||
           (key >= 0x30 && key <= 0x6F) || key > 0x91;
}

}  // namespace

TDTKeyAction DecodeEditKey(ui::TKey key, ui::TShiftState shift)
{
    for (const TKeyRow& row : kEditKeys)
        if (row.Key == key) return shift.Contains(ui::ssShift) ? row.Shifted : row.Plain;
    if (key >= '0' && key <= '9') return TDTKeyAction::Digit;
    if (key >= 'A' && key <= 'Z') return TDTKeyAction::Letter;
    return TDTKeyAction::None;
}

bool TgkDTTyping::Locate(TAt& at) const
{
    if (!p_.LocateCurrent(at.Part)) return false;
    at.Type = PartTypeOf(at.Part.Token);
    at.F = TDTFields::Of(v_.Value());
    at.AmPm = FormatHasAmPm(v_.GetExpandedDisplayFormat());
    return true;
}

void TgkDTTyping::Changed()
{
    p_.MarkModified(true);
    p_.HighlightPart();
}

void TgkDTTyping::ApplyDate(rtl::TDateTime date, const TDTFields& f)
{
    int yy, mm, dd;
    rtl::DecodeDate(date, yy, mm, dd);
    p_.ApplyDateParts(yy, mm, dd, f.Hour, f.Minute, f.Second, f.MSec);
}

// ---- Keys -------------------------------------------------------------------------------------

void TgkDTTyping::EditKey(ui::TKey& key, ui::TShiftState shift)
{
    if (p_.Text().empty() && GivesValueWhenEmpty(key)) GiveEmptyValue(key >= '0' && key <= '9');
    const TDTKeyAction action = DecodeEditKey(key, shift);
    Perform(action, key);
    if (action != TDTKeyAction::SpaceRight) key = 0;  // KeyPress sees the Space too
}

void TgkDTTyping::Perform(TDTKeyAction action, ui::TKey key)
{
    switch (action) {
    case TDTKeyAction::PartLeft: PartLeft(); break;
    case TDTKeyAction::PartRight:
    case TDTKeyAction::SpaceRight: PartRight(); break;
    case TDTKeyAction::ShiftRight: part_ == 1 ? p_.SelectAll() : PartRight(); break;
    case TDTKeyAction::SelectWhole: p_.SelectAll(); break;
    case TDTKeyAction::StepUp: StepPart(1); break;
    case TDTKeyAction::StepDown: StepPart(-1); break;
    case TDTKeyAction::Home: HomeEnd(false); break;
    case TDTKeyAction::End: HomeEnd(true); break;
    case TDTKeyAction::Clear: ClearValue(); break;
    case TDTKeyAction::Back: BackKey(); break;
    case TDTKeyAction::Digit: TypeDigit(key - '0'); break;
    case TDTKeyAction::Letter: TypeLetter(static_cast<char>(key)); break;
    case TDTKeyAction::None: break;
    }
}

void TgkDTTyping::BackKey()
{
    // Typed digits are applied, not taken back: Backspace moves as Left does; only a whole
    // selection is cleared as Delete clears it.
    const std::string& text = p_.Text();
    const bool whole = !text.empty() && p_.SelStart() == 0 && p_.SelLength() == static_cast<int>(text.size());
    if (whole)
        ClearValue();
    else
        PartLeft();
}

void TgkDTTyping::GiveEmptyValue(bool digit)
{
    rtl::TDateTime v;
    if (v_.IsTimeOnly())
        v = digit ? 0 : rtl::Time();
    else
        v = v_.KeepInLimits(rtl::Date());
    v_.Store(v);
    v_.SetEmpty(false);
    p_.SetText(v_.FormatValue(v));
    p_.MarkModified(true);
    part_ = 1;
    p_.HighlightPart();
}

// ---- Moving between parts ---------------------------------------------------------------------

void TgkDTTyping::PartLeft()
{
    Commit();
    part_ = std::clamp(part_ - 1, 1, std::max(1, p_.ShownPartCount()));
    p_.HighlightPart();
}

void TgkDTTyping::PartRight()
{
    const int total = CountFormatParts(v_.GetExpandedDisplayFormat(), v_.Kind());
    if (part_ >= total) {
        Commit();
        return;
    }
    Commit();
    const rtl::TDateTime value = v_.Value();
    if (v_.UsesGeneralFormat() && rtl::TimeOf(value) == 0 && part_ == p_.ShownPartCount() && !p_.IsLastPartShown()) {
        // The time parts come into view with the time of day.
        p_.SetValue(rtl::ComposeDateTime(rtl::DateOf(value), rtl::Time()));
        p_.MarkModified(true);
    }
    part_ = std::clamp(part_ + 1, 1, std::max(1, p_.ShownPartCount()));
    p_.HighlightPart();
}

// ---- Up, Down, Home, End ----------------------------------------------------------------------

void TgkDTTyping::StepPart(int dir)
{
    Commit();
    TAt at;
    if (!Locate(at)) return;
    TDTFields f = at.F;
    switch (at.Type) {
    case TDTPartType::Hour: f.Hour = (f.Hour + dir + 24) % 24; break;
    case TDTPartType::Minute: {
        const TgkDTInterval& interval = *p_.Interval();
        const int step = interval.EffectiveInterval();
        f.Minute = ((f.Minute + dir * step) % 60 + 60) % 60;
        if (interval.RoundMinutes) f.Minute -= f.Minute % step;
        break;
    }
    case TDTPartType::Second: f.Second = (f.Second + dir + 60) % 60; break;
    case TDTPartType::AmPm: f.Hour = (f.Hour + 12) % 24; break;
    default:
        if (!IsDatePartType(at.Type) || !StepDatePart(at, dir)) return;
        Changed();
        return;
    }
    p_.ApplyDateParts(f.Year, f.Month, f.Day, f.Hour, f.Minute, f.Second, f.MSec);
    Changed();
}

bool TgkDTTyping::StepDatePart(const TAt& at, int dir)
{
    const TDTFields& f = at.F;
    int y = f.Year, m = f.Month, d = f.Day;
    switch (at.Type) {
    case TDTPartType::Day: {
        const int days = rtl::DaysInAMonth(y, m);
        d = (d - 1 + dir + days) % days + 1;
        break;
    }
    case TDTPartType::Weekday: {
        const int first = FirstDayNumber(p_.CalendarAttributes()->FirstDayOfWeek);
        const int index = (rtl::DayOfWeek(v_.Value()) - first + 7) % 7;  // place in the week
        const int next = (index + dir + 7) % 7;
        ApplyDate(v_.KeepInLimits(rtl::DateOf(v_.Value()) + (next - index)), f);
        return true;
    }
    case TDTPartType::Month:
    case TDTPartType::MonthName:
        m = (m - 1 + dir + 12) % 12 + 1;
        d = std::min(d, rtl::DaysInAMonth(y, m));
        break;
    default:  // the year
        y += dir;
        if (y < 1 || y > 9999) return false;  // nothing moves, nothing is marked
        d = std::min(d, rtl::DaysInAMonth(y, m));
        break;
    }
    ApplyDate(v_.KeepInLimits(rtl::EncodeDate(y, m, d)), f);
    return true;
}

void TgkDTTyping::HomeEnd(bool end)
{
    Commit();
    TAt at;
    if (!Locate(at)) return;
    if (IsDatePartType(at.Type)) {
        const rtl::TDateTime date = HomeEndDate(at, end);
        ApplyDate(std::clamp(rtl::DateOf(date), rtl::DateOf(v_.EffectiveMinDate()), rtl::DateOf(v_.EffectiveMaxDate())),
                  at.F);
    } else if (IsTimePartType(at.Type)) {
        HomeEndTime(at, end);
    } else {
        return;
    }
    Changed();
}

rtl::TDateTime TgkDTTyping::HomeEndDate(const TAt& at, bool end) const
{
    const int y = at.F.Year, m = at.F.Month, d = at.F.Day;
    int ly, lm, ld, uy, um, ud;
    rtl::DecodeDate(v_.EffectiveMinDate(), ly, lm, ld);
    rtl::DecodeDate(v_.EffectiveMaxDate(), uy, um, ud);
    switch (at.Type) {
    case TDTPartType::Day: return rtl::EncodeDate(y, m, end ? rtl::DaysInAMonth(y, m) : 1);
    case TDTPartType::Weekday: {
        const int first = FirstDayNumber(p_.CalendarAttributes()->FirstDayOfWeek);
        const int index = (rtl::DayOfWeek(v_.Value()) - first + 7) % 7;
        return rtl::DateOf(v_.Value()) - index + (end ? 6 : 0);
    }
    case TDTPartType::Month:
    case TDTPartType::MonthName: {
        int month = end ? 12 : 1;
        if (!end && y == ly) month = lm + (d < ld ? 1 : 0);
        if (end && y == uy) month = um - (d > ud ? 1 : 0);
        month = std::clamp(month, 1, 12);
        return rtl::EncodeDate(y, month, std::min(d, rtl::DaysInAMonth(y, month)));
    }
    default: {  // the year
        int year = end ? uy : ly;
        if (!end && (m < lm || (m == lm && d < ld))) ++year;
        if (end && (m > um || (m == um && d > ud))) --year;
        year = std::clamp(year, 1, 9999);
        return rtl::EncodeDate(year, m, std::min(d, rtl::DaysInAMonth(year, m)));
    }
    }
}

void TgkDTTyping::HomeEndTime(const TAt& at, bool end)
{
    TDTFields f = at.F;
    switch (at.Type) {
    case TDTPartType::Hour: f.Hour = end ? 23 : 0; break;
    case TDTPartType::Minute: f.Minute = end ? 59 : 0; break;
    case TDTPartType::Second: f.Second = end ? 59 : 0; break;
    default:  // AM/PM
        if (end == (f.Hour >= 12)) return;
        f.Hour += end ? 12 : -12;
        break;
    }
    p_.ApplyDateParts(f.Year, f.Month, f.Day, f.Hour, f.Minute, f.Second, f.MSec);
}

// ---- Digits -----------------------------------------------------------------------------------

void TgkDTTyping::TypeDigit(int digit)
{
    TAt at;
    if (!Locate(at)) return;
    if (at.Type == TDTPartType::Year) {
        if (at.Part.Token.size() > 2)
            TypeLongYear(at, digit);
        else
            TypeShortYear(at, digit);
        return;
    }
    if (!pending_) return TypeFirstDigit(at, digit);
    if (CheckAndApply(at, std::atoi(typed_.c_str()) * 10 + digit)) FinishTyping();
}

void TgkDTTyping::TypeShortYear(const TAt& at, int digit)
{
    if (pending_) {
        if (CheckAndApply(at, ExpandTwoDigitYear(std::atoi(typed_.c_str()) * 10 + digit, v_.Epoch()))) FinishTyping();
        return;
    }
    // The decade the digit opens must end on or after MinDate.
    const int decadeEnd = ExpandTwoDigitYear(digit * 10, v_.Epoch()) + 9;
    if (v_.MinDate() != 0 && decadeEnd < TDTFields::Of(v_.MinDate()).Year) {
        Fail();
        return;
    }
    typed_ = std::to_string(digit);
    pending_ = true;
    ShowTyped(at);
}

void TgkDTTyping::TypeLongYear(const TAt& at, int digit)
{
    if (!pending_ || typed_.size() < 3) {
        typed_ += static_cast<char>('0' + digit);
        pending_ = true;
        ShowTyped(at);
        return;
    }
    int v = std::atoi(typed_.c_str()) * 10 + digit;
    if (v == 0) v = TDTFields::Of(v_.EntryValue()).Year;
    if (CheckAndApply(at, v)) FinishTyping();
}

void TgkDTTyping::TypeFirstDigit(const TAt& at, int digit)
{
    // A digit no second digit could follow completes the part at once.
    int completesFrom = 0;
    switch (at.Type) {
    case TDTPartType::Day: completesFrom = 4; break;
    case TDTPartType::Month: completesFrom = 2; break;
    case TDTPartType::Hour: completesFrom = at.AmPm ? 2 : 3; break;
    case TDTPartType::Minute:
    case TDTPartType::Second: completesFrom = 6; break;
    default: return;
    }
    if (digit >= completesFrom) {
        if (CheckAndApply(at, digit)) FinishTyping();
        return;
    }
    typed_ = std::to_string(digit);
    pending_ = true;
    ShowTyped(at);
}

bool TgkDTTyping::CheckAndApply(const TAt& at, int v)
{
    TDTFields f = at.F;
    switch (at.Type) {
    case TDTPartType::Day: return ApplyTypedDay(at, v);
    case TDTPartType::Month: return ApplyTypedMonth(at, v);
    case TDTPartType::Year: return ApplyTypedYear(at, v);
    case TDTPartType::Hour: return ApplyTypedHour(at, v);
    case TDTPartType::Minute: f.Minute = v; break;
    case TDTPartType::Second: f.Second = v; break;
    default: return false;
    }
    if (v >= 60) return Fail();
    p_.ApplyDateParts(f.Year, f.Month, f.Day, f.Hour, f.Minute, f.Second, f.MSec);
    return true;
}

bool TgkDTTyping::ApplyTypedDay(const TAt& at, int v)
{
    if (v == 0) return true;  // keeps the old day
    if (v < 1 || v > 31) return Fail();
    const TDTFields& f = at.F;
    int mm = f.Month, yy = f.Year;
    if (v > rtl::DaysInAMonth(yy, mm) && v_.DayBeforeMonth()) {
        mm = 1;
        while (mm < 12 && rtl::DaysInAMonth(yy, mm) < v) ++mm;
    }
    if (v == 29 && mm == 2 && !rtl::IsLeapYear(yy) && v_.PartBefore(TDTPartType::Day, TDTPartType::Year))
        yy = NextLeapYear(yy);
    const int dd = std::min(v, rtl::DaysInAMonth(yy, mm));
    if (!v_.DayInLimits(yy, mm, dd)) return Fail();
    p_.ApplyDateParts(yy, mm, dd, f.Hour, f.Minute, f.Second, f.MSec);
    return true;
}

bool TgkDTTyping::ApplyTypedMonth(const TAt& at, int v)
{
    if (v == 0) return true;
    if (v < 1 || v > 12) return Fail();
    const TDTFields& f = at.F;
    int yy = f.Year;
    if (f.Day == 29 && v == 2 && !rtl::IsLeapYear(yy) && v_.PartBefore(TDTPartType::Month, TDTPartType::Year))
        yy = NextLeapYear(yy);
    const int dd = std::min(f.Day, rtl::DaysInAMonth(yy, v));
    if (!v_.DayInLimits(yy, v, dd)) return Fail();
    p_.ApplyDateParts(yy, v, dd, f.Hour, f.Minute, f.Second, f.MSec);
    return true;
}

bool TgkDTTyping::ApplyTypedYear(const TAt& at, int v)
{
    if (v < 1 || v > 9999) return Fail();
    const TDTFields& f = at.F;
    const int dd = std::min(f.Day, rtl::DaysInAMonth(v, f.Month));
    if (!v_.DayInLimits(v, f.Month, dd)) return Fail();
    p_.ApplyDateParts(v, f.Month, dd, f.Hour, f.Minute, f.Second, f.MSec);
    return true;
}

bool TgkDTTyping::ApplyTypedHour(const TAt& at, int v)
{
    if (v >= (at.AmPm ? 13 : 24)) return Fail();
    const TDTFields& f = at.F;
    int hour = v;
    if (at.AmPm) hour = v % 12 + (f.Hour >= 12 ? 12 : 0);
    p_.ApplyDateParts(f.Year, f.Month, f.Day, hour, f.Minute, f.Second, f.MSec);
    return true;
}

void TgkDTTyping::FinishTyping()
{
    Forget();
    p_.RefreshText();
    Changed();
}

void TgkDTTyping::ShowTyped(const TAt& at)
{
    std::string text = p_.Text();
    text.replace(static_cast<std::size_t>(at.Part.Start), static_cast<std::size_t>(at.Part.Length), typed_);
    p_.SetTextKeepModified(text);
    p_.SetSel(at.Part.Start + static_cast<int>(typed_.size()), 0);
    p_.SetModified(true);
}

void TgkDTTyping::Commit()
{
    if (p_.IsDroppedDown() || !pending_) return;
    pending_ = false;
    const std::string digits = typed_;
    typed_.clear();
    TDTPart part;
    if (!p_.LocateCurrent(part) || digits.empty()) {
        p_.RefreshText();
        return;
    }
    ApplyCommitted(part, digits);
    p_.RefreshText();
    p_.HighlightPart();
    p_.MarkModified(true);
}

bool TgkDTTyping::ApplyCommitted(const TDTPart& part, const std::string& digits)
{
    const int typedValue = std::atoi(digits.c_str());
    TDTFields f = TDTFields::Of(v_.Value());
    switch (PartTypeOf(part.Token)) {
    case TDTPartType::Day: f.Day = typedValue; break;
    case TDTPartType::Month: f.Month = typedValue; break;
    case TDTPartType::Year:
        if (part.Token.size() > 2 && digits.size() == 3)
            f.Year = typedValue;
        else
            f.Year = ExpandTwoDigitYear(typedValue % 100, v_.Epoch());
        break;
    case TDTPartType::Hour:
        if (FormatHasAmPm(v_.GetExpandedDisplayFormat()))
            f.Hour = typedValue % 12 + (f.Hour >= 12 ? 12 : 0);
        else
            f.Hour = typedValue;
        break;
    case TDTPartType::Minute: f.Minute = typedValue; break;
    case TDTPartType::Second: f.Second = typedValue; break;
    default: return false;
    }
    if (f.Hour >= 24 || f.Minute >= 60 || f.Second >= 60 || f.Day < 1 || f.Month < 1 || f.Month > 12 || f.Year < 1 ||
        f.Year > 9999)
        return false;
    p_.ApplyDateParts(f.Year, f.Month, f.Day, f.Hour, f.Minute, f.Second, f.MSec);
    return true;
}

// ---- Letters ----------------------------------------------------------------------------------

void TgkDTTyping::TypeLetter(char letter)
{
    TAt at;
    if (!Locate(at)) return;
    switch (at.Type) {
    case TDTPartType::MonthName:
        if (!TypeMonthLetter(at, letter)) return;
        break;
    case TDTPartType::Weekday:
        if (!TypeWeekdayLetter(at, letter)) return;
        break;
    case TDTPartType::AmPm: TypeAmPmLetter(at, letter); break;
    default: return;
    }
    Changed();
}

bool TgkDTTyping::TypeMonthLetter(const TAt& at, char letter)
{
    const rtl::TFormatSettings& fs = rtl::FormatSettings();
    const bool shortNames = at.Part.Token.size() == 3;
    const int y = at.F.Year, m = at.F.Month, d = at.F.Day;
    // The next month of that letter which holds the day; any month of it on a second pass.
    int found = 0;
    for (int pass = 0; pass < 2 && found == 0; ++pass) {
        for (int k = 1; k <= 11 && found == 0; ++k) {
            const int month = (m - 1 + k) % 12 + 1;
            const std::string& name = shortNames ? fs.ShortMonthNames[month - 1] : fs.LongMonthNames[month - 1];
            if (StartsWith(name, letter) && (pass == 1 || rtl::DaysInAMonth(y, month) >= d)) found = month;
        }
    }
    if (found == 0) return false;
    ApplyDate(v_.KeepInLimits(AddMonths(rtl::DateOf(v_.Value()), found - m)), at.F);
    return true;
}

bool TgkDTTyping::TypeWeekdayLetter(const TAt& at, char letter)
{
    const rtl::TFormatSettings& fs = rtl::FormatSettings();
    const bool shortNames = at.Part.Token.size() == 3;
    const int first = FirstDayNumber(p_.CalendarAttributes()->FirstDayOfWeek);
    const int index = (rtl::DayOfWeek(v_.Value()) - first + 7) % 7;
    for (int k = 1; k < 7; ++k) {
        const int next = (index + k) % 7;
        const int nextDow = (first - 1 + next) % 7 + 1;
        const std::string& name = shortNames ? fs.ShortDayNames[nextDow - 1] : fs.LongDayNames[nextDow - 1];
        if (!StartsWith(name, letter)) continue;
        const rtl::TDateTime date = rtl::DateOf(v_.Value()) + (next - index);
        if (v_.DayOutsideLimits(date)) return false;
        ApplyDate(date, at.F);
        break;
    }
    return true;
}

void TgkDTTyping::TypeAmPmLetter(const TAt& at, char letter)
{
    const rtl::TFormatSettings& fs = rtl::FormatSettings();
    const TDTFields& f = at.F;
    const bool pm = f.Hour >= 12;
    int hour = f.Hour;
    if (at.Part.Token != "ampm") {
        if (Upper(letter) == 'P' && !pm) hour += 12;
        if (Upper(letter) == 'A' && pm) hour -= 12;
    } else if (!fs.TimeAMString.empty() && !fs.TimePMString.empty() &&
               Upper(fs.TimeAMString[0]) == Upper(fs.TimePMString[0])) {
        hour = (hour + 12) % 24;  // one letter for both: it toggles
    } else if (!pm && StartsWith(fs.TimePMString, letter)) {
        hour += 12;
    } else if (pm && StartsWith(fs.TimeAMString, letter)) {
        hour -= 12;
    }
    if (hour != f.Hour) p_.ApplyDateParts(f.Year, f.Month, f.Day, hour, f.Minute, f.Second, f.MSec);
}

// ---- Delete, Backspace and the clipboard ----------------------------------------------------

void TgkDTTyping::ClearValue()
{
    if (pending_) return DropTypedDigit();
    const db::TField* f = p_.Field();
    const bool required = f != nullptr && f->Required();
    if (f != nullptr && f->DataType() == db::ftDateTime && v_.IsTimeOnly()) {
        if (!required) ClearTo(rtl::DateOf(v_.Value()), false);
        return;
    }
    if (v_.IsDateOnly()) {
        if (!required) ClearTo(0, true);
        return;
    }
    // Under the general format with every part shown, Delete on a time part takes the time of
    // day away and keeps the date.
    if (v_.UsesGeneralFormat() && p_.IsLastPartShown() && IsTimePartType(p_.CurrentPartType())) {
        p_.SetValue(rtl::DateOf(v_.Value()));
        part_ = std::max(1, p_.ShownPartCount());
        Changed();
        return;
    }
    if (!required) ClearTo(0, false);
}

void TgkDTTyping::DropTypedDigit()
{
    if (!typed_.empty()) typed_.pop_back();
    TDTPart part;
    p_.LocateCurrent(part);
    std::string text = p_.Text();
    const int caret = part.Start + static_cast<int>(typed_.size());
    if (caret < static_cast<int>(text.size())) text.erase(static_cast<std::size_t>(caret), 1);
    p_.SetTextKeepModified(text);
    p_.SetSel(caret, 0);
    if (typed_.empty()) pending_ = false;
}

void TgkDTTyping::ClearTo(rtl::TDateTime kept, bool clearDate)
{
    if (clearDate) p_.SetDate(0);
    v_.Store(kept);
    p_.SetTextKeepModified({});
    part_ = 1;
    v_.SetEmpty(true);
    p_.MarkModified(true);
}

void TgkDTTyping::Cut()
{
    if (!p_.CanEditValue()) return;
    db::TFieldDataLink& link = *p_.DataLink();
    if (p_.Field() != nullptr && !link.Editing()) link.Edit();
    if (p_.SelLength() > 0)
        ui::Clipboard().SetAsText(std::string_view(p_.Text()).substr(p_.SelStart(), p_.SelLength()));
    v_.Store(0);
    p_.SetTextKeepModified({});
    p_.SetCaretHidden(false);
    part_ = 1;
    v_.SetEmpty(true);
    p_.MarkModified(true);
}

void TgkDTTyping::Paste(const std::string& text)
{
    if (!p_.CanEditValue()) return;
    db::TFieldDataLink& link = *p_.DataLink();
    if (p_.Field() != nullptr && !link.Editing()) link.Edit();
    // Read with the library's scanning and the default epoch: a time when only the time is
    // edited, else a date and time, else a date alone; 0 is no value.
    rtl::TDateTime v = 0;
    if (v_.IsTimeOnly()) {
        v = grid::gkStrToTime(text);
    } else {
        v = grid::gkStrToDateTime(text);
        if (v == 0) v = grid::gkStrToDate(text);
    }
    if (v != 0) p_.SetValue(v);
    p_.RefreshText();
    p_.HighlightPart();
    if (v != 0) p_.MarkModified(true);
}

// ---- Characters -------------------------------------------------------------------------------

void TgkDTTyping::CharKey(char c)
{
    const rtl::TFormatSettings& fs = rtl::FormatSettings();
    const bool separator = (fs.DateSeparator.size() == 1 && c == fs.DateSeparator[0]) ||
                           (fs.TimeSeparator.size() == 1 && c == fs.TimeSeparator[0]);
    switch (c) {
    case '+':
    case '=':
    case '-':
        if (!p_.Text().empty()) StepPart(c == '-' ? -1 : 1);
        return;
    case ' ': TypeNow(); return;
    case '\r': EnterKey(); return;
    case '\x1b': EscapeKey(); return;
    default:
        // A separator completes a part that has digits typed and moves on.
        if (separator && pending_) PartRight();
        return;
    }
}

void TgkDTTyping::TypeNow()
{
    if (p_.DataSource() != nullptr && p_.Field() == nullptr) return;
    db::TFieldDataLink& link = *p_.DataLink();
    if (p_.Field() != nullptr && !link.Editing()) link.Edit();
    p_.SetValue(rtl::Now());
    Changed();
}

void TgkDTTyping::EnterKey()
{
    if (p_.InGrid()) return;
    Commit();
    p_.HighlightPart();
}

void TgkDTTyping::EscapeKey()
{
    if (p_.drop_->TakeEscClosed()) return;
    if (p_.Field() != nullptr)
        p_.DataLink()->Reset();
    else
        p_.SetValue(v_.EntryValue());
    Forget();
    p_.RefreshText();
    part_ = 1;
    p_.HighlightPart();
    if (!p_.InGrid())
        p_.SelectAll();
    else if (auto* g = dynamic_cast<ui::TWinControl*>(p_.Parent()))
        g->SetFocus();
}

}  // namespace editctrls
