// The peers of the common controls: the list view (over an item model that reads the
// view's items), the page control and its tab sheets, the status bar, tool and cool bars
// and tool buttons.

#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSizeGrip>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>
#include <QTableView>
#include <qdrawutil.h>

#include <algorithm>
#include <memory>

#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/ItemModels.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/QtCanvas.h"

namespace ui::qt {

namespace {

// ---- List view -----------------------------------------------------------------------------

// Report, list and small-icon views in a table view; the icon view in a list view. The press
// reaches the control after the widget selected the item under it.
template <class Base>
class TSelectFirst : public Base {
public:
    explicit TSelectFirst(QWidget* parent) : Base(parent) {}
    std::function<void(QMouseEvent*)> afterPress;

protected:
    void mousePressEvent(QMouseEvent* e) override
    {
        Base::mousePressEvent(e);
        if (afterPress) afterPress(e);
    }
};

class TListViewPeer : public TPeer {
public:
    using TPeer::TPeer;
    ~TListViewPeer() override
    {
        // The widget outlives the peer for a moment (it goes later): it must not read the
        // model, which goes now.
        if (widget_) view_->setModel(nullptr);
    }

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        auto& v = static_cast<TListView&>(control_);
        mouseDownAfter_ = true;
        const auto pressed = [this](QWidget* viewport, QMouseEvent* e) {
            const QPoint p = ToClient(viewport, e->position().toPoint());
            Call([&] { control_.MouseDown(ButtonOf(e->button()), ShiftOf(e->modifiers(), e->buttons()), p.x(), p.y()); });
        };
        TItemModelHooks hooks;
        hooks.checkedByUser = [this](int row, bool checked) {
            auto& view = static_cast<TListView&>(control_);
            if (!view.Checkboxes() || row >= view.Items()->Count()) return;
            if (view.Items()->Item(row)->Checked() != checked) Call([&] { view.CheckByUser(row, checked); });
        };
        hooks.changed = [this](int first, int last) { SyncSelection(first, last); };
        model_ = std::make_unique<TListViewModel>(v, v.ViewStyle() == vsIcon, std::move(hooks));
        if (v.ViewStyle() == vsIcon) {
            auto* icons = new TSelectFirst<QListView>(parent);
            view_ = icons;
            icons->setViewMode(QListView::IconMode);
            icons->setMovement(QListView::Static);
            icons->setResizeMode(QListView::Adjust);
            icons->setGridSize(QSize(TListView::kIconCellWidth, TListView::kIconCellHeight));
            icons->setIconSize(QSize(TListView::kIconSize, TListView::kIconSize));
            icons->setWordWrap(true);
            icons->setUniformItemSizes(true);
            icons->afterPress = [this, pressed](QMouseEvent* e) { pressed(view_->viewport(), e); };
        } else {
            // A table rather than a tree: it finds any row's place at once, where a tree
            // searches its rows for one out of sight.
            auto* table = new TSelectFirst<QTableView>(parent);
            view_ = table_ = table;
            table->setShowGrid(false);
            table->setWordWrap(false);
            table->setTabKeyNavigation(false);
            table->setCornerButtonEnabled(false);
            table->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
            table->verticalHeader()->hide();
            table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            table->verticalHeader()->setMinimumSectionSize(1);
            table->verticalHeader()->setDefaultSectionSize(TListView::kRowHeight);
            table->horizontalHeader()->setFixedHeight(TListView::kHeaderHeight);
            table->horizontalHeader()->setStretchLastSection(false);
            table->horizontalHeader()->setSectionsMovable(false);
            table->horizontalHeader()->setHighlightSections(false);
            table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            table->afterPress = [this, pressed](QMouseEvent* e) { pressed(view_->viewport(), e); };
            connect(table->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
                Call([&] { static_cast<TListView&>(control_).ColumnClickByUser(column); });
            });
        }
        view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view_->setModel(model_.get());
        Watch(view_->viewport());
        connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UserSelected(); });
        connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this,
                [this](int value) { Call([&] { static_cast<TListView&>(control_).ScrolledByUser(value); }); });
        return view_;
    }

    void UserSelected()
    {
        if (syncing_ || model_->Noticing()) return;
        std::vector<int> rows;
        for (const QModelIndex& index : view_->selectionModel()->selectedIndexes()) rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        const int current = view_->currentIndex().isValid() ? view_->currentIndex().row() : -1;
        Call([&] { static_cast<TListView&>(control_).SelectByUser(rows, current); });
    }

    // The view-wide state; the items come through the model.
    void Sync() override
    {
        auto& v = static_cast<TListView&>(control_);
        const int columnsBefore = model_->columnCount();
        model_->ColumnsChanged();
        view_->setSelectionMode(v.MultiSelect() ? QAbstractItemView::ExtendedSelection
                                                : QAbstractItemView::SingleSelection);
        if (table_ != nullptr) {
            for (int c = 0; c < v.Columns()->Count(); ++c)
                if (table_->columnWidth(c) != v.Columns()->Items(c)->Width())
                    table_->setColumnWidth(c, v.Columns()->Items(c)->Width());
            // Without columns the one column of captions fills the view.
            if (v.Columns()->Count() == 0) table_->setColumnWidth(0, std::max(0, v.ClientWidth() - 2 * table_->frameWidth()));
            table_->horizontalHeader()->setVisible(v.ViewStyle() == vsReport && v.ShowColumnHeaders());
            table_->setShowGrid(v.GridLines());
            const auto behaviour = v.RowSelect() ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems;
            // Rows selected before the columns came hold only their first cell: select them
            // again so that a whole-row selection covers the row.
            const bool reselect = columnsBefore != model_->columnCount() || table_->selectionBehavior() != behaviour;
            table_->setSelectionBehavior(behaviour);
            if (reselect) {
                SyncSelection(-1, -1);
                return;
            }
        }
        SyncCurrent();
    }

