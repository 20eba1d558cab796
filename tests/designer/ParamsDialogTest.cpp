// The hyperlink parameter dialogs driven without a window: the list's enabling rules, the
// moves, and the value dialog answered through the scripted dialog service.

#include <gtest/gtest.h>

#include "designer/FParams.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/testing/TestDialogs.h"

using namespace designer;

namespace {

class ParamsDialogTest : public ::testing::Test {
protected:
    struct TEnabling {
        bool up, down, modify, remove;
        bool operator==(const TEnabling&) const = default;
    };
    TEnabling Enabling() const
    {
        return {form.Get<ui::TAction>("cmd_moveup")->Enabled(), form.Get<ui::TAction>("cmd_movedown")->Enabled(),
                form.Get<ui::TAction>("cmd_modify")->Enabled(), form.Get<ui::TAction>("cmd_remove")->Enabled()};
    }
    // Selects row `index` (-1: none) as a click on the list does.
    void Click(int index)
    {
        form.List()->SetSelected(index >= 0 ? form.List()->Items()->Item(index) : nullptr);
        form.List()->Click();
    }
    // Queues the value dialog's answer: it checks what is offered, then types and confirms.
    void AnswerValue(const std::string& caption, const TLinkParam& shown, const TLinkParam& typed,
                     ui::TModalResult result = ui::mrOk)
    {
        dialogs.AnswerModal([=, this](ui::TCustomForm& f) {
            EXPECT_EQ(f.Caption(), caption);
            auto* name = f.Get<ui::TEdit>("Ename");
            auto* value = f.Get<ui::TComboBox>("cb_value");
            EXPECT_EQ(name->Text(), shown.name);
            EXPECT_EQ(value->Text(), shown.value);
            offered.clear();
            for (int i = 0; i < value->Items()->Count(); ++i) offered.push_back(value->Items()->Strings(i));
            name->SetText(typed.name);
            value->SetText(typed.value);
            return result;
        });
    }

    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope{dialogs};
    TFrmParams form{nullptr};
    std::vector<std::string> offered;
};

TEST_F(ParamsDialogTest, ActionsFollowTheSelection)
{
    EXPECT_EQ(form.Caption(), "Parameters");
    EXPECT_EQ((Enabling()), (TEnabling{false, false, false, false}));
    EXPECT_TRUE(form.Get<ui::TAction>("cmd_add")->Enabled());
    form.SetParamLines({"id=[ID]", "lang=en", "q"});
    struct Case {
        int selected;
        TEnabling expected;
    };
    for (const Case& c : {Case{-1, {false, false, false, false}}, Case{0, {false, true, true, true}},
                          Case{1, {true, true, true, true}}, Case{2, {true, false, true, true}}}) {
        SCOPED_TRACE(c.selected);
        Click(c.selected);
        EXPECT_EQ(Enabling(), c.expected);
    }
    // One entry: neither move.
    form.SetParamLines({"only=1"});
    Click(0);
    EXPECT_EQ((Enabling()), (TEnabling{false, false, true, true}));
}

TEST_F(ParamsDialogTest, MovesRemoveAndClear)
{
    form.SetParamLines({"a=1", "b=2", "c=3"});
    Click(0);
    form.Get<ui::TAction>("cmd_movedown")->Execute();
    EXPECT_EQ(form.ParamLines(), (std::vector<std::string>{"b=2", "a=1", "c=3"}));
    ASSERT_NE(form.List()->Selected(), nullptr);
    EXPECT_EQ(form.List()->Selected()->Index(), 1);  // the moved entry stays selected
    form.Get<ui::TAction>("cmd_movedown")->Execute();
    EXPECT_EQ(form.ParamLines(), (std::vector<std::string>{"b=2", "c=3", "a=1"}));
    EXPECT_EQ((Enabling()), (TEnabling{true, false, true, true}));
    form.Get<ui::TAction>("cmd_moveup")->Execute();
    EXPECT_EQ(form.ParamLines(), (std::vector<std::string>{"b=2", "a=1", "c=3"}));
    form.Get<ui::TAction>("cmd_remove")->Execute();
    EXPECT_EQ(form.ParamLines(), (std::vector<std::string>{"b=2", "c=3"}));
    EXPECT_EQ((Enabling()), (TEnabling{false, false, false, false}));
    // Without a selection the handlers do nothing.
    form.cmd_moveupExecute(nullptr);
    form.cmd_removeExecute(nullptr);
    form.cmd_modifyExecute(nullptr);
    EXPECT_EQ(form.ParamLines(), (std::vector<std::string>{"b=2", "c=3"}));
    form.Get<ui::TAction>("cmd_clear")->Execute();
    EXPECT_TRUE(form.ParamLines().empty());
    EXPECT_TRUE(dialogs.Asked().empty());
}

TEST_F(ParamsDialogTest, AddAndModifyThroughTheValueDialog)
{
    form.SetFieldNames({"ORDER_ID", "CUSTOMER"});
    AnswerValue("Add Param", {}, {"id", "[ORDER_ID]"});
    form.Get<ui::TAction>("cmd_add")->Execute();
    EXPECT_EQ(offered, (std::vector<std::string>{"[ORDER_ID]", "[CUSTOMER]"}));
    EXPECT_EQ(form.Params(), (std::vector<TLinkParam>{{"id", "[ORDER_ID]"}}));

    // Cancel adds nothing and changes nothing.
    AnswerValue("Add Param", {}, {"x", "y"}, ui::mrCancel);
    form.Get<ui::TAction>("cmd_add")->Execute();
    EXPECT_EQ(form.Params().size(), 1u);

    Click(0);
    AnswerValue("Modify Param", {"id", "[ORDER_ID]"}, {"who", "[CUSTOMER]"});
    form.Get<ui::TAction>("cmd_modify")->Execute();
    AnswerValue("Modify Param", {"who", "[CUSTOMER]"}, {"ignored", "ignored"}, ui::mrCancel);
    form.Get<ui::TAction>("cmd_modify")->Execute();
    EXPECT_EQ(form.ParamLines(), (std::vector<std::string>{"who=[CUSTOMER]"}));
    EXPECT_TRUE(dialogs.Unexpected().empty());
    EXPECT_EQ(dialogs.PendingAnswers(), 0u);
}

TEST(ParamLines, SplitAtTheFirstEquals)
{
    struct Case {
        std::string line;
        TLinkParam param;
    };
    for (const Case& c : {Case{"a=b", {"a", "b"}}, Case{"a=b=c", {"a", "b=c"}}, Case{"a", {"a", ""}},
                          Case{"=v", {"", "v"}}, Case{"", {"", ""}}}) {
        EXPECT_EQ(SplitParamLine(c.line), c.param) << c.line;
    }
    EXPECT_EQ(JoinParamLine({"a", "b=c"}), "a=b=c");
}

}  // namespace
