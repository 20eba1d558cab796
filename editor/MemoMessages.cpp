// The message handlers of TTextMemo (see MemoMessages.h).

#include "editor/MemoMessages.h"

#include "editor/MemoMouse.h"
#include "editor/TextMemo.h"

#include <climits>

#include "platform/ui/Canvas.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"

namespace editor {

const TMemoMessages::TEntry TMemoMessages::kHandlers[] = {
    {kFormatContinueMessage, &TMemoMessages::FormatContinue},
    {ui::WM_ERASEBKGND, &TMemoMessages::EraseBackground},
    {ui::WM_PAINT, &TMemoMessages::Paint},
    {ui::WM_VSCROLL, &TMemoMessages::VScroll},
    {ui::WM_HSCROLL, &TMemoMessages::HScroll},
    {ui::WM_TIMER, &TMemoMessages::Timer},
    {ui::WM_CHAR, &TMemoMessages::Char},
    {ui::WM_MOUSEWHEEL, &TMemoMessages::MouseWheel},
    {ui::WM_SETFOCUS, &TMemoMessages::SetFocus},
    {ui::WM_KILLFOCUS, &TMemoMessages::KillFocus},
    {ui::WM_GETDLGCODE, &TMemoMessages::GetDlgCode},
    {ui::WM_CUT, &TMemoMessages::Cut},
    {ui::WM_COPY, &TMemoMessages::Copy},
    {ui::WM_PASTE, &TMemoMessages::Paste},
    {ui::WM_UNDO, &TMemoMessages::Undo},
    {ui::WM_SETCURSOR, &TMemoMessages::SetCursor},
    {ui::WM_RBUTTONUP, &TMemoMessages::RightButtonUp},
    {ui::WM_SIZE, &TMemoMessages::Size},
    {ui::CM_FONTCHANGED, &TMemoMessages::FontChanged},
    {ui::CM_CTL3DCHANGED, &TMemoMessages::Ctl3DChanged},
};

void TMemoMessages::Handle(ui::TMessage& m)
{
    for (const TEntry& e : kHandlers)
        if (e.msg == m.Msg) {
            (this->*e.handle)(m);
            return;
        }
    Inherited(m);
}

void TMemoMessages::Inherited(ui::TMessage& m) { memo_.ui::TCustomControl::Dispatch(m); }

void TMemoMessages::FormatContinue(ui::TMessage& m)
{
    memo_.continuationPosted_ = false;
    memo_.BackgroundStep(m.WParam != 0);
    m.Result = 0;
}

void TMemoMessages::EraseBackground(ui::TMessage& m) { m.Result = 1; }

// Never erased first: each line is composed off-screen and copied in one step.
void TMemoMessages::Paint(ui::TMessage& m)
{
    TTextMemo& memo = memo_;
    const bool paintable = memo.updateCount_ == 0 && memo.WindowAttached();
    if (auto* canvas = reinterpret_cast<ui::TCanvas*>(m.WParam)) {
        if (paintable) memo.PaintLines(*canvas, {0, 0, memo.clientWidth_, memo.clientHeight_}, true);
    } else if (paintable) {
        memo.PaintLines(*memo.Canvas(), memo.UpdateRect(), false);
    }
    m.Result = 0;
}

void TMemoMessages::VScroll(ui::TMessage& m)
{
    memo_.scroller_->VScroll(ui::LoWord(m.WParam), ui::SignedHiWord(m.WParam));
    m.Result = 0;
}

void TMemoMessages::HScroll(ui::TMessage& m)
{
    memo_.scroller_->HScroll(ui::LoWord(m.WParam), ui::SignedHiWord(m.WParam));
    m.Result = 0;
}

void TMemoMessages::Timer(ui::TMessage& m)
{
    if (static_cast<unsigned>(m.WParam) == TTextMemo::kAutoScrollTimer)
        memo_.mouse_->AutoScrollStep();
    else
        Inherited(m);
}

// Characters beyond ASCII come as code points; the class library hands on ASCII only.
void TMemoMessages::Char(ui::TMessage& m)
{
    if (m.WParam < 128) {
        Inherited(m);
        return;
    }
    memo_.TypeCharacter(static_cast<char32_t>(m.WParam));
    m.Result = 0;
}

void TMemoMessages::MouseWheel(ui::TMessage& m)
{
    memo_.scroller_->Wheel(ui::SignedHiWord(m.WParam));
    m.Result = 0;
}

void TMemoMessages::SetFocus(ui::TMessage& m)
{
    Inherited(m);
    memo_.HandleSetFocus();
}

void TMemoMessages::KillFocus(ui::TMessage& m)
{
    memo_.HandleKillFocus();
    Inherited(m);
}

void TMemoMessages::GetDlgCode(ui::TMessage& m)
{
    Inherited(m);
    m.Result = TTextMemo::kDlgCode;
    if (memo_.wantTabs_ && !memo_.displayOnly_) m.Result |= ui::DLGC_WANTTAB;
}

void TMemoMessages::Cut(ui::TMessage&) { memo_.CutToClipboard(); }

void TMemoMessages::Copy(ui::TMessage&) { memo_.CopyToClipboard(); }

void TMemoMessages::Paste(ui::TMessage&) { memo_.PasteFromClipboard(); }

void TMemoMessages::Undo(ui::TMessage&) { memo_.Undo(); }

// The left margin shows the right arrow of line selection.
void TMemoMessages::SetCursor(ui::TMessage& m)
{
    TTextMemo& memo = memo_;
    const auto* target = reinterpret_cast<const ui::TControl*>(m.WParam);
    if (target == &memo && ui::LoWord(m.LParam) == ui::HTCLIENT) {
        const ui::TPoint p = memo.ScreenToClient(ui::GetCursorPos());
        if (p.X >= 0 && memo.InLeftMarginZone(p.X)) {
            memo.ShowCursorNow(crTextMemoRightArrow);
            m.Result = 1;
            return;
        }
    }
    Inherited(m);
}

// Without a menu of its own the editor offers its default one (an assigned menu comes through
// the window system's context-menu request).
void TMemoMessages::RightButtonUp(ui::TMessage& m)
{
    TTextMemo& memo = memo_;
    memo.mouse_->ForgetContextClick();
    Inherited(m);
    if (memo.mouse_->TakeContextClick()) return;
    if (!memo.PopupMenu() && !memo.options_[tmoNoDefaultPopup]) memo.ContextPopup(ui::SignedLoWord(m.LParam), ui::SignedHiWord(m.LParam));
}

void TMemoMessages::Size(ui::TMessage& m)
{
    Inherited(m);
    if (!memo_.WindowAttached()) return;
    memo_.SetClientSize(ui::LoWord(m.LParam), ui::HiWord(m.LParam));
    memo_.UpdateVertScrollBar();
    memo_.UpdateHorzScrollBar();
}

// New metrics, everything reformatted, and the view back at the top-left (OnVScroll tells it).
void TMemoMessages::FontChanged(ui::TMessage& m)
{
    Inherited(m);
    TTextMemo& memo = memo_;
    memo.UpdateMetrics();
    memo.widest_ = INT_MAX;  // not measured in the new font until formatting finds it
    if (!memo.ComponentState().Contains(classes::csDestroying)) memo.ReformatAll();
    if (!memo.WindowAttached()) return;
    memo.scroller_->ResetForFont();
    memo.UpdateCaret(true);
}

// The border follows Ctl3D: the window is made anew.
void TMemoMessages::Ctl3DChanged(ui::TMessage& m)
{
    Inherited(m);
    if (!memo_.HandleAllocated() || !memo_.WindowAttached()) return;
    memo_.DestroyWnd();
    memo_.CreateWnd();
    memo_.Invalidate();
}

}  // namespace editor
