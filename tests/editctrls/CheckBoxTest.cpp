// The library's check box: the spellings a field's text may take, the state shown for each
// record, what is written back, the glyph and text places, and, offscreen through the Qt
// backend, toggling by mouse and Space, Escape, a refused edit, a failing write on exit and
// the glyph's pixels (drawn box, image list).

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "editctrls/gkCheckBox.h"
#include "grid/PublishedDBGrid.h"
#include "platform/db/Fields.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/db/MemDataSet.h"

namespace {

using namespace editctrls;
using ui::cbChecked;
using ui::cbGrayed;
using ui::cbUnchecked;

TEST(gkCheckBoxSpellings, TextMatchesAnySpellingIgnoringCase)
{
    struct Case {
        const char* text;
        ui::TCheckBoxState expected;
    };
    for (const Case& c : std::vector<Case>{{"y", cbChecked},
                                           {"YES", cbChecked},
                                           {"1", cbChecked},
                                           {"no", cbUnchecked},
                                           {"0", cbUnchecked},
                                           {"maybe", cbGrayed},
                                           {"", cbGrayed},
                                           {"Y;Yes", cbGrayed}})
        EXPECT_EQ(gkStateOfText(c.text, "Y;Yes;1", "N;No;0", cbGrayed), c.expected) << c.text;
    EXPECT_EQ(gkFirstSpelling("Y;Yes;1"), "Y");
    EXPECT_EQ(gkFirstSpelling("True"), "True");
    EXPECT_EQ(gkFirstSpelling(""), "");
}

class CheckBoxFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ui::qt::Install(); }

    void SetUp() override
    {
        ui::Application().Reset();
        // An error the control lets out would otherwise wait in a message box.
        ui::Application().OnException = [](classes::TObject*, const std::exception& e) {
            ADD_FAILURE() << "unexpected error: " << e.what();
        };
        ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
        ds->columns = {{"FLAG", db::ftString, 5}, {"DONE", db::ftBoolean}};
        const db::TVariant null;
        for (const auto& [flag, done] : std::vector<std::pair<db::TVariant, db::TVariant>>{
                 {db::TVariant("y"), db::TVariant(true)},
                 {db::TVariant("YES"), db::TVariant(false)},
                 {db::TVariant("1"), null},
                 {db::TVariant("n"), db::TVariant(true)},
                 {db::TVariant("x"), db::TVariant(true)},
                 {null, db::TVariant(true)}})
            ds->AddRow({flag, done});
        source = std::make_unique<db::TDataSource>(nullptr);
        source->SetDataSet(ds.get());
        form = std::make_unique<ui::TForm>(nullptr);
        form->SetBounds(0, 0, 300, 160);
        box = new TgkCheckBox(form.get());
        box->SetParent(form.get());
        box->SetBounds(10, 10, 120, 20);
        box->SetCaption("Paid");
        box->SetValueChecked("Y;Yes;1");
        box->SetValueUnchecked("N;No;0");
        box->SetNullAndBlankState(cbGrayed);
        other = new ui::TEdit(form.get());
        other->SetParent(form.get());
        other->SetBounds(10, 60, 100, 22);
    }

    void TearDown() override
    {
        // Suites run after this one in the same process report errors their own way.
        ui::Application().OnException = nullptr;
        form.reset();
        source.reset();
        ds.reset();
    }

    void Bind(const std::string& field)
    {
        box->SetDataSource(source.get());
        box->SetDataField(field);
        ds->Open();
    }

    void Show()
    {
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(ui::qt::WidgetOf(*form)));
        box->SetFocus();
        QApplication::processEvents();
    }

    QWidget* Surface() { return ui::qt::PeerOf(*box)->MouseWidget(); }

    void ClickGlyph()
    {
        const ui::TRect g = box->CalcGlyphRect();
        QTest::mouseClick(Surface(), Qt::LeftButton, {}, QPoint((g.Left + g.Right) / 2, (g.Top + g.Bottom) / 2));
        QApplication::processEvents();
    }

    QImage Shot() { return Surface()->grab().toImage(); }

    std::unique_ptr<dbtest::TMemDataSet> ds;
    std::unique_ptr<db::TDataSource> source;
    std::unique_ptr<ui::TForm> form;
    TgkCheckBox* box = nullptr;
    ui::TEdit* other = nullptr;
};

TEST_F(CheckBoxFixture, EachRecordShowsTheStateItsValueStandsFor)
{
    Bind("FLAG");
    const std::vector<ui::TCheckBoxState> flag{cbChecked, cbChecked, cbChecked, cbUnchecked, cbGrayed, cbGrayed};
    const std::vector<ui::TCheckBoxState> done{cbChecked, cbUnchecked, cbGrayed, cbChecked, cbChecked, cbChecked};
    for (std::size_t i = 0; i < flag.size(); ++i) {
        box->SetDataField("FLAG");
        EXPECT_EQ(box->State(), flag[i]) << "FLAG of record " << i;
        box->SetDataField("DONE");
        EXPECT_EQ(box->State(), done[i]) << "DONE of record " << i;
        ds->Next();
    }
    // Display values read back as the values (the whole text) while empty.
    EXPECT_EQ(box->DisplayValueChecked(), "Y;Yes;1");
    box->SetDisplayValueChecked("Paid");
    EXPECT_EQ(box->DisplayValueChecked(), "Paid");
    EXPECT_EQ(box->DisplayValueUnchecked(), "N;No;0");
}