private:
    // Rows first..last of the selection model follow the items' selected flags (-1: all).
    void SyncSelection(int first, int last)
    {
        auto& v = static_cast<TListView&>(control_);
        QItemSelectionModel* selection = view_ != nullptr ? view_->selectionModel() : nullptr;
        if (selection == nullptr) return;
        // The view hears of the selection and repaints what changed; UserSelected knows the
        // change is the model's (or Sync's) doing.
        const int count = std::min(v.Items()->Count(), model_->rowCount());
        if (first < 0) {
            QItemSelection rows;
            for (int i = 0; i < count; ++i)
                if (v.Items()->Item(i)->Selected()) rows.select(model_->index(i, 0), model_->index(i, 0));
            selection->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        } else {
            for (int i = first; i <= last && i < count; ++i) {
                const bool wanted = v.Items()->Item(i)->Selected();
                const QModelIndex index = model_->index(i, 0);
                if (selection->isSelected(index) != wanted)
                    selection->select(index, (wanted ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                                                 QItemSelectionModel::Rows);
            }
        }
        SyncCurrent();
    }

    void SyncCurrent()
    {
        auto& v = static_cast<TListView&>(control_);
        QItemSelectionModel* selection = view_ != nullptr ? view_->selectionModel() : nullptr;
        if (selection == nullptr || v.ItemFocused() == nullptr) return;
        const int row = v.ItemFocused()->Index();
        if (row < model_->rowCount() && selection->currentIndex().row() != row)
            selection->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::NoUpdate);
    }

    std::unique_ptr<TListViewModel> model_;
    QAbstractItemView* view_ = nullptr;
    QTableView* table_ = nullptr;
};

