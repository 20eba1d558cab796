#include "platform/ui/ItemStrings.h"

#include <algorithm>

#include "platform/rtl/Exceptions.h"

namespace ui {

void TItemStrings::Check(int index) const
{
    if (index < 0 || index >= GetCount()) IndexError(index);
}

void TItemStrings::CheckNotSorted() const
{
    if (sorted_) throw rtl::EListError("Operation not allowed on sorted list");
}

void TItemStrings::Changed()
{
    if (UpdateCount() == 0 && OnChange) OnChange();
}

void TItemStrings::SetUpdateState(bool updating)
{
    if (updating) return;
    notifier_.EndUpdate();
    Changed();
}

std::string TItemStrings::Get(int index) const
{
    Check(index);
    return items_[static_cast<std::size_t>(index)].text;
}

int TItemStrings::GetCount() const { return static_cast<int>(items_.size()); }

void TItemStrings::Put(int index, const std::string& s)
{
    CheckNotSorted();
    Check(index);
    std::string& text = items_[static_cast<std::size_t>(index)].text;
    if (text == s) return;
    text = s;
    notifier_.Changed(index, Updating());
    Changed();
}

std::any TItemStrings::GetObject(int index) const
{
    Check(index);
    return items_[static_cast<std::size_t>(index)].object;
}

void TItemStrings::PutObject(int index, std::any object)
{
    Check(index);
    items_[static_cast<std::size_t>(index)].object = std::move(object);
}

void TItemStrings::Insert(int index, const std::string& s)
{
    CheckNotSorted();
    if (index < 0 || index > GetCount()) IndexError(index);
    notifier_.Inserting(index, Updating());
    items_.insert(items_.begin() + index, Item{s, {}, false, false});
    notifier_.Inserted(index, Updating());
    Changed();
}

int TItemStrings::Add(const std::string& s)
{
    if (!sorted_) return TStrings::Add(s);
    // After the last item that does not sort after s, so equal items keep their order.
    const auto it = std::upper_bound(items_.begin(), items_.end(), s, [this](const std::string& v, const Item& item) {
        return CompareStrings(v, item.text) < 0;
    });
    const auto index = static_cast<int>(it - items_.begin());
    notifier_.Inserting(index, Updating());
    items_.insert(items_.begin() + index, Item{s, {}, false, false});
    notifier_.Inserted(index, Updating());
    Changed();
    return index;
}

void TItemStrings::Delete(int index)
{
    Check(index);
    notifier_.Removing(index, Updating());
    items_.erase(items_.begin() + index);
    notifier_.Removed(index, Updating());
    Changed();
}

void TItemStrings::Clear()
{
    if (items_.empty()) return;
    notifier_.Resetting(Updating());
    items_.clear();
    notifier_.Reset(Updating());
    Changed();
}

void TItemStrings::Exchange(int index1, int index2)
{
    CheckNotSorted();
    Check(index1);
    Check(index2);
    if (index1 == index2) return;
    std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
    notifier_.Changed(index1, Updating());
    notifier_.Changed(index2, Updating());
    Changed();
}

void TItemStrings::Move(int curIndex, int newIndex)
{
    CheckNotSorted();
    Check(curIndex);
    Check(newIndex);
    if (curIndex == newIndex) return;
    notifier_.Resetting(Updating());
    Item item = std::move(items_[static_cast<std::size_t>(curIndex)]);
    items_.erase(items_.begin() + curIndex);
    items_.insert(items_.begin() + newIndex, std::move(item));
    notifier_.Reset(Updating());
    Changed();
}

void TItemStrings::SetSorted(bool sorted)
{
    if (sorted == sorted_) return;
    sorted_ = sorted;
    if (sorted_) {
        notifier_.Resetting(Updating());
        std::stable_sort(items_.begin(), items_.end(),
                         [this](const Item& a, const Item& b) { return CompareStrings(a.text, b.text) < 0; });
        notifier_.Reset(Updating());
        Changed();
    }
}

bool TItemStrings::Checked(int index) const
{
    Check(index);
    return items_[static_cast<std::size_t>(index)].checked;
}

void TItemStrings::SetChecked(int index, bool checked)
{
    Check(index);
    auto& item = items_[static_cast<std::size_t>(index)];
    if (item.checked == checked) return;
    item.checked = checked;
    notifier_.Changed(index, Updating());
    Changed();
}

bool TItemStrings::Selected(int index) const
{
    Check(index);
    return items_[static_cast<std::size_t>(index)].selected;
}

void TItemStrings::SetSelected(int index, bool selected)
{
    Check(index);
    auto& item = items_[static_cast<std::size_t>(index)];
    if (item.selected == selected) return;
    item.selected = selected;
    notifier_.Changed(index, Updating());
    Changed();
}

int TItemStrings::SelCount() const
{
    return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](const Item& i) { return i.selected; }));
}

}  // namespace ui
