#pragma once
// Forms, the scroll box, the application object and the screen.
//
// A form is built from its stored description (LoadDescription), which creates its
// components, sets their properties and binds their events to the handlers the form
// registered; OnCreate runs once that is done. Show makes its windows (through the window
// system, when there is one) and fires OnShow; ShowModal runs it modally through the dialog
// service and answers its modal result; Close asks OnCloseQuery, then OnClose decides what
// happens (hide, free later, minimise, nothing).

#include <algorithm>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/Errors.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Graphics.h"

namespace ui {

class TMainMenu;
class TApplicationEvents;

using rtl::EInvalidOperation;

// bsNone and bsSingle double as the border style of panels, edits and scroll boxes.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = classes::TSet<TBorderIcon>;
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseEvent = classes::TEvent<classes::TObject*, TCloseAction&>;
using TCloseQueryEvent = classes::TEvent<classes::TObject*, bool&>;

const classes::TEnumInfo& BorderStyleInfo();  // bsNone, bsSingle

class TCustomForm : public TWinControl {
    GW_CLASS(TCustomForm)

public:
    // Frame of a bordered window around the client area, in pixels.
    static constexpr int kFrameWidth = 4;
    static constexpr int kCaptionHeight = 23;
    static constexpr int kMenuHeight = 20;

    explicit TCustomForm(classes::TComponent* owner);
    ~TCustomForm() override;

    // Reads the built-in description `name` (or the description text) into this form,
    // then fires OnCreate. Handlers must be registered before.
    void LoadDescription(std::string_view name);
    void ReadDescription(std::string_view text);
    // Fires OnCreate (once).
    void DoCreate();
    // Fires OnDestroy (once). A form whose OnDestroy handler uses members of its own
    // class calls this first in its destructor; otherwise ~TCustomForm calls it.
    void BeforeDestruction();

    // The component of that name owned by this form, of class T. EComponentError when there
    // is none or it is of another class.
    template <class T>
    T* Get(std::string_view name) const
    {
        auto* c = dynamic_cast<T*>(FindComponent(name));
        if (c == nullptr) MissingComponent(name);
        return c;
    }

