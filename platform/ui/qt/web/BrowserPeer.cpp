#include "platform/ui/qt/web/QtWeb.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QOpenGLContext>
#include <QStackedLayout>
#include <QUrl>

#include <utility>

#include <unistd.h>

#include "platform/rtl/Log.h"
#include "platform/rtl/Paths.h"
#include "platform/ui/WebBrowser.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/web/PageView.h"

// Qt GUI exports the setter of its global share context without declaring it in a header.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE

namespace ui::qt {

namespace {

QUrl UrlOf(const std::string& target)
{
    const QString t = QString::fromStdString(target);
    const QUrl url(t);
    // A file name, or an address with a scheme ("C:" is no scheme here).
    if (url.isValid() && url.scheme().size() > 1) return url;
    return QUrl::fromLocalFile(QDir::current().absoluteFilePath(t));
}

// The engine's module, loaded the first time it is asked for; nullptr (said once) when it
// cannot be loaded: browser controls then stay empty.
TMakePageView PageViewMaker()
{
    static const TMakePageView make = []() -> TMakePageView {
        // As its libraries load, the engine checks that the application was readied to share
        // GL contexts with it, and says so on standard error when not. Its pages are composed
        // in software, so nothing shares a context with it: one that is never made stands in.
        if (QOpenGLContext::globalShareContext() == nullptr) qt_gl_set_global_share_context(new QOpenGLContext);
        const std::string path = rtl::ExecutableDir() + "../lib/gridweaver/libgw_page_view.so";
        QLibrary module(QString::fromStdString(path));
        auto found = reinterpret_cast<TMakePageView>(module.resolve(kMakePageViewSymbol));
        if (found == nullptr) rtl::LogLine("web view", "cannot load " + module.errorString().toStdString());
        return found;
    }();
    return make;
}

// The view is made the first time the control shows: making it loads and starts the engine
// (its libraries, its profile, its processes, the graphics probe), which a window with a
// browser on a page not shown yet (the design window's preview) need not pay for. Until then
// the peer keeps the last address it was sent and has no history.
class TBrowserPeer : public TPeer, public IWebBrowserPeer {
public:
    explicit TBrowserPeer(TWebBrowser& browser) : TPeer(browser), browser_(browser) {}

    void Navigate(const std::string& target) override
    {
        const QUrl url = UrlOf(target);  // against the working folder of the moment
        if (view_ != nullptr)
            view_->Load(url);
        else
            pending_ = url;
    }
    void GoBack() override
    {
        if (view_ != nullptr) view_->Back();
    }
    void GoForward() override
    {
        if (view_ != nullptr) view_->Forward();
    }
    void Refresh() override
    {
        if (view_ != nullptr) view_->Reload();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched == widget_ && view_ == nullptr) MakeView();
        return TPeer::eventFilter(watched, event);
    }

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        auto* host = new QWidget(parent);
        new QStackedLayout(host);
        return host;
    }

private:
    void MakeView()
    {
        const TMakePageView make = PageViewMaker();
        if (make == nullptr) return;
        TPageViewEvents events;
        events.historyChanged = [this](bool back, bool forward) {
            Call([&] { browser_.HistoryChangedByBrowser(back, forward); });
        };
        events.loaded = [this](const QUrl& url) {
            const std::string address = url.toString(QUrl::FullyEncoded).toStdString();
            Call([&] { browser_.DocumentCompleteByBrowser(address); });
        };
        view_ = make(widget_, this, events);
        widget_->layout()->addWidget(view_->Widget());
        widget_->setFocusProxy(view_->Widget());
        if (!pending_.isEmpty()) view_->Load(std::exchange(pending_, QUrl()));
    }

    TWebBrowser& browser_;
    IPageView* view_ = nullptr;  // a child of the peer's widget
    QUrl pending_;
};

}  // namespace

void PrepareWebBrowser()
{
    static bool done = false;
    if (done) return;
    done = true;
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        rtl::LogLine("web view", "running as root, so the web view runs without its sandbox");
    }
    RegisterPeer<TWebBrowser, TBrowserPeer>();
}

}  // namespace ui::qt
