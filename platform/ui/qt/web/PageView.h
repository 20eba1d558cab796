#pragma once
// The page view behind the browser control's peer, made by the engine's module: the engine's
// libraries are loaded with that module the first time a browser control shows, so that a
// program that has shown no page has paid nothing for them.
//
// The module exports one C function, kMakePageViewSymbol, of type TMakePageView: it makes a
// view inside `parent` (owned by it) that composes pages in software, and calls `events` back
// while `context` lives. Load, Back, Forward and Reload do what the engine's view does;
// Back and Forward with no page that way do nothing.

#include <functional>

class QObject;
class QUrl;
class QWidget;

namespace ui::qt {

class IPageView {
public:
    virtual QWidget* Widget() = 0;
    virtual void Load(const QUrl& url) = 0;
    virtual void Back() = 0;
    virtual void Forward() = 0;
    virtual void Reload() = 0;

protected:
    ~IPageView() = default;
};

struct TPageViewEvents {
    // Going back or forward became possible or impossible.
    std::function<void(bool canGoBack, bool canGoForward)> historyChanged;
    // A page finished loading; its address.
    std::function<void(const QUrl& url)> loaded;
};

using TMakePageView = IPageView* (*)(QWidget* parent, QObject* context, const TPageViewEvents& events);
inline constexpr const char* kMakePageViewSymbol = "gw_make_page_view";

}  // namespace ui::qt
