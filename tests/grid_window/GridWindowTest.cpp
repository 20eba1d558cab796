// The grid on the X server: a form with the grid over the SQLite sample's orders (titles,
// indicator, lines and a footer), saved as screenshots under test-artifacts/grid for a person
// to look at. Each test also checks what its screenshot shows: the current cell, the colours
// at known places, the check boxes of a check-box column.

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

#include "platform/rtl/Colors.h"

namespace {

using namespace grid;

QColor Rgb(rtl::TColor color)
{
    const rtl::TColor c = rtl::ColorToRGB(color);
    return QColor(rtl::GetRValue(c), rtl::GetGValue(c), rtl::GetBValue(c));
}

// The colour a screenshot shows at a point of the grid's client area; `origin` is where the
// screenshot starts on the screen.
QColor PixelAt(const QImage& shot, QPoint origin, const TgkCustomDBGrid& grid, int x, int y)
{
    const QPoint at = ui::qt::WidgetOf(grid)->mapToGlobal(QPoint(x, y)) - origin;
    EXPECT_TRUE(shot.rect().contains(at)) << at.x() << "," << at.y();
    return shot.pixelColor(at);
}

// The background of a cell away from its text: its left end (numbers and dates are right
// aligned) or its right end (texts), one pixel above the row line.
QColor CellBackground(const QImage& shot, QPoint origin, TgkCustomDBGrid& grid, int col, int row, bool left)
{
    const ui::TRect r = grid.CellRect(col, row);
    return PixelAt(shot, origin, grid, left ? r.Left + 2 : r.Right - 3, r.Bottom - 2);
}

// The dark pixels inside the 10 x 10 check box centred in a cell.
int DarkPixelsInBox(const QImage& shot, QPoint origin, TgkCustomDBGrid& grid, int col, int row)
{
    const ui::TRect r = grid.CellRect(col, row);
    const int left = (r.Left + r.Right - 10) / 2, top = (r.Top + r.Bottom - 10) / 2;
    int dark = 0;
    for (int y = top + 2; y < top + 9; ++y)
        for (int x = left + 2; x < left + 9; ++x)
            if (PixelAt(shot, origin, grid, x, y).lightness() < 96) ++dark;
    return dark;
}

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

    // The third order is current and focused, drawn highlighted; the others on the window
    // colour, the titles and the footer on the button face.
    EXPECT_TRUE(grid->Focused());
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->Col(), 1);
    const QImage image = shot.toImage();
    const QPoint origin = area.topLeft();
    EXPECT_EQ(CellBackground(image, origin, *grid, 1, 3, true), Rgb(rtl::clHighlight));
    EXPECT_EQ(CellBackground(image, origin, *grid, 1, 2, true), Rgb(rtl::clWindow));
    EXPECT_EQ(CellBackground(image, origin, *grid, 4, 5, false), Rgb(rtl::clWindow));
    EXPECT_EQ(CellBackground(image, origin, *grid, 4, 0, false), Rgb(rtl::clBtnFace));
    const ui::TRect footer = grid->GetFooterRect();
    EXPECT_EQ(PixelAt(image, origin, *grid, grid->ClientWidth() - 30, footer.Top + 3), Rgb(grid->FooterColor()));
    // The silver line under a data row.
    const ui::TRect cell = grid->CellRect(2, 5);
    EXPECT_EQ(PixelAt(image, origin, *grid, cell.Left + 5, cell.Bottom), Rgb(grid->LineColors()->DataColor));
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
    QWidget* window = ui::qt::WidgetOf(form);
    const std::filesystem::path png = gwtest::SaveWindowShot(window, "grid", "ProgramGridOrders", 300);
    ASSERT_FALSE(png.empty());

    // The fifth order's row is highlighted (the program's grid has no cell editor over it);
    // the focus frame marks order_date.
    EXPECT_TRUE(grid->Focused());
    EXPECT_EQ(grid->Row(), 5);
    EXPECT_EQ(grid->SelectedIndex(), 2);
    const QImage image(QString::fromStdString(png.string()));
    const QPoint origin = window->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(CellBackground(image, origin, *grid, 1, 5, true), Rgb(rtl::clHighlight));
    EXPECT_EQ(CellBackground(image, origin, *grid, 6, 5, false), Rgb(rtl::clHighlight));
    EXPECT_EQ(CellBackground(image, origin, *grid, 1, 4, true), Rgb(rtl::clWindow));
    EXPECT_EQ(CellBackground(image, origin, *grid, 6, 0, false), Rgb(rtl::clBtnFace));
    form.Hide();
}

