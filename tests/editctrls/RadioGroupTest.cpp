// The radio group and the transparent group box: item values and captions, the bounds of
// each button, and, offscreen through the Qt backend, clicks writing the value, a refused
// edit, the keys inside a grid cell, and the parent showing through a transparent box.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "editctrls/gkRadioGroup.h"
#include "grid/PublishedDBGrid.h"
#include "platform/classes/Streaming.h"
#include "platform/ui/Bitmap.h"
#include "platform/db/Fields.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/db/MemDataSet.h"

namespace {

using namespace editctrls;

TEST(gkRadioLayout, ButtonsFollowBorderCaptionSpacingFramesAndReadingOrder)
{
    struct Case {
        const char* name;
        TgkRadioLayout layout;
        std::vector<ui::TRect> rects;
    };
    TgkRadioLayout base;
    base.Width = 185;
    base.Height = 105;
    base.ClientWidth = 185;
    base.Count = 3;
    base.TextHeight = 13;
    const auto with = [&base](auto change) {
        TgkRadioLayout l = base;
        change(l);
        return l;
    };
    const std::vector<Case> cases{
        {"border and caption", base, {{9, 14, 181, 43}, {9, 43, 181, 72}, {9, 72, 181, 101}}},
        {"two columns, no caption",
         with([](TgkRadioLayout& l) {
             l.Columns = 2;
             l.Caption = false;
         }),
         {{9, 2, 94, 52}, {9, 52, 94, 102}, {94, 2, 179, 52}}},
        {"no border, no spacing, framed",
         with([](TgkRadioLayout& l) {
             l.Columns = 2;
             l.Border = false;
             l.NoSpacing = true;
             l.GroupFrame = true;
             l.ButtonFrame = true;
         }),
         {{2, 2, 93, 53}, {2, 53, 93, 105}, {93, 2, 187, 105}}},
        {"right to left", with([](TgkRadioLayout& l) { l.RightToLeft = true; }),
         {{4, 14, 176, 43}, {4, 43, 176, 72}, {4, 72, 176, 101}}},
        {"columns kept to 16",
         with([](TgkRadioLayout& l) {
             l.Columns = 20;
             l.Count = 1;
         }),
         {{9, 14, 18, 101}}},
    };
    for (const Case& c : cases) EXPECT_EQ(gkLayoutRadioButtons(c.layout), c.rects) << c.name;
    TgkRadioLayout none = base;
    none.Count = 0;
    EXPECT_TRUE(gkLayoutRadioButtons(none).empty());
}

class RadioFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ui::qt::Install(); }

    void SetUp() override
    {
        ui::Application().Reset();
        ui::Application().OnException = [](classes::TObject*, const std::exception& e) {
            ADD_FAILURE() << "unexpected error: " << e.what();
        };
        ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
        ds->columns = {{"ID", db::ftInteger}, {"COLOR", db::ftString, 10}};
        const char* colors[] = {"R", "Green", "Blue", "violet"};
        for (int i = 0; i < 4; ++i) ds->AddRow({db::TVariant(i + 1), db::TVariant(colors[i])});
        source = std::make_unique<db::TDataSource>(nullptr);
        source->SetDataSet(ds.get());
        form = std::make_unique<ui::TForm>(nullptr);
        form->SetBounds(0, 0, 420, 300);
        group = new TgkRadioGroup(form.get());
        group->SetParent(form.get());
        group->SetBounds(10, 10, 185, 105);
        group->SetCaption("Colour");
        group->Items()->SetText("Red\nGreen\nBlue");
        group->Values()->SetText("R\n");
    }

    void TearDown() override
    {
        ui::Application().OnException = nullptr;
        form.reset();
        source.reset();
        ds.reset();
    }

    void Show()
    {
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(ui::qt::WidgetOf(*form)));
        QApplication::processEvents();
    }

    void ClickButton(int i)
    {
        TGroupButton* b = group->Buttons(i);
        const ui::TRect g = b->CalcGlyphRect();
        QTest::mouseClick(ui::qt::PeerOf(*b)->MouseWidget(), Qt::LeftButton, {},
                          QPoint((g.Left + g.Right) / 2, (g.Top + g.Bottom) / 2));
        QApplication::processEvents();
    }

    std::unique_ptr<dbtest::TMemDataSet> ds;
    std::unique_ptr<db::TDataSource> source;
    std::unique_ptr<ui::TForm> form;
    TgkRadioGroup* group = nullptr;
    int changes = 0;
};

