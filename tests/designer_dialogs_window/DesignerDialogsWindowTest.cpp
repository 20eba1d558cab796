// The designer's dialogs on a real X server (Xvfb), shown and saved as screenshots for
// people to look at. Nothing is asserted about the pixels.

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
    // Shows `form` (not modally, so the test goes on) and saves its picture as `name`.png.
    static void Shoot(ui::TCustomForm& form, const std::string& name)
    {
        form.Show();
        gwtest::SaveWindowShot(ui::qt::WidgetOf(form), "designer", name);
        form.Hide();
    }
};

TEST_F(DesignerDialogsWindowTest, ParametersScreenshots)
{
    designer::TFrmParams params(nullptr);
    params.SetParamLines({"id=[ORDER_ID]", "customer=[CUSTOMER]", "lang=en"});
    params.List()->SetSelected(params.List()->Items()->Item(1));
    params.UpdateParamActions();
    Shoot(params, "Parameters");

    designer::TFrmParamValue value(nullptr);
    value.SetCaption("Add Param");
    value.Get<ui::TEdit>("Ename")->SetText("id");
    value.Get<ui::TComboBox>("cb_value")->Items()->Add("[ORDER_ID]");
    value.Get<ui::TComboBox>("cb_value")->SetText("[ORDER_ID]");
    Shoot(value, "ParamValue");
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
    Shoot(form, "ColumnProperties");
}

}  // namespace
