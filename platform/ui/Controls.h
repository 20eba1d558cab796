#pragma once
// Controls: components with a place on a parent, visible state, font and colour, events,
// and (while their form is shown) a window made by the window system.
//
// Coordinates of a control are relative to its parent's client area. A control with an
// Align other than alNone is placed by its parent (top, bottom, left and right bands in
// the order of their positions, then the client control in what is left); a control whose
// Anchors hold both opposite sides stretches with its parent, one with only the right or
// bottom side moves with it.

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/Font.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Backend.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Types.h"

namespace ui {

// Size limits kept for stored forms; the layer sizes controls without them.
class TSizeConstraints : public classes::TPersistent {
    GW_CLASS(TSizeConstraints)

public:
    void Assign(const classes::TPersistent& source) override;
    int MaxHeight = 0;
    int MaxWidth = 0;
    int MinHeight = 0;
    int MinWidth = 0;
};

class TWinControl;
class TCustomForm;
class TCanvas;
class TPopupMenu;

// Drag and drop inside the application. A drag starts with BeginDrag (or by itself on a
// left press with DragMode dmAutomatic); the control under the mouse is asked DragOver and
// gets DragDrop when it accepted; the source always ends with EndDrag (target nullptr when
// nothing took the drop). `source` is the dragged control, or the object OnStartDrag gave.
enum TDragMode { dmManual, dmAutomatic };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
using TDragOverEvent = classes::TEvent<classes::TObject*, classes::TObject*, int, int, TDragState, bool&>;
using TDragDropEvent = classes::TEvent<classes::TObject*, classes::TObject*, int, int>;
using TEndDragEvent = classes::TEvent<classes::TObject*, classes::TObject*, int, int>;
using TStartDragEvent = classes::TEvent<classes::TObject*, classes::TObject*&>;

class TControl : public classes::TComponent, public IActionClient, public IMessageTarget {
    GW_CLASS(TControl)

public:
    explicit TControl(classes::TComponent* owner);
    ~TControl() override;

    // ---- Place -----------------------------------------------------------------------
    TWinControl* Parent() const noexcept { return parent_; }
    virtual void SetParent(TWinControl* parent);

