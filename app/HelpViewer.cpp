#include "app/HelpViewer.h"

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
    return rtl::Trim(std::string_view(text).substr(start, close - start));
}

void TFrmHelpViewer::LoadContents(const std::string& helpFolder)
{
    folder_ = rtl::IncludeTrailingPathDelimiter(helpFolder);
    std::vector<std::string> names = rtl::ListDirectory(folder_, "*.html");
    std::sort(names.begin(), names.end());
    const auto index = std::find(names.begin(), names.end(), "index.html");
    if (index != names.end()) std::rotate(names.begin(), index, index + 1);
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
