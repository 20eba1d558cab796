// The mouse side of TTextMemo (see MemoMouse.h).

#include "editor/MemoMouse.h"

#include "editor/TextHighlighter.h"
#include "editor/TextMemo.h"

#include "platform/rtl/Scope.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Screen.h"

#include <algorithm>
#include <climits>

namespace editor {

// ---- Pressing ---------------------------------------------------------------------------------

void TMemoMouse::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TTextMemo& m = memo_;
    if (m.updateCount_ > 0) return;
    if (button == ui::mbLeft) LeftDown(shift, x, y);
    if (m.HandleAllocated() && !m.Focused() && m.CanFocus()) m.SetFocus();
    m.OnAfterMouseDown(&m, button, shift, x, y);
}

void TMemoMouse::LeftDown(ui::TShiftState shift, int x, int y)
{
    TTextMemo& m = memo_;
    m.columnBlock_ = false;
    m.rememberedX_ = -1;
    clickedOffset_ = m.OffsetAtPoint(x, y);
    if (m.displayOnly_) return;
    mouseDown_ = true;
    if (wordSelecting_) return;  // the press of a double-click
    m.virtualBlanks_ = 0;
    overSelection_ = !m.options_[tmoNoDragnDrop] && !m.readOnly_ && m.selLength_ != 0 && !m.columnBlock_ && !m.InLeftMarginZone(x) &&
                     clickedOffset_ >= m.SelFrom() && clickedOffset_ < m.SelTo();
    if (overSelection_ && !shift.Contains(ui::ssShift)) {
        StartTextDrag();  // the caret shows the drop point, the selection stays
        return;
    }
    if (m.InLeftMarginZone(x) && m.lineCount_ > 0)
        StartLineSelection(y);
    else if (shift == ui::TShiftState{ui::ssAlt, ui::ssLeft} && m.options_[tmoBlockSelection] && !m.wordWrap_)
        StartColumnBlock(x);
    else
        ClickInText(shift, x);
    m.UpdateCaret();
}

void TMemoMouse::StartTextDrag()
{
    textDrag_ = true;
    dragOutside_ = false;
    dropOffset_ = clickedOffset_;
    memo_.ShowCursorNow(ui::crDrag);
    ShowDropCaret();
}

// While text is dragged the caret shows the drop point (the selection stays); releasing
// puts it back at the selection's end.
void TMemoMouse::ShowDropCaret()
{
    TTextMemo& m = memo_;
    if (!m.HandleAllocated() || !m.Focused() || !m.caretCreated_ || m.displayOnly_) return;
    TParagraphRec& rec = m.paragraphs_[m.ParagraphOfOffset(dropOffset_)];
    const int in = dropOffset_ - rec.Start;
    const int j = rec.LineOfOffset(in);
    const int line = rec.FirstLine + j;
    ui::SetCaretPos(m.CharPosToX(in - TLinesList(rec)[j].Start, line), m.LineTop(line - m.TopLine()));
}

void TMemoMouse::StartLineSelection(int y)
{
    TTextMemo& m = memo_;
    const long long line = std::min<long long>(static_cast<long long>(m.TopLine()) + m.LineAtY(y), m.lineCount_ - 1);
    lineSelLine_ = static_cast<int>(std::max<long long>(0, line));
    m.SelectDisplayLines(lineSelLine_, lineSelLine_);
    // The caret stands at the start of the clicked line, the line selected after it.
    m.selStart_ += m.selLength_;
    m.selLength_ = -m.selLength_;
    m.ScrollCaretIntoView();
}

// Alt+click starts a column block at the clicked column.
void TMemoMouse::StartColumnBlock(int x)
{
    lineSelLine_ = -1;
    const int par = memo_.ParagraphOfOffset(clickedOffset_);
    const int col = ColumnAt(x);
    memo_.SelectColumnBlock(par, col, par, col);
}

int TMemoMouse::ColumnAt(int x) const
{
    const TTextMemo& m = memo_;
    return static_cast<int>(std::max<long long>(0, (static_cast<long long>(x) + m.HorizontalOffset() - m.leftMargin_) / std::max(1, m.blankWidth_)));
}

