#include "platform/ui/qt/Peers.h"

#include <QApplication>
#include <QPaintEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSizeGrip>
#include <QSpinBox>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <qdrawutil.h>

#include <climits>
#include <map>

#include "platform/ui/ComCtrls.h"
#include "platform/ui/CustomControl.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Input.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/QtCanvas.h"

namespace ui::qt {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// Memo text keeps CR LF; the toolkit's editors use LF.
QString ToEditorText(const std::string& s)
{
    QString q = Q(s);
    q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return q;
}

std::string FromEditorText(const QString& q)
{
    QString s = q;
    s.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return S(s);
}

QImage ToQImage(int width, int height, const std::vector<std::uint32_t>& pixels)
{
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return {};
    return QImage(reinterpret_cast<const uchar*>(pixels.data()), width, height, QImage::Format_ARGB32).copy();
}

QIcon IconOf(const TImageList* list, int index)
{
    if (list == nullptr || index < 0 || index >= list->Count()) return {};
    return QIcon(QPixmap::fromImage(ToQImage(list->Width(), list->Height(), list->Image(index))));
}

QIcon IconOf(const TPicture& picture)
{
    if (picture.Empty()) return {};
    return QIcon(QPixmap::fromImage(ToQImage(picture.Width(), picture.Height(), picture.Pixels())));
}

Qt::Alignment ToQAlign(TAlignment a)
{
    switch (a) {
    case taRightJustify: return Qt::AlignRight;
    case taCenter: return Qt::AlignHCenter;
    case taLeftJustify: break;
    }
    return Qt::AlignLeft;
}

}  // namespace

TShiftState ShiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons)
{
    TShiftState s;
    if (mods & Qt::ShiftModifier) s.Include(ssShift);
    if (mods & Qt::ControlModifier) s.Include(ssCtrl);
    if (mods & Qt::AltModifier) s.Include(ssAlt);
    if (buttons & Qt::LeftButton) s.Include(ssLeft);
    if (buttons & Qt::RightButton) s.Include(ssRight);
    if (buttons & Qt::MiddleButton) s.Include(ssMiddle);
    return s;
}

TMouseButton ButtonOf(Qt::MouseButton b)
{
    if (b == Qt::RightButton) return mbRight;
    if (b == Qt::MiddleButton) return mbMiddle;
    return mbLeft;
}

TKey KeyOf(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<TKey>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<TKey>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return static_cast<TKey>(VK_F1 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    default: return 0;
    }
}

namespace {

QKeySequence ToKeySequence(TShortCut sc)
{
    if (sc == 0) return {};
    const int key = sc & 0xFF;
    int qkey = 0;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        qkey = key;
    else if (key >= VK_F1 && key <= VK_F12)
        qkey = Qt::Key_F1 + (key - VK_F1);
    else if (key == VK_DELETE)
        qkey = Qt::Key_Delete;
    else if (key == VK_INSERT)
        qkey = Qt::Key_Insert;
    else if (key == VK_RETURN)
        qkey = Qt::Key_Return;
    else
        return {};
    int mods = 0;
    if (sc & scShift) mods |= Qt::SHIFT;
    if (sc & scCtrl) mods |= Qt::CTRL;
    if (sc & scAlt) mods |= Qt::ALT;
    return QKeySequence(qkey | mods);
}

// A widget that paints itself through a callback (panels, shapes, images, bars).
class TPaintWidget : public QWidget {
public:
    explicit TPaintWidget(QWidget* parent) : QWidget(parent) {}
    std::function<void(QPainter&)> paint;

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!paint) return;
        QPainter p(this);
        paint(p);
    }
};

void DrawBevel(QPainter& p, QRect& r, TBevelCut cut, int width, const QPalette& pal)
{
    if (cut == bvNone) return;
    if (cut != bvSpace) qDrawShadePanel(&p, r, pal, cut == bvLowered, width);
    r.adjust(width, width, -width, -width);
}

// Row heights fixed by the control, so that its hit tests match what is drawn.
class TRowHeightDelegate : public QStyledItemDelegate {
public:
    TRowHeightDelegate(QObject* parent, int height) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(height_);
        return s;
    }
    void SetHeight(int h) { height_ = h; }

private:
    int height_;
};

// Rows of an owner-drawn list box: the control draws each one on its canvas; a click in the
// check strip of a check list box toggles the item.
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
        if (check == nullptr || event->type() != QEvent::MouseButtonRelease) return false;
        const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (p.x() >= option.rect.left() + TCheckListBox::kCheckWidth) return false;
        Application().SafeCall(check, [&] { check->ToggleByUser(index.row()); });
        return true;
    }

private:
    TListBox& list_;
};

// The tab bar of an owner-drawn page control: the control draws each tab's face over the
// toolkit's tab shape.
class TOwnerDrawTabBar : public QTabBar {
public:
    TOwnerDrawTabBar(QWidget* parent, TPageControl& pages) : QTabBar(parent), pages_(pages) {}

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QTabBar::paintEvent(e);
        if (!pages_.OwnerDraw()) return;
        QPainter painter(this);
        // Control coordinates: the bar stands at its place inside the control.
        painter.translate(-x(), -y());
        TQtDevice device(painter);
        pages_.Canvas()->SetDevice(&device);
        for (int i = 0; i < count(); ++i) {
            const QRect r = tabRect(i).adjusted(3, 3, -3, -1).translated(pos());
            Application().SafeCall(&pages_, [&] {
                pages_.DrawTab(i, {r.left(), r.top(), r.right() + 1, r.bottom() + 1}, i == currentIndex());
            });
        }
        pages_.Canvas()->SetDevice(nullptr);
    }

private:
    TPageControl& pages_;
};

}  // namespace

QColor ToQColor(rtl::TColor color)
{
    const rtl::TColor c = rtl::ColorToRGB(color);
    return QColor(rtl::GetRValue(c), rtl::GetGValue(c), rtl::GetBValue(c));
}

rtl::TColor FromQColor(const QColor& color)
{
    return rtl::RGB(static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
                    static_cast<std::uint8_t>(color.blue()));
}

QFont ToQFont(const classes::TFont& font)
{
    QFont f = QApplication::font();
    // The faces of the old desktop stand for the toolkit's own face.
    if (font.Name() != classes::TFont::kDefaultName && font.Name() != "MS Sans Serif" && !font.Name().empty())
        f.setFamily(Q(font.Name()));
    if (font.Size() > 0) f.setPointSize(font.Size());
    f.setBold(font.Style().Contains(classes::fsBold));
    f.setItalic(font.Style().Contains(classes::fsItalic));
    f.setUnderline(font.Style().Contains(classes::fsUnderline));
    f.setStrikeOut(font.Style().Contains(classes::fsStrikeOut));
    return f;
}

