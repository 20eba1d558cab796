// Frames drawn into small bitmaps through the Qt backend's canvas (offscreen), compared pixel
// by pixel with maps: every style on all, no, left-and-top and right-and-bottom sides, the
// corner pixels of the groove and the bump, the rectangle left inside, and the edit
// border's flat frame in the frame colour over two rings of the back colour.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framedctrls/FcCommon.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/qt/QtUi.h"

namespace {

using namespace framedctrls;
using ui::TRect;

// Map letters: K black (button text, window frame, dark shadow), S button shadow, H button
// highlight, L 3D light, G and Y the colours a test chose, '.' untouched (red).
rtl::TColor ColorOfLetter(char c)
{
    switch (c) {
    case 'K': return rtl::clBlack;
    case 'S': return rtl::ColorToRGB(rtl::clBtnShadow);
    case 'H': return rtl::ColorToRGB(rtl::clBtnHighlight);
    case 'L': return rtl::ColorToRGB(rtl::cl3DLight);
    case 'G': return rtl::clLime;
    case 'Y': return rtl::clYellow;
    default: return rtl::clRed;
    }
}

std::string Differences(const ui::TBitmap& bmp, const std::vector<std::string>& map)
{
    std::string out;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if (bmp.Pixel(x, y) != ColorOfLetter(map[y][x]))
                out += "(" + std::to_string(x) + "," + std::to_string(y) + ") wants " + map[y][x] + "; ";
    return out;
}

class FrameDrawTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ui::qt::Install(); }
};

struct TFrameCase {
    TFrameStyle style;
    TSides sides;
    std::vector<std::string> map;  // 6 x 5
    TRect inner;
};

const TSides kLeftTop{sdLeft, sdTop};
const TSides kRightBottom{sdRight, sdBottom};

const std::vector<TFrameCase>& FrameCases()
{
    static const std::vector<TFrameCase> cases{
        {fsFlat, kAllSides, {"KKKKKK", "K....K", "K....K", "K....K", "KKKKKK"}, {1, 1, 5, 4}},
        {fsFlat, kLeftTop, {"KKKKKK", "K.....", "K.....", "K.....", "K....."}, {1, 1, 6, 5}},
        {fsFlat, kRightBottom, {".....K", ".....K", ".....K", ".....K", "KKKKKK"}, {0, 0, 5, 4}},
        {fsStatus, kAllSides, {"SSSSSH", "S....H", "S....H", "S....H", "HHHHHH"}, {1, 1, 5, 4}},
        {fsStatus, kLeftTop, {"SSSSSS", "S.....", "S.....", "S.....", "S....."}, {1, 1, 6, 5}},
        {fsStatus, kRightBottom, {".....H", ".....H", ".....H", ".....H", "HHHHHH"}, {0, 0, 5, 4}},
        {fsPopup, kAllSides, {"HHHHHS", "H....S", "H....S", "H....S", "SSSSSS"}, {1, 1, 5, 4}},
        {fsPopup, kLeftTop, {"HHHHHH", "H.....", "H.....", "H.....", "H....."}, {1, 1, 6, 5}},
        {fsPopup, kRightBottom, {".....S", ".....S", ".....S", ".....S", "SSSSSS"}, {0, 0, 5, 4}},
        {fsLowered, kAllSides, {"SSSSSH", "SKKKLH", "SK..LH", "SLLLLH", "HHHHHH"}, {2, 2, 4, 3}},
        {fsLowered, kLeftTop, {"SSSSSS", "SKKKKK", "SK....", "SK....", "SK...."}, {2, 2, 6, 5}},
        {fsLowered, kRightBottom, {"....LH", "....LH", "....LH", "LLLLLH", "HHHHHH"}, {0, 0, 4, 3}},
        {fsRaised, kAllSides, {"LLLLLK", "LHHHSK", "LH..SK", "LSSSSK", "KKKKKK"}, {2, 2, 4, 3}},
        {fsRaised, kLeftTop, {"LLLLLL", "LHHHHH", "LH....", "LH....", "LH...."}, {2, 2, 6, 5}},
        {fsRaised, kRightBottom, {"....SK", "....SK", "....SK", "SSSSSK", "KKKKKK"}, {0, 0, 4, 3}},
        {fsButtonDown, kAllSides, {"KKKKKK", "KSSSSK", "KS..SK", "KSSSSK", "KKKKKK"}, {2, 2, 4, 3}},
        {fsButtonDown, kLeftTop, {"KKKKKK", "KSSSSS", "KS....", "KS....", "KS...."}, {2, 2, 6, 5}},
        {fsButtonDown, kRightBottom, {"....SK", "....SK", "....SK", "SSSSSK", "KKKKKK"}, {0, 0, 4, 3}},
        {fsButtonUp, kAllSides, {"HHHHHK", "HLLLSK", "HL..SK", "HSSSSK", "KKKKKK"}, {2, 2, 4, 3}},
        {fsButtonUp, kLeftTop, {"HHHHHH", "HLLLLL", "HL....", "HL....", "HL...."}, {2, 2, 6, 5}},
        {fsButtonUp, kRightBottom, {"....SK", "....SK", "....SK", "SSSSSK", "KKKKKK"}, {0, 0, 4, 3}},
        // The groove and the bump: two-tone lines whose open ends get corner pixels.
        {fsGroove, kAllSides, {"SSSSSH", "SHHHSH", "SH..SH", "SSSSSH", "HHHHHH"}, {2, 2, 4, 3}},
        {fsGroove, kLeftTop, {"SSSSSS", "SHHHHH", "SH....", "SH....", "SH...."}, {2, 2, 6, 5}},
        {fsGroove, kRightBottom, {"....SH", "....SH", "....SH", "SSSSSH", "HHHHHH"}, {0, 0, 4, 3}},
        {fsBump, kAllSides, {"HHHHHS", "HSSSHS", "HS..HS", "HHHHHS", "SSSSSS"}, {2, 2, 4, 3}},
        {fsBump, kLeftTop, {"HHHHHH", "HSSSSS", "HS....", "HS....", "HS...."}, {2, 2, 6, 5}},
        {fsBump, kRightBottom, {"....HS", "....HS", "....HS", "HHHHHS", "SSSSSS"}, {0, 0, 4, 3}},
        // Open ends of the groove on the top and right sides alone, and the left alone.
        {fsGroove, TSides{sdTop, sdRight}, {"SSSSSH", "HHHHSH", "....SH", "....SH", "....SH"}, {0, 2, 4, 5}},
        {fsGroove, TSides{sdLeft}, {"SH....", "SH....", "SH....", "SH....", "SH...."}, {2, 0, 6, 5}},
    };
    return cases;
}