// A check-box column: "Shipped" orders show a checked box, open ones an empty box.
TEST(GridWindowTest, CheckBoxCellsShowTheirValue)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    gridtest::TSampleQuery sample("SELECT order_id, status FROM orders ORDER BY order_id");
    ui::TForm form(nullptr);
    form.SetCaption("Shipped orders");
    form.SetBounds(120, 120, 300, 240);
    auto* grid = new TgkCustomDBGrid(&form);
    grid->SetParent(&form);
    grid->SetAlign(ui::alClient);
    grid->ControlType()->SetText("status;CheckBox;Shipped;Open\n");
    grid->SetDataSource(&sample.source);
    sample.query.Open();
    form.Show();
    grid->SetFocus();
    QWidget* window = ui::qt::WidgetOf(form);
    const std::filesystem::path png = gwtest::SaveWindowShot(window, "grid", "GridCheckBoxes", 300);
    ASSERT_FALSE(png.empty());

    const int statusCol = grid->IndicatorOffset() + 1;
    ASSERT_EQ(grid->ColInfoCache()[static_cast<std::size_t>(statusCol)].ControlType, "CheckBox");
    const QImage image(QString::fromStdString(png.string()));
    const QPoint origin = window->mapToGlobal(QPoint(0, 0));
    // Orders 10001 (shipped) and 10009 (open), rows 1 and 9.
    const int shipped = DarkPixelsInBox(image, origin, *grid, statusCol, 1);
    const int open = DarkPixelsInBox(image, origin, *grid, statusCol, 9);
    EXPECT_GT(shipped, open + 5) << "shipped " << shipped << ", open " << open;
    form.Hide();
}

}  // namespace

#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

namespace {

// A result larger than the open reads, on the X server: the grid's scroll bar spans the rows
// read so far, grows as the rest comes in, and its thumb dragged to the bottom with the mouse
// brings the last record of the whole result into view.
TEST(GridWindowTest, ScrollBarOfAResultStillBeingRead)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    constexpr int kRows = 5000;
    gridtest::TManyRowsQuery many(kRows);
    db::TADOQuery& query = many.query;

    ui::TForm form(nullptr);
    form.SetCaption("Rows still being read");
    form.SetBounds(100, 100, 420, 360);
    auto* grid = new TgkCustomDBGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(8, 8, 396, 300);
    grid->SetDataSource(&many.source);
    query.Open();
    form.Show();
    QWidget* window = ui::qt::WidgetOf(form);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QScrollBar* bar = nullptr;
    for (QScrollBar* b : ui::qt::WidgetOf(*grid)->findChildren<QScrollBar*>())
        if (b->orientation() == Qt::Vertical) bar = b;
    ASSERT_NE(bar, nullptr);
    ASSERT_FALSE(query.AllRowsRead());
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->maximum(), query.RecordsRead());
    EXPECT_FALSE(query.AllRowsRead()) << "the bar read the rest";
    query.ReadMoreRows(kRows);
    EXPECT_EQ(bar->maximum(), kRows);

    query.Close();
    query.Open();
    ASSERT_LT(bar->maximum(), kRows);
    grid->SetFocus();
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = Qt::Vertical;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.pageStep = bar->pageStep();
    option.singleStep = bar->singleStep();
    const QRect thumb = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
    ASSERT_TRUE(thumb.isValid());
    QTest::mousePress(bar, Qt::LeftButton, {}, thumb.center());
    for (int y = thumb.center().y(); y < bar->height() + 40; y += 20) QTest::mouseMove(bar, QPoint(thumb.center().x(), y));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(thumb.center().x(), bar->height() + 40));
    EXPECT_EQ(query.RecNo(), kRows);
    EXPECT_EQ(query.FieldByName("id")->AsInteger(), kRows);
    EXPECT_EQ(bar->maximum(), kRows);
    EXPECT_EQ(bar->value(), kRows);
    // The last record is the current row, at the bottom of the rows shown.
    EXPECT_EQ(grid->Row(), grid->VisibleRowCount());
    const std::filesystem::path png = gwtest::SaveWindowShot(window, "grid", "GridLastOfAResultStillBeingRead", 300);
    ASSERT_FALSE(png.empty());
    const QImage image(QString::fromStdString(png.string()));
    EXPECT_EQ(CellBackground(image, window->mapToGlobal(QPoint(0, 0)), *grid, 1, grid->Row(), true),
              Rgb(rtl::clHighlight));
    form.Hide();
}

}  // namespace

