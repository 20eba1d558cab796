// The edit frame and button effects: text offsets, edit margins and auto height as tables,
// the frame switched off inside a grid, the button's Flat and Transparent by name, and the
// frame drawn by pixels through the Qt backend's canvas (offscreen).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editctrls/gkDBDateTimePicker.h"
#include "editctrls/gkFrame.h"
#include "grid/GridRoutines.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StdCtrls.h"
#include "platform/rtl/DateTime.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/grid/GridTestSupport.h"

namespace {

using namespace editctrls;
using Sides = TgkEditFrameEnabledSet;
const Sides kAll{efLeftBorder, efTopBorder, efRightBorder, efBottomBorder};

TEST(EditFrame, TextOffsetsAndMargins)
{
    struct Case {
        TgkEditFocusStyle style;
        Sides borders;
        int x, y;                   // GetTextOffsets (focused)
        int left, top, rightDrop;   // GetEditRectMargins
    } cases[] = {
        {efsFrameBox, kAll, 2, 2, 2, 2, 1},
        {efsFrameSingle, kAll, 2, 2, 2, 2, 0},
        {efsFrameSunken, kAll, 3, 3, 3, 3, 2},
        {efsFrameBump, kAll, 3, 3, 3, 3, 2},
        {efsFrameRaised, kAll, 3, 3, 2, 3, 2},
        {efsFrameEtched, Sides{efTopBorder}, 1, 3, 1, 3, 2},
        {efsFrameSunken, Sides{efBottomBorder}, 1, 2, 1, 3, 2},
        {efsFrameBox, Sides{efLeftBorder}, 2, 2, 2, 2, 0},
    };
    for (const Case& c : cases) {
        TgkEditFrame frame(nullptr);
        frame.SetFocusStyle(c.style);
        frame.SetFocusBorders(c.borders);
        int x = 0, y = 0;
        frame.GetTextOffsets(x, y, true);
        EXPECT_EQ(x, c.x) << c.style;
        EXPECT_EQ(y, c.y) << c.style;
        ui::TRect r{0, 0, 100, 20};
        frame.GetEditRectMargins(r);
        EXPECT_EQ(r.Left, c.left) << c.style;
        EXPECT_EQ(r.Top, c.top) << c.style;
        EXPECT_EQ(100 - r.Right, c.rightDrop) << c.style;
    }
    // The extra offsets count in both looks.
    TgkEditFrame frame(nullptr);
    frame.NonFocusTextOffsetX = 4;
    frame.NonFocusTextOffsetY = 1;
    int x = 0, y = 0;
    frame.GetTextOffsets(x, y, false);  // unfocused: bottom border only
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 3);
}

class FrameOnControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::Application().Reset();
        form = std::make_unique<ui::TForm>(nullptr);
        form->SetBounds(0, 0, 300, 200);
        picker = new TgkDBDateTimePicker(form.get());
        picker->SetParent(form.get());
        picker->SetBounds(10, 10, 150, 40);
    }
    gridtest::TFakeWindowSystem ws;  // fonts are 13 pixels high
    std::unique_ptr<ui::TForm> form;
    TgkDBDateTimePicker* picker = nullptr;
};

TEST_F(FrameOnControls, AutoHeightAndTheGrid)
{
    struct Case {
        bool enabled;
        int adjust;
        int height;
    } cases[] = {{false, 0, 40}, {true, 0, 13 + 6}, {true, 3, 13 + 6 + 3}};
    for (const Case& c : cases) {
        picker->SetBounds(10, 10, 150, 40);
        picker->Frame()->SetEnabled(false);
        picker->Frame()->AutoSizeHeightAdjust = c.adjust;
        picker->Frame()->SetEnabled(c.enabled);  // the border goes, the height follows the font
        EXPECT_EQ(picker->Height(), c.height) << c.enabled << " " << c.adjust;
    }
    EXPECT_TRUE(picker->Frame()->IsFrameEnabled());
    EXPECT_EQ(picker->FrameRingWidth(), 2);
    auto* grid = new ui::TCustomGrid(form.get());
    grid->SetParent(form.get());
    picker->SetParent(grid);
    EXPECT_FALSE(picker->Frame()->IsFrameEnabled());
    EXPECT_EQ(picker->FrameRingWidth(), 0);

    // A frame without a windowed owner only stores.
    TgkEditFrame loose(nullptr);
    loose.SetEnabled(true);
    EXPECT_EQ(loose.Control(), nullptr);
    EXPECT_FALSE(loose.IsFrameEnabled());
}

