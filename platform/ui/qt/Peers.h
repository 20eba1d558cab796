#pragma once
// The widgets behind the controls. A peer owns one widget (deleted with the peer), copies
// the control's state into it on every change, and turns the user's input on it into calls
// of the control. Nothing here decides anything the control does not already know.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QCursor>

#include <functional>
#include <memory>

#include "platform/ui/Backend.h"
#include "platform/ui/Controls.h"

class QMenu;

namespace ui {
class TMenu;
class TMenuItem;
}  // namespace ui

namespace ui::qt {

class TPeer : public QObject, public IControlPeer {
public:
    explicit TPeer(TControl& control) : control_(control) {}
    ~TPeer() override;

    // Makes the widget inside `parent` (nullptr: a window) and brings it up to date.
    void Init(QWidget* parent);
    QWidget* Widget() const { return widget_; }
    // Where the widgets of child controls go.
    virtual QWidget* Container() const { return widget_; }
    TControl& Control() const { return control_; }

    void Changed() final;
    void SetFocus() override;
    bool Focused() const override;
    void BringToFront() override;
    void Invalidate(const TRect* rect) override;
    void Update() override;
    void SetMouseCapture(bool capture) override;
    void ShowCursor(TCursor cursor) override;
    // The widget whose coordinates are the control's client coordinates and that gets the
    // mouse (the widget itself, or the viewport of a scrolled one).
    virtual QWidget* MouseWidget() const { return widget_; }

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    virtual QWidget* CreateWidget(QWidget* parent) = 0;
    // Copies the kind's own state; called inside Changed with signals of the widget blocked.
    virtual void Sync() {}
    // Geometry and visibility (a form places its window differently).
    virtual void SyncPlacement();
    // Mouse events of a scroll area arrive at its viewport: watch that too.
    void Watch(QObject* object);
    // The control's client point of a point of `from`.
    QPoint ToClient(QWidget* from, QPoint p) const;
    // Runs `call` as an event handler: an exception goes to the application.
    void Call(const std::function<void()>& call);
    // Runs the control's reaction to the user's input, then shows the state the control
    // settled on (which need not be what the widget did by itself).
    void React(const std::function<void()>& call);
    // Whether a press and release inside the widget is a click of the control (for
    // widgets without a click signal of their own).
    bool clickOnRelease_ = false;
    // Whether the control's MouseDown is called after the widget handled the press
    // (selection first), which the widget then does itself.
    bool mouseDownAfter_ = false;
    bool syncing_ = false;

    TControl& control_;
    QPointer<QWidget> widget_;

private:
    bool pressed_ = false;
    bool grabbing_ = false;
};

// Reports keys, buttons and the mouse position of an input event to the layer's input
// state, and drives a drag in progress: true when the drag took the event.
bool NoteInput(QEvent* event);

// Key and mouse conversions.
TShiftState ShiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons = {});
TMouseButton ButtonOf(Qt::MouseButton b);
TKey KeyOf(int key);
QCursor CursorOf(TCursor cursor);

// Peers of controls that live in other libraries (the browser): tried before the built-in
// kinds; a factory answers nullptr for controls that are not its own.
using TPeerFactory = std::function<std::unique_ptr<TPeer>(TControl&)>;
void RegisterPeerFactory(TPeerFactory factory);

// The peer of a self-painting control (CustomPeer.cpp).
std::unique_ptr<TPeer> CreateCustomControlPeer(TControl& control);
// The control whose widget (or one of its parents' widgets) is `widget`.
TControl* ControlOfWidget(QWidget* widget);

// A new peer of the right kind for `control`, its widget made.
std::unique_ptr<IControlPeer> CreatePeer(TControl& control);

// The widget of a control's peer.
TPeer* PeerOf(const TControl& control);

// Converts between TColor and QColor (system colours resolved to fixed colours).
QColor ToQColor(rtl::TColor color);
rtl::TColor FromQColor(const QColor& color);
QFont ToQFont(const classes::TFont& font);
void FromQFont(const QFont& qfont, classes::TFont& font);
// A QMenu showing `items` (sub-items as sub-menus); `chosen` is set to the item whose
// action fires.
void FillMenu(QMenu* menu, TMenuItem* items, TMenu* owner);

}  // namespace ui::qt
