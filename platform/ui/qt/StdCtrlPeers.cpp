// The peers of the standard controls (labels, panels, group boxes, edits, buttons, check
// boxes, list and combo boxes) and of the extra ones (images, shapes, splitters). List and
// combo boxes show their items through an item model that reads the control's items.

#include <QCheckBox>
#include <QFocusEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QWheelEvent>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <qdrawutil.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <utility>

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/ItemModels.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/QtCanvas.h"

namespace ui::qt {

namespace {

void DrawBevel(QPainter& p, QRect& r, TBevelCut cut, int width, const QPalette& pal)
{
    if (cut == bvNone) return;
    if (cut != bvSpace) qDrawShadePanel(&p, r, pal, cut == bvLowered, width);
    r.adjust(width, width, -width, -width);
}


// ---- Label, panel, group box ---------------------------------------------------------------

class TLabelPeer : public TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        clickOnRelease_ = true;
        return label_ = new QLabel(parent);
    }
    void Sync() override
    {
        auto& l = static_cast<TLabel&>(control_);
        QWidget* buddy = l.FocusControl() != nullptr && PeerOf(*l.FocusControl()) != nullptr
                             ? PeerOf(*l.FocusControl())->Widget()
                             : nullptr;
        label_->setBuddy(buddy);
        // Made before the control it names: look again once the form's widgets are made.
        if (buddy == nullptr && l.FocusControl() != nullptr) QTimer::singleShot(0, this, [this] { Changed(); });
        const QString text = buddy != nullptr ? Q(l.Caption()) : Q(StripHotkey(l.Caption()));
        if (label_->text() != text) label_->setText(text);
        Qt::Alignment v = Qt::AlignTop;
        if (l.Layout() == tlCenter) v = Qt::AlignVCenter;
        if (l.Layout() == tlBottom) v = Qt::AlignBottom;
        label_->setAlignment(ToQAlign(l.Alignment()) | v);
        label_->setWordWrap(l.WordWrap());
        label_->setAutoFillBackground(!l.Transparent());
        QPalette pal = label_->palette();
        pal.setColor(QPalette::Window, ToQColor(l.Color()));
        label_->setPalette(pal);
        if (l.AutoSize() && !l.WordWrap()) {
            const QSize size = label_->fontMetrics().size(Qt::TextShowMnemonic, text);
            control_.SetBounds(control_.Left(), control_.Top(), size.width(), size.height());
        }
    }

private:
    QLabel* label_ = nullptr;
};

class TPanelPeer : public TPaintPeer {
public:
    explicit TPanelPeer(TControl& control) : TPaintPeer(control, true) {}

protected:
    void Paint(QPainter& p, QWidget& w) override
    {
        auto& panel = static_cast<TPanel&>(control_);
        QRect r = w.rect();
        p.fillRect(r, ToQColor(panel.Color()));
        if (panel.BorderStyle() == bsSingle) {
            qDrawPlainRect(&p, r, Qt::black);
            r.adjust(1, 1, -1, -1);
        }
        DrawBevel(p, r, panel.BevelOuter(), panel.BevelWidth(), w.palette());
        r.adjust(panel.BorderWidth(), panel.BorderWidth(), -panel.BorderWidth(), -panel.BorderWidth());
        DrawBevel(p, r, panel.BevelInner(), panel.BevelWidth(), w.palette());
        p.setPen(ToQColor(panel.Font()->Color()));
        p.drawText(r, static_cast<int>(ToQAlign(panel.Alignment()) | Qt::AlignVCenter) | Qt::TextShowMnemonic,
                   Q(panel.Caption()));
    }
};

class TGroupBoxPeer : public TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        clickOnRelease_ = true;
        return box_ = new QGroupBox(parent);
    }
    void Sync() override
    {
        if (box_->title() != Q(control_.Caption())) box_->setTitle(Q(control_.Caption()));
    }
    QGroupBox* box_ = nullptr;
};

