// The grid core without a display: a recording window system gives the grid its window, a
// font of 13-pixel-high characters and a log of what it repaints and scrolls; the data comes
// from the in-memory data set of the data-layer tests (and the SQLite sample through the ADO
// query for the sequenced scroll bar).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "grid/DBGrid.h"
#include "grid/GridRoutines.h"
#include "grid/Intl.h"
#include "platform/classes/Streaming.h"
#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/rtl/Files.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/db/MemDataSet.h"
#include "tests/grid/GridTestSupport.h"
#include "tests/grid/SampleQuery.h"

namespace {

using namespace grid;
using db::TVariant;

// A data set whose record numbers count (as the ADO data sets' do).
class TSequencedMemDataSet : public dbtest::TMemDataSet {
public:
    using TMemDataSet::TMemDataSet;
    bool IsSequenced() const override { return true; }
};

class TTestGrid : public TgkCustomDBGrid {
public:
    using TgkCustomDBGrid::TgkCustomDBGrid;
    std::vector<std::string> events;
    void ShowEditor() override
    {
        events.push_back("show editor");
        TgkCustomDBGrid::ShowEditor();
    }
};

class GridFixture : public gridtest::TGridFixture<TTestGrid> {
public:
    explicit GridFixture(int charWidth = 7) : TGridFixture(charWidth) {}
};

// ---- Lifecycle, defaults and the text form -------------------------------------------------------

TEST_F(GridFixture, DefaultsAndTheTextFormWriteOnlyWhatDiffersAndWhatIsAlwaysStored)
{
    EXPECT_EQ(grid->ColCount(), 2);
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->Options(), kDefaultDBGridOptions);
    EXPECT_EQ(grid->KeyOptions(), (TgkDBGridKeyOptions{dgAllowDelete, dgAllowInsert}));
    EXPECT_EQ(grid->EditControlOptions(), TgkEditControlOptions{ecoSearchOwnerForm});
    EXPECT_EQ(grid->Color(), rtl::clWindow);
    EXPECT_FALSE(grid->ParentColor());
    EXPECT_TRUE(grid->TabStop());
    EXPECT_TRUE(grid->UseTFields());
    EXPECT_EQ(grid->IndicatorWidth(), 11);
    EXPECT_EQ(grid->DragVertOffset(), 15);
    EXPECT_EQ(grid->TitleLines(), 1);
    EXPECT_EQ(grid->RowHeightPercent(), 100);
    EXPECT_EQ(grid->PadColumnStyle(), pcsPadHeaderAndData);
    EXPECT_EQ(grid->LineStyle(), glsDynamic);
    EXPECT_EQ(grid->LineColors()->DataColor, rtl::clSilver);
    EXPECT_EQ(grid->LineColors()->FixedColor, rtl::clBlack);
    EXPECT_TRUE(grid->ShowHorzScrollBar());
    EXPECT_TRUE(grid->ShowVertScrollBar());
    EXPECT_TRUE(grid->PaintOptions()->FastRecordScrolling);
    EXPECT_EQ(grid->PaintOptions()->AlternatingRowColor(), rtl::clNone);

    grid->SetName("Grid");
    std::string text = classes::WriteComponentText(*grid);
    EXPECT_EQ(text.find("Options ="), std::string::npos) << text;
    EXPECT_EQ(text.find("KeyOptions"), std::string::npos);
    EXPECT_EQ(text.find("Color = clWindow"), std::string::npos);
    for (const char* always : {"TitleColor = clBtnFace", "TitleAlignment = taLeftJustify", "TitleLines = 1",
                               "TitleButtons = False", "ShowHorzScrollBar = True"})
        EXPECT_NE(text.find(always), std::string::npos) << always << "\n" << text;

