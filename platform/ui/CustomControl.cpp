#include "platform/ui/CustomControl.h"

#include <algorithm>

#include "platform/rtl/Scope.h"
#include "platform/ui/Screen.h"

namespace ui {

int MaxScrollPos(const TScrollInfo& info) { return std::max(info.Min, info.Max - std::max(info.Page - 1, 0)); }

GW_IMPLEMENT_CLASS(TCustomControl, TWinControl) {}

TCustomControl::TCustomControl(classes::TComponent* owner) : TWinControl(owner)
{
    SetTabStop(true);
}

TCustomControl::~TCustomControl() = default;

// ---- Painting ------------------------------------------------------------------------------

void TCustomControl::PaintWindow(ICanvasDevice& device, const TRect& rect)
{
    const TRect client = ClientRect();
    canvas_.SetDevice(&device);
    canvas_.SetBounds({0, 0, client.Width(), client.Height()});
    canvas_.SetClipRect(rect);
    updateRect_ = rect;
    painting_ = true;
    rtl::TScopeExit done([this] {
        painting_ = false;
        canvas_.SetClipRegion(nullptr);
        canvas_.SetDevice(nullptr);
    });
    Perform(WM_ERASEBKGND);
    Perform(WM_PAINT);
}

void TCustomControl::PaintTo(TCanvas& canvas)
{
    Perform(WM_ERASEBKGND, reinterpret_cast<std::intptr_t>(&canvas));
    Perform(WM_PAINT, reinterpret_cast<std::intptr_t>(&canvas));
}

void TCustomControl::Paint() {}

void TCustomControl::DefaultHandler(TMessage& m)
{
    switch (m.Msg) {
    case WM_PAINT:
    case WM_ERASEBKGND: {
        // Painting into another canvas: this canvas draws on its device for the while, and
        // lets go of it even when painting fails (the other canvas may not outlive it).
        auto* target = reinterpret_cast<TCanvas*>(m.WParam);
        ICanvasDevice* saved = canvas_.Device();
        const bool wasPainting = painting_;
        const TRect savedRect = updateRect_;
        rtl::TScopeExit restore([&] {
            if (target == nullptr) return;
            canvas_.SetDevice(saved);
            updateRect_ = savedRect;
            painting_ = wasPainting;
        });
        if (target != nullptr) {
            canvas_.SetDevice(target->Device());
            updateRect_ = {0, 0, ClientWidth(), ClientHeight()};
            painting_ = true;
        }
        canvas_.SetFont(*Font());
        canvas_.Brush()->SetColor(Color());
        canvas_.Brush()->SetStyle(bsSolid);
        if (m.Msg == WM_ERASEBKGND) {
            canvas_.FillRect(updateRect_);
            m.Result = 1;
        } else {
            Paint();
        }
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        clicked_ = true;
        TWinControl::DefaultHandler(m);
        break;
    case WM_LBUTTONUP: {
        const bool clicked = clicked_;
        clicked_ = false;
        TWinControl::DefaultHandler(m);
        if (clicked && ClientRect().Contains({SignedLoWord(m.LParam), SignedHiWord(m.LParam)})) Click();
        break;
    }
    default: TWinControl::DefaultHandler(m); break;
    }
}

void TCustomControl::Resize()
{
    // A size change may show or hide a scroll bar, which changes the size again: stop
    // answering after a few rounds.
    if (resizing_ > 2) return;
    ++resizing_;
    rtl::TScopeExit done([this] { --resizing_; });
    Perform(WM_SIZE, 0, MakeLParam(ClientWidth(), ClientHeight()));
    TWinControl::Resize();
}

// ---- Frame and scroll bars -----------------------------------------------------------------

void TCustomControl::SetBorderStyle(TFormBorderStyle style)
{
    if (style == borderStyle_) return;
    borderStyle_ = style;
    Changed();
    Resize();
}

void TCustomControl::SetScrollBars(TScrollStyle style)
{
    if (style == scrollBars_) return;
    const bool h = ScrollBarVisible(sbHorizontal), v = ScrollBarVisible(sbVertical);
    scrollBars_ = style;
    ScrollBarsChanged(h, v);
}

bool TCustomControl::ScrollBarVisible(TScrollBarKind bar) const
{
    const bool styled = bar == sbVertical ? (scrollBars_ == ssVertical || scrollBars_ == ssBoth)
                                          : (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth);
    return styled && (disableNoScroll_[bar] || ScrollBarEnabled(bar));
}

bool TCustomControl::ScrollBarEnabled(TScrollBarKind bar) const
{
    const TScrollInfo& i = bars_[bar];
    return i.Max > i.Min && i.Max - i.Min + 1 > i.Page;
}

int TCustomControl::SetScrollInfo(TScrollBarKind bar, const TScrollInfo& info, unsigned mask, bool)
{
    const bool h = ScrollBarVisible(sbHorizontal), v = ScrollBarVisible(sbVertical);
    TScrollInfo& i = bars_[bar];
    const TScrollInfo before = i;
    if (mask & SIF_RANGE) {
        i.Min = info.Min;
        i.Max = std::max(info.Min, info.Max);
    }
    if (mask & SIF_PAGE) i.Page = info.Page;
    i.Page = std::clamp(i.Page, 0, i.Max - i.Min + 1);
    if (mask & SIF_POS) i.Pos = info.Pos;
    if (mask & SIF_TRACKPOS) i.TrackPos = info.TrackPos;
    i.Pos = std::clamp(i.Pos, i.Min, MaxScrollPos(i));
    disableNoScroll_[bar] = (mask & SIF_DISABLENOSCROLL) != 0;
    if (!(i == before) || h != ScrollBarVisible(sbHorizontal) || v != ScrollBarVisible(sbVertical))
        ScrollBarsChanged(h, v);
    return i.Pos;
}

int TCustomControl::SetScrollPos(TScrollBarKind bar, int pos, bool redraw)
{
    const int old = bars_[bar].Pos;
    TScrollInfo info;
    info.Pos = pos;
    SetScrollInfo(bar, info, SIF_POS | (disableNoScroll_[bar] ? SIF_DISABLENOSCROLL : 0), redraw);
    return old;
}

void TCustomControl::SetScrollRange(TScrollBarKind bar, int min, int max, bool redraw)
{
    TScrollInfo info;
    info.Min = min;
    info.Max = max;
    SetScrollInfo(bar, info, SIF_RANGE | (disableNoScroll_[bar] ? SIF_DISABLENOSCROLL : 0), redraw);
}

void TCustomControl::ScrollBarsChanged(bool wasH, bool wasV)
{
    Changed();
    if (wasH != ScrollBarVisible(sbHorizontal) || wasV != ScrollBarVisible(sbVertical)) {
        Realign();
        Resize();
    }
}

void TCustomControl::ScrollWindow(int dx, int dy, const TRect* scroll, const TRect* clip)
{
    if (Peer() != nullptr) Peer()->ScrollContents(dx, dy, scroll, clip);
}

void TCustomControl::ScrollByUser(TScrollBarKind bar, int code, int pos)
{
    if (code == SB_THUMBTRACK) bars_[bar].TrackPos = pos;
    Perform(bar == sbVertical ? WM_VSCROLL : WM_HSCROLL, MakeWParam(code, pos));
}

TRect TCustomControl::ClientRect() const
{
    const int border = borderStyle_ == bsSingle ? 2 * kBorderWidth : 0;
    const int w = Width() - border - (ScrollBarVisible(sbVertical) ? ScrollBarExtent() : 0);
    const int h = Height() - border - (ScrollBarVisible(sbHorizontal) ? ScrollBarExtent() : 0);
    return {0, 0, std::max(w, 0), std::max(h, 0)};
}

bool TCustomControl::WantsKey(TKey key) const
{
    const auto code = const_cast<TCustomControl*>(this)->Perform(WM_GETDLGCODE);
    if (code & DLGC_WANTALLKEYS) return true;
    if (key == VK_TAB) return (code & DLGC_WANTTAB) != 0;
    if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) return (code & DLGC_WANTARROWS) != 0;
    return false;
}

}  // namespace ui
