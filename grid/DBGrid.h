#pragma once
// TgkCustomDBGrid: the core of the data-aware grid. It shows the records of a data set,
// reached through a data source, one record per row and one field per column, with an
// optional title row, an optional indicator column at the left and an optional footer
// strip; it follows the data set through its data link (TgkGridDataLink), lays itself out
// from fonts, fields and its column list (Selected), keeps its own vertical scroll bar in
// step with the data set, and hands keys pressed in controls placed over its cells back to
// itself as navigation.
//
// Coordinates: grid coordinates count the title rows (TitleOffset) and the indicator column
// (IndicatorOffset); a data column is the grid column less IndicatorOffset, a data row the
// grid row less TitleOffset. Every operation says which it takes.
//
// Promises:
// - Events fire through virtual Do... operations, each only when its event is assigned.
// - Re-entrant layout work is ignored (LayoutLock, RowCountLock) and every lock is
//   released when an exception passes.
// - Property setters store a value only when it changes, then re-lay out or repaint.
// - Selected entries naming fields the active data set lacks are dropped when the field
//   map is built; while the link is inactive they are kept. A width that is not a whole
//   number lays that column out at 64 pixels.
// - The shared indicator and arrow image lists live as long as at least one grid does.
// - Leaving the grid writes a modified editor text back (or cancels an untouched insert);
//   when that raises, the grid takes the focus back and the exception goes on to the
//   caller (the application's exception handler).
//
// The grid is a facade: its published properties, events and virtual operations stay here,
// while the work is done by parts of its own, each behind it:
// - TgkGridLayout (GridLayout.h): row heights, column widths, proportional sizing and the
//   vertical scroll bar;
// - TgkGridPainter (GridPainter.h): the paint cycle and cell drawing, with its per-paint
//   state (TgkPaintState, read through PaintState);
// - TgkGridMouse (GridMouse.h): presses, column drags and title buttons;
// - TgkGridKeyboard (GridKeyboard.h): keys decoded into named navigation actions, and the
//   key filter of grids;
// - TgkGridCellHints (GridCellHints.h): the cell hint and the link hover;
// - TgkGridState (GridState.h): the stored property values, row model, locks and column
//   cache, private to the grid and its parts.
// Grids built on this core replace the virtual hooks (DrawGrid, DrawCell, HideCellControl,
// RefreshColInfoCache ...); the parts call those hooks and read one another only through
// their accessors.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "grid/ExpandControl.h"
#include "grid/GridPaintOptions.h"
#include "grid/GridPaintState.h"
#include "platform/classes/Alignment.h"
#include "platform/classes/Font.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Grids.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/HintWindow.h"

