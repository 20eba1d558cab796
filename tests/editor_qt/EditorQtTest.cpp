// The editor on the Qt backend (offscreen): the caret follows the focus, a right click shows
// the assigned menu or the default one, and a column block travels between two editors
// through the real clipboard.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "editor/TextMemo.h"
#include "editor/TextMemoStrings.h"

#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/QtUi.h"

namespace editor {
namespace {

using namespace ui;

class EditorQtTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qt::Install(); }

    void SetUp() override
    {
        Application().Reset();
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(100, 100, 420, 260);
        first = new TTextMemo(form.get());
        first->SetParent(form.get());
        first->SetBounds(10, 10, 190, 200);
        second = new TTextMemo(form.get());
        second->SetParent(form.get());
        second->SetBounds(210, 10, 190, 200);
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(qt::WidgetOf(*form)));
    }

    void TearDown() override
    {
        form.reset();
        Application().ProcessMessages();
    }

    // Runs `chooser` on the menu that pops up next (the menu's loop blocks until it closes).
    static void OnNextMenu(std::function<void(QMenu*)> chooser)
    {
        QTimer::singleShot(50, [chooser] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            chooser(menu);
        });
    }

    std::unique_ptr<TForm> form;
    TTextMemo* first = nullptr;
    TTextMemo* second = nullptr;
};

TEST_F(EditorQtTest, TheCaretComesWithTheFocusAndGoesWithIt)
{
    // The window brings the real font's measures.
    ASSERT_TRUE(first->WindowAttached());
    EXPECT_GT(first->LineHeight(), 5);
    EXPECT_GT(first->AverageCharWidth(), 1);
    first->SetTextBuf("some text");
    first->SetSelStart(4);
    first->SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return qt::WidgetOf(*first)->hasFocus(); }));
    EXPECT_EQ(Caret().Owner, first);
    EXPECT_TRUE(Caret().Visible());
    EXPECT_EQ(Caret().Height, first->LineHeight());
    EXPECT_EQ(Caret().Pos.X, first->CaretX());
    EXPECT_GT(first->CaretX(), first->LeftMargin());
    second->SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return qt::WidgetOf(*second)->hasFocus(); }));
    EXPECT_EQ(Caret().Owner, second);
    second->SetDisplayOnly(true);  // no caret in a display-only editor
    EXPECT_EQ(Caret().Owner, nullptr);
    first->SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return qt::WidgetOf(*first)->hasFocus(); }));
    EXPECT_EQ(Caret().Owner, first);

    // Focus that goes to a control without a caret of its own takes the editor's with it.
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 215, 100, 22);
    edit->SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !qt::WidgetOf(*first)->hasFocus(); }));
    EXPECT_EQ(Caret().Owner, nullptr);
}

// Ctl3D decides the border, so its change makes the editor's window anew: the measures, the
// view and the caret come back as a new window brings them.
TEST_F(EditorQtTest, ACtl3DChangeMakesTheWindowAnew)
{
    first->SetTextBuf("some text");
    first->SetSelStart(4);
    first->SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return qt::WidgetOf(*first)->hasFocus(); }));
    const int lineHeight = first->LineHeight();
    int vscrolls = 0;
    first->OnVScroll = [&vscrolls](classes::TObject*) { ++vscrolls; };
    first->SetCtl3D(false);
    EXPECT_EQ(vscrolls, 1);  // the new window's font change
    EXPECT_TRUE(first->WindowAttached());
    EXPECT_EQ(first->LineHeight(), lineHeight);
    EXPECT_EQ(Caret().Owner, first);
    EXPECT_EQ(Caret().Pos.X, first->CaretX());
    first->SetCtl3D(false);
    EXPECT_EQ(vscrolls, 1);  // no change, no new window
}

TEST_F(EditorQtTest, ARightClickShowsTheAssignedMenuElseTheDefaultOne)
{
    first->SetTextBuf("pick me");
    QWidget* viewport = qt::PeerOf(*first)->MouseWidget();
    ASSERT_NE(viewport, nullptr);

    // The default menu: its "Select all" works.
    std::vector<std::string> captions;
    OnNextMenu([&](QMenu* menu) {
        ASSERT_NE(menu, nullptr);
        for (QAction* a : menu->actions())
            if (!a->isSeparator()) captions.push_back(a->text().toStdString());
        for (QAction* a : menu->actions())
            if (a->text().contains("Select")) menu->setActiveAction(a);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(20, 8));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !captions.empty(); }, 3000));
    EXPECT_EQ(captions.size(), 6u);
    QTest::qWait(50);
    EXPECT_EQ(first->SelText(), "pick me");

    // An assigned menu instead of the default one.
    auto* own = new TPopupMenu(form.get());
    auto* item = new TMenuItem(own);
    item->SetCaption("Mine");
    own->Items()->Add(item);
    bool ownShown = false;
    own->OnPopup = [&](classes::TObject*) { ownShown = true; };
    first->SetPopupMenu(own);
    std::vector<std::string> shown;
    OnNextMenu([&](QMenu* menu) {
        ASSERT_NE(menu, nullptr);
        for (QAction* a : menu->actions()) shown.push_back(a->text().toStdString());
        menu->close();
    });
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(20, 8), viewport->mapToGlobal(QPoint(20, 8)));
    QApplication::sendEvent(viewport, &request);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, 3000));
    EXPECT_TRUE(ownShown);
    EXPECT_EQ(shown, (std::vector<std::string>{"Mine"}));
    // A right-button release alone no longer brings the default menu.
    QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(20, 8));
    QTest::qWait(100);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(EditorQtTest, AColumnBlockPastesAsABlockInAnotherEditor)
{
    first->SetTextBuf("abcdef\r\nghijkl\r\nmnopqr");
    first->SelectColumnBlock(0, 2, 2, 4);
    first->CopyToClipboard();
    EXPECT_EQ(Clipboard().AsText(), "cd\r\nij\r\nop\r\n");
    EXPECT_TRUE(Clipboard().HasFormat(BlockClipboardFormat()));

    TTextMemoOptions o = DefaultTextMemoOptions();
    o.set(tmoBlockSelection);
    second->SetOptions(o);
    second->SetTextBuf("12345\r\nx");
    second->SetSelStart(1);
    second->PasteFromClipboard();
    EXPECT_EQ(second->Text(), "1cd2345\r\nxij\r\n op");
    second->CheckConsistency();
}

}  // namespace
}  // namespace editor