class TRadioGroupPeer : public TGroupBoxPeer {
public:
    using TGroupBoxPeer::TGroupBoxPeer;

protected:
    void Sync() override
    {
        TGroupBoxPeer::Sync();
        auto& g = static_cast<TRadioGroup&>(control_);
        QStringList texts;
        for (int i = 0; i < g.Items()->Count(); ++i) texts << Q(g.Items()->Get(i));
        if (texts != texts_) {
            for (QRadioButton* b : buttons_) b->deleteLater();
            buttons_.clear();
            for (int i = 0; i < texts.size(); ++i) {
                auto* b = new QRadioButton(texts[i], box_);
                b->setAutoExclusive(false);
                b->installEventFilter(this);
                connect(b, &QRadioButton::clicked, this,
                        [this, i] { React([&] { static_cast<TRadioGroup&>(control_).SetItemIndex(i); }); });
                b->show();
                buttons_.push_back(b);
            }
            texts_ = texts;
        }
        // The buttons share the area below the caption in columns, rows of equal height.
        const TRect area = g.AlignRect();
        const int count = static_cast<int>(buttons_.size());
        const int columns = std::max(1, g.Columns());
        const int rows = std::max(1, (count + columns - 1) / columns);
        const int colWidth = area.Width() / columns;
        const int rowHeight = area.Height() / rows;
        for (int i = 0; i < count; ++i) {
            QRadioButton* b = buttons_[static_cast<std::size_t>(i)];
            const QSignalBlocker block(b);
            b->setGeometry(area.Left + 6 + (i / rows) * colWidth, area.Top + (i % rows) * rowHeight, colWidth - 8,
                           rowHeight);
            b->setChecked(i == g.ItemIndex());
            b->setEnabled(g.ItemEnabled(i));
        }
    }

private:
    QStringList texts_;
    std::vector<QRadioButton*> buttons_;
};

// ---- Edits ---------------------------------------------------------------------------------

// The character a password edit shows for each one typed (the toolkit's style chooses one
// of its own otherwise), and no caret for edits that show their parts as selections.
class TEditStyle : public QProxyStyle {
public:
    char32_t passwordChar = 0;
    bool noCaret = false;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter && passwordChar != 0) return static_cast<int>(passwordChar);
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_TextCursorWidth && noCaret) return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// A line edit that keeps a ring along its edges for the control to draw over (its frame),
// and lets the control draw over it after its own painting.
class TOverLineEdit : public QLineEdit {
public:
    TOverLineEdit(QWidget* parent, TControl& control) : QLineEdit(parent), control_(control) {}

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QLineEdit::paintEvent(event);
        PaintOverWidget(*this, control_);
    }

private:
    TControl& control_;
};

class TEditPeer : public TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        edit_ = new TOverLineEdit(parent, control_);
        connect(edit_, &QLineEdit::textEdited, this,
                [this](const QString& text) { Call([&] { static_cast<TCustomEdit&>(control_).SetTextByUser(S(text)); }); });
        const auto noteSelection = [this] {  // the edit keeps the user's selection in bytes
            const QString t = edit_->text();
            const int start = edit_->hasSelectedText() ? edit_->selectionStart() : edit_->cursorPosition();
            const int bytes = static_cast<int>(S(t.left(start)).size());
            const int length = static_cast<int>(S(t.mid(start, edit_->selectedText().size())).size());
            Call([&] { static_cast<TCustomEdit&>(control_).SetSelectionByUser(bytes, length); });
        };
        connect(edit_, &QLineEdit::cursorPositionChanged, this, noteSelection);
        connect(edit_, &QLineEdit::selectionChanged, this, noteSelection);
        return edit_;
    }
    void Sync() override
    {
        auto& e = static_cast<TEdit&>(control_);
        if (edit_->text() != Q(e.Text())) {
            // Setting the text moves the caret; that is no move of the user's.
            const QSignalBlocker block(edit_);
            edit_->setText(Q(e.Text()));
        }
        edit_->setEchoMode(e.PasswordChar() != 0 ? QLineEdit::Password : QLineEdit::Normal);
        if ((e.PasswordChar() != 0 && e.PasswordChar() != shownPasswordChar_) || e.CaretHidden() != caretHidden_) {
            // The edit reads the style's answers when the style is set: a new style each time.
            auto* style = new TEditStyle;
            style->passwordChar = static_cast<unsigned char>(e.PasswordChar());
            style->noCaret = e.CaretHidden();
            style->setParent(edit_);
            edit_->setStyle(style);
            if (style_ != nullptr) style_->deleteLater();
            style_ = style;
            caretHidden_ = e.CaretHidden();
            if (e.PasswordChar() != 0 && e.PasswordChar() != shownPasswordChar_) {
                shownPasswordChar_ = e.PasswordChar();
                edit_->setEchoMode(QLineEdit::Normal);  // the mask is taken when the mode is set
                edit_->setEchoMode(QLineEdit::Password);
            }
        }
        edit_->setReadOnly(e.ReadOnly());
        edit_->setMaxLength(e.MaxLength() > 0 ? e.MaxLength() : 32767);
        edit_->setAlignment((e.Alignment() == taRightJustify ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        // A ring drawn by the control replaces the toolkit's frame.
        const int ring = e.FrameRingWidth();
        edit_->setFrame(ring == 0 && e.ShowsBorder());
        const TRect& m = e.TextMargins();
        edit_->setTextMargins(ring + m.Left, m.Top, ring + m.Right, m.Bottom);
        if (e.SelSerial() != appliedSelSerial_) {
            appliedSelSerial_ = e.SelSerial();
            const std::string& text = e.Text();
            const int start = static_cast<int>(Q(text.substr(0, e.SelStart())).size());
            const int length = static_cast<int>(Q(text.substr(e.SelStart(), e.SelLength())).size());
            const QSignalBlocker block(edit_);  // the control knows its selection already
            if (length > 0)
                edit_->setSelection(start, length);
            else
                edit_->setCursorPosition(start);
        }
        QPalette pal = edit_->palette();
        pal.setColor(QPalette::Base, ToQColor(e.Color()));
        // HideSelection: without the focus the selected text looks like the rest.
        const bool hide = e.HideSelection();
        pal.setColor(QPalette::Inactive, QPalette::Highlight,
                     hide ? pal.color(QPalette::Base) : pal.color(QPalette::Active, QPalette::Highlight));
        pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     hide ? pal.color(QPalette::Text) : pal.color(QPalette::Active, QPalette::HighlightedText));
        edit_->setPalette(pal);
        edit_->update();
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == widget_) {
            if (!NoteMouseCrossing(event, control_)) return true;
            if (event->type() == QEvent::FocusIn) {
                const auto reason = static_cast<QFocusEvent*>(event)->reason();
                auto& e = static_cast<TCustomEdit&>(control_);
                if (e.AutoSelect() && reason != Qt::MouseFocusReason && reason != Qt::PopupFocusReason)
                    QTimer::singleShot(0, edit_, [edit = QPointer<QLineEdit>(edit_)] {
                        if (edit && edit->hasFocus()) edit->selectAll();
                    });
            }
        }
        return TPeer::eventFilter(watched, event);
    }

