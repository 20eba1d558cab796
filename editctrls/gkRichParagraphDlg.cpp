// The paragraph and tab dialogs of the rich-text control.

#include "editctrls/gkRichParagraphDlg.h"

#include <algorithm>
#include <cmath>

#include "grid/Intl.h"
#include "grid/Scanning.h"
#include "grid/StringRoutines.h"
#include "platform/rtl/Formatting.h"
#include "platform/rtl/Scope.h"

namespace editctrls {

namespace {

const grid::TgkDBRichEditIntl& Texts() { return grid::gkIntlDefault().RichEdit; }

std::string OrDefault(const std::string& label, const char* fallback) { return label.empty() ? fallback : label; }

// Line-spacing rules, as the combo's item indexes.
enum { kSingle, kOneAndHalf, kDouble, kAtLeast, kExactly, kMultiple };

std::string NumberText(double value) { return rtl::FloatToStr(std::round(value * 100) / 100); }

}  // namespace

std::optional<int> gkMeasurementInRange(const std::string& text, TgkMeasurementUnits units, int lo, int hi)
{
    std::string number = text;
    grid::gkStripTrailing(number, " 'CMcm");
    if (number.empty() || !grid::gkIsValidFloat(number)) return std::nullopt;
    const int twips = TgkCustomRichEdit::MeasurementTwips(number, units);
    if (twips < lo || twips > hi) return std::nullopt;
    return twips;
}

std::string gkDialogMeasurement(int twips, TgkMeasurementUnits units, bool spacing)
{
    const double steps = spacing ? 100 : (units == muCentimeters ? 20 : 8);
    double value = twips / 1440.0;
    if (units == muCentimeters) value *= 2.54;
    const double bias = 1 / (1.5 * steps);
    value = std::trunc((value + (value < 0 ? -bias : bias)) * steps) / steps;
    return NumberText(value) + (units == muInches ? "''" : " cm");
}

// ---- Paragraph dialog -----------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkRichParagraphDialog, ui::TForm) {}

TgkRichParagraphDialog::TgkRichParagraphDialog(classes::TComponent* owner) : TForm(owner)
{
    RegisterHandler("OKBtnClick", this, &TgkRichParagraphDialog::OKBtnClick);
    RegisterHandler("LineSpacingComboBoxChange", this, &TgkRichParagraphDialog::LineSpacingComboBoxChange);
    RegisterHandler("WithinParagraphEditChange", this, &TgkRichParagraphDialog::WithinParagraphEditChange);
    LoadDescription("gkRichParagraphDlg");
    left_ = Get<ui::TEdit>("LeftEdit");
    right_ = Get<ui::TEdit>("RightEdit");
    firstLine_ = Get<ui::TEdit>("FirstLineEdit");
    before_ = Get<ui::TEdit>("BeforeParagraphEdit");
    after_ = Get<ui::TEdit>("AfterParagraphEdit");
    within_ = Get<ui::TEdit>("WithinParagraphEdit");
    alignment_ = Get<TgkDBComboBox>("AlignmentCombo");
    spacing_ = Get<ui::TComboBox>("LineSpacingComboBox");
    ok_ = Get<ui::TButton>("OKBtn");

    const grid::TgkRichEditParagraphDialogIntl& t = Texts().ParagraphDialog;
    SetCaption(t.ParagraphDlgCaption);
    SetHelpContext(t.HelpContext);
    Get<ui::TGroupBox>("GroupBox1")->SetCaption(t.IndentationGroupBoxCaption);
    Get<ui::TLabel>("Label1")->SetCaption(t.LeftEditCaption);
    Get<ui::TLabel>("Label2")->SetCaption(t.RightEditCaption);
    Get<ui::TLabel>("Label3")->SetCaption(t.FirstLineEditCaption);
    Get<ui::TLabel>("Label4")->SetCaption(t.AlignmentCaption);
    Get<ui::TGroupBox>("SpacingGroup")->SetCaption(t.SpacingGroupCaption);
    Get<ui::TLabel>("BeforeParagraphLabel")->SetCaption(t.BeforeParagraphCaption);
    Get<ui::TLabel>("AfterParagraphLabel")->SetCaption(t.AfterParagraphCaption);
    Get<ui::TLabel>("WithinParagraphLabel")->SetCaption(t.WithinParagraphCaption);
    Get<ui::TLabel>("WithinParagraphAt")->SetCaption(t.WithinParagraphAtCaption);
    ok_->SetCaption(grid::gkIntlDefault().BtnOKCaption);
    Get<ui::TButton>("CancelBtn")->SetCaption(grid::gkIntlDefault().BtnCancelCaption);
    left_->SetHint(t.LeftEditHint);
    right_->SetHint(t.RightEditHint);
    firstLine_->SetHint(t.FirstLineEditHint);
    alignment_->SetHint(t.AlignmentHint);
    for (const std::string& item : {OrDefault(t.SpacingSingle, "Single"), OrDefault(t.Spacing1_5, "1.5 Lines"),
                                    OrDefault(t.SpacingDouble, "Double"), OrDefault(t.SpacingAtLeast, "At least"),
                                    OrDefault(t.SpacingExactly, "Exactly"), OrDefault(t.SpacingMultiple, "Multiple")})
        spacing_->Items()->Add(item);
}

void TgkRichParagraphDialog::SetWithin(const std::string& text)
{
    filling_ = true;
    rtl::TScopeExit done([this] { filling_ = false; });
    within_->SetText(text);
}

void TgkRichParagraphDialog::Setup(TgkCustomRichEdit& edit)
{
    edit_ = &edit;
    filling_ = true;
    rtl::TScopeExit done([this] { filling_ = false; });
    const grid::TgkRichEditParagraphDialogIntl& t = Texts().ParagraphDialog;
    const TgkMeasurementUnits units = edit.MeasurementUnits();
    const TgkRichEditOptions options = edit.EditorOptions();
    SetShowHint(options.Contains(reoShowHints));
    alignment_->Items()->Clear();
    for (const std::string* item : {&t.AlignLeft, &t.AlignCenter, &t.AlignRight}) alignment_->Items()->Add(*item);
    if (options.Contains(reoShowJustifyButton)) alignment_->Items()->Add(t.AlignJustify);

    const ui::rtf::ParaFormat p = edit.Document().ParagraphFormat(edit.SelStart());
    left_->SetText(gkDialogMeasurement(p.leftIndent, units, false));
    firstLine_->SetText(gkDialogMeasurement(p.firstIndent, units, false));
    right_->SetText(gkDialogMeasurement(p.rightIndent, units, false));
    int index = 0;
    switch (p.alignment) {
    case ui::rtf::Alignment::Left: index = 0; break;
    case ui::rtf::Alignment::Center: index = 1; break;
    case ui::rtf::Alignment::Right: index = 2; break;
    case ui::rtf::Alignment::Justify: index = alignment_->Items()->Count() > 3 ? 3 : 0; break;
    }
    alignment_->SetItemIndex(index);

    const bool version1 = edit.ActsAsVersion1();
    for (ui::TWinControl* c : std::initializer_list<ui::TWinControl*>{before_, after_, within_, spacing_})
        c->SetEnabled(!version1);
    if (version1) {
        before_->SetText("0");
        after_->SetText("0");
        within_->SetText("");
        return;
    }
    before_->SetText(gkDialogMeasurement(p.spaceBefore, units, true));
    after_->SetText(gkDialogMeasurement(p.spaceAfter, units, true));
    int rule = kSingle;
    if (p.lineSpacing != 0 && p.lineMultiple)
        rule = p.lineSpacing == 360 ? kOneAndHalf : p.lineSpacing == 480 ? kDouble : kMultiple;
    else if (p.lineSpacing != 0)
        rule = p.lineSpacing > 0 ? kAtLeast : kExactly;
    spacing_->SetItemIndex(rule);
    if (rule == kMultiple)
        within_->SetText(NumberText(p.lineSpacing / 240.0));
    else if (rule == kAtLeast || rule == kExactly)
        within_->SetText(gkDialogMeasurement(std::abs(p.lineSpacing), units, true));
    else
        within_->SetText("");
}

ui::TEdit* TgkRichParagraphDialog::Validate()
{
    const TgkMeasurementUnits units = edit_ != nullptr ? edit_->MeasurementUnits() : muInches;
    for (ui::TEdit* e : {left_, firstLine_, right_, before_, after_, within_}) {
        if (e == within_ && e->Text().empty()) continue;
        if (!gkMeasurementInRange(e->Text(), units, -kMaxMeasurementTwips, kMaxMeasurementTwips)) {
            if (e->CanFocus()) e->SetFocus();
            SetActiveControl(e);
            return e;
        }
    }
    return nullptr;
}

TgkCustomRichEdit::ParagraphSettings TgkRichParagraphDialog::Settings() const
{
    const TgkMeasurementUnits units = edit_ != nullptr ? edit_->MeasurementUnits() : muInches;
    const auto twips = [units](const ui::TEdit* e) {
        return gkMeasurementInRange(e->Text(), units, -kMaxMeasurementTwips, kMaxMeasurementTwips).value_or(0);
    };
    TgkCustomRichEdit::ParagraphSettings s;
    s.mask = (1u << 0) | (1u << 2) | (1u << 3) | (1u << 4) | (1u << 6) | (1u << 7) | (1u << 8);
    const int first = twips(firstLine_);
    const int left = twips(left_);
    s.offset = std::min(-first, left);
    // The first line cannot start left of the margin: a negative start counts as 0.
    s.startIndent = std::max(0, left + first);
    s.rightIndent = twips(right_);
    s.spaceBefore = twips(before_);
    s.spaceAfter = twips(after_);
    s.rule = std::max(0, spacing_->ItemIndex());
    if (s.rule == kMultiple) {
        double number = 0;
        s.spacing = rtl::TryStrToFloat(within_->Text(), number) ? static_cast<int>(number * 20) : 20;
    } else {
        s.spacing = within_->Text().empty() ? 0 : twips(within_);
    }
    const int index = alignment_->ItemIndex();
    s.alignment = index >= 0 ? alignment_->Items()->Strings(index) : std::string();
    return s;
}

void TgkRichParagraphDialog::OKBtnClick(classes::TObject*)
{
    if (Validate() != nullptr) return;
    if (edit_ != nullptr) edit_->SetParagraph(Settings());
    SetModalResult(ui::mrOk);
}

void TgkRichParagraphDialog::LineSpacingComboBoxChange(classes::TObject*)
{
    const TgkMeasurementUnits units = edit_ != nullptr ? edit_->MeasurementUnits() : muInches;
    switch (spacing_->ItemIndex()) {
    case kAtLeast:
    case kExactly: {
        // 12 points: 1/6 inch, rounded to hundredths of the unit.
        const double value = units == muCentimeters ? 2.54 / 6 : 1.0 / 6;
        SetWithin(NumberText(value) + (units == muInches ? "''" : " cm"));
        break;
    }
    case kMultiple: SetWithin("1"); break;
    default: SetWithin(""); break;
    }
}

void TgkRichParagraphDialog::WithinParagraphEditChange(classes::TObject*)
{
    if (filling_ || within_->Text().empty()) return;
    if (spacing_->ItemIndex() >= kSingle && spacing_->ItemIndex() <= kDouble) spacing_->SetItemIndex(kMultiple);
}

bool TgkCustomRichEdit::ParagraphDialog()
{
    TgkRichParagraphDialog dialog(nullptr);
    dialog.Setup(*this);
    const bool ok = dialog.ShowModal() == ui::mrOk;
    if (ok) Change();
    return ok;
}

// ---- Tab dialog -----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkRichTabDialog, ui::TForm) {}

TgkRichTabDialog::TgkRichTabDialog(classes::TComponent* owner) : TForm(owner)
{
    RegisterHandler("OKButtonClick", this, &TgkRichTabDialog::OKButtonClick);
    RegisterHandler("Edit1KeyDown", this, &TgkRichTabDialog::Edit1KeyDown);
    RegisterHandler("Edit1Enter", this, &TgkRichTabDialog::Edit1Enter);
    RegisterHandler("Edit1Exit", this, &TgkRichTabDialog::Edit1Exit);
    LoadDescription("gkRichTabDlg");
    position_ = Get<ui::TEdit>("Edit1");
    list_ = Get<ui::TListBox>("ListBox1");
    ok_ = Get<ui::TButton>("OKButton");
    Get<ui::TButton>("Button1")->OnClick = [this](classes::TObject*) { SetTab(); };
    Get<ui::TButton>("Button2")->OnClick = [this](classes::TObject*) { ClearTab(); };
    Get<ui::TButton>("Button4")->OnClick = [this](classes::TObject*) { ClearAll(); };

    const grid::TgkRichEditTabDialogIntl& t = Texts().TabDialog;
    SetCaption(t.TabDlgCaption);
    SetHelpContext(t.HelpContext);
    Get<ui::TGroupBox>("GroupBox1")->SetCaption(t.TabGroupBoxCaption);
    Get<ui::TButton>("Button1")->SetCaption(t.SetTabButtonCaption);
    Get<ui::TButton>("Button2")->SetCaption(t.ClearTabButtonCaption);
    Get<ui::TButton>("Button4")->SetCaption(t.ClearAllButtonCaption);
    ok_->SetCaption(grid::gkIntlDefault().BtnOKCaption);
    Get<ui::TButton>("Button3")->SetCaption(grid::gkIntlDefault().BtnCancelCaption);
    position_->SetHint(t.TabPositionEditHint);
    list_->SetHint(t.ListBoxHint);
    Get<ui::TButton>("Button1")->SetHint(t.SetButtonHint);
    Get<ui::TButton>("Button2")->SetHint(t.ClearButtonHint);
    Get<ui::TButton>("Button4")->SetHint(t.ClearAllButtonHint);
}

void TgkRichTabDialog::Setup(TgkCustomRichEdit& edit)
{
    edit_ = &edit;
    SetShowHint(edit.EditorOptions().Contains(reoShowHints));
    list_->Items()->Clear();
    for (const int tab : edit.Document().ParagraphFormat(edit.SelStart()).tabs)
        list_->Items()->Add(TgkCustomRichEdit::MeasurementText(tab, edit.MeasurementUnits()));
}

std::vector<int> TgkRichTabDialog::Tabs() const
{
    const TgkMeasurementUnits units = edit_ != nullptr ? edit_->MeasurementUnits() : muInches;
    std::vector<int> tabs;
    for (int i = 0; i < list_->Items()->Count(); ++i)
        tabs.push_back(TgkCustomRichEdit::MeasurementTwips(list_->Items()->Strings(i), units));
    return tabs;
}

bool TgkRichTabDialog::SetTab()
{
    const TgkMeasurementUnits units = edit_ != nullptr ? edit_->MeasurementUnits() : muInches;
    const std::optional<int> twips = gkMeasurementInRange(position_->Text(), units, 0, kMaxMeasurementTwips);
    if (!twips) {
        if (position_->CanFocus()) position_->SetFocus();
        SetActiveControl(position_);
        return false;
    }
    const std::string text = TgkCustomRichEdit::MeasurementText(*twips, units);
    if (list_->Items()->IndexOf(text) < 0) {
        const std::vector<int> tabs = Tabs();
        const auto at = std::find_if(tabs.begin(), tabs.end(), [&](int t) { return t >= *twips; });
        list_->Items()->Insert(static_cast<int>(at - tabs.begin()), text);
    }
    position_->SetText("");
    return true;
}

void TgkRichTabDialog::ClearTab()
{
    for (int i = list_->Items()->Count() - 1; i >= 0; --i)
        if (list_->Selected(i) || (!list_->MultiSelect() && list_->ItemIndex() == i)) list_->Items()->Delete(i);
}

void TgkRichTabDialog::ClearAll() { list_->Items()->Clear(); }

void TgkRichTabDialog::OKButtonClick(classes::TObject*)
{
    if (!position_->Text().empty()) {
        const TgkMeasurementUnits units = edit_ != nullptr ? edit_->MeasurementUnits() : muInches;
        if (!gkMeasurementInRange(position_->Text(), units, -kMaxMeasurementTwips, kMaxMeasurementTwips) ||
            !SetTab()) {
            if (position_->CanFocus()) position_->SetFocus();
            SetActiveControl(position_);
            return;
        }
    }
    if (edit_ != nullptr) {
        TgkCustomRichEdit::ParagraphSettings s;
        s.mask = 1u << 5;
        s.tabs = Tabs();
        edit_->SetParagraph(s);
    }
    SetModalResult(ui::mrOk);
}

void TgkRichTabDialog::Edit1KeyDown(classes::TObject*, ui::TKey& key, ui::TShiftState)
{
    if (key != ui::VK_RETURN) return;
    key = 0;
    if (!position_->Text().empty())
        SetTab();
    else
        OKButtonClick(this);
}

void TgkRichTabDialog::Edit1Enter(classes::TObject*) { ok_->SetDefault(false); }

void TgkRichTabDialog::Edit1Exit(classes::TObject*) { ok_->SetDefault(true); }

bool TgkCustomRichEdit::TabDialog()
{
    TgkRichTabDialog dialog(nullptr);
    dialog.Setup(*this);
    const bool ok = dialog.ShowModal() == ui::mrOk;
    if (ok) Change();
    return ok;
}

}  // namespace editctrls
