// Cells and input of the data grid without a display: DrawCell on the recording canvas,
// keyboard navigation over the in-memory data set (editing) and the SQLite sample through
// the ADO query (browsing), and the property setters the Options map feeds.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "grid/DBGrid.h"
#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/rtl/Files.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/db/MemDataSet.h"
#include "tests/grid/GridTestSupport.h"

namespace {

using namespace grid;
using db::TVariant;

class TCellGrid : public TgkCustomDBGrid {
public:
    using TgkCustomDBGrid::TgkCustomDBGrid;
    using TgkCustomDBGrid::DrawCell;
    using TgkCustomDBGrid::KeyDown;
    using TgkCustomDBGrid::KeyPress;
};

class CellsFixture : public ::testing::Test {
public:
    void SetUp() override
    {
        ui::Application().Reset();
        form = std::make_unique<ui::TForm>(nullptr);
        form->SetBounds(0, 0, 400, 300);
        grid = new TCellGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 400, 200);
        source = std::make_unique<db::TDataSource>(nullptr);
    }
    void TearDown() override
    {
        form.reset();
        source.reset();
        ds.reset();
    }
    void MakeData(int rows)
    {
        ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
        ds->columns = {{"ID", db::ftInteger}, {"NAME", db::ftString, 20}, {"CITY", db::ftString, 8}};
        for (int i = 1; i <= rows; ++i)
            ds->AddRow({TVariant(i), TVariant("name " + std::to_string(i)), TVariant("c" + std::to_string(i))});
        source->SetDataSet(ds.get());
    }
    void ShowAndOpen()
    {
        grid->SetDataSource(source.get());
        form->Show();
        ds->Open();
    }
    ui::TRecordingDevice& Device()
    {
        return dynamic_cast<ui::TRecordingDevice&>(*grid->GetDrawCanvas()->Device());
    }
    // The recorded lines of one DrawCell call.
    std::vector<std::string> Draw(int col, int row, ui::TGridDrawState state = {}, ui::TRect rect = {})
    {
        Device().ClearLog();
        if (rect.Right == 0) rect = grid->CellRect(col, row);
        grid->DrawCell(col, row, rect, state);
        return Device().Log();
    }
    static bool Has(const std::vector<std::string>& log, const std::string& part)
    {
        return std::any_of(log.begin(), log.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }
    static std::string TextLine(const std::vector<std::string>& log)
    {
        for (const std::string& l : log)
            if (l.rfind("Text(", 0) == 0) return l;
        return {};
    }

    gridtest::TFakeWindowSystem ws;
    std::unique_ptr<ui::TForm> form;
    TCellGrid* grid = nullptr;
    std::unique_ptr<db::TDataSource> source;
    std::unique_ptr<dbtest::TMemDataSet> ds;
};

const std::string kBlue = ui::FormatColor(rtl::clBlue);
const std::string kRed = ui::FormatColor(rtl::clRed);

// ---- DrawCell ----------------------------------------------------------------------------------------

TEST_F(CellsFixture, DrawCellByKindOfCellAndState)
{
    MakeData(3);
    grid->ControlType()->SetText("NAME;URL-Link\n");
    grid->PaintOptions()->SetActiveRecordColor(rtl::clYellow);
    ShowAndOpen();
    TgkDBGridOptions shown = grid->Options();
    shown.Include(dgAlwaysShowSelection);
    grid->SetOptions(shown);
    ASSERT_EQ(grid->Row(), 1);
    ASSERT_EQ(grid->Col(), 1);
    const std::string highlight = "brush=" + ui::FormatColor(rtl::ColorToRGB(rtl::clHighlight));
    const std::string yellow = "brush=" + ui::FormatColor(rtl::clYellow);

    struct Case {
        const char* name;
        int col, row;
        ui::TGridDrawState state;
        bool rowSelect;
        std::string wanted;   // a part of some recorded line
        std::string unwanted; // never recorded ("" for no check)
    };
    const std::vector<Case> cases = {
        {"title of a field", 1, 0, {ui::gdFixed}, false, "\"ID\"", ""},
        {"indicator cell fills in the title colour", 0, 1, {ui::gdFixed}, false,
         "brush=" + ui::FormatColor(rtl::ColorToRGB(rtl::clBtnFace)), ""},
        {"data text", 3, 2, {}, false, "\"c2\"", "brush=" + ui::FormatColor(rtl::ColorToRGB(rtl::clHighlight))},
        {"URL cell blue underlined", 2, 2, {}, false, "/underline color=" + kBlue, ""},
        {"current cell without row select", 1, 1, {ui::gdSelected}, false, highlight, yellow},
        {"other selected cell: the active-record colour", 2, 1, {ui::gdSelected}, false, yellow, ""},
        {"row select: every cell the active-record colour", 1, 1, {ui::gdSelected}, true, yellow, highlight},
    };
    for (const Case& c : cases) {
        TgkDBGridOptions o = grid->Options();
        if (c.rowSelect)
            o.Include(dgRowSelect);
        else
            o.Exclude(dgRowSelect);
        grid->SetOptions(o);
        const std::vector<std::string> log = Draw(c.col, c.row, c.state);
        EXPECT_TRUE(Has(log, c.wanted)) << c.name << ::testing::PrintToString(log);
        if (!c.unwanted.empty()) {
            EXPECT_FALSE(Has(log, c.unwanted)) << c.name;
        }
        EXPECT_EQ(ds->RecNo(), 1) << c.name;  // the link's active record came back
    }
    // The link cell under the mouse turns red.
    grid->SetLinkHover({2, 2});
    EXPECT_TRUE(Has(Draw(2, 2), "/underline color=" + kRed));
    // Without the active-record colour, a selected cell is clHighlight.
    grid->PaintOptions()->SetActiveRecordColor(rtl::clNone);
    EXPECT_TRUE(Has(Draw(2, 1, {ui::gdSelected}), highlight));
}

TEST_F(CellsFixture, DrawCellLeavesRowsPastTheDataAndDataCellsOfAnInactiveLink)
{
    MakeData(2);
    ShowAndOpen();
    grid->SetRowCount(6);  // more rows than records, as while the layout catches up
    EXPECT_TRUE(Draw(1, 4).empty());
    EXPECT_FALSE(Draw(1, 2).empty());
    ds->Close();
    grid->SetRowCount(4);
    EXPECT_TRUE(Draw(1, 1).empty());      // data cell: the background stays
    EXPECT_FALSE(Draw(0, 1).empty());     // indicator and title cells are drawn
    EXPECT_FALSE(Draw(1, 0, {ui::gdFixed}).empty());
}

TEST_F(CellsFixture, DrawCellSwallowsADrawHandlerErrorAndRestoresTheRecordOnOthers)
{
    MakeData(3);
    ShowAndOpen();
    int calls = 0;
    grid->OnDrawDataCell = [&](classes::TObject*, const ui::TRect&, db::TField*, ui::TGridDrawState) {
        ++calls;
        throw std::runtime_error("handler");
    };
    std::vector<std::string> log;
    EXPECT_NO_THROW(log = Draw(2, 3));
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(Has(log, "\"name 3\""));  // the default text went first
    EXPECT_EQ(grid->DataLink().ActiveRecord(), 0);
    grid->OnDrawDataCell = nullptr;
    grid->OnCalcCellColors = [](classes::TObject*, db::TField*, ui::TGridDrawState, bool, classes::TFont*, ui::TBrush*) {
        throw std::runtime_error("colours");
    };
    EXPECT_THROW(Draw(2, 3), std::runtime_error);
    EXPECT_EQ(grid->DataLink().ActiveRecord(), 0);  // restored before the error went on
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "name 1");
}

