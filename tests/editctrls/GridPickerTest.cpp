// The program's grid with the real picker: made once from the class registry, bound to the
// current date column, placed over the current cell of an editable grid and read-only by the
// field's flag; in the read-only grid hidden and read-only, with Up and Down (the whole text
// selected) moving the grid's row.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editctrls/gkDBDateTimePicker.h"
#include "grid/PublishedDBGrid.h"
#include "platform/db/Fields.h"
#include "platform/ui/Messages.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/grid/GridTestSupport.h"

namespace {

using namespace editctrls;
using grid::TgkDBGrid;

class GridPicker : public gridtest::TGridFixture<TgkDBGrid> {
protected:
    static void SetUpTestSuite() { RegisterDateTimePickerClasses(); }
    void MakeDatedData()
    {
        ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
        ds->columns = {{"ID", db::ftInteger}, {"DUE", db::ftDateTime}};
        for (int i = 1; i <= 6; ++i) ds->AddRow({db::TVariant(i), db::TVariant(rtl::EncodeDate(2024, 1, i))});
        source->SetDataSet(ds.get());
    }
    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope{dialogs};
};

TEST_F(GridPicker, EditableGridPlacesTheRealPickerOverTheDateCell)
{
    MakeDatedData();
    ShowAndOpen();
    grid->SetFocus();
    grid->SetSelectedIndex(1);
    auto* picker = dynamic_cast<TgkDBDateTimePicker*>(grid->GridDateTimePicker());
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->Owner(), grid);
    EXPECT_EQ(picker->DataField(), "DUE");
    EXPECT_FALSE(picker->ReadOnly());
    EXPECT_EQ(picker->Text(), "1/1/2024");
    grid->Perform(ui::WM_PAINT);
    EXPECT_TRUE(picker->Visible());
    EXPECT_EQ(picker->BoundsRect(), grid->CellRect(grid->Col(), grid->Row()));
    ds->Next();
    EXPECT_EQ(picker->Text(), "1/2/2024");
    ds->FieldByName("DUE")->SetReadOnly(true);
    grid->SetSelectedIndex(0);
    grid->SetSelectedIndex(1);
    EXPECT_TRUE(picker->ReadOnly());
    EXPECT_FALSE(picker->CanEditValue());
}

TEST_F(GridPicker, ReadOnlyGridKeepsItHiddenAndItsArrowsMoveTheRow)
{
    MakeDatedData();
    grid->SetReadOnly(true);
    ShowAndOpen();
    grid->SetFocus();
    grid->SetSelectedIndex(1);
    auto* picker = dynamic_cast<TgkDBDateTimePicker*>(grid->GridDateTimePicker());
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(picker->ReadOnly());
    grid->Perform(ui::WM_PAINT);
    EXPECT_FALSE(picker->Visible());
    // Keys reaching the read-only picker: the whole text stays selected, so Down moves the
    // grid's row.
    picker->HighlightPart();
    EXPECT_EQ(picker->SelLength(), static_cast<int>(picker->Text().size()));
    const int before = ds->RecNo();
    ui::TKey down = ui::VK_DOWN;
    picker->KeyDown(down, {});
    EXPECT_EQ(ds->RecNo(), before + 1);
}

}  // namespace
