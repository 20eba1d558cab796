// The 24-bit effects bitmap: row layout, sizing, the byte arithmetic of each effect on small
// images worked out by hand, resampling, streams, parking and change notification.

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "grid/gkBitmap.h"

namespace {

using grid::TgkBitmap;
using Colors = std::vector<rtl::TColor>;

constexpr rtl::TColor G(int v) { return rtl::RGB(v, v, v); }

void Fill(TgkBitmap& b, int w, int h, const Colors& colors)
{
    b.NewImage(w, h);
    for (int i = 0; i < w * h; ++i) b.SetPixel(i % w, i / w, colors[i]);
}

Colors Read(const TgkBitmap& b)
{
    Colors out;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) out.push_back(b.Pixel(x, y));
    return out;
}

std::string Show(const Colors& colors)
{
    std::ostringstream s;
    s << std::hex;
    for (rtl::TColor c : colors) s << c << ' ';
    return s.str();
}

TEST(gkBitmap, RowsArePaddedToFourBytesAndStartWhite)
{
    const int strides[] = {4, 8, 12, 12, 16};
    for (int w = 1; w <= 5; ++w) {
        TgkBitmap b;
        b.NewImage(w, 3);
        EXPECT_EQ(b.Stride(), strides[w - 1]) << w;
        EXPECT_EQ(b.ImageSize(), strides[w - 1] * 3) << w;
        EXPECT_EQ(b.ScanLine(1) - b.ScanLine(0), strides[w - 1]) << w;
        for (int i = 0; i < 3 * w; ++i) EXPECT_EQ(b.ScanLine(2)[i], 0xFF) << w;
    }
    TgkBitmap b;
    b.NewImage(1, 1);
    b.SetPixel(0, 0, rtl::RGB(1, 2, 3));
    EXPECT_EQ(b.ScanLine(0)[0], 3);  // blue, green, red
    EXPECT_EQ(b.ScanLine(0)[1], 2);
    EXPECT_EQ(b.ScanLine(0)[2], 1);
    EXPECT_EQ(b.ScanLine(1), nullptr);
}

TEST(gkBitmap, SizingKeepsOrDropsThePixels)
{
    TgkBitmap b;
    b.NewImage(0, 4);
    EXPECT_TRUE(b.Empty());
    b.NewImage(3, -1);
    EXPECT_TRUE(b.Empty());

    Fill(b, 2, 1, {G(10), G(20)});
    b.SetSize(2, 1);
    EXPECT_EQ(Read(b), (Colors{G(10), G(20)}));
    b.SetWidth(3);
    EXPECT_EQ(Read(b), (Colors{rtl::clWhite, rtl::clWhite, rtl::clWhite}));

    Fill(b, 2, 1, {G(10), G(20)});
    b.Resize(4, 2);
    EXPECT_EQ(Read(b), (Colors{G(10), G(10), G(20), G(20), G(10), G(10), G(20), G(20)}));
    b.Resize(0, 2);
    EXPECT_TRUE(b.Empty());
}

struct EffectCase {
    const char* name;
    int w, h;
    Colors in;
    std::function<void(TgkBitmap&)> apply;
    Colors out;
};

