// The designer's dialogs on a real X server (Xvfb), shown and saved as screenshots for
// people to look at. Nothing is asserted about the pixels.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "designer/FParams.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/QtUi.h"

namespace {

class DesignerDialogsWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0') GTEST_SKIP() << "no X server (DISPLAY is not set)";
        qputenv("QT_QPA_PLATFORM", "xcb");
        ui::qt::Install();
        ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    }
    // Shows `form` (not modally, so the test goes on) and saves its picture as `name`.png.
    static void Shoot(ui::TCustomForm& form, const std::string& name)
    {
        form.Show();
        QWidget* window = ui::qt::WidgetOf(form);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        QTest::qWait(200);
        QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(window->winId());
        if (shot.isNull()) shot = window->grab();
        const std::filesystem::path dir = std::filesystem::path(GW_BINARY_DIR) / "test-artifacts" / "designer";
        std::filesystem::create_directories(dir);
        const std::filesystem::path file = dir / (name + ".png");
        ASSERT_TRUE(shot.save(QString::fromStdString(file.string()), "PNG"));
        std::printf("screenshot: %s\n", file.string().c_str());
        form.Hide();
    }
};

TEST_F(DesignerDialogsWindowTest, ParametersScreenshots)
{
    designer::TFrmParams params(nullptr);
    params.SetParamLines({"id=[ORDER_ID]", "customer=[CUSTOMER]", "lang=en"});
    params.List()->SetSelected(params.List()->Items()->Item(1));
    params.UpdateParamActions();
    Shoot(params, "Parameters");

    designer::TFrmParamValue value(nullptr);
    value.SetCaption("Add Param");
    value.Get<ui::TEdit>("Ename")->SetText("id");
    value.Get<ui::TComboBox>("cb_value")->Items()->Add("[ORDER_ID]");
    value.Get<ui::TComboBox>("cb_value")->SetText("[ORDER_ID]");
    Shoot(value, "ParamValue");
}

}  // namespace