namespace grid {

class TgkCustomDBGrid;

// ---- Option sets and enumerations -----------------------------------------------------------

enum TgkDBGridOption {
    dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
    dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit, dgWordWrap, dgPerfectRowFit,
    dgMultiSelect, dgShowFooter, dgFooter3DCells, dgNoLimitColSize, dgTrailingEllipsis, dgShowCellHint,
    dgTabExitsOnLastCol, dgFixedResizable, dgFixedEditable, dgProportionalColResize, dgRowResize,
    dgRowLinesDisableFixed, dgColLinesDisableFixed, dgFixedProportionalResize, dgHideBottomDataLine
};
using TgkDBGridOptions = classes::TSet<TgkDBGridOption>;
inline constexpr TgkDBGridOptions kDefaultDBGridOptions{dgEditing,  dgTitles, dgIndicator,     dgColumnResize,
                                                        dgColLines, dgRowLines, dgTabs,        dgConfirmDelete,
                                                        dgCancelOnExit, dgWordWrap};

enum TgkDBGridKeyOption { dgEnterToTab, dgAllowDelete, dgAllowInsert };
using TgkDBGridKeyOptions = classes::TSet<TgkDBGridKeyOption>;
enum TgkMultiSelectOption { msoAutoUnselect, msoShiftSelect };
using TgkMultiSelectOptions = classes::TSet<TgkMultiSelectOption>;
enum TgkEditControlOption {
    ecoCheckboxSingleClick, ecoSearchOwnerForm, ecoDisableCustomControls, ecoDisableDateTimePicker,
    ecoDisableEditorIfReadOnly
};
using TgkEditControlOptions = classes::TSet<TgkEditControlOption>;
enum TgkGridLineStyle { glsSingle, gls3D, glsDynamic };
enum TIndicatorColorType { icBlack, icYellow };
enum TgkPadColumnStyle { pcsPlain, pcsPadHeader, pcsPadHeaderAndData };

const classes::TEnumInfo& DBGridOptionInfo();
const classes::TEnumInfo& DBGridKeyOptionInfo();
const classes::TEnumInfo& MultiSelectOptionInfo();
const classes::TEnumInfo& EditControlOptionInfo();
const classes::TEnumInfo& GridLineStyleInfo();
const classes::TEnumInfo& IndicatorColorTypeInfo();
const classes::TEnumInfo& PadColumnStyleInfo();

// What a title cell's image shows (filled by OnCalcTitleImage).
struct TgkTitleImageAttributes {
    int ImageIndex = -1;
    classes::TAlignment Alignment = classes::taRightJustify;
    int Margin = 3;  // pixels between the image and the cell's edge
};

class TgkGridHintWindow;
class TgkGridPainter;
class TgkGridMouse;
class TgkGridKeyboard;
class TgkGridCellHints;
class TgkGridLayout;
struct TgkGridState;

// The cell-control painter's vocabulary (names as control-type entries write them).
// The raster operation named in a "Bitmap" entry; "Source Copy" for any other name.
ui::TCopyMode gkRasterOpOfName(std::string_view name);
enum TgkPictureFit { pfOriginalSize, pfStretchToFit, pfFitHeight, pfFitWidth, pfShrinkToFit, pfNone };
// "Original Size", "Stretch To Fit", "Fit Height", "Fit Width", "Shrink To Fit"; pfNone for
// any other name (nothing is drawn over the background).
TgkPictureFit gkPictureFitOfName(std::string_view name);

// ---- Events ---------------------------------------------------------------------------------------
using TgkDrawDataCellEvent = classes::TEvent<classes::TObject*, const ui::TRect&, db::TField*, ui::TGridDrawState>;
using TCalcCellColorsEvent =
    classes::TEvent<classes::TObject*, db::TField*, ui::TGridDrawState, bool, classes::TFont*, ui::TBrush*>;
using TCalcTitleAttributesEvent =
    classes::TEvent<classes::TObject*, const std::string&, classes::TFont*, ui::TBrush*, classes::TAlignment&>;
using TgkDrawTitleCellEvent = classes::TEvent<classes::TObject*, ui::TCanvas*, db::TField*, ui::TRect, bool&>;
using TgkDrawGroupHeaderCellEvent =
    classes::TEvent<classes::TObject*, ui::TCanvas*, const std::string&, ui::TRect, bool&>;
using TgkCalcTitleImageEvent = classes::TEvent<classes::TObject*, db::TField*, TgkTitleImageAttributes&>;
using TTitleButtonClickEvent = classes::TEvent<classes::TObject*, const std::string&>;
using TgkValidateEvent = classes::TEvent<classes::TObject*, bool>;
using TgkLeftColChangedEvent = classes::TEvent<classes::TObject*, int>;
using TMovedEvent = classes::TEvent<classes::TObject*, int, int>;
using TColWidthChangedEvent = classes::TEvent<classes::TObject*, int>;
using TDrawFooterCellEvent =
    classes::TEvent<classes::TObject*, ui::TCanvas*, ui::TRect, db::TField*, const std::string&, bool&>;
using TgkFieldChangedEvent = classes::TEvent<classes::TObject*, db::TField*>;
using TgkCreateGridHintWindowEvent = classes::TEvent<classes::TObject*, TgkGridHintWindow*, db::TField*, ui::TRect,
                                                     bool&, int&, int&, bool&>;
using TgkGridURLOpenEvent = classes::TEvent<classes::TObject*, std::string&, db::TField*, bool&>;

// ---- Owned helper objects ---------------------------------------------------------------------------

// Colours of the data-cell lines and of the 3D line style.
class TgkGridLineColors : public classes::TPersistent {
    GW_CLASS(TgkGridLineColors)

public:
    explicit TgkGridLineColors(TgkCustomDBGrid* grid = nullptr) : grid_(grid) {}
    void Assign(const classes::TPersistent& source) override;
    classes::TPersistent* GetOwner() const override;

    rtl::TColor DataColor = rtl::clSilver;
    rtl::TColor HighlightColor = rtl::clBtnHighlight;
    rtl::TColor ShadowColor = rtl::clBtnShadow;
    rtl::TColor FixedColor = rtl::clBlack;

private:
    TgkCustomDBGrid* grid_;
};

// One shown column. Its width, title, read-only flag and group name live in its Selected
// entry; the object keeps the field name and the footer text.
class TgkColumn {
public:
    TgkColumn(TgkCustomDBGrid& grid, std::string fieldName) : grid_(grid), fieldName_(std::move(fieldName)) {}

    const std::string& FieldName() const noexcept { return fieldName_; }
    TgkCustomDBGrid& Grid() const noexcept { return grid_; }
    const std::string& FooterValue() const noexcept { return footerValue_; }
    // Read from the column's Selected entry; the spare column answers 0, "" and False.
    // DisplayWidth: the width part in characters (EConvertError when it is no number).
    int DisplayWidth() const;
    // The field's DisplayLabel with UseTFields when the data set has the field, else the
    // entry's title part.
    std::string DisplayLabel() const;
    // The entry's read-only part is "T".
    bool ReadOnly() const;
    // The entry's group name (empty when missing).
    std::string GroupName() const;
    // Stores a changed value and repaints the footer; the grid's spare column ignores it.
    void SetFooterValue(const std::string& value);
    std::string Extra;

private:
    friend class TgkCustomDBGrid;
    bool IsSpare() const;
    TgkCustomDBGrid& grid_;
    std::string fieldName_;
    std::string footerValue_;
};

// The cell-control information of one grid column.
struct TgkCacheColInfoItem {
    ui::TControl* Control = nullptr;
    std::string ControlType;
    std::string ControlParameters;
    bool ShowAlways = false;
    // The column's cells were last drawn on a light background (single lines by the dynamic
    // line style); taken from the cell of the first data row.
    bool LightBackground = true;
};

// The hint window of a cell (created by CreateHintWindow, freed by HideHintWindow).
class TgkGridHintWindow : public ui::THintWindow {
    GW_CLASS(TgkGridHintWindow)

public:
    explicit TgkGridHintWindow(classes::TComponent* owner);
    bool WordWrap = false;
    classes::TAlignment Alignment = classes::taLeftJustify;

protected:
    void Paint() override;
};

// ---- The data link ----------------------------------------------------------------------------------

class TgkGridDataLink : public db::TDataLink {
public:
    static constexpr int kMaxMapSize = 16380;

