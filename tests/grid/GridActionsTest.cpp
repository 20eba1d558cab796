// Actions without handlers of their own reach the data set of the focused grid through the
// grid's data link; the grid's own handling comes first, and an unlinked control leaves the
// action unhandled.

#include <gtest/gtest.h>

#include <memory>

#include "grid/DBGrid.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Forms.h"
#include "tests/grid/GridTestSupport.h"

namespace {

using grid::TgkCustomDBGrid;

using GridActions = gridtest::TGridFixture<TgkCustomDBGrid>;

// Acts on a grid itself when offered one.
class TGridAction : public ui::TCustomAction {
public:
    using TCustomAction::TCustomAction;
    bool HandlesTarget(classes::TObject* target) override { return dynamic_cast<TgkCustomDBGrid*>(target) != nullptr; }
    void ExecuteTarget(classes::TObject* /*target*/) override { ++executed; }
    int executed = 0;
};

TEST_F(GridActions, ADataSetActionMovesTheFocusedGridsRecordAndFollowsItsState)
{
    MakeData(2);
    ShowAndOpen();
    grid->SetFocus();
    gridtest::TNextRecordAction next(nullptr);

    EXPECT_TRUE(next.Update());
    EXPECT_TRUE(next.Enabled());
    EXPECT_TRUE(next.Execute());
    EXPECT_EQ(ds->RecNo(), 2);
    EXPECT_TRUE(next.Execute());  // past the last record: the data set reports its end
    EXPECT_TRUE(ds->Eof());
    EXPECT_TRUE(next.Update());
    EXPECT_FALSE(next.Enabled());
    EXPECT_FALSE(next.Execute());  // disabled actions do nothing
}

TEST_F(GridActions, HandlersOfItsOwnAndTheGridsOwnHandlingComeFirst)
{
    MakeData(2);
    ShowAndOpen();
    grid->SetFocus();

    gridtest::TNextRecordAction handled(nullptr);
    int calls = 0;
    handled.OnExecute = [&](classes::TObject*) { ++calls; };
    EXPECT_TRUE(handled.Execute());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(ds->RecNo(), 1);

    TGridAction onGrid(nullptr);
    EXPECT_TRUE(onGrid.Execute());
    EXPECT_EQ(onGrid.executed, 1);
    EXPECT_EQ(ds->RecNo(), 1);
}

TEST_F(GridActions, AnUnlinkedFocusedControlLeavesTheActionUnhandled)
{
    MakeData(2);
    auto* edit = new ui::TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(0, 250, 100, 20);
    ShowAndOpen();
    edit->SetFocus();
    ASSERT_TRUE(edit->Focused());

    gridtest::TNextRecordAction next(nullptr);
    EXPECT_FALSE(next.Execute());
    EXPECT_EQ(ds->RecNo(), 1);

    grid->SetDataSource(nullptr);  // a grid without a link has nothing to offer either
    grid->SetFocus();
    EXPECT_FALSE(next.Execute());
    EXPECT_EQ(ds->RecNo(), 1);
}

}  // namespace
