// Painting and pixel positions of TTextMemo: every display line is composed in a one-line
// bitmap as wide as the client area and copied to the window in one step (TMemoRenderer;
// nothing is erased first, so no line flickers); coordinates are worked out in 64 bits and
// clamped before they reach a drawing call. Scrolling is TMemoScroller's.

#include "editor/TextMemo.h"

#include "editor/MemoRenderer.h"
#include "editor/MemoScroller.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Controls.h"

#include <algorithm>
#include <climits>

namespace editor {

// ---- Pixels and text positions ------------------------------------------------------------

int TTextMemo::LineTop(int n) const noexcept
{
    const long long lh = lineHeight_;
    const long long y = TopPixel() >= 0 ? n * lh - TopPixel() % std::max(1, lineHeight_) : n * lh - TopPixel();
    return static_cast<int>(std::clamp<long long>(y, INT_MIN / 2, INT_MAX / 2));
}

int TTextMemo::LineAtY(int y) const noexcept
{
    if (lineHeight_ < 1) return 0;
    if (TopPixel() >= 0) return static_cast<int>((static_cast<long long>(TopPixel() % lineHeight_) + y) / lineHeight_);
    return static_cast<int>((static_cast<long long>(TopPixel()) + y) / lineHeight_);
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
    const long long x = static_cast<long long>(WidthBefore(p, j, in)) + JustifyExtra(rec, j, in) + LineStartX(rec, j) - HorizontalOffset();
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

void TTextMemo::UpdateVertScrollBar() { scroller_->UpdateVertScrollBar(); }

void TTextMemo::UpdateHorzScrollBar() { scroller_->UpdateHorzScrollBar(); }

}  // namespace editor
