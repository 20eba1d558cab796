// Painting, pixel positions and scrolling without a display: the fixed-width fake (8 pixels a
// character) measures, the recording canvas shows what is drawn and in which order.

#include "EditorTestUtil.h"

#include "platform/ui/Canvas.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Screen.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace editor::test {
namespace {

class PaintedMemo : public TTextMemo {
public:
    using TTextMemo::LineBitmap;
    using TTextMemo::PaintLines;
};

// An editor 200 pixels wide (margins 8), lines of 16 pixels.
struct View {
    FakeWindow window;
    PaintedMemo memo;

    explicit View(int width = 200, int height = 170)
    {
        memo.SetUpdateMode(umImmediate);
        memo.SetLineHeightSetting(16);
        window.Attach(memo, width, height);
    }
    void VScroll(int code, int pos = 0) { memo.Perform(ui::WM_VSCROLL, ui::MakeWParam(code, pos)); }
    void Wheel(int delta) { memo.Perform(ui::WM_MOUSEWHEEL, ui::MakeWParam(0, delta)); }
};

std::string ManyLines(int n)
{
    std::string text;
    for (int i = 0; i < n; ++i) text += "line\r\n";
    text += "end";
    return text;
}

TEST(PixelPositions, LineTopAndLineAtYFollowTheTopPixel)
{
    View v;
    v.memo.SetTextBuf(ManyLines(40));
    ASSERT_EQ(v.memo.LineHeight(), 16);
    struct Case {
        int top, n, lineTop, y, lineAtY;
    };
    for (const Case& c : {Case{0, 0, 0, 15, 0}, Case{0, 2, 32, 16, 1}, Case{20, 0, -4, 11, 0}, Case{20, 1, 12, 12, 1},
                          Case{32, 3, 48, 47, 2}, Case{-20, 0, 20, 19, 0}, Case{-20, 1, 36, 36, 1}, Case{-40, 0, 40, 39, 0}}) {
        v.memo.ScrollToTopPixel(c.top);
        EXPECT_EQ(v.memo.LineTop(c.n), c.lineTop) << c.top;
        EXPECT_EQ(v.memo.LineAtY(c.y), c.lineAtY) << c.top;
    }
}

TEST(Painting, ANegativeTopPixelFillsTheBandAboveTheText)
{
    View v;
    v.memo.SetTextBuf("one");
    v.memo.ScrollToTopPixel(-20);
    EXPECT_EQ(v.memo.TopPixel(), -20);
    EXPECT_EQ(v.memo.TopLine(), 0);
    ui::TRecordingCanvas window;
    v.memo.PaintLines(window, {0, 0, 200, 170}, false);
    std::vector<std::string> fills;
    for (const std::string& s : window.Log())
        if (s.rfind("FillRect(", 0) == 0 || s.rfind("CopyFrom(", 0) == 0) fills.push_back(s.substr(0, s.find(' ')));
    EXPECT_EQ(fills, (Strings{"FillRect(0,0,200,20", "CopyFrom(0,20,200,36", "FillRect(0,36,200,170"}));
}

TEST(PixelPositions, CharPosToXAndBackForEachAlignment)
{
    View v;
    v.memo.SetTabStops(4);  // stops every 32 pixels
    v.memo.SetTextBuf("ab\tcd");
    // Left: the margin, then 8 pixels a character, the tab reaching the next stop.
    EXPECT_EQ(v.memo.CharPosToX(0, 0), 8);
    EXPECT_EQ(v.memo.CharPosToX(2, 0), 24);
    EXPECT_EQ(v.memo.CharPosToX(3, 0), 40);
    EXPECT_EQ(v.memo.CharPosToX(5, 0), 56);
    struct Click {
        int x;
        bool keepTabs;
        int pos;
    };
    for (const Click& c : {Click{11, false, 0}, Click{12, false, 1}, Click{30, false, 2}, Click{35, false, 3},
                           Click{35, true, 2}, Click{39, true, 2}, Click{44, true, 4}, Click{500, false, 5}, Click{-50, false, 0}})
        EXPECT_EQ(v.memo.XToCharPos(c.keepTabs, c.x, 0), c.pos) << c.x << " " << c.keepTabs;

    v.memo.SetTextBuf("abc");
    v.memo.SetAlignment(ui::taRightJustify);
    EXPECT_EQ(v.memo.CharPosToX(0, 0), 200 - 8 - 24);
    EXPECT_EQ(v.memo.XToCharPos(false, 200 - 8 - 24 + 13, 0), 2);
    v.memo.SetAlignment(ui::taCenter);
    EXPECT_EQ(v.memo.CharPosToX(0, 0), 8 + (200 - 16 - 24) / 2);
    EXPECT_EQ(v.memo.CharPosToX(3, 0), 8 + (200 - 16 - 24) / 2 + 24);
}

TEST(PixelPositions, JustifiedLinesSpreadTheirBlanksButNotTheLastLine)
{
    View v(96);  // ten characters a line
    v.memo.SetJustified(true);
    v.memo.SetTextBuf("aa b c cccccc");
    ASSERT_EQ(LinesOf(v.memo, 0), (Strings{"aa b c ", "cccccc"}));
    // "aa b c" is 48 pixels wide: 32 spare pixels over two blanks, 16 each.
    EXPECT_EQ(v.memo.CharPosToX(3, 0), 8 + 24 + 16);
    EXPECT_EQ(v.memo.CharPosToX(5, 0), 8 + 40 + 32);
    EXPECT_EQ(v.memo.XToCharPos(false, 8 + 24 + 16 + 3, 0), 3);
    EXPECT_EQ(v.memo.CharPosToX(2, 1), 8 + 16);  // the paragraph's last line is not spread
}

TEST(Scrolling, TheVerticalUnitKeepsTheRangeBelow32760)
{
    View v;
    v.memo.SetTextBuf(ManyLines(99999));
    ASSERT_EQ(v.memo.LineCount(), 100000);
    EXPECT_EQ(v.memo.VertScrollUnit(), 49);
    EXPECT_LT(static_cast<long long>(v.memo.LineCount()) * 16 / v.memo.VertScrollUnit(), 32760);
    v.memo.SetTextBuf("short");
    EXPECT_EQ(v.memo.VertScrollUnit(), 1);
}

TEST(Scrolling, LineUpShowsThePartlyHiddenLineWholeFirst)
{
    View v;
    v.memo.SetTextBuf(ManyLines(40));
    v.memo.ScrollToTopPixel(20);
    v.VScroll(ui::SB_LINEUP);
    EXPECT_EQ(v.memo.TopPixel(), 16);
    v.VScroll(ui::SB_LINEUP);
    EXPECT_EQ(v.memo.TopPixel(), 0);
    v.VScroll(ui::SB_LINEUP);
    EXPECT_EQ(v.memo.TopPixel(), 0);
}

TEST(Scrolling, ScrollCodesMoveByLinesPagesAndThumb)
{
    View v;  // 170 pixels: 11 visible lines
    v.memo.SetTextBuf(ManyLines(40));  // 41 lines
    ASSERT_EQ(v.memo.VisibleLines(), 11);
    v.VScroll(ui::SB_LINEDOWN);
    EXPECT_EQ(v.memo.TopLine(), 1);
    v.VScroll(ui::SB_PAGEDOWN);
    EXPECT_EQ(v.memo.TopLine(), 11);
    v.VScroll(ui::SB_PAGEDOWN);
    v.VScroll(ui::SB_PAGEDOWN);
    v.VScroll(ui::SB_PAGEDOWN);
    EXPECT_EQ(v.memo.TopLine(), 41 - 11 + 2);  // the last page stops two lines short of empty
    v.VScroll(ui::SB_PAGEUP);
    EXPECT_EQ(v.memo.TopLine(), 32 - 11 + 2);
    v.VScroll(ui::SB_THUMBTRACK, 40);
    EXPECT_EQ(v.memo.TopPixel(), 40);
    v.VScroll(ui::SB_THUMBPOSITION, 80);
    EXPECT_EQ(v.memo.TopPixel(), 40);
    // Nothing while an update is open.
    v.memo.BeginUpdate();
    v.VScroll(ui::SB_LINEDOWN);
    v.memo.EndUpdate();
    EXPECT_EQ(v.memo.TopPixel(), 40);
}

TEST(Scrolling, HorizontalCodesMoveByTwentiethsOfTheWidth)
{
    View v;
    v.memo.SetWordWrap(false);
    v.memo.SetTextBuf(std::string(400, 'x'));
    auto h = [&](int code, int pos = 0) { v.memo.Perform(ui::WM_HSCROLL, ui::MakeWParam(code, pos)); };
    h(ui::SB_LINERIGHT);
    EXPECT_EQ(v.memo.HorizontalOffset(), 11);
    h(ui::SB_PAGERIGHT);
    EXPECT_EQ(v.memo.HorizontalOffset(), 11 + 190);
    h(ui::SB_PAGELEFT);
    EXPECT_EQ(v.memo.HorizontalOffset(), 11);
    h(ui::SB_LINELEFT);
    EXPECT_EQ(v.memo.HorizontalOffset(), 0);
    h(ui::SB_THUMBTRACK, 300);
    EXPECT_EQ(v.memo.HorizontalOffset(), 300 * v.memo.HorzScrollUnit());
}

TEST(Scrolling, TheWheelScrollsItsLinesAndAccumulatesFineDeltas)
{
    View v;
    v.memo.SetTextBuf(ManyLines(60));
    v.memo.ScrollToLine(20);
    v.memo.SetMouseWheelFactor(3);
    v.Wheel(120);
    EXPECT_EQ(v.memo.TopLine(), 17);
    v.Wheel(-240);
    EXPECT_EQ(v.memo.TopLine(), 23);
    // A fine-grained wheel: deltas of 40 add up, none is lost.
    v.memo.SetMouseWheelFactor(1);
    v.Wheel(-40);
    v.Wheel(-40);
    EXPECT_EQ(v.memo.TopLine(), 23);
    v.Wheel(-40);
    EXPECT_EQ(v.memo.TopLine(), 24);
    EXPECT_EQ(v.memo.WheelAccumulator(), 0);
    // The page setting: one page a notch.
    v.memo.SetMouseWheelFactor(-1);
    const int old = ui::SetWheelScrollLines(-1);
    v.Wheel(-120);
    ui::SetWheelScrollLines(old);
    EXPECT_EQ(v.memo.TopLine(), 24 + 10);
    // The system's own line count, read when the factor is still unset.
    v.memo.SetMouseWheelFactor(-2);
    const int before = ui::SetWheelScrollLines(5);
    v.Wheel(120);
    ui::SetWheelScrollLines(before);
    EXPECT_EQ(v.memo.MouseWheelFactor(), 5);
    EXPECT_EQ(v.memo.TopLine(), 24 + 10 - 5);
}

TEST(Painting, EachLineIsComposedInTheBitmapAndCopiedOnce)
{
    View v;
    v.memo.SetHideSelection(false);
    v.memo.SetTextBuf(std::string("ab\x03") + "cd\x03" + "ef\r\nsecond");
    v.memo.SetSelStart(1);
    v.memo.SetSelLength(4);  // "b", code, "cd": inside the line
    ui::TRecordingCanvas window;
    v.memo.PaintLines(window, {0, 0, 200, 170}, false);
    auto* bitmapLog = dynamic_cast<ui::TRecordingDevice*>(v.memo.LineBitmap().Canvas()->Device());
    ASSERT_NE(bitmapLog, nullptr);
    const std::vector<std::string>& line = bitmapLog->Log();
    // One copy a display line, then the rest of the window filled below them.
    std::vector<std::string> copies;
    for (const std::string& s : window.Log())
        if (s.rfind("CopyFrom(", 0) == 0) copies.push_back(s);
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0].substr(0, 35), "CopyFrom(0,0,200,16 from 0,0,200,16");
    EXPECT_EQ(copies[1].substr(0, 36), "CopyFrom(0,16,200,32 from 0,0,200,16");
    // The end-of-text mark along the bottom of the last line, after the copies.
    EXPECT_NE(std::find_if(window.Log().begin(), window.Log().end(),
                           [](const std::string& s) { return s.rfind("Polyline(0,32 200,32", 0) == 0 && s.find(ui::FormatColor(rtl::clRed)) != std::string::npos; }),
              window.Log().end());
    EXPECT_NE(std::find_if(window.Log().begin(), window.Log().end(),
                           [](const std::string& s) { return s.rfind("FillRect(0,32,200,170", 0) == 0; }),
              window.Log().end());
    // The first line: background, the runs left to right (the highlighted one in its colours),
    // then the selection inverted over them.
    ASSERT_GE(line.size(), 5u);
    EXPECT_EQ(line[0].rfind("FillRect(0,0,200,16", 0), 0u) << line[0];
    EXPECT_NE(line[1].find("\"a\""), std::string::npos) << line[1];
    EXPECT_NE(line[2].find("\"b\""), std::string::npos) << line[2];
    EXPECT_NE(line[3].find("\"cd\""), std::string::npos) << line[3];
    EXPECT_NE(line[3].find("color=" + ui::FormatColor(rtl::clRed)), std::string::npos) << line[3];
    EXPECT_NE(line[3].find("bk="), std::string::npos) << line[3];
    EXPECT_NE(line[4].find("\"ef\""), std::string::npos) << line[4];
    EXPECT_EQ(line[5].rfind("PatBlt(16,0,40,16", 0), 0u) << line[5];
}

