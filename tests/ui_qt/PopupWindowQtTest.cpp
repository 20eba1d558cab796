// The popup window on the Qt backend (offscreen): a top-level window on top that stays within
// the work area and never takes the focus, with a month calendar inside that the mouse works;
// and the application's mouse filters fed from the windows' button presses.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/DateTime.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MonthCalendar.h"
#include "platform/ui/PopupWindow.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/QtConvert.h"
#include "platform/ui/qt/QtUi.h"

namespace {

using namespace ui;

QColor ToQColorForTest(rtl::TColor c) { return qt::ToQColor(c); }

class QtPopupWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qt::Install(); }

    void SetUp() override
    {
        Application().Reset();
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(100, 100, 300, 200);
        edit = new TEdit(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(10, 10, 120, 24);
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(qt::WidgetOf(*form)));
        edit->SetFocus();
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), qt::WidgetOf(*edit));
    }

    void TearDown() override
    {
        popup.reset();
        form.reset();
        Application().ProcessMessages();
    }

    std::unique_ptr<TForm> form;
    TEdit* edit = nullptr;
    std::unique_ptr<TPopupWindow> popup;
};

TEST_F(QtPopupWindowTest, StaysWithinTheWorkAreaOnTopAndNeverTakesTheFocus)
{
    popup = std::make_unique<TPopupWindow>(nullptr);
    auto* cal = new TMonthCalendar(popup.get());
    cal->SetParent(popup.get());
    cal->SetToday(rtl::EncodeDate(2000, 1, 15));
    cal->SetCurSel(rtl::EncodeDate(2000, 1, 15));
    const TRect size = cal->GetMinReqRect();
    cal->SetAlign(alClient);
    const TRect area = Screen().WorkAreaRect();
    popup->ShowAt(Bounds(area.Right - size.Width() / 2, area.Bottom - 10, size.Width(), size.Height()));

    QWidget* window = qt::WidgetOf(*popup);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_TRUE(window->isWindow());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    const QRect g = window->geometry();
    EXPECT_EQ(g.width(), size.Width());
    EXPECT_GE(g.left(), area.Left);
    EXPECT_GE(g.top(), area.Top);
    EXPECT_LE(g.right() + 1, area.Right);
    EXPECT_LE(g.bottom() + 1, area.Bottom);
    EXPECT_EQ(cal->ClientToScreen({0, 0}), (TPoint{g.left(), g.top()}));
    // For people to look at: the calendar as the window shows it.
    const QString dir = QString(GW_BINARY_DIR) + "/test-artifacts/ui_qt";
    QDir().mkpath(dir);
    const QImage shot = window->grab().toImage();
    shot.save(dir + "/popup-calendar.png");
    // Every day is drawn where the hit tests find it: dark text in the cell of the 31st (on
    // the last row), white text on the title colour in the cell of the 15th.
    auto darkest = [&](const TRect& r) {
        int best = 255;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) best = std::min(best, qGray(shot.pixel(x, y)));
        return best;
    };
    EXPECT_LT(darkest(cal->DayRect(rtl::EncodeDate(2000, 1, 31))), 100);
    const TRect sel = cal->DayRect(rtl::EncodeDate(2000, 1, 15));
    EXPECT_EQ(shot.pixelColor(sel.Left + 1, sel.Top + 1), ToQColorForTest(rtl::clActiveCaption));

    // A click on a day selects it; the edit keeps the focus and its window stays active.
    int changes = 0;
    cal->OnSelChange = [&](classes::TObject*) { ++changes; };
    const TRect day = cal->DayRect(rtl::EncodeDate(2000, 1, 20));
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, QPoint((day.Left + day.Right) / 2, (day.Top + day.Bottom) / 2));
    QApplication::processEvents();
    EXPECT_EQ(cal->GetCurSel(), rtl::EncodeDate(2000, 1, 20));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(QApplication::focusWidget(), qt::WidgetOf(*edit));
    EXPECT_NE(QApplication::activeWindow(), window);

    popup->ClosePopup();
    QApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), qt::WidgetOf(*edit));
}

TEST_F(QtPopupWindowTest, MouseFiltersSeeEachPressOnceWithTheControlUnderIt)
{
    std::vector<std::string> seen;
    const int id = Application().AddMouseFilter([&](TControl* target, unsigned msg, TPoint p) {
        seen.push_back(std::to_string(msg) + (target == edit ? " edit" : target == form.get() ? " form" : " other") +
                       " " + std::to_string(p.X - form->ClientToScreen({0, 0}).X));
        return false;
    });
    QWindow* window = qt::WidgetOf(*form)->windowHandle();
    QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseClick(window, Qt::RightButton, {}, QPoint(200, 150));
    QApplication::processEvents();
    Application().RemoveMouseFilter(id);
    EXPECT_EQ(seen, (std::vector<std::string>{"513 edit 20", "516 form 200"}));
    // A filter that swallows the press keeps it from the control.
    const int swallow = Application().AddMouseFilter([](TControl*, unsigned, TPoint) { return true; });
    int downs = 0;
    edit->OnMouseDown = [&](classes::TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
    QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(20, 20));
    Application().RemoveMouseFilter(swallow);
    EXPECT_EQ(downs, 0);
    QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(downs, 1);
}

}  // namespace