TEST_F(RadioFixture, ItemsStandForTheirValuesOrTheirOwnText)
{
    ASSERT_EQ(group->ButtonCount(), 3);
    struct Case {
        const char* value;
        const char* caption;
    };
    for (const Case& c : std::vector<Case>{{"R", "Red"}, {"Green", "Green"}, {"Blue", "Blue"}, {"r", ""}, {"Red", ""}, {"", ""}})
        EXPECT_EQ(group->GetCaptionForValue(c.value), c.caption) << c.value;
    EXPECT_EQ(group->GetItemValue(0), "R");
    EXPECT_EQ(group->GetItemValue(1), "Green");  // an empty entry
    EXPECT_EQ(group->GetItemValue(2), "Blue");   // beyond Values
    EXPECT_EQ(group->GetItemValue(3), "");
    for (const auto& [asked, kept] : std::vector<std::pair<int, int>>{{0, 1}, {20, 16}, {3, 3}, {-2, 1}}) {
        group->SetColumns(asked);
        EXPECT_EQ(group->Columns(), kept) << asked;
    }
    for (const auto& [asked, kept] : std::vector<std::pair<int, int>>{{5, 2}, {-3, -1}, {1, 1}}) {
        group->SetItemIndex(asked);
        EXPECT_EQ(group->ItemIndex(), kept) << asked;
    }
}

TEST_F(RadioFixture, TheFieldChoosesTheButtonAndNoMatchChoosesNone)
{
    group->SetDataSource(source.get());
    group->SetDataField("COLOR");
    ds->Open();
    const std::vector<int> expected{0, 1, 2, -1};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(group->ItemIndex(), expected[static_cast<std::size_t>(i)]) << "record " << i;
        for (int b = 0; b < group->ButtonCount(); ++b)
            EXPECT_EQ(group->Buttons(b)->Checked(), b == expected[static_cast<std::size_t>(i)]) << "record " << i << " button " << b;
        ds->Next();
    }
}

TEST_F(RadioFixture, ClicksWriteTheItemValueUnlessTheEditIsRefused)
{
    group->SetDataSource(source.get());
    group->SetDataField("COLOR");
    ds->Open();
    group->OnChange = [this](classes::TObject*) { ++changes; };
    Show();
    ClickButton(2);
    EXPECT_EQ(group->ItemIndex(), 2);
    EXPECT_EQ(ds->State(), db::dsEdit);
    ds->Post();
    EXPECT_EQ(ds->FieldByName("COLOR")->AsString(), "Blue");
    ClickButton(0);
    ds->Post();
    EXPECT_EQ(ds->FieldByName("COLOR")->AsString(), "R");
    EXPECT_GE(changes, 2);
    ds->readOnly = true;
    ClickButton(1);
    EXPECT_EQ(group->ItemIndex(), 0);
    EXPECT_TRUE(group->Buttons(0)->Checked());
    EXPECT_FALSE(group->Buttons(1)->Checked());
    group->SetReadOnly(true);
    ds->readOnly = false;
    ClickButton(1);
    EXPECT_EQ(group->ItemIndex(), 0) << "ReadOnly";
}

TEST_F(RadioFixture, ArrowsInAGridCellMoveBetweenButtonsThenHandTheKeyToTheGrid)
{
    auto* g = new grid::TgkDBGrid(form.get());
    g->SetParent(form.get());
    g->SetBounds(0, 120, 400, 170);
    g->SetDataSource(source.get());
    group->SetParent(g);
    group->SetDataSource(source.get());
    group->SetDataField("COLOR");
    ds->Open();
    Show();
    group->Buttons(0)->SetFocus();
    QApplication::processEvents();
    QTest::keyClick(ui::qt::WidgetOf(*group->Buttons(0)), Qt::Key_Down);
    EXPECT_TRUE(group->Buttons(1)->Focused());
    EXPECT_EQ(group->ItemIndex(), 1);
    ds->Cancel();
    group->Buttons(2)->SetFocus();
    QApplication::processEvents();
    const int before = ds->RecNo();
    QTest::keyClick(ui::qt::WidgetOf(*group->Buttons(2)), Qt::Key_Down);
    EXPECT_TRUE(g->Focused());
    EXPECT_EQ(ds->RecNo(), before + 1) << "the grid moved on";
}

TEST_F(RadioFixture, OverTheHighlightedCellTheGridsCellColoursDecide)
{
    auto* g = new grid::TgkDBGrid(form.get());
    g->SetParent(form.get());
    g->SetBounds(0, 120, 400, 170);
    g->SetDataSource(source.get());
    g->ControlType()->SetText("COLOR;CustomEdit;Colours\n");
    group->SetName("Colours");
    group->SetParent(g);
    group->SetDataSource(source.get());
    group->SetDataField("COLOR");
    std::vector<std::string> asked;
    g->OnCalcCellColors = [&asked](classes::TObject*, db::TField* field, ui::TGridDrawState, bool highlight,
                                   classes::TFont*, ui::TBrush* brush) {
        if (!highlight) return;
        asked.push_back(field->FieldName());
        brush->SetColor(rtl::clYellow);
    };
    ds->Open();
    Show();
    g->SetFocus();
    g->SetSelectedIndex(1);
    g->PlaceCellControl();
    group->SetFocus();
    QApplication::processEvents();
    ASSERT_EQ(g->PlacedControl(), group);
    asked.clear();
    group->Repaint();
    QApplication::processEvents();
    const QImage shot = ui::qt::WidgetOf(*group)->grab().toImage();
    EXPECT_EQ(shot.pixel(shot.width() - 3, shot.height() - 3) & 0xFFFFFF,
              ui::PixelOfColor(rtl::ColorToRGB(rtl::clYellow)) & 0xFFFFFF);
    EXPECT_NE(std::find(asked.begin(), asked.end(), "COLOR"), asked.end());
}

