#include "editor/RangeReplacer.h"

#include "editor/TextMemo.h"

#include <algorithm>

namespace editor {

TRangeReplacer::TRangeReplacer(TTextMemo& memo, int start, int stop)
    : memo_(memo), scratch_(SharedScratchList()), start_(std::min(start, stop)), stop_(std::max(start, stop))
{
    start_ = memo_.SnapOffset(start_);
    stop_ = memo_.SnapOffset(stop_);
}

int TRangeReplacer::Replace(std::string_view text, bool verbatim)
{
    TTextMemo& m = memo_;
    SplitIntoPieces(text);
    const bool tidy = m.staticFormat_ && !verbatim;
    pa_ = m.ParagraphOfOffset(start_);
    pb_ = m.ParagraphOfOffset(stop_);
    oa_ = start_ - m.paragraphs_[pa_].Start;
    ob_ = stop_ - m.paragraphs_[pb_].Start;
    k_ = scratch_.Count() - 1;
    if (tidy) {
        AddClosingCodes();
        TidyPieces();
    }
    insertEnd_ = (k_ == 0 ? oa_ : 0) + static_cast<int>(Piece(k_).size());
    JoinWithSurroundings();
    const int delta = CheckedDelta();
    const int changedLine = KeepFirstParagraph(delta);
    ReplaceParagraphs(delta);
    scratch_.Clear();
    m.AdjustAfterReplace(pa_, pb_ - pa_, k_, start_, stop_, delta);
    m.MarkChanged(pa_, changedLine, pa_ + k_);
    return m.paragraphs_[pa_ + k_].Start + insertEnd_;
}

// The inserted text as paragraphs: breaks are CR and CR LF.
void TRangeReplacer::SplitIntoPieces(std::string_view text)
{
    scratch_.Clear();
    scratch_.Add(TParagraphRec{});
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') continue;
        scratch_[scratch_.Count() - 1].Text.assign(text.substr(from, i - from));
        scratch_.Add(TParagraphRec{});
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        from = i + 1;
    }
    scratch_[scratch_.Count() - 1].Text.assign(text.substr(std::min(from, text.size())));
}

// The text after the change keeps its style: every element whose toggle parity up to that
// text changed gets one closing code (each paragraph starts plain).
void TRangeReplacer::AddClosingCodes()
{
    const TParagraphsList& paragraphs = memo_.paragraphs_;
    const std::string_view headText = std::string_view(paragraphs[pa_].Text).substr(0, static_cast<std::size_t>(oa_));
    const std::uint8_t before = ApplyStyleCodes(0, std::string_view(paragraphs[pb_].Text).substr(0, static_cast<std::size_t>(ob_)));
    const std::uint8_t after = k_ == 0 ? ApplyStyleCodes(ApplyStyleCodes(0, headText), Piece(0)) : ApplyStyleCodes(0, Piece(k_));
    const std::uint8_t changed = before ^ after;
    for (const unsigned char code : {tcUnderline, tcItalic, tcBold, tcHighlight, tcAltFont})
        if (changed & StyleBitOfCode(code)) Piece(k_).push_back(static_cast<char>(code));
}

// Empty toggle pairs go from the inserted text only: the text around it stays as it was, so
// that undo restores exactly what the change replaced.
void TRangeReplacer::TidyPieces()
{
    for (int i = 0; i <= k_; ++i) {
        std::vector<int> removed;
        std::string t = TidyStyleCodes(Piece(i), &removed);
        if (removed.empty()) continue;
        tidied_ = true;
        if (i == 0) firstTidied_ = oa_ + removed.front();
        Piece(i) = std::move(t);
    }
}

void TRangeReplacer::JoinWithSurroundings()
{
    texts_.assign(static_cast<std::size_t>(k_ + 1), std::string());
    const std::string& headText = memo_.paragraphs_[pa_].Text;
    const std::string& tailText = memo_.paragraphs_[pb_].Text;
    texts_[0] = headText.substr(0, static_cast<std::size_t>(oa_)) + Piece(0);
    for (int i = 1; i <= k_; ++i) texts_[static_cast<std::size_t>(i)] = std::move(Piece(i));
    texts_[static_cast<std::size_t>(k_)] += tailText.substr(static_cast<std::size_t>(ob_));
}

