// Cells and input of the data grid without a display: DrawCell on the recording canvas,
// keyboard navigation over the in-memory data set (editing) and the SQLite sample through
// the ADO query (browsing), and the property setters the Options map feeds.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "grid/DBGrid.h"
#include "grid/GridRoutines.h"
#include "grid/InplaceEdit.h"
#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Log.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Screen.h"
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
    bool rightToLeft = false;
    bool UseRightToLeftGrid() const override { return rightToLeft; }
    // Multi-record selection as the published grid keeps it: record numbers here.
    std::set<int> selected;
    void SelectRecord() override { selected.insert(DataLink().DataSet()->RecNo()); }
    void UnselectRecord() override { selected.erase(DataLink().DataSet()->RecNo()); }
    void UnselectAll() override { selected.clear(); }
    bool IsActiveRecordSelected() override { return selected.count(DataLink().DataSet()->RecNo()) > 0; }
    // A control over the cells of one column, placed as the paint cycle places it.
    ui::TWinControl* cellControl = nullptr;
    int cellControlCol = -1;
    bool IsCustomCell(int col, int) override { return cellControl != nullptr && col == cellControlCol; }
    void PlaceCellControl() override
    {
        SetPlacedControl(cellControl);
        const ui::TRect r = CellRect(Col(), Row());
        cellControl->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    }
};

