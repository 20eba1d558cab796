#include "designer/FFormatColumn.h"

#include "designer/ColumnModel.h"
#include "designer/FParams.h"
#include "designer/Formats_Utils.h"
#include "designer/HtmlRows.h"
#include "platform/classes/Font.h"
#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

namespace designer {

namespace {

const char* const kSelectField = "Select field to add";

// The address as a browser reads it from the attribute: the builder writes a remaining "&"
// as "&amp;" for the page, which the sample shows as the one character it stands for.
std::string AttributeToText(std::string s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t k = 0; k < s.size();) {
        if (s.compare(k, 5, "&amp;") == 0) {
            out += '&';
            k += 5;
        } else {
            out += s[k++];
        }
    }
    return out;
}

}  // namespace

classes::TAlignment AlignmentFromText(const std::string& text)
{
    if (text == "Center") return classes::taCenter;
    if (text == "Right") return classes::taRightJustify;
    return classes::taLeftJustify;
}

GW_IMPLEMENT_CLASS(TFrmFormatColumn, ui::TForm) {}

TFrmFormatColumn::TFrmFormatColumn(classes::TComponent* owner) : TForm(owner)
{
    RegisterHandler("FormShow", this, &TFrmFormatColumn::FormShow);
    RegisterHandler("rb_textClick", this, &TFrmFormatColumn::rb_textClick);
    RegisterHandler("rb_showdataClick", this, &TFrmFormatColumn::rb_showdataClick);
    RegisterHandler("rb_prefixClick", this, &TFrmFormatColumn::rb_prefixClick);
    RegisterHandler("rb_suffixClick", this, &TFrmFormatColumn::rb_suffixClick);
    RegisterHandler("rg_hyperlinkClick", this, &TFrmFormatColumn::rg_hyperlinkClick);
    RegisterHandler("cb_fieldsChange", this, &TFrmFormatColumn::cb_fieldsChange);
    RegisterHandler("sb_insertfieldClick", this, &TFrmFormatColumn::sb_insertfieldClick);
    RegisterHandler("sb_insertimgfieldClick", this, &TFrmFormatColumn::sb_insertimgfieldClick);
    RegisterHandler("sb_paramsClick", this, &TFrmFormatColumn::sb_paramsClick);
    RegisterHandler("helpbtnClick", this, &TFrmFormatColumn::helpbtnClick);
    RegisterHandler("SampleChange", this, &TFrmFormatColumn::SampleChange);
    LoadDescription("FrmFormatColumn");
}

// ---- Filling and writing back ------------------------------------------------------------