TEST(Painting, WideLinesAndMarksStayInsideTheCoordinateRange)
{
    View v;
    v.memo.SetWordWrap(false);
    v.memo.SetRightLinePos(-100);
    v.memo.SetTextBuf(std::string(20000, 'x') + "END");  // 160,024 pixels
    v.memo.ScrollToHorizontal(160000);
    ui::TRecordingCanvas window;
    v.memo.PaintLines(window, {0, 0, 200, 170}, false);
    auto* bitmapLog = dynamic_cast<ui::TRecordingDevice*>(v.memo.LineBitmap().Canvas()->Device());
    for (const std::string& s : bitmapLog->Log()) {
        if (s.rfind("Text(", 0) != 0) continue;
        const int x = std::stoi(s.substr(5));
        EXPECT_GE(x, -32767) << s;
        EXPECT_LE(x, 32767) << s;
    }
    EXPECT_NE(std::find_if(bitmapLog->Log().begin(), bitmapLog->Log().end(),
                           [](const std::string& s) { return s.find("END") != std::string::npos; }),
              bitmapLog->Log().end());
}

TEST(Painting, ATenMegabyteParagraphPaintsAndScrollsToItsEnd)
{
    View v;
    std::string text;
    text.reserve(10u << 20);
    while (text.size() < (10u << 20)) text += "word ";
    v.memo.SetTextBuf(text);
    ASSERT_EQ(v.memo.ParagraphCount(), 1);
    const int lines = v.memo.LineCount();
    ASSERT_GT(lines, 400000);  // 6.7 million pixels of text
    // The thumb at the bottom: the position in units brings the last page.
    const int unit = v.memo.VertScrollUnit();
    EXPECT_GT(unit, 1);
    const int last = static_cast<int>(static_cast<long long>(lines) * 16 / unit);
    EXPECT_LT(last, 32760);
    v.VScroll(ui::SB_THUMBTRACK, last - 1);
    EXPECT_GT(v.memo.TopLine(), lines - 2 * unit / 16 - 2);
    ui::TRecordingCanvas window;
    v.memo.PaintLines(window, {0, 0, 200, 170}, false);
    int copies = 0;
    for (const std::string& s : window.Log())
        if (s.rfind("CopyFrom(0,", 0) == 0) {
            ++copies;
            const int y = std::stoi(s.substr(s.find(',') + 1));
            EXPECT_GE(y, -16);
            EXPECT_LT(y, 170);
        }
    EXPECT_GT(copies, 0);
    v.VScroll(ui::SB_PAGEDOWN);
    v.VScroll(ui::SB_LINEUP);
    v.memo.CheckConsistency();
}

}  // namespace
}  // namespace editor::test

