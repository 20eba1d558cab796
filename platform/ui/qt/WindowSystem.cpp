#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QMimeData>
#include <QStyle>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWindow>
#include <QPointer>
#include <QScreen>
#include <QThread>
#include <QTimer>

#include <deque>
#include <map>
#include <memory>
#include <set>

#include "platform/rtl/BusyWait.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Screen.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/Printer.h"
#include "platform/ui/qt/RichDocument.h"
#include "platform/ui/qt/QtConvert.h"
#include "platform/ui/qt/QtCanvas.h"
#include "platform/ui/qt/QtUi.h"

namespace ui::qt {

namespace {

// The program's own work that waits while the thread waits for a database call
// (rtl/BusyWait.h): counted or named here while held, started again once the wait is over.
struct THeldWork {
    int depth = 0;  // nested busy waits
    bool postedCalls = false;
    int messages = 0;
    std::set<TTimer*> timers;
    std::set<std::pair<IMessageTarget*, unsigned>> messageTimers;
    bool Holding() const noexcept { return depth > 0; }
};

// The user's input, as the window system hands it over: keys, the mouse, closing a window,
// dragging, touch and pen. A close request counts: the window whose handler is busy must not
// go from under it.
bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::Close:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease: return true;
    default: return false;
    }
}

// Drops the user's input while the thread waits: the window does not answer it then, and a
// click or key kept until afterwards would land on whatever the wait ends in (a message box
// that a key press would close unread).
class TInputDrop : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override { return IsUserInput(event->type()); }
};

// Holds the input and repaints that arrive while the window system looks for a waiting key:
// every such event is kept (a copy, with its receiver) and swallowed, to be posted again in
// the same order once the look is over. Nothing of the program handles them meanwhile.
class TInputHold : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!IsUserInput(event->type()) && event->type() != QEvent::UpdateRequest) return false;
        held_.push_back({QPointer<QObject>(watched), std::unique_ptr<QEvent>(event->clone())});
        return true;
    }

    // Drops the first held press of `key`; whether there was one.
    bool TakeKeyPress(TKey key)
    {
        for (auto it = held_.begin(); it != held_.end(); ++it) {
            if (it->event->type() != QEvent::KeyPress) continue;
            if (KeyOf(static_cast<QKeyEvent*>(it->event.get())->key()) != key) continue;
            held_.erase(it);
            return true;
        }
        return false;
    }

    // Posts the held events again, in the order they came, to receivers still there.
    void PostAgain()
    {
        for (Held& h : held_) {
            if (h.receiver.isNull()) continue;
            const Qt::EventPriority priority =
                h.event->type() == QEvent::UpdateRequest ? Qt::LowEventPriority : Qt::NormalEventPriority;
            QCoreApplication::postEvent(h.receiver.data(), h.event.release(), priority);
        }
        held_.clear();
    }

private:
    struct Held {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    std::vector<Held> held_;
};

// Posted messages run from the Qt event loop, one per queued call, in posting order.
class TQtMessageQueue : public IMessageQueue {
public:
    TQtMessageQueue(QObject* context, THeldWork& held) : context_(context), held_(held) {}

    void Post(IMessageTarget& target, const TMessage& message) override
    {
        queue_.push_back({&target, message});
        QMetaObject::invokeMethod(context_, [this] { DeliverOne(); }, Qt::QueuedConnection);
    }

    void Cancel(const IMessageTarget& target) override
    {
        std::erase_if(queue_, [&](const Entry& e) { return e.target == &target; });
    }

    bool Terminating() const override { return Application().Terminated(); }

    // Delivers the messages held during a busy wait, one queued call each, as posted.
    void Resume(int count)
    {
        for (int i = 0; i < count; ++i)
            QMetaObject::invokeMethod(context_, [this] { DeliverOne(); }, Qt::QueuedConnection);
    }

private:
    struct Entry {
        IMessageTarget* target;
        TMessage message;
    };

    void DeliverOne()
    {
        if (held_.Holding()) {
            ++held_.messages;
            return;
        }
        if (queue_.empty()) return;
        Entry e = queue_.front();
        queue_.pop_front();
        Application().SafeCall(nullptr, [&] { e.target->Dispatch(e.message); });
    }

    QObject* context_;
    THeldWork& held_;
    std::deque<Entry> queue_;
};

