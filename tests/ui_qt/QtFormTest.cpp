// The sample form shown through the Qt backend (offscreen): its widgets mirror the
// controls, and clicks, typing and selection on the widgets reach the controls as events.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QResizeEvent>
#include <QCloseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTableView>

#include <filesystem>
#include <memory>

#include "platform/rtl/Files.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/ui/SampleForm.h"

namespace {

using namespace ui;
using uitest::TAllControlsForm;

bool Logged(const TAllControlsForm& f, const std::string& entry)
{
    return std::find(f.log.begin(), f.log.end(), entry) != f.log.end();
}

// Runs `action` once the event loop has started the modal work that follows.
void Later(std::function<void()> action) { QTimer::singleShot(0, std::move(action)); }

// Waits (handling events) until `done` or the time is up.
bool WaitFor(const std::function<bool()>& done, int ms = 3000)
{
    return QTest::qWaitFor(done, ms);
}

class QtFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qt::Install(); }

    void SetUp() override
    {
        Application().Reset();
        Application().SetTitle("Gridweaver");
        form = std::make_unique<TAllControlsForm>(nullptr);
        form->Show();
        window = qt::WidgetOf(*form);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        form->log.clear();
    }

    void TearDown() override
    {
        form.reset();
        Application().ProcessMessages();
    }

    template <class W>
    W* Widget(const char* name)
    {
        auto* w = qobject_cast<W*>(qt::WidgetOf(*form->C<TControl>(name)));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    std::unique_ptr<TAllControlsForm> form;
    QWidget* window = nullptr;
};

TEST_F(QtFormTest, WidgetsMirrorTheControls)
{
    EXPECT_EQ(window->windowTitle(), "All controls");
    EXPECT_EQ(Widget<QLineEdit>("Edit1")->text(), "first");
    EXPECT_EQ(Widget<QLineEdit>("EditPassword")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Widget<QPlainTextEdit>("Memo1")->toPlainText(), "one\ntwo");
    EXPECT_EQ(Widget<QSpinBox>("SpinEdit1")->value(), 5);
    EXPECT_EQ(Widget<QComboBox>("ComboList")->currentText(), "apple");
    EXPECT_FALSE(Widget<QComboBox>("ComboList")->isEditable());
    EXPECT_EQ(Widget<QComboBox>("ComboEdit")->currentText(), "_self");
    EXPECT_EQ(Widget<QListView>("ListBox1")->model()->rowCount(), 3);
    EXPECT_TRUE(Widget<QRadioButton>("RadioText")->isChecked());
    EXPECT_EQ(Widget<QPushButton>("BitBtn1")->text(), "Cancel");
    EXPECT_EQ(Widget<QLabel>("Label1")->text(), "&Name:");  // its buddy takes the accelerator
    EXPECT_EQ(Widget<QLabel>("Label1")->buddy(), Widget<QLineEdit>("Edit1"));

    // Geometry comes from the controls.
    QWidget* pages = qt::WidgetOf(*form->C<TControl>("PageControl1"));
    EXPECT_EQ(pages->geometry(), QRect(124, 28, 516, 433));
    auto* tabs = pages->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->count(), 2);  // the hidden tab is not there
    EXPECT_EQ(tabs->tabText(1), "Lists");
    EXPECT_FALSE(qt::WidgetOf(*form->C<TControl>("TabSheet2"))->isVisible());

    auto* bar = window->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 1);
    EXPECT_EQ(bar->actions()[0]->text(), "&File");
    QMenu* file = bar->actions()[0]->menu();
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->actions()[0]->text(), "&Open...");
    EXPECT_TRUE(file->actions()[1]->isSeparator());

    // A change of a control reaches its widget.
    form->C<TEdit>("Edit1")->SetText("changed");
    EXPECT_EQ(Widget<QLineEdit>("Edit1")->text(), "changed");
    form->C<TAction>("actOpen")->SetEnabled(false);
    EXPECT_FALSE(file->actions()[0]->isEnabled());
    EXPECT_FALSE(Widget<QToolButton>("tbOpen")->isEnabled());
}

