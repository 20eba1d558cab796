// The sample form on a real X server (Xvfb): shown, painted and saved as a screenshot for
// people to look at. Nothing is asserted about the pixels.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <cstdlib>
#include <filesystem>

#include "platform/ui/qt/QtUi.h"
#include "tests/ui/SampleForm.h"

namespace {

TEST(WindowTest, ShowsTheSampleFormAndSavesAScreenshot)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "no X server (DISPLAY is not set)";
    // This process talks to the X server whatever the test environment chose.
    qputenv("QT_QPA_PLATFORM", "xcb");
    ui::qt::Install();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");

    ui::Application().SetTitle("Gridweaver");
    uitest::TAllControlsForm form(nullptr);
    form.SetPosition(ui::poScreenCenter);
    form.FillListView();
    form.C<ui::TPageControl>("PageControl1")->SetActivePageIndex(0);
    form.Show();
    QWidget* window = ui::qt::WidgetOf(form);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QTest::qWait(200);  // let the server draw

    QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(window->winId());
    if (shot.isNull()) shot = window->grab();
    const std::filesystem::path dir = std::filesystem::path(GW_BINARY_DIR) / "test-artifacts" / "ui";
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / "AllControls.png";
    ASSERT_TRUE(shot.save(QString::fromStdString(file.string()), "PNG"));
    EXPECT_GT(std::filesystem::file_size(file), 0u);
    std::printf("screenshot: %s\n", file.string().c_str());

    // The second page too.
    form.C<ui::TPageControl>("PageControl1")->SetActivePageIndex(1);
    QTest::qWait(100);
    QPixmap lists = QGuiApplication::primaryScreen()->grabWindow(window->winId());
    if (lists.isNull()) lists = window->grab();
    ASSERT_TRUE(lists.save(QString::fromStdString((dir / "AllControls-Lists.png").string()), "PNG"));
}

}  // namespace
