// The canvas, regions, bitmaps and the message side of custom controls without any window:
// drawing goes into a recording device that measures in a fixed-width font.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/CustomControl.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Region.h"
#include "platform/ui/Screen.h"

namespace {

using namespace ui;
using Log = std::vector<std::string>;

TEST(FontMeasureTest, FixedWidthCountsWholeCharacters)
{
    TFixedWidthMeasure m(7, 15, 3);
    EXPECT_EQ(m.TextWidth("abc"), 21);
    EXPECT_EQ(m.TextWidth("\xC3\xA9t\xE2\x82\xAC"), 21);  // é, t, € are three characters
    EXPECT_EQ(m.TextWidth("\t"), 7);
    EXPECT_EQ(m.Calls(), 3);
    EXPECT_EQ(m.MeasuredChars(), 7);
    const TFontMetrics metrics = m.Metrics();
    EXPECT_EQ(metrics.Height, 15);
    EXPECT_EQ(metrics.Ascent, 12);
    EXPECT_EQ(metrics.Descent, 3);
    EXPECT_EQ(metrics.AveCharWidth, 7);
}

TEST(CanvasTest, RecordsShapesInOrderWithTheirPenAndBrush)
{
    TRecordingCanvas c;
    c.Brush()->SetColor(rtl::clRed);
    c.FillRect({0, 0, 10, 5});
    c.Pen()->SetColor(rtl::clBlue);
    c.Pen()->SetMode(pmXor);
    c.MoveTo(1, 1);
    c.LineTo(5, 1);
    c.LineTo(5, 4);
    EXPECT_EQ(c.PenPos(), (TPoint{5, 4}));
    c.Brush()->SetStyle(bsClear);
    c.FillRect({0, 0, 3, 3});  // a clear brush fills nothing
    c.Rectangle(0, 0, 4, 4);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(rtl::clBlack);
    c.FrameRect({0, 0, 4, 3});
    c.InvertRect({1, 1, 2, 2});
    c.Brush()->SetColor(rtl::clWindow);  // system colours arrive resolved
    c.FillRect({0, 0, 1, 1});
    EXPECT_EQ(c.Log(), (Log{
                           "FillRect(0,0,10,5 brush=$000000FF)",
                           "Polyline(1,1 5,1 pen=$00FF0000,1,solid,xor)",
                           "Polyline(5,1 5,4 pen=$00FF0000,1,solid,xor)",
                           "Rectangle(0,0,4,4 pen=$00FF0000,1,solid,xor brush=clear)",
                           "FillRect(0,0,4,1 brush=$00000000)",
                           "FillRect(0,2,4,3 brush=$00000000)",
                           "FillRect(0,1,1,2 brush=$00000000)",
                           "FillRect(3,1,4,2 brush=$00000000)",
                           "PatBlt(1,1,2,2 $00550009)",
                           "FillRect(0,0,1,1 brush=" + FormatColor(rtl::ColorToRGB(rtl::clWindow)) + ")",
                       }));
}

// The save scope puts pen, brush, font, pen position, modes and clipping back, whether the
// scope ends normally or by an exception.
TEST(CanvasTest, SaveScopeRestoresTheDrawingState)
{
    TRecordingCanvas c;
    c.Pen()->SetColor(rtl::clRed);
    c.Brush()->SetStyle(bsClear);
    c.Font()->SetSize(12);
    c.MoveTo(3, 4);
    c.SetTextAlign(TA_RIGHT);
    c.SetClipRect({0, 0, 10, 10});
    auto change = [&] {
        auto saved = c.SaveScope();
        c.Pen()->SetColor(rtl::clBlue);
        c.Pen()->SetWidth(3);
        c.Brush()->SetStyle(bsSolid);
        c.Font()->SetSize(20);
        c.MoveTo(7, 8);
        c.SetCopyMode(cmSrcInvert);
        c.SetTextAlign(TA_CENTER);
        c.SetClipRegion(nullptr);
        throw rtl::Exception("drawing failed");
    };
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 0) {
            auto saved = c.SaveScope();
            c.Pen()->SetColor(rtl::clBlue);
            c.SetClipRect({2, 2, 4, 4});
        } else {
            EXPECT_THROW(change(), rtl::Exception);
        }
        EXPECT_EQ(c.Pen()->Color(), rtl::clRed);
        EXPECT_EQ(c.Pen()->Width(), 1);
        EXPECT_EQ(c.Brush()->Style(), bsClear);
        EXPECT_EQ(c.Font()->Size(), 12);
        EXPECT_EQ(c.PenPos(), (TPoint{3, 4}));
        EXPECT_EQ(c.CopyMode(), cmSrcCopy);
        EXPECT_EQ(c.TextAlign(), TA_RIGHT);
        EXPECT_TRUE(c.Clipped());
        EXPECT_EQ(c.ClipRect(), (TRect{0, 0, 10, 10}));
        EXPECT_EQ(c.Log().back(), "SetClip(0,0,10,10)");  // the device clips as before too
    }
}

