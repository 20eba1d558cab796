#pragma once
// The window system behind the controls. Controls keep their whole state themselves; while
// a control's form is shown, the window system gives it a peer (a real window) which
// mirrors that state and feeds the user's input back to the control as calls of its
// methods (Click, the user's text, the user's selection...). Without a window system
// (headless tests) controls simply have no peers.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Types.h"

namespace classes {
class TFont;
}

namespace ui {

class TControl;
class TPopupMenu;
class TTimer;
class TBitmap;
class IMessageQueue;
class IMessageTarget;
class ICanvasDevice;
class IFontMeasure;
class IRichDocument;
class IPrinterBackend;

class IControlPeer {
public:
    virtual ~IControlPeer() = default;
    // The control's state changed: bring the window up to date.
    virtual void Changed() = 0;
    virtual void SetFocus() {}
    virtual bool Focused() const { return false; }
    virtual void BringToFront() {}
    // The control's area `rect` (client coordinates; nullptr: all of it) must be painted
    // again; Update paints what is invalid now.
    virtual void Invalidate(const TRect* /*rect*/) {}
    virtual void Update() {}
    // ScrollWindow: moves the pixels of `scroll` (nullptr: the client area) by dx, dy within
    // `clip` (nullptr: the client area) and invalidates what was uncovered.
    virtual void ScrollContents(int /*dx*/, int /*dy*/, const TRect* /*scroll*/, const TRect* /*clip*/) {}
    // Mouse capture taken (true) or given up.
    virtual void SetMouseCapture(bool /*capture*/) {}
    // Shows `cursor` over the control now (a WM_SETCURSOR handler's choice).
    virtual void ShowCursor(TCursor /*cursor*/) {}
    // Where the control's client area starts on the screen, as the window system has placed
    // it; nullopt while it has no window on screen.
    virtual std::optional<TPoint> ClientOrigin() const { return std::nullopt; }
    // WM_SETREDRAW: painting suspended (false) or resumed (true); resuming does not repaint.
    virtual void SetRedraw(bool /*on*/) {}
};

// The drag distance without a window system that knows the desktop's.
constexpr int kDefaultDragThreshold = 5;

class IWindowSystem {
public:
    virtual ~IWindowSystem() = default;

    // The window of `control`; its parent's peer exists already. nullptr for a control
    // that needs none.
    virtual std::unique_ptr<IControlPeer> CreatePeer(TControl& control) = 0;

    // Waits for input (or posted work) and handles it.
    virtual void HandleMessage() = 0;
    // Handles what is waiting, without waiting.
    virtual void ProcessMessages() = 0;
    // Makes the event loop call Application().DoPostedCalls() soon.
    virtual void Wake() = 0;

    // Shows `menu` at screen point (x, y) and returns once it is closed (an item chosen
    // has been clicked by then).
    virtual void Popup(TPopupMenu& menu, int x, int y) = 0;
    // Starts or stops the timer's ticks (Interval and Enabled are read from it).
    virtual void UpdateTimer(TTimer& timer) = 0;
    virtual void SetCursor(TCursor cursor) = 0;
    // Families of the installed fonts.
    virtual std::vector<std::string> FontNames() = 0;
    // The desktop's available area.
    virtual TRect WorkArea() = 0;
    // Posted messages delivered by the event loop.
    virtual IMessageQueue& MessageQueue() = 0;

    // Timers of message targets: WM_TIMER with wParam `id` every `ms` milliseconds until
    // killed (setting an id again restarts it).
    virtual void SetMessageTimer(IMessageTarget& /*target*/, unsigned /*id*/, int /*ms*/) {}
    virtual void KillMessageTimer(IMessageTarget& /*target*/, unsigned /*id*/) {}
    // A device drawing into the bitmap's pixels (nullptr: the caller records instead).
    virtual std::unique_ptr<ICanvasDevice> CreateBitmapDevice(TBitmap& bitmap);
    // The measure of a real font (kept by the window system); nullptr when it has none.
    virtual IFontMeasure* FontMeasure(const classes::TFont& /*font*/) { return nullptr; }
    // The control whose window lies at screen point p; nullptr when none (or unknown: the
    // layer then searches the shown forms itself).
    virtual TControl* ControlAtScreen(TPoint /*p*/) { return nullptr; }
    // The caret's owner, place or shape changed (the window system repaints and blinks it).
    virtual void CaretChanged() {}
    // The application's icon changed (Application().Icon()): the windows show the new one.
    virtual void ApplicationIconChanged() {}
    // How far the mouse must move with a button down before a waiting drag begins (pixels).
    virtual int DragThreshold() { return kDefaultDragThreshold; }
    // A formatted text for a rich-text control (nullptr: the window system has none).
    virtual std::unique_ptr<IRichDocument> CreateRichDocument();
    // The printers (owned by the window system; nullptr: it offers none).
    virtual IPrinterBackend* Printers() { return nullptr; }
    // Takes the first waiting press of `key` out of the input queue, leaving all other input
    // queued in order and running no handler (TakeWaitingKeyPress); false when none waits.
    virtual bool TakeWaitingKeyPress(TKey /*key*/) { return false; }
};

// The installed window system, nullptr when none.
IWindowSystem* WindowSystem();
// Installs a window system (nullptr: none) and returns the previous one.
IWindowSystem* SetWindowSystem(IWindowSystem* system);

}  // namespace ui
