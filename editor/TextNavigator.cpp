#include "editor/TextNavigator.h"

#include "editor/TextMemo.h"

#include "platform/rtl/Exceptions.h"

#include <algorithm>

namespace editor {

TTextNavigator::TTextNavigator(TTextMemo& memo) : memo_(&memo)
{
    memo_->navigators_.push_back(this);
}

namespace {
TTextMemo& MemoOf(classes::TComponent* owner)
{
    auto* memo = dynamic_cast<TTextMemo*>(owner);
    if (!memo) throw rtl::Exception("Internal error: component is not a TTextMemo");
    return *memo;
}
}  // namespace

TTextNavigator::TTextNavigator(classes::TComponent* owner) : TTextNavigator(MemoOf(owner)) {}

TTextNavigator::~TTextNavigator()
{
    if (OnDestroy) OnDestroy(*this);
    if (memo_) std::erase(memo_->navigators_, this);
}

void TTextNavigator::DropCaches() noexcept
{
    par_ = -1;
    style_ = kNotComputed;
    line_ = kNotComputed;
}

void TTextNavigator::Reset()
{
    offset_ = 0;
    parOffset_ = 0;
    DropCaches();
}

void TTextNavigator::SetOffset(int offset)
{
    offset = std::clamp(offset, 0, memo_->textLength_);
    if (par_ >= 0 && par_ < memo_->paragraphs_.Count()) {
        const TParagraphRec& p = memo_->paragraphs_[par_];
        const int inPar = offset - p.Start;
        if (inPar >= 0 && inPar <= p.Length() + 1) {
            if (inPar < parOffset_) {
                style_ = kNotComputed;
                line_ = kNotComputed;
            }
            parOffset_ = inPar;
            offset_ = offset;
            return;
        }
    }
    offset_ = offset;
    DropCaches();
}

int TTextNavigator::Paragraph()
{
    if (par_ < 0) {
        par_ = memo_->ParagraphOfOffset(offset_);
        parOffset_ = offset_ - memo_->paragraphs_[par_].Start;
    }
    return par_;
}

TParagraphRec& TTextNavigator::ParagraphRec() { return memo_->paragraphs_[Paragraph()]; }

int TTextNavigator::ParOffset()
{
    Paragraph();
    return parOffset_;
}

void TTextNavigator::SetLine(int line)
{
    const int p = memo_->ParagraphOfLine(line);
    TParagraphRec& rec = memo_->paragraphs_[p];
    const int inPar = std::clamp(line - rec.FirstLine, 0, rec.LineCount() - 1);
    offset_ = rec.Start + TLinesList(rec)[inPar].Start;
    par_ = p;
    parOffset_ = offset_ - rec.Start;
    style_ = kNotComputed;
    line_ = inPar;
}

int TTextNavigator::ParLine()
{
    if (line_ == kNotComputed) {
        line_ = ParagraphRec().LineOfOffset(parOffset_);
    } else {
        // Moved forward inside the paragraph since: walk on from the cached line.
        TParagraphRec& rec = ParagraphRec();
        TLinesList lines(rec);
        while (line_ + 1 < lines.Count() && lines[line_].Stop <= parOffset_) ++line_;
    }
    return line_;
}

int TTextNavigator::Line() { return ParagraphRec().FirstLine + ParLine(); }

int TTextNavigator::StyleIndex()
{
    TParagraphRec& rec = ParagraphRec();
    const int count = static_cast<int>(rec.Styles.size());
    // Parsing may have replaced the paragraph's records since the index was cached (a change
    // reparses the paragraphs after it); an index that no longer fits is looked up again.
    if (style_ != kNotComputed &&
        (style_ < -1 || style_ >= count ||
         (style_ >= 0 && rec.Styles[static_cast<std::size_t>(style_)].Offset >= parOffset_)))
        style_ = kNotComputed;
    if (style_ == kNotComputed) {
        style_ = rec.StyleIndexAt(parOffset_);
    } else {
        while (style_ + 1 < count && rec.Styles[static_cast<std::size_t>(style_ + 1)].Offset < parOffset_) ++style_;
    }
    return style_;
}

const TStyleRec& TTextNavigator::Style()
{
    const int i = StyleIndex();
    const TParagraphRec& rec = ParagraphRec();
    if (i >= 0) return rec.Styles[static_cast<std::size_t>(i)];
    return rec.StyleAt(0);
}

bool TTextNavigator::NextStyle()
{
    int p = Paragraph();
    const int count = memo_->paragraphs_.Count();
    int off = parOffset_;
    for (; p < count; ++p, off = -1) {
        const TParagraphRec& rec = memo_->paragraphs_[p];
        const auto it = std::upper_bound(rec.Styles.begin(), rec.Styles.end(), off,
                                         [](int o, const TStyleRec& r) { return o < r.Offset; });
        if (it != rec.Styles.end()) {
            SetOffset(rec.Start + it->Offset);
            return true;
        }
    }
    return false;
}

bool TTextNavigator::PrevStyle()
{
    int p = Paragraph();
    int off = parOffset_;
    for (; p >= 0; --p) {
        const TParagraphRec& rec = memo_->paragraphs_[p];
        if (off < 0) off = rec.Length() + 2;
        const auto it = std::lower_bound(rec.Styles.begin(), rec.Styles.end(), off,
                                         [](const TStyleRec& r, int o) { return r.Offset < o; });
        if (it != rec.Styles.begin()) {
            SetOffset(rec.Start + std::prev(it)->Offset);
            return true;
        }
        off = -1;
    }
    return false;
}

void TTextNavigator::InsertStyle(const TStyleRec& record)
{
    TParagraphRec& rec = ParagraphRec();
    TStyleRec r = record;
    r.Offset = parOffset_;
    const auto it = std::lower_bound(rec.Styles.begin(), rec.Styles.end(), parOffset_,
                                     [](const TStyleRec& s, int o) { return s.Offset < o; });
    rec.Styles.insert(it, r);
    style_ = kNotComputed;
}

void TTextNavigator::RemoveStyle()
{
    TParagraphRec& rec = ParagraphRec();
    const auto it = std::lower_bound(rec.Styles.begin(), rec.Styles.end(), parOffset_,
                                     [](const TStyleRec& s, int o) { return s.Offset < o; });
    if (it == rec.Styles.end() || it->Offset != parOffset_) InternalError();
    rec.Styles.erase(it);
    style_ = kNotComputed;
}

char TTextNavigator::CharAt()
{
    const TParagraphRec& rec = ParagraphRec();
    const int off = ParOffset();
    if (off < rec.Length()) return rec.Text[static_cast<std::size_t>(off)];
    return off == rec.Length() ? '\r' : '\n';
}

std::string TTextNavigator::CopyText(int count)
{
    // Summed wide: a count that runs past the text is clipped, never wrapped round.
    const std::int64_t stop = std::clamp<std::int64_t>(static_cast<std::int64_t>(offset_) + count, 0, memo_->textLength_);
    return memo_->GetTextPart(offset_, static_cast<int>(stop));
}

void TTextNavigator::Assign(const TTextNavigator& other)
{
    offset_ = other.offset_;
    if (other.memo_ == memo_) {
        par_ = other.par_;
        parOffset_ = other.parOffset_;
        style_ = other.style_;
        line_ = other.line_;
    } else {
        DropCaches();
    }
}

}  // namespace editor
