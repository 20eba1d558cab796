// The peers of forms (a top-level window, or a sub-window of the main form's MDI area, with
// the form's menu bar) and scroll boxes, and the menus the toolkit shows for popup menus.

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScrollArea>
#include <QTimer>
#include <QWindow>

#include <map>

#include "platform/ui/ActnList.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/qt/Peers.h"

namespace ui::qt {

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

namespace {

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
    bool event(QEvent* e) override;
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
        // Inside the frame's area the sub-window's layout sizes the window: the form's size
        // goes to the sub-window, and only while it is neither maximised nor minimised.
        if (subWindow_) {
            if (subWindow_->windowState() == Qt::WindowNoState) FitSubWindow(size);
        } else if (window_->size() != size) {
            if (Fixed())
                window_->setFixedSize(size);
            else
                window_->resize(size);
        }
        window_->Layout();
        if (!mdiChild && window_->pos() != QPoint(form_.Left(), form_.Top())) window_->move(form_.Left(), form_.Top());
        if (form_.Visible()) {
            // Its normal size is the form's before any state applies: Restore comes back to it.
            if (mdiChild && AttachToFrame()) FitSubWindow(size);
            QWidget* frame = subWindow_ ? static_cast<QWidget*>(subWindow_) : window_.data();
            window_->setWindowModality(form_.Modal() ? Qt::ApplicationModal : Qt::NonModal);
            // A sub-window's state is pushed only when the form's changed: the user's
            // maximise or restore reaches the form after the resize it causes.
            if (!subWindow_ || form_.WindowState() != shownState_) {
                shownState_ = form_.WindowState();
                const Qt::WindowStates state = QtState(shownState_);
                if (frame->windowState() != state) frame->setWindowState(state);
            }
            if (!frame->isVisible()) {
                frame->show();
                if (mdiChild) window_->show();
                frame->raise();
                frame->activateWindow();
            }
        } else {
            QWidget* frame = subWindow_ ? static_cast<QWidget*>(subWindow_) : window_.data();
            if (frame->isVisible()) {
                frame->hide();
                window_->setWindowModality(Qt::NonModal);
            }
        }
        window_->syncing = false;
        // The size the frame's area gave a maximised sub-window while the state was set.
        if (subWindow_ && window_->size() != size)
            Call([this] { form_.ClientResizedByUser(window_->width(), window_->height() - window_->MenuHeight()); });
    }

private:
    friend class TFormWindow;

    bool Fixed() const
    {
        return form_.BorderStyle() == bsDialog || form_.BorderStyle() == bsSingle ||
               form_.BorderStyle() == bsToolWindow;
    }

    // A dialog's border, or any form while it runs modally, is a dialog's: a title and a
    // close button, never minimise or maximise (a minimised modal window leaves the program
    // waiting on a window nobody sees).
    bool DialogLike() const
    {
        return form_.BorderStyle() == bsDialog ||
               (form_.Modal() && form_.BorderStyle() != bsNone && form_.BorderStyle() != bsToolWindow &&
                form_.BorderStyle() != bsSizeToolWin);
    }

    Qt::WindowFlags FlagsOf() const
    {
        Qt::WindowFlags f = Qt::Window;
        switch (form_.BorderStyle()) {
        case bsNone: f |= Qt::FramelessWindowHint; break;
        case bsToolWindow:
        case bsSizeToolWin: f = Qt::Tool | Qt::WindowTitleHint; break;
        default: f |= Qt::WindowTitleHint; break;
        }
        if (DialogLike()) f = Qt::Dialog | Qt::WindowTitleHint;
        const TBorderIcons icons = form_.BorderIcons();
        if (icons.Contains(biSystemMenu)) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (icons.Contains(biSystemMenu) && !DialogLike()) {
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

    static Qt::WindowStates QtState(TWindowState state)
    {
        if (state == wsMaximized) return Qt::WindowMaximized;
        if (state == wsMinimized) return Qt::WindowMinimized;
        return Qt::WindowNoState;
    }

    // True when the window was put into the main form's MDI area just now.
    bool AttachToFrame()
    {
        if (subWindow_) return false;
        const TCustomForm* main = Application().MainForm();
        auto* frame = main != nullptr ? dynamic_cast<TFormPeer*>(main->Peer()) : nullptr;
        if (frame == nullptr || frame->MdiArea() == nullptr) return false;
        subWindow_ = frame->MdiArea()->addSubWindow(window_);
        subWindow_->setWindowTitle(Q(form_.Caption()));
        // The user's maximise, restore and minimise become the form's state.
        connect(subWindow_, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates, Qt::WindowStates now) {
            if (window_->syncing || syncing_) return;
            shownState_ = now.testFlag(Qt::WindowMinimized)   ? wsMinimized
                          : now.testFlag(Qt::WindowMaximized) ? wsMaximized
                                                              : wsNormal;
            Call([this] { form_.SetWindowState(shownState_); });
        });
        return true;
    }

    // The sub-window sized so that the window inside it is `client` large.
    void FitSubWindow(QSize client)
    {
        const QMargins m = subWindow_->contentsMargins();
        const QSize outer(client.width() + m.left() + m.right(), client.height() + m.top() + m.bottom());
        if (subWindow_->size() != outer) subWindow_->resize(outer);
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
    // The state last given to the sub-window or taken from it.
    TWindowState shownState_ = wsNormal;
    TMenu* menu_ = nullptr;
    bool rebuildMenu_ = false;
    std::map<TMenuItem*, QPointer<QAction>> actions_;
};

bool TFormWindow::event(QEvent* e)
{
    // A modal window blocks every window that is not its own (its transient children). A
    // window usable during modal dialogs becomes the blocking dialog's transient child, and
    // lets go again when that dialog goes: the next dialog still open, if any, then blocks it
    // and takes it in turn. Done from the event loop, outside the toolkit's blocking pass.
    if (e->type() == QEvent::WindowBlocked && form_ && form_->UsableDuringModal()) {
        QTimer::singleShot(0, this, [self = QPointer<TFormWindow>(this)] {
            QWindow* modal = QGuiApplication::modalWindow();
            if (!self || self->windowHandle() == nullptr || modal == nullptr || modal == self->windowHandle()) return;
            QWindow* own = self->windowHandle();
            own->setTransientParent(modal);
            QObject::connect(
                modal, &QWindow::visibleChanged, own,
                [own, modal = QPointer<QWindow>(modal)](bool visible) {
                    if (!visible && own->transientParent() == modal) own->setTransientParent(nullptr);
                },
                Qt::SingleShotConnection);
        });
    }
    return QWidget::event(e);
}

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


}  // namespace

void RegisterFormPeers()
{
    RegisterPeer<TCustomForm, TFormPeer>();
    RegisterPeer<TScrollBox, TScrollBoxPeer>();
}

}  // namespace ui::qt
