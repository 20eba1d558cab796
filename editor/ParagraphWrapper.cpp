// Wrapping one paragraph into display lines (see ParagraphWrapper.h).

#include "editor/ParagraphWrapper.h"

#include "editor/TextMemo.h"

#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <climits>
#include <string_view>

namespace editor {

namespace {
int ClampInt(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }
}  // namespace

TParagraphWrapper::TParagraphWrapper(TTextMemo& memo, int paragraph, long long availableWidth)
    : memo_(memo),
      paragraph_(paragraph),
      par_(memo.paragraphs_[paragraph]),
      text_(par_.Text),
      len_(par_.Length()),
      avail_(availableWidth)
{
}

std::vector<TLineRec> TParagraphWrapper::Wrap(bool full, int fromLine)
{
    full_ = full;
    const int restart = full ? 0 : KeepLinesBefore(fromLine);
    int pos = restart > 0 ? old_[static_cast<std::size_t>(restart)].Start : 0;
    style_ = restart > 0 ? old_[static_cast<std::size_t>(restart)].Style : 0;
    StartLine(pos);
    while (pos < len_ && !kept_) pos = Step(pos);
    if (!kept_) PushLine(len_);
    return std::move(lines_);
}

// An incremental wrap keeps the lines before the change and restarts one line earlier, so
// that the first word of the changed line can move back onto the line before it.
int TParagraphWrapper::KeepLinesBefore(int fromLine)
{
    const int oldCount = par_.LineCount();
    TLinesList list(par_);
    old_.reserve(static_cast<std::size_t>(oldCount));
    for (int j = 0; j < oldCount; ++j) old_.push_back(list[j]);
    int changed = std::clamp(fromLine, 0, oldCount - 1);
    for (int j = 0; j < changed; ++j)
        if (old_[static_cast<std::size_t>(j)].Start < 0 || old_[static_cast<std::size_t>(j)].Stop < 0) {
            changed = j;
            break;
        }
    const int restart = changed > 0 ? changed - 1 : 0;
    lines_.assign(old_.begin(), old_.begin() + restart);
    oldIndex_ = static_cast<std::size_t>(restart);
    return restart;
}

void TParagraphWrapper::StartLine(int at)
{
    cur_ = TLineRec{};
    cur_.Start = at;
    cur_.JustifyStart = at;
    cur_.Style = style_;
    x_ = contentX_ = 0;
    blanks_ = contentBlanks_ = 0;
    used_ = false;
}

void TParagraphWrapper::PushLine(int stop)
{
    cur_.Stop = stop;
    cur_.Width = ClampInt(contentX_);
    cur_.FullWidth = ClampInt(x_);
    cur_.Blanks = contentBlanks_;
    cur_.StyleIndex = par_.StyleIndexAt(cur_.Start);
    lines_.push_back(cur_);
    memo_.NoteLineWidth(paragraph_, cur_.FullWidth);
}

// Ends the line at `stop`; true when the old lines from there on are still right (they are
// taken over and the wrap is done).
bool TParagraphWrapper::EndLine(int stop)
{
    PushLine(stop);
    if (!full_ && OldLinesResume(stop)) {
        for (std::size_t j = oldIndex_ + 1; j < old_.size(); ++j) {
            TLineRec l = old_[j];
            l.StyleIndex = par_.StyleIndexAt(l.Start);
            lines_.push_back(l);
        }
        kept_ = true;
        return true;
    }
    StartLine(stop);
    return false;
}

bool TParagraphWrapper::OldLinesResume(int stop)
{
    while (oldIndex_ < old_.size() && old_[oldIndex_].Stop < stop) ++oldIndex_;
    return oldIndex_ + 1 < old_.size() && old_[oldIndex_].Stop == stop && old_[oldIndex_ + 1].Start == stop &&
           old_[oldIndex_ + 1].Stop >= 0 && old_[oldIndex_ + 1].Style == style_;
}

bool TParagraphWrapper::IsCode(unsigned char c) const noexcept { return memo_.staticFormat_ && IsStyleCode(c); }

bool TParagraphWrapper::StyleRecordAt(int offset) const
{
    const auto it = std::lower_bound(par_.Styles.begin(), par_.Styles.end(), offset,
                                     [](const TStyleRec& r, int o) { return r.Offset < o; });
    return it != par_.Styles.end() && it->Offset == offset;
}

// Takes what stands at `pos` onto the line; returns where the next step starts.
int TParagraphWrapper::Step(int pos)
{
    const auto c = static_cast<unsigned char>(text_[static_cast<std::size_t>(pos)]);
    if (IsCode(c)) {
        style_ ^= StyleBitOfCode(c);
        return pos + 1;
    }
    if (c == ' ') {
        x_ += memo_.MetricsOf(style_).blank;
        ++blanks_;
        used_ = true;
        return pos + 1;
    }
    if (c == kTab) {
        AddTab(pos);
        return pos + 1;
    }
    return PlaceWord(pos);
}

void TParagraphWrapper::AddTab(int pos)
{
    if (memo_.tabStops_ >= 1) {
        const long long tab = static_cast<long long>(memo_.tabStops_) * memo_.blankWidth_;
        x_ = (x_ / tab + 1) * tab;
    }
    blanks_ = 0;
    cur_.JustifyStart = pos + 1;
    contentX_ = x_;
    contentBlanks_ = 0;
    used_ = true;
}

// A word runs up to the next blank, tab or the paragraph end, style codes included.
int TParagraphWrapper::WordEnd(int pos) const
{
    int we = pos;
    while (we < len_ && text_[static_cast<std::size_t>(we)] != ' ' && text_[static_cast<std::size_t>(we)] != '\t') ++we;
    return we;
}

long long TParagraphWrapper::MeasureWord(int pos, int end, std::uint8_t& styleAfter)
{
    if (measuredAt_ == pos && measuredStyle_ == style_) {
        styleAfter = measuredStyleAfter_;
        return measuredWidth_;
    }
    const std::string_view text(text_);
    std::uint8_t wordStyle = style_;
    long long ww = 0;
    int seg = pos;
    for (int i = pos; i < end; ++i) {
        const auto ch = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
        if (!IsCode(ch)) continue;
        if (i > seg) ww += memo_.MeasureRun(text.substr(static_cast<std::size_t>(seg), static_cast<std::size_t>(i - seg)), wordStyle);
        wordStyle ^= StyleBitOfCode(ch);
        seg = i + 1;
    }
    if (end > seg) ww += memo_.MeasureRun(text.substr(static_cast<std::size_t>(seg), static_cast<std::size_t>(end - seg)), wordStyle);
    ww -= memo_.MetricsOf(wordStyle).overhang;
    measuredAt_ = pos;
    measuredStyle_ = style_;
    measuredWidth_ = ww;
    measuredStyleAfter_ = wordStyle;
    styleAfter = wordStyle;
    return ww;
}

int TParagraphWrapper::PlaceWord(int pos)
{
    const int we = WordEnd(pos);
    std::uint8_t wordStyle = style_;
    const long long ww = MeasureWord(pos, we, wordStyle);
    if (x_ + ww <= avail_) {
        x_ += ww;
        contentX_ = x_;
        contentBlanks_ = blanks_;
        style_ = wordStyle;
        used_ = true;
        return we;
    }
    if (used_) {
        // The word starts the next line; the blanks before it stay on this one.
        EndLine(pos);
        return pos;
    }
    BreakLongWord(pos, we);
    if (kept_) return pos;
    contentX_ = x_;
    contentBlanks_ = blanks_;
    used_ = true;
    return we;
}

// A word longer than the line: as many characters as fit on each line, at least one.
void TParagraphWrapper::BreakLongWord(int pos, int end)
{
    const std::string_view text(text_);
    bool any = false;
    int i = pos;
    while (i < end) {
        const auto ch = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
        if (IsCode(ch)) {
            style_ ^= StyleBitOfCode(ch);
            ++i;
            continue;
        }
        const int n = static_cast<int>(rtl::Utf8NextCharStart(text, static_cast<std::size_t>(i)));
        const long long cw = memo_.MeasureRun(text.substr(static_cast<std::size_t>(i), static_cast<std::size_t>(n - i)), style_);
        const bool fits = x_ + cw <= avail_;
        // A character that cannot be parted from what follows it stays on the line anyway.
        const bool stays = fits || !any || (n < len_ && IsCode(static_cast<unsigned char>(text[static_cast<std::size_t>(n)]))) || StyleRecordAt(n);
        if (stays) {
            x_ += cw;
            i = n;
            any = true;
            if (fits) continue;
        }
        if (i >= end) break;  // the word is done: the blanks after it still join this line
        contentX_ = x_;
        contentBlanks_ = blanks_;
        if (EndLine(i)) return;
        any = false;
    }
}

}  // namespace editor
