// The button glyphs of the frame controls by pixels, drawn offscreen through the Qt backend:
// the radio button's dot, the grayed three-state box, the pressed check box and the push
// button's raised and sunken faces.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/Bitmap.h"
#include "platform/ui/FrameControls.h"
#include "platform/ui/qt/QtUi.h"

namespace {

using namespace ui;

class FrameGlyphs : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qt::Install(); }
};

TEST_F(FrameGlyphs, EachKindAndStateDrawsItsColours)
{
    struct Case {
        const char* name;
        unsigned state;
        TPoint at;
        rtl::TColor expected;
    };
    const TRect r{0, 0, 13, 13};
    const std::vector<Case> cases{
        {"radio, its inside", DFCS_BUTTONRADIO, {3, 6}, rtl::clWindow},
        {"radio, unchecked centre", DFCS_BUTTONRADIO, {6, 6}, rtl::clWindow},
        {"radio, checked centre", DFCS_BUTTONRADIO | DFCS_CHECKED, {6, 6}, rtl::clWindowText},
        {"radio, inactive checked", DFCS_BUTTONRADIO | DFCS_CHECKED | DFCS_INACTIVE, {6, 6}, rtl::clGrayText},
        {"radio, pushed", DFCS_BUTTONRADIO | DFCS_PUSHED, {3, 6}, rtl::clBtnFace},
        {"check, pushed", DFCS_BUTTONCHECK | DFCS_PUSHED, {3, 3}, rtl::clBtnFace},
        {"three-state, unchecked", DFCS_BUTTON3STATE, {3, 3}, rtl::clWindow},
        {"three-state, grayed", DFCS_BUTTON3STATE | DFCS_CHECKED, {3, 3}, rtl::clBtnFace},
        {"push, raised", DFCS_BUTTONPUSH, {0, 0}, rtl::cl3DLight},
        {"push, raised bottom", DFCS_BUTTONPUSH, {12, 12}, rtl::cl3DDkShadow},
        {"push, sunken", DFCS_BUTTONPUSH | DFCS_PUSHED, {0, 0}, rtl::clBtnShadow},
        {"push, face", DFCS_BUTTONPUSH, {6, 6}, rtl::clBtnFace},
    };
    for (const Case& c : cases) {
        TBitmap b(13, 13);
        b.Fill(rtl::RGB(1, 2, 3));
        ASSERT_TRUE(DrawFrameControl(*b.Canvas(), r, DFC_BUTTON, c.state)) << c.name;
        EXPECT_EQ(b.Pixel(c.at.X, c.at.Y), rtl::ColorToRGB(c.expected)) << c.name;
    }
    // The grayed box's tick is drawn in the shadow colour.
    TBitmap grayed(13, 13);
    DrawFrameControl(*grayed.Canvas(), r, DFC_BUTTON, DFCS_BUTTON3STATE | DFCS_CHECKED);
    int shadow = 0, text = 0;
    for (int y = 2; y < 11; ++y)
        for (int x = 2; x < 11; ++x) {
            shadow += grayed.Pixel(x, y) == rtl::ColorToRGB(rtl::clBtnShadow) ? 1 : 0;
            text += grayed.Pixel(x, y) == rtl::ColorToRGB(rtl::clWindowText) ? 1 : 0;
        }
    EXPECT_GT(shadow, 10);
    EXPECT_EQ(text, 0);
}

}  // namespace