private:
    QLineEdit* edit_ = nullptr;
    TEditStyle* style_ = nullptr;
    char shownPasswordChar_ = 0;
    bool caretHidden_ = false;
    int appliedSelSerial_ = 0;
};

// Qt leaves a caret out of view when its line is taller than the window (a one-row cell
// editor); the caret's line then goes to the top, as much of it as fits.
void ScrollCaretIntoView(QPlainTextEdit& memo)
{
    memo.ensureCursorVisible();
    const QRect caret = memo.cursorRect();
    if (caret.top() >= 0 && caret.bottom() <= memo.viewport()->height()) return;
    const QTextCursor cursor = memo.textCursor();
    const QTextLine line = cursor.block().layout()->lineForTextPosition(cursor.positionInBlock());
    if (line.isValid()) memo.verticalScrollBar()->setValue(cursor.block().firstLineNumber() + line.lineNumber());
}

class TMemoPeer : public TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        memo_ = new QPlainTextEdit(parent);
        Watch(memo_->viewport());
        connect(memo_, &QPlainTextEdit::textChanged, this, [this] {
            if (syncing_) return;
            Call([&] { static_cast<TCustomEdit&>(control_).SetTextByUser(FromEditorText(memo_->toPlainText())); });
        });
        return memo_;
    }
    void Sync() override
    {
        auto& m = static_cast<TMemo&>(control_);
        const QString text = ToEditorText(m.Text());
        if (memo_->toPlainText() != text) memo_->setPlainText(text);
        memo_->setReadOnly(m.ReadOnly());
        memo_->setLineWrapMode(m.WordWrap() ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        memo_->setTabChangesFocus(!m.WantTabs());
        const bool v = m.ScrollBars() == ssVertical || m.ScrollBars() == ssBoth;
        const bool h = m.ScrollBars() == ssHorizontal || m.ScrollBars() == ssBoth;
        memo_->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        memo_->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        QPalette pal = memo_->palette();
        pal.setColor(QPalette::Base, ToQColor(m.Color()));
        memo_->setPalette(pal);
        if (m.ScrollCaretSerial() != appliedScrollCaretSerial_) {
            appliedScrollCaretSerial_ = m.ScrollCaretSerial();
            // After the placement that follows this sync has laid the text out anew.
            QTimer::singleShot(0, memo_, [memo = memo_] { ScrollCaretIntoView(*memo); });
        }
    }

private:
    QPlainTextEdit* memo_ = nullptr;
    int appliedScrollCaretSerial_ = 0;
};

class TSpinEditPeer : public TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        spin_ = new QSpinBox(parent);
        connect(spin_, &QSpinBox::valueChanged, this, [this](int value) {
            Call([&] { static_cast<TCustomEdit&>(control_).SetTextByUser(std::to_string(value)); });
        });
        return spin_;
    }
    void Sync() override
    {
        auto& s = static_cast<TSpinEdit&>(control_);
        const bool limited = s.MinValue() != 0 || s.MaxValue() != 0;
        spin_->setRange(limited ? s.MinValue() : INT_MIN, limited ? std::max(s.MinValue(), s.MaxValue()) : INT_MAX);
        spin_->setSingleStep(s.Increment());
        spin_->setValue(s.Value());
        spin_->setReadOnly(s.ReadOnly());
    }

