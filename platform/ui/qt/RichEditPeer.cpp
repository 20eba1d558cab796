// The window of the rich-text edit: a QTextEdit on the control's own document.

#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include "platform/ui/RichEdit.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/RichDocument.h"

namespace ui::qt {

namespace {

class TRichEditPeer : public TPeer {
public:
    using TPeer::TPeer;

    QWidget* MouseWidget() const override { return edit_ != nullptr ? edit_->viewport() : widget_.data(); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Without the focus the selection shows only where HideSelection allows it.
        if (edit_ != nullptr && watched == edit_ &&
            (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
            focused_ = event->type() == QEvent::FocusIn;
            ShowSelection();
        }
        // A left click that selected nothing may be a link's.
        if (edit_ != nullptr && watched == edit_->viewport()) {
            if (event->type() == QEvent::MouseButtonPress) {
            } else if (event->type() == QEvent::MouseButtonRelease) {
                auto* me = static_cast<QMouseEvent*>(event);
                if (me->button() == Qt::LeftButton && !edit_->textCursor().hasSelection()) {
                    const int position = edit_->cursorForPosition(me->position().toPoint()).position();
                    auto& control = static_cast<TCustomRichEdit&>(control_);
                    Call([&] { control.ClickLink(position); });
                }
            }
        }
        return TPeer::eventFilter(watched, event);
    }

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        auto& control = static_cast<TCustomRichEdit&>(control_);
        edit_ = new QTextEdit(parent);
        if (auto* doc = dynamic_cast<TQtRichDocument*>(&control.Document())) edit_->setDocument(&doc->Document());
        edit_->setAcceptRichText(false);  // pasting goes through the control: RTF or text, never HTML
        Watch(edit_->viewport());
        connect(edit_, &QTextEdit::textChanged, this, [this] {
            if (syncing_) return;
            Call([&] { static_cast<TCustomRichEdit&>(control_).Change(); });
        });
        connect(edit_, &QTextEdit::cursorPositionChanged, this, [this] { NoteSelection(); });
        connect(edit_, &QTextEdit::selectionChanged, this, [this] { NoteSelection(); });
        return edit_;
    }

    void Sync() override
    {
        auto& control = static_cast<TCustomRichEdit&>(control_);
        edit_->setReadOnly(control.GetReadOnly());
        edit_->setLineWrapMode(control.WordWrap() ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
        if (serial_ != control.SelSerial() || shown_ != control.SelectionShown(focused_)) {
            serial_ = control.SelSerial();
            ShowSelection();
        }
        QPalette pal = edit_->palette();
        pal.setColor(QPalette::Base, ToQColor(control.Color()));
        edit_->setPalette(pal);
    }

private:
    // Puts the control's selection into the window, or only its caret while the selection
    // is hidden; the control keeps its selection either way.
    void ShowSelection()
    {
        auto& control = static_cast<TCustomRichEdit&>(control_);
        shown_ = control.SelectionShown(focused_);
        const int caret = control.SelStart() + control.SelLength();
        QTextCursor c = edit_->textCursor();
        c.setPosition(shown_ ? control.SelStart() : caret);
        c.setPosition(caret, QTextCursor::KeepAnchor);
        const bool syncing = syncing_;
        syncing_ = true;
        edit_->setTextCursor(c);
        syncing_ = syncing;
    }

    void NoteSelection()
    {
        if (syncing_) return;
        const QTextCursor c = edit_->textCursor();
        Call([&] {
            static_cast<TCustomRichEdit&>(control_).SetSelectionByUser(c.selectionStart(),
                                                                       c.selectionEnd() - c.selectionStart());
        });
    }

    QTextEdit* edit_ = nullptr;
    int serial_ = -1;
    bool focused_ = false;
    bool shown_ = true;
};

}  // namespace

void RegisterRichEditPeers() { RegisterPeer<TCustomRichEdit, TRichEditPeer>(); }

}  // namespace ui::qt
