// The editor on a real X server (Xvfb): wrapped SQL with a selection and both scroll bars, and
// a highlighted keyword, shown, painted and saved as screenshots. The tests read the screen:
// the caret where the selection starts, the selection inverted, the keyword's background.

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

#include "platform/rtl/Colors.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/support/WindowShot.h"

namespace {

QImage ScreenImage() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

// How many pixels of the client rectangle [x1, x2) x [y1, y2) of `memo` have the colour `rgb`
// (00BBGGRR), and how many there are.
std::pair<int, int> CountColour(const QImage& screen, editor::TTextMemo& memo, int x1, int y1, int x2, int y2, rtl::TColor rgb)
{
    const QColor want(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
    int hits = 0, all = 0;
    for (int y = y1; y < y2; ++y)
        for (int x = x1; x < x2; ++x) {
            const ui::TPoint p = memo.ClientToScreen({x, y});
            ++all;
            if (screen.pixelColor(p.X, p.Y) == want) ++hits;
        }
    return {hits, all};
}

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

    // The caret stands where the selection starts (offset 7 of the first line).
    EXPECT_EQ(ui::Caret().Owner, memo);
    EXPECT_EQ(ui::Caret().Pos.X, memo->CharPosToX(7, 0));
    EXPECT_EQ(ui::Caret().Pos.Y, memo->LineTop(0));
    // The selection is inverted: the blank after "c.CustomerID," (offset 20) is black all
    // over, the blank before the selection (offset 6) white.
    const QImage screen = ScreenImage();
    const int top = memo->LineTop(0), bottom = top + memo->LineHeight();
    const auto selected = CountColour(screen, *memo, memo->CharPosToX(20, 0), top, memo->CharPosToX(21, 0), bottom, 0x000000);
    EXPECT_GT(selected.second, 0);
    EXPECT_EQ(selected.first, selected.second);
    const auto plain = CountColour(screen, *memo, memo->CharPosToX(6, 0) + 1, top, memo->CharPosToX(7, 0) - 1, bottom, 0xFFFFFF);
    EXPECT_GT(plain.second, 0);
    EXPECT_EQ(plain.first, plain.second);

    gwtest::SaveWindowShot(window, "editor", "EditorSql", 0);
}

TEST(EditorWindowTest, AHighlightedKeywordShowsTheHighlightColours)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";

    ui::TForm form(nullptr);
    form.SetCaption("Highlight");
    form.SetBounds(100, 100, 420, 200);
    auto* memo = new editor::TTextMemo(&form);
    memo->SetParent(&form);
    memo->SetAlign(ui::alClient);
    constexpr rtl::TColor kGreen = 0x00FF00;
    memo->SetHighlightBackgnd(kGreen);
    memo->SetTextBuf("SELECT Name FROM Customers WHERE City = 'Berlin'");
    memo->SetSelStart(27);
    memo->SetSelLength(5);
    memo->SetHighlight();
    memo->SetSelStart(0);
    form.Show();
    QWidget* window = ui::qt::WidgetOf(form);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QTest::qWait(300);

    // "WHERE" is drawn on the highlight background, mostly: its red letters cover the rest;
    // the blank before it (the style code between them has no width) stays white.
    const std::string text = memo->Text();
    const int word = static_cast<int>(text.find("WHERE"));
    ASSERT_GT(word, 26);
    const QImage screen = ScreenImage();
    const int top = memo->LineTop(0), bottom = top + memo->LineHeight();
    const auto run = CountColour(screen, *memo, memo->CharPosToX(word, 0), top, memo->CharPosToX(word + 5, 0), bottom, kGreen);
    EXPECT_GT(run.second, 0);
    EXPECT_GT(run.first * 2, run.second);
    const auto red = CountColour(screen, *memo, memo->CharPosToX(word, 0), top, memo->CharPosToX(word + 5, 0), bottom, 0x0000FF);
    EXPECT_GT(red.first, 0);
    const auto before = CountColour(screen, *memo, memo->CharPosToX(26, 0), top, memo->CharPosToX(27, 0), bottom, 0xFFFFFF);
    EXPECT_GT(before.second, 0);
    EXPECT_EQ(before.first, before.second);

    gwtest::SaveWindowShot(window, "editor", "EditorHighlight", 0);
}

}  // namespace
