#pragma once
// The editor as the program shows it, for the editor benchmarks: the program's text control
// aligned to the client of a form of the given size, in the given font; Show shows the form
// and lets the event loop settle. Header-only; the benchmarks that include it link the editor
// and the Qt backend (installed before use).

#include <QApplication>

#include "editor/TextMemo.h"
#include "platform/classes/Font.h"
#include "platform/ui/Forms.h"

namespace bench {

struct TShownEditor {
    TShownEditor(int width, int height, const classes::TFont& font) : form(nullptr)
    {
        form.SetBounds(0, 0, width, height);
        memo = new editor::TTextMemo(&form);
        memo->SetParent(&form);
        memo->SetAlign(ui::alClient);
        memo->Font()->Assign(font);
    }
    void Show()
    {
        form.Show();
        QApplication::processEvents();
    }

    ui::TForm form;
    editor::TTextMemo* memo = nullptr;  // owned by the form
};

}  // namespace bench
