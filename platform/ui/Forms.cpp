#include "platform/ui/Forms.h"

#include <algorithm>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/FormResources.h"
#include "platform/classes/Streaming.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Screen.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/WebBrowser.h"

namespace ui {

namespace {

const classes::TEnumInfo& FormBorderStyleInfo()
{
    static const classes::TEnumInfo info{
        "TFormBorderStyle", {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}};
    return info;
}

const classes::TEnumInfo& BorderIconInfo()
{
    static const classes::TEnumInfo info{"TBorderIcon", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"}};
    return info;
}

const classes::TEnumInfo& PositionInfo()
{
    static const classes::TEnumInfo info{"TPosition",
                                         {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                                          "poScreenCenter", "poDesktopCenter", "poMainFormCenter",
                                          "poOwnerFormCenter"}};
    return info;
}

const classes::TEnumInfo& WindowStateInfo()
{
    static const classes::TEnumInfo info{"TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"}};
    return info;
}

const classes::TEnumInfo& FormStyleInfo()
{
    static const classes::TEnumInfo info{"TFormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"}};
    return info;
}

// The first button below `parent` (depth first) that `match` accepts and that can be pressed.
TButton* FindButton(const TWinControl* parent, bool (TButton::*match)() const noexcept)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (!c->Visible() || !c->Enabled()) continue;
        if (auto* b = dynamic_cast<TButton*>(c); b != nullptr && (b->*match)()) return b;
        if (auto* w = dynamic_cast<TWinControl*>(c))
            if (TButton* b = FindButton(w, match)) return b;
    }
    return nullptr;
}

}  // namespace

const classes::TEnumInfo& BorderStyleInfo()
{
    static const classes::TEnumInfo info{"TBorderStyle", {"bsNone", "bsSingle"}};
    return info;
}

