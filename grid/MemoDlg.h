#pragma once
// The memo dialog: shows and edits one memo, the text of a memo or blob field or a plain
// string list. TgkMemoDialog holds the settings and runs the dialog; TgkMemoDlg is the form
// (forms/gkMemoDlg.gwf); gkExecuteMemoDlg joins them. Button captions, the close warning and
// the dialog font style come from gkIntlDefault().
//
// Editable, OK is disabled until the text changes; Ctrl+Enter or F2 closes with OK and the
// text is written back into the field (the data set left in Edit state, not posted) or the
// Lines. Closing a changed memo otherwise asks MemoChangesWarning: No keeps the dialog open.
// View-only (mViewOnly, or a field that cannot be modified: read-only, calculated, or of a
// data set that cannot change), the memo cannot change, only OK shows, centred, and nothing
// is written. A DataField naming no field raises the data set's error
// before anything is shown.

#include <memory>
#include <string>

#include "platform/classes/Font.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

namespace grid {

enum TgkMemoAttribute { mSizeable, mWordWrap, mGridShow, mViewOnly, mDisableDialog };
using TgkMemoAttributes = classes::TSet<TgkMemoAttribute>;
const classes::TEnumInfo& MemoAttributeInfo();

class TgkMemoDlg;
class TgkMemoDialog;

using TgkMemoDialogEvent = classes::TEvent<TgkMemoDlg*>;
using TgkMemoUserButtonEvent = classes::TEvent<TgkMemoDlg*, ui::TMemo*>;

class TgkMemoDialog : public classes::TComponent {
    GW_CLASS(TgkMemoDialog)

public:
    explicit TgkMemoDialog(classes::TComponent* owner);
    ~TgkMemoDialog() override;

    db::TDataSource* DataSource() const;
    void SetDataSource(db::TDataSource* source);
    std::string DataField() const;
    void SetDataField(const std::string& name);
    // Read and written by stored forms with the rest of the settings.
    classes::TFont* Font() noexcept { return &font_; }
    TgkMemoAttributes MemoAttributes() const noexcept { return attributes_; }
    void SetMemoAttributes(TgkMemoAttributes v) { attributes_ = v; }
    std::string Caption;
    rtl::TStringList* Lines() noexcept { return &lines_; }
    int DlgLeft = 0, DlgTop = 0, DlgWidth = 561, DlgHeight = 396;
    std::string UserButton1Caption, UserButton2Caption;
    TgkMemoDialogEvent OnInitDialog, OnCloseDialog;
    TgkMemoUserButtonEvent OnUserButton1Click, OnUserButton2Click;

    // The form while the dialog runs (nullptr otherwise).
    TgkMemoDlg* Form() const noexcept { return form_; }
    // True when closed with OK.
    virtual bool Execute();
    virtual void DoInitDialog();
    virtual void DoCloseDialog();

private:
    friend bool gkExecuteMemoDlg(ui::TCustomForm* caller, TgkMemoDialog& dialog, bool canEdit);
    std::unique_ptr<db::TFieldDataLink> link_;
    classes::TFont font_;
    TgkMemoAttributes attributes_{mSizeable, mWordWrap};
    rtl::TStringList lines_;
    TgkMemoDlg* form_ = nullptr;
};

class TgkMemoDlg : public ui::TForm {
    GW_CLASS(TgkMemoDlg)

public:
    explicit TgkMemoDlg(classes::TComponent* owner);

    ui::TMemo* Memo() const noexcept { return memo_; }
    ui::TButton* OKButton() const noexcept { return ok_; }
    ui::TButton* CancelButton() const noexcept { return cancel_; }

    void FormShow(classes::TObject* sender);
    void ResizeControls(classes::TObject* sender);
    void FormCloseQuery(classes::TObject* sender, bool& canClose);
    void MemoKeyDown(classes::TObject* sender, ui::TKey& key, ui::TShiftState shift);
    void MemoChange(classes::TObject* sender);
    void OKBtnClick(classes::TObject* sender);
    void UserButton1Click(classes::TObject* sender);
    void UserButton2Click(classes::TObject* sender);
    // An Escape character is swallowed here.
    void KeyPress(char& key) override;

private:
    friend bool gkExecuteMemoDlg(ui::TCustomForm* caller, TgkMemoDialog& dialog, bool canEdit);
    ui::TMemo* memo_ = nullptr;
    ui::TButton* ok_ = nullptr;
    ui::TButton* cancel_ = nullptr;
    bool okPressed_ = false;
    bool shown_ = false;
    ui::TRect bounds_{};
    classes::TFont font_;
    std::string caption_;
    TgkMemoDialog* dialog_ = nullptr;
};

bool gkExecuteMemoDlg(ui::TCustomForm* caller, TgkMemoDialog& dialog, bool canEdit);

}  // namespace grid
