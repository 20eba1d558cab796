#pragma once
// The data module: holds the program's one database connection (ado_connection). It is made
// before the main window and owned by the application object; its stored description is
// forms/dmMain.gwf, which binds the connection's OnWillConnect to ado_connectionWillConnect.
//
// ConnectDatabase opens the connection with the login retry: the first failure only switches
// the login on; from then on every failure is shown as a warning before the login dialog asks
// again, offering the user name given before, until the open succeeds or the user cancels. A cancel - or any error whose text
// holds "cancelled by the user" - ends the calling command silently (rtl::EAbort).
//
// Every connection the program opens takes its timeouts from the user's settings
// (ApplyConnectionSettings): registry key "Software\Gridweaver\Connection", integer values
// "LoginTimeout" (seconds the open may take, 15 when absent) and "QueryTimeout" (seconds each
// call of a statement may take, 30 when absent); 0 sets no limit.

#include <string>

#include "platform/classes/Component.h"
#include "platform/db/AdoConnection.h"

namespace app {

class TdmMain : public classes::TComponent {
    GW_CLASS(TdmMain)

public:
    explicit TdmMain(classes::TComponent* owner);
    ~TdmMain() override;

    db::TADOConnection* Connection() const;

    // Closes the connection, then opens it on `connectionString` with the login retry.
    // Returns once it is open; raises rtl::EAbort when the user cancelled. Exceptions that
    // are not the class library's pass out unchanged.
    void ConnectDatabase(const std::string& connectionString);
    // Shows the login dialog offering `user` as the user name; true with both texts on OK.
    static bool AskDatabaseLogin(std::string& user, std::string& password);

    // True once an open has failed in the running ConnectDatabase: the next open asks.
    bool AskLogin = false;

private:
    // The user name given at the last login of the running ConnectDatabase.
    std::string loginUser_;
    void ado_connectionWillConnect(db::TADOConnection* connection, std::string& connectionString,
                                   std::string& userId, std::string& password, db::TConnectOption& options,
                                   db::TEventStatus& status);
};

inline constexpr const char* kConnectionSettingsKey = "Software\\Gridweaver\\Connection";
// Gives `connection` the timeouts of the user's settings. A value that is missing, no integer
// or negative gives the default.
void ApplyConnectionSettings(db::TADOConnection& connection);

// The live data module, or nullptr.
extern TdmMain* dmMain;

}  // namespace app
