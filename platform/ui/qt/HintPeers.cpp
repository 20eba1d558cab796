// The hint window's widget: a tool-tip window that paints through the control and never
// takes the focus or activates.

#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include "platform/ui/HintWindow.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/QtCanvas.h"

namespace ui::qt {

namespace {

class THintPeer;

class THintWidget : public QWidget {
public:
    explicit THintWidget(THintPeer& peer)
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus), peer_(peer)
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    THintPeer& peer_;
};

class THintPeer : public TPeer {
public:
    explicit THintPeer(THintWindow& hint) : TPeer(hint), hint_(hint) {}

    QWidget* CreateWidget(QWidget*) override { return new THintWidget(*this); }

    void Paint(QPaintEvent* e, QWidget& w)
    {
        QPainter painter(&w);
        TQtDevice device(painter);
        const QRect r = e->rect();
        Call([&] { hint_.PaintWindow(device, {r.left(), r.top(), r.right() + 1, r.bottom() + 1}); });
    }

private:
    THintWindow& hint_;
};

void THintWidget::paintEvent(QPaintEvent* e) { peer_.Paint(e, *this); }

}  // namespace

void RegisterHintPeers() { RegisterPeer<THintWindow, THintPeer>(); }

}  // namespace ui::qt
