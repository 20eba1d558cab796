// The peer of a self-painting control: a frame widget holding the client area (the
// viewport, where the control paints and gets the mouse) and the two scroll bars. Input on
// it becomes window messages to the control; the scroll bars mirror the control's scroll
// info and report the user's actions as WM_VSCROLL / WM_HSCROLL.

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <qdrawutil.h>

#include "platform/ui/CustomControl.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/Screen.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/QtCanvas.h"

namespace ui::qt {

namespace {

// The one place where the control's scroll info (range, page, position) becomes a Qt
// scroll bar's (minimum, maximum position, page step, value).
void ApplyScrollInfo(QScrollBar* bar, const TScrollInfo& info, bool enabled)
{
    const QSignalBlocker block(bar);
    bar->setRange(info.Min, MaxScrollPos(info));
    bar->setPageStep(std::max(1, info.Page));
    bar->setSingleStep(1);
    if (!bar->isSliderDown()) bar->setValue(info.Pos);
    bar->setEnabled(enabled);
}

int CodeOfAction(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: return SB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub: return SB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd: return SB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub: return SB_PAGEUP;
    case QAbstractSlider::SliderToMinimum: return SB_TOP;
    case QAbstractSlider::SliderToMaximum: return SB_BOTTOM;
    case QAbstractSlider::SliderMove: return SB_THUMBTRACK;
    default: return -1;
    }
}

int MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    int f = 0;
    if (buttons & Qt::LeftButton) f |= MK_LBUTTON;
    if (buttons & Qt::RightButton) f |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) f |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier) f |= MK_SHIFT;
    if (mods & Qt::ControlModifier) f |= MK_CONTROL;
    return f;
}

class TCustomControlPeer;

class TViewport : public QWidget {
public:
    TViewport(QWidget* parent, TCustomControlPeer& peer) : QWidget(parent), peer_(peer)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    TCustomControlPeer& peer_;
};

class TFrame : public QWidget {
public:
    TFrame(QWidget* parent, TCustomControl& control) : QWidget(parent), control_(control) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        if (!control_.TransparentWindow()) p.fillRect(rect(), palette().button());
        if (control_.BorderStyle() == bsSingle) qDrawShadePanel(&p, rect(), palette(), true, TCustomControl::kBorderWidth);
    }

private:
    TCustomControl& control_;
};

class TCustomControlPeer : public TPeer {
public:
    explicit TCustomControlPeer(TControl& control) : TPeer(control), custom_(static_cast<TCustomControl&>(control)) {}

    QWidget* MouseWidget() const override { return viewport_; }
    QWidget* ClientWidget() const override { return viewport_; }

    void Paint(QPaintEvent* e)
    {
        QPainter painter(viewport_);
        TQtDevice device(painter);
        const QRect r = e->rect();
        Call([&] { custom_.PaintWindow(device, {r.left(), r.top(), r.right() + 1, r.bottom() + 1}); });
        const TCaretState& caret = Caret();
        if (caret.Owner == &custom_ && caret.Drawn()) {
            const TRect c = caret.Rect();
            painter.setClipping(false);
            painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            painter.fillRect(QRect(c.Left, c.Top, c.Width(), c.Height()), Qt::white);
        }
    }