void TFrmFormatColumn::Fill(TColumnModel& model, int column)
{
    // Everything that can fail is read first, so that a bad entry leaves the dialog unused.
    const TFormatEntry format = ParseFormatEntry(model.FormatList.Strings(column));
    const bool image = model.IsImage(column);
    int width = 100, height = 100;
    if (image) {
        width = rtl::StrToInt(model.PrefixList.Strings(column));
        height = rtl::StrToInt(model.SuffixList.Strings(column));
    }
    const int linkType = rtl::StrToInt(model.HyperlinkTypeList.Strings(column));

    model_ = &model;
    column_ = column;
    const bool wasLoading = loading_;
    loading_ = true;
    filling_ = true;

    // 1. The field lists.
    for (const char* name : {"cb_fields", "cb_imgfields"}) {
        auto* list = C<ui::TComboBox>(name);
        list->Items()->Clear();
        list->Items()->Add(kSelectField);
        for (int k = 0; k < model.ColumnCount(); ++k) list->Items()->Add("[" + model.Key(k) + "]");
        list->SetItemIndex(0);
    }
    // 2. The format of the column's kind; the kind itself is not the user's to change.
    columnFormatList_.SetCommaText(model.FormatList.Strings(column));
    auto* pages = C<ui::TPageControl>("pc_format");
    pages->SetActivePageIndex(format.Kind >= fkNone && format.Kind <= fkDateTime ? format.Kind : fkNone);
    if (format.Kind == fkNumber) {
        C<ui::TComboBox>("cb_afterdec")->SetItemIndex(format.Digits);
        C<ui::TComboBox>("cb_leading")->SetItemIndex(format.Leading);
        C<ui::TComboBox>("cb_neg")->SetItemIndex(format.Parentheses);
        C<ui::TComboBox>("cb_grouping")->SetItemIndex(format.Grouping);
    } else if (format.Kind == fkDateTime) {
        C<ui::TComboBox>("cb_datetimestyle")->SetItemIndex(format.Digits);
    }
    // 3. Heading and alignment.
    C<ui::TEdit>("e_header")->SetText(model.Heading(column));
    auto* align = C<ui::TComboBox>("cb_align");
    align->SetItemIndex(align->Items()->IndexOf(model.AlignmentList.Strings(column)));
    // 4 and 5. Image or text.
    if (image) {
        C<ui::TRadioButton>("rb_image")->SetChecked(true);
        C<ui::TRadioButton>("rb_showdata")->SetChecked(true);
        C<ui::TCheckBox>("rb_prefix")->SetChecked(false);
        C<ui::TCheckBox>("rb_suffix")->SetChecked(false);
        C<ui::TEdit>("e_prefix")->SetText("");
        C<ui::TEdit>("e_suffix")->SetText("");
        C<ui::TEdit>("e_datavalue")->SetText("");
        C<ui::TEdit>("e_imgsrc")->SetText(model.ShowDataList.Strings(column));
        C<ui::TCheckBox>("cb_imgwidth")->SetChecked(model.PrefixList.Checked(column));
        C<ui::TCheckBox>("cb_imgheight")->SetChecked(model.SuffixList.Checked(column));
    } else {
        C<ui::TRadioButton>("rb_text")->SetChecked(true);
        const bool value = model.ShowDataList.Checked(column);
        C<ui::TRadioButton>(value ? "rb_showdata" : "rb_hidedata")->SetChecked(true);
        C<ui::TCheckBox>("rb_prefix")->SetChecked(model.PrefixList.Checked(column));
        C<ui::TEdit>("e_prefix")->SetText(model.PrefixList.Strings(column));
        C<ui::TCheckBox>("rb_suffix")->SetChecked(model.SuffixList.Checked(column));
        C<ui::TEdit>("e_suffix")->SetText(model.SuffixList.Strings(column));
        C<ui::TEdit>("e_datavalue")->SetText(model.ShowDataList.Strings(column));
        C<ui::TEdit>("e_imgsrc")->SetText("[" + model.Key(column) + "]");
        C<ui::TCheckBox>("cb_imgwidth")->SetChecked(true);
        C<ui::TCheckBox>("cb_imgheight")->SetChecked(true);
    }
    C<ui::TSpinEdit>("se_imgwidth")->SetValue(width);
    C<ui::TSpinEdit>("se_imgheight")->SetValue(height);
    // 6. The hyperlink.
    C<ui::TRadioGroup>("rg_hyperlink")->SetItemIndex(linkType);
    C<ui::TEdit>("e_url")->SetText(model.UrlList.Strings(column));
    C<ui::TComboBox>("cb_target")->SetText(model.TargetList.Strings(column));
    columnParamList_.SetCommaText(model.ParamList.Strings(column));
    filling_ = false;
    loading_ = wasLoading;
    cb_fieldsChange(nullptr);
}

void TFrmFormatColumn::StoreFormatControls()
{
    // The format entry always holds five items; a shorter one was refused when filling.
    while (columnFormatList_.Count() < 5) columnFormatList_.Add("0");
    const int kind = C<ui::TPageControl>("pc_format")->ActivePageIndex();
    if (kind == fkNumber) {
        columnFormatList_.Put(1, std::to_string(C<ui::TComboBox>("cb_afterdec")->ItemIndex()));
        columnFormatList_.Put(2, std::to_string(C<ui::TComboBox>("cb_leading")->ItemIndex()));
        columnFormatList_.Put(3, std::to_string(C<ui::TComboBox>("cb_neg")->ItemIndex()));
        columnFormatList_.Put(4, std::to_string(C<ui::TComboBox>("cb_grouping")->ItemIndex()));
    } else if (kind == fkDateTime) {
        columnFormatList_.Put(1, std::to_string(C<ui::TComboBox>("cb_datetimestyle")->ItemIndex()));
    }
}