private:
    QSpinBox* spin_ = nullptr;
};

// ---- Buttons -------------------------------------------------------------------------------

class TButtonPeer : public TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        button_ = new QPushButton(parent);
        button_->setAutoDefault(false);
        connect(button_, &QPushButton::clicked, this, [this] { Call([&] { control_.Click(); }); });
        return button_;
    }
    void Sync() override
    {
        auto& b = static_cast<TButton&>(control_);
        if (button_->text() != Q(b.Caption())) button_->setText(Q(b.Caption()));
        button_->setDefault(b.Default());
        if (auto* bit = dynamic_cast<TBitBtn*>(&b)) button_->setIcon(IconOf(*bit->Glyph()));
    }

private:
    QPushButton* button_ = nullptr;
};

class TSpeedButtonPeer : public TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        button_ = new QToolButton(parent);
        button_->setFocusPolicy(Qt::NoFocus);
        button_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        connect(button_, &QToolButton::clicked, this, [this] {
            React([&] { control_.Click(); });
        });
        return button_;
    }
    void Sync() override
    {
        auto& b = static_cast<TSpeedButton&>(control_);
        button_->setText(Q(b.Caption()));
        button_->setIcon(IconOf(*b.Glyph()));
        button_->setCheckable(b.GroupIndex() != 0);
        button_->setChecked(b.Down());
        button_->setAutoRaise(b.Flat());
    }

private:
    QToolButton* button_ = nullptr;
};

class TCheckBoxPeer : public TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        box_ = new QCheckBox(parent);
        connect(box_, &QCheckBox::clicked, this, [this] {
            React([&] { static_cast<TCheckBox&>(control_).Toggle(); });
        });
        return box_;
    }
    void Sync() override
    {
        auto& c = static_cast<TCheckBox&>(control_);
        if (box_->text() != Q(c.Caption())) box_->setText(Q(c.Caption()));
        box_->setTristate(c.AllowGrayed());
        box_->setCheckState(c.State() == cbChecked   ? Qt::Checked
                            : c.State() == cbGrayed ? Qt::PartiallyChecked
                                                    : Qt::Unchecked);
        box_->setLayoutDirection(c.Alignment() == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
    }

private:
    QCheckBox* box_ = nullptr;
};

class TRadioButtonPeer : public TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        button_ = new QRadioButton(parent);
        button_->setAutoExclusive(false);
        connect(button_, &QRadioButton::clicked, this, [this] {
            React([&] { control_.Click(); });
        });
        return button_;
    }
    void Sync() override
    {
        auto& r = static_cast<TRadioButton&>(control_);
        if (button_->text() != Q(r.Caption())) button_->setText(Q(r.Caption()));
        button_->setChecked(r.Checked());
    }

private:
    QRadioButton* button_ = nullptr;
};

// Rows of an owner-drawn list box: the control draws each one on its canvas; a click in the
// check strip of a check list box, or Space on its current row, toggles the item.
class TOwnerDrawDelegate : public TRowHeightDelegate {
public:
    TOwnerDrawDelegate(QObject* parent, TListBox& list) : TRowHeightDelegate(parent, list.ItemHeight()), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        TOwnerDrawState state;
        if (option.state & QStyle::State_Selected) state.Include(odSelected);
        if (option.state & QStyle::State_HasFocus) state.Include(odFocused);
        if (!(option.state & QStyle::State_Enabled)) state.Include(odDisabled);
        const QRect r = option.rect;
        painter->save();
        TQtDevice device(*painter);
        list_.Canvas()->SetDevice(&device);
        list_.Canvas()->SetBounds({r.left(), r.top(), r.right() + 1, r.bottom() + 1});
        Application().SafeCall(&list_, [&] {
            list_.PaintItem(index.row(), {r.left(), r.top(), r.right() + 1, r.bottom() + 1}, state);
        });
        list_.Canvas()->SetDevice(nullptr);
        painter->restore();
    }

    bool editorEvent(QEvent* event, QAbstractItemModel*, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override
    {
        auto* check = dynamic_cast<TCheckListBox*>(&list_);
        if (check == nullptr) return false;
        if (event->type() == QEvent::MouseButtonRelease) {
            const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
            if (p.x() >= option.rect.left() + TCheckListBox::kCheckWidth) return false;
        } else if (event->type() == QEvent::KeyPress) {
            // The view offers Space to the current row's delegate, as it does for plain rows.
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key != Qt::Key_Space && key != Qt::Key_Select) return false;
        } else {
            return false;
        }
        Application().SafeCall(check, [&] { check->ToggleByUser(index.row()); });
        return true;
    }

private:
    TListBox& list_;
};

// ---- Lists ---------------------------------------------------------------------------------