    void ScrollContents(int dx, int dy, const TRect* scroll, const TRect* clip) override
    {
        if (viewport_ == nullptr) return;
        TRect area = scroll != nullptr ? *scroll : TRect{0, 0, viewport_->width(), viewport_->height()};
        if (clip != nullptr) area = IntersectRect(area, *clip);
        viewport_->scroll(dx, dy, QRect(area.Left, area.Top, area.Width(), area.Height()));
        // The caret moved with the pixels: paint over where it went and where it is.
        const TCaretState& caret = Caret();
        if (caret.Owner == &custom_ && caret.Drawn()) {
            const TRect c = caret.Rect();
            viewport_->update(QRect(c.Left + dx, c.Top + dy, c.Width(), c.Height()));
            viewport_->update(QRect(c.Left, c.Top, c.Width(), c.Height()));
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w == nullptr) return false;
        if (NoteInput(event)) return true;
        const QPointer<TPeer> self(this);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(event);
            const QPoint p = ToViewport(w, me->position().toPoint());
            const std::intptr_t lp = MakeLParam(p.x(), p.y());
            const int flags = MouseFlags(me->buttons(), me->modifiers());
            unsigned msg = WM_MOUSEMOVE;
            const bool press = event->type() == QEvent::MouseButtonPress;
            const bool dbl = event->type() == QEvent::MouseButtonDblClick;
            if (press || dbl || event->type() == QEvent::MouseButtonRelease) {
                const unsigned base = me->button() == Qt::RightButton    ? WM_RBUTTONDOWN
                                      : me->button() == Qt::MiddleButton ? WM_MBUTTONDOWN
                                                                         : WM_LBUTTONDOWN;
                msg = press ? base : dbl ? base + 2 : base + 1;
            } else {
                // The cursor first: the control may choose one, else its Cursor shows.
                std::intptr_t chosen = 0;
                Call([&] {
                    chosen = custom_.Perform(WM_SETCURSOR, reinterpret_cast<std::intptr_t>(&custom_),
                                             MakeLParam(HTCLIENT, WM_MOUSEMOVE));
                });
                if (!self) return true;
                if (chosen == 0) viewport_->setCursor(CursorOf(custom_.Cursor()));
            }
            Call([&] { custom_.Perform(msg, flags, lp); });
            return true;
        }
        case QEvent::Wheel: {
            auto* we = static_cast<QWheelEvent*>(event);
            const QPoint g = we->globalPosition().toPoint();
            const int delta = we->angleDelta().y();
            if (delta == 0) return true;
            Call([&] {
                custom_.Perform(WM_MOUSEWHEEL, MakeWParam(MouseFlags(we->buttons(), we->modifiers()), delta),
                                MakeLParam(g.x(), g.y()));
            });
            return true;
        }
        case QEvent::Enter:
            Call([&] { custom_.Perform(CM_MOUSEENTER); });
            if (self) Application().HintControl(&control_);
            return false;
        case QEvent::Leave: Call([&] { custom_.Perform(CM_MOUSELEAVE); }); return false;
        case QEvent::KeyPress:
            // A key a child control left unused passes up here: it is not this control's.
            if (QApplication::focusWidget() != frame_) return false;
            return KeyPress(static_cast<QKeyEvent*>(event));
        case QEvent::KeyRelease: {
            if (QApplication::focusWidget() != frame_) return false;
            auto* ke = static_cast<QKeyEvent*>(event);
            const TKey key = KeyOf(ke->key());
            if (key == 0) return false;
            bool filtered = false;  // the application's key filters see the key first
            Call([&] { filtered = Application().FilterKey(&custom_, key, ShiftOf(ke->modifiers()), false); });
            if (!self || filtered) return true;
            Call([&] { custom_.Perform(WM_KEYUP, key, static_cast<std::intptr_t>(ShiftOf(ke->modifiers()).Bits())); });
            return true;
        }
        case QEvent::FocusIn:
            if (w != widget_) return false;
            Call([&] { custom_.Perform(WM_SETFOCUS); });
            if (!self) return true;
            return TPeer::eventFilter(watched, event);  // the form learns where the focus is
        case QEvent::FocusOut:
            if (w != widget_) return false;
            Call([&] { custom_.Perform(WM_KILLFOCUS); });
            // A caret the control left behind goes with the focus.
            if (Caret().Owner == &custom_) DestroyCaret();
            return false;
        case QEvent::ContextMenu: return TPeer::eventFilter(watched, event);
        default: return false;
        }
    }

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        frame_ = new TFrame(parent, custom_);
        frame_->setFocusPolicy(Qt::StrongFocus);
        viewport_ = new TViewport(frame_, *this);
        Watch(viewport_);
        bars_[sbHorizontal] = new QScrollBar(Qt::Horizontal, frame_);
        bars_[sbVertical] = new QScrollBar(Qt::Vertical, frame_);
        for (TScrollBarKind kind : {sbHorizontal, sbVertical}) {
            QScrollBar* bar = bars_[kind];
            bar->setFocusPolicy(Qt::NoFocus);
            bar->hide();
            connect(bar, &QAbstractSlider::actionTriggered, this, [this, kind, bar](int action) {
                const int code = CodeOfAction(action);
                if (code < 0) return;
                const int pos = bar->sliderPosition();
                const QPointer<TPeer> self(this);
                Call([&] { custom_.ScrollByUser(kind, code, pos); });
                // The control decides where the bar stands (the thumb follows the mouse).
                if (self && code != SB_THUMBTRACK) bar->setSliderPosition(custom_.GetScrollPos(kind));
            });
            connect(bar, &QAbstractSlider::sliderReleased, this, [this, kind, bar] {
                const int pos = bar->sliderPosition();
                const QPointer<TPeer> self(this);
                Call([&] { custom_.ScrollByUser(kind, SB_THUMBPOSITION, pos); });
                if (self) Call([&] { custom_.ScrollByUser(kind, SB_ENDSCROLL, 0); });
                if (self) Changed();
            });
        }
        return frame_;
    }

    void Sync() override
    {
        const int border = custom_.BorderStyle() == bsSingle ? TCustomControl::kBorderWidth : 0;
        const TRect client = custom_.ClientRect();
        viewport_->setGeometry(border, border, client.Width(), client.Height());
        viewport_->setAttribute(Qt::WA_OpaquePaintEvent, !custom_.TransparentWindow());
        const int extent = ScrollBarExtent();
        QScrollBar* v = bars_[sbVertical];
        QScrollBar* h = bars_[sbHorizontal];
        ApplyScrollInfo(v, custom_.GetScrollInfo(sbVertical), custom_.ScrollBarEnabled(sbVertical));
        ApplyScrollInfo(h, custom_.GetScrollInfo(sbHorizontal), custom_.ScrollBarEnabled(sbHorizontal));
        v->setGeometry(border + client.Width(), border, extent, client.Height());
        h->setGeometry(border, border + client.Height(), client.Width(), extent);
        v->setVisible(custom_.ScrollBarVisible(sbVertical));
        h->setVisible(custom_.ScrollBarVisible(sbHorizontal));
        QPalette pal = viewport_->palette();
        pal.setColor(QPalette::Window, ToQColor(custom_.Color()));
        viewport_->setPalette(pal);
        frame_->update();
    }

