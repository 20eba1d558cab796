#pragma once
// TgkGridLayout: the layout and sizing of a TgkCustomDBGrid. It measures the fonts, sets the
// row heights (the title row from the title font, the lines and the indicator button), the
// column widths (from the fields' DisplayWidth or the Selected entries in characters of "0",
// widened to their titles), spreads the columns over the client width with proportional
// sizing, and keeps the grid's own vertical scroll bar in step with the data set.
//
// It keeps the design widths of proportional sizing (the widths the entries asked for, which
// each resize spreads again) and the fixed columns that keep theirs during a resize.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/Font.h"
#include "platform/db/DataSet.h"

namespace grid {

class TgkCustomDBGrid;

class TgkGridLayout {
public:
    explicit TgkGridLayout(TgkCustomDBGrid& grid) : g_(grid) {}

    void UpdateRowHeights();
    void InitColumnWidths();
    void ProportionalColResize();
    // WM_SIZE: proportional columns spread again (fixed ones kept with
    // dgFixedProportionalResize).
    void ResizeProportionalColumns();
    bool HasHorzScrollBar();
    // Design-time height fitting: while designing (not loading) with dgPerfectRowFit, unless
    // aligned to the top, bottom or the whole client area.
    bool DesignFitApplies() const;
    bool FitHeightToRows();
    bool ShrinkHeightToRows();
    // The bottom of the last row's cell plus one more row (the rows' extent to fit to).
    int LastRowBottom();
    void UpdateScrollBar();
    void VScroll(int code, int pos);
    void LineUp(db::TDataSet& ds, bool untouchedInsert);
    void LineDown(db::TDataSet& ds, bool untouchedInsert);
    // Moves the link's active record within the rows shown; the current row follows.
    void MoveWithinWindow(int distance);
    void ResetColumnState() { designWidths_.clear(); }

    int TextHeightW(const classes::TFont& font);
    int TextWidthOf(const classes::TFont& font, std::string_view text);

private:
    // The width a column asks for, with its field (nil when none) and entry parts.
    struct TColumnSize {
        db::TField* Field = nullptr;
        std::vector<std::string> Parts;
        int Width = 64;
    };
    bool PrepareDesignWidths(int n, bool proportional);
    TColumnSize ColumnSize(db::TDataSet& ds, int i, int zero);
    int TitleWidth(const TColumnSize& size);
    void SetColumnTabStop(int col, int i, const db::TField& field);
    int ProportionalSpace(int first);
    void ScrollByPosition(db::TDataSet& ds, int pos, int visible);

    TgkCustomDBGrid& g_;
    std::vector<std::uint16_t> designWidths_;
    int lastFixedProportionalCol_ = -1;
};

}  // namespace grid