    TgkDBGridOptions options = kDefaultDBGridOptions;
    options.Exclude(dgEditing);
    options.Include(dgPerfectRowFit);
    grid->SetOptions(options);
    grid->SetIndicatorColor(icYellow);  // never stored
    text = classes::WriteComponentText(*grid);
    EXPECT_NE(text.find("Options = [dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, "
                        "dgConfirmDelete, dgCancelOnExit, dgWordWrap, dgPerfectRowFit]"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("IndicatorColor"), std::string::npos);
    // ... but it lasts through the icon colour it writes, which is stored.
    EXPECT_EQ(grid->IndicatorIconColor(), rtl::clYellow);
    EXPECT_NE(text.find("IndicatorIconColor = clYellow"), std::string::npos) << text;
    grid->SetIndicatorColor(icBlack);
    EXPECT_EQ(grid->IndicatorIconColor(), rtl::clBlack);
}

TEST(GridImages, TwoGridsShareTheImageListsUntilTheLastOneGoes)
{
    const int before = TgkCustomDBGrid::ImageListUsers();
    auto first = std::make_unique<TgkCustomDBGrid>(nullptr);
    ASSERT_NE(TgkCustomDBGrid::IndicatorImages(), nullptr);
    const ui::TImageList* indicators = TgkCustomDBGrid::IndicatorImages();
    EXPECT_EQ(indicators->Count(), 5);
    EXPECT_EQ(TgkCustomDBGrid::ArrowImages()->Count(), 2);
    auto second = std::make_unique<TgkCustomDBGrid>(nullptr);
    EXPECT_EQ(TgkCustomDBGrid::ImageListUsers(), before + 2);
    EXPECT_EQ(TgkCustomDBGrid::IndicatorImages(), indicators);  // built once
    first.reset();
    EXPECT_EQ(TgkCustomDBGrid::IndicatorImages(), indicators);
    second.reset();
    EXPECT_EQ(TgkCustomDBGrid::ImageListUsers(), before);
    if (before == 0) {
        EXPECT_EQ(TgkCustomDBGrid::IndicatorImages(), nullptr);
        EXPECT_EQ(TgkCustomDBGrid::ArrowImages(), nullptr);
    }
}

// ---- Field map and row model ---------------------------------------------------------------------

std::vector<std::string> MappedNames(TgkCustomDBGrid& g)
{
    std::vector<std::string> names;
    for (int i = 0; i < g.FieldCount(); ++i) names.push_back(g.Fields(i)->FieldName());
    return names;
}

TEST_F(GridFixture, FieldMapFollowsVisibleFieldsOrTheSelectedList)
{
    MakeData(3);
    ShowAndOpen();
    EXPECT_EQ(MappedNames(*grid), (std::vector<std::string>{"ID", "NAME", "CITY"}));
    EXPECT_EQ(grid->ColCount(), 4);
    ds->FieldByName("CITY")->SetVisible(false);
    EXPECT_EQ(MappedNames(*grid), (std::vector<std::string>{"ID", "NAME"}));
    EXPECT_EQ(grid->ColumnList().size(), 2u);

    // The column list, in its own order; an entry the data set lacks goes while active.
    grid->ColumnList()[1]->SetFooterValue("total");
    grid->Selected()->SetText("name\t10\tName\nNOPE\t5\tGone\nID\t4\tNo\n");
    grid->SetUseTFields(false);
    EXPECT_EQ(MappedNames(*grid), (std::vector<std::string>{"NAME", "ID"}));
    EXPECT_EQ(grid->Selected()->Count(), 2);
    EXPECT_EQ(grid->ColumnByName("NAME").FooterValue(), "total");  // carried over by name
    EXPECT_EQ(&grid->ColumnByName("nothing"), &grid->SpareColumn());

    // While inactive the entry stays, and is mapped once the field exists.
    ds->Close();
    grid->Selected()->Add("CITY\t3\tTown");
    grid->Selected()->Add("LATER\t3\tLater");
    grid->LayoutChanged();
    EXPECT_EQ(grid->Selected()->Count(), 4);
    EXPECT_EQ(grid->ColCount(), 5);  // the indicator and one column per entry
    ds->Open();
    EXPECT_EQ(MappedNames(*grid), (std::vector<std::string>{"NAME", "ID", "CITY"}));
    EXPECT_EQ(grid->Selected()->Count(), 3);
}

// A column reads its width, title, read-only flag and group from its Selected entry; the
// title is the field's label while the grid shows the data set's fields.
TEST_F(GridFixture, ColumnsReadTheirEntryAndTheSpareColumnAnswersNothing)
{
    MakeData(3);
    ShowAndOpen();
    ds->FieldByName("NAME")->SetDisplayLabel("Full name");
    grid->Selected()->SetText("NAME\t12\tWho\tT\tPeople\nID\t4\tNo\nCITY\twide\tTown\tF\n");
    grid->SetUseTFields(false);
    struct Case {
        const char* name;
        int width;
        const char* label;
        bool readOnly;
        const char* group;
    };
    for (const Case& c : std::vector<Case>{{"NAME", 12, "Who", true, "People"}, {"ID", 4, "No", false, ""}}) {
        const TgkColumn& column = grid->ColumnByName(c.name);
        EXPECT_EQ(column.DisplayWidth(), c.width) << c.name;
        EXPECT_EQ(column.DisplayLabel(), c.label) << c.name;
        EXPECT_EQ(column.ReadOnly(), c.readOnly) << c.name;
        EXPECT_EQ(column.GroupName(), c.group) << c.name;
    }
    EXPECT_THROW(grid->ColumnByName("CITY").DisplayWidth(), rtl::EConvertError);
    grid->SetUseTFields(true);
    EXPECT_EQ(grid->ColumnByName("NAME").DisplayLabel(), "Full name");
    const TgkColumn& spare = grid->SpareColumn();
    EXPECT_EQ(spare.DisplayWidth(), 0);
    EXPECT_EQ(spare.DisplayLabel(), "");
    EXPECT_FALSE(spare.ReadOnly());
    EXPECT_EQ(spare.GroupName(), "");
}

TEST_F(GridFixture, FieldMapRefusesMoreThanItsLimitAndStaysAsItWas)
{
    MakeData(1);
    ShowAndOpen();
    TgkGridDataLink& link = grid->DataLink();
    link.ClearMapping();
    EXPECT_FALSE(link.AddMapping("NOPE"));
    EXPECT_EQ(link.FieldCount(), 0);
    for (int i = 0; i < TgkGridDataLink::kMaxMapSize; ++i) ASSERT_TRUE(link.AddMapping("ID"));
    try {
        link.AddMapping("NAME");
        FAIL() << "no error";
    } catch (const ui::EInvalidGridOperation& e) {
        EXPECT_STREQ(e.what(), "Grid requested to display more than 256 columns");
    }
    EXPECT_EQ(link.FieldCount(), TgkGridDataLink::kMaxMapSize);
    EXPECT_EQ(link.GetMappedField(link.FieldCount() - 1)->FieldName(), "ID");
    EXPECT_EQ(link.GetMappedField(link.FieldCount()), nullptr);
}

TEST_F(GridFixture, RowCountFollowsTheLinkAndTheVisibleRows)
{
    MakeData(0);
    grid->SetDataSource(source.get());
    form->Show();
    EXPECT_EQ(grid->RowCount(), 2);  // inactive: titles and one empty row
    ds->Open();
    EXPECT_EQ(grid->RowCount(), 2);  // active and empty: the same
    ds->Close();
    for (int i = 1; i <= 30; ++i) ds->AddRow({TVariant(i), TVariant("n"), TVariant("c")});
    ds->Open();
    // 200 pixels: a title row of 13 + 4 and data rows of 13 + 2 + 1, each with its line.
    EXPECT_EQ(grid->DefaultRowHeight(), 16);
    EXPECT_EQ(grid->RowHeights(0), 17);
    EXPECT_EQ(grid->VisibleRowCount(), 10);
    EXPECT_EQ(grid->DataLink().BufferCount(), 10);
    EXPECT_EQ(grid->RowCount(), 11);
    EXPECT_EQ(grid->Row(), 1);
    ds->MoveBy(4);
    EXPECT_EQ(grid->Row(), 5);
    // The move itself does not ask for the anchor, but the grid has no range selection, so
    // the anchor follows and only the current cell is selected (painted highlighted).
    EXPECT_EQ(grid->Anchor().Y, 5);
    EXPECT_EQ(grid->Selection(), (ui::TGridRect{grid->Col(), 5, grid->Col(), 5}));
}

TEST_F(GridFixture, ScrollRepaintsScrollsPixelsAndKeepsTheAlternatingParity)
{
    MakeData(40);
    ShowAndOpen();
    ASSERT_EQ(grid->VisibleRowCount(), 10);
    const bool parity = grid->AlternatingParity();
    struct Case {
        int distance;
        bool fast;
        std::string expected;  // the pixel scroll, or the repaint
        bool flips;
    };
    const std::vector<Case> cases = {
        {1, true, "scroll 0,-17 in 0,18,384,200", true},
        {2, true, "scroll 0,-34 in 0,18,384,200", false},
        {-3, true, "scroll 0,51 in 0,18,384,200", true},
        {11, true, "invalidate all", false},   // beyond the visible rows: all of it
        {2, false, "invalidate 0,18,384,200", false},  // without fast scrolling: the data area
    };
    bool expectedParity = parity;
    // The handler outlives the loop (the data set's scroll below fires it too), so what it
    // counts must too.
    int topChanged = 0;
    grid->OnTopRowChanged = [&topChanged](classes::TObject*) { ++topChanged; };
    for (const Case& c : cases) {
        grid->PaintOptions()->FastRecordScrolling = c.fast;
        Log().clear();
        topChanged = 0;
        grid->Scroll(c.distance);
        if (c.flips) expectedParity = !expectedParity;
        EXPECT_NE(std::find(Log().begin(), Log().end(), c.expected), Log().end())
            << c.distance << ": " << ::testing::PrintToString(Log());
        EXPECT_EQ(grid->AlternatingParity(), expectedParity) << c.distance;
        EXPECT_EQ(topChanged, 1);
    }
    // The data set's own scroll arrives the same way.
    grid->PaintOptions()->FastRecordScrolling = true;
    ds->First();
    ds->MoveBy(9);
    Log().clear();
    ds->Next();
    EXPECT_NE(std::find(Log().begin(), Log().end(), "scroll 0,-17 in 0,18,384,200"), Log().end())
        << ::testing::PrintToString(Log());
    EXPECT_EQ(grid->Row(), 10);
}

TEST_F(GridFixture, RowChangedFiresOncePerRecord)
{
    MakeData(5);
    int rows = 0, cells = 0;
    grid->OnRowChanged = [&](classes::TObject*) { ++rows; };
    grid->OnCellChanged = [&](classes::TObject*) { ++cells; };
    ShowAndOpen();
    const int cellsAtActivation = cells;  // the column entered
    grid->DataChanged();
    EXPECT_EQ(rows, 1);  // the first record moved to after activation
    grid->DataChanged();
    EXPECT_EQ(rows, 1);  // the same record
    ds->Next();
    EXPECT_EQ(rows, 2);
    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("changed");
    EXPECT_EQ(rows, 2);
    ds->Post();
    EXPECT_EQ(rows, 2);
    ds->Next();
    ds->Prior();
    EXPECT_EQ(rows, 4);
    EXPECT_EQ(cells - cellsAtActivation, rows);  // one cell change with each row change
}

// ---- Editing through the link --------------------------------------------------------------------

TEST_F(GridFixture, CanEditModifyAsksEveryConditionThenEdits)
{
    struct Case {
        const char* name;
        std::function<void(GridFixture&)> arrange;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"editable", [](GridFixture&) {}, true},
        {"grid read-only", [](GridFixture& f) { f.grid->SetReadOnly(true); }, false},
        {"data set read-only", [](GridFixture& f) { f.ds->readOnly = true; }, false},
        {"field read-only", [](GridFixture& f) { f.ds->FieldByName("ID")->SetReadOnly(true); }, false},
        {"column read-only",
         [](GridFixture& f) {
             f.grid->Selected()->SetText("ID\t4\tNo\tT\nNAME\t5\tName\n");
             f.grid->SetUseTFields(false);
         },
         false},
        {"column flag F",
         [](GridFixture& f) {
             f.grid->Selected()->SetText("ID\t4\tNo\tF\n");
             f.grid->SetUseTFields(false);
         },
         true},
        {"empty without inserting",
         [](GridFixture& f) {
             f.ds->Close();
             f.ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
             f.ds->columns = {{"ID", db::ftInteger}};
             f.source->SetDataSet(f.ds.get());
             f.ds->Open();
             f.grid->SetKeyOptions({dgAllowDelete});
         },
         false},
    };
    for (const Case& c : cases) {
        SetUp();
        MakeData(3);
        ShowAndOpen();
        c.arrange(*this);
        EXPECT_EQ(grid->CanEditModify(), c.expected) << c.name;
        if (c.expected) {
            EXPECT_EQ(ds->State(), db::dsEdit) << c.name;
            EXPECT_TRUE(grid->DataLink().Modified()) << c.name;
        } else {
            EXPECT_NE(ds->State(), db::dsEdit) << c.name;
        }
        TearDown();
    }
}

TEST_F(GridFixture, ResetReloadsTheEditorTextOrCancelsAfterConfirmation)
{
    struct Case {
        const char* name;
        bool linkModified;
        bool recordModified;
        std::optional<ui::TModalResult> answer;  // nullopt: no question expected
        db::TDataSetState after;
    };
    const std::vector<Case> cases = {
        {"pending editor text", true, true, std::nullopt, db::dsEdit},
        {"modified record, Yes", false, true, ui::mrYes, db::dsBrowse},
        {"modified record, No", false, true, ui::mrNo, db::dsEdit},
        {"unmodified record", false, false, std::nullopt, db::dsBrowse},
    };
    for (const Case& c : cases) {
        SetUp();
        MakeData(2);
        ShowAndOpen();
        ui::TScriptedDialogs dialogs;
        ui::TDialogServiceScope scope(dialogs);
        ds->Edit();
        if (c.recordModified) ds->FieldByName("NAME")->SetAsString("new");
        if (c.linkModified) grid->DataLink().SetModified();
        if (c.answer) dialogs.AnswerMessage(*c.answer);
        grid->DataLink().Reset();
        EXPECT_EQ(ds->State(), c.after) << c.name;
        EXPECT_EQ(dialogs.PendingAnswers(), 0u) << c.name;
        if (c.answer) {
            ASSERT_FALSE(dialogs.Asked().empty()) << c.name;
            EXPECT_EQ(dialogs.Asked().back().message.text, "Discard changes to this record?");
        }
        ds->Cancel();
        TearDown();
    }
}