TEST_F(FrameOnControls, ButtonEffectsSetTheButtonsFlatByName)
{
    ui::TSpeedButton* button = picker->Button();
    TgkButtonEffects* effects = picker->ButtonEffects();
    effects->SetFlat(true);
    EXPECT_TRUE(button->Flat());
    effects->SetTransparent(true);
    EXPECT_TRUE(button->Flat());
    effects->SetFlat(false);
    EXPECT_TRUE(button->Flat());  // still transparent
    effects->SetTransparent(false);
    EXPECT_FALSE(button->Flat());
    EXPECT_EQ(gkGetFrame(picker), picker->Frame());
    EXPECT_EQ(gkGetButtonEffects(picker), picker->ButtonEffects());
    ui::TEdit plain(nullptr);
    EXPECT_EQ(gkGetFrame(&plain), nullptr);
}

// Transparent windows: how far up a repaint goes, and which area a changed text leaves to
// paint again.
TEST_F(FrameOnControls, TransparentParentsAndErasedText)
{
    auto* inner = new TgkDBDateTimePicker(form.get());
    inner->SetParent(picker);
    inner->SetBounds(5, 6, 100, 21);
    form->Show();
    const auto logOf = [&](const ui::TControl* c) {
        std::string all;
        for (const std::string& line : ws.log[c]) all += line + ";";
        return all;
    };
    const auto clear = [&] {
        for (auto& entry : ws.log) entry.second.clear();  // the peers keep writing to these
    };

    // An opaque parent repaints alone.
    EXPECT_FALSE(gkIsParentTransparent(*inner));
    clear();
    gkInvalidateTransparentParents(*inner);
    EXPECT_EQ(logOf(picker), "invalidate 5,6,105,27;");
    EXPECT_EQ(logOf(form.get()), "");
    // A transparent one passes the repaint on to its own parent.
    picker->Frame()->SetEnabled(true);
    picker->Frame()->SetTransparent(true);
    EXPECT_TRUE(gkIsWindowTransparent(*picker));
    EXPECT_TRUE(gkIsParentTransparent(*inner));
    clear();
    gkInvalidateTransparentParents(*inner);
    EXPECT_EQ(logOf(picker), "invalidate 5,6,105,27;");
    EXPECT_EQ(logOf(form.get()), "invalidate 15,16,115,37;");
    // The frame switched off, or no request for a transparent window: opaque again.
    picker->Frame()->CreateTransparent = false;
    EXPECT_FALSE(gkIsParentTransparent(*inner));
    picker->Frame()->CreateTransparent = true;

    // Erasing the text of the transparent inner picker under a transparent parent: every
    // transparent ancestor repaints.
    inner->Frame()->SetEnabled(true);  // auto height: 13 + 6
    inner->Frame()->SetTransparent(true);
    ASSERT_EQ(inner->Height(), 19);
    clear();
    gkEraseTransparentText(*inner->Frame(), false, true);
    EXPECT_EQ(logOf(picker), "invalidate 5,6,105,25;");
    EXPECT_EQ(logOf(form.get()), "invalidate 15,16,115,35;");

    // Under an opaque parent the picker repaints the area itself.
    picker->Frame()->SetTransparent(false);
    const ui::TRect client = inner->ClientRect();
    const ui::TRect& m = inner->TextMargins();
    const ui::TRect e{m.Left, m.Top, client.Right - m.Right, client.Bottom - m.Bottom};
    struct Case {
        const char* name;
        bool whole, textOnly;
        ui::TRect area;
    } cases[] = {
        {"whole client", true, false, client},
        // The formatting rectangle grown by one, one more on the left (no left border drawn
        // unfocused), its bottom raised by two when the client reaches four below it.
        {"text", false, true,
         {std::max(0, e.Left - 2), e.Top - 1, e.Right + 1,
          client.Bottom - (e.Bottom + 1) >= 4 ? e.Bottom - 1 : e.Bottom + 1}},
    };
    for (const Case& c : cases) {
        clear();
        gkEraseTransparentText(*inner->Frame(), c.whole, c.textOnly);
        EXPECT_EQ(logOf(inner), "invalidate " + ui::FormatRect(c.area) + ";") << c.name;
        EXPECT_EQ(logOf(picker), "") << c.name;
    }
    // A graphic control of the parent under the picker: the parent paints the frame's inside.
    auto* label = new ui::TLabel(form.get());
    label->SetParent(picker);
    label->SetBounds(0, 0, 40, 40);
    clear();
    gkEraseTransparentText(*inner->Frame(), false, false);
    // Inside the ring of two, two wider on the left (no left border), two off the bottom.
    EXPECT_EQ(logOf(picker), "invalidate " + ui::FormatRect({5 + 0, 6 + 2, 5 + client.Right - 2, 6 + client.Bottom - 4}) + ";");

    // The transparent picker itself: a new text unfocused has its place repainted first (the
    // parent's label shows through, so the parent does it): the frame's inside (the border
    // is off with the frame on) up to three past the text's right edge beside the button;
    // focused, it paints its own background and asks for no transparent window until left.
    ASSERT_EQ(inner->BorderStyle(), ui::bsNone);
    const int textRight = client.Right - inner->TextMargins().Right;
    ASSERT_GT(std::abs(textRight - (client.Right - 2)), 8);
    clear();
    inner->SetValue(rtl::EncodeDate(2024, 5, 6));
    EXPECT_NE(logOf(picker).find("invalidate " + ui::FormatRect({5, 8, 5 + textRight + 3, 6 + client.Bottom - 2}) + ";"),
              std::string::npos)
        << logOf(picker);
    inner->Perform(ui::CM_ENTER);
    EXPECT_FALSE(inner->Frame()->CreateTransparent);
    clear();
    inner->SetValue(rtl::EncodeDate(2024, 5, 7));
    EXPECT_EQ(logOf(picker), "");
    inner->Perform(ui::CM_EXIT);
    EXPECT_TRUE(inner->Frame()->CreateTransparent);
}