TEST_F(CheckBoxFixture, WritingBackTakesTheFirstSpellingAndGrayedClears)
{
    struct Case {
        const char* field;
        ui::TCheckBoxState state;
        const char* text;  // nullptr: null
    };
    Bind("FLAG");
    for (const Case& c : std::vector<Case>{{"FLAG", cbChecked, "Y"},
                                           {"FLAG", cbUnchecked, "N"},
                                           {"FLAG", cbGrayed, nullptr},
                                           {"DONE", cbChecked, "True"},
                                           {"DONE", cbUnchecked, "False"},
                                           {"DONE", cbGrayed, nullptr}}) {
        ds->First();
        ds->MoveBy(4);  // "x": no spelling of either state
        box->SetDataField(c.field);
        ds->Edit();
        box->SetState(c.state);
        box->DataLink()->SetModified();
        box->DataLink()->UpdateRecord();
        db::TField* f = ds->FieldByName(c.field);
        if (c.text == nullptr)
            EXPECT_TRUE(f->IsNull()) << c.field << " " << c.state;
        else
            EXPECT_EQ(f->AsString(), c.text) << c.field << " " << c.state;
        ds->Cancel();
    }
}

TEST_F(CheckBoxFixture, GlyphAndTextPlacesFollowAlignmentIndentsFrameAndGrid)
{
    struct Case {
        const char* name;
        classes::TAlignment alignment;
        int buttonX, buttonY, textX;
        bool frame;
        ui::TRect glyph;
        int textLeft;
    };
    // 120 x 20: the glyph's centre 1 + 6 in from the left, or 120 - 1 - 6 - 2 from it.
    for (const Case& c : std::vector<Case>{
             {"left glyph", classes::taRightJustify, 0, 0, 0, false, {1, 4, 14, 17}, 18},
             {"right glyph", classes::taLeftJustify, 0, 0, 0, false, {105, 4, 118, 17}, 2},
             {"indents", classes::taRightJustify, 4, 2, 5, false, {5, 6, 18, 19}, 27},
             {"flat frame", classes::taRightJustify, 0, 0, 0, true, {3, 4, 16, 17}, 23},
         }) {
        box->SetAlignment(c.alignment);
        box->Indents()->SetButtonX(c.buttonX);
        box->Indents()->SetButtonY(c.buttonY);
        box->Indents()->SetTextX(c.textX);
        box->Frame()->SetEnabled(c.frame);
        EXPECT_EQ(box->CalcGlyphRect(), c.glyph) << c.name;
        ui::TBitmap scratch(1, 1);
        EXPECT_EQ(box->CalcTextRect(*scratch.Canvas()).Left, c.textLeft) << c.name;
    }
    // Inside a grid the margin grows by one and the frame counts as off.
    auto* g = new grid::TgkDBGrid(form.get());
    g->SetParent(form.get());
    box->SetParent(g);
    box->SetAlignment(classes::taRightJustify);
    box->Indents()->SetButtonX(0);
    box->Indents()->SetButtonY(0);
    EXPECT_EQ(box->CalcGlyphRect(), (ui::TRect{2, 4, 15, 17}));
}

TEST_F(CheckBoxFixture, ClicksToggleBoundAndUnboundBoxesButNotRefusedOnes)
{
    Show();
    // Unbound.
    ClickGlyph();
    EXPECT_EQ(box->State(), cbChecked);
    box->SetReadOnly(true);
    ClickGlyph();
    EXPECT_EQ(box->State(), cbChecked) << "read-only";
    box->SetReadOnly(false);
    // Bound: the click puts the data set into edit mode.
    Bind("FLAG");
    ds->MoveBy(3);  // "n"
    EXPECT_EQ(box->State(), cbUnchecked);
    ClickGlyph();
    EXPECT_EQ(box->State(), cbChecked);
    EXPECT_EQ(ds->State(), db::dsEdit);
    EXPECT_TRUE(box->Modified());
    ds->Post();
    EXPECT_EQ(ds->FieldByName("FLAG")->AsString(), "Y");
    // A data set that refuses the edit leaves the state.
    ds->readOnly = true;
    ds->Next();
    const ui::TCheckBoxState before = box->State();
    ClickGlyph();
    EXPECT_EQ(box->State(), before);
    EXPECT_EQ(ds->State(), db::dsBrowse);
}

TEST_F(CheckBoxFixture, SpaceTogglesOnReleaseAndEscapeThrowsTheChangeAway)
{
    Bind("FLAG");
    ds->MoveBy(3);  // "n"
    Show();
    QWidget* w = ui::qt::WidgetOf(*box);
    QTest::keyPress(w, Qt::Key_Space);
    EXPECT_EQ(box->State(), cbUnchecked) << "not before the release";
    EXPECT_EQ(ds->State(), db::dsEdit) << "Space starts the edit";
    QTest::keyRelease(w, Qt::Key_Space);
    EXPECT_EQ(box->State(), cbChecked);
    EXPECT_TRUE(box->Modified());
    QTest::keyClick(w, Qt::Key_Escape);
    EXPECT_EQ(box->State(), cbUnchecked) << "the field's value again";
    EXPECT_FALSE(box->Modified());
}