    int Left() const noexcept { return left_; }
    int Top() const noexcept { return top_; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    // The area children are placed in, in the control's own coordinates.
    virtual TRect ClientRect() const { return {0, 0, width_, height_}; }
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    virtual void SetClientWidth(int w) { SetWidth(w); }
    virtual void SetClientHeight(int h) { SetHeight(h); }
    // Client coordinates of this control to those of the screen and back (the form's
    // position plus the offsets of the parents).
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;

    TAlign Align() const noexcept { return align_; }
    void SetAlign(TAlign align);
    TAnchors Anchors() const noexcept { return anchors_; }
    void SetAnchors(TAnchors anchors) { anchors_ = anchors; }

    // ---- State -----------------------------------------------------------------------
    // csPaintCopy: a grid has the control paint a copy of itself into one of its cells (the
    // control then draws without frame, focus or button, from the record the grid made
    // current).
    enum TControlStateFlag { csPaintCopy };
    using TControlState = classes::TSet<TControlStateFlag>;
    TControlState ControlState() const noexcept { return controlState_; }
    void SetControlState(TControlState state) noexcept { controlState_ = state; }
    bool Visible() const noexcept { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible itself and on a shown form.
    virtual bool Showing() const;

    bool Enabled() const noexcept { return enabled_; }
    virtual void SetEnabled(bool enabled);

    // The caption of captioned controls, the text of edits.
    const std::string& Text() const noexcept { return text_; }
    void SetText(const std::string& text);
    const std::string& Caption() const noexcept { return text_; }
    void SetCaption(const std::string& caption) { SetText(caption); }

    // "short|long": the short part is the tool tip, the long part the application's hint.
    const std::string& Hint() const noexcept { return hint_; }
    void SetHint(const std::string& hint);
    // Whether the tool tip shows; with ParentShowHint it follows the parent.
    bool ShowHint() const;
    void SetShowHint(bool show);
    bool ParentShowHint() const noexcept { return parentShowHint_; }
    void SetParentShowHint(bool v);

    classes::TFont* Font() noexcept { return &font_; }
    const classes::TFont* Font() const noexcept { return &font_; }
    bool ParentFont() const noexcept { return parentFont_; }
    void SetParentFont(bool v);
    rtl::TColor Color() const noexcept { return color_; }
    void SetColor(rtl::TColor color);
    bool ParentColor() const noexcept { return parentColor_; }
    void SetParentColor(bool v);

    TPopupMenu* PopupMenu() const noexcept { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu);
    int HelpContext() const noexcept { return helpContext_; }
    void SetHelpContext(int v) { helpContext_ = v; }
    TCursor Cursor() const noexcept { return cursor_; }
    void SetCursor(TCursor cursor);
    // Shows `cursor` over the control now (what a WM_SETCURSOR handler does before it
    // answers 1; answering 0 lets Cursor show).
    void ShowCursorNow(TCursor cursor)
    {
        if (peer_) peer_->ShowCursor(cursor);
    }

    // ---- Actions -----------------------------------------------------------------------
    TBasicAction* Action() const noexcept { return action_; }
    void SetAction(TBasicAction* action);
    // The linked action changed: take over its caption, hint, enabled and visible state.
    void ActionChanged() override;

    // ---- Input ----------------------------------------------------------------------------
    // The user clicked (or a program does so): the OnClick handler, else the action.
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    // The context menu asked for at client point (x, y): shows the popup menu.
    virtual void ContextPopup(int x, int y);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // ---- Messages -------------------------------------------------------------------------
    // Every message to the control arrives here (see Messages.h for the codes). Overrides
    // handle what they want and pass the rest on; what reaches DefaultHandler becomes the
    // ordinary calls (mouse messages MouseDown..., key messages KeyDown..., CM_ENTER OnEnter).
    void Dispatch(TMessage& message) override;
    virtual void DefaultHandler(TMessage& message);
    // Sends a message now (SendMessage) and answers its result.
    std::intptr_t Perform(unsigned msg, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
    // Queues a message (PostMessage): it arrives from the event loop on the GUI thread,
    // after everything posted before it; dropped when the control goes first.
    void PostMessage(unsigned msg, std::intptr_t wParam = 0, std::intptr_t lParam = 0);

    // ---- Painting -------------------------------------------------------------------------
    // Marks all (or `rect`, in client coordinates) to be painted again.
    void Invalidate();
    void InvalidateRect(const TRect& rect);
    // Paints what is invalid now; Repaint invalidates everything and paints it.
    void Update();
    void Repaint();
    // Controls the window system draws (edits, combo boxes) may draw over that drawing: a
    // ring this wide along the control's edges is kept for them (their non-client frame),
    // and PaintOver draws after the window drew itself, on a canvas over the whole control.
    virtual int FrameRingWidth() const { return 0; }
    virtual bool PaintsOver() const { return false; }
    virtual void PaintOver(TCanvas& /*canvas*/) {}

    // ---- Timers ---------------------------------------------------------------------------
    // WM_TIMER with wParam `id` every `ms` milliseconds until KillTimer (or the control goes).
    void SetTimer(unsigned id, int ms);
    void KillTimer(unsigned id);
    bool TimerActive(unsigned id) const { return timers_.count(id) != 0; }

    // ---- Drag and drop --------------------------------------------------------------------
    TDragMode DragMode() const noexcept { return dragMode_; }
    void SetDragMode(TDragMode mode) { dragMode_ = mode; }
    TCursor DragCursor() const noexcept { return dragCursor_; }
    void SetDragCursor(TCursor cursor) { dragCursor_ = cursor; }
    // Starts dragging this control: at once, or once the mouse moved `threshold` pixels
    // (-1: the window system's drag distance) from where it is now. A waiting drag that the
    // release ends first was a click: the release reaches the control's window as usual.
    void BeginDrag(bool immediate, int threshold = -1);
    bool Dragging() const;
    // Asked while something is dragged over the control (x, y in its client coordinates);
    // accepted when OnDragOver is assigned and leaves Accept true.
    virtual void DragOver(classes::TObject* source, int x, int y, TDragState state, bool& accept);
    virtual void DragDrop(classes::TObject* source, int x, int y);
    virtual void DoStartDrag(classes::TObject*& dragObject);
    virtual void DoEndDrag(classes::TObject* target, int x, int y);

    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;

    // ---- Window ---------------------------------------------------------------------------
    IControlPeer* Peer() const noexcept { return peer_.get(); }
    bool HandleAllocated() const noexcept { return peer_ != nullptr; }
    // Makes the peers of this control (and its children) when its parent has one.
    virtual void CreatePeers();
    virtual void DestroyPeers();
    // Tells the peer that the state changed.
    void Changed();
    void BringToFront();

    // ---- Streaming ----------------------------------------------------------------------
    classes::TComponent* GetParentComponent() const override;
    void SetParentComponent(classes::TComponent* parent) override;
    void Loaded() override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;

protected:
    bool Loading() const { return ComponentState().Contains(classes::csLoading); }
    // A window of its own without a parent whose Left and Top are screen coordinates (a
    // popup window): ClientToScreen counts them even while it has no window on screen.
    virtual bool PlacedOnScreen() const { return false; }
    // Makes this control's own peer, whatever its parent (forms have none).
    void CreateOwnPeer();
    // Sets the flag alone (a form starts hidden).
    void SetVisibleFlag(bool visible) { visible_ = visible; }
    // Text changed (after SetText stored it). Each of these also sends its notification
    // (CM_TEXTCHANGED, CM_FONTCHANGED, CM_COLORCHANGED, CM_ENABLEDCHANGED).
    virtual void TextChanged();
    virtual void FontChanged();
    virtual void ColorChanged();
    virtual void VisibleChanged();
    virtual void EnabledChanged();
    // The parent's font or colour changed; controls that follow it copy it.
    void ParentFontChanged();
    void ParentColorChanged();
    // Sets the font without turning ParentFont off.
    void SetFontQuietly(const classes::TFont& font);

    TWinControl* parent_ = nullptr;

private:
    friend class TWinControl;

    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    TAlign align_ = alNone;
    TAnchors anchors_{akLeft, akTop};
    bool visible_ = true;
    TControlState controlState_;
    bool enabled_ = true;
    std::string text_;
    std::string hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    classes::TFont font_;
    bool parentFont_ = true;
    bool fontQuiet_ = false;
    rtl::TColor color_ = rtl::clBtnFace;
    bool parentColor_ = false;
    TPopupMenu* popupMenu_ = nullptr;
    int helpContext_ = 0;
    TCursor cursor_ = crDefault;
    TBasicAction* action_ = nullptr;
    TDragMode dragMode_ = dmManual;
    TCursor dragCursor_ = crDrag;
    std::set<unsigned> timers_;
    std::unique_ptr<IControlPeer> peer_;
};

// A control that can hold other controls and take the keyboard focus.
class TWinControl : public TControl {
    GW_CLASS(TWinControl)

public:
    explicit TWinControl(classes::TComponent* owner);
    ~TWinControl() override;

    int ControlCount() const noexcept { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const;
    // The child at client point p (the topmost visible one), nullptr when none.
    TControl* ControlAtPos(TPoint p) const;
    bool ContainsControl(const TControl* control) const;

    // Order of the windowed children in the Tab cycle; -1 before the control has a parent.
    int TabOrder() const;
    void SetTabOrder(int order);
    bool TabStop() const noexcept { return tabStop_; }
    void SetTabStop(bool v) { tabStop_ = v; }
    // The windowed children (recursively) in Tab order.
    std::vector<TWinControl*> TabOrderList() const;

    bool CanFocus() const;
    // Gives the control the keyboard focus (remembered by its form as the active control).
    virtual void SetFocus();
    bool Focused() const;

    // Key input (the window system calls these before the control's own handling; setting
    // the key to 0 swallows it). A form with KeyPreview sees the keys of its controls first.
    virtual void KeyDown(TKey& key, TShiftState shift);
    virtual void KeyUp(TKey& key, TShiftState shift);
    virtual void KeyPress(char& key);
    // The control wants this key itself (so Enter and Escape do not press the default and
    // cancel buttons). Multi-line edits take Enter, for example.
    virtual bool WantsKey(TKey key) const;
    // Focus arrives or leaves (called by the form when its active control changes): they
    // send CM_ENTER and CM_EXIT, which fire OnEnter and OnExit.
    virtual void DoEnter();
    virtual void DoExit();
    void DefaultHandler(TMessage& message) override;

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnResize;

    // Places the aligned children and moves the anchored ones.
    void Realign();
    // The rectangle the aligned children share (the client area less borders).
    virtual TRect AlignRect() const { return ClientRect(); }
    // What remains of AlignRect after the aligned children took their part (where a
    // frame's document area goes).
    TRect RemainingRect() const { return remaining_; }

    void SetBounds(int left, int top, int width, int height) override;
    void CreatePeers() override;
    void DestroyPeers() override;
    void GetChildren(const std::function<void(classes::TComponent*)>& proc, classes::TComponent* root) override;
    void Loaded() override;

    // Children are added and removed by TControl::SetParent.
    virtual void InsertControl(TControl* control);
    virtual void RemoveControl(TControl* control);

protected:
    void FontChanged() override;
    void ColorChanged() override;
    virtual void Resize();

private:
    void AnchorChildren(int oldClientWidth, int oldClientHeight);
    std::vector<TControl*> controls_;
    std::vector<TWinControl*> tabList_;
    bool tabStop_ = false;
    int readTabOrder_ = 1 << 30;  // as read, until the parent sorts its Tab cycle
    bool aligning_ = false;
    TRect remaining_;
};

// ---- Drag and drop, as the window system drives it ---------------------------------------
// The control whose drag is pending or running, nullptr when none.
TControl* DragSourceControl();
// True once a drag runs (a pending one waits for the mouse to pass the threshold).
bool DragActive();
// The mouse moved to screen point p / was released there while a drag is pending or runs.
void DragMouseMove(TPoint p);
void DragMouseUp(TPoint p);
void CancelDrag();
// The control at screen point p: the window system's answer, else the topmost visible
// control of the shown forms there.
TControl* FindControlAtScreen(TPoint p);

// The queue PostMessage uses: the window system's, else one delivered by
// Application().ProcessMessages.
IMessageQueue& PostQueue();
TManualMessageQueue& HeadlessPostQueue();

// The shift state of a mouse message's MK_ flags (Alt from the keyboard state).
TShiftState ShiftOfMouseFlags(std::intptr_t flags);

// The form a control is placed on (the control itself for a form), nullptr when none.
TCustomForm* GetParentForm(const TControl* control);

// The short (tool tip) and long (status line) parts of a hint "short|long".
std::string GetShortHint(const std::string& hint);
std::string GetLongHint(const std::string& hint);

}  // namespace ui
