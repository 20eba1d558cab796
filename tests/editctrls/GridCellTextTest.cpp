// The grid's cell text through the library's own controls: a radio group shows the caption of
// the button for the stored value, and a rich-text memo column shows its text, read by a hidden
// data-aware rich edit.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editctrls/gkCheckBox.h"
#include "editctrls/gkDBRichEdit.h"
#include "editctrls/gkRadioGroup.h"
#include "grid/PublishedDBGrid.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/db/MemDataSet.h"

namespace {

using namespace editctrls;

class GridCellText : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ui::qt::Install();
        RegisterRichEditClasses();
        RegisterCheckBoxClasses();
    }
    void SetUp() override
    {
        ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
        ds->columns = {{"ID", db::ftInteger}, {"SIZE", db::ftString, 4}, {"NOTES", db::ftMemo}};
        ds->AddRow({db::TVariant(1), db::TVariant("M"), db::TVariant("{\\rtf1\\ansi \\b bold\\b0  plain}")});
        ds->AddRow({db::TVariant(2), db::TVariant("XL"), db::TVariant("first line")});
        source = std::make_unique<db::TDataSource>(nullptr);
        source->SetDataSet(ds.get());
        form = std::make_unique<ui::TForm>(nullptr);
        form->SetBounds(0, 0, 500, 300);
        radio = new TgkRadioGroup(form.get());
        radio->SetName("SizeRadio");
        radio->SetParent(form.get());
        radio->SetVisible(false);
        for (const char* item : {"Small", "Medium", "Large"}) radio->Items()->Add(item);
        for (const char* value : {"S", "M", "L"}) radio->Values()->Add(value);
        grid = new grid::TgkDBGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 480, 200);
        grid->ControlType()->SetText("SIZE;Combo;SizeRadio\r\nNOTES;RichEdit;SizeRadio");
        grid->SetDataSource(source.get());
        form->Show();
        ds->Open();
    }
    void TearDown() override
    {
        form.reset();
        source.reset();
        ds.reset();
    }

    std::unique_ptr<dbtest::TMemDataSet> ds;
    std::unique_ptr<db::TDataSource> source;
    std::unique_ptr<ui::TForm> form;
    TgkRadioGroup* radio = nullptr;
    grid::TgkDBGrid* grid = nullptr;
};

TEST_F(GridCellText, RadioCaptionsAndRichTextComeFromTheControls)
{
    struct Case {
        int record;
        int dataCol;
        std::string text;
    };
    for (const Case& c : {Case{1, 1, "Medium"}, Case{2, 1, ""}, Case{1, 2, "bold plain"}, Case{2, 2, "first line"}}) {
        ds->First();
        ds->MoveBy(c.record - 1);
        EXPECT_EQ(grid->GetFieldValue(c.dataCol), c.text) << "record " << c.record << ", column " << c.dataCol;
    }
}

}  // namespace
