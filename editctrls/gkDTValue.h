#pragma once
// TgkDTValue: the date-time picker's value and the format it is shown in. It keeps the value,
// the value on entry, the bounds, the epoch and the format settings, and answers what kind of
// value is edited (date, time, both) and how a value reads, from the bound field's type and
// format or, unbound, from the picker's own settings. Headless: no window, no text of an edit.
//
// Promises:
// - MinDate above MaxDate is refused with EDateTimeError ("Date is less than minimum of %s",
//   "Date exceeds maximum of %s"); a bound of 0 does not apply.
// - The effective bounds are 1 (30 December 1899 + 1) and 31 December 9999 where none is set.
// - A picker bound by name to a missing field reads every value as empty text.

#include <string>

#include "editctrls/gkDTFormat.h"
#include "platform/classes/Persistent.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/DateTime.h"

namespace editctrls {

enum TDTDateFormat { dfShort, dfLong };
enum TgkDTEditDataType { gkDTEdtDateTime, gkDTEdtDate, gkDTEdtTime };

// A date and time taken apart, for the part arithmetic of keys and the calendar.
struct TDTFields {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, MSec = 0;
    static TDTFields Of(rtl::TDateTime value);
};

class TgkDTValue {
public:
    explicit TgkDTValue(const db::TFieldDataLink& link) : link_(link) {}

    // ---- State ----------------------------------------------------------------------------
    rtl::TDateTime Value() const noexcept { return value_; }
    // Stores without showing: the picker shows it.
    void Store(rtl::TDateTime v) noexcept { value_ = v; }
    bool Empty() const noexcept { return empty_; }
    void SetEmpty(bool v) noexcept { empty_ = v; }
    // The value when the picker took the focus (Esc returns to it).
    rtl::TDateTime EntryValue() const noexcept { return entry_; }
    void SetEntryValue(rtl::TDateTime v) noexcept { entry_ = v; }
    int Epoch() const noexcept { return epoch_; }
    void SetEpoch(int v) noexcept { epoch_ = v; }
    const std::string& DisplayFormat() const noexcept { return displayFormat_; }
    void SetDisplayFormat(const std::string& v) { displayFormat_ = v; }
    TDTDateFormat DateFormat() const noexcept { return dateFormat_; }
    void SetDateFormat(TDTDateFormat v) noexcept { dateFormat_ = v; }
    TgkDTEditDataType UnboundDataType() const noexcept { return unboundDataType_; }
    void SetUnboundDataType(TgkDTEditDataType v) noexcept { unboundDataType_ = v; }

    // ---- Bounds ---------------------------------------------------------------------------
    rtl::TDateTime MinDate() const noexcept { return minDate_; }
    void SetMinDate(rtl::TDateTime v);
    rtl::TDateTime MaxDate() const noexcept { return maxDate_; }
    void SetMaxDate(rtl::TDateTime v);
    rtl::TDateTime EffectiveMinDate() const;
    rtl::TDateTime EffectiveMaxDate() const;
    // The day of `date` moved inside the bounds set (a bound of 0 does not apply).
    rtl::TDateTime KeepInLimits(rtl::TDateTime date) const;
    // The day exists and lies inside the bounds set.
    bool DayInLimits(int year, int month, int day) const;
    bool DayOutsideLimits(rtl::TDateTime date) const;
    [[noreturn]] static void RangeError(bool max, rtl::TDateTime limit);

    // ---- Kind and format ------------------------------------------------------------------
    bool IsDateTimeType() const;
    bool IsDateType() const;
    bool IsTimeOnly() const;
    bool IsDateOnly() const;
    TDTKind Kind() const;
    std::string GetDisplayFormat(bool expandDefault) const;
    std::string GetExpandedDisplayFormat() const;
    bool UsesGeneralFormat() const;
    // Bound by source or name while the field is missing.
    bool BoundWithoutField() const;
    std::string FormatValue(rtl::TDateTime value) const;
    // What the edit shows for `value`: nothing for a null field (unless the calendar is open)
    // or an empty unbound value.
    std::string DisplayTextFor(rtl::TDateTime value, bool droppedDown) const;
    // Part `a` comes before part `b` in the format (a month name counts as the month).
    bool PartBefore(TDTPartType a, TDTPartType b) const;
    bool DayBeforeMonth() const { return PartBefore(TDTPartType::Day, TDTPartType::Month); }

private:
    db::TField* Field() const { return link_.Field(); }

    const db::TFieldDataLink& link_;
    rtl::TDateTime value_ = 0;
    rtl::TDateTime entry_ = 0;
    rtl::TDateTime minDate_ = 0;
    rtl::TDateTime maxDate_ = 0;
    bool empty_ = true;
    int epoch_ = 1950;
    std::string displayFormat_;
    TDTDateFormat dateFormat_ = dfShort;
    TgkDTEditDataType unboundDataType_ = gkDTEdtDateTime;
};

}  // namespace editctrls
