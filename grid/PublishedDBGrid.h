#pragma once
// TgkDBGrid: the published data grid, the grid core (TgkCustomDBGrid) with what forms and
// the program use of it:
// - the column list `Selected` applied to the data set's fields (ApplySelected), and again
//   whenever the data link becomes active;
// - FixedCols: data columns kept fixed (the indicator not counted);
// - a date-time picker laid over the current date or time cell, created through the
//   registered picker creator (see SetDateTimePickerCreator);
// - the memo dialog for memo cells (double click, F2), view-only whenever the grid or the
//   field cannot be edited;
// - multi-record selection by bookmarks (SelectRecord, UnselectRecord, ranges);
// - sizing of fixed columns by the mouse (dgFixedResizable);
// - the option objects IniAttributes and ExportOptions, published for forms; with
//   IniAttributes.Enabled the column list is loaded from its INI file or registry section at
//   the first window creation and saved there when the grid is destroyed (see
//   SaveToIniFile and LoadFromIniFile);
// - BiDiMode, Ctl3D, ImeMode, ImeName and Constraints, stored only (StoredControlProps.h):
//   the right-to-left painting the core has (UseRightToLeftGrid) is not reached from
//   BiDiMode, so a stored right-to-left grid still paints left to right.
//
// Promises:
// - ApplySelected checks the whole list before it changes a field (see
//   gkApplySelectedToFields) and always gives the data set's controls back.
// - The picker is read-only whenever the field is read-only, the column's read-only flag is
//   "T" or the grid itself cannot edit; it is shown only over a grid that can edit (or that
//   always shows its cell controls), never at design time or with dgRowSelect.
// - An invalid FixedCols at design time is refused with "Invalid value for FixedCols" and
//   the old value kept; at run time it is stored and applied only once it is valid.
// - The memo dialog is freed also when it or an event raises.
// - Selected records are walked in data-set order; the current record is the same after a
//   range selection as before it.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "grid/DBGrid.h"
#include "grid/GridOptionObjects.h"
#include "grid/MemoDlg.h"
#include "platform/ui/StoredControlProps.h"
#include "platform/db/Variant.h"
#include "platform/rtl/IniFile.h"
#include "platform/rtl/StringList.h"

namespace grid {

class TgkDBGrid;
class IgkGridCellControl;
class IgkRichTextReader;

// Where a data column's cell text comes from (see TgkDBGrid::CellTextSource).
struct TgkCellTextSource {
    enum class TKind : std::uint8_t { None, RichText, Memo, Control, Field };
    TKind kind = TKind::None;
    db::TField* field = nullptr;
    IgkRichTextReader* richText = nullptr;          // RichText
    const IgkGridCellControl* control = nullptr;    // Control: its text, else the field's
    std::optional<db::TDisplayTexts> texts;         // Control and Field
};

// ---- The date-time picker seam ------------------------------------------------------------------
// The picker control lives outside the grid library. The grid asks the creator for one when a
// date or time cell first needs it; the control must publish "ReadOnly", "DataSource" and
// "DataField" (the grid sets them by name) and is owned by the grid. Without a creator the
// grid creates a registered "TgkDBDateTimePicker" when the class registry has one, else it
// has no picker.
using TgkDateTimePickerCreator = std::function<ui::TWinControl*(TgkDBGrid& grid)>;
// Installs `creator` (empty: none) and returns the previous one.
TgkDateTimePickerCreator SetDateTimePickerCreator(TgkDateTimePickerCreator creator);

using TgkExportFieldEvent = classes::TEvent<classes::TObject*, db::TField*, bool&>;
using TgkMemoOpenEvent = classes::TEvent<classes::TObject*, TgkMemoDialog*>;
using TgkMemoCloseEvent = classes::TEvent<classes::TObject*, bool>;
using TgkMultiSelectEvent = classes::TEvent<classes::TObject*, bool, bool&>;
using TgkCreateDateTimePickerEvent = classes::TEvent<classes::TObject*, ui::TWinControl*>;

class TgkDBGrid : public TgkCustomDBGrid {
    GW_CLASS(TgkDBGrid)

public:
    explicit TgkDBGrid(classes::TComponent* owner);
    ~TgkDBGrid() override;

    // ---- Properties ---------------------------------------------------------------------------
    TgkIniAttributes* IniAttributes() noexcept { return iniAttributes_.get(); }
    const TgkIniAttributes* IniAttributes() const noexcept { return iniAttributes_.get(); }
    TgkExportOptions* ExportOptions() noexcept { return exportOptions_.get(); }
    const TgkExportOptions* ExportOptions() const noexcept { return exportOptions_.get(); }
    TgkMemoAttributes MemoAttributes() const noexcept { return memoAttributes_; }
    // Stores the set, then, with an active link, the link activation runs again.
    void SetMemoAttributes(TgkMemoAttributes v);
    // The data columns kept fixed, as stored (see UpdateFixedCols for when it applies).
    int GkFixedCols() const noexcept { return fixedCols_; }
    void SetGkFixedCols(int value);

