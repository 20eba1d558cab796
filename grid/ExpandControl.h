#pragma once
// The seam between a data grid and the expand buttons in its cells (the buttons live in the
// edit-control library above the grid). A button opens a detail grid under the current row;
// the grid asks it through this interface whether its detail shows, and has it expand or
// collapse, without linking the button's library.

namespace grid {

class IgkExpandControl {
public:
    virtual ~IgkExpandControl() = default;
    // The detail control is shown.
    virtual bool DetailShown() const = 0;
    // An expansion or collapse is under way.
    virtual bool ExpandBusy() const = 0;
    // Opens the detail (nothing when it is open).
    virtual void ExpandDetail() = 0;
    // Closes the detail through the button's toggle (nothing when it is closed).
    virtual void CollapseDetail() = 0;
    // Told while the grid paints the button's copy into the current cell: that copy shows
    // the open glyph when the detail shows, every other cell's the closed one.
    virtual void SetPaintingCurrentCell(bool painting) = 0;
};

}  // namespace grid