// The tab bar of an owner-drawn page control: the control draws each tab's face over the
// toolkit's tab shape.
class TOwnerDrawTabBar : public QTabBar {
public:
    TOwnerDrawTabBar(QWidget* parent, TPageControl& pages) : QTabBar(parent), pages_(pages) {}

protected:
    // The owner draws the caption as written (an "&" is text, not a mnemonic) and may draw
    // it bold, as for the selected tab: every tab has room for that, with the toolkit's
    // margins on both sides of it inside the face the owner draws on.
    QSize tabSizeHint(int index) const override
    {
        QSize size = QTabBar::tabSizeHint(index);
        if (!pages_.OwnerDraw()) return size;
        QFont bold = font();
        bold.setBold(true);
        const int text = QFontMetrics(bold).horizontalAdvance(tabText(index));
        const int margins = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, this);
        size.setWidth(std::max(size.width(), text + margins + 2 * kFaceInset));
        return size;
    }

    void paintEvent(QPaintEvent* e) override
    {
        QTabBar::paintEvent(e);
        if (!pages_.OwnerDraw()) return;
        QPainter painter(this);
        // Control coordinates: the bar stands at its place inside the control.
        painter.translate(-x(), -y());
        TQtDevice device(painter);
        pages_.Canvas()->SetDevice(&device);
        for (int i = 0; i < count(); ++i) {
            const QRect r = tabRect(i).adjusted(kFaceInset, 3, -kFaceInset, -1).translated(pos());
            Application().SafeCall(&pages_, [&] {
                pages_.DrawTab(i, {r.left(), r.top(), r.right() + 1, r.bottom() + 1}, i == currentIndex());
            });
        }
        pages_.Canvas()->SetDevice(nullptr);
    }

private:
    // The tab's own shape shows this far on each side of the owner's face.
    static constexpr int kFaceInset = 3;
    TPageControl& pages_;
};


// ---- Page control --------------------------------------------------------------------------

class TPageControlPeer : public TPaintPeer {
public:
    explicit TPageControlPeer(TControl& control) : TPaintPeer(control, false) {}

protected:
    void Paint(QPainter& p, QWidget& w) override
    {
        const TRect r = static_cast<TPageControl&>(control_).DisplayRect();
        qDrawShadePanel(&p, QRect(r.Left - 2, r.Top - 2, r.Width() + 4, r.Height() + 4), w.palette(), false, 1);
    }
    void AddChildren(QWidget* w) override
    {
        tabs_ = new TOwnerDrawTabBar(w, static_cast<TPageControl&>(control_));
        tabs_->setDrawBase(false);
        tabs_->setExpanding(false);
        connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
            // A refused change puts the old tab back.
            React([&] { static_cast<TPageControl&>(control_).SelectTabByUser(index); });
        });
    }
    void Sync() override
    {
        auto& pc = static_cast<TPageControl&>(control_);
        const QSignalBlocker block(tabs_);
        QStringList captions;
        for (int i = 0; i < pc.PageCount(); ++i)
            if (pc.Pages(i)->TabVisible()) captions << Q(pc.Pages(i)->Caption());
        bool same = tabs_->count() == captions.size();
        for (int i = 0; same && i < captions.size(); ++i) same = tabs_->tabText(i) == captions[i];
        if (!same) {
            while (tabs_->count() > 0) tabs_->removeTab(0);
            for (const QString& c : captions) tabs_->addTab(c);
        }
        const int height = pc.TabHeight() > 0 ? pc.TabHeight() : TPageControl::kTabHeight;
        tabs_->setGeometry(2, 0, std::max(0, pc.Width() - 4), height);
        tabs_->setVisible(!captions.isEmpty());
        if (pc.ActivePage() != nullptr && pc.ActivePage()->TabIndex() >= 0)
            tabs_->setCurrentIndex(pc.ActivePage()->TabIndex());
        widget_->update();
    }

public:
    QTabBar* tabs_ = nullptr;
};

class TTabSheetPeer : public TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        auto* w = new QWidget(parent);
        w->setAutoFillBackground(true);
        return w;
    }
    void Sync() override
    {
        QPalette pal = widget_->palette();
        pal.setColor(QPalette::Window, ToQColor(control_.Color()));
        widget_->setPalette(pal);
    }
};


// ---- Bars ----------------------------------------------------------------------------------

