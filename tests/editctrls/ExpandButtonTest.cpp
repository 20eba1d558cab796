// The expand button: the scrolling arithmetic of an expansion, and, offscreen through the Qt
// backend over a master and a detail grid of in-memory data sets, expanding, collapsing
// (inner details first), Ctrl+Right and Ctrl+Left, the hidden glyph of "0", writing Expanded
// with its own value, and a failed expansion putting everything back.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editctrls/gkExpandButton.h"
#include "grid/PublishedDBGrid.h"
#include "platform/classes/TypInfo.h"
#include "platform/db/Fields.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Messages.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/db/MemDataSet.h"

namespace {

using namespace editctrls;

TEST(gkExpandShift, RoomDecidesHowFarTheGridScrolls)
{
    struct Case {
        const char* name;
        TgkExpandShiftInput in;
        int shift;
        int desired;
    };
    TgkExpandShiftInput base;
    base.ClientHeight = 200;
    base.CellBottom = 40;
    base.DetailHeight = 100;
    base.DetailInitialHeight = 100;
    base.RowHeight = 18;
    base.LineWidth = 1;
    base.CurrentRow = 5;
    base.ActiveRow = 4;
    const auto with = [&base](auto change) {
        TgkExpandShiftInput in = base;
        change(in);
        return in;
    };
    const std::vector<Case> cases{
        {"room enough", base, 0, -1},
        {"taller detail: need div (h + lines) + 1", with([](auto& in) { in.CellBottom = 150; }), 3, -1},
        {"row lines count", with([](auto& in) { in.CellBottom = 138; }), 2, -1},
        {"without row lines", with([](auto& in) {
             in.CellBottom = 138;
             in.LineWidth = 0;
         }),
         3, -1},
        {"never more than the active row", with([](auto& in) {
             in.CellBottom = 150;
             in.ActiveRow = 1;
         }),
         1, -1},
        {"a detail with buttons counts its first height", with([](auto& in) {
             in.CellBottom = 150;
             in.DetailHeight = 20;
             in.DetailHasButtons = true;
         }),
         3, -1},
        {"desired row with room", with([](auto& in) { in.DesiredRow = 2; }), 0, 2},
        {"desired row clamped by the scroll", with([](auto& in) {
             in.CellBottom = 150;
             in.DesiredRow = 6;
         }),
         0, 2},
        {"nested details choose the row", with([](auto& in) {
             in.ClientHeight = 300;
             in.CellBottom = 90;
             in.Titles = true;
             in.DetailHasButtons = true;
             in.ButtonHeight = 18;
             in.TitleRowHeight = 20;
             in.CurrentRow = 4;
         }),
         0, 4},
    };
    for (const Case& c : cases) {
        const TgkExpandShift out = gkExpandShift(c.in);
        EXPECT_EQ(out.Shift, c.shift) << c.name;
        EXPECT_EQ(out.DesiredRow, c.desired) << c.name;
    }
}

class ExpandFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ui::qt::Install(); }

    static std::unique_ptr<dbtest::TMemDataSet> Data(int rows, const std::string& prefix)
    {
        auto ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
        ds->columns = {{"ID", db::ftInteger}, {"NAME", db::ftString, 20}, {"KIDS", db::ftString, 4}};
        for (int i = 1; i <= rows; ++i)
            ds->AddRow({db::TVariant(i), db::TVariant(prefix + std::to_string(i)), db::TVariant(i == 3 ? "0" : "2")});
        return ds;
    }

    void SetUp() override
    {
        ui::Application().Reset();
        ui::Application().OnException = [](classes::TObject*, const std::exception& e) {
            ADD_FAILURE() << "unexpected error: " << e.what();
        };
        master = Data(8, "order ");
        detail = Data(3, "line ");
        masterSource.SetDataSet(master.get());
        detailSource.SetDataSet(detail.get());
        form = std::make_unique<ui::TForm>(nullptr);
        form->SetBounds(0, 0, 500, 320);
        outer = new grid::TgkDBGrid(form.get());
        outer->SetParent(form.get());
        outer->SetBounds(0, 0, 480, 300);
        outer->SetDataSource(&masterSource);
        outer->ControlType()->SetText("ID;CustomEdit;Expander\n");
        inner = new grid::TgkDBGrid(form.get());
        inner->SetParent(form.get());
        inner->SetBounds(0, 0, 300, 100);
        inner->SetDataSource(&detailSource);
        button = new TgkExpandButton(form.get());
        button->SetName("Expander");
        button->SetParent(outer);
        button->SetDataSource(&masterSource);
        button->SetDataField("KIDS");
        button->SetGrid(inner);
        button->OnBeforeExpand = [this](classes::TObject*) { events.push_back("before expand"); };
        button->OnAfterExpand = [this](classes::TObject*) { events.push_back("after expand"); };
        button->OnBeforeCollapse = [this](classes::TObject*) { events.push_back("before collapse"); };
        button->OnAfterCollapse = [this](classes::TObject*) { events.push_back("after collapse"); };
        form->Show();
        master->Open();
        detail->Open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(ui::qt::WidgetOf(*form)));
        outer->SetFocus();
        master->Next();  // the second order
        outer->PlaceCellControl();
        QApplication::processEvents();
    }

    void TearDown() override
    {
        ui::Application().OnException = nullptr;
        form.reset();
    }

    std::unique_ptr<dbtest::TMemDataSet> master, detail;
    db::TDataSource masterSource{nullptr}, detailSource{nullptr};
    std::unique_ptr<ui::TForm> form;
    grid::TgkDBGrid* outer = nullptr;
    grid::TgkDBGrid* inner = nullptr;
    TgkExpandButton* button = nullptr;
    std::vector<std::string> events;
};

