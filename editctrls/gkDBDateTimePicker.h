#pragma once
// TgkDBCustomDateTimePicker / TgkDBDateTimePicker: a one-line edit holding one date-time value,
// edited part by part (day, month, year, hour, minute, second, AM/PM) instead of as free text,
// with a drop-down month calendar, optionally bound to a date, time or date-time field. The
// program's grid creates one for its date columns and places it over the current cell.
//
// Promises:
// - The edit's text is always written by the control: keys, clicks and the clipboard act on
//   the current part; the current part shows as a selection with the caret hidden. A value
//   that may not be edited keeps the whole text selected.
// - Every change of the value goes through SetValue; a range error (EDateTimeError, "Date
//   exceeds maximum of %s", "Date is less than minimum of %s") is raised after the value is
//   stored and shown.
// - A typed digit that fails its check beeps and changes nothing. The minute step is at least
//   1 and wraps to 0..59; the year part takes 1 to 9999 only; named formats inside quotes
//   stay text.
// - Bound: a change puts the data set into edit mode through the link and marks it
//   modified; leaving the control writes the field (a failing write returns the focus and
//   propagates); a picker bound by name to a missing field shows nothing, never drops down
//   and ignores editing keys. A date field keeps its time of day, a time field its day;
//   clearing posts null; a Required field cannot be cleared from the keyboard.
// - Inside a grid: navigation keys go to the grid as the routing table says; no frame; the
//   picker paints copies of itself into the other cells of its column (WM_PAINT with a
//   canvas while csPaintCopy is set).
// - The button shows the mark DrawButton paints for the library styles (a drop-down arrow, an
//   ellipsis; the window's own button gives the face and edges) and the user's ButtonGlyph
//   for cbsCustom; the glyph is stored only then.
// - BiDiMode, ParentBiDiMode, ImeMode, ImeName, DragCursor and Constraints are published and
//   stored so stored forms keep them; nothing here acts on them. Right-to-left text drawing
//   exists (gkDrawControlText) but no picker reaches it: every picker paints left to right.

#include <functional>
#include <memory>
#include <string>

#include "editctrls/gkDTDropDown.h"
#include "editctrls/gkDTFormat.h"
#include "editctrls/gkDTTyping.h"
#include "editctrls/gkDTValue.h"
#include "editctrls/gkFrame.h"
#include "editctrls/gkMonthCal.h"
#include "platform/classes/Font.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StoredControlProps.h"

namespace ui {
class TCanvas;
}

namespace editctrls {

class TgkCalendarPopupHost;
class TgkDBCustomDateTimePicker;

enum TgkDTCalAlignment { gkdtaLeft, gkdtaRight, gkdtaCenter };
using ui::TBiDiMode;
using ui::TImeMode;

// Answered with the picker's field data link (a db::TFieldDataLink*), as data-aware
// controls answer it.
constexpr unsigned CM_GETDATALINK = ui::CM_BASE + 63;

const classes::TEnumInfo& DTDateFormatInfo();
const classes::TEnumInfo& DTEditDataTypeInfo();
const classes::TEnumInfo& DTCalAlignmentInfo();
const classes::TEnumInfo& ComboButtonStyleInfo();
using ui::TSizeConstraints;

// The minute step of Up and Down.
class TgkDTInterval : public classes::TPersistent {
    GW_CLASS(TgkDTInterval)

public:
    // Below 1 acts as 1.
    int MinutesInterval() const noexcept { return minutesInterval_; }
    void SetMinutesInterval(int v) { minutesInterval_ = v; }
    int EffectiveInterval() const noexcept { return minutesInterval_ < 1 ? 1 : minutesInterval_; }
    bool RoundMinutes = false;
    void Assign(const classes::TPersistent& source) override;

private:
    int minutesInterval_ = 1;
};

// The first day of a week as 1 (Sunday) to 7 (Saturday) for a calendar setting, the locale's
// when gkdowLocaleDefault.
int FirstDayNumber(TgkCalDayOfWeek day);

// Where the drop-down calendar goes: the picker's rectangle and the calendar's size in screen
// coordinates, the work area and the screen's width. Below the picker, above it when it
// would pass the work area's bottom and there is room above; aligned left, right or centred
// against the picker (leaving the button's width), kept on the screen.
ui::TPoint PlaceDropDown(const ui::TRect& picker, int width, int height, const ui::TRect& workArea, int screenWidth,
                         TgkDTCalAlignment alignment, int buttonWidth);

class TgkCalendarOptions : public classes::TPersistent {
    GW_CLASS(TgkCalendarOptions)

public:
    TgkCalendarOptions();
    ~TgkCalendarOptions() override;
    void Assign(const classes::TPersistent& source) override;

