// A form of framed controls on the X server: framed edits in several styles, a flat combo
// box and both colour combo boxes, one of them open, saved once as a screenshot under
// test-artifacts/framedctrls and read back: the bevels light from the top left or the bottom
// right as their style says, the focused edit wears its focus frame, the swatches show their
// colours and the open list marks the colour chosen.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <iterator>
#include <memory>

#include "framedctrls/FcClasses.h"
#include "framedctrls/FcCmboBx.h"
#include "framedctrls/FcEdit.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/support/WindowShot.h"

namespace {

using namespace framedctrls;

TEST(FramedWindowTest, ShowsFramedControlsAndSavesAScreenshot)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "no X server (DISPLAY is not set)";
    qputenv("QT_QPA_PLATFORM", "xcb");
    ui::qt::Install();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    RegisterFramedClasses();

    ui::TForm form(nullptr);
    form.SetCaption("Framed controls");
    form.SetBounds(100, 100, 420, 300);
    form.SetColor(rtl::clBtnFace);
    const TFrameStyle styles[] = {fsFlat, fsStatus, fsLowered, fsRaised, fsGroove, fsBump};
    int y = 12;
    TFcEdit* edits[std::size(styles)] = {};
    for (std::size_t i = 0; i < std::size(styles); ++i) {
        const TFrameStyle style = styles[i];
        auto* edit = edits[i] = new TFcEdit(&form);
        edit->SetParent(&form);
        edit->SetBounds(12, y, 180, 22);
        edit->SetFrameVisible(true);
        edit->SetFrameStyle(style);
        edit->SetText(FrameStyleInfo().NameOf(style));
        y += 30;
    }
    auto* password = new TFcEdit(&form);
    password->SetParent(&form);
    password->SetBounds(12, y, 180, 22);
    password->SetFrameFlat(true);
    password->SetFrameStyle(fsStatus);
    password->SetPasswordChar('*');
    password->SetText("secret");

    auto* flat = new TFcCustomComboBox(&form);
    flat->SetParent(&form);
    flat->SetStyle(ui::csDropDownList);
    flat->SetBounds(220, 12, 180, 24);
    for (const char* s : {"Black", "Blue", "Green", "Red"}) flat->Items()->Add(s);
    flat->SetItemIndex(3);
    flat->SetFrameFlat(true);

    auto* table = new TFcColorComboBox(&form);
    table->SetParent(&form);
    table->SetBounds(220, 52, 180, 24);
    table->SetShowSysColors(false);
    table->SetDefaultColor(rtl::clDefault);
    table->SetColor(rtl::clWhite);
    table->SetItemHeight(16);
    table->SetSelectedColor(rtl::clNavy);
    table->SetFrameFlat(true);

    auto* border = new TFcColorComboBox(&form);
    border->SetParent(&form);
    border->SetBounds(220, 92, 180, 24);
    border->SetShowSysColors(false);
    border->SetDefaultColor(rtl::clDefault);
    border->SetColor(rtl::clWhite);
    border->SetItemHeight(16);
    border->SetSelectedColor(rtl::clDefault);  // the list opens below the combo

    form.Show();
    QWidget* window = ui::qt::WidgetOf(form);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    password->SetFocus();
    // Before the list opens, which takes the keyboard while it is up.
    EXPECT_TRUE(QTest::qWaitFor([&] { return gwtest::HasFocus(*password); }, 2000));
    auto* open = qobject_cast<QComboBox*>(ui::qt::WidgetOf(*border));
    ASSERT_NE(open, nullptr);
    open->showPopup();
    QTest::qWait(300);  // let the server draw

    // The window and the open list (a window of its own) on one picture.
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = window->frameGeometry().united(open->view()->window()->geometry()).adjusted(-4, -4, 4, 4);
    QPixmap picture = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    if (picture.isNull()) picture = window->grab();
    const gwtest::TShot shot(picture.toImage(), area.topLeft(), gwtest::SaveShot(picture, "framedctrls", "FramedControls"));
    ASSERT_FALSE(shot.File().empty());
    const auto dir = shot.File().parent_path();

