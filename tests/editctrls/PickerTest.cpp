// The date-time picker driven through its key, mouse and clipboard entry points on a
// recording window system (7-pixel characters), with fixed US settings.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "editctrls/gkDBDateTimePicker.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Formatting.h"
#include "platform/rtl/Log.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Screen.h"
#include "tests/editctrls/PickerFixture.h"

namespace {

using namespace editctrls;
using rtl::EncodeDate;
using rtl::EncodeDateTime;

class PickerTest : public pickertest::TPickerForm {
public:
    void SetUp() override
    {
        TPickerForm::SetUp();
        form->Show();
        previousBeep = ui::SetBeepHandler([this] { ++beeps; });
    }
    void TearDown() override
    {
        ui::SetBeepHandler(previousBeep);
        TPickerForm::TearDown();
    }
    void Key(ui::TKey key, ui::TShiftState shift = {})
    {
        picker->KeyDown(key, shift);
        if (key == ui::VK_SPACE) {
            char c = ' ';
            picker->KeyPress(c);
        }
    }
    void Char(char c) { picker->KeyPress(c); }
    void Type(const std::string& keys)
    {
        for (char c : keys) Key(static_cast<ui::TKey>(c));
    }
    std::string Selected() const { return picker->Text().substr(picker->SelStart(), picker->SelLength()); }