TEST_F(GridFixture, EditTextGoesBackIntoTheFieldWhenTheLinkWritesIt)
{
    MakeData(2);
    ShowAndOpen();
    EXPECT_EQ(grid->GetEditText(2, 1), "name 1");
    ds->FieldByName("NAME")->SetEditMask(">LL;0;_");
    EXPECT_EQ(grid->GetEditMask(2, 1), ">LL;0;_");
    EXPECT_EQ(grid->GetEditMask(1, 1), "");
    EXPECT_EQ(grid->EditText(), "name 1");
    grid->SetCol(2);
    EXPECT_EQ(grid->SelectedField()->FieldName(), "NAME");
    ASSERT_TRUE(grid->CanEditModify());
    grid->SetEditText(2, 1, "typed");
    grid->UpdateData();
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "typed");
    EXPECT_FALSE(grid->DataLink().Modified());
    ds->Post();
    EXPECT_TRUE(grid->CanEditAcceptKey(U'x'));
    grid->SetCol(1);
    EXPECT_TRUE(grid->CanEditAcceptKey(U'7'));
    EXPECT_FALSE(grid->CanEditAcceptKey(U'x'));  // the integer field takes digits only
    EXPECT_EQ(grid->GetEditLimit(), 0);
    grid->SetCol(2);
    EXPECT_EQ(grid->GetEditLimit(), 20);
}

// ---- Layout --------------------------------------------------------------------------------------

class ZeroWidthFixture : public GridFixture {
protected:
    ZeroWidthFixture() : GridFixture(0) {}
};

TEST_F(GridFixture, LayoutArithmetic)
{
    MakeData(3);
    ShowAndOpen();
    struct Case {
        const char* name;
        std::function<void(TgkCustomDBGrid&)> arrange;
        std::function<int(TgkCustomDBGrid&)> measure;
        int expected;
    };
    const auto selected = [](const char* list) {
        return [list](TgkCustomDBGrid& g) {
            g.Selected()->SetText(list);
            g.SetUseTFields(false);
            g.LayoutChanged();
        };
    };
    const auto width = [](int col) { return [col](TgkCustomDBGrid& g) { return g.ColWidths(col); }; };
    const std::vector<Case> cases = {
        {"row height 150 %", [](TgkCustomDBGrid& g) { g.SetRowHeightPercent(150); },
         [](TgkCustomDBGrid& g) { return g.DefaultRowHeight(); }, 24},
        {"two title lines", [](TgkCustomDBGrid& g) { g.SetTitleLines(2); },
         [](TgkCustomDBGrid& g) { return g.RowHeights(0); }, 30},
        {"two title lines without row lines",
         [](TgkCustomDBGrid& g) {
             g.SetTitleLines(2);
             g.SetOptions(g.Options() - TgkDBGridOptions{dgRowLines});
         },
         [](TgkCustomDBGrid& g) { return g.RowHeights(0); }, 31},
        {"field width", [](TgkCustomDBGrid&) {}, width(2), 20 * 7 + 4},
        {"entry width", selected("NAME\t3\tN\n"), width(1), 3 * 7 + 4},
        {"title wider than the data", selected("NAME\t2\tLongest~Tiny\n"), width(1), 7 * 7 + 4},
        {"title lines measured apart", selected("NAME\t2\tAb~Tiny\n"), width(1), 4 * 7 + 4},
        {"no limit by the title",
         [&](TgkCustomDBGrid& g) {
             selected("NAME\t2\tLongest~Tiny\n")(g);
             g.SetOptions(g.Options() | TgkDBGridOptions{dgNoLimitColSize});
         },
         width(1), 2 * 7 + 4},
        {"width that is no number", selected("NAME\twide\tN\n"), width(1), 64},
        {"empty Selected", selected(""), [](TgkCustomDBGrid& g) { return g.ColCount(); }, 2},
        {"indicator", [](TgkCustomDBGrid&) {}, width(0), 11},
        {"without indicator",
         [](TgkCustomDBGrid& g) { g.SetOptions(g.Options() - TgkDBGridOptions{dgIndicator}); },
         [](TgkCustomDBGrid& g) { return g.ColCount(); }, 3},
    };
    for (const Case& c : cases) {
        SetUp();
        MakeData(3);
        ShowAndOpen();
        c.arrange(*grid);
        EXPECT_EQ(c.measure(*grid), c.expected) << c.name;
        TearDown();
    }
}

// At design time with dgPerfectRowFit the grid's height follows its rows: it grows to show
// them with one row to spare; shrinking takes it down to the rows and the strips below them.
TEST_F(GridFixture, TheHeightFitsTheRowsWhileDesigning)
{
    MakeData(3);
    ShowAndOpen();
    grid->SetBounds(0, 0, 600, 300);
    const auto rowsBottom = [&] {
        return grid->CellRect(grid->LeftCol(), grid->RowCount() - 1).Bottom + grid->DefaultRowHeight() + 1;
    };
    // Shrinking: the rows and one pixel (no bar, no footer).
    ASSERT_FALSE(grid->HasHorzScrollBar());
    const int shrunk = rowsBottom() + 1;
    EXPECT_TRUE(grid->ShrinkHeightToRows());
    EXPECT_EQ(grid->Height(), shrunk);
    EXPECT_FALSE(grid->ShrinkHeightToRows());
    // Fitting: one more row would not fit, so the height grows to the rows and the frame.
    EXPECT_TRUE(grid->FitHeightToRows());
    EXPECT_EQ(grid->Height(), rowsBottom() + 4);
    EXPECT_FALSE(grid->FitHeightToRows());
    // The layout fits only while designing, with dgPerfectRowFit, and not aligned to fill.
    struct Case {
        bool designing;
        bool perfectFit;
        ui::TAlign align;
        bool fitted;
    };
    for (const Case& c : std::vector<Case>{{true, true, ui::alNone, true},
                                           {false, true, ui::alNone, false},
                                           {true, false, ui::alNone, false},
                                           {true, true, ui::alClient, false},
                                           {true, true, ui::alTop, false}}) {
        grid->SetOptions(kDefaultDBGridOptions);
        grid->SetAlign(ui::alNone);
        grid->SetBounds(0, 0, 600, 40);
        grid->SetAlign(c.align);
        classes::detail::TStreamAccess::SetState(*form, classes::csDesigning, c.designing);
        TgkDBGridOptions o = kDefaultDBGridOptions;
        if (c.perfectFit) o.Include(dgPerfectRowFit);
        grid->SetOptions(o);  // lays the grid out again
        classes::detail::TStreamAccess::SetState(*form, classes::csDesigning, false);
        if (c.align == ui::alNone) {
            EXPECT_EQ(grid->Height(), c.fitted ? rowsBottom() + 4 : 40) << c.designing << c.perfectFit;
        } else {
            EXPECT_NE(grid->Height(), rowsBottom() + 4) << c.align;  // the parent decides
        }
    }
    classes::detail::TStreamAccess::SetState(*form, classes::csDesigning, false);
}

TEST_F(GridFixture, ProportionalWidthsShareTheClientWidthInWholeCharacters)
{
    MakeData(3);
    grid->Selected()->SetText("ID\t4\tI\nNAME\t10\tN\n");
    grid->SetUseTFields(false);
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgProportionalColResize});
    ShowAndOpen();
    ASSERT_EQ(grid->ClientWidth(), 384);  // the own vertical bar takes 16
    // Designed 32 and 74; 370 pixels to share: 33 * 370 / 107 = 114 -> 109 (whole "0"s),
    // the last column the rest.
    EXPECT_EQ(grid->ColWidths(1), 109);
    EXPECT_EQ(grid->ColWidths(2), 260);
    EXPECT_EQ(grid->ColumnEntryPart("ID", 1), "15");
    EXPECT_EQ(grid->ColumnEntryPart("NAME", 1), "36");
}

TEST_F(ZeroWidthFixture, AFontWithoutWidthStillLaysOut)
{
    MakeData(3);
    grid->Selected()->SetText("ID\t4\tI\nNAME\t10\tN\n");
    grid->SetUseTFields(false);
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgProportionalColResize});
    ShowAndOpen();
    EXPECT_EQ(grid->ColCount(), 3);
    EXPECT_GE(grid->ColWidths(1), 6);
}

// ---- The vertical scroll bar ---------------------------------------------------------------------

TEST_F(GridFixture, ScrollBarOfADataSetWithoutRecordNumbers)
{
    MakeData(30);
    ShowAndOpen();
    ui::TScrollInfo bar = grid->GetScrollInfo(ui::sbVertical);
    EXPECT_EQ(bar.Min, 0);
    EXPECT_EQ(bar.Max, 4);
    EXPECT_EQ(bar.Page, 0);
    EXPECT_EQ(bar.Pos, 0);  // at the start
    ds->MoveBy(3);
    EXPECT_EQ(grid->GetScrollPos(ui::sbVertical), 2);
    ds->Last();
    EXPECT_EQ(grid->GetScrollPos(ui::sbVertical), 4);
}

