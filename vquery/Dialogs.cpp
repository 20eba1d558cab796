#include "vquery/Dialogs.h"

#include <cmath>
#include <memory>
#include <string>

#include "platform/db/ConnectionString.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"
#include "vquery/Glyphs.h"
#include "vquery/VQuery.h"

namespace vquery {

// ---- TfrmVSort -------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TfrmVSort, ui::TForm) {}

TfrmVSort::TfrmVSort(TmfVQuery* query) : TForm(query), query_(query)
{
    RegisterHandler("lbVSortsDrawItem", this, &TfrmVSort::lbVSortsDrawItem);
    RegisterHandler("lbVSortsMouseDown", this, &TfrmVSort::lbVSortsMouseDown);
    RegisterHandler("lbVSortsDragOver", this, &TfrmVSort::lbVSortsDragOver);
    RegisterHandler("lbVSortsDragDrop", this, &TfrmVSort::lbVSortsDragDrop);
    RegisterHandler("lbVSortsDblClick", this, &TfrmVSort::lbVSortsDblClick);
    LoadDescription("TfrmVSort");
    list_ = Get<ui::TListBox>("lbVSorts");
}

const ui::TPicture& TfrmVSort::Glyph(int direction)
{
    // Loaded once: every Sort dialog shows the same pair, and rows may still be drawn while
    // a closing dialog takes its list down.
    static const auto load = [](const char* resource) {
        auto picture = std::make_unique<ui::TPicture>();
        picture->LoadFromBytes(GlyphBitmap(resource));
        return picture;
    };
    static const std::unique_ptr<ui::TPicture> asc = load("CSSORTASC_BMP"), desc = load("CSSORTDESC_BMP");
    return direction == 2 ? *desc : *asc;
}

int TfrmVSort::Execute()
{
    const std::vector<TmfVQueryField*> opened = query_->SortList();
    list_->Items()->Clear();
    for (TmfVQueryField* f : opened) list_->Items()->AddObject(f->Table->Alias() + "." + f->FieldName, f);
    const int result = ShowModal();
    if (result != ui::mrOk) query_->RestoreSortOrder(opened);
    return result;
}

void TfrmVSort::lbVSortsDrawItem(ui::TWinControl*, int index, const ui::TRect& rect, ui::TOwnerDrawState)
{
    ui::TCanvas& c = *list_->Canvas();
    c.FillRect(rect);
    auto* f = list_->Items()->ObjectAs<TmfVQueryField*>(index);
    if (f != nullptr)
        DrawGlyph(c, rect.Left, rect.Top, Glyph(f->SortDirection));
    c.TextOut(rect.Left + 17, rect.Top + 2, std::to_string(index + 1));
    c.TextOut(rect.Left + 25, rect.Top + 2, list_->Items()->Strings(index));
}

void TfrmVSort::lbVSortsMouseDown(classes::TObject*, ui::TMouseButton, ui::TShiftState, int x, int y)
{
    dragSource_ = list_->ItemAtPos({x, y}, true);
}

void TfrmVSort::lbVSortsDragOver(classes::TObject*, classes::TObject* source, int, int, ui::TDragState, bool& accept)
{
    accept = source == list_ || dynamic_cast<TmfVQueryListBox*>(source) != nullptr;
}

void TfrmVSort::lbVSortsDragDrop(classes::TObject*, classes::TObject* source, int x, int y)
{
    // Only a drag that started in this list moves an entry.
    if (source != list_) return;
    const int target = list_->ItemAtPos({x, y}, true);
    const int n = list_->Items()->Count();
    if (dragSource_ < 0 || target < 0 || dragSource_ >= n || dragSource_ == target) return;
    list_->Items()->Move(dragSource_, target);
    query_->MoveSortField(dragSource_, target);
    list_->SetItemIndex(target);
    dragSource_ = target;
    list_->Invalidate();
}

void TfrmVSort::lbVSortsDblClick(classes::TObject*) {}

}  // namespace vquery

