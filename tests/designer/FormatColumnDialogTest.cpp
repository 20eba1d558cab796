// The column properties dialog driven without a window over an in-memory query: filling
// from each kind of column, writing back on OK only, the enabling rules, and the sample of
// the first two records as the pages would show them.

#include <gtest/gtest.h>

#include "designer/ColumnModel.h"
#include "designer/FFormatColumn.h"
#include "designer/FParams.h"
#include "designer/Formats_Utils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/db/MemDataSet.h"

using namespace designer;

namespace {

class FormatColumnDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        query.columns = {{"ID", db::ftInteger}, {"NAME", db::ftString, 40}, {"PRICE", db::ftFloat}};
        query.AddRow({db::TVariant(7), db::TVariant("Tom & Jerry <b>"), db::TVariant(1234.5)});
        query.AddRow({db::TVariant(8), db::TVariant("a b"), db::TVariant()});
        query.AddRow({db::TVariant(9), db::TVariant("third"), db::TVariant(-3.0)});
        query.Open();
        model.RebuildColumnList("Reset", query);
    }
    // Snapshot of every list of column i, flags included.
    std::vector<std::string> Column(int i)
    {
        std::vector<std::string> out;
        model.ForEachList([&](rtl::TStrings& list) { out.push_back(list.Strings(i)); });
        for (const ui::TItemStrings* list : {&model.FieldList, &model.ShowDataList, &model.PrefixList, &model.SuffixList})
            out.push_back(list->Checked(i) ? "checked" : "unchecked");
        return out;
    }
    // Shows the dialog for column i; `edit` acts on it while it is open and answers.
    int Run(int i, std::function<ui::TModalResult(TFrmFormatColumn&)> edit)
    {
        dialogs.AnswerModal([edit](ui::TCustomForm& f) { return edit(dynamic_cast<TFrmFormatColumn&>(f)); });
        TFrmFormatColumn form(nullptr);
        form.SetSampleQuery(&query);
        return form.Execute(model, i);
    }
    static std::string Text(TFrmFormatColumn& f, const char* name) { return f.Get<ui::TEdit>(name)->Text(); }
    static std::string Caption(TFrmFormatColumn& f, const char* name) { return f.Get<ui::TPanel>(name)->Caption(); }
    static bool Enabled(TFrmFormatColumn& f, const char* name) { return f.Get<ui::TControl>(name)->Enabled(); }

    dbtest::TMemDataSet query;
    TColumnModel model;
    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope{dialogs};
};

