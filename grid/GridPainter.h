#pragma once
// TgkGridPainter: the paint cycle of a TgkCustomDBGrid. One paint lays the backgrounds, runs
// the four cell passes (corner, titles, indicator, data), pads the space right of the last
// column, draws the lines, the focus rectangle and the footer on the off-screen bitmap, and
// copies the update rectangle to the window. Each cell is drawn by its kind: a cell-control
// picture (check box, image, picture, a control's copy), a title, an indicator or a data cell,
// followed by the row boundary under it.
//
// The painter owns the off-screen bitmaps and the per-paint state (TgkPaintState), which it
// passes down to the passes and cells; the grid's virtual drawing hooks (DrawCell, DrawGrid,
// DrawCellControl ...) call into it, so a derived grid still replaces any of them.

#include <memory>

#include "grid/GridPaintState.h"
#include "platform/db/DataSet.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Grids.h"

namespace grid {

class TgkCustomDBGrid;
struct TgkCacheColInfoItem;

class TgkGridPainter {
public:
    explicit TgkGridPainter(TgkCustomDBGrid& grid);

    const TgkPaintState& State() const noexcept { return state_; }
    TgkPaintState& State() noexcept { return state_; }
    ui::TBitmap* DrawBitmap() noexcept { return drawBitmap_.get(); }
    ui::TCanvas* DrawCanvas();
    bool AltDrawing() const noexcept { return altDrawing_; }
    void SetAltDrawing(bool on) noexcept { altDrawing_ = on; }
    void SetAltDrawBitmap(std::unique_ptr<ui::TBitmap> bitmap) { altDrawBitmap_ = std::move(bitmap); }
    void MirrorCanvas(bool on);

    // The whole paint (TgkCustomDBGrid::Paint).
    void Paint();
    // One cell (TgkCustomDBGrid::DrawCell).
    void DrawCell(int col, int row, const ui::TRect& cellRect, ui::TGridDrawState state);
    // The grid lines (TgkCustomDBGrid::DrawGrid).
    void DrawLines();
    void DrawRowLine(const ui::TRect& rect, ui::TGridDrawState state, int row);
    void DrawTitleButtonDown();
    void DrawFooterCell(int col);
    // The cell-control pictures (TgkCustomDBGrid::DrawCellControl).
    bool DrawCellControl(int col, int row, ui::TGridDrawState state);

private:
    // One of the four cell passes: where it starts and stops, its colour and state.
    struct TCellPass {
        int Col, Row, StartX, StartY, StopX, StopY;
        rtl::TColor Color;
        ui::TGridDrawState Include;
        int LineX, LineY;
    };

    void PrepareBitmap();
    void PaintBackgrounds(ui::TCanvas& c, bool linkActive);
    void RunCellPasses(const ui::TGridDrawInfo& info, bool linkActive);
    void DrawCells(const TCellPass& pass);
    bool CellOutOfView(const ui::TRect& where, const ui::TRect& clip) const;
    ui::TGridDrawState CellState(const TCellPass& pass, int col, int row, const ui::TGridRect& sel, bool focused) const;
    void DrawPassCell(const TCellPass& pass, int col, int row, const ui::TRect& where, ui::TGridDrawState state);
    int LastVisibleCol();
    void DrawFocusRect(ui::TCanvas& c, const ui::TGridDrawInfo& info, bool linkActive);
    void CopyToWindow(ui::TCanvas& window, ui::TCanvas& c);
    void PadColumn(ui::TCanvas& c, int lastVisibleCol);
    void PaintFooter(ui::TCanvas& c, int lastVisibleCol);

    void DrawCellContent(int col, int row, const ui::TRect& rect, ui::TGridDrawState state);
    void DrawIndicatorCell(const ui::TRect& rect, int dataRow);
    void DrawTitleCell(int col, int dataCol, int baseRow, ui::TRect rect);
    ui::TRect TitleTextRect(int col, const ui::TRect& rect);
    int TitlePressOffset(int col, bool groupHeader) const;
    void TitleTexts(db::TField* field, int dataCol, std::string& name, std::string& title) const;
    void DrawTitleImage(ui::TCanvas& canvas, db::TField* field, ui::TRect& textRect, int pressed, bool& centred);
    void DrawDataCell(int col, int row, int dataCol, int dataRow, int baseRow, const ui::TRect& rect,
                      ui::TGridDrawState state);
    bool SetDataCellColors(ui::TCanvas& canvas, int col, int row, db::TField* field, ui::TGridDrawState state);
    void WriteDataText(ui::TCanvas& canvas, const ui::TRect& rect, const std::string& value,
                       classes::TAlignment alignment, bool filled);
    void CallDrawDataCell(const ui::TRect& rect, db::TField* field, ui::TGridDrawState state);

    bool DrawCheckBoxCell(int col, int row, const TgkCacheColInfoItem& info, db::TField* field,
                          ui::TGridDrawState state);
    bool DrawImageIndexCell(int col, int row);
    bool DrawControlCopy(int col, int row, ui::TGridDrawState state);
    void PaintControlCopy(ui::TWinControl& control, const ui::TRect& cell);
    bool DrawPictureCell(int col, int row, ui::TGridDrawState state);

    void DrawColumnLines(ui::TCanvas& c, const ui::TGridDrawInfo& info);
    void DrawFixedLines(ui::TCanvas& c, const ui::TGridDrawInfo& info, int gridBottom);
    void DrawTitleLines(ui::TCanvas& c, const ui::TGridDrawInfo& info);
    void DrawRightEndLines(ui::TCanvas& c, const ui::TGridDrawInfo& info);
    bool RowLineSingle(ui::TCanvas& c) const;
    bool ColumnLineSingle(int col) const;
    void NoteColumnBackground(int col, int row, ui::TGridDrawState state);

    TgkCustomDBGrid& g_;
    TgkPaintState state_;
    std::unique_ptr<ui::TBitmap> drawBitmap_;
    std::unique_ptr<ui::TBitmap> altDrawBitmap_;
    bool altDrawing_ = false;
};

}  // namespace grid
