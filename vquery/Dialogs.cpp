#include "vquery/Dialogs.h"

#include <string>

#include "platform/ui/Canvas.h"
#include "vquery/Glyphs.h"
#include "vquery/VQuery.h"

namespace vquery {

// ---- TfrmVSort -------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TfrmVSort, ui::TForm) {}

TfrmVSort::TfrmVSort(TmfVQuery* query) : TForm(query), query_(query)
{
    RegisterHandler("lbVSortsDrawItem", this, &TfrmVSort::lbVSortsDrawItem);
    RegisterHandler("lbVSortsMouseDown", this, &TfrmVSort::lbVSortsMouseDown);
    RegisterHandler("lbVSortsDragOver", this, &TfrmVSort::lbVSortsDragOver);
    RegisterHandler("lbVSortsDragDrop", this, &TfrmVSort::lbVSortsDragDrop);
    RegisterHandler("lbVSortsDblClick", this, &TfrmVSort::lbVSortsDblClick);
    LoadDescription("TfrmVSort");
    list_ = Get<ui::TListBox>("lbVSorts");
}

int TfrmVSort::Execute()
{
    const std::vector<TmfVQueryField*> opened = query_->SortList();
    list_->Items()->Clear();
    for (TmfVQueryField* f : opened) list_->Items()->AddObject(f->Table->Alias() + "." + f->FieldName, f);
    const int result = ShowModal();
    if (result != ui::mrOk) query_->RestoreSortOrder(opened);
    return result;
}

void TfrmVSort::lbVSortsDrawItem(ui::TWinControl*, int index, const ui::TRect& rect, ui::TOwnerDrawState)
{
    ui::TCanvas& c = *list_->Canvas();
    c.FillRect(rect);
    auto* f = list_->Items()->ObjectAs<TmfVQueryField*>(index);
    if (f != nullptr)
        DrawGlyph(c, rect.Left, rect.Top, f->SortDirection == 2 ? *query_->SortDESCPic() : *query_->SortASCPic());
    c.TextOut(rect.Left + 17, rect.Top + 2, std::to_string(index + 1));
    c.TextOut(rect.Left + 25, rect.Top + 2, list_->Items()->Strings(index));
}

void TfrmVSort::lbVSortsMouseDown(classes::TObject*, ui::TMouseButton, ui::TShiftState, int x, int y)
{
    dragSource_ = list_->ItemAtPos({x, y}, true);
}

void TfrmVSort::lbVSortsDragOver(classes::TObject*, classes::TObject* source, int, int, ui::TDragState, bool& accept)
{
    accept = source == list_ || dynamic_cast<TmfVQueryListBox*>(source) != nullptr;
}

void TfrmVSort::lbVSortsDragDrop(classes::TObject*, classes::TObject* source, int x, int y)
{
    // Only a drag that started in this list moves an entry.
    if (source != list_) return;
    const int target = list_->ItemAtPos({x, y}, true);
    const int n = list_->Items()->Count();
    if (dragSource_ < 0 || target < 0 || dragSource_ >= n || dragSource_ == target) return;
    list_->Items()->Move(dragSource_, target);
    query_->MoveSortField(dragSource_, target);
    list_->SetItemIndex(target);
    dragSource_ = target;
    list_->Invalidate();
}

void TfrmVSort::lbVSortsDblClick(classes::TObject*) {}

}  // namespace vquery