// The rows the selection model holds, sorted, each once.
std::vector<int> SelectedRows(const QItemSelectionModel& selection)
{
    std::vector<int> rows;
    for (const QModelIndex& index : selection.selectedIndexes()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

class TListBoxPeer : public TPeer {
public:
    using TPeer::TPeer;
    ~TListBoxPeer() override
    {
        // The widget goes later than the model: it must not read it meanwhile.
        if (widget_) list_->setModel(nullptr);
    }

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        auto& box = static_cast<TListBox&>(control_);
        auto* check = dynamic_cast<TCheckListBox*>(&box);
        list_ = new QListView(parent);
        list_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        list_->setUniformItemSizes(true);
        list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        TItemModelHooks hooks;
        if (check != nullptr)
            hooks.checkedByUser = [this, check](int row, bool checked) {
                if (row < check->Items()->Count() && check->Checked(row) != checked)
                    Call([&] { check->ToggleByUser(row); });
            };
        model_ = std::make_unique<TItemStringsModel>(*box.Items(), check != nullptr, std::move(hooks));
        list_->setModel(model_.get());
        delegate_ = box.OwnerDrawn() ? new TOwnerDrawDelegate(list_, box) : new TRowHeightDelegate(list_, 16);
        list_->setItemDelegate(delegate_);
        Watch(list_->viewport());
        connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UserSelected(); });
        connect(list_->verticalScrollBar(), &QScrollBar::valueChanged, this,
                [this](int value) { Call([&] { static_cast<TListBox&>(control_).ScrolledByUser(value); }); });
        return list_;
    }

    void UserSelected()
    {
        if (syncing_ || model_->Noticing()) return;
        const std::vector<int> selected = SelectedRows(*list_->selectionModel());
        const int current = list_->currentIndex().isValid() ? list_->currentIndex().row() : -1;
        Call([&] { static_cast<TListBox&>(control_).SelectByUser(current, selected); });
    }

    void Sync() override
    {
        auto& l = static_cast<TListBox&>(control_);
        const QSignalBlocker blockScroll(list_->verticalScrollBar());
        delegate_->SetHeight(l.ItemHeight());
        list_->setSelectionMode(!l.MultiSelect()      ? QAbstractItemView::SingleSelection
                                : l.ExtendedSelect() ? QAbstractItemView::ExtendedSelection
                                                     : QAbstractItemView::MultiSelection);
        SyncSelection();
        QPalette pal = list_->palette();
        pal.setColor(QPalette::Base, ToQColor(l.Color()));
        list_->setPalette(pal);
    }

private:
    // The selection model holds the rows the control has selected, and its current row.
    void SyncSelection()
    {
        auto& l = static_cast<TListBox&>(control_);
        // The view hears of the change and repaints it; UserSelected knows Sync made it.
        QItemSelectionModel* selection = list_->selectionModel();
        const int count = std::min(l.Items()->Count(), model_->rowCount());
        std::vector<int> wanted;
        for (int i = 0; i < count; ++i)
            if (l.MultiSelect() ? l.Selected(i) : i == l.ItemIndex()) wanted.push_back(i);
        if (wanted != SelectedRows(*selection)) {
            QItemSelection rows;
            for (int i : wanted) rows.select(model_->index(i, 0), model_->index(i, 0));
            selection->select(rows, QItemSelectionModel::ClearAndSelect);
        }
        if (l.ItemIndex() >= 0 && l.ItemIndex() < count && selection->currentIndex().row() != l.ItemIndex())
            selection->setCurrentIndex(model_->index(l.ItemIndex(), 0), QItemSelectionModel::NoUpdate);
    }

    QListView* list_ = nullptr;
    std::unique_ptr<TItemStringsModel> model_;
    TRowHeightDelegate* delegate_ = nullptr;
};

// Rows of an owner-drawn combo box's list: the control measures and draws each one.
class TComboItemDelegate : public QStyledItemDelegate {
public:
    TComboItemDelegate(QObject* parent, TComboBox& combo) : QStyledItemDelegate(parent), combo_(combo) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        TOwnerDrawState state;
        if (option.state & (QStyle::State_Selected | QStyle::State_MouseOver)) state.Include(odSelected);
        if (!(option.state & QStyle::State_Enabled)) state.Include(odDisabled);
        const QRect r = option.rect;
        painter->save();
        TQtDevice device(*painter);
        combo_.Canvas()->SetDevice(&device);
        combo_.Canvas()->SetBounds({r.left(), r.top(), r.right() + 1, r.bottom() + 1});
        Application().SafeCall(&combo_, [&] {
            combo_.PaintItem(index.row(), {r.left(), r.top(), r.right() + 1, r.bottom() + 1}, state);
        });
        combo_.Canvas()->SetDevice(nullptr);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        int height = combo_.ItemHeight();
        Application().SafeCall(&combo_, [&] { combo_.MeasureItem(index.row(), height); });
        return {QStyledItemDelegate::sizeHint(option, index).width(), height};
    }

