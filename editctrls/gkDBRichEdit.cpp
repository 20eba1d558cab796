// The data-aware rich-text edit: loading and writing its field, keys, and its stored form.

#include "editctrls/gkDBRichEdit.h"
#include "editctrls/gkPageSetupDlg.h"
#include "editctrls/gkRichPrint.h"

#include "editctrls/gkDBComb.h"
#include "editctrls/gkRichEditRuler.h"

#include <utility>

#include "grid/GridRoutines.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Component.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Screen.h"
#include "platform/ui/StdCtrls.h"

namespace editctrls {

namespace rtf = ui::rtf;

GW_IMPLEMENT_CLASS(TgkDBRichEdit, TgkCustomRichEdit)
{
    using C = TgkDBRichEdit;
    p.Boolean("AutoDisplay", &C::AutoDisplay, &C::SetAutoDisplay, true);
    p.Boolean("AutoURLDetect", &C::AutoURLDetect, &C::SetAutoURLDetect, false);
    p.Component<db::TDataSource>("DataSource", &C::DataSource, &C::SetDataSource);
    p.String("DataField", &C::DataField, &C::SetDataField);
    p.String("EditorCaption", &C::EditorCaption, &C::SetEditorCaption, "Edit Rich Text");
    p.Object("EditorPosition", [](const C& c) { return &const_cast<C&>(c).EditorPosition(); });
    p.Set("EditorOptions", RichEditOptionInfo(), &C::EditorOptions, &C::SetEditorOptions,
          TgkRichEditOptions::FromBits(0x7FFC));
    p.Object("Frame", [](const C& c) { return const_cast<C&>(c).Frame(); });
    p.Integer("GutterWidth", &C::GutterWidth, &C::SetGutterWidth, 3);
    p.Boolean("HideSelection", &C::HideSelection, &C::SetHideSelection, true);
    p.Color("HighlightColor", &C::HighlightColor, &C::SetHighlightColor, rtl::clYellow);
    p.Enumeration("MeasurementUnits", MeasurementUnitsInfo(), &C::MeasurementUnits, &C::SetMeasurementUnits, muInches);
    p.Enumeration("EditWidth", RichEditWidthInfo(), &C::EditWidth, &C::SetEditWidth, rewWindowSize);
    p.Set("OleOptions", RichEditOleOptionInfo(), &C::OleOptions, &C::SetOleOptions,
          TgkRichEditOleOptions{reoAdjustPopupMenu});
    p.Object("PrintMargins", [](const C& c) { return c.PrintMargins(); });
    p.Integer("PrintPageSize", &C::PrintPageSize, &C::SetPrintPageSize, 1);
    p.String("PrintJobName", &C::PrintJobName, &C::SetPrintJobName);
    p.Set("PopupOptions", RichEditPopupOptionInfo(), &C::PopupOptions, &C::SetPopupOptions,
          TgkRichEditPopupOptions::FromBits(0x7F8F));
    p.Boolean("ReadOnly", &C::DBReadOnly, &C::SetDBReadOnly, false);
    p.String("Title", &C::Title, &C::SetTitle);
    p.Boolean("WantReturns", &C::WantReturns, &C::SetWantReturns, true);
    p.Boolean("WordWrap", &C::WordWrap, &C::SetWordWrap, true);
    p.Component<ui::TSpeedButton>("UserSpeedButton1", &C::UserSpeedButton1, &C::SetUserSpeedButton1);
    p.Component<ui::TSpeedButton>("UserSpeedButton2", &C::UserSpeedButton2, &C::SetUserSpeedButton2);
    p.Event("OnChange", &C::OnChange);
    p.Event("OnURLOpen", &C::OnURLOpen);
}

void RegisterRichEditClasses()
{
    // The editor window's forms hold combo boxes of ours.
    RegisterComboClasses();
    classes::RegisterClasses<TgkDBRichEdit, TgkTrackIcon, TgkPageSetupDlg>();
}

TgkDBRichEdit::TgkDBRichEdit(classes::TComponent* owner)
    : TgkCustomRichEdit(owner), link_(std::make_unique<db::TFieldDataLink>())
{
    SetOleOptions(TgkRichEditOleOptions{reoAdjustPopupMenu});
    Switches().assign({false, false, false, false, false, 0, false});
    link_->SetControl(this);
    link_->OnDataChange = [this](db::TFieldDataLink*) { DataChange(); };
    link_->OnEditingChange = [this](db::TFieldDataLink*) { EditingChange(); };
    link_->OnUpdateData = [this](db::TFieldDataLink*) { UpdateData(); };
}

TgkDBRichEdit::~TgkDBRichEdit()
{
    link_->OnDataChange.Clear();
    link_->OnEditingChange.Clear();
    link_->OnUpdateData.Clear();
    link_->SetDataSource(nullptr);
}

db::TDataSource* TgkDBRichEdit::DataSource() const { return link_->DataSource(); }

void TgkDBRichEdit::SetDataSource(db::TDataSource* source)
{
    link_->SetDataSource(source);
    if (source != nullptr) source->FreeNotification(this);
}

std::string TgkDBRichEdit::DataField() const { return link_->FieldName(); }

void TgkDBRichEdit::SetDataField(const std::string& name)
{
    try {
        link_->SetFieldName(name);
    } catch (const std::exception&) {
        // A name the data set does not hold: bound by name to nothing, empty and read-only.
        rtl::LogCurrentException("TgkDBRichEdit DataField");
        SetPlainTextContent({});
        loaded_ = false;
    }
}

db::TField* TgkDBRichEdit::Field() const { return link_->Field(); }

bool TgkDBRichEdit::DataBound() const { return !link_->FieldName().empty(); }

bool TgkDBRichEdit::IsBlobField() const { return Field() != nullptr && Field()->IsBlob(); }

bool TgkDBRichEdit::InGrid() const { return grid::gkIsInGrid(this); }


bool TgkDBRichEdit::ExecuteAction(classes::TBasicAction* action)
{
    return TgkCustomRichEdit::ExecuteAction(action) || link_->ExecuteAction(action);
}

bool TgkDBRichEdit::UpdateAction(classes::TBasicAction* action)
{
    return TgkCustomRichEdit::UpdateAction(action) || link_->UpdateAction(action);
}

void TgkDBRichEdit::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TgkCustomRichEdit::Notification(component, operation);
    if (operation == classes::opRemove && component == DataSource()) link_->SetDataSource(nullptr);
}

