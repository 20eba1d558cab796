#pragma once
// The main window: the multiple-document frame of the program. It holds the program-folder
// paths and the current connection string that the rest of the program reads, owns the
// menus, tool bars and status bar and the project commands, and after it is shown runs the
// start-up sequence once (tip of the day, then the welcome list). Its stored description is
// forms/FrmMain.gwf; the tool bar's File, Tools and Help buttons drop the main menu's three
// menus.
//
// The project commands (New, Open, Save, Save As, Save Pages, ADO Administrator) and the
// welcome dialog are the work of the project and connection code; they plug into
// MainWindowHooks(). The commands Save, Save As, Close and Save Pages are enabled while a
// project is open (SetProjectOpen) and disabled by Close.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Welcome.h"
#include "platform/ui/Forms.h"

namespace app {

class THookHelpSystem;
class TTips;

// Where the later parts of the program plug in. An empty hook does nothing.
struct TMainWindowHooks {
    std::function<void()> newProject;
    std::function<void(const std::string& fileName)> openProject;
    std::function<void()> saveProject;
    std::function<void()> saveProjectAs;
    std::function<void()> savePages;
    std::function<void()> adoAdministrator;
    // The welcome dialog: shows the list, answers what was chosen (CreateProgramWindows
    // plugs in RunWelcomeDialog; without one the start-up sequence ends once the list is made).
    std::function<TWelcomeAnswer(const std::vector<std::string>& list)> welcomeDialog;
};
TMainWindowHooks& MainWindowHooks();

class TFrmMain : public ui::TForm {
    GW_CLASS(TFrmMain)

public:
    explicit TFrmMain(classes::TComponent* owner);
    ~TFrmMain() override;

    // Program-folder paths; AppDir ends with "/", the folders do not.
    std::string AppDir, DataDir, LayoutStylesDir, TutorialsDir, ProjectsDir, TempDir, TempHtmlFile, HistoryFile,
        HelpFile;
    // The content of the current data link.
    std::string ConnectionString;

    // The caption: the application title, or title + " - [" + name + "]".
    void SetMainCaption(const std::string& name);
    // The file name without its extension (the part after the last "." of the last path
    // part, whatever its length); a name without one is returned whole.
    static std::string StripExtension(const std::string& fileName);
    // Shows the help page of `context` in the help viewer; a missing page or context is said.
    void ShowHelpContext(int context);
    // Enables or disables Save, Save As, Close and Save Pages.
    void SetProjectOpen(bool open);

    // The start-up sequence (the timer's handler): the tip when chosen, then the welcome list.
    // Answers the list it made.
    std::vector<std::string> RunStartupSequence();
    // Carries out the welcome dialog's answer.
    void DispatchWelcome(const TWelcomeAnswer& answer, const std::vector<std::string>& list);
    // The web menu items' pages, by item name (local help pages).
    static const std::vector<std::pair<std::string, std::string>>& WebPages();

    TTips* TipDlg() const;
    THookHelpSystem* HelpHook() const noexcept { return helpHook_.get(); }

private:
    void FormCreate(classes::TObject* sender);
    void FormShow(classes::TObject* sender);
    void FormDestroy(classes::TObject* sender);
    void startup_timerTimer(classes::TObject* sender);
    void cmd_newExecute(classes::TObject* sender);
    void cmd_openExecute(classes::TObject* sender);
    void cmd_saveExecute(classes::TObject* sender);
    void cmd_saveasExecute(classes::TObject* sender);
    void cmd_closeExecute(classes::TObject* sender);
    void cmd_savehtmlExecute(classes::TObject* sender);
    void cmd_exitExecute(classes::TObject* sender);
    void cmd_adoadminExecute(classes::TObject* sender);
    void cmd_odbcExecute(classes::TObject* sender);
    void cmd_showhelpExecute(classes::TObject* sender);
    void mnu_tutorialClick(classes::TObject* sender);
    void mnu_WebClick(classes::TObject* sender);
    void mnu_tipClick(classes::TObject* sender);
    void ApplicationEvents1Hint(classes::TObject* sender);
    void BuildToolBarMenus();

    std::unique_ptr<THookHelpSystem> helpHook_;
};

// The live main window, or nullptr.
extern TFrmMain* FrmMain;

}  // namespace app