void FromQFont(const QFont& qfont, classes::TFont& font)
{
    font.SetName(S(qfont.family()));
    if (qfont.pointSize() > 0) font.SetSize(qfont.pointSize());
    classes::TFontStyles style;
    if (qfont.bold()) style.Include(classes::fsBold);
    if (qfont.italic()) style.Include(classes::fsItalic);
    if (qfont.underline()) style.Include(classes::fsUnderline);
    if (qfont.strikeOut()) style.Include(classes::fsStrikeOut);
    font.SetStyle(style);
}

void FillMenu(QMenu* menu, TMenuItem* items, TMenu* owner)
{
    const TImageList* images = owner != nullptr ? owner->Images() : nullptr;
    for (int i = 0; i < items->Count(); ++i) {
        TMenuItem* item = items->Items(i);
        if (!item->Visible()) continue;
        if (item->IsLine()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = nullptr;
        if (item->Count() > 0) {
            QMenu* sub = menu->addMenu(Q(item->Caption()));
            FillMenu(sub, item, owner);
            action = sub->menuAction();
        } else {
            action = menu->addAction(Q(item->Caption()));
        }
        action->setData(QVariant::fromValue(static_cast<void*>(item)));
        action->setEnabled(item->Enabled());
        action->setCheckable(item->Checked() || item->RadioItem());
        action->setChecked(item->Checked());
        action->setShortcut(ToKeySequence(item->ShortCut()));
        action->setIcon(IconOf(images, item->ImageIndex()));
    }
}

// ---- TPeer ---------------------------------------------------------------------------------

TPeer::~TPeer()
{
    if (widget_) {
        widget_->hide();
        widget_->deleteLater();
    }
}

void TPeer::Init(QWidget* parent)
{
    widget_ = CreateWidget(parent);
    widget_->setProperty("gwPeer", QVariant::fromValue(static_cast<void*>(this)));
    widget_->installEventFilter(this);
    widget_->setMouseTracking(true);
    Changed();
}

void TPeer::Watch(QObject* object)
{
    object->installEventFilter(this);
    if (auto* w = qobject_cast<QWidget*>(object)) w->setMouseTracking(true);
}

QPoint TPeer::ToClient(QWidget* from, QPoint p) const
{
    // Client coordinates are those of the area children live in when the event came from
    // there (a form's client below its menu bar), else of the widget inside its frame.
    QWidget* container = Container();
    if (container != nullptr && container != widget_ && (from == container || container->isAncestorOf(from)))
        return from == container ? p : from->mapTo(container, p);
    if (from != widget_ && widget_ != nullptr) p = from->mapTo(widget_, p);
    if (auto* frame = qobject_cast<QFrame*>(widget_.data()); frame != nullptr && !qobject_cast<QLabel*>(frame))
        p -= QPoint(frame->frameWidth(), frame->frameWidth());
    return p;
}

void TPeer::Call(const std::function<void()>& call) { Application().SafeCall(&control_, call); }

void TPeer::React(const std::function<void()>& call)
{
    const QPointer<TPeer> self(this);
    Call(call);
    if (self) Changed();
}

void TPeer::Changed()
{
    if (syncing_ || !widget_) return;
    syncing_ = true;
    {
        const QSignalBlocker block(widget_);
        widget_->setEnabled(control_.Enabled());
        // Windowed controls take the focus by Tab only when they are tab stops.
        if (auto* wc = dynamic_cast<TWinControl*>(&control_);
            wc != nullptr && dynamic_cast<TCustomForm*>(wc) == nullptr && widget_->focusPolicy() != Qt::NoFocus)
            widget_->setFocusPolicy(wc->TabStop() ? Qt::StrongFocus : Qt::ClickFocus);
        widget_->setToolTip(control_.ShowHint() ? Q(GetShortHint(control_.Hint())) : QString());
        widget_->setFont(ToQFont(*control_.Font()));
        QPalette pal = widget_->palette();
        pal.setColor(widget_->foregroundRole(), ToQColor(control_.Font()->Color()));
        pal.setColor(QPalette::WindowText, ToQColor(control_.Font()->Color()));
        widget_->setPalette(pal);
        Sync();
    }
    SyncPlacement();
    syncing_ = false;
}

void TPeer::SyncPlacement()
{
    const QRect r(control_.Left(), control_.Top(), control_.Width(), control_.Height());
    if (widget_->geometry() != r) widget_->setGeometry(r);
    if (widget_->isHidden() == control_.Visible()) widget_->setVisible(control_.Visible());
}

void TPeer::SetFocus()
{
    if (widget_ && widget_->isVisible()) widget_->setFocus(Qt::OtherFocusReason);
}

bool TPeer::Focused() const { return widget_ && widget_->hasFocus(); }

void TPeer::Invalidate(const TRect* rect)
{
    QWidget* w = MouseWidget();
    if (w == nullptr) return;
    if (rect == nullptr)
        w->update();
    else
        w->update(QRect(rect->Left, rect->Top, rect->Width(), rect->Height()));
}

void TPeer::Update()
{
    QWidget* w = MouseWidget();
    if (w != nullptr && w->isVisible()) w->repaint();
}

void TPeer::SetMouseCapture(bool capture)
{
    QWidget* w = MouseWidget();
    if (w == nullptr) return;
    // While a button is held the pressed widget has the mouse anyway.
    if (capture && QApplication::mouseButtons() == Qt::NoButton && w->isVisible()) {
        w->grabMouse();
        grabbing_ = true;
    } else if (!capture && grabbing_) {
        w->releaseMouse();
        grabbing_ = false;
    }
}

void TPeer::ShowCursor(TCursor cursor)
{
    if (QWidget* w = MouseWidget()) w->setCursor(CursorOf(cursor));
}

TControl* ControlOfWidget(QWidget* widget)
{
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        const QVariant v = w->property("gwPeer");
        if (v.isValid()) return &static_cast<TPeer*>(v.value<void*>())->Control();
    }
    return nullptr;
}

bool NoteInput(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        const QPoint g = me->globalPosition().toPoint();
        SetCursorPos({g.x(), g.y()});
        SetKeyState(VK_LBUTTON, me->buttons() & Qt::LeftButton);
        SetKeyState(VK_RBUTTON, me->buttons() & Qt::RightButton);
        SetKeyState(VK_MBUTTON, me->buttons() & Qt::MiddleButton);
        SetKeyState(VK_SHIFT, me->modifiers() & Qt::ShiftModifier);
        SetKeyState(VK_CONTROL, me->modifiers() & Qt::ControlModifier);
        SetKeyState(VK_MENU, me->modifiers() & Qt::AltModifier);
        if (DragSourceControl() == nullptr) return false;
        if (event->type() == QEvent::MouseMove) {
            Application().SafeCall(nullptr, [&] { DragMouseMove({g.x(), g.y()}); });
            return DragActive();
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            Application().SafeCall(nullptr, [&] { DragMouseUp({g.x(), g.y()}); });
            return true;
        }
        return false;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* ke = static_cast<QKeyEvent*>(event);
        const bool down = event->type() == QEvent::KeyPress;
        if (const TKey key = KeyOf(ke->key()); key != 0) SetKeyState(key, down);
        SetKeyState(VK_SHIFT, ke->modifiers() & Qt::ShiftModifier);
        SetKeyState(VK_CONTROL, ke->modifiers() & Qt::ControlModifier);
        SetKeyState(VK_MENU, ke->modifiers() & Qt::AltModifier);
        if (down && DragSourceControl() != nullptr && ke->key() == Qt::Key_Escape) {
            Application().SafeCall(nullptr, [] { CancelDrag(); });
            return true;
        }
        return false;
    }
    default: return false;
    }
}

