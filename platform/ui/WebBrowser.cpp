#include "platform/ui/WebBrowser.h"

namespace ui {

GW_IMPLEMENT_CLASS(TWebBrowser, TWinControl)
{
    p.Event("OnCommandStateChange", &TWebBrowser::OnCommandStateChange);
    p.Event("OnDocumentComplete", &TWebBrowser::OnDocumentComplete);
}

TWebBrowser::TWebBrowser(classes::TComponent* owner) : TWinControl(owner) { SetTabStop(true); }

IWebBrowserPeer* TWebBrowser::BrowserPeer() const { return dynamic_cast<IWebBrowserPeer*>(Peer()); }

void TWebBrowser::Navigate(const std::string& target)
{
    if (IWebBrowserPeer* peer = BrowserPeer())
        peer->Navigate(target);
    else
        pending_ = target;
}

void TWebBrowser::GoBack()
{
    if (IWebBrowserPeer* peer = BrowserPeer(); peer != nullptr && canBack_) peer->GoBack();
}

void TWebBrowser::GoForward()
{
    if (IWebBrowserPeer* peer = BrowserPeer(); peer != nullptr && canForward_) peer->GoForward();
}

void TWebBrowser::Refresh()
{
    if (IWebBrowserPeer* peer = BrowserPeer()) peer->Refresh();
}

void TWebBrowser::HistoryChangedByBrowser(bool canGoBack, bool canGoForward)
{
    const bool forwardChanged = canGoForward != canForward_;
    const bool backChanged = canGoBack != canBack_;
    canBack_ = canGoBack;
    canForward_ = canGoForward;
    if (forwardChanged) OnCommandStateChange(this, CSC_NAVIGATEFORWARD, canGoForward);
    if (backChanged) OnCommandStateChange(this, CSC_NAVIGATEBACK, canGoBack);
}

void TWebBrowser::DocumentCompleteByBrowser(const std::string& url)
{
    location_ = url;
    OnDocumentComplete(this, url);
}

void TWebBrowser::CreatePeers()
{
    TWinControl::CreatePeers();
    if (IWebBrowserPeer* peer = BrowserPeer(); peer != nullptr && !pending_.empty()) {
        const std::string target = std::move(pending_);
        pending_.clear();
        peer->Navigate(target);
    }
}

}  // namespace ui
