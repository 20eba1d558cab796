#pragma once
// TgkCustomMaskEdit and TgkDBCustomEdit: the edit the library's data-aware edits and drop-down
// edits stand on. The edit carries the edit frame and places its text rectangle; the
// data-aware edit binds it to a field, checks typed text against a picture mask (TgkDBPicture,
// own or from the data set's PictureMasks list), fills in today's date on Space for date and
// time edits, converts its text back into the field, draws itself when it has no focus, and
// acts as a cell editor inside a grid.
//
// Promises:
// - Under a picture mask a typed character that fits replaces the text with what the mask
//   makes of it (literals filled in); one that breaks the mask at the end of the text beeps and
//   is dropped; one inside the text is left to the check on leaving.
// - Leaving with a modified text the mask refuses keeps the focus, the text selected and
//   modified, and beeps (unless AllowInvalidExit). A mask with a syntax error counts as none
//   for that check and for the update; OnCheckValue still hears False.
// - Leaving writes a modified text into the field: memo as text, dates through the date
//   scanner (epoch 1950), numbers shown with a display format through the formatted-number
//   reader (integers rounded), an empty text as null, others as Text. A text that does not
//   convert raises EConvertError naming it; the field stays as it was and the focus stays.
// - The Space date fill appends the next part of today's date (or the time) so that the text
//   always reads back as a date; no separator after the last date part, AM/PM only on a
//   12-hour clock.
// - Bound to a field name the data set does not hold, the edit shows nothing and ignores
//   editing keys.
// - The class library's edit mask (EditMask) is kept for stored forms and never applied.

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "editctrls/gkFrame.h"
#include "grid/CellControls.h"
#include "grid/PictureValidator.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StdCtrls.h"

namespace editctrls {

class TgkDBCustomEdit;

enum TgkEditDataType { gkDefault, gkEdtDate, gkEdtTime, gkEdtDateTime };
const classes::TEnumInfo& EditDataTypeInfo();

// (Sender, PassesPictureTest)
using TgkValidateEvent = classes::TEvent<classes::TObject*, bool>;

// The text one Space of the date fill appends to `text` in an edit of `kind` (gkEdtDate,
// gkEdtTime or gkEdtDateTime) at the moment `now`; empty when the text holds every part.
std::string gkDateFillStep(const std::string& text, TgkEditDataType kind, rtl::TDateTime now,
                           const rtl::TFormatSettings& settings);

// A control's picture-mask settings. The mask comes from the data set while
// PictureMaskFromDataSet is set and the owner is bound (data source, data set, field name) to
// a data set that publishes PictureMasks; reads and writes then go to the field's entry.
class TgkDBPicture : public classes::TPersistent {
    GW_CLASS(TgkDBPicture)

public:
    explicit TgkDBPicture(TgkDBCustomEdit* owner = nullptr) : owner_(owner) {}
    void Assign(const classes::TPersistent& source) override;

    bool PictureMaskFromDataSet() const noexcept { return fromDataSet_; }
    void SetPictureMaskFromDataSet(bool v) { fromDataSet_ = v; }
    std::string PictureMask() const;
    // A mask the data set's table defines already is kept, with a warning.
    void SetPictureMask(const std::string& mask);
    bool AutoFill() const;
    void SetAutoFill(bool v);
    // False while the mask comes from the data set.
    bool AllowInvalidExit() const;
    void SetAllowInvalidExit(bool v);
    bool MaskFromDataSet() const;
    // Stored unless the mask comes from the data set and is empty.
    bool IsStored() const { return !MaskFromDataSet() || !PictureMask().empty(); }

private:
    friend class TgkDBCustomEdit;
    // The data set holding the list and the field's name; nil when the mask is the object's own.
    db::TDataSet* Source() const;
    void WriteEntry(const std::string& mask, bool autoFill);

    TgkDBCustomEdit* owner_ = nullptr;
    bool fromDataSet_ = true;
    std::string mask_;
    bool autoFill_ = true;
    bool allowInvalidExit_ = false;
};

class TgkCustomMaskEdit : public ui::TEdit {
    GW_CLASS(TgkCustomMaskEdit)

public:
    explicit TgkCustomMaskEdit(classes::TComponent* owner);

