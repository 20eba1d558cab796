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
#include "platform/rtl/Log.h"
#include "platform/ui/Bitmap.h"
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

// The part of `inner` that holds anything but the button face's colour (all of `inner` when
// nothing does).
ui::TRect MarkBox(ui::TBitmap& face, const ui::TRect& inner)
{
    const std::uint32_t plain = ui::PixelOfColor(rtl::ColorToRGB(rtl::clBtnFace)) & 0xFFFFFF;
    ui::TRect box{inner.Right, inner.Bottom, inner.Left, inner.Top};
    for (int y = inner.Top; y < inner.Bottom; ++y) {
        const std::uint32_t* line = face.ScanLine(y);
        for (int x = inner.Left; x < inner.Right; ++x) {
            if ((line[x] & 0xFFFFFF) == plain) continue;
            box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1), std::max(box.Bottom, y + 1)};
        }
    }
    return box.Left < box.Right ? box : inner;
}


}  // namespace

TgkDateComboButton::TgkDateComboButton(classes::TComponent* owner) : ui::TSpeedButton(owner) {}

// ---- The picker ---------------------------------------------------------------------------

namespace {

// Posted to itself when the focus leaves: the drop-down calendar is freed unless the focus
// came back first.
unsigned DestroyCalendarMessage()
{
    static const unsigned msg = ui::RegisterWindowMessage("GKDATEPICKERDESTROYCALENDAR");
    return msg;
}

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
    // Read after ButtonStyle: a custom picture is only kept once the style is custom.
    p.Object("ButtonGlyph", [](const C& c) { return c.ButtonGlyph(); }).Stored([](const C& c) {
        return c.IsCustomButtonStyle();
    });
    p.Integer("ButtonWidth", &C::ButtonWidth, &C::SetButtonWidth, 0);
    ui::PublishStored(p, ui::TStoredProp::BiDiMode);
    ui::PublishStored(p, ui::TStoredProp::Constraints);
    p.Integer("DragCursor", &C::DragCursor, &C::SetDragCursor, ui::crDrag);
    ui::PublishStored(p, ui::TStoredProp::ImeMode);
    p.Boolean("ReadOnly", &C::ReadOnly, &C::SetReadOnly, false);
    p.Boolean("ShowButton", &C::ShowButton, &C::SetShowButton, true);
    p.Enumeration("UnboundDataType", DTEditDataTypeInfo(), &C::UnboundDataType, &C::SetUnboundDataType,
                  gkDTEdtDateTime);
    p.Event("OnCloseUp", &C::OnCloseUp);
    p.Event("OnDropDown", &C::OnDropDown);
    p.Event("OnMouseEnter", &C::OnMouseEnter);
    p.Event("OnMouseLeave", &C::OnMouseLeave);
    p.Event("OnCalcBoldDay", &C::OnCalcBoldDay);
}

void RegisterDateTimePickerClasses() { classes::RegisterClasses<TgkDBDateTimePicker>(); }