void TMemoMouse::ClickInText(ui::TShiftState shift, int x)
{
    TTextMemo& m = memo_;
    lineSelLine_ = -1;
    m.MoveCaretTo(clickedOffset_, shift.Contains(ui::ssShift));
    // Keeping columns: a click beyond the paragraph end or inside a tab's span keeps the
    // distance as virtual blanks.
    const TParagraphRec& rec = m.paragraphs_[m.SelPar()];
    const int in = m.selStart_ - rec.Start;
    if (!m.options_[tmoKeepColumnPos] || (in != rec.Length() && rec.Text[static_cast<std::size_t>(in)] != kTab)) return;
    const int line = m.SelLine();
    const int lineStart = TLinesList(m.paragraphs_[m.SelPar()])[rec.LineOfOffset(in)].Start;
    m.virtualBlanks_ = std::max(0, x - m.CharPosToX(in - lineStart, line)) / std::max(1, m.blankWidth_);
}

void TMemoMouse::DblClick()
{
    TTextMemo& m = memo_;
    if (m.displayOnly_ || m.updateCount_ != 0) return;
    wordSelecting_ = true;
    m.SelectWord(true);
    m.UpdateCaret();
}

// ---- Moving -----------------------------------------------------------------------------------

bool TMemoMouse::MouseMove(ui::TShiftState shift, int x, int y)
{
    TTextMemo& m = memo_;
    lastMouseX_ = x;
    lastMouseY_ = y;
    if (m.updateCount_ > 0) return true;
    const int pos = m.OffsetAtPoint(x, std::min(y, std::max(0, m.LineTop(m.lineCount_ - m.TopLine()) - 1)));
    if (!mouseDown_) {
        Hover(pos, x, y);
        return true;
    }
    if (!shift.Contains(ui::ssLeft)) return true;
    return DragTo(pos, x, y);
}

void TMemoMouse::Hover(int pos, int x, int y)
{
    TTextMemo& m = memo_;
    overSelection_ = !m.options_[tmoNoDragnDrop] && m.selLength_ != 0 && !m.columnBlock_ && !m.readOnly_ && !m.displayOnly_ &&
                     pos >= m.SelFrom() && pos < m.SelTo() && !m.InLeftMarginZone(x);
    lineSelLine_ = m.InLeftMarginZone(x) ? m.TopLine() + m.LineAtY(y) : -1;
    ShowHoverCursor(HoverCursor(pos));
}

// The cursor tells what a press would do: an arrow over a selection that can be dragged, a
// context run's own cursor over it, else the control's cursor (0).
ui::TCursor TMemoMouse::HoverCursor(int pos) const
{
    const TTextMemo& m = memo_;
    if (overSelection_) return ui::crArrow;
    if (lineSelLine_ >= 0 || pos >= m.textLength_) return 0;
    const TParagraphRec& rec = m.paragraphs_[m.ParagraphOfOffset(pos)];
    const int in = pos - rec.Start;
    const TStyleRec& sr = rec.StyleAt(in + 1);
    return in < rec.Length() && (sr.Flags & srContext) && sr.Attr16 != 0 ? static_cast<ui::TCursor>(sr.Attr16) : 0;
}

void TMemoMouse::ShowHoverCursor(ui::TCursor wanted)
{
    TTextMemo& m = memo_;
    if (wanted != 0) {
        if (!cursorChanged_) savedCursor_ = m.Cursor();
        cursorChanged_ = true;
        if (m.Cursor() != wanted) m.SetCursor(wanted);
    } else if (cursorChanged_) {
        cursorChanged_ = false;
        m.SetCursor(savedCursor_);
    }
}

bool TMemoMouse::DragTo(int pos, int x, int y)
{
    TTextMemo& m = memo_;
    const int dir = ScrollDirectionAt(x, y);
    autoSpeed_ = ScrollSpeed(dir, x, y);
    const int previous = autoDir_;
    autoDir_ = dir;
    if (dir == 0) StopAutoScroll();
    if (textDrag_)
        DragText(pos, x, y, dir);
    else if (m.columnBlock_)
        StretchBlock(pos, x);
    else if (lineSelLine_ >= 0)
        ExtendLineSelection(y);
    else if (pos != m.selStart_)
        ExtendSelection(pos);
    if (dir != 0 && dir != previous && !autoStepping_) {
        AutoScrollStep();
        return false;  // the step moved the mouse itself
    }
    return true;
}

// Which way to scroll, the last match winning: 0 none, 1 up, 2 down, 3 left, 4 right.
int TMemoMouse::ScrollDirectionAt(int x, int y) const noexcept
{
    const int cw = memo_.clientWidth_, ch = memo_.clientHeight_;
    int dir = 0;
    if (x < 0 && (!textDrag_ || x > -24)) dir = 3;
    if (x > cw && (!textDrag_ || x < cw + 24)) dir = 4;
    if (y < -3 && (!textDrag_ || y > -27)) dir = 1;
    if (y > ch && (!textDrag_ || y < ch + 24)) dir = 2;
    if (textDrag_ && (dir == 1 || dir == 2) && (x < -3 || x > cw + 3)) dir = 0;
    return dir;
}

