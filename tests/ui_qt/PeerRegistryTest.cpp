// Peers found through the class ancestry, and the item models of the list-like peers: one
// item inserted, removed or changed reaches the view as one row, never as a reset, and the
// models keep the toolkit's contract (a model tester aborts the run when they break it).

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/QtUi.h"

namespace testpeers {

// A control class the backend has never heard of, below a standard one.
class TSubEdit : public ui::TEdit {
    GW_CLASS(TSubEdit)

public:
    using TEdit::TEdit;
};
GW_IMPLEMENT_CLASS(TSubEdit, ui::TEdit) {}

class TSubCheckList : public ui::TCheckListBox {
    GW_CLASS(TSubCheckList)

public:
    using TCheckListBox::TCheckListBox;
};
GW_IMPLEMENT_CLASS(TSubCheckList, ui::TCheckListBox) {}

// A windowed control with no peer anywhere in its ancestry.
class TBareControl : public ui::TWinControl {
    GW_CLASS(TBareControl)

public:
    using TWinControl::TWinControl;
};
GW_IMPLEMENT_CLASS(TBareControl, ui::TWinControl) {}

// A button kind with a peer of its own, registered after the button's.
class TLabelButton : public ui::TButton {
    GW_CLASS(TLabelButton)

public:
    using TButton::TButton;
};
GW_IMPLEMENT_CLASS(TLabelButton, ui::TButton) {}

class TLabelButtonPeer : public ui::qt::TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override { return new QLabel(parent); }
};

}  // namespace testpeers

namespace {

using namespace ui;
using namespace testpeers;

class PeerLookup : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qt::Install(); }
    void SetUp() override { form = std::make_unique<TForm>(nullptr); form->SetBounds(20, 20, 400, 300); }
    void TearDown() override
    {
        form.reset();
        Application().ProcessMessages();
    }
    template <class C>
    C* Add(TWinControl* parent = nullptr)
    {
        auto* c = new C(form.get());
        c->SetParent(parent != nullptr ? parent : form.get());
        return c;
    }
    void Show()
    {
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(qt::WidgetOf(*form)));
    }
    std::unique_ptr<TForm> form;
};

TEST_F(PeerLookup, ASubclassGetsItsFamilysPeerAndAnUnknownClassTheGenericOne)
{
    qt::RegisterPeer<TLabelButton, TLabelButtonPeer>();
    auto* sub = Add<TSubEdit>();
    sub->SetText("typed");
    auto* checks = Add<TSubCheckList>();
    checks->Items()->SetCommaText("x,y");
    checks->SetChecked(1, true);
    auto* bare = Add<TBareControl>();
    bare->SetBounds(200, 10, 150, 100);
    auto* inside = Add<TEdit>(bare);
    auto* button = Add<TButton>();
    auto* labelButton = Add<TLabelButton>();
    Show();

    auto* edit = qobject_cast<QLineEdit*>(qt::WidgetOf(*sub));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "typed");
    EXPECT_EQ(qt::FindPeerMaker(TSubEdit::StaticClassInfo()), qt::FindPeerMaker(TEdit::StaticClassInfo()));

    auto* list = qobject_cast<QListView*>(qt::WidgetOf(*checks));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->model()->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);

    // The generic peer: a plain area, which still holds the control's children.
    EXPECT_EQ(qt::FindPeerMaker(TBareControl::StaticClassInfo()), nullptr);
    QWidget* area = qt::WidgetOf(*bare);
    ASSERT_NE(area, nullptr);
    EXPECT_STREQ(area->metaObject()->className(), "QWidget");
    EXPECT_EQ(area->geometry(), QRect(200, 10, 150, 100));
    ASSERT_NE(qt::WidgetOf(*inside), nullptr);
    EXPECT_EQ(qt::WidgetOf(*inside)->parentWidget(), area);

    // The nearest registration wins, whatever the order they were made in.
    EXPECT_NE(qobject_cast<QPushButton*>(qt::WidgetOf(*button)), nullptr);
    EXPECT_NE(qobject_cast<QLabel*>(qt::WidgetOf(*labelButton)), nullptr);
}

// Writes down what a model tells its views.
struct TModelLog {
    std::vector<std::string> entries;
    QObject context;  // the connections go with the log
    void Watch(QAbstractItemModel* model)
    {
        QObject::connect(model, &QAbstractItemModel::rowsInserted, &context, [this](const QModelIndex&, int first, int last) {
            entries.push_back("inserted " + std::to_string(first) + "-" + std::to_string(last));
        });
        QObject::connect(model, &QAbstractItemModel::rowsRemoved, &context, [this](const QModelIndex&, int first, int last) {
            entries.push_back("removed " + std::to_string(first) + "-" + std::to_string(last));
        });
        QObject::connect(model, &QAbstractItemModel::dataChanged, &context, [this](const QModelIndex& a, const QModelIndex& b) {
            entries.push_back("changed " + std::to_string(a.row()) + "-" + std::to_string(b.row()));
        });
        QObject::connect(model, &QAbstractItemModel::modelReset, &context, [this] { entries.push_back("reset"); });
    }
};

using Log = std::vector<std::string>;