void TPeer::BringToFront()
{
    if (widget_) widget_->raise();
}

bool TPeer::eventFilter(QObject* watched, QEvent* event)
{
    auto* w = qobject_cast<QWidget*>(watched);
    if (w == nullptr) return false;
    if (NoteInput(event)) return true;
    const QPointer<TPeer> self(this);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(event);
        pressed_ = true;
        if (!mouseDownAfter_) {
            const QPoint p = ToClient(w, me->position().toPoint());
            Call([&] { control_.MouseDown(ButtonOf(me->button()), ShiftOf(me->modifiers(), me->buttons()), p.x(), p.y()); });
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(event);
        const QPoint p = ToClient(w, me->position().toPoint());
        const bool inside = w->rect().contains(me->position().toPoint());
        Call([&] { control_.MouseUp(ButtonOf(me->button()), ShiftOf(me->modifiers(), me->buttons()), p.x(), p.y()); });
        if (!self) return true;
        if (clickOnRelease_ && pressed_ && inside && me->button() == Qt::LeftButton) Call([&] { control_.Click(); });
        if (self) pressed_ = false;
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) Call([&] { control_.DblClick(); });
        break;
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        const QPoint p = ToClient(w, me->position().toPoint());
        Call([&] { control_.MouseMove(ShiftOf(me->modifiers(), me->buttons()), p.x(), p.y()); });
        break;
    }
    case QEvent::Enter: Application().HintControl(&control_); break;
    case QEvent::ContextMenu: {
        bool hasMenu = false;
        for (const TControl* c = &control_; c != nullptr; c = c->Parent())
            if (c->PopupMenu() != nullptr) hasMenu = true;
        if (!hasMenu) break;
        const QPoint p = ToClient(w, static_cast<QContextMenuEvent*>(event)->pos());
        Call([&] { control_.ContextPopup(p.x(), p.y()); });
        return true;
    }
    case QEvent::FocusIn:
        if (auto* wc = dynamic_cast<TWinControl*>(&control_))
            if (TCustomForm* form = GetParentForm(wc); form != nullptr && form != wc)
                Call([&] { form->FocusChanged(wc); });
        break;
    case QEvent::KeyPress: {
        auto* wc = dynamic_cast<TWinControl*>(&control_);
        // A key the focused widget left passes on to its parents: it was handled there.
        const QWidget* focus = QApplication::focusWidget();
        if (wc == nullptr || (focus != nullptr && focus != w)) break;
        auto* ke = static_cast<QKeyEvent*>(event);
        TKey key = KeyOf(ke->key());
        bool filtered = false;  // the application's key filters see the key first
        if (key != 0) Call([&] { filtered = Application().FilterKey(wc, key, ShiftOf(ke->modifiers()), true); });
        if (!self || filtered) return true;
        if (key != 0) {
            Call([&] { wc->KeyDown(key, ShiftOf(ke->modifiers())); });
            if (!self || key == 0) return true;
            if (key == VK_RETURN || key == VK_ESCAPE) {
                bool taken = false;
                if (TCustomForm* form = GetParentForm(wc)) Call([&] { taken = form->DialogKey(key); });
                if (taken || !self) return true;
            }
        }
        const QString text = ke->text();
        if (text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() < 127) {
            char c = static_cast<char>(text[0].unicode());
            Call([&] { wc->KeyPress(c); });
            if (!self || c == 0) return true;
        }
        break;
    }
    case QEvent::KeyRelease: {
        auto* wc = dynamic_cast<TWinControl*>(&control_);
        const QWidget* focus = QApplication::focusWidget();
        if (wc == nullptr || (focus != nullptr && focus != w)) break;
        auto* ke = static_cast<QKeyEvent*>(event);
        TKey key = KeyOf(ke->key());
        bool filtered = false;
        if (key != 0) Call([&] { filtered = Application().FilterKey(wc, key, ShiftOf(ke->modifiers()), false); });
        if (!self || filtered) return true;
        if (key != 0) {
            Call([&] { wc->KeyUp(key, ShiftOf(ke->modifiers())); });
            if (!self || key == 0) return true;
        }
        break;
    }
    default: break;
    }
    return false;
}

TPeer* PeerOf(const TControl& control) { return dynamic_cast<TPeer*>(control.Peer()); }

namespace {

QWidget* ContainerOf(const TWinControl* parent)
{
    if (parent == nullptr) return nullptr;
    TPeer* peer = PeerOf(*parent);
    return peer != nullptr ? peer->Container() : nullptr;
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

// Controls this layer draws itself: a widget that paints through the peer.
class TPaintPeer : public TPeer {
public:
    TPaintPeer(TControl& control, bool clicks) : TPeer(control) { clickOnRelease_ = clicks; }

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        auto* w = new TPaintWidget(parent);
        w->paint = [this, w](QPainter& p) { Paint(p, *w); };
        AddChildren(w);
        return w;
    }
    virtual void Paint(QPainter& p, QWidget& w) = 0;
    // Widgets of its own inside the painted one.
    virtual void AddChildren(QWidget*) {}
    void Sync() override { widget_->update(); }
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

class TEditPeer : public TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        edit_ = new QLineEdit(parent);
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
        if (edit_->text() != Q(e.Text())) edit_->setText(Q(e.Text()));
        edit_->setEchoMode(e.PasswordChar() != 0 ? QLineEdit::Password : QLineEdit::Normal);
        edit_->setReadOnly(e.ReadOnly());
        edit_->setMaxLength(e.MaxLength() > 0 ? e.MaxLength() : 32767);
        QPalette pal = edit_->palette();
        pal.setColor(QPalette::Base, ToQColor(e.Color()));
        edit_->setPalette(pal);
    }

private:
    QLineEdit* edit_ = nullptr;
};

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
    }

private:
    QPlainTextEdit* memo_ = nullptr;
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

// ---- Lists ---------------------------------------------------------------------------------