    TgkEditFrame* Frame() noexcept { return &frame_; }
    const TgkEditFrame* Frame() const noexcept { return &frame_; }
    ui::TFormBorderStyle BorderStyle() const noexcept { return borderStyle_; }
    void SetBorderStyle(ui::TFormBorderStyle v);
    bool ShowsBorder() const override;
    // Kept, never applied.
    std::string EditMask;

    // Whether a grid shows the field's own text in this control's cell (no here).
    virtual bool ShowsOwnTextInGrid() const { return false; }
    // The formatting rectangle in client coordinates: left and top by border, grid and
    // frame; right one pixel short of the client width.
    virtual ui::TRect EditRect() const;
    // Applies EditRect as the edit's text margins.
    void SetEditRect();
    virtual void DoCheckValue(bool passesPictureTest);
    TgkValidateEvent OnCheckValue;

protected:
    bool InGrid() const;
    // A borderless AutoSize edit outside a grid takes the height of its font and frame once
    // its window exists, then its text rectangle anew.
    void CreatePeers() override;
    TgkEditFrame frame_;
    ui::TFormBorderStyle borderStyle_ = ui::bsSingle;
};

class TgkDBCustomEdit : public TgkCustomMaskEdit, public grid::IgkGridCellControl {
    GW_CLASS(TgkDBCustomEdit)

public:
    explicit TgkDBCustomEdit(classes::TComponent* owner);
    ~TgkDBCustomEdit() override;

    // In a grid's cells: the field's own text when ShowsOwnTextInGrid, else the display text.
    std::optional<std::string> GridCellText(const db::TField& field) const override;

    // ---- Binding ------------------------------------------------------------------------
    db::TDataSource* DataSource() const { return link_->DataSource(); }
    void SetDataSource(db::TDataSource* source);
    std::string DataField() const { return link_->FieldName(); }
    void SetDataField(const std::string& name);
    db::TField* Field() const { return link_->Field(); }
    bool ReadOnly() const { return link_->ReadOnly(); }
    void SetReadOnly(bool v);
    db::TFieldDataLink* DataLink() const noexcept { return link_.get(); }
    // Bound by name to a field the data set does not hold.
    bool BoundWithoutField() const;

    // ---- Picture mask -------------------------------------------------------------------
    TgkDBPicture* Picture();
    bool UsePictureMask() const noexcept { return usePictureMask_; }
    void SetUsePictureMask(bool v) { usePictureMask_ = v; }
    // UsePictureMask and a mask.
    bool HasPictureMask() const;
    // ...and the mask's syntax is sound.
    bool HasValidPictureMask() const;
    // True for an empty text or mask, else when the text matches the mask completely;
    // OnCheckValue hears the answer.
    bool CheckValue(const std::string& text);
    // The text becomes what the mask (with AutoFill) makes of it.
    void ApplyPictureFill();

    bool AutoFillDate() const noexcept { return autoFillDate_; }
    void SetAutoFillDate(bool v) { autoFillDate_ = v; }
    TgkEditDataType UnboundDataType() const noexcept { return unboundDataType_; }
    void SetUnboundDataType(TgkEditDataType v) { unboundDataType_ = v; }
    classes::TAlignment UnboundAlignment() const noexcept { return unboundAlignment_; }
    void SetUnboundAlignment(classes::TAlignment v);
    // Behaviour switches: [0] no blank retry in the picture check; [1] held while the combo
    // box sets its own text (its data-change handling waits); [2] the drop-down opens from the
    // button's click (else from its press); [3] Enter and Escape of a multi-line edit are not
    // first offered to the parent.
    std::array<bool, 4> Switches{false, false, true, false};

    // ---- Queries ------------------------------------------------------------------------
    // A data source without AutoEdit that is in neither edit nor insert state.
    virtual bool DataSourceRefusesEdit() const;
    virtual bool IsEditable() const { return true; }
    virtual bool IsDroppedDown() const { return false; }
    // The client rectangle less a button's reserved width (and a pixel with a frame).
    virtual ui::TRect GetClientEditRect() const;
    virtual bool HasButton() const { return false; }
    // Width kept free at the right for a button, and the right edge of the text.
    virtual int ReservedButtonWidth() const { return 0; }
    virtual int TextRightEdge() const { return ClientWidth() - 1; }
    // The kind of value: the field's class, else UnboundDataType.
    bool IsDateEdit() const;
    bool IsTimeEdit() const;
    bool IsDateTimeEdit() const;
    bool IsMemoEdit() const;

