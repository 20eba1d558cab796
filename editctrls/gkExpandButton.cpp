#include "editctrls/gkExpandButton.h"

#include <algorithm>

#include "editctrls/gkRadioGroup.h"
#include "grid/DBGrid.h"
#include "grid/GridRoutines.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/TypInfo.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/Messages.h"

namespace editctrls {

TgkExpandShift gkExpandShift(const TgkExpandShiftInput& in)
{
    TgkExpandShift out;
    out.DesiredRow = in.DesiredRow;
    const int free = in.ClientHeight - in.CellBottom;
    const int detail = in.DetailHasButtons ? in.DetailInitialHeight : in.DetailHeight;
    const int need = detail - 1 - free;
    const int step = std::max(1, in.RowHeight + in.LineWidth);
    out.Shift = need > 0 ? need / step + 1 : 0;
    if (in.Titles && in.AutoShrink && in.DetailHasButtons && in.RowHeight > 0) {
        const int rows =
            (in.ClientHeight - (in.DetailInitialHeight + in.ButtonHeight + 1) - (in.TitleRowHeight + 2)) / in.RowHeight;
        out.DesiredRow = out.DesiredRow >= 0 ? std::min(out.DesiredRow, rows + 1)
                                             : std::min(rows + 1, in.CurrentRow - out.Shift);
    }
    if (out.DesiredRow >= 0 && out.Shift >= 1) out.DesiredRow = std::min(out.DesiredRow, in.CurrentRow - out.Shift);
    if (out.DesiredRow >= 0)
        out.Shift = 0;
    else
        out.Shift = std::min(out.Shift, in.ActiveRow);
    return out;
}

std::vector<std::uint32_t> gkExpandGlyph(bool collapse)
{
    constexpr int kSide = 9;
    // White is transparent: alpha 0.
    std::vector<std::uint32_t> pixels(kSide * kSide, 0x00FFFFFFu);
    for (int i = 2; i <= 6; ++i) {
        pixels[4 * kSide + i] = 0xFF000000u;
        if (!collapse) pixels[i * kSide + 4] = 0xFF000000u;
    }
    return pixels;
}

unsigned gkExpandDropDownMessage()
{
    static const unsigned msg = ui::RegisterWindowMessage("GKEXPANDBUTTONDROPDOWN");
    return msg;
}

GW_IMPLEMENT_CLASS(TgkExpandGridIndents, classes::TPersistent)
{
    p.Integer(
        "X", [](const TgkExpandGridIndents& g) { return g.X; }, [](TgkExpandGridIndents& g, int v) { g.X = v; }, 0);
    p.Integer(
        "Y", [](const TgkExpandGridIndents& g) { return g.Y; }, [](TgkExpandGridIndents& g, int v) { g.Y = v; }, 0);
}

void TgkExpandGridIndents::Assign(const classes::TPersistent& source)
{
    if (const auto* other = dynamic_cast<const TgkExpandGridIndents*>(&source)) {
        X = other->X;
        Y = other->Y;
        return;
    }
    classes::TPersistent::Assign(source);
}

namespace {

grid::TgkCustomDBGrid* AsDBGrid(ui::TControl* control) { return dynamic_cast<grid::TgkCustomDBGrid*>(control); }

// The checked expand buttons among a grid's children.
std::vector<TgkExpandButton*> ExpandedButtonsIn(ui::TWinControl* grid)
{
    std::vector<TgkExpandButton*> found;
    if (grid == nullptr) return found;
    for (int i = 0; i < grid->ControlCount(); ++i)
        if (auto* b = dynamic_cast<TgkExpandButton*>(grid->Controls(i)); b != nullptr && b->Checked()) found.push_back(b);
    return found;
}

// A data grid standing as a detail has no 3D look (its stored Ctl3D off).
void SwitchCtl3DOff(ui::TCustomGrid& detail)
{
    if (detail.InheritsFrom("TgkDBGrid")) classes::SetPropValue(detail, "Ctl3D", classes::TPropValue(false));
}

bool HoldsExpandButtons(const ui::TWinControl* grid)
{
    if (grid == nullptr) return false;
    for (int i = 0; i < grid->ControlCount(); ++i)
        if (dynamic_cast<TgkExpandButton*>(grid->Controls(i)) != nullptr) return true;
    return false;
}

}  // namespace

// ---- The button ----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkExpandButton, TgkDBCustomCheckBox)
{
    using C = TgkExpandButton;
    p.Component<ui::TCustomGrid>("Grid", &C::Grid, &C::SetGrid);
    p.Boolean(
        "AutoShrink", [](const C& c) { return c.AutoShrink; }, [](C& c, bool v) { c.AutoShrink = v; }, true);
    p.Boolean(
        "AutoHideExpand", [](const C& c) { return c.AutoHideExpand; }, [](C& c, bool v) { c.AutoHideExpand = v; },
        false);
    p.Boolean("ShowFocusRect", &C::ShowFocusRect, &C::SetShowFocusRect, true);
    p.Event("OnBeforeExpand", &C::OnBeforeExpand);
    p.Event("OnBeforeCollapse", &C::OnBeforeCollapse);
    p.Event("OnAfterExpand", &C::OnAfterExpand);
    p.Event("OnAfterCollapse", &C::OnAfterCollapse);
    p.Object("GridIndents", [](const C& c) { return const_cast<C&>(c).GridIndents(); });
    p.String("Caption", &C::Caption, &C::SetCaption);
    p.Component<db::TDataSource>("DataSource", &C::DataSource, &C::SetDataSource);
    p.String("DataField", &C::DataField, &C::SetDataField);
    p.Component<ui::TImageList>("Images", &C::Images, &C::SetImages);
    p.Object("Indents", [](const C& c) { return const_cast<C&>(c).Indents(); });
    p.Boolean("ShowAsButton", &C::ShowAsButton, &C::SetShowAsButton, false);
    p.Boolean("ShowText", &C::ShowText, &C::SetShowText, false);
    p.Enumeration("ButtonAlignment", classes::AlignmentInfo(), &C::ButtonAlignment, &C::SetButtonAlignment,
                  classes::taLeftJustify);
    p.Event("OnMouseEnter", &C::OnMouseEnter);
    p.Event("OnMouseLeave", &C::OnMouseLeave);
    p.Boolean("ReadOnly", &C::ReadOnly, &C::SetReadOnly, false);
}

TgkExpandButton::TgkExpandButton(classes::TComponent* owner)
    : TgkDBCustomCheckBox(owner), glyphs_(std::make_unique<ui::TImageList>(nullptr))
{
    SetShowText(false);
    framedGlyph_ = true;
    glyphs_->SetWidth(9);
    glyphs_->SetHeight(9);
    glyphs_->AddPixels(gkExpandGlyph(false));  // "GKEXPAND"
    glyphs_->AddPixels(gkExpandGlyph(true));   // "GKCOLLAPSE"
}

TgkExpandButton::~TgkExpandButton()
{
    if (grid_ != nullptr) grid_->RemoveFreeNotification(this);
}

void TgkExpandButton::SetButtonAlignment(classes::TAlignment a)
{
    buttonAlignment_ = a;
    Invalidate();
}

int TgkExpandButton::GlyphPosition() const
{
    switch (buttonAlignment_) {
    case classes::taCenter: return 2;
    case classes::taRightJustify: return 0;
    default: return 1;
    }
}

void TgkExpandButton::SetGrid(ui::TCustomGrid* grid)
{
    if (grid == grid_) return;
    gkReferTo(*this, grid_, grid);
    if (grid_ == nullptr) return;
    grid_->SetVisible(false);
    SwitchCtl3DOff(*grid_);
    initialHeight_ = 0;
}

void TgkExpandButton::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TgkDBCustomCheckBox::Notification(component, operation);
    if (operation == classes::opRemove && component == grid_) grid_ = nullptr;
}

