// The masked edit and the combo box on the Qt backend (offscreen), driven by real key and
// mouse events: picture keystrokes, the check on leaving, the Space date fill, the numeric
// filter, Escape, the drop-down protocol, completion, automatic drop-down, the clearing key,
// and keys handed on to a grid.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "editctrls/gkDBComb.h"
#include "editctrls/gkDBEdit.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Screen.h"
#include "platform/ui/qt/QtUi.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/editctrls/MaskedEditFixture.h"

namespace {

using namespace editctrls;

// A grid that records the keys handed to it.
class TKeyGrid : public ui::TCustomGrid {
public:
    using TCustomGrid::TCustomGrid;
    std::vector<ui::TKey> keys;
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override
    {
        keys.push_back(key);
        ui::TCustomGrid::KeyDown(key, shift);
    }
};

class MaskedEditQt : public ::testing::Test {
protected:
    // A fresh Qt backend for this suite; another suite may have installed it and then put
    // its own window system back. When the backend in use was the Qt one, uninstalling frees
    // it: the suite then leaves its own installed rather than put back a freed one.
    static void SetUpTestSuite()
    {
        before = ui::WindowSystem();
        ui::qt::Uninstall();
        beforeWasQt = before != nullptr && ui::WindowSystem() == nullptr;
        if (beforeWasQt) before = nullptr;
        ui::qt::Install();
    }
    static void TearDownTestSuite()
    {
        if (beforeWasQt) return;
        ui::qt::Uninstall();
        ui::SetWindowSystem(before);
    }
    static inline ui::IWindowSystem* before = nullptr;
    static inline bool beforeWasQt = false;
    void SetUp() override
    {
        saved_ = rtl::FormatSettings();
        previousBeep_ = ui::SetBeepHandler([this] { ++beeps; });
        form = std::make_unique<ui::TForm>(nullptr);
        form->SetBounds(0, 0, 420, 300);
        edit = new TgkDBCustomEdit(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(10, 10, 150, 24);
        edit->SetTabStop(true);
        combo = new TgkDBComboBox(form.get());
        combo->SetParent(form.get());
        combo->SetBounds(10, 50, 150, 24);
        combo->SetTabStop(true);
        for (const char* s : {"apple", "banana", "blueberry", "cherry"}) combo->Items()->Add(s);
        other = new ui::TEdit(form.get());
        other->SetParent(form.get());
        other->SetBounds(10, 200, 150, 24);
        other->SetTabStop(true);
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(ui::qt::WidgetOf(*form)));
    }
    void TearDown() override
    {
        form.reset();
        ui::SetBeepHandler(previousBeep_);
        rtl::FormatSettings() = saved_;
    }
    void Focus(ui::TWinControl& c)
    {
        c.SetFocus();
        QApplication::processEvents();
        ASSERT_TRUE(QTest::qWaitFor([&] { return ui::qt::WidgetOf(c)->hasFocus(); }));
    }
    void Type(ui::TWinControl& c, const std::string& keys)
    {
        QWidget* w = ui::qt::WidgetOf(c);
        for (char k : keys) QTest::keyClick(w, k);
        QApplication::processEvents();
    }
    void Key(ui::TWinControl& c, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(ui::qt::WidgetOf(c), key, mods);
        QApplication::processEvents();
    }

    int beeps = 0;
    // What OnCheckValue heard; the edit may still check when the form goes.
    std::vector<bool> heard;
    std::unique_ptr<ui::TForm> form;
    TgkDBCustomEdit* edit = nullptr;
    TgkDBComboBox* combo = nullptr;
    ui::TEdit* other = nullptr;

private:
    rtl::TFormatSettings saved_;
    std::function<void()> previousBeep_;
};

TEST_F(MaskedEditQt, PictureKeystrokesFillLiteralsAndRefuseAtTheEnd)
{
    edit->Picture()->SetPictureMask("###-###");
    edit->OnCheckValue = [&](classes::TObject*, bool passes) { heard.push_back(passes); };
    Focus(*edit);
    Type(*edit, "123");
    EXPECT_EQ(edit->Text(), "123-");
    EXPECT_EQ(edit->SelStart(), 4) << "the caret after the hyphen";
    Type(*edit, "456");
    EXPECT_EQ(edit->Text(), "123-456");
    EXPECT_EQ(heard.back(), true);
    EXPECT_EQ(beeps, 0);
    Type(*edit, "7x");
    EXPECT_EQ(edit->Text(), "123-456") << "a key that breaks the mask at the end is dropped";
    EXPECT_EQ(beeps, 2);
    Key(*edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), "123-45");
    EXPECT_EQ(heard.back(), false) << "Backspace's text is checked";
}

