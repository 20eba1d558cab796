// The designer's dialogs on a real X server (Xvfb), shown, saved as screenshots and read
// back: the row chosen and the buttons it allows, the texts given, the pages and choices the
// column's settings select, the focused field and the sample's colours.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "designer/ColumnModel.h"
#include "platform/classes/Font.h"
#include "designer/FFormatColumn.h"
#include "designer/FParams.h"
#include "tests/db/MemDataSet.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/support/WindowShot.h"

namespace {

class DesignerDialogsWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    }
    // Shows `form` (not modally, so the test goes on) and saves its picture as `name`.png;
    // the form stays shown for the test to read.
    static gwtest::TShot Shoot(ui::TCustomForm& form, const std::string& name)
    {
        form.Show();
        return gwtest::ShootWindow(ui::qt::WidgetOf(form), "designer", name);
    }
    template <class W>
    static W* Peer(const ui::TCustomForm& form, const char* name)
    {
        return qobject_cast<W*>(ui::qt::WidgetOf(*form.Get<ui::TControl>(name)));
    }
    static bool EnabledOnScreen(const ui::TCustomForm& form, const char* name)
    {
        const QWidget* widget = ui::qt::WidgetOf(*form.Get<ui::TControl>(name));
        return widget != nullptr && widget->isEnabled();
    }
};

TEST_F(DesignerDialogsWindowTest, ParametersScreenshots)
{
    designer::TFrmParams params(nullptr);
    params.SetParamLines({"id=[ORDER_ID]", "customer=[CUSTOMER]", "lang=en"});
    params.List()->SetSelected(params.List()->Items()->Item(1));
    params.UpdateParamActions();
    ASSERT_TRUE(Shoot(params, "Parameters").Taken());
    // The middle row chosen: every row action open to it.
    auto* rows = Peer<QAbstractItemView>(params, "lv_params");
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(rows->model()->rowCount(), 3);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(rows->selectionModel()->isSelected(rows->model()->index(row, 0)), row == 1) << row;
    EXPECT_EQ(rows->model()->index(1, 1).data().toString(), "[CUSTOMER]");
    for (const char* button : {"addbtn", "editbtn", "removebtn", "clearbtn", "moveupbtn", "movedownbtn"})
        EXPECT_TRUE(EnabledOnScreen(params, button)) << button;
    // The last row has nowhere further down to go.
    params.List()->SetSelected(params.List()->Items()->Item(2));
    params.UpdateParamActions();
    QTest::qWait(50);
    EXPECT_TRUE(EnabledOnScreen(params, "moveupbtn"));
    EXPECT_FALSE(EnabledOnScreen(params, "movedownbtn"));
    params.Hide();

    designer::TFrmParamValue value(nullptr);
    value.SetCaption("Add Param");
    value.Get<ui::TEdit>("Ename")->SetText("id");
    value.Get<ui::TComboBox>("cb_value")->Items()->Add("[ORDER_ID]");
    value.Get<ui::TComboBox>("cb_value")->SetText("[ORDER_ID]");
    ASSERT_TRUE(Shoot(value, "ParamValue").Taken());
    EXPECT_EQ(ui::qt::WidgetOf(value)->windowTitle(), "Add Param");
    ASSERT_NE(Peer<QLineEdit>(value, "Ename"), nullptr);
    EXPECT_EQ(Peer<QLineEdit>(value, "Ename")->text(), "id");
    ASSERT_NE(Peer<QComboBox>(value, "cb_value"), nullptr);
    EXPECT_EQ(Peer<QComboBox>(value, "cb_value")->currentText(), "[ORDER_ID]");
    value.Hide();
}

TEST_F(DesignerDialogsWindowTest, ColumnPropertiesScreenshot)
{
    dbtest::TMemDataSet query;
    query.columns = {{"ID", db::ftInteger}, {"NAME", db::ftString, 40}, {"PRICE", db::ftFloat}};
    query.AddRow({db::TVariant(7), db::TVariant("Tom & Jerry <b>"), db::TVariant(1234.5)});
    query.AddRow({db::TVariant(8), db::TVariant("Smörgåsbord"), db::TVariant(-3.25)});
    query.Open();
    designer::TColumnModel model;
    model.RebuildColumnList("Reset", query);
    model.SuffixList.Put(2, " EUR");
    model.SuffixList.SetChecked(2, true);
    model.HyperlinkTypeList.Put(2, "3");
    model.UrlList.Put(2, "http://example.com/item.asp");
    model.ParamList.Put(2, "id=[ID]");

    designer::TFrmFormatColumn form(nullptr);
    form.SetSampleQuery(&query);
    designer::TColumnSampleLook look;
    look.HeaderColor = 0x800000;
    look.RowColor = 0xF0F0F0;
    look.OddRowColor = 0xFFFFE0;
    classes::TFont heading;
    heading.SetColor(rtl::clWhite);
    heading.SetStyle({classes::fsBold});
    look.HeaderFont = &heading;
    form.SetSampleLook(look);
    form.Fill(model, 2);
    const gwtest::TShot shot = Shoot(form, "ColumnProperties");
    ASSERT_TRUE(shot.Taken());
    EXPECT_EQ(ui::qt::WidgetOf(form)->windowTitle(), "Column Properties");
    // The header field first, with the column's name.
    EXPECT_TRUE(gwtest::HasFocus(*form.Get<ui::TControl>("e_header")));
    ASSERT_NE(Peer<QLineEdit>(form, "e_header"), nullptr);
    EXPECT_EQ(Peer<QLineEdit>(form, "e_header")->text(), "PRICE");
    // A number shown as text with a suffix: the text page and the number format page.
    EXPECT_EQ(gwtest::ShownPage(*form.Get<ui::TPageControl>("pc_value")), 0);
    EXPECT_EQ(gwtest::ShownPage(*form.Get<ui::TPageControl>("pc_format")), 1);
    ASSERT_NE(Peer<QAbstractButton>(form, "rb_text"), nullptr);
    EXPECT_TRUE(Peer<QAbstractButton>(form, "rb_text")->isChecked());
    EXPECT_TRUE(Peer<QAbstractButton>(form, "rb_showdata")->isChecked());
    EXPECT_FALSE(Peer<QAbstractButton>(form, "rb_prefix")->isChecked());
    EXPECT_TRUE(Peer<QAbstractButton>(form, "rb_suffix")->isChecked());
    EXPECT_EQ(Peer<QLineEdit>(form, "e_suffix")->text(), " EUR");
    EXPECT_EQ(Peer<QLineEdit>(form, "e_url")->text(), "http://example.com/item.asp");
    // Hyperlink kind 3, the script: the fourth choice.
    const QList<QRadioButton*> links = ui::qt::WidgetOf(*form.Get<ui::TControl>("rg_hyperlink"))->findChildren<QRadioButton*>();
    ASSERT_EQ(links.size(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(links[i]->isChecked(), i == 3) << i;
    // The sample in the look given: the heading, the row and the odd row at their left ends.
    const struct {
        const char* panel;
        rtl::TColor colour;
    } samples[] = {{"ColHead1", look.HeaderColor}, {"Row1", look.RowColor}, {"OddRow1", look.OddRowColor}};
    for (const auto& s : samples) {
        QWidget* panel = ui::qt::WidgetOf(*form.Get<ui::TControl>(s.panel));
        ASSERT_NE(panel, nullptr) << s.panel;
        EXPECT_TRUE(gwtest::DrawnAs(shot.At(panel, {5, panel->height() / 2}), s.colour, 8)) << s.panel;
    }
    form.Hide();
}

}  // namespace
