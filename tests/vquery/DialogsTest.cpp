// The visual query's dialogs driven without a window: each stored form is loaded, shown
// modally through the scripted dialog service and answered there, as the user would.

#include <gtest/gtest.h>

#include "VQueryTestSupport.h"
#include "platform/ui/Forms.h"
#include "vquery/Dialogs.h"

using namespace vquery;
using vqtest::QueryFixture;

namespace {

class SortDialogTest : public ::testing::Test, public QueryFixture {
protected:
    void SetUp() override
    {
        Table("", "A", {{"id"}, {"name"}, {"note"}});
        a = Q().AddTable("A", {10, 10}, true);
        ASSERT_TRUE(Q().AddSortField(F(a, "id"), true));
        ASSERT_TRUE(Q().AddSortField(F(a, "name"), false));
        ASSERT_TRUE(Q().AddSortField(F(a, "note"), true));
    }
    std::vector<std::string> Order()
    {
        std::vector<std::string> out;
        for (int i = 0; i < Q().SortCount(); ++i) out.push_back(Q().SortField(i)->FieldName);
        return out;
    }
    static std::vector<std::string> Texts(ui::TListBox* list)
    {
        std::vector<std::string> out;
        for (int i = 0; i < list->Items()->Count(); ++i) out.push_back(list->Items()->Strings(i));
        return out;
    }
    // Drags the entry of row `from` onto row `to` as the user's press and drop do.
    static void Drag(TfrmVSort& form, int from, int to)
    {
        ui::TListBox* list = form.List();
        const ui::TRect r = list->ItemRect(from), t = list->ItemRect(to);
        list->OnMouseDown(list, ui::mbLeft, ui::TShiftState{}, r.Left + 2, r.Top + 2);
        form.lbVSortsDragDrop(list, list, t.Left + 2, t.Top + 2);
    }

    TmfVQueryTable* a = nullptr;
};

TEST_F(SortDialogTest, ReorderKeptOnOkAndUndoneOnCancel)
{
    struct Case {
        ui::TModalResult answer;
        std::vector<std::string> after;
    };
    for (const Case& c : {Case{ui::mrOk, {"name", "note", "id"}}, Case{ui::mrCancel, {"id", "name", "note"}}}) {
        SCOPED_TRACE(c.answer);
        // Every case starts from the same order.
        Q().RestoreSortOrder({F(a, "id"), F(a, "name"), F(a, "note")});
        std::vector<std::string> seenList, seenModel;
        dialogs.AnswerModal([&](ui::TCustomForm& f) {
            auto& form = dynamic_cast<TfrmVSort&>(f);
            EXPECT_EQ(form.Caption(), "Sort");
            EXPECT_EQ(Texts(form.List()), (std::vector<std::string>{"A.id", "A.name", "A.note"}));
            Drag(form, 0, 2);
            seenList = Texts(form.List());
            seenModel = Order();
            // A drop on the dragged row itself and a drop from elsewhere move nothing.
            Drag(form, 1, 1);
            form.lbVSortsDragDrop(form.List(), a->ListBox(), 2, 2);
            EXPECT_EQ(Order(), seenModel);
            return c.answer;
        });
        TfrmVSort form(&Q());
        EXPECT_EQ(form.Execute(), c.answer);
        // The drag moves the entry at once, in the list and in the query.
        EXPECT_EQ(seenList, (std::vector<std::string>{"A.name", "A.note", "A.id"}));
        EXPECT_EQ(seenModel, (std::vector<std::string>{"name", "note", "id"}));
        EXPECT_EQ(Order(), c.after);
        // The directions travel with their entries.
        EXPECT_EQ(F(a, "name")->SortDirection, 2);
        EXPECT_EQ(F(a, "id")->SortDirection, 1);
    }
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

TEST_F(SortDialogTest, FieldPopupSortOrderOpensTheDialog)
{
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        EXPECT_NE(dynamic_cast<TfrmVSort*>(&f), nullptr);
        return ui::mrCancel;
    });
    a->FindComponent<ui::TMenuItem>("mnu_sortorder")->Click();
    EXPECT_EQ(dialogs.Asked().size(), 1u);
}

}  // namespace