// ---- TCustomForm ---------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TCustomForm, TWinControl)
{
    p.String("Caption", &TCustomForm::Caption, &TCustomForm::SetCaption);
    p.Integer("ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetClientWidth)
        .Stored([](const TCustomForm&) { return false; });
    p.Integer("ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetClientHeight)
        .Stored([](const TCustomForm&) { return false; });
    p.Boolean("Visible", &TCustomForm::Visible, &TCustomForm::SetVisible, false);
    p.Boolean("ParentFont", &TCustomForm::ParentFont, &TCustomForm::SetParentFont, false);
    p.Enumeration("BorderStyle", FormBorderStyleInfo(), &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle,
                  bsSizeable);
    p.Set("BorderIcons", BorderIconInfo(), &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons,
          TBorderIcons{biSystemMenu, biMinimize, biMaximize});
    p.Enumeration("Position", PositionInfo(), &TCustomForm::Position, &TCustomForm::SetPosition, poDesigned);
    p.Enumeration("WindowState", WindowStateInfo(), &TCustomForm::WindowState, &TCustomForm::SetWindowState,
                  wsNormal);
    p.Enumeration("FormStyle", FormStyleInfo(), &TCustomForm::FormStyle, &TCustomForm::SetFormStyle, fsNormal);
    p.Boolean("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview, false);
    p.Component<TMainMenu>("Menu", &TCustomForm::Menu, &TCustomForm::SetMenu);
    p.Component<TWinControl>("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
    p.Event("OnCreate", &TCustomForm::OnCreate);
    p.Event("OnShow", &TCustomForm::OnShow);
    p.Event("OnHide", &TCustomForm::OnHide);
    p.Event("OnClose", &TCustomForm::OnClose);
    p.Event("OnCloseQuery", &TCustomForm::OnCloseQuery);
    p.Event("OnDestroy", &TCustomForm::OnDestroy);
    p.Event("OnActivate", &TCustomForm::OnActivate);
}

TCustomForm::TCustomForm(classes::TComponent* owner) : TWinControl(owner)
{
    SetVisibleFlag(false);
    SetParentFont(false);
    SetBounds(0, 0, 320, 240);
    Screen().AddForm(this);
}

TCustomForm::~TCustomForm()
{
    BeforeDestruction();
    Screen().RemoveForm(this);
    if (Application().MainForm() == this) Application().SetMainForm(nullptr);
    DestroyPeers();
}

void TCustomForm::LoadDescription(std::string_view name)
{
    RegisterUiClasses();
    classes::LoadFormDescription(*this, name);
    DoCreate();
}

void TCustomForm::ReadDescription(std::string_view text)
{
    RegisterUiClasses();
    classes::ReadComponentText(*this, text, classes::TReadOptions{true});
    DoCreate();
}

void TCustomForm::DoCreate()
{
    if (created_) return;
    created_ = true;
    OnCreate(this);
    if (std::exchange(showAfterCreate_, false))
        VisibleChanged();
    else if (formStyle_ == fsMDIChild && !Visible())
        Show();
}

void TCustomForm::BeforeDestruction()
{
    if (destroyed_) return;
    destroyed_ = true;
    try {
        OnDestroy(this);
    } catch (...) {
        Application().HandleException(this);
    }
}

void TCustomForm::MissingComponent(std::string_view name) const
{
    throw classes::EComponentError("Component " + std::string(name) + " not found on " + Name());
}

void TCustomForm::SetBorderStyle(TFormBorderStyle style)
{
    if (style == borderStyle_) return;
    borderStyle_ = style;
    Changed();
}

void TCustomForm::SetBorderIcons(TBorderIcons icons)
{
    if (icons == borderIcons_) return;
    borderIcons_ = icons;
    Changed();
}

void TCustomForm::SetWindowState(TWindowState state)
{
    if (state == windowState_) return;
    windowState_ = state;
    Changed();
}

void TCustomForm::SetFormStyle(TFormStyle style)
{
    if (style == formStyle_) return;
    formStyle_ = style;
    Changed();
}

void TCustomForm::SetMenu(TMainMenu* menu)
{
    if (menu == menu_) return;
    SetReference(*this, menu_, menu);
    Realign();
    Changed();
}

int TCustomForm::FrameWidth() const { return borderStyle_ == bsNone ? 0 : 2 * kFrameWidth; }

int TCustomForm::FrameHeight() const
{
    const int menu = menu_ != nullptr ? kMenuHeight : 0;
    return (borderStyle_ == bsNone ? 0 : 2 * kFrameWidth + kCaptionHeight) + menu;
}

TRect TCustomForm::ClientRect() const
{
    return {0, 0, std::max(0, Width() - FrameWidth()), std::max(0, Height() - FrameHeight())};
}

void TCustomForm::SetClientWidth(int w)
{
    if (Loading()) {
        readClientWidth_ = w;
        return;
    }
    SetWidth(w + FrameWidth());
}

void TCustomForm::SetClientHeight(int h)
{
    if (Loading()) {
        readClientHeight_ = h;
        return;
    }
    SetHeight(h + FrameHeight());
}

int TCustomForm::ShowModal() { return DialogService().ShowModal(*this); }

int TCustomForm::ExecuteModal(const std::function<void()>& pump)
{
    if (Visible() || !Enabled() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
    modal_ = true;
    modalResult_ = mrNone;
    rtl::TScopeExit end([this] {
        modal_ = false;
        if (Visible()) Hide();
    });
    Show();
    while (true) {
        pump();
        if (Application().Terminated() && modalResult_ == mrNone) modalResult_ = mrCancel;
        if (modalResult_ != mrNone) {
            CloseModal();
            if (modalResult_ != mrNone) break;
        }
    }
    return modalResult_;
}

void TCustomForm::CloseModal()
{
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    if (action == caNone)
        modalResult_ = mrNone;
    else if (action == caFree)
        Release();
}

bool TCustomForm::CloseQuery()
{
    if (formStyle_ == fsMDIForm)
        for (int i = 0; i < MDIChildCount(); ++i)
            if (!MDIChildren(i)->CloseQuery()) return false;
    bool canClose = true;
    OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::DoClose(TCloseAction& action) { OnClose(this, action); }

bool TCustomForm::Close()
{
    if (modal_) {
        modalResult_ = mrCancel;
        return true;
    }
    if (!CloseQuery()) return false;
    TCloseAction action = caHide;
    if (formStyle_ == fsMDIChild) action = borderIcons_.Contains(biMinimize) ? caMinimize : caNone;
    DoClose(action);
    if (action == caNone) return false;
    if (Application().MainForm() == this) {
        Application().Terminate();
        Hide();
        return true;
    }
    switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    case caNone: break;
    }
    return true;
}

void TCustomForm::Release() { Application().ReleaseForm(this); }

void TCustomForm::PlaceOnFirstShow()
{
    placed_ = true;
    const TRect area{0, 0, Screen().Width(), Screen().Height()};
    const auto centerOn = [this](const TRect& r) {
        SetBounds(r.Left + (r.Width() - Width()) / 2, r.Top + (r.Height() - Height()) / 2, Width(), Height());
    };
    switch (position_) {
    case poScreenCenter:
    case poDesktopCenter: centerOn(area); break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
        const TCustomForm* other = position_ == poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : nullptr;
        if (other == nullptr) other = Application().MainForm();
        if (other != nullptr && other != this && other->Visible())
            centerOn(other->BoundsRect());
        else
            centerOn(area);
        break;
    }
    default: break;
    }
}

void TCustomForm::CreatePeers()
{
    CreateOwnPeer();
    TWinControl::CreatePeers();
}

void TCustomForm::VisibleChanged()
{
    if (Visible()) {
        if (formStyle_ == fsMDIChild) {
            const TCustomForm* main = Application().MainForm();
            if (main == nullptr || main->FormStyle() != fsMDIForm) {
                SetVisibleFlag(false);
                throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
            }
        }
        if (!placed_) PlaceOnFirstShow();
        CreatePeers();
        OnShow(this);
        Changed();
        Screen().SetActiveForm(this);
        TWinControl* focus = activeControl_;
        if (focus == nullptr || !focus->CanFocus()) {
            focus = nullptr;
            for (TWinControl* c : TabOrderList())
                if (c->CanFocus()) {
                    focus = c;
                    break;
                }
        }
        if (focus != nullptr) focus->SetFocus();
    } else {
        OnHide(this);
        Changed();
        if (Screen().ActiveForm() == this) {
            TCustomForm* next = nullptr;
            for (int i = 0; i < Screen().FormCount(); ++i)
                if (Screen().Forms(i) != this && Screen().Forms(i)->Visible()) {
                    next = Screen().Forms(i);
                    break;
                }
            Screen().SetActiveForm(next);
        }
    }
}

void TCustomForm::SetActiveControl(TWinControl* control)
{
    if (control == activeControl_) return;
    if (Loading() || !Visible() || control == nullptr || !control->CanFocus()) {
        activeControl_ = control;
        return;
    }
    control->SetFocus();
}

void TCustomForm::FocusChanged(TWinControl* control)
{
    if (control == activeControl_) return;
    TWinControl* old = activeControl_;
    activeControl_ = control;
    // The controls left are the old one and its parents that do not hold the new one (a
    // grid hears it when the focus goes from a control over its cell to another control);
    // the controls entered are the new one and its parents that did not hold the old one,
    // outermost first.
    const auto holds = [](TWinControl* outer, TWinControl* inner) {
        return inner != nullptr && (outer == inner || outer->ContainsControl(inner));
    };
    for (TWinControl* c = old; c != nullptr && c != this && !holds(c, control); c = c->Parent()) {
        c->DoExit();
        if (activeControl_ != control) return;  // an exit handler moved the focus on
    }
    if (control == nullptr || activeControl_ != control) return;
    std::vector<TWinControl*> entered;
    for (TWinControl* c = control; c != nullptr && c != this && !holds(c, old); c = c->Parent()) entered.push_back(c);
    for (auto it = entered.rbegin(); it != entered.rend(); ++it) (*it)->DoEnter();
}

void TCustomForm::SelectNext(TWinControl* current, bool goForward, bool checkTabStop)
{
    const std::vector<TWinControl*> list = TabOrderList();
    const int n = static_cast<int>(list.size());
    if (n == 0) return;
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (list[i] == current) at = i;
    for (int step = 1; step <= n; ++step) {
        const int i = at < 0 ? (goForward ? step - 1 : n - step) : ((at + (goForward ? step : -step)) % n + n) % n;
        TWinControl* c = list[i];
        if (c == current) break;
        if (c->CanFocus() && (!checkTabStop || c->TabStop())) {
            c->SetFocus();
            return;
        }
    }
}

bool TCustomForm::DialogKey(TKey key)
{
    if (key != VK_RETURN && key != VK_ESCAPE) return false;
    if (activeControl_ != nullptr && activeControl_->WantsKey(key)) return false;
    TButton* target = nullptr;
    if (key == VK_RETURN) {
        target = dynamic_cast<TButton*>(activeControl_);
        if (target == nullptr) target = FindButton(this, &TButton::Default);
    } else {
        target = FindButton(this, &TButton::Cancel);
    }
    if (target == nullptr) return false;
    target->Click();
    return true;
}

int TCustomForm::MDIChildCount() const
{
    if (formStyle_ != fsMDIForm) return 0;
    int n = 0;
    for (int i = 0; i < Screen().FormCount(); ++i)
        if (Screen().Forms(i)->FormStyle() == fsMDIChild) ++n;
    return n;
}

TCustomForm* TCustomForm::MDIChildren(int index) const
{
    if (formStyle_ == fsMDIForm)
        for (int i = 0, n = 0; i < Screen().FormCount(); ++i)
            if (Screen().Forms(i)->FormStyle() == fsMDIChild && n++ == index) return Screen().Forms(i);
    ListIndexError(index);
}

TCustomForm* TCustomForm::ActiveMDIChild() const { return MDIChildCount() > 0 ? MDIChildren(0) : nullptr; }

void TCustomForm::ClientResizedByUser(int clientWidth, int clientHeight)
{
    SetBounds(Left(), Top(), clientWidth + FrameWidth(), clientHeight + FrameHeight());
}

void TCustomForm::Activated()
{
    if (Screen().ActiveForm() == this) return;
    Screen().SetActiveForm(this);
    OnActivate(this);
}

void TCustomForm::Loaded()
{
    TWinControl::Loaded();
    if (readClientWidth_ >= 0) SetClientWidth(std::exchange(readClientWidth_, -1));
    if (readClientHeight_ >= 0) SetClientHeight(std::exchange(readClientHeight_, -1));
    // A description that shows the form shows it once OnCreate has run.
    showAfterCreate_ = Visible();
}

void TCustomForm::GetChildren(const std::function<void(classes::TComponent*)>& proc, classes::TComponent* root)
{
    TWinControl::GetChildren(proc, root);
    if (root != this) return;
    for (int i = 0; i < ComponentCount(); ++i) {
        classes::TComponent* c = Components(i);
        if (c->GetParentComponent() == nullptr && dynamic_cast<TControl*>(c) == nullptr) proc(c);
    }
}

void TCustomForm::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation != classes::opRemove) return;
    if (component == menu_) menu_ = nullptr;
    if (component == activeControl_) activeControl_ = nullptr;
}

void TCustomForm::ControlRemoved(TControl* control)
{
    if (activeControl_ == nullptr) return;
    auto* w = dynamic_cast<TWinControl*>(control);
    if (w != nullptr && w->ContainsControl(activeControl_)) activeControl_ = nullptr;
}

GW_IMPLEMENT_CLASS(TForm, TCustomForm) {}

// ---- TScrollBox ----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TScrollBox, TWinControl)
{
    p.Enumeration("BorderStyle", BorderStyleInfo(), &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle, bsSingle);
    p.Boolean("AutoScroll", &TScrollBox::AutoScroll, &TScrollBox::SetAutoScroll, true);
    p.Color("Color", &TScrollBox::Color, &TScrollBox::SetColor, rtl::clBtnFace);
}

TScrollBox::TScrollBox(classes::TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 185, 41);
    SetTabStop(true);
}

void TScrollBox::SetBorderStyle(TFormBorderStyle style)
{
    borderStyle_ = style == bsNone ? bsNone : bsSingle;
    Changed();
}

void TScrollBox::SetAutoScroll(bool v)
{
    if (v == autoScroll_) return;
    autoScroll_ = v;
    Changed();
}

TPoint TScrollBox::ContentExtent() const
{
    TPoint p;
    for (int i = 0; i < ControlCount(); ++i) {
        const TControl* c = Controls(i);
        if (!c->Visible()) continue;
        p.X = std::max(p.X, c->Left() + c->Width());
        p.Y = std::max(p.Y, c->Top() + c->Height());
    }
    return p;
}

// ---- TApplication --------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TApplication, classes::TComponent) {}

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() = default;

void TApplication::SetMainForm(TCustomForm* form) { mainForm_ = form; }

void TApplication::SetIcon(TPixelImage icon)
{
    icon_ = std::move(icon);
    if (IWindowSystem* ws = WindowSystem()) ws->ApplicationIconChanged();
}

void TApplication::Run()
{
    if (WindowSystem() == nullptr) throw EInvalidOperation("There is no window system to run the application on");
    if (mainForm_ != nullptr && !mainForm_->Visible()) mainForm_->Show();
    while (!terminated_) HandleMessage();
}

void TApplication::HandleMessage()
{
    if (IWindowSystem* ws = WindowSystem()) ws->HandleMessage();
    DoPostedCalls();
    Idle();
}

void TApplication::ProcessMessages()
{
    if (IWindowSystem* ws = WindowSystem())
        ws->ProcessMessages();
    else
        HeadlessPostQueue().DeliverAll();
    DoPostedCalls();
}

void TApplication::Terminate()
{
    terminated_ = true;
    if (IWindowSystem* ws = WindowSystem()) ws->Wake();
}

void TApplication::Reset()
{
    terminated_ = false;
    mainForm_ = nullptr;
    hint_.clear();
    posted_.clear();
}

void TApplication::PostCall(std::function<void()> call)
{
    posted_.push_back(std::move(call));
    if (IWindowSystem* ws = WindowSystem()) ws->Wake();
}

void TApplication::DoPostedCalls()
{
    while (!posted_.empty()) {
        auto calls = std::exchange(posted_, {});
        for (auto& call : calls) SafeCall(this, call);
    }
}

void TApplication::ReleaseForm(TCustomForm* form)
{
    if (std::find(releasing_.begin(), releasing_.end(), form) != releasing_.end()) return;
    releasing_.push_back(form);
    form->FreeNotification(this);
    PostCall([this] {
        while (!releasing_.empty()) {
            TCustomForm* f = releasing_.back();
            releasing_.pop_back();
            f->RemoveFreeNotification(this);
            delete f;
        }
    });
}

void TApplication::SetHint(const std::string& hint)
{
    if (hint == hint_) return;
    hint_ = hint;
    OnHint(this);
    for (TApplicationEvents* e : std::vector<TApplicationEvents*>(events_)) e->OnHint(e);
}

void TApplication::HintControl(const TControl* control)
{
    while (control != nullptr && control->Hint().empty()) control = control->Parent();
    SetHint(control != nullptr ? GetLongHint(control->Hint()) : std::string());
}

void TApplication::HandleException(classes::TObject* sender)
{
    const std::exception_ptr current = std::current_exception();
    if (!current) return;
    try {
        std::rethrow_exception(current);
    } catch (const std::exception& e) {
        HandleException(sender, e);
    } catch (...) {
        HandleException(sender, rtl::Exception("Unknown exception"));
    }
}

void TApplication::HandleException(classes::TObject* sender, const std::exception& e)
{
    if (dynamic_cast<const rtl::EAbort*>(&e) != nullptr) return;
    try {
        if (OnException) {
            OnException(sender, e);
            return;
        }
        bool handled = false;
        for (TApplicationEvents* ev : std::vector<TApplicationEvents*>(events_))
            if (ev->OnException) {
                ev->OnException(sender, e);
                handled = true;
            }
        if (!handled) ShowException(e);
    } catch (...) {
        // An exception handler that fails itself has nobody left to tell but the log.
        rtl::LogCurrentException("TApplication::HandleException, in the exception handler");
    }
}

void TApplication::ShowException(const std::exception& e)
{
    std::string text = e.what();
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    DialogService().Message(TMessageRequest{text, title_, mtError, TMsgDlgButtons{mbOK}, 0});
}

bool TApplication::SafeCall(classes::TObject* sender, const std::function<void()>& call)
{
    try {
        call();
        return true;
    } catch (...) {
        HandleException(sender);
        return false;
    }
}

bool TApplication::HelpContext(int context)
{
    bool shown = false;
    OnHelp(context, shown);
    return shown;
}

void TApplication::UpdateActions()
{
    for (TActionList* list : std::vector<TActionList*>(AllActionLists())) list->UpdateActions();
}

void TApplication::Idle() { SafeCall(this, [this] { UpdateActions(); }); }

void TApplication::AddEvents(TApplicationEvents* events) { events_.push_back(events); }

void TApplication::RemoveEvents(TApplicationEvents* events) { std::erase(events_, events); }

void TApplication::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == classes::opRemove) {
        std::erase(releasing_, component);
        if (component == mainForm_) mainForm_ = nullptr;
    }
}