    explicit TgkGridDataLink(TgkCustomDBGrid& grid);
    ~TgkGridDataLink() override;

    TgkCustomDBGrid& Grid() const noexcept { return grid_; }
    int FieldCount() const noexcept { return static_cast<int>(fieldMap_.size()); }
    // Appends the field of that name to the map; False (map unchanged) when the data set
    // has no such field. EInvalidGridOperation "Grid requested to display more than 256
    // columns" once the map holds kMaxMapSize entries.
    bool AddMapping(const std::string& fieldName);
    void ClearMapping();
    // nil when `index` is outside the map.
    db::TField* GetMappedField(int index) const;
    bool DefaultFields() const;
    bool Modified() const noexcept { return modified_; }
    void SetModified() noexcept { modified_ = true; }
    // The editor's pending text is reloaded; else a modified record is cancelled once the
    // user confirms "Discard changes to this record?" (Yes); an unmodified one at once.
    void Reset();
    // UpdateData, as the data set asks it (writes a modified editor text back).
    void UpdateDataNow() { UpdateData(); }
    using db::TDataLink::ActiveRecord;

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int distance) override;
    void EditingChanged() override;
    void FocusControl(db::TField*& field) override;
    void LayoutChanged() override;
    void RecordChanged(db::TField* field) override;
    void RecordCountChanged() override;
    void UpdateData() override;

private:
    TgkCustomDBGrid& grid_;
    std::vector<int> fieldMap_;  // indexes into the data set's Fields
    int fieldMapSize_ = 0;       // entries allocated (grows 8, 16, 32 ... up to the limit)
    bool modified_ = false;
    bool inUpdateData_ = false;
};

// ---- The grid ----------------------------------------------------------------------------------------

class TgkCustomDBGrid : public ui::TCustomGrid {
    GW_CLASS(TgkCustomDBGrid)

public:
    explicit TgkCustomDBGrid(classes::TComponent* owner);
    ~TgkCustomDBGrid() override;

    // ---- Properties --------------------------------------------------------------------------
    TgkDBGridOptions Options() const;
    void SetOptions(TgkDBGridOptions options);
    TgkDBGridKeyOptions KeyOptions() const;
    void SetKeyOptions(TgkDBGridKeyOptions v);
    TgkMultiSelectOptions MultiSelectOptions() const;
    void SetMultiSelectOptions(TgkMultiSelectOptions v);
    TgkEditControlOptions EditControlOptions() const;
    void SetEditControlOptions(TgkEditControlOptions v);
    bool ReadOnly() const;
    void SetReadOnly(bool v);
    bool DefaultDrawing() const;
    void SetDefaultDrawing(bool v);
    bool EditCalculated() const;
    void SetEditCalculated(bool v);
    bool UseTFields() const;
    void SetUseTFields(bool v);
    db::TDataSource* DataSource() const;
    void SetDataSource(db::TDataSource* source);
    rtl::TStringList* Selected();
    const rtl::TStringList* Selected() const;
    rtl::TStringList* ControlType();
    const rtl::TStringList* ControlType() const;
    bool ControlInfoInDataset() const;
    void SetControlInfoInDataset(bool v);
    rtl::TStringList* PictureMasks();
    const rtl::TStringList* PictureMasks() const;
    bool PictureMaskFromDataSet() const;
    void SetPictureMaskFromDataSet(bool v);
    rtl::TColor TitleColor() const;
    void SetTitleColor(rtl::TColor color);
    classes::TFont* TitleFont();
    const classes::TFont* TitleFont() const;
    classes::TAlignment TitleAlignment() const;
    void SetTitleAlignment(classes::TAlignment v);
    int TitleLines() const;
    void SetTitleLines(int lines);
    bool TitleButtons() const;
    void SetTitleButtons(bool v);
    int RowHeightPercent() const;
    void SetRowHeightPercent(int percent);
    // The horizontal bar as asked for (stored either way); the base grid gets it only while
    // columns are not sized proportionally.
    bool ShowHorzScrollBar() const;
    void SetShowHorzScrollBar(bool show);
    bool BaseHasHorzScrollBar() const;
    // The grid's own vertical bar.
    bool ShowVertScrollBar() const;
    void SetShowVertScrollBar(bool show);
    TIndicatorColorType IndicatorColor() const;
    void SetIndicatorColor(TIndicatorColorType v);
    rtl::TColor IndicatorIconColor() const;
    void SetIndicatorIconColor(rtl::TColor color);
    // A control placed over the indicator's title cell; the grid frees it.
    ui::TControl* IndicatorButton() const;
    void SetIndicatorButton(ui::TControl* button);
    TgkGridLineStyle LineStyle() const;
    void SetLineStyle(TgkGridLineStyle v);
    TgkGridLineColors* LineColors();
    const TgkGridLineColors* LineColors() const;
    bool HideAllLines() const;
    void SetHideAllLines(bool v);
    rtl::TColor FooterColor() const;
    void SetFooterColor(rtl::TColor c);
    rtl::TColor FooterCellColor() const;
    void SetFooterCellColor(rtl::TColor c);
    int FooterHeight() const;
    void SetFooterHeight(int h);
    ui::TImageList* ImageList() const;
    void SetImageList(ui::TImageList* list);
    ui::TImageList* TitleImageList() const;
    void SetTitleImageList(ui::TImageList* list);
    int DragVertOffset() const;
    void SetDragVertOffset(int v);
    TgkPadColumnStyle PadColumnStyle() const;
    void SetPadColumnStyle(TgkPadColumnStyle v);
    TgkGridPaintOptions* PaintOptions();
    const TgkGridPaintOptions* PaintOptions() const;