TEST_F(FormatColumnDialogTest, FillsEachKindOfColumnAndOkWithoutChangesKeepsIt)
{
    // A text column with prefix and suffix and a link; a fixed-text column; an image column.
    model.PrefixList.Put(1, "<i>");
    model.PrefixList.SetChecked(1, true);
    model.SuffixList.Put(1, "!");
    model.SuffixList.SetChecked(1, true);
    model.HyperlinkTypeList.Put(1, "3");
    model.UrlList.Put(1, "show.asp");
    model.ParamList.Put(1, "id=[ID]");
    model.TargetList.Put(1, "_blank");
    model.ShowDataList.Put(0, "n/a");
    model.ShowDataList.SetChecked(0, false);
    model.FieldList.SetChecked(2, true);
    model.ShowDataList.Put(2, "img/[ID].png");
    model.PrefixList.Put(2, "64");
    model.PrefixList.SetChecked(2, true);
    model.SuffixList.Put(2, "32");
    model.RebuildListView();

    struct Case {
        int column;
        std::function<void(TFrmFormatColumn&)> check;
    };
    const Case cases[] = {
        {0,
         [](TFrmFormatColumn& f) {
             EXPECT_TRUE(f.Get<ui::TRadioButton>("rb_hidedata")->Checked());
             EXPECT_EQ(Text(f, "e_datavalue"), "n/a");
             EXPECT_TRUE(Enabled(f, "e_datavalue"));
             EXPECT_FALSE(Enabled(f, "rb_prefix"));
             EXPECT_EQ(f.Get<ui::TPageControl>("pc_format")->ActivePageIndex(), 1);  // a number
             EXPECT_EQ(f.Get<ui::TComboBox>("cb_grouping")->ItemIndex(), 1);
             EXPECT_EQ(f.Get<ui::TComboBox>("cb_align")->Text(), "Right");
             EXPECT_EQ(Text(f, "e_imgsrc"), "[ID]");
             EXPECT_EQ(f.Get<ui::TSpinEdit>("se_imgwidth")->Value(), 100);
         }},
        {1,
         [](TFrmFormatColumn& f) {
             EXPECT_TRUE(f.Get<ui::TRadioButton>("rb_showdata")->Checked());
             EXPECT_TRUE(f.Get<ui::TCheckBox>("rb_prefix")->Checked());
             EXPECT_EQ(Text(f, "e_prefix"), "<i>");
             EXPECT_EQ(f.Get<ui::TPageControl>("pc_format")->ActivePageIndex(), 0);
             EXPECT_EQ(f.Get<ui::TRadioGroup>("rg_hyperlink")->ItemIndex(), 3);
             EXPECT_TRUE(Enabled(f, "sb_params"));
             EXPECT_EQ(f.Get<ui::TComboBox>("cb_target")->Text(), "_blank");
             EXPECT_EQ(f.ColumnParamList().CommaText(), "id=[ID]");
             EXPECT_EQ(f.Get<ui::TComboBox>("cb_fields")->Items()->CommaText(),
                       "\"Select field to add\",[ID],[NAME],[PRICE]");
             EXPECT_FALSE(Enabled(f, "sb_insertfield"));  // item 0 chosen
         }},
        {2,
         [](TFrmFormatColumn& f) {
             EXPECT_TRUE(f.Get<ui::TRadioButton>("rb_image")->Checked());
             EXPECT_FALSE(f.Get<ui::TPageControl>("pc_format")->Visible());
             EXPECT_EQ(f.Get<ui::TGroupBox>("gb_value")->Caption(), "Image source is built by");
             EXPECT_EQ(Text(f, "e_imgsrc"), "img/[ID].png");
             EXPECT_TRUE(f.Get<ui::TCheckBox>("cb_imgwidth")->Checked());
             EXPECT_FALSE(f.Get<ui::TCheckBox>("cb_imgheight")->Checked());
             EXPECT_EQ(f.Get<ui::TSpinEdit>("se_imgwidth")->Value(), 64);
             EXPECT_EQ(f.Get<ui::TSpinEdit>("se_imgheight")->Value(), 32);
             EXPECT_FALSE(Enabled(f, "e_url"));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        const std::vector<std::string> before = Column(c.column);
        const TColumnListItem row = model.ListView().Item(c.column);
        EXPECT_EQ(Run(c.column,
                      [&](TFrmFormatColumn& f) {
                          EXPECT_EQ(f.Caption(), "Column Properties");
                          c.check(f);
                          return ui::mrOk;
                      }),
                  ui::mrOk);
        EXPECT_EQ(Column(c.column), before);
        EXPECT_EQ(model.ListView().Item(c.column), row);
    }
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

TEST_F(FormatColumnDialogTest, OkWritesBackAndCancelChangesNothing)
{
    const auto edit = [](TFrmFormatColumn& f) {
        f.Get<ui::TEdit>("e_header")->SetText("Price <EUR>");
        f.Get<ui::TComboBox>("cb_align")->SelectByUser(2);  // Center
        f.Get<ui::TCheckBox>("rb_suffix")->SetChecked(true);
        f.Get<ui::TEdit>("e_suffix")->SetText(" EUR");
        f.Get<ui::TComboBox>("cb_afterdec")->SelectByUser(3);
        f.Get<ui::TComboBox>("cb_neg")->SelectByUser(1);
        f.Get<ui::TRadioGroup>("rg_hyperlink")->SetItemIndex(1);
        f.Get<ui::TEdit>("e_url")->SetText("http://example.com/p/");
        f.Get<ui::TComboBox>("cb_fields")->SelectByUser(1);
        EXPECT_TRUE(f.Get<ui::TSpeedButton>("sb_insertfield")->Enabled());
        f.Get<ui::TSpeedButton>("sb_insertfield")->Click();
    };
    const std::vector<std::string> before = Column(2);
    Run(2, [&](TFrmFormatColumn& f) {
        edit(f);
        return ui::mrCancel;
    });
    EXPECT_EQ(Column(2), before);

    Run(2, [&](TFrmFormatColumn& f) {
        edit(f);
        return ui::mrOk;
    });
    EXPECT_EQ(model.Heading(2), "Price <EUR>");
    EXPECT_EQ(model.AlignmentList.Strings(2), "Center");
    EXPECT_EQ(model.SuffixList.Strings(2), " EUR");
    EXPECT_TRUE(model.SuffixList.Checked(2));
    EXPECT_EQ(model.FormatList.Strings(2), "1,3,1,1,1");  // the kind kept, the rest from the lists
    EXPECT_EQ(model.HyperlinkTypeList.Strings(2), "1");
    EXPECT_EQ(model.UrlList.Strings(2), "http://example.com/p/[ID]");
    const TColumnListItem row = model.ListView().Item(2);
    EXPECT_EQ(row.SubItems[0], "Price <EUR>");
    EXPECT_EQ(row.SubItems[1], DescribeFormatText("1,3,1,1,1"));
    EXPECT_EQ(row.SubItems[2], "Center");
    EXPECT_EQ(row.SubItems[4], "[Cell Value] EUR");
    EXPECT_EQ(row.SubItems[5], "http://example.com/p/[ID]");
}

TEST_F(FormatColumnDialogTest, ModesAndKindsKeepOrClearWhatTheyShould)
{
    Run(1, [](TFrmFormatColumn& f) {
        auto* prefix = f.Get<ui::TCheckBox>("rb_prefix");
        prefix->SetChecked(true);
        EXPECT_TRUE(Enabled(f, "e_prefix"));
        f.Get<ui::TEdit>("e_prefix")->SetText("pre ");
        // Leaving value mode clears prefix and suffix at once; coming back clears the fixed text.
        f.Get<ui::TRadioButton>("rb_hidedata")->SetChecked(true);
        EXPECT_FALSE(prefix->Checked());
        EXPECT_EQ(Text(f, "e_prefix"), "");
        EXPECT_FALSE(Enabled(f, "rb_prefix"));
        f.Get<ui::TEdit>("e_datavalue")->SetText("fixed");
        f.Get<ui::TRadioButton>("rb_showdata")->SetChecked(true);
        EXPECT_EQ(Text(f, "e_datavalue"), "");
        // Text settings survive a trip to image and back; OK stores the kind chosen last.
        f.Get<ui::TEdit>("e_suffix")->SetText("");
        f.Get<ui::TCheckBox>("rb_suffix")->SetChecked(true);
        f.Get<ui::TEdit>("e_suffix")->SetText(" kept");
        f.Get<ui::TRadioButton>("rb_image")->SetChecked(true);
        EXPECT_EQ(f.Get<ui::TGroupBox>("gb_value")->Caption(), "Image source is built by");
        f.Get<ui::TRadioButton>("rb_text")->SetChecked(true);
        EXPECT_EQ(f.Get<ui::TGroupBox>("gb_value")->Caption(), "Cell value is built by");
        EXPECT_EQ(Text(f, "e_suffix"), " kept");
        f.Get<ui::TRadioButton>("rb_image")->SetChecked(true);
        return ui::mrOk;
    });
    EXPECT_TRUE(model.IsImage(1));
    EXPECT_EQ(model.ShowDataList.Strings(1), "[NAME]");
    EXPECT_EQ(model.PrefixList.Strings(1), "100");
    EXPECT_EQ(model.SuffixList.Strings(1), "100");
    EXPECT_EQ(model.FormatList.Strings(1), "0,0,0,0,0");  // no format: stored unchanged

    // The hyperlink types and what they enable.
    struct Case {
        int type;
        bool url, params, target;
    };
    Run(0, [](TFrmFormatColumn& f) {
        for (const Case& c : {Case{0, false, false, false}, Case{1, true, false, true}, Case{2, true, false, true},
                              Case{3, true, true, true}}) {
            SCOPED_TRACE(c.type);
            f.Get<ui::TRadioGroup>("rg_hyperlink")->SetItemIndex(c.type);
            EXPECT_EQ(Enabled(f, "e_url"), c.url);
            EXPECT_EQ(Enabled(f, "cb_fields"), c.url);
            EXPECT_EQ(Enabled(f, "sb_params"), c.params);
            EXPECT_EQ(Enabled(f, "cb_target"), c.target);
            EXPECT_EQ(f.Get<ui::TEdit>("e_url")->Color(), c.url ? rtl::clWindow : rtl::clBtnFace);
        }
        return ui::mrCancel;
    });
}

TEST_F(FormatColumnDialogTest, SampleShowsTheFirstTwoRecordsAsTyped)
{
    Run(1, [](TFrmFormatColumn& f) {
        f.Get<ui::TCheckBox>("rb_prefix")->SetChecked(true);
        f.Get<ui::TEdit>("e_prefix")->SetText("<");
        f.Get<ui::TEdit>("e_header")->SetText("Who & what");
        f.Get<ui::TComboBox>("cb_align")->SelectByUser(3);
        EXPECT_EQ(Caption(f, "ColHead1"), "Who & what");
        EXPECT_EQ(Caption(f, "Row1"), "<Tom & Jerry <b>");
        EXPECT_EQ(Caption(f, "OddRow1"), "<a b");
        EXPECT_EQ(f.Get<ui::TPanel>("Row1")->Alignment(), classes::taRightJustify);
        // Script links: no "?" without parameters; values encoded as the pages encode them.
        f.Get<ui::TRadioGroup>("rg_hyperlink")->SetItemIndex(3);
        f.Get<ui::TEdit>("e_url")->SetText("run.asp");
        EXPECT_EQ(Text(f, "LinkRow1"), "run.asp");
        f.ColumnParamList().Add("n=[NAME]");
        f.ColumnParamList().Add("id=[ID]");
        f.GenSample();
        EXPECT_EQ(Text(f, "LinkRow1"), "run.asp?n=Tom%20%26%20Jerry%20%3Cb%3E&id=7");
        EXPECT_EQ(Text(f, "LinkoddRow1"), "run.asp?n=a%20b&id=8");
        f.Get<ui::TRadioGroup>("rg_hyperlink")->SetItemIndex(2);
        f.Get<ui::TEdit>("e_url")->SetText("[NAME]@example.com");
        EXPECT_EQ(Text(f, "LinkoddRow1"), "mailto:a%20b@example.com");
        // An image column shows its tag as text and hint.
        f.Get<ui::TRadioButton>("rb_image")->SetChecked(true);
        f.Get<ui::TEdit>("e_imgsrc")->SetText("p/[ID].png");
        EXPECT_EQ(Caption(f, "Row1"), "<img src=p/7.png>");
        EXPECT_EQ(f.Get<ui::TPanel>("OddRow1")->Hint(), "<img src=p/8.png>");
        return ui::mrCancel;
    });
    // A number column formatted in the sample; null is empty.
    Run(2, [](TFrmFormatColumn& f) {
        f.Get<ui::TComboBox>("cb_afterdec")->SelectByUser(1);
        EXPECT_EQ(Caption(f, "Row1"), "1,234.5");
        EXPECT_EQ(Caption(f, "OddRow1"), "");
        return ui::mrCancel;
    });
}

TEST_F(FormatColumnDialogTest, EmptyQueryShowsNoSamplesButTheHeading)
{
    dbtest::TMemDataSet empty;
    empty.columns = query.columns;
    empty.Open();
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        auto& form = dynamic_cast<TFrmFormatColumn&>(f);
        form.Get<ui::TEdit>("e_header")->SetText("Name");
        EXPECT_EQ(Caption(form, "ColHead1"), "Name");
        EXPECT_EQ(Caption(form, "Row1"), "");
        EXPECT_EQ(Text(form, "LinkRow1"), "");
        return ui::mrCancel;
    });
    TFrmFormatColumn form(nullptr);
    form.SetSampleQuery(&empty);
    form.Execute(model, 1);
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

TEST_F(FormatColumnDialogTest, BadImageSizeRefusesToOpenAndChangesNothing)
{
    model.FieldList.SetChecked(2, true);
    model.PrefixList.Put(2, "wide");
    const std::vector<std::string> before = Column(2);
    TFrmFormatColumn form(nullptr);
    EXPECT_THROW(form.Execute(model, 2), rtl::EConvertError);
    EXPECT_TRUE(dialogs.Asked().empty());  // never shown
    EXPECT_EQ(Column(2), before);
}

TEST_F(FormatColumnDialogTest, ParametersEditedThroughTheirDialog)
{
    model.HyperlinkTypeList.Put(0, "3");
    model.ParamList.Put(0, "a=1");
    // OK in the parameter dialog replaces the list; Cancel keeps it.
    for (ui::TModalResult answer : {ui::mrCancel, ui::mrOk}) {
        SCOPED_TRACE(answer);
        dialogs.AnswerModal([&](ui::TCustomForm& f) {
            auto& form = dynamic_cast<TFrmFormatColumn&>(f);
            dialogs.AnswerModal([](ui::TCustomForm& p) {
                auto& params = dynamic_cast<TFrmParams&>(p);
                EXPECT_EQ(params.ParamLines(), (std::vector<std::string>{"a=1"}));
                params.SetParamLines({"a=1", "who=[NAME]"});
                return ui::mrOk;
            });
            if (answer == ui::mrCancel)
                dialogs.AnswerModal([](ui::TCustomForm& p) {
                    dynamic_cast<TFrmParams&>(p).SetParamLines({});
                    return ui::mrCancel;
                });
            form.Get<ui::TSpeedButton>("sb_params")->Click();
            EXPECT_EQ(form.ColumnParamList().CommaText(), "a=1,who=[NAME]");
            if (answer == ui::mrCancel) {
                form.Get<ui::TSpeedButton>("sb_params")->Click();
                EXPECT_EQ(form.ColumnParamList().CommaText(), "a=1,who=[NAME]");
            }
            return answer;
        });
        TFrmFormatColumn form(nullptr);
        form.SetSampleQuery(&query);
        form.Execute(model, 0);
    }
    EXPECT_EQ(model.ParamList.Strings(0), "a=1,who=[NAME]");
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

}  // namespace
