#pragma once
// TgkPaintState: what one paint of a data grid knows while it runs. The painter fills it at
// the start of a paint and hands it down to every pass, cell and line it draws; the cell
// painters mark in it what they did to the cell being drawn. Nothing outside the paint
// writes it: the grid publishes only read access (PaintState, DrawingDataRow ...).

#include "platform/ui/Types.h"

namespace grid {

struct TgkPaintState {
    // The rectangle this paint produces (client coordinates).
    ui::TRect UpdateRect;
    // The grid's Color is white or a background picture fills the data cells: lines are single.
    bool LightBackground = true;
    // The drawing canvas is mirrored for a right-to-left grid.
    bool Mirrored = false;
    // The data cell being drawn (data coordinates), read by the in-cell event handlers.
    int DrawingDataRow = -1;
    int DrawingDataCol = -1;
    // Set by the cell-control painter while it draws a cell (a framed picture cell, a
    // control's copy); cleared at the start of each cell.
    bool CellFramed = false;
    bool CellPaintedByControl = false;
    // The row boundary under the cell being drawn is done (DrawRowLine runs once per cell).
    bool RowLineDrawn = false;
    // The left edge of the scrolling data cells (row lines start there).
    int DataLeft = 0;
};

}  // namespace grid