    // Rich-text cells load their whole text at once, not through the blob stream.
    bool LoadAllRTF() const noexcept { return loadAllRTF_; }
    void SetLoadAllRTF(bool v) { loadAllRTF_ = v; }
    // Stored only (see StoredControlProps.h).
    ui::TStoredControlProps& StoredProps() noexcept { return stored_; }
    const ui::TStoredControlProps& StoredProps() const noexcept { return stored_; }

    // ---- Events -------------------------------------------------------------------------------
    TgkExportFieldEvent OnExportField;
    TgkMemoOpenEvent OnMemoOpen;
    TgkMemoCloseEvent OnMemoClose;
    TgkMultiSelectEvent OnMultiSelectAllRecords;
    TgkMultiSelectEvent OnMultiSelectRecord;
    TgkCreateDateTimePickerEvent OnCreateDateTimePicker;

    // ---- The column list ----------------------------------------------------------------------
    void ApplySelected() override;
    // The grid's row count (title row included) and the current data row.
    int GetRowCount() const { return RowCount(); }
    int GetActiveRow() const { return Row() - (Options().Contains(dgTitles) ? 1 : 0); }
    db::TDataSource* GetDataSource() const { return DataSource(); }

    // ---- Virtual operations, in slot order ----------------------------------------------------
    virtual void ShowCustomControl();
    virtual void UpdateFixedCols();
    virtual ui::TWinControl* CreateDateTimePicker();
    virtual void DoCreateDateTimePicker();
    virtual void SelectRecordRange(const db::TBookmark& from, const db::TBookmark& to);
    virtual void UnselectBookmark(const db::TBookmark& bookmark);
    virtual void UpdateCellControl();
    virtual void DoExportField(db::TField* field, bool& accept);
    // The columns (the shown fields with UseTFields, else Selected) written over the settings
    // section in one save: per column "width;;title;;T|F" (and ";;fifth part") under the field
    // name, a delimiter inside a title or fifth part saved as a blank. Nothing at design time.
    // A missing name or folder or an empty delimiter is a warning (the first two silent while
    // destroying); a save the layer refuses is a warning with its message and leaves the
    // section as it was. Never raises.
    virtual void SaveToIniFile();
    // Selected read back from the section (delimiters become TABs), then, with CheckNewFields,
    // the columns it lacks appended, then ApplySelected. A value without the delimiter or
    // with a width that is no whole number stops the load with a warning (the list kept
    // without UseTFields, emptied with it). An empty section changes nothing.
    virtual void LoadFromIniFile();
    // Selected as it was when the settings were first loaded.
    const rtl::TStringList& DesignSelected() const { return designSelected_; }

    // ---- Cells ---------------------------------------------------------------------------------
    // The picker, once created (nil before).
    ui::TWinControl* GridDateTimePicker() const override { return picker_; }
    // The control now laid over the current cell (not owned; nil when none).
    ui::TWinControl* CurrentCustomControl() const noexcept { return PlacedControl(); }
    // Cells with a control: "Bitmap", "ImageIndex" and "CheckBox" columns, custom types whose
    // control exists, and (without ecoDisableDateTimePicker) date-time fields.
    bool IsControlCell(int col, int row);
    bool IsCustomCell(int col, int row) override;
    // The cell text of data column `dataCol` in the current record: "RichEdit" blob columns
    // the plain text of the blob (read by the grid's hidden rich-text reader, CellControls.h),
    // memo fields "(Memo)" (their text with mGridShow, nothing over an empty data set),
    // "URL-Link" columns the URL display text, a column whose control answers
    // IgkGridCellControl what the control says, else the field's DisplayText.
    std::string GetFieldValue(int dataCol) override;
    // How data column `dataCol`'s cell texts are read, worked out once for many records (an
    // export reads every record's): CellText(source) is GetFieldValue(dataCol) for the current
    // record while the columns, their cell controls and the field's format stay as they are.
    TgkCellTextSource CellTextSource(int dataCol);
    std::string CellText(const TgkCellTextSource& source);
    bool CanEditShow() override;
    // The fixed columns (indicator and FixedCols) take TitleColor, the others Color.
    rtl::TColor GetGridColor(int col) const override;
    void GetControlInfo(const std::string& fieldName, std::string& controlType, std::string& parameters) override;
    // Runs the memo dialog for the current cell (nothing with mDisableDialog).
    void ExecuteMemoDialog();
    // Hides the current custom control (taking the focus back to the grid first when the
    // control had it) and forgets it.
    void HideCellControl() override;
    void PlaceCellControl() override;

    // ---- Multi-record selection ---------------------------------------------------------------
    void SelectRecord() override;
    void UnselectRecord() override;
    void UnselectAll() override;
    bool IsSelectedRecord(int dataRow) override;
    bool IsActiveRecordSelected() override;
    void RefreshSelectedRows() override;
    // The bookmarks of the selected records, in selection order (or data-set order after
    // SortSelectedRecords).
    const std::vector<db::TBookmark>& SelectedRecords() const noexcept { return selectedRecords_; }
    int SelectedCount() const noexcept { return static_cast<int>(selectedRecords_.size()); }
    void SortSelectedRecords();

