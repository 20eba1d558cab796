// The application's key filters: every key reaches them before the focused control, the newest
// first; one that answers true swallows the key. F1 asks for the nearest help context. And the
// selection an edit keeps for them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/Scope.h"
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

TEST(KeyFilters, F1AsksForTheNearestHelpContextUpToTheForm)
{
    TApplication& app = Application();
    std::vector<int> asked;
    app.OnHelp = [&](int context, bool& shown) {
        asked.push_back(context);
        shown = true;
    };
    rtl::TScopeExit clear([&] { app.OnHelp.Clear(); });
    // form (contexts set per row) > panel > edit
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    auto* edit = new TEdit(&form);
    edit->SetParent(panel);

    struct Row {
        int formContext, panelContext, editContext;
        TShiftState shift;
        int asked;  // 0: no help asked and the key goes on to the control
    };
    const Row rows[] = {
        {100, 60, 250, {}, 250},      // the control's own
        {100, 60, 0, {}, 60},         // else its parent's
        {100, 0, 0, {}, 100},         // else its form's
        {0, 0, 0, {}, 0},             // none on the way
        {100, 60, 250, {ssShift}, 0}, // Shift+F1 is another key
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.editContext) + "/" + std::to_string(r.panelContext) + "/" +
                     std::to_string(r.formContext));
        form.SetHelpContext(r.formContext);
        panel->SetHelpContext(r.panelContext);
        edit->SetHelpContext(r.editContext);
        asked.clear();
        EXPECT_EQ(app.FilterKey(edit, VK_F1, r.shift, true), r.asked != 0);
        EXPECT_EQ(app.FilterKey(edit, VK_F1, r.shift, false), r.asked != 0);  // the release asks nothing more
        EXPECT_EQ(asked, r.asked != 0 ? std::vector<int>{r.asked} : std::vector<int>{});
    }

    // A key filter that takes F1 comes first: no help then.
    form.SetHelpContext(100);
    asked.clear();
    const int id = app.AddKeyFilter([](TWinControl*, TKey key, TShiftState, bool) { return key == VK_F1; });
    EXPECT_TRUE(app.FilterKey(edit, VK_F1, {}, true));
    app.RemoveKeyFilter(id);
    EXPECT_TRUE(asked.empty());
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
