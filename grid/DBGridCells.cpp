// The controls TgkCustomDBGrid shows over its cells: the per-column cache of control types,
// the lookup of a cell's control (a custom control named in the column's control type, or
// the grid's date-time picker for date-time fields) and its placement over the current cell.

#include <algorithm>

#include "grid/DBGrid.h"
#include "grid/GridState.h"
#include "grid/GridRoutines.h"
#include "grid/StringRoutines.h"
#include "platform/db/Fields.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"

namespace grid {

namespace {

// The control types whose third ";" part names a control of the form.
bool IsCustomControlType(std::string_view type)
{
    for (std::string_view known : {"CustomEdit", "LookupCombo", "Combo", "RichEdit"})
        if (gkEqualText(type, known)) return true;
    return false;
}

std::vector<std::string> SplitSemicolons(std::string_view text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(';', start);
        parts.emplace_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return parts;
}

}  // namespace

rtl::TStrings* TgkCustomDBGrid::ControlTypeList()
{
    db::TDataSet* ds = d_->dataLink->DataSet();
    if (d_->controlInfoInDataset && ds != nullptr)
        if (rtl::TStrings* list = gkGetControlTypeList(ds)) return list;
    return &d_->controlType;
}

void TgkCustomDBGrid::RefreshColInfoCache()
{
    d_->colInfoCache.clear();
    for (int col = 0; col < ColCount(); ++col) {
        TgkCacheColInfoItem item;
        if (const db::TField* field = GetColField(col - d_->indicatorOffset)) {
            GetControlInfo(field->FieldName(), item.ControlType, item.ControlParameters);
            if (IsCustomControlType(item.ControlType)) {
                const std::vector<std::string> parts = SplitSemicolons(item.ControlParameters);
                item.ShowAlways = parts.size() > 1 && parts[1] == "T";
                ui::TWinControl* control = nullptr;
                if (FindCellControl(col, d_->titleOffset, control) && control != GridDateTimePicker()) {
                    item.Control = control;
                } else {
                    item.ShowAlways = false;
                    item.ControlType.clear();
                }
            }
        }
        d_->colInfoCache.push_back(std::move(item));
    }
}

bool TgkCustomDBGrid::GetCheckBoxValues(int col, int row, std::string& checkedValue, std::string& uncheckedValue)
{
    if (d_->dataLink->DataSet() == nullptr || GetDataRow(row) < 0) return false;
    const db::TField* field = GetColField(GetDataColumn(col));
    const rtl::TStrings* list = ControlTypeList();
    if (field == nullptr || list == nullptr) return false;
    for (int i = 0; i < list->Count(); ++i) {
        const std::vector<std::string> parts = SplitSemicolons(list->Strings(i));
        if (parts.size() < 4 || parts[0] != field->FieldName() || parts[1] != "CheckBox") continue;
        checkedValue = parts[2];
        uncheckedValue = parts[3];
        return true;
    }
    return false;
}

bool TgkCustomDBGrid::IsSelectedCheckColumn(int col)
{
    std::string checkedValue, uncheckedValue;
    if (!GetCheckBoxValues(col, d_->titleOffset, checkedValue, uncheckedValue)) return false;
    const db::TField* field = GetColField(GetDataColumn(col));
    return field != nullptr && rtl::AnsiLowerCase(field->FieldName()) == "selected";
}

bool TgkCustomDBGrid::FindCellControl(int col, int row, ui::TWinControl*& control)
{
    if (d_->editControlOptions.Contains(ecoDisableCustomControls)) return false;
    if (col < d_->indicatorOffset || col >= ColCount() || row < d_->titleOffset || row >= RowCount()) return false;
    db::TField* field = GetColField(col - d_->indicatorOffset);
    if (field == nullptr) return false;
    const std::string fieldName = field->FieldName();
    if (const rtl::TStrings* list = ControlTypeList()) {
        for (int i = 0; i < list->Count(); ++i) {
            const std::vector<std::string> parts = SplitSemicolons(list->Strings(i));
            if (parts.size() < 3 || parts[0] != fieldName || !IsCustomControlType(parts[1])) continue;
            if (ui::TWinControl* found = FindCustomControl(parts[2])) {
                const ui::TCustomForm* form = ui::GetParentForm(found);
                if (form != nullptr && form->InheritsFrom("TgkRecordViewForm")) break;
                control = found;
                return true;
            }
            break;
        }
    }
    ui::TWinControl* picker = GridDateTimePicker();
    if (picker != nullptr && !d_->editControlOptions.Contains(ecoDisableDateTimePicker) &&
        dynamic_cast<db::TDateTimeField*>(field) != nullptr) {
        control = picker;
        return true;
    }
    return false;
}

ui::TWinControl* TgkCustomDBGrid::FindCustomControl(const std::string& name)
{
    if (name.empty()) return nullptr;
    classes::TComponent* root = nullptr;
    if (d_->editControlOptions.Contains(ecoSearchOwnerForm)) {
        for (classes::TComponent* c = Owner(); c != nullptr && root == nullptr; c = c->Owner())
            if (dynamic_cast<ui::TCustomForm*>(c) != nullptr || c->InheritsFrom("TCustomFrame")) root = c;
    } else {
        root = ui::GetParentForm(this);
    }
    if (root == nullptr) return nullptr;
    classes::TComponent* found = nullptr;
    const std::size_t dot = name.find('.');
    if (dot == std::string::npos) {
        found = root->FindComponent(name);
    } else {
        const std::string outer = name.substr(0, dot), inner = name.substr(dot + 1);
        classes::TComponent* first = root->FindComponent(outer);
        if (first != nullptr && first->InheritsFrom("TCustomFrame")) {
            found = first->FindComponent(inner);
        } else {
            db::TDataSet* ds = d_->dataLink->DataSet();
            if (ds != nullptr && ds->Owner() != nullptr) found = ds->Owner()->FindComponent(inner);
        }
    }
    return dynamic_cast<ui::TWinControl*>(found);
}

bool TgkCustomDBGrid::CustomControlsShown()
{
    if (d_->editControlOptions.Contains(ecoDisableCustomControls) || gkIsDesigning(this) ||
        d_->options.Contains(dgRowSelect))
        return false;
    return Focused() || d_->hasFocus || ShowControlsAlways;
}

void TgkCustomDBGrid::PlaceCellControl()
{
    ui::TWinControl* control = nullptr;
    if (!FindCellControl(Col(), Row(), control)) return;
    if (!CustomControlsShown() && !control->InheritsFrom("TgkExpandButton")) return;
    SetPlacedControl(control);
    if (gkIsDesigning(this) || control->Parent() != this) return;
    ui::TRect r = CellRect(Col(), Row());
    if (UseRightToLeftGrid()) {
        const int width = r.Width();
        r.Left = ClientWidth() - r.Right + 1;
        r.Right = r.Left + width;
    }
    if (control->Left() != r.Left || control->Top() != r.Top || control->Width() != r.Width() ||
        control->Height() != r.Height())
        control->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

}  // namespace grid
