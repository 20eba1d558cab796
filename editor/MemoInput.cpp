// Input of TTextMemo: the control's key and mouse methods hand on to the keyboard
// (MemoKeyboard.h) and the mouse (MemoMouse.h) after the inherited handling fired the event;
// here live the positions and caret moves both of them use.

#include "editor/TextMemo.h"

#include "editor/MemoKeyboard.h"
#include "editor/MemoMouse.h"

#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Screen.h"

#include <algorithm>
#include <climits>

namespace editor {

int TTextMemo::AutoScrollDelay(int speed) noexcept
{
    static constexpr int kDelays[] = {0, 400, 300, 200, 130, 78, 48, 30};
    return speed >= 0 && speed <= 7 ? kDelays[speed] : 0;
}

// ---- Positions --------------------------------------------------------------------------------

int TTextMemo::OffsetAtPoint(int x, int y)
{
    const long long line = static_cast<long long>(TopLine()) + LineAtY(y);
    if (line < 0) return 0;
    FormatUpToLine(static_cast<int>(std::min<long long>(line, INT_MAX - 1)));
    if (line >= lineCount_) return textLength_;
    const int l = static_cast<int>(line);
    TParagraphRec& rec = paragraphs_[ParagraphOfLine(l)];
    TLinesList lines(rec);
    const int j = std::clamp(l - rec.FirstLine, 0, lines.Count() - 1);
    return rec.Start + lines[j].Start + XToCharPos(options_[tmoKeepColumnPos], x, l);
}

bool TTextMemo::InLeftMarginZone(int x) const noexcept
{
    return !options_[tmoNoLineSelection] && static_cast<long long>(x) < static_cast<long long>(leftMargin_) - 2 - HorizontalOffset();
}

// Moves the caret; with `extend` the far end of the selection stays where it was.
void TTextMemo::MoveCaretTo(int offset, bool extend)
{
    offset = SnapOffset(std::clamp(offset, 0, textLength_));
    InvalidateSelection();
    if (extend) {
        const int far = selStart_ + selLength_;
        selStart_ = offset;
        selLength_ = far - offset;
    } else {
        selStart_ = offset;
        selLength_ = 0;
        columnBlock_ = false;
    }
    undo_.BreakGroup();
    InvalidateSelection();
}

void TTextMemo::FinishVerticalMove(int line, bool extend)
{
    virtualBlanks_ = 0;
    line = std::clamp(line, 0, lineCount_ - 1);
    if (rememberedX_ < 0 || (!wordWrap_ && options_[tmoPutExtraSpaces] && !options_[tmoKeepColumnPos])) rememberedX_ = std::max(0, CaretX());
    TParagraphRec& rec = paragraphs_[ParagraphOfLine(line)];
    TLinesList lines(rec);
    const int j = std::clamp(line - rec.FirstLine, 0, lines.Count() - 1);
    const int offset = rec.Start + lines[j].Start + XToCharPos(options_[tmoKeepColumnPos], rememberedX_, line);
    const int keep = rememberedX_;
    const bool block = columnBlock_;
    MoveCaretTo(offset, extend);
    rememberedX_ = keep;
    // Short of the remembered x at a paragraph end or on a tab, the rest becomes virtual
    // blanks (keeping columns without Shift, and in a column block).
    if (!(options_[tmoKeepColumnPos] || block) || (extend && !block)) return;
    const int in = selStart_ - rec.Start;
    if (in != rec.Length() && rec.Text[static_cast<std::size_t>(in)] != kTab) return;
    const int x = CharPosToX(in - lines[j].Start, line);
    if (x < rememberedX_) virtualBlanks_ = (rememberedX_ - x) / std::max(1, blankWidth_);
}

void TTextMemo::SelectDisplayLines(int fromLine, int toLine)
{
    auto lineStart = [&](int line) {
        if (line >= lineCount_) return textLength_;
        TParagraphRec& rec = paragraphs_[ParagraphOfLine(line)];
        TLinesList lines(rec);
        return rec.Start + lines[std::clamp(line - rec.FirstLine, 0, lines.Count() - 1)].Start;
    };
    const int a = lineStart(std::min(fromLine, toLine));
    const int b = lineStart(std::max(fromLine, toLine) + 1);
    InvalidateSelection();
    if (toLine < fromLine) {
        selStart_ = a;
        selLength_ = b - a;
    } else {
        selStart_ = b;
        selLength_ = a - b;
    }
    selStart_ = SnapOffset(selStart_);
    InvalidateSelection();
}

// ---- The control's input methods -----------------------------------------------------------

void TTextMemo::KeyDown(ui::TKey& key, ui::TShiftState shift)
{
    ui::TCustomControl::KeyDown(key, shift);
    keyboard_->KeyDown(key, shift);
}

void TTextMemo::KeyUp(ui::TKey& key, ui::TShiftState shift)
{
    keyboard_->NoteKeyReleased();
    ui::TCustomControl::KeyUp(key, shift);
    keyboard_->KeyUp(key);
}

void TTextMemo::KeyPress(char& key)
{
    ui::TCustomControl::KeyPress(key);
    if (key == 0) return;
    TypeCharacter(static_cast<unsigned char>(key));
}

void TTextMemo::TypeCharacter(char32_t code) { keyboard_->TypeCharacter(code); }

void TTextMemo::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    ui::TCustomControl::MouseDown(button, shift, x, y);
    mouse_->MouseDown(button, shift, x, y);
}

void TTextMemo::MouseMove(ui::TShiftState shift, int x, int y)
{
    if (mouse_->MouseMove(shift, x, y)) ui::TCustomControl::MouseMove(shift, x, y);
}

void TTextMemo::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) { mouse_->MouseUp(button, shift, x, y); }

void TTextMemo::DblClick()
{
    mouse_->DblClick();
    ui::TCustomControl::DblClick();
}

int TTextMemo::AutoScrollDirection() const noexcept { return mouse_->AutoScrollDirection(); }

int TTextMemo::AutoScrollSpeed() const noexcept { return mouse_->AutoScrollSpeed(); }

bool TTextMemo::TextDragging() const noexcept { return mouse_->TextDragging(); }

}  // namespace editor