GW_IMPLEMENT_CLASS(TApplicationEvents, classes::TComponent)
{
    p.Event("OnHint", &TApplicationEvents::OnHint);
    p.Event("OnException", &TApplicationEvents::OnException);
}

TApplicationEvents::TApplicationEvents(classes::TComponent* owner) : TComponent(owner)
{
    Application().AddEvents(this);
}

TApplicationEvents::~TApplicationEvents() { Application().RemoveEvents(this); }

// ---- TScreen -------------------------------------------------------------------------------

void TScreen::SetCursor(TCursor cursor)
{
    cursor_ = cursor;
    if (IWindowSystem* ws = WindowSystem()) ws->SetCursor(cursor);
}

void TScreen::SetCursorImage(TCursor id, const TPicture& picture, TPoint hotSpot)
{
    TCursorImage image;
    image.Width = picture.Width();
    image.Height = picture.Height();
    image.Pixels = picture.Pixels();
    image.HotSpot = hotSpot;
    const bool opaque = std::all_of(image.Pixels.begin(), image.Pixels.end(),
                                    [](std::uint32_t p) { return (p >> 24) == 0xFF; });
    if (opaque && !image.Pixels.empty()) {
        const std::uint32_t key = image.Pixels[static_cast<std::size_t>(image.Height - 1) * image.Width] & 0xFFFFFF;
        for (std::uint32_t& p : image.Pixels)
            if ((p & 0xFFFFFF) == key) p = 0;
    }
    cursorImages_[id] = std::move(image);
}

