// The canvas's menus, prompts and drops without a window: the box popup, the field popup's
// sort items (with the model's refusals), Rename and the alias prompt answered by the scripted
// dialog service, the link popup, frees posted by "Delete This Box" and "Delete Link", and
// drops that must change nothing.

#include <gtest/gtest.h>

#include "VQueryTestSupport.h"
#include "platform/ui/Forms.h"

using namespace vquery;
using vqtest::QueryFixture;

namespace {

class CanvasMenusTest : public ::testing::Test, public QueryFixture {
protected:
    void SetUp() override
    {
        Table("", "A", {{"id"}, {"b_id"}, {"note"}});
        Table("", "B", {{"id"}, {"name"}});
        a = Q().AddTable("A", {10, 10}, false);
        b = Q().AddTable("B", {200, 50}, true);
    }
    ui::TMenuItem* Item(TmfVQueryTable* box, const char* name) { return box->FindComponent<ui::TMenuItem>(name); }
    ui::TMenuItem* BoxItem(TmfVQueryTable* box, int index) { return box->BoxPopup()->Items()->Items(index); }
    std::vector<std::string> SortEntries()
    {
        std::vector<std::string> out;
        for (int i = 0; i < Q().SortCount(); ++i)
            out.push_back(Q().SortField(i)->FieldName + ":" + std::to_string(Q().SortField(i)->SortDirection));
        return out;
    }

