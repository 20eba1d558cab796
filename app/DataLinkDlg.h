#pragma once
// The data-link dialog (forms/DataLinkDlg.gwf): edits one OLE DB initialisation string.
//
//  * Provider page: the provider for ODBC and the other providers links may name. Only the
//    ODBC one can connect; choosing another shows the data layer's message naming it, and OK
//    refuses it (as it refuses no provider at all).
//  * Connection page: a data source of the ODBC driver manager's list or an ODBC connection
//    string; user name, password, blank-password and save-password choices; the initial
//    catalogue; "Test Connection" really opens a connection on the string (with the password
//    typed, saved or not) and says that it worked or what the driver answered.
//  * All page: every initialisation property as a name and value; a value can be edited.
//
// Properties the pages do not show are kept as they were. PromptDataSource answers the new
// string on OK and "" on Cancel.

#include <string>
#include <vector>

#include "platform/db/ConnectionString.h"
#include "platform/ui/Forms.h"

namespace app {

// The providers the provider page lists, in order: the data layer's.
using TDataLinkProvider = db::TProviderInfo;
inline const std::vector<TDataLinkProvider>& DataLinkProviders() { return db::InstalledProviders(); }
// The data layer's message refusing `provider`; "" for the provider for ODBC.
std::string ProviderRefusal(const std::string& provider);

// What the connection page shows of an initialisation string.
struct TDataLinkSettings {
    bool useConnectionString = false;  // else a data source name
    std::string dataSource;
    std::string connectionString;  // "Extended Properties"
    std::string user;
    std::string password;
    bool blankPassword = false;
    bool savePassword = false;  // "Persist Security Info"
    std::string catalog;         // "Initial Catalog"
};
TDataLinkSettings DataLinkSettingsOf(const db::TConnectionParams& params);
// Writes the settings into `params` (other properties kept). The password is written only
// when it is to be saved, or `withPassword` asks for it (a test connection).
void ApplyDataLinkSettings(const TDataLinkSettings& settings, db::TConnectionParams& params, bool withPassword);

class TDataLinkDlg : public ui::TForm {
    GW_CLASS(TDataLinkDlg)

public:
    explicit TDataLinkDlg(classes::TComponent* owner);

    // Shows `initString`: with a provider named, on the connection page; without one, on the
    // provider page with no provider chosen.
    void Setup(const std::string& initString);
    // The string the dialog holds now.
    std::string InitString(bool withPassword = false);
    // The provider chosen ("" when none).
    std::string ChosenProvider() const;

private:
    void pc_DataLinkChange(classes::TObject* sender);
    void lb_ProviderClick(classes::TObject* sender);
    void rb_SourceClick(classes::TObject* sender);
    void cb_BlankPasswordClick(classes::TObject* sender);
    void btn_TestClick(classes::TObject* sender);
    void btn_EditValueClick(classes::TObject* sender);
    void okbtnClick(classes::TObject* sender);

    void LoadControls();
    void StoreControls(bool withPassword);
    void FillAllPage();
    void UpdateSourceControls();

    db::TConnectionParams params_;
    std::vector<std::string> providers_;  // the names behind lb_Provider's lines
};

// The dialog on `initString`, modal over `parent`: the string on OK, "" on Cancel.
std::string PromptDataSource(ui::TCustomForm* parent, const std::string& initString);

}  // namespace app