namespace editor::test {
namespace {

TEST(AutoScroll, DirectionSpeedAndDelayFollowTheMouseBeyondTheEdge)
{
    View v;  // 200 x 170
    v.memo.SetTextBuf(ManyLines(60));
    struct Delay {
        int speed, ms;
    };
    for (const Delay& d : {Delay{0, 0}, Delay{1, 400}, Delay{2, 300}, Delay{3, 200}, Delay{4, 130}, Delay{5, 78},
                           Delay{6, 48}, Delay{7, 30}, Delay{10, 0}})
        EXPECT_EQ(TTextMemo::AutoScrollDelay(d.speed), d.ms) << d.speed;

    const ui::TShiftState left{ui::ssLeft};
    v.memo.MouseDown(ui::mbLeft, left, 40, 20);
    struct Case {
        int x, y, dir, speed;
    };
    for (const Case& c : {Case{40, 176, 2, 2}, Case{40, 200, 2, 10}, Case{40, -9, 1, 3}, Case{-12, 50, 3, 4},
                          Case{230, 50, 4, 10}, Case{230, 200, 2, 10}, Case{40, -2, 0, 0}}) {
        v.memo.MouseMove(left, c.x, c.y);
        EXPECT_EQ(v.memo.AutoScrollDirection(), c.dir) << c.x << "," << c.y;
        if (c.dir != 0) {
            EXPECT_EQ(v.memo.AutoScrollSpeed(), c.speed) << c.x << "," << c.y;
        }
        EXPECT_EQ(v.memo.TimerActive(TTextMemo::kAutoScrollTimer), c.dir != 0);
    }
    // Held 6 pixels below: the first step at once, each further one when the timer fires.
    v.memo.ScrollToLine(0);
    v.memo.MouseMove(left, 40, 176);
    EXPECT_EQ(v.memo.TopLine(), 1);
    v.memo.Perform(ui::WM_TIMER, TTextMemo::kAutoScrollTimer);
    EXPECT_EQ(v.memo.TopLine(), 2);
    v.memo.Perform(ui::WM_TIMER, TTextMemo::kAutoScrollTimer);
    EXPECT_EQ(v.memo.TopLine(), 3);
    EXPECT_LT(v.memo.SelLength(), 0);  // the selection follows
    v.memo.MouseUp(ui::mbLeft, {}, 40, 176);
    EXPECT_EQ(v.memo.AutoScrollDirection(), 0);
    EXPECT_FALSE(v.memo.TimerActive(TTextMemo::kAutoScrollTimer));
    const int released = v.memo.TopLine();  // the caret was scrolled into view
    v.memo.Perform(ui::WM_TIMER, TTextMemo::kAutoScrollTimer);  // a late tick does nothing
    EXPECT_EQ(v.memo.TopLine(), released);
}

}  // namespace
}  // namespace editor::test