    TgkDTCalAlignment Alignment = gkdtaLeft;
    TgkCalDayOfWeek FirstDayOfWeek = gkdowLocaleDefault;
    classes::TFont* Font() const noexcept { return font_.get(); }
    void SetFont(const classes::TFont* font);
    // Wanted size; 0 or below the calendar's minimum gives the minimum.
    int CalendarWidth = 0;
    int CalendarHeight = 0;
    TgkMonthOptions Options{mdoDayState};
    TgkDateTimeColors* Colors() const noexcept { return colors_.get(); }
    TgkPopupYearOptions* PopupYearOptions() const noexcept { return yearOptions_.get(); }

private:
    std::unique_ptr<classes::TFont> font_;
    std::unique_ptr<TgkDateTimeColors> colors_;
    std::unique_ptr<TgkPopupYearOptions> yearOptions_;
};

// The picker's drop-down calendar: its changes while open reach the picker at once.
class TgkPopupCalendar : public TgkMonthCalendar {
    GW_CLASS(TgkPopupCalendar)

public:
    TgkPopupCalendar(classes::TComponent* owner, TgkDBCustomDateTimePicker* picker);
    TgkDBCustomDateTimePicker* Picker() const noexcept { return picker_; }
    // The drop-down never takes the focus.
    void FocusIfVisible() override {}

protected:
    void Change() override;

private:
    TgkDBCustomDateTimePicker* picker_;
};

class TgkComboButtonEffects : public TgkButtonEffects {
    GW_CLASS(TgkComboButtonEffects)

public:
    using TgkButtonEffects::TgkButtonEffects;
    void Refresh() override;
};

// The drop-down button at the picker's right edge.
class TgkDateComboButton : public ui::TSpeedButton {
    GW_CLASS(TgkDateComboButton)

public:
    explicit TgkDateComboButton(classes::TComponent* owner);
};

class TgkDBCustomDateTimePicker : public ui::TEdit {
    GW_CLASS(TgkDBCustomDateTimePicker)

public:
    explicit TgkDBCustomDateTimePicker(classes::TComponent* owner);
    ~TgkDBCustomDateTimePicker() override;

    // ---- Value ----------------------------------------------------------------------------
    rtl::TDateTime Value() const noexcept { return val_.Value(); }
    bool Empty() const noexcept { return val_.Empty(); }
    // Every change of the value; raises the range errors after storing and showing it.
    void SetValue(rtl::TDateTime value);
    rtl::TDateTime Date();
    void SetDate(rtl::TDateTime date);
    rtl::TDateTime Time();
    void SetTime(rtl::TDateTime time);
    rtl::TDateTime MinDate() const noexcept { return val_.MinDate(); }
    void SetMinDate(rtl::TDateTime v) { val_.SetMinDate(v); }
    rtl::TDateTime MaxDate() const noexcept { return val_.MaxDate(); }
    void SetMaxDate(rtl::TDateTime v) { val_.SetMaxDate(v); }
    rtl::TDateTime EffectiveMinDate() const { return val_.EffectiveMinDate(); }
    rtl::TDateTime EffectiveMaxDate() const { return val_.EffectiveMaxDate(); }
    int Epoch() const noexcept { return val_.Epoch(); }
    void SetEpoch(int v) { val_.SetEpoch(v); }
    const std::string& DisplayFormat() const noexcept { return val_.DisplayFormat(); }
    void SetDisplayFormat(const std::string& v);
    TDTDateFormat DateFormat() const noexcept { return val_.DateFormat(); }
    void SetDateFormat(TDTDateFormat v);
    TgkDTEditDataType UnboundDataType() const noexcept { return val_.UnboundDataType(); }
    void SetUnboundDataType(TgkDTEditDataType v);
    TgkDTInterval* Interval() noexcept { return &interval_; }
    TgkCalendarOptions* CalendarAttributes() noexcept { return &calendarAttributes_; }
    TgkEditFrame* Frame() noexcept { return &frame_; }
    TgkComboButtonEffects* ButtonEffects() noexcept { return buttonEffects_.get(); }

