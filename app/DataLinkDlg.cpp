#include "app/DataLinkDlg.h"

#include <exception>
#include <memory>

#include "app/DMain.h"
#include "app/DataLinkFiles.h"
#include "platform/db/AdoConnection.h"
#include "platform/db/DbErrors.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"

namespace app {

std::string ProviderRefusal(const std::string& provider)
{
    if (db::IsOdbcProvider(provider)) return {};
    try {
        db::OleDbToOdbc(db::FormatInitString({{"Provider", provider}}));
    } catch (const db::EDatabaseError& e) {
        return e.Message();
    }
    return {};
}

TDataLinkSettings DataLinkSettingsOf(const db::TConnectionParams& params)
{
    TDataLinkSettings s;
    s.dataSource = db::FindParam(params, "Data Source").value_or("");
    s.connectionString = db::FindParam(params, "Extended Properties").value_or("");
    s.useConnectionString = !s.connectionString.empty();
    s.user = db::FindParam(params, "User ID").value_or("");
    const auto password = db::FindParam(params, "Password");
    s.password = password.value_or("");
    s.savePassword = rtl::SameText(rtl::Trim(db::FindParam(params, "Persist Security Info").value_or("")), "True");
    s.blankPassword = password && password->empty();
    s.catalog = db::FindParam(params, "Initial Catalog").value_or("");
    return s;
}

namespace {
// A provider name without its version suffix ("SQLOLEDB.1" -> "SQLOLEDB").
std::string ProviderBase(const std::string& provider)
{
    const std::size_t dot = provider.rfind('.');
    if (dot == std::string::npos || dot + 1 == provider.size()) return provider;
    for (std::size_t i = dot + 1; i < provider.size(); ++i)
        if (provider[i] < '0' || provider[i] > '9') return provider;
    return provider.substr(0, dot);
}

void SetOrRemove(db::TConnectionParams& params, std::string_view key, const std::string& value)
{
    if (value.empty())
        db::RemoveParam(params, key);
    else
        db::SetParam(params, key, value);
}
}  // namespace

void ApplyDataLinkSettings(const TDataLinkSettings& s, db::TConnectionParams& params, bool withPassword)
{
    db::SetParam(params, "Persist Security Info", s.savePassword ? "True" : "False");
    if (s.useConnectionString) {
        db::RemoveParam(params, "Data Source");
        SetOrRemove(params, "Extended Properties", s.connectionString);
    } else {
        db::RemoveParam(params, "Extended Properties");
        SetOrRemove(params, "Data Source", s.dataSource);
    }
    SetOrRemove(params, "User ID", s.user);
    if (s.savePassword || withPassword) {
        if (s.blankPassword)
            db::SetParam(params, "Password", "");
        else
            SetOrRemove(params, "Password", s.password);
    } else {
        db::RemoveParam(params, "Password");
    }
    SetOrRemove(params, "Initial Catalog", s.catalog);
}

// ---- The dialog ----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TDataLinkDlg, ui::TForm) {}

TDataLinkDlg::TDataLinkDlg(classes::TComponent* owner) : TForm(owner)
{
    using D = TDataLinkDlg;
    RegisterHandler("pc_DataLinkChange", this, &D::pc_DataLinkChange);
    RegisterHandler("lb_ProviderClick", this, &D::lb_ProviderClick);
    RegisterHandler("rb_SourceClick", this, &D::rb_SourceClick);
    RegisterHandler("cb_BlankPasswordClick", this, &D::cb_BlankPasswordClick);
    RegisterHandler("btn_TestClick", this, &D::btn_TestClick);
    RegisterHandler("btn_EditValueClick", this, &D::btn_EditValueClick);
    RegisterHandler("okbtnClick", this, &D::okbtnClick);
    LoadDescription("DataLinkDlg");
}

void TDataLinkDlg::Setup(const std::string& initString)
{
    params_ = db::ParseInitString(initString);
    const std::string provider = rtl::Trim(db::FindParam(params_, "Provider").value_or(""));

    auto* list = Get<ui::TListBox>("lb_Provider");
    list->Items()->Clear();
    providers_.clear();
    int chosen = -1;
    for (const TDataLinkProvider& p : DataLinkProviders()) {
        const std::string name = p.name;
        if (!provider.empty() && chosen < 0 &&
            (db::IsOdbcProvider(name) ? db::IsOdbcProvider(provider)
                                      : rtl::SameText(ProviderBase(provider), ProviderBase(name))))
            chosen = static_cast<int>(providers_.size());
        providers_.push_back(name);
        list->Items()->Add(std::string(p.description) + " (" + name + ")");
    }
    if (!provider.empty() && chosen < 0) {
        // A provider of a link made elsewhere: shown as it is named.
        chosen = static_cast<int>(providers_.size());
        providers_.push_back(provider);
        list->Items()->Add(provider);
    }
    list->SetItemIndex(chosen);

    auto* sources = Get<ui::TComboBox>("cb_DataSource");
    sources->Items()->Clear();
    for (const std::string& name : ListOdbcDataSources().names) sources->Items()->Add(name);

    LoadControls();
    auto* pages = Get<ui::TPageControl>("pc_DataLink");
    pages->SetActivePage(Get<ui::TTabSheet>(chosen < 0 ? "ts_Provider" : "ts_Connection"));
}

std::string TDataLinkDlg::ChosenProvider() const
{
    const int index = Get<ui::TListBox>("lb_Provider")->ItemIndex();
    return index >= 0 && index < static_cast<int>(providers_.size()) ? providers_[static_cast<std::size_t>(index)]
                                                                     : std::string();
}

void TDataLinkDlg::LoadControls()
{
    const TDataLinkSettings s = DataLinkSettingsOf(params_);
    Get<ui::TRadioButton>("rb_DataSource")->SetChecked(!s.useConnectionString);
    Get<ui::TRadioButton>("rb_ConnString")->SetChecked(s.useConnectionString);
    Get<ui::TComboBox>("cb_DataSource")->SetText(s.dataSource);
    Get<ui::TEdit>("ed_ConnString")->SetText(s.connectionString);
    Get<ui::TEdit>("ed_User")->SetText(s.user);
    Get<ui::TEdit>("ed_Password")->SetText(s.password);
    Get<ui::TCheckBox>("cb_BlankPassword")->SetChecked(s.blankPassword);
    Get<ui::TCheckBox>("cb_SavePassword")->SetChecked(s.savePassword);
    Get<ui::TEdit>("ed_Catalog")->SetText(s.catalog);
    UpdateSourceControls();
}

void TDataLinkDlg::StoreControls(bool withPassword)
{
    TDataLinkSettings s;
    s.useConnectionString = Get<ui::TRadioButton>("rb_ConnString")->Checked();
    s.dataSource = rtl::Trim(Get<ui::TComboBox>("cb_DataSource")->Text());
    s.connectionString = rtl::Trim(Get<ui::TEdit>("ed_ConnString")->Text());
    s.user = Get<ui::TEdit>("ed_User")->Text();
    s.password = Get<ui::TEdit>("ed_Password")->Text();
    s.blankPassword = Get<ui::TCheckBox>("cb_BlankPassword")->Checked();
    s.savePassword = Get<ui::TCheckBox>("cb_SavePassword")->Checked();
    s.catalog = rtl::Trim(Get<ui::TEdit>("ed_Catalog")->Text());
    const std::string provider = ChosenProvider();
    if (provider.empty())
        db::RemoveParam(params_, "Provider");
    else
        db::SetParam(params_, "Provider", provider);
    ApplyDataLinkSettings(s, params_, withPassword);
}

std::string TDataLinkDlg::InitString(bool withPassword)
{
    // The All page's values are the truth while it shows: its edits go straight into them.
    if (Get<ui::TPageControl>("pc_DataLink")->ActivePage() != Get<ui::TTabSheet>("ts_All")) {
        StoreControls(withPassword);
    } else if (withPassword) {
        db::TConnectionParams copy = params_;
        TDataLinkSettings s = DataLinkSettingsOf(copy);
        s.password = Get<ui::TEdit>("ed_Password")->Text();
        ApplyDataLinkSettings(s, copy, true);
        return db::FormatInitString(copy);
    }
    return db::FormatInitString(params_);
}

void TDataLinkDlg::UpdateSourceControls()
{
    const bool byName = Get<ui::TRadioButton>("rb_DataSource")->Checked();
    Get<ui::TComboBox>("cb_DataSource")->SetEnabled(byName);
    Get<ui::TEdit>("ed_ConnString")->SetEnabled(!byName);
    Get<ui::TEdit>("ed_Password")->SetEnabled(!Get<ui::TCheckBox>("cb_BlankPassword")->Checked());
}

void TDataLinkDlg::FillAllPage()
{
    auto* view = Get<ui::TListView>("lv_All");
    {
    const auto update = rtl::MakeScope(*view->Items(), &ui::TListItems::BeginUpdate, &ui::TListItems::EndUpdate);
    view->Items()->Clear();
    for (const db::TConnectionParam& p : params_) {
        ui::TListItem* item = view->Items()->Add();
        item->SetCaption(p.key);
        item->SubItems()->Add(rtl::SameText(p.key, "Password") ? std::string(p.value.size(), '*') : p.value);
    }
    }
}

void TDataLinkDlg::pc_DataLinkChange(classes::TObject*)
{
    auto* pages = Get<ui::TPageControl>("pc_DataLink");
    if (pages->ActivePage() == Get<ui::TTabSheet>("ts_All")) {
        StoreControls(false);
        FillAllPage();
    } else {
        LoadControls();
    }
}

void TDataLinkDlg::lb_ProviderClick(classes::TObject*)
{
    const std::string refusal = ProviderRefusal(ChosenProvider());
    if (!refusal.empty()) ui::MessageDlg(refusal, ui::mtWarning, {ui::mbOK});
}

void TDataLinkDlg::rb_SourceClick(classes::TObject*) { UpdateSourceControls(); }

void TDataLinkDlg::cb_BlankPasswordClick(classes::TObject*)
{
    if (Get<ui::TCheckBox>("cb_BlankPassword")->Checked()) Get<ui::TEdit>("ed_Password")->SetText("");
    UpdateSourceControls();
}

void TDataLinkDlg::btn_TestClick(classes::TObject*)
{
    const std::string init = InitString(true);
    try {
        db::TADOConnection connection(nullptr);
        connection.SetLoginPrompt(false);
        connection.SetConnectionString(init);
        ApplyConnectionSettings(connection);
        connection.Open();
        connection.Close();
    } catch (const std::exception& e) {
        ui::MessageDlg("Test connection failed:\r\n" + std::string(e.what()), ui::mtWarning, {ui::mbOK});
        return;
    }
    ui::MessageDlg("Test connection succeeded.", ui::mtInformation, {ui::mbOK});
}

void TDataLinkDlg::btn_EditValueClick(classes::TObject*)
{
    auto* view = Get<ui::TListView>("lv_All");
    ui::TListItem* item = view->Selected();
    if (item == nullptr) return;
    const int index = item->Index();
    if (index < 0 || index >= static_cast<int>(params_.size())) return;
    db::TConnectionParam& param = params_[static_cast<std::size_t>(index)];
    std::string value = param.value;
    if (!ui::InputQuery("Edit Property Value", param.key, value)) return;
    param.value = value;
    FillAllPage();
    view->SetItemIndex(index);
}

void TDataLinkDlg::okbtnClick(classes::TObject*)
{
    const std::string provider = ChosenProvider();
    if (provider.empty()) {
        Get<ui::TPageControl>("pc_DataLink")->SetActivePage(Get<ui::TTabSheet>("ts_Provider"));
        ui::MessageDlg("Please select a provider.", ui::mtWarning, {ui::mbOK});
        return;
    }
    if (const std::string refusal = ProviderRefusal(provider); !refusal.empty()) {
        ui::MessageDlg(refusal, ui::mtWarning, {ui::mbOK});
        return;
    }
    SetModalResult(ui::mrOk);
}

std::string PromptDataSource(ui::TCustomForm* parent, const std::string& initString)
{
    (void)parent;  // the dialog centres itself on the active form
    std::unique_ptr<TDataLinkDlg> dialog(new TDataLinkDlg(&ui::Application()));
    dialog->Setup(initString);
    if (dialog->ShowModal() != ui::mrOk) return {};
    return dialog->InitString();
}

}  // namespace app
