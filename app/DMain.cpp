#include "app/DMain.h"

#include "app/FLoginScreen.h"
#include "platform/classes/FormResources.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

#include <memory>
#include <string>

namespace app {

TdmMain* dmMain = nullptr;

namespace {

int SettingOrDefault(const rtl::TRegistry& registry, const char* name, int defaultValue)
{
    if (!registry.ValueExists(name)) return defaultValue;
    try {
        const int value = registry.ReadInteger(name);
        return value >= 0 ? value : defaultValue;
    } catch (const rtl::ERegistryException& e) {
        rtl::LogLine(std::string(name) + " setting",
                     std::string(e.what()) + "; the default of " + std::to_string(defaultValue) + " seconds holds");
        return defaultValue;
    }
}

}  // namespace

void ApplyConnectionSettings(db::TADOConnection& connection)
{
    int login = db::TADOConnection::kDefaultConnectionTimeout;
    int query = db::TADOConnection::kDefaultCommandTimeout;
    rtl::TRegistry registry;
    if (registry.OpenKey(kConnectionSettingsKey, false)) {
        login = SettingOrDefault(registry, "LoginTimeout", login);
        query = SettingOrDefault(registry, "QueryTimeout", query);
    }
    connection.SetConnectionTimeout(login);
    connection.SetCommandTimeout(query);
}

GW_IMPLEMENT_CLASS(TdmMain, classes::TComponent) {}

TdmMain::TdmMain(classes::TComponent* owner) : TComponent(owner)
{
    RegisterHandler("ado_connectionWillConnect", this, &TdmMain::ado_connectionWillConnect);
    classes::LoadFormDescription(*this, "dmMain");
    dmMain = this;
}

TdmMain::~TdmMain()
{
    if (dmMain == this) dmMain = nullptr;
}

db::TADOConnection* TdmMain::Connection() const { return FindComponent<db::TADOConnection>("ado_connection"); }

void TdmMain::ConnectDatabase(const std::string& connectionString)
{
    db::TADOConnection* connection = Connection();
    connection->Close();
    connection->SetConnectionString(connectionString);
    ApplyConnectionSettings(*connection);
    AskLogin = false;
    loginUser_.clear();
    bool retry = true;
    while (retry) {
        retry = false;
        try {
            connection->Open();
        } catch (const rtl::EAbort&) {
            throw;
        } catch (const rtl::Exception& e) {
            if (rtl::UpperCase(e.Message()).find("CANCELLED BY THE USER") != std::string::npos) throw rtl::EAbort();
            // The first failure only switches the login on; later ones are shown first.
            if (AskLogin) ui::MessageDlg(e.Message(), ui::mtWarning, {ui::mbOK});
            AskLogin = true;
            retry = true;
        }
    }
}

void TdmMain::ado_connectionWillConnect(db::TADOConnection*, std::string&, std::string& userId,
                                        std::string& password, db::TConnectOption&, db::TEventStatus& status)
{
    if (!AskLogin) return;  // the link's own credentials apply
    // A retry offers the user name typed before (the first login the link's): only the
    // password, or a mistyped name, needs typing again.
    std::string user = loginUser_.empty() ? userId : loginUser_;
    std::string pass;
    if (AskDatabaseLogin(user, pass)) {
        loginUser_ = user;
        userId = user;
        password = pass;
    } else {
        status = db::esCancel;
    }
}

bool TdmMain::AskDatabaseLogin(std::string& user, std::string& password)
{
    std::unique_ptr<TFrmLoginScreen> form(new TFrmLoginScreen(&ui::Application()));
    form->SetCaption("Login to database");
    form->Get<ui::TControl>("ed_UserName")->SetText(user);
    ui::Application().ProcessMessages();
    const bool ok = form->ShowModal() == ui::mrOk;
    if (ok) {
        user = form->Get<ui::TControl>("ed_UserName")->Text();
        password = form->Get<ui::TControl>("ed_Password")->Text();
    }
    form.reset();
    ui::Application().ProcessMessages();
    return ok;
}

}  // namespace app