    // ---- Events -------------------------------------------------------------------------------------
    classes::TNotifyEvent OnBeforePaint;
    classes::TNotifyEvent OnColEnter;
    classes::TNotifyEvent OnColExit;
    TgkDrawDataCellEvent OnDrawDataCell;
    TCalcCellColorsEvent OnCalcCellColors;
    TCalcTitleAttributesEvent OnCalcTitleAttributes;
    TgkDrawTitleCellEvent OnDrawTitleCell;
    TgkDrawGroupHeaderCellEvent OnDrawGroupHeaderCell;
    TgkCalcTitleImageEvent OnCalcTitleImage;
    TTitleButtonClickEvent OnTitleButtonClick;
    TgkValidateEvent OnCheckValue;
    classes::TNotifyEvent OnTopRowChanged;
    classes::TNotifyEvent OnRowChanged;
    classes::TNotifyEvent OnCellChanged;
    TgkLeftColChangedEvent OnLeftColChanged;
    TMovedEvent OnColumnMoved;
    TColWidthChangedEvent OnColWidthChanged;
    TDrawFooterCellEvent OnDrawFooterCell;
    TgkFieldChangedEvent OnFieldChanged;
    classes::TNotifyEvent OnUpdateFooter;
    TgkCreateGridHintWindowEvent OnCreateHintWindow;
    TgkGridURLOpenEvent OnURLOpen;

    // ---- The row model ----------------------------------------------------------------------------
    int TitleOffset() const;
    int IndicatorOffset() const;
    int IndicatorWidth() const;
    // The indicator column's width (the indicator button sets it); lays the grid out again.
    void SetIndicatorWidth(int width);
    TgkGridDataLink& DataLink();
    // The current data column (Col less IndicatorOffset) and its field (nil outside the map).
    int SelectedIndex() const;
    void SetSelectedIndex(int dataCol);
    db::TField* SelectedField() const;
    // Moves to the first column showing `field`.
    void SetSelectedField(db::TField* field);
    int FieldCount() const;
    db::TField* Fields(int index) const;
    // nil when `dataCol` < 0, the link is inactive or `dataCol` is outside the map.
    db::TField* GetColField(int dataCol) const;
    // The link is set and active with an active data set.
    bool IsActiveDataSet() const;
    // True unless the focus-taking switch is on, the grid can take the focus and is not
    // designed: then the grid takes the focus and answers whether it (or its editor) has it.
    bool AcquireFocus();
    bool AcquireFocusEnabled = true;
    bool HasFocus() const;
    bool AlternatingParity() const;
    int RecordOffset() const;
    // Stores the record offset (rows the records are shifted by under an expanded detail);
    // an offset of the other parity flips the alternating-row parity, so the row colours stay
    // with their records.
    void SetRecordOffset(int value);
    // RowHeightPercent back to the value last set as a property (row sizing by the mouse
    // changes only the one in use); lays the grid out again.
    void RestoreRowHeightPercent();
    // The cell under client point (x, y); a right-to-left grid mirrors x first. Both -1 when
    // either coordinate lies outside the cells.
    ui::TGridCoord MouseCoord(int x, int y);
    // The base grid's sizing test, except that with proportional sizing the last column's
    // border in the title rows cannot be dragged (the columns share the width among them).
    void CalcSizingState(int x, int y, ui::TGridState& state, int& index, int& pos);
    const std::string& EditText() const;
    // The columns shown, in map order; a name that matches none answers the spare column.
    const std::vector<std::unique_ptr<TgkColumn>>& ColumnList() const;
    TgkColumn& ColumnByName(std::string_view fieldName);
    TgkColumn& SpareColumn();
    // Splits a title at "#" into group header and caption; an empty caption takes the
    // group header.
    virtual void SplitTitle(const std::string& title, std::string& groupHeader, std::string& caption) const;

