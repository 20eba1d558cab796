#include "editctrls/gkDBComb.h"

#include <algorithm>
#include <chrono>

#include "editctrls/gkDBDateTimePicker.h"
#include "grid/GridRoutines.h"
#include "grid/StringRoutines.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/FontMeasure.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Input.h"
#include "platform/ui/Screen.h"

namespace editctrls {

// ---- Items and their two parts --------------------------------------------------------------

std::string gkItemDisplay(const std::string& item)
{
    int pos = 1;
    return grid::gkGetToken(item, "\t", pos);
}

std::string gkItemValue(const std::string& item, bool* hasValue)
{
    const std::size_t tab = item.find('\t');
    if (hasValue != nullptr) *hasValue = tab != std::string::npos;
    return tab == std::string::npos ? item : item.substr(tab + 1);
}

std::string gkDisplayToValue(const rtl::TStrings& items, const std::string& text)
{
    for (int i = 0; i < items.Count(); ++i) {
        const std::string item = items.Strings(i);
        if (gkItemDisplay(item) == text) return gkItemValue(item);
    }
    return text;
}

std::string gkValueToDisplay(const rtl::TStrings& items, const std::string& value)
{
    for (int i = 0; i < items.Count(); ++i) {
        const std::string item = items.Strings(i);
        bool hasValue = false;
        const std::string v = gkItemValue(item, &hasValue);
        if (hasValue && v == value) return gkItemDisplay(item);
    }
    return {};
}

ui::TPoint gkPlaceComboList(const ui::TRect& combo, int width, int height, const ui::TRect& workArea,
                            int screenWidth, bool bordered)
{
    int x = combo.Left;
    int y = combo.Top + combo.Height() - (bordered ? 1 : 0);
    if (y + height > workArea.Bottom) y = combo.Top - height;
    if (x + width >= screenWidth) x = combo.Left + combo.Width() - 1 - width;
    return {x, y};
}

TgkComboStringList::TgkComboStringList(TgkDBCustomComboBox* combo) : combo_(combo)
{
    // Every change (a replaced text too) means the list shows old rows.
    OnChange = [this](rtl::TStringList&) {
        if (combo_ != nullptr) combo_->ItemsChanged();
    };
}

void TgkComboStringList::Sort()
{
    rtl::TStringList::Sort();
    if (combo_ != nullptr) combo_->ItemsChanged();
}

// ---- The popup list ---------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkPopupListbox, ui::TListBox) {}

TgkPopupListbox::TgkPopupListbox(classes::TComponent* owner, TgkDBCustomComboBox* combo)
    : ui::TListBox(owner), combo_(combo)
{
}

void TgkPopupListbox::DrawItem(int index, const ui::TRect& rect, ui::TOwnerDrawState state)
{
    combo_->DrawListItem(*Canvas(), index, rect, state);
}

void TgkPopupListbox::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    ui::TListBox::MouseUp(button, shift, x, y);
    if (button == ui::mbLeft && ClientRect().Contains({x, y}) && combo_->IsDroppedDown()) combo_->CloseUp(true);
}

// ---- The combo box ---------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkDBCustomComboBox, TgkDBCustomCombo) {}