private:
    TComboBox& combo_;
};

class TComboWidget : public QComboBox {
public:
    TComboWidget(QWidget* parent, TComboBox& combo) : QComboBox(parent), combo_(combo)
    {
        connect(this, &QComboBox::activated, this, [this] { chosen_ = true; });
    }
    std::function<void()> onDropDown;
    std::function<void(bool)> onCloseUp;
    void showPopup() override
    {
        chosen_ = false;
        listShown_ = true;
        if (onDropDown) onDropDown();
        QComboBox::showPopup();
        if (combo_.DropDownWidth() > 0) view()->window()->setFixedWidth(combo_.DropDownWidth());
    }
    void hidePopup() override
    {
        QComboBox::hidePopup();
        // The toolkit also calls this when the combo is merely hidden, and more than once for
        // one list: only a list that was shown closes up, once.
        if (!std::exchange(listShown_, false)) return;
        // Reported after the chosen item (the toolkit closes the list first): only an item
        // taken by click or Enter is a choice; Escape, a click elsewhere or hiding is none.
        QTimer::singleShot(0, this, [this] {
            if (onCloseUp) onCloseUp(chosen_);
        });
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (!combo_.OwnerDrawn()) {
            QComboBox::paintEvent(event);
        } else {
            // The frame and the button as the style draws them, the selection field by the
            // control.
            QStylePainter painter(this);
            QStyleOptionComboBox option;
            initStyleOption(&option);
            option.currentText.clear();
            option.currentIcon = QIcon();
            painter.drawComplexControl(QStyle::CC_ComboBox, option);
            const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
            TOwnerDrawState state{odComboBoxEdit};
            if (hasFocus()) state.Include(odSelected).Include(odFocused);
            if (!isEnabled()) state.Include(odDisabled);
            TQtDevice device(painter);
            combo_.Canvas()->SetDevice(&device);
            combo_.Canvas()->SetBounds({0, 0, width(), height()});
            const TRect r{field.left(), field.top(), field.right() + 1, field.bottom() + 1};
            Application().SafeCall(&combo_, [&] { combo_.PaintItem(combo_.ItemIndex(), r, state); });
            combo_.Canvas()->SetDevice(nullptr);
        }
        PaintOverWidget(*this, combo_);
    }

private:
    TComboBox& combo_;
    bool listShown_ = false;
    bool chosen_ = false;
};

// A UTF-16 position of `text` for a byte offset of its UTF-8 form, and back.
int Utf16Pos(const std::string& text, int offset)
{
    return static_cast<int>(QString::fromUtf8(text.data(), std::clamp<qsizetype>(offset, 0, text.size())).size());
}
int Utf8Pos(const QString& text, int pos)
{
    return static_cast<int>(text.left(std::clamp<qsizetype>(pos, 0, text.size())).toUtf8().size());
}