TEST_F(PeerLookup, ListViewRowsArriveOneByOne)
{
    auto* view = Add<TListView>();
    view->SetViewStyle(vsReport);
    view->SetBounds(10, 10, 300, 200);
    view->Columns()->Add()->SetCaption("Name");
    view->Columns()->Add()->SetCaption("Value");
    for (int i = 0; i < 5; ++i) {
        TListItem* item = view->Items()->Add();
        item->SetCaption("item " + std::to_string(i));
        item->SubItems()->Add("value " + std::to_string(i));
    }
    Show();
    auto* table = qobject_cast<QTableView*>(qt::WidgetOf(*view));
    ASSERT_NE(table, nullptr);
    QAbstractItemModel* model = table->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    TModelLog log;
    log.Watch(model);
    ASSERT_EQ(model->rowCount(), 5);
    EXPECT_EQ(model->columnCount(), 2);
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Value");

    view->Items()->Item(3)->SetCaption("three");
    view->Items()->Item(3)->SetCaption("three");  // unchanged: not a word
    EXPECT_EQ(log.entries, (Log{"changed 3-3"}));
    EXPECT_EQ(model->index(3, 0).data().toString(), "three");

    log.entries.clear();
    view->Items()->Insert(1)->SetCaption("new");
    view->Items()->Delete(4);
    EXPECT_EQ(log.entries, (Log{"inserted 1-1", "changed 1-1", "removed 4-4"}));
    ASSERT_EQ(model->rowCount(), 5);
    EXPECT_EQ(model->index(1, 0).data().toString(), "new");
    EXPECT_EQ(model->index(4, 1).data().toString(), "value 4");

    // Selection set by the program shows on its row alone.
    log.entries.clear();
    view->Items()->Item(2)->SetSelected(true);
    EXPECT_EQ(log.entries, (Log{"changed 2-2"}));
    EXPECT_TRUE(table->selectionModel()->isRowSelected(2, {}));
    EXPECT_FALSE(table->selectionModel()->isRowSelected(1, {}));
    EXPECT_EQ(view->ItemIndex(), 2);  // the view's own selection signal did not come back

    // The view's own state: another image list shows in every row at once.
    TImageList images(form.get());
    images.AddPixels(std::vector<std::uint32_t>(static_cast<std::size_t>(images.Width() * images.Height()), 0xFFFF0000u));
    view->Items()->Item(0)->SetImageIndex(0);
    EXPECT_TRUE(model->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    log.entries.clear();
    view->SetSmallImages(&images);
    EXPECT_EQ(log.entries, (Log{"changed 0-4"}));
    EXPECT_FALSE(model->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
}

TEST_F(PeerLookup, RowSelectCoversTheWholeRowSelectedBeforeShowing)
{
    // A dialog fills its list and selects an entry before its window exists.
    auto* view = Add<TListView>();
    view->SetViewStyle(vsReport);
    view->SetRowSelect(true);
    view->SetBounds(10, 10, 300, 200);
    view->Columns()->Add()->SetCaption("Name");
    view->Columns()->Add()->SetCaption("Value");
    for (int i = 0; i < 3; ++i) {
        TListItem* item = view->Items()->Add();
        item->SetCaption("name " + std::to_string(i));
        item->SubItems()->Add("value " + std::to_string(i));
    }
    view->SetSelected(view->Items()->Item(1));
    Show();
    auto* table = qobject_cast<QTableView*>(qt::WidgetOf(*view));
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->selectionModel()->isSelected(table->model()->index(1, 1)));
    EXPECT_TRUE(table->selectionModel()->isRowSelected(1, {}));
    EXPECT_FALSE(table->selectionModel()->isRowSelected(0, {}));
    EXPECT_EQ(view->ItemIndex(), 1);
}

TEST_F(PeerLookup, ListAndComboBoxRowsArriveOneByOne)
{
    auto* list = Add<TListBox>();
    auto* checks = Add<TCheckListBox>();
    auto* combo = Add<TComboBox>();
    combo->SetStyle(csDropDownList);
    list->Items()->SetCommaText("a,b,c");
    checks->Items()->SetCommaText("a,b,c");
    combo->Items()->SetCommaText("a,b,c");
    combo->SetItemIndex(2);
    Show();
    auto* comboBox = qobject_cast<QComboBox*>(qt::WidgetOf(*combo));
    ASSERT_NE(comboBox, nullptr);
    QAbstractItemModel* models[] = {qobject_cast<QListView*>(qt::WidgetOf(*list))->model(),
                                    qobject_cast<QListView*>(qt::WidgetOf(*checks))->model(), comboBox->model()};
    TItemStrings* items[] = {list->Items(), checks->Items(), combo->Items()};
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        QAbstractItemModelTester tester(models[k], QAbstractItemModelTester::FailureReportingMode::Fatal);
        TModelLog log;
        log.Watch(models[k]);
        items[k]->Put(1, "B");
        items[k]->Put(1, "B");
        items[k]->Insert(0, "first");
        items[k]->Delete(2);
        EXPECT_EQ(log.entries, (Log{"changed 1-1", "inserted 0-0", "removed 2-2"}));
        ASSERT_EQ(models[k]->rowCount(), 3);
        EXPECT_EQ(models[k]->index(0, 0).data().toString(), "first");
        EXPECT_EQ(models[k]->index(2, 0).data().toString(), "c");
    }
    // The combo box still shows the item the control has chosen, wherever it moved.
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(comboBox->currentIndex(), 2);
    EXPECT_EQ(comboBox->currentText(), "c");

    // A check set by the program reaches its row; the user's check reaches the control.
    TModelLog log;
    log.Watch(models[1]);
    checks->SetChecked(2, true);
    EXPECT_EQ(log.entries, (Log{"changed 2-2"}));
    EXPECT_EQ(models[1]->index(2, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    models[1]->setData(models[1]->index(0, 0), Qt::Checked, Qt::CheckStateRole);
    EXPECT_TRUE(checks->Checked(0));
}

}  // namespace