    // bsNone: no border of the window's own (the frame, or a grid cell, gives the look).
    ui::TFormBorderStyle BorderStyle() const noexcept { return borderStyle_; }
    void SetBorderStyle(ui::TFormBorderStyle v);
    bool ShowsBorder() const override { return borderStyle_ != ui::bsNone && !InGrid(); }

    // ---- Format ---------------------------------------------------------------------------
    TDTKind Kind() const { return val_.Kind(); }
    bool IsDateTimeType() const { return val_.IsDateTimeType(); }
    bool IsDateType() const { return val_.IsDateType(); }
    bool IsTimeOnly() const { return val_.IsTimeOnly(); }
    bool IsDateOnly() const { return val_.IsDateOnly(); }
    std::string GetDisplayFormat(bool expandDefault) const { return val_.GetDisplayFormat(expandDefault); }
    std::string GetExpandedDisplayFormat() const { return val_.GetExpandedDisplayFormat(); }
    bool UsesGeneralFormat() const { return val_.UsesGeneralFormat(); }
    int ShownPartCount() const;
    bool IsLastPartShown() const;
    std::string FormatValue(rtl::TDateTime value) const { return val_.FormatValue(value); }
    std::string DisplayTextFor(rtl::TDateTime value) const { return val_.DisplayTextFor(value, IsDroppedDown()); }
    void RefreshText();
    // Selects the current part (nothing while the calendar is open; everything when the value
    // may not be edited) and hides the caret.
    void HighlightPart();
    int CurrentPart() const noexcept { return typing_.Part(); }
    void SetCurrentPart(int part) { typing_.SetPart(part); }
    void ApplyDateParts(int year, int month, int day, int hour, int minute, int second, int msec);
    // Applies typed digits of the current part.
    void CommitTypedPart() { typing_.Commit(); }

    // ---- Binding --------------------------------------------------------------------------
    db::TDataSource* DataSource() const { return link_->DataSource(); }
    void SetDataSource(db::TDataSource* source);
    std::string DataField() const { return link_->FieldName(); }
    void SetDataField(const std::string& name);
    db::TField* Field() const { return link_->Field(); }
    bool ReadOnly() const { return link_->ReadOnly(); }
    void SetReadOnly(bool v);
    db::TFieldDataLink* DataLink() const noexcept { return link_.get(); }
    bool CanEditValue() const;
    virtual bool CanModifyField() const;
    void MarkModified(bool editFirst);

    // ---- Drop-down and button -------------------------------------------------------------
    virtual void DropDown();
    virtual void CloseUp(bool accept);
    virtual bool IsDroppedDown() const;
    TgkPopupCalendar* Calendar() const noexcept { return drop_->Calendar(); }
    TgkCalendarPopupHost* CalendarHost() const noexcept { return drop_->Host(); }
    bool ShowButton() const noexcept { return drop_->ShowButton(); }
    virtual void SetShowButton(bool v);
    TgkComboButtonStyle ButtonStyle() const noexcept { return drop_->ButtonStyle(); }
    void SetButtonStyle(TgkComboButtonStyle v);
    int ButtonWidth() const noexcept { return drop_->ButtonWidth(); }
    void SetButtonWidth(int v);
    TgkDateComboButton* Button() const noexcept { return drop_->Button(); }
    virtual bool IsCustomButtonStyle() const { return ButtonStyle() == cbsCustom; }
    // Paints the button's face in `rect` for the library styles (defaultPaint turns false);
    // cbsCustom leaves it to the button's own glyph.
    virtual void DrawButton(ui::TCanvas& canvas, const ui::TRect& rect, bool& defaultPaint);
    // The button's glyph: the user's picture under cbsCustom.
    ui::TPicture* ButtonGlyph() const;
    void SetButtonGlyph(const ui::TPicture* glyph);
    // Gives the button the mark DrawButton paints now (its size, state and style).
    void RefreshButtonFace();
    void PositionButton();
    // The formatting rectangle beside the button (client coordinates).
    ui::TRect EditRect() const;
    void UpdateEditRect();

    // ---- Stored only ----------------------------------------------------------------------
    ui::TStoredControlProps& StoredProps() noexcept { return stored_; }
    const ui::TStoredControlProps& StoredProps() const noexcept { return stored_; }

