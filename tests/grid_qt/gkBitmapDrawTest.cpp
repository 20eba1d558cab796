// The effects bitmap drawn through a canvas onto a layer bitmap, offscreen through the Qt
// backend: copies at its own size, the key colour left out, tiles, nearest-neighbour and
// smooth stretching, and nothing for an empty or inverted rectangle.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "grid/gkBitmap.h"
#include "platform/ui/qt/QtUi.h"

namespace {

using grid::TgkBitmap;

constexpr rtl::TColor G(int v) { return rtl::RGB(v, v, v); }
constexpr rtl::TColor Back = rtl::RGB(0, 0, 200);

class gkBitmapDraw : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ui::qt::Install(); }

    void SetUp() override
    {
        target = std::make_unique<ui::TBitmap>(6, 3);
        target->Fill(Back);
    }

    std::string Row(int y) const
    {
        std::string s;
        for (int x = 0; x < target->Width(); ++x) {
            const rtl::TColor c = target->Pixel(x, y);
            s += c == Back ? '.' : c == rtl::clRed ? 'R' : c == G(10) ? 'a' : c == G(20) ? 'b' : c == G(100) ? 'm' : '?';
        }
        return s;
    }

    std::unique_ptr<ui::TBitmap> target;
};

TEST_F(gkBitmapDraw, DrawsByPixels)
{
    TgkBitmap b;
    b.NewImage(2, 1);
    b.SetPixel(0, 0, G(10));
    b.SetPixel(1, 0, G(20));
    struct Case {
        const char* name;
        std::function<void(TgkBitmap&, ui::TCanvas&)> draw;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases{
        {"own size", [](TgkBitmap& i, ui::TCanvas& c) { i.Draw(c, {1, 1, 3, 2}); }, {"......", ".ab...", "......"}},
        {"stretched by nearest pixels", [](TgkBitmap& i, ui::TCanvas& c) { i.Draw(c, {0, 0, 4, 2}); },
         {"aabb..", "aabb..", "......"}},
        {"tiled", [](TgkBitmap& i, ui::TCanvas& c) { i.DrawTiled(c, {0, 0, 5, 2}); }, {"ababab", "ababab", "......"}},
        {"transparent, key the top-left colour",
         [](TgkBitmap& i, ui::TCanvas& c) {
             i.Transparent = true;
             i.Draw(c, {1, 1, 3, 2});
         },
         {"......", "..b...", "......"}},
        {"transparent, key given",
         [](TgkBitmap& i, ui::TCanvas& c) {
             i.Transparent = true;
             i.TransparentColor = G(20);
             i.Draw(c, {0, 2, 2, 3});
         },
         {"......", "......", "a....."}},
        {"empty rectangle", [](TgkBitmap& i, ui::TCanvas& c) { i.Draw(c, {3, 1, 3, 2}); }, {"......", "......", "......"}},
        {"inverted rectangle, smooth",
         [](TgkBitmap& i, ui::TCanvas& c) {
             i.Smooth = true;
             i.Draw(c, {4, 2, 1, 0});
         },
         {"......", "......", "......"}},
    };
    for (const Case& c : cases) {
        SetUp();
        b.Transparent = false;
        b.TransparentColor = rtl::clNone;
        b.Smooth = false;
        c.draw(b, *target->Canvas());
        for (int y = 0; y < 3; ++y) EXPECT_EQ(Row(y), c.rows[static_cast<std::size_t>(y)]) << c.name << " row " << y;
    }
}

TEST_F(gkBitmapDraw, SmoothDrawingResamplesBilinearly)
{
    TgkBitmap b;
    b.NewImage(2, 1);
    b.SetPixel(0, 0, G(0));
    b.SetPixel(1, 0, G(200));
    b.Smooth = true;
    b.Draw(*target->Canvas(), {0, 0, 4, 1});
    EXPECT_EQ(target->Pixel(0, 0), G(0));
    EXPECT_EQ(target->Pixel(1, 0), G(50));
    EXPECT_EQ(target->Pixel(2, 0), G(100));
    EXPECT_EQ(target->Pixel(3, 0), G(150));
    EXPECT_EQ(target->Pixel(4, 0), Back);
}

}  // namespace