class TComboBoxPeer : public TPeer {
public:
    using TPeer::TPeer;
    ~TComboBoxPeer() override
    {
        // The widget goes later than the model: it must not read it meanwhile, nor report
        // a close-up to this peer.
        if (widget_) {
            combo_->onDropDown = nullptr;
            combo_->onCloseUp = nullptr;
            combo_->setModel(new QStandardItemModel(combo_));
        }
    }

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        auto& c = static_cast<TComboBox&>(control_);
        combo_ = new TComboWidget(parent, c);
        combo_->setInsertPolicy(QComboBox::NoInsert);
        model_ = std::make_unique<TItemStringsModel>(*c.Items(), false, TItemModelHooks{});
        combo_->setModel(model_.get());
        combo_->onDropDown = [this, &c] { Call([&] { c.DropDownByUser(); }); };
        combo_->onCloseUp = [this, &c](bool accepted) { React([&] { c.CloseUpByUser(accepted); }); };
        connect(combo_, &QComboBox::activated, this, [this, &c](int index) {
            React([&] { c.SelectByUser(index); });
        });
        return combo_;
    }
    void Sync() override
    {
        auto& c = static_cast<TComboBox&>(control_);
        const bool editable = c.Editable();
        if (combo_->isEditable() != editable) {
            combo_->setEditable(editable);
            if (QLineEdit* edit = combo_->lineEdit()) {
                Watch(edit);
                connect(edit, &QLineEdit::textEdited, this,
                        [this, &c](const QString& text) { Call([&] { c.SetTextByUser(S(text)); }); });
                connect(edit, &QLineEdit::selectionChanged, this, [this] { NoteSelection(); });
                connect(edit, &QLineEdit::cursorPositionChanged, this, [this] { NoteSelection(); });
            }
        }
        if (c.OwnerDrawn() != (delegate_ != nullptr)) {
            delegate_ = c.OwnerDrawn() ? new TComboItemDelegate(combo_, c) : nullptr;
            combo_->setItemDelegate(delegate_ ? static_cast<QAbstractItemDelegate*>(delegate_)
                                              : new QStyledItemDelegate(combo_));
        }
        if (combo_->currentIndex() != c.ItemIndex()) combo_->setCurrentIndex(c.ItemIndex());
        if (editable) {
            QLineEdit* edit = combo_->lineEdit();
            if (combo_->currentText() != Q(c.Text())) combo_->setEditText(Q(c.Text()));
            if (c.MaxLength() > 0) edit->setMaxLength(c.MaxLength());
            if (c.EditSelSerial() != appliedSelSerial_) {
                appliedSelSerial_ = c.EditSelSerial();
                const int start = Utf16Pos(c.Text(), c.SelStart());
                const int end = Utf16Pos(c.Text(), c.SelStart() + c.SelLength());
                if (end > start)
                    edit->setSelection(start, end - start);
                else
                    edit->setCursorPosition(start);
            }
        }
        combo_->setMaxVisibleItems(std::max(1, c.DropDownCount()));
        QPalette pal = combo_->palette();
        pal.setColor(QPalette::Base, ToQColor(c.Color()));
        combo_->setPalette(pal);
        combo_->update();
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto& c = static_cast<TComboBox&>(control_);
        if (watched == widget_ && !NoteMouseCrossing(event, control_)) return true;
        if (event->type() == QEvent::Wheel && (watched == widget_ || watched == combo_->lineEdit())) {
            auto* we = static_cast<QWheelEvent*>(event);
            const QPoint g = we->globalPosition().toPoint();
            std::intptr_t taken = 0;
            React([&] {
                taken = c.Perform(WM_MOUSEWHEEL, MakeWParam(0, we->angleDelta().y()), MakeLParam(g.x(), g.y()));
            });
            return taken != 0;
        }
        if (event->type() == QEvent::KeyPress && (watched == widget_ || watched == combo_->lineEdit()))
            return KeyPress(static_cast<QKeyEvent*>(event));
        return TPeer::eventFilter(watched, event);
    }