TEST_F(QtFormTest, ScreenPointsAreWhereTheWindowSystemPutTheControls)
{
    // A bordered form with a menu: whatever frame the window system draws (none offscreen),
    // a control's client point maps to the screen point its widget has, and back.
    for (const char* name : {"Edit1", "ListBox1", "PageControl1"}) {
        SCOPED_TRACE(name);
        auto* control = form->C<TControl>(name);
        QWidget* w = qt::WidgetOf(*control);
        ASSERT_NE(w, nullptr);
        if (!w->isVisible()) continue;
        const QPoint expected = w->mapToGlobal(QPoint(3, 4));
        const TPoint p = control->ClientToScreen({3, 4});
        EXPECT_EQ(QPoint(p.X, p.Y), expected);
        EXPECT_EQ(control->ScreenToClient(p), (TPoint{3, 4}));
    }
    // A control on a hidden page has no window on screen: the layer's own reckoning.
    auto* hidden = form->C<TControl>("TabSheet2");
    const TPoint origin = hidden->ClientToScreen({0, 0});
    EXPECT_EQ(hidden->ScreenToClient(origin), (TPoint{0, 0}));
}

TEST_F(QtFormTest, ClicksReachTheControls)
{
    QTest::mouseClick(Widget<QPushButton>("ButtonOK"), Qt::LeftButton);
    QTest::mouseClick(Widget<QCheckBox>("CheckBox1"), Qt::LeftButton);
    QTest::mouseClick(Widget<QRadioButton>("RadioImage"), Qt::LeftButton);
    QTest::mouseClick(qt::WidgetOf(*form->C<TControl>("Image1")), Qt::LeftButton);
    QTest::mouseClick(Widget<QToolButton>("tbOpen"), Qt::LeftButton);
    QTest::mouseClick(Widget<QToolButton>("tbCheck"), Qt::LeftButton);
    EXPECT_EQ(form->log, (std::vector<std::string>{"ButtonOKClick", "CheckBox1Click", "RadioClick", "Image1Click",
                                                   "actOpenExecute", "tbCheckClick"}));
    EXPECT_TRUE(form->C<TCheckBox>("CheckBox1")->Checked());
    EXPECT_TRUE(form->C<TRadioButton>("RadioImage")->Checked());
    EXPECT_FALSE(form->C<TRadioButton>("RadioText")->Checked());
    EXPECT_FALSE(Widget<QRadioButton>("RadioText")->isChecked());
    EXPECT_TRUE(form->C<TToolButton>("tbCheck")->Down());
    EXPECT_TRUE(Widget<QToolButton>("tbCheck")->isChecked());

    // A radio group's button.
    auto* group = qt::WidgetOf(*form->C<TControl>("RadioGroup1"));
    const auto buttons = group->findChildren<QRadioButton*>();
    ASSERT_EQ(buttons.size(), 2);
    QTest::mouseClick(buttons[1], Qt::LeftButton);
    EXPECT_EQ(form->C<TRadioGroup>("RadioGroup1")->ItemIndex(), 1);
    EXPECT_FALSE(buttons[0]->isChecked());

    // The menu bar's item runs the action.
    form->log.clear();
    window->findChild<QMenuBar*>()->actions()[0]->menu()->actions()[0]->trigger();
    EXPECT_EQ(form->log, std::vector<std::string>{"actOpenExecute"});
}

