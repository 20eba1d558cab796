// Check boxes, a radio group, a transparent group box and a grid of check-box and
// expand-button cells on the X server, one button expanded, clicked and typed through the
// window system and saved as a screenshot under test-artifacts/editctrls. The picture is
// checked where it must show something: the panel's colour inside the transparent box, the
// ticks of the checked boxes, the radio group's chosen dot, the open detail grid.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <memory>
#include <string>

#include "editctrls/gkExpandButton.h"
#include "editctrls/gkRadioGroup.h"
#include "grid/PublishedDBGrid.h"
#include "platform/db/Fields.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/db/MemDataSet.h"
#include "tests/support/WindowShot.h"

namespace {

using namespace editctrls;

// Six orders (every other one paid) with three lines each, and the error report of the tests.
class CheckRadioWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
        RegisterCheckBoxClasses();
        ui::Application().OnException = [](classes::TObject*, const std::exception& e) {
            ADD_FAILURE() << "unexpected error: " << e.what();
        };
        orders.columns = {{"ID", db::ftInteger}, {"CUSTOMER", db::ftString, 20}, {"PAID", db::ftString, 3}};
        for (int i = 1; i <= 6; ++i)
            orders.AddRow(
                {db::TVariant(i), db::TVariant("Customer " + std::to_string(i)), db::TVariant(i % 2 ? "Y" : "N")});
        lines.columns = {{"LINE", db::ftInteger}, {"ITEM", db::ftString, 20}};
        for (int i = 1; i <= 3; ++i) lines.AddRow({db::TVariant(i), db::TVariant("Item " + std::to_string(i))});
        orderSource.SetDataSet(&orders);
        lineSource.SetDataSet(&lines);
    }
    void TearDown() override { ui::Application().OnException = nullptr; }

    // The grid's "PaidBox": the PAID field, "Y" checked and "N" not, no text.
    TgkCheckBox* PaidBox(ui::TForm& form, ui::TWinControl* grid)
    {
        auto* paid = new TgkCheckBox(&form);
        paid->SetName("PaidBox");
        paid->SetParent(grid);
        paid->SetValueChecked("Y");
        paid->SetValueUnchecked("N");
        paid->SetDataSource(&orderSource);
        paid->SetDataField("PAID");
        paid->SetShowText(false);
        return paid;
    }
    // The grid's "Expander", opening `detail`.
    static TgkExpandButton* Expander(ui::TForm& form, ui::TWinControl* grid, ui::TCustomGrid* detail)
    {
        auto* expander = new TgkExpandButton(&form);
        expander->SetName("Expander");
        expander->SetParent(grid);
        expander->SetGrid(detail);
        return expander;
    }
    // The form shown, the data opened; the form's window.
    QWidget* ShowAndOpen(ui::TForm& form)
    {
        form.Show();
        orders.Open();
        lines.Open();
        return ui::qt::WidgetOf(form);
    }

    dbtest::TMemDataSet orders{nullptr}, lines{nullptr};
    db::TDataSource orderSource{nullptr}, lineSource{nullptr};
};