TEST(CanvasTest, FocusRectIsADottedInvertingFrame)
{
    TRecordingCanvas c;
    c.DrawFocusRect({2, 2, 6, 5});
    EXPECT_EQ(c.Log(), (Log{"Polyline(2,2 5,2 5,4 2,4 2,2 pen=$00FFFFFF,1,dot,xor)"}));
}

TEST(CanvasTest, TextOutPlacesByTextAlignAndMovesThePen)
{
    TRecordingCanvas c(8, 16, 4);  // ascent 12
    c.Brush()->SetStyle(bsClear);
    c.TextOut(10, 20, "ab");
    EXPECT_EQ(c.PenPos(), (TPoint{26, 20}));
    c.SetTextAlign(TA_RIGHT | TA_BASELINE);
    c.TextOut(100, 50, "abc");  // ends at 100, baseline at 50
    c.SetTextAlign(TA_LEFT | TA_BASELINE | TA_UPDATECP);
    c.MoveTo(5, 40);
    c.TextOut(999, 999, "x");  // the current position counts, not the arguments
    c.TextOut(0, 0, "yz");
    EXPECT_EQ(c.PenPos(), (TPoint{29, 40}));
    c.SetTextAlign(TA_CENTER | TA_BOTTOM);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(rtl::clYellow);
    c.TextOut(50, 16, "abcd");
    const std::string font = "font=Sans Serif/8 color=" + FormatColor(rtl::ColorToRGB(rtl::clWindowText));
    EXPECT_EQ(c.Log(), (Log{
                           "Text(10,20 \"ab\" " + font + ")",
                           "Text(76,38 \"abc\" " + font + ")",
                           "Text(5,28 \"x\" " + font + ")",
                           "Text(13,28 \"yz\" " + font + ")",
                           "Text(34,0 \"abcd\" " + font + " bk=$0000FFFF)",
                       }));
    EXPECT_EQ(c.TextExtent("abcd"), (TSize{32, 16}));
}

TEST(CanvasTest, JustificationSpreadsExtraPixelsOverTheBlanks)
{
    TRecordingCanvas c(8, 16, 4);
    c.Brush()->SetStyle(bsClear);
    c.SetTextJustification(5, 2);  // 3 to the first blank, 2 to the second
    EXPECT_EQ(c.TextWidth("a b c"), 45);
    c.TextOut(0, 0, "a b c");
    ASSERT_EQ(c.Log().size(), 3u);
    EXPECT_EQ(c.Log()[0].substr(0, 12), "Text(0,0 \"a ");
    EXPECT_EQ(c.Log()[1].substr(0, 13), "Text(19,0 \"b ");
    EXPECT_EQ(c.Log()[2].substr(0, 13), "Text(37,0 \"c\"");
    c.SetTextJustification(0, 0);
    EXPECT_EQ(c.TextWidth("a b c"), 40);
}

