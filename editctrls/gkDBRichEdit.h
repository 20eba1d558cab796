#pragma once
// TgkDBRichEdit: the published, data-aware rich-text edit. It shows and edits one field of a
// data set: a blob field as RTF (a blob that is not RTF shows as text), any other field as
// its text. Stored forms create it by class name.
//
// Promises:
// - With AutoDisplay off a blob field shows its DisplayLabel in parentheses until Enter or
//   a double click loads it; an unloaded or missing field is read-only and never enters edit
//   state.
// - A loaded blob whose text is empty starts left-aligned, without bullets, in the font colour.
// - UpdateData writes RTF to a blob field and the text to any other field.
// - The memo text remembered when editing starts is forgotten when editing ends, so a later
//   record holding that same text still loads.
// - A printable key the field refuses beeps and is dropped; Esc cancels the record's change.
// - Inside a grid, a press soon after the grid's press that placed the control is a double
//   click (the window's own report of the same double click is not counted again).
// - Inside a grid, Esc (text unchanged), Page keys, Up and Down, Ctrl+Home and Ctrl+End go to
//   the grid.

#include <memory>
#include <optional>
#include <string>

#include "editctrls/gkRichEdit.h"
#include "grid/CellControls.h"
#include "platform/db/DataSet.h"
#include "platform/ui/Canvas.h"

namespace editctrls {

class TgkDBRichEdit : public TgkCustomRichEdit, public grid::IgkRichTextReader, public grid::IgkGridPressTime {
    GW_CLASS(TgkDBRichEdit)

public:
    explicit TgkDBRichEdit(classes::TComponent* owner);
    ~TgkDBRichEdit() override;

    db::TDataSource* DataSource() const;
    void SetDataSource(db::TDataSource* source);
    std::string DataField() const;
    void SetDataField(const std::string& name);
    db::TField* Field() const;
    bool AutoDisplay() const noexcept { return autoDisplay_; }
    void SetAutoDisplay(bool on);
    bool GetReadOnly() const override;
    void SetDBReadOnly(bool v);
    bool DBReadOnly() const noexcept { return dbReadOnly_; }
    bool MemoLoaded() const noexcept { return loaded_; }

    // Loads the field now (what Enter and a double click do on an unloaded field).
    void LoadMemo();
    // Loads the whole blob of `field` as rich text; LoadFromBlobStream reads it through the
    // data set's blob stream.
    void LoadFromField(db::TField& field);
    void LoadFromBlobStream(db::TField& field);
    // A grid's hidden reader of rich-text cells: the field loaded as above, as plain text.
    std::string PlainTextOf(db::TField& field, bool loadAll) override;
    // Paints the current record's field into `cell` of a grid's canvas, without frame or
    // focus: a copy of the control in another cell of its column.
    void PaintCopy(ui::TCanvas& canvas, const ui::TRect& cell);
    // Fired while a field loads.
    classes::TNotifyEvent OnLoading;

    // Inside a grid, a left press within the double-click time of the grid's press that
    // placed the control over a cell is a double click; that press's time is then forgotten.
    void SetGridPressTime(std::int64_t ms) override { gridPressTime_ = ms; }
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override;
    void KeyPress(char& key) override;
    void DblClick() override;
    void Change() override;
    void DoExit() override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;
    // The control's own handling first, then the field data link's.
    bool ExecuteAction(classes::TBasicAction* action) override;
    bool UpdateAction(classes::TBasicAction* action) override;
    // WM_PAINT with a canvas while csPaintCopy is set: PaintCopy into the client area.
    void Dispatch(ui::TMessage& m) override;

protected:
    void LoadField() override { LoadMemo(); }
    void DoEdit() override;
    bool DataBound() const override;

private:
    void DataChange();
    void EditingChange();
    void UpdateData();
    bool IsBlobField() const;
    bool InGrid() const;

    std::unique_ptr<db::TFieldDataLink> link_;
    bool autoDisplay_ = true;
    bool loaded_ = false;
    bool dbReadOnly_ = false;
    bool loading_ = false;
    std::optional<std::string> memoText_;
    std::optional<std::int64_t> gridPressTime_;
    // A press made the double click: the window's own report of it that follows is the same.
    bool pressDoubleClicked_ = false;
    // The hidden document paint copies are laid out in.
    std::unique_ptr<ui::IRichDocument> painter_;
};

void RegisterRichEditClasses();

}  // namespace editctrls
