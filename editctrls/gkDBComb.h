#pragma once
// TgkDBCustomComboBox / TgkDBComboBox: a data-aware combo box on the drop-down edit base. Its
// items may map displayed texts to stored values (MapList: "display<TAB>value"), show two
// columns, complete typed text (ShowMatchText), drop down when typing starts (AutoDropDown),
// let Delete or Backspace clear a drop-down-list value (AllowClearKey), and remember entered
// values in a TgkHistoryList whose newest entries head the list.
//
// The list is a list box in a popup window under (or over) the combo. It never takes the
// focus: the combo keeps it and hands the list its navigation and search keys. While it is
// open one application mouse filter of the combo's own closes it, accepting, on a press
// outside both the list and the combo.
//
// Promises:
// - Enter and a press outside accept the highlighted row, Escape cancels; Tab and leaving
//   the combo accept.
// - With MapList the field stores the value part and the edit shows the display part; a
//   value no item holds shows an empty text.
// - Every change of Items (a replaced text too) refills the list before it is shown.
// - The incremental search of an owner-drawn list restarts when more than 1500 ms passed
//   since the previous key, measured by Clock (replaceable).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "editctrls/gkDotDot.h"
#include "editctrls/gkHistoryList.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/PopupWindow.h"
#include "platform/ui/StdCtrls.h"

namespace editctrls {

class TgkDBCustomComboBox;

// The display part of an item (before its first Tab) and its value part (after it; the
// item's whole text, and `hasValue` false, without a Tab).
std::string gkItemDisplay(const std::string& item);
std::string gkItemValue(const std::string& item, bool* hasValue = nullptr);
// The value of the first item whose display part equals `text` (letter case counts); `text`
// itself when none.
std::string gkDisplayToValue(const rtl::TStrings& items, const std::string& text);
// The display part of the first item whose value part equals `value`; empty when none.
std::string gkValueToDisplay(const rtl::TStrings& items, const std::string& value);
// Where a list of `width` x `height` opens for a combo at `combo` (screen coordinates): under
// it (overlapping its bottom pixel when it has a border), above it when it would pass the
// work area's bottom, its right edge aligned with the combo's when it would reach the
// screen's right edge.
ui::TPoint gkPlaceComboList(const ui::TRect& combo, int width, int height, const ui::TRect& workArea,
                            int screenWidth, bool bordered);

// The item strings: every change marks the combo's list for refilling.
class TgkComboStringList : public rtl::TStringList {
public:
    explicit TgkComboStringList(TgkDBCustomComboBox* combo);
    void Sort() override;

private:
    TgkDBCustomComboBox* combo_;
};

// The drop-down list: owner-drawn rows (two columns, the line under the history block) and
// the incremental search.
class TgkPopupListbox : public ui::TListBox {
    GW_CLASS(TgkPopupListbox)

public:
    TgkPopupListbox(classes::TComponent* owner, TgkDBCustomComboBox* combo);
    void DrawItem(int index, const ui::TRect& rect, ui::TOwnerDrawState state) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;

    std::string SearchText;
    std::uint64_t LastSearchTick = 0;

private:
    TgkDBCustomComboBox* combo_;
};

using TgkComboCloseUpEvent = classes::TEvent<classes::TObject*, bool>;
using TgkAddHistoryItemEvent = classes::TEvent<TgkDBCustomComboBox*, const std::string&, bool&>;
using TMeasureItemEvent = classes::TEvent<ui::TWinControl*, int, int&>;

class TgkDBCustomComboBox : public TgkDBCustomCombo {
    GW_CLASS(TgkDBCustomComboBox)

public:
    explicit TgkDBCustomComboBox(classes::TComponent* owner);
    ~TgkDBCustomComboBox() override;

    // ---- Items and values -------------------------------------------------------------------
    TgkComboStringList* Items() noexcept { return &items_; }
    bool MapList() const noexcept { return mapList_; }
    void SetMapList(bool v);
    bool TwoColumnDisplay() const noexcept { return twoColumn_; }
    void SetTwoColumnDisplay(bool v) { twoColumn_ = v; }
    int Column1Width() const noexcept { return column1Width_; }
    void SetColumn1Width(int v) { column1Width_ = v; }
    bool Sorted() const noexcept { return items_.Sorted(); }
    void SetSorted(bool v);
    ui::TComboBoxStyle Style() const noexcept { return style_; }
    void SetStyle(ui::TComboBoxStyle v);
    int ItemIndex() const;
    void SetItemIndex(int index);
    // Display to value (MapList or TwoColumnDisplay), else the text itself.
    std::string DisplayToValue(const std::string& text) const;
    // Value to display (MapList or TwoColumnDisplay), else the value itself.
    std::string ValueToDisplay(const std::string& value) const;
    // Whether `text` is one of the stored values: an item's value part (or, without MapList
    // and TwoColumnDisplay, an item) equals it, letter case counting.
    bool IsStoredValue(const std::string& text) const;
    // StartIndex 0: the exact row of `text` in the list; otherwise a case-blind scan from
    // `startIndex` round the list. -1 when none.
    virtual int FindItemIndex(const std::string& text, int startIndex);
    // The list marks itself for refilling.
    void ItemsChanged() noexcept { itemsChanged_ = true; }

