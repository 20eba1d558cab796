// The framed combo boxes on the Qt backend (offscreen): the flat button at rest and under
// the mouse (grabbed pixels), DropDownWidth surviving a new window, the wheel on the widget,
// typed characters reaching the search, and the colour combo's owner-drawn selection field.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEnterEvent>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

#include <memory>

#include "framedctrls/FcClasses.h"
#include "framedctrls/FcCmboBx.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Screen.h"
#include "platform/ui/qt/QtUi.h"

namespace {

using namespace framedctrls;

rtl::TColor At(const QImage& image, int x, int y)
{
    const QColor c = image.pixelColor(x, y);
    return static_cast<rtl::TColor>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

class FcComboQtTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ui::qt::Install();
        RegisterFramedClasses();
    }
    void SetUp() override
    {
        form = std::make_unique<ui::TForm>(nullptr);
        form->SetBounds(0, 0, 400, 200);
        combo = new TFcCustomComboBox(form.get());
        combo->SetParent(form.get());
        combo->SetStyle(ui::csDropDownList);
        combo->SetBounds(10, 10, 150, 24);
        for (const char* s : {"Black", "Blue", "Green", "Red", "White"}) combo->Items()->Add(s);
        combo->SetItemIndex(0);
        combo->SetColor(rtl::clYellow);
        combo->SetFrameVisible(true);
        other = new ui::TEdit(form.get());
        other->SetParent(form.get());
        other->SetBounds(10, 60, 100, 22);
        form->Show();
        other->SetFocus();
        widget = ui::qt::WidgetOf(*combo);
        ASSERT_NE(widget, nullptr);
    }
    void TearDown() override { form.reset(); }
    QImage Grab()
    {
        QApplication::processEvents();
        return widget->grab().toImage();
    }
    std::unique_ptr<ui::TForm> form;
    TFcCustomComboBox* combo = nullptr;
    ui::TEdit* other = nullptr;
    QWidget* widget = nullptr;
};

TEST_F(FcComboQtTest, TheFlatButtonShowsAtRestAndTheNativeOneUnderTheMouse)
{
    const int bar = ui::ScrollBarExtent();
    const int w = combo->Width(), h = combo->Height();
    const int left = w - bar - 2;
    const int x = left + bar / 2 - 1, y = 2 + h / 2;
    const QImage rest = Grab();
    EXPECT_TRUE(combo->FlatButtonShown());
    EXPECT_EQ(At(rest, x, y - 3), rtl::clBlack);      // the triangle
    EXPECT_EQ(At(rest, left + 1, 3), rtl::clYellow);  // the flat button's face
    EXPECT_EQ(At(rest, 0, h / 2), rtl::ColorToRGB(rtl::clBtnShadow));  // the flat frame
    EXPECT_EQ(At(rest, 1, h / 2), rtl::clYellow);                      // the ring in Color

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(widget, &enter);
    EXPECT_TRUE(combo->MouseOver());
    EXPECT_FALSE(combo->FlatButtonShown());
    const QImage hover = Grab();
    int yellow = 0;
    for (int px = left + 1; px < w - 3; ++px)
        for (int py = 3; py < h - 3; ++py) yellow += At(hover, px, py) == rtl::clYellow ? 1 : 0;
    EXPECT_LT(yellow, (w - 4 - left) * (h - 6) / 2) << "the native button is drawn under the mouse";
    EXPECT_EQ(At(hover, 0, h / 2), rtl::ColorToRGB(rtl::clBtnShadow));  // the frame stays

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
    EXPECT_EQ(At(Grab(), left + 1, 3), rtl::clYellow);
}

TEST_F(FcComboQtTest, DropDownWidthSurvivesANewWindow)
{
    combo->SetDropDownWidth(260);
    combo->DestroyPeers();
    combo->CreatePeers();
    auto* box = qobject_cast<QComboBox*>(ui::qt::WidgetOf(*combo));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(combo->DropDownWidth(), 260);
    box->showPopup();
    QApplication::processEvents();
    EXPECT_EQ(box->view()->window()->width(), 260);
    box->hidePopup();
    QApplication::processEvents();
}

TEST_F(FcComboQtTest, TheWheelOnTheWidgetStepsThroughTheItems)
{
    widget = ui::qt::WidgetOf(*combo);
    const QPointF p(5, 5);
    QWheelEvent down(p, widget->mapToGlobal(p), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &down);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(qobject_cast<QComboBox*>(widget)->currentIndex(), 1);
    QWheelEvent up(p, widget->mapToGlobal(p), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &up);
    QApplication::sendEvent(widget, &up);
    EXPECT_EQ(combo->ItemIndex(), 0);
}

TEST_F(FcComboQtTest, TypedCharactersSearchTheItems)
{
    combo->SetFocus();
    QTest::keyClicks(widget, "re");
    EXPECT_EQ(combo->ItemIndex(), 3);
    EXPECT_EQ(qobject_cast<QComboBox*>(widget)->currentIndex(), 3);
}

TEST_F(FcComboQtTest, TypingInTheTextPartCompletesInTheWindow)
{
    combo->SetStyle(ui::csDropDown);
    combo->SetText("");
    auto* box = qobject_cast<QComboBox*>(ui::qt::WidgetOf(*combo));
    ASSERT_NE(box, nullptr);
    ASSERT_NE(box->lineEdit(), nullptr);
    combo->SetFocus();
    box->lineEdit()->setFocus();
    QTest::keyClicks(box->lineEdit(), "gr");
    EXPECT_EQ(combo->Text(), "Green");
    EXPECT_EQ(box->lineEdit()->text().toStdString(), "Green");
    EXPECT_EQ(box->lineEdit()->selectedText().toStdString(), "een");
    QTest::keyClicks(box->lineEdit(), "x");
    EXPECT_EQ(box->lineEdit()->text().toStdString(), "Grx");  // the completed head stays
    EXPECT_EQ(box->lineEdit()->cursorPosition(), 3);
}

TEST_F(FcComboQtTest, TheColourComboDrawsItsSelectionField)
{
    auto* colors = new TFcColorComboBox(form.get());
    colors->SetParent(form.get());
    colors->SetBounds(200, 10, 150, 24);
    colors->SetShowSysColors(false);
    colors->SetColor(rtl::clWhite);
    colors->SetSelectedColor(rtl::clLime);
    QWidget* w = ui::qt::WidgetOf(*colors);
    ASSERT_NE(w, nullptr);
    QApplication::processEvents();
    const QImage img = w->grab().toImage();
    int lime = 0;
    for (int x = 0; x < img.width() / 2; ++x)
        for (int y = 0; y < img.height(); ++y) lime += At(img, x, y) == rtl::clLime ? 1 : 0;
    EXPECT_GT(lime, 20) << "the lime swatch shows in the selection field";
}

}  // namespace