    // The five-value array the grid keeps; the data link sets element 0 to True when a field
    // of the record being edited or inserted changes.
    std::array<db::TVariant, 5>& ChangedFlags() noexcept { return changedFlags_; }

    // ---- The fixed-column sizing line (dgFixedResizable) ------------------------------------
    // The fixed column being sized by the mouse (-1 when none) and where its line is.
    int FixedSizingCol() const noexcept { return fixedSizingCol_; }
    int FixedSizingPos() const noexcept { return fixedSizingPos_; }
    // Draws the dotted XOR line at `pos` over the grid's height on `canvas`; drawing it twice
    // at one place leaves the pixels as they were.
    void DrawFixedSizingLine(ui::TCanvas& canvas, int pos);

    void Loaded() override;
    void LinkActive(bool value) override;
    void LayoutChanged() override;
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override;
    void RecordChanged(db::TField* field) override;
    void RecordMoved() override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;
    void CreatePeers() override;

protected:
    void Dispatch(ui::TMessage& message) override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void Paint() override;
    void SelectionMoved(const ui::TGridRect& oldSelection) override;
    void TopLeftChanged() override;
    // The current cell's control (shown by the rules of CustomControlsShown, or an expand
    // button) becomes the placed control: over a grid that has the form's focus it is taken
    // into the grid, gets the cell's text when it is a plain edit, and covers the cell, which
    // is then not painted; while the control itself has the focus it only follows the cell.
    // A paint started from inside this one paints its cell plainly.
    void DrawCell(int col, int row, const ui::TRect& rect, ui::TGridDrawState state) override;

private:
    void LinkActivated();
    void PrepareCustomControls();
    // Whether the picker may be laid over the current cell.
    bool PickerMayShow();
    bool PreparePicker(db::TField& field);
    void PlacePicker();
    // Fires OnMultiSelectRecord; True when accepted.
    bool AcceptRecord(bool selecting);
    int FindSelectedBookmark(const db::TBookmark& bookmark) const;
    // The fixed column whose right edge lies at x (title rows only), or -1.
    int FixedColumnEdgeAt(int x, int y);
    void FreeSelectedRecords();
    void DoubleClick(ui::TMessage& m);
    bool CellKey(ui::TKey pressed);
    // The reader of a "RichEdit" blob field's plain text (created on first use); nil for other
    // fields or without a reader.
    IgkRichTextReader* RichTextReaderFor(db::TField& field);
    // The rich-text control over a "RichEdit" cell (nil for other cells).
    ui::TWinControl* RichEditControl(int col, int row);
    // Space on a check-box cell: the current record's selection for a calculated "selected"
    // field, else the field's value between the two values; nothing when read-only.
    void ToggleCheckBox(const std::string& checkedValue, const std::string& uncheckedValue);
    // The current cell's check box toggled when it has one and the grid can edit (or the
    // column is the "selected" column); True when it was.
    bool ToggleCurrentCheckBox();
    // The current cell's control laid over it while the grid is focused (see DrawCell).
    void CoverCellWithControl(ui::TWinControl& control, int row);
    // The destructor's save, run once also when the link goes inactive while destroying.
    void SaveSettingsOnce() noexcept;
    bool IsDestroying() const;
    // Warnings of the settings load and save.
    void SettingsWarning(const std::string& text, bool silentWhileDestroying) const;
    // The settings entries of the columns (see SaveToIniFile).
    rtl::TIniEntries SettingsEntries(const std::string& delimiter);

    std::unique_ptr<TgkIniAttributes> iniAttributes_;
    std::unique_ptr<TgkExportOptions> exportOptions_;
    TgkMemoAttributes memoAttributes_{mSizeable, mWordWrap};
    int fixedCols_ = 0;
    ui::TWinControl* picker_ = nullptr;  // owned by the grid (as a component)
    ui::TWinControl* richTextReader_ = nullptr;  // hidden; owned by the grid (as a component)
    std::vector<db::TBookmark> selectedRecords_;
    std::array<db::TVariant, 5> changedFlags_;
    bool linkActivating_ = false;
    bool customControlsPrepared_ = false;
    bool hidingControl_ = false;
    int fixedSizingCol_ = -1;
    int fixedSizingPos_ = 0;
    int fixedSizingOffset_ = 0;
    bool fixedSizingLineShown_ = false;
    bool loadAllRTF_ = false;
    ui::TStoredControlProps stored_;
    rtl::TStringList designSelected_;
    bool settingsLoaded_ = false;
    bool settingsSaved_ = false;
    bool destroying_ = false;
    bool drawingCell_ = false;
    bool placedByPaint_ = false;
};

// Registers TgkDBGrid, its option objects and the memo dialog component for stored forms.
void RegisterPublishedGridClasses();

}  // namespace grid