TEST(CanvasTest, DrawTextLaysOutLinesByItsFlags)
{
    TRecordingCanvas c(8, 16, 4);
    c.Brush()->SetStyle(bsClear);
    struct Case {
        std::string text;
        TRect rect;
        unsigned flags;
        Log expected;  // text runs "x,y text"
        int height;
    };
    const std::vector<Case> cases = {
        {"one two three", {0, 0, 70, 100}, DT_WORDBREAK, {"0,0 one two", "0,16 three"}, 32},
        {"centred", {0, 0, 100, 40}, DT_SINGLELINE | DT_CENTER | DT_VCENTER, {"22,12 centred"}, 16},
        {"right", {0, 0, 100, 40}, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, {"60,24 right"}, 16},
        {"a\r\nbc\nd", {5, 5, 100, 100}, DT_LEFT, {"5,5 a", "5,21 bc", "5,37 d"}, 48},
        {"abcdefghij", {0, 0, 60, 16}, DT_SINGLELINE | DT_END_ELLIPSIS, {"0,0 abcd..."}, 16},
        {"&File && more", {0, 0, 200, 16}, DT_SINGLELINE, {"0,0 File & more"}, 16},
        {"&File", {0, 0, 200, 16}, DT_SINGLELINE | DT_NOPREFIX, {"0,0 &File"}, 16},
        {"a\tb", {0, 0, 200, 16}, DT_SINGLELINE | DT_EXPANDTABS, {"0,0 a", "64,0 b"}, 16},
        {"averyveryverylongword x", {0, 0, 40, 100}, DT_WORDBREAK, {"0,0 averyveryverylongword", "0,16 x"}, 32},
    };
    for (const Case& k : cases) {
        c.ClearLog();
        TRect r = k.rect;
        EXPECT_EQ(c.DrawText(k.text, r, k.flags), k.height) << k.text;
        Log runs;
        for (const std::string& line : c.Log()) {
            if (line.rfind("Text(", 0) != 0) continue;
            const auto sp = line.find(' ');
            const auto q1 = line.find('"');
            const auto q2 = line.find('"', q1 + 1);
            runs.push_back(line.substr(5, sp - 5) + " " + line.substr(q1 + 1, q2 - q1 - 1));
        }
        EXPECT_EQ(runs, k.expected) << k.text;
    }
    // The prefixed letter is underlined.
    c.ClearLog();
    TRect r{0, 0, 200, 16};
    c.DrawText("&File", r, DT_SINGLELINE);
    EXPECT_EQ(c.Log().back().substr(0, 22), "Polyline(0,13 8,13 pen");

    // DT_CALCRECT measures and draws nothing.
    c.ClearLog();
    TRect calc{10, 10, 70, 10};
    EXPECT_EQ(c.DrawText("one two three", calc, DT_WORDBREAK | DT_CALCRECT), 32);
    EXPECT_EQ(calc, (TRect{10, 10, 66, 42}));
    EXPECT_TRUE(c.Log().empty());
}

TEST(CanvasTest, TextRectClipsAndClippingIsKept)
{
    TRecordingCanvas c;
    c.SetBounds({0, 0, 100, 50});
    EXPECT_EQ(c.ClipRect(), (TRect{0, 0, 100, 50}));
    c.IntersectClipRect({10, 10, 60, 40});
    c.IntersectClipRect({0, 0, 30, 30});
    EXPECT_EQ(c.ClipRect(), (TRect{10, 10, 30, 30}));
    EXPECT_TRUE(c.PtVisible({29, 29}));
    EXPECT_FALSE(c.PtVisible({30, 29}));
    c.ExcludeClipRect({10, 10, 20, 20});
    EXPECT_FALSE(c.PtVisible({15, 15}));
    EXPECT_TRUE(c.PtVisible({25, 15}));
    c.SetClipRegion(nullptr);
    EXPECT_FALSE(c.Clipped());
    c.ClearLog();
    c.Brush()->SetColor(rtl::clWhite);
    c.TextRect({0, 0, 20, 10}, 2, 1, "clipped");
    ASSERT_EQ(c.Log().size(), 2u);
    EXPECT_EQ(c.Log()[0], "FillRect(0,0,20,10 brush=$00FFFFFF)");
    EXPECT_NE(c.Log()[1].find("clip=0,0,20,10"), std::string::npos);
}

