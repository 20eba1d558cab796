#include "app/FConnect.h"

#include <exception>
#include <memory>

#include "app/DataLinkDlg.h"
#include "app/DataLinkFiles.h"
#include "app/FMain.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

namespace app {

TFrmConnect* FrmConnect = nullptr;
TFrmInputUDLFile* FrmInputUDLFile = nullptr;
TFrmADOAdmin* FrmADOAdmin = nullptr;

namespace {
std::string SelectedCaption(const ui::TListView& view)
{
    const ui::TListItem* item = view.Selected();
    return item != nullptr ? item->Caption() : std::string();
}

void ShowHelp(int context)
{
    if (FrmMain != nullptr) FrmMain->ShowHelpContext(context);
}
}  // namespace

// ---- Shared --------------------------------------------------------------------------------

bool FillDataLinkList(ui::TListView& view, int image)
{
    bool ok = false;
    const std::vector<std::string> names = DataLinkNames(DataLinksDir(), &ok);
    if (!ok) return false;
    {
    const auto update = rtl::MakeScope(*view.Items(), &ui::TListItems::BeginUpdate, &ui::TListItems::EndUpdate);
    view.Items()->Clear();
    for (const std::string& name : names) {
        ui::TListItem* item = view.Items()->Add();
        item->SetCaption(name);
        item->SetImageIndex(image);
    }
    }
    return true;
}

bool RemoveDataLink(const std::string& name)
{
    if (ui::MessageDlg("Are you sure you want to delete " + name + "?", ui::mtConfirmation, {ui::mbYes, ui::mbNo}) !=
        ui::mrYes)
        return false;
    if (!IsValidLinkName(name) || !rtl::DeleteFile(DataLinkFileName(name))) {
        ui::MessageDlg("Can not Delete " + name, ui::mtWarning, {ui::mbOK});
        return false;
    }
    return true;
}

std::string ConfigureDataLink(ui::TCustomForm* parent, const std::string& name)
{
    if (!IsValidLinkName(name)) return {};
    const std::string file = DataLinkFileName(name);
    std::string content;
    if (!ReadUDLFile(file, content)) return {};
    const std::string edited = PromptDataSource(parent, content);
    // Cancel (or an emptied string) leaves the link as it was.
    if (edited.empty() || !WriteUDLFile(file, edited)) return {};
    return edited;
}

bool NewDataLink()
{
    delete FrmInputUDLFile;  // a new-link dialog left open goes first
    std::unique_ptr<TFrmInputUDLFile> dialog(new TFrmInputUDLFile(&ui::Application()));
    return dialog->ShowModal() == ui::mrOk;
}

// ---- TFrmConnect ---------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TFrmConnect, ui::TForm) {}

TFrmConnect::TFrmConnect(classes::TComponent* owner) : TForm(owner)
{
    using F = TFrmConnect;
    RegisterHandler("FormShow", this, &F::FormShow);
    RegisterHandler("lv_DatabaseClick", this, &F::lv_DatabaseClick);
    RegisterHandler("lv_DatabaseSelectItem", this, &F::lv_DatabaseSelectItem);
    RegisterHandler("okbtnClick", this, &F::okbtnClick);
    RegisterHandler("cmd_newExecute", this, &F::cmd_newExecute);
    RegisterHandler("cmd_removeExecute", this, &F::cmd_removeExecute);
    RegisterHandler("cmd_editExecute", this, &F::cmd_editExecute);
    RegisterHandler("helpbtnClick", this, &F::helpbtnClick);
    LoadDescription("FrmConnect");
    FrmConnect = this;
}

TFrmConnect::~TFrmConnect()
{
    if (FrmConnect == this) FrmConnect = nullptr;
}

void TFrmConnect::FormShow(classes::TObject*)
{
    CreateSampleDataLinks();
    const TDataSourceListing listing = ListOdbcDataSources();
    PurgeOdbcDataLinks(listing);
    SyncOdbcDataLinks(listing);
    FillDataLinkList();
}

bool TFrmConnect::FillDataLinkList()
{
    const bool ok = app::FillDataLinkList(*Get<ui::TListView>("lv_Database"), 0);
    UpdateButtons();
    return ok;
}

std::string TFrmConnect::SelectedLink() const { return SelectedCaption(*Get<ui::TListView>("lv_Database")); }

void TFrmConnect::UpdateButtons()
{
    const bool selected = Get<ui::TListView>("lv_Database")->Selected() != nullptr;
    Get<ui::TButton>("okbtn")->SetEnabled(selected);
    Get<ui::TAction>("cmd_remove")->SetEnabled(selected);
    Get<ui::TAction>("cmd_edit")->SetEnabled(selected);
}

void TFrmConnect::lv_DatabaseClick(classes::TObject*) { UpdateButtons(); }

void TFrmConnect::lv_DatabaseSelectItem(classes::TObject*, ui::TListItem*, bool) { UpdateButtons(); }

void TFrmConnect::okbtnClick(classes::TObject*)
{
    const std::string name = SelectedLink();
    if (name.empty() || !IsValidLinkName(name)) return;
    std::string content;
    if (!ReadUDLFile(DataLinkFileName(name), content)) return;
    if (FrmMain != nullptr) FrmMain->ConnectionString = content;
    SetModalResult(ui::mrOk);
}

void TFrmConnect::cmd_newExecute(classes::TObject*)
{
    if (NewDataLink()) FillDataLinkList();
}

void TFrmConnect::cmd_removeExecute(classes::TObject*)
{
    const std::string name = SelectedLink();
    if (name.empty()) return;
    RemoveDataLink(name);
    FillDataLinkList();
}

void TFrmConnect::cmd_editExecute(classes::TObject*)
{
    const std::string name = SelectedLink();
    if (!name.empty()) ConfigureDataLink(this, name);
}

void TFrmConnect::helpbtnClick(classes::TObject*) { ShowHelp(kConnectHelpContext); }

// ---- TFrmInputUDLFile ----------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TFrmInputUDLFile, ui::TForm) {}

TFrmInputUDLFile::TFrmInputUDLFile(classes::TComponent* owner) : TForm(owner)
{
    RegisterHandler("okbtnClick", this, &TFrmInputUDLFile::okbtnClick);
    RegisterHandler("helpbtnClick", this, &TFrmInputUDLFile::helpbtnClick);
    LoadDescription("FrmInputUDLFile");
    FrmInputUDLFile = this;
}

TFrmInputUDLFile::~TFrmInputUDLFile()
{
    if (FrmInputUDLFile == this) FrmInputUDLFile = nullptr;
}

std::string TFrmInputUDLFile::InitialString(int index)
{
    switch (index) {
    case 0: return "Provider=Microsoft.Jet.OLEDB.4.0; Persist Security Info=False";
    case 1: return "Provider=SQLOLEDB.1; Persist Security Info=False";
    case 2: return "Provider=MSDAORA.1; Persist Security Info=False";
    case 3: return "Provider=MSDASQL.1; Persist Security Info=False";
    default: return {};
    }
}

void TFrmInputUDLFile::okbtnClick(classes::TObject*)
{
    const std::string name = Get<ui::TEdit>("InputUDL")->Text();
    if (name.empty()) {
        ui::MessageDlg("Please input Connection Name", ui::mtWarning, {ui::mbOK});
        return;
    }
    if (!IsValidLinkName(name)) {
        ui::MessageDlg(kInvalidLinkName, ui::mtWarning, {ui::mbOK});
        return;
    }
    if (!rtl::DirectoryExists(DataLinksDir()) && !ForceDataLinksDir()) {
        ui::MessageDlg(kCannotCreateLinksDir, ui::mtWarning, {ui::mbOK});
        return;
    }
    std::string path;
    try {
        path = DataLinkFileName(name);
    } catch (const std::exception&) {
        ui::MessageDlg("Can not read datalink path.", ui::mtError, {ui::mbOK});
        return;
    }
    if (rtl::FileExists(path) || rtl::DirectoryExists(path)) {
        ui::MessageDlg("Connection Name already exists, please choose another name.", ui::mtWarning, {ui::mbOK});
        return;
    }
    try {
        const std::string init = PromptDataSource(this, InitialString(Get<ui::TRadioGroup>("rb_dbtype")->ItemIndex()));
        if (!init.empty()) CreateUDLFile(path, init);
    } catch (const std::exception&) {
        ui::MessageDlg("Can not create data link file.", ui::mtError, {ui::mbOK});
        return;
    }
    SetModalResult(ui::mrOk);
}

void TFrmInputUDLFile::helpbtnClick(classes::TObject*) { ShowHelp(kConnectHelpContext); }

// ---- TFrmADOAdmin --------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TFrmADOAdmin, ui::TForm) {}

TFrmADOAdmin::TFrmADOAdmin(classes::TComponent* owner) : TForm(owner)
{
    using F = TFrmADOAdmin;
    RegisterHandler("FormCreate", this, &F::FormCreate);
    RegisterHandler("FormShow", this, &F::FormShow);
    RegisterHandler("lv_DatabaseSelectItem", this, &F::lv_DatabaseSelectItem);
    RegisterHandler("add_adoExecute", this, &F::add_adoExecute);
    RegisterHandler("edit_adoExecute", this, &F::edit_adoExecute);
    RegisterHandler("delete_adoExecute", this, &F::delete_adoExecute);
    RegisterHandler("refresh_adoExecute", this, &F::refresh_adoExecute);
    RegisterHandler("udplist_popupPopup", this, &F::udplist_popupPopup);
    LoadDescription("FrmADOAdmin");
    FrmADOAdmin = this;
}

TFrmADOAdmin::~TFrmADOAdmin()
{
    if (FrmADOAdmin == this) FrmADOAdmin = nullptr;
}

void TFrmADOAdmin::FormCreate(classes::TObject*) { SetShowHint(ui::Application().ShowHint()); }

void TFrmADOAdmin::FormShow(classes::TObject*) { RefreshList(); }

void TFrmADOAdmin::RefreshList()
{
    const TDataSourceListing listing = ListOdbcDataSources();
    PurgeOdbcDataLinks(listing);
    SyncOdbcDataLinks(listing);
    FillDataLinkList(*Get<ui::TListView>("lv_Database"), 5);
    Get<ui::TMemo>("mm_constr")->Lines()->Clear();
}

std::string TFrmADOAdmin::SelectedLink() const { return SelectedCaption(*Get<ui::TListView>("lv_Database")); }

void TFrmADOAdmin::ShowConnectionString(const std::string& s)
{
    auto* lines = Get<ui::TMemo>("mm_constr")->Lines();
    rtl::TStringList parts;
    SplitConnectionString(s, parts);
    {
    const auto update = rtl::MakeScope(*lines, &rtl::TStrings::BeginUpdate, &rtl::TStrings::EndUpdate);
    lines->Clear();
    for (int i = 0; i < parts.Count(); ++i) lines->Add(parts.Strings(i) + (i + 1 < parts.Count() ? ";" : ""));
    }
}

void TFrmADOAdmin::lv_DatabaseSelectItem(classes::TObject*, ui::TListItem* item, bool selected)
{
    if (item == nullptr || !selected || !IsValidLinkName(item->Caption())) return;
    const std::string file = DataLinkFileName(item->Caption());
    std::string content;
    if (rtl::FileExists(file) && ReadUDLFile(file, content)) ShowConnectionString(content);
}

void TFrmADOAdmin::add_adoExecute(classes::TObject*)
{
    if (NewDataLink()) RefreshList();
}

void TFrmADOAdmin::edit_adoExecute(classes::TObject*)
{
    const std::string name = SelectedLink();
    if (name.empty()) return;
    ConfigureDataLink(this, name);
    // The memo shows what the file holds now, whether or not it was rewritten.
    std::string content;
    if (ReadUDLFile(DataLinkFileName(name), content)) ShowConnectionString(content);
}

void TFrmADOAdmin::delete_adoExecute(classes::TObject*)
{
    const std::string name = SelectedLink();
    if (name.empty()) return;
    RemoveDataLink(name);
    RefreshList();
}

void TFrmADOAdmin::refresh_adoExecute(classes::TObject*) { RefreshList(); }

void TFrmADOAdmin::udplist_popupPopup(classes::TObject*)
{
    const bool selected = Get<ui::TListView>("lv_Database")->Selected() != nullptr;
    for (const char* name : {"mnu_add", "mnu_edit", "mnu_delete"}) Get<ui::TMenuItem>(name)->SetEnabled(selected);
}

void ShowADOAdministrator()
{
    delete FrmADOAdmin;
    std::unique_ptr<TFrmADOAdmin> admin(new TFrmADOAdmin(&ui::Application()));
    admin->ShowModal();
}

}  // namespace app