// The toolkit's clipboard: every format of one open-and-close in one QMimeData.
class TQtClipboardStore : public IClipboardStore {
public:
    void Store(const Entries& entries) override
    {
        auto* data = new QMimeData;
        for (const auto& [mime, bytes] : entries) {
            const QByteArray b(bytes.data(), static_cast<qsizetype>(bytes.size()));
            if (mime == "text/plain")
                data->setText(QString::fromUtf8(b));
            else
                data->setData(QString::fromStdString(mime), b);
        }
        QGuiApplication::clipboard()->setMimeData(data);
    }
    std::optional<std::string> Get(const std::string& mime) override
    {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (data == nullptr) return std::nullopt;
        if (mime == "text/plain") {
            if (!data->hasText()) return std::nullopt;
            return data->text().toStdString();
        }
        const QString m = QString::fromStdString(mime);
        if (!data->hasFormat(m)) return std::nullopt;
        const QByteArray b = data->data(m);
        return std::string(b.constData(), static_cast<std::size_t>(b.size()));
    }
    bool Has(const std::string& mime) override
    {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (data == nullptr) return false;
        return mime == "text/plain" ? data->hasText() : data->hasFormat(QString::fromStdString(mime));
    }
};

// The application's mouse filters see each button press once, as it reaches a window of the
// application (before any widget in it), whichever window that is: a form, a popup window, a
// popup menu.
class TMouseFilterHook : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick) return false;
        if (!watched->isWindowType()) return false;
        auto* me = static_cast<QMouseEvent*>(event);
        const unsigned base = me->button() == Qt::RightButton    ? WM_RBUTTONDOWN
                              : me->button() == Qt::MiddleButton ? WM_MBUTTONDOWN
                                                                 : WM_LBUTTONDOWN;
        const unsigned msg = type == QEvent::MouseButtonDblClick ? base + 2 : base;
        const QPoint g = me->globalPosition().toPoint();
        TControl* target = ControlOfWidget(QApplication::widgetAt(g));
        bool swallowed = false;
        Application().SafeCall(nullptr, [&] { swallowed = Application().FilterMouse(target, msg, {g.x(), g.y()}); });
        return swallowed;
    }
};

