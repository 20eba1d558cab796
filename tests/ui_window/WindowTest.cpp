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
#include "tests/support/WindowShot.h"
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
    gwtest::SaveWindowShot(window, "ui", "AllControls");
    // The second page too.
    form.C<ui::TPageControl>("PageControl1")->SetActivePageIndex(1);
    gwtest::SaveWindowShot(window, "ui", "AllControls-Lists", 100);
}

}  // namespace
