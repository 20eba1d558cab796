// The peer base: the widget's life, the common state every widget mirrors (enabled, font,
// colours, hint, place), the user's mouse and keys turned into calls of the control, and the
// registry that finds a control's peer through its class ancestry.

#include "platform/ui/qt/Peers.h"

#include "platform/ui/HintWindow.h"
#include "platform/ui/Messages.h"
#include "platform/ui/PopupWindow.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QSignalBlocker>

#include <map>

#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/qt/QtCanvas.h"

namespace ui::qt {

// ---- TPeer ---------------------------------------------------------------------------------

TPeer::~TPeer()
{
    if (widget_) {
        // Hiding a focused widget moves the focus, and the signals and events that follow
        // would reach handlers of a peer whose derived part is already gone: nothing of the
        // widget reaches this peer again.
        const auto forget = [this](QObject* object) {
            object->removeEventFilter(this);
            QObject::disconnect(object, nullptr, this, nullptr);
        };
        forget(widget_);
        for (QObject* child : widget_->findChildren<QObject*>()) forget(child);
        widget_->hide();
        widget_->deleteLater();
    }
}

void TPeer::Init(QWidget* parent)
{
    widget_ = CreateWidget(parent);
    widget_->setProperty("gwPeer", QVariant::fromValue(static_cast<void*>(this)));
    widget_->installEventFilter(this);
    widget_->setMouseTracking(true);
    Changed();
}

void TPeer::Watch(QObject* object)
{
    object->installEventFilter(this);
    if (auto* w = qobject_cast<QWidget*>(object)) w->setMouseTracking(true);
}

QPoint TPeer::ToClient(QWidget* from, QPoint p) const
{
    // Client coordinates are those of the area children live in when the event came from
    // there (a form's client below its menu bar), else of the widget inside its frame.
    QWidget* container = Container();
    if (container != nullptr && container != widget_ && (from == container || container->isAncestorOf(from)))
        return from == container ? p : from->mapTo(container, p);
    if (from != widget_ && widget_ != nullptr) p = from->mapTo(widget_, p);
    if (auto* frame = qobject_cast<QFrame*>(widget_.data()); frame != nullptr && !qobject_cast<QLabel*>(frame))
        p -= QPoint(frame->frameWidth(), frame->frameWidth());
    return p;
}

void TPeer::Call(const std::function<void()>& call) { Application().SafeCall(&control_, call); }

void TPeer::React(const std::function<void()>& call)
{
    const QPointer<TPeer> self(this);
    Call(call);
    if (self) Changed();
}

void TPeer::Changed()
{
    if (syncing_ || !widget_) return;
    syncing_ = true;
    {
        const QSignalBlocker block(widget_);
        widget_->setEnabled(control_.Enabled());
        // A control that makes its own clicks keeps its mouse: a press on a label must not go
        // on to the panel under it and be that panel's click too. A disabled one lets it
        // through to its parent.
        if (clickOnRelease_) widget_->setAttribute(Qt::WA_NoMousePropagation, control_.Enabled());
        // Windowed controls take the focus by Tab only when they are tab stops.
        if (auto* wc = dynamic_cast<TWinControl*>(&control_);
            wc != nullptr && dynamic_cast<TCustomForm*>(wc) == nullptr && widget_->focusPolicy() != Qt::NoFocus)
            widget_->setFocusPolicy(wc->TabStop() ? Qt::StrongFocus : Qt::ClickFocus);
        widget_->setToolTip(control_.ShowHint() ? Q(GetShortHint(control_.Hint())) : QString());
        widget_->setFont(ToQFont(*control_.Font()));
        // The font's colour is the text of an enabled control: a disabled one keeps the
        // style's greyed text, or it would look as enabled as any other.
        QPalette pal = widget_->palette();
        const QColor text = ToQColor(control_.Font()->Color());
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            pal.setColor(group, widget_->foregroundRole(), text);
            pal.setColor(group, QPalette::WindowText, text);
        }
        widget_->setPalette(pal);
        Sync();
    }
    SyncPlacement();
    syncing_ = false;
}