TgkDBCustomDateTimePicker::TgkDBCustomDateTimePicker(classes::TComponent* owner)
    : ui::TEdit(owner), link_(std::make_unique<db::TFieldDataLink>()), frame_(this)
{
    SetAutoSelect(false);
    link_->SetControl(this);
    link_->OnDataChange = [this](db::TFieldDataLink*) { DataChange(); };
    link_->OnUpdateData = [this](db::TFieldDataLink*) { UpdateData(); };
    val_.SetEpoch(grid::gkIntlDefault().DefaultEpochYear);
    drop_ = std::make_unique<TgkDTDropDown>(*this, val_);
    buttonEffects_ = std::make_unique<TgkComboButtonEffects>(this, drop_->Button());
    drop_->ButtonHost()->SetBounds(0, 0, 17, 17);
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

rtl::TDateTime TgkDBCustomDateTimePicker::ShownValue() const
{
    // While the calendar is open the parts are measured on the date it shows.
    return IsDroppedDown() ? drop_->Calendar()->DateTime() : val_.Value();
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
        text = FormatValue(val_.Value());
    else if (Field() != nullptr)
        text = DisplayTextFor(val_.Value());
    else if (val_.Value() == 0 || !DataField().empty() || DataSource() != nullptr)
        text = {};
    else
        text = DisplayTextFor(val_.Value());
    SetTextKeepModified(text);
    Invalidate();
}

bool TgkDBCustomDateTimePicker::LocateCurrent(TDTPart& part) const
{
    return LocatePart(typing_.Part(), GetExpandedDisplayFormat(), ShownValue(), Kind(), rtl::FormatSettings(), part);
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

void TgkDBCustomDateTimePicker::SetValue(rtl::TDateTime value)
{
    const bool modified = Modified();
    if (Field() == nullptr && value == 0) val_.SetEmpty(false);
    if (value == val_.Value() && value != 0) return;
    if (value == 0) {
        val_.Store(0);
        if (!IsTimeOnly()) {
            SetTextKeepModified({});
            return;
        }
    }
    bool tooLate = false, tooEarly = false;
    const bool timeOnlyDay = rtl::DateOf(value) == 0 && IsTimeOnly();
    const bool fieldNull = Field() != nullptr && Field()->IsNull();
    if (!timeOnlyDay && !fieldNull) {
        if (val_.MaxDate() != 0 && rtl::DateOf(value) > rtl::DateOf(val_.MaxDate())) tooLate = true;
        if (val_.MinDate() != 0 && rtl::DateOf(value) < rtl::DateOf(val_.MinDate())) tooEarly = true;
    }
    val_.Store(value);
    if (value != 0) val_.SetEmpty(false);
    const std::string text = FormatValue(value);
    if (text != Text()) SetText(text);
    HighlightPart();
    SetModified(modified);
    if (tooLate) TgkDTValue::RangeError(true, val_.MaxDate());
    if (tooEarly) TgkDTValue::RangeError(false, val_.MinDate());
}

rtl::TDateTime TgkDBCustomDateTimePicker::Date()
{
    CommitTypedPart();
    return IsTimeOnly() ? 0 : val_.Value();
}

void TgkDBCustomDateTimePicker::SetDate(rtl::TDateTime date)
{
    if (IsTimeOnly()) return;
    if (Field() == nullptr && date == 0) {
        SetValue(0);
        return;
    }
    if (rtl::DateOf(date) == rtl::DateOf(val_.Value()) && val_.Value() != 0) return;
    const rtl::TDateTime v = rtl::ComposeDateTime(rtl::DateOf(date), rtl::TimeOf(val_.Value()));
    if (v != 0) {
        SetValue(v);
    } else {
        val_.Store(0);
        Invalidate();
    }
}

rtl::TDateTime TgkDBCustomDateTimePicker::Time()
{
    CommitTypedPart();
    return IsDateType() ? 0 : val_.Value();
}

void TgkDBCustomDateTimePicker::SetTime(rtl::TDateTime time)
{
    if (IsDateType()) return;
    if (Field() == nullptr && time == 0) {
        SetValue(0);
        return;
    }
    if (rtl::TimeOf(time) == rtl::TimeOf(val_.Value()) && !(val_.Value() == 0 && val_.Empty())) return;
    const rtl::TDateTime v = rtl::ComposeDateTime(rtl::DateOf(val_.Value()), rtl::TimeOf(time));
    SetValue(v);
    if (rtl::TimeOf(time) == 0) Invalidate();
}

void TgkDBCustomDateTimePicker::SetDisplayFormat(const std::string& v)
{
    if (v == val_.DisplayFormat()) return;
    val_.SetDisplayFormat(v);
    RefreshText();
    PositionButton();
}

void TgkDBCustomDateTimePicker::SetDateFormat(TDTDateFormat v)
{
    if (v == val_.DateFormat()) return;
    val_.SetDateFormat(v);
    RefreshText();
}

void TgkDBCustomDateTimePicker::SetUnboundDataType(TgkDTEditDataType v)
{
    if (v == val_.UnboundDataType()) return;
    val_.SetUnboundDataType(v);
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
        if (time == 0 && val_.Value() == 0) {
            // Midnight is a time of its own: show it.
            val_.SetEmpty(false);
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
    if (source == nullptr) val_.SetUnboundDataType(gkDTEdtDateTime);
}

void TgkDBCustomDateTimePicker::SetDataField(const std::string& name)
{
    if (name.empty()) val_.SetUnboundDataType(gkDTEdtDateTime);
    try {
        link_->SetFieldName(name);
    } catch (const std::exception&) {
        // A name the data set does not hold: the picker stays bound by name to nothing, shows
        // nothing, never drops down and ignores editing keys.
        rtl::LogCurrentException("TgkDBCustomDateTimePicker DataField");
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

bool TgkDBCustomDateTimePicker::ExecuteAction(classes::TBasicAction* action)
{
    return ui::TEdit::ExecuteAction(action) || link_->ExecuteAction(action);
}

bool TgkDBCustomDateTimePicker::UpdateAction(classes::TBasicAction* action)
{
    return ui::TEdit::UpdateAction(action) || link_->UpdateAction(action);
}

bool TgkDBCustomDateTimePicker::CanEditValue() const
{
    if (ReadOnly()) return false;
    if (val_.BoundWithoutField()) return false;
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
    if (drop_->FromCalendar()) SetModified(true);
    ui::TEdit::Change();
    if (Field() != nullptr && Modified()) link_->SetModified();
    // An emptied text keeps only the half the edit does not show.
    if (Text().empty()) val_.Store(IsTimeOnly() ? rtl::DateOf(val_.Value()) : rtl::TimeOf(val_.Value()));
}

void TgkDBCustomDateTimePicker::DataChange()
{
    db::TField* f = Field();
    if (f != nullptr) {
        if (f->Alignment() != Alignment()) {
            SetTextKeepModified({});
            SetAlignment(f->Alignment());
        }
        const db::TDataSetState state = DataSource() != nullptr ? DataSource()->State() : db::dsInactive;
        if (f->IsNull()) {
            const bool modified = Modified();
            val_.Store(0);
            SetText({});
            SetModified(modified);
            if (state == db::dsBrowse || state == db::dsInsert) {
                typing_.SetPart(1);
                SelectAll();
            }
        } else {
            val_.Store(f->AsDateTime());
            val_.SetEmpty(false);
            SetText(DisplayTextFor(val_.Value()));
            SetModified(false);
            if (state == db::dsBrowse) {
                typing_.SetPart(1);
                SelectAll();
            }
            Invalidate();
        }
        if (Text().empty() && !f->IsNull()) SetText(DisplayTextFor(f->AsDateTime()));
        return;
    }
    SetAlignment(classes::taLeftJustify);
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
        const rtl::TDateTime v = rtl::ComposeDateTime(fieldDay, rtl::TimeOf(val_.Value()));
        if (v == 0 && Text().empty()) {
            f->Clear();
            return;
        }
        f->SetAsDateTime(v);
        return;
    }
    rtl::TDateTime v = val_.Value();
    if (IsDateOnly() && v != 0) {
        const rtl::TDateTime fieldTime = f->IsNull() ? 0 : rtl::TimeOf(f->AsDateTime());
        v = rtl::ComposeDateTime(rtl::DateOf(v), fieldTime);
    }
    if (v != 0)
        f->SetAsDateTime(v);
    else if (val_.Empty() || Text().empty())
        f->Clear();
}

// ---- Typing ---------------------------------------------------------------------------------

bool TgkDBCustomDateTimePicker::InGrid() const { return dynamic_cast<const ui::TCustomGrid*>(Parent()) != nullptr; }

// ---- Keys -----------------------------------------------------------------------------------

bool TgkDBCustomDateTimePicker::WantsKey(ui::TKey key) const
{
    if (IsDroppedDown() && (key == ui::VK_RETURN || key == ui::VK_ESCAPE)) return true;
    return ui::TEdit::WantsKey(key);
}

bool TgkDBCustomDateTimePicker::RouteKeyToGrid(ui::TKey& key, ui::TShiftState shift)
{
    auto* g = dynamic_cast<ui::TCustomGrid*>(Parent());
    if (g == nullptr || !GridTakesKey(key, shift)) return false;
    ui::TKey k = key;
    key = 0;
    g->SetFocus();
    if (g->Focused()) g->Perform(ui::WM_KEYDOWN, k, static_cast<std::intptr_t>(shift.Bits()));
    return true;
}

bool TgkDBCustomDateTimePicker::GridTakesKey(ui::TKey key, ui::TShiftState shift) const
{
    const bool ctrl = shift.Contains(ui::ssCtrl);
    switch (key) {
    case ui::VK_UP:
    case ui::VK_DOWN:
        return ctrl || (!Text().empty() && SelStart() == 0 && SelLength() == static_cast<int>(Text().size()));
    case ui::VK_ESCAPE: return !Modified();
    case ui::VK_PRIOR:
    case ui::VK_NEXT: return !IsDroppedDown() && !shift.Contains(ui::ssAlt);
    case ui::VK_INSERT: return !shift.Contains(ui::ssShift);
    case ui::VK_DELETE: return ctrl;
    case ui::VK_HOME:
    case ui::VK_END:
    case ui::VK_LEFT:
    case ui::VK_RIGHT: return GridTakesMoveKey(key, shift);
    default: return false;
    }
}

bool TgkDBCustomDateTimePicker::GridTakesMoveKey(ui::TKey key, ui::TShiftState shift) const
{
    // A value that may not be edited leaves every move to the grid; otherwise the grid takes
    // them only when it always shows its editor, with Ctrl or at the text's edge.
    if (!CanEditValue()) return true;
    const auto* dbGrid = dynamic_cast<const grid::TgkCustomDBGrid*>(Parent());
    const bool alwaysEditor = dbGrid != nullptr && dbGrid->Options().Contains(grid::dgAlwaysShowEditor);
    if (!alwaysEditor || IsDroppedDown()) return false;
    if (shift.Contains(ui::ssCtrl)) return true;
    const int size = static_cast<int>(Text().size());
    const bool whole = size > 0 && SelStart() == 0 && SelLength() == size;
    const bool atStart = SelStart() == 0;
    const bool atEnd = SelStart() + SelLength() == size;
    switch (key) {
    case ui::VK_HOME: return atStart && whole;
    case ui::VK_END: return atEnd && whole;
    case ui::VK_LEFT: return atStart;
    default: return atEnd;
    }
}

void TgkDBCustomDateTimePicker::KeyDown(ui::TKey& key, ui::TShiftState shift)
{
    if (InGrid() && RouteKeyToGrid(key, shift)) return;
    if (InGrid() && (key == ui::VK_RETURN || key == ui::VK_TAB)) return;  // the grid's keys
    if (drop_->DropDownKey(key, shift)) {
        key = 0;
        return;
    }
    ui::TEdit::KeyDown(key, shift);  // the user's OnKeyDown
    if (key == 0) return;
    if (InGrid() && key == ui::VK_F2) {
        typing_.SetPart(1);
        HighlightPart();
        key = 0;
        return;
    }
    if (IsDroppedDown()) {
        drop_->CalendarKey(key, shift);
        key = 0;
        return;
    }
    if (ControlKey(key, shift) || !EditingAllowed(key)) return;
    typing_.EditKey(key, shift);
}

bool TgkDBCustomDateTimePicker::ControlKey(ui::TKey& key, ui::TShiftState shift)
{
    if (shift.Contains(ui::ssAlt)) return true;
    if (shift.Contains(ui::ssCtrl)) {
        if (key == 'X') typing_.Cut();
        if (key == 'V') typing_.Paste(ui::Clipboard().AsText());
        if (key == 'X' || key == 'V') key = 0;
        return true;
    }
    return key == ui::VK_TAB || key == ui::VK_RETURN || key == ui::VK_ESCAPE;
}

bool TgkDBCustomDateTimePicker::EditingAllowed(ui::TKey& key)
{
    if (val_.BoundWithoutField()) {
        key = 0;
        return false;
    }
    if (!CanEditValue()) {
        SetReadOnlyWindow(true);
        HighlightPart();
        key = 0;
        return false;
    }
    SetReadOnlyWindow(false);
    // The data set goes into edit mode before the change: entering it shows the record again.
    if (Field() != nullptr && !link_->Editing()) link_->Edit();
    return true;
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
    typing_.CharKey(user);
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
            typing_.SetPart(std::min(n, std::max(1, ShownPartCount())));
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
    case ui::WM_CUT: typing_.Cut(); return;
    case ui::WM_PASTE: typing_.Paste(ui::Clipboard().AsText()); return;
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
    case ui::CM_TEXTCHANGED:
        // A transparent picker shows its parent under the text: the old text's place is
        // painted again first.
        if (FrameTransparentInEffect() && !focused_) gkEraseTransparentText(frame_, false, true);
        ui::TEdit::Dispatch(m);
        return;
    case CM_GETDATALINK: m.Result = reinterpret_cast<std::intptr_t>(link_.get()); return;
    case ui::CM_FONTCHANGED:
        // The text's place beside the button follows the font.
        ui::TEdit::Dispatch(m);
        if (HandleAllocated() && !Loading()) UpdateEditRect();
        return;
    case ui::CM_ENABLEDCHANGED:
        ui::TEdit::Dispatch(m);
        drop_->Button()->SetEnabled(Enabled());
        RefreshButtonFace();
        return;
    default:
        if (m.Msg == DestroyCalendarMessage()) {
            // Focus went elsewhere: the drop-down is made anew next time.
            if (!focused_) drop_->Release();
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
    if (InGrid()) typing_.SetPart(1);
    if (Field() != nullptr && Field()->IsNull()) {
        SetTextKeepModified({});
    } else {
        val_.SetEntryValue(val_.Value());
        SetTextKeepModified(DisplayTextFor(val_.Value()));
        HighlightPart();
    }
    if (val_.Value() != 0 && !Text().empty()) {
        Invalidate();
        if (!drop_->EnteringByButton()) HighlightPart();
    }
    if (Field() == nullptr) SetModified(false);
    SetCaretHidden(!Text().empty() && !typing_.Pending());
    // Focused, the picker paints its own background.
    if (FrameTransparentInEffect()) frame_.CreateTransparent = false;
    if (frame_.IsFrameEnabled()) Invalidate();
}

bool TgkDBCustomDateTimePicker::FrameTransparentInEffect() const
{
    return frame_.Transparent() && frame_.IsFrameEnabled() && !grid::gkIsDesigning(this);
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
    if (drop_->Calendar() != nullptr) PostMessage(DestroyCalendarMessage());
    if (FrameTransparentInEffect()) {
        frame_.CreateTransparent = true;
        UpdateEditRect();
    }
    if (frame_.IsFrameEnabled()) Invalidate();
}

void TgkDBCustomDateTimePicker::DoMouseEnter()
{
    mouseOver_ = true;
    try {
        OnMouseEnter(this);
    } catch (...) {
        // The pointer's arrival is no place to stop: the handler's fault is logged.
        rtl::LogCurrentException("TgkDBCustomDateTimePicker OnMouseEnter");
    }
    if (frame_.IsFrameEnabled() && !focused_ && frame_.MouseEnterSameAsFocus) Invalidate();
}

void TgkDBCustomDateTimePicker::DoMouseLeave()
{
    mouseOver_ = false;
    try {
        OnMouseLeave(this);
    } catch (...) {
        rtl::LogCurrentException("TgkDBCustomDateTimePicker OnMouseLeave");
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
    if (drop_->ButtonWidth() == 0) SetButtonWidth(0);
    RefreshText();
}

// ---- Button and edit rectangle ----------------------------------------------------------------

void TgkDBCustomDateTimePicker::SetShowButton(bool v)
{
    if (v == drop_->ShowButton()) return;
    drop_->SetShowButton(v);
    drop_->ButtonHost()->SetVisible(v && !IsTimeOnly());
    UpdateEditRect();
    Invalidate();
}

void TgkDBCustomDateTimePicker::SetButtonStyle(TgkComboButtonStyle v)
{
    if (v == drop_->ButtonStyle()) return;
    drop_->SetButtonStyle(v);
    RefreshButtonFace();
    drop_->Button()->Invalidate();
}

ui::TPicture* TgkDBCustomDateTimePicker::ButtonGlyph() const { return drop_->Button()->Glyph(); }

void TgkDBCustomDateTimePicker::SetButtonGlyph(const ui::TPicture* glyph)
{
    if (glyph != nullptr)
        ButtonGlyph()->Assign(*glyph);
    else
        ButtonGlyph()->Clear();
    drop_->Button()->Invalidate();
}

void TgkDBCustomDateTimePicker::DrawButton(ui::TCanvas& canvas, const ui::TRect& rect, bool& defaultPaint)
{
    TgkDateComboButton& button = *drop_->Button();
    switch (drop_->ButtonStyle()) {
    case cbsCustom: return;
    case cbsEllipsis: {
        // A flat button shows no edge until the pointer or the focus comes to the picker.
        const bool flat = button.Flat() && !mouseOver_ && !focused_;
        grid::gkDrawEllipsisButton(canvas, rect, button.Down(), false, false, flat);
        break;
    }
    case cbsDownArrow: grid::gkDrawDropDownButton(canvas, rect, button.Down(), false, button.Enabled()); break;
    }
    defaultPaint = false;
}

void TgkDBCustomDateTimePicker::RefreshButtonFace()
{
    if (drop_ == nullptr || IsCustomButtonStyle()) return;
    TgkDateComboButton& button = *drop_->Button();
    if (button.Width() <= 0 || button.Height() <= 0) return;
    ui::TBitmap face(button.Width(), button.Height());
    face.Fill(rtl::clBtnFace);
    bool defaultPaint = true;
    DrawButton(*face.Canvas(), {0, 0, face.Width(), face.Height()}, defaultPaint);
    if (defaultPaint) return;
    // The window's own button draws the face and its edges: it shows the mark drawn inside them.
    button.Glyph()->LoadFromBytes(ui::EncodeBmp(face, MarkBox(face, {2, 2, face.Width() - 2, face.Height() - 2})));
    button.Invalidate();
}

void TgkDBCustomDateTimePicker::SetButtonWidth(int v)
{
    drop_->SetButtonWidth(v);
    PositionButton();
}

void TgkDBCustomDateTimePicker::PositionButton()
{
    if (drop_ == nullptr) return;
    ui::TWinControl* host = drop_->ButtonHost();
    // No calendar for a time: no button either.
    host->SetVisible(drop_->ShowButton() && !IsTimeOnly());
    const int d = frame_.IsFrameEnabled() ? 2 : 0;
    const int bw = drop_->Button()->Width();
    const ui::TRect client = ClientRect();
    host->SetBounds(Width() - bw - d - 2 * FrameRingWidth(), d, bw, std::max(0, client.Height() - 2 * d));
    drop_->Button()->SetBounds(0, 0, bw, host->Height());
    UpdateEditRect();
    RefreshButtonFace();
}

ui::TRect TgkDBCustomDateTimePicker::EditRect() const
{
    ui::TRect r = ClientRect();
    const bool buttonShown = drop_ != nullptr && drop_->ButtonShown() && !IsTimeOnly();
    r.Right = buttonShown ? drop_->ButtonHost()->Left() - 1 : r.Width() - 2;
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

bool TgkDBCustomDateTimePicker::PaintsAsEdit() const
{
    return focused_ && dynamic_cast<const grid::TgkCustomDBGrid*>(Parent()) == nullptr;
}

void TgkDBCustomDateTimePicker::PaintOver(ui::TCanvas& canvas)
{
    if (!PaintsAsEdit()) {
        PaintText(canvas, false);
        return;
    }
    const bool focusedLook = focused_ || (frame_.MouseEnterSameAsFocus && mouseOver_);
    gkPaintNonClientFrame(frame_, focusedLook, false, canvas);
}

void TgkDBCustomDateTimePicker::PaintText(ui::TCanvas& canvas, bool paintCopy)
{
    const bool inGrid = InGrid();
    auto* dbGrid = dynamic_cast<grid::TgkCustomDBGrid*>(Parent());
    PaintBackground(canvas, paintCopy);
    const bool frameTransparent = frame_.Transparent() && frame_.IsFrameEnabled();
    const ui::TRect client = ClientRect();
    const int inset = BorderInset(paintCopy);
    ui::TRect r = paintCopy || !drop_->ButtonShown() ? client : EditRect();
    r = {r.Left + 1 + inset, r.Top + 1 + inset, r.Right - 1, r.Bottom - 1 - inset};
    const std::string text = PaintedText(paintCopy);
    const bool highlight = !paintCopy && focused_;
    if (highlight) {
        canvas.Brush()->SetColor(rtl::clHighlight);
        canvas.Font()->SetColor(rtl::clHighlightText);
    }
    if (dbGrid != nullptr) dbGrid->CalcCellColors(Field(), ui::TGridDrawState{}, highlight, canvas.Font(), canvas.Brush());
    const int leftMargin = inGrid ? (dbGrid != nullptr && !dbGrid->RowLinesShown() ? 1 : 2) : 1;
    int top = inGrid ? 2 : leftMargin;
    int fx = 0;
    if (frame_.IsFrameEnabled() && !inGrid) frame_.GetTextOffsets(fx, top, focused_);
    const int textWidth = canvas.TextWidth(text);
    const int x = PaintedTextLeft(r, textWidth, leftMargin, fx, paintCopy) + (Alignment() == classes::taLeftJustify ? inset : 0);
    PaintNonFocusFontColor(canvas);
    const int options = paintCopy || (frameTransparent && !focused_) ? grid::gkdtKeepBackground : 0;
    grid::gkDrawControlText(canvas, r, x - 1 - r.Left, options, classes::taLeftJustify, text, top + inset - 1 - r.Top);
    if (highlight) canvas.DrawFocusRect(FocusRect());
    if (frame_.IsFrameEnabled()) gkDrawFrame(*this, frame_, canvas, focused_);
}

ui::TRect TgkDBCustomDateTimePicker::FocusRect() const
{
    // Around the edit rectangle, inside a border of the window's own.
    ui::TRect r = EditRect();
    if (ShowsBorder()) r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom};
    return r;
}

void TgkDBCustomDateTimePicker::PaintBackground(ui::TCanvas& canvas, bool paintCopy) const
{
    const auto* dbGrid = dynamic_cast<const grid::TgkCustomDBGrid*>(Parent());
    canvas.Font()->Assign(*Font());
    if (!Enabled())
        canvas.Font()->SetColor(rtl::clGrayText);
    else if (InGrid() && !paintCopy)
        canvas.Font()->SetColor(dbGrid != nullptr ? dbGrid->Font()->Color() : Font()->Color());
    canvas.Brush()->SetColor(Color());
    const bool frameTransparent = frame_.Transparent() && frame_.IsFrameEnabled();
    if (frameTransparent || paintCopy) return;
    if (frame_.IsFrameEnabled() && !focused_ && frame_.NonFocusColor != rtl::clNone)
        canvas.Brush()->SetColor(frame_.NonFocusColor);
    const int inset = BorderInset(paintCopy);
    const ui::TRect client = ClientRect();
    canvas.FillRect({client.Left + inset, client.Top + inset, client.Right - inset, client.Bottom - inset});
}

int TgkDBCustomDateTimePicker::BorderInset(bool paintCopy) const
{
    // Drawn over the window's own edit, the picker leaves that edit's sunken border showing.
    return !paintCopy && ShowsBorder() && !frame_.IsFrameEnabled() ? 2 : 0;
}

std::string TgkDBCustomDateTimePicker::PaintedText(bool paintCopy) const
{
    const db::TField* f = Field();
    if (paintCopy && f != nullptr) return f->IsNull() ? std::string() : DisplayTextFor(f->AsDateTime());
    if (f != nullptr && !Modified()) return f->IsNull() ? std::string() : FormatValue(f->AsDateTime());
    return DisplayTextFor(val_.Value());
}

int TgkDBCustomDateTimePicker::PaintedTextLeft(const ui::TRect& r, int textWidth, int leftMargin, int fx,
                                               bool paintCopy) const
{
    const bool buttonShown = drop_->ButtonShown() && !paintCopy;
    const ui::TWinControl* host = drop_->ButtonHost();
    if (Alignment() == classes::taRightJustify)
        return (buttonShown ? host->Left() - 1 : ClientRect().Width()) - textWidth - leftMargin - fx;
    if (Alignment() == classes::taCenter)
        return (r.Left + r.Right - textWidth - (buttonShown ? host->Width() : 0)) / 2;
    if (!InGrid() && paintCopy) return leftMargin - 1;
    // Inside a frame the text starts where the frame leaves room for it.
    if (!InGrid() && frame_.IsFrameEnabled()) return std::max(leftMargin, fx);
    return leftMargin;
}

void TgkDBCustomDateTimePicker::PaintNonFocusFontColor(ui::TCanvas& canvas) const
{
    if (focused_ || !frame_.IsFrameEnabled()) return;
    if (frame_.Transparent() && frame_.NonFocusTransparentFontColor != rtl::clNone)
        canvas.Font()->SetColor(frame_.NonFocusTransparentFontColor);
    else if (frame_.NonFocusFontColor != rtl::clNone)
        canvas.Font()->SetColor(frame_.NonFocusFontColor);
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

bool TgkDBCustomDateTimePicker::IsDroppedDown() const { return drop_ != nullptr && drop_->IsOpen(); }

void TgkDBCustomDateTimePicker::DropDown() { drop_->Open(); }

void TgkDBCustomDateTimePicker::CloseUp(bool accept) { drop_->Close(accept); }

}  // namespace editctrls
