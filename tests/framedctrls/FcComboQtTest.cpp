// The framed combo boxes on the Qt backend (offscreen): the flat button at rest and under
// the mouse (grabbed pixels), DropDownWidth surviving a new window, the wheel on the widget,
// typed characters reaching the search, the colour combo's owner-drawn selection field, and
// its list closed by the real popup: only a chosen "Custom" asks for a colour.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEnterEvent>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

#include <functional>
#include <memory>

#include "framedctrls/FcClasses.h"
#include "framedctrls/FcCmboBx.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Screen.h"
#include "platform/ui/qt/QtUi.h"
#include "platform/ui/testing/TestDialogs.h"

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

// A colour combo showing "Custom" on the first page of a page control, as the design window
// has them, driven through its real popup.
class FcColorPopupTest : public FcComboQtTest {
public:
    void SetUp() override
    {
        FcComboQtTest::SetUp();
        pages = new ui::TPageControl(form.get());
        pages->SetParent(form.get());
        pages->SetBounds(10, 90, 380, 100);
        for (int i = 0; i < 2; ++i) {
            auto* sheet = new ui::TTabSheet(form.get());
            sheet->SetPageControl(pages);
            sheet->SetCaption(i == 0 ? "Layout" : "Other");
        }
        pages->SetActivePageIndex(0);
        colors = new TFcColorComboBox(form.get());
        colors->SetParent(pages->Pages(0));
        colors->SetBounds(10, 10, 150, 24);
        colors->SetShowSysColors(false);
        colors->SetSelectedColor(rtl::TColor{0x123456});
        colors->OnCloseUp = [this](classes::TObject*) { ++closeUps; };
        ASSERT_EQ(colors->ItemIndex(), colors->Items()->Count() - 1);
        box = qobject_cast<QComboBox*>(ui::qt::WidgetOf(*colors));
        ASSERT_NE(box, nullptr);
        QApplication::processEvents();
    }
    // Opens the list as the user does: the focused combo and Alt+Down.
    void OpenList()
    {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Down, Qt::AltModifier);
        QApplication::processEvents();
        ASSERT_TRUE(box->view()->isVisible());
        ASSERT_TRUE(colors->DroppedDown());
    }
    // Lets the deferred close-up report arrive.
    static void Settle()
    {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }
    ui::TPageControl* pages = nullptr;
    TFcColorComboBox* colors = nullptr;
    QComboBox* box = nullptr;
    int closeUps = 0;
};

TEST_F(FcColorPopupTest, OnlyAChosenCustomItemAsksForAColour)
{
    struct Case {
        const char* what;
        std::function<void(FcColorPopupTest&)> act;
        std::size_t requests;  // colour dialogs asked
        int closeUps;          // close-ups reported to the control
    };
    const Case cases[] = {
        {"the page is left while the list is closed",
         [](FcColorPopupTest& t) { t.pages->SetActivePageIndex(1); }, 0, 0},
        {"the page is left and shown again",
         [](FcColorPopupTest& t) {
             t.pages->SetActivePageIndex(1);
             Settle();
             t.pages->SetActivePageIndex(0);
         },
         0, 0},
        {"Escape in the open list",
         [](FcColorPopupTest& t) {
             t.OpenList();
             QTest::keyClick(t.box->view(), Qt::Key_Escape);
         },
         0, 1},
        {"the page is left while the list is open",
         [](FcColorPopupTest& t) {
             t.OpenList();
             t.pages->SetActivePageIndex(1);
         },
         0, 1},
        {"a click outside the open list",
         [](FcColorPopupTest& t) {
             t.OpenList();
             QWidget* popup = t.box->view()->window();
             QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(-40, -40));
         },
         0, 1},
        {"Enter on the current Custom item",
         [](FcColorPopupTest& t) {
             t.OpenList();
             QTest::keyClick(t.box->view(), Qt::Key_Return);
         },
         1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pages->SetActivePageIndex(0);
        Settle();
        ui::TScriptedDialogs dialogs;
        ui::TDialogServiceScope scope(dialogs);
        dialogs.AnswerColor(std::nullopt);
        closeUps = 0;
        c.act(*this);
        Settle();
        EXPECT_FALSE(box->view()->isVisible());
        EXPECT_FALSE(colors->DroppedDown());
        std::size_t requests = 0;
        for (const auto& q : dialogs.Asked()) requests += q.kind == ui::TScriptedDialogs::TKind::Color ? 1 : 0;
        EXPECT_EQ(requests, c.requests);
        EXPECT_EQ(closeUps, c.closeUps);
        EXPECT_EQ(colors->GetSelectedColor(), rtl::TColor{0x123456});
    }
}

}  // namespace
