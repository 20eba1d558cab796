// The framed combo box without a window: the incremental search with its timer (the
// "clock" is the timer's message, sent when 1.5 s would have passed), Backspace and Escape,
// auto-completion while typing, deleting and pasting in the text part, the MaxLength beep,
// the selection's range, the wheel at both ends, and DropDownWidth.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framedctrls/FcClasses.h"
#include "framedctrls/FcCmboBx.h"
#include "platform/classes/Streaming.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Screen.h"

namespace {

using namespace framedctrls;

class FcComboTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousBeep = ui::SetBeepHandler([this] { ++beeps; });
        form = std::make_unique<ui::TForm>(nullptr);
        combo = new TFcCustomComboBox(form.get());
        combo->SetParent(form.get());
        for (const char* s : {"Black", "Blue", "Green", "Red", "Reddish", "White", "\xC3\x89" "cru"})
            combo->Items()->Add(s);
        combo->OnChange = [this](classes::TObject*) { ++changes; };
        combo->OnClick = [this](classes::TObject*) { ++clicks; };
    }
    void TearDown() override
    {
        form.reset();
        ui::SetBeepHandler(previousBeep);
    }
    // Types `keys`: '|' is a pause of 1.5 s (the search timer fires), '\b' Backspace, '\x1b'
    // Escape; other bytes are UTF-8 text, sent as code points.
    void Type(const std::string& keys)
    {
        for (std::size_t i = 0; i < keys.size();) {
            const unsigned char b = static_cast<unsigned char>(keys[i]);
            if (b == '|') {
                combo->Perform(ui::WM_TIMER, TFcCustomComboBox::kSearchTimer);
                ++i;
                continue;
            }
            char32_t cp = b;
            std::size_t len = 1;
            if (b >= 0xC0 && b < 0xE0) {
                cp = ((b & 0x1F) << 6) | (static_cast<unsigned char>(keys[i + 1]) & 0x3F);
                len = 2;
            }
            combo->Perform(ui::WM_CHAR, static_cast<std::intptr_t>(cp));
            i += len;
        }
    }
    std::function<void()> previousBeep;
    std::unique_ptr<ui::TForm> form;
    TFcCustomComboBox* combo = nullptr;
    int beeps = 0;
    int changes = 0;
    int clicks = 0;
};

struct TSearchCase {
    std::string keys;
    int index;           // the item selected afterwards (White, 5, before)
    std::string search;  // the search text afterwards
    int beeps;
};

TEST_F(FcComboTest, IncrementalSearchTable)
{
    combo->SetStyle(ui::csDropDownList);
    const std::vector<TSearchCase> cases{
        {"re", 3, "re", 0},         // the first item beginning with "re", letter case ignored
        {"re|b", 0, "b", 0},        // after a pause "b" starts anew
        {"reb", 3, "re", 1},        // "reb" finds nothing: a beep, the selection stays
        {"x", 5, "", 1},            // nothing at all: a beep, nothing changes
        {"bl\b", 0, "b", 0},        // Backspace shortens the search
        {"b\b", 0, "", 0},          // ... and emptying it selects the first item
        {"\b", 0, "", 1},           // Backspace with nothing typed beeps; the empty search finds the first item
        {"\x1b", 0, "", 0},         // Escape selects the first item
        {"\xC3\xA9", 6, "\xC3\xA9", 0},  // a character beyond ASCII, letter case ignored
        {"rEDD", 4, "redd", 0},
    };
    for (const TSearchCase& c : cases) {
        Type("|");
        combo->SetItemIndex(5);
        beeps = 0;
        Type(c.keys);
        EXPECT_EQ(combo->ItemIndex(), c.index) << c.keys;
        EXPECT_EQ(rtl::AnsiLowerCase(combo->SearchText()), c.search) << c.keys;
        EXPECT_EQ(beeps, c.beeps) << c.keys;
    }
}

TEST_F(FcComboTest, SearchKeysRestartTheTimerAndFireClickAndChange)
{
    combo->SetStyle(ui::csDropDownList);
    combo->SetItemIndex(5);
    Type("g");
    EXPECT_TRUE(combo->TimerActive(TFcCustomComboBox::kSearchTimer));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(changes, 1);
    Type("|");
    EXPECT_FALSE(combo->TimerActive(TFcCustomComboBox::kSearchTimer));
    EXPECT_EQ(combo->SearchText(), "");
    // Navigation keys end a search too.
    Type("r");
    ui::TKey key = ui::VK_DOWN;
    combo->KeyDown(key, {});
    EXPECT_EQ(combo->SearchText(), "");
}

TEST_F(FcComboTest, AKeyThatFindsNothingBeepsOnlyWhenAsked)
{
    combo->SetStyle(ui::csDropDownList);
    combo->SetBeepOnInvalidKey(false);
    combo->SetItemIndex(2);
    Type("q");
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(changes, 0);
}

TEST_F(FcComboTest, TypingInTheTextPartCompletesTheFirstMatchingItem)
{
    combo->SetStyle(ui::csDropDown);
    Type("b");
    EXPECT_EQ(combo->Text(), "Black");
    EXPECT_EQ(combo->SelStart(), 1);
    EXPECT_EQ(combo->SelLength(), 4);
    EXPECT_EQ(combo->ItemIndex(), 0);
    Type("lu");
    EXPECT_EQ(combo->Text(), "Blue");
    EXPECT_EQ(combo->SelStart(), 3);
    EXPECT_EQ(combo->SelLength(), 1);
    Type("x");  // "Blux" is no item: typed as it is
    EXPECT_EQ(combo->Text(), "Blux");
    EXPECT_EQ(combo->SelStart(), 4);
    EXPECT_EQ(combo->SelLength(), 0);
    EXPECT_EQ(combo->ItemIndex(), -1);
    Type("\b");  // back to "Blu", which completes again
    EXPECT_EQ(combo->Text(), "Blue");
    EXPECT_EQ(combo->ItemIndex(), 1);
    Type("\x1b");  // Escape: no item, no search
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->SearchText(), "");
}