TEST_F(GridFixture, ScrollBarOfASequencedDataSet)
{
    MakeData<TSequencedMemDataSet>(30);
    ShowAndOpen();
    ui::TScrollInfo bar = grid->GetScrollInfo(ui::sbVertical);
    EXPECT_EQ(bar.Min, 1);
    EXPECT_EQ(bar.Page, 10);
    EXPECT_EQ(bar.Max, 39);
    EXPECT_EQ(bar.Pos, 1);
    ds->MoveBy(14);
    EXPECT_EQ(grid->GetScrollPos(ui::sbVertical), 15);

    // One record: no usable thumb.
    ds->Close();
    ds = nullptr;
    MakeData<TSequencedMemDataSet>(1);
    ds->Open();
    bar = grid->GetScrollInfo(ui::sbVertical);
    EXPECT_EQ(bar.Min, 1);
    EXPECT_EQ(bar.Max, 1001);
    EXPECT_EQ(bar.Page, 1000);
}

TEST_F(GridFixture, ScrollBarMessagesMoveTheDataSet)
{
    struct Case {
        int code;
        int pos;
        int startRecNo;
        int expectedRecNo;
        bool sequenced;
    };
    const std::vector<Case> cases = {
        {ui::SB_LINEDOWN, 0, 1, 2, true},    {ui::SB_LINEUP, 0, 5, 4, true},
        {ui::SB_PAGEDOWN, 0, 1, 11, true},   {ui::SB_PAGEUP, 0, 25, 15, true},
        {ui::SB_TOP, 0, 17, 1, true},        {ui::SB_BOTTOM, 0, 3, 30, true},
        {ui::SB_THUMBPOSITION, 7, 1, 7, true}, {ui::SB_THUMBPOSITION, 1, 9, 1, true},
        {ui::SB_THUMBPOSITION, 30, 2, 30, true}, {ui::SB_THUMBPOSITION, 0, 9, 1, false},
        {ui::SB_THUMBPOSITION, 1, 25, 15, false}, {ui::SB_THUMBPOSITION, 2, 9, 9, false},
        {ui::SB_THUMBPOSITION, 3, 1, 11, false}, {ui::SB_THUMBPOSITION, 4, 9, 30, false},
        {ui::SB_THUMBTRACK, 20, 3, 3, true},  // tracking alone moves nothing
    };
    for (const Case& c : cases) {
        SetUp();
        if (c.sequenced)
            MakeData<TSequencedMemDataSet>(30);
        else
            MakeData(30);
        ShowAndOpen();
        ds->MoveBy(c.startRecNo - 1);
        grid->Perform(ui::WM_VSCROLL, ui::MakeWParam(c.code, c.pos));
        EXPECT_EQ(ds->RecNo(), c.expectedRecNo) << "code " << c.code << " pos " << c.pos;
        EXPECT_TRUE(grid->Focused()) << "the bar takes the focus";
        TearDown();
    }
}

// At the first (last) record the data set cannot move, but the rows shown may still put the
// active record below the top (above the bottom): the arrows then move within those rows and
// the current row follows.
TEST_F(GridFixture, ScrollBarArrowsMoveWithinTheRowsShownAtEitherEnd)
{
    struct Case {
        int code;
        bool atEnd;       // Last() rather than First()
        int startRecord;  // the link's active record before the arrow
        int expectedRecord;
    };
    for (const Case& c : std::vector<Case>{{ui::SB_LINEUP, false, 2, 1},
                                           {ui::SB_LINEUP, false, 0, 0},
                                           {ui::SB_LINEDOWN, true, 3, 4},
                                           {ui::SB_LINEDOWN, true, -1, -1}}) {
        SetUp();
        MakeData(30);
        ShowAndOpen();
        TgkGridDataLink& link = grid->DataLink();
        if (c.atEnd) ds->Last(); else ds->First();
        const int last = link.RecordCount() - 1;
        const int start = c.startRecord < 0 ? last : c.startRecord;
        const int expected = c.expectedRecord < 0 ? last : c.expectedRecord;
        link.SetActiveRecord(start);
        ASSERT_TRUE(c.atEnd ? ds->Eof() : ds->Bof());
        grid->Perform(ui::WM_VSCROLL, ui::MakeWParam(c.code, 0));
        EXPECT_EQ(link.ActiveRecord(), expected) << c.code << " from " << start;
        EXPECT_EQ(grid->Row(), expected + grid->TitleOffset()) << c.code << " from " << start;
        TearDown();
    }
}

TEST_F(GridFixture, ScrollBarOverTheSQLiteSampleThroughTheAdoQuery)
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
    form->Show();
    query.Open();
    EXPECT_TRUE(query.IsSequenced());
    ui::TScrollInfo bar = grid->GetScrollInfo(ui::sbVertical);
    EXPECT_EQ(bar.Min, 1);
    EXPECT_EQ(bar.Page, 10);
    EXPECT_EQ(bar.Max, 30 + 10 - 1);
    EXPECT_EQ(bar.Pos, 1);
    grid->Perform(ui::WM_VSCROLL, ui::MakeWParam(ui::SB_THUMBPOSITION, 12));
    EXPECT_EQ(query.RecNo(), 12);
    EXPECT_EQ(query.FieldByName("customer_id")->AsInteger(), 12);
    EXPECT_EQ(grid->GetScrollPos(ui::sbVertical), 12);
    grid->SetDataSource(nullptr);
    query.Close();
}

// A result larger than the open reads: the bar counts the rows read so far (the grid never
// makes the query read all of them for it), grows as more come in, and is exact once the last
// row is read; the thumb dragged to the bottom goes to the last record of the whole result.
TEST_F(GridFixture, ScrollBarOverAResultStillBeingRead)
{
    constexpr int kRows = 5000;
    gridtest::TManyRowsQuery many(kRows);
    db::TADOQuery& query = many.query;
    grid->SetDataSource(&many.source);
    form->Show();
    const auto max = [&] { return grid->GetScrollInfo(ui::sbVertical).Max; };
    const int page = 10;

    query.Open();
    ASSERT_FALSE(query.AllRowsRead());
    const int first = query.RecordsRead();
    EXPECT_LT(first, kRows);
    EXPECT_EQ(max(), first + page - 1);
    EXPECT_FALSE(query.AllRowsRead()) << "the bar read the rest";
    query.ReadMoreRows(1500);
    EXPECT_GE(query.RecordsRead(), first + 1500);
    EXPECT_EQ(max(), query.RecordsRead() + page - 1);
    query.ReadMoreRows(kRows);
    ASSERT_TRUE(query.AllRowsRead());
    EXPECT_EQ(max(), kRows + page - 1);

    query.Close();
    query.Open();
    grid->Perform(ui::WM_VSCROLL, ui::MakeWParam(ui::SB_THUMBPOSITION, max() - page + 1));
    EXPECT_EQ(query.RecNo(), kRows);
    EXPECT_EQ(query.FieldByName("id")->AsInteger(), kRows);
    EXPECT_EQ(max(), kRows + page - 1);
    EXPECT_EQ(grid->GetScrollPos(ui::sbVertical), kRows);
    grid->SetDataSource(nullptr);
    query.Close();
}

// ---- Focus ------------------------------------------------------------------------------------------

TEST_F(GridFixture, LeavingTheGridCancelsAnUntouchedInsertAndWritesPendingText)
{
    MakeData(3);
    auto* edit = new ui::TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(0, 250, 100, 20);
    ShowAndOpen();
    grid->SetFocus();
    ASSERT_TRUE(grid->HasFocus());
    EXPECT_TRUE(TgkCustomDBGrid::KeyFilterInstalled());
    ds->Append();
    edit->SetFocus();
    EXPECT_EQ(ds->State(), db::dsBrowse);
    EXPECT_EQ(ds->RecordCount(), 3);
    EXPECT_FALSE(grid->HasFocus());
    EXPECT_FALSE(TgkCustomDBGrid::KeyFilterInstalled());

    // Pending editor text is written as the focus goes.
    grid->SetFocus();
    grid->SetCol(2);
    ASSERT_TRUE(grid->CanEditModify());
    grid->SetEditText(2, 1, "kept");
    edit->SetFocus();
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "kept");
}

TEST_F(GridFixture, AFailingWriteBackKeepsTheFocusAndPassesTheError)
{
    MakeData(3);
    auto* edit = new ui::TEdit(form.get());
    edit->SetParent(form.get());
    ShowAndOpen();
    grid->SetFocus();
    grid->SetCol(1);  // the integer column
    ASSERT_TRUE(grid->CanEditModify());
    grid->SetEditText(1, 1, "not a number");
    EXPECT_ANY_THROW(edit->SetFocus());
    EXPECT_TRUE(grid->Focused());
    EXPECT_TRUE(grid->HasFocus());
    EXPECT_EQ(ds->State(), db::dsEdit);
    ds->Cancel();
}

// ---- Text writer, column entries, glyphs -----------------------------------------------------------