    // ---- Layout -----------------------------------------------------------------------------------
    virtual void LayoutChanged();
    // A grid whose window was never made has laid nothing out, so it maps no fields; readers
    // of its columns that do not paint (the export) ask for the map here. Does nothing once a
    // layout has run or while the link is inactive.
    void EnsureFieldMap();
    void UpdateRowCount();
    void UpdateActiveRow();
    void UpdateScrollBar();
    virtual void ProportionalColResize();
    virtual void InitColumnWidths();
    virtual bool UseProportionalColResize() const;
    bool HasHorzScrollBar();
    // The height grows to show every row with one row to spare (at design time with
    // dgPerfectRowFit, after each layout and resize); True when it changed.
    bool FitHeightToRows();
    // The height shrinks to the rows, the horizontal bar and the footer strip (also for the
    // expand button's auto-shrink); True when it changed.
    bool ShrinkHeightToRows();
    int UpdateLock() const;
    // Suspends redrawing, nested (WM_SETREDRAW only at the outermost level).
    void DisableRedraw();
    void EnableRedraw(bool repaint);
    bool RedrawDisabled() const;
    // The strip below the rows taken by the footer (empty without dgShowFooter).
    virtual ui::TRect GetFooterRect();
    ui::TRect VirtualClientRect() const override;
    ui::TRect CellRect(int col, int row) override;
    // ---- Paint cycle -------------------------------------------------------------------------------
    // One buffered paint: backgrounds, the four cell passes (corner, titles, indicator,
    // data), the pad right of the last column, lines, focus rectangle and footer go to the
    // drawing canvas; the update rectangle is then copied to the window. An exception leaves
    // the canvas state and the link's active record as they were and passes on.
    // The height the footer strip takes (0 without dgShowFooter).
    int GetFooterStripHeight();
    // Sends WM_SETREDRAW with wParam = !disable.
    void SetRedraw(bool disable);
    // What the current (or last) paint knows: its rectangle, the data cell being drawn (read
    // by the in-cell event handlers) and what the cell painters did to it.
    const TgkPaintState& PaintState() const;
    // The rectangle a paint produces (see the paint cycle): the window system's update
    // rectangle taken down over the footer, or the cells' area when it is empty.
    ui::TRect EffectiveUpdateRect() const;
    // Switches the drawing canvas between mirrored (x drawn at ClientWidth - x) and plain.
    void MirrorCanvas(bool on);
    // The column of mapped field `index` (of Selected entry `index` while no field is
    // mapped); the spare column when out of range.
    TgkColumn& Columns(int index);
    // A title cell's rectangle: the lower half for a column in a group.
    virtual ui::TRect CalcTitleRect(int col, int row);
    // The group header over `col` and its neighbours of the same group (first and last
    // grid column answered); within the fixed columns when `inFixed`.
    virtual ui::TRect CalcGroupHeaderRect(int col, bool inFixed, int& firstCol, int& lastCol);
    // The part of the title of `col` under y: the lower title half or the group header.
    virtual ui::TRect CalcTitlePartRect(int col, int y);
    // Draws the footer cell of grid column `col` (nothing when the column is out of view).
    void DrawFooterCell(int col);
    // Draws the row boundary under a cell by the line style (once per cell drawn).
    void DrawRowLine(const ui::TRect& rect, ui::TGridDrawState state, int row);
    bool RowLinesShown() const;
    // ---- Cell hints and the mouse ---------------------------------------------------------------------
    // With dgShowCellHint, a cell whose text does not fit shows it whole in a hint window
    // while the mouse stays on it; the hint timer (250 ms) hides it when the mouse leaves
    // the cell or after the application's hint hide pause.
    TgkGridHintWindow* HintWindow() const;
    ui::TGridCoord HintCell() const;
    ui::TTimer* HintTimer() const;
    // Link cells (control type "URL-Link") under the mouse show the hand cursor and are
    // drawn hot; ClearLinkHover ends that (the mouse left the grid).
    void UpdateLinkHover(int x, int y);
    void ClearLinkHover();
    // One tick of the hint timer.
    void HintTimerTick();
    // The hint for the cell under (x, y), client coordinates.
    void UpdateCellHint(int x, int y);
    // A press in an inactive multiple-document child focuses the grid first; False when the
    // grid cannot take the focus (the press is dropped).
    bool FocusForPress();
    // ---- In-cell controls ---------------------------------------------------------------------------
    // The control type list that applies (the data set's with ControlInfoInDataset when it
    // has one, else the grid's).
    rtl::TStrings* ControlTypeList();
    // The control shown over a data cell: the custom control its column's control type names
    // (not one on a record view form), else the grid's date-time picker for a date-time
    // field. False (control untouched) for other cells and with ecoDisableCustomControls.
    bool FindCellControl(int col, int row, ui::TWinControl*& control);
    // A windowed control by name ("Control", or "Frame.Control": inside that frame, else in
    // the owner of the grid's data set), searched from the owning form or frame; nil when
    // there is none.
    ui::TWinControl* FindCustomControl(const std::string& name);
    // Finds the current cell's control and, when controls are shown, places it over the cell.
    virtual void PlaceCellControl();
    // Controls over cells show: not designing, no dgRowSelect, not disabled, and the grid
    // focused or ShowControlsAlways.
    bool CustomControlsShown();
    bool ShowControlsAlways = false;
    // The date-time picker of the grid (nil here; a grid with one answers it).
    virtual ui::TWinControl* GridDateTimePicker() const { return nullptr; }
    // The wheel: one record per notch with an active data set; always handled.
    virtual bool DoMouseWheelDown();
    virtual bool DoMouseWheelUp();

