#include "platform/ui/qt/web/QtWeb.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QQuickWidget>
#include <QUrl>
#include <QWebEngineHistory>
#include <QWebEngineView>

#include <unistd.h>

#include "platform/rtl/Log.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WebBrowser.h"
#include "platform/ui/qt/Peers.h"

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

class TBrowserPeer : public TPeer, public IWebBrowserPeer {
public:
    explicit TBrowserPeer(TWebBrowser& browser) : TPeer(browser), browser_(browser) {}

    void Navigate(const std::string& target) override { view_->load(UrlOf(target)); }
    void GoBack() override { view_->back(); }
    void GoForward() override { view_->forward(); }
    void Refresh() override { view_->reload(); }

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        view_ = new QWebEngineView(parent);
        // The page's Back and Forward actions are enabled exactly when the history allows.
        for (QWebEnginePage::WebAction a : {QWebEnginePage::Back, QWebEnginePage::Forward})
            connect(view_->pageAction(a), &QAction::changed, this, [this] { HistoryChanged(); });
        connect(view_, &QWebEngineView::loadFinished, this, [this](bool) {
            HistoryChanged();
            const std::string url = view_->url().toString(QUrl::FullyEncoded).toStdString();
            Call([&] { browser_.DocumentCompleteByBrowser(url); });
        });
        return view_;
    }

private:
    void HistoryChanged()
    {
        const bool back = view_->history()->canGoBack();
        const bool forward = view_->history()->canGoForward();
        Call([&] { browser_.HistoryChangedByBrowser(back, forward); });
    }

    TWebBrowser& browser_;
    QWebEngineView* view_ = nullptr;
};

bool HoldsBrowser(const TWinControl& parent)
{
    for (int i = 0; i < parent.ControlCount(); ++i) {
        const TControl* c = parent.Controls(i);
        if (dynamic_cast<const TWebBrowser*>(c) != nullptr) return true;
        if (const auto* w = dynamic_cast<const TWinControl*>(c); w != nullptr && HoldsBrowser(*w)) return true;
    }
    return false;
}

// The engine draws a page through the graphics card, into a child widget it makes when the
// page first loads. A window shown without such a child gets made anew when the first one
// comes (it must then draw through the graphics card as well): a new window that the desktop
// no longer keeps maximised, nor where it was. So a window that holds a browser, or an MDI
// frame whose child forms may, gets a hidden child of that kind before it is first shown.
void ReadyWindowForPages(TCustomForm& form, QWidget& window)
{
    if (form.FormStyle() != fsMDIForm && !HoldsBrowser(form)) return;
    auto* placeholder = new QQuickWidget(&window);
    placeholder->setObjectName("gwPageHost");
    placeholder->hide();
}

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
    if (QCoreApplication::instance() == nullptr) QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    RegisterPeer<TWebBrowser, TBrowserPeer>();
    SetFormWindowHook(ReadyWindowForPages);
}

}  // namespace ui::qt