TEST_F(QtFormTest, TypingReachesTheControls)
{
    auto* edit = Widget<QLineEdit>("Edit1");
    edit->setFocus();
    QTest::keyClicks(edit, "xy");
    EXPECT_EQ(form->C<TEdit>("Edit1")->Text(), "firstxy");
    EXPECT_TRUE(form->C<TEdit>("Edit1")->Modified());
    EXPECT_EQ(std::count(form->log.begin(), form->log.end(), "Edit1Change"), 2);
    EXPECT_EQ(form->ActiveControl(), form->C<TEdit>("Edit1"));

    auto* memo = Widget<QPlainTextEdit>("Memo1");
    memo->setFocus();
    memo->moveCursor(QTextCursor::End);
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, "three");
    EXPECT_EQ(form->C<TMemo>("Memo1")->Text(), "one\r\ntwo\r\nthree");
    EXPECT_EQ(form->C<TMemo>("Memo1")->Lines()->Count(), 3);
    EXPECT_FALSE(Logged(*form, "ButtonOKClick"));  // the memo took Enter

    auto* spin = Widget<QSpinBox>("SpinEdit1");
    spin->setFocus();
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(form->C<TSpinEdit>("SpinEdit1")->Value(), 6);
    EXPECT_TRUE(Logged(*form, "SpinEdit1Change"));

    // Keys: the form previews them; Enter presses the default button.
    edit->setFocus();
    form->log.clear();
    QTest::keyClick(edit, Qt::Key_F2);
    EXPECT_EQ(form->keys.back(), VK_F2);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(form->log, std::vector<std::string>{"ButtonOKClick"});
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(form->ModalResult(), mrCancel);  // the cancel button's result

    // The editable combo box's text.
    auto* combo = Widget<QComboBox>("ComboEdit");
    combo->lineEdit()->setFocus();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "_top");
    EXPECT_EQ(form->C<TComboBox>("ComboEdit")->Text(), "_top");
    EXPECT_EQ(form->C<TComboBox>("ComboEdit")->ItemIndex(), 1);
    EXPECT_TRUE(Logged(*form, "ComboEditChange"));
}

TEST_F(QtFormTest, TearingDownPeersLeavesTheControlsAlone)
{
    // Hiding a focused edit as its peer goes deselects it, and the deselection must not
    // reach a peer that is half destroyed nor change what the control holds.
    auto* edit = Widget<QLineEdit>("Edit1");
    edit->setFocus();
    QTest::keyClicks(edit, "hello");
    edit->selectAll();
    QApplication::processEvents();
    auto* control = form->C<TEdit>("Edit1");
    const std::string text = control->Text();
    ASSERT_EQ(control->SelLength(), static_cast<int>(text.size()));
    form->DestroyPeers();
    QApplication::processEvents();
    EXPECT_EQ(control->SelLength(), static_cast<int>(text.size()));
    EXPECT_EQ(control->Text(), text);
}

TEST_F(QtFormTest, TabMovesTheFocusInTabOrder)
{
    form->C<TEdit>("EditPassword")->SetTabOrder(0);  // before Edit1 now
    auto* edit = Widget<QLineEdit>("Edit1");
    edit->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(form->ActiveControl(), form->C<TEdit>("Edit1"));
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Widget<QPlainTextEdit>("Memo1"));
    EXPECT_EQ(form->ActiveControl(), form->C<TMemo>("Memo1"));
    EXPECT_TRUE(Logged(*form, "Edit1Exit"));
}

