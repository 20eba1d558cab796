// The picker over the bundled SQLite sample through the ADO query: the orders' date, time
// and time-stamp columns shown, and a null shipping time shown empty. ADO sets are
// read-only here, so the pickers never edit.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editctrls/gkDBDateTimePicker.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Files.h"
#include "platform/ui/Forms.h"
#include "tests/grid/GridTestSupport.h"

namespace {

using namespace editctrls;

TEST(PickerSample, OrdersDateTimeAndStamp)
{
    gridtest::TFakeWindowSystem ws;
    ui::Application().Reset();
    const std::string file = std::string(GW_BINARY_DIR) + "/share/Data/DBSamples/Sample1.db";
    ASSERT_TRUE(rtl::FileExists(file)) << "the build makes " << file;
    db::TADOConnection conn{nullptr};
    conn.SetLoginPrompt(false);
    conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + file));
    conn.Open();
    db::TADOQuery query{nullptr};
    query.SetConnection(&conn);
    query.SQL()->SetText("SELECT order_id, order_date, order_time, shipped_at FROM orders ORDER BY order_id");
    db::TDataSource source{nullptr};
    source.SetDataSet(&query);
    ui::TForm form(nullptr);
    struct Column {
        const char* field;
        const char* format;
        TgkDBDateTimePicker* picker = nullptr;
    } columns[] = {{"order_date", "yyyy-mm-dd"}, {"order_time", "hh:nn"}, {"shipped_at", "yyyy-mm-dd hh:nn"}};
    int top = 0;
    for (Column& c : columns) {
        c.picker = new TgkDBDateTimePicker(&form);
        c.picker->SetParent(&form);
        c.picker->SetBounds(0, top += 25, 160, 21);
        c.picker->SetDisplayFormat(c.format);
        c.picker->SetDataSource(&source);
        c.picker->SetDataField(c.field);
    }
    query.Open();
    // Order 10001: 2 January 2023 + 3 days, 08:37, shipped 5 days and a minute after
    // 2 January 14:30; order 10009 is not shipped.
    EXPECT_EQ(columns[0].picker->Text(), "2023-01-05");
    EXPECT_EQ(columns[1].picker->Text(), "08:37");
    EXPECT_EQ(columns[2].picker->Text(), "2023-01-07 14:31");
    EXPECT_TRUE(columns[1].picker->IsTimeOnly());
    EXPECT_TRUE(columns[0].picker->IsDateOnly());
    for (const Column& c : columns) EXPECT_FALSE(c.picker->CanEditValue()) << c.field;
    query.MoveBy(8);
    EXPECT_EQ(query.FieldByName("order_id")->AsInteger(), 10009);
    EXPECT_TRUE(query.FieldByName("shipped_at")->IsNull());
    EXPECT_EQ(columns[2].picker->Text(), "");
    EXPECT_EQ(columns[0].picker->Text(), "2023-01-29");
    query.Close();
}

}  // namespace
