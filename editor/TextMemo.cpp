#include "editor/TextMemo.h"

#include "editor/RangeReplacer.h"
#include "editor/TextHighlighter.h"
#include "editor/TextMemoStrings.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <chrono>
#include <istream>
#include <ostream>

namespace editor {

int ProgressInterval = 300;

TTextMemoOptions DefaultTextMemoOptions()
{
    TTextMemoOptions o;
    o.set(tmoWrapCaret);
    o.set(tmoInsertKeyActive);
    o.set(tmoWideOverwriteCaret);
    o.set(tmoAutoScrollBars);
    return o;
}

namespace {
std::int64_t SteadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

// ---- The store ---------------------------------------------------------------------------

void TTextMemo::InitStore()
{
    paragraphs_.Clear();
    TParagraphRec first;
    first.StartState = std::make_shared<TStyleRec>();
    first.KeysParsed = true;
    first.KeywordsParsed = true;
    paragraphs_.Add(std::move(first));
    textLength_ = 0;
    lineCount_ = 1;
    bgNext_ = 1;
    bgLast_ = -1;
    chgFirstLine_ = 1;
    chgFirstPara_ = 1;
    chgLastPara_ = -1;
    keysParsedUpTo_ = -1;
}

void TTextMemo::ClearStore()
{
    paragraphs_.Clear();
    textLength_ = 0;
    lineCount_ = 0;
    selStart_ = 0;
    selLength_ = 0;
    for (TTextNavigator* n : navigators_) n->Reset();
    chgLastPara_ = -1;
    bgLast_ = -1;
    keysParsedUpTo_ = -1;
    widest_ = 0;
    widestPara_ = -1;
    foldParagraph_ = -1;
    columnBlock_ = false;
    virtualBlanks_ = 0;
    ClearUndo();
}

// ---- Look-ups -----------------------------------------------------------------------------

int TTextMemo::FindParagraph(int offset, int guess) const
{
    const int count = paragraphs_.Count();
    int p = std::clamp(guess, 0, count - 1);
    while (p + 1 < count && offset > paragraphs_[p].Start + paragraphs_[p].Length() + 1) ++p;
    while (p > 0 && offset < paragraphs_[p].Start) --p;
    return p;
}

int TTextMemo::ParagraphOfOffset(int offset) const
{
    const int count = paragraphs_.Count();
    offset = std::clamp(offset, 0, textLength_);
    const int guess =
        textLength_ > 0 ? static_cast<int>(static_cast<std::int64_t>(count - 1) * offset / textLength_) : 0;
    return FindParagraph(offset, guess);
}

int TTextMemo::ParagraphOfLine(int line) const
{
    const int count = paragraphs_.Count();
    line = std::clamp(line, 0, std::max(0, lineCount_ - 1));
    int p = lineCount_ > 0 ? static_cast<int>(static_cast<std::int64_t>(line) * count / lineCount_) : 0;
    p = std::clamp(p, 0, count - 1);
    while (p > 0 && line < paragraphs_[p].FirstLine) --p;
    while (p + 1 < count && line >= paragraphs_[p].FirstLine + paragraphs_[p].LineCount()) ++p;
    return p;
}

// A valid caret position: inside the text, never between a CR and its LF, never inside a
// UTF-8 sequence.
int TTextMemo::SnapOffset(int offset) const
{
    offset = std::clamp(offset, 0, textLength_);
    const int p = ParagraphOfOffset(offset);
    const TParagraphRec& rec = paragraphs_[p];
    int in = offset - rec.Start;
    if (in > rec.Length()) in = rec.Length();
    if (in < rec.Length()) in = static_cast<int>(rtl::Utf8CharStartAt(rec.Text, static_cast<std::size_t>(in)));
    return rec.Start + in;
}

std::string TTextMemo::Text() const { return GetTextPart(0, textLength_); }

std::string TTextMemo::GetTextPart(int start, int stop) const
{
    start = std::clamp(start, 0, textLength_);
    stop = std::clamp(stop, 0, textLength_);
    std::string out;
    if (start >= stop) return out;
    out.reserve(static_cast<std::size_t>(stop - start));
    int p = ParagraphOfOffset(start);
    int pos = start;
    while (pos < stop && p < paragraphs_.Count()) {
        const TParagraphRec& rec = paragraphs_[p];
        const int in = pos - rec.Start;
        const int end = std::min(stop - rec.Start, rec.Length() + 2);
        for (int i = in; i < end; ++i) {
            if (i < rec.Length())
                out.push_back(rec.Text[static_cast<std::size_t>(i)]);
            else
                out.push_back(i == rec.Length() ? '\r' : '\n');
        }
        pos = rec.Start + end;
        ++p;
    }
    return out;
}

// ---- Loading and saving -------------------------------------------------------------------

void TTextMemo::LoadWith(const std::function<bool(std::string&)>& nextBlock)
{
    ClearStore();
    const TStyleState initial = std::make_shared<TStyleRec>();
    std::int64_t running = 0;
    TTextReadOptions opts;
    opts.NullReplacement = nullReplacement_;
    opts.DiscardTrailingSpaces = options_[tmoDiscardTrailingSpaces];
    opts.MaxParagraphLength = kMaxTextLength;
    TTextReader reader(opts, [&](std::string&& text) {
        const auto len = static_cast<std::int64_t>(text.size());
        if (running + len > kMaxTextLength) TextTooLongError();
        TParagraphRec rec;
        rec.Text = std::move(text);
        rec.Start = static_cast<int>(running);
        rec.FirstLine = paragraphs_.Count();
        rec.Line0.Stop = static_cast<int>(len);
        rec.StartState = initial;
        paragraphs_.Add(std::move(rec));
        running += len + 2;
    });
    {
        // A load that fails leaves an empty text, never a partial one.
        rtl::TScopeExit empty([this] {
            InitStore();
            ReformatAll();
        });
        std::string block;
        while (nextBlock(block)) {
            reader.Feed(block);
            FireProgress(0, false);
        }
        reader.Finish();
        empty.Release();
    }
    textLength_ = static_cast<int>(running - 2);
    lineCount_ = paragraphs_.Count();
    modified_ = true;
    if (options_[tmoAutoLineBreak] && reader.AnyBreak()) lineBreak_ = reader.LastBreak();
    selStart_ = 0;
    selLength_ = 0;
    scroller_->ResetView(false);
    FireProgress(100, true);
    ReformatAll();
    DebugCheckStore();
    OnParse(this, 0, textLength_);
    Change();
}

void TTextMemo::LoadFromStream(std::istream& in)
{
    LoadWith([&](std::string& block) {
        block.resize(kReadBlockSize);
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        block.resize(static_cast<std::size_t>(in.gcount()));
        if (in.bad()) throw rtl::EStreamError("Stream read error");
        return !block.empty();
    });
}

void TTextMemo::LoadFromText(std::string_view text)
{
    LoadWith([&](std::string& block) {
        const std::size_t take = std::min(kReadBlockSize, text.size());
        block.assign(text.substr(0, take));
        text.remove_prefix(take);
        return take > 0;
    });
}

void TTextMemo::SaveToStream(std::ostream& out)
{
    const std::string_view brk = LineBreakText(lineBreak_);
    const bool discard = options_[tmoDiscardTrailingSpaces];
    const int count = paragraphs_.Count();
    std::string buffer;
    for (int p = 0; p < count; ++p) {
        buffer += ParagraphForSave(paragraphs_[p].Text, staticFormat_, discard);
        if (p + 1 < count) buffer += brk;
        if (buffer.size() >= kReadBlockSize || p + 1 == count) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
            FireProgress(static_cast<int>(static_cast<std::int64_t>(p) * 100 / count), false);
        }
    }
    if (!out) throw rtl::EStreamError("Stream write error");
    FireProgress(100, true);
}

std::string TTextMemo::SaveToText()
{
    const std::string_view brk = LineBreakText(lineBreak_);
    const bool discard = options_[tmoDiscardTrailingSpaces];
    std::string out;
    out.reserve(static_cast<std::size_t>(textLength_));
    const int count = paragraphs_.Count();
    for (int p = 0; p < count; ++p) {
        out += ParagraphForSave(paragraphs_[p].Text, staticFormat_, discard);
        if (p + 1 < count) out += brk;
    }
    FireProgress(100, true);
    return out;
}

void TTextMemo::SetTextBuf(std::string_view text)
{
    if (textLength_ == 0 && text.empty()) return;
    // Every byte takes at least one place in the store: a text this long cannot fit, and the
    // text there stays.
    if (text.size() > static_cast<std::size_t>(kMaxTextLength) && !options_[tmoDiscardTrailingSpaces]) TextTooLongError();
    modified_ = true;
    LoadFromText(text);
}

void TTextMemo::Clear() { SetTextBuf(std::string_view()); }

// Saves the text and reads it back, so that the reading rules apply to it again.
void TTextMemo::ReloadText()
{
    const bool modified = modified_;
    const TTextLineBreak lineBreak = lineBreak_;
    lineBreak_ = pbCRLF;
    const bool sf = staticFormat_;
    staticFormat_ = false;  // keep every byte as it stands
    std::string text = SaveToText();
    staticFormat_ = sf;
    lineBreak_ = lineBreak;
    LoadFromText(text);
    modified_ = modified;
}

void TTextMemo::FireProgress(int percent, bool always)
{
    progress_ = percent;
    if (!OnProgress) return;
    const std::int64_t now = Now();
    if (always || now - lastProgress_ > ProgressInterval) {
        lastProgress_ = now;
        OnProgress(this);
    }
}

std::int64_t TTextMemo::Now() const { return ticks_(); }

void TTextMemo::SetTickSource(std::function<std::int64_t()> ticks)
{
    ticks_ = ticks ? std::move(ticks) : std::function<std::int64_t()>(SteadyMilliseconds);
}

// ---- Selection and replacement ------------------------------------------------------------

int TTextMemo::ReplaceRange(int start, int stop, std::string_view text, bool verbatim)
{
    return TRangeReplacer(*this, start, stop).Replace(text, verbatim);
}

void TTextMemo::AdjustAfterReplace(int pa, int removedParas, int insertedParas, int start, int stop, int delta)
{
    const int pb = pa + removedParas;
    const int shift = insertedParas - removedParas;
    foldParagraph_ = -1;
    auto map = [&](int x, bool last) {
        if (x <= pa) return x;
        if (x <= pb) return last ? pa + insertedParas : pa;
        return x + shift;
    };
    if (chgLastPara_ >= 0) {
        chgFirstPara_ = map(chgFirstPara_, false);
        chgLastPara_ = map(chgLastPara_, true);
    }
    if (bgLast_ >= 0) {
        bgNext_ = map(bgNext_, false);
        bgLast_ = map(bgLast_, true);
    } else {
        bgNext_ = paragraphs_.Count();
    }
    if (widestPara_ >= pa && widestPara_ <= pb)
        widestPara_ = -1;
    else if (widestPara_ > pb)
        widestPara_ += shift;
    for (TTextNavigator* n : navigators_) {
        if (n->offset_ > start) n->offset_ = n->offset_ >= stop ? n->offset_ + delta : start;
        n->offset_ = std::clamp(n->offset_, 0, textLength_);
        n->DropCaches();
    }
}

// ---- Column conversion --------------------------------------------------------------------

int TTextMemo::ColumnToOffset(int paragraph, int column, int* beyond) const
{
    const TParagraphRec& rec = paragraphs_[paragraph];
    const std::string& t = rec.Text;
    int col = 0;
    std::size_t i = 0;
    while (i < t.size()) {
        const auto c = static_cast<unsigned char>(t[i]);
        if (staticFormat_ && IsStyleCode(c)) {
            ++i;
            continue;
        }
        const int next = (c == kTab && tabStops_ >= 1) ? (col / tabStops_ + 1) * tabStops_ : col + 1;
        if (next > column) break;
        col = next;
        i = rtl::Utf8NextCharStart(t, i);
    }
    if (beyond) *beyond = i >= t.size() ? std::max(0, column - col) : 0;
    return static_cast<int>(i);
}

int TTextMemo::OffsetToColumn(int paragraph, int offsetInParagraph) const
{
    const TParagraphRec& rec = paragraphs_[paragraph];
    const std::string& t = rec.Text;
    const std::size_t stop = std::min(static_cast<std::size_t>(std::max(offsetInParagraph, 0)), t.size());
    int col = 0;
    std::size_t i = 0;
    while (i < stop) {
        const auto c = static_cast<unsigned char>(t[i]);
        if (!(staticFormat_ && IsStyleCode(c))) col = (c == kTab && tabStops_ >= 1) ? (col / tabStops_ + 1) * tabStops_ : col + 1;
        i = rtl::Utf8NextCharStart(t, i);
    }
    return col;
}

// ---- Properties ---------------------------------------------------------------------------

void TTextMemo::SetOptions(const TTextMemoOptions& options)
{
    const bool discardOn = options[tmoDiscardTrailingSpaces] && !options_[tmoDiscardTrailingSpaces];
    const bool changed = options != options_;
    const bool selectionLook = options[tmoWindowsSelColors] != options_[tmoWindowsSelColors] ||
                               options[tmoFullLineSelect] != options_[tmoFullLineSelect];
    options_ = options;
    if (selectionLook) InvalidateSelection();
    if (discardOn) ReloadText();
    if (changed && ComponentState().Contains(classes::csDesigning)) ResetParsing();
}

void TTextMemo::SetStaticFormat(bool on)
{
    if (on == staticFormat_) return;
    staticFormat_ = on;
    ReloadText();
}


void TTextMemo::SetWordWrap(bool on)
{
    if (on == wordWrap_) return;
    wordWrap_ = on;
    RefreshDisplay();
    ScrollTo(TopPixel(), 0);
    UpdateHorzScrollBar();
    ScrollCaretIntoView();
}

void TTextMemo::SetColumnWrap(int columns)
{
    if (columns == columnWrap_) return;
    columnWrap_ = columns;
    RefreshDisplay();
}

void TTextMemo::SetAlignment(ui::TAlignment alignment)
{
    if (alignment == alignment_) return;
    // Unwrapped lines are as wide as the window only for right and centre alignment, so
    // every change involves one of them and the lines are measured anew.
    const bool reformat = !wordWrap_;
    alignment_ = alignment;
    ScrollTo(TopPixel(), 0);
    if (reformat) {
        RefreshDisplay();
    } else {
        if (HandleAllocated()) Invalidate();
        UpdateCaret();
    }
}

void TTextMemo::SetJustified(bool on)
{
    if (on == justified_) return;
    justified_ = on;
    ScrollTo(TopPixel(), 0);
    if (HandleAllocated()) Invalidate();
    UpdateCaret();
}

void TTextMemo::SetLeftMargin(int pixels)
{
    if (pixels == leftMargin_) return;
    leftMargin_ = pixels;
    RefreshDisplay();
}

void TTextMemo::SetRightMargin(int pixels)
{
    if (pixels == rightMargin_) return;
    rightMargin_ = pixels;
    RefreshDisplay();
}

void TTextMemo::SetTabStops(int characters)
{
    if (characters == tabStops_) return;
    tabStops_ = characters;
    RefreshDisplay();
}

void TTextMemo::SetApplyKeyWords(bool on)
{
    applyKeyWords_ = on;
    ResetParsing();
}

void TTextMemo::SetApplyStartStopKeys(bool on)
{
    applyStartStopKeys_ = on;
    ResetParsing();
}

void TTextMemo::SetSeparators(std::string_view chars)
{
    separators_ = CharSetOf(chars);
    startStopKeys_.Prepare(separators_);
    ResetParsing();
}

void TTextMemo::SetUpperCaseType(TtmUpperCase type)
{
    upperCaseType_ = type;
    keywords_.SetCaseType(type);
    startStopKeys_.SetCaseType(type);
    if (ComponentState().Contains(classes::csDesigning)) ResetParsing();
}

void TTextMemo::SetHighlighter(TTextHighlighter* highlighter)
{
    if (highlighter == highlighter_) return;
    if (highlighter_) std::erase(highlighter_->editors_, this);
    highlighter_ = highlighter;
    if (highlighter_) highlighter_->editors_.push_back(this);
    const classes::TComponentState state = ComponentState();
    if (state.Contains(classes::csLoading) || state.Contains(classes::csDesigning)) ResetParsing();
}

GW_IMPLEMENT_CLASS(TTextHighlighter, classes::TComponent) {}

TTextHighlighter::~TTextHighlighter()
{
    const std::vector<TTextMemo*> editors = editors_;
    for (TTextMemo* m : editors) m->SetHighlighter(nullptr);
}

bool TTextHighlighter::MatchOutsideSpan(TTextMemo&, int, int, TStyleRec&, int&) { return false; }
bool TTextHighlighter::MatchStartKey(TTextMemo&, int, int, TStyleRec&, int&) { return false; }

void TTextMemo::ResetParsing()
{
    const int count = paragraphs_.Count();
    const TStyleState first = paragraphs_[0].StartState ? paragraphs_[0].StartState : std::make_shared<TStyleRec>();
    for (int p = 0; p < count; ++p) {
        TParagraphRec& rec = paragraphs_[p];
        rec.Formatted = false;
        rec.KeysParsed = false;
        rec.KeywordsParsed = false;
        rec.Styles.clear();
        rec.StartState = first;
    }
    for (TTextNavigator* n : navigators_) n->DropCaches();
    keysParsedUpTo_ = -1;
    startStopKeys_.Prepare(separators_);
    ReformatAll();
}

// ---- Hooks of the window side -------------------------------------------------------------


// ---- Consistency --------------------------------------------------------------------------

std::string TTextMemo::ConsistencyProblem() const
{
    const std::string& kVersion = EditorVersionText();
    int lines = 0;
    std::int64_t offset = 0;
    const int count = paragraphs_.Count();
    for (int p = 0; p < count; ++p) {
        const TParagraphRec& rec = paragraphs_[p];
        if (rec.FirstLine != lines) return "Error 1 " + kVersion;
        if (rec.Start != offset) return "Error 2 in " + kVersion;
        TLinesList list(const_cast<TParagraphRec&>(rec));
        int at = 0;
        for (int j = 0; j < list.Count(); ++j) {
            if (list[j].Start != at) return "Error 3 in " + kVersion;
            at = list[j].Stop;
        }
        if (at != rec.Length()) return "Error 4 in " + kVersion;
        // Breaks live between paragraphs, never inside one (a lone LF is an ordinary character).
        if (rec.Text.find('\r') != std::string::npos) return "Error 7 in " + kVersion;
        // Style records: a start state, then ascending offsets inside the paragraph.
        if (!rec.StartState) return "Error 8 in " + kVersion;
        int previous = 0;
        for (const TStyleRec& r : rec.Styles) {
            if (r.Offset < previous || r.Offset > rec.Length()) return "Error 8 in " + kVersion;
            previous = r.Offset;
        }
        lines += list.Count();
        offset += rec.Length() + 2;
    }
    if (static_cast<std::int64_t>(textLength_) + 2 != offset) return "Error 5 in " + kVersion;
    if (lineCount_ != lines) return "Error 6 in " + kVersion;
    // The caret and the other end of the selection stand inside the text, at the start of a
    // character and never between a CR and its LF.
    for (const std::int64_t at : {std::int64_t{selStart_}, std::int64_t{selStart_} + selLength_}) {
        if (at < 0 || at > textLength_) return "Error 9 in " + kVersion;
        const TParagraphRec& rec = paragraphs_[ParagraphOfOffset(static_cast<int>(at))];
        const auto inPar = static_cast<std::size_t>(at - rec.Start);
        if (inPar > rec.Text.size() || rtl::Utf8CharStartAt(rec.Text, inPar) != inPar) return "Error 9 in " + kVersion;
    }
    return {};
}

void TTextMemo::CheckConsistency() const
{
    if (std::string problem = ConsistencyProblem(); !problem.empty()) throw rtl::Exception(problem);
}

void TTextMemo::DebugCheckStore() const
{
#ifndef NDEBUG
    if (const std::string problem = ConsistencyProblem(); !problem.empty()) {
        std::fprintf(stderr, "TTextMemo: the text store is inconsistent: %s\n", problem.c_str());
        assert(!"the text store is inconsistent");
    }
#endif
}

}  // namespace editor