bool TgkDBRichEdit::GetReadOnly() const
{
    if (Field() == nullptr && DataField().empty()) return TgkCustomRichEdit::GetReadOnly();
    if (link_->ReadOnly() || dbReadOnly_) return true;
    if (Field() == nullptr || link_->DataSet() == nullptr) return true;  // a missing field is read-only
    if (!link_->DataSet()->CanModify()) return true;
    return Field()->ReadOnly() || !loaded_;
}

void TgkDBRichEdit::SetDBReadOnly(bool v)
{
    dbReadOnly_ = v;
    link_->SetReadOnly(v);
    if (!DataBound()) SetReadOnly(v);
}

void TgkDBRichEdit::SetAutoDisplay(bool on)
{
    if (on == autoDisplay_) return;
    autoDisplay_ = on;
    if (on && IsBlobField()) LoadMemo();
}

void TgkDBRichEdit::DataChange()
{
    db::TField* field = Field();
    if (field == nullptr) {
        SetPlainTextContent(grid::gkIsDesigning(this) ? Name() : std::string());
        loaded_ = false;
        return;
    }
    if (field->IsBlob()) {
        if (!autoDisplay_) {
            if (!link_->Editing() || !loaded_) {
                SetPlainTextContent("(" + field->DisplayLabel() + ")");
                loaded_ = false;
            }
            return;
        }
        if (memoText_ && *memoText_ == field->AsString()) return;
        loaded_ = false;
        if (Visible()) LoadMemo();
        return;
    }
    loaded_ = true;
    // The same text again (the record entering edit state) keeps the caret where it is.
    const std::string text = Focused() && field->CanModify() ? field->Text() : field->DisplayText();
    if (text != PlainTextContent()) SetPlainTextContent(text);
    SetModified(false);
}