void TPeer::SyncPlacement()
{
    const QRect r(control_.Left(), control_.Top(), control_.Width(), control_.Height());
    if (widget_->geometry() != r) widget_->setGeometry(r);
    if (widget_->isHidden() == control_.Visible()) widget_->setVisible(control_.Visible());
}

void TPeer::SetFocus()
{
    if (widget_ && widget_->isVisible()) widget_->setFocus(Qt::OtherFocusReason);
}

bool TPeer::Focused() const { return widget_ && widget_->hasFocus(); }

void TPeer::Invalidate(const TRect* rect)
{
    QWidget* w = MouseWidget();
    if (w == nullptr) return;
    if (rect == nullptr)
        w->update();
    else
        w->update(QRect(rect->Left, rect->Top, rect->Width(), rect->Height()));
}

void TPeer::SetRedraw(bool on)
{
    if (widget_) widget_->setUpdatesEnabled(on);
}

void TPeer::Update()
{
    QWidget* w = MouseWidget();
    if (w != nullptr && w->isVisible()) w->repaint();
}

void TPeer::SetMouseCapture(bool capture)
{
    QWidget* w = MouseWidget();
    if (w == nullptr) return;
    // While a button is held the pressed widget has the mouse anyway.
    if (capture && QApplication::mouseButtons() == Qt::NoButton && w->isVisible()) {
        w->grabMouse();
        grabbing_ = true;
    } else if (!capture && grabbing_) {
        w->releaseMouse();
        grabbing_ = false;
    }
}

std::optional<TPoint> TPeer::ClientOrigin() const
{
    QWidget* w = ClientWidget();
    if (w == nullptr || !w->window()->isVisible()) return std::nullopt;
    const QPoint origin = w->mapToGlobal(QPoint(0, 0));
    return TPoint{origin.x(), origin.y()};
}

void TPeer::ShowCursor(TCursor cursor)
{
    if (QWidget* w = MouseWidget()) w->setCursor(CursorOf(cursor));
}

TControl* ControlOfWidget(QWidget* widget)
{
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        const QVariant v = w->property("gwPeer");
        if (v.isValid()) return &static_cast<TPeer*>(v.value<void*>())->Control();
    }
    return nullptr;
}

bool NoteMouseCrossing(QEvent* event, TControl& control)
{
    if (event->type() != QEvent::Enter && event->type() != QEvent::Leave) return true;
    QPointer<QObject> alive(control.Peer() ? dynamic_cast<QObject*>(control.Peer()) : nullptr);
    Application().SafeCall(&control, [&] {
        control.Perform(event->type() == QEvent::Enter ? CM_MOUSEENTER : CM_MOUSELEAVE);
    });
    return !alive.isNull();
}

void PaintOverWidget(QWidget& widget, TControl& control)
{
    if (!control.PaintsOver()) return;
    QPainter painter(&widget);
    TQtDevice device(painter);
    TCanvas canvas(&device);
    canvas.SetFont(*control.Font());
    canvas.SetBounds({0, 0, widget.width(), widget.height()});
    Application().SafeCall(&control, [&] { control.PaintOver(canvas); });
}

bool NoteInput(QEvent* event)
{
    if (event->isInputEvent()) SetMessageTime(static_cast<std::int64_t>(static_cast<QInputEvent*>(event)->timestamp()));
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        const QPoint g = me->globalPosition().toPoint();
        SetCursorPos({g.x(), g.y()});
        SetKeyState(VK_LBUTTON, me->buttons() & Qt::LeftButton);
        SetKeyState(VK_RBUTTON, me->buttons() & Qt::RightButton);
        SetKeyState(VK_MBUTTON, me->buttons() & Qt::MiddleButton);
        SetKeyState(VK_SHIFT, me->modifiers() & Qt::ShiftModifier);
        SetKeyState(VK_CONTROL, me->modifiers() & Qt::ControlModifier);
        SetKeyState(VK_MENU, me->modifiers() & Qt::AltModifier);
        if (DragSourceControl() == nullptr) return false;
        if (event->type() == QEvent::MouseMove) {
            Application().SafeCall(nullptr, [&] { DragMouseMove({g.x(), g.y()}); });
            return DragActive();
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            // A drag still waiting for the mouse to move was a click: the widget finishes it
            // (a check box toggles, a row is selected) as if no drag had been offered.
            const bool dragged = DragActive();
            Application().SafeCall(nullptr, [&] { DragMouseUp({g.x(), g.y()}); });
            return dragged;
        }
        return false;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* ke = static_cast<QKeyEvent*>(event);
        const bool down = event->type() == QEvent::KeyPress;
        if (const TKey key = KeyOf(ke->key()); key != 0) SetKeyState(key, down);
        SetKeyState(VK_SHIFT, ke->modifiers() & Qt::ShiftModifier);
        SetKeyState(VK_CONTROL, ke->modifiers() & Qt::ControlModifier);
        SetKeyState(VK_MENU, ke->modifiers() & Qt::AltModifier);
        if (down && DragSourceControl() != nullptr && ke->key() == Qt::Key_Escape) {
            Application().SafeCall(nullptr, [] { CancelDrag(); });
            return true;
        }
        return false;
    }
    default: return false;
    }
}

