// The popup window's widget: a top-level window above all others that never takes the focus
// or activates. Widgets of the content placed in it never take the focus either, so a click
// into the popup leaves the focus where the user types.

#include <QChildEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include "platform/ui/PopupWindow.h"
#include "platform/ui/qt/Peers.h"

namespace ui::qt {

namespace {

class TPopupWidget : public QWidget {
public:
    explicit TPopupWidget(TPopupWindow& popup)
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowDoesNotAcceptFocus),
          popup_(popup)
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QPainter p(this);
        p.fillRect(e->rect(), ToQColor(popup_.Color()));
    }

private:
    TPopupWindow& popup_;
};

void NoFocusBelow(QWidget* w)
{
    for (QWidget* child : w->findChildren<QWidget*>()) child->setFocusPolicy(Qt::NoFocus);
}

class TPopupPeer : public TPeer {
public:
    explicit TPopupPeer(TPopupWindow& popup) : TPeer(popup), popup_(popup) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Content widgets get their focus policy as they are made: take it away once they
        // are about to show.
        if (watched == widget_ && event->type() == QEvent::ChildPolished)
            if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child())) {
                child->setFocusPolicy(Qt::NoFocus);
                NoFocusBelow(child);
            }
        return TPeer::eventFilter(watched, event);
    }

protected:
    QWidget* CreateWidget(QWidget*) override { return new TPopupWidget(popup_); }

    void Sync() override
    {
        NoFocusBelow(widget_);
        widget_->update();
    }

    void SyncPlacement() override
    {
        TPeer::SyncPlacement();
        if (!widget_->isHidden()) widget_->raise();
    }

private:
    TPopupWindow& popup_;
};

}  // namespace

void RegisterPopupPeers() { RegisterPeer<TPopupWindow, TPopupPeer>(); }

}  // namespace ui::qt