class TListBoxPeer : public TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        list_ = new QListWidget(parent);
        list_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        list_->setUniformItemSizes(true);
        auto& box = static_cast<TListBox&>(control_);
        delegate_ = box.OwnerDrawn() ? new TOwnerDrawDelegate(list_, box) : new TRowHeightDelegate(list_, 16);
        list_->setItemDelegate(delegate_);
        Watch(list_->viewport());
        connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
            std::vector<int> selected;
            for (QListWidgetItem* item : list_->selectedItems()) selected.push_back(list_->row(item));
            std::sort(selected.begin(), selected.end());
            const int current = list_->currentRow();
            Call([&] { static_cast<TListBox&>(control_).SelectByUser(current, selected); });
        });
        connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
            auto* check = dynamic_cast<TCheckListBox*>(&control_);
            const int row = list_->row(item);
            if (check != nullptr && row >= 0 && check->Checked(row) != (item->checkState() == Qt::Checked))
                Call([&] { check->ToggleByUser(row); });
        });
        connect(list_->verticalScrollBar(), &QScrollBar::valueChanged, this,
                [this](int value) { static_cast<TListBox&>(control_).ScrolledByUser(value); });
        return list_;
    }
    void Sync() override
    {
        auto& l = static_cast<TListBox&>(control_);
        auto* check = dynamic_cast<TCheckListBox*>(&l);
        const QSignalBlocker block(list_);
        const QSignalBlocker blockScroll(list_->verticalScrollBar());
        const int count = l.Items()->Count();
        bool same = list_->count() == count;
        for (int i = 0; same && i < count; ++i) same = list_->item(i)->text() == Q(l.Items()->Get(i));
        if (!same) {
            list_->clear();
            for (int i = 0; i < count; ++i) list_->addItem(Q(l.Items()->Get(i)));
        }
        delegate_->SetHeight(l.ItemHeight());
        list_->setSelectionMode(!l.MultiSelect()      ? QAbstractItemView::SingleSelection
                                : l.ExtendedSelect() ? QAbstractItemView::ExtendedSelection
                                                     : QAbstractItemView::MultiSelection);
        for (int i = 0; i < count; ++i) {
            QListWidgetItem* item = list_->item(i);
            if (check != nullptr) {
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(check->Checked(i) ? Qt::Checked : Qt::Unchecked);
            }
            const bool selected = l.MultiSelect() ? l.Selected(i) : i == l.ItemIndex();
            if (item->isSelected() != selected) item->setSelected(selected);
        }
        if (l.ItemIndex() >= 0 && list_->currentRow() != l.ItemIndex())
            list_->setCurrentRow(l.ItemIndex(), QItemSelectionModel::NoUpdate);
        QPalette pal = list_->palette();
        pal.setColor(QPalette::Base, ToQColor(l.Color()));
        list_->setPalette(pal);
    }

private:
    QListWidget* list_ = nullptr;
    TRowHeightDelegate* delegate_ = nullptr;
};

class TComboWidget : public QComboBox {
public:
    explicit TComboWidget(QWidget* parent) : QComboBox(parent) {}
    std::function<void()> onDropDown;
    std::function<void()> onCloseUp;
    void showPopup() override
    {
        if (onDropDown) onDropDown();
        QComboBox::showPopup();
    }
    void hidePopup() override
    {
        QComboBox::hidePopup();
        if (onCloseUp) onCloseUp();
    }
};

class TComboBoxPeer : public TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        combo_ = new TComboWidget(parent);
        combo_->setInsertPolicy(QComboBox::NoInsert);
        auto& c = static_cast<TComboBox&>(control_);
        combo_->onDropDown = [this, &c] { Call([&] { c.DropDownByUser(); }); };
        combo_->onCloseUp = [this, &c] { Call([&] { c.CloseUpByUser(); }); };
        connect(combo_, &QComboBox::activated, this, [this, &c](int index) {
            React([&] { c.SelectByUser(index); });
        });
        return combo_;
    }
    void Sync() override
    {
        auto& c = static_cast<TComboBox&>(control_);
        const bool editable = c.Style() == csDropDown || c.Style() == csSimple;
        if (combo_->isEditable() != editable) {
            combo_->setEditable(editable);
            if (QLineEdit* edit = combo_->lineEdit()) {
                Watch(edit);
                connect(edit, &QLineEdit::textEdited, this,
                        [this, &c](const QString& text) { Call([&] { c.SetTextByUser(S(text)); }); });
            }
        }
        const int count = c.Items()->Count();
        bool same = combo_->count() == count;
        for (int i = 0; same && i < count; ++i) same = combo_->itemText(i) == Q(c.Items()->Get(i));
        if (!same) {
            combo_->clear();
            for (int i = 0; i < count; ++i) combo_->addItem(Q(c.Items()->Get(i)));
        }
        combo_->setCurrentIndex(c.ItemIndex());
        if (editable) {
            if (combo_->currentText() != Q(c.Text())) combo_->setEditText(Q(c.Text()));
            if (c.MaxLength() > 0) combo_->lineEdit()->setMaxLength(c.MaxLength());
        }
        combo_->setMaxVisibleItems(std::max(1, c.DropDownCount()));
    }

private:
    TComboWidget* combo_ = nullptr;
};

// Report, list and small-icon views in a tree widget; the icon view in a list widget. The
// press reaches the control after the widget selected the item under it.
template <class Base>
class TSelectFirst : public Base {
public:
    explicit TSelectFirst(QWidget* parent) : Base(parent) {}
    std::function<void(QMouseEvent*)> afterPress;

protected:
    void mousePressEvent(QMouseEvent* e) override
    {
        Base::mousePressEvent(e);
        if (afterPress) afterPress(e);
    }
};

