#pragma once
// TParagraphWrapper: breaks one paragraph of a TTextMemo into display lines, whole or
// (incrementally, after a change) from a given display line on. A word that does not fit
// starts the next line; a word longer than the line is cut after as many characters as fit
// (at least one). An incremental wrap stops as soon as a break lands where the old wrap had
// one, and keeps the old lines from there on.
//
// One object wraps one paragraph once; it keeps the pen position and the lines made so far as
// its own state, and measures through the editor it was made for.

#include "editor/TextStore.h"

#include <cstdint>
#include <string>
#include <vector>

namespace editor {

class TTextMemo;

class TParagraphWrapper {
public:
    TParagraphWrapper(TTextMemo& memo, int paragraph, long long availableWidth);

    // The display lines of the paragraph (`full`: all anew; else from `fromLine` on).
    std::vector<TLineRec> Wrap(bool full, int fromLine);

private:
    int KeepLinesBefore(int fromLine);
    void StartLine(int at);
    void PushLine(int stop);
    bool EndLine(int stop);
    bool OldLinesResume(int stop);
    bool IsCode(unsigned char c) const noexcept;
    bool StyleRecordAt(int offset) const;
    int Step(int pos);
    void AddTab(int pos);
    int WordEnd(int pos) const;
    long long MeasureWord(int pos, int end, std::uint8_t& styleAfter);
    int PlaceWord(int pos);
    void BreakLongWord(int pos, int end);

    TTextMemo& memo_;
    int paragraph_;
    TParagraphRec& par_;
    const std::string& text_;
    int len_;
    long long avail_;
    bool full_ = true;

    std::vector<TLineRec> old_;
    std::size_t oldIndex_ = 0;  // old line to compare breaks with
    std::vector<TLineRec> lines_;
    bool kept_ = false;         // the old lines from the last break on were kept

    std::uint8_t style_ = 0;
    TLineRec cur_;
    long long x_ = 0;         // pen position on the line
    long long contentX_ = 0;  // position after the last thing that is not a trailing blank
    int blanks_ = 0;
    int contentBlanks_ = 0;
    bool used_ = false;       // the line holds something besides style codes

    // A word that did not fit is measured once: the next line tries the same width.
    int measuredAt_ = -1;
    std::uint8_t measuredStyle_ = 0;
    long long measuredWidth_ = 0;
    std::uint8_t measuredStyleAfter_ = 0;
};

}  // namespace editor
