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
#include "tests/vquery/VQueryTestSupport.h"
#include "vquery/Dialogs.h"
#include "vquery/VQuery.h"

namespace {

using namespace vquery;

TEST(VQueryWindowTest, ThreeTablesTwoJoinsScreenshot)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "no X server (DISPLAY is not set)";
    qputenv("QT_QPA_PLATFORM", "xcb");
    ui::qt::Install();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");

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
    QWidget* window = ui::qt::WidgetOf(form);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QTest::qWait(200);

    QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(window->winId());
    if (shot.isNull()) shot = window->grab();
    const std::filesystem::path dir = std::filesystem::path(GW_BINARY_DIR) / "test-artifacts" / "vquery";
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / "ThreeTablesTwoJoins.png";
    ASSERT_TRUE(shot.save(QString::fromStdString(file.string()), "PNG"));
    EXPECT_GT(std::filesystem::file_size(file), 0u);
    std::printf("screenshot: %s\n", file.string().c_str());
    f.query.reset();
}

// The Add Table and SQL Settings dialogs, shown (not modally) and saved as screenshots.
TEST(VQueryWindowTest, AddTableAndSqlSettingsScreenshots)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "no X server (DISPLAY is not set)";
    qputenv("QT_QPA_PLATFORM", "xcb");
    ui::qt::Install();
    const auto shoot = [](ui::TCustomForm& form, const char* name) {
        form.Show();
        QWidget* window = ui::qt::WidgetOf(form);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        QTest::qWait(200);
        QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(window->winId());
        if (shot.isNull()) shot = window->grab();
        const std::filesystem::path dir = std::filesystem::path(GW_BINARY_DIR) / "test-artifacts" / "vquery";
        std::filesystem::create_directories(dir);
        const std::filesystem::path file = dir / (std::string(name) + ".png");
        ASSERT_TRUE(shot.save(QString::fromStdString(file.string()), "PNG"));
        std::printf("screenshot: %s\n", file.string().c_str());
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
