#pragma once
// Item models over the controls' own items, so that the toolkit's item views pull only the
// rows they show and a change of one item costs one row. Each model observes the control's
// item notices (inserted, removed, changed, reset) and turns each into the matching model
// signal; it keeps nothing but the row count the view has been told, and reads every text,
// flag and image from the control when asked.
//
// A model lives no longer than its control's peer, and a peer no longer than its control.

#include <QAbstractItemModel>
#include <QStyledItemDelegate>

#include <functional>

#include "platform/ui/ItemNotices.h"

namespace ui {
class TImageList;
class TItemStrings;
class TListView;
}  // namespace ui

namespace ui::qt {

// Row heights fixed by the control, so that its hit tests match what is drawn.
class TRowHeightDelegate : public QStyledItemDelegate {
public:
    TRowHeightDelegate(QObject* parent, int height) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void SetHeight(int h) { height_ = h; }

private:
    int height_;
};

// What the peers of the list models hear besides the model signals.
struct TItemModelHooks {
    // The user checked or unchecked a row's box.
    std::function<void(int row, bool checked)> checkedByUser;
    // After rows first..last changed, or (-1, -1) after a reset: the view's selection and
    // current row follow the control's again.
    std::function<void(int first, int last)> changed;
};

// Base of both models: the notices and the row count the view knows.
class TItemModelBase : public QAbstractItemModel, public IItemObserver {
public:
    TItemModelBase(TItemNotifier& notifier, int rows, TItemModelHooks hooks);
    ~TItemModelBase() override;

    // True while a notice is being passed on: selection signals the view sends then are the
    // model's doing, not the user's.
    bool Noticing() const noexcept { return noticing_; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void ItemInserting(int index) override;
    void ItemInserted(int index) override;
    void ItemRemoving(int index) override;
    void ItemRemoved(int index) override;
    void ItemsChanged(int first, int last) override;
    void ItemsResetting() override;
    void ItemsReset() override;

protected:
    virtual int ItemCount() const = 0;
    virtual int Columns() const { return 1; }
    // Starts over with `columns` columns (a reset when their number changed).
    void SetColumns(int columns);

private:
    TItemNotifier& notifier_;
    int rows_;
    int columns_ = 1;
    bool noticing_ = false;
    // Between an ...ing notice and its partner.
    bool inserting_ = false;
    bool removing_ = false;
    bool resetting_ = false;
    TItemModelHooks hooks_;
};

// The items of a list box, check list box or combo box: one column of texts (with check
// boxes when `checkable`).
class TItemStringsModel : public TItemModelBase {
public:
    TItemStringsModel(TItemStrings& items, bool checkable, TItemModelHooks hooks);

    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

protected:
    int ItemCount() const override;

private:
    TItemStrings& items_;
    bool checkable_;
};

// The items of a list view: the caption and the sub-items in report columns, the image of
// the view's small (rows) or large (icons) image list, the check box when the view has them.
class TListViewModel : public TItemModelBase {
public:
    TListViewModel(TListView& view, bool icons, TItemModelHooks hooks);

    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The view's own state changed: its columns (their number or captions), its check
    // boxes or its image list.
    void ColumnsChanged();

protected:
    int ItemCount() const override;

private:
    int ColumnsOfView() const;
    const TImageList* Images() const;
    TListView& view_;
    bool icons_;
    bool checkboxes_;
    const TImageList* images_;
};

}  // namespace ui::qt
