// The colour combo box: its lists, SelectedColor (with a colour no item holds, with and
// without "Custom"), renamed colours surviving a rebuild and being stored, the custom
// colours' normalisation and bad values, the swatches by pixels, and "Custom" opening the
// colour dialog through the scripted dialog service.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framedctrls/FcClasses.h"
#include "framedctrls/FcCmboBx.h"
#include "platform/classes/Streaming.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtUi.h"
#include "platform/ui/testing/TestDialogs.h"

namespace {

using namespace framedctrls;

class FcColorComboTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ui::RegisterUiClasses();
        RegisterFramedClasses();
    }
    void SetUp() override
    {
        form = std::make_unique<ui::TForm>(nullptr);
        combo = new TFcColorComboBox(form.get());
        combo->SetName("colorbox_table");
        combo->SetParent(form.get());
        combo->OnChange = [this](classes::TObject*) { ++changes; };
        combo->OnCloseUp = [this](classes::TObject*) { ++closeUps; };
    }
    // What the design window sets.
    void AsProgram()
    {
        combo->SetShowSysColors(false);
        combo->SetDefaultColor(rtl::clDefault);
        combo->SetSelectedColor(rtl::clDefault);
        combo->SetColor(rtl::clWhite);
        combo->SetItemHeight(16);
    }
    std::unique_ptr<ui::TForm> form;
    TFcColorComboBox* combo = nullptr;
    int changes = 0;
    int closeUps = 0;
};

TEST_F(FcColorComboTest, TheProgramsListHas18ItemsAndSystemColoursMake43)
{
    EXPECT_EQ(combo->Items()->Count(), 43);
    EXPECT_EQ(combo->Items()->Get(0), "Default");
    EXPECT_EQ(combo->Items()->Get(17), "ScrollBar");
    EXPECT_EQ(combo->GetItemColor(17 + 24), static_cast<rtl::TColor>(0x80000018));
    EXPECT_EQ(combo->Items()->Get(42), "Custom");
    EXPECT_EQ(combo->Style(), ui::csOwnerDrawVariable);

    AsProgram();
    ASSERT_EQ(combo->Items()->Count(), 18);
    EXPECT_EQ(combo->Items()->Get(0), "Default");
    EXPECT_EQ(combo->Items()->Get(1), "Black");
    EXPECT_EQ(combo->Items()->Get(16), "White");
    EXPECT_EQ(combo->Items()->Get(17), "Custom");
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(combo->GetSelectedColor(), rtl::clDefault);
}

struct TSelectedCase {
    const char* what;
    std::function<void(TFcColorComboBox&)> setup;
    rtl::TColor write;
    int index;
    rtl::TColor read;
};

TEST_F(FcColorComboTest, SelectedColorTable)
{
    const rtl::TColor odd = 0x123456;
    const std::vector<TSelectedCase> cases{
        {"a basic colour", [](auto&) {}, rtl::clRed, 10, rtl::clRed},
        {"the first of equal colours", [](auto& c) { c.SetDefaultColor(rtl::clNavy); }, rtl::clNavy, 0, rtl::clNavy},
        {"a colour no item holds becomes the custom one", [](auto&) {}, odd, 17, odd},
        {"without Custom no item is selected", [](auto& c) { c.SetShowCustomColor(false); }, odd, -1, rtl::clDefault},
        {"a system colour", [](auto& c) { c.SetShowSysColors(true); }, rtl::clBtnFace, 32, rtl::clBtnFace},
        {"without Default the basic colours come first", [](auto& c) { c.SetShowDefaultColor(false); }, rtl::clBlack,
         0, rtl::clBlack},
    };
    for (const TSelectedCase& c : cases) {
        SetUp();
        AsProgram();
        c.setup(*combo);
        changes = 0;
        combo->SetSelectedColor(c.write);
        EXPECT_EQ(combo->ItemIndex(), c.index) << c.what;
        EXPECT_EQ(combo->GetSelectedColor(), c.read) << c.what;
        EXPECT_EQ(changes, 1) << c.what;
    }
    // Nothing selected reads the default colour; the custom colour was kept even so.
    EXPECT_EQ(combo->CustomColor(), rtl::clBlack);
    combo->SetItemIndex(-1);
    EXPECT_EQ(combo->GetSelectedColor(), combo->DefaultColor());
}

TEST_F(FcColorComboTest, RenamedColoursSurviveARebuildAndAreStored)
{
    AsProgram();
    combo->SetSelectedColor(rtl::clRed);
    EXPECT_EQ(classes::WriteComponentText(*combo).find("ColorNames"), std::string::npos);
    combo->ColorNames()->SetBasic(9, "Rot");
    EXPECT_EQ(combo->Items()->Get(10), "Rot");
    EXPECT_EQ(combo->ItemIndex(), 10);  // the selection stays
    combo->SetShowSysColors(true);
    EXPECT_EQ(combo->Items()->Get(10), "Rot");
    EXPECT_EQ(combo->Items()->Count(), 43);
    const std::string text = classes::WriteComponentText(*combo);
    EXPECT_NE(text.find("ColorNames.Red = 'Rot'"), std::string::npos) << text;

    TFcColorComboBox copy(nullptr);
    classes::ReadComponentText(copy, text);
    EXPECT_EQ(copy.Items()->Get(10), "Rot");
}