TEST(gkBitmap, EffectsComputeTheirBytes)
{
    const rtl::TColor a = rtl::RGB(200, 100, 7), red = rtl::clRed, blue = rtl::clBlue, green = rtl::clLime;
    const rtl::TColor c00 = rtl::RGB(1, 0, 0), c10 = rtl::RGB(2, 0, 0), c20 = rtl::RGB(3, 0, 0);
    const rtl::TColor c01 = rtl::RGB(4, 0, 0), c11 = rtl::RGB(5, 0, 0), c21 = rtl::RGB(6, 0, 0);
    const rtl::TColor W = rtl::clWhite;
    const std::vector<EffectCase> cases{
        {"tint white", 1, 1, {a}, [](TgkBitmap& b) { b.TintColor(rtl::clWhite); }, {a}},
        {"tint black", 1, 1, {a}, [](TgkBitmap& b) { b.TintColor(rtl::clBlack); }, {rtl::RGB(72, 0, 0)}},
        {"tint halves to even", 1, 1, {G(130)}, [](TgkBitmap& b) { b.TintColor(3, 1, 5); }, {rtl::RGB(4, 2, 4)}},
        {"tint leaves the key",
         2,
         1,
         {red, G(200)},
         [](TgkBitmap& b) {
             b.TransparentColor = rtl::clRed;
             b.TintColor(rtl::clBlack);
         },
         {red, G(72)}},
        {"shift clamps", 1, 1, {rtl::RGB(200, 30, 7)}, [](TgkBitmap& b) { b.ShiftColor(100, -50, 0); },
         {rtl::RGB(255, 0, 7)}},
        {"lighter", 1, 1, {G(100)}, [](TgkBitmap& b) { b.Lightness(128); }, {G(177)}},
        {"darker", 1, 1, {G(100)}, [](TgkBitmap& b) { b.Lightness(-128); }, {G(50)}},
        {"lightness 0", 1, 1, {G(100)}, [](TgkBitmap& b) { b.Lightness(0); }, {G(100)}},
        {"contrast", 3, 1, {G(100), G(127), G(200)}, [](TgkBitmap& b) { b.Contrast(128); },
         {G(86), G(127), G(236)}},
        {"contrast negative", 1, 1, {G(0)}, [](TgkBitmap& b) { b.Contrast(-256); }, {G(128)}},
        {"saturation 256", 1, 1, {a}, [](TgkBitmap& b) { b.Saturation(256); }, {a}},
        {"saturation 0", 1, 1, {a}, [](TgkBitmap& b) { b.Saturation(0); }, {G(101)}},
        {"saturation half", 1, 1, {a}, [](TgkBitmap& b) { b.Saturation(128); }, {rtl::RGB(151, 101, 54)}},
        {"grey", 1, 1, {a}, [](TgkBitmap& b) { b.GrayScale(); }, {G(101)}},
        {"invert", 1, 1, {a}, [](TgkBitmap& b) { b.Invert(); }, {rtl::RGB(55, 155, 248)}},
        {"blur reads changed pixels", 3, 1, {G(0), G(100), G(200)}, [](TgkBitmap& b) { b.Blur(1); },
         {G(50), G(125), G(162)}},
        {"smoothen", 3, 1, {G(0), G(100), G(200)}, [](TgkBitmap& b) { b.Smoothen(2); }, {G(125), G(137), G(143)}},
        {"smoothen 0", 2, 1, {G(0), G(100)}, [](TgkBitmap& b) { b.Smoothen(0); }, {G(0), G(100)}},
        {"sharpen flat", 2, 2, {G(90), G(90), G(90), G(90)}, [](TgkBitmap& b) { b.Sharpen(1); },
         {G(90), G(90), G(90), G(90)}},
        {"sharpen ramp", 3, 1, {G(0), G(100), G(200)}, [](TgkBitmap& b) { b.Sharpen(1); }, {G(0), G(100), G(237)}},
        {"emboss", 2, 2, {G(10), G(20), G(30), G(40)}, [](TgkBitmap& b) { b.Emboss(); },
         {G(112), G(117), G(122), G(127)}},
        {"flip odd height", 1, 3, {red, green, blue}, [](TgkBitmap& b) { b.Flip(false); }, {blue, green, red}},
        {"flip across", 3, 1, {red, green, blue}, [](TgkBitmap& b) { b.Flip(true); }, {blue, green, red}},
        {"mask", 2, 1, {red, blue}, [](TgkBitmap& b) { b.MakeMask(rtl::clRed); }, {rtl::clBlack, rtl::clWhite}},
        {"replace", 2, 1, {red, blue}, [](TgkBitmap& b) { b.ReplaceColor(rtl::clLime, rtl::clRed); }, {green, blue}},
        {"rotate 0", 3, 2, {c00, c10, c20, c01, c11, c21}, [](TgkBitmap& b) { b.Rotate(0, {-1, -1}); },
         {c00, c10, c20, c01, c11, c21}},
        {"rotate 90 fills with the top-left colour", 3, 2, {c00, c10, c20, c01, c11, c21},
         [](TgkBitmap& b) { b.Rotate(90, {-1, -1}); }, {c10, c11, c00, c00, c01, c00}},
        {"wave", 3, 2, {c00, c10, c20, c01, c11, c21}, [](TgkBitmap& b) { b.Wave(false, 1, 1, 1); },
         {c00, c11, c21, c11, W, W}},
        {"wave wrapping", 3, 2, {c00, c10, c20, c01, c11, c21}, [](TgkBitmap& b) { b.Wave(true, 1, 1, 1); },
         {c00, c11, c21, c11, c20, c00}},
        {"wave wrapping one row", 3, 1, {c00, c10, c20}, [](TgkBitmap& b) { b.Wave(true, 1, 1, 1); },
         {c00, c10, c20}},
        {"wave without period", 2, 1, {c00, c10}, [](TgkBitmap& b) { b.Wave(true, 5, 0, 1); }, {c00, c10}},
        {"spray radius 0", 3, 1, {c00, c10, c20}, [](TgkBitmap& b) { b.Spray(1, [](int n) { return n > 0 ? n - 1 : 0; }); },
         {c00, c10, c20}},
        {"spray in place", 3, 1, {c00, c10, c20},
         [](TgkBitmap& b) { b.Spray(3, [](int n) { return n > 0 ? n - 1 : 0; }); }, {c00, c00, c00}},
    };
    for (const EffectCase& c : cases) {
        TgkBitmap b;
        Fill(b, c.w, c.h, c.in);
        c.apply(b);
        EXPECT_EQ(Read(b), c.out) << c.name << ": " << Show(Read(b));
    }
}