TEST_F(ExpandFixture, ExpandingShowsTheDetailUnderTheRowAndCollapsingPutsItBack)
{
    ASSERT_EQ(outer->PlacedControl(), button);
    EXPECT_FALSE(inner->Visible()) << "assigning the detail hides it";
    const int row = outer->Row();
    const int rowHeight = outer->RowHeights(row);
    button->SetExpanded(true);
    EXPECT_TRUE(button->Expanded());
    EXPECT_TRUE(inner->Visible());
    EXPECT_EQ(inner->Parent(), outer);
    EXPECT_EQ(inner->Top(), button->Top() + button->Height());
    EXPECT_EQ(inner->Left(), button->Left() + 11);
    EXPECT_EQ(outer->RowHeights(row), rowHeight + inner->Height() - 1);
    EXPECT_TRUE(outer->PlacedExpandButtonExpanded());
    EXPECT_EQ(events, (std::vector<std::string>{"before expand", "after expand"}));
    EXPECT_FALSE(outer->Expanding);
    EXPECT_EQ(button->DesiredRow, -1);

    events.clear();
    button->SetExpanded(true);
    EXPECT_TRUE(events.empty()) << "its own value again fires nothing";

    button->SetExpanded(false);
    EXPECT_FALSE(inner->Visible());
    EXPECT_EQ(outer->RowHeights(row), outer->DefaultRowHeight());
    EXPECT_EQ(outer->RecordOffset(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"before collapse", "after collapse"}));
}

TEST_F(ExpandFixture, ScrollingTheGridCloses)
{
    button->SetExpanded(true);
    ASSERT_TRUE(inner->Visible());
    outer->SetTopRow(outer->TopRow() + 1);
    EXPECT_FALSE(button->Expanded());
    EXPECT_FALSE(inner->Visible());
}

