// The rich-text editor window and its paragraph and tab dialogs on the X server: every bar,
// the ruler and the status bar shown, saved as screenshots under test-artifacts/editctrls and
// read back where they must show something.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "editctrls/gkRichEditForm.h"
#include "editctrls/gkRichParagraphDlg.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/support/WindowShot.h"

namespace {

using namespace editctrls;

TEST(RichEditFormWindow, ShowsEveryBarTheRulerAndTheStatusBar)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    RegisterRichEditClasses();
    ui::TForm host(nullptr);
    auto* source = new TgkDBRichEdit(&host);
    source->SetParent(&host);
    source->StreamIn("{\\rtf1{\\fonttbl{\\f0\\fswiss DejaVu Sans;}}{\\colortbl ;\\red200\\green0\\blue0;}"
                     "\\f0\\fs24\\li720\\fi-360 A paragraph with {\\b bold}, {\\i italic} and {\\cf1 red} text "
                     "that runs long enough to wrap onto a second line in the editor window.\\par"
                     "\\pard\\qc Centred.\\par}");
    source->SetEditorOptions(source->EditorOptions() | TgkRichEditOptions{reoShowLoad, reoShowSaveAs,
                                                                          reoShowJustifyButton});
    TgkRichEditForm form(nullptr);
    form.Setup(*source);
    form.SetBounds(60, 60, 640, 480);
    form.Show();
    QWidget* window = ui::qt::WidgetOf(form);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    form.FormShow(&form);
    QApplication::processEvents();
    for (const char* bar : {"Toolbar", "FormatBar", "StatusBar"}) EXPECT_TRUE(gwtest::Shown(*form.Get<ui::TControl>(bar))) << bar;
    ASSERT_TRUE(gwtest::Shown(*form.Ruler()));
    const gwtest::TShot shot = gwtest::ShootWindow(window, "editctrls", "rich-edit-form");
    ASSERT_TRUE(shot.Taken());
    // The ruler's white scale, and its markers drawn over it.
    QWidget* ruler = ui::qt::WidgetOf(*form.Ruler());
    ASSERT_NE(ruler, nullptr);
    const ui::TRect r = form.Ruler()->RulerRect();
    EXPECT_GT(shot.Count(ruler, QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top), rtl::clWhite, 8), 1000);
    EXPECT_GT(shot.Count(ruler, ruler->rect(), rtl::clSilver, 8), 20) << "no markers";
    // The bold button's image: black ink.
    QWidget* bold = ui::qt::WidgetOf(*form.Get<ui::TControl>("BoldButton"));
    ASSERT_NE(bold, nullptr);
    EXPECT_GT(shot.Count(bold, bold->rect(), rtl::clBlack, 40), 20);
    form.Hide();
}

TEST(RichEditFormWindow, ShowsTheParagraphAndTabDialogs)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    RegisterRichEditClasses();
    ui::TForm host(nullptr);
    auto* edit = new TgkDBRichEdit(&host);
    edit->SetParent(&host);
    edit->StreamIn("{\\rtf1\\li1440\\fi-720\\ri720\\sb120\\sa240\\tx720\\tx2880 text\\par}");
    edit->SetEditorOptions(edit->EditorOptions() | TgkRichEditOptions{reoShowJustifyButton});
    {
        TgkRichParagraphDialog dialog(nullptr);
        dialog.Setup(*edit);
        dialog.Show();
        QWidget* window = ui::qt::WidgetOf(dialog);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        EXPECT_EQ(dialog.LeftEdit()->Text(), "1''");
        ASSERT_TRUE(gwtest::ShootWindow(window, "editctrls", "rich-paragraph-dialog").Taken());
        dialog.Hide();
    }
    {
        TgkRichTabDialog dialog(nullptr);
        dialog.Setup(*edit);
        dialog.Show();
        QWidget* window = ui::qt::WidgetOf(dialog);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        EXPECT_EQ(dialog.List()->Items()->Count(), 2);
        ASSERT_TRUE(gwtest::ShootWindow(window, "editctrls", "rich-tab-dialog").Taken());
        dialog.Hide();
    }
}

}  // namespace