// Every window shows the application's icon (the toolkit's logo until the program sets one).
void ShowApplicationIcon()
{
    const TPixelImage& icon = Application().Icon();
    const QImage image = ToQImage(icon.Width, icon.Height, icon.Pixels);
    QApplication::setWindowIcon(image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
}

class TQtWindowSystem : public IWindowSystem, public rtl::IBusyWaitHost {
public:
    TQtWindowSystem() : queue_(&context_, held_)
    {
        qApp->installEventFilter(&mouseHook_);
        blink_.setParent(&context_);
        QObject::connect(&blink_, &QTimer::timeout, &context_, [] { ToggleCaretBlink(); });
    }

    std::unique_ptr<IControlPeer> CreatePeer(TControl& control) override { return qt::CreatePeer(control); }

    std::unique_ptr<IRichDocument> CreateRichDocument() override { return std::make_unique<TQtRichDocument>(); }

    void HandleMessage() override { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); }

    void ProcessMessages() override { QCoreApplication::processEvents(QEventLoop::AllEvents); }

    void Wake() override
    {
        QMetaObject::invokeMethod(
            &context_,
            [this] {
                if (held_.Holding())
                    held_.postedCalls = true;
                else
                    Application().DoPostedCalls();
            },
            Qt::QueuedConnection);
    }

    // ---- Busy waits ----------------------------------------------------------------------
    // The windows are painted and nothing else of the program runs: input is dropped, and
    // posted calls, posted messages and timer ticks wait for the end of the wait (a timer
    // that came due meanwhile ticks once then). The wait cursor shows meanwhile.
    void BeginBusyWait() override
    {
        if (!OnOwnThread()) return;
        if (held_.depth++ > 0) return;
        qApp->installEventFilter(&inputDrop_);
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }

    void PaintDuringBusyWait() override
    {
        if (OnOwnThread() && held_.Holding()) QCoreApplication::processEvents(QEventLoop::AllEvents);
    }

    void EndBusyWait() override
    {
        if (!OnOwnThread() || !held_.Holding()) return;
        if (held_.depth > 1) {
            --held_.depth;
            return;
        }
        // Input that came in since the last paint is dropped too.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        held_.depth = 0;
        qApp->removeEventFilter(&inputDrop_);
        QGuiApplication::restoreOverrideCursor();
        ResumeHeldWork();
    }

    // ---- Waiting keys --------------------------------------------------------------------
    // The window system's queue is read by letting the events come, with the program's own
    // work held as in a busy wait and every input event and repaint held by TInputHold; the
    // press looked for is taken out and the rest posted again in order.
    bool TakeWaitingKeyPress(TKey key) override
    {
        if (!OnOwnThread()) return false;
        TInputHold hold;
        ++held_.depth;
        qApp->installEventFilter(&hold);
        {
            const rtl::TScopeExit release([&] {
                qApp->removeEventFilter(&hold);
                if (--held_.depth == 0) ResumeHeldWork();
            });
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
        const bool taken = hold.TakeKeyPress(key);
        hold.PostAgain();
        return taken;
    }

    void Popup(TPopupMenu& menu, int x, int y) override
    {
        QMenu qmenu;
        FillMenu(&qmenu, menu.Items(), &menu);
        QAction* chosen = qmenu.exec(QPoint(x, y));
        if (chosen == nullptr) return;
        auto* item = static_cast<TMenuItem*>(chosen->data().value<void*>());
        // The menu is closed by now; the item may have gone while it was open.
        if (item != nullptr && ContainsItem(menu.Items(), item)) Application().SafeCall(item, [item] { item->Click(); });
    }

private:
    // Starts the work held during a wait again: posted calls, messages and timer ticks.
    void ResumeHeldWork()
    {
        if (std::exchange(held_.postedCalls, false)) Wake();
        queue_.Resume(std::exchange(held_.messages, 0));
        for (TTimer* timer : std::exchange(held_.timers, {}))
            QMetaObject::invokeMethod(&context_, [this, timer] { TimerTick(timer); }, Qt::QueuedConnection);
        for (const auto& [target, id] : std::exchange(held_.messageTimers, {}))
            QMetaObject::invokeMethod(
                &context_, [this, target = target, id = id] { MessageTimerTick(target, id); },
                Qt::QueuedConnection);
    }

public:
    void UpdateTimer(TTimer& timer) override
    {
        auto it = timers_.find(&timer);
        const bool run = timer.Enabled() && timer.Interval() > 0;
        if (!run) {
            if (it != timers_.end()) {
                it->second->stop();
                it->second->deleteLater();
                timers_.erase(it);
            }
            return;
        }
        if (it == timers_.end()) {
            auto* t = new QTimer(&context_);
            QObject::connect(t, &QTimer::timeout, &context_, [this, timer = &timer] { TimerTick(timer); });
            it = timers_.emplace(&timer, t).first;
        }
        it->second->start(timer.Interval());
    }

    void SetCursor(TCursor cursor) override
    {
        while (QGuiApplication::overrideCursor() != nullptr) QGuiApplication::restoreOverrideCursor();
        if (cursor != crDefault) QGuiApplication::setOverrideCursor(CursorOf(cursor));
    }

    std::vector<std::string> FontNames() override
    {
        std::vector<std::string> names;
        for (const QString& family : QFontDatabase::families()) names.push_back(family.toStdString());
        return names;
    }

    TRect WorkArea() override
    {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen == nullptr) return {0, 0, 1024, 768};
        const QRect r = screen->availableGeometry();
        return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    }

    IMessageQueue& MessageQueue() override { return queue_; }

    void SetMessageTimer(IMessageTarget& target, unsigned id, int ms) override
    {
        QTimer*& t = messageTimers_[{&target, id}];
        if (t == nullptr) {
            t = new QTimer(&context_);
            QObject::connect(t, &QTimer::timeout, &context_,
                             [this, target = &target, id] { MessageTimerTick(target, id); });
        }
        t->start(std::max(ms, 1));
    }

    void KillMessageTimer(IMessageTarget& target, unsigned id) override
    {
        const auto it = messageTimers_.find({&target, id});
        if (it == messageTimers_.end()) return;
        it->second->stop();
        it->second->deleteLater();
        messageTimers_.erase(it);
    }

    std::unique_ptr<ICanvasDevice> CreateBitmapDevice(TBitmap& bitmap) override
    {
        if (bitmap.Empty()) return nullptr;
        auto image = std::make_unique<QImage>(reinterpret_cast<uchar*>(bitmap.Pixels().data()), bitmap.Width(),
                                              bitmap.Height(), bitmap.Width() * 4, QImage::Format_RGB32);
        // Text is measured at the screen's resolution: drawn into the bitmap it must come out
        // the same size (an image defaults to 96 dots per inch).
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const int dpm = qRound(screen->logicalDotsPerInch() / 0.0254);
            image->setDotsPerMeterX(dpm);
            image->setDotsPerMeterY(dpm);
        }
        return std::make_unique<TQtDevice>(std::move(image));
    }

    IFontMeasure* FontMeasure(const classes::TFont& font) override { return &FontMeasureOf(font); }

    TControl* ControlAtScreen(TPoint p) override { return ControlOfWidget(QApplication::widgetAt(QPoint(p.X, p.Y))); }

    int DragThreshold() override { return QApplication::startDragDistance(); }

    void ApplicationIconChanged() override { ShowApplicationIcon(); }

    void CaretChanged() override
    {
        // Blinking starts over whenever the caret moves or shows.
        if (Caret().Visible())
            blink_.start(CaretBlinkTime());
        else
            blink_.stop();
    }