    // ---- Text writer and painting services -----------------------------------------------------------
    // Writes `text` into `rect` (see gkDrawControlText) on `canvas`.
    void WriteText(ui::TCanvas& canvas, const ui::TRect& rect, int dx, int options, classes::TAlignment alignment,
                   std::string_view text, int dy);
    // The canvas cell painting uses: the alternate bitmap's while AltDrawing, else the
    // window's canvas for a right-to-left grid, else the off-screen bitmap's.
    ui::TCanvas* GetDrawCanvas();
    ui::TBitmap* DrawBitmap();
    bool AltDrawing() const;
    void SetAltDrawing(bool on);
    void SetAltDrawBitmap(std::unique_ptr<ui::TBitmap> bitmap);
    // Draws a check box of a check-box cell into `rect` (the 10 x 10 box).
    virtual void DrawCheckBox(const ui::TRect& rect, int col, bool checked, ui::TGridDrawState state);
    // Paints a data cell whose column has a control type: the background first, then, for
    // "CheckBox" entries (checked and unchecked values as the first two ";" parts), the
    // centred 10 x 10 box checked when the cell's value equals the checked value (letter case
    // ignored) and the focus mark. Answers whether it drew the cell; other control types are
    // left to the cell painter (False). "ImageIndex" entries draw the image of ImageList the
    // field's value names; "CustomEdit" and "RichEdit" entries have the named control paint a
    // copy of itself into the cell (csPaintCopy) unless it is placed over it. "Bitmap" entries (fit mode; raster operation) draw
    // the field's picture on the background (the background only when it holds none) and
    // frame a highlighted cell.
    virtual bool DrawCellControl(int col, int row, const ui::TRect& rect, ui::TGridDrawState state);
    const std::vector<TgkCacheColInfoItem>& ColInfoCache() const;
    // Every pixel of `transparent` becomes `color`.
    static void RecolorBitmap(ui::TBitmap& bitmap, rtl::TColor color, rtl::TColor transparent);
    // The indicator glyph of data row `dataRow` centred in `rect` (an indicator cell).
    void DrawIndicatorGlyph(int dataRow, const ui::TRect& rect);
    // The glyph index for data row `dataRow` (-1: none); see DrawIndicatorGlyph.
    int IndicatorGlyphIndex(int dataRow);
    // The shared image lists (nil while no grid exists).
    static ui::TImageList* IndicatorImages();
    static ui::TImageList* ArrowImages();
    static int ImageListUsers();

    // ---- Cell drawing -----------------------------------------------------------------------------
    // Data coordinates of a grid column (row): plain subtractions, no range check.
    int GetDataColumn(int col) const;
    int GetDataRow(int row) const;
    // A data cell whose field is a memo (or rich text by its control type).
    bool IsMemoCell(int col, int row);
    // The checked and unchecked values of a data cell's check box: the first entry of the
    // control-type list with at least four ";" parts naming the column's field and "CheckBox"
    // (both compared exactly). False, values untouched, when there is none.
    bool GetCheckBoxValues(int col, int row, std::string& checkedValue, std::string& uncheckedValue);
    // The column is a check-box column whose field is named "selected" (any letter case): its
    // boxes select records instead of changing data.
    bool IsSelectedCheckColumn(int col);
    // The link cell under the mouse (grid coordinates; -1 when none), drawn red.
    ui::TGridCoord LinkHover() const;
    void SetLinkHover(ui::TGridCoord cell);
    // The picture of a "Bitmap" cell placed in `rect` by fit mode `fitName` (source and
    // destination rectangles; False when the mode draws nothing).
    static bool PictureFitRects(std::string_view fitName, int pictureWidth, int pictureHeight, const ui::TRect& rect,
                                ui::TRect& source, ui::TRect& dest);

    // ---- Column entries -------------------------------------------------------------------------------
    // Part `selector` of the entry of `fieldName` in Selected (see GetColumnEntryPart).
    std::string ColumnEntryPart(std::string_view fieldName, int selector) const;
    // The column of data column `dataCol` is read-only by its entry (the spare column never).
    bool ColumnReadOnly(int dataCol) const;

    // ---- Virtual operations, in slot order -------------------------------------------------------------
    virtual bool UseRightToLeftGrid() const { return false; }
    virtual int GetCellBottom(int row);
    virtual void ShowCellEditor();
    virtual void DoCreateHintWindow(TgkGridHintWindow* hint, db::TField* field, ui::TRect r, bool& wordWrap,
                                    int& maxWidth, int& maxHeight, bool& doDefault);
    virtual void DoURLOpen(std::string& url, db::TField* field, bool& useDefault);
    virtual void PaintBackground(const ui::TRect& rect);
    virtual void Scroll(int distance);
    virtual bool HighlightCell(int col, int row, ui::TGridDrawState state);
    virtual void DefineFieldMap();
    virtual void LinkActive(bool value);
    virtual bool IsCustomCell(int /*col*/, int /*row*/) { return false; }

