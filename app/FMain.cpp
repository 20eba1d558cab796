#include "app/FMain.h"

#include "app/HelpSystem.h"
#include "app/OdbcAdmin.h"
#include "app/Tips.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Paths.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"

namespace app {

TFrmMain* FrmMain = nullptr;

TMainWindowHooks& MainWindowHooks()
{
    static TMainWindowHooks hooks;
    return hooks;
}

GW_IMPLEMENT_CLASS(TFrmMain, ui::TForm) {}

TFrmMain::TFrmMain(classes::TComponent* owner) : TForm(owner)
{
    using F = TFrmMain;
    RegisterHandler("FormCreate", this, &F::FormCreate);
    RegisterHandler("FormShow", this, &F::FormShow);
    RegisterHandler("FormDestroy", this, &F::FormDestroy);
    RegisterHandler("startup_timerTimer", this, &F::startup_timerTimer);
    RegisterHandler("cmd_newExecute", this, &F::cmd_newExecute);
    RegisterHandler("cmd_openExecute", this, &F::cmd_openExecute);
    RegisterHandler("cmd_saveExecute", this, &F::cmd_saveExecute);
    RegisterHandler("cmd_saveasExecute", this, &F::cmd_saveasExecute);
    RegisterHandler("cmd_closeExecute", this, &F::cmd_closeExecute);
    RegisterHandler("cmd_savehtmlExecute", this, &F::cmd_savehtmlExecute);
    RegisterHandler("cmd_exitExecute", this, &F::cmd_exitExecute);
    RegisterHandler("cmd_adoadminExecute", this, &F::cmd_adoadminExecute);
    RegisterHandler("cmd_odbcExecute", this, &F::cmd_odbcExecute);
    RegisterHandler("cmd_showhelpExecute", this, &F::cmd_showhelpExecute);
    RegisterHandler("mnu_tutorialClick", this, &F::mnu_tutorialClick);
    RegisterHandler("mnu_WebClick", this, &F::mnu_WebClick);
    RegisterHandler("mnu_tipClick", this, &F::mnu_tipClick);
    RegisterHandler("ApplicationEvents1Hint", this, &F::ApplicationEvents1Hint);
    FrmMain = this;
    LoadDescription("FrmMain");
}

TFrmMain::~TFrmMain()
{
    // OnDestroy uses this class's members: run it while they exist.
    BeforeDestruction();
    if (FrmMain == this) FrmMain = nullptr;
}

TTips* TFrmMain::TipDlg() const { return Get<TTips>("TipDlg"); }

void TFrmMain::FormCreate(classes::TObject*)
{
    SetCaption(ui::Application().Title());
    AppDir = rtl::IncludeTrailingPathDelimiter(rtl::AppDir());
    DataDir = AppDir + "Data";
    LayoutStylesDir = AppDir + "LayoutStyles";
    TutorialsDir = AppDir + "Tutorials";
    ProjectsDir = AppDir + "Projects";
    TempDir = AppDir + "Temp";
    TempHtmlFile = TempDir + "/Temp.html";
    HistoryFile = DataDir + "/history.dat";
    // A save of the list killed between its write and its rename leaves its temporary file.
    rtl::RemoveStaleSaveTemporaries(HistoryFile);
    HelpFile = HelpFileOf(AppDir);
    helpHook_ = std::make_unique<THookHelpSystem>(HelpFile, "", 0);
    BuildToolBarMenus();
}

// The tool bar's File, Tools and Help buttons drop menus that mirror the main menu's three
// menus item by item; choosing a mirrored item chooses the main menu's own.
void TFrmMain::BuildToolBarMenus()
{
    const std::function<void(ui::TMenuItem*, ui::TMenuItem*, ui::TPopupMenu*)> mirror =
        [&](ui::TMenuItem* from, ui::TMenuItem* to, ui::TPopupMenu* menu) {
            for (int i = 0; i < from->Count(); ++i) {
                ui::TMenuItem* source = from->Items(i);
                auto* item = new ui::TMenuItem(menu);
                item->SetCaption(source->Caption());
                if (source->Action() != nullptr)
                    item->SetAction(source->Action());
                else if (source->Count() == 0)
                    item->OnClick = [source](classes::TObject*) { source->Click(); };
                to->Add(item);
                mirror(source, item, menu);
            }
        };
    const std::pair<const char*, const char*> buttons[] = {
        {"tb_file", "mnu_file"}, {"tb_tools", "mnu_tools"}, {"tb_help", "mnu_help"}};
    for (const auto& [button, menuName] : buttons) {
        auto* popup = new ui::TPopupMenu(this);
        popup->SetName(std::string(menuName) + "_drop");
        mirror(Get<ui::TMenuItem>(menuName), popup->Items(), popup);
        Get<ui::TToolButton>(button)->SetDropdownMenu(popup);
    }
}

void TFrmMain::FormShow(classes::TObject*)
{
    SetCaption(ui::Application().Title());
    Get<ui::TTimer>("startup_timer")->SetEnabled(true);
}

void TFrmMain::FormDestroy(classes::TObject*)
{
    helpHook_.reset();
    HHCloseAll();
}

void TFrmMain::startup_timerTimer(classes::TObject*) { RunStartupSequence(); }

std::vector<std::string> TFrmMain::RunStartupSequence()
{
    Get<ui::TTimer>("startup_timer")->SetEnabled(false);
    if (TipDlg()->ReadShowAtStart()) TipDlg()->Execute();
    std::vector<std::string> list = WelcomeList(HistoryFile, ProjectsDir);
    // The welcome dialog (plugged in by the program's start, RunWelcomeDialog) shows the list
    // and ends the sequence.
    if (const auto& dialog = MainWindowHooks().welcomeDialog) DispatchWelcome(dialog(list), list);
    return list;
}

void TFrmMain::DispatchWelcome(const TWelcomeAnswer& answer, const std::vector<std::string>& list)
{
    std::string path;
    switch (WelcomeDispatch(answer, list, path)) {
    case TWelcomeAction::NewProject:
        Get<ui::TAction>("cmd_new")->Execute();
        break;
    case TWelcomeAction::OpenProject:
        if (MainWindowHooks().openProject) MainWindowHooks().openProject(path);
        break;
    case TWelcomeAction::MoreFiles:
        Get<ui::TAction>("cmd_open")->Execute();
        break;
    case TWelcomeAction::Nothing:
        break;
    }
}

void TFrmMain::SetMainCaption(const std::string& name)
{
    const std::string& title = ui::Application().Title();
    SetCaption(name.empty() ? title : title + " - [" + name + "]");
}

std::string TFrmMain::StripExtension(const std::string& fileName)
{
    const std::string ext = rtl::ExtractFileExt(fileName);
    return fileName.substr(0, fileName.size() - ext.size());
}

void TFrmMain::ShowHelpContext(int context)
{
    std::string detail;
    const int result = ShowContext(MakeHelpUrl(HelpFile, "", "", 0), context, 0, &detail);
    HHShowError(result, detail);
}

void TFrmMain::SetProjectOpen(bool open)
{
    for (const char* name : {"cmd_save", "cmd_saveas", "cmd_close", "cmd_savehtml"})
        Get<ui::TAction>(name)->SetEnabled(open);
}

void TFrmMain::cmd_newExecute(classes::TObject*)
{
    if (MainWindowHooks().newProject) MainWindowHooks().newProject();
}

void TFrmMain::cmd_openExecute(classes::TObject*)
{
    auto* dialog = Get<ui::TOpenDialog>("opendlg");
    dialog->SetInitialDir(ProjectsDir);
    if (dialog->Execute() && MainWindowHooks().openProject) MainWindowHooks().openProject(dialog->FileName());
}

void TFrmMain::cmd_saveExecute(classes::TObject*)
{
    if (MainWindowHooks().saveProject) MainWindowHooks().saveProject();
}

void TFrmMain::cmd_saveasExecute(classes::TObject*)
{
    if (MainWindowHooks().saveProjectAs) MainWindowHooks().saveProjectAs();
}

void TFrmMain::cmd_closeExecute(classes::TObject*)
{
    ui::TCustomForm* design = ActiveMDIChild();
    if (design == nullptr || !design->Close()) return;
    SetProjectOpen(false);
    SetMainCaption("");
    Get<ui::TStatusBar>("sbar_main")->Panels()->Items(1)->SetText("");
}

void TFrmMain::cmd_savehtmlExecute(classes::TObject*)
{
    if (MDIChildCount() > 0 && MainWindowHooks().savePages) MainWindowHooks().savePages();
}

void TFrmMain::cmd_exitExecute(classes::TObject*)
{
    std::vector<ui::TCustomForm*> children;
    for (int i = 0; i < MDIChildCount(); ++i) children.push_back(MDIChildren(i));
    // A child kept open (its changes neither saved nor given up) keeps the program running.
    for (ui::TCustomForm* child : children)
        if (!child->Close()) return;
    Close();
}

void TFrmMain::cmd_adoadminExecute(classes::TObject*)
{
    if (MainWindowHooks().adoAdministrator) MainWindowHooks().adoAdministrator();
}

void TFrmMain::cmd_odbcExecute(classes::TObject*) { ShowOdbcAdministrator(); }

void TFrmMain::cmd_showhelpExecute(classes::TObject*)
{
    if (HtmlHelpLocation(HelpFile).empty())
        ui::MessageDlg("Can not open help, the help viewer is not available.", ui::mtWarning, {ui::mbOK});
    else
        ShowHelpContext(10);
}

void TFrmMain::mnu_tutorialClick(classes::TObject* sender)
{
    const auto* item = dynamic_cast<const classes::TComponent*>(sender);
    if (item == nullptr) return;
    if (item->Name() == "mnu_tutorial1") OpenPageInBrowser(TutorialsDir + "/tutorial1.html");
    if (item->Name() == "mnu_tutorial2") OpenPageInBrowser(TutorialsDir + "/tutorial2.html");
}

const std::vector<std::pair<std::string, std::string>>& TFrmMain::WebPages()
{
    // The product has no web site: each item opens the local help page on its subject.
    static const std::vector<std::pair<std::string, std::string>> pages{
        {"mnu_moretutorial", "Help/tutorials.html"}, {"mnu_onlinehelp", "Help/index.html"},
        {"mnu_support", "Help/support.html"},        {"mnu_marrowfoldweb", "Help/about.html"},
        {"mnu_gridweaverweb", "Help/about.html"},
    };
    return pages;
}

void TFrmMain::mnu_WebClick(classes::TObject* sender)
{
    const auto* item = dynamic_cast<const classes::TComponent*>(sender);
    if (item == nullptr) return;
    for (const auto& [name, page] : WebPages())
        if (item->Name() == name) OpenPageInBrowser(AppDir + page);
}

void TFrmMain::mnu_tipClick(classes::TObject*) { TipDlg()->Execute(); }

void TFrmMain::ApplicationEvents1Hint(classes::TObject*)
{
    Get<ui::TStatusBar>("sbar_main")->Panels()->Items(0)->SetText(ui::Application().Hint());
}

}  // namespace app
