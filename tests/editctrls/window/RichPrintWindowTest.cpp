// The page-setup form on the X server, typed into and clicked with real events, and a page
// printed to a PDF file and rendered by pdftoppm, both saved under test-artifacts/editctrls.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "editctrls/gkDBRichEdit.h"
#include "editctrls/gkPageSetupDlg.h"
#include "editctrls/gkRichPrint.h"
#include "platform/ui/Printer.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/support/WindowShot.h"

namespace {

using namespace editctrls;

TEST(RichPrintWindow, ThePageSetupFormTakesTypedMarginsAndRefusesBadOnes)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    RegisterRichEditClasses();
    TgkPageSetupDlg form(nullptr);
    TgkPageSetupValues values;
    values.inches = false;
    values.left = values.right = 2000;
    values.top = values.bottom = 1500;
    values.paper = 9;
    values.paperEnabled = true;
    form.SetValues(values);
    form.Show();
    QWidget* window = ui::qt::WidgetOf(form);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    // Placed across the work area's middle, at a third of its free height.
    const ui::TRect area = ui::Screen().WorkAreaRect();
    EXPECT_NEAR(form.Left(), area.Left + (area.Width() - form.Width()) / 2, 2);
    EXPECT_NEAR(form.Top(), area.Top + (area.Height() - form.Height()) / 3, 2);

    auto* right = form.Get<ui::TEdit>("RightEdit");
    QWidget* rightWidget = ui::qt::WidgetOf(*right);
    ASSERT_NE(rightWidget, nullptr);
    QTest::mouseClick(rightWidget, Qt::LeftButton);
    QTest::keyClick(rightWidget, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(rightWidget, "two");
    QWidget* ok = ui::qt::WidgetOf(*form.Get<ui::TButton>("OKBtn"));
    QTest::mouseClick(ok, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(form.ModalResult(), ui::mrNone);
    EXPECT_TRUE(gwtest::HasFocus(*right));

    QTest::keyClick(rightWidget, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(rightWidget, "2.5");
    QApplication::processEvents();
    const gwtest::TShot shot = gwtest::ShootWindow(window, "editctrls", "page-setup");
    ASSERT_TRUE(shot.Taken());
    QTest::mouseClick(ok, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(form.ModalResult(), ui::mrOk);
    const TgkPageSetupValues taken = form.Values();
    EXPECT_EQ(taken.right, 2500);
    EXPECT_EQ(taken.left, 2000);
    EXPECT_EQ(taken.paper, 9);
}

TEST(RichPrintWindow, APrintedPageRendersWithItsTextInsideTheMargins)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    RegisterRichEditClasses();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ui::TForm owner(nullptr);
    auto* edit = new TgkDBRichEdit(&owner);
    edit->StreamIn(
        "{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl ;\\red200\\green0\\blue0;}\\f0\\fs32 {\\b Printed page}\\par"
        "\\fs24 Plain, {\\i italic} and {\\cf1 red} text, long enough to wrap inside the margins of a "
        "Letter page printed with an inch on every side.\\par\\qc Centred\\par}");
    ui::TPrinter& printer = ui::Printer();
    const std::vector<std::string> names = printer.Printers();
    const auto pdf = std::find(names.begin(), names.end(), ui::kPdfPrinterName);
    ASSERT_NE(pdf, names.end());
    printer.SetPrinterIndex(static_cast<int>(pdf - names.begin()));
    const QString file = dir.filePath("page.pdf");
    printer.SetFileName(file.toStdString());
    edit->Print("Printed page");
    printer.SetPrinterIndex(-1);
    printer.SetFileName("");

    const std::filesystem::path out = std::filesystem::path(GW_BINARY_DIR) / "test-artifacts" / "editctrls";
    std::filesystem::create_directories(out);
    QProcess render;
    render.start("pdftoppm", {"-r", "60", "-f", "1", "-l", "1", "-png", "-singlefile", file,
                              QString::fromStdString((out / "printed-page").string())});
    ASSERT_TRUE(render.waitForFinished(60000)) << "pdftoppm did not finish (is poppler-utils installed?)";
    ASSERT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
    const QImage page(QString::fromStdString((out / "printed-page.png").string()));
    ASSERT_FALSE(page.isNull());
    std::printf("printed page: %s\n", (out / "printed-page.png").string().c_str());
    // Ink only inside the inch margins (60 pixels at 60 per inch).
    int inside = 0, outside = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(page.pixel(x, y)) >= 200) continue;
            const bool within = x >= 59 && x <= page.width() - 59 && y >= 59 && y <= page.height() - 59;
            (within ? inside : outside)++;
        }
    EXPECT_GT(inside, 200);
    EXPECT_EQ(outside, 0);
}

}  // namespace
