// A list's scroll bar moved on the Qt backend (offscreen) reaches the control through the
// layer's guard: what the control's code raises while following the scroll is reported as
// any handler's exception is, and never unwinds through Qt's signal delivery.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QScrollBar>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/QtUi.h"

namespace {

using namespace ui;

// A list whose drawing relative to the rows fails as its first row changes.
class TFailingScrollList : public TListBox {
public:
    using TListBox::TListBox;
    void TopIndexChanged() override { throw rtl::Exception("cannot follow row " + std::to_string(TopIndex())); }
};

class ListScrollQtTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qt::Install(); }
    void TearDown() override
    {
        Application().OnException.Clear();
        Application().ProcessMessages();
    }
};

TEST_F(ListScrollQtTest, AFailureWhileFollowingTheScrollBarIsReported)
{
    std::vector<std::string> reported;
    Application().OnException = [&](classes::TObject*, const std::exception& e) { reported.push_back(e.what()); };
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(100, 100, 240, 160);
    auto* list = new TFailingScrollList(form.get());
    list->SetParent(form.get());
    list->SetBounds(10, 10, 200, 100);
    for (int i = 0; i < 50; ++i) list->Items()->Add("row " + std::to_string(i));
    form->Show();
    auto* view = qobject_cast<QAbstractItemView*>(qt::WidgetOf(*list));
    ASSERT_NE(view, nullptr);
    QScrollBar* bar = view->verticalScrollBar();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->maximum() > 5; }, 2000));

    EXPECT_NO_THROW(bar->setValue(5));
    EXPECT_EQ(reported, (std::vector<std::string>{"cannot follow row 5"}));
    EXPECT_EQ(list->TopIndex(), 5);
}

}  // namespace
