#include "grid/PublishedDBGrid.h"

#include <algorithm>

#include "grid/CellControls.h"
#include "grid/GridRoutines.h"
#include "grid/IndicatorButton.h"
#include "grid/StringRoutines.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Screen.h"

namespace grid {

namespace {

TgkDateTimePickerCreator& PickerCreator()
{
    static TgkDateTimePickerCreator creator;
    return creator;
}

bool HasCalculatedField(const db::TDataSet& ds)
{
    for (int i = 0; i < ds.FieldCount(); ++i)
        if (ds.Fields()[i]->FieldKind() == db::fkCalculated) return true;
    return false;
}

}  // namespace

TgkDateTimePickerCreator SetDateTimePickerCreator(TgkDateTimePickerCreator creator)
{
    TgkDateTimePickerCreator previous = std::move(PickerCreator());
    PickerCreator() = std::move(creator);
    return previous;
}

GW_IMPLEMENT_CLASS(TgkDBGrid, TgkCustomDBGrid)
{
    using G = TgkDBGrid;
    p.Set("MemoAttributes", MemoAttributeInfo(), &G::MemoAttributes, &G::SetMemoAttributes,
          TgkMemoAttributes{mSizeable, mWordWrap});
    p.Object("IniAttributes", [](const G& g) { return g.IniAttributes(); });
    p.Object("ExportOptions", [](const G& g) { return g.ExportOptions(); });
    // The form's value always goes with it, as the title colour's does.
    p.Integer("FixedCols", &G::GkFixedCols, &G::SetGkFixedCols, 0).AlwaysStored();
    p.Boolean("LoadAllRTF", &G::LoadAllRTF, &G::SetLoadAllRTF, false);
    p.Enumeration("BorderStyle", ui::BorderStyleInfo(), &G::BorderStyle, &G::SetBorderStyle, ui::bsNone);
    p.Integer("DragCursor", &G::DragCursor, &G::SetDragCursor, ui::crDrag);
    ui::PublishStored(p, ui::TStoredProp::BiDiMode);
    ui::PublishStored(p, ui::TStoredProp::Ctl3D);
    ui::PublishStored(p, ui::TStoredProp::ImeMode);
    ui::PublishStored(p, ui::TStoredProp::Constraints);
    p.Event("OnExportField", &G::OnExportField);
    p.Event("OnMemoOpen", &G::OnMemoOpen);
    p.Event("OnMemoClose", &G::OnMemoClose);
    p.Event("OnMultiSelectAllRecords", &G::OnMultiSelectAllRecords);
    p.Event("OnMultiSelectRecord", &G::OnMultiSelectRecord);
    p.Event("OnCreateDateTimePicker", &G::OnCreateDateTimePicker);
}

TgkDBGrid::TgkDBGrid(classes::TComponent* owner) : TgkCustomDBGrid(owner)
{
    iniAttributes_ = std::make_unique<TgkIniAttributes>(this);
    exportOptions_ = std::make_unique<TgkExportOptions>(this);
    for (db::TVariant& v : changedFlags_) v = db::TVariant(false);
}

TgkDBGrid::~TgkDBGrid()
{
    destroying_ = true;
    SaveSettingsOnce();
    SetPlacedControl(nullptr);
    delete picker_;
    picker_ = nullptr;
    FreeSelectedRecords();
}

void TgkDBGrid::FreeSelectedRecords()
{
    db::TDataSet* ds = DataLink().DataSet();
    for (db::TBookmark& b : selectedRecords_)
        if (ds != nullptr) ds->FreeBookmark(b);
    selectedRecords_.clear();
}

void TgkDBGrid::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TgkCustomDBGrid::Notification(component, operation);
    if (operation != classes::opRemove) return;
    if (component == picker_) picker_ = nullptr;
    if (component == richTextReader_) richTextReader_ = nullptr;
    if (component == PlacedControl()) SetPlacedControl(nullptr);
}

// ---- Properties -------------------------------------------------------------------------------------------

void TgkDBGrid::SetMemoAttributes(TgkMemoAttributes v)
{
    memoAttributes_ = v;
    // While a form is read the link is not active yet; it activates later.
    if (DataLink().Active()) LinkActivated();
}

void TgkDBGrid::SetGkFixedCols(int value)
{
    if (gkIsDesigning(this) && !Loading()) {
        const int indicator = Options().Contains(dgIndicator) ? 1 : 0;
        if (value < 0 || (IsActiveDataSet() && indicator + value >= ColCount())) {
            ui::MessageDlg("Invalid value for FixedCols", ui::mtWarning, {ui::mbOK});
            return;
        }
    }
    if (value == fixedCols_) return;
    fixedCols_ = value;
    LayoutChanged();
}

void TgkDBGrid::UpdateFixedCols()
{
    if (!IsActiveDataSet()) return;
    const int wanted = (Options().Contains(dgIndicator) ? 1 : 0) + fixedCols_;
    if (fixedCols_ >= 0 && wanted != FixedCols() && wanted < ColCount()) {
        SetFixedCols(wanted);
        if (Options().Contains(dgFixedEditable) && LeftCol() == FixedCols()) SetLeftCol(FixedCols());
    }
    for (int col = 0; col < FixedCols(); ++col) SetTabStops(col, false);
}