namespace vquery {

namespace {

// The operators in the order of the Filter dialog's items.
const char* const kFilterOperators[] = {"=", "<>", "<", ">", "<=", ">="};

}  // namespace

// ---- TfrmFilter ------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TfrmFilter, ui::TForm) {}

TfrmFilter::TfrmFilter(classes::TComponent* owner) : TForm(owner)
{
    RegisterHandler("btnOKClick", this, &TfrmFilter::btnOKClick);
    LoadDescription("TfrmFilter");
}

void TfrmFilter::btnOKClick(classes::TObject*)
{
    if (Get<ui::TEdit>("edtDestLiteral")->Text().empty()) {
        ui::MessageDlg("No literal value", ui::mtWarning, {ui::mbOK});
        return;
    }
    SetModalResult(ui::mrOk);
}

bool ShowFilterDialog(const std::string& title, std::string& op, std::string& literal)
{
    TfrmFilter form(&ui::Application());
    form.Get<ui::TLabel>("lblFieldName")->SetCaption(title);
    auto* compare = form.Get<ui::TRadioGroup>("rdoCompare");
    int item = 0;
    for (int i = 0; i < 6; ++i)
        if (op == kFilterOperators[i]) item = i;
    compare->SetItemIndex(item);
    form.Get<ui::TEdit>("edtDestLiteral")->SetText(literal);
    if (form.ShowModal() != ui::mrOk) return false;
    const int chosen = compare->ItemIndex();
    op = chosen >= 0 && chosen < 6 ? kFilterOperators[chosen] : "";
    literal = form.Get<ui::TEdit>("edtDestLiteral")->Text();
    return true;
}

// ---- Tfrmcriteria ----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(Tfrmcriteria, ui::TForm) {}

Tfrmcriteria::Tfrmcriteria(classes::TComponent* owner, TmfVQueryField* field, TmfVQueryCriterias& criterias)
    : TForm(owner), field_(field), criterias_(criterias)
{
    RegisterHandler("sb_addClick", this, &Tfrmcriteria::sb_addClick);
    RegisterHandler("sb_editClick", this, &Tfrmcriteria::sb_editClick);
    RegisterHandler("sb_deleteClick", this, &Tfrmcriteria::sb_deleteClick);
    RegisterHandler("lbFilterMouseDown", this, &Tfrmcriteria::lbFilterMouseDown);
    RegisterHandler("lbFilterDragOver", this, &Tfrmcriteria::lbFilterDragOver);
    RegisterHandler("lbFilterDragDrop", this, &Tfrmcriteria::lbFilterDragDrop);
    LoadDescription("Tfrmcriteria");
    list_ = Get<ui::TListBox>("lbFilter");
}

std::string Tfrmcriteria::ItemText(const TmfVQueryCriteria& c) const
{
    const std::string name = c.SourceField() != nullptr ? c.SourceField()->DisplayName : field_->DisplayName;
    return name + " " + c.Operator + " " + c.Literal();
}

void Tfrmcriteria::UpdateButtons()
{
    const bool any = list_->Items()->Count() > 0;
    Get<ui::TSpeedButton>("sb_edit")->SetEnabled(any);
    Get<ui::TSpeedButton>("sb_delete")->SetEnabled(any);
}

int Tfrmcriteria::Execute()
{
    Get<ui::TLabel>("lblFieldName")->SetCaption(field_->Table->Alias() + "." + field_->DisplayName);
    const std::vector<TmfVQueryCriteria> copy = criterias_.Snapshot();
    list_->Items()->Clear();
    for (int i = 0; i < criterias_.Count(); ++i) {
        TmfVQueryCriteria* c = criterias_.Items(i);
        if (c->SourceField() == field_) list_->Items()->AddObject(ItemText(*c), c);
    }
    UpdateButtons();
    const int result = ShowModal();
    if (result != ui::mrOk) criterias_.Restore(copy);
    return result;
}

void Tfrmcriteria::sb_addClick(classes::TObject*)
{
    std::string op, literal;
    if (!ShowFilterDialog(field_->Table->Alias() + "." + field_->DisplayName, op, literal)) return;
    TmfVQueryCriteria* c = criterias_.Add(field_);
    if (c == nullptr) return;  // refused, with its message
    c->Operator = op;
    c->SetLiteral(literal);
    list_->Items()->AddObject(ItemText(*c), c);
    UpdateButtons();
}

void Tfrmcriteria::sb_editClick(classes::TObject*)
{
    const int index = list_->ItemIndex();
    if (index < 0) return;
    auto* c = list_->Items()->ObjectAs<TmfVQueryCriteria*>(index);
    std::string op = c->Operator, literal = c->Literal();
    if (!ShowFilterDialog(field_->Table->Alias() + "." + field_->DisplayName, op, literal)) return;
    c->SetSourceField(field_);
    c->Operator = op;
    c->SetLiteral(literal);
    list_->Items()->Put(index, ItemText(*c));
}

void Tfrmcriteria::sb_deleteClick(classes::TObject*)
{
    const int index = list_->ItemIndex();
    if (index < 0) return;
    auto* c = list_->Items()->ObjectAs<TmfVQueryCriteria*>(index);
    list_->Items()->Delete(index);
    const int at = criterias_.IndexOf(c);
    if (at >= 0) criterias_.Delete(at);
    UpdateButtons();
}

void Tfrmcriteria::lbFilterMouseDown(classes::TObject*, ui::TMouseButton button, ui::TShiftState, int x, int y)
{
    const int index = list_->ItemAtPos({x, y}, true);
    if (button == ui::mbRight) {
        if (index >= 0) list_->SetItemIndex(index);
        Get<ui::TMenuItem>("mnu_edit")->SetEnabled(index >= 0);
        Get<ui::TMenuItem>("mnu_delete")->SetEnabled(index >= 0);
        const ui::TPoint screen = list_->ClientToScreen({x, y});
        Get<ui::TPopupMenu>("filter_popup")->Popup(screen.X, screen.Y);
        return;
    }
    dragSource_ = index;
    if (button == ui::mbLeft && index >= 0) list_->BeginDrag(false);
}

void Tfrmcriteria::lbFilterDragOver(classes::TObject*, classes::TObject* source, int x, int y, ui::TDragState,
                                    bool& accept)
{
    accept = dynamic_cast<ui::TListBox*>(source) != nullptr && list_->ItemAtPos({x, y}, true) >= 0;
}

void Tfrmcriteria::lbFilterDragDrop(classes::TObject*, classes::TObject* source, int x, int y)
{
    if (source != list_) return;
    SwapItems(dragSource_, list_->ItemAtPos({x, y}, true));
}

void Tfrmcriteria::SwapItems(int source, int target)
{
    const int n = list_->Items()->Count();
    if (source < 0 || target < 0 || source >= n || target >= n || source == target) return;
    auto* s = list_->Items()->ObjectAs<TmfVQueryCriteria*>(source);
    auto* t = list_->Items()->ObjectAs<TmfVQueryCriteria*>(target);
    TmfVQueryField* sField = s->SourceField();
    const std::string sOp = s->Operator, sLiteral = s->Literal();
    s->SetSourceField(t->SourceField());
    s->Operator = t->Operator;
    s->SetLiteral(t->Literal());
    t->SetSourceField(sField);
    t->Operator = sOp;
    t->SetLiteral(sLiteral);
    const std::string text = list_->Items()->Strings(source);
    list_->Items()->Put(source, list_->Items()->Strings(target));
    list_->Items()->Put(target, text);
}

bool ShowCriteriaDialog(TmfVQueryField* field, TmfVQueryCriterias& criterias)
{
    if (field == nullptr || field->FieldName.empty() || field->DisplayName.empty()) {
        ui::MessageDlg("No Field Selected", ui::mtWarning, {ui::mbOK});
        return false;
    }
    Tfrmcriteria form(criterias.Query(), field, criterias);
    form.Execute();
    return true;
}

}  // namespace vquery

