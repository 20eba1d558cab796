// Painting a TTextMemo line by line (see MemoRenderer.h).

#include "editor/MemoRenderer.h"

#include "editor/TextMemo.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Canvas.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace editor {

namespace {

// Characters left of this x are measured and skipped, never drawn.
constexpr long long kLeftmostDrawn = -16383;

int Clamp32(long long v) { return static_cast<int>(std::clamp<long long>(v, -32767, 32767)); }

}  // namespace

void TMemoRenderer::PaintBackground(ui::TCanvas& canvas, const ui::TRect& rect, bool usePicture)
{
    if (rect.Right <= rect.Left || rect.Bottom <= rect.Top) return;
    const ui::TPicture& picture = memo_.backgroundBmp_;
    const int pw = picture.Width(), ph = picture.Height();
    if (!usePicture || pw <= 0 || ph <= 0) {
        canvas.Brush()->SetColor(memo_.Color());
        canvas.Brush()->SetStyle(ui::bsSolid);
        canvas.FillRect(rect);
        return;
    }
    auto saved = canvas.SaveScope();
    canvas.IntersectClipRect(rect);
    const int sy = static_cast<int>(((static_cast<long long>(memo_.TopPixel()) + rect.Top) % ph + ph) % ph);
    const int sx = memo_.HorizontalOffset() % pw;
    for (long long y = rect.Top - sy; y < rect.Bottom; y += ph)
        for (long long x = rect.Left - sx; x < rect.Right; x += pw) canvas.Draw(static_cast<int>(x), static_cast<int>(y), picture);
}