// ---- Pixels ------------------------------------------------------------------------------

// The Qt backend only for this suite: the other suites of this program measure with the
// headless fonts.
class FramePixels : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        before = ui::SetWindowSystem(nullptr);
        ui::SetWindowSystem(before);
        ui::qt::Install();
    }
    static void TearDownTestSuite() { ui::SetWindowSystem(before); }
    static inline ui::IWindowSystem* before = nullptr;
};

TEST_F(FramePixels, BoxFrameAndBlankedRings)
{
    ui::TForm form(nullptr);
    auto* edit = new ui::TEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(0, 0, 8, 6);
    edit->SetColor(rtl::clYellow);
    TgkEditFrame frame(edit);
    frame.SetEnabled(true);
    edit->SetBounds(0, 0, 8, 6);

    ui::TBitmap bmp(8, 6);
    bmp.Canvas()->Brush()->SetColor(rtl::clRed);
    bmp.Canvas()->FillRect({0, 0, 8, 6});
    // Unfocused: the bottom border only, in the mono box style (window frame, then window).
    gkDrawFrameOnDC(*edit, frame, *bmp.Canvas(), false);
    const rtl::TColor frameColor = rtl::ColorToRGB(rtl::clWindowFrame);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(bmp.Pixel(x, 5), frameColor) << x;
    EXPECT_EQ(bmp.Pixel(3, 0), rtl::clRed);
    // No sides: nothing drawn; the non-client paint still blanks the two outer rings.
    frame.SetNonFocusBorders({});
    bmp.Canvas()->FillRect({0, 0, 8, 6});
    gkDrawFrameOnDC(*edit, frame, *bmp.Canvas(), false);
    EXPECT_EQ(bmp.Pixel(0, 0), rtl::clRed);
    EXPECT_FALSE(gkPaintNonClientFrame(frame, false, false, *bmp.Canvas()));
    EXPECT_EQ(bmp.Pixel(0, 0), rtl::clYellow);
    EXPECT_EQ(bmp.Pixel(1, 1), rtl::clYellow);
    EXPECT_EQ(bmp.Pixel(3, 2), rtl::clRed);
    // Focused: all four sides.
    bmp.Canvas()->Brush()->SetColor(rtl::clRed);
    bmp.Canvas()->FillRect({0, 0, 8, 6});
    gkDrawFrameOnDC(*edit, frame, *bmp.Canvas(), true);
    EXPECT_EQ(bmp.Pixel(0, 0), frameColor);
    EXPECT_EQ(bmp.Pixel(7, 3), frameColor);
    EXPECT_EQ(bmp.Pixel(1, 1), rtl::ColorToRGB(rtl::clWindow));
    EXPECT_EQ(bmp.Pixel(3, 2), rtl::clRed);
}