TEST_F(CheckBoxFixture, AFailingWriteOnExitBringsTheFocusBackAndShowsTheError)
{
    Bind("FLAG");
    Show();
    ds->FieldByName("FLAG")->OnValidate = [](db::TField*) { throw rtl::Exception("no flags today"); };
    std::vector<std::string> shown;
    ui::Application().OnException = [&shown](classes::TObject*, const std::exception& e) { shown.push_back(e.what()); };
    ClickGlyph();
    ASSERT_TRUE(box->Modified());
    QTest::mouseClick(ui::qt::WidgetOf(*other), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(shown, std::vector<std::string>{"no flags today"});
    EXPECT_TRUE(box->Focused());
    ds->FieldByName("FLAG")->OnValidate = nullptr;
    ui::Application().OnException = nullptr;
    ds->Cancel();
}

TEST_F(CheckBoxFixture, TheGlyphIsTheDrawnBoxUnlessTheImageListHoldsTheState)
{
    Show();
    const ui::TRect g = box->CalcGlyphRect();
    const QPoint middle((g.Left + g.Right) / 2, (g.Top + g.Bottom) / 2);
    const auto colourAt = [&](QPoint p) { return Shot().pixelColor(p).rgb() & 0xFFFFFF; };
    const QRgb window = ui::PixelOfColor(rtl::ColorToRGB(rtl::clWindow)) & 0xFFFFFF;
    // Pixels of the window-text colour inside the box: the tick.
    const auto tickPixels = [&] {
        const QImage shot = Shot();
        int n = 0;
        for (int y = g.Top + 2; y < g.Bottom - 2; ++y)
            for (int x = g.Left + 2; x < g.Right - 2; ++x)
                if ((shot.pixelColor(x, y).rgb() & 0xFFFFFF) == (ui::PixelOfColor(rtl::ColorToRGB(rtl::clWindowText)) & 0xFFFFFF)) ++n;
        return n;
    };
    EXPECT_EQ(colourAt(QPoint(g.Left + 3, g.Top + 3)), window) << "an empty box";
    EXPECT_EQ(tickPixels(), 0);
    box->SetState(cbChecked);
    QApplication::processEvents();
    EXPECT_GT(tickPixels(), 10) << "the tick";

    // One image: unchecked shows it, checked falls back to the box.
    ui::TImageList images(nullptr);
    images.SetWidth(13);
    images.SetHeight(13);
    images.AddPixels(std::vector<std::uint32_t>(13 * 13, 0xFF00C000u));
    box->SetImages(&images);
    box->SetState(cbUnchecked);
    QApplication::processEvents();
    EXPECT_EQ(colourAt(middle), 0x00C000u);
    box->SetState(cbChecked);
    QApplication::processEvents();
    EXPECT_NE(colourAt(middle), 0x00C000u);
    EXPECT_EQ(colourAt(QPoint(g.Left + 3, g.Top + 3)), window);
    EXPECT_GT(tickPixels(), 10);
}

TEST_F(CheckBoxFixture, OverTheHighlightedCellTheGridsCellColoursDecide)
{
    // The box laid over the current cell of a focused grid, the grid's cell colours asked
    // for the highlighted cell of its field.
    ds->Open();
    auto* g = new grid::TgkDBGrid(form.get());
    g->SetParent(form.get());
    g->SetBounds(140, 10, 150, 140);
    g->SetDataSource(source.get());
    g->ControlType()->SetText("FLAG;CustomEdit;PaidBox\n");
    box->SetName("PaidBox");
    box->SetParent(g);
    box->SetDataSource(source.get());
    box->SetDataField("FLAG");
    box->SetShowText(false);
    std::vector<std::string> asked;
    g->OnCalcCellColors = [&asked](classes::TObject*, db::TField* field, ui::TGridDrawState, bool highlight,
                                   classes::TFont* font, ui::TBrush* brush) {
        if (!highlight) return;
        asked.push_back(field->FieldName());
        brush->SetColor(rtl::clYellow);
        font->SetColor(rtl::clRed);
    };
    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ui::qt::WidgetOf(*form)));
    g->SetFocus();
    g->PlaceCellControl();
    QApplication::processEvents();
    ASSERT_EQ(g->PlacedControl(), box);
    asked.clear();
    box->Repaint();
    QApplication::processEvents();
    const QImage shot = Shot();
    const QRgb yellow = ui::PixelOfColor(rtl::ColorToRGB(rtl::clYellow)) & 0xFFFFFF;
    EXPECT_EQ(shot.pixel(shot.width() - 4, shot.height() / 2) & 0xFFFFFF, yellow) << "the handler's brush";
    EXPECT_NE(std::find(asked.begin(), asked.end(), "FLAG"), asked.end()) << "asked for the box's field";
}

}  // namespace
