// The frame controller: each setting copied by name into the controls that accept it,
// controls that do not, registering twice, FrameFlat while a form loads, controls moved
// between controllers and freed, and what a form stores with and without a controller.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framedctrls/FcClasses.h"
#include "framedctrls/FcCommon.h"
#include "framedctrls/FcEdit.h"
#include "platform/classes/Streaming.h"
#include "platform/ui/Forms.h"

namespace {

using namespace framedctrls;

class FrameControllerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ui::RegisterUiClasses();
        RegisterFramedClasses();
    }
    void SetUp() override
    {
        form = std::make_unique<ui::TForm>(nullptr);
        controller = new TFcFrameController(form.get());
        edit = new TFcEdit(form.get());
        edit->SetParent(form.get());
    }
    std::unique_ptr<ui::TForm> form;
    TFcFrameController* controller = nullptr;
    TFcEdit* edit = nullptr;
};

// Setting `what` on the controller changes that one property of the edit and no other.
struct TWhatCase {
    int what;
    std::function<void(TFcFrameController&)> change;
    std::function<bool(const TFcEdit&)> copied;
};

TEST_F(FrameControllerTest, EachSettingIsCopiedAloneByItsNumber)
{
    const std::vector<TWhatCase> cases{
        {fwColor, [](auto& c) { c.SetColor(rtl::clAqua); }, [](auto& e) { return e.Color() == rtl::clAqua; }},
        {fwFrameColor, [](auto& c) { c.SetFrameColor(rtl::clRed); },
         [](auto& e) { return e.FrameColor() == rtl::clRed; }},
        {fwFrameFlat, [](auto& c) { c.SetFrameFlat(true); }, [](auto& e) { return e.FrameFlat(); }},
        {fwFrameFlatStyle, [](auto& c) { c.SetFrameFlatStyle(fsPopup); },
         [](auto& e) { return e.FrameFlatStyle() == fsPopup; }},
        {fwFrameFocusStyle, [](auto& c) { c.SetFrameFocusStyle(fsRaised); },
         [](auto& e) { return e.FrameFocusStyle() == fsRaised; }},
        {fwFrameSides, [](auto& c) { c.SetFrameSides(TSides{sdTop}); },
         [](auto& e) { return e.FrameSides() == TSides{sdTop}; }},
        {fwFrameStyle, [](auto& c) { c.SetFrameStyle(fsGroove); },
         [](auto& e) { return e.FrameStyle() == fsGroove; }},
        {fwFrameVisible, [](auto& c) { c.SetFrameVisible(true); }, [](auto& e) { return e.FrameVisible(); }},
    };
    for (const TWhatCase& c : cases) {
        TFcFrameController source(nullptr);
        TFcEdit target(nullptr);
        source.BeginUpdate();  // nothing travels until asked
        c.change(source);
        source.EndUpdate();
        for (int other = fwColor; other <= fwFrameVisible; ++other)
            if (other != c.what) source.UpdateControl(&target, other);
        EXPECT_FALSE(c.copied(target)) << "what " << c.what << " arrived through another number";
        source.UpdateControl(&target, c.what);
        EXPECT_TRUE(c.copied(target)) << "what " << c.what;
    }
    // FlatButtons is not published by the edit: skipped without a word.
    controller->SetFlatButtons(false);
    EXPECT_NO_THROW(controller->UpdateControl(edit, fwFlatButtons));
}

TEST_F(FrameControllerTest, RegisteringCopiesEverythingAndLaterChangesFollow)
{
    controller->SetFrameStyle(fsBump);
    controller->SetColor(rtl::clYellow);
    edit->SetFrameController(controller);
    EXPECT_EQ(edit->FrameStyle(), fsBump);
    EXPECT_EQ(edit->Color(), rtl::clYellow);
    controller->SetFrameColor(rtl::clLime);
    EXPECT_EQ(edit->FrameColor(), rtl::clLime);
}

TEST_F(FrameControllerTest, ControlsThatDoNotAcceptAreLeftAlone)
{
    auto* plain = new ui::TEdit(form.get());
    plain->SetColor(rtl::clRed);
    edit->SetUseFrameController(false);
    controller->AddControl(plain);
    controller->AddControl(edit);
    controller->SetColor(rtl::clAqua);
    controller->SetFrameStyle(fsRaised);
    controller->UpdateControls(fwAll);
    EXPECT_EQ(plain->Color(), rtl::clRed);
    EXPECT_EQ(edit->Color(), rtl::clWindow);
    EXPECT_EQ(edit->FrameStyle(), fsFlat);
}

TEST_F(FrameControllerTest, RegisteringTwiceKeepsOneEntryAndCopiesOnce)
{
    controller->SetFrameStyle(fsRaised);
    controller->AddControl(edit);
    edit->SetFrameStyle(fsPopup);
    controller->AddControl(edit);
    EXPECT_EQ(controller->RegisteredControls().size(), 1u);
    EXPECT_EQ(edit->FrameStyle(), fsPopup);
}

