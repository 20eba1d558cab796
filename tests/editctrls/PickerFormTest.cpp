// The picker in a stored form: its published properties read from the component text form
// and written back.

#include <gtest/gtest.h>

#include <string>

#include "editctrls/gkDBDateTimePicker.h"
#include "platform/classes/Streaming.h"
#include "platform/ui/Forms.h"
#include "tests/grid/GridTestSupport.h"

namespace {

using namespace editctrls;

TEST(PickerForm, ReadsAndWritesItsPublishedProperties)
{
    RegisterDateTimePickerClasses();
    RegisterMonthCalendarClasses();
    gridtest::TFakeWindowSystem ws;
    ui::TForm form(nullptr);
    const std::string text = R"(object Pickers: TForm
  object due: TgkDBDateTimePicker
    Left = 8
    Top = 8
    Width = 160
    Height = 21
    BorderStyle = bsNone
    CalendarAttributes.Alignment = gkdtaRight
    CalendarAttributes.FirstDayOfWeek = gkdowMonday
    CalendarAttributes.Colors.TitleBackColor = clMaroon
    CalendarAttributes.PopupYearOptions.StartYear = 2000
    DateFormat = dfLong
    DisplayFormat = 'dd/mm/yyyy'
    Epoch = 1970
    Frame.Enabled = True
    Frame.FocusStyle = efsFrameSunken
    Interval.MinutesInterval = 15
    Interval.RoundMinutes = True
    ButtonStyle = cbsEllipsis
    ShowButton = False
    UnboundDataType = gkDTEdtDate
  end
end
)";
    classes::ReadComponentText(form, text);
    auto* p = dynamic_cast<TgkDBDateTimePicker*>(form.FindComponent("due"));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->BorderStyle(), ui::bsNone);
    EXPECT_EQ(p->CalendarAttributes()->Alignment, gkdtaRight);
    EXPECT_EQ(p->CalendarAttributes()->FirstDayOfWeek, gkdowMonday);
    EXPECT_EQ(p->CalendarAttributes()->Colors()->TitleBackColor(), rtl::clMaroon);
    EXPECT_EQ(p->CalendarAttributes()->PopupYearOptions()->StartYear(), 2000);
    EXPECT_EQ(p->DateFormat(), dfLong);
    EXPECT_EQ(p->DisplayFormat(), "dd/mm/yyyy");
    EXPECT_EQ(p->Epoch(), 1970);
    EXPECT_TRUE(p->Frame()->Enabled());
    EXPECT_EQ(p->Frame()->FocusStyle(), efsFrameSunken);
    EXPECT_EQ(p->Interval()->MinutesInterval(), 15);
    EXPECT_TRUE(p->Interval()->RoundMinutes);
    EXPECT_EQ(p->ButtonStyle(), cbsEllipsis);
    EXPECT_FALSE(p->ShowButton());
    EXPECT_EQ(p->UnboundDataType(), gkDTEdtDate);
    const std::string written = classes::WriteComponentText(form);
    for (const char* line : {"DisplayFormat = 'dd/mm/yyyy'", "Interval.MinutesInterval = 15", "ShowButton = False",
                             "CalendarAttributes.FirstDayOfWeek = gkdowMonday", "Frame.Enabled = True"})
        EXPECT_NE(written.find(line), std::string::npos) << line << "\n" << written;
    // Defaults are not written.
    EXPECT_EQ(written.find("ReadOnly"), std::string::npos) << written;
}

}  // namespace
