#include "grid/Intl.h"

#include "platform/ui/Screen.h"

namespace grid {

TgkIntl& gkIntlDefault()
{
    static TgkIntl instance{TgkIntl::DefaultTag{}};
    return instance;
}

void TgkIntl::SetCheckBoxInGridStyle(TgkCheckBoxInGridStyle value)
{
    checkBoxInGridStyle_ = value;
    if (connected_ && !isDefault_) gkIntlDefault().checkBoxInGridStyle_ = value;
}

void TgkIntl::SetConnected(bool value)
{
    connected_ = value;
    if (connected_) CopyToDefault();
}

void TgkIntl::Loaded()
{
    if (connected_) CopyToDefault();
}

void TgkIntl::CopyToDefault()
{
    if (isDefault_) return;
    TgkIntl& target = gkIntlDefault();

    target.Navigator = Navigator;
    target.SearchDialog = SearchDialog;
    target.LocateDialog = LocateDialog;
    target.MonthCalendar = MonthCalendar;
    target.FilterDialog = FilterDialog;
    target.UserMessages = UserMessages;
    target.RichEdit = RichEdit;

    target.BtnOKCaption = BtnOKCaption;
    target.BtnCancelCaption = BtnCancelCaption;
    target.SetCheckBoxInGridStyle(checkBoxInGridStyle_);
    target.OnValidationErrorUsingMask = OnValidationErrorUsingMask;
    target.DialogFontStyle = DialogFontStyle;
    target.UseLocateMethodForSearch = UseLocateMethodForSearch;
    target.DefaultEpochYear = DefaultEpochYear;
    target.FilterMemoSize = FilterMemoSize;

    // The settings file is named without its extension here.
    if (IniFileName.empty() || IniFileName == ".ini")
        target.IniFileName.clear();
    else
        target.IniFileName = IniFileName + ".ini";
}

void TgkIntl::ValidationErrorUsingMask(classes::TComponent* control, db::TField* field)
{
    std::string message = "Invalid input value.  Use escape key to abandon changes";
    bool showError = true;
    if (OnValidationErrorUsingMask) OnValidationErrorUsingMask(control, field, showError, message);
    if (showError) {
        ui::Beep();
        throw EInvalidOperation(message);
    }
}

}  // namespace grid
