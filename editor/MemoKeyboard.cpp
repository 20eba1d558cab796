// The keyboard side of TTextMemo (see MemoKeyboard.h). Every one-character step is one UTF-8
// sequence (or a whole paragraph break).

#include "editor/MemoKeyboard.h"

#include "editor/MemoMouse.h"
#include "editor/TextMemo.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Input.h"

#include <algorithm>

namespace editor {

namespace {

bool IsBlankOrTab(char c) noexcept { return c == ' ' || c == kTab; }

std::string Utf8Of(char32_t c)
{
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        if (c >= 0xD800 && c < 0xE000) return {};
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x110000) {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

}  // namespace

using enum TMemoAction;

const TMemoKeyboard::TActionEntry TMemoKeyboard::kActions[] = {
    {kIgnore, &TMemoKeyboard::Ignore},
    {kViewHome, &TMemoKeyboard::ViewHome},       {kViewEnd, &TMemoKeyboard::ViewEnd},
    {kViewTop, &TMemoKeyboard::ViewTop},         {kViewPageUp, &TMemoKeyboard::ViewPageUp},
    {kViewBottom, &TMemoKeyboard::ViewBottom},   {kViewPageDown, &TMemoKeyboard::ViewPageDown},
    {kViewLineUp, &TMemoKeyboard::ViewLineUp},   {kViewLineDown, &TMemoKeyboard::ViewLineDown},
    {kViewLeft, &TMemoKeyboard::ViewLeft},       {kViewRight, &TMemoKeyboard::ViewRight},
    {kBold, &TMemoKeyboard::Bold},               {kItalic, &TMemoKeyboard::Italic},
    {kUnderline, &TMemoKeyboard::Underline},     {kHighlight, &TMemoKeyboard::Highlight},
    {kAltFont, &TMemoKeyboard::AltFont},         {kInsertTab, &TMemoKeyboard::InsertTab},
    {kPageBreak, &TMemoKeyboard::PageBreak},     {kUndo, &TMemoKeyboard::Undo},
    {kRedo, &TMemoKeyboard::Redo},
    {kBlockLeft, &TMemoKeyboard::BlockLeft},     {kBlockRight, &TMemoKeyboard::BlockRight},
    {kBlockUp, &TMemoKeyboard::BlockUp},         {kBlockDown, &TMemoKeyboard::BlockDown},
    {kCharLeft, &TMemoKeyboard::CharLeft},       {kWordLeft, &TMemoKeyboard::WordLeft},
    {kCharRight, &TMemoKeyboard::CharRight},     {kWordRight, &TMemoKeyboard::WordRight},
    {kLineUp, &TMemoKeyboard::LineUp},           {kLineDown, &TMemoKeyboard::LineDown},
    {kLineStart, &TMemoKeyboard::LineStart},     {kLineEnd, &TMemoKeyboard::LineEnd},
    {kTextStart, &TMemoKeyboard::TextStart},     {kTextEnd, &TMemoKeyboard::TextEnd},
    {kPageUp, &TMemoKeyboard::PageUp},           {kPageDown, &TMemoKeyboard::PageDown},
    {kTypeTab, &TMemoKeyboard::TypeTab},         {kBackspace, &TMemoKeyboard::Backspace},
    {kDelete, &TMemoKeyboard::Delete},           {kCopy, &TMemoKeyboard::Copy},
    {kPaste, &TMemoKeyboard::Paste},             {kToggleOverwrite, &TMemoKeyboard::ToggleOverwrite},
};

// ---- Decoding ---------------------------------------------------------------------------------

void TMemoKeyboard::KeyDown(ui::TKey& key, ui::TShiftState shift)
{
    TTextMemo& m = memo_;
    if (key == 0 || m.updateCount_ > 0) return;
    if (m.mouse_->TextDragging()) {
        if (key == ui::VK_CONTROL) m.ShowCursorNow(crTextMemoDragCopy);
        return;
    }
    ctrl_ = shift.Contains(ui::ssCtrl);
    shift_ = shift.Contains(ui::ssShift);
    alt_ = shift.Contains(ui::ssAlt);
    if (m.displayOnly_) {
        if (Run(DecodeKey(TMemoKeyMode::DisplayOnly, key, shift))) key = 0;
        return;
    }
    if (HotKeysApply() && Run(DecodeKey(TMemoKeyMode::HotKeys, key, shift))) {
        key = 0;
        m.ScrollCaretIntoView();
        return;
    }
    if (key >= 48) return;
    paragraph_ = m.SelPar();
    if (!m.paragraphs_[paragraph_].Formatted) m.FormatRange(paragraph_, paragraph_);
    const bool arrow = key == ui::VK_LEFT || key == ui::VK_RIGHT || key == ui::VK_UP || key == ui::VK_DOWN;
    const TMemoKeyMode mode = arrow && BlockKeysApply() ? TMemoKeyMode::ColumnBlock : TMemoKeyMode::Editing;
    caretLine_ = m.SelLine();
    if (!Run(DecodeKey(mode, key, shift))) return;
    key = 0;
    Finish();
}

bool TMemoKeyboard::Run(TMemoAction action)
{
    for (const TActionEntry& e : kActions)
        if (e.action == action) return (this->*e.run)();
    return false;
}

bool TMemoKeyboard::HotKeysApply() const noexcept { return ctrl_ && !alt_ && memo_.enableHotKeys_ && !memo_.readOnly_; }

// Shift+Alt+arrows open or stretch a column block (its moving corner follows the keys);
// inside a block Alt+arrows move as the arrows do (which ends the block).
bool TMemoKeyboard::BlockKeysApply() const noexcept
{
    return alt_ && !ctrl_ && (shift_ || memo_.columnBlock_) && memo_.options_[tmoBlockSelection] && !memo_.wordWrap_;
}

void TMemoKeyboard::Finish()
{
    memo_.UpdateCaret();
    memo_.ScrollCaretIntoView();
    if (memo_.HandleAllocated()) memo_.Update();
}

void TMemoKeyboard::KeyUp(ui::TKey key)
{
    if (memo_.mouse_->TextDragging() && key == ui::VK_CONTROL && !memo_.mouse_->DragOutside()) memo_.ShowCursorNow(ui::crDrag);
}

// ---- Display only: the view scrolls ------------------------------------------------------------

int TMemoKeyboard::WidestEnd() const noexcept { return std::max(0, memo_.widest_ - memo_.clientWidth_ + memo_.rightMargin_); }

bool TMemoKeyboard::ViewHome()
{
    memo_.ScrollToHorizontal(0);
    return true;
}

bool TMemoKeyboard::ViewEnd()
{
    memo_.ScrollToHorizontal(WidestEnd());
    return true;
}

bool TMemoKeyboard::ViewTop()
{
    memo_.ScrollToLine(0);
    return true;
}

bool TMemoKeyboard::ViewPageUp()
{
    memo_.ScrollToLine(std::max(0, memo_.TopLine() - memo_.VisibleLines() + 1));
    return true;
}

bool TMemoKeyboard::ViewBottom()
{
    memo_.ScrollToLine(std::max(0, memo_.lineCount_ - memo_.VisibleLines() + 1));
    return true;
}

bool TMemoKeyboard::ViewPageDown()
{
    const int T = memo_.TopLine(), V = memo_.VisibleLines();
    memo_.ScrollToLine(std::min(T + V - 1, std::max(0, memo_.lineCount_ - V + 1)));
    return true;
}

bool TMemoKeyboard::ViewLineUp()
{
    memo_.ScrollToLine(std::max(0, memo_.TopLine() - 1));
    return true;
}

bool TMemoKeyboard::ViewLineDown()
{
    const int T = memo_.TopLine(), V = memo_.VisibleLines();
    memo_.ScrollToLine(std::min(T + 1, std::max(0, memo_.lineCount_ - V + 1)));
    return true;
}

bool TMemoKeyboard::ViewLeft()
{
    memo_.ScrollToHorizontal(std::max(0, memo_.HorizontalOffset() - memo_.clientWidth_ / 5 - 1));
    return true;
}

bool TMemoKeyboard::ViewRight()
{
    memo_.ScrollToHorizontal(std::min(memo_.HorizontalOffset() + memo_.clientWidth_ / 5 + 1, WidestEnd()));
    return true;
}

// ---- Hot keys ---------------------------------------------------------------------------------

bool TMemoKeyboard::Bold()
{
    memo_.SetBold();
    return true;
}

bool TMemoKeyboard::Italic()
{
    memo_.SetItalic();
    return true;
}

bool TMemoKeyboard::Underline()
{
    memo_.SetUnderline();
    return true;
}

bool TMemoKeyboard::Highlight()
{
    memo_.SetHighlight();
    return true;
}

bool TMemoKeyboard::AltFont()
{
    memo_.SetAltFont();
    return true;
}

bool TMemoKeyboard::InsertTab()
{
    memo_.SetSelText("\t");
    return true;
}

bool TMemoKeyboard::PageBreak()
{
    memo_.SetSelText("\r\n\x10\r\n");
    return true;
}

bool TMemoKeyboard::Undo()
{
    memo_.Undo();
    return true;
}

bool TMemoKeyboard::Redo()
{
    memo_.Redo();
    return true;
}

// ---- Column blocks ----------------------------------------------------------------------------

bool TMemoKeyboard::BlockLeft()
{
    MoveBlockCorner(-1, 0);
    return true;
}

bool TMemoKeyboard::BlockRight()
{
    MoveBlockCorner(1, 0);
    return true;
}

bool TMemoKeyboard::BlockUp()
{
    MoveBlockCorner(0, -1);
    return true;
}

bool TMemoKeyboard::BlockDown()
{
    MoveBlockCorner(0, 1);
    return true;
}

// The moving corner goes one column or paragraph; without a block one opens at the caret.
void TMemoKeyboard::MoveBlockCorner(int columnStep, int paragraphStep)
{
    TTextMemo& m = memo_;
    const int p = paragraph_;
    int anchorPar = p, anchorCol, col;
    if (m.columnBlock_) {
        anchorPar = m.ParagraphOfOffset(m.selStart_ + m.selLength_);
        anchorCol = m.blockCol1_;
        col = m.blockCol2_;
    } else {
        anchorCol = col = m.OffsetToColumn(p, m.selStart_ - m.paragraphs_[p].Start) + m.virtualBlanks_;
    }
    col = std::max(0, col + columnStep);
    const int par = std::clamp(p + paragraphStep, 0, m.paragraphs_.Count() - 1);
    m.SelectColumnBlock(anchorPar, anchorCol, par, col);
    int beyond = 0;
    m.ColumnToOffset(par, col, &beyond);
    m.virtualBlanks_ = beyond;
    m.UpdateCaret();
    m.ScrollCaretIntoView();
}

// ---- Moves ------------------------------------------------------------------------------------

bool TMemoKeyboard::Ignore() { return true; }

bool TMemoKeyboard::IsWordBreak(int offset) const
{
    const char c = memo_.CharAt(offset);
    return c == '\r' || c == '\n' || memo_.IsSeparator(static_cast<unsigned char>(c));
}

// Left and Right step from the caret, a selection emptied first (the caret is one of its ends).
bool TMemoKeyboard::CharLeft()
{
    TTextMemo& m = memo_;
    m.rememberedX_ = -1;
    const bool hadSelection = m.selLength_ != 0 || m.columnBlock_;
    if (!shift_) m.MoveCaretTo(m.selStart_, false);
    if (m.virtualBlanks_ > 0) {
        --m.virtualBlanks_;
        return true;
    }
    if (m.selStart_ == 0) return hadSelection && !shift_;  // nowhere to go: the key stays the caller's
    m.MoveCaretTo(StepBack(m.selStart_), shift_);
    return true;
}

bool TMemoKeyboard::IsCodeAt(int offset) const
{
    return memo_.staticFormat_ && IsStyleCode(static_cast<unsigned char>(memo_.CharAt(offset)));
}

// One character back within the paragraph (over style codes with PassOverCodes); a step
// that ends on a style code is no step, and without one the caret goes over the break to
// the previous paragraph's end (before its trailing blanks with tmoDiscardTrailingSpaces).
int TMemoKeyboard::StepBack(int from) const
{
    const TTextMemo& m = memo_;
    const int p = m.ParagraphOfOffset(from);
    const TParagraphRec& rec = m.paragraphs_[p];
    if (from > rec.Start) {
        int pos = m.PrevCharOffset(from);
        if (!m.passOverCodes_) return pos;
        while (pos > rec.Start && IsCodeAt(pos)) pos = m.PrevCharOffset(pos);
        if (!IsCodeAt(pos)) return pos;
    }
    if (m.columnBlock_ || p == 0) return from;
    const TParagraphRec& prev = m.paragraphs_[p - 1];
    int pos = prev.Start + prev.Length();
    if (m.options_[tmoDiscardTrailingSpaces])
        while (pos > prev.Start && IsBlankOrTab(m.CharAt(pos - 1))) --pos;
    return pos;
}

bool TMemoKeyboard::WordLeft()
{
    TTextMemo& m = memo_;
    m.rememberedX_ = -1;
    if (m.selStart_ == 0 && m.virtualBlanks_ == 0) return false;
    m.virtualBlanks_ = 0;
    m.MoveCaretTo(PrevWordStart(m.selStart_), shift_);
    return true;
}

// Back over separators to the start of the word before them; at a paragraph start to the
// end of the previous paragraph.
int TMemoKeyboard::PrevWordStart(int from) const
{
    const TTextMemo& m = memo_;
    int pos = m.PrevCharOffset(from);
    while (pos > 0 && m.IsSeparator(static_cast<unsigned char>(m.CharAt(pos)))) pos = m.PrevCharOffset(pos);
    if (m.CharAt(pos) == '\n') return std::max(0, pos - 1);
    if (m.CharAt(pos) == '\r') return pos;
    while (pos > 0 && !IsWordBreak(m.PrevCharOffset(pos))) pos = m.PrevCharOffset(pos);
    return pos;
}

bool TMemoKeyboard::CharRight()
{
    TTextMemo& m = memo_;
    m.rememberedX_ = -1;
    if (!shift_) m.MoveCaretTo(m.selStart_, false);
    const TParagraphRec& rec = m.paragraphs_[paragraph_];
    const bool atParEnd = m.selStart_ == rec.Start + rec.Length();
    if (atParEnd && ((m.options_[tmoKeepColumnPos] && !m.options_[tmoWrapCaret]) || m.columnBlock_)) {
        ++m.virtualBlanks_;
        return true;
    }
    m.virtualBlanks_ = 0;
    if (m.selStart_ >= m.textLength_) return true;
    m.MoveCaretTo(StepForward(m.selStart_), shift_);
    return true;
}

// Over style codes (PassOverCodes), over trailing blanks to the paragraph end
// (tmoDiscardTrailingSpaces, outside a block), then one character or the whole break.
int TMemoKeyboard::StepForward(int from) const
{
    const TTextMemo& m = memo_;
    int pos = from;
    if (m.passOverCodes_)
        while (pos < m.textLength_ && IsCodeAt(pos)) pos = m.NextCharOffset(pos);
    if (m.options_[tmoDiscardTrailingSpaces] && !m.columnBlock_) {
        int q = pos;
        while (q < m.textLength_ && IsBlankOrTab(m.CharAt(q))) ++q;
        if (q >= m.textLength_) return m.textLength_;
        if (m.CharAt(q) == '\r') pos = q;
    }
    return m.NextCharOffset(pos);
}

bool TMemoKeyboard::WordRight()
{
    TTextMemo& m = memo_;
    m.rememberedX_ = -1;
    m.virtualBlanks_ = 0;
    if (m.selStart_ >= m.textLength_) return true;
    m.MoveCaretTo(NextWordStart(m.selStart_), shift_);
    return true;
}

// Over the word and the separators after it; standing on a break, over the break.
int TMemoKeyboard::NextWordStart(int from) const
{
    const TTextMemo& m = memo_;
    if (m.CharAt(from) == '\r') return m.NextCharOffset(from);
    int pos = from;
    while (pos < m.textLength_ && !IsWordBreak(pos)) pos = m.NextCharOffset(pos);
    if (pos == from && m.CharAt(pos) == '\r') return m.NextCharOffset(pos);
    while (pos < m.textLength_ && m.CharAt(pos) != '\r' && m.IsSeparator(static_cast<unsigned char>(m.CharAt(pos))))
        pos = m.NextCharOffset(pos);
    return pos;
}

bool TMemoKeyboard::LineUp()
{
    TTextMemo& m = memo_;
    if (caretLine_ == 0) return false;
    const int p = paragraph_;
    if (caretLine_ == m.paragraphs_[p].FirstLine && p > 0 && !m.paragraphs_[p - 1].Formatted) m.FormatRange(p - 1, p - 1);
    m.FinishVerticalMove(m.SelLine() - 1, shift_);
    return true;
}

bool TMemoKeyboard::LineDown()
{
    TTextMemo& m = memo_;
    const int p = paragraph_;
    if (p + 1 < m.paragraphs_.Count() && !m.paragraphs_[p + 1].Formatted) m.FormatRange(p + 1, p + 1);
    if (caretLine_ < m.lineCount_ - 1) m.FinishVerticalMove(caretLine_ + 1, shift_);
    return true;
}

void TMemoKeyboard::HomeEndMove(int position)
{
    memo_.columnBlock_ = false;
    memo_.virtualBlanks_ = 0;
    memo_.rememberedX_ = -1;
    memo_.MoveCaretTo(position, shift_);
}

bool TMemoKeyboard::LineStart()
{
    TParagraphRec& rec = memo_.paragraphs_[paragraph_];
    TLinesList lines(rec);
    const int j = std::clamp(caretLine_ - rec.FirstLine, 0, lines.Count() - 1);
    HomeEndMove(rec.Start + lines[j].Start);
    return true;
}

bool TMemoKeyboard::LineEnd()
{
    TParagraphRec& rec = memo_.paragraphs_[paragraph_];
    TLinesList lines(rec);
    const int j = std::clamp(caretLine_ - rec.FirstLine, 0, lines.Count() - 1);
    if (j == lines.Count() - 1) {
        HomeEndMove(rec.Start + rec.Length());
    } else {
        // The end of a wrapped line is the next line's start: stop before its last
        // character (the blank it broke at).
        const auto last = static_cast<std::size_t>(std::max(lines[j].Start, lines[j].Stop - 1));
        HomeEndMove(rec.Start + static_cast<int>(rtl::Utf8CharStartAt(rec.Text, last)));
    }
    return true;
}

bool TMemoKeyboard::TextStart()
{
    HomeEndMove(0);
    return true;
}

bool TMemoKeyboard::TextEnd()
{
    HomeEndMove(memo_.textLength_);
    return true;
}

bool TMemoKeyboard::PageUp()
{
    TTextMemo& m = memo_;
    const int lh = std::max(1, m.lineHeight_);
    const int V = m.VisibleLines();
    const int target = std::max(0, caretLine_ - V + 1);
    m.FormatRange(m.ParagraphOfLine(target), paragraph_);
    if (!ctrl_) m.ScrollToTopPixel(std::max(0, m.TopPixel() - (V - 1) * lh));
    m.FinishVerticalMove(std::max(0, m.SelLine() - V + 1), shift_);
    return true;
}

bool TMemoKeyboard::PageDown()
{
    TTextMemo& m = memo_;
    const long long lh = std::max(1, m.lineHeight_);
    const int V = m.VisibleLines();
    m.FormatUpToLine(caretLine_ + 2 * V);
    const int N = m.lineCount_;
    if (!ctrl_) m.ScrollToTopPixel(static_cast<int>(std::min<long long>((N - 1) * lh, static_cast<long long>(m.TopPixel()) + (V - 1) * lh)));
    m.FinishVerticalMove(std::min(caretLine_ + V - 1, N - 1), shift_);
    return true;
}

// ---- Edits and the clipboard ------------------------------------------------------------------

bool TMemoKeyboard::TypeTab()
{
    if (!memo_.readOnly_) memo_.SetSelText("\t");
    return true;
}

bool TMemoKeyboard::Backspace()
{
    DeleteKey(true);
    return true;
}

bool TMemoKeyboard::Delete()
{
    DeleteKey(false);
    return true;
}

bool TMemoKeyboard::Copy()
{
    memo_.CopyToClipboard();
    return true;
}

bool TMemoKeyboard::Paste()
{
    if (!memo_.readOnly_) memo_.PasteFromClipboard();
    return true;
}

bool TMemoKeyboard::ToggleOverwrite()
{
    if (memo_.options_[tmoInsertKeyActive]) {
        memo_.SetOverwrite(!memo_.overwrite_);
        memo_.OnStyleChange(&memo_);
    }
    return true;
}

// ---- Deletion ---------------------------------------------------------------------------------

void TMemoKeyboard::DeleteKey(bool backspace)
{
    TTextMemo& m = memo_;
    if (m.readOnly_) return;
    if (!backspace && shift_ && !ctrl_) {
        if (m.selLength_ != 0) {
            m.CutToClipboard();
            return;
        }
        backspace = true;  // the character before the caret goes
    }
    if (!backspace && ctrl_) {
        DeleteToLineEnd();
        return;
    }
    if (m.selLength_ == 0) {
        if (backspace)
            SelectBackward();
        else
            SelectForward();
        if (m.selLength_ == 0) return;
        if (m.options_[tmoKeepColumnPos]) {
            DeleteKeepingColumn(backspace);
            return;
        }
    }
    m.ReplaceSelection("");
}

// Keeping columns, the caret stays where it stood on the screen: what the deletion pulled
// from under it becomes virtual blanks.
void TMemoKeyboard::DeleteKeepingColumn(bool backspace)
{
    TTextMemo& m = memo_;
    if (backspace) {
        const int before = ColumnInLine(m.SelFrom());
        m.ReplaceSelection("");
        m.virtualBlanks_ = std::max(0, before - ColumnInLine(m.selStart_));
        return;
    }
    const int xBefore = m.CaretX();
    m.ReplaceSelection("");
    const int xAfter = m.CaretX();
    if (xBefore > xAfter) m.virtualBlanks_ = (xBefore - xAfter) / std::max(1, m.blankWidth_);
}

// Characters from the start of the display line holding `offset` to it.
int TMemoKeyboard::ColumnInLine(int offset)
{
    TTextMemo& m = memo_;
    TParagraphRec& rec = m.paragraphs_[m.ParagraphOfOffset(offset)];
    const int in = offset - rec.Start;
    const int start = std::clamp(TLinesList(rec)[rec.LineOfOffset(in)].Start, 0, in);
    return static_cast<int>(rtl::Utf8CharCount(std::string_view(rec.Text).substr(static_cast<std::size_t>(start), static_cast<std::size_t>(in - start))));
}

// A selection within one display line reaches to that line's end first.
void TMemoKeyboard::DeleteToLineEnd()
{
    TTextMemo& m = memo_;
    const int p = m.SelPar();
    TParagraphRec& rec = m.paragraphs_[p];
    const int line = m.SelLine();
    TLinesList lines(rec);
    const int j = std::clamp(line - rec.FirstLine, 0, lines.Count() - 1);
    const int lineEnd = rec.Start + (j == lines.Count() - 1 ? rec.Length() : lines[j].Stop);
    if (m.ParagraphOfOffset(m.SelTo()) == p && m.SelTo() <= lineEnd && m.SelFrom() >= rec.Start + lines[j].Start) {
        const int from = m.SelFrom();
        m.MoveCaretTo(from, false);
        m.selLength_ = lineEnd - from;
    }
    m.ReplaceSelection("");
}

void TMemoKeyboard::SelectBackward()
{
    TTextMemo& m = memo_;
    if (m.virtualBlanks_ > 0) {
        --m.virtualBlanks_;
        return;
    }
    if (m.selStart_ == 0) return;
    if (ctrl_)
        SelectWordBackward();
    else
        SelectCharBackward();
}

void TMemoKeyboard::SelectWordBackward()
{
    TTextMemo& m = memo_;
    const int start = m.paragraphs_[m.SelPar()].Start;
    auto separatorBefore = [&m](int o) { return m.IsSeparator(static_cast<unsigned char>(m.CharAt(m.PrevCharOffset(o)))); };
    int pos = m.selStart_;
    while (pos > start && separatorBefore(pos)) pos = m.PrevCharOffset(pos);
    while (pos > start && !separatorBefore(pos)) pos = m.PrevCharOffset(pos);
    m.selLength_ = pos - m.selStart_;
}

void TMemoKeyboard::SelectCharBackward()
{
    TTextMemo& m = memo_;
    int pos = m.PrevCharOffset(m.selStart_);
    while (pos > 0 && m.staticFormat_ && IsStyleCode(static_cast<unsigned char>(m.CharAt(pos)))) pos = m.PrevCharOffset(pos);
    m.selLength_ = pos - m.selStart_;
    if (m.options_[tmoBackIndent]) BackIndent();
}

// Back-indent: at the end of a line's indent, back to the indent of the nearest line above
// that is indented less.
void TMemoKeyboard::BackIndent()
{
    TTextMemo& m = memo_;
    const int col = m.selStart_ > m.paragraphs_[m.SelPar()].Start ? m.SelCol() : 0;
    if (col <= 0) return;
    const int line = m.SelLine();
    if (LeadingBlanks(line) != col) return;
    int target = 0;
    for (int l = line - 1; l >= 0; --l) {
        const int c = LeadingBlanks(l);
        if (c < col) {
            target = c;
            break;
        }
    }
    m.selLength_ = target - col;
}

int TMemoKeyboard::LeadingBlanks(int line) const
{
    TParagraphRec& r = memo_.paragraphs_[memo_.ParagraphOfLine(line)];
    TLinesList lines(r);
    const TLineRec& ln = lines[std::clamp(line - r.FirstLine, 0, lines.Count() - 1)];
    int n = 0;
    while (ln.Start + n < r.Length() && (r.Text[static_cast<std::size_t>(ln.Start + n)] == ' ' || r.Text[static_cast<std::size_t>(ln.Start + n)] == '\t'))
        ++n;
    return n;
}

// The style codes after the caret go with the character after them.
void TMemoKeyboard::SelectForward()
{
    TTextMemo& m = memo_;
    if (m.selStart_ >= m.textLength_) return;
    int pos = m.selStart_;
    if (m.staticFormat_)
        while (pos < m.textLength_ && IsStyleCode(static_cast<unsigned char>(m.CharAt(pos)))) pos = m.NextCharOffset(pos);
    m.selLength_ = m.NextCharOffset(pos) - m.selStart_;
}

// ---- Characters -------------------------------------------------------------------------------

void TMemoKeyboard::TypeCharacter(char32_t c)
{
    TTextMemo& m = memo_;
    if (m.updateCount_ > 0 || m.mouse_->TextDragging() || m.displayOnly_) return;
    if (m.readOnly_ && c != 3) return;
    if (c < 31 || c == 127) {
        ControlCharacter(c);
    } else {
        const std::string text = Utf8Of(c);
        if (text.empty()) return;
        const TParagraphRec& rec = m.paragraphs_[m.SelPar()];
        const bool atEnd = m.selLength_ == 0 && m.selStart_ == rec.Start + rec.Length();
        if (c == ' ' && atEnd && m.options_[tmoDiscardTrailingSpaces] && m.options_[tmoKeepColumnPos]) {
            ++m.virtualBlanks_;
            m.UpdateCaret();
            m.ScrollCaretIntoView();
            return;
        }
        if (m.overwrite_ && m.selLength_ == 0 && m.selStart_ < rec.Start + rec.Length()) m.selLength_ = m.NextCharOffset(m.selStart_) - m.selStart_;
        TypeText(text);
    }
    // Auto-repeat (no key-up since the last press) shows every character at once.
    if (!keyReleased_ && m.HandleAllocated()) m.Update();
    keyReleased_ = false;
}

void TMemoKeyboard::ControlCharacter(char32_t c)
{
    TTextMemo& m = memo_;
    switch (c) {
    case 3: m.CopyToClipboard(); break;
    case 5:
        if (m.HandleAllocated()) m.Repaint();
        m.CheckConsistency();
        break;
    case 22: m.PasteFromClipboard(); break;
    case 24: m.CutToClipboard(); break;
    case 13: Enter(); break;
    default: break;
    }
}

void TMemoKeyboard::Enter()
{
    TTextMemo& m = memo_;
    if (m.overwrite_ && m.selLength_ == 0) {
        EnterOverwrite();
        return;
    }
    const std::string indent = m.options_[tmoAutoIndent] && m.selLength_ == 0 ? AutoIndent() : std::string();
    const TParagraphRec& here = m.paragraphs_[m.SelPar()];
    if (indent.empty() || !m.options_[tmoDiscardTrailingSpaces] || m.selLength_ != 0 || m.selStart_ != here.Start + here.Length()) {
        TypeText("\r\n" + indent);
        return;
    }
    // A blank line keeps no blanks: the indent waits as virtual blanks.
    int blanks = 0;
    for (const char ch : indent) blanks += ch == '\t' ? std::max(1, m.tabStops_) : 1;
    TypeText("\r\n");
    m.virtualBlanks_ = blanks;
    m.UpdateCaret();
    m.ScrollCaretIntoView();
}

void TMemoKeyboard::EnterOverwrite()
{
    TTextMemo& m = memo_;
    const int line = m.SelLine();
    if (line < m.lineCount_ - 1) {
        m.SetSelLine(line + 1);
        m.ScrollCaretIntoView();
    } else {
        m.SetSelStart(m.textLength_);
        TypeText("\r\n");
    }
}

// The leading blanks of the nearest non-empty line at or above the caret, at most as many as
// the caret's column.
std::string TMemoKeyboard::AutoIndent()
{
    TTextMemo& m = memo_;
    std::string indent;
    const int col = m.SelCol();
    for (int line = m.SelLine(); line >= 0; --line) {
        TParagraphRec& rec = m.paragraphs_[m.ParagraphOfLine(line)];
        TLinesList lines(rec);
        const TLineRec& ln = lines[std::clamp(line - rec.FirstLine, 0, lines.Count() - 1)];
        const int end = line - rec.FirstLine == lines.Count() - 1 ? rec.Length() : ln.Stop;
        if (end <= ln.Start) continue;
        for (int i = ln.Start; i < end && static_cast<int>(indent.size()) < col; ++i) {
            const char ch = rec.Text[static_cast<std::size_t>(i)];
            if (ch != ' ' && ch != '\t') break;
            indent += ch;
        }
        break;
    }
    return indent;
}

void TMemoKeyboard::TypeText(const std::string& text)
{
    memo_.SetSelText(text);
    memo_.UpdateCaret();
    memo_.ScrollCaretIntoView();
}

}  // namespace editor