// Small members the grid's parts lean on.
TEST_F(GridFixture, RecordOffsetParityRowHeightRestoreAndTheProportionalLastBorder)
{
    MakeData(5);
    ShowAndOpen();
    // Only an offset of the other parity flips the alternating-row parity.
    const bool parity = grid->AlternatingParity();
    grid->SetRecordOffset(2);
    EXPECT_EQ(grid->AlternatingParity(), parity);
    grid->SetRecordOffset(3);
    EXPECT_NE(grid->AlternatingParity(), parity);
    EXPECT_EQ(grid->RecordOffset(), 3);
    grid->SetRecordOffset(0);
    // The percent set as a property comes back after row sizing changed the one in use.
    grid->SetRowHeightPercent(150);
    const int tall = grid->DefaultRowHeight();
    grid->SetRowHeightPercent(100);
    const int plain = grid->DefaultRowHeight();
    ASSERT_NE(tall, plain);
    grid->RestoreRowHeightPercent();
    EXPECT_EQ(grid->RowHeightPercent(), 100);
    EXPECT_EQ(grid->DefaultRowHeight(), plain);
    // With proportional sizing the last column's border in the titles cannot be dragged.
    grid->SetUseTFields(false);
    grid->Selected()->SetText("ID\t4\tID\nNAME\t6\tNAME\nCITY\t5\tCITY\n");
    TgkDBGridOptions o = grid->Options();
    o.Include(dgProportionalColResize);
    grid->SetOptions(o);
    ui::TGridState state;
    int index = 0, pos = 0;
    const int last = grid->ColCount() - 1;
    const ui::TRect lastTitle = grid->CellRect(last, 0);
    grid->CalcSizingState(lastTitle.Right, 2, state, index, pos);
    EXPECT_EQ(state, ui::gsNormal);
    const ui::TRect middle = grid->CellRect(last - 1, 0);
    grid->CalcSizingState(middle.Right, 2, state, index, pos);
    EXPECT_EQ(state, ui::gsColSizing);
    EXPECT_EQ(index, last - 1);
}

// The horizontal bar is stored as asked, and the base grid gets it only while the columns
// are not sized proportionally.
TEST_F(GridFixture, TheHorizontalBarStaysOffWhileColumnsAreProportional)
{
    MakeData(3);
    ShowAndOpen();
    grid->SetUseTFields(false);
    grid->Selected()->SetText("ID\t4\tID\nNAME\t6\tNAME\n");
    for (const auto& [proportional, show, base] : std::vector<std::tuple<bool, bool, bool>>{
             {false, true, true}, {false, false, false}, {true, true, false}, {true, false, false}}) {
        TgkDBGridOptions o = grid->Options();
        if (proportional) o.Include(dgProportionalColResize); else o.Exclude(dgProportionalColResize);
        grid->SetOptions(o);
        grid->SetShowHorzScrollBar(show);
        EXPECT_EQ(grid->ShowHorzScrollBar(), show) << proportional;
        EXPECT_EQ(grid->BaseHasHorzScrollBar(), base) << proportional << show;
    }
    // Turning proportional sizing on takes a bar already there away at the next layout.
    TgkDBGridOptions o = grid->Options();
    o.Exclude(dgProportionalColResize);
    grid->SetOptions(o);
    grid->SetShowHorzScrollBar(true);
    ASSERT_TRUE(grid->BaseHasHorzScrollBar());
    o.Include(dgProportionalColResize);
    grid->SetOptions(o);
    EXPECT_FALSE(grid->BaseHasHorzScrollBar());
    EXPECT_TRUE(grid->ShowHorzScrollBar());
}

TEST_F(GridFixture, WriteTextPlacesTheTextByAlignment)
{
    ui::TRecordingCanvas canvas(7, 13, 3);
    const ui::TRect cell{10, 20, 110, 36};
    struct Case {
        classes::TAlignment alignment;
        int dx;
        int expectedX;
    };
    // "abc" is 21 pixels wide.
    const std::vector<Case> cases = {
        {classes::taLeftJustify, 2, 12},      {classes::taRightJustify, 2, 110 - 2 - 21},
        {classes::taCenter, 2, 10 + (100 - 21) / 2}, {classes::taCenter, 3, 12 + (98 - 21) / 2},
    };
    for (const Case& c : cases) {
        canvas.ClearLog();
        canvas.Brush()->SetColor(rtl::clYellow);
        grid->WriteText(canvas, cell, c.dx, 0, c.alignment, "abc", 2);
        ASSERT_EQ(canvas.Log().size(), 2u);
        EXPECT_EQ(canvas.Log()[0], "FillRect(10,20,110,36 brush=$0000FFFF)");
        EXPECT_EQ(canvas.Log()[1].substr(0, canvas.Log()[1].find(' ')),
                  "Text(" + std::to_string(c.expectedX) + ",22")
            << c.alignment << " dx " << c.dx;
        EXPECT_EQ(canvas.Log()[1].find("bk="), std::string::npos);  // transparent
    }
    // Keep-background: no fill.
    canvas.ClearLog();
    grid->WriteText(canvas, cell, 2, gkdtKeepBackground, classes::taLeftJustify, "abc", 2);
    EXPECT_EQ(canvas.Log().size(), 1u);

    // A one-line-high cell never wraps, a taller one does.
    const auto lines = [&](const ui::TRect& r, int options) {
        canvas.ClearLog();
        grid->WriteText(canvas, r, 2, options | gkdtKeepBackground, classes::taLeftJustify, "aaaa bbbb", 0);
        return canvas.Log().size();
    };
    EXPECT_EQ(lines({0, 0, 50, 16}, gkdtWordWrap), 1u);
    EXPECT_EQ(lines({0, 0, 50, 40}, gkdtWordWrap), 2u);
    EXPECT_EQ(lines({0, 0, 50, 40}, gkdtWordWrap | gkdtEndEllipsis), 1u);
}

TEST(ColumnEntries, ReadAndWriteOnePart)
{
    rtl::TStringList list;
    list.SetText("Name\t10\tFull~name\nCity\t8\tTown\tT\tPlace\n");
    struct Read {
        const char* field;
        int selector;
        const char* expected;
    };
    for (const Read& r : std::vector<Read>{{"NAME", 0, "Name"},
                                           {"name", 1, "10"},
                                           {"Name", 2, "Full~name"},
                                           {"Name", 3, "F"},  // a missing flag reads "F"
                                           {"Name", 4, ""},
                                           {"CITY", 3, "T"},
                                           {"City", 4, "Place"}}) {
        std::string value = "unchanged";
        GetColumnEntryPart(list, r.field, r.selector, value);
        EXPECT_EQ(value, r.expected) << r.field << " " << r.selector;
    }
    std::string value = "unchanged";
    GetColumnEntryPart(list, "Nope", 1, value);
    EXPECT_EQ(value, "unchanged");

    struct Write {
        int index;
        const char* field;
        int selector;
        const char* value;
        const char* expected;
    };
    for (const Write& w : std::vector<Write>{
             {0, "", 3, "T", "Name\t10\tFull~name\tT"},
             {-1, "name", 4, "Group", "Name\t10\tFull~name\tF\tGroup"},
             {-1, "NAME", 1, "12", "Name\t12\tFull~name\tF"},
             {1, "", 2, "Ort", "City\t8\tOrt\tT\tPlace"},
             {-1, "Nope", 1, "1", nullptr},  // nothing happens
         }) {
        list.SetText("Name\t10\tFull~name\nCity\t8\tTown\tT\tPlace\n");
        const std::string before = list.Text();
        SetColumnEntryPart(list, w.field, w.value, w.index, w.selector);
        if (w.expected == nullptr) {
            EXPECT_EQ(list.Text(), before);
            continue;
        }
        const int at = w.index >= 0 ? w.index : 0;
        EXPECT_EQ(list.Strings(at), w.expected);
    }
}

TEST_F(GridFixture, IndicatorGlyphFollowsTheStateAndTheRow)
{
    MakeData(4);
    ShowAndOpen();
    ds->Next();  // the active record is data row 1
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::vector<int> expected;  // per data row 0..3
    };
    const std::vector<Case> cases = {
        {"browsing", [] {}, {-1, 0, -1, -1}},
        {"editing", [&] { ds->Edit(); }, {-1, 1, -1, -1}},
        {"inserting", [&] { ds->Insert(); }, {-1, 2, -1, -1}},
    };
    for (const Case& c : cases) {
        c.arrange();
        std::vector<int> got;
        for (int row = 0; row < 4; ++row) got.push_back(grid->IndicatorGlyphIndex(row));
        EXPECT_EQ(got, c.expected) << c.name;
        ds->Cancel();
    }
    grid->SetDataSource(nullptr);
    EXPECT_EQ(grid->IndicatorGlyphIndex(3), 0);  // no data set: the arrow everywhere
}

TEST(GridPixels, RecolorBitmapReplacesOneColour)
{
    ui::TBitmap b(3, 1);
    b.SetPixel(0, 0, rtl::clBlack);
    b.SetPixel(1, 0, rtl::clWhite);
    b.SetPixel(2, 0, rtl::clBlack);
    TgkCustomDBGrid::RecolorBitmap(b, rtl::clRed, rtl::clBlack);
    EXPECT_EQ(b.Pixel(0, 0), rtl::clRed);
    EXPECT_EQ(b.Pixel(1, 0), rtl::clWhite);
    EXPECT_EQ(b.Pixel(2, 0), rtl::clRed);
}

