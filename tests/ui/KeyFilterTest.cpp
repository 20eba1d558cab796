// The application's key filters: every key reaches them before the focused control, the newest
// first; one that answers true swallows the key. And the selection an edit keeps for them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

namespace {

using namespace ui;

TEST(KeyFilters, NewestFirstAndASwallowedKeyGoesNoFurther)
{
    TApplication& app = Application();
    std::vector<std::string> seen;
    TEdit edit(nullptr);
    const int older = app.AddKeyFilter([&](TWinControl* c, TKey key, TShiftState, bool down) {
        seen.push_back("older " + std::to_string(key) + (down ? " down" : " up") + (c == &edit ? " edit" : ""));
        return false;
    });
    int newer = 0;
    newer = app.AddKeyFilter([&](TWinControl*, TKey key, TShiftState shift, bool down) {
        seen.push_back("newer " + std::to_string(key) + (shift.Contains(ssCtrl) ? " ctrl" : ""));
        if (key == VK_F2) app.RemoveKeyFilter(newer);  // removing itself while it runs
        return down && key == VK_TAB;
    });
    EXPECT_TRUE(app.FilterKey(&edit, VK_TAB, {}, true));
    EXPECT_FALSE(app.FilterKey(&edit, VK_TAB, {ssCtrl}, false));
    EXPECT_FALSE(app.FilterKey(&edit, VK_F2, {}, true));
    EXPECT_FALSE(app.FilterKey(&edit, VK_TAB, {}, true));  // the newer one is gone
    EXPECT_EQ(seen, (std::vector<std::string>{"newer 9", "newer 9 ctrl", "older 9 up edit", "newer 113",
                                              "older 113 down edit", "older 9 down edit"}));
    app.RemoveKeyFilter(older);
    seen.clear();
    EXPECT_FALSE(app.FilterKey(&edit, VK_TAB, {}, true));
    EXPECT_TRUE(seen.empty());
}

TEST(KeyFilters, AnEditKeepsTheUsersSelectionInsideItsText)
{
    TEdit edit(nullptr);
    edit.SetText("abcdef");
    EXPECT_EQ(edit.SelStart(), 0);
    EXPECT_EQ(edit.SelLength(), 0);
    edit.SetSelectionByUser(2, 3);
    EXPECT_EQ(edit.SelStart(), 2);
    EXPECT_EQ(edit.SelLength(), 3);
    edit.SetText("ab");  // a shorter text: the selection stays inside it
    EXPECT_EQ(edit.SelStart(), 2);
    EXPECT_EQ(edit.SelLength(), 0);
    edit.SetSelectionByUser(9, 1);
    EXPECT_EQ(edit.SelStart(), 2);
}

}  // namespace