class CellsFixture : public gridtest::TGridFixture<TCellGrid> {
public:
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

// The row boundary comes with each cell: under a data cell by the line style, under an
// indicator cell as the fixed part's dark edge, never twice for one cell, and not under the
// title rows (the fixed part closes them) or without dgRowLines.
TEST_F(CellsFixture, EachCellDrawsTheRowBoundaryUnderItOnce)
{
    MakeData(3);
    ShowAndOpen();
    const std::string silver = "pen=" + ui::FormatColor(rtl::ColorToRGB(grid->LineColors()->DataColor));
    const std::string black = "pen=" + ui::FormatColor(rtl::ColorToRGB(grid->LineColors()->FixedColor));
    struct Case {
        const char* name;
        int col, row;
        ui::TGridDrawState state;
        std::string pen;  // the pen of the line under the cell ("" for none)
    };
    const Case cases[] = {
        {"data cell", 2, 2, {}, silver},
        {"indicator cell", 0, 2, {ui::gdFixed}, black},
        {"title cell", 2, 0, {ui::gdFixed}, ""},
    };
    for (const Case& c : cases) {
        const ui::TRect r = grid->CellRect(c.col, c.row);
        const std::string under = "," + std::to_string(r.Bottom) + " ";
        const std::vector<std::string> log = Draw(c.col, c.row, c.state);
        const auto lines = std::count_if(log.begin(), log.end(), [&](const std::string& l) {
            return l.rfind("Polyline(", 0) == 0 && l.find(under) != std::string::npos;
        });
        EXPECT_EQ(lines, c.pen.empty() ? 0 : 1) << c.name << ::testing::PrintToString(log);
        if (!c.pen.empty()) {
            EXPECT_TRUE(Has(log, c.pen)) << c.name;
        }
        // The cell's line is done: asking again draws nothing.
        Device().ClearLog();
        grid->DrawRowLine(r, c.state, c.row);
        EXPECT_TRUE(Device().Log().empty()) << c.name;
    }
    grid->SetOptions(grid->Options() - TgkDBGridOptions{dgRowLines});
    const std::vector<std::string> log = Draw(2, 2);
    EXPECT_FALSE(Has(log, "Polyline(")) << ::testing::PrintToString(log);
}

// A cell handler that throws costs its own drawing only: the paint goes on and the log
// names the handler and its error.
TEST_F(CellsFixture, AThrowingCellHandlerIsLoggedAndTheGridStillPaints)
{
    MakeData(3);
    ShowAndOpen();
    grid->OnDrawDataCell = [](classes::TObject*, const ui::TRect&, db::TField*, ui::TGridDrawState) {
        throw std::runtime_error("handler broke");
    };
    rtl::TLogCapture capture;
    Device().ClearLog();
    ui::TRecordingCanvas window;
    EXPECT_NO_THROW(grid->PaintTo(window));
    const std::vector<std::string> log = Device().Log();
    EXPECT_TRUE(Has(log, "\"name 1\""));
    EXPECT_TRUE(Has(log, "\"c3\""));  // the last data cell was still drawn
    EXPECT_FALSE(window.Log().empty());
    ASSERT_FALSE(capture.Lines().empty());
    for (const std::string& line : capture.Lines()) {
        EXPECT_NE(line.find("TgkCustomDBGrid::DrawCell"), std::string::npos) << line;
        EXPECT_NE(line.find("handler broke"), std::string::npos) << line;
    }
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

TEST_F(CellsFixture, PictureCellsDrawTheFieldsPictureOrOnlyTheBackground)
{
    ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
    ds->columns = {{"ID", db::ftInteger}, {"PIC", db::ftBlob}};
    const std::vector<std::uint32_t> red(20 * 10, 0xFFFF0000u);
    ds->AddRow({TVariant(1), TVariant(ui::EncodeJpeg(20, 10, red))});
    ds->AddRow({TVariant(2), TVariant(std::string("not a picture"))});
    ds->AddRow({TVariant(3), TVariant(std::string())});
    source->SetDataSet(ds.get());
    grid->ControlType()->SetText("PIC;Bitmap;Stretch To Fit;Source Copy\n");
    ShowAndOpen();
    const auto copies = [](const std::vector<std::string>& log) {
        return std::count_if(log.begin(), log.end(), [](const std::string& l) {
            return l.rfind("CopyFrom(", 0) == 0 || l.rfind("DrawPixels(", 0) == 0;
        });
    };
    std::vector<std::string> log = Draw(2, 1);
    EXPECT_EQ(copies(log), 1) << ::testing::PrintToString(log);
    EXPECT_TRUE(Has(log, "CopyFrom(" + ui::FormatRect(grid->CellRect(2, 1)))) << ::testing::PrintToString(log);
    for (int row : {2, 3}) {
        log = Draw(2, row);
        EXPECT_EQ(copies(log), 0) << row;
        EXPECT_TRUE(Has(log, "FillRect(")) << row;  // the background
    }
    EXPECT_EQ(ds->RecNo(), 1);
    // A highlighted picture cell is framed.
    TgkDBGridOptions o = grid->Options();
    o.Include(dgAlwaysShowSelection);
    grid->SetOptions(o);
    Draw(2, 1, {ui::gdSelected});
    EXPECT_TRUE(grid->PaintState().CellFramed);
}

// A control that paints copies of itself into grid cells.
class TCopyPainter : public ui::TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<bool> paints;  // gkIsPaintCopyInGrid at each paint
    std::vector<std::string> texts;
    db::TField* field = nullptr;

protected:
    void Paint() override
    {
        paints.push_back(gkIsPaintCopyInGrid(this));
        if (field != nullptr) texts.push_back(field->AsString());
        Canvas()->Brush()->SetColor(rtl::clFuchsia);
        Canvas()->FillRect({0, 0, 4, 4});
    }
};

TEST_F(CellsFixture, CustomControlCellsArePaintedAsCopiesAndImageIndexCellsAsImages)
{
    MakeData(3);
    auto* painter = new TCopyPainter(form.get());
    painter->SetName("Painter");
    painter->SetParent(grid);
    auto* images = new ui::TImageList(form.get());
    images->SetWidth(4);
    images->SetHeight(4);
    images->AddPixels(std::vector<std::uint32_t>(16, 0xFF00FF00u));
    images->AddPixels(std::vector<std::uint32_t>(16, 0xFF0000FFu));
    grid->SetImageList(images);
    grid->ControlType()->SetText("CITY;CustomEdit;Painter\nID;ImageIndex;Original Size\n");
    ShowAndOpen();
    painter->field = ds->FieldByName("CITY");
    std::vector<std::string> log = Draw(3, 2);
    EXPECT_EQ(painter->paints, (std::vector<bool>{true}));
    EXPECT_EQ(painter->texts, (std::vector<std::string>{"c2"}));  // the cell's record was current
    EXPECT_FALSE(gkIsPaintCopyInGrid(painter));                    // the mark is gone again
    EXPECT_EQ(painter->Width(), grid->CellRect(3, 2).Width());
    EXPECT_TRUE(grid->PaintState().CellPaintedByControl);
    EXPECT_TRUE(Has(log, "CopyFrom(" + ui::FormatRect(grid->CellRect(3, 2)))) << ::testing::PrintToString(log);
    EXPECT_EQ(ds->RecNo(), 1);

    // ID 1 names the second image; ID 3 names none: the background only.
    log = Draw(1, 1);
    EXPECT_TRUE(Has(log, "CopyFrom(")) << ::testing::PrintToString(log);
    log = Draw(1, 3);
    EXPECT_FALSE(Has(log, "CopyFrom(")) << ::testing::PrintToString(log);
    EXPECT_TRUE(Has(log, "FillRect("));
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
        {"Shrink To Fit", 30, 20, true, {0, 0, 30, 20}, {11, 21, 41, 41}},
        {"Shrink To Fit", 198, 39, true, {0, 0, 198, 39}, {11, 21, 110, 40}},  // half size
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

// Field pictures are never shrunk: "Shrink To Fit" belongs to image-list cells, so a
// "Bitmap" column naming it shows its background alone, while the other modes draw.
TEST_F(CellsFixture, PictureCellsRefuseTheShrinkMode)
{
    const std::vector<std::uint32_t> red(20 * 10, 0xFFFF0000u);
    for (const auto& [fit, drawn] : std::vector<std::pair<std::string, bool>>{
             {"Shrink To Fit", false}, {"Original Size", true}, {"Stretch To Fit", true}}) {
        SetUp();
        ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
        ds->columns = {{"ID", db::ftInteger}, {"PIC", db::ftBlob}};
        ds->AddRow({TVariant(1), TVariant(ui::EncodeJpeg(20, 10, red))});
        source->SetDataSet(ds.get());
        grid->ControlType()->SetText("PIC;Bitmap;" + fit + ";Source Copy\n");
        ShowAndOpen();
        const std::vector<std::string> log = Draw(2, 1);
        EXPECT_EQ(Has(log, "CopyFrom(") || Has(log, "DrawPixels("), drawn) << fit << ::testing::PrintToString(log);
        EXPECT_TRUE(Has(log, "FillRect(")) << fit;
        TearDown();
    }
}

// The check-box painter works on data cells only: the column's title cell shows its title.
TEST_F(CellsFixture, ACheckBoxColumnsTitleCellShowsItsTitleAndNoBox)
{
    MakeData(3);
    grid->ControlType()->SetText("CITY;CheckBox;c2;no\n");
    ShowAndOpen();
    EXPECT_FALSE(grid->DrawCellControl(3, 0, grid->CellRect(3, 0), {ui::gdFixed}));
    const std::vector<std::string> title = Draw(3, 0, {ui::gdFixed});
    EXPECT_TRUE(Has(title, "CITY")) << ::testing::PrintToString(title);
    EXPECT_FALSE(Has(title, "DrawFrameControl")) << ::testing::PrintToString(title);
    EXPECT_TRUE(grid->DrawCellControl(3, 2, grid->CellRect(3, 2), {}));  // its data cells still are boxes
}

// Memo cells: memo and character-large-object blobs, on data rows only.
TEST_F(CellsFixture, MemoCellsAreTheTextBlobsOfDataRows)
{
    ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
    ds->columns = {{"ID", db::ftInteger}, {"NOTE", db::ftMemo}, {"CLOB", db::ftOraClob}, {"PIC", db::ftBlob}};
    ds->AddRow({TVariant(1), TVariant("n"), TVariant("c"), TVariant("")});
    source->SetDataSet(ds.get());
    ShowAndOpen();
    EXPECT_FALSE(grid->IsMemoCell(1, 1));
    EXPECT_TRUE(grid->IsMemoCell(2, 1));
    EXPECT_TRUE(grid->IsMemoCell(3, 1));
    EXPECT_FALSE(grid->IsMemoCell(4, 1));
    EXPECT_FALSE(grid->IsMemoCell(2, 0));  // the title
}

// A copy of a bordered control starts one pixel inside the cell (its client area does), and
// the control's windowed children paint themselves into the copy at their places.
TEST_F(CellsFixture, ControlCopiesKeepTheBorderOffsetAndPaintTheirChildren)
{
    MakeData(3);
    auto* painter = new TCopyPainter(form.get());
    painter->SetName("Painter");
    painter->SetParent(grid);
    painter->SetBorderStyle(ui::bsSingle);
    auto* child = new TCopyPainter(form.get());
    child->SetParent(painter);
    child->SetBounds(2, 2, 5, 5);
    grid->ControlType()->SetText("CITY;CustomEdit;Painter\n");
    ShowAndOpen();
    ASSERT_EQ(grid->ColInfoCache()[3].Control, painter);
    const ui::TRect cell = grid->CellRect(3, 2);
    const std::vector<std::string> log = Draw(3, 2);
    const ui::TRect inner{cell.Left + 1, cell.Top + 1, cell.Right, cell.Bottom};
    EXPECT_TRUE(Has(log, "CopyFrom(" + ui::FormatRect(inner))) << ::testing::PrintToString(log);
    EXPECT_EQ(painter->paints.size(), 1u);
    EXPECT_EQ(child->paints.size(), 1u);
    // Without a border the copy covers the cell.
    painter->SetBorderStyle(ui::bsNone);
    EXPECT_TRUE(Has(Draw(3, 2), "CopyFrom(" + ui::FormatRect(cell)));
}

// The cell under a point: a right-to-left grid is drawn mirrored, so the point is mirrored
// first; a point outside the cells in either direction is no cell at all.
TEST_F(CellsFixture, MouseCoordMirrorsInARightToLeftGridAndAnswersNoHalfCells)
{
    MakeData(3);
    ShowAndOpen();
    const ui::TRect cell = grid->CellRect(2, 2);
    const ui::TGridCoord plain = grid->MouseCoord(cell.Left + 2, cell.Top + 2);
    EXPECT_EQ(plain.X, 2);
    EXPECT_EQ(plain.Y, 2);
    grid->rightToLeft = true;
    const ui::TGridCoord mirrored = grid->MouseCoord(grid->ClientWidth() - (cell.Left + 2), cell.Top + 2);
    EXPECT_EQ(mirrored.X, 2);
    EXPECT_EQ(mirrored.Y, 2);
    grid->rightToLeft = false;
    const ui::TGridCoord below = grid->MouseCoord(cell.Left + 2, grid->ClientHeight() + 50);
    EXPECT_EQ(below.X, -1);
    EXPECT_EQ(below.Y, -1);
}

// ---- Keys ------------------------------------------------------------------------------------------------

class KeysFixture : public CellsFixture {
public:
    void SetUp() override
    {
        CellsFixture::SetUp();
        outside = new ui::TEdit(form.get());
        outside->SetParent(form.get());
        outside->SetBounds(0, 220, 100, 20);
        outside->SetTabOrder(1);
        grid->SetTabOrder(0);
    }
    void Press(ui::TKey key, ui::TShiftState shift = {})
    {
        ui::TKey k = key;
        grid->KeyDown(k, shift);
    }
    ui::TEdit* outside = nullptr;
};

// A navigation key handed back by the control over the cell, while that control still holds
// the focus, takes the focus back to the grid, also when the grid does not take it itself.
TEST_F(KeysFixture, NavigationKeysTakeTheFocusBackFromThePlacedControl)
{
    using namespace ui;
    MakeData(5);
    ShowAndOpen();
    auto* control = new TEdit(form.get());
    control->SetParent(grid);
    grid->cellControl = control;
    grid->cellControlCol = 2;
    grid->AcquireFocusEnabled = false;  // the grid does not take the focus for its keys
    struct Case {
        TKey key;
        TShiftState shift;
        bool takesFocus;
    };
    for (const Case& c : std::vector<Case>{{VK_TAB, {}, true},
                                           {VK_RETURN, {}, true},
                                           {VK_HOME, {}, true},
                                           {VK_INSERT, {}, true},
                                           {VK_F2, {}, false},
                                           {VK_HOME, {ssCtrl}, false}}) {
        grid->SetFocus();
        grid->MoveCol(1);
        grid->PlaceCellControl();
        control->SetFocus();
        ASSERT_EQ(Screen().ActiveControl(), control);
        Press(c.key, c.shift);
        EXPECT_EQ(grid->Focused(), c.takesFocus) << c.key << " ctrl " << c.shift.Contains(ssCtrl);
        if (ds->State() != db::dsBrowse) ds->Cancel();
    }
}

TEST_F(KeysFixture, KeysMoveRecordAndColumnOverAnEditableDataSet)
{
    using namespace ui;
    struct Case {
        const char* name;
        int startRec, startCol;
        std::vector<std::pair<TKey, TShiftState>> keys;
        int rec, col;  // data column
        db::TDataSetState state = db::dsBrowse;
        int records = 3;
        bool readOnly = false;
        TgkDBGridOptions extra{};
        bool rightToLeft = false;
        std::vector<TModalResult> answers{};
        bool leftGrid = false;
    };
    const std::vector<Case> cases = {
        {"End", 1, 0, {{VK_END, {}}}, 1, 2},
        {"Home", 1, 2, {{VK_HOME, {}}}, 1, 0},
        {"Ctrl+End, then Ctrl+Home", 2, 1, {{VK_END, {ssCtrl}}}, 3, 1},
        {"Ctrl+Home", 3, 1, {{VK_HOME, {ssCtrl}}}, 1, 1},
        {"Ctrl+Down: the last record shown", 1, 0, {{VK_DOWN, {ssCtrl}}}, 3, 0},
        {"Ctrl+Up: the first record shown", 3, 0, {{VK_UP, {ssCtrl}}}, 1, 0},
        {"Ctrl+Right, Ctrl+Left", 1, 1, {{VK_RIGHT, {ssCtrl}}}, 1, 2},
        {"Ctrl+Left", 1, 2, {{VK_LEFT, {ssCtrl}}}, 1, 0},
        {"PageDown", 1, 0, {{VK_NEXT, {}}}, 3, 0},
        {"PageUp", 3, 0, {{VK_PRIOR, {}}}, 1, 0},
        {"Right, Left", 1, 0, {{VK_RIGHT, {}}, {VK_RIGHT, {}}, {VK_LEFT, {}}}, 1, 1},
        {"Tab wraps to the next record", 1, 2, {{VK_TAB, {}}}, 2, 0},
        {"Shift+Tab wraps to the prior record", 2, 0, {{VK_TAB, {ssShift}}}, 1, 2},
        {"Tab on the last column exits", 1, 2, {{VK_TAB, {}}}, 1, 2, db::dsBrowse, 3, false, {dgTabExitsOnLastCol},
         false, {}, true},
        {"Enter walks only with Enter-to-Tab", 1, 0, {{VK_RETURN, {}}}, 1, 0},
        {"Down on the last record appends", 3, 0, {{VK_DOWN, {}}}, 4, 0, db::dsInsert},
        {"Up cancels that empty record", 3, 0, {{VK_DOWN, {}}, {VK_UP, {}}}, 3, 0},
        {"Down on the last record of a read-only grid", 3, 0, {{VK_DOWN, {}}}, 3, 0, db::dsBrowse, 3, true},
        {"Insert", 2, 0, {{VK_INSERT, {}}}, 2, 0, db::dsInsert},
        {"Insert when read-only", 2, 0, {{VK_INSERT, {}}}, 2, 0, db::dsBrowse, 3, true},
        {"Ctrl+Delete answered OK", 2, 0, {{VK_DELETE, {ssCtrl}}}, 2, 0, db::dsBrowse, 2, false, {}, false, {mrOk}},
        {"Ctrl+Delete answered Cancel", 2, 0, {{VK_DELETE, {ssCtrl}}}, 2, 0, db::dsBrowse, 3, false, {}, false,
         {mrCancel}},
        {"Ctrl+Delete when read-only asks nothing", 2, 0, {{VK_DELETE, {ssCtrl}}}, 2, 0, db::dsBrowse, 3, true},
        {"right to left: Right moves left", 1, 1, {{VK_RIGHT, {}}}, 1, 0, db::dsBrowse, 3, false, {}, true},
        {"right to left: Ctrl+Right stays right", 1, 0, {{VK_RIGHT, {ssCtrl}}}, 1, 2, db::dsBrowse, 3, false, {},
         true},
    };
    for (const Case& c : cases) {
        SetUp();
        MakeData(3);
        ShowAndOpen();
        grid->SetFocus();
        TgkDBGridOptions o = grid->Options();
        for (int i = 0; i < 32; ++i)
            if (c.extra.Contains(static_cast<TgkDBGridOption>(i))) o.Include(static_cast<TgkDBGridOption>(i));
        grid->SetOptions(o);
        grid->SetReadOnly(c.readOnly);
        grid->rightToLeft = c.rightToLeft;
        ds->MoveBy(c.startRec - 1);
        grid->MoveCol(c.startCol);
        ASSERT_EQ(grid->SelectedIndex(), c.startCol) << c.name;
        ui::TScriptedDialogs dialogs;
        ui::TDialogServiceScope scope(dialogs);
        for (TModalResult a : c.answers) dialogs.AnswerMessage(a);
        for (const auto& [key, shift] : c.keys) Press(key, shift);
        EXPECT_EQ(ds->RecNo() < 0 ? ds->RecordCount() + 1 : ds->RecNo(), c.rec) << c.name;
        EXPECT_EQ(grid->SelectedIndex(), c.col) << c.name;
        EXPECT_EQ(ds->State(), c.state) << c.name;
        EXPECT_EQ(ds->RecordCount(), c.records) << c.name;
        EXPECT_EQ(outside->Focused(), c.leftGrid) << c.name;
        EXPECT_TRUE(dialogs.Unexpected().empty()) << c.name;
        EXPECT_EQ(dialogs.PendingAnswers(), 0u) << c.name;
        if (!c.answers.empty()) {
            ASSERT_EQ(dialogs.Asked().size(), 1u) << c.name;
            EXPECT_EQ(dialogs.Asked()[0].message.text, "Delete record?");
            EXPECT_EQ(dialogs.Asked()[0].message.type, mtConfirmation);
        }
        TearDown();
    }
}

TEST_F(KeysFixture, HomeAndEndOfAOneFieldDataSetMoveTheRecord)
{
    ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
    ds->columns = {{"ID", db::ftInteger}};
    for (int i = 1; i <= 4; ++i) ds->AddRow({TVariant(i)});
    source->SetDataSet(ds.get());
    ShowAndOpen();
    Press(ui::VK_END);
    EXPECT_EQ(ds->RecNo(), 4);
    Press(ui::VK_HOME);
    EXPECT_EQ(ds->RecNo(), 1);
}

TEST_F(KeysFixture, BrowsingTheSQLiteSampleThroughTheAdoQuery)
{
    const std::string file = std::string(GW_BINARY_DIR) + "/share/Data/DBSamples/Sample1.db";
    ASSERT_TRUE(rtl::FileExists(file));
    db::TADOConnection conn(nullptr);
    conn.SetLoginPrompt(false);
    conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + file));
    conn.Open();
    db::TADOQuery query(nullptr);
    query.SetConnection(&conn);
    query.SQL()->SetText("SELECT customer_id, city FROM customers ORDER BY customer_id");
    source->SetDataSet(&query);
    grid->SetDataSource(source.get());
    grid->SetReadOnly(true);
    form->Show();
    query.Open();
    grid->SetFocus();
    const auto id = [&] { return query.FieldByName("customer_id")->AsInteger(); };
    Press(ui::VK_NEXT);
    EXPECT_EQ(id(), 1 + grid->VisibleRowCount());
    Press(ui::VK_END, {ui::ssCtrl});
    EXPECT_EQ(id(), 30);
    Press(ui::VK_DOWN);  // the last record of a read-only grid: nothing appended
    EXPECT_EQ(query.State(), db::dsBrowse);
    EXPECT_EQ(id(), 30);
    Press(ui::VK_UP);
    EXPECT_EQ(id(), 29);
    Press(ui::VK_END);
    EXPECT_EQ(grid->SelectedIndex(), 1);
    Press(ui::VK_HOME, {ui::ssCtrl});
    EXPECT_EQ(id(), 1);
    Press(ui::VK_INSERT);
    EXPECT_EQ(query.State(), db::dsBrowse);
    grid->SetDataSource(nullptr);
    query.Close();
}

