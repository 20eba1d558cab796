// A query of three tables and two joins (one inner, one left outer) on a real X server (Xvfb),
// shown and saved as a screenshot for people to look at. Nothing is asserted about the pixels.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPixmap>
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
    q.AddJoin(f.F(customers, "id"), f.F(orders, "customer_id"), "id = customer_id");
    TmfVQueryJoin* outer = q.AddJoin(f.F(orders, "id"), f.F(items, "order_id"), "id = order_id");
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
    gwtest::SaveWindowShot(ui::qt::WidgetOf(form), "vquery", "ThreeTablesTwoJoins");
    f.query.reset();
}

// The Add Table and SQL Settings dialogs, shown (not modally) and saved as screenshots.
TEST(VQueryWindowTest, AddTableAndSqlSettingsScreenshots)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    const auto shoot = [](ui::TCustomForm& form, const char* name) {
        form.Show();
        gwtest::SaveWindowShot(ui::qt::WidgetOf(form), "vquery", name);
        form.Hide();
    };
    TfrmAddTable add(nullptr);
    for (const char* t : {"customers", "order_items", "orders", "products"}) add.List()->Items()->Add(t);
    add.List()->SetSelected(0, true);
    add.List()->SetSelected(2, true);
    shoot(add, "AddTable");
    TfrmSettings settings(nullptr, "MSDASQL");
    shoot(settings, "SqlSettings");
}

}  // namespace