namespace editor::test {
namespace {

// A font whose blank is half as wide as its other characters (all 8 pixels, 16 high).
class TNarrowBlankFont : public ui::IFontMeasure {
public:
    int TextWidth(std::string_view utf8) override
    {
        int w = 0;
        for (const char c : utf8) w += c == ' ' ? 4 : 8;
        return w;
    }
    ui::TFontMetrics Metrics() override { return fixed_.Metrics(); }

private:
    ui::TFixedWidthMeasure fixed_{8, 16, 4};
};

// The bitmap's log lines that draw text.
Strings TextCalls(PaintedMemo& memo)
{
    Strings out;
    auto* log = dynamic_cast<ui::TRecordingDevice*>(memo.LineBitmap().Canvas()->Device());
    if (log == nullptr) return out;
    for (const std::string& s : log->Log())
        if (s.rfind("Text(", 0) == 0) out.push_back(s);
    return out;
}

std::string CallDrawing(const Strings& calls, const std::string& text)
{
    for (const std::string& s : calls)
        if (s.find("\"" + text + "\"") != std::string::npos) return s;
    return {};
}

// The baseline stands where the text is centred in the line; a line too low for the font
// puts it at the line's bottom.
TEST(Metrics, TheBaselineCentresTheTextInTheLine)
{
    struct Case {
        int lineHeight, height, descent, internalLeading, baseline;
    };
    for (const Case& c : {Case{17, 16, 4, 0, 12}, Case{40, 16, 4, 0, 24}, Case{16, 16, 4, 0, 12}, Case{10, 16, 4, 0, 10},
                          Case{21, 13, 3, 2, 14}}) {
        ui::TFontMetrics m;
        m.Height = c.height;
        m.Descent = c.descent;
        m.Ascent = c.height - c.descent;
        m.InternalLeading = c.internalLeading;
        EXPECT_EQ(BaselineOffsetFor(c.lineHeight, m), c.baseline) << c.lineHeight;
    }
    // Drawn: a fixed line of 40 pixels puts the 16-pixel text 12 pixels down.
    View v;
    v.memo.SetLineHeightSetting(40);
    v.memo.Perform(ui::CM_FONTCHANGED);
    v.memo.SetTextBuf("word");
    EXPECT_EQ(v.memo.BaselineOffset(), 24);
    EXPECT_EQ(v.memo.UnderlineOffset(), 28);
    ui::TRecordingCanvas window;
    v.memo.PaintLines(window, {0, 0, 200, 170}, false);
    EXPECT_EQ(CallDrawing(TextCalls(v.memo), "word").rfind("Text(8,12 ", 0), 0u) << CallDrawing(TextCalls(v.memo), "word");
}

// Tab stops, virtual blanks and a positive RightLinePos count blanks of the font, not its
// average character width.
TEST(Metrics, BlanksAreMeasuredInTheFont)
{
    TNarrowBlankFont font;
    TOneFontMeasure canvas{font};
    ui::TManualMessageQueue queue;
    PaintedMemo memo;
    memo.SetUpdateMode(umImmediate);
    memo.SetWordWrap(false);
    memo.AttachWindow(canvas, 200, 170, queue);
    EXPECT_EQ(memo.AverageCharWidth(), 8);
    EXPECT_EQ(memo.BlankWidth(), 4);
    memo.SetTextBuf("a\tb");
    EXPECT_EQ(memo.CharPosToX(2, 0), 8 + 8 * 4);  // the tab reaches 8 blanks
    TTextMemoOptions o = memo.Options();
    o.set(tmoKeepColumnPos);
    o.reset(tmoWrapCaret);
    memo.SetOptions(o);
    memo.SetSelStart(memo.TextLength());
    ui::TKey right = ui::VK_RIGHT;
    memo.KeyDown(right, {});
    ASSERT_EQ(memo.VirtualBlanks(), 1);
    EXPECT_EQ(memo.CaretX(), memo.CharPosToX(3, 0) + 4);
    memo.SetRightLinePos(10);
    ui::TRecordingCanvas window;
    memo.PaintLines(window, {0, 0, 200, 170}, false);
    EXPECT_NE(std::find_if(window.Log().begin(), window.Log().end(),
                           [](const std::string& s) { return s.rfind("Polyline(48,0 48,170", 0) == 0; }),
              window.Log().end());
}

// A run in the alternative font takes AltFont's face at the control font's size.
TEST(Painting, AlternativeFontRunsKeepTheLineHeight)
{
    View v;
    v.memo.AltFont()->SetName("Mono");
    v.memo.AltFont()->SetSize(20);
    v.memo.SetTextBuf("plain \x04" "alt\x04");
    ui::TRecordingCanvas window;
    v.memo.PaintLines(window, {0, 0, 200, 170}, false);
    const std::string alt = CallDrawing(TextCalls(v.memo), "alt");
    EXPECT_NE(alt.find("font=Mono/" + std::to_string(v.memo.Font()->Size())), std::string::npos) << alt;
}

// Keyword matches and start/stop spans are drawn in their two colours unless the paragraph
// has its own; an attribute byte with bit 128 makes the match a context run drawn in its own
// style (128: the special underline) under its own cursor.
TEST(Painting, KeywordsAndSpansAreDrawnInTheirColours)
{
    View v;
    TKeywordRec select;
    select.Context = 1;
    select.TextColor = rtl::clRed;
    select.BackColor = rtl::clYellow;
    v.memo.Keywords()->AddKeyword("SELECT", select);
    TKeywordRec link = select;
    link.Attr = 128;
    link.Attr16 = 7;
    link.TextColor = rtl::clBlue;
    link.BackColor = -1;
    v.memo.Keywords()->AddKeyword("LINK", link);
    v.memo.StartStopKeys()->Add("{", "}", false, 0, 1, 0, rtl::clGreen, -1, 0);
    v.memo.ResetParsing();
    v.memo.SetTextBuf("select x link {note}");
    ui::TRecordingCanvas window;
    v.memo.PaintLines(window, {0, 0, 200, 170}, false);
    const Strings calls = TextCalls(v.memo);
    const std::string red = ui::FormatColor(rtl::clRed), yellow = ui::FormatColor(rtl::clYellow);
    EXPECT_NE(CallDrawing(calls, "select").find("color=" + red + " bk=" + yellow), std::string::npos) << CallDrawing(calls, "select");
    EXPECT_EQ(CallDrawing(calls, "x").find("bk="), std::string::npos) << CallDrawing(calls, "x");
    EXPECT_NE(CallDrawing(calls, "link").find("color=" + ui::FormatColor(rtl::clBlue)), std::string::npos);
    EXPECT_NE(CallDrawing(calls, "{note}").find("color=" + ui::FormatColor(rtl::clGreen)), std::string::npos) << CallDrawing(calls, "{note}");
    auto* bitmapLog = dynamic_cast<ui::TRecordingDevice*>(v.memo.LineBitmap().Canvas()->Device());
    const int linkX = v.memo.CharPosToX(9, 0);
    EXPECT_NE(std::find_if(bitmapLog->Log().begin(), bitmapLog->Log().end(),
                           [&](const std::string& s) { return s.rfind("Polyline(" + std::to_string(linkX) + ",", 0) == 0; }),
              bitmapLog->Log().end());
    // The context run shows its cursor.
    v.memo.MouseMove({}, linkX + 3, 5);
    EXPECT_EQ(v.memo.Cursor(), 7);
    // A paragraph colour of its own wins.
    v.memo.Paragraph(0).TextColor = rtl::clNavy;
    bitmapLog->ClearLog();
    v.memo.PaintLines(window, {0, 0, 200, 170}, false);
    EXPECT_NE(CallDrawing(TextCalls(v.memo), "select").find("color=" + ui::FormatColor(rtl::clNavy)), std::string::npos);
}

// Unwrapped lines measure against the window for right and centre alignment: changing
// between the two measures them anew.
TEST(Metrics, AlignmentChangesBetweenRightAndCentreReformat)
{
    View v;
    v.memo.SetWordWrap(false);
    v.memo.SetUpdateMode(umOnNeed);
    v.memo.SetTextBuf("one\r\ntwo\r\nthree");
    v.memo.SetAlignment(ui::taRightJustify);
    v.memo.FormatRange(0, v.memo.ParagraphCount() - 1);
    ASSERT_TRUE(v.memo.Paragraph(2).Formatted);
    v.memo.SetAlignment(ui::taCenter);
    EXPECT_FALSE(v.memo.Paragraph(2).Formatted);
}

// LineHeight reads the height in force at run time and 0 (automatic) in a designer.
TEST(Metrics, LineHeightReadsTheHeightInForce)
{
    FakeWindow window;
    TTextMemo memo;
    window.Attach(memo, 200);
    EXPECT_EQ(memo.LineHeightSetting(), 17);
    memo.SetDesigning(true);
    EXPECT_EQ(memo.LineHeightSetting(), 0);
    memo.SetLineHeightSetting(20);
    EXPECT_EQ(memo.LineHeightSetting(), 20);
    memo.SetDesigning(false);
    EXPECT_EQ(memo.LineHeightSetting(), 20);
}

}  // namespace
}  // namespace editor::test