namespace {

std::uint64_t SteadyMilliseconds()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The layer's combo box keeps its style names to itself; stored forms name the same ones.
const classes::TEnumInfo& ComboStyleInfo()
{
    static const classes::TEnumInfo info{
        "TComboBoxStyle", {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"}};
    return info;
}

bool StartsWithText(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && grid::gkEqualText(text.substr(0, prefix.size()), prefix);
}

}  // namespace

TgkDBCustomComboBox::TgkDBCustomComboBox(classes::TComponent* owner)
    : TgkDBCustomCombo(owner), history_(std::make_unique<TgkHistoryList>(this))
{
    Clock = SteadyMilliseconds;
    SetButtonStyle(cbsDownArrow);
}

TgkDBCustomComboBox::~TgkDBCustomComboBox()
{
    RemoveMouseFilter();
    // The history saves now, while the combo can still be asked about itself.
    history_.reset();
}

void TgkDBCustomComboBox::SetMapList(bool v)
{
    if (v == mapList_) return;
    mapList_ = v;
    itemsChanged_ = true;
}

void TgkDBCustomComboBox::SetSorted(bool v) { items_.SetSorted(v); }

void TgkDBCustomComboBox::SetStyle(ui::TComboBoxStyle v)
{
    if (v == style_) return;
    if (v == ui::csSimple) SetShowButton(false);
    if (style_ == ui::csSimple) SetShowButton(true);
    style_ = v;
    Invalidate();
}

std::string TgkDBCustomComboBox::DisplayToValue(const std::string& text) const
{
    return mapList_ || twoColumn_ ? gkDisplayToValue(items_, text) : text;
}

std::string TgkDBCustomComboBox::ValueToDisplay(const std::string& value) const
{
    return mapList_ || twoColumn_ ? gkValueToDisplay(items_, value) : value;
}

bool TgkDBCustomComboBox::IsStoredValue(const std::string& text) const
{
    for (int i = 0; i < items_.Count(); ++i) {
        const std::string item = items_.Strings(i);
        if ((mapList_ || twoColumn_ ? gkItemValue(item) : item) == text) return true;
    }
    return false;
}

std::string TgkDBCustomComboBox::StoredValueOf(const std::string& text) const
{
    if (style_ == ui::csDropDown && text.empty()) return {};
    return DisplayToValue(text);
}

bool TgkDBCustomComboBox::DisplayTextOf(const std::string& value, std::string& text) const
{
    if (!mapList_) return false;
    text = gkValueToDisplay(items_, value);
    return true;
}

int TgkDBCustomComboBox::FindItemIndex(const std::string& text, int startIndex)
{
    if (list_ == nullptr || itemsChanged_) FillList();
    const rtl::TStrings& rows = *list_->Items();
    const int count = rows.Count();
    if (startIndex == 0) {
        for (int i = 0; i < count; ++i)
            if (rows.Strings(i) == text) return i;
        return -1;
    }
    for (int n = 0; n < count; ++n) {
        const int i = (startIndex + n) % count;
        if (grid::gkEqualText(rows.Strings(i), text)) return i;
    }
    return -1;
}

int TgkDBCustomComboBox::ItemIndex() const { return list_ != nullptr ? list_->ItemIndex() : storedIndex_; }

void TgkDBCustomComboBox::SetItemIndex(int index)
{
    storedIndex_ = index;
    if (list_ == nullptr || itemsChanged_) FillList();
    const int count = list_->Items()->Count();
    list_->SetItemIndex(index >= 0 && index < count ? index : -1);
    if (index >= 0 && index < count)
        SetText(list_->Items()->Strings(index));
    else if (index == -1)
        SetText({});
}

// ---- The list ---------------------------------------------------------------------------------

void TgkDBCustomComboBox::MakeList()
{
    if (list_ != nullptr) return;
    popup_ = new ui::TPopupWindow(this);
    popup_->SetVisible(false);
    list_ = new TgkPopupListbox(popup_, this);
    list_->SetParent(popup_);
    list_->SetAlign(ui::alClient);
    list_->SetShowHint(false);
}

void TgkDBCustomComboBox::FillList()
{
    MakeList();
    rtl::TStrings& rows = *list_->Items();
    const int keep = list_->ItemIndex();
    rows.BeginUpdate();
    const rtl::TScopeExit done([&] { rows.EndUpdate(); });
    list_->SetSorted(false);
    rows.Clear();
    for (int i = 0; i < items_.Count(); ++i) {
        const std::string item = items_.Strings(i);
        bool hasValue = false;
        const std::string value = gkItemValue(item, &hasValue);
        rows.Add(mapList_ || !hasValue ? gkItemDisplay(item) : value);
    }
    mruRows_ = 0;
    if (history_->Enabled()) {
        history_->LoadInto(rows);
        if (history_->MRUEnabled()) {
            if (items_.Sorted()) {
                list_->SetSorted(true);
                list_->SetSorted(false);
            }
            const rtl::TStringList& entries = history_->Items();
            mruRows_ = history_->MRUCount();
            for (int i = entries.Count() - mruRows_; i < entries.Count(); ++i) rows.Insert(0, entries.Strings(i));
        }
    }
    if (mruRows_ == 0) list_->SetSorted(items_.Sorted());
    itemsChanged_ = false;
    if (keep < rows.Count()) list_->SetItemIndex(keep);
}

int TgkDBCustomComboBox::ListRowHeight()
{
    if (itemHeight_ > 0) return itemHeight_;
    return ui::MeasureFont(*Font()).Metrics().Height;
}

void TgkDBCustomComboBox::SelectCurrentInList()
{
    int row = -1;
    if (OwnerDrawn() && Field() != nullptr)
        row = FindItemIndex(Field()->Text(), 0);
    else if (!Text().empty())
        row = FindItemIndex(Text(), 0);
    list_->SetItemIndex(row);
}

bool TgkDBCustomComboBox::BoundNotEditing() const
{
    return DataSource() != nullptr && DataSource()->State() != db::dsEdit && DataSource()->State() != db::dsInsert;
}

void TgkDBCustomComboBox::DropDown()
{
    if (listVisible_ || style_ == ui::csSimple || BoundWithoutField()) return;
    Invalidate();
    FillList();
    OnDropDown(this);
    if (itemsChanged_) FillList();
    if (DisableDropDownList) return;
    const bool mru = history_->Enabled() && history_->MRUEnabled();
    ui::TListBoxStyle listStyle = ui::lbStandard;
    if (style_ == ui::csOwnerDrawFixed || mru || twoColumn_) listStyle = ui::lbOwnerDrawFixed;
    if (style_ == ui::csOwnerDrawVariable) listStyle = ui::lbOwnerDrawVariable;
    list_->SetStyle(listStyle);
    list_->SetColor(Color());
    list_->Font()->Assign(*Font());
    const int rowHeight = ListRowHeight();
    list_->SetItemHeight(rowHeight);
    const int rows = std::min(list_->Items()->Count(), std::max(dropDownCount_, 1));
    const int height = rows * rowHeight + 4;
    int width = dropDownWidth_;
    if (width == 0) width = column1Width_ > 0 ? column1Width_ * 3 / 2 : Width();
    SelectCurrentInList();
    const ui::TPoint origin = ClientToScreen({0, 0});
    const ui::TPoint at = gkPlaceComboList(ui::Bounds(origin.X, origin.Y, Width(), Height()), width, height,
                                           ui::Screen().WorkAreaRect(), ui::Screen().Width(), ShowsBorder());
    popup_->ShowAt(ui::Bounds(at.X, at.Y, width, height));
    listVisible_ = true;
    justDropped_ = true;
    if (!autoDropping_ && IsEditable()) SelectAll();
    SetCaretHidden(!IsEditable());
    savedShowHint_ = ShowHint();
    SetShowHint(false);
    textAtDropDown_ = Text();
    if (mouseFilter_ == 0)
        mouseFilter_ = ui::Application().AddMouseFilter([this](ui::TControl*, unsigned msg, ui::TPoint p) {
            if (msg != ui::WM_LBUTTONDOWN || !listVisible_) return false;
            const ui::TPoint origin = ClientToScreen({0, 0});
            const bool onCombo = ui::Bounds(origin.X, origin.Y, Width(), Height()).Contains(p);
            if (!popup_->BoundsRect().Contains(p) && !onCombo) CloseUp(true);
            return false;  // the press goes on to where it was aimed
        });
    Invalidate();
}

void TgkDBCustomComboBox::RemoveMouseFilter()
{
    if (mouseFilter_ != 0) ui::Application().RemoveMouseFilter(mouseFilter_);
    mouseFilter_ = 0;
}

void TgkDBCustomComboBox::CloseUp(bool accept)
{
    if (!listVisible_) {
        RemoveMouseFilter();
        return;
    }
    ui::ReleaseCapture();
    const int row = list_->ItemIndex();
    std::string chosen;
    if (accept && !ReadOnly() && row >= 0)
        chosen = list_->Items()->Strings(row);
    else if (style_ == ui::csDropDown || row < 0)
        chosen = Text();
    popup_->ClosePopup();
    listVisible_ = false;
    RemoveMouseFilter();
    if (accept) {
        const bool held = Switches[1];
        Switches[1] = true;
        const rtl::TScopeExit back([&] { Switches[1] = held; });
        if (chosen != textAtDropDown_ && EditCanModify()) {
            if (!chosen.empty())
                SetText(chosen);
            else if (style_ == ui::csDropDownList || mapList_)
                SetText({});
            storedIndex_ = row;
            SetModified(true);
            if (Field() != nullptr) DataLink()->SetModified();
            if (history_->Enabled() && Modified()) {
                AddHistoryItem(Text(), true);
                SaveHistory();
            }
        }
    }
    SetCaretHidden(!IsEditable());
    Invalidate();
    if (IsEditable()) SelectAll();
    OnCloseUp(this, accept);
    SetShowHint(savedShowHint_);
}

void TgkDBCustomComboBox::SaveHistory()
{
    try {
        history_->Save();
    } catch (const std::exception& e) {
        rtl::LogCurrentException("TgkDBCustomComboBox: saving the history");
        ui::Application().HandleException(this, e);
    }
}

bool TgkDBCustomComboBox::IsEditable() const
{
    return !OwnerDrawn() && (style_ != ui::csDropDownList || ShowMatchText);
}

bool TgkDBCustomComboBox::IsTextEditable() const { return !OwnerDrawn() && style_ != ui::csDropDownList; }

// ---- History ------------------------------------------------------------------------------

void TgkDBCustomComboBox::AddHistoryItem(const std::string& value, bool toHistory)
{
    std::string v = value;
    grid::gkStripTrailing(v, " \t");
    if (v.empty()) return;
    bool accept = true;
    OnAddHistoryItem(this, v, accept);
    if (!accept) return;
    if (toHistory) history_->Add(v);
    if (list_ != nullptr && list_->Items()->IndexOf(v) < 0 && v.find_first_of("\r\n") == std::string::npos)
        list_->Items()->Add(v);
}

void TgkDBCustomComboBox::DeleteHistoryItem(const std::string& value, bool fromHistory)
{
    if (fromHistory) history_->Remove(value);
    if (list_ != nullptr)
        if (const int at = list_->Items()->IndexOf(value); at >= 0) list_->Items()->Delete(at);
}

void TgkDBCustomComboBox::ClearHistory()
{
    history_->Clear();
    SaveHistory();
}

// ---- Data ---------------------------------------------------------------------------------

void TgkDBCustomComboBox::DataChange()
{
    if (Switches[1]) return;
    FillList();
    TgkDBCustomCombo::DataChange();
    // The row of the value shown: an empty text has none.
    storedIndex_ = Text().empty() ? -1 : FindItemIndex(Text(), 0);
    list_->SetItemIndex(storedIndex_);
    Invalidate();
}

void TgkDBCustomComboBox::ClearValue()
{
    if (Field() != nullptr && !EditCanModify()) return;
    storedIndex_ = -1;
    if (list_ != nullptr) list_->SetItemIndex(-1);
    SetText({});
    SetModified(true);
    if (Field() != nullptr) DataLink()->SetModified();
}

void TgkDBCustomComboBox::StepRow(int delta, bool listOpen)
{
    if (list_ == nullptr || itemsChanged_) FillList();
    const int count = list_->Items()->Count();
    const int step = delta == 0 ? 0 : delta;
    int row = list_->ItemIndex() + step;
    if (list_->ItemIndex() < 0 && delta > 0) row = 0;
    if (row < 0 || row >= count) return;
    if (Field() != nullptr && !EditCanModify()) return;
    list_->SetItemIndex(row);
    storedIndex_ = row;
    if (listOpen && Field() != nullptr && BoundNotEditing()) return;
    SetText(list_->Items()->Strings(row));
    SetModified(true);
    if (Field() != nullptr) DataLink()->SetModified();
    if (IsEditable()) SelectAll();
}

// ---- Keys ---------------------------------------------------------------------------------

void TgkDBCustomComboBox::KeyDown(ui::TKey& key, ui::TShiftState shift)
{
    if (ui::IsKeyDown(ui::VK_MENU)) shift.Include(ui::ssAlt);
    const bool alt = shift.Contains(ui::ssAlt);
    if (BoundWithoutField()) {
        key = 0;
        return;
    }
    if (key == ui::VK_RETURN && history_->Enabled()) AddHistoryItem(Text(), true);
    if (key == ui::VK_TAB && listVisible_) CloseUp(true);
    if (grid::gkIsEditKey(key) && key != ui::VK_BACK && key != ui::VK_DELETE && !alt && !listVisible_ && AutoDropDown) {
        autoDropping_ = true;
        const rtl::TScopeExit done([this] { autoDropping_ = false; });
        DropDown();
    }
    if (ClearKey(key, shift) || RowKey(key, shift)) return;
    TgkDBCustomCombo::KeyDown(key, shift);
}

// Delete, Backspace and Ctrl+X in a drop-down list that completes typed text: they empty it
// only with AllowClearKey and the whole text selected, and are used up either way.
bool TgkDBCustomComboBox::ClearKey(ui::TKey& key, ui::TShiftState shift)
{
    const bool clearKey = key == ui::VK_DELETE || key == ui::VK_BACK || (key == 'X' && shift.Contains(ui::ssCtrl));
    if (!ShowMatchText || style_ != ui::csDropDownList || !clearKey) return false;
    const int size = static_cast<int>(Text().size());
    if (AllowClearKey && SelStart() == 0 && SelLength() == size) ClearValue();
    key = 0;
    return true;
}

// The arrows step the rows of a closed combo (outside a grid); with the list open they and
// the page keys move its highlight, the text following.
bool TgkDBCustomComboBox::RowKey(ui::TKey& key, ui::TShiftState shift)
{
    if (shift.Contains(ui::ssAlt)) return false;
    const bool arrow = key == ui::VK_UP || key == ui::VK_DOWN;
    if (arrow && !listVisible_ && !InGrid()) {
        StepRow(key == ui::VK_DOWN ? 1 : -1, false);
        OnKeyDown(this, key, shift);
        key = 0;
        return true;
    }
    if (!listVisible_ || shift.Contains(ui::ssShift) || (!arrow && key != ui::VK_PRIOR && key != ui::VK_NEXT))
        return false;
    const int count = list_->Items()->Count();
    const int page = std::max(1, std::min(dropDownCount_, count) - 1);
    const int delta = key == ui::VK_UP ? -1 : key == ui::VK_DOWN ? 1 : key == ui::VK_PRIOR ? -page : page;
    const int from = list_->ItemIndex();
    const int to = std::clamp(from < 0 ? (delta > 0 ? delta - 1 : 0) : from + delta, 0, std::max(0, count - 1));
    if (count > 0 && to != from) StepRow(to - from, true);
    key = 0;
    return true;
}

void TgkDBCustomComboBox::KeyUp(ui::TKey& key, ui::TShiftState shift)
{
    TgkDBCustomCombo::KeyUp(key, shift);
    if (!AllowClearKey || (key != ui::VK_DELETE && key != ui::VK_BACK)) return;
    if (!listVisible_ && style_ == ui::csDropDownList && !ShowMatchText)
        ClearValue();
    else if (listVisible_ && Text().empty())
        storedIndex_ = -1;
}

void TgkDBCustomComboBox::SelectByFirstChar(char key)
{
    if (list_ == nullptr || itemsChanged_) FillList();
    const rtl::TStrings& rows = *list_->Items();
    const int count = rows.Count();
    if (count == 0) return;
    const std::string prefix(1, key);
    for (int n = 1; n <= count; ++n) {
        const int i = (ItemIndex() + n + count) % count;
        if (StartsWithText(rows.Strings(i), prefix)) {
            StepRow(i - list_->ItemIndex(), listVisible_);
            return;
        }
    }
}

// ShowMatchText: completes the typed text from the first row (after the history block) that
// begins with it.
bool TgkDBCustomComboBox::MatchKey(char& key)
{
    const std::string text = Text();
    if (SelStart() + SelLength() < static_cast<int>(text.size())) return false;
    if (list_ == nullptr || itemsChanged_) FillList();
    const std::string typed = text.substr(0, static_cast<std::size_t>(SelStart())) + key;
    const rtl::TStrings& rows = *list_->Items();
    for (int i = mruRows_; i < rows.Count(); ++i) {
        const std::string row = rows.Strings(i);
        if (!StartsWithText(row, typed)) continue;
        list_->SetItemIndex(i);
        storedIndex_ = i;
        if (Field() == nullptr || !BoundNotEditing() || EditCanModify()) {
            SetText(row);
            SetModified(true);
            if (Field() != nullptr) DataLink()->SetModified();
            SetSel(static_cast<int>(typed.size()), static_cast<int>(row.size() - typed.size()));
        }
        key = 0;
        return true;
    }
    if (style_ == ui::csDropDownList) key = 0;
    return key == 0;
}

void TgkDBCustomComboBox::ListKeyPress(char key)
{
    if (list_ == nullptr) return;
    if (key == '\x1b') {
        list_->SearchText.clear();
        return;
    }
    const rtl::TStrings& rows = *list_->Items();
    std::string search;
    if (OwnerDrawn()) {
        const std::uint64_t now = Clock ? Clock() : 0;
        if (now - list_->LastSearchTick > 1500) list_->SearchText.clear();
        list_->LastSearchTick = now;
        if (key == '\b') {
            if (!list_->SearchText.empty()) list_->SearchText.pop_back();
        } else {
            list_->SearchText += key;
        }
        search = list_->SearchText;
    } else {
        search = TextAfterKey(key);
    }
    int found = -1;
    for (int i = mruRows_; i < rows.Count() && found < 0 && !search.empty(); ++i)
        if (StartsWithText(rows.Strings(i), search)) found = i;
    if (found < 0) {
        if (style_ != ui::csDropDownList && !OwnerDrawn()) list_->SetItemIndex(-1);
        return;
    }
    list_->SetItemIndex(found);
}

void TgkDBCustomComboBox::KeyPress(char& key)
{
    if (BoundWithoutField()) {
        key = 0;
        return;
    }
    const bool control = static_cast<unsigned char>(key) < 32;
    if (key == '\b' || key == 0x18) {
        if (!listVisible_ && style_ == ui::csDropDownList) {
            FillList();
            ListKeyPress(key);
        }
        if (listVisible_ && !IsTextEditable()) {
            ListKeyPress(key);
            key = 0;
            return;
        }
    }
    if (listVisible_ && !control) ListKeyPress(key);
    if ((!ShowMatchText || control) && !control && !IsTextEditable()) {
        if (!OwnerDrawn() || !listVisible_) SelectByFirstChar(key);
        if (style_ == ui::csDropDownList || OwnerDrawn()) key = 0;
    } else if (ShowMatchText && !control) {
        MatchKey(key);
    }
    if (key == 0) return;
    if (justDropped_ && !control && (style_ != ui::csDropDown || AutoDropDown)) {
        EditCanModify();
        justDropped_ = false;
    }
    if (mapList_) {
        // A mapped value is no date to fill in.
        const bool fill = AutoFillDate();
        SetAutoFillDate(false);
        const rtl::TScopeExit back([&] { SetAutoFillDate(fill); });
        TgkDBCustomCombo::KeyPress(key);
    } else {
        TgkDBCustomCombo::KeyPress(key);
    }
    if (key == '\r') key = 0;
}

void TgkDBCustomComboBox::Dispatch(ui::TMessage& m)
{
    switch (m.Msg) {
    case ui::CM_ENTER:
        if (history_->Enabled()) FillList();
        break;
    case ui::CM_EXIT:
        if (listVisible_) CloseUp(true);
        if (history_->Enabled() && Modified()) {
            AddHistoryItem(Text(), true);
            SaveHistory();
        }
        break;
    case ui::WM_CUT:
    case ui::WM_CLEAR:
        if (style_ == ui::csDropDownList && ShowMatchText && !AllowClearKey) return;
        break;
    default: break;
    }
    TgkDBCustomCombo::Dispatch(m);
}

// ---- Drawing ------------------------------------------------------------------------------

void TgkDBCustomComboBox::DrawListItem(ui::TCanvas& canvas, int index, const ui::TRect& rect, ui::TOwnerDrawState state)
{
    if (list_ == nullptr || index < 0 || index >= list_->Items()->Count()) return;
    const std::string row = list_->Items()->Strings(index);
    if (OnDrawItem && OwnerDrawn()) {
        if (!state.Contains(ui::odSelected)) canvas.FillRect(rect);
        OnDrawItem(list_, index, rect, state);
    } else {
        canvas.FillRect(rect);
        if (twoColumn_) {
            const int split = rect.Left + (column1Width_ > 0 ? column1Width_ : rect.Width() / 2);
            canvas.TextRect({rect.Left, rect.Top, split, rect.Bottom}, rect.Left + 2, rect.Top, row);
            const std::string second = mapList_ ? gkDisplayToValue(items_, row) : gkValueToDisplay(items_, row);
            canvas.TextRect({split, rect.Top, rect.Right, rect.Bottom}, split + 2, rect.Top, second);
        } else {
            canvas.TextRect(rect, rect.Left + 2, rect.Top, row);
        }
    }
    // The history block ends with a line between its last row and the first item.
    if (mruRows_ > 0 && (index == mruRows_ - 1 || index == mruRows_)) {
        const int y = index == mruRows_ - 1 ? rect.Bottom - 1 : rect.Top;
        canvas.Pen()->SetColor(rtl::clWindowText);
        canvas.MoveTo(rect.Left, y);
        canvas.LineTo(rect.Right, y);
    }
}

void TgkDBCustomComboBox::DrawText(ui::TCanvas& canvas, const ui::TRect& rect, int x, int y, const std::string& s)
{
    if (!OwnerDrawn() || !OnDrawItem) {
        TgkDBCustomCombo::DrawText(canvas, rect, x, y, s);
        return;
    }
    paintCanvas_ = &canvas;
    const rtl::TScopeExit done([this] { paintCanvas_ = nullptr; });
    if (listVisible_) {
        canvas.Brush()->SetStyle(ui::bsSolid);
        canvas.Brush()->SetColor(Color());
        canvas.FillRect(rect);
    }
    OnDrawItem(this, ItemIndex(), rect, ui::TOwnerDrawState{ui::odFocused, ui::odComboBoxEdit});
}

// ---- Registration -------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkDBComboBox, TgkDBCustomComboBox)
{
    using C = TgkDBComboBox;
    p.Boolean("MapList", &C::MapList, &C::SetMapList, false);
    p.Strings("Items", [](const C& c) { return static_cast<rtl::TStrings*>(const_cast<C&>(c).Items()); });
    p.Integer("DropDownCount", &C::DropDownCount, &C::SetDropDownCount, 8);
    p.Integer("ItemHeight", &C::ItemHeight, &C::SetItemHeight, 0);
    p.Boolean(
        "AllowClearKey", [](const C& c) { return c.AllowClearKey; }, [](C& c, bool v) { c.AllowClearKey = v; }, false);
    p.Enumeration("Style", ComboStyleInfo(), &C::Style, &C::SetStyle, ui::csDropDown);
    p.Integer("DropDownWidth", &C::DropDownWidth, &C::SetDropDownWidth, 0);
    p.Boolean(
        "AutoDropDown", [](const C& c) { return c.AutoDropDown; }, [](C& c, bool v) { c.AutoDropDown = v; }, false);
    p.Boolean(
        "ShowMatchText", [](const C& c) { return c.ShowMatchText; }, [](C& c, bool v) { c.ShowMatchText = v; }, false);
    p.Object("HistoryList", [](const C& c) { return const_cast<C&>(c).HistoryList(); });
    p.Boolean(
        "DisableDropDownList", [](const C& c) { return c.DisableDropDownList; },
        [](C& c, bool v) { c.DisableDropDownList = v; }, false);
    p.Integer("Column1Width", &C::Column1Width, &C::SetColumn1Width, 0);
    p.Boolean("TwoColumnDisplay", &C::TwoColumnDisplay, &C::SetTwoColumnDisplay, false);
    p.Boolean("Sorted", &C::Sorted, &C::SetSorted, false);
    p.Integer("ItemIndex", &C::ItemIndex, &C::SetItemIndex, -1);
    p.Boolean("ShowButton", &C::ShowButton, &C::SetShowButton, true);
    p.Enumeration("ButtonStyle", ComboButtonStyleInfo(), &C::ButtonStyle, &C::SetButtonStyle, cbsDownArrow);
    p.Object("ButtonGlyph", [](const C& c) { return c.ButtonGlyph(); }).Stored([](const C& c) {
        return c.IsButtonGlyphStored();
    });
    p.Integer("ButtonWidth", &C::ButtonWidth, &C::SetButtonWidth, 0);
    p.Object("ButtonEffects", [](const C& c) { return static_cast<TgkButtonEffects*>(c.ButtonEffects()); });
    p.Boolean("LimitEditRect", &C::LimitEditRect, &C::SetLimitEditRect, false);
    p.Event("OnDropDown", &C::OnDropDown);
    p.Event("OnCloseUp", &C::OnCloseUp);
    p.Event("OnDrawItem", &C::OnDrawItem);
    p.Event("OnMeasureItem", &C::OnMeasureItem);
    p.Event("OnAddHistoryItem", &C::OnAddHistoryItem);
}

void RegisterComboClasses() { classes::RegisterClasses<TgkDBComboBox>(); }

}  // namespace editctrls
