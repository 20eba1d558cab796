#pragma once
// The column model's rows shown in a list view control (the design window's column list).

#include "designer/ColumnModel.h"

namespace ui {
class TListView;
}

namespace designer {

// Keeps a list view's items as the column model's rows: caption, check box and six
// sub-items per item; the selection is the view's selected item.
class TColumnListViewAdapter : public IColumnListView {
public:
    explicit TColumnListViewAdapter(ui::TListView& view) : view_(view) {}

    void Clear() override;
    int Count() const override;
    void Add(const TColumnListItem& item) override;
    TColumnListItem Item(int index) const override;
    void SetItem(int index, const TColumnListItem& item) override;
    void SetSelected(int index) override;
    int Selected() const override;

private:
    ui::TListView& view_;
};

}  // namespace designer