TEST_F(QtFormTest, SelectionReachesTheControls)
{
    auto* combo = Widget<QComboBox>("ComboList");
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(form->C<TComboBox>("ComboList")->ItemIndex(), 1);
    EXPECT_EQ(form->C<TComboBox>("ComboList")->Text(), "fig");
    EXPECT_TRUE(Logged(*form, "ComboListChange"));

    auto* list = Widget<QListView>("ListBox1");
    const QRect third = list->visualRect(list->model()->index(2, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(form->C<TListBox>("ListBox1")->ItemIndex(), 2);
    EXPECT_TRUE(Logged(*form, "ListBox1Click"));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_TRUE(Logged(*form, "ListBox1DblClick"));
    // Rows are as high as the control says, so its hit test finds the same row.
    auto* lb = form->C<TListBox>("ListBox1");
    EXPECT_EQ(third.height(), lb->ItemHeight());

    // Another tab: asked, then changed.
    auto* tabs = qt::WidgetOf(*form->C<TControl>("PageControl1"))->findChild<QTabBar*>();
    form->log.clear();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    EXPECT_EQ(form->log, (std::vector<std::string>{"PageControl1Changing", "PageControl1Change"}));
    EXPECT_EQ(form->C<TPageControl>("PageControl1")->ActivePageIndex(), 1);
    EXPECT_TRUE(qt::WidgetOf(*form->C<TControl>("TabSheet2"))->isVisible());
    EXPECT_FALSE(qt::WidgetOf(*form->C<TControl>("TabSheet1"))->isVisible());
    // A refused change puts the tab back.
    form->allowPageChange = false;
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    EXPECT_EQ(form->C<TPageControl>("PageControl1")->ActivePageIndex(), 1);
    EXPECT_EQ(tabs->currentIndex(), 1);

    // The list view: the selection first, then the mouse-down handler sees it.
    form->FillListView();
    auto* tree = Widget<QTableView>("ListView1");
    ASSERT_EQ(tree->model()->rowCount(), 3);
    EXPECT_EQ(tree->model()->index(1, 1).data().toString(), "name-value");
    const QRect row = tree->visualRect(tree->model()->index(1, 0));
    EXPECT_EQ(row.height(), TListView::kRowHeight);
    form->log.clear();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(60, row.center().y()));
    EXPECT_EQ(form->log, (std::vector<std::string>{"ListView1SelectItem name on", "ListView1MouseDown name"}));
    EXPECT_EQ(form->C<TListView>("ListView1")->ItemIndex(), 1);
    // The user's check box.
    tree->model()->setData(tree->model()->index(2, 0), Qt::Checked, Qt::CheckStateRole);
    EXPECT_TRUE(form->C<TListView>("ListView1")->Items()->Item(2)->Checked());

    auto* checks = Widget<QListView>("CheckListBox1");
    checks->model()->setData(checks->model()->index(0, 0), Qt::Checked, Qt::CheckStateRole);
    EXPECT_TRUE(form->C<TCheckListBox>("CheckListBox1")->Checked(0));
    EXPECT_TRUE(Logged(*form, "CheckListBox1ClickCheck"));
}

TEST_F(QtFormTest, DraggingTheSplitterAndResizingTheWindow)
{
    QWidget* splitter = qt::WidgetOf(*form->C<TControl>("Splitter1"));
    QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(2, 100));
    QTest::mouseMove(splitter, QPoint(32, 100));
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(32, 100));
    EXPECT_EQ(form->C<TPanel>("PanelLeft")->Width(), 150);
    EXPECT_EQ(qt::WidgetOf(*form->C<TControl>("PanelLeft"))->width(), 150);
    EXPECT_TRUE(Logged(*form, "Splitter1Moved"));

    window->resize(700, window->height());
    EXPECT_EQ(form->ClientWidth(), 700);
    EXPECT_EQ(form->C<TPageControl>("PageControl1")->Width(), 700 - 154);
    EXPECT_EQ(qt::WidgetOf(*form->C<TControl>("PageControl1"))->width(), 700 - 154);
}

TEST_F(QtFormTest, ClosingTheWindowAsksTheForm)
{
    form->allowClose = false;
    window->close();
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(window->isVisible());
    form->allowClose = true;
    window->close();
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(form->log, (std::vector<std::string>{"FormCloseQuery", "FormCloseQuery", "FormClose"}));
}

