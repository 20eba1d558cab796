#pragma once
// The "ODBC Error" dialog: shows an ESQLerror one diagnostic record at a time.
//
// The program creates it once at start (hidden, owned by the application object). While it
// exists it is the application's exception handler: an ESQLerror that reaches the message
// loop is shown in it; every other exception goes to the handler that was installed before,
// or, when there was none, to the application's standard box. Its stored description is
// forms/dbODBCErrorDlg.gwf.

#include <exception>

#include "odbc/ErrorPages.h"
#include "platform/ui/Forms.h"

namespace ui {
class TButton;
class TLabel;
}  // namespace ui

namespace odbc {

class TdbODBCErrorDlg : public ui::TForm {
    GW_CLASS(TdbODBCErrorDlg)

public:
    explicit TdbODBCErrorDlg(classes::TComponent* owner);
    ~TdbODBCErrorDlg() override;

    // The application's exception handler while the dialog exists.
    void HandleException(classes::TObject* sender, const std::exception& e);
    // Shows the dialog modally for `e`; answers the modal result.
    int ShowError(const std::exception& e);

    // The exception being shown; nullptr while the dialog is hidden.
    const std::exception* ShownException() const noexcept { return showing_; }
    const TErrorPages& Pages() const noexcept { return pages_; }

private:
    void FormCreate(classes::TObject* sender);
    void FormDestroy(classes::TObject* sender);
    void FormShow(classes::TObject* sender);
    void BackBtnClick(classes::TObject* sender);
    void NextBtnClick(classes::TObject* sender);
    void UpdatePage();

    TErrorPages pages_;
    const std::exception* showing_ = nullptr;
    ui::TExceptionEvent previousHandler_;
    bool installed_ = false;
};

// The one instance; nullptr when there is none.
TdbODBCErrorDlg* ODBCErrorDialog();

}  // namespace odbc