// ---- Life cycle ---------------------------------------------------------------------------------------------

void TgkDBGrid::Loaded()
{
    if (const ui::TCustomForm* form = ui::GetParentForm(this)) iniAttributes_->ParentFormName = form->Name();
    TgkCustomDBGrid::Loaded();
    if (!customControlsPrepared_) PrepareCustomControls();
}

void TgkDBGrid::PrepareCustomControls()
{
    customControlsPrepared_ = true;
    if (HandleAllocated()) RefreshColInfoCache();
}

// ---- The column list ----------------------------------------------------------------------------------------

void TgkDBGrid::ApplySelected()
{
    ResetColumnState();
    if (UseTFields()) {
        db::TDataSource* source = DataSource();
        db::TDataSet* ds = source != nullptr ? source->DataSet() : nullptr;
        if (ds == nullptr) return;
        gkApplySelectedToFields(*ds, *Selected());
        if (Selected()->Count() > 0) LayoutChanged();
    } else {
        customControlsPrepared_ = false;
        PrepareCustomControls();
        LayoutChanged();
    }
    UpdateCellControl();
}

void TgkDBGrid::LinkActivated()
{
    if (linkActivating_) return;
    db::TDataSource* source = DataSource();
    db::TDataSet* ds = source != nullptr ? source->DataSet() : nullptr;
    if (ds == nullptr) return;
    linkActivating_ = true;
    const rtl::TScopeExit done([this] { linkActivating_ = false; });
    ResetColumnState();
    if (Options().Contains(dgProportionalColResize)) LayoutChanged();
    PrepareCustomControls();
    {
        // The controls come back also when applying the list fails.
        ds->DisableControls();
        const rtl::TScopeExit enable([ds] { ds->EnableControls(); });
        SetPlacedControl(nullptr);
        if (ControlInfoInDataset())
            gkRemoveStaleControlInfo(*ds, gkGetLookupFields(ds), gkGetLookupLinks(ds), gkGetControlTypeList(ds));
        if (Selected()->Count() > 0 && (gkIsDesigning(this) || !HasCalculatedField(*ds))) ApplySelected();
    }
}

void TgkDBGrid::LinkActive(bool value)
{
    // A data set going away with the form takes the shown fields with it: save them now.
    if (!value && IsDestroying()) SaveSettingsOnce();
    if (picker_ != nullptr) gkSetDataField(picker_, std::string());
    TgkCustomDBGrid::LinkActive(value);
    if (value) LinkActivated();
}

void TgkDBGrid::LayoutChanged()
{
    // Selected is not rewritten from the shown fields: that serves a form designer, and forms
    // are not designed in this program, so the list stays as the program filled it.
    UpdateFixedCols();
    TgkCustomDBGrid::LayoutChanged();
    // The core keeps the fixed count it had; a count that was out of range before the
    // columns existed applies now.
    UpdateFixedCols();
    if (!DataLink().Active() || !HandleAllocated()) return;
    const auto& cache = ColInfoCache();
    for (int col = IndicatorOffset(); col < ColCount(); ++col) {
        const db::TField* field = GetColField(col - IndicatorOffset());
        if (field == nullptr) continue;
        const std::string type =
            col < static_cast<int>(cache.size()) ? cache[static_cast<std::size_t>(col)].ControlType : std::string();
        const bool calculatedWithControl =
            field->FieldKind() == db::fkCalculated && col < static_cast<int>(cache.size()) &&
            cache[static_cast<std::size_t>(col)].Control != nullptr;
        const bool selectedCheck =
            gkEqualText(type, "CheckBox") && rtl::AnsiLowerCase(field->FieldName()) == "selected";
        if (calculatedWithControl || selectedCheck || type == "Bitmap" || type == "ImageIndex")
            SetTabStops(col, true);
    }
    UpdateCellControl();
}

void TgkDBGrid::GetControlInfo(const std::string& fieldName, std::string& controlType, std::string& parameters)
{
    TgkCustomDBGrid::GetControlInfo(fieldName, controlType, parameters);
    if (EditControlOptions().Contains(ecoDisableCustomControls) && gkIsCustomEditType(controlType))
        controlType.clear();
}

void TgkDBGrid::RecordMoved()
{
    TgkCustomDBGrid::RecordMoved();
    UpdateCellControl();
}

void TgkDBGrid::SelectionMoved(const ui::TGridRect& oldSelection)
{
    TgkCustomDBGrid::SelectionMoved(oldSelection);
    // The control of the cell left goes; the new cell's is placed.
    HideCellControl();
    UpdateCellControl();
}

void TgkDBGrid::TopLeftChanged()
{
    TgkCustomDBGrid::TopLeftChanged();
    if (ui::TWinControl* control = PlacedControl(); control != nullptr && control->Visible()) {
        const ui::TRect cell = CellRect(Col(), Row());
        if (cell.Width() <= 0 || cell.Height() <= 0) {
            HideCellControl();
        } else if (control->BoundsRect() != cell) {
            HideCellControl();
            Invalidate();
        }
    }
    UpdateCellControl();
}

