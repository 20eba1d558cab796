#include "editctrls/gkDBDateTimePicker.h"

#include "editctrls/gkCalendarPopup.h"

#include <algorithm>
#include <cstdint>

#include "grid/DBGrid.h"
#include "grid/GridRoutines.h"
#include "grid/Intl.h"
#include "grid/Scanning.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/TypInfo.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Formatting.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"
#include "platform/ui/FrameControls.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Screen.h"

namespace editctrls {

// ---- Enumerations and small option objects ------------------------------------------------

const classes::TEnumInfo& DTDateFormatInfo()
{
    static const classes::TEnumInfo info{"TDTDateFormat", {"dfShort", "dfLong"}};
    return info;
}

const classes::TEnumInfo& DTEditDataTypeInfo()
{
    static const classes::TEnumInfo info{"TgkDTEditDataType", {"gkDTEdtDateTime", "gkDTEdtDate", "gkDTEdtTime"}};
    return info;
}

const classes::TEnumInfo& DTCalAlignmentInfo()
{
    static const classes::TEnumInfo info{"TgkDTCalAlignment", {"gkdtaLeft", "gkdtaRight", "gkdtaCenter"}};
    return info;
}

const classes::TEnumInfo& ComboButtonStyleInfo()
{
    static const classes::TEnumInfo info{"TgkComboButtonStyle", {"cbsEllipsis", "cbsDownArrow", "cbsCustom"}};
    return info;
}

GW_IMPLEMENT_CLASS(TgkDTInterval, classes::TPersistent)
{
    using C = TgkDTInterval;
    p.Integer("MinutesInterval", &C::MinutesInterval, &C::SetMinutesInterval, 1);
    p.Boolean(
        "RoundMinutes", [](const C& i) { return i.RoundMinutes; }, [](C& i, bool v) { i.RoundMinutes = v; }, false);
}

void TgkDTInterval::Assign(const classes::TPersistent& source)
{
    if (const auto* other = dynamic_cast<const TgkDTInterval*>(&source)) {
        minutesInterval_ = other->minutesInterval_;
        RoundMinutes = other->RoundMinutes;
        return;
    }
    TPersistent::Assign(source);
}

int FirstDayNumber(TgkCalDayOfWeek day)
{
    // 0 = Monday .. 6 = Sunday there; 1 = Sunday .. 7 = Saturday here.
    const int n = gkFirstDayIndex(day) + 2;
    return n == 8 ? 1 : n;
}

ui::TPoint PlaceDropDown(const ui::TRect& picker, int width, int height, const ui::TRect& workArea, int screenWidth,
                         TgkDTCalAlignment alignment, int buttonWidth)
{
    int top = picker.Bottom - 1;
    if (top + height > workArea.Bottom && picker.Top - height >= workArea.Top) top = picker.Top - height;
    const int pw = picker.Width();
    int left = picker.Left;
    if (alignment == gkdtaRight)
        left = picker.Left + pw - buttonWidth - width - 1;
    else if (alignment == gkdtaCenter)
        left = picker.Left + (pw - width - buttonWidth - 1) / 2;
    if (picker.Left + width >= screenWidth) left = picker.Left + pw - 1 - width;
    if (alignment != gkdtaLeft && left < 0) left = 0;
    return {left + 1, top};
}

GW_IMPLEMENT_CLASS(TgkCalendarOptions, classes::TPersistent)
{
    using C = TgkCalendarOptions;
    p.Enumeration(
        "Alignment", DTCalAlignmentInfo(), [](const C& o) { return o.Alignment; },
        [](C& o, TgkDTCalAlignment v) { o.Alignment = v; }, gkdtaLeft);
    p.Object("Colors", [](const C& o) { return o.Colors(); });
    p.Object("Font", [](const C& o) { return o.Font(); });
    p.Set(
        "Options", MonthOptionInfo(), [](const C& o) { return o.Options; }, [](C& o, TgkMonthOptions v) { o.Options = v; },
        TgkMonthOptions{mdoDayState});
    p.Object("PopupYearOptions", [](const C& o) { return o.PopupYearOptions(); });
    p.Enumeration(
        "FirstDayOfWeek", CalDayOfWeekInfo(), [](const C& o) { return o.FirstDayOfWeek; },
        [](C& o, TgkCalDayOfWeek v) { o.FirstDayOfWeek = v; }, gkdowLocaleDefault);
}

TgkCalendarOptions::TgkCalendarOptions()
    : font_(std::make_unique<classes::TFont>()), colors_(std::make_unique<TgkDateTimeColors>(this)),
      yearOptions_(std::make_unique<TgkPopupYearOptions>())
{
}
TgkCalendarOptions::~TgkCalendarOptions() = default;

void TgkCalendarOptions::SetFont(const classes::TFont* font)
{
    if (font != nullptr) font_->Assign(*font);
}

void TgkCalendarOptions::Assign(const classes::TPersistent& source)
{
    if (const auto* o = dynamic_cast<const TgkCalendarOptions*>(&source)) {
        Alignment = o->Alignment;
        FirstDayOfWeek = o->FirstDayOfWeek;
        font_->Assign(*o->font_);
        CalendarWidth = o->CalendarWidth;
        CalendarHeight = o->CalendarHeight;
        Options = o->Options;
        colors_->Assign(*o->colors_);
        yearOptions_->Assign(*o->yearOptions_);
        return;
    }
    TPersistent::Assign(source);
}

GW_IMPLEMENT_CLASS(TgkComboButtonEffects, TgkButtonEffects) {}

void TgkComboButtonEffects::Refresh()
{
    if (auto* picker = dynamic_cast<TgkDBCustomDateTimePicker*>(Control())) picker->PositionButton();
}

GW_IMPLEMENT_CLASS(TgkDateComboButton, ui::TSpeedButton) {}

namespace {

// The drop-down arrow: a 7 x 4 black triangle on the button face, as a BMP picture (what
// the button's glyph stores).
std::string ArrowGlyphBmp()
{
    const int w = 7, h = 4, stride = (w * 3 + 3) / 4 * 4;
    const int size = 54 + stride * h;
    std::string b(static_cast<std::size_t>(size), '\0');
    const auto put32 = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[static_cast<std::size_t>(at + i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<std::uint32_t>(size));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    b[26] = 1;
    b[28] = 24;
    put32(34, static_cast<std::uint32_t>(stride * h));
    const rtl::TColor face = rtl::ColorToRGB(rtl::clBtnFace);
    for (int row = 0; row < h; ++row) {      // bottom row first
        const int y = h - 1 - row;            // triangle row from the top
        for (int x = 0; x < w; ++x) {
            const bool ink = x >= y && x < w - y;
            const std::size_t at = static_cast<std::size_t>(54 + row * stride + x * 3);
            b[at] = static_cast<char>(ink ? 0 : (face >> 16) & 0xFF);
            b[at + 1] = static_cast<char>(ink ? 0 : (face >> 8) & 0xFF);
            b[at + 2] = static_cast<char>(ink ? 0 : face & 0xFF);
        }
    }
    return b;
}

}  // namespace

TgkDateComboButton::TgkDateComboButton(classes::TComponent* owner) : ui::TSpeedButton(owner)
{
    Glyph()->LoadFromBytes(ArrowGlyphBmp());
}

// ---- The picker ---------------------------------------------------------------------------

namespace {

// Posted to itself when the focus leaves: the drop-down calendar is freed unless the focus
// came back first.
unsigned DestroyCalendarMessage()
{
    static const unsigned msg = ui::RegisterWindowMessage("GKDATEPICKERDESTROYCALENDAR");
    return msg;
}

// The button host: a windowed strip at the picker's right edge.
class TBtnWinControl : public ui::TWinControl {
public:
    TBtnWinControl(classes::TComponent* owner, TgkDBCustomDateTimePicker* picker) : TWinControl(owner), picker_(picker) {}
    TgkDBCustomDateTimePicker* Picker() const noexcept { return picker_; }

private:
    TgkDBCustomDateTimePicker* picker_;
};

constexpr int kAutoButtonWidth = 15;  // the scroll-bar width here is below it

// The first leap year after `year` (29 February typed into a year without one).
int NextLeapYear(int year)
{
    int next = (year / 4 + 1) * 4;
    if (!rtl::IsLeapYear(next)) next += 4;  // a century that is no leap year
    return next;
}

bool IsDateTimeFieldType(db::TFieldType t) { return t == db::ftDateTime ; }

}  // namespace

GW_IMPLEMENT_CLASS(TgkDBCustomDateTimePicker, ui::TEdit) {}

GW_IMPLEMENT_CLASS(TgkDBDateTimePicker, TgkDBCustomDateTimePicker)
{
    using C = TgkDBDateTimePicker;
    p.Boolean("AutoSize", &C::AutoSize, &C::SetAutoSize, true);
    p.Enumeration("BorderStyle", ui::BorderStyleInfo(), &C::BorderStyle, &C::SetBorderStyle, ui::bsSingle);
    p.Float(
        "Date", [](const C& c) { return const_cast<C&>(c).Date(); }, [](C& c, double v) { c.SetDate(v); }, 0.0);
    p.Float(
        "Time", [](const C& c) { return const_cast<C&>(c).Time(); }, [](C& c, double v) { c.SetTime(v); }, 0.0);
    p.Float("MaxDate", &C::MaxDate, &C::SetMaxDate, 0.0);
    p.Float("MinDate", &C::MinDate, &C::SetMinDate, 0.0);
    p.Object("CalendarAttributes", [](const C& c) { return const_cast<C&>(c).CalendarAttributes(); });
    p.Component<db::TDataSource>("DataSource", &C::DataSource, &C::SetDataSource);
    p.String("DataField", &C::DataField, &C::SetDataField);
    p.Enumeration("DateFormat", DTDateFormatInfo(), &C::DateFormat, &C::SetDateFormat, dfShort);
    p.String("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat);
    p.Integer("Epoch", &C::Epoch, &C::SetEpoch, 1950);
    p.Object("Frame", [](const C& c) { return const_cast<C&>(c).Frame(); });
    p.Object("ButtonEffects", [](const C& c) { return static_cast<TgkButtonEffects*>(const_cast<C&>(c).ButtonEffects()); });
    p.Object("Interval", [](const C& c) { return const_cast<C&>(c).Interval(); });
    p.Enumeration("ButtonStyle", ComboButtonStyleInfo(), &C::ButtonStyle, &C::SetButtonStyle, cbsDownArrow);
    p.Integer("ButtonWidth", &C::ButtonWidth, &C::SetButtonWidth, 0);
    p.Boolean("ReadOnly", &C::ReadOnly, &C::SetReadOnly, false);
    p.Boolean("ShowButton", &C::ShowButton, &C::SetShowButton, true);
    p.Enumeration("UnboundDataType", DTEditDataTypeInfo(), &C::UnboundDataType, &C::SetUnboundDataType,
                  gkDTEdtDateTime);
    p.Event("OnCloseUp", &C::OnCloseUp);
    p.Event("OnDropDown", &C::OnDropDown);
    p.Event("OnMouseEnter", &C::OnMouseEnter);
    p.Event("OnMouseLeave", &C::OnMouseLeave);
}

void RegisterDateTimePickerClasses() { classes::RegisterClasses<TgkDBDateTimePicker>(); }

TgkDBCustomDateTimePicker::TgkDBCustomDateTimePicker(classes::TComponent* owner)
    : ui::TEdit(owner), link_(std::make_unique<db::TFieldDataLink>()), frame_(this)
{
    SetAutoSelect(false);
    link_->SetControl(this);
    link_->OnDataChange = [this](db::TFieldDataLink*) { DataChange(); };
    link_->OnUpdateData = [this](db::TFieldDataLink*) { UpdateData(); };
    epoch_ = grid::gkIntlDefault().DefaultEpochYear;
    host_ = new TBtnWinControl(this, this);
    host_->SetParent(this);
    button_ = new TgkDateComboButton(this);
    button_->SetParent(host_);
    button_->OnClick = [this](classes::TObject*) {
        if (IsDroppedDown()) {
            CloseUp(true);
            return;
        }
        if (!Focused()) {
            enteringByButton_ = true;
            SetFocus();
            enteringByButton_ = false;
        }
        DropDown();
    };
    buttonEffects_ = std::make_unique<TgkComboButtonEffects>(this, button_);
    host_->SetBounds(0, 0, 17, 17);
    SetButtonWidth(0);
}

TgkDBCustomDateTimePicker::~TgkDBCustomDateTimePicker()
{
    // The link goes first: freeing the controls must not reach the data set any more.
    link_->SetDataSource(nullptr);
}

void TgkDBCustomDateTimePicker::SetBorderStyle(ui::TFormBorderStyle v)
{
    if (v == borderStyle_) return;
    borderStyle_ = v;
    UpdateEditRect();
    Changed();
}

// ---- Value kinds and format ----------------------------------------------------------------

bool TgkDBCustomDateTimePicker::IsDateTimeType() const
{
    if (const db::TField* f = Field()) return IsDateTimeFieldType(f->DataType());
    return Field() == nullptr && unboundDataType_ == gkDTEdtDateTime;
}

bool TgkDBCustomDateTimePicker::IsDateType() const
{
    if (const db::TField* f = Field()) return f->DataType() == db::ftDate;
    return unboundDataType_ == gkDTEdtDate;
}

bool TgkDBCustomDateTimePicker::IsTimeOnly() const
{
    if (const db::TField* f = Field()) {
        if (f->DataType() == db::ftTime) return true;
        return IsDateTimeFieldType(f->DataType()) && !FormatHasDatePart(GetExpandedDisplayFormat());
    }
    return unboundDataType_ == gkDTEdtTime;
}

bool TgkDBCustomDateTimePicker::IsDateOnly() const
{
    if (const db::TField* f = Field()) {
        if (f->DataType() == db::ftDate) return true;
        return IsDateTimeFieldType(f->DataType()) && !FormatHasTimePart(GetExpandedDisplayFormat());
    }
    return unboundDataType_ == gkDTEdtDate;
}

TDTKind TgkDBCustomDateTimePicker::Kind() const
{
    TDTKind k;
    k.DateTime = IsDateTimeType();
    k.Date = IsDateType();
    k.TimeOnly = IsTimeOnly();
    k.DateOnly = IsDateOnly();
    return k;
}

namespace {

std::string FieldDisplayFormat(const db::TField* f)
{
    if (const auto* dt = dynamic_cast<const db::TDateTimeField*>(f)) return dt->DisplayFormat();
    return {};
}

}  // namespace

std::string TgkDBCustomDateTimePicker::GetDisplayFormat(bool expandDefault) const
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

std::string TgkDBCustomDateTimePicker::GetExpandedDisplayFormat() const
{
    return ExpandNamedFormats(GetDisplayFormat(true), rtl::FormatSettings());
}

bool TgkDBCustomDateTimePicker::UsesGeneralFormat() const
{
    if (const db::TField* f = Field()) {
        const std::string fieldFormat = FieldDisplayFormat(f);
        return (IsDateTimeType() && displayFormat_.empty() && fieldFormat.empty()) || fieldFormat == "c";
    }
    return IsDateTimeType() && (displayFormat_ == "c" || (displayFormat_.empty() && dateFormat_ == dfShort));
}

rtl::TDateTime TgkDBCustomDateTimePicker::ShownValue() const
{
    // While the calendar is open the parts are measured on the date it shows.
    return IsDroppedDown() ? calendar_->DateTime() : value_;
}

int TgkDBCustomDateTimePicker::ShownPartCount() const
{
    const std::string expanded = GetExpandedDisplayFormat();
    const TDTKind kind = Kind();
    if (!UsesGeneralFormat()) return CountFormatParts(expanded, kind);
    const int all = CountFormatParts(expanded, kind);
    const std::size_t shown = Text().size();
    for (int n = 1; n <= all; ++n) {
        TDTPart part;
        if (!LocatePart(n, expanded, ShownValue(), kind, rtl::FormatSettings(), part)) return std::max(1, n - 1);
        if (part.Text.size() >= shown) return n;
    }
    return all;
}

bool TgkDBCustomDateTimePicker::IsLastPartShown() const
{
    if (!UsesGeneralFormat()) return true;
    const std::string expanded = GetExpandedDisplayFormat();
    TDTPart part;
    LocatePart(CountFormatParts(expanded, Kind()), expanded, ShownValue(), Kind(), rtl::FormatSettings(), part);
    return Text().size() >= part.Text.size();
}

bool TgkDBCustomDateTimePicker::BoundWithoutField() const
{
    return (DataSource() != nullptr || !DataField().empty()) && Field() == nullptr;
}

std::string TgkDBCustomDateTimePicker::FormatValue(rtl::TDateTime value) const
{
    if (BoundWithoutField()) return {};
    if (rtl::DateOf(value) == 0 && !IsTimeOnly()) return {};
    if (displayFormat_.empty() && FieldDisplayFormat(Field()).empty() && dateFormat_ == dfLong && rtl::TimeOf(value) == 0)
        return rtl::FormatDateTime(rtl::FormatSettings().LongDateFormat, value);
    return rtl::FormatDateTime(GetDisplayFormat(true), value);
}

std::string TgkDBCustomDateTimePicker::DisplayTextFor(rtl::TDateTime value) const
{
    if (BoundWithoutField()) return {};
    if (const db::TField* f = Field(); f != nullptr && f->IsNull() && !IsDroppedDown()) return {};
    if (Field() == nullptr && value == 0 && empty_) return {};
    return FormatValue(value);
}

void TgkDBCustomDateTimePicker::SetTextKeepModified(const std::string& text)
{
    if (text == Text()) return;
    const bool modified = Modified();
    SetText(text);
    SetModified(modified);
}

void TgkDBCustomDateTimePicker::RefreshText()
{
    std::string text;
    if (Modified())
        text = FormatValue(value_);
    else if (Field() != nullptr)
        text = DisplayTextFor(value_);
    else if (value_ == 0 || !DataField().empty() || DataSource() != nullptr)
        text = {};
    else
        text = DisplayTextFor(value_);
    SetTextKeepModified(text);
    Invalidate();
}

bool TgkDBCustomDateTimePicker::LocateCurrent(TDTPart& part) const
{
    return LocatePart(part_, GetExpandedDisplayFormat(), ShownValue(), Kind(), rtl::FormatSettings(), part);
}

TDTPartType TgkDBCustomDateTimePicker::CurrentPartType() const
{
    TDTPart part;
    if (!LocateCurrent(part)) return TDTPartType::None;
    return PartTypeOf(part.Token);
}

void TgkDBCustomDateTimePicker::HighlightPart()
{
    if (CanEditValue()) {
        if (IsDroppedDown()) {
            SetSel(0, 0);
        } else {
            TDTPart part;
            LocateCurrent(part);
            SetSel(part.Start, part.Length);
        }
    } else {
        SelectAll();
    }
    SetCaretHidden(true);
}

rtl::TDateTime TgkDBCustomDateTimePicker::EffectiveMaxDate() const
{
    return maxDate_ != 0 ? maxDate_ : rtl::EncodeDate(9999, 12, 31);
}

rtl::TDateTime TgkDBCustomDateTimePicker::EffectiveMinDate() const { return minDate_ != 0 ? minDate_ : 1.0; }

void TgkDBCustomDateTimePicker::RangeError(bool max, rtl::TDateTime limit) const
{
    const std::string date = rtl::DateToStr(limit);
    throw EDateTimeError(max ? "Date exceeds maximum of " + date : "Date is less than minimum of " + date);
}

void TgkDBCustomDateTimePicker::SetValue(rtl::TDateTime value)
{
    const bool modified = Modified();
    if (Field() == nullptr && value == 0) empty_ = false;
    if (value == value_ && value != 0) return;
    if (value == 0) {
        value_ = 0;
        if (!IsTimeOnly()) {
            SetTextKeepModified({});
            return;
        }
    }
    bool tooLate = false, tooEarly = false;
    const bool timeOnlyDay = rtl::DateOf(value) == 0 && IsTimeOnly();
    const bool fieldNull = Field() != nullptr && Field()->IsNull();
    if (!timeOnlyDay && !fieldNull) {
        if (maxDate_ != 0 && rtl::DateOf(value) > rtl::DateOf(maxDate_)) tooLate = true;
        if (minDate_ != 0 && rtl::DateOf(value) < rtl::DateOf(minDate_)) tooEarly = true;
    }
    value_ = value;
    if (value != 0) empty_ = false;
    const std::string text = FormatValue(value);
    if (text != Text()) SetText(text);
    HighlightPart();
    SetModified(modified);
    if (tooLate) RangeError(true, maxDate_);
    if (tooEarly) RangeError(false, minDate_);
}

rtl::TDateTime TgkDBCustomDateTimePicker::Date()
{
    CommitTypedPart();
    return IsTimeOnly() ? 0 : value_;
}

void TgkDBCustomDateTimePicker::SetDate(rtl::TDateTime date)
{
    if (IsTimeOnly()) return;
    if (Field() == nullptr && date == 0) {
        SetValue(0);
        return;
    }
    if (rtl::DateOf(date) == rtl::DateOf(value_) && value_ != 0) return;
    const rtl::TDateTime v = rtl::ComposeDateTime(rtl::DateOf(date), rtl::TimeOf(value_));
    if (v != 0) {
        SetValue(v);
    } else {
        value_ = 0;
        Invalidate();
    }
}

rtl::TDateTime TgkDBCustomDateTimePicker::Time()
{
    CommitTypedPart();
    return IsDateType() ? 0 : value_;
}

void TgkDBCustomDateTimePicker::SetTime(rtl::TDateTime time)
{
    if (IsDateType()) return;
    if (Field() == nullptr && time == 0) {
        SetValue(0);
        return;
    }
    if (rtl::TimeOf(time) == rtl::TimeOf(value_) && !(value_ == 0 && empty_)) return;
    const rtl::TDateTime v = rtl::ComposeDateTime(rtl::DateOf(value_), rtl::TimeOf(time));
    SetValue(v);
    if (rtl::TimeOf(time) == 0) Invalidate();
}

void TgkDBCustomDateTimePicker::SetMaxDate(rtl::TDateTime v)
{
    if (v != 0 && minDate_ != 0 && rtl::DateOf(v) < rtl::DateOf(minDate_)) RangeError(false, minDate_);
    maxDate_ = v;
}

void TgkDBCustomDateTimePicker::SetMinDate(rtl::TDateTime v)
{
    if (v != 0 && maxDate_ != 0 && rtl::DateOf(v) > rtl::DateOf(maxDate_)) RangeError(true, maxDate_);
    minDate_ = v;
}

void TgkDBCustomDateTimePicker::SetDisplayFormat(const std::string& v)
{
    if (v == displayFormat_) return;
    displayFormat_ = v;
    RefreshText();
    PositionButton();
}

void TgkDBCustomDateTimePicker::SetDateFormat(TDTDateFormat v)
{
    if (v == dateFormat_) return;
    dateFormat_ = v;
    RefreshText();
}

void TgkDBCustomDateTimePicker::SetUnboundDataType(TgkDTEditDataType v)
{
    if (v == unboundDataType_) return;
    unboundDataType_ = v;
    RefreshText();
    PositionButton();
}

void TgkDBCustomDateTimePicker::ApplyDateParts(int year, int month, int day, int hour, int minute, int second,
                                               int msec)
{
    year = std::clamp(year, 1, 9999);
    month = std::clamp(month, 1, 12);
    day = std::clamp(day, 1, rtl::DaysInAMonth(year, month));
    const rtl::TDateTime time = rtl::EncodeTime(hour, minute, second, msec);
    if (IsTimeOnly()) {
        SetTime(time);
        if (time == 0 && value_ == 0) {
            // Midnight is a time of its own: show it.
            empty_ = false;
            SetTextKeepModified(FormatValue(0));
            HighlightPart();
        }
        return;
    }
    const rtl::TDateTime v = rtl::ComposeDateTime(rtl::EncodeDate(year, month, day), time);
    if (rtl::DateOf(v) > rtl::DateOf(EffectiveMaxDate()) || rtl::DateOf(v) < rtl::DateOf(EffectiveMinDate())) {
        RefreshText();
        return;
    }
    SetValue(v);
}

// ---- Binding --------------------------------------------------------------------------------

void TgkDBCustomDateTimePicker::SetDataSource(db::TDataSource* source)
{
    if (source == DataSource()) return;
    if (DataSource() != nullptr) DataSource()->RemoveFreeNotification(this);
    link_->SetDataSource(source);
    if (source != nullptr) source->FreeNotification(this);
    if (source == nullptr) unboundDataType_ = gkDTEdtDateTime;
}

void TgkDBCustomDateTimePicker::SetDataField(const std::string& name)
{
    if (name.empty()) unboundDataType_ = gkDTEdtDateTime;
    try {
        link_->SetFieldName(name);
    } catch (const std::exception&) {
        // A name the data set does not hold: the picker stays bound by name to nothing, shows
        // nothing, never drops down and ignores editing keys.
        RefreshText();
    }
}

void TgkDBCustomDateTimePicker::SetReadOnly(bool v)
{
    link_->SetReadOnly(v);
    ui::TEdit::SetReadOnly(v);
}

void TgkDBCustomDateTimePicker::Notification(classes::TComponent* component, classes::TOperation operation)
{
    ui::TEdit::Notification(component, operation);
    if (operation == classes::opRemove && component == DataSource()) link_->SetDataSource(nullptr);
}

bool TgkDBCustomDateTimePicker::CanEditValue() const
{
    if (ReadOnly()) return false;
    if (BoundWithoutField()) return false;
    if (db::TField* f = Field()) {
        if (f->ReadOnly() || f->DataSet() == nullptr || !f->DataSet()->CanModify()) return false;
        if (DataSource() != nullptr && !DataSource()->AutoEdit())
            return DataSource()->State() == db::dsEdit || DataSource()->State() == db::dsInsert;
    }
    return true;
}

bool TgkDBCustomDateTimePicker::CanModifyField() const
{
    db::TField* f = Field();
    if (f == nullptr) return true;
    db::TDataSet* ds = f->DataSet();
    if (ds != nullptr && (ds->State() == db::dsEdit || ds->State() == db::dsInsert)) return true;
    return !(ReadOnly() || !f->CanModify() || f->ReadOnly() || ds == nullptr || !ds->CanModify());
}

void TgkDBCustomDateTimePicker::MarkModified(bool editFirst)
{
    if (editFirst && Field() != nullptr && Field()->ReadOnly()) return;
    if (editFirst && Field() != nullptr) {
        if (link_->Edit()) link_->SetModified();
    }
    SetModified(true);
}

void TgkDBCustomDateTimePicker::Change()
{
    if (fromCalendar_) SetModified(true);
    ui::TEdit::Change();
    if (Field() != nullptr && Modified()) link_->SetModified();
    // An emptied text keeps only the half the edit does not show.
    if (Text().empty()) value_ = IsTimeOnly() ? rtl::DateOf(value_) : rtl::TimeOf(value_);
}

void TgkDBCustomDateTimePicker::DataChange()
{
    db::TField* f = Field();
    if (f != nullptr) {
        if (f->Alignment() != textAlignment_) {
            SetTextKeepModified({});
            textAlignment_ = f->Alignment();
        }
        const db::TDataSetState state = DataSource() != nullptr ? DataSource()->State() : db::dsInactive;
        if (f->IsNull()) {
            const bool modified = Modified();
            value_ = 0;
            SetText({});
            SetModified(modified);
            if (state == db::dsBrowse || state == db::dsInsert) {
                part_ = 1;
                SelectAll();
            }
        } else {
            value_ = f->AsDateTime();
            empty_ = false;
            SetText(DisplayTextFor(value_));
            SetModified(false);
            if (state == db::dsBrowse) {
                part_ = 1;
                SelectAll();
            }
            Invalidate();
        }
        if (Text().empty() && !f->IsNull()) SetText(DisplayTextFor(f->AsDateTime()));
        return;
    }
    textAlignment_ = classes::taLeftJustify;
    if (DataSource() != nullptr || !DataField().empty()) RefreshText();
}

void TgkDBCustomDateTimePicker::UpdateData()
{
    if (ReadOnly() || !Modified()) return;
    db::TField* f = Field();
    if (f == nullptr) return;
    if (!link_->Editing() && !CanModifyField()) return;
    CommitTypedPart();
    if (IsTimeOnly() && !IsDateOnly()) {
        const rtl::TDateTime fieldDay = f->IsNull() ? 0 : rtl::DateOf(f->AsDateTime());
        const rtl::TDateTime v = rtl::ComposeDateTime(fieldDay, rtl::TimeOf(value_));
        if (v == 0 && Text().empty()) {
            f->Clear();
            return;
        }
        f->SetAsDateTime(v);
        return;
    }
    rtl::TDateTime v = value_;
    if (IsDateOnly() && v != 0) {
        const rtl::TDateTime fieldTime = f->IsNull() ? 0 : rtl::TimeOf(f->AsDateTime());
        v = rtl::ComposeDateTime(rtl::DateOf(v), fieldTime);
    }
    if (v != 0)
        f->SetAsDateTime(v);
    else if (empty_ || Text().empty())
        f->Clear();
}

// ---- Typing ---------------------------------------------------------------------------------

bool TgkDBCustomDateTimePicker::InGrid() const { return dynamic_cast<const ui::TCustomGrid*>(Parent()) != nullptr; }

bool TgkDBCustomDateTimePicker::PartBefore(TDTPartType a, TDTPartType b) const
{
    const std::string expanded = GetExpandedDisplayFormat();
    const TDTKind kind = Kind();
    const int count = CountFormatParts(expanded, kind);
    int ia = 0, ib = 0;
    for (int n = 1; n <= count; ++n) {
        TDTPart part;
        LocatePart(n, expanded, 1.0, kind, rtl::FormatSettings(), part);
        const TDTPartType t = PartTypeOf(part.Token);
        const bool isA = t == a || (a == TDTPartType::Month && t == TDTPartType::MonthName);
        const bool isB = t == b || (b == TDTPartType::Month && t == TDTPartType::MonthName);
        if (isA && ia == 0) ia = n;
        if (isB && ib == 0) ib = n;
    }
    return ia != 0 && ib != 0 && ia < ib;
}

bool TgkDBCustomDateTimePicker::DayBeforeMonth() const { return PartBefore(TDTPartType::Day, TDTPartType::Month); }

void TgkDBCustomDateTimePicker::CommitTypedPart()
{
    if (IsDroppedDown() || !pending_) return;
    pending_ = false;
    const std::string digits = typed_;
    typed_.clear();
    TDTPart part;
    if (!LocateCurrent(part) || digits.empty()) {
        RefreshText();
        return;
    }
    const int typedValue = std::atoi(digits.c_str());
    int y, m, d, h, n, s, ms;
    rtl::DecodeDateTime(value_, y, m, d, h, n, s, ms);
    const TDTPartType t = PartTypeOf(part.Token);
    bool apply = true;
    switch (t) {
    case TDTPartType::Day:
        if (typedValue == 0) apply = false;
        d = typedValue;
        break;
    case TDTPartType::Month:
        if (typedValue == 0) apply = false;
        m = typedValue;
        break;
    case TDTPartType::Year:
        if (part.Token.size() > 2 && digits.size() == 3) {
            if (typedValue == 0) apply = false;
            y = typedValue;
        } else {
            y = ExpandTwoDigitYear(typedValue % 100, epoch_);
        }
        break;
    case TDTPartType::Hour:
        if (FormatHasAmPm(GetExpandedDisplayFormat())) {
            int hour = typedValue % 12;
            if (h >= 12) hour += 12;
            h = hour;
        } else {
            h = typedValue;
        }
        break;
    case TDTPartType::Minute: n = typedValue; break;
    case TDTPartType::Second: s = typedValue; break;
    default: apply = false; break;
    }
    if (apply && h < 24 && n < 60 && s < 60 && d >= 1 && m >= 1 && m <= 12 && y >= 1 && y <= 9999)
        ApplyDateParts(y, m, d, h, n, s, ms);
    RefreshText();
    HighlightPart();
    MarkModified(true);
}

void TgkDBCustomDateTimePicker::GiveEmptyValue(bool digit)
{
    rtl::TDateTime v;
    if (IsTimeOnly()) {
        v = digit ? 0 : rtl::Time();
    } else {
        v = rtl::Date();
        if (minDate_ != 0 && v < rtl::DateOf(minDate_)) v = rtl::DateOf(minDate_);
        if (maxDate_ != 0 && v > rtl::DateOf(maxDate_)) v = rtl::DateOf(maxDate_);
    }
    value_ = v;
    empty_ = false;
    SetText(FormatValue(v));
    MarkModified(true);
    part_ = 1;
    HighlightPart();
}

void TgkDBCustomDateTimePicker::PartLeft()
{
    CommitTypedPart();
    part_ = std::clamp(part_ - 1, 1, std::max(1, ShownPartCount()));
    HighlightPart();
}

void TgkDBCustomDateTimePicker::PartRight()
{
    const int total = CountFormatParts(GetExpandedDisplayFormat(), Kind());
    if (part_ >= total) {
        CommitTypedPart();
        return;
    }
    CommitTypedPart();
    if (UsesGeneralFormat() && rtl::TimeOf(value_) == 0 && part_ == ShownPartCount() && !IsLastPartShown()) {
        // The time parts come into view with the time of day.
        SetValue(rtl::ComposeDateTime(rtl::DateOf(value_), rtl::Time()));
        MarkModified(true);
    }
    part_ = std::clamp(part_ + 1, 1, std::max(1, ShownPartCount()));
    HighlightPart();
}

void TgkDBCustomDateTimePicker::StepPart(int dir)
{
    CommitTypedPart();
    TDTPart part;
    if (!LocateCurrent(part)) return;
    int y, m, d, h, n, s, ms;
    rtl::DecodeDateTime(value_, y, m, d, h, n, s, ms);
    const TDTPartType t = PartTypeOf(part.Token);
    const auto keepInLimits = [&](rtl::TDateTime date) {
        if (minDate_ != 0 && rtl::DateOf(date) < rtl::DateOf(minDate_)) return rtl::DateOf(minDate_);
        if (maxDate_ != 0 && rtl::DateOf(date) > rtl::DateOf(maxDate_)) return rtl::DateOf(maxDate_);
        return date;
    };
    const auto applyDate = [&](rtl::TDateTime date) {
        date = keepInLimits(date);
        int yy, mm, dd;
        rtl::DecodeDate(date, yy, mm, dd);
        ApplyDateParts(yy, mm, dd, h, n, s, ms);
    };
    switch (t) {
    case TDTPartType::Day: {
        const int days = rtl::DaysInAMonth(y, m);
        d = (d - 1 + dir + days) % days + 1;
        applyDate(rtl::EncodeDate(y, m, d));
        break;
    }
    case TDTPartType::Weekday: {
        const int first = FirstDayNumber(calendarAttributes_.FirstDayOfWeek);
        const int dow = rtl::DayOfWeek(value_);
        const int index = (dow - first + 7) % 7;  // place in the week
        const int next = (index + dir + 7) % 7;
        applyDate(rtl::DateOf(value_) + (next - index));
        break;
    }
    case TDTPartType::Month:
    case TDTPartType::MonthName: {
        m = (m - 1 + dir + 12) % 12 + 1;
        d = std::min(d, rtl::DaysInAMonth(y, m));
        applyDate(rtl::EncodeDate(y, m, d));
        break;
    }
    case TDTPartType::Year: {
        const int ny = y + dir;
        if (ny < 1 || ny > 9999) return;
        d = std::min(d, rtl::DaysInAMonth(ny, m));
        applyDate(rtl::EncodeDate(ny, m, d));
        break;
    }
    case TDTPartType::Hour: ApplyDateParts(y, m, d, (h + dir + 24) % 24, n, s, ms); break;
    case TDTPartType::Minute: {
        const int step = interval_.EffectiveInterval();
        int minute = ((n + dir * step) % 60 + 60) % 60;
        if (interval_.RoundMinutes) minute -= minute % step;
        ApplyDateParts(y, m, d, h, minute, s, ms);
        break;
    }
    case TDTPartType::Second: ApplyDateParts(y, m, d, h, n, (s + dir + 60) % 60, ms); break;
    case TDTPartType::AmPm: ApplyDateParts(y, m, d, (h + 12) % 24, n, s, ms); break;
    default: return;
    }
    MarkModified(true);
    HighlightPart();
}

void TgkDBCustomDateTimePicker::HomeEnd(bool end)
{
    CommitTypedPart();
    TDTPart part;
    if (!LocateCurrent(part)) return;
    int y, m, d, h, n, s, ms;
    rtl::DecodeDateTime(value_, y, m, d, h, n, s, ms);
    int ly, lm, ld, uy, um, ud;
    rtl::DecodeDate(EffectiveMinDate(), ly, lm, ld);
    rtl::DecodeDate(EffectiveMaxDate(), uy, um, ud);
    const auto keep = [&](rtl::TDateTime date) {
        return std::clamp(rtl::DateOf(date), rtl::DateOf(EffectiveMinDate()), rtl::DateOf(EffectiveMaxDate()));
    };
    const auto applyDate = [&](rtl::TDateTime date) {
        int yy, mm, dd;
        rtl::DecodeDate(keep(date), yy, mm, dd);
        ApplyDateParts(yy, mm, dd, h, n, s, ms);
    };
    switch (PartTypeOf(part.Token)) {
    case TDTPartType::Day: applyDate(rtl::EncodeDate(y, m, end ? rtl::DaysInAMonth(y, m) : 1)); break;
    case TDTPartType::Weekday: {
        const int first = FirstDayNumber(calendarAttributes_.FirstDayOfWeek);
        const int index = (rtl::DayOfWeek(value_) - first + 7) % 7;
        applyDate(rtl::DateOf(value_) - index + (end ? 6 : 0));
        break;
    }
    case TDTPartType::Month:
    case TDTPartType::MonthName: {
        int month = end ? 12 : 1;
        if (!end && y == ly) month = lm + (d < ld ? 1 : 0);
        if (end && y == uy) month = um - (d > ud ? 1 : 0);
        month = std::clamp(month, 1, 12);
        applyDate(rtl::EncodeDate(y, month, std::min(d, rtl::DaysInAMonth(y, month))));
        break;
    }
    case TDTPartType::Year: {
        int year = end ? uy : ly;
        if (!end && (m < lm || (m == lm && d < ld))) ++year;
        if (end && (m > um || (m == um && d > ud))) --year;
        year = std::clamp(year, 1, 9999);
        applyDate(rtl::EncodeDate(year, m, std::min(d, rtl::DaysInAMonth(year, m))));
        break;
    }
    case TDTPartType::Hour: ApplyDateParts(y, m, d, end ? 23 : 0, n, s, ms); break;
    case TDTPartType::Minute: ApplyDateParts(y, m, d, h, end ? 59 : 0, s, ms); break;
    case TDTPartType::Second: ApplyDateParts(y, m, d, h, n, end ? 59 : 0, ms); break;
    case TDTPartType::AmPm:
        if (!end && h >= 12) ApplyDateParts(y, m, d, h - 12, n, s, ms);
        if (end && h < 12) ApplyDateParts(y, m, d, h + 12, n, s, ms);
        break;
    default: return;
    }
    MarkModified(true);
    HighlightPart();
}

void TgkDBCustomDateTimePicker::TypeDigit(int digit)
{
    TDTPart part;
    if (!LocateCurrent(part)) return;
    const TDTPartType t = PartTypeOf(part.Token);
    const bool amPm = FormatHasAmPm(GetExpandedDisplayFormat());
    int y, m, d, h, n, s, ms;
    rtl::DecodeDateTime(value_, y, m, d, h, n, s, ms);
    const auto fail = [] { ui::Beep(); };
    const auto inLimits = [&](int yy, int mm, int dd) {
        rtl::TDateTime date;
        if (!rtl::TryEncodeDate(yy, mm, dd, date)) return false;
        if (minDate_ != 0 && date < rtl::DateOf(minDate_)) return false;
        if (maxDate_ != 0 && date > rtl::DateOf(maxDate_)) return false;
        return true;
    };
    // Checks a typed value of the part and applies it; false (after a beep) when it fails.
    const auto checkAndApply = [&](int v) -> bool {
        switch (t) {
        case TDTPartType::Day: {
            if (v == 0) return true;  // keeps the old day
            if (v < 1 || v > 31) return fail(), false;
            int mm = m, yy = y;
            if (v > rtl::DaysInAMonth(yy, mm) && DayBeforeMonth()) {
                mm = 1;
                while (mm < 12 && rtl::DaysInAMonth(yy, mm) < v) ++mm;
            }
            if (v == 29 && mm == 2 && !rtl::IsLeapYear(yy) && PartBefore(TDTPartType::Day, TDTPartType::Year)) {
                yy = NextLeapYear(yy);
            }
            const int dd = std::min(v, rtl::DaysInAMonth(yy, mm));
            if (!inLimits(yy, mm, dd)) return fail(), false;
            ApplyDateParts(yy, mm, dd, h, n, s, ms);
            return true;
        }
        case TDTPartType::Month: {
            if (v == 0) return true;
            if (v < 1 || v > 12) return fail(), false;
            int yy = y;
            if (d == 29 && v == 2 && !rtl::IsLeapYear(yy) && PartBefore(TDTPartType::Month, TDTPartType::Year)) {
                yy = NextLeapYear(yy);
            }
            const int dd = std::min(d, rtl::DaysInAMonth(yy, v));
            if (!inLimits(yy, v, dd)) return fail(), false;
            ApplyDateParts(yy, v, dd, h, n, s, ms);
            return true;
        }
        case TDTPartType::Year: {
            if (v < 1 || v > 9999) return fail(), false;
            const int dd = std::min(d, rtl::DaysInAMonth(v, m));
            if (!inLimits(v, m, dd)) return fail(), false;
            ApplyDateParts(v, m, dd, h, n, s, ms);
            return true;
        }
        case TDTPartType::Hour: {
            if (v >= (amPm ? 13 : 24)) return fail(), false;
            int hour = v;
            if (amPm) {
                hour = v % 12;
                if (h >= 12) hour += 12;
            }
            ApplyDateParts(y, m, d, hour, n, s, ms);
            return true;
        }
        case TDTPartType::Minute:
            if (v >= 60) return fail(), false;
            ApplyDateParts(y, m, d, h, v, s, ms);
            return true;
        case TDTPartType::Second:
            if (v >= 60) return fail(), false;
            ApplyDateParts(y, m, d, h, n, v, ms);
            return true;
        default: return false;
        }
    };
    const auto finish = [&] {
        pending_ = false;
        typed_.clear();
        RefreshText();
        MarkModified(true);
        HighlightPart();
    };
    const auto showTyped = [&] {
        std::string text = Text();
        text.replace(static_cast<std::size_t>(part.Start), static_cast<std::size_t>(part.Length), typed_);
        SetTextKeepModified(text);
        SetSel(part.Start + static_cast<int>(typed_.size()), 0);
        SetModified(true);
    };
    const bool fourDigitYear = t == TDTPartType::Year && part.Token.size() > 2;
    if (t == TDTPartType::Year && !fourDigitYear) {
        if (!pending_) {
            // The decade the digit opens must end on or after MinDate.
            const int decadeEnd = ExpandTwoDigitYear(digit * 10, epoch_) + 9;
            if (minDate_ != 0) {
                int ly, lm, ld;
                rtl::DecodeDate(minDate_, ly, lm, ld);
                if (decadeEnd < ly) return fail();
            }
            typed_ = std::to_string(digit);
            pending_ = true;
            showTyped();
            return;
        }
        const int v = ExpandTwoDigitYear(std::atoi(typed_.c_str()) * 10 + digit, epoch_);
        if (!checkAndApply(v)) return;
        return finish();
    }
    if (fourDigitYear) {
        if (!pending_ || typed_.size() < 3) {
            typed_ += static_cast<char>('0' + digit);
            pending_ = true;
            showTyped();
            return;
        }
        int v = std::atoi(typed_.c_str()) * 10 + digit;
        if (v == 0) {
            int ey, em, ed;
            rtl::DecodeDate(entryValue_, ey, em, ed);
            v = ey;
        }
        if (!checkAndApply(v)) return;
        return finish();
    }
    if (!pending_) {
        bool completes = false;
        switch (t) {
        case TDTPartType::Day: completes = digit >= 4; break;
        case TDTPartType::Month: completes = digit >= 2; break;
        case TDTPartType::Hour: completes = digit >= (amPm ? 2 : 3); break;
        case TDTPartType::Minute:
        case TDTPartType::Second: completes = digit >= 6; break;
        default: return;
        }
        if (completes) {
            if (!checkAndApply(digit)) return;
            return finish();
        }
        typed_ = std::to_string(digit);
        pending_ = true;
        showTyped();
        return;
    }
    const int v = std::atoi(typed_.c_str()) * 10 + digit;
    if (!checkAndApply(v)) return;
    finish();
}

void TgkDBCustomDateTimePicker::TypeLetter(char letter)
{
    TDTPart part;
    if (!LocateCurrent(part)) return;
    const TDTPartType t = PartTypeOf(part.Token);
    const rtl::TFormatSettings& fs = rtl::FormatSettings();
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    const auto startsWith = [&](const std::string& name) { return !name.empty() && upper(name[0]) == upper(letter); };
    int y, m, d, h, n, s, ms;
    rtl::DecodeDateTime(value_, y, m, d, h, n, s, ms);
    if (t == TDTPartType::MonthName) {
        const bool shortNames = part.Token.size() == 3;
        int found = 0;
        for (int pass = 0; pass < 2 && found == 0; ++pass) {
            for (int k = 1; k <= 11 && found == 0; ++k) {
                const int month = (m - 1 + k) % 12 + 1;
                const std::string& name = shortNames ? fs.ShortMonthNames[month - 1] : fs.LongMonthNames[month - 1];
                if (startsWith(name) && (pass == 1 || rtl::DaysInAMonth(y, month) >= d)) found = month;
            }
        }
        if (found == 0) return;
        int delta = found - m;
        rtl::TDateTime date = AddMonths(rtl::DateOf(value_), delta);
        if (minDate_ != 0 && date < rtl::DateOf(minDate_)) date = rtl::DateOf(minDate_);
        if (maxDate_ != 0 && date > rtl::DateOf(maxDate_)) date = rtl::DateOf(maxDate_);
        int yy, mm, dd;
        rtl::DecodeDate(date, yy, mm, dd);
        ApplyDateParts(yy, mm, dd, h, n, s, ms);
    } else if (t == TDTPartType::Weekday) {
        const bool shortNames = part.Token.size() == 3;
        const int first = FirstDayNumber(calendarAttributes_.FirstDayOfWeek);
        const int dow = rtl::DayOfWeek(value_);
        const int index = (dow - first + 7) % 7;
        for (int k = 1; k < 7; ++k) {
            const int next = (index + k) % 7;
            const int nextDow = (first - 1 + next) % 7 + 1;
            const std::string& name = shortNames ? fs.ShortDayNames[nextDow - 1] : fs.LongDayNames[nextDow - 1];
            if (!startsWith(name)) continue;
            const rtl::TDateTime date = rtl::DateOf(value_) + (next - index);
            if ((minDate_ != 0 && date < rtl::DateOf(minDate_)) || (maxDate_ != 0 && date > rtl::DateOf(maxDate_))) return;
            int yy, mm, dd;
            rtl::DecodeDate(date, yy, mm, dd);
            ApplyDateParts(yy, mm, dd, h, n, s, ms);
            break;
        }
    } else if (t == TDTPartType::AmPm) {
        const bool pm = h >= 12;
        if (part.Token != "ampm") {
            if (upper(letter) == 'P' && !pm) ApplyDateParts(y, m, d, h + 12, n, s, ms);
            if (upper(letter) == 'A' && pm) ApplyDateParts(y, m, d, h - 12, n, s, ms);
        } else {
            const bool same = !fs.TimeAMString.empty() && !fs.TimePMString.empty() &&
                              upper(fs.TimeAMString[0]) == upper(fs.TimePMString[0]);
            if (same)
                ApplyDateParts(y, m, d, (h + 12) % 24, n, s, ms);
            else if (!pm && startsWith(fs.TimePMString))
                ApplyDateParts(y, m, d, h + 12, n, s, ms);
            else if (pm && startsWith(fs.TimeAMString))
                ApplyDateParts(y, m, d, h - 12, n, s, ms);
        }
    } else {
        return;
    }
    MarkModified(true);
    HighlightPart();
}

void TgkDBCustomDateTimePicker::ClearValue()
{
    if (pending_) {
        if (!typed_.empty()) typed_.pop_back();
        TDTPart part;
        LocateCurrent(part);
        std::string text = Text();
        const int caret = part.Start + static_cast<int>(typed_.size());
        if (caret < static_cast<int>(text.size())) text.erase(static_cast<std::size_t>(caret), 1);
        SetTextKeepModified(text);
        SetSel(caret, 0);
        if (typed_.empty()) pending_ = false;
        return;
    }
    db::TField* f = Field();
    const bool required = f != nullptr && f->Required();
    if (f != nullptr && IsDateTimeFieldType(f->DataType()) && IsTimeOnly()) {
        if (required) return;
        value_ = rtl::DateOf(value_);
        SetTextKeepModified({});
        part_ = 1;
        empty_ = true;
        MarkModified(true);
        return;
    }
    if (IsDateOnly()) {
        if (required) return;
        SetDate(0);
        value_ = 0;
        SetTextKeepModified({});
        empty_ = true;
        part_ = 1;
        MarkModified(true);
        return;
    }
    // Under the general format with every part shown, Delete on a time part takes the time of
    // day away and keeps the date.
    if (UsesGeneralFormat() && IsLastPartShown() && IsTimePartType(CurrentPartType())) {
        SetValue(rtl::DateOf(value_));
        part_ = std::max(1, ShownPartCount());
        MarkModified(true);
        HighlightPart();
        return;
    }
    if (required) return;
    value_ = 0;
    SetTextKeepModified({});
    part_ = 1;
    empty_ = true;
    MarkModified(true);
}

void TgkDBCustomDateTimePicker::Cut()
{
    if (!CanEditValue()) return;
    if (Field() != nullptr && !link_->Editing()) link_->Edit();
    if (SelLength() > 0) {
        ui::TClipboard& clipboard = ui::Clipboard();
        clipboard.SetAsText(std::string_view(Text()).substr(SelStart(), SelLength()));
    }
    value_ = 0;
    SetTextKeepModified({});
    SetCaretHidden(false);
    part_ = 1;
    empty_ = true;
    MarkModified(true);
}

void TgkDBCustomDateTimePicker::Paste(const std::string& text)
{
    if (!CanEditValue()) return;
    if (Field() != nullptr && !link_->Editing()) link_->Edit();
    // Read with the library's scanning and the default epoch: a time when only the time is
    // edited, else a date and time, else a date alone; 0 is no value.
    rtl::TDateTime v = 0;
    if (IsTimeOnly()) {
        v = grid::gkStrToTime(text);
    } else {
        v = grid::gkStrToDateTime(text);
        if (v == 0) v = grid::gkStrToDate(text);
    }
    if (v != 0) SetValue(v);
    RefreshText();
    HighlightPart();
    if (v != 0) MarkModified(true);
}

// ---- Keys -----------------------------------------------------------------------------------

bool TgkDBCustomDateTimePicker::WantsKey(ui::TKey key) const
{
    if (IsDroppedDown() && (key == ui::VK_RETURN || key == ui::VK_ESCAPE)) return true;
    return ui::TEdit::WantsKey(key);
}

bool TgkDBCustomDateTimePicker::RouteKeyToGrid(ui::TKey& key, ui::TShiftState shift)
{
    auto* g = dynamic_cast<ui::TCustomGrid*>(Parent());
    if (g == nullptr) return false;
    const auto* dbGrid = dynamic_cast<grid::TgkCustomDBGrid*>(g);
    const bool alwaysEditor = dbGrid != nullptr && dbGrid->Options().Contains(grid::dgAlwaysShowEditor);
    const bool ctrl = shift.Contains(ui::ssCtrl);
    const bool wholeSelected = !Text().empty() && SelStart() == 0 && SelLength() == static_cast<int>(Text().size());
    const bool closed = !IsDroppedDown();
    const bool atStart = SelStart() == 0;
    const bool atEnd = SelStart() + SelLength() == static_cast<int>(Text().size());
    bool toGrid = false;
    switch (key) {
    case ui::VK_UP:
    case ui::VK_DOWN: toGrid = ctrl || wholeSelected; break;
    case ui::VK_ESCAPE: toGrid = !Modified(); break;
    case ui::VK_PRIOR:
    case ui::VK_NEXT: toGrid = closed && !shift.Contains(ui::ssAlt); break;
    case ui::VK_HOME: toGrid = (alwaysEditor && closed && (ctrl || (atStart && wholeSelected))) || !CanEditValue(); break;
    case ui::VK_END: toGrid = (alwaysEditor && closed && (ctrl || (atEnd && wholeSelected))) || !CanEditValue(); break;
    case ui::VK_LEFT: toGrid = (alwaysEditor && closed && (ctrl || atStart)) || !CanEditValue(); break;
    case ui::VK_RIGHT: toGrid = (alwaysEditor && closed && (ctrl || atEnd)) || !CanEditValue(); break;
    case ui::VK_INSERT: toGrid = !shift.Contains(ui::ssShift); break;
    case ui::VK_DELETE: toGrid = ctrl; break;
    default: break;
    }
    if (!toGrid) return false;
    ui::TKey k = key;
    key = 0;
    g->SetFocus();
    if (g->Focused()) g->Perform(ui::WM_KEYDOWN, k, static_cast<std::intptr_t>(shift.Bits()));
    return true;
}

bool TgkDBCustomDateTimePicker::CheckDropDownKey(ui::TKey key, ui::TShiftState shift)
{
    const bool alt = shift.Contains(ui::ssAlt);
    if ((key == ui::VK_F4 && !alt) || (alt && (key == ui::VK_DOWN || key == ui::VK_UP))) {
        if (IsDroppedDown())
            CloseUp(true);
        else
            DropDown();
        return true;
    }
    if (!IsDroppedDown() || alt) return false;
    if (key == ui::VK_RETURN) {
        escClosed_ = false;
        CloseUp(true);
        return true;
    }
    if (key == ui::VK_ESCAPE) {
        escClosed_ = true;
        CloseUp(false);
        return true;
    }
    return false;
}

void TgkDBCustomDateTimePicker::KeyDown(ui::TKey& key, ui::TShiftState shift)
{
    if (InGrid() && RouteKeyToGrid(key, shift)) return;
    if (InGrid() && (key == ui::VK_RETURN || key == ui::VK_TAB)) return;  // the grid's keys
    if (CheckDropDownKey(key, shift)) {
        key = 0;
        return;
    }
    ui::TEdit::KeyDown(key, shift);  // the user's OnKeyDown
    if (key == 0) return;
    if (InGrid() && key == ui::VK_F2) {
        part_ = 1;
        HighlightPart();
        key = 0;
        return;
    }
    if (IsDroppedDown()) {
        CalendarKey(key, shift);
        key = 0;
        return;
    }
    const bool alt = shift.Contains(ui::ssAlt);
    const bool ctrl = shift.Contains(ui::ssCtrl);
    if (alt) return;
    if (ctrl) {
        if (key == 'X') Cut();
        if (key == 'V') Paste(ui::Clipboard().AsText());
        if (key == 'X' || key == 'V') key = 0;
        return;
    }
    if (key == ui::VK_TAB || key == ui::VK_RETURN || key == ui::VK_ESCAPE) return;
    if (BoundWithoutField()) {
        key = 0;
        return;
    }
    if (!CanEditValue()) {
        SetReadOnlyWindow(true);
        HighlightPart();
        key = 0;
        return;
    }
    SetReadOnlyWindow(false);
    // The data set goes into edit mode before the change: entering it shows the record again.
    if (Field() != nullptr && !link_->Editing()) link_->Edit();
    const bool digit = key >= '0' && key <= '9';
    if (Text().empty() &&
        (key == ui::VK_BACK || key == ui::VK_SPACE || key == ui::VK_DELETE || key == ui::VK_RIGHT ||
         (key >= 0x30 && key <= 0x6F) || key > 0x91))
        GiveEmptyValue(digit);
    const bool whole = !Text().empty() && SelStart() == 0 && SelLength() == static_cast<int>(Text().size());
    switch (key) {
    case ui::VK_LEFT:
        if (shift.Contains(ui::ssShift)) break;
        PartLeft();
        break;
    case ui::VK_RIGHT:
        if (shift.Contains(ui::ssShift) && part_ == 1) {
            SelectAll();
            break;
        }
        PartRight();
        break;
    case ui::VK_UP: StepPart(1); break;
    case ui::VK_DOWN: StepPart(-1); break;
    case ui::VK_HOME:
    case ui::VK_END:
        if (shift.Contains(ui::ssShift))
            SelectAll();
        else
            HomeEnd(key == ui::VK_END);
        break;
    case ui::VK_DELETE: ClearValue(); break;
    case ui::VK_BACK:
        if (whole)
            ClearValue();
        else if (pending_)
            ClearValue();
        else
            PartLeft();
        break;
    case ui::VK_SPACE: PartRight(); return;  // KeyPress sees the Space too
    default:
        if (digit)
            TypeDigit(key - '0');
        else if (key >= 'A' && key <= 'Z')
            TypeLetter(static_cast<char>(key));
        break;
    }
    key = 0;
}

void TgkDBCustomDateTimePicker::KeyPress(char& key)
{
    const char k = key;
    key = 0;  // typing happens in KeyDown; the window never edits the text itself
    if (!CanEditValue() && (k >= 32 || k == 8)) return;
    char user = k;
    OnKeyPress(this, user);
    if (user == 0) return;
    if (Field() != nullptr && user >= 32 && !Field()->IsValidChar(static_cast<unsigned char>(user))) {
        ui::Beep();
        return;
    }
    const rtl::TFormatSettings& fs = rtl::FormatSettings();
    const auto isSeparator = [&](char c) {
        return (fs.DateSeparator.size() == 1 && c == fs.DateSeparator[0]) ||
               (fs.TimeSeparator.size() == 1 && c == fs.TimeSeparator[0]);
    };
    switch (user) {
    case '+':
    case '=':
    case '-': {
        if (!Text().empty()) StepPart(user == '-' ? -1 : 1);
        return;
    }
    case ' ':
        if (DataSource() != nullptr && Field() == nullptr) return;
        if (Field() != nullptr && !link_->Editing()) link_->Edit();
        SetValue(rtl::Now());
        MarkModified(true);
        HighlightPart();
        return;
    case '\r':
        if (!InGrid()) {
            CommitTypedPart();
            HighlightPart();
        }
        return;
    case '\x1b':
        if (escClosed_) {
            escClosed_ = false;
            return;
        }
        if (Field() != nullptr)
            link_->Reset();
        else
            SetValue(entryValue_);
        pending_ = false;
        typed_.clear();
        RefreshText();
        part_ = 1;
        HighlightPart();
        if (!InGrid())
            SelectAll();
        else if (auto* g = dynamic_cast<ui::TWinControl*>(Parent()))
            g->SetFocus();
        return;
    default:
        // A separator completes a part that has digits typed and moves on.
        if (isSeparator(user) && pending_) PartRight();
        return;
    }
}

// ---- Mouse and messages ---------------------------------------------------------------------

void TgkDBCustomDateTimePicker::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    ui::TEdit::MouseDown(button, shift, x, y);
    if (button != ui::mbLeft || Text().empty()) return;
    CommitTypedPart();
    if (!CanEditValue()) {
        HighlightPart();
        return;
    }
    const std::string expanded = GetExpandedDisplayFormat();
    const TDTKind kind = Kind();
    const int count = CountFormatParts(expanded, kind);
    ui::IFontMeasure& measure = ui::MeasureFont(*Font());
    const int origin = EditRect().Left + FrameRingWidth();
    for (int n = 1; n <= count; ++n) {
        TDTPart part;
        if (!LocatePart(n, expanded, ShownValue(), kind, rtl::FormatSettings(), part)) break;
        if (origin + measure.TextWidth(part.Text) >= x || n == count ||
            part.Text.size() >= Text().size()) {
            part_ = std::min(n, std::max(1, ShownPartCount()));
            break;
        }
    }
    HighlightPart();
}

void TgkDBCustomDateTimePicker::DblClick()
{
    ui::TEdit::DblClick();
    SelectAll();
}

void TgkDBCustomDateTimePicker::Dispatch(ui::TMessage& m)
{
    switch (m.Msg) {
    case ui::WM_CUT: Cut(); return;
    case ui::WM_PASTE: Paste(ui::Clipboard().AsText()); return;
    case ui::WM_PAINT:
        if (m.WParam != 0) {
            PaintText(*reinterpret_cast<ui::TCanvas*>(m.WParam), ControlState().Contains(csPaintCopy));
            return;
        }
        break;
    case ui::CM_ENTER:
        ui::TEdit::Dispatch(m);
        DoEnterPicker();
        return;
    case ui::CM_EXIT:
        DoExitPicker();
        ui::TEdit::Dispatch(m);
        return;
    case ui::CM_MOUSEENTER:
        ui::TEdit::Dispatch(m);
        DoMouseEnter();
        return;
    case ui::CM_MOUSELEAVE:
        ui::TEdit::Dispatch(m);
        DoMouseLeave();
        return;
    case ui::WM_SIZE:
        ui::TEdit::Dispatch(m);
        PositionButton();
        return;
    default:
        if (m.Msg == DestroyCalendarMessage()) {
            // Focus went elsewhere: the drop-down is made anew next time.
            if (!focused_ && !IsDroppedDown() && calendar_ != nullptr) {
                delete popupHost_;
                delete calendar_;
                popupHost_ = nullptr;
                calendar_ = nullptr;
            }
            return;
        }
        break;
    }
    ui::TEdit::Dispatch(m);
}

void TgkDBCustomDateTimePicker::DoEnterPicker()
{
    UpdateEditRect();
    if (!focused_) {
        focused_ = true;
        link_->Reset();
    }
    if (InGrid()) part_ = 1;
    if (Field() != nullptr && Field()->IsNull()) {
        SetTextKeepModified({});
    } else {
        entryValue_ = value_;
        SetTextKeepModified(DisplayTextFor(value_));
        HighlightPart();
    }
    if (value_ != 0 && !Text().empty()) {
        Invalidate();
        if (!enteringByButton_) HighlightPart();
    }
    if (Field() == nullptr) SetModified(false);
    SetCaretHidden(!Text().empty() && !pending_);
    if (frame_.IsFrameEnabled()) Invalidate();
}

void TgkDBCustomDateTimePicker::DoExitPicker()
{
    CommitTypedPart();
    if (IsDroppedDown()) CloseUp(true);
    if (Modified() && Field() != nullptr) {
        try {
            link_->UpdateRecord();
        } catch (...) {
            HighlightPart();
            SetFocus();
            SetModified(true);
            throw;
        }
    }
    focused_ = false;
    if (calendar_ != nullptr) PostMessage(DestroyCalendarMessage());
    if (frame_.IsFrameEnabled()) Invalidate();
}

void TgkDBCustomDateTimePicker::DoMouseEnter()
{
    mouseOver_ = true;
    try {
        OnMouseEnter(this);
    } catch (...) {
    }
    if (frame_.IsFrameEnabled() && !focused_ && frame_.MouseEnterSameAsFocus) Invalidate();
}

void TgkDBCustomDateTimePicker::DoMouseLeave()
{
    mouseOver_ = false;
    try {
        OnMouseLeave(this);
    } catch (...) {
    }
    if (frame_.IsFrameEnabled() && !focused_ && frame_.MouseEnterSameAsFocus) Invalidate();
}

void TgkDBCustomDateTimePicker::Resize()
{
    ui::TEdit::Resize();
    PositionButton();
}

void TgkDBCustomDateTimePicker::Loaded()
{
    ui::TEdit::Loaded();
    if (buttonWidth_ == 0) SetButtonWidth(0);
    RefreshText();
}

// ---- Button and edit rectangle ----------------------------------------------------------------

void TgkDBCustomDateTimePicker::SetShowButton(bool v)
{
    if (v == showButton_) return;
    showButton_ = v;
    host_->SetVisible(v && !IsTimeOnly());
    UpdateEditRect();
    Invalidate();
}

void TgkDBCustomDateTimePicker::SetButtonStyle(TgkComboButtonStyle v)
{
    if (v == buttonStyle_) return;
    buttonStyle_ = v;
    button_->Invalidate();
}

void TgkDBCustomDateTimePicker::SetButtonWidth(int v)
{
    buttonWidth_ = v;
    const int width = v == 0 ? kAutoButtonWidth : v;
    host_->SetWidth(std::max(width + 2, 17));
    button_->SetWidth(width);
    PositionButton();
}

void TgkDBCustomDateTimePicker::PositionButton()
{
    if (host_ == nullptr || button_ == nullptr) return;
    // No calendar for a time: no button either.
    host_->SetVisible(showButton_ && !IsTimeOnly());
    const int d = frame_.IsFrameEnabled() ? 2 : 0;
    const int bw = button_->Width();
    const ui::TRect client = ClientRect();
    host_->SetBounds(Width() - bw - d - 2 * FrameRingWidth(), d, bw, std::max(0, client.Height() - 2 * d));
    button_->SetBounds(0, 0, bw, host_->Height());
    UpdateEditRect();
}

ui::TRect TgkDBCustomDateTimePicker::EditRect() const
{
    ui::TRect r = ClientRect();
    const bool buttonShown = showButton_ && host_ != nullptr && host_->Visible() && !IsTimeOnly();
    r.Right = buttonShown ? host_->Left() - 1 : r.Width() - 2;
    r.Bottom = r.Height() + 1;
    if (InGrid()) {
        const auto* g = dynamic_cast<const grid::TgkCustomDBGrid*>(Parent());
        r.Left = g != nullptr && !g->RowLinesShown() ? 1 : 2;
        r.Top = 2;
    } else if (frame_.IsFrameEnabled()) {
        frame_.GetEditRectMargins(r);
    } else {
        r.Left = 1;
        r.Top = 1;
    }
    return r;
}

void TgkDBCustomDateTimePicker::UpdateEditRect()
{
    const ui::TRect r = EditRect();
    const ui::TRect client = ClientRect();
    SetTextMargins({r.Left, 0, std::max(0, client.Width() - r.Right), 0});
}

// ---- Painting ---------------------------------------------------------------------------------

void TgkDBCustomDateTimePicker::PaintOver(ui::TCanvas& canvas)
{
    const bool focusedLook = focused_ || (frame_.MouseEnterSameAsFocus && mouseOver_);
    gkPaintNonClientFrame(frame_, focusedLook, false, canvas);
}

void TgkDBCustomDateTimePicker::PaintText(ui::TCanvas& canvas, bool paintCopy)
{
    const bool inGrid = InGrid();
    auto* dbGrid = dynamic_cast<grid::TgkCustomDBGrid*>(Parent());
    canvas.Font()->Assign(*Font());
    if (!Enabled())
        canvas.Font()->SetColor(rtl::clGrayText);
    else if (inGrid && !paintCopy)
        canvas.Font()->SetColor(dbGrid != nullptr ? dbGrid->Font()->Color() : Font()->Color());
    canvas.Brush()->SetColor(Color());
    const bool frameTransparent = frame_.Transparent() && frame_.IsFrameEnabled();
    const ui::TRect client = ClientRect();
    if (!frameTransparent && !paintCopy) {
        if (frame_.IsFrameEnabled() && !focused_ && frame_.NonFocusColor != rtl::clNone)
            canvas.Brush()->SetColor(frame_.NonFocusColor);
        canvas.FillRect(client);
    }
    ui::TRect r = paintCopy || !(showButton_ && host_->Visible()) ? client : EditRect();
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    std::string text;
    db::TField* f = Field();
    if (paintCopy && f != nullptr)
        text = f->IsNull() ? std::string() : DisplayTextFor(f->AsDateTime());
    else if (f != nullptr && !Modified())
        text = f->IsNull() ? std::string() : FormatValue(f->AsDateTime());
    else
        text = DisplayTextFor(value_);
    const bool highlight = !paintCopy && focused_;
    if (highlight) {
        canvas.Brush()->SetColor(rtl::clHighlight);
        canvas.Font()->SetColor(rtl::clHighlightText);
    }
    if (dbGrid != nullptr) {
        dbGrid->CalcCellColors(f, ui::TGridDrawState{}, highlight, canvas.Font(), canvas.Brush());
    }
    const int leftMargin = inGrid ? (dbGrid != nullptr && !dbGrid->RowLinesShown() ? 1 : 2) : 1;
    int top = inGrid ? 2 : leftMargin;
    int fx = 0;
    if (frame_.IsFrameEnabled() && !inGrid) frame_.GetTextOffsets(fx, top, focused_);
    const int textWidth = canvas.TextWidth(text);
    const bool buttonShown = showButton_ && host_->Visible() && !paintCopy;
    int x = leftMargin;
    if (textAlignment_ == classes::taRightJustify)
        x = (buttonShown ? host_->Left() - 1 : client.Width()) - textWidth - leftMargin - fx;
    else if (textAlignment_ == classes::taCenter)
        x = (r.Left + r.Right - textWidth - (buttonShown ? host_->Width() : 0)) / 2;
    else if (!inGrid && paintCopy)
        x = leftMargin - 1;
    if (!focused_ && frame_.IsFrameEnabled()) {
        if (frameTransparent && frame_.NonFocusTransparentFontColor != rtl::clNone)
            canvas.Font()->SetColor(frame_.NonFocusTransparentFontColor);
        else if (frame_.NonFocusFontColor != rtl::clNone)
            canvas.Font()->SetColor(frame_.NonFocusFontColor);
    }
    const int options = paintCopy || (frameTransparent && !focused_) ? grid::gkdtKeepBackground : 0;
    grid::gkDrawControlText(canvas, r, x - 1 - r.Left, options, classes::taLeftJustify, text, top - 1 - r.Top);
    if (highlight) canvas.DrawFocusRect(r);
    if (frame_.IsFrameEnabled()) gkDrawFrame(*this, frame_, canvas, focused_);
}

// ---- Drop-down -------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkPopupCalendar, TgkMonthCalendar) {}

TgkPopupCalendar::TgkPopupCalendar(classes::TComponent* owner, TgkDBCustomDateTimePicker* picker)
    : TgkMonthCalendar(owner), picker_(picker)
{
}

void TgkPopupCalendar::Change()
{
    TgkMonthCalendar::Change();
    if (picker_ != nullptr) picker_->CalendarChanged();
}

bool TgkDBCustomDateTimePicker::IsDroppedDown() const { return popupHost_ != nullptr && popupHost_->IsOpen(); }

void TgkDBCustomDateTimePicker::DropDown()
{
    if (IsDroppedDown() || BoundWithoutField() || IsTimeOnly()) return;
    if (!CanEditValue()) {
        SetCaretHidden(true);
        SetReadOnlyWindow(true);
        return;
    }
    SetReadOnlyWindow(false);
    dropValue_ = value_;
    CommitTypedPart();
    pending_ = false;
    typed_.clear();
    SetCaretHidden(true);
    const ui::TPoint origin = ClientToScreen({0, 0});
    if (calendar_ == nullptr) {
        popupHost_ = new TgkCalendarPopupHost(this);
        calendar_ = new TgkPopupCalendar(this, this);
        popupHost_->SetCalendar(calendar_);
        // A close by program is CloseUp's own (or the calendar went away): nothing to settle.
        // Esc drops the calendar's choice; a pick, Enter or a press outside keeps it.
        popupHost_->OnClose = [this](TgkCalendarCloseReason reason) {
            if (reason != ccrProgram) CloseUp(reason != ccrEscape);
        };
    }
    TgkPopupCalendar& cal = *calendar_;
    cal.SetCalBorderStyle(ui::bsSingle);
    cal.SetCalColors(*calendarAttributes_.Colors());
    cal.OnCalcBoldDay = OnCalcBoldDay;
    cal.SetOptions(calendarAttributes_.Options);
    cal.SetMinDate(0);
    cal.SetMaxDate(rtl::DateOf(EffectiveMaxDate()));
    cal.SetMinDate(rtl::DateOf(EffectiveMinDate()));
    cal.Font()->Assign(*calendarAttributes_.Font());
    cal.SetPopupYearOptions(*calendarAttributes_.PopupYearOptions());
    cal.SetFirstDayOfWeek(calendarAttributes_.FirstDayOfWeek);
    const ui::TRect minimum = cal.GetMinReqRect();
    if (Text().empty() || value_ == 0) {
        if (Field() != nullptr && !link_->Editing()) link_->Edit();
        MarkModified(true);
        if (Text().empty()) {
            const rtl::TDateTime today = rtl::Date();
            const bool inside = today >= rtl::DateOf(EffectiveMinDate()) && today <= rtl::DateOf(EffectiveMaxDate());
            value_ = rtl::ComposeDateTime(inside ? today : rtl::DateOf(EffectiveMinDate()), rtl::TimeOf(value_));
            empty_ = false;
        }
    }
    SetTextKeepModified(FormatValue(value_));
    // The calendar keeps a time of day of its own: it takes the picker's whole value.
    const rtl::TDateTime shown = std::clamp(value_, rtl::DateOf(EffectiveMinDate()), rtl::DateOf(EffectiveMaxDate()));
    cal.SetDate(shown);
    cal.SetTime(shown);
    SetSel(0, 0);
    OnDropDown(this);
    savedShowHint_ = ShowHint();
    SetShowHint(false);
    const int height = calendarAttributes_.CalendarHeight >= minimum.Height() ? calendarAttributes_.CalendarHeight
                                                                             : minimum.Height();
    const int width =
        calendarAttributes_.CalendarWidth >= minimum.Width() ? calendarAttributes_.CalendarWidth : minimum.Width();
    const ui::TRect pickerRect = ui::Bounds(origin.X, origin.Y, Width(), Height());
    const ui::TPoint at = PlaceDropDown(pickerRect, width, height, ui::Screen().WorkAreaRect(), ui::Screen().Width(),
                                        calendarAttributes_.Alignment, kAutoButtonWidth);
    popupHost_->Open(ui::Bounds(at.X, at.Y, width, height), this);
}

void TgkDBCustomDateTimePicker::CloseUp(bool accept)
{
    if (closing_) return;
    closing_ = true;
    const rtl::TScopeExit done([this] { closing_ = false; });
    if (calendar_ == nullptr) return;
    const bool wasOpen = IsDroppedDown();
    ui::ReleaseCapture();
    const rtl::TDateTime picked = accept ? calendar_->Date() : 0;
    if (wasOpen) popupHost_->Close(ccrProgram);
    if (accept) {
        if (Field() != nullptr) {
            const std::string shown = FormatValue(picked);
            if (shown != Field()->DisplayText() && CanModifyField()) {
                if (!link_->Editing()) link_->Edit();
                if (shown.empty())
                    SetTextKeepModified({});
                else
                    SetDate(picked);
                MarkModified(true);
            }
        }
    } else {
        SetValue(dropValue_);
    }
    OnCloseUp(this);
    SetShowHint(savedShowHint_);
    Invalidate();
    HighlightPart();
    SelectAll();
}

void TgkDBCustomDateTimePicker::CalendarKey(ui::TKey key, ui::TShiftState shift)
{
    if (calendar_ == nullptr) return;
    calendar_->Perform(ui::WM_KEYDOWN, key, static_cast<std::intptr_t>(shift.Bits()));
}

void TgkDBCustomDateTimePicker::CalendarChanged()
{
    if (calendar_ == nullptr || !IsDroppedDown() || !CanEditValue()) return;
    if (Field() != nullptr && !link_->Editing()) link_->Edit();
    MarkModified(true);
    fromCalendar_ = true;
    const rtl::TScopeExit back([this] { fromCalendar_ = false; });
    SetDate(calendar_->Date());
}

}  // namespace editctrls
