#include "app/ProjectCommands.h"

#include <memory>

#include "app/DMain.h"
#include "app/DataLinkFiles.h"
#include "app/FConnect.h"
#include "app/FMain.h"
#include "app/ProjectFile.h"
#include "designer/FDesign.h"
#include "platform/db/AdoDataSet.h"
#include "platform/classes/Errors.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "vquery/VQuery.h"

namespace app {

namespace {

std::string StoredProjectText(designer::TFrmDesign& design);
bool MayCloseDesign(designer::TFrmDesign& design);

// Closes the open design window, if any, once its changes are saved or given up; false when
// the user kept it. A closed window is freed once the running command is done; its name goes
// at once, so that the window made next in the same command can take it.
bool CloseOpenDesignWindow()
{
    designer::TFrmDesign* open = designer::FrmDesign;
    if (open == nullptr) return true;
    open->Close();
    if (designer::FrmDesign != nullptr) return false;
    open->SetName("");
    return true;
}

// Closes the open design window as Close Project does: the caption and the project commands
// follow. False when the user kept it.
bool CloseProject()
{
    if (!CloseOpenDesignWindow()) return false;
    if (FrmMain != nullptr) {
        FrmMain->SetProjectOpen(false);
        FrmMain->SetMainCaption("");
    }
    return true;
}

std::string KeywordFolder(const designer::TFrmDesign& design)
{
    return rtl::IncludeTrailingPathDelimiter(design.Host().appDir) + "Data/SqlData";
}

// A new design window in place of the open one (its classes were registered at start-up);
// nullptr when the user kept the open one. Every close of the new window (its own, Close
// Project, Exit, the main window's) asks first when its design changed.
designer::TFrmDesign* NewDesignWindow()
{
    if (!CloseOpenDesignWindow()) return nullptr;
    auto* design = new designer::TFrmDesign(&ui::Application(), DesignHost());
    design->OnCloseQuery = [design](classes::TObject*, bool& canClose) {
        // A window closed before (freed once the command is done) was asked about then.
        canClose = design != designer::FrmDesign || MayCloseDesign(*design);
    };
    return design;
}

// The window's query and visual query on the data module's connection, with the builder's
// SQL settings, the link's tables and the reserved words.
vquery::TmfVQuery& BindToConnection(designer::TFrmDesign& design)
{
    db::TADOConnection* connection = dmMain != nullptr ? dmMain->Connection() : nullptr;
    design.Query()->SetConnection(connection);
    design.QueryDataSet = design.Query();
    auto* query = design.C<vquery::TmfVQuery>("VisualQuery");
    query->SetADOConnection(connection);
    query->ReadSQLSettings();
    query->SetupADOInfo();
    // In a new project as in an opened one: else reserved words stay unquoted until the
    // project is reopened.
    query->LoadKeywordFiles(KeywordFolder(design));
    return *query;
}

}  // namespace

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
    designer::TFrmDesign* design = NewDesignWindow();
    if (design == nullptr) return nullptr;
    auto* options = design->C<ui::TListBox>("optionlist")->Items();
    options->Clear();
    for (const std::string& line :
         NewProjectOptionLines(linkName, FrmMain != nullptr ? FrmMain->ConnectionString : std::string()))
        options->Add(line);
    design->HasProjectFile = false;
    design->ProjectName = "Untitled";
    if (FrmMain != nullptr) design->ProjectPath = rtl::IncludeTrailingPathDelimiter(FrmMain->ProjectsDir) + "Untitled.gwp";
    BindToConnection(*design);
    design->PreviousGetDataPage = 0;
    if (FrmMain != nullptr) {
        FrmMain->SetProjectOpen(true);
        FrmMain->SetMainCaption("Untitled");
    }
    design->Show();
    design->SavedProjectText = StoredProjectText(*design);
    return design;
}

void NewProject()
{
    // The open project goes only once a link is chosen and its changes are saved or given
    // up: until then it keeps its window, caption, commands and connection.
    std::string keptConnectionString = FrmMain != nullptr ? FrmMain->ConnectionString : std::string();
    std::string name;
    {
        std::unique_ptr<TFrmConnect> dialog(new TFrmConnect(&ui::Application()));
        if (dialog->ShowModal() != ui::mrOk) return;
        name = dialog->SelectedLink();
    }
    // The dialog's OK put the chosen link's content in ConnectionString.
    if (name.empty() || dmMain == nullptr || !CloseProject()) {
        if (FrmMain != nullptr) FrmMain->ConnectionString = std::move(keptConnectionString);
        return;
    }
    if (dmMain->Connection()->Connected()) dmMain->Connection()->Close();
    dmMain->ConnectDatabase("FILE NAME=" + DataLinkFileName(name));
    OpenDesignWindow(name);
}