private:
    static bool OnOwnThread() { return QThread::currentThread() == qApp->thread(); }

    // A tick of a timer that is still running (held during a busy wait).
    void TimerTick(TTimer* timer)
    {
        if (!timers_.contains(timer)) return;
        if (held_.Holding()) {
            held_.timers.insert(timer);
            return;
        }
        timer->Timer();
    }

    void MessageTimerTick(IMessageTarget* target, unsigned id)
    {
        if (!messageTimers_.contains({target, id})) return;
        if (held_.Holding()) {
            held_.messageTimers.insert({target, id});
            return;
        }
        TMessage m = MakeMessage(WM_TIMER, static_cast<std::intptr_t>(id));
        Application().SafeCall(nullptr, [&] { target->Dispatch(m); });
    }

    static bool ContainsItem(const TMenuItem* parent, const TMenuItem* item)
    {
        for (int i = 0; i < parent->Count(); ++i)
            if (parent->Items(i) == item || ContainsItem(parent->Items(i), item)) return true;
        return false;
    }

    QObject context_;
    TMouseFilterHook mouseHook_;
    TInputDrop inputDrop_;
    THeldWork held_;
    TQtMessageQueue queue_;
    std::map<TTimer*, QTimer*> timers_;
    std::map<std::pair<IMessageTarget*, unsigned>, QTimer*> messageTimers_;
    QTimer blink_;
};

struct TInstalled {
    std::unique_ptr<TQtWindowSystem> system;
    std::unique_ptr<TQtDialogs> dialogs;
    std::unique_ptr<TQtClipboardStore> clipboard;
};

TInstalled& Installed()
{
    static TInstalled installed;
    return installed;
}

}  // namespace

void Install()
{
    TInstalled& installed = Installed();
    if (installed.system) return;
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "gridweaver";
        static char* argv[] = {name, nullptr};
        // Lives as long as the process: widgets of forms still alive at exit need it.
        new QApplication(argc, argv);
    }
    installed.system = std::make_unique<TQtWindowSystem>();
    installed.dialogs = std::make_unique<TQtDialogs>();
    installed.clipboard = std::make_unique<TQtClipboardStore>();
    SetWindowSystem(installed.system.get());
    rtl::SetBusyWaitHost(installed.system.get());
    ShowApplicationIcon();
    SetDialogService(installed.dialogs.get());
    SetClipboardStore(installed.clipboard.get());
    SetPrinterBackend(&QtPrinters());
    SetScrollBarExtent(QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    SetWheelScrollLines(QApplication::wheelScrollLines());
    SetCaretBlinkTime(QApplication::cursorFlashTime() > 0 ? QApplication::cursorFlashTime() / 2 : 0);
    SetDoubleClickTime(QApplication::doubleClickInterval());
    SetBeepHandler([] { QApplication::beep(); });
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        SetScreenPixelsPerInch(static_cast<int>(screen->logicalDotsPerInch()));
}

void Uninstall()
{
    TInstalled& installed = Installed();
    if (!installed.system) return;
    if (WindowSystem() == installed.system.get()) SetWindowSystem(nullptr);
    rtl::SetBusyWaitHost(nullptr);
    SetDialogService(nullptr);
    SetClipboardStore(nullptr);
    SetScrollBarExtent(0);
    SetWheelScrollLines(0);
    SetBeepHandler(nullptr);
    SetScreenPixelsPerInch(0);
    installed.system.reset();
    installed.dialogs.reset();
    installed.clipboard.reset();
}

QWidget* WidgetOf(const TControl& control)
{
    TPeer* peer = PeerOf(control);
    return peer != nullptr ? peer->Widget() : nullptr;
}

}  // namespace ui::qt