    // ---- Editing ------------------------------------------------------------------------
    // Without a field true; otherwise whether the data set could be put into edit mode.
    bool EditCanModify();
    // The field's value again (or the text kept on entry), all selected, not modified.
    void Reset();
    // Hands a picture failure to the application-wide handler (raises).
    virtual void InvalidValue(db::TField* field);
    // The last exit was refused by the picture check.
    bool InvalidExit() const noexcept { return invalidExit_; }
    // Whether the text counts as changed by the user.
    bool TextModified() const { return Modified() || settingText_ || pictureKeyHandled_; }

    // ---- Painting -----------------------------------------------------------------------
    virtual void DrawText(ui::TCanvas& canvas, const ui::TRect& rect, int x, int y, const std::string& s);
    virtual void PaintFrame(ui::TCanvas& canvas);
    // The edit paints itself (not the window's own edit): unfocused, disabled, a copy in a
    // grid, or inside a focused library grid.
    bool PaintsItself() const;
    void PaintSelf(ui::TCanvas& canvas, bool paintCopy);
    int FrameRingWidth() const override;
    bool PaintsOver() const override;
    void PaintOver(ui::TCanvas& canvas) override;

    // ---- Input --------------------------------------------------------------------------
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override;
    void KeyUp(ui::TKey& key, ui::TShiftState shift) override;
    void KeyPress(char& key) override;
    bool WantsKey(ui::TKey key) const override;
    void Dispatch(ui::TMessage& message) override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;
    // The control's own handling first, then the field data link's.
    bool ExecuteAction(classes::TBasicAction* action) override;
    bool UpdateAction(classes::TBasicAction* action) override;
    void Loaded() override;

    classes::TEvent<classes::TObject*> OnMouseEnter;
    classes::TEvent<classes::TObject*> OnMouseLeave;

protected:
    void Change() override;
    void Resize() override;
    virtual void DoMouseEnter();
    virtual void DoMouseLeave();
    // The value the field stores for a shown text, and the text shown for a stored value
    // (false: the field's own text).
    virtual std::string StoredValueOf(const std::string& text) const { return text; }
    virtual bool DisplayTextOf(const std::string& /*value*/, std::string& /*text*/) const { return false; }
    // The data link's notices; descendants take the data change over.
    virtual void DataChange();
    virtual void UpdateData();
    // Sets the text as the program does (not a change of the user's).
    void SetTextQuietly(const std::string& text);
    // Hands a key to a grid parent; true when the grid took it.
    bool HandKeyToGrid(ui::TKey& key, ui::TShiftState shift);
    bool Focused_() const noexcept { return focused_; }
    // The text after `key` at the caret: Backspace removes the selection or the character
    // before the caret; another key replaces the selection.
    std::string TextAfterKey(char key) const;
    bool MouseOver() const noexcept { return mouseOver_; }

private:
    void EditingChange();
    void DoEnterEdit();
    // False when the exit was refused.
    bool ExitCheck();
    void DoExitEdit();
    bool GridTakesKey(ui::TKey key, ui::TShiftState shift) const;
    bool PrepareTyping(char& key);
    bool DateFill(char& key);
    void PictureKey(char& key);
    bool NumericKeyRefused(char key) const;
    void FinishKey(char& key);
    void Paste();
    void StoreText(db::TField& field);
    std::string PaintedText(bool paintCopy) const;

    std::unique_ptr<db::TFieldDataLink> link_;
    TgkDBPicture picture_{this};
    bool usePictureMask_ = true;
    bool autoFillDate_ = true;
    TgkEditDataType unboundDataType_ = gkDefault;
    classes::TAlignment unboundAlignment_ = classes::taLeftJustify;
    classes::TAlignment fieldAlignment_ = classes::taLeftJustify;
    bool settingText_ = false;
    bool pictureKeyHandled_ = false;
    bool focused_ = false;
    bool invalidExit_ = false;
    bool mouseOver_ = false;
    std::string entryText_;
};

}  // namespace editctrls
