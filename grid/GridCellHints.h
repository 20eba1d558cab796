#pragma once
// TgkGridCellHints: the cell hint and the link hover of a TgkCustomDBGrid. With dgShowCellHint
// a cell whose text does not fit shows it whole in a hint window while the mouse stays on
// it; a 250 ms timer hides it when the mouse leaves the cell or after the application's hint
// hide pause. Link cells (control type "URL-Link") under the mouse show the hand cursor and
// are drawn hot.

#include <memory>
#include <string>

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Grids.h"

namespace db {
class TField;
}

namespace grid {

class TgkCustomDBGrid;
class TgkGridHintWindow;

class TgkGridCellHints {
public:
    explicit TgkGridCellHints(TgkCustomDBGrid& grid);
    ~TgkGridCellHints();

    TgkGridHintWindow* Window() const noexcept { return window_.get(); }
    ui::TGridCoord Cell() const noexcept { return cell_; }
    ui::TTimer* Timer() const noexcept { return timer_.get(); }
    ui::TGridCoord LinkHover() const noexcept { return hover_; }
    void SetLinkHover(ui::TGridCoord cell) noexcept { hover_ = cell; }

    // A new hint window in the grid's font and the hint colours.
    TgkGridHintWindow* CreateWindow();
    void Hide();
    void TimerTick();
    void Update(int x, int y);
    void UpdateLinkHover(int x, int y);
    void ClearLinkHover();

private:
    std::string CellText(ui::TGridCoord cell, db::TField* field, int dataCol);
    bool TextFits(const std::string& text, const ui::TRect& r);
    void StartTimer();
    void Show(const std::string& text, db::TField* field, const ui::TRect& r);
    static unsigned MeasureFlags(const std::string& text, bool wordWrap);

    TgkCustomDBGrid& g_;
    std::unique_ptr<TgkGridHintWindow> window_;
    ui::TGridCoord cell_{0, 0};
    std::unique_ptr<ui::TTimer> timer_;
    int ticks_ = 0;
    bool linkHovering_ = false;
    ui::TGridCoord hover_{-1, -1};
};

}  // namespace grid