void TFrmFormatColumn::WriteBack(TColumnModel& model, int i)
{
    StoreFormatControls();
    const bool image = C<ui::TRadioButton>("rb_image")->Checked();
    model.FieldList.Put(i, FieldListEntry(model.Key(i), C<ui::TEdit>("e_header")->Text()));
    model.FieldList.SetChecked(i, image);
    model.AlignmentList.Put(i, C<ui::TComboBox>("cb_align")->Text());
    if (!image) {
        model.PrefixList.Put(i, C<ui::TEdit>("e_prefix")->Text());
        model.PrefixList.SetChecked(i, C<ui::TCheckBox>("rb_prefix")->Checked());
        model.SuffixList.Put(i, C<ui::TEdit>("e_suffix")->Text());
        model.SuffixList.SetChecked(i, C<ui::TCheckBox>("rb_suffix")->Checked());
        model.ShowDataList.Put(i, C<ui::TEdit>("e_datavalue")->Text());
        model.ShowDataList.SetChecked(i, C<ui::TRadioButton>("rb_showdata")->Checked());
    } else {
        model.PrefixList.Put(i, std::to_string(C<ui::TSpinEdit>("se_imgwidth")->Value()));
        model.PrefixList.SetChecked(i, C<ui::TCheckBox>("cb_imgwidth")->Checked());
        model.SuffixList.Put(i, std::to_string(C<ui::TSpinEdit>("se_imgheight")->Value()));
        model.SuffixList.SetChecked(i, C<ui::TCheckBox>("cb_imgheight")->Checked());
        model.ShowDataList.Put(i, C<ui::TEdit>("e_imgsrc")->Text());
        model.ShowDataList.SetChecked(i, true);
    }
    model.FormatList.Put(i, columnFormatList_.CommaText());
    model.HyperlinkTypeList.Put(i, std::to_string(C<ui::TRadioGroup>("rg_hyperlink")->ItemIndex()));
    model.UrlList.Put(i, C<ui::TEdit>("e_url")->Text());
    model.TargetList.Put(i, C<ui::TComboBox>("cb_target")->Text());
    model.ParamList.Put(i, columnParamList_.CommaText());
    model.ListView().SetItem(i, model.ListItem(i));
}

int TFrmFormatColumn::Execute(TColumnModel& model, int column)
{
    Fill(model, column);
    const int result = ShowModal();
    if (result == ui::mrOk) WriteBack(model, column);
    return result;
}

// ---- Handlers ----------------------------------------------------------------------------

void TFrmFormatColumn::EnableEdit(const char* name, bool enabled)
{
    auto* control = C<ui::TControl>(name);
    control->SetEnabled(enabled);
    control->SetColor(enabled ? rtl::clWindow : rtl::clBtnFace);
}

void TFrmFormatColumn::FormShow(classes::TObject*)
{
    if (!loading_) return;
    rb_textClick(nullptr);
    rb_showdataClick(nullptr);
    rb_prefixClick(nullptr);
    rb_suffixClick(nullptr);
    rg_hyperlinkClick(nullptr);
    loading_ = false;
    GenSample();
}

void TFrmFormatColumn::rb_textClick(classes::TObject*)
{
    if (filling_) return;
    const bool text = C<ui::TRadioButton>("rb_text")->Checked();
    C<ui::TPageControl>("pc_format")->SetVisible(text);
    if (text) {
        C<ui::TGroupBox>("gb_value")->SetCaption("Cell value is built by");
        C<ui::TRadioButton>("rb_showdata")->SetCaption("Showing the data value");
        C<ui::TCheckBox>("rb_prefix")->SetCaption("I want to prefix my data with");
        C<ui::TCheckBox>("rb_suffix")->SetCaption("I want to suffix my data with");
        C<ui::TRadioButton>("rb_hidedata")->SetCaption("Hide my Data.  Show:");
        C<ui::TPageControl>("pc_value")->SetActivePage(C<ui::TTabSheet>("ts_textsetting"));
    } else {
        C<ui::TGroupBox>("gb_value")->SetCaption("Image source is built by");
        C<ui::TPageControl>("pc_value")->SetActivePage(C<ui::TTabSheet>("ts_imgsetting"));
    }
    GenSample();
}

void TFrmFormatColumn::rb_showdataClick(classes::TObject*)
{
    if (filling_) return;
    const bool value = C<ui::TRadioButton>("rb_showdata")->Checked();
    C<ui::TCheckBox>("rb_prefix")->SetEnabled(value);
    C<ui::TCheckBox>("rb_suffix")->SetEnabled(value);
    if (value) {
        C<ui::TEdit>("e_datavalue")->SetText("");
    } else {
        C<ui::TCheckBox>("rb_prefix")->SetChecked(false);
        C<ui::TCheckBox>("rb_suffix")->SetChecked(false);
        C<ui::TEdit>("e_prefix")->SetText("");
        C<ui::TEdit>("e_suffix")->SetText("");
    }
    EnableEdit("e_prefix", value && C<ui::TCheckBox>("rb_prefix")->Checked());
    EnableEdit("e_suffix", value && C<ui::TCheckBox>("rb_suffix")->Checked());
    EnableEdit("e_datavalue", !value);
    GenSample();
}