    virtual void DoTitleButtonClick(const std::string& fieldName);
    virtual void DoDrawTitleCell(ui::TCanvas* canvas, db::TField* field, ui::TRect rect, bool& defaultDrawing);
    virtual void DoDrawGroupHeaderCell(ui::TCanvas* canvas, const std::string& name, ui::TRect rect,
                                       bool& defaultDrawing);
    virtual void DoCalcTitleImage(db::TField* field, TgkTitleImageAttributes& attributes);
    // The colour the cells of grid column `col` start with: Color here.
    virtual rtl::TColor GetGridColor(int /*col*/) const { return Color(); }
    virtual void RefreshSelectedRows() {}
    virtual void HideCellControl() {}
    virtual void UnselectAll() {}
    virtual void DataChanged();
    virtual void DoTopRowChanged();
    virtual void DoRowChanged();
    virtual void DoCellChanged();
    virtual void RecordMoved();
    virtual void GetControlInfo(const std::string& fieldName, std::string& controlType, std::string& parameters);
    virtual void DoFieldChanged(db::TField* field);
    virtual void DoUpdateFooter();
    virtual void UpdateFooterIfChanged();
    virtual void HideHintWindow();
    virtual TgkGridHintWindow* CreateHintWindow(db::TField* field);
    virtual void ReportPictureError();
    virtual void DrawGrid();
    virtual void DrawTitleButtonDown();
    virtual void RefreshColInfoCache();
    virtual void PaintDataBackground(const ui::TRect& rect, rtl::TColor color, int row);
    virtual void PaintTitleBackground(const ui::TRect& rect, rtl::TColor color, int row);
    virtual bool CanEdit() const;
    virtual void UpdateData();
    virtual void ApplySelected() {}
    virtual void DoCalcTitleAttributes(const std::string& fieldName, classes::TFont* font, ui::TBrush* brush,
                                       classes::TAlignment& alignment);
    virtual void DoCalcCellColors(db::TField* field, ui::TGridDrawState state, bool highlight, classes::TFont* font,
                                  ui::TBrush* brush);
    virtual bool CalcCellColors(db::TField* field, ui::TGridDrawState state, bool highlight, classes::TFont* font,
                                ui::TBrush* brush);

    // ---- Dynamic operations ---------------------------------------------------------------------------
    virtual void UpdateRowHeights();
    virtual bool CanCancelOnExit() { return true; }
    virtual void ColEnter();
    virtual void ColExit();
    virtual std::string GetFieldValue(int dataCol);
    virtual void DrawDataCell(const ui::TRect& rect, db::TField* field, ui::TGridDrawState state);
    virtual bool IsSelectedRecord(int /*dataRow*/) { return false; }
    virtual bool IsActiveRecordSelected() { return false; }
    // Multi-record selection of the current record; the published grid keeps the bookmarks.
    virtual void SelectRecord() {}
    virtual void UnselectRecord() {}

