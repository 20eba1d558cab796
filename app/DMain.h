#pragma once
// The data module: holds the program's one database connection (ADOConnection1). It is made
// before the main window and owned by the application object; its stored description is
// forms/dmMain.gwf. Connecting and the login retry belong to the connection code.

#include "platform/classes/Component.h"

namespace db {
class TADOConnection;
}

namespace app {

class TdmMain : public classes::TComponent {
    GW_CLASS(TdmMain)

public:
    explicit TdmMain(classes::TComponent* owner);
    ~TdmMain() override;

    db::TADOConnection* Connection() const;
};

// The live data module, or nullptr.
extern TdmMain* dmMain;

}  // namespace app
