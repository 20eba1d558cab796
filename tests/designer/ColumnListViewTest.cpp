#include "designer/ColumnListView.h"
#include "platform/ui/ComCtrls.h"

#include <gtest/gtest.h>

using namespace designer;

namespace {

TEST(ColumnListView, ModelRowsLiveInTheListView)
{
    ui::TListView view(nullptr);
    view.SetViewStyle(ui::vsReport);
    view.SetCheckboxes(true);
    TColumnListViewAdapter adapter(view);
    TColumnModel model;
    model.SetListView(&adapter);

    model.RebuildColumnList("Update", std::vector<TColumnField>{{"Id", db::ftInteger}, {"Name", db::ftString}, {"Added", db::ftDate}});
    ASSERT_EQ(view.Items()->Count(), 3);
    ui::TListItem& first = *view.Items()->Item(0);
    EXPECT_EQ(first.Caption(), "ID");
    EXPECT_TRUE(first.Checked());
    EXPECT_EQ(first.SubItems()->Text(), "Id\r\n#,###,##0\r\nRight\r\nText\r\n[Cell Value]\r\n\r\n");

    model.ShowModeList.Put(2, "Hide");
    model.RebuildListView();
    EXPECT_FALSE(view.Items()->Item(2)->Checked());

    model.ExchangeColumns(2, 0);
    EXPECT_EQ(view.Items()->Item(0)->Caption(), "ADDED");
    EXPECT_FALSE(view.Items()->Item(0)->Checked());
    EXPECT_EQ(view.Items()->Item(0)->SubItems()->Strings(1), "6/19/1994");
    EXPECT_EQ(view.Items()->Item(2)->Caption(), "ID");
    EXPECT_TRUE(view.Items()->Item(2)->Checked());
    EXPECT_EQ(view.ItemIndex(), 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(adapter.Item(i), model.ListItem(i));

    model.RebuildColumnList("Update", std::vector<TColumnField>{});
    EXPECT_EQ(view.Items()->Count(), 0);
}

}  // namespace