ui::TImageList* TgkExpandButton::GetImages() const { return Images() != nullptr ? Images() : glyphs_.get(); }

bool TgkExpandButton::DetailShown() const { return grid_ != nullptr && grid_->Visible(); }

void TgkExpandButton::SetExpanded(bool v)
{
    if (v == Checked()) return;
    if (v)
        if (grid::TgkCustomDBGrid* g = AsDBGrid(Parent())) g->PlaceCellControl();
    Toggle();
}

void TgkExpandButton::CollapseDetail()
{
    if (Checked()) Toggle();
}

void TgkExpandButton::DoBeforeExpand()
{
    if (OnBeforeExpand) OnBeforeExpand(this);
}
void TgkExpandButton::DoBeforeCollapse()
{
    if (OnBeforeCollapse) OnBeforeCollapse(this);
}
void TgkExpandButton::DoAfterExpand()
{
    if (OnAfterExpand) OnAfterExpand(this);
}
void TgkExpandButton::DoAfterCollapse()
{
    if (OnAfterCollapse) OnAfterCollapse(this);
}

void TgkExpandButton::Toggle()
{
    if (toggling_) return;
    grid::TgkCustomDBGrid* owner = AsDBGrid(Parent());
    // Both guards are released however the toggle ends.
    toggling_ = true;
    if (owner != nullptr) owner->Expanding = true;
    const rtl::TScopeExit release([this, owner] {
        toggling_ = false;
        if (owner != nullptr) owner->Expanding = false;
    });
    const TCheckBoxState before = State();
    if (before == ui::cbChecked)
        DoBeforeCollapse();
    else
        DoBeforeExpand();
    if (State() == before) {
        // A row-height change by the mouse is undone before the row grows under a detail.
        if (before == ui::cbUnchecked && !AllowGrayed() && owner != nullptr && owner->InheritsFrom("TgkDBGrid") &&
            owner->RowHeightPercent() != owner->SavedRowHeightPercent())
            owner->RestoreRowHeightPercent();
        switch (before) {
        case ui::cbUnchecked: SetState(AllowGrayed() ? ui::cbGrayed : ui::cbChecked); break;
        case ui::cbChecked: SetState(ui::cbUnchecked); break;
        case ui::cbGrayed: SetState(ui::cbChecked); break;
        }
    }
    if (Checked())
        DoAfterExpand();
    else
        DoAfterCollapse();
}

