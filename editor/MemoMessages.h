#pragma once
// TMemoMessages: the window messages TTextMemo answers itself, each by one short handler
// found in a table by its message number: painting (never erased first), the scroll bars and
// the wheel, the auto-scroll timer, characters beyond ASCII, the focus with its caret, the
// dialog code, the clipboard and undo messages, the margin cursor, the right button's popup
// menu, sizing, font changes, the 3-D look and the continuation of background formatting. A message
// without a handler goes to the class library.

#include "platform/ui/MessageQueue.h"

namespace editor {

class TTextMemo;

class TMemoMessages {
public:
    explicit TMemoMessages(TTextMemo& memo) : memo_(memo) {}

    // Handles `m`, or hands it to the inherited handling when the editor has no handler.
    void Handle(ui::TMessage& m);

private:
    using THandler = void (TMemoMessages::*)(ui::TMessage&);
    struct TEntry {
        unsigned msg;
        THandler handle;
    };
    static const TEntry kHandlers[];

    void Inherited(ui::TMessage& m);
    void FormatContinue(ui::TMessage& m);
    void EraseBackground(ui::TMessage& m);
    void Paint(ui::TMessage& m);
    void VScroll(ui::TMessage& m);
    void HScroll(ui::TMessage& m);
    void Timer(ui::TMessage& m);
    void Char(ui::TMessage& m);
    void MouseWheel(ui::TMessage& m);
    void SetFocus(ui::TMessage& m);
    void KillFocus(ui::TMessage& m);
    void GetDlgCode(ui::TMessage& m);
    void Cut(ui::TMessage& m);
    void Copy(ui::TMessage& m);
    void Paste(ui::TMessage& m);
    void Undo(ui::TMessage& m);
    void SetCursor(ui::TMessage& m);
    void RightButtonUp(ui::TMessage& m);
    void Size(ui::TMessage& m);
    void FontChanged(ui::TMessage& m);
    void Ctl3DChanged(ui::TMessage& m);

    TTextMemo& memo_;
};

}  // namespace editor