class TListViewPeer : public TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        auto& v = static_cast<TListView&>(control_);
        mouseDownAfter_ = true;
        const auto pressed = [this](QWidget* viewport, QMouseEvent* e) {
            const QPoint p = ToClient(viewport, e->position().toPoint());
            Call([&] { control_.MouseDown(ButtonOf(e->button()), ShiftOf(e->modifiers(), e->buttons()), p.x(), p.y()); });
        };
        if (v.ViewStyle() == vsIcon) {
            auto* icons = new TSelectFirst<QListWidget>(parent);
            icons_ = icons;
            icons_->setViewMode(QListView::IconMode);
            icons_->setMovement(QListView::Static);
            icons_->setResizeMode(QListView::Adjust);
            icons_->setGridSize(QSize(TListView::kIconCellWidth, TListView::kIconCellHeight));
            icons_->setIconSize(QSize(TListView::kIconSize, TListView::kIconSize));
            icons_->setWordWrap(true);
            icons->afterPress = [this, pressed](QMouseEvent* e) { pressed(icons_->viewport(), e); };
            Watch(icons_->viewport());
            connect(icons_, &QListWidget::itemSelectionChanged, this, [this] { UserSelected(); });
            return icons_;
        }
        auto* tree = new TSelectFirst<QTreeWidget>(parent);
        tree_ = tree;
        tree_->setRootIsDecorated(false);
        tree_->setUniformRowHeights(true);
        tree_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        tree_->setItemDelegate(new TRowHeightDelegate(tree_, TListView::kRowHeight));
        tree_->header()->setFixedHeight(TListView::kHeaderHeight);
        tree_->header()->setStretchLastSection(false);
        tree_->header()->setSectionsMovable(false);
        tree->afterPress = [this, pressed](QMouseEvent* e) { pressed(tree_->viewport(), e); };
        Watch(tree_->viewport());
        connect(tree_, &QTreeWidget::itemSelectionChanged, this, [this] { UserSelected(); });
        connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
            auto& view = static_cast<TListView&>(control_);
            const int row = tree_->indexOfTopLevelItem(item);
            if (column != 0 || !view.Checkboxes() || row < 0 || row >= view.Items()->Count()) return;
            const bool checked = item->checkState(0) == Qt::Checked;
            if (view.Items()->Item(row)->Checked() != checked) Call([&] { view.CheckByUser(row, checked); });
        });
        connect(tree_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
            Call([&] { static_cast<TListView&>(control_).ColumnClickByUser(column); });
        });
        connect(tree_->verticalScrollBar(), &QScrollBar::valueChanged, this,
                [this](int value) { static_cast<TListView&>(control_).ScrolledByUser(value); });
        return tree_;
    }

    void UserSelected()
    {
        auto& v = static_cast<TListView&>(control_);
        std::vector<int> rows;
        int current = -1;
        if (tree_ != nullptr) {
            for (QTreeWidgetItem* item : tree_->selectedItems()) rows.push_back(tree_->indexOfTopLevelItem(item));
            current = tree_->currentItem() != nullptr ? tree_->indexOfTopLevelItem(tree_->currentItem()) : -1;
        } else {
            for (QListWidgetItem* item : icons_->selectedItems()) rows.push_back(icons_->row(item));
            current = icons_->currentRow();
        }
        std::sort(rows.begin(), rows.end());
        Call([&] { v.SelectByUser(rows, current); });
    }

    void Sync() override
    {
        auto& v = static_cast<TListView&>(control_);
        const int count = v.Items()->Count();
        if (tree_ != nullptr) {
            const int columns = std::max(1, v.Columns()->Count());
            QStringList headers;
            for (int c = 0; c < v.Columns()->Count(); ++c) headers << Q(v.Columns()->Items(c)->Caption());
            if (tree_->columnCount() != columns) tree_->setColumnCount(columns);
            if (headers.isEmpty()) headers << QString();
            tree_->setHeaderLabels(headers);
            for (int c = 0; c < v.Columns()->Count(); ++c)
                if (tree_->columnWidth(c) != v.Columns()->Items(c)->Width())
                    tree_->setColumnWidth(c, v.Columns()->Items(c)->Width());
            tree_->setHeaderHidden(v.ViewStyle() != vsReport || !v.ShowColumnHeaders());
            tree_->setSelectionMode(v.MultiSelect() ? QAbstractItemView::ExtendedSelection
                                                    : QAbstractItemView::SingleSelection);
            tree_->setSelectionBehavior(v.RowSelect() ? QAbstractItemView::SelectRows
                                                      : QAbstractItemView::SelectItems);
            tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
            while (tree_->topLevelItemCount() > count) delete tree_->takeTopLevelItem(tree_->topLevelItemCount() - 1);
            while (tree_->topLevelItemCount() < count) tree_->addTopLevelItem(new QTreeWidgetItem());
            for (int i = 0; i < count; ++i) {
                TListItem* item = v.Items()->Item(i);
                QTreeWidgetItem* row = tree_->topLevelItem(i);
                if (row->text(0) != Q(item->Caption())) row->setText(0, Q(item->Caption()));
                for (int c = 1; c < columns; ++c) {
                    const QString text = c - 1 < item->SubItems()->Count() ? Q(item->SubItems()->Get(c - 1)) : QString();
                    if (row->text(c) != text) row->setText(c, text);
                }
                row->setIcon(0, IconOf(v.SmallImages(), item->ImageIndex()));
                if (v.Checkboxes()) {
                    row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
                    row->setCheckState(0, item->Checked() ? Qt::Checked : Qt::Unchecked);
                } else {
                    row->setData(0, Qt::CheckStateRole, QVariant());
                }
                if (row->isSelected() != item->Selected()) row->setSelected(item->Selected());
            }
            if (v.ItemFocused() != nullptr)
                tree_->setCurrentItem(tree_->topLevelItem(v.ItemFocused()->Index()), 0, QItemSelectionModel::NoUpdate);
        } else {
            icons_->setSelectionMode(v.MultiSelect() ? QAbstractItemView::ExtendedSelection
                                                     : QAbstractItemView::SingleSelection);
            while (icons_->count() > count) delete icons_->takeItem(icons_->count() - 1);
            while (icons_->count() < count) icons_->addItem(new QListWidgetItem());
            for (int i = 0; i < count; ++i) {
                TListItem* item = v.Items()->Item(i);
                QListWidgetItem* cell = icons_->item(i);
                if (cell->text() != Q(item->Caption())) cell->setText(Q(item->Caption()));
                cell->setIcon(IconOf(v.LargeImages(), item->ImageIndex()));
                cell->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
                if (cell->isSelected() != item->Selected()) cell->setSelected(item->Selected());
            }
        }
    }

private:
    QTreeWidget* tree_ = nullptr;
    QListWidget* icons_ = nullptr;
};

// ---- Page control --------------------------------------------------------------------------

class TPageControlPeer : public TPaintPeer {
public:
    explicit TPageControlPeer(TControl& control) : TPaintPeer(control, false) {}

protected:
    void Paint(QPainter& p, QWidget& w) override
    {
        const TRect r = static_cast<TPageControl&>(control_).DisplayRect();
        qDrawShadePanel(&p, QRect(r.Left - 2, r.Top - 2, r.Width() + 4, r.Height() + 4), w.palette(), false, 1);
    }
    void AddChildren(QWidget* w) override
    {
        tabs_ = new TOwnerDrawTabBar(w, static_cast<TPageControl&>(control_));
        tabs_->setDrawBase(false);
        tabs_->setExpanding(false);
        connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
            // A refused change puts the old tab back.
            React([&] { static_cast<TPageControl&>(control_).SelectTabByUser(index); });
        });
    }
    void Sync() override
    {
        auto& pc = static_cast<TPageControl&>(control_);
        const QSignalBlocker block(tabs_);
        QStringList captions;
        for (int i = 0; i < pc.PageCount(); ++i)
            if (pc.Pages(i)->TabVisible()) captions << Q(pc.Pages(i)->Caption());
        bool same = tabs_->count() == captions.size();
        for (int i = 0; same && i < captions.size(); ++i) same = tabs_->tabText(i) == captions[i];
        if (!same) {
            while (tabs_->count() > 0) tabs_->removeTab(0);
            for (const QString& c : captions) tabs_->addTab(c);
        }
        const int height = pc.TabHeight() > 0 ? pc.TabHeight() : TPageControl::kTabHeight;
        tabs_->setGeometry(2, 0, std::max(0, pc.Width() - 4), height);
        tabs_->setVisible(!captions.isEmpty());
        if (pc.ActivePage() != nullptr && pc.ActivePage()->TabIndex() >= 0)
            tabs_->setCurrentIndex(pc.ActivePage()->TabIndex());
        widget_->update();
    }

