#pragma once
// The widgets behind the controls. A peer owns one widget (deleted with the peer), copies
// the control's state into it on every change, and turns the user's input on it into calls
// of the control. Nothing here decides anything the control does not already know.
//
// The peers of each family of controls live in the family's own file and register there
// per control class (see RegisterPeer below); list-like peers show the control's items
// through the item models of ItemModels.h. Conversions of values are in QtConvert.h. This
// header knows nothing of the window system that installs the peers (QtUi.h).

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

#include "platform/ui/Backend.h"
#include "platform/ui/Controls.h"
#include "platform/ui/qt/QtConvert.h"

class QMenu;
class QPainter;

namespace ui {
class TCustomForm;
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
    void SetRedraw(bool on) override;
    // The widget whose coordinates are the control's client coordinates and that gets the
    // mouse (the widget itself, or the viewport of a scrolled one).
    virtual QWidget* MouseWidget() const { return widget_; }
    // The widget whose top-left is the control's client origin.
    virtual QWidget* ClientWidget() const { return Container(); }
    std::optional<TPoint> ClientOrigin() const override;

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    virtual QWidget* CreateWidget(QWidget* parent) = 0;
    // Copies the kind's own state; called inside Changed with signals of the widget blocked.
    virtual void Sync() {}
    // Geometry and visibility (a form places its window differently).
    virtual void SyncPlacement();
    // Mouse events of a scroll area arrive at its viewport: watch that too.
    void Watch(QObject* object);
    // The control's client point of a point of `from` (inside the widget's frame; a window
    // whose frame the control draws itself counts from the widget's corner).
    virtual QPoint ToClient(QWidget* from, QPoint p) const;
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

// The control draws over the widget's own painting (PaintOver), through a canvas over the
// whole widget; nothing unless it PaintsOver. Call it from the widget's paint event.
void PaintOverWidget(QWidget& widget, TControl& control);

// The mouse entering or leaving the widget reaches the control as CM_MOUSEENTER and
// CM_MOUSELEAVE; false when the control went meanwhile. Call it from the widget's event filter.
bool NoteMouseCrossing(QEvent* event, TControl& control);

// Reports keys, buttons and the mouse position of an input event to the layer's input
// state, and drives a drag in progress: true when the drag took the event.
bool NoteInput(QEvent* event);

// Controls this layer draws itself: a widget that paints through the peer.
class TPaintPeer : public TPeer {
public:
    TPaintPeer(TControl& control, bool clicks) : TPeer(control) { clickOnRelease_ = clicks; }

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    virtual void Paint(QPainter& p, QWidget& w) = 0;
    // Widgets of its own inside the painted one.
    virtual void AddChildren(QWidget*) {}
    void Sync() override { widget_->update(); }
};

// ---- Peers by control class ----------------------------------------------------------------
// Each family of controls registers the peer of each of its classes; a control gets the peer
// registered for its own class or, failing that, for its nearest ancestor in the class
// registry's ancestry. A control class with no registered peer in its ancestry gets the
// generic one (a plain area in the control's colour that holds child controls). A subclass
// therefore needs no registration of its own, and no order of registration matters.

using TPeerMaker = std::function<std::unique_ptr<TPeer>(TControl&)>;

// Registers (or replaces) the peer made for controls of `controlClass` and its descendants.
void RegisterPeer(const classes::TClassInfo& controlClass, TPeerMaker make);
template <class C, class P>
void RegisterPeer()
{
    RegisterPeer(C::StaticClassInfo(), [](TControl& control) -> std::unique_ptr<TPeer> {
        return std::make_unique<P>(static_cast<C&>(control));
    });
}
// The maker registered for `info` or its nearest ancestor that has one; nullptr when none.
const TPeerMaker* FindPeerMaker(const classes::TClassInfo& info);

// The families' registrations (each in its family's file), run once before the first peer
// is made.
void RegisterFormPeers();       // forms, scroll boxes (FormPeers.cpp)
void RegisterStdCtrlPeers();    // standard and extra controls (StdCtrlPeers.cpp)
void RegisterComCtrlPeers();    // common controls (ComCtrlPeers.cpp)
void RegisterCustomPeers();     // self-painting controls (CustomPeer.cpp)
void RegisterHintPeers();       // hint windows (HintPeers.cpp)
void RegisterPopupPeers();      // popup windows (PopupPeers.cpp)
void RegisterRichEditPeers();   // the rich-text edit (RichEditPeer.cpp)

// The control whose widget (or one of its parents' widgets) is `widget`.
TControl* ControlOfWidget(QWidget* widget);

// A new peer of the right kind for `control`, its widget made.
std::unique_ptr<IControlPeer> CreatePeer(TControl& control);

// The widget of a control's peer.
TPeer* PeerOf(const TControl& control);

// A QMenu showing `items` (sub-items as sub-menus); `chosen` is set to the item whose
// action fires.
void FillMenu(QMenu* menu, TMenuItem* items, TMenu* owner);

}  // namespace ui::qt