void TPeer::BringToFront()
{
    if (widget_) widget_->raise();
}

bool TPeer::eventFilter(QObject* watched, QEvent* event)
{
    auto* w = qobject_cast<QWidget*>(watched);
    if (w == nullptr) return false;
    if (NoteInput(event)) return true;
    const QPointer<TPeer> self(this);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(event);
        pressed_ = true;
        if (!mouseDownAfter_) {
            const QPoint p = ToClient(w, me->position().toPoint());
            Call([&] { control_.MouseDown(ButtonOf(me->button()), ShiftOf(me->modifiers(), me->buttons()), p.x(), p.y()); });
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(event);
        const QPoint p = ToClient(w, me->position().toPoint());
        const bool inside = w->rect().contains(me->position().toPoint());
        Call([&] { control_.MouseUp(ButtonOf(me->button()), ShiftOf(me->modifiers(), me->buttons()), p.x(), p.y()); });
        if (!self) return true;
        if (clickOnRelease_ && pressed_ && inside && me->button() == Qt::LeftButton) Call([&] { control_.Click(); });
        if (self) pressed_ = false;
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) Call([&] { control_.DblClick(); });
        break;
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        const QPoint p = ToClient(w, me->position().toPoint());
        Call([&] { control_.MouseMove(ShiftOf(me->modifiers(), me->buttons()), p.x(), p.y()); });
        break;
    }
    case QEvent::Enter: Application().HintControl(&control_); break;
    case QEvent::ContextMenu: {
        bool hasMenu = false;
        for (const TControl* c = &control_; c != nullptr; c = c->Parent())
            if (c->PopupMenu() != nullptr) hasMenu = true;
        if (!hasMenu) break;
        const QPoint p = ToClient(w, static_cast<QContextMenuEvent*>(event)->pos());
        Call([&] { control_.ContextPopup(p.x(), p.y()); });
        return true;
    }
    case QEvent::FocusIn:
        if (auto* wc = dynamic_cast<TWinControl*>(&control_))
            if (TCustomForm* form = GetParentForm(wc); form != nullptr && form != wc)
                Call([&] { form->FocusChanged(wc); });
        break;
    case QEvent::KeyPress: {
        auto* wc = dynamic_cast<TWinControl*>(&control_);
        // A key the focused widget left passes on to its parents: it was handled there.
        const QWidget* focus = QApplication::focusWidget();
        if (wc == nullptr || (focus != nullptr && focus != w)) break;
        auto* ke = static_cast<QKeyEvent*>(event);
        TKey key = KeyOf(ke->key());
        bool filtered = false;  // the application's key filters see the key first
        if (key != 0) Call([&] { filtered = Application().FilterKey(wc, key, ShiftOf(ke->modifiers()), true); });
        if (!self || filtered) return true;
        if (key != 0) {
            Call([&] { wc->KeyDown(key, ShiftOf(ke->modifiers())); });
            if (!self || key == 0) return true;
            if (key == VK_RETURN || key == VK_ESCAPE) {
                bool taken = false;
                if (TCustomForm* form = GetParentForm(wc)) Call([&] { taken = form->DialogKey(key); });
                if (taken || !self) return true;
            }
        }
        const QString text = ke->text();
        if (text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() < 127) {
            char c = static_cast<char>(text[0].unicode());
            Call([&] { wc->KeyPress(c); });
            if (!self || c == 0) return true;
        }
        break;
    }
    case QEvent::KeyRelease: {
        auto* wc = dynamic_cast<TWinControl*>(&control_);
        const QWidget* focus = QApplication::focusWidget();
        if (wc == nullptr || (focus != nullptr && focus != w)) break;
        auto* ke = static_cast<QKeyEvent*>(event);
        TKey key = KeyOf(ke->key());
        bool filtered = false;
        if (key != 0) Call([&] { filtered = Application().FilterKey(wc, key, ShiftOf(ke->modifiers()), false); });
        if (!self || filtered) return true;
        if (key != 0) {
            Call([&] { wc->KeyUp(key, ShiftOf(ke->modifiers())); });
            if (!self || key == 0) return true;
        }
        break;
    }
    default: break;
    }
    return false;
}

