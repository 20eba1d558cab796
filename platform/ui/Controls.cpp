#include "platform/ui/Controls.h"

#include <algorithm>

#include "platform/ui/ActnList.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Messages.h"

namespace ui {

namespace {

IWindowSystem*& InstalledWindowSystem()
{
    static IWindowSystem* system = nullptr;
    return system;
}

const classes::TEnumInfo& DragModeInfo()
{
    static const classes::TEnumInfo info{"TDragMode", {"dmManual", "dmAutomatic"}};
    return info;
}

}  // namespace

GW_IMPLEMENT_CLASS(TSizeConstraints, classes::TPersistent)
{
    using C = TSizeConstraints;
    p.Integer(
        "MaxHeight", [](const C& c) { return c.MaxHeight; }, [](C& c, int v) { c.MaxHeight = v; }, 0);
    p.Integer(
        "MaxWidth", [](const C& c) { return c.MaxWidth; }, [](C& c, int v) { c.MaxWidth = v; }, 0);
    p.Integer(
        "MinHeight", [](const C& c) { return c.MinHeight; }, [](C& c, int v) { c.MinHeight = v; }, 0);
    p.Integer(
        "MinWidth", [](const C& c) { return c.MinWidth; }, [](C& c, int v) { c.MinWidth = v; }, 0);
}

void TSizeConstraints::Assign(const classes::TPersistent& source)
{
    if (const auto* other = dynamic_cast<const TSizeConstraints*>(&source)) {
        MaxHeight = other->MaxHeight;
        MaxWidth = other->MaxWidth;
        MinHeight = other->MinHeight;
        MinWidth = other->MinWidth;
        return;
    }
    TPersistent::Assign(source);
}

namespace {

// ---- The drag in progress ------------------------------------------------------------------

struct TDrag {
    TControl* source = nullptr;
    classes::TObject* object = nullptr;
    bool active = false;
    TPoint start;
    int threshold = kDefaultDragThreshold;
    TControl* target = nullptr;
    bool accepted = false;
};

TDrag& Drag()
{
    static TDrag drag;
    return drag;
}

void ShowDragCursor()
{
    const TDrag& d = Drag();
    if (IWindowSystem* ws = WindowSystem()) ws->SetCursor(d.accepted ? d.source->DragCursor() : crNoDrop);
}

// Moves the drag to p: leaves the old target, enters or moves over the new one.
void DragTo(TPoint p)
{
    TDrag& d = Drag();
    TControl* target = FindControlAtScreen(p);
    if (target != d.target) {
        if (d.target != nullptr) {
            bool ignored = false;
            const TPoint q = d.target->ScreenToClient(p);
            TControl* old = d.target;
            d.target = nullptr;
            old->DragOver(d.object, q.X, q.Y, dsDragLeave, ignored);
        }
        d.target = target;
        d.accepted = false;
        if (target != nullptr) {
            const TPoint q = target->ScreenToClient(p);
            target->DragOver(d.object, q.X, q.Y, dsDragEnter, d.accepted);
        }
    } else if (target != nullptr) {
        const TPoint q = target->ScreenToClient(p);
        d.accepted = false;
        target->DragOver(d.object, q.X, q.Y, dsDragMove, d.accepted);
    }
    if (Drag().source != nullptr) ShowDragCursor();
}

// Ends the drag; the state is cleared before the handlers run.
void FinishDrag(bool drop, TPoint p)
{
    TDrag d = Drag();
    Drag() = {};
    if (d.source == nullptr) return;
    if (GetCaptureControl() == d.source) ReleaseCapture();
    if (IWindowSystem* ws = WindowSystem()) ws->SetCursor(Screen().Cursor());
    TControl* target = drop && d.accepted ? d.target : nullptr;
    TPoint q = target != nullptr ? target->ScreenToClient(p) : d.source->ScreenToClient(p);
    if (!drop && d.target != nullptr) {
        bool ignored = false;
        const TPoint t = d.target->ScreenToClient(p);
        d.target->DragOver(d.object, t.X, t.Y, dsDragLeave, ignored);
    }
    if (target != nullptr) target->DragDrop(d.object, q.X, q.Y);
    d.source->DoEndDrag(target, q.X, q.Y);
}

TControl* DeepestControlAt(TWinControl* parent, TPoint p)
{
    TControl* child = parent->ControlAtPos(p);
    if (child == nullptr) return parent;
    if (auto* w = dynamic_cast<TWinControl*>(child)) {
        const TRect inner = w->ClientRect();
        const TPoint q{p.X - w->Left(), p.Y - w->Top()};
        if (inner.Contains(q)) return DeepestControlAt(w, q);
    }
    return child;
}

}  // namespace

TShiftState ShiftOfMouseFlags(std::intptr_t flags)
{
    TShiftState s;
    if (flags & MK_SHIFT) s.Include(ssShift);
    if (flags & MK_CONTROL) s.Include(ssCtrl);
    if (flags & MK_LBUTTON) s.Include(ssLeft);
    if (flags & MK_RBUTTON) s.Include(ssRight);
    if (flags & MK_MBUTTON) s.Include(ssMiddle);
    if (IsKeyDown(VK_MENU)) s.Include(ssAlt);
    return s;
}

TControl* DragSourceControl() { return Drag().source; }

bool DragActive() { return Drag().active; }

void DragMouseMove(TPoint p)
{
    SetCursorPos(p);
    TDrag& d = Drag();
    if (d.source == nullptr) return;
    if (!d.active) {
        if (std::abs(p.X - d.start.X) < d.threshold && std::abs(p.Y - d.start.Y) < d.threshold) return;
        d.active = true;
    }
    DragTo(p);
}

void DragMouseUp(TPoint p)
{
    SetCursorPos(p);
    TDrag& d = Drag();
    if (d.source == nullptr) return;
    if (d.active) DragTo(p);
    FinishDrag(Drag().active, p);
}

void CancelDrag() { FinishDrag(false, GetCursorPos()); }

TControl* FindControlAtScreen(TPoint p)
{
    if (IWindowSystem* ws = WindowSystem())
        if (TControl* c = ws->ControlAtScreen(p)) return c;
    for (int i = Screen().FormCount() - 1; i >= 0; --i) {
        TCustomForm* form = Screen().Forms(i);
        if (!form->Visible()) continue;
        const TPoint q = form->ScreenToClient(p);
        if (form->ClientRect().Contains(q)) return DeepestControlAt(form, q);
    }
    return nullptr;
}

TManualMessageQueue& HeadlessPostQueue()
{
    static TManualMessageQueue queue;
    return queue;
}

IMessageQueue& PostQueue()
{
    if (IWindowSystem* ws = WindowSystem()) return ws->MessageQueue();
    return HeadlessPostQueue();
}

IWindowSystem* WindowSystem() { return InstalledWindowSystem(); }

IWindowSystem* SetWindowSystem(IWindowSystem* system) { return std::exchange(InstalledWindowSystem(), system); }

std::string GetShortHint(const std::string& hint)
{
    const auto bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(0, bar);
}

std::string GetLongHint(const std::string& hint)
{
    const auto bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

TCustomForm* GetParentForm(const TControl* control)
{
    while (control != nullptr && control->Parent() != nullptr) control = control->Parent();
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(control));
}

// ---- TControl ------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TControl, classes::TComponent)
{
    p.Integer("Left", &TControl::Left, &TControl::SetLeft);
    p.Integer("Top", &TControl::Top, &TControl::SetTop);
    p.Integer("Width", &TControl::Width, &TControl::SetWidth);
    p.Integer("Height", &TControl::Height, &TControl::SetHeight);
    p.Enumeration("Align", AlignInfo(), &TControl::Align, &TControl::SetAlign, alNone);
    p.Set("Anchors", AnchorInfo(), &TControl::Anchors, &TControl::SetAnchors, TAnchors{akLeft, akTop});
    p.Boolean("Enabled", &TControl::Enabled, &TControl::SetEnabled, true);
    p.Object("Font", [](const TControl& c) { return c.Font(); });
    p.Boolean("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true);
    // A colour taken from the parent is the parent's to store: read back, it would cut the tie.
    p.Color("Color", &TControl::Color, &TControl::SetColor, rtl::clBtnFace).Stored([](const TControl& c) {
        return !c.ParentColor();
    });
    p.Boolean("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, false);
    p.String("Hint", &TControl::Hint, &TControl::SetHint);
    p.Boolean("ShowHint", [](const TControl& c) { return c.showHint_; }, &TControl::SetShowHint, false);
    p.Boolean("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true);
    p.Component<TPopupMenu>("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu);
    p.Component<TBasicAction>("Action", &TControl::Action, &TControl::SetAction);
    p.Integer("HelpContext", &TControl::HelpContext, &TControl::SetHelpContext);
    p.Boolean("Visible", &TControl::Visible, &TControl::SetVisible, true);
    p.Event("OnClick", &TControl::OnClick);
    p.Event("OnDblClick", &TControl::OnDblClick);
    p.Event("OnMouseDown", &TControl::OnMouseDown);
    p.Event("OnMouseUp", &TControl::OnMouseUp);
    p.Event("OnMouseMove", &TControl::OnMouseMove);
    p.Enumeration("DragMode", DragModeInfo(), &TControl::DragMode, &TControl::SetDragMode, dmManual);
    p.Event("OnDragOver", &TControl::OnDragOver);
    p.Event("OnDragDrop", &TControl::OnDragDrop);
    p.Event("OnStartDrag", &TControl::OnStartDrag);
    p.Event("OnEndDrag", &TControl::OnEndDrag);
}

TControl::TControl(classes::TComponent* owner) : TComponent(owner)
{
    font_.OnChange = [this](classes::TFont&) {
        if (!fontQuiet_) parentFont_ = false;
        FontChanged();
    };
}

TControl::~TControl()
{
    PostQueue().Cancel(*this);
    if (IWindowSystem* ws = WindowSystem())
        for (unsigned id : timers_) ws->KillMessageTimer(*this, id);
    if (GetCaptureControl() == this) ReleaseCapture();
    ForgetControlInput(this);
    if (Drag().source == this) Drag() = {};
    if (Drag().target == this) Drag().target = nullptr;
    if (action_ != nullptr) action_->RemoveClient(this);
    if (parent_ != nullptr) parent_->RemoveControl(this);
    peer_.reset();
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == parent_) return;
    if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (parent_ != nullptr) parent_->RemoveControl(this);
    if (parent != nullptr) parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (parent_ != nullptr && align_ != alNone) parent_->Realign();
    Changed();
}

TPoint TControl::ClientToScreen(TPoint p) const
{
    for (const TControl* c = this; c != nullptr; c = c->parent_) {
        // A window on screen is where the window system put it, frame or no frame.
        if (c->peer_) {
            if (const std::optional<TPoint> origin = c->peer_->ClientOrigin()) return {p.X + origin->X, p.Y + origin->Y};
        }
        if (c->parent_ == nullptr) {
            if (const auto* form = dynamic_cast<const TCustomForm*>(c)) {
                p.X += form->Left() + form->FrameWidth() / 2;
                p.Y += form->Top() + form->FrameHeight() - form->FrameWidth() / 2;
            } else if (c->PlacedOnScreen()) {
                p.X += c->left_;
                p.Y += c->top_;
            }
        } else {
            p.X += c->left_;
            p.Y += c->top_;
        }
    }
    return p;
}

TPoint TControl::ScreenToClient(TPoint p) const
{
    const TPoint origin = ClientToScreen({0, 0});
    return {p.X - origin.X, p.Y - origin.Y};
}

void TControl::SetAlign(TAlign align)
{
    if (align == align_) return;
    align_ = align;
    if (parent_ != nullptr) parent_->Realign();
}

namespace {

// The windowed controls from `control` down, each with whether it shows now.
void CollectShowing(TControl* control, std::vector<std::pair<TWinControl*, bool>>& out)
{
    auto* win = dynamic_cast<TWinControl*>(control);
    if (win == nullptr) return;
    out.emplace_back(win, win->Showing());
    for (int i = 0; i < win->ControlCount(); ++i) CollectShowing(win->Controls(i), out);
}

}  // namespace

void TControl::SetVisible(bool visible)
{
    if (visible == visible_) return;
    std::vector<std::pair<TWinControl*, bool>> showing;
    if (!Loading()) CollectShowing(this, showing);
    visible_ = visible;
    if (Loading()) return;
    VisibleChanged();
    for (const auto& [win, was] : showing)
        if (win->Showing() != was) win->Perform(CM_SHOWINGCHANGED);
}

void TControl::VisibleChanged()
{
    if (parent_ != nullptr && align_ != alNone) parent_->Realign();
    Changed();
}

bool TControl::Showing() const { return visible_ && parent_ != nullptr && parent_->Showing(); }

void TControl::SetEnabled(bool enabled)
{
    if (enabled == enabled_) return;
    enabled_ = enabled;
    EnabledChanged();
}

void TControl::EnabledChanged()
{
    Changed();
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetText(const std::string& text)
{
    if (text == text_) return;
    text_ = text;
    TextChanged();
}

void TControl::TextChanged()
{
    Changed();
    Perform(CM_TEXTCHANGED);
}

void TControl::SetHint(const std::string& hint)
{
    if (hint == hint_) return;
    hint_ = hint;
    Changed();
}

bool TControl::ShowHint() const
{
    if (parentShowHint_) {
        if (parent_ != nullptr) return parent_->ShowHint();
        return Application().ShowHint() && showHint_;
    }
    return showHint_;
}

void TControl::SetShowHint(bool show)
{
    if (show == showHint_ && !parentShowHint_) return;
    showHint_ = show;
    parentShowHint_ = false;
    Changed();
}

void TControl::SetParentShowHint(bool v)
{
    if (v == parentShowHint_) return;
    parentShowHint_ = v;
    Changed();
}

void TControl::SetParentFont(bool v)
{
    if (v == parentFont_) return;
    parentFont_ = v;
    if (v && parent_ != nullptr) ParentFontChanged();
}

void TControl::SetFontQuietly(const classes::TFont& font)
{
    fontQuiet_ = true;
    font_.Assign(font);
    fontQuiet_ = false;
}

void TControl::ParentFontChanged()
{
    if (parentFont_ && parent_ != nullptr) SetFontQuietly(*parent_->Font());
}

void TControl::FontChanged()
{
    Changed();
    Perform(CM_FONTCHANGED);
}

void TControl::SetColor(rtl::TColor color)
{
    parentColor_ = false;
    if (color == color_) return;
    color_ = color;
    ColorChanged();
}

void TControl::SetParentColor(bool v)
{
    if (v == parentColor_) return;
    parentColor_ = v;
    if (v) ParentColorChanged();
}

void TControl::ParentColorChanged()
{
    if (!parentColor_ || parent_ == nullptr || parent_->Color() == color_) return;
    color_ = parent_->Color();
    ColorChanged();
}

void TControl::ColorChanged()
{
    Changed();
    Perform(CM_COLORCHANGED);
}

void TControl::SetPopupMenu(TPopupMenu* menu) { SetReference(*this, popupMenu_, menu); }

void TControl::SetCursor(TCursor cursor)
{
    if (cursor == cursor_) return;
    cursor_ = cursor;
    Changed();
}

void TControl::SetAction(TBasicAction* action) { LinkAction(*this, *this, action_, action); }

void TControl::ActionChanged()
{
    const auto* action = dynamic_cast<const TCustomAction*>(action_);
    if (action == nullptr) return;
    SetCaption(action->Caption());
    SetHint(action->Hint());
    SetEnabled(action->Enabled());
    SetVisible(action->Visible());
    SetHelpContext(action->HelpContext());
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
    else if (action_ != nullptr)
        action_->Execute();
}

void TControl::DblClick() { OnDblClick(this); }

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && dragMode_ == dmAutomatic && !shift.Contains(ssDouble)) BeginDrag(false);
    OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) { OnMouseUp(this, button, shift, x, y); }

void TControl::MouseMove(TShiftState shift, int x, int y) { OnMouseMove(this, shift, x, y); }

void TControl::ContextPopup(int x, int y)
{
    for (const TControl* c = this; c != nullptr; c = c->parent_) {
        if (c->popupMenu_ != nullptr && c->popupMenu_->AutoPopup()) {
            const TPoint p = ClientToScreen({x, y});
            c->popupMenu_->SetPopupComponent(const_cast<TControl*>(this));
            c->popupMenu_->Popup(p.X, p.Y);
            return;
        }
    }
}

// ---- Messages ------------------------------------------------------------------------------

void TControl::Dispatch(TMessage& message) { DefaultHandler(message); }

void TControl::DefaultHandler(TMessage& m)
{
    const int x = SignedLoWord(m.LParam), y = SignedHiWord(m.LParam);
    const TShiftState shift = ShiftOfMouseFlags(m.WParam);
    switch (m.Msg) {
    case WM_LBUTTONDOWN: MouseDown(mbLeft, shift, x, y); break;
    case WM_RBUTTONDOWN: MouseDown(mbRight, shift, x, y); break;
    case WM_MBUTTONDOWN: MouseDown(mbMiddle, shift, x, y); break;
    case WM_LBUTTONDBLCLK:
        DblClick();
        MouseDown(mbLeft, shift | TShiftState{ssDouble}, x, y);
        break;
    case WM_RBUTTONDBLCLK: MouseDown(mbRight, shift | TShiftState{ssDouble}, x, y); break;
    case WM_MBUTTONDBLCLK: MouseDown(mbMiddle, shift | TShiftState{ssDouble}, x, y); break;
    case WM_LBUTTONUP: MouseUp(mbLeft, shift, x, y); break;
    case WM_RBUTTONUP: MouseUp(mbRight, shift, x, y); break;
    case WM_MBUTTONUP: MouseUp(mbMiddle, shift, x, y); break;
    case WM_MOUSEMOVE: MouseMove(shift, x, y); break;
    default: break;
    }
}

std::intptr_t TControl::Perform(unsigned msg, std::intptr_t wParam, std::intptr_t lParam)
{
    TMessage m = MakeMessage(msg, wParam, lParam);
    Dispatch(m);
    return m.Result;
}

void TControl::PostMessage(unsigned msg, std::intptr_t wParam, std::intptr_t lParam)
{
    PostQueue().Post(*this, MakeMessage(msg, wParam, lParam));
}

void TControl::Invalidate()
{
    if (peer_) peer_->Invalidate(nullptr);
}

void TControl::InvalidateRect(const TRect& rect)
{
    if (peer_) peer_->Invalidate(&rect);
}

void TControl::Update()
{
    if (peer_) peer_->Update();
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::SetTimer(unsigned id, int ms)
{
    timers_.insert(id);
    if (IWindowSystem* ws = WindowSystem()) ws->SetMessageTimer(*this, id, ms);
}

void TControl::KillTimer(unsigned id)
{
    if (timers_.erase(id) == 0) return;
    if (IWindowSystem* ws = WindowSystem()) ws->KillMessageTimer(*this, id);
}

// ---- Drag and drop -------------------------------------------------------------------------

void TControl::BeginDrag(bool immediate, int threshold)
{
    TDrag& d = Drag();
    if (d.source != nullptr) return;
    d.source = this;
    d.start = GetCursorPos();
    IWindowSystem* ws = WindowSystem();
    d.threshold = threshold >= 0 ? threshold : ws != nullptr ? ws->DragThreshold() : kDefaultDragThreshold;
    classes::TObject* object = nullptr;
    DoStartDrag(object);
    if (Drag().source != this) return;  // the handler ended it
    d.object = object != nullptr ? object : this;
    SetCaptureControl(this);
    if (immediate) {
        d.active = true;
        DragTo(d.start);
    }
}

bool TControl::Dragging() const { return Drag().source == this; }

void TControl::DragOver(classes::TObject* source, int x, int y, TDragState state, bool& accept)
{
    accept = static_cast<bool>(OnDragOver);
    if (accept) OnDragOver(this, source, x, y, state, accept);
}

void TControl::DragDrop(classes::TObject* source, int x, int y) { OnDragDrop(this, source, x, y); }

void TControl::DoStartDrag(classes::TObject*& dragObject) { OnStartDrag(this, dragObject); }

void TControl::DoEndDrag(classes::TObject* target, int x, int y) { OnEndDrag(this, target, x, y); }

void TControl::CreatePeers()
{
    if (parent_ != nullptr && parent_->HandleAllocated()) CreateOwnPeer();
}

void TControl::CreateOwnPeer()
{
    IWindowSystem* ws = WindowSystem();
    if (peer_ || ws == nullptr) return;
    peer_ = ws->CreatePeer(*this);
}

void TControl::DestroyPeers() { peer_.reset(); }

void TControl::Changed()
{
    if (peer_) peer_->Changed();
}

void TControl::BringToFront()
{
    if (peer_) peer_->BringToFront();
}

classes::TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetParentComponent(classes::TComponent* parent)
{
    if (auto* p = dynamic_cast<TWinControl*>(parent)) SetParent(p);
}

void TControl::Loaded()
{
    TComponent::Loaded();
    if (parentFont_) ParentFontChanged();
    if (parentColor_) ParentColorChanged();
    if (parent_ != nullptr && align_ != alNone) parent_->Realign();
}

void TControl::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != classes::opRemove) return;
    if (component == popupMenu_) popupMenu_ = nullptr;
    if (component == action_) action_ = nullptr;
}

// ---- TWinControl ---------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TWinControl, TControl)
{
    p.Integer("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, -1).Stored([](const TWinControl& c) {
        return c.Parent() != nullptr;
    });
    p.Boolean("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, false);
    p.Event("OnEnter", &TWinControl::OnEnter);
    p.Event("OnExit", &TWinControl::OnExit);
    p.Event("OnKeyDown", &TWinControl::OnKeyDown);
    p.Event("OnKeyUp", &TWinControl::OnKeyUp);
    p.Event("OnKeyPress", &TWinControl::OnKeyPress);
    p.Event("OnResize", &TWinControl::OnResize);
}

TWinControl::TWinControl(classes::TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl()
{
    // Leave the parent while this is still known as a windowed control.
    if (parent_ != nullptr) parent_->RemoveControl(this);
    // Children outlive their parent until their owner frees them; they only lose their
    // place (and their windows, which belong to this control's window).
    for (TControl* c : controls_) {
        c->DestroyPeers();
        c->parent_ = nullptr;
    }
    controls_.clear();
    tabList_.clear();
}

TControl* TWinControl::Controls(int index) const
{
    if (index < 0 || index >= ControlCount())
        ListIndexError(index);
    return controls_[static_cast<std::size_t>(index)];
}

TControl* TWinControl::ControlAtPos(TPoint p) const
{
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if ((*it)->Visible() && (*it)->BoundsRect().Contains(p)) return *it;
    return nullptr;
}

bool TWinControl::ContainsControl(const TControl* control) const
{
    for (; control != nullptr; control = control->Parent())
        if (control == this) return true;
    return false;
}

void TWinControl::InsertControl(TControl* control)
{
    controls_.push_back(control);
    control->parent_ = this;
    if (auto* w = dynamic_cast<TWinControl*>(control)) tabList_.push_back(w);
    if (control->ParentFont()) control->ParentFontChanged();
    if (control->ParentColor()) control->ParentColorChanged();
    if (!Loading()) Realign();
    if (HandleAllocated()) control->CreatePeers();
}

void TWinControl::RemoveControl(TControl* control)
{
    if (TCustomForm* form = GetParentForm(this)) form->ControlRemoved(control);
    control->DestroyPeers();
    std::erase(controls_, control);
    if (auto* w = dynamic_cast<TWinControl*>(control)) std::erase(tabList_, w);
    control->parent_ = nullptr;
    if (!ComponentState().Contains(classes::csDestroying)) Realign();
}

int TWinControl::TabOrder() const
{
    if (parent_ == nullptr) return -1;
    const auto& list = parent_->tabList_;
    const auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order)
{
    readTabOrder_ = order;
    if (parent_ == nullptr || Loading()) return;
    auto& list = parent_->tabList_;
    const auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    order = std::clamp(order, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + order, this);
    if (TCustomForm* form = GetParentForm(this)) form->Changed();  // its window keeps the Tab cycle
}

std::vector<TWinControl*> TWinControl::TabOrderList() const
{
    std::vector<TWinControl*> result;
    for (TWinControl* c : tabList_) {
        if (c->TabStop()) result.push_back(c);
        const auto inner = c->TabOrderList();
        result.insert(result.end(), inner.begin(), inner.end());
    }
    return result;
}

bool TWinControl::CanFocus() const
{
    const TControl* c = this;
    for (; c != nullptr; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return GetParentForm(this) != nullptr;
}

void TWinControl::SetFocus()
{
    TCustomForm* form = GetParentForm(this);
    if (form == nullptr) return;
    if (form == this) {
        if (HandleAllocated()) Peer()->SetFocus();
        return;
    }
    if (HandleAllocated()) Peer()->SetFocus();
    form->FocusChanged(this);
}

bool TWinControl::Focused() const
{
    const TCustomForm* form = GetParentForm(this);
    return form != nullptr && form->ActiveControl() == this;
}

void TWinControl::KeyDown(TKey& key, TShiftState shift)
{
    TCustomForm* form = GetParentForm(this);
    if (form != nullptr && form != this && form->KeyPreview()) form->OnKeyDown(form, key, shift);
    if (key != 0) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(TKey& key, TShiftState shift)
{
    TCustomForm* form = GetParentForm(this);
    if (form != nullptr && form != this && form->KeyPreview()) form->OnKeyUp(form, key, shift);
    if (key != 0) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key)
{
    TCustomForm* form = GetParentForm(this);
    if (form != nullptr && form != this && form->KeyPreview()) form->OnKeyPress(form, key);
    if (key != 0) OnKeyPress(this, key);
}

bool TWinControl::WantsKey(TKey) const { return false; }

void TWinControl::DoEnter() { Perform(CM_ENTER); }

void TWinControl::DoExit() { Perform(CM_EXIT); }

void TWinControl::DefaultHandler(TMessage& m)
{
    switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_KEYUP: {
        TKey key = static_cast<TKey>(m.WParam);
        const TShiftState shift = TShiftState::FromBits(static_cast<std::uint64_t>(m.LParam));
        if (m.Msg == WM_KEYDOWN)
            KeyDown(key, shift);
        else
            KeyUp(key, shift);
        m.Result = key == 0 ? 1 : 0;  // 1: swallowed
        break;
    }
    case WM_CHAR:
        if (m.WParam > 0 && m.WParam < 128) {
            char c = static_cast<char>(m.WParam);
            KeyPress(c);
            m.Result = c == 0 ? 1 : 0;
        }
        break;
    case CM_ENTER: OnEnter(this); break;
    case CM_EXIT: OnExit(this); break;
    case WM_SETREDRAW:
        if (peer_) peer_->SetRedraw(m.WParam != 0);
        break;
    default: TControl::DefaultHandler(m); break;
    }
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    const int oldWidth = ClientWidth();
    const int oldHeight = ClientHeight();
    const bool resized = std::max(width, 0) != Width() || std::max(height, 0) != Height();
    TControl::SetBounds(left, top, width, height);
    if (!resized || Loading()) return;
    AnchorChildren(oldWidth, oldHeight);
    Realign();
    Resize();
}

void TWinControl::Resize() { OnResize(this); }

void TWinControl::AnchorChildren(int oldClientWidth, int oldClientHeight)
{
    const int dx = ClientWidth() - oldClientWidth;
    const int dy = ClientHeight() - oldClientHeight;
    if (dx == 0 && dy == 0) return;
    for (TControl* c : std::vector<TControl*>(controls_)) {
        if (c->Align() != alNone) continue;
        const TAnchors a = c->Anchors();
        int left = c->Left(), top = c->Top(), width = c->Width(), height = c->Height();
        if (a.Contains(akRight)) {
            if (a.Contains(akLeft))
                width += dx;
            else
                left += dx;
        }
        if (a.Contains(akBottom)) {
            if (a.Contains(akTop))
                height += dy;
            else
                top += dy;
        }
        c->SetBounds(left, top, width, height);
    }
}

void TWinControl::Realign()
{
    if (aligning_ || Loading() || ComponentState().Contains(classes::csDestroying)) return;
    aligning_ = true;
    TRect r = AlignRect();
    const auto place = [&](TAlign align) {
        std::vector<TControl*> list;
        for (TControl* c : controls_)
            if (c->Align() == align && c->Visible()) list.push_back(c);
        std::stable_sort(list.begin(), list.end(), [align](const TControl* a, const TControl* b) {
            switch (align) {
            case alTop: return a->Top() < b->Top();
            case alBottom: return a->Top() + a->Height() > b->Top() + b->Height();
            case alLeft: return a->Left() < b->Left();
            case alRight: return a->Left() + a->Width() > b->Left() + b->Width();
            default: return false;
            }
        });
        for (TControl* c : list) {
            const int w = c->Width();
            const int h = c->Height();
            switch (align) {
            case alTop:
                c->SetBounds(r.Left, r.Top, r.Width(), h);
                r.Top += c->Height();
                break;
            case alBottom:
                c->SetBounds(r.Left, r.Bottom - h, r.Width(), h);
                r.Bottom -= c->Height();
                break;
            case alLeft:
                c->SetBounds(r.Left, r.Top, w, r.Height());
                r.Left += c->Width();
                break;
            case alRight:
                c->SetBounds(r.Right - w, r.Top, w, r.Height());
                r.Right -= c->Width();
                break;
            case alClient: c->SetBounds(r.Left, r.Top, r.Width(), r.Height()); break;
            case alNone: break;
            }
        }
    };
    place(alTop);
    place(alBottom);
    place(alLeft);
    place(alRight);
    remaining_ = r;
    place(alClient);
    aligning_ = false;
    Changed();
}

void TWinControl::CreatePeers()
{
    TControl::CreatePeers();
    if (!HandleAllocated()) return;
    for (TControl* c : std::vector<TControl*>(controls_)) c->CreatePeers();
}

void TWinControl::DestroyPeers()
{
    for (TControl* c : controls_) c->DestroyPeers();
    TControl::DestroyPeers();
}

void TWinControl::GetChildren(const std::function<void(classes::TComponent*)>& proc, classes::TComponent* root)
{
    for (TControl* c : controls_)
        if (c->Owner() == root) proc(c);
}

void TWinControl::Loaded()
{
    // Tab orders were read in whatever order the description gave them.
    std::stable_sort(tabList_.begin(), tabList_.end(),
                     [](const TWinControl* a, const TWinControl* b) { return a->readTabOrder_ < b->readTabOrder_; });
    TControl::Loaded();
    Realign();
}

void TWinControl::FontChanged()
{
    TControl::FontChanged();
    for (TControl* c : controls_) c->ParentFontChanged();
}

void TWinControl::ColorChanged()
{
    TControl::ColorChanged();
    for (TControl* c : controls_) c->ParentColorChanged();
}

}  // namespace ui
