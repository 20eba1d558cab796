// The design window's "Page Layout" tab and the preview options: colour schemes and their
// samples, colour edits, the table colour pickers, navigation samples, the background
// picture, split and frame options, and the layout styles.

#include "designer/ColorSchemes.h"
#include "designer/FDesign.h"
#include "designer/LayoutTemplate.h"
#include "framedctrls/FcCmboBx.h"
#include "platform/classes/Font.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/StdCtrls.h"

namespace designer {

namespace {

// The three sets of link labels: their names and the scheme colour each shows.
constexpr struct {
    const char* name;
    int color;
} kLinkLabels[] = {
    {"lbHTMLDefaultText", pcText},
    {"lbHTMLLink", pcLink},
    {"lbHTMLVLink", pcVisitedLink},
    {"lbHTMLALink", pcActiveLink},
};
constexpr const char* kSampleSets[] = {"", "_2", "_3"};

}  // namespace

// ---- Colour schemes --------------------------------------------------------------------------

void TFrmDesign::LoadColorSchemeList()
{
    auto* list = C<ui::TComboBox>("cbxTemplate");
    const std::vector<std::string> names = ColorSchemeNames(SchemeFolder());
    if (!names.empty()) {
        list->Items()->Clear();
        for (const std::string& name : names) list->Items()->Add(name);
    }
    if (list->Items()->Count() > 0) list->SetItemIndex(list->Items()->IndexOf("Simple"));
}

void TFrmDesign::SelectScheme(const std::string& name)
{
    auto* list = C<ui::TComboBox>("cbxTemplate");
    list->SetItemIndex(list->Items()->IndexOf(name));
}

bool TFrmDesign::LoadChosenColorScheme()
{
    if (!scheme_) return false;
    const std::string name = C<ui::TComboBox>("cbxTemplate")->Text();
    if (name.empty() || name == kCustomScheme) return true;
    // A missing or unreadable file warns (naming it) and keeps the colours shown.
    if (!LoadColorScheme(SchemeFolder(), name, *scheme_)) return false;
    for (int n = 1; n <= TExpHtml::ColorCount; ++n) loadedScheme_.SetColor(n, scheme_->Color(n));
    ApplyColorScheme();
    return true;
}

void TFrmDesign::cbxTemplateChange(classes::TObject*) { LoadChosenColorScheme(); }

void TFrmDesign::LoadProjectColors(rtl::TStrings& lines)
{
    if (!scheme_) return;
    scheme_->LoadFromStrings(lines);
    for (int n = 1; n <= TExpHtml::ColorCount; ++n) loadedScheme_.SetColor(n, scheme_->Color(n));
}

void TFrmDesign::ApplyColorScheme()
{
    if (!scheme_) return;
    const TExpHtml& s = *scheme_;
    const auto panel = [this](const std::string& name, rtl::TColor color) {
        if (auto* p = dynamic_cast<ui::TControl*>(FindComponent(name))) p->SetColor(color);
    };
    const auto label = [this](const std::string& name, rtl::TColor color) {
        if (auto* l = dynamic_cast<ui::TControl*>(FindComponent(name))) l->Font()->SetColor(color);
    };
    for (const char* set : kSampleSets) {
        panel(std::string("BackPanel") + set, s.Color(pcPageBackground));
        for (const auto& link : kLinkLabels) label(link.name + std::string(set), s.Color(link.color));
    }
    auto* border = C<framedctrls::TFcColorComboBox>("colorbox_border");
    auto* table = C<framedctrls::TFcColorComboBox>("colorbox_table");
    border->SetSelectedColor(s.Color(pcTableBorder));
    table->SetSelectedColor(s.Color(pcTableBackground));
    panel("TablePanel", table->GetSelectedColor());
    panel("TablePanel_2", table->GetSelectedColor());
    for (int n = 1; n <= 3; ++n) {
        panel("ColHead" + std::to_string(n), s.Color(pcHeaderBackground));
        label("Head" + std::to_string(n), s.Color(pcHeaderText));
    }
    for (int n = 1; n <= 6; ++n) {
        panel("OddRow" + std::to_string(n), s.Color(pcOddRowBackground));
        panel("Row" + std::to_string(n), s.Color(pcRowBackground));
    }
    for (int n = 1; n <= 12; ++n) label("Data" + std::to_string(n), s.Color(pcDataText));
    for (int n = 1; n <= 6; ++n) {
        panel("ColHead" + std::to_string(n) + "_2", s.Color(pcHeaderBackground));
        label("Head" + std::to_string(n) + "_2", s.Color(pcHeaderText));
    }
    for (int n = 1; n <= 3; ++n) {
        panel("OddRow" + std::to_string(n) + "_2", s.Color(pcOddRowBackground));
        panel("Row" + std::to_string(n) + "_2", s.Color(pcRowBackground));
    }
    for (int n = 1; n <= 6; ++n) label("Data" + std::to_string(n) + "_2", s.Color(pcDataText));
}

void TFrmDesign::btSaveTemplateClick(classes::TObject*)
{
    if (!scheme_) return;
    auto* dialog = C<ui::TSaveDialog>("sdTemplate");
    if (!dialog->Execute() || dialog->FileName().empty()) return;
    try {
        scheme_->SaveToFile(dialog->FileName());  // atomic: a failed save keeps the old file
    } catch (const std::exception& e) {
        Warn(e.what());
        return;
    }
    const std::string name = rtl::ChangeFileExt(rtl::ExtractFileName(dialog->FileName()), "");
    auto* list = C<ui::TComboBox>("cbxTemplate");
    if (list->Items()->IndexOf(name) < 0) list->Items()->Add(name);
    list->SetItemIndex(list->Items()->IndexOf(name));
    for (int n = 1; n <= TExpHtml::ColorCount; ++n) loadedScheme_.SetColor(n, scheme_->Color(n));
}

// ---- Colour edits ----------------------------------------------------------------------------

bool TFrmDesign::AskColor(rtl::TColor& color) const
{
    ui::TColorDialogRequest request;
    request.color = color;
    if (!ui::DialogService().AskColor(request)) return false;
    color = request.color;
    return true;
}

void TFrmDesign::ColorEdited(int which, rtl::TColor color, bool repaint)
{
    if (!scheme_) return;
    scheme_->SetColor(which, color);
    SelectScheme(kCustomScheme);
    if (repaint) ApplyColorScheme();
}

void TFrmDesign::BackPanelClick(classes::TObject*)
{
    // Every back panel starts from the first one's colour: the three show the same page.
    rtl::TColor color = C<ui::TPanel>("BackPanel")->Color();
    if (!AskColor(color)) return;
    ColorEdited(pcPageBackground, color, false);
    for (const char* set : kSampleSets) C<ui::TPanel>(std::string("BackPanel") + set)->SetColor(color);
}

void TFrmDesign::LinkLabelClick(classes::TObject* sender)
{
    auto* label = dynamic_cast<ui::TControl*>(sender);
    if (label == nullptr) return;
    int which = 0;
    switch (label->Tag()) {
    case 1: which = pcText; break;
    case 11: which = pcLink; break;
    case 12: which = pcVisitedLink; break;
    case 13: which = pcActiveLink; break;
    default: return;
    }
    rtl::TColor color = label->Font()->Color();
    if (!AskColor(color)) return;
    ColorEdited(which, color);
}

void TFrmDesign::EditSchemeColor(int which)
{
    if (!scheme_) return;
    rtl::TColor color = scheme_->Color(static_cast<decltype(pcRowBackground)>(which));
    if (AskColor(color)) ColorEdited(which, color);
}

void TFrmDesign::ColHeadClick(classes::TObject*) { EditSchemeColor(pcHeaderBackground); }

void TFrmDesign::HeadLabelClick(classes::TObject* sender)
{
    auto* label = dynamic_cast<ui::TControl*>(sender);
    if (label == nullptr) return;
    rtl::TColor color = label->Font()->Color();
    if (AskColor(color)) ColorEdited(pcHeaderText, color);
}

void TFrmDesign::RowPanelClick(classes::TObject*) { EditSchemeColor(pcRowBackground); }

void TFrmDesign::OddRowPanelClick(classes::TObject*) { EditSchemeColor(pcOddRowBackground); }

void TFrmDesign::DataLabelClick(classes::TObject* sender)
{
    auto* label = dynamic_cast<ui::TControl*>(sender);
    if (label == nullptr) return;
    rtl::TColor color = label->Font()->Color();
    if (AskColor(color)) ColorEdited(pcDataText, color);
}

// ---- Table colour pickers ----------------------------------------------------------------------

void TFrmDesign::TablePickerChanged(bool border)
{
    if (!scheme_) return;
    auto* picker = C<framedctrls::TFcColorComboBox>(border ? "colorbox_border" : "colorbox_table");
    const int which = border ? pcTableBorder : pcTableBackground;
    const rtl::TColor color = picker->GetSelectedColor();
    // A colour other than the loaded scheme's makes the choice "Custom" so the next preview
    // keeps it; checked on the change itself, since a keyboard change has no close-up.
    if (color != loadedScheme_.Color(which)) SelectScheme(kCustomScheme);
}

void TFrmDesign::colorbox_tableChange(classes::TObject*)
{
    if (!scheme_) return;
    const rtl::TColor color = C<framedctrls::TFcColorComboBox>("colorbox_table")->GetSelectedColor();
    scheme_->SetColor(pcTableBackground, color);
    C<ui::TPanel>("TablePanel")->SetColor(color);
    C<ui::TPanel>("TablePanel_2")->SetColor(color);
    TablePickerChanged(false);
}

void TFrmDesign::colorbox_borderChange(classes::TObject*)
{
    if (!scheme_) return;
    scheme_->SetColor(pcTableBorder, C<framedctrls::TFcColorComboBox>("colorbox_border")->GetSelectedColor());
    TablePickerChanged(true);
}

void TFrmDesign::colorbox_tableCloseUp(classes::TObject*) { TablePickerChanged(false); }

void TFrmDesign::colorbox_borderCloseUp(classes::TObject*) { TablePickerChanged(true); }

// ---- Navigation samples, background, options -------------------------------------------------

void TFrmDesign::ShowNavigationSamples(const char* combo, const char* img1, const char* img2)
{
    const int index = C<ui::TComboBox>(combo)->ItemIndex();
    C<ui::TControl>(img1)->SetVisible(index == 1);
    C<ui::TControl>(img2)->SetVisible(index == 2);
}

void TFrmDesign::cb_headerChange(classes::TObject*) { ShowNavigationSamples("cb_header", "header_img1", "header_img2"); }

void TFrmDesign::cb_footerChange(classes::TObject*) { ShowNavigationSamples("cb_footer", "footer_img1", "footer_img2"); }

void TFrmDesign::btHTMLBackGroundClick(classes::TObject*)
{
    auto* dialog = C<ui::TOpenDialog>("opdHTMLBackground");
    if (dialog->Execute()) C<ui::TEdit>("edHTMLBackGround")->SetText(dialog->FileName());
}

void TFrmDesign::EnableSplitOptions()
{
    const bool split = C<ui::TCheckBox>("cbHTMLMaxRecords")->Checked();
    const bool frames = C<ui::TCheckBox>("cb_frame")->Checked();
    C<ui::TControl>("seHTMLMaxRecords")->SetEnabled(split);
    C<ui::TControl>("cb_frame")->SetEnabled(split);
    // The border only means something when there are frames to draw it between.
    C<ui::TControl>("cb_frameborder")->SetEnabled(split && frames);
}

void TFrmDesign::cbHTMLMaxRecordsClick(classes::TObject*)
{
    EnableSplitOptions();
    ShowRefreshNotice();
}

void TFrmDesign::cb_frameClick(classes::TObject*)
{
    EnableSplitOptions();
    ShowRefreshNotice();
}

void TFrmDesign::cb_frameborderClick(classes::TObject*) { ShowRefreshNotice(); }

void TFrmDesign::seHTMLMaxRecordsChange(classes::TObject*) { ShowRefreshNotice(); }

// The form and every saved project name this handler, so it stays; the header's text is read
// when the pages are written, so a change needs nothing at once.
void TFrmDesign::mmHTMLHeaderChange(classes::TObject*) {}

// ---- Layout styles ---------------------------------------------------------------------------

void TFrmDesign::LoadLayoutStyleList()
{
    LoadingStyleList = true;
    auto* list = C<ui::TComboBox>("cb_style");
    list->Items()->Clear();
    list->Items()->Add("Report Style1");
    list->Items()->Add("Report Style2");
    for (const std::string& name : LayoutStyleNames(host_.layoutStylesDir)) list->Items()->Add(name);
    LoadingStyleList = false;
    list->SetItemIndex(0);
}

void TFrmDesign::cb_styleChange(classes::TObject*)
{
    if (LoadingStyleList) return;
    auto* list = C<ui::TComboBox>("cb_style");
    if (list->ItemIndex() < 0) list->SetItemIndex(0);
    if (list->ItemIndex() > 1) LoadLayoutStyle();
    const int index = list->ItemIndex();
    C<ui::TPageControl>("pc_layout")->SetActivePageIndex(index <= 1 ? index : 2);
}

void TFrmDesign::LoadLayoutStyle()
{
    auto* list = C<ui::TComboBox>("cb_style");
    if (LoadingStyleList || list->ItemIndex() < 2) return;
    auto* templateText = C<ui::TListBox>("TempStyleText")->Items();
    auto* preview = C<ui::TImage>("style_preview");
    const std::optional<TLayoutStyle> style = designer::LoadLayoutStyle(host_.layoutStylesDir, list->Text());
    if (!style) {
        templateText->Clear();
        styleText_.clear();
        list->SetItemIndex(0);
        C<ui::TPageControl>("pc_layout")->SetActivePageIndex(0);
        Warn(kCanNotLoadStyle);
        return;
    }
    templateText->SetText(style->templateText);
    styleText_ = style->templateText;
    // A picture that cannot be read leaves the preview empty; it is only a sample.
    try {
        if (style->previewPath.empty())
            preview->Picture()->Clear();
        else
            preview->Picture()->LoadFromFile(style->previewPath);
    } catch (const std::exception&) {
        preview->Picture()->Clear();
    }
    ApplyLayoutTemplate(style->templateText, TTemplateMode::Settings, columns_);
    RebuildColumnList("Update");
}

}  // namespace designer