TEST(RegionTest, PolygonHitTestsAndCombinations)
{
    // The hit area of a join line: a quadrilateral 5 pixels around its middle segment.
    const TPoint p2{100, 50}, p3{200, 80};
    const TRegion link = TRegion::FromPolygon(
        {{p2.X + 5, p2.Y - 5}, {p2.X - 5, p2.Y + 5}, {p3.X - 5, p3.Y + 5}, {p3.X + 5, p3.Y - 5}});
    EXPECT_TRUE(link.Contains({150, 65}));   // on the segment
    EXPECT_TRUE(link.Contains({101, 50}));
    EXPECT_FALSE(link.Contains({150, 80}));  // 15 pixels below it
    EXPECT_FALSE(link.Contains({90, 50}));
    EXPECT_EQ(link.Bounds(), (TRect{95, 45, 205, 85}));

    // A rectangle and the polygon with its corners hold the same pixels.
    const TRegion rect = TRegion::FromRect({0, 0, 10, 10});
    const TRegion poly = TRegion::FromPolygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    for (int y = -1; y <= 10; ++y)
        for (int x = -1; x <= 10; ++x) EXPECT_EQ(rect.Contains({x, y}), poly.Contains({x, y})) << x << "," << y;

    const TRegion other = TRegion::FromRect({5, 5, 15, 15});
    struct Case {
        TRegionCombine op;
        bool at3, at7, at12;
    };
    for (const Case& k : {Case{rgnAnd, false, true, false}, Case{rgnOr, true, true, true},
                          Case{rgnXor, true, false, true}, Case{rgnDiff, true, false, false}}) {
        const TRegion r = TRegion::Combine(rect, other, k.op);
        EXPECT_EQ(r.Contains({3, 3}), k.at3) << k.op;
        EXPECT_EQ(r.Contains({7, 7}), k.at7) << k.op;
        EXPECT_EQ(r.Contains({12, 12}), k.at12) << k.op;
    }
    const TRegion moved = link.Offset(10, -5);
    EXPECT_TRUE(moved.Contains({160, 60}));
    EXPECT_FALSE(moved.Contains({150, 65 + 10}));

    // A self-crossing star: alternate leaves the middle out, winding fills it.
    const std::vector<TPoint> star{{50, 0}, {61, 35}, {98, 35}, {68, 57}, {79, 91},
                                   {50, 70}, {21, 91}, {32, 57}, {2, 35},  {39, 35}};
    const std::vector<TPoint> pentagram{{50, 0}, {79, 91}, {2, 35}, {98, 35}, {21, 91}};
    EXPECT_TRUE(PointInPolygon(star, {50, 50}, pfAlternate));
    EXPECT_FALSE(PointInPolygon(pentagram, {50, 50}, pfAlternate));
    EXPECT_TRUE(PointInPolygon(pentagram, {50, 50}, pfWinding));
    EXPECT_TRUE(TRegion::FromPolygon({{0, 0}, {5, 5}}).Empty());
}