TEST_F(FcColorComboTest, CustomColoursAreNormalisedAndBadOnesNamed)
{
    rtl::TStringList colors;
    colors.Add("ColorA=FFFFFF");
    colors.Add("ColorB=1FFFFFF");
    colors.Add("ColorC=00a0B0");
    combo->SetCustomColors(colors);
    ASSERT_EQ(combo->CustomColors()->Count(), 3);
    EXPECT_EQ(combo->CustomColors()->Get(0), "ColorA=ffffff");
    EXPECT_EQ(combo->CustomColors()->Get(1), "ColorB=ffffff");
    EXPECT_EQ(combo->CustomColors()->Get(2), "ColorC=00a0b0");

    rtl::TStringList bad;
    bad.Add("ColorA=zz");
    try {
        combo->SetCustomColors(bad);
        FAIL() << "no conversion error";
    } catch (const rtl::EConvertError& e) {
        EXPECT_NE(std::string(e.what()).find("'zz'"), std::string::npos) << e.what();
    }

    // A stored form with such an entry: the reader names the line.
    ui::TForm stored(nullptr);
    try {
        stored.ReadDescription(
            "object F: TForm\n"
            "  object Cb: TFcColorComboBox\n"
            "    CustomColors.Strings = (\n"
            "      'ColorA=zz')\n"
            "  end\n"
            "end\n");
        FAIL() << "no read error";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("line"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("zz"), std::string::npos) << e.what();
    }
}

TEST_F(FcColorComboTest, CustomOpensTheColourDialogAndCancelOrEscapeChangeNothing)
{
    AsProgram();
    rtl::TStringList colors;
    colors.Add("ColorA=102030");
    combo->SetCustomColors(colors);
    combo->SetColorDlgOptions(ui::TColorDialogOptions{ui::cdFullOpen, ui::cdAnyColor});
    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope(dialogs);

    // Cancel.
    dialogs.AnswerColor(std::nullopt);
    combo->SelectByUser(17);
    combo->CloseUpByUser(true);
    EXPECT_EQ(closeUps, 1);
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(combo->CustomColor(), 0);
    EXPECT_EQ(combo->CustomColors()->Get(0), "ColorA=102030");

    // Escape closes the list without asking.
    combo->CloseUpByUser(false);
    EXPECT_EQ(closeUps, 2);
    EXPECT_EQ(dialogs.Asked().size(), 1u);

    // OK.
    dialogs.AnswerColor(rtl::TColor{0x4080FF});
    combo->CloseUpByUser(true);
    EXPECT_EQ(dialogs.Asked().size(), 2u);
    EXPECT_EQ(combo->CustomColor(), rtl::TColor{0x4080FF});
    EXPECT_EQ(combo->GetSelectedColor(), rtl::TColor{0x4080FF});
    EXPECT_EQ(combo->ItemIndex(), 17);
    EXPECT_TRUE(dialogs.Unexpected().empty());

    // Another item opens nothing.
    combo->SelectByUser(3);
    combo->CloseUpByUser(true);
    EXPECT_EQ(dialogs.Asked().size(), 2u);
}

class FcColorSwatchTest : public FcColorComboTest {
protected:
    static void SetUpTestSuite()
    {
        FcColorComboTest::SetUpTestSuite();
        ui::qt::Install();
    }
    // Paints item `index` into a bitmap of 100 x 20 at rect `r` (with `state`).
    std::unique_ptr<ui::TBitmap> Paint(int index, const ui::TRect& r, ui::TOwnerDrawState state)
    {
        auto bmp = std::make_unique<ui::TBitmap>(100, 20);
        bmp->Fill(rtl::clRed);
        combo->Canvas()->SetDevice(bmp->Canvas()->Device());
        combo->PaintItem(index, r, state);
        combo->Canvas()->SetDevice(nullptr);
        return bmp;
    }
};

TEST_F(FcColorSwatchTest, DarkSwatchesHaveABlackOutlineLightOnesAGrayOne)
{
    AsProgram();
    // A list row: the swatch is 4 pixels in, 14 wide.
    auto navy = Paint(5, {0, 0, 100, 20}, {});
    EXPECT_EQ(navy->Pixel(4, 4), rtl::clBlack);
    EXPECT_EQ(navy->Pixel(17, 10), rtl::clBlack);
    EXPECT_EQ(navy->Pixel(10, 15), rtl::clBlack);
    EXPECT_EQ(navy->Pixel(10, 10), rtl::clNavy);
    EXPECT_EQ(navy->Pixel(3, 3), rtl::clWhite);  // the row's background
    auto silver = Paint(9, {0, 0, 100, 20}, {});
    EXPECT_EQ(silver->Pixel(4, 4), rtl::TColor{0x808080});
    EXPECT_EQ(silver->Pixel(17, 10), rtl::TColor{0x808080});
    EXPECT_EQ(silver->Pixel(10, 10), rtl::clSilver);
}

TEST_F(FcColorSwatchTest, TheSelectionFieldIsToldApartByItsStateNotItsPlace)
{
    AsProgram();
    // The selection field at the left edge a list row would have: swatch 2 pixels in.
    auto field = Paint(5, {0, 0, 100, 20}, ui::TOwnerDrawState{ui::odComboBoxEdit});
    EXPECT_EQ(field->Pixel(2, 2), rtl::clBlack);
    EXPECT_EQ(field->Pixel(15, 10), rtl::clBlack);
    EXPECT_EQ(field->Pixel(8, 10), rtl::clNavy);
    // A list row starting where a selection field would: still 4 pixels in.
    auto row = Paint(5, {3, 0, 100, 20}, {});
    EXPECT_EQ(row->Pixel(7, 4), rtl::clBlack);
    EXPECT_EQ(row->Pixel(5, 5), rtl::clWhite);
}

}  // namespace