// The change in length; raises before anything changed when a paragraph or the text would be
// too long.
int TRangeReplacer::CheckedDelta() const
{
    std::int64_t oldTotal = 0;
    for (int p = pa_; p <= pb_; ++p) oldTotal += memo_.paragraphs_[p].Length() + 2;
    std::int64_t newTotal = 0;
    for (const std::string& t : texts_) {
        if (t.size() > static_cast<std::size_t>(kMaxTextLength)) TextTooLongError();
        newTotal += static_cast<std::int64_t>(t.size()) + 2;
    }
    if (memo_.textLength_ - oldTotal + newTotal > kMaxTextLength) TextTooLongError();
    return static_cast<int>(newTotal - oldTotal);
}

// The first paragraph keeps its record; its display lines before the change stay valid, and
// for a change inside one paragraph the lines after it move with the text. Returns the first
// display line of the paragraph the change touched.
int TRangeReplacer::KeepFirstParagraph(int delta)
{
    TParagraphRec& A = memo_.paragraphs_[pa_];
    const int changeAt = std::min(oa_, firstTidied_);
    const int changedLine = A.Formatted ? A.LineOfOffset(changeAt) : 0;
    MoveLinesOfFirst(A, changedLine, delta);
    std::vector<TStyleRec> kept;
    for (const TStyleRec& r : A.Styles) {
        if (r.Offset <= oa_) {
            kept.push_back(r);
        } else if (k_ == 0 && pa_ == pb_ && r.Offset >= ob_) {
            kept.push_back(r);
            kept.back().Offset += delta;
        }
    }
    A.Styles = std::move(kept);
    A.Text = std::move(texts_[0]);
    A.Formatted = false;
    A.KeysParsed = false;
    A.KeywordsParsed = false;
    return changedLine;
}

// From the changed line on, a line after the change moves with the text; a line touching the
// change can never be kept (start -1), though its end, when it lies after the change, is
// still a break of the old wrap.
void TRangeReplacer::MoveLinesOfFirst(TParagraphRec& first, int changedLine, int delta)
{
    TLinesList lines(first);
    const bool moveLines = first.Formatted && k_ == 0 && pa_ == pb_ && !tidied_;
    for (int j = changedLine; j < lines.Count(); ++j) {
        TLineRec& l = lines[j];
        if (moveLines && l.Start >= ob_) {
            l.Start += delta;
            l.Stop += delta;
            l.JustifyStart += delta;
        } else {
            l.Start = -1;
            l.Stop = moveLines && l.Stop >= ob_ ? l.Stop + delta : -1;
        }
    }
}

// The paragraphs after the first give way to the new ones; those after the change move.
void TRangeReplacer::ReplaceParagraphs(int delta)
{
    TTextMemo& m = memo_;
    TParagraphsList& paragraphs = m.paragraphs_;
    int removedLines = 0;
    for (int p = pa_ + 1; p <= pb_; ++p) removedLines += paragraphs[p].LineCount();
    const int removedParas = pb_ - pa_;
    if (k_ < removedParas)
        paragraphs.Delete(pa_ + 1, removedParas - k_);
    else
        paragraphs.Insert(pa_ + 1, k_ - removedParas);
    for (int i = 1; i <= k_; ++i) {
        TParagraphRec fresh;
        fresh.Text = std::move(texts_[static_cast<std::size_t>(i)]);
        fresh.Line0.Stop = fresh.Length();
        fresh.StartState = paragraphs[pa_].StartState;
        paragraphs[pa_ + i] = std::move(fresh);
    }
    const int lineDelta = k_ - removedLines;
    const int count = paragraphs.Count();
    for (int p = pa_ + 1; p < count; ++p) {
        TParagraphRec& rec = paragraphs[p];
        if (p <= pa_ + k_) {
            const TParagraphRec& prev = paragraphs[p - 1];
            rec.Start = prev.Start + prev.Length() + 2;
            rec.FirstLine = prev.FirstLine + prev.LineCount();
        } else {
            rec.Start += delta;
            rec.FirstLine += lineDelta;
        }
    }
    m.lineCount_ += lineDelta;
    m.textLength_ += delta;
}

}  // namespace editor