TEST(gkBitmap, SprayDrawsWithinItsRadius)
{
    std::vector<int> asked;
    TgkBitmap b;
    Fill(b, 2, 2, {G(1), G(2), G(3), G(4)});
    b.Spray(4, [&asked](int n) {
        asked.push_back(n);
        return n / 2;
    });
    // Per pixel: the radius from Random(4), then two offsets from Random(2r).
    ASSERT_EQ(asked.size(), 12u);
    for (std::size_t i = 0; i < asked.size(); i += 3) {
        EXPECT_EQ(asked[i], 4);
        EXPECT_EQ(asked[i + 1], 2 * (4 / 2));
        EXPECT_EQ(asked[i + 2], 2 * (4 / 2));
    }
    // r = 2, offsets 2: every pixel takes itself.
    EXPECT_EQ(Read(b), (Colors{G(1), G(2), G(3), G(4)}));
}

TEST(gkBitmap, EffectsOnAnEmptyImageDoNothing)
{
    TgkBitmap b;
    b.Emboss();
    b.Rotate(45, {-1, -1});
    b.Wave(true, 3, 2, 2);
    b.Blur(2);
    b.Flip(false);
    EXPECT_TRUE(b.Empty());
}

TEST(gkBitmap, SmoothResamplingIsBilinearAndCopiesAtTheSameSize)
{
    TgkBitmap b, out;
    Fill(b, 2, 1, {G(0), G(200)});
    b.SmoothInto(out, 4, 1);
    EXPECT_EQ(Read(out), (Colors{G(0), G(50), G(100), G(150)}));

    Fill(b, 3, 2, {rtl::RGB(1, 2, 3), rtl::RGB(4, 5, 6), rtl::RGB(7, 8, 9), G(10), G(11), G(12)});
    b.SmoothInto(out, 3, 2);
    ASSERT_EQ(out.ImageSize(), b.ImageSize());
    EXPECT_TRUE(std::equal(b.ScanLine(0), b.ScanLine(0) + b.ImageSize(), out.ScanLine(0)));

    // An empty or inverted destination gives nothing rather than a division by its width.
    for (auto [w, h] : {std::pair{0, 2}, std::pair{-3, 2}, std::pair{3, 0}}) {
        b.SmoothInto(out, w, h);
        EXPECT_TRUE(out.Empty()) << w << "x" << h;
    }
}

