#pragma once
// TRangeReplacer: replaces a range of a TTextMemo's text by new text, in the paragraph store.
// The new text is split into paragraphs at CR and CR LF; with static formatting (and unless
// the change is verbatim) it gets the closing toggle codes that keep the text after it in its
// style, and loses its own empty toggle pairs. The first paragraph keeps its record, and the
// display lines and style records before the change (and, for a change inside one paragraph,
// after it) stay valid; the paragraphs after the change move by the change's length and lines.
//
// One object makes one replacement; it stages the new paragraphs in the list all editors share.

#include "editor/TextStore.h"

#include <string>
#include <string_view>
#include <vector>

namespace editor {

class TTextMemo;

class TRangeReplacer {
public:
    // [start, stop) in either order; both are snapped to character starts.
    TRangeReplacer(TTextMemo& memo, int start, int stop);

    // Returns the offset after the inserted text.
    int Replace(std::string_view text, bool verbatim);

private:
    void SplitIntoPieces(std::string_view text);
    std::string& Piece(int i) { return scratch_[i].Text; }
    void AddClosingCodes();
    void TidyPieces();
    void JoinWithSurroundings();
    int CheckedDelta() const;
    int KeepFirstParagraph(int delta);
    void MoveLinesOfFirst(TParagraphRec& first, int changedLine, int delta);
    void ReplaceParagraphs(int delta);

    TTextMemo& memo_;
    TParagraphsList& scratch_;
    int start_;
    int stop_;
    int pa_ = 0;  // the paragraphs the range starts and ends in
    int pb_ = 0;
    int oa_ = 0;  // the range's start and end within them
    int ob_ = 0;
    int k_ = 0;   // paragraph breaks in the new text
    int firstTidied_ = kNotComputed;  // first offset of paragraph pa that tidying touched
    bool tidied_ = false;
    int insertEnd_ = 0;  // where the inserted text ends, in the last new paragraph
    std::vector<std::string> texts_;
};

}  // namespace editor
