#pragma once
// The OK, Cancel and Help buttons of the library's dialogs: caption, modal result and size
// from the global TgkIntl and the screen's pixels per inch. A dialog creates its button from
// these settings (hidden, parented to the dialog).

#include "grid/Intl.h"
#include "platform/rtl/Colors.h"

#include <optional>
#include <string>

namespace ui {
class TButton;
class TWinControl;
}  // namespace ui

namespace grid {

enum class TgkDialogButtonKind { OK = 1, Cancel = 2, Help = 3 };

// What a bitmap button (a button with glyphs) sets beyond a plain button.
struct TgkBitmapButtonLook {
    int Margin = 2;
    bool GlyphLeft = true;
    int NumGlyphs = 2;
    int Spacing = -1;
    rtl::TColor FontColor = rtl::clBtnText;
    int FontHeight = -11;
    std::string FontName = "MS Sans Serif";
    classes::TFontStyles FontStyle;
};

struct TgkDialogButton {
    // Modal results as the class library numbers them.
    static constexpr int mrNone = 0;
    static constexpr int mrOk = 1;
    static constexpr int mrCancel = 2;

    TgkDialogButtonKind Kind = TgkDialogButtonKind::OK;
    bool Visible = false;
    int Width = 0;
    int Height = 0;
    std::string Caption;
    int ModalResult = mrNone;
    // Escape presses it.
    bool Cancel = false;
    // Set for a bitmap button (the global OKCancelBitmapped), empty for a plain one.
    std::optional<TgkBitmapButtonLook> Bitmap;
};

// The settings of a dialog button of `kind`: 77 x 24 pixels at 96 pixels per inch (a bitmap
// button 77 x 27), scaled to the screen's pixels per inch; caption BtnOKCaption with modal
// result OK, BtnCancelCaption with modal result Cancel and the Cancel flag, or "Help".
TgkDialogButton gkDialogButtonSettings(TgkDialogButtonKind kind);

// Creates that button on `owner`, which also becomes its parent: a TBitBtn when the global
// OKCancelBitmapped is set, else a TButton; hidden until the dialog places and shows it.
// The bitmap button's margin, spacing and glyph count are left to the window system, which
// lays out glyph and caption itself.
ui::TButton* gkCreateDialogButton(ui::TWinControl& owner, TgkDialogButtonKind kind);

}  // namespace grid