namespace vquery {

// ---- TfrmCompare -----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TfrmCompare, ui::TForm) {}

TfrmCompare::TfrmCompare(classes::TComponent* owner, const std::string& sourceAlias, const std::string& destAlias,
                         const std::string& sourceName, const std::string& destName)
    : TForm(owner), sourceAlias_(sourceAlias), destAlias_(destAlias), sourceName_(sourceName), destName_(destName)
{
    RegisterHandler("FormShow", this, &TfrmCompare::FormShow);
    RegisterHandler("rdoCompareClick", this, &TfrmCompare::rdoCompareClick);
    LoadDescription("TfrmCompare");
}

int TfrmCompare::OperatorItem(const std::string& op)
{
    if (op == "=" || op == "= ") return 0;
    if (op == "<>") return 1;
    if (op == "<" || op == "< ") return 2;
    if (op == ">" || op == "> ") return 3;
    if (op == "<=") return 4;
    if (op == ">=") return 5;
    return 0;
}

void TfrmCompare::UpdateTexts()
{
    Get<ui::TPanel>("Ltable")->SetCaption(sourceAlias_);
    Get<ui::TPanel>("Lfield")->SetCaption(sourceName_);
    Get<ui::TPanel>("Rfield")->SetCaption(destName_);
    Get<ui::TPanel>("Rtable")->SetCaption(destAlias_);
    auto* compare = Get<ui::TRadioGroup>("rdoCompare");
    const int item = compare->ItemIndex() < 0 ? 0 : compare->ItemIndex();
    const std::string op = compare->Items()->Strings(item).substr(0, 2);
    const std::string source = sourceAlias_ + "." + sourceName_, dest = destAlias_ + "." + destName_;
    const std::string where = "' where '" + source + " " + op + " " + dest + "'.";
    Get<ui::TLabel>("lb_inner")->SetCaption("Only include rows where the joined columns from both tables are equal.");
    Get<ui::TLabel>("lb_left")->SetCaption("Include ALL records from '" + source + "' and only those records from '" + dest +
                                           where);
    Get<ui::TLabel>("lb_right")->SetCaption("Include ALL records from '" + dest + "' and only those records from '" +
                                            source + where);
}

void TfrmCompare::FormShow(classes::TObject*) { UpdateTexts(); }
void TfrmCompare::rdoCompareClick(classes::TObject*) { UpdateTexts(); }

bool ShowJoinProperties(TmfVQueryJoin& join)
{
    if (join.SourceField == nullptr || join.DestField == nullptr) return false;
    TmfVQuery* query = join.SourceField->Query;
    TfrmCompare form(query, join.SourceTable()->Alias(), join.DestTable()->Alias(), join.SourceField->DisplayName,
                     join.DestField->DisplayName);
    form.Get<ui::TRadioGroup>("rdoCompare")->SetItemIndex(TfrmCompare::OperatorItem(join.CompareOperator));
    ui::TRadioButton* types[] = {form.Get<ui::TRadioButton>("rb_inner"), form.Get<ui::TRadioButton>("rb_left"),
                                 form.Get<ui::TRadioButton>("rb_right")};
    const int type = query->AdvanceJoin && join.JoinType >= 0 && join.JoinType <= 2 ? join.JoinType : 0;
    types[type]->SetChecked(true);
    if (!query->AdvanceJoin)
        for (ui::TRadioButton* b : types) b->SetEnabled(false);
    form.UpdateTexts();
    const bool ok = form.ShowModal() == ui::mrOk;
    if (ok) {
        auto* compare = form.Get<ui::TRadioGroup>("rdoCompare");
        const int item = compare->ItemIndex() < 0 ? 0 : compare->ItemIndex();
        std::string op = compare->Items()->Strings(item).substr(0, 2);
        while (!op.empty() && op.back() == ' ') op.pop_back();
        join.CompareOperator = op;
        join.JoinType = !query->AdvanceJoin ? 0 : types[1]->Checked() ? 1 : types[2]->Checked() ? 2 : 0;
    }
    query->JoinLayer()->Invalidate();
    return ok;
}

}  // namespace vquery

