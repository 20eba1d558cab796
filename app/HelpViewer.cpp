#include "app/HelpViewer.h"

#include "platform/rtl/Addresses.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/WebBrowser.h"

#include <algorithm>
#include <exception>

namespace app {

TFrmHelpViewer* FrmHelpViewer = nullptr;

GW_IMPLEMENT_CLASS(TFrmHelpViewer, ui::TForm) {}

TFrmHelpViewer::TFrmHelpViewer(classes::TComponent* owner) : TForm(owner)
{
    RegisterHandler("FormClose", this, &TFrmHelpViewer::FormClose);
    RegisterHandler("lb_contentsClick", this, &TFrmHelpViewer::lb_contentsClick);
    LoadDescription("HelpViewer");
    // Help asked for from a modal dialog is read beside it, the dialog still open.
    SetUsableDuringModal(true);
    FrmHelpViewer = this;
}

TFrmHelpViewer::~TFrmHelpViewer()
{
    if (FrmHelpViewer == this) FrmHelpViewer = nullptr;
}

void TFrmHelpViewer::FormClose(classes::TObject*, ui::TCloseAction& action)
{
    action = ui::caFree;
    if (FrmHelpViewer == this) FrmHelpViewer = nullptr;
}

std::string PageTitle(const std::string& pageFile)
{
    std::string text;
    try {
        text = rtl::ReadFileToString(pageFile);
    } catch (const std::exception&) {
        return {};
    }
    const std::string lower = rtl::LowerCase(text);
    const auto open = lower.find("<title>");
    if (open == std::string::npos) return {};
    const auto start = open + 7;
    const auto close = lower.find("</title>", start);
    if (close == std::string::npos) return {};
    // The title as a browser shows it: "Header&amp;Footer" reads "Header&Footer".
    return rtl::DecodeAttributeValue(rtl::Trim(std::string_view(text).substr(start, close - start)));
}

std::vector<std::string> PageLinks(const std::string& pageFile)
{
    std::vector<std::string> links;
    std::string text;
    try {
        text = rtl::ReadFileToString(pageFile);
    } catch (const std::exception&) {
        return links;
    }
    std::size_t pos = 0;
    while ((pos = text.find("href=\"", pos)) != std::string::npos) {
        pos += 6;
        const auto end = text.find('"', pos);
        if (end == std::string::npos) break;
        const std::string target = text.substr(pos, end - pos);
        if (target.find('/') == std::string::npos && target.find(':') == std::string::npos &&
            std::find(links.begin(), links.end(), target) == links.end())
            links.push_back(target);
        pos = end;
    }
    return links;
}

void TFrmHelpViewer::LoadContents(const std::string& helpFolder)
{
    folder_ = rtl::IncludeTrailingPathDelimiter(helpFolder);
    // The index page first, then the pages in the order it links them, then any others.
    std::vector<std::string> names = rtl::ListDirectory(folder_, "*.html");
    std::vector<std::string> order{"index.html"};
    for (const std::string& link : PageLinks(folder_ + "index.html"))
        if (std::find(order.begin(), order.end(), link) == order.end()) order.push_back(link);
    std::stable_sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        const auto ia = std::find(order.begin(), order.end(), a) - order.begin();
        const auto ib = std::find(order.begin(), order.end(), b) - order.begin();
        return ia < ib;
    });
    auto* list = Get<ui::TListBox>("lb_contents");
    list->Items()->Clear();
    files_.clear();
    for (const std::string& name : names) {
        const std::string file = folder_ + name;
        const std::string title = PageTitle(file);
        list->Items()->Add(title.empty() ? name : title);
        files_.push_back(file);
    }
}

void TFrmHelpViewer::ShowTopic(const std::string& pageFile)
{
    topic_ = pageFile;
    const auto it = std::find(files_.begin(), files_.end(), pageFile);
    Get<ui::TListBox>("lb_contents")->SetItemIndex(it == files_.end() ? -1 : static_cast<int>(it - files_.begin()));
    Get<ui::TWebBrowser>("wb_page")->Navigate(pageFile);
}

void TFrmHelpViewer::lb_contentsClick(classes::TObject*)
{
    const int index = Get<ui::TListBox>("lb_contents")->ItemIndex();
    if (index >= 0 && index < static_cast<int>(files_.size())) ShowTopic(files_[static_cast<std::size_t>(index)]);
}

void ShowHelpViewerTopic(const std::string& helpFolder, const std::string& pageFile)
{
    if (FrmHelpViewer == nullptr) new TFrmHelpViewer(&ui::Application());
    TFrmHelpViewer* viewer = FrmHelpViewer;
    if (viewer->HelpFolder() != rtl::IncludeTrailingPathDelimiter(helpFolder)) viewer->LoadContents(helpFolder);
    viewer->ShowTopic(pageFile);
    viewer->Show();
    viewer->BringToFront();
}

}  // namespace app
