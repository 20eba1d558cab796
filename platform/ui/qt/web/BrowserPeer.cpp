#include "platform/ui/qt/web/QtWeb.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QUrl>
#include <QWebEngineHistory>
#include <QWebEngineView>

#include <cstdio>
#include <unistd.h>

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

}  // namespace

void PrepareWebBrowser()
{
    static bool done = false;
    if (done) return;
    done = true;
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        std::fprintf(stderr, "gridweaver: running as root, so the web view runs without its sandbox\n");
    }
    if (QCoreApplication::instance() == nullptr) QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    RegisterPeer<TWebBrowser, TBrowserPeer>();
}

}  // namespace ui::qt
