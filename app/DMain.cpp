#include "app/DMain.h"

#include "app/FLoginScreen.h"
#include "platform/classes/FormResources.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

#include <memory>

namespace app {

TdmMain* dmMain = nullptr;

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
    AskLogin = false;
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
    std::string user, pass;
    if (AskDatabaseLogin(user, pass)) {
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
