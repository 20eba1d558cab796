#pragma once
// The login dialog of the connection's retry (forms/FrmLoginScreen.gwf): user name and
// password (shown as asterisks) with OK and Cancel; the caller reads the two edits' texts
// after OK.

#include "platform/ui/Forms.h"

namespace app {

class TFrmLoginScreen : public ui::TForm {
    GW_CLASS(TFrmLoginScreen)

public:
    explicit TFrmLoginScreen(classes::TComponent* owner);
};

}  // namespace app