void TFrmFormatColumn::rb_prefixClick(classes::TObject*)
{
    if (filling_) return;
    const bool on = C<ui::TCheckBox>("rb_prefix")->Checked();
    if (!on) C<ui::TEdit>("e_prefix")->SetText("");
    EnableEdit("e_prefix", on);
    GenSample();
}

void TFrmFormatColumn::rb_suffixClick(classes::TObject*)
{
    if (filling_) return;
    const bool on = C<ui::TCheckBox>("rb_suffix")->Checked();
    if (!on) C<ui::TEdit>("e_suffix")->SetText("");
    EnableEdit("e_suffix", on);
    GenSample();
}

void TFrmFormatColumn::rg_hyperlinkClick(classes::TObject*)
{
    if (filling_) return;
    const int type = C<ui::TRadioGroup>("rg_hyperlink")->ItemIndex();
    C<ui::TSpeedButton>("sb_params")->SetEnabled(type == 3);
    const bool link = type > 0;
    EnableEdit("e_url", link);
    EnableEdit("cb_fields", link);
    EnableEdit("cb_target", link);
    C<ui::TSpeedButton>("sb_insertfield")->SetEnabled(link && C<ui::TComboBox>("cb_fields")->ItemIndex() > 0);
    GenSample();
}

void TFrmFormatColumn::cb_fieldsChange(classes::TObject*)
{
    if (filling_) return;
    const bool link = C<ui::TRadioGroup>("rg_hyperlink")->ItemIndex() > 0;
    C<ui::TSpeedButton>("sb_insertfield")->SetEnabled(link && C<ui::TComboBox>("cb_fields")->ItemIndex() > 0);
    C<ui::TSpeedButton>("sb_insertimgfield")->SetEnabled(C<ui::TComboBox>("cb_imgfields")->ItemIndex() > 0);
    GenSample();
}

void TFrmFormatColumn::sb_insertfieldClick(classes::TObject*)
{
    auto* list = C<ui::TComboBox>("cb_fields");
    if (list->ItemIndex() <= 0) return;
    auto* url = C<ui::TEdit>("e_url");
    url->SetText(url->Text() + list->Items()->Strings(list->ItemIndex()));
    GenSample();
}

void TFrmFormatColumn::sb_insertimgfieldClick(classes::TObject*)
{
    auto* list = C<ui::TComboBox>("cb_imgfields");
    if (list->ItemIndex() <= 0) return;
    auto* source = C<ui::TEdit>("e_imgsrc");
    source->SetText(source->Text() + list->Items()->Strings(list->ItemIndex()));
    GenSample();
}

void TFrmFormatColumn::sb_paramsClick(classes::TObject*)
{
    TFrmParams params(nullptr);
    std::vector<std::string> keys;
    if (model_ != nullptr)
        for (int k = 0; k < model_->ColumnCount(); ++k) keys.push_back(model_->Key(k));
    params.SetFieldNames(std::move(keys));
    std::vector<std::string> lines;
    for (int k = 0; k < columnParamList_.Count(); ++k) lines.push_back(columnParamList_.Strings(k));
    params.SetParamLines(lines);
    if (params.ShowModal() == ui::mrOk) {
        columnParamList_.Clear();
        for (const std::string& line : params.ParamLines()) columnParamList_.Add(line);
    }
    GenSample();
}

void TFrmFormatColumn::helpbtnClick(classes::TObject*) { ui::Application().HelpContext(kHelpContext); }

void TFrmFormatColumn::SampleChange(classes::TObject*)
{
    if (filling_) return;
    GenSample();
}

// ---- The sample ----------------------------------------------------------------------------

std::string TFrmFormatColumn::Replace(const std::string& text, TUrlPart part) const
{
    if (model_ == nullptr || query_ == nullptr || !query_->Active()) return text;
    THtmlRowWriter rows(*model_, *query_);
    std::string replaced;
    rows.AppendFieldTags(replaced, text, part);
    return AttributeToText(replaced);
}

