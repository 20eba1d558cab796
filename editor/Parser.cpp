// Start/stop-key spans and keywords: the style records of each paragraph.

#include "editor/TextHighlighter.h"
#include "editor/TextMemo.h"

#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <array>

namespace editor {

namespace {

// The attribute byte of a keyword or pair joins the record's flag byte: its bit 128 makes
// the run a context (clickable, drawn in the byte as its own style).
std::uint8_t FlagsWithAttribute(std::uint8_t flags, std::uint8_t attr) noexcept
{
    return static_cast<std::uint8_t>((flags & ~srContext) | (attr & srContext));
}

void SetPairAttributes(TStyleRec& state, const TStartStopKeyList& keys)
{
    if (state.Level < 0) {
        state.Flags = FlagsWithAttribute(state.Flags, 0);
        state.Attr = 0;
        state.Context = 0;
        state.Attr16 = 0;
        state.TextColor = -1;
        state.BackColor = -1;
        return;
    }
    const TStartStopKey& k = keys[state.Keys[static_cast<std::size_t>(state.Level)]];
    state.Flags = FlagsWithAttribute(state.Flags, k.Attr);
    if (k.Attr & srContext) state.Style = k.Attr;
    state.Attr = k.Attr;
    state.Context = k.Context;
    state.Attr16 = k.Attr16;
    state.TextColor = k.TextColor;
    state.BackColor = k.BackColor;
}

// Appends a record, replacing one at the same offset (only the later state counts there).
void PushRecord(std::vector<TStyleRec>& records, const TStyleRec& state, int offset)
{
    TStyleRec r = state;
    r.Offset = offset;
    if (!records.empty() && records.back().Offset == offset)
        records.back() = r;
    else
        records.push_back(r);
}

// The state at the end of a paragraph, keyword marks left out.
const TStyleRec& EndState(const TParagraphRec& rec)
{
    for (auto it = rec.Styles.rbegin(); it != rec.Styles.rend(); ++it)
        if (!(it->Flags & srKeywordFlags)) return *it;
    return *rec.StartState;
}

}  // namespace

void TTextMemo::ParseStartStopKeys(int paragraph)
{
    const int count = paragraphs_.Count();
    paragraph = std::min(paragraph, count - 1);
    const bool active = (applyStartStopKeys_ && startStopKeys_.Count() > 0) || highlighter_;
    if (!active) {
        for (int q = std::max(0, keysParsedUpTo_ + 1); q <= paragraph; ++q) paragraphs_[q].KeysParsed = true;
        keysParsedUpTo_ = std::max(keysParsedUpTo_, paragraph);
        return;
    }
    if (!startStopKeys_.Prepared()) startStopKeys_.Prepare(separators_);
    bool carry = false;
    for (int q = std::max(0, keysParsedUpTo_ + 1); q < count; ++q) {
        if (q > paragraph && !carry) break;
        if (!paragraphs_[q].KeysParsed) ParseSpans(q);
        carry = PropagateState(q);
        keysParsedUpTo_ = q;
    }
}

// Hands the end state of `paragraph` on to the next one; true when that one's start state
// changed (it is then unparsed and unformatted, and in the background range).
bool TTextMemo::PropagateState(int paragraph)
{
    if (paragraph + 1 >= paragraphs_.Count()) return false;
    TParagraphRec& rec = paragraphs_[paragraph];
    TParagraphRec& next = paragraphs_[paragraph + 1];
    const TStyleRec& end = EndState(rec);
    if (next.StartState && end.SameState(*next.StartState)) return false;
    if (&end == rec.StartState.get()) {
        next.StartState = rec.StartState;
    } else {
        auto copy = std::make_shared<TStyleRec>(end);
        copy->Offset = 0;
        next.StartState = std::move(copy);
    }
    next.KeysParsed = false;
    next.KeywordsParsed = false;
    next.Formatted = false;
    ExtendBackgroundRange(paragraph + 1, paragraph + 1);
    return true;
}

namespace {

// The start/stop-key scan of one paragraph: the state in force moves along the text, and the
// records of the spans it opens and closes (and of the runs a highlighter marks) are
// collected in offset order.
class TSpanScan {
public:
    TSpanScan(TTextMemo& memo, TStartStopKeyList& keys, TTextHighlighter* highlighter, int paragraph)
        : memo_(memo), keys_(keys), highlighter_(highlighter), paragraph_(paragraph), rec_(memo.Paragraph(paragraph)),
          text_(rec_.Text), len_(rec_.Length()), folded_(text_), pairs_(memo.ApplyStartStopKeys() && keys.Count() > 0)
    {
        FoldCase(memo.UpperCaseType(), folded_);
        state_ = rec_.StartState ? *rec_.StartState : TStyleRec{};
        state_.Offset = 0;
        state_.Flags &= static_cast<std::uint8_t>(~srKeywordFlags);
        openedAt_.fill(-1);
        CollectStartBytes();
    }