void TMemoRenderer::SelectRunFont(ui::TCanvas& canvas, std::uint8_t style)
{
    classes::TFont f;
    f.Assign((style & fsAltFont) ? memo_.altFont_ : *memo_.Font());
    f.SetSize(memo_.Font()->Size());  // AltFont gives the face; every run has the line's height
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

void TMemoRenderer::Paint(ui::TCanvas& target, const ui::TRect& rect, bool temporaryBitmap)
{
    const int cw = std::max(1, memo_.clientWidth_);
    const int lh = std::max(1, memo_.lineHeight_);
    ui::TBitmap temporary;
    ui::TBitmap& bmp = temporaryBitmap ? temporary : lineBitmap_;
    if (bmp.Width() != cw || bmp.Height() != lh) bmp.SetSize(cw, lh);
    ui::TCanvas& bc = *bmp.Canvas();
    bc.SetBounds({0, 0, cw, lh});
    auto savedTarget = target.SaveScope();

    const int top = memo_.TopLine();
    const int first = top + std::max(0, memo_.LineAtY(rect.Top));
    int last = top + std::max(0, memo_.LineAtY(rect.Bottom - 1));
    FormatShown(top, last);
    last = std::min(last, memo_.lineCount_ - 1);
    SetUpFrame(bc, cw, lh);

    if (first == 0 && memo_.TopPixel() < 0) PaintBackground(target, {rect.Left, 0, rect.Right, -memo_.TopPixel()}, frame_.usePicture);
    int painted = first - 1;
    for (int L = first; L <= last; ++L) {
        PaintLine(target, L, top);
        painted = L;
    }
    PaintFooter(target, rect, first, painted, top);
}

// The paragraphs shown are formatted first (formatting moves later lines down).
void TMemoRenderer::FormatShown(int top, int last)
{
    for (int pass = 0; pass < 8; ++pass) {
        const int pa = memo_.ParagraphOfLine(top), pb = memo_.ParagraphOfLine(std::min(last, memo_.lineCount_ - 1));
        bool pending = false;
        for (int p = pa; p <= pb && !pending; ++p) pending = !memo_.paragraphs_[p].Formatted;
        if (!pending) break;
        memo_.FormatRange(pa, pb);
    }
}

void TMemoRenderer::SetUpFrame(ui::TCanvas& bitmap, int cw, int lh)
{
    TTextMemo& m = memo_;
    frame_ = TFrame{};
    frame_.bitmap = &bitmap;
    frame_.cw = cw;
    frame_.lh = lh;
    frame_.usePicture = m.backgroundBmp_.Width() > 0 && m.backgroundBmp_.Height() > 0;
    frame_.winSel = m.options_[tmoWindowsSelColors];
    frame_.showSel = m.selLength_ != 0 && (!m.hideSelection_ || (m.HandleAllocated() && m.Focused()));
    frame_.selFrom = m.SelFrom();
    frame_.selTo = m.SelTo();
    frame_.blockParA = m.columnBlock_ ? m.ParagraphOfOffset(frame_.selFrom) : 0;
    frame_.blockParB = m.columnBlock_ ? m.ParagraphOfOffset(frame_.selTo) : -1;
    // Special underline: a zigzag of `zigStep` pixels.
    frame_.zigStep = m.specUnderline_.Width() * 3 / 2 + 1;
    frame_.underTop = std::min(m.underlineOffset_, lh - frame_.zigStep - 1);
}

void TMemoRenderer::PaintLine(ui::TCanvas& target, int L, int top)
{
    line_ = TLine{};
    line_.number = L;
    line_.paragraph = memo_.ParagraphOfLine(L);
    line_.rec = &memo_.paragraphs_[line_.paragraph];
    TLinesList lines(*line_.rec);
    line_.index = std::clamp(L - line_.rec->FirstLine, 0, lines.Count() - 1);
    line_.ln = lines[line_.index];
    line_.lastOfPar = line_.index == lines.Count() - 1;
    line_.text = line_.rec->Text;

    LineBackground();
    FindSelectionSpan();
    ui::TCanvas& bc = *frame_.bitmap;
    if (line_.span && frame_.winSel) {
        bc.Brush()->SetStyle(ui::bsSolid);
        bc.Brush()->SetColor(memo_.selBackColor_);
        bc.FillRect({line_.spanL, 0, line_.spanR, frame_.lh});
    }
    TextRuns();
    SelectionAfterText();
    // One copy per display line.
    const int y = memo_.LineTop(L - top);
    target.CopyRect({0, y, frame_.cw, y + frame_.lh}, bc, {0, 0, frame_.cw, frame_.lh}, ui::cmSrcCopy);
}

void TMemoRenderer::LineBackground()
{
    ui::TCanvas& bc = *frame_.bitmap;
    const TParagraphRec& rec = *line_.rec;
    const int cw = frame_.cw, lh = frame_.lh;
    if (rec.BackColor != -1 || !frame_.usePicture) {
        bc.Brush()->SetStyle(ui::bsSolid);
        bc.Brush()->SetColor(rec.BackColor != -1 ? rec.BackColor : memo_.Color());
        bc.FillRect({0, 0, cw, lh});
        return;
    }
    const ui::TPicture& picture = memo_.backgroundBmp_;
    const int ph = picture.Height(), pw = picture.Width();
    const int sy = static_cast<int>((static_cast<long long>(lh) * line_.number) % ph);
    for (long long y = -sy; y < lh; y += ph)
        for (long long x = -(memo_.HorizontalOffset() % pw); x < cw; x += pw) bc.Draw(static_cast<int>(x), static_cast<int>(y), picture);
}

// The selection span on this line.
void TMemoRenderer::FindSelectionSpan()
{
    const TParagraphRec& rec = *line_.rec;
    const int lineAbsStart = rec.Start + line_.ln.Start;
    const int lineAbsEnd = rec.Start + (line_.lastOfPar ? rec.Length() : line_.ln.Stop);
    const int selFrom = frame_.selFrom, selTo = frame_.selTo;
    long long xs = 0, xe = 0;
    if (!frame_.showSel) {
        // nothing selected on any line
    } else if (memo_.columnBlock_) {
        ColumnBlockSpan(xs, xe);
    } else if ((selFrom < lineAbsEnd || (selFrom <= lineAbsEnd && selTo > lineAbsEnd && line_.lastOfPar)) && selTo > lineAbsStart) {
        const int a = std::max(selFrom, lineAbsStart), b = std::min(selTo, lineAbsEnd);
        line_.selA = a - rec.Start;
        line_.selB = b - rec.Start;
        xs = memo_.CharPosToX(a - lineAbsStart, line_.number);
        xe = memo_.CharPosToX(b - lineAbsStart, line_.number);
        if (selTo > lineAbsEnd && memo_.options_[tmoFullLineSelect]) xe = frame_.cw;
        line_.span = true;
    }
    line_.spanL = Clamp32(std::clamp<long long>(xs, -1, frame_.cw + 1));
    line_.spanR = Clamp32(std::clamp<long long>(xe, -1, frame_.cw + 1));
}

void TMemoRenderer::ColumnBlockSpan(long long& xs, long long& xe)
{
    if (line_.paragraph < frame_.blockParA || line_.paragraph > frame_.blockParB) return;
    const TTextMemo& m = memo_;
    const long long c1 = std::min(m.blockCol1_, m.blockCol2_), c2 = std::max(m.blockCol1_, m.blockCol2_);
    xs = m.leftMargin_ + c1 * m.blankWidth_ - m.HorizontalOffset();
    xe = m.leftMargin_ + c2 * m.blankWidth_ - m.HorizontalOffset();
    line_.span = xe > xs;
}

void TMemoRenderer::TextRuns()
{
    StartPen();
    // Every run stands on the line's baseline, so a fixed LineHeight centres the text and
    // runs of other fonts share one baseline.
    frame_.bitmap->SetTextAlign(ui::TA_LEFT | ui::TA_BASELINE);
    int i = line_.ln.Start;
    while (i < pen_.drawEnd && pen_.x < frame_.cw) i = DrawItem(i);
}

void TMemoRenderer::StartPen()
{
    TTextMemo& m = memo_;
    const TLineRec& ln = line_.ln;
    pen_ = TPen{};
    pen_.drawEnd = line_.lastOfPar ? line_.rec->Length() : ln.Stop;
    if (!line_.lastOfPar)
        while (pen_.drawEnd > ln.Start && line_.text[static_cast<std::size_t>(pen_.drawEnd - 1)] == ' ') --pen_.drawEnd;
    pen_.xStart = static_cast<long long>(m.LineStartX(*line_.rec, line_.index)) - m.HorizontalOffset();
    pen_.justified = m.LineJustified(*line_.rec, line_.index);
    if (pen_.justified && ln.Blanks > 0) {
        const long long spare = static_cast<long long>(m.clientWidth_) - m.leftMargin_ - m.rightMargin_ - ln.Width;
        if (spare > 0) {
            pen_.justEach = spare / ln.Blanks;
            pen_.justRest = spare % ln.Blanks;
        }
    }
    pen_.x = pen_.xStart;
    pen_.style = m.staticFormat_ ? ln.Style : 0;
}

// Draws the run that starts at `i` (a style code only switches the style); returns where the
// next one starts.
int TMemoRenderer::DrawItem(int i)
{
    const auto c = static_cast<unsigned char>(line_.text[static_cast<std::size_t>(i)]);
    if (memo_.staticFormat_ && IsStyleCode(c)) {
        pen_.style ^= StyleBitOfCode(c);
        return i + 1;
    }
    const TRunColours colours = RunColours(i);
    const long long runStartX = pen_.x;
    int k = i + 1;
    if (c == kTab || c == ' ')
        DrawBlank(i, colours);
    else
        k = DrawWord(i, colours);
    if ((colours.style & fsSpecUnderline) && pen_.x > runStartX && pen_.x > 0) SpecialUnderline(runStartX, pen_.x);
    return k;
}

TMemoRenderer::TRunColours TMemoRenderer::RunColours(int i) const
{
    const TTextMemo& m = memo_;
    const TParagraphRec& rec = *line_.rec;
    TRunColours out;
    out.style = pen_.style;
    const TStyleRec& sr = rec.StyleAt(i + 1);  // the record in force for the character at i
    if (sr.Flags & srContext) out.style = sr.Style;
    out.fg = m.Font()->Color();
    out.bg = rtl::clNone;
    if (rec.TextColor != -1) out.fg = rec.TextColor;
    if (out.style & fsHighlight) {
        out.fg = m.highlightColor_;
        out.bg = m.highlightBackgnd_;
    }
    // A keyword match or a start/stop span (or a context run) brings its own two colours,
    // each unless the paragraph has its own.
    if ((sr.Flags & (srContext | srKeyword)) || sr.Level >= 0) {
        if (sr.TextColor != -1 && rec.TextColor == -1) out.fg = sr.TextColor;
        if (sr.BackColor != -1 && rec.BackColor == -1) out.bg = sr.BackColor;
    }
    const bool inSel = line_.span && !m.columnBlock_ && i >= line_.selA && i < line_.selB;
    if (inSel && frame_.winSel) {
        out.fg = m.selTextColor_;
        out.bg = rtl::clNone;
    }
    return out;
}

void TMemoRenderer::DrawBlank(int i, const TRunColours& colours)
{
    TTextMemo& m = memo_;
    const long long x = pen_.x;
    long long nx;
    if (line_.text[static_cast<std::size_t>(i)] == kTab) {
        const long long tab = static_cast<long long>(m.tabStops_) * m.blankWidth_;
        nx = tab >= 1 ? pen_.xStart + ((x - pen_.xStart) / tab + 1) * tab : x;
    } else {
        nx = x + m.MetricsOf(pen_.style).blank;
        if (pen_.justified && i >= line_.ln.JustifyStart && pen_.justEach + pen_.justRest > 0) {
            nx += pen_.justEach + (pen_.blanksSeen < pen_.justRest ? 1 : 0);
            ++pen_.blanksSeen;
        }
    }
    if (colours.bg != rtl::clNone && nx > kLeftmostDrawn) {
        ui::TCanvas& bc = *frame_.bitmap;
        bc.Brush()->SetStyle(ui::bsSolid);
        bc.Brush()->SetColor(colours.bg);
        bc.FillRect({Clamp32(x), 0, Clamp32(std::min<long long>(nx, frame_.cw)), frame_.lh});
    }
    pen_.x = nx;
}

// A word run ends at a code, a tab, a blank, a style record or a selection boundary.
int TMemoRenderer::WordRunEnd(int i) const
{
    const TParagraphRec& rec = *line_.rec;
    int nextRecord = INT_MAX;
    for (const TStyleRec& r : rec.Styles)
        if (r.Offset > i) {
            nextRecord = r.Offset;
            break;
        }
    const bool selEnds = line_.span && !memo_.columnBlock_;
    int k = i;
    while (k < pen_.drawEnd) {
        const auto d = static_cast<unsigned char>(line_.text[static_cast<std::size_t>(k)]);
        if (d == kTab || d == ' ' || (memo_.staticFormat_ && IsStyleCode(d)) || k >= nextRecord) break;
        if (selEnds && k > i && (k == line_.selA || k == line_.selB)) break;
        ++k;
    }
    return k;
}

int TMemoRenderer::DrawWord(int i, const TRunColours& colours)
{
    TTextMemo& m = memo_;
    ui::TCanvas& bc = *frame_.bitmap;
    const int k = WordRunEnd(i);
    if (colours.style != pen_.currentFont) {
        SelectRunFont(bc, colours.style);
        pen_.currentFont = colours.style;
    }
    bc.Font()->SetColor(colours.fg);
    bc.Brush()->SetStyle(colours.bg == rtl::clNone ? ui::bsClear : ui::bsSolid);
    if (colours.bg != rtl::clNone) bc.Brush()->SetColor(colours.bg);
    // In pieces a text call can take, never split inside a character.
    std::string_view run = line_.text.substr(static_cast<std::size_t>(i), static_cast<std::size_t>(k - i));
    while (!run.empty() && pen_.x < frame_.cw) {
        std::size_t take = std::min(run.size(), static_cast<std::size_t>(std::max(1, m.maxCharsPerCall_)));
        if (take < run.size()) {
            const std::size_t t = rtl::Utf8CharStartAt(run, take);
            if (t > 0) take = t;
        }
        const std::string_view piece = run.substr(0, take);
        const long long w = static_cast<long long>(m.MeasureRun(piece, pen_.style)) - m.MetricsOf(pen_.style).overhang;
        if (pen_.x + w > kLeftmostDrawn) bc.TextOut(static_cast<int>(std::max<long long>(pen_.x, kLeftmostDrawn * 2)), m.baselineOffset_, piece);
        pen_.x += w;
        run.remove_prefix(take);
    }
    return k;
}

void TMemoRenderer::SpecialUnderline(long long from, long long to)
{
    ui::TCanvas& bc = *frame_.bitmap;
    const int step = frame_.zigStep, underTop = frame_.underTop;
    bc.Pen()->Assign(memo_.specUnderline_);
    std::vector<ui::TPoint> zig;
    bool up = true;
    for (long long zx = std::max<long long>(from, -step); zx <= std::min<long long>(to, 32767); zx += step) {
        zig.push_back({Clamp32(zx), up ? underTop : underTop + step});
        up = !up;
    }
    if (zig.size() > 1) bc.Polyline(zig);
}

// Without the system's selection colours the selection is inverted after the text; the
// end-of-paragraph box shows that a selected paragraph's break is selected too.
void TMemoRenderer::SelectionAfterText()
{
    if (!line_.span) return;
    const TTextMemo& m = memo_;
    ui::TCanvas& bc = *frame_.bitmap;
    const int lh = frame_.lh;
    if (!frame_.winSel) bc.InvertRect({line_.spanL, 0, line_.spanR, lh});
    const int parEnd = line_.rec->Start + line_.rec->Length();
    if (!m.showEndParSelected_ || m.options_[tmoFullLineSelect] || m.columnBlock_ || !line_.lastOfPar || frame_.selFrom > parEnd ||
        frame_.selTo < parEnd + 2)
        return;
    const ui::TRect box{line_.spanR, lh / 3, Clamp32(static_cast<long long>(line_.spanR) + m.blankWidth_ / 2 + 1), 2 * (lh / 3)};
    if (frame_.winSel) {
        bc.Brush()->SetStyle(ui::bsSolid);
        bc.Brush()->SetColor(m.selBackColor_);
        bc.FillRect(box);
    } else {
        bc.InvertRect(box);
    }
}

// Below the text: the background, the end-of-text mark along the bottom of the last display
// line, and the right line.
void TMemoRenderer::PaintFooter(ui::TCanvas& target, const ui::TRect& rect, int first, int painted, int top)
{
    TTextMemo& m = memo_;
    const int lh = frame_.lh;
    const int below = painted >= first ? m.LineTop(painted + 1 - top) : m.LineTop(first - top);
    if (below < rect.Bottom) PaintBackground(target, {rect.Left, std::max(below, rect.Top), rect.Right, rect.Bottom}, frame_.usePicture);

    const ui::TPen& mark = m.endOfTextMark_;
    if (mark.Color() != -1 && mark.Color() != rtl::clNone && painted >= m.lineCount_ - 1) {
        const long long y = static_cast<long long>(m.lineCount_) * lh - m.TopPixel() + mark.Width() / 2;
        if (y >= rect.Top - lh && y <= rect.Bottom + lh) {
            target.Pen()->Assign(mark);
            target.MoveTo(rect.Left, static_cast<int>(y));
            target.LineTo(rect.Right, static_cast<int>(y));
        }
    }
    if (m.rightLinePos_ == 0) return;
    const long long x = static_cast<long long>(m.leftMargin_) - m.HorizontalOffset() +
                        (m.rightLinePos_ > 0 ? static_cast<long long>(m.rightLinePos_) * m.blankWidth_ : -static_cast<long long>(m.rightLinePos_));
    if (x >= rect.Left - m.rightLinePen_.Width() && x < rect.Right + m.rightLinePen_.Width()) {
        target.Pen()->Assign(m.rightLinePen_);
        target.MoveTo(static_cast<int>(x), rect.Top);
        target.LineTo(static_cast<int>(x), rect.Bottom);
    }
}

}  // namespace editor