void TScreen::SetCursorImage(TCursor id, TCursorImage image) { cursorImages_[id] = std::move(image); }

const TCursorImage* TScreen::CursorImage(TCursor id) const
{
    const auto it = cursorImages_.find(id);
    return it == cursorImages_.end() ? nullptr : &it->second;
}

const rtl::TStrings& TScreen::Fonts()
{
    if (fonts_.Count() == 0) {
        fonts_.SetSorted(true);
        if (IWindowSystem* ws = WindowSystem()) {
            for (const std::string& name : ws->FontNames()) fonts_.Add(name);
        } else {
            for (const char* name : {"Sans Serif", "Serif", "Monospace"}) fonts_.Add(name);
        }
    }
    return fonts_;
}

int TScreen::Width()
{
    if (IWindowSystem* ws = WindowSystem()) return ws->WorkArea().Width();
    return 1024;
}

int TScreen::Height()
{
    if (IWindowSystem* ws = WindowSystem()) return ws->WorkArea().Height();
    return 768;
}

TRect TScreen::WorkAreaRect()
{
    if (IWindowSystem* ws = WindowSystem()) return ws->WorkArea();
    return {0, 0, 1024, 768};
}

int TScreen::PixelsPerInch() const { return ScreenPixelsPerInch(); }

TCustomForm* TScreen::Forms(int index) const
{
    if (index < 0 || index >= FormCount())
        ListIndexError(index);
    return forms_[static_cast<std::size_t>(index)];
}