    // Scans the paragraph and gives it its new records.
    void Run()
    {
        int pos = 0;
        while (pos < len_) pos = Step(pos);
        CloseAtParagraphEnd();
        rec_.Styles = std::move(records_);
        rec_.KeysParsed = true;
        rec_.KeywordsParsed = false;
        rec_.Formatted = false;
    }

private:
    // The bytes a start key can begin with (as typed and folded): elsewhere no key is tried.
    void CollectStartBytes()
    {
        for (int i = 0; pairs_ && i < keys_.Count(); ++i) {
            const TStartStopKey& k = keys_[i];
            if (!k.StartKey.empty()) startBytes_.set(static_cast<unsigned char>(k.StartKey[0]));
            if (!k.FoldedStart.empty()) startBytes_.set(static_cast<unsigned char>(k.FoldedStart[0]));
        }
    }

    // One position: a stop key, a highlighter's run, a start key, or the next character.
    int Step(int pos)
    {
        int next = pos;
        if (StopKeyAt(pos, next) || HighlighterRunAt(pos, next) || StartKeyAt(pos, next)) return next;
        return static_cast<int>(rtl::Utf8NextCharStart(text_, static_cast<std::size_t>(pos)));
    }

    bool SeparatorAt(int at) const
    {
        return at < 0 || at >= len_ || memo_.IsSeparator(static_cast<unsigned char>(text_[static_cast<std::size_t>(at)]));
    }

    bool Matches(int at, const TStartStopKey& k, bool start) const
    {
        const bool cs = k.Options & koCaseSensitive;
        const std::string& key = cs ? (start ? k.StartKey : k.StopKey) : (start ? k.FoldedStart : k.FoldedStop);
        const std::string& hay = cs ? text_ : folded_;
        const int n = static_cast<int>(key.size());
        // The first byte alone turns most positions down, without a call to compare.
        if (n == 0 || at + n > len_ || hay[static_cast<std::size_t>(at)] != key[0] ||
            hay.compare(static_cast<std::size_t>(at), key.size(), key) != 0)
            return false;
        const bool before = start ? k.StartSepBefore : k.StopSepBefore;
        const bool after = start ? k.StartSepAfter : k.StopSepAfter;
        return (!before || SeparatorAt(at - 1)) && (!after || SeparatorAt(at + n));
    }

    // Inside an open span only its stop key counts.
    bool StopKeyAt(int pos, int& next)
    {
        if (!pairs_ || state_.Level < 0) return false;
        const TStartStopKey& k = keys_[state_.Keys[static_cast<std::size_t>(state_.Level)]];
        if (!Matches(pos, k, false)) return false;
        next = pos + static_cast<int>(k.StopKey.size());
        Close(next);
        return true;
    }

    bool HighlighterRunAt(int pos, int& next)
    {
        if (!highlighter_) return false;
        TStyleRec run;
        int n = 0;
        if (state_.Level < 0 && highlighter_->MatchOutsideSpan(memo_, paragraph_, pos, run, n) && n > 0) {
            next = Mark(pos, run, n);
            return true;
        }
        n = 0;
        if (highlighter_->MatchStartKey(memo_, paragraph_, pos, run, n) && n > 0) {
            next = Mark(pos, run, n);
            return true;
        }
        return false;
    }

    // Outside every span only a byte a start key can begin with is tried; the first pair in
    // list order wins.
    bool StartKeyAt(int pos, int& next)
    {
        const auto at = static_cast<std::size_t>(pos);
        if (!pairs_ || state_.Level >= 0 ||
            !(startBytes_.test(static_cast<unsigned char>(text_[at])) || startBytes_.test(static_cast<unsigned char>(folded_[at]))))
            return false;
        for (int i = 0; i < keys_.Count(); ++i) {
            const TStartStopKey& k = keys_[i];
            if (!Matches(pos, k, true)) continue;
            ++state_.Level;
            state_.Keys[static_cast<std::size_t>(state_.Level)] = static_cast<std::int16_t>(i);
            SetPairAttributes(state_, keys_);
            PushRecord(records_, state_, pos);
            openedAt_[static_cast<std::size_t>(state_.Level)] = static_cast<int>(records_.size()) - 1;
            next = pos + static_cast<int>(k.StartKey.size());
            return true;
        }
        return false;
    }