void TgkDBGrid::RecordChanged(db::TField* field)
{
    const db::TDataSet* ds = DataLink().DataSet();
    if (field != nullptr && ds != nullptr && (ds->State() == db::dsEdit || ds->State() == db::dsInsert))
        changedFlags_[0] = db::TVariant(true);
    TgkCustomDBGrid::RecordChanged(field);
}

// ---- Cells ----------------------------------------------------------------------------------------------------

bool TgkDBGrid::IsControlCell(int col, int row)
{
    if (GetDataRow(row) < 0) return false;
    db::TField* field = GetColField(GetDataColumn(col));
    if (field == nullptr) return false;
    std::string type, parameters;
    GetControlInfo(field->FieldName(), type, parameters);
    if (type == "Bitmap" || type == "ImageIndex" || gkEqualText(type, "CheckBox")) return true;
    if (gkIsCustomEditType(type)) {
        ui::TWinControl* control = nullptr;
        if (FindCellControl(col, row, control) && control != picker_) return true;
    }
    return !EditControlOptions().Contains(ecoDisableDateTimePicker) &&
           dynamic_cast<db::TDateTimeField*>(field) != nullptr;
}

bool TgkDBGrid::IsCustomCell(int col, int row)
{
    ui::TWinControl* control = nullptr;
    if (!FindCellControl(col, row, control)) return false;
    return control != picker_ || PickerMayShow();
}

std::string TgkDBGrid::GetFieldValue(int dataCol) { return CellText(CellTextSource(dataCol)); }

TgkCellTextSource TgkDBGrid::CellTextSource(int dataCol)
{
    using TKind = TgkCellTextSource::TKind;
    TgkCellTextSource source;
    db::TField* field = GetColField(dataCol);
    if (field == nullptr) return source;
    source.field = field;
    if ((source.richText = RichTextReaderFor(*field)) != nullptr) {
        source.kind = TKind::RichText;
        return source;
    }
    if (field->DataType() == db::ftMemo || field->DataType() == db::ftOraClob) {
        source.kind = TKind::Memo;
        return source;
    }
    source.kind = TKind::Field;
    source.texts.emplace(*field);
    ui::TWinControl* control = nullptr;
    if (FindCellControl(dataCol + IndicatorOffset(), TitleOffset(), control) && control != picker_) {
        if ((source.control = dynamic_cast<const IgkGridCellControl*>(control)) != nullptr) source.kind = TKind::Control;
    }
    return source;
}

std::string TgkDBGrid::CellText(const TgkCellTextSource& source)
{
    using TKind = TgkCellTextSource::TKind;
    switch (source.kind) {
    case TKind::None: return {};
    case TKind::RichText: return source.richText->PlainTextOf(*source.field, loadAllRTF_);
    case TKind::Memo: {
        const db::TDataSet* ds = source.field->DataSet();
        if (ds != nullptr && ds->Bof() && ds->Eof() && ds->State() != db::dsInsert) return {};
        return memoAttributes_.Contains(mGridShow) ? source.field->AsString() : std::string("(Memo)");
    }
    case TKind::Control:
        if (std::optional<std::string> text = source.control->GridCellText(*source.field)) return std::move(*text);
        break;
    case TKind::Field: break;
    }
    return source.texts->Text();
}

IgkRichTextReader* TgkDBGrid::RichTextReaderFor(db::TField& field)
{
    if (dynamic_cast<db::TBlobField*>(&field) == nullptr) return nullptr;
    std::string type, parameters;
    GetControlInfo(field.FieldName(), type, parameters);
    if (!gkEqualText(type, "RichEdit")) return nullptr;
    if (richTextReader_ == nullptr) richTextReader_ = gkCreateRichTextReader(this);
    return dynamic_cast<IgkRichTextReader*>(richTextReader_);
}

rtl::TColor TgkDBGrid::GetGridColor(int col) const
{
    // The base grid's fixed count is the indicator plus FixedCols once they apply.
    return col >= FixedCols() ? Color() : TitleColor();
}

bool TgkDBGrid::CanEditShow()
{
    if (IsMemoCell(Col(), Row()) || IsControlCell(Col(), Row())) return false;
    if (Options().Contains(dgAlwaysShowEditor) && InplaceEditor() != nullptr && !InplaceEditor()->Visible() &&
        !Focused())
        return false;
    return TgkCustomDBGrid::CanEditShow();
}

bool TgkDBGrid::PickerMayShow()
{
    return !EditControlOptions().Contains(ecoDisableCustomControls) && (CanEdit() || ShowControlsAlways) &&
           !gkIsDesigning(this) && !Options().Contains(dgRowSelect);
}

ui::TWinControl* TgkDBGrid::CreateDateTimePicker()
{
    classes::TComponent* made = nullptr;
    if (PickerCreator()) {
        made = PickerCreator()(*this);
    } else if (const classes::TClassInfo* info = classes::FindClassInfo("TgkDBDateTimePicker");
               info != nullptr && info->CanCreateComponent()) {
        made = info->CreateComponent(this);
    }
    if (made == nullptr) return nullptr;
    auto* picker = dynamic_cast<ui::TWinControl*>(made);
    if (picker == nullptr || classes::FindProperty(*picker, "ReadOnly") == nullptr ||
        classes::FindProperty(*picker, "DataSource") == nullptr ||
        classes::FindProperty(*picker, "DataField") == nullptr) {
        delete made;
        throw rtl::EInvalidOperation(
            "The date-time picker must be a windowed control with ReadOnly, DataSource and DataField");
    }
    if (picker->Owner() != this) {
        if (picker->Owner() != nullptr) picker->Owner()->RemoveComponent(picker);
        InsertComponent(picker);
    }
    return picker;
}

