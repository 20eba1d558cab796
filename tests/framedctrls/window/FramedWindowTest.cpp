// A form of framed controls on the X server: framed edits in several styles, a flat combo
// box and both colour combo boxes, one of them open, saved once as a screenshot under
// test-artifacts/framedctrls for a person to look at.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "framedctrls/FcClasses.h"
#include "framedctrls/FcCmboBx.h"
#include "framedctrls/FcEdit.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtUi.h"

namespace {

using namespace framedctrls;

TEST(FramedWindowTest, ShowsFramedControlsAndSavesAScreenshot)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "no X server (DISPLAY is not set)";
    qputenv("QT_QPA_PLATFORM", "xcb");
    ui::qt::Install();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    RegisterFramedClasses();

    ui::TForm form(nullptr);
    form.SetCaption("Framed controls");
    form.SetBounds(100, 100, 420, 300);
    form.SetColor(rtl::clBtnFace);
    const TFrameStyle styles[] = {fsFlat, fsStatus, fsLowered, fsRaised, fsGroove, fsBump};
    int y = 12;
    for (TFrameStyle style : styles) {
        auto* edit = new TFcEdit(&form);
        edit->SetParent(&form);
        edit->SetBounds(12, y, 180, 22);
        edit->SetFrameVisible(true);
        edit->SetFrameStyle(style);
        edit->SetText(FrameStyleInfo().NameOf(style));
        y += 30;
    }
    auto* password = new TFcEdit(&form);
    password->SetParent(&form);
    password->SetBounds(12, y, 180, 22);
    password->SetFrameFlat(true);
    password->SetFrameStyle(fsStatus);
    password->SetPasswordChar('*');
    password->SetText("secret");

    auto* flat = new TFcCustomComboBox(&form);
    flat->SetParent(&form);
    flat->SetStyle(ui::csDropDownList);
    flat->SetBounds(220, 12, 180, 24);
    for (const char* s : {"Black", "Blue", "Green", "Red"}) flat->Items()->Add(s);
    flat->SetItemIndex(3);
    flat->SetFrameFlat(true);

    auto* table = new TFcColorComboBox(&form);
    table->SetParent(&form);
    table->SetBounds(220, 52, 180, 24);
    table->SetShowSysColors(false);
    table->SetDefaultColor(rtl::clDefault);
    table->SetColor(rtl::clWhite);
    table->SetItemHeight(16);
    table->SetSelectedColor(rtl::clNavy);
    table->SetFrameFlat(true);

    auto* border = new TFcColorComboBox(&form);
    border->SetParent(&form);
    border->SetBounds(220, 92, 180, 24);
    border->SetShowSysColors(false);
    border->SetDefaultColor(rtl::clDefault);
    border->SetColor(rtl::clWhite);
    border->SetItemHeight(16);
    border->SetSelectedColor(rtl::clDefault);  // the list opens below the combo

    form.Show();
    QWidget* window = ui::qt::WidgetOf(form);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    password->SetFocus();
    auto* open = qobject_cast<QComboBox*>(ui::qt::WidgetOf(*border));
    ASSERT_NE(open, nullptr);
    open->showPopup();
    QTest::qWait(300);  // let the server draw

    // The window and the open list (a window of its own) on one picture.
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = window->frameGeometry().united(open->view()->window()->geometry()).adjusted(-4, -4, 4, 4);
    QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    if (shot.isNull()) shot = window->grab();
    const auto dir = std::filesystem::path(GW_BINARY_DIR) / "test-artifacts" / "framedctrls";
    std::filesystem::create_directories(dir);
    const auto file = dir / "FramedControls.png";
    ASSERT_TRUE(shot.save(QString::fromStdString(file.string()), "PNG"));
    EXPECT_GT(std::filesystem::file_size(file), 0u);
    std::printf("screenshot: %s\n", file.string().c_str());
    // The edits' frames three times larger, to look at pixel by pixel.
    const QPixmap edits = window->grab(QRect(ui::qt::WidgetOf(*password)->parentWidget()->mapTo(window, QPoint(6, 6)),
                                             QSize(200, 215)));
    ASSERT_TRUE(edits.scaled(edits.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                    .save(QString::fromStdString((dir / "FramedEdits-3x.png").string()), "PNG"));
    open->hidePopup();
    QTest::qWait(50);
}

}  // namespace