void TgkExpandButton::Click()
{
    if (busy_ || suppress_ || grid_ == nullptr) return;
    TgkDBCustomCheckBox::Click();
    if (AsDBGrid(Parent()) == nullptr) return;
    busy_ = true;
    const rtl::TScopeExit done([this] {
        busy_ = false;
        DesiredRow = -1;
    });
    if (Checked()) {
        try {
            Expand();
        } catch (const EgkExpandError&) {
            UndoExpansion();
            throw;
        }
    } else {
        Collapse();
    }
}

void TgkExpandButton::UndoExpansion()
{
    {
        // Unchecked quietly: nothing more is to be collapsed.
        suppress_ = true;
        const rtl::TScopeExit back([this] { suppress_ = false; });
        SetState(ui::cbUnchecked);
    }
    if (grid_ != nullptr) grid_->SetVisible(false);
    if (grid::TgkCustomDBGrid* g = AsDBGrid(Parent())) {
        if (expandedRow_ >= 0 && expandedRow_ < g->RowCount()) g->SetRowHeights(expandedRow_, g->DefaultRowHeight());
        g->SetRecordOffset(0);
    }
    expandedRow_ = -1;
}

void TgkExpandButton::ShrinkDetail(grid::TgkCustomDBGrid& g, ui::TCustomGrid& d)
{
    rememberedOuterHeight_ = 0;
    if (initialHeight_ == 0) initialHeight_ = d.Height();
    d.SetParent(&g);
    auto* dbDetail = AsDBGrid(&d);
    if (dbDetail != nullptr && AutoShrink) {
        if (d.ScrollBars() == ui::ssHorizontal || d.ScrollBars() == ui::ssBoth) d.SetScrollRange(ui::sbHorizontal, 0, 0);
        d.SetHeight(initialHeight_);
        dbDetail->UpdateRowCount();
        dbDetail->ShrinkHeightToRows();
    }
}