void TgkDBGrid::DoCreateDateTimePicker()
{
    if (OnCreateDateTimePicker) OnCreateDateTimePicker(this, picker_);
}

// The grid's date-time picker made (once) and bound to `field`, read-only when the cell
// is; False when no picker can be made.
bool TgkDBGrid::PreparePicker(db::TField& field)
{
    if (picker_ == nullptr) {
        picker_ = CreateDateTimePicker();
        if (picker_ == nullptr) return false;
        DoCreateDateTimePicker();
        if (picker_ == nullptr) return false;
    }
    picker_->SetVisible(false);
    if (picker_->Parent() != this) picker_->SetParent(this);
    if (gkGetDataSource(picker_) != DataSource()) gkSetDataSource(picker_, DataSource());
    if (!gkEqualText(gkGetDataField(picker_), field.FieldName())) gkSetDataField(picker_, field.FieldName());
    gkSetBorderStyle(picker_, false);
    // Read-only also whenever the grid cannot edit: a picker shown over a read-only grid
    // (the always-show flag) would otherwise write dates into it.
    const bool readOnly = field.ReadOnly() || ColumnEntryPart(field.FieldName(), 3) == "T" || !CanEdit();
    classes::SetPropValue(*picker_, "ReadOnly", classes::TPropValue(readOnly));
    return true;
}

