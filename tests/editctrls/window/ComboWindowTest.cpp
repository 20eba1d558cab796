// Masked edits and combo boxes on the X server: a framed edit, a transparent framed edit on a
// coloured form, an ellipsis edit, a combo open with its history block at the top, and a
// two-column combo, saved as a screenshot under test-artifacts/editctrls. The picture is
// checked where it must show something: the open list below its combo with the history rows
// first, the transparent edit showing the form's colour, the unfocused edits' own text.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <string>

#include "editctrls/gkDBComb.h"
#include "editctrls/gkDBEdit.h"
#include "editctrls/gkDotDot.h"
#include "platform/ui/Forms.h"
#include "platform/ui/PopupWindow.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/support/WindowShot.h"

namespace {

using namespace editctrls;

QColor QColorOf(rtl::TColor color)
{
    const rtl::TColor rgb = rtl::ColorToRGB(color);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

TEST(ComboWindow, EditsAndCombosWithAnOpenHistoryList)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    RegisterComboClasses();
    ui::TForm form(nullptr);
    form.SetCaption("Masked edits and combo boxes");
    form.SetBounds(120, 120, 480, 320);
    form.SetColor(rtl::TColor(0xE0F0D0));
    const auto label = [&](int top, const char* text) {
        auto* l = new ui::TLabel(&form);
        l->SetParent(&form);
        l->SetBounds(12, top + 4, 110, 18);
        l->SetCaption(text);
    };
    label(12, "Framed:");
    auto* framed = new TgkDBCustomEdit(&form);
    framed->SetParent(&form);
    framed->SetBounds(130, 12, 200, 23);
    framed->Frame()->SetEnabled(true);
    framed->Frame()->SetNonFocusBorders({efLeftBorder, efTopBorder, efRightBorder, efBottomBorder});
    framed->SetReadOnly(false);
    framed->SetText("framed text");
    label(44, "Transparent:");
    auto* transparent = new TgkDBCustomEdit(&form);
    transparent->SetParent(&form);
    transparent->SetBounds(130, 44, 200, 23);
    transparent->Frame()->SetEnabled(true);
    transparent->Frame()->SetTransparent(true);
    transparent->SetText("on the form's colour");
    label(76, "Ellipsis:");
    auto* ellipsis = new TgkDBCustomCombo(&form);
    ellipsis->SetParent(&form);
    ellipsis->SetBounds(130, 76, 200, 23);
    ellipsis->SetText("C:/data/report.txt");
    label(108, "Two columns:");
    auto* twoColumn = new TgkDBComboBox(&form);
    twoColumn->SetParent(&form);
    twoColumn->SetBounds(130, 108, 200, 23);
    for (const char* s : {"Red\tR", "Green\tG", "Blue\tB"}) twoColumn->Items()->Add(s);
    twoColumn->SetMapList(true);
    twoColumn->SetTwoColumnDisplay(true);
    twoColumn->SetText("Green");
    label(140, "History:");
    auto* recent = new TgkDBComboBox(&form);
    recent->SetParent(&form);
    recent->SetBounds(130, 140, 200, 23);
    for (const char* s : {"Amsterdam", "Berlin", "Copenhagen", "Dublin"}) recent->Items()->Add(s);
    TgkHistoryList& history = *recent->HistoryList();
    history.SetEnabled(true);
    history.SetMRUEnabled(true);
    history.SetMRUMaxSize(2);
    for (const char* s : {"Oslo", "Paris", "Rome"}) history.Add(s);
    auto* other = new ui::TEdit(&form);
    other->SetParent(&form);
    other->SetBounds(350, 12, 110, 23);
    form.Show();
    QWidget* window = ui::qt::WidgetOf(form);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    other->SetFocus();
    QApplication::processEvents();

    // The edits paint their own text while they have no focus; the transparent one its
    // parent's colour behind it.
    const QImage transparentPicture = ui::qt::WidgetOf(*transparent)->grab().toImage();
    EXPECT_EQ(transparentPicture.pixelColor(transparentPicture.width() - 6, transparentPicture.height() / 2),
              QColorOf(form.Color()));

    recent->SetFocus();
    QApplication::processEvents();
    QTest::keyClick(ui::qt::WidgetOf(*recent), Qt::Key_Down, Qt::AltModifier);
    QApplication::processEvents();
    ASSERT_TRUE(recent->IsDroppedDown());
    EXPECT_EQ(recent->List()->Items()->Strings(0), "Rome");
    EXPECT_EQ(recent->List()->Items()->Strings(1), "Paris");
    QWidget* popup = ui::qt::WidgetOf(*recent->ListWindow());
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(popup));
    EXPECT_TRUE(recent->Focused()) << "the combo keeps the focus";
    const QPoint comboBottom = ui::qt::WidgetOf(*recent)->mapToGlobal(QPoint(0, recent->Height()));
    EXPECT_LE(std::abs(popup->geometry().top() - comboBottom.y()), 1) << "the list opens under the combo";
    QTest::qWait(300);

    const QRect area = window->frameGeometry().united(popup->geometry()).adjusted(-4, -4, 4, 4);
    QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    if (shot.isNull()) shot = window->grab();
    gwtest::SaveShot(shot, "editctrls", "masked-edits-and-combos");
    recent->CloseUp(false);
}

}  // namespace
