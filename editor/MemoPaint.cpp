// Painting, pixel positions and scrolling of TTextMemo: every display line is composed in a
// one-line bitmap as wide as the client area and copied to the window in one step (nothing is
// erased first, so no line flickers); the scroll bars count in units that keep their ranges
// below 32760 steps however tall or wide the text; coordinates are worked out in 64 bits and
// clamped before they reach a drawing call.

#include "editor/TextMemo.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Controls.h"

#include <algorithm>
#include <climits>

namespace editor {

int WheelScrollLines = 3;

namespace {

constexpr int kScrollRangeLimit = 32760;
// Characters left of this x are measured and skipped, never drawn.
constexpr long long kLeftmostDrawn = -16383;

int Clamp32(long long v) { return static_cast<int>(std::clamp<long long>(v, -32767, 32767)); }

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

void TTextMemo::PaintBackground(ui::TCanvas& canvas, const ui::TRect& rect, bool usePicture)
{
    if (rect.Right <= rect.Left || rect.Bottom <= rect.Top) return;
    const int pw = backgroundBmp_.Width(), ph = backgroundBmp_.Height();
    if (!usePicture || pw <= 0 || ph <= 0) {
        canvas.Brush()->SetColor(Color());
        canvas.Brush()->SetStyle(ui::bsSolid);
        canvas.FillRect(rect);
        return;
    }
    auto saved = canvas.SaveScope();
    canvas.IntersectClipRect(rect);
    const int sy = static_cast<int>(((static_cast<long long>(topPixel_) + rect.Top) % ph + ph) % ph);
    const int sx = hOffset_ % pw;
    for (long long y = rect.Top - sy; y < rect.Bottom; y += ph)
        for (long long x = rect.Left - sx; x < rect.Right; x += pw) canvas.Draw(static_cast<int>(x), static_cast<int>(y), backgroundBmp_);
}

void TTextMemo::SelectRunFont(ui::TCanvas& canvas, std::uint8_t style)
{
    classes::TFont f;
    f.Assign((style & fsAltFont) ? altFont_ : *Font());
    classes::TFontStyles s = f.Style();
    auto toggle = [&s](bool bit, classes::TFontStyle one) {
        // An element both in the font and in the style byte is dropped.
        if (!bit) return;
        if (s.Contains(one))
            s.Exclude(one);
        else
            s.Include(one);
    };
    toggle(style & fsBold, classes::fsBold);
    toggle(style & fsItalic, classes::fsItalic);
    toggle(style & fsUnderline, classes::fsUnderline);
    toggle(style & fsStrikeOut, classes::fsStrikeOut);
    f.SetStyle(s);
    canvas.SetFont(f);
}

void TTextMemo::PaintLines(ui::TCanvas& target, const ui::TRect& rect, bool temporaryBitmap)
{
    const int cw = std::max(1, clientWidth_);
    const int lh = std::max(1, lineHeight_);
    ui::TBitmap temporary;
    ui::TBitmap& bmp = temporaryBitmap ? temporary : lineBitmap_;
    if (bmp.Width() != cw || bmp.Height() != lh) bmp.SetSize(cw, lh);
    ui::TCanvas& bc = *bmp.Canvas();
    bc.SetBounds({0, 0, cw, lh});
    auto savedTarget = target.SaveScope();

    const int top = TopLine();
    const int first = top + std::max(0, LineAtY(rect.Top));
    int last = top + std::max(0, LineAtY(rect.Bottom - 1));
    // The paragraphs shown are formatted first (formatting moves later lines down).
    for (int pass = 0; pass < 8; ++pass) {
        const int pa = ParagraphOfLine(top), pb = ParagraphOfLine(std::min(last, lineCount_ - 1));
        bool pending = false;
        for (int p = pa; p <= pb && !pending; ++p) pending = !paragraphs_[p].Formatted;
        if (!pending) break;
        FormatRange(pa, pb);
    }
    last = std::min(last, lineCount_ - 1);

    const bool usePicture = backgroundBmp_.Width() > 0 && backgroundBmp_.Height() > 0;
    const bool winSel = options_[tmoWindowsSelColors];
    const bool showSel = selLength_ != 0 && (!hideSelection_ || (HandleAllocated() && Focused()));
    const int selFrom = SelFrom(), selTo = SelTo();
    const int blockParA = columnBlock_ ? ParagraphOfOffset(selFrom) : 0;
    const int blockParB = columnBlock_ ? ParagraphOfOffset(selTo) : -1;

    if (first == 0 && topPixel_ < 0) PaintBackground(target, {rect.Left, 0, rect.Right, -topPixel_}, usePicture);

    // Special underline: a zigzag of `step` pixels.
    const int zigStep = specUnderline_.Width() * 3 / 2 + 1;
    const ui::TFontMetrics fm = MeasuringCanvas() ? MeasuringCanvas()->FontOfStyle(0).Metrics() : ui::TFontMetrics{};
    const int baseline = lh - fm.Descent - (lh - fm.Height + 1) / 2;
    const int underTop = std::min(baseline + fm.Descent, lh - zigStep - 1);

    int painted = first - 1;
    for (int L = first; L <= last; ++L) {
        const int p = ParagraphOfLine(L);
        TParagraphRec& rec = paragraphs_[p];
        TLinesList lines(rec);
        const int j = std::clamp(L - rec.FirstLine, 0, lines.Count() - 1);
        const TLineRec ln = lines[j];
        const bool lastOfPar = j == lines.Count() - 1;
        const std::string_view text(rec.Text);

        // a. The line's background.
        if (rec.BackColor != -1 || !usePicture) {
            bc.Brush()->SetStyle(ui::bsSolid);
            bc.Brush()->SetColor(rec.BackColor != -1 ? rec.BackColor : Color());
            bc.FillRect({0, 0, cw, lh});
        } else {
            const int ph = backgroundBmp_.Height(), pw = backgroundBmp_.Width();
            const int sy = static_cast<int>((static_cast<long long>(lh) * L) % ph);
            for (long long y = -sy; y < lh; y += ph)
                for (long long x = -(hOffset_ % pw); x < cw; x += pw) bc.Draw(static_cast<int>(x), static_cast<int>(y), backgroundBmp_);
        }

        // c. The selection span on this line.
        const int lineAbsStart = rec.Start + ln.Start;
        const int lineAbsEnd = rec.Start + (lastOfPar ? rec.Length() : ln.Stop);
        const int parEnd = rec.Start + rec.Length();
        long long xs = 0, xe = 0;
        bool span = false;
        int selA = -1, selB = -1;  // the selected part of the line, as paragraph offsets
        if (showSel) {
            if (columnBlock_) {
                if (p >= blockParA && p <= blockParB) {
                    const long long c1 = std::min(blockCol1_, blockCol2_), c2 = std::max(blockCol1_, blockCol2_);
                    xs = leftMargin_ + c1 * avgCharWidth_ - hOffset_;
                    xe = leftMargin_ + c2 * avgCharWidth_ - hOffset_;
                    span = xe > xs;
                }
            } else if (selFrom < lineAbsEnd || (selFrom <= lineAbsEnd && selTo > lineAbsEnd && lastOfPar)) {
                if (selTo > lineAbsStart) {
                    const int a = std::max(selFrom, lineAbsStart), b = std::min(selTo, lineAbsEnd);
                    selA = a - rec.Start;
                    selB = b - rec.Start;
                    xs = CharPosToX(a - lineAbsStart, L);
                    xe = CharPosToX(b - lineAbsStart, L);
                    if (selTo > lineAbsEnd && options_[tmoFullLineSelect]) xe = cw;
                    span = true;
                }
            }
        }
        const int spanL = Clamp32(std::clamp<long long>(xs, -1, cw + 1)), spanR = Clamp32(std::clamp<long long>(xe, -1, cw + 1));
        if (span && winSel) {
            bc.Brush()->SetStyle(ui::bsSolid);
            bc.Brush()->SetColor(selBackColor_);
            bc.FillRect({spanL, 0, spanR, lh});
        }

        // e. The text runs.
        int drawEnd = lastOfPar ? rec.Length() : ln.Stop;
        if (!lastOfPar)
            while (drawEnd > ln.Start && text[static_cast<std::size_t>(drawEnd - 1)] == ' ') --drawEnd;
        const long long xStart = static_cast<long long>(LineStartX(rec, j)) - hOffset_;
        const bool justifiedLine = LineJustified(rec, j);
        long long justEach = 0, justRest = 0;
        if (justifiedLine && ln.Blanks > 0) {
            const long long spare = static_cast<long long>(clientWidth_) - leftMargin_ - rightMargin_ - ln.Width;
            if (spare > 0) {
                justEach = spare / ln.Blanks;
                justRest = spare % ln.Blanks;
            }
        }
        long long blanksSeen = 0;
        long long x = xStart;
        std::uint8_t style = staticFormat_ ? ln.Style : 0;
        int currentFont = -1;
        bc.SetTextAlign(ui::TA_LEFT | ui::TA_TOP);
        int i = ln.Start;
        while (i < drawEnd && x < cw) {
            const auto c = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
            if (staticFormat_ && IsStyleCode(c)) {
                style ^= StyleBitOfCode(c);
                ++i;
                continue;
            }
            // The run's colours.
            std::uint8_t drawStyle = style;
            const TStyleRec& sr = rec.StyleAt(i + 1);  // the record in force for the character at i
            if (sr.Flags & srContext) drawStyle = sr.Style;
            rtl::TColor fg = Font()->Color();
            rtl::TColor bg = rtl::clNone;
            if (rec.TextColor != -1) fg = rec.TextColor;
            if (drawStyle & fsHighlight) {
                fg = highlightColor_;
                bg = highlightBackgnd_;
            }
            if (sr.Flags & srContext) {
                if (sr.TextColor != -1 && rec.TextColor == -1) fg = sr.TextColor;
                if (sr.BackColor != -1 && rec.BackColor == -1) bg = sr.BackColor;
            }
            const bool inSel = span && !columnBlock_ && i >= selA && i < selB;
            if (inSel && winSel) {
                fg = selTextColor_;
                bg = rtl::clNone;
            }
            // The run ends at a code, a tab, a blank, a style record or a selection boundary.
            int k = i;
            long long runStartX = x;
            if (c == kTab || c == ' ') {
                long long nx;
                if (c == kTab) {
                    const long long tab = static_cast<long long>(tabStops_) * avgCharWidth_;
                    nx = tab >= 1 ? xStart + ((x - xStart) / tab + 1) * tab : x;
                } else {
                    nx = x + MetricsOf(style).blank;
                    if (justifiedLine && i >= ln.JustifyStart && justEach + justRest > 0) {
                        nx += justEach + (blanksSeen < justRest ? 1 : 0);
                        ++blanksSeen;
                    }
                }
                if (bg != rtl::clNone && nx > kLeftmostDrawn) {
                    bc.Brush()->SetStyle(ui::bsSolid);
                    bc.Brush()->SetColor(bg);
                    bc.FillRect({Clamp32(x), 0, Clamp32(std::min<long long>(nx, cw)), lh});
                }
                x = nx;
                k = i + 1;
            } else {
                int nextRecord = INT_MAX;
                for (const TStyleRec& r : rec.Styles)
                    if (r.Offset > i) {
                        nextRecord = r.Offset;
                        break;
                    }
                while (k < drawEnd) {
                    const auto d = static_cast<unsigned char>(text[static_cast<std::size_t>(k)]);
                    if (d == kTab || d == ' ' || (staticFormat_ && IsStyleCode(d)) || k >= nextRecord) break;
                    if (span && !columnBlock_ && k > i && (k == selA || k == selB)) break;
                    ++k;
                }
                if (drawStyle != currentFont) {
                    SelectRunFont(bc, drawStyle);
                    currentFont = drawStyle;
                }
                bc.Font()->SetColor(fg);
                bc.Brush()->SetStyle(bg == rtl::clNone ? ui::bsClear : ui::bsSolid);
                if (bg != rtl::clNone) bc.Brush()->SetColor(bg);
                // In pieces a text call can take, never split inside a character.
                std::string_view run = text.substr(static_cast<std::size_t>(i), static_cast<std::size_t>(k - i));
                while (!run.empty() && x < cw) {
                    std::size_t take = std::min(run.size(), static_cast<std::size_t>(std::max(1, maxCharsPerCall_)));
                    if (take < run.size()) {
                        const std::size_t t = rtl::Utf8CharStartAt(run, take);
                        if (t > 0) take = t;
                    }
                    const std::string_view piece = run.substr(0, take);
                    const long long w = static_cast<long long>(MeasureRun(piece, style)) - MetricsOf(style).overhang;
                    if (x + w > kLeftmostDrawn) bc.TextOut(static_cast<int>(std::max<long long>(x, kLeftmostDrawn * 2)), 0, piece);
                    x += w;
                    run.remove_prefix(take);
                }
            }
            // g. The special underline.
            if ((drawStyle & fsSpecUnderline) && x > runStartX && x > 0) {
                bc.Pen()->Assign(specUnderline_);
                std::vector<ui::TPoint> zig;
                bool up = true;
                for (long long zx = std::max<long long>(runStartX, -zigStep); zx <= std::min<long long>(x, 32767); zx += zigStep) {
                    zig.push_back({Clamp32(zx), up ? underTop : underTop + zigStep});
                    up = !up;
                }
                if (zig.size() > 1) bc.Polyline(zig);
            }
            i = k;
        }

        // h. The selection inverted after the text.
        if (span && !winSel) bc.InvertRect({spanL, 0, spanR, lh});
        // i. The end-of-paragraph box.
        if (span && showEndParSelected_ && !options_[tmoFullLineSelect] && !columnBlock_ && lastOfPar && selFrom <= parEnd &&
            selTo >= parEnd + 2) {
            const ui::TRect box{spanR, lh / 3, Clamp32(static_cast<long long>(spanR) + avgCharWidth_ / 2 + 1), 2 * (lh / 3)};
            if (winSel) {
                bc.Brush()->SetStyle(ui::bsSolid);
                bc.Brush()->SetColor(selBackColor_);
                bc.FillRect(box);
            } else {
                bc.InvertRect(box);
            }
        }
        // j. One copy per display line.
        const int y = LineTop(L - top);
        target.CopyRect({0, y, cw, y + lh}, bc, {0, 0, cw, lh}, ui::cmSrcCopy);
        painted = L;
    }

    // Below the text.
    const int below = painted >= first ? LineTop(painted + 1 - top) : LineTop(first - top);
    if (below < rect.Bottom) PaintBackground(target, {rect.Left, std::max(below, rect.Top), rect.Right, rect.Bottom}, usePicture);

    // The end-of-text mark along the bottom of the last display line.
    if (endOfTextMark_.Color() != -1 && endOfTextMark_.Color() != rtl::clNone && painted >= lineCount_ - 1) {
        const long long y = static_cast<long long>(lineCount_) * lh - topPixel_ + endOfTextMark_.Width() / 2;
        if (y >= rect.Top - lh && y <= rect.Bottom + lh) {
            target.Pen()->Assign(endOfTextMark_);
            target.MoveTo(rect.Left, static_cast<int>(y));
            target.LineTo(rect.Right, static_cast<int>(y));
        }
    }
    // The right line.
    if (rightLinePos_ != 0) {
        const long long x = static_cast<long long>(leftMargin_) - hOffset_ +
                            (rightLinePos_ > 0 ? static_cast<long long>(rightLinePos_) * avgCharWidth_ : -static_cast<long long>(rightLinePos_));
        if (x >= rect.Left - rightLinePen_.Width() && x < rect.Right + rightLinePen_.Width()) {
            target.Pen()->Assign(rightLinePen_);
            target.MoveTo(static_cast<int>(x), rect.Top);
            target.LineTo(static_cast<int>(x), rect.Bottom);
        }
    }
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