TEST_F(RadioFixture, ATransparentBoxShowsItsParentUnlessItStandsInAGrid)
{
    auto* panel = new ui::TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(200, 10, 200, 150);
    panel->SetColor(rtl::RGB(255, 200, 0));
    auto* box = new TgkCustomTransparentGroupBox(form.get());
    box->SetParent(panel);
    box->SetBounds(20, 20, 150, 100);
    box->SetColor(rtl::RGB(0, 120, 255));
    Show();
    const auto inside = [&] {
        QApplication::processEvents();
        const QImage shot = ui::qt::WidgetOf(*form)->grab().toImage();
        const QPoint at = ui::qt::WidgetOf(*box)->mapTo(ui::qt::WidgetOf(*form), QPoint(75, 60));
        return shot.pixelColor(at).rgb() & 0xFFFFFF;
    };
    EXPECT_EQ(inside(), 0x0078FFu) << "opaque: its own colour";
    box->SetTransparent(true);
    EXPECT_EQ(inside(), 0xFFC800u) << "transparent: the panel";
    EXPECT_TRUE(box->IsTransparent());
    auto* g = new grid::TgkDBGrid(form.get());
    g->SetParent(form.get());
    box->SetParent(g);
    EXPECT_FALSE(box->IsTransparent()) << "inside a grid it paints opaque";
}

TEST_F(RadioFixture, StoredBevelsFrameTheTransparentGroup)
{
    // The bevels read from a stored form, then painted round the transparent group: outer
    // bevel rings, a BorderWidth frame in the group's colour, the inner bevel.
    RegisterCheckBoxClasses();
    auto* panel = new ui::TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(200, 10, 210, 150);
    panel->SetBevelOuter(ui::bvNone);
    panel->SetColor(rtl::RGB(255, 200, 0));
    group->SetParent(panel);
    group->SetBounds(20, 20, 170, 110);
    classes::ReadComponentText(*form, R"(object Form1: TForm
  object Shades: TgkRadioGroup
    Left = 10
    Top = 150
    Width = 80
    Height = 60
    Transparent = True
    BevelInner = bvRaised
    BevelOuter = bvLowered
    BevelWidth = 2
    BorderWidth = 1
  end
end
)");
    auto* read = dynamic_cast<TgkRadioGroup*>(form->FindComponent("Shades"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->BevelOuter(), ui::bvLowered);
    EXPECT_EQ(read->BevelInner(), ui::bvRaised);
    EXPECT_EQ(read->BevelWidth(), 2);
    EXPECT_EQ(read->BorderWidth(), 1);
    const std::string written = classes::WriteComponentText(*form);
    for (const char* line : {"BevelOuter = bvLowered", "BevelInner = bvRaised", "BevelWidth = 2", "BorderWidth = 1"})
        EXPECT_NE(written.find(line), std::string::npos) << line;

    group->SetTransparent(true);
    group->SetColor(rtl::RGB(0, 120, 255));
    group->SetBevelOuter(read->BevelOuter());
    group->SetBevelInner(read->BevelInner());
    group->SetBevelWidth(read->BevelWidth());
    group->SetBorderWidth(read->BorderWidth());
    Show();
    group->Repaint();
    QApplication::processEvents();
    const QImage shot = ui::qt::WidgetOf(*group)->grab().toImage();
    const auto colour = [](rtl::TColor c) { return ui::PixelOfColor(rtl::ColorToRGB(c)) & 0xFFFFFF; };
    const auto at = [&](int x, int y) { return shot.pixel(x, y) & 0xFFFFFF; };
    const int y = shot.height() / 2;  // the left side, below the caption
    const int right = shot.width() - 1;
    struct Case {
        const char* name;
        int x;
        rtl::TColor colour;
    };
    const Case cases[] = {
        {"lowered outer, first ring", 0, rtl::clBtnShadow},
        {"lowered outer, second ring", 1, rtl::clBtnShadow},
        {"lowered outer, right side", right, rtl::clBtnHighlight},
        {"lowered outer, right side second ring", right - 1, rtl::clBtnHighlight},
        {"border in the group's colour", 2, rtl::RGB(0, 120, 255)},
        {"raised inner", 3, rtl::clBtnHighlight},
        {"raised inner, right side", right - 3, rtl::clBtnShadow},
    };
    for (const Case& c : cases) EXPECT_EQ(at(c.x, y), colour(c.colour)) << c.name;
}

}  // namespace
