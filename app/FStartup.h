#pragma once
// The welcome dialog (forms/FrmStartup.gwf): "Create New Project", or "Open an existing file"
// with the recent projects listed ("More Files..." first). Creating it makes the sample data
// links that are missing. RunWelcomeDialog is the main window's welcome step: it shows the
// list and answers what was chosen.

#include <string>
#include <vector>

#include "app/Welcome.h"
#include "platform/ui/Forms.h"

namespace app {

inline constexpr int kWelcomeHelpContext = 20;

class TFrmStartup : public ui::TForm {
    GW_CLASS(TFrmStartup)

public:
    explicit TFrmStartup(classes::TComponent* owner);
    ~TFrmStartup() override;

private:
    void FormCreate(classes::TObject* sender);
    void FormShow(classes::TObject* sender);
    void rb_openClick(classes::TObject* sender);
    void lb_fileDblClick(classes::TObject* sender);
    void helpbtnClick(classes::TObject* sender);
};

extern TFrmStartup* FrmStartup;

// Shows the welcome dialog on `list` (item 0 selected), frees it, answers the choice.
TWelcomeAnswer RunWelcomeDialog(const std::vector<std::string>& list);

}  // namespace app