TEST_F(CheckRadioWindow, ControlsInEveryStateAndAGridWithAnOpenDetail)
{
    ui::TForm form(nullptr);
    form.SetCaption("Check boxes, radio group, expand button");
    form.SetBounds(80, 80, 760, 560);
    form.SetColor(rtl::clBtnFace);
    // Check boxes in every state, enabled and not.
    TgkCheckBox* boxes[4];
    const char* captions[] = {"Unchecked", "Checked", "Grayed", "Disabled, checked"};
    for (int i = 0; i < 4; ++i) {
        boxes[i] = new TgkCheckBox(&form);
        boxes[i]->SetParent(&form);
        boxes[i]->SetBounds(12, 12 + 26 * i, 170, 22);
        boxes[i]->SetCaption(captions[i]);
        boxes[i]->SetAllowGrayed(true);
    }
    boxes[2]->SetState(ui::cbGrayed);
    boxes[3]->SetState(ui::cbChecked);
    boxes[3]->SetEnabled(false);
    // A two-column radio group.
    auto* group = new TgkRadioGroup(&form);
    group->SetParent(&form);
    group->SetBounds(200, 10, 260, 110);
    group->SetCaption("Shipping");
    group->SetColumns(2);
    group->Items()->SetText("Post\nCourier\nPickup\nFreight\nDrone");
    // A transparent group box on a coloured panel.
    auto* panel = new ui::TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(480, 10, 260, 110);
    panel->SetColor(rtl::RGB(255, 214, 90));
    auto* box = new TgkCustomTransparentGroupBox(&form);
    box->SetParent(panel);
    box->SetBounds(14, 12, 230, 86);
    box->SetCaption("Transparent");
    box->SetTransparent(true);
    // A grid with check-box and expand-button cells, one expanded.
    auto* grid = new grid::TgkDBGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(12, 130, 730, 390);
    grid->SetDataSource(&orderSource);
    grid->ControlType()->SetText("ID;CustomEdit;Expander\nPAID;CustomEdit;PaidBox\n");
    auto* detail = new grid::TgkDBGrid(&form);
    detail->SetParent(&form);
    detail->SetBounds(0, 0, 320, 110);
    detail->SetDataSource(&lineSource);
    auto* expander = Expander(form, grid, detail);
    PaidBox(form, grid);

    QWidget* window = ShowAndOpen(form);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

    // Driven by the mouse and the keyboard: the second box checked by a click, the group's
    // third button chosen by a click, then by the arrow key the fourth.
    const ui::TRect g = boxes[1]->CalcGlyphRect();
    QTest::mouseClick(ui::qt::PeerOf(*boxes[1])->MouseWidget(), Qt::LeftButton, {}, QPoint(g.Left + 5, g.Top + 5));
    EXPECT_EQ(boxes[1]->State(), ui::cbChecked);
    TGroupButton* pickup = group->Buttons(2);
    const ui::TRect pg = pickup->CalcGlyphRect();
    QTest::mouseClick(ui::qt::PeerOf(*pickup)->MouseWidget(), Qt::LeftButton, {}, QPoint(pg.Left + 5, pg.Top + 5));
    EXPECT_EQ(group->ItemIndex(), 2);
    QTest::keyClick(ui::qt::WidgetOf(*pickup), Qt::Key_Down);
    EXPECT_EQ(group->ItemIndex(), 3);
    // The grid: the second order's detail opened with Ctrl+Right.
    grid->SetFocus();
    orders.Next();
    grid->PlaceCellControl();
    QApplication::processEvents();
    QTest::keyClick(ui::qt::WidgetOf(*grid), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_TRUE(expander->Expanded());
    EXPECT_TRUE(detail->Visible());
    grid->Invalidate();

    const gwtest::TShot shot = gwtest::ShootWindow(window, "editctrls", "CheckRadioExpand", 400);
    ASSERT_TRUE(shot.Taken());
    // The panel shows through the transparent box.
    EXPECT_TRUE(gwtest::DrawnAs(shot.At(ui::qt::WidgetOf(*box), QPoint(115, 50)), rtl::RGB(255, 214, 90)));
    // A tick in the checked box, none in the unchecked one.
    const auto ticks = [&](int i) {
        const ui::TRect r = boxes[i]->CalcGlyphRect();
        QWidget* w = ui::qt::PeerOf(*boxes[i])->MouseWidget();
        return shot.Count(w, QRect(r.Left + 2, r.Top + 2, r.Right - r.Left - 4, r.Bottom - r.Top - 4), rtl::clWindowText);
    };
    EXPECT_EQ(ticks(0), 0) << captions[0];
    EXPECT_GT(ticks(1), 5) << captions[1];
    // The detail grid stands under the expanded row.
    EXPECT_EQ(detail->Top(), expander->Top() + expander->Height());
    // The chosen radio button's dot.
    TGroupButton* freight = group->Buttons(3);
    const ui::TRect fg = freight->CalcGlyphRect();
    EXPECT_TRUE(gwtest::DrawnAs(shot.At(ui::qt::PeerOf(*freight)->MouseWidget(), QPoint((fg.Left + fg.Right) / 2, (fg.Top + fg.Bottom) / 2)),
                                rtl::clWindowText));
}

// A grid whose current check-box cell takes the grid's cell colours, an unbound edit column
// showing each record's text, an expanded row painted by the grid itself (its button aside)
// with the open glyph, and a transparent box with lowered, doubled bevels.
TEST_F(CheckRadioWindow, CellColoursRecordTextsOpenGlyphAndBevels)
{
    ui::TForm form(nullptr);
    form.SetCaption("Cell colours, record texts, open glyph, bevels");
    form.SetBounds(80, 80, 760, 420);
    form.SetColor(rtl::clBtnFace);
    auto* panel = new ui::TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(480, 10, 260, 110);
    panel->SetBevelOuter(ui::bvNone);
    panel->SetColor(rtl::RGB(255, 214, 90));
    auto* box = new TgkCustomTransparentGroupBox(&form);
    box->SetParent(panel);
    box->SetBounds(14, 12, 230, 86);
    box->SetCaption("Lowered bevels");
    box->SetTransparent(true);
    box->SetBevelOuter(ui::bvLowered);
    box->SetBevelWidth(2);
    auto* grid = new grid::TgkDBGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(12, 10, 450, 390);
    grid->SetDataSource(&orderSource);
    grid->ControlType()->SetText("ID;CustomEdit;Expander\nCUSTOMER;CustomEdit;NameEdit\nPAID;CustomEdit;PaidBox\n");
    grid->OnCalcCellColors = [](classes::TObject*, db::TField*, ui::TGridDrawState, bool highlight, classes::TFont*,
                                ui::TBrush* brush) {
        if (highlight) brush->SetColor(rtl::clYellow);
    };
    auto* detail = new grid::TgkDBGrid(&form);
    detail->SetParent(&form);
    detail->SetBounds(0, 0, 320, 110);
    detail->SetDataSource(&lineSource);
    auto* expander = Expander(form, grid, detail);
    auto* name = new ui::TEdit(&form);
    name->SetName("NameEdit");
    name->SetParent(&form);
    name->SetBounds(600, 300, 80, 20);
    auto* paid = PaidBox(form, grid);

    QWidget* window = ShowAndOpen(form);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    // The second order's customer cell current, its detail opened by the button's message:
    // the grid paints the button's cells itself.
    grid->SetFocus();
    orders.Next();
    grid->PlaceCellControl();
    QApplication::processEvents();
    QTest::keyClick(ui::qt::WidgetOf(*grid), Qt::Key_Right);
    expander->Perform(gkExpandDropDownMessage());
    ASSERT_TRUE(expander->Expanded());
    ASSERT_FALSE(expander->Visible());
    const int expandedRow = grid->Row();
    grid->Invalidate();
    const gwtest::TShot opened = gwtest::ShootWindow(window, "editctrls", "ExpandedRowPaintedByTheGrid", 400);
    ASSERT_TRUE(opened.Taken());
    const ui::TRect glyph = expander->CalcGlyphRect();
    const ui::TRect idCell = grid->CellRect(grid->IndicatorOffset(), expandedRow);
    QWidget* surface = ui::qt::PeerOf(*grid)->MouseWidget();
    const int gx = idCell.Left + (glyph.Left + glyph.Right) / 2;
    EXPECT_TRUE(gwtest::DrawnAs(opened.At(surface, QPoint(gx, idCell.Top + (glyph.Top + glyph.Bottom) / 2)), rtl::clBlack));
    EXPECT_FALSE(gwtest::DrawnAs(opened.At(surface, QPoint(gx, idCell.Top + glyph.Top + 2)), rtl::clBlack))
        << "the open glyph: no vertical stroke";
    // The current customer cell, its edit not in the grid, shows the record's text.
    const ui::TRect customer = grid->CellRect(grid->Col(), expandedRow);
    EXPECT_GT(opened.Count(surface, QRect(customer.Left, customer.Top, customer.Right - customer.Left, grid->DefaultRowHeight()),
                           rtl::clWindowText),
              5);
    expander->SetExpanded(false);

    // The check-box cell current in the focused grid: the handler's yellow.
    grid->SetFocus();
    QTest::keyClick(ui::qt::WidgetOf(*grid), Qt::Key_Right);
    QApplication::processEvents();
    ASSERT_EQ(grid->PlacedControl(), paid);
    paid->Invalidate();
    grid->Invalidate();
    const gwtest::TShot shot = gwtest::ShootWindow(window, "editctrls", "CellColoursRecordTextsBevels", 400);
    ASSERT_TRUE(shot.Taken());
    QWidget* paidSurface = ui::qt::PeerOf(*paid)->MouseWidget();
    EXPECT_TRUE(gwtest::DrawnAs(shot.At(paidSurface, QPoint(paid->Width() - 4, paid->Height() / 2)), rtl::clYellow));
    // The unbound edit's column: each record's own text (dark pixels in another row's cell).
    const ui::TRect other = grid->CellRect(grid->IndicatorOffset() + 1, grid->Row() + 2);
    EXPECT_GT(shot.Count(surface, QRect(other.Left, other.Top, other.Right - other.Left, other.Bottom - other.Top),
                         rtl::clWindowText),
              5);
    // The lowered bevel's two shadow rings on the left.
    QWidget* boxSurface = ui::qt::WidgetOf(*box);
    for (int x : {0, 1})
        EXPECT_TRUE(gwtest::DrawnAs(shot.At(boxSurface, QPoint(x, 60)), rtl::clBtnShadow)) << x;
}

}  // namespace