TEST(gkBitmap, StreamsHoldTwentyFourBitBmps)
{
    TgkBitmap b;
    Fill(b, 3, 2, {rtl::RGB(1, 2, 3), rtl::RGB(4, 5, 6), rtl::RGB(7, 8, 9), G(10), G(11), G(12)});
    std::stringstream stream;
    b.SaveToStream(stream);
    const std::string bytes = stream.str();
    ASSERT_EQ(bytes.size(), 54u + 12u * 2u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(bytes[28], 24);
    EXPECT_EQ(static_cast<unsigned char>(bytes[54]), 10);  // bottom row first

    TgkBitmap back;
    back.PixelFormat = grid::pf8bit;
    std::istringstream in(bytes);
    back.LoadFromStream(in);
    EXPECT_EQ(Read(back), Read(b));
    EXPECT_EQ(back.PixelFormat, grid::pf24bit);

    for (const std::string& junk : {std::string("not a bitmap"), std::string("BM\x10\0\0\0", 6)}) {
        std::istringstream bad(junk);
        EXPECT_THROW(back.LoadFromStream(bad), ui::EInvalidGraphic);
        EXPECT_EQ(Read(back), Read(b)) << "unchanged";
    }
}

TEST(gkBitmap, ConvertsToAndFromTheLayersBitmap)
{
    ui::TBitmap layer(2, 1);
    layer.SetPixel(0, 0, rtl::RGB(10, 20, 30));
    layer.SetPixel(1, 0, rtl::RGB(40, 50, 60));
    layer.SetTransparent(true);
    TgkBitmap b;
    b.Assign(layer);
    EXPECT_EQ(Read(b), (Colors{rtl::RGB(10, 20, 30), rtl::RGB(40, 50, 60)}));
    EXPECT_TRUE(b.Transparent);

    b.TransparentColor = rtl::clRed;
    b.Invert();
    ui::TBitmap back;
    b.AssignTo(back);
    EXPECT_EQ(back.Pixel(1, 0), rtl::RGB(215, 205, 195));
    EXPECT_EQ(back.TransparentColor(), rtl::clRed);

    TgkBitmap copy;
    copy.Smooth = false;
    b.Smooth = true;
    b.AssignTo(copy);
    EXPECT_EQ(Read(copy), Read(b));
    EXPECT_TRUE(copy.Smooth);

    b.Assign(ui::TBitmap());
    EXPECT_TRUE(b.Empty());
}

TEST(gkBitmap, StashParksAndRestoresThePixels)
{
    TgkBitmap b;
    Fill(b, 3, 1, {G(1), G(2), G(3)});
    b.Stash();
    EXPECT_TRUE(b.Empty());
    EXPECT_TRUE(b.Stashed());
    b.Unstash();
    EXPECT_FALSE(b.Stashed());
    EXPECT_EQ(Read(b), (Colors{G(1), G(2), G(3)}));
}

TEST(gkBitmap, ListenersHearEachChangeUnlessUpdating)
{
    struct Listener : grid::IgkBitmapListener {
        int told = 0;
        void BitmapChanged(TgkBitmap&) override { ++told; }
    } first, second;
    TgkBitmap b;
    b.AddListener(&first);
    b.AddListener(&second);
    b.NewImage(2, 2);
    b.Invert();
    EXPECT_EQ(first.told, 2);
    b.RemoveListener(&second);
    b.Updating = true;
    b.GrayScale();
    b.Updating = false;
    b.Changed();
    EXPECT_EQ(first.told, 3);
    EXPECT_EQ(second.told, 2);
}

}  // namespace
