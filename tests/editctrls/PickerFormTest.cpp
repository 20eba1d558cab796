// The picker in a stored form: its published properties read from the component text form
// and written back.

#include <gtest/gtest.h>

#include <any>
#include <functional>
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

// Members the layer gives no meaning are still read and written, so a stored form keeps them;
// the button's picture is stored only with the custom style.
TEST(PickerForm, KeepsStoredOnlyMembersAndTheCustomGlyph)
{
    RegisterDateTimePickerClasses();
    gridtest::TFakeWindowSystem ws;
    ui::TForm form(nullptr);
    int boldCalls = 0;
    form.RegisterHandler("BoldDays", std::any(std::function<void(classes::TObject*, rtl::TDateTime, int, int, int,
                                                                 bool&)>(
                                         [&](classes::TObject*, rtl::TDateTime, int, int, int, bool&) { ++boldCalls; })));
    const std::string text = R"(object Pickers: TForm
  object due: TgkDBDateTimePicker
    Left = 8
    Top = 8
    Width = 160
    Height = 21
    BiDiMode = bdRightToLeft
    ParentBiDiMode = False
    Constraints.MaxWidth = 300
    Constraints.MinHeight = 19
    DragCursor = -21
    ImeMode = imClose
    ImeName = 'Input'
    OnCalcBoldDay = BoldDays
  end
end
)";
    classes::ReadComponentText(form, text);
    auto* p = dynamic_cast<TgkDBDateTimePicker*>(form.FindComponent("due"));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->StoredProps().biDiMode, ui::bdRightToLeft);
    EXPECT_FALSE(p->StoredProps().parentBiDiMode);
    EXPECT_EQ(p->StoredProps().constraints.MaxWidth, 300);
    EXPECT_EQ(p->StoredProps().constraints.MinHeight, 19);
    EXPECT_EQ(p->DragCursor(), ui::crHandPoint);
    EXPECT_EQ(p->StoredProps().imeMode, ui::imClose);
    EXPECT_EQ(p->StoredProps().imeName, "Input");
    bool accept = false;
    p->OnCalcBoldDay(p, 0, 1, 1, 2024, accept);
    EXPECT_EQ(boldCalls, 1);

    std::string written = classes::WriteComponentText(form);
    for (const char* line : {"BiDiMode = bdRightToLeft", "ParentBiDiMode = False", "Constraints.MaxWidth = 300",
                             "Constraints.MinHeight = 19", "DragCursor = -21", "ImeMode = imClose",
                             "ImeName = 'Input'", "OnCalcBoldDay = BoldDays"})
        EXPECT_NE(written.find(line), std::string::npos) << line << "\n" << written;
    EXPECT_EQ(written.find("ButtonGlyph"), std::string::npos) << written;

    // A custom picture goes out with the custom style and comes back with it.
    ui::TPicture picture;  // a narrower face than the picker would draw for itself
    {
        TgkDBDateTimePicker narrow(nullptr);
        narrow.SetButtonWidth(9);
        picture.Assign(*narrow.ButtonGlyph());
    }
    ASSERT_NE(picture.Width(), p->ButtonGlyph()->Width());
    p->SetButtonStyle(cbsCustom);
    p->SetButtonGlyph(&picture);
    written = classes::WriteComponentText(form);
    EXPECT_NE(written.find("ButtonGlyph.Data"), std::string::npos) << written;
    ui::TForm again(nullptr);
    again.RegisterHandler("BoldDays", std::any(std::function<void(classes::TObject*, rtl::TDateTime, int, int, int,
                                                                  bool&)>(
                                          [](classes::TObject*, rtl::TDateTime, int, int, int, bool&) {})));
    classes::ReadComponentText(again, written);
    auto* q = dynamic_cast<TgkDBDateTimePicker*>(again.FindComponent("due"));
    ASSERT_NE(q, nullptr);
    EXPECT_TRUE(q->IsCustomButtonStyle());
    EXPECT_EQ(q->ButtonGlyph()->Width(), picture.Width());
    EXPECT_EQ(q->ButtonGlyph()->Bytes(), picture.Bytes());
}

}  // namespace