    // ---- Window -----------------------------------------------------------------------
    TFormBorderStyle BorderStyle() const noexcept { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TBorderIcons BorderIcons() const noexcept { return borderIcons_; }
    void SetBorderIcons(TBorderIcons icons);
    TPosition Position() const noexcept { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    TWindowState WindowState() const noexcept { return windowState_; }
    void SetWindowState(TWindowState state);
    TFormStyle FormStyle() const noexcept { return formStyle_; }
    void SetFormStyle(TFormStyle style);
    bool KeyPreview() const noexcept { return keyPreview_; }
    void SetKeyPreview(bool v) { keyPreview_ = v; }
    // A window that a modal dialog does not block: it can be read and used while the dialog
    // stays open (the help a dialog opened). Off for every other window.
    bool UsableDuringModal() const noexcept { return usableDuringModal_; }
    void SetUsableDuringModal(bool v) { usableDuringModal_ = v; }
    TMainMenu* Menu() const noexcept { return menu_; }
    void SetMenu(TMainMenu* menu);

    TRect ClientRect() const override;
    void SetClientWidth(int w) override;
    void SetClientHeight(int h) override;
    // Non-client sizes for the current border style and menu.
    int FrameWidth() const;
    int FrameHeight() const;

    // ---- Showing ----------------------------------------------------------------------
    bool Showing() const override { return Visible(); }
    // Runs the form modally through the dialog service; answers its modal result.
    int ShowModal();
    // The modal loop: shows the form, calls `pump` until a modal result is set and the
    // form agrees to close, hides it. The dialog service calls it.
    int ExecuteModal(const std::function<void()>& pump);
    bool Modal() const noexcept { return modal_; }
    TModalResult ModalResult() const noexcept { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }

    // Asks OnCloseQuery (and the MDI children of a frame): true when the form may close.
    virtual bool CloseQuery();
    // A modal form gets mrCancel; another one closes as OnClose decides (the main form's
    // close ends the application). False when OnCloseQuery or OnClose (caNone) kept it.
    bool Close();
    // Frees the form once the handlers running now are done.
    void Release();

    // ---- Focus ----------------------------------------------------------------------------
    TWinControl* ActiveControl() const noexcept { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    // The window system (or SetFocus without one) reports where the focus went.
    void FocusChanged(TWinControl* control);
    // A control left the form (its parent let it go): the focus cannot stay in it.
    void ControlRemoved(TControl* control);
    // Enter and Escape not taken by the focused control press the default and cancel
    // buttons; true when a button took the key.
    bool DialogKey(TKey key);
    // Moves the focus from `current` to the next (or previous) control of the Tab cycle
    // that can take it (with `checkTabStop`, only controls with TabStop), wrapping around.
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);

    // ---- MDI ------------------------------------------------------------------------------
    int MDIChildCount() const;
    TCustomForm* MDIChildren(int index) const;
    TCustomForm* ActiveMDIChild() const;

    // The window system reports that the user resized the client area.
    void ClientResizedByUser(int clientWidth, int clientHeight);
    // The window system reports that the user activated this form.
    void Activated();

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnActivate;

    void CreatePeers() override;
    void Loaded() override;
    void GetChildren(const std::function<void(classes::TComponent*)>& proc, classes::TComponent* root) override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;

protected:
    void VisibleChanged() override;
    virtual void DoClose(TCloseAction& action);

private:
    [[noreturn]] void MissingComponent(std::string_view name) const;
    void CloseModal();
    void PlaceOnFirstShow();

    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    TFormStyle formStyle_ = fsNormal;
    bool keyPreview_ = false;
    bool usableDuringModal_ = false;
    TMainMenu* menu_ = nullptr;
    TWinControl* activeControl_ = nullptr;
    bool modal_ = false;
    TModalResult modalResult_ = mrNone;
    bool created_ = false;
    bool showAfterCreate_ = false;
    bool destroyed_ = false;
    bool placed_ = false;
    int readClientWidth_ = -1;
    int readClientHeight_ = -1;
};

class TForm : public TCustomForm {
    GW_CLASS(TForm)

public:
    explicit TForm(classes::TComponent* owner) : TCustomForm(owner) {}
};

// A control whose children may reach beyond it; it scrolls over them.
class TScrollBox : public TWinControl {
    GW_CLASS(TScrollBox)

public:
    explicit TScrollBox(classes::TComponent* owner);
    TFormBorderStyle BorderStyle() const noexcept { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    bool AutoScroll() const noexcept { return autoScroll_; }
    void SetAutoScroll(bool v);
    // The right and bottom edges of the farthest child (the scrolled area's size).
    TPoint ContentExtent() const;

private:
    TFormBorderStyle borderStyle_ = bsSingle;
    bool autoScroll_ = true;
};

using TExceptionEvent = classes::TEvent<classes::TObject*, const std::exception&>;
using THelpEvent = classes::TEvent<int, bool&>;

// A picture in pixels drawn in code (the program's icon, cursors).
struct TPixelImage {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;  // 0xAARRGGBB; alpha 0 is see-through
};

// A cursor drawn from a picture, with the point of the picture that marks the mouse position.
struct TCursorImage : TPixelImage {
    TPoint HotSpot;
};

class TApplication : public classes::TComponent {
    GW_CLASS(TApplication)

public:
    TApplication();
    ~TApplication() override;

    // How long a hint stays up, in milliseconds.
    int HintHidePause = 2500;
    const std::string& Title() const noexcept { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }
    // The program's own icon, which its windows show in place of the window system's; empty
    // until set.
    const TPixelImage& Icon() const noexcept { return icon_; }
    void SetIcon(TPixelImage icon);
    TCustomForm* MainForm() const noexcept { return mainForm_; }
    // The first form created through CreateForm becomes the main form.
    template <class T>
    T* CreateForm()
    {
        auto* form = new T(this);
        if (mainForm_ == nullptr) SetMainForm(form);
        return form;
    }
    void SetMainForm(TCustomForm* form);

    // Shows the main form and handles input until Terminate (or the main form closes).
    void Run();
    void HandleMessage();
    void ProcessMessages();
    void Terminate();
    bool Terminated() const noexcept { return terminated_; }
    // Clears the terminated state and forgets the main form (tests run several programs).
    void Reset();

    // Runs `call` from the event loop once the handlers running now are done.
    void PostCall(std::function<void()> call);
    // Runs the posted calls (the window system calls it; ProcessMessages does too).
    void DoPostedCalls();
    // Frees `form` with the next posted calls unless it is freed before.
    void ReleaseForm(TCustomForm* form);

    // The long hint of the control under the mouse; setting it fires OnHint.
    const std::string& Hint() const noexcept { return hint_; }
    void SetHint(const std::string& hint);
    bool ShowHint() const noexcept { return showHint_; }
    void SetShowHint(bool v) { showHint_ = v; }
    // The mouse moved over `control` (nullptr: over none): Hint := its long hint.
    void HintControl(const TControl* control);
    TNotifyEvent OnHint;

    // The exception being handled (call it from inside a catch block) goes to OnException
    // when assigned, else to the OnException of TApplicationEvents components, else to
    // ShowException; EAbort is silent. Never throws.
    void HandleException(classes::TObject* sender);
    void HandleException(classes::TObject* sender, const std::exception& e);
    // The modal box: the message (with "." appended when its last character sorts after
    // "."), captioned with the title, stop icon, OK.
    void ShowException(const std::exception& e);
    TExceptionEvent OnException;

    // Runs `call`; an exception escaping it is handled as one escaping an event handler.
    // Returns false when one did.
    bool SafeCall(classes::TObject* sender, const std::function<void()>& call);

    const std::string& HelpFile() const noexcept { return helpFile_; }
    void SetHelpFile(const std::string& f) { helpFile_ = f; }
    // Asks OnHelp to show the topic; false when no handler took it. The program's help
    // system assigns OnHelp; F1 and the help buttons come here.
    bool HelpContext(int context);
    THelpEvent OnHelp;

    // Fires every action's OnUpdate (done when the input is handled).
    void UpdateActions();
    void Idle();

    void AddEvents(TApplicationEvents* events);
    void RemoveEvents(TApplicationEvents* events);
    void Notification(classes::TComponent* component, classes::TOperation operation) override;

    // Key filters see every key press (`down`) and release before the focused control does
    // (the window system calls FilterKey where keys enter); the newest filter first. A
    // filter answering true swallows the key: neither older filters nor the control see it.
    // AddKeyFilter answers an id for RemoveKeyFilter.
    // F1 that no filter took asks for help (HelpContext) at the first help context found
    // from the focused control up through its parents to its form; it goes no further then.
    // With no context on the way, F1 passes on like any key.
    using TKeyFilter = std::function<bool(TWinControl* focused, TKey key, TShiftState shift, bool down)>;
    int AddKeyFilter(TKeyFilter filter);
    void RemoveKeyFilter(int id);
    bool FilterKey(TWinControl* focused, TKey key, TShiftState shift, bool down);

    // Mouse filters see every mouse button press in the application's windows (popup menus
    // included) before the window under the mouse does; the newest filter first. `target`
    // is the control under the mouse (nullptr over a window that is no control's, such as a
    // popup menu), `msg` WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN or the matching
    // double click, `screen` the point in screen coordinates. A filter answering true
    // swallows the press. Each owner removes only its own filter, by the id AddMouseFilter
    // answered, so one owner going away never takes another's filter with it.
    using TMouseFilter = std::function<bool(TControl* target, unsigned msg, TPoint screen)>;
    int AddMouseFilter(TMouseFilter filter);
    void RemoveMouseFilter(int id);
    bool FilterMouse(TControl* target, unsigned msg, TPoint screen);

private:
    // Filters by the id each was given, run newest first until one answers true. A filter
    // may remove itself or others while it runs: one removed is not called any more in that
    // pass (its owner may be gone), and one added runs from the next pass on.
    template <class F>
    class TFilterChain {
    public:
        int Add(F filter)
        {
            entries_.emplace_back(next_, std::move(filter));
            return next_++;
        }
        void Remove(int id)
        {
            std::erase_if(entries_, [id](const auto& entry) { return entry.first == id; });
        }
        template <class... Args>
        bool Run(const Args&... args) const
        {
            std::vector<int> ids;
            for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) ids.push_back(it->first);
            for (const int id : ids) {
                const auto found = std::find_if(entries_.begin(), entries_.end(),
                                                [id](const auto& entry) { return entry.first == id; });
                if (found == entries_.end()) continue;
                const F filter = found->second;  // a copy: removing itself must not free it mid-call
                if (filter && filter(args...)) return true;
            }
            return false;
        }

    private:
        std::vector<std::pair<int, F>> entries_;
        int next_ = 1;
    };
    TFilterChain<TKeyFilter> keyFilters_;
    TFilterChain<TMouseFilter> mouseFilters_;
    std::string title_;
    TPixelImage icon_;
    TCustomForm* mainForm_ = nullptr;
    bool terminated_ = false;
    std::string hint_;
    bool showHint_ = true;
    std::string helpFile_;
    std::vector<std::function<void()>> posted_;
    std::vector<TCustomForm*> releasing_;
    std::vector<TApplicationEvents*> events_;
    bool handling_ = false;
};

// The application's events as a component placed on a form.
class TApplicationEvents : public classes::TComponent {
    GW_CLASS(TApplicationEvents)

public:
    explicit TApplicationEvents(classes::TComponent* owner);
    ~TApplicationEvents() override;

    TNotifyEvent OnHint;
    TExceptionEvent OnException;
};


class TScreen {
public:
    TCursor Cursor() const noexcept { return cursor_; }
    void SetCursor(TCursor cursor);
    // Screen.Cursors[id] for the program's own cursors (ids above 0), made from pictures.
    // Pixels of the bottom-left pixel's colour are see-through when the picture has no
    // transparency of its own.
    void SetCursorImage(TCursor id, const TPicture& picture, TPoint hotSpot);
    // A cursor drawn in code (alpha 0 is see-through).
    void SetCursorImage(TCursor id, TCursorImage image);
    const TCursorImage* CursorImage(TCursor id) const;
    // The installed font families, sorted.
    const rtl::TStrings& Fonts();
    int Width();
    int Height();
    // The desktop's area free of panels, in screen coordinates (SPI_GETWORKAREA); headless
    // 0, 0, 1024, 768.
    TRect WorkAreaRect();
    int PixelsPerInch() const;

    int FormCount() const noexcept { return static_cast<int>(forms_.size()); }
    TCustomForm* Forms(int index) const;
    TCustomForm* ActiveForm() const noexcept { return activeForm_; }
    TWinControl* ActiveControl() const;

    // Kept up to date by the forms.
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);
    void SetActiveForm(TCustomForm* form);

private:
    TCursor cursor_ = crDefault;
    std::map<TCursor, TCursorImage> cursorImages_;
    rtl::TStringList fonts_;
    std::vector<TCustomForm*> forms_;
    TCustomForm* activeForm_ = nullptr;
};

TApplication& Application();
TScreen& Screen();

// Registers the component classes of the windowing layer for form descriptions.
void RegisterUiClasses();

}  // namespace ui