TEST(BitmapTest, PixelsAndSizeWithoutAWindowSystem)
{
    TBitmap b(3, 2);
    EXPECT_EQ(b.Pixel(2, 1), rtl::clWhite);
    b.SetPixel(1, 1, rtl::clRed);
    EXPECT_EQ(b.Pixel(1, 1), rtl::clRed);
    EXPECT_EQ(b.ScanLine(1)[1], 0xFFFF0000u);
    EXPECT_EQ(b.Pixel(3, 0), rtl::clNone);
    b.SetSize(4, 4);  // the common area stays, the rest is white
    EXPECT_EQ(b.Pixel(1, 1), rtl::clRed);
    EXPECT_EQ(b.Pixel(3, 3), rtl::clWhite);
    EXPECT_EQ(b.EffectiveTransparentColor(), rtl::clWhite);
    b.SetTransparentColor(rtl::clRed);
    EXPECT_EQ(b.EffectiveTransparentColor(), rtl::clRed);

    // Headless, the canvas records; drawing a transparent bitmap names its key colour.
    TRecordingCanvas c;
    b.SetTransparent(true);
    c.Draw(5, 6, b);
    EXPECT_EQ(c.Log(), (Log{"DrawPixels(5,6,9,10 4x4 from 0,0,4,4 transparent=$000000FF)"}));
    b.Canvas()->FillRect({0, 0, 1, 1});
    const auto* rec = dynamic_cast<TRecordingDevice*>(b.Canvas()->Device());
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->Log().back(), "FillRect(0,0,1,1 brush=$00FFFFFF)");
}

// ---- Custom controls -----------------------------------------------------------------------

class TLoggingControl : public TCustomControl {
public:
    explicit TLoggingControl(classes::TComponent* owner) : TCustomControl(owner) {}
    Log log;
    std::intptr_t dlgCode = 0;
    bool failPaint = false;

    void Dispatch(TMessage& m) override
    {
        log.push_back(Name(m));
        if (m.Msg == WM_GETDLGCODE) {
            m.Result = dlgCode;
            return;
        }
        TCustomControl::Dispatch(m);
    }

protected:
    void Paint() override
    {
        if (failPaint) throw rtl::Exception("paint failed");
        Canvas()->Brush()->SetColor(rtl::clBlue);
        Canvas()->FillRect({1, 1, 3, 3});
    }

private:
    static std::string Name(const TMessage& m)
    {
        switch (m.Msg) {
        case WM_PAINT: return "paint";
        case WM_ERASEBKGND: return "erase";
        case WM_SIZE: return "size " + std::to_string(LoWord(m.LParam)) + "x" + std::to_string(HiWord(m.LParam));
        case WM_KEYDOWN: return "keydown " + std::to_string(m.WParam);
        case WM_CHAR: return "char " + std::to_string(m.WParam);
        case WM_LBUTTONDOWN: return "ldown";
        case WM_LBUTTONUP: return "lup";
        case WM_MOUSEMOVE: return "move";
        case WM_GETDLGCODE: return "dlgcode";
        case CM_FONTCHANGED: return "fontchanged";
        case CM_ENABLEDCHANGED: return "enabledchanged";
        case CM_TEXTCHANGED: return "textchanged";
        case CM_ENTER: return "enter";
        case CM_EXIT: return "exit";
        case WM_USER + 1: return "user " + std::to_string(m.WParam);
        default: return "msg " + std::to_string(m.Msg);
        }
    }
};

struct CustomControlTest : ::testing::Test {
    TForm form{nullptr};
    TLoggingControl* control = nullptr;
    Log events;
    void SetUp() override
    {
        control = new TLoggingControl(&form);
        control->SetParent(&form);
        control->SetBounds(0, 0, 100, 80);
        control->log.clear();
    }
};