TEST_F(ExpandFixture, CtrlRightExpandsAndCtrlLeftCollapses)
{
    QWidget* w = ui::qt::WidgetOf(*outer);
    QTest::keyClick(w, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_TRUE(button->Expanded());
    outer->SetFocus();
    QTest::keyClick(w, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_FALSE(button->Expanded());
    EXPECT_FALSE(inner->Visible());
    // The registered message opens it too.
    button->Perform(gkExpandDropDownMessage());
    EXPECT_TRUE(button->Expanded());
}

TEST_F(ExpandFixture, CollapsingClosesTheInnerDetailFirst)
{
    auto deepest = Data(2, "part ");
    db::TDataSource deepSource(nullptr);
    deepSource.SetDataSet(deepest.get());
    auto* third = new grid::TgkDBGrid(form.get());
    third->SetParent(form.get());
    third->SetBounds(0, 0, 200, 60);
    third->SetDataSource(&deepSource);
    deepest->Open();
    inner->ControlType()->SetText("ID;CustomEdit;InnerExpander\n");
    auto* innerButton = new TgkExpandButton(form.get());
    innerButton->SetName("InnerExpander");
    innerButton->SetParent(inner);
    innerButton->SetGrid(third);
    button->SetExpanded(true);
    inner->PlaceCellControl();
    innerButton->SetExpanded(true);
    ASSERT_TRUE(third->Visible());
    std::vector<std::string> order;
    innerButton->OnAfterCollapse = [&order](classes::TObject*) { order.push_back("inner"); };
    button->OnAfterCollapse = [&order](classes::TObject*) { order.push_back("outer"); };
    button->SetExpanded(false);
    EXPECT_FALSE(innerButton->Expanded());
    EXPECT_FALSE(third->Visible());
    EXPECT_FALSE(inner->Visible());
    EXPECT_EQ(order, (std::vector<std::string>{"inner", "outer"}));
    innerButton->OnAfterCollapse = nullptr;
    button->OnAfterCollapse = nullptr;
    delete third;
}

TEST_F(ExpandFixture, ZeroHidesTheGlyphWithAutoHideExpand)
{
    button->AutoHideExpand = true;
    master->First();
    master->MoveBy(2);  // KIDS "0"
    EXPECT_TRUE(button->IsGlyphHidden());
    master->Next();
    EXPECT_FALSE(button->IsGlyphHidden());
    button->AutoHideExpand = false;
    master->Prior();
    EXPECT_FALSE(button->IsGlyphHidden());
}

TEST_F(ExpandFixture, AFailedExpansionPutsEverythingBack)
{
    master->First();
    outer->PlaceCellControl();
    const int row = outer->Row();
    button->DesiredRow = 3;  // the first record cannot stand that low
    EXPECT_THROW(button->SetExpanded(true), EgkExpandError);
    EXPECT_FALSE(button->Expanded());
    EXPECT_FALSE(button->Busy());
    EXPECT_FALSE(outer->Expanding);
    EXPECT_FALSE(inner->Visible());
    EXPECT_EQ(outer->RowHeights(row), outer->DefaultRowHeight());
    EXPECT_EQ(button->DesiredRow, -1);
    // Nothing stays stuck: the next expansion works.
    button->SetExpanded(true);
    EXPECT_TRUE(button->Expanded());
    EXPECT_TRUE(inner->Visible());
}

TEST_F(ExpandFixture, MovingToAnotherCellCloses)
{
    struct Case {
        const char* name;
        std::function<void()> move;
    };
    QWidget* w = ui::qt::WidgetOf(*outer);
    const std::vector<Case> cases{
        {"Right arrow", [w] { QTest::keyClick(w, Qt::Key_Right); }},
        {"Down arrow", [w] { QTest::keyClick(w, Qt::Key_Down); }},
        {"a click on the next cell of the row", [this, w] {
             const ui::TRect r = outer->CellRect(outer->Col() + 1, outer->Row());
             QTest::mouseClick(w, Qt::LeftButton, {}, QPoint((r.Left + r.Right) / 2, r.Top + 4));
         }},
    };
    for (const Case& c : cases) {
        master->First();
        master->Next();
        outer->SetFocus();
        outer->MoveColRow(outer->IndicatorOffset(), outer->Row(), false, false);
        outer->PlaceCellControl();
        QApplication::processEvents();
        button->SetExpanded(true);
        ASSERT_TRUE(inner->Visible()) << c.name;
        const int row = outer->Row();
        outer->SetFocus();
        QApplication::processEvents();
        ASSERT_TRUE(button->Expanded()) << c.name << ": taking the focus back keeps it open";
        c.move();
        QApplication::processEvents();
        EXPECT_FALSE(button->Expanded()) << c.name;
        EXPECT_FALSE(inner->Visible()) << c.name;
        EXPECT_EQ(outer->RowHeights(row), outer->DefaultRowHeight()) << c.name;
    }
}

TEST_F(ExpandFixture, TheCurrentCellsCopyShowsTheOpenGlyph)
{
    // Opened by the program while another cell of the row is current: the grid paints the
    // button's cells itself, the current row's copy with the open glyph, every other with
    // the closed one.
    outer->MoveColRow(outer->IndicatorOffset() + 1, outer->Row(), false, false);
    QApplication::processEvents();
    ASSERT_NE(outer->PlacedControl(), button);
    button->SetExpanded(true);
    ASSERT_TRUE(inner->Visible());
    ASSERT_FALSE(button->Visible());
    outer->Repaint();
    QApplication::processEvents();
    const QImage shot = ui::qt::WidgetOf(*outer)->grab().toImage();
    // The glyph's vertical stroke (a plus) in a row's cell.
    const auto plus = [&](int row) {
        const ui::TRect cell = outer->CellRect(outer->IndicatorOffset(), row);
        const ui::TRect glyph = button->CalcGlyphRect();
        const int x = cell.Left + (glyph.Left + glyph.Right) / 2;
        const int y = cell.Top + glyph.Top + 2;
        return (shot.pixel(x, y) & 0xFFFFFF) == 0;
    };
    const auto minus = [&](int row) {
        const ui::TRect cell = outer->CellRect(outer->IndicatorOffset(), row);
        const ui::TRect glyph = button->CalcGlyphRect();
        const int y = cell.Top + (glyph.Top + glyph.Bottom) / 2;
        return (shot.pixel(cell.Left + (glyph.Left + glyph.Right) / 2, y) & 0xFFFFFF) == 0;
    };
    const int current = outer->Row();
    EXPECT_TRUE(minus(current));
    EXPECT_FALSE(plus(current)) << "the current cell shows the open glyph";
    EXPECT_TRUE(plus(current + 1)) << "another cell shows the closed glyph";
    EXPECT_FALSE(button->PaintingCurrentCell) << "cleared after the paint";
}

TEST_F(ExpandFixture, TheDetailGridIsFlat)
{
    EXPECT_FALSE(classes::GetBoolProp(*inner, "Ctl3D", true)) << "assigned as the detail";
    classes::SetPropValue(*inner, "Ctl3D", classes::TPropValue(true));
    button->SetExpanded(true);
    EXPECT_FALSE(classes::GetBoolProp(*inner, "Ctl3D", true)) << "shown as the detail";
}

TEST_F(ExpandFixture, WithoutAGridAClickExpandsNothingAndAFreedGridIsForgotten)
{
    delete inner;
    inner = nullptr;
    EXPECT_EQ(button->Grid(), nullptr);
    button->SetExpanded(true);
    EXPECT_FALSE(button->DetailShown());
}

}  // namespace