// The picker placed over the current cell.
void TgkDBGrid::PlacePicker()
{
    SetPlacedControl(picker_);
    ui::TRect r = CellRect(Col(), Row());
    if (UseRightToLeftGrid()) {
        const int width = r.Width();
        r.Left = ClientWidth() - r.Right + 1;
        r.Right = r.Left + width;
    }
    if (picker_->Left() != r.Left || picker_->Top() != r.Top || picker_->Width() != r.Width() ||
        picker_->Height() != r.Height())
        picker_->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TgkDBGrid::UpdateCellControl()
{
    if (gkIsDesigning(this) || Options().Contains(dgRowSelect) || !DataLink().Active()) return;
    ui::TWinControl* control = nullptr;
    if (FindCellControl(Col(), Row(), control) && control != picker_ &&
        (CustomControlsShown() || control->InheritsFrom("TgkExpandButton"))) {
        TgkCustomDBGrid::PlaceCellControl();
        return;
    }
    if (EditControlOptions().Contains(ecoDisableDateTimePicker)) return;
    db::TField* field = SelectedField();
    if (dynamic_cast<db::TDateTimeField*>(field) == nullptr) return;
    if (!PreparePicker(*field)) return;
    if (PickerMayShow()) PlacePicker();
    if (!picker_->HandleAllocated() && HandleAllocated()) picker_->CreatePeers();
    picker_->Perform(ui::WM_SIZE, 0, 0);
}

void TgkDBGrid::PlaceCellControl()
{
    ui::TWinControl* control = nullptr;
    if (FindCellControl(Col(), Row(), control) && control == picker_) {
        UpdateCellControl();
        return;
    }
    TgkCustomDBGrid::PlaceCellControl();
}

void TgkDBGrid::HideCellControl()
{
    ui::TWinControl* control = PlacedControl();
    SetPlacedControl(nullptr);
    placedByPaint_ = false;
    if (control == nullptr || !control->Visible() || control->Parent() != this || hidingControl_) return;
    hidingControl_ = true;
    const rtl::TScopeExit done([this] { hidingControl_ = false; });
    const ui::TWinControl* active = ui::Screen().ActiveControl();
    if (control->Focused() || (active != nullptr && active != control && control->ContainsControl(active))) {
        control->SetLeft(ClientWidth() + 10);
        if (CanFocus()) SetFocus();
    }
    control->SetVisible(false);
}

void TgkDBGrid::ShowCustomControl()
{
    if (!(Focused() || HasFocus() || ShowControlsAlways)) return;
    const bool alwaysEdit = Options().Contains(dgAlwaysShowEditor);
    if (alwaysEdit && !IsMemoCell(Col(), Row()) && !IsCustomCell(Col(), Row())) {
        // A cell the grid edits itself: its own editor, no control.
        SetPlacedControl(nullptr);
        placedByPaint_ = false;
        if (InplaceEditor() != nullptr && InplaceEditor()->Visible())
            InplaceEditor()->UpdateContents();
        else if (Focused() && CanEditShow())
            ShowCellEditor();
        return;
    }
    ui::TWinControl* control = PlacedControl();
    if (control == nullptr) return;
    if (control == picker_ && !PickerMayShow()) return;
    if (!control->Visible()) {
        // A control the paint did not lay over the cell is put there first.
        if (!placedByPaint_) PlaceCellControl();
        control->SetVisible(true);
    }
    // Always editing: the control takes the keys at once, unless the grid's own editor is open.
    if (alwaysEdit && !EditorMode() && Focused() && control->CanFocus()) {
        const ui::TCustomForm* form = ui::GetParentForm(this);
        if (form != nullptr && form == ui::Screen().ActiveForm()) control->SetFocus();
    }
    control->BringToFront();
}

void TgkDBGrid::DrawCell(int col, int row, const ui::TRect& rect, ui::TGridDrawState state)
{
    if (drawingCell_ || col != Col() || row != Row() || !DataLink().Active()) {
        TgkCustomDBGrid::DrawCell(col, row, rect, state);
        return;
    }
    drawingCell_ = true;
    const rtl::TScopeExit done([this] { drawingCell_ = false; });
    ui::TWinControl* control = nullptr;
    if (FindCellControl(col, row, control) && control != picker_ &&
        (CustomControlsShown() || control->InheritsFrom("TgkExpandButton"))) {
        SetPlacedControl(control);
        placedByPaint_ = true;
        const ui::TCustomForm* form = ui::GetParentForm(this);
        const ui::TWinControl* active = form != nullptr ? form->ActiveControl() : nullptr;
        if (state.Contains(ui::gdSelected) && !gkIsDesigning(this) && control->Parent() == this &&
            active == control) {
            TgkCustomDBGrid::PlaceCellControl();
        } else if (active == this) {
            CoverCellWithControl(*control, row);
            return;
        }
    }
    TgkCustomDBGrid::DrawCell(col, row, rect, state);
}

void TgkDBGrid::CoverCellWithControl(ui::TWinControl& control, int row)
{
    const int dataCol = GetDataColumn(Col());
    auto* edit = dynamic_cast<ui::TCustomEdit*>(&control);
    if (edit != nullptr && !control.InheritsFrom("TCustomRichEdit")) {
        // The text of the painted row's record, which need not be the link's active one now.
        TgkGridDataLink& link = DataLink();
        const int saved = link.ActiveRecord();
        const int dataRow = GetDataRow(row);
        if (dataRow >= 0 && dataRow != saved) link.SetActiveRecord(dataRow);
        const rtl::TScopeExit back([&] {
            if (dataRow >= 0 && dataRow != saved) link.SetActiveRecord(saved);
        });
        const std::string text = GetFieldValue(dataCol);
        if (edit->Text() != text) edit->SetText(text);
    }
    if (control.Parent() != this) {
        control.SetParent(this);
        // Flat inside the cell: no 3D look, no border.
        classes::SetPropValue(control, "Ctl3D", classes::TPropValue(false));
        gkSetBorderStyle(&control, false);
    }
    TgkCustomDBGrid::PlaceCellControl();
}

void TgkDBGrid::Paint()
{
    ui::TWinControl* control = PlacedControl();
    if (control != nullptr && control->Visible()) {
        const std::string name = gkGetDataField(control);
        if (!name.empty()) {
            bool keep = false;
            if (UseTFields()) {
                const db::TDataSet* ds = DataLink().DataSet();
                const db::TField* field = ds != nullptr ? ds->FindField(name) : nullptr;
                keep = field != nullptr && field->Visible();
            } else {
                int index = -1;
                keep = gkFindSelected(Selected(), name, index);
            }
            if (!keep) HideCellControl();
        }
    }
    TgkCustomDBGrid::Paint();
    ShowCustomControl();
}

// ---- The memo dialog ----------------------------------------------------------------------------------------

void TgkDBGrid::ExecuteMemoDialog()
{
    if (memoAttributes_.Contains(mDisableDialog)) return;
    db::TField* field = SelectedField();
    if (field == nullptr) return;
    auto dialog = std::make_unique<TgkMemoDialog>(this);
    const rtl::TScopeExit after([this] {
        InvalidateCell(Col(), Row());
        SetEditorMode(false);
    });
    dialog->SetDataSource(DataSource());
    dialog->SetDataField(field->FieldName());
    TgkMemoAttributes attributes = memoAttributes_;
    dialog->Caption = gkReplaceChar(field->DisplayLabel(), '~', ' ');
    dialog->Font()->Assign(*Font());
    dialog->DlgLeft = -1;
    // The column's read-only flag holds here as it does for the picker.
    if (!CanEdit() || field->ReadOnly() || ColumnEntryPart(field->FieldName(), 3) == "T")
        attributes.Include(mViewOnly);
    dialog->SetMemoAttributes(attributes);
    if (OnMemoOpen) OnMemoOpen(this, dialog.get());
    const bool ok = dialog->Execute();
    if (OnMemoClose) OnMemoClose(this, !ok);
}

void TgkDBGrid::Dispatch(ui::TMessage& m)
{
    if (m.Msg == ui::WM_LBUTTONDBLCLK && DataLink().Active()) {
        DoubleClick(m);
        return;
    }
    if (m.Msg == ui::WM_CHAR && (IsMemoCell(Col(), Row()) || IsControlCell(Col(), Row()))) {
        // A character typed on a cell that a control edits goes to that control.
        ui::TWinControl* control = nullptr;
        if (CanEdit() && FindCellControl(Col(), Row(), control) && IsCustomCell(Col(), Row())) {
            control->PostMessage(ui::WM_CHAR, m.WParam, m.LParam);
            return;
        }
    }
    TgkCustomDBGrid::Dispatch(m);
    // Shown again (itself or a parent), the grid lays itself out for what it now measures.
    if (m.Msg == ui::CM_SHOWINGCHANGED && Showing()) LayoutChanged();
    if (m.Msg == ui::CM_EXIT && PlacedControl() != nullptr) {
        // The focus went elsewhere than into the control over the cell: the control goes.
        const ui::TCustomForm* form = ui::GetParentForm(this);
        const ui::TWinControl* next = form != nullptr ? form->ActiveControl() : nullptr;
        if (next != this && next != PlacedControl() && !(next != nullptr && PlacedControl()->ContainsControl(next)))
            HideCellControl();
    }
}

void TgkDBGrid::DoubleClick(ui::TMessage& m)
{
    const ui::TGridCoord cell = MouseCoord(ui::SignedLoWord(m.LParam), ui::SignedHiWord(m.LParam));
    const bool inCells = cell.X >= 0 && cell.Y >= 0;
    ui::TWinControl* richEdit = inCells ? RichEditControl(cell.X, cell.Y) : nullptr;
    const bool memo = inCells && richEdit == nullptr && IsMemoCell(cell.X, cell.Y);
    TgkCustomDBGrid::Dispatch(m);
    // The rich-text control opens its own editor on F2.
    if (richEdit != nullptr)
        richEdit->Perform(ui::WM_KEYDOWN, ui::VK_F2, 0);
    else if (memo && cell.X == Col() && cell.Y == Row())
        ExecuteMemoDialog();
}

void TgkDBGrid::KeyDown(ui::TKey& key, ui::TShiftState shift)
{
    if (key == ui::VK_DOWN && shift.Contains(ui::ssAlt) && PlacedControl() != nullptr && PlacedControl()->Visible()) {
        ui::TWinControl* control = PlacedControl();
        control->SetFocus();
        gkPostKeyWithShift(*control, key, ui::VK_MENU);
        key = 0;
        return;
    }
    const ui::TKey pressed = key;
    const bool accepted = DataLink().Active() && CanGridAcceptKey(pressed, shift);
    TgkCustomDBGrid::KeyDown(key, shift);
    if (!accepted || PlacedControlHasFocus()) return;
    if (Options().Contains(dgRowSelect) && pressed == ui::VK_SPACE) {
        if (IsActiveRecordSelected())
            UnselectRecord();
        else
            SelectRecord();
        key = 0;
        return;
    }
    if (CellKey(pressed)) key = 0;
}

// The keys of the current cell's kind: Space on a check box, F2 on rich text and memos, F2
// and editing keys on a custom control, Delete for the editor. True when the key was used.
bool TgkDBGrid::CellKey(ui::TKey pressed)
{
    const bool memo = IsMemoCell(Col(), Row());
    if (!memo && !CanEdit() && !IsSelectedCheckColumn(Col())) return false;
    if (pressed == ui::VK_SPACE && ToggleCurrentCheckBox()) return true;
    if (ui::TWinControl* richEdit = RichEditControl(Col(), Row())) {
        if (pressed != ui::VK_F2) return false;
        richEdit->Perform(ui::WM_KEYDOWN, ui::VK_F2, 0);
        InvalidateCell(Col(), Row());
        return true;
    }
    if (memo) {
        if (pressed != ui::VK_F2) return false;
        ExecuteMemoDialog();
        return true;
    }
    ui::TWinControl* control = nullptr;
    if (FindCellControl(Col(), Row(), control) && IsCustomCell(Col(), Row())) {
        if (pressed != ui::VK_F2 && !gkIsEditKey(pressed)) return false;
        PlaceCellControl();
        if (control->CanFocus()) control->SetFocus();
        if (pressed != ui::VK_F2) control->Perform(ui::WM_KEYDOWN, pressed, 0);
        return true;
    }
    if (pressed == ui::VK_DELETE && InplaceEditor() != nullptr && InplaceEditor()->Visible())
        InplaceEditor()->Perform(ui::WM_KEYDOWN, ui::VK_DELETE, 0);
    return false;
}

ui::TWinControl* TgkDBGrid::RichEditControl(int col, int row)
{
    const db::TField* field = GetDataRow(row) >= 0 ? GetColField(GetDataColumn(col)) : nullptr;
    if (field == nullptr) return nullptr;
    std::string type, parameters;
    GetControlInfo(field->FieldName(), type, parameters);
    ui::TWinControl* control = nullptr;
    if (!gkEqualText(type, "RichEdit") || !FindCellControl(col, row, control) || control == picker_) return nullptr;
    return control;
}

bool TgkDBGrid::ToggleCurrentCheckBox()
{
    if (!DataLink().Active() || (!CanEdit() && !IsSelectedCheckColumn(Col()))) return false;
    std::string checkedValue, uncheckedValue;
    if (!GetCheckBoxValues(Col(), Row(), checkedValue, uncheckedValue)) return false;
    ToggleCheckBox(checkedValue, uncheckedValue);
    return true;
}

void TgkDBGrid::ToggleCheckBox(const std::string& checkedValue, const std::string& uncheckedValue)
{
    db::TField* field = SelectedField();
    if (field == nullptr || field->ReadOnly() || ColumnEntryPart(field->FieldName(), 3) == "T") return;
    if (field->FieldKind() == db::fkCalculated && rtl::AnsiLowerCase(field->FieldName()) == "selected") {
        if (IsActiveRecordSelected())
            UnselectRecord();
        else
            SelectRecord();
        return;
    }
    if (!DataLink().Edit()) return;
    field->SetAsString(gkEqualText(field->AsString(), checkedValue) ? uncheckedValue : checkedValue);
    InvalidateCell(Col(), Row());
}

// ---- Multi-record selection ----------------------------------------------------------------------------------

bool TgkDBGrid::AcceptRecord(bool selecting)
{
    bool accept = true;
    if (OnMultiSelectRecord) OnMultiSelectRecord(this, selecting, accept);
    return accept;
}

int TgkDBGrid::FindSelectedBookmark(const db::TBookmark& bookmark) const
{
    const db::TDataSet* ds = const_cast<TgkDBGrid*>(this)->DataLink().DataSet();
    if (ds == nullptr || bookmark.empty()) return -1;
    for (std::size_t i = 0; i < selectedRecords_.size(); ++i)
        if (ds->CompareBookmarks(selectedRecords_[i], bookmark) == 0) return static_cast<int>(i);
    return -1;
}

void TgkDBGrid::SelectRecord()
{
    db::TDataSet* ds = DataLink().DataSet();
    if (ds == nullptr || !ds->Active()) return;
    db::TBookmark bookmark = ds->GetBookmark();
    if (bookmark.empty() || FindSelectedBookmark(bookmark) >= 0) return;
    if (!AcceptRecord(true)) return;
    selectedRecords_.push_back(std::move(bookmark));
    InvalidateRow(Row());
}

void TgkDBGrid::UnselectRecord()
{
    db::TDataSet* ds = DataLink().DataSet();
    if (ds == nullptr || !ds->Active()) return;
    UnselectBookmark(ds->GetBookmark());
    InvalidateRow(Row());
}

void TgkDBGrid::UnselectBookmark(const db::TBookmark& bookmark)
{
    db::TDataSet* ds = DataLink().DataSet();
    if (ds == nullptr || bookmark.empty()) return;
    for (std::size_t i = 0; i < selectedRecords_.size();) {
        if (ds->CompareBookmarks(selectedRecords_[i], bookmark) == 0 && AcceptRecord(false)) {
            ds->FreeBookmark(selectedRecords_[i]);
            selectedRecords_.erase(selectedRecords_.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        ++i;
    }
}

void TgkDBGrid::UnselectAll()
{
    bool accept = true;
    if (OnMultiSelectAllRecords) OnMultiSelectAllRecords(this, false, accept);
    if (!accept) return;
    FreeSelectedRecords();
    Invalidate();
}

void TgkDBGrid::SelectRecordRange(const db::TBookmark& from, const db::TBookmark& to)
{
    db::TDataSet* ds = DataLink().DataSet();
    if (ds == nullptr || !ds->Active() || from.empty() || to.empty()) return;
    if (!ds->BookmarkValid(from) || !ds->BookmarkValid(to)) return;
    // The walk runs forward from the earlier of the two records, whichever end the range
    // was started from.
    const bool upward = ds->CompareBookmarks(from, to) > 0;
    const db::TBookmark& first = upward ? to : from;
    const db::TBookmark& last = upward ? from : to;
    const db::TBookmark current = ds->GetBookmark();
    ds->DisableControls();
    const rtl::TScopeExit back([ds, &current] {
        if (!current.empty() && ds->BookmarkValid(current)) ds->GotoBookmark(current);
        ds->EnableControls();
    });
    ds->GotoBookmark(first);
    while (!ds->Eof()) {
        db::TBookmark bookmark = ds->GetBookmark();
        const bool atEnd = ds->CompareBookmarks(bookmark, last) >= 0;
        if (FindSelectedBookmark(bookmark) < 0 && AcceptRecord(true)) selectedRecords_.push_back(std::move(bookmark));
        if (atEnd) break;
        ds->Next();
    }
    Invalidate();
}

bool TgkDBGrid::IsSelectedRecord(int dataRow)
{
    if (selectedRecords_.empty()) return false;
    TgkGridDataLink& link = DataLink();
    db::TDataSet* ds = link.DataSet();
    if (!link.Active() || ds == nullptr || dataRow < 0 || dataRow >= link.RecordCount()) return false;
    const int saved = link.ActiveRecord();
    if (saved != dataRow) link.SetActiveRecord(dataRow);
    const rtl::TScopeExit back([&] {
        if (saved != dataRow) link.SetActiveRecord(saved);
    });
    return FindSelectedBookmark(ds->GetBookmark()) >= 0;
}

bool TgkDBGrid::IsActiveRecordSelected()
{
    if (!DataLink().Active()) return false;
    return IsSelectedRecord(DataLink().ActiveRecord());
}

void TgkDBGrid::RefreshSelectedRows() { Invalidate(); }

void TgkDBGrid::SortSelectedRecords()
{
    const db::TDataSet* ds = DataLink().DataSet();
    if (ds == nullptr) return;
    std::sort(selectedRecords_.begin(), selectedRecords_.end(),
              [ds](const db::TBookmark& a, const db::TBookmark& b) { return ds->CompareBookmarks(a, b) < 0; });
}

void TgkDBGrid::DoExportField(db::TField* field, bool& accept)
{
    if (OnExportField) OnExportField(this, field, accept);
}

// ---- Sizing fixed columns --------------------------------------------------------------------------------------

void TgkDBGrid::DrawFixedSizingLine(ui::TCanvas& canvas, int pos)
{
    const auto restore = canvas.SaveScope();
    ui::TPen* pen = canvas.Pen();
    pen->SetColor(rtl::clWhite);
    pen->SetStyle(ui::psDot);
    pen->SetMode(ui::pmXor);
    pen->SetWidth(1);
    canvas.MoveTo(pos, 0);
    canvas.LineTo(pos, ClientHeight());
}

int TgkDBGrid::FixedColumnEdgeAt(int x, int y)
{
    if (!Options().Contains(dgFixedResizable) || !Options().Contains(dgColumnResize)) return -1;
    int titleBottom = 0;
    for (int row = 0; row < FixedRows(); ++row) titleBottom += RowHeights(row) + GridLineWidth();
    if (y < 0 || y >= titleBottom) return -1;
    int edge = 0;
    for (int col = 0; col < FixedCols(); ++col) {
        edge += ColWidths(col);
        if (edge > ClientWidth()) break;
        if (col >= IndicatorOffset() && std::abs(x - edge) <= 2) return col;
        edge += GridLineWidth();
    }
    return -1;
}

void TgkDBGrid::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    fixedSizingCol_ = -1;
    if (button == ui::mbLeft && !shift.Contains(ui::ssDouble)) {
        const int mx = UseRightToLeftGrid() ? ClientWidth() - x : x;
        const int col = FixedColumnEdgeAt(mx, y);
        if (col >= 0) {
            int edge = 0;
            for (int c = 0; c <= col; ++c) edge += ColWidths(c) + (c < col ? GridLineWidth() : 0);
            fixedSizingCol_ = col;
            fixedSizingOffset_ = mx - edge;
            fixedSizingPos_ = edge;
            ui::SetCaptureControl(this);
            if (HandleAllocated()) {
                DrawFixedSizingLine(*Canvas(), fixedSizingPos_);
                fixedSizingLineShown_ = true;
            }
            return;
        }
    }
    const ui::TGridCoord pressed = MouseCoord(x, y);
    const bool wasCurrent = pressed.X == Col() && pressed.Y == Row();
    TgkCustomDBGrid::MouseDown(button, shift, x, y);
    // A click toggles a check box of the cell that was already current (any cell with
    // ecoCheckboxSingleClick), under the rule Space follows.
    if (button == ui::mbLeft && !shift.Contains(ui::ssDouble) && pressed.X == Col() && pressed.Y == Row() &&
        (wasCurrent || EditControlOptions().Contains(ecoCheckboxSingleClick)))
        ToggleCurrentCheckBox();
}

void TgkDBGrid::MouseMove(ui::TShiftState shift, int x, int y)
{
    if (fixedSizingCol_ < 0) {
        TgkCustomDBGrid::MouseMove(shift, x, y);
        return;
    }
    const int mx = UseRightToLeftGrid() ? ClientWidth() - x : x;
    if (fixedSizingLineShown_) DrawFixedSizingLine(*Canvas(), fixedSizingPos_);
    fixedSizingPos_ = mx - fixedSizingOffset_;
    if (HandleAllocated()) {
        DrawFixedSizingLine(*Canvas(), fixedSizingPos_);
        fixedSizingLineShown_ = true;
    }
}

void TgkDBGrid::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    if (fixedSizingCol_ >= 0) {
        const int col = fixedSizingCol_;
        fixedSizingCol_ = -1;
        if (ui::GetCaptureControl() == this) ui::ReleaseCapture();
        const int mx = UseRightToLeftGrid() ? ClientWidth() - x : x;
        const int pos = mx - fixedSizingOffset_;
        int left = 0;
        for (int c = 0; c < col; ++c) left += ColWidths(c) + GridLineWidth();
        const int width = pos - left;
        if (fixedSizingLineShown_) {
            DrawFixedSizingLine(*Canvas(), fixedSizingPos_);
            fixedSizingLineShown_ = false;
        }
        if (width > 1) {
            SetColWidths(col, width);
            gkNotifyDesigner(this);
        }
        ui::TCustomControl::MouseUp(button, shift, x, y);
        return;
    }
    TgkCustomDBGrid::MouseUp(button, shift, x, y);
}

void RegisterPublishedGridClasses()
{
    static const bool done = [] {
        RegisterDBGridClasses();
        // The indicator button is stored with the grid it sits on.
        RegisterIndicatorButtonClass();
        classes::RegisterClasses<TgkDBGrid>();
        // A form may hold a memo dialog of its own next to its grid.
        classes::RegisterClasses<TgkMemoDialog>();
        return true;
    }();
    (void)done;
}

}  // namespace grid