void TgkDBRichEdit::EditingChange()
{
    // The remembered text only tells this edit's own record apart; kept, a later record
    // holding the same text would go on showing this one.
    if (!link_->Editing()) memoText_.reset();
}

void TgkDBRichEdit::UpdateData()
{
    db::TField* field = Field();
    if (field == nullptr || !Modified() || !loaded_) return;
    field->SetAsString(field->IsBlob() ? SaveRtf() : PlainTextContent());
    SetModified(false);
}

void TgkDBRichEdit::LoadFromField(db::TField& field)
{
    const bool plain = PlainText();
    SetPlainText(false);
    rtl::TScopeExit restore([&] { SetPlainText(plain); });
    StreamIn(field.AsString());
}

std::string TgkDBRichEdit::PlainTextOf(db::TField& field, bool loadAll)
{
    if (loadAll)
        LoadFromField(field);
    else
        LoadFromBlobStream(field);
    return PlainTextContent();
}

void TgkDBRichEdit::LoadFromBlobStream(db::TField& field)
{
    db::TDataSet* data = field.DataSet();
    if (data == nullptr) return LoadFromField(field);
    const std::unique_ptr<db::TBlobStream> stream = data->CreateBlobStream(&field, db::bmRead);
    const bool plain = PlainText();
    SetPlainText(false);
    rtl::TScopeExit restore([&] { SetPlainText(plain); });
    StreamIn(stream ? stream->ReadAll() : std::string());
}

void TgkDBRichEdit::PaintCopy(ui::TCanvas& canvas, const ui::TRect& cell)
{
    db::TField* field = Field();
    if (field == nullptr) return;
    if (!painter_) {
        ui::IWindowSystem* ws = ui::WindowSystem();
        painter_ = ws != nullptr ? ws->CreateRichDocument() : nullptr;
        if (!painter_) return;
    }
    const std::string value = field->IsBlob() ? field->AsString() : field->DisplayText();
    painter_->Load(field->IsBlob() ? rtf::ReadRtf(value) : rtf::PlainTextDocument(value));
    // Inside a grid cell the text starts one pixel below the top, the gutter less one in.
    const ui::TRect inner{cell.Left + GutterWidth() - 1, cell.Top + 1, cell.Right - 1, cell.Bottom};
    canvas.DrawRichText(inner, *painter_);
}

void TgkDBRichEdit::Dispatch(ui::TMessage& m)
{
    if (m.Msg == ui::WM_PAINT && m.WParam != 0 && ControlState().Contains(csPaintCopy)) {
        PaintCopy(*reinterpret_cast<ui::TCanvas*>(m.WParam), ui::TRect{0, 0, Width(), Height()});
        return;
    }
    TgkCustomRichEdit::Dispatch(m);
}

void TgkDBRichEdit::LoadMemo()
{
    db::TField* field = Field();
    if (field == nullptr || loaded_ || !field->IsBlob()) return;
    loaded_ = true;
    loading_ = true;
    rtl::TScopeExit done([&] { loading_ = false; });
    OnLoading(this);
    LoadFromField(*field);
    if (field->AsString().empty()) {
        // An empty text starts plain: left-aligned, no bullets, in the font's colour.
        ui::TRichParaChange plain;
        plain.alignment = ui::rtf::Alignment::Left;
        plain.bullet = false;
        Document().ApplyParagraphs(0, 0, plain);
    }
    SetModified(false);
}

void TgkDBRichEdit::DoEdit()
{
    db::TField* field = Field();
    if (field == nullptr || link_->Editing()) return;
    if (field->IsBlob()) memoText_ = field->AsString();
    db::TDataSource* source = link_->DataSource();
    if (source != nullptr && source->State() == db::dsBrowse && source->AutoEdit()) link_->Edit();
    if (InGrid() && link_->Editing() && !GetReadOnly()) link_->SetModified();
}

