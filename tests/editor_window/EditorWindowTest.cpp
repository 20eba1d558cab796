// The editor on a real X server (Xvfb): wrapped SQL with a selection and both scroll bars,
// shown, painted and saved as a screenshot for people to look at.

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

#include "editor/TextMemo.h"

#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/support/WindowShot.h"

namespace {

TEST(EditorWindowTest, WrappedSqlWithASelectionAndBothScrollBars)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "no X server (DISPLAY is not set)";
    qputenv("QT_QPA_PLATFORM", "xcb");
    ui::qt::Install();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");

    ui::TForm form(nullptr);
    form.SetCaption("SQL");
    form.SetBounds(100, 100, 520, 360);
    auto* memo = new editor::TTextMemo(&form);
    memo->SetParent(&form);
    memo->SetAlign(ui::alClient);
    memo->SetTextScrollBars(ui::ssBoth);
    // Bars that stay while the text fits (the horizontal one has nothing to do when wrapping).
    editor::TTextMemoOptions options = memo->Options();
    options.reset(editor::tmoAutoScrollBars);
    memo->SetOptions(options);
    memo->SetRightLinePos(60);
    std::string sql =
        "SELECT c.CustomerID, c.CompanyName, c.ContactName, c.City, o.OrderID, o.OrderDate, o.ShippedDate, "
        "o.Freight FROM Customers c INNER JOIN Orders o ON o.CustomerID = c.CustomerID\r\n"
        "WHERE o.OrderDate >= '1997-01-01' AND o.Freight > 25 AND c.Country IN ('Germany', 'France', 'Spain')\r\n"
        "ORDER BY c.CompanyName, o.OrderDate DESC\r\n\r\n";
    std::string text;
    for (int i = 0; i < 8; ++i) text += sql;
    memo->SetTextBuf(text);
    memo->SetSelStart(7);
    memo->SetSelLength(60);
    form.Show();
    memo->SetFocus();
    QWidget* window = ui::qt::WidgetOf(form);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QTest::qWait(300);
    EXPECT_TRUE(memo->ScrollBarVisible(ui::sbVertical));
    EXPECT_TRUE(memo->ScrollBarVisible(ui::sbHorizontal));
    EXPECT_GT(memo->LineCount(), memo->ParagraphCount());  // the long lines wrapped

    gwtest::SaveWindowShot(window, "editor", "EditorSql", 0);
}

}  // namespace
