#include "grid/GridKeyboard.h"

#include <array>

#include "grid/DBGrid.h"
#include "grid/StringRoutines.h"
#include "grid/GridRoutines.h"
#include "grid/InplaceEdit.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

namespace grid {

namespace {

using enum TgkGridKeyAction;

struct TKeyEntry {
    ui::TKey Key;
    bool Ctrl;
    TgkGridKeyAction Action;
};

constexpr std::array kKeyTable{
    TKeyEntry{ui::VK_PRIOR, true, FirstShown},    TKeyEntry{ui::VK_UP, true, FirstShown},
    TKeyEntry{ui::VK_NEXT, true, LastShown},      TKeyEntry{ui::VK_DOWN, true, LastShown},
    TKeyEntry{ui::VK_HOME, true, FirstRecord},    TKeyEntry{ui::VK_END, true, LastRecord},
    TKeyEntry{ui::VK_LEFT, true, FirstColumn},    TKeyEntry{ui::VK_RIGHT, true, LastColumn},
    TKeyEntry{ui::VK_DELETE, true, DeleteRecord}, TKeyEntry{ui::VK_HOME, false, HomeKey},
    TKeyEntry{ui::VK_END, false, EndKey},         TKeyEntry{ui::VK_PRIOR, false, PageUp},
    TKeyEntry{ui::VK_NEXT, false, PageDown},      TKeyEntry{ui::VK_TAB, false, NextCell},
    TKeyEntry{ui::VK_RETURN, false, EnterKey},    TKeyEntry{ui::VK_ESCAPE, false, CancelEdit},
    TKeyEntry{ui::VK_UP, false, PriorRow},        TKeyEntry{ui::VK_DOWN, false, NextRow},
    TKeyEntry{ui::VK_LEFT, false, LeftKey},       TKeyEntry{ui::VK_RIGHT, false, RightKey},
    TKeyEntry{ui::VK_INSERT, false, InsertRecord}, TKeyEntry{ui::VK_F2, false, ShowEditor},
};

bool IsArrow(ui::TKey key)
{
    return key == ui::VK_LEFT || key == ui::VK_UP || key == ui::VK_RIGHT || key == ui::VK_DOWN;
}

void PostKey(TgkCustomDBGrid* g, ui::TKey key) { g->PostMessage(ui::WM_KEYDOWN, key, 0); }

}  // namespace

TgkGridKeyAction gkDecodeGridKey(ui::TKey key, ui::TShiftState shift)
{
    const bool ctrl = shift.Contains(ui::ssCtrl);
    if (key == ui::VK_TAB && !ctrl) {
        if (shift.Contains(ui::ssAlt)) return None;
        return shift.Contains(ui::ssShift) ? PriorCell : NextCell;
    }
    for (const TKeyEntry& entry : kKeyTable)
        if (entry.Key == key && entry.Ctrl == ctrl) return entry.Action;
    return None;
}

// ---- Key down ----------------------------------------------------------------------------------------------

// The steps before any action: the grid's own OnKeyDown, the data set, the placed control
// moved out of sight for a vertical move, and Left and Right mirrored right to left.
bool TgkGridKeyboard::PrepareKey(ui::TKey& key, ui::TShiftState shift)
{
    if (g_.PlacedControlHasFocus()) return false;
    g_.ui::TCustomControl::KeyDown(key, shift);
    if (key == 0) return false;
    TgkGridDataLink& link = g_.DataLink();
    if (!link.Active() || link.DataSet() == nullptr || !g_.CanGridAcceptKey(key, shift)) return false;
    const bool vertical = key == ui::VK_PRIOR || key == ui::VK_NEXT || key == ui::VK_UP || key == ui::VK_DOWN;
    if (vertical) {
        if (ui::TWinControl* placed = g_.PlacedControl()) placed->SetLeft(g_.ClientWidth() + 10);
        if (!g_.AcquireFocus()) return false;
    }
    if (!shift.Contains(ui::ssCtrl) && g_.UseRightToLeftGrid()) {
        if (key == ui::VK_LEFT)
            key = ui::VK_RIGHT;
        else if (key == ui::VK_RIGHT)
            key = ui::VK_LEFT;
    }
    if (!shift.Contains(ui::ssCtrl)) TakeFocusBack(key);
    return true;
}

// A navigation key that reached the grid while the control over the cell still holds the
// application's focus: the grid takes the focus back, so the move leaves the control.
void TgkGridKeyboard::TakeFocusBack(ui::TKey key)
{
    const bool navigation = key == ui::VK_TAB || key == ui::VK_RETURN || key == ui::VK_INSERT ||
                            key == ui::VK_DELETE || (key >= ui::VK_PRIOR && key <= ui::VK_DOWN);
    ui::TWinControl* placed = g_.PlacedControl();
    if (!navigation || placed == nullptr) return;
    ui::TWinControl* active = ui::Screen().ActiveControl();
    if (active != nullptr && (active == placed || placed->ContainsControl(active)) && g_.CanFocus()) g_.SetFocus();
}

void TgkGridKeyboard::KeyDown(ui::TKey& key, ui::TShiftState shift)
{
    if (!PrepareKey(key, shift)) return;
    if (!shift.Contains(ui::ssCtrl) && !g_.AcquireFocus()) return;
    const TgkGridKeyAction action = gkDecodeGridKey(key, shift);
    if (action != None && Run(action, *g_.DataLink().DataSet())) key = 0;
}

bool TgkGridKeyboard::Run(TgkGridKeyAction action, db::TDataSet& ds)
{
    using TAction = bool (TgkGridKeyboard::*)(db::TDataSet&);
    // In the order of TgkGridKeyAction (None has no function).
    static constexpr std::array<TAction, 21> kActions{
        &TgkGridKeyboard::FirstShown, &TgkGridKeyboard::LastShown,    &TgkGridKeyboard::FirstRecord,
        &TgkGridKeyboard::LastRecord, &TgkGridKeyboard::FirstColumn,  &TgkGridKeyboard::LastColumn,
        &TgkGridKeyboard::DeleteRecord, &TgkGridKeyboard::HomeKey,    &TgkGridKeyboard::EndKey,
        &TgkGridKeyboard::PageUp,     &TgkGridKeyboard::PageDown,     &TgkGridKeyboard::NextCell,
        &TgkGridKeyboard::PriorCell,  &TgkGridKeyboard::EnterKey,     &TgkGridKeyboard::CancelEdit,
        &TgkGridKeyboard::PriorRow,   &TgkGridKeyboard::NextRow,      &TgkGridKeyboard::LeftKey,
        &TgkGridKeyboard::RightKey,   &TgkGridKeyboard::InsertRecord, &TgkGridKeyboard::ShowEditor};
    if (action == None) return false;
    return (this->*kActions[static_cast<std::size_t>(action) - 1])(ds);
}

// ---- Actions ------------------------------------------------------------------------------------------------

bool TgkGridKeyboard::FirstShown(db::TDataSet& ds)
{
    ds.MoveBy(-g_.DataLink().ActiveRecord());
    return true;
}

bool TgkGridKeyboard::LastShown(db::TDataSet& ds)
{
    TgkGridDataLink& link = g_.DataLink();
    ds.MoveBy(link.BufferCount() - link.ActiveRecord() - 1);
    return true;
}

bool TgkGridKeyboard::FirstRecord(db::TDataSet& ds)
{
    ds.First();
    return true;
}

bool TgkGridKeyboard::LastRecord(db::TDataSet& ds)
{
    ds.Last();
    return true;
}

bool TgkGridKeyboard::FirstColumn(db::TDataSet&)
{
    // Over an open detail grid, Ctrl+Left closes it (the outer grid's button when this grid is
    // itself a detail).
    if (auto* outer = dynamic_cast<TgkCustomDBGrid*>(g_.Parent()); outer != nullptr && outer->InheritsFrom("TgkDBGrid"))
        outer->CollapseExpandButtons();
    else if (dynamic_cast<IgkExpandControl*>(g_.PlacedControl()) != nullptr)
        g_.CollapseExpandButtons();
    else
        g_.MoveCol(0);
    return true;
}

bool TgkGridKeyboard::LastColumn(db::TDataSet&)
{
    if (auto* button = dynamic_cast<IgkExpandControl*>(g_.PlacedControl())) {
        if (!g_.PlacedExpandButtonExpanded()) button->ExpandDetail();
        return true;
    }
    g_.MoveCol(g_.DataLink().FieldCount() - 1);
    return true;
}

bool TgkGridKeyboard::DeleteRecord(db::TDataSet& ds)
{
    // The key never reaches the base grid, deleted or not.
    if (g_.KeyOptions().Contains(dgAllowDelete) && !g_.ReadOnly() && ds.CanModify() &&
        g_.Options().Contains(dgEditing) && g_.ConfirmDelete()) {
        ds.Delete();
        g_.HideEditor();
    }
    return true;
}

bool TgkGridKeyboard::MovesByRecord() const
{
    return g_.DataLink().FieldCount() == 1 || g_.Options().Contains(dgRowSelect);
}

bool TgkGridKeyboard::HomeKey(db::TDataSet& ds)
{
    if (MovesByRecord())
        ds.First();
    else
        g_.MoveCol(0);
    return true;
}

bool TgkGridKeyboard::EndKey(db::TDataSet& ds)
{
    if (MovesByRecord())
        ds.Last();
    else
        g_.MoveCol(g_.DataLink().FieldCount() - 1);
    return true;
}

bool TgkGridKeyboard::PageUp(db::TDataSet& ds)
{
    ds.MoveBy(-g_.VisibleRowCount());
    return true;
}

bool TgkGridKeyboard::PageDown(db::TDataSet& ds)
{
    ds.MoveBy(g_.VisibleRowCount());
    return true;
}

bool TgkGridKeyboard::NextCell(db::TDataSet&)
{
    g_.TabCell(true);
    return true;
}

bool TgkGridKeyboard::PriorCell(db::TDataSet&)
{
    g_.TabCell(false);
    return true;
}

bool TgkGridKeyboard::EnterKey(db::TDataSet&)
{
    if (!g_.KeyOptions().Contains(dgEnterToTab)) return false;
    g_.TabCell(true);
    return true;
}

bool TgkGridKeyboard::CancelEdit(db::TDataSet&)
{
    g_.DataLink().Reset();
    if (!g_.Options().Contains(dgAlwaysShowEditor)) {
        g_.HideEditor();
    } else if (auto* editor = dynamic_cast<TgkInplaceEdit*>(g_.InplaceEditor()); editor != nullptr && g_.OnCheckValue) {
        editor->CheckValue(editor->Text());
    }
    return true;
}

bool TgkGridKeyboard::PriorRow(db::TDataSet&)
{
    g_.PriorRow();
    return true;
}

bool TgkGridKeyboard::NextRow(db::TDataSet&)
{
    g_.NextRow();
    return true;
}

bool TgkGridKeyboard::LeftKey(db::TDataSet&)
{
    if (g_.Options().Contains(dgRowSelect))
        g_.PriorRow();
    else
        g_.MoveCol(g_.SelectedIndex() - 1);
    return true;
}

bool TgkGridKeyboard::RightKey(db::TDataSet&)
{
    if (g_.Options().Contains(dgRowSelect))
        g_.NextRow();
    else
        g_.MoveCol(g_.SelectedIndex() + 1);
    return true;
}

bool TgkGridKeyboard::InsertRecord(db::TDataSet& ds)
{
    if (!g_.ReadOnly() && g_.Options().Contains(dgEditing) && g_.KeyOptions().Contains(dgAllowInsert)) ds.Insert();
    return true;
}

bool TgkGridKeyboard::ShowEditor(db::TDataSet&)
{
    db::TField* field = g_.SelectedField();
    if (field != nullptr && dynamic_cast<db::TBlobField*>(field) == nullptr && !g_.IsCustomCell(g_.Col(), g_.Row()))
        g_.SetEditorMode(true);
    return true;
}

// ---- The key filter ---------------------------------------------------------------------------------------

bool TgkGridKeyboard::Filter(ui::TWinControl* c, ui::TKey key, ui::TShiftState shift, bool down)
{
    if (c == nullptr) return false;
    const bool ctrl = shift.Contains(ui::ssCtrl), alt = shift.Contains(ui::ssAlt);
    if ((key == ui::VK_RETURN || key == ui::VK_TAB) && !ctrl && !alt) return FilterTabOrEnter(c, key, down);
    if (ctrl) return FilterCtrlKey(c, key, down);
    if (!alt) return FilterPlainKey(c, key, down);
    return false;
}

bool TgkGridKeyboard::FilterTabOrEnter(ui::TWinControl* c, ui::TKey key, bool down)
{
    TgkCustomDBGrid* g = TgkCustomDBGrid::FindTargetGrid(c);
    if (!down) return g != nullptr;
    if (g == nullptr || (!g->KeyOptions().Contains(dgEnterToTab) && key != ui::VK_TAB)) return false;
    PostKey(g, key);
    return true;
}

bool TgkGridKeyboard::FilterCtrlKey(ui::TWinControl* c, ui::TKey key, bool down)
{
    if (!down) return false;
    if (key == ui::VK_LEFT) {
        TgkCustomDBGrid* g = TgkCustomDBGrid::FindParentGrid(c);
        if (g != nullptr && g->PlacedControl() != nullptr && g->PlacedControl()->ContainsControl(c)) g->SetFocus();
        return false;
    }
    const bool moves = IsArrow(key) || key == ui::VK_PRIOR || key == ui::VK_NEXT || key == ui::VK_END ||
                       key == ui::VK_HOME || key == ui::VK_DELETE;
    if (!moves || gkChildOutsideClient(c)) return false;
    TgkCustomDBGrid* g = TgkCustomDBGrid::FindTargetGrid(c);
    if (g == nullptr || g == c) return false;
    PostKey(g, key);
    return true;
}

bool TgkGridKeyboard::FilterPlainKey(ui::TWinControl* c, ui::TKey key, bool down)
{
    const bool arrow = IsArrow(key);
    if (!arrow && key != ui::VK_PRIOR && key != ui::VK_NEXT && key != ui::VK_INSERT) return false;
    if (gkChildOutsideClient(c) || !down) return false;
    TgkCustomDBGrid* g = TgkCustomDBGrid::FindTargetGrid(c);
    if (g == nullptr || !g->ContainsControl(c)) return false;
    if (arrow && c != g && !gkIsClass(c->Parent(), "TCustomGrid")) return false;
    if (dynamic_cast<ui::TCustomEdit*>(c) != nullptr) {
        if (key == ui::VK_LEFT && !TgkCustomDBGrid::CaretAtStart(*c)) return false;
        if (key == ui::VK_RIGHT && !TgkCustomDBGrid::CaretAtEnd(*c)) return false;
    }
    if (c == g) return false;
    PostKey(g, key);
    return true;
}

}  // namespace grid
