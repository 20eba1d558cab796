// The controls the grid core shows over its cells: custom controls found by name (in the
// form, inside a frame, in the data set's owner), the date-time picker a grid supplies for
// date-time columns, the column cache of control types, and placing a control over the
// current cell.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "grid/DBGrid.h"
#include "platform/ui/StdCtrls.h"
#include "tests/grid/GridTestSupport.h"

// A frame as the form designer makes them: a windowed control that owns its controls.
class TCustomFrame : public ui::TWinControl {
    GW_CLASS(TCustomFrame)

public:
    using ui::TWinControl::TWinControl;
};
GW_IMPLEMENT_CLASS(TCustomFrame, ui::TWinControl) {}

namespace {

using namespace grid;

// A grid with a date-time picker of its own, as the program's grid has.
class TPickerGrid : public TgkCustomDBGrid {
public:
    using TgkCustomDBGrid::TgkCustomDBGrid;
    ui::TWinControl* picker = nullptr;
    ui::TWinControl* GridDateTimePicker() const override { return picker; }
};

class GridCellControls : public gridtest::TGridFixture<TPickerGrid> {
protected:
    void MakeDatedData()
    {
        ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
        ds->columns = {{"ID", db::ftInteger}, {"CITY", db::ftString, 8}, {"DUE", db::ftDateTime}};
        for (int i = 1; i <= 3; ++i)
            ds->AddRow({db::TVariant(i), db::TVariant("c"), db::TVariant(rtl::TDateTime(45000.0 + i))});
        source->SetDataSet(ds.get());
    }

    template <class C>
    C* Add(classes::TComponent* owner, ui::TWinControl* parent, const std::string& name)
    {
        auto* c = new C(owner);
        c->SetName(name);
        c->SetParent(parent);
        return c;
    }
};

TEST_F(GridCellControls, FindsControlsByNameInTheFormAFrameOrNowhere)
{
    MakeData(3);
    ShowAndOpen();
    auto* edit = Add<ui::TEdit>(form.get(), form.get(), "Edit1");
    auto* frame = Add<TCustomFrame>(form.get(), form.get(), "Frame");
    auto* inFrame = Add<ui::TEdit>(frame, frame, "Edit");
    auto* label = new ui::TLabel(form.get());
    label->SetName("Label1");
    Add<ui::TEdit>(form.get(), form.get(), "Plain");
    EXPECT_EQ(grid->FindCustomControl("Edit1"), edit);
    EXPECT_EQ(grid->FindCustomControl("Frame.Edit"), inFrame);
    EXPECT_EQ(grid->FindCustomControl("Nothing"), nullptr);
    EXPECT_EQ(grid->FindCustomControl("Frame.Nothing"), nullptr);
    EXPECT_EQ(grid->FindCustomControl("Plain.Edit1"), nullptr);  // no frame; the data set has no owner
    EXPECT_EQ(grid->FindCustomControl("Label1"), nullptr);       // not windowed
    EXPECT_EQ(grid->FindCustomControl(""), nullptr);
    // "A.B" where A is no frame looks B up in the owner of the grid's data set.
    ui::TForm dataModule(nullptr);
    auto* owned = Add<ui::TEdit>(&dataModule, &dataModule, "Remote");
    auto* remote = new dbtest::TMemDataSet(&dataModule);
    source->SetDataSet(remote);
    EXPECT_EQ(grid->FindCustomControl("Plain.Remote"), owned);
    source->SetDataSet(ds.get());
}

TEST_F(GridCellControls, ADateColumnGetsTheGridsPickerWhichTheCacheLeavesOut)
{
    MakeDatedData();
    auto* picker = Add<ui::TEdit>(form.get(), grid, "Picker");
    grid->picker = picker;
    auto* cityEdit = Add<ui::TEdit>(form.get(), grid, "CityEdit");
    grid->ControlType()->SetText("CITY;CustomEdit;CityEdit;T\n");
    grid->SetControlInfoInDataset(false);
    ShowAndOpen();
    ui::TWinControl* found = nullptr;
    EXPECT_TRUE(grid->FindCellControl(3, 1, found));
    EXPECT_EQ(found, picker);
    found = nullptr;
    EXPECT_TRUE(grid->FindCellControl(2, 1, found));
    EXPECT_EQ(found, cityEdit);
    EXPECT_FALSE(grid->FindCellControl(1, 1, found));  // ID: nothing
    EXPECT_FALSE(grid->FindCellControl(3, 0, found));  // the title row
    EXPECT_FALSE(grid->FindCellControl(0, 1, found));  // the indicator
    grid->RefreshColInfoCache();
    ASSERT_EQ(grid->ColInfoCache().size(), 4u);
    EXPECT_EQ(grid->ColInfoCache()[2].Control, cityEdit);
    EXPECT_TRUE(grid->ColInfoCache()[2].ShowAlways);
    EXPECT_EQ(grid->ColInfoCache()[3].Control, nullptr);
    EXPECT_EQ(grid->ColInfoCache()[3].ControlType, "");
    // Switched off by the options.
    grid->SetEditControlOptions(grid->EditControlOptions() | TgkEditControlOptions{ecoDisableDateTimePicker});
    EXPECT_FALSE(grid->FindCellControl(3, 1, found));
    grid->SetEditControlOptions(grid->EditControlOptions() | TgkEditControlOptions{ecoDisableCustomControls});
    EXPECT_FALSE(grid->FindCellControl(2, 1, found));
    EXPECT_FALSE(grid->CustomControlsShown());
}

TEST_F(GridCellControls, TheCurrentCellsControlIsPlacedOverItWhenControlsShow)
{
    MakeDatedData();
    auto* cityEdit = Add<ui::TEdit>(form.get(), grid, "CityEdit");
    grid->ControlType()->SetText("CITY;CustomEdit;CityEdit;F\n");
    grid->SetControlInfoInDataset(false);
    ShowAndOpen();
    grid->SetSelectedIndex(1);
    cityEdit->SetBounds(0, 0, 5, 5);
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgRowSelect});
    grid->PlaceCellControl();  // controls never show over a selected row
    EXPECT_EQ(grid->PlacedControl(), nullptr);
    grid->SetOptions(grid->Options() - TgkDBGridOptions{dgRowSelect});
    grid->SetSelectedIndex(1);
    grid->ShowControlsAlways = true;
    EXPECT_TRUE(grid->CustomControlsShown());
    grid->PlaceCellControl();
    EXPECT_EQ(grid->PlacedControl(), cityEdit);
    const ui::TRect cell = grid->CellRect(grid->Col(), grid->Row());
    EXPECT_EQ(cityEdit->BoundsRect(), cell);
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgRowSelect});
    EXPECT_FALSE(grid->CustomControlsShown());
}

}  // namespace