std::string TFrmFormatColumn::BuildParamQuery() const
{
    std::string joined;
    for (int k = 0; k < columnParamList_.Count(); ++k) {
        if (k > 0) joined += "&";
        joined += Replace(columnParamList_.Strings(k), TUrlPart::Component);
    }
    return joined.empty() ? joined : "?" + joined;
}

std::string TFrmFormatColumn::BuildHyperlinkUrl() const
{
    const std::string url = C<ui::TEdit>("e_url")->Text();
    switch (C<ui::TRadioGroup>("rg_hyperlink")->ItemIndex()) {
    case 1: return Replace(url, TUrlPart::Path);
    case 2: return "mailto:" + Replace(url, TUrlPart::Path);
    case 3: return Replace(url, TUrlPart::Path) + BuildParamQuery();
    default: return {};
    }
}

TFrmFormatColumn::TSample TFrmFormatColumn::BuildSample() const
{
    TSample s;
    if (C<ui::TRadioButton>("rb_image")->Checked()) {
        s.text = "[Image]";
    } else if (C<ui::TRadioButton>("rb_showdata")->Checked()) {
        const db::TFields& fields = query_->Fields();
        const std::string value = column_ >= 0 && column_ < fields.Count()
                                      ? FormatFieldTextPlain(*fields.Fields(column_), columnFormatList_.CommaText())
                                      : std::string();
        s.text = C<ui::TEdit>("e_prefix")->Text() + value + C<ui::TEdit>("e_suffix")->Text();
    } else {
        s.text = C<ui::TEdit>("e_datavalue")->Text();
    }
    s.link = BuildHyperlinkUrl();
    s.image = "<img src=" + Replace(C<ui::TEdit>("e_imgsrc")->Text(), TUrlPart::Path) + ">";
    return s;
}

void TFrmFormatColumn::GenSample()
{
    if (loading_) return;
    StoreFormatControls();
    TSample first, second;
    if (query_ != nullptr && query_->Active()) {
        query_->First();
        if (!query_->Eof()) {
            first = BuildSample();
            query_->Next();
            if (!query_->Eof()) second = BuildSample();
        }
    }
    // The colours and fonts of the page-layout samples.
    auto* head = C<ui::TPanel>("ColHead1");
    auto* row = C<ui::TPanel>("Row1");
    auto* odd = C<ui::TPanel>("OddRow1");
    head->SetColor(look_.HeaderColor);
    if (look_.HeaderFont != nullptr) head->Font()->Assign(*look_.HeaderFont);
    row->SetColor(look_.RowColor);
    odd->SetColor(look_.OddRowColor);
    if (look_.DataFont != nullptr) {
        row->Font()->Assign(*look_.DataFont);
        odd->Font()->Assign(*look_.DataFont);
    }
    C<ui::TPanel>("pn_sample")->SetColor(look_.PageColor);
    for (const char* name : {"SRow1", "oddSRow1"}) {
        auto* shape = C<ui::TShape>(name);
        shape->Brush()->SetColor(look_.PageColor);
        shape->Pen()->SetColor(look_.TextColor);
    }
    C<ui::TLabel>("sample_label")->Font()->SetColor(look_.TextColor);
    for (const char* name : {"LinkRow1", "LinkoddRow1"}) {
        auto* edit = C<ui::TEdit>(name);
        edit->Font()->SetColor(look_.TextColor);
        edit->SetColor(look_.PageColor);
    }

    const classes::TAlignment alignment = AlignmentFromText(C<ui::TComboBox>("cb_align")->Text());
    row->SetAlignment(alignment);
    odd->SetAlignment(alignment);
    head->SetCaption(C<ui::TEdit>("e_header")->Text());
    C<ui::TEdit>("LinkRow1")->SetText(first.link);
    C<ui::TEdit>("LinkoddRow1")->SetText(second.link);
    if (C<ui::TRadioButton>("rb_image")->Checked()) {
        row->SetCaption(first.text.empty() ? std::string() : first.image);
        odd->SetCaption(second.text.empty() ? std::string() : second.image);
        row->SetHint(row->Caption());
        odd->SetHint(odd->Caption());
        row->SetShowHint(true);
        odd->SetShowHint(true);
    } else {
        row->SetCaption(first.text);
        odd->SetCaption(second.text);
        row->SetShowHint(false);
        odd->SetShowHint(false);
    }
}

}  // namespace designer
