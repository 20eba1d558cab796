#include "grid/MemoDlg.h"

#include <algorithm>

#include "grid/DialogButton.h"
#include "grid/Intl.h"
#include "platform/db/Fields.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Input.h"

namespace grid {

// ---- TgkMemoDialog -------------------------------------------------------------------------

const classes::TEnumInfo& MemoAttributeInfo()
{
    static const classes::TEnumInfo info{"TgkMemoAttribute",
                                         {"mSizeable", "mWordWrap", "mGridShow", "mViewOnly", "mDisableDialog"}};
    return info;
}


GW_IMPLEMENT_CLASS(TgkMemoDialog, classes::TComponent)
{
    using D = TgkMemoDialog;
    p.Component<db::TDataSource>("DataSource", &D::DataSource, &D::SetDataSource);
    p.String("DataField", &D::DataField, &D::SetDataField);
    p.Object("Font", [](const D& d) { return &d.font_; });
    p.Set("MemoAttributes", MemoAttributeInfo(), &D::MemoAttributes, &D::SetMemoAttributes,
          TgkMemoAttributes{mSizeable, mWordWrap});
    p.String(
        "Caption", [](const D& d) { return d.Caption; }, [](D& d, const std::string& v) { d.Caption = v; });
    p.Strings("Lines", [](const D& d) { return &d.lines_; });
    p.Integer(
        "DlgLeft", [](const D& d) { return d.DlgLeft; }, [](D& d, int v) { d.DlgLeft = v; }, 0);
    p.Integer(
        "DlgTop", [](const D& d) { return d.DlgTop; }, [](D& d, int v) { d.DlgTop = v; }, 0);
    p.Integer(
        "DlgWidth", [](const D& d) { return d.DlgWidth; }, [](D& d, int v) { d.DlgWidth = v; }, 561);
    p.Integer(
        "DlgHeight", [](const D& d) { return d.DlgHeight; }, [](D& d, int v) { d.DlgHeight = v; }, 396);
    p.String(
        "UserButton1Caption", [](const D& d) { return d.UserButton1Caption; },
        [](D& d, const std::string& v) { d.UserButton1Caption = v; });
    p.String(
        "UserButton2Caption", [](const D& d) { return d.UserButton2Caption; },
        [](D& d, const std::string& v) { d.UserButton2Caption = v; });
    p.Event("OnInitDialog", &D::OnInitDialog);
    p.Event("OnCloseDialog", &D::OnCloseDialog);
    p.Event("OnUserButton1Click", &D::OnUserButton1Click);
    p.Event("OnUserButton2Click", &D::OnUserButton2Click);
}

TgkMemoDialog::TgkMemoDialog(classes::TComponent* owner)
    : TComponent(owner), link_(std::make_unique<db::TFieldDataLink>())
{
    link_->SetControl(this);
}

TgkMemoDialog::~TgkMemoDialog() = default;

db::TDataSource* TgkMemoDialog::DataSource() const { return link_->DataSource(); }
void TgkMemoDialog::SetDataSource(db::TDataSource* source) { link_->SetDataSource(source); }
std::string TgkMemoDialog::DataField() const { return link_->FieldName(); }
void TgkMemoDialog::SetDataField(const std::string& name) { link_->SetFieldName(name); }

bool TgkMemoDialog::Execute()
{
    return gkExecuteMemoDlg(ui::Screen().ActiveForm(), *this, !attributes_.Contains(mViewOnly));
}

void TgkMemoDialog::DoInitDialog()
{
    if (OnInitDialog) OnInitDialog(form_);
}

void TgkMemoDialog::DoCloseDialog()
{
    if (OnCloseDialog) OnCloseDialog(form_);
}

// ---- TgkMemoDlg ----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkMemoDlg, ui::TForm) {}

TgkMemoDlg::TgkMemoDlg(classes::TComponent* owner) : TForm(owner)
{
    RegisterHandler("FormShow", this, &TgkMemoDlg::FormShow);
    RegisterHandler("ResizeControls", this, &TgkMemoDlg::ResizeControls);
    RegisterHandler("FormCloseQuery", this, &TgkMemoDlg::FormCloseQuery);
    RegisterHandler("MemoKeyDown", this, &TgkMemoDlg::MemoKeyDown);
    RegisterHandler("UserButton1Click", this, &TgkMemoDlg::UserButton1Click);
    RegisterHandler("UserButton2Click", this, &TgkMemoDlg::UserButton2Click);
    LoadDescription("gkMemoDlg");
    memo_ = Get<ui::TMemo>("Memo");
    ok_ = gkCreateDialogButton(*this, TgkDialogButtonKind::OK);
    ok_->SetTabOrder(1);
    ok_->OnClick = [this](classes::TObject* s) { OKBtnClick(s); };
    cancel_ = gkCreateDialogButton(*this, TgkDialogButtonKind::Cancel);
    cancel_->SetTabOrder(2);
    ResizeControls(this);
}

void TgkMemoDlg::FormShow(classes::TObject*)
{
    if (shown_) return;
    shown_ = true;
    memo_->Font()->Assign(font_);
    SetCaption(caption_);
    const int width = bounds_.Right - bounds_.Left, height = bounds_.Bottom - bounds_.Top;
    if (dialog_ == nullptr || width <= 0 || height <= 0) {
        // Shown without a dialog's settings: the form's own size.
    } else if (bounds_.Left == 0 && bounds_.Top == 0) {
        SetBounds(Left(), Top(), width, height);
    } else if (bounds_.Left > 0 || bounds_.Top >= 1) {
        SetBounds(bounds_.Left, bounds_.Top, width, height);
    }
    // Otherwise (a negative left with top 0, as the grid asks) the form's own size, centred.
    if (dialog_ != nullptr && (!dialog_->UserButton1Caption.empty() || !dialog_->UserButton2Caption.empty())) {
        auto* panel = Get<ui::TPanel>("UserButtonPanel");
        panel->SetTop(memo_->Top() + memo_->Height() + 2);
        panel->SetLeft(memo_->Left() - 1);
        int right = 0;
        for (const auto& [name, caption] : {std::pair{"UserButton1", dialog_->UserButton1Caption},
                                            std::pair{"UserButton2", dialog_->UserButton2Caption}}) {
            if (caption.empty()) continue;
            auto* button = Get<ui::TButton>(name);
            button->SetLeft(right == 0 ? (std::string(name) == "UserButton1" ? 10 : 15) : right + 15);
            button->SetVisible(true);
            right = button->Left() + button->Width();
        }
        panel->SetWidth(right + 10);
        panel->SetVisible(true);
    }
    Font()->SetStyle(gkIntlDefault().DialogFontStyle);
    if (dialog_ != nullptr) dialog_->DoInitDialog();
    memo_->SetModified(false);
    // Only a change made from here on enables OK.
    memo_->OnChange = [this](classes::TObject* s) { MemoChange(s); };
    ResizeControls(this);
}

void TgkMemoDlg::ResizeControls(classes::TObject*)
{
    if (memo_ == nullptr || ok_ == nullptr || cancel_ == nullptr) return;
    // The client area's height stands for the form's less its frame and caption.
    memo_->SetBounds(6, 6, std::max(ClientWidth() - 12, 10), std::max(ClientHeight() - 53, 10));
    const int buttonsTop = memo_->Height() + 17;
    ok_->SetTop(buttonsTop);
    cancel_->SetTop(buttonsTop);
    auto* panel = Get<ui::TPanel>("UserButtonPanel");
    if (panel->Visible()) panel->SetTop(memo_->Top() + memo_->Height() + 2);
    const bool userButtons = dialog_ != nullptr && (!dialog_->UserButton1Caption.empty() || !dialog_->UserButton2Caption.empty());
    if (memo_->ReadOnly()) {
        ok_->SetLeft(userButtons ? memo_->Left() + memo_->Width() - ok_->Width() - 25
                                 : memo_->Left() + (memo_->Width() - ok_->Width()) / 2);
        cancel_->SetVisible(false);
    } else {
        ok_->SetLeft(memo_->Width() - 2 * (ok_->Width() + 20));
        cancel_->SetLeft(memo_->Width() - (ok_->Width() + 20));
        cancel_->SetVisible(true);
    }
    ok_->SetVisible(true);
}

void TgkMemoDlg::MemoChange(classes::TObject*) { ok_->SetEnabled(true); }

void TgkMemoDlg::MemoKeyDown(classes::TObject*, ui::TKey& key, ui::TShiftState shift)
{
    if ((key == ui::VK_RETURN && shift.Contains(ui::ssCtrl)) || key == ui::VK_F2) {
        SetModalResult(ui::mrOk);
        OKBtnClick(this);
    } else if (key == ui::VK_ESCAPE) {
        SetModalResult(ui::mrCancel);
    }
}

void TgkMemoDlg::KeyPress(char& key)
{
    // Escape closes the dialog through the memo's key-down; its character is not passed on.
    if (key == '\x1b') {
        key = 0;
        return;
    }
    TForm::KeyPress(key);
}

void TgkMemoDlg::OKBtnClick(classes::TObject*) { okPressed_ = true; }

void TgkMemoDlg::FormCloseQuery(classes::TObject*, bool& canClose)
{
    canClose = true;
    if (memo_->Modified() && !okPressed_) {
        if (ui::MessageDlg(gkIntlDefault().UserMessages.MemoChangesWarning, ui::mtConfirmation, {ui::mbYes, ui::mbNo}) ==
            ui::mrYes) {
            SetModalResult(ui::mrCancel);
            memo_->SetModified(false);  // the changes are dropped: no second question
        } else {
            canClose = false;
        }
    }
    okPressed_ = false;
}

void TgkMemoDlg::UserButton1Click(classes::TObject*)
{
    if (dialog_ != nullptr && dialog_->OnUserButton1Click) dialog_->OnUserButton1Click(this, memo_);
}

void TgkMemoDlg::UserButton2Click(classes::TObject*)
{
    if (dialog_ != nullptr && dialog_->OnUserButton2Click) dialog_->OnUserButton2Click(this, memo_);
}

// ---- gkExecuteMemoDlg ----------------------------------------------------------------------

bool gkExecuteMemoDlg(ui::TCustomForm* caller, TgkMemoDialog& dialog, bool canEdit)
{
    // The field first: a name that is no field raises before anything is made.
    db::TField* field = nullptr;
    db::TDataSet* ds = dialog.DataSource() != nullptr ? dialog.DataSource()->DataSet() : nullptr;
    if (ds != nullptr && !dialog.DataField().empty()) field = ds->FieldByName(dialog.DataField());

    TgkMemoDlg form(nullptr);
    if (caller != nullptr && caller->FormStyle() == ui::fsStayOnTop) form.SetFormStyle(ui::fsStayOnTop);
    form.dialog_ = &dialog;
    dialog.form_ = &form;
    struct TRelease {
        TgkMemoDialog& d;
        ~TRelease() { d.form_ = nullptr; }
    } release{dialog};

    ui::TMemo* memo = form.Memo();
    if (field != nullptr) {
        if (dynamic_cast<db::TBlobField*>(field) != nullptr)
            memo->Lines()->SetText(field->AsString());
        else
            memo->SetText(field->AsString());
        // A field that cannot take the text (read-only, calculated, or of a data set that
        // cannot change) is only shown: typed text would be refused on OK and lost.
        if (!field->CanModify()) canEdit = false;
    } else {
        memo->Lines()->Assign(dialog.lines_);
    }
    memo->SetWordWrap(dialog.attributes_.Contains(mWordWrap));
    form.SetBorderStyle(dialog.attributes_.Contains(mSizeable) ? ui::bsSizeable : ui::bsDialog);
    form.font_.Assign(dialog.font_);
    form.caption_ = dialog.Caption;
    form.bounds_ = {dialog.DlgLeft, dialog.DlgTop, dialog.DlgLeft + dialog.DlgWidth, dialog.DlgTop + dialog.DlgHeight};
    if (!canEdit) {
        form.CancelButton()->SetVisible(false);
        memo->SetReadOnly(true);
    }
    if (dialog.DlgLeft >= 1 || dialog.DlgTop >= 1) form.SetPosition(ui::poDesigned);
    form.Get<ui::TButton>("UserButton1")->SetCaption(dialog.UserButton1Caption);
    form.Get<ui::TButton>("UserButton2")->SetCaption(dialog.UserButton2Caption);
    if (canEdit) form.OKButton()->SetEnabled(false);
    const bool ok = form.ShowModal() == ui::mrOk;
    dialog.DoCloseDialog();
    if (ok && canEdit) {
        if (field != nullptr) {
            ds->Edit();
            if (dynamic_cast<db::TBlobField*>(field) != nullptr)
                field->SetAsString(memo->Lines()->Text());
            else
                field->SetAsString(memo->Text());
        } else {
            dialog.lines_.Assign(*memo->Lines());
        }
    }
    return ok;
}

}  // namespace grid
