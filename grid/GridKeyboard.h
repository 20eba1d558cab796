#pragma once
// TgkGridKeyboard: the keyboard of a TgkCustomDBGrid. A key is first decoded into a named
// navigation action (the key table below: Ctrl+Home is FirstRecord, Tab is NextCell ...);
// each action is one short function over the data set and the grid's columns. The key
// filter of grids, which hands keys pressed in controls over a grid's cells back to the
// grid, lives here too.
//
//   Ctrl+PageUp, Ctrl+Up     FirstShown      Home        HomeKey (first record or column)
//   Ctrl+PageDown, Ctrl+Down LastShown       End         EndKey (last record or column)
//   Ctrl+Home                FirstRecord     PageUp/Down PageUp, PageDown
//   Ctrl+End                 LastRecord      Tab         NextCell (PriorCell with Shift)
//   Ctrl+Left                FirstColumn     Enter       EnterKey (NextCell with dgEnterToTab)
//   Ctrl+Right               LastColumn      Escape      CancelEdit
//   Ctrl+Delete              DeleteRecord    Up, Down    PriorRow, NextRow
//   Left, Right              LeftKey, RightKey (a column, or a record with dgRowSelect)
//   Insert                   InsertRecord    F2          ShowEditor

#include "platform/db/DataSet.h"
#include "platform/ui/Controls.h"

namespace grid {

class TgkCustomDBGrid;

enum class TgkGridKeyAction {
    None, FirstShown, LastShown, FirstRecord, LastRecord, FirstColumn, LastColumn, DeleteRecord,
    HomeKey, EndKey, PageUp, PageDown, NextCell, PriorCell, EnterKey, CancelEdit, PriorRow, NextRow,
    LeftKey, RightKey, InsertRecord, ShowEditor
};

// The action of a key with its Shift, Ctrl and Alt state (None: the grid leaves the key).
TgkGridKeyAction gkDecodeGridKey(ui::TKey key, ui::TShiftState shift);

class TgkGridKeyboard {
public:
    explicit TgkGridKeyboard(TgkCustomDBGrid& grid) : g_(grid) {}

    // TgkCustomDBGrid::KeyDown.
    void KeyDown(ui::TKey& key, ui::TShiftState shift);
    // Runs one action; False when the grid leaves the key to others.
    bool Run(TgkGridKeyAction action, db::TDataSet& ds);

    // The key filter of grids (TgkCustomDBGrid::KeyFilter).
    static bool Filter(ui::TWinControl* focused, ui::TKey key, ui::TShiftState shift, bool down);

private:
    bool PrepareKey(ui::TKey& key, ui::TShiftState shift);
    void TakeFocusBack(ui::TKey key);

    bool FirstShown(db::TDataSet& ds);
    bool LastShown(db::TDataSet& ds);
    bool FirstRecord(db::TDataSet& ds);
    bool LastRecord(db::TDataSet& ds);
    bool FirstColumn(db::TDataSet& ds);
    bool LastColumn(db::TDataSet& ds);
    bool DeleteRecord(db::TDataSet& ds);
    bool HomeKey(db::TDataSet& ds);
    bool EndKey(db::TDataSet& ds);
    bool PageUp(db::TDataSet& ds);
    bool PageDown(db::TDataSet& ds);
    bool NextCell(db::TDataSet& ds);
    bool PriorCell(db::TDataSet& ds);
    bool EnterKey(db::TDataSet& ds);
    bool CancelEdit(db::TDataSet& ds);
    bool PriorRow(db::TDataSet& ds);
    bool NextRow(db::TDataSet& ds);
    bool LeftKey(db::TDataSet& ds);
    bool RightKey(db::TDataSet& ds);
    bool InsertRecord(db::TDataSet& ds);
    bool ShowEditor(db::TDataSet& ds);
    // Home and End move by record in a one-field grid or with dgRowSelect.
    bool MovesByRecord() const;

    static bool FilterTabOrEnter(ui::TWinControl* c, ui::TKey key, bool down);
    static bool FilterCtrlKey(ui::TWinControl* c, ui::TKey key, bool down);
    static bool FilterPlainKey(ui::TWinControl* c, ui::TKey key, bool down);

    TgkCustomDBGrid& g_;
};

}  // namespace grid