// The picker's button shows the mark DrawButton paints for each library style (the part of
// the face inside its edges that is not plain face), and the user's picture, untouched by
// later resizing, for the custom style.
TEST_F(FramePixels, ButtonFaceFollowsTheStyle)
{
    ui::TForm form(nullptr);
    auto* picker = new TgkDBDateTimePicker(&form);
    picker->SetParent(&form);
    picker->SetBounds(0, 0, 120, 21);
    const auto rgb = [](std::uint32_t p) { return p & 0xFFFFFF; };
    const std::uint32_t black = 0;
    // Where the glyph lies inside the face drawn directly, or (-1, -1).
    const auto placeIn = [&](const ui::TPicture& glyph, ui::TBitmap& face) {
        for (int oy = 0; oy + glyph.Height() <= face.Height(); ++oy)
            for (int ox = 0; ox + glyph.Width() <= face.Width(); ++ox) {
                bool same = true;
                for (int y = 0; same && y < glyph.Height(); ++y)
                    for (int x = 0; same && x < glyph.Width(); ++x)
                        same = rgb(glyph.Pixel(x, y)) == rgb(face.ScanLine(oy + y)[ox + x]);
                if (same) return ui::TPoint{ox, oy};
            }
        return ui::TPoint{-1, -1};
    };
    // Runs of black pixels along the glyph's row y.
    const auto blackRuns = [&](const ui::TPicture& glyph, int y) {
        int runs = 0;
        bool in = false;
        for (int x = 0; x < glyph.Width(); ++x) {
            const bool dark = rgb(glyph.Pixel(x, y)) == black;
            if (dark && !in) ++runs;
            in = dark;
        }
        return runs;
    };
    struct Row {
        TgkComboButtonStyle style;
        std::function<void(ui::TCanvas&, const ui::TRect&)> draw;
        int runsOnFirstRow;
    } rows[] = {
        {cbsEllipsis,
         [](ui::TCanvas& c, const ui::TRect& r) { grid::gkDrawEllipsisButton(c, r, false, false, false, false); }, 3},
        {cbsDownArrow,
         [](ui::TCanvas& c, const ui::TRect& r) { grid::gkDrawDropDownButton(c, r, false, false, true); }, 1},
    };
    std::vector<std::uint32_t> seen;
    for (const Row& row : rows) {
        picker->SetButtonStyle(row.style);
        EXPECT_FALSE(picker->IsCustomButtonStyle());
        const ui::TPicture& glyph = *picker->ButtonGlyph();
        ASSERT_FALSE(glyph.Empty()) << row.style;
        EXPECT_LT(glyph.Width(), picker->Button()->Width() - 3) << row.style;  // the mark, not the face
        TgkDateComboButton& b = *picker->Button();
        ui::TBitmap face(b.Width(), b.Height());
        face.Fill(rtl::clBtnFace);
        row.draw(*face.Canvas(), {0, 0, face.Width(), face.Height()});
        const ui::TPoint at = placeIn(glyph, face);
        EXPECT_GE(at.X, 2) << row.style;
        EXPECT_GE(at.Y, 2) << row.style;
        EXPECT_EQ(blackRuns(glyph, 0), row.runsOnFirstRow) << row.style;
        seen.push_back(static_cast<std::uint32_t>(glyph.Width() * 100 + glyph.Height()));
    }
    EXPECT_NE(seen[0], seen[1]);  // an ellipsis is not an arrow

    ui::TPicture own;
    own.Assign(*picker->ButtonGlyph());
    picker->SetButtonStyle(cbsCustom);
    EXPECT_TRUE(picker->IsCustomButtonStyle());
    bool defaultPaint = true;
    picker->DrawButton(*ui::TBitmap(4, 4).Canvas(), {0, 0, 4, 4}, defaultPaint);
    EXPECT_TRUE(defaultPaint);  // the button's own glyph painting runs
    picker->SetButtonWidth(30);
    EXPECT_EQ(picker->ButtonGlyph()->Width(), own.Width());
    EXPECT_EQ(picker->ButtonGlyph()->Bytes(), own.Bytes());
}

}  // namespace