public:
    QTabBar* tabs_ = nullptr;
};

class TTabSheetPeer : public TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        auto* w = new QWidget(parent);
        w->setAutoFillBackground(true);
        return w;
    }
    void Sync() override
    {
        QPalette pal = widget_->palette();
        pal.setColor(QPalette::Window, ToQColor(control_.Color()));
        widget_->setPalette(pal);
    }
};

// ---- Image, shape, splitter, scroll box ----------------------------------------------------

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

class TScrollBoxPeer : public TPeer {
public:
    using TPeer::TPeer;
    QWidget* Container() const override { return inner_; }

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        area_ = new QScrollArea(parent);
        inner_ = new QWidget();
        area_->setWidget(inner_);
        area_->setWidgetResizable(false);
        Watch(area_->viewport());
        Watch(inner_);
        return area_;
    }
    void Sync() override
    {
        auto& box = static_cast<TScrollBox&>(control_);
        area_->setFrameShape(box.BorderStyle() == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
        const TPoint extent = box.ContentExtent();
        const QSize view = area_->viewport()->size();
        inner_->resize(std::max(extent.X, view.width()), std::max(extent.Y, view.height()));
        area_->setHorizontalScrollBarPolicy(box.AutoScroll() ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        area_->setVerticalScrollBarPolicy(box.AutoScroll() ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        QPalette pal = inner_->palette();
        pal.setColor(QPalette::Window, ToQColor(box.Color()));
        inner_->setPalette(pal);
        inner_->setAutoFillBackground(true);
    }

private:
    QScrollArea* area_ = nullptr;
    QWidget* inner_ = nullptr;
};

// ---- Bars ----------------------------------------------------------------------------------

class TStatusBarPeer : public TPaintPeer {
public:
    explicit TStatusBarPeer(TControl& control) : TPaintPeer(control, true) {}

protected:
    void Paint(QPainter& p, QWidget& w) override
    {
        auto& bar = static_cast<TStatusBar&>(control_);
        p.fillRect(w.rect(), ToQColor(bar.Color()));
        p.setPen(ToQColor(bar.Font()->Color()));
        if (bar.SimplePanel() || bar.Panels()->Count() == 0) {
            p.drawText(w.rect().adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter, Q(bar.SimpleText()));
            return;
        }
        for (int i = 0; i < bar.Panels()->Count(); ++i) {
            const TStatusPanel* panel = bar.Panels()->Items(i);
            const TRect r = bar.PanelRect(i);
            QRect q(r.Left, r.Top + 2, r.Width() - 2, r.Height() - 2);
            if (panel->Bevel() != pbNone) qDrawShadePanel(&p, q, w.palette(), panel->Bevel() == pbLowered, 1);
            p.drawText(q.adjusted(3, 0, -3, 0), static_cast<int>(ToQAlign(panel->Alignment()) | Qt::AlignVCenter),
                       Q(panel->Text()));
        }
    }
    void AddChildren(QWidget* w) override { grip_ = new QSizeGrip(w); }
    void Sync() override
    {
        auto& bar = static_cast<TStatusBar&>(control_);
        grip_->setVisible(bar.SizeGrip());
        grip_->setGeometry(bar.Width() - 16, bar.Height() - 16, 16, 16);
        widget_->update();
    }

private:
    QSizeGrip* grip_ = nullptr;
};

class TBarPeer : public TPaintPeer {
public:
    explicit TBarPeer(TControl& control) : TPaintPeer(control, true) {}

protected:
    void Paint(QPainter& p, QWidget& w) override
    {
        p.fillRect(w.rect(), ToQColor(control_.Color()));
        if (dynamic_cast<TCoolBar*>(&control_) != nullptr) qDrawShadePanel(&p, w.rect(), w.palette(), false, 1);
    }
};

class TToolButtonPeer : public TPeer {
public:
    using TPeer::TPeer;

protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        auto& b = static_cast<TToolButton&>(control_);
        if (b.Style() == tbsSeparator || b.Style() == tbsDivider) {
            auto* line = new QFrame(parent);
            line->setFrameShape(b.Style() == tbsDivider ? QFrame::VLine : QFrame::NoFrame);
            line->setFrameShadow(QFrame::Sunken);
            return line;
        }
        button_ = new QToolButton(parent);
        button_->setFocusPolicy(Qt::NoFocus);
        connect(button_, &QToolButton::clicked, this, [this] {
            React([&] { control_.Click(); });
        });
        return button_;
    }
    void Sync() override
    {
        if (button_ == nullptr) return;
        auto& b = static_cast<TToolButton&>(control_);
        const TToolBar* bar = b.ToolBar();
        const QIcon icon = IconOf(bar != nullptr ? bar->Images() : nullptr, b.ImageIndex());
        button_->setIcon(icon);
        button_->setText(Q(b.Caption()));
        const bool captions = bar == nullptr || bar->ShowCaptions() || icon.isNull();
        button_->setToolButtonStyle(!captions        ? Qt::ToolButtonIconOnly
                                    : icon.isNull() ? Qt::ToolButtonTextOnly
                                    : bar != nullptr && bar->List() ? Qt::ToolButtonTextBesideIcon
                                                                    : Qt::ToolButtonTextUnderIcon);
        button_->setCheckable(b.Style() == tbsCheck);
        button_->setChecked(b.Down());
        button_->setDown(b.Down() && b.Style() != tbsCheck);
        button_->setAutoRaise(bar == nullptr || bar->Flat());
        button_->setArrowType(Qt::NoArrow);
    }

private:
    QToolButton* button_ = nullptr;
};

// ---- Forms ---------------------------------------------------------------------------------

class TFormPeer;

class TFormWindow : public QWidget {
public:
    TFormWindow(TCustomForm& form, TFormPeer& peer) : form_(&form), peer_(&peer) {}
    // The form and its peer are gone; the window itself goes at the next turn of the event loop
    // and may still receive events (activation, resize) until then: they must reach nothing.
    void Detach()
    {
        form_ = nullptr;
        peer_ = nullptr;
    }
    QWidget* client = nullptr;
    QMenuBar* menuBar = nullptr;
    QMdiArea* mdi = nullptr;
    bool syncing = false;

    int MenuHeight() const { return menuBar != nullptr && !menuBar->isHidden() ? menuBar->sizeHint().height() : 0; }
    void Layout()
    {
        const int mh = MenuHeight();
        if (menuBar != nullptr) menuBar->setGeometry(0, 0, width(), mh);
        client->setGeometry(0, mh, width(), height() - mh);
    }

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent*) override;
    void changeEvent(QEvent* e) override;

private:
    TCustomForm* form_;
    TFormPeer* peer_;
};