namespace vquery {

// ---- TFrmSqlviewer ---------------------------------------------------------------------------

namespace {
TFrmSqlviewer* currentViewer = nullptr;
}  // namespace

GW_IMPLEMENT_CLASS(TFrmSqlviewer, ui::TForm) {}

TFrmSqlviewer::TFrmSqlviewer(classes::TComponent* owner) : TForm(owner)
{
    RegisterHandler("FormResize", this, &TFrmSqlviewer::FormResize);
    RegisterHandler("FormClose", this, &TFrmSqlviewer::FormClose);
    RegisterHandler("okbtnClick", this, &TFrmSqlviewer::okbtnClick);
    LoadDescription("TFrmSqlviewer");
    FormResize(this);
}

TFrmSqlviewer::~TFrmSqlviewer()
{
    if (currentViewer == this) currentViewer = nullptr;
}

TFrmSqlviewer* TFrmSqlviewer::Current() { return currentViewer; }

void TFrmSqlviewer::FormResize(classes::TObject*)
{
    if (Width() < 90) {
        SetWidth(90);
        return;  // the new width comes back here
    }
    Get<ui::TButton>("okbtn")->SetLeft(static_cast<int>(std::lround((Width() - 8) / 2.0)) - 35);
}

void TFrmSqlviewer::FormClose(classes::TObject*, ui::TCloseAction& action)
{
    action = ui::caFree;
    // It is freed later; its name is free at once for the next viewer of the same owner.
    SetName("");
    if (currentViewer == this) currentViewer = nullptr;
}

void TFrmSqlviewer::okbtnClick(classes::TObject*) { Close(); }

TFrmSqlviewer* ShowSqlViewer(classes::TComponent* owner, const std::string& sql)
{
    if (currentViewer != nullptr) currentViewer->Close();
    currentViewer = new TFrmSqlviewer(owner);
    currentViewer->Get<ui::TMemo>("Sql_memo")->SetText(sql);
    currentViewer->Show();
    return currentViewer;
}

}  // namespace vquery