TEST_F(CustomControlTest, MessagesBecomeTheControlsCallsAndEvents)
{
    control->OnMouseDown = [&](classes::TObject*, TMouseButton, TShiftState s, int x, int y) {
        events.push_back("OnMouseDown " + std::to_string(x) + "," + std::to_string(y) +
                         (s.Contains(ssShift) ? " shift" : ""));
    };
    control->OnClick = [&](classes::TObject*) { events.push_back("OnClick"); };
    control->OnKeyDown = [&](classes::TObject*, TKey& key, TShiftState) {
        events.push_back("OnKeyDown " + std::to_string(key));
        if (key == VK_ESCAPE) key = 0;
    };
    control->OnKeyPress = [&](classes::TObject*, char& c) { events.push_back(std::string("OnKeyPress ") + c); };
    control->OnEnter = [&](classes::TObject*) { events.push_back("OnEnter"); };

    control->Perform(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MakeLParam(5, -3));
    control->Perform(WM_LBUTTONUP, 0, MakeLParam(6, 4));
    control->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, 5));
    control->Perform(WM_LBUTTONUP, 0, MakeLParam(500, 5));  // released outside: no click
    EXPECT_EQ(control->Perform(WM_KEYDOWN, VK_ESCAPE), 1);  // swallowed by the handler
    EXPECT_EQ(control->Perform(WM_KEYDOWN, VK_RETURN), 0);
    control->Perform(WM_CHAR, 'q');
    control->Perform(WM_CHAR, 0x20AC);  // no character event for a code point beyond ASCII
    form.FocusChanged(control);
    EXPECT_EQ(events, (Log{"OnMouseDown 5,-3 shift", "OnClick", "OnMouseDown 5,5", "OnKeyDown 27", "OnKeyDown 13",
                           "OnKeyPress q", "OnEnter"}));

    control->log.clear();
    control->Font()->SetSize(12);
    control->SetEnabled(false);
    control->SetText("x");
    EXPECT_EQ(control->log, (Log{"fontchanged", "enabledchanged", "textchanged"}));
}

TEST_F(CustomControlTest, DialogCodeDecidesWhichKeysTheControlWants)
{
    EXPECT_FALSE(control->WantsKey(VK_TAB));
    control->dlgCode = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
    EXPECT_TRUE(control->WantsKey(VK_TAB));
    EXPECT_TRUE(control->WantsKey(VK_LEFT));
    EXPECT_FALSE(control->WantsKey(VK_RETURN));
    control->dlgCode = DLGC_WANTALLKEYS;
    EXPECT_TRUE(control->WantsKey(VK_RETURN));
}

TEST_F(CustomControlTest, PaintingIntoAnotherCanvasErasesThenPaints)
{
    control->SetColor(rtl::clLime);
    control->log.clear();
    TRecordingCanvas target;
    control->PaintTo(target);
    EXPECT_EQ(control->log, (Log{"erase", "paint"}));
    EXPECT_EQ(target.Log(), (Log{"FillRect(0,0,100,80 brush=$0000FF00)", "FillRect(1,1,3,3 brush=$00FF0000)"}));

    // The window's paint is clipped to the invalid area.
    TRecordingDevice window;
    control->log.clear();
    control->PaintWindow(window, {10, 10, 20, 20});
    EXPECT_EQ(window.Log().front(), "SetClip(10,10,20,20)");
    EXPECT_EQ(window.Log()[1], "FillRect(10,10,20,20 brush=$0000FF00)");
    EXPECT_FALSE(control->Painting());
    EXPECT_EQ(control->Canvas()->Device(), nullptr);
}

// A paint that fails while painting into another canvas leaves the control's canvas on its
// own device again, not on one that may soon be gone.
TEST_F(CustomControlTest, AFailedPaintIntoAnotherCanvasLetsGoOfItsDevice)
{
    control->failPaint = true;
    auto target = std::make_unique<TRecordingCanvas>();
    EXPECT_THROW(control->PaintTo(*target), rtl::Exception);
    EXPECT_EQ(control->Canvas()->Device(), nullptr);
    EXPECT_FALSE(control->Painting());
}

TEST_F(CustomControlTest, PostedMessagesArriveInOrderUnlessTheControlWent)
{
    control->PostMessage(WM_USER + 1, 1);
    control->PostMessage(WM_USER + 1, 2);
    auto* other = new TLoggingControl(&form);
    other->PostMessage(WM_USER + 1, 3);
    control->PostMessage(WM_USER + 1, 4);
    delete other;
    EXPECT_TRUE(control->log.empty());
    Application().ProcessMessages();
    EXPECT_EQ(control->log, (Log{"user 1", "user 2", "user 4"}));
}