void TgkDBRichEdit::Change()
{
    if (Field() != nullptr && loaded_ && !loading_ && !GetReadOnly()) {
        DoEdit();
        link_->SetModified();
    }
    TgkCustomRichEdit::Change();
}

void TgkDBRichEdit::DoExit()
{
    if (Field() != nullptr) link_->UpdateRecord();
    TgkCustomRichEdit::DoExit();
}

void TgkDBRichEdit::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    pressDoubleClicked_ = false;
    TgkCustomRichEdit::MouseDown(button, shift, x, y);
    if (button != ui::mbLeft || !gridPressTime_) return;
    const std::int64_t since = ui::GetMessageTime() - *gridPressTime_;
    gridPressTime_.reset();
    const ui::TWinControl* parent = Parent();
    if (shift.Contains(ui::ssDouble) || parent == nullptr || !parent->InheritsFrom("TgkDBGrid") ||
        grid::gkIsDesigning(this) || since > ui::GetDoubleClickTime())
        return;
    DblClick();
    pressDoubleClicked_ = true;
}

void TgkDBRichEdit::DblClick()
{
    if (std::exchange(pressDoubleClicked_, false)) return;
    if (Field() != nullptr && !loaded_) {
        LoadMemo();
        return;
    }
    TgkCustomRichEdit::DblClick();
}

void TgkDBRichEdit::KeyDown(ui::TKey& key, ui::TShiftState shift)
{
    const bool ctrl = shift.Contains(ui::ssCtrl);
    if (InGrid()) {
        const bool toGrid = (key == ui::VK_ESCAPE && !Modified()) || key == ui::VK_PRIOR || key == ui::VK_NEXT ||
                            ((key == ui::VK_UP || key == ui::VK_DOWN) && !shift.Contains(ui::ssAlt)) ||
                            ((key == ui::VK_HOME || key == ui::VK_END) && ctrl);
        if (toGrid) {
            if (auto* grid = Parent(); grid != nullptr && grid->CanFocus()) {
                grid->SetFocus();
                grid->KeyDown(key, shift);
            }
            key = 0;
            return;
        }
    }
    TgkCustomRichEdit::KeyDown(key, shift);
    if (key == ui::VK_F2 && PopupOptions().Contains(rpoPopupEdit)) {
        key = 0;
        Execute();
        return;
    }
    const bool paste = (key == ui::VK_INSERT && shift.Contains(ui::ssShift)) || (key == 'V' && ctrl);
    if (paste && !CanPaste()) {
        key = 0;
        return;
    }
    if (Field() == nullptr || !loaded_) return;
    if (key == ui::VK_DELETE || key == ui::VK_BACK || paste || (key == 'X' && ctrl)) {
        DoEdit();
    } else if (key == ui::VK_RETURN) {
        if (WantReturns()) {
            DoEdit();
        } else {
            SetSel(0, 0);
            key = 0;
        }
    }
}

void TgkDBRichEdit::KeyPress(char& key)
{
    TgkCustomRichEdit::KeyPress(key);
    if (key == '\t' && !InGrid()) {
        key = 0;  // tabs are not text here
        return;
    }
    if (!DataBound()) return;
    db::TField* field = Field();
    if (field == nullptr || !loaded_) {
        if (key == '\r' && field != nullptr) LoadMemo();
        else if (static_cast<unsigned char>(key) >= 32) ui::Beep();  // nothing to edit
        key = 0;
        return;
    }
    const auto c = static_cast<unsigned char>(key);
    if (c == 27) {
        link_->Reset();
        key = 0;
    } else if (c >= 32 && (!field->IsValidChar(c) || GetReadOnly())) {
        ui::Beep();
        key = 0;
    } else if (c < 32 && c != 8 && c != 9 && c != 10 && c != 13 && c != 22 && c != 24) {
        key = 0;
    } else {
        DoEdit();
    }
}

}  // namespace editctrls