// ---- Mouse -----------------------------------------------------------------------------------------------

class MouseFixture : public CellsFixture {
public:
    void Down(int x, int y) { grid->Perform(ui::WM_LBUTTONDOWN, ui::MK_LBUTTON, ui::MakeLParam(x, y)); }
    void Move(int x, int y) { grid->Perform(ui::WM_MOUSEMOVE, ui::MK_LBUTTON, ui::MakeLParam(x, y)); }
    void Up(int x, int y) { grid->Perform(ui::WM_LBUTTONUP, 0, ui::MakeLParam(x, y)); }
    void Click(int col, int row)
    {
        const ui::TRect r = grid->CellRect(col, row);
        Down((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        Up((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    static inline std::vector<std::string> opened;
    static bool FakeOpener(const std::string& address)
    {
        opened.push_back(address);
        return true;
    }
    void SetUp() override
    {
        CellsFixture::SetUp();
        opened.clear();
        previousOpener = TgkCustomDBGrid::AddressOpener;
        TgkCustomDBGrid::AddressOpener = &FakeOpener;
    }
    void TearDown() override
    {
        TgkCustomDBGrid::AddressOpener = previousOpener;
        CellsFixture::TearDown();
    }
    TgkCustomDBGrid::TAddressOpener previousOpener = nullptr;
};

TEST_F(MouseFixture, AClickMovesRecordAndColumnADoubleClickOnlyFiresOnDblClick)
{
    MakeData(3);
    ShowAndOpen();
    int cellChanged = 0, dblClicks = 0;
    grid->OnCellChanged = [&](classes::TObject*) { ++cellChanged; };
    grid->OnDblClick = [&](classes::TObject*) { ++dblClicks; };
    Click(3, 3);
    EXPECT_EQ(ds->RecNo(), 3);
    EXPECT_EQ(grid->SelectedIndex(), 2);
    EXPECT_GE(cellChanged, 1);
    const ui::TRect r = grid->CellRect(1, 1);
    grid->Perform(ui::WM_LBUTTONDBLCLK, ui::MK_LBUTTON, ui::MakeLParam(r.Left + 3, r.Top + 3));
    Up(r.Left + 3, r.Top + 3);
    EXPECT_EQ(dblClicks, 1);
    EXPECT_EQ(ds->RecNo(), 3);  // the double press does not move the cell
    EXPECT_EQ(grid->SelectedIndex(), 2);
}

TEST_F(MouseFixture, ATitleDragMovesTheFieldAndTheTimerScrollsOneColumnPerTick)
{
    ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
    for (int i = 0; i < 12; ++i) ds->columns.push_back({"F" + std::to_string(i), db::ftString, 10});
    std::vector<TVariant> row;
    for (int i = 0; i < 12; ++i) row.push_back(TVariant("v" + std::to_string(i)));
    ds->AddRow(row);
    source->SetDataSet(ds.get());
    ShowAndOpen();
    const ui::TRect first = grid->CellRect(1, 0), third = grid->CellRect(3, 0);
    Down(first.Left + 5, 5);
    EXPECT_TRUE(grid->InColumnDrag());
    EXPECT_EQ(ui::GetCaptureControl(), grid);
    EXPECT_TRUE(grid->TimerActive(1));
    Move(third.Left + 10, 5);
    Up(third.Left + 10, 5);
    EXPECT_FALSE(grid->InColumnDrag());
    EXPECT_FALSE(grid->TimerActive(1));
    EXPECT_EQ(ui::GetCaptureControl(), nullptr);
    EXPECT_EQ(ds->FieldByName("F0")->Index(), 2);
    EXPECT_EQ(ds->FieldByName("F1")->Index(), 0);

    // Held past the right edge: one column per tick until the last one is in view.
    ASSERT_LT(grid->LeftCol() + grid->VisibleColCount(), grid->ColCount());
    Down(first.Left + 5, 5);
    Move(grid->Width() - 5, 5);
    int ticks = 0;
    while (grid->LeftCol() + grid->VisibleColCount() < grid->ColCount() && ticks < 20) {
        const int before = grid->LeftCol();
        grid->Perform(ui::WM_TIMER, 1);
        EXPECT_EQ(grid->LeftCol(), before + 1);
        ++ticks;
    }
    EXPECT_GT(ticks, 0);
    const int last = grid->LeftCol();
    grid->Perform(ui::WM_TIMER, 1);
    EXPECT_EQ(grid->LeftCol(), last);  // nothing more to show
    // Losing the capture ends the drag without a move.
    const std::vector<int> before = {ds->FieldByName("F0")->Index(), ds->FieldByName("F5")->Index()};
    ui::ReleaseCapture();
    EXPECT_FALSE(grid->InColumnDrag());
    EXPECT_FALSE(grid->TimerActive(1));
    EXPECT_EQ((std::vector<int>{ds->FieldByName("F0")->Index(), ds->FieldByName("F5")->Index()}), before);
}

TEST_F(MouseFixture, ATitleGroupMovesAsOneAndTheDraggedTitleFollowsThePointer)
{
    ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
    for (int i = 0; i < 5; ++i) ds->columns.push_back({"F" + std::to_string(i), db::ftString, 4});
    ds->AddRow({TVariant("a"), TVariant("b"), TVariant("c"), TVariant("d"), TVariant("e")});
    source->SetDataSet(ds.get());
    // F1 and F2 stand under one group header.
    grid->Selected()->SetText("F0\t4\tF0\nF1\t4\tF1\tF\tG\nF2\t4\tF2\tF\tG\nF3\t4\tF3\nF4\t4\tF4\n");
    ShowAndOpen();
    const auto order = [&] {
        std::string s;
        for (int i = 0; i < ds->FieldCount(); ++i) s += ds->Fields()[i]->FieldName() + " ";
        return s;
    };
    const auto drag = [&](int fromCol, int toCol) {
        const ui::TRect from = grid->CellRect(fromCol, 0), to = grid->CellRect(toCol, 0);
        Down(from.Left + 5, 5);
        Move(to.Left + 5, 7);
        Up(to.Left + 5, 7);
    };
    struct Case {
        const char* name;
        int from, to;
        std::string order;
    };
    const std::vector<Case> cases = {
        {"within its group: nothing", 2, 3, "F0 F1 F2 F3 F4 "},
        {"rightwards: the group after the target", 2, 4, "F0 F3 F1 F2 F4 "},
        {"leftwards from its second column", 4, 1, "F1 F2 F0 F3 F4 "},
        {"a plain column onto the group: beside it", 3, 1, "F0 F1 F2 F3 F4 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        drag(c.from, c.to);
        EXPECT_EQ(order(), c.order);
    }

    // While dragged, the title's picture hangs DragVertOffset below the pointer.
    const ui::TRect title = grid->CellRect(4, 0);
    Down(title.Left + 5, 5);
    EXPECT_NE(grid->DragImage(), nullptr);
    Move(title.Left + 25, 9);
    ASSERT_NE(grid->DragImage(), nullptr);
    EXPECT_EQ(grid->DragImage()->Width(), title.Width());
    EXPECT_EQ(grid->DragImagePos().X, title.Left + 20);
    EXPECT_EQ(grid->DragImagePos().Y, 9 + grid->DragVertOffset());
    Up(title.Left + 25, 9);
    EXPECT_EQ(grid->DragImage(), nullptr);
}

TEST_F(MouseFixture, ResizingAColumnWritesItsWidthInCharactersBack)
{
    MakeData(3);
    ShowAndOpen();
    ASSERT_EQ(ds->FieldByName("NAME")->Index(), 1);
    const ui::TRect name = grid->CellRect(2, 0);
    Down(name.Right, 5);
    EXPECT_EQ(grid->GridState(), ui::gsColSizing);
    Move(name.Left + 60, 5);
    Up(name.Left + 100, 5);
    EXPECT_EQ(grid->GridState(), ui::gsNormal);
    EXPECT_EQ(ds->FieldByName("NAME")->DisplayWidth(), 13);  // (100 - 4 + 0) div 7

    // Without UseTFields the Selected entries keep their parts; only the width changes.
    grid->SetUseTFields(false);
    grid->Selected()->SetText("ID\t5\tIdent\nNAME\t10\tName\tF\nCITY\t8\tTown\tF\tPlace\n");
    grid->LayoutChanged();
    const ui::TRect id = grid->CellRect(1, 0);
    Down(id.Right, 5);
    Up(id.Left + 100, 5);
    EXPECT_EQ(grid->Selected()->Strings(0), "ID\t13\tIdent");
    const std::string second = grid->Selected()->Strings(1), third = grid->Selected()->Strings(2);
    EXPECT_EQ(second.substr(0, 5), "NAME\t");
    EXPECT_EQ(std::count(second.begin(), second.end(), '\t'), 3);
    EXPECT_EQ(std::count(third.begin(), third.end(), '\t'), 4);
}

TEST_F(MouseFixture, ResizingARowSetsTheRowHeightPercent)
{
    MakeData(3);
    TgkDBGridOptions o = grid->Options();
    o.Include(dgRowResize);
    grid->SetOptions(o);
    ShowAndOpen();
    const ui::TRect indicator = grid->CellRect(0, 1);
    const int height = indicator.Height();
    Down(5, indicator.Bottom);
    EXPECT_EQ(grid->GridState(), ui::gsRowSizing);
    Up(5, indicator.Top + 2 * height);
    EXPECT_EQ(grid->RowHeightPercent(), 200);  // twice the row height of text "W" + 2 + a line
}

TEST_F(MouseFixture, MultiSelectClicksByShiftStateAndOptions)
{
    struct Press {
        int row;
        ui::TShiftState shift;
    };
    struct Case {
        const char* name;
        TgkMultiSelectOptions options;
        std::vector<Press> presses;
        std::set<int> selected;
        bool shiftSelect;
    };
    const ui::TShiftState none{}, ctrl{ui::ssCtrl}, shifted{ui::ssShift};
    const std::vector<Case> cases = {
        {"plain presses select nothing", {}, {{1, none}, {2, none}}, {}, false},
        {"auto-unselect keeps the last pressed", {msoAutoUnselect}, {{1, none}, {3, none}}, {3}, false},
        {"ctrl toggles", {}, {{1, ctrl}, {3, ctrl}, {1, ctrl}}, {3}, false},
        {"shift adds", {}, {{2, shifted}, {3, shifted}}, {2, 3}, false},
        {"auto-unselect then ctrl adds", {msoAutoUnselect}, {{1, none}, {2, ctrl}}, {1, 2}, false},
        {"shift-select starts a range", {msoShiftSelect}, {{2, shifted}}, {2}, true},
        {"shift-select needs a modifier or auto-unselect", {msoShiftSelect}, {{2, none}}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        MakeData(3);
        grid->SetOptions(grid->Options() | TgkDBGridOptions{dgMultiSelect});
        grid->SetMultiSelectOptions(c.options);
        ShowAndOpen();
        for (const Press& p : c.presses) {
            const ui::TRect r = grid->CellRect(2, p.row);
            const int flags = ui::MK_LBUTTON | (p.shift.Contains(ui::ssCtrl) ? ui::MK_CONTROL : 0) |
                              (p.shift.Contains(ui::ssShift) ? ui::MK_SHIFT : 0);
            grid->Perform(ui::WM_LBUTTONDOWN, flags, ui::MakeLParam(r.Left + 3, r.Top + 3));
            Up(r.Left + 3, r.Top + 3);
        }
        EXPECT_EQ(grid->selected, c.selected);
        EXPECT_EQ(grid->ShiftSelecting(), c.shiftSelect);
        EXPECT_EQ(grid->SelectAnchor().empty(), !c.shiftSelect);
    }
}

TEST_F(MouseFixture, APressOverAPlacedControlWorksTheControlUnderThePointer)
{
    MakeData(3);
    ShowAndOpen();
    // A panel with a button over the cells of the first column.
    auto* panel = new ui::TPanel(form.get());
    panel->SetParent(grid);
    auto* button = new ui::TButton(form.get());
    button->SetParent(panel);
    button->SetBounds(0, 0, 200, 100);
    // The messages the button gets, as "down x,y" and "up x,y" in its own coordinates.
    std::vector<std::string> got;
    button->OnMouseDown = [&](classes::TObject*, ui::TMouseButton, ui::TShiftState, int x, int y) {
        got.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    };
    button->OnMouseUp = [&](classes::TObject*, ui::TMouseButton, ui::TShiftState, int x, int y) {
        got.push_back("up " + std::to_string(x) + "," + std::to_string(y));
    };
    grid->cellControl = panel;
    grid->cellControlCol = 1;
    const ui::TRect r = grid->CellRect(1, 2);
    struct Case {
        const char* name;
        int flags;
        std::vector<std::string> got;
    };
    // The press moves the cell there, the control comes over it and its button gets the
    // press and the release at the pointer; with Ctrl the control is only placed.
    const std::vector<Case> cases = {{"with ctrl", ui::MK_LBUTTON | ui::MK_CONTROL, {}},
                                     {"plain", ui::MK_LBUTTON, {"down 4,4", "up 4,4"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ds->First();
        grid->MoveCol(2);
        got.clear();
        grid->Perform(ui::WM_LBUTTONDOWN, c.flags, ui::MakeLParam(r.Left + 4, r.Top + 4));
        Up(r.Left + 4, r.Top + 4);
        EXPECT_EQ(ds->RecNo(), 2);
        EXPECT_EQ(grid->PlacedControl(), panel);
        EXPECT_EQ(panel->Top(), r.Top);
        EXPECT_EQ(got, c.got);
    }
    // An edit placed over the cell is left to take the focus itself.
    auto* edit = new ui::TEdit(form.get());
    edit->SetParent(grid);
    grid->cellControl = edit;
    int editPresses = 0;
    edit->OnMouseDown = [&](classes::TObject*, ui::TMouseButton, ui::TShiftState, int, int) { ++editPresses; };
    ds->First();
    grid->MoveCol(2);
    Down(r.Left + 4, r.Top + 4);
    Up(r.Left + 4, r.Top + 4);
    EXPECT_EQ(grid->PlacedControl(), edit);
    EXPECT_EQ(editPresses, 0);
    grid->cellControl = nullptr;
    grid->SetPlacedControl(nullptr);
}

TEST(LinkCells, MailToRuleAndTheSchemesThatOpen)
{
    struct Case {
        const char* text;
        const char* opened;  // "" when nothing opens
    };
    const std::vector<Case> cases = {
        {"joe@example.com", "MailTo:joe@example.com"},
        {"joe.smith@example.com", ""},  // the first "." before "@": left as it is, no scheme
        {"@example.com", ""},           // "@" first: unchanged
        {"mAiLtO:joe@example.com", "mAiLtO:joe@example.com"},
        {"http://example.com/a@b", "http://example.com/a@b"},
        {"HTTPS://example.com", "HTTPS://example.com"},
        {"ftp://files.example.com", "ftp://files.example.com"},
        {"javascript:alert(1)", ""},
        {"/usr/bin/xterm", ""},
        {"file:///etc/passwd", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(TgkCustomDBGrid::LinkAddress(c.text), c.opened) << c.text;
}

TEST_F(MouseFixture, AClickOnALinkCellOpensItsAddressAfterOnURLOpen)
{
    ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
    ds->columns = {{"ID", db::ftInteger}, {"LINK", db::ftString, 40}};
    ds->AddRow({TVariant(1), TVariant("joe@example.com")});
    ds->AddRow({TVariant(2), TVariant("javascript:alert(1)")});
    ds->AddRow({TVariant(3), TVariant("https://example.com")});
    source->SetDataSet(ds.get());
    grid->ControlType()->SetText("LINK;URL-Link\n");
    ShowAndOpen();
    std::vector<std::string> asked;
    bool allow = true;
    grid->OnURLOpen = [&](classes::TObject*, std::string& url, db::TField*, bool& useDefault) {
        asked.push_back(url);
        useDefault = allow;
    };
    for (int row = 1; row <= 3; ++row) Click(2, row);
    EXPECT_EQ(asked, (std::vector<std::string>{"joe@example.com", "javascript:alert(1)", "https://example.com"}));
    EXPECT_EQ(opened, (std::vector<std::string>{"MailTo:joe@example.com", "https://example.com"}));
    allow = false;
    Click(2, 1);
    EXPECT_EQ(opened.size(), 2u);  // the handler kept it
    EXPECT_EQ(ui::Screen().Cursor(), ui::crDefault);
}

// ---- The in-place editor ------------------------------------------------------------------------------

class EditorFixture : public CellsFixture {
public:
    TgkInplaceEdit* OpenEditor(int dataCol)
    {
        grid->SetFocus();
        grid->MoveCol(dataCol);
        grid->ShowEditor();
        auto* editor = dynamic_cast<TgkInplaceEdit*>(grid->InplaceEditor());
        if (editor != nullptr) editor->LoadPicture();
        return editor;
    }
    // Types `key` with the text `text` and the caret (selection) given; answers the key
    // as the editor left it.
    char Type(TgkInplaceEdit& editor, const std::string& text, int selStart, int selLength, char key)
    {
        editor.SetText(text);
        editor.SetSelectionByUser(selStart, selLength);
        char k = key;
        editor.KeyPress(k);
        return k;
    }
    std::vector<bool> checks;
};

TEST_F(EditorFixture, PictureKeysBeepAtTheEndPassInTheMiddleAndFillLiterals)
{
    MakeData(3);
    grid->PictureMasks()->SetText("CITY\t###\tF\tT\nNAME\t###-####\tT\tT\n");
    grid->OnCheckValue = [&](classes::TObject*, bool passes) { checks.push_back(passes); };
    ShowAndOpen();
    TgkInplaceEdit* editor = OpenEditor(2);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(grid->EditorMode());
    EXPECT_EQ(editor->Text(), "c1");
    EXPECT_EQ(editor->Picture.PictureMask, "###");
    EXPECT_FALSE(editor->Picture.AutoFill);
    EXPECT_EQ(checks, (std::vector<bool>{false}));  // the stored value is checked on entry
    // In edit mode already: the first key's edit does not reload the text set below.
    ASSERT_TRUE(grid->DataLink().Edit());

    struct Case {
        const char* name;
        const char* text;
        int selStart, selLength;
        char key;
        char keyAfter;        // 0 when consumed
        const char* textAfter;
        int caretAfter;
        std::vector<bool> checks;
    };
    const std::vector<Case> cases = {
        {"a letter at the end beeps", "12", 2, 0, 'a', 0, "12", 2, {}},
        {"a letter in the middle goes on unchecked", "12", 1, 0, 'a', 'a', "12", 1, {false}},
        {"a digit at the end: incomplete", "1", 1, 0, '2', 0, "12", 2, {false}},
        {"the last digit: complete", "12", 2, 0, '3', 0, "123", 3, {true}},
        {"typing over everything", "123", 0, 3, '7', 0, "7", 1, {false}},
        {"Backspace with a selection checks the text less the character before the caret", "123", 0, 2, '\b',
         '\b', "123", 0, {false}},
    };
    for (const Case& c : cases) {
        checks.clear();
        EXPECT_EQ(Type(*editor, c.text, c.selStart, c.selLength, c.key), c.keyAfter) << c.name;
        EXPECT_EQ(editor->Text(), c.textAfter) << c.name;
        EXPECT_EQ(editor->SelStart(), c.caretAfter) << c.name;
        EXPECT_EQ(checks, c.checks) << c.name;
    }
    EXPECT_EQ(editor->TextAfterKey('\b'), "13");  // "123", selection 0..2: the "2" goes

    // Auto-fill puts the mask's literal in as the user types.
    grid->HideEditor();
    editor = OpenEditor(1);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->Picture.AutoFill);
    EXPECT_EQ(Type(*editor, "55", 2, 0, '5'), 0);
    EXPECT_EQ(editor->Text(), "555-");
    EXPECT_EQ(editor->SelStart(), 4);
    EXPECT_EQ(grid->EditText(), "555-");  // the grid's copy follows

    // Escape with the editor always shown checks the text the reset leaves.
    TgkDBGridOptions o = grid->Options();
    o.Include(dgAlwaysShowEditor);
    grid->SetOptions(o);
    checks.clear();
    ui::TKey escape = ui::VK_ESCAPE;
    grid->KeyDown(escape, {});
    EXPECT_EQ(checks.size(), 1u);
}

// Over a fixed column (left of LeftCol) the editor leaves the fixed column line in view: one
// pixel narrower with column lines, two without; not when fixed column lines are disabled.
TEST_F(EditorFixture, OverAFixedColumnTheEditorIsNarrower)
{
    MakeData(3);
    ShowAndOpen();
    TgkInplaceEdit* editor = OpenEditor(1);
    ASSERT_NE(editor, nullptr);
    grid->SetFixedCols(3);
    grid->MoveCursorInto(1, 1);
    ASSERT_LT(grid->Col(), grid->LeftCol());
    struct Case {
        bool colLines;
        bool disableFixed;
        int width;
    };
    for (const Case& c : std::vector<Case>{{true, false, 49}, {false, false, 48}, {true, true, 50}}) {
        TgkDBGridOptions o = grid->Options();
        if (c.colLines) o.Include(dgColLines); else o.Exclude(dgColLines);
        if (c.disableFixed) o.Include(dgColLinesDisableFixed); else o.Exclude(dgColLinesDisableFixed);
        grid->SetOptions(o);
        grid->SetFixedCols(3);
        grid->MoveCursorInto(1, 1);
        editor->SetBounds(0, 0, 50, 20);
        EXPECT_EQ(editor->Width(), c.width) << c.colLines << c.disableFixed;
    }
    grid->MoveCursorInto(3, 1);  // a scrolling column: the whole cell
    editor->SetBounds(0, 0, 50, 20);
    EXPECT_EQ(editor->Width(), 50);
}

TEST_F(EditorFixture, WordWrapFollowsTheGridButNeverInLinkColumns)
{
    MakeData(3);
    grid->ControlType()->SetText("CITY;URL-Link\n");
    ShowAndOpen();
    TgkInplaceEdit* editor = OpenEditor(1);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->WordWrap());  // dgWordWrap is a default option
    EXPECT_TRUE(editor->MultiLine());
    EXPECT_TRUE(editor->AutoVScroll());
    EXPECT_FALSE(editor->AutoHScroll());
    EXPECT_EQ(editor->FormattingRect().Left, 2);
    // Placed over the cell, the text starts one pixel in and two down; a font change sets
    // the formatting rectangle's two pixels.
    EXPECT_EQ(editor->TextMargins().Left, 1);
    EXPECT_EQ(editor->TextMargins().Top, 2);
    editor->Font()->SetSize(editor->Font()->Size() + 2);
    EXPECT_EQ(editor->TextMargins().Left, 2);
    const int applied = editor->StyleApplications();
    TgkDBGridOptions o = grid->Options();
    o.Exclude(dgWordWrap);
    grid->SetOptions(o);
    EXPECT_FALSE(editor->WordWrap());
    EXPECT_TRUE(editor->MultiLine());  // no border in a grid: still multi-line
    EXPECT_FALSE(editor->AutoVScroll());
    EXPECT_TRUE(editor->AutoHScroll());
    EXPECT_EQ(editor->StyleApplications(), applied + 1);
    o.Include(dgWordWrap);
    grid->SetOptions(o);
    EXPECT_TRUE(editor->WordWrap());
    grid->HideEditor();
    editor = OpenEditor(2);  // the link column
    EXPECT_FALSE(editor->WordWrap());
}

TEST_F(EditorFixture, EnterActsAsTabAndAReadOnlyGridNeverEdits)
{
    MakeData(3);
    ShowAndOpen();
    grid->SetKeyOptions(grid->KeyOptions() | TgkDBGridKeyOptions{dgEnterToTab});
    TgkInplaceEdit* editor = OpenEditor(0);
    ASSERT_NE(editor, nullptr);
    ui::TKey enter = ui::VK_RETURN;
    editor->KeyDown(enter, {});
    EXPECT_EQ(enter, 0);
    EXPECT_EQ(grid->SelectedIndex(), 1);
    char cr = '\r';
    TgkInplaceEdit& e = *editor;
    e.KeyPress(cr);
    EXPECT_EQ(cr, 0);  // became Tab, the grid's

    grid->HideEditor();
    grid->SetReadOnly(true);
    grid->ShowEditor();
    EXPECT_FALSE(grid->EditorMode());
    char typed = 'x';
    grid->KeyPress(typed);
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_FALSE(editor->Visible());
}

TEST_F(EditorFixture, EnterStaysEnterForAPlacedControlThatWantsReturns)
{
    MakeData(3);
    ShowAndOpen();
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgEditing});
    auto* memo = new ui::TMemo(form.get());
    memo->SetParent(grid);
    struct Case {
        bool placed;
        bool wantReturns;
        bool enter;  // the key after the grid
    };
    char plain = '\r';
    grid->KeyPress(plain);  // what the base grid makes of Enter without a control
    ASSERT_EQ(plain, 0);      // (the editor may show: Enter switched editor mode)
    for (const Case& c : {Case{false, true, plain == '\r'}, Case{true, false, plain == '\r'}, Case{true, true, true}}) {
        SCOPED_TRACE(std::to_string(c.placed) + std::to_string(c.wantReturns));
        grid->HideEditor();
        memo->SetWantReturns(c.wantReturns);
        grid->SetPlacedControl(c.placed ? memo : nullptr);
        char key = '\r';
        grid->KeyPress(key);
        EXPECT_EQ(key == '\r', c.enter);
    }
    grid->SetPlacedControl(nullptr);
}

TEST_F(KeysFixture, FixedColumnsTakeTheCursorOnlyWhenEditable)
{
    ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
    for (int i = 0; i < 6; ++i) ds->columns.push_back({"F" + std::to_string(i), db::ftString, 10});
    ds->AddRow({TVariant("a"), TVariant("b"), TVariant("c"), TVariant("d"), TVariant("e"), TVariant("f")});
    source->SetDataSet(ds.get());
    struct Case {
        bool fixedEditable;
        int target;    // data column asked for
        int selected;  // data column that became current
    };
    for (const Case& c : {Case{false, 0, 2}, Case{true, 0, 0}, Case{true, 1, 1}, Case{true, 3, 3}}) {
        SCOPED_TRACE(std::to_string(c.fixedEditable) + " to " + std::to_string(c.target));
        grid->SetDataSource(nullptr);
        TgkDBGridOptions options = grid->Options();
        if (c.fixedEditable)
            options.Include(dgFixedEditable);
        else
            options.Exclude(dgFixedEditable);
        grid->SetOptions(options);
        ShowAndOpen();
        grid->SetFixedCols(3);  // the indicator and two data columns stay put
        grid->MoveCol(4);
        grid->MoveCol(c.target);
        EXPECT_EQ(grid->SelectedIndex(), c.selected);
        if (c.target < 2) {
            EXPECT_EQ(grid->LeftCol(), grid->FixedCols());
        }
        ds->Close();
    }
}

TEST_F(EditorFixture, ATextThatBreaksTheMaskIsReportedAndNotStored)
{
    MakeData(3);
    grid->PictureMasks()->SetText("ID\t###\tF\tT\n");
    ShowAndOpen();
    TgkInplaceEdit* editor = OpenEditor(0);
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(grid->DataLink().Edit());
    grid->DataLink().SetModified();
    grid->SetEditText(grid->Col(), grid->Row(), "12");
    EXPECT_THROW(grid->DataLink().UpdateDataNow(), std::exception);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 1);
    grid->DataLink().SetModified();
    grid->SetEditText(grid->Col(), grid->Row(), "123");
    grid->DataLink().UpdateDataNow();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 123);
}

// ---- Focus ------------------------------------------------------------------------------------------------

TEST_F(KeysFixture, FocusLeavingAControlOverACellLeavesTheGridToo)
{
    MakeData(3);
    auto* cell = new ui::TEdit(form.get());
    cell->SetParent(grid);
    cell->SetBounds(20, 20, 60, 16);
    ShowAndOpen();
    std::vector<std::string> heard;
    grid->OnEnter = [&](classes::TObject*) { heard.push_back("grid enter"); };
    grid->OnExit = [&](classes::TObject*) { heard.push_back("grid exit"); };
    cell->OnEnter = [&](classes::TObject*) { heard.push_back("cell enter"); };
    cell->OnExit = [&](classes::TObject*) { heard.push_back("cell exit"); };
    outside->SetFocus();
    heard.clear();
    cell->SetFocus();  // from outside into the cell: the grid first
    EXPECT_EQ(heard, (std::vector<std::string>{"grid enter", "cell enter"}));
    EXPECT_TRUE(grid->HasFocus());
    ds->Insert();  // untouched: leaving the grid cancels it
    heard.clear();
    outside->SetFocus();
    EXPECT_EQ(heard, (std::vector<std::string>{"cell exit", "grid exit"}));
    EXPECT_FALSE(grid->HasFocus());
    EXPECT_EQ(ds->State(), db::dsBrowse);
    EXPECT_EQ(ds->RecordCount(), 3);
    grid->SetFocus();
    heard.clear();
    cell->SetFocus();  // from the grid into its cell: the grid stays entered
    EXPECT_EQ(heard, (std::vector<std::string>{"cell enter"}));
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
