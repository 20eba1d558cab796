#include "designer/ColumnListView.h"

#include "platform/rtl/Scope.h"
#include "platform/ui/ComCtrls.h"

namespace designer {

namespace {

void Fill(ui::TListItem& target, const TColumnListItem& item)
{
    target.SetCaption(item.Caption);
    target.SetChecked(item.Checked);
    ui::TItemStrings& subItems = *target.SubItems();
    auto update = rtl::MakeScope(subItems, &ui::TItemStrings::BeginUpdate, &ui::TItemStrings::EndUpdate);
    subItems.Clear();
    for (const std::string& s : item.SubItems) subItems.Add(s);
}

}  // namespace

void TColumnListViewAdapter::Clear() { view_.Items()->Clear(); }

int TColumnListViewAdapter::Count() const { return view_.Items()->Count(); }

void TColumnListViewAdapter::Add(const TColumnListItem& item) { Fill(*view_.Items()->Add(), item); }

TColumnListItem TColumnListViewAdapter::Item(int index) const
{
    ui::TListItem& source = *view_.Items()->Item(index);
    TColumnListItem item;
    item.Caption = source.Caption();
    item.Checked = source.Checked();
    const ui::TItemStrings& subItems = *source.SubItems();
    for (int k = 0; k < static_cast<int>(item.SubItems.size()) && k < subItems.Count(); ++k)
        item.SubItems[static_cast<std::size_t>(k)] = subItems.Strings(k);
    return item;
}

void TColumnListViewAdapter::SetItem(int index, const TColumnListItem& item) { Fill(*view_.Items()->Item(index), item); }

void TColumnListViewAdapter::SetSelected(int index) { view_.SetItemIndex(index); }

int TColumnListViewAdapter::Selected() const { return view_.ItemIndex(); }

}  // namespace designer
