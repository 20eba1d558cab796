#pragma once
// The browser control: shows a page given by a local file name or an address, goes back
// and forward through what it showed, and tells through OnCommandStateChange whenever going
// back (CSC_NAVIGATEBACK) or forward (CSC_NAVIGATEFORWARD) becomes possible or impossible.
// The page itself is the window system's (a browser engine); without one the control only
// remembers where it was sent, and goes there once its window exists.

#include <string>

#include "platform/ui/Controls.h"

namespace ui {

constexpr int CSC_NAVIGATEFORWARD = 1;
constexpr int CSC_NAVIGATEBACK = 2;

using TCommandStateChangeEvent = classes::TEvent<classes::TObject*, int, bool>;
using TDocumentCompleteEvent = classes::TEvent<classes::TObject*, const std::string&>;

// What the window system's browser does for the control.
class IWebBrowserPeer {
public:
    // `target`: an absolute address ("file:///...", "http://...", "about:blank") or a file
    // name (made absolute against the working folder).
    virtual void Navigate(const std::string& target) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Refresh() = 0;

protected:
    ~IWebBrowserPeer() = default;
};

class TWebBrowser : public TWinControl {
    GW_CLASS(TWebBrowser)

public:
    explicit TWebBrowser(classes::TComponent* owner);

    void Navigate(const std::string& target);
    void GoBack();
    void GoForward();
    void Refresh();
    bool CanGoBack() const noexcept { return canBack_; }
    bool CanGoForward() const noexcept { return canForward_; }
    // The address of the page shown (empty before the first one).
    const std::string& LocationURL() const noexcept { return location_; }

    // Reported by the window system: the history changed (fires OnCommandStateChange for
    // each command whose state changed) / a page finished loading.
    void HistoryChangedByBrowser(bool canGoBack, bool canGoForward);
    void DocumentCompleteByBrowser(const std::string& url);

    void CreatePeers() override;

    TCommandStateChangeEvent OnCommandStateChange;
    TDocumentCompleteEvent OnDocumentComplete;

private:
    IWebBrowserPeer* BrowserPeer() const;

    std::string pending_;
    std::string location_;
    bool canBack_ = false;
    bool canForward_ = false;
};

}  // namespace ui
