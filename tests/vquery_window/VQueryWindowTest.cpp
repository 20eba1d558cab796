// A query of three tables and two joins (one inner, one left outer) and the visual query's
// dialogs on a real X server (Xvfb), saved as screenshots and read back: the selected box's
// caption bar and the selected join in their selection colour, the checks, selections and
// choices set in the widgets that show them.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/support/WindowShot.h"
#include "tests/vquery/VQueryTestSupport.h"
#include "vquery/Dialogs.h"
#include "vquery/VQuery.h"

namespace {

using namespace vquery;

// The middle of the short first leg of `join`'s line (it leaves the box's edge level with the
// field row), in the coordinates of the layer that draws it.
QPoint FirstLegMiddle(const TmfVQuery& q, const TmfVQueryJoin& join)
{
    const ui::TPoint a = join.Line.p[0], b = join.Line.p[1];
    return QPoint((a.X + b.X) / 2 - q.JoinLayer()->Left(), (a.Y + b.Y) / 2 - q.JoinLayer()->Top());
}

TEST(VQueryWindowTest, ThreeTablesTwoJoinsScreenshot)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";

    vqtest::QueryFixture f;
    f.Table("", "Customers", {{"id"}, {"name"}, {"city"}});
    f.Table("", "Orders", {{"id"}, {"customer_id"}, {"placed"}, {"total"}});
    f.Table("", "Items", {{"order_id"}, {"product"}, {"amount"}});
    ui::TForm form(nullptr);
    form.SetCaption("Visual query");
    form.SetBounds(80, 80, 640, 480);
    TmfVQuery& q = f.Q();
    q.SetParent(&form);
    q.SetAlign(ui::alClient);
    TmfVQueryTable* customers = q.AddTable("Customers", {20, 20}, true);
    TmfVQueryTable* orders = q.AddTable("Orders", {330, 60}, true);
    TmfVQueryTable* items = q.AddTable("Items", {120, 290}, false);
    TmfVQueryJoin* inner = q.AddJoin(f.F(customers, "id"), f.F(orders, "customer_id"), "id = customer_id");
    TmfVQueryJoin* outer = q.AddJoin(f.F(orders, "id"), f.F(items, "order_id"), "id = order_id");
    ASSERT_NE(inner, nullptr);
    ASSERT_NE(outer, nullptr);
    outer->JoinType = 1;
    q.SelectJoin(outer);
    orders->SetSelected(true);
    items->ListBox()->SetChecked(1, true);
    q.AddSortField(f.F(orders, "placed"), false);
    q.AddSortField(f.F(customers, "name"), true);
    q.Criterias().Add(f.F(customers, "city"));
    f.F(orders, "id")->Required = true;

    form.Show();
    const gwtest::TShot shot = gwtest::ShootWindow(ui::qt::WidgetOf(form), "vquery", "ThreeTablesTwoJoins");
    ASSERT_TRUE(shot.Taken());
    // The caption bars, at their left end clear of the name: navy on the selected box only.
    for (TmfVQueryTable* box : {customers, orders, items}) {
        SCOPED_TRACE(box->TableName());
        EXPECT_TRUE(gwtest::DrawnAs(shot.At(ui::qt::WidgetOf(*box), {6, 8}), box == orders ? rtl::clNavy : rtl::clGray, 8));
    }
    // The selected join in its selection colour, the other in its own.
    QWidget* layer = ui::qt::WidgetOf(*q.JoinLayer());
    ASSERT_NE(layer, nullptr);
    for (const TmfVQueryJoin* join : {inner, outer}) {
        SCOPED_TRACE(join == outer ? "the selected outer join" : "the inner join");
        const QPoint leg = FirstLegMiddle(q, *join);
        EXPECT_GE(shot.Count(layer, QRect(leg - QPoint(1, 1), QSize(3, 3)), join == outer ? outer->SelColor : inner->Color, 8),
                  1);
        EXPECT_EQ(shot.Count(layer, QRect(leg - QPoint(1, 1), QSize(3, 3)), join == outer ? inner->Color : outer->SelColor, 8),
                  0);
    }
    // The field checks of the Items box as its list shows them.
    auto* fields = qobject_cast<QAbstractItemView*>(ui::qt::WidgetOf(*items->ListBox()));
    ASSERT_NE(fields, nullptr);
    ASSERT_EQ(fields->model()->rowCount(), 3);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(fields->model()->index(row, 0).data(Qt::CheckStateRole).toInt(), row == 1 ? Qt::Checked : Qt::Unchecked)
            << row;
    f.query.reset();
}

