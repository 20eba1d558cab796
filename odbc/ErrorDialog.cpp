#include "odbc/ErrorDialog.h"

#include "odbc/SqlError.h"
#include "platform/ui/StdCtrls.h"

namespace odbc {

namespace {
TdbODBCErrorDlg* instance = nullptr;
}  // namespace

TdbODBCErrorDlg* ODBCErrorDialog() { return instance; }

GW_IMPLEMENT_CLASS(TdbODBCErrorDlg, ui::TForm) {}

TdbODBCErrorDlg::TdbODBCErrorDlg(classes::TComponent* owner) : TForm(owner)
{
    RegisterHandler("FormCreate", this, &TdbODBCErrorDlg::FormCreate);
    RegisterHandler("FormDestroy", this, &TdbODBCErrorDlg::FormDestroy);
    RegisterHandler("FormShow", this, &TdbODBCErrorDlg::FormShow);
    RegisterHandler("BackBtnClick", this, &TdbODBCErrorDlg::BackBtnClick);
    RegisterHandler("NextBtnClick", this, &TdbODBCErrorDlg::NextBtnClick);
    LoadDescription("dbODBCErrorDlg");
    instance = this;
}

TdbODBCErrorDlg::~TdbODBCErrorDlg()
{
    // OnDestroy uses this class's members: run it while they exist.
    BeforeDestruction();
    if (instance == this) instance = nullptr;
}

void TdbODBCErrorDlg::FormCreate(classes::TObject*)
{
    ui::TApplication& application = ui::Application();
    previousHandler_ = application.OnException;
    application.OnException = [this](classes::TObject* sender, const std::exception& e) { HandleException(sender, e); };
    installed_ = true;
}

void TdbODBCErrorDlg::FormDestroy(classes::TObject*)
{
    if (instance == this) instance = nullptr;
    if (installed_) {
        ui::Application().OnException = previousHandler_;
        installed_ = false;
    }
}

void TdbODBCErrorDlg::HandleException(classes::TObject* sender, const std::exception& e)
{
    // One exception at a time: a second one raised while this dialog shows the first, and
    // anything raised while the application ends, gets the ordinary treatment.
    if (dynamic_cast<const ESQLerror*>(&e) != nullptr && showing_ == nullptr && !ui::Application().Terminated()) {
        ShowError(e);
    } else if (previousHandler_) {
        previousHandler_(sender, e);
    } else {
        ui::Application().ShowException(e);
    }
}

int TdbODBCErrorDlg::ShowError(const std::exception& e)
{
    struct TShowing {
        const std::exception*& slot;
        ~TShowing() { slot = nullptr; }
    } showing{showing_};
    showing_ = &e;
    pages_ = TErrorPages(e);
    return ShowModal();
}

void TdbODBCErrorDlg::FormShow(classes::TObject*)
{
    pages_.First();
    UpdatePage();
}

void TdbODBCErrorDlg::BackBtnClick(classes::TObject*)
{
    pages_.Back();
    UpdatePage();
}

void TdbODBCErrorDlg::NextBtnClick(classes::TObject*)
{
    pages_.Next();
    UpdatePage();
}

void TdbODBCErrorDlg::UpdatePage()
{
    Get<ui::TButton>("BackBtn")->SetEnabled(pages_.BackEnabled());
    Get<ui::TButton>("NextBtn")->SetEnabled(pages_.NextEnabled());
    Get<ui::TLabel>("ErrorLabel")->SetCaption(pages_.Text());
}

}  // namespace odbc
