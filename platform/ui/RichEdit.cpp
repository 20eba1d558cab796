// The layer's rich-text edit: its document and selection.

#include "platform/ui/RichEdit.h"

#include <algorithm>

#include "platform/rtl/Exceptions.h"
#include "platform/ui/Backend.h"

namespace ui {

GW_IMPLEMENT_CLASS(TCustomRichEdit, TWinControl) {}

TCustomRichEdit::TCustomRichEdit(classes::TComponent* owner) : TWinControl(owner) {}

TCustomRichEdit::~TCustomRichEdit() = default;

IRichDocument& TCustomRichEdit::Document()
{
    if (!document_) {
        IWindowSystem* ws = WindowSystem();
        document_ = ws != nullptr ? ws->CreateRichDocument() : nullptr;
        if (!document_) throw rtl::Exception("Rich text needs a window system");
        document_->Load(rtf::PlainTextDocument(""));
    }
    return *document_;
}

void TCustomRichEdit::SetSel(int start, int length)
{
    const int size = Document().Length();
    selStart_ = std::clamp(start, 0, size);
    selLength_ = std::clamp(length, 0, size - selStart_);
    ++selSerial_;
    Changed();
}

int RichDropEffect(bool ctrl, int allowed)
{
    const int wanted = ctrl ? deCopy : deMove;
    return (allowed & wanted) != 0 ? wanted : deNone;
}

void TCustomRichEdit::SetSelectionByUser(int start, int length)
{
    const int size = Document().Length();
    selStart_ = std::clamp(start, 0, size);
    selLength_ = std::clamp(length, 0, size - selStart_);
    OnSelectionChange(this);
}

void TCustomRichEdit::SetReadOnly(bool v)
{
    if (v == readOnly_) return;
    readOnly_ = v;
    Changed();
}

void TCustomRichEdit::SetWordWrap(bool v)
{
    if (v == wordWrap_) return;
    wordWrap_ = v;
    Changed();
}

void TCustomRichEdit::SetHideSelection(bool v)
{
    if (v == hideSelection_) return;
    hideSelection_ = v;
    Changed();
}

void TCustomRichEdit::SetWrapWidth(int pixels)
{
    pixels = std::max(pixels, 0);
    if (pixels == wrapWidth_) return;
    wrapWidth_ = pixels;
    Changed();
}

void TCustomRichEdit::Change()
{
    modified_ = true;
    OnChange(this);
}

void TCustomRichEdit::TextReplaced()
{
    selStart_ = selLength_ = 0;
    ++selSerial_;
    Changed();
}

}  // namespace ui