void SavePages()
{
    if (designer::FrmDesign != nullptr) designer::FrmDesign->SaveActionExecute(designer::FrmDesign);
}

namespace {

void Warn(const std::string& text) { ui::MessageDlg(text, ui::mtWarning, ui::TMsgDlgButtons{ui::mbOK}); }

std::vector<std::string> OptionLines(designer::TFrmDesign& design)
{
    std::vector<std::string> lines;
    const rtl::TStrings* items = design.C<ui::TListBox>("optionlist")->Items();
    for (int i = 0; i < items->Count(); ++i) lines.push_back(items->Strings(i));
    return lines;
}

// The option lines, the query's design, the colours and the column lists into the components
// the project file holds.
void StoreDesign(designer::TFrmDesign& design)
{
    std::vector<std::string> lines = OptionLines(design);
    TProjectOptions o;
    o.headerNavigation = design.C<ui::TComboBox>("cb_header")->ItemIndex();
    o.footerNavigation = design.C<ui::TComboBox>("cb_footer")->ItemIndex();
    o.colorScheme = design.C<ui::TComboBox>("cbxTemplate")->Text();
    o.fontIndex = design.C<ui::TComboBox>("HTMLDefaultFont")->ItemIndex();
    o.layoutStyle = design.C<ui::TComboBox>("cb_style")->Text();
    o.split = design.C<ui::TCheckBox>("cbHTMLMaxRecords")->Checked();
    o.recordsPerPage = design.C<ui::TSpinEdit>("seHTMLMaxRecords")->Value();
    o.frames = design.C<ui::TCheckBox>("cb_frame")->Checked();
    o.frameBorder = design.C<ui::TCheckBox>("cb_frameborder")->Checked();
    StoreProjectOptions(o, lines);
    rtl::TStrings* options = design.C<ui::TListBox>("optionlist")->Items();
    for (std::size_t i = 2; i <= 10; ++i) options->Put(static_cast<int>(i), lines[i]);

    rtl::TStrings* query = design.C<ui::TListBox>("vquery_proplist")->Items();
    query->Clear();
    design.C<vquery::TmfVQuery>("VisualQuery")->SaveToStrings(*query);
    rtl::TStrings* colors = design.C<ui::TListBox>("ColorScheme")->Items();
    colors->Clear();
    if (design.Scheme() != nullptr) design.Scheme()->SaveToStrings(*colors);
    design.StoreColumnComponents();
}

int IndexOrZero(const rtl::TStrings& items, const std::string& text)
{
    const int i = items.IndexOf(text);
    return i < 0 ? 0 : i;
}

// The line of `text` (1-based) holding option line `index`: the option list comes first in
// the file, one item a line after the line that opens its items.
int OptionFileLine(std::string_view text, int index)
{
    int line = 1;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos) eol = text.size();
        std::string_view current = text.substr(pos, eol - pos);
        if (!current.empty() && current.back() == '\r') current.remove_suffix(1);
        if (current.ends_with("= (")) return line + 1 + index;
        if (current == "end") break;
        pos = eol + 1;
        ++line;
    }
    return line;
}

// The options of the option lines; a number that is none, or a list too short, is a read
// error naming the line of the file, before any control has changed.
TProjectOptions ReadOptionLines(designer::TFrmDesign& design, std::string_view text)
{
    const std::vector<std::string> lines = OptionLines(design);
    if (lines.size() < 11)
        throw classes::EReadError("Option lines missing", OptionFileLine(text, static_cast<int>(lines.size())));
    for (int index : {2, 3, 5, 8}) {
        int value = 0;
        if (!rtl::TryStrToInt(lines[static_cast<std::size_t>(index)], value))
            throw classes::EReadError("'" + lines[static_cast<std::size_t>(index)] + "' is not a valid integer value",
                                      OptionFileLine(text, index));
    }
    return ReadProjectOptions(lines);
}