TEST_F(FrameControllerTest, FrameFlatWhileLoadingKeepsTheStreamedSidesAndStyle)
{
    TFcFrameController live(nullptr);
    live.SetFrameStyle(fsRaised);
    live.SetFrameSides(TSides{sdLeft});
    live.SetFrameFlat(true);
    EXPECT_TRUE(live.FrameVisible());
    EXPECT_EQ(live.FrameStyle(), fsStatus);
    EXPECT_EQ(live.FrameSides(), kAllSides);

    ui::TForm loaded(nullptr);
    loaded.ReadDescription(
        "object F: TForm\n"
        "  object Ctl: TFcFrameController\n"
        "    FrameStyle = fsRaised\n"
        "    FrameSides = [sdLeft]\n"
        "    FrameFlat = True\n"
        "  end\n"
        "  object Ed: TFcEdit\n"
        "    FrameController = Ctl\n"
        "  end\n"
        "end\n");
    auto* ctl = loaded.FindComponent<TFcFrameController>("Ctl");
    auto* ed = loaded.FindComponent<TFcEdit>("Ed");
    ASSERT_NE(ctl, nullptr);
    ASSERT_NE(ed, nullptr);
    EXPECT_TRUE(ctl->FrameVisible());
    EXPECT_EQ(ctl->FrameStyle(), fsRaised);
    EXPECT_EQ(ctl->FrameSides(), TSides{sdLeft});
    // Its Loaded copied the settings into the edit.
    EXPECT_EQ(ed->FrameStyle(), fsRaised);
    EXPECT_TRUE(ed->FrameVisible());
    EXPECT_EQ(ed->FrameSides(), TSides{sdLeft});
}

TEST_F(FrameControllerTest, MovedControlsLeaveTheFirstListAndFreedOnesLeaveTheSecond)
{
    auto* second = new TFcFrameController(form.get());
    edit->SetFrameController(controller);
    edit->SetFrameController(second);
    EXPECT_TRUE(controller->RegisteredControls().empty());
    ASSERT_EQ(second->RegisteredControls().size(), 1u);
    delete edit;
    edit = nullptr;
    EXPECT_TRUE(second->RegisteredControls().empty());
    controller->SetColor(rtl::clRed);  // would reach a freed edit if it were still listed
    second->SetColor(rtl::clRed);
}

TEST_F(FrameControllerTest, AFreedControllerLeavesItsControlsWithoutAReference)
{
    edit->SetFrameController(controller);
    delete controller;
    controller = nullptr;
    EXPECT_EQ(edit->FrameController(), nullptr);
    edit->SetFrameStyle(fsGroove);  // no controller to reach
}

TEST_F(FrameControllerTest, FrameSettingsAreStoredOnlyWithoutAController)
{
    edit->SetName("Ed");
    edit->SetFrameStyle(fsStatus);
    edit->SetFrameVisible(true);
    std::string text = classes::WriteComponentText(*edit);
    EXPECT_NE(text.find("FrameStyle = fsStatus"), std::string::npos) << text;
    EXPECT_NE(text.find("FrameVisible = True"), std::string::npos) << text;
    controller->SetName("Ctl");
    controller->SetFrameStyle(fsStatus);
    controller->SetFrameVisible(true);
    edit->SetFrameController(controller);
    text = classes::WriteComponentText(*edit);
    EXPECT_EQ(text.find("FrameStyle"), std::string::npos) << text;
    EXPECT_EQ(text.find("FrameVisible"), std::string::npos) << text;
    EXPECT_NE(text.find("FrameController = Ctl"), std::string::npos) << text;
}

TEST_F(FrameControllerTest, AStoredLoginFormPlacesTheEditsWithTheirFrames)
{
    ui::TForm login(nullptr);
    login.ReadDescription(
        "object FrmLogin: TForm\n"
        "  object ed_UserName: TFcEdit\n"
        "    OEMConvert = True\n"
        "    ImeMode = imClose\n"
        "    ImeName = 'Pinyin'\n"
        "    FrameFlat = True\n"
        "    FrameStyle = fsStatus\n"
        "    FrameVisible = True\n"
        "  end\n"
        "  object ed_Password: TFcEdit\n"
        "    PasswordChar = '*'\n"
        "    FrameFlat = True\n"
        "    FrameStyle = fsStatus\n"
        "    FrameVisible = True\n"
        "  end\n"
        "end\n");
    auto* user = login.FindComponent<TFcEdit>("ed_UserName");
    auto* password = login.FindComponent<TFcEdit>("ed_Password");
    ASSERT_NE(user, nullptr);
    ASSERT_NE(password, nullptr);
    EXPECT_TRUE(user->FrameFlat());
    EXPECT_EQ(user->FrameStyle(), fsStatus);
    EXPECT_TRUE(user->FrameVisible());
    EXPECT_EQ(user->FrameSides(), kAllSides);
    EXPECT_EQ(password->PasswordChar(), '*');
    // Stored and read back, though nothing here acts on them.
    EXPECT_TRUE(user->OEMConvert());
    EXPECT_EQ(user->ImeMode(), ui::imClose);
    const std::string text = classes::WriteComponentText(*user);
    EXPECT_NE(text.find("ImeName = 'Pinyin'"), std::string::npos) << text;
}

}  // namespace