    // ---- Painting -------------------------------------------------------------------------
    // Paints the text (and frame) on `canvas`: a paint copy in a grid cell, or the picker
    // drawing itself as a grid cell does (unless it paints as an edit).
    void PaintText(ui::TCanvas& canvas, bool paintCopy);
    // Focused outside the library's grid: the window's own edit painting, then the frame.
    // Otherwise the picker paints itself: the field's alignment, the frame's unfocused colours,
    // the highlight and focus rectangle as the focused grid's current cell.
    bool PaintsAsEdit() const;
    // The focus rectangle of the highlighted picker.
    ui::TRect FocusRect() const;
    int FrameRingWidth() const override { return frame_.IsFrameEnabled() ? 2 : 0; }
    bool PaintsOver() const override { return frame_.IsFrameEnabled() || !PaintsAsEdit(); }
    void PaintOver(ui::TCanvas& canvas) override;

    // ---- Input ----------------------------------------------------------------------------
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override;
    void KeyPress(char& key) override;
    bool WantsKey(ui::TKey key) const override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void DblClick() override;
    void Dispatch(ui::TMessage& message) override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;
    // The edit's own handling first, then the field data link's.
    bool ExecuteAction(classes::TBasicAction* action) override;
    bool UpdateAction(classes::TBasicAction* action) override;
    void Loaded() override;
    void Resize() override;

    classes::TEvent<classes::TObject*> OnCloseUp;
    classes::TEvent<classes::TObject*> OnDropDown;
    classes::TEvent<classes::TObject*> OnMouseEnter;
    classes::TEvent<classes::TObject*> OnMouseLeave;
    // Passed to the calendar at each drop-down.
    TCalcBoldDayEvent OnCalcBoldDay;

protected:
    void Change() override;
    virtual void DoMouseEnter();
    virtual void DoMouseLeave();

private:
    friend class TgkPopupCalendar;
    friend class TgkDTTyping;
    friend class TgkDTDropDown;
    bool InGrid() const;
    // The frame is transparent, on, and not in a designer.
    bool FrameTransparentInEffect() const;
    rtl::TDateTime ShownValue() const;
    bool LocateCurrent(TDTPart& part) const;
    TDTPartType CurrentPartType() const;
    void SetTextKeepModified(const std::string& text);
    void DataChange();
    void ShowFieldValue(const db::TField& field);
    void UpdateData();
    void DoEnterPicker();
    void DoExitPicker();
    // Keys.
    bool RouteKeyToGrid(ui::TKey& key, ui::TShiftState shift);
    bool GridTakesKey(ui::TKey key, ui::TShiftState shift) const;
    bool GridTakesMoveKey(ui::TKey key, ui::TShiftState shift) const;
    bool ControlKey(ui::TKey& key, ui::TShiftState shift);
    bool EditingAllowed(ui::TKey& key);
    // Painting.
    // The font and brush of the control, and the background filled unless transparent.
    void PaintBackground(ui::TCanvas& canvas, bool paintCopy) const;
    std::string PaintedText(bool paintCopy) const;
    // How far in from the edges the picker paints (the window's own border).
    int BorderInset(bool paintCopy) const;
    int PaintedTextLeft(const ui::TRect& r, int textWidth, int leftMargin, int fx, bool paintCopy) const;
    void PaintNonFocusFontColor(ui::TCanvas& canvas) const;
    void CalendarChanged() { drop_->CalendarChanged(); }
    // The edit window's own read-only state (the data link's flag stays).
    void SetReadOnlyWindow(bool v) { ui::TEdit::SetReadOnly(v); }

    std::unique_ptr<db::TFieldDataLink> link_;
    TgkDTValue val_{*link_};
    TgkDTTyping typing_{*this, val_};
    std::unique_ptr<TgkDTDropDown> drop_;
    bool focused_ = false;
    bool mouseOver_ = false;
    TgkDTInterval interval_;
    TgkCalendarOptions calendarAttributes_;
    TgkEditFrame frame_;
    std::unique_ptr<TgkComboButtonEffects> buttonEffects_;
    ui::TFormBorderStyle borderStyle_ = ui::bsSingle;
    ui::TStoredControlProps stored_;
};

class TgkDBDateTimePicker : public TgkDBCustomDateTimePicker {
    GW_CLASS(TgkDBDateTimePicker)

public:
    using TgkDBCustomDateTimePicker::TgkDBCustomDateTimePicker;
};

void RegisterDateTimePickerClasses();

}  // namespace editctrls
