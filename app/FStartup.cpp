#include "app/FStartup.h"

#include <memory>

#include "app/DataLinkFiles.h"
#include "app/FMain.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

namespace app {

TFrmStartup* FrmStartup = nullptr;

GW_IMPLEMENT_CLASS(TFrmStartup, ui::TForm) {}

TFrmStartup::TFrmStartup(classes::TComponent* owner) : TForm(owner)
{
    using F = TFrmStartup;
    RegisterHandler("FormCreate", this, &F::FormCreate);
    RegisterHandler("FormShow", this, &F::FormShow);
    RegisterHandler("rb_openClick", this, &F::rb_openClick);
    RegisterHandler("lb_fileDblClick", this, &F::lb_fileDblClick);
    RegisterHandler("helpbtnClick", this, &F::helpbtnClick);
    FrmStartup = this;
    LoadDescription("FrmStartup");
    Get<ui::TImage>("img_new")->SetSystemIcon(ui::siInformation);
    Get<ui::TImage>("img_open")->SetSystemIcon(ui::siQuestion);
}

TFrmStartup::~TFrmStartup()
{
    if (FrmStartup == this) FrmStartup = nullptr;
}

void TFrmStartup::FormCreate(classes::TObject*) { CreateSampleDataLinks(); }

void TFrmStartup::FormShow(classes::TObject*) { SetCaption("Welcome to " + ui::Application().Title()); }

void TFrmStartup::rb_openClick(classes::TObject*)
{
    Get<ui::TListBox>("lb_file")->SetEnabled(Get<ui::TRadioButton>("rb_open")->Checked());
}

void TFrmStartup::lb_fileDblClick(classes::TObject*)
{
    Get<ui::TRadioButton>("rb_open")->SetChecked(true);
    SetModalResult(ui::mrOk);
}

void TFrmStartup::helpbtnClick(classes::TObject*)
{
    if (FrmMain != nullptr) FrmMain->ShowHelpContext(kWelcomeHelpContext);
}

TWelcomeAnswer RunWelcomeDialog(const std::vector<std::string>& list)
{
    std::unique_ptr<TFrmStartup> dialog(new TFrmStartup(&ui::Application()));
    auto* files = dialog->Get<ui::TListBox>("lb_file");
    for (const std::string& line : list) files->Items()->Add(line);
    files->SetItemIndex(0);
    TWelcomeAnswer answer;
    answer.ok = dialog->ShowModal() == ui::mrOk;
    answer.newProject = dialog->Get<ui::TRadioButton>("rb_new")->Checked();
    answer.itemIndex = files->ItemIndex();
    return answer;
}

}  // namespace app
