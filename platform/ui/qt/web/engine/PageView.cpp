// The engine's module: the page view over Qt WebEngine (see PageView.h), built as a module of
// its own that the browser peer loads the first time a browser control shows.

#include "platform/ui/qt/web/PageView.h"

#include <QAction>
#include <QQuickWindow>
#include <QUrl>
#include <QWebEngineHistory>
#include <QWebEngineView>

namespace {

using ui::qt::IPageView;
using ui::qt::TPageViewEvents;

class TPageView final : public QWebEngineView, public IPageView {
public:
    TPageView(QWidget* parent, QObject* context, const TPageViewEvents& events) : QWebEngineView(parent)
    {
        const auto historyChanged = [this, events] {
            if (events.historyChanged) events.historyChanged(history()->canGoBack(), history()->canGoForward());
        };
        // The page's Back and Forward actions are enabled exactly when the history allows.
        for (QWebEnginePage::WebAction a : {QWebEnginePage::Back, QWebEnginePage::Forward})
            connect(pageAction(a), &QAction::changed, context, historyChanged);
        connect(this, &QWebEngineView::loadFinished, context, [this, events, historyChanged](bool) {
            historyChanged();
            if (events.loaded) events.loaded(url());
        });
    }

    QWidget* Widget() override { return this; }
    void Load(const QUrl& url) override { load(url); }
    void Back() override { back(); }
    void Forward() override { forward(); }
    void Reload() override { reload(); }
};

}  // namespace

extern "C" Q_DECL_EXPORT IPageView* gw_make_page_view(QWidget* parent, QObject* context, const TPageViewEvents& events)
{
    // Composed in software (Qt Quick's software scene graph; the engine then composes in
    // software too): drawn through the graphics card, the view would need its whole window
    // to draw that way, and the toolkit would make a window that is already shown anew (it
    // would lose its maximised state and place).
    if (QQuickWindow::graphicsApi() != QSGRendererInterface::Software)
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    return new TPageView(parent, context, events);
}