TEST_F(FrameDrawTest, EveryStyleOnChosenSidesMatchesItsPixelMap)
{
    for (const TFrameCase& c : FrameCases()) {
        ui::TBitmap bmp(6, 5);
        bmp.Fill(rtl::clRed);
        TRect inner;
        DrawFrame(*bmp.Canvas(), {0, 0, 6, 5}, c.style, inner, c.sides);
        const std::string what = FrameStyleInfo().NameOf(c.style) + " sides " + std::to_string(c.sides.Bits());
        EXPECT_EQ(Differences(bmp, c.map), "") << what;
        EXPECT_EQ(inner, c.inner) << what;
    }
}

TEST_F(FrameDrawTest, NoSidesOrNoStyleDrawsNothingAndKeepsTheRectangle)
{
    const std::vector<std::string> untouched(5, "......");
    for (int s = fsNone; s <= fsPopup; ++s) {
        for (TSides sides : {TSides{}, kAllSides}) {
            if (s != fsNone && !sides.Empty()) continue;
            ui::TBitmap bmp(6, 5);
            bmp.Fill(rtl::clRed);
            TRect inner{9, 9, 9, 9};
            DrawFrame(*bmp.Canvas(), {0, 0, 6, 5}, static_cast<TFrameStyle>(s), inner, sides);
            EXPECT_EQ(Differences(bmp, untouched), "") << FrameStyleInfo().NameOf(s);
            EXPECT_EQ(inner, (TRect{0, 0, 6, 5})) << FrameStyleInfo().NameOf(s);
        }
    }
}

TEST_F(FrameDrawTest, BevelOfWidthZeroDrawsNothingAndWidthTwoNestsRings)
{
    ui::TBitmap bmp(6, 5);
    bmp.Fill(rtl::clRed);
    TRect inner;
    DrawBevel(*bmp.Canvas(), {0, 0, 6, 5}, rtl::clLime, inner, kAllSides, 0, rtl::clYellow);
    EXPECT_EQ(inner, (TRect{0, 0, 6, 5}));
    EXPECT_EQ(Differences(bmp, std::vector<std::string>(5, "......")), "");
    DrawBevel(*bmp.Canvas(), {0, 0, 6, 5}, rtl::clLime, inner, kAllSides, 2, rtl::clYellow);
    EXPECT_EQ(inner, (TRect{2, 2, 4, 3}));
    EXPECT_EQ(Differences(bmp, {"GGGGGY", "GGGGYY", "GG..YY", "GYYYYY", "YYYYYY"}), "");
}

TEST_F(FrameDrawTest, BorderPaintsTwoRingsInTheBackColourAndAFlatFrameInTheFrameColour)
{
    ui::TBitmap bmp(8, 6);
    bmp.Fill(rtl::clRed);
    DrawBorder(*bmp.Canvas(), 8, 6, kAllSides, rtl::clLime, rtl::clYellow, fsFlat);
    EXPECT_EQ(Differences(bmp, {"GGGGGGGG", "GYYYYYYG", "GY....YG", "GY....YG", "GYYYYYYG", "GGGGGGGG"}), "");

    bmp.Fill(rtl::clRed);
    DrawBorder(*bmp.Canvas(), 8, 6, kLeftTop, rtl::clLime, rtl::clYellow, fsFlat);
    EXPECT_EQ(Differences(bmp, {"GGGGGGGG", "GYYYYYYY", "GY....YY", "GY....YY", "GYYYYYYY", "GYYYYYYY"}), "");

    // Another style takes its own colours; the frame colour plays no part.
    bmp.Fill(rtl::clRed);
    DrawBorder(*bmp.Canvas(), 8, 6, kAllSides, rtl::clLime, rtl::clYellow, fsStatus);
    EXPECT_EQ(Differences(bmp, {"SSSSSSSH", "SYYYYYYH", "SY....YH", "SY....YH", "SYYYYYYH", "HHHHHHHH"}), "");
}

}  // namespace
