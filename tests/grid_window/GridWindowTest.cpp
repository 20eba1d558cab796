// The grid on the X server: a form with the grid over the SQLite sample's orders (titles,
// indicator, lines and a footer), saved once as a screenshot under test-artifacts/grid for a
// person to look at.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "grid/DBGrid.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/grid/SampleQuery.h"

namespace {

using namespace grid;

TEST(GridWindowTest, ShowsTheOrdersAndSavesAScreenshot)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "no X server (DISPLAY is not set)";
    qputenv("QT_QPA_PLATFORM", "xcb");
    ui::qt::Install();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");

    gridtest::TSampleQuery sample("SELECT order_id, customer_id, order_date, status FROM orders ORDER BY order_id");
    db::TADOQuery& query = sample.query;
    db::TDataSource& source = sample.source;

    ui::TForm form(nullptr);
    form.SetCaption("Orders");
    form.SetBounds(100, 100, 560, 360);
    auto* grid = new TgkCustomDBGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(8, 8, 536, 300);
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgShowFooter});
    grid->SetDataSource(&source);
    query.Open();
    form.Show();
    grid->ColumnByName("order_id").SetFooterValue(std::to_string(query.RecordCount()) + " orders");
    grid->ColumnByName("status").SetFooterValue("all");
    QWidget* window = ui::qt::WidgetOf(form);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    grid->SetFocus();
    query.MoveBy(2);
    QTest::qWait(300);  // let the server draw

    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = window->frameGeometry().adjusted(-4, -4, 4, 4);
    QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    if (shot.isNull()) shot = window->grab();
    const auto dir = std::filesystem::path(GW_BINARY_DIR) / "test-artifacts" / "grid";
    std::filesystem::create_directories(dir);
    const auto png = dir / "GridOrders.png";
    ASSERT_TRUE(shot.save(QString::fromStdString(png.string()), "PNG"));
    EXPECT_GT(std::filesystem::file_size(png), 0u);
    std::printf("screenshot: %s\n", png.string().c_str());
    form.Hide();
}

}  // namespace

#include "grid/MemoDlg.h"
#include "tests/support/WindowShot.h"

namespace {

// The memo dialog as the read-only grid opens it (view-only, OK only), shown without its
// modal loop and saved as a screenshot.
TEST(GridWindowTest, MemoDialogScreenshot)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    grid::TgkMemoDlg form(nullptr);
    form.SetCaption("NOTES");
    form.Memo()->SetText("Deliver to the back door.\r\nCall before noon: the office closes at 1 pm.\r\n\r\n"
                         "Zürich warehouse, ramp 3.");
    form.Memo()->SetReadOnly(true);
    form.CancelButton()->SetVisible(false);
    form.ResizeControls(&form);
    form.Show();
    gwtest::SaveWindowShot(ui::qt::WidgetOf(form), "grid", "MemoDialog");
    form.Hide();
}

}  // namespace

#include "grid/PublishedDBGrid.h"
#include "platform/db/Fields.h"

namespace {

// The program's grid as the design window sets it (its form values, Selected filled as the
// program fills it: name, width, name) over the sample's orders, saved as a screenshot.
TEST(GridWindowTest, TheProgramsGridOverTheOrders)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    gridtest::TSampleQuery sample("SELECT * FROM orders");
    db::TADOQuery& query = sample.query;
    db::TDataSource& source = sample.source;

    ui::TForm form(nullptr);
    form.SetCaption("Design window: orders");
    form.SetBounds(80, 80, 900, 420);
    auto* grid = new TgkDBGrid(&form);
    grid->SetName("data_grid");
    grid->SetParent(&form);
    grid->SetAlign(ui::alClient);
    grid->SetReadOnly(true);
    grid->SetGkFixedCols(0);
    grid->SetShowHorzScrollBar(true);
    grid->SetTitleColor(rtl::clBtnFace);
    grid->SetTitleAlignment(classes::taLeftJustify);
    grid->SetTitleLines(1);
    grid->SetTitleButtons(false);
    grid->IniAttributes()->SetDelimiter(";;");
    grid->SetOptions({dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
                      dgConfirmDelete, dgCancelOnExit, dgWordWrap, dgPerfectRowFit});
    grid->SetDataSource(&source);
    query.Open();
    grid->Selected()->Clear();
    for (int i = 0; i < query.FieldCount(); ++i) {
        const db::TField* f = query.Fields()[i];
        const int width = std::min(f->DisplayWidth(), 24);
        grid->Selected()->Add(f->FieldName() + "\t" + std::to_string(width) + "\t" + f->FieldName());
    }
    grid->ApplySelected();
    form.Show();
    grid->SetFocus();
    query.MoveBy(4);              // the fifth order carries a note
    grid->SetSelectedIndex(2);    // order_date: the picker, if any, stays hidden
    EXPECT_EQ(grid->GetFieldValue(6), "(Memo)");
    gwtest::SaveWindowShot(ui::qt::WidgetOf(form), "grid", "ProgramGridOrders", 300);
    form.Hide();
}

}  // namespace
