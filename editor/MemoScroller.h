#pragma once
// TMemoScroller: the view of a TTextMemo over its text and the window's scroll bars. It keeps
// the scroll state (the top pixel, which may be negative, the horizontal offset, the top-line
// navigator, the pixels per scroll-bar step and which bars the window has) and does every
// scroll: to a place, to a line, to the caret, by scroll-bar message and by the wheel.
// Scroll-bar units keep every range below 32760 steps however tall or wide the text.
//
// A scroll moves the window's pixels when it can (nothing with a tiled background picture,
// which would no longer match) and tells OnHScroll, OnVScroll and the change receivers.

#include "platform/ui/Types.h"

#include <memory>

namespace editor {

class TTextMemo;
class TTextNavigator;

class TMemoScroller {
public:
    explicit TMemoScroller(TTextMemo& memo);
    ~TMemoScroller();
    TMemoScroller(const TMemoScroller&) = delete;
    TMemoScroller& operator=(const TMemoScroller&) = delete;

    int TopPixel() const noexcept { return topPixel_; }
    int HorizontalOffset() const noexcept { return hOffset_; }
    int VertUnit() const noexcept { return vUnit_; }
    int HorzUnit() const noexcept { return hUnit_; }
    int WheelAccumulator() const noexcept { return wheelAccumulator_; }
    bool VerticalBar() const noexcept { return vBar_; }
    bool HorizontalBar() const noexcept { return hBar_; }
    void SetBars(bool vertical, bool horizontal) noexcept;
    // The display line at the top of the view.
    int TopLine();
    // A new text: the top line is found anew (`toTop`: and the view returns to the top).
    void ResetView(bool toTop) noexcept;

    void ScrollTo(int topPixel, int horizontalOffset);
    // After a font change: the view at the top-left, the bars set anew, OnVScroll fired.
    void ResetForFont();
    void ScrollToLine(int line);
    void ScrollCaretIntoView();
    // Units, ranges and pages of the bars (units also without a window).
    void UpdateVertScrollBar();
    void UpdateHorzScrollBar();
    // WM_VSCROLL and WM_HSCROLL (nothing while an update is open) and the wheel's delta.
    void VScroll(int code, int pos);
    void HScroll(int code, int pos);
    void Wheel(int delta);

private:
    int CaretLine(int paragraph) const;
    int HorizontalForCaret();
    int TopForCaret(int paragraph);
    void MoveWindowPixels(long long dx, long long dy);

    TTextMemo& memo_;
    std::unique_ptr<TTextNavigator> topLine_;
    int topPixel_ = 0;
    int hOffset_ = 0;
    int vUnit_ = 1;
    int hUnit_ = 1;
    int wheelAccumulator_ = 0;
    bool vBar_ = true;
    bool hBar_ = false;
};

}  // namespace editor
