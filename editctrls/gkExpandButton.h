#pragma once
// TgkExpandButton: the cell control of a grid column whose cells open a detail grid under the
// current row. Checking it shows the detail grid (Grid) directly below the current row of the
// grid that owns the button, grows that row by the detail's height and scrolls the owner so
// the detail fits; unchecking hides it and restores the row. Detail grids may hold expand
// buttons of their own: collapsing closes the inner ones first.
//
// Promises:
// - gkExpandShift is the scrolling arithmetic: with room enough below the row no scroll; a
//   taller detail scrolls by need div (row height + row line) + 1 rows, never more than the
//   active row; a desired row moves the record there instead.
// - Writing Expanded with its current value does nothing (no events).
// - Without Grid a click expands nothing; Grid is cleared when that grid is freed.
// - An EgkExpandError (the grid cannot be scrolled to put the record on DesiredRow) leaves the
//   button unchecked and not busy, the owner's expanding flag clear, the detail hidden and
//   the row as it was, then passes on.
// - The message registered as "GKEXPANDBUTTONDROPDOWN" expands the button.
// - The glyphs are the button's own "GKEXPAND" (collapsed) and "GKCOLLAPSE" (expanded), white
//   being transparent; Images replaces them.

#include <memory>
#include <string>

#include "editctrls/gkCheckBox.h"
#include "grid/ExpandControl.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/Grids.h"

namespace grid {
class TgkCustomDBGrid;
}

namespace editctrls {

class EgkExpandError : public rtl::Exception {
    using Exception::Exception;
};

// What the scrolling of an expansion depends on (steps before the data set moves).
struct TgkExpandShiftInput {
    int ClientHeight = 0;        // of the owning grid
    int CellBottom = 0;          // bottom of the current row's cell
    int DetailHeight = 0;        // the detail grid's height now
    int DetailInitialHeight = 0; // its height at the first expansion
    bool DetailHasButtons = false;
    int RowHeight = 0;           // the owner's default row height
    int LineWidth = 0;           // 1 with row lines
    bool Titles = false;
    bool AutoShrink = true;
    int ButtonHeight = 0;
    int TitleRowHeight = 0;
    int CurrentRow = 0;          // the owner's current grid row
    int ActiveRow = 0;           // the owner's current data row
    int DesiredRow = -1;
};
struct TgkExpandShift {
    int Shift = 0;
    int DesiredRow = -1;
};
TgkExpandShift gkExpandShift(const TgkExpandShiftInput& in);

// The button's own glyphs, 9 x 9, black on transparent white: a plus ("GKEXPAND") or a minus
// ("GKCOLLAPSE").
std::vector<std::uint32_t> gkExpandGlyph(bool collapse);
// The message that expands a button (registered by name once).
unsigned gkExpandDropDownMessage();

class TgkExpandGridIndents : public classes::TPersistent {
    GW_CLASS(TgkExpandGridIndents)

public:
    void Assign(const classes::TPersistent& source) override;
    int X = 0;
    int Y = 0;
};

class TgkExpandButton : public TgkDBCustomCheckBox, public grid::IgkExpandControl {
    GW_CLASS(TgkExpandButton)

public:
    explicit TgkExpandButton(classes::TComponent* owner);
    ~TgkExpandButton() override;

    classes::TAlignment ButtonAlignment() const noexcept { return buttonAlignment_; }
    void SetButtonAlignment(classes::TAlignment a);
    ui::TCustomGrid* Grid() const noexcept { return grid_; }
    void SetGrid(ui::TCustomGrid* grid);
    bool AutoShrink = true;
    bool AutoHideExpand = false;
    TgkExpandGridIndents* GridIndents() noexcept { return &gridIndents_; }
    classes::TNotifyEvent OnBeforeExpand;
    classes::TNotifyEvent OnBeforeCollapse;
    classes::TNotifyEvent OnAfterExpand;
    classes::TNotifyEvent OnAfterCollapse;
    // The visual row the expanded record is to stand on (-1: not set); reset after each
    // expansion or collapse.
    int DesiredRow = -1;
    // Set by the owning grid while it paints the copy for the current cell.
    bool PaintingCurrentCell = false;
    bool Busy() const noexcept { return busy_; }
    int ExpandedRow() const noexcept { return expandedRow_; }
    int InitialGridHeight() const noexcept { return initialHeight_; }

    bool Expanded() const noexcept { return Checked(); }
    void SetExpanded(bool v);

    virtual void DoBeforeExpand();
    virtual void DoBeforeCollapse();
    virtual void DoAfterExpand();
    virtual void DoAfterCollapse();

    void Toggle() override;
    void Click() override;
    TCheckBoxState GetState() override;
    std::string GetDisplayText() override;
    bool IsGlyphHidden() override;
    bool FillsBackground() const override { return !Checked(); }
    void DataChange() override;
    int GlyphLeftMargin() const override { return 2; }
    int GlyphPosition() const override;
    ui::TImageList* GetImages() const override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;
    void Dispatch(ui::TMessage& message) override;

    // grid::IgkExpandControl
    bool DetailShown() const override;
    bool ExpandBusy() const override { return busy_; }
    void ExpandDetail() override { SetExpanded(true); }
    void CollapseDetail() override;
    void SetPaintingCurrentCell(bool painting) override { PaintingCurrentCell = painting; }

private:
    void Expand();
    // The steps of Expand: the detail parented and shrunk to its rows; how far the owner
    // scrolls; the records moved so the button stands on the desired row (the shift that
    // results); a detail inside another grid growing that grid's row.
    void ShrinkDetail(grid::TgkCustomDBGrid& g, ui::TCustomGrid& d);
    TgkExpandShift PlanShift(grid::TgkCustomDBGrid& g, const ui::TCustomGrid& d) const;
    int PlaceAtDesiredRow(grid::TgkCustomDBGrid& g, int shift, int desired);
    void GrowOuterRow(grid::TgkCustomDBGrid& g, const ui::TCustomGrid& d);
    void Collapse();
    // Puts the owner back as it was before an expansion that failed.
    void UndoExpansion();

    classes::TAlignment buttonAlignment_ = classes::taLeftJustify;
    ui::TCustomGrid* grid_ = nullptr;
    std::unique_ptr<ui::TImageList> glyphs_;
    TgkExpandGridIndents gridIndents_;
    bool busy_ = false;
    int rememberedOuterHeight_ = 0;
    int rememberedOuterRowHeight_ = 0;
    int initialHeight_ = 0;
    int expandedRow_ = -1;
    bool suppress_ = false;
    bool toggling_ = false;
};

}  // namespace editctrls
