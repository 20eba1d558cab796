#pragma once
// TCustomRichEdit: the layer's rich-text edit. It holds a document the window system makes
// (IRichDocument; made on first use, so no window is needed) and the selection; its window
// shows and edits that document and reports the user's changes, selections and link clicks.
// What the text means (fields, stored forms, menus) is its descendants' business.
//
// Positions count characters as the document does (see RichDocument.h).

#include <memory>

#include "platform/ui/Controls.h"
#include "platform/ui/RichDocument.h"

namespace ui {

// What a drop of text on a rich edit does, as a set of effects: Ctrl held copies, otherwise
// the text moves, each only when the source allows it; nothing here offers a link. deNone when
// the source allows neither.
enum TDropEffect { deNone = 0, deCopy = 1, deMove = 2, deLink = 4 };
int RichDropEffect(bool ctrl, int allowed);

class TCustomRichEdit : public TWinControl {
    GW_CLASS(TCustomRichEdit)

public:
    explicit TCustomRichEdit(classes::TComponent* owner);
    ~TCustomRichEdit() override;

    // rtl::Exception when the window system makes no documents.
    IRichDocument& Document();

    int SelStart() const noexcept { return selStart_; }
    int SelLength() const noexcept { return selLength_; }
    // The program's selection, kept inside the text and applied to the window.
    void SetSel(int start, int length);
    // Counts the program's SetSel calls: the window applies a selection once.
    int SelSerial() const noexcept { return selSerial_; }
    // The user moved the caret or the selection in the window: fires OnSelectionChange.
    void SetSelectionByUser(int start, int length);

    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool v);
    // Whether the user may change the text now (descendants add their own reasons).
    virtual bool GetReadOnly() const { return readOnly_; }
    bool WordWrap() const noexcept { return wordWrap_; }
    void SetWordWrap(bool v);
    // On (the default), the selection shows only while the window has the focus.
    bool HideSelection() const noexcept { return hideSelection_; }
    void SetHideSelection(bool v);
    // Whether the window shows the selection now, with or without the focus.
    bool SelectionShown(bool focused) const noexcept { return focused || !hideSelection_; }
    bool Modified() const noexcept { return modified_; }
    void SetModified(bool v) { modified_ = v; }

    // Where printing puts the text (pixels of the printer); empty (the default) leaves it to
    // the descendant's margins.
    TRect PageRect() const noexcept { return pageRect_; }
    void SetPageRect(const TRect& r) noexcept { pageRect_ = r; }

    // Where the window breaks lines with WordWrap on (pixels from the text's left edge); 0
    // (the default): at the window's width.
    int WrapWidth() const noexcept { return wrapWidth_; }
    void SetWrapWidth(int pixels);

    // The user changed the text in the window: marks it modified, fires OnChange.
    virtual void Change();
    // A left click at `position` that did not select: true when a link there took it.
    virtual bool ClickLink(int /*position*/) { return false; }
    classes::TNotifyEvent OnChange;
    classes::TNotifyEvent OnSelectionChange;

protected:
    // The whole text was replaced by the program: the selection starts over.
    void TextReplaced();

private:
    std::unique_ptr<IRichDocument> document_;
    int selStart_ = 0;
    int selLength_ = 0;
    int selSerial_ = 0;
    TRect pageRect_{};
    int wrapWidth_ = 0;
    bool readOnly_ = false;
    bool wordWrap_ = true;
    bool hideSelection_ = true;
    bool modified_ = false;
};

}  // namespace ui
