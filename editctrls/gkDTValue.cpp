#include "editctrls/gkDTValue.h"

#include "editctrls/gkMonthCal.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Formatting.h"

namespace editctrls {

namespace {

bool IsDateTimeFieldType(db::TFieldType t) { return t == db::ftDateTime; }

std::string FieldDisplayFormat(const db::TField* f)
{
    if (const auto* dt = dynamic_cast<const db::TDateTimeField*>(f)) return dt->DisplayFormat();
    return {};
}

}  // namespace

TDTFields TDTFields::Of(rtl::TDateTime value)
{
    TDTFields f;
    rtl::DecodeDateTime(value, f.Year, f.Month, f.Day, f.Hour, f.Minute, f.Second, f.MSec);
    return f;
}

// ---- Bounds -----------------------------------------------------------------------------------

void TgkDTValue::RangeError(bool max, rtl::TDateTime limit)
{
    const std::string date = rtl::DateToStr(limit);
    throw EDateTimeError(max ? "Date exceeds maximum of " + date : "Date is less than minimum of " + date);
}

void TgkDTValue::SetMaxDate(rtl::TDateTime v)
{
    if (v != 0 && minDate_ != 0 && rtl::DateOf(v) < rtl::DateOf(minDate_)) RangeError(false, minDate_);
    maxDate_ = v;
}

void TgkDTValue::SetMinDate(rtl::TDateTime v)
{
    if (v != 0 && maxDate_ != 0 && rtl::DateOf(v) > rtl::DateOf(maxDate_)) RangeError(true, maxDate_);
    minDate_ = v;
}

rtl::TDateTime TgkDTValue::EffectiveMaxDate() const { return maxDate_ != 0 ? maxDate_ : rtl::EncodeDate(9999, 12, 31); }

rtl::TDateTime TgkDTValue::EffectiveMinDate() const { return minDate_ != 0 ? minDate_ : 1.0; }

rtl::TDateTime TgkDTValue::KeepInLimits(rtl::TDateTime date) const
{
    if (minDate_ != 0 && rtl::DateOf(date) < rtl::DateOf(minDate_)) return rtl::DateOf(minDate_);
    if (maxDate_ != 0 && rtl::DateOf(date) > rtl::DateOf(maxDate_)) return rtl::DateOf(maxDate_);
    return date;
}

bool TgkDTValue::DayOutsideLimits(rtl::TDateTime date) const
{
    return (minDate_ != 0 && date < rtl::DateOf(minDate_)) || (maxDate_ != 0 && date > rtl::DateOf(maxDate_));
}

bool TgkDTValue::DayInLimits(int year, int month, int day) const
{
    rtl::TDateTime date;
    if (!rtl::TryEncodeDate(year, month, day, date)) return false;
    return !DayOutsideLimits(date);
}

// ---- Kind and format ------------------------------------------------------------------------

bool TgkDTValue::IsDateTimeType() const
{
    if (const db::TField* f = Field()) return IsDateTimeFieldType(f->DataType());
    return unboundDataType_ == gkDTEdtDateTime;
}

bool TgkDTValue::IsDateType() const
{
    if (const db::TField* f = Field()) return f->DataType() == db::ftDate;
    return unboundDataType_ == gkDTEdtDate;
}

bool TgkDTValue::IsTimeOnly() const
{
    if (const db::TField* f = Field()) {
        if (f->DataType() == db::ftTime) return true;
        return IsDateTimeFieldType(f->DataType()) && !FormatHasDatePart(GetExpandedDisplayFormat());
    }
    return unboundDataType_ == gkDTEdtTime;
}

bool TgkDTValue::IsDateOnly() const
{
    if (const db::TField* f = Field()) {
        if (f->DataType() == db::ftDate) return true;
        return IsDateTimeFieldType(f->DataType()) && !FormatHasTimePart(GetExpandedDisplayFormat());
    }
    return unboundDataType_ == gkDTEdtDate;
}

TDTKind TgkDTValue::Kind() const
{
    TDTKind k;
    k.DateTime = IsDateTimeType();
    k.Date = IsDateType();
    k.TimeOnly = IsTimeOnly();
    k.DateOnly = IsDateOnly();
    return k;
}

std::string TgkDTValue::GetDisplayFormat(bool expandDefault) const
{
    std::string f = displayFormat_;
    if (f.empty() && Field() != nullptr) f = FieldDisplayFormat(Field());
    if (!expandDefault || !f.empty()) return f;
    const rtl::TFormatSettings& s = rtl::FormatSettings();
    const db::TField* field = Field();
    const bool timeKind = field != nullptr ? field->DataType() == db::ftTime : unboundDataType_ == gkDTEdtTime;
    const bool dateKind = field != nullptr ? field->DataType() == db::ftDate : unboundDataType_ == gkDTEdtDate;
    if (timeKind) return dateFormat_ == dfLong ? s.LongTimeFormat : s.ShortTimeFormat;
    if (dateKind) return dateFormat_ == dfLong ? s.LongDateFormat : s.ShortDateFormat;
    return dateFormat_ == dfLong ? s.LongDateFormat + " " + s.LongTimeFormat : "c";
}

std::string TgkDTValue::GetExpandedDisplayFormat() const
{
    return ExpandNamedFormats(GetDisplayFormat(true), rtl::FormatSettings());
}

bool TgkDTValue::UsesGeneralFormat() const
{
    if (const db::TField* f = Field()) {
        const std::string fieldFormat = FieldDisplayFormat(f);
        return (IsDateTimeType() && displayFormat_.empty() && fieldFormat.empty()) || fieldFormat == "c";
    }
    return IsDateTimeType() && (displayFormat_ == "c" || (displayFormat_.empty() && dateFormat_ == dfShort));
}

bool TgkDTValue::BoundWithoutField() const
{
    return (link_.DataSource() != nullptr || !link_.FieldName().empty()) && Field() == nullptr;
}

std::string TgkDTValue::FormatValue(rtl::TDateTime value) const
{
    if (BoundWithoutField()) return {};
    if (rtl::DateOf(value) == 0 && !IsTimeOnly()) return {};
    if (displayFormat_.empty() && FieldDisplayFormat(Field()).empty() && dateFormat_ == dfLong && rtl::TimeOf(value) == 0)
        return rtl::FormatDateTime(rtl::FormatSettings().LongDateFormat, value);
    return rtl::FormatDateTime(GetDisplayFormat(true), value);
}

std::string TgkDTValue::DisplayTextFor(rtl::TDateTime value, bool droppedDown) const
{
    if (BoundWithoutField()) return {};
    if (const db::TField* f = Field(); f != nullptr && f->IsNull() && !droppedDown) return {};
    if (Field() == nullptr && value == 0 && empty_) return {};
    return FormatValue(value);
}

bool TgkDTValue::PartBefore(TDTPartType a, TDTPartType b) const
{
    const std::string expanded = GetExpandedDisplayFormat();
    const TDTKind kind = Kind();
    const int count = CountFormatParts(expanded, kind);
    const auto is = [](TDTPartType t, TDTPartType wanted) {
        return t == wanted || (wanted == TDTPartType::Month && t == TDTPartType::MonthName);
    };
    int ia = 0, ib = 0;
    for (int n = 1; n <= count; ++n) {
        TDTPart part;
        LocatePart(n, expanded, 1.0, kind, rtl::FormatSettings(), part);
        const TDTPartType t = PartTypeOf(part.Token);
        if (is(t, a) && ia == 0) ia = n;
        if (is(t, b) && ib == 0) ib = n;
    }
    return ia != 0 && ib != 0 && ia < ib;
}

}  // namespace editctrls
