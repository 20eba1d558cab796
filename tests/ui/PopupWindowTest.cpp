// The popup window headless (placement in the work area, screen coordinates of its content),
// the application's mouse filters and messages registered by name.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/Forms.h"
#include "platform/ui/Messages.h"
#include "platform/ui/PopupWindow.h"
#include "platform/ui/StdCtrls.h"

namespace {

using namespace ui;

TEST(PopupWindow, FitsIntoTheWorkArea)
{
    const TRect area{0, 0, 1024, 768};
    struct Case {
        TRect asked, placed;
    };
    const Case cases[] = {
        {Bounds(100, 100, 200, 150), Bounds(100, 100, 200, 150)},  // inside: as asked
        {Bounds(900, 700, 200, 150), Bounds(824, 618, 200, 150)},  // past right and bottom
        {Bounds(-40, -10, 200, 150), Bounds(0, 0, 200, 150)},      // past left and top
        {Bounds(10, 10, 2000, 150), Bounds(0, 10, 1024, 150)},     // wider than the area
    };
    for (const Case& c : cases) EXPECT_EQ(TPopupWindow::FitInto(c.asked, area), c.placed);
    EXPECT_EQ(TPopupWindow::FitInto(Bounds(0, 0, 50, 50), {100, 30, 800, 600}), Bounds(100, 30, 50, 50));
}

TEST(PopupWindow, ShowAtPlacesItOnTheScreenAndItsContentKnowsWhere)
{
    TPopupWindow popup(nullptr);
    EXPECT_FALSE(popup.IsOpen());
    auto* content = new TPanel(&popup);
    content->SetParent(&popup);
    content->SetBounds(3, 4, 50, 20);
    popup.ShowAt(Bounds(1000, 100, 120, 80));
    EXPECT_TRUE(popup.IsOpen());
    EXPECT_EQ(popup.BoundsRect(), Bounds(1024 - 120, 100, 120, 80));
    EXPECT_EQ(content->ClientToScreen({1, 1}), (TPoint{1024 - 120 + 3 + 1, 100 + 4 + 1}));
    popup.ClosePopup();
    EXPECT_FALSE(popup.IsOpen());
}

TEST(MouseFilters, NewestFirstEachOwnerRemovesOnlyItsOwn)
{
    TApplication& app = Application();
    std::vector<std::string> seen;
    TPanel panel(nullptr);
    const int first = app.AddMouseFilter([&](TControl* target, unsigned msg, TPoint p) {
        seen.push_back("first " + std::to_string(msg) + " " + std::to_string(p.X) + "," + std::to_string(p.Y) +
                       (target == &panel ? " panel" : ""));
        return false;
    });
    const int second = app.AddMouseFilter([&](TControl*, unsigned msg, TPoint) {
        seen.push_back("second");
        return msg == WM_RBUTTONDOWN;
    });
    EXPECT_FALSE(app.FilterMouse(&panel, WM_LBUTTONDOWN, {5, 6}));
    EXPECT_TRUE(app.FilterMouse(nullptr, WM_RBUTTONDOWN, {0, 0}));
    EXPECT_EQ(seen, (std::vector<std::string>{"second", "first 513 5,6 panel", "second"}));
    // The first owner going away leaves the second one's filter in place.
    app.RemoveMouseFilter(first);
    app.RemoveMouseFilter(first);  // twice does no harm
    seen.clear();
    EXPECT_TRUE(app.FilterMouse(nullptr, WM_RBUTTONDOWN, {0, 0}));
    EXPECT_EQ(seen, (std::vector<std::string>{"second"}));
    app.RemoveMouseFilter(second);
    EXPECT_FALSE(app.FilterMouse(nullptr, WM_RBUTTONDOWN, {0, 0}));
}

TEST(MouseFilters, OneRemovedWhileOthersRunIsNotCalledAgain)
{
    // A filter whose owner closes another one (freeing it) during a press: the freed one
    // must not see that press; one that removes itself finishes its call.
    TApplication& app = Application();
    std::vector<std::string> seen;
    int older = 0, self = 0;
    older = app.AddMouseFilter([&](TControl*, unsigned, TPoint) {
        seen.push_back("older");
        return false;
    });
    self = app.AddMouseFilter([&](TControl*, unsigned, TPoint) {
        app.RemoveMouseFilter(self);
        seen.push_back("self");
        return false;
    });
    const int closer = app.AddMouseFilter([&](TControl*, unsigned, TPoint) {
        app.RemoveMouseFilter(older);
        seen.push_back("closer");
        return false;
    });
    EXPECT_FALSE(app.FilterMouse(nullptr, WM_LBUTTONDOWN, {0, 0}));
    EXPECT_EQ(seen, (std::vector<std::string>{"closer", "self"}));
    app.RemoveMouseFilter(closer);
    seen.clear();
    EXPECT_FALSE(app.FilterMouse(nullptr, WM_LBUTTONDOWN, {0, 0}));  // the one that removed itself is gone
    EXPECT_TRUE(seen.empty());
}

TEST(RegisteredMessages, OneNumberPerNameLetterCaseIgnored)
{
    const unsigned a = RegisterWindowMessage("GWTESTMESSAGEONE");
    const unsigned b = RegisterWindowMessage("GWTestMessageTwo");
    EXPECT_GE(a, WM_FIRST_REGISTERED);
    EXPECT_GE(b, WM_FIRST_REGISTERED);
    EXPECT_NE(a, b);
    EXPECT_EQ(RegisterWindowMessage("gwtestmessageone"), a);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

}  // namespace