int TMemoMouse::ScrollSpeed(int dir, int x, int y) const noexcept
{
    switch (dir) {
    case 1: return -y / 3;
    case 2: return (y - memo_.clientHeight_) / 3;
    case 3: return -x / 3;
    case 4: return (x - memo_.clientWidth_) / 3;
    default: return 0;
    }
}

void TMemoMouse::DragText(int pos, int x, int y, int dir)
{
    TTextMemo& m = memo_;
    if (x >= 1 && x < m.clientWidth_ && y >= 1 && y < m.clientHeight_) {
        if (dragOutside_) m.ShowCursorNow(ui::IsKeyDown(ui::VK_CONTROL) ? crTextMemoDragCopy : ui::crDrag);
        dragOutside_ = false;
        dropOffset_ = pos;
        ShowDropCaret();
    } else if (dir == 0) {
        m.ShowCursorNow(ui::crNoDrop);
        dragOutside_ = true;
    }
}

void TMemoMouse::StretchBlock(int pos, int x)
{
    TTextMemo& m = memo_;
    const int par = m.ParagraphOfOffset(pos);
    const int col = ColumnAt(x);
    if (par != m.SelPar() || col != m.blockCol2_) m.SelectColumnBlock(m.ParagraphOfOffset(m.selStart_ + m.selLength_), m.blockCol1_, par, col);
}

void TMemoMouse::ExtendLineSelection(int y)
{
    TTextMemo& m = memo_;
    const int line = std::clamp(m.TopLine() + m.LineAtY(y), 0, m.lineCount_ - 1);
    m.SelectDisplayLines(lineSelLine_, line);
    m.UpdateCaret();
}

void TMemoMouse::ExtendSelection(int pos)
{
    memo_.MoveCaretTo(pos, true);
    if (wordSelecting_) WidenToWords(pos);
    memo_.UpdateCaret();
}

// Whole words from the clicked one to the one under the mouse.
void TMemoMouse::WidenToWords(int pos)
{
    TTextMemo& m = memo_;
    const int a = std::min(pos, clickedOffset_), b = std::max(pos, clickedOffset_);
    m.selStart_ = a;
    m.selLength_ = 0;
    m.SelectWord(false);
    const int start = m.selStart_;
    m.selStart_ = b;
    m.selLength_ = 0;
    m.SelectWord(true);
    const int end = m.SelTo();
    m.InvalidateSelection();
    if (pos >= clickedOffset_) {
        m.selStart_ = end;
        m.selLength_ = start - end;
    } else {
        m.selStart_ = start;
        m.selLength_ = end - start;
    }
    m.InvalidateSelection();
}

// ---- Auto-scrolling -----------------------------------------------------------------------------

// One auto-scroll step: the view moves one line (or a twentieth of the width), the mouse is
// taken as standing beyond the edge, and the next step is timed by the speed.
void TMemoMouse::AutoScrollStep()
{
    TTextMemo& m = memo_;
    if (autoDir_ == 0 || !mouseDown_) {
        StopAutoScroll();
        return;
    }
    int x = lastMouseX_, y = lastMouseY_;
    switch (autoDir_) {
    case 1:
        if (m.TopLine() > 0) m.Perform(ui::WM_VSCROLL, ui::SB_LINEUP);
        y = -3 * autoSpeed_;
        break;
    case 2:
        if (m.TopLine() <= m.lineCount_ - m.VisibleLines()) m.Perform(ui::WM_VSCROLL, ui::SB_LINEDOWN);
        y = m.clientHeight_ + 3 * autoSpeed_;
        break;
    case 3:
        if (m.HorizontalOffset() > 0) m.Perform(ui::WM_HSCROLL, ui::SB_LINELEFT);
        x = -3 * autoSpeed_;
        break;
    default:
        if (static_cast<long long>(m.widest_) - m.clientWidth_ > m.HorizontalOffset()) m.Perform(ui::WM_HSCROLL, ui::SB_LINERIGHT);
        x = m.clientWidth_ + 3 * autoSpeed_;
        break;
    }
    autoStepping_ = true;
    {
        rtl::TScopeExit done([this] { autoStepping_ = false; });
        m.MouseMove(ui::TShiftState{ui::ssLeft}, x, y);
    }
    if (autoDir_ == 0 || !mouseDown_)
        StopAutoScroll();
    else
        m.SetTimer(TTextMemo::kAutoScrollTimer, TTextMemo::AutoScrollDelay(autoSpeed_));
}

