// The page-setup form: showing the values, checking the margins on OK, placing itself.

#include "editctrls/gkPageSetupDlg.h"

#include <cmath>
#include <optional>
#include <string>

#include "platform/rtl/Formatting.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Printer.h"

namespace editctrls {

namespace {

constexpr const char* kMarginEdits[] = {"LeftEdit", "TopEdit", "RightEdit", "BottomEdit"};
constexpr double kMaxMargin = 100;  // units; a margin beyond any paper

int* Side(TgkPageSetupValues& v, int side)
{
    int* sides[] = {&v.left, &v.top, &v.right, &v.bottom};
    return sides[side];
}

// A margin as typed: a number of units from 0 to kMaxMargin, else nothing.
std::optional<int> ReadMargin(const std::string& text)
{
    double value = 0;
    if (!rtl::TryStrToFloat(rtl::Trim(text), value) || !std::isfinite(value) || value < 0 || value > kMaxMargin)
        return std::nullopt;
    return static_cast<int>(std::lround(value * 1000));
}

}  // namespace

GW_IMPLEMENT_CLASS(TgkPageSetupDlg, ui::TForm) {}

TgkPageSetupDlg::TgkPageSetupDlg(classes::TComponent* owner) : TForm(owner)
{
    RegisterHandler("FormShow", this, &TgkPageSetupDlg::FormShow);
    RegisterHandler("OKBtnClick", this, &TgkPageSetupDlg::OKBtnClick);
    LoadDescription("gkPageSetupDlg");
}

ui::TEdit* TgkPageSetupDlg::MarginEdit(int side) const { return Get<ui::TEdit>(kMarginEdits[side]); }

void TgkPageSetupDlg::SetValues(const TgkPageSetupValues& values)
{
    values_ = values;
    auto* paper = Get<ui::TComboBox>("PaperBox");
    paper->Items()->Clear();
    paperCodes_.clear();
    int selected = -1;
    for (const ui::TPaperSize& p : ui::PaperSizes()) {
        if (p.code == values.paper) selected = static_cast<int>(paperCodes_.size());
        paper->Items()->Add(p.name);
        paperCodes_.push_back(p.code);
    }
    if (selected < 0) {
        // A code of another printer's: kept, so that OK hands it back unchanged.
        selected = static_cast<int>(paperCodes_.size());
        paper->Items()->Add("Paper " + std::to_string(values.paper));
        paperCodes_.push_back(values.paper);
    }
    paper->SetItemIndex(selected);
    paper->SetEnabled(values.paperEnabled);
    Get<ui::TLabel>("PaperLabel")->SetEnabled(values.paperEnabled);
    Get<ui::TRadioGroup>("OrientationGroup")->SetItemIndex(values.orientation == ui::poLandscape ? 1 : 0);
    Get<ui::TGroupBox>("MarginsGroup")->SetCaption(values.inches ? "Margins (inches)" : "Margins (centimeters)");
    TgkPageSetupValues shown = values;
    for (int side = 0; side < 4; ++side) MarginEdit(side)->SetText(rtl::FloatToStr(*Side(shown, side) / 1000.0));
}

TgkPageSetupValues TgkPageSetupDlg::Values() const
{
    TgkPageSetupValues v = values_;
    for (int side = 0; side < 4; ++side)
        if (const std::optional<int> margin = ReadMargin(MarginEdit(side)->Text())) *Side(v, side) = *margin;
    const int index = Get<ui::TComboBox>("PaperBox")->ItemIndex();
    if (v.paperEnabled && index >= 0 && index < static_cast<int>(paperCodes_.size()))
        v.paper = paperCodes_[static_cast<std::size_t>(index)];
    v.orientation = Get<ui::TRadioGroup>("OrientationGroup")->ItemIndex() == 1 ? ui::poLandscape : ui::poPortrait;
    return v;
}

void TgkPageSetupDlg::OKBtnClick(classes::TObject*)
{
    for (int side = 0; side < 4; ++side) {
        ui::TEdit* edit = MarginEdit(side);
        if (ReadMargin(edit->Text())) continue;
        SetActiveControl(edit);
        edit->SelectAll();
        return;
    }
    SetModalResult(ui::mrOk);
}

void TgkPageSetupDlg::FormShow(classes::TObject*)
{
    const ui::TRect area = ui::Screen().WorkAreaRect();
    SetLeft(area.Left + (area.Width() - Width()) / 2);
    SetTop(area.Top + (area.Height() - Height()) / 3);
}

}  // namespace editctrls