TEST_F(MaskedEditQt, APasteTakesTheMasksLiterals)
{
    edit->Picture()->SetPictureMask("###-###");
    ui::Clipboard().SetAsText("123");
    Focus(*edit);
    Key(*edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->Text(), "123-");
    EXPECT_TRUE(edit->Modified());
}

TEST_F(MaskedEditQt, WithoutAutoFillABlankStandsForTheLiteral)
{
    edit->Picture()->SetPictureMask("###-###");
    edit->Picture()->SetAutoFill(false);
    Focus(*edit);
    Type(*edit, "1234");
    EXPECT_EQ(edit->Text(), "123-4");
    edit->Switches[0] = true;
    edit->SetText({});
    Type(*edit, "1234");
    EXPECT_EQ(edit->Text(), "123") << "switch 0 turns the blank retry off";
    EXPECT_EQ(beeps, 1);
}

TEST_F(MaskedEditQt, LeavingWithATextTheMaskRefusesKeepsTheFocus)
{
    edit->Picture()->SetPictureMask("###");
    Focus(*edit);
    Type(*edit, "12");
    other->SetFocus();
    QApplication::processEvents();
    EXPECT_TRUE(edit->Focused());
    EXPECT_TRUE(edit->InvalidExit());
    EXPECT_TRUE(edit->Modified());
    EXPECT_EQ(edit->SelLength(), 2) << "the text selected";
    EXPECT_EQ(beeps, 1);

    edit->Picture()->SetAllowInvalidExit(true);
    Focus(*other);
    EXPECT_FALSE(edit->Focused());

    // A mask that cannot be read holds nobody: the check still reports the failure.
    edit->OnCheckValue = [&](classes::TObject*, bool passes) { heard.push_back(passes); };
    edit->Picture()->SetAllowInvalidExit(false);
    edit->Picture()->SetPictureMask("#[");
    Focus(*edit);
    Type(*edit, "9");
    Focus(*other);
    EXPECT_FALSE(edit->Focused());
    ASSERT_FALSE(heard.empty());
    EXPECT_FALSE(heard.back());
}

TEST_F(MaskedEditQt, SpaceFillsInTodaysDate)
{
    struct Case {
        const char* format;
        const char* first;
    };
    int year = 0, month = 0, day = 0;
    rtl::DecodeDate(rtl::Date(), year, month, day);
    const Case cases[] = {{"M/d/yyyy", ""}, {"d/M/yy", ""}};
    edit->SetUnboundDataType(gkEdtDate);
    for (const Case& c : cases) {
        rtl::FormatSettings().ShortDateFormat = c.format;
        const bool dayFirst = c.format[0] == 'd';
        edit->SetText({});
        Focus(*edit);
        Key(*edit, Qt::Key_Space);
        EXPECT_EQ(edit->Text(), std::to_string(dayFirst ? day : month) + "/") << c.format;
        Key(*edit, Qt::Key_Space);
        Key(*edit, Qt::Key_Space);
        const std::string y = dayFirst ? (year % 100 < 10 ? "0" : "") + std::to_string(year % 100) : std::to_string(year);
        EXPECT_EQ(edit->Text(), std::to_string(dayFirst ? day : month) + "/" + std::to_string(dayFirst ? month : day) +
                                    "/" + y)
            << c.format;
        EXPECT_TRUE(edit->Modified());
        Focus(*other);
    }
    edit->SetText({});
    edit->SetReadOnly(true);
    Focus(*edit);
    Key(*edit, Qt::Key_Space);
    EXPECT_EQ(edit->Text(), "");
    EXPECT_EQ(beeps, 1) << "a read-only date edit beeps";
}