TEST_F(QtFormTest, PopupMenuChoiceClicksItsItem)
{
    Later([] {
        ASSERT_TRUE(WaitFor([] { return QApplication::activePopupWidget() != nullptr; }));
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->actions().size(), 1);
        EXPECT_EQ(menu->actions()[0]->text(), "&Copy");
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QTest::mouseClick(Widget<QToolButton>("tbMenu"), Qt::LeftButton);
    EXPECT_EQ(form->log, (std::vector<std::string>{"PopupMenu1Popup", "popCopyClick"}));
}

TEST_F(QtFormTest, MessageDialogIsAModalFormWithButtonsInOrder)
{
    std::vector<std::string> order;
    Later([&] {
        ASSERT_TRUE(WaitFor([] { return Screen().ActiveForm() != nullptr && Screen().ActiveForm()->Modal(); }));
        TCustomForm* dialog = Screen().ActiveForm();
        EXPECT_EQ(dialog->Caption(), "Confirm");
        EXPECT_TRUE(qt::WidgetOf(*dialog)->isModal());
        EXPECT_EQ(qt::WidgetOf(*dialog)->windowTitle(), "Confirm");
        std::vector<std::pair<int, std::string>> buttons;
        for (auto* b : qt::WidgetOf(*dialog)->findChildren<QPushButton*>())
            buttons.emplace_back(b->mapTo(qt::WidgetOf(*dialog), QPoint(0, 0)).x(), b->text().toStdString());
        std::sort(buttons.begin(), buttons.end());
        for (const auto& b : buttons) order.push_back(b.second);
        QTest::mouseClick(qobject_cast<QPushButton*>(qt::WidgetOf(*dialog->FindComponent<TButton>("No"))),
                          Qt::LeftButton);
    });
    EXPECT_EQ(MessageDlg("Delete the link?", mtConfirmation, TMsgDlgButtons{mbHelp, mbNo, mbYes, mbCancel}), mrNo);
    EXPECT_EQ(order, (std::vector<std::string>{"&Yes", "&No", "Cancel", "&Help"}));

    // Escape gives the cancel button's answer.
    Later([] {
        ASSERT_TRUE(WaitFor([] { return Screen().ActiveForm() != nullptr && Screen().ActiveForm()->Modal(); }));
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused != nullptr ? focused : qt::WidgetOf(*Screen().ActiveForm()), Qt::Key_Escape);
    });
    EXPECT_EQ(MessageDlg("Save?", mtWarning, TMsgDlgButtons{mbYes, mbNo}), mrNo);
}

TEST_F(QtFormTest, AnExceptionInAHandlerShowsTheBoxAndTheProgramGoesOn)
{
    std::string shown;
    std::string caption;
    form->C<TButton>("ButtonOK")->OnClick = [](classes::TObject*) { throw rtl::Exception("Cannot open the file"); };
    Later([&] {
        ASSERT_TRUE(WaitFor([] { return Screen().ActiveForm() != nullptr && Screen().ActiveForm()->Modal(); }));
        TCustomForm* box = Screen().ActiveForm();
        caption = box->Caption();
        shown = box->FindComponent<TLabel>("Message")->Caption();
        EXPECT_NE(box->FindComponent<TImage>("Image"), nullptr);
        QTest::mouseClick(qobject_cast<QPushButton*>(qt::WidgetOf(*box->FindComponent<TButton>("OK"))), Qt::LeftButton);
    });
    QTest::mouseClick(Widget<QPushButton>("ButtonOK"), Qt::LeftButton);
    EXPECT_EQ(caption, "Gridweaver");
    EXPECT_EQ(shown, "Cannot open the file.");
    EXPECT_TRUE(window->isVisible());
}

TEST_F(QtFormTest, FileDialogOfTheToolkitAnswersTheSaveDialog)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "gw_ui_qt_files";
    std::filesystem::create_directories(dir);
    auto* save = form->C<TSaveDialog>("SaveDialog1");
    save->SetInitialDir(dir.string());
    save->SetFilterIndex(2);
    QStringList offered;
    Later([&] {
        ASSERT_TRUE(WaitFor([] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()) != nullptr; }));
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        offered = dialog->nameFilters();
        EXPECT_EQ(dialog->selectedNameFilter(), "Pages (*.html *.htm)");
        dialog->selectFile(QString::fromStdString((dir / "report").string()));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    ASSERT_TRUE(save->Execute());
    EXPECT_EQ(save->FileName(), (dir / "report.html").string());  // the chosen filter's extension
    EXPECT_EQ(offered, (QStringList{"Text files (*.txt) (*.txt)", "Pages (*.html *.htm)"}));
    std::filesystem::remove_all(dir);

    EXPECT_EQ(qt::NameFilters(ParseFileFilter("All|*.*")), QStringList{"All (*)"});
}

