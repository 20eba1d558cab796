#pragma once
// TgkGridMouse: the mouse over a TgkCustomDBGrid. A press is sorted by where it lands (a
// column or row edge being sized, a title cell, a data cell) and each kind has its own
// handler; a title press may start a column drag, which the pointer, the drag timer and the
// release carry on, taking a whole title group along. A press on a link cell opens its
// address; with multi-select a press selects records.
//
// The mouse keeps the state of a press and a drag; the grid reads it through its accessors
// (InColumnDrag, DragImage, ShiftSelecting ...) and the painter draws the pressed title and the
// dragged title from it.

#include <memory>

#include "platform/db/DataSet.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Grids.h"

namespace grid {

class TgkCustomDBGrid;

class TgkGridMouse {
public:
    explicit TgkGridMouse(TgkCustomDBGrid& grid) : g_(grid) {}

    void Down(ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    void Move(ui::TShiftState shift, int x, int y);
    void Up(ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    void ColumnDragTick();
    void EndColumnDrag(int x, int y, bool drop);
    // Forgets a pressed title (the layout changed under it).
    void ClearPressedTitle();

    bool InColumnDrag() const noexcept { return inColumnDrag_; }
    bool MovingByMouse() const noexcept { return movingByMouse_; }
    int PressedTitleCol() const noexcept { return pressedTitleCol_; }
    bool PressedInGroupHeader() const noexcept { return pressedInGroupHeader_; }
    const ui::TBitmap* DragImage() const noexcept { return dragImage_.get(); }
    // The dragged title's picture while a column is really being dragged (nil otherwise).
    const ui::TBitmap* DragImageShown() const noexcept
    {
        return inColumnDrag_ && columnDragged_ ? dragImage_.get() : nullptr;
    }
    ui::TPoint DragImagePos() const noexcept { return dragImagePos_; }
    bool ShiftSelecting() const noexcept { return shiftSelect_; }
    const db::TBookmark& SelectAnchor() const noexcept { return selectAnchor_; }

private:
    bool PressSizing(ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    void PressTitle(ui::TMouseButton button, ui::TShiftState shift, int x, int y, ui::TGridCoord cell);
    void StartColumnDrag(int col, int x, int y);
    void PressDataCell(ui::TMouseButton button, ui::TShiftState shift, int x, int y, ui::TGridCoord cell);
    void MoveToPressedCell(ui::TGridCoord cell, int oldRow);
    void OpenLinkCell(ui::TMouseButton button, int col);
    void TitleButtonPress(int x, int y);
    void DropColumnGroup(int target, int first, int last);
    void ReleaseRowSizing();
    void ReleaseTitle(int x, int y);
    void MakeDragImage(int col, int x, int y);
    void MultiSelectPress(ui::TMouseButton button, ui::TShiftState shift);
    void RouteClickToPlacedControl(int x, int y);

    TgkCustomDBGrid& g_;
    // A sizing press: the column or row sized, the width it started at, the column left of it.
    int sizingIndex_ = -1;
    int sizingStartWidth_ = 0;
    int sizingCol_ = -1;
    // A column drag from its title.
    bool inColumnDrag_ = false;
    bool columnDragged_ = false;
    int dragCol_ = -1;
    int dragX_ = 0;
    int dragDirection_ = 0;
    std::unique_ptr<ui::TBitmap> dragImage_;
    ui::TPoint dragImagePos_{};
    int dragGrabX_ = 0;
    // A pressed title button.
    int pressedTitleCol_ = -1;
    int pressedTracking_ = -1;
    bool pressedInGroupHeader_ = false;
    // A press moves the current cell (the editor is not shown for it).
    bool movingByMouse_ = false;
    // Multi-select by the mouse.
    bool shiftSelect_ = false;
    db::TBookmark selectAnchor_;
};

}  // namespace grid