    // Whatever was recorded inside the span goes; a pair linked to it takes the span over.
    void Close(int at)
    {
        records_.resize(static_cast<std::size_t>(openedAt_[static_cast<std::size_t>(state_.Level)] + 1));
        const int succ = keys_.Successor(state_.Keys[static_cast<std::size_t>(state_.Level)]);
        if (succ >= 0)
            state_.Keys[static_cast<std::size_t>(state_.Level)] = static_cast<std::int16_t>(succ);
        else
            --state_.Level;
        SetPairAttributes(state_, keys_);
        PushRecord(records_, state_, at);
        if (succ >= 0) openedAt_[static_cast<std::size_t>(state_.Level)] = static_cast<int>(records_.size()) - 1;
    }

    // A run a highlighter marked: its record, then the state around it again.
    int Mark(int at, TStyleRec run, int n)
    {
        run.Flags = static_cast<std::uint8_t>((run.Flags & ~srKeywordFlags) | srKeyword | srMarked);
        run.Level = state_.Level;
        run.Keys = state_.Keys;
        PushRecord(records_, run, at);
        TStyleRec back = state_;
        back.Flags |= srKeywordEnd | srMarked;
        PushRecord(records_, back, std::min(len_, at + n));
        return std::min(len_, at + n);
    }

    // A span that ends with its paragraph ends there with every span nested in it.
    void CloseAtParagraphEnd()
    {
        if (!pairs_) return;
        for (int level = 0; level <= state_.Level; ++level) {
            if (keys_[state_.Keys[static_cast<std::size_t>(level)]].EndsAtParagraphEnd) {
                state_.Level = static_cast<std::int8_t>(level);
                Close(len_);
                break;
            }
        }
    }

    TTextMemo& memo_;
    TStartStopKeyList& keys_;
    TTextHighlighter* highlighter_;
    int paragraph_;
    TParagraphRec& rec_;
    const std::string& text_;
    int len_;
    std::string folded_;
    bool pairs_;
    TCharSet startBytes_;
    TStyleRec state_;
    std::vector<TStyleRec> records_;
    // Where each open span's record is among the records (-1: the span was open when the
    // paragraph began).
    std::array<int, kMaxSpanLevels> openedAt_{};
};

}  // namespace

void TTextMemo::ParseSpans(int paragraph) { TSpanScan(*this, startStopKeys_, highlighter_, paragraph).Run(); }

// ---- Keywords ---------------------------------------------------------------------------------

namespace {

struct TKeywordMatch {
    int start;
    int length;
    int keyword;
};

// The paragraph's text twice (as typed and case-folded), with every byte where no keyword may
// be found any more blanked out.
struct TKeywordSearch {
    const std::string& text;
    std::string work;
    std::string upper;  // empty while every keyword is case-sensitive
    const TCharSet& separators;