    TmfVQueryTable* a = nullptr;
    TmfVQueryTable* b = nullptr;
};

TEST_F(CanvasMenusTest, BoxPopupSelectsChecksAndLeavesJoinBoxesDisabled)
{
    ASSERT_EQ(a->BoxPopup()->Items()->Count(), 5);
    const char* captions[] = {"Select This Box", "Select All Items", "Select No Items", "Delete This Box", "Join Boxes"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(BoxItem(a, i)->Caption(), captions[i]);
    EXPECT_FALSE(BoxItem(a, 4)->Enabled());

    BoxItem(a, 0)->Click();
    EXPECT_TRUE(a->Selected());
    EXPECT_TRUE(BoxItem(a, 0)->Checked());
    BoxItem(a, 0)->Click();
    EXPECT_FALSE(a->Selected());
    EXPECT_FALSE(BoxItem(a, 0)->Checked());

    BoxItem(a, 1)->Click();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(a->ListBox()->Checked(i));
    BoxItem(a, 2)->Click();
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(a->ListBox()->Checked(i));
}

TEST_F(CanvasMenusTest, DeleteThisBoxFreesTheBoxOnlyAfterTheHandlerReturned)
{
    Q().AddJoin(F(a, "b_id"), F(b, "id"), "b_id = id");
    std::vector<classes::TObject*> removed;
    Q().OnVTableRemove = [&](classes::TObject* sender) { removed.push_back(sender); };
    BoxItem(a, 3)->Click();
    EXPECT_EQ(Q().GetTableCount(), 2);  // still there while the menu runs
    ui::Application().ProcessMessages();
    EXPECT_EQ(Q().GetTableCount(), 1);
    EXPECT_EQ(Q().GetJoinCount(), 0);
    EXPECT_EQ(removed, (std::vector<classes::TObject*>{a}));

    // A posted free of a box that went meanwhile does nothing.
    BoxItem(b, 3)->Click();
    Q().RemoveTable(b);
    ui::Application().ProcessMessages();
    EXPECT_EQ(Q().GetTableCount(), 0);
}

TEST_F(CanvasMenusTest, SortItemsFollowTheFieldAndTheModelsRefusals)
{
    ui::TMenuItem* none = Item(a, "mnu_sortnone");
    ui::TMenuItem* asc = Item(a, "mnu_sortasc");
    ui::TMenuItem* desc = Item(a, "mnu_sortdesc");
    ASSERT_TRUE(none && asc && desc);
    EXPECT_TRUE(none->RadioItem() && asc->RadioItem() && desc->RadioItem());
    EXPECT_EQ(Item(a, "mnu_sort")->Caption(), "Sort");
    EXPECT_EQ(Item(a, "mnu_sortorder")->Caption(), "Sort Order...");
    EXPECT_EQ(a->FieldPopup()->Name(), "popup_field");

    a->SetCurrentField(F(a, "note"));
    asc->Click();
    EXPECT_EQ(SortEntries(), (std::vector<std::string>{"note:1"}));
    EXPECT_TRUE(asc->Checked());
    desc->Click();
    EXPECT_EQ(SortEntries(), (std::vector<std::string>{"note:2"}));
    EXPECT_TRUE(desc->Checked());
    EXPECT_FALSE(asc->Checked());

    a->PopupField(0, 5, 5);  // "id": not sorted
    EXPECT_TRUE(none->Checked());
    a->PopupField(2, 5, 5);  // "note": descending
    EXPECT_TRUE(desc->Checked());

    // Refused: a calculated field, then the maximum; the list and the checks stay.
    F(a, "id")->Calculated = true;
    a->SetCurrentField(F(a, "id"));
    dialogs.AnswerMessage(ui::mrOk);
    asc->Click();
    Q().MaxSortCount = 1;
    a->SetCurrentField(F(a, "b_id"));
    dialogs.AnswerMessage(ui::mrOk);
    asc->Click();
    EXPECT_EQ(SortEntries(), (std::vector<std::string>{"note:2"}));
    EXPECT_TRUE(desc->Checked());
    ASSERT_EQ(dialogs.Asked().size(), 2u);
    EXPECT_EQ(dialogs.Asked()[0].message.text, "Calculated Field can not sort");
    EXPECT_EQ(dialogs.Asked()[1].message.text, "Can not add sort more than 1 fields");

    a->SetCurrentField(F(a, "note"));
    none->Click();
    EXPECT_TRUE(SortEntries().empty());
    EXPECT_EQ(F(a, "note")->SortDirection, 0);
}

TEST_F(CanvasMenusTest, RenameAndTheAliasPromptAskThroughTheDialogService)
{
    a->SetCurrentField(F(a, "b_id"));
    dialogs.AnswerInput("Customer");
    Item(a, "mnu_rename")->Click();
    dialogs.AnswerInput(std::nullopt);  // Cancel changes nothing
    Item(a, "mnu_rename")->Click();
    ASSERT_EQ(dialogs.Asked().size(), 2u);
    EXPECT_EQ(dialogs.Asked()[0].caption, "Field Name: b_id [b_id]");
    EXPECT_EQ(dialogs.Asked()[0].prompt, "New Field Name");
    EXPECT_EQ(dialogs.Asked()[0].value, "b_id");
    EXPECT_EQ(dialogs.Asked()[1].caption, "Field Name: Customer [b_id]");
    EXPECT_EQ(F(a, "b_id")->DisplayName, "Customer");
    EXPECT_EQ(a->ListBox()->Items()->Strings(1), "Customer");

    dialogs.AnswerInput("X");
    a->EditAlias();
    dialogs.AnswerInput(std::nullopt);
    a->EditAlias();
    ASSERT_EQ(dialogs.Asked().size(), 4u);
    EXPECT_EQ(dialogs.Asked()[2].caption, "Table Alias Name: A");
    EXPECT_EQ(dialogs.Asked()[2].prompt, "New Alias");
    EXPECT_EQ(dialogs.Asked()[2].value, "A");
    EXPECT_EQ(a->Alias(), "X");
}

TEST_F(CanvasMenusTest, LinkPopupFiresOnVJoinClickAndDeleteLinkIsPosted)
{
    TmfVQueryJoin* j = Q().AddJoin(F(a, "b_id"), F(b, "id"), "b_id = id");
    ASSERT_NE(j, nullptr);
    std::vector<classes::TObject*> clicked;
    Q().OnVJoinClick = [&](classes::TObject* sender) { clicked.push_back(sender); };
    const ui::TPoint mid{(j->Line.p[1].X + j->Line.p[2].X) / 2, (j->Line.p[1].Y + j->Line.p[2].Y) / 2};
    EXPECT_FALSE(Q().PopupLinkAt({mid.X, mid.Y + 30}, {0, 0}));
    EXPECT_TRUE(clicked.empty());
    ASSERT_TRUE(Q().PopupLinkAt(mid, {0, 0}));
    EXPECT_EQ(clicked, (std::vector<classes::TObject*>{Q().JoinLayer()}));
    EXPECT_EQ(Q().JoinUnderPopup(), j);
    EXPECT_EQ(Q().LinkPopup()->Name(), "popup_link");
    ui::TMenuItem* del = Q().FindComponent<ui::TMenuItem>("mnu_dellink");
    ASSERT_NE(del, nullptr);
    EXPECT_EQ(del->Caption(), "Delete Link");
    EXPECT_EQ(Q().FindComponent<ui::TMenuItem>("mnu_changecompare")->Caption(), "Join Properties");
    del->Click();
    EXPECT_EQ(Q().GetJoinCount(), 1);
    ui::Application().ProcessMessages();
    EXPECT_EQ(Q().GetJoinCount(), 0);
    EXPECT_EQ(Q().JoinUnderPopup(), nullptr);
}

TEST_F(CanvasMenusTest, DropsOnNothingOrOnTheDraggedRowChangeNothingTheSortListTakesTheField)
{
    TmfVQueryListBox* la = a->ListBox();
    TmfVQueryListBox* lb = b->ListBox();
    a->SetCurrentField(F(a, "b_id"));
    lb->DragDrop(la, 10, 16 * 5);  // below the last row of B
    la->DragDrop(la, 10, 16 * 1 + 4);  // onto itself
    EXPECT_EQ(Q().GetJoinCount(), 0);
    EXPECT_EQ(la->Items()->Strings(1), "b_id");

    ui::TListBox sortBox(nullptr);
    Q().SetSortListBox(&sortBox);
    Q().SetCurrentField(F(a, "b_id"));
    la->DoEndDrag(nullptr, 0, 0);  // ended on nothing
    EXPECT_EQ(Q().SortCount(), 0);
    la->DoEndDrag(&sortBox, 0, 0);
    EXPECT_EQ(SortEntries(), (std::vector<std::string>{"b_id:1"}));
    EXPECT_EQ(sortBox.Items()->Strings(0), "A.b_id");
    Q().SetSortListBox(nullptr);
}

}  // namespace