private:
    // An event may reach the frame around the drawing area as well as the drawing area and
    // its children; through screen coordinates the mapping holds whichever encloses which.
    QPoint ToViewport(QWidget* from, QPoint p) const
    {
        return from == viewport_ ? p : viewport_->mapFromGlobal(from->mapToGlobal(p));
    }

    bool KeyPress(QKeyEvent* ke)
    {
        const QPointer<TPeer> self(this);
        const TKey key = KeyOf(ke->key());
        const TShiftState shift = ShiftOf(ke->modifiers());
        bool filtered = false;  // the application's key filters see the key first
        if (key != 0) Call([&] { filtered = Application().FilterKey(&custom_, key, shift, true); });
        if (!self || filtered) return true;
        // Tab moves the focus unless the control asks for it (the dialog manager's rule).
        if (key == VK_TAB && !custom_.WantsKey(VK_TAB)) return false;
        if (key != 0) {
            std::intptr_t swallowed = 0;
            Call([&] { swallowed = custom_.Perform(WM_KEYDOWN, key, static_cast<std::intptr_t>(shift.Bits())); });
            if (!self || swallowed != 0) return true;
            if ((key == VK_RETURN || key == VK_ESCAPE) && !custom_.WantsKey(key)) {
                bool taken = false;
                if (TCustomForm* form = GetParentForm(&custom_)) Call([&] { taken = form->DialogKey(key); });
                if (taken || !self) return true;
            }
        }
        // The characters typed, one message each. Ctrl+letter is the control character 1 to 26
        // (Ctrl+C 3, Ctrl+V 22) even where the window system gives no text for it.
        QString text = ke->text();
        const Qt::KeyboardModifiers mods = ke->modifiers();
        if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier) && ke->key() >= Qt::Key_A && ke->key() <= Qt::Key_Z)
            text = QString(QChar(static_cast<char16_t>(ke->key() - Qt::Key_A + 1)));
        for (const char32_t c : text.toUcs4()) {
            Call([&] { custom_.Perform(WM_CHAR, static_cast<std::intptr_t>(c)); });
            if (!self) return true;
        }
        return true;
    }

    TCustomControl& custom_;
    QPointer<QWidget> frame_;
    QWidget* viewport_ = nullptr;
    QScrollBar* bars_[2] = {nullptr, nullptr};
    friend class TViewport;
};

void TViewport::paintEvent(QPaintEvent* e) { peer_.Paint(e); }

}  // namespace

void RegisterCustomPeers() { RegisterPeer<TCustomControl, TCustomControlPeer>(); }

}  // namespace ui::qt
