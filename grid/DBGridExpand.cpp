// The data grid's side of the expand buttons in its cells: which one is open, collapsing it,
// and Ctrl+Left / Ctrl+Right over a button's cell.

#include "grid/DBGrid.h"
#include "grid/GridState.h"

namespace grid {

namespace {

IgkExpandControl* AsExpand(ui::TControl* control) { return dynamic_cast<IgkExpandControl*>(control); }

}  // namespace

bool TgkCustomDBGrid::PlacedExpandButtonExpanded() const
{
    const IgkExpandControl* button = AsExpand(PlacedControl());
    return button != nullptr && button->DetailShown();
}

void TgkCustomDBGrid::CollapseExpandButtons()
{
    for (int i = 0; i < ControlCount(); ++i) {
        IgkExpandControl* button = AsExpand(Controls(i));
        if (button == nullptr || !button->DetailShown()) continue;
        if (!button->ExpandBusy()) button->CollapseDetail();
        return;
    }
}

IgkExpandControl* TgkCustomDBGrid::GetActiveExpandButton() const
{
    for (int i = 0; i < ControlCount(); ++i)
        if (IgkExpandControl* button = AsExpand(Controls(i)); button != nullptr && button->DetailShown()) return button;
    return AsExpand(PlacedControl());
}

int TgkCustomDBGrid::SavedRowHeightPercent() const { return d_->savedRowHeightPercent; }

}  // namespace grid
