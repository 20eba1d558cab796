// Check boxes in lists whose press may start a drag (a drag that waits for the mouse to move),
// on the Qt backend (offscreen) with real mouse and key events: a click on an item's box
// toggles that item, Space toggles the focused item, and the drag begins only once the mouse
// has moved the window system's drag distance with the button down. The same for an
// owner-drawn and a plain check list box and a report list view with check boxes.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QTest>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ui/ComCtrls.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/QtUi.h"

namespace {

using namespace ui;

// One kind of list: how to make it with four items, read an item's check and find its view.
struct TListKind {
    const char* name;
    std::function<TWinControl*(TForm&)> make;
    std::function<bool(TWinControl&, int)> checked;
};

void PrintTo(const TListKind& kind, std::ostream* os) { *os << kind.name; }

TCheckListBox* MakeCheckList(TForm& form, bool ownerDrawn)
{
    auto* list = new TCheckListBox(&form);
    list->SetParent(&form);
    list->SetBounds(10, 10, 200, 120);
    if (ownerDrawn) list->SetStyle(lbOwnerDrawFixed);
    list->Items()->SetCommaText("id,name,price,note");
    return list;
}

const std::vector<TListKind>& Kinds()
{
    static const std::vector<TListKind> kinds{
        {"owner-drawn check list box", [](TForm& f) -> TWinControl* { return MakeCheckList(f, true); },
         [](TWinControl& c, int i) { return static_cast<TCheckListBox&>(c).Checked(i); }},
        {"check list box", [](TForm& f) -> TWinControl* { return MakeCheckList(f, false); },
         [](TWinControl& c, int i) { return static_cast<TCheckListBox&>(c).Checked(i); }},
        {"report list view",
         [](TForm& f) -> TWinControl* {
             auto* view = new TListView(&f);
             view->SetParent(&f);
             view->SetBounds(10, 10, 300, 140);
             view->SetViewStyle(vsReport);
             view->SetCheckboxes(true);
             view->SetRowSelect(true);
             view->Columns()->Add()->SetCaption("Column Name");
             view->Columns()->Items(0)->SetWidth(150);
             for (const char* caption : {"id", "name", "price", "note"}) view->Items()->Add()->SetCaption(caption);
             return view;
         },
         [](TWinControl& c, int i) { return static_cast<TListView&>(c).Items()->Item(i)->Checked(); }},
    };
    return kinds;
}

class CheckListQtTest : public ::testing::TestWithParam<TListKind> {
protected:
    static void SetUpTestSuite() { qt::Install(); }

    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 360, 220);
        list = GetParam().make(*form);
        // As the program's lists do: every left press on an item may begin a drag.
        list->OnMouseDown = [this](classes::TObject*, TMouseButton button, TShiftState, int, int) {
            if (button == mbLeft) list->BeginDrag(false);
        };
        list->OnDragOver = [this](classes::TObject*, classes::TObject*, int, int, TDragState, bool& accept) {
            ++dragOvers;
            accept = true;
        };
        form->Show();
        view = qobject_cast<QAbstractItemView*>(qt::WidgetOf(*list));
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(qt::WidgetOf(*form)));
    }
    void TearDown() override
    {
        if (DragSourceControl() != nullptr) CancelDrag();
        form.reset();
        Application().ProcessMessages();
    }

    QWidget* Viewport() const { return view->viewport(); }
    QRect Row(int i) const { return view->visualRect(view->model()->index(i, 0)); }
    // On the item's check box, at the left of its row; on its text, well right of the box.
    QPoint Box(int i) const { return {Row(i).left() + 8, Row(i).center().y()}; }
    QPoint Text(int i) const { return {Row(i).left() + 60, Row(i).center().y()}; }
    std::vector<bool> Checks() const
    {
        std::vector<bool> out;
        for (int i = 0; i < 4; ++i) out.push_back(GetParam().checked(*list, i));
        return out;
    }

    std::unique_ptr<TForm> form;
    TWinControl* list = nullptr;
    QAbstractItemView* view = nullptr;
    int dragOvers = 0;
};

TEST_P(CheckListQtTest, AClickOnABoxTogglesThatItemOnly)
{
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, Box(2));
    EXPECT_EQ(Checks(), (std::vector<bool>{false, false, true, false}));
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, Box(0));
    EXPECT_EQ(Checks(), (std::vector<bool>{true, false, true, false}));
    // A click beside the box selects the item and toggles nothing.
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, Text(3));
    EXPECT_EQ(Checks(), (std::vector<bool>{true, false, true, false}));
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, Box(2));
    EXPECT_EQ(Checks(), (std::vector<bool>{true, false, false, false}));
    EXPECT_EQ(DragSourceControl(), nullptr);
    EXPECT_EQ(dragOvers, 0);
}

TEST_P(CheckListQtTest, SpaceTogglesTheFocusedItem)
{
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, Text(1));
    ASSERT_TRUE(view->hasFocus() || QTest::qWaitFor([&] { return view->hasFocus(); }, 1000));
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_EQ(Checks(), (std::vector<bool>{false, true, false, false}));
    // The focus moves on by click and by arrow key; Space follows it.
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, Text(3));
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_EQ(Checks(), (std::vector<bool>{false, true, false, true}));
    QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_EQ(Checks(), (std::vector<bool>{false, true, true, true}));
}

TEST_P(CheckListQtTest, ADragBeginsOnceTheMouseMovedTheDragDistance)
{
    const int distance = QApplication::startDragDistance();
    ASSERT_GT(distance, 1);
    struct Case {
        int moved;
        bool drags;
    };
    for (const Case c : {Case{distance - 1, false}, Case{distance, true}}) {
        SCOPED_TRACE(c.moved);
        dragOvers = 0;
        const QPoint from = Text(1);
        QTest::mousePress(Viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(Viewport(), from + QPoint(c.moved, 0));
        EXPECT_EQ(DragActive(), c.drags);
        EXPECT_EQ(dragOvers > 0, c.drags);
        QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, from + QPoint(c.moved, 0));
        EXPECT_EQ(DragSourceControl(), nullptr);
        EXPECT_EQ(Checks(), (std::vector<bool>{false, false, false, false}));
    }
}

INSTANTIATE_TEST_SUITE_P(Lists, CheckListQtTest, ::testing::ValuesIn(Kinds()),
                         [](const ::testing::TestParamInfo<TListKind>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (ch == ' ' || ch == '-') ch = '_';
                             return name;
                         });

}  // namespace