TPeer* PeerOf(const TControl& control) { return dynamic_cast<TPeer*>(control.Peer()); }

// ---- Painted peers and the generic peer ----------------------------------------------------

namespace {

// A widget that paints itself through a callback (panels, shapes, images, bars).
class TPaintWidget : public QWidget {
public:
    explicit TPaintWidget(QWidget* parent) : QWidget(parent) {}
    std::function<void(QPainter&)> paint;

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!paint) return;
        QPainter p(this);
        paint(p);
    }
};

// Any control without a peer of its own: an area in the control's colour.
class TGenericPeer : public TPaintPeer {
public:
    explicit TGenericPeer(TControl& control) : TPaintPeer(control, true) {}

protected:
    void Paint(QPainter& p, QWidget& w) override { p.fillRect(w.rect(), ToQColor(control_.Color())); }
};

QWidget* ContainerOf(const TWinControl* parent)
{
    if (parent == nullptr) return nullptr;
    TPeer* peer = PeerOf(*parent);
    return peer != nullptr ? peer->Container() : nullptr;
}

std::map<const classes::TClassInfo*, TPeerMaker>& PeerMakers()
{
    static std::map<const classes::TClassInfo*, TPeerMaker> makers;
    return makers;
}

void RegisterFamilies()
{
    static const bool done = [] {
        RegisterFormPeers();
        RegisterStdCtrlPeers();
        RegisterComCtrlPeers();
        RegisterCustomPeers();
        RegisterHintPeers();
        RegisterPopupPeers();
        RegisterRichEditPeers();
        return true;
    }();
    (void)done;
}

}  // namespace

QWidget* TPaintPeer::CreateWidget(QWidget* parent)
{
    auto* w = new TPaintWidget(parent);
    w->paint = [this, w](QPainter& p) { Paint(p, *w); };
    AddChildren(w);
    return w;
}

// ---- Registry ------------------------------------------------------------------------------

void RegisterPeer(const classes::TClassInfo& controlClass, TPeerMaker make)
{
    PeerMakers()[&controlClass] = std::move(make);
}

const TPeerMaker* FindPeerMaker(const classes::TClassInfo& info)
{
    RegisterFamilies();
    const auto& makers = PeerMakers();
    for (const classes::TClassInfo* c = &info; c != nullptr; c = c->Parent())
        if (const auto it = makers.find(c); it != makers.end()) return &it->second;
    return nullptr;
}

std::unique_ptr<IControlPeer> CreatePeer(TControl& control)
{
    // A form is a window of its own; any other control lives inside its parent's widget.
    QWidget* parent = ContainerOf(control.Parent());
    if (parent == nullptr && dynamic_cast<TCustomForm*>(&control) == nullptr &&
        dynamic_cast<THintWindow*>(&control) == nullptr && dynamic_cast<TPopupWindow*>(&control) == nullptr)
        return nullptr;
    const TPeerMaker* make = FindPeerMaker(control.ClassInfo());
    std::unique_ptr<TPeer> peer = make != nullptr ? (*make)(control) : nullptr;
    if (!peer) peer = std::make_unique<TGenericPeer>(control);
    peer->Init(parent);
    return peer;
}

}  // namespace ui::qt
