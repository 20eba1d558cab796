// The cell hint of TgkCustomDBGrid (a hint window with the whole text of a cell that does
// not fit, kept while the mouse stays on the cell), the focus fix for presses in an inactive
// multiple-document child, and the hint's timer.

#include <algorithm>

#include "grid/DBGrid.h"
#include "grid/GridCellHints.h"
#include "grid/GridRoutines.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"

namespace grid {

void TgkCustomDBGrid::HideHintWindow() { hints_->Hide(); }

void TgkCustomDBGrid::HintTimerTick() { hints_->TimerTick(); }

TgkGridHintWindow* TgkCustomDBGrid::HintWindow() const { return hints_->Window(); }
ui::TGridCoord TgkCustomDBGrid::HintCell() const { return hints_->Cell(); }
ui::TTimer* TgkCustomDBGrid::HintTimer() const { return hints_->Timer(); }
ui::TGridCoord TgkCustomDBGrid::LinkHover() const { return hints_->LinkHover(); }
void TgkCustomDBGrid::SetLinkHover(ui::TGridCoord cell) { hints_->SetLinkHover(cell); }

void TgkCustomDBGrid::UpdateLinkHover(int x, int y) { hints_->UpdateLinkHover(x, y); }

void TgkCustomDBGrid::ClearLinkHover() { hints_->ClearLinkHover(); }

void TgkCustomDBGrid::UpdateCellHint(int x, int y) { hints_->Update(x, y); }

bool TgkCustomDBGrid::FocusForPress()
{
    if (gkIsDesigning(this)) return true;
    ui::TCustomForm* form = ui::GetParentForm(this);
    if (form == nullptr || form->FormStyle() != ui::fsMDIChild) return true;
    const ui::TWinControl* active = ui::Screen().ActiveControl();
    if (active != nullptr && ui::GetParentForm(active) == form) return true;
    SetFocus();
    return Focused() || ui::Screen().ActiveControl() == this;
}

}  // namespace grid
