#pragma once
// The help viewer: the contents of the help folder in a list beside the browser control that
// shows the chosen page. One instance at most (FrmHelpViewer), owned by the application,
// created by the first help request of mode 0 and freed when it closes or by HHCloseAll.
// No modal dialog blocks it: help opened from a dialog is read and used while it is open.
// Its stored description is forms/HelpViewer.gwf.

#include <string>
#include <vector>

#include "platform/ui/Forms.h"

namespace ui {
class TListBox;
class TWebBrowser;
}  // namespace ui

namespace app {

class TFrmHelpViewer : public ui::TForm {
    GW_CLASS(TFrmHelpViewer)

public:
    explicit TFrmHelpViewer(classes::TComponent* owner);
    ~TFrmHelpViewer() override;

    // Fills the contents from the help folder: "index.html" first, then the pages in the
    // order the index links them, then the others by file name; each shown by its title.
    void LoadContents(const std::string& helpFolder);
    // Shows the page (a full path) and selects it in the contents when it is listed there.
    void ShowTopic(const std::string& pageFile);

    const std::string& HelpFolder() const noexcept { return folder_; }
    // The page shown last ("" before the first).
    const std::string& TopicFile() const noexcept { return topic_; }
    // Full paths of the contents entries, in list order.
    const std::vector<std::string>& ContentsFiles() const noexcept { return files_; }

private:
    void FormClose(classes::TObject* sender, ui::TCloseAction& action);
    void lb_contentsClick(classes::TObject* sender);

    std::string folder_;
    std::string topic_;
    std::vector<std::string> files_;
};

// The live help viewer, or nullptr.
extern TFrmHelpViewer* FrmHelpViewer;

// Shows `pageFile` of the help folder in the help viewer (made when there is none), shown and
// brought to the front.
void ShowHelpViewerTopic(const std::string& helpFolder, const std::string& pageFile);

// The text between <title> and </title> of a page, its character references resolved ("" when
// it has none or cannot be read).
std::string PageTitle(const std::string& pageFile);
// The local pages a page links to (href="name", no folder or scheme), first link first.
std::vector<std::string> PageLinks(const std::string& pageFile);

}  // namespace app