TEST_F(CellsFixture, DrawCellCutsTheRightEdgeAtTwiceTheWidth)
{
    MakeData(3);
    ShowAndOpen();
    grid->OnCalcCellColors = [](classes::TObject*, db::TField*, ui::TGridDrawState, bool, classes::TFont*,
                                ui::TBrush* brush) { brush->SetColor(rtl::clLime); };
    const ui::TRect wide{50, 20, 5000, 36};
    const std::vector<std::string> log = Draw(2, 2, {}, wide);
    EXPECT_TRUE(Has(log, "FillRect(50,20,800,36 brush=" + ui::FormatColor(rtl::clLime))) << ::testing::PrintToString(log);
}

TEST(PictureFit, RectanglesOfTheFitModes)
{
    struct Case {
        const char* fit;
        int pw, ph;
        bool drawn;
        ui::TRect source, dest;
    };
    const ui::TRect cell{10, 20, 110, 60};  // 100 x 40
    const std::vector<Case> cases = {
        {"Original Size", 30, 20, true, {0, 0, 30, 20}, {11, 21, 41, 41}},
        {"Original Size", 300, 200, true, {0, 0, 99, 39}, {11, 21, 110, 60}},
        {"Stretch To Fit", 300, 200, true, {0, 0, 300, 200}, cell},
        {"Fit Height", 20, 10, true, {0, 0, 20, 10}, {11, 20, 90, 59}},   // 80 wide
        {"Fit Height", 100, 10, true, {0, 0, 25, 10}, {11, 20, 110, 59}}, // 400 wide: cut to 100
        {"Fit Width", 50, 10, true, {0, 0, 50, 10}, {11, 20, 110, 39}},   // 20 high
        {"Fit Width", 10, 10, true, {0, 0, 10, 4}, {11, 20, 110, 59}},    // 100 high: cut to 40
        {"Fit Width", 100, 1, false, {}, {}},                              // 1 high: too small
        {"Sideways", 10, 10, false, {}, {}},
    };
    for (const Case& c : cases) {
        ui::TRect source, dest;
        EXPECT_EQ(TgkCustomDBGrid::PictureFitRects(c.fit, c.pw, c.ph, cell, source, dest), c.drawn) << c.fit;
        if (!c.drawn) continue;
        EXPECT_EQ(source, c.source) << c.fit << " " << c.pw;
        EXPECT_EQ(dest, c.dest) << c.fit << " " << c.pw;
    }
}

