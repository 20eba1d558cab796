// The picker's drop-down calendar on a recording window system: when it opens and on what
// date, clicks on a date and on the day names, a press outside, Esc restoring the value of
// the drop-down moment (its character swallowed), F4 toggling, and the bounds passed on.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editctrls/gkCalendarPopup.h"
#include "editctrls/gkDBDateTimePicker.h"
#include "platform/rtl/DateTime.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Messages.h"
#include "tests/editctrls/PickerFixture.h"

namespace {

using namespace editctrls;
using rtl::EncodeDate;

class PickerDropDown : public pickertest::TPickerForm {
public:
    void SetUp() override
    {
        TPickerForm::SetUp();
        picker->SetUnboundDataType(gkDTEdtDate);
        picker->SetDisplayFormat("dd/mm/yyyy");
        form->Show();
    }
    void Click(ui::TPoint p)
    {
        TgkMonthCalendar* cal = picker->Calendar();
        cal->Perform(ui::WM_LBUTTONDOWN, ui::MK_LBUTTON, ui::MakeLParam(p.X, p.Y));
        cal->Perform(ui::WM_LBUTTONUP, 0, ui::MakeLParam(p.X, p.Y));
    }
    static ui::TPoint Centre(const ui::TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }
};

TEST_F(PickerDropDown, NeverForTimeOnlyOrReadOnly)
{
    picker->SetUnboundDataType(gkDTEdtTime);
    picker->DropDown();
    EXPECT_FALSE(picker->IsDroppedDown());
    picker->SetUnboundDataType(gkDTEdtDate);
    picker->SetReadOnly(true);
    picker->DropDown();
    EXPECT_FALSE(picker->IsDroppedDown());
    EXPECT_EQ(picker->Calendar(), nullptr);
}

TEST_F(PickerDropDown, AnEmptyPickerOpensOnTodayOrMinDate)
{
    picker->DropDown();
    ASSERT_TRUE(picker->IsDroppedDown());
    EXPECT_EQ(picker->Value(), rtl::Date());
    EXPECT_EQ(picker->Calendar()->Date(), rtl::Date());
    picker->CloseUp(false);
    EXPECT_FALSE(picker->IsDroppedDown());

    picker->SetValue(0);
    picker->SetMinDate(rtl::Date() + 10);
    picker->SetText({});
    picker->DropDown();
    EXPECT_EQ(picker->Value(), rtl::Date() + 10);
    // The picker's limits are the calendar's.
    EXPECT_EQ(picker->Calendar()->MinDate(), rtl::Date() + 10);
    EXPECT_EQ(picker->Calendar()->MaxDate(), EncodeDate(9999, 12, 31));
}

TEST_F(PickerDropDown, ADateClickTakesTheDateAndADayNameKeepsItOpen)
{
    picker->SetValue(EncodeDate(2024, 5, 15));
    picker->DropDown();
    ASSERT_TRUE(picker->IsDroppedDown());
    TgkMonthCalendar* cal = picker->Calendar();
    const ui::TRect first = cal->DayRect(EncodeDate(2024, 5, 1));
    ASSERT_GT(first.Height(), 0);
    Click({(first.Left + first.Right) / 2, first.Top - first.Height() / 2});  // the day names
    EXPECT_TRUE(picker->IsDroppedDown());
    Click(Centre(cal->DayRect(EncodeDate(2024, 5, 22))));
    EXPECT_FALSE(picker->IsDroppedDown());
    EXPECT_EQ(picker->Value(), EncodeDate(2024, 5, 22));
    EXPECT_EQ(picker->Text(), "22/05/2024");
    EXPECT_EQ(picker->SelLength(), static_cast<int>(picker->Text().size()));  // all selected after
}

TEST_F(PickerDropDown, APressOutsideClosesItKeepingTheDateShown)
{
    picker->SetValue(EncodeDate(2024, 5, 15));
    picker->DropDown();
    picker->Calendar()->Perform(ui::WM_KEYDOWN, ui::VK_RIGHT, 0);  // one day on
    EXPECT_EQ(picker->Value(), EncodeDate(2024, 5, 16));           // the picker follows
    ui::Application().FilterMouse(form.get(), ui::WM_LBUTTONDOWN, {390, 290});
    EXPECT_FALSE(picker->IsDroppedDown());
    EXPECT_EQ(picker->Value(), EncodeDate(2024, 5, 16));
}

TEST_F(PickerDropDown, EscRestoresTheDropDownValueAndSwallowsItsCharacter)
{
    picker->SetValue(EncodeDate(2024, 5, 15));
    picker->Perform(ui::CM_ENTER);  // the entry value
    picker->SetCurrentPart(1);
    ui::TKey k = '2';
    picker->KeyDown(k, {});
    k = '0';
    picker->KeyDown(k, {});
    ASSERT_EQ(picker->Text(), "20/05/2024");
    picker->DropDown();
    picker->Calendar()->Perform(ui::WM_KEYDOWN, ui::VK_DOWN, 0);  // a week on
    EXPECT_EQ(picker->Value(), EncodeDate(2024, 5, 27));
    k = ui::VK_ESCAPE;
    picker->KeyDown(k, {});
    EXPECT_FALSE(picker->IsDroppedDown());
    EXPECT_EQ(picker->Text(), "20/05/2024");  // the value of the drop-down moment
    char esc = '\x1b';
    picker->KeyPress(esc);
    EXPECT_EQ(picker->Text(), "20/05/2024");  // not the entry value
    picker->KeyPress(esc = '\x1b');
    EXPECT_EQ(picker->Text(), "15/05/2024");  // a second Esc resets the edit
}

TEST_F(PickerDropDown, F4AndAltDownToggle)
{
    picker->SetValue(EncodeDate(2024, 5, 15));
    ui::TKey k = ui::VK_F4;
    picker->KeyDown(k, {});
    EXPECT_TRUE(picker->IsDroppedDown());
    k = ui::VK_F4;
    picker->KeyDown(k, {});
    EXPECT_FALSE(picker->IsDroppedDown());
    k = ui::VK_DOWN;
    picker->KeyDown(k, {ui::ssAlt});
    EXPECT_TRUE(picker->IsDroppedDown());
    k = ui::VK_UP;
    picker->KeyDown(k, {ui::ssAlt});
    EXPECT_FALSE(picker->IsDroppedDown());
    // Leaving frees the calendar once the posted message arrives; the next drop-down makes one.
    picker->DropDown();
    picker->Perform(ui::CM_EXIT);
    EXPECT_FALSE(picker->IsDroppedDown());
    ws.queue.DeliverAll();
    EXPECT_EQ(picker->Calendar(), nullptr);
    picker->DropDown();
    EXPECT_NE(picker->Calendar(), nullptr);
}

}  // namespace