TEST_F(QtFormTest, TimersAndPostedMessagesRunOnTheEventLoop)
{
    auto* timer = form->C<TTimer>("Timer1");
    timer->SetInterval(10);
    timer->SetEnabled(true);
    EXPECT_TRUE(WaitFor([&] { return Logged(*form, "Timer1Timer"); }));
    timer->SetEnabled(false);

    struct Target : IMessageTarget {
        std::vector<unsigned> got;
        void Dispatch(TMessage& m) override { got.push_back(m.Msg); }
    } target, cancelled;
    IMessageQueue& queue = WindowSystem()->MessageQueue();
    queue.Post(target, TMessage{WM_USER + 1});
    queue.Post(cancelled, TMessage{WM_USER + 9});
    queue.Post(target, TMessage{WM_USER + 2});
    queue.Cancel(cancelled);
    EXPECT_TRUE(target.got.empty());  // later, not now
    EXPECT_TRUE(WaitFor([&] { return target.got.size() == 2; }));
    EXPECT_EQ(target.got, (std::vector<unsigned>{WM_USER + 1, WM_USER + 2}));
    EXPECT_TRUE(cancelled.got.empty());

    // Posted calls (a released form) run from the loop too.
    auto* other = new TForm(nullptr);
    other->Show();
    bool freed = false;
    other->OnDestroy = [&](classes::TObject*) { freed = true; };
    other->Release();
    EXPECT_TRUE(WaitFor([&] { return freed; }));
}

TEST_F(QtFormTest, ModalFormRunsOnTheToolkitsLoop)
{
    form->Hide();
    Later([this] {
        ASSERT_TRUE(WaitFor([this] { return form->Visible(); }));
        EXPECT_TRUE(window->isModal());
        QTest::mouseClick(Widget<QPushButton>("BitBtn1"), Qt::LeftButton);
    });
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(QtFormTest, F1PressedInAControlAsksForItsHelpContextOrItsParentsOrItsForms)
{
    std::vector<int> asked;
    Application().OnHelp = [&](int context, bool& shown) {
        asked.push_back(context);
        shown = true;
    };
    form->SetHelpContext(5);
    form->C<TControl>("TabSheet1")->SetHelpContext(7);
    form->C<TControl>("Edit1")->SetHelpContext(11);
    auto* combo = Widget<QComboBox>("ComboEdit");
    struct Row {
        QWidget* focus;
        Qt::KeyboardModifiers modifiers;
        int asked;  // 0: no help, the key goes on (the form previews it)
    };
    const Row rows[] = {
        {Widget<QLineEdit>("Edit1"), {}, 11},         // its own
        {Widget<QPlainTextEdit>("Memo1"), {}, 7},     // its page's
        {combo->lineEdit(), {}, 7},                   // an editable combo box
        {Widget<QListView>("ListBox1"), {}, 5},       // the form's: its panel has none
        {Widget<QLineEdit>("Edit1"), Qt::ShiftModifier, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.focus->metaObject()->className());
        r.focus->setFocus();
        QApplication::processEvents();
        asked.clear();
        form->keys.clear();
        QTest::keyClick(window->windowHandle(), Qt::Key_F1, r.modifiers);  // to the focus, as typed
        EXPECT_EQ(asked, r.asked != 0 ? std::vector<int>{r.asked} : std::vector<int>{});
        const bool passedOn = std::find(form->keys.begin(), form->keys.end(), VK_F1) != form->keys.end();
        EXPECT_EQ(passedOn, r.asked == 0);
    }
    // No context anywhere: F1 is an ordinary key.
    form->SetHelpContext(0);
    Widget<QListView>("ListBox1")->setFocus();
    asked.clear();
    QTest::keyClick(window->windowHandle(), Qt::Key_F1);
    EXPECT_TRUE(asked.empty());
    Application().OnHelp.Clear();
}

TEST_F(QtFormTest, AWindowUsableDuringModalTakesClicksWhileAModalFormRuns)
{
    // Clicks go in where the window system puts them (on the window), where modality blocks.
    auto clickOk = [](TAllControlsForm& f) {
        auto* button = qobject_cast<QPushButton*>(qt::WidgetOf(*f.C<TControl>("ButtonOK")));
        QWidget* top = button->window();
        QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, button->mapTo(top, button->rect().center()));
        QTest::qWait(50);
        return Logged(f, "ButtonOKClick");
    };
    auto usable = std::make_unique<TAllControlsForm>(nullptr);
    usable->SetUsableDuringModal(true);
    usable->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(qt::WidgetOf(*usable)));
    auto dialog = std::make_unique<TAllControlsForm>(nullptr);
    std::unique_ptr<TAllControlsForm> late;
    struct Seen {
        bool plain = true, before = false, during = false;
    } seen;
    Later([&] {
        ASSERT_TRUE(WaitFor([&] { return dialog->Visible(); }));
        QTest::qWait(50);
        form->log.clear();
        usable->log.clear();
        seen.plain = clickOk(*form);     // an ordinary window is blocked
        seen.before = clickOk(*usable);  // shown before the dialog
        late = std::make_unique<TAllControlsForm>(nullptr);
        late->SetUsableDuringModal(true);
        late->Show();                    // shown while it runs (help asked for from the dialog)
        EXPECT_TRUE(QTest::qWaitForWindowExposed(qt::WidgetOf(*late)));
        QTest::qWait(50);
        late->log.clear();
        seen.during = clickOk(*late);
        dialog->SetModalResult(mrOk);
    });
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_FALSE(seen.plain);
    EXPECT_TRUE(seen.before);
    EXPECT_TRUE(seen.during);
    // The dialog gone, the ordinary window takes clicks again.
    form->log.clear();
    EXPECT_TRUE(clickOk(*form));
}

}  // namespace

