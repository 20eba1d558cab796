// The browser control in windows on a real X server (Xvfb), under a window manager when one
// can be started (openbox): the first page a browser shows leaves the window that holds it as
// it was: the same native window, maximised when it was, in the same place and size. The
// maximised frame's picture is read back: its caption, and the page drawn over the child.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTest>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/WebBrowser.h"
#include "platform/ui/qt/QtUi.h"
#include "platform/ui/qt/web/QtWeb.h"
#include "tests/support/WindowManager.h"
#include "tests/support/WindowShot.h"

namespace {

using namespace ui;

class BrowserWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr || *std::getenv("DISPLAY") == '\0')
            GTEST_SKIP() << "no X server (DISPLAY is not set)";
        qt::PrepareWebBrowser();
        ASSERT_TRUE(gwtest::UseXServer());
        dir_ = std::filesystem::temp_directory_path() / ("gw-browser-window-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        page_ = dir_ / "page.html";
        std::ofstream(page_) << "<html><head><meta charset=\"utf-8\"><title>Page</title></head>"
                                "<body><h1>Orders</h1></body></html>\r\n";
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        Application().ProcessMessages();
    }
    // Puts a browser on `holder`, aligned to its client, and shows the page in it.
    TWebBrowser* ShowPage(TCustomForm& holder)
    {
        auto* browser = new TWebBrowser(&holder);
        browser->SetParent(&holder);
        browser->SetAlign(alClient);
        ShowPage(*browser);
        return browser;
    }
    // Shows the page in `browser` and waits until it has loaded.
    void ShowPage(TWebBrowser& browser)
    {
        bool loaded = false;
        browser.OnDocumentComplete = [&](classes::TObject*, const std::string&) { loaded = true; };
        browser.Navigate(page_.string());
        ASSERT_TRUE(QTest::qWaitFor([&] { return loaded; }, 30000));
        QTest::qWait(500);  // the window manager's answer to anything the page did
        browser.OnDocumentComplete = nullptr;
    }

    std::filesystem::path dir_;
    std::filesystem::path page_;
};

TEST_F(BrowserWindowTest, TheFirstPageShownLeavesItsWindowAsItWas)
{
    gwtest::TWindowManager manager;
    for (const bool mdi : {false, true}) {
        SCOPED_TRACE(mdi ? "a page in a child form of a maximised MDI frame" : "a page on a panel shown later");
        auto window = std::make_unique<TForm>(nullptr);
        TPanel* page = nullptr;
        TWebBrowser* browser = nullptr;
        window->SetCaption("Gridweaver");
        window->SetBounds(40, 30, 640, 480);
        if (mdi) {
            window->SetFormStyle(fsMDIForm);
            window->SetWindowState(wsMaximized);
            Application().SetMainForm(window.get());
        } else {
            // The browser is on the form from the start, on a page not shown yet (as on a tab).
            page = new TPanel(window.get());
            page->SetParent(window.get());
            page->SetAlign(alClient);
            page->SetVisible(false);
            browser = new TWebBrowser(window.get());
            browser->SetParent(page);
            browser->SetAlign(alClient);
        }
        window->Show();
        QWidget* w = qt::WidgetOf(*window);
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
        QTest::qWait(500);
        if (mdi && manager.Running()) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return w->isMaximized(); }, 3000));
        }
        const WId id = w->winId();
        const QRect place = w->geometry();
        const bool maximised = w->isMaximized();

        std::unique_ptr<TForm> child;
        if (mdi) {
            child = std::make_unique<TForm>(nullptr);
            child->SetFormStyle(fsMDIChild);
            child->SetBounds(0, 0, 400, 300);
            child->SetWindowState(wsMaximized);
            child->Show();
            browser = ShowPage(*child);
        } else {
            page->SetVisible(true);
            ShowPage(*browser);
        }
        EXPECT_EQ(w->winId(), id);
        EXPECT_EQ(w->isMaximized(), maximised);
        EXPECT_EQ(w->geometry(), place);
        if (mdi) {
            const gwtest::TShot shot = gwtest::ShootWindow(w, "ui", "MaximisedFrameWithPage");
            ASSERT_TRUE(shot.Taken());
            EXPECT_TRUE(w->windowTitle().startsWith("Gridweaver")) << w->windowTitle().toStdString();
            // The page over the whole child: its white ground at the far corner, its heading's
            // dark letters at the top left.
            QWidget* page = qt::WidgetOf(*browser);
            ASSERT_NE(page, nullptr);
            EXPECT_TRUE(page->isVisible());
            EXPECT_GE(page->width(), w->width() / 2);
            EXPECT_TRUE(gwtest::DrawnAs(shot.At(page, page->rect().bottomRight() - QPoint(30, 30)), rtl::clWhite, 8));
            EXPECT_GT(shot.Count(page, QRect(4, 4, 160, 60), rtl::clBlack, 64), 50);
        }
        child.reset();
        Application().SetMainForm(nullptr);
        window.reset();
        Application().ProcessMessages();
    }
}

}  // namespace