class TFormPeer : public TPeer {
public:
    explicit TFormPeer(TCustomForm& form) : TPeer(form), form_(form) {}
    ~TFormPeer() override
    {
        if (window_) window_->Detach();
        DetachMenu();
        if (subWindow_) subWindow_->deleteLater();
    }
    QWidget* Container() const override { return window_ != nullptr ? window_->client : nullptr; }
    QMdiArea* MdiArea() const { return window_ != nullptr ? window_->mdi : nullptr; }
    bool Syncing() const { return syncing_; }

    void SetFocus() override
    {
        if (!window_) return;
        window_->raise();
        window_->activateWindow();
    }

protected:
    QWidget* CreateWidget(QWidget*) override
    {
        window_ = new TFormWindow(form_, *this);
        window_->client = new QWidget(window_);
        window_->client->setAutoFillBackground(true);
        Watch(window_->client);
        return window_;
    }

    void Sync() override
    {
        window_->syncing = true;
        if (window_->windowTitle() != Q(form_.Caption())) window_->setWindowTitle(Q(form_.Caption()));
        QPalette pal = window_->client->palette();
        pal.setColor(QPalette::Window, ToQColor(form_.Color()));
        window_->client->setPalette(pal);
        SyncMenu();
        ApplyTabOrder();
        if (form_.FormStyle() == fsMDIForm && window_->mdi == nullptr) window_->mdi = new QMdiArea(window_->client);
        if (window_->mdi != nullptr) {
            const TRect r = form_.RemainingRect();
            window_->mdi->setGeometry(r.Left, r.Top, r.Width(), r.Height());
            window_->mdi->show();
        }
        window_->syncing = false;
    }

    void SyncPlacement() override
    {
        window_->syncing = true;
        const bool mdiChild = form_.FormStyle() == fsMDIChild;
        if (!mdiChild) {
            const Qt::WindowFlags flags = FlagsOf();
            if (window_->windowFlags() != flags) window_->setWindowFlags(flags);
        }
        const QSize size(form_.ClientWidth(), form_.ClientHeight() + window_->MenuHeight());
        QWidget* frame = mdiChild && subWindow_ ? static_cast<QWidget*>(subWindow_) : window_.data();
        if (window_->size() != size) {
            if (Fixed())
                window_->setFixedSize(size);
            else
                window_->resize(size);
        }
        window_->Layout();
        if (!mdiChild && frame->pos() != QPoint(form_.Left(), form_.Top())) frame->move(form_.Left(), form_.Top());
        if (form_.Visible()) {
            if (mdiChild) AttachToFrame();
            window_->setWindowModality(form_.Modal() ? Qt::ApplicationModal : Qt::NonModal);
            Qt::WindowStates state = Qt::WindowNoState;
            if (form_.WindowState() == wsMaximized) state = Qt::WindowMaximized;
            if (form_.WindowState() == wsMinimized) state = Qt::WindowMinimized;
            if (frame->windowState() != state) frame->setWindowState(state);
            if (!frame->isVisible()) {
                frame->show();
                if (mdiChild) window_->show();
                frame->raise();
                frame->activateWindow();
            }
        } else if (frame->isVisible()) {
            frame->hide();
            window_->setWindowModality(Qt::NonModal);
        }
        window_->syncing = false;
    }

private:
    friend class TFormWindow;

    bool Fixed() const
    {
        return form_.BorderStyle() == bsDialog || form_.BorderStyle() == bsSingle ||
               form_.BorderStyle() == bsToolWindow;
    }

    Qt::WindowFlags FlagsOf() const
    {
        Qt::WindowFlags f = Qt::Window;
        switch (form_.BorderStyle()) {
        case bsNone: f |= Qt::FramelessWindowHint; break;
        case bsDialog: f = Qt::Dialog | Qt::WindowTitleHint; break;
        case bsToolWindow:
        case bsSizeToolWin: f = Qt::Tool | Qt::WindowTitleHint; break;
        default: f |= Qt::WindowTitleHint; break;
        }
        const TBorderIcons icons = form_.BorderIcons();
        if (icons.Contains(biSystemMenu)) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (icons.Contains(biSystemMenu) && form_.BorderStyle() != bsDialog) {
            if (icons.Contains(biMinimize)) f |= Qt::WindowMinimizeButtonHint;
            if (icons.Contains(biMaximize)) f |= Qt::WindowMaximizeButtonHint;
        }
        if (icons.Contains(biHelp)) f |= Qt::WindowContextHelpButtonHint;
        if (form_.FormStyle() == fsStayOnTop) f |= Qt::WindowStaysOnTopHint;
        f |= Qt::CustomizeWindowHint;
        return f;
    }

    // The Tab cycle of the form's controls.
    void ApplyTabOrder()
    {
        QWidget* previous = nullptr;
        for (TWinControl* c : form_.TabOrderList()) {
            QWidget* w = c->HandleAllocated() && PeerOf(*c) != nullptr ? PeerOf(*c)->Widget() : nullptr;
            if (w == nullptr) continue;
            if (previous != nullptr) QWidget::setTabOrder(previous, w);
            previous = w;
        }
    }

    void AttachToFrame()
    {
        if (subWindow_) return;
        const TCustomForm* main = Application().MainForm();
        auto* frame = main != nullptr ? dynamic_cast<TFormPeer*>(main->Peer()) : nullptr;
        if (frame == nullptr || frame->MdiArea() == nullptr) return;
        subWindow_ = frame->MdiArea()->addSubWindow(window_);
        subWindow_->setWindowTitle(Q(form_.Caption()));
    }

    void DetachMenu()
    {
        if (menu_ != nullptr) menu_->OnChanged = nullptr;
        menu_ = nullptr;
    }

    void SyncMenu()
    {
        if (form_.Menu() != menu_ || rebuildMenu_) {
            rebuildMenu_ = false;
            DetachMenu();
            menu_ = form_.Menu();
            if (window_->menuBar != nullptr) {
                window_->menuBar->deleteLater();
                window_->menuBar = nullptr;
            }
            actions_.clear();
            if (menu_ != nullptr) {
                window_->menuBar = new QMenuBar(window_);
                BuildBar();
                menu_->OnChanged = [this](TMenuItem* item, bool structure) { MenuChanged(item, structure); };
                window_->menuBar->show();
            }
        }
    }

    void BuildBar()
    {
        TMenuItem* root = menu_->Items();
        for (int i = 0; i < root->Count(); ++i) {
            TMenuItem* item = root->Items(i);
            QAction* action = nullptr;
            if (item->Count() > 0) {
                auto* sub = window_->menuBar->addMenu(Q(item->Caption()));
                AddItems(sub, item);
                action = sub->menuAction();
            } else {
                action = window_->menuBar->addAction(Q(item->Caption()));
            }
            Bind(action, item);
        }
    }

