#include "app/ProjectCommands.h"

#include <memory>

#include "app/DMain.h"
#include "app/DataLinkFiles.h"
#include "app/FConnect.h"
#include "app/FMain.h"
#include "app/ProjectFile.h"
#include "designer/FDesign.h"
#include "platform/db/AdoDataSet.h"
#include "platform/rtl/Files.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "vquery/VQuery.h"

namespace app {

designer::TDesignHost DesignHost()
{
    designer::TDesignHost host;
    if (FrmMain == nullptr) return host;
    host.appDir = FrmMain->AppDir;
    host.dataDir = FrmMain->DataDir;
    host.layoutStylesDir = FrmMain->LayoutStylesDir;
    host.tempHtmlFile = FrmMain->TempHtmlFile;
    host.setStatus = [](const std::string& text) {
        if (FrmMain != nullptr) FrmMain->Get<ui::TStatusBar>("sbar_main")->Panels()->Items(1)->SetText(text);
    };
    return host;
}

designer::TFrmDesign* OpenDesignWindow(const std::string& linkName)
{
    if (designer::FrmDesign != nullptr) designer::FrmDesign->Close();
    designer::RegisterDesignClasses();
    auto* design = new designer::TFrmDesign(&ui::Application(), DesignHost());
    auto* options = design->C<ui::TListBox>("optionlist")->Items();
    options->Clear();
    for (const std::string& line :
         NewProjectOptionLines(linkName, FrmMain != nullptr ? FrmMain->ConnectionString : std::string()))
        options->Add(line);
    design->HasProjectFile = false;
    design->ProjectName = "Untitled";
    if (FrmMain != nullptr) design->ProjectPath = rtl::IncludeTrailingPathDelimiter(FrmMain->ProjectsDir) + "Untitled.gwp";
    design->Query()->SetConnection(dmMain != nullptr ? dmMain->Connection() : nullptr);
    design->QueryDataSet = design->Query();
    auto* query = design->C<vquery::TmfVQuery>("VisualQuery");
    query->SetADOConnection(dmMain != nullptr ? dmMain->Connection() : nullptr);
    query->ReadSQLSettings();
    query->SetupADOInfo();
    design->PreviousGetDataPage = 0;
    if (FrmMain != nullptr) {
        FrmMain->SetProjectOpen(true);
        FrmMain->SetMainCaption("Untitled");
    }
    design->Show();
    return design;
}

void NewProject()
{
    if (designer::FrmDesign != nullptr) designer::FrmDesign->Close();
    if (dmMain != nullptr && dmMain->Connection()->Connected()) dmMain->Connection()->Close();
    std::string name;
    {
        std::unique_ptr<TFrmConnect> dialog(new TFrmConnect(&ui::Application()));
        if (dialog->ShowModal() != ui::mrOk) return;
        name = dialog->SelectedLink();
    }
    if (name.empty() || dmMain == nullptr) return;
    dmMain->ConnectDatabase("FILE NAME=" + DataLinkFileName(name));
    OpenDesignWindow(name);
}

void SavePages()
{
    if (designer::FrmDesign != nullptr) designer::FrmDesign->SaveActionExecute(designer::FrmDesign);
}

}  // namespace app
