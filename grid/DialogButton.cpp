#include "grid/DialogButton.h"

#include "platform/ui/Screen.h"
#include "platform/ui/StdCtrls.h"

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

ui::TButton* gkCreateDialogButton(ui::TWinControl& owner, TgkDialogButtonKind kind)
{
    const TgkDialogButton settings = gkDialogButtonSettings(kind);
    ui::TButton* button = nullptr;
    if (settings.Bitmap) {
        auto* bitButton = new ui::TBitBtn(&owner);
        switch (kind) {
        case TgkDialogButtonKind::OK: bitButton->SetKind(ui::bkOK); break;
        case TgkDialogButtonKind::Cancel: bitButton->SetKind(ui::bkCancel); break;
        case TgkDialogButtonKind::Help: bitButton->SetKind(ui::bkHelp); break;
        }
        bitButton->SetLayout(settings.Bitmap->GlyphLeft ? ui::blGlyphLeft : ui::blGlyphRight);
        classes::TFont& font = *bitButton->Font();
        font.SetColor(settings.Bitmap->FontColor);
        font.SetName(settings.Bitmap->FontName);
        // A height of -11 pixels is an 8-point font at 96 pixels per inch.
        font.SetSize((-settings.Bitmap->FontHeight * 72 + 48) / 96);
        font.SetStyle(settings.Bitmap->FontStyle);
        button = bitButton;
    } else {
        button = new ui::TButton(&owner);
    }
    // The kind's own caption and role are replaced by the library's localised ones.
    button->SetCaption(settings.Caption);
    button->SetModalResult(settings.ModalResult);
    button->SetCancel(settings.Cancel);
    button->SetVisible(settings.Visible);
    button->SetWidth(settings.Width);
    button->SetHeight(settings.Height);
    button->SetParent(&owner);
    return button;
}

}  // namespace grid