// ---- Paint options -----------------------------------------------------------------------------------

TEST(GridPixels, TintShiftsEachChannelTowardsTheColour)
{
    struct Case {
        rtl::TColor pixel;
        rtl::TColor tint;
        rtl::TColor expected;
    };
    for (const Case& c : std::vector<Case>{
             {rtl::RGB(200, 100, 7), rtl::clWhite, rtl::RGB(200, 100, 7)},  // round(255/2) = 128
             {rtl::RGB(200, 100, 7), rtl::clBlack, rtl::RGB(72, 0, 0)},
             {rtl::RGB(10, 10, 10), rtl::RGB(3, 1, 5), rtl::RGB(0, 0, 0)},
             {rtl::RGB(130, 130, 130), rtl::RGB(3, 1, 5), rtl::RGB(4, 2, 4)},  // 1.5 -> 2, 0.5 -> 0, 2.5 -> 2
         }) {
        ui::TBitmap b(1, 1);
        b.SetPixel(0, 0, c.pixel);
        TintColor(b, c.tint);
        EXPECT_EQ(b.Pixel(0, 0), c.expected) << std::hex << c.pixel << " " << c.tint;
    }
    ui::TBitmap keyed(2, 1);
    keyed.SetPixel(0, 0, rtl::clRed);
    keyed.SetPixel(1, 0, rtl::RGB(200, 200, 200));
    TintColor(keyed, rtl::clBlack, rtl::clRed);
    EXPECT_EQ(keyed.Pixel(0, 0), rtl::clRed);
    EXPECT_EQ(keyed.Pixel(1, 0), rtl::RGB(72, 72, 72));
}

void Checkers(ui::TPicture& picture, int w, int h)
{
    // A picture file the layer reads: a BMP written by hand (24 bits, bottom-up rows).
    const int stride = (w * 3 + 3) & ~3;
    std::string bmp = "BM";
    const auto u32 = [&bmp](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    const auto u16 = [&bmp](std::uint16_t v) {
        bmp.push_back(static_cast<char>(v & 0xFF));
        bmp.push_back(static_cast<char>(v >> 8));
    };
    u32(static_cast<std::uint32_t>(54 + stride * h));
    u32(0);
    u32(54);
    u32(40);
    u32(static_cast<std::uint32_t>(w));
    u32(static_cast<std::uint32_t>(h));
    u16(1);
    u16(24);
    u32(0);
    u32(static_cast<std::uint32_t>(stride * h));
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const bool dark = (x + y) % 2 == 0;
            const char v = static_cast<char>(dark ? 0x40 : 0xC0);
            bmp.push_back(v);  // blue
            bmp.push_back(v);  // green
            bmp.push_back(v);  // red
        }
        for (int p = w * 3; p < stride; ++p) bmp.push_back(0);
    }
    picture.LoadFromBytes(bmp);
}

TEST_F(GridFixture, UpdateBackgroundLaysThePictureAndBuildsTheTintedImages)
{
    form->Show();
    TgkGridPaintOptions& po = *grid->PaintOptions();
    ui::TPicture picture;
    Checkers(picture, 4, 3);
    ASSERT_EQ(picture.Width(), 4);
    po.SetBackgroundBitmap(picture);
    po.SetActiveRecordColor(rtl::clWhite);
    po.SetAlternatingRowColor(rtl::clBlack);
    po.SetBackgroundOptions({coFillDataCells, coBlendActiveRecord, coBlendAlternatingRow, coBlendFixedRow});
    EXPECT_TRUE(po.OutOfDate());
    po.UpdateBackground(false);
    EXPECT_FALSE(po.OutOfDate());
    const ui::TBitmap& canvasBitmap = *grid->DrawBitmap();
    EXPECT_EQ(canvasBitmap.Width(), grid->ClientWidth());
    // Tiled: the pattern repeats every 4 pixels across and 3 down.
    EXPECT_EQ(canvasBitmap.Pixel(0, 0), rtl::RGB(0x40, 0x40, 0x40));
    EXPECT_EQ(canvasBitmap.Pixel(1, 0), rtl::RGB(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(canvasBitmap.Pixel(4, 3), canvasBitmap.Pixel(0, 0));
    EXPECT_EQ(canvasBitmap.Pixel(283, 199), canvasBitmap.Pixel(283 % 4, 199 % 3));
    ASSERT_NE(po.BackgroundCopy(), nullptr);
    EXPECT_TRUE(po.FillsDataCells());
    ASSERT_NE(po.ActiveRecordImage(), nullptr);
    EXPECT_EQ(po.ActiveRecordImage()->Pixel(1, 0), rtl::RGB(0xC0, 0xC0, 0xC0));  // white leaves it
    ASSERT_NE(po.AlternatingRowImage(), nullptr);
    EXPECT_EQ(po.AlternatingRowImage()->Pixel(1, 0), rtl::RGB(0x40, 0x40, 0x40));  // black darkens by 128
    ASSERT_NE(po.TitleRowImage(), nullptr);
    EXPECT_EQ(po.TitleRowImage()->Height(), grid->RowHeights(0));
    EXPECT_EQ(po.FixedColumnImage(), nullptr);  // not asked for

    // Centred and larger than the grid: negative offsets.
    Checkers(picture, 400, 300);
    po.SetBackgroundBitmap(picture);
    po.SetBackgroundDrawStyle(bdsCenter);
    po.UpdateBackground(false);
    EXPECT_EQ(canvasBitmap.Pixel(0, 0), (((300 - 400) / 2 + (200 - 300) / 2) % 2 == 0) ? rtl::RGB(0x40, 0x40, 0x40)
                                                                                      : rtl::RGB(0xC0, 0xC0, 0xC0));

    // No picture: plain white and every image released.
    picture.Clear();
    po.SetBackgroundBitmap(picture);
    po.UpdateBackground(false);
    EXPECT_EQ(canvasBitmap.Pixel(10, 10), rtl::clWhite);
    EXPECT_EQ(po.BackgroundCopy(), nullptr);
    EXPECT_EQ(po.ActiveRecordImage(), nullptr);
    EXPECT_EQ(po.AlternatingRowImage(), nullptr);
    EXPECT_EQ(po.TitleRowImage(), nullptr);

    // The regions repaint without a rebuild; options without a grid only store.
    po.SetAlternatingRowRegions({arrDataColumns});
    EXPECT_FALSE(po.OutOfDate());
    TgkGridPaintOptions loose(nullptr, nullptr);
    loose.SetBackgroundOptions({coFillDataCells});
    EXPECT_FALSE(loose.OutOfDate());
    EXPECT_EQ(loose.BackgroundOptions(), TgkBackgroundOptions{coFillDataCells});
}

// ---- The library's common routines ----------------------------------------------------------------------

TEST(GridRoutines, ClassTestsAndPlacement)
{
    ui::TForm form(nullptr);
    auto* grid = new TgkCustomDBGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 100, 100);
    auto* inside = new ui::TEdit(&form);
    inside->SetParent(grid);
    inside->SetBounds(5, 5, 20, 10);
    struct Case {
        const classes::TObject* object;
        const char* name;
        bool expected;
    };
    for (const Case& c : std::vector<Case>{{grid, "TCustomGrid", true},
                                           {grid, "tgkcustomdbgrid", true},
                                           {grid, "TCustomControl", true},
                                           {grid, "TgkDBGrid", false},
                                           {inside, "TCustomEdit", true},
                                           {nullptr, "TObject", false}})
        EXPECT_EQ(gkIsClass(c.object, c.name), c.expected) << c.name;
    EXPECT_TRUE(gkIsInGrid(inside));
    EXPECT_FALSE(gkIsInGrid(grid));
    EXPECT_FALSE(gkIsInDataInspector(inside));
    EXPECT_EQ(gkGetOwnerForm(inside), &form);
    EXPECT_EQ(gkGetOwnerForm(&form), &form);
    EXPECT_EQ(gkGetOwnerForm(nullptr), nullptr);
    EXPECT_FALSE(gkChildOutsideClient(grid));
    inside->SetBounds(5, 150, 20, 10);  // a drop-down hanging below
    EXPECT_TRUE(gkChildOutsideClient(grid));
    inside->SetVisible(false);
    EXPECT_FALSE(gkChildOutsideClient(grid));
    EXPECT_FALSE(gkChildOutsideClient(nullptr));
    EXPECT_FALSE(gkIsDesigning(inside));
    EXPECT_EQ(gkGetControlTypeList(grid), grid->ControlType());
    EXPECT_EQ(gkGetControlTypeList(inside), nullptr);
    EXPECT_EQ(gkGetDataSource(inside), nullptr);
}

TEST(GridRoutines, ListsAndKeys)
{
    rtl::TStringList selected;
    selected.SetText("City\t8\tTown\nname\t10\tFirst\nNAME\t4\tSecond\n");
    struct Find {
        const char* name;
        bool found;
        int index;
    };
    for (const Find& f : std::vector<Find>{{"Name", true, 1}, {"CITY", true, 0}, {"Zip", false, -7}}) {
        int index = -7;
        EXPECT_EQ(gkFindSelected(&selected, f.name, index), f.found) << f.name;
        EXPECT_EQ(index, f.index) << f.name;
    }
    int unused = 0;
    EXPECT_FALSE(gkFindSelected(nullptr, "Name", unused));

    rtl::TStringList types;
    types.SetText("Done;CheckBox;Y;N\nDone;Combo;first\nDONE;Bitmap;x\nPic;Bitmap;Stretch To Fit;Source Copy\n");
    struct Type {
        const char* field;
        const char* type;
        const char* parameters;
    };
    for (const Type& t : std::vector<Type>{{"Done", "Combo", "first"},  // the last match wins
                                           {"DONE", "Bitmap", "x"},     // letter case counts
                                           {"done", "", ""},
                                           {"Pic", "Bitmap", "Stretch To Fit;Source Copy"}}) {
        std::string type = "old", parameters = "old";
        gkGetControlTypeFromList(&types, t.field, type, parameters);
        EXPECT_EQ(type, t.type) << t.field;
        EXPECT_EQ(parameters, t.parameters) << t.field;
    }

    dbtest::TMemDataSet ds(nullptr);
    ds.columns = {{"Name", db::ftString, 10}};
    ds.Open();
    EXPECT_TRUE(gkDataSetHasField(&ds, "NAME"));
    EXPECT_FALSE(gkDataSetHasField(&ds, "City"));
    EXPECT_FALSE(gkDataSetHasField(nullptr, "Name"));
    rtl::TStringList fields;
    gkFieldsToSelected(ds, fields);
    ASSERT_EQ(fields.Count(), 1);
    EXPECT_EQ(fields.Strings(0), "Name\t10\tName");

    for (int key : {8, 32, 46, 48, 90, 111, 146, 222}) EXPECT_TRUE(gkIsEditKey(key)) << key;
    for (int key : {9, 13, 37, 45, 112, 123, 144, 145}) EXPECT_FALSE(gkIsEditKey(key)) << key;
    for (const char* t : {"CustomEdit", "lookupcombo", "Combo", "RICHEDIT"}) EXPECT_TRUE(gkIsCustomEditType(t)) << t;
    EXPECT_FALSE(gkIsCustomEditType("CheckBox"));
    EXPECT_EQ(gkStripExtension("table.db"), "table");
    EXPECT_EQ(gkStripExtension("a.b.c"), "a");
    EXPECT_EQ(gkStripExtension("plain"), "plain");
    EXPECT_EQ(gkBoolToTF(true), "T");
    EXPECT_EQ(gkScaleToPPI(10, 144), 15);
    EXPECT_EQ(gkClamp(5, 1, 3), 3);
    EXPECT_EQ(gkRectWidth({2, 3, 10, 20}), 8);
    EXPECT_EQ(gkRectHeight({2, 3, 10, 20}), 17);
}

TEST(GridRoutines, SplitTitleAtTheGroupMark)
{
    TgkCustomDBGrid grid(nullptr);
    struct Case {
        const char* title;
        const char* group;
        const char* caption;
    };
    for (const Case& c : std::vector<Case>{{"Plain", "", "Plain"}, {"Group#Caption", "Group", "Caption"},
                                           {"Group#", "Group", "Group"}}) {
        std::string group = "x", caption = "x";
        grid.SplitTitle(c.title, group, caption);
        EXPECT_EQ(group, c.group) << c.title;
        EXPECT_EQ(caption, c.caption) << c.title;
    }
}

}  // namespace