// The Add Table and SQL Settings dialogs, shown (not modally), saved as screenshots and read
// back.
TEST(VQueryWindowTest, AddTableAndSqlSettingsScreenshots)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    TfrmAddTable add(nullptr);
    for (const char* t : {"customers", "order_items", "orders", "products"}) add.List()->Items()->Add(t);
    add.List()->SetSelected(0, true);
    add.List()->SetSelected(2, true);
    add.Show();
    const gwtest::TShot tables = gwtest::ShootWindow(ui::qt::WidgetOf(add), "vquery", "AddTable");
    ASSERT_TRUE(tables.Taken());
    // The two rows chosen, selected in the list and drawn alike at their empty right end,
    // unlike the rows left out.
    auto* list = qobject_cast<QAbstractItemView*>(ui::qt::WidgetOf(*add.List()));
    ASSERT_NE(list, nullptr);
    QColor rowEnd[4];
    for (int row = 0; row < 4; ++row) {
        const QModelIndex index = list->model()->index(row, 0);
        EXPECT_EQ(list->selectionModel()->isSelected(index), row == 0 || row == 2) << row;
        const QRect r = list->visualRect(index);
        rowEnd[row] = tables.At(list->viewport(), {r.right() - 4, r.center().y()});
    }
    EXPECT_TRUE(gwtest::DrawnAs(rowEnd[2], rowEnd[0]));
    EXPECT_TRUE(gwtest::DrawnAs(rowEnd[3], rowEnd[1]));
    EXPECT_FALSE(gwtest::DrawnAs(rowEnd[1], rowEnd[0]));
    add.Hide();

    TfrmSettings settings(nullptr, "MSDASQL");
    settings.Show();
    ASSERT_TRUE(gwtest::ShootWindow(ui::qt::WidgetOf(settings), "vquery", "SqlSettings").Taken());
    // The driver asked for; the comment marks and the quote choice it keeps, the quote edit
    // open only for a character of the user's own.
    auto* driver = qobject_cast<QComboBox*>(ui::qt::WidgetOf(*settings.Get<ui::TControl>("cboDrivers")));
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->currentText(), "MSDASQL");
    for (const char* name : {"edtCommentBegin", "edtCommentEnd"}) {
        auto* edit = qobject_cast<QLineEdit*>(ui::qt::WidgetOf(*settings.Get<ui::TControl>(name)));
        ASSERT_NE(edit, nullptr) << name;
        EXPECT_EQ(edit->text().toStdString(), settings.Get<ui::TEdit>(name)->Text()) << name;
        EXPECT_FALSE(edit->text().isEmpty()) << name;
    }
    const QList<QRadioButton*> quotes =
        ui::qt::WidgetOf(*settings.Get<ui::TControl>("rdoSchemaQuote"))->findChildren<QRadioButton*>();
    ASSERT_EQ(quotes.size(), 3);
    int checked = -1;
    for (int i = 0; i < quotes.size(); ++i)
        if (quotes[i]->isChecked()) checked = checked < 0 ? i : -2;
    EXPECT_EQ(checked, settings.Get<ui::TRadioGroup>("rdoSchemaQuote")->ItemIndex());
    ASSERT_GE(checked, 0);
    EXPECT_EQ(ui::qt::WidgetOf(*settings.Get<ui::TControl>("edtQuoteChar"))->isEnabled(), checked == 2);
    auto* ok = qobject_cast<QPushButton*>(ui::qt::WidgetOf(*settings.Get<ui::TControl>("btnOK")));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    settings.Hide();
}

}  // namespace
