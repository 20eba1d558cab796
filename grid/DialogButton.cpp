#include "grid/DialogButton.h"

#include "platform/ui/Screen.h"

namespace grid {

namespace {

// Sizes are designed at 96 pixels per inch.
int Scaled(int value, int pixelsPerInch)
{
    return value * pixelsPerInch / 96;
}

}  // namespace

TgkDialogButton gkDialogButtonSettings(TgkDialogButtonKind kind)
{
    const TgkIntl& intl = gkIntlDefault();
    const int pixelsPerInch = ui::ScreenPixelsPerInch();

    TgkDialogButton button;
    button.Kind = kind;
    button.Visible = false;
    button.Width = Scaled(77, pixelsPerInch);
    button.Height = Scaled(24, pixelsPerInch);
    if (intl.OKCancelBitmapped) {
        TgkBitmapButtonLook look;
        look.FontStyle = intl.DialogFontStyle;
        button.Bitmap = look;
        button.Height = Scaled(27, pixelsPerInch);
    }

    switch (kind) {
    case TgkDialogButtonKind::OK:
        button.Caption = intl.BtnOKCaption;
        button.ModalResult = TgkDialogButton::mrOk;
        break;
    case TgkDialogButtonKind::Cancel:
        button.Caption = intl.BtnCancelCaption;
        button.ModalResult = TgkDialogButton::mrCancel;
        button.Cancel = true;
        break;
    case TgkDialogButtonKind::Help:
        button.Caption = "Help";
        break;
    }
    return button;
}

}  // namespace grid
