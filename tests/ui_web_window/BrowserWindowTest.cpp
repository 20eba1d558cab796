// The browser control in windows on a real X server (Xvfb), under a window manager when one
// can be started (openbox): the first page a browser shows leaves the window that holds it as
// it was: the same native window, maximised when it was, in the same place and size. The
// maximised frame's picture is read back: its caption, and the page drawn over the child. A
// window that holds a browser shows without the engine's libraries and the GL driver, and
// draws the same way once its first page has come.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

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

// Whether a library whose path holds one of `names` is mapped into this process.
bool Mapped(std::initializer_list<const char*> names)
{
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        for (const char* name : names)
            if (line.find(name) != std::string::npos) return true;
    return false;
}
const std::initializer_list<const char*> kGlDriver = {"/libGLX_", "/libEGL_", "_dri.so"};
const std::initializer_list<const char*> kEngine = {"/libQt6WebEngineCore"};

// The engine's libraries and the GL driver (a software renderer where there is no GPU), which
// the engine loads as it starts, cost more than the rest of the program's start: a window with
// a browser on a page not shown yet (as on a tab) is shown and painted without either, even
// with an address sent to the browser; the browser goes there once its page shows, and the
// window draws the same way once the first page has come.
TEST_F(BrowserWindowTest, WindowsShowWithoutTheGlDriverUntilAPageComes)
{
    TForm window(nullptr);
    window.SetCaption("Gridweaver");
    window.SetBounds(40, 30, 640, 480);
    auto* page = new TPanel(&window);
    page->SetParent(&window);
    page->SetAlign(alClient);
    page->SetVisible(false);
    auto* browser = new TWebBrowser(&window);
    browser->SetParent(page);
    browser->SetAlign(alClient);
    std::vector<std::string> loaded;
    browser->OnDocumentComplete = [&](classes::TObject*, const std::string& url) { loaded.push_back(url); };
    window.Show();
    QWidget* w = qt::WidgetOf(window);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    browser->Navigate(page_.string());
    QTest::qWait(200);
    EXPECT_FALSE(Mapped(kEngine));
    EXPECT_FALSE(Mapped(kGlDriver));
    EXPECT_EQ(w->windowHandle()->surfaceType(), QSurface::RasterSurface);
    EXPECT_TRUE(loaded.empty());

    page->SetVisible(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !loaded.empty(); }, 30000));
    EXPECT_EQ(loaded, std::vector<std::string>{"file://" + page_.string()});
    EXPECT_TRUE(Mapped(kEngine));
    QTest::qWait(300);
    EXPECT_EQ(w->windowHandle()->surfaceType(), QSurface::RasterSurface);
    const gwtest::TShot shot = gwtest::ShootWindow(w, "ui", "PageDrawnInSoftware");
    ASSERT_TRUE(shot.Taken());
    QWidget* view = qt::WidgetOf(*browser);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(gwtest::DrawnAs(shot.At(view, view->rect().bottomRight() - QPoint(30, 30)), rtl::clWhite, 8));
    EXPECT_GT(shot.Count(view, QRect(4, 4, 160, 60), rtl::clBlack, 64), 50);
}

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