TEST_F(CustomControlTest, ScrollBarsKeepTheOldModelAndTakeTheirSpace)
{
    control->SetScrollRange(sbVertical, 0, 0);
    control->SetScrollRange(sbHorizontal, 0, 0);
    control->SetScrollBars(ssBoth);
    EXPECT_FALSE(control->ScrollBarVisible(sbVertical));  // an empty range needs no bar
    EXPECT_EQ(control->ClientRect(), (TRect{0, 0, 100, 80}));
    control->log.clear();
    TScrollInfo info;
    info.Min = 0;
    info.Max = 99;
    info.Page = 30;
    info.Pos = 95;
    EXPECT_EQ(control->SetScrollInfo(sbVertical, info), 70);  // at most Max - Page + 1
    EXPECT_TRUE(control->ScrollBarVisible(sbVertical));
    const int bar = ScrollBarExtent();
    EXPECT_EQ(control->ClientWidth(), 100 - bar);
    EXPECT_EQ(control->log, (Log{"size " + std::to_string(100 - bar) + "x80"}));

    // A page as large as the range hides the bar, unless asked to keep it.
    info.Page = 100;
    control->SetScrollInfo(sbVertical, info, SIF_PAGE);
    EXPECT_FALSE(control->ScrollBarVisible(sbVertical));
    EXPECT_EQ(control->GetScrollPos(sbVertical), 0);
    control->SetScrollInfo(sbVertical, info, SIF_PAGE | SIF_DISABLENOSCROLL);
    EXPECT_TRUE(control->ScrollBarVisible(sbVertical));
    EXPECT_FALSE(control->ScrollBarEnabled(sbVertical));

    control->SetScrollRange(sbHorizontal, 0, 500);
    EXPECT_EQ(control->SetScrollPos(sbHorizontal, 600), 0);
    EXPECT_EQ(control->GetScrollPos(sbHorizontal), 500);
    control->SetBorderStyle(bsSingle);
    EXPECT_EQ(control->ClientRect(), (TRect{0, 0, 100 - 4 - bar, 80 - 4 - bar}));

    control->log.clear();
    control->ScrollByUser(sbVertical, SB_THUMBTRACK, 42);
    EXPECT_EQ(control->log, (Log{"msg " + std::to_string(WM_VSCROLL)}));
    EXPECT_EQ(control->GetScrollInfo(sbVertical).TrackPos, 42);
}

TEST_F(CustomControlTest, TheCaretIsOneForTheApplicationAndBelongsToItsOwner)
{
    auto* other = new TLoggingControl(&form);
    other->SetParent(&form);
    ASSERT_TRUE(CreateCaret(control, 0, 16));
    EXPECT_EQ(Caret().Width, 2);
    EXPECT_FALSE(Caret().Visible());  // a new caret starts hidden
    EXPECT_FALSE(ShowCaret(other));
    EXPECT_TRUE(ShowCaret(control));
    EXPECT_TRUE(Caret().Visible());
    EXPECT_TRUE(HideCaret(control));
    EXPECT_TRUE(HideCaret(control));
    EXPECT_TRUE(ShowCaret(control));
    EXPECT_FALSE(Caret().Visible());  // hides add up
    EXPECT_TRUE(ShowCaret(control));
    EXPECT_TRUE(SetCaretPos(7, 9));
    EXPECT_EQ(Caret().Rect(), (TRect{7, 9, 9, 25}));
    ToggleCaretBlink();
    EXPECT_FALSE(Caret().Drawn());
    SetCaretPos(8, 9);  // moving shows it at once
    EXPECT_TRUE(Caret().Drawn());

    CreateCaret(other, 1, 10);  // takes it away from the first owner
    EXPECT_EQ(Caret().Owner, other);
    delete other;  // a control going away takes its caret along
    EXPECT_EQ(Caret().Owner, nullptr);
    EXPECT_FALSE(DestroyCaret());
}

