#pragma once
// TCustomControl: a windowed control that paints itself through its canvas and answers
// window messages (Dispatch). The window system delivers input as messages (keys, mouse,
// wheel, focus, scroll bars, timers, cursor questions) and paints by calling PaintWindow,
// which sends WM_ERASEBKGND and WM_PAINT. The scroll bars keep the old desktop's model
// (range, page, position) here; the window system only mirrors it.

#include <cstdint>

#include "platform/ui/Canvas.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StdCtrls.h"

namespace ui {

// SetScrollInfo masks.
constexpr unsigned SIF_RANGE = 0x1;
constexpr unsigned SIF_PAGE = 0x2;
constexpr unsigned SIF_POS = 0x4;
constexpr unsigned SIF_DISABLENOSCROLL = 0x8;
constexpr unsigned SIF_TRACKPOS = 0x10;
constexpr unsigned SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

struct TScrollInfo {
    int Min = 0;
    int Max = 100;
    int Page = 0;
    int Pos = 0;
    int TrackPos = 0;
    friend bool operator==(const TScrollInfo&, const TScrollInfo&) = default;
};

// The highest position a scroll bar allows: Max - (Page - 1) for a page, never below Min.
int MaxScrollPos(const TScrollInfo& info);

class TCustomControl : public TWinControl {
    GW_CLASS(TCustomControl)

public:
    static constexpr int kBorderWidth = 2;  // the sunken edge of bsSingle

    explicit TCustomControl(classes::TComponent* owner);
    ~TCustomControl() override;

    TCanvas* Canvas() noexcept { return &canvas_; }

    // ---- Painting ------------------------------------------------------------------------
    // The window system paints `rect` (client coordinates) of the window through `device`:
    // the canvas draws there (clipped to rect) while WM_ERASEBKGND and WM_PAINT run.
    void PaintWindow(ICanvasDevice& device, const TRect& rect);
    // Paints the whole client area into another canvas (WM_ERASEBKGND and WM_PAINT with the
    // canvas in wParam).
    void PaintTo(TCanvas& canvas);
    // The area being painted now (the whole client area outside painting).
    TRect UpdateRect() const { return painting_ ? updateRect_ : ClientRect(); }
    bool Painting() const noexcept { return painting_; }

    // ---- Frame and scroll bars --------------------------------------------------------------
    TFormBorderStyle BorderStyle() const noexcept { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    // Which bars the window has (WS_HSCROLL, WS_VSCROLL); each shows while its range is
    // larger than its page, or always with SIF_DISABLENOSCROLL.
    TScrollStyle ScrollBars() const noexcept { return scrollBars_; }
    void SetScrollBars(TScrollStyle style);
    TScrollInfo GetScrollInfo(TScrollBarKind bar) const { return bars_[bar]; }
    // Stores the parts named by `mask`, keeps page and position inside the range and answers
    // the position.
    int SetScrollInfo(TScrollBarKind bar, const TScrollInfo& info, unsigned mask = SIF_ALL, bool redraw = true);
    int GetScrollPos(TScrollBarKind bar) const { return bars_[bar].Pos; }
    // Answers the previous position.
    int SetScrollPos(TScrollBarKind bar, int pos, bool redraw = true);
    void SetScrollRange(TScrollBarKind bar, int min, int max, bool redraw = true);
    bool ScrollBarVisible(TScrollBarKind bar) const;
    bool ScrollBarEnabled(TScrollBarKind bar) const;
    // Moves the window's pixels (ScrollWindow; see IControlPeer::ScrollContents).
    void ScrollWindow(int dx, int dy, const TRect* scroll = nullptr, const TRect* clip = nullptr);

    // The window less its border and its visible scroll bars.
    TRect ClientRect() const override;
    // True: the parent shows through wherever the control paints nothing (the window system
    // fills no background under it); false: the control paints every pixel of its window.
    virtual bool TransparentWindow() const { return false; }

    // Enter, Escape, Tab and the arrows go to the control as WM_GETDLGCODE asks.
    bool WantsKey(TKey key) const override;

    // The user worked a scroll bar: WM_VSCROLL or WM_HSCROLL with the code and position.
    void ScrollByUser(TScrollBarKind bar, int code, int pos);

protected:
    // Draws the control on Canvas (the WM_PAINT default, with the canvas's font and brush
    // set to the control's).
    virtual void Paint();
    void DefaultHandler(TMessage& message) override;
    void Resize() override;

private:
    void ScrollBarsChanged(bool wasH, bool wasV);

    TCanvas canvas_;
    TRect updateRect_;
    bool painting_ = false;
    TScrollInfo bars_[2];
    bool disableNoScroll_[2] = {false, false};
    TScrollStyle scrollBars_ = ssNone;
    TFormBorderStyle borderStyle_ = bsNone;
    bool clicked_ = false;
    int resizing_ = 0;
};

}  // namespace ui
