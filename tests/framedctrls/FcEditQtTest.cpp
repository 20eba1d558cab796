// The framed edit on the Qt backend (offscreen): the frame ring at rest, on focus and under
// the mouse (grabbed pixels), Enter as Tab, the alignment, and the password's asterisks.

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "framedctrls/FcClasses.h"
#include "framedctrls/FcEdit.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/qt/QtUi.h"

namespace {

using namespace framedctrls;

rtl::TColor At(const QImage& image, int x, int y)
{
    const QColor c = image.pixelColor(x, y);
    return static_cast<rtl::TColor>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

class FcEditQtTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ui::qt::Install();
        RegisterFramedClasses();
    }
    void SetUp() override
    {
        form = std::make_unique<ui::TForm>(nullptr);
        form->SetBounds(0, 0, 300, 200);
        edit = new TFcEdit(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(10, 10, 120, 22);
        edit->SetColor(rtl::clYellow);
        edit->SetFrameFlat(true);
        edit->SetFrameStyle(fsStatus);
        other = new ui::TEdit(form.get());
        other->SetParent(form.get());
        other->SetBounds(10, 50, 120, 22);
        form->Show();
        widget = ui::qt::WidgetOf(*edit);
        ASSERT_NE(widget, nullptr);
    }
    void TearDown() override { form.reset(); }
    QImage Grab()
    {
        QApplication::processEvents();
        return widget->grab().toImage();
    }
    void Hover(bool inside)
    {
        if (inside) {
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
            QApplication::sendEvent(widget, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(widget, &leave);
        }
    }
    // The one-pixel status frame over a ring of the edit's colour.
    void ExpectStatusFrame(const QImage& img)
    {
        const int w = img.width(), h = img.height();
        EXPECT_EQ(At(img, 0, 0), rtl::ColorToRGB(rtl::clBtnShadow));
        EXPECT_EQ(At(img, 0, h / 2), rtl::ColorToRGB(rtl::clBtnShadow));
        EXPECT_EQ(At(img, w / 2, 0), rtl::ColorToRGB(rtl::clBtnShadow));
        EXPECT_EQ(At(img, w - 1, h / 2), rtl::ColorToRGB(rtl::clBtnHighlight));
        EXPECT_EQ(At(img, w / 2, h - 1), rtl::ColorToRGB(rtl::clBtnHighlight));
        EXPECT_EQ(At(img, 1, h / 2), rtl::clYellow);
        EXPECT_EQ(At(img, w / 2, 1), rtl::clYellow);
        EXPECT_EQ(At(img, w - 2, h / 2), rtl::clYellow);
    }
    // The two-pixel lowered frame.
    void ExpectLoweredFrame(const QImage& img)
    {
        const int w = img.width(), h = img.height();
        EXPECT_EQ(At(img, 0, h / 2), rtl::ColorToRGB(rtl::clBtnShadow));
        EXPECT_EQ(At(img, 1, h / 2), rtl::clBlack);
        EXPECT_EQ(At(img, w / 2, 1), rtl::clBlack);
        EXPECT_EQ(At(img, w - 2, h / 2), rtl::ColorToRGB(rtl::cl3DLight));
        EXPECT_EQ(At(img, w - 1, h / 2), rtl::ColorToRGB(rtl::clBtnHighlight));
        EXPECT_EQ(At(img, w / 2, h - 2), rtl::ColorToRGB(rtl::cl3DLight));
    }

    std::unique_ptr<ui::TForm> form;
    TFcEdit* edit = nullptr;
    ui::TEdit* other = nullptr;
    QWidget* widget = nullptr;
};

TEST_F(FcEditQtTest, StatusFrameAtRestLoweredOnFocusAndHoverKeptWhileFocused)
{
    other->SetFocus();
    ExpectStatusFrame(Grab());

    Hover(true);
    EXPECT_TRUE(edit->MouseOver());
    EXPECT_EQ(edit->FrameStyle(), fsLowered);
    ExpectLoweredFrame(Grab());
    Hover(false);
    EXPECT_EQ(edit->FrameStyle(), fsStatus);
    ExpectStatusFrame(Grab());

    edit->SetFocus();
    ExpectLoweredFrame(Grab());
    Hover(true);
    Hover(false);  // the mouse leaves, the focus stays
    EXPECT_EQ(edit->FrameStyle(), fsLowered);
    ExpectLoweredFrame(Grab());
    other->SetFocus();
    EXPECT_EQ(edit->FrameStyle(), fsStatus);
    ExpectStatusFrame(Grab());
}

TEST_F(FcEditQtTest, WithoutAVisibleFrameNothingIsDrawnOverTheEdit)
{
    int enters = 0;
    edit->OnMouseEnter = [&](classes::TObject*) { ++enters; };
    edit->SetFrameVisible(false);
    const QImage img = Grab();
    EXPECT_NE(At(img, 0, img.height() / 2), rtl::ColorToRGB(rtl::clBtnShadow));
    Hover(true);
    EXPECT_EQ(enters, 1);
}

TEST_F(FcEditQtTest, FlatStyleDrawsItsLineInTheFrameColour)
{
    edit->SetFrameFlat(false);
    edit->SetFrameStyle(fsFlat);
    edit->SetFrameColor(rtl::clRed);
    const QImage img = Grab();
    EXPECT_EQ(At(img, 0, img.height() / 2), rtl::clRed);
    EXPECT_EQ(At(img, img.width() - 1, 0), rtl::clRed);
    EXPECT_EQ(At(img, 1, img.height() / 2), rtl::clYellow);
}

TEST_F(FcEditQtTest, EnterWithTabOnEnterMovesTheFocusWithoutOnKeyPress)
{
    std::vector<char> pressed;
    edit->OnKeyPress = [&](classes::TObject*, char& key) { pressed.push_back(key); };
    edit->SetTabOnEnter(true);
    edit->SetFocus();
    ASSERT_TRUE(edit->Focused());
    QTest::keyClick(widget, Qt::Key_Return);
    (void)QTest::qWaitFor([&] { return other->Focused(); }, 2000);
    EXPECT_TRUE(other->Focused());
    EXPECT_TRUE(pressed.empty());

    // Without it, Enter stays in the edit.
    edit->SetTabOnEnter(false);
    edit->SetFocus();
    QTest::keyClick(widget, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(edit->Focused());
}

TEST_F(FcEditQtTest, ANewAlignmentKeepsTheText)
{
    edit->SetText("right here");
    edit->SetAlignment(ui::taRightJustify);
    auto* line = qobject_cast<QLineEdit*>(widget);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(edit->Text(), "right here");
    EXPECT_EQ(line->text().toStdString(), "right here");
    EXPECT_TRUE(line->alignment() & Qt::AlignRight);
}

TEST_F(FcEditQtTest, ThePasswordShowsAsterisks)
{
    edit->SetPasswordChar('*');
    edit->SetText("secret");
    auto* line = qobject_cast<QLineEdit*>(widget);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->displayText().toStdString(), "******");
    EXPECT_EQ(edit->Text(), "secret");
}

}  // namespace
