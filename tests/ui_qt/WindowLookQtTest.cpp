// How windows and controls look on the Qt backend (offscreen): the buttons a form's window
// offers, greyed text on disabled controls, owner-drawn tabs wide enough for their bold
// caption, and the program's own icon on its windows.

#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <algorithm>

#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/QtUi.h"

namespace {

using namespace ui;

class WindowLookQtTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qt::Install(); }
    void TearDown() override { Application().ProcessMessages(); }
};

// The window's flags while it is shown (modally when `modal`).
Qt::WindowFlags FlagsWhileShown(TForm& form, bool modal)
{
    Qt::WindowFlags flags;
    if (!modal) {
        form.Show();
        flags = qt::WidgetOf(form)->windowFlags();
        form.Hide();
        return flags;
    }
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(QTest::qWaitFor([&] { return form.Visible(); }));
        flags = qt::WidgetOf(form)->windowFlags();
        form.SetModalResult(mrCancel);
    });
    form.ShowModal();
    return flags;
}

TEST_F(WindowLookQtTest, DialogsOfferOnlyTheCloseButton)
{
    struct Case {
        const char* name;
        TFormBorderStyle border;
        bool modal;
        bool dialog;  // only close: no minimise, no maximise
    };
    const Case cases[] = {
        {"a dialog's border", bsDialog, false, true},
        {"a sizeable form shown modally", bsSizeable, true, true},
        {"a single-border form shown modally", bsSingle, true, true},
        {"a sizeable form shown as a window", bsSizeable, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TForm form(nullptr);
        form.SetBounds(40, 40, 300, 200);
        form.SetBorderStyle(c.border);  // the icons stay the stored default: menu, minimise, maximise
        const Qt::WindowFlags flags = FlagsWhileShown(form, c.modal);
        EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
        EXPECT_EQ(flags.testFlag(Qt::WindowMinimizeButtonHint), !c.dialog);
        EXPECT_EQ(flags.testFlag(Qt::WindowMaximizeButtonHint), !c.dialog);
        EXPECT_EQ((flags & Qt::WindowType_Mask) == Qt::Dialog, c.dialog);
    }
}

// The darkest grey in `area` of the widget's picture (0 black .. 255 white).
int Darkest(QWidget* w, QRect area)
{
    const QImage image = w->grab(area).toImage();
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) darkest = std::min(darkest, qGray(image.pixel(x, y)));
    return darkest;
}

TEST_F(WindowLookQtTest, DisabledControlsShowGreyedText)
{
    TForm form(nullptr);
    form.SetBounds(40, 40, 300, 200);
    auto* action = new TAction(&form);
    action->SetCaption("Back");
    auto* button = new TButton(&form);
    button->SetParent(&form);
    button->SetBounds(10, 10, 80, 24);
    button->SetAction(action);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetBounds(10, 50, 80, 20);
    label->SetCaption("Records");
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(qt::WidgetOf(form)));
    // The text, inside the button's frame (which may stay as dark as it was).
    QWidget* buttonWidget = qt::WidgetOf(*button);
    QWidget* labelWidget = qt::WidgetOf(*label);
    const QRect buttonText = buttonWidget->rect().adjusted(4, 4, -4, -4);
    const int buttonEnabled = Darkest(buttonWidget, buttonText), labelEnabled = Darkest(labelWidget, labelWidget->rect());
    ASSERT_LT(buttonEnabled, 64);  // black text
    ASSERT_LT(labelEnabled, 64);
    // As the design window's Back goes with its action, with nothing to go back to.
    action->SetEnabled(false);
    label->SetEnabled(false);
    EXPECT_FALSE(buttonWidget->isEnabled());
    EXPECT_GT(Darkest(buttonWidget, buttonText), buttonEnabled + 40);
    EXPECT_GT(Darkest(labelWidget, labelWidget->rect()), labelEnabled + 40);
}

TEST_F(WindowLookQtTest, OwnerDrawnTabsHaveRoomForTheirBoldCaption)
{
    TForm form(nullptr);
    form.SetBounds(40, 40, 600, 200);
    auto* pages = new TPageControl(&form);
    pages->SetParent(&form);
    pages->SetBounds(10, 10, 580, 150);
    for (const char* caption : {"Preview", "Header&Footer", "Column Setting"}) {
        auto* sheet = new TTabSheet(&form);
        sheet->SetPageControl(pages);
        sheet->SetCaption(caption);
    }
    pages->SetOwnerDraw(true);
    // As the design window draws its tabs: the caption as written, bold and further in when
    // selected.
    pages->OnDrawTab = [](TPageControl* pc, int index, const TRect& rect, bool active) {
        TCanvas* canvas = pc->Canvas();
        canvas->Brush()->SetColor(rtl::clBtnFace);
        canvas->FillRect(rect);
        canvas->Font()->SetStyle(active ? classes::TFontStyles{classes::fsBold} : classes::TFontStyles{});
        const int offset = active ? 12 : 8;
        canvas->TextOut(rect.Left + offset, rect.Top + offset, pc->PageOfTab(index)->Caption());
    };
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(qt::WidgetOf(form)));
    auto* bar = qt::WidgetOf(*pages)->findChild<QTabBar*>();
    ASSERT_NE(bar, nullptr);
    for (int tab = 0; tab < 3; ++tab) {
        SCOPED_TRACE(tab);
        pages->SetActivePageIndex(tab);
        QApplication::processEvents();
        // The caption's ink inside the tab ends clear of the tab's right edge.
        const QRect r = bar->tabRect(tab);
        const QImage image = bar->grab(r).toImage();
        int rightmost = -1;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 6; y < image.height() - 2; ++y)
                if (qGray(image.pixel(x, y)) < 80) rightmost = std::max(rightmost, x);
        ASSERT_GT(rightmost, 20);
        EXPECT_LT(rightmost, image.width() - 6);
    }
}

TEST_F(WindowLookQtTest, WindowsShowTheProgramsIcon)
{
    TPixelImage icon;
    icon.Width = icon.Height = 16;
    icon.Pixels.assign(16 * 16, 0xFF1F4E79);
    Application().SetIcon(icon);
    TForm form(nullptr);
    form.SetBounds(40, 40, 200, 100);
    form.Show();
    const QImage shown = qt::WidgetOf(form)->windowIcon().pixmap(16, 16).toImage();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.pixel(8, 8), 0xFF1F4E79u);
    Application().SetIcon({});
}

}  // namespace