TWinControl* TScreen::ActiveControl() const { return activeForm_ != nullptr ? activeForm_->ActiveControl() : nullptr; }

void TScreen::AddForm(TCustomForm* form) { forms_.push_back(form); }

void TScreen::RemoveForm(TCustomForm* form)
{
    std::erase(forms_, form);
    if (activeForm_ == form) activeForm_ = nullptr;
}

void TScreen::SetActiveForm(TCustomForm* form)
{
    activeForm_ = form;
    if (form == nullptr) return;
    // Forms are kept most recently active first.
    const auto it = std::find(forms_.begin(), forms_.end(), form);
    if (it != forms_.end()) std::rotate(forms_.begin(), it, it + 1);
}

TApplication& Application()
{
    // Never destroyed: forms still alive at exit would outlive the toolkit otherwise.
    static auto* application = new TApplication();
    return *application;
}

TScreen& Screen()
{
    static auto* screen = new TScreen();
    return *screen;
}

void RegisterUiClasses()
{
    static const bool done = [] {
        classes::RegisterClasses<TForm, TScrollBox, TApplicationEvents, TLabel, TPanel, TGroupBox, TEdit, TMemo,
                                 TSpinEdit, TButton, TBitBtn, TSpeedButton, TCheckBox, TRadioButton, TRadioGroup,
                                 TListBox, TCheckListBox, TComboBox, TImage, TShape, TSplitter, TTimer, TListView,
                                 TPageControl, TTabSheet, TStatusBar, TToolBar, TToolButton, TCoolBar, TMainMenu,
                                 TPopupMenu, TMenuItem, TActionList, TAction, TImageList, TOpenDialog, TSaveDialog,
                                 TColorDialog, TFontDialog, TWebBrowser>();
        return true;
    }();
    (void)done;
}

// ---- Key filters -----------------------------------------------------------------------------

int TApplication::AddKeyFilter(TKeyFilter filter) { return keyFilters_.Add(std::move(filter)); }

void TApplication::RemoveKeyFilter(int id) { keyFilters_.Remove(id); }

bool TApplication::FilterKey(TWinControl* focused, TKey key, TShiftState shift, bool down)
{
    if (keyFilters_.Run(focused, key, shift, down)) return true;
    if (key != VK_F1 || !shift.Empty()) return false;
    // Every key enters here, whichever window and control has the focus: one place answers
    // F1 for all of them.
    for (const TControl* c = focused; c != nullptr; c = c->Parent()) {
        if (c->HelpContext() == 0) continue;
        if (down) HelpContext(c->HelpContext());
        return true;
    }
    return false;
}

// ---- Mouse filters ---------------------------------------------------------------------------

int TApplication::AddMouseFilter(TMouseFilter filter) { return mouseFilters_.Add(std::move(filter)); }

void TApplication::RemoveMouseFilter(int id) { mouseFilters_.Remove(id); }

bool TApplication::FilterMouse(TControl* target, unsigned msg, TPoint screen)
{
    return mouseFilters_.Run(target, msg, screen);
}

}  // namespace ui