TEST(InputTest, KeyStateTogglesOnEveryPress)
{
    ResetKeyState();
    EXPECT_EQ(GetKeyState(VK_INSERT), 0);
    SetKeyState(VK_INSERT, true);
    EXPECT_EQ(GetKeyState(VK_INSERT) & 0x8001, 0x8001);
    SetKeyState(VK_INSERT, true);  // auto-repeat does not toggle again
    EXPECT_EQ(GetKeyState(VK_INSERT) & 1, 1);
    SetKeyState(VK_INSERT, false);
    EXPECT_FALSE(IsKeyDown(VK_INSERT));
    EXPECT_EQ(GetKeyState(VK_INSERT), 1);
    SetKeyState(VK_SHIFT, true);
    SetKeyState(VK_LBUTTON, true);
    EXPECT_EQ(KeyboardShiftState(), (TShiftState{ssShift, ssLeft}));
    ResetKeyState();
}

// ---- Drag and drop -------------------------------------------------------------------------

TEST(DragDropTest, TheTargetSeesTheSourceAndTheSourceHearsTheEnd)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 300);
    auto* source = new TListBox(&form);
    source->SetParent(&form);
    source->SetBounds(10, 10, 100, 100);
    auto* target = new TListBox(&form);
    target->SetParent(&form);
    target->SetBounds(200, 10, 100, 100);
    auto* refusing = new TPanel(&form);
    refusing->SetParent(&form);
    refusing->SetBounds(10, 150, 100, 100);
    form.Show();
    Log log;
    target->OnDragOver = [&](classes::TObject*, classes::TObject* src, int x, int y, TDragState state, bool& accept) {
        log.push_back("over " + std::to_string(state) + " " + std::to_string(x) + "," + std::to_string(y));
        accept = src == source;
    };
    target->OnDragDrop = [&](classes::TObject*, classes::TObject* src, int x, int y) {
        log.push_back(std::string("drop ") + (src == source ? "source " : "? ") + std::to_string(x) + "," +
                      std::to_string(y));
    };
    source->OnEndDrag = [&](classes::TObject*, classes::TObject* t, int, int) {
        log.push_back(std::string("end ") + (t == target ? "target" : t == nullptr ? "none" : "?"));
    };
    const auto screen = [](TControl* c, int x, int y) { return c->ClientToScreen({x, y}); };

    SetCursorPos(screen(source, 20, 20));
    source->BeginDrag(false);
    EXPECT_TRUE(source->Dragging());
    DragMouseMove(screen(source, 22, 21));  // below the threshold: nothing yet
    EXPECT_FALSE(DragActive());
    DragMouseMove(screen(target, 5, 6));
    DragMouseMove(screen(target, 7, 8));
    DragMouseUp(screen(target, 9, 10));
    EXPECT_FALSE(source->Dragging());
    EXPECT_EQ(log, (Log{"over 0 5,6", "over 2 7,8", "over 2 9,10", "drop source 9,10", "end target"}));

    // Leaving the target for a control that does not accept: the drop goes nowhere.
    log.clear();
    SetCursorPos(screen(source, 20, 20));
    source->BeginDrag(true);
    DragMouseMove(screen(target, 5, 5));
    DragMouseMove(screen(refusing, 5, 5));
    DragMouseUp(screen(refusing, 5, 5));
    EXPECT_EQ(log, (Log{"over 0 5,5", "over 1 -185,145", "end none"}));  // left at the panel's point

    // Automatic dragging starts on a left press; Escape (CancelDrag) ends it.
    log.clear();
    source->SetDragMode(dmAutomatic);
    SetCursorPos(screen(source, 20, 20));
    source->MouseDown(mbLeft, {}, 20, 20);
    EXPECT_TRUE(source->Dragging());
    DragMouseMove(screen(target, 1, 1));
    CancelDrag();
    EXPECT_EQ(log, (Log{"over 0 1,1", "over 1 1,1", "end none"}));
}

}  // namespace