    void Blank(int a, int b)
    {
        for (int i = a; i < b; ++i) {
            work[static_cast<std::size_t>(i)] = '\x05';
            if (!upper.empty()) upper[static_cast<std::size_t>(i)] = '\x05';
        }
    }
    bool SeparatorAt(int at) const
    {
        const int len = static_cast<int>(text.size());
        return at < 0 || at >= len || separators.test(static_cast<unsigned char>(text[static_cast<std::size_t>(at)]));
    }
};

// No keyword is found inside a span or a marked run.
void BlankSpans(const TParagraphRec& rec, TKeywordSearch& search)
{
    const int len = rec.Length();
    const TStyleRec* state = rec.StartState.get();
    int from = 0;
    for (const TStyleRec& r : rec.Styles) {
        if (state && (state->Level >= 0 || (state->Flags & srKeyword))) search.Blank(from, std::min(r.Offset, len));
        state = &r;
        from = std::min(r.Offset, len);
    }
    if (state && (state->Level >= 0 || (state->Flags & srKeyword))) search.Blank(from, len);
}

// Earlier keywords win: each match is blanked out before the next keyword is searched.
void FindKeyword(const TKeywordList& keywords, int i, TKeywordSearch& search, std::vector<TKeywordMatch>& found)
{
    const TKeywordRec& k = keywords.IndexedRecord(i);
    const bool cs = k.Options & koCaseSensitive;
    const std::string word = cs ? keywords.Get(i) : keywords.FoldedWord(i);
    if (word.empty()) return;
    const std::string& hay = cs ? search.work : search.upper;
    const int n = static_cast<int>(word.size());
    std::size_t at = hay.find(word);
    while (at != std::string::npos) {
        const int a = static_cast<int>(at);
        if ((k.Options & koWholeWord) && !(search.SeparatorAt(a - 1) && search.SeparatorAt(a + n))) {
            at = hay.find(word, at + 1);
            continue;
        }
        search.Blank(a, a + n);
        found.push_back({a, n, i});
        at = hay.find(word, at + static_cast<std::size_t>(n));
    }
}

std::vector<TKeywordMatch> FindKeywords(const TKeywordList& keywords, TKeywordSearch& search)
{
    std::vector<TKeywordMatch> found;
    for (int i = 0; i < keywords.Count(); ++i)
        if (keywords.IndexedRecord(i).Context != 0) FindKeyword(keywords, i, search, found);
    return found;
}

TStyleRec KeywordRecord(const TStyleRec& around, const TKeywordRec& k, const TKeywordMatch& m)
{
    TStyleRec open = around;
    open.Flags = FlagsWithAttribute(static_cast<std::uint8_t>((around.Flags & ~srKeywordFlags) | srKeyword), k.Attr);
    if (k.Attr & srContext) open.Style = k.Attr;
    open.Level = static_cast<std::int8_t>(std::min(around.Level + 1, kMaxSpanLevels - 1));
    open.Attr = k.Attr;
    open.Context = k.Context;
    open.Attr16 = k.Attr16;
    open.TextColor = k.TextColor;
    open.BackColor = k.BackColor;
    open.Keyword = m.keyword;
    open.Offset = m.start;
    return open;
}

// The span records and the two records of every match merged in one pass, in offset order
// (inserting them one by one would move the vector's tail for every match: a long paragraph
// full of keywords would take time growing with the square of its matches).
void MergeKeywordRecords(TParagraphRec& rec, const std::vector<TKeywordMatch>& found, const TKeywordList& keywords)
{
    std::vector<TStyleRec> spans = std::move(rec.Styles);
    std::vector<TStyleRec>& out = rec.Styles;
    out.clear();
    out.reserve(spans.size() + 2 * found.size());
    std::size_t next = 0;
    static const TStyleRec none;
    for (const TKeywordMatch& m : found) {
        // The match's own record comes after any span record at its start; the record that
        // resumes the surrounding state comes before any span record at its end.
        while (next < spans.size() && spans[next].Offset <= m.start) out.push_back(spans[next++]);
        const TStyleRec around = !out.empty() ? out.back() : rec.StartState ? *rec.StartState : none;
        out.push_back(KeywordRecord(around, keywords.IndexedRecord(m.keyword), m));
        TStyleRec back = around;
        back.Flags = static_cast<std::uint8_t>((around.Flags & ~srKeywordFlags) | srKeywordEnd);
        back.Offset = m.start + m.length;
        while (next < spans.size() && spans[next].Offset < back.Offset) out.push_back(spans[next++]);
        out.push_back(back);
    }
    while (next < spans.size()) out.push_back(spans[next++]);
}

}  // namespace

void TTextMemo::ParseKeywords(int paragraph)
{
    TParagraphRec& rec = paragraphs_[paragraph];
    rec.KeywordsParsed = true;
    // Keyword records of an earlier parse go; a highlighter's marks stay.
    std::erase_if(rec.Styles, [](const TStyleRec& r) { return (r.Flags & srKeywordFlags) && !(r.Flags & srMarked); });
    if (highlighter_) highlighter_->ParseRange(*this, paragraph);
    if (!applyKeyWords_ || keywords_.Count() == 0) return;
    if (keywords_.CaseType() != upperCaseType_) keywords_.SetCaseType(upperCaseType_);

    TKeywordSearch search{rec.Text, rec.Text, {}, separators_};
    if (keywords_.AnyCaseInsensitive()) {
        search.upper = rec.Text;
        FoldCase(upperCaseType_, search.upper);
    }
    BlankSpans(rec, search);
    std::vector<TKeywordMatch> found = FindKeywords(keywords_, search);
    if (found.empty()) return;
    std::sort(found.begin(), found.end(), [](const TKeywordMatch& a, const TKeywordMatch& b) { return a.start < b.start; });
    MergeKeywordRecords(rec, found, keywords_);
}

}  // namespace editor