TgkExpandShift TgkExpandButton::PlanShift(grid::TgkCustomDBGrid& g, const ui::TCustomGrid& d) const
{
    const ui::TRect cell = g.CellRect(0, g.Row());
    TgkExpandShiftInput in;
    in.ClientHeight = g.ClientHeight();
    in.CellBottom = cell.Bottom;
    in.DetailHeight = d.Height();
    in.DetailInitialHeight = initialHeight_;
    in.DetailHasButtons = HoldsExpandButtons(&d);
    in.RowHeight = g.DefaultRowHeight();
    in.LineWidth = g.Options().Contains(grid::dgRowLines) ? 1 : 0;
    in.Titles = g.Options().Contains(grid::dgTitles);
    in.AutoShrink = AutoShrink;
    in.ButtonHeight = Height();
    in.TitleRowHeight = g.RowCount() > 0 ? g.RowHeights(0) : 0;
    in.CurrentRow = g.Row();
    in.ActiveRow = g.Row() - g.TitleOffset();
    in.DesiredRow = DesiredRow;
    return gkExpandShift(in);
}

int TgkExpandButton::PlaceAtDesiredRow(grid::TgkCustomDBGrid& g, int shift, int desired)
{
    grid::TgkGridDataLink& link = g.DataLink();
    const int active = link.ActiveRecord();
    if (active != desired) {
        db::TDataSet* ds = link.DataSet();
        const int wanted = active - desired;
        const int moved = ds->MoveBy(wanted);
        ds->MoveBy(-moved);
        if (moved != wanted) {
            const int newActive = link.ActiveRecord();
            shift = (newActive + 1) - desired;
            if (shift < 0)
                throw EgkExpandError("Shift Amount: " + std::to_string(shift) + "\r" +
                                     "True Scroll Amount: " + std::to_string(moved) + "\r" +
                                     "OrigActiveRecord: " + std::to_string(active) + "\r" +
                                     "DesiredRow: " + std::to_string(desired) + "\r" +
                                     "OrigDesiredRow: " + std::to_string(DesiredRow) + "\r");
        }
    }
    expandedRow_ = desired + g.TitleOffset();
    const ui::TRect at = g.CellRect(g.Col(), expandedRow_);
    SetBounds(Left(), at.Top, Width(), Height());
    SetVisible(true);
    return shift;
}

void TgkExpandButton::GrowOuterRow(grid::TgkCustomDBGrid& g, const ui::TCustomGrid& d)
{
    grid::TgkCustomDBGrid* outer = AsDBGrid(g.Parent());
    if (outer == nullptr || !outer->InheritsFrom("TgkDBGrid")) return;
    auto* outerButton = dynamic_cast<TgkExpandButton*>(outer->GetActiveExpandButton());
    if (outerButton == nullptr || !outerButton->AutoShrink) return;
    outerButton->rememberedOuterHeight_ = g.Height();
    outerButton->rememberedOuterRowHeight_ = outer->RowHeights(outer->Row());
    g.SetHeight(std::min(outerButton->initialHeight_, g.Height() + d.Height()));
    outer->SetRowHeights(outer->Row(), outer->DefaultRowHeight() + g.Height() - 1);
}

void TgkExpandButton::Expand()
{
    grid::TgkCustomDBGrid& g = *AsDBGrid(Parent());
    ui::TCustomGrid& d = *grid_;
    // 1. The detail, shrunk to its rows.
    ShrinkDetail(g, d);
    // 2-7. How far the owner scrolls, and the button on its row.
    const TgkExpandShift plan = PlanShift(g, d);
    const int desired = plan.DesiredRow;
    int shift = plan.Shift;
    if (desired >= 0)
        shift = PlaceAtDesiredRow(g, shift, desired);
    else
        SetBounds(Left(), Top() - shift * (g.DefaultRowHeight() + (g.Options().Contains(grid::dgRowLines) ? 1 : 0)),
                  Width(), Height());
    // 8. The detail, flat, under the button.
    SwitchCtl3DOff(d);
    d.SetBounds(Left() + 11 + gridIndents_.X, Top() + Height() + gridIndents_.Y, d.Width(), d.Height());
    d.SetVisible(true);
    if (d.CanFocus()) d.SetFocus();
    // 9. A detail inside another grid grows that grid's row.
    GrowOuterRow(g, d);
    // 10-11. Records shifted, the row grown under the detail.
    g.SetRecordOffset(shift);
    if (desired < 0) expandedRow_ = g.DataLink().ActiveRecord() - shift + g.TitleOffset();
    g.DisableRedraw();
    const rtl::TScopeExit redraw([&g] { g.EnableRedraw(true); });
    const int left = Left();
    g.SetRowHeights(expandedRow_, g.RowHeights(expandedRow_) + d.Height() - 1);
    if (g.Row() != expandedRow_) g.MoveColRow(g.Col(), expandedRow_, false, false);
    SetBounds(left, Top(), Width(), Height());
}