    std::function<void()> previousBeep;
    int beeps = 0;
};

TEST_F(PickerTest, ShownTexts)
{
    struct Case {
        const char* name;
        TgkDTEditDataType kind;
        std::string format;
        rtl::TDateTime value;
        std::string text;
    } cases[] = {
        {"zero date", gkDTEdtDate, "", 0, ""},
        {"zero time is midnight", gkDTEdtTime, "", 0, "0:00"},
        {"general format at midnight", gkDTEdtDateTime, "", EncodeDate(2024, 3, 7), "3/7/2024"},
        {"general format with a time", gkDTEdtDateTime, "", EncodeDateTime(2024, 3, 7, 14, 5, 0, 0),
         "3/7/2024 2:05:00 PM"},
        {"own format", gkDTEdtDateTime, "dd/mm/yyyy hh:nn", EncodeDateTime(2024, 3, 7, 14, 5, 0, 0),
         "07/03/2024 14:05"},
        {"time only", gkDTEdtTime, "", EncodeDateTime(1899, 12, 30, 9, 30, 0, 0), "9:30"},
    };
    for (const Case& c : cases) {
        picker->SetUnboundDataType(c.kind);
        picker->SetDisplayFormat(c.format);
        picker->SetValue(c.value);
        EXPECT_EQ(picker->DisplayTextFor(c.value), c.text) << c.name;
        picker->SetValue(EncodeDate(2000, 1, 1));
    }
    // The general format at midnight shows the date parts only.
    picker->SetUnboundDataType(gkDTEdtDateTime);
    picker->SetDisplayFormat("");
    picker->SetValue(EncodeDate(2024, 3, 7));
    EXPECT_EQ(picker->ShownPartCount(), 3);
    EXPECT_FALSE(picker->IsLastPartShown());
}

TEST_F(PickerTest, RangeLimits)
{
    picker->SetUnboundDataType(gkDTEdtDate);
    picker->SetMaxDate(EncodeDate(2024, 6, 30));
    try {
        picker->SetMinDate(EncodeDate(2024, 7, 1));
        FAIL() << "MinDate after MaxDate was taken";
    } catch (const EDateTimeError& e) {
        EXPECT_EQ(std::string(e.what()), "Date exceeds maximum of 6/30/2024");
    }
    EXPECT_EQ(picker->MinDate(), 0);  // the old bound stays
    picker->SetMinDate(EncodeDate(2024, 1, 1));
    try {
        picker->SetMaxDate(EncodeDate(2023, 12, 31));
        FAIL();
    } catch (const EDateTimeError& e) {
        EXPECT_EQ(std::string(e.what()), "Date is less than minimum of 1/1/2024");
    }
    EXPECT_EQ(picker->MaxDate(), EncodeDate(2024, 6, 30));
    // A value beyond the maximum is stored and shown, then the error comes.
    EXPECT_THROW(picker->SetValue(EncodeDate(2024, 8, 1)), EDateTimeError);
    EXPECT_EQ(picker->Value(), EncodeDate(2024, 8, 1));
    EXPECT_EQ(picker->Text(), "8/1/2024");
}

struct TypingCase {
    const char* name;
    TgkDTEditDataType kind;
    std::string format;
    rtl::TDateTime start;
    int part;
    std::function<void(PickerTest&)> keys;
    std::string text;
    int beeps = 0;
};

class PickerTypingTest : public PickerTest {
public:
    void Run(const TypingCase& c)
    {
        Char('\x1b');  // nothing typed is left over from the case before
        beeps = 0;
        picker->SetUnboundDataType(c.kind);
        picker->SetDisplayFormat(c.format);
        picker->SetValue(c.start);
        picker->RefreshText();
        picker->SetCurrentPart(c.part);
        picker->HighlightPart();
        c.keys(*this);
        EXPECT_EQ(picker->Text(), c.text) << c.name;
        EXPECT_EQ(beeps, c.beeps) << c.name;
        picker->Interval()->SetMinutesInterval(1);
        picker->Interval()->RoundMinutes = false;
    }
};

TEST_F(PickerTypingTest, TypingAndSteppingTable)
{
    const auto keys = [](std::string s) { return [s](PickerTest& t) { t.Type(s); }; };
    const rtl::TDateTime jan10 = EncodeDate(2024, 1, 10);
    const rtl::TDateTime feb10 = EncodeDate(2024, 2, 10);
    const TypingCase cases[] = {
        {"3 then 1", gkDTEdtDate, "dd/mm/yyyy", jan10, 1, keys("31"), "31/01/2024"},
        {"4 completes the day", gkDTEdtDate, "dd/mm/yyyy", jan10, 1, keys("4"), "04/01/2024"},
        {"0 0 keeps the day", gkDTEdtDate, "dd/mm/yyyy", jan10, 1, keys("00"), "10/01/2024"},
        {"31 in February moves to January", gkDTEdtDate, "dd/mm/yyyy", feb10, 1, keys("31"), "31/01/2024"},
        {"32 beeps", gkDTEdtDate, "dd/mm/yyyy", jan10, 1, keys("32"), "3/01/2024", 1},
        {"month 13 beeps", gkDTEdtDate, "dd/mm/yyyy", jan10, 2, keys("13"), "10/1/2024", 1},
        {"yy 49", gkDTEdtDate, "dd/mm/yy", jan10, 3, keys("49"), "10/01/49"},
        {"yy 50", gkDTEdtDate, "dd/mm/yy", jan10, 3, keys("50"), "10/01/50"},
        {"yyyy 2 then Right", gkDTEdtDate, "dd/mm/yyyy", jan10, 3,
         [](PickerTest& t) {
             t.Type("2");
             t.Key(ui::VK_RIGHT);
         },
         "10/01/2002"},
        {"yyyy 1999", gkDTEdtDate, "dd/mm/yyyy", jan10, 3, keys("1999"), "10/01/1999"},
        {"yyyy 0000 keeps the entry year", gkDTEdtDate, "dd/mm/yyyy", jan10, 3, keys("0000"), "10/01/2024"},
        {"interval 15 rounded from 07", gkDTEdtTime, "hh:nn", EncodeDateTime(1899, 12, 30, 9, 7, 0, 0), 2,
         [](PickerTest& t) {
             t.picker->Interval()->SetMinutesInterval(15);
             t.picker->Interval()->RoundMinutes = true;
             t.Key(ui::VK_UP);
         },
         "09:15"},
        {"interval 15 rounded from 50", gkDTEdtTime, "hh:nn", EncodeDateTime(1899, 12, 30, 9, 50, 0, 0), 2,
         [](PickerTest& t) {
             t.picker->Interval()->SetMinutesInterval(15);
             t.picker->Interval()->RoundMinutes = true;
             t.Key(ui::VK_UP);
         },
         "09:00"},
        {"interval 0 acts as 1", gkDTEdtTime, "hh:nn", EncodeDateTime(1899, 12, 30, 9, 50, 0, 0), 2,
         [](PickerTest& t) {
             t.picker->Interval()->SetMinutesInterval(0);
             t.picker->Interval()->RoundMinutes = true;
             t.Key(ui::VK_UP);
         },
         "09:51"},
        {"negative step wraps to a valid minute", gkDTEdtTime, "hh:nn", EncodeDateTime(1899, 12, 30, 9, 5, 0, 0), 2,
         [](PickerTest& t) {
             t.picker->Interval()->SetMinutesInterval(15);
             t.Key(ui::VK_DOWN);
         },
         "09:50"},
        {"Up on hour 23", gkDTEdtDateTime, "dd/mm/yyyy hh:nn", EncodeDateTime(2024, 1, 10, 23, 0, 0, 0), 4,
         [](PickerTest& t) { t.Key(ui::VK_UP); }, "10/01/2024 00:00"},
        {"Up on day 31 wraps", gkDTEdtDate, "dd/mm/yyyy", EncodeDate(2024, 1, 31), 1,
         [](PickerTest& t) { t.Key(ui::VK_UP); }, "01/01/2024"},
        {"Down on February 29's year", gkDTEdtDate, "dd/mm/yyyy", EncodeDate(2024, 2, 29), 3,
         [](PickerTest& t) { t.Key(ui::VK_DOWN); }, "28/02/2023"},
        {"End on the month", gkDTEdtDate, "dd/mm/yyyy", jan10, 2, [](PickerTest& t) { t.Key(ui::VK_END); },
         "10/12/2024"},
        {"month letter", gkDTEdtDate, "dd mmm yyyy", jan10, 2, keys("J"), "10 Jun 2024"},
        {"pm by letter", gkDTEdtTime, "h:nn am/pm", EncodeDateTime(1899, 12, 30, 9, 5, 0, 0), 3, keys("P"),
         "9:05 pm"},
        {"Delete removes the time under the general format", gkDTEdtDateTime, "",
         EncodeDateTime(2024, 3, 7, 14, 5, 0, 0), 4, [](PickerTest& t) { t.Key(ui::VK_DELETE); }, "3/7/2024"},
        {"Delete on a date part clears", gkDTEdtDateTime, "", EncodeDateTime(2024, 3, 7, 14, 5, 0, 0), 2,
         [](PickerTest& t) { t.Key(ui::VK_DELETE); }, ""},
        {"plus steps up", gkDTEdtDate, "dd/mm/yyyy", jan10, 1, [](PickerTest& t) { t.Char('+'); }, "11/01/2024"},
        {"separator after one digit completes", gkDTEdtDate, "dd/mm/yyyy", jan10, 1,
         [](PickerTest& t) {
             t.Type("3");
             t.Char('/');
             t.Type("5");
         },
         "03/05/2024"},
        {"Backspace applies typed digits and moves left", gkDTEdtDate, "dd/mm/yyyy", jan10, 2,
         [](PickerTest& t) {
             t.Type("1");
             t.Key(ui::VK_BACK);
             t.Type("4");
         },
         "04/01/2024"},
    };
    for (const TypingCase& c : cases) Run(c);
}

TEST_F(PickerTest, YearPartTakesOneTo9999Only)
{
    picker->SetUnboundDataType(gkDTEdtDate);
    picker->SetDisplayFormat("dd/mm/yyyy");
    picker->SetValue(EncodeDate(2024, 1, 10));
    picker->SetCurrentPart(3);
    picker->ApplyDateParts(10000, 1, 10, 0, 0, 0, 0);  // clamped, never an encode error
    EXPECT_EQ(picker->Text(), "10/01/9999");
}

TEST_F(PickerTest, SpaceEscCutAndPaste)
{
    picker->SetUnboundDataType(gkDTEdtDateTime);
    const rtl::TDateTime before = rtl::Now();
    Key(ui::VK_SPACE);
    EXPECT_GE(picker->Value(), before - 1.0 / 86400);
    EXPECT_FALSE(picker->Text().empty());

    picker->SetDisplayFormat("dd/mm/yyyy");
    picker->SetValue(EncodeDate(2024, 5, 1));
    picker->Perform(ui::CM_ENTER);  // the entry value
    picker->SetCurrentPart(1);
    Type("2");
    Type("0");
    EXPECT_EQ(picker->Text(), "20/05/2024");
    Char('\x1b');
    EXPECT_EQ(picker->Text(), "01/05/2024");
    EXPECT_EQ(picker->CurrentPart(), 1);

    picker->SelectAll();
    picker->Perform(ui::WM_CUT);
    EXPECT_EQ(picker->Text(), "");
    EXPECT_EQ(picker->Value(), 0);
    EXPECT_EQ(ui::Clipboard().AsText(), "01/05/2024");

    ui::Clipboard().SetAsText("12/25/2023");
    picker->Perform(ui::WM_PASTE);
    EXPECT_EQ(picker->Text(), "25/12/2023");
    ui::Clipboard().SetAsText("no date at all");
    picker->Perform(ui::WM_PASTE);
    EXPECT_EQ(picker->Text(), "25/12/2023");  // the value stays
}

TEST_F(PickerTest, ReadOnlyKeepsAllSelectedAndClickPicksAPart)
{
    picker->SetUnboundDataType(gkDTEdtDate);
    picker->SetDisplayFormat("dd/mm/yyyy");
    picker->SetValue(EncodeDate(2024, 1, 10));
    // Seven-pixel characters: "10/01/2024" from x = 1 (the edit's margin).
    picker->MouseDown(ui::mbLeft, {}, 1 + 7 * 4, 5);
    EXPECT_EQ(picker->CurrentPart(), 2);
    EXPECT_EQ(Selected(), "01");
    picker->MouseDown(ui::mbLeft, {}, 1 + 7 * 9, 5);
    EXPECT_EQ(picker->CurrentPart(), 3);

    picker->SetReadOnly(true);
    for (ui::TKey key : {ui::TKey(ui::VK_LEFT), ui::TKey(ui::VK_UP), ui::TKey('5'), ui::TKey(ui::VK_DELETE)}) {
        Key(key);
        EXPECT_EQ(picker->Text(), "10/01/2024");
        EXPECT_EQ(Selected(), "10/01/2024");
    }
    picker->MouseDown(ui::mbLeft, {}, 1 + 7 * 4, 5);
    EXPECT_EQ(Selected(), "10/01/2024");
}

// A handler's exception on the pointer's arrival or departure does not stop the picker, and a
// data field the data set does not hold leaves it bound to nothing; neither goes unlogged.
TEST_F(PickerTest, SwallowedFaultsAreLoggedWithWhere)
{
    struct Row {
        const char* name;
        std::function<void()> act;
        const char* where;
    };
    picker->OnMouseEnter = [](classes::TObject*) { throw rtl::Exception("enter failed"); };
    picker->OnMouseLeave = [](classes::TObject*) { throw std::runtime_error("leave failed"); };
    const Row rows[] = {
        {"enter", [&] { picker->Perform(ui::CM_MOUSEENTER); }, "TgkDBCustomDateTimePicker OnMouseEnter: enter failed"},
        {"leave", [&] { picker->Perform(ui::CM_MOUSELEAVE); }, "TgkDBCustomDateTimePicker OnMouseLeave: leave failed"},
    };
    for (const Row& row : rows) {
        rtl::TLogCapture log;
        EXPECT_NO_THROW(row.act()) << row.name;
        ASSERT_EQ(log.Lines().size(), 1u) << row.name;
        EXPECT_EQ(log.Lines()[0], row.where) << row.name;
    }
}

// What the picker answers as a data-aware control, and its text's place after a font change.
TEST_F(PickerTest, AnswersItsDataLinkAndRelaysTextOnFontChange)
{
    EXPECT_EQ(reinterpret_cast<db::TFieldDataLink*>(picker->Perform(CM_GETDATALINK)), picker->DataLink());
    const ui::TRect laidOut = picker->TextMargins();
    picker->SetTextMargins({0, 0, 0, 0});
    picker->Font()->SetSize(picker->Font()->Size() + 2);
    EXPECT_EQ(ui::FormatRect(picker->TextMargins()), ui::FormatRect(laidOut));
    // The button follows the picker's enabled state.
    picker->SetEnabled(false);
    EXPECT_FALSE(picker->Button()->Enabled());
    picker->SetEnabled(true);
    EXPECT_TRUE(picker->Button()->Enabled());
}

// On a form the picker paints itself as a grid cell does while another control has the focus:
// its alignment against the button, the frame's unfocused colours; focused, the window's own
// edit shows.
TEST_F(PickerTest, PaintsItselfUnfocusedOnAForm)
{
    picker->SetUnboundDataType(gkDTEdtDate);
    picker->SetDisplayFormat("dd/mm/yyyy");
    picker->SetValue(EncodeDate(2024, 1, 10));
    EXPECT_FALSE(picker->PaintsOver() && picker->Focused());  // focused: the edit's own painting
    auto* other = new ui::TEdit(form.get());
    other->SetParent(form.get());
    other->SetFocus();
    ASSERT_FALSE(picker->Focused());
    const auto paint = [&] {
        ui::TRecordingCanvas canvas(7, 13, 3);
        canvas.SetBounds({0, 0, picker->Width(), picker->Height()});
        EXPECT_TRUE(picker->PaintsOver());
        picker->PaintOver(canvas);
        std::string all;
        for (const std::string& line : canvas.Log()) all += line + "\n";
        return all;
    };
    const int hostLeft = picker->Button()->Parent()->Left();
    const int textWidth = 7 * 10;
    struct Case {
        const char* name;
        ui::TAlignment alignment;
        bool frame;
        std::vector<std::string> shown;
    } cases[] = {
        // Left: one in from the window's two-pixel border.
        {"left", ui::taLeftJustify, false, {"Text(2,2 \"10/01/2024\"", "color=$00000000"}},
        // Right: against the button, the margin of one and the drawing's one pixel left.
        {"right", ui::taRightJustify, false,
         {"Text(" + std::to_string(hostLeft - 1 - textWidth - 1 - 1) + ",2 \"10/01/2024\""}},
        // Framed: the unfocused background and font colours, text past the frame's offset.
        {"framed", ui::taLeftJustify, true,
         {"FillRect(0,0," + std::to_string(picker->Width()) + ",", "brush=$0000FFFF", "color=$000000FF"}},
    };
    for (const Case& c : cases) {
        picker->SetAlignment(c.alignment);
        picker->Frame()->SetEnabled(c.frame);
        picker->Frame()->NonFocusColor = rtl::clYellow;
        picker->Frame()->NonFocusFontColor = rtl::clRed;
        const std::string log = paint();
        for (const std::string& piece : c.shown) EXPECT_NE(log.find(piece), std::string::npos) << c.name << ": " << piece << "\n" << log;
    }
    picker->SetFocus();
    picker->Frame()->SetEnabled(false);
    EXPECT_TRUE(picker->Focused());
    EXPECT_FALSE(picker->PaintsOver());
}

}  // namespace