TEST_F(MaskedEditQt, NumbersTakeOnlyTheirCharactersAndEscapeResets)
{
    maskedtest::TMaskedData data;
    edit->SetDataSource(&data.source);
    edit->SetDataField("QTY");
    Focus(*edit);
    edit->SelectAll();
    Type(*edit, "5x");
    EXPECT_EQ(edit->Text(), "5");
    EXPECT_EQ(beeps, 1) << "x is no part of a number";
    Key(*edit, Qt::Key_Escape);
    EXPECT_EQ(edit->Text(), data.ds.FieldByName("QTY")->Text());
    EXPECT_FALSE(edit->Modified());
    edit->SetDataField("NAME");
    edit->SelectAll();
    Type(*edit, "Bo");
    Focus(*other);
    EXPECT_EQ(data.ds.FieldByName("NAME")->AsString(), "Bo") << "leaving writes the field";
}

// A text the field cannot take: the error names it, the field keeps its value and the edit
// keeps the focus and the text.
TEST_F(MaskedEditQt, LeavingWithATextTheFieldRefusesKeepsTheFocus)
{
    maskedtest::TMaskedData data;
    edit->SetDataSource(&data.source);
    edit->SetDataField("WHEN");
    const rtl::TDateTime before = data.ds.FieldByName("WHEN")->AsDateTime();
    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope(dialogs);
    dialogs.AnswerMessage(ui::mrOk);
    Focus(*edit);
    edit->SelectAll();
    Type(*edit, "soon");
    other->SetFocus();
    QApplication::processEvents();
    QApplication::processEvents();
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_NE(dialogs.Asked().at(0).message.text.find("'soon' is not a valid date"), std::string::npos)
        << dialogs.Asked().at(0).message.text;
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(edit->Text(), "soon");
    EXPECT_EQ(data.ds.FieldByName("WHEN")->AsDateTime(), before);
    edit->SetDataSource(nullptr);
}

