#pragma once
// The visual query's dialogs, each a stored form (forms/<class>.gwf) with its handlers bound
// by name. Questions and warnings go through the dialog service, so every dialog is driven
// without a window in the tests.
//
// TfrmVSort, the Sort dialog: the query's sort entries in order ("alias.field" with the
// direction glyph and the 1-based position); dragging an entry onto another moves it there in
// the list and in the query's sort list at once, so the boxes show the new positions. Cancel
// puts back the order the dialog opened with; OK keeps the new one.

#include <vector>

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

namespace vquery {

class TmfVQuery;
class TmfVQueryField;

class TfrmVSort : public ui::TForm {
    GW_CLASS(TfrmVSort)

public:
    explicit TfrmVSort(TmfVQuery* query);

    ui::TListBox* List() const { return list_; }
    // Fills the list from the sort list and shows the dialog modally; the modal result.
    int Execute();

    // The drop of the entry pressed last onto the row at client point (x, y) of the list.
    void lbVSortsDragDrop(classes::TObject* sender, classes::TObject* source, int x, int y);

private:
    void lbVSortsDrawItem(ui::TWinControl* control, int index, const ui::TRect& rect, ui::TOwnerDrawState state);
    void lbVSortsMouseDown(classes::TObject* sender, ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    void lbVSortsDragOver(classes::TObject* sender, classes::TObject* source, int x, int y, ui::TDragState state,
                          bool& accept);
    void lbVSortsDblClick(classes::TObject* sender);

    TmfVQuery* query_;
    ui::TListBox* list_ = nullptr;
    int dragSource_ = -1;
};

}  // namespace vquery
