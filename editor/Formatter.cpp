// The formatting engine: wrapping paragraphs into display lines, the global line numbering,
// and deciding when the work is done (at once, on demand, or in background slices).

#include "editor/ParagraphWrapper.h"
#include "editor/TextHighlighter.h"
#include "editor/TextMemo.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Screen.h"

#include <algorithm>
#include <climits>

namespace editor {

namespace {
// Paragraphs formatted beyond the one asked for, so that reading display lines one after the
// other does not renumber the rest of the text for every paragraph.
constexpr int kFormatLookAhead = 255;

int ClampInt(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

// Widens the paragraph range first..last (empty while last < 0) to cover from..to.
void WidenRange(int& first, int& last, int from, int to)
{
    if (last < 0) {
        first = from;
        last = to;
    } else {
        first = std::min(first, from);
        last = std::max(last, to);
    }
}
}  // namespace

// ---- Measuring ----------------------------------------------------------------------------

ui::IFontMeasure& TTextMemo::StyleFont(std::uint8_t style)
{
    return MeasuringCanvas()->FontOfStyle(static_cast<std::uint8_t>(style & ~fsHighlight));
}

const TTextMemo::StyleMetrics& TTextMemo::MetricsOf(std::uint8_t style)
{
    style = static_cast<std::uint8_t>(style & ~fsHighlight);
    StyleMetrics& m = styleMetrics_[style];
    if (!m.valid) {
        ui::IFontMeasure& f = StyleFont(style);
        const int w2 = f.TextWidth("  ");
        const int w1 = f.TextWidth(" ");
        if (w1 <= 0) {
            m.blank = 1;
            m.overhang = 0;
        } else {
            m.overhang = 2 * w1 - w2;
            m.blank = w1 - m.overhang;
        }
        m.valid = true;
    }
    return m;
}

// Measures a run piece by piece: no piece is longer than one text call may be, and no piece
// ends inside a UTF-8 sequence.
int TTextMemo::MeasureRun(std::string_view run, std::uint8_t style)
{
    ui::IFontMeasure& f = StyleFont(style);
    long long w = 0;
    while (!run.empty()) {
        std::size_t take = std::min(run.size(), static_cast<std::size_t>(maxCharsPerCall_));
        if (take < run.size()) {
            const std::size_t t = rtl::Utf8CharStartAt(run, take);
            if (t > 0) take = t;
        }
        w += f.TextWidth(run.substr(0, take));
        run.remove_prefix(take);
    }
    return ClampInt(w);
}

void TTextMemo::UpdateMetrics()
{
    for (StyleMetrics& m : styleMetrics_) m.valid = false;
    IStyleMeasure* canvas = MeasuringCanvas();
    if (!canvas) {
        // Without a window the font is not measured; an automatic height follows its size.
        lineHeight_ = fixedLineHeight_ >= 1 ? fixedLineHeight_ : ui::FontPixelHeight(Font()->Size()) + 1;
        return;
    }
    ui::IFontMeasure& font = canvas->FontOfStyle(0);
    const ui::TFontMetrics m = font.Metrics();
    lineHeight_ = fixedLineHeight_ >= 1 ? fixedLineHeight_ : std::max(1, m.Height + 1);
    avgCharWidth_ = std::max(1, m.AveCharWidth);
    blankWidth_ = std::max(1, font.TextWidth(" "));
    maxCharsPerCall_ = m.MaxCharWidth > 0 ? std::max(1, 16384 / m.MaxCharWidth) : 4096;
    baselineOffset_ = BaselineOffsetFor(lineHeight_, m);
    underlineOffset_ = baselineOffset_ + m.Descent;
}

// The text is centred in the line; a line too low for the ascent puts the baseline lower.
int BaselineOffsetFor(int lineHeight, const ui::TFontMetrics& m) noexcept
{
    const int least = m.Height - m.InternalLeading - m.Descent;
    int baseline = lineHeight - m.Descent - (lineHeight - m.Height + 1) / 2;
    if (baseline < least) baseline = lineHeight - m.InternalLeading;
    if (baseline < least) baseline = lineHeight;
    return baseline;
}

int TTextMemo::AvailableWidth() const
{
    if (!wordWrap_ && alignment_ == ui::taLeftJustify) return INT_MAX - rightMargin_;
    long long w;
    if (columnWrap_ < 1)
        w = static_cast<long long>(altCanvas_ ? altWidth_ : clientWidth_) - leftMargin_ - rightMargin_;
    else
        w = static_cast<long long>(columnWrap_) * avgCharWidth_;
    return static_cast<int>(std::clamp<long long>(w, 1, INT_MAX));
}

void TTextMemo::NoteLineWidth(int paragraph, int width)
{
    if (width > widest_) {
        widest_ = width;
        if (!wordWrap_ || columnWrap_ >= 1) widestPara_ = paragraph;
    }
}

void TTextMemo::FindWidest()
{
    widest_ = 0;
    widestPara_ = -1;
    const int count = paragraphs_.Count();
    for (int p = 0; p < count; ++p) {
        TLinesList lines(paragraphs_[p]);
        for (int j = 0; j < lines.Count(); ++j) {
            if (lines[j].FullWidth > widest_ || widestPara_ < 0) {
                widest_ = std::max(widest_, lines[j].FullWidth);
                widestPara_ = p;
            }
        }
    }
}

// ---- Wrapping -----------------------------------------------------------------------------

int TTextMemo::WrapParagraph(int paragraph, bool full, int fromLine)
{
    TParagraphRec& par = paragraphs_[paragraph];
    const bool spansActive = (applyStartStopKeys_ && startStopKeys_.Count() > 0) || highlighter_;
    if (!par.KeysParsed && !spansActive) par.KeysParsed = true;
    if (!par.KeywordsParsed) ParseKeywords(paragraph);
    par.Formatted = true;
    par.Styles.shrink_to_fit();
    const int oldCount = par.LineCount();

    if (!MeasuringCanvas()) {
        par.MoreLines.clear();
        par.Line0 = TLineRec{};
        par.Line0.Stop = par.Length();
        return 1 - oldCount;
    }

    const std::vector<TLineRec> lines = TParagraphWrapper(*this, paragraph, AvailableWidth()).Wrap(full, fromLine);
    int widestHere = 0;
    for (const TLineRec& l : lines) widestHere = std::max(widestHere, l.FullWidth);
    if (paragraph == widestPara_ && widestHere < widest_) widestPara_ = -1;

    par.Line0 = lines.front();
    par.MoreLines.assign(lines.begin() + 1, lines.end());
    return static_cast<int>(lines.size()) - oldCount;
}

// ---- Pending changes ----------------------------------------------------------------------

void TTextMemo::MarkChanged(int firstParagraph, int line, int lastParagraph)
{
    const int firstLine = paragraphs_[firstParagraph].FirstLine + line;
    chgFirstLine_ = chgLastPara_ < 0 ? firstLine : std::min(chgFirstLine_, firstLine);
    WidenRange(chgFirstPara_, chgLastPara_, firstParagraph, lastParagraph);
    keysParsedUpTo_ = std::min(keysParsedUpTo_, firstParagraph - 1);
}

void TTextMemo::ExtendBackgroundRange(int first, int last)
{
    WidenRange(bgNext_, bgLast_, first, last);
    bgLowest_ = std::min(bgLowest_, first);
}

void TTextMemo::EndUpdate()
{
    if (updateCount_ == 0) return;
    if (--updateCount_ > 0) return;
    const bool pending = chgLastPara_ >= 0;
    UpdateChanges();
    if (!pending) ContinueFormatting();
}

void TTextMemo::UpdateChanges()
{
    if (chgLastPara_ < 0 || updateCount_ > 0) return;
    const int count = paragraphs_.Count();
    const int first = std::clamp(chgFirstPara_, 0, count - 1);
    int last = std::clamp(chgLastPara_, first, count - 1);
    const bool window = WindowAttached() || altCanvas_;
    const int top = TopLine();
    const int topPara = ParagraphOfLine(top);
    const int vis = VisibleLines();

    ParseStartStopKeys(first);
    TParagraphRec& F = paragraphs_[first];
    WrapParagraph(first, false, chgFirstLine_ - F.FirstLine);
    // The spans of the paragraphs in view follow the change at once.
    for (int q = first + 1; q < count && !paragraphs_[q].KeysParsed && q <= topPara + vis; ++q) {
        ParseStartStopKeys(q);
        last = std::max(last, q);
    }
    const int oldEnd = last + 1 < count ? paragraphs_[last + 1].FirstLine : lineCount_;
    int running = F.FirstLine + F.LineCount();
    for (int p = first + 1; p <= last; ++p) {
        TParagraphRec& rec = paragraphs_[p];
        rec.FirstLine = running;
        if (!rec.Formatted) {
            const bool outOfView = window && updateMode_ != umImmediate && (running < top || running > top + vis);
            if (outOfView) {
                ExtendBackgroundRange(p, p);
            } else {
                ParseStartStopKeys(p);
                WrapParagraph(p, true);
            }
        }
        running += rec.LineCount();
    }
    const int shift = running - oldEnd;
    if (shift != 0) {
        for (int p = last + 1; p < count; ++p) paragraphs_[p].FirstLine += shift;
        lineCount_ += shift;
    }
    for (TTextNavigator* n : navigators_) n->DropLineCache();

    const int firstChanged = chgFirstLine_;
    chgFirstLine_ = lineCount_;
    chgFirstPara_ = count;
    chgLastPara_ = -1;
    if (window) {
        if ((!wordWrap_ || columnWrap_ >= 1) && widestPara_ < 0) FindWidest();
        UpdateVertScrollBar();
        UpdateHorzScrollBar();
        InvalidateLines(firstChanged, paragraphs_[last].FirstLine + paragraphs_[last].LineCount() - 1);
        ContinueFormatting();
        UpdateCaret();
    }
    DebugCheckStore();
    Change();
}

void TTextMemo::ContinueFormatting()
{
    if (updateCount_ > 0 || !(WindowAttached() || altCanvas_) || bgLast_ < 0) return;
    switch (updateMode_) {
    case umImmediate:
        while (bgLast_ >= 0 && updateCount_ == 0) BackgroundStep(false);
        break;
    case umBackground:
        if (!jobActive_) BackgroundStep(true);
        break;
    case umOnNeed: break;
    }
}

void TTextMemo::ReformatAll()
{
    widest_ = 0;
    widestPara_ = -1;
    const int count = paragraphs_.Count();
    for (int p = 0; p < count; ++p) paragraphs_[p].Formatted = false;
    bgNext_ = 0;
    bgLast_ = count - 1;
    for (StyleMetrics& m : styleMetrics_) m.valid = false;
    for (TTextNavigator* n : navigators_) n->DropLineCache();
    if (updateCount_ > 0 || ComponentState().Contains(classes::csLoading)) return;
    if (altCanvas_ || (WindowAttached() && ComponentState().Contains(classes::csDesigning))) {
        FormatRange(0, count - 1);
        return;
    }
    if (!WindowAttached()) return;
    switch (updateMode_) {
    case umImmediate: FormatRange(0, count - 1); break;
    case umBackground:
        jobActive_ = true;
        PostContinuation();
        break;
    case umOnNeed: break;
    }
}

void TTextMemo::SetUpdateMode(TUpdateMode mode)
{
    if (mode == updateMode_) return;
    updateMode_ = mode;
    if (!WindowAttached()) return;
    if (mode == umImmediate) {
        if (bgLast_ >= 0) FormatRange(bgNext_, bgLast_);
    } else if (mode == umBackground) {
        BackgroundStep(true);
    }
}

// Formats paragraphs first..last (extending `last` over unformatted paragraphs that follow
// when `extendRange`), renumbering the display lines; stops at `deadline` (when >= 0) after
// at least one paragraph. Returns the first paragraph not done.
int TTextMemo::RunFormatting(int first, int& last, bool force, bool extendRange, std::int64_t deadline)
{
    const int count = paragraphs_.Count();
    if (first >= count || first < 0) return first;
    const int top = TopLine();
    const int vis = VisibleLines();
    int running = paragraphs_[first].FirstLine;
    int delta = 0;
    int p = first;
    while (p < count && p <= last) {
        if (deadline >= 0 && p > first && Now() >= deadline) break;
        TParagraphRec& rec = paragraphs_[p];
        rec.FirstLine = running;
        if (OnProgress && Now() - lastProgress_ > ProgressInterval)
            FireProgress(static_cast<int>(std::min<std::int64_t>(99, static_cast<std::int64_t>(p) * 100 / count)), true);
        if (!rec.Formatted || force) {
            if (!rec.KeysParsed) ParseStartStopKeys(p);
            delta += WrapParagraph(p, true);
            if (running + rec.LineCount() > top && running <= top + vis)
                InvalidateLines(running, running + rec.LineCount() - 1);
        }
        running += rec.LineCount();
        ++p;
        if (extendRange && p > last && p < count && !paragraphs_[p].Formatted) ++last;
    }
    if (delta != 0) {
        for (int q = p; q < count; ++q) paragraphs_[q].FirstLine += delta;
        lineCount_ += delta;
    }
    for (TTextNavigator* n : navigators_) n->DropLineCache();
    return p;
}

void TTextMemo::AfterFormatting()
{
    if (!(WindowAttached() || altCanvas_)) return;
    if ((!wordWrap_ || columnWrap_ >= 1) && widestPara_ < 0) FindWidest();
    UpdateVertScrollBar();
    UpdateHorzScrollBar();
    UpdateCaret();
}

void TTextMemo::FormatRange(int first, int last, bool force)
{
    const int count = paragraphs_.Count();
    first = std::max(first, 0);
    last = std::min(last, count - 1);
    if (first > last) return;
    bgLowest_ = kNotComputed;
    const int next = RunFormatting(first, last, force, false, -1);
    if (bgLast_ >= 0) {
        if (bgNext_ >= first && bgNext_ < next) bgNext_ = next;
        bgNext_ = std::min(bgNext_, bgLowest_);
        while (bgNext_ <= bgLast_ && bgNext_ < count && paragraphs_[bgNext_].Formatted) ++bgNext_;
        if (bgNext_ > bgLast_ || bgNext_ >= count) {
            bgLast_ = -1;
            bgNext_ = count;
            jobActive_ = false;
            FireProgress(100, true);
        }
    }
    AfterFormatting();
}

void TTextMemo::FormatUpToLine(int line)
{
    for (;;) {
        const int count = paragraphs_.Count();
        const int p = ParagraphOfLine(line);
        int f = count;
        if (bgLast_ >= 0) f = std::min(f, bgNext_);
        if (chgLastPara_ >= 0) f = std::min(f, chgFirstPara_);
        while (f <= p && paragraphs_[f].Formatted) ++f;
        if (f > p) return;
        FormatRange(f, std::min(count - 1, p + kFormatLookAhead));
    }
}

void TTextMemo::BackgroundStep(bool continueByPosting)
{
    // Inside an update no slice runs; the job counts as stopped, so that the end of the update
    // starts it again (a continuation swallowed here would leave the rest unformatted).
    if (updateCount_ > 0) {
        jobActive_ = false;
        return;
    }
    jobActive_ = true;
    const int count = paragraphs_.Count();
    if (bgLast_ < 0 || bgNext_ > count - 1) {
        jobActive_ = false;
        bgLast_ = -1;
        bgNext_ = count;
        return;
    }
    const std::int64_t deadline = Now() + kFormatSliceMs;
    bgLowest_ = kNotComputed;
    const int next = RunFormatting(bgNext_, bgLast_, false, true, deadline);
    bgNext_ = std::min(next, bgLowest_);
    AfterFormatting();
    if (bgNext_ > bgLast_ || bgNext_ >= paragraphs_.Count()) {
        jobActive_ = false;
        bgLast_ = -1;
        bgNext_ = paragraphs_.Count();
        FireProgress(100, true);
    } else if (continueByPosting && updateMode_ == umBackground && WindowAttached() && queue_ && !queue_->Terminating()) {
        PostContinuation();
    }
}

void TTextMemo::PostContinuation()
{
    if (!queue_ || continuationPosted_) return;
    ui::TMessage m;
    m.Msg = kFormatContinueMessage;
    m.WParam = 1;
    queue_->Post(*this, m);
    continuationPosted_ = true;
}

// ---- The window ---------------------------------------------------------------------------

void TTextMemo::AttachWindow(IStyleMeasure& canvas, int clientWidth, int clientHeight, ui::IMessageQueue& queue)
{
    if (queue_ && queue_ != &queue) {
        queue_->Cancel(*this);
        continuationPosted_ = false;
    }
    canvas_ = &canvas;
    queue_ = &queue;
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    UpdateMetrics();
    ReformatAll();
}

void TTextMemo::DetachWindow()
{
    if (queue_) queue_->Cancel(*this);
    continuationPosted_ = false;
    jobActive_ = false;
    canvas_ = nullptr;
    queue_ = nullptr;
    UpdateMetrics();
}

void TTextMemo::SetClientSize(int clientWidth, int clientHeight)
{
    const bool widthChanged = clientWidth != clientWidth_;
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    if (widthChanged && (wordWrap_ || alignment_ != ui::taLeftJustify) && columnWrap_ < 1 && WindowAttached())
        ReformatAll();
}

void TTextMemo::SetAltCanvas(IStyleMeasure* canvas, int width)
{
    altCanvas_ = canvas;
    altWidth_ = width;
    UpdateMetrics();
    ReformatAll();
}

int TTextMemo::VisibleLines() const noexcept
{
    if (lineHeight_ < 1) return 1;
    return clientHeight_ / lineHeight_ + 1;
}

int TTextMemo::TopLine() { return scroller_->TopLine(); }

void TTextMemo::ScrollToLine(int line) { scroller_->ScrollToLine(line); }

}  // namespace editor