void TMemoMouse::StopAutoScroll()
{
    autoDir_ = 0;
    memo_.KillTimer(TTextMemo::kAutoScrollTimer);
}

// ---- Releasing --------------------------------------------------------------------------------

void TMemoMouse::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TTextMemo& m = memo_;
    if (wordSelecting_) m.UpdateCaret();
    mouseDown_ = false;
    wordSelecting_ = false;
    StopAutoScroll();
    if (button == ui::mbRight) {
        overSelection_ = false;
        ShowHoverCursor(0);  // the cursor the control had before hovering changed it
    }
    lastMouseX_ = x;
    lastMouseY_ = y;
    if (!textDrag_) {
        ClickUp(button, shift, x, y);
        return;
    }
    EndTextDrag(shift);
    overSelection_ = false;
    m.ui::TCustomControl::MouseUp(button, shift, x, y);
}

void TMemoMouse::ClickUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TTextMemo& m = memo_;
    const bool context = ContextClick(button, x, y);
    m.ui::TCustomControl::MouseUp(button, shift, x, y);
    lineSelLine_ = -1;
    if (!context && !m.displayOnly_ && button == ui::mbLeft) m.ScrollCaretIntoView();
}

// A click on a context run tells the receivers and OnContext which run it was.
bool TMemoMouse::ContextClick(ui::TMouseButton button, int x, int y)
{
    TTextMemo& m = memo_;
    const int pos = m.OffsetAtPoint(x, y);
    const bool listened = m.OnContext || !m.receivers_.empty() || m.highlighter_;
    if ((pos != clickedOffset_ && button != ui::mbRight) || pos >= m.textLength_ || m.updateCount_ != 0 || !listened) return false;
    const TParagraphRec& rec = m.paragraphs_[m.ParagraphOfOffset(pos)];
    const int in = pos - rec.Start;
    const int index = rec.StyleIndexAt(in + 1);
    const TStyleRec& sr = rec.StyleAt(in + 1);
    if (in >= rec.Length() || !(sr.Flags & srContext) || sr.Context == 0) return false;
    const int start = rec.Start + (index >= 0 ? rec.Styles[static_cast<std::size_t>(index)].Offset : 0);
    const int stop = rec.Start + (index + 1 < static_cast<int>(rec.Styles.size()) ? rec.Styles[static_cast<std::size_t>(index + 1)].Offset : rec.Length());
    const int context = sr.Context;
    if (!m.receivers_.empty() || m.highlighter_) {
        std::string run = m.GetTextPart(start, stop);
        m.Perform(button == ui::mbRight ? kRightContextClickMessage : kContextClickMessage, context, reinterpret_cast<std::intptr_t>(&run));
    }
    m.OnContext(&m, context, start, stop);
    contextClicked_ = button == ui::mbRight;  // no popup menu after it
    return true;
}

bool TMemoMouse::TakeContextClick() noexcept
{
    const bool clicked = contextClicked_;
    contextClicked_ = false;
    return clicked;
}

void TMemoMouse::EndTextDrag(ui::TShiftState shift)
{
    TTextMemo& m = memo_;
    textDrag_ = false;
    m.ShowCursorNow(m.Cursor());
    m.UpdateCaret();  // back from the drop point to the selection's end
    if (dragOutside_ || m.updateCount_ != 0) return;
    if (dropOffset_ < m.SelFrom() || dropOffset_ > m.SelTo()) {
        DropText(shift.Contains(ui::ssCtrl));
    } else {
        m.MoveCaretTo(dropOffset_, false);
        m.OnSelMove(&m);
    }
    m.UpdateCaret();
    m.ScrollCaretIntoView();
}

// A move deletes the selection and inserts it at the drop point as one undo step; a copy
// only inserts.
void TMemoMouse::DropText(bool copy)
{
    TTextMemo& m = memo_;
    const int from = m.SelFrom(), to = m.SelTo();
    const std::string text = m.SelText();
    auto command = rtl::MakeScope(m.undo_, &TUndoStack::BeginCommand, &TUndoStack::EndCommand);
    int drop = dropOffset_;
    if (!copy) {
        m.ReplaceSelection("");
        if (drop > to) drop -= to - from;
    }
    m.MoveCaretTo(drop, false);
    m.undo_.BreakGroup();
    m.ReplaceSelection(text);
    const int end = m.selStart_;
    m.MoveCaretTo(drop, false);
    m.MoveCaretTo(end, true);
}

}  // namespace editor
