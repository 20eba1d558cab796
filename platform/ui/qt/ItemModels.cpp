#include "platform/ui/qt/ItemModels.h"

#include <algorithm>

#include "platform/rtl/Scope.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ItemStrings.h"
#include "platform/ui/qt/QtConvert.h"

namespace ui::qt {

QSize TRowHeightDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    s.setHeight(height_);
    return s;
}

// ---- Base ----------------------------------------------------------------------------------

namespace {

// Marks the model as passing a notice on until the scope is left.
auto MarkNoticing(bool& flag)
{
    const bool old = flag;
    flag = true;
    return rtl::TScopeExit([&flag, old] { flag = old; });
}

}  // namespace

TItemModelBase::TItemModelBase(TItemNotifier& notifier, int rows, TItemModelHooks hooks)
    : notifier_(notifier), rows_(rows), hooks_(std::move(hooks))
{
    notifier_.Attach(this);
}

TItemModelBase::~TItemModelBase() { notifier_.Detach(this); }

QModelIndex TItemModelBase::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || row >= rows_ || column < 0 || column >= columns_) return {};
    return createIndex(row, column);
}

QModelIndex TItemModelBase::parent(const QModelIndex&) const { return {}; }

int TItemModelBase::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int TItemModelBase::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

bool TItemModelBase::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != 0 || !hooks_.checkedByUser) return false;
    hooks_.checkedByUser(index.row(), value.toInt() == Qt::Checked);
    return true;
}

void TItemModelBase::ItemInserting(int index)
{
    const auto scope = MarkNoticing(noticing_);
    beginInsertRows({}, index, index);
    inserting_ = true;
}

void TItemModelBase::ItemInserted(int index)
{
    const auto scope = MarkNoticing(noticing_);
    if (!inserting_) beginInsertRows({}, index, index);
    inserting_ = false;
    ++rows_;
    endInsertRows();
    if (hooks_.changed) hooks_.changed(index, index);
}

void TItemModelBase::ItemRemoving(int index)
{
    const auto scope = MarkNoticing(noticing_);
    beginRemoveRows({}, index, index);
    removing_ = true;
}

void TItemModelBase::ItemRemoved(int index)
{
    const auto scope = MarkNoticing(noticing_);
    if (!removing_) beginRemoveRows({}, index, index);
    removing_ = false;
    --rows_;
    endRemoveRows();
}

void TItemModelBase::ItemsChanged(int first, int last)
{
    const auto scope = MarkNoticing(noticing_);
    last = std::min(last, rows_ - 1);
    if (first > last) return;
    emit dataChanged(createIndex(first, 0), createIndex(last, columns_ - 1));
    if (hooks_.changed) hooks_.changed(first, last);
}

void TItemModelBase::ItemsResetting()
{
    const auto scope = MarkNoticing(noticing_);
    beginResetModel();
    resetting_ = true;
}

void TItemModelBase::ItemsReset()
{
    const auto scope = MarkNoticing(noticing_);
    if (!resetting_) beginResetModel();
    resetting_ = false;
    rows_ = ItemCount();
    columns_ = Columns();
    endResetModel();
    if (hooks_.changed) hooks_.changed(-1, -1);
}

void TItemModelBase::SetColumns(int columns)
{
    if (columns == columns_) return;
    const auto scope = MarkNoticing(noticing_);
    beginResetModel();
    rows_ = ItemCount();
    columns_ = columns;
    endResetModel();
    if (hooks_.changed) hooks_.changed(-1, -1);
}

// ---- Item strings --------------------------------------------------------------------------

TItemStringsModel::TItemStringsModel(TItemStrings& items, bool checkable, TItemModelHooks hooks)
    : TItemModelBase(items.Notifier(), items.Count(), std::move(hooks)), items_(items), checkable_(checkable)
{
}

int TItemStringsModel::ItemCount() const { return items_.Count(); }

QVariant TItemStringsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= items_.Count()) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return Q(items_.Get(index.row()));
    case Qt::CheckStateRole:
        if (!checkable_) return {};
        return items_.Checked(index.row()) ? Qt::Checked : Qt::Unchecked;
    default: return {};
    }
}

Qt::ItemFlags TItemStringsModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (checkable_) f |= Qt::ItemIsUserCheckable;
    return f;
}

// ---- List view -----------------------------------------------------------------------------

TListViewModel::TListViewModel(TListView& view, bool icons, TItemModelHooks hooks)
    : TItemModelBase(view.Items()->Notifier(), view.Items()->Count(), std::move(hooks)),
      view_(view),
      icons_(icons),
      checkboxes_(view.Checkboxes()),
      images_(Images())
{
    SetColumns(ColumnsOfView());
}

const TImageList* TListViewModel::Images() const { return icons_ ? view_.LargeImages() : view_.SmallImages(); }

int TListViewModel::ItemCount() const { return view_.Items()->Count(); }

int TListViewModel::ColumnsOfView() const { return icons_ ? 1 : std::max(1, view_.Columns()->Count()); }

void TListViewModel::ColumnsChanged()
{
    const int columns = ColumnsOfView();
    if (columns != columnCount()) {
        SetColumns(columns);
        return;
    }
    emit headerDataChanged(Qt::Horizontal, 0, columns - 1);
    // The check boxes come and go with the view's setting, the images with its image list.
    QList<int> roles;
    if (checkboxes_ != view_.Checkboxes()) {
        checkboxes_ = view_.Checkboxes();
        roles << Qt::CheckStateRole;
    }
    if (images_ != Images()) {
        images_ = Images();
        roles << Qt::DecorationRole;
    }
    if (!roles.isEmpty() && rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), roles);
}

QVariant TListViewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= view_.Items()->Count()) return {};
    TListItem* item = view_.Items()->Item(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        if (column == 0) return Q(item->Caption());
        if (column - 1 < item->SubItems()->Count()) return Q(item->SubItems()->Get(column - 1));
        return QString();
    case Qt::DecorationRole:
        if (column != 0) return {};
        return IconOf(Images(), item->ImageIndex());
    case Qt::CheckStateRole:
        if (column != 0 || icons_ || !view_.Checkboxes()) return {};
        return item->Checked() ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
        if (icons_) return QVariant::fromValue(Qt::AlignHCenter | Qt::AlignTop);
        return {};
    default: return {};
    }
}

QVariant TListViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section < 0 || section >= view_.Columns()->Count()) return QString();
    return Q(view_.Columns()->Items(section)->Caption());
}

Qt::ItemFlags TListViewModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0 && !icons_ && view_.Checkboxes()) f |= Qt::ItemIsUserCheckable;
    return f;
}

}  // namespace ui::qt