TEST_F(MaskedEditQt, TheDropDownProtocol)
{
    Focus(*combo);
    Key(*combo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_TRUE(combo->IsDroppedDown());
    Key(*combo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_FALSE(combo->IsDroppedDown());
    Key(*combo, Qt::Key_F4);
    ASSERT_TRUE(combo->IsDroppedDown());
    EXPECT_TRUE(combo->ListWindow()->Visible());
    Key(*combo, Qt::Key_Down);
    Key(*combo, Qt::Key_Down);
    EXPECT_EQ(combo->Text(), "banana") << "the text follows the highlighted row";
    Key(*combo, Qt::Key_Return);
    EXPECT_FALSE(combo->IsDroppedDown());
    EXPECT_EQ(combo->Text(), "banana");

    combo->SetStyle(ui::csDropDownList);
    Key(*combo, Qt::Key_F4);
    combo->List()->SetItemIndex(3);
    Key(*combo, Qt::Key_Escape);
    EXPECT_FALSE(combo->IsDroppedDown());
    EXPECT_EQ(combo->Text(), "banana") << "Escape takes nothing";
    EXPECT_TRUE(combo->Focused());

    Key(*combo, Qt::Key_F4);
    combo->List()->SetItemIndex(3);
    Key(*combo, Qt::Key_Tab);
    EXPECT_FALSE(combo->IsDroppedDown());
    EXPECT_EQ(combo->Text(), "cherry") << "Tab accepts";

    Focus(*combo);
    Key(*combo, Qt::Key_F4);
    combo->List()->SetItemIndex(0);
    QTest::mouseClick(ui::qt::WidgetOf(*edit), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QApplication::processEvents();
    EXPECT_FALSE(combo->IsDroppedDown());
    EXPECT_EQ(combo->Text(), "apple") << "a click outside accepts";
}

TEST_F(MaskedEditQt, ClosedArrowsStepTheRows)
{
    combo->SetStyle(ui::csDropDownList);
    Focus(*combo);
    Key(*combo, Qt::Key_Down);
    EXPECT_EQ(combo->Text(), "apple");
    Key(*combo, Qt::Key_Down);
    Key(*combo, Qt::Key_Up);
    EXPECT_EQ(combo->Text(), "apple");
    Key(*combo, Qt::Key_Up);
    EXPECT_EQ(combo->Text(), "apple") << "no row before the first";
    Type(*combo, "c");
    EXPECT_EQ(combo->Text(), "cherry") << "a letter picks the next row it begins";
}

TEST_F(MaskedEditQt, MatchTextCompletesAndTheClearKeyEmpties)
{
    combo->SetStyle(ui::csDropDownList);
    combo->ShowMatchText = true;
    Focus(*combo);
    Type(*combo, "b");
    EXPECT_EQ(combo->Text(), "banana");
    EXPECT_EQ(combo->SelStart(), 1);
    EXPECT_EQ(combo->SelLength(), 5) << "the completion selected";
    Type(*combo, "l");
    EXPECT_EQ(combo->Text(), "blueberry");
    Type(*combo, "z");
    EXPECT_EQ(combo->Text(), "blueberry") << "a drop-down list takes no unmatched key";
    combo->SelectAll();
    Key(*combo, Qt::Key_Delete);
    EXPECT_EQ(combo->Text(), "blueberry") << "no clearing without AllowClearKey";
    combo->AllowClearKey = true;
    combo->SelectAll();
    Key(*combo, Qt::Key_Delete);
    EXPECT_EQ(combo->Text(), "");
    EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST_F(MaskedEditQt, TypingDropsTheListDownByItself)
{
    combo->AutoDropDown = true;
    Focus(*combo);
    Type(*combo, "c");
    EXPECT_TRUE(combo->IsDroppedDown());
    EXPECT_EQ(combo->Text(), "c");
    EXPECT_EQ(combo->List()->ItemIndex(), 3) << "the list shows the row the text begins";
    Key(*combo, Qt::Key_Escape);
    EXPECT_FALSE(combo->IsDroppedDown());
}

TEST_F(MaskedEditQt, NavigationKeysGoToTheGrid)
{
    auto* grid = new TKeyGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(180, 10, 220, 150);
    auto* cell = new TgkDBCustomEdit(form.get());
    cell->SetParent(grid);
    cell->SetBorderStyle(ui::bsNone);
    cell->SetBounds(2, 2, 100, 18);
    QApplication::processEvents();
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        ui::TKey handed;
    };
    const Case cases[] = {{Qt::Key_Down, Qt::NoModifier, ui::VK_DOWN},
                          {Qt::Key_PageUp, Qt::NoModifier, ui::VK_PRIOR},
                          {Qt::Key_Escape, Qt::NoModifier, ui::VK_ESCAPE},
                          {Qt::Key_Delete, Qt::ControlModifier, ui::VK_DELETE},
                          {Qt::Key_Tab, Qt::NoModifier, ui::VK_TAB}};
    for (const Case& c : cases) {
        grid->keys.clear();
        Focus(*cell);
        Key(*cell, c.key, c.mods);
        EXPECT_TRUE(grid->Focused()) << c.handed;
        ASSERT_FALSE(grid->keys.empty()) << c.handed;
        EXPECT_EQ(grid->keys.front(), c.handed);
    }
    grid->keys.clear();
    Focus(*cell);
    Type(*cell, "ab");
    Key(*cell, Qt::Key_Left);
    EXPECT_TRUE(cell->Focused()) << "Left inside the text stays";
    EXPECT_TRUE(grid->keys.empty());
}

}  // namespace

namespace {

// A borderless AutoSize edit takes the height of its font once its window is made; one with
// a border, one without AutoSize, and one inside a grid keep the height they were given.
TEST_F(MaskedEditQt, ABorderlessAutoSizeEditTakesItsFontsHeightWhenItsWindowIsMade)
{
    const int fontHeight = ui::MeasureFont(*form->Font()).Metrics().Height;
    auto* grid = new TKeyGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(200, 10, 200, 150);
    struct Case {
        const char* name;
        bool border, autoSize, inGrid;
        int height;
    };
    for (const Case c : {Case{"borderless", false, true, false, fontHeight + 6}, Case{"bordered", true, true, false, 40},
                         Case{"fixed height", false, false, false, 40}, Case{"in a grid", false, true, true, 40}}) {
        auto* e = new TgkDBCustomEdit(form.get());
        e->SetBorderStyle(c.border ? ui::bsSingle : ui::bsNone);
        e->SetAutoSize(c.autoSize);
        e->SetBounds(10, 100, 150, 40);
        e->SetParent(c.inGrid ? static_cast<ui::TWinControl*>(grid) : form.get());
        QApplication::processEvents();
        ASSERT_NE(ui::qt::WidgetOf(*e), nullptr) << c.name;
        EXPECT_EQ(e->Height(), c.height) << c.name;
    }
}

}  // namespace