namespace {

TEST(GridRoutines, PublishedListsAndColumnListsOfADataSet)
{
    using namespace grid;
    dbtest::TMemDataSet ds(nullptr);
    ds.columns = {{"ID", db::ftInteger}, {"Name", db::ftString, 10}, {"Notes", db::ftMemo}};
    ds.Open();

    // Selected applied to the fields: order, labels, widths and visibility.
    rtl::TStringList selected;
    selected.SetText("name\t12\tFull name\nNOPE\t3\tX\nid\t4\tNo\n");
    gkApplySelectedToFields(ds, selected);
    EXPECT_EQ(ds.Fields()[0]->FieldName(), "Name");
    EXPECT_EQ(ds.FieldByName("Name")->DisplayLabel(), "Full name");
    EXPECT_EQ(ds.FieldByName("Name")->DisplayWidth(), 12);
    EXPECT_TRUE(ds.FieldByName("ID")->Visible());
    EXPECT_FALSE(ds.FieldByName("Notes")->Visible());
    selected.SetText("ID\tfour\tNo\n");
    EXPECT_THROW(gkApplySelectedToFields(ds, selected), rtl::EConvertError);
    selected.SetText("ID\t4\n");
    EXPECT_THROW(gkApplySelectedToFields(ds, selected), rtl::EListError);
    EXPECT_TRUE(ds.FieldByName("Notes")->Visible() == false);  // controls enabled again
    EXPECT_FALSE(ds.ControlsDisabled());

    // Stale control information goes, with the lookup link of the same line.
    rtl::TStringList lookupFields, lookupLinks, controlType;
    lookupFields.SetText("Gone;db;t;x;y\nName;db;t;x;y\n");
    lookupLinks.SetText("a;b\nc;d\n");
    controlType.SetText("Name;CheckBox;Y;N\nGone;Combo\n");
    gkRemoveStaleControlInfo(ds, &lookupFields, &lookupLinks, &controlType);
    EXPECT_EQ(lookupFields.Count(), 1);
    EXPECT_EQ(lookupLinks.Strings(0), "c;d");
    EXPECT_EQ(controlType.Count(), 1);
    EXPECT_EQ(controlType.Strings(0), "Name;CheckBox;Y;N");

    // Picture masks through a grid's published list; the grid's own "PictureMaskFromDataSet".
    TgkCustomDBGrid grid(nullptr);
    bool autoFill = false, second = false;
    std::string mask = "x";
    gkGetPictureMaskEntry(&grid, "Name", autoFill, second, mask);
    EXPECT_TRUE(mask.empty());
    EXPECT_TRUE(autoFill);
    EXPECT_TRUE(second);
    gkSetPictureMaskEntry(&grid, "Name", "###", false, true, false);
    EXPECT_EQ(grid.PictureMasks()->Strings(0), "Name\t###\tT\tF");
    gkSetPictureMaskEntry(&grid, "NAME", "&&&", true, false, true);  // flags kept
    EXPECT_EQ(grid.PictureMasks()->Strings(0), "NAME\t&&&\tT\tF");
    gkGetPictureMaskEntry(&grid, "name", autoFill, second, mask);
    EXPECT_EQ(mask, "&&&");
    EXPECT_TRUE(autoFill);
    EXPECT_FALSE(second);
    gkSetPictureMaskEntry(&grid, "Name", "", false, true, true);
    EXPECT_EQ(grid.PictureMasks()->Count(), 0);
    EXPECT_TRUE(gkGetPictureMaskFromDataSet(&grid));
    EXPECT_TRUE(gkGetPictureMaskFromDataSet(&ds));  // absent: True
    grid.SetPictureMaskFromDataSet(false);
    EXPECT_EQ(gkGetPictureMaskSource(&grid, &ds), &grid);
    grid.SetPictureMaskFromDataSet(true);
    EXPECT_EQ(gkGetPictureMaskSource(&grid, &ds), &grid);  // the data set has no list

    // Rich text by control type or by content.
    EXPECT_FALSE(gkIsRichTextField(ds.FieldByName("Name"), true));
    ds.Append();
    ds.FieldByName("Notes")->SetAsString("{\\rtf1 hello}");
    EXPECT_TRUE(gkIsRichTextField(ds.FieldByName("Notes"), true));
    EXPECT_FALSE(gkIsRichTextField(ds.FieldByName("Notes"), false));
    ds.Cancel();

    EXPECT_EQ(gkGetDatabaseName(&ds), "");
    EXPECT_FALSE(gkGetOnInvalidValue(&ds).handler.has_value());
    EXPECT_FALSE(gkTableHasQuery(&ds));
    EXPECT_EQ(gkGetTablePictureMask(&ds, "Name"), "");
    EXPECT_EQ(gkGetLookupFields(&ds), nullptr);
    EXPECT_FALSE(gkGetWantReturns(&grid));
    EXPECT_FALSE(gkSkipDisableControls());
    EXPECT_EQ(gkStringsToText(controlType, true), "Name;CheckBox;Y;N");
    lookupLinks.SetText("a\nb\n");
    EXPECT_EQ(gkStringsToText(lookupLinks, false), "a\r\nb");
    EXPECT_EQ(gkStringsToText(rtl::TStringList(), true), "");
}

TEST_F(GridFixture, DataSourceAndFieldByPropertyName)
{
    MakeData(1);
    EXPECT_TRUE(grid::gkSetDataSource(grid, source.get()));
    EXPECT_EQ(grid->DataSource(), source.get());
    EXPECT_EQ(grid::gkGetDataSource(grid), source.get());
    EXPECT_FALSE(grid::gkSetDataField(grid, "ID"));  // a grid shows no single field
    EXPECT_EQ(grid::gkGetDataField(grid), "");
    EXPECT_FALSE(grid::gkSetBorderStyle(grid, true));
    EXPECT_EQ(grid::gkGetWorkArea(), (ui::TRect{0, 0, 1024, 768}));

    // A key posted with a shift key held arrives with that shift state.
    std::vector<std::string> keys;
    grid->OnKeyDown = [&](classes::TObject*, ui::TKey& key, ui::TShiftState shift) {
        keys.push_back(std::to_string(key) + (shift.Contains(ui::ssShift) ? "+shift" : ""));
    };
    grid::gkPostKeyWithShift(*grid, ui::VK_TAB, ui::VK_SHIFT);
    EXPECT_FALSE(ui::IsKeyDown(ui::VK_SHIFT));
    ws.queue.DeliverAll();
    EXPECT_EQ(keys, (std::vector<std::string>{"9+shift"}));
}

TEST_F(GridFixture, DestroyingTheFocusedGridRemovesTheKeyFilter)
{
    MakeData(1);
    ShowAndOpen();
    grid->SetFocus();
    EXPECT_TRUE(grid::TgkCustomDBGrid::KeyFilterInstalled());
    form.reset();
    EXPECT_FALSE(grid::TgkCustomDBGrid::KeyFilterInstalled());
}

}  // namespace

