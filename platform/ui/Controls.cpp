#include "platform/ui/Controls.h"

#include <algorithm>

#include "platform/ui/ActnList.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"

namespace ui {

namespace {

IWindowSystem*& InstalledWindowSystem()
{
    static IWindowSystem* system = nullptr;
    return system;
}

}  // namespace

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
    p.Color("Color", &TControl::Color, &TControl::SetColor, rtl::clBtnFace);
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
        if (c->parent_ == nullptr) {
            if (const auto* form = dynamic_cast<const TCustomForm*>(c)) {
                p.X += form->Left() + form->FrameWidth() / 2;
                p.Y += form->Top() + form->FrameHeight() - form->FrameWidth() / 2;
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

void TControl::SetVisible(bool visible)
{
    if (visible == visible_) return;
    visible_ = visible;
    if (!Loading()) VisibleChanged();
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
    Changed();
}

void TControl::SetText(const std::string& text)
{
    if (text == text_) return;
    text_ = text;
    TextChanged();
}

void TControl::TextChanged() { Changed(); }

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
    showHint_ = show;
    parentShowHint_ = false;
    Changed();
}

void TControl::SetParentShowHint(bool v)
{
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

void TControl::FontChanged() { Changed(); }

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

void TControl::ColorChanged() { Changed(); }

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

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) { OnMouseDown(this, button, shift, x, y); }

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

void TWinControl::DoEnter() { OnEnter(this); }

void TWinControl::DoExit() { OnExit(this); }

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