// The option lines and the check states into the controls, after a read of the components.
void ApplyDesign(designer::TFrmDesign& design, std::string_view text)
{
    const TProjectOptions o = ReadOptionLines(design, text);
    struct TCheckPair {
        const char* list;
        const char* flags;
    };
    for (const TCheckPair& pair : {TCheckPair{"FieldList", "CheckFieldList"}, TCheckPair{"ShowDataList", "CheckShowDataList"},
                                   TCheckPair{"PrefixList", "CheckPrefixList"}, TCheckPair{"SuffixList", "CheckSuffixList"}}) {
        auto* list = design.C<ui::TCheckListBox>(pair.list);
        const rtl::TStrings* flags = design.C<ui::TListBox>(pair.flags)->Items();
        for (int i = 0; i < list->Items()->Count(); ++i)
            list->SetChecked(i, i < flags->Count() && flags->Strings(i) == "1");
    }
    design.C<ui::TComboBox>("cb_header")->SetItemIndex(o.headerNavigation);
    design.C<ui::TComboBox>("cb_footer")->SetItemIndex(o.footerNavigation);
    auto* scheme = design.C<ui::TComboBox>("cbxTemplate");
    scheme->SetItemIndex(IndexOrZero(*scheme->Items(), o.colorScheme));
    design.C<ui::TComboBox>("HTMLDefaultFont")->SetItemIndex(o.fontIndex);
    {
        design.LoadingStyleList = true;
        rtl::TScopeExit done([&design] { design.LoadingStyleList = false; });
        // Only selected: the style is loaded by the change handler once the whole project is in.
        auto* style = design.C<ui::TComboBox>("cb_style");
        style->SetItemIndex(IndexOrZero(*style->Items(), o.layoutStyle));
        design.C<ui::TCheckBox>("cbHTMLMaxRecords")->SetChecked(o.split);
        design.C<ui::TSpinEdit>("seHTMLMaxRecords")->SetValue(o.recordsPerPage);
        design.C<ui::TCheckBox>("cb_frame")->SetChecked(o.frames);
        design.C<ui::TCheckBox>("cb_frameborder")->SetChecked(o.frameBorder);
    }
    design.EnableSplitOptions();
    design.cb_headerChange(&design);
    design.cb_footerChange(&design);
    // The scheme pads the list it reads: a copy keeps the project's lines as saved.
    rtl::TStringList colors;
    colors.Assign(*design.C<ui::TListBox>("ColorScheme")->Items());
    design.LoadProjectColors(colors);
}

// The design into the components the project file holds, and their text.
std::string StoredProjectText(designer::TFrmDesign& design)
{
    StoreDesign(design);
    return ProjectText(design);
}

// Whether the design differs from the project as last saved or loaded: anything the file
// holds, whichever control or dialog changed it. A window still being made holds nothing of
// the user's yet.
bool DesignChanged(designer::TFrmDesign& design)
{
    if (design.SavedProjectText.empty()) return false;
    try {
        return StoredProjectText(design) != design.SavedProjectText;
    } catch (const std::exception& e) {
        // Asked as changed: a Yes then tries the save, which shows what fails.
        rtl::LogLine("the design cannot be compared with its project", e.what());
        return true;
    }
}

// The window closing under a "Save changes to NAME?" question when its design changed (NAME:
// the project's file name, or "Untitled"). Yes saves (Save As for a project without a file);
// true when the design may go: unchanged, saved, or given up.
bool MayCloseDesign(designer::TFrmDesign& design)
{
    if (!DesignChanged(design)) return true;
    const std::string name = design.HasProjectFile ? rtl::ExtractFileName(design.ProjectPath) : design.ProjectName;
    switch (ui::MessageDlg("Save changes to " + name + "?", ui::mtConfirmation, ui::mbYesNoCancel)) {
    case ui::mrYes: return SaveProjectCommand();
    case ui::mrNo: return true;
    default: return false;
    }
}

bool SaveDesignAs(designer::TFrmDesign& design, const std::string& path, bool rename)
{
    const TProjectSave saved = SaveProject(design, path);
    if (!saved) {
        Warn("Cannot save " + rtl::ExtractFileName(path) + ". " + saved.error + ".");
        return false;
    }
    if (rename) {
        design.HasProjectFile = true;
        design.ProjectName = TFrmMain::StripExtension(rtl::ExtractFileName(path));
        design.ProjectPath = path;
        if (FrmMain != nullptr) FrmMain->SetMainCaption(design.ProjectName);
    }
    if (const auto& status = design.Host().setStatus) status("Save " + rtl::ExtractFileName(path) + " complete.");
    if (!saved.historyError.empty() && FrmMain != nullptr)
        Warn("Cannot save " + rtl::ExtractFileName(FrmMain->HistoryFile) + ". " + saved.historyError + ".");
    return true;
}

}  // namespace

TProjectSave SaveProject(designer::TFrmDesign& design, const std::string& path)
{
    TProjectSave result;
    try {
        std::string text = StoredProjectText(design);
        rtl::SaveFileAtomically(path, text);
        design.SavedProjectText = std::move(text);
    } catch (const std::exception& e) {
        result.error = e.what();
        return result;
    }
    // The project is written whatever happens to the list: a failure here is the list's.
    try {
        if (FrmMain != nullptr) AddRecentProject(FrmMain->HistoryFile, path);
    } catch (const std::exception& e) {
        result.historyError = e.what();
    }
    return result;
}