namespace {

TEST(GridVocabulary, RasterOperationsAndFitModesByName)
{
    using namespace grid;
    struct Op {
        const char* name;
        ui::TCopyMode op;
    };
    for (const Op& o : std::vector<Op>{{"Source Copy", ui::cmSrcCopy},
                                       {"Source Paint", ui::cmSrcPaint},
                                       {"Source And", ui::cmSrcAnd},
                                       {"Source Invert", ui::cmSrcInvert},
                                       {"Source Erase", ui::cmSrcErase},
                                       {"Not Source Copy", ui::cmNotSrcCopy},
                                       {"Not Source Erase", 0x001100A6},
                                       {"Merge Paint", ui::cmMergePaint},
                                       {"source paint", ui::cmSrcCopy},  // names are exact
                                       {"", ui::cmSrcCopy}})
        EXPECT_EQ(gkRasterOpOfName(o.name), o.op) << o.name;
    EXPECT_EQ(gkPictureFitOfName("Original Size"), pfOriginalSize);
    EXPECT_EQ(gkPictureFitOfName("Stretch To Fit"), pfStretchToFit);
    EXPECT_EQ(gkPictureFitOfName("Fit Height"), pfFitHeight);
    EXPECT_EQ(gkPictureFitOfName("Fit Width"), pfFitWidth);
    EXPECT_EQ(gkPictureFitOfName("Shrink To Fit"), pfShrinkToFit);
    EXPECT_EQ(gkPictureFitOfName("Tile"), pfNone);
}

TEST_F(GridFixture, CheckBoxCellsFollowTheirValue)
{
    MakeData(3);
    grid->ControlType()->SetText("CITY;CheckBox;c2;no\nNAME;Combo;x\n");
    ShowAndOpen();
    ASSERT_EQ(grid->ColInfoCache().size(), 4u);
    EXPECT_EQ(grid->ColInfoCache()[3].ControlType, "CheckBox");
    EXPECT_EQ(grid->ColInfoCache()[3].ControlParameters, "c2;no");
    EXPECT_EQ(grid->ColInfoCache()[2].ControlType, "");  // a Combo naming no control of the form is dropped
    ui::TRecordingDevice& device = dynamic_cast<ui::TRecordingDevice&>(*grid->GetDrawCanvas()->Device());
    const auto ticks = [&] {
        return std::count_if(device.Log().begin(), device.Log().end(),
                             [](const std::string& l) { return l.rfind("Polyline(", 0) == 0; });
    };
    for (int row = 1; row <= 3; ++row) {
        device.ClearLog();
        EXPECT_TRUE(grid->DrawCellControl(3, row, grid->CellRect(3, row), {}));
        EXPECT_EQ(ticks(), row == 2 ? 3 : 0) << row;  // "c2" is checked: three tick lines
    }
    EXPECT_FALSE(grid->DrawCellControl(2, 1, grid->CellRect(2, 1), {}));  // not the check-box painter's
    EXPECT_FALSE(grid->DrawCellControl(1, 1, grid->CellRect(1, 1), {}));  // no control type
    EXPECT_EQ(ds->RecNo(), 1);  // the active record came back
}

TEST_F(GridFixture, TooManyMappedColumnsRaiseAndReleaseTheLayout)
{
    MakeData(2);
    ShowAndOpen();
    std::string many;
    for (int i = 0; i <= TgkGridDataLink::kMaxMapSize; ++i) many += "ID\t4\tNo\n";
    grid->Selected()->SetText(many);
    try {
        grid->SetUseTFields(false);
        FAIL() << "no error";
    } catch (const ui::EInvalidGridOperation& e) {
        EXPECT_STREQ(e.what(), "Grid requested to display more than 256 columns");
    }
    EXPECT_EQ(grid->DataLink().FieldCount(), TgkGridDataLink::kMaxMapSize);
    EXPECT_EQ(grid->UpdateLock(), 0);
    grid->Selected()->SetText("NAME\t5\tN\n");
    grid->LayoutChanged();  // the layout runs again
    EXPECT_EQ(MappedNames(*grid), (std::vector<std::string>{"NAME"}));
    EXPECT_EQ(grid->ColCount(), 2);
}

TEST_F(GridFixture, TitleFontFollowsTheParentFontUntilItIsSetItself)
{
    MakeData(1);
    ShowAndOpen();
    form->Font()->SetSize(14);
    EXPECT_TRUE(grid->ParentFont());
    EXPECT_EQ(grid->TitleFont()->Size(), 14);
    grid->TitleFont()->SetSize(9);
    EXPECT_FALSE(grid->ParentFont());
    form->Font()->SetSize(20);
    EXPECT_EQ(grid->TitleFont()->Size(), 9);
}

TEST_F(GridFixture, FooterStripComesOffTheRows)
{
    MakeData(30);
    ShowAndOpen();
    ASSERT_EQ(grid->VisibleRowCount(), 10);
    int footerUpdates = 0;
    grid->OnUpdateFooter = [&](classes::TObject*) { ++footerUpdates; };
    grid->SetFooterHeight(40);
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgShowFooter});
    EXPECT_EQ(grid->GetFooterRect(), (ui::TRect{0, 160, 384, 199}));  // the strip's last pixel row stays free
    EXPECT_EQ(grid->VisibleRowCount(), 8);  // (160 - 18) / 17
    EXPECT_EQ(grid->DataLink().BufferCount(), 8);
    grid->LayoutChanged();
    ds->Next();
    EXPECT_GE(footerUpdates, 1);
}

}  // namespace

namespace {

TEST_F(GridFixture, HighlightFollowsSelectionFocusAndTheActiveRecordColour)
{
    MakeData(3);
    auto* other = new ui::TEdit(form.get());
    other->SetParent(form.get());
    ShowAndOpen();
    struct Case {
        const char* name;
        bool focused;
        bool alwaysShow;
        rtl::TColor activeColor;
        ui::TGridDrawState state;
        int row;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"selected, focused", true, false, rtl::clNone, {ui::gdSelected}, 2, true},
        {"selected, unfocused", false, false, rtl::clNone, {ui::gdSelected}, 2, false},
        {"selected, unfocused, always shown", false, true, rtl::clNone, {ui::gdSelected}, 2, true},
        {"current row, focused", true, false, rtl::clNone, {}, 1, true},
        {"current row with an active-record colour", true, false, rtl::clYellow, {}, 1, false},
        {"another row", true, false, rtl::clNone, {}, 2, false},
    };
    for (const Case& c : cases) {
        if (c.focused)
            grid->SetFocus();
        else
            other->SetFocus();
        grid->SetOptions(c.alwaysShow ? grid->Options() | TgkDBGridOptions{dgAlwaysShowSelection}
                                      : grid->Options() - TgkDBGridOptions{dgAlwaysShowSelection});
        grid->PaintOptions()->SetActiveRecordColor(c.activeColor);
        EXPECT_EQ(grid->HighlightCell(1, c.row, c.state), c.expected) << c.name;
    }
    // Multi-selection asks the selected records instead (none in the core).
    grid->SetFocus();
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgMultiSelect});
    EXPECT_FALSE(grid->HighlightCell(1, 1, {ui::gdSelected}));
}

TEST_F(GridFixture, ColumnEnteredOnceTheWindowExistsWhenActivatedBefore)
{
    MakeData(2);
    int entered = 0, footers = 0;
    grid->OnColEnter = [&](classes::TObject*) { ++entered; };
    grid->OnUpdateFooter = [&](classes::TObject*) { ++footers; };
    grid->SetDataSource(source.get());
    ds->Open();
    EXPECT_EQ(entered, 0);
    form->Show();
    EXPECT_EQ(entered, 1);
    EXPECT_GE(footers, 1);
    ds->Close();
    ds->Open();  // with the window there: at once
    EXPECT_EQ(entered, 2);
}

}  // namespace