// ---- Property setters ------------------------------------------------------------------------------------

TEST_F(CellsFixture, OptionsMapOntoTheBaseGrid)
{
    struct Case {
        TgkDBGridOptions options;
        ui::TGridOptions wanted;
    };
    using namespace ui;
    const std::vector<Case> cases = {
        {{}, {goFixedHorzLine}},
        {{dgColLines}, {goFixedVertLine, goVertLine, goFixedHorzLine}},
        {{dgRowLines, dgRowLinesDisableFixed}, {goHorzLine}},
        {{dgColumnResize, dgRowResize}, {goFixedHorzLine, goColSizing, goColMoving, goRowSizing}},
        {{dgEditing, dgTabs, dgAlwaysShowEditor}, {goFixedHorzLine, goEditing, goTabs, goAlwaysShowEditor}},
        {{dgEditing, dgRowSelect}, {goFixedHorzLine, goRowSelect}},  // no editing in row select
    };
    for (const Case& c : cases) {
        grid->SetOptions(c.options);
        const TGridOptions base = static_cast<ui::TCustomGrid*>(grid)->Options();
        EXPECT_EQ(base - TGridOptions{goRangeSelect}, c.wanted) << ::testing::PrintToString(c.options.Bits());
    }
}

TEST_F(CellsFixture, SettersIgnoreOrMendValuesOutOfRangeAndForgetARemovedTitleImageList)
{
    grid->SetRowHeightPercent(150);
    grid->SetRowHeightPercent(0);
    EXPECT_EQ(grid->RowHeightPercent(), 100);
    grid->SetTitleLines(3);
    grid->SetTitleLines(0);
    EXPECT_EQ(grid->TitleLines(), 3);
    auto* images = new ui::TImageList(form.get());
    grid->SetTitleImageList(images);
    EXPECT_EQ(grid->TitleImageList(), images);
    delete images;
    EXPECT_EQ(grid->TitleImageList(), nullptr);
}

}  // namespace
