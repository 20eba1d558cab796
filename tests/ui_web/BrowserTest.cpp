// The browser control over Qt WebEngine (offscreen): two generated local pages, back and
// forward, and the command-state events that enable the program's Back and Forward. The
// engine starts slowly, so everything runs in one test.

#include <gtest/gtest.h>

#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Forms.h"
#include "platform/ui/WebBrowser.h"
#include "platform/ui/qt/QtUi.h"
#include "platform/ui/qt/web/QtWeb.h"

namespace {

using namespace ui;

std::filesystem::path WritePage(const std::filesystem::path& dir, const std::string& name, const std::string& title)
{
    const auto path = dir / name;
    std::ofstream(path) << "<html><head><meta charset=\"utf-8\"><title>" << title << "</title></head><body>" << title
                        << "</body></html>\r\n";
    return path;
}

TEST(BrowserTest, LoadsLocalPagesAndReportsBackAndForward)
{
    qt::PrepareWebBrowser();
    qt::Install();
    const auto dir = std::filesystem::temp_directory_path() / ("gw-browser-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto first = WritePage(dir, "first.html", "First");
    const auto second = WritePage(dir, "second page.html", "Second");

    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 300);
    auto* browser = new TWebBrowser(&form);
    browser->SetParent(&form);
    browser->SetAlign(alClient);
    bool back = false, forward = false;
    std::vector<std::string> states;
    std::vector<std::string> loaded;
    browser->OnCommandStateChange = [&](classes::TObject*, int command, bool enable) {
        (command == CSC_NAVIGATEBACK ? back : forward) = enable;
        states.push_back((command == CSC_NAVIGATEBACK ? "back " : "forward ") + std::string(enable ? "on" : "off"));
    };
    browser->OnDocumentComplete = [&](classes::TObject*, const std::string& url) { loaded.push_back(url); };

    // Sent before the window exists: it goes there once it is shown.
    browser->Navigate(first.string());
    form.Show();
    const auto waitLoads = [&](std::size_t n) { return QTest::qWaitFor([&] { return loaded.size() >= n; }, 30000); };
    ASSERT_TRUE(waitLoads(1));
    EXPECT_EQ(loaded.back(), "file://" + first.string());
    EXPECT_FALSE(back);
    EXPECT_FALSE(forward);

    browser->Navigate(second.string());
    ASSERT_TRUE(waitLoads(2));
    EXPECT_EQ(browser->LocationURL(), "file://" + (dir / "second%20page.html").string());
    EXPECT_TRUE(back);
    EXPECT_FALSE(forward);

    browser->GoBack();
    ASSERT_TRUE(waitLoads(3));
    EXPECT_EQ(loaded.back(), "file://" + first.string());
    EXPECT_FALSE(back);
    EXPECT_TRUE(forward);

    browser->GoForward();
    ASSERT_TRUE(waitLoads(4));
    EXPECT_TRUE(back);
    EXPECT_FALSE(forward);
    EXPECT_EQ(states, (std::vector<std::string>{"back on", "forward on", "back off", "forward off", "back on"}));

    // Refresh reloads the page shown; going forward past the end does nothing.
    browser->Refresh();
    ASSERT_TRUE(waitLoads(5));
    EXPECT_EQ(loaded.back(), browser->LocationURL());
    browser->GoForward();
    QTest::qWait(200);
    EXPECT_EQ(loaded.size(), 5u);
    std::filesystem::remove_all(dir);
}

}  // namespace
