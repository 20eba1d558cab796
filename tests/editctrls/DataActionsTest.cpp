// A data-set action without a handler of its own reaches the data set of whichever bound
// control has the focus, through the control's field data link; the same control unbound
// leaves the action unhandled.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <functional>
#include <memory>
#include <string>

#include "editctrls/gkCheckBox.h"
#include "editctrls/gkDBComb.h"
#include "editctrls/gkDBEdit.h"
#include "editctrls/gkDBRichEdit.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/db/MemDataSet.h"
#include "tests/grid/GridTestSupport.h"

namespace {

using namespace editctrls;

struct TBound {
    const char* name;
    // Makes the control on `form`, bound to the field NAME of `source` when given one.
    std::function<ui::TWinControl*(ui::TForm&, db::TDataSource*)> make;
};

template <class C>
ui::TWinControl* Make(ui::TForm& form, db::TDataSource* source)
{
    auto* c = new C(&form);
    c->SetParent(&form);
    c->SetBounds(10, 10, 160, 24);
    if (source != nullptr) {
        c->SetDataSource(source);
        c->SetDataField("NAME");
    }
    return c;
}

class DataActions : public ::testing::TestWithParam<TBound> {
protected:
    static void SetUpTestSuite() { ui::qt::Install(); }
    void SetUp() override
    {
        ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
        ds->columns = {{"NAME", db::ftString, 20}};
        ds->AddRow({db::TVariant("one")});
        ds->AddRow({db::TVariant("two")});
        source = std::make_unique<db::TDataSource>(nullptr);
        source->SetDataSet(ds.get());
        form = std::make_unique<ui::TForm>(nullptr);
        form->SetBounds(100, 100, 300, 120);
        ds->Open();
    }
    void TearDown() override
    {
        form.reset();
        source.reset();
        ds.reset();
    }
    void ShowAndFocus(ui::TWinControl* control)
    {
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(ui::qt::WidgetOf(*form)));
        control->SetFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return ui::Screen().ActiveControl() == control; }));
    }

    std::unique_ptr<dbtest::TMemDataSet> ds;
    std::unique_ptr<db::TDataSource> source;
    std::unique_ptr<ui::TForm> form;
};

TEST_P(DataActions, ReachTheFocusedControlsDataSet)
{
    ShowAndFocus(GetParam().make(*form, source.get()));
    gridtest::TNextRecordAction next(nullptr);
    EXPECT_TRUE(next.Update());
    EXPECT_TRUE(next.Enabled());
    EXPECT_TRUE(next.Execute());
    EXPECT_EQ(ds->RecNo(), 2);
}

TEST_P(DataActions, PassByAnUnboundControl)
{
    ShowAndFocus(GetParam().make(*form, nullptr));
    gridtest::TNextRecordAction next(nullptr);
    EXPECT_FALSE(next.Execute());
    EXPECT_EQ(ds->RecNo(), 1);
}

INSTANTIATE_TEST_SUITE_P(Controls, DataActions,
                         ::testing::Values(TBound{"MaskedEdit", &Make<TgkDBCustomEdit>},
                                           TBound{"ComboBox", &Make<TgkDBComboBox>},
                                           TBound{"CheckBox", &Make<TgkCheckBox>},
                                           TBound{"RichEdit", &Make<TgkDBRichEdit>}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
