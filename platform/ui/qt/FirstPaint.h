#pragma once
// Calls a function once, right after a top-level widget's window has first been painted on
// the screen: the first expose that leaves it visible has been handled, its widgets painted
// and the picture handed to the window system. The start-up benchmark stops its clock there,
// on the program and on a bare Qt window alike; header-only, so that the bare window's
// program links nothing but Qt.

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <utility>

namespace ui::qt {

class TFirstPaintWatch : public QObject {
public:
    // Watches `window` (made native here when it is not yet); deleted with it or once done.
    TFirstPaintWatch(QWidget& window, std::function<void()> call) : call_(std::move(call))
    {
        window.winId();
        window_ = window.windowHandle();
        setParent(window_);
        window_->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The expose is painted and flushed while it is handled, after this filter: look
        // once that is done.
        if (watched == window_ && event->type() == QEvent::Expose)
            QTimer::singleShot(0, this, [this] {
                if (call_ == nullptr || !window_->isExposed()) return;
                window_->removeEventFilter(this);
                std::exchange(call_, nullptr)();
                deleteLater();
            });
        return false;
    }

private:
    QWindow* window_ = nullptr;
    std::function<void()> call_;
};

}  // namespace ui::qt
