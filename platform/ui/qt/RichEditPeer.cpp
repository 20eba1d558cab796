// The window of the rich-text edit: a QTextEdit on the control's own document.

#include <QCoreApplication>
#include <QDropEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include <memory>

#include "platform/ui/RichEdit.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/RichDocument.h"

namespace ui::qt {

namespace {

// A text window that lets the control draw over it (its frame, in the ring the window keeps
// clear around its text and scroll bars) after each painting of its own area.
class TOverTextEdit : public QTextEdit {
public:
    TOverTextEdit(QWidget* parent, TControl& control) : QTextEdit(parent), control_(control) {}

protected:
    // The window's own area is painted here, not in paintEvent (that paints the text).
    bool event(QEvent* event) override
    {
        const bool handled = QTextEdit::event(event);
        if (event->type() == QEvent::Paint) PaintOverWidget(*this, control_);
        return handled;
    }

private:
    TControl& control_;
};

class TRichEditPeer : public TPeer {
public:
    using TPeer::TPeer;

    QWidget* MouseWidget() const override { return edit_ != nullptr ? edit_->viewport() : widget_.data(); }

    // The frame's ring is the control's own: its client area is the whole window.
    QPoint ToClient(QWidget* from, QPoint p) const override
    {
        if (widget_ == nullptr || from == widget_ || static_cast<TCustomRichEdit&>(control_).FrameRingWidth() == 0)
            return TPeer::ToClient(from, p);
        return from->mapTo(widget_, p);
    }

    // The whole window, not only its text: the control's frame lies around the text.
    void Invalidate(const TRect* rect) override
    {
        if (!widget_) return;
        if (rect == nullptr)
            widget_->update();
        else
            widget_->update(QRect(rect->Left, rect->Top, rect->Width(), rect->Height()));
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == widget_ && !NoteMouseCrossing(event, control_)) return true;
        // Without the focus the selection shows only where HideSelection allows it.
        if (edit_ != nullptr && watched == edit_ &&
            (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
            focused_ = event->type() == QEvent::FocusIn;
            ShowSelection();
        }
        if (edit_ != nullptr && watched == edit_->viewport() && !redispatching_) {
            const QEvent::Type t = event->type();
            if (t == QEvent::DragEnter || t == QEvent::DragMove || t == QEvent::Drop)
                return TakeDrop(*static_cast<QDropEvent*>(event));
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
        edit_ = new TOverTextEdit(parent, control_);
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
        // A frame drawn by the control replaces the toolkit's. The text and its scroll bars sit
        // inside that frame's ring: a plain box of the ring's width, in the control's colour,
        // keeps it clear for the control to draw on.
        const int ring = control.FrameRingWidth();
        if (ring > 0) {
            edit_->setFrameStyle(QFrame::Box | QFrame::Plain);
            edit_->setLineWidth(ring);
            edit_->setMidLineWidth(0);
        } else {
            edit_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
            edit_->setLineWidth(1);
        }
        if (!control.WordWrap()) {
            edit_->setLineWrapMode(QTextEdit::NoWrap);
        } else if (control.WrapWidth() > 0) {
            edit_->setLineWrapMode(QTextEdit::FixedPixelWidth);
            edit_->setLineWrapColumnOrWidth(control.WrapWidth());
        } else {
            edit_->setLineWrapMode(QTextEdit::WidgetWidth);
        }
        if (serial_ != control.SelSerial() || shown_ != control.SelectionShown(focused_)) {
            serial_ = control.SelSerial();
            ShowSelection();
        }
        QPalette pal = edit_->palette();
        pal.setColor(QPalette::Base, ToQColor(control.Color()));
        pal.setColor(QPalette::WindowText, ToQColor(control.Color()));
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

    // Passes a drag event on to the text window offering only the effect the drop rule picks,
    // so the window's own handling takes that one; answers that the event was handled.
    bool TakeDrop(QDropEvent& event)
    {
        int allowed = 0;
        if (event.possibleActions() & Qt::CopyAction) allowed |= deCopy;
        if (event.possibleActions() & Qt::MoveAction) allowed |= deMove;
        const int effect = RichDropEffect(event.modifiers().testFlag(Qt::ControlModifier), allowed);
        if (effect == deNone) {
            event.ignore();
            return true;
        }
        const Qt::DropAction action = effect == deCopy ? Qt::CopyAction : Qt::MoveAction;
        redispatching_ = true;
        const QEvent::Type t = event.type();
        std::unique_ptr<QDropEvent> only;
        if (t == QEvent::DragEnter)
            only = std::make_unique<QDragEnterEvent>(event.position().toPoint(), action, event.mimeData(),
                                                      event.buttons(), event.modifiers());
        else if (t == QEvent::DragMove)
            only = std::make_unique<QDragMoveEvent>(event.position().toPoint(), action, event.mimeData(),
                                                     event.buttons(), event.modifiers());
        else
            only = std::make_unique<QDropEvent>(event.position(), action, event.mimeData(), event.buttons(),
                                                event.modifiers());
        QCoreApplication::sendEvent(edit_->viewport(), only.get());
        redispatching_ = false;
        event.setDropAction(only->dropAction());
        event.setAccepted(only->isAccepted());
        return true;
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
    bool redispatching_ = false;
};

}  // namespace

void RegisterRichEditPeers() { RegisterPeer<TCustomRichEdit, TRichEditPeer>(); }

}  // namespace ui::qt