    // The two rings of each bevel across the middle of the left and right sides: lowered is
    // dark at the top left, raised at the bottom right.
    struct Bevel {
        TFrameStyle style;
        rtl::TColor left[2], right[2];  // outer, inner
    };
    const Bevel bevels[] = {
        {fsLowered, {rtl::clBtnShadow, rtl::clBtnText}, {rtl::clBtnHighlight, rtl::cl3DLight}},
        {fsRaised, {rtl::cl3DLight, rtl::clBtnHighlight}, {rtl::clBtnText, rtl::clBtnShadow}},
    };
    for (const Bevel& b : bevels) {
        SCOPED_TRACE(FrameStyleInfo().NameOf(b.style));
        const QWidget* edit = ui::qt::WidgetOf(*edits[std::find(std::begin(styles), std::end(styles), b.style) - styles]);
        ASSERT_NE(edit, nullptr);
        const int middle = edit->height() / 2, right = edit->width() - 1;
        EXPECT_TRUE(gwtest::DrawnAs(shot.At(edit, {0, middle}), b.left[0], 8));
        EXPECT_TRUE(gwtest::DrawnAs(shot.At(edit, {1, middle}), b.left[1], 8));
        EXPECT_TRUE(gwtest::DrawnAs(shot.At(edit, {right, middle}), b.right[0], 8));
        EXPECT_TRUE(gwtest::DrawnAs(shot.At(edit, {right - 1, middle}), b.right[1], 8));
    }
    // The password edit, which has the focus, wears its lowered focus frame instead of its
    // flat status line, and shows only stars for its text.
    QWidget* secret = ui::qt::WidgetOf(*password);
    EXPECT_TRUE(gwtest::DrawnAs(shot.At(secret, {1, secret->height() / 2}), rtl::clBtnText, 8));
    auto* secretLine = secret->findChild<QLineEdit*>();
    if (secretLine == nullptr) secretLine = qobject_cast<QLineEdit*>(secret);
    ASSERT_NE(secretLine, nullptr);
    EXPECT_EQ(secretLine->echoMode(), QLineEdit::Password);
    EXPECT_EQ(secretLine->displayText(), "******");
    // The closed combo boxes: the item chosen, the navy swatch at the left of the field.
    auto* flatCombo = qobject_cast<QComboBox*>(ui::qt::WidgetOf(*flat));
    ASSERT_NE(flatCombo, nullptr);
    EXPECT_EQ(flatCombo->currentText(), "Red");
    QWidget* navy = ui::qt::WidgetOf(*table);
    EXPECT_GT(shot.Count(navy, QRect(2, 2, 24, navy->height() - 4), rtl::clNavy, 8), 40);
    // The open list: from its combo downwards, "Default" marked, each row's swatch in its
    // colour.
    QAbstractItemView* list = open->view();
    ASSERT_TRUE(list->isVisible());
    const QRect combo(open->mapToGlobal(QPoint(0, 0)), open->size());
    EXPECT_GE(list->window()->geometry().top(), combo.top() - 2);
    EXPECT_GT(list->window()->geometry().bottom(), combo.bottom());
    EXPECT_EQ(list->currentIndex().row(), 0);
    EXPECT_EQ(list->currentIndex().data().toString(), "Default");
    const struct {
        const char* name;
        rtl::TColor colour;
    } swatches[] = {{"Maroon", rtl::clMaroon}, {"Red", rtl::clRed}, {"Lime", rtl::clLime}, {"Blue", rtl::clBlue}};
    for (const auto& s : swatches) {
        SCOPED_TRACE(s.name);
        const int row = border->Items()->IndexOf(s.name);
        ASSERT_GE(row, 0);
        const QRect item = list->visualRect(list->model()->index(row, 0));
        EXPECT_TRUE(gwtest::DrawnAs(shot.At(list->viewport(), {item.left() + 11, item.center().y()}), s.colour, 8));
    }
    // The edits' frames three times larger, to look at pixel by pixel.
    const QPixmap frames = window->grab(QRect(ui::qt::WidgetOf(*password)->parentWidget()->mapTo(window, QPoint(6, 6)),
                                             QSize(200, 215)));
    ASSERT_TRUE(frames.scaled(frames.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                    .save(QString::fromStdString((dir / "FramedEdits-3x.png").string()), "PNG"));
    open->hidePopup();
    QTest::qWait(50);
}

}  // namespace
