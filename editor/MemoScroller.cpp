#include "editor/MemoScroller.h"

#include "editor/TextMemo.h"
#include "editor/TextNavigator.h"

#include "platform/ui/Input.h"
#include "platform/ui/Screen.h"

#include <algorithm>
#include <climits>

namespace editor {

namespace {
constexpr int kScrollRangeLimit = 32760;
}  // namespace

TMemoScroller::TMemoScroller(TTextMemo& memo) : memo_(memo), topLine_(std::make_unique<TTextNavigator>(memo)) {}

TMemoScroller::~TMemoScroller() = default;

void TMemoScroller::SetBars(bool vertical, bool horizontal) noexcept
{
    vBar_ = vertical;
    hBar_ = horizontal;
}

int TMemoScroller::TopLine() { return topLine_->Line(); }

void TMemoScroller::ResetView(bool toTop) noexcept
{
    topLine_->Reset();
    if (!toTop) return;
    topPixel_ = 0;
    hOffset_ = 0;
}

void TMemoScroller::ResetForFont()
{
    TTextMemo& m = memo_;
    topPixel_ = 0;
    hOffset_ = 0;
    topLine_->SetLine(0);
    UpdateVertScrollBar();
    UpdateHorzScrollBar();
    if (m.HandleAllocated()) {
        if (vBar_) m.SetScrollPos(ui::sbVertical, 0);
        if (hBar_) m.SetScrollPos(ui::sbHorizontal, 0);
        m.Invalidate();
    }
    m.OnVScroll(&m);
}

void TMemoScroller::ScrollToLine(int line) { ScrollTo(std::max(0, line) * std::max(1, memo_.lineHeight_), hOffset_); }

// ---- To the caret --------------------------------------------------------------------------

int TMemoScroller::CaretLine(int paragraph) const
{
    const TParagraphRec& rec = memo_.paragraphs_[paragraph];
    return rec.FirstLine + rec.LineOfOffset(memo_.selStart_ - rec.Start);
}

// Whole steps of five blanks, so that typing on does not scroll at every character.
int TMemoScroller::HorizontalForCaret()
{
    TTextMemo& m = memo_;
    const int step = 5 * std::max(1, m.avgCharWidth_);
    int h = hOffset_;
    if (m.wordWrap_ && m.columnWrap_ < 1) {
        h = 0;
    } else if (m.alignment_ != ui::taLeftJustify && hOffset_ == 0) {
        h = 0;
    } else if (m.CaretX() >= m.clientWidth_) {
        h += ((m.caretX_ - m.clientWidth_) / step + 1) * step;
    } else if (m.caretX_ < 0) {
        h = std::max(0, h + (m.caretX_ / step - 1) * step);
    }
    return h;
}

int TMemoScroller::TopForCaret(int p)
{
    TTextMemo& m = memo_;
    int caretLine = CaretLine(p);
    const int lh = std::max(1, m.lineHeight_);
    const int topLine = topPixel_ / lh;
    int top = topPixel_;
    if (caretLine < topLine || (caretLine == topLine && topPixel_ % lh != 0)) {
        top = caretLine * lh;
    } else if (static_cast<long long>(caretLine + 1) * lh - topPixel_ > m.clientHeight_) {
        // The paragraphs that come into view are formatted first, so that the caret line's
        // place is known.
        m.FormatRange(m.ParagraphOfLine(std::max(0, caretLine + 1 - m.VisibleLines())), p);
        caretLine = CaretLine(p);
        if (m.options_[tmoNoFineScroll])
            top = std::max(caretLine - m.VisibleLines() + 2, 0) * lh;
        else
            top = std::max(0, (caretLine + 1) * lh - m.clientHeight_);
    }
    return top;
}

void TMemoScroller::ScrollCaretIntoView()
{
    TTextMemo& m = memo_;
    if (m.updateCount_ > 0 || !m.WindowAttached()) return;
    const int p = m.SelPar();
    if (!m.paragraphs_[p].Formatted) m.FormatRange(p, p);
    m.UpdateCaret();
    const int h = HorizontalForCaret();
    ScrollTo(TopForCaret(p), h);
}

// ---- To a place ----------------------------------------------------------------------------

void TMemoScroller::ScrollTo(int topPixel, int horizontalOffset)
{
    TTextMemo& m = memo_;
    // The top pixel may be negative (a band of background above the text); the offset not.
    horizontalOffset = std::max(0, horizontalOffset);
    const long long dx = static_cast<long long>(hOffset_) - horizontalOffset;
    const long long dy = static_cast<long long>(topPixel_) - topPixel;
    if (m.rememberedX_ >= 0) m.rememberedX_ += static_cast<int>(dx);
    hOffset_ = horizontalOffset;
    m.caretY_ += static_cast<int>(dy);
    topPixel_ = topPixel;
    topLine_->SetLine(std::max(0, topPixel / std::max(1, m.lineHeight_)));
    if (m.HandleAllocated()) {
        if (hBar_ && dx != 0) m.SetScrollPos(ui::sbHorizontal, hOffset_ / std::max(1, hUnit_));
        if (vBar_ && dy != 0) m.SetScrollPos(ui::sbVertical, topPixel_ / std::max(1, vUnit_));
        MoveWindowPixels(dx, dy);
        if (m.Focused() && m.caretCreated_) ui::SetCaretPos(m.CaretX(), m.caretY_);
    }
    if (dx != 0) m.OnHScroll(&m);
    if (dy != 0) {
        if (!m.receivers_.empty()) m.Perform(kViewScrolledMessage);
        m.OnVScroll(&m);
    }
}

void TMemoScroller::MoveWindowPixels(long long dx, long long dy)
{
    if (dx == 0 && dy == 0) return;
    TTextMemo& m = memo_;
    // A background picture is tiled from the top pixel: moved pixels would not match it.
    const bool picture = m.backgroundBmp_.Width() > 0 && m.backgroundBmp_.Height() > 0;
    if (!picture && dx >= -32768 && dx <= 32767 && dy >= -32768 && dy <= 32767)
        m.ScrollWindow(static_cast<int>(dx), static_cast<int>(dy));
    else
        m.Invalidate();
}

// ---- Scroll bars ---------------------------------------------------------------------------

void TMemoScroller::UpdateVertScrollBar()
{
    TTextMemo& m = memo_;
    const long long lh = std::max(1, m.lineHeight_);
    const long long total = static_cast<long long>(m.lineCount_) * lh;
    vUnit_ = static_cast<int>(total / kScrollRangeLimit + 1);
    // The window's bars exist only with a window (a headless editor keeps its client size).
    if (!m.WindowAttached() || !m.HandleAllocated()) return;
    int page = 0, max = 0;
    if (vBar_) {
        max = static_cast<int>(std::max<long long>(m.clientHeight_ - lh - 1, total / vUnit_));
        if (!m.options_[tmoAutoScrollBars] && max < m.clientHeight_) ++max;
        page = static_cast<int>(std::max<long long>(0, (m.clientHeight_ - lh) / vUnit_));
        ui::TScrollInfo info = m.GetScrollInfo(ui::sbVertical);
        if (info.Max != max || info.Page != page || info.Min != 0) {
            info.Min = 0;
            info.Max = max;
            info.Page = page;
            info.Pos = topPixel_ / vUnit_;
            m.SetScrollInfo(ui::sbVertical, info, ui::SIF_RANGE | ui::SIF_PAGE | ui::SIF_POS, true);
        }
    }
    if ((!vBar_ || page > max) && topPixel_ != 0) ScrollToLine(0);
}

void TMemoScroller::UpdateHorzScrollBar()
{
    TTextMemo& m = memo_;
    const long long widest = std::min<long long>(m.widest_, INT_MAX);
    const long long full = widest + m.leftMargin_ + m.rightMargin_;
    hUnit_ = static_cast<int>(std::max<long long>(0, full) / kScrollRangeLimit + 1);
    if (!m.WindowAttached() || !m.HandleAllocated() || !hBar_) return;
    const int page = static_cast<int>(
        std::max<long long>(0, (static_cast<long long>(m.clientWidth_) - m.leftMargin_ - m.rightMargin_) / hUnit_));
    int max = static_cast<int>(std::max<long long>(0, (full - m.clientWidth_) / hUnit_)) + page - 1;
    if (m.wordWrap_ && m.columnWrap_ < 1) max = page - 1;
    if (!m.options_[tmoAutoScrollBars]) ++max;
    if (m.alignment_ == ui::taRightJustify || m.alignment_ == ui::taCenter) max = page;
    ui::TScrollInfo info = m.GetScrollInfo(ui::sbHorizontal);
    info.Min = 0;
    info.Max = std::max(0, max);
    info.Page = page;
    info.Pos = hOffset_ / hUnit_;
    m.SetScrollInfo(ui::sbHorizontal, info, ui::SIF_RANGE | ui::SIF_PAGE | ui::SIF_POS, false);
    if (max < page && hOffset_ != 0) ScrollTo(topPixel_, 0);
}

// ---- Scroll messages and the wheel ---------------------------------------------------------

void TMemoScroller::VScroll(int code, int pos)
{
    TTextMemo& m = memo_;
    if (m.updateCount_ > 0) return;
    const int lh = std::max(1, m.lineHeight_);
    const int T = TopLine(), V = m.VisibleLines(), N = m.lineCount_;
    switch (code) {
    case ui::SB_LINEUP:
        if (topPixel_ > 0) ScrollToLine(topPixel_ % lh != 0 ? T : T - 1);
        break;
    case ui::SB_LINEDOWN:
        if (T < N - 1 && T < N - V + 2) ScrollToLine(T + 1);
        break;
    case ui::SB_PAGEUP: {
        const int target = std::max(0, T - V + 2);
        m.FormatRange(m.ParagraphOfLine(target), m.ParagraphOfLine(T));
        ScrollToLine(target);
        break;
    }
    case ui::SB_PAGEDOWN: ScrollToLine(std::min(T + V - 1, std::max(0, N - V + 2))); break;
    case ui::SB_THUMBTRACK: {
        const long long px = static_cast<long long>(pos) * vUnit_;
        if (m.options_[tmoNoFineScroll])
            ScrollToLine(static_cast<int>((px + lh / 2) / lh));
        else
            ScrollTo(static_cast<int>(std::min<long long>(px, INT_MAX / 2)), hOffset_);
        break;
    }
    default: return;
    }
    if (m.HandleAllocated()) m.Update();
}

void TMemoScroller::HScroll(int code, int pos)
{
    TTextMemo& m = memo_;
    if (m.updateCount_ > 0) return;
    const long long cw = m.clientWidth_, h = hOffset_;
    long long to;
    switch (code) {
    case ui::SB_LINELEFT: to = std::max<long long>(0, h - cw / 20 - 1); break;
    case ui::SB_LINERIGHT: to = h + cw / 20 + 1; break;
    case ui::SB_PAGELEFT: to = std::max<long long>(0, h - (cw - cw / 20)); break;
    case ui::SB_PAGERIGHT: to = h + cw - cw / 20; break;
    case ui::SB_THUMBTRACK: to = static_cast<long long>(pos) * hUnit_; break;
    default: return;
    }
    ScrollTo(topPixel_, static_cast<int>(std::clamp<long long>(to, 0, INT_MAX / 2)));
    if (m.HandleAllocated()) m.Update();
}

void TMemoScroller::Wheel(int delta)
{
    TTextMemo& m = memo_;
    if (m.mouseWheelFactor_ < 0) m.mouseWheelFactor_ = ui::WheelScrollLines();
    if (m.mouseWheelFactor_ != -1) {
        wheelAccumulator_ += delta * m.mouseWheelFactor_;
        while (wheelAccumulator_ < -119) {
            m.Perform(ui::WM_VSCROLL, ui::SB_LINEDOWN);
            wheelAccumulator_ += 120;
        }
        while (wheelAccumulator_ > 119) {
            m.Perform(ui::WM_VSCROLL, ui::SB_LINEUP);
            wheelAccumulator_ -= 120;
        }
    } else {
        m.Perform(ui::WM_VSCROLL, delta < 0 ? ui::SB_PAGEDOWN : ui::SB_PAGEUP);
        wheelAccumulator_ = 0;
    }
}

}  // namespace editor