    // ---- List -------------------------------------------------------------------------------
    int DropDownCount() const noexcept { return dropDownCount_; }
    void SetDropDownCount(int v) { dropDownCount_ = v; }
    int ItemHeight() const noexcept { return itemHeight_; }
    void SetItemHeight(int v) { itemHeight_ = v; }
    int DropDownWidth() const noexcept { return dropDownWidth_; }
    void SetDropDownWidth(int v) { dropDownWidth_ = v; }
    bool DisableDropDownList = false;
    bool AutoDropDown = false;
    bool ShowMatchText = false;
    bool AllowClearKey = false;
    TgkPopupListbox* List() const noexcept { return list_; }
    ui::TPopupWindow* ListWindow() const noexcept { return popup_; }
    // Rows of the history block at the list's top.
    int MRUBlockSize() const noexcept { return mruRows_; }
    // Fills the list from the items (and the history); also makes it.
    void FillList();
    // The list's row height and size as DropDown gives them.
    int ListRowHeight();

    // ---- History ----------------------------------------------------------------------------
    TgkHistoryList* HistoryList() noexcept { return history_.get(); }
    virtual void AddHistoryItem(const std::string& value, bool toHistory);
    virtual void DeleteHistoryItem(const std::string& value, bool fromHistory);
    virtual void ClearHistory();

    // ---- Drop-down --------------------------------------------------------------------------
    bool IsDroppedDown() const override { return listVisible_; }
    void DropDown() override;
    void CloseUp(bool accept) override;
    bool IsEditable() const override;
    bool IsTextEditable() const override;
    bool OwnerDrawn() const { return style_ == ui::csOwnerDrawFixed || style_ == ui::csOwnerDrawVariable; }
    // Milliseconds of a steady clock; the search's 1500 ms are measured with it.
    std::function<std::uint64_t()> Clock;

    // ---- Input ------------------------------------------------------------------------------
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override;
    void KeyUp(ui::TKey& key, ui::TShiftState shift) override;
    void KeyPress(char& key) override;
    void Dispatch(ui::TMessage& message) override;
    // A key that searches the open list (the list's own key handling).
    void ListKeyPress(char key);

    // ---- Painting ---------------------------------------------------------------------------------
    void DrawListItem(ui::TCanvas& canvas, int index, const ui::TRect& rect, ui::TOwnerDrawState state);
    // What OnDrawItem draws the edit area of an owner-drawn combo on; nil outside that drawing.
    ui::TCanvas* Canvas() const noexcept { return paintCanvas_; }
    // An owner-drawn combo with OnDrawItem has the handler draw its edit area.
    void DrawText(ui::TCanvas& canvas, const ui::TRect& rect, int x, int y, const std::string& s) override;

    ui::TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;
    classes::TEvent<classes::TObject*> OnDropDown;
    TgkComboCloseUpEvent OnCloseUp;
    TgkAddHistoryItemEvent OnAddHistoryItem;

protected:
    std::string StoredValueOf(const std::string& text) const override;
    bool DisplayTextOf(const std::string& value, std::string& text) const override;
    void DataChange() override;

private:
    void MakeList();
    void SelectCurrentInList();
    void RemoveMouseFilter();
    void SaveHistory();
    // Moves the row by `delta` (the arrows), the text following it.
    void StepRow(int delta, bool listOpen);
    void ClearValue();
    bool ClearKey(ui::TKey& key, ui::TShiftState shift);
    bool RowKey(ui::TKey& key, ui::TShiftState shift);
    bool MatchKey(char& key);
    void SelectByFirstChar(char key);
    bool BoundNotEditing() const;

    TgkComboStringList items_{this};
    std::unique_ptr<TgkHistoryList> history_;
    ui::TPopupWindow* popup_ = nullptr;
    TgkPopupListbox* list_ = nullptr;
    bool mapList_ = false;
    bool twoColumn_ = false;
    int column1Width_ = 0;
    int dropDownCount_ = 8;
    int itemHeight_ = 0;
    int dropDownWidth_ = 0;
    int storedIndex_ = -1;
    ui::TComboBoxStyle style_ = ui::csDropDown;
    bool listVisible_ = false;
    bool justDropped_ = false;
    bool autoDropping_ = false;
    bool savedShowHint_ = false;
    bool itemsChanged_ = true;
    std::string textAtDropDown_;
    int mruRows_ = 0;
    int mouseFilter_ = 0;
    ui::TCanvas* paintCanvas_ = nullptr;
};

class TgkDBComboBox : public TgkDBCustomComboBox {
    GW_CLASS(TgkDBComboBox)

public:
    using TgkDBCustomComboBox::TgkDBCustomComboBox;
};

// Registers the published edit and combo classes, so stored forms can hold them.
void RegisterComboClasses();

}  // namespace editctrls