namespace {

using namespace ui;

TEST_F(QtFormTest, AWindowOutlivingItsFreedFormIgnoresItsEvents)
{
    // The window of a freed form is deleted only at the next turn of the event loop; events
    // that reach it before then (activation, resize, close) must not touch the freed form.
    QPointer<QWidget> orphan = window;
    form.reset();
    ASSERT_FALSE(orphan.isNull());
    QResizeEvent resize(QSize(300, 200), QSize(200, 100));
    QCloseEvent close;
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(orphan, &resize);
    QApplication::sendEvent(orphan, &close);
    QApplication::sendEvent(orphan, &activation);
    EXPECT_TRUE(WaitFor([&] { return orphan.isNull(); }));
}

TEST(QtApplication, RunsUntilTheMainFormCloses)
{
    qt::Install();
    Application().Reset();
    TForm frame(nullptr);
    frame.SetCaption("Frame");
    frame.SetFormStyle(fsMDIForm);
    frame.SetClientWidth(500);
    frame.SetClientHeight(400);
    auto* menu = new TMainMenu(&frame);
    auto* item = new TMenuItem(&frame);
    item->SetCaption("&Window");
    menu->Items()->Add(item);
    frame.SetMenu(menu);
    Application().SetMainForm(&frame);

    TForm* child = nullptr;
    bool childInArea = false;
    frame.OnShow = [&](classes::TObject*) {
        // The design window's way: a maximised child made once the frame shows.
        QTimer::singleShot(0, [&] {
            child = new TForm(nullptr);
            child->SetCaption("Child");
            child->SetFormStyle(fsMDIChild);
            child->SetWindowState(wsMaximized);
            child->DoCreate();
            QWidget* w = qt::WidgetOf(*child);
            auto* area = qt::WidgetOf(frame)->findChild<QMdiArea*>();
            childInArea = area != nullptr && w != nullptr && area->isAncestorOf(w);
            // The menu changes while shown; then the frame closes, which ends the run.
            item->SetCaption("&Windows");
            QTimer::singleShot(20, [&] { frame.Close(); });
        });
    };
    Application().Run();
    EXPECT_TRUE(Application().Terminated());
    EXPECT_TRUE(childInArea);
    auto* bar = qt::WidgetOf(frame)->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->actions()[0]->text(), "&Windows");
    delete child;
    Application().Reset();
}

}  // namespace
