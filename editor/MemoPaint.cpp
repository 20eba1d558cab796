// Painting, pixel positions and scrolling of TTextMemo: every display line is composed in a
// one-line bitmap as wide as the client area and copied to the window in one step (nothing is
// erased first, so no line flickers); the scroll bars count in units that keep their ranges
// below 32760 steps however tall or wide the text; coordinates are worked out in 64 bits and
// clamped before they reach a drawing call.

#include "editor/TextMemo.h"

#include "editor/MemoRenderer.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Controls.h"

#include <algorithm>
#include <climits>

namespace editor {

int WheelScrollLines = 3;

namespace {

constexpr int kScrollRangeLimit = 32760;
}  // namespace

// ---- Pixels and text positions ------------------------------------------------------------

int TTextMemo::LineTop(int n) const noexcept
{
    const long long lh = lineHeight_;
    const long long y = topPixel_ >= 0 ? n * lh - topPixel_ % std::max(1, lineHeight_) : n * lh - topPixel_;
    return static_cast<int>(std::clamp<long long>(y, INT_MIN / 2, INT_MAX / 2));
}

int TTextMemo::LineAtY(int y) const noexcept
{
    if (lineHeight_ < 1) return 0;
    if (topPixel_ >= 0) return static_cast<int>((static_cast<long long>(topPixel_ % lineHeight_) + y) / lineHeight_);
    return static_cast<int>((static_cast<long long>(topPixel_) + y) / lineHeight_);
}

bool TTextMemo::LineJustified(TParagraphRec& rec, int lineInPar) const
{
    return justified_ && lineInPar < rec.LineCount() - 1;
}

int TTextMemo::LineStartX(TParagraphRec& rec, int lineInPar)
{
    TLinesList lines(rec);
    const long long width = lines[lineInPar].Width;
    long long x = leftMargin_;
    if (!LineJustified(rec, lineInPar)) {
        if (alignment_ == ui::taRightJustify)
            x = static_cast<long long>(clientWidth_) - rightMargin_ - width;
        else if (alignment_ == ui::taCenter)
            x = leftMargin_ + (static_cast<long long>(clientWidth_) - leftMargin_ - rightMargin_ - width) / 2;
    }
    return static_cast<int>(std::clamp<long long>(x, INT_MIN / 2, INT_MAX / 2));
}

int TTextMemo::JustifyExtra(TParagraphRec& rec, int lineInPar, int to)
{
    if (!LineJustified(rec, lineInPar)) return 0;
    TLinesList lines(rec);
    const TLineRec& ln = lines[lineInPar];
    const long long spare = static_cast<long long>(clientWidth_) - leftMargin_ - rightMargin_ - ln.Width;
    if (ln.Blanks <= 0 || spare <= 0) return 0;
    const long long each = spare / ln.Blanks, rest = spare % ln.Blanks;
    long long k = 0;
    for (int i = std::max(ln.JustifyStart, ln.Start); i < to && i < rec.Length(); ++i)
        if (rec.Text[static_cast<std::size_t>(i)] == ' ') ++k;
    k = std::min<long long>(k, ln.Blanks);
    return static_cast<int>(std::min<long long>(k * each + std::min(k, rest), INT_MAX / 4));
}

int TTextMemo::CharPosToX(int offsetInLine, int line)
{
    line = std::clamp(line, 0, lineCount_ - 1);
    const int p = ParagraphOfLine(line);
    TParagraphRec& rec = paragraphs_[p];
    TLinesList lines(rec);
    const int j = std::clamp(line - rec.FirstLine, 0, lines.Count() - 1);
    const int in = std::clamp(lines[j].Start + std::max(0, offsetInLine), lines[j].Start, rec.Length());
    const long long x = static_cast<long long>(WidthBefore(p, j, in)) + JustifyExtra(rec, j, in) + LineStartX(rec, j) - hOffset_;
    return static_cast<int>(std::clamp<long long>(x, INT_MIN / 2, INT_MAX / 2));
}

int TTextMemo::XToCharPos(bool keepTabs, int x, int line)
{
    line = std::clamp(line, 0, lineCount_ - 1);
    const int p = ParagraphOfLine(line);
    TParagraphRec& rec = paragraphs_[p];
    TLinesList lines(rec);
    const int j = std::clamp(line - rec.FirstLine, 0, lines.Count() - 1);
    const int start = lines[j].Start;
    const bool lastLine = j == lines.Count() - 1;
    const int end = lastLine ? rec.Length() : std::max(start, lines[j].Stop);
    const std::string_view text(rec.Text);
    // The places are the character starts of the line; a wrapped line's last place is before
    // its last character (its end is the next line's start). A binary search over the bytes
    // keeps a click on a very long line to a few dozen measurements.
    int last = end;
    if (!lastLine && end > start) last = static_cast<int>(rtl::Utf8CharStartAt(text, static_cast<std::size_t>(end - 1)));
    auto next = [&](int o) { return static_cast<int>(rtl::Utf8NextCharStart(text, static_cast<std::size_t>(o))); };
    auto xAt = [&](int o) { return static_cast<long long>(CharPosToX(o - start, line)); };
    // Whether the middle of the character at o lies at or left of x.
    auto passed = [&](int o) {
        const long long a = xAt(o), b = xAt(next(o));
        return a + (b - a) / 2 <= x;
    };
    int lo = start, hi = last;
    while (lo < hi) {
        int m = static_cast<int>(rtl::Utf8CharStartAt(text, static_cast<std::size_t>(lo + (hi - lo) / 2)));
        if (m < lo) m = lo;
        if (passed(m))
            lo = next(m);
        else
            hi = m;
    }
    int k = std::min(lo, last);
    if (keepTabs && k > start && x < xAt(k)) {
        const int before = static_cast<int>(rtl::Utf8CharStartAt(text, static_cast<std::size_t>(k - 1)));
        if (text[static_cast<std::size_t>(before)] == kTab) k = before;
    }
    return k - start;
}

// ---- Painting ---------------------------------------------------------------------------------

ui::TBitmap& TTextMemo::LineBitmap() noexcept { return renderer_->LineBitmap(); }

void TTextMemo::PaintBackground(ui::TCanvas& canvas, const ui::TRect& rect, bool usePicture)
{
    renderer_->PaintBackground(canvas, rect, usePicture);
}

void TTextMemo::PaintLines(ui::TCanvas& target, const ui::TRect& rect, bool temporaryBitmap)
{
    renderer_->Paint(target, rect, temporaryBitmap);
}

// ---- Invalidation -------------------------------------------------------------------------------

void TTextMemo::InvalidateLines(int firstLine, int lastLine)
{
    if (!HandleAllocated()) return;
    if (firstLine > lastLine) std::swap(firstLine, lastLine);
    const int top = TopLine();
    const int vis = VisibleLines();
    if (lastLine < top || firstLine > top + vis) return;
    const int y1 = firstLine < top ? 0 : LineTop(firstLine - top);
    const int y2 = lastLine > top + vis ? clientHeight_ : LineTop(lastLine - top + 1);
    InvalidateRect({0, std::max(0, y1), std::max(1, clientWidth_), std::min(clientHeight_, y2)});
}

void TTextMemo::RefreshDisplay()
{
    if (!WindowAttached() && !altCanvas_) return;
    ReformatAll();
    if (!WindowAttached()) return;
    const int limit = std::max(0, lineCount_ - VisibleLines() + 1);
    if (TopLine() > limit) ScrollToLine(limit);
    if (HandleAllocated()) {
        Invalidate();
        Update();
    }
    UpdateCaret();
}

// ---- Scroll bars --------------------------------------------------------------------------------

void TTextMemo::UpdateVertScrollBar()
{
    const long long lh = std::max(1, lineHeight_);
    const long long total = static_cast<long long>(lineCount_) * lh;
    vUnit_ = static_cast<int>(total / kScrollRangeLimit + 1);
    // The window's bars exist only with a window (a headless editor keeps its client size).
    if (!WindowAttached() || !HandleAllocated()) return;
    int page = 0, max = 0;
    if (vBar_) {
        max = static_cast<int>(std::max<long long>(clientHeight_ - lh - 1, total / vUnit_));
        if (!options_[tmoAutoScrollBars] && max < clientHeight_) ++max;
        page = static_cast<int>(std::max<long long>(0, (clientHeight_ - lh) / vUnit_));
        ui::TScrollInfo info = GetScrollInfo(ui::sbVertical);
        if (info.Max != max || info.Page != page || info.Min != 0) {
            info.Min = 0;
            info.Max = max;
            info.Page = page;
            info.Pos = topPixel_ / vUnit_;
            SetScrollInfo(ui::sbVertical, info, ui::SIF_RANGE | ui::SIF_PAGE | ui::SIF_POS, true);
        }
    }
    if ((!vBar_ || page > max) && topPixel_ != 0) ScrollToLine(0);
}

void TTextMemo::UpdateHorzScrollBar()
{
    const long long widest = std::min<long long>(widest_, INT_MAX);
    const long long full = widest + leftMargin_ + rightMargin_;
    hUnit_ = static_cast<int>(std::max<long long>(0, full) / kScrollRangeLimit + 1);
    if (!WindowAttached() || !HandleAllocated() || !hBar_) return;
    const int page = static_cast<int>(std::max<long long>(0, (static_cast<long long>(clientWidth_) - leftMargin_ - rightMargin_) / hUnit_));
    int max = static_cast<int>(std::max<long long>(0, (full - clientWidth_) / hUnit_)) + page - 1;
    if (wordWrap_ && columnWrap_ < 1) max = page - 1;
    if (!options_[tmoAutoScrollBars]) ++max;
    if (alignment_ == ui::taRightJustify || alignment_ == ui::taCenter) max = page;
    ui::TScrollInfo info = GetScrollInfo(ui::sbHorizontal);
    info.Min = 0;
    info.Max = std::max(0, max);
    info.Page = page;
    info.Pos = hOffset_ / hUnit_;
    SetScrollInfo(ui::sbHorizontal, info, ui::SIF_RANGE | ui::SIF_PAGE | ui::SIF_POS, false);
    if (max < page && hOffset_ != 0) ScrollTo(topPixel_, 0);
}

// ---- Scroll messages and the wheel ----------------------------------------------------------------

void TTextMemo::HandleVScroll(int code, int pos)
{
    if (updateCount_ > 0) return;
    const int lh = std::max(1, lineHeight_);
    const int T = TopLine(), V = VisibleLines(), N = lineCount_;
    switch (code) {
    case ui::SB_LINEUP:
        if (topPixel_ > 0) ScrollToLine(topPixel_ % lh != 0 ? T : T - 1);
        break;
    case ui::SB_LINEDOWN:
        if (T < N - 1 && T < N - V + 2) ScrollToLine(T + 1);
        break;
    case ui::SB_PAGEUP: {
        const int target = std::max(0, T - V + 2);
        FormatRange(ParagraphOfLine(target), ParagraphOfLine(T));
        ScrollToLine(target);
        break;
    }
    case ui::SB_PAGEDOWN: ScrollToLine(std::min(T + V - 1, std::max(0, N - V + 2))); break;
    case ui::SB_THUMBTRACK: {
        const long long px = static_cast<long long>(pos) * vUnit_;
        if (options_[tmoNoFineScroll])
            ScrollToLine(static_cast<int>((px + lh / 2) / lh));
        else
            ScrollToTopPixel(static_cast<int>(std::min<long long>(px, INT_MAX / 2)));
        break;
    }
    default: return;
    }
    if (HandleAllocated()) Update();
}

void TTextMemo::HandleHScroll(int code, int pos)
{
    if (updateCount_ > 0) return;
    const long long cw = clientWidth_, h = hOffset_;
    long long to;
    switch (code) {
    case ui::SB_LINELEFT: to = std::max<long long>(0, h - cw / 20 - 1); break;
    case ui::SB_LINERIGHT: to = h + cw / 20 + 1; break;
    case ui::SB_PAGELEFT: to = std::max<long long>(0, h - (cw - cw / 20)); break;
    case ui::SB_PAGERIGHT: to = h + cw - cw / 20; break;
    case ui::SB_THUMBTRACK: to = static_cast<long long>(pos) * hUnit_; break;
    default: return;
    }
    ScrollToHorizontal(static_cast<int>(std::clamp<long long>(to, 0, INT_MAX / 2)));
    if (HandleAllocated()) Update();
}

void TTextMemo::HandleWheel(int delta)
{
    if (mouseWheelFactor_ < 0) mouseWheelFactor_ = WheelScrollLines;
    if (mouseWheelFactor_ != -1) {
        wheelAccumulator_ += delta * mouseWheelFactor_;
        while (wheelAccumulator_ < -119) {
            Perform(ui::WM_VSCROLL, ui::SB_LINEDOWN);
            wheelAccumulator_ += 120;
        }
        while (wheelAccumulator_ > 119) {
            Perform(ui::WM_VSCROLL, ui::SB_LINEUP);
            wheelAccumulator_ -= 120;
        }
    } else {
        Perform(ui::WM_VSCROLL, delta < 0 ? ui::SB_PAGEDOWN : ui::SB_PAGEUP);
        wheelAccumulator_ = 0;
    }
}

}  // namespace editor
