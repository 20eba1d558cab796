// The sample form on a real X server (Xvfb): shown, painted and saved as a screenshot of each
// page, and read back: the page the tabs mark is the one shown, the states set on the
// controls are the widgets' states, and the shape and the page are drawn in their colours.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QWidget>

#include <cstdlib>
#include <filesystem>

#include "platform/ui/qt/QtUi.h"
#include "tests/support/WindowShot.h"
#include "tests/ui/SampleForm.h"

namespace {

template <class W>
W* Peer(const uitest::TAllControlsForm& form, const char* name)
{
    return qobject_cast<W*>(ui::qt::WidgetOf(*form.C<ui::TControl>(name)));
}

TEST(WindowTest, ShowsTheSampleFormAndSavesAScreenshot)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "no X server (DISPLAY is not set)";
    // This process talks to the X server whatever the test environment chose.
    qputenv("QT_QPA_PLATFORM", "xcb");
    ui::qt::Install();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");

    ui::Application().SetTitle("Gridweaver");
    uitest::TAllControlsForm form(nullptr);
    form.SetPosition(ui::poScreenCenter);
    form.FillListView();
    auto* pages = form.C<ui::TPageControl>("PageControl1");
    pages->SetActivePageIndex(0);
    form.C<ui::TCheckBox>("CheckBox1")->SetChecked(true);
    form.C<ui::TCheckListBox>("CheckListBox1")->SetChecked(1, true);
    form.Show();
    QWidget* window = ui::qt::WidgetOf(form);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    form.C<ui::TEdit>("Edit1")->SetFocus();
    const gwtest::TShot controls = gwtest::ShootWindow(window, "ui", "AllControls");
    ASSERT_TRUE(controls.Taken());
    EXPECT_EQ(window->windowTitle(), "All controls");
    EXPECT_EQ(gwtest::ShownPage(*pages), 0);
    EXPECT_TRUE(gwtest::HasFocus(*form.C<ui::TControl>("Edit1")));
    ASSERT_NE(Peer<QLineEdit>(form, "Edit1"), nullptr);
    EXPECT_EQ(Peer<QLineEdit>(form, "Edit1")->text(), "first");
    ASSERT_NE(Peer<QCheckBox>(form, "CheckBox1"), nullptr);
    EXPECT_TRUE(Peer<QCheckBox>(form, "CheckBox1")->isChecked());
    ASSERT_NE(Peer<QRadioButton>(form, "RadioText"), nullptr);
    EXPECT_TRUE(Peer<QRadioButton>(form, "RadioText")->isChecked());
    EXPECT_FALSE(Peer<QRadioButton>(form, "RadioImage")->isChecked());
    ASSERT_NE(Peer<QComboBox>(form, "ComboList"), nullptr);
    EXPECT_EQ(Peer<QComboBox>(form, "ComboList")->currentText(), "apple");
    // The ellipse's middle in its brush, the page's empty corner in the page's face.
    QWidget* sheet = ui::qt::WidgetOf(*pages->Pages(0));
    ASSERT_NE(sheet, nullptr);
    const ui::TControl* shape = form.C<ui::TControl>("Shape1");
    const QPoint ellipse(shape->Left() + shape->Width() / 2, shape->Top() + shape->Height() / 2);
    EXPECT_TRUE(gwtest::DrawnAs(controls.At(sheet, ellipse), rtl::clRed));
    EXPECT_TRUE(gwtest::DrawnAs(controls.At(sheet, sheet->rect().bottomRight() - QPoint(20, 20)), rtl::clBtnFace));

    // The second page too: its lists with the rows and the check given them.
    pages->SetActivePageIndex(1);
    const gwtest::TShot lists = gwtest::ShootWindow(window, "ui", "AllControls-Lists", 100);
    ASSERT_TRUE(lists.Taken());
    EXPECT_EQ(gwtest::ShownPage(*pages), 1);
    auto* rows = qobject_cast<QAbstractItemView*>(ui::qt::WidgetOf(*form.C<ui::TControl>("ListView1")));
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(rows->model()->rowCount(), 3);
    EXPECT_EQ(rows->model()->index(2, 0).data().toString(), "price");
    auto* checks = qobject_cast<QAbstractItemView*>(ui::qt::WidgetOf(*form.C<ui::TControl>("CheckListBox1")));
    ASSERT_NE(checks, nullptr);
    EXPECT_EQ(checks->model()->index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(checks->model()->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    QWidget* listsSheet = ui::qt::WidgetOf(*pages->Pages(1));
    EXPECT_TRUE(gwtest::DrawnAs(lists.At(listsSheet, listsSheet->rect().bottomRight() - QPoint(20, 20)), rtl::clBtnFace));
}

}  // namespace