    // ---- Data link services -----------------------------------------------------------------------------
    virtual void RecordChanged(db::TField* field);
    virtual void EditingChanged();
    // Writes the editor's text into the current field (runs inside the link's UpdateData).
    virtual void StoreEditText();
    // The text exchange with the in-place editor (grid coordinates).
    std::string GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const std::string& value) override;
    std::string GetEditMask(int col, int row) override;
    int GetEditLimit() override;
    bool CanEditAcceptKey(char32_t key) override;
    bool CanEditModify() override;

    // The key filter of grids (installed while a grid has the focus): keys pressed in
    // controls over a grid's cells come back to the grid as posted WM_KEYDOWN.
    static bool KeyFilter(ui::TWinControl* focused, ui::TKey key, ui::TShiftState shift, bool down);
    static bool KeyFilterInstalled();
    // The grid among `control` and its parents (nil when none).
    static TgkCustomDBGrid* FindParentGrid(ui::TControl* control);
    // The grid that should receive a key handed back from `control`.
    static TgkCustomDBGrid* FindTargetGrid(ui::TControl* control);
    static bool CaretAtStart(const ui::TWinControl& edit);
    static bool CaretAtEnd(const ui::TWinControl& edit);
    // The custom control placed over the current cell (nil when none).
    ui::TWinControl* PlacedControl() const;
    void SetPlacedControl(ui::TWinControl* control);


    void Loaded() override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;
    // The grid's own handling first, then the data link's (a data-set action reaches the
    // grid's data set).
    bool ExecuteAction(classes::TBasicAction* action) override;
    bool UpdateAction(classes::TBasicAction* action) override;
    void CreatePeers() override;
    // The indicator button, when there is one, is written with the grid.
    void GetChildren(const std::function<void(classes::TComponent*)>& proc, classes::TComponent* root) override;

    // ---- Mouse -------------------------------------------------------------------------------------
    // How addresses from link cells are opened (rtl::OpenWithDesktop; tests replace it).
    using TAddressOpener = bool (*)(const std::string& address);
    static TAddressOpener AddressOpener;
    // The address a link cell's text opens: "MailTo:" goes in front of a text with a "@"
    // after its first character and before its first "." unless it already names
    // "mailto:"; empty when the result's scheme is not http, https, ftp or mailto.
    static std::string LinkAddress(const std::string& text);
    bool InColumnDrag() const;
    // The columns [first, last] of the title group column `col` belongs to (itself alone
    // when it has no group).
    void TitleGroupRange(int col, int& first, int& last) const;
    // The dragged title's picture and where it is drawn (client coordinates), while a
    // column is dragged.
    const ui::TBitmap* DragImage() const;
    ui::TPoint DragImagePos() const;
    // Multi-select by the mouse: raised by a Shift, Ctrl or auto-unselect press with
    // msoShiftSelect; the anchor is the record such a selection started on.
    bool ShiftSelecting() const;
    const db::TBookmark& SelectAnchor() const;

    // ---- Keyboard navigation -----------------------------------------------------------------------
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override;
    void KeyPress(char& key) override;
    // Makes `dataCol` the current data column (clamped; the fixed columns only with
    // dgFixedEditable); ColExit and ColEnter fire around the move.
    void MoveCol(int dataCol);
    // Down: one record on, appending at the end when the grid may insert (an untouched
    // insert at the end stays as it is, elsewhere it is cancelled).
    void NextRow();
    // Up: one record back; an untouched insert at the end is cancelled instead.
    void PriorRow();
    // Tab: the next (prior) tab-stop column, wrapping to the next (prior) record, or leaving
    // the grid with dgTabExitsOnLastCol.
    void TabCell(bool forward);
    // True unless dgConfirmDelete is set and "Delete record?" is answered Cancel.
    virtual bool ConfirmDelete();
    bool CanEditShow() override;
    // The hook a grid with cell controls fills: hide every control before an append or a
    // column move.
    virtual void HideControls() {}
    // A control inside the placed cell control has the focus (its keys stay its own).
    bool PlacedControlHasFocus() const;
    // ---- Expand buttons (see ExpandControl.h) --------------------------------------------------
    // The placed control is an expand button whose detail shows.
    bool PlacedExpandButtonExpanded() const;
    // The first child expand button whose detail shows is collapsed (none while one is busy).
    void CollapseExpandButtons();
    // The child expand button whose detail shows, else the placed one; nil when none.
    IgkExpandControl* GetActiveExpandButton() const;
    // Set by an expand button while it opens or closes its detail.
    bool Expanding = false;
    // The RowHeightPercent last set as a property (RestoreRowHeightPercent goes back to it).
    int SavedRowHeightPercent() const;

protected:
    // Discards the cached per-column layout (the design widths of proportional sizing).
    void ResetColumnState();
    void Dispatch(ui::TMessage& message) override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    // Column widths go back into the fields' DisplayWidth (the Selected entries without
    // UseTFields) in characters of the width of "0".
    void ColWidthsChanged() override;
    void ColumnMoved(int from, int to) override;
    void TimedScroll(ui::TGridScrollDirections direction) override;
    void DrawCell(int col, int row, const ui::TRect& rect, ui::TGridDrawState state) override;
    ui::TInplaceEdit* CreateEditor() override;
    ui::TCanvas* GridCanvas() override { return GetDrawCanvas(); }
    void Paint() override;
    void TopLeftChanged() override;
    bool ManagesVertScrollBar() const override { return true; }
    ui::TScrollStyle WindowScrollBars() const override;
    void FontChanged() override;

private:
    friend class TgkGridDataLink;
    friend class TgkColumn;
    friend class TgkGridPainter;
    friend class TgkGridMouse;
    friend class TgkGridKeyboard;
    friend class TgkGridCellHints;
    friend class TgkGridLayout;
    void ApplyBaseOptions();
    void TitleFontChanged();
    void CMEnter(ui::TMessage& m);
    void CMExit(ui::TMessage& m);
    bool RowLines() const;
    int TextHeightW(const classes::TFont& font);
    int TextWidthOf(const classes::TFont& font, std::string_view text);


    void FocusNeighbour(bool forward);
    std::unique_ptr<TgkGridState> d_;
    // The parts behind the facade.
    std::unique_ptr<TgkGridPainter> painter_;
    std::unique_ptr<TgkGridLayout> layout_;
    std::unique_ptr<TgkGridMouse> mouse_;
    std::unique_ptr<TgkGridKeyboard> keyboard_;
    std::unique_ptr<TgkGridCellHints> hints_;
    // Horizontal scrolling over a background picture or right to left: one repaint of all.
    void WMHScroll(ui::TMessage& m);
    void WMVScroll(ui::TMessage& m);
    void WMSize(ui::TMessage& m);
    bool MouseMessage(ui::TMessage& m);
    int FooterTextHeight();
};

// Registers the grid core's classes for the text form.
void RegisterDBGridClasses();

}  // namespace grid
