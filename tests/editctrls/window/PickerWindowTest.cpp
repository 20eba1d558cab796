// Date-time pickers on the X server: typed through the window system (the edit's selection
// shows the current part, the caret hidden), and a form of date, time, date-time and
// right-aligned pickers, one framed, one with an ellipsis button, with the calendar open,
// saved as a screenshot under test-artifacts/editctrls. The pictures are checked where they
// must show something: the typed part highlighted and nothing else, the calendar's selected
// day and title in their colours, the ellipsis button's three dots, the form's face around
// the pickers.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QFontMetrics>
#include <QImage>
#include <QPalette>
#include <QTest>

#include <cstdio>
#include <filesystem>
#include <utility>

#include "editctrls/gkCalendarPopup.h"
#include "editctrls/gkDBDateTimePicker.h"
#include "platform/ui/Forms.h"
#include "platform/ui/PopupWindow.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/support/WindowShot.h"

namespace {

using namespace editctrls;

QColor QColorOf(rtl::TColor color)
{
    const rtl::TColor rgb = rtl::ColorToRGB(color);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

// The columns of `picture` holding pixels of `color`: first and last, (-1, -1) for none.
std::pair<int, int> ColumnsOf(const QImage& picture, const QColor& color)
{
    int first = -1, last = -1;
    for (int x = 0; x < picture.width(); ++x)
        for (int y = 0; y < picture.height(); ++y)
            if (picture.pixelColor(x, y) == color) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}

TEST(PickerWindow, TypedThroughTheWindowSystemAndShownWithItsCalendar)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    RegisterDateTimePickerClasses();
    ui::TForm form(nullptr);
    form.SetCaption("Date-time pickers");
    form.SetBounds(100, 100, 460, 330);
    form.SetColor(rtl::clBtnFace);
    const auto add = [&](int top, TgkDTEditDataType kind, const char* format, rtl::TDateTime value) {
        auto* p = new TgkDBDateTimePicker(&form);
        p->SetParent(&form);
        p->SetBounds(12, top, 260, 23);
        p->SetUnboundDataType(kind);
        p->SetDisplayFormat(format);
        p->SetValue(value);
        return p;
    };
    TgkDBDateTimePicker* date = add(12, gkDTEdtDate, "dd/mm/yyyy", rtl::EncodeDate(2024, 5, 15));
    TgkDBDateTimePicker* time = add(44, gkDTEdtTime, "hh:nn:ss", rtl::EncodeTime(14, 5, 30, 0));
    add(76, gkDTEdtDateTime, "", rtl::EncodeDateTime(2024, 5, 15, 9, 30, 0, 0));
    TgkDBDateTimePicker* framed = add(108, gkDTEdtDate, "mmm d yyyy", rtl::EncodeDate(2025, 1, 2));
    TgkDBDateTimePicker* right = add(140, gkDTEdtDate, "dddd, mmmm d, yyyy", rtl::EncodeDate(2024, 12, 24));
    right->SetAlignment(ui::taRightJustify);
    TgkDBDateTimePicker* ellipsis = add(12, gkDTEdtDate, "dd/mm/yyyy", rtl::EncodeDate(2024, 5, 16));
    ellipsis->SetBounds(290, 12, 150, 23);
    ellipsis->SetButtonStyle(cbsEllipsis);
    framed->Frame()->SetEnabled(true);
    framed->Frame()->SetNonFocusBorders(TgkEditFrameEnabledSet{efLeftBorder, efTopBorder, efRightBorder, efBottomBorder});
    form.Show();
    QWidget* window = ui::qt::WidgetOf(form);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

    // Keys through the window system: "3", "1" into the day, Right, Up on the month.
    date->SetFocus();
    QApplication::processEvents();
    auto* edit = qobject_cast<QLineEdit*>(ui::qt::WidgetOf(*date));
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(edit->hasFocus());
    date->SetCurrentPart(1);
    date->HighlightPart();
    QApplication::processEvents();
    EXPECT_EQ(edit->selectedText(), "15");
    QTest::keyClick(edit, Qt::Key_3);
    QTest::keyClick(edit, Qt::Key_1);
    QTest::keyClick(edit, Qt::Key_Right);
    QTest::keyClick(edit, Qt::Key_Up);
    QApplication::processEvents();
    EXPECT_EQ(edit->text(), "30/06/2024");  // June has no 31st: the day is clamped
    EXPECT_EQ(date->Text(), "30/06/2024");
    EXPECT_EQ(edit->selectedText(), "06");   // the month part selected
    QTest::keyClick(edit, Qt::Key_Plus);
    QApplication::processEvents();
    EXPECT_EQ(date->Text(), "30/07/2024");
    // Only the month shows highlighted: its columns lie after the day and its separator.
    {
        const QImage picture = edit->grab().toImage();
        const auto [first, last] = ColumnsOf(picture, edit->palette().color(QPalette::Active, QPalette::Highlight));
        const QFontMetrics metrics(edit->font());
        ASSERT_GE(first, 0) << "no highlighted part";
        EXPECT_GE(first, metrics.horizontalAdvance("30/") - 2);
        EXPECT_LE(last - first, metrics.horizontalAdvance("07") + 4);
    }
    time->SetFocus();
    QApplication::processEvents();

    // The calendar of the right-aligned picker, open.
    right->SetFocus();
    right->DropDown();
    ASSERT_TRUE(right->IsDroppedDown());
    ui::TPopupWindow* popup = right->CalendarHost()->Window();
    QWidget* popupWidget = ui::qt::WidgetOf(*popup);
    ASSERT_NE(popupWidget, nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(popupWidget));
    QTest::qWait(300);
    EXPECT_FALSE(popupWidget->isActiveWindow());  // the picker keeps the focus
    const QRect area = window->frameGeometry().united(popupWidget->geometry()).adjusted(-4, -4, 4, 4);
    QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    if (shot.isNull()) shot = window->grab();
    const auto dir = std::filesystem::path(GW_BINARY_DIR) / "test-artifacts" / "editctrls";
    std::filesystem::create_directories(dir);
    const auto file = dir / "DateTimePickers.png";
    ASSERT_TRUE(shot.save(QString::fromStdString(file.string()), "PNG"));
    std::printf("screenshot: %s\n", file.string().c_str());

    // The calendar: 24 December selected, in the title's colour, under a title of that colour.
    TgkPopupCalendar* calendar = right->Calendar();
    EXPECT_EQ(rtl::DateOf(calendar->Date()), rtl::EncodeDate(2024, 12, 24));
    // Read from the screenshot itself, at screen points of the controls.
    const QImage picture = shot.toImage();
    const auto at = [&](const ui::TControl& control, int x, int y) {
        const ui::TPoint p = control.ClientToScreen({x, y});
        return picture.pixelColor(p.X - area.x(), p.Y - area.y());
    };
    const QColor titleBack = QColorOf(calendar->CalColors()->TitleBackColor());
    const ui::TRect day = calendar->DayRect(rtl::EncodeDate(2024, 12, 24));
    EXPECT_EQ(at(*calendar, day.Left + 1, day.Top + 1), titleBack) << "the selected day";
    const ui::TRect otherDay = calendar->DayRect(rtl::EncodeDate(2024, 12, 23));
    EXPECT_NE(at(*calendar, otherDay.Left + 1, otherDay.Top + 1), titleBack) << "a day not selected";
    const ui::TRect title = calendar->TitleRect(0);
    EXPECT_EQ(at(*calendar, title.Left + title.Width() / 4, title.Top + 1), titleBack) << "the title";
    // The ellipsis picker's button: three dark dots in a row across its middle.
    {
        const TgkDateComboButton& button = *ellipsis->Button();
        const int y = button.Height() / 2;
        int runs = 0;
        bool inRun = false;
        for (int x = 0; x < button.Width(); ++x) {
            const bool dark = at(button, x, y).lightness() < 64 || at(button, x, y - 1).lightness() < 64;
            if (dark && !inRun) ++runs;
            inRun = dark;
        }
        EXPECT_EQ(runs, 3) << "the ellipsis dots";
    }
    // The form's face beside the pickers, right of the calendar.
    EXPECT_EQ(at(form, 380, 250), QColorOf(rtl::clBtnFace)) << "the form's face";
    right->CloseUp(false);
    EXPECT_FALSE(right->IsDroppedDown());
}

}  // namespace