#include "platform/ui/StdCtrls.h"
#include "tests/db/MemDataSet.h"

namespace {

// A check-box column and an edit placed over a column's current cell, driven by real clicks:
// the click that moves to a customer cell lays the edit over it with the cell's text; a
// click on the current check-box cell toggles it.
TEST(GridWindowTest, CheckBoxColumnAndPlacedEdit)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    dbtest::TMemDataSet orders;
    orders.columns = {{"ORDER_ID", db::ftInteger}, {"CUSTOMER", db::ftString, 16}, {"STATUS", db::ftString, 8}};
    for (int i = 1; i <= 12; ++i)
        orders.AddRow({db::TVariant(10000 + i), db::TVariant("Customer " + std::to_string(i)),
                       db::TVariant(i % 3 == 0 ? "Open" : "Shipped")});
    db::TDataSource source(nullptr);
    source.SetDataSet(&orders);
    ui::TForm form(nullptr);
    form.SetCaption("Orders with a placed edit");
    form.SetBounds(140, 140, 360, 260);
    auto* edit = new ui::TEdit(&form);
    edit->SetName("CustomerEdit");
    edit->SetParent(&form);
    edit->SetBounds(0, 230, 60, 20);
    auto* grid = new TgkDBGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 360, 220);
    grid->ControlType()->SetText("STATUS;CheckBox;Shipped;Open\nCUSTOMER;CustomEdit;CustomerEdit\n");
    grid->SetDataSource(&source);
    orders.Open();
    form.Show();
    grid->SetFocus();
    QWidget* gridWidget = ui::qt::WidgetOf(*grid);
    const auto click = [&](int col, int row) {
        const ui::TRect r = grid->CellRect(col, row);
        QTest::mouseClick(gridWidget, Qt::LeftButton, {}, QPoint(r.Left + 6, (r.Top + r.Bottom) / 2));
        QTest::qWait(50);
    };
    const int customerCol = grid->IndicatorOffset() + 1, statusCol = customerCol + 1;

    click(customerCol, 3);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->CurrentCustomControl(), edit);
    EXPECT_EQ(edit->Parent(), grid);
    EXPECT_TRUE(edit->Visible());
    EXPECT_EQ(edit->BoundsRect(), grid->CellRect(customerCol, 3));
    EXPECT_EQ(edit->Text(), "Customer 3");

    click(statusCol, 2);  // moves: the box keeps its value
    EXPECT_EQ(orders.FieldByName("STATUS")->AsString(), "Shipped");
    EXPECT_FALSE(edit->Visible());
    click(statusCol, 2);  // the current cell: toggles
    EXPECT_EQ(orders.FieldByName("STATUS")->AsString(), "Open");
    click(customerCol, 4);
    EXPECT_EQ(orders.FieldByName("ORDER_ID")->AsInteger(), 10004);
    EXPECT_EQ(orders.FieldByName("STATUS")->AsString(), "Shipped");
    QWidget* window = ui::qt::WidgetOf(form);
    const std::filesystem::path png = gwtest::SaveWindowShot(window, "grid", "GridCheckBoxAndPlacedEdit", 300);
    ASSERT_FALSE(png.empty());
    EXPECT_TRUE(edit->Visible());
    EXPECT_EQ(edit->Text(), "Customer 4");
    form.Hide();
}

}  // namespace