    void AddItems(QMenu* menu, TMenuItem* parent)
    {
        for (int i = 0; i < parent->Count(); ++i) {
            TMenuItem* item = parent->Items(i);
            QAction* action = nullptr;
            if (item->IsLine()) {
                action = menu->addSeparator();
            } else if (item->Count() > 0) {
                QMenu* sub = menu->addMenu(Q(item->Caption()));
                AddItems(sub, item);
                action = sub->menuAction();
            } else {
                action = menu->addAction(Q(item->Caption()));
            }
            Bind(action, item);
        }
    }

    void Bind(QAction* action, TMenuItem* item)
    {
        actions_[item] = action;
        UpdateAction(action, item);
        if (item->Count() == 0 && !item->IsLine())
            connect(action, &QAction::triggered, this, [this, item] { Call([&] { item->Click(); }); });
    }

    void UpdateAction(QAction* action, TMenuItem* item)
    {
        if (!item->IsLine()) action->setText(Q(item->Caption()));
        action->setEnabled(item->Enabled());
        action->setVisible(item->Visible());
        action->setCheckable(item->Checked() || item->RadioItem());
        action->setChecked(item->Checked());
        action->setShortcut(ToKeySequence(item->ShortCut()));
        action->setIcon(IconOf(menu_ != nullptr ? menu_->Images() : nullptr, item->ImageIndex()));
    }

    void MenuChanged(TMenuItem* item, bool structure)
    {
        if (structure || item == nullptr) {
            // Rebuilt once the handler that changed the menu is done.
            if (!rebuildMenu_) {
                rebuildMenu_ = true;
                QTimer::singleShot(0, this, [this] {
                    if (rebuildMenu_) Changed();
                });
            }
            return;
        }
        const auto it = actions_.find(item);
        if (it != actions_.end() && it->second != nullptr) UpdateAction(it->second, item);
    }

    TCustomForm& form_;
    QPointer<TFormWindow> window_;
    QPointer<QMdiSubWindow> subWindow_;
    TMenu* menu_ = nullptr;
    bool rebuildMenu_ = false;
    std::map<TMenuItem*, QPointer<QAction>> actions_;
};

void TFormWindow::closeEvent(QCloseEvent* e)
{
    // The form decides (OnCloseQuery, OnClose); its state then hides the window.
    e->ignore();
    if (!form_) return;
    Application().SafeCall(form_, [this] { form_->Close(); });
}

void TFormWindow::resizeEvent(QResizeEvent*)
{
    Layout();
    if (!form_ || syncing || peer_->Syncing()) return;
    Application().SafeCall(form_, [this] { form_->ClientResizedByUser(width(), height() - MenuHeight()); });
}

void TFormWindow::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (form_ && e->type() == QEvent::ActivationChange && isActiveWindow())
        Application().SafeCall(form_, [this] { form_->Activated(); });
}

}  // namespace

namespace {
std::vector<TPeerFactory>& PeerFactories()
{
    static std::vector<TPeerFactory> factories;
    return factories;
}
}  // namespace

void RegisterPeerFactory(TPeerFactory factory) { PeerFactories().push_back(std::move(factory)); }

std::unique_ptr<IControlPeer> CreatePeer(TControl& control)
{
    std::unique_ptr<TPeer> peer;
    QWidget* parent = ContainerOf(control.Parent());
    if (auto* form = dynamic_cast<TCustomForm*>(&control))
        peer = std::make_unique<TFormPeer>(*form);
    else if (parent == nullptr)
        return nullptr;
    for (const TPeerFactory& factory : PeerFactories()) {
        if (peer) break;
        peer = factory(control);
    }
    if (peer) {
        // made by a factory
    } else if (dynamic_cast<TCustomControl*>(&control))
        peer = CreateCustomControlPeer(control);
    else if (dynamic_cast<TLabel*>(&control))
        peer = std::make_unique<TLabelPeer>(control);
    else if (dynamic_cast<TRadioGroup*>(&control))
        peer = std::make_unique<TRadioGroupPeer>(control);
    else if (dynamic_cast<TGroupBox*>(&control))
        peer = std::make_unique<TGroupBoxPeer>(control);
    else if (dynamic_cast<TPanel*>(&control))
        peer = std::make_unique<TPanelPeer>(control);
    else if (dynamic_cast<TEdit*>(&control))
        peer = std::make_unique<TEditPeer>(control);
    else if (dynamic_cast<TMemo*>(&control))
        peer = std::make_unique<TMemoPeer>(control);
    else if (dynamic_cast<TSpinEdit*>(&control))
        peer = std::make_unique<TSpinEditPeer>(control);
    else if (dynamic_cast<TButton*>(&control))
        peer = std::make_unique<TButtonPeer>(control);
    else if (dynamic_cast<TSpeedButton*>(&control))
        peer = std::make_unique<TSpeedButtonPeer>(control);
    else if (dynamic_cast<TCheckBox*>(&control))
        peer = std::make_unique<TCheckBoxPeer>(control);
    else if (dynamic_cast<TRadioButton*>(&control))
        peer = std::make_unique<TRadioButtonPeer>(control);
    else if (dynamic_cast<TListBox*>(&control))
        peer = std::make_unique<TListBoxPeer>(control);
    else if (dynamic_cast<TComboBox*>(&control))
        peer = std::make_unique<TComboBoxPeer>(control);
    else if (dynamic_cast<TListView*>(&control))
        peer = std::make_unique<TListViewPeer>(control);
    else if (dynamic_cast<TPageControl*>(&control))
        peer = std::make_unique<TPageControlPeer>(control);
    else if (dynamic_cast<TTabSheet*>(&control))
        peer = std::make_unique<TTabSheetPeer>(control);
    else if (dynamic_cast<TImage*>(&control))
        peer = std::make_unique<TImagePeer>(control);
    else if (dynamic_cast<TShape*>(&control))
        peer = std::make_unique<TShapePeer>(control);
    else if (dynamic_cast<TSplitter*>(&control))
        peer = std::make_unique<TSplitterPeer>(control);
    else if (dynamic_cast<TScrollBox*>(&control))
        peer = std::make_unique<TScrollBoxPeer>(control);
    else if (dynamic_cast<TStatusBar*>(&control))
        peer = std::make_unique<TStatusBarPeer>(control);
    else if (dynamic_cast<TToolButton*>(&control))
        peer = std::make_unique<TToolButtonPeer>(control);
    else if (dynamic_cast<TToolBar*>(&control) || dynamic_cast<TCoolBar*>(&control))
        peer = std::make_unique<TBarPeer>(control);
    else
        peer = std::make_unique<TBarPeer>(control);  // any other container: a plain area
    peer->Init(parent);
    return peer;
}

}  // namespace ui::qt
