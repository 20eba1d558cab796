#pragma once
// TMemoMouse: the mouse side of TTextMemo. Clicks place the caret or extend the selection,
// a press in the left margin selects display lines, Alt+click opens a column block, a
// double-click selects words, a press on the selection drags its text (moved, or copied with
// Ctrl) to where it is dropped, and a click on a context run tells the receivers and OnContext.
// Held beyond an edge, the button scrolls the view on a layer timer that the editor owns:
// nothing here waits or pumps the event loop, so a handler that frees the editor cannot leave
// a loop running on in freed memory.
//
// The mouse keeps its own state (button, drag, line selection, auto-scroll, cursor); the
// editor's selection and view are the editor's.

#include "platform/ui/Types.h"

namespace editor {

class TTextMemo;

class TMemoMouse {
public:
    explicit TMemoMouse(TTextMemo& memo) : memo_(memo) {}

    // After the inherited handling (which fired the event).
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    // False when the inherited handling must not run (an auto-scroll step moved the mouse).
    bool MouseMove(ui::TShiftState shift, int x, int y);
    // Runs the inherited handling itself, at the point the event belongs.
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    void DblClick();
    void AutoScrollStep();

    int AutoScrollDirection() const noexcept { return autoDir_; }
    int AutoScrollSpeed() const noexcept { return autoSpeed_; }
    bool TextDragging() const noexcept { return textDrag_; }
    bool DragOutside() const noexcept { return dragOutside_; }
    // A right click on a context run takes the place of the popup menu.
    void ForgetContextClick() noexcept { contextClicked_ = false; }
    bool TakeContextClick() noexcept;

private:
    void LeftDown(ui::TShiftState shift, int x, int y);
    void StartTextDrag();
    void ShowDropCaret();
    void StartLineSelection(int y);
    void StartColumnBlock(int x);
    void ClickInText(ui::TShiftState shift, int x);
    int ColumnAt(int x) const;
    void Hover(int pos, int x, int y);
    ui::TCursor HoverCursor(int pos) const;
    void ShowHoverCursor(ui::TCursor wanted);
    bool DragTo(int pos, int x, int y);
    int ScrollDirectionAt(int x, int y) const noexcept;
    int ScrollSpeed(int dir, int x, int y) const noexcept;
    void DragText(int pos, int x, int y, int dir);
    void StretchBlock(int pos, int x);
    void ExtendLineSelection(int y);
    void ExtendSelection(int pos);
    void WidenToWords(int pos);
    void StopAutoScroll();
    void ClickUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    bool ContextClick(ui::TMouseButton button, int x, int y);
    void EndTextDrag(ui::TShiftState shift);
    void DropText(bool copy);

    TTextMemo& memo_;
    bool mouseDown_ = false;
    bool wordSelecting_ = false;
    bool textDrag_ = false;
    bool dragOutside_ = false;
    bool overSelection_ = false;
    int lineSelLine_ = -1;
    int clickedOffset_ = 0;
    int dropOffset_ = 0;
    int autoDir_ = 0;
    int autoSpeed_ = 0;
    bool autoStepping_ = false;
    bool contextClicked_ = false;
    bool cursorChanged_ = false;
    ui::TCursor savedCursor_ = 0;
    int lastMouseX_ = 0;
    int lastMouseY_ = 0;
};

}  // namespace editor