private:
    // Keys go to the control as key-down and as characters (code points) before the widget
    // sees them; a character the control took is not typed.
    bool KeyPress(QKeyEvent* ke)
    {
        auto& c = static_cast<TComboBox&>(control_);
        if (NoteInput(ke)) return true;
        const QPointer<TPeer> self(this);
        TKey key = KeyOf(ke->key());
        bool filtered = false;  // the application's key filters see the key first
        if (key != 0) Call([&] { filtered = Application().FilterKey(&c, key, ShiftOf(ke->modifiers()), true); });
        if (!self || filtered) return true;
        if (key != 0) {
            Call([&] { c.KeyDown(key, ShiftOf(ke->modifiers())); });
            if (!self || key == 0) return true;
            if ((key == VK_RETURN || key == VK_ESCAPE) && !c.DroppedDown()) {
                bool taken = false;
                if (TCustomForm* form = GetParentForm(&c)) Call([&] { taken = form->DialogKey(key); });
                if (taken || !self) return true;
            }
        }
        const QString text = ke->text();
        if (text.isEmpty() || (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return false;
        bool taken = false;
        for (char32_t cp : text.toUcs4()) {
            std::intptr_t result = 0;
            React([&] { result = c.Perform(WM_CHAR, static_cast<std::intptr_t>(cp)); });
            if (!self) return true;
            taken = taken || result != 0;
        }
        return taken;
    }
    void NoteSelection()
    {
        if (syncing_) return;
        QLineEdit* edit = combo_->lineEdit();
        const QString text = edit->text();
        auto& c = static_cast<TComboBox&>(control_);
        if (edit->hasSelectedText()) {
            const int start = edit->selectionStart();
            const int end = start + static_cast<int>(edit->selectedText().size());
            c.EditSelByUser(Utf8Pos(text, start), Utf8Pos(text, end) - Utf8Pos(text, start));
        } else {
            c.EditSelByUser(Utf8Pos(text, edit->cursorPosition()), 0);
        }
    }

    TComboWidget* combo_ = nullptr;
    std::unique_ptr<TItemStringsModel> model_;
    TComboItemDelegate* delegate_ = nullptr;
    int appliedSelSerial_ = 0;
};

// ---- Image, shape, splitter --------- ----------------------------------------------------

class TImagePeer : public TPaintPeer {
public:
    explicit TImagePeer(TControl& control) : TPaintPeer(control, true) {}

protected:
    void Paint(QPainter& p, QWidget& w) override
    {
        auto& image = static_cast<TImage&>(control_);
        const TPicture& pic = *image.Picture();
        if (!pic.Empty()) {
            const TRect r = image.DestRect();
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(QRect(r.Left, r.Top, r.Width(), r.Height()), ToQImage(pic.Width(), pic.Height(), pic.Pixels()));
            return;
        }
        QStyle::StandardPixmap icon;
        switch (image.SystemIcon()) {
        case siWarning: icon = QStyle::SP_MessageBoxWarning; break;
        case siError: icon = QStyle::SP_MessageBoxCritical; break;
        case siInformation: icon = QStyle::SP_MessageBoxInformation; break;
        case siQuestion: icon = QStyle::SP_MessageBoxQuestion; break;
        default: return;
        }
        w.style()->standardIcon(icon).paint(&p, w.rect());
    }
};

class TShapePeer : public TPaintPeer {
public:
    explicit TShapePeer(TControl& control) : TPaintPeer(control, true) {}

protected:
    void Paint(QPainter& p, QWidget& w) override
    {
        auto& s = static_cast<TShape&>(control_);
        p.setRenderHint(QPainter::Antialiasing);
        const int pw = std::max(1, s.Pen()->Width());
        QPen pen(ToQColor(s.Pen()->Color()), pw);
        if (s.Pen()->Style() == psClear) pen = Qt::NoPen;
        if (s.Pen()->Style() == psDash) pen.setStyle(Qt::DashLine);
        if (s.Pen()->Style() == psDot) pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.setBrush(s.Brush()->Style() == bsClear ? QBrush(Qt::NoBrush) : QBrush(ToQColor(s.Brush()->Color())));
        QRect r = w.rect().adjusted(pw / 2, pw / 2, -(pw + 1) / 2, -(pw + 1) / 2);
        if (s.Shape() == stSquare || s.Shape() == stRoundSquare || s.Shape() == stCircle) {
            const int side = std::min(r.width(), r.height());
            r = QRect(r.left() + (r.width() - side) / 2, r.top() + (r.height() - side) / 2, side, side);
        }
        switch (s.Shape()) {
        case stEllipse:
        case stCircle: p.drawEllipse(r); break;
        case stRoundRect:
        case stRoundSquare: p.drawRoundedRect(r, r.width() / 4.0, r.height() / 4.0); break;
        default: p.drawRect(r); break;
        }
    }
};

class TSplitterPeer : public TPaintPeer {
public:
    explicit TSplitterPeer(TControl& control) : TPaintPeer(control, false) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto& s = static_cast<TSplitter&>(control_);
        const bool horizontal = s.Align() == alLeft || s.Align() == alRight;
        if (watched == widget_ && event->type() == QEvent::MouseButtonPress) {
            grab_ = static_cast<QMouseEvent*>(event)->position().toPoint();
            dragging_ = true;
        } else if (watched == widget_ && event->type() == QEvent::MouseButtonRelease) {
            dragging_ = false;
        } else if (watched == widget_ && event->type() == QEvent::MouseMove && dragging_) {
            // Where the grabbed point of the bar should be now, against where it is.
            const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
            const int delta = horizontal ? p.x() - grab_.x() : p.y() - grab_.y();
            if (delta != 0) Call([&] { s.MoveByUser(delta); });
            return true;
        }
        return TPeer::eventFilter(watched, event);
    }

protected:
    void Paint(QPainter& p, QWidget& w) override
    {
        p.fillRect(w.rect(), ToQColor(control_.Color()));
        if (static_cast<TSplitter&>(control_).Beveled()) qDrawShadePanel(&p, w.rect(), w.palette(), false, 1);
    }
    void Sync() override
    {
        auto& s = static_cast<TSplitter&>(control_);
        widget_->setCursor(s.Align() == alLeft || s.Align() == alRight ? Qt::SplitHCursor : Qt::SplitVCursor);
        widget_->update();
    }

private:
    QPoint grab_;
    bool dragging_ = false;
};


}  // namespace

void RegisterStdCtrlPeers()
{
    RegisterPeer<TLabel, TLabelPeer>();
    RegisterPeer<TPanel, TPanelPeer>();
    RegisterPeer<TGroupBox, TGroupBoxPeer>();
    RegisterPeer<TRadioGroup, TRadioGroupPeer>();
    RegisterPeer<TEdit, TEditPeer>();
    RegisterPeer<TMemo, TMemoPeer>();
    RegisterPeer<TSpinEdit, TSpinEditPeer>();
    RegisterPeer<TButton, TButtonPeer>();
    RegisterPeer<TSpeedButton, TSpeedButtonPeer>();
    RegisterPeer<TCheckBox, TCheckBoxPeer>();
    RegisterPeer<TRadioButton, TRadioButtonPeer>();
    RegisterPeer<TListBox, TListBoxPeer>();
    RegisterPeer<TComboBox, TComboBoxPeer>();
    RegisterPeer<TImage, TImagePeer>();
    RegisterPeer<TShape, TShapePeer>();
    RegisterPeer<TSplitter, TSplitterPeer>();
}

}  // namespace ui::qt