// Text the program writes into the text part completes like typing; the user's own writing,
// the text of the chosen item and Enter's take-over do not start a new search.
TEST_F(FcComboTest, TextSetByTheProgramCompletesToTheFirstMatchingItem)
{
    combo->SetStyle(ui::csDropDown);
    combo->SetText("re");
    EXPECT_EQ(combo->ItemIndex(), 3);
    EXPECT_EQ(combo->Text(), "Red");
    EXPECT_EQ(combo->SearchText(), "re");
    EXPECT_EQ(combo->SelStart(), 2);
    EXPECT_EQ(combo->SelLength(), 1);

    combo->SetText("Purple");  // no item: stays as written
    EXPECT_EQ(combo->Text(), "Purple");
    EXPECT_EQ(combo->SearchText(), "Purple");

    combo->SetItemIndex(4);  // "Reddish", not the earlier "Red"
    EXPECT_EQ(combo->ItemIndex(), 4);
    EXPECT_EQ(combo->Text(), "Reddish");

    combo->SetText("");
    Type("g");
    EXPECT_EQ(combo->SearchText(), "g");
    Type("\r");
    combo->SetText("Bl");  // Enter's change: the search stays "g", completing "Green"
    EXPECT_EQ(combo->SearchText(), "g");
    EXPECT_EQ(combo->ItemIndex(), 2);
}

TEST_F(FcComboTest, ALeftPressInTheTextPartTakesItsTextAsTheSearch)
{
    combo->SetStyle(ui::csDropDown);
    Type("b");
    ASSERT_EQ(combo->Text(), "Black");
    ASSERT_EQ(combo->SearchText(), "b");
    combo->MouseDown(ui::mbRight, {}, 4, 4);
    EXPECT_EQ(combo->SearchText(), "b");
    combo->MouseDown(ui::mbLeft, {}, 4, 4);
    EXPECT_EQ(combo->SearchText(), "Black");
}

// With no search text Backspace beeps and the text part deletes as usual; in the list style
// the empty search selects the first item.
TEST_F(FcComboTest, BackspaceWithAnEmptySearch)
{
    combo->SetStyle(ui::csDropDown);
    ui::TMessage m{ui::WM_CHAR, 8, 0, 0};
    combo->Dispatch(m);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(m.Result, 0);  // handed on to the text part

    combo->SetStyle(ui::csDropDownList);
    combo->SetItemIndex(5);
    clicks = changes = 0;
    Type("\b");
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(changes, 1);
}

TEST_F(FcComboTest, DeletingAndPastingInTheTextPart)
{
    combo->SetStyle(ui::csDropDown);
    combo->SetText("Greenish");
    combo->SetEditSel(5, 3);
    ui::TKey del = ui::VK_DELETE;
    combo->KeyDown(del, {});
    EXPECT_EQ(combo->SearchText(), "Green");
    combo->SetTextByUser("Green");  // what the window did with the key

    ui::TKey v = 'V';
    combo->KeyDown(v, ui::TShiftState{ui::ssCtrl});
    combo->SetTextByUser("whi");  // the pasted text
    EXPECT_EQ(combo->Text(), "White");
    EXPECT_EQ(combo->ItemIndex(), 5);
    EXPECT_EQ(combo->SelStart(), 3);
    EXPECT_EQ(combo->SelLength(), 2);
}

TEST_F(FcComboTest, TypingPastMaxLengthBeepsAndChangesNothing)
{
    combo->SetStyle(ui::csDropDown);
    combo->SetMaxLength(3);
    combo->SetText("abc");
    combo->SetEditSel(3, 0);
    Type("d");
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(combo->Text(), "abc");
}

TEST_F(FcComboTest, SelectionPositionsFrom65536RaiseTheRangeError)
{
    combo->SetStyle(ui::csDropDown);
    combo->SetText("Blue");
    EXPECT_THROW(combo->SetSelStart(65536), rtl::ERangeError);
    EXPECT_THROW(combo->SetSelLength(65536), rtl::ERangeError);
    EXPECT_NO_THROW(combo->SetSelStart(65535));
    EXPECT_EQ(combo->GetSelStart(), 4);  // kept inside the text
    combo->SetSelStart(1);
    combo->SetSelLength(2);
    EXPECT_EQ(combo->GetSelLength(), 2);
}

TEST_F(FcComboTest, TheWheelStepsAndStopsAtBothEnds)
{
    combo->SetStyle(ui::csDropDownList);
    combo->SetItemIndex(5);
    auto wheel = [&](int delta) { return combo->Perform(ui::WM_MOUSEWHEEL, ui::MakeWParam(0, delta)); };
    EXPECT_EQ(wheel(-120), 1);
    EXPECT_EQ(combo->ItemIndex(), 6);
    wheel(-120);
    EXPECT_EQ(combo->ItemIndex(), 6);  // stays on the last
    EXPECT_EQ(changes, 2);             // each step fires
    combo->SetItemIndex(1);
    wheel(120);
    wheel(120);
    EXPECT_EQ(combo->ItemIndex(), 0);  // stays on the first
}

TEST_F(FcComboTest, DropDownWidthIsPublishedAndStored)
{
    combo->SetName("Cb");
    combo->SetDropDownWidth(250);
    EXPECT_NE(classes::WriteComponentText(*combo).find("DropDownWidth = 250"), std::string::npos);
}

}  // namespace