bool LoadProjectComponents(designer::TFrmDesign& design, const std::string& path, std::string* error)
{
    try {
        const std::string text = rtl::ReadFileToString(path);
        LoadProjectText(design, text);
        ApplyDesign(design, text);
        return true;
    } catch (const std::exception& e) {
        if (error != nullptr) *error = e.what();
        return false;
    }
}

bool OpenProject(const std::string& path)
{
    if (!rtl::FileExists(path)) {
        Warn("Cannot open " + path + ". File does not exist.");
        return false;
    }
    designer::TFrmDesign* design = NewDesignWindow();
    if (design == nullptr) return false;
    // The window just made holds nothing of the user's: it closes without a question.
    const auto loadFailed = [&path](const std::string& error) {
        CloseProject();
        Warn("Cannot open " + path + ". " + error + ".");
        return false;
    };
    std::string error;
    if (!LoadProjectComponents(*design, path, &error)) return loadFailed(error);
    design->Query()->SQL()->SetText(design->EditorSql());

    // The project may come from someone else: a name that could reach outside the links
    // folder would let it pick any data link, and with it the driver library that is loaded.
    const std::vector<std::string> options = OptionLines(*design);
    if (!IsValidLinkName(options[0])) {
        CloseProject();
        Warn("Cannot open " + path + ". " + kInvalidLinkName);
        return false;
    }
    if (dmMain != nullptr && dmMain->Connection()->Connected()) dmMain->Connection()->Close();
    const std::string link = DataLinkFileName(options[0]);
    if (FrmMain != nullptr) FrmMain->ConnectionString = options[1];
    if (!rtl::FileExists(link)) {
        CloseProject();
        Warn(kConnectionMissing);
        return false;
    }
    std::string content;
    if (ReadUDLFile(link, content) && FrmMain != nullptr) FrmMain->ConnectionString = content;
    if (dmMain != nullptr) dmMain->ConnectDatabase("FILE NAME=" + link);

    if (FrmMain != nullptr) FrmMain->SetProjectOpen(true);
    design->HasProjectFile = true;
    design->ProjectName = TFrmMain::StripExtension(rtl::ExtractFileName(path));
    design->ProjectPath = path;
    vquery::TmfVQuery& query = BindToConnection(*design);
    const rtl::TStrings* queryDesign = design->C<ui::TListBox>("vquery_proplist")->Items();
    try {
        if (queryDesign->Count() > 0) {
            query.LoadFromStrings(*queryDesign);
            // The design brings its own quote characters (SQLQuoteChars): the query takes
            // them into use, and the table list anew, only through SetupADOInfo.
            query.SetupADOInfo();
        }
    } catch (const std::exception& e) {
        return loadFailed(e.what());
    }
    design->PreviousGetDataPage = 0;
    if (FrmMain != nullptr) FrmMain->SetMainCaption(design->ProjectName);
    design->C<ui::TPageControl>("pc_getdata")->SetActivePageIndex(0);

    if (!LoadProjectComponents(*design, path, &error)) return loadFailed(error);
    design->LoadColumnComponents();
    // A query that does not open has warned already; the grid keeps its columns.
    if (design->C<ui::TListBox>("FieldList")->Items()->Count() > 0 && design->SyncAndOpenQuery())
        design->RebuildGridColumns();
    design->cb_styleChange(design);
    design->ApplyColorScheme();
    design->Show();
    design->SavedProjectText = StoredProjectText(*design);
    return true;
}

bool SaveProjectCommand()
{
    designer::TFrmDesign* design = designer::FrmDesign;
    if (design == nullptr) return false;
    if (!design->HasProjectFile) return SaveProjectAsCommand();
    return SaveDesignAs(*design, design->ProjectPath, false);
}

bool SaveProjectAsCommand()
{
    designer::TFrmDesign* design = designer::FrmDesign;
    if (design == nullptr || FrmMain == nullptr) return false;
    auto* dialog = FrmMain->Get<ui::TSaveDialog>("savedlg");
    dialog->SetInitialDir(rtl::ExtractFilePath(design->ProjectPath));
    dialog->SetFileName(rtl::ExtractFileName(design->ProjectPath));
    if (!dialog->Execute() || dialog->FileName().empty()) return false;
    return SaveDesignAs(*design, dialog->FileName(), true);
}

}  // namespace app