void TgkExpandButton::Collapse()
{
    grid::TgkCustomDBGrid& g = *AsDBGrid(Parent());
    // 1. Inner details first.
    for (TgkExpandButton* inner : ExpandedButtonsIn(grid_)) inner->Toggle();
    // 2. The detail goes; the owner takes the focus.
    grid_->SetVisible(false);
    if (g.CanFocus()) g.SetFocus();
    // 3-4. The row and the records back in place.
    if (expandedRow_ >= 0 && g.RowCount() > expandedRow_) g.SetRowHeights(expandedRow_, g.DefaultRowHeight());
    g.SetRecordOffset(0);
    const int row = g.DataLink().ActiveRecord() + g.TitleOffset();
    if (row < g.RowCount() && g.Row() != row) g.MoveColRow(g.Col(), row, false, false);
    expandedRow_ = -1;
    // 5-6. Inside another grid: that grid repaints where this one stands, and gets its
    // height back.
    if (grid::TgkCustomDBGrid* outer = AsDBGrid(g.Parent())) {
        ui::TRect r = g.BoundsRect();
        if (g.Options().Contains(grid::dgTitles)) r.Top += g.RowHeights(0) + 2;
        outer->InvalidateRect(r);
        auto* outerButton = dynamic_cast<TgkExpandButton*>(outer->GetActiveExpandButton());
        if (outerButton != nullptr && outerButton->rememberedOuterHeight_ > 0) {
            g.SetHeight(outerButton->rememberedOuterHeight_);
            outer->SetRowHeights(outer->Row(), outerButton->rememberedOuterRowHeight_);
            outerButton->rememberedOuterHeight_ = 0;
        }
    }
}

TCheckBoxState TgkExpandButton::GetState()
{
    if (!PaintingCopy()) return State();
    return PaintingCurrentCell && grid::gkIsInGrid(this) && grid_ != nullptr && grid_->Visible() ? ui::cbChecked
                                                                                                 : ui::cbUnchecked;
}

std::string TgkExpandButton::GetDisplayText()
{
    const db::TField* f = GetField();
    return f != nullptr && f->DataSet() != nullptr && f->DataSet()->Active() ? f->DisplayText() : std::string();
}

bool TgkExpandButton::IsGlyphHidden()
{
    if (!AutoHideExpand || grid::gkIsDesigning(this)) return false;
    const db::TField* f = GetField();
    if (f == nullptr || f->DataSet() == nullptr || !f->DataSet()->Active() || f->IsNull() || f->AsString() != "0")
        return false;
    return PaintingCopy() || (grid_ != nullptr && !grid_->Visible());
}

void TgkExpandButton::DataChange()
{
    // A record change closes the open detail; the state itself follows no field.
    const db::TDataSource* source = DataSource();
    if (source != nullptr && source->State() == db::dsBrowse && !busy_ && !suppress_ && Checked()) Toggle();
}

void TgkExpandButton::Dispatch(ui::TMessage& m)
{
    if (m.Msg == gkExpandDropDownMessage()) {
        SetExpanded(true);
        return;
    }
    if (m.Msg == ui::CM_EXIT)
        if (grid::TgkCustomDBGrid* g = AsDBGrid(Parent())) g->InvalidateCell(g->Col(), g->Row());
    TgkDBCustomCheckBox::Dispatch(m);
}

}  // namespace editctrls

namespace editctrls {

void RegisterCheckBoxClasses()
{
    classes::RegisterClasses<TgkCheckBox, TgkRadioButton, TgkRadioGroup, TgkExpandButton>();
}

}  // namespace editctrls