namespace vquery {

// ---- TfrmAddTable ----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TfrmAddTable, ui::TForm) {}

TfrmAddTable::TfrmAddTable(classes::TComponent* owner) : TForm(owner)
{
    RegisterHandler("lbTableListDblClick", this, &TfrmAddTable::lbTableListDblClick);
    LoadDescription("TfrmAddTable");
    list_ = Get<ui::TListBox>("lbTableList");
}

void TfrmAddTable::lbTableListDblClick(classes::TObject*) { SetModalResult(ui::mrOk); }

// ---- TfrmSettings ----------------------------------------------------------------------------

namespace {
constexpr const char* kSettingsRoot = "SQL Generator Global";
constexpr const char* kDoubleQuote = "\"";
}  // namespace

GW_IMPLEMENT_CLASS(TfrmSettings, ui::TForm) {}

TfrmSettings::TfrmSettings(classes::TComponent* owner, std::string driver) : TForm(owner), driver_(std::move(driver))
{
    // Without a connection's own driver, the one used last.
    if (driver_.empty()) {
        try {
            driver_ = rtl::TRegIniFile(kSettingsRoot).ReadString("DriverName", "Last", "STANDARD");
        } catch (const std::exception&) {
            driver_ = "STANDARD";
        }
    }
    RegisterHandler("FormShow", this, &TfrmSettings::FormShow);
    RegisterHandler("cboDriversChange", this, &TfrmSettings::cboDriversChange);
    RegisterHandler("SettingChange", this, &TfrmSettings::SettingChange);
    RegisterHandler("rdoSchemaQuoteClick", this, &TfrmSettings::rdoSchemaQuoteClick);
    RegisterHandler("btnOKClick", this, &TfrmSettings::btnOKClick);
    LoadDescription("TfrmSettings");
    // The data layer's providers, named as their registry sections are.
    auto* drivers = Get<ui::TComboBox>("cboDrivers");
    for (const db::TProviderInfo& p : db::InstalledProviders()) drivers->Items()->Add(SettingsSection(p.name));
}

std::optional<TSQLSettings> TfrmSettings::Execute()
{
    if (ShowModal() != ui::mrOk) return std::nullopt;
    return TSQLSettings{Get<ui::TEdit>("edtCommentBegin")->Text(), Get<ui::TEdit>("edtCommentEnd")->Text(), QuoteChars()};
}

std::string TfrmSettings::QuoteChars() const
{
    switch (Get<ui::TRadioGroup>("rdoSchemaQuote")->ItemIndex()) {
    case 0: return "'";
    case 1: return kDoubleQuote;
    default: return Get<ui::TEdit>("edtQuoteChar")->Text();
    }
}

void TfrmSettings::FormShow(classes::TObject*)
{
    auto* drivers = Get<ui::TComboBox>("cboDrivers");
    const int index = drivers->Items()->IndexOf(driver_);
    if (index >= 0)
        drivers->SetItemIndex(index);
    else
        drivers->SetText(driver_);
    LoadDriver(driver_);
}

void TfrmSettings::LoadDriver(const std::string& driver)
{
    loading_ = true;
    const rtl::TScopeExit done([this] { loading_ = false; });
    // A value the registry cannot give leaves the edit as it is.
    const rtl::TRegIniFile ini(kSettingsRoot);
    for (const auto& [edit, ident] : {std::pair{"edtCommentBegin", "CommentStart"}, std::pair{"edtCommentEnd", "CommentEnd"},
                                      std::pair{"edtQuoteChar", "QuoteChar"}}) {
        auto* e = Get<ui::TEdit>(edit);
        try {
            e->SetText(ini.ReadString(driver, ident, e->Text()));
        } catch (const std::exception&) {
        }
    }
    const std::string quote = Get<ui::TEdit>("edtQuoteChar")->Text();
    Get<ui::TRadioGroup>("rdoSchemaQuote")->SetItemIndex(quote == "'" ? 0 : quote == kDoubleQuote ? 1 : 2);
    Get<ui::TEdit>("edtQuoteChar")->SetEnabled(Get<ui::TRadioGroup>("rdoSchemaQuote")->ItemIndex() == 2);
    modified_ = false;
}

void TfrmSettings::SaveDriver(const std::string& driver)
{
    rtl::TRegIniFile ini(kSettingsRoot);
    ini.WriteString("DriverName", "Last", driver);
    ini.WriteString(driver, "CommentStart", Get<ui::TEdit>("edtCommentBegin")->Text());
    ini.WriteString(driver, "CommentEnd", Get<ui::TEdit>("edtCommentEnd")->Text());
    ini.WriteString(driver, "QuoteChar", QuoteChars());
}

void TfrmSettings::cboDriversChange(classes::TObject*)
{
    const std::string chosen = Get<ui::TComboBox>("cboDrivers")->Text();
    if (chosen == driver_) return;
    if (modified_ && ui::MessageDlg("Save changes to " + driver_ + "?", ui::mtConfirmation, {ui::mbYes, ui::mbNo}) ==
                         ui::mrYes)
        SaveDriver(driver_);
    driver_ = chosen;
    LoadDriver(driver_);
}

void TfrmSettings::SettingChange(classes::TObject*)
{
    if (!loading_) modified_ = true;
}

void TfrmSettings::rdoSchemaQuoteClick(classes::TObject*)
{
    Get<ui::TEdit>("edtQuoteChar")->SetEnabled(Get<ui::TRadioGroup>("rdoSchemaQuote")->ItemIndex() == 2);
    if (!loading_) modified_ = true;
}

void TfrmSettings::btnOKClick(classes::TObject*)
{
    SaveDriver(driver_);
    modified_ = false;
    SetModalResult(ui::mrOk);
}

}  // namespace vquery