class TStatusBarPeer : public TPaintPeer {
public:
    explicit TStatusBarPeer(TControl& control) : TPaintPeer(control, true) {}

protected:
    void Paint(QPainter& p, QWidget& w) override
    {
        auto& bar = static_cast<TStatusBar&>(control_);
        p.fillRect(w.rect(), ToQColor(bar.Color()));
        p.setPen(ToQColor(bar.Font()->Color()));
        if (bar.SimplePanel() || bar.Panels()->Count() == 0) {
            p.drawText(w.rect().adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter, Q(bar.SimpleText()));
            return;
        }
        for (int i = 0; i < bar.Panels()->Count(); ++i) {
            const TStatusPanel* panel = bar.Panels()->Items(i);
            const TRect r = bar.PanelRect(i);
            QRect q(r.Left, r.Top + 2, r.Width() - 2, r.Height() - 2);
            if (panel->Bevel() != pbNone) qDrawShadePanel(&p, q, w.palette(), panel->Bevel() == pbLowered, 1);
            p.drawText(q.adjusted(3, 0, -3, 0), static_cast<int>(ToQAlign(panel->Alignment()) | Qt::AlignVCenter),
                       Q(panel->Text()));
        }
    }
    void AddChildren(QWidget* w) override { grip_ = new QSizeGrip(w); }
    void Sync() override
    {
        auto& bar = static_cast<TStatusBar&>(control_);
        grip_->setVisible(bar.SizeGrip());
        grip_->setGeometry(bar.Width() - 16, bar.Height() - 16, 16, 16);
        widget_->update();
    }

private:
    QSizeGrip* grip_ = nullptr;
};

class TBarPeer : public TPaintPeer {
public:
    explicit TBarPeer(TControl& control) : TPaintPeer(control, true) {}

protected:
    void Paint(QPainter& p, QWidget& w) override
    {
        p.fillRect(w.rect(), ToQColor(control_.Color()));
        if (dynamic_cast<TCoolBar*>(&control_) != nullptr) qDrawShadePanel(&p, w.rect(), w.palette(), false, 1);
    }
};

class TToolButtonPeer : public TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        auto& b = static_cast<TToolButton&>(control_);
        if (b.Style() == tbsSeparator || b.Style() == tbsDivider) {
            auto* line = new QFrame(parent);
            line->setFrameShape(b.Style() == tbsDivider ? QFrame::VLine : QFrame::NoFrame);
            line->setFrameShadow(QFrame::Sunken);
            return line;
        }
        button_ = new QToolButton(parent);
        button_->setFocusPolicy(Qt::NoFocus);
        connect(button_, &QToolButton::clicked, this, [this] {
            React([&] { control_.Click(); });
        });
        return button_;
    }
    void Sync() override
    {
        if (button_ == nullptr) return;
        auto& b = static_cast<TToolButton&>(control_);
        const TToolBar* bar = b.ToolBar();
        const QIcon icon = IconOf(bar != nullptr ? bar->Images() : nullptr, b.ImageIndex());
        button_->setIcon(icon);
        button_->setText(Q(b.Caption()));
        const bool captions = bar == nullptr || bar->ShowCaptions() || icon.isNull();
        button_->setToolButtonStyle(!captions        ? Qt::ToolButtonIconOnly
                                    : icon.isNull() ? Qt::ToolButtonTextOnly
                                    : bar != nullptr && bar->List() ? Qt::ToolButtonTextBesideIcon
                                                                    : Qt::ToolButtonTextUnderIcon);
        button_->setCheckable(b.Style() == tbsCheck);
        button_->setChecked(b.Down());
        button_->setDown(b.Down() && b.Style() != tbsCheck);
        button_->setAutoRaise(bar == nullptr || bar->Flat());
        button_->setArrowType(Qt::NoArrow);
    }

private:
    QToolButton* button_ = nullptr;
};

}  // namespace

void RegisterComCtrlPeers()
{
    RegisterPeer<TListView, TListViewPeer>();
    RegisterPeer<TPageControl, TPageControlPeer>();
    RegisterPeer<TTabSheet, TTabSheetPeer>();
    RegisterPeer<TStatusBar, TStatusBarPeer>();
    RegisterPeer<TToolButton, TToolButtonPeer>();
    RegisterPeer<TToolBar, TBarPeer>();
    RegisterPeer<TCoolBar, TBarPeer>();
}

}  // namespace ui::qt
