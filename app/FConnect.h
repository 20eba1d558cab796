#pragma once
// The connection dialogs over the data-links folder (forms/FrmConnect.gwf,
// FrmInputUDLFile.gwf, FrmADOAdmin.gwf):
//
//  * TFrmConnect, "Select Database Connection": on showing, the sample links are made, stale
//    ODBC links deleted and missing ones made, then the links listed. OK (enabled with a link
//    selected) reads the link into the main window's ConnectionString; New, Remove (asked
//    first) and Configure (the data-link dialog; the file is rewritten only when that ends
//    with OK and a string) work on the list.
//  * TFrmInputUDLFile, "New Connection": a link name (refused when empty, unusable as a file
//    name, or taken) and a database type whose initial string the data-link dialog starts
//    from; the link is made when that dialog ends with a string.
//  * TFrmADOAdmin, "ADO Administrator": the same list with the link's string shown one part a
//    line; Add, Edit, Delete and Refresh.

#include <string>

#include "platform/ui/Forms.h"

namespace ui {
class TListView;
class TListItem;
}

namespace app {

inline constexpr int kConnectHelpContext = 40;

// Shared by the connection dialog and the administrator.
// Lists the link files of the data-links folder in `view` (image `image`); false when the
// folder cannot be listed (the list left as it was).
bool FillDataLinkList(ui::TListView& view, int image);
// Asks, then deletes the link `name`; warns when deleting fails. True when it was deleted.
bool RemoveDataLink(const std::string& name);
// The data-link dialog on the link `name` over `parent`; writes the link back only when the
// dialog ended with OK and a string. Answers the string written ("" when none).
std::string ConfigureDataLink(ui::TCustomForm* parent, const std::string& name);
// The new-link dialog, modal; true when it closed with OK.
bool NewDataLink();

class TFrmConnect : public ui::TForm {
    GW_CLASS(TFrmConnect)

public:
    explicit TFrmConnect(classes::TComponent* owner);
    ~TFrmConnect() override;

    bool FillDataLinkList();
    // The selected link's name ("" when none).
    std::string SelectedLink() const;

private:
    void FormShow(classes::TObject* sender);
    void lv_DatabaseClick(classes::TObject* sender);
    void lv_DatabaseSelectItem(classes::TObject* sender, ui::TListItem* item, bool selected);
    void okbtnClick(classes::TObject* sender);
    void cmd_newExecute(classes::TObject* sender);
    void cmd_removeExecute(classes::TObject* sender);
    void cmd_editExecute(classes::TObject* sender);
    void helpbtnClick(classes::TObject* sender);
    void UpdateButtons();
};

class TFrmInputUDLFile : public ui::TForm {
    GW_CLASS(TFrmInputUDLFile)

public:
    explicit TFrmInputUDLFile(classes::TComponent* owner);
    ~TFrmInputUDLFile() override;

    // The initial string of the database type `index` ("" for Others).
    static std::string InitialString(int index);

private:
    void okbtnClick(classes::TObject* sender);
    void helpbtnClick(classes::TObject* sender);
};

class TFrmADOAdmin : public ui::TForm {
    GW_CLASS(TFrmADOAdmin)

public:
    explicit TFrmADOAdmin(classes::TComponent* owner);
    ~TFrmADOAdmin() override;

    // Stale ODBC links deleted, missing ones made, the list filled, the memo cleared.
    void RefreshList();
    // The memo: one line per ";"-separated part of `s`, each but the last ending with ";".
    void ShowConnectionString(const std::string& s);
    std::string SelectedLink() const;

private:
    void FormCreate(classes::TObject* sender);
    void FormShow(classes::TObject* sender);
    void lv_DatabaseSelectItem(classes::TObject* sender, ui::TListItem* item, bool selected);
    void add_adoExecute(classes::TObject* sender);
    void edit_adoExecute(classes::TObject* sender);
    void delete_adoExecute(classes::TObject* sender);
    void refresh_adoExecute(classes::TObject* sender);
    void udplist_popupPopup(classes::TObject* sender);
};

// The live dialogs, or nullptr.
extern TFrmConnect* FrmConnect;
extern TFrmInputUDLFile* FrmInputUDLFile;
extern TFrmADOAdmin* FrmADOAdmin;

// The Tools menu's ADO Administrator: closes an open one, shows a new one modally, frees it.
void ShowADOAdministrator();

}  // namespace app
